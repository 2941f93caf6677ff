// The grid window in an MDI frame over the real databases: opening, sorting and filtering by
// rebuilding its SELECT, refreshing with the layout kept, result windows that must not run their
// statement again, plans, and statements without results.
#include "windows/grid_child_frame.h"

#include "app/app_settings.h"
#include "dbaccess/recordset.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "window_test_util.h"
#include "windows/filter_condition.h"

#include <gtest/gtest.h>

using namespace gwtest;

namespace {

enum Product
{
    kSQLite,
    kPostgres,
    kMariaDB
};

class GridFrame : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        theSettings.m_bCancelExec = 0;
        theSettings.m_nNewWindowAction = 0;
        m_pHost = CreateHost();
        ASSERT_NE(m_pHost, nullptr);
        CString connect = GetParam() == kSQLite     ? m_file.Connect()
                          : GetParam() == kPostgres ? QlTestDb::PostgresConnect()
                                                    : QlTestDb::MariaDBConnect();
        ASSERT_TRUE(
            m_helper.GetDatabase().Open(connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        m_table.Format(L"ql_grid_%ls", QlTestDb::UniqueTag().c_str());
        CRDatabase& db = m_helper.GetDatabase();
        db.ExecuteSQL(L"CREATE TABLE " + m_table +
                      L" (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(20), "
                      L"note VARCHAR(20))");
        db.BeginTrans();
        for (int i = 1; i <= 1000; ++i)
        {
            CString sql;
            sql.Format(L"INSERT INTO %s VALUES (%d, 'n%04d', '%s', %s)", m_table.GetString(), i,
                       1001 - i, i % 2 ? L"x" : L"y", i % 3 ? L"NULL" : L"'memo'");
            db.ExecuteSQL(sql);
        }
        db.EndTrans(true);
    }
    void TearDown() override
    {
        DestroyHost(m_pHost);
        if (m_helper.GetDatabase().IsOpen())
            m_helper.GetDatabase().ExecuteSQL(L"DROP TABLE " + m_table);
    }
    CGridChildFrame* OpenTable()
    {
        return OpenTableWindow(&m_helper, m_pHost, m_table, L"SELECT * FROM " + m_table);
    }
    CString Cell(CGridChildFrame* pFrame, int nRow, int nColumn)
    {
        CGridItem item;
        pFrame->GetView().GetCellText(nRow, nColumn, item);
        return item.m_strText;
    }
    int Count(LPCWSTR where = L"")
    {
        return _wtoi(QlConnTest::QueryText(m_helper.GetDatabase(),
                                           L"SELECT COUNT(*) FROM " + m_table + where));
    }

    QlTestDb::TempSQLiteFile m_file;
    CRDatabaseHelper m_helper;
    CHostFrame* m_pHost = nullptr;
    CString m_table;
};

TEST_P(GridFrame, SortFilterAndRefreshRebuildTheSelect)
{
    CGridChildFrame* pFrame = OpenTable();
    ASSERT_NE(pFrame, nullptr);
    CGridChildView& view = pFrame->GetView();
    EXPECT_GT(view.GetItemCount(), 0);
    EXPECT_EQ(view.GetColumnCount(), 4);

    pFrame->SortByColumn(1, true);
    // (PostgreSQL names the table's column: see SortsByTheTablesValuesNotTheirText.)
    const std::string sortedBy = GetParam() == kPostgres ? A(m_table) + ".name" : "name";
    EXPECT_EQ(A(pFrame->GetShowSQL()),
              "SELECT * FROM " + A(m_table) + "\nORDER BY  " + sortedBy + " ASC");
    EXPECT_EQ(A(Cell(pFrame, 0, 1)), "n0001");

    CFilterArray filter;
    auto row = [](LPCWSTR column, int op, LPCWSTR value, int logic, UINT kind = kGridValue) {
        CFilterInfo info;
        info.m_strColumn = column;
        info.m_nOperation = op;
        info.m_value = CGridItem(value, kind);
        info.m_nLogic = logic;
        return info;
    };
    filter.push_back(row(L"city", kFilterEqual, L"x", kFilterAnd));
    filter.push_back(row(L"id", kFilterGreater, L"5", kFilterOr));
    filter.push_back(row(L"note", kFilterEqual, L"", kFilterAnd, kGridNull));
    CColumnInfoArray columns;
    m_helper.GetColumnsNow(CStringPair(L"", m_table), &columns);
    ASSERT_TRUE(BuildFilterCondition(filter, &m_helper.GetCatalogDatabase(), columns));
    CSortArray sort = pFrame->GetSort();
    ASSERT_TRUE(pFrame->ApplySortAndFilter(&sort, &filter, 0, true));
    const std::string expectedEnd =
        "\nWHERE city='x' AND\nid>5 OR\nnote IS NULL\nORDER BY  " + sortedBy + " ASC";
    const std::string shown = A(pFrame->GetShowSQL());
    ASSERT_GE(shown.size(), expectedEnd.size());
    EXPECT_EQ(shown.substr(shown.size() - expectedEnd.size()), expectedEnd);
    view.ReadAllRows();
    EXPECT_EQ(view.GetItemCount(), Count(L" WHERE city='x' AND id>5 OR note IS NULL"));

    // Refresh keeps the user's column order and hidden columns.
    std::vector<int> order = {3, 0, 1, 2};
    ::SendMessageW(view.m_hWnd, LVM_SETCOLUMNORDERARRAY, 4, (LPARAM)order.data());
    view.ShowColumn(2, false);
    pFrame->Refresh(true);
    std::vector<int> after(4);
    ::SendMessageW(view.m_hWnd, LVM_GETCOLUMNORDERARRAY, 4, (LPARAM)after.data());
    EXPECT_EQ(A(view.GetColumnObject(after[0])->m_strName), "note");
    EXPECT_FALSE(view.IsColumnShown(2));
    EXPECT_TRUE(view.IsColumnShown(1));
    EXPECT_TRUE(HasSortOrder(pFrame->GetSort()));
    EXPECT_FALSE(pFrame->GetFilter().empty());

    // Around a reconnect: the grid lets go of the closed cursor and the refresh after it brings
    // the rows back with the same layout.
    pFrame->CloseCursor();
    EXPECT_EQ(view.GetColumnCount(), 0);
    pFrame->Refresh(false);
    EXPECT_EQ(view.GetColumnCount(), 4);
    ::SendMessageW(view.m_hWnd, LVM_GETCOLUMNORDERARRAY, 4, (LPARAM)after.data());
    EXPECT_EQ(A(view.GetColumnObject(after[0])->m_strName), "note");
    EXPECT_FALSE(view.IsColumnShown(2));
}

TEST_P(GridFrame, UnsafeRebuildIsRefusedAndTheWindowKeepsItsRows)
{
    std::unique_ptr<Zelt::ICursor> cursor;
    {
        auto rs = std::make_unique<CRRecordset>(&m_helper.GetDatabase());
        const CString sql = GetParam() == kSQLite || GetParam() == kMariaDB
                                ? L"SELECT * FROM " + m_table + L" ORDER BY id DESC LIMIT 3"
                                : L"SELECT * FROM " + m_table + L" ORDER BY id DESC LIMIT 3";
        ASSERT_TRUE(rs->Open(sql, RS_STATIC, RS_NUMERIC_AS_TEXT));
        cursor = std::move(rs);
    }
    auto* pFrame = new CGridChildFrame(&m_helper, cursor, kGridProcedure, CStringPair(), nullptr);
    ASSERT_TRUE(pFrame->Create(nullptr, L"Query", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                               CFrameWnd::rectDefault, m_pHost));
    pFrame->GetView().ReadAllRows();
    EXPECT_EQ(pFrame->GetView().GetItemCount(), 3);
    MessageBoxes().clear();
    pFrame->SortByColumn(1, true);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(A(LastMessageBox()).find("cannot be sorted"), std::string::npos);
    EXPECT_EQ(pFrame->GetView().GetItemCount(), 3);
    EXPECT_EQ(A(pFrame->GetCurrentSelect()).find("\nORDER BY"), std::string::npos);
}

TEST_P(GridFrame, PlainSelectResultRefreshesAndTableWithoutResultsFailsToOpen)
{
    // A statement without a result set says so and leaves no window.
    auto* pFrame = new CGridChildFrame(&m_helper, L"UPDATE " + m_table + L" SET note = 'u'", L"",
                                       nullptr, kGridProcedure, CStringPair(), nullptr);
    MessageBoxes().clear();
    EXPECT_FALSE(pFrame->Create(nullptr, L"Update", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                CFrameWnd::rectDefault, m_pHost));
    ASSERT_EQ(MessageBoxes().size(), 1u) << A(m_helper.GetDatabase().GetConnect());
    EXPECT_EQ(A(LastMessageBox()).rfind("Executed OK.", 0), 0u);
    EXPECT_EQ(m_pHost->MDIGetActive(), nullptr);
}

// A PostgreSQL table's timestamptz is selected as the server's text under its own name: sorted
// by it, the window orders the instants (the hour a clock turns back, a year past 9999), read
// through a held cursor and inside the user's transaction alike.
TEST_P(GridFrame, SortsByTheTablesValuesNotTheirText)
{
    if (GetParam() != kPostgres)
        GTEST_SKIP();
    CRDatabase& db = m_helper.GetDatabase();
    const CString table = m_table + L"_tz";
    db.ExecuteSQL(L"SET TimeZone = 'Europe/Berlin'");
    db.ExecuteSQL(L"CREATE TABLE " + table + L" (id int, ts timestamptz)");
    db.ExecuteSQL(L"INSERT INTO " + table +
                  L" VALUES (1, '2024-10-27 02:15:00+01'), (2, '2024-10-27 02:30:00+02'), "
                  L"(3, '12345-01-01 00:00:00+00'), (4, '2024-01-01 00:00:00+00')");
    CString select;
    ASSERT_TRUE(m_helper.BuildSelectStatement(nullptr, CStringPair(L"", table), select));
    CGridChildFrame* pFrame = OpenTableWindow(&m_helper, m_pHost, table, select);
    ASSERT_NE(pFrame, nullptr);
    for (bool inTransaction : {false, true})
    {
        SCOPED_TRACE(inTransaction ? "in a transaction" : "outside one");
        if (inTransaction)
            db.BeginTrans();
        pFrame->SortByColumn(1, true);
        pFrame->GetView().ReadAllRows();
        std::string ids;
        for (int row = 0; row < pFrame->GetView().GetItemCount(); ++row)
            ids += A(Cell(pFrame, row, 0));
        EXPECT_EQ(ids, "4213");
        EXPECT_EQ(A(Cell(pFrame, 1, 1)), "2024-10-27 02:30:00+02");
    }
    db.EndTrans(false);
    pFrame->DestroyWindow();
    db.ExecuteSQL(L"DROP TABLE " + table);
}

INSTANTIATE_TEST_SUITE_P(Databases, GridFrame, testing::Values(kSQLite, kPostgres, kMariaDB));

// A result window of INSERT ... RETURNING runs its statement again only when the user says so.
TEST(GridFrameResult, WritingStatementIsNotRunAgainSilently)
{
    theSettings.m_bCancelExec = 0;
    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.GetDatabase().Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt,
                                          nullptr, 0, 0, 0));
    CString table;
    table.Format(L"ql_returning_%ls", QlTestDb::UniqueTag().c_str());
    helper.GetDatabase().ExecuteSQL(L"CREATE TABLE " + table + L" (id SERIAL, v INTEGER)");
    auto count = [&] {
        return A(QlConnTest::QueryText(helper.GetDatabase(), L"SELECT COUNT(*) FROM " + table));
    };
    {
        std::unique_ptr<Zelt::ICursor> cursor;
        auto rs = std::make_unique<CRRecordset>(&helper.GetDatabase());
        ASSERT_TRUE(rs->Open(L"INSERT INTO " + table + L" (v) VALUES (1) RETURNING id", RS_STATIC,
                             RS_NUMERIC_AS_TEXT));
        cursor = std::move(rs);
        auto* pFrame = new CGridChildFrame(&helper, cursor, kGridProcedure, CStringPair(), nullptr);
        ASSERT_TRUE(pFrame->Create(nullptr, L"Insert", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                   CFrameWnd::rectDefault, pHost));
        EXPECT_EQ(count(), "1");
        pFrame->Refresh(false); // options, reconnect: never asks, never runs it
        EXPECT_EQ(count(), "1");
        MessageBoxes().clear();
        pFrame->Refresh(true); // F5: asks; No keeps the rows as they are
        EXPECT_EQ(MessageBoxes().size(), 1u);
        EXPECT_EQ(count(), "1");
        MessageBoxAnswers().push_back(IDYES);
        pFrame->Refresh(true);
        EXPECT_EQ(count(), "2");
    }
    DestroyHost(pHost);
    helper.GetDatabase().ExecuteSQL(L"DROP TABLE " + table);
}

