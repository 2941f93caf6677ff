// Saving and restoring the bar layout of a frame in the application profile.
//
// "<name>-Summary": "Bars" (how many bar sections follow). "<name>-Bar<n>": "BarID",
// "Visible", "Floating", "DockBarID", "Row", "Index" (place in the dock bar), "XPos", "YPos"
// (floating position), "MRUDockID" (where a floating bar docks back to).
#include "framework/frame_wnd.h"

#include "framework/dock_bar.h"
#include "framework/dock_context.h"
#include "framework/mini_frame.h"

#include <algorithm>
#include <vector>

void CFrameWnd::SaveBarState(LPCTSTR lpszProfileName) const
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr || lpszProfileName == nullptr)
        return;
    int nBars = 0;
    for (INT_PTR i = 0; i < m_listControlBars.GetSize(); ++i)
    {
        auto* pBar = static_cast<CControlBar*>(m_listControlBars[i]);
        if (pBar == nullptr || pBar->m_hWnd == nullptr || pBar->IsDockBar())
            continue;
        const UINT nID = (UINT)pBar->GetDlgCtrlID();
        if (nID == 0)
            continue;
        CString section;
        section.Format(L"%s-Bar%d", lpszProfileName, nBars);
        pApp->WriteProfileInt(section, L"BarID", (int)nID);
        pApp->WriteProfileInt(section, L"Visible", pBar->IsVisible() ? 1 : 0);
        const BOOL bFloating = pBar->IsFloating();
        pApp->WriteProfileInt(section, L"Floating", bFloating ? 1 : 0);
        int nDockID = 0, nRow = 0, nIndex = 0;
        if (pBar->m_pDockBar != nullptr && !bFloating)
        {
            nDockID = pBar->m_pDockBar->GetDlgCtrlID();
            pBar->m_pDockBar->GetBarPosition(pBar, &nRow, &nIndex);
        }
        pApp->WriteProfileInt(section, L"DockBarID", nDockID);
        pApp->WriteProfileInt(section, L"Row", nRow);
        pApp->WriteProfileInt(section, L"Index", nIndex);
        CPoint pt(0, 0);
        if (bFloating)
        {
            CRect rect;
            pBar->GetDockingFrame()->GetWindowRect(&rect);
            pt = rect.TopLeft();
        }
        pApp->WriteProfileInt(section, L"XPos", pt.x);
        pApp->WriteProfileInt(section, L"YPos", pt.y);
        pApp->WriteProfileInt(
            section, L"MRUDockID",
            pBar->m_pDockContext != nullptr ? (int)pBar->m_pDockContext->m_uMRUDockID : 0);
        ++nBars;
    }
    CString summary;
    summary.Format(L"%s-Summary", lpszProfileName);
    pApp->WriteProfileInt(summary, L"Bars", nBars);
}

