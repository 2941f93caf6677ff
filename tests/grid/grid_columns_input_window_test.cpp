// Columns (order, hiding, the header's refusals and sort menu commands), keys and row drawing
// decisions of the grid, on a hand-made cursor.
#include "grid_host.h"
#include "grid_test_cursor.h"
#include "grid/grid_edit.h"
#include "tests/controls/screenshot_util.h"

#include <gtest/gtest.h>

#include <vector>

using namespace GridHostTest;

namespace {

struct GridUi : ::testing::Test
{
    GridHost host;
    GridTest::TestCursor cursor;

    void SetUp() override
    {
        ASSERT_TRUE(host.Create(kGridFullRowSelect));
        for (int c = 0; c < 4; ++c)
            cursor.AddColumn(CString(L"c") + CString(std::to_wstring(c).c_str()), SQL_C_WCHAR,
                             SQL_WVARCHAR);
        for (int r = 0; r < 300; ++r)
        {
            std::vector<GridTest::Cell> row;
            for (int c = 0; c < 4; ++c)
                row.push_back(GridTest::Text(L"v"));
            cursor.rows.push_back(row);
        }
        host.grid.SetCursor(&cursor);
        for (int c = 1; c <= 4; ++c)
            host.grid.InsertColumn(cursor.GetColumnName(c), c, 80, LVCFMT_LEFT, -1, 0, false, 0);
        ASSERT_TRUE(host.grid.LoadRows(-1));
    }

    std::vector<int> Order()
    {
        std::vector<int> order(4);
        host.grid.SendMessage(LVM_GETCOLUMNORDERARRAY, 4, (LPARAM)order.data());
        return order;
    }

    LRESULT HeaderNotify(UINT code, int item, UINT mask, int width)
    {
        HDITEMW hd = {};
        hd.mask = mask;
        hd.cxy = width;
        NMHEADERW nm = {};
        nm.hdr.hwndFrom = ::GetDlgItem(host.grid.m_hWnd, 0);
        nm.hdr.idFrom = 0;
        nm.hdr.code = code;
        nm.iItem = item;
        nm.pitem = &hd;
        return host.grid.SendMessage(WM_NOTIFY, 0, (LPARAM)&nm);
    }

    LRESULT Draw(DWORD stage, int item, UINT state, int subItem = 0)
    {
        NMLVCUSTOMDRAW draw = {};
        draw.nmcd.dwDrawStage = stage;
        draw.nmcd.dwItemSpec = (DWORD_PTR)item;
        draw.nmcd.uItemState = state;
        draw.iSubItem = subItem;
        lastDraw = draw;
        LRESULT result = host.grid.CustomDraw(&draw);
        lastDraw = draw;
        return result;
    }
    NMLVCUSTOMDRAW lastDraw = {};
};

} // namespace

TEST_F(GridUi, MovingColumnsShiftsTheOnesBetween)
{
    EXPECT_TRUE(host.grid.MoveColumn(2, 0));
    EXPECT_EQ((std::vector<int>{2, 0, 1, 3}), Order());
    EXPECT_TRUE(host.grid.MoveColumn(0, 2));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), Order());
    EXPECT_TRUE(host.grid.MoveColumn(0, 2));
    EXPECT_EQ((std::vector<int>{1, 2, 0, 3}), Order());
    EXPECT_EQ(2, host.grid.GetPositionOfColumn(0));
    EXPECT_EQ(1, host.grid.GetColumnAtPosition(0));
    EXPECT_FALSE(host.grid.MoveColumn(0, 4));
    EXPECT_EQ(-1, host.grid.GetColumnAtPosition(4));
}

TEST_F(GridUi, HiddenColumnKeepsWidthZeroUntilShown)
{
    EXPECT_TRUE(host.grid.ShowColumn(1, false));
    EXPECT_TRUE(host.grid.ShowColumn(1, false));
    EXPECT_FALSE(host.grid.IsColumnVisible(1));
    EXPECT_EQ(0, host.grid.GetColumnWidth(1));
    // The header may not resize it, but other changes pass.
    EXPECT_EQ(1, HeaderNotify(HDN_BEGINTRACKW, 1, 0, 0));
    EXPECT_EQ(1, HeaderNotify(HDN_ITEMCHANGINGW, 1, HDI_WIDTH, 40));
    EXPECT_EQ(0, HeaderNotify(HDN_ITEMCHANGINGW, 1, HDI_WIDTH, 0));
    EXPECT_EQ(0, HeaderNotify(HDN_BEGINTRACKW, 2, 0, 0));
    host.grid.ApplyColumnWidths();
    EXPECT_EQ(0, host.grid.GetColumnWidth(1));
    EXPECT_TRUE(host.grid.ShowColumn(1, true));
    EXPECT_EQ(80, host.grid.GetColumnWidth(1));
    EXPECT_TRUE(host.grid.ShowColumn(1, true));
    EXPECT_FALSE(host.grid.ShowColumn(9, true));
}

