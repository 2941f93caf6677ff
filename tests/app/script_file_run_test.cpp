// Execute SQL Script's run of a file: the output it writes, the outcome it reports and what
// reaches the database, with the main window's side answered by a scripted host.
#include "app/script_file_run.h"

#include "dbaccess/database.h"
#include "services/script_worker.h"
#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using QlConnTest::QueryText;

class CRecordingHost : public CScriptFileHost
{
public:
    explicit CRecordingHost(CRDatabase& db) : m_db(db) {}
    std::vector<CString> m_messages;
    CString m_output;
    int m_nCleared = 0;
    int m_nYesNoAnswer = IDYES;
    int m_nOkCancelAnswer = IDOK;
    int m_nCancelAt = 0;
    bool m_bProgressEnded = false;
    UINT m_nBeep = 99;

    int Message(LPCWSTR pszText, UINT nType) override
    {
        m_messages.push_back(pszText);
        if ((nType & MB_TYPEMASK) == MB_OKCANCEL)
            return m_nOkCancelAnswer;
        return (nType & MB_YESNO) ? m_nYesNoAnswer : IDOK;
    }
    void ClearOutput() override
    {
        m_output.Empty();
        ++m_nCleared;
    }
    void AppendOutput(LPCWSTR pszText) override { m_output += pszText; }
    bool Progress(int nCount) override { return m_nCancelAt != 0 && nCount >= m_nCancelAt; }
    void EndProgress() override { m_bProgressEnded = true; }
    int RunStatement(LPCWSTR pszSQL) override
    {
        m_db.ExecuteSQL(pszSQL);
        return 0;
    }
    void Beep(UINT nType) override { m_nBeep = nType; }

private:
    CRDatabase& m_db;
};

class ScriptFileRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QlConnTest::OpenOrFail(m_db, m_file.Connect());
        m_db.ExecuteSQL(L"create table t (id int)");
        wchar_t folder[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, folder);
        m_strScript.Format(L"%lsql_script_run_%lu.sql", folder, ::GetCurrentProcessId());
    }
    void TearDown() override { ::DeleteFileW(m_strScript); }
    void WriteScript(const std::string& bytes)
    {
        CFile file(m_strScript, CFile::modeCreate | CFile::modeWrite);
        file.Write(bytes.data(), (UINT)bytes.size());
    }
    CScriptFileRunResult Run(CRecordingHost& host, LPCWSTR sep, bool bTransaction,
                             bool bStopAfterError)
    {
        CScriptFileRunOptions options;
        options.strPath = m_strScript;
        options.strSeparator = sep;
        options.bTransaction = bTransaction;
        options.bStopAfterError = bStopAfterError;
        return RunScriptFile(m_db, options, host);
    }
    CString Count() { return QueryText(m_db, L"select count(*) from t"); }

    QlTestDb::TempSQLiteFile m_file;
    CRDatabase m_db;
    CString m_strScript;
};

TEST_F(ScriptFileRun, FailuresAreFramedInTheOutputAndCounted)
{
    WriteScript("insert into t values(1);\r\nbad one;\r\ninsert into t values(2);\r\n"
                "  insert into nowhere values(3)  ;\r\n");
    CRecordingHost host(m_db);
    const CScriptFileRunResult r = Run(host, L";", false, false);
    EXPECT_EQ(r.nStatements, 4);
    EXPECT_EQ(r.nErrors, 2);
    EXPECT_TRUE(r.bCompleted);
    EXPECT_TRUE(host.m_bProgressEnded);
    EXPECT_EQ(host.m_nCleared, 1);
    EXPECT_EQ(host.m_output.Find(L"Executing " + m_strScript + L"...\n\n"), 0);
    const CString dashes = L"-------------------------------------------\n";
    EXPECT_NE(host.m_output.Find(dashes + L"bad one\n" + dashes + L"ODBC error code: "), -1);
    EXPECT_NE(host.m_output.Find(dashes + L"insert into nowhere values(3)\n" + dashes), -1);
    const CString tail = L"\nExecuted with 2 errors!";
    EXPECT_STREQ(host.m_output.Right(tail.GetLength()), tail);
    EXPECT_EQ(host.m_nBeep, (UINT)MB_ICONHAND);
    EXPECT_TRUE(host.m_messages.empty());
    EXPECT_STREQ(Count(), L"2");

    WriteScript("insert into t values(1);");
    CRecordingHost ok(m_db);
    Run(ok, L";", false, false);
    EXPECT_STREQ(ok.m_output.Right(35), L"\nExecuted successfully (1 queries)!");
    EXPECT_EQ(ok.m_nBeep, (UINT)MB_OK);
}

