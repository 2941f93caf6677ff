// Dates and times: CTime (seconds since 1970-01-01 UTC, shown in local time) with CTimeSpan,
// and COleDateTime (an automation DATE: days since 1899-12-30, the fraction the time of day)
// with COleDateTimeSpan.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <ctime>

// The system headers define GetCurrentTime as a macro for GetTickCount; the classes here
// have members of that name.
#undef GetCurrentTime

#include "framework/text_string.h"

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (negative before it).
constexpr long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

class CTimeSpan
{
public:
    CTimeSpan() noexcept = default;
    CTimeSpan(__time64_t time) noexcept : m_timeSpan(time) {}
    CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept
    {
        SetTimeSpan(lDays, nHours, nMins, nSecs);
    }

    void SetTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept
    {
        m_timeSpan = ((static_cast<__time64_t>(lDays) * 24 + nHours) * 60 + nMins) * 60 + nSecs;
    }

    LONGLONG GetDays() const noexcept { return m_timeSpan / (24 * 3600); }
    LONGLONG GetTotalHours() const noexcept { return m_timeSpan / 3600; }
    LONG GetHours() const noexcept { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
    LONGLONG GetTotalMinutes() const noexcept { return m_timeSpan / 60; }
    LONG GetMinutes() const noexcept
    {
        return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60);
    }
    LONGLONG GetTotalSeconds() const noexcept { return m_timeSpan; }
    LONG GetSeconds() const noexcept
    {
        return static_cast<LONG>(GetTotalSeconds() - GetTotalMinutes() * 60);
    }
    __time64_t GetTimeSpan() const noexcept { return m_timeSpan; }

    CTimeSpan operator+(CTimeSpan span) const noexcept
    {
        return CTimeSpan(m_timeSpan + span.m_timeSpan);
    }
    CTimeSpan operator-(CTimeSpan span) const noexcept
    {
        return CTimeSpan(m_timeSpan - span.m_timeSpan);
    }
    CTimeSpan& operator+=(CTimeSpan span) noexcept
    {
        m_timeSpan += span.m_timeSpan;
        return *this;
    }
    CTimeSpan& operator-=(CTimeSpan span) noexcept
    {
        m_timeSpan -= span.m_timeSpan;
        return *this;
    }
    bool operator==(CTimeSpan span) const noexcept { return m_timeSpan == span.m_timeSpan; }
    bool operator!=(CTimeSpan span) const noexcept { return m_timeSpan != span.m_timeSpan; }
    bool operator<(CTimeSpan span) const noexcept { return m_timeSpan < span.m_timeSpan; }
    bool operator>(CTimeSpan span) const noexcept { return m_timeSpan > span.m_timeSpan; }
    bool operator<=(CTimeSpan span) const noexcept { return m_timeSpan <= span.m_timeSpan; }
    bool operator>=(CTimeSpan span) const noexcept { return m_timeSpan >= span.m_timeSpan; }

    // Codes: %D days, %H hours (00-23), %M minutes, %S seconds, %% a percent sign.
    CString Format(LPCTSTR pFormat) const;

private:
    __time64_t m_timeSpan = 0;
};

class CTime
{
public:
    CTime() noexcept = default;
    CTime(__time64_t time) noexcept : m_time(time) {}
    // Local date and time; nDST -1 lets the system decide whether daylight saving applies.
    // Parts that name no time (month 0, hour 24, ...) throw CInvalidArgException*.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(WORD wDosDate, WORD wDosTime, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1);
    CTime(const FILETIME& ft, int nDST = -1); // ft is UTC

    static CTime WINAPI GetCurrentTime() noexcept;
    static BOOL WINAPI IsValidFILETIME(const FILETIME& ft) noexcept;

    CTime& operator=(__time64_t time) noexcept
    {
        m_time = time;
        return *this;
    }
    CTime& operator+=(CTimeSpan span) noexcept
    {
        m_time += span.GetTimeSpan();
        return *this;
    }
    CTime& operator-=(CTimeSpan span) noexcept
    {
        m_time -= span.GetTimeSpan();
        return *this;
    }
    CTimeSpan operator-(CTime time) const noexcept { return CTimeSpan(m_time - time.m_time); }
    CTime operator-(CTimeSpan span) const noexcept { return CTime(m_time - span.GetTimeSpan()); }
    CTime operator+(CTimeSpan span) const noexcept { return CTime(m_time + span.GetTimeSpan()); }
    bool operator==(CTime time) const noexcept { return m_time == time.m_time; }
    bool operator!=(CTime time) const noexcept { return m_time != time.m_time; }
    bool operator<(CTime time) const noexcept { return m_time < time.m_time; }
    bool operator>(CTime time) const noexcept { return m_time > time.m_time; }
    bool operator<=(CTime time) const noexcept { return m_time <= time.m_time; }
    bool operator>=(CTime time) const noexcept { return m_time >= time.m_time; }

