#include "dbaccess/further_results.h"

#include "dbaccess/database.h"
#include "dbaccess/sql_lexer.h"

#include <sqlext.h>

#include <cwchar>
#include <string>

bool MayAskFurtherResults(const CRDatabase* pDatabase, SQLHSTMT hStmt, LPCWSTR pszSQL)
{
    if (pDatabase == nullptr || pDatabase->GetDBMSKind() != DBMS_MYSQL || pszSQL == nullptr ||
        wcschr(pszSQL, L';') == nullptr)
        return true;
    UINT dialect = SQLLexServerDialect(DBMS_MYSQL);
    if (!pDatabase->UsesBackslashEscapes())
        dialect &= ~SQL_LEX_BACKSLASH_QUOTES;
    CSQLLexer lexer(dialect);
    lexer.SetSeparator(L";");
    lexer.StartStatement();
    const std::wstring_view text(pszSQL);
    if (lexer.FindEnd(text, 0) == std::wstring_view::npos)
        return true;
    SQLSMALLINT nColumns = 0;
    return SQL_SUCCEEDED(SQLNumResultCols(hStmt, &nColumns)) && nColumns > 0;
}

bool IsDriverFault(SQLRETURN nRet)
{
    switch (nRet)
    {
    case SQL_SUCCESS:
    case SQL_SUCCESS_WITH_INFO:
    case SQL_ERROR:
    case SQL_INVALID_HANDLE:
    case SQL_STILL_EXECUTING:
    case SQL_NEED_DATA:
    case SQL_NO_DATA: return false;
    default: return true;
    }
}

CString DriverFaultText(LPCWSTR pszFunction, SQLRETURN nRet)
{
    CString strText;
    strText.Format(L"The ODBC driver failed inside %s (it answered %d, which is no ODBC return "
                   L"code): a fault of the driver, after the statement had run. The statement "
                   L"itself succeeded; the driver's statement handle is no longer used.",
                   pszFunction, static_cast<int>(nRet));
    return strText;
}
