// Values that must come back as stored: floating-point text that reads back as the same value
// (the grid edits from it and writes it back), numbers fetched as text that the database stores
// unchanged when they are written back, dates before year 1, not-a-number and the infinities.
#include "conn_test_util.h"
#include "recordset_test_util.h"

#include "dbaccess/field_text.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/sql_text.h"

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <charconv>
#include <limits>
#include <string>
#include <vector>

using QlConnTest::Catch;
using QlConnTest::Narrow;
using QlConnTest::QueryText;
using namespace QlRsTest;

namespace {

Zelt::ICursor::CColumnDesc Desc(SQLULEN size, SQLSMALLINT digits)
{
    Zelt::ICursor::CColumnDesc d;
    d.nColumnSize = size;
    d.nDecimalDigits = digits;
    return d;
}

template <class T>
bool ReadsBackAs(const CString& text, T expected)
{
    std::string narrow = Narrow(text);
    T value{};
    auto r = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    return r.ec == std::errc() && r.ptr == narrow.data() + narrow.size() && value == expected;
}

const double kDoubles[] = {0.1,
                           1.0 / 3,
                           2.0 / 3,
                           0.1 + 0.2,
                           DBL_MAX,
                           -DBL_MAX,
                           1e308,
                           -1e308,
                           DBL_MIN,
                           std::numeric_limits<double>::denorm_min(),
                           -1e-300,
                           123456789.123456789,
                           9007199254740993.0,
                           1e38,
                           1e37,
                           1e-5,
                           -2.5,
                           0.0};

const float kFloats[] = {0.1f,        1.0f / 3, FLT_MAX, -FLT_MAX, FLT_MIN,
                         16777217.0f, 3.3e-7f,  0.2f,    -7.5f,    0.0f};

// The SQLite driver hands doubles over with 15 significant digits: it gets only the values that
// survive that.
bool SurvivesFifteenDigits(double value)
{
    char text[40];
    snprintf(text, sizeof text, "%.15g", value);
    return strtod(text, nullptr) == value;
}

// A table name that stays unique across Wine prefixes, whose process ids repeat.
CString UniqueTable(Connection& conn, LPCWSTR stem)
{
    CString name = conn.Table(stem);
    name.AppendFormat(L"_%llu", static_cast<unsigned long long>(GetTickCount64() % 100000));
    conn.tables.push_back(name);
    return name;
}

} // namespace

TEST(FloatText, KeepsTheColumnsFormatOnlyWhereItReadsBack)
{
    const auto mariaDouble = Desc(15, 0), pgDouble = Desc(17, 0), real = Desc(7, 0),
               scale2 = Desc(10, 2);
    // The column's own format where its text reads back.
    EXPECT_EQ(FormatDoubleValue(0.1, &mariaDouble), L"0.1");
    EXPECT_EQ(FormatDoubleValue(2.5, &scale2), L"2.50");
    EXPECT_EQ(FormatDoubleValue(2.5, nullptr), L"2.500000");
    EXPECT_EQ(FormatDoubleValue(0.1f, &real), L"0.1");
    // Fifteen digits lose the value: the shortest text that keeps it.
    EXPECT_EQ(FormatDoubleValue(1.0 / 3, &mariaDouble), L"0.3333333333333333");
    EXPECT_EQ(FormatDoubleValue(DBL_MAX, &mariaDouble), L"1.7976931348623157e+308");
    EXPECT_EQ(FormatDoubleValueA(DBL_MAX, &mariaDouble), "1.7976931348623157e+308");
    // Fixed decimals that round a value away, and "%f" without a description.
    EXPECT_EQ(FormatDoubleValue(1e-5, &scale2), L"1e-05");
    EXPECT_EQ(FormatDoubleValue(1.234567e-7, nullptr), L"1.234567e-07");
    EXPECT_EQ(FormatDoubleValue(1.0 / 3, nullptr), L"0.3333333333333333");
    // A REAL column is judged as a float: seven digits do not always hold one.
    EXPECT_EQ(FormatDoubleValue(1.0f / 3, &real), L"0.33333334");
    EXPECT_EQ(FormatDoubleValue(16777217.0f, &real), L"16777216");
    CString text;
    SetDoubleText(text, 1.0f / 3, &real);
    EXPECT_EQ(text, L"0.33333334");
    SetDoubleText(text, 1.0 / 3, &pgDouble);
    EXPECT_EQ(text, L"0.3333333333333333");

    for (double d : kDoubles)
        for (const auto* desc : {&mariaDouble, &pgDouble, &real, &scale2,
                                 static_cast<const Zelt::ICursor::CColumnDesc*>(nullptr)})
            EXPECT_TRUE(ReadsBackAs(FormatDoubleValue(d, desc), d))
                << d << " as " << Narrow(FormatDoubleValue(d, desc));
    for (float f : kFloats)
        EXPECT_TRUE(ReadsBackAs(FormatDoubleValue(f, &real), f)) << f;
}

