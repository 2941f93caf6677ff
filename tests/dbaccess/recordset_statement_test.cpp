// Statement lifecycle of the recordset: parameters, re-execution, further results, timeouts.
#include "recordset_test_util.h"

using namespace QlRsTest;

namespace {

class RecordsetStatement : public testing::TestWithParam<Db>
{
protected:
    void SetUp() override { conn = std::make_unique<Connection>(GetParam()); }
    std::unique_ptr<Connection> conn;
};

std::string DbParamName(const testing::TestParamInfo<Db>& info)
{
    return DbName(info.param);
}

void RecordsetStatement_ParametersRoundTrip(Connection* conn, Db db)
{
    const CString t = conn->Table(L"params");
    const CString blob = db == Db::PostgreSQL ? L"BYTEA" : L"BLOB";
    const CString ts = db == Db::MariaDB ? L"DATETIME" : L"TIMESTAMP";
    conn->Exec(L"CREATE TABLE " + t + L" (id INTEGER, s VARCHAR(40), d " +
               CString(db == Db::PostgreSQL ? L"DOUBLE PRECISION" : L"DOUBLE") + L", ts " + ts +
               L", b " + blob + L", n INTEGER)");

    const CString unicode = L"Gr\u00fc\u00dfe \u65e5\u672c \u0416 \u20ac \U0001F600";
    const BYTE data[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
    TIMESTAMP_STRUCT when{2021, 6, 7, 8, 9, 10, 0};

    CRRecordset ins(conn->database.get());
    ASSERT_TRUE(
        ins.Prepare(L"INSERT INTO " + t + L" (id, s, d, ts, b, n) VALUES (?, ?, ?, ?, ?, ?)"));
    ins.AddLongParameter(1, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, 1, false);
    ins.AddTextParameter(2, SQL_PARAM_INPUT, SQL_WVARCHAR, 40, 0, unicode, 40);
    ins.AddDoubleParameter(3, SQL_PARAM_INPUT, SQL_DOUBLE, 15, 0, 0.125, false);
    ins.AddTimestampParameter(4, SQL_PARAM_INPUT, SQL_TYPE_TIMESTAMP, 19, 0, &when);
    ins.AddBinaryParameter(5, SQL_PARAM_INPUT, SQL_VARBINARY, 5, 0, 5, 5, data);
    ins.AddLongParameter(6, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, 0, true);
    QL_EXPECT_NO_DB_THROW(EXPECT_TRUE(ins.Execute()));
    EXPECT_TRUE(ins.IsParamNull(6));
    EXPECT_FALSE(ins.IsParamNull(1));
    CString text;
    ins.GetValueText(2, text);
    EXPECT_EQ(W(text), W(unicode));
    ins.GetValueText(5, text);
    EXPECT_EQ(W(text), L"00017F80FF");

    // A text longer than its declared length is sent whole, never cut or overrun; an empty
    // text is an empty string and a null text is NULL.
    CRRecordset ins2(conn->database.get());
    ASSERT_TRUE(ins2.Prepare(L"INSERT INTO " + t + L" (id, s) VALUES (?, ?)"));
    ins2.AddLongParameter(1, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, 2, false);
    ins2.AddTextParameter(2, SQL_PARAM_INPUT, SQL_WVARCHAR, 40, 0, L"twelve chars", 3);
    QL_EXPECT_NO_DB_THROW(EXPECT_TRUE(ins2.Execute()));
    ins2.GetValueText(2, text);
    EXPECT_EQ(W(text), L"twelve chars");

    CRRecordset ins3(conn->database.get());
    ASSERT_TRUE(ins3.Prepare(L"INSERT INTO " + t + L" (id, s) VALUES (?, ?)"));
    ins3.AddLongParameter(1, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, 3, false);
    ins3.AddTextParameter(2, SQL_PARAM_INPUT, SQL_WVARCHAR, 40, 0, L"", 40);
    QL_EXPECT_NO_DB_THROW(EXPECT_TRUE(ins3.Execute()));
    CRRecordset ins4(conn->database.get());
    ASSERT_TRUE(ins4.Prepare(L"INSERT INTO " + t + L" (id, s) VALUES (?, ?)"));
    ins4.AddLongParameter(1, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, 4, false);
    ins4.AddTextParameter(2, SQL_PARAM_INPUT, SQL_WVARCHAR, 40, 0, nullptr, 40);
    QL_EXPECT_NO_DB_THROW(EXPECT_TRUE(ins4.Execute()));
    EXPECT_TRUE(ins4.IsParamNull(2));

    for (UINT options : {0u, static_cast<UINT>(RS_UNBOUND)})
    {
        CRRecordset rs(conn->database.get());
        bool opened = false;
        QL_EXPECT_NO_DB_THROW(opened =
                                  rs.Open(L"SELECT id, s, d, ts, b, n FROM " + t + L" ORDER BY id",
                                          RS_FORWARD_ONLY, RS_READONLY | options));
        ASSERT_TRUE(opened);
        EXPECT_EQ(Text(rs, 2), W(unicode)) << options;
        EXPECT_EQ(Text(rs, 3), L"0.125");
        EXPECT_EQ(Text(rs, 4), L"2021/06/07 08:09:10");
        EXPECT_EQ(Text(rs, 5), L"00017F80FF");
        EXPECT_EQ(Text(rs, 6), L"<null>");
        rs.MoveNext();
        EXPECT_EQ(Text(rs, 2), L"twelve chars");
        rs.MoveNext();
        EXPECT_EQ(Text(rs, 2), L"");
        rs.MoveNext();
        EXPECT_EQ(Text(rs, 2), L"<null>");
        rs.MoveNext();
        EXPECT_TRUE(rs.IsEOF());
    }

    // The same text written as a literal in the statement and compared by the database (the
    // SQLite driver cuts statement text at characters beyond the 16-bit range, so the
    // comparison stops before the last one).
    CRRecordset lit(conn->database.get());
    const CString prefix = db == Db::PostgreSQL ? L"N'" : L"'";
    ASSERT_TRUE(lit.Open(L"SELECT id FROM " + t + L" WHERE s LIKE " + prefix +
                         unicode.Left(unicode.GetLength() - 2) + L"%'"));
    long id = 0;
    ASSERT_FALSE(lit.IsEOF());
    ASSERT_TRUE(lit.GetFieldLong(1, id));
    EXPECT_EQ(id, 1);
}

TEST_P(RecordsetStatement, StatementWithoutResultAndRowCount)
{
    const CString t = conn->Table(L"stmt");
    conn->Exec(L"CREATE TABLE " + t + L" (id INTEGER, s VARCHAR(10))");
    CRRecordset rs(conn->database.get());
    EXPECT_TRUE(rs.Open(nullptr));
    EXPECT_EQ(rs.GetColumnCount(), 0);
    EXPECT_EQ(rs.GetStmtHandle(), nullptr);

    ASSERT_TRUE(rs.Open(L"INSERT INTO " + t + L" VALUES (1, 'a'), (2, 'b')"));
    EXPECT_EQ(rs.GetColumnCount(), 0);
    EXPECT_FALSE(rs.HasResultColumns());
    EXPECT_FALSE(rs.IsBOF());
    EXPECT_FALSE(rs.IsEOF());
    SQLLEN count = 0;
    ASSERT_TRUE(rs.GetRowCount(&count));
    EXPECT_EQ(count, 2);
    EXPECT_FALSE(rs.GetRowCount(nullptr));
}

TEST_P(RecordsetStatement, ParametersGoInAndTextComesBackWhole)
{
    QL_EXPECT_NO_DB_THROW(RecordsetStatement_ParametersRoundTrip(conn.get(), GetParam()));
}

TEST_P(RecordsetStatement, ExecutingAgainClosesTheOpenResult)
{
    const CString t = conn->Table(L"reexec");
    conn->Exec(L"CREATE TABLE " + t + L" (id INTEGER)");
    conn->Exec(L"INSERT INTO " + t + L" VALUES (1)");
    conn->Exec(L"INSERT INTO " + t + L" VALUES (2)");
    conn->Exec(L"INSERT INTO " + t + L" VALUES (3)");
    CRRecordset rs(conn->database.get());
    ASSERT_TRUE(rs.Prepare(L"SELECT id FROM " + t + L" WHERE id >= ? ORDER BY id", RS_FORWARD_ONLY,
                           RS_READONLY));
    rs.AddLongParameter(1, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, 2, false);
    for (int round = 0; round < 2; ++round)
    {
        ASSERT_TRUE(rs.Execute()) << round;
        long id = 0;
        ASSERT_TRUE(rs.GetFieldLong(1, id));
        EXPECT_EQ(id, 2);
        Zelt::ICursor::CStatus status;
        rs.GetStatus(status);
        EXPECT_EQ(status.nCurrentRow, 0);
        EXPECT_EQ(rs.GetRecordCount(), 1);
        // leave the result open, one row unread
    }
}

TEST_P(RecordsetStatement, QueryTimeoutOnlyWhileNoResultIsOpen)
{
    conn->database->SetQueryTimeout(7);
    CRRecordset rs(conn->database.get());
    EXPECT_EQ(rs.GetQueryTimeout(), 7u);
    ASSERT_TRUE(rs.Open(L"SELECT 1"));
    EXPECT_FALSE(rs.SetQueryTimeout(3));
    EXPECT_EQ(rs.GetQueryTimeout(), 7u);
    rs.Close();
    EXPECT_TRUE(rs.SetQueryTimeout(3));
    EXPECT_EQ(rs.GetQueryTimeout(), 3u);
}

INSTANTIATE_TEST_SUITE_P(AllDatabases, RecordsetStatement,
                         testing::Values(Db::SQLite, Db::PostgreSQL, Db::MariaDB), DbParamName);

TEST(RecordsetStatementPostgres, TimeoutStopsALongStatement)
{
    Connection conn(Db::PostgreSQL);
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.SetQueryTimeout(1));
    const LONGLONG start = GetTickMs();
    std::wstring message = ThrownMessage([&] { rs.Open(L"SELECT pg_sleep(10)"); });
    const LONGLONG spent = GetTickMs() - start;
    EXPECT_NE(message, L"");
    EXPECT_LT(spent, 6000);
    // The connection is still usable.
    CRRecordset again(conn.database.get());
    ASSERT_TRUE(again.Open(L"SELECT 42"));
    long v = 0;
    ASSERT_TRUE(again.GetFieldLong(1, v));
    EXPECT_EQ(v, 42);
}

TEST(RecordsetStatementPostgres, MoreResultsStartsEachResultAfresh)
{
    Connection conn(Db::PostgreSQL);
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open(L"SELECT 1 AS a, 'x' AS b UNION ALL SELECT 2, 'y'; "
                        L"SELECT CAST(3.5 AS DOUBLE PRECISION) AS c",
                        RS_FORWARD_ONLY, RS_READONLY));
    ASSERT_EQ(rs.GetColumnCount(), 2);
    rs.MoveNext();
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetRecordCount(), 2);

    ASSERT_TRUE(rs.MoreResults());
    ASSERT_EQ(rs.GetColumnCount(), 1);
    EXPECT_EQ(W(rs.GetColumnName(1)), L"c");
    EXPECT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetRecordCount(), 1);
    Zelt::ICursor::CStatus status;
    rs.GetStatus(status);
    EXPECT_EQ(status.nCurrentRow, 0);
    double d = 0;
    ASSERT_TRUE(rs.GetFieldDouble(1, d));
    EXPECT_EQ(d, 3.5);
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_FALSE(rs.MoreResults());
}

