// Identifier-character test used on every character the editor colours, wraps or searches:
// ASCII is decided by table, everything else by the shared IsIdentChar.
#pragma once

#include "util/utility.h"

inline bool RCEIsIdent(WCHAR ch)
{
    if (ch < 128)
        return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') ||
               (ch >= L'0' && ch <= L'9') || ch == L'_';
    return IsIdentChar(ch);
}
