#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "framework/core.h"

namespace {

SYSTEMTIME MakeSystemTime(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    return st;
}

// Checks every part of a value against the expected date and time.
::testing::AssertionResult HasParts(const COleDateTime& dt, int y, int mo, int d, int h, int mi,
                                    int s)
{
    if (dt.GetStatus() != COleDateTime::valid)
        return ::testing::AssertionFailure() << "status " << dt.GetStatus();
    int got[6] = {dt.GetYear(), dt.GetMonth(),  dt.GetDay(),
                  dt.GetHour(), dt.GetMinute(), dt.GetSecond()};
    int want[6] = {y, mo, d, h, mi, s};
    for (int i = 0; i < 6; ++i)
    {
        if (got[i] != want[i])
            return ::testing::AssertionFailure()
                   << "got " << got[0] << "-" << got[1] << "-" << got[2] << " " << got[3] << ":"
                   << got[4] << ":" << got[5] << " (m_dt " << dt.m_dt << ")";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(OleDateTimeTest, EpochAndDatesBeforeIt)
{
    EXPECT_EQ(0.0, COleDateTime(1899, 12, 30, 0, 0, 0).m_dt);
    EXPECT_EQ(2.0, COleDateTime(1900, 1, 1, 0, 0, 0).m_dt);
    EXPECT_EQ(0.25, COleDateTime(1899, 12, 30, 6, 0, 0).m_dt);
    // Before the epoch the fraction still counts forward from midnight.
    EXPECT_EQ(-1.25, COleDateTime(1899, 12, 29, 6, 0, 0).m_dt);
    EXPECT_EQ(-1.75, COleDateTime(1899, 12, 29, 18, 0, 0).m_dt);
    EXPECT_TRUE(HasParts(COleDateTime(-1.25), 1899, 12, 29, 6, 0, 0));
    EXPECT_TRUE(HasParts(COleDateTime(-0.5), 1899, 12, 30, 12, 0, 0));
    EXPECT_TRUE(HasParts(COleDateTime(-657434.0), 100, 1, 1, 0, 0, 0));

    // Arithmetic and ordering run on the real timeline across the epoch.
    COleDateTime evening(1899, 12, 29, 18, 0, 0);
    COleDateTime morning(1899, 12, 29, 6, 0, 0);
    EXPECT_TRUE(morning < evening);
    EXPECT_TRUE(evening > morning);
    EXPECT_DOUBLE_EQ(0.5, (evening - morning).GetTotalDays());
    COleDateTime next = evening + COleDateTimeSpan(0, 12, 0, 0);
    EXPECT_TRUE(HasParts(next, 1899, 12, 30, 6, 0, 0));
    EXPECT_EQ(0.25, next.m_dt);
    EXPECT_TRUE(HasParts(next - COleDateTimeSpan(2, 0, 0, 0), 1899, 12, 28, 6, 0, 0));
    EXPECT_TRUE(HasParts(COleDateTime(1900, 3, 1, 0, 0, 0) - COleDateTimeSpan(1, 0, 0, 0), 1900, 2,
                         28, 0, 0, 0));
}

TEST(OleDateTimeTest, SystemTimeRoundTripsMatchTheSystemConversion)
{
    // Every 37th day and a varying time across four centuries, leap days included.
    int checked = 0;
    for (double day = -3000; day < 150000; day += 37)
    {
        SYSTEMTIME st;
        COleDateTime dt(day);
        ASSERT_TRUE(dt.GetAsSystemTime(st));
        st.wHour = static_cast<WORD>(checked % 24);
        st.wMinute = static_cast<WORD>(checked * 7 % 60);
        st.wSecond = static_cast<WORD>(checked * 13 % 60);
        COleDateTime back(st);
        ASSERT_TRUE(HasParts(back, st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond));
        double expected = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&st, &expected));
        ASSERT_NEAR(expected, back.m_dt, 1e-9) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
        SYSTEMTIME sys;
        ASSERT_TRUE(VariantTimeToSystemTime(back.m_dt, &sys));
        EXPECT_EQ(sys.wDayOfWeek + 1, back.GetDayOfWeek());
        ++checked;
    }
    EXPECT_GT(checked, 4000);
}

TEST(OleDateTimeTest, InvalidPartsAndStatus)
{
    EXPECT_EQ(COleDateTime::valid, COleDateTime(2000, 2, 29, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::valid, COleDateTime(2024, 2, 29, 23, 59, 59).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(1900, 2, 29, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(2023, 2, 29, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(2023, 4, 31, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(2023, 13, 1, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(2023, 1, 1, 24, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(99, 1, 1, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(10000, 1, 1, 0, 0, 0).GetStatus());

    COleDateTime dt;
    EXPECT_EQ(0, dt.SetDate(2024, 1, 31));
    EXPECT_EQ(1, dt.SetDate(2024, 2, 30));
    EXPECT_EQ(COleDateTime::invalid, dt.GetStatus());
    EXPECT_EQ(-1, dt.GetYear());
    EXPECT_EQ(-1, dt.GetDayOfWeek());
    SYSTEMTIME st;
    EXPECT_FALSE(dt.GetAsSystemTime(st));
    EXPECT_EQ(CString(L"Invalid DateTime"), dt.Format(L"%Y"));
    EXPECT_EQ(0, dt.SetTime(13, 5, 0));
    EXPECT_TRUE(HasParts(dt, 1899, 12, 30, 13, 5, 0));

    // A valid status with a value outside the supported range still has no parts.
    COleDateTime outOfRange(3000000.0);
    EXPECT_EQ(-1, outOfRange.GetMonth());
    EXPECT_FALSE(outOfRange.GetAsSystemTime(st));

    dt.SetStatus(COleDateTime::null);
    EXPECT_TRUE(dt.Format().IsEmpty());
    EXPECT_EQ(COleDateTime::null, (dt + COleDateTimeSpan(1.0)).GetStatus());
}

TEST(OleDateTimeTest, RoundsToTheNearestSecond)
{
    // One second is 1/86400 of a day; a value a hair below a whole second must not read
    // as the second before, and 23:59:59.6 rolls over into the next day.
    COleDateTime dt(2024, 12, 31, 23, 59, 59);
    COleDateTime shifted(dt.m_dt - 1e-10);
    EXPECT_TRUE(HasParts(shifted, 2024, 12, 31, 23, 59, 59));
    COleDateTime rolled(dt.m_dt + 0.6 / 86400.0);
    EXPECT_TRUE(HasParts(rolled, 2025, 1, 1, 0, 0, 0));
    EXPECT_EQ(1, rolled.GetDayOfYear());
    EXPECT_EQ(366, dt.GetDayOfYear());
}

TEST(OleDateTimeTest, FormatCodes)
{
    COleDateTime dt(2024, 3, 5, 14, 7, 9);
    EXPECT_EQ(CString(L"2024-03-05 14:07:09"), dt.Format(L"%Y-%m-%d %H:%M:%S"));
    EXPECT_EQ(CString(L"3/5/24 2 PM"), dt.Format(L"%#m/%#d/%y %#I %p"));
    EXPECT_EQ(CString(L"Tue Tuesday Mar March 065 100%"), dt.Format(L"%a %A %b %B %j 100%%"));
    EXPECT_EQ(CString(L"03/05/24 14:07:09"), dt.Format(L"%c"));
    EXPECT_EQ(CString(L"Tuesday, March 5, 2024"), dt.Format(L"%#x"));
    EXPECT_EQ(CString(L"12 AM"), COleDateTime(2024, 3, 5, 0, 0, 0).Format(L"%I %p"));
    EXPECT_EQ(CString(L"%q stays"), dt.Format(L"%q stays"));
    EXPECT_EQ(CString(L"0100-01-01"), COleDateTime(100, 1, 1, 0, 0, 0).Format(L"%Y-%m-%d"));

    // The locale form reads back as the same value.
    for (const COleDateTime& value :
         {dt, COleDateTime(1850, 7, 4, 0, 0, 0), COleDateTime(1899, 12, 30, 8, 30, 0)})
    {
        CString text = value.Format();
        EXPECT_FALSE(text.IsEmpty());
        COleDateTime parsed;
        ASSERT_TRUE(parsed.ParseDateTime(text)) << CStringA(text).GetString();
        EXPECT_EQ(value, parsed) << CStringA(text).GetString();
    }
}

TEST(OleDateTimeTest, ParseDateTime)
{
    COleDateTime dt;
    ASSERT_TRUE(dt.ParseDateTime(L"2024-03-05"));
    EXPECT_TRUE(HasParts(dt, 2024, 3, 5, 0, 0, 0));
    ASSERT_TRUE(dt.ParseDateTime(L"  2024/12/31 23:59:58 "));
    EXPECT_TRUE(HasParts(dt, 2024, 12, 31, 23, 59, 58));
    ASSERT_TRUE(dt.ParseDateTime(L"2024-03-05T07:08"));
    EXPECT_TRUE(HasParts(dt, 2024, 3, 5, 7, 8, 0));
    ASSERT_TRUE(dt.ParseDateTime(L"1601-01-01 12:00:00.250"));
    EXPECT_TRUE(HasParts(dt, 1601, 1, 1, 12, 0, 0));
    ASSERT_TRUE(dt.ParseDateTime(L"2:30:15 pm"));
    EXPECT_TRUE(HasParts(dt, 1899, 12, 30, 14, 30, 15));
    ASSERT_TRUE(dt.ParseDateTime(L"12:05 AM"));
    EXPECT_TRUE(HasParts(dt, 1899, 12, 30, 0, 5, 0));

    ASSERT_TRUE(dt.ParseDateTime(L"2024-03-05 18:00", VAR_DATEVALUEONLY));
    EXPECT_TRUE(HasParts(dt, 2024, 3, 5, 0, 0, 0));
    ASSERT_TRUE(dt.ParseDateTime(L"1850-03-05 18:00", VAR_TIMEVALUEONLY));
    EXPECT_TRUE(HasParts(dt, 1899, 12, 30, 18, 0, 0));

    for (const wchar_t* bad : {L"", L"2024-02-30", L"2023-02-29", L"2024-13-01",
                               L"2024-01-01 24:00", L"2024-01-01 10:61", L"2024-01-01 10:00 junk",
                               L"13:00 PM", L"99999-01-01", L"not a date"})
    {
        COleDateTime value(2020, 1, 1, 0, 0, 0);
        EXPECT_FALSE(value.ParseDateTime(bad)) << CStringA(bad).GetString();
        EXPECT_EQ(COleDateTime::invalid, value.GetStatus()) << CStringA(bad).GetString();
    }
    EXPECT_FALSE(dt.ParseDateTime(nullptr));
}

TEST(OleDateTimeTest, FromTimeAndFileTime)
{
    // A FILETIME is UTC; the value shows the same instant in local time, as CTime does.
    SYSTEMTIME utc = MakeSystemTime(2021, 6, 15, 12, 34, 56);
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    COleDateTime fromFile(ft);
    CTime t(ft);
    COleDateTime fromTime(t.GetTime());
    EXPECT_EQ(fromTime, fromFile);
    EXPECT_EQ(t.GetHour(), fromFile.GetHour());
    EXPECT_EQ(t.GetSecond(), fromFile.GetSecond());

    COleDateTime now = COleDateTime::GetCurrentTime();
    SYSTEMTIME local;
    GetLocalTime(&local);
    COleDateTimeSpan diff = COleDateTime(local) - now;
    EXPECT_LT(std::abs(diff.GetTotalSeconds()), 5.0);
}

TEST(OleDateTimeSpanTest, PartsAndFormat)
{
    COleDateTimeSpan span(2, 3, 4, 5);
    EXPECT_EQ(2, span.GetDays());
    EXPECT_EQ(3, span.GetHours());
    EXPECT_EQ(4, span.GetMinutes());
    EXPECT_EQ(5, span.GetSeconds());
    EXPECT_NEAR(51.068, span.GetTotalHours(), 0.001);
    EXPECT_EQ(CString(L"2 days 03:04:05"), span.Format(L"%D days %H:%M:%S"));

    COleDateTimeSpan negative = -span;
    EXPECT_EQ(-2, negative.GetDays());
    EXPECT_EQ(-3, negative.GetHours());
    EXPECT_EQ(-5, negative.GetSeconds());

    // 23:59:59.7 rounds up to a whole day rather than showing 23:59:60.
    COleDateTimeSpan almostDay((86399.7) / 86400.0);
    EXPECT_EQ(1, almostDay.GetDays());
    EXPECT_EQ(0, almostDay.GetHours());
    EXPECT_EQ(0, almostDay.GetSeconds());
}

TEST(TimeTest, PartsFormatAndConversions)
{
    CTime t(2023, 7, 14, 9, 5, 3);
    EXPECT_EQ(2023, t.GetYear());
    EXPECT_EQ(7, t.GetMonth());
    EXPECT_EQ(14, t.GetDay());
    EXPECT_EQ(9, t.GetHour());
    EXPECT_EQ(5, t.GetMinute());
    EXPECT_EQ(3, t.GetSecond());
    EXPECT_EQ(6, t.GetDayOfWeek()); // a Friday
    EXPECT_EQ(CString(L"2023-07-14 09:05:03 Fri"), t.Format(L"%Y-%m-%d %H:%M:%S %a"));

    SYSTEMTIME st;
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(2023, st.wYear);
    EXPECT_EQ(5, st.wDayOfWeek);
    EXPECT_EQ(t, CTime(st));
    EXPECT_TRUE(HasParts(COleDateTime(st), 2023, 7, 14, 9, 5, 3));

    // A FILETIME names an instant: the count since 1970 is the same in every time zone.
    SYSTEMTIME utc = MakeSystemTime(2001, 9, 9, 1, 46, 40);
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    EXPECT_EQ(1000000000, CTime(ft).GetTime());
    EXPECT_EQ(CString(L"2001-09-09 01:46:40"), CTime(ft).FormatGmt(L"%Y-%m-%d %H:%M:%S"));

    // DOS date and time: 2020-02-29 13:45:58.
    WORD dosDate = static_cast<WORD>(((2020 - 1980) << 9) | (2 << 5) | 29);
    WORD dosTime = static_cast<WORD>((13 << 11) | (45 << 5) | (58 / 2));
    CTime fromDos(dosDate, dosTime);
    EXPECT_EQ(CString(L"2020-02-29 13:45:58"), fromDos.Format(L"%Y-%m-%d %H:%M:%S"));
    EXPECT_TRUE(HasParts(COleDateTime(dosDate, dosTime), 2020, 2, 29, 13, 45, 58));

    CTimeSpan span = CTime(2023, 7, 15, 10, 6, 4) - t;
    EXPECT_EQ(1, span.GetDays());
    EXPECT_EQ(1, span.GetHours());
    EXPECT_EQ(1, span.GetMinutes());
    EXPECT_EQ(1, span.GetSeconds());
    EXPECT_EQ(90061, span.GetTotalSeconds());
    EXPECT_EQ(CString(L"1d 01:01:01 %"), span.Format(L"%Dd %H:%M:%S %%"));
    EXPECT_EQ(t + span, CTime(2023, 7, 15, 10, 6, 4));

    EXPECT_LT(std::llabs(CTime::GetCurrentTime().GetTime() - _time64(nullptr)), 2);

    // Parts that name no time are refused.
    for (auto make : {+[] { CTime(2023, 13, 1, 0, 0, 0); }, +[] { CTime(1850, 1, 1, 0, 0, 0); },
                      +[] { CTime(2023, 1, 1, 24, 0, 0); }})
    {
        bool thrown = false;
        try
        {
            make();
        }
        catch (CInvalidArgException* e)
        {
            e->Delete();
            thrown = true;
        }
        EXPECT_TRUE(thrown);
    }
}
