// SQL literals per product kind, checked as text and run for real on the three servers.
#include "conn_test_util.h"

#include "dbaccess/recordset.h"
#include "dbaccess/sql_text.h"
#include "dbaccess/value_text.h"

using namespace QlConnTest;
using namespace QlTestDb;

namespace {

TIMESTAMP_STRUCT Ts(int y, int mo, int d, int h, int mi, int s, SQLUINTEGER fraction)
{
    TIMESTAMP_STRUCT t = {(SQLSMALLINT)y,   (SQLUSMALLINT)mo, (SQLUSMALLINT)d, (SQLUSMALLINT)h,
                          (SQLUSMALLINT)mi, (SQLUSMALLINT)s,  fraction};
    return t;
}

SQL_SS_TIMESTAMPOFFSET_STRUCT Tso(const TIMESTAMP_STRUCT& t, int tzHour, int tzMinute)
{
    SQL_SS_TIMESTAMPOFFSET_STRUCT v;
    TimestampToTimestampOffset(t, v);
    v.timezone_hour = (SQLSMALLINT)tzHour;
    v.timezone_minute = (SQLSMALLINT)tzMinute;
    return v;
}

// A table name of this process, so parallel runs on the shared servers do not meet.
CString TableName(LPCWSTR base)
{
    CString s;
    s.Format(L"ql_conn_%s_%ls", base, QlTestDb::UniqueTag().c_str());
    return s;
}

} // namespace

TEST(Literals, DatesByKind)
{
    DATE_STRUCT d = {2024, 3, 5};
    EXPECT_EQ(CRDatabase::FormatDateLiteral(DBMS_ACCESS, d), L"CDate('2024-03-05')");
    EXPECT_EQ(CRDatabase::FormatDateLiteral(DBMS_ORACLE, d),
              L"TO_DATE('2024/03/05', 'YYYY/MM/DD')");
    for (UINT kind : {0u, 2u, 4u, 5u, 6u, 7u})
        EXPECT_EQ(CRDatabase::FormatDateLiteral(kind, d), L"'2024-03-05'") << kind;
}

// PostgreSQL's infinite dates and timestamps and its years BC: written as PostgreSQL reads them,
// refused by products without them, shown as PostgreSQL writes them, and read back from the
// shown text.
TEST(Literals, InfiniteDatesAndYearsBC)
{
    TIMESTAMP_STRUCT infinite{}, minusInfinite{};
    SetInfiniteTimestamp(infinite, false);
    SetInfiniteTimestamp(minusInfinite, true);
    EXPECT_EQ(TimestampInfinity(infinite), 1);
    EXPECT_EQ(TimestampInfinity(minusInfinite), -1);
    EXPECT_EQ(TimestampInfinity(Ts(9999, 12, 31, 23, 59, 59, 0)), 0);
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_POSTGRESQL, infinite), L"'infinity'");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_POSTGRESQL, minusInfinite), L"'-infinity'");
    const DATE_STRUCT date = {minusInfinite.year, minusInfinite.month, minusInfinite.day};
    EXPECT_EQ(CRDatabase::FormatDateLiteral(DBMS_POSTGRESQL, date), L"'-infinity'");
    auto thrown = [](const std::function<void()>& call) {
        auto e = Catch(call);
        return e ? CString(e->m_strError) : CString();
    };
    for (UINT kind : {0u, 1u, 2u, 3u, 4u, 5u, 6u})
    {
        EXPECT_EQ(thrown([&] { CRDatabase::FormatTimestampLiteral(kind, infinite); }),
                  L"An infinite date cannot be stored in this database.")
            << kind;
        EXPECT_EQ(thrown([&] { CRDatabase::FormatDateLiteral(kind, date); }),
                  L"An infinite date cannot be stored in this database.")
            << kind;
    }
    EXPECT_EQ(FormatTimestamp(&infinite, SQL_TYPE_DATE), L"infinity");
    EXPECT_EQ(FormatTimestamp(&minusInfinite, SQL_TYPE_TIMESTAMP), L"-infinity");

    const TIMESTAMP_STRUCT bc = Ts(-44, 3, 15, 12, 0, 0, 250000000);
    EXPECT_EQ(FormatTimestamp(&bc, SQL_TYPE_TIMESTAMP), L"0044/03/15 12:00:00.250 BC");
    EXPECT_EQ(FormatTimestamp(&bc, SQL_TYPE_DATE), L"0044/03/15.250 BC");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_POSTGRESQL, bc),
              L"'0044-03-15 12:00:00.250 BC'");
    TIMESTAMP_STRUCT back{};
    ASSERT_TRUE(ParseDateText(L"0044/03/15 12:00:00.250 BC", back));
    EXPECT_EQ(back.year, -44);
    EXPECT_EQ(back.fraction, 250000000u);
    EXPECT_FALSE(ParseDateText(L"0044/03/15 12:00:00 BCE", back));
    // MySQL's zero date keeps its year 0.
    const TIMESTAMP_STRUCT zero = Ts(0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(FormatTimestamp(&zero, SQL_TYPE_DATE), L"0/00/00");
}

