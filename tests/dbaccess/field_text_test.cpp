#include <gtest/gtest.h>

#include "dbaccess/field_text.h"
#include "dbaccess/value_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

std::wstring W(const CString& s)
{
    return std::wstring(static_cast<LPCWSTR>(s));
}

Zelt::ICursor::CColumnDesc Desc(SQLULEN size, SQLSMALLINT digits)
{
    Zelt::ICursor::CColumnDesc d;
    d.nColumnSize = size;
    d.nDecimalDigits = digits;
    return d;
}

} // namespace

TEST(FieldText, DoublesFollowTheColumnsSizeAndScale)
{
    const auto scale3 = Desc(10, 3), real = Desc(7, 0), dbl = Desc(53, 0), size15 = Desc(15, 0);
    EXPECT_EQ(W(FormatDoubleValue(2.5, &scale3)), L"2.500");
    EXPECT_EQ(W(FormatDoubleValue(0.25f, &real)), L"0.25");
    EXPECT_EQ(W(FormatDoubleValue(2.5, nullptr)), L"2.500000");
    // Wide columns print the shortest text that reads back as the same double.
    EXPECT_EQ(W(FormatDoubleValue(0.1, &dbl)), L"0.1");
    EXPECT_EQ(W(FormatDoubleValue(-2.7, &dbl)), L"-2.7");
    EXPECT_EQ(W(FormatDoubleValue(1.0 / 7.0, &dbl)), L"0.14285714285714285");
    EXPECT_EQ(W(FormatDoubleValue(123456789012.0, &dbl)), L"123456789012");
    EXPECT_EQ(W(FormatDoubleValue(1e20, &dbl)), L"1e+20");
    EXPECT_EQ(W(FormatDoubleValue(1e-5, &dbl)), L"1e-05");
    EXPECT_EQ(W(FormatDoubleValue(-0.00012, &dbl)), L"-0.00012");
    EXPECT_EQ(W(FormatDoubleValue(0.0, &dbl)), L"0");
    EXPECT_EQ(W(FormatDoubleValue(1234.5, &dbl)), L"1234.5");
    EXPECT_EQ(W(FormatDoubleValue(0.125, &size15)), L"0.125");
    EXPECT_EQ(W(FormatDoubleValue(DBL_MAX, &scale3)).size(), 313u);
    EXPECT_EQ(W(FormatDoubleValue(DBL_MAX, &dbl)), L"1.7976931348623157e+308");
    EXPECT_EQ(W(FormatDoubleText(nullptr, 1)), L"%f");
}

TEST(FieldText, IntegersAndTimestampsWrittenInPlaceMatchTheirFormatters)
{
    CString s;
    SetSignedText(s, -9223372036854775807LL - 1);
    EXPECT_EQ(W(s), L"-9223372036854775808");
    SetUnsignedText(s, 18446744073709551615ULL);
    EXPECT_EQ(W(s), L"18446744073709551615");
    SetSignedText(s, 0);
    EXPECT_EQ(W(s), L"0");

    const TIMESTAMP_STRUCT values[] = {
        {2024, 3, 5, 7, 8, 9, 0},       {-44, 12, 31, 23, 59, 59, 999999999},
        {1, 1, 1, 0, 0, 0, 1000000},    {99999 % 32768, 1, 2, 3, 4, 5, 45000000},
        {2024, 123, 45, 100, 0, 99, 0}, {2024, 10, 27, 2, 30, 0, 123456000}};
    for (const TIMESTAMP_STRUCT& ts : values)
        for (int type : {SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP, SQL_DATE, SQL_TYPE_DATE, SQL_TIME,
                         SQL_TYPE_TIME, SQL_SS_TIME2, SQL_DATETIME})
        {
            SetTimestampText(s, &ts, type);
            EXPECT_EQ(W(s), W(FormatTimestamp(&ts, type))) << ts.year << " " << type;
        }
    SetTimestampText(s, &values[5], SQL_TYPE_TIMESTAMP);
    EXPECT_EQ(W(s), L"2024/10/27 02:30:00.123456");
    SetTimestampText(s, nullptr, SQL_TIMESTAMP);
    EXPECT_EQ(W(s), L"");
}