TEST_F(ScriptFileRun, WrongSeparatorOrCommentsOnly)
{
    WriteScript("-- nothing to run\r\n  \r\n");
    CRecordingHost host(m_db);
    const CScriptFileRunResult r = Run(host, L"GO", true, false);
    EXPECT_EQ(r.nStatements, 0);
    ASSERT_EQ(host.m_messages.size(), 1u);
    EXPECT_STREQ(host.m_messages[0],
                 L"No queries found.\nMay be incorrect separator was selected.");
    EXPECT_FALSE(m_db.IsInTransaction()) << "no lasting transaction";

    // A statement of comments only stops the run as incorrect syntax.
    WriteScript("insert into t values(1);/* c */;insert into t values(2);");
    CRecordingHost comments(m_db);
    const CScriptFileRunResult c = Run(comments, L";", false, false);
    EXPECT_EQ(c.nErrors, 1);
    ASSERT_FALSE(comments.m_messages.empty());
    EXPECT_STREQ(comments.m_messages[0], L"Quenlark: Incorect syntax");
    EXPECT_STREQ(Count(), L"1");
}

// A script that turns backslash escapes off reads its later strings as the server does: a
// string ending in a backslash ends there, and no later statement is swallowed by it.
TEST_F(ScriptFileRun, MariaDBModeChangedByTheScriptSplitsTheRestAsTheServerReadsIt)
{
    CRDatabase db;
    QlConnTest::OpenOrFail(db, QlTestDb::MariaDBConnect());
    const CString t = L"qs_t_" + CString(QlTestDb::UniqueTag().c_str());
    db.ExecuteSQL(L"create table " + t + L" (id int, s varchar(20))");
    CStringA script =
        "set session sql_mode = concat(@@session.sql_mode, ',NO_BACKSLASH_ESCAPES');\n"
        "insert into T values (1, 'C:\\');\n"
        "insert into T values (2, 'x');\n"
        "set session sql_mode = default;\n"
        "insert into T values (3, 'it\\'s; \\\\');\n";
    script.Replace(" T ", " " + CStringA(t) + " ");
    WriteScript(script.GetString());
    CRecordingHost host(db);
    CScriptFileRunOptions options;
    options.strPath = m_strScript;
    options.strSeparator = L";";
    const CScriptFileRunResult r = RunScriptFile(db, options, host);
    EXPECT_EQ(r.nStatements, 5);
    EXPECT_EQ(r.nErrors, 0) << QlConnTest::Narrow(host.m_output);
    EXPECT_STREQ(QueryText(db, L"select group_concat(s order by id separator '|') from " + t),
                 L"C:\\|x|it's; \\");
    db.ExecuteSQL(L"drop table " + t);
}

