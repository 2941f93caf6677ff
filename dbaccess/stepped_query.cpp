#include "dbaccess/stepped_query.h"

#include "dbaccess/database.h"
#include "dbaccess/db_exception.h"
#include "dbaccess/recordset.h"
#include "dbaccess/statement_text.h"
#include "dbaccess/transaction_statements.h"

#include <sqlext.h>

bool IsUndeclaredColumnDescription(SQLSMALLINT nSQLType, SQLULEN nSize, LPCWSTR pszTypeName)
{
    return nSQLType == SQL_VARCHAR && nSize == 255 && pszTypeName != nullptr &&
           wcscmp(pszTypeName, L"varchar") == 0;
}

namespace {

// The prepared statement's columns, all described as declared (none at all: false, nothing to
// stream).
bool DescribesDeclaredColumns(SQLHSTMT hStmt)
{
    SQLSMALLINT count = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(hStmt, &count)) || count <= 0)
        return false;
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(count); ++c)
    {
        SQLSMALLINT sqlType = 0, digits = 0, nullable = 0, nameLength = 0;
        SQLULEN size = 0;
        SQLWCHAR name[2] = {};
        const SQLRETURN rc =
            SQLDescribeColW(hStmt, c, name, 2, &nameLength, &sqlType, &size, &digits, &nullable);
        if (!SQL_SUCCEEDED(rc))
            return false;
        CString typeName;
        if (!CRRecordset::ReadDriverTypeName(hStmt, c, typeName) ||
            IsUndeclaredColumnDescription(sqlType, size, typeName))
            return false;
    }
    return true;
}

} // namespace

bool StepsTypedAsWholeRead(CRDatabase* pDatabase, SQLHDBC hDbc, LPCWSTR pszSQL)
{
    if (pDatabase == nullptr || hDbc == SQL_NULL_HDBC ||
        !IsSingleSelect(pDatabase->GetDBMSKind(), pszSQL))
        return false;
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocStmt(hDbc, &hStmt)))
        return false;
    bool bDeclared = false;
    // A new statement is forward-only: the driver describes it as it would step through it.
    try
    {
        bDeclared =
            SQL_SUCCEEDED(PrepareText(pDatabase, hStmt, pszSQL)) && DescribesDeclaredColumns(hStmt);
    }
    catch (Zelt::CRDBException* e)
    {
        e->Delete();
    }
    SQLFreeStmt(hStmt, SQL_DROP);
    return bDeclared;
}
