// How the text of a statement reaches the driver.
//
// SQLite's ODBC driver turns the UTF-16 text of a statement into UTF-8 one code unit at a time:
// a character beyond U+FFFF (a surrogate pair) comes out as bytes of no character and the
// statement fails ("unrecognized token"), on Linux without Wine just as through Wine's bridge.
// Its 8-bit entries take the text as UTF-8 as it stands, and parameters and results are not
// concerned. So on SQLite a statement holding such a character goes in by the 8-bit entry, in
// UTF-8, when the driver is seen (asked once per connection, and only when such a statement
// comes) to garble it the other way and to take it whole this way; every other statement, and
// every statement on the other products, goes in as UTF-16.
//
// On SQLite the text goes first through SQLiteDriverText, so that the driver's escape scan reads
// it as SQLite does; text it would still change is refused (thrown) before anything is sent.
#pragma once

#include "framework/core.h"

#include <sql.h>

class CRDatabase;

// SQLExecDirectW / SQLPrepareW of the text on the statement, the way it reaches the driver
// whole. A character the driver can take neither way is refused (thrown as a
// Zelt::CRDBException* that names it) before anything is sent.
SQLRETURN ExecDirectText(CRDatabase* pDatabase, SQLHSTMT hStmt, LPCWSTR pszSQL);
SQLRETURN PrepareText(CRDatabase* pDatabase, SQLHSTMT hStmt, LPCWSTR pszSQL);
// The text of a statement of the program's own for the driver (no route choice: such text holds
// no character beyond U+FFFF of its own, and asking would run a statement inside this one).
// Text the SQLite driver would change without a word is not sent: SQL_ERROR.
SQLRETURN ExecDirectOwnText(CRDatabase* pDatabase, SQLHSTMT hStmt, LPCWSTR pszSQL);
