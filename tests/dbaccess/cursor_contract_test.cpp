// One suite for both cursors: the recordset itself, and memory cursors over a forward-only
// recordset (bound and unbound; on SQLite also over a read of declared columns, which steps
// through the result), on SQLite, PostgreSQL and MariaDB.
#include "conn_test_util.h"
#include "cursor_kinds.h"

using namespace QlRsTest;

namespace {

const int kLongText = 70000;
const int kLongBinary = 1000;

CString LongText()
{
    std::wstring s;
    for (int i = 0; i < kLongText; ++i)
        s += static_cast<wchar_t>(L'0' + i % 10);
    return CString(s.c_str());
}

BYTE LongByte(int i)
{
    return static_cast<BYTE>(i * 7 + 1);
}

class CursorContract : public testing::TestWithParam<CursorParam>
{
protected:
    void SetUp() override
    {
        conn = std::make_unique<Connection>(GetParam().db);
        table = conn->Table(L"contract");
        const Db db = GetParam().db;
        const CString dbl = db == Db::PostgreSQL ? L"DOUBLE PRECISION" : L"DOUBLE";
        const CString blob = db == Db::PostgreSQL ? L"BYTEA" : L"BLOB";
        const CString ts = db == Db::MariaDB ? L"DATETIME" : L"TIMESTAMP";
        const CString text = db == Db::MariaDB ? L"MEDIUMTEXT" : L"TEXT";
        conn->Exec(L"CREATE TABLE " + table + L" (id INTEGER, big BIGINT, d " + dbl +
                   L", num NUMERIC(10,2), s VARCHAR(20), t " + text + L", b " + blob + L", ts " +
                   ts + L")");

        std::wstring hex;
        for (int i = 0; i < kLongBinary; ++i)
        {
            wchar_t h[3];
            swprintf(h, 3, L"%02X", LongByte(i));
            hex += h;
        }
        auto bin = [&](const std::wstring& h) {
            return db == Db::PostgreSQL ? CString((L"decode('" + h + L"', 'hex')").c_str())
                                        : CString((L"X'" + h + L"'").c_str());
        };
        conn->Exec(L"INSERT INTO " + table +
                   L" VALUES (1, 9000000000, 1.5, 12.34, 'abc', 'short', " + bin(L"0AFF") +
                   L", '2024-03-05 07:08:09')");
        conn->Exec(L"INSERT INTO " + table + L" VALUES (2, -5, -2.7, -0.5, '', '" + LongText() +
                   L"', " + bin(hex) + L", '1999-12-31 23:59:58')");
        conn->Exec(L"INSERT INTO " + table + L" (id) VALUES (3)");
    }

    std::unique_ptr<Zelt::ICursor> Open(const CString& sql, UINT options = 0)
    {
        return OpenCursor(conn->database.get(), GetParam().kind, sql, options);
    }

    std::unique_ptr<Zelt::ICursor> OpenAll(UINT options = 0)
    {
        return Open(L"SELECT id, big, d, num, s, t, b, ts FROM " + table + L" ORDER BY id",
                    options);
    }

    bool IsMem() const { return GetParam().kind != Kind::Recordset; }

    // kManyRows rows (id 1..n, s 'v<id>'), enough for several of a held cursor's FETCHes.
    // (Digits crossed: MariaDB stops a recursion after 1000 rounds.)
    static constexpr int kManyRows = 9000;
    CString ManyRowsSelect() const
    {
        return L"WITH RECURSIVE d(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM d WHERE n < 9), "
               L"c(g) AS (SELECT a.n + 10 * b.n + 100 * x.n + 1000 * y.n + 1 "
               L"FROM d a, d b, d x, d y) SELECT g AS id, " +
               CString(GetParam().db == Db::MariaDB ? L"CONCAT('v', g)" : L"'v' || g") +
               L" AS s FROM c WHERE g <= " + CString(std::to_wstring(kManyRows).c_str()) +
               L" ORDER BY g";
    }
    // SQLite's driver reports NUMERIC(10,2) as a DOUBLE without a scale.
    std::wstring MinusHalf() const { return GetParam().db == Db::SQLite ? L"-0.5" : L"-0.50"; }

