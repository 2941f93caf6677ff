// Diagnostic texts, the exception's own operations, transactions and the driver manager trace.
#include "conn_test_util.h"

using namespace QlConnTest;
using namespace QlTestDb;

TEST(Diagnostics, StripDriverPrefixes)
{
    EXPECT_EQ(StripDriverPrefixes(L"[unixODBC][Driver Manager]Data source name not found"),
              L"Data source name not found");
    EXPECT_EQ(StripDriverPrefixes(L"[A] [B] text"), L"text");
    EXPECT_EQ(StripDriverPrefixes(L"[only]"), L"");
    EXPECT_EQ(StripDriverPrefixes(L"[unclosed text"), L"[unclosed text");
    EXPECT_EQ(StripDriverPrefixes(L"plain [x] text"), L"plain [x] text");
    EXPECT_EQ(StripDriverPrefixes(L"[a]  two blanks"), L" two blanks");
    EXPECT_EQ(StripDriverPrefixes(L""), L"");
}

TEST(Diagnostics, StatementRecordsBecomeOneText)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    auto one = Catch([&] { db.ExecuteSQL(L"FAKE ERROR 1"); });
    ASSERT_TRUE(one);
    EXPECT_EQ(one->m_strError, L"error 1");
    EXPECT_EQ(one->m_strSQLState, L"FK001");

    auto three = Catch([&] { db.ExecuteSQL(L"FAKE ERROR 3"); });
    ASSERT_TRUE(three);
    EXPECT_EQ(three->m_strError, L"* 'FK001' error 1\n* 'FK002' error 2\n* 'FK003' error 3");
    EXPECT_TRUE(three->m_strSQLState.IsEmpty());
    EXPECT_EQ(three->m_nRetCode, 65535);
}

TEST(Diagnostics, NoRecordsGiveODBCError)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    CString state = L"stale";
    EXPECT_EQ(db.GetErrorText(SQL_NULL_HSTMT, &state), L"ODBC error");
    EXPECT_TRUE(state.IsEmpty());

    Zelt::CRDBException fromFreshEnv(db.GetEnvHandle(), SQL_NULL_HDBC, SQL_NULL_HSTMT, SQL_ERROR);
    EXPECT_EQ(fromFreshEnv.m_strError, L"ODBC error");
    EXPECT_EQ(fromFreshEnv.m_nRetCode, 65535);
}

TEST(Diagnostics, HandleConstructorKeepsTheDriverText)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    for (int count : {1, 2})
    {
        SQLHSTMT hStmt;
        ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocStmt(db.GetConnectionHandle(), &hStmt)));
        CString sql;
        sql.Format(L"FAKE ERROR %d", count);
        SQLRETURN ret = SQLExecDirectW(hStmt, const_cast<SQLWCHAR*>(sql.GetString()), SQL_NTS);
        Zelt::CRDBException e(db.GetEnvHandle(), db.GetConnectionHandle(), hStmt, ret);
        SQLFreeStmt(hStmt, SQL_DROP);
        if (count == 1)
        {
            EXPECT_EQ(e.m_strError, L"\n[Quenlark][Fake] error 1");
            EXPECT_EQ(e.m_strSQLState, L"FK001");
        }
        else
        {
            EXPECT_EQ(e.m_strError,
                      L"\n'FK001' [Quenlark][Fake] error 1\n'FK002' [Quenlark][Fake] error 2");
            EXPECT_TRUE(e.m_strSQLState.IsEmpty());
        }
    }
}

TEST(Diagnostics, ThrowHelperAndCopies)
{
    CRDatabase db;
    auto zero = Catch([&] { ThrowRDBException(&db, 0, SQL_NULL_HSTMT); });
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->m_nRetCode, 0);
    EXPECT_TRUE(zero->m_strError.IsEmpty()) << "code 0 reads no diagnostics";
    auto noDatabase = Catch([&] { ThrowRDBException(nullptr, SQL_ERROR, SQL_NULL_HSTMT); });
    ASSERT_TRUE(noDatabase);
    EXPECT_TRUE(noDatabase->m_strError.IsEmpty());

    Zelt::CRDBException a(L"own message");
    EXPECT_EQ(a.m_nRetCode, 0);
    a.m_strSQLState = L"HY000";
    Zelt::CRDBException b(SQL_INVALID_HANDLE);
    EXPECT_EQ(b.m_nRetCode, 65534);
    b = a;
    EXPECT_EQ(b.m_nRetCode, 0);
    EXPECT_EQ(b.m_strError, L"own message");
    EXPECT_EQ(b.m_strSQLState, L"HY000");
    b = b;
    EXPECT_EQ(b.m_strError, L"own message");

    // Handlers may catch it as the framework's exception.
    bool caught = false;
    try
    {
        throw new Zelt::CRDBException(L"x");
    }
    catch (CException* e)
    {
        caught = true;
        e->Delete();
    }
    EXPECT_TRUE(caught);
}

