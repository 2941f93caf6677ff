// The plain integer and timestamp forms read back without the driver: what is taken, and that
// anything a driver might read differently is left to it.
#include "dbaccess/recordset_value_parse.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

bool Integer(const char* text, long long min, long long max, long long& value)
{
    return ParsePlainInteger(text, std::strlen(text), min, max, value);
}

TEST(PlainValues, IntegersInRangeAndNothingElse)
{
    long long v = 99;
    EXPECT_TRUE(Integer("0", LLONG_MIN, LLONG_MAX, v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(Integer("-9223372036854775808", LLONG_MIN, LLONG_MAX, v));
    EXPECT_EQ(v, LLONG_MIN);
    EXPECT_TRUE(Integer("9223372036854775807", LLONG_MIN, LLONG_MAX, v));
    EXPECT_EQ(v, LLONG_MAX);
    EXPECT_TRUE(Integer("-2147483648", INT_MIN, INT_MAX, v));
    EXPECT_EQ(v, INT_MIN);
    // Beyond the range of the type, or of 64 bits.
    for (const char* text : {"2147483648", "-2147483649"})
        EXPECT_FALSE(Integer(text, INT_MIN, INT_MAX, v)) << text;
    for (const char* text : {"9223372036854775808", "-9223372036854775809", "18446744073709551616",
                             "99999999999999999999"})
        EXPECT_FALSE(Integer(text, LLONG_MIN, LLONG_MAX, v)) << text;
    // Forms a driver may read its own way.
    for (const char* text : {"", "-", "-0", "007", "+7", " 7", "7 ", "1.5", "1e3", "12abc", "0x1F"})
        EXPECT_FALSE(Integer(text, LLONG_MIN, LLONG_MAX, v)) << text;
}

TEST(PlainValues, TimestampsOfRealDatesAndTimes)
{
    TIMESTAMP_STRUCT ts{};
    const char* leap = "2024-02-29 23:59:59";
    ASSERT_TRUE(ParsePlainTimestamp(leap, std::strlen(leap), false, ts));
    EXPECT_EQ(ts.year, 2024);
    EXPECT_EQ(ts.month, 2);
    EXPECT_EQ(ts.day, 29);
    EXPECT_EQ(ts.hour, 23);
    EXPECT_EQ(ts.minute, 59);
    EXPECT_EQ(ts.second, 59);
    EXPECT_EQ(ts.fraction, 0u);
    const char* date = "2000-02-29";
    ASSERT_TRUE(ParsePlainTimestamp(date, std::strlen(date), true, ts));
    EXPECT_EQ(ts.day, 29);
    EXPECT_EQ(ts.hour + ts.minute + ts.second, 0);
    for (const char* text : {"2023-02-29 10:00:00", "1900-02-29 10:00:00", "2024-04-31 10:00:00",
                             "2024-13-01 10:00:00", "0000-01-01 10:00:00", "2024-06-30 24:00:00",
                             "2024-06-30 10:60:00", "2024-06-30 10:00:60", "2024-06-30T10:00:00",
                             "2024-06-30 10:00:00.5", "2024-06-30 10:00", "12024-01-01 10:00:00",
                             "2024-6-30 10:00:00", "2024-06-30"})
        EXPECT_FALSE(ParsePlainTimestamp(text, std::strlen(text), false, ts)) << text;
    // A date alone only where a date is expected.
    EXPECT_FALSE(ParsePlainTimestamp(leap, std::strlen(leap), true, ts));
}

} // namespace
