#include <gtest/gtest.h>

#include "util/reg_key.h"

namespace {
const wchar_t kRoot[] = L"Software\\QuenlarkTest";
const wchar_t kScratch[] = L"Software\\QuenlarkTest\\RegKey";

class RegKeyTest : public ::testing::Test
{
protected:
    void SetUp() override { CRRegKey::RecurseDeleteKey(HKEY_CURRENT_USER, kScratch); }
    void TearDown() override
    {
        CRRegKey::RecurseDeleteKey(HKEY_CURRENT_USER, kScratch);
        RegDeleteKeyW(HKEY_CURRENT_USER, kRoot); // only when nothing else lives there
    }
    static bool Exists(LPCWSTR path)
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
};
} // namespace

TEST_F(RegKeyTest, OpenForReadDoesNotCreate)
{
    CRRegKey reader(HKEY_CURRENT_USER, kScratch, KEY_READ);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_FALSE(Exists(kScratch));
    EXPECT_FALSE(reader.SetDWORDValue(L"x", 1)); // closed keys touch nothing
    CString text;
    EXPECT_FALSE(reader.QueryStringValue(L"x", text));

    CRRegKey writer(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS);
    EXPECT_TRUE(writer.IsOpen());
    EXPECT_TRUE(Exists(kScratch));
    EXPECT_TRUE(reader.Create(HKEY_CURRENT_USER, kScratch, KEY_READ));
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_TRUE(writer.Close());
}

TEST_F(RegKeyTest, ValuesOfEveryType)
{
    CRRegKey key(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS);
    ASSERT_TRUE(key.IsOpen());

    ASSERT_TRUE(key.SetStringValue(L"Text", L"caf\x00E9 \x4E2D"));
    ASSERT_TRUE(key.SetStringValue(nullptr, L"default"));
    ASSERT_TRUE(key.SetStringValue(L"Empty", L""));
    ASSERT_TRUE(key.SetDWORDValue(L"Number", 0xDEADBEEF));
    const BYTE blob[5] = {0, 1, 2, 0xFE, 0xFF};
    ASSERT_TRUE(key.SetBinaryValue(L"Blob", blob, sizeof(blob)));

    CString text;
    ASSERT_TRUE(key.QueryStringValue(L"Text", text));
    EXPECT_STREQ(L"caf\x00E9 \x4E2D", text);
    ASSERT_TRUE(key.QueryStringValue(nullptr, text));
    EXPECT_STREQ(L"default", text);
    ASSERT_TRUE(key.QueryStringValue(L"Empty", text)); // the stored NUL: two bytes
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_FALSE(key.QueryStringValue(L"Missing", text));

    DWORD number = 0;
    ASSERT_TRUE(key.QueryDWORDValue(L"Number", number));
    EXPECT_EQ(0xDEADBEEFu, number);

    BYTE read[8];
    memset(read, 0xCC, sizeof(read));
    DWORD size = sizeof(read);
    ASSERT_TRUE(key.QueryBinaryValue(L"Blob", read, size));
    EXPECT_EQ(5u, size);
    EXPECT_EQ(0, memcmp(blob, read, 5));
    EXPECT_EQ(0xCC, read[5]);
    size = 2; // too small a buffer fails
    EXPECT_FALSE(key.QueryBinaryValue(L"Blob", read, size));

    DWORD type = 0;
    size = sizeof(number);
    ASSERT_TRUE(key.QueryValue(L"Number", &number, size, type));
    EXPECT_EQ(DWORD(REG_DWORD), type);

    EXPECT_TRUE(key.DeleteValue(L"Number"));
    EXPECT_FALSE(key.QueryDWORDValue(L"Number", number));
    EXPECT_FALSE(key.DeleteValue(L"Number"));
}

TEST_F(RegKeyTest, StringsStoredWithoutTerminatorOrWithOddSizes)
{
    CRRegKey key(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS);
    ASSERT_TRUE(key.IsOpen());
    CString text;

    ASSERT_TRUE(key.SetValue(L"NoNul", L"abcdef", 6 * sizeof(wchar_t), REG_SZ));
    ASSERT_TRUE(key.QueryStringValue(L"NoNul", text));
    EXPECT_STREQ(L"abcdef", text);

    ASSERT_TRUE(key.SetValue(L"Embedded", L"ab\0cd", 6 * sizeof(wchar_t), REG_SZ));
    ASSERT_TRUE(key.QueryStringValue(L"Embedded", text));
    EXPECT_STREQ(L"ab", text);

    const BYTE odd[7] = {'x', 0, 'y', 0, 'z', 0, 'w'}; // odd byte count, no terminator
    ASSERT_TRUE(key.SetValue(L"Odd", odd, sizeof(odd), REG_SZ));
    ASSERT_TRUE(key.QueryStringValue(L"Odd", text));
    EXPECT_EQ(0, wcsncmp(L"xyz", text, 3));
    EXPECT_LE(text.GetLength(), 4);

    const BYTE one = 'q';
    ASSERT_TRUE(key.SetValue(L"OneByte", &one, 1, REG_BINARY));
    EXPECT_TRUE(key.QueryStringValue(L"OneByte", text));
    EXPECT_LE(text.GetLength(), 1);

    ASSERT_TRUE(key.SetValue(L"Zero", nullptr, 0, REG_SZ));
    EXPECT_FALSE(key.QueryStringValue(L"Zero", text));
}

TEST_F(RegKeyTest, RecursiveDelete)
{
    {
        CRRegKey deep(HKEY_CURRENT_USER, L"Software\\QuenlarkTest\\RegKey\\a\\b\\c", KEY_WRITE);
        ASSERT_TRUE(deep.IsOpen());
        ASSERT_TRUE(deep.SetDWORDValue(L"v", 1));
        CRRegKey sibling(HKEY_CURRENT_USER, L"Software\\QuenlarkTest\\RegKey\\d", KEY_WRITE);
        ASSERT_TRUE(sibling.IsOpen());
    }
    EXPECT_EQ(ERROR_BADKEY, CRRegKey::RecurseDeleteKey(HKEY_CURRENT_USER, L""));
    EXPECT_EQ(ERROR_BADKEY, CRRegKey::RecurseDeleteKey(HKEY_CURRENT_USER, nullptr));
    EXPECT_TRUE(Exists(kScratch));
    EXPECT_EQ(ERROR_SUCCESS, CRRegKey::RecurseDeleteKey(HKEY_CURRENT_USER, kScratch));
    EXPECT_FALSE(Exists(kScratch));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, CRRegKey::RecurseDeleteKey(HKEY_CURRENT_USER, kScratch));
}
