#include "dbaccess/recordset_value_parse.h"

#include "dbaccess/value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace {

bool Digits(const char* p, size_t n, int& value)
{
    value = 0;
    for (size_t i = 0; i < n; ++i)
    {
        if (p[i] < '0' || p[i] > '9')
            return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

bool ParsePlainInteger(const char* text, size_t length, long long min, long long max,
                       long long& value)
{
    size_t i = 0;
    const bool negative = length > 0 && text[0] == '-';
    if (negative)
        ++i;
    const size_t digits = length - i;
    if (digits < 1 || digits > 19 || (digits > 1 && text[i] == '0') ||
        (negative && digits == 1 && text[i] == '0'))
        return false;
    unsigned long long magnitude = 0;
    for (; i < length; ++i)
    {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
    }
    // 19 digits stay below 2^64: the range test is exact.
    if (negative)
    {
        if (magnitude > 0ULL - static_cast<unsigned long long>(min))
            return false;
        value = static_cast<long long>(0ULL - magnitude);
    }
    else
    {
        if (magnitude > static_cast<unsigned long long>(max))
            return false;
        value = static_cast<long long>(magnitude);
    }
    return true;
}

bool ParsePlainTimestamp(const char* text, size_t length, bool bDateOnly, TIMESTAMP_STRUCT& value,
                         bool bZeroParts)
{
    // The fraction: nanoseconds of its digits, as many as the structure holds.
    SQLUINTEGER fraction = 0;
    if (!bDateOnly && length > 19)
    {
        const size_t digits = length - 20;
        if (text[19] != '.' || digits < 1 || digits > 9)
            return false;
        int part = 0;
        if (!Digits(text + 20, digits, part))
            return false;
        fraction = static_cast<SQLUINTEGER>(part);
        for (size_t i = digits; i < 9; ++i)
            fraction *= 10;
        length = 19;
    }
    if (length != (bDateOnly ? 10u : 19u) || text[4] != '-' || text[7] != '-')
        return false;
    int year, month, day, hour = 0, minute = 0, second = 0;
    if (!Digits(text, 4, year) || !Digits(text + 5, 2, month) || !Digits(text + 8, 2, day))
        return false;
    if (!bDateOnly &&
        (text[10] != ' ' || text[13] != ':' || text[16] != ':' || !Digits(text + 11, 2, hour) ||
         !Digits(text + 14, 2, minute) || !Digits(text + 17, 2, second)))
        return false;
    if (hour > 23 || minute > 59 || second > 59 || month > 12 || day > 31)
        return false;
    if (!bZeroParts && (year < 1 || month < 1 || day < 1 || day > DaysInMonth(year, month)))
        return false;
    value.year = static_cast<SQLSMALLINT>(year);
    value.month = static_cast<SQLUSMALLINT>(month);
    value.day = static_cast<SQLUSMALLINT>(day);
    value.hour = static_cast<SQLUSMALLINT>(hour);
    value.minute = static_cast<SQLUSMALLINT>(minute);
    value.second = static_cast<SQLUSMALLINT>(second);
    value.fraction = fraction;
    return true;
}

bool ParsePostgresTimestamp(const char* text, size_t length, bool bDateOnly,
                            TIMESTAMP_STRUCT& value)
{
    std::string_view rest(text, length);
    if (rest == "infinity" || rest == "-infinity")
    {
        SetInfiniteTimestamp(value, rest[0] == '-');
        return true;
    }
    const bool bc = rest.ends_with(" BC");
    if (bc)
        rest.remove_suffix(3);
    const size_t yearDigits = std::min(rest.find_first_not_of("0123456789"), rest.size());
    if (yearDigits == 4)
    {
        // The server writes only real dates; a year BC has its leap years one off those AD
        // (1 BC is one), which the check of the day would not know.
        if (!ParsePlainTimestamp(rest.data(), rest.size(), bDateOnly, value, bc))
            return false;
        if (bc)
        {
            if (value.year < 1 || value.month < 1 || value.day < 1)
                return false;
            value.year = static_cast<SQLSMALLINT>(-value.year);
        }
        return true;
    }
    // A year past 9999 (none BC is that far back): the structure holds only the year, the rest
    // is checked as a year of four digits would have it.
    int year = 0;
    TIMESTAMP_STRUCT checked{};
    const std::string asYear2000 = "2000" + std::string(rest.substr(yearDigits));
    if (bc || yearDigits < 5 || yearDigits > 9 || !Digits(rest.data(), yearDigits, year) ||
        !ParsePlainTimestamp(asYear2000.data(), asYear2000.size(), bDateOnly, checked))
        return false;
    SetFarFutureTimestamp(value, static_cast<unsigned long>(year));
    return true;
}

namespace {

// The form ParsePlainDouble accepts; where the exponent's "e" is (or length).
bool IsPlainDecimal(const char* text, size_t length, size_t& mantissaEnd)
{
    size_t i = 0;
    if (i < length && text[i] == '-')
        ++i;
    size_t digits = 0;
    bool point = false;
    for (; i < length; ++i)
    {
        if (text[i] >= '0' && text[i] <= '9')
            ++digits;
        else if (text[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return false;
    mantissaEnd = i;
    if (i == length)
        return true;
    if (text[i] != 'e' && text[i] != 'E')
        return false;
    ++i;
    if (i < length && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i == length)
        return false;
    for (; i < length; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

} // namespace

bool IsSurelyPlainDouble(const char* text, size_t length)
{
    if (length == 0 || length > 300)
        return false;
    size_t i = text[0] == '-' ? 1 : 0;
    const size_t first = i;
    bool nonZero = false;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i)
        nonZero = nonZero || text[i] != '0';
    if (i == first)
        return false;
    if (i < length)
    {
        if (text[i] != '.' || ++i == length)
            return false;
        for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i)
            nonZero = nonZero || text[i] != '0';
        if (i < length)
            return false;
    }
    return nonZero || first == 0;
}

bool IsDecimalNumberText(const char* text, size_t length)
{
    size_t mantissaEnd = 0;
    return IsPlainDecimal(text, length, mantissaEnd);
}

bool ParsePlainDouble(const char* text, size_t length, double& value)
{
    size_t mantissaEnd = 0;
    if (!IsPlainDecimal(text, length, mantissaEnd) || (text[0] == '.'))
        return false;
    double parsed = 0;
    const auto r = std::from_chars(text, text + length, parsed, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != text + length)
        return false;
    if (!std::isnormal(parsed) && !(parsed == 0 && text[0] != '-'))
        return false;
    value = parsed;
    return true;
}

bool DecimalDigitsOf(const char* text, size_t length, bool& negative, char* digits, int& count,
                     int& exponent)
{
    size_t mantissaEnd = 0;
    if (!IsPlainDecimal(text, length, mantissaEnd))
        return false;
    size_t i = 0;
    negative = text[0] == '-';
    if (negative)
        ++i;
    count = 0;
    int pointAt = -1;     // digits before the point
    int firstAt = -1;     // position of the first significant digit among all digits
    int seen = 0;         // digits met
    int lastNonZero = -1; // count when the last non-zero digit was taken
    for (; i < mantissaEnd; ++i)
    {
        if (text[i] == '.')
        {
            pointAt = seen;
            continue;
        }
        const char d = text[i];
        ++seen;
        if (firstAt < 0)
        {
            if (d == '0')
                continue;
            firstAt = seen - 1;
        }
        if (count == 40)
            return false;
        digits[count++] = d;
        if (d != '0')
            lastNonZero = count;
    }
    if (firstAt < 0)
        return false; // zero
    count = lastNonZero;
    if (pointAt < 0)
        pointAt = seen;
    long long e = static_cast<long long>(pointAt) - firstAt - 1;
    if (mantissaEnd < length)
    {
        size_t j = mantissaEnd + 1;
        bool negativeExponent = false;
        if (text[j] == '+' || text[j] == '-')
            negativeExponent = text[j++] == '-';
        long long written = 0;
        for (; j < length; ++j)
        {
            written = written * 10 + (text[j] - '0');
            if (written > 100000)
                return false;
        }
        e += negativeExponent ? -written : written;
    }
    if (e < -100000 || e > 100000)
        return false;
    exponent = static_cast<int>(e);
    return true;
}

bool SplitPostgresRowText(const char* text, size_t length, std::string& scratch,
                          std::vector<CRowTextField>& fields, size_t nMaxFields)
{
    fields.clear();
    scratch.clear();
    // (Room for every field's text: nothing written here moves what was written before.)
    scratch.reserve(length);
    if (length < 2 || text[0] != '(' || text[length - 1] != ')')
        return false;
    size_t i = 1;
    const size_t end = length - 1;
    for (;;)
    {
        if (fields.size() == nMaxFields)
            return false;
        CRowTextField field;
        if (i < end && text[i] == '"')
        {
            ++i;
            const size_t from = i;
            bool plain = true;
            const size_t scratchFrom = scratch.size();
            for (;; ++i)
            {
                if (i >= end)
                    return false;
                char c = text[i];
                if (c == '"' && i + 1 < end && text[i + 1] == '"')
                    ++i;
                else if (c == '\\' && i + 1 < end)
                    c = text[++i];
                else if (c == '"')
                    break;
                else
                {
                    if (!plain)
                        scratch.push_back(c);
                    continue;
                }
                // An escaped character: the field's text is copied from here on.
                if (plain)
                {
                    scratch.append(text + from, i - 1 - from);
                    plain = false;
                }
                scratch.push_back(c);
            }
            if (plain)
            {
                field.pText = text + from;
                field.nLength = i - from;
            }
            else
            {
                field.pText = scratch.data() + scratchFrom;
                field.nLength = scratch.size() - scratchFrom;
            }
            ++i; // the closing quote
        }
        else
        {
            const size_t from = i;
            while (i < end && text[i] != ',')
            {
                if (text[i] == '"' || text[i] == '\\' || text[i] == '(' || text[i] == ')')
                    return false;
                ++i;
            }
            if (i > from)
            {
                field.pText = text + from;
                field.nLength = i - from;
            }
        }
        fields.push_back(field);
        if (i == end)
            return true;
        if (text[i] != ',')
            return false;
        ++i;
    }
}
