// CMainFrame: the database bar's visibility and ending a transaction.
#include "app/main_frame.h"

#include "app/connection_dialogs.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"

void CMainFrame::ShowDatabaseBar(bool bShow, bool bRefresh)
{
    ShowControlBar(&m_wndDBBar, bShow, FALSE);
    if (bShow || bRefresh)
        m_wndDBBar.Refresh(bShow);
}

void CMainFrame::OnShowDatabaseBar()
{
    ShowDatabaseBar(!m_wndDBBar.IsVisible(), false);
}

void CMainFrame::OnUpdateShowDatabaseBar(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected());
    pCmdUI->SetCheck(m_wndDBBar.IsVisible() ? 1 : 0);
}

bool CMainFrame::EndTransaction()
{
    CEndTransactionDlg dlg(this);
    const INT_PTR nResult = dlg.DoModal();
    if (nResult != IDC_COMMIT && nResult != IDC_ROLLBACK)
        return false;
    bool bEnded = false;
    RunReportingErrors([&] { bEnded = m_dbHelper.GetDatabase().EndTrans(nResult == IDC_COMMIT); },
                       GetSafeHwnd());
    if (!bEnded)
        AfxMessageBox(IDS_END_TRANS_FAILED, MB_ICONERROR);
    return bEnded;
}

void CMainFrame::OnEndTransaction()
{
    EndTransaction();
}

void CMainFrame::OnUpdateEndTransaction(CCmdUI* pCmdUI)
{
    bool bOpen = false;
    if (IsConnected())
    {
        try
        {
            bOpen = m_dbHelper.GetDatabase().IsInTransaction();
        }
        catch (CException* e)
        {
            CExceptionHolder held(e);
        }
    }
    pCmdUI->Enable(bOpen);
}
