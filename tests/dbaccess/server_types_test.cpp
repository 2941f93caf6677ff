// Values of the types each server has beyond the common ones (intervals, addresses, arrays,
// JSON, bit strings, unsigned 64-bit numbers, years, geometry ...) read through every cursor
// kind the program uses: each reads without an error and shows the server's own text.
#include "cursor_kinds.h"

#include "dbaccess/error_report.h"
#include "dbaccess/value_text.h"
#include "conn_test_util.h"

using namespace QlRsTest;

namespace {

// An expression and the text the program shows for it; nullptr: the server's own text of it
// (CAST to text), read in the same row.
struct TypedValue
{
    const wchar_t* expression;
    const wchar_t* shown;
};

const TypedValue kPostgres[] = {
    {L"interval '1 day 02:03:04.5'", nullptr},
    {L"inet '192.168.0.1/24'", nullptr},
    {L"cidr '10.0.0.0/8'", nullptr},
    {L"macaddr '08:00:2b:01:02:03'", nullptr},
    {L"uuid 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'", L"A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11"},
    {L"json '{\"a\": [1, 2, \"x\"]}'", nullptr},
    {L"jsonb '{\"b\": null, \"a\": 1}'", nullptr},
    {L"xml '<a><b>1</b></a>'", nullptr},
    {L"ARRAY[1, 2, 3]", nullptr},
    {L"ARRAY['a b', 'c''d', NULL]", nullptr},
    {L"point(1.5, 2)", nullptr},
    {L"box(point(0, 0), point(1, 1))", nullptr},
    {L"B'1010'", nullptr},
    {L"int4range(1, 5)", nullptr},
    {L"tsvector 'a fat cat'", nullptr},
    {L"time '13:14:15.123'", nullptr},
    {L"timetz '13:14:15+02'", nullptr},
    {L"'NaN'::numeric", nullptr},
    {L"12345678901234567890.123456789::numeric(40,9)", nullptr},
    {L"'c'::char(3)", L"c  "},
    {L"'name'::name", nullptr},
    {L"9223372036854775807::bigint", nullptr},
    {L"(-32768)::smallint", nullptr},
};

const TypedValue kMariaDB[] = {
    {L"18446744073709551615", L"18446744073709551615"},
    {L"CAST(18446744073709551615 AS UNSIGNED)", L"18446744073709551615"},
    {L"CAST(-9223372036854775808 AS SIGNED)", L"-9223372036854775808"},
    {L"CAST('-838:59:59' AS TIME)", L"-838:59:59"},
    {L"CAST('2024-02-29 23:59:59.123456' AS DATETIME(6))", L"2024/02/29 23:59:59.123456"},
    {L"CAST('-01:02:03.5' AS TIME(1))", L"-01:02:03.5"},
    {L"CAST(12345678901234567890.123456789 AS DECIMAL(40,9))", nullptr},
    {L"JSON_OBJECT('a', 1, 'b', 'x')", nullptr},
    {L"INET6_NTOA(INET6_ATON('::1'))", nullptr},
    {L"CONCAT('caf', CHAR(0xC3A9 USING utf8mb4))", nullptr},
};

const TypedValue kSQLite[] = {
    {L"9223372036854775807", nullptr},
    {L"-9223372036854775808", nullptr},
    {L"'2024-02-29 23:59:59.123'", nullptr},
    {L"x'00ff41' IS NOT NULL", nullptr},
    {L"1e308", nullptr},
};

class ServerTypes : public testing::TestWithParam<CursorParam>
{
protected:
    void SetUp() override { conn = std::make_unique<Connection>(GetParam().db); }

    // Read as the grid reads: numbers as text.
    std::unique_ptr<Zelt::ICursor> Open(const CString& sql)
    {
        return OpenCursor(conn->database.get(), GetParam().kind, sql, RS_NUMERIC_AS_TEXT);
    }

