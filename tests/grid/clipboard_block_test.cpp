// The grid's private clipboard block: writing, reading back, and refusing malformed blocks.
#include <gtest/gtest.h>

#include "grid/clipboard_block.h"

#include <sql.h>
#include <sqlext.h>

namespace {

CClipEntry Entry(int type, UINT kind, LPCWSTR name, LPCWSTR value)
{
    CClipEntry e;
    e.nCType = type;
    e.nKind = kind;
    e.strName = name;
    e.strValue = value;
    return e;
}

void PutU32(std::vector<BYTE>& b, UINT32 v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back((BYTE)(v >> (8 * i)));
}

} // namespace

TEST(ClipboardBlock, WritesTheDocumentedLayoutAndReadsItBack)
{
    std::vector<CClipEntry> entries = {Entry(SQL_C_WCHAR, 0, L"Name",
                                             L"Gr\x00FC\x00DF"
                                             L"e\t\x65E5"),
                                       Entry(SQL_C_BINARY, 1, L"B", L"<<NULL>>"),
                                       Entry(SQL_C_LONG, 0, L"n", L"")};
    std::vector<BYTE> block = WriteClipBlock(entries);
    size_t expected = 8;
    for (const CClipEntry& e : entries)
        expected += 16 + 2 * e.strName.GetLength() + 2 * e.strValue.GetLength();
    ASSERT_EQ(expected, block.size());
    EXPECT_EQ(1, block[0]);
    EXPECT_EQ(3, block[4]);
    // First entry: C type -8 as a 32-bit two's complement number, kind 0, name length 4, "N".
    EXPECT_EQ((std::vector<BYTE>{0xF8, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 4, 0, 0, 0, 'N', 0}),
              std::vector<BYTE>(block.begin() + 8, block.begin() + 22));

    std::vector<CClipEntry> read;
    ASSERT_TRUE(ReadClipBlock(block.data(), block.size(), true, read));
    ASSERT_EQ(3u, read.size());
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(entries[i].nCType, read[i].nCType);
        EXPECT_EQ(entries[i].nKind, read[i].nKind);
        EXPECT_TRUE(entries[i].strName == read[i].strName);
        EXPECT_TRUE(entries[i].strValue == read[i].strValue);
    }
    EXPECT_TRUE(MakeClipText(entries) == CString(L"Gr\x00FC\x00DF"
                                                 L"e\t\x65E5\t<<NULL>>\t\t"));
}

TEST(ClipboardBlock, RefusesMalformedBlocks)
{
    std::vector<BYTE> good = WriteClipBlock({Entry(SQL_C_WCHAR, 0, L"a", L"xyz")});
    std::vector<CClipEntry> read;

    // Every cut of a good block is refused, never read past its end.
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(ReadClipBlock(good.data(), n, true, read)) << n;
    EXPECT_FALSE(ReadClipBlock(nullptr, 100, true, read));

    std::vector<BYTE> version = good;
    version[0] = 2;
    EXPECT_FALSE(ReadClipBlock(version.data(), version.size(), true, read));

    std::vector<BYTE> none;
    PutU32(none, 1);
    PutU32(none, 0);
    EXPECT_FALSE(ReadClipBlock(none.data(), none.size(), true, read));

    // Lengths far beyond the block, also ones that overflow when doubled.
    for (UINT32 length : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 100u})
    {
        std::vector<BYTE> b;
        PutU32(b, 1);
        PutU32(b, 1);
        PutU32(b, 1);
        PutU32(b, 0);
        PutU32(b, length);
        b.insert(b.end(), 8, 'A');
        EXPECT_FALSE(ReadClipBlock(b.data(), b.size(), true, read)) << length;
        EXPECT_FALSE(ReadClipBlock(b.data(), b.size(), false, read)) << length;
    }

    // An entry count the block cannot hold.
    std::vector<BYTE> many = good;
    many[4] = 0xFF;
    many[5] = 0xFF;
    many[6] = 0xFF;
    many[7] = 0xFF;
    EXPECT_FALSE(ReadClipBlock(many.data(), many.size(), true, read));
    EXPECT_TRUE(read.empty());
}

TEST(ClipboardBlock, EightBitBlocksAndEmbeddedZeros)
{
    std::vector<BYTE> b;
    PutU32(b, 1);
    PutU32(b, 1);
    PutU32(b, SQL_C_CHAR);
    PutU32(b, 0);
    PutU32(b, 4);
    b.insert(b.end(), {'C', 'o', 'l', 0});
    PutU32(b, 5);
    b.insert(b.end(), {'a', 'b', 0, 'c', 'd'});
    std::vector<CClipEntry> read;
    ASSERT_TRUE(ReadClipBlock(b.data(), b.size(), false, read));
    ASSERT_EQ(1u, read.size());
    EXPECT_TRUE(read[0].strName == L"Col");
    EXPECT_TRUE(read[0].strValue == L"ab"); // a text ends at its first zero
}

TEST(ClipboardBlock, TypeCompatibility)
{
    EXPECT_TRUE(IsClipTypeCompatible(SQL_C_SLONG, SQL_C_DOUBLE));
    EXPECT_TRUE(IsClipTypeCompatible(SQL_C_LONG, SQL_C_WCHAR));
    EXPECT_FALSE(IsClipTypeCompatible(SQL_C_SLONG, SQL_C_TIMESTAMP));
    EXPECT_FALSE(IsClipTypeCompatible(SQL_C_DOUBLE, SQL_C_BINARY));
    EXPECT_FALSE(IsClipTypeCompatible(SQL_C_BIT, SQL_C_LONG));
    EXPECT_TRUE(IsClipTypeCompatible(SQL_C_BIT, SQL_C_BIT));
    EXPECT_FALSE(IsClipTypeCompatible(SQL_C_TIMESTAMP, SQL_C_WCHAR));
    EXPECT_FALSE(IsClipTypeCompatible(SQL_C_BINARY, SQL_C_WCHAR));
    EXPECT_TRUE(IsClipTypeCompatible(SQL_C_WCHAR, SQL_C_TIMESTAMP));
    EXPECT_TRUE(IsClipTypeCompatible(SQL_C_SBIGINT, SQL_C_BINARY));
}
