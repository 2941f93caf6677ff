#include "dbaccess/field_text.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/recordset_value_parse.h"
#include "dbaccess/value_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>

namespace {

// Widest precision worth printing: a double carries 17 significant digits, and a fixed format
// beyond 38 decimals shows nothing any column type holds.
const int kMaxSignificant = 17;
const int kMaxDecimals = 38;

// Room for any text below: the fixed form of the largest double with 38 decimals.
const size_t kDoubleTextSize = 512;

// Lays out significant digits (digits[0] the first, exponent its power of ten) as printf's %g
// does for exactly that many significant digits, or for the given precision when they are no
// more; returns the length.
size_t GeneralLayout(bool negative, const char* digits, int count, int exponent, char* out,
                     int precision)
{
    char* o = out;
    if (negative)
        *o++ = '-';
    if (exponent < -4 || exponent >= (count <= precision ? precision : count))
    {
        *o++ = digits[0];
        if (count > 1)
        {
            *o++ = '.';
            for (int i = 1; i < count; ++i)
                *o++ = digits[i];
        }
        *o++ = 'e';
        *o++ = exponent < 0 ? '-' : '+';
        const int e = exponent < 0 ? -exponent : exponent;
        if (e >= 100)
            *o++ = static_cast<char>('0' + e / 100);
        *o++ = static_cast<char>('0' + e / 10 % 10);
        *o++ = static_cast<char>('0' + e % 10);
    }
    else if (exponent >= 0)
    {
        for (int i = 0; i <= exponent; ++i)
            *o++ = i < count ? digits[i] : '0';
        if (count > exponent + 1)
        {
            *o++ = '.';
            for (int i = exponent + 1; i < count; ++i)
                *o++ = digits[i];
        }
    }
    else
    {
        *o++ = '0';
        *o++ = '.';
        for (int i = 0; i < -exponent - 1; ++i)
            *o++ = '0';
        for (int i = 0; i < count; ++i)
            *o++ = digits[i];
    }
    return static_cast<size_t>(o - out);
}

// Writes the shortest digits that read back as the same finite value (a float's when T is float)
// in the layout printf's %g gives for exactly that many significant digits (or for the given
// precision when they are no more); returns the length, or 0 when more than maxDigits are needed.
template <class T>
size_t ShortestGeneral(T value, int maxDigits, char* out, int precision = 0)
{
    char sci[48];
    const auto r = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific);
    if (r.ec != std::errc())
        return 0;
    char digits[24];
    int count = 0;
    const char* p = sci;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    for (; p < r.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9' && count < 24)
            digits[count++] = *p;
    if (p >= r.ptr || count == 0 || count > maxDigits)
        return 0;
    int exponent = 0;
    bool negativeExponent = false;
    for (const char* q = p + 1; q < r.ptr; ++q)
    {
        if (*q == '-')
            negativeExponent = true;
        else if (*q >= '0' && *q <= '9')
            exponent = exponent * 10 + (*q - '0');
    }
    if (negativeExponent)
        exponent = -exponent;
    return GeneralLayout(negative, digits, count, exponent, out, precision);
}

// True when the text reads back as exactly the value (as a float when T is float).
template <class T>
bool ReadsBack(const char* text, size_t length, T value)
{
    T back{};
    const auto r = std::from_chars(text, text + length, back);
    return r.ec == std::errc() && r.ptr == text + length && back == value;
}

// The text of a value in the column's format (see FormatDoubleText) into out (kDoubleTextSize
// characters); returns its length. A text that would not read back as the same value (too few
// digits for the column size the driver reports, a fixed form that rounds a small value to 0, or
// one that overflows to infinity) gives way to the shortest text that does: the grid edits from
// this text and writes it back.
template <class T>
size_t FormatDoubleChars(T value, const Zelt::ICursor::CColumnDesc* desc, char* out)
{
    // std::to_chars with a precision prints exactly what printf prints for the same format.
    if (!std::isfinite(value))
    {
        const int n = snprintf(out, kDoubleTextSize, "%f", static_cast<double>(value));
        return static_cast<size_t>(n > 0 ? n : 0);
    }
    std::to_chars_result result;
    if (desc && desc->nDecimalDigits >= 1)
    {
        const int decimals =
            desc->nDecimalDigits > kMaxDecimals ? kMaxDecimals : desc->nDecimalDigits;
        result = std::to_chars(out, out + kDoubleTextSize, static_cast<double>(value),
                               std::chars_format::fixed, decimals);
    }
    else if (desc && desc->nColumnSize != 0)
    {
        const int digits = desc->nColumnSize > static_cast<SQLULEN>(kMaxSignificant)
                               ? kMaxSignificant
                               : static_cast<int>(desc->nColumnSize);
        // Beyond 15 significant digits a double prints digits it never held (1.1 as
        // 1.1000000000000001): take the fewest digits that still read back as the same value.
        if (digits > 15)
        {
            if (const size_t n = ShortestGeneral(value, digits, out))
                return n;
        }
        else if (std::is_same_v<T, double> && (std::isnormal(value) || value == 0))
        {
            // Without printing and reading back: what %.<digits>g prints reads back exactly when
            // the shortest text has at most that many digits, and is then that text (decimals of
            // up to 15 digits lie further apart than doubles, so the double's nearest is its
            // shortest); with more digits it cannot read back. Subnormal doubles lie further
            // apart and go the long way.
            return ShortestGeneral(value, kMaxSignificant, out, digits);
        }
        result = std::to_chars(out, out + kDoubleTextSize, static_cast<double>(value),
                               std::chars_format::general, digits);
    }
    else
    {
        result = std::to_chars(out, out + kDoubleTextSize, static_cast<double>(value),
                               std::chars_format::fixed, 6);
    }
    if (result.ec == std::errc())
    {
        const size_t n = static_cast<size_t>(result.ptr - out);
        if (ReadsBack(out, n, value))
            return n;
    }
    return ShortestGeneral(value, kMaxSignificant, out);
}

template <class T>
std::string FormatNarrow(T value, const Zelt::ICursor::CColumnDesc* desc)
{
    char buf[kDoubleTextSize];
    return std::string(buf, FormatDoubleChars(value, desc, buf));
}

CString FormatOf(const Zelt::ICursor::CColumnDesc* desc)
{
    CString format = L"%f";
    if (desc && desc->nDecimalDigits >= 1)
        format = (L"%." +
                  std::to_wstring(desc->nDecimalDigits > kMaxDecimals ? kMaxDecimals
                                                                      : desc->nDecimalDigits) +
                  L"f")
                     .c_str();
    else if (desc && desc->nColumnSize != 0)
        format = (L"%." +
                  std::to_wstring(desc->nColumnSize > static_cast<SQLULEN>(kMaxSignificant)
                                      ? kMaxSignificant
                                      : static_cast<int>(desc->nColumnSize)) +
                  L"g")
                     .c_str();
    return format;
}

} // namespace