TEST(Diagnostics, GetErrorMessageStaysInsideTheBuffer)
{
    Zelt::CRDBException e(L"0123456789abcdef");
    wchar_t buffer[12];
    wmemset(buffer, L'#', 12);
    EXPECT_FALSE(e.GetErrorMessage(buffer, 0));
    EXPECT_EQ(buffer[0], L'#');
    EXPECT_FALSE(e.GetErrorMessage(nullptr, 10));

    EXPECT_TRUE(e.GetErrorMessage(buffer, 10));
    EXPECT_EQ(CString(buffer), L"01234567");
    EXPECT_EQ(buffer[9], L'\0');
    EXPECT_EQ(buffer[10], L'#');

    wmemset(buffer, L'#', 12);
    EXPECT_TRUE(e.GetErrorMessage(buffer, 1));
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(buffer[1], L'#');

    Zelt::CRDBException shortOne(L"ab");
    wmemset(buffer, L'#', 12);
    EXPECT_TRUE(shortOne.GetErrorMessage(buffer, 10));
    EXPECT_EQ(CString(buffer), L"ab");
}

// ---- transactions -------------------------------------------------------------------------------

namespace {

void CommitAndRollback(const CString& connect)
{
    CRDatabase db;
    OpenOrFail(db, connect);
    CString table;
    table.Format(L"ql_conn_tx_%ls", QlTestDb::UniqueTag().c_str());
    db.ExecuteSQL(L"DROP TABLE IF EXISTS " + table);
    db.ExecuteSQL(L"CREATE TABLE " + table + L" (n int)");
    CString dbms;
    db.GetDBMSName(dbms);
    if (dbms == L"MariaDB")
        db.ExecuteSQL(L"ALTER TABLE " + table + L" ENGINE=InnoDB");

    EXPECT_FALSE(db.IsInTransaction());
    ASSERT_TRUE(db.BeginTrans());
    EXPECT_TRUE(db.IsInTransaction());
    db.ExecuteSQL(L"INSERT INTO " + table + L" VALUES (1)");
    ASSERT_TRUE(db.EndTrans(false));
    EXPECT_FALSE(db.IsInTransaction());
    EXPECT_EQ(QueryText(db, L"SELECT COUNT(*) FROM " + table), L"0");

    ASSERT_TRUE(db.BeginTrans());
    db.ExecuteSQL(L"INSERT INTO " + table + L" VALUES (2)");
    ASSERT_TRUE(db.EndTrans(true));
    EXPECT_EQ(QueryText(db, L"SELECT SUM(n) FROM " + table), L"2");
    db.ExecuteSQL(L"DROP TABLE " + table);
}

} // namespace

TEST(Transactions, CommitKeepsAndRollbackDiscards)
{
    TempSQLiteFile file;
    for (const CString& connect : {file.Connect(), PostgresConnect(), MariaDBConnect()})
    {
        SCOPED_TRACE(Narrow(connect));
        auto e = Catch([&] { CommitAndRollback(connect); });
        EXPECT_FALSE(e) << Narrow(e->m_strError);
    }
}

TEST(Transactions, ClosedConnectionAnswersFalse)
{
    CRDatabase db;
    EXPECT_FALSE(db.BeginTrans());
    EXPECT_FALSE(db.EndTrans(true));
    EXPECT_FALSE(db.IsInTransaction());
}

TEST(Transactions, FailedRollbackStillTurnsAutocommitOn)
{
    FakeLog log;
    CRDatabase db;
    OpenOrFail(db, log.Connect(L"Oracle", L"NoTransact=1;"));
    ASSERT_TRUE(db.BeginTrans());
    auto e = Catch([&] { db.EndTrans(false); });
    ASSERT_TRUE(e);
    EXPECT_EQ(Narrow(e->m_strError), "transaction failed");
    EXPECT_FALSE(db.IsInTransaction());
    EXPECT_EQ(log.Read(), L"CONNECT\nAUTOCOMMIT OFF\nROLLBACK\nAUTOCOMMIT ON\n");
}

// ---- trace ----------------------------------------------------------------------------------------

TEST(Trace, StartStopAndFile)
{
    // Wine's odbc32 keeps the trace switch itself (it reads as on whatever was set), so only the
    // calls and the file name are checked here.
    TempSQLiteFile file;
    CString traceFile = NewUnixTempPath(L"trace", L".log");
    CRDatabase db;
    OpenOrFail(db, file.Connect());
    auto e = Catch([&] {
        ASSERT_TRUE(db.StartTrace(traceFile));
        CString read;
        ASSERT_TRUE(db.GetTraceFile(read));
        EXPECT_EQ(read, traceFile);
        ASSERT_TRUE(db.StopTrace());
    });
    EXPECT_FALSE(e) << Narrow(e->m_strError);
    RemoveUnixFile(traceFile);
}
