// A forward-only bound result read in blocks: over several blocks and a last partial one, every
// row's values, NULLs and position are those of a row-by-row read.
#include "recordset_test_util.h"
#include "tests/support/wait_for.h"

using namespace QlRsTest;

namespace {

const int kRows = 1203;

class RecordsetBlocks : public testing::TestWithParam<Db>
{
protected:
    void SetUp() override
    {
        conn = std::make_unique<Connection>(GetParam());
        table = conn->Table(L"blocks");
        const CString count = std::to_wstring(kRows).c_str();
        switch (GetParam())
        {
        case Db::SQLite:
            conn->Exec(L"CREATE TABLE " + table +
                       L" AS WITH RECURSIVE c(i) AS (SELECT 1 UNION "
                       L"ALL SELECT i + 1 FROM c WHERE i < " +
                       count +
                       L") SELECT i AS id, CASE WHEN i % 3 = 0 THEN NULL ELSE i * 2.5 "
                       L"END AS d, 'r' || i AS s FROM c");
            break;
        case Db::PostgreSQL:
            conn->Exec(L"CREATE TABLE " + table +
                       L" AS SELECT i AS id, CASE WHEN i % 3 = 0 THEN NULL ELSE i * 2.5 END "
                       L"::float8 AS d, 'r' || i AS s FROM generate_series(1, " +
                       count + L") AS g(i)");
            break;
        case Db::MariaDB:
            conn->Exec(L"CREATE TABLE " + table +
                       L" AS SELECT seq AS id, CAST(CASE WHEN seq % 3 = 0 THEN NULL ELSE seq * "
                       L"2.5 END AS DOUBLE) AS d, CONCAT('r', seq) AS s FROM seq_1_to_" +
                       count);
            break;
        }
    }

    void ReadAll();
    void ReadTwice();