TEST(FieldText, DoublesShownFromTheirDecimalTextAreShownAsTheirValues)
{
    // A driver's text of a double, shown from its digits, must be what the value it reads as
    // shows: for the shortest texts of many values, texts of fewer digits, padding zeros and
    // exponents, in every column format; where the text cannot be used the value is formatted.
    std::mt19937_64 random(23);
    std::vector<std::string> texts = {"0",
                                      "1",
                                      "-1",
                                      "0.1",
                                      "1e+15",
                                      "1e15",
                                      "1e+16",
                                      "100",
                                      "1000000",
                                      "1e-05",
                                      "0.0001",
                                      "0.00012",
                                      "1.5e-7",
                                      "1.0e+100",
                                      "5.0",
                                      "-0.0125",
                                      "1200.000",
                                      "1e+300",
                                      "1e-300",
                                      "9.99e-5",
                                      "123456789012345",
                                      "1234567890123456",
                                      "0.142857142857143",
                                      "99999999999999.9",
                                      "1.7976931348623157e308"};
    for (int i = 0; i < 20000; ++i)
    {
        const double mantissa = std::uniform_real_distribution<double>(-10, 10)(random);
        const int exponent = std::uniform_int_distribution<int>(-40, 40)(random);
        const double value = mantissa * std::pow(10.0, exponent);
        char buf[64];
        const auto r = i % 2 == 0 ? std::to_chars(buf, buf + sizeof buf, value)
                                  : std::to_chars(buf, buf + sizeof buf, value,
                                                  std::chars_format::general, 1 + i % 15);
        texts.emplace_back(buf, r.ptr);
    }
    const Zelt::ICursor::CColumnDesc descs[] = {Desc(17, 0), Desc(15, 0), Desc(53, 0), Desc(6, 0),
                                                Desc(1, 0),  Desc(10, 3), Desc(0, 0)};
    int shownFromText = 0, shownFromShortest = 0;
    for (const auto& desc : descs)
        for (const std::string& text : texts)
        {
            double value = 0;
            const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
            ASSERT_EQ(r.ptr, text.data() + text.size()) << text;
            CString fromText, fromValue;
            SetDoubleText(fromValue, value, &desc);
            if (SetDoubleTextOfDecimal(fromText, text.data(), text.size(), &desc))
            {
                ++shownFromText;
                EXPECT_EQ(W(fromText), W(fromValue))
                    << text << " in a column of size " << desc.nColumnSize;
            }
            // The shortest text of the value (as a server that writes the shortest would give
            // it, in either layout), up to 17 digits.
            for (const auto format : {std::chars_format::general, std::chars_format::scientific})
            {
                char shortest[64];
                const auto s = std::to_chars(shortest, shortest + sizeof shortest, value, format);
                if (SetDoubleTextOfDecimal(fromText, shortest,
                                           static_cast<size_t>(s.ptr - shortest), &desc, true))
                {
                    ++shownFromShortest;
                    EXPECT_EQ(W(fromText), W(fromValue))
                        << std::string(shortest, s.ptr) << " in a column of size "
                        << desc.nColumnSize;
                }
            }
        }
    EXPECT_GT(shownFromText, 40000);
    EXPECT_GT(shownFromShortest, shownFromText);
    // A text of more than 15 digits not known to be the shortest goes by the value.
    CString longer;
    const auto size17 = Desc(17, 0);
    EXPECT_FALSE(SetDoubleTextOfDecimal(longer, "0.10000000000000001", 19, &size17));
    EXPECT_TRUE(SetDoubleTextOfDecimal(longer, "0.30000000000000004", 19, &size17, true));
    EXPECT_EQ(W(longer), L"0.30000000000000004");
    // Fixed decimals and columns of no size always go by the value.
    CString out;
    const auto scale3 = Desc(10, 3), none = Desc(0, 0);
    EXPECT_FALSE(SetDoubleTextOfDecimal(out, "2.5", 3, &scale3));
    EXPECT_FALSE(SetDoubleTextOfDecimal(out, "2.5", 3, &none));
    EXPECT_FALSE(SetDoubleTextOfDecimal(out, "2.5", 3, nullptr));
}