    __time64_t GetTime() const noexcept { return m_time; }
    struct tm* GetGmtTm(struct tm* ptm) const;
    struct tm* GetLocalTm(struct tm* ptm) const;
    bool GetAsSystemTime(SYSTEMTIME& st) const noexcept;

    // Local time parts; GetDayOfWeek is 1 for Sunday .. 7 for Saturday. A time that cannot
    // be broken down gives -1.
    int GetYear() const noexcept;
    int GetMonth() const noexcept;
    int GetDay() const noexcept;
    int GetHour() const noexcept;
    int GetMinute() const noexcept;
    int GetSecond() const noexcept;
    int GetDayOfWeek() const noexcept;

    // strftime codes (%a %A %b %B %c %d %H %I %j %m %M %p %S %U %w %W %x %X %y %Y %z %Z %%,
    // with # for the alternate forms) applied to the local (Format) or UTC (FormatGmt) time.
    CString Format(LPCTSTR pFormat) const;
    CString FormatGmt(LPCTSTR pFormat) const;
    CString Format(UINT nFormatID) const;
    CString FormatGmt(UINT nFormatID) const;

private:
    __time64_t m_time = 0;
};

class COleDateTimeSpan;

class COleDateTime
{
public:
    enum DateTimeStatus
    {
        error = -1,
        valid = 0,
        invalid = 1,
        null = 2
    };

    COleDateTime() noexcept = default;
    COleDateTime(DATE dtSrc) noexcept : m_dt(dtSrc) {}
    COleDateTime(__time64_t timeSrc) noexcept { *this = timeSrc; }
    COleDateTime(const SYSTEMTIME& systimeSrc) noexcept { *this = systimeSrc; }
    COleDateTime(const FILETIME& filetimeSrc) noexcept { *this = filetimeSrc; }
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) noexcept
    {
        SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
    }
    COleDateTime(WORD wDosDate, WORD wDosTime) noexcept;

    static COleDateTime WINAPI GetCurrentTime() noexcept;

    DateTimeStatus GetStatus() const noexcept { return m_status; }
    void SetStatus(DateTimeStatus status) noexcept { m_status = status; }

    // True when the value is valid and lies within 0100-01-01 .. 9999-12-31.
    bool GetAsSystemTime(SYSTEMTIME& st) const noexcept;
    bool GetAsUDATE(UDATE& udate) const noexcept;

    // Parts of the date and time; -1 when the value is not valid.
    int GetYear() const noexcept;
    int GetMonth() const noexcept;
    int GetDay() const noexcept;
    int GetHour() const noexcept;
    int GetMinute() const noexcept;
    int GetSecond() const noexcept;
    int GetDayOfWeek() const noexcept; // 1 = Sunday
    int GetDayOfYear() const noexcept; // 1 = January 1st

    COleDateTime& operator=(const VARIANT& varSrc) noexcept;
    COleDateTime& operator=(DATE dtSrc) noexcept
    {
        m_dt = dtSrc;
        m_status = valid;
        return *this;
    }
    COleDateTime& operator=(const __time64_t& timeSrc) noexcept; // local time
    COleDateTime& operator=(const SYSTEMTIME& systimeSrc) noexcept;
    COleDateTime& operator=(const FILETIME& filetimeSrc) noexcept; // UTC, shown as local time
    COleDateTime& operator=(const UDATE& udate) noexcept;

    bool operator==(const COleDateTime& date) const noexcept;
    bool operator!=(const COleDateTime& date) const noexcept;
    bool operator<(const COleDateTime& date) const noexcept;
    bool operator>(const COleDateTime& date) const noexcept;
    bool operator<=(const COleDateTime& date) const noexcept;
    bool operator>=(const COleDateTime& date) const noexcept;

    COleDateTime operator+(COleDateTimeSpan dateSpan) const noexcept;
    COleDateTime operator-(COleDateTimeSpan dateSpan) const noexcept;
    COleDateTime& operator+=(COleDateTimeSpan dateSpan) noexcept;
    COleDateTime& operator-=(COleDateTimeSpan dateSpan) noexcept;
    COleDateTimeSpan operator-(const COleDateTime& date) const noexcept;

    operator DATE() const noexcept { return m_dt; }

    // Each returns 0 and makes the value valid, or returns 1 and makes it invalid when a
    // part is out of range (year 100..9999, a real calendar day, 0..23, 0..59, 0..59).
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) noexcept;
    int SetDate(int nYear, int nMonth, int nDay) noexcept;
    int SetTime(int nHour, int nMin, int nSec) noexcept;

    // Reads a date and/or time. Understood: ISO forms ("2024-03-05", "2024-03-05 14:30",
    // "2024-03-05T14:30:15.250", with / or . as date separators), a time alone ("14:30",
    // "2:30:15 PM"), and otherwise the forms of the given locale. VAR_DATEVALUEONLY and
    // VAR_TIMEVALUEONLY drop the time or the date. The result is held to the whole second.
    // Failure leaves the value invalid.
    bool ParseDateTime(LPCTSTR lpszDate, DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) noexcept;

    // The locale's own short date and time form (the date alone when the time is midnight,
    // the time alone for a date-less value); a null value gives "", an invalid one
    // "Invalid DateTime".
    CString Format(DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) const;
    // strftime codes, as CTime::Format.
    CString Format(LPCTSTR lpszFormat) const;
    CString Format(UINT nFormatID) const;

    DATE m_dt = 0;
    DateTimeStatus m_status = valid;
};

