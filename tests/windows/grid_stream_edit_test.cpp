// A table window over a result read on demand (SQLite stepping when the user's string asks for
// StepAPI; a PostgreSQL cursor in the reads' transaction): a row saved on the user's connection
// while most of the table is still unread is committed at once and seen from another connection,
// the connection's transaction state is what it was, and no row of the table is lost (SQLite
// reads the rest first; PostgreSQL's read stops with the rows it had, and Ctrl+End reads all).
#include "windows/grid_child_frame.h"

#include "app/app_settings.h"
#include "dbaccess/recordset.h"
#include "services/database_helper.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

using namespace gwtest;

namespace {

enum Product
{
    kSQLite,
    kPostgres
};

const int kRows = 3000;

class GridStreamEdit : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        theSettings.m_bCancelExec = 0;
        theSettings.m_nNewWindowAction = 0;
        theSettings.m_bFetchAllRecs = 0;
        m_pHost = CreateHost();
        ASSERT_NE(m_pHost, nullptr);
        m_connect =
            GetParam() == kSQLite ? m_file.Connect() + L"StepAPI=1;" : QlTestDb::PostgresConnect();
        ASSERT_TRUE(
            m_helper.GetDatabase().Open(m_connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        m_table.Format(L"ql_gridstream_%ls", QlTestDb::UniqueTag().c_str());
        CRDatabase& db = m_helper.GetDatabase();
        db.ExecuteSQL(L"CREATE TABLE " + m_table +
                      L" (id INTEGER PRIMARY KEY, name VARCHAR(30), note VARCHAR(20))");
        db.BeginTrans();
        for (int i = 1; i <= kRows; ++i)
        {
            CString sql;
            sql.Format(L"INSERT INTO %s VALUES (%d, 'n%04d', 'x')", m_table.GetString(), i, i);
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
    // The window is made without running its messages: on SQLite its idle ticks (timer
    // messages) would read the statement to its end before the test acts in the middle of it.
    CGridChildFrame* OpenTable()
    {
        const CString select = L"SELECT * FROM " + m_table + L" ORDER BY id";
        auto* pFrame = new CGridChildFrame(&m_helper, select, select, nullptr, kGridTable,
                                           CStringPair(L"", m_table), nullptr);
        if (!pFrame->Create(nullptr, m_table, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                            CFrameWnd::rectDefault, m_pHost))
            return nullptr;
        return pFrame;
    }
    static CString Cell(CRGrid& grid, int nRow, int nColumn)
    {
        CGridItem item;
        grid.GetCellText(nRow, nColumn, item);
        return item.m_strText;
    }
    // Edits one cell of a row through the grid's editing steps and saves the row.
    static bool SaveCell(CRGrid& grid, int nRow, int nColumn, LPCWSTR pszText)
    {
        grid.SelectRow(nRow);
        grid.OnBeginEdit(nRow);
        grid.SetCellValue(nRow, nColumn, pszText, kGridValue);
        return grid.CommitRow();
    }
    CString SeenElsewhere(LPCWSTR pszSQL)
    {
        CRDatabase other;
        if (!other.Open(GetParam() == kSQLite ? m_file.Connect() : QlTestDb::PostgresConnect(),
                        CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
            return L"<no connection>";
        return QlConnTest::QueryText(other, pszSQL);
    }
    void ExpectEveryRowWith(CRGrid& grid, int nRow, LPCWSTR pszName)
    {
        // Reads what the window has not taken yet (on SQLite its idle ticks may have taken all).
        grid.ReadAllRows();
        qltest::PumpPending();
        if (GetParam() == kPostgres)
        {
            // The session was wanted: the window's read stopped where it was, its rows kept
            // (the edited one among them), and Ctrl+End reads them all again.
            EXPECT_LT(grid.GetItemCount(), kRows);
            EXPECT_FALSE(grid.IsFullyLoaded());
            if (nRow < grid.GetItemCount())
                EXPECT_EQ(A(Cell(grid, nRow, 1)), A(pszName));
            EXPECT_TRUE(grid.ReadToLastRow());
            qltest::PumpPending();
        }
        EXPECT_EQ(grid.GetItemCount(), kRows);
        EXPECT_TRUE(grid.IsFullyLoaded());
        EXPECT_EQ(A(Cell(grid, nRow, 1)), A(pszName));
        EXPECT_EQ(A(Cell(grid, kRows - 1, 0)), std::to_string(kRows));
    }

    QlTestDb::TempSQLiteFile m_file;
    CString m_connect;
    CRDatabaseHelper m_helper;
    CHostFrame* m_pHost = nullptr;
    CString m_table;
};

TEST_P(GridStreamEdit, KeyedRowSavedMidReadIsCommittedAtOnce)
{
    CGridChildFrame* pFrame = OpenTable();
    ASSERT_NE(pFrame, nullptr);
    CGridChildView& view = pFrame->GetView();
    ASSERT_EQ(m_helper.GetDatabase().IsStreamingResults(), GetParam() == kSQLite);
    ASSERT_GT(view.GetItemCount(), 2);
    ASSERT_LT(view.GetItemCount(), kRows);
    ASSERT_FALSE(view.IsFullyLoaded());
    ASSERT_FALSE(m_helper.GetDatabase().IsInTransaction());

    CRPrimaryKey::CPrimaryKeyInfo key{};
    wcscpy(key.szColumnName, L"id");
    view.m_primaryKey.Add(key);
    ASSERT_TRUE(SaveCell(view, 2, 1, L"edited mid-read"));
    EXPECT_EQ(A(SeenElsewhere(L"SELECT name FROM " + m_table + L" WHERE id = 3")),
              "edited mid-read");
    EXPECT_FALSE(m_helper.GetDatabase().IsInTransaction());

    // The window reads its rows again (the refresh after a save); its idle ticks read on and take
    // the rows read.
    qltest::PumpPending();
    ExpectEveryRowWith(view, 2, L"edited mid-read");
}

TEST_P(GridStreamEdit, RowWithoutKeySavedMidReadReadsTheRestFirstAndKeepsEveryRow)
{
    CGridChildFrame* pFrame = OpenTable();
    ASSERT_NE(pFrame, nullptr);
    CGridChildView& view = pFrame->GetView();
    ASSERT_FALSE(view.IsFullyLoaded());
    // Without a key the row is found by all its values inside a transaction of the grid's own,
    // which the statement still being read would not survive.
    ASSERT_TRUE(SaveCell(view, 4, 2, L"no key"));
    EXPECT_EQ(A(SeenElsewhere(L"SELECT note FROM " + m_table + L" WHERE id = 5")), "no key");
    EXPECT_EQ(A(SeenElsewhere(L"SELECT COUNT(*) FROM " + m_table + L" WHERE note = 'x'")),
              std::to_string(kRows - 1));
    EXPECT_FALSE(m_helper.GetDatabase().IsInTransaction());
    ExpectEveryRowWith(view, 4, L"n0005");
    EXPECT_EQ(A(Cell(view, 4, 2)), "no key");
}

TEST_P(GridStreamEdit, UserTransactionBegunMidReadKeepsEveryRow)
{
    CGridChildFrame* pFrame = OpenTable();
    ASSERT_NE(pFrame, nullptr);
    CGridChildView& view = pFrame->GetView();
    ASSERT_FALSE(view.IsFullyLoaded());
    CRDatabase& db = m_helper.GetDatabase();
    // A script's transaction, rolled back: the window's rows are all there and unchanged.
    ASSERT_TRUE(db.BeginTrans());
    db.ExecuteSQL(L"UPDATE " + m_table + L" SET name = 'gone' WHERE id = 2000");
    db.EndTrans(false);
    ExpectEveryRowWith(view, 1999, L"n2000");
}

INSTANTIATE_TEST_SUITE_P(Databases, GridStreamEdit, testing::Values(kSQLite, kPostgres));

} // namespace