CString FormatDoubleText(Zelt::ICursor* cursor, UINT col)
{
    return FormatOf(cursor ? cursor->GetColumn(col) : nullptr);
}

CStringA FormatDoubleTextA(Zelt::ICursor* cursor, UINT col)
{
    return CStringA(FormatDoubleText(cursor, col));
}

namespace {

template <class T>
CString WideFormatted(T value, const Zelt::ICursor::CColumnDesc* desc)
{
    const std::string text = FormatNarrow(value, desc);
    CString out;
    wchar_t* p = out.GetBuffer(static_cast<int>(text.size()));
    for (size_t i = 0; i < text.size(); ++i)
        p[i] = static_cast<unsigned char>(text[i]);
    out.ReleaseBuffer(static_cast<int>(text.size()));
    return out;
}

template <class T>
CStringA NarrowFormatted(T value, const Zelt::ICursor::CColumnDesc* desc)
{
    const std::string text = FormatNarrow(value, desc);
    return CStringA(text.c_str(), static_cast<int>(text.size()));
}

template <class T>
void SetFormatted(CString& out, T value, const Zelt::ICursor::CColumnDesc* desc)
{
    char narrow[kDoubleTextSize];
    wchar_t wide[kDoubleTextSize];
    const size_t n = FormatDoubleChars(value, desc, narrow);
    for (size_t i = 0; i < n; ++i)
        wide[i] = static_cast<unsigned char>(narrow[i]);
    out.SetString(wide, static_cast<int>(n));
}

} // namespace

