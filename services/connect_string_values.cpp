// Single values of an ODBC connection string, for window titles and recent-connection labels.
//
// A connection string is a list of "name=value" items separated by ';'. A value may be put in
// braces to hold ';', '=' or blanks; inside braces "}}" stands for one '}'. Only item names are
// compared with the key, so "FILEDSN=x" is no "DSN" and a password containing "uid=" is never
// taken for the user.
#include "services/database_helper.h"

namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

} // namespace

CString CRDatabaseHelper::GetConnectStringValue(LPCWSTR pszConnect, LPCWSTR pszKey)
{
    if (pszConnect == nullptr || pszKey == nullptr)
        return CString();
    CString key(pszKey);
    key.Trim();
    if (key.IsEmpty())
        return CString();
    const wchar_t* p = pszConnect;
    while (*p != 0)
    {
        while (*p == L';' || IsBlank(*p))
            ++p;
        if (*p == 0)
            break;
        const wchar_t* nameStart = p;
        while (*p != 0 && *p != L'=' && *p != L';')
            ++p;
        if (*p != L'=')
            continue; // an item without a value
        CString name(nameStart, (int)(p - nameStart));
        name.Trim();
        ++p; // '='
        while (IsBlank(*p))
            ++p;
        CString value;
        if (*p == L'{')
        {
            ++p;
            while (*p != 0)
            {
                if (*p == L'}')
                {
                    if (p[1] != L'}')
                    {
                        ++p;
                        break;
                    }
                    ++p; // "}}" is one '}'
                }
                value += *p;
                ++p;
            }
            // Anything between the closing brace and the next ';' is not part of the value.
            while (*p != 0 && *p != L';')
                ++p;
        }
        else
        {
            const wchar_t* valueStart = p;
            while (*p != 0 && *p != L';')
                ++p;
            value = CString(valueStart, (int)(p - valueStart));
            value.Trim();
        }
        if (name.CompareNoCase(key) == 0)
            return value;
    }
    return CString();
}

CString CRDatabaseHelper::GetConnectStringDatabase(LPCWSTR pszConnect)
{
    CString value = GetConnectStringValue(pszConnect, L"DBQ");
    if (value.IsEmpty())
        value = GetConnectStringValue(pszConnect, L"DBName");
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
