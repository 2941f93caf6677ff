// Text strings: CString (UTF-16, the same as CStringW) and CStringA (narrow, ANSI code page).
//
// A string object is exactly one pointer wide: it points at its NUL-terminated characters, and a
// small header (reference count, length, capacity) sits in memory just before them. Copies share
// the characters and the first write copies them (copy on write). Locking a buffer
// (LockBuffer) takes it out of sharing until UnlockBuffer.
//
// Format, AppendFormat and FormatMessage use the Windows printf meanings, with our own formatter:
// in a wide format %s is a wide string and %S a narrow one (the reverse in a narrow format), %hs
// is always narrow and %ls / %ws always wide; %c / %C likewise; %I64d, %I32d, %lld, %ld, %hd,
// %f %e %g %G, %p, %x %X %o, flags "-+ #0", widths and precisions with '*'. A null string pointer
// prints "(null)". String objects passed as arguments are handed over as their characters, so
// Format(L"%s", str) works with a CString argument.
//
// Running out of memory throws CMemoryException*.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdarg>
#include <type_traits>

template <typename CharT>
class CStringT;

namespace ql_string_detail {

// Header in front of every string's characters.
struct StringHeader
{
    long refs;    // > 0: number of owners; -1: locked by LockBuffer (never shared)
    int length;   // characters, without the terminator
    int capacity; // characters that fit, without the terminator
};

// Turns a string object into its characters for a variable argument list; passes everything
// else through (arrays decay to pointers).
template <typename T>
inline decltype(auto) VarArg(const T& value)
{
    if constexpr (std::is_same_v<T, CStringT<wchar_t>>)
        return value.GetString();
    else if constexpr (std::is_same_v<T, CStringT<char>>)
        return value.GetString();
    else if constexpr (std::is_array_v<T>)
        return static_cast<const std::remove_extent_t<T>*>(value);
    else
        return (value);
}

// The formatter behind Format: appends to out. An unknown conversion is copied as it stands.
void FormatAppend(CStringT<wchar_t>& out, const wchar_t* format, va_list args);
void FormatAppend(CStringT<char>& out, const char* format, va_list args);

// Conversion between the ANSI code page and UTF-16 (length -1: up to the terminator).
int AnsiToWideLength(const char* text, int length);
void AnsiToWide(const char* text, int length, wchar_t* out, int outLength);
int WideToAnsiLength(const wchar_t* text, int length);
void WideToAnsi(const wchar_t* text, int length, char* out, int outLength);

} // namespace ql_string_detail

template <typename CharT>
class CStringT
{
public:
    static_assert(std::is_same_v<CharT, wchar_t> || std::is_same_v<CharT, char>);
    using XCHAR = CharT;
    using PXSTR = CharT*;
    using PCXSTR = const CharT*;
    using YCHAR = std::conditional_t<std::is_same_v<CharT, wchar_t>, char, wchar_t>;
    using PYSTR = YCHAR*;
    using PCYSTR = const YCHAR*;

    // Construction. A null pointer gives an empty string; a pointer made with
    // MAKEINTRESOURCE loads that string resource.
    CStringT() noexcept;
    CStringT(const CStringT& src);
    CStringT(CStringT&& src) noexcept;
    CStringT(const CStringT<YCHAR>& src);
    CStringT(PCXSTR psz);
    CStringT(PCYSTR psz);
    CStringT(PCXSTR pch, int nLength);
    CStringT(PCYSTR pch, int nLength);
    CStringT(XCHAR ch, int nRepeat = 1);
    ~CStringT();

    CStringT& operator=(const CStringT& src);
    CStringT& operator=(CStringT&& src) noexcept;
    CStringT& operator=(const CStringT<YCHAR>& src);
    CStringT& operator=(PCXSTR psz);
    CStringT& operator=(PCYSTR psz);
    CStringT& operator=(XCHAR ch);

    CStringT& operator+=(const CStringT& src);
    CStringT& operator+=(const CStringT<YCHAR>& src);
    CStringT& operator+=(PCXSTR psz);
    CStringT& operator+=(PCYSTR psz);
    CStringT& operator+=(XCHAR ch);
    CStringT& operator+=(YCHAR ch);

    // Access.
    int GetLength() const noexcept { return Header()->length; }
    bool IsEmpty() const noexcept { return Header()->length == 0; }
    void Empty();
    XCHAR GetAt(int iChar) const;
    void SetAt(int iChar, XCHAR ch);
    XCHAR operator[](int iChar) const { return GetAt(iChar); }
    PCXSTR GetString() const noexcept { return m_pszData; }
    operator PCXSTR() const noexcept { return m_pszData; }
    void SetString(PCXSTR psz);
    void SetString(PCXSTR psz, int nLength);

