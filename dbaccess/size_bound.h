// Whether a text or binary size a driver declares bounds the values, or is only a figure of the
// driver's own for a type without a bound. An editor limited to such a figure would cut values
// the database takes whole.
#pragma once

#include "framework/core.h"

#include "dbaccess/odbc_defs.h"

// A column or parameter of this SQL type and declared size: false for long types, for sizes of
// 0 or 2^31-1 and up (no size), and on a database that keeps any value in any column.
bool IsDeclaredSizeABound(SQLSMALLINT nSQLType, SQLULEN nSize, bool bDynamicTypes);

// A PostgreSQL character column as psqlODBC describes it, by its type name: the driver declares
// a size for types without a length of their own that values do not keep to.
bool IsPostgresSizeABound(SQLSMALLINT nSQLType, const CString& strTypeName, SQLULEN nSize);