    std::unique_ptr<Connection> conn;
    CString table;
};

TEST_P(CursorContract, DescribesItsColumns)
{
    auto c = OpenAll();
    ASSERT_EQ(c->GetColumnCount(), 8);
    EXPECT_TRUE(c->HasResultColumns());
    EXPECT_EQ(W(c->GetColumnName(1)), L"id");
    EXPECT_EQ(W(c->GetColumnName(8)), L"ts");
    EXPECT_EQ(c->FindColumn(L"BIG"), 2);
    EXPECT_EQ(c->FindColumn(L"missing"), -1);
    EXPECT_EQ(c->GetColumn(0), nullptr);
    EXPECT_EQ(c->GetColumn(9), nullptr);
    EXPECT_EQ(W(c->GetColumnName(9)), L"");
    EXPECT_EQ(c->GetColumnSQLType(9), 0);
    EXPECT_TRUE(c->IsDecimalColumn(3));
    EXPECT_TRUE(c->IsDecimalColumn(4));
    EXPECT_FALSE(c->IsDecimalColumn(5));
    EXPECT_FALSE(c->IsDecimalColumn(42));
    // SQLite's integers are 64 bits wide whatever their declaration.
    EXPECT_EQ(c->GetColumnCType(1), GetParam().db == Db::SQLite ? SQL_C_SBIGINT : SQL_C_LONG);
    EXPECT_EQ(c->GetColumnCType(2), SQL_C_SBIGINT);
    EXPECT_EQ(c->GetColumnCType(3), SQL_C_DOUBLE);
    EXPECT_EQ(c->GetColumnCType(5), SQL_C_WCHAR);
    EXPECT_EQ(c->GetColumnCType(8), SQL_C_TIMESTAMP);
    EXPECT_EQ(W(c->GetTableName()), W(table));
}

TEST_P(CursorContract, ReadsForwardToTheEndAndKnowsTheCount)
{
    auto c = OpenAll();
    ASSERT_TRUE(c->MoveFirst());
    std::vector<long> ids;
    while (!c->IsEOF())
    {
        EXPECT_FALSE(c->IsBOF());
        long id = 0;
        ASSERT_TRUE(c->GetFieldLong(1, id));
        ids.push_back(id);
        c->MoveNext();
    }
    EXPECT_EQ(ids, (std::vector<long>{1, 2, 3}));
    EXPECT_TRUE(c->IsEOF());
    EXPECT_FALSE(c->IsBOF());
    EXPECT_EQ(c->GetRecordCount(), 3);
    Zelt::ICursor::CStatus status;
    c->GetStatus(status);
    EXPECT_TRUE(status.bCountFinal);
}

TEST_P(CursorContract, MovesBackAndToAbsoluteRows)
{
    auto c = OpenAll();
    long id = 0;
    ASSERT_TRUE(c->MoveLast());
    ASSERT_TRUE(c->GetFieldLong(1, id));
    EXPECT_EQ(id, 3);
    ASSERT_TRUE(c->MovePrev());
    ASSERT_TRUE(c->GetFieldLong(1, id));
    EXPECT_EQ(id, 2);
    ASSERT_TRUE(c->SetAbsolutePosition(1));
    ASSERT_TRUE(c->GetFieldLong(1, id));
    EXPECT_EQ(id, 1);
    Zelt::ICursor::CStatus status;
    c->GetStatus(status);
    EXPECT_EQ(status.nCurrentRow, 0);
    ASSERT_TRUE(c->Move(2, SQL_FETCH_RELATIVE));
    ASSERT_TRUE(c->GetFieldLong(1, id));
    EXPECT_EQ(id, 3);
}

TEST_P(CursorContract, TypedGettersConvertWhatTheyAccept)
{
    auto c = OpenAll();
    ASSERT_TRUE(c->MoveFirst());
    long l = 0;
    int i = 0;
    LONGLONG big = 0;
    double d = 0;
    float f = 0;
    EXPECT_TRUE(c->GetFieldLong(1, l));
    EXPECT_EQ(l, 1);
    EXPECT_TRUE(c->GetFieldInt(1, i));
    EXPECT_EQ(i, 1);
    EXPECT_TRUE(c->GetFieldBigInt(2, big));
    EXPECT_EQ(big, 9000000000LL);
    EXPECT_TRUE(c->GetFieldDouble(2, d));
    EXPECT_EQ(d, 9000000000.0);
    EXPECT_TRUE(c->GetFieldDouble(3, d));
    EXPECT_EQ(d, 1.5);
    EXPECT_TRUE(c->GetFieldFloat(3, f));
    EXPECT_EQ(f, 1.5f);
    EXPECT_TRUE(c->GetFieldDouble(4, d));
    EXPECT_NEAR(d, 12.34, 1e-9);
    EXPECT_EQ(Text(*c, 4), L"12.34");
    EXPECT_EQ(Text(*c, 5), L"abc");
    EXPECT_EQ(Text(*c, 6), L"short");

    CByteArray bytes;
    ASSERT_TRUE(c->GetFieldBinary(7, bytes));
    ASSERT_EQ(bytes.GetSize(), 2);
    EXPECT_EQ(bytes[0], 0x0A);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(Text(*c, 7), L"0AFF");

    TIMESTAMP_STRUCT ts{};
    ASSERT_TRUE(c->GetFieldTimestamp(8, ts));
    EXPECT_EQ(ts.year, 2024);
    EXPECT_EQ(ts.month, 3);
    EXPECT_EQ(ts.day, 5);
    EXPECT_EQ(ts.hour, 7);
    EXPECT_EQ(ts.minute, 8);
    EXPECT_EQ(ts.second, 9);
    SQL_SS_TIMESTAMPOFFSET_STRUCT tso{};
    ASSERT_TRUE(c->GetFieldTimestampOffset(8, tso));
    EXPECT_EQ(tso.day, 5);
    EXPECT_EQ(tso.timezone_hour, 0);
    EXPECT_EQ(tso.timezone_minute, 0);
    COleDateTime ole;
    ASSERT_TRUE(c->GetFieldOleDateTime(8, ole));
    EXPECT_EQ(ole.GetYear(), 2024);
    EXPECT_EQ(ole.GetSecond(), 9);
    EXPECT_EQ(Text(*c, 8), L"2024/03/05 07:08:09");

    CString byName;
    ASSERT_TRUE(c->GetFieldTextByName(L"S", byName));
    EXPECT_EQ(W(byName), L"abc");
    ASSERT_TRUE(c->GetFieldIntByName(L"Id", i));
    EXPECT_EQ(i, 1);
    EXPECT_EQ(ThrownMessage([&] { c->GetFieldTextByName(L"nope", byName); }),
              L"Failed retrieving data from field 'nope'");

    // Types a getter does not take are refused, not converted.
    EXPECT_NE(ThrownMessage([&] { c->GetFieldLong(2, l); }), L"");
    bool flag = false;
    CString text;
    EXPECT_NE(ThrownMessage([&] { c->GetFieldBool(1, flag); }), L"");
    EXPECT_NE(ThrownMessage([&] { c->GetFieldTimestamp(1, ts); }), L"");
    EXPECT_NE(ThrownMessage([&] { c->GetFieldDouble(5, d); }), L"");
    EXPECT_NE(ThrownMessage([&] { c->GetFieldText(9, text); }), L"");

    ASSERT_TRUE(c->MoveNext());
    EXPECT_TRUE(c->GetFieldLong(3, l));
    EXPECT_EQ(l, -2); // toward zero
    EXPECT_EQ(Text(*c, 4), MinusHalf());
    EXPECT_EQ(Text(*c, 5), L"");
}

TEST_P(CursorContract, TimesCTimeCannotHoldAreOutOfRange)
{
    conn->Exec(L"UPDATE " + table + L" SET ts = '1960-01-02 03:04:05' WHERE id = 2");
    auto c = OpenAll();
    ASSERT_TRUE(c->MoveFirst());
    CTime t;
    ASSERT_TRUE(c->GetFieldTime(8, t));
    EXPECT_EQ(t.GetYear(), 2024);
    EXPECT_EQ(t.GetSecond(), 9);
    ASSERT_TRUE(c->MoveNext());
    EXPECT_EQ(ThrownMessage([&] { c->GetFieldTime(8, t); }), L"Value out of range for field #8");
    TIMESTAMP_STRUCT ts{};
    ASSERT_TRUE(c->GetFieldTimestamp(8, ts));
    EXPECT_EQ(ts.year, 1960);
}

TEST_P(CursorContract, NullValuesAreFalseNotFailures)
{
    auto c = OpenAll();
    ASSERT_TRUE(c->SetAbsolutePosition(3));
    double d = 0;
    CByteArray bytes;
    TIMESTAMP_STRUCT ts{};
    LONGLONG big = 0;
    EXPECT_FALSE(c->GetFieldBigInt(2, big));
    EXPECT_FALSE(c->GetFieldDouble(3, d));
    EXPECT_FALSE(c->GetFieldBinary(7, bytes));
    EXPECT_FALSE(c->GetFieldTimestamp(8, ts));
    for (UINT col = 2; col <= 8; ++col)
    {
        CString s = L"kept";
        EXPECT_FALSE(c->GetFieldText(col, s)) << col;
        // The recordset empties the text; the memory cursor leaves it alone.
        EXPECT_EQ(W(s), IsMem() ? L"kept" : L"") << col;
    }
    EXPECT_TRUE(c->IsFieldNull(5));
    EXPECT_FALSE(c->IsFieldValid(5));
}

TEST_P(CursorContract, LongValuesAreWholeOrMarkedTruncated)
{
    auto c = OpenAll();
    ASSERT_TRUE(c->SetAbsolutePosition(2));
    const std::wstring whole = W(LongText());
    CString text;
    ASSERT_TRUE(c->GetFieldText(6, text));
    if (c->IsFieldTruncated(6))
    {
        EXPECT_LT(text.GetLength(), kLongText);
        EXPECT_EQ(whole.compare(0, static_cast<size_t>(text.GetLength()), W(text)), 0);
    }
    else
    {
        EXPECT_EQ(W(text), whole);
    }
    CByteArray bytes;
    ASSERT_TRUE(c->GetFieldBinary(7, bytes));
    const bool binTruncated = c->IsFieldTruncated(7);
    if (binTruncated)
        EXPECT_LT(bytes.GetSize(), kLongBinary);
    else
        EXPECT_EQ(bytes.GetSize(), kLongBinary);
    for (INT_PTR i = 0; i < bytes.GetSize(); ++i)
        ASSERT_EQ(bytes[i], LongByte(static_cast<int>(i))) << i;

    // A bound recordset holds at most 65,536 characters, and fewer where the driver declares
    // fewer: the long text never comes whole, and says so.
    if (GetParam().kind != Kind::MemUnbound)
        EXPECT_TRUE(c->IsFieldTruncated(6));
    else
        EXPECT_FALSE(c->IsFieldTruncated(6));
}

// A column of n characters holds n characters beyond U+FFFF, each two UTF-16 units: every value
// comes whole, however the result is read.
TEST_P(CursorContract, CharactersBeyondTheBasicPlaneComeWhole)
{
    const Db db = GetParam().db;
    const CString emoji = conn->Table(L"emoji");
    // SQLite's driver takes statement text as 8 bits: its characters are spelled as numbers.
    auto lit = [db](int count, LPCWSTR tail = L"") {
        std::wstring s;
        if (db == Db::SQLite)
        {
            s = L"char(";
            for (int i = 0; i < count; ++i)
                s += i ? L", 128512" : L"128512";
            s += L")";
            if (*tail)
                s += std::wstring(L" || '") + tail + L"'";
            return CString(s.c_str());
        }
        for (int i = 0; i < count; ++i)
            s += L"\U0001F600";
        return CString((L"'" + s + tail + L"'").c_str());
    };
    conn->Exec(L"CREATE TABLE " + emoji + L" (id INTEGER, v4 VARCHAR(4), c4 CHAR(4), v10 " +
               L"VARCHAR(10))");
    conn->Exec(L"INSERT INTO " + emoji + L" VALUES (1, " + lit(4) + L", " + lit(4) + L", " +
               lit(10) + L")");
    conn->Exec(L"INSERT INTO " + emoji + L" VALUES (2, " + lit(1, L" ok") + L", " + lit(1, L" ok") +
               L", " + lit(9, L"x") + L")");
    std::wstring four, ten, nine;
    for (int i = 0; i < 10; ++i)
        (i < 4 ? four : ten) += L"\U0001F600";
    ten = four + ten;
    nine = ten.substr(0, 18) + L"x";
    auto c = Open(L"SELECT id, v4, c4, v10 FROM " + emoji + L" ORDER BY id");
    ASSERT_TRUE(c->MoveFirst());
    EXPECT_EQ(Text(*c, 2), four);
    EXPECT_EQ(Text(*c, 3), four);
    EXPECT_EQ(Text(*c, 4), ten);
    for (UINT col = 2; col <= 4; ++col)
        EXPECT_FALSE(c->IsFieldTruncated(col)) << col;
    ASSERT_TRUE(c->MoveNext());
    EXPECT_EQ(Text(*c, 2), L"\U0001F600 ok");
    EXPECT_EQ(Text(*c, 3), L"\U0001F600 ok");
    EXPECT_EQ(Text(*c, 4), nine);
    for (UINT col = 2; col <= 4; ++col)
        EXPECT_FALSE(c->IsFieldTruncated(col)) << col;
}

// PostgreSQL writes a numeric with the scale it holds, which a numeric without a declared scale
// keeps per value: 12.50 reads as the server wrote it, not padded to the driver's scale of 6. A
// timestamptz is read as the server's text (as a table is selected, see BuildObjectSelect): the
// two instants of the hour the clock turns back read apart, with their offsets.
TEST_P(CursorContract, PostgresInstantsAndNumericsReadAsTheServerWritesThem)
{
    if (GetParam().db != Db::PostgreSQL)
        GTEST_SKIP() << "PostgreSQL's types";
    const CString t = conn->Table(L"scales");
    conn->Exec(L"SET TimeZone = 'Europe/Berlin'");
    conn->Exec(L"CREATE TABLE " + t +
               L" (id INTEGER, n NUMERIC, n3 NUMERIC(10,3), at TIMESTAMPTZ)");
    conn->Exec(L"INSERT INTO " + t +
               L" VALUES (1, 12.50, 1.5, '2024-10-27 02:30:00+02'), (2, 12.5, -0.25, "
               L"'2024-10-27 02:30:00+01'), (3, 7, NULL, NULL), (4, -0.000, 0, 'infinity')");
    auto c =
        Open(L"SELECT id, n, n3, at::text AS at FROM " + t + L" ORDER BY id", RS_NUMERIC_AS_TEXT);
    std::vector<std::wstring> texts;
    for (c->MoveFirst(); !c->IsEOF(); c->MoveNext())
        for (UINT col = 2; col <= 4; ++col)
            texts.push_back(Text(*c, col));
    EXPECT_EQ(texts,
              (std::vector<std::wstring>{L"12.50", L"1.500", L"2024-10-27 02:30:00+02", L"12.5",
                                         L"-0.250", L"2024-10-27 02:30:00+01", L"7", L"<null>",
                                         L"<null>", L"0.000", L"0.000", L"infinity"}));

    // The user's own query reads the column whole as well, under the query's labels (a quote
    // in one, one twice), in the query's order; a sequence it calls moves once per row. (Only
    // the program's own SELECT goes through a held cursor.)
    if (GetParam().kind == Kind::MemHeld)
        return;
    conn->Exec(L"CREATE TEMPORARY SEQUENCE " + t + L"_s");
    const CString query = L"SELECT id AS \"i\"\"d\", at, at AS at2, nextval('" + t +
                          L"_s') AS at FROM " + t + L" ORDER BY id DESC ; -- newest first";
    c = Open(query, RS_NUMERIC_AS_TEXT | RS_QUERY_MAY_STREAM);
    EXPECT_EQ(c->GetSQL(), query);
    std::vector<std::wstring> names;
    for (UINT col = 1; col <= static_cast<UINT>(c->GetColumnCount()); ++col)
        names.push_back(std::wstring(c->GetColumnName(col)));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"i\"d", L"at", L"at2", L"at"}));
    texts.clear();
    for (c->MoveFirst(); !c->IsEOF(); c->MoveNext())
        for (UINT col = 1; col <= 4; ++col)
            texts.push_back(Text(*c, col));
    EXPECT_EQ(texts, (std::vector<std::wstring>{
                         L"4", L"infinity", L"infinity", L"1", L"3", L"<null>", L"<null>", L"2",
                         L"2", L"2024-10-27 02:30:00+01", L"2024-10-27 02:30:00+01", L"3", L"1",
                         L"2024-10-27 02:30:00+02", L"2024-10-27 02:30:00+02", L"4"}));
    auto sequence = Open(L"SELECT last_value FROM " + t + L"_s");
    ASSERT_TRUE(sequence->MoveFirst());
    EXPECT_EQ(Text(*sequence, 1), L"4");

    // A WITH query as well; one that changes rows (taken only at the top level) runs once, its
    // main SELECT read inside it.
    c = Open(L"WITH r AS (SELECT id, at FROM " + t + L") SELECT at FROM r WHERE id = 2",
             RS_QUERY_MAY_STREAM);
    ASSERT_TRUE(c->MoveFirst());
    EXPECT_EQ(Text(*c, 1), L"2024-10-27 02:30:00+01");
    c = Open(L"WITH d AS (DELETE FROM " + t + L" WHERE id = 2 RETURNING id, at) SELECT * FROM d",
             RS_QUERY_MAY_STREAM);
    ASSERT_TRUE(c->MoveFirst());
    EXPECT_EQ(Text(*c, 1), L"2");
    EXPECT_EQ(Text(*c, 2), L"2024-10-27 02:30:00+01");
    c = Open(L"SELECT count(*) FROM " + t);
    ASSERT_TRUE(c->MoveFirst());
    EXPECT_EQ(Text(*c, 1), L"3");
}

