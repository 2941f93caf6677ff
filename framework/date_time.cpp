#include "framework/date_time.h"

#include <cmath>
#include <cwctype>

#include "framework/exceptions.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Calendar arithmetic (proleptic Gregorian), days counted from 1970-01-01.

void CivilFromDays(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

bool IsLeapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

// The automation date's day 0 (1899-12-30) in days from 1970-01-01.
constexpr long long kOleEpochDays = DaysFromCivil(1899, 12, 30);
// 0100-01-01 and the day after 9999-12-31 as automation dates.
const double kMinOleDate = -657434.0;
const double kMaxOleDate = 2958466.0;

// An automation date counts whole days from the epoch in its integer part but always puts the
// time of day in the magnitude of the fraction (-1.25 is 1899-12-29 06:00). These map it to a
// continuous day count and back, for arithmetic and comparison.
double OleDateToLinear(double dt)
{
    if (dt >= 0)
        return dt;
    double whole = std::trunc(dt);
    return whole + (whole - dt);
}

double LinearToOleDate(double linear)
{
    if (linear >= 0)
        return linear;
    double whole = std::floor(linear);
    double frac = linear - whole;
    return frac == 0 ? whole : whole - frac;
}

// Breaks an automation date down, rounded to the nearest second. Also gives day of week
// (0 = Sunday) and day of year (1-based).
bool OleDateToParts(double dt, SYSTEMTIME& st, int* dayOfYear)
{
    if (!(dt >= kMinOleDate && dt < kMaxOleDate))
        return false;
    double whole = std::trunc(dt);
    long long seconds =
        static_cast<long long>(whole) * 86400 + std::llround(std::fabs(dt - whole) * 86400.0);
    long long days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    long long secOfDay = seconds - days * 86400;
    long long unixDays = days + kOleEpochDays;
    int y, m, d;
    CivilFromDays(unixDays, y, m, d);
    if (y > 9999)
        return false; // 9999-12-31 23:59:59.5 and later round past the last day
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(secOfDay / 3600);
    st.wMinute = static_cast<WORD>(secOfDay / 60 % 60);
    st.wSecond = static_cast<WORD>(secOfDay % 60);
    st.wMilliseconds = 0;
    long long dow = (unixDays + 4) % 7; // 1970-01-01 was a Thursday
    st.wDayOfWeek = static_cast<WORD>(dow < 0 ? dow + 7 : dow);
    if (dayOfYear != nullptr)
        *dayOfYear = static_cast<int>(unixDays - DaysFromCivil(y, 1, 1) + 1);
    return true;
}

bool ValidDateParts(int y, int mo, int d, int h, int mi, int s)
{
    return y >= 100 && y <= 9999 && mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo) &&
           h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59;
}

double OleDateFromParts(int y, int mo, int d, int h, int mi, double s)
{
    double days = static_cast<double>(
        DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - kOleEpochDays);
    double time = (h * 3600.0 + mi * 60.0 + s) / 86400.0;
    return days >= 0 ? days + time : days - time;
}

// ---------------------------------------------------------------------------------------------
// strftime-style formatting with fixed English names (the C locale's).

const wchar_t* const kDayNames[7] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                     L"Thursday", L"Friday", L"Saturday"};
const wchar_t* const kMonthNames[12] = {L"January",   L"February", L"March",    L"April",
                                        L"May",       L"June",     L"July",     L"August",
                                        L"September", L"October",  L"November", L"December"};

