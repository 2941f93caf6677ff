// CStringT: storage, sharing, assignment, buffers, editing, searching and comparison.
#include "framework/text_string.h"

#include "framework/exceptions.h"
#include "framework/module_state.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <cctype>
#include <utility>

using ql_string_detail::StringHeader;

namespace {

// The shared empty string. Its count never reaches 1, so nothing ever writes to it.
struct NilString {
    StringHeader header;
    wchar_t chars[2];
};
NilString g_nil = {{2, 0, 0}, {0, 0}};

bool IsNil(const StringHeader* h) { return h == &g_nil.header; }

// Only the owner of a count of 1 (or of a locked buffer) may write.
bool IsExclusive(const StringHeader* h) { return !IsNil(h) && (h->refs == 1 || h->refs == -1); }

template <typename C>
C* CharsOf(StringHeader* h) { return reinterpret_cast<C*>(h + 1); }

constexpr int kMaxLength = INT_MAX / 2 - 64;

template <typename C>
StringHeader* Allocate(int capacity)
{
    if (capacity < 0)
        AfxThrowInvalidArgException();
    if (capacity > kMaxLength)
        AfxThrowMemoryException();
    size_t bytes = sizeof(StringHeader) + (static_cast<size_t>(capacity) + 1) * sizeof(C);
    auto* h = static_cast<StringHeader*>(std::malloc(bytes));
    if (!h)
        AfxThrowMemoryException();
    h->refs = 1;
    h->length = 0;
    h->capacity = capacity;
    CharsOf<C>(h)[0] = 0;
    return h;
}

template <typename C>
int Len(const C* p)
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
int CheckedSum(int a, int b)
{
    long long total = static_cast<long long>(a) + b;
    if (total > kMaxLength)
        AfxThrowMemoryException();
    return static_cast<int>(total);
}

template <typename C>
bool IsSpace(C c)
{
    if constexpr (std::is_same_v<C, wchar_t>)
        return std::iswspace(c) != 0;
    else
        return std::isspace(static_cast<unsigned char>(c)) != 0;
}

template <typename C>
bool InSet(C c, const C* set)
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
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}
inline unsigned char Fold(char c)
{
    auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 32) : u;
}

// The text of string resource nID, straight from the module's string table, or null.
const wchar_t* FindStringResource(HINSTANCE hInstance, UINT nID, int* length)
{
    HRSRC hRes = FindResourceW(hInstance, MAKEINTRESOURCEW((nID >> 4) + 1), MAKEINTRESOURCEW(6) /* RT_STRING */);
    if (!hRes)
        return nullptr;
    HGLOBAL hGlobal = LoadResource(hInstance, hRes);
    if (!hGlobal)
        return nullptr;
    auto* p = static_cast<const WORD*>(LockResource(hGlobal));
    DWORD size = SizeofResource(hInstance, hRes);
    if (!p)
        return nullptr;
    const WORD* end = p + size / sizeof(WORD);
    for (UINT i = 0; i < (nID & 15); ++i) {
        if (p >= end)
            return nullptr;
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || p + 1 + *p > end)
        return nullptr;
    *length = *p;
    return reinterpret_cast<const wchar_t*>(p + 1);
}

} // namespace

// ---- storage ----------------------------------------------------------------------------

template <typename C>
void CStringT<C>::Attach(StringHeader* header) noexcept
{
    m_pszData = CharsOf<C>(header);
}

template <typename C>
void CStringT<C>::Release() noexcept
{
    StringHeader* h = Header();
    if (IsNil(h))
        return;
    if (h->refs < 0 || InterlockedDecrement(&h->refs) == 0)
        std::free(h);
    Attach(&g_nil.header);
}

template <typename C>
typename CStringT<C>::PXSTR CStringT<C>::PrepareWrite(int nLength)
{
    StringHeader* h = Header();
    if (IsExclusive(h) && h->capacity >= nLength)
        return m_pszData;
    int capacity = nLength;
    if (IsExclusive(h)) // growing our own buffer: leave room for more
        capacity = static_cast<int>(std::min<long long>(kMaxLength, std::max<long long>(nLength, h->capacity + h->capacity / 2LL)));
    StringHeader* n = Allocate<C>(capacity);
    int keep = std::min(h->length, nLength);
    std::memcpy(CharsOf<C>(n), m_pszData, keep * sizeof(C));
    CharsOf<C>(n)[keep] = 0;
    n->length = keep;
    if (h->refs == -1 && !IsNil(h))
        n->refs = -1;
    Release();
    Attach(n);
    return m_pszData;
}

