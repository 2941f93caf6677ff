#include "services/excel_cells.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cwctype>
#include <string>

CString ExcelColumnLetters(int column)
{
    // Bijective base 26: the digits run 1..26 (A..Z), there is no zero.
    wchar_t letters[8];
    int n = 0;
    unsigned v = static_cast<unsigned>(column) + 1;
    while (v > 0 && n < 7)
    {
        unsigned d = (v - 1) % 26;
        letters[n++] = static_cast<wchar_t>(L'A' + d);
        v = (v - 1) / 26;
    }
    CString s;
    while (n > 0)
        s += letters[--n];
    return s;
}

CString ExcelCellName(int column, int row)
{
    // Called for every cell of a workbook: built by hand.
    wchar_t buf[24];
    int n = 0;
    wchar_t letters[8];
    int nLetters = 0;
    unsigned v = static_cast<unsigned>(column) + 1;
    while (v > 0 && nLetters < 7)
    {
        letters[nLetters++] = static_cast<wchar_t>(L'A' + (v - 1) % 26);
        v = (v - 1) / 26;
    }
    while (nLetters > 0)
        buf[n++] = letters[--nLetters];
    wchar_t digits[12];
    int nDigits = 0;
    unsigned r = static_cast<unsigned>(row);
    do
    {
        digits[nDigits++] = static_cast<wchar_t>(L'0' + r % 10);
        r /= 10;
    } while (r > 0 && nDigits < 11);
    while (nDigits > 0)
        buf[n++] = digits[--nDigits];
    return CString(buf, n);
}

bool ParseExcelCellName(LPCWSTR pszName, int& column, int& row)
{
    if (!pszName)
        return false;
    LPCWSTR p = pszName;
    if (*p == L'$')
        ++p;
    long long col = 0;
    int letters = 0;
    while (*p && iswalpha(*p) && letters < 4)
    {
        col = col * 26 + (towupper(*p) - L'A' + 1);
        ++p;
        ++letters;
    }
    if (*p == L'$')
        ++p;
    if (letters == 0 || !iswdigit(*p))
        return false;
    long long r = 0;
    while (*p && iswdigit(*p) && r <= kExcelMaxRows)
        r = r * 10 + (*p++ - L'0');
    if (*p || r < 1 || r > kExcelMaxRows || col > kExcelMaxColumns)
        return false;
    column = static_cast<int>(col - 1);
    row = static_cast<int>(r);
    return true;
}

namespace {

// A decimal number as sign, significant digits without leading or trailing zeros, and the
// decimal exponent of the first digit; false when the text is not a plain number.
bool Canonical(const wchar_t* p, bool& negative, std::wstring& digits, long& exponent)
{
    negative = false;
    digits.clear();
    exponent = 0;
    if (*p == L'-' || *p == L'+')
        negative = *p++ == L'-';
    long intDigits = 0;
    bool any = false;
    std::wstring all;
    while (*p >= L'0' && *p <= L'9')
    {
        all += *p++;
        ++intDigits;
        any = true;
    }
    if (*p == L'.')
    {
        ++p;
        while (*p >= L'0' && *p <= L'9')
        {
            all += *p++;
            any = true;
        }
    }
    if (!any)
        return false;
    long exp10 = 0;
    if (*p == L'e' || *p == L'E')
    {
        ++p;
        bool negExp = false;
        if (*p == L'-' || *p == L'+')
            negExp = *p++ == L'-';
        if (!(*p >= L'0' && *p <= L'9'))
            return false;
        while (*p >= L'0' && *p <= L'9')
        {
            if (exp10 < 100000)
                exp10 = exp10 * 10 + (*p - L'0');
            ++p;
        }
        if (negExp)
            exp10 = -exp10;
    }
    if (*p)
        return false;
    size_t first = all.find_first_not_of(L'0');
    if (first == std::wstring::npos)
    {
        negative = false; // -0 and 0 are the same number in a cell
        return true;
    }
    size_t last = all.find_last_not_of(L'0');
    digits = all.substr(first, last - first + 1);
    exponent = intDigits - static_cast<long>(first) - 1 + exp10;
    return true;
}

} // namespace

CString ShortestDoubleText(double value)
{
    wchar_t buf[64];
    // A shorter text that reads back would also come out of %.15g (which drops trailing zeros).
    for (int precision = 15; precision <= 17; ++precision)
    {
        swprintf(buf, 64, L"%.*g", precision, value);
        if (wcstod(buf, nullptr) == value)
            break;
    }
    return CString(buf);
}

