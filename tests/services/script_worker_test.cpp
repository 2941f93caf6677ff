// Script statements on the kept worker: every statement of a long run executes once and in
// order, errors come back as database errors, and Cancel stops a running statement.
#include "services/script_worker.h"

#include "dbaccess/database.h"
#include "job_test_util.h"
#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::QueryText;
using qljobs::CLater;

TEST(ScriptWorker, ManyShortStatementsEachRunOnceInOrder)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    QlConnTest::OpenOrFail(db, file.Connect());
    db.ExecuteSQL(L"create table t (id int primary key, prev int)");
    CScriptStatementRunner runner(db, true, nullptr);
    ASSERT_TRUE(db.BeginTrans());
    // Each row names the row before it: a statement run twice or out of order breaks the key
    // or the chain.
    for (int i = 1; i <= 3000; ++i)
    {
        CString sql;
        sql.Format(L"insert into t values(%d, (select max(id) from t))", i);
        ASSERT_EQ(runner.Run(sql), CScriptStatementRunner::executed) << i;
    }
    db.EndTrans(true);
    EXPECT_STREQ(QueryText(db, L"select count(*) from t"), L"3000");
    EXPECT_STREQ(QueryText(db, L"select count(*) from t where prev <> id - 1"), L"0");
}

TEST(ScriptWorker, ErrorsComeBackAsDatabaseErrors)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    QlConnTest::OpenOrFail(db, file.Connect());
    for (bool bCancelable : {false, true})
    {
        CScriptStatementRunner runner(db, bCancelable, nullptr);
        auto e = QlConnTest::Catch([&] { runner.Run(L"insert into nowhere values(1)"); });
        ASSERT_TRUE(e) << bCancelable;
        EXPECT_NE(e->m_strError.Find(L"nowhere"), -1);
        // The runner goes on after a failure.
        EXPECT_EQ(runner.Run(L"select 1"), CScriptStatementRunner::executed);
    }
}

// A driver that faults when asked for a statement's further results (MariaDB's after some
// compound bodies): the statement ran, the fault is said as the driver's in the session note,
// and the run goes on with a new statement handle.
TEST(ScriptWorker, ADriverFaultAfterAStatementIsTheDriversNotTheStatementsError)
{
    CRDatabase db;
    QlConnTest::OpenOrFail(db, QlTestDb::FakeConnect(L"Fake"));
    for (bool bCancelable : {false, true})
    {
        CScriptStatementRunner runner(db, bCancelable, nullptr);
        EXPECT_EQ(runner.Run(L"UPDATE t SET v = 1 /* FAULT AFTER */"),
                  CScriptStatementRunner::executed);
        const CString note = db.TakeSessionNote();
        EXPECT_NE(note.Find(L"The ODBC driver failed inside SQLMoreResults"), -1)
            << QlConnTest::Narrow(note);
        EXPECT_NE(note.Find(L"The statement itself succeeded"), -1);
        EXPECT_EQ(runner.Run(L"UPDATE t SET v = 2"), CScriptStatementRunner::executed);
        EXPECT_TRUE(db.TakeSessionNote().IsEmpty());
    }
}

TEST(ScriptWorker, CancelStopsARunningStatement)
{
    CRDatabase db;
    QlConnTest::OpenOrFail(db, QlTestDb::PostgresConnect());
    CWaitDlg dlg(nullptr, CWaitDlg::flagCancel | CWaitDlg::flagCancelNoQuestion);
    const HWND hDlg = dlg.GetSafeHwnd();
    CScriptStatementRunner runner(db, true, &dlg);
    EXPECT_EQ(runner.Run(L"select 1"), CScriptStatementRunner::executed);
    const CString tag = L"qlcancel_" + CString(QlTestDb::UniqueTag().c_str());
    {
        // Cancel once the statement runs on the server.
        CLater press([hDlg, tag] {
            qljobs::WaitUntilPostgresRuns(QlTestDb::PostgresConnect(), tag);
            ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        });
        auto e = QlConnTest::Catch([&] {
            EXPECT_EQ(runner.Run(L"select pg_sleep(30), '" + tag + L"'"),
                      CScriptStatementRunner::cancelled);
        });
        EXPECT_FALSE(e);
    }
    EXPECT_STREQ(QueryText(db, L"select 7"), L"7");

    // Cancel pressed as the statement starts, before the server has it: the server drops a
    // cancel that comes before the statement, so one request alone would let it run to its end.
    db.ExecuteSQL(L"create temporary table qlw_done (x integer)");
    CWaitDlg atOnce(nullptr, CWaitDlg::flagCancel | CWaitDlg::flagCancelNoQuestion);
    CScriptStatementRunner second(db, true, &atOnce);
    EXPECT_EQ(second.Run(L"select 1"), CScriptStatementRunner::executed);
    ::PostMessageW(atOnce.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    auto e = QlConnTest::Catch([&] {
        EXPECT_EQ(second.Run(L"insert into qlw_done select 1 from pg_sleep(30)"),
                  CScriptStatementRunner::cancelled);
    });
    EXPECT_FALSE(e);
    EXPECT_STREQ(QueryText(db, L"select count(*) from qlw_done"), L"0")
        << "the statement ran to its end";
}

} // namespace
