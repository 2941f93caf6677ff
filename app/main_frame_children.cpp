// CMainFrame: what the frame does with its grid and script windows as a whole.
#include "app/main_frame.h"

#include "app/windows_array.h"
#include "resources/resource.h"
#include "windows/grid_child_frame.h"
#include "windows/sql_child_frame.h"

bool CMainFrame::SettleEditedRows()
{
    std::vector<CGridChildFrame*> dropped;
    std::vector<CGridChildFrame*> grids = theGridWindows.Snapshot();
    for (auto it = grids.rbegin(); it != grids.rend(); ++it)
    {
        if (theGridWindows.Find(*it) < 0)
            continue;
        switch ((*it)->AskAboutEditedRow())
        {
        case EditedRowAnswer::Keep: return false;
        case EditedRowAnswer::Drop: dropped.push_back(*it); break;
        case EditedRowAnswer::Settled: break;
        }
    }
    for (CGridChildFrame* pGrid : dropped)
    {
        if (theGridWindows.Find(pGrid) >= 0)
            pGrid->DropEditedRow();
    }
    return true;
}

bool CMainFrame::CloseAllChildren(bool bScripts)
{
    // The rows being edited and then every modified script are asked about first, each window
    // brought to the front for its question; one refusal keeps every window open.
    if (!SettleEditedRows())
        return false;
    std::vector<CSQLChildFrame*> scripts;
    if (bScripts)
    {
        scripts = theSQLWindows.Snapshot();
        for (auto it = scripts.rbegin(); it != scripts.rend(); ++it)
        {
            if (theSQLWindows.Find(*it) >= 0 && !(*it)->SaveModified())
                return false;
        }
    }
    CWaitCursor wait;
    std::vector<CGridChildFrame*> grids = theGridWindows.Snapshot();
    for (auto it = grids.rbegin(); it != grids.rend(); ++it)
    {
        if (theGridWindows.Find(*it) >= 0 && (*it)->m_hWnd != nullptr)
            ::SendMessageW(m_hWndMDIClient, WM_MDIDESTROY, (WPARAM)(*it)->m_hWnd, 0);
    }
    if (!bScripts)
        return true;
    for (auto it = scripts.rbegin(); it != scripts.rend(); ++it)
    {
        if (theSQLWindows.Find(*it) >= 0 && (*it)->m_hWnd != nullptr)
            ::SendMessageW(m_hWndMDIClient, WM_MDIDESTROY, (WPARAM)(*it)->m_hWnd, 0);
    }
    return true;
}

void CMainFrame::OpenSQLWindow(LPCWSTR pszPath, int nEncoding, LPCWSTR pszInitialText,
                               LPCWSTR pszTitle)
{
    const bool bPath = pszPath != nullptr && *pszPath != 0;
    CString strTitle;
    if (pszTitle != nullptr && *pszTitle != 0)
        strTitle = pszTitle;
    else if (bPath)
        strTitle = CompactPath(pszPath);
    else
        strTitle.Format(L"SQL%d", ++m_nScriptCounter);
    auto* pFrame =
        new CSQLChildFrame(&m_dbHelper, bPath ? pszPath : nullptr, nEncoding, m_pRecentFiles);
    // A failed creation destroys the window, and with it the frame object.
    if (pFrame->Create(nullptr, strTitle, GetChildFrameStyle(), rectDefault, this))
    {
        pFrame->MDIActivate();
        if (pszInitialText != nullptr)
            pFrame->SetScriptText(pszInitialText);
    }
    else if (bPath)
    {
        // The file could not be read: the user may choose another.
        PostMessage(WM_COMMAND, ID_SCRIPT_OPEN);
    }
}

void CMainFrame::CloseGridCursors()
{
    for (CGridChildFrame* pGrid : theGridWindows.Snapshot())
        pGrid->CloseCursor();
}

void CMainFrame::RefreshGridWindows()
{
    // Refreshes the program makes by itself never run a statement that does more than read.
    for (CGridChildFrame* pGrid : theGridWindows.Snapshot())
    {
        if (theGridWindows.Find(pGrid) >= 0)
            pGrid->Refresh(false);
    }
}

void CMainFrame::ApplyOptionsToChildren(bool bRefresh)
{
    for (CGridChildFrame* pGrid : theGridWindows.Snapshot())
    {
        if (theGridWindows.Find(pGrid) < 0)
            continue;
        pGrid->ApplyOptions();
        if (bRefresh)
            pGrid->Refresh(false);
        else
            pGrid->GetView().Invalidate();
    }
    for (CSQLChildFrame* pScript : theSQLWindows.Snapshot())
        pScript->ApplyEditorOptions();
}

void CMainFrame::AutoSaveScripts()
{
    for (CSQLChildFrame* pScript : theSQLWindows.Snapshot())
    {
        if (theSQLWindows.Find(pScript) >= 0)
            pScript->AutoSave();
    }
}