TEST_P(CursorContract, NumbersHeldAsTextReportTheSameCType)
{
    auto c = OpenAll(RS_NUMERIC_AS_TEXT);
    ASSERT_TRUE(c->MoveFirst());
    EXPECT_TRUE(c->IsNumericAsText());
    EXPECT_EQ(c->GetColumnCType(3), SQL_C_DOUBLE);
    EXPECT_EQ(c->GetColumnCType(4), SQL_C_DOUBLE);
    EXPECT_EQ(Text(*c, 4), L"12.34");
    ASSERT_TRUE(c->MoveNext());
    EXPECT_EQ(Text(*c, 4), MinusHalf());
    EXPECT_EQ(Text(*c, 3), L"-2.7");
}

// SQLite's driver describes a column declared INTEGER or SMALLINT as such, yet any of its values
// may take 64 bits: however the result is read, such a value comes whole, and the 32- and 16-bit
// getters refuse it rather than cut it.
TEST_P(CursorContract, SQLiteIntegersOfAnyDeclarationComeWhole)
{
    if (GetParam().db != Db::SQLite)
        GTEST_SKIP() << "the column types of the other databases bound their values";
    const CString wide = conn->Table(L"wide");
    conn->Exec(L"CREATE TABLE " + wide + L" (i INTEGER, s SMALLINT)");
    conn->Exec(L"INSERT INTO " + wide + L" VALUES (5000000000, -4294967297)");
    conn->Exec(L"INSERT INTO " + wide + L" VALUES (-7, 70000)");
    for (UINT options : {0u, static_cast<UINT>(RS_NUMERIC_AS_TEXT)})
    {
        SCOPED_TRACE(options);
        auto c = Open(L"SELECT i, s FROM " + wide + L" ORDER BY i DESC", options);
        ASSERT_TRUE(c->MoveFirst());
        LONGLONG big = 0;
        ASSERT_TRUE(c->GetFieldBigInt(1, big));
        EXPECT_EQ(big, 5000000000LL);
        ASSERT_TRUE(c->GetFieldBigInt(2, big));
        EXPECT_EQ(big, -4294967297LL);
        EXPECT_EQ(Text(*c, 1), L"5000000000");
        EXPECT_EQ(Text(*c, 2), L"-4294967297");
        double d = 0;
        ASSERT_TRUE(c->GetFieldDouble(1, d));
        EXPECT_EQ(d, 5000000000.0);
        long l = 0;
        short sh = 0;
        EXPECT_EQ(ThrownMessage([&] { c->GetFieldLong(1, l); }),
                  L"Value out of range for field #1");
        EXPECT_EQ(ThrownMessage([&] { c->GetFieldShort(2, sh); }),
                  L"Value out of range for field #2");

        // Values that fit still read through the narrow getters.
        ASSERT_TRUE(c->MoveNext());
        ASSERT_TRUE(c->GetFieldLong(1, l));
        EXPECT_EQ(l, -7);
        ASSERT_TRUE(c->GetFieldLong(2, l));
        EXPECT_EQ(l, 70000);
        EXPECT_EQ(ThrownMessage([&] { c->GetFieldShort(2, sh); }),
                  L"Value out of range for field #2");
    }
}