    // Direct buffer access. GetBuffer gives a private, writable buffer of at least the given
    // number of characters (plus a terminator); ReleaseBuffer(-1) takes the length up to the
    // first NUL, ReleaseBuffer(n) sets it to n.
    PXSTR GetBuffer();
    PXSTR GetBuffer(int nMinBufferLength);
    void ReleaseBuffer(int nNewLength = -1);
    void ReleaseBufferSetLength(int nNewLength);
    PXSTR GetBufferSetLength(int nLength);
    PXSTR LockBuffer();
    void UnlockBuffer();
    void Preallocate(int nLength);
    void FreeExtra();
    int GetAllocLength() const noexcept { return Header()->capacity; }
    void Truncate(int nNewLength);

    void Append(const CStringT& src);
    void Append(PCXSTR psz);
    void Append(PCXSTR psz, int nLength);
    void AppendChar(XCHAR ch);

    // Formatting (see the top of this file).
    template <typename... Args>
    void Format(PCXSTR pszFormat, Args... args)
    {
        FormatImpl(pszFormat, ql_string_detail::VarArg(args)...);
    }
    template <typename... Args>
    void Format(UINT nFormatID, Args... args)
    {
        CStringT format;
        format.LoadString(nFormatID);
        FormatImpl(format.GetString(), ql_string_detail::VarArg(args)...);
    }
    template <typename... Args>
    void AppendFormat(PCXSTR pszFormat, Args... args)
    {
        AppendFormatImpl(pszFormat, ql_string_detail::VarArg(args)...);
    }
    template <typename... Args>
    void AppendFormat(UINT nFormatID, Args... args)
    {
        CStringT format;
        format.LoadString(nFormatID);
        AppendFormatImpl(format.GetString(), ql_string_detail::VarArg(args)...);
    }
    void FormatV(PCXSTR pszFormat, va_list args);
    void AppendFormatV(PCXSTR pszFormat, va_list args);

    // Message-style formatting (%1, %2!d! ...) through the system's message formatter.
    template <typename... Args>
    void FormatMessage(PCXSTR pszFormat, Args... args)
    {
        FormatMessageImpl(pszFormat, ql_string_detail::VarArg(args)...);
    }
    template <typename... Args>
    void FormatMessage(UINT nFormatID, Args... args)
    {
        CStringT format;
        format.LoadString(nFormatID);
        FormatMessageImpl(format.GetString(), ql_string_detail::VarArg(args)...);
    }
    void FormatMessageV(PCXSTR pszFormat, va_list* pArgList);

    // Searching. Positions are zero-based; -1 means not found.
    int Find(XCHAR ch, int iStart = 0) const;
    int Find(PCXSTR pszSub, int iStart = 0) const;
    int ReverseFind(XCHAR ch) const;
    int FindOneOf(PCXSTR pszCharSet) const;

    // Extraction.
    CStringT Left(int nCount) const;
    CStringT Mid(int iFirst) const;
    CStringT Mid(int iFirst, int nCount) const;
    CStringT Right(int nCount) const;
    CStringT SpanIncluding(PCXSTR pszCharSet) const;
    CStringT SpanExcluding(PCXSTR pszCharSet) const;
    // Next token after iStart, skipping leading delimiters; iStart becomes the position after
    // the token's delimiter, or -1 (and the result empty) when no token is left.
    CStringT Tokenize(PCXSTR pszTokens, int& iStart) const;

    // Modification in place.
    CStringT& Trim();
    CStringT& Trim(XCHAR chTarget);
    CStringT& Trim(PCXSTR pszTargets);
    CStringT& TrimLeft();
    CStringT& TrimLeft(XCHAR chTarget);
    CStringT& TrimLeft(PCXSTR pszTargets);
    CStringT& TrimRight();
    CStringT& TrimRight(XCHAR chTarget);
    CStringT& TrimRight(PCXSTR pszTargets);
    CStringT& MakeUpper();
    CStringT& MakeLower();
    CStringT& MakeReverse();
    int Replace(XCHAR chOld, XCHAR chNew);
    int Replace(PCXSTR pszOld, PCXSTR pszNew);
    int Remove(XCHAR chRemove);
    int Insert(int iIndex, XCHAR ch);
    int Insert(int iIndex, PCXSTR psz);
    int Delete(int iIndex, int nCount = 1);

    // Comparison: Compare is ordinal, CompareNoCase ordinal after case folding, Collate and
    // CollateNoCase by the user's locale.
    int Compare(PCXSTR psz) const;
    int CompareNoCase(PCXSTR psz) const;
    int Collate(PCXSTR psz) const;
    int CollateNoCase(PCXSTR psz) const;

    // String resources from AfxGetResourceHandle() (or the given module).
    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    // A new BSTR with the text (converted to UTF-16 for a narrow string); the caller frees it.
    BSTR AllocSysString() const;
    BSTR SetSysString(BSTR* pbstr) const;