namespace {

// A plain decimal number as its significant digits (without leading or trailing zeros; the
// first 20 of them kept) and the decimal exponent of the first; false when the text is no
// plain number. Nothing is built: this runs for every number of a workbook.
struct CNumberDigits
{
    char digits[20];
    int nDigits = 0;   // all significant digits, also beyond the kept ones
    long exponent = 0; // of the first significant digit
};

template <class Ch>
bool ScanNumber(const Ch* p, CNumberDigits& out)
{
    if (*p == '-' || *p == '+')
        ++p;
    int pending = 0; // zeros after the last non-zero digit so far
    bool any = false, point = false, started = false;
    long intDigits = 0, leadingZeros = 0;
    for (;; ++p)
    {
        if (*p >= '0' && *p <= '9')
        {
            any = true;
            if (!point)
                ++intDigits;
            if (*p == '0')
            {
                if (started)
                    ++pending;
                else
                    ++leadingZeros;
                continue;
            }
            started = true;
            for (; pending > 0; --pending)
                if (out.nDigits++ < 20)
                    out.digits[out.nDigits - 1] = '0';
            if (out.nDigits++ < 20)
                out.digits[out.nDigits - 1] = static_cast<char>(*p);
        }
        else if (*p == '.' && !point)
            point = true;
        else
            break;
    }
    if (!any)
        return false;
    long exp10 = 0;
    if (*p == 'e' || *p == 'E')
    {
        ++p;
        bool negExp = false;
        if (*p == '-' || *p == '+')
            negExp = *p++ == '-';
        if (!(*p >= '0' && *p <= '9'))
            return false;
        for (; *p >= '0' && *p <= '9'; ++p)
            if (exp10 < 100000)
                exp10 = exp10 * 10 + (*p - '0');
        if (negExp)
            exp10 = -exp10;
    }
    if (*p)
        return false;
    out.exponent = started ? intDigits - leadingZeros - 1 + exp10 : 0;
    return true;
}

} // namespace

bool NumberTextFitsDouble(const CString& text)
{
    // Up to 15 significant digits (the exponent well inside the range) a double always reads
    // back as the same decimal; with more than 17 never (the shortest text of a double has at
    // most 17); zero always.
    CNumberDigits number;
    if (!ScanNumber(text.GetString(), number))
        return false;
    if (number.nDigits == 0)
        return true;
    if (number.nDigits > 17)
        return false;
    bool bInRange = number.exponent > -300 && number.exponent < 300;
    if (number.nDigits <= 15 && bInRange)
        return true;
    // 16 or 17 digits: the same digits as the shortest text of the double they make.
    // from_chars and to_chars do this without the locked big-number arithmetic of wcstod and
    // printf, which two threads of an export would otherwise queue on.
    char narrow[64];
    int length = text.GetLength();
    if (!bInRange || length >= static_cast<int>(sizeof narrow))
    {
        double value;
        return NumberTextFitsDouble(text, value);
    }
    for (int i = 0; i < length; ++i)
        narrow[i] = static_cast<char>(text[i]);
    // from_chars takes no plus sign.
    const char* first = narrow[0] == '+' ? narrow + 1 : narrow;
    double value = 0;
    auto parsed = std::from_chars(first, narrow + length, value);
    if (parsed.ec != std::errc() || parsed.ptr != narrow + length)
    {
        double v;
        return NumberTextFitsDouble(text, v);
    }
    char shortest[40];
    auto printed = std::to_chars(shortest, shortest + sizeof shortest - 1, value);
    if (printed.ec != std::errc())
        return false;
    *printed.ptr = 0;
    CNumberDigits back;
    return ScanNumber(shortest, back) && back.nDigits == number.nDigits &&
           back.exponent == number.exponent &&
           std::equal(number.digits, number.digits + number.nDigits, back.digits);
}

bool NumberTextFitsDouble(const CString& text, double& value)
{
    bool negative;
    std::wstring digits;
    long exponent;
    if (text.IsEmpty() || !Canonical(text, negative, digits, exponent))
        return false;
    value = wcstod(text, nullptr);
    if (value == HUGE_VAL || value == -HUGE_VAL)
        return false;
    // Up to 15 significant digits a double always reads back as the same decimal.
    if (digits.size() <= 15 && exponent > -300 && exponent < 300)
        return true;
    bool negative2;
    std::wstring digits2;
    long exponent2;
    CString back = ShortestDoubleText(value);
    if (!Canonical(back, negative2, digits2, exponent2))
        return false;
    return negative == negative2 && digits == digits2 && (digits.empty() || exponent == exponent2);
}

CString MakeSheetName(const CString& wanted, std::set<CString>& used)
{
    CString base = wanted;
    for (int i = 0; i < base.GetLength(); ++i)
        if (wcschr(L":\\/?*[]", base[i]))
            base.SetAt(i, L'_');
    if (base.IsEmpty())
        base = L"Sheet";
    // The quote may not start or end a sheet name either.
    if (base[0] == L'\'')
        base.SetAt(0, L'_');
    if (base.GetLength() > 31)
        base = base.Left(31);
    if (base[base.GetLength() - 1] == L'\'')
        base.SetAt(base.GetLength() - 1, L'_');
    CString name = base;
    for (int n = 2;; ++n)
    {
        CString key = name;
        key.MakeUpper();
        if (used.insert(key).second)
            return name;
        CString suffix;
        suffix.Format(L" (%d)", n);
        name = base.Left(31 - suffix.GetLength()) + suffix;
    }
}