    std::unique_ptr<Connection> conn;
    CString table;
};

TEST_P(RecordsetBlocks, EveryRowAsARowByRowReadGivesIt)
{
    QL_EXPECT_NO_DB_THROW(ReadAll());
}

void RecordsetBlocks::ReadAll()
{
    CRRecordset rs(conn->database.get());
    rs.Open(L"SELECT id, d, s FROM " + table + L" ORDER BY id", RS_FORWARD_ONLY, RS_READONLY);
    // SQLite's driver cannot read a value within a block, which a number of another kind than
    // its column's needs (CRRecordset::IsOfAnotherKind): its numbers come a row at a time.
    if (GetParam() == Db::SQLite)
        ASSERT_EQ(rs.GetBlockRows(), 1u);
    else
        ASSERT_GT(rs.GetBlockRows(), 1u);
    ASSERT_LT(rs.GetBlockRows(), static_cast<SQLULEN>(kRows));
    int seen = 0;
    while (!rs.IsEOF())
    {
        const int id = seen + 1;
        Zelt::ICursor::CStatus status;
        rs.GetStatus(status);
        ASSERT_EQ(status.nCurrentRow, seen);
        ASSERT_EQ(rs.GetRecordCount(), id);
        LONGLONG got = 0;
        ASSERT_TRUE(rs.GetFieldBigInt(1, got));
        ASSERT_EQ(got, id);
        double d = -1;
        if (id % 3 == 0)
        {
            EXPECT_TRUE(rs.IsFieldNull(2)) << id;
            EXPECT_FALSE(rs.GetFieldDouble(2, d)) << id;
        }
        else
        {
            EXPECT_TRUE(rs.GetFieldDouble(2, d)) << id;
            EXPECT_EQ(d, id * 2.5) << id;
        }
        EXPECT_EQ(Text(rs, 3), L"r" + std::to_wstring(id));
        EXPECT_FALSE(rs.IsFieldTruncated(3));
        ++seen;
        rs.MoveNext();
    }
    EXPECT_EQ(seen, kRows);
    EXPECT_EQ(rs.GetRecordCount(), kRows);
    Zelt::ICursor::CStatus status;
    rs.GetStatus(status);
    EXPECT_TRUE(status.bCountFinal);
    EXPECT_EQ(ThrownMessage([&] { rs.MoveNext(); }), L"Error: attempted to move past EOF");
}

TEST_P(RecordsetBlocks, ReexecutionStartsAFreshBlock)
{
    QL_EXPECT_NO_DB_THROW(ReadTwice());
}

void RecordsetBlocks::ReadTwice()
{
    CRRecordset rs(conn->database.get());
    ASSERT_TRUE(rs.Prepare(L"SELECT id FROM " + table + L" WHERE id > ? ORDER BY id",
                           RS_FORWARD_ONLY, RS_READONLY));
    for (long from : {1000L, 10L})
    {
        rs.AddLongParameter(1, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, from, false);
        ASSERT_TRUE(rs.Execute());
        LONGLONG id = 0;
        for (long expected = from + 1; expected <= kRows; ++expected, rs.MoveNext())
        {
            ASSERT_FALSE(rs.IsEOF());
            ASSERT_TRUE(rs.GetFieldBigInt(1, id));
            ASSERT_EQ(id, expected);
        }
        EXPECT_TRUE(rs.IsEOF());
    }
}

TEST_P(RecordsetBlocks, NarrowNumbersKeepToTheirOwnRows)
{
    // Arrays of 2-, 1- and 4-byte values: a driver that steps them by another size shows here as
    // a value of the wrong row.
    const CString small = conn->Table(L"small");
    const CString count = std::to_wstring(kRows).c_str();
    const CString values = L"i, i % 30000 - 15000, i + 0.5, i % 100 - 50";
    switch (GetParam())
    {
    case Db::SQLite:
        conn->Exec(L"CREATE TABLE " + small + L" (id INTEGER, a SMALLINT, b REAL, c TINYINT)");
        conn->Exec(L"INSERT INTO " + small +
                   L" WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                   L"SELECT i + 1 FROM n WHERE i < " +
                   count + L") SELECT " + values + L" FROM n");
        break;
    case Db::PostgreSQL:
        conn->Exec(L"CREATE TABLE " + small + L" (id INTEGER, a SMALLINT, b REAL, c SMALLINT)");
        conn->Exec(L"INSERT INTO " + small + L" SELECT " + values + L" FROM generate_series(1, " +
                   count + L") AS g(i)");
        break;
    case Db::MariaDB:
        conn->Exec(L"CREATE TABLE " + small + L" (id INTEGER, a SMALLINT, b FLOAT, c TINYINT)");
        conn->Exec(L"INSERT INTO " + small + L" SELECT " + values +
                   L" FROM (SELECT CAST(seq AS SIGNED) AS i FROM seq_1_to_" + count + L") AS n");
        break;
    }
    CRRecordset rs(conn->database.get());
    QL_EXPECT_NO_DB_THROW(rs.Open(L"SELECT id, a, b, c FROM " + small + L" ORDER BY id",
                                  RS_FORWARD_ONLY, RS_READONLY));
    // (SQLite's numbers come a row at a time, see EveryRowAsARowByRowReadGivesIt.)
    ASSERT_EQ(rs.GetBlockRows() > 1u, GetParam() != Db::SQLite);
    int id = 0;
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        ++id;
        short a = 0, c = 0;
        float b = 0;
        ASSERT_TRUE(rs.GetFieldShort(2, a));
        ASSERT_TRUE(rs.GetFieldFloat(3, b));
        ASSERT_TRUE(rs.GetFieldShort(4, c));
        ASSERT_EQ(a, id % 30000 - 15000) << id;
        ASSERT_EQ(b, id + 0.5f) << id;
        ASSERT_EQ(c, id % 100 - 50) << id;
    }
    EXPECT_EQ(id, kRows);
}