void AppendNumber(CString& out, long long value, int width, bool trimZeros)
{
    wchar_t digits[24];
    int n = 0;
    bool negative = value < 0;
    unsigned long long v = negative ? 0ULL - static_cast<unsigned long long>(value)
                                    : static_cast<unsigned long long>(value);
    do
    {
        digits[n++] = static_cast<wchar_t>(L'0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative)
        out.AppendChar(L'-');
    if (!trimZeros)
    {
        for (int i = n; i < width; ++i)
            out.AppendChar(L'0');
    }
    while (n > 0)
        out.AppendChar(digits[--n]);
}

void AppendAbbrev(CString& out, const wchar_t* name)
{
    out.Append(name, 3);
}

// Appends the formatted time. zone is the text for %z / %Z.
void FormatTm(CString& out, const wchar_t* format, const struct tm& t, const wchar_t* zone)
{
    if (format == nullptr)
        return;
    int wday = (t.tm_wday % 7 + 7) % 7;
    int mon = (t.tm_mon % 12 + 12) % 12;
    for (const wchar_t* p = format; *p != 0; ++p)
    {
        if (*p != L'%')
        {
            out.AppendChar(*p);
            continue;
        }
        const wchar_t* start = p;
        ++p;
        bool alt = false;
        if (*p == L'#')
        {
            alt = true;
            ++p;
        }
        switch (*p)
        {
        case L'a': AppendAbbrev(out, kDayNames[wday]); break;
        case L'A': out += kDayNames[wday]; break;
        case L'b': AppendAbbrev(out, kMonthNames[mon]); break;
        case L'B': out += kMonthNames[mon]; break;
        case L'c':
            FormatTm(out, alt ? L"%A, %B %#d, %Y %H:%M:%S" : L"%m/%d/%y %H:%M:%S", t, zone);
            break;
        case L'd': AppendNumber(out, t.tm_mday, 2, alt); break;
        case L'H': AppendNumber(out, t.tm_hour, 2, alt); break;
        case L'I': AppendNumber(out, t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12, 2, alt); break;
        case L'j': AppendNumber(out, t.tm_yday + 1, 3, alt); break;
        case L'm': AppendNumber(out, t.tm_mon + 1, 2, alt); break;
        case L'M': AppendNumber(out, t.tm_min, 2, alt); break;
        case L'p': out += t.tm_hour < 12 ? L"AM" : L"PM"; break;
        case L'S': AppendNumber(out, t.tm_sec, 2, alt); break;
        case L'U': AppendNumber(out, (t.tm_yday + 7 - wday) / 7, 2, alt); break;
        case L'w': AppendNumber(out, wday, 1, alt); break;
        case L'W': AppendNumber(out, (t.tm_yday + 7 - (wday + 6) % 7) / 7, 2, alt); break;
        case L'x': FormatTm(out, alt ? L"%A, %B %#d, %Y" : L"%m/%d/%y", t, zone); break;
        case L'X': FormatTm(out, L"%H:%M:%S", t, zone); break;
        case L'y': AppendNumber(out, (t.tm_year + 1900) % 100, 2, alt); break;
        case L'Y': AppendNumber(out, t.tm_year + 1900, 4, alt); break;
        case L'z':
        case L'Z':
            if (zone != nullptr)
                out += zone;
            break;
        case L'%': out.AppendChar(L'%'); break;
        case 0:
            // A lone '%' at the end is kept as it stands.
            out.Append(start, static_cast<int>(p - start));
            return;
        default:
            // Unknown codes are copied as they stand.
            out.Append(start, static_cast<int>(p - start + 1));
            break;
        }
    }
}

CString LocalZoneName(int isDst)
{
    TIME_ZONE_INFORMATION tzi;
    DWORD r = GetTimeZoneInformation(&tzi);
    if (r == TIME_ZONE_ID_INVALID)
        return CString();
    return CString(isDst > 0 ? tzi.DaylightName : tzi.StandardName);
}

struct tm TmFromSystemTime(const SYSTEMTIME& st, int yday)
{
    struct tm t = {};
    t.tm_year = st.wYear - 1900;
    t.tm_mon = st.wMonth - 1;
    t.tm_mday = st.wDay;
    t.tm_hour = st.wHour;
    t.tm_min = st.wMinute;
    t.tm_sec = st.wSecond;
    t.tm_wday = st.wDayOfWeek;
    t.tm_yday = yday - 1;
    t.tm_isdst = -1;
    return t;
}

// Span parts from a day count, rounded to whole seconds: days, hours, minutes, seconds, each
// with the span's sign.
void SpanParts(double span, long long& days, long long& hours, long long& minutes,
               long long& seconds)
{
    long long total = std::llround(span * 86400.0);
    days = total / 86400;
    hours = total / 3600 % 24;
    minutes = total / 60 % 60;
    seconds = total % 60;
}

// %D days, %H hours, %M minutes, %S seconds, %% percent; other characters copied.
CString FormatSpan(const wchar_t* format, long long days, long long hours, long long minutes,
                   long long seconds)
{
    CString out;
    if (format == nullptr)
        return out;
    for (const wchar_t* p = format; *p != 0; ++p)
    {
        if (*p != L'%' || p[1] == 0)
        {
            out.AppendChar(*p);
            continue;
        }
        ++p;
        switch (*p)
        {
        case L'D': AppendNumber(out, days, 1, false); break;
        case L'H': AppendNumber(out, hours, 2, false); break;
        case L'M': AppendNumber(out, minutes, 2, false); break;
        case L'S': AppendNumber(out, seconds, 2, false); break;
        case L'%': out.AppendChar(L'%'); break;
        default:
            out.AppendChar(L'%');
            out.AppendChar(*p);
            break;
        }
    }
    return out;
}

CString LoadFormat(UINT nID)
{
    CString format;
    format.LoadString(nID);
    return format;
}

const wchar_t kInvalidDateTime[] = L"Invalid DateTime";
const wchar_t kInvalidDateTimeSpan[] = L"Invalid DateTimeSpan";

} // namespace

// ---------------------------------------------------------------------------------------------
// CTimeSpan

CString CTimeSpan::Format(LPCTSTR pFormat) const
{
    return FormatSpan(pFormat, GetDays(), GetHours(), GetMinutes(), GetSeconds());
}

// ---------------------------------------------------------------------------------------------
// CTime

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
{
    if (nYear < 1900 || nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 31 || nHour < 0 ||
        nHour > 23 || nMin < 0 || nMin > 59 || nSec < 0 || nSec > 59)
        AfxThrowInvalidArgException();
    struct tm t = {};
    t.tm_year = nYear - 1900;
    t.tm_mon = nMonth - 1;
    t.tm_mday = nDay;
    t.tm_hour = nHour;
    t.tm_min = nMin;
    t.tm_sec = nSec;
    t.tm_isdst = nDST;
    m_time = _mktime64(&t);
    if (m_time == -1)
        AfxThrowInvalidArgException();
}

CTime::CTime(WORD wDosDate, WORD wDosTime, int nDST)
    : CTime((wDosDate >> 9) + 1980, (wDosDate >> 5) & 0x0F, wDosDate & 0x1F, wDosTime >> 11,
            (wDosTime >> 5) & 0x3F, (wDosTime & 0x1F) * 2, nDST)
{}

CTime::CTime(const SYSTEMTIME& st, int nDST)
{
    // Times before 1900 cannot be held; they become the start of the count.
    if (st.wYear < 1900)
        m_time = 0;
    else
        *this = CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST);
}