    // Reads "SELECT e, CAST(e AS text)" and gives the two texts.
    void Read(const TypedValue& value, CString& shown, CString& server)
    {
        const Db db = GetParam().db;
        const CString text = db == Db::MariaDB ? L"CHAR" : L"TEXT";
        const CString sql = CString(L"SELECT ") + value.expression + L" AS v, CAST(" +
                            value.expression + L" AS " + text + L") AS t";
        const std::wstring error = ThrownMessage([&] {
            auto cursor = Open(sql);
            ASSERT_TRUE(cursor->MoveFirst());
            ASSERT_FALSE(cursor->IsEOF());
            cursor->GetFieldText(1, shown);
            cursor->GetFieldText(2, server);
        });
        EXPECT_EQ(error, L"") << CStringA(sql).GetString();
    }

    void Check(const TypedValue* values, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
        {
            CString shown, server;
            Read(values[i], shown, server);
            const CString expected = values[i].shown ? CString(values[i].shown) : server;
            EXPECT_EQ(std::string(CStringA(shown)), std::string(CStringA(expected)))
                << CStringA(values[i].expression).GetString();
        }
    }

    std::unique_ptr<Connection> conn;
};

TEST_P(ServerTypes, ShowTheServersText)
{
    switch (GetParam().db)
    {
    case Db::PostgreSQL: Check(kPostgres, std::size(kPostgres)); break;
    case Db::MariaDB: Check(kMariaDB, std::size(kMariaDB)); break;
    default: Check(kSQLite, std::size(kSQLite)); break;
    }
}

// SQLite keeps 64-bit integers in columns of any integer declaration; the driver calls them
// SQL_INTEGER or SQL_SMALLINT all the same.
TEST_P(ServerTypes, SQLiteIntegerColumnsKeepSixtyFourBits)
{
    if (GetParam().db != Db::SQLite)
        GTEST_SKIP();
    const CString table = conn->Table(L"ints");
    conn->Exec(L"CREATE TABLE " + table + L" (id INTEGER PRIMARY KEY, n INTEGER, s SMALLINT)");
    conn->Exec(L"INSERT INTO " + table +
               L" VALUES (1099511627776, 9223372036854775807, -9223372036854775808)");
    std::unique_ptr<Zelt::ICursor> cursor;
    EXPECT_EQ(ThrownMessage([&] {
                  cursor = Open(L"SELECT id, n, s FROM " + table);
                  cursor->MoveFirst();
              }),
              L"");
    ASSERT_TRUE(cursor && !cursor->IsEOF());
    CString id, n, small;
    try
    {
        cursor->GetFieldText(1, id);
        cursor->GetFieldText(2, n);
        cursor->GetFieldText(3, small);
    }
    catch (CException* e)
    {
        ADD_FAILURE() << CStringA(FormatErrorText(e)).GetString();
        e->Delete();
    }
    EXPECT_EQ(std::string(CStringA(id)), "1099511627776");
    EXPECT_EQ(std::string(CStringA(n)), "9223372036854775807");
    EXPECT_EQ(std::string(CStringA(small)), "-9223372036854775808");
}

// SQLite keeps a value of any kind in any column, and its driver reads one unlike its column's
// type as NULL ('abc' in an INTEGER column, '2024-02-30' in a DATE one) or as the number it
// begins with ('12abc' as 12): each reads as the text the file holds, beside true NULLs, through
// every cursor kind, with and without a column of long text (which the driver reads a row at a
// time), with numbers typed or as text; its literal is that text, or the number it is.
TEST_P(ServerTypes, SQLiteValuesUnlikeTheirColumnsTypeReadAsTheirText)
{
    if (GetParam().db != Db::SQLite)
        GTEST_SKIP();
    const CString table = conn->Table(L"unlike");
    conn->Exec(L"CREATE TABLE " + table +
               L" (id INTEGER, a INTEGER, d DATE, ts DATETIME, f DOUBLE, s SMALLINT, t TEXT)");
    const std::wstring longText(40, L'x');
    conn->Exec(L"INSERT INTO " + table +
               L" VALUES (1, 'abc', '2024-02-30', '2024-02-30 10:00:00', 'xyz', 'q', 't'),"
               L" (2, NULL, NULL, NULL, NULL, NULL, NULL),"
               L" (3, '12abc', 2460000.5, 'abc', '1.5abc', '0x10', 't'),"
               L" (4, 7, '2024-03-05', '2024-03-05 07:08:09', 1.5, 3, 't'),"
               L" (5, '', x'41', '2024-13-01', '', '" +
               CString(longText.c_str()) + L"', 't')");
    const std::vector<std::vector<std::wstring>> shown = {
        {L"abc", L"2024-02-30", L"2024-02-30 10:00:00", L"xyz", L"q"},
        {L"<null>", L"<null>", L"<null>", L"<null>", L"<null>"},
        {L"12abc", L"2460000.5", L"abc", L"1.5abc", L"0x10"},
        {L"7", L"2024/03/05", L"2024/03/05 07:08:09", L"1.5", L"3"},
        {L"", L"X'41'", L"2024-13-01", L"", longText},
    };
    for (const wchar_t* columns : {L"a, d, ts, f, s", L"a, d, ts, f, s, t"})
        for (UINT options : {0u, static_cast<UINT>(RS_NUMERIC_AS_TEXT)})
        {
            SCOPED_TRACE(CStringA(columns).GetString() +
                         std::string(options ? ", numbers as text" : ""));
            std::unique_ptr<Zelt::ICursor> c;
            ASSERT_EQ(ThrownMessage([&] {
                          c = OpenCursor(conn->database.get(), GetParam().kind,
                                         CString(L"SELECT ") + columns + L" FROM " + table +
                                             L" ORDER BY id",
                                         options);
                          c->MoveFirst();
                      }),
                      L"");
            for (size_t row = 0; row < shown.size(); ++row)
            {
                ASSERT_FALSE(c->IsEOF()) << row + 1;
                for (UINT col = 1; col <= 5; ++col)
                {
                    const std::wstring expected = shown[row][col - 1];
                    EXPECT_EQ(Text(*c, col), expected) << "row " << row + 1 << ", column " << col;
                    const bool typed = col != 4 || !options;
                    const bool held = typed && expected != L"<null>" && row != 3;
                    EXPECT_EQ(c->IsFieldHeldAsText(col), held)
                        << "row " << row + 1 << ", column " << col;
                    EXPECT_EQ(c->IsFieldNull(col), expected == L"<null>");
                    if (!held)
                        continue;
                    CString whole, literal;
                    EXPECT_TRUE(GetFieldWholeText(c.get(), col, whole));
                    EXPECT_EQ(W(whole), expected);
                    EXPECT_EQ(ThrownMessage([&] {
                                  literal = conn->database->FormatFieldLiteral(DBMS_POSTGRESQL,
                                                                               c.get(), col);
                              }),
                              L"");
                    // (A number of another kind, the real in the DATE column, goes in bare.)
                    EXPECT_EQ(literal, expected == L"2460000.5"
                                           ? CString(L"2460000.5")
                                           : CRDatabase::FormatStringLiteral(
                                                 DBMS_POSTGRESQL, CString(expected.c_str())));
                    // A typed read refuses it rather than give another value or NULL.
                    EXPECT_NE(ThrownMessage([&] {
                                  LONGLONG n = 0;
                                  c->GetFieldBigInt(col, n);
                              }),
                              L"");
                }
                c->MoveNext();
            }
            EXPECT_TRUE(c->IsEOF());
        }
}

// Which text columns' sizes bound their values, so that an editor may hold a value to them:
// psqlODBC gives text and varchar without a length sizes of its own (8190, 255), SQLite keeps
// any length in any column, long types are bounded by the server alone.
TEST_P(ServerTypes, OnlyARealBoundIsTakenForATextColumnsLimit)
{
    const Db db = GetParam().db;
    const CString table = conn->Table(L"bounds");
    conn->Exec(L"CREATE TABLE " + table + L" (t TEXT, v VARCHAR(10), c CHAR(5)" +
               (db == Db::PostgreSQL ? L", u VARCHAR" : L"") + L")");
    std::unique_ptr<Zelt::ICursor> cursor;
    EXPECT_EQ(ThrownMessage([&] { cursor = Open(L"SELECT * FROM " + table); }), L"");
    ASSERT_TRUE(cursor);
    std::vector<bool> bounds;
    for (UINT col = 1; col <= static_cast<UINT>(cursor->GetColumnCount()); ++col)
        bounds.push_back(cursor->GetColumn(col)->bSizeIsLimit);
    const bool server = db != Db::SQLite;
    std::vector<bool> expected = {false, server, server};
    if (db == Db::PostgreSQL)
        expected.push_back(false);
    EXPECT_EQ(bounds, expected);
}

// PostgreSQL values its driver's structures cannot hold: the infinite dates and timestamps, years
// BC, and a negative zero; beside them real values that look like the driver's stand-ins for the
// infinities (today's date, 9999-12-31 23:59:59). Each is shown as the server has it, and its
// literal reads back on the server as the same value.
TEST_P(ServerTypes, PostgreSQLValuesBeyondTheDriversStructuresSurvive)
{
    if (GetParam().db != Db::PostgreSQL)
        GTEST_SKIP();
    const CString table = conn->Table(L"beyond");
    conn->Exec(L"CREATE TABLE " + table + L" (id int, d date, ts timestamp(6), f float8, r real)");
    conn->Exec(L"INSERT INTO " + table +
               L" VALUES (1, 'infinity', 'infinity', '-0', '-0'), "
               L"(2, '-infinity', '-infinity', 0, 1.5), "
               L"(3, current_date, '9999-12-31 23:59:59', -1.5, 'NaN'), "
               L"(4, '2024-03-05', '0044-03-15 12:00:00.25 BC', NULL, NULL), "
               L"(5, NULL, '0001-01-01 00:00:00 BC', '-Infinity', '-0')");
    CRDatabase& db = *conn->database;
    const CString today = QlConnTest::QueryText(db, L"SELECT to_char(current_date, 'YYYY/MM/DD')");
    const std::vector<std::vector<std::wstring>> shown = {
        {L"infinity", L"infinity", L"-0", L"-0"},
        {L"-infinity", L"-infinity", L"0", L"1.5"},
        {W(today), L"9999/12/31 23:59:59", L"-1.5", L"nan"},
        {L"2024/03/05", L"0044/03/15 12:00:00.250 BC", L"<null>", L"<null>"},
        {L"<null>", L"0001/01/01 00:00:00 BC", L"-inf", L"-0"},
    };
    const wchar_t* types[] = {L"date", L"timestamp(6)", L"float8", L"real"};
    const wchar_t* names[] = {L"d", L"ts", L"f", L"r"};
    // (The grid reads numbers as text, exports too; the typed values are read elsewhere.)
    for (UINT options : {0u, static_cast<UINT>(RS_NUMERIC_AS_TEXT)})
    {
        SCOPED_TRACE(options ? "numbers as text" : "typed numbers");
        std::unique_ptr<Zelt::ICursor> c;
        ASSERT_EQ(ThrownMessage([&] {
                      c = OpenCursor(conn->database.get(), GetParam().kind,
                                     L"SELECT d, ts, f, r FROM " + table + L" ORDER BY id",
                                     options);
                      c->MoveFirst();
                  }),
                  L"");
        for (size_t row = 0; row < shown.size(); ++row)
        {
            ASSERT_FALSE(c->IsEOF()) << row + 1;
            for (UINT col = 1; col <= 4; ++col)
            {
                std::wstring expected = shown[row][col - 1];
                // Numbers as text are the server's own words for the special values.
                if (options && expected == L"nan")
                    expected = L"NaN";
                if (options && expected == L"-inf")
                    expected = L"-Infinity";
                EXPECT_EQ(Text(*c, col), expected) << "row " << row + 1 << ", column " << col;
                CString literal;
                EXPECT_EQ(ThrownMessage([&] {
                              literal = db.FormatFieldLiteral(DBMS_POSTGRESQL, c.get(), col);
                          }),
                          L"");
                CString same;
                same.Format(L"SELECT count(*) FROM %s WHERE id = %d AND %s::text IS NOT "
                            L"DISTINCT FROM (%s)::%s::text",
                            table.GetString(), static_cast<int>(row + 1), names[col - 1],
                            literal.GetString(), types[col - 1]);
                EXPECT_EQ(W(QlConnTest::QueryText(db, same)), L"1")
                    << "row " << row + 1 << ", column " << col << ": "
                    << CStringA(literal).GetString();
            }
            if (row == 0)
            {
                // Products without infinite dates refuse them rather than write another date.
                EXPECT_EQ(ThrownMessage([&] { db.FormatFieldLiteral(DBMS_MYSQL, c.get(), 1); }),
                          L"An infinite date cannot be stored in this database.");
            }
            c->MoveNext();
        }
    }

    // A column without a C type of its own (an interval) has every value of an unbound result
    // read with SQLGetData, once each: -infinity and the years BC still come as they are.
    std::unique_ptr<Zelt::ICursor> c;
    ASSERT_EQ(ThrownMessage([&] {
                  c = OpenCursor(conn->database.get(), GetParam().kind,
                                 L"SELECT ts, interval '1 day' AS i FROM " + table +
                                     L" WHERE id IN (2, 4) ORDER BY id",
                                 RS_NUMERIC_AS_TEXT);
                  c->MoveFirst();
              }),
              L"");
    EXPECT_EQ(Text(*c, 1), L"-infinity");
    c->MoveNext();
    EXPECT_EQ(Text(*c, 1), L"0044/03/15 12:00:00.250 BC");

    // Under IntervalStyle sql_standard a negative day and time share one sign ("-1 2:03:04"),
    // which a session of the default style reads as a positive time: a literal of it reads the
    // same interval under every style, and a text that only looks like one is left as it is.
    conn->Exec(L"SET IntervalStyle TO 'sql_standard'");
    ASSERT_EQ(ThrownMessage([&] {
                  c = OpenCursor(conn->database.get(), GetParam().kind,
                                 L"SELECT interval '-1 day -02:03:04.5' AS i, "
                                 L"text '-1 2:03:04' AS t, interval '-1 day +02:03:04' AS j",
                                 RS_NUMERIC_AS_TEXT);
                  c->MoveFirst();
              }),
              L"");
    const CString interval = db.FormatFieldLiteral(DBMS_POSTGRESQL, c.get(), 1);
    EXPECT_EQ(W(db.FormatFieldLiteral(DBMS_POSTGRESQL, c.get(), 2)), L"'-1 2:03:04'");
    const CString mixed = db.FormatFieldLiteral(DBMS_POSTGRESQL, c.get(), 3);
    conn->Exec(L"SET IntervalStyle TO 'postgres'");
    EXPECT_EQ(W(QlConnTest::QueryText(db, L"SELECT (" + interval + L")::interval::text")),
              L"-1 days -02:03:04.5");
    EXPECT_EQ(W(QlConnTest::QueryText(db, L"SELECT (" + mixed + L")::interval::text")),
              L"-1 days +02:03:04");

    // A held cursor reads dates and timestamps from the server's text of them (whatever the
    // columns are named, whatever ends the SELECT): a date BC keeps its era there, read bound or
    // unbound.
    if (GetParam().kind != Kind::MemHeld)
        return;
    for (UINT options : {0u, static_cast<UINT>(RS_UNBOUND)})
    {
        ASSERT_EQ(ThrownMessage([&] {
                      c = OpenCursor(conn->database.get(), GetParam().kind,
                                     L"SELECT DATE '0044-03-15 BC' AS \"Day \"\"d\"\"\", ts FROM " +
                                         table + L" WHERE id = 4 -- the year BC",
                                     options);
                      c->MoveFirst();
                  }),
                  L"");
        EXPECT_EQ(W(c->GetColumnName(1)), L"Day \"d\"");
        EXPECT_TRUE(c->GetColumnSQLType(1) == SQL_DATE || c->GetColumnSQLType(1) == SQL_TYPE_DATE);
        EXPECT_EQ(Text(*c, 1), L"0044/03/15 BC");
        EXPECT_EQ(Text(*c, 2), L"0044/03/15 12:00:00.250 BC");
        // Its literal (an INSERT script's, a key-less row's match) names the same date.
        const CString literal = db.FormatFieldLiteral(DBMS_POSTGRESQL, c.get(), 1);
        EXPECT_EQ(W(QlConnTest::QueryText(db, L"SELECT (" + literal + L")::date::text")),
                  L"0044-03-15 BC")
            << CStringA(literal).GetString();
    }
}

// MariaDB's zero dates and dates with a zero month or day, which its driver hands over as NULL
// (or as such a structure) when asked for a timestamp: each shows as the value it is beside a
// true NULL, and its literal reads back on the server as the same value.
TEST_P(ServerTypes, MariaDBZeroDatesAreNoNulls)
{
    if (GetParam().db != Db::MariaDB)
        GTEST_SKIP();
    const CString table = conn->Table(L"zero_dates");
    conn->Exec(L"CREATE TABLE " + table +
               L" (id int, d date, dt datetime, ts timestamp NULL, dt6 datetime(6))");
    conn->Exec(L"SET SESSION sql_mode = ''");
    conn->Exec(L"INSERT INTO " + table +
               L" VALUES (1, '0000-00-00', '0000-00-00 00:00:00', '0000-00-00 00:00:00', "
               L"'0000-00-00 00:00:00'), (2, NULL, NULL, NULL, NULL), "
               L"(3, '2020-00-00', '2020-00-00 10:00:00', NULL, '2020-01-00 01:02:03.123456'), "
               L"(4, '2020-01-02', '2020-01-02 03:04:05', '2020-01-02 03:04:05', "
               L"'2020-01-02 03:04:05.000001')");
    const std::vector<std::vector<std::wstring>> shown = {
        {L"0/00/00", L"0/00/00 00:00:00", L"0/00/00 00:00:00", L"0/00/00 00:00:00"},
        {L"<null>", L"<null>", L"<null>", L"<null>"},
        {L"2020/00/00", L"2020/00/00 10:00:00", L"<null>", L"2020/01/00 01:02:03.123456"},
        {L"2020/01/02", L"2020/01/02 03:04:05", L"2020/01/02 03:04:05",
         L"2020/01/02 03:04:05.000001"},
    };
    const wchar_t* names[] = {L"d", L"dt", L"ts", L"dt6"};
    CRDatabase& db = *conn->database;
    // Read with many rows to a block as well, where the program reads blocks.
    std::unique_ptr<Zelt::ICursor> c;
    ASSERT_EQ(ThrownMessage([&] {
                  c = OpenCursor(conn->database.get(), GetParam().kind,
                                 L"SELECT d, dt, ts, dt6 FROM " + table + L" ORDER BY id",
                                 RS_NUMERIC_AS_TEXT);
                  c->MoveFirst();
              }),
              L"");
    for (size_t row = 0; row < shown.size(); ++row)
    {
        ASSERT_FALSE(c->IsEOF()) << row + 1;
        for (UINT col = 1; col <= 4; ++col)
        {
            EXPECT_EQ(Text(*c, col), shown[row][col - 1])
                << "row " << row + 1 << ", column " << col;
            CString literal;
            EXPECT_EQ(
                ThrownMessage([&] { literal = db.FormatFieldLiteral(DBMS_MYSQL, c.get(), col); }),
                L"");
            CString same;
            same.Format(L"SELECT count(*) FROM %s WHERE id = %d AND %s <=> %s", table.GetString(),
                        static_cast<int>(row + 1), names[col - 1], literal.GetString());
            EXPECT_EQ(W(QlConnTest::QueryText(db, same)), L"1")
                << "row " << row + 1 << ", column " << col << ": " << CStringA(literal).GetString();
        }
        c->MoveNext();
    }
    EXPECT_TRUE(c->IsEOF());
}

// PostgreSQL's numeric holds numbers of thousands of digits, and its times and timestamps
// microseconds: each number reads whole (up to the field size, past it it is marked cut), and a
// time shows every digit it has, as it is copied and exported.
TEST_P(ServerTypes, PostgreSQLLongNumbersAndFractionsReadWhole)
{
    if (GetParam().db != Db::PostgreSQL)
        GTEST_SKIP();
    const CString table = conn->Table(L"long_numbers");
    conn->Exec(L"CREATE TABLE " + table + L" (id int, n numeric, t time(6), ts timestamp(6))");
    // Many rows, so that blocks after the first are read too.
    conn->Exec(L"INSERT INTO " + table +
               L" SELECT k, CASE k % 3 WHEN 0 THEN (repeat('9', 300) || "
               L"'.123456789123456789123456789')::numeric WHEN 1 THEN (repeat('7', 5000) || "
               L"'.5')::numeric ELSE k END, '07:08:09.123456', '2024-03-05 07:08:09.000001' "
               L"FROM generate_series(1, 1200) AS k");
    conn->Exec(L"INSERT INTO " + table + L" VALUES (0, (repeat('1', 70000))::numeric, NULL, NULL)");
    std::unique_ptr<Zelt::ICursor> c;
    ASSERT_EQ(ThrownMessage([&] {
                  c = OpenCursor(conn->database.get(), GetParam().kind,
                                 L"SELECT n, n::text, t, ts FROM " + table + L" ORDER BY id",
                                 RS_NUMERIC_AS_TEXT);
                  c->MoveFirst();
              }),
              L"");
    ASSERT_FALSE(c->IsEOF());
    // Longer than the field size: marked as cut, never shown as another whole number (an
    // unbound read takes values whole).
    CString longest;
    c->GetFieldText(2, longest);
    EXPECT_TRUE(c->IsFieldTruncated(1) || Text(*c, 1) == W(longest));
    int rows = 0;
    for (c->MoveNext(); !c->IsEOF(); c->MoveNext())
    {
        ++rows;
        CString server;
        c->GetFieldText(2, server);
        // The digits the server sends (the driver's scale of 6 for an unconstrained numeric is
        // none of the value's).
        ASSERT_EQ(Text(*c, 1), W(server)) << "row " << rows;
        EXPECT_FALSE(c->IsFieldTruncated(1)) << "row " << rows;
        EXPECT_EQ(Text(*c, 3), L"07:08:09.123456") << "row " << rows;
        EXPECT_EQ(Text(*c, 4), L"2024/03/05 07:08:09.000001") << "row " << rows;
        CString whole;
        EXPECT_TRUE(GetFieldWholeText(c.get(), 3, whole));
        EXPECT_EQ(W(whole), L"07:08:09.123456") << "row " << rows;
        EXPECT_TRUE(GetFieldWholeText(c.get(), 4, whole));
        EXPECT_EQ(W(whole), L"2024/03/05 07:08:09.000001") << "row " << rows;
    }
    auto* pMem = dynamic_cast<Zelt::CMemCursor*>(c.get());
    EXPECT_EQ(rows, 1200) << (pMem && pMem->IsStopped() ? W(pMem->GetStopError()->m_strError)
                                                        : std::wstring());
}

INSTANTIATE_TEST_SUITE_P(AllDatabases, ServerTypes, EveryDatabaseAndCursorKind(), CursorParamName);

} // namespace
