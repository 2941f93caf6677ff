// Scripts split by the reader and run statement by statement on the real servers: what the
// server ends up with shows whether the cuts were right.
#include "services/script_reader.h"

#include "dbaccess/error_report.h"
#include "services/script_worker.h"
#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using QlConnTest::OpenOrFail;
using QlConnTest::QueryText;

CString Suffix()
{
    return CString(QlTestDb::UniqueTag().c_str());
}

// Runs every statement the reader yields for this connection; gives the number run, -1 when
// one failed.
int RunScript(CRDatabase& db, const CString& text, LPCWSTR separator)
{
    CSQLScriptStr script(text, separator);
    script.SetDialect(GetScriptDialect(db));
    CString statement;
    int count = 0;
    while (script.GetNextStatement(statement))
    {
        CString stripped;
        if (script.StripStatementComments(statement, stripped) && stripped.Trim().IsEmpty())
            continue;
        auto e = QlConnTest::Catch([&] { db.ExecuteSQL(statement); });
        if (e)
        {
            ADD_FAILURE() << "statement " << count + 1
                          << " failed: " << QlConnTest::Narrow(e->m_strError) << "\n"
                          << QlConnTest::Narrow(statement);
            return -1;
        }
        ++count;
    }
    return count;
}

TEST(ScriptOnServers, PostgreSQLFunctionBodyRunsWhole)
{
    CRDatabase db;
    OpenOrFail(db, QlTestDb::PostgresConnect());
    const CString f = L"qs_f_" + Suffix();
    const CString script = L"create function " + f +
                           L"() returns int as $$\r\nbegin\r\n  perform 1;\r\n"
                           L"  return 42;\r\nend;\r\n$$ language plpgsql;\r\n" +
                           L"/* the second; /* its body */ quotes; */\r\n" +
                           L"create or replace function " + f +
                           L"_2() returns text as $body$ select 'a;b'::text "
                           L"$body$ language sql;\r\n";
    EXPECT_EQ(RunScript(db, script, L";"), 2);
    EXPECT_STREQ(QueryText(db, L"select " + f + L"()"), L"42");
    EXPECT_STREQ(QueryText(db, L"select " + f + L"_2()"), L"a;b");
    db.ExecuteSQL(L"drop function " + f + L"()");
    db.ExecuteSQL(L"drop function " + f + L"_2()");
}

TEST(ScriptOnServers, PostgreSQLSeparatorsOnTheirOwnLines)
{
    CRDatabase db;
    OpenOrFail(db, QlTestDb::PostgresConnect());
    const CString t = L"qs_t_" + Suffix();
    db.ExecuteSQL(L"create table " + t + L" (id int, go int)");
    db.ExecuteSQL(L"insert into " + t + L" values (5, 1), (10, 2)");

    // "/" after code divides; the statement deletes id 5 only.
    EXPECT_EQ(RunScript(db, L"delete from " + t + L" where id = 10 /\r\n2\r\n/\r\n", L"/"), 1);
    EXPECT_STREQ(QueryText(db, L"select count(*) from " + t), L"1");
    // A column named go; blank lines of CR LF between statements without a separator.
    EXPECT_EQ(
        RunScript(db, L"update " + t + L" set go = 7\r\nGO\r\nselect go from " + t + L"\r\ngo\r\n",
                  L"GO"),
        2);
    EXPECT_EQ(RunScript(db,
                        L"insert into " + t + L" values (1, 1)\r\n\r\n\r\ninsert into " + t +
                            L" values (2, 2)\r\n",
                        L""),
              2);
    EXPECT_STREQ(QueryText(db, L"select sum(go) from " + t), L"10");
    db.ExecuteSQL(L"drop table " + t);
}

TEST(ScriptOnServers, MariaDBDumpKeepsEscapedQuotes)
{
    CRDatabase db;
    OpenOrFail(db, QlTestDb::MariaDBConnect());
    ASSERT_TRUE(GetScriptDialect(db) & SCRIPT_DIALECT_BACKSLASH_QUOTES);
    const CString t = L"qs_t_" + Suffix();
    const CString dump = L"/*!40101 SET @OLD_SQL_MODE=@@SQL_MODE */;\n"
                         L"/*M!100616 SET @x=1 */;\n"
                         L"CREATE TABLE `" +
                         t + L"` (`id` int, `name` varchar(80));\n" + L"INSERT INTO `" + t +
                         L"` VALUES (1,'a'),(2,'O\\'Brien; drop table " + t + L"; --');\n" +
                         L"/*!40101 SET SQL_MODE=@OLD_SQL_MODE */;\n";
    EXPECT_EQ(RunScript(db, dump, L";"), 5);
    EXPECT_STREQ(QueryText(db, L"select name from " + t + L" where id = 2"),
                 L"O'Brien; drop table " + t + L"; --");
    EXPECT_STREQ(QueryText(db, L"select count(*) from " + t), L"2");
    db.ExecuteSQL(L"drop table " + t);
}

