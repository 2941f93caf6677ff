// The standard error text, the exception holder and the scoped transaction.
#include <gtest/gtest.h>

#include "dbaccess/error_report.h"
#include "dbaccess/statement_stop.h"
#include "dbaccess/transaction.h"
#include "conn_test_util.h"
#include "test_databases.h"

namespace {

// A heap exception that records its own deletion.
class CountedException : public CException
{
public:
    explicit CountedException(int* pDeleted) : m_pDeleted(pDeleted) {}
    ~CountedException() override { ++*m_pDeleted; }
    BOOL GetErrorMessage(LPTSTR text, UINT nMax, PUINT = nullptr) override
    {
        return CopyErrorMessage(L"Counted failure", text, nMax, nullptr);
    }

private:
    int* m_pDeleted;
};

Zelt::CRDBException* MakeDBError(int code, LPCWSTR state, LPCWSTR message)
{
    auto* e = new Zelt::CRDBException(code);
    e->m_strSQLState = state;
    e->m_strError = message;
    return e;
}

} // namespace

TEST(ErrorText, DatabaseErrorsReadAsTheStandardBox)
{
    CExceptionHolder e(MakeDBError(SQL_ERROR, L"08001", L"could not connect\nto server"));
    EXPECT_STREQ(L"ODBC error code: -1\nState: 08001\ncould not connect\nto server",
                 FormatErrorText(e.Get()));
    // The output bar and the script error dialog use Windows line ends throughout.
    EXPECT_STREQ(L"ODBC error code: -1\r\nState: 08001\r\ncould not connect\r\nto server",
                 FormatErrorText(e.Get(), L"\r\n"));

    CExceptionHolder noState(MakeDBError(0, L"", L"Invalid data"));
    EXPECT_STREQ(L"ODBC error code: 0\nInvalid data", FormatErrorText(noState.Get()));
    EXPECT_STREQ(L"Unknown exception", FormatErrorText(nullptr));

    int deleted = 0;
    CExceptionHolder other(new CountedException(&deleted));
    EXPECT_STREQ(L"Counted failure", FormatErrorText(other.Get()));
}

// Only the program's own stop makes an error the user's Cancel: the server's cancels (a
// statement_timeout's 57014, MariaDB's max_statement_time 70100) are errors to show.
TEST(ErrorText, OnlyTheProgramsStopIsACancel)
{
    for (LPCWSTR state : {L"HY008", L"57014", L"70100", L"HY018", L"S1008"})
    {
        CExceptionHolder e(MakeDBError(SQL_ERROR, state, L"canceling statement"));
        EXPECT_FALSE(IsCancelledStatementError(*e.GetDBException())) << CStringA(state).GetString();
        e.GetDBException()->m_bStopAsked = true;
        EXPECT_TRUE(IsCancelledStatementError(*e.GetDBException())) << CStringA(state).GetString();
        // A copy carried to another thread keeps it.
        const Zelt::CRDBException copy(*e.GetDBException());
        EXPECT_TRUE(IsCancelledStatementError(copy));
    }
    try
    {
        ThrowStoppedBeforeStart();
    }
    catch (Zelt::CRDBException* e)
    {
        CExceptionHolder held(e);
        EXPECT_TRUE(IsCancelledStatementError(*e));
    }
}

TEST(ExceptionHolder, DeletesOnEveryPath)
{
    int deleted = 0;
    {
        CExceptionHolder held(new CountedException(&deleted));
        EXPECT_EQ(nullptr, held.GetDBException());
    }
    EXPECT_EQ(1, deleted);

    CExceptionHolder a(new CountedException(&deleted));
    CExceptionHolder b(std::move(a));
    EXPECT_FALSE(a);
    a = std::move(b);
    EXPECT_EQ(1, deleted); // moving hands over, never deletes
    a.Reset(new CountedException(&deleted));
    EXPECT_EQ(2, deleted);
    CException* released = a.Release();
    a.Reset();
    EXPECT_EQ(2, deleted);
    released->Delete();
    EXPECT_EQ(3, deleted);

    // A statement the user cancelled is swallowed without a box and without a leak.
    bool ran = RunReportingErrors([] {
        Zelt::CRDBException* e = MakeDBError(SQL_ERROR, L"57014", L"cancelled");
        e->m_bStopAsked = true;
        throw e;
    });
    EXPECT_FALSE(ran);
    EXPECT_TRUE(RunReportingErrors([] {}));
}

TEST(ScopedTransaction, RollsBackUnlessCommitted)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    db.ExecuteSQL(L"CREATE TABLE t (n INTEGER)");

    try
    {
        CRTransaction trans(db);
        EXPECT_TRUE(trans.IsOwner());
        db.ExecuteSQL(L"INSERT INTO t VALUES (1)");
        db.ExecuteSQL(L"INSERT INTO no_such_table VALUES (1)");
        trans.Commit();
        ADD_FAILURE() << "the bad statement did not throw";
    }
    catch (Zelt::CRDBException* e)
    {
        CExceptionHolder dropped(e);
    }
    EXPECT_FALSE(db.IsInTransaction());
    EXPECT_STREQ(L"0", QlConnTest::QueryText(db, L"SELECT count(*) FROM t"));

    {
        CRTransaction trans(db);
        db.ExecuteSQL(L"INSERT INTO t VALUES (2)");
        trans.Commit();
        trans.Commit(); // a second commit does nothing
    }
    EXPECT_STREQ(L"1", QlConnTest::QueryText(db, L"SELECT count(*) FROM t"));

    // Inside an open transaction the scope joins it and leaves the decision to its owner.
    ASSERT_TRUE(db.BeginTrans());
    {
        CRTransaction inner(db);
        EXPECT_FALSE(inner.IsOwner());
        db.ExecuteSQL(L"INSERT INTO t VALUES (3)");
    }
    EXPECT_TRUE(db.IsInTransaction());
    db.EndTrans(true);
    EXPECT_STREQ(L"2", QlConnTest::QueryText(db, L"SELECT count(*) FROM t"));
    db.Close();
}
