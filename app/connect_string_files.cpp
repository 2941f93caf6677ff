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
    return CString();
}

} // namespace

bool WouldNameFileAfterString(LPCWSTR pszConnect)
{
    const CString strFile = FindDriverFile(pszConnect);
    return !strFile.IsEmpty() && DriverTakesStringAsFileName(pszConnect, strFile);
}

CConnectStringFiles::CConnectStringFiles(LPCWSTR pszConnect)
    : m_strConnect(pszConnect != nullptr ? pszConnect : L"")
{
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
    if (m_strConnect.IsEmpty() || m_strConnect.FindOneOf(L"\\/:*?\"<>|") >= 0)
        return files;
    for (const CString& strFolder : {g_strStartFolder, CurrentFolder()})
    {
        if (strFolder.IsEmpty())
            continue;
        const CString strPath = AppendBackslash(strFolder) + m_strConnect;
        if (std::find(files.begin(), files.end(), strPath) == files.end())
            files.push_back(strPath);
    }
    return files;
}
