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

} // namespace
