// SQLite with the user's string silent about stepping: which tables may stream (every column has
// a declared type, as the catalog tells), and statements of scripts that begin like a query but
// change data still run, directly and on the worker.
#include "dbaccess/recordset.h"
#include "services/database_helper.h"
#include "services/script_worker.h"

#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::QueryText;

TEST(SQLiteStepping, TablesStreamOnlyWhenEveryColumnIsDeclared)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.Connect(file.Connect(), nullptr, 0, 0, 0));
    CRDatabase& db = helper.GetDatabase();
    ASSERT_TRUE(db.StreamsDeclaredColumnsOnly());
    db.ExecuteSQL(L"CREATE TABLE typed (id INTEGER PRIMARY KEY, v VARCHAR(10), d DATE, b BLOB)");
    db.ExecuteSQL(L"CREATE TABLE loose (id INTEGER, v)");
    db.ExecuteSQL(L"CREATE TABLE bare (a, b)");
    EXPECT_EQ(UINT(RS_DECLARED_COLUMNS), helper.DeclaredColumnsOption(CStringPair(L"", L"typed")));
    EXPECT_EQ(0u, helper.DeclaredColumnsOption(CStringPair(L"", L"loose")));
    EXPECT_EQ(0u, helper.DeclaredColumnsOption(CStringPair(L"", L"bare")));
    EXPECT_EQ(0u, helper.DeclaredColumnsOption(CStringPair(L"", L"missing")));
}

TEST(SQLiteStepping, ScriptChangesThatBeginLikeAQueryRun)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    QlConnTest::OpenOrFail(db, file.Connect());
    db.ExecuteSQL(L"CREATE TABLE t (x INTEGER)");
    for (bool cancelable : {false, true})
    {
        CScriptStatementRunner runner(db, cancelable, nullptr);
        EXPECT_EQ(runner.Run(L"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                             L"WHERE x < 100) INSERT INTO t SELECT x FROM c"),
                  CScriptStatementRunner::executed);
        EXPECT_EQ(runner.Run(L"WITH d AS (SELECT 50 AS m) DELETE FROM t WHERE x > (SELECT m "
                             L"FROM d)"),
                  CScriptStatementRunner::executed);
        EXPECT_STREQ(QueryText(db, L"SELECT count(*) FROM t"), L"50") << cancelable;
        db.ExecuteSQL(L"DELETE FROM t");
    }
}

} // namespace