void CFrameWnd::LoadBarState(LPCTSTR lpszProfileName)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr || lpszProfileName == nullptr)
        return;
    CString summary;
    summary.Format(L"%s-Summary", lpszProfileName);
    const int nBars = (int)pApp->GetProfileInt(summary, L"Bars", -1);
    if (nBars <= 0)
        return;

    struct Saved
    {
        CControlBar* pBar;
        BOOL bVisible, bFloating;
        UINT nDockID, nMRUDockID;
        int nRow, nIndex;
        CPoint pt;
    };
    std::vector<Saved> saved;
    for (int i = 0; i < nBars && i < 1024; ++i)
    {
        CString section;
        section.Format(L"%s-Bar%d", lpszProfileName, i);
        UINT nID = pApp->GetProfileInt(section, L"BarID", 0);
        CControlBar* pBar = GetControlBar(nID);
        if (pBar == nullptr)
            continue; // a bar this version no longer has
        Saved s{};
        s.pBar = pBar;
        s.bVisible = pApp->GetProfileInt(section, L"Visible", 1) != 0;
        s.bFloating = pApp->GetProfileInt(section, L"Floating", 0) != 0;
        s.nDockID = pApp->GetProfileInt(section, L"DockBarID", 0);
        s.nRow = (int)pApp->GetProfileInt(section, L"Row", 0);
        s.nIndex = (int)pApp->GetProfileInt(section, L"Index", 0);
        s.pt = CPoint((int)pApp->GetProfileInt(section, L"XPos", 0),
                      (int)pApp->GetProfileInt(section, L"YPos", 0));
        s.nMRUDockID = pApp->GetProfileInt(section, L"MRUDockID", 0);
        saved.push_back(s);
    }

    // Docked bars: empty the dock bars of the saved bars, then insert them row by row.
    std::stable_sort(saved.begin(), saved.end(), [](const Saved& a, const Saved& b) {
        if (a.nDockID != b.nDockID)
            return a.nDockID < b.nDockID;
        if (a.nRow != b.nRow)
            return a.nRow < b.nRow;
        return a.nIndex < b.nIndex;
    });
    for (const Saved& s : saved)
        if (!s.bFloating && s.pBar->m_pDockBar != nullptr)
            s.pBar->m_pDockBar->RemoveControlBar(s.pBar);
    UINT nLastDock = 0;
    int nLastRow = -1, nRowBase = 0;
    for (const Saved& s : saved)
    {
        if (s.bFloating || s.nDockID == 0)
            continue;
        CDockBar* pDock = GetDockBar(s.nDockID);
        if (pDock == nullptr)
            continue;
        if (s.nDockID != nLastDock)
        {
            nLastDock = s.nDockID;
            nLastRow = -1;
            // Saved rows go after the rows of bars that were not saved.
            nRowBase = 0;
            for (int k = 1; k < (int)pDock->m_arrBars.GetSize(); ++k)
                if (pDock->m_arrBars[k] == nullptr)
                    ++nRowBase;
        }
        CDockBar* pOld = s.pBar->m_pDockBar;
        CFrameWnd* pOldMini =
            (pOld != nullptr && pOld->m_bFloating) ? AfxGetParentFrame(pOld) : nullptr;
        if (s.nRow != nLastRow)
        {
            pDock->InsertBar(s.pBar, -1, 0); // a new row
            nLastRow = s.nRow;
        }
        else
        {
            int nRows = 0;
            for (int k = 1; k < (int)pDock->m_arrBars.GetSize(); ++k)
                if (pDock->m_arrBars[k] == nullptr)
                    ++nRows;
            pDock->InsertBar(s.pBar, nRows - 1, INT_MAX);
        }
        pDock->RemoveControlBar(s.pBar, pDock->FindBar(s.pBar)); // no duplicates
        if (pOld != nullptr && pOld != pDock)
            pOld->RemoveControlBar(s.pBar);
        s.pBar->m_pDockBar = pDock;
        s.pBar->m_dwStyle = (s.pBar->m_dwStyle & ~(CBRS_ALIGN_ANY | CBRS_FLOATING)) |
                            (pDock->m_dwStyle & CBRS_ALIGN_ANY);
        if (::GetParent(s.pBar->m_hWnd) != pDock->m_hWnd)
            s.pBar->SetParent(pDock);
        ::SetWindowPos(s.pBar->m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        if (pOldMini != nullptr && pOld->GetDockedCount() == 0)
            pOldMini->DestroyWindow();
        (void)nRowBase;
    }
    for (const Saved& s : saved)
    {
        if (s.bFloating)
            FloatControlBar(s.pBar, s.pt, CBRS_ALIGN_TOP);
        if (s.pBar->m_pDockContext != nullptr && s.nMRUDockID != 0)
            s.pBar->m_pDockContext->m_uMRUDockID = s.nMRUDockID;
    }
    for (const Saved& s : saved)
        ShowControlBar(s.pBar, s.bVisible, TRUE);
    RecalcLayout();
}
