#include "dbaccess/size_bound.h"

bool IsDeclaredSizeABound(SQLSMALLINT nSQLType, SQLULEN nSize, bool bDynamicTypes)
{
    if (bDynamicTypes || nSize == 0 || nSize >= 0x7FFFFFFF)
        return false;
    return nSQLType != SQL_LONGVARCHAR && nSQLType != SQL_WLONGVARCHAR &&
           nSQLType != SQL_LONGVARBINARY;
}

// psqlODBC declares text as 8190 (its MaxLongVarcharSize), varchar without a length as 255 (its
// MaxVarcharSize), json and arrays (type name "unknown") as 255 or the length of the first value,
// interval (no type name) as 32, though "-100 years -11 mons ..." is longer. Named types of a
// fixed greatest length (name, inet, char(n), varchar(n)) hold to it; varchar(255) cannot be told
// from varchar and counts as unbounded.
bool IsPostgresSizeABound(SQLSMALLINT nSQLType, const CString& strTypeName, SQLULEN nSize)
{
    if (nSQLType == SQL_LONGVARCHAR || nSQLType == SQL_WLONGVARCHAR)
        return false;
    if (strTypeName.IsEmpty() || strTypeName.CompareNoCase(L"unknown") == 0)
        return false;
    return !(strTypeName.CompareNoCase(L"varchar") == 0 && nSize == 255);
}
