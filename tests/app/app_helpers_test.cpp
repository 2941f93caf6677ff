// Application helpers: elapsed time, C string literals, the command line's path, shortened
// paths and Window menu items.
#include "app/app_helpers.h"
#include "app/main_frame.h"
#include "app/window_menu_items.h"

#include <gtest/gtest.h>

namespace {

std::string Narrow(const CString& s)
{
    std::string out;
    for (int i = 0; i < s.GetLength(); ++i)
        out += s[i] < 128 ? (char)s[i] : '?';
    return out;
}

#define EXPECT_CSTR(actual, expected) EXPECT_EQ(Narrow(actual), Narrow(CString(expected)))

TEST(ElapsedTime, TheLargestUnitChoosesTheFormat)
{
    EXPECT_CSTR(FormatElapsedTime(3723004), L"01:02:03.004");
    EXPECT_CSTR(FormatElapsedTime(61000), L"01:01.000");
    EXPECT_CSTR(FormatElapsedTime(5), L"00.005");
    EXPECT_CSTR(FormatElapsedTime(0), L"00.000");
    EXPECT_CSTR(FormatElapsedTime(59999), L"59.999");
    EXPECT_CSTR(FormatElapsedTime(86400000ULL * 2 + 1000), L"2 day(s) 00:00:01.000");
    // More days than 32 bits of milliseconds hold.
    EXPECT_CSTR(FormatElapsedTime(86400000ULL * 60), L"60 day(s) 00:00:00.000");
}

TEST(CStringLiterals, QuotesTabsBackslashesAndEveryKindOfLineBreak)
{
    EXPECT_CSTR(MakeCStringLiteralText(L"SELECT \"Name\"\r\nFROM t"),
                L"\"SELECT \\\"Name\\\"\\n\"\r\n\"FROM t\"");
    EXPECT_CSTR(MakeCStringLiteralText(L"a\rb\nc"), L"\"a\\n\"\r\n\"b\\n\"\r\n\"c\"");
    EXPECT_CSTR(MakeCStringLiteralText(L"x\ty"), L"\"x\\ty\"");
    // A backslash would otherwise begin an escape: "C:\new" is not a line feed.
    EXPECT_CSTR(MakeCStringLiteralText(L"LIKE 'C:\\new'"), L"\"LIKE 'C:\\\\new'\"");
    EXPECT_CSTR(MakeCStringLiteralText(L"last\r\n"), L"\"last\\n\"\r\n");
    EXPECT_CSTR(MakeCStringLiteralText(L"\n"), L"\"\\n\"\r\n");
    EXPECT_CSTR(MakeCStringLiteralText(L""), L"");
}

TEST(CommandLine, OneQuotedOrUnquotedPath)
{
    EXPECT_CSTR(ParseCommandLinePath(L"\"C:\\a b\\demo.mdb\" extra"), L"C:\\a b\\demo.mdb");
    EXPECT_CSTR(ParseCommandLinePath(L"  C:\\a b\\x.sql  "), L"C:\\a b\\x.sql");
    EXPECT_CSTR(ParseCommandLinePath(L"\" spaced.sql \""), L"spaced.sql");
    EXPECT_CSTR(ParseCommandLinePath(L"\"no closing quote.sql"), L"no closing quote.sql");
    EXPECT_CSTR(ParseCommandLinePath(L"\"\""), L"");
    EXPECT_CSTR(ParseCommandLinePath(L"   "), L"");
    EXPECT_CSTR(ParseCommandLinePath(nullptr), L"");
}

TEST(CommandLine, ARelativePathBecomesAbsolute)
{
    WCHAR current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    CString expected = CString(current);
    if (expected.Right(1) != L"\\")
        expected += L"\\";
    EXPECT_CSTR(MakeAbsolutePath(L"sub\\x.sql"), expected + L"sub\\x.sql");
    EXPECT_CSTR(MakeAbsolutePath(L"C:\\abs\\x.sql"), L"C:\\abs\\x.sql");
    EXPECT_CSTR(MakeAbsolutePath(L""), L"");
}

TEST(CompactPath, ShortPathsStayWhole)
{
    EXPECT_CSTR(CMainFrame::CompactPath(L"ab"), L"ab");
    EXPECT_CSTR(CMainFrame::CompactPath(L"no-backslash.sql"), L"no-backslash.sql");
    EXPECT_CSTR(CMainFrame::CompactPath(L"C:\\folder\\file.sql"), L"C:\\folder\\file.sql");
    EXPECT_CSTR(CMainFrame::CompactPath(L"C:\\a\\b\\c\\file.sql"), L"C:\\a\\b\\c\\file.sql");
    EXPECT_CSTR(CMainFrame::CompactPath(L""), L"");
}

TEST(CompactPath, AtMostThreeFoldersAfterTheDriveOrServer)
{
    EXPECT_CSTR(CMainFrame::CompactPath(L"C:\\one\\two\\three\\four\\five\\file.sql"),
                L"C:\\...\\three\\four\\five\\file.sql");
    EXPECT_CSTR(CMainFrame::CompactPath(L"\\\\server\\share\\one\\two\\three\\four\\f.sql"),
                L"\\\\server\\...\\two\\three\\four\\f.sql");
}

TEST(CompactPath, FewerFoldersWhenTheResultWouldPassFifty)
{
    const CString folder(L'x', 21);
    const CString path = L"C:\\root\\" + folder + L"\\" + folder + L"\\" + folder + L"\\f.sql";
    // A second folder is taken while the path's length less the cut position plus the drive's
    // length stays within 50: 79 - 29 + 2 is more, so only the last folder stays.
    EXPECT_CSTR(CMainFrame::CompactPath(path), L"C:\\...\\" + folder + L"\\f.sql");
    const CString longName(L'n', 60);
    EXPECT_CSTR(CMainFrame::CompactPath(L"C:\\a\\b\\c\\" + longName), L"C:\\...\\c\\" + longName);
}

TEST(WindowMenuText, TitlesPastFiftyCharactersAreCutWithTheirNumberKept)
{
    EXPECT_CSTR(ShortenWindowMenuText(L"&1 orders"), L"&1 orders");
    const CString fifty(L'a', 50);
    EXPECT_CSTR(ShortenWindowMenuText(L"&2 " + fifty), L"&2 " + fifty);
    EXPECT_CSTR(ShortenWindowMenuText(L"&3 " + fifty + L"b"), L"&3 " + fifty + L"...");
    // A doubled ampersand (one shown "&") is not split into a mnemonic for the ellipsis.
    const CString before(L'a', 49);
    EXPECT_CSTR(ShortenWindowMenuText(L"&4 " + before + L"&&b"), L"&4 " + before + L"...");
}

} // namespace