CTime::CTime(const FILETIME& ft, int nDST)
{
    (void)nDST; // a FILETIME is an absolute instant: no local-time ambiguity to resolve
    ULONGLONG ticks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    const ULONGLONG kUnixEpochTicks = 116444736000000000ULL;
    if (ticks < kUnixEpochTicks)
        m_time = 0;
    else
        m_time = static_cast<__time64_t>((ticks - kUnixEpochTicks) / 10000000ULL);
}

CTime WINAPI CTime::GetCurrentTime() noexcept
{
    return CTime(_time64(nullptr));
}

BOOL WINAPI CTime::IsValidFILETIME(const FILETIME& ft) noexcept
{
    SYSTEMTIME st;
    return FileTimeToSystemTime(&ft, &st) && st.wYear >= 1970;
}

struct tm* CTime::GetGmtTm(struct tm* ptm) const
{
    if (ptm == nullptr)
        return nullptr;
    if (_gmtime64_s(ptm, &m_time) != 0)
        return nullptr;
    return ptm;
}

struct tm* CTime::GetLocalTm(struct tm* ptm) const
{
    if (ptm == nullptr)
        return nullptr;
    if (_localtime64_s(ptm, &m_time) != 0)
        return nullptr;
    return ptm;
}

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const noexcept
{
    struct tm t;
    if (GetLocalTm(&t) == nullptr)
        return false;
    st.wYear = static_cast<WORD>(t.tm_year + 1900);
    st.wMonth = static_cast<WORD>(t.tm_mon + 1);
    st.wDay = static_cast<WORD>(t.tm_mday);
    st.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    st.wHour = static_cast<WORD>(t.tm_hour);
    st.wMinute = static_cast<WORD>(t.tm_min);
    st.wSecond = static_cast<WORD>(t.tm_sec);
    st.wMilliseconds = 0;
    return true;
}

