// Loading on demand, the cell cache and reading while messages run, on a hand-made cursor.
#include "grid_host.h"
#include "grid_test_cursor.h"

#include "grid/busy_connection.h"

#include <gtest/gtest.h>

using namespace GridHostTest;

namespace {

// Rows "r<row>c<column>", counting the positionings.
class CountingCursor : public GridTest::TestCursor
{
public:
    int positionings = 0;
    explicit CountingCursor(int rows, int cols = 3)
    {
        for (int c = 0; c < cols; ++c)
            AddColumn(CString(L"c") + CString(std::to_wstring(c).c_str()), SQL_C_WCHAR,
                      SQL_WVARCHAR);
        for (int r = 0; r < rows; ++r)
        {
            std::vector<GridTest::Cell> row;
            for (int c = 0; c < cols; ++c)
                row.push_back(GridTest::Text(
                    CString((L"r" + std::to_wstring(r) + L"c" + std::to_wstring(c)).c_str())));
            rows_push(row);
        }
    }
    void rows_push(const std::vector<GridTest::Cell>& row) { rows.push_back(row); }
    bool SetAbsolutePosition(int row) override
    {
        ++positionings;
        return TestCursor::SetAbsolutePosition(row);
    }
};

void AddColumns(CRGrid& grid, Zelt::ICursor& cursor)
{
    for (int c = 1; c <= cursor.GetColumnCount(); ++c)
        grid.InsertColumn(cursor.GetColumnName(c), c, 100, LVCFMT_LEFT, -1, 0, false, 0);
}

CString Shown(CRGrid& grid, int row, int column)
{
    return grid.GetItemText(row, column);
}

struct Fixture : ::testing::Test
{
    GridHost host;
    void SetUp() override { ASSERT_TRUE(host.Create(kGridLines | kGridFullRowSelect)); }
    void Attach(Zelt::ICursor& cursor)
    {
        host.grid.SetCursor(&cursor);
        AddColumns(host.grid, cursor);
    }
};

using GridRows = Fixture;

} // namespace

TEST_F(GridRows, EmptyCursorLoadsNoItemsAndReportsNoCount)
{
    CountingCursor cursor(0);
    Attach(cursor);
    EXPECT_TRUE(host.grid.LoadRows(-1));
    EXPECT_EQ(0, host.grid.GetItemCount());
    EXPECT_EQ(0, host.Count(kGridCountChanged));
    EXPECT_EQ(0u, host.grid.GetExtendedStyle() & LVS_EX_GRIDLINES);
}

TEST_F(GridRows, FewRowsAllBecomeItemsWithOneCountCodeAndGridLines)
{
    CountingCursor cursor(5);
    Attach(cursor);
    EXPECT_TRUE(host.grid.LoadRows(-1));
    EXPECT_EQ(5, host.grid.GetItemCount());
    EXPECT_EQ(1, host.Count(kGridCountChanged));
    EXPECT_TRUE(host.grid.IsFullyLoaded());
    EXPECT_NE(0u, host.grid.GetExtendedStyle() & LVS_EX_GRIDLINES);
    EXPECT_EQ(CString(L"r4c2"), Shown(host.grid, 4, 2));
    EXPECT_EQ(CString(L"r0c0"), Shown(host.grid, 0, 0));
}

TEST_F(GridRows, ManyRowsLoadOneScreenAndShowingTheLastItemReadsOneMore)
{
    CountingCursor cursor(5000);
    Attach(cursor);
    EXPECT_TRUE(host.grid.LoadRows(-1));
    const int loaded = host.grid.GetItemCount();
    EXPECT_GT(loaded, 5);
    EXPECT_LT(loaded, 400);
    EXPECT_FALSE(host.grid.IsFullyLoaded());
    const int codes = host.Count(kGridCountChanged);
    EXPECT_EQ(CString((L"r" + std::to_wstring(loaded - 1) + L"c1").c_str()),
              Shown(host.grid, loaded - 1, 1));
    EXPECT_EQ(loaded + 1, host.grid.GetItemCount());
    EXPECT_EQ(codes + 1, host.Count(kGridCountChanged));
    // The rows stay in cursor order after the read-ahead moved the cursor.
    EXPECT_EQ(CString(L"r3c0"), Shown(host.grid, 3, 0));
    EXPECT_EQ(CString((L"r" + std::to_wstring(loaded) + L"c0").c_str()),
              Shown(host.grid, loaded, 0));
}

