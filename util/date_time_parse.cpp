#include "util/utility.h"

#include <climits>
#include <cwctype>
#include <utility>

namespace {
bool IsDigit(wchar_t ch)
{
    return iswdigit(ch) != 0;
}

// Reads digits into `value` while it stays below `limit` before each further digit (the first
// digit is always taken). Returns false when there is no digit at `p`.
bool ReadLimited(LPCWSTR& p, int limit, int& value)
{
    if (!IsDigit(*p))
        return false;
    value = *p++ - L'0';
    while (IsDigit(*p) && value < limit)
        value = value * 10 + (*p++ - L'0');
    return true;
}

// An optional sign followed by a number read with ReadLimited.
bool ReadSigned(LPCWSTR& p, int limit, int& value)
{
    bool negative = false;
    if (*p == L'+' || *p == L'-')
    {
        negative = *p == L'-';
        ++p;
    }
    if (!ReadLimited(p, limit, value))
        return false;
    if (negative)
        value = -value;
    return true;
}

template <class T>
void Put(T* out, int value)
{
    if (out)
        *out = T(value);
}

// The time fields without writing them; null on failure.
LPCWSTR ScanTime(LPCWSTR p, int& hour, int& minute, int& second, int& ms)
{
    if (!ReadLimited(p, 24, hour))
        return nullptr;
    if (*p != L':')
        return nullptr;
    ++p;
    if (!ReadLimited(p, 60, minute))
        return nullptr;
    second = 0;
    ms = 0;
    if (*p == L':')
    {
        ++p;
        if (!ReadLimited(p, 60, second))
            return nullptr;
        if (*p == L'.')
        {
            ++p;
            LPCWSTR start = p;
            if (!ReadLimited(p, 1000, ms))
                return nullptr;
            for (ptrdiff_t digits = p - start; digits < 3; ++digits)
                ms *= 10;
        }
    }
    if (hour > 23 || minute > 59 || second > 59 || ms > 999)
        return nullptr;
    return p;
}
} // namespace

LPCWSTR ParseTime(LPCWSTR text, WORD* hour, WORD* minute, WORD* second, WORD* milliseconds)
{
    if (text == nullptr)
        return nullptr;
    int h = 0, m = 0, s = 0, ms = 0;
    LPCWSTR end = ScanTime(text, h, m, s, ms);
    if (end == nullptr)
        return nullptr;
    Put(hour, h);
    Put(minute, m);
    Put(second, s);
    Put(milliseconds, ms);
    return end;
}

bool ParseDateTime(LPCWSTR text, short* year, WORD* month, WORD* day, WORD* hour, WORD* minute,
                   WORD* second, WORD* milliseconds, short* zoneHours, short* zoneMinutes)
{
    if (text == nullptr)
        return false;
    LPCWSTR p = text;
    while (iswspace(*p))
        ++p;
    LPCWSTR start = p;

    int y = 0, mo = 0, d = 0;
    if (!ReadSigned(p, 10000, y))
        return false;

    if (*p != L'/' && *p != L'-' && *p != L'.')
    {
        // A time alone.
        int h = 0, mi = 0, s = 0, ms = 0;
        if (ScanTime(start, h, mi, s, ms) == nullptr)
            return false;
        Put(year, 0);
        Put(month, 0);
        Put(day, 0);
        Put(hour, h);
        Put(minute, mi);
        Put(second, s);
        Put(milliseconds, ms);
        Put(zoneHours, 0);
        Put(zoneMinutes, 0);
        return true;
    }

    const wchar_t separator = *p++;
    if (!ReadLimited(p, 12, mo))
        return false;
    if (*p != separator)
        return false;
    ++p;
    if (!ReadSigned(p, 10000, d))
        return false;

    // Day-first texts (31.12.2020), then month-first texts (12/31/2020).
    if ((d < 1 || d > 31) && y >= 1 && y <= 31)
        std::swap(y, d);
    if (mo > 12 && d >= 1 && d <= 12)
        std::swap(mo, d);

    int h = 0, mi = 0, s = 0, ms = 0, zh = 0, zm = 0;
    bool wantTime = false;
    if (*p == L'T')
    {
        ++p;
        wantTime = true;
    }
    else if (iswspace(*p))
    {
        while (iswspace(*p))
            ++p;
        wantTime = *p != L'\0';
    }
    else if (*p != L'\0')
        return false;

    if (wantTime)
    {
        p = ScanTime(p, h, mi, s, ms);
        if (p == nullptr)
            return false;
        if (iswspace(*p))
        {
            while (iswspace(*p))
                ++p;
            if (*p != L'\0')
            {
                bool negative = false;
                if (*p == L'+' || *p == L'-')
                {
                    negative = *p == L'-';
                    ++p;
                }
                if (!ReadLimited(p, 23, zh))
                    return false;
                if (*p != L':')
                    return false;
                ++p;
                if (!ReadLimited(p, 59, zm))
                    return false;
                if (negative)
                {
                    zh = -zh;
                    zm = -zm;
                }
            }
        }
        else if (*p != L'\0')
            return false;
    }

    while (iswspace(*p))
        ++p;
    if (*p != L'\0')
        return false;

    // The year is stored in 16 bits: a value that does not fit is an error, not a wrapped year.
    if (y < SHRT_MIN || y > SHRT_MAX)
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31)
        return false;
    if (zh < -23 || zh > 23 || zm < -59 || zm > 59)
        return false;

    Put(year, y);
    Put(month, mo);
    Put(day, d);
    Put(hour, h);
    Put(minute, mi);
    Put(second, s);
    Put(milliseconds, ms);
    Put(zoneHours, zh);
    Put(zoneMinutes, zm);
    return true;
}