namespace {
int LocalPart(__time64_t time, int tm::*field, int add)
{
    struct tm t;
    if (_localtime64_s(&t, &time) != 0)
        return -1;
    return t.*field + add;
}
} // namespace

int CTime::GetYear() const noexcept
{
    return LocalPart(m_time, &tm::tm_year, 1900);
}
int CTime::GetMonth() const noexcept
{
    return LocalPart(m_time, &tm::tm_mon, 1);
}
int CTime::GetDay() const noexcept
{
    return LocalPart(m_time, &tm::tm_mday, 0);
}
int CTime::GetHour() const noexcept
{
    return LocalPart(m_time, &tm::tm_hour, 0);
}
int CTime::GetMinute() const noexcept
{
    return LocalPart(m_time, &tm::tm_min, 0);
}
int CTime::GetSecond() const noexcept
{
    return LocalPart(m_time, &tm::tm_sec, 0);
}
int CTime::GetDayOfWeek() const noexcept
{
    return LocalPart(m_time, &tm::tm_wday, 1);
}

CString CTime::Format(LPCTSTR pFormat) const
{
    CString out;
    struct tm t;
    if (GetLocalTm(&t) != nullptr)
        FormatTm(out, pFormat, t, LocalZoneName(t.tm_isdst));
    return out;
}

CString CTime::FormatGmt(LPCTSTR pFormat) const
{
    CString out;
    struct tm t;
    if (GetGmtTm(&t) != nullptr)
        FormatTm(out, pFormat, t, L"UTC");
    return out;
}

CString CTime::Format(UINT nFormatID) const
{
    return Format(LoadFormat(nFormatID));
}
CString CTime::FormatGmt(UINT nFormatID) const
{
    return FormatGmt(LoadFormat(nFormatID));
}

// ---------------------------------------------------------------------------------------------
// COleDateTime

COleDateTime::COleDateTime(WORD wDosDate, WORD wDosTime) noexcept
{
    SetDateTime((wDosDate >> 9) + 1980, (wDosDate >> 5) & 0x0F, wDosDate & 0x1F, wDosTime >> 11,
                (wDosTime >> 5) & 0x3F, (wDosTime & 0x1F) * 2);
}

COleDateTime WINAPI COleDateTime::GetCurrentTime() noexcept
{
    return COleDateTime(_time64(nullptr));
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& st) const noexcept
{
    return m_status == valid && OleDateToParts(m_dt, st, nullptr);
}

bool COleDateTime::GetAsUDATE(UDATE& udate) const noexcept
{
    int yday = 0;
    if (m_status != valid || !OleDateToParts(m_dt, udate.st, &yday))
        return false;
    udate.wDayOfYear = static_cast<USHORT>(yday);
    return true;
}

