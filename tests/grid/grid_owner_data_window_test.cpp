// The grid's list holds a count of rows, not an item per row: many rows read at once, widths
// fitted to the rows read and shown, an open cell editor keeping its row selected, and the text widths
// the fitting adds up from per-character widths.
#include "grid_host.h"
#include "grid_test_cursor.h"

#include <gtest/gtest.h>

#include <map>

using namespace GridHostTest;

namespace {

// Rows of two text columns; a few rows' second values are much longer than the others.
class WideRowCursor : public GridTest::TestCursor
{
public:
    WideRowCursor(int nRows, const std::map<int, CString>& wide)
    {
        AddColumn(L"id", SQL_C_WCHAR, SQL_WVARCHAR);
        AddColumn(L"text", SQL_C_WCHAR, SQL_WVARCHAR);
        for (int r = 0; r < nRows; ++r)
        {
            const CString id(std::to_wstring(r).c_str());
            const auto it = wide.find(r);
            rows.push_back(
                {GridTest::Text(id), GridTest::Text(it != wide.end() ? it->second : L"ab")});
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

// Reading every row measures a sample of them; a row passed over fits its column when it is
// shown, so no cell on screen is cut shorter than fitting every row would have made it.
TEST(GridOwnerData, EveryRowReadAtOnceWithWidthsFittedToTheRowsThatNeedThem)
{
    GridHost host;
    ASSERT_TRUE(host.Create(kGridLines | kGridFullRowSelect | kGridFitColumns));
    const CString sampled = L"a value wider than most in its column";
    const CString wide = L"a value much wider than any other in its column, W W W";
    WideRowCursor cursor(30000, {});
    host.grid.SetCursor(&cursor);
    host.grid.InsertColumn(L"id", 1, 100, LVCFMT_LEFT, -1, 0, false, 0);
    host.grid.InsertColumn(L"text", 2, 100, LVCFMT_LEFT, -1, 0, false, 0);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    const int loaded = host.grid.GetItemCount();
    ASSERT_LT(loaded, 30000);
    const int narrow = host.grid.GetColumnWidth(1);
    HFONT hFont = (HFONT)host.grid.SendMessage(WM_GETFONT);
    const int pad = 2 * GdiWidth(host.grid.m_hWnd, hFont, L"M");
    const int sampledWidth = GdiWidth(host.grid.m_hWnd, hFont, sampled) + pad;
    const int wideWidth = GdiWidth(host.grid.m_hWnd, hFont, wide) + pad;
    ASSERT_GT(sampledWidth, narrow);
    ASSERT_GT(wideWidth, sampledWidth);
    // Of the rows not read yet, the long read measures the 20,000th and passes the 19,977th.
    const int sampledRow = loaded + 20000, wideRow = loaded + 19977;
    ASSERT_TRUE(CRGrid::IsSampledRow(sampledRow - loaded));
    ASSERT_FALSE(CRGrid::IsSampledRow(wideRow - loaded));
    cursor.rows[sampledRow][1] = GridTest::Text(sampled);
    cursor.rows[wideRow][1] = GridTest::Text(wide);

    ASSERT_TRUE(host.grid.ReadAllRows());
    PumpPending();
    EXPECT_EQ(host.grid.GetItemCount(), 30000);
    EXPECT_TRUE(host.grid.IsFullyLoaded());
    EXPECT_EQ(host.grid.GetItemText(29999, 0), L"29999");
    // Widths are those GDI measures (plus two "M").
    EXPECT_EQ(host.grid.GetColumnWidth(1), sampledWidth);

    // Showing the wide row asks for its text: the column grows to it once messages run.
    host.grid.EnsureVisible(wideRow, FALSE);
    host.grid.UpdateWindow();
    EXPECT_EQ(host.grid.GetItemText(wideRow, 1), wide);
    PumpPending();
    EXPECT_EQ(host.grid.GetColumnWidth(1), wideWidth);
    // A narrower column of the user's stays until a shown value needs more.
    host.grid.SetColumnWidth(1, 60);
    host.grid.EnsureVisible(100, FALSE);
    host.grid.UpdateWindow();
    PumpPending();
    EXPECT_EQ(host.grid.GetColumnWidth(1), 60);
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
    WideRowCursor cursor(50, {});
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
