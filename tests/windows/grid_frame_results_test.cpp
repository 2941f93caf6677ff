// Result windows of statements run as they were written (forward-only cursors): every cell of
// the result reads back, on each server.
#include "windows/grid_child_frame.h"

#include "app/app_settings.h"
#include "dbaccess/recordset.h"
#include "services/database_helper.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

using namespace gwtest;

namespace {

CString Cell(CGridChildFrame* pFrame, int nRow, int nColumn)
{
    CGridItem item;
    pFrame->GetView().GetCellText(nRow, nColumn, item);
    return item.m_strText;
}

TEST(GridFrameForwardOnly, ResultsOfAnyStatementReadBack)
{
    theSettings.m_bCancelExec = 0;
    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    QlTestDb::TempSQLiteFile file;
    const std::pair<CString, LPCWSTR> cases[] = {
        {QlTestDb::PostgresConnect(), L"VALUES (1, 'a'), (2, 'b')"},
        {QlTestDb::MariaDBConnect(), L"SELECT 1, 'a' UNION ALL SELECT 2, 'b'"},
        {file.Connect(), L"SELECT 1, 'a' UNION ALL SELECT 2, 'b'"},
    };
    for (const auto& [connect, sql] : cases)
    {
        CRDatabaseHelper helper;
        ASSERT_TRUE(helper.GetDatabase().Open(connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        std::unique_ptr<Zelt::ICursor> cursor;
        auto rs = std::make_unique<CRRecordset>(&helper.GetDatabase());
        ASSERT_TRUE(rs->Open(sql, RS_FORWARD_ONLY, RS_NUMERIC_AS_TEXT));
        cursor = std::move(rs);
        auto* pFrame = new CGridChildFrame(&helper, cursor, kGridProcedure, CStringPair(), nullptr);
        ASSERT_TRUE(pFrame->Create(nullptr, L"Result", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                   CFrameWnd::rectDefault, pHost));
        qltest::PumpPending();
        EXPECT_EQ(pFrame->GetView().GetItemCount(), 2) << A(connect);
        EXPECT_EQ(A(Cell(pFrame, 0, 0)), "1") << A(connect);
        EXPECT_EQ(A(Cell(pFrame, 0, 1)), "a");
        EXPECT_EQ(A(Cell(pFrame, 1, 0)), "2");
        EXPECT_EQ(A(Cell(pFrame, 1, 1)), "b");
        pFrame->DestroyWindow();
    }
    DestroyHost(pHost);
}

// Columns shown under other names (swapped aliases) or computed are not written, matched or
// deleted by those names: the edit is refused and the table keeps its rows. The plain result
// saves.
TEST(GridFrameResultEdit, RenamedColumnsAreNotEditedUnderTheirLabels)
{
    theSettings.m_bCancelExec = 0;
    theSettings.m_bEditable = 1;
    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    for (const CString& connect : {QlTestDb::MariaDBConnect(), QlTestDb::PostgresConnect()})
    {
        CRDatabaseHelper helper;
        ASSERT_TRUE(helper.GetDatabase().Open(connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        CRDatabase& db = helper.GetDatabase();
        CString t;
        t.Format(L"ql_alias_%ls", QlTestDb::UniqueTag().c_str());
        db.ExecuteSQL(L"CREATE TABLE " + t + L" (a INTEGER PRIMARY KEY, b INTEGER)");
        db.ExecuteSQL(L"INSERT INTO " + t + L" VALUES (1, 2)");
        db.ExecuteSQL(L"INSERT INTO " + t + L" VALUES (2, 1)");
        auto saveFirstRow = [&](LPCWSTR select) {
            std::unique_ptr<Zelt::ICursor> cursor;
            auto rs = std::make_unique<CRRecordset>(&db);
            if (!rs->Open(CString(select) + t + L" ORDER BY a", helper.GetCursorType(),
                          RS_NUMERIC_AS_TEXT))
                return false;
            cursor = std::move(rs);
            auto* pFrame =
                new CGridChildFrame(&helper, cursor, kGridProcedure, CStringPair(), nullptr);
            if (!pFrame->Create(nullptr, L"Result", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                CFrameWnd::rectDefault, pHost))
                return false;
            qltest::PumpPending();
            CRGrid& grid = pFrame->GetView();
            grid.SelectRow(0);
            grid.OnBeginEdit(0);
            grid.SetCellValue(0, 1, L"9", kGridValue);
            const bool bSaved = grid.CommitRow();
            grid.CancelEdit();
            pFrame->DestroyWindow();
            return bSaved;
        };
        auto rows = [&] {
            return A(QlConnTest::QueryText(db, L"SELECT b FROM " + t + L" WHERE a = 1")) + "," +
                   A(QlConnTest::QueryText(db, L"SELECT b FROM " + t + L" WHERE a = 2"));
        };
        MessageBoxes().clear();
        EXPECT_FALSE(saveFirstRow(L"SELECT b AS a, a AS b FROM ")) << A(connect);
        ASSERT_FALSE(MessageBoxes().empty());
        EXPECT_NE(LastMessageBox().Find(L"under another name"), -1) << A(LastMessageBox());
        EXPECT_EQ(rows(), "2,1") << A(connect);
        // A value put in a computed column by any way but its editor (a pasted row) is not
        // written to the table column of that name either.
        MessageBoxes().clear();
        EXPECT_FALSE(saveFirstRow(L"SELECT a, b * 2 AS b FROM ")) << A(connect);
        ASSERT_FALSE(MessageBoxes().empty());
        EXPECT_NE(LastMessageBox().Find(L"computed"), -1) << A(LastMessageBox());
        EXPECT_EQ(rows(), "2,1") << A(connect);
        if (connect == QlTestDb::MariaDBConnect())
        {
            EXPECT_TRUE(saveFirstRow(L"SELECT a, b FROM "));
            EXPECT_EQ(rows(), "9,1");
        }
        db.ExecuteSQL(L"DROP TABLE " + t);
    }
    DestroyHost(pHost);
}

} // namespace