namespace {
int OlePart(const COleDateTime& date, WORD SYSTEMTIME::*field, int add)
{
    SYSTEMTIME st;
    if (!date.GetAsSystemTime(st))
        return -1;
    return st.*field + add;
}
} // namespace

int COleDateTime::GetYear() const noexcept
{
    return OlePart(*this, &SYSTEMTIME::wYear, 0);
}
int COleDateTime::GetMonth() const noexcept
{
    return OlePart(*this, &SYSTEMTIME::wMonth, 0);
}
int COleDateTime::GetDay() const noexcept
{
    return OlePart(*this, &SYSTEMTIME::wDay, 0);
}
int COleDateTime::GetHour() const noexcept
{
    return OlePart(*this, &SYSTEMTIME::wHour, 0);
}
int COleDateTime::GetMinute() const noexcept
{
    return OlePart(*this, &SYSTEMTIME::wMinute, 0);
}
int COleDateTime::GetSecond() const noexcept
{
    return OlePart(*this, &SYSTEMTIME::wSecond, 0);
}
int COleDateTime::GetDayOfWeek() const noexcept
{
    return OlePart(*this, &SYSTEMTIME::wDayOfWeek, 1);
}

int COleDateTime::GetDayOfYear() const noexcept
{
    SYSTEMTIME st;
    int yday = 0;
    if (m_status != valid || !OleDateToParts(m_dt, st, &yday))
        return -1;
    return yday;
}

COleDateTime& COleDateTime::operator=(const VARIANT& varSrc) noexcept
{
    if (varSrc.vt == VT_DATE)
    {
        m_dt = varSrc.date;
        m_status = valid;
        return *this;
    }
    if (varSrc.vt == VT_NULL || varSrc.vt == VT_EMPTY)
    {
        m_dt = 0;
        m_status = null;
        return *this;
    }
    VARIANT converted;
    VariantInit(&converted);
    if (SUCCEEDED(VariantChangeType(&converted, const_cast<VARIANT*>(&varSrc), 0, VT_DATE)))
    {
        m_dt = converted.date;
        m_status = valid;
    }
    else
    {
        m_dt = 0;
        m_status = invalid;
    }
    VariantClear(&converted);
    return *this;
}

COleDateTime& COleDateTime::operator=(const __time64_t& timeSrc) noexcept
{
    struct tm t;
    if (timeSrc < 0 || _localtime64_s(&t, &timeSrc) != 0)
    {
        m_dt = 0;
        m_status = invalid;
        return *this;
    }
    SetDateTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return *this;
}

COleDateTime& COleDateTime::operator=(const SYSTEMTIME& systimeSrc) noexcept
{
    SetDateTime(systimeSrc.wYear, systimeSrc.wMonth, systimeSrc.wDay, systimeSrc.wHour,
                systimeSrc.wMinute, systimeSrc.wSecond);
    return *this;
}

COleDateTime& COleDateTime::operator=(const FILETIME& filetimeSrc) noexcept
{
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&filetimeSrc, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    {
        m_dt = 0;
        m_status = invalid;
        return *this;
    }
    return *this = local;
}

COleDateTime& COleDateTime::operator=(const UDATE& udate) noexcept
{
    return *this = udate.st;
}

bool COleDateTime::operator==(const COleDateTime& date) const noexcept
{
    if (m_status != date.m_status)
        return false;
    return m_status != valid || m_dt == date.m_dt;
}

bool COleDateTime::operator!=(const COleDateTime& date) const noexcept
{
    return !(*this == date);
}

bool COleDateTime::operator<(const COleDateTime& date) const noexcept
{
    return OleDateToLinear(m_dt) < OleDateToLinear(date.m_dt);
}

