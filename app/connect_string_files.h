// Files named after a whole connection string. A driver that cannot ask for the settings a
// string lacks may take the string itself for a database file name (SQLite's driver, given
// "Driver=SQLite3;", creates an empty file "Driver=SQLite3;"); these are the files such a connect
// leaves behind.
#pragma once

#include "framework/core.h"

#include <vector>

enum class ConnectStringCheck
{
    Ok,
    // The driver would take the string itself for its database file name.
    NamesFileAfterString,
    // The driver would make a database file of a Database value the user cannot have meant
    // (blank, padded with blanks, in braces); pDatabase receives it.
    UnusableDatabase,
};
// What the driver that the string names would open for it, known before the string is handed
// to the driver, so that no junk file is made: the driver is found by the string's Driver item
// among the installed drivers, or as a library name or path.
ConnectStringCheck CheckConnectString(LPCWSTR pszConnect, CString* pDatabase = nullptr);

class CConnectStringFiles
{
public:
    // Notes which of the files exist before the connect.
    explicit CConnectStringFiles(LPCWSTR pszConnect);

    // Removes the files that the connect created and left empty; what was there before stays.
    void RemoveNewEmptyFiles() const;

private:
    // The strings handed to the driver as file names in the folder where the driver resolves
    // relative names and in the current folder; none for a string that cannot be a file name.
    std::vector<CString> Candidates() const;

    std::vector<CString> m_strings;
    std::vector<CString> m_existing;
};
