// The colour editor's message interface: the private RCEM_* messages and the standard
// getters and setters, answered from the window's state.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// Handles one message of the interface; false when the message is not one of them.
bool RCEHandleInterfaceMessage(RCE_STATE* state, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
// WM_GETDLGCODE for the message being processed (null: 0).
LRESULT RCEGetDlgCode(RCE_STATE* state, const MSG* msg);