bool COleDateTime::operator>(const COleDateTime& date) const noexcept
{
    return date < *this;
}
bool COleDateTime::operator<=(const COleDateTime& date) const noexcept
{
    return !(date < *this);
}
bool COleDateTime::operator>=(const COleDateTime& date) const noexcept
{
    return !(*this < date);
}

COleDateTime COleDateTime::operator+(COleDateTimeSpan dateSpan) const noexcept
{
    COleDateTime result;
    if (m_status == invalid || dateSpan.GetStatus() == COleDateTimeSpan::invalid)
    {
        result.m_status = invalid;
        return result;
    }
    if (m_status == null || dateSpan.GetStatus() == COleDateTimeSpan::null)
    {
        result.m_status = null;
        return result;
    }
    result.m_dt = LinearToOleDate(OleDateToLinear(m_dt) + dateSpan.m_span);
    if (!(result.m_dt >= kMinOleDate && result.m_dt < kMaxOleDate))
        result.m_status = invalid;
    return result;
}

COleDateTime COleDateTime::operator-(COleDateTimeSpan dateSpan) const noexcept
{
    return *this + (-dateSpan);
}

COleDateTime& COleDateTime::operator+=(COleDateTimeSpan dateSpan) noexcept
{
    return *this = *this + dateSpan;
}

COleDateTime& COleDateTime::operator-=(COleDateTimeSpan dateSpan) noexcept
{
    return *this = *this - dateSpan;
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& date) const noexcept
{
    COleDateTimeSpan span;
    if (m_status == invalid || date.m_status == invalid)
    {
        span.m_status = COleDateTimeSpan::invalid;
        return span;
    }
    if (m_status == null || date.m_status == null)
    {
        span.m_status = COleDateTimeSpan::null;
        return span;
    }
    span.m_span = OleDateToLinear(m_dt) - OleDateToLinear(date.m_dt);
    return span;
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin,
                              int nSec) noexcept
{
    if (!ValidDateParts(nYear, nMonth, nDay, nHour, nMin, nSec))
    {
        m_dt = 0;
        m_status = invalid;
        return 1;
    }
    m_dt = OleDateFromParts(nYear, nMonth, nDay, nHour, nMin, nSec);
    m_status = valid;
    return 0;
}

int COleDateTime::SetDate(int nYear, int nMonth, int nDay) noexcept
{
    return SetDateTime(nYear, nMonth, nDay, 0, 0, 0);
}

int COleDateTime::SetTime(int nHour, int nMin, int nSec) noexcept
{
    return SetDateTime(1899, 12, 30, nHour, nMin, nSec);
}

namespace {

// A small cursor over the text being parsed.
struct Scanner
{
    const wchar_t* p;