// A statement cursor that may update its rows is what a table window asks for. Asked for one,
// psqlODBC would add its row identity to a SELECT from what it takes for one table (a view has
// none); PostgreSQL results are read read-only as written instead, a table's, a view's and a
// function's rows alike, with nothing refused. Errors of the text itself come through as they
// are, and a transaction the program holds goes on.
TEST(RecordsetStatementPostgres, UpdatableReadOfAViewComesBackReadOnly)
{
    Connection conn(Db::PostgreSQL);
    // Temporary: they end with the connection, the view before its table.
    const CString t = conn.Table(L"viewed"), v = t + L"_v";
    conn.Exec(L"CREATE TEMPORARY TABLE " + t + L" (id INTEGER PRIMARY KEY, s VARCHAR(9))");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (1, 'a'), (2, 'b')");
    conn.Exec(L"CREATE TEMPORARY VIEW " + v + L" AS SELECT * FROM " + t);

    const auto readsBoth = [&](const CString& sql) {
        CRRecordset rs(conn.database.get());
        const std::wstring message = ThrownMessage([&] {
            ASSERT_TRUE(rs.Open(sql, RS_STATIC, RS_NUMERIC_AS_TEXT));
            EXPECT_TRUE(rs.IsReadOnly());
            EXPECT_FALSE(rs.AreUpdatesRefused());
            EXPECT_EQ(rs.GetColumnCount(), 2) << CStringA(sql).GetString();
            std::vector<std::wstring> values;
            for (; !rs.IsEOF(); rs.MoveNext())
            {
                CString text;
                rs.GetFieldText(2, text);
                values.push_back(W(text));
            }
            EXPECT_EQ(values, (std::vector<std::wstring>{L"a", L"b"})) << CStringA(sql).GetString();
        });
        EXPECT_EQ(message, L"") << CStringA(sql).GetString();
    };
    readsBoth(L"SELECT * FROM " + t + L" ORDER BY id");
    conn.Exec(L"CREATE FUNCTION pg_temp.\"" + t + L"_f\"() RETURNS SETOF " + t +
              L" LANGUAGE sql AS 'SELECT * FROM " + t + L" ORDER BY id'");
    readsBoth(L"SELECT * FROM pg_temp.\"" + t + L"_f\"()");
    readsBoth(L"SELECT * FROM " + v + L" ORDER BY id");
    readsBoth(L"select id, s from " + v + L" where id > 0 order by 1");

    // The user's own mistake is reported as it is, not as the driver's added column.
    CRRecordset wrong(conn.database.get());
    const std::wstring message =
        ThrownMessage([&] { wrong.Open(L"SELECT nosuch FROM " + v, RS_STATIC, 0); });
    EXPECT_NE(message.find(L"nosuch"), std::wstring::npos) << CStringA(message.c_str()).GetString();
    EXPECT_EQ(message.find(L"ctid"), std::wstring::npos) << CStringA(message.c_str()).GetString();

    // While the view's rows stay open, the function's rows open too, and the statements after
    // them run: the driver's failed look-up of the function as a table aborts nothing.
    // Named without its schema, as the driver then looks it up as a table in the catalog.
    const CString f = L"\"" + t + L"_g\"()";
    conn.Exec(L"CREATE FUNCTION " + f +
              L" RETURNS TABLE (id INTEGER, s VARCHAR) LANGUAGE sql "
              L"AS 'SELECT * FROM " +
              t + L" ORDER BY id'");
    {
        CRRecordset open(conn.database.get());
        ASSERT_TRUE(open.Open(L"SELECT * FROM " + v, RS_STATIC, RS_NUMERIC_AS_TEXT));
        readsBoth(L"SELECT * FROM " + f);
        readsBoth(L"SELECT * FROM " + v + L" ORDER BY id");
        EXPECT_FALSE(open.IsEOF());
    }

    // Inside a transaction: the rejected text leaves it usable, and the read sees its change.
    ASSERT_TRUE(conn.database->BeginTrans());
    conn.Exec(L"UPDATE " + t + L" SET s = 'c' WHERE id = 2");
    {
        CRRecordset open(conn.database.get());
        ASSERT_TRUE(open.Open(L"SELECT * FROM " + v, RS_STATIC, RS_NUMERIC_AS_TEXT));
        CRRecordset rows(conn.database.get());
        EXPECT_EQ(ThrownMessage([&] { rows.Open(L"SELECT * FROM " + f, RS_STATIC, 0); }), L"");
        EXPECT_TRUE(rows.IsReadOnly());
    }
    {
        CRRecordset rs(conn.database.get());
        ASSERT_EQ(
            ThrownMessage([&] { rs.Open(L"SELECT s FROM " + v + L" WHERE id = 2", RS_STATIC, 0); }),
            L"");
        CString text;
        ASSERT_FALSE(rs.IsEOF());
        rs.GetFieldText(1, text);
        EXPECT_EQ(W(text), L"c");
    }
    EXPECT_TRUE(conn.database->EndTrans(false));
    CRRecordset after(conn.database.get());
    ASSERT_TRUE(after.Open(L"SELECT s FROM " + t + L" WHERE id = 2", RS_FORWARD_ONLY, RS_READONLY));
    CString text;
    after.GetFieldText(1, text);
    EXPECT_EQ(W(text), L"b");
    conn.Exec(L"DROP FUNCTION " + f);
}

