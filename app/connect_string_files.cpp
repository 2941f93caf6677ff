// Files named after a whole connection string, and their removal after a connect that made them.
#include "app/connect_string_files.h"

#include "dbaccess/connect_items.h"
#include "dbaccess/database.h"
#include "util/utility.h"

#include <algorithm>

namespace {

CString CurrentFolder()
{
    WCHAR szFolder[MAX_PATH + 1] = {};
    const DWORD nLength = ::GetCurrentDirectoryW(MAX_PATH + 1, szFolder);
    return nLength > 0 && nLength <= MAX_PATH ? CString(szFolder) : CString();
}

// Under Wine the drivers are Linux libraries: they resolve a relative name in the Unix working
// folder of the process, which stays where the program started whatever the program makes its
// own current folder later (the settings restore one at start-up). Taken at static
// initialisation, before the settings are loaded.
const CString g_strStartFolder = CurrentFolder();

bool IsEmptyFile(LPCWSTR pszPath)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return ::GetFileAttributesExW(pszPath, GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.nFileSizeHigh == 0 &&
           data.nFileSizeLow == 0;
}

// Whether a Driver value names a library rather than an installed driver: the driver manager
// loads a path, or a bare library name ("libsqlite3odbc.so") from the library search path.
bool IsLibraryName(const CString& strDriver)
{
    if (strDriver.FindOneOf(L"/\\") >= 0)
        return true;
    CString name = strDriver;
    name.MakeLower();
    return name.Right(3) == L".so" || name.Find(L".so.") > 0 || name.Right(4) == L".dll";
}

// The library of the driver the string's Driver item names; empty when the string names none
// or no installed driver has that name.
CString FindDriverFile(LPCWSTR pszConnect)
{
    CString strDriver;
    if (!FindConnectItem(pszConnect, L"Driver", &strDriver) || strDriver.IsEmpty())
        return CString();
    if (strDriver.FindOneOf(L"/\\") >= 0)
        return strDriver;
    std::vector<CRDatabase::CDriverInfo> drivers;
    try
    {
        if (!CRDatabase::GetDrivers(drivers))
            return CString();
    }
    catch (CException* e)
    {
        // Without the list the driver is not known here; the connect reports what fails.
        e->Delete();
        return CString();
    }
    for (const CRDatabase::CDriverInfo& driver : drivers)
    {
        if (driver.m_strDescription.CompareNoCase(strDriver) != 0)
            continue;
        for (const auto& attribute : driver.m_attributes)
            if (attribute.first.CompareNoCase(L"Driver") == 0)
                return attribute.second;
    }
    // An installed driver's name goes first: one may be called like a library.
    return IsLibraryName(strDriver) ? strDriver : CString();
}

} // namespace

ConnectStringCheck CheckConnectString(LPCWSTR pszConnect, CString* pDatabase)
{
    const CString strFile = FindDriverFile(pszConnect);
    if (strFile.IsEmpty() || !IsSQLiteDriverFile(strFile))
        return ConnectStringCheck::Ok;
    switch (ReadSQLiteDatabaseItem(pszConnect, pDatabase))
    {
    case SQLiteDatabaseItem::Missing: return ConnectStringCheck::NamesFileAfterString;
    case SQLiteDatabaseItem::Unusable: return ConnectStringCheck::UnusableDatabase;
    case SQLiteDatabaseItem::Usable: break;
    }
    return ConnectStringCheck::Ok;
}

CConnectStringFiles::CConnectStringFiles(LPCWSTR pszConnect)
{
    // The connection hands SQLite's driver the string with its stepping option as well, on a
    // second connect (CRDatabase::OpenStreamingConnection): a file may be named after either.
    const CString strConnect = pszConnect != nullptr ? pszConnect : L"";
    m_strings.push_back(strConnect);
    const CString strStepping = StreamingConnectString(strConnect, L"libsqlite3odbc.so");
    if (!strStepping.IsEmpty() && strStepping != strConnect)
        m_strings.push_back(strStepping);

    for (const CString& strPath : Candidates())
        if (::GetFileAttributesW(strPath) != INVALID_FILE_ATTRIBUTES)
            m_existing.push_back(strPath);
}

void CConnectStringFiles::RemoveNewEmptyFiles() const
{
    for (const CString& strPath : Candidates())
        if (std::find(m_existing.begin(), m_existing.end(), strPath) == m_existing.end() &&
            IsEmptyFile(strPath))
            ::DeleteFileW(strPath);
}

std::vector<CString> CConnectStringFiles::Candidates() const
{
    std::vector<CString> files;
    for (const CString& strConnect : m_strings)
    {
        if (strConnect.IsEmpty() || strConnect.FindOneOf(L"\\/:*?\"<>|") >= 0)
            continue;
        for (const CString& strFolder : {g_strStartFolder, CurrentFolder()})
        {
            if (strFolder.IsEmpty())
                continue;
            const CString strPath = AppendBackslash(strFolder) + strConnect;
            if (std::find(files.begin(), files.end(), strPath) == files.end())
                files.push_back(strPath);
        }
    }
    return files;
}
