// CStringT: storage, sharing, assignment, buffers, resources and the formatting entry points.
#include "framework/text_string.h"

#include "framework/exceptions.h"
#include "framework/module_state.h"
#include "framework/string_internal.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <cctype>
#include <utility>

using ql_string_detail::StringHeader;
using namespace ql_string_internal;

namespace {

// The shared empty string. Its count never reaches 1, so nothing ever writes to it.
struct NilString
{
    StringHeader header;
    wchar_t chars[2];
};
NilString g_nil = {{2, 0, 0}, {0, 0}};

bool IsNil(const StringHeader* h)
{
    return h == &g_nil.header;
}

// Only the owner of a count of 1 (or of a locked buffer) may write.
bool IsExclusive(const StringHeader* h)
{
    return !IsNil(h) && (h->refs == 1 || h->refs == -1);
}

template <typename C>
C* CharsOf(StringHeader* h)
{
    return reinterpret_cast<C*>(h + 1);
}

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

// The text of string resource nID, straight from the module's string table, or null.
const wchar_t* FindStringResource(HINSTANCE hInstance, UINT nID, int* length)
{
    HRSRC hRes = FindResourceW(hInstance, MAKEINTRESOURCEW((nID >> 4) + 1),
                               MAKEINTRESOURCEW(6) /* RT_STRING */);
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
    for (UINT i = 0; i < (nID & 15); ++i)
    {
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
        capacity = static_cast<int>(std::min<long long>(
            kMaxLength, std::max<long long>(nLength, h->capacity + h->capacity / 2LL)));
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
    if (IsNil(h))
    {
        Attach(&g_nil.header);
    }
    else if (h->refs < 0)
    { // a locked buffer is never shared
        Attach(&g_nil.header);
        SetString(src.m_pszData, h->length);
    }
    else
    {
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
    if (nRepeat > 0)
    {
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
    if ((!IsNil(mine) && mine->refs < 0) || theirs->refs < 0)
    {
        // Copy into (or out of) a locked buffer.
        SetString(src.m_pszData, theirs->length);
    }
    else
    {
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
    if (!IsNil(mine) && mine->refs < 0)
    {
        // Keep our locked buffer. Only copying can fail here, and a locked buffer that is
        // large enough needs no allocation; otherwise the text is simply left as it was.
        try
        {
            SetString(src.m_pszData, src.GetLength());
        }
        catch (CException* e)
        {
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
    if (!psz || nLength == 0)
    {
        Empty();
        return;
    }
    CStringT converted;
    if constexpr (std::is_same_v<C, wchar_t>)
    {
        int count = ql_string_detail::AnsiToWideLength(psz, nLength);
        PXSTR p = converted.PrepareWrite(count);
        ql_string_detail::AnsiToWide(psz, nLength, p, count);
        converted.SetLength(count);
    }
    else
    {
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
    if (nLength == 0)
    {
        Empty();
        return;
    }
    if (IsExclusive(h) && h->capacity >= nLength)
    {
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
    if (nNewLength < 0)
    {
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
    if (h->length == 0 && h->refs == 1)
    {
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
    if (GetLength() == 0 && Header()->refs != -1)
    {
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
    if (IsExclusive(h) && h->capacity >= total)
    {
        std::memmove(m_pszData + length, psz, nLength * sizeof(C));
        SetLength(total);
        return;
    }
    // psz may point into our own buffer: build the new one before letting go of the old.
    int capacity =
        IsExclusive(h)
            ? static_cast<int>(std::min<long long>(
                  kMaxLength, std::max<long long>(total, h->capacity + h->capacity / 2LL)))
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
    if constexpr (std::is_same_v<C, wchar_t>)
    {
        result = SysAllocStringLen(m_pszData, GetLength());
    }
    else
    {
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
    if constexpr (std::is_same_v<C, wchar_t>)
    {
        ok = SysReAllocStringLen(pbstr, m_pszData, GetLength());
    }
    else
    {
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
    if (!pszFormat || *pszFormat == 0)
    {
        Empty();
        return;
    }
    DWORD flags = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER;
    C* buffer = nullptr;
    DWORD length;
    if constexpr (std::is_same_v<C, wchar_t>)
        length = ::FormatMessageW(flags, pszFormat, 0, 0, reinterpret_cast<LPWSTR>(&buffer), 0,
                                  pArgList);
    else
        length =
            ::FormatMessageA(flags, pszFormat, 0, 0, reinterpret_cast<LPSTR>(&buffer), 0, pArgList);
    if (length == 0 || !buffer)
    {
        DWORD error = GetLastError();
        if (buffer)
            LocalFree(buffer);
        if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY)
            AfxThrowMemoryException();
        AfxThrowInvalidArgException();
    }
    try
    {
        SetString(buffer, static_cast<int>(length));
    }
    catch (...)
    {
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
