#include <gtest/gtest.h>

#include "util/utility.h"

TEST(HexConversion, ReadsPairsAndStopsAtTheEnd)
{
    BYTE buffer[6];
    memset(buffer, 0xCC, sizeof(buffer));
    EXPECT_TRUE(HexToBytes(L"0aFF", buffer, 4));
    const BYTE expected[6] = {0x0A, 0xFF, 0x00, 0x00, 0xCC, 0xCC}; // canaries untouched
    EXPECT_EQ(0, memcmp(expected, buffer, 6));

    memset(buffer, 0xCC, sizeof(buffer));
    EXPECT_TRUE(HexToBytes(L"123", buffer, 3)); // odd digit: the rest is zero
    const BYTE odd[4] = {0x12, 0x00, 0x00, 0xCC};
    EXPECT_EQ(0, memcmp(odd, buffer, 4));

    memset(buffer, 0xCC, sizeof(buffer));
    EXPECT_FALSE(HexToBytes(L"AB0g", buffer, 2));
    EXPECT_EQ(0xAB, buffer[0]); // bytes before the bad pair stay
    EXPECT_TRUE(HexToBytes(L"zz", buffer, 0));

    const BYTE bytes[] = {0x00, 0x7F, 0xA5, 0xFF};
    EXPECT_STREQ(L"007FA5FF", BytesToHex(bytes, 4));
    EXPECT_STREQ(L"", BytesToHex(bytes, 0));
}

