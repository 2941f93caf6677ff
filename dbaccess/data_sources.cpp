// The driver manager's lists of data sources and installed drivers.
#include "dbaccess/database.h"
#include "dbaccess/list_environment.h"

#include <algorithm>

CRDatabase::CDriverInfo::CDriverInfo(LPCWSTR pszDescription, LPCWSTR pszAttributes, int nMaxChars)
    : m_strDescription(pszDescription)
{
    if (!pszAttributes)
        return;
    const wchar_t* p = pszAttributes;
    const wchar_t* pEnd = nMaxChars >= 0 ? pszAttributes + nMaxChars : nullptr;
    while ((!pEnd || p < pEnd) && *p)
    {
        // One entry: up to its terminator or the end of a cut list.
        const wchar_t* pEntry = p;
        while ((!pEnd || p < pEnd) && *p)
            ++p;
        CString strEntry(pEntry, static_cast<int>(p - pEntry));
        int nEquals = strEntry.Find(L'=');
        if (nEquals >= 0)
            m_attributes.emplace_back(strEntry.Left(nEquals), strEntry.Mid(nEquals + 1));
        if (pEnd && p >= pEnd)
            break;
        ++p; // past the terminator
    }
}

bool CRDatabase::GetDataSources(UINT nFilter, std::vector<CDSNInfo>& list)
{
    CRListEnvironment env;
    if (!env.IsValid())
        return false;
    SQLUSMALLINT nDirection = nFilter == 0   ? SQL_FETCH_FIRST_USER
                              : nFilter == 1 ? SQL_FETCH_FIRST_SYSTEM
                                             : SQL_FETCH_FIRST;
    for (;;)
    {
        SQLWCHAR szName[1025];
        SQLWCHAR szDescription[1025];
        ZeroMemory(szName, sizeof szName);
        ZeroMemory(szDescription, sizeof szDescription);
        SQLSMALLINT nNameLength = 0, nDescriptionLength = 0;
        SQLRETURN nRet = SQLDataSourcesW(env.Get(), nDirection, szName, 1024, &nNameLength,
                                         szDescription, 1024, &nDescriptionLength);
        if (nRet == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(nRet))
            env.ThrowFailure(nRet);
        CDSNInfo info;
        info.m_strName = reinterpret_cast<LPCWSTR>(szName);
        info.m_nKind = nFilter;
        info.m_strDescription = reinterpret_cast<LPCWSTR>(szDescription);
        list.push_back(info);
        nDirection = SQL_FETCH_NEXT;
    }
    return true;
}

bool CRDatabase::GetDrivers(std::vector<CDriverInfo>& list)
{
    const int kAttributeChars = 10240;
    CRListEnvironment env;
    if (!env.IsValid())
        return false;
    std::vector<SQLWCHAR> attributes(kAttributeChars + 2);
    SQLUSMALLINT nDirection = SQL_FETCH_FIRST;
    for (;;)
    {
        SQLWCHAR szDescription[1025];
        ZeroMemory(szDescription, sizeof szDescription);
        std::fill(attributes.begin(), attributes.end(), 0);
        SQLSMALLINT nDescriptionLength = 0, nAttributeLength = 0;
        SQLRETURN nRet =
            SQLDriversW(env.Get(), nDirection, szDescription, 1024, &nDescriptionLength,
                        attributes.data(), kAttributeChars, &nAttributeLength);
        if (nRet == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(nRet))
            env.ThrowFailure(nRet);
        // A list cut by the buffer is read only as far as the buffer holds it.
        list.emplace_back(reinterpret_cast<LPCWSTR>(szDescription),
                          reinterpret_cast<LPCWSTR>(attributes.data()), kAttributeChars);
        nDirection = SQL_FETCH_NEXT;
    }
    return true;
}
