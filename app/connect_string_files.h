// Files named after a whole connection string. A driver that cannot ask for the settings a
// string lacks may take the string itself for a database file name (SQLite's driver, given
// "Driver=SQLite3;", creates an empty file "Driver=SQLite3;"); these are the files such a connect
// leaves behind.
#pragma once

#include "framework/core.h"

#include <vector>

// Whether the driver that the string names would take the string itself for its database file
// name. Known before the string is handed to the driver, so that no such file is made: the
// driver is found by the string's Driver item among the installed drivers (or as a library
// path).
bool WouldNameFileAfterString(LPCWSTR pszConnect);

class CConnectStringFiles
{
public:
    // Notes which of the files exist before the connect.
    explicit CConnectStringFiles(LPCWSTR pszConnect);

    // Removes the files that the connect created and left empty; what was there before stays.
    void RemoveNewEmptyFiles() const;

private:
    // The string as a file name in the folder where the driver resolves relative names and in
    // the current folder; none when the string cannot be a file name there.
    std::vector<CString> Candidates() const;

    CString m_strConnect;
    std::vector<CString> m_existing;
};
