#include <gtest/gtest.h>

#include "util/utility.h"

TEST(CharacterTests, IdentifierCharacters)
{
    EXPECT_TRUE(IsIdentChar(L'a'));
    EXPECT_TRUE(IsIdentChar(L'_'));
    EXPECT_TRUE(IsIdentChar(L'7'));
    EXPECT_TRUE(IsIdentChar(L'\x00E9'));
    EXPECT_FALSE(IsIdentChar(L' '));
    EXPECT_FALSE(IsIdentifierChar(L'-'));
    EXPECT_TRUE(IsIdentifier(L"Order_Lines2"));
    EXPECT_TRUE(IsIdentifier(L""));
    EXPECT_FALSE(IsIdentifier(L"order lines"));
}

TEST(Colors, BlendIsPerChannelWithIntegerDivision)
{
    EXPECT_EQ(RGB(224, 224, 224), BlendColors(RGB(255, 255, 255), RGB(0, 0, 0), 224));
    EXPECT_EQ(RGB(10, 20, 30), BlendColors(RGB(10, 20, 30), RGB(200, 100, 0), 255));
    EXPECT_EQ(RGB(200, 100, 0), BlendColors(RGB(10, 20, 30), RGB(200, 100, 0), 0));
    EXPECT_EQ(RGB(128, 0, 99), BlendColors(RGB(255, 0, 199), RGB(0, 0, 0), 128)); // 99.89 truncates
}

TEST(Paths, SplittingAtAllSeparators)
{
    LPCWSTR path = L"C:\\data/sub\\file.tar.gz";
    EXPECT_STREQ(L"file.tar.gz", FindFileName(path));
    EXPECT_STREQ(L"x", FindFileName(L"D:x"));
    EXPECT_STREQ(L"plain", FindFileName(L"plain"));
    EXPECT_STREQ(L"C:\\data/sub\\", GetFolderOfPath(path));
    EXPECT_STREQ(L"", GetFolderOfPath(L"plain"));
    EXPECT_STREQ(L"file.tar", GetFileNamePart(path, false));
    EXPECT_STREQ(L"file.tar.gz", GetFileNamePart(path, true));
    EXPECT_STREQ(L"noext", GetFileNamePart(L"c:\\a.b\\noext", false));
    EXPECT_STREQ(L"dir\\file", GetFileExtension(L"C:\\my.dir\\file"));
    EXPECT_STREQ(L"", GetFileExtension(L"C:\\dir\\file"));
    EXPECT_STREQ(L"a\\", AppendBackslash(L"a"));
    EXPECT_STREQ(L"a/", AppendBackslash(L"a/"));
    EXPECT_STREQ(L"a\\", AppendBackslash(L"a\\"));
    EXPECT_STREQ(L"", AppendBackslash(L""));

    CString folder = GetModuleFolder();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(L'\\', folder[folder.GetLength() - 1]);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(0, wcsncmp(self, folder, size_t(folder.GetLength())));
}

TEST(Utf8Conversion, SpansNeedNoTerminator)
{
    CStringA out;
    ASSERT_TRUE(WideToUtf8(L"\x00E9t\x00E9", -1, out));
    EXPECT_STREQ("\xC3\xA9t\xC3\xA9", out);

    // A span cut from a longer text: exactly its characters, nothing read beyond them.
    wchar_t span[3] = {L'a', L'\x20AC', L'b'};
    ASSERT_TRUE(WideToUtf8(span, 2, out));
    EXPECT_STREQ("a\xE2\x82\xAC", out);

    // The span ends right at an inaccessible page: reading one character too far would fault.
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    auto* pages = static_cast<BYTE*>(
        VirtualAlloc(nullptr, info.dwPageSize * 2, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(nullptr, pages);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + info.dwPageSize, info.dwPageSize, PAGE_NOACCESS, &old));
    auto* edge = reinterpret_cast<wchar_t*>(pages + info.dwPageSize) - 2;
    edge[0] = L'o';
    edge[1] = L'k';
    ASSERT_TRUE(WideToUtf8(edge, 2, out));
    EXPECT_STREQ("ok", out);
    VirtualFree(pages, 0, MEM_RELEASE);

    ASSERT_TRUE(WideToUtf8(L"ab\0cd", 5, out)); // the result ends at the first NUL
    EXPECT_STREQ("ab", out);
    ASSERT_TRUE(WideToUtf8(L"\xD83D\xDE00", 2, out));
    EXPECT_STREQ("\xF0\x9F\x98\x80", out);
    ASSERT_TRUE(WideToUtf8(L"x", 0, out));
    EXPECT_TRUE(out.IsEmpty());
}

TEST(SystemTexts, ErrorTextFromSystemOrNumber)
{
    CString known = GetErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(known.IsEmpty());
    EXPECT_EQ(-1, known.Find(L"0x0002"));
    // A module that is not loaded falls back to the system table.
    EXPECT_STREQ(known, GetErrorText(ERROR_FILE_NOT_FOUND, L"no_such_module.dll"));
    EXPECT_STREQ(L"1234567 (0x12D687)", GetErrorText(1234567));
    EXPECT_STREQ(L"65535 (0xFFFF)", GetErrorText(0xFFFF, L"kernel32.dll"));
}

TEST(SystemTexts, ResourcesOfAProgramWithoutThem)
{
    // This program links no resources: no strings and no version information.
    EXPECT_TRUE(LoadResString(1).IsEmpty());
    EXPECT_TRUE(LoadResString(0xE001).IsEmpty());
    CString description = L"x", version = L"x", legal = L"x";
    VS_FIXEDFILEINFO fixed;
    memset(&fixed, 0xCC, sizeof(fixed));
    GetModuleVersionInfo(&description, &version, &legal, &fixed);
    EXPECT_TRUE(description.IsEmpty());
    EXPECT_TRUE(version.IsEmpty());
    EXPECT_TRUE(legal.IsEmpty());
    EXPECT_EQ(0u, fixed.dwSignature);
    EXPECT_EQ(0u, fixed.dwFileVersionMS);
    GetModuleVersionInfo(nullptr, nullptr, nullptr, nullptr); // every output optional
}

TEST(SystemTexts, VersionInfoOfASystemLibrary)
{
    wchar_t path[MAX_PATH];
    GetSystemDirectoryW(path, MAX_PATH);
    CString file = AppendBackslash(path) + L"kernel32.dll";
    CString version;
    VS_FIXEDFILEINFO fixed = {};
    GetFileVersionStrings(file, nullptr, &version, nullptr, &fixed);
    EXPECT_EQ(0xFEEF04BDu, fixed.dwSignature);
    EXPECT_FALSE(version.IsEmpty());
}
