// psqlODBC's level of rollback on errors. Left to itself the driver rolls back on a failed
// statement: to a savepoint of its own sent ahead of each statement in a transaction, or the
// whole transaction, depending on the path the statement took, and without a word. The program
// connects with level 0 (the driver does nothing) so that the server's own rule holds, as in
// psql: a failure leaves the user's transaction aborted until the user ends it.
#pragma once

#include "framework/core.h"

// The Protocol item psqlODBC reads the level from: "7.4" is the only protocol, "-0" the level.
constexpr const wchar_t* kServerErrorRollback = L"7.4-0";

// The user's string with Protocol=7.4-0 (any Protocol or A1 item of theirs replaced) for
// psqlODBC (pszDriverName: SQL_DRIVER_NAME); empty for other drivers and for a string that
// already says so.
CString ServerErrorRollbackString(LPCWSTR pszConnect, LPCWSTR pszDriverName);
