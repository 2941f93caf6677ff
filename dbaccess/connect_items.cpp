#include "dbaccess/connect_items.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
}

// One item of a connection string: where it starts and ends (after its ';' when there is one),
// its name and its value.
struct CItem
{
    const wchar_t* pBegin = nullptr;
    const wchar_t* pEnd = nullptr;
    CString strName;
    CString strValue;
};

// Reads the item at p (leading ';' and blanks skipped); false at the end of the string. The
// item's text begins after its ';', with the blanks before its name: some drivers (SQLite's)
// take " Database" for another name than "Database", so a string rewritten from the items must
// keep them.
bool NextItem(const wchar_t*& p, CItem& item)
{
    const wchar_t* begin = p;
    while (*p == L';' || IsBlank(*p))
    {
        if (*p == L';')
            begin = p + 1;
        ++p;
    }
    if (*p == 0)
        return false;
    item = CItem();
    item.pBegin = begin;
    const wchar_t* nameStart = p;
    while (*p != 0 && *p != L'=' && *p != L';')
        ++p;
    item.strName = CString(nameStart, static_cast<int>(p - nameStart));
    item.strName.Trim();
    if (*p == L'=')
    {
        ++p;
        while (IsBlank(*p))
            ++p;
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
                item.strValue += *p;
                ++p;
            }
            while (*p != 0 && *p != L';')
                ++p;
        }
        else
        {
            const wchar_t* valueStart = p;
            while (*p != 0 && *p != L';')
                ++p;
            item.strValue = CString(valueStart, static_cast<int>(p - valueStart));
            item.strValue.Trim();
        }
    }
    if (*p == L';')
        ++p;
    item.pEnd = p;
    return true;
}

} // namespace

bool FindConnectItem(LPCWSTR pszConnect, LPCWSTR pszKey, CString* pValue)
{
    if (pszConnect == nullptr || pszKey == nullptr)
        return false;
    const wchar_t* p = pszConnect;
    CItem item;
    while (NextItem(p, item))
    {
        if (item.strName.CompareNoCase(pszKey) == 0)
        {
            if (pValue != nullptr)
                *pValue = item.strValue;
            return true;
        }
    }
    return false;
}

CString WithoutConnectItem(LPCWSTR pszConnect, LPCWSTR pszKey)
{
    CString result;
    const wchar_t* p = pszConnect != nullptr ? pszConnect : L"";
    CItem item;
    while (NextItem(p, item))
    {
        if (item.strName.CompareNoCase(pszKey) == 0)
            continue;
        result.Append(item.pBegin, static_cast<int>(item.pEnd - item.pBegin));
        if (result.GetLength() > 0 && result[result.GetLength() - 1] != L';')
            result += L';';
    }
    return result;
}

CString SetConnectItem(LPCWSTR pszConnect, LPCWSTR pszKey, LPCWSTR pszValue)
{
    CString result = WithoutConnectItem(pszConnect, pszKey);
    result += pszKey;
    result += L'=';
    result += pszValue;
    result += L';';
    return result;
}

namespace {

bool IsDriver(LPCWSTR pszDriverName, LPCWSTR pszStem)
{
    CString name(pszDriverName != nullptr ? pszDriverName : L"");
    name.MakeLower();
    return name.Find(pszStem) == 0;
}

bool HasNonEmptyItem(LPCWSTR pszConnect, LPCWSTR pszKey, CString* pValue = nullptr)
{
    CString value;
    const bool found = FindConnectItem(pszConnect, pszKey, &value) && !value.IsEmpty();
    if (pValue != nullptr)
        *pValue = value;
    return found;
}

} // namespace

bool IsSQLiteDriverName(LPCWSTR pszDriverName)
{
    return IsDriver(pszDriverName, L"libsqlite") || IsDriver(pszDriverName, L"sqlite");
}

bool IsSQLiteDriverFile(LPCWSTR pszDriverFile)
{
    CString file(pszDriverFile != nullptr ? pszDriverFile : L"");
    file = file.Mid(std::max(file.ReverseFind(L'/'), file.ReverseFind(L'\\')) + 1);
    return IsSQLiteDriverName(file);
}

