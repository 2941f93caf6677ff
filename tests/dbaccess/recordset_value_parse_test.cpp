// The plain integer and timestamp forms read back without the driver: what is taken, and that
// anything a driver might read differently is left to it.
#include "dbaccess/recordset_value_parse.h"

#include "dbaccess/value_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

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
    for (const char* text :
         {"2023-02-29 10:00:00", "1900-02-29 10:00:00", "2024-04-31 10:00:00",
          "2024-13-01 10:00:00", "0000-01-01 10:00:00", "2024-06-30 24:00:00",
          "2024-06-30 10:60:00", "2024-06-30 10:00:60", "2024-06-30T10:00:00", "2024-06-30 10:00",
          "12024-01-01 10:00:00", "2024-6-30 10:00:00", "2024-06-30", "2024-06-30 10:00:00.",
          "2024-06-30 10:00:00.1234567890", "2024-06-30 10:00:00,5", "2024-06-30 10:00:00.5Z",
          "2024-06-30 10:00:00.-5", "2024-06-30 10:00:00+02"})
        EXPECT_FALSE(ParsePlainTimestamp(text, std::strlen(text), false, ts)) << text;
    // Fractions of 1 to 9 digits, in nanoseconds.
    const struct
    {
        const char* text;
        SQLUINTEGER fraction;
    } fractions[] = {{"2024-06-30 10:00:00.5", 500000000u},
                     {"2024-06-30 10:00:00.000999", 999000u},
                     {"2024-06-30 10:00:00.123456789", 123456789u},
                     {"2024-06-30 10:00:00.000000001", 1u}};
    for (const auto& f : fractions)
    {
        ASSERT_TRUE(ParsePlainTimestamp(f.text, std::strlen(f.text), false, ts)) << f.text;
        EXPECT_EQ(ts.fraction, f.fraction) << f.text;
        EXPECT_EQ(ts.second, 0);
    }
    // A date alone only where a date is expected.
    EXPECT_FALSE(ParsePlainTimestamp(leap, std::strlen(leap), true, ts));

    // MariaDB's dates with zero parts, and days its modes let past their month's end, where
    // they are asked for; the fields themselves keep their ranges.
    for (const char* text : {"0000-00-00", "2020-00-00", "2020-01-00", "2020-02-31"})
    {
        ASSERT_FALSE(ParsePlainTimestamp(text, std::strlen(text), true, ts)) << text;
        ASSERT_TRUE(ParsePlainTimestamp(text, std::strlen(text), true, ts, true)) << text;
        EXPECT_EQ(ts.month * 100 + ts.day, std::atoi(text + 5) * 100 + std::atoi(text + 8)) << text;
    }
    const char* zero = "0000-00-00 00:00:00.000001";
    ASSERT_TRUE(ParsePlainTimestamp(zero, std::strlen(zero), false, ts, true));
    EXPECT_EQ(ts.year + ts.month + ts.day, 0);
    EXPECT_EQ(ts.fraction, 1000u);
    for (const char* text : {"2020-13-00 10:00:00", "2020-00-32 10:00:00", "2020-00-00 24:00:00"})
        EXPECT_FALSE(ParsePlainTimestamp(text, std::strlen(text), false, ts, true)) << text;
}

// PostgreSQL's own text of its dates and timestamps, read whole: its words for the infinities,
// years BC (with their own leap years: 1 BC, 5 BC) and years past 9999.
TEST(PlainValues, PostgresTimestampTextsOfEveryRange)
{
    auto parse = [](const char* text, bool dateOnly, TIMESTAMP_STRUCT& ts) {
        return ParsePostgresTimestamp(text, std::strlen(text), dateOnly, ts);
    };
    TIMESTAMP_STRUCT ts{};
    ASSERT_TRUE(parse("2024-03-05 07:08:09.000001", false, ts));
    EXPECT_EQ(ts.year * 10000 + ts.month * 100 + ts.day, 20240305);
    EXPECT_EQ(ts.fraction, 1000u);
    ASSERT_TRUE(parse("infinity", false, ts));
    EXPECT_EQ(TimestampInfinity(ts), 1);
    ASSERT_TRUE(parse("-infinity", true, ts));
    EXPECT_EQ(TimestampInfinity(ts), -1);
    ASSERT_TRUE(parse("0044-03-15 12:00:00.25 BC", false, ts));
    EXPECT_EQ(ts.year, -44);
    EXPECT_EQ(ts.fraction, 250000000u);
    EXPECT_STREQ(FormatTimestamp(&ts, SQL_TYPE_TIMESTAMP).GetString(),
                 L"0044/03/15 12:00:00.250 BC");
    for (const char* leapBC : {"0001-02-29 BC", "0005-02-29 BC"})
    {
        ASSERT_TRUE(parse(leapBC, true, ts)) << leapBC;
        EXPECT_EQ(ts.day, 29) << leapBC;
    }
    ASSERT_TRUE(parse("12345-06-07 01:02:03", false, ts));
    EXPECT_TRUE(IsFarFutureTimestamp(ts));
    EXPECT_STREQ(FarFutureText(ts, SQL_TYPE_DATE).GetString(), L"12345/?\?/?\?");
    ASSERT_TRUE(parse("294276-12-31", true, ts));
    EXPECT_TRUE(IsFarFutureTimestamp(ts));
    // Other DateStyles and anything else are not taken for some date.
    for (const char* text :
         {"", "BC", " BC", "0000-01-01 BC", "12345-13-01", "12345-06-07 BC", "05.03.2024",
          "03/05/2024 07:08:09", "Tue Mar 05 07:08:09 2024", "Infinity", "infinity ",
          "2024-03-05 07:08:09+01", "2024-03-05 07:08:09 AD", "1234567890-01-01"})
        EXPECT_FALSE(parse(text, false, ts) || parse(text, true, ts)) << text;
}

