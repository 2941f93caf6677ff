// The script window's run of its whole text, with the dialogs answered by a scripted host and
// the statements run on SQLite (and PostgreSQL where its transaction rules matter).
#include "windows/script_window_run.h"

#include "dbaccess/database.h"
#include "tests/dbaccess/conn_test_util.h"
#include "windows/script_dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

using QlConnTest::QueryText;

// Answers the run's questions from queues and records what it was shown.
class CScriptedHost : public CScriptWindowHost
{
public:
    CScriptedHost(CRDatabase& db, LPCWSTR text) : m_text(text), m_db(db) {}

    struct Answer
    {
        int button;
        CString edited; // empty: leave the statement as it is
    };
    std::deque<Answer> m_errorAnswers;
    std::vector<CString> m_errorsShown;
    std::vector<CString> m_statementsShown;
    std::vector<CString> m_messages;
    int m_nYesNoAnswer = IDYES;
    int m_nCancelAt = 0; // Progress reports Cancel at this count (0: never)
    bool m_bRefuseReplace = false;
    CString m_text;

    int Message(LPCWSTR pszText, UINT nType) override
    {
        m_messages.push_back(pszText);
        return (nType & MB_YESNO) ? m_nYesNoAnswer : IDOK;
    }
    int ShowError(CString& strStatement, LPCWSTR pszError) override
    {
        m_statementsShown.push_back(strStatement);
        m_errorsShown.push_back(pszError);
        if (m_errorAnswers.empty())
        {
            ADD_FAILURE() << "unexpected error dialog: " << CStringA(pszError).GetString();
            return CSQLError::resultStop;
        }
        Answer answer = m_errorAnswers.front();
        m_errorAnswers.pop_front();
        if (!answer.edited.IsEmpty())
            strStatement = answer.edited;
        return answer.button;
    }
    bool ReplaceText(int nStart, int nEnd, LPCWSTR pszText) override
    {
        if (m_bRefuseReplace)
            return false;
        m_text = m_text.Left(nStart) + pszText + m_text.Mid(nEnd);
        return true;
    }
    CString GetText() override { return m_text; }
    bool Progress(int nCount) override { return m_nCancelAt != 0 && nCount >= m_nCancelAt; }
    bool PumpMessages() override { return false; }
    int RunStatement(LPCWSTR pszSQL) override
    {
        m_db.ExecuteSQL(pszSQL);
        return 0;
    }

private:
    CRDatabase& m_db;
};

class ScriptWindowRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QlConnTest::OpenOrFail(m_db, m_file.Connect());
        m_db.ExecuteSQL(L"create table t (id int)");
    }
    CString Count() { return QueryText(m_db, L"select count(*) from t"); }
    CScriptWindowRunResult Run(CScriptedHost& host, bool bTransaction, LPCWSTR sep = L";")
    {
        const CString text = host.m_text;
        return RunScriptText(m_db, text, sep, bTransaction, host);
    }
    QlTestDb::TempSQLiteFile m_file;
    CRDatabase m_db;
};

TEST_F(ScriptWindowRun, NextSkipsAFailingStatementAndTheSummaryCountsIt)
{
    CScriptedHost host(m_db, L"insert into t values(1); insert into nowhere values(2);\n"
                             L"insert into t values(3);");
    host.m_errorAnswers.push_back({CSQLError::resultNext, L""});
    const CScriptWindowRunResult r = Run(host, false);
    EXPECT_EQ(r.nStatements, 3);
    EXPECT_EQ(r.nSucceeded, 2);
    ASSERT_EQ(host.m_statementsShown.size(), 1u);
    EXPECT_STREQ(host.m_statementsShown[0], L"insert into nowhere values(2)")
        << "shown from its first word, without the blank after the separator";
    EXPECT_EQ(host.m_errorsShown[0].Find(L"ODBC error code: "), 0);
    EXPECT_NE(host.m_errorsShown[0].Find(L"\r\n"), -1);
    ASSERT_EQ(host.m_messages.size(), 1u);
    EXPECT_STREQ(host.m_messages[0], L"Script executed successfully (2 of 3 queries).");
    EXPECT_STREQ(Count(), L"2");
}

