// Quoting, item removal, recent-connection labels and connection titles.
#include "app/connection_text.h"

#include "app/main_frame.h"
#include "controls/utility.h"
#include "services/database_helper.h"

#include <cwctype>

CString QuoteConnectValue(LPCWSTR pszValue)
{
    CString str = pszValue != nullptr ? pszValue : L"";
    if (str.IsEmpty())
        return str;
    bool bQuote = std::iswspace(str[0]) || std::iswspace(str[str.GetLength() - 1]);
    for (int i = 0; i < str.GetLength() && !bQuote; ++i)
        bQuote = wcschr(L";{}=", str[i]) != nullptr;
    if (!bQuote)
        return str;
    CString strQuoted = L"{";
    for (int i = 0; i < str.GetLength(); ++i)
    {
        strQuoted += str[i];
        if (str[i] == L'}')
            strQuoted += L'}';
    }
    strQuoted += L"}";
    return strQuoted;
}

CString MakeConnectItem(LPCWSTR pszKey, LPCWSTR pszValue)
{
    return CString(pszKey) + L"=" + QuoteConnectValue(pszValue) + L";";
}

CString RemoveConnectItem(LPCWSTR pszConnect, LPCWSTR pszKey)
{
    CString strResult;
    LPCWSTR p = pszConnect != nullptr ? pszConnect : L"";
    while (*p != 0)
    {
        LPCWSTR pStart = p;
        LPCWSTR pEquals = nullptr;
        while (*p != 0 && *p != L';')
        {
            if (*p == L'=' && pEquals == nullptr)
            {
                pEquals = p;
                LPCWSTR q = p + 1;
                while (*q == L' ' || *q == L'\t')
                    ++q;
                if (*q == L'{')
                {
                    // A braced value runs to the '}' that is not doubled.
                    p = q + 1;
                    while (*p != 0 && !(*p == L'}' && p[1] != L'}'))
                        p += (*p == L'}') ? 2 : 1;
                    if (*p == L'}')
                        ++p;
                    continue;
                }
            }
            ++p;
        }
        CString strItem(pStart, (int)(p - pStart));
        const bool bSemicolon = *p == L';';
        if (bSemicolon)
            ++p;
        CString strName = pEquals != nullptr ? CString(pStart, (int)(pEquals - pStart)) : strItem;
        strName.Trim();
        if (strName.CompareNoCase(pszKey) == 0)
            continue;
        strResult += strItem;
        if (bSemicolon)
            strResult += L";";
    }
    return strResult;
}

CString MakeRecentConnectionLabel(LPCWSTR pszConnect)
{
    const CString strDSN = CRDatabaseHelper::GetConnectStringDSN(pszConnect);
    const CString strUser = CRDatabaseHelper::GetConnectStringUser(pszConnect);
    const CString strDatabase = CRDatabaseHelper::GetConnectStringDatabase(pszConnect);
    CString strLabel;
    if (!strDSN.IsEmpty())
    {
        strLabel = strDSN;
        if (!strUser.IsEmpty())
            strLabel += L"@" + strUser;
        else if (!strDatabase.IsEmpty())
            strLabel += L" (" + CMainFrame::CompactPath(strDatabase) + L")";
    }
    else
    {
        const CString strServer = CRDatabaseHelper::GetConnectStringServer(pszConnect);
        if (!strServer.IsEmpty())
        {
            strLabel = strServer;
            if (!strUser.IsEmpty())
                strLabel += L"@" + strUser;
        }
        else
            strLabel = CMainFrame::CompactPath(strDatabase);
    }
    if (strLabel.IsEmpty())
    {
        // The password never shows in a menu.
        CString strText = RemoveConnectItem(pszConnect, L"PWD");
        strLabel = strText.Left(50);
        if (strText.GetLength() > 50)
            strLabel += L"...";
    }
    return strLabel;
}

CString MakeConnectionTitle(LPCWSTR pszGiven, LPCWSTR pszCompleted, LPCWSTR pszFile,
                            LPCWSTR pszDataSourceName)
{
    if (pszFile != nullptr && *pszFile != 0)
        return GetFileNamePart(pszFile, true);

    auto either = [&](CString (*get)(LPCWSTR)) {
        CString str = get(pszGiven);
        return str.IsEmpty() ? get(pszCompleted) : str;
    };
    CString strTitle = pszDataSourceName != nullptr ? pszDataSourceName : L"";
    if (strTitle.IsEmpty())
        strTitle = either(&CRDatabaseHelper::GetConnectStringServer);
    if (strTitle.IsEmpty())
        return GetFileNamePart(either(&CRDatabaseHelper::GetConnectStringDatabase), true);
    const CString strUser = either(&CRDatabaseHelper::GetConnectStringUser);
    if (!strUser.IsEmpty())
        strTitle += L"@" + strUser;
    return strTitle;
}

CString MakeReconnectString(LPCWSTR pszGiven, LPCWSTR pszCompleted)
{
    CString strCompleted = pszCompleted != nullptr ? pszCompleted : L"";
    strCompleted.TrimLeft();
    if (!CRDatabaseHelper::GetConnectStringDSN(strCompleted).IsEmpty() ||
        !CRDatabaseHelper::GetConnectStringValue(strCompleted, L"Driver").IsEmpty() ||
        !CRDatabaseHelper::GetConnectStringValue(strCompleted, L"FileDSN").IsEmpty())
        return strCompleted;
    CString strGiven = pszGiven != nullptr ? pszGiven : L"";
    strGiven.TrimLeft();
    return strGiven;
}

bool IsConnectStringTakenAsValue(LPCWSTR pszGiven, LPCWSTR pszCompleted)
{
    // The given string's first item, as it would follow the '=' of the item that took it.
    CString strFirst = pszGiven != nullptr ? pszGiven : L"";
    strFirst.TrimLeft();
    const int nEnd = strFirst.Find(L';');
    if (nEnd >= 0)
        strFirst = strFirst.Left(nEnd);
    strFirst.TrimRight();
    if (strFirst.Find(L'=') <= 0)
        return false;
    CString strCompleted = pszCompleted != nullptr ? pszCompleted : L"";
    strCompleted.MakeUpper();
    strFirst.MakeUpper();
    return strCompleted.Find(L"=" + strFirst) >= 0;
}
