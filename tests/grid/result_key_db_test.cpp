// The key by which a PostgreSQL query grid's rows are changed: found for a query over one keyed
// table however its name is written and its rows chosen, and otherwise a reason that names what
// keeps each row of the result from being one row of a table.
#include <gtest/gtest.h>

#include "grid/result_key.h"
#include "dbaccess/recordset.h"
#include "../dbaccess/conn_test_util.h"

#include <memory>

using namespace QlConnTest;

namespace {

class ResultKeyDb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OpenOrFail(m_db, QlTestDb::PostgresConnect());
        const CString tag = QlTestDb::UniqueTag().c_str();
        m_table = L"ql_reskey_" + tag;
        m_schema = L"QlResKey_" + tag;
        ExecOrFail(m_db, L"CREATE TABLE " + m_table +
                             L" (id INTEGER, part INTEGER, v TEXT, "
                             L"PRIMARY KEY (part, id))");
        ExecOrFail(m_db, L"INSERT INTO " + m_table + L" VALUES (1, 1, 'a'), (2, 1, 'b')");
        ExecOrFail(m_db, L"CREATE SCHEMA \"" + m_schema + L"\"");
        ExecOrFail(m_db, L"CREATE TABLE \"" + m_schema +
                             L"\".\"Mixed\" (\"Id\" INTEGER PRIMARY KEY, v TEXT)");
        ExecOrFail(m_db, L"CREATE TABLE \"" + m_schema + L"\".nokey (id INTEGER, v TEXT)");
    }
    void TearDown() override
    {
        Catch([&] { m_db.ExecuteSQL(L"DROP TABLE IF EXISTS " + m_table); });
        Catch([&] { m_db.ExecuteSQL(L"DROP SCHEMA IF EXISTS \"" + m_schema + L"\" CASCADE"); });
    }
    // The reason for the query's result ("" when keyed) and the key's names, joined by ",".
    std::pair<CString, CString> Key(const CString& sql)
    {
        CRRecordset rs(&m_db);
        auto e = Catch([&] { rs.Open(sql, RS_STATIC, RS_NUMERIC_AS_TEXT); });
        EXPECT_FALSE(e) << Narrow(sql);
        std::vector<CString> names;
        const CString reason = FindResultKey(m_db, &rs, names);
        CString joined;
        for (const CString& name : names)
            joined += (joined.IsEmpty() ? L"" : L",") + name;
        return {reason, joined};
    }

    CRDatabase m_db;
    CString m_table, m_schema;
};

TEST_F(ResultKeyDb, FoundForOneKeyedTableAndOtherwiseSaidWhy)
{
    const std::pair<CString, CString> keyed(L"", L"part,id");
    EXPECT_EQ(Key(L"select * from " + m_table + L" order by id"), keyed);
    EXPECT_EQ(Key(L"SELECT v, id, part FROM " + m_table + L" x WHERE id > 0 LIMIT 1 OFFSET 1"),
              keyed);
    EXPECT_EQ(Key(L"SELECT * FROM \"" + m_schema + L"\".\"Mixed\""),
              std::make_pair(CString(), CString(L"Id")));

    const auto reason = [&](const CString& sql) { return Key(sql).first; };
    EXPECT_NE(reason(L"SELECT a.* FROM " + m_table + L" a JOIN " + m_table + L" b USING (id)")
                  .Find(L"one table"),
              -1);
    EXPECT_NE(reason(L"SELECT DISTINCT * FROM " + m_table).Find(L"DISTINCT"), -1);
    EXPECT_NE(reason(L"SELECT id, part, upper(v) AS v FROM " + m_table).Find(L"upper"), -1);
    EXPECT_NE(reason(L"SELECT id, v FROM " + m_table).Find(L"(part, id)"), -1);
    EXPECT_NE(reason(L"SELECT * FROM \"" + m_schema + L"\".nokey").Find(L"has no primary key"), -1);
    // The question about the key neither fails nor aborts the user's transaction.
    ASSERT_TRUE(m_db.BeginTrans());
    EXPECT_EQ(Key(L"select * from " + m_table), keyed);
    EXPECT_EQ(QueryText(m_db, L"SELECT 1"), L"1");
    m_db.EndTrans(false);
}

// What FindResultKey answers for a query: the reason there is no key, else each key column's
// name in brackets.
CString KeyOf(CRDatabase& db, const CString& sql)
{
    CRRecordset rs(&db);
    auto e = Catch([&] { rs.Open(sql, RS_STATIC, RS_NUMERIC_AS_TEXT); });
    EXPECT_FALSE(e) << Narrow(sql);
    std::vector<CString> names;
    const std::vector<CString> reasons = ReadResultColumnSources(&rs, true);
    CString reason = FindResultKey(db, &rs, names, &reasons);
    for (const CString& name : names)
        reason += L"[" + name + L"]";
    return reason;
}

