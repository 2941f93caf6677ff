// Texts made from ODBC connection strings: quoted values for the strings the program builds, the
// labels of the recent-connections menu and the main window's title after a connect.
#pragma once

#include "framework/core.h"

// A value as it can stand in a connection string: in braces (every '}' doubled) when it holds
// ';', '{', '}' or '=' or begins or ends with white space; otherwise unchanged. So a password
// "a;b}c" logs in and a name "x;Database=y" cannot add an item.
CString QuoteConnectValue(LPCWSTR pszValue);
// "KEY=value;" with the value quoted as above.
CString MakeConnectItem(LPCWSTR pszKey, LPCWSTR pszValue);
// The string without its items whose name is pszKey (case ignored); braced values are skipped
// as a whole, so a ';' inside braces does not end an item.
CString RemoveConnectItem(LPCWSTR pszConnect, LPCWSTR pszKey);

// The label of a recent connection: "DSN@UID", "DSN (database path)", "Server@UID", the
// database path, or else the first 50 characters of the string (without its password) and "...".
CString MakeRecentConnectionLabel(LPCWSTR pszConnect);

// The title text after a connect: the file's name with extension when a file was opened; else
// the data source name the driver reports, else the server (of the given string, else of the
// completed one), either followed by "@" and the user when there is one; else the name of the
// database file.
CString MakeConnectionTitle(LPCWSTR pszGiven, LPCWSTR pszCompleted, LPCWSTR pszFile,
                            LPCWSTR pszDataSourceName);

// The string to remember for connecting again: the completed one, unless it names neither a
// data source nor a driver and so cannot be placed by the driver manager (SQLite's driver
// completes "Driver=SQLite3;Database=x;" to "DSN=;Database=x;..."); then the given one.
CString MakeReconnectString(LPCWSTR pszGiven, LPCWSTR pszCompleted);

// True when the driver read the given string as the value of one of its settings: a driver that
// cannot ask for what is missing may, like SQLite's, open a database file named after the whole
// string ("Driver=SQLite3;" completes to "...;Database=Driver=SQLite3;;...").
bool IsConnectStringTakenAsValue(LPCWSTR pszGiven, LPCWSTR pszCompleted);
