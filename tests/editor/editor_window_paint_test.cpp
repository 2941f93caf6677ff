// Painting of a real editor window: token colours from the colour rules, comments that span
// lines, the selection, the read-only background and the scroll bars.
#include "editor_window_fixture.h"

#include <cstdlib>

#include "editor/colour_rules.h"
#include "editor/markup_tokenizer.h"
#include "editor/regexp.h"

namespace {

const COLORREF kKeyword = RGB(0, 0, 255);
const COLORREF kString = RGB(200, 0, 0);
const COLORREF kComment = RGB(0, 140, 0);
const COLORREF kNumber = RGB(160, 0, 160);

class ColouredEditorTest : public EditorWindowTest
{
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        RCEInitWordColors(words);
        RCEInitRangeColors(ranges);
        RCEInitRegExpColors(regexps);
        RCEAddWordColorList(words, kKeyword,
                            L"select, from, where, and, order, by, insert, into, values", 0);
        RCEAddRangeColor(ranges, kString, L"'", 0, L"'", 0, L'\\');
        RCEAddRangeColor(ranges, kComment, L"--", 0, L"\n", 0, 0);
        RCEAddRangeColor(ranges, kComment, L"/*", 0, L"*/", 0, 0);
        number = CRegExp::Compile(L"[0-9]{1,}");
        ASSERT_NE(number, nullptr);
        RCEAddRegExpColor(regexps, kNumber, number, 0x2 | 0x4);
        Send(RCEM_SETWORDCOLORS, RCEGetCount(words), (LPARAM)RCEGetData(words));
        Send(RCEM_SETRANGECOLORS, RCEGetCount(ranges), (LPARAM)RCEGetData(ranges));
        Send(RCEM_SETREGEXPCOLORS, RCEGetCount(regexps), (LPARAM)RCEGetData(regexps));
    }
    void TearDown() override
    {
        if (edit)
            DestroyWindow(edit);
        edit = nullptr;
        RCEFreeWordColors(words);
        RCEFreeRangeColors(ranges);
        RCEFreeRegExpColors(regexps);
        CRegExp::Delete(number);
        EditorWindowTest::TearDown();
    }

    // Whether row `row` of the window shows a pixel of the colour.
    bool RowHasColour(int row, COLORREF colour)
    {
        UpdateWindow(edit);
        TEXTMETRICW tm{};
        HDC dc = GetDC(edit);
        HGDIOBJ old = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        bool found = false;
        for (int y = row * tm.tmHeight; y < (row + 1) * tm.tmHeight && !found; ++y)
            for (int x = 0; x < 560 && !found; ++x)
                found = GetPixel(dc, x, y) == colour;
        ReleaseDC(edit, dc);
        return found;
    }

    CRCEWordColorArray words;
    CRCERangeColorArray ranges;
    CRCERegExpColorArray regexps;
    CRegExp* number = nullptr;
};

const WCHAR kScript[] = L"-- monthly totals\r\n"
                        L"select name, sum(amount) as total\r\n"
                        L"  from orders /* open\r\n"
                        L"  comment */ where status = 'paid' and year = 2024\r\n"
                        L"  order by total desc;\r\n"
                        L"insert into log values ('it''s \\' done', 42);\r\n";

} // namespace

TEST_F(ColouredEditorTest, RowsShowTheColoursOfTheirTokens)
{
    SetText(kScript);
    EXPECT_TRUE(RowHasColour(0, kComment));
    EXPECT_FALSE(RowHasColour(0, kKeyword));
    EXPECT_TRUE(RowHasColour(1, kKeyword));
    EXPECT_FALSE(RowHasColour(1, kComment));
    // The block comment opened on row 2 colours the start of row 3.
    EXPECT_TRUE(RowHasColour(2, kComment));
    EXPECT_TRUE(RowHasColour(3, kComment));
    EXPECT_TRUE(RowHasColour(3, kString));
    EXPECT_TRUE(RowHasColour(3, kNumber));
    EXPECT_FALSE(RowHasColour(4, kComment));
    // Closing the comment on its own line changes the rows below it.
    Send(EM_SETSEL, 61, 61);
    Type(L"*/");
    EXPECT_FALSE(RowHasColour(3, kComment) && !RowHasColour(3, kKeyword));
    if (const char* pause = getenv("QL_EDITOR_SHOT_PAUSE"))
    {
        Send(EM_UNDO);
        Send(EM_UNDO);
        Send(EM_SETSEL, 19, 52);
        DWORD until = GetTickCount() + (DWORD)atoi(pause);
        while (GetTickCount() < until)
        {
            Pump();
            Sleep(20);
        }
    }
}

TEST_F(ColouredEditorTest, SelectedTextIsDrawnInverted)
{
    SetText(L"select 1");
    Send(EM_SETSEL, 0, 6);
    // The keyword's colour becomes the background behind the selected word.
    UpdateWindow(edit);
    HDC dc = GetDC(edit);
    COLORREF corner = GetPixel(dc, 6, 1); // clear of the caret
    ReleaseDC(edit, dc);
    EXPECT_EQ(corner, kKeyword);
}

