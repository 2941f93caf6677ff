// The colour editor's window class "RColorEditorClass": registration, the window procedure,
// creation and destruction of the per-window state, and the option, font and size changes that
// rebuild the layout.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// Registers the class once per process; 0 when RegisterClassW fails.
BOOL RegisterRColorEditorClass(HINSTANCE instance);
LRESULT CALLBACK RColorEditorWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The mouse-wheel message of this system (WM_MOUSEWHEEL, or the old wheel driver's message).
UINT RCEWheelMessage();

// Stores new option bits and rebuilds what they change; returns the previous bits.
UINT32 RCESetOptions(RCE_STATE* state, UINT32 bits, bool redraw);
void RCEOnSetFont(RCE_STATE* state, HFONT font, bool redraw);
void RCEOnSize(RCE_STATE* state, int width);
// Lines and characters per wheel notch.
void RCEReadWheelSettings(RCE_STATE* state);