TEST(NumbersAsText, FloatingValuesKeepTheirExponentBeyond38Digits)
{
    CString out;
    ASSERT_TRUE(NormalizeNumberText(L"1E+308", 0, out, true));
    EXPECT_EQ(out, L"1E+308");
    ASSERT_TRUE(NormalizeNumberText(L"-4,9e-324", 0, out, true));
    EXPECT_EQ(out, L"-4.9e-324");
    ASSERT_TRUE(NormalizeNumberText(L"1.5e37", 0, out, true));
    EXPECT_EQ(out, L"15000000000000000000000000000000000000");
    ASSERT_TRUE(NormalizeNumberText(L"1e-5", 0, out, true));
    EXPECT_EQ(out, L"0.00001");
    // Exact numbers stay plain whatever their length.
    ASSERT_TRUE(NormalizeNumberText(L"1e40", 0, out, false));
    EXPECT_EQ(out.GetLength(), 41);
}

// ---- on the three databases --------------------------------------------------------------------

class ValueRoundTrip : public testing::TestWithParam<Db>
{
protected:
    void SetUp() override
    {
        conn = std::make_unique<Connection>(GetParam());
        table = UniqueTable(*conn, L"vals");
        CString d = L"DOUBLE PRECISION", f = L"REAL";
        if (GetParam() == Db::MariaDB)
            d = L"DOUBLE", f = L"FLOAT";
        conn->Exec(L"CREATE TABLE " + table + L" (id INT, d " + d + L", f " + f + L", d2 " + d +
                   L", f2 " + f + L")");
        for (double d : kDoubles)
            if (GetParam() != Db::SQLite || SurvivesFifteenDigits(d))
                doubles.push_back(d);
        for (float f : kFloats)
            if (GetParam() != Db::SQLite || SurvivesFifteenDigits(f))
                floats.push_back(f);
        const size_t rows = std::max(doubles.size(), floats.size());
        for (size_t i = 0; i < rows; ++i)
        {
            CRRecordset ins(conn->database.get());
            ASSERT_TRUE(ins.Prepare(L"INSERT INTO " + table + L" (id, d, f) VALUES (?, ?, ?)",
                                    RS_FORWARD_ONLY, RS_READONLY));
            ins.AddLongParameter(1, SQL_PARAM_INPUT, SQL_INTEGER, 10, 0, static_cast<long>(i),
                                 false);
            ins.AddDoubleParameter(2, SQL_PARAM_INPUT, SQL_DOUBLE, 15, 0,
                                   i < doubles.size() ? doubles[i] : 0, i >= doubles.size());
            ins.AddFloatParameter(3, SQL_PARAM_INPUT, SQL_REAL, 7, 0,
                                  i < floats.size() ? floats[i] : 0, i >= floats.size());
            ins.Execute();
        }
    }