TEST(Literals, TimesAndTimestampsKeepTheFractionTheProductTakes)
{
    TIMESTAMP_STRUCT t = Ts(2024, 3, 5, 7, 8, 9, 123456789);
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_ACCESS, t), L"CDate('2024-03-05 07:08:09')");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_ORACLE, t),
              L"TO_DATE('2024/03/05 07:08:09', 'YYYY/MM/DD HH24:MI:SS')");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_MSSQL, t),
              L"convert(datetime, '2024-03-05 07:08:09.123', 121)");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_SQLSERVER, t),
              L"convert(datetime, '2024-03-05 07:08:09.123', 121)");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_POSTGRESQL, t),
              L"'2024-03-05 07:08:09.123456'");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_MYSQL, t), L"'2024-03-05 07:08:09.123456'");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_FIREBIRD, t), L"'2024-03-05 07:08:09.1234'");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_OTHER, t),
              L"'2024-03-05 07:08:09.123456789'");

    // Trailing zeros go, down to milliseconds.
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_OTHER, Ts(2024, 3, 5, 7, 8, 9, 0)),
              L"'2024-03-05 07:08:09.000'");
    EXPECT_EQ(
        CRDatabase::FormatTimestampLiteral(DBMS_POSTGRESQL, Ts(2024, 3, 5, 7, 8, 9, 120000000)),
        L"'2024-03-05 07:08:09.120'");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_POSTGRESQL, Ts(2024, 3, 5, 7, 8, 9, 123000)),
              L"'2024-03-05 07:08:09.000123'");
    // Cut, never rounded up into the next second.
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_MSSQL, Ts(2024, 3, 5, 7, 8, 9, 999999999)),
              L"convert(datetime, '2024-03-05 07:08:09.999', 121)");

    TIMESTAMP_STRUCT time = Ts(0, 0, 0, 7, 8, 9, 0);
    EXPECT_EQ(CRDatabase::FormatTimeLiteral(DBMS_SQLSERVER, time),
              L"convert(time, '07:08:09.000', 8)");
    EXPECT_EQ(CRDatabase::FormatTimeLiteral(DBMS_ACCESS, time), L"CDate('07:08:09')");
    EXPECT_EQ(CRDatabase::FormatTimeLiteral(DBMS_ORACLE, time),
              L"TO_DATE('07:08:09', 'HH24:MI:SS')");
    EXPECT_EQ(CRDatabase::FormatTimeLiteral(DBMS_POSTGRESQL, Ts(0, 0, 0, 23, 59, 58, 5000)),
              L"'23:59:58.000005'");
}

