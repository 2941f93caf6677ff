// The statements that list stored code: procedures (Microsoft SQL Server; other products use
// the driver's procedure catalog), Oracle packages, triggers, Oracle objects marked invalid and
// the compile errors of one Oracle object. "" where the product has no such list.
#pragma once

#include "services/sql_dialect.h"

// pszSchema null or empty: every schema (no schema is named by an empty text).
CString BuildProceduresSQL(const CSQLDialect& dialect, LPCWSTR pszSchema);
CString BuildPackagesSQL(const CSQLDialect& dialect, LPCWSTR pszSchema);
// nServerMajor: Microsoft SQL Server before 9 keeps triggers in sysobjects. MySQL needs a
// schema (the caller gives the current database when it has none).
CString BuildTriggersSQL(const CSQLDialect& dialect, LPCWSTR pszSchema, int nServerMajor);
CString BuildInvalidObjectsSQL(const CSQLDialect& dialect, int nObjectKind, LPCWSTR pszSchema);
CString BuildCompileErrorsSQL(const CSQLDialect& dialect, const CStringPair& name);

// A procedure name as the catalog gives it, without the ";<group number>" drivers append.
CString StripProcedureGroup(const CString& strName);