TEST_F(GridRows, WantedRowBeyondTheScreenIsReadAndSelected)
{
    CountingCursor cursor(3000);
    Attach(cursor);
    EXPECT_TRUE(host.grid.LoadRows(700));
    EXPECT_GE(host.grid.GetItemCount(), 701);
    EXPECT_EQ(700, host.grid.GetSelectedItem());
}

TEST_F(GridRows, SelectingBeyondTheItemsReadsTheRestAndClamps)
{
    CountingCursor cursor(1200);
    Attach(cursor);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    host.grid.SelectRow(5000);
    EXPECT_EQ(1200, host.grid.GetItemCount());
    EXPECT_EQ(1199, host.grid.GetSelectedItem());
    EXPECT_TRUE(host.grid.IsFullyLoaded());
}

TEST_F(GridRows, FetchAllReadsEveryRow)
{
    CountingCursor cursor(1500);
    host.grid.SetOptions(kGridFetchAll | kGridFullRowSelect);
    Attach(cursor);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    EXPECT_EQ(1500, host.grid.GetItemCount());
    EXPECT_EQ(CString(L"r1499c2"), Shown(host.grid, 1499, 2));
}

TEST_F(GridRows, CacheRecentresWithoutStaleRowsNearTheEnd)
{
    CountingCursor cursor(400);
    host.grid.SetOptions(kGridFetchAll);
    host.grid.m_nCacheSize = 50;
    Attach(cursor);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    for (int row : {0, 10, 390, 399, 398, 120, 0, 399, 351, 352})
    {
        for (int c = 0; c < 3; ++c)
        {
            CGridItem item;
            ASSERT_TRUE(host.grid.GetCellText(row, c, item)) << row;
            EXPECT_EQ(CString((L"r" + std::to_wstring(row) + L"c" + std::to_wstring(c)).c_str()),
                      item.m_strText);
        }
    }
    CGridItem beyond;
    EXPECT_FALSE(host.grid.GetCellText(400, 0, beyond));
    // Cache hits do not position the cursor.
    const int before = cursor.positionings;
    CGridItem again;
    host.grid.GetCellText(352, 1, again);
    EXPECT_EQ(before, cursor.positionings);
}

TEST_F(GridRows, WithoutTheCacheEveryRequestReadsTheCursor)
{
    CountingCursor cursor(20);
    host.grid.m_bUseCache = 0;
    Attach(cursor);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    CGridItem item;
    host.grid.GetCellText(3, 0, item);
    const int before = cursor.positionings;
    host.grid.GetCellText(7, 0, item);
    host.grid.GetCellText(3, 0, item);
    EXPECT_EQ(before + 2, cursor.positionings);
    EXPECT_EQ(CString(L"r3c0"), item.m_strText);
}

TEST_F(GridRows, WhileAJobHoldsTheConnectionOnlyCachedRowsAreShown)
{
    CountingCursor cursor(400);
    host.grid.SetOptions(kGridFetchAll);
    host.grid.m_nCacheSize = 50;
    Attach(cursor);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    CGridItem item;
    ASSERT_TRUE(host.grid.GetCellText(10, 0, item));
    const int before = cursor.positionings;
    {
        CConnectionBusyScope busy;
        EXPECT_TRUE(host.grid.GetCellText(12, 1, item));
        EXPECT_EQ(CString(L"r12c1"), item.m_strText);
        // Outside the cache: nothing, and the cursor stays where it is.
        EXPECT_FALSE(host.grid.GetCellText(300, 1, item));
        EXPECT_FALSE(host.grid.ReadCellText(399, 0, item) && item.m_strText == L"r399c0");
        EXPECT_EQ(before, cursor.positionings);
        // Painting the grid meanwhile reads nothing either.
        host.grid.EnsureVisible(300, FALSE);
        host.grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(before, cursor.positionings);
    }
    EXPECT_TRUE(host.grid.GetCellText(300, 1, item));
    EXPECT_EQ(CString(L"r300c1"), item.m_strText);
}

TEST_F(GridRows, WhileAJobHoldsTheConnectionTheLastItemReadsNoMore)
{
    CountingCursor cursor(400);
    Attach(cursor);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    const int items = host.grid.GetItemCount();
    ASSERT_LT(items, 400);
    CGridItem item;
    {
        CConnectionBusyScope busy;
        host.grid.ReadCellText(items - 1, 0, item);
        EXPECT_EQ(items, host.grid.GetItemCount());
    }
    host.grid.ReadCellText(items - 1, 0, item);
    EXPECT_GT(host.grid.GetItemCount(), items);
}

