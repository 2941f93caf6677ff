#include <gtest/gtest.h>

#include "framework/text_string.h"
#include "string_print.h"

#include <climits>

namespace {

CString F(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    CString s;
    s.FormatV(format, args);
    va_end(args);
    return s;
}

CStringA FA(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CStringA s;
    s.FormatV(format, args);
    va_end(args);
    return s;
}

TEST(StringFormat, StringAndCharacterWidths)
{
    // In a wide format %s is wide and %S narrow; %hs and %ls fix the width.
    EXPECT_EQ(F(L"[%s|%S|%hs|%ls|%ws]", L"wide", "narrow", "h", L"l", L"w"),
              L"[wide|narrow|h|l|w]");
    EXPECT_EQ(F(L"%c%C%hc%lc", L'a', 'b', 'c', L'd'), L"abcd");
    // ... and the reverse in a narrow format.
    EXPECT_EQ(FA("[%s|%S|%hs|%ls]", "narrow", L"wide", "h", L"l"), "[narrow|wide|h|l]");
    EXPECT_EQ(FA("%c%C", 'a', L'b'), "ab");
    EXPECT_EQ(F(L"%s/%S", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)),
              L"(null)/(null)");
    EXPECT_EQ(F(L"%.3s|%5s|%-5s|%.2S", L"abcdef", L"ab", L"ab", "xyz"), L"abc|   ab|ab   |xy");
}

TEST(StringFormat, Integers)
{
    EXPECT_EQ(F(L"%d %i %u", -42, 17, -1), L"-42 17 4294967295");
    EXPECT_EQ(F(L"%x %X %o", 255, 255, 8), L"ff FF 10");
    EXPECT_EQ(F(L"%I64d %I64u %I64x", -9000000000LL, 18446744073709551615ULL, 0x123456789aLL),
              L"-9000000000 18446744073709551615 123456789a");
    EXPECT_EQ(F(L"%lld %llu", LLONG_MIN, 5ULL), L"-9223372036854775808 5");
    // long is 32 bits on Windows.
    EXPECT_EQ(F(L"%ld %lu %lx", -5L, 4000000000UL, 0xABCDL), L"-5 4000000000 abcd");
    EXPECT_EQ(F(L"%hd %hu %hX", 70000, 70000, 0x12345), L"4464 4464 2345");
    EXPECT_EQ(F(L"%I32d %Id", -3, static_cast<INT_PTR>(-4)), L"-3 -4");
    EXPECT_EQ(F(L"%zu", static_cast<size_t>(1) << 40), L"1099511627776");
}

TEST(StringFormat, FlagsWidthsAndPrecisions)
{
    EXPECT_EQ(F(L"[%5d][%-5d][%05d][%+d][% d]", 42, 42, -42, 7, 7),
              L"[   42][42   ][-0042][+7][ 7]");
    EXPECT_EQ(F(L"[%#x][%#X][%#o][%#x]", 255, 255, 8, 0), L"[0xff][0XFF][010][0]");
    EXPECT_EQ(F(L"[%.3d][%8.3d][%.0d][%08.3d]", 7, 7, 0, 7), L"[007][     007][][     007]");
    EXPECT_EQ(F(L"[%-+6d][%#08x]", 5, 255), L"[+5    ][0x0000ff]");
    // '*' takes the width and precision from the arguments; a negative width aligns left.
    EXPECT_EQ(F(L"[%*d][%-*d][%*d]", 4, 1, 4, 2, -4, 3), L"[   1][2   ][3   ]");
    EXPECT_EQ(F(L"[%.*s][%*.*f]", 2, L"abc", 7, 2, 3.14159), L"[ab][   3.14]");
    EXPECT_EQ(F(L"[%.*s]", -1, L"abc"), L"[abc]");
    EXPECT_EQ(F(L"100%% %d%%", 5), L"100% 5%");
}

TEST(StringFormat, FloatingPoint)
{
    EXPECT_EQ(F(L"%f|%.2f|%lf", 3.14159, 2.005, 1.5), L"3.141590|2.00|1.500000");
    EXPECT_EQ(F(L"%e|%E", 123.45, 0.000123), L"1.234500e+02|1.230000E-04");
    EXPECT_EQ(F(L"%g|%lg|%G|%g", 0.0001, 1234567.0, 1e-10, 100.0), L"0.0001|1.23457e+06|1E-10|100");
    EXPECT_EQ(F(L"[%10.3f][%-10.1f][%+.1f][%010.2f]", 3.14159, 2.0, 1.0, -1.5),
              L"[     3.142][2.0       ][+1.0][-000001.50]");
    EXPECT_EQ(F(L"%.0f %.1f", 0.5, -0.05), L"0 -0.1");
    float f = 1.25f;
    EXPECT_EQ(F(L"%.2f", f), L"1.25");
}

TEST(StringFormat, PointersAndUnknownConversions)
{
    EXPECT_EQ(F(L"%p", reinterpret_cast<void*>(0x12AB)), L"00000000000012AB");
    EXPECT_EQ(F(L"a%yb"), L"a%yb");
    EXPECT_EQ(F(L"end%"), L"end%");
}

TEST(StringFormat, MembersTakeStringObjectsAndRuntimeFormats)
{
    CString name(L"world");
    CStringA narrow("bytes");
    CString s;
    s.Format(L"Hello %s, %S, %d", name, narrow, 3);
    EXPECT_EQ(s, L"Hello world, bytes, 3");

    // A format built at run time.
    CString format;
    format.Format(L"%%-%ds|%%0%dd", 6, 4);
    EXPECT_EQ(format, L"%-6s|%04d");
    s.Format(format, L"ab", 7);
    EXPECT_EQ(s, L"ab    |0007");

    // The string itself as format and argument.
    s.Format(L"<%s>", s);
    EXPECT_EQ(s, L"<ab    |0007>");
    s = L"%d-%d";
    s.Format(s, 1, 2);
    EXPECT_EQ(s, L"1-2");

    s.AppendFormat(L"+%s", L"x");
    s.AppendFormat(L"%c", L'!');
    EXPECT_EQ(s, L"1-2+x!");

    struct
    {
        unsigned flags : 3;
    } packed = {5};
    s.Format(L"%u", packed.flags); // bit-fields are accepted as arguments
    EXPECT_EQ(s, L"5");

    CStringA a;
    a.Format("%s=%S", narrow, name);
    EXPECT_EQ(a, "bytes=world");

    CString big;
    big.Format(L"%5000d|%s", 1, L"end");
    EXPECT_EQ(big.GetLength(), 5004);
    EXPECT_EQ(big.Right(4), L"|end");
}

TEST(StringFormat, MessageInserts)
{
    CString s;
    s.FormatMessage(L"%1 has %2!d! rows, %1 again", L"table", 12);
    EXPECT_EQ(s, L"table has 12 rows, table again");
    CStringA a;
    a.FormatMessage("%1!s!:%2!x!", "n", 255);
    EXPECT_EQ(a, "n:ff");
}

} // namespace
