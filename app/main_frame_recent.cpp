// CMainFrame: shortened paths, the recent script files and recent connections menus, and the
// toolbar drop-downs that show them.
#include "app/main_frame.h"

#include "app/app_settings.h"
#include "app/connection_text.h"
#include "framework/recent_file_list.h"
#include "resources/resource.h"

namespace {

const int kCompactLimit = 50;

int ReverseFindBefore(const CString& str, WCHAR ch, int nBefore)
{
    for (int i = nBefore - 1; i >= 0; --i)
        if (str[i] == ch)
            return i;
    return -1;
}

} // namespace

CString CMainFrame::CompactPath(LPCWSTR pszPath)
{
    const CString strPath = pszPath != nullptr ? pszPath : L"";
    const int nLength = strPath.GetLength();
    if (nLength < 3)
        return strPath;
    // A drive keeps its letter and colon, a network path its server name.
    const int nFirst = strPath.Find(L'\\', 2);
    int nCut = strPath.ReverseFind(L'\\');
    if (nCut < 0)
        return strPath;
    for (int nStep = 0; nStep < 3; ++nStep)
    {
        int nCandidate = nCut > 0 ? ReverseFindBefore(strPath, L'\\', nCut) : 0;
        if (nCandidate < 0)
            nCandidate = 0;
        if (nStep > 0 && nLength - nCandidate + nFirst > kCompactLimit)
            break;
        nCut = nCandidate;
    }
    if (nFirst >= 0 && nCut > nFirst + 3)
        return strPath.Left(nFirst) + L"\\...\\" + strPath.Mid(nCut + 1);
    return strPath;
}

void CMainFrame::OnUpdateRecentFiles(CCmdUI* pCmdUI)
{
    CMenu* pMenu = pCmdUI->m_pMenu;
    // The update also runs for the "Recent Files" item of the parent menu (through the first
    // item of its popup): the list belongs in the popup, filled when that opens.
    if (pMenu == nullptr || pMenu->GetSafeHmenu() == nullptr || pCmdUI->m_pSubMenu != nullptr)
        return;
    const CRecentFileList& files = *m_pRecentFiles;
    if (files.GetSize() == 0 || files[0].IsEmpty())
    {
        pCmdUI->Enable(FALSE); // "No files"
        return;
    }
    HMENU hMenu = pMenu->GetSafeHmenu();
    for (int i = 0; i < files.GetSize(); ++i)
        ::DeleteMenu(hMenu, ID_RECENT_FILE_FIRST + i, MF_BYCOMMAND);
    int nInserted = 0;
    for (int i = 0; i < files.GetSize() && !files[i].IsEmpty(); ++i)
    {
        CString strPath = CompactPath(files[i]);
        strPath.Replace(L"&", L"&&");
        CString strItem;
        strItem.Format(L"&%d %s", (i + 1) % 10, (LPCWSTR)strPath);
        ::InsertMenuW(hMenu, pCmdUI->m_nIndex + nInserted, MF_BYPOSITION | MF_STRING,
                      ID_RECENT_FILE_FIRST + i, strItem);
        ++nInserted;
    }
    pCmdUI->m_nIndex += nInserted - 1;
    pCmdUI->m_nIndexMax = (UINT)::GetMenuItemCount(hMenu);
    pCmdUI->m_bEnableChanged = TRUE;
}

void CMainFrame::OnUpdateRecentConnections(CCmdUI* pCmdUI)
{
    CMenu* pMenu = pCmdUI->m_pMenu;
    // As for the recent files: not for the popup's own item in the Connect menu.
    if (pMenu == nullptr || pMenu->GetSafeHmenu() == nullptr || pCmdUI->m_pSubMenu != nullptr)
        return;
    const CStringArray& strings = theSettings.m_connectStrings;
    if (strings.GetSize() == 0)
    {
        pCmdUI->Enable(FALSE); // "No connections"
        return;
    }
    // Every item of an earlier pass goes, not only the first: the list may have shrunk.
    HMENU hMenu = pMenu->GetSafeHmenu();
    for (int i = ::GetMenuItemCount(hMenu) - 1; i >= 0; --i)
    {
        UINT nID = ::GetMenuItemID(hMenu, i);
        if (nID >= ID_RECENT_CONNECTION_FIRST && nID < ID_RECENT_CONNECTION_FIRST + 1000)
            ::DeleteMenu(hMenu, i, MF_BYPOSITION);
    }
    const int nStart = pCmdUI->m_nIndex < (UINT)::GetMenuItemCount(hMenu)
                           ? (int)pCmdUI->m_nIndex
                           : ::GetMenuItemCount(hMenu);
    for (int i = 0; i < (int)strings.GetSize(); ++i)
    {
        CString strLabel = MakeRecentConnectionLabel(strings[i]);
        strLabel.Replace(L"&", L"&&");
        ::InsertMenuW(hMenu, nStart + i, MF_BYPOSITION | MF_STRING, ID_RECENT_CONNECTION_FIRST + i,
                      strLabel);
    }
    pCmdUI->m_nIndex = nStart + (UINT)strings.GetSize() - 1;
    pCmdUI->m_nIndexMax = (UINT)::GetMenuItemCount(hMenu);
    pCmdUI->m_bEnableChanged = TRUE;
}

void CMainFrame::ShowRecentDropDown(UINT nFirstID, UINT nButtonID)
{
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    menu.AppendMenu(MF_STRING, nFirstID, L"");

    CRect rcButton;
    int nIndex = m_wndToolBar.CommandToIndex(nButtonID);
    m_wndToolBar.GetItemRect(nIndex, &rcButton);
    m_wndToolBar.ClientToScreen(&rcButton);
    menu.TrackPopupMenu(TPM_RIGHTALIGN | TPM_RIGHTBUTTON, rcButton.right, rcButton.bottom + 1,
                        this);
}
