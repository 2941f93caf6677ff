// The UTF-8 decoder the recordset uses for drivers that hand text over as UTF-8.
#include "dbaccess/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Decode(const std::string& bytes, size_t maxUnits = 100, size_t* consumed = nullptr)
{
    std::wstring out(maxUnits, L'?');
    out.resize(Utf8ToUtf16(bytes.data(), bytes.size(), out.data(), maxUnits, consumed));
    return out;
}

TEST(Utf8Text, DecodesEveryLengthAndKeepsZeros)
{
    const std::string text("a\0\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\0", 12);
    EXPECT_EQ(Decode(text), std::wstring(L"a\0\u00e9\u20ac\U0001D11E\0", 7));
    EXPECT_EQ(Utf16LengthOfUtf8(text.data(), text.size()), 7u);
}

TEST(Utf8Text, AsciiTextIsToldByEveryByte)
{
    // A high bit anywhere (within the eight-byte steps or in the bytes after them) is seen.
    EXPECT_TRUE(IsAsciiText("", 0));
    const std::string ascii = "0123456789abcdefghi\x7F";
    EXPECT_TRUE(IsAsciiText(ascii.data(), ascii.size()));
    for (size_t at = 0; at < ascii.size(); ++at)
    {
        std::string text = ascii;
        text[at] = '\x80';
        EXPECT_FALSE(IsAsciiText(text.data(), text.size())) << at;
        EXPECT_TRUE(IsAsciiText(text.data(), at)) << at;
    }
}

TEST(Utf8Text, MalformedBytesBecomeReplacementCharacters)
{
    // A stray continuation byte, an overlong form, an encoded surrogate, a byte never used, and
    // a sequence cut short by the end of the text.
    EXPECT_EQ(Decode("\x80x\xC0\xAFy\xED\xA0\x80z\xFF\xE2\x82"),
              L"\uFFFDx\uFFFD\uFFFDy\uFFFD\uFFFD\uFFFDz\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf16LengthOfUtf8("\xE2\x82", 2), 2u);
}

TEST(Utf8Text, StopsAtTheUnitLimitWithoutSplittingAPair)
{
    const std::string text = "ab\xF0\x9D\x84\x9E"
                             "c";
    size_t consumed = 0;
    EXPECT_EQ(Decode(text, 3, &consumed), L"ab");
    EXPECT_EQ(consumed, 2u);
    EXPECT_EQ(Decode(text, 4, &consumed), L"ab\U0001D11E");
    EXPECT_EQ(consumed, 6u);
    EXPECT_EQ(Decode(text, 0, &consumed), L"");
    EXPECT_EQ(consumed, 0u);
}

TEST(Utf8Text, LongAsciiRunsMeetOtherCharactersAndTheLimitAnywhere)
{
    // ASCII goes eight bytes at a time: a run cut by a multi-byte character, a zero or the unit
    // limit at every offset must decode as byte by byte.
    for (size_t at = 0; at < 20; ++at)
    {
        std::string text(24, 'x');
        text.insert(at, "\xC3\xA9");
        std::wstring expected(24, L'x');
        expected.insert(at, 1, L'\u00e9');
        EXPECT_EQ(Decode(text), expected) << at;
        EXPECT_EQ(Decode(text, at), expected.substr(0, at)) << at;
        std::string zeros(24, 'y');
        zeros[at] = '\0';
        std::wstring wideZeros(24, L'y');
        wideZeros[at] = 0;
        EXPECT_EQ(Decode(zeros), wideZeros) << at;
    }
}

} // namespace