bool FindSQLiteDriverItem(LPCWSTR pszConnect, LPCWSTR pszKey, CString* pValue)
{
    if (pszConnect == nullptr || pszKey == nullptr)
        return false;
    const size_t nKey = wcslen(pszKey);
    for (const wchar_t* p = pszConnect; *p != 0;)
    {
        const wchar_t* end = wcschr(p, L';');
        if (end == nullptr)
            end = p + wcslen(p);
        if (static_cast<size_t>(end - p) > nKey && p[nKey] == L'=' &&
            _wcsnicmp(p, pszKey, nKey) == 0)
        {
            if (pValue != nullptr)
                *pValue = CString(p + nKey + 1, static_cast<int>(end - (p + nKey + 1)));
            return true;
        }
        p = *end == L';' ? end + 1 : end;
    }
    return false;
}

SQLiteDatabaseItem ReadSQLiteDatabaseItem(LPCWSTR pszConnect, CString* pValue)
{
    CString value;
    FindSQLiteDriverItem(pszConnect, L"Database", &value);
    if (pValue != nullptr)
        *pValue = value;
    CString trimmed = value;
    trimmed.Trim(L" \t\r\n");
    if (!value.IsEmpty())
        return trimmed != value || value[0] == L'{' ? SQLiteDatabaseItem::Unusable
                                                    : SQLiteDatabaseItem::Usable;
    // Without a Database value the driver reads the data source's, if the string names one.
    CString dsn;
    return FindSQLiteDriverItem(pszConnect, L"DSN", &dsn) && !dsn.IsEmpty()
               ? SQLiteDatabaseItem::Usable
               : SQLiteDatabaseItem::Missing;
}

bool DriverTakesStringAsFileName(LPCWSTR pszConnect, LPCWSTR pszDriverFile)
{
    return IsSQLiteDriverFile(pszDriverFile) &&
           ReadSQLiteDatabaseItem(pszConnect) == SQLiteDatabaseItem::Missing;
}

CString StreamingConnectString(LPCWSTR pszConnect, LPCWSTR pszDriverName)
{
    if (!IsSQLiteDriverName(pszDriverName) || HasNonEmptyItem(pszConnect, L"StepAPI"))
        return CString();
    return SetConnectItem(pszConnect, L"StepAPI", L"1");
}

namespace {

// The declare/fetch value a string gives, in either form of the name.
bool FindDeclareFetch(LPCWSTR pszConnect, CString& value)
{
    return HasNonEmptyItem(pszConnect, L"UseDeclareFetch", &value) ||
           HasNonEmptyItem(pszConnect, L"B6", &value);
}

bool TurnsDeclareFetchOn(LPCWSTR pszConnect)
{
    CString value;
    return pszConnect != nullptr && FindDeclareFetch(pszConnect, value) && value != L"0";
}

// The string with the declare/fetch value set, in the short form too where the string has it.
CString SetDeclareFetch(LPCWSTR pszConnect, LPCWSTR pszValue)
{
    CString result = SetConnectItem(pszConnect, L"UseDeclareFetch", pszValue);
    if (FindConnectItem(result, L"B6"))
        result = SetConnectItem(result, L"B6", pszValue);
    return result;
}

} // namespace

CString WholeReadConnectString(LPCWSTR pszConnect, LPCWSTR pszCompleted, LPCWSTR pszDriverName)
{
    if (!IsDriver(pszDriverName, L"psqlodbc") ||
        (!TurnsDeclareFetchOn(pszConnect) && !TurnsDeclareFetchOn(pszCompleted)))
        return CString();
    return SetDeclareFetch(pszConnect, L"0");
}

bool UserStringStreams(LPCWSTR pszConnect, LPCWSTR pszDriverName)
{
    CString value;
    return IsSQLiteDriverName(pszDriverName) && HasNonEmptyItem(pszConnect, L"StepAPI", &value) &&
           value != L"0";
}