// The tutorials' "DELIMITER //" file runs whole, as mysql runs it; a client command the run
// passes over (\q, which ends it) is an error of the run, so the run does not call itself
// successful. The statements run as Execute SQL Script runs them, through the script runner.
TEST_F(ScriptFileRun, MariaDBDelimiterSlashesRunWholeAndAPassedOverCommandIsNoSuccess)
{
    CRDatabase db;
    QlConnTest::OpenOrFail(db, QlTestDb::MariaDBConnect());
    const CString tag = CString(QlTestDb::UniqueTag().c_str());
    CStringA script = "CREATE TABLE TT (id INT);\n"
                      "DELIMITER //\n"
                      "CREATE PROCEDURE PP(IN n INT)\n"
                      "BEGIN\n"
                      "  INSERT INTO TT VALUES (n);\n"
                      "END //\n"
                      "DELIMITER ;\n"
                      "CALL PP(1);\n";
    script.Replace("TT", "qs_t_" + CStringA(tag));
    script.Replace("PP", "qs_p_" + CStringA(tag));
    WriteScript(script.GetString());
    class CRunnerHost : public CRecordingHost
    {
    public:
        explicit CRunnerHost(CRDatabase& db) : CRecordingHost(db), m_runner(db, false, nullptr) {}
        int RunStatement(LPCWSTR pszSQL) override { return (int)m_runner.Run(pszSQL); }

    private:
        CScriptStatementRunner m_runner;
    };
    CRunnerHost host(db);
    CScriptFileRunOptions options;
    options.strPath = m_strScript;
    options.strSeparator = L";";
    CScriptFileRunResult r = RunScriptFile(db, options, host);
    EXPECT_EQ(r.nStatements, 3);
    EXPECT_EQ(r.nErrors, 0) << QlConnTest::Narrow(host.m_output);
    EXPECT_STREQ(host.m_output.Right(35), L"\nExecuted successfully (3 queries)!");
    const CString t = L"qs_t_" + tag;
    EXPECT_STREQ(QueryText(db, L"select group_concat(id) from " + t), L"1");

    WriteScript(("CALL qs_p_" + CStringA(tag) + "(2);\n\\q\nCALL qs_p_" + CStringA(tag) + "(3);\n")
                    .GetString());
    CRunnerHost quit(db);
    r = RunScriptFile(db, options, quit);
    EXPECT_EQ(r.nStatements, 2);
    EXPECT_EQ(r.nErrors, 1);
    const CString dashes = L"-------------------------------------------\n";
    EXPECT_NE(quit.m_output.Find(dashes + L"\\q\n" + dashes), -1)
        << QlConnTest::Narrow(quit.m_output);
    EXPECT_STREQ(quit.m_output.Right(24), L"\nExecuted with 1 errors!");
    EXPECT_STREQ(QueryText(db, L"select group_concat(id order by id) from " + t), L"1,2");

    // As Adminer and HeidiSQL begin and end their files, "Stop after error" on: the SET NAMES
    // the driver refuses is a note, and a trigger whose body holds several statements no error.
    WriteScript(("SET NAMES utf8mb4;\n"
                 "DELIMITER //\n"
                 "CREATE TRIGGER qs_tr_" +
                 CStringA(tag) + " AFTER INSERT ON " + CStringA(t) +
                 " FOR EACH ROW BEGIN\n"
                 "\tSET @qs_a = NEW.id;\n"
                 "\tSET @qs_b = NEW.id * 2;\n"
                 "END//\n"
                 "DELIMITER ;\n"
                 "INSERT INTO " +
                 CStringA(t) + " VALUES (7);\n")
                    .GetString());
    CRunnerHost tools(db);
    options.bStopAfterError = true;
    r = RunScriptFile(db, options, tools);
    EXPECT_EQ(r.nErrors, 0) << QlConnTest::Narrow(tools.m_output);
    EXPECT_TRUE(r.bCompleted);
    EXPECT_NE(tools.m_output.Find(L"Note: \"SET NAMES utf8mb4\" was not run"), -1)
        << QlConnTest::Narrow(tools.m_output);
    EXPECT_STREQ(tools.m_output.Right(35), L"\nExecuted successfully (3 queries)!");
    EXPECT_STREQ(QueryText(db, L"select concat(@qs_a, ',', @qs_b)"), L"7,14");
    db.ExecuteSQL(L"drop procedure qs_p_" + tag);
    db.ExecuteSQL(L"drop table " + t);
}

TEST_F(ScriptFileRun, StopAfterErrorRollsTheTransactionBack)
{
    WriteScript(
        "insert into t values(1);\ninsert into nowhere values(2);\ninsert into t values(3);");
    CRecordingHost host(m_db);
    const CScriptFileRunResult r = Run(host, L";", true, true);
    EXPECT_FALSE(r.bCompleted);
    EXPECT_TRUE(r.bRolledBack);
    ASSERT_EQ(host.m_messages.size(), 2u);
    EXPECT_EQ(host.m_messages[0].Find(L"ODBC error code: "), 0);
    EXPECT_STREQ(host.m_messages[1], L"Transaction was rollbacked");
    EXPECT_NE(host.m_output.Find(L"insert into nowhere values(2)"), -1);
    EXPECT_STREQ(Count(), L"0");
    EXPECT_FALSE(m_db.IsInTransaction());
}