TEST(GridFramePlan, PostgresPlanWindowReadsEveryRow)
{
    theSettings.m_bCancelExec = 0;
    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.GetDatabase().Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt,
                                          nullptr, 0, 0, 0));
    CString plan;
    UINT32 id = 0;
    ASSERT_TRUE(helper.ExplainPlan(L"SELECT * FROM pg_class -- all\nWHERE relnatts = 3", plan, id));
    auto* pFrame = new CGridChildFrame(&helper, plan, L"SELECT 1", id);
    ASSERT_TRUE(pFrame->Create(nullptr, L"Plan", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                               CFrameWnd::rectDefault, pHost));
    EXPECT_GT(pFrame->GetView().GetItemCount(), 0);
    EXPECT_TRUE(pFrame->GetView().IsFullyLoaded());
    std::string text;
    for (int i = 0; i < pFrame->GetView().GetItemCount(); ++i)
    {
        CGridItem item;
        pFrame->GetView().GetCellText(i, 0, item);
        text += A(item.m_strText);
    }
    EXPECT_NE(text.find("Filter"), std::string::npos) << text;
    DestroyHost(pHost);
}

} // namespace

#include "windows/sql_err_child_frame.h"

namespace {

TEST(SqlErrorWindow, TextAboveInAStaticSplitterOfTwoRows)
{
    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    auto* pFrame = new CSQLErrChildFrame;
    ASSERT_TRUE(pFrame->Create(nullptr, L"Untitled", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                               CRect(0, 0, 600, 500), pHost));
    pFrame->SetText(L"ORA-00942: table or view does not exist");
    qltest::PumpPending();
    CSplitterWnd& splitter = pFrame->GetSplitter();
    EXPECT_EQ(splitter.GetRowCount(), 2);
    EXPECT_EQ(splitter.GetColumnCount(), 1);
    int cy = 0, cyMin = 0;
    splitter.GetRowInfo(0, cy, cyMin);
    EXPECT_EQ(cy, 300);
    ASSERT_NE(splitter.GetPane(1, 0), nullptr);
    wchar_t text[128] = {};
    ::GetWindowTextW(pFrame->GetTextWindow(), text, 128);
    EXPECT_EQ(A(text), "ORA-00942: table or view does not exist");
    DestroyHost(pHost);
}

} // namespace

