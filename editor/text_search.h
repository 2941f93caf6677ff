// Plain-text search in the editor text (find and replace).
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

#define RCEFT_DOWN 0x1
#define RCEFT_MATCHCASE 0x2
#define RCEFT_WHOLEWORD 0x4

// Searches from `from` towards `limit` (both inclusive, one character per step, downwards with
// RCEFT_DOWN, else upwards). position receives the first match met.
bool RCEFindText(const RCE_STATE* st, const WCHAR* pattern, UINT32 patternLength, UINT32 flags,
                 UINT32 from, UINT32 limit, UINT32* position);