    // Concatenation and comparison operators.
    friend CStringT operator+(const CStringT& a, const CStringT& b)
    {
        return Concat(a.m_pszData, a.GetLength(), b.m_pszData, b.GetLength());
    }
    friend CStringT operator+(const CStringT& a, PCXSTR b)
    {
        return Concat(a.m_pszData, a.GetLength(), b, -1);
    }
    friend CStringT operator+(PCXSTR a, const CStringT& b)
    {
        return Concat(a, -1, b.m_pszData, b.GetLength());
    }
    friend CStringT operator+(const CStringT& a, XCHAR b)
    {
        return Concat(a.m_pszData, a.GetLength(), &b, 1);
    }
    friend CStringT operator+(XCHAR a, const CStringT& b)
    {
        return Concat(&a, 1, b.m_pszData, b.GetLength());
    }

    friend bool operator==(const CStringT& a, const CStringT& b)
    {
        return a.GetLength() == b.GetLength() && a.Compare(b.m_pszData) == 0;
    }
    friend bool operator==(const CStringT& a, PCXSTR b) { return a.Compare(b) == 0; }
    friend bool operator==(PCXSTR a, const CStringT& b) { return b.Compare(a) == 0; }
    friend bool operator==(const CStringT& a, XCHAR b)
    {
        return a.GetLength() == 1 && a.m_pszData[0] == b;
    }
    friend bool operator==(XCHAR a, const CStringT& b)
    {
        return b.GetLength() == 1 && b.m_pszData[0] == a;
    }
    friend bool operator!=(const CStringT& a, const CStringT& b) { return !(a == b); }
    friend bool operator!=(const CStringT& a, PCXSTR b) { return !(a == b); }
    friend bool operator!=(PCXSTR a, const CStringT& b) { return !(b == a); }
    friend bool operator!=(const CStringT& a, XCHAR b) { return !(a == b); }
    friend bool operator!=(XCHAR a, const CStringT& b) { return !(b == a); }
    friend bool operator<(const CStringT& a, const CStringT& b)
    {
        return a.Compare(b.m_pszData) < 0;
    }
    friend bool operator<(const CStringT& a, PCXSTR b) { return a.Compare(b) < 0; }
    friend bool operator<(PCXSTR a, const CStringT& b) { return b.Compare(a) > 0; }
    friend bool operator>(const CStringT& a, const CStringT& b)
    {
        return a.Compare(b.m_pszData) > 0;
    }
    friend bool operator>(const CStringT& a, PCXSTR b) { return a.Compare(b) > 0; }
    friend bool operator>(PCXSTR a, const CStringT& b) { return b.Compare(a) < 0; }
    friend bool operator<=(const CStringT& a, const CStringT& b)
    {
        return a.Compare(b.m_pszData) <= 0;
    }
    friend bool operator<=(const CStringT& a, PCXSTR b) { return a.Compare(b) <= 0; }
    friend bool operator<=(PCXSTR a, const CStringT& b) { return b.Compare(a) >= 0; }
    friend bool operator>=(const CStringT& a, const CStringT& b)
    {
        return a.Compare(b.m_pszData) >= 0;
    }
    friend bool operator>=(const CStringT& a, PCXSTR b) { return a.Compare(b) >= 0; }
    friend bool operator>=(PCXSTR a, const CStringT& b) { return b.Compare(a) <= 0; }

private:
    ql_string_detail::StringHeader* Header() const noexcept
    {
        return reinterpret_cast<ql_string_detail::StringHeader*>(m_pszData) - 1;
    }
    static CStringT Concat(PCXSTR a, int lengthA, PCXSTR b, int lengthB);
    // Makes the buffer private and able to hold nLength characters, keeping the first
    // min(nLength, length) characters; returns it. The length is not changed.
    PXSTR PrepareWrite(int nLength);
    void SetLength(int nLength);
    void Attach(ql_string_detail::StringHeader* header) noexcept;
    void Release() noexcept;
    void FormatImpl(PCXSTR pszFormat, ...);
    void AppendFormatImpl(PCXSTR pszFormat, ...);
    void FormatMessageImpl(PCXSTR pszFormat, ...);
    void AssignConverted(PCYSTR psz, int nLength);

    PXSTR m_pszData;
};

using CStringW = CStringT<wchar_t>;
using CStringA = CStringT<char>;
using CString = CStringW;

static_assert(sizeof(CString) == sizeof(void*), "string objects are one pointer wide");
static_assert(sizeof(CStringA) == sizeof(void*), "string objects are one pointer wide");
static_assert(sizeof(CStringA) == sizeof(void*), "string objects are one pointer wide");

extern template class CStringT<wchar_t>;
extern template class CStringT<char>;
