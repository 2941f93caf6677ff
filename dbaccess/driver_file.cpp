#include "dbaccess/driver_file.h"

#include "dbaccess/connect_items.h"
#include "dbaccess/database.h"
#include "dbaccess/error_rollback.h"

#include <algorithm>
#include <vector>

namespace {

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

// The library of an installed driver by its name; empty when none has that name.
CString InstalledDriverFile(const CString& strName)
{
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
        if (driver.m_strDescription.CompareNoCase(strName) != 0)
            continue;
        for (const auto& attribute : driver.m_attributes)
            if (attribute.first.CompareNoCase(L"Driver") == 0)
                return attribute.second;
    }
    return CString();
}

// The driver name a data source uses; empty when there is no such source.
CString DataSourceDriver(const CString& strDSN)
{
    std::vector<CDSNInfo> sources;
    try
    {
        if (!CRDatabase::GetDataSources(2, sources))
            return CString();
    }
    catch (CException* e)
    {
        e->Delete();
        return CString();
    }
    for (const CDSNInfo& source : sources)
        if (source.m_strName.CompareNoCase(strDSN) == 0)
            return source.m_strDescription;
    return CString();
}

CString FileName(const CString& strPath)
{
    return strPath.Mid(std::max(strPath.ReverseFind(L'/'), strPath.ReverseFind(L'\\')) + 1);
}

} // namespace

CString FindDriverFile(LPCWSTR pszConnect)
{
    CString strDriver;
    if (FindConnectItem(pszConnect, L"Driver", &strDriver) && !strDriver.IsEmpty())
    {
        if (strDriver.FindOneOf(L"/\\") >= 0)
            return strDriver;
        const CString strFile = InstalledDriverFile(strDriver);
        if (!strFile.IsEmpty())
            return strFile;
        // An installed driver's name goes first: one may be called like a library.
        return IsLibraryName(strDriver) ? strDriver : CString();
    }
    CString strDSN;
    if (!FindConnectItem(pszConnect, L"DSN", &strDSN) || strDSN.IsEmpty())
        return CString();
    const CString strName = DataSourceDriver(strDSN);
    return strName.IsEmpty() ? CString() : InstalledDriverFile(strName);
}

CString ConnectStringWithOptions(LPCWSTR pszConnect, LPCWSTR pszDriverFile, bool bStepping)
{
    CString strConnect = pszConnect != nullptr ? pszConnect : L"";
    const CString strFile = FileName(pszDriverFile != nullptr ? pszDriverFile : L"");
    if (strFile.IsEmpty())
        return strConnect;
    CString strLower = strFile;
    strLower.MakeLower();
    if (strLower.Find(L"psqlodbc") == 0)
    {
        CString strValue;
        if (!FindConnectItem(strConnect, L"UseDeclareFetch", &strValue) ||
            strValue.Trim() != L"0" ||
            (FindConnectItem(strConnect, L"B6", &strValue) && strValue.Trim() != L"0"))
        {
            strConnect = SetConnectItem(strConnect, L"UseDeclareFetch", L"0");
            if (FindConnectItem(strConnect, L"B6"))
                strConnect = SetConnectItem(strConnect, L"B6", L"0");
        }
        const CString strRollback = ServerErrorRollbackString(strConnect, strFile);
        return strRollback.IsEmpty() ? strConnect : strRollback;
    }
    if (bStepping && IsSQLiteDriverName(strFile))
    {
        const CString strStepping = StreamingConnectString(strConnect, strFile);
        if (!strStepping.IsEmpty())
            return strStepping;
    }
    return strConnect;
}

CString UsersCompletedString(LPCWSTR pszCompleted, LPCWSTR pszConnect, LPCWSTR pszOpened)
{
    CString strResult = pszCompleted != nullptr ? pszCompleted : L"";
    for (LPCWSTR pszKey : {L"UseDeclareFetch", L"B6", L"Protocol", L"A1", L"StepAPI"})
    {
        CString strUser, strOpened;
        const bool bUser = FindConnectItem(pszConnect, pszKey, &strUser);
        const bool bOpened = FindConnectItem(pszOpened, pszKey, &strOpened);
        if (bUser == bOpened && strUser == strOpened)
            continue;
        if (!FindConnectItem(strResult, pszKey))
            continue;
        strResult = bUser ? SetConnectItem(strResult, pszKey, strUser)
                          : WithoutConnectItem(strResult, pszKey);
    }
    return strResult;
}
