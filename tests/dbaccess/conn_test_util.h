// Helpers of the connection tests: a direct ODBC read of one value and exception capture.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "dbaccess/database.h"
#include "test_databases.h"

namespace QlConnTest {

// The first column of the current row of a statement as wide text; "<NULL>" for NULL.
inline CString FirstColumnText(SQLHSTMT hStmt)
{
    CString text;
    wchar_t chunk[1024];
    SQLLEN indicator = 0;
    for (;;)
    {
        const SQLRETURN ret = SQLGetData(hStmt, 1, SQL_C_WCHAR, chunk, sizeof chunk, &indicator);
        if (!SQL_SUCCEEDED(ret))
            break;
        if (indicator == SQL_NULL_DATA)
            return L"<NULL>";
        text += chunk;
        if (ret == SQL_SUCCESS)
            break;
    }
    return text;
}

// The first column of every row of a query, as wide text ("<NULL>" for NULL); one "<FAILED>"
// entry when the query fails. Reads through ODBC directly, not through a cursor.
inline std::vector<CString> QueryColumn(CRDatabase& db, LPCWSTR sql, size_t maxRows = SIZE_MAX)
{
    std::vector<CString> rows;
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocStmt(db.GetConnectionHandle(), &hStmt)));
    if (!SQL_SUCCEEDED(SQLExecDirectW(hStmt, const_cast<SQLWCHAR*>(sql), SQL_NTS)))
    {
        ADD_FAILURE() << "query failed: " << CStringA(db.GetErrorText(hStmt)).GetString();
        SQLFreeStmt(hStmt, SQL_DROP);
        return {L"<FAILED>"};
    }
    while (rows.size() < maxRows && SQL_SUCCEEDED(SQLFetch(hStmt)))
        rows.push_back(FirstColumnText(hStmt));
    SQLFreeStmt(hStmt, SQL_DROP);
    return rows;
}

// The first column of the first row of a query, as wide text; "<NULL>" for NULL and
// "<NO ROW>" when there is no row.
inline CString QueryText(CRDatabase& db, LPCWSTR sql)
{
    const std::vector<CString> rows = QueryColumn(db, sql, 1);
    return rows.empty() ? CString(L"<NO ROW>") : rows[0];
}

// Runs f and hands back the database exception it threw (null when it threw none).
inline std::unique_ptr<Zelt::CRDBException> Catch(const std::function<void()>& f)
{
    try
    {
        f();
    }
    catch (Zelt::CRDBException* e)
    {
        auto copy = std::make_unique<Zelt::CRDBException>(*e);
        e->Delete();
        return copy;
    }
    return nullptr;
}

inline std::string Narrow(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

// Opens db without prompting; fails the test when it does not connect.
inline void OpenOrFail(CRDatabase& db, LPCWSTR connect)
{
    auto e =
        Catch([&] { ASSERT_TRUE(db.Open(connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0)); });
    ASSERT_FALSE(e) << Narrow(e->m_strError);
}

// Runs a statement; fails the test with the statement and the server's text when it fails.
inline void ExecOrFail(CRDatabase& db, const CString& sql)
{
    auto e = Catch([&] { db.ExecuteSQL(sql); });
    ASSERT_FALSE(e) << Narrow(sql) << ": " << Narrow(e->m_strError);
}

// How many rows the two tables (or queries in parentheses) do not share, counting duplicates:
// "0" when they hold the same rows in any order.
inline CString CountDifferingRows(CRDatabase& db, const CString& a, const CString& b)
{
    return QueryText(db, L"SELECT count(*) FROM ((SELECT * FROM " + a +
                             L" EXCEPT ALL SELECT * FROM " + b + L") UNION ALL (SELECT * FROM " +
                             b + L" EXCEPT ALL SELECT * FROM " + a + L")) d");
}

// Schemas a test makes on a shared server, dropped with everything in them at the end.
class CScratchSchemas
{
public:
    explicit CScratchSchemas(CRDatabase& db) : m_db(db) {}
    ~CScratchSchemas()
    {
        for (const CString& schema : m_schemas)
            Catch([&] { m_db.ExecuteSQL(L"DROP SCHEMA " + schema + L" CASCADE"); });
    }
    CScratchSchemas(const CScratchSchemas&) = delete;
    CScratchSchemas& operator=(const CScratchSchemas&) = delete;

    // Creates the schema (a name unique to this run) and returns it.
    CString Create(const CString& name)
    {
        ExecOrFail(m_db, L"CREATE SCHEMA " + name);
        m_schemas.push_back(name);
        return name;
    }

private:
    CRDatabase& m_db;
    std::vector<CString> m_schemas;
};

} // namespace QlConnTest