#include "windows/goto_dlg.h"

namespace {

// Go To reads the referenced values from the cursor, not from the display text: a date goes
// into the filter as a date and finds its row; a key of two columns gives both; NULL gives none.
TEST(GoToItems, ValuesComeFromTheCursorAndFindTheParentRow)
{
    theSettings.m_bCancelExec = 0;
    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.GetDatabase().Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt,
                                          nullptr, 0, 0, 0));
    CRDatabase& db = helper.GetDatabase();
    CString parent, child;
    parent.Format(L"ql_goto_parent_%ls", QlTestDb::UniqueTag().c_str());
    child = parent + L"_child";
    db.ExecuteSQL(L"CREATE TABLE " + parent + L" (a INTEGER, d TIMESTAMP, PRIMARY KEY (a, d))");
    db.ExecuteSQL(L"CREATE TABLE " + child +
                  L" (id INTEGER PRIMARY KEY, pa INTEGER, pd TIMESTAMP, "
                  L"FOREIGN KEY (pa, pd) REFERENCES " +
                  parent + L" (a, d))");
    db.ExecuteSQL(L"INSERT INTO " + parent + L" VALUES (1, '2020-01-31 10:00:00')");
    db.ExecuteSQL(L"INSERT INTO " + parent + L" VALUES (1, '2020-02-01 10:00:00')");
    db.ExecuteSQL(L"INSERT INTO " + child + L" VALUES (1, 1, '2020-01-31 10:00:00')");
    db.ExecuteSQL(L"INSERT INTO " + child + L" VALUES (2, NULL, NULL)");

    {
        auto* pFrame =
            new CGridChildFrame(&helper, L"SELECT * FROM " + child + L" ORDER BY id", L"", nullptr,
                                kGridTable, CStringPair(L"", child), &pHost->m_images);
        ASSERT_TRUE(pFrame->Create(nullptr, child, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                   CFrameWnd::rectDefault, pHost));
        CGridChildView& view = pFrame->GetView();
        ASSERT_EQ(view.m_foreignKeys.GetSize(), 2);
        std::vector<CGoToItem> items = CollectGoToItems(view, 0);
        ASSERT_EQ(items.size(), 2u);
        EXPECT_EQ(items[0].m_strKeyName, items[1].m_strKeyName);
        EXPECT_TRUE(CollectGoToItems(view, 1).empty()); // every key column NULL: nothing to go to

        CFilterArray filter;
        for (const CGoToItem& item : items)
        {
            CFilterInfo info;
            info.m_strColumn = item.m_strRefColumn;
            info.m_value = CGridItem(item.m_strFilterValue, kGridValue);
            filter.push_back(info);
        }
        CColumnInfoArray columns;
        helper.GetColumnsNow(CStringPair(L"", parent), &columns);
        ASSERT_TRUE(BuildFilterCondition(filter, &db, columns));
        EXPECT_EQ(A(QlConnTest::QueryText(db, L"SELECT COUNT(*) FROM " + parent + L" WHERE " +
                                                  filter.m_strCondition)),
                  "1")
            << A(filter.m_strCondition);
    }
    DestroyHost(pHost);
    db.ExecuteSQL(L"DROP TABLE " + child);
    db.ExecuteSQL(L"DROP TABLE " + parent);
}

} // namespace