// SQLite keeps each value as it is given, whatever its column's type: every value of another
// storage class than its column's reads as its own text (1.5 in an INTEGER column, not 1; 'yes'
// in a BOOLEAN one, not NULL; 2 there, not 1; a date with its time in a DATE one), and an INSERT
// script writes it as stored: numbers bare, texts quoted.
TEST_P(CursorContract, SQLiteValuesReadAsTheirStorageClassHoldsThem)
{
    if (GetParam().db != Db::SQLite)
        GTEST_SKIP() << "the servers keep values of their columns' types";
    const CString sc = conn->Table(L"sc");
    conn->Exec(L"CREATE TABLE " + sc +
               L" (k INTEGER, i INTEGER, r REAL, b BOOLEAN, d DATE, x TEXT)");
    conn->Exec(L"INSERT INTO " + sc +
               L" VALUES (1, 1, 1.5, 1, '2024-02-29', 'a'),"
               L" (2, 1.5, 2, 'yes', '2024-02-29T10:00', X'00FF'), (3, 'abc', 'xyz', 2, 12, 'p'),"
               L" (4, X'00FF', X'00FF', 'no', 1.5, NULL), (5, 9.3e+18, 1e300, 0, '2024-02-29 "
               L"10:00', 'q'), (6, 'X''0102''', 'X''00FF''', 1, 'X''''', 'X''0A''')");
    struct Cell
    {
        const wchar_t* text; // nullptr: not held
        const wchar_t* literal;
        // What the file holds where the value reads as a blob's text: the blob (X'00FF' in i),
        // a text (i's 'X''0102''', d's 'X'''''), or either (r holds both X'00FF').
        int form = Zelt::ICursor::kBlobFormNone;
        const wchar_t* sqliteLiteral = nullptr; // for a SQLite script where it is not literal
    };
    const int blob = Zelt::ICursor::kBlobFormBlob, text = Zelt::ICursor::kBlobFormText,
              either = Zelt::ICursor::kBlobFormEither;
    const Cell rows[6][4] = {
        {{nullptr, L"1"}, {nullptr, L"1.5"}, {nullptr, L"1"}, {nullptr, L"'2024-02-29'"}},
        {{L"1.5", L"1.5"},
         {nullptr, nullptr},
         {L"yes", L"'yes'"},
         {L"2024-02-29T10:00", L"'2024-02-29T10:00'"}},
        {{L"abc", L"'abc'"}, {L"xyz", L"'xyz'"}, {nullptr, L"2"}, {L"12", L"12"}},
        {{L"X'00FF'", L"'X''00FF'''", blob, L"X'00FF'"},
         {L"X'00FF'", L"'X''00FF'''", either},
         {L"no", L"'no'"},
         {L"1.5", L"1.5"}},
        {{L"9.3e+18", L"9.3e+18"},
         {nullptr, nullptr},
         {nullptr, L"0"},
         {L"2024-02-29 10:00", L"'2024-02-29 10:00'"}},
        {{L"X'0102'", L"'X''0102'''", text, L"'X''0102'''"},
         {L"X'00FF'", L"'X''00FF'''", either},
         {nullptr, L"1"},
         {L"X''", L"'X'''''", text, L"'X'''''"}}};
    for (UINT options : {0u, static_cast<UINT>(RS_NUMERIC_AS_TEXT)})
    {
        SCOPED_TRACE(options);
        auto c = Open(L"SELECT i, r, b, d FROM " + sc + L" ORDER BY k", options);
        ASSERT_TRUE(c->MoveFirst());
        for (int row = 0; row < 6; ++row, c->MoveNext())
            for (UINT col = 1; col <= 4; ++col)
            {
                SCOPED_TRACE(testing::Message() << "row " << row + 1 << " column " << col);
                const Cell& cell = rows[row][col - 1];
                ASSERT_FALSE(c->IsEOF());
                EXPECT_FALSE(c->IsFieldTruncated(col));
                // (Numbers as text read the REAL column as its text, whatever it holds.)
                if (col != 2 || options == 0)
                {
                    EXPECT_EQ(c->IsFieldHeldAsText(col), cell.text != nullptr);
                    EXPECT_EQ(c->GetFieldBlobForm(col), cell.form);
                }
                if (cell.text)
                {
                    EXPECT_EQ(Text(*c, col), cell.text);
                }
                if (cell.literal)
                {
                    EXPECT_EQ(std::wstring(conn->database->FormatFieldLiteral(DBMS_POSTGRESQL,
                                                                              c.get(), col)),
                              cell.literal);
                }
                // A SQLite script writes the blob as one; a value either may be is refused.
                if (cell.form == either)
                    EXPECT_ANY_THROW(conn->database->FormatFieldLiteral(DBMS_SQLITE, c.get(), col));
                else if (cell.sqliteLiteral)
                {
                    EXPECT_EQ(
                        std::wstring(conn->database->FormatFieldLiteral(DBMS_SQLITE, c.get(), col)),
                        cell.sqliteLiteral);
                }
            }
    }
    // A blob in a TEXT column reads whole as the text SQLite writes of it, told from a text of
    // that form beside it, through a memory cursor too; a column under another name is no
    // column of the table the program could ask about.
    for (const wchar_t* select : {L"SELECT x FROM ", L"SELECT x AS note FROM "})
    {
        const bool renamed = select[9] == L'A';
        auto c = Open(CString(select) + sc + L" WHERE k IN (2, 6) ORDER BY k");
        ASSERT_TRUE(c->MoveFirst());
        EXPECT_FALSE(c->IsFieldTruncated(1));
        EXPECT_EQ(Text(*c, 1), L"X'00FF'");
        EXPECT_EQ(c->GetFieldBlobForm(1), renamed ? either : blob);
        ASSERT_TRUE(c->MoveNext());
        EXPECT_EQ(Text(*c, 1), L"X'0A'");
        EXPECT_EQ(c->GetFieldBlobForm(1), renamed ? either : text);
    }
}

