// Scratch tables on the real databases for the end-to-end scenarios: a second connection of the
// test's own (to set data up and to check what reached the database), table names no other test
// process uses at the same time, and every table dropped at the end.
//
// Include it as "tests/support/e2e_tables.h" beside "tests/support/program_driver.h".
#pragma once

#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ql {

enum E2EProduct
{
    kE2ESQLite,
    kE2EPostgres,
    kE2EMariaDB
};

inline std::string ProductName(int product)
{
    return product == kE2ESQLite ? "SQLite" : product == kE2EPostgres ? "PostgreSQL" : "MariaDB";
}

// For INSTANTIATE_TEST_SUITE_P over the three products.
struct ProductParamName
{
    std::string operator()(const testing::TestParamInfo<int>& info) const
    {
        return ProductName(info.param);
    }
};

// Runs the tests of a fixture on SQLite, PostgreSQL and MariaDB.
#define QL_ON_EVERY_PRODUCT(fixture)                                                               \
    INSTANTIATE_TEST_SUITE_P(Products, fixture,                                                    \
                             testing::Values(ql::kE2ESQLite, ql::kE2EPostgres, ql::kE2EMariaDB),   \
                             ql::ProductParamName())

class CScratchDatabase
{
public:
    CScratchDatabase() = default;
    CScratchDatabase(const CScratchDatabase&) = delete;
    CScratchDatabase& operator=(const CScratchDatabase&) = delete;
    ~CScratchDatabase() { DropAll(); }

    // Connects the test's own connection to the product's test database.
    void Open(int product)
    {
        m_product = product;
        m_connect = product == kE2ESQLite     ? m_file.Connect()
                    : product == kE2EPostgres ? QlTestDb::PostgresConnect()
                                              : QlTestDb::MariaDBConnect();
        QlConnTest::OpenOrFail(m_db, m_connect);
    }
    int Product() const { return m_product; }
    // The schema the Tables dialog shows for the test's tables: MariaDB's is the database.
    std::wstring Schema() const
    {
        return m_product == kE2EPostgres ? L"public" : m_product == kE2EMariaDB ? L"quenlark" : L"";
    }
    std::wstring Connect() const { return std::wstring(m_connect.GetString()); }
    CRDatabase& Db() { return m_db; }
    // SQLite: the database file's Windows path.
    std::wstring FilePath() const
    {
        return std::wstring(QlTestDb::WindowsPathOf(m_file.Path()).GetString());
    }

    // A new table name: the prefix, then a tag of this process, its clock and a counter.
    static std::wstring NewName(const std::wstring& prefix)
    {
        return prefix + QlTestDb::UniqueTag();
    }

    // The name as SQL text for this product (always quoted).
    std::wstring Quoted(const std::wstring& name) const
    {
        return m_product == kE2EMariaDB ? L"`" + name + L"`" : L"\"" + name + L"\"";
    }

    // Runs a statement; a failure fails the test.
    void Exec(const std::wstring& sql)
    {
        auto e = QlConnTest::Catch([&] { m_db.ExecuteSQL(sql.c_str()); });
        ASSERT_FALSE(e) << std::string(CStringA(sql.c_str())) << ": "
                        << QlConnTest::Narrow(e->m_strError);
    }
    // Creates a table from its column list; it is dropped at the end.
    void CreateTable(const std::wstring& name, const std::wstring& columns)
    {
        m_tables.push_back(name);
        Exec(L"CREATE TABLE " + Quoted(name) + L" (" + columns + L")");
    }
    std::wstring Text(const std::wstring& sql)
    {
        return std::wstring(QlConnTest::QueryText(m_db, sql.c_str()).GetString());
    }
    std::vector<std::wstring> Column(const std::wstring& sql)
    {
        std::vector<std::wstring> rows;
        for (const CString& row : QlConnTest::QueryColumn(m_db, sql.c_str()))
            rows.push_back(std::wstring(row.GetString()));
        return rows;
    }
    int Count(const std::wstring& table, const std::wstring& where = L"")
    {
        return _wtoi(Text(L"SELECT COUNT(*) FROM " + Quoted(table) + where).c_str());
    }

    void DropAll()
    {
        for (auto it = m_tables.rbegin(); it != m_tables.rend(); ++it)
            QlConnTest::Catch([&] { m_db.ExecuteSQL((L"DROP TABLE " + Quoted(*it)).c_str()); });
        m_tables.clear();
    }

private:
    int m_product = kE2ESQLite;
    QlTestDb::TempSQLiteFile m_file;
    CString m_connect;
    CRDatabase m_db;
    std::vector<std::wstring> m_tables;
};

// A scenario of the program on one product's database (the test's parameter): settings cleaned
// before and after, the program ended and the scratch tables dropped at the end.
class CProductScenario : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        CleanSettings();
        m_db.Open(GetParam());
    }
    void TearDown() override
    {
        program.Kill();
        CleanSettings();
    }

    CProgram program;
    CScratchDatabase m_db;
};

// Sorted copy, for comparing rows whose order the database leaves open.
inline std::vector<std::wstring> Sorted(std::vector<std::wstring> rows, bool numeric = false)
{
    std::sort(rows.begin(), rows.end(), [numeric](const std::wstring& a, const std::wstring& b) {
        return numeric ? _wtoi(a.c_str()) < _wtoi(b.c_str()) : a < b;
    });
    return rows;
}

inline std::string Narrow(const std::wstring& text)
{
    return std::string(CStringA(text.c_str()).GetString());
}

} // namespace ql
