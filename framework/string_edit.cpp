// CStringT: searching, extraction, editing in place and comparison.
#include "framework/string_internal.h"

#include <algorithm>
#include <utility>

using namespace ql_string_internal;

// ---- searching --------------------------------------------------------------------------

template <typename C>
int CStringT<C>::Find(XCHAR ch, int iStart) const
{
    int length = GetLength();
    if (iStart < 0 || iStart >= length)
        return -1;
    for (int i = iStart; i < length; ++i)
        if (m_pszData[i] == ch)
            return i;
    return -1;
}

template <typename C>
int CStringT<C>::Find(PCXSTR pszSub, int iStart) const
{
    int length = GetLength();
    if (!pszSub || iStart < 0 || iStart > length)
        return -1;
    int subLength = Len(pszSub);
    for (int i = iStart; i + subLength <= length; ++i)
        if (std::equal(pszSub, pszSub + subLength, m_pszData + i))
            return i;
    return -1;
}

template <typename C>
int CStringT<C>::ReverseFind(XCHAR ch) const
{
    if (ch == 0)
        return GetLength();
    for (int i = GetLength() - 1; i >= 0; --i)
        if (m_pszData[i] == ch)
            return i;
    return -1;
}

template <typename C>
int CStringT<C>::FindOneOf(PCXSTR pszCharSet) const
{
    for (int i = 0; i < GetLength(); ++i)
        if (InSet(m_pszData[i], pszCharSet))
            return i;
    return -1;
}

// ---- extraction -------------------------------------------------------------------------

template <typename C>
CStringT<C> CStringT<C>::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount >= GetLength())
        return *this;
    return CStringT(m_pszData, nCount);
}

template <typename C>
CStringT<C> CStringT<C>::Mid(int iFirst) const
{
    return Mid(iFirst, GetLength());
}

template <typename C>
CStringT<C> CStringT<C>::Mid(int iFirst, int nCount) const
{
    int length = GetLength();
    if (iFirst < 0)
        iFirst = 0;
    if (nCount < 0)
        nCount = 0;
    if (iFirst > length)
        iFirst = length;
    if (nCount > length - iFirst)
        nCount = length - iFirst;
    if (iFirst == 0 && nCount == length)
        return *this;
    return CStringT(m_pszData + iFirst, nCount);
}

template <typename C>
CStringT<C> CStringT<C>::Right(int nCount) const
{
    int length = GetLength();
    if (nCount < 0)
        nCount = 0;
    if (nCount >= length)
        return *this;
    return CStringT(m_pszData + length - nCount, nCount);
}

template <typename C>
CStringT<C> CStringT<C>::SpanIncluding(PCXSTR pszCharSet) const
{
    int i = 0;
    while (i < GetLength() && InSet(m_pszData[i], pszCharSet))
        ++i;
    return Left(i);
}

template <typename C>
CStringT<C> CStringT<C>::SpanExcluding(PCXSTR pszCharSet) const
{
    int i = 0;
    while (i < GetLength() && !InSet(m_pszData[i], pszCharSet))
        ++i;
    return Left(i);
}

template <typename C>
CStringT<C> CStringT<C>::Tokenize(PCXSTR pszTokens, int& iStart) const
{
    if (iStart < 0)
        AfxThrowInvalidArgException();
    int length = GetLength();
    if (!pszTokens || *pszTokens == 0)
    {
        // No delimiters: the rest is one token. iStart moves past the end so that a loop
        // over the tokens ends with the next call.
        if (iStart < length)
        {
            CStringT rest = Mid(iStart);
            iStart = length + 1;
            return rest;
        }
    }
    else if (iStart < length)
    {
        int from = iStart;
        while (from < length && InSet(m_pszData[from], pszTokens))
            ++from;
        if (from < length)
        {
            int until = from;
            while (until < length && !InSet(m_pszData[until], pszTokens))
                ++until;
            iStart = until + 1;
            return Mid(from, until - from);
        }
    }
    iStart = -1;
    return CStringT();
}

// ---- modification -----------------------------------------------------------------------

template <typename C>
CStringT<C>& CStringT<C>::Trim()
{
    return TrimRight().TrimLeft();
}

template <typename C>
CStringT<C>& CStringT<C>::Trim(XCHAR chTarget)
{
    return TrimRight(chTarget).TrimLeft(chTarget);
}