    // Every cursor kind over the table, in id order.
    std::vector<std::unique_ptr<Zelt::ICursor>> Cursors(UINT options)
    {
        std::vector<std::unique_ptr<Zelt::ICursor>> cursors;
        const CString sql = L"SELECT id, d, f FROM " + table + L" ORDER BY id";
        auto bound = std::make_unique<CRRecordset>(conn->database.get());
        bound->Open(sql, RS_STATIC, RS_READONLY | options);
        cursors.push_back(std::move(bound));
        for (UINT extra : {0u, static_cast<UINT>(RS_UNBOUND)})
        {
            auto rs = std::make_unique<CRRecordset>(conn->database.get());
            rs->Open(sql, RS_FORWARD_ONLY, RS_READONLY | options | extra);
            cursors.push_back(std::make_unique<Zelt::CMemCursor>(std::move(rs)));
        }
        return cursors;
    }

    // Every cursor kind shows each value as text that reads back as it.
    void ExpectTextReadsBack();

    std::unique_ptr<Connection> conn;
    CString table;
    std::vector<double> doubles;
    std::vector<float> floats;
};

TEST_P(ValueRoundTrip, FloatingTextReadsBackAsTheStoredValue)
{
    ExpectTextReadsBack();
}

// PostgreSQL rounds the text of a float the driver reads it from while the user's session asks
// for fewer digits: the setting is set back, and the user told.
TEST_P(ValueRoundTrip, FloatingTextReadsBackAfterTheUsersFewerDigits)
{
    if (GetParam() != Db::PostgreSQL)
        GTEST_SKIP() << "a PostgreSQL setting";
    CRDatabase& db = *conn->database;
    for (LPCWSTR set : {L"SET extra_float_digits = -15", L"set extra_float_digits to 0"})
    {
        SCOPED_TRACE(Narrow(set));
        CRRecordset rs(&db);
        rs.Open(set, RS_FORWARD_ONLY, RS_READONLY);
        rs.Close();
        EXPECT_EQ(db.TakeSessionNote().Find(L"extra_float_digits was set back to 2:"), 0);
        ExpectTextReadsBack();
    }
    // More digits, or the server's default of 1, write each value whole: left as the user set.
    for (LPCWSTR set : {L"SET extra_float_digits = 3", L"RESET extra_float_digits"})
    {
        db.ExecuteSQL(set);
        EXPECT_EQ(db.TakeSessionNote(), L"") << Narrow(set);
    }
    EXPECT_EQ(QueryText(db, L"SHOW extra_float_digits"), L"1");
}

void ValueRoundTrip::ExpectTextReadsBack()
{
    int kind = 0;
    for (auto& cursor : Cursors(0))
    {
        SCOPED_TRACE(kind++);
        ASSERT_TRUE(cursor->MoveFirst());
        for (; !cursor->IsEOF(); cursor->MoveNext())
        {
            int id = 0;
            ASSERT_TRUE(cursor->GetFieldInt(1, id));
            CString text;
            if (id < static_cast<int>(doubles.size()) && cursor->GetFieldText(2, text))
            {
                EXPECT_TRUE(ReadsBackAs(text, doubles[id]))
                    << doubles[id] << " shown as " << Narrow(text);
            }
            if (id < static_cast<int>(floats.size()) && cursor->GetFieldText(3, text))
            {
                // SQLite keeps a REAL as a double: the widened float is the value stored.
                if (cursor->GetColumnCType(3) == SQL_C_DOUBLE)
                    EXPECT_TRUE(ReadsBackAs(text, static_cast<double>(floats[id])))
                        << floats[id] << " shown as " << Narrow(text);
                else
                    EXPECT_TRUE(ReadsBackAs(text, floats[id]))
                        << floats[id] << " shown as " << Narrow(text);
            }
        }
    }
}

