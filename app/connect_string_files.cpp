// Files named after a whole connection string, and their removal after a connect that made them.
#include "app/connect_string_files.h"

#include "dbaccess/connect_items.h"
#include "dbaccess/database.h"
#include "dbaccess/driver_file.h"
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
    // The connection hands SQLite's driver the string with its stepping option added (see
    // ConnectStringWithOptions): a file may be named after either.
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