TEST_F(GridUi, SortCommandsReachTheOwnerWithTheCurrentColumn)
{
    host.grid.SetCurrentColumn(2);
    host.grid.SendMessage(WM_COMMAND, 101, 0);
    ASSERT_NE(nullptr, host.Last(kGridSortDescending));
    EXPECT_EQ(3, host.Last(kGridSortDescending)->column);
    host.grid.SendMessage(WM_COMMAND, 100, 0);
    ASSERT_NE(nullptr, host.Last(kGridSortAscending));
    const size_t before = host.notes.size();
    host.grid.m_pOwner = nullptr;
    host.grid.SendMessage(WM_COMMAND, 100, 0);
    EXPECT_EQ(before, host.notes.size());
}

TEST_F(GridUi, HeaderClickWithoutCaptionsOnlyMakesTheColumnCurrent)
{
    NMLISTVIEW nm = {};
    nm.hdr.hwndFrom = host.grid.m_hWnd;
    nm.hdr.idFrom = host.grid.GetDlgCtrlID();
    nm.hdr.code = LVN_COLUMNCLICK;
    nm.iItem = -1;
    nm.iSubItem = 3;
    host.SendMessage(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm); // reflected to the grid
    EXPECT_EQ(3, host.grid.GetCurrentColumn());
}

TEST_F(GridUi, ReadOnlyGridIgnoresEditingKeys)
{
    host.grid.SelectRow(0);
    PressKey('V', false, true, host.grid.m_hWnd);
    PressKey(VK_INSERT, false, false, host.grid.m_hWnd);
    PressKey(VK_DELETE, false, false, host.grid.m_hWnd);
    EXPECT_FALSE(host.grid.IsInserting());
    EXPECT_FALSE(host.grid.CanCopy());
    EXPECT_FALSE(host.grid.IsReadyForEdit());
    EXPECT_FALSE(host.grid.CanCopyValue()); // no current column yet
    host.grid.SetCurrentColumn(1);
    EXPECT_TRUE(host.grid.CanCopyValue());
}

TEST_F(GridUi, PageDownAndCtrlEndReadAhead)
{
    const int loaded = host.grid.GetItemCount();
    ASSERT_LT(loaded, 300);
    host.grid.SelectRow(loaded - 1);
    PressKey(VK_NEXT, false, false, host.grid.m_hWnd);
    const int afterPage = host.grid.GetItemCount();
    EXPECT_GT(afterPage, loaded);
    EXPECT_LE(afterPage, loaded + host.grid.GetCountPerPage() + 3);
    PressKey(VK_END, false, true, host.grid.m_hWnd);
    EXPECT_EQ(300, host.grid.GetItemCount());
    EXPECT_TRUE(host.grid.IsFullyLoaded());
}

