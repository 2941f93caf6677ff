// Helpers of the connection tests: a direct ODBC read of one value and exception capture.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "dbaccess/database.h"
#include "test_databases.h"

namespace QlConnTest {

// The first column of the first row of a query, as wide text; "<NULL>" for NULL and
// "<NO ROW>" when there is no row. Reads through ODBC directly, not through a cursor.
inline CString QueryText(CRDatabase& db, LPCWSTR sql)
{
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocStmt(db.GetConnectionHandle(), &hStmt)));
    SQLRETURN ret = SQLExecDirectW(hStmt, const_cast<SQLWCHAR*>(sql), SQL_NTS);
    if (!SQL_SUCCEEDED(ret))
    {
        CString error = db.GetErrorText(hStmt);
        SQLFreeStmt(hStmt, SQL_DROP);
        ADD_FAILURE() << "query failed: " << CStringA(error).GetString();
        return L"<FAILED>";
    }
    CString result = L"<NO ROW>";
    if (SQL_SUCCEEDED(SQLFetch(hStmt)))
    {
        CString text;
        wchar_t chunk[1024];
        SQLLEN indicator = 0;
        for (;;)
        {
            ret = SQLGetData(hStmt, 1, SQL_C_WCHAR, chunk, sizeof chunk, &indicator);
            if (!SQL_SUCCEEDED(ret))
                break;
            if (indicator == SQL_NULL_DATA)
            {
                text = L"<NULL>";
                break;
            }
            text += chunk;
            if (ret == SQL_SUCCESS)
                break;
        }
        result = text;
    }
    SQLFreeStmt(hStmt, SQL_DROP);
    return result;
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

} // namespace QlConnTest
