#include <gtest/gtest.h>

#include "dbaccess/sql_text.h"

#include <string>

namespace {

std::wstring TableOf(LPCWSTR sql)
{
    return std::wstring(static_cast<LPCWSTR>(ParseSelectTableName(sql)));
}

std::wstring Norm(LPCWSTR text, int scale = 0)
{
    CString out;
    if (!NormalizeNumberText(text, scale, out))
        return L"<no number>";
    return std::wstring(static_cast<LPCWSTR>(out));
}

} // namespace

TEST(FindSQLKeyword, WholeWordsOutsideQuotesWithoutRegardToCase)
{
    EXPECT_EQ(FindSQLKeyword(L"select * from t", L"FROM"), 9);
    EXPECT_EQ(FindSQLKeyword(L"SELECT FROMAGE, my_from FROM t", L"FROM"), 24);
    EXPECT_EQ(FindSQLKeyword(L"SELECT 'a from b' x, \"from\" FROM t", L"FROM"), 28);
    EXPECT_EQ(FindSQLKeyword(L"SELECT FROMAGE", L"FROM"), -1);
    // The last occurrence counts.
    EXPECT_EQ(FindSQLKeyword(L"SELECT a FROM t WHERE b IN (SELECT c FROM u)", L"FROM"), 37);
    EXPECT_EQ(FindSQLKeyword(L"SELECT * FROM t ORDER BY a", L"ORDER BY"), 16);
}

TEST(FindSQLKeyword, EmptyShortOrUnclosedGivesNothing)
{
    EXPECT_EQ(FindSQLKeyword(L"", L"FROM"), -1);
    EXPECT_EQ(FindSQLKeyword(L"FROM", L""), -1);
    EXPECT_EQ(FindSQLKeyword(L"FRO", L"FROM"), -1);
    EXPECT_EQ(FindSQLKeyword(nullptr, L"FROM"), -1);
    EXPECT_EQ(FindSQLKeyword(L"SELECT 'open FROM t WHERE x", L"WHERE"), -1);
}

TEST(SelectTableName, TheOneTableOfASimpleSelect)
{
    EXPECT_EQ(TableOf(L"SELECT * FROM Orders WHERE id = 1"), L"Orders");
    EXPECT_EQ(TableOf(L"select a, b from dbo.Orders order by a"), L"dbo.Orders");
    EXPECT_EQ(TableOf(L"SELECT * FROM \"My Table\" t WHERE t.x = 'FROM y'"), L"\"My Table\"");
    EXPECT_EQ(TableOf(L"SELECT * FROM [a b].[c]"), L"[a b].[c]");
    EXPECT_EQ(TableOf(L"SELECT * FROM `shop`.`items` AS i LIMIT 10;"), L"`shop`.`items`");
    EXPECT_EQ(TableOf(L"SELECT (SELECT max(x) FROM other) AS m FROM main_t"), L"main_t");
    EXPECT_EQ(TableOf(L"-- FROM nothing\nSELECT * /* FROM wrong */ FROM right_t\nWHERE a IN "
                      L"(SELECT b FROM u)"),
              L"right_t");
}

TEST(SelectTableName, AnythingButOneTableGivesNoName)
{
    // Set operations, joins, lists, subqueries and grouping: the rows are not rows of one table.
    EXPECT_EQ(TableOf(L"SELECT a FROM t1 UNION SELECT a FROM t2"), L"");
    EXPECT_EQ(TableOf(L"SELECT * FROM t1 JOIN t2 ON t1.a = t2.a"), L"");
    EXPECT_EQ(TableOf(L"SELECT * FROM t1 x LEFT OUTER JOIN t2 y ON x.a = y.a"), L"");
    EXPECT_EQ(TableOf(L"SELECT * FROM t1, t2"), L"");
    EXPECT_EQ(TableOf(L"SELECT * FROM (SELECT * FROM t) s"), L"");
    EXPECT_EQ(TableOf(L"SELECT a, count(*) FROM t GROUP BY a"), L"");
    EXPECT_EQ(TableOf(L"SELECT 1"), L"");
    EXPECT_EQ(TableOf(L"UPDATE t SET a = 1"), L"");
    EXPECT_EQ(TableOf(L"SELECT * FROM t; DROP TABLE t"), L"");
    EXPECT_EQ(TableOf(L"SELECT 'unclosed FROM t"), L"");
    EXPECT_EQ(TableOf(L"SELECT * FROM t /* unclosed"), L"");
}

