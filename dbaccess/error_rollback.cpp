#include "dbaccess/error_rollback.h"

#include "dbaccess/connect_items.h"

CString ServerErrorRollbackString(LPCWSTR pszConnect, LPCWSTR pszDriverName)
{
    CString strDriver = pszDriverName ? pszDriverName : L"";
    strDriver.MakeLower();
    if (strDriver.Find(L"psqlodbc") < 0)
        return CString();
    CString strValue, strShort;
    const bool bShort = FindConnectItem(pszConnect, L"A1", &strShort);
    if (FindConnectItem(pszConnect, L"Protocol", &strValue) &&
        strValue.Trim() == kServerErrorRollback &&
        (!bShort || strShort.Trim() == kServerErrorRollback))
        return CString();
    CString strResult = SetConnectItem(pszConnect, L"Protocol", kServerErrorRollback);
    // The short form of the same item says the same, whichever the driver reads last.
    if (bShort)
        strResult = SetConnectItem(strResult, L"A1", kServerErrorRollback);
    return strResult;
}