TEST(GridCacheGeometry, WindowStartStaysInsideTheItems)
{
    EXPECT_EQ(0, CRGrid::CacheWindowStart(10, 50, 400));
    EXPECT_EQ(80, CRGrid::CacheWindowStart(90, 20, 100));
    // The window of 20 rows centred on row 91 would end at row 100, one past the last item.
    EXPECT_EQ(80, CRGrid::CacheWindowStart(91, 20, 100));
    EXPECT_EQ(80, CRGrid::CacheWindowStart(99, 20, 100));
    EXPECT_EQ(0, CRGrid::CacheWindowStart(5, 20, 10));
}

namespace {

// A wait object that, like a wait dialog pumping paint messages, asks the grid for cells while
// the grid is reading, and may clear the grid in the middle.
class MeddlingWait : public CRGrid::IWait
{
public:
    CRGrid* grid;
    int pumps = 0;
    int clearAt = -1;
    int* counted = nullptr; // outlives the wait, which the grid deletes
    explicit MeddlingWait(CRGrid* g, int* count = nullptr) : grid(g), counted(count) {}
    bool PumpMessages() override
    {
        ++pumps;
        if (counted != nullptr)
            ++*counted;
        const int items = grid->GetItemCount();
        if (items > 0)
        {
            grid->GetItemText(items - 1, 0); // the last item: would read ahead
            grid->GetItemText(items / 2, 1); // a middle one: would move the cursor
            grid->SendMessage(WM_KEYDOWN, VK_NEXT, 0);
        }
        if (pumps == clearAt)
            grid->Clear();
        PumpPending();
        return false;
    }
    void Step() override {}
};

} // namespace

TEST_F(GridRows, ReadingSurvivesRequestsMadeWhileMessagesRun)
{
    CountingCursor cursor(800);
    host.grid.SetOptions(kGridFetchAll);
    Attach(cursor);
    // The clock moves on by a pump's period at rows 200, 400 and 600.
    host.grid.clock = [&] { return ULONGLONG(cursor.current / 200) * 30; };
    int pumps = 0;
    host.grid.makeWait = [&] { return new MeddlingWait(&host.grid, &pumps); };
    ASSERT_TRUE(host.grid.LoadRows(-1));
    ASSERT_EQ(800, host.grid.GetItemCount());
    for (int row : {0, 1, 2, 399, 400, 401, 799})
        EXPECT_EQ(CString((L"r" + std::to_wstring(row) + L"c0").c_str()), Shown(host.grid, row, 0));
    // Messages ran for the first row and each time the clock had moved on, never by a count of
    // rows: looking at the queue is a round trip to the Wine server.
    EXPECT_EQ(4, pumps);
}

TEST_F(GridRows, ReadingLooksAtMessagesByTheClockNotByRows)
{
    CountingCursor cursor(3000, 1);
    host.grid.SetOptions(kGridFetchAll);
    Attach(cursor);
    ULONGLONG now = 1000;
    host.grid.clock = [&] { return now; };
    int pumps = 0;
    host.grid.makeWait = [&] { return new MeddlingWait(&host.grid, &pumps); };
    ASSERT_TRUE(host.grid.LoadRows(-1));
    ASSERT_EQ(3000, host.grid.GetItemCount());
    EXPECT_EQ(1, pumps);

    // Ctrl+End on a grid that reads on demand: the same, and a period just short of due waits.
    CountingCursor more(3000, 1);
    host.grid.SetOptions(0);
    host.grid.SetCursor(&more);
    host.grid.clock = [&] { return now + (more.current >= 2000 ? 29 : 0); };
    ASSERT_TRUE(host.grid.LoadRows(-1));
    ASSERT_LT(host.grid.GetItemCount(), 3000);
    pumps = 0;
    ASSERT_TRUE(host.grid.ReadAllRows());
    ASSERT_EQ(3000, host.grid.GetItemCount());
    EXPECT_EQ(1, pumps);
}

TEST_F(GridRows, ClearingWhileReadingStopsTheRead)
{
    CountingCursor cursor(800);
    host.grid.SetOptions(kGridFetchAll);
    Attach(cursor);
    // Messages run for the first row and then when the clock has moved on: the second time is
    // well inside the read.
    host.grid.clock = [&] { return ULONGLONG(cursor.current >= 400 ? 30 : 0); };
    host.grid.makeWait = [&] {
        MeddlingWait* wait = new MeddlingWait(&host.grid);
        wait->clearAt = 2;
        return wait;
    };
    EXPECT_FALSE(host.grid.LoadRows(-1));
    EXPECT_EQ(0, host.grid.GetItemCount());
    EXPECT_EQ(0, host.grid.GetColumnCount());
    EXPECT_TRUE(::IsWindowVisible(host.grid.m_hWnd));
}