// A text the server rejected after part of it ran is not run again: each row it adds is there
// once, seen from another session, in autocommit and in the user's transaction.
TEST(RecordsetStatementPostgres, UpdatableReadRunsNothingTwice)
{
    Connection conn(Db::PostgreSQL), other(Db::PostgreSQL);
    const CString t = conn.Table(L"once");
    conn.Exec(L"CREATE TABLE " + t + L" (id INTEGER)");
    const auto count = [&](int id) {
        CRRecordset rs(other.database.get());
        rs.Open(L"SELECT count(*) FROM " + t + L" WHERE id = " +
                    CString(std::to_wstring(id).c_str()),
                RS_FORWARD_ONLY, RS_READONLY);
        CString text;
        rs.GetFieldText(1, text);
        return W(text);
    };
    const auto fails = [&](const CString& sql) {
        CRRecordset rs(conn.database.get());
        return ThrownMessage([&] { rs.Open(sql, RS_STATIC, 0); });
    };
    // The COMMIT ends the server's implicit transaction of the text: the INSERT stays.
    EXPECT_NE(fails(L"SELECT 1; INSERT INTO " + t +
                    L" VALUES (1); COMMIT; SELECT ctid, nosuch FROM " + t),
              L"");
    EXPECT_EQ(count(1), L"1");
    EXPECT_NE(
        fails(L"SELECT 1; INSERT INTO " + t + L" VALUES (2); COMMIT; SELECT nosuch FROM " + t),
        L"");
    EXPECT_EQ(count(2), L"1");

    // In the transaction the failure leaves it aborted, as psql does: the next statement is
    // refused, and the commit rolls back.
    ASSERT_TRUE(conn.database->BeginTrans());
    EXPECT_NE(fails(L"INSERT INTO " + t + L" VALUES (3); SELECT nosuch FROM " + t), L"");
    EXPECT_NE(fails(L"INSERT INTO " + t + L" VALUES (4)"), L"");
    EXPECT_TRUE(conn.database->EndTrans(true));
    EXPECT_NE(conn.database->TakeSessionNote().Find(L"rolled back"), -1);
    EXPECT_EQ(count(3), L"0");
    EXPECT_EQ(count(4), L"0");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (5)");
    EXPECT_EQ(count(5), L"1");
}