namespace {

// Closing a window with a row being inserted asks first; Cancel keeps the window.
TEST(GridFrameClose, UnsavedRowIsAskedAbout)
{
    theSettings.m_bCancelExec = 0;
    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    QlTestDb::TempSQLiteFile file;
    CRDatabaseHelper helper;
    ASSERT_TRUE(
        helper.GetDatabase().Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    helper.GetDatabase().ExecuteSQL(L"CREATE TABLE t (id INTEGER PRIMARY KEY, v VARCHAR(9))");
    helper.GetDatabase().ExecuteSQL(L"INSERT INTO t VALUES (1, 'a')");
    auto* pFrame = new CGridChildFrame(&helper, L"SELECT * FROM t", L"", nullptr, kGridTable,
                                       CStringPair(L"", L"t"), nullptr);
    ASSERT_TRUE(pFrame->Create(nullptr, L"t", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                               CFrameWnd::rectDefault, pHost));
    HWND hFrame = pFrame->m_hWnd;
    ASSERT_TRUE(pFrame->GetView().InsertRow(false));
    ASSERT_TRUE(pFrame->GetView().IsInserting());
    MessageBoxes().clear();
    MessageBoxAnswers().push_back(IDCANCEL);
    ::SendMessageW(hFrame, WM_CLOSE, 0, 0);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(A(MessageBoxes()[0]).find("not saved"), std::string::npos);
    EXPECT_TRUE(::IsWindow(hFrame));
    MessageBoxAnswers().push_back(IDNO); // close without saving
    ::SendMessageW(hFrame, WM_CLOSE, 0, 0);
    qltest::PumpPending();
    EXPECT_FALSE(::IsWindow(hFrame));
    EXPECT_EQ(A(QlConnTest::QueryText(helper.GetDatabase(), L"SELECT COUNT(*) FROM t")), "1");
    DestroyHost(pHost);
}

// Table Info opens the object's information dialog on its columns page.
TEST(GridFrameInfo, TableInfoOpensTheObjectInformationDialog)
{
    theSettings.m_bCancelExec = 0;
    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    QlTestDb::TempSQLiteFile file;
    CRDatabaseHelper helper;
    ASSERT_TRUE(
        helper.GetDatabase().Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    helper.GetDatabase().ExecuteSQL(L"CREATE TABLE info_t (id INTEGER PRIMARY KEY, v VARCHAR(9))");
    auto* pFrame = new CGridChildFrame(&helper, L"SELECT * FROM info_t", L"", nullptr, kGridTable,
                                       CStringPair(L"", L"info_t"), nullptr);
    ASSERT_TRUE(pFrame->Create(nullptr, L"info_t", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                               CFrameWnd::rectDefault, pHost));
    qltest::PumpPending();

    // The dialog is modal: a timer of this thread reads its caption and closes it.
    static std::wstring s_caption;
    s_caption.clear();
    auto tick = [](HWND, UINT, UINT_PTR, DWORD) {
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND hWnd, LPARAM) -> BOOL {
                wchar_t text[256] = {};
                ::GetWindowTextW(hWnd, text, 256);
                std::wstring caption = text;
                if (::IsWindowVisible(hWnd) && caption.find(L" information") != std::wstring::npos)
                {
                    s_caption = caption;
                    ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
                    return FALSE;
                }
                return TRUE;
            },
            0);
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, tick);
    ::SendMessageW(pFrame->m_hWnd, WM_COMMAND, ID_QUERY_TABLE_INFO, 0);
    ::KillTimer(nullptr, timer);
    EXPECT_NE(s_caption.find(L"info_t"), std::wstring::npos) << A(CString(s_caption.c_str()));

    // A result window has no object: nothing opens.
    auto* pResult =
        new CGridChildFrame(&helper, L"SELECT 1", L"", nullptr, kGridQuery, CStringPair(), nullptr);
    ASSERT_TRUE(pResult->Create(nullptr, L"result", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                CFrameWnd::rectDefault, pHost));
    s_caption.clear();
    ::SendMessageW(pResult->m_hWnd, WM_COMMAND, ID_QUERY_TABLE_INFO, 0);
    EXPECT_TRUE(s_caption.empty());
    DestroyHost(pHost);
}

} // namespace
