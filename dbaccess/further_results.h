// Asking a driver for a statement's further results (SQLMoreResults) where it can answer.
//
// MariaDB's ODBC driver (Connector/ODBC 3.1) counts the ";" of a statement as separators of
// several statements, though it sends the text whole as one prepared statement (the server
// refuses several statements sent so, and runs a compound body as one). For some heads (CREATE
// TRIGGER, CREATE OR REPLACE TRIGGER, CREATE EVENT, ALTER EVENT; not CREATE PROCEDURE,
// CREATE FUNCTION, CREATE DEFINER = ... TRIGGER, BEGIN NOT ATOMIC) a body holding two or more
// ";" leaves it believing further statements are pending: SQLMoreResults then reads past its
// list and crashes the process on Linux (a segmentation fault); through Wine's odbc32 the call
// returns 5, no ODBC return code at all. SQLNumResultCols and SQLRowCount answer rightly before
// that. Such a statement, run whole by the server, has no further results: a result set of its
// body comes first, so a statement without columns in its first result has none after it.
#pragma once

#include "framework/core.h"

#include <sql.h>

class CRDatabase;

// Whether SQLMoreResults may be called on hStmt after the statement pszSQL succeeded on it:
// false on MariaDB for a statement holding ";" in its code whose first result has no columns.
bool MayAskFurtherResults(const CRDatabase* pDatabase, SQLHSTMT hStmt, LPCWSTR pszSQL);

// A return of an ODBC function that no ODBC function returns: the driver failed inside the call
// (Wine's odbc32 answers so when a native driver faults), and its handle can no longer be
// trusted.
bool IsDriverFault(SQLRETURN nRet);

// The words for such a failure, said as the driver's: what was called, what it answered, and
// that the statement before it ran.
CString DriverFaultText(LPCWSTR pszFunction, SQLRETURN nRet);