TEST_P(RecordsetBlocks, UnboundReadsGiveLongValuesWholeWithinABlock)
{
    // Long texts and binary values here and there among short ones and NULLs: an unbound read
    // gives every value whole, each in its own row; the short ones as a static read gives them.
    const CString mixed = conn->Table(L"mixed");
    const CString count = std::to_wstring(kRows).c_str();
    const CString text = L"CASE WHEN i % 5 = 0 THEN NULL WHEN i % 97 = 0 THEN ";
    switch (GetParam())
    {
    case Db::SQLite:
        conn->Exec(L"CREATE TABLE " + mixed + L" (id INTEGER, t TEXT, b BLOB, n NUMERIC(20,4))");
        conn->Exec(L"INSERT INTO " + mixed +
                   L" WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < " +
                   count + L") SELECT i, " + text +
                   L"replace(hex(zeroblob(3000)), '00', char(1046, 8364)) || i ELSE 'r' || i "
                   L"END, CASE WHEN i % 97 = 1 THEN zeroblob(6000) WHEN i % 2 = 0 THEN "
                   L"X'00FF27' ELSE X'2700' END, i * 1.5 FROM c");
        break;
    case Db::PostgreSQL:
        conn->Exec(L"CREATE TABLE " + mixed + L" (id INTEGER, t TEXT, b BYTEA, n NUMERIC(20,4))");
        conn->Exec(L"INSERT INTO " + mixed + L" SELECT i, " + text +
                   L"repeat(chr(1046) || chr(8364), 3000) || i ELSE 'r' || i END, CASE WHEN i "
                   L"% 97 = 1 THEN decode(repeat('000000', 2000), 'hex') WHEN i % 2 = 0 THEN "
                   L"'\\x00ff27'::bytea ELSE '\\x2700'::bytea END, i * 1.5 FROM "
                   L"generate_series(1, " +
                   count + L") AS g(i)");
        break;
    case Db::MariaDB:
        conn->Exec(L"CREATE TABLE " + mixed +
                   L" (id INTEGER, t MEDIUMTEXT CHARACTER SET utf8mb4, b MEDIUMBLOB, n "
                   L"NUMERIC(20,4))");
        conn->Exec(L"INSERT INTO " + mixed + L" SELECT i, " + text +
                   L"CONCAT(REPEAT(_utf8mb4 X'D096E282AC', 3000), i) ELSE CONCAT('r', i) END, "
                   L"CASE WHEN i % 97 = 1 THEN REPEAT(X'00', 6000) WHEN i % 2 = 0 THEN X'00FF27' "
                   L"ELSE X'2700' END, i * 1.5 FROM (SELECT CAST(seq AS SIGNED) AS i FROM "
                   L"seq_1_to_" +
                   count + L") AS n");
        break;
    }
    const CString sql = L"SELECT id, t, b, n FROM " + mixed + L" ORDER BY id";
    CRRecordset rs(conn->database.get()), expected(conn->database.get());
    QL_EXPECT_NO_DB_THROW(
        rs.Open(sql, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT));
    QL_EXPECT_NO_DB_THROW(expected.Open(sql, RS_STATIC, RS_READONLY | RS_NUMERIC_AS_TEXT));
    std::wstring longText;
    for (int k = 0; k < 3000; ++k)
        longText += L"\u0416\u20ac";
    int id = 0;
    for (; !rs.IsEOF(); rs.MoveNext(), expected.MoveNext())
    {
        ++id;
        ASSERT_FALSE(expected.IsEOF());
        CString got, want;
        CByteArray bytes;
        ASSERT_TRUE(rs.GetFieldText(1, got));
        ASSERT_EQ(W(got), std::to_wstring(id));
        const bool present = rs.GetFieldText(2, got);
        ASSERT_EQ(present, id % 5 != 0) << id;
        if (present)
        {
            const std::wstring value = (id % 97 == 0 ? longText : L"r") + std::to_wstring(id);
            ASSERT_TRUE(W(got) == value) << id;
        }
        ASSERT_TRUE(rs.GetFieldBinary(3, bytes));
        if (id % 97 == 1)
        {
            ASSERT_EQ(bytes.GetSize(), 6000) << id;
            ASSERT_EQ(bytes[0] | bytes[5999], 0) << id;
        }
        else
        {
            ASSERT_EQ(bytes.GetSize(), id % 2 == 0 ? 3 : 2) << id;
            ASSERT_EQ(bytes[0], id % 2 == 0 ? 0x00 : 0x27) << id;
            ASSERT_TRUE(expected.GetFieldText(3, want));
            ASSERT_TRUE(rs.GetFieldText(3, got));
            ASSERT_EQ(W(got), W(want)) << id;
        }
        ASSERT_TRUE(expected.GetFieldText(4, want));
        ASSERT_TRUE(rs.GetFieldText(4, got));
        ASSERT_EQ(W(got), W(want)) << id;
    }
    EXPECT_EQ(id, kRows);
}