TEST_F(ScriptWindowRun, RetryWithAnEditedStatementWritesItBackAndGoesOn)
{
    CScriptedHost host(m_db, L"insert into t values(1);\n-- fix me\ninsert into t valuez(2);\n"
                             L"insert into t values(3);");
    host.m_errorAnswers.push_back(
        {CSQLError::resultRetry, L"-- fix me\ninsert into t values(2), (22)"});
    const CScriptWindowRunResult r = Run(host, false);
    EXPECT_EQ(r.nSucceeded, 3);
    EXPECT_EQ(r.nStatements, 3) << "the edited statement is not run again";
    EXPECT_STREQ(host.m_statementsShown[0], L"-- fix me\ninsert into t valuez(2)")
        << "the dialog shows the statement from its first line, comments kept";
    EXPECT_STREQ(host.m_text, L"insert into t values(1);\n-- fix me\ninsert into t values(2), "
                              L"(22);\ninsert into t values(3);");
    EXPECT_STREQ(Count(), L"4");

    // An editor that refuses the edit stops the run.
    CScriptedHost refused(m_db, L"insert into t valuez(5);insert into t values(6);");
    refused.m_bRefuseReplace = true;
    refused.m_errorAnswers.push_back({CSQLError::resultRetry, L"insert into t values(5)"});
    const CScriptWindowRunResult stopped = Run(refused, false);
    EXPECT_TRUE(stopped.bStopped);
    ASSERT_EQ(refused.m_messages.size(), 2u);
    EXPECT_STREQ(refused.m_messages[0], L"Failed to save changed query");
    EXPECT_STREQ(refused.m_messages[1], L"Script stopped after 1 of 1 queries.");
}

TEST_F(ScriptWindowRun, IgnoreErrorsPassesLaterFailuresSilently)
{
    CScriptedHost host(m_db, L"bad 1; insert into t values(1); bad 2; -- only a comment\n;"
                             L"insert into t values(2);");
    host.m_errorAnswers.push_back({CSQLError::resultIgnoreErrors, L""});
    const CScriptWindowRunResult r = Run(host, false);
    EXPECT_EQ(host.m_errorsShown.size(), 1u);
    EXPECT_EQ(r.nSucceeded, 2);
    EXPECT_STREQ(host.m_messages.back(), L"Script executed successfully (2 of 5 queries).");

    // Without ignoring, a statement of comments only is refused as incorrect syntax.
    CScriptedHost comment(m_db, L"/* nothing */ ;");
    comment.m_errorAnswers.push_back({CSQLError::resultNext, L""});
    Run(comment, false);
    ASSERT_EQ(comment.m_errorsShown.size(), 1u);
    EXPECT_STREQ(comment.m_errorsShown[0], L"Quenlark: Incorect syntax");
}

TEST_F(ScriptWindowRun, EmptyStatementsAndMissingSeparators)
{
    CScriptedHost separators(m_db, L";;;");
    Run(separators, false);
    EXPECT_STREQ(separators.m_messages.back(), L"Script executed successfully (0 of 3 queries).");

    CScriptedHost none(m_db, L"insert into t values(1)");
    const CScriptWindowRunResult r = Run(none, true);
    EXPECT_STREQ(none.m_messages.back(),
                 L"No queries found.\nMay be incorrect separator was selected.");
    EXPECT_TRUE(r.bRolledBack);
    EXPECT_FALSE(m_db.IsInTransaction());
    EXPECT_STREQ(Count(), L"0");
}

