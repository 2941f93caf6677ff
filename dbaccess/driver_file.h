// Which driver a connection string reaches, known before the string is handed to the driver
// manager: the driver options this program needs go in the string the connection first opens
// with, since a session opened again to add them is a second session on the server.
#pragma once

#include "framework/core.h"

// The library of the driver the string names: its Driver item (an installed driver's name, a
// library name or a path), else the driver of its DSN item among the driver manager's data
// sources. Empty when neither tells (a file data source, a name no driver or source has).
CString FindDriverFile(LPCWSTR pszConnect);

// The string with the options this program connects with, for the driver library given:
// psqlODBC without its own cursors (UseDeclareFetch=0, which would run them in transactions of
// its own around the user's statements) and leaving a failed statement's transaction to the
// server (see error_rollback.h); SQLite's driver stepping through results (StepAPI=1) unless the
// string chooses, or bStepping is false. Other drivers get the string as it is.
CString ConnectStringWithOptions(LPCWSTR pszConnect, LPCWSTR pszDriverFile, bool bStepping);

// The completed string of a connection opened with ConnectStringWithOptions, as the user's own
// string gave it: each option item the program chose is taken back to the user's value, or left
// out where the user's string had none (the recent list and a reconnect keep the user's choice).
CString UsersCompletedString(LPCWSTR pszCompleted, LPCWSTR pszConnect, LPCWSTR pszOpened);