TEST_P(RecordsetBlocks, ValuesReadAsTextAreThoseOfATypedRead)
{
    // Integers, doubles and times are read as the driver's text where that is cheaper, made into
    // values when the text has its usual form and shown from it; every value, of the usual
    // forms, at the limits, or odd, must read and show as a read of the typed values gives it,
    // in blocks and read ahead.
    const CString odd = conn->Table(L"odd");
    switch (GetParam())
    {
    case Db::SQLite:
        conn->Exec(L"CREATE TABLE " + odd +
                   L" (id INTEGER, a INTEGER, b BIGINT, ts TIMESTAMP, d DATE, f DOUBLE, "
                   L"t TEXT DEFAULT 'long')");
        conn->Exec(L"INSERT INTO " + odd +
                   L" (id, a, b, ts, d, f)"
                   L" VALUES (1, 0, 0, '2024-02-29 23:59:59', '2024-02-29', 0.1), "
                   L"(2, -2147483648, -9223372036854775808, '1999-12-31 00:00:00', '0001-01-01', "
                   L"1e15), (3, 2147483647, 9223372036854775807, '2024-01-01 00:00:17.123', "
                   L"'2024-13-01', -1.5), (4, '12abc', ' 7', '2024-02-30 10:00:00', 'x', 'abc'), "
                   L"(5, 1.5, '007', '2024-01-01T10:00:00', NULL, '1e400'), "
                   L"(6, NULL, '-0', '2023-02-29 10:00:00', '2024-01-01 10:00:00', '-0'), "
                   L"(7, 4294967296, '', '0000-00-00 00:00:00', '9999-12-31', 5e-324), "
                   L"(8, -12, 123456789012, '2024-06-30 24:00:00', '2024-06-31', "
                   L"0.14285714285714285), (9, 1, 2, '2024-06-30 10:00:00.5', '2024-06-30', "
                   L"123456789012345678), (10, 3, 4, '2024-06-30 10:00:00.123456789', NULL, "
                   L"'12abc'), (11, 5, 6, '2024-06-30 10:00:00.000999', NULL, 1e-5), "
                   L"(12, '+5', 7, '2024-06-30 10:00:00.', NULL, '1.0e+100'), "
                   L"(13, 8, 9, NULL, NULL, ' 2.5')");
        break;
    case Db::PostgreSQL:
        conn->Exec(L"CREATE TABLE " + odd +
                   L" (id INTEGER, a INTEGER, b BIGINT, ts TIMESTAMP(6), d DATE, f FLOAT8, "
                   L"g NUMERIC(20, 0) DEFAULT 12345678901234567)");
        conn->Exec(L"INSERT INTO " + odd +
                   L" (id, a, b, ts, d, f)"
                   L" VALUES (1, 0, 0, '2024-02-29 23:59:59', '2024-02-29', 0.1), "
                   L"(2, -2147483648, -9223372036854775808, '1999-12-31 00:00:00', '0001-01-01', "
                   L"'-0'), (3, 2147483647, 9223372036854775807, '2024-01-01 00:00:17.123456', "
                   L"'9999-12-31', 'NaN'), (4, -12, 123456789012, '0044-03-15 12:00:00 BC', "
                   L"'0044-03-15 BC', '-Infinity'), (5, NULL, NULL, NULL, NULL, NULL), "
                   L"(6, 7, -7, '12024-01-01 10:00:00', '12024-01-01', 1e-310), "
                   L"(7, 8, 9, 'infinity', 'infinity', 0.14285714285714285), "
                   L"(8, 1, 1, NULL, NULL, 1.25e20), (9, 1, 1, NULL, NULL, 123456789012345678), "
                   L"(10, 1, 1, NULL, NULL, 1.7976931348623157e308), "
                   L"(11, 1, 1, NULL, NULL, -1.5e-7), (12, 1, 1, NULL, NULL, 1e15), "
                   L"(13, 1, 1, NULL, NULL, 0.30000000000000004), "
                   L"(14, 1, 1, NULL, NULL, -1.0000000000000002), "
                   L"(15, 1, 1, NULL, NULL, 9007199254740993), "
                   L"(16, 1, 1, NULL, NULL, 1.2345678901234567e-250), "
                   L"(17, 1, 1, NULL, NULL, 2.2250738585072014e-308)");
        break;
    case Db::MariaDB:
        conn->Exec(L"CREATE TABLE " + odd +
                   L" (id INTEGER, a INTEGER, b BIGINT, ts DATETIME(6), d DATE, f DOUBLE)");
        conn->Exec(L"INSERT INTO " + odd +
                   L" VALUES (1, 0, 0, '2024-02-29 23:59:59', '2024-02-29', 0.1), "
                   L"(2, -2147483648, -9223372036854775808, '1999-12-31 00:00:00', '1000-01-01', "
                   L"1e15), (3, 2147483647, 9223372036854775807, '2024-01-01 00:00:17.123456', "
                   L"'9999-12-31', -1.5), (4, -12, 123456789012, '1000-01-01 00:00:00', NULL, "
                   L"0.14285714285714285), (5, NULL, NULL, NULL, NULL, NULL)");
        break;
    }
    // (SQLite's driver reads text in place of typed values only a row at a time, which a long
    // column makes it do.)
    // (PostgreSQL: a decimal column read as doubles too, whose text is exact, not the shortest.)
    const CString sql = L"SELECT id, a, b, ts, d, f" +
                        CString(GetParam() == Db::SQLite       ? L", t"
                                : GetParam() == Db::PostgreSQL ? L", g"
                                                               : L"") +
                        L" FROM " + odd + L" ORDER BY id";
    const UINT lastCompared = GetParam() == Db::PostgreSQL ? 7 : 6;
    // Each value as text, and as its typed getter gives it, or the failure.
    auto value = [](CRRecordset& r, UINT col) {
        std::wstring out;
        const std::wstring failure = ThrownMessage([&] {
            CString text;
            out = r.GetFieldText(col, text) ? W(text) : L"(null)";
            if (col <= 3)
            {
                LONGLONG n = 0;
                out += r.GetFieldBigInt(col, n) ? L" " + std::to_wstring(n) : L" -";
            }
            else if (col >= 6)
            {
                double d = 0;
                wchar_t exact[64] = {};
                if (r.GetFieldDouble(col, d))
                    swprintf(exact, 64, L" %a", d);
                out += exact;
            }
            else
            {
                TIMESTAMP_STRUCT ts{};
                if (r.GetFieldTimestamp(col, ts))
                    out += L" " + std::to_wstring(ts.fraction);
            }
        });
        return failure.empty() ? out : L"throws";
    };
    // Bound and read ahead (as a table window reads): PostgreSQL's rows come up to 3,000 to a
    // block, so the statement gives each row many times over, for blocks after the first.
    const CString repeated = GetParam() == Db::PostgreSQL
                                 ? sql.Left(sql.Find(L" ORDER BY")) +
                                       L" CROSS JOIN generate_series(1, 250) AS k ORDER BY k, id"
                                 : sql;
    for (const UINT options :
         {RS_READONLY | RS_UNBOUND, UINT(RS_READONLY), RS_READONLY | RS_DECLARED_COLUMNS})
    {
        const bool bAhead = (options & RS_DECLARED_COLUMNS) != 0;
        SCOPED_TRACE(options & RS_UNBOUND ? "read ahead"
                     : bAhead             ? "bound, read ahead"
                                          : "in blocks");
        CRDatabase* pRead = conn->database.get();
        CRRecordset rs(pRead), typed(conn->database.get());
        QL_EXPECT_NO_DB_THROW(rs.Open(bAhead ? repeated : sql, RS_FORWARD_ONLY, options));
        QL_EXPECT_NO_DB_THROW(typed.Open(bAhead ? repeated : sql, RS_STATIC, RS_READONLY));
        if (bAhead)
        {
            rs.ReadAheadFromNextBlock();
            // (MariaDB and PostgreSQL read results whole at execution.)
            EXPECT_EQ(rs.ReadsAhead(), GetParam() == Db::SQLite);
        }
        int rows = 0;
        for (; !rs.IsEOF() && !typed.IsEOF(); rs.MoveNext(), typed.MoveNext())
        {
            ++rows;
            for (UINT col = 2; col <= lastCompared; ++col)
                EXPECT_EQ(value(rs, col), value(typed, col)) << "row " << rows << " column " << col;
        }
        EXPECT_TRUE(rs.IsEOF());
        EXPECT_TRUE(typed.IsEOF());
        EXPECT_GE(rows, 5);
    }
}

