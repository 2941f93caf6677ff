// CMainFrame: the database bar's visibility, focus and refresh; beginning and ending a
// transaction; the current schema and the text of a driver limit.
#include "app/main_frame.h"

#include "app/app_settings.h"
#include "app/connection_dialogs.h"
#include "browser/object_dialogs.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"

namespace {

// Whether the main connection has a transaction open; a driver that cannot tell has none.
bool IsTransactionOpen(CRDatabase& db)
{
    try
    {
        return db.IsInTransaction();
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
    }
    return false;
}

} // namespace

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
    // A commit of an aborted transaction rolled it back: the user asked for a commit.
    const CString strNote = bEnded ? m_dbHelper.GetDatabase().TakeSessionNote() : CString();
    if (!strNote.IsEmpty())
        AfxMessageBox(strNote, MB_ICONINFORMATION);
    return bEnded;
}

void CMainFrame::OnEndTransaction()
{
    EndTransaction();
}

void CMainFrame::OnUpdateEndTransaction(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected() && IsTransactionOpen(m_dbHelper.GetDatabase()));
}

void CMainFrame::OnBeginTransaction()
{
    bool bBegun = false;
    RunReportingErrors([&] { bBegun = m_dbHelper.GetDatabase().BeginTrans(); }, GetSafeHwnd());
    if (!bBegun)
        AfxMessageBox(IDS_BEGIN_TRANS_FAILED, MB_ICONERROR);
}

void CMainFrame::OnUpdateBeginTransaction(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected() && !IsTransactionOpen(m_dbHelper.GetDatabase()));
}

void CMainFrame::OnSwitchToDatabaseBar()
{
    m_wndDBBar.SetFocus();
}

void CMainFrame::OnUpdateSwitchToDatabaseBar(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_wndDBBar.IsVisible());
}

// Every constraint of the database (no table, no schema).
void CMainFrame::OnConstraints()
{
    RunReportingErrors([&] { ShowConstraintsDialog(&m_dbHelper, CStringPair(), nullptr); },
                       GetSafeHwnd());
}

void CMainFrame::OnUpdateConstraints(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected() && m_dbHelper.CanShowTableConstraints(DBOBJ_TABLE));
}

CString CMainFrame::GetCurrentSchema() const
{
    return theSettings.m_bCurSchema ? m_strCurrentSchema : CString();
}

CString CMainFrame::GetInfoLimitText(WORD nInfoType)
{
    WORD nValue = 0;
    if (!m_dbHelper.GetDatabase().GetInfoWord(nInfoType, nValue))
        return L"?";
    if (nValue == 0)
        return L"no limit";
    CString strText;
    strText.Format(L"%u", static_cast<UINT>(nValue));
    return strText;
}