// A row value's text as PostgreSQL writes it: quoted fields (a space, or nothing), NULL fields
// (nothing between commas), escapes; anything else is refused rather than taken apart wrongly.
TEST(PlainValues, PostgresRowTextsTakenApart)
{
    std::string scratch;
    std::vector<CRowTextField> fields;
    auto split = [&](const char* text, size_t max = 8) {
        std::vector<std::string> out;
        if (!SplitPostgresRowText(text, std::strlen(text), scratch, fields, max))
            return std::vector<std::string>{"refused"};
        for (const CRowTextField& f : fields)
            out.push_back(f.pText ? std::string(f.pText, f.nLength) : std::string("<null>"));
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(split("(\"2024-01-01 00:00:17\",1999-01-02,infinity)"),
              (V{"2024-01-01 00:00:17", "1999-01-02", "infinity"}));
    EXPECT_EQ(split("()"), (V{"<null>"}));
    EXPECT_EQ(split("(,\"0044-03-15 BC\",)"), (V{"<null>", "0044-03-15 BC", "<null>"}));
    EXPECT_EQ(split("(\"\",\"a\"\"b\\\\c\",x)"), (V{"", "a\"b\\c", "x"}));
    EXPECT_EQ(split("(\"a\\\"b\",\"c\"\"\")"), (V{"a\"b", "c\""}));
    for (const char* text : {"", "(", ")", "x", "(a", "a)", "(\"a)", "(\"a\"b)", "(a\"b)", "(a(b)",
                             "((a))", "(\"a\",)x"})
        EXPECT_EQ(split(text), (V{"refused"})) << text;
    EXPECT_EQ(split("(a,b,c)", 2), (V{"refused"}));
}

TEST(PlainValues, DoublesOfPlainDecimalsOnly)
{
    double v = 0;
    const struct
    {
        const char* text;
        double value;
    } taken[] = {{"0", 0.0},
                 {"0.1", 0.1},
                 {"-2.5", -2.5},
                 {"1e+15", 1e15},
                 {"1.0e-5", 1e-5},
                 {"0.14285714285714285", 1.0 / 7.0},
                 {"-1.7976931348623157e308", -1.7976931348623157e308},
                 {"2.2250738585072014e-308", 2.2250738585072014e-308},
                 {"123456789012345678", 123456789012345678.0},
                 {"5.", 5.0},
                 {"1E3", 1000.0}};
    for (const auto& t : taken)
    {
        ASSERT_TRUE(ParsePlainDouble(t.text, std::strlen(t.text), v)) << t.text;
        EXPECT_EQ(v, t.value) << t.text;
    }
    // A minus zero, subnormal values, overflows, words, other signs and forms: the driver's.
    for (const char* text : {"",       "-",     "-0",     "-0.0",  "4.9406564584124654e-324",
                             "1e-310", "1e400", "-1e400", "inf",   "Infinity",
                             "NaN",    "nan",   "+1",     " 1",    "1 ",
                             "1e",     "1e+",   "0x1p3",  "1.5.2", "12abc",
                             ".5",     "1,5",   "1e5.5"})
    {
        EXPECT_FALSE(ParsePlainDouble(text, std::strlen(text), v)) << text;
        EXPECT_FALSE(IsSurelyPlainDouble(text, std::strlen(text))) << text;
    }
    // Known by their form alone: plain decimals without an exponent, as long as any double's
    // text; whatever else is left to the parse.
    const std::string longest = "1" + std::string(299, '0');
    const std::string smallest = "0." + std::string(297, '0') + "1";
    for (const std::string& text : {std::string("0"), std::string("-2.5"), std::string("007.50"),
                                    std::string("0.14285714285714285"), longest, smallest})
    {
        EXPECT_TRUE(IsSurelyPlainDouble(text.data(), text.size())) << text;
        EXPECT_TRUE(ParsePlainDouble(text.data(), text.size(), v)) << text;
    }
    for (const char* text : {"5.", "1e+15", "1E3", "-0.000"})
        EXPECT_FALSE(IsSurelyPlainDouble(text, std::strlen(text))) << text;
    EXPECT_FALSE(IsSurelyPlainDouble((longest + "0").data(), longest.size() + 1));
}

TEST(PlainValues, SignificantDigitsAndExponentOfADecimal)
{
    bool negative = false;
    char digits[40];
    int count = 0, exponent = 0;
    auto digitsOf = [&](const char* text) {
        if (!DecimalDigitsOf(text, std::strlen(text), negative, digits, count, exponent))
            return std::string("none");
        return std::string(negative ? "-" : "") + std::string(digits, static_cast<size_t>(count)) +
               " e" + std::to_string(exponent);
    };
    EXPECT_EQ(digitsOf("-0.0125"), "-125 e-2");
    EXPECT_EQ(digitsOf("1200"), "12 e3");
    EXPECT_EQ(digitsOf("1200.000"), "12 e3");
    EXPECT_EQ(digitsOf("007.50"), "75 e0");
    EXPECT_EQ(digitsOf("1.5e-7"), "15 e-7");
    EXPECT_EQ(digitsOf("0.00012e+3"), "12 e-1");
    EXPECT_EQ(digitsOf("98765.4321E10"), "987654321 e14");
    for (const char* text : {"0", "-0.000", "0e5", "abc", "1e", "1.2.3", "1e99999999"})
        EXPECT_EQ(digitsOf(text), "none") << text;
    // More digits than the caller's room.
    EXPECT_EQ(digitsOf("1234567890123456789012345678901234567890123"), "none");
}

} // namespace