    void SkipBlanks()
    {
        while (*p == L' ' || *p == L'\t')
            ++p;
    }
    // Reads 1..maxDigits decimal digits.
    bool Number(int& value, int maxDigits)
    {
        int n = 0;
        value = 0;
        while (n < maxDigits && *p >= L'0' && *p <= L'9')
        {
            value = value * 10 + (*p - L'0');
            ++p;
            ++n;
        }
        return n > 0;
    }
    bool Char(wchar_t c)
    {
        if (*p != c)
            return false;
        ++p;
        return true;
    }
};

// "H:MM[:SS[.fff]] [AM|PM]" from the scanner's position; seconds include the fraction.
bool ParseTimePart(Scanner& s, int& hour, int& minute, double& second)
{
    int sec = 0;
    if (!s.Number(hour, 2) || !s.Char(L':') || !s.Number(minute, 2))
        return false;
    second = 0;
    if (s.Char(L':'))
    {
        if (!s.Number(sec, 2))
            return false;
        second = sec;
        if (*s.p == L'.' || *s.p == L',')
        {
            ++s.p;
            double scale = 0.1;
            bool any = false;
            while (*s.p >= L'0' && *s.p <= L'9')
            {
                second += (*s.p - L'0') * scale;
                scale /= 10;
                ++s.p;
                any = true;
            }
            if (!any)
                return false;
        }
    }
    s.SkipBlanks();
    wchar_t c0 = static_cast<wchar_t>(std::towupper(s.p[0]));
    wchar_t c1 = c0 != 0 ? static_cast<wchar_t>(std::towupper(s.p[1])) : 0;
    if ((c0 == L'A' || c0 == L'P') && c1 == L'M')
    {
        if (hour < 1 || hour > 12)
            return false;
        if (c0 == L'A')
            hour = hour == 12 ? 0 : hour;
        else
            hour = hour == 12 ? 12 : hour + 12;
        s.p += 2;
    }
    return hour <= 23 && minute <= 59 && second < 60;
}

// How far the locale-neutral reader got with a text.
enum class NeutralParse
{
    NotNeutral,
    Parsed,
    Bad
};

// ISO-style dates and times: "YYYY-MM-DD", "YYYY/MM/DD" or "YYYY.MM.DD", optionally followed
// by a blank or 'T' and a time; or a time alone. A text that has one of these shapes but names
// no real date or time is Bad (it is not handed on to the locale's reader, which would guess).
NeutralParse ParseNeutral(const wchar_t* text, double& dt)
{
    Scanner s{text};
    s.SkipBlanks();
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0;
    double second = 0;

    const wchar_t* start = s.p;
    int first = 0;
    if (!s.Number(first, 6))
        return NeutralParse::NotNeutral;
    int digits = static_cast<int>(s.p - start);
    if (digits >= 3 && (*s.p == L'-' || *s.p == L'/' || *s.p == L'.'))
    {
        wchar_t sep = *s.p++;
        year = digits <= 5 ? first : 0;
        if (!s.Number(month, 2) || !s.Char(sep) || !s.Number(day, 2))
            return NeutralParse::Bad;
        if (*s.p == L'T' || *s.p == L't' || *s.p == L' ')
        {
            ++s.p;
            s.SkipBlanks();
            if (*s.p != 0 && !ParseTimePart(s, hour, minute, second))
                return NeutralParse::Bad;
        }
    }
    else if (digits <= 2 && *s.p == L':')
    {
        s.p = start;
        if (!ParseTimePart(s, hour, minute, second))
            return NeutralParse::Bad;
    }
    else
    {
        return NeutralParse::NotNeutral;
    }
    s.SkipBlanks();
    if (*s.p != 0)
        return NeutralParse::Bad;
    int wholeSecond = static_cast<int>(second);
    if (!ValidDateParts(year, month, day, hour, minute, wholeSecond))
        return NeutralParse::Bad;
    dt = OleDateFromParts(year, month, day, hour, minute, second);
    return NeutralParse::Parsed;
}

} // namespace