class COleDateTimeSpan
{
public:
    enum DateTimeSpanStatus
    {
        valid = 0,
        invalid = 1,
        null = 2
    };

    COleDateTimeSpan() noexcept = default;
    COleDateTimeSpan(double dblSpanSrc) noexcept : m_span(dblSpanSrc) {}
    COleDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept
    {
        SetDateTimeSpan(lDays, nHours, nMins, nSecs);
    }

    DateTimeSpanStatus GetStatus() const noexcept { return m_status; }
    void SetStatus(DateTimeSpanStatus status) noexcept { m_status = status; }

    double GetTotalDays() const noexcept { return m_span; }
    double GetTotalHours() const noexcept;
    double GetTotalMinutes() const noexcept;
    double GetTotalSeconds() const noexcept;
    // Parts, each truncated toward zero (a negative span gives negative parts).
    LONG GetDays() const noexcept;
    LONG GetHours() const noexcept;
    LONG GetMinutes() const noexcept;
    LONG GetSeconds() const noexcept;

    COleDateTimeSpan& operator=(double dblSpanSrc) noexcept
    {
        m_span = dblSpanSrc;
        m_status = valid;
        return *this;
    }
    bool operator==(const COleDateTimeSpan& s) const noexcept
    {
        return m_status == s.m_status && m_span == s.m_span;
    }
    bool operator!=(const COleDateTimeSpan& s) const noexcept { return !(*this == s); }
    bool operator<(const COleDateTimeSpan& s) const noexcept { return m_span < s.m_span; }
    bool operator>(const COleDateTimeSpan& s) const noexcept { return m_span > s.m_span; }
    bool operator<=(const COleDateTimeSpan& s) const noexcept { return m_span <= s.m_span; }
    bool operator>=(const COleDateTimeSpan& s) const noexcept { return m_span >= s.m_span; }
    COleDateTimeSpan operator+(const COleDateTimeSpan& s) const noexcept;
    COleDateTimeSpan operator-(const COleDateTimeSpan& s) const noexcept;
    COleDateTimeSpan& operator+=(const COleDateTimeSpan& s) noexcept { return *this = *this + s; }
    COleDateTimeSpan& operator-=(const COleDateTimeSpan& s) noexcept { return *this = *this - s; }
    COleDateTimeSpan operator-() const noexcept
    {
        COleDateTimeSpan r(-m_span);
        r.m_status = m_status;
        return r;
    }
    operator double() const noexcept { return m_span; }

    void SetDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs) noexcept;

    // Codes: %D days, %H hours, %M minutes, %S seconds, %% a percent sign.
    CString Format(LPCTSTR pFormat) const;
    CString Format(UINT nID) const;

    double m_span = 0;
    DateTimeSpanStatus m_status = valid;
};
