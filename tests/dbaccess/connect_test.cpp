// Connecting, reconnecting and closing; product detection; information; direct statements.
#include "conn_test_util.h"
#include "dbaccess/recordset.h"
#include "tests/support/wait_for.h"

using namespace QlConnTest;
using namespace QlTestDb;

TEST(Connect, RealDriversOpenAndReportTheirProduct)
{
    TempSQLiteFile file;
    struct Case
    {
        CString connect;
        LPCWSTR dbms;
        DBMSKind kind;
    } cases[] = {
        {file.Connect(), L"SQLite", DBMS_OTHER},
        {PostgresConnect(), L"PostgreSQL", DBMS_POSTGRESQL},
        {MariaDBConnect(), L"MariaDB", DBMS_MYSQL},
    };
    for (const Case& c : cases)
    {
        CRDatabase db;
        OpenOrFail(db, c.connect);
        EXPECT_TRUE(db.IsOpen());
        EXPECT_EQ(db.GetDBMSKind(), c.kind) << Narrow(c.connect);
        CString name;
        ASSERT_TRUE(db.GetDBMSName(name));
        EXPECT_EQ(name, c.dbms);
        // The completed connection string comes from the driver and names the database.
        EXPECT_FALSE(db.GetConnect().IsEmpty());
        EXPECT_EQ(QueryText(db, L"SELECT 1+1"), L"2");
        db.Close();
        EXPECT_FALSE(db.IsOpen());
        EXPECT_TRUE(db.GetEnvHandle() == SQL_NULL_HENV);
        EXPECT_EQ(db.GetDBMSKind(), DBMS_OTHER);
        EXPECT_FALSE(db.GetConnect().IsEmpty()) << "the connection string survives Close";
    }
}

TEST(Connect, BadStringsThrowTheDriversDiagnostics)
{
    struct Case
    {
        LPCWSTR connect;
        LPCWSTR state;
        LPCWSTR message;
    } cases[] = {
        {L"DSN=NoSuchDSN;", L"IM002",
         L"Data source name not found and no default driver specified"},
        {L"Driver=NoSuchDriver;", L"01000", L"Can't open lib 'NoSuchDriver' : file not found"},
        {L"Driver={MariaDB "
         L"Unicode};Server=127.0.0.1;Port=3306;Database=quenlark;UID=quenlark;PWD=wrong;",
         L"28000", L"Access denied for user 'quenlark'@'localhost' (using password: YES)"},
        {L"Driver={PostgreSQL "
         L"Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=wrong;",
         L"08001",
         L"connection to server at \"127.0.0.1\", port 5432 failed: FATAL:  password "
         L"authentication failed "
         L"for user \"quenlark\"\n"},
        {L"Driver=SQLite3;Database=/nonexistent/dir/x.db;", L"S1000", L"connect failed"},
    };
    for (const Case& c : cases)
    {
        CRDatabase db;
        auto e = Catch([&] { db.Open(c.connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0); });
        ASSERT_TRUE(e) << Narrow(c.connect);
        EXPECT_EQ(e->m_nRetCode, 65535);
        EXPECT_EQ(e->m_strSQLState, c.state);
        EXPECT_EQ(e->m_strError, c.message);
        // Diagnostics were read before the handles were released; the object is closed.
        EXPECT_FALSE(db.IsOpen());
        EXPECT_TRUE(db.GetEnvHandle() == SQL_NULL_HENV);
        EXPECT_EQ(db.GetDBMSKind(), DBMS_OTHER);
    }
}

TEST(Connect, FailureWithSeveralRecordsGivesTheFirstRecordOfTheConnection)
{
    // Without a statement the connection's diagnostics come through SQLError, one record.
    CRDatabase db;
    auto e = Catch([&] {
        db.Open(FakeConnect(L"Oracle", L"FailConnect=2;"), CRDatabase::openNoPrompt, nullptr, 0, 0,
                0);
    });
    ASSERT_TRUE(e);
    EXPECT_FALSE(e->m_strSQLState.IsEmpty());
    EXPECT_EQ(e->m_strError.Find(L"connect failure"), 0) << Narrow(e->m_strError);
    EXPECT_FALSE(db.IsOpen());
}

