// CMainFrame: the View, Window and Help commands, the options and the auto-save timer.
#include "app/main_frame.h"

#include "app/app_helpers.h"
#include "app/app_settings.h"
#include "framework/html_help.h"
#include "resources/resource.h"

#include <odbcinst.h>

// ---- Output bar ---------------------------------------------------------------------------------

void CMainFrame::OnViewOutput()
{
    ShowControlBar(&m_wndOutputBar, !m_wndOutputBar.IsVisible(), FALSE);
}

void CMainFrame::OnUpdateViewOutput(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_wndOutputBar.IsVisible() ? 1 : 0);
}

void CMainFrame::OnSwitchToOutput()
{
    m_wndOutputBar.SetFocus();
}

void CMainFrame::OnUpdateSwitchToOutput(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_wndOutputBar.IsVisible());
}

// ---- Child windows ------------------------------------------------------------------------------

void CMainFrame::OnSwitchToWorkingWindow()
{
    if (CMDIChildWnd* pChild = MDIGetActive())
        pChild->SetFocus();
}

void CMainFrame::OnUpdateChildActive(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(MDIGetActive() != nullptr);
}

void CMainFrame::OnWindowNext()
{
    ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 0);
}

void CMainFrame::OnWindowPrevious()
{
    ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 1);
}

void CMainFrame::OnWindowCloseAll()
{
    ShowMessage(IDS_CLOSING);
    CloseAllChildren(true);
    ShowMessage(AFX_IDS_IDLEMESSAGE);
}

void CMainFrame::OnUpdateCompactRepair(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nCompactRepair != 0);
}

// ---- Help ---------------------------------------------------------------------------------------

void CMainFrame::OnHelpContents()
{
    AfxHtmlHelp(::GetDesktopWindow(), GetHelpFilePath(), HH_DISPLAY_TOC, 0);
}

void CMainFrame::OnHelpIndex()
{
    AfxHtmlHelp(::GetDesktopWindow(), GetHelpFilePath(), HH_DISPLAY_INDEX, 0);
}

// ---- Options and data sources -------------------------------------------------------------------

void CMainFrame::OnOptions()
{
    BOOL bGridChanged = FALSE;
    if (!RunOptionsSheet(&bGridChanged))
        return;
    if (IsConnected())
    {
        m_dbHelper.GetDatabase().SetQueryTimeout(theSettings.m_nQueryTimeout);
        if (m_dbHelper.GetDBMSKind() == DBMS_MSSQL)
            m_dbHelper.GetCatalogDatabase().SetQueryTimeout(theSettings.m_nQueryTimeout);
    }
    ApplyOptionsToChildren(bGridChanged != FALSE);
    if (!theSettings.m_bAutosave)
        StopAutoSaveTimer();
    else if (m_nAutoSaveTimer == 0)
        StartAutoSaveTimer();
    else if (m_nAutoSavePeriod != (UINT)theSettings.m_nAutosaveTime * 60000)
    {
        StopAutoSaveTimer();
        StartAutoSaveTimer();
    }
    theSettings.Save();
}

void CMainFrame::OnDSNAdministrator()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL bVersion = ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    if (bVersion && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 5 &&
        info.dwMinorVersion == 1)
    {
        WCHAR szPath[MAX_PATH] = {};
        ::GetSystemDirectoryW(szPath, MAX_PATH);
        CString strProgram = CString(szPath) + L"\\odbcad32.exe";
        ::ShellExecuteW(m_hWnd, L"open", strProgram, nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    // The ODBC installer here has no administrator dialog and answers FALSE: say so rather than
    // do nothing.
    if (!::SQLManageDataSources(m_hWnd))
        AfxMessageBox(L"The ODBC data source administrator is not available.", MB_ICONERROR);
}

// ---- Auto-save ----------------------------------------------------------------------------------

void CMainFrame::StartAutoSaveTimer()
{
    if (m_nAutoSaveTimer != 0)
        return;
    m_nAutoSavePeriod = (UINT)theSettings.m_nAutosaveTime * 60000;
    m_nAutoSaveTimer = SetTimer(1, m_nAutoSavePeriod, nullptr);
}

void CMainFrame::StopAutoSaveTimer()
{
    if (m_hWnd != nullptr)
        KillTimer(1);
    m_nAutoSaveTimer = 0;
}