TEST_P(CursorContract, EmptyResultStandsAtBothEnds)
{
    auto c = Open(L"SELECT id FROM " + table + L" WHERE id > 100");
    if (IsMem())
    {
        EXPECT_FALSE(c->MoveFirst());
        Zelt::ICursor::CStatus status;
        c->GetStatus(status);
        EXPECT_TRUE(status.bCountFinal);
        EXPECT_EQ(status.nCurrentRow, -1);
    }
    EXPECT_TRUE(c->IsBOF());
    EXPECT_TRUE(c->IsEOF());
    EXPECT_EQ(c->GetRecordCount(), 0);
}

// Rows enough for several of a held cursor's FETCHes (each run ahead of the reader while it
// reads the one before) and many blocks of the others, with statements in between and the
// cursor closed part way: every row once, in order, and the connection answers. A PostgreSQL
// window's read lets the session go to the first statement: it stops there, in words, with the
// rows it had.
TEST_P(CursorContract, ReadsEveryRowOnceWithStatementsBetween)
{
    const bool bLetsGo = GetParam().kind == Kind::MemHeld;
    for (const int nCloseAt : {kManyRows + 1, 2600})
    {
        auto c = Open(ManyRowsSelect());
        int seen = 0;
        for (bool bRow = c->MoveFirst(); bRow && !c->IsEOF(); bRow = c->MoveNext())
        {
            ++seen;
            CString id, text;
            ASSERT_TRUE(c->GetFieldText(1, id));
            ASSERT_TRUE(c->GetFieldText(2, text));
            ASSERT_EQ(_wtoi(id), seen) << "after row " << seen - 1;
            ASSERT_EQ(W(text), L"v" + std::to_wstring(seen));
            if (seen == 700 || seen == 2500 || seen == 4000)
                conn->Exec(L"SELECT 1");
            if (seen == nCloseAt)
                break;
        }
        // (Rows a FETCH had run ahead before the statement are read all the same.)
        if (bLetsGo && seen != nCloseAt)
        {
            auto* pMem = dynamic_cast<Zelt::CMemCursor*>(c.get());
            ASSERT_NE(pMem, nullptr);
            ASSERT_TRUE(pMem->IsStopped());
            EXPECT_TRUE(pMem->GetStopError()->m_bStopAsked) << W(pMem->GetStopError()->m_strError);
            EXPECT_GE(seen, 700);
            EXPECT_LT(seen, kManyRows);
        }
        else
            EXPECT_EQ(seen, std::min(nCloseAt, kManyRows));
        c->Close();
        conn->Exec(L"SELECT 2");
    }
}