// Comments starting with # hold quotes and separators of no statement; with NO_BACKSLASH_ESCAPES
// a dump's backticks and versioned comments still read as the server reads them.
TEST(ScriptOnServers, MariaDBHashCommentsAndScriptsWithoutBackslashEscapes)
{
    CRDatabase db;
    OpenOrFail(db, QlTestDb::MariaDBConnect());
    const CString t = L"qs_t_" + Suffix();
    db.ExecuteSQL(L"create table `" + t + L"` (id int, `a;b` varchar(20))");
    EXPECT_EQ(RunScript(db,
                        L"# don't run this twice\ninsert into `" + t +
                            L"` values (1, 'x');\n# step 2; it's the last\ninsert into `" + t +
                            L"` values (2, 'y');\n",
                        L";"),
              2);
    db.ExecuteSQL(L"set session sql_mode = concat(@@session.sql_mode, ',NO_BACKSLASH_ESCAPES')");
    ASSERT_FALSE(GetScriptDialect(db) & SCRIPT_DIALECT_BACKSLASH_QUOTES);
    EXPECT_EQ(RunScript(db,
                        L"/*!40101 SET @qs_x=1 */;\ninsert into `" + t +
                            L"` (id, `a;b`) values "
                            L"(3, 'C:\\');\ninsert into `" +
                            t + L"` (id, `a;b`) values (4, 'z');\n",
                        L";"),
              3);
    EXPECT_STREQ(QueryText(db, L"select group_concat(`a;b` order by id) from `" + t + L"`"),
                 L"x,y,C:\\,z");
    EXPECT_STREQ(QueryText(db, L"select @qs_x"), L"1");
    db.ExecuteSQL(L"drop table `" + t + L"`");
}

// A procedure that returns rows and then fails reports the failure after its first result: the
// statement is a failure, and the rows of a procedure that succeeds are still passed over.
TEST(ScriptOnServers, MariaDBProcedureFailingAfterItsRowsIsAnError)
{
    CRDatabase db;
    OpenOrFail(db, QlTestDb::MariaDBConnect());
    const CString p = L"qs_p_" + Suffix();
    db.ExecuteSQL(L"create procedure " + p +
                  L"_bad() begin select 1; signal sqlstate '45000' set message_text = "
                  L"'late failure'; end");
    db.ExecuteSQL(L"create procedure " + p + L"_good() begin select 1; select 2; end");
    CScriptStatementRunner runner(db, false, nullptr);
    auto e = QlConnTest::Catch([&] { runner.Run(L"call " + p + L"_bad()"); });
    ASSERT_TRUE(e != nullptr);
    EXPECT_NE(e->m_strError.Find(L"late failure"), -1) << QlConnTest::Narrow(e->m_strError);
    EXPECT_EQ(runner.Run(L"call " + p + L"_good()"), CScriptStatementRunner::executed);
    EXPECT_STREQ(QueryText(db, L"select 3"), L"3");
    db.ExecuteSQL(L"drop procedure " + p + L"_bad");
    db.ExecuteSQL(L"drop procedure " + p + L"_good");
}

// SQL Server scripts end their batches with GO on a line of its own; what reaches the driver is
// each batch without it (the fake driver logs every statement it is given).
TEST(ScriptOnServers, SqlServerBatchesReachTheDriverWithoutGo)
{
    QlTestDb::FakeLog log;
    CRDatabase db;
    OpenOrFail(db, log.Connect(L"Microsoft SQL Server"));
    log.Clear();
    CSQLScriptStr script(L"create procedure p as\r\nbegin\r\n  select go from t\r\nend\r\nGO\r\n"
                         L"exec p\r\n  go  \r\n",
                         L"GO");
    script.SetDialect(GetScriptDialect(db));
    CScriptStatementRunner runner(db, true, nullptr);
    CString statement;
    int count = 0;
    while (script.GetNextStatement(statement))
    {
        EXPECT_EQ(runner.Run(statement), CScriptStatementRunner::executed);
        ++count;
    }
    EXPECT_EQ(count, 2);
    const CString sent = log.Read();
    EXPECT_NE(sent.Find(L"create procedure p as\r\nbegin\r\n  select go from t\r\nend"), -1)
        << QlConnTest::Narrow(sent);
    EXPECT_GT(sent.Find(L"exec p"), sent.Find(L"end"));
    EXPECT_EQ(sent.Find(L"GO"), -1);
}

} // namespace
