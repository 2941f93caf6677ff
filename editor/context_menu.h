// The editor's context menu: the built-in edit commands and the owner's extra items.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// Context-menu command ids.
#define RCECM_UNDO 1
#define RCECM_REDO 2
#define RCECM_CUT 3
#define RCECM_COPY 4
#define RCECM_SELECTALL 5
#define RCECM_PASTE 6
#define RCECM_DELETE 7
#define RCECM_WORDWRAP 8

// Builds the menu (the point in screen coordinates; outside the client area the centre is
// used), tracks it and runs the chosen command.
void RCEOnContextMenu(RCE_STATE* state, int x, int y);
// Runs one context-menu command; ids the editor does not know go to the parent as WM_COMMAND.
void RCERunMenuCommand(RCE_STATE* state, UINT id);