TEST(Connect, CancelledPromptReturnsFalseAndLeavesTheObjectClosed)
{
    // The fake driver answers SQL_NO_DATA, as a driver does when its dialog is cancelled.
    HWND hWnd = GetDesktopWindow();
    CRDatabase db;
    // A connection string left from an earlier open is replaced by the cancelled one's (empty).
    ASSERT_TRUE(db.Open(FakeConnect(L"Oracle"), CRDatabase::openNoPrompt, hWnd, 0, 0, 0));
    ASSERT_FALSE(db.GetConnect().IsEmpty());
    bool opened = true;
    auto e = Catch(
        [&] { opened = db.Open(FakeConnect(L"Oracle", L"Prompt=Cancel;"), 0, hWnd, 0, 0, 0); });
    ASSERT_FALSE(e) << Narrow(e->m_strError);
    EXPECT_FALSE(opened);
    EXPECT_FALSE(db.IsOpen());
    EXPECT_TRUE(db.GetEnvHandle() == SQL_NULL_HENV);
    EXPECT_EQ(db.GetDBMSKind(), DBMS_OTHER);
    EXPECT_TRUE(db.GetConnect().IsEmpty());

    EXPECT_FALSE(
        db.Open(FakeConnect(L"Oracle", L"Prompt=Cancel;"), CRDatabase::openPrompt, hWnd, 0, 0, 0));
    // Bit 4 wins over bit 8: no prompt, so nothing to cancel.
    EXPECT_TRUE(db.Open(FakeConnect(L"Oracle", L"Prompt=Cancel;"),
                        CRDatabase::openPrompt | CRDatabase::openNoPrompt, hWnd, 0, 0, 0));
}

TEST(Connect, ProductKindFromTheReportedNameForAllKinds)
{
    struct Case
    {
        LPCWSTR name;
        DBMSKind kind;
    } cases[] = {
        {L"ACCESS", DBMS_ACCESS},
        {L"access", DBMS_OTHER},
        {L"SQL Server", DBMS_SQLSERVER},
        {L"Oracle8", DBMS_ORACLE},
        {L"ORACL", DBMS_OTHER},
        {L"Microsoft SQL Server 2019", DBMS_MSSQL},
        {L"microsoft sql server", DBMS_MSSQL},
        {L"Microsoft SQL Serve", DBMS_OTHER},
        {L"Firebird", DBMS_FIREBIRD},
        {L"firebird", DBMS_OTHER},
        {L"MySQL", DBMS_MYSQL},
        {L"PostgreSQL", DBMS_POSTGRESQL},
        {L"MariaDB", DBMS_MYSQL},
        {L"mariadb", DBMS_OTHER},
    };
    for (const Case& c : cases)
    {
        CRDatabase db;
        OpenOrFail(db, FakeConnect(c.name));
        EXPECT_EQ(db.GetDBMSKind(), c.kind) << Narrow(c.name);
        EXPECT_EQ(db.GetDBMSKind(), c.kind);
    }
}