template <typename C>
CStringT<C>& CStringT<C>::Trim(PCXSTR pszTargets)
{
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

template <typename C>
CStringT<C>& CStringT<C>::TrimLeft()
{
    int i = 0;
    while (i < GetLength() && IsSpace(m_pszData[i]))
        ++i;
    if (i > 0)
        Delete(0, i);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::TrimLeft(XCHAR chTarget)
{
    int i = 0;
    while (i < GetLength() && m_pszData[i] == chTarget)
        ++i;
    if (i > 0)
        Delete(0, i);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::TrimLeft(PCXSTR pszTargets)
{
    int i = 0;
    while (i < GetLength() && InSet(m_pszData[i], pszTargets))
        ++i;
    if (i > 0)
        Delete(0, i);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::TrimRight()
{
    int end = GetLength();
    while (end > 0 && IsSpace(m_pszData[end - 1]))
        --end;
    if (end < GetLength())
        Truncate(end);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::TrimRight(XCHAR chTarget)
{
    int end = GetLength();
    while (end > 0 && m_pszData[end - 1] == chTarget)
        --end;
    if (end < GetLength())
        Truncate(end);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::TrimRight(PCXSTR pszTargets)
{
    int end = GetLength();
    while (end > 0 && InSet(m_pszData[end - 1], pszTargets))
        --end;
    if (end < GetLength())
        Truncate(end);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::MakeUpper()
{
    int length = GetLength();
    if (length == 0)
        return *this;
    if constexpr (std::is_same_v<C, wchar_t>)
        CharUpperBuffW(PrepareWrite(length), length);
    else
        CharUpperBuffA(PrepareWrite(length), length);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::MakeLower()
{
    int length = GetLength();
    if (length == 0)
        return *this;
    if constexpr (std::is_same_v<C, wchar_t>)
        CharLowerBuffW(PrepareWrite(length), length);
    else
        CharLowerBuffA(PrepareWrite(length), length);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::MakeReverse()
{
    int length = GetLength();
    if (length > 1)
    {
        PXSTR p = PrepareWrite(length);
        std::reverse(p, p + length);
    }
    return *this;
}

template <typename C>
int CStringT<C>::Replace(XCHAR chOld, XCHAR chNew)
{
    if (chOld == chNew)
        return 0;
    int count = 0;
    for (int i = 0; i < GetLength(); ++i)
        if (m_pszData[i] == chOld)
            ++count;
    if (count == 0)
        return 0;
    PXSTR p = PrepareWrite(GetLength());
    for (int i = 0; i < GetLength(); ++i)
        if (p[i] == chOld)
            p[i] = chNew;
    return count;
}

template <typename C>
int CStringT<C>::Replace(PCXSTR pszOld, PCXSTR pszNew)
{
    int oldLength = Len(pszOld);
    if (oldLength == 0)
        return 0;
    int newLength = Len(pszNew);
    int length = GetLength();
    int count = 0;
    for (int i = 0; i + oldLength <= length;)
    {
        if (std::equal(pszOld, pszOld + oldLength, m_pszData + i))
        {
            ++count;
            i += oldLength;
        }
        else
        {
            ++i;
        }
    }
    if (count == 0)
        return 0;
    long long resultLength = length + static_cast<long long>(count) * (newLength - oldLength);
    if (resultLength > kMaxLength)
        AfxThrowMemoryException();
    // Built separately: the old and new texts may point into this string.
    CStringT result;
    PXSTR out = result.PrepareWrite(static_cast<int>(resultLength));
    for (int i = 0; i < length;)
    {
        if (i + oldLength <= length && std::equal(pszOld, pszOld + oldLength, m_pszData + i))
        {
            out = std::copy(pszNew, pszNew + newLength, out);
            i += oldLength;
        }
        else
        {
            *out++ = m_pszData[i++];
        }
    }
    result.SetLength(static_cast<int>(resultLength));
    *this = std::move(result);
    return count;
}

template <typename C>
int CStringT<C>::Remove(XCHAR chRemove)
{
    int length = GetLength();
    int count = 0;
    for (int i = 0; i < length; ++i)
        if (m_pszData[i] == chRemove)
            ++count;
    if (count == 0)
        return 0;
    PXSTR p = PrepareWrite(length);
    PXSTR end = std::remove(p, p + length, chRemove);
    SetLength(static_cast<int>(end - p));
    return count;
}

template <typename C>
int CStringT<C>::Insert(int iIndex, XCHAR ch)
{
    return Insert(iIndex, CStringT(ch, 1).m_pszData);
}

template <typename C>
int CStringT<C>::Insert(int iIndex, PCXSTR psz)
{
    int length = GetLength();
    iIndex = std::clamp(iIndex, 0, length);
    int insertLength = Len(psz);
    if (insertLength == 0)
        return length;
    int total = CheckedSum<C>(length, insertLength);
    CStringT result;
    PXSTR out = result.PrepareWrite(total);
    std::copy(m_pszData, m_pszData + iIndex, out);
    std::copy(psz, psz + insertLength, out + iIndex);
    std::copy(m_pszData + iIndex, m_pszData + length, out + iIndex + insertLength);
    result.SetLength(total);
    *this = std::move(result);
    return total;
}

template <typename C>
int CStringT<C>::Delete(int iIndex, int nCount)
{
    int length = GetLength();
    if (iIndex < 0)
        iIndex = 0;
    if (nCount < 0 || iIndex >= length)
        return length;
    nCount = std::min(nCount, length - iIndex);
    if (nCount > 0)
    {
        PXSTR p = PrepareWrite(length);
        std::copy(p + iIndex + nCount, p + length, p + iIndex);
        SetLength(length - nCount);
    }
    return GetLength();
}

// ---- comparison -------------------------------------------------------------------------

template <typename C>
int CStringT<C>::Compare(PCXSTR psz) const
{
    static const C empty = 0;
    if (!psz)
        psz = &empty;
    int result;
    if constexpr (std::is_same_v<C, wchar_t>)
        result = std::wcscmp(m_pszData, psz);
    else
        result = std::strcmp(m_pszData, psz);
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

template <typename C>
int CStringT<C>::CompareNoCase(PCXSTR psz) const
{
    static const C empty = 0;
    if (!psz)
        psz = &empty;
    for (PCXSTR p = m_pszData;; ++p, ++psz)
    {
        auto a = Fold(*p);
        auto b = Fold(*psz);
        if (a != b)
            return a < b ? -1 : 1;
        if (a == 0)
            return 0;
    }
}

template <typename C>
int CStringT<C>::Collate(PCXSTR psz) const
{
    static const C empty = 0;
    if (!psz)
        psz = &empty;
    int result;
    if constexpr (std::is_same_v<C, wchar_t>)
        result = CompareStringW(LOCALE_USER_DEFAULT, 0, m_pszData, -1, psz, -1);
    else
        result = CompareStringA(LOCALE_USER_DEFAULT, 0, m_pszData, -1, psz, -1);
    return result == 0 ? Compare(psz) : result - 2;
}

template <typename C>
int CStringT<C>::CollateNoCase(PCXSTR psz) const
{
    static const C empty = 0;
    if (!psz)
        psz = &empty;
    int result;
    if constexpr (std::is_same_v<C, wchar_t>)
        result = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, m_pszData, -1, psz, -1);
    else
        result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, m_pszData, -1, psz, -1);
    return result == 0 ? CompareNoCase(psz) : result - 2;
}

// The members above, for both character types (the class itself is instantiated with the
// rest of its members in string_core.cpp).
template int CStringT<wchar_t>::Find(CStringT<wchar_t>::XCHAR, int) const;
template int CStringT<wchar_t>::Find(CStringT<wchar_t>::PCXSTR, int) const;
template int CStringT<wchar_t>::ReverseFind(CStringT<wchar_t>::XCHAR) const;
template int CStringT<wchar_t>::FindOneOf(CStringT<wchar_t>::PCXSTR) const;
template CStringT<wchar_t> CStringT<wchar_t>::Left(int) const;
template CStringT<wchar_t> CStringT<wchar_t>::Mid(int) const;
template CStringT<wchar_t> CStringT<wchar_t>::Mid(int, int) const;
template CStringT<wchar_t> CStringT<wchar_t>::Right(int) const;
template CStringT<wchar_t> CStringT<wchar_t>::SpanIncluding(CStringT<wchar_t>::PCXSTR) const;
template CStringT<wchar_t> CStringT<wchar_t>::SpanExcluding(CStringT<wchar_t>::PCXSTR) const;
template CStringT<wchar_t> CStringT<wchar_t>::Tokenize(CStringT<wchar_t>::PCXSTR, int&) const;
template CStringT<wchar_t>& CStringT<wchar_t>::Trim();
template CStringT<wchar_t>& CStringT<wchar_t>::Trim(CStringT<wchar_t>::XCHAR);
template CStringT<wchar_t>& CStringT<wchar_t>::Trim(CStringT<wchar_t>::PCXSTR);
template CStringT<wchar_t>& CStringT<wchar_t>::TrimLeft();
template CStringT<wchar_t>& CStringT<wchar_t>::TrimLeft(CStringT<wchar_t>::XCHAR);
template CStringT<wchar_t>& CStringT<wchar_t>::TrimLeft(CStringT<wchar_t>::PCXSTR);
template CStringT<wchar_t>& CStringT<wchar_t>::TrimRight();
template CStringT<wchar_t>& CStringT<wchar_t>::TrimRight(CStringT<wchar_t>::XCHAR);
template CStringT<wchar_t>& CStringT<wchar_t>::TrimRight(CStringT<wchar_t>::PCXSTR);
template CStringT<wchar_t>& CStringT<wchar_t>::MakeUpper();
template CStringT<wchar_t>& CStringT<wchar_t>::MakeLower();
template CStringT<wchar_t>& CStringT<wchar_t>::MakeReverse();
template int CStringT<wchar_t>::Replace(CStringT<wchar_t>::XCHAR, CStringT<wchar_t>::XCHAR);
template int CStringT<wchar_t>::Replace(CStringT<wchar_t>::PCXSTR, CStringT<wchar_t>::PCXSTR);
template int CStringT<wchar_t>::Remove(CStringT<wchar_t>::XCHAR);
template int CStringT<wchar_t>::Insert(int, CStringT<wchar_t>::XCHAR);
template int CStringT<wchar_t>::Insert(int, CStringT<wchar_t>::PCXSTR);
template int CStringT<wchar_t>::Delete(int, int);
template int CStringT<wchar_t>::Compare(CStringT<wchar_t>::PCXSTR) const;
template int CStringT<wchar_t>::CompareNoCase(CStringT<wchar_t>::PCXSTR) const;
template int CStringT<wchar_t>::Collate(CStringT<wchar_t>::PCXSTR) const;
template int CStringT<wchar_t>::CollateNoCase(CStringT<wchar_t>::PCXSTR) const;
template int CStringT<char>::Find(CStringT<char>::XCHAR, int) const;
template int CStringT<char>::Find(CStringT<char>::PCXSTR, int) const;
template int CStringT<char>::ReverseFind(CStringT<char>::XCHAR) const;
template int CStringT<char>::FindOneOf(CStringT<char>::PCXSTR) const;
template CStringT<char> CStringT<char>::Left(int) const;
template CStringT<char> CStringT<char>::Mid(int) const;
template CStringT<char> CStringT<char>::Mid(int, int) const;
template CStringT<char> CStringT<char>::Right(int) const;
template CStringT<char> CStringT<char>::SpanIncluding(CStringT<char>::PCXSTR) const;
template CStringT<char> CStringT<char>::SpanExcluding(CStringT<char>::PCXSTR) const;
template CStringT<char> CStringT<char>::Tokenize(CStringT<char>::PCXSTR, int&) const;
template CStringT<char>& CStringT<char>::Trim();
template CStringT<char>& CStringT<char>::Trim(CStringT<char>::XCHAR);
template CStringT<char>& CStringT<char>::Trim(CStringT<char>::PCXSTR);
template CStringT<char>& CStringT<char>::TrimLeft();
template CStringT<char>& CStringT<char>::TrimLeft(CStringT<char>::XCHAR);
template CStringT<char>& CStringT<char>::TrimLeft(CStringT<char>::PCXSTR);
template CStringT<char>& CStringT<char>::TrimRight();
template CStringT<char>& CStringT<char>::TrimRight(CStringT<char>::XCHAR);
template CStringT<char>& CStringT<char>::TrimRight(CStringT<char>::PCXSTR);
template CStringT<char>& CStringT<char>::MakeUpper();
template CStringT<char>& CStringT<char>::MakeLower();
template CStringT<char>& CStringT<char>::MakeReverse();
template int CStringT<char>::Replace(CStringT<char>::XCHAR, CStringT<char>::XCHAR);
template int CStringT<char>::Replace(CStringT<char>::PCXSTR, CStringT<char>::PCXSTR);
template int CStringT<char>::Remove(CStringT<char>::XCHAR);
template int CStringT<char>::Insert(int, CStringT<char>::XCHAR);
template int CStringT<char>::Insert(int, CStringT<char>::PCXSTR);
template int CStringT<char>::Delete(int, int);
template int CStringT<char>::Compare(CStringT<char>::PCXSTR) const;
template int CStringT<char>::CompareNoCase(CStringT<char>::PCXSTR) const;
template int CStringT<char>::Collate(CStringT<char>::PCXSTR) const;
template int CStringT<char>::CollateNoCase(CStringT<char>::PCXSTR) const;