// A read that locks its rows (FOR UPDATE, FOR SHARE, ...) opens with all its rows and only its
// own columns (no row identity added), and in the user's transaction they stay locked against
// another session until it ends; read-only, as a keyset or a static cursor.
TEST(RecordsetStatementPostgres, LockingReadOpensWithItsRowsLocked)
{
    Connection conn(Db::PostgreSQL), other(Db::PostgreSQL);
    const CString t = conn.Table(L"locked");
    conn.Exec(L"CREATE TABLE " + t + L" (id INTEGER PRIMARY KEY, s VARCHAR(9))");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (1, 'a'), (2, 'b')");
    const auto readsAs = [&](const CString& sql, UINT cursor) {
        std::vector<std::wstring> values;
        CRRecordset rs(conn.database.get());
        const std::wstring message = ThrownMessage([&] {
            ASSERT_TRUE(rs.Open(sql, cursor, RS_NUMERIC_AS_TEXT));
            EXPECT_TRUE(rs.IsReadOnly()) << CStringA(sql).GetString();
            EXPECT_EQ(rs.GetColumnCount(), 2) << CStringA(sql).GetString();
            for (; !rs.IsEOF(); rs.MoveNext())
            {
                CString text;
                rs.GetFieldText(2, text);
                values.push_back(W(text));
            }
        });
        EXPECT_EQ(message, L"") << CStringA(sql).GetString();
        EXPECT_EQ(values, (std::vector<std::wstring>{L"a", L"b"})) << CStringA(sql).GetString();
    };
    const auto reads = [&](const CString& sql) {
        readsAs(sql, RS_KEYSET);
        readsAs(sql, RS_STATIC);
    };
    for (LPCWSTR clause : {L" FOR UPDATE", L" FOR SHARE", L" for no key update", L" FOR KEY SHARE",
                           L" FOR UPDATE OF x NOWAIT", L" /* read */ FOR\n UPDATE SKIP LOCKED"})
        reads(L"SELECT * FROM " + t + L" x ORDER BY id" + clause);
    reads(L"SELECT * FROM " + t + L" WHERE id > 0 ORDER BY id FOR UPDATE");
    reads(L"SELECT id, s FROM " + t + L" WHERE s <> 'z' FOR SHARE");

    const auto otherLocks = [&] {
        CRRecordset rs(other.database.get());
        return ThrownMessage([&] {
            rs.Open(L"SELECT id FROM " + t + L" FOR UPDATE NOWAIT", RS_FORWARD_ONLY, RS_READONLY);
        });
    };
    ASSERT_TRUE(conn.database->BeginTrans());
    {
        CRRecordset rs(conn.database.get());
        ASSERT_EQ(ThrownMessage([&] {
                      rs.Open(L"SELECT * FROM " + t + L" ORDER BY id FOR UPDATE", RS_KEYSET, 0);
                  }),
                  L"");
        EXPECT_FALSE(rs.IsEOF());
        EXPECT_NE(otherLocks(), L"");
    }
    EXPECT_TRUE(conn.database->EndTrans(false));
    EXPECT_EQ(otherLocks(), L"");
}