// A read whose session the server ends part way (an administrator's pg_terminate_backend) while
// the next FETCH may be running ahead: the rows read stay, in order, and the read stops with the
// server's words instead of waiting or calling the rows all.
TEST_P(CursorContract, AReadWhoseSessionIsEndedStopsWithTheServersWords)
{
    if (GetParam().kind != Kind::MemHeld)
        GTEST_SKIP() << "a held cursor's FETCHes";
    Connection ended(Db::PostgreSQL);
    const CString pid = QlConnTest::QueryText(*ended.database, L"SELECT pg_backend_pid()");
    auto c = OpenCursor(ended.database.get(), Kind::MemHeld, ManyRowsSelect());
    int seen = 0;
    for (bool bRow = c->MoveFirst(); bRow && !c->IsEOF(); bRow = c->MoveNext())
    {
        ++seen;
        CString id;
        ASSERT_TRUE(c->GetFieldText(1, id));
        ASSERT_EQ(_wtoi(id), seen);
        if (seen == 2600)
            conn->Exec(L"SELECT pg_terminate_backend(" + pid + L")");
    }
    EXPECT_LT(seen, kManyRows);
    auto* mem = dynamic_cast<Zelt::CMemCursor*>(c.get());
    ASSERT_NE(mem, nullptr);
    ASSERT_TRUE(mem->IsStopped());
    EXPECT_FALSE(mem->GetStopError()->m_strError.IsEmpty());
    Zelt::ICursor::CStatus status;
    c->GetStatus(status);
    EXPECT_FALSE(status.bCountFinal);
}

TEST_P(CursorContract, CloseLeavesNothing)
{
    auto c = OpenAll();
    ASSERT_TRUE(c->MoveFirst());
    c->Close();
    EXPECT_TRUE(c->IsBOF());
    EXPECT_TRUE(c->IsEOF());
    EXPECT_EQ(c->GetColumnCount(), IsMem() ? 0 : -1);
    EXPECT_EQ(c->GetColumn(1), nullptr);

    // Closed while its thread fetches (SQLite's read of declared columns reads ahead, and its
    // close cancels the fetch under way), again and again: the driver's heap stays whole, and the
    // connection reads on.
    const int times = GetParam().db == Db::SQLite ? 150 : 2;
    for (int i = 0; i < times; ++i)
    {
        auto many = Open(ManyRowsSelect());
        ASSERT_TRUE(many->MoveFirst()) << i;
        for (int row = 0; row < 40 + i * 37 % 700; ++row)
            ASSERT_TRUE(many->MoveNext()) << i;
        many->Close();
    }
    auto all = Open(ManyRowsSelect());
    int rows = 0;
    for (bool on = all->MoveFirst(); on && !all->IsEOF(); on = all->MoveNext())
        ++rows;
    EXPECT_EQ(rows, kManyRows);
}

