// List bases on real list views: moving rows with everything they carry, selection helpers,
// the sort arrow, cell hit tests and cell rectangles, Ctrl+A, and scrolling while editing.
#include "controls/edit_list_ctrl.h"
#include "controls/quenlark_list_ctrl.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using qltest::CTestHost;
using qltest::PumpPending;

namespace {

// Refuses moves of the row whose item data is `refusedData` and records the moves made.
class CRecordingList : public CREditListCtrl
{
public:
    LPARAM refusedData = -1;
    std::vector<std::pair<int, int>> moved;

    bool CanMoveItem(int from, int to) override
    {
        return (LPARAM)GetItemData(from) != refusedData && CREditListCtrl::CanMoveItem(from, to);
    }
    void OnItemMoved(int from, int to) override { moved.emplace_back(from, to); }
};

class ListTest : public ::testing::Test
{
protected:
    CTestHost host;
    std::unique_ptr<CRecordingList> list = std::make_unique<CRecordingList>();

    void SetUp() override
    {
        ASSERT_TRUE(host.CreateHost());
        ASSERT_TRUE(
            list->CreateEx(0, WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS,
                           CRect(10, 10, 410, 210), &host, 100));
        list->SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        list->InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
        list->InsertColumn(1, L"Type", LVCFMT_LEFT, 80);
        list->InsertColumn(2, L"Size", LVCFMT_LEFT, 60);
    }
    void TearDown() override
    {
        if (list->GetSafeHwnd())
            list->DestroyWindow();
    }