template <typename C>
void CStringT<C>::SetLength(int nLength)
{
    StringHeader* h = Header();
    if (IsNil(h))
        return;
    h->length = nLength;
    m_pszData[nLength] = 0;
}

// ---- construction and assignment --------------------------------------------------------

template <typename C>
CStringT<C>::CStringT() noexcept
{
    Attach(&g_nil.header);
}

template <typename C>
CStringT<C>::CStringT(const CStringT& src)
{
    StringHeader* h = src.Header();
    if (IsNil(h)) {
        Attach(&g_nil.header);
    } else if (h->refs < 0) { // a locked buffer is never shared
        Attach(&g_nil.header);
        SetString(src.m_pszData, h->length);
    } else {
        InterlockedIncrement(&h->refs);
        m_pszData = src.m_pszData;
    }
}

template <typename C>
CStringT<C>::CStringT(CStringT&& src) noexcept : m_pszData(src.m_pszData)
{
    src.Attach(&g_nil.header);
}

template <typename C>
CStringT<C>::CStringT(const CStringT<YCHAR>& src)
{
    Attach(&g_nil.header);
    AssignConverted(src.GetString(), src.GetLength());
}

template <typename C>
CStringT<C>::CStringT(PCXSTR psz)
{
    Attach(&g_nil.header);
    if (psz && IS_INTRESOURCE(psz))
        LoadString(LOWORD(reinterpret_cast<ULONG_PTR>(psz)));
    else
        SetString(psz, Len(psz));
}

template <typename C>
CStringT<C>::CStringT(PCYSTR psz)
{
    Attach(&g_nil.header);
    if (psz && IS_INTRESOURCE(psz))
        LoadString(LOWORD(reinterpret_cast<ULONG_PTR>(psz)));
    else
        AssignConverted(psz, -1);
}

template <typename C>
CStringT<C>::CStringT(PCXSTR pch, int nLength)
{
    Attach(&g_nil.header);
    SetString(pch, nLength);
}

template <typename C>
CStringT<C>::CStringT(PCYSTR pch, int nLength)
{
    Attach(&g_nil.header);
    if (nLength < 0 || (!pch && nLength > 0))
        AfxThrowInvalidArgException();
    AssignConverted(pch, nLength);
}

template <typename C>
CStringT<C>::CStringT(XCHAR ch, int nRepeat)
{
    Attach(&g_nil.header);
    if (nRepeat > 0) {
        PXSTR p = PrepareWrite(nRepeat);
        std::fill(p, p + nRepeat, ch);
        SetLength(nRepeat);
    }
}

template <typename C>
CStringT<C>::~CStringT()
{
    Release();
}