// Every C type a result column is bound with, read through every way of opening a result: the
// recordset itself (scrollable, and forward-only bound and unbound, where values come in blocks
// or read ahead), and memory cursors over forward-only ones, each with and without numbers held
// as text; on SQLite reads of declared columns also step through the result where the others
// are read whole. All give the value the scrollable recordset gives, and no value reads as
// empty.
class EveryBoundType : public testing::TestWithParam<Db>
{
protected:
    struct Opening
    {
        const char* name;
        UINT cursorType;
        UINT options;
        bool memory;
        // Through a cursor held in the session (PostgreSQL's table windows and saves).
        bool held = false;
    };
    // The user's own query (the options hold RS_QUERY_MAY_STREAM): on PostgreSQL its dates and
    // timestamps are read from the server's text.
    static bool IsUsersQuery(const Opening& how)
    {
        return (how.options & RS_QUERY_MAY_STREAM) != 0;
    }

    void SetUp() override
    {
        conn = std::make_unique<Connection>(GetParam());
        table = conn->Table(L"types");
        CString columns, one, two, three;
        switch (GetParam())
        {
        case Db::SQLite:
            columns = L"sm SMALLINT, ti TINYINT, bi BIGINT, r REAL, f FLOAT, d DOUBLE, "
                      L"n NUMERIC(10,2), bt BIT, dt DATE, tm TIME, ts TIMESTAMP, v VARCHAR(10), "
                      L"b BLOB";
            one = L"7, 8, 9000000000, 1.5, 2.5, 3.25, 12.34, 1, '2024-03-05', '07:08:09', "
                  L"'2024-03-05 07:08:09', 'abc', X'0AFF'";
            two = L"0, 0, 0, 0, 0, 0, 0, 0, '1999-12-31', '00:00:00', '1999-12-31 23:59:58', "
                  L"'', X''";
            three = L"-7, -8, -9000000000, -2.25, -0.5, -1e300, -0.5, 0, '0001-01-01', "
                    L"'23:59:59', '0001-01-01 00:00:00', 'z' || char(252, 8364, 128512), "
                    L"X'00'";
            break;
        case Db::PostgreSQL:
            columns =
                L"sm SMALLINT, bi BIGINT, r REAL, d DOUBLE PRECISION, n NUMERIC(10,2), "
                L"bo BOOLEAN, u UUID, dt DATE, tm TIME, ts TIMESTAMP, v VARCHAR(10), b BYTEA, "
                L"dt2 DATE, ts2 TIMESTAMP";
            // (Dates and timestamps of every range, beside each other and beside NULLs.)
            one = L"7, 9000000000, 1.5, 3.25, 12.34, true, "
                  L"'6b29fc40-ca47-1067-b31d-00dd010662da', '2024-03-05', '07:08:09', "
                  L"'2024-03-05 07:08:09', 'abc', '\\x0aff', '0044-03-15 BC', "
                  L"'294276-12-31 23:59:59.999999'";
            two = L"0, 0, 0, 0, 0, false, '00000000-0000-0000-0000-000000000000', '1999-12-31', "
                  L"'00:00:00', '1999-12-31 23:59:58', '', '', 'infinity', "
                  L"'4713-01-01 00:00:00 BC'";
            three = L"-7, -9000000000, 'NaN', '-Infinity', -0.5, NULL, NULL, '0001-01-01', "
                    L"'23:59:59', '0001-01-01 00:00:00', 'z', '\\x00', '-infinity', "
                    L"'12345-06-07 01:02:03.5'";
            break;
        case Db::MariaDB:
            columns = L"sm SMALLINT, ti TINYINT, uti TINYINT UNSIGNED, usm SMALLINT UNSIGNED, "
                      L"ui INT UNSIGNED, ubi BIGINT UNSIGNED, bi BIGINT, r FLOAT, d DOUBLE, "
                      L"n DECIMAL(10,2), bt BIT(1), dt DATE, tm TIME, ts DATETIME, v VARCHAR(10), "
                      L"b VARBINARY(10)";
            one = L"7, 8, 200, 60000, 4000000000, 18000000000000000000, 9000000000, 1.5, 3.25, "
                  L"12.34, 1, '2024-03-05', '07:08:09', '2024-03-05 07:08:09', 'abc', X'0AFF'";
            two = L"0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '1999-12-31', '00:00:00', "
                  L"'1999-12-31 23:59:58', '', X''";
            three = L"-7, -8, 255, 65535, 4294967295, 18446744073709551615, -9000000000, -2.25, "
                    L"-1e300, -0.5, 0, '1000-01-01', '-838:59:59', '1000-01-01 00:00:00', 'z', "
                    L"X'00'";
            break;
        }
        conn->Exec(L"CREATE TABLE " + table + L" (id INTEGER, " + columns + L")");
        conn->Exec(L"INSERT INTO " + table + L" VALUES (1, " + one + L")");
        conn->Exec(L"INSERT INTO " + table + L" VALUES (2, " + two + L")");
        conn->Exec(L"INSERT INTO " + table + L" VALUES (3, " + three + L")");
        conn->Exec(L"INSERT INTO " + table + L" (id) VALUES (4)");
    }