TEST(Connect, ReconnectUsesTheCompletedStringAndNeedsAnOpenConnection)
{
    CRDatabase never;
    EXPECT_FALSE(never.Reconnect(CRDatabase::openNoPrompt, nullptr, 0, 0, 0));

    FakeLog log;
    CRDatabase db;
    OpenOrFail(db, log.Connect(L"PostgreSQL"));
    CString first = db.GetConnect();
    ASSERT_TRUE(db.Reconnect(CRDatabase::openNoPrompt, nullptr, 0, 0, 7));
    EXPECT_EQ(db.GetConnect(), first);
    EXPECT_EQ(db.GetDBMSKind(), DBMS_POSTGRESQL);
    EXPECT_EQ(db.GetQueryTimeout(), 7u);
    // (Besides the two connects only the questions each connect asks the server.)
    CString calls = log.Read();
    EXPECT_EQ(calls.Left(8), L"CONNECT\n");
    EXPECT_EQ(calls.Replace(L"CONNECT\n", L""), 2);

    db.Close();
    EXPECT_FALSE(db.Reconnect(CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
        << "closed: nothing to reconnect";
}

TEST(Connect, InformationGetters)
{
    CRDatabase db;
    CString text = L"unchanged";
    EXPECT_FALSE(db.GetDBMSName(text)) << "closed";
    EXPECT_EQ(text, L"unchanged");

    OpenOrFail(db, FakeConnect(L"Oracle", L"DBMSVer=10.2;ODBCVer=02.50;"));
    ASSERT_TRUE(db.GetDBMSVersion(text));
    EXPECT_EQ(text, L"10.2");
    int major = -1, minor = -1, release = -1;
    ASSERT_TRUE(db.GetInfoVersion(SQL_DBMS_VER, &major, &minor, &release));
    EXPECT_EQ(major, 10);
    EXPECT_EQ(minor, 2);
    EXPECT_EQ(release, 0);
    ASSERT_TRUE(db.GetInfoVersion(SQL_DRIVER_ODBC_VER, &major, nullptr, nullptr));
    EXPECT_EQ(major, 2);
    ASSERT_TRUE(db.GetDriverVersion(text));
    ASSERT_TRUE(db.GetInfoVersion(SQL_DRIVER_VER, &major, &minor, &release));
    EXPECT_EQ(text, L"01.00.0000");
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 0);
    ASSERT_TRUE(db.GetDatabaseName(text));
    EXPECT_EQ(text, L"fakedb");
    ASSERT_TRUE(db.GetDMVersion(text));
    EXPECT_FALSE(text.IsEmpty());

    WORD word = 0;
    ASSERT_TRUE(db.GetInfoWord(SQL_IDENTIFIER_CASE, word));
    EXPECT_EQ(word, SQL_IC_SENSITIVE);
    EXPECT_EQ(db.GetCursorAttributes1(SQL_CURSOR_STATIC),
              DWORD(SQL_CA1_NEXT | SQL_CA1_ABSOLUTE | SQL_CA1_RELATIVE));
    EXPECT_EQ(db.GetCursorAttributes1(SQL_CURSOR_FORWARD_ONLY), DWORD(SQL_CA1_NEXT));
    EXPECT_EQ(db.GetCursorAttributes2(SQL_CURSOR_FORWARD_ONLY),
              DWORD(SQL_CA2_READ_ONLY_CONCURRENCY));
    EXPECT_TRUE(db.IsFunctionSupported(SQL_API_SQLTABLES));
    EXPECT_FALSE(db.IsFunctionSupported(SQL_API_SQLBROWSECONNECT));
    DWORD value = 99;
    EXPECT_TRUE(db.GetLoginTimeout(value));

    db.Close();
    EXPECT_TRUE(Catch([&] { db.GetCursorAttributes1(SQL_CURSOR_STATIC); }) != nullptr);
}

TEST(Connect, InfoVersionSplitsAtTheFirstThreeDots)
{
    struct Case
    {
        LPCWSTR text;
        int major, minor, release;
    } cases[] = {
        {L"03.80.0000", 3, 80, 0}, {L"2.50", 2, 50, 0}, {L"7", 7, 0, 0},
        {L"1.2.3.4", 1, 2, 3},     {L"5.", 5, 0, 0},    {L"x.9", 0, 9, 0},
    };
    for (const Case& c : cases)
    {
        CRDatabase db;
        CString extra = L"DBMSVer=";
        extra += c.text;
        extra += L";";
        OpenOrFail(db, FakeConnect(L"Oracle", extra));
        int major = -1, minor = -1, release = -1;
        ASSERT_TRUE(db.GetInfoVersion(SQL_DBMS_VER, &major, &minor, &release));
        EXPECT_EQ(major, c.major) << Narrow(c.text);
        EXPECT_EQ(minor, c.minor) << Narrow(c.text);
        EXPECT_EQ(release, c.release) << Narrow(c.text);
    }
}

TEST(ExecuteSQL, RunsStatementsAndCountsRows)
{
    TempSQLiteFile file;
    CRDatabase db;
    OpenOrFail(db, file.Connect());
    db.ExecuteSQL(L"CREATE TABLE ql_conn_exec (n INTEGER)");
    LONGLONG count = 0;
    db.ExecuteSQL(L"INSERT INTO ql_conn_exec VALUES (1),(2),(3)", &count);
    EXPECT_EQ(count, 3);
    db.ExecuteSQL(L"UPDATE ql_conn_exec SET n = n + 1 WHERE n > 1", &count);
    EXPECT_EQ(count, 2);
    EXPECT_GE(db.GetExecutionTime(), 0);
}

TEST(ExecuteSQL, FailuresCarryTheStatementDiagnostics)
{
    TempSQLiteFile file;
    struct Case
    {
        CString connect;
        LPCWSTR state;
        LPCWSTR message;
    } cases[] = {
        {file.Connect(), L"S1000", L"near \"SELEC\": syntax error (1)"},
        {PostgresConnect(), L"42601",
         L"ERROR: syntax error at or near \"SELEC\";\nError while executing the query"},
        {MariaDBConnect(), L"37000",
         L"You have an error in your SQL syntax; check the manual that corresponds to your MariaDB "
         L"server "
         L"version for the right syntax to use near 'SELEC 1' at line 1"},
    };
    for (const Case& c : cases)
    {
        CRDatabase db;
        OpenOrFail(db, c.connect);
        auto e = Catch([&] { db.ExecuteSQL(L"SELEC 1"); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->m_nRetCode, 65535);
        EXPECT_EQ(e->m_strSQLState, c.state);
        EXPECT_EQ(e->m_strError, c.message);
        // The connection goes on working after the failure.
        EXPECT_EQ(QueryText(db, L"SELECT 5"), L"5");
    }
}

TEST(ExecuteSQL, RowCountIsMinusOneWhenTheDriverCannotTell)
{
    FakeLog log;
    CRDatabase db;
    OpenOrFail(db, log.Connect(L"Oracle", L"NoRowCount=1;"));
    LONGLONG count = 42;
    db.ExecuteSQL(L"DELETE FROM t", &count);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(log.Read(), L"CONNECT\nDELETE FROM t\n");
}

// The fake driver counts the statement handles of a connection that are not yet freed; the
// query asking for the count holds one of them.
TEST(ExecuteSQL, EveryPathFreesItsStatement)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    ASSERT_EQ(QueryText(db, L"FAKE STATEMENTS"), L"1");

    SQLHSTMT hHeld = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocStmt(db.GetConnectionHandle(), &hHeld)));
    EXPECT_EQ(QueryText(db, L"FAKE STATEMENTS"), L"2") << "a held statement is counted";
    SQLFreeStmt(hHeld, SQL_DROP);

    for (int i = 0; i < 20; ++i)
    {
        LONGLONG count = 0;
        db.ExecuteSQL(L"DELETE FROM t", &count);
        auto e = Catch([&] { db.ExecuteSQL(L"FAKE ERROR 2"); });
        ASSERT_TRUE(e);
        e = Catch([&] { db.ExecuteSQL(L"FAKE ERROR 1", &count); });
        ASSERT_TRUE(e);
    }
    EXPECT_EQ(QueryText(db, L"FAKE STATEMENTS"), L"1");

    {
        // A recordset owns one statement at a time, a failed one included, until it closes.
        CRRecordset rs(&db);
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(Catch([&] { rs.Open(L"FAKE ERROR 1"); }));
        EXPECT_EQ(QueryText(db, L"FAKE STATEMENTS"), L"2");
        ASSERT_TRUE(rs.Open(L"FAKE ROWS 3"));
        EXPECT_EQ(QueryText(db, L"FAKE STATEMENTS"), L"2");
        rs.Close();
        EXPECT_EQ(QueryText(db, L"FAKE STATEMENTS"), L"1");
        ASSERT_TRUE(rs.Open(L"FAKE ROWS 3"));
    }
    EXPECT_EQ(QueryText(db, L"FAKE STATEMENTS"), L"1");
}

