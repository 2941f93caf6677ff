#include "dbaccess/recordset_value_parse.h"

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

bool ParsePlainTimestamp(const char* text, size_t length, bool bDateOnly, TIMESTAMP_STRUCT& value)
{
    if (length != (bDateOnly ? 10u : 19u) || text[4] != '-' || text[7] != '-')
        return false;
    int year, month, day, hour = 0, minute = 0, second = 0;
    if (!Digits(text, 4, year) || !Digits(text + 5, 2, month) || !Digits(text + 8, 2, day))
        return false;
    if (!bDateOnly &&
        (text[10] != ' ' || text[13] != ':' || text[16] != ':' || !Digits(text + 11, 2, hour) ||
         !Digits(text + 14, 2, minute) || !Digits(text + 17, 2, second)))
        return false;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59)
        return false;
    value.year = static_cast<SQLSMALLINT>(year);
    value.month = static_cast<SQLUSMALLINT>(month);
    value.day = static_cast<SQLUSMALLINT>(day);
    value.hour = static_cast<SQLUSMALLINT>(hour);
    value.minute = static_cast<SQLUSMALLINT>(minute);
    value.second = static_cast<SQLUSMALLINT>(second);
    value.fraction = 0;
    return true;
}