TEST_P(ValueRoundTrip, NumbersAsTextWrittenBackStoreTheSameValue)
{
    // The text of each value, as an export or an edit would write it into a statement.
    std::vector<std::pair<int, std::pair<CString, CString>>> texts;
    {
        auto cursors = Cursors(RS_NUMERIC_AS_TEXT);
        auto& cursor = cursors.front();
        ASSERT_TRUE(cursor->MoveFirst());
        for (; !cursor->IsEOF(); cursor->MoveNext())
        {
            CString idText;
            ASSERT_TRUE(cursor->GetFieldText(1, idText));
            const int id = _wtoi(idText);
            CString d, f;
            if (!cursor->GetFieldText(2, d))
                d = L"NULL";
            if (!cursor->GetFieldText(3, f))
                f = L"NULL";
            EXPECT_LE(d.GetLength(), 40) << Narrow(d);
            texts.push_back({id, {d, f}});
        }
    }
    for (const auto& row : texts)
    {
        CString sql;
        sql.Format(L"UPDATE %s SET d2 = %s, f2 = %s WHERE id = %d", table.GetString(),
                   row.second.first.GetString(), row.second.second.GetString(), row.first);
        conn->Exec(sql);
    }
    // MariaDB's server writes a FLOAT as text with six significant digits (its own clients show
    // the same); only its DOUBLE text is exact.
    CString condition = GetParam() == Db::MariaDB ? L"NOT (d = d2)" : L"NOT (d = d2 AND f = f2)";
    CString differ =
        QueryText(*conn->database, L"SELECT COUNT(*) FROM " + table + L" WHERE " + condition);
    EXPECT_EQ(differ, L"0");
    if (differ != L"0")
        for (const auto& row : texts)
            ADD_FAILURE() << row.first << ": " << Narrow(row.second.first) << " / "
                          << Narrow(row.second.second) << " -> "
                          << Narrow(QueryText(*conn->database,
                                              L"SELECT d2 FROM " + table + L" WHERE id = " +
                                                  std::to_wstring(row.first).c_str()));
}

INSTANTIATE_TEST_SUITE_P(Databases, ValueRoundTrip,
                         testing::Values(Db::SQLite, Db::PostgreSQL, Db::MariaDB),
                         [](const testing::TestParamInfo<Db>& info) {
                             return std::string(DbName(info.param));
                         });

// ---- dates before year 1, not-a-number and the infinities ----------------------------------------

TEST(ValueLiterals, YearsBeforeOneAreWrittenOrRefusedNeverWrapped)
{
    const TIMESTAMP_STRUCT bc = {-44, 3, 15, 12, 0, 0, 500000000};
    const DATE_STRUCT bcDate = {-1, 1, 2};
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_POSTGRESQL, bc),
              L"'0044-03-15 12:00:00.500 BC'");
    EXPECT_EQ(CRDatabase::FormatDateLiteral(DBMS_POSTGRESQL, bcDate), L"'0001-01-02 BC'");
    EXPECT_EQ(CRDatabase::FormatTimestampLiteral(DBMS_ORACLE, bc),
              L"TO_DATE('-0044/03/15 12:00:00', 'SYYYY/MM/DD HH24:MI:SS')");
    EXPECT_EQ(CRDatabase::FormatDateLiteral(DBMS_ORACLE, bcDate),
              L"TO_DATE('-0001/01/02', 'SYYYY/MM/DD')");
    SQL_SS_TIMESTAMPOFFSET_STRUCT offset = {-44, 3, 15, 12, 0, 0, 0, -5, 0};
    EXPECT_EQ(CRDatabase::FormatTimestampOffsetLiteral(DBMS_POSTGRESQL, offset),
              L"'0044-03-15 12:00:00.000 -05:00 BC'");
    // Year 0 exists for MySQL, not for PostgreSQL or Oracle; no year before 1 elsewhere.
    EXPECT_EQ(CRDatabase::FormatDateLiteral(DBMS_MYSQL, {0, 1, 1}), L"'0000-01-01'");
    for (UINT kind : {1u, 2u, 4u, 5u, 6u})
        EXPECT_TRUE(Catch([&] { CRDatabase::FormatTimestampLiteral(kind, bc); })) << kind;
    for (UINT kind : {3u, 7u})
        EXPECT_TRUE(Catch([&] { CRDatabase::FormatDateLiteral(kind, {0, 1, 1}); })) << kind;
    EXPECT_TRUE(Catch([&] { CRDatabase::FormatTimestampOffsetLiteral(DBMS_MSSQL, offset); }));
}