TEST(Literals, TimestampsWithOffset)
{
    TIMESTAMP_STRUCT t = Ts(2024, 3, 5, 7, 8, 9, 123000000);
    EXPECT_EQ(CRDatabase::FormatTimestampOffsetLiteral(DBMS_MSSQL, Tso(t, -5, 0)),
              L"'2024-03-05 07:08:09.123 -05:00'");
    EXPECT_EQ(CRDatabase::FormatTimestampOffsetLiteral(DBMS_POSTGRESQL, Tso(t, 0, -30)),
              L"'2024-03-05 07:08:09.123 -00:30'");
    EXPECT_EQ(CRDatabase::FormatTimestampOffsetLiteral(DBMS_OTHER, Tso(t, 5, 45)),
              L"'2024-03-05 07:08:09.123 +05:45'");
    EXPECT_EQ(CRDatabase::FormatTimestampOffsetLiteral(
                  DBMS_MSSQL, Tso(Ts(2024, 3, 5, 7, 8, 9, 123456700), 1, 0)),
              L"'2024-03-05 07:08:09.1234567 +01:00'");
    EXPECT_EQ(CRDatabase::FormatTimestampOffsetLiteral(DBMS_ACCESS, Tso(t, -5, 0)),
              L"CDate('2024-03-05 07:08:09')");
    EXPECT_EQ(CRDatabase::FormatTimestampOffsetLiteral(DBMS_ORACLE, Tso(t, -5, 0)),
              L"TO_DATE('2024/03/05 07:08:09', 'YYYY/MM/DD HH24:MI:SS')");
}

TEST(Literals, StringsEscapeWhatEachProductNeeds)
{
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_MYSQL, L"O'Neil"), L"'O''Neil'");
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_ORACLE, L"O'Neil"), L"N'O''Neil'");
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_SQLSERVER, L"x"), L"N'x'");
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_MSSQL, L""), L"N''");
    // A backslash is an escape character for MySQL; PostgreSQL gets a form that reads the same
    // under either standard_conforming_strings setting.
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_MYSQL, L"a\\'; DROP TABLE t; --"),
              L"'a\\\\''; DROP TABLE t; --'");
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_POSTGRESQL, L"a\\b'"), L"E'a\\\\b'''");
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_POSTGRESQL, L"O'Neil"), L"'O''Neil'");
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_SQLSERVER, L"a\\b"), L"N'a\\b'");
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_OTHER, nullptr), L"''");

    // U+0000: MySQL's escape; refused where a literal cannot hold it. The CString form keeps
    // what follows it.
    const CString nul(L"a\0b", 3);
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_MYSQL, nul), L"'a\\0b'");
    EXPECT_EQ(CRDatabase::FormatStringLiteral(DBMS_MYSQL, static_cast<LPCWSTR>(nul)), L"'a'");
    for (UINT kind : {0u, 2u, 3u, 7u})
        EXPECT_TRUE(Catch([&] { CRDatabase::FormatStringLiteral(kind, nul); })) << kind;
}

TEST(Literals, BinaryValuesAreBinaryLiterals)
{
    EXPECT_EQ(CRDatabase::FormatBinaryLiteral(DBMS_ACCESS, L"0A0B"), L"0x0A0B");
    EXPECT_EQ(CRDatabase::FormatBinaryLiteral(DBMS_SQLSERVER, L"0A0B"), L"0x0A0B");
    EXPECT_EQ(CRDatabase::FormatBinaryLiteral(DBMS_MSSQL, L"0A0B"), L"0x0A0B");
    EXPECT_EQ(CRDatabase::FormatBinaryLiteral(DBMS_POSTGRESQL, L"0A0B"), L"E'\\\\x0A0B'");
    EXPECT_EQ(CRDatabase::FormatBinaryLiteral(DBMS_ORACLE, L"0A0B"), L"HEXTORAW('0A0B')");
    for (UINT kind : {0u, 5u, 6u})
        EXPECT_EQ(CRDatabase::FormatBinaryLiteral(kind, L"0A0B"), L"X'0A0B'") << kind;
    EXPECT_EQ(CRDatabase::FormatBinaryLiteral(DBMS_MYSQL, L""), L"X''");
    // Anything but pairs of hexadecimal digits could end the literal: refused.
    for (LPCWSTR bad : {L"0A'; DROP TABLE t; --", L"ABC", L"0x0A", L"0A 0B"})
        EXPECT_TRUE(Catch([&] { CRDatabase::FormatBinaryLiteral(DBMS_MYSQL, bad); }))
            << Narrow(bad);
}

