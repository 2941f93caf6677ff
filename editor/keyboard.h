// Keys and characters of the colour editor mapped to movement and editing.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// Both return false when the message is to go to DefWindowProcW.
bool RCEOnKeyDown(RCE_STATE* state, UINT key, UINT repeat);
void RCEOnChar(RCE_STATE* state, WCHAR ch, UINT repeat);
bool RCEOnSysKeyDown(RCE_STATE* state, UINT key);
bool RCEOnSysChar(RCE_STATE* state, WCHAR ch);
// Inserts a typed character repeat times.
void RCETypeChar(RCE_STATE* state, WCHAR ch, UINT repeat);