TEST(ValueLiterals, PostgreSQLDatesBeforeOneAndSpecialNumbersRoundTrip)
{
    CRDatabase db;
    QlConnTest::OpenOrFail(db, QlTestDb::PostgresConnect());
    for (UINT options : {0u, static_cast<UINT>(RS_NUMERIC_AS_TEXT)})
    {
        CRRecordset rs(&db);
        ASSERT_TRUE(rs.Open(L"SELECT timestamp '0044-03-15 12:00:00.5 BC', "
                            L"timestamp '0001-12-31 23:59:59 BC', 'NaN'::float8, "
                            L"'Infinity'::float8, '-Infinity'::float4, 'NaN'::numeric, 1.5::float8",
                            RS_STATIC, RS_READONLY | options));
        const LPCWSTR expected[] = {L"timestamp '0044-03-15 12:00:00.5 BC'",
                                    L"timestamp '0001-12-31 23:59:59 BC'",
                                    L"'NaN'::float8",
                                    L"'Infinity'::float8",
                                    L"'-Infinity'::float4",
                                    L"'NaN'::numeric",
                                    L"1.5::float8"};
        for (UINT col = 1; col <= 7; ++col)
        {
            CString literal = db.FormatFieldLiteral(DBMS_POSTGRESQL, &rs, col);
            // Compared by the server, in the column's own type.
            CString sql = L"SELECT CASE WHEN " + literal + L" = " + expected[col - 1] +
                          L" THEN 'same' ELSE 'differs' END";
            EXPECT_EQ(QueryText(db, sql), L"same") << col << ": " << Narrow(literal);
        }
        EXPECT_EQ(db.FormatFieldLiteral(DBMS_ORACLE, &rs, 3), L"BINARY_DOUBLE_NAN");
        EXPECT_EQ(db.FormatFieldLiteral(DBMS_ORACLE, &rs, 5), L"-BINARY_DOUBLE_INFINITY");
        EXPECT_EQ(db.FormatFieldLiteral(DBMS_MYSQL, &rs, 7), L"1.5");
        for (UINT target : {1u, 2u, 4u, 5u, 6u})
            for (UINT col : {1u, 3u, 4u, 5u, 6u})
                EXPECT_TRUE(Catch([&] { db.FormatFieldLiteral(target, &rs, col); }))
                    << "target " << target << " column " << col;
    }
}

TEST(ValueLiterals, MariaDBAndSQLiteRefuseInfinityAndKeepZeroYears)
{
    // SQLite stores infinities in REAL columns; MySQL cannot take them.
    QlTestDb::TempSQLiteFile file;
    CRDatabase lite;
    QlConnTest::OpenOrFail(lite, file.Connect());
    CRRecordset rs(&lite);
    ASSERT_TRUE(rs.Open(L"SELECT 1e999, -1e999", RS_STATIC, RS_READONLY));
    EXPECT_TRUE(Catch([&] { lite.FormatFieldLiteral(DBMS_MYSQL, &rs, 1); }));
    EXPECT_EQ(lite.FormatFieldLiteral(DBMS_POSTGRESQL, &rs, 2), L"'-Infinity'");

    CRDatabase maria;
    QlConnTest::OpenOrFail(maria, QlTestDb::MariaDBConnect());
    maria.ExecuteSQL(L"SET SESSION sql_mode = ''");
    CRRecordset zero(&maria);
    ASSERT_TRUE(
        zero.Open(L"SELECT CAST('0000-01-01 10:00:00' AS DATETIME)", RS_STATIC, RS_READONLY));
    CString literal = maria.FormatFieldLiteral(DBMS_MYSQL, &zero, 1);
    EXPECT_EQ(QueryText(maria, L"SELECT CAST(" + literal +
                                   L" AS DATETIME) = CAST('0000-01-01 10:00:00' AS DATETIME)"),
              L"1")
        << Narrow(literal);
    EXPECT_TRUE(Catch([&] { maria.FormatFieldLiteral(DBMS_POSTGRESQL, &zero, 1); }));
}
