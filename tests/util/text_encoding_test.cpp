#include <gtest/gtest.h>

#include "util/text_encoding.h"

#include <vector>

namespace {
class CBytes : public REncode::CReaderBase
{
public:
    explicit CBytes(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {}
    int Read(void* buffer, int count) override
    {
        int n = std::min<int>(count, int(m_bytes.size() - m_pos));
        memcpy(buffer, m_bytes.data() + m_pos, size_t(n));
        m_pos += size_t(n);
        return n;
    }
    size_t m_pos = 0;

private:
    std::vector<BYTE> m_bytes;
};

bool Utf8(std::vector<BYTE> bytes)
{
    return IsUtf8Text(bytes.data(), int(bytes.size()));
}
} // namespace

TEST(Utf8Detection, Verdicts)
{
    EXPECT_FALSE(IsUtf8Text(nullptr, 0));
    EXPECT_FALSE(Utf8({'a', 'b', 'c'})); // plain ASCII is not evidence of UTF-8
    EXPECT_TRUE(Utf8({'a', 0xC3, 0xA9}));
    EXPECT_TRUE(Utf8({'a', 0xC3}));       // cut off by the end of the buffer
    EXPECT_TRUE(Utf8({0xE2, 0x82}));      // likewise for a longer sequence
    EXPECT_FALSE(Utf8({0xC3, 0x41}));     // lead byte without its continuation
    EXPECT_FALSE(Utf8({0x80}));           // stray continuation byte
    EXPECT_FALSE(Utf8({'x', 0xE9, 'y'})); // ANSI e-acute
    EXPECT_TRUE(Utf8({'h', 'i', ' ', 0xF0, 0x9F, 0x98, 0x80, '!'})); // one emoji
    EXPECT_FALSE(Utf8({0xF8, 0x88, 0x80, 0x80, 0x80}));              // five-byte form
    EXPECT_FALSE(Utf8({0xF0, 0x9F, 0x98, 'a'}));
}

TEST(Utf8Reader, DecodesOneCharacterPerCall)
{
    CBytes in({'A', 0xC3, 0xA9, 0xE2, 0x82, 0xAC});
    wchar_t ch = 0;
    EXPECT_EQ(1, ReadUtf8Char(in, ch));
    EXPECT_EQ(L'A', ch);
    EXPECT_EQ(2, ReadUtf8Char(in, ch));
    EXPECT_EQ(0xE9, ch);
    EXPECT_EQ(3, ReadUtf8Char(in, ch));
    EXPECT_EQ(0x20AC, ch);
    EXPECT_EQ(0, ReadUtf8Char(in, ch)); // end of the source
    EXPECT_EQ(0xFFFF, ch);
}

TEST(Utf8Reader, FourByteSequenceArrivesAsSurrogatePair)
{
    CBytes in({0xF0, 0x9F, 0x98, 0x80, 'z'});
    wchar_t high = 0, low = 0, next = 0;
    int first = ReadUtf8Char(in, high);
    int second = ReadUtf8Char(in, low);
    EXPECT_EQ(0xD83D, high);
    EXPECT_EQ(0xDE00, low);
    EXPECT_EQ(4, first + second); // together the four bytes of the sequence
    EXPECT_GT(first, 0);
    EXPECT_GT(second, 0);
    EXPECT_EQ(4u, in.m_pos);
    EXPECT_EQ(1, ReadUtf8Char(in, next));
    EXPECT_EQ(L'z', next);
}

TEST(Utf8Reader, MalformedInput)
{
    wchar_t ch = 0;
    {
        CBytes in({0xC3, 0x41}); // continuation of the wrong form: consumed, not a character
        EXPECT_EQ(2, ReadUtf8Char(in, ch));
        EXPECT_EQ(0xFFFF, ch);
    }
    {
        CBytes in({0x80, 'a'});
        EXPECT_EQ(0, ReadUtf8Char(in, ch));
        EXPECT_EQ(0xFFFF, ch);
    }
    {
        CBytes in({0xE2, 0x82}); // cut sequence
        EXPECT_EQ(0, ReadUtf8Char(in, ch));
        EXPECT_EQ(0xFFFF, ch);
    }
    {
        CBytes in({0xF4, 0x90, 0x80, 0x80, 'b'}); // beyond U+10FFFF: consumed, not produced
        EXPECT_EQ(4, ReadUtf8Char(in, ch));
        EXPECT_EQ(0xFFFF, ch);
        EXPECT_FALSE(in.HasPendingChar());
        EXPECT_EQ(1, ReadUtf8Char(in, ch));
        EXPECT_EQ(L'b', ch);
    }
}

TEST(ByteOrderMarks, BytesAndIdentity)
{
    const ByteOrderMark& wide = GetUnicodeBom();
    const ByteOrderMark& utf8 = GetUtf8Bom();
    ASSERT_EQ(2, wide.nCount);
    EXPECT_EQ(0xFF, wide.pBytes[0]);
    EXPECT_EQ(0xFE, wide.pBytes[1]);
    ASSERT_EQ(3, utf8.nCount);
    EXPECT_EQ(0, memcmp(utf8.pBytes, "\xEF\xBB\xBF", 3));
    EXPECT_EQ(wide.pBytes, GetUnicodeBom().pBytes);
    EXPECT_EQ(&utf8, &GetUtf8Bom());
}
