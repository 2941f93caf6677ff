// CRecentFileList: the list, its profile section and its menu items.
#include "framework/recent_file_list.h"

#include "framework/menu.h"
#include "framework/win_app.h"

CRecentFileList::CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat,
                                 int nSize, int nMaxDispLen)
    : m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat), m_nStart(nStart),
      m_nSize(nSize > 0 ? nSize : 1), m_nMaxDisplayLength(nMaxDispLen)
{
    m_arrNames.resize((size_t)m_nSize);
}

CRecentFileList::~CRecentFileList() = default;

void CRecentFileList::Add(LPCTSTR lpszPathName)
{
    if (lpszPathName == nullptr || *lpszPathName == 0)
        return;
    wchar_t full[MAX_PATH * 4] = {};
    CString strPath = ::GetFullPathNameW(lpszPathName, MAX_PATH * 4, full, nullptr) > 0
                          ? CString(full)
                          : CString(lpszPathName);
    // Where it is now (or the last place), then everything above moves down one.
    int nFound = m_nSize - 1;
    for (int i = 0; i < m_nSize; ++i)
    {
        if (m_arrNames[i].CompareNoCase(strPath) == 0)
        {
            nFound = i;
            break;
        }
    }
    for (int i = nFound; i > 0; --i)
        m_arrNames[i] = m_arrNames[i - 1];
    m_arrNames[0] = strPath;
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_nSize)
        return;
    for (int i = nIndex; i < m_nSize - 1; ++i)
        m_arrNames[i] = m_arrNames[i + 1];
    m_arrNames[m_nSize - 1].Empty();
}

CString AfxAbbreviateName(LPCTSTR lpszCanon, int nMaxLength, BOOL bAtLeastName)
{
    CString strPath(lpszCanon);
    if (strPath.GetLength() <= nMaxLength)
        return strPath;
    int nName = strPath.ReverseFind(L'\\');
    CString strName = nName >= 0 ? strPath.Mid(nName + 1) : strPath;
    if (strName.GetLength() >= nMaxLength || nName < 0)
        return bAtLeastName ? strName : CString();
    // The root: "C:\" or "\\server\share\".
    int nRoot = 0;
    if (strPath.GetLength() > 2 && strPath[1] == L':')
        nRoot = 3;
    else if (strPath.Left(2) == L"\\\\")
    {
        int n = strPath.Find(L'\\', 2);
        n = n >= 0 ? strPath.Find(L'\\', n + 1) : -1;
        nRoot = n >= 0 ? n + 1 : 0;
    }
    CString strRoot = strPath.Left(nRoot);
    // Take whole trailing parts while they fit after "root\...".
    CString strTail = strName;
    int nPos = nName;
    while (nPos > nRoot)
    {
        int nPrev = strPath.Left(nPos).ReverseFind(L'\\');
        if (nPrev < nRoot - 1)
            break;
        CString strPart = strPath.Mid(nPrev + 1, nPos - nPrev - 1);
        if (strRoot.GetLength() + 4 + strPart.GetLength() + 1 + strTail.GetLength() > nMaxLength)
            break;
        strTail = strPart + L"\\" + strTail;
        nPos = nPrev;
    }
    if (strRoot.GetLength() + 4 + strTail.GetLength() > nMaxLength)
        return strName;
    return strRoot + L"...\\" + strTail;
}

BOOL CRecentFileList::GetDisplayName(CString& strName, int nIndex, LPCTSTR lpszCurDir, int nCurDir,
                                     BOOL bAtLeastName) const
{
    if (nIndex < 0 || nIndex >= m_nSize || m_arrNames[nIndex].IsEmpty())
        return FALSE;
    const CString& strPath = m_arrNames[nIndex];
    int nName = strPath.ReverseFind(L'\\');
    if (lpszCurDir != nullptr && nCurDir > 0 && nName == nCurDir &&
        strPath.Left(nCurDir).CompareNoCase(CString(lpszCurDir).Left(nCurDir)) == 0)
    {
        strName = strPath.Mid(nName + 1);
    }
    else
    {
        strName = AfxAbbreviateName(strPath, m_nMaxDisplayLength, bAtLeastName);
    }
    strName.Replace(L"&", L"&&");
    return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI)
{
    CMenu* pMenu = pCmdUI->m_pMenu;
    // A popup holding the list is updated through its first item from the parent menu too;
    // the names go into the popup only, when it opens.
    if (pMenu == nullptr || pMenu->GetSafeHmenu() == nullptr || pCmdUI->m_pSubMenu != nullptr)
        return;
    HMENU hMenu = pMenu->GetSafeHmenu();
    if (m_strOriginal.IsEmpty())
    {
        wchar_t text[256] = {};
        ::GetMenuStringW(hMenu, pCmdUI->m_nID, text, 255, MF_BYCOMMAND);
        m_strOriginal = text;
    }
    // Take out the items of an earlier pass.
    for (int i = 0; i < m_nSize; ++i)
        ::DeleteMenu(hMenu, m_nStart + i, MF_BYCOMMAND);

    if (m_arrNames[0].IsEmpty())
    {
        ::InsertMenuW(hMenu, pCmdUI->m_nIndex, MF_BYPOSITION | MF_STRING | MF_GRAYED, m_nStart,
                      m_strOriginal);
        pCmdUI->m_bEnableChanged = TRUE;
        return;
    }
    wchar_t curDir[MAX_PATH] = {};
    const int nCurDir = (int)::GetCurrentDirectoryW(MAX_PATH, curDir);
    int nInserted = 0;
    for (int i = 0; i < m_nSize; ++i)
    {
        CString strName;
        if (!GetDisplayName(strName, i, curDir, nCurDir))
            break;
        CString strItem;
        strItem.Format(L"&%d %s", (i + 1) % 10, (LPCTSTR)strName);
        ::InsertMenuW(hMenu, pCmdUI->m_nIndex + nInserted, MF_BYPOSITION | MF_STRING, m_nStart + i,
                      strItem);
        ++nInserted;
    }
    // The caller's loop continues after the new items.
    pCmdUI->m_nIndex += nInserted - 1;
    pCmdUI->m_nIndexMax = (UINT)::GetMenuItemCount(hMenu);
    pCmdUI->m_bEnableChanged = TRUE;
}

void CRecentFileList::ReadList()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    for (int i = 0; i < m_nSize; ++i)
    {
        CString entry;
        entry.Format(m_strEntryFormat, i + 1);
        m_arrNames[i] = pApp->GetProfileString(m_strSectionName, entry, L"");
    }
}

void CRecentFileList::WriteList()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    for (int i = 0; i < m_nSize; ++i)
    {
        CString entry;
        entry.Format(m_strEntryFormat, i + 1);
        if (m_arrNames[i].IsEmpty())
            pApp->WriteProfileString(m_strSectionName, entry, nullptr);
        else
            pApp->WriteProfileString(m_strSectionName, entry, m_arrNames[i]);
    }
}
