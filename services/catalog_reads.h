// The catalog reads behind CRDatabaseHelper's catalog members, on a given connection, and the
// SELECT a table or view is opened with.
#pragma once

#include "dbaccess/sql_names.h"
#include "services/catalog_arrays.h"

// Appends the records of one reader; failures throw.
void ReadTables(CRDatabase* pDatabase, LPCWSTR pszSchema, int nObjectKind, bool bSystemTables,
                CTableInfoArray& tables);
// Replaces the array's contents. An IS_NULLABLE the driver does not give (no such column in
// ODBC 2, or NULL) is filled from NULLABLE ("YES" for SQL_NULLABLE, else "NO").
void ReadColumns(CRDatabase* pDatabase, const CStringPair& table, CColumnInfoArray& columns);
void ReadPrimaryKeys(CRDatabase* pDatabase, const CStringPair& table, CPrimaryKeyArray& keys);
void ReadForeignKeys(CRDatabase* pDatabase, const CStringPair& table, CForeignKeyArray& keys);

// "SELECT * FROM name", or where some column is not read whole as it is, the column list with such
// columns read as text: on Oracle an XMLType, "sys.xmltype.getstringval(DOC) AS DOC"; on
// PostgreSQL a timestamptz, "ts::text AS ts". pColumns: the object's columns (read only for
// Oracle and PostgreSQL; null when they could not be read).
CString BuildObjectSelect(CRDatabase* pDatabase, const CStringPair& name,
                          const CColumnInfoArray* pColumns);

// "SELECT TEXT FROM ALL_VIEWS WHERE OWNER='..' AND VIEW_NAME='..'".
CString BuildOracleViewTextSQL(LPCWSTR pszSchema, LPCWSTR pszView);
