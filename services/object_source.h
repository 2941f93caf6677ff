// The statements that read the stored source text of views, procedures, functions, packages
// and triggers from each product's catalog.
#pragma once

#include "services/sql_dialect.h"

// The statement for an object; for Oracle procedures, functions, packages (their header)
// and triggers the ALL_SOURCE statement. "" for a combination without source text. MySQL
// objects need their database as the schema (the caller fills in the current one).
CString BuildObjectSourceSQL(const CSQLDialect& dialect, const CStringPair& name, int nObjectKind);
// Oracle ALL_SOURCE lines of one object of a type ("PROCEDURE", "PACKAGE BODY", ...), in order.
CString BuildOracleSourceSQL(const CSQLDialect& dialect, LPCWSTR pszType, LPCWSTR pszOwner,
                             LPCWSTR pszName);
// The body of a PostgreSQL routine written as BEGIN ATOMIC ... END (its prosrc is empty).
CString BuildPostgresSQLBodySQL(LPCWSTR pszOid);
// What stands between an Oracle package's header and its body.
LPCWSTR GetPackageBodySeparator();
// What the user is told when MariaDB or MySQL lists a view or routine (nObjectKind) but keeps
// its text from the user; pszName as the program writes it.
CString DescribeWithheldSource(LPCWSTR pszName, int nObjectKind);