TEST_F(EditorWindowTest, ReadOnlyBackgroundFollowsTheOption)
{
    SetText(L"x");
    Send(EM_SETREADONLY, 1);
    UpdateWindow(edit);
    HDC dc = GetDC(edit);
    EXPECT_EQ(GetPixel(dc, 300, 100), GetSysColor(COLOR_BTNFACE));
    ReleaseDC(edit, dc);
    SetOptions(RCEO_READONLYWHITE);
    UpdateWindow(edit);
    dc = GetDC(edit);
    EXPECT_EQ(GetPixel(dc, 300, 100), GetSysColor(COLOR_WINDOW));
    ReleaseDC(edit, dc);
}

TEST_F(EditorWindowTest, WrappedShortTextKeepsADisabledVerticalBar)
{
    SetText(L"one\r\ntwo\r\nthree");
    SetOptions(RCEO_WORDWRAP);
    SCROLLBARINFO sbi{sizeof(sbi)};
    ASSERT_TRUE(GetScrollBarInfo(edit, OBJID_VSCROLL, &sbi));
    EXPECT_FALSE(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    SCROLLINFO si{sizeof(si), SIF_ALL};
    GetScrollInfo(edit, SB_HORZ, &si);
    EXPECT_EQ(si.nMax, 0);
    EXPECT_EQ(si.nPage, 0u);
}

// The horizontal bar follows the widest row down as well as up: deleting the long rows (a
// selection with Delete, the end of a row with Backspace) narrows the range until the bar goes;
// undo brings it back; typing in short rows leaves it alone.
TEST_F(EditorWindowTest, HorizontalBarShrinksWhenLongRowsAreDeleted)
{
    Recreate(WS_HSCROLL | WS_VSCROLL);
    SetFocus(edit);
    const std::wstring wide(300, L'w'), narrower(150, L'n');
    SetText(L"short\r\n" + wide + L"\r\n" + narrower + L"\r\nend");
    auto columns = [&] {
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE};
        GetScrollInfo(edit, SB_HORZ, &si);
        return si.nMax;
    };
    auto barShown = [&] {
        SCROLLBARINFO sbi{sizeof(sbi)};
        GetScrollBarInfo(edit, OBJID_HSCROLL, &sbi);
        return !(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    };
    const int full = columns();
    ASSERT_TRUE(barShown());

    // The widest row goes: the range shrinks to the next one, still wider than the window.
    const DWORD wideStart = 7, narrowerStart = wideStart + 302;
    Send(EM_SETSEL, wideStart, narrowerStart);
    Key(VK_DELETE);
    const int rest = columns();
    EXPECT_LT(rest, full);
    EXPECT_GT(rest, full / 3);
    EXPECT_TRUE(barShown());

    // Typing in a short row changes nothing.
    Send(EM_SETSEL, 5, 5);
    Type(L"ab");
    EXPECT_EQ(columns(), rest);

    // Backspace over the end of the now widest row: everything fits, the bar goes.
    const DWORD rowStart = wideStart + 2; // after the two typed characters
    Send(EM_SETSEL, rowStart + 20, rowStart + 150);
    Char(L'\b');
    EXPECT_FALSE(barShown());
    EXPECT_EQ(Text(), L"shortab\r\n" + narrower.substr(0, 20) + L"\r\nend");

    Key('Z', true);
    EXPECT_EQ(columns(), rest);
    EXPECT_TRUE(barShown());
}

TEST_F(ColouredEditorTest, MarkupTokenizerColoursTagsAndCommentsAcrossLines)
{
    const COLORREF tag = RGB(0, 0, 160);
    const COLORREF comment = RGB(0, 120, 120);
    SetMarkupSyntaxStyle(tag, comment, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
    Send(RCEM_SETTOKENIZER, 0, (LPARAM)MarkupSyntaxCallback);
    SetText(L"<!-- a comment\r\nstill comment -->\r\n<row id=1>text</row>");
    EXPECT_TRUE(RowHasColour(0, comment));
    EXPECT_TRUE(RowHasColour(1, comment));
    EXPECT_FALSE(RowHasColour(2, comment));
    EXPECT_TRUE(RowHasColour(2, tag));
    // Null restores the SQL colouring.
    Send(RCEM_SETTOKENIZER, 0, 0);
    SetText(L"select 1");
    EXPECT_TRUE(RowHasColour(0, kKeyword));
}

// Spaces and tabs show their marks only with the option; otherwise a row of blanks is all
// background.
TEST_F(EditorWindowTest, ShowSpacesMarksBlanksOnlyWithTheOption)
{
    SetText(L"  \t  \t \r\nx");
    Send(EM_SETSEL, 10, 10); // the caret on the second row, clear of the blanks
    auto inkOfFirstRow = [&] {
        UpdateWindow(edit);
        HDC dc = GetDC(edit);
        HGDIOBJ old = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        COLORREF background = GetSysColor(COLOR_WINDOW);
        int ink = 0;
        for (int y = 0; y < tm.tmHeight; ++y)
            for (int x = 0; x < 300; ++x)
                ink += GetPixel(dc, x, y) != background;
        ReleaseDC(edit, dc);
        return ink;
    };
    EXPECT_EQ(inkOfFirstRow(), 0);
    SetOptions(RCEO_SHOWSPACES);
    EXPECT_GT(inkOfFirstRow(), 0);
    SetOptions(0);
    EXPECT_EQ(inkOfFirstRow(), 0);
}