// A text that ends the user's transaction itself leaves no transaction behind, aborted or open,
// seen from another session, and the next statement runs.
TEST(RecordsetStatementPostgres, TextEndingTheTransactionLeavesNothingOpen)
{
    Connection conn(Db::PostgreSQL), other(Db::PostgreSQL);
    CString pid;
    {
        CRRecordset rs(conn.database.get());
        ASSERT_TRUE(rs.Open(L"SELECT pg_backend_pid()", RS_FORWARD_ONLY, RS_READONLY));
        rs.GetFieldText(1, pid);
    }
    const auto state = [&] {
        CRRecordset rs(other.database.get());
        rs.Open(L"SELECT state FROM pg_stat_activity WHERE pid = " + pid, RS_FORWARD_ONLY,
                RS_READONLY);
        CString text;
        rs.GetFieldText(1, text);
        return W(text);
    };
    for (LPCWSTR end : {L"COMMIT", L"ROLLBACK"})
    {
        ASSERT_TRUE(conn.database->BeginTrans());
        {
            CRRecordset rs(conn.database.get());
            EXPECT_EQ(ThrownMessage([&] {
                          rs.Open(CString(L"SELECT 1 AS a; ") + end, RS_STATIC, RS_NUMERIC_AS_TEXT);
                      }),
                      L"")
                << CStringA(end).GetString();
        }
        // Nothing is left aborted; what the server holds is what the program shows (the text
        // ended the transaction the program began).
        EXPECT_EQ(state(), conn.database->IsInTransaction() ? L"idle in transaction" : L"idle")
            << CStringA(end).GetString();
        CRRecordset next(conn.database.get());
        EXPECT_EQ(ThrownMessage([&] {
                      ASSERT_TRUE(next.Open(L"SELECT 2", RS_STATIC, RS_NUMERIC_AS_TEXT));
                      long v = 0;
                      ASSERT_TRUE(next.GetFieldLong(1, v));
                      EXPECT_EQ(v, 2);
                  }),
                  L"")
            << CStringA(end).GetString();
        next.Close();
        ThrownMessage([&] { conn.database->EndTrans(false); });
    }
}

} // namespace

