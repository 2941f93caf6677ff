// The texts of the types, functions and connection-properties dialogs: ODBC numbers as the user
// reads them, the function table the functions dialog lists, and the choice of the cursor whose
// attributes the properties dialog shows. Window-free.
#pragma once

#include "framework/core.h"

#include "dbaccess/database.h"

// The standard name of an SQL type number; the SQL Server extensions only for DBMS_MSSQL; "?"
// for any other number.
CString SQLTypeNameText(int nType, DBMSKind nKind);
// SQLGetTypeInfo's NULLABLE ("Yes", "No", "?"), CASE_SENSITIVE / UNSIGNED_ATTRIBUTE ("Yes" for 1,
// else "No") and SEARCHABLE.
CString TypeNullableText(int nValue);
CString TypeYesNoText(int nValue);
CString TypeSearchableText(int nValue);

CString CursorBehaviorText(int nValue);
CString TxnCapableText(int nValue);
// SQL_IDENTIFIER_CASE; empty for an unknown value.
CString IdentifierCaseText(int nValue);
// SQL_DEFAULT_TXN_ISOLATION; "?" for anything but one of the four single levels.
CString TxnIsolationText(DWORD nValue);
// 0 "no limit", else the number.
CString InfoLimitText(DWORD nValue);

struct CFunctionEntry
{
    LPCWSTR pszName;
    DWORD nBit;
};
struct CFunctionCategory
{
    SQLUSMALLINT nInfoType;
    LPCWSTR pszText;
    const CFunctionEntry* pFunctions;
    int nCount;
};
// The nine categories in the order the dialog lists them.
const CFunctionCategory* FunctionCategories(int* pnCount);

// Which cursor's attributes describe the connection: the helper's cursor type (0 keyset, 1
// static, 2 forward-only, 3 dynamic) when the driver supports it, else the first supported of
// keyset, dynamic, static, else forward-only.
struct CCursorAttributeInfo
{
    SQLUSMALLINT nInfoType1;
    SQLUSMALLINT nInfoType2;
    LPCWSTR pszSuffix;
};
CCursorAttributeInfo ChooseCursorAttributes(UINT nCursorType, DWORD nScrollOptions);

// Ordinal (character code) comparison of two texts as -1, 0, 1; reversed when descending.
int CompareTextsOrdinal(const CString& a, const CString& b, bool bAscending);
