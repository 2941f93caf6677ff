// Single values of an ODBC connection string, for window titles and recent-connection labels.
//
// A connection string is a list of "name=value" items separated by ';'. A value may be put in
// braces to hold ';', '=' or blanks; inside braces "}}" stands for one '}'. Only item names are
// compared with the key, so "FILEDSN=x" is no "DSN" and a password containing "uid=" is never
// taken for the user.
#include "services/database_helper.h"

#include "dbaccess/connect_items.h"

CString CRDatabaseHelper::GetConnectStringValue(LPCWSTR pszConnect, LPCWSTR pszKey)
{
    if (pszConnect == nullptr || pszKey == nullptr)
        return CString();
    CString key(pszKey);
    key.Trim();
    CString value;
    if (key.IsEmpty() || !FindConnectItem(pszConnect, key, &value))
        return CString();
    return value;
}

CString CRDatabaseHelper::GetConnectStringDatabase(LPCWSTR pszConnect)
{
    CString value = GetConnectStringValue(pszConnect, L"DBQ");
    if (value.IsEmpty())
        value = GetConnectStringValue(pszConnect, L"DBName");
    // SQLite, PostgreSQL and MariaDB name the database (a file for SQLite) "Database".
    if (value.IsEmpty())
        value = GetConnectStringValue(pszConnect, L"Database");
    return value;
}

CString CRDatabaseHelper::GetConnectStringUser(LPCWSTR pszConnect)
{
    return GetConnectStringValue(pszConnect, L"UID");
}

CString CRDatabaseHelper::GetConnectStringDSN(LPCWSTR pszConnect)
{
    return GetConnectStringValue(pszConnect, L"DSN");
}

CString CRDatabaseHelper::GetConnectStringServer(LPCWSTR pszConnect)
{
    return GetConnectStringValue(pszConnect, L"Server");
}