CString FormatDoubleValue(double value, const Zelt::ICursor::CColumnDesc* desc)
{
    return WideFormatted(value, desc);
}

CString FormatDoubleValue(float value, const Zelt::ICursor::CColumnDesc* desc)
{
    return WideFormatted(value, desc);
}

CStringA FormatDoubleValueA(double value, const Zelt::ICursor::CColumnDesc* desc)
{
    return NarrowFormatted(value, desc);
}

CStringA FormatDoubleValueA(float value, const Zelt::ICursor::CColumnDesc* desc)
{
    return NarrowFormatted(value, desc);
}

CString SignedText(LONGLONG value)
{
    return CString(std::to_wstring(value).c_str());
}

CString UnsignedText(ULONGLONG value)
{
    return CString(std::to_wstring(value).c_str());
}

bool DoubleToLong(double value, long& out)
{
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return false;
    out = static_cast<long>(std::trunc(value));
    return true;
}

void ThrowValueOutOfRange(UINT col)
{
    throw new Zelt::CRDBException(
        (L"Value out of range for field #" + std::to_wstring(static_cast<int>(col))).c_str());
}

bool NarrowIntegerOfWide(const Zelt::ICursor::CColumnDesc* desc, UINT col, LONGLONG value,
                         LONGLONG min, LONGLONG max, LONGLONG& out)
{
    if (!desc || (desc->nSQLType != SQL_INTEGER && desc->nSQLType != SQL_SMALLINT &&
                  desc->nSQLType != SQL_TINYINT))
        return false;
    if (value < min || value > max)
        ThrowValueOutOfRange(col);
    out = value;
    return true;
}

CTime TimestampToTime(const TIMESTAMP_STRUCT& ts, UINT col)
{
    try
    {
        return CTime(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second, -1);
    }
    catch (CException* e)
    {
        e->Delete();
    }
    ThrowValueOutOfRange(col);
}

namespace {

// Writes the decimal digits of v backwards ending at end; returns the first character.
wchar_t* DigitsBackward(wchar_t* end, ULONGLONG v)
{
    do
    {
        *--end = static_cast<wchar_t>(L'0' + v % 10);
        v /= 10;
    } while (v);
    return end;
}

// Appends n as at least width digits (zero-padded), with a '-' for negatives.
wchar_t* PutNumber(wchar_t* p, long long n, int width)
{
    // The two-digit fields of a date and time, most of what is written here.
    if (width == 2 && n >= 0 && n < 100)
    {
        *p++ = static_cast<wchar_t>(L'0' + n / 10);
        *p++ = static_cast<wchar_t>(L'0' + n % 10);
        return p;
    }
    wchar_t tmp[24];
    wchar_t* end = tmp + 24;
    const bool negative = n < 0;
    wchar_t* first = DigitsBackward(end, negative ? 0ULL - static_cast<ULONGLONG>(n)
                                                  : static_cast<ULONGLONG>(n));
    if (negative)
        *p++ = L'-';
    for (int have = static_cast<int>(end - first); have < width; ++have)
        *p++ = L'0';
    while (first < end)
        *p++ = *first++;
    return p;
}

} // namespace

void SetSignedText(CString& out, LONGLONG value)
{
    wchar_t buf[24];
    wchar_t* end = PutNumber(buf, value, 1);
    out.SetString(buf, static_cast<int>(end - buf));
}