TEST(SelectTableName, TheFunctionsTheSelectListCalls)
{
    std::vector<CString> calls;
    ASSERT_TRUE(ReadSelectListCalls(L"SELECT String_Agg(v, ','), pg_catalog.\"Max\"(x), "
                                    L"(SELECT count(*) FROM u) FROM t WHERE f(a) > 1",
                                    calls));
    EXPECT_EQ(calls, (std::vector<CString>{L"string_agg", L"Max", L"count"}));
    ASSERT_TRUE(ReadSelectListCalls(L"select id, v from t", calls));
    EXPECT_TRUE(calls.empty());
    // DISTINCT makes rows of no one table row; anything but a SELECT has no list.
    EXPECT_FALSE(ReadSelectListCalls(L"SELECT DISTINCT v FROM t", calls));
    EXPECT_FALSE(ReadSelectListCalls(L"WITH w AS (SELECT 1) SELECT * FROM w", calls));
    EXPECT_FALSE(ReadSelectListCalls(L"SELECT 'unclosed FROM t", calls));
}

// Each item of a select list as a column read as stored (with the name it reads and the one it
// is given), a star, or something computed.
TEST(SelectTableName, TheItemsOfTheSelectList)
{
    const auto read = [](LPCWSTR sql) {
        std::vector<CSelectListItem> items;
        std::wstring out;
        if (!ReadSelectList(sql, items))
            return std::wstring(L"-");
        for (const CSelectListItem& item : items)
        {
            out += item.bStar     ? L"*"
                   : item.bColumn ? L"c:" + std::wstring(item.strColumn.GetString())
                                  : L"x(" + std::wstring(item.strComputed.GetString()) + L")";
            if (!item.strAlias.IsEmpty())
                out += L">" + std::wstring(item.strAlias.GetString());
            out += L" ";
        }
        return out;
    };
    EXPECT_EQ(read(L"SELECT t.id, \"Price\", `v` AS v, x.y.z w, [a b] AS \"c\"\"d\" FROM t"),
              L"c:id c:Price c:v>v c:z>w c:a b>c\"d ");
    EXPECT_EQ(read(L"select *, t.* , id from t where a = (b)"), L"* * c:id ");
    EXPECT_EQ(read(L"SELECT ALL id FROM t"), L"c:id ");
    EXPECT_EQ(read(L"SELECT TOP (5) PERCENT WITH TIES id FROM t"), L"c:id ");
    EXPECT_EQ(read(L"SELECT TOP 5 * FROM t"), L"* ");
    EXPECT_EQ(read(L"SELECT SQL_NO_CACHE SQL_CALC_FOUND_ROWS id, v FROM t"), L"c:id c:v ");
    EXPECT_EQ(read(L"SELECT id, price * 2 AS price, -price p, 1 AS one, 'a', NULL AS n, "
                   L"CASE WHEN id = 1 THEN v END AS c, CAST(v AS INT), v::text AS v, "
                   L"(SELECT max(x) FROM u) AS s, upper(v) u, (price) FROM t"),
              L"c:id x(an expression)>price x(an expression)>p x(a literal)>one "
              L"x(a literal) x(a literal)>n x(a CASE expression)>c x(a cast) x(a cast)>v "
              L"x(a subquery)>s x(the function upper)>u x(an expression) ");
    // Comments and line breaks are no part of an item.
    EXPECT_EQ(read(L"SELECT -- the key\n id /* it */ , v\nFROM t"), L"c:id c:v ");
    // Rows that are not rows of the table, or no select list at all.
    EXPECT_EQ(read(L"SELECT DISTINCT id FROM t"), L"-");
    EXPECT_EQ(read(L"UPDATE t SET a = 1"), L"-");
    EXPECT_EQ(read(L"SELECT 'unclosed FROM t"), L"-");
    EXPECT_EQ(read(L"SELECT id,, v FROM t"), L"-");

    std::vector<CString> parts;
    ASSERT_TRUE(SplitSQLName(L"main.\"My \"\"T\"\"\"", parts));
    EXPECT_EQ(parts, (std::vector<CString>{L"main", L"My \"T\""}));
    EXPECT_FALSE(SplitSQLName(L"t x", parts));
}

