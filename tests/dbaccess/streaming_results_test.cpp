// Connections that hand over forward-only results as they are fetched: the options added to the
// user's string, what the drivers do with them, and memory cursors over such results across
// transactions on the same connection.
#include "conn_test_util.h"
#include "recordset_test_util.h"

#include "dbaccess/connect_items.h"
#include "dbaccess/driver_file.h"
#include "dbaccess/mem_cursor.h"

using namespace QlRsTest;

namespace {

TEST(ConnectItems, FoundAndReplacedByWholeNameOutsideBraces)
{
    CString value;
    EXPECT_TRUE(FindConnectItem(L"Driver={A;StepAPI=0};stepapi = 1 ;", L"StepAPI", &value));
    EXPECT_EQ(value, L"1");
    EXPECT_FALSE(FindConnectItem(L"MyStepAPI=1;StepAPIs=1", L"StepAPI"));
    EXPECT_TRUE(FindConnectItem(L"DSN=x;StepAPI=;", L"StepAPI", &value));
    EXPECT_EQ(value, L"");

    EXPECT_EQ(SetConnectItem(L"DSN=x;StepAPI=;Timeout=5", L"StepAPI", L"1"),
              L"DSN=x;Timeout=5;StepAPI=1;");
    EXPECT_EQ(SetConnectItem(L"PWD={a;StepAPI=0}", L"StepAPI", L"1"),
              L"PWD={a;StepAPI=0};StepAPI=1;");
    // Blanks before a name stay: SQLite's driver reads " Database" as another item.
    EXPECT_EQ(SetConnectItem(L"DSN=x; Database=a.db;;\tTimeout=5", L"StepAPI", L"1"),
              L"DSN=x; Database=a.db;\tTimeout=5;StepAPI=1;");
    EXPECT_EQ(SetConnectItem(L"", L"Fetch", L"100"), L"Fetch=100;");
}

TEST(ConnectItems, StreamingOptionsWhereTheUsersStringIsSilent)
{
    // SQLite steps where the user's string is silent; psqlODBC never streams on the user's
    // connection, and other drivers get nothing.
    EXPECT_EQ(StreamingConnectString(L"Driver=SQLite3;", L"libsqlite3odbc.so"),
              L"Driver=SQLite3;StepAPI=1;");
    EXPECT_EQ(StreamingConnectString(L"DSN=s;StepAPI=;", L"sqlite3odbc.dll"), L"DSN=s;StepAPI=1;");
    EXPECT_EQ(StreamingConnectString(L"DSN=s;StepAPI=0;", L"sqlite3odbc.dll"), L"");
    EXPECT_EQ(StreamingConnectString(L"DSN=s;stepapi=1;", L"sqlite3odbc.dll"), L"");
    EXPECT_EQ(StreamingConnectString(L"DSN=pg;UID=u", L"psqlodbcw.so"), L"");
    EXPECT_EQ(StreamingConnectString(L"DSN=f;", L"libquenlarkfake.so"), L"");

    EXPECT_TRUE(UserStringStreams(L"Driver=SQLite3;StepAPI=1", L"libsqlite3odbc.so"));
    EXPECT_FALSE(UserStringStreams(L"DSN=;StepAPI=;", L"libsqlite3odbc.so"));
    EXPECT_FALSE(UserStringStreams(L"StepAPI=0", L"libsqlite3odbc.so"));
    EXPECT_FALSE(UserStringStreams(L"UseDeclareFetch=1", L"psqlodbcw.so"));
}

TEST(ConnectItems, PostgreSQLReadsWholeAndEveryOptionGoesInTheFirstConnect)
{
    // The user's string, or what the data source set (the completed string), turning the
    // driver's cursors on is answered by a string that turns them off, in both forms of the name.
    EXPECT_EQ(WholeReadConnectString(L"DSN=pg;UseDeclareFetch=1;", L"", L"psqlodbcw.so"),
              L"DSN=pg;UseDeclareFetch=0;");
    EXPECT_EQ(WholeReadConnectString(L"DSN=pg;B6=1", L"", L"PSQLODBC35W.DLL"),
              L"DSN=pg;UseDeclareFetch=0;B6=0;");
    EXPECT_EQ(
        WholeReadConnectString(L"DSN=pg", L"DSN=pg;UseDeclareFetch=1;Fetch=100", L"psqlodbcw.so"),
        L"DSN=pg;UseDeclareFetch=0;");
    EXPECT_EQ(WholeReadConnectString(L"DSN=pg", L"DSN=pg;UseDeclareFetch=0", L"psqlodbcw.so"), L"");
    EXPECT_EQ(WholeReadConnectString(L"DSN=m;UseDeclareFetch=1", L"", L"libmaodbc.so"), L"");

    // The string the connection opens with, by the driver library found before connecting.
    const CString psql = L"/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so";
    EXPECT_EQ(ConnectStringWithOptions(L"DSN=pg;UseDeclareFetch=1;Protocol=7.4-1", psql, true),
              L"DSN=pg;UseDeclareFetch=0;Protocol=7.4-0;");
    EXPECT_EQ(ConnectStringWithOptions(L"DSN=pg;B6=1;", psql, true),
              L"DSN=pg;UseDeclareFetch=0;B6=0;Protocol=7.4-0;");
    EXPECT_EQ(ConnectStringWithOptions(L"DSN=pg;UseDeclareFetch=0;Protocol=7.4-0;", psql, true),
              L"DSN=pg;UseDeclareFetch=0;Protocol=7.4-0;");
    EXPECT_EQ(ConnectStringWithOptions(L"Driver=SQLite3;Database=a.db", L"libsqlite3odbc.so", true),
              L"Driver=SQLite3;Database=a.db;StepAPI=1;");
    EXPECT_EQ(ConnectStringWithOptions(L"Database=a.db;StepAPI=0", L"libsqlite3odbc.so", true),
              L"Database=a.db;StepAPI=0");
    EXPECT_EQ(ConnectStringWithOptions(L"Database=a.db", L"libsqlite3odbc.so", false),
              L"Database=a.db");
    EXPECT_EQ(ConnectStringWithOptions(L"DSN=m;UseDeclareFetch=1", L"libmaodbc.so", true),
              L"DSN=m;UseDeclareFetch=1");
    EXPECT_EQ(ConnectStringWithOptions(L"DSN=unknown", L"", true), L"DSN=unknown");
    // The completed string keeps the user's choice: the program's items go back or out.
    EXPECT_EQ(UsersCompletedString(L"DSN=s;Database=a.db;StepAPI=1;Timeout=5;", L"DSN=s",
                                   L"DSN=s;StepAPI=1;"),
              L"DSN=s;Database=a.db;Timeout=5;");
    EXPECT_EQ(UsersCompletedString(L"DSN=pg;UseDeclareFetch=0;Protocol=7.4-0;",
                                   L"DSN=pg;UseDeclareFetch=1;",
                                   L"DSN=pg;UseDeclareFetch=0;Protocol=7.4-0;"),
              L"DSN=pg;UseDeclareFetch=1;");
    EXPECT_EQ(UsersCompletedString(L"DSN=s;StepAPI=0;", L"DSN=s;StepAPI=0", L"DSN=s;StepAPI=0"),
              L"DSN=s;StepAPI=0;");
}

TEST(ConnectItems, SQLiteTakesAStringWithoutDataSourceOrDatabaseForItsFileName)
{
    const wchar_t driver[] = L"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
    EXPECT_TRUE(DriverTakesStringAsFileName(L"Driver=SQLite3;", driver));
    EXPECT_TRUE(DriverTakesStringAsFileName(L"Driver=SQLite3;Database = a.db;StepAPI=1", driver));
    EXPECT_TRUE(DriverTakesStringAsFileName(L"Driver=SQLite3;DSN=;", L"C:\\ODBC\\sqlite3odbc.dll"));
    EXPECT_FALSE(DriverTakesStringAsFileName(L"Driver=SQLite3;Database=/tmp/a.db", driver));
    EXPECT_FALSE(DriverTakesStringAsFileName(L"DSN=local;", driver));
    EXPECT_FALSE(DriverTakesStringAsFileName(L"Driver={PostgreSQL Unicode};", L"psqlodbcw.so"));
}

// What SQLite's driver opens for each string, as found by handing the strings to the driver
// through the driver manager: which file appeared (the whole string's name for Missing).
TEST(ConnectItems, SQLiteDatabaseIsReadAsTheDriverReadsIt)
{
    const struct
    {
        const wchar_t* connect;
        SQLiteDatabaseItem item;
        const wchar_t* value;
    } cases[] = {
        {L"Driver=SQLite3;Database=a.db;", SQLiteDatabaseItem::Usable, L"a.db"},
        {L"Driver=SQLite3;DATABASE=a.db", SQLiteDatabaseItem::Usable, L"a.db"},
        {L"Database=a.db;Driver=SQLite3", SQLiteDatabaseItem::Usable, L"a.db"},
        {L"Driver=SQLite3;;Database=a.db", SQLiteDatabaseItem::Usable, L"a.db"},
        {L"Driver=SQLite3;Database=Database=u.db", SQLiteDatabaseItem::Usable, L"Database=u.db"},
        // The first item of the name counts, the empty one too; a blank makes another name.
        {L"Driver=SQLite3;Database=i.db;Database=j.db", SQLiteDatabaseItem::Usable, L"i.db"},
        {L"Driver=SQLite3;Database =x;Database=v.db", SQLiteDatabaseItem::Usable, L"v.db"},
        {L"Driver=SQLite3;Database=;Database=t.db", SQLiteDatabaseItem::Missing, L""},
        {L"Driver=SQLite3;Database = a.db;", SQLiteDatabaseItem::Missing, L""},
        {L"Driver=SQLite3; Database=a.db;", SQLiteDatabaseItem::Missing, L""},
        {L"Driver=SQLite3;\tDatabase=a.db;", SQLiteDatabaseItem::Missing, L""},
        {L"Driver=SQLite3;MyDatabase=a.db;", SQLiteDatabaseItem::Missing, L""},
        {L"Driver=SQLite3;Database", SQLiteDatabaseItem::Missing, L""},
        {L"Driver=libsqlite3odbc.so;", SQLiteDatabaseItem::Missing, L""},
        {L"DSN=local;Database=;", SQLiteDatabaseItem::Usable, L""},
        // Values are kept as they stand: braces quote nothing, blanks stay.
        {L"Driver={SQLite3};Database={ };", SQLiteDatabaseItem::Unusable, L"{ }"},
        {L"Driver=SQLite3;Database={a.db};", SQLiteDatabaseItem::Unusable, L"{a.db}"},
        {L"Driver=SQLite3;Database={l;m.db}", SQLiteDatabaseItem::Unusable, L"{l"},
        {L"Driver=SQLite3;Database= a.db;", SQLiteDatabaseItem::Unusable, L" a.db"},
        {L"Driver=SQLite3;Database=a.db ;", SQLiteDatabaseItem::Unusable, L"a.db "},
        {L"Driver=SQLite3;Database= ;", SQLiteDatabaseItem::Unusable, L" "},
    };
    for (const auto& c : cases)
    {
        CString value = L"<unset>";
        EXPECT_EQ(ReadSQLiteDatabaseItem(c.connect, &value), c.item) << CStringA(c.connect);
        EXPECT_EQ(value, CString(c.value)) << CStringA(c.connect);
    }
    CString value;
    EXPECT_TRUE(FindSQLiteDriverItem(L"Driver={A;StepAPI=0};StepAPI=1", L"StepAPI", &value));
    EXPECT_EQ(value, L"0}");
}

// A scratch table of n rows (id, v = 'v' || id), unique to this process and moment.
CString MakeRows(Connection& conn, int n)
{
    static int counter = 0;
    CString stem;
    stem.Format(L"stream_%lu_%d", GetTickCount() % 100000, ++counter);
    const CString table = conn.Table(stem);
    conn.Exec(L"CREATE TABLE " + table + L" (id INTEGER PRIMARY KEY, v VARCHAR(20))");
    conn.database->BeginTrans();
    for (int i = 1; i <= n; ++i)
    {
        CString sql;
        sql.Format(L"INSERT INTO %s VALUES (%d, 'v%d')", (LPCWSTR)table, i, i);
        conn.database->ExecuteSQL(sql);
    }
    conn.database->EndTrans(true);
    return table;
}

std::unique_ptr<Zelt::CMemCursor> OpenMem(Connection& conn, const CString& table)
{
    auto rs = std::make_unique<CRRecordset>(conn.database.get());
    rs->Open(L"SELECT id, v FROM " + table + L" ORDER BY id", RS_FORWARD_ONLY,
             RS_NUMERIC_AS_TEXT | RS_DECLARED_COLUMNS);
    auto mem = std::make_unique<Zelt::CMemCursor>(std::move(rs));
    if (conn.database->IsStreamingResults())
        mem->ReadToEndBeforeTransactions(conn.database.get());
    return mem;
}

CString TextAt(Zelt::ICursor& c, int row, UINT col)
{
    CString text;
    if (c.SetAbsolutePosition(row))
        c.GetFieldText(col, text);
    return text;
}

// The three ways a SQLite connection may be made: the user's string silent (the program steps,
// but only through reads that say their columns are declared), asking for stepping (everything
// forward-only steps), or refusing it. Stepping shows in what a half-read result sees: a row
// changed on the same connection after the statement began but before the row was fetched comes
// with its new value. Results read whole keep the driver's own typing of expressions.
TEST(StreamingConnection, SQLiteStepsThroughDeclaredReadsUnlessTheUserDecides)
{
    struct Mode
    {
        LPCWSTR stepApi;
        bool streaming, declaredOnly;
    } modes[] = {{L"", true, true}, {L"StepAPI=1;", true, false}, {L"StepAPI=0;", false, false}};
    for (const Mode& mode : modes)
    {
        SCOPED_TRACE(CStringA(mode.stepApi).GetString());
        Connection conn(Db::SQLite);
        ASSERT_TRUE(conn.database->Open(conn.file->Connect() + mode.stepApi,
                                        CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        EXPECT_EQ(conn.database->IsStreamingResults(), mode.streaming);
        EXPECT_EQ(conn.database->StreamsDeclaredColumnsOnly(), mode.declaredOnly);
        EXPECT_EQ(conn.database->ReadsResultsBeforeStatements(), mode.streaming);
        // The completed string shows the user's own.
        EXPECT_EQ(conn.database->GetConnect().Find(L"StepAPI=1") >= 0,
                  CString(mode.stepApi) == L"StepAPI=1;");
        const CString table = MakeRows(conn, 2000);
        for (UINT declared : {0u, static_cast<UINT>(RS_DECLARED_COLUMNS)})
        {
            CRRecordset rs(conn.database.get());
            ASSERT_TRUE(rs.Open(L"SELECT id, v FROM " + table + L" ORDER BY id", RS_FORWARD_ONLY,
                                RS_NUMERIC_AS_TEXT | declared));
            EXPECT_TRUE(rs.IsForwardOnly());
            conn.database->ExecuteSQL(L"UPDATE " + table + L" SET v='late' WHERE id=1900");
            CString v;
            int rows = 0;
            for (; !rs.IsEOF(); rs.MoveNext(), ++rows)
                if (rows == 1899)
                    rs.GetFieldText(2, v);
            EXPECT_EQ(rows, 2000);
            const bool steps = mode.streaming && (declared || !mode.declaredOnly);
            EXPECT_EQ(v, steps ? L"late" : L"v1900") << declared;
            rs.Close();
            conn.database->ExecuteSQL(L"UPDATE " + table + L" SET v='v1900' WHERE id=1900");
        }
        // Expressions keep their types unless the user asked for stepping (then they are text).
        CRRecordset rs(conn.database.get());
        ASSERT_TRUE(rs.Open(L"SELECT count(*), 1.5 FROM " + table, RS_FORWARD_ONLY, 0));
        EXPECT_TRUE(rs.IsForwardOnly());
        if (mode.declaredOnly || !mode.streaming)
        {
            EXPECT_EQ(rs.GetColumnSQLType(1), SQL_INTEGER);
            EXPECT_EQ(rs.GetColumnSQLType(2), SQL_DOUBLE);
            long count = 0;
            QL_EXPECT_NO_DB_THROW(rs.GetFieldLong(1, count));
            EXPECT_EQ(count, 2000);
        }
        else
            EXPECT_EQ(rs.GetColumnSQLType(1), SQL_VARCHAR);
        rs.Close();
        // Stepping, the driver would take a change that begins like a query for one and not run
        // it: the program's own statements ask for the whole read (a recordset's only where the
        // program chose the stepping).
        const CString insert = L"WITH RECURSIVE c(x) AS (SELECT 2001 UNION ALL SELECT x + 1 "
                               L"FROM c WHERE x < 2010) INSERT INTO " +
                               table + L" SELECT x, 'w' FROM c";
        conn.database->ExecuteSQL(insert);
        EXPECT_EQ(QlConnTest::QueryText(*conn.database, L"SELECT count(*) FROM " + table), L"2010");
        if (mode.declaredOnly || !mode.streaming)
        {
            CRRecordset change(conn.database.get());
            change.Open(L"WITH d AS (SELECT 2005 AS m) DELETE FROM " + table +
                            L" WHERE id > (SELECT m FROM d)",
                        RS_FORWARD_ONLY, 0);
            EXPECT_EQ(QlConnTest::QueryText(*conn.database, L"SELECT count(*) FROM " + table),
                      L"2005");
        }
    }
}

// A memory cursor part way through a stepping SQLite result is read to its end before any other
// statement on the connection runs: the rows still to come then read as they were when the
// window opened (a change made meanwhile would show in them, and a row whose key moves past the
// read would be met twice), and the statement's shared lock on the file is gone, so other
// processes may write. Reading on in slices ends the lock as well.
TEST(StreamingConnection, SQLiteResultsPartReadEndBeforeOtherStatements)
{
    enum Via
    {
        direct,
        prepared,
        slices
    };
    for (Via via : {direct, prepared, slices})
    {
        SCOPED_TRACE(static_cast<int>(via));
        Connection conn(Db::SQLite);
        ASSERT_TRUE(conn.database->StreamsDeclaredColumnsOnly());
        const CString table = MakeRows(conn, 1500);
        auto mem = OpenMem(conn, table);
        ASSERT_TRUE(mem->SetAbsolutePosition(10));
        CRDatabase other;
        ASSERT_TRUE(other.Open(conn.file->Connect() + L"Timeout=100;", CRDatabase::openNoPrompt,
                               nullptr, 0, 0, 0));
        EXPECT_THROW(other.ExecuteSQL(L"UPDATE " + table + L" SET v='other' WHERE id=2"),
                     Zelt::CRDBException*)
            << "a part-read result holds the file's shared lock";
        if (via == direct)
            conn.database->ExecuteSQL(L"UPDATE " + table + L" SET id=9999, v='moved' WHERE id=5");
        else if (via == prepared)
        {
            CRRecordset rs(conn.database.get());
            ASSERT_TRUE(rs.Prepare(L"UPDATE " + table + L" SET id=9999, v='moved' WHERE id=?",
                                   RS_FORWARD_ONLY, 0));
            rs.AddLongParameter(1, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, 5, false);
            rs.Execute();
        }
        else
        {
            int reads = 0;
            while (mem->ReadOn(100))
                ++reads;
            EXPECT_GE(reads, 10);
        }
        Zelt::ICursor::CStatus status;
        mem->GetStatus(status);
        EXPECT_TRUE(status.bCountFinal);
        EXPECT_EQ(status.nCurrentRow, 9);
        EXPECT_EQ(mem->GetRecordCount(), 1500);
        EXPECT_EQ(TextAt(*mem, 1500, 2), L"v1500");
        EXPECT_EQ(TextAt(*mem, 5, 2), L"v5");
        QL_EXPECT_NO_DB_THROW(other.ExecuteSQL(L"UPDATE " + table + L" SET v='other' WHERE id=2"));
        if (via != slices)
        {
            EXPECT_EQ(QlConnTest::QueryText(other, L"SELECT v FROM " + table + L" WHERE id=9999"),
                      L"moved");
        }
    }
}

// Inside a transaction a stepping read sees the transaction's own rows, and ending the
// transaction reads it to its end first.
TEST(StreamingConnection, SQLiteStepsInsideATransaction)
{
    Connection conn(Db::SQLite);
    const CString table = MakeRows(conn, 1200);
    conn.database->BeginTrans();
    conn.database->ExecuteSQL(L"INSERT INTO " + table + L" VALUES (1201, 'mine')");
    auto mem = OpenMem(conn, table);
    ASSERT_TRUE(mem->MoveFirst());
    conn.database->EndTrans(false);
    EXPECT_EQ(mem->GetRecordCount(), 1201);
    EXPECT_EQ(TextAt(*mem, 1201, 2), L"mine");
    EXPECT_EQ(QlConnTest::QueryText(*conn.database, L"SELECT count(*) FROM " + table), L"1200");
}

// A transaction begun or ended while a memory cursor is half way through a stepping result would
// end the statement (SQLite: a silent early end); the cursor reads the rest first, so every row
// stays and edits are kept.
TEST(StreamingConnection, MemoryCursorKeepsEveryRowAcrossTransactions)
{
    for (Db kind : {Db::SQLite})
    {
        for (bool commit : {true, false})
        {
            Connection conn(kind);
            ASSERT_TRUE(conn.database->IsStreamingResults()) << DbName(kind);
            // More rows than the driver fetches when the statement runs.
            const CString table = MakeRows(conn, 7000);
            auto mem = OpenMem(conn, table);
            ASSERT_TRUE(mem->MoveFirst());
            ASSERT_TRUE(mem->SetAbsolutePosition(10));
            conn.database->BeginTrans();
            conn.database->ExecuteSQL(L"UPDATE " + table + L" SET v='edited' WHERE id=5");
            conn.database->EndTrans(commit);

            Zelt::ICursor::CStatus status;
            mem->GetStatus(status);
            EXPECT_EQ(status.nCurrentRow, 9) << DbName(kind);
            EXPECT_TRUE(status.bCountFinal) << DbName(kind);
            EXPECT_EQ(mem->GetRecordCount(), 7000) << DbName(kind) << commit;
            EXPECT_EQ(TextAt(*mem, 7000, 2), L"v7000");
            CRDatabase other;
            ASSERT_TRUE(
                other.Open(kind == Db::SQLite ? conn.file->Connect() : QlTestDb::PostgresConnect(),
                           CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
            EXPECT_EQ(QlConnTest::QueryText(other, L"SELECT v FROM " + table + L" WHERE id=5"),
                      commit ? L"edited" : L"v5")
                << DbName(kind);
        }
    }
}

// A stepping read that fails part way (here a value computed as each row is read), read ahead
// as a window reads it, stops the memory cursor's rows wherever the failure is met: by reading
// on in the window's slices (only rows fetched by then), by a step of the grid's, or by a
// transaction that reads the rest first, which must not fail for it. The rows read stay, their
// count is never called final, the failure is kept with the server's words and noticed once,
// and the statement has ended (another connection writes at once).
TEST(StreamingConnection, AFailingReadStopsTheRowsAndKeepsWhy)
{
    enum Via
    {
        slices,
        steps,
        transaction
    };
    for (Via via : {slices, steps, transaction})
    {
        SCOPED_TRACE(static_cast<int>(via));
        Connection conn(Db::SQLite);
        const CString table = conn.Table(L"stops");
        conn.Exec(L"CREATE TABLE " + table + L" (id INTEGER PRIMARY KEY, n INTEGER)");
        conn.Exec(L"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 6000) "
                  L"INSERT INTO " +
                  table +
                  L" SELECT x, CASE x WHEN 5000 THEN -9223372036854775807 - 1 ELSE x END "
                  L"FROM c");
        auto rs = std::make_unique<CRRecordset>(conn.database.get());
        ASSERT_TRUE(rs->Open(L"SELECT id, abs(n) AS a FROM " + table + L" ORDER BY id",
                             RS_FORWARD_ONLY, RS_NUMERIC_AS_TEXT | RS_DECLARED_COLUMNS));
        // Read ahead on a thread, as a window reads: the failure is met there.
        rs->ReadAheadFromNextBlock();
        auto mem = std::make_unique<Zelt::CMemCursor>(std::move(rs));
        mem->ReadToEndBeforeTransactions(conn.database.get());
        int notices = 0;
        mem->SetStopNotice([&] { ++notices; });
        ASSERT_TRUE(mem->MoveFirst());
        if (via == slices)
        {
            // The window's slices, which take only the rows fetched by then.
            QL_EXPECT_NO_DB_THROW(while (mem->ReadOnUntil(GetTickMs() + 25)){});
        }
        else if (via == steps)
        {
            QL_EXPECT_NO_DB_THROW(while (mem->MoveNext() && !mem->IsEOF()){});
        }
        else
        {
            QL_EXPECT_NO_DB_THROW(conn.database->BeginTrans());
            QL_EXPECT_NO_DB_THROW(conn.database->EndTrans(true));
        }
        ASSERT_TRUE(mem->IsStopped());
        EXPECT_EQ(notices, 1);
        EXPECT_GE(mem->GetStopError()->m_strError.Find(L"overflow"), 0)
            << CStringA(mem->GetStopError()->m_strError).GetString();
        EXPECT_EQ(mem->GetRecordCount(), 4999);
        EXPECT_FALSE(mem->IsSourceOpen());
        Zelt::ICursor::CStatus status;
        mem->GetStatus(status);
        EXPECT_FALSE(status.bCountFinal);
        // Past the last row read is the end, as after a whole result; nothing fails again.
        EXPECT_FALSE(mem->SetAbsolutePosition(5001));
        EXPECT_TRUE(mem->MoveLast());
        EXPECT_EQ(TextAt(*mem, 4999, 2), L"4999");
        EXPECT_TRUE(mem->SetAbsolutePosition(5000));
        EXPECT_TRUE(mem->IsEOF());
        EXPECT_FALSE(mem->MoveNext());
        EXPECT_FALSE(mem->ReadOn(100));
        EXPECT_EQ(notices, 1);
        mem->GetStatus(status);
        EXPECT_FALSE(status.bCountFinal);
        CRDatabase other;
        ASSERT_TRUE(other.Open(conn.file->Connect() + L"Timeout=100;", CRDatabase::openNoPrompt,
                               nullptr, 0, 0, 0));
        QL_EXPECT_NO_DB_THROW(other.ExecuteSQL(L"UPDATE " + table + L" SET n = 1 WHERE id = 2"));
    }
}

// The user's query on a SQLite connection the program made stepping: one that the driver
// describes as declared throughout streams, every other is read whole; either way each column
// has the type and each value the text the whole read gives it (a value of another kind than its
// column's type included), and a failing text fails as it would.
TEST(StreamingConnection, SQLiteQueryStreamsOnlyWhereTypedAsReadWhole)
{
    for (LPCWSTR stepApi : {L"", L"StepAPI=1;"})
    {
        SCOPED_TRACE(CStringA(stepApi).GetString());
        Connection conn(Db::SQLite);
        ASSERT_TRUE(conn.database->Open(conn.file->Connect() + stepApi, CRDatabase::openNoPrompt,
                                        nullptr, 0, 0, 0));
        const CString t = conn.Table(L"typed");
        conn.Exec(L"CREATE TABLE " + t +
                  L" (id INTEGER PRIMARY KEY, v VARCHAR(20), d DOUBLE, x TEXT, b BLOB, u, "
                  L"l varchar(255))");
        conn.Exec(L"INSERT INTO " + t +
                  L" VALUES (1, 'a', 1.5, 'xa', x'01ff', 7, 'la'), (2, 3, 2, NULL, NULL, 'w', 4),"
                  L" (3, 'c', 'nan?', 'xc', 'text', 2.5, NULL)");
        struct Query
        {
            LPCWSTR select;
            bool streams;
        } queries[] = {
            {L"SELECT id, v, d, x, b FROM %s ORDER BY id", true},
            {L"SELECT v AS renamed, * FROM %s ORDER BY id", false}, // u and l
            {L"SELECT id, u FROM %s ORDER BY id", false},
            {L"SELECT id, l FROM %s ORDER BY id", false},
            {L"SELECT id, v || 'z', count(*) OVER () FROM %s ORDER BY id", false},
            {L"  select d, (SELECT max(id) FROM %s) FROM %s", false},
            {L"WITH q AS (SELECT id FROM %s) SELECT id FROM q", false},
        };
        for (const Query& q : queries)
        {
            CString sql;
            sql.Format(q.select, (LPCWSTR)t, (LPCWSTR)t);
            SCOPED_TRACE(CStringA(sql).GetString());
            CRRecordset whole(conn.database.get()), query(conn.database.get());
            ASSERT_TRUE(whole.Open(sql, RS_STATIC, RS_NUMERIC_AS_TEXT));
            ASSERT_TRUE(query.Open(sql, RS_STATIC, RS_NUMERIC_AS_TEXT | RS_QUERY_MAY_STREAM));
            EXPECT_EQ(query.StreamsRows(), q.streams);
            EXPECT_EQ(query.IsForwardOnly(), q.streams);
            ASSERT_EQ(query.GetColumnCount(), whole.GetColumnCount());
            for (UINT c = 1; c <= static_cast<UINT>(whole.GetColumnCount()); ++c)
                EXPECT_EQ(query.GetColumnSQLType(c), whole.GetColumnSQLType(c)) << c;
            int rows = 0;
            for (whole.MoveFirst(); !whole.IsEOF(); whole.MoveNext(), query.MoveNext(), ++rows)
            {
                ASSERT_FALSE(query.IsEOF());
                for (UINT c = 1; c <= static_cast<UINT>(whole.GetColumnCount()); ++c)
                {
                    CString a, b;
                    whole.GetFieldText(c, a);
                    query.GetFieldText(c, b);
                    EXPECT_EQ(b, a) << rows << "," << c;
                    EXPECT_EQ(query.IsFieldNull(c), whole.IsFieldNull(c)) << rows << "," << c;
                    EXPECT_EQ(query.IsFieldHeldAsText(c), whole.IsFieldHeldAsText(c))
                        << rows << "," << c;
                }
            }
            EXPECT_TRUE(query.IsEOF());
            EXPECT_GT(rows, 0);
        }
        CRRecordset failing(conn.database.get());
        EXPECT_THROW(failing.Open(L"SELECT nothing FROM " + t, RS_STATIC,
                                  RS_NUMERIC_AS_TEXT | RS_QUERY_MAY_STREAM),
                     Zelt::CRDBException*);
    }
}

TEST(StreamingConnection, MemoryCursorReportsItsStatementsTable)
{
    Connection conn(Db::SQLite);
    const CString table = MakeRows(conn, 3);
    auto mem = OpenMem(conn, table);
    EXPECT_EQ(mem->GetTableName(), table);
    mem->MoveLast();
    // Still known once the source is gone.
    EXPECT_EQ(mem->GetTableName(), table);
}

} // namespace
