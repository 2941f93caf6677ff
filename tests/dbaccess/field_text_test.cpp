#include <gtest/gtest.h>

#include "dbaccess/field_text.h"
#include "dbaccess/value_text.h"

#include <cfloat>
#include <string>

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

    const TIMESTAMP_STRUCT values[] = {{2024, 3, 5, 7, 8, 9, 0},
                                       {-44, 12, 31, 23, 59, 59, 999999999},
                                       {1, 1, 1, 0, 0, 0, 1000000},
                                       {99999 % 32768, 1, 2, 3, 4, 5, 45000000},
                                       {2024, 123, 45, 100, 0, 99, 0}};
    for (const TIMESTAMP_STRUCT& ts : values)
        for (int type : {SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP, SQL_DATE, SQL_TYPE_DATE, SQL_TIME,
                         SQL_TYPE_TIME, SQL_SS_TIME2, SQL_DATETIME})
        {
            SetTimestampText(s, &ts, type);
            EXPECT_EQ(W(s), W(FormatTimestamp(&ts, type))) << ts.year << " " << type;
        }
    SetTimestampText(s, nullptr, SQL_TIMESTAMP);
    EXPECT_EQ(W(s), L"");
}
