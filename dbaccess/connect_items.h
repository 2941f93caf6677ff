// Items of ODBC connection strings ("key=value;..."; a value in braces may hold ';' and "}}"), and
// the driver options this program sets: SQLite's driver hands over forward-only results as they
// are stepped through; psqlODBC reads every result whole.
#pragma once

#include "framework/core.h"

// True when the string has an item named pszKey (case-insensitive); its value, trimmed and
// without braces, goes to pValue.
bool FindConnectItem(LPCWSTR pszConnect, LPCWSTR pszKey, CString* pValue = nullptr);

// The string without its items named pszKey, ended by ';', with "key=value;" appended.
CString SetConnectItem(LPCWSTR pszConnect, LPCWSTR pszKey, LPCWSTR pszValue);
// The string without its items named pszKey, ended by ';' unless empty.
CString WithoutConnectItem(LPCWSTR pszConnect, LPCWSTR pszKey);

// The user's connection string with the streaming option of the driver whose file name
// (SQL_DRIVER_NAME) is given: SQLite's driver steps through results (StepAPI=1). Empty when the
// driver has no such option to add or the user's string already chooses it (an empty value
// chooses nothing).
//
// Stepping, SQLite's driver reports every column without a declared type (expressions,
// "SELECT 1", columns of tables declared without one) as VARCHAR(255); a static cursor is still
// read whole and typed as without the option. So on a connection where the program added it,
// only reads of tables whose columns all have a declared type go forward-only (see
// CRDatabase::StreamsDeclaredColumnsOnly).
CString StreamingConnectString(LPCWSTR pszConnect, LPCWSTR pszDriverName);

// psqlODBC reading through cursors of its own (UseDeclareFetch, short form B6) runs them in
// transactions of its own on the connection, even with autocommit on: those begin, end and roll
// back around the user's statements. The user's connection does without: this gives the user's
// string with UseDeclareFetch=0 when it, or the completed string of a connection made with it
// (which holds what a data source set), turns them on; empty otherwise and for other drivers.
CString WholeReadConnectString(LPCWSTR pszConnect, LPCWSTR pszCompleted, LPCWSTR pszDriverName);

// The rows psqlODBC fetches a round trip through its own cursors unless the string sets Fetch
// (its default).
constexpr int kStreamingFetchRows = 100;

// The driver file name is SQLite's ODBC driver.
bool IsSQLiteDriverName(LPCWSTR pszDriverName);

// The item named pszKey as SQLite's ODBC driver reads the string, which is not as ODBC reads it:
// the items are split at every ';' (braces quote nothing), the first item whose name matches the
// key (case-insensitive, but blanks count: " Database" or "Database " is another name) is the
// one, and its value is the text after the '=' as it stands, blanks and braces included.
bool FindSQLiteDriverItem(LPCWSTR pszConnect, LPCWSTR pszKey, CString* pValue = nullptr);

// What SQLite's driver would open for a string, read as the driver reads it.
enum class SQLiteDatabaseItem
{
    Usable,   // a Database value that can be a file name, or a data source without one
    Missing,  // no data source and no Database value: the whole string becomes the file name
    Unusable, // a Database value that is blank, padded with blanks or in braces: the driver
              // would make a file of that very name
};
// pValue receives the Database value the driver would take.
SQLiteDatabaseItem ReadSQLiteDatabaseItem(LPCWSTR pszConnect, CString* pValue = nullptr);

// Whether the driver, given the string, would open a database file named after the whole string
// (and so create it): SQLite's driver does when the string names no data source and gives no
// database as it reads the string. pszDriverFile: the driver's library, by file name or path.
bool DriverTakesStringAsFileName(LPCWSTR pszConnect, LPCWSTR pszDriverFile);

// Whether the library (file name or path) is SQLite's ODBC driver.
bool IsSQLiteDriverFile(LPCWSTR pszDriverFile);

// Whether a connection made with the user's string by that driver steps through forward-only
// results already: SQLite's StepAPI given and not 0.
bool UserStringStreams(LPCWSTR pszConnect, LPCWSTR pszDriverName);
