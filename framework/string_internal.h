// Helpers shared by the string implementation files.
#pragma once

#include "framework/exceptions.h"
#include "framework/text_string.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace ql_string_internal {

// The longest string we allocate, in characters.
constexpr int kMaxLength = INT_MAX / 2 - 64;

template <typename C>
inline int Len(const C* p)
{
    if (!p)
        return 0;
    size_t n;
    if constexpr (std::is_same_v<C, wchar_t>)
        n = std::wcslen(p);
    else
        n = std::strlen(p);
    if (n > static_cast<size_t>(kMaxLength))
        AfxThrowMemoryException();
    return static_cast<int>(n);
}

template <typename C>
inline int CheckedSum(int a, int b)
{
    long long total = static_cast<long long>(a) + b;
    if (total > kMaxLength)
        AfxThrowMemoryException();
    return static_cast<int>(total);
}

template <typename C>
inline bool IsSpace(C c)
{
    if constexpr (std::is_same_v<C, wchar_t>)
        return std::iswspace(c) != 0;
    else
        return std::isspace(static_cast<unsigned char>(c)) != 0;
}

template <typename C>
inline bool InSet(C c, const C* set)
{
    if (!set || c == 0)
        return false;
    for (; *set; ++set)
        if (*set == c)
            return true;
    return false;
}

// Case folding for CompareNoCase: to lower case, ASCII by table, the rest by the system.
inline wchar_t Fold(wchar_t c)
{
    if (c < 128)
        return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(
        CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}
inline unsigned char Fold(char c)
{
    auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 32) : u;
}

} // namespace ql_string_internal
