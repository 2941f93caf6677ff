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

} // namespace