TEST_F(ScriptWindowRun, TransactionEndsAsTheUserSays)
{
    // No to "Commit?" leaves the table as it was.
    CScriptedHost no(m_db, L"insert into t values(1);insert into t values(2);");
    no.m_nYesNoAnswer = IDNO;
    CScriptWindowRunResult r = Run(no, true);
    EXPECT_STREQ(no.m_messages.back(), L"Script executed successfully (2 of 2 queries).\nCommit?");
    EXPECT_TRUE(r.bRolledBack);
    EXPECT_STREQ(Count(), L"0");

    CScriptedHost yes(m_db, L"insert into t values(1);insert into t values(2);");
    r = Run(yes, true);
    EXPECT_TRUE(r.bCommitted);
    EXPECT_STREQ(Count(), L"2");

    // Cancel rolls back.
    CScriptedHost cancel(m_db, L"insert into t values(3);insert into t values(4);");
    cancel.m_nCancelAt = 2;
    r = Run(cancel, true);
    EXPECT_TRUE(r.bStopped);
    EXPECT_STREQ(cancel.m_messages.back(), L"Transaction was rollbacked");
    EXPECT_STREQ(Count(), L"2");
    EXPECT_FALSE(m_db.IsInTransaction());

    // Stop in the error dialog: the error box, then the roll-back, and no summary.
    CScriptedHost stop(m_db, L"insert into t values(5);bad;insert into t values(6);");
    stop.m_errorAnswers.push_back({CSQLError::resultStop, L""});
    r = Run(stop, true);
    EXPECT_TRUE(r.bAborted);
    ASSERT_EQ(stop.m_messages.size(), 2u);
    EXPECT_EQ(stop.m_messages[0].Find(L"ODBC error code: "), 0);
    EXPECT_STREQ(stop.m_messages[1], L"Transaction was rollbacked");
    EXPECT_STREQ(Count(), L"2");
}

TEST_F(ScriptWindowRun, StoppedWithoutTransactionSaysSo)
{
    CScriptedHost cancel(m_db, L"insert into t values(1);insert into t values(2);");
    cancel.m_nCancelAt = 2;
    Run(cancel, false);
    EXPECT_STREQ(cancel.m_messages.back(), L"Script stopped after 1 of 2 queries.");

    CScriptedHost stop(m_db, L"bad;insert into t values(2);");
    stop.m_errorAnswers.push_back({CSQLError::resultStop, L""});
    const CScriptWindowRunResult r = Run(stop, false);
    EXPECT_TRUE(r.bAborted);
    ASSERT_EQ(stop.m_messages.size(), 1u) << "the error box only";
    EXPECT_STREQ(Count(), L"1");
}

// A function body runs whole inside the run's transaction. A statement that fails there leaves
// the transaction aborted, as in psql: the statements after it are refused, and the commit asked
// for at the end rolls back, which the user is told.
TEST(ScriptWindowRunPostgreSQL, FunctionBodiesRunWholeInsideATransaction)
{
    CRDatabase db;
    QlConnTest::OpenOrFail(db, QlTestDb::PostgresConnect());
    CString f;
    f.Format(L"qs_wf_%ls", QlTestDb::UniqueTag().c_str());
    CScriptedHost host(db, L"create function " + f +
                               L"() returns int as $$ begin return 7; end; $$ language plpgsql;\n"
                               L"select " +
                               f + L"();\nselect qs_no_such_function();\nselect 1;");
    host.m_errorAnswers.push_back({CSQLError::resultNext, L""});
    host.m_errorAnswers.push_back({CSQLError::resultNext, L""});
    const CScriptWindowRunResult r = RunScriptText(db, host.m_text, L";", true, host);
    EXPECT_EQ(r.nSucceeded, 2);
    ASSERT_EQ(host.m_errorsShown.size(), 2u);
    EXPECT_NE(host.m_errorsShown[0].Find(L"The transaction is aborted"), -1);
    EXPECT_NE(host.m_errorsShown[1].Find(L"25P02"), -1);
    EXPECT_FALSE(r.bCommitted);
    EXPECT_TRUE(r.bRolledBack);
    ASSERT_GE(host.m_messages.size(), 2u);
    EXPECT_STREQ(host.m_messages[host.m_messages.size() - 2],
                 L"Script executed successfully (2 of 4 queries).\nCommit?");
    EXPECT_NE(host.m_messages.back().Find(L"rolled back, not committed"), -1);
    EXPECT_FALSE(db.IsInTransaction());
    EXPECT_STREQ(QueryText(db, L"select count(*) from pg_proc where proname = '" + f + L"'"), L"0");
}

} // namespace