template <typename C>
CStringT<C>& CStringT<C>::operator=(const CStringT& src)
{
    if (m_pszData == src.m_pszData)
        return *this;
    StringHeader* mine = Header();
    StringHeader* theirs = src.Header();
    if ((!IsNil(mine) && mine->refs < 0) || theirs->refs < 0) {
        // Copy into (or out of) a locked buffer.
        SetString(src.m_pszData, theirs->length);
    } else {
        if (!IsNil(theirs))
            InterlockedIncrement(&theirs->refs);
        Release();
        m_pszData = src.m_pszData;
    }
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator=(CStringT&& src) noexcept
{
    if (this == &src || m_pszData == src.m_pszData)
        return *this;
    StringHeader* mine = Header();
    if (!IsNil(mine) && mine->refs < 0) {
        // Keep our locked buffer. Only copying can fail here, and a locked buffer that is
        // large enough needs no allocation; otherwise the text is simply left as it was.
        try {
            SetString(src.m_pszData, src.GetLength());
        } catch (CException* e) {
            e->Delete();
        }
        return *this;
    }
    Release();
    m_pszData = src.m_pszData;
    src.Attach(&g_nil.header);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator=(const CStringT<YCHAR>& src)
{
    AssignConverted(src.GetString(), src.GetLength());
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator=(PCXSTR psz)
{
    SetString(psz, Len(psz));
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator=(PCYSTR psz)
{
    AssignConverted(psz, -1);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator=(XCHAR ch)
{
    SetString(&ch, 1);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator+=(const CStringT& src)
{
    Append(src);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator+=(const CStringT<YCHAR>& src)
{
    Append(CStringT(src));
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator+=(PCXSTR psz)
{
    Append(psz, Len(psz));
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator+=(PCYSTR psz)
{
    CStringT converted(psz);
    Append(converted.m_pszData, converted.GetLength());
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator+=(XCHAR ch)
{
    Append(&ch, 1);
    return *this;
}

template <typename C>
CStringT<C>& CStringT<C>::operator+=(YCHAR ch)
{
    CStringT converted(&ch, 1);
    Append(converted.m_pszData, converted.GetLength());
    return *this;
}

template <typename C>
void CStringT<C>::AssignConverted(PCYSTR psz, int nLength)
{
    if (nLength < 0)
        nLength = Len(psz);
    if (!psz || nLength == 0) {
        Empty();
        return;
    }
    CStringT converted;
    if constexpr (std::is_same_v<C, wchar_t>) {
        int count = ql_string_detail::AnsiToWideLength(psz, nLength);
        PXSTR p = converted.PrepareWrite(count);
        ql_string_detail::AnsiToWide(psz, nLength, p, count);
        converted.SetLength(count);
    } else {
        int count = ql_string_detail::WideToAnsiLength(psz, nLength);
        PXSTR p = converted.PrepareWrite(count);
        ql_string_detail::WideToAnsi(psz, nLength, p, count);
        converted.SetLength(count);
    }
    *this = std::move(converted);
}

template <typename C>
void CStringT<C>::SetString(PCXSTR psz)
{
    SetString(psz, Len(psz));
}

template <typename C>
void CStringT<C>::SetString(PCXSTR psz, int nLength)
{
    if (nLength < 0 || (!psz && nLength > 0))
        AfxThrowInvalidArgException();
    StringHeader* h = Header();
    if (nLength == 0) {
        Empty();
        return;
    }
    if (IsExclusive(h) && h->capacity >= nLength) {
        std::memmove(m_pszData, psz, nLength * sizeof(C)); // psz may lie in our own buffer
        SetLength(nLength);
        return;
    }
    StringHeader* n = Allocate<C>(nLength);
    std::memcpy(CharsOf<C>(n), psz, nLength * sizeof(C));
    if (!IsNil(h) && h->refs < 0)
        n->refs = -1;
    Release();
    Attach(n);
    SetLength(nLength);
}

template <typename C>
CStringT<C> CStringT<C>::Concat(PCXSTR a, int lengthA, PCXSTR b, int lengthB)
{
    if (lengthA < 0)
        lengthA = Len(a);
    if (lengthB < 0)
        lengthB = Len(b);
    CStringT result;
    int total = CheckedSum<C>(lengthA, lengthB);
    if (total == 0)
        return result;
    PXSTR p = result.PrepareWrite(total);
    if (lengthA)
        std::memcpy(p, a, lengthA * sizeof(C));
    if (lengthB)
        std::memcpy(p + lengthA, b, lengthB * sizeof(C));
    result.SetLength(total);
    return result;
}

// ---- access and buffers -----------------------------------------------------------------

template <typename C>
void CStringT<C>::Empty()
{
    StringHeader* h = Header();
    if (IsNil(h))
        return;
    if (h->refs < 0)
        SetLength(0);
    else
        Release();
}

template <typename C>
typename CStringT<C>::XCHAR CStringT<C>::GetAt(int iChar) const
{
    if (iChar < 0 || iChar > GetLength())
        AfxThrowInvalidArgException();
    return m_pszData[iChar];
}

template <typename C>
void CStringT<C>::SetAt(int iChar, XCHAR ch)
{
    if (iChar < 0 || iChar >= GetLength())
        AfxThrowInvalidArgException();
    PrepareWrite(GetLength())[iChar] = ch;
}

template <typename C>
typename CStringT<C>::PXSTR CStringT<C>::GetBuffer()
{
    return PrepareWrite(GetLength());
}

template <typename C>
typename CStringT<C>::PXSTR CStringT<C>::GetBuffer(int nMinBufferLength)
{
    return PrepareWrite(std::max(nMinBufferLength, GetLength()));
}

template <typename C>
void CStringT<C>::ReleaseBuffer(int nNewLength)
{
    if (!IsExclusive(Header()))
        PrepareWrite(GetLength());
    StringHeader* h = Header();
    if (nNewLength < 0) {
        nNewLength = 0;
        while (nNewLength < h->capacity && m_pszData[nNewLength] != 0)
            ++nNewLength;
    }
    SetLength(std::min(nNewLength, h->capacity));
}

template <typename C>
void CStringT<C>::ReleaseBufferSetLength(int nNewLength)
{
    if (nNewLength < 0)
        AfxThrowInvalidArgException();
    ReleaseBuffer(nNewLength);
}

template <typename C>
typename CStringT<C>::PXSTR CStringT<C>::GetBufferSetLength(int nLength)
{
    if (nLength < 0)
        AfxThrowInvalidArgException();
    PXSTR p = PrepareWrite(nLength);
    SetLength(nLength);
    return p;
}

template <typename C>
typename CStringT<C>::PXSTR CStringT<C>::LockBuffer()
{
    PXSTR p = PrepareWrite(GetLength());
    Header()->refs = -1;
    return p;
}

template <typename C>
void CStringT<C>::UnlockBuffer()
{
    StringHeader* h = Header();
    if (!IsNil(h) && h->refs == -1)
        h->refs = 1;
}

template <typename C>
void CStringT<C>::Preallocate(int nLength)
{
    if (nLength < 0)
        AfxThrowInvalidArgException();
    if (nLength > Header()->capacity || !IsExclusive(Header()))
        PrepareWrite(std::max(nLength, GetLength()));
}

template <typename C>
void CStringT<C>::FreeExtra()
{
    StringHeader* h = Header();
    if (!IsExclusive(h) || h->capacity == h->length)
        return;
    if (h->length == 0 && h->refs == 1) {
        Release();
        return;
    }
    StringHeader* n = Allocate<C>(h->length);
    std::memcpy(CharsOf<C>(n), m_pszData, (h->length + 1) * sizeof(C));
    n->length = h->length;
    n->refs = h->refs;
    std::free(h);
    Attach(n);
}

template <typename C>
void CStringT<C>::Truncate(int nNewLength)
{
    if (nNewLength < 0 || nNewLength > GetLength())
        AfxThrowInvalidArgException();
    if (nNewLength == GetLength())
        return;
    PrepareWrite(GetLength());
    SetLength(nNewLength);
}

template <typename C>
void CStringT<C>::Append(const CStringT& src)
{
    if (GetLength() == 0 && Header()->refs != -1) {
        *this = src;
        return;
    }
    Append(src.m_pszData, src.GetLength());
}

template <typename C>
void CStringT<C>::Append(PCXSTR psz)
{
    Append(psz, Len(psz));
}

template <typename C>
void CStringT<C>::Append(PCXSTR psz, int nLength)
{
    if (!psz || nLength <= 0)
        return;
    int length = GetLength();
    int total = CheckedSum<C>(length, nLength);
    StringHeader* h = Header();
    if (IsExclusive(h) && h->capacity >= total) {
        std::memmove(m_pszData + length, psz, nLength * sizeof(C));
        SetLength(total);
        return;
    }
    // psz may point into our own buffer: build the new one before letting go of the old.
    int capacity = IsExclusive(h) ? static_cast<int>(std::min<long long>(kMaxLength, std::max<long long>(total, h->capacity + h->capacity / 2LL)))
                                  : total;
    StringHeader* n = Allocate<C>(capacity);
    std::memcpy(CharsOf<C>(n), m_pszData, length * sizeof(C));
    std::memcpy(CharsOf<C>(n) + length, psz, nLength * sizeof(C));
    if (!IsNil(h) && h->refs < 0)
        n->refs = -1;
    Release();
    Attach(n);
    SetLength(total);
}

template <typename C>
void CStringT<C>::AppendChar(XCHAR ch)
{
    Append(&ch, 1);
}

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
    if (!pszTokens || *pszTokens == 0) {
        // No delimiters: the rest is one token. iStart moves past the end so that a loop
        // over the tokens ends with the next call.
        if (iStart < length) {
            CStringT rest = Mid(iStart);
            iStart = length + 1;
            return rest;
        }
    } else if (iStart < length) {
        int from = iStart;
        while (from < length && InSet(m_pszData[from], pszTokens))
            ++from;
        if (from < length) {
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
    if (length > 1) {
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
    for (int i = 0; i + oldLength <= length;) {
        if (std::equal(pszOld, pszOld + oldLength, m_pszData + i)) {
            ++count;
            i += oldLength;
        } else {
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
    for (int i = 0; i < length;) {
        if (i + oldLength <= length && std::equal(pszOld, pszOld + oldLength, m_pszData + i)) {
            out = std::copy(pszNew, pszNew + newLength, out);
            i += oldLength;
        } else {
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
    if (nCount > 0) {
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
    for (PCXSTR p = m_pszData;; ++p, ++psz) {
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

// ---- resources and BSTRs ----------------------------------------------------------------

template <typename C>
BOOL CStringT<C>::LoadString(UINT nID)
{
    return LoadString(AfxGetResourceHandle(), nID);
}

template <typename C>
BOOL CStringT<C>::LoadString(HINSTANCE hInstance, UINT nID)
{
    int length = 0;
    const wchar_t* text = FindStringResource(hInstance, nID, &length);
    if (!text)
        return FALSE;
    if constexpr (std::is_same_v<C, wchar_t>)
        SetString(text, length);
    else
        AssignConverted(text, length);
    return TRUE;
}

template <typename C>
BSTR CStringT<C>::AllocSysString() const
{
    BSTR result;
    if constexpr (std::is_same_v<C, wchar_t>) {
        result = SysAllocStringLen(m_pszData, GetLength());
    } else {
        CStringT<wchar_t> wide(*this);
        result = SysAllocStringLen(wide.GetString(), wide.GetLength());
    }
    if (!result)
        AfxThrowMemoryException();
    return result;
}

template <typename C>
BSTR CStringT<C>::SetSysString(BSTR* pbstr) const
{
    if (!pbstr)
        AfxThrowInvalidArgException();
    INT ok;
    if constexpr (std::is_same_v<C, wchar_t>) {
        ok = SysReAllocStringLen(pbstr, m_pszData, GetLength());
    } else {
        CStringT<wchar_t> wide(*this);
        ok = SysReAllocStringLen(pbstr, wide.GetString(), wide.GetLength());
    }
    if (!ok)
        AfxThrowMemoryException();
    return *pbstr;
}

// ---- formatting -------------------------------------------------------------------------

template <typename C>
void CStringT<C>::FormatV(PCXSTR pszFormat, va_list args)
{
    // Formatted separately: the format and the arguments may be this very string.
    CStringT result;
    ql_string_detail::FormatAppend(result, pszFormat, args);
    *this = std::move(result);
}

template <typename C>
void CStringT<C>::AppendFormatV(PCXSTR pszFormat, va_list args)
{
    CStringT result;
    ql_string_detail::FormatAppend(result, pszFormat, args);
    Append(result);
}

template <typename C>
void CStringT<C>::FormatImpl(PCXSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

template <typename C>
void CStringT<C>::AppendFormatImpl(PCXSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

template <typename C>
void CStringT<C>::FormatMessageV(PCXSTR pszFormat, va_list* pArgList)
{
    if (!pszFormat || *pszFormat == 0) {
        Empty();
        return;
    }
    DWORD flags = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER;
    C* buffer = nullptr;
    DWORD length;
    if constexpr (std::is_same_v<C, wchar_t>)
        length = ::FormatMessageW(flags, pszFormat, 0, 0, reinterpret_cast<LPWSTR>(&buffer), 0, pArgList);
    else
        length = ::FormatMessageA(flags, pszFormat, 0, 0, reinterpret_cast<LPSTR>(&buffer), 0, pArgList);
    if (length == 0 || !buffer) {
        DWORD error = GetLastError();
        if (buffer)
            LocalFree(buffer);
        if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY)
            AfxThrowMemoryException();
        AfxThrowInvalidArgException();
    }
    try {
        SetString(buffer, static_cast<int>(length));
    } catch (...) {
        LocalFree(buffer);
        throw;
    }
    LocalFree(buffer);
}

template <typename C>
void CStringT<C>::FormatMessageImpl(PCXSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatMessageV(pszFormat, &args);
    va_end(args);
}

template class CStringT<wchar_t>;
template class CStringT<char>;