void SetUnsignedText(CString& out, ULONGLONG value)
{
    wchar_t buf[24];
    wchar_t* first = DigitsBackward(buf + 24, value);
    out.SetString(first, static_cast<int>(buf + 24 - first));
}

void SetDoubleText(CString& out, double value, const Zelt::ICursor::CColumnDesc* desc)
{
    SetFormatted(out, value, desc);
}

void SetDoubleText(CString& out, float value, const Zelt::ICursor::CColumnDesc* desc)
{
    SetFormatted(out, value, desc);
}

bool SetDoubleTextOfDecimal(CString& out, const char* text, size_t length,
                            const Zelt::ICursor::CColumnDesc* desc, bool bShortest)
{
    // Only the general layout is made from the digits: a fixed number of decimals rounds the
    // binary value, not its decimal text.
    if (!desc || desc->nDecimalDigits >= 1 || desc->nColumnSize == 0)
        return false;
    const int size = desc->nColumnSize > static_cast<SQLULEN>(kMaxSignificant)
                         ? kMaxSignificant
                         : static_cast<int>(desc->nColumnSize);
    bool negative = false;
    char digits[40];
    int count = 0, exponent = 0;
    // A decimal of at most 15 significant digits is the shortest text of the double nearest to
    // it (such decimals lie further apart than doubles), which is what the value's own text is
    // made of; normal doubles only. Longer texts are that only when their writer is known to
    // write the shortest, and only where the column shows the shortest text too.
    const int most = bShortest && size > 15 ? kMaxSignificant : 15;
    if (!DecimalDigitsOf(text, length, negative, digits, count, exponent) || count > most ||
        exponent < -300 || exponent > 300)
        return false;
    char narrow[64];
    const size_t n = GeneralLayout(negative, digits, count, exponent, narrow, size > 15 ? 0 : size);
    wchar_t* w = out.GetBuffer(static_cast<int>(n));
    for (size_t i = 0; i < n; ++i)
        w[i] = static_cast<unsigned char>(narrow[i]);
    out.ReleaseBuffer(static_cast<int>(n));
    return true;
}

void SetTimestampText(CString& out, const TIMESTAMP_STRUCT* value, int sqlType)
{
    if (!value)
    {
        out.Empty();
        return;
    }
    wchar_t buf[64];
    wchar_t* p = buf;
    const SQLSMALLINT type = static_cast<SQLSMALLINT>(sqlType);
    const bool time = type == SQL_SS_TIME2 || type == SQL_TIME || type == SQL_TYPE_TIME;
    const bool date = type == SQL_DATE || type == SQL_TYPE_DATE;
    // PostgreSQL's infinities, years BC and dates past 9999: as FormatTimestamp writes them.
    if (!time && (value->year < 0 || TimestampInfinity(*value) || IsFarFutureTimestamp(*value)))
    {
        out = FormatTimestamp(value, sqlType);
        return;
    }
    if (!time)
    {
        p = PutNumber(p, value->year, 1);
        *p++ = L'/';
        p = PutNumber(p, value->month, 2);
        *p++ = L'/';
        p = PutNumber(p, value->day, 2);
    }
    if (!date)
    {
        if (!time)
            *p++ = L' ';
        p = PutNumber(p, value->hour, 2);
        *p++ = L':';
        p = PutNumber(p, value->minute, 2);
        *p++ = L':';
        p = PutNumber(p, value->second, 2);
    }
    // Every digit of the fraction, trailing zeros dropped down to milliseconds.
    if (value->fraction != 0)
    {
        *p++ = L'.';
        wchar_t* digits = p;
        p = PutNumber(p, static_cast<long long>(value->fraction % 1000000000u), 9);
        while (p - digits > 3 && p[-1] == L'0')
            --p;
    }
    out.SetString(buf, static_cast<int>(p - buf));
}