    // Every row's texts ("<null>" for NULL), row by row.
    std::vector<std::vector<std::wstring>> ReadAll(const Opening& how, UINT realColumn,
                                                   std::vector<double>& reals)
    {
        const CString sql = L"SELECT * FROM " + table + L" ORDER BY id";
        auto rs = std::make_unique<CRRecordset>(conn->database.get());
        std::unique_ptr<Zelt::ICursor> c;
        if (how.held)
        {
            c = OpenCursor(conn->database.get(), Kind::MemHeld, sql, how.options);
            c->MoveFirst();
        }
        else if (!rs->Open(sql, how.cursorType, RS_READONLY | how.options))
            return {};
        else if (how.memory)
        {
            c = std::make_unique<Zelt::CMemCursor>(std::move(rs));
            c->MoveFirst();
        }
        else
        {
            c = std::move(rs);
        }
        std::vector<std::vector<std::wstring>> rows;
        while (!c->IsEOF())
        {
            std::vector<std::wstring> texts;
            for (UINT col = 1; col <= static_cast<UINT>(c->GetColumnCount()); ++col)
            {
                CString text;
                texts.push_back(c->GetFieldText(col, text)
                                    ? std::wstring(text.GetString(), text.GetLength())
                                    : L"<null>");
            }
            // (Numbers held as text have no typed getters.)
            double real = -99;
            if (!(how.options & RS_NUMERIC_AS_TEXT) && !c->GetFieldDouble(realColumn, real))
                real = -98;
            reals.push_back(real);
            rows.push_back(texts);
            c->MoveNext();
        }
        return rows;
    }

    UINT RealColumn() const
    {
        return GetParam() == Db::PostgreSQL ? 4 : GetParam() == Db::SQLite ? 5 : 9;
    }

    std::unique_ptr<Connection> conn;
    CString table;
};

TEST_P(EveryBoundType, EveryOpeningReadsEveryValue)
{
    const Opening openings[] = {
        {"scrollable", RS_STATIC, 0, false},
        {"forward-only", RS_FORWARD_ONLY, 0, false},
        {"forward-only unbound", RS_FORWARD_ONLY, RS_UNBOUND, false},
        {"memory", RS_FORWARD_ONLY, 0, true},
        {"memory unbound", RS_FORWARD_ONLY, RS_UNBOUND, true},
        // On SQLite these step through the result (every column here is declared).
        {"declared forward-only", RS_FORWARD_ONLY, RS_DECLARED_COLUMNS, false},
        {"declared forward-only unbound", RS_FORWARD_ONLY, RS_UNBOUND | RS_DECLARED_COLUMNS, false},
        {"declared memory", RS_FORWARD_ONLY, RS_DECLARED_COLUMNS, true},
        {"declared memory unbound", RS_FORWARD_ONLY, RS_UNBOUND | RS_DECLARED_COLUMNS, true},
        {"held", RS_FORWARD_ONLY, 0, true, true},
        {"held unbound", RS_FORWARD_ONLY, RS_UNBOUND, true, true},
        {"user's query", RS_FORWARD_ONLY, RS_QUERY_MAY_STREAM, false},
        {"user's query unbound", RS_FORWARD_ONLY, RS_QUERY_MAY_STREAM | RS_UNBOUND, false},
        {"user's query in memory", RS_FORWARD_ONLY, RS_QUERY_MAY_STREAM, true},
    };
    const UINT realColumn = RealColumn();
    for (UINT numbersAsText : {0u, static_cast<UINT>(RS_NUMERIC_AS_TEXT)})
    {
        std::vector<double> reference;
        std::vector<std::vector<std::wstring>> expected;
        Opening scrollable = openings[0];
        scrollable.options |= numbersAsText;
        QL_EXPECT_NO_DB_THROW(expected = ReadAll(scrollable, realColumn, reference));
        ASSERT_EQ(expected.size(), 4u);
        if (GetParam() == Db::SQLite)
        {
            EXPECT_EQ(expected[2][12], L"z\u00fc\u20ac\U0001F600");
        }
        // The REAL column: 1.5 and 0 whatever the opening (SQLite's text of a zero is "0.0").
        EXPECT_EQ(expected[0][realColumn - 1], L"1.5");
        if (!numbersAsText)
        {
            EXPECT_EQ(expected[1][realColumn - 1], L"0");
        }
        if (!numbersAsText)
        {
            EXPECT_EQ(reference[0], 1.5);
        }
        // (The second row holds empty texts and binary values.)
        for (size_t r : {0u, 2u})
            for (size_t col = 0; col < expected[r].size(); ++col)
                EXPECT_NE(expected[r][col], L"") << "row " << r + 1 << ", column " << col + 1;
        for (const Opening& how : openings)
        {
            if (how.cursorType == RS_STATIC || (how.held && GetParam() != Db::PostgreSQL))
                continue; // the reference; held cursors are PostgreSQL's
            SCOPED_TRACE(std::string(how.name) + (numbersAsText ? ", numbers as text" : ""));
            Opening with = how;
            with.options |= numbersAsText;
            std::vector<double> reals;
            std::vector<std::vector<std::wstring>> rows;
            QL_EXPECT_NO_DB_THROW(rows = ReadAll(with, realColumn, reals));
            ASSERT_EQ(rows.size(), expected.size());
            // The driver drops a date's era; a held cursor and the user's query read the
            // server's text of it.
            if (GetParam() == Db::PostgreSQL && (how.held || IsUsersQuery(how)))
                expected[0][13] = L"0044/03/15 BC";
            for (size_t r = 0; r < rows.size(); ++r)
                for (size_t col = 0; col < rows[r].size(); ++col)
                    EXPECT_EQ(rows[r][col], expected[r][col])
                        << "row " << r + 1 << ", column " << col + 1;
            ASSERT_EQ(reals.size(), reference.size());
            for (size_t r : {0u, 1u, 3u}) // (the third row's REAL is NaN on PostgreSQL)
                EXPECT_EQ(reals[r], reference[r]) << "row " << r + 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllDatabases, EveryBoundType,
                         testing::Values(Db::SQLite, Db::PostgreSQL, Db::MariaDB),
                         [](const testing::TestParamInfo<Db>& info) {
                             return std::string(DbName(info.param));
                         });

INSTANTIATE_TEST_SUITE_P(AllDatabases, CursorContract, EveryDatabaseAndCursorKind(),
                         CursorParamName);

} // namespace