// Which columns of a query's result are the table's own, on each product: what the select list
// says, and what its driver says where the list alone does not tell.
class ResultColumnsDb : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        const CString tag = QlTestDb::UniqueTag().c_str();
        if (GetParam() == 0)
            OpenOrFail(m_db, m_file.Connect());
        else
            OpenOrFail(m_db,
                       GetParam() == 1 ? QlTestDb::PostgresConnect() : QlTestDb::MariaDBConnect());
        m_table = L"ql_rescol_" + tag;
        ExecOrFail(m_db, L"CREATE TABLE " + m_table +
                             L" (id INTEGER PRIMARY KEY, price INTEGER, v VARCHAR(20))");
        ExecOrFail(m_db, L"INSERT INTO " + m_table + L" VALUES (1, 10, 'a')");
    }
    void TearDown() override
    {
        if (GetParam() != 0)
            Catch([&] { m_db.ExecuteSQL(L"DROP TABLE IF EXISTS " + m_table); });
    }
    // For each column, "" when it may be edited, else the start of its reason.
    std::vector<CString> Sources(const CString& select)
    {
        CRRecordset rs(&m_db);
        const CString sql = select + L" FROM " + m_table;
        auto e = Catch([&] { rs.Open(sql, RS_STATIC, RS_NUMERIC_AS_TEXT); });
        EXPECT_FALSE(e) << Narrow(sql);
        std::vector<CString> out;
        for (const CString& reason : ReadResultColumnSources(&rs, true))
        {
            const int at = reason.Find(L" is computed") >= 0  ? reason.Find(L" is computed")
                           : reason.Find(L" shows the") >= 0  ? reason.Find(L" shows the")
                           : reason.Find(L"not matched") >= 0 ? 0
                                                              : reason.GetLength();
            out.push_back(reason.IsEmpty() ? CString() : reason.Mid(at + 1, 8));
        }
        return out;
    }

    QlTestDb::TempSQLiteFile m_file;
    CRDatabase m_db;
    CString m_table;
};

TEST_P(ResultColumnsDb, ComputedAndRenamedColumnsAreNotTheTables)
{
    const CString ok, computed = L"is compu", renamed = L"shows th";
    const CString q = GetParam() == 2 ? L"`" : L"\"";
    EXPECT_EQ(Sources(L"SELECT *"), (std::vector<CString>{ok, ok, ok}));
    EXPECT_EQ(Sources(L"SELECT " + m_table + L".id, " + q + L"price" + q + L", v AS v, " + m_table +
                      L".*"),
              (std::vector<CString>{ok, ok, ok, ok, ok, ok}));
    EXPECT_EQ(Sources(L"SELECT id, price * 2 AS price"), (std::vector<CString>{ok, computed}));
    EXPECT_EQ(Sources(L"SELECT id, v AS price, price AS v, price AS p"),
              (std::vector<CString>{ok, renamed, renamed, renamed}));
    EXPECT_EQ(Sources(L"SELECT 1 AS id, CASE WHEN id = 1 THEN v END AS v, CAST(price AS CHAR(5)) "
                      L"AS price, (SELECT max(price) FROM " +
                      m_table + L") AS mx, upper(v) AS u, price + 0"),
              (std::vector<CString>{computed, computed, computed, computed, computed, computed}));

    // The rows are found by the table's primary key, not by a column of that name the query
    // computes.
    const auto key = [&](const CString& select) {
        return KeyOf(m_db, select + L" FROM " + m_table);
    };
    EXPECT_EQ(key(L"SELECT v, id"), L"[id]");
    EXPECT_NE(key(L"SELECT v, id + 0 AS id").Find(L"primary key"), -1);
}

INSTANTIATE_TEST_SUITE_P(Products, ResultColumnsDb, ::testing::Values(0, 1, 2));

// SQLite query grids over a keyed table are keyed by the table's primary key, whatever way its
// name is written; a key column the query renames keys nothing.
TEST(ResultKeySQLite, FoundByTheTablesPrimaryKey)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    OpenOrFail(db, file.Connect());
    ExecOrFail(db, L"CREATE TABLE \"My T\" (a INTEGER, b TEXT, c TEXT, PRIMARY KEY (b, a))");
    ExecOrFail(db, L"CREATE TABLE nokey (a INTEGER, b TEXT)");
    const auto key = [&](const CString& sql) { return KeyOf(db, sql); };
    EXPECT_EQ(key(L"SELECT * FROM \"My T\" ORDER BY a"), L"[b][a]");
    EXPECT_EQ(key(L"select c, a, b from main.\"My T\" t where a > 0"), L"[b][a]");
    EXPECT_NE(key(L"SELECT * FROM nokey").Find(L"has no primary key"), -1);
    EXPECT_NE(key(L"SELECT c AS a, b FROM \"My T\"").Find(L"primary key"), -1);
}

} // namespace