bool COleDateTime::ParseDateTime(LPCTSTR lpszDate, DWORD dwFlags, LCID lcid) noexcept
{
    m_dt = 0;
    m_status = invalid;
    if (lpszDate == nullptr || *lpszDate == 0)
        return false;

    double dt = 0;
    NeutralParse neutral = ParseNeutral(lpszDate, dt);
    if (neutral == NeutralParse::Bad)
        return false;
    if (neutral == NeutralParse::NotNeutral)
    {
        BSTR text = SysAllocString(lpszDate);
        if (text == nullptr)
            return false;
        HRESULT hr =
            VarDateFromStr(text, lcid, dwFlags & (VAR_DATEVALUEONLY | VAR_TIMEVALUEONLY), &dt);
        SysFreeString(text);
        if (FAILED(hr))
            return false;
    }
    // Held to the whole second, built the same way as SetDateTime builds it, so that a value
    // read back from its text compares equal to the original.
    SYSTEMTIME st;
    if (!OleDateToParts(dt, st, nullptr))
        return false;
    if (dwFlags & VAR_DATEVALUEONLY)
        st.wHour = st.wMinute = st.wSecond = 0;
    if (dwFlags & VAR_TIMEVALUEONLY)
    {
        st.wYear = 1899;
        st.wMonth = 12;
        st.wDay = 30;
    }
    dt = OleDateFromParts(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    m_dt = dt;
    m_status = valid;
    return true;
}

CString COleDateTime::Format(DWORD dwFlags, LCID lcid) const
{
    if (m_status == null)
        return CString();
    if (m_status != valid)
        return CString(kInvalidDateTime);
    BSTR text = nullptr;
    if (FAILED(VarBstrFromDate(m_dt, lcid, dwFlags, &text)) || text == nullptr)
        return CString(kInvalidDateTime);
    CString result(text, static_cast<int>(SysStringLen(text)));
    SysFreeString(text);
    return result;
}

CString COleDateTime::Format(LPCTSTR lpszFormat) const
{
    if (m_status == null)
        return CString();
    SYSTEMTIME st;
    int yday = 0;
    if (m_status != valid || !OleDateToParts(m_dt, st, &yday))
        return CString(kInvalidDateTime);
    CString out;
    FormatTm(out, lpszFormat, TmFromSystemTime(st, yday), LocalZoneName(0));
    return out;
}

CString COleDateTime::Format(UINT nFormatID) const
{
    return Format(static_cast<LPCTSTR>(LoadFormat(nFormatID)));
}

// ---------------------------------------------------------------------------------------------
// COleDateTimeSpan

double COleDateTimeSpan::GetTotalHours() const noexcept
{
    return m_span * 24.0;
}
double COleDateTimeSpan::GetTotalMinutes() const noexcept
{
    return m_span * 24.0 * 60.0;
}
double COleDateTimeSpan::GetTotalSeconds() const noexcept
{
    return m_span * 24.0 * 3600.0;
}

LONG COleDateTimeSpan::GetDays() const noexcept
{
    long long d, h, m, s;
    SpanParts(m_span, d, h, m, s);
    return static_cast<LONG>(d);
}

LONG COleDateTimeSpan::GetHours() const noexcept
{
    long long d, h, m, s;
    SpanParts(m_span, d, h, m, s);
    return static_cast<LONG>(h);
}

LONG COleDateTimeSpan::GetMinutes() const noexcept
{
    long long d, h, m, s;
    SpanParts(m_span, d, h, m, s);
    return static_cast<LONG>(m);
}

LONG COleDateTimeSpan::GetSeconds() const noexcept
{
    long long d, h, m, s;
    SpanParts(m_span, d, h, m, s);
    return static_cast<LONG>(s);
}

COleDateTimeSpan COleDateTimeSpan::operator+(const COleDateTimeSpan& s) const noexcept
{
    COleDateTimeSpan r;
    if (m_status == invalid || s.m_status == invalid)
        r.m_status = invalid;
    else if (m_status == null || s.m_status == null)
        r.m_status = null;
    else
        r.m_span = m_span + s.m_span;
    return r;
}

COleDateTimeSpan COleDateTimeSpan::operator-(const COleDateTimeSpan& s) const noexcept
{
    return *this + (-s);
}

void COleDateTimeSpan::SetDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept
{
    m_span = lDays + (static_cast<double>(nHours) * 3600.0 + nMins * 60.0 + nSecs) / 86400.0;
    m_status = valid;
}

CString COleDateTimeSpan::Format(LPCTSTR pFormat) const
{
    if (m_status == null)
        return CString();
    if (m_status != valid)
        return CString(kInvalidDateTimeSpan);
    long long d, h, m, s;
    SpanParts(m_span, d, h, m, s);
    return FormatSpan(pFormat, d, h, m, s);
}

CString COleDateTimeSpan::Format(UINT nID) const
{
    return Format(static_cast<LPCTSTR>(LoadFormat(nID)));
}