    // Rows "r0".."rN-1" with data 100+i, sub-texts "t<i>" and "s<i>"; odd rows checked.
    void Fill(int rows)
    {
        for (int i = 0; i < rows; ++i)
        {
            CString name, type, size;
            name.Format(L"r%d", i);
            type.Format(L"t%d", i);
            size.Format(L"s%d", i);
            int k = list->InsertItem(i, name);
            list->SetItemText(k, 1, type);
            list->SetItemText(k, 2, size);
            list->SetItemData(k, 100 + i);
            list->SetCheck(k, i % 2 == 1);
        }
    }
    CString Names() const
    {
        CString all;
        for (int i = 0; i < list->GetItemCount(); ++i)
            all += list->GetItemText(i, 0) + L" ";
        return all.Trim();
    }
    void Select(std::initializer_list<int> rows)
    {
        list->SetItemState(-1, 0, LVIS_SELECTED);
        for (int r : rows)
            list->SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
    }
    std::set<int> Selected() const
    {
        std::set<int> s;
        for (int i = 0; i < list->GetItemCount(); ++i)
            if (list->GetItemState(i, LVIS_SELECTED))
                s.insert(i);
        return s;
    }
    // The client point in the middle of a row, at x.
    CPoint RowPoint(int row, int x) const
    {
        CRect r;
        list->GetItemRect(row, &r, LVIR_BOUNDS);
        return CPoint(x, (r.top + r.bottom) / 2);
    }
};

TEST_F(ListTest, MoveItemCarriesTextsDataAndCheckState)
{
    Fill(4);
    list->MoveItem(1, 3);
    EXPECT_EQ(CString(L"r0 r2 r3 r1"), Names());
    EXPECT_EQ(CString(L"t1"), list->GetItemText(3, 1));
    EXPECT_EQ(CString(L"s1"), list->GetItemText(3, 2));
    EXPECT_EQ((DWORD_PTR)101, list->GetItemData(3));
    EXPECT_TRUE(list->GetCheck(3));
    EXPECT_FALSE(list->GetCheck(0));
    EXPECT_TRUE(list->GetItemState(3, LVIS_SELECTED | LVIS_FOCUSED) ==
                (LVIS_SELECTED | LVIS_FOCUSED));
    ASSERT_EQ(1u, list->moved.size());
    EXPECT_EQ(std::make_pair(1, 3), list->moved[0]);

    // An unchecked row stays unchecked when it lands among checked ones.
    list->MoveItem(0, 2);
    EXPECT_EQ(CString(L"r2 r3 r0 r1"), Names());
    EXPECT_FALSE(list->GetCheck(2));
    EXPECT_EQ((DWORD_PTR)100, list->GetItemData(2));
}

TEST_F(ListTest, GetSelectedItemAndSelectItem)
{
    EXPECT_EQ(-1, list->GetSelectedItem());
    Fill(30);
    EXPECT_EQ(-1, list->GetSelectedItem());
    Select({5, 3});
    EXPECT_EQ(3, list->GetSelectedItem());
    list->SelectItem(-1); // nothing happens
    EXPECT_EQ(3, list->GetSelectedItem());
    list->SelectItem(25);
    EXPECT_TRUE(list->GetItemState(25, LVIS_FOCUSED));
    EXPECT_LE(list->GetTopIndex(), 25);
    EXPECT_GT(list->GetTopIndex() + list->GetCountPerPage(), 25);
}

TEST_F(ListTest, MoveSelectedUpByOne)
{
    Fill(5);
    Select({0, 1});
    list->MoveSelectedItems(true, false);
    EXPECT_EQ(CString(L"r0 r1 r2 r3 r4"), Names()) << "a top block does not move";
    EXPECT_TRUE(list->moved.empty());

    Select({2, 3});
    list->MoveSelectedItems(true, false);
    EXPECT_EQ(CString(L"r0 r2 r3 r1 r4"), Names());
    EXPECT_EQ((std::set<int>{1, 2}), Selected());
    EXPECT_TRUE(list->GetCheck(2)) << "r3 was checked";
    EXPECT_EQ((DWORD_PTR)103, list->GetItemData(2));
}

TEST_F(ListTest, MoveSelectedToEndsKeepsOrder)
{
    Fill(5);
    Select({0, 2});
    list->MoveSelectedItems(false, true);
    EXPECT_EQ(CString(L"r1 r3 r4 r0 r2"), Names());
    EXPECT_EQ((std::set<int>{3, 4}), Selected());

    Select({2, 4});
    list->MoveSelectedItems(true, true);
    EXPECT_EQ(CString(L"r4 r2 r1 r3 r0"), Names());
    EXPECT_EQ((std::set<int>{0, 1}), Selected());
}

TEST_F(ListTest, RefusedMoveLeavesThatRowInPlace)
{
    Fill(5);
    list->refusedData = 103; // r3
    Select({1, 3});
    list->MoveSelectedItems(true, false);
    EXPECT_EQ(CString(L"r1 r0 r2 r3 r4"), Names());
    ASSERT_EQ(1u, list->moved.size());
}

TEST_F(ListTest, SortArrowKeepsOtherFormatBits)
{
    Fill(1);
    CHeaderCtrl* header = list->GetHeaderCtrl();
    HDITEMW hdi = {HDI_FORMAT};
    header->GetItem(1, &hdi);
    hdi.fmt |= HDF_RIGHT;
    header->SetItem(1, &hdi);

    EXPECT_TRUE(list->SetSortArrow(1, HDF_SORTUP));
    hdi.mask = HDI_FORMAT;
    header->GetItem(1, &hdi);
    EXPECT_EQ(HDF_SORTUP | HDF_RIGHT, hdi.fmt & (HDF_SORTUP | HDF_SORTDOWN | HDF_RIGHT));
    EXPECT_TRUE(list->SetSortArrow(1, HDF_SORTDOWN));
    header->GetItem(1, &hdi);
    EXPECT_EQ(HDF_SORTDOWN | HDF_RIGHT, hdi.fmt & (HDF_SORTUP | HDF_SORTDOWN | HDF_RIGHT));
    EXPECT_TRUE(list->SetSortArrow(1, 0));
    header->GetItem(1, &hdi);
    EXPECT_EQ(HDF_RIGHT, hdi.fmt & (HDF_SORTUP | HDF_SORTDOWN | HDF_RIGHT));
    EXPECT_FALSE(list->SetSortArrow(7, HDF_SORTUP));
}

TEST_F(ListTest, AutoSizeColumnsFitsTheWidestText)
{
    Fill(2);
    list->SetItemText(1, 1, L"a much longer text than the header");
    list->AutoSizeColumns();
    EXPECT_GE(list->GetColumnWidth(1), list->GetStringWidth(L"a much longer text than the header"));
}

TEST_F(ListTest, CellFromPointAtColumnBorders)
{
    Fill(3);
    CRect bounds;
    list->GetItemRect(1, &bounds, LVIR_BOUNDS);
    int row = -1, column = -1;
    // The border pixel between column 0 and 1 belongs to column 0.
    ASSERT_EQ(1, list->CellFromPoint(RowPoint(1, bounds.left + 100), &row, &column));
    EXPECT_EQ(1, row);
    EXPECT_EQ(0, column);
    ASSERT_EQ(1, list->CellFromPoint(RowPoint(1, bounds.left + 101), &row, &column));
    EXPECT_EQ(1, column);
    ASSERT_EQ(1, list->CellFromPoint(RowPoint(2, bounds.left + 239), &row, &column));
    EXPECT_EQ(2, row);
    EXPECT_EQ(2, column);
    // Right of the last column, and below the last row.
    EXPECT_EQ(0, list->CellFromPoint(RowPoint(1, bounds.left + 250), &row, &column));
    EXPECT_EQ(0, list->CellFromPoint(CPoint(20, 190), &row, &column));

    // The display order counts, not the column index.
    int order[] = {2, 0, 1};
    list->SetColumnOrderArray(3, order);
    ASSERT_EQ(1, list->CellFromPoint(RowPoint(0, bounds.left + 30), &row, &column));
    EXPECT_EQ(2, column);
    ASSERT_EQ(1, list->CellFromPoint(RowPoint(0, bounds.left + 61), &row, &column));
    EXPECT_EQ(0, column);
    EXPECT_EQ(1, list->CellFromPoint(RowPoint(0, bounds.left + 61), nullptr, nullptr));
}

TEST_F(ListTest, GetCellRectSelectsScrollsAndClips)
{
    Fill(40);
    CRect cell;
    ASSERT_TRUE(list->GetCellRect(35, 1, &cell));
    EXPECT_TRUE(list->GetItemState(35, LVIS_SELECTED | LVIS_FOCUSED) ==
                (LVIS_SELECTED | LVIS_FOCUSED));
    CRect bounds;
    list->GetItemRect(35, &bounds, LVIR_BOUNDS);
    EXPECT_EQ(bounds.left + 100 + 4, cell.left);
    EXPECT_EQ(bounds.left + 100 + 80 + 1, cell.right);
    EXPECT_EQ(bounds.top, cell.top);

    list->SetColumnWidth(2, 4);
    EXPECT_FALSE(list->GetCellRect(0, 2, &cell)) << "too narrow to edit";
    EXPECT_FALSE(list->GetCellRect(0, 3, &cell)) << "no such column";
    EXPECT_FALSE(list->GetCellRect(99, 0, &cell)) << "no such row";

    // A column partly out of view is scrolled to the left edge and clipped to the client area.
    list->SetColumnWidth(2, 600);
    CRect client;
    list->GetClientRect(&client);
    ASSERT_TRUE(list->GetCellRect(3, 2, &cell));
    EXPECT_LE(cell.right, client.right);
    EXPECT_GE(cell.left, client.left);
    EXPECT_GT(list->GetScrollPos(SB_HORZ), 0);
}

TEST_F(ListTest, WheelDoesNotScrollWhileAnEditorHasTheFocus)
{
    Fill(60);
    CEdit editor;
    ASSERT_TRUE(
        editor.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(5, 20, 80, 40), list.get(), 2001));
    editor.SetFocus();
    list->m_bEditing = true;
    list->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)(-WHEEL_DELTA * 3)),
                      MAKELPARAM(50, 50));
    EXPECT_EQ(0, list->GetTopIndex());
    EXPECT_EQ(editor.GetSafeHwnd(), ::GetFocus());

    // A click on the scroll bar first takes the focus back, which ends the edit.
    list->SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(list->GetSafeHwnd(), ::GetFocus());
    EXPECT_EQ(1, list->GetTopIndex());

    list->m_bEditing = false;
    list->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)(-WHEEL_DELTA)),
                      MAKELPARAM(50, 50));
    EXPECT_GT(list->GetTopIndex(), 1);
}

TEST(QuenlarkListTest, CtrlASelectsAllUnlessSingleSelection)
{
    CTestHost host;
    ASSERT_TRUE(host.CreateHost());
    for (DWORD single : {0ul, (DWORD)LVS_SINGLESEL})
    {
        CQuenlarkListCtrl list;
        ASSERT_TRUE(list.CreateEx(0, WS_CHILD | WS_VISIBLE | LVS_REPORT | single,
                                  CRect(0, 0, 300, 200), &host, 7));
        list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
        for (int i = 0; i < 4; ++i)
            list.InsertItem(i, L"x");
        list.SetFocus();
        qltest::PressKey(list.GetSafeHwnd(), 'A', false, true);
        EXPECT_EQ(single ? 0u : 4u, list.GetSelectedCount());
        qltest::PressKey(list.GetSafeHwnd(), 'A'); // without Ctrl: the list's own handling
        EXPECT_LE(list.GetSelectedCount(), single ? 1u : 4u);
        list.DestroyWindow();
    }
}

} // namespace