// Option bit 2 is accepted without effect: statement attribute 16 is the bookmark pointer of
// SQLFetchScroll, which must stay unset rather than hold the option's value as an address.
TEST_P(RecordsetStatement, OptionBitTwoLeavesTheBookmarkPointerAlone)
{
    for (UINT cursor : {RS_STATIC, RS_FORWARD_ONLY})
    {
        CRRecordset rs(conn->database.get());
        ASSERT_TRUE(rs.Open(L"SELECT 1", cursor, RS_STMT_OPTION16 | RS_READONLY));
        // MariaDB's driver answers without writing the value: only the others can tell.
        if (GetParam() != Db::MariaDB)
        {
            SQLPOINTER bookmark = (SQLPOINTER)0x5A5A;
            SQLRETURN rc = SQLGetStmtAttrW(rs.GetStmtHandle(), SQL_ATTR_FETCH_BOOKMARK_PTR,
                                           &bookmark, sizeof bookmark, nullptr);
            ASSERT_TRUE(SQL_SUCCEEDED(rc)) << DbName(GetParam());
            EXPECT_EQ(bookmark, nullptr) << DbName(GetParam()) << " cursor " << cursor;
        }
        long one = 0;
        ASSERT_TRUE(rs.GetFieldLong(1, one));
        EXPECT_EQ(one, 1);
    }
}