TEST(Literals, MemberFormsUseTheConnectionsKind)
{
    CRDatabase closed;
    EXPECT_EQ(closed.StringLiteral(L"a"), L"'a'");
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Microsoft SQL Server"));
    EXPECT_EQ(db.StringLiteral(L"a"), L"N'a'");
    EXPECT_EQ(db.BinaryLiteral(L"FF"), L"0xFF");
    EXPECT_EQ(db.TimestampLiteral(Ts(2024, 1, 2, 3, 4, 5, 0)),
              L"convert(datetime, '2024-01-02 03:04:05.000', 121)");
    EXPECT_EQ(db.TimeLiteral(Ts(0, 0, 0, 3, 4, 5, 0)), L"convert(time, '03:04:05.000', 8)");
    EXPECT_EQ(db.TimestampOffsetLiteral(Tso(Ts(2024, 1, 2, 3, 4, 5, 0), 2, 0)),
              L"'2024-01-02 03:04:05.000 +02:00'");
}

TEST(ValueText, TimestampsOffsetsGuidsAndBytes)
{
    TIMESTAMP_STRUCT t = Ts(2024, 3, 5, 7, 8, 9, 5000000);
    EXPECT_EQ(FormatTimestamp(&t, SQL_TYPE_TIMESTAMP), L"2024/03/05 07:08:09.005");
    EXPECT_EQ(FormatTimestamp(&t, SQL_TYPE_DATE), L"2024/03/05.005");
    EXPECT_EQ(FormatTimestamp(&t, SQL_SS_TIME2), L"07:08:09.005");
    t.fraction = 999999;
    EXPECT_EQ(FormatTimestamp(&t, SQL_TIME), L"07:08:09.000999999");
    EXPECT_EQ(FormatTimestamp(nullptr, SQL_TIME), L"");
    EXPECT_EQ(FormatTimestampOffset(nullptr), L"");
    SQL_SS_TIMESTAMPOFFSET_STRUCT offset = Tso(Ts(2024, 3, 5, 7, 8, 9, 0), 0, -30);
    EXPECT_EQ(FormatTimestampOffset(&offset), L"2024/03/05 07:08:09 -00:30");

    // Shown, copied and exported, a value keeps every digit of its fraction: two values that
    // differ never read alike.
    t.fraction = 1000;
    EXPECT_EQ(FormatTimestamp(&t, SQL_TYPE_TIMESTAMP), L"2024/03/05 07:08:09.000001");
    EXPECT_EQ(FormatTimestampWhole(&t, SQL_TYPE_TIMESTAMP), L"2024/03/05 07:08:09.000001");
    t.fraction = 123456000;
    EXPECT_EQ(FormatTimestampWhole(&t, SQL_TYPE_TIME), L"07:08:09.123456");
    t.fraction = 500000000;
    EXPECT_EQ(FormatTimestampWhole(&t, SQL_TYPE_TIME), L"07:08:09.500");
    t.fraction = 123456789;
    EXPECT_EQ(FormatTimestampWhole(&t, SQL_TYPE_TIMESTAMP), L"2024/03/05 07:08:09.123456789");
    t.fraction = 0;
    EXPECT_EQ(FormatTimestampWhole(&t, SQL_TYPE_DATE), L"2024/03/05");
    TIMESTAMP_STRUCT bc = Ts(-44, 3, 15, 12, 0, 0, 250001000);
    EXPECT_EQ(FormatTimestampWhole(&bc, SQL_TYPE_TIMESTAMP), L"0044/03/15 12:00:00.250001 BC");
    offset.fraction = 100;
    EXPECT_EQ(FormatTimestampOffsetWhole(&offset), L"2024/03/05 07:08:09.0000001 -00:30");
    EXPECT_EQ(FormatTimestampWhole(nullptr, SQL_TIME), L"");

    SQLGUID g = {0x6B29FC40, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA}};
    EXPECT_EQ(FormatGuid(g), L"6B29FC40-CA47-1067-B31D-00DD010662DA");
    CByteArray bytes;
    GuidToBytes(g, bytes);
    ASSERT_EQ(bytes.GetSize(), 16);
    EXPECT_EQ(MakeStringN(bytes.GetData(), 16, 16), L"6B29FC40CA471067B31D00DD010662DA");

    const BYTE data[10] = {0x00, 0x1f, 0xa0, 0xff, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(MakeStringN(data, 10, 4), L"001FA0FF");
    EXPECT_EQ(MakeStringN(nullptr, 10, 4), L"");
}

