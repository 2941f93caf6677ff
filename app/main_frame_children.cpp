// CMainFrame: what the frame does with its grid and script windows as a whole.
#include "app/main_frame.h"

#include "app/windows_array.h"
#include "windows/grid_child_frame.h"

bool CMainFrame::CloseAllChildren(bool bScripts)
{
    CWaitCursor wait;
    std::vector<CGridChildFrame*> grids = theGridWindows.Snapshot();
    for (auto it = grids.rbegin(); it != grids.rend(); ++it)
    {
        if (theGridWindows.Find(*it) >= 0 && (*it)->m_hWnd != nullptr)
            ::SendMessageW(m_hWndMDIClient, WM_MDIDESTROY, (WPARAM)(*it)->m_hWnd, 0);
    }
    if (!bScripts)
        return true;
    // Script windows are not built yet: there is never one to save or close.
    return true;
}

void CMainFrame::OpenSQLWindow(LPCWSTR, int, LPCWSTR, LPCWSTR) {}

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
}

void CMainFrame::AutoSaveScripts() {}