INSTANTIATE_TEST_SUITE_P(AllDatabases, RecordsetBlocks,
                         testing::Values(Db::SQLite, Db::PostgreSQL, Db::MariaDB),
                         [](const testing::TestParamInfo<Db>& info) { return DbName(info.param); });

} // namespace

namespace {

// Reads an unbound forward-only result of ids 1, 2, ... until the end or a failure; every row
// read must be the next id. Returns the rows read and the failure's message ("" at the end).
std::pair<int, std::wstring> ReadIdsUntilFailure(CRRecordset& rs)
{
    int rows = 0;
    std::wstring failure = ThrownMessage([&] {
        for (; !rs.IsEOF(); rs.MoveNext())
        {
            CString id, expected;
            expected.Format(L"%d", rows + 1);
            if (!rs.GetFieldText(1, id) || id != expected)
                ADD_FAILURE() << "row " << rows + 1 << " holds " << CStringA(id).GetString();
            ++rows;
        }
    });
    return {rows, failure};
}

TEST(RecordsetReadAhead, AFailureInTheMiddleComesAfterTheRowsBeforeIt)
{
    // Rows are fetched ahead of the reader: a statement that fails at its 700th row still hands
    // over the rows before the failure and then throws, once, and the recordset ends there.
    struct Case
    {
        Db db;
        CString connect;
        CString sql;
    };
    QlTestDb::TempSQLiteFile file;
    const Case cases[] = {
        {Db::SQLite, file.Connect() + L"StepAPI=1;",
         L"WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 5000) "
         L"SELECT i, CASE WHEN i = 700 THEN abs(-9223372036854775807 - 1 + (i - 700)) ELSE 'r' || "
         L"i END "
         L"FROM c"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(DbName(c.db));
        CRDatabase db;
        db.Open(c.connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0);
        CRRecordset rs(&db);
        std::pair<int, std::wstring> read;
        const std::wstring opening = ThrownMessage([&] {
            rs.Open(c.sql, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND);
            read = ReadIdsUntilFailure(rs);
        });
        EXPECT_EQ(opening, L"");
        // The driver may lose the rows fetched together with the failing one: a rowset at most.
        EXPECT_LT(read.first, 700);
        EXPECT_GE(read.first, 700 - static_cast<int>(rs.GetBlockRows())) << read.second;
        EXPECT_NE(read.second, L"");
        // After the failure the result has no more rows to give.
        EXPECT_EQ(ThrownMessage([&] {
                      if (!rs.IsEOF())
                          rs.MoveNext();
                  }),
                  L"");
        EXPECT_TRUE(rs.IsEOF());
    }
}

TEST_P(RecordsetBlocks, ReadingAheadStopsWhenTheResultIsLeftOrRun)
{
    // A result left after its first rows, one executed again, and one closed on its last row:
    // each read starts afresh and none waits on rows still being fetched.
    CRRecordset rs(conn->database.get());
    ASSERT_TRUE(rs.Prepare(L"SELECT id, s FROM " + table + L" WHERE id > ? ORDER BY id",
                           RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND));
    for (long from : {0L, 1000L, 0L})
    {
        rs.AddLongParameter(1, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, from, false);
        QL_EXPECT_NO_DB_THROW(ASSERT_TRUE(rs.Execute()));
        CString s;
        for (long expected = from + 1; expected <= (from ? kRows : 3); ++expected, rs.MoveNext())
        {
            ASSERT_FALSE(rs.IsEOF());
            ASSERT_TRUE(rs.GetFieldText(2, s));
            ASSERT_EQ(W(s), L"r" + std::to_wstring(expected));
        }
    }
    rs.Close();
    CRRecordset left(conn->database.get());
    QL_EXPECT_NO_DB_THROW(
        left.Open(L"SELECT id, s FROM " + table, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND));
}

TEST_P(RecordsetBlocks, OtherStatementsRunBesideAResultReadAhead)
{
    // Statements on the connection while rows are being read ahead on a thread of their own:
    // each runs as on an idle connection (psqlODBC sent one with a savepoint of the transaction
    // the read had just ended: "SAVEPOINT can only be used in transaction blocks"), and the read
    // still gives every row once and in order, wherever a statement cut its fetching short.
    const CString sql = L"SELECT id, s FROM " + table + L" ORDER BY id";
    for (int round = 0; round < 60; ++round)
    {
        SCOPED_TRACE(round);
        // Results of a few rows up to all, left at once or after some of their rows.
        const int rows = std::min(kRows, 1 + round * round * 3);
        const int at = round % 2 ? 0 : rows / 2;
        int id = 0;
        const std::wstring thrown = ThrownMessage([&] {
            CRRecordset ahead(conn->database.get());
            ahead.Open(L"SELECT id, s FROM " + table + L" WHERE id <= " +
                           std::to_wstring(rows).c_str() + L" ORDER BY id",
                       RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND);
            CString s;
            for (; !ahead.IsEOF(); ahead.MoveNext())
            {
                if (id == at)
                {
                    // A static result read whole, and a second read ahead read in turns.
                    CRRecordset other(conn->database.get()), second(conn->database.get());
                    other.Open(sql, RS_STATIC, RS_READONLY);
                    int count = 0;
                    for (; !other.IsEOF(); other.MoveNext())
                        ++count;
                    ASSERT_EQ(count, kRows);
                    second.Open(sql, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND);
                    for (int k = 1; k <= 5 && !second.IsEOF(); ++k, second.MoveNext())
                    {
                        ASSERT_TRUE(second.GetFieldText(2, s));
                        ASSERT_EQ(W(s), L"r" + std::to_wstring(k));
                    }
                }
                ++id;
                ASSERT_TRUE(ahead.GetFieldText(2, s));
                ASSERT_EQ(W(s), L"r" + std::to_wstring(id));
            }
        });
        ASSERT_EQ(thrown, L"");
        ASSERT_EQ(id, rows);
    }
}

TEST_P(RecordsetBlocks, AResultReadAheadEndsWithItsConnection)
{
    // The connection closed, and opened again, while a result is read ahead on it: the thread has
    // stopped, the reader's next batch reports the closed connection instead of calling a
    // statement that is gone, and statements on the new connection run as on an idle one.
    // More rows than are ever read ahead.
    const CString sql =
        L"SELECT a.id, a.s FROM " + table + L" a, " + table + L" b WHERE b.id <= 50";
    const int rows = kRows * 50;
    CRDatabase& db = *conn->database;
    CRRecordset rs(&db);
    CString s;
    int read = 0;
    const std::wstring opening = ThrownMessage([&] {
        rs.Open(sql, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND);
        for (; read < 3 && !rs.IsEOF(); ++read, rs.MoveNext())
            ASSERT_TRUE(rs.GetFieldText(2, s));
    });
    ASSERT_EQ(opening, L"");
    db.Close();
    QL_EXPECT_NO_DB_THROW(db.Open(conn->connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    const std::wstring reading = ThrownMessage([&] {
        for (; !rs.IsEOF(); ++read, rs.MoveNext())
            ASSERT_TRUE(rs.GetFieldText(2, s));
    });
    EXPECT_EQ(reading, L"The connection was closed.");
    EXPECT_LT(read, rows);
    // The old result's statement went with its connection, and its handle may by now be that
    // of a statement of the new one: closing the old result leaves the new one alone.
    CRRecordset after(&db);
    int count = 0;
    QL_EXPECT_NO_DB_THROW({
        after.Open(sql, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND);
        rs.Close();
        for (; !after.IsEOF(); after.MoveNext())
            ++count;
    });
    EXPECT_EQ(count, rows);
}

} // namespace
