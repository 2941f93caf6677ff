// A query's grid window whose PostgreSQL session the server dropped while the grid had shown its
// first rows only, around a reconnect: the result was read whole when it ran, so every row still
// shows without a word; the grid lets go of the statement before the connection is closed
// (nothing may fetch from a freed handle, or free a handle the next connection reuses), and the
// refresh after the reconnect brings every row back in the user's column layout.
#include "windows/grid_child_frame.h"

#include "app/app_settings.h"
#include "dbaccess/recordset.h"
#include "services/database_helper.h"
#include "tests/app/e2e_tagged_session.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

using namespace gwtest;

namespace {

TEST(GridSessionLost, ReconnectAfterAFailedReadFetchesNothingFromTheLostStatement)
{
    theSettings.m_bCancelExec = 0;
    const std::wstring tag = L"qlgridlost_" + QlTestDb::UniqueTag();
    const CTaggedPostgresSession session(tag);
    CRDatabase watcher;
    ASSERT_NO_FATAL_FAILURE(QlConnTest::OpenOrFail(watcher, QlTestDb::PostgresConnect()));
    const CString table = CString(L"ql_lost_") + QlTestDb::UniqueTag().c_str();
    // More rows than the grid shows at first.
    ASSERT_NO_FATAL_FAILURE(QlConnTest::ExecOrFail(
        watcher, L"CREATE TABLE " + table +
                     L" AS SELECT g AS id, 'row ' || g AS name FROM generate_series(1, 20000) g"));

    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    CRDatabaseHelper helper;
    CRDatabase& db = helper.GetDatabase();
    ASSERT_TRUE(db.Open(session.Connect().c_str(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    {
        // As Execute SQL opens a SELECT: a scrollable result the grid reads as it is shown.
        std::unique_ptr<Zelt::ICursor> cursor;
        auto rs = std::make_unique<CRRecordset>(&db);
        ASSERT_TRUE(rs->Open(L"SELECT * FROM " + table, RS_STATIC, RS_NUMERIC_AS_TEXT));
        cursor = std::move(rs);
        auto* pFrame = new CGridChildFrame(&helper, cursor, kGridProcedure, CStringPair(), nullptr);
        ASSERT_TRUE(pFrame->Create(nullptr, L"Lost", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                   CFrameWnd::rectDefault, pHost));
        CGridChildView& view = pFrame->GetView();
        ASSERT_GT(view.GetItemCount(), 0);
        ASSERT_EQ(view.GetColumnCount(), 2);
        view.ShowColumn(0, false); // the user's layout, kept by the refresh

        session.Terminate(watcher);
        // The server ends the backend a moment after it was told to.
        for (int i = 0; i < 600 && session.Count(watcher) != 0; ++i)
            ::Sleep(50);
        ASSERT_EQ(session.Count(watcher), 0);
        MessageBoxes().clear();
        view.ReadAllRows();
        EXPECT_TRUE(MessageBoxes().empty()) << A(LastMessageBox());
        EXPECT_EQ(view.GetItemCount(), 20000);

        // File > Reconnect: cursors closed, the connection opened again, the windows refreshed.
        // Whatever paints in between reads nothing of the old statement.
        MessageBoxes().clear();
        pFrame->CloseCursor();
        EXPECT_EQ(view.GetCursor(), nullptr);
        ASSERT_TRUE(db.Reconnect(CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        view.ReadAllRows();
        view.UpdateWindow();
        pFrame->Refresh(false);
        view.ReadAllRows();
        EXPECT_EQ(view.GetItemCount(), 20000);
        EXPECT_FALSE(view.IsColumnShown(0));
        EXPECT_TRUE(view.IsColumnShown(1));
        CGridItem item;
        view.GetCellText(19999, 1, item);
        EXPECT_EQ(A(item.m_strText), "row 20000");
        EXPECT_TRUE(MessageBoxes().empty()) << A(LastMessageBox());
    }
    DestroyHost(pHost);
    db.Close();
    QlConnTest::ExecOrFail(watcher, L"DROP TABLE " + table);
}

} // namespace
