// Drop and rename statements of database objects in each product's dialect. Every builder gives
// the statement text, or "" when the product has no statement for the case.
#pragma once

#include "services/db_object_array.h"
#include "services/sql_dialect.h"

// "DROP <word> <name>". Functions are dropped as functions (DROP ROUTINE on PostgreSQL for
// procedures and functions alike: its driver reports every routine as a function).
CString BuildDropObjectSQL(const CSQLDialect& dialect, int nObjectKind, const CStringPair& name);
// Constraints of types 1 to 4 (CDBConstraintInfo); a unique constraint is a constraint of its
// table everywhere but on MySQL, where it is an index.
CString BuildDropConstraintSQL(const CSQLDialect& dialect, const CDBConstraintInfo& constraint);
CString BuildDropColumnSQL(const CSQLDialect& dialect, const CStringPair& table, LPCWSTR pszColumn);
CString BuildDropIndexSQL(const CSQLDialect& dialect, const CStringPair& table,
                          LPCWSTR pszIndexSchema, LPCWSTR pszIndex);
CString BuildRenameObjectSQL(const CSQLDialect& dialect, int nObjectKind, const CStringPair& name,
                             LPCWSTR pszNewName);
CString BuildRenameConstraintSQL(const CSQLDialect& dialect, const CDBConstraintInfo& constraint,
                                 LPCWSTR pszNewName);
CString BuildRenameColumnSQL(const CSQLDialect& dialect, const CStringPair& table,
                             LPCWSTR pszColumn, LPCWSTR pszNewName);
CString BuildRenameIndexSQL(const CSQLDialect& dialect, const CStringPair& table,
                            LPCWSTR pszIndexSchema, LPCWSTR pszIndex, LPCWSTR pszNewName);
