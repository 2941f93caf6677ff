// The filter's WHERE condition: operators, NULL rules, literals by column type, and what the
// condition selects on the real databases, hostile values included.
#include "windows/filter_condition.h"
#include "windows/goto_dlg.h"

#include "dbaccess/database.h"
#include "dbaccess/recordset.h"
#include "services/catalog_reads.h"
#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

namespace {

std::string A(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

CRColumns::CColumnInfo Column(LPCWSTR name, int type)
{
    CRColumns::CColumnInfo info = {};
    wcscpy_s(info.szColumnName, name);
    info.nDataType = type;
    return info;
}

CFilterInfo Row(LPCWSTR column, int op, LPCWSTR value, int logic = kFilterAnd,
                UINT kind = kGridValue)
{
    CFilterInfo info;
    info.m_strColumn = column;
    info.m_nOperation = op;
    info.m_value = CGridItem(value, kind);
    info.m_nLogic = logic;
    return info;
}

CColumnInfoArray TestColumns()
{
    CColumnInfoArray columns;
    columns.Add(Column(L"name", SQL_VARCHAR));
    columns.Add(Column(L"id", SQL_INTEGER));
    columns.Add(Column(L"note", SQL_WLONGVARCHAR));
    columns.Add(Column(L"born", SQL_TYPE_DATE));
    columns.Add(Column(L"price", SQL_DECIMAL));
    columns.Add(Column(L"data", SQL_VARBINARY));
    return columns;
}

TEST(FilterCondition, JoinsRowsWithThePendingLogicAndNullRules)
{
    CFilterArray filter;
    filter.push_back(Row(L"name", kFilterEqual, L"x", kFilterAnd));
    filter.push_back(Row(L"id", kFilterGreater, L"5", kFilterOr));
    filter.push_back(Row(L"note", kFilterEqual, L"", kFilterAnd, kGridNull));
    ASSERT_TRUE(BuildFilterCondition(filter, nullptr, TestColumns()));
    EXPECT_EQ(A(filter.m_strCondition), "name='x' AND\nid>5 OR\nnote IS NULL");

    CFilterArray notNull;
    notNull.push_back(Row(L"Order Date", kFilterNotEqual, L"", kFilterOr, kGridNull));
    // A column that is not among the columns is left out and keeps the pending logic.
    notNull.push_back(Row(L"gone", kFilterEqual, L"1", kFilterAnd));
    notNull.push_back(Row(L"id", kFilterIn, L"1,2,3"));
    ASSERT_TRUE(BuildFilterCondition(notNull, nullptr, TestColumns()));
    EXPECT_EQ(A(notNull.m_strCondition), "\"Order Date\" IS NOT NULL OR\nid IN (1,2,3)");

    CFilterArray empty;
    empty.m_strCondition = L"old";
    ASSERT_TRUE(BuildFilterCondition(empty, nullptr, TestColumns()));
    EXPECT_TRUE(empty.m_strCondition.IsEmpty());
}

TEST(FilterCondition, RefusesValuesThatCannotStand)
{
    auto refused = [](CFilterInfo row) {
        CFilterArray filter;
        filter.m_strCondition = L"kept";
        filter.push_back(row);
        bool ok = BuildFilterCondition(filter, nullptr, TestColumns());
        EXPECT_EQ(A(filter.m_strCondition), "kept");
        return !ok;
    };
    EXPECT_TRUE(refused(Row(L"note", kFilterLike, L"", kFilterAnd, kGridNull)));
    EXPECT_TRUE(refused(Row(L"note", kFilterEqual, L"", kFilterAnd, kGridEmpty)));
    EXPECT_TRUE(refused(Row(L"id", kFilterEqual, L"1; DELETE FROM t")));
    EXPECT_TRUE(refused(Row(L"id", kFilterEqual, L"10,000")));
    EXPECT_TRUE(refused(Row(L"id", kFilterEqual, L"")));
    EXPECT_TRUE(refused(Row(L"id", 12, L"1")));
    EXPECT_TRUE(refused(Row(L"data", kFilterEqual, L"00' OR 1=1 --")));
    EXPECT_TRUE(refused(Row(L"data", kFilterEqual, L"ABC")));
}

TEST(FilterCondition, LiteralsFollowTheColumnType)
{
    CString value;
    ASSERT_TRUE(FormatFilterValue(nullptr, SQL_INTEGER, kFilterLike, L"1%", value));
    EXPECT_EQ(A(value), "'1%'");
    ASSERT_TRUE(FormatFilterValue(nullptr, SQL_VARCHAR, kFilterEqual, L"O'Brien", value));
    EXPECT_EQ(A(value), "'O''Brien'");
    ASSERT_TRUE(FormatFilterValue(nullptr, SQL_DECIMAL, kFilterEqual, L" 1,5 ", value));
    EXPECT_EQ(A(value), "1.5");
    ASSERT_TRUE(FormatFilterValue(nullptr, SQL_INTEGER, kFilterNotEqual, L"-12", value));
    EXPECT_EQ(A(value), "-12");
    ASSERT_TRUE(FormatFilterValue(nullptr, SQL_TYPE_DATE, kFilterEqual, L"2020-01-31", value));
    EXPECT_NE(A(value).find("2020-01-31"), std::string::npos) << A(value);
    // A date that does not parse never becomes SQL of its own.
    ASSERT_TRUE(FormatFilterValue(nullptr, SQL_TYPE_DATE, kFilterEqual, L"soon", value));
    EXPECT_EQ(A(value), "'soon'");
    EXPECT_EQ(A(GetFilterOperationText(kFilterNotLike)), "NOT LIKE");
    EXPECT_TRUE(GetFilterOperationText(10).IsEmpty());
    EXPECT_EQ(A(GetFilterLogicText(kFilterOr)), "OR");
    EXPECT_TRUE(GetFilterLogicText(2).IsEmpty());
}

// Each real database: a table with awkward names and values; the conditions built for it pick
// exactly the rows the values name.
class FilterOnDatabase : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        switch (GetParam())
        {
        case 0: m_connect = m_sqlite.Connect(); break;
        case 1: m_connect = QlTestDb::PostgresConnect(); break;
        default: m_connect = QlTestDb::MariaDBConnect(); break;
        }
        ASSERT_TRUE(m_db.Open(m_connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        m_table.Format(L"ql filter %ls", QlTestDb::UniqueTag().c_str());
        m_quoted = QuoteSQLName(m_table, &m_db);
        Run(L"CREATE TABLE " + m_quoted + L" (id INTEGER, " + QuoteSQLName(L"Order Date", &m_db) +
            L" VARCHAR(40), na\u00efve VARCHAR(12000))");
        Run(L"INSERT INTO " + m_quoted + L" VALUES (1, 'x', 'O''Brien')");
        Run(L"INSERT INTO " + m_quoted + L" VALUES (2, 'y', " + m_db.StringLiteral(L"C:\\new") +
            L")");
        Run(L"INSERT INTO " + m_quoted + L" VALUES (3, NULL, NULL)");
    }
    void TearDown() override
    {
        if (m_db.IsOpen())
            Run(L"DROP TABLE " + m_quoted);
    }
    void Run(const CString& sql) { m_db.ExecuteSQL(sql); }
    CString Count(CFilterArray& filter)
    {
        CColumnInfoArray columns;
        ReadColumns(&m_db, CStringPair(L"", m_table), columns);
        if (!BuildFilterCondition(filter, &m_db, columns))
            return L"refused";
        return QlConnTest::QueryText(m_db, L"SELECT COUNT(*) FROM " + m_quoted + L" WHERE " +
                                               filter.m_strCondition);
    }
    // What the filter "column = value" finds in the table: "first id of count", or "refused".
    std::string RowsFound(const CString& table, const CColumnInfoArray& columns, LPCWSTR column,
                          LPCWSTR value)
    {
        CFilterArray filter;
        filter.push_back(Row(column, kFilterEqual, value));
        if (!BuildFilterCondition(filter, &m_db, columns))
            return "refused";
        const CString where = L" FROM " + table + L" WHERE " + filter.m_strCondition;
        return A(QlConnTest::QueryText(m_db, L"SELECT MIN(id)" + where)) + " of " +
               A(QlConnTest::QueryText(m_db, L"SELECT COUNT(*)" + where));
    }

    QlTestDb::TempSQLiteFile m_sqlite;
    CString m_connect;
    CRDatabase m_db;
    CString m_table;
    CString m_quoted;
};

TEST_P(FilterOnDatabase, SelectsTheNamedRows)
{
    CFilterArray apostrophe;
    apostrophe.push_back(Row(L"na\u00efve", kFilterEqual, L"O'Brien"));
    EXPECT_EQ(A(Count(apostrophe)), "1");
    CFilterArray backslash;
    backslash.push_back(Row(L"na\u00efve", kFilterEqual, L"C:\\new"));
    EXPECT_EQ(A(Count(backslash)), "1");
    CFilterArray spaced;
    spaced.push_back(Row(L"Order Date", kFilterEqual, L"x", kFilterOr));
    spaced.push_back(Row(L"Order Date", kFilterEqual, L"", kFilterAnd, kGridNull));
    EXPECT_EQ(A(Count(spaced)), "2");
    CFilterArray notEqual;
    notEqual.push_back(Row(L"Order Date", kFilterNotEqual, L"x"));
    EXPECT_EQ(A(Count(notEqual)), "1");
    CFilterArray hostile;
    hostile.push_back(Row(L"id", kFilterEqual, L"1; DELETE FROM t"));
    EXPECT_EQ(A(Count(hostile)), "refused");
    EXPECT_EQ(A(QlConnTest::QueryText(m_db, L"SELECT COUNT(*) FROM " + m_quoted)), "3");
}

// Dates and timestamps typed as the database keeps them find their rows: SQLite keeps them as
// the text they were written in, so a literal with a fraction the value lacks finds nothing.
TEST_P(FilterOnDatabase, DatesAndTimestampsFindTheirRows)
{
    const CString table = L"ql_filter_ts_" + CString(QlTestDb::UniqueTag().c_str());
    Run(L"CREATE TABLE " + table + L" (id INTEGER, d DATE, ts " +
        (GetParam() == 2 ? L"DATETIME(3)" : L"TIMESTAMP") + L")");
    Run(L"INSERT INTO " + table + L" VALUES (1, '2024-01-02', '2024-01-02 08:00:00')");
    Run(L"INSERT INTO " + table + L" VALUES (2, '2024-01-03', '2024-01-03 09:30:00.250')");
    CColumnInfoArray columns;
    ReadColumns(&m_db, CStringPair(L"", table), columns);
    EXPECT_EQ(RowsFound(table, columns, L"ts", L"2024-01-02 08:00:00"), "1 of 1");
    EXPECT_EQ(RowsFound(table, columns, L"ts", L"2024-01-03 09:30:00.25"), "2 of 1");
    EXPECT_EQ(RowsFound(table, columns, L"d", L"2024-01-03"), "2 of 1");
    Run(L"DROP TABLE " + table);
}

// PostgreSQL's infinite dates and timestamps and its years BC: the values a grid row hands to
// the Go To dialog and the values as the grid shows them both find their rows.
TEST_P(FilterOnDatabase, PostgreSQLInfiniteAndBCDatesFindTheirRows)
{
    if (GetParam() != 1)
        GTEST_SKIP();
    const CString table = L"ql_filter_inf_" + CString(QlTestDb::UniqueTag().c_str());
    Run(L"CREATE TABLE " + table + L" (id INTEGER, d DATE, ts TIMESTAMP)");
    Run(L"INSERT INTO " + table +
        L" VALUES (1, 'infinity', '-infinity'), (2, '-infinity', '0044-03-15 12:00:00.25 BC'), "
        L"(3, current_date, '9999-12-31 23:59:59')");
    CColumnInfoArray columns;
    ReadColumns(&m_db, CStringPair(L"", table), columns);
    CRRecordset rs(&m_db);
    ASSERT_TRUE(rs.Open(L"SELECT d, ts FROM " + table + L" ORDER BY id", RS_STATIC, RS_READONLY));
    const wchar_t* names[] = {L"d", L"ts"};
    for (int row = 1; row <= 3; ++row)
    {
        ASSERT_FALSE(rs.IsEOF());
        for (UINT col = 1; col <= 2; ++col)
        {
            bool null = false;
            const CString goTo = CursorValueText(&rs, col, null);
            CString shown;
            rs.GetFieldText(col, shown);
            const std::string expected = std::to_string(row) + " of 1";
            EXPECT_EQ(RowsFound(table, columns, names[col - 1], goTo), expected) << A(goTo);
            EXPECT_EQ(RowsFound(table, columns, names[col - 1], shown), expected) << A(shown);
        }
        rs.MoveNext();
    }
    rs.Close(); // (PostgreSQL drops no table a cursor of the session still reads)
    Run(L"DROP TABLE " + table);
}

INSTANTIATE_TEST_SUITE_P(Databases, FilterOnDatabase, testing::Values(0, 1, 2));

} // namespace
