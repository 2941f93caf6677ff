// Gathering the words of the editor text that start with what the user is typing, for the
// auto-complete list.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "editor/rce_state.h"

// Orders words as the system does for the user (CompareStringW, no flags); words comparing equal
// are one entry.
struct RCEWordLess
{
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};
typedef std::set<std::wstring, RCEWordLess> RCEWordSet;

// True for an empty prefix; otherwise the word is longer than the prefix and starts with it,
// ignoring case.
bool RCEWordHasPrefix(const WCHAR* prefix, UINT32 prefixLength, const WCHAR* word,
                      UINT32 wordLength);

// Adds every word of the text (outside colour ranges, not starting with a digit) that has the
// prefix.
void RCECollectTextWords(const RCE_STATE* st, const WCHAR* prefix, UINT32 prefixLength,
                         RCEWordSet* words);