// ---- round trips on the real servers ----------------------------------------------------------

namespace {

struct Server
{
    LPCWSTR label;
    CString connect;
    UINT kind;           // the kind whose literals are written
    LPCWSTR createTable; // %s: table name
    LPCWSTR hexOf;       // expression giving the upper-case hex of column b
};

void RoundTrip(const Server& server, const std::vector<CString>& texts)
{
    SCOPED_TRACE(Narrow(server.label));
    CRDatabase db;
    OpenOrFail(db, server.connect);
    CString table = TableName(L"lit");
    CString sql;
    db.ExecuteSQL(L"DROP TABLE IF EXISTS " + table);
    sql.Format(server.createTable, table.GetString());
    db.ExecuteSQL(sql);

    TIMESTAMP_STRUCT ts = Ts(2024, 3, 5, 7, 8, 9, 123456000);
    DATE_STRUCT date = {1999, 12, 31};
    int id = 0;
    for (const CString& text : texts)
    {
        ++id;
        CString hex = id % 2 ? L"00FF0A27" : L"5C78";
        sql.Format(L"INSERT INTO %s (id, s, b, ts, d) VALUES (%d, %s, %s, %s, %s)",
                   table.GetString(), id,
                   CRDatabase::FormatStringLiteral(server.kind, text).GetString(),
                   CRDatabase::FormatBinaryLiteral(server.kind, hex).GetString(),
                   CRDatabase::FormatTimestampLiteral(server.kind, ts).GetString(),
                   CRDatabase::FormatDateLiteral(server.kind, date).GetString());
        db.ExecuteSQL(sql);

        CString where;
        where.Format(L" FROM %s WHERE id = %d", table.GetString(), id);
        EXPECT_EQ(QueryText(db, L"SELECT s" + where), text);
        EXPECT_EQ(QueryText(db, CString(L"SELECT ") + server.hexOf + where), hex);
        // The literal finds its own row again: key conditions on text, bytes and microseconds.
        sql.Format(L"SELECT COUNT(*) FROM %s WHERE s = %s AND b = %s AND ts = %s AND d = %s",
                   table.GetString(),
                   CRDatabase::FormatStringLiteral(server.kind, text).GetString(),
                   CRDatabase::FormatBinaryLiteral(server.kind, hex).GetString(),
                   CRDatabase::FormatTimestampLiteral(server.kind, ts).GetString(),
                   CRDatabase::FormatDateLiteral(server.kind, date).GetString());
        EXPECT_EQ(QueryText(db, sql), L"1") << Narrow(text);
    }
    db.ExecuteSQL(L"DROP TABLE " + table);
}

const wchar_t kUnicode[] = L"Gr\u00FC\u00DFe \u6771\u4EAC \u0394";

} // namespace

TEST(LiteralsRoundTrip, PostgreSQL)
{
    RoundTrip({L"PostgreSQL", PostgresConnect(), DBMS_POSTGRESQL,
               L"CREATE TABLE %s (id int, s text, b bytea, ts timestamp(6), d date)",
               L"upper(encode(b, 'hex'))"},
              {L"plain", L"O'Neil", L"back\\slash '\\x41'", L"100% _x_", kUnicode, L""});
}

TEST(LiteralsRoundTrip, MariaDBAsMySQL)
{
    // MariaDB speaks MySQL's literal dialect, backslash escapes included.
    RoundTrip(
        {L"MariaDB (MySQL literals)", MariaDBConnect(), DBMS_MYSQL,
         L"CREATE TABLE %s (id int, s varchar(200) CHARACTER SET utf8mb4, b varbinary(64), "
         L"ts datetime(6), d date)",
         L"HEX(b)"},
        {L"plain", L"O'Neil", L"back\\slash\\", L"a\\'; DROP TABLE x; -- ", L"100% _x_", kUnicode});
}