TEST_F(ScriptFileRun, CancelAndCommitQuestion)
{
    WriteScript("insert into t values(1);insert into t values(2);insert into t values(3);");
    CRecordingHost cancel(m_db);
    cancel.m_nCancelAt = 2;
    const CScriptFileRunResult r = Run(cancel, L";", true, false);
    EXPECT_TRUE(r.bCancelled);
    EXPECT_STREQ(cancel.m_output.Right(12), L"Cancelled.\r\n") << "the output ends with it";
    ASSERT_EQ(cancel.m_messages.size(), 1u);
    EXPECT_STREQ(cancel.m_messages[0], L"Transaction was rollbacked");
    EXPECT_STREQ(Count(), L"0");

    CRecordingHost no(m_db);
    no.m_nYesNoAnswer = IDNO;
    Run(no, L";", true, false);
    EXPECT_STREQ(no.m_messages.back(), L"Commit?");
    EXPECT_STREQ(Count(), L"0");

    CRecordingHost yes(m_db);
    const CScriptFileRunResult y = Run(yes, L";", true, false);
    EXPECT_TRUE(y.bCommitted);
    EXPECT_STREQ(Count(), L"3");
}

// The script window refuses a file with NUL characters and marks bytes that are no UTF-8; a run
// of the file says the same before its first statement.
TEST_F(ScriptFileRun, NulsRefuseTheFileAndBadUtf8BytesAreAskedAbout)
{
    const std::string withNul =
        std::string("insert into t values(1);\r\ninsert into t values(2);") + '\0' +
        "\r\ninsert into t values(3);\r\n";
    // An odd length is never UTF-16: no word of it then.
    ASSERT_EQ(withNul.size() % 2, 1u);
    WriteScript(withNul);
    CRecordingHost odd(m_db);
    Run(odd, L";", false, false);
    ASSERT_EQ(odd.m_messages.size(), 1u);
    EXPECT_STREQ(odd.m_messages[0].Right(21), L" The file is not run.");

    WriteScript(withNul + " ");
    CRecordingHost nul(m_db);
    CScriptFileRunResult r = Run(nul, L";", true, false);
    EXPECT_EQ(r.nStatements, 0);
    ASSERT_EQ(nul.m_messages.size(), 1u);
    EXPECT_STREQ(nul.m_messages[0],
                 m_strScript + L"\nThe file holds 1 NUL character (line 2). A script cannot "
                               L"hold them: its text would end at the first. The file is not "
                               L"run.\nA Unicode (UTF-16) file without a byte-order mark is "
                               L"read when the encoding \"Unicode\" is chosen in the file "
                               L"dialog.");
    EXPECT_EQ(nul.m_nCleared, 0) << "the output is left as it was";
    EXPECT_FALSE(m_db.IsInTransaction());
    EXPECT_STREQ(Count(), L"0");

    // A stray byte in a UTF-8 script: asked first; Cancel runs nothing, OK runs the text
    // with the byte marked and the UTF-8 characters whole.
    m_db.ExecuteSQL(L"create table s (v varchar(40))");
    WriteScript("-- caf\xE9\ninsert into s values('Z\xC3\xBCrich Gda\xC5\x84sk');\n"
                "insert into s values('\xFF\xD0\x96');\n");
    CRecordingHost cancel(m_db);
    cancel.m_nOkCancelAnswer = IDCANCEL;
    r = Run(cancel, L";", false, false);
    EXPECT_EQ(r.nStatements, 0);
    ASSERT_EQ(cancel.m_messages.size(), 1u);
    EXPECT_STREQ(cancel.m_messages[0],
                 m_strScript + L"\nThe file is read as UTF-8, but 2 bytes (the first on line 1) "
                               L"are not valid UTF-8: they reach the server as the character "
                               L"\xFFFD.\nRun the script?");
    EXPECT_STREQ(QueryText(m_db, L"select count(*) from s"), L"0");

    CRecordingHost ok(m_db);
    r = Run(ok, L";", false, false);
    EXPECT_EQ(r.nStatements, 2);
    EXPECT_EQ(r.nErrors, 0);
    EXPECT_STREQ(QueryText(m_db, L"select v from s order by length(v) desc limit 1"),
                 L"Z\x00FCrich Gda\x0144sk");
    EXPECT_STREQ(QueryText(m_db, L"select v from s order by length(v) limit 1"), L"\xFFFD\x0416");
}

TEST_F(ScriptFileRun, AMissingFileIsReportedAndNothingRuns)
{
    CRecordingHost host(m_db);
    CScriptFileRunOptions options;
    options.strPath = L"Z:\\no\\such\\script.sql";
    options.strSeparator = L";";
    options.bTransaction = true;
    const CScriptFileRunResult r = RunScriptFile(m_db, options, host);
    EXPECT_EQ(r.nStatements, 0);
    ASSERT_EQ(host.m_messages.size(), 1u);
    EXPECT_FALSE(m_db.IsInTransaction());
}

} // namespace
