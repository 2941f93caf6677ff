// CMainFrame: opening grid windows for objects, result sets and execution plans.
#include "app/main_frame.h"

#include "app/app_settings.h"
#include "app/windows_array.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"
#include "services/sql_outline.h"
#include "services/wait_dlg.h"
#include "windows/grid_child_frame.h"
#include "windows/grid_window_text.h"
#include "windows/sql_err_child_frame.h"

#include <memory>

DWORD CMainFrame::GetChildFrameStyle()
{
    DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW;
    BOOL bMaximized = FALSE;
    if (MDIGetActive(&bMaximized) == nullptr || bMaximized)
        dwStyle |= WS_MAXIMIZE;
    return dwStyle;
}

bool CMainFrame::IsObjectInGrid(CGridChildFrame* pGrid, UINT nKind, const CStringPair& name)
{
    return pGrid != nullptr && pGrid->GetKind() == nKind &&
           pGrid->GetObjectName().m_strFirst == name.m_strFirst &&
           pGrid->GetObjectName().m_strSecond == name.m_strSecond;
}

bool CMainFrame::CheckAlreadyOpened(UINT nKind, const CStringPair& name)
{
    if ((nKind != kGridTable && nKind != kGridView) || theSettings.m_nNewWindowAction == 0)
        return true;
    for (CGridChildFrame* pGrid : theGridWindows.Snapshot())
    {
        if (!IsObjectInGrid(pGrid, nKind, name))
            continue;
        if (theSettings.m_nNewWindowAction == 2)
        {
            const CString strName = FormatObjectName(name, &m_dbHelper.GetCatalogDatabase(), true);
            if (AfxMessageBox(strName + L" is already opened. Open again?",
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
                return true;
        }
        ::SendMessageW(m_hWndMDIClient, WM_MDIACTIVATE, (WPARAM)pGrid->m_hWnd, 0);
        return false;
    }
    return true;
}

void CMainFrame::OpenDBObject(const CStringPair& name, const CFilterArray* pFilter, UINT nKind,
                              bool bAskIfOpen, LPCWSTR pszTitle)
{
    CString strSelect;
    bool bBuilt = false;
    RunReportingErrors([&] {
        CWaitHolder wait;
        bBuilt = m_dbHelper.BuildSelectStatement(&wait, name, strSelect);
    });
    if (!bBuilt)
        return;
    const CString strTitle = pszTitle != nullptr && *pszTitle
                                 ? CString(pszTitle)
                                 : FormatObjectName(name, &m_dbHelper.GetCatalogDatabase(), true);
    OpenGridWindow(strSelect, strSelect, strTitle, pFilter, nKind, name, bAskIfOpen);
}

void CMainFrame::OpenGridWindow(LPCWSTR pszSelect, LPCWSTR pszShowSQL, LPCWSTR pszTitle,
                                const CFilterArray* pFilter, UINT nKind, const CStringPair& name,
                                bool bAskIfOpen)
{
    if ((bAskIfOpen && !CheckAlreadyOpened(nKind, name)) || m_hWndMDIClient == nullptr)
        return;
    auto* pFrame = new CGridChildFrame(&m_dbHelper, pszSelect, pszShowSQL, pFilter, nKind, name,
                                       &m_imlSmallIcons);
    // A failed creation destroys the window, and with it the frame object.
    if (pFrame->Create(nullptr, pszTitle, GetChildFrameStyle(), rectDefault, this))
        pFrame->MDIActivate();
}

void CMainFrame::OpenRecordsetWindow(Zelt::ICursor* pCursor, LPCWSTR pszTitle, UINT nKind,
                                     const CStringPair& name, bool bAskIfOpen)
{
    std::unique_ptr<Zelt::ICursor> cursor(pCursor);
    if ((bAskIfOpen && !CheckAlreadyOpened(nKind, name)) || m_hWndMDIClient == nullptr)
        return;
    auto* pFrame = new CGridChildFrame(&m_dbHelper, cursor, nKind, name, &m_imlSmallIcons);
    if (pFrame->Create(nullptr, pszTitle, GetChildFrameStyle(), rectDefault, this))
        pFrame->MDIActivate();
}

void CMainFrame::ShowPlanWindow(LPCWSTR pszSQL, LPCWSTR pszTitle)
{
    CWaitCursor wait;
    CString strPlan;
    UINT32 nId = 0;
    if (m_dbHelper.ExplainPlan(pszSQL, strPlan, nId))
    {
        CString strTitle;
        strTitle.LoadString(IDS_EXECUTION_PLAN_FOR);
        strTitle += pszTitle;
        auto* pFrame = new CGridChildFrame(&m_dbHelper, strPlan, pszSQL, nId);
        if (pFrame->Create(nullptr, strTitle, GetChildFrameStyle(), rectDefault, this))
            pFrame->MDIActivate();
    }
    m_dbHelper.EndExplainPlan();
}

void CMainFrame::ShowExecutionPlan(LPCWSTR pszSQL, LPCWSTR pszTitle)
{
    if (!IsConnected() || !m_dbHelper.SupportsExecutionPlan())
        return;
    RunReportingErrors([&] { ShowPlanWindow(pszSQL, pszTitle); });
}

void CMainFrame::ShowScriptExecutionPlan(LPCWSTR pszSQL)
{
    // Comments go before the text is flattened: a line comment would otherwise swallow the
    // lines after it.
    CString strText = StripSQLComments(pszSQL, m_dbHelper.GetDatabase().UsesBackslashEscapes());
    FlattenSQL(strText);
    strText.Trim();
    ShowExecutionPlan(strText, strText);
}

void CMainFrame::OpenErrorWindow(LPCWSTR pszText)
{
    auto* pFrame = new CSQLErrChildFrame;
    if (!pFrame->Create(nullptr, L"Untitled", GetChildFrameStyle(), rectDefault, this))
        return;
    pFrame->SetText(pszText);
    pFrame->MDIActivate();
}