TEST(DateText, DatesTimesAndFractions)
{
    TIMESTAMP_STRUCT ts;
    ASSERT_TRUE(ParseDateText(L"2020-12-31", ts));
    EXPECT_EQ(ts.year, 2020);
    EXPECT_EQ(ts.month, 12);
    EXPECT_EQ(ts.day, 31);
    EXPECT_EQ(ts.hour, 0);
    EXPECT_EQ(ts.fraction, 0u);

    ASSERT_TRUE(ParseDateText(L"31.12.2020 23:59:59.5", ts));
    EXPECT_EQ(ts.year, 2020);
    EXPECT_EQ(ts.month, 12);
    EXPECT_EQ(ts.day, 31);
    EXPECT_EQ(ts.hour, 23);
    EXPECT_EQ(ts.minute, 59);
    EXPECT_EQ(ts.second, 59);
    EXPECT_EQ(ts.fraction, 500000000u);

    // Microseconds come through, so a key condition on such a value still matches its row.
    ASSERT_TRUE(ParseDateText(L"2024/03/05 07:08:09.123456", ts));
    EXPECT_EQ(ts.fraction, 123456000u);

    ASSERT_TRUE(ParseDateText(L"12/31/2020T10:00", ts));
    EXPECT_EQ(ts.month, 12);
    EXPECT_EQ(ts.day, 31);
    EXPECT_EQ(ts.hour, 10);

    ASSERT_TRUE(ParseDateText(L"10:30", ts));
    EXPECT_EQ(ts.year, 0);
    EXPECT_EQ(ts.hour, 10);
    EXPECT_EQ(ts.minute, 30);

    ASSERT_TRUE(ParseDateText(L"2020-13-01", ts)); // month and day swapped
    EXPECT_EQ(ts.month, 1);
    EXPECT_EQ(ts.day, 13);

    EXPECT_FALSE(ParseDateText(L"2020-13-13", ts));
    EXPECT_FALSE(ParseDateText(L"2020-01-01 25:00", ts));
    EXPECT_FALSE(ParseDateText(L"2020-01-01x", ts));
    EXPECT_FALSE(ParseDateText(L"", ts));
    EXPECT_FALSE(ParseDateText(nullptr, ts));
}

TEST(DateText, TimestampWithZoneOffset)
{
    SQL_SS_TIMESTAMPOFFSET_STRUCT ts;
    ASSERT_TRUE(ParseTimestampText(L"2020-12-31 10:00:00 +02:30", ts));
    EXPECT_EQ(ts.hour, 10);
    EXPECT_EQ(ts.timezone_hour, 2);
    EXPECT_EQ(ts.timezone_minute, 30);
    ASSERT_TRUE(ParseTimestampText(L"2020-12-31 10:00 -05:00", ts));
    EXPECT_EQ(ts.timezone_hour, -5);
    EXPECT_EQ(ts.timezone_minute, 0);
    ASSERT_TRUE(ParseTimestampText(L"2020-12-31 10:00 -00:30", ts));
    EXPECT_EQ(ts.timezone_hour, 0);
    EXPECT_EQ(ts.timezone_minute, -30);
    EXPECT_FALSE(ParseTimestampText(L"2020-12-31 10:00 +02", ts));
}

TEST(NumberText, PlainDecimalsPaddedToScale)
{
    EXPECT_EQ(Norm(L"5", 2), L"5.00");
    EXPECT_EQ(Norm(L"-.5", 2), L"-0.50");
    EXPECT_EQ(Norm(L"1,5", 2), L"1.50");
    EXPECT_EQ(Norm(L"1.23456", 2), L"1.23456"); // more digits than the scale are kept
    EXPECT_EQ(Norm(L".5"), L"0.5");
    EXPECT_EQ(Norm(L"12abc"), L"<no number>");
}

TEST(NumberText, ExponentsMoveThePoint)
{
    EXPECT_EQ(Norm(L"1.5E+2"), L"150");
    EXPECT_EQ(Norm(L"1.5e-3"), L"0.0015");
    EXPECT_EQ(Norm(L"15e2"), L"1500");
    EXPECT_EQ(Norm(L"-2.5e-1"), L"-0.25");
    EXPECT_EQ(Norm(L"1.25e1"), L"12.5");
    EXPECT_EQ(Norm(L"7e"), L"7");
}

TEST(NumberText, NonNumbersAndAbsurdExponentsAreRefused)
{
    for (LPCWSTR bad : {L"", L"-", L".", L"e5", L"+e", L"1.2.3", L"1e+-2", L"1-2", L"1e5x", L"NaN",
                        L"1e999999999", L"1e-999999999"})
        EXPECT_EQ(Norm(bad), L"<no number>") << std::wstring(bad).c_str();
    EXPECT_EQ(Norm(L"1e300").size(), 301u);
}
