// The grid's list holds a count of rows, not an item per row: many rows read at once, widths
// fitted to every row read, an open cell editor keeping its row selected, and the text widths
// the fitting adds up from per-character widths.
#include "grid_host.h"
#include "grid_test_cursor.h"

#include <gtest/gtest.h>

using namespace GridHostTest;

namespace {

// Rows of two text columns; one row's second value is much longer than the others.
class WideRowCursor : public GridTest::TestCursor
{
public:
    WideRowCursor(int nRows, int wideRow, const CString& wide)
    {
        AddColumn(L"id", SQL_C_WCHAR, SQL_WVARCHAR);
        AddColumn(L"text", SQL_C_WCHAR, SQL_WVARCHAR);
        for (int r = 0; r < nRows; ++r)
        {
            const CString id(std::to_wstring(r).c_str());
            rows.push_back({GridTest::Text(id), GridTest::Text(r == wideRow ? wide : L"ab")});
        }
    }
};

int GdiWidth(HWND hWnd, HFONT hFont, const CString& text)
{
    HDC hDC = ::GetDC(hWnd);
    HGDIOBJ old = ::SelectObject(hDC, hFont);
    SIZE size = {};
    ::GetTextExtentPoint32W(hDC, text, text.GetLength(), &size);
    ::SelectObject(hDC, old);
    ::ReleaseDC(hWnd, hDC);
    return size.cx;
}

} // namespace

TEST(GridOwnerData, EveryRowReadAtOnceWithWidthsFittedToTheRowThatNeedsThem)
{
    GridHost host;
    ASSERT_TRUE(host.Create(kGridLines | kGridFullRowSelect | kGridFitColumns));
    const CString wide = L"a value much wider than any other in its column, W W W";
    WideRowCursor cursor(30000, 21777, wide);
    host.grid.SetCursor(&cursor);
    host.grid.InsertColumn(L"id", 1, 100, LVCFMT_LEFT, -1, 0, false, 0);
    host.grid.InsertColumn(L"text", 2, 100, LVCFMT_LEFT, -1, 0, false, 0);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    ASSERT_LT(host.grid.GetItemCount(), 30000);
    const int narrow = host.grid.GetColumnWidth(1);

    ASSERT_TRUE(host.grid.ReadAllRows());
    EXPECT_EQ(host.grid.GetItemCount(), 30000);
    EXPECT_TRUE(host.grid.IsFullyLoaded());
    EXPECT_EQ(host.grid.GetItemText(29999, 0), L"29999");
    EXPECT_EQ(host.grid.GetItemText(21777, 1), wide);
    // The fitted width is that of the wide row's text (plus two "M"), measured as GDI does.
    HFONT hFont = (HFONT)host.grid.SendMessage(WM_GETFONT);
    const int expected =
        GdiWidth(host.grid.m_hWnd, hFont, wide) + 2 * GdiWidth(host.grid.m_hWnd, hFont, L"M");
    EXPECT_GT(expected, narrow);
    EXPECT_EQ(host.grid.GetColumnWidth(1), expected);
}

TEST(GridOwnerData, TextWidthsAddUpAsGdiMeasures)
{
    GridHost host;
    ASSERT_TRUE(host.Create(kGridLines));
    HWND hWnd = host.grid.m_hWnd;
    LOGFONTW bold = {};
    ::GetObjectW((HFONT)host.grid.SendMessage(WM_GETFONT), sizeof bold, &bold);
    bold.lfWeight = FW_BOLD;
    bold.lfHeight = bold.lfHeight * 2;
    HFONT hBold = ::CreateFontIndirectW(&bold);
    for (HFONT hFont : {(HFONT)host.grid.SendMessage(WM_GETFONT), hBold})
    {
        CTextWidths widths;
        for (const wchar_t* text :
             {L"", L"0", L"12345.678", L"Hello, World!", L"na\x00EFve \x00DF\x00E9\x00FF",
              L"mixed \x4E2D\x6587 text", L"\x0430\x0431\x0432", L"tab\tand  blanks"})
        {
            const CString s(text);
            EXPECT_EQ(widths.Measure(hWnd, hFont, s, s.GetLength()), GdiWidth(hWnd, hFont, s))
                << CStringA(s).GetString();
        }
    }
    ::DeleteObject(hBold);
}

TEST(GridOwnerData, OpenCellEditorKeepsItsRowSelected)
{
    GridHost host;
    ASSERT_TRUE(host.Create(kGridLines | kGridFullRowSelect | kGridEditable));
    WideRowCursor cursor(50, -1, L"");
    host.grid.SetCursor(&cursor);
    host.grid.InsertColumn(L"id", 1, 100, LVCFMT_LEFT, -1, 0, false, 0);
    host.grid.InsertColumn(L"text", 2, 100, LVCFMT_LEFT, -1, 0, false, 0);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    ASSERT_NE(host.grid.EditCell(2, 1), nullptr);
    PumpPending();
    ASSERT_TRUE(host.grid.IsEditing());
    host.grid.SetItemState(5, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    PumpPending();
    EXPECT_EQ(host.grid.GetSelectedItem(), 2);
}
