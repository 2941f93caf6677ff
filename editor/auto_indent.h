// Automatic indentation of a new (or retyped) line, driven by a table of SQL keywords.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// True with the column (>= 0) to which the new line is to be indented; false when no automatic
// indent applies. typed is LF for Enter, a hook trigger character, or 0.
bool RCEAutoIndent(HWND hwnd, RCE_STATE* st, WCHAR typed, int* indent);

// change = tabSize when an entry of the table matches the reference line, else 0. from is the
// position after the line's indentation. False only without a table.
bool RCEMatchIndentWord(const WCHAR* text, UINT32 from, UINT32 lineEnd, UINT32 caret,
                        const RCEIndentWord* words, UINT32 count, UINT32 tabSize, int* change);