TEST_F(GridUi, RowDrawingMarksOddRowsTheEditedRowAndTheCurrentCell)
{
    EXPECT_EQ(CDRF_NOTIFYITEMDRAW, Draw(CDDS_PREPAINT, 0, 0));
    // No current column: nothing more is asked for.
    EXPECT_EQ(CDRF_DODEFAULT, Draw(CDDS_ITEMPREPAINT, 1, 0));
    host.grid.SetOptions(kGridShadeOddRows | kGridMarkEditedRow);
    host.grid.SetCurrentColumn(1);
    EXPECT_EQ(CDRF_NOTIFYSUBITEMDRAW, Draw(CDDS_ITEMPREPAINT, 1, 0));
    EXPECT_EQ(ShiftColor(::GetSysColor(COLOR_WINDOW)), lastDraw.clrTextBk);
    Draw(CDDS_ITEMPREPAINT, 2, 0);
    EXPECT_EQ(0u, lastDraw.clrTextBk);
    EXPECT_EQ(0x00020010, Draw(CDDS_SUBITEM | CDDS_ITEMPREPAINT, 2, CDIS_FOCUS, 1));
    EXPECT_EQ(CDRF_DODEFAULT, Draw(CDDS_SUBITEM | CDDS_ITEMPREPAINT, 2, CDIS_FOCUS, 2));
    EXPECT_EQ(CDRF_DODEFAULT, Draw(CDDS_SUBITEM | CDDS_ITEMPREPAINT, 2, 0, 1));
    // A row in edit mode gets its frame after painting and no shading.
    host.grid.m_nEditedRow = 1;
    host.grid.m_bModified = 1;
    EXPECT_EQ(CDRF_NOTIFYPOSTPAINT, Draw(CDDS_ITEMPREPAINT, 1, CDIS_SELECTED));
    EXPECT_EQ(0u, lastDraw.clrTextBk);
    host.grid.SetOptions(kGridShadeOddRows);
    EXPECT_EQ(CDRF_NOTIFYSUBITEMDRAW, Draw(CDDS_ITEMPREPAINT, 1, CDIS_SELECTED));
    host.grid.ResetEditState();
}

