// The SELECT rebuild of grid windows: which clauses are cut, what is appended, and the queries
// that are refused because a new sort or filter would change which rows they return.
#include "windows/select_rebuild.h"

#include <gtest/gtest.h>

namespace {

CString Rebuild(LPCWSTR current, LPCWSTR order, LPCWSTR condition, bool bSort = true,
                bool bFilter = true)
{
    CString result, why;
    if (!RebuildSelect(current, bSort, order, bFilter, condition, false, result, why))
        return L"REFUSED: " + why;
    return result;
}

std::string A(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

TEST(SelectRebuild, KeepsWhereForSortAndCutsBothForFilter)
{
    const wchar_t* current = L"SELECT * FROM t WHERE a = 1 ORDER BY b DESC";
    EXPECT_EQ(A(Rebuild(current, L" c ASC", L"", true, false)),
              "SELECT * FROM t WHERE a = 1\nORDER BY  c ASC");
    EXPECT_EQ(A(Rebuild(current, L"", L"x=2", false, true)), "SELECT * FROM t\nWHERE x=2");
    EXPECT_EQ(A(Rebuild(current, L" c ASC", L"x=2")),
              "SELECT * FROM t\nWHERE x=2\nORDER BY  c ASC");
    // Neither applies: the text stays as it is, even when it could not be rebuilt.
    EXPECT_EQ(A(Rebuild(L"SELECT 1 LIMIT 3", L"", L"", false, false)), "SELECT 1 LIMIT 3");
    // An empty condition and an empty order list leave only the cut.
    EXPECT_EQ(A(Rebuild(current, L"", L"")), "SELECT * FROM t");
    // A clause neither present nor asked for leaves the text alone, whatever follows.
    EXPECT_EQ(A(Rebuild(L"SELECT * FROM t ORDER BY id LIMIT 3", L"", L"", false, true)),
              "SELECT * FROM t ORDER BY id LIMIT 3");
}

TEST(SelectRebuild, KeywordsInQuotesCommentsAndParenthesesAreNotClauses)
{
    EXPECT_EQ(A(Rebuild(L"SELECT 'x WHERE y' AS w FROM t", L" a ASC", L"b=1")),
              "SELECT 'x WHERE y' AS w FROM t\nWHERE b=1\nORDER BY  a ASC");
    EXPECT_EQ(A(Rebuild(L"SELECT \"order by\", `where`, [where] FROM t", L" a ASC", L"")),
              "SELECT \"order by\", `where`, [where] FROM t\nORDER BY  a ASC");
    EXPECT_EQ(
        A(Rebuild(L"SELECT * FROM t -- order by\nWHERE a = 1", L" name ASC", L"", true, false)),
        "SELECT * FROM t -- order by\nWHERE a = 1\nORDER BY  name ASC");
    EXPECT_EQ(A(Rebuild(L"SELECT * FROM (SELECT * FROM u WHERE k = 2 ORDER BY k) s /* where */",
                        L" a DESC", L"", true, false)),
              "SELECT * FROM (SELECT * FROM u WHERE k = 2 ORDER BY k) s /* where */\nORDER BY  a "
              "DESC");
    EXPECT_EQ(A(Rebuild(L"SELECT rank() OVER (ORDER BY x) r FROM t ORDER BY r", L" x ASC", L"",
                        true, false)),
              "SELECT rank() OVER (ORDER BY x) r FROM t\nORDER BY  x ASC");
    // A closing semicolon does not end up in front of the new clauses.
    EXPECT_EQ(A(Rebuild(L"SELECT * FROM t;  ", L" a ASC", L"", true, false)),
              "SELECT * FROM t\nORDER BY  a ASC");
}

TEST(SelectRebuild, RefusesWhatWouldChangeTheRows)
{
    for (const wchar_t* sql : {L"SELECT * FROM t ORDER BY id DESC LIMIT 3",
                               L"SELECT * FROM t LIMIT 3", L"SELECT TOP 3 * FROM t ORDER BY id",
                               L"SELECT * FROM t ORDER BY id OFFSET 2 ROWS FETCH NEXT 3 ROWS ONLY",
                               L"SELECT * FROM t FOR UPDATE"})
        EXPECT_EQ(A(Rebuild(sql, L" name ASC", L"", true, false)).rfind("REFUSED", 0), 0u)
            << A(sql);
    for (const wchar_t* sql :
         {L"SELECT a, count(*) FROM t WHERE b = 1 GROUP BY a", L"SELECT a FROM t GROUP BY a",
          L"SELECT a FROM t WHERE x = 1 UNION SELECT a FROM u WHERE y = 2",
          L"SELECT a FROM t ORDER BY a"})
        EXPECT_EQ(A(Rebuild(sql, L"", L"c=1", false, true)).rfind("REFUSED", 0), 0u) << A(sql);
    EXPECT_EQ(A(Rebuild(L"SELECT 1; DELETE FROM t", L" a ASC", L"")).rfind("REFUSED", 0), 0u);
    EXPECT_EQ(A(Rebuild(L"SELECT 'open FROM t", L" a ASC", L"")).rfind("REFUSED", 0), 0u);
    // A set operation may still be sorted as a whole.
    EXPECT_EQ(A(Rebuild(L"SELECT a FROM t UNION SELECT a FROM u ORDER BY a", L" a DESC", L"", true,
                        false)),
              "SELECT a FROM t UNION SELECT a FROM u\nORDER BY  a DESC");
}

TEST(SelectRebuild, OrderListQuotesNamesThatNeedIt)
{
    CSortArray sort = {{L"name", kSortAscending},
                       {L"skip", kSortNone},
                       {L"Order Date", kSortDescending},
                       {L"2", kSortAscending}};
    EXPECT_EQ(A(BuildOrderByList(sort, nullptr)), " name ASC, \"Order Date\" DESC, \"2\" ASC");
    EXPECT_TRUE(BuildOrderByList({{L"a", kSortNone}}, nullptr).IsEmpty());
    EXPECT_TRUE(HasSortOrder(sort));
    EXPECT_FALSE(HasSortOrder({{L"a", kSortNone}}));
}

} // namespace