TEST(GuidParsing, FormsAndNoOverrun)
{
    struct
    {
        GUID guid;
        BYTE canary[16];
    } out;
    memset(&out, 0xCC, sizeof(out));
    ASSERT_TRUE(ParseGuid(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", out.guid));
    EXPECT_EQ(0x6B29FC40u, out.guid.Data1);
    EXPECT_EQ(0xCA47, out.guid.Data2);
    EXPECT_EQ(0x1067, out.guid.Data3);
    const BYTE tail[8] = {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA};
    EXPECT_EQ(0, memcmp(tail, out.guid.Data4, 8));
    for (BYTE b : out.canary)
        ASSERT_EQ(0xCC, b);

    GUID plain;
    ASSERT_TRUE(ParseGuid(L"6b29fc40-ca47-1067-b31d-00dd010662da", plain));
    EXPECT_TRUE(IsEqualGUID(out.guid, plain));

    GUID untouched = {};
    EXPECT_FALSE(ParseGuid(L"{6B29FC40-CA47-1067-B31D-00DD0106}", untouched));
    EXPECT_FALSE(ParseGuid(L"6B29FC40CA471067B31D00DD010662DA", untouched));
    EXPECT_FALSE(ParseGuid(L"", untouched));
    EXPECT_EQ(0u, untouched.Data1);
}

TEST(Versions, ParseAndCompare)
{
    VersionNumber v = ParseVersion(L"5.2");
    EXPECT_EQ(5, v.nMajor);
    EXPECT_EQ(2, v.nMinor);
    EXPECT_EQ(0, v.nBuild);
    EXPECT_EQ(0, v.nRevision);
    VersionNumber c = ParseVersion(L"10,0,1,0");
    EXPECT_EQ(10, c.nMajor);
    EXPECT_EQ(1, c.nBuild);
    EXPECT_FALSE(IsVersionLess(ParseVersion(L"5.2.0.0"), ParseVersion(L"5.2.0.0")));
    EXPECT_FALSE(IsVersionLess(c, ParseVersion(L"9.9")));
    EXPECT_TRUE(IsVersionLess(ParseVersion(L"9.9"), c));
    EXPECT_TRUE(IsVersionLess(ParseVersion(L"1.2.3.4"), ParseVersion(L"1.2.3.5")));
    VersionNumber bad = ParseVersion(L"x.1");
    EXPECT_EQ(0, bad.nMajor);
    EXPECT_EQ(0, bad.nMinor);
    EXPECT_LT(CompareInt(1, 2), 0);
    bool vista = false;
    EXPECT_TRUE(IsWinXPOrLater(&vista)); // the test prefix reports Windows 10
    EXPECT_TRUE(vista);
}

namespace {
struct DateTime
{
    short year = -1;
    WORD month = 99, day = 99, hour = 99, minute = 99, second = 99, ms = 9999;
    short zoneH = 99, zoneM = 99;
};

bool Parse(LPCWSTR text, DateTime& d)
{
    return ParseDateTime(text, &d.year, &d.month, &d.day, &d.hour, &d.minute, &d.second, &d.ms,
                         &d.zoneH, &d.zoneM);
}
} // namespace

TEST(DateTimeParsing, AcceptedForms)
{
    DateTime d;
    ASSERT_TRUE(Parse(L"2020-12-31", d));
    EXPECT_EQ(2020, d.year);
    EXPECT_EQ(12, d.month);
    EXPECT_EQ(31, d.day);
    EXPECT_EQ(0, d.hour);
    EXPECT_EQ(0, d.ms);
    EXPECT_EQ(0, d.zoneH);

    ASSERT_TRUE(Parse(L"  31.12.2020 23:59:59.5  ", d));
    EXPECT_EQ(2020, d.year);
    EXPECT_EQ(12, d.month);
    EXPECT_EQ(31, d.day);
    EXPECT_EQ(23, d.hour);
    EXPECT_EQ(59, d.minute);
    EXPECT_EQ(59, d.second);
    EXPECT_EQ(500, d.ms);

    ASSERT_TRUE(Parse(L"12/31/2020T10:00 +02:30", d));
    EXPECT_EQ(12, d.month);
    EXPECT_EQ(31, d.day);
    EXPECT_EQ(10, d.hour);
    EXPECT_EQ(2, d.zoneH);
    EXPECT_EQ(30, d.zoneM);

    ASSERT_TRUE(Parse(L"2020-01-02 03:04 -05:45", d));
    EXPECT_EQ(-5, d.zoneH);
    EXPECT_EQ(-45, d.zoneM);

    ASSERT_TRUE(Parse(L"2020-13-01", d)); // month and day swapped
    EXPECT_EQ(1, d.month);
    EXPECT_EQ(13, d.day);

    DateTime t;
    ASSERT_TRUE(Parse(L"10:30", t));
    EXPECT_EQ(0, t.year);
    EXPECT_EQ(0, t.month);
    EXPECT_EQ(10, t.hour);
    EXPECT_EQ(30, t.minute);
    EXPECT_EQ(0, t.second);

    // Outputs are optional.
    EXPECT_TRUE(ParseDateTime(L"2021-02-03 04:05:06.25", nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(DateTimeParsing, RejectedFormsLeaveOutputsAlone)
{
    const LPCWSTR bad[] = {
        nullptr,
        L"",
        L"2020-13-13",
        L"2020-12-32",
        L"2020-12-31x",
        L"2020-12",
        L"2020-12/31",
        L"2020-12-31 25:00",
        L"2020-12-31T",
        L"2020-12-31 10:00x",
        L"2020-12-31 10:00 +24:00",
        L"99999-01-01",
        L"32768-01-01",
        L"-40000-1-1",
    };
    for (LPCWSTR text : bad)
    {
        DateTime d;
        EXPECT_FALSE(Parse(text, d)) << (text ? text : L"(null)");
        EXPECT_EQ(-1, d.year);
        EXPECT_EQ(99, d.month);
    }
    // The largest year that fits the 16-bit output still parses.
    DateTime d;
    ASSERT_TRUE(Parse(L"32767-01-01", d));
    EXPECT_EQ(32767, d.year);
}

TEST(TimeParsing, FieldsAndEndPosition)
{
    WORD h = 0, m = 0, s = 0, ms = 0;
    LPCWSTR text = L"7:05:09.25 rest";
    LPCWSTR end = ParseTime(text, &h, &m, &s, &ms);
    ASSERT_NE(nullptr, end);
    EXPECT_EQ(text + 10, end);
    EXPECT_EQ(7, h);
    EXPECT_EQ(5, m);
    EXPECT_EQ(9, s);
    EXPECT_EQ(250, ms);
    EXPECT_EQ(nullptr, ParseTime(L" 7:05", &h, &m, &s, &ms)); // no leading spaces
    EXPECT_EQ(nullptr, ParseTime(L"24:00", &h, &m, &s, &ms));
    EXPECT_EQ(nullptr, ParseTime(L"10:60", &h, &m, &s, &ms));
    EXPECT_EQ(nullptr, ParseTime(L"10:00:", &h, &m, &s, &ms));
    EXPECT_EQ(nullptr, ParseTime(L"10:00:00.", &h, &m, &s, &ms));
}