TEST(ExecuteSQL, ClosedConnectionThrows)
{
    CRDatabase db;
    auto e = Catch([&] { db.ExecuteSQL(L"SELECT 1"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_nRetCode, 65534) << "SQL_INVALID_HANDLE";
}

// Milliseconds, measured against the system's tick count: read inside an interval of that
// clock, the span is no longer than the interval and no shorter than what was waited for, on a
// loaded machine too (preemption lengthens both).
TEST(Timing, TickCountMovesForward)
{
    const ULONGLONG before = GetTickCount64();
    const LONGLONG a = GetTickMs();
    const ULONGLONG from = GetTickCount64();
    ASSERT_TRUE(ql::WaitFor([&] { return GetTickCount64() - from >= 50; }));
    const LONGLONG b = GetTickMs();
    const ULONGLONG after = GetTickCount64();
    EXPECT_GT(a, 0);
    // The tick count steps by up to 16 ms on some systems.
    EXPECT_GE(b - a, 50 - 16);
    EXPECT_LE(b - a, (LONGLONG)(after - before) + 16);
}

TEST(Connect, OptionBitsForReadOnlyAndTheCursorLibrary)
{
    TempSQLiteFile file;
    CRDatabase db;
    auto e = Catch([&] {
        ASSERT_TRUE(db.Open(file.Connect(),
                            CRDatabase::openReadOnly | CRDatabase::openUseCursorLib |
                                CRDatabase::openNoPrompt,
                            nullptr, 5, 5, 0));
    });
    ASSERT_FALSE(e) << Narrow(e->m_strError);
    DWORD cursors = 0;
    ASSERT_TRUE(db.GetODBCCursorsOption(cursors));
    EXPECT_EQ(cursors, DWORD(SQL_CUR_USE_ODBC));
    // Statements through the driver manager's cursor library are not checked: it is broken here.
}
