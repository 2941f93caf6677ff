// The auto-complete list opened by Ctrl+Space: candidates from the text and the owner's word
// table, shown in a list box below the caret, or inserted at once when there is only one.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

struct RCEAutoCompletePopup
{
    HWND list = nullptr;
    WNDPROC previousProc = nullptr;
    UINT32 prefixStart = 0;
};

// Result 1 when the list was shown or the one candidate inserted, else 0.
int RCEShowAutoComplete(RCE_STATE* state);
// Replaces the identifier run from prefixStart over the caret by word.
bool RCEInsertAutoCompleteWord(RCE_STATE* state, const WCHAR* word, UINT32 prefixStart);
// Destroys the list window (if open) and frees the popup record.
void RCEFreeAutoComplete(RCE_STATE* state);