TEST(LiteralsRoundTrip, MariaDBConnectionIsMySQLKindAndEscapesBackslashes)
{
    CRDatabase db;
    OpenOrFail(db, MariaDBConnect());
    EXPECT_EQ(db.GetDBMSKind(), DBMS_MYSQL);
    EXPECT_TRUE(db.UsesBackslashEscapes());
    CString table = TableName(L"litbs");
    db.ExecuteSQL(L"DROP TABLE IF EXISTS " + table);
    db.ExecuteSQL(L"CREATE TABLE " + table + L" (id int, s varchar(200))");
    db.ExecuteSQL(L"INSERT INTO " + table + L" VALUES (1, 'keep'), (2, 'other')");
    // A value that would end the literal early and rewrite the statement if only quotes were doubled.
    const CString hostile = L"a\' OR 1=1 -- ";
    db.ExecuteSQL(L"UPDATE " + table + L" SET s = " + db.StringLiteral(hostile) + L" WHERE id = 1");
    EXPECT_EQ(QueryText(db, L"SELECT s FROM " + table + L" WHERE id = 1"), hostile);
    EXPECT_EQ(QueryText(db, L"SELECT s FROM " + table + L" WHERE id = 2"), L"other");
    db.ExecuteSQL(L"DROP TABLE " + table);

    TempSQLiteFile file;
    CRDatabase lite;
    OpenOrFail(lite, file.Connect());
    EXPECT_FALSE(lite.UsesBackslashEscapes());
    EXPECT_EQ(lite.StringLiteral(L"a\\b"), L"'a\\b'");
}

TEST(LiteralsRoundTrip, SQLite)
{
    TempSQLiteFile file;
    RoundTrip({L"SQLite", file.Connect(), DBMS_OTHER,
               L"CREATE TABLE %s (id int, s text, b blob, ts text, d text)", L"hex(b)"},
              {L"plain", L"O'Neil", L"back\\slash", L"100% _x_", kUnicode});
}

// ---- literals of cursor fields ------------------------------------------------------------------

TEST(FieldLiterals, EachColumnTypeForEachTarget)
{
    CRDatabase db;
    OpenOrFail(db, PostgresConnect());
    CRRecordset rs(&db);
    ASSERT_TRUE(rs.Open(L"SELECT 42::int AS n, 'O''Neil'::text AS s, '\\x0a0b'::bytea AS b, "
                        L"timestamp '2024-03-05 07:08:09.5' AS ts, date '2024-03-05' AS d, "
                        L"time '07:08:09' AS t, NULL::int AS nn, NULL::text AS ns",
                        2, 1));
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_ORACLE, &rs, 1), L"42");
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_ORACLE, &rs, 2), L"N'O''Neil'");
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_MSSQL, &rs, 3), L"0x0A0B");
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_POSTGRESQL, &rs, 3), L"E'\\\\x0A0B'");
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_SQLITE, &rs, 3), L"X'0A0B'");
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_MSSQL, &rs, 4),
              L"convert(datetime, '2024-03-05 07:08:09.500', 121)");
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_ORACLE, &rs, 5), L"TO_DATE('2024/03/05', 'YYYY/MM/DD')");
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_SQLSERVER, &rs, 6), L"convert(time, '07:08:09.000', 8)");
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_MYSQL, &rs, 7), L"NULL");
    EXPECT_EQ(db.FormatFieldLiteral(DBMS_MYSQL, &rs, 8), L"NULL");
    for (UINT col = 1; col <= 8; ++col)
    {
        EXPECT_EQ(db.FormatFieldLiteral(DBMS_OTHER, &rs, col), L"") << col;
        EXPECT_EQ(db.FormatFieldLiteral(DBMS_SQLITE + 1, &rs, col), L"") << col;
    }
}