TEST_F(GridUi, SpaceOpensTheLeftmostShownColumnAndTheEditedRowKeepsTheSelection)
{
    host.grid.SetOptions(kGridEditable | kGridFullRowSelect);
    ASSERT_TRUE(host.grid.MoveColumn(2, 0));
    host.grid.SelectRow(1);
    PressKey(VK_SPACE, false, false, host.grid.m_hWnd);
    ASSERT_TRUE(host.grid.IsEditing());
    EXPECT_EQ(2, host.grid.GetCurrentColumn());
    EXPECT_EQ(1, host.grid.GetEditedRow());
    // Clicking another row while the editor is open leaves the selection on the edited row.
    host.grid.SetItemState(4, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(1, host.grid.GetSelectedItem());
    PressKey(VK_ESCAPE, false, false, ::GetFocus());
    EXPECT_FALSE(host.grid.IsEditing());
    EXPECT_TRUE(host.grid.IsModified());
    // Deleting refuses while the row is in edit mode, whichever row is selected.
    EXPECT_FALSE(host.grid.DeleteRow());
    EXPECT_TRUE(host.grid.CancelEdit());
    EXPECT_EQ(-1, host.grid.GetEditedRow());
}

TEST_F(GridUi, CancellingANewRowDeletesItAndSelectsTheRowAbove)
{
    host.grid.SetOptions(kGridEditable | kGridFullRowSelect);
    host.grid.SelectRow(host.grid.GetItemCount() + 500); // everything read
    const int count = host.grid.GetItemCount();
    ASSERT_TRUE(host.grid.InsertRow(false));
    EXPECT_EQ(count + 1, host.grid.GetItemCount());
    EXPECT_FALSE(host.grid.IsReadyForEdit());
    EXPECT_FALSE(host.grid.InsertRow(false)); // one new row at a time
    EXPECT_TRUE(host.grid.CancelEdit());
    EXPECT_EQ(count, host.grid.GetItemCount());
    EXPECT_EQ(count - 1, host.grid.GetSelectedItem());
    EXPECT_EQ(1, host.Count(kGridEditCancelled));
}

TEST_F(GridUi, ArrowKeysScrollByWholeColumns)
{
    host.grid.SetOptions(kGridColumnScroll | kGridFullRowSelect);
    for (int c = 0; c < 4; ++c)
        host.grid.SetColumnWidth(c, 300);
    host.grid.SelectRow(0);
    CPoint origin;
    ASSERT_TRUE(host.grid.GetScrollOrigin(origin));
    EXPECT_EQ(0, origin.x);
    EXPECT_TRUE(host.grid.ScrollByColumn(true));
    host.grid.GetScrollOrigin(origin);
    EXPECT_NEAR(300, origin.x, 8);
    PressKey(VK_LEFT, false, false, host.grid.m_hWnd);
    host.grid.GetScrollOrigin(origin);
    EXPECT_LE(origin.x, 8);
    // Walking right stops once the last column's end is reached.
    int moves = 0;
    while (host.grid.ScrollByColumn(true) && moves < 10)
        ++moves;
    EXPECT_LT(moves, 10);
    EXPECT_FALSE(host.grid.ScrollByColumn(true));
}

TEST_F(GridUi, DrawnHeaderShowsSortMarks)
{
    host.grid.SetOptions(kGridDrawHeader | kGridFullRowSelect | kGridLines | kGridShadeOddRows);
    host.grid.SetCursor(&cursor);
    const UINT marks[4] = {0, 1, 2, 0};
    for (int c = 1; c <= 4; ++c)
        host.grid.InsertColumn(cursor.GetColumnName(c), c, 90, c == 3 ? LVCFMT_RIGHT : LVCFMT_LEFT,
                               -1, 0, false, marks[c - 1]);
    ASSERT_TRUE(host.grid.LoadRows(3));
    HWND hHeader = ::GetDlgItem(host.grid.m_hWnd, 0);
    HDITEMW hd = {};
    hd.mask = HDI_FORMAT;
    ASSERT_TRUE(::SendMessageW(hHeader, HDM_GETITEMW, 1, (LPARAM)&hd));
    EXPECT_NE(0, hd.fmt & HDF_OWNERDRAW);
    host.grid.SetCurrentColumn(2);
    host.grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPending();
    qltest::SaveWindowShot(host.m_hWnd, "grid_header.bmp");
    EXPECT_GE(host.grid.headerItemsDrawn, 4);
    {
        // Column 1 starts at x = 90; its caption begins after the mark.
        HDC hdc = ::GetDC(hHeader);
        int dark = 0;
        for (int x = 92; x < 101; ++x)
            for (int y = 0; y < 20; ++y)
                dark += ::GetPixel(hdc, x, y) == 0 ? 1 : 0;
        ::ReleaseDC(hHeader, hdc);
        EXPECT_GT(dark, 0); // the sort mark, left of the caption
    }
    EXPECT_EQ(3, host.grid.GetSelectedItem());
}

namespace {

HWND g_refuseChildrenOf = nullptr;

LRESULT CALLBACK RefuseChildren(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && g_refuseChildrenOf != nullptr &&
        ((CBT_CREATEWNDW*)lParam)->lpcs->hwndParent == g_refuseChildrenOf)
        return 1;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_F(GridUi, AnEditorThatCannotBeCreatedLeavesTheGridIdle)
{
    host.grid.SetOptions(kGridEditable | kGridFullRowSelect);
    host.grid.SelectRow(2);
    g_refuseChildrenOf = host.grid.m_hWnd;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, RefuseChildren, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    CGridEdit* pEdit = host.grid.EditCell(2, 1);
    ::UnhookWindowsHookEx(hook);
    g_refuseChildrenOf = nullptr;
    EXPECT_EQ(nullptr, pEdit);
    EXPECT_FALSE(host.grid.IsEditing());
    EXPECT_FALSE(host.grid.IsModified());
    EXPECT_EQ(-1, host.grid.GetEditedRow());
    EXPECT_TRUE(host.grid.IsReadyForEdit());
    // The grid goes on working: the next editor opens.
    pEdit = host.grid.EditCell(2, 1);
    ASSERT_NE(nullptr, pEdit);
    PressKey(VK_ESCAPE, false, false, pEdit->m_edit.m_hWnd);
    EXPECT_TRUE(host.grid.CancelEdit());
}

namespace {

class CountingDrawGrid : public TestGrid
{
public:
    int rowsDrawn = 0;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        ++rowsDrawn;
        TestGrid::DrawItem(lpDrawItemStruct);
    }
};

} // namespace

TEST_F(GridUi, OwnerDrawnRowsAreDrawnByTheGrid)
{
    CountingDrawGrid grid;
    RECT r = {0, 200, 600, 380};
    ASSERT_TRUE(grid.Create(WS_CHILD | WS_VISIBLE | LVS_OWNERDRAWFIXED,
                            kGridShadeOddRows | kGridFullRowSelect, r, &host, 0xE901));
    grid.SetCursor(&cursor);
    for (int c = 1; c <= 4; ++c)
        grid.InsertColumn(cursor.GetColumnName(c), c, 90, c == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT, -1,
                          0, false, 0);
    ASSERT_TRUE(grid.LoadRows(1));
    grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpPending();
    qltest::SaveWindowShot(host.m_hWnd, "grid_owner_drawn.bmp");
    EXPECT_GT(grid.rowsDrawn, 3);
    grid.SetCursor(nullptr);
    grid.DestroyWindow();
}
