// Whether a query of the user's may stream on a SQLite connection whose driver steps through
// results.
//
// Stepping, SQLite's driver describes a column that has no declared type (an expression, a
// literal, a column of a table declared without one) as VARCHAR(255) and hands its values over as
// text; reading the same result whole it types such a column by its first value. A column with a
// declared type is described and read alike both ways. So a query streams only when the driver,
// asked before anything runs (the text is prepared, which runs nothing), describes no column the
// way it describes an undeclared one; every other query is read whole, typed as ever, and runs
// once all the same.
#pragma once

#include "framework/core.h"

#include <sql.h>

class CRDatabase;

// What the stepping driver gives a column without a declared type: VARCHAR of 255 characters
// named "varchar". A column declared "varchar" or "varchar(255)" in those very letters looks the
// same and counts as undeclared too (it is then read whole, as before).
bool IsUndeclaredColumnDescription(SQLSMALLINT nSQLType, SQLULEN nSize, LPCWSTR pszTypeName);

// True when the text is one SELECT and the driver, preparing it on the connection, describes
// every column of its result as declared. Nothing runs; a text the driver refuses, or any doubt,
// gives false (the statement then goes its usual way and meets its error there). Call it only
// where nothing else uses the connection meanwhile (no result is being read ahead).
bool StepsTypedAsWholeRead(CRDatabase* pDatabase, SQLHDBC hDbc, LPCWSTR pszSQL);
