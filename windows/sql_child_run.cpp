// Running SQL from a script window: the whole script statement by statement behind the wait
// dialog, the selection as one statement, or the plan of the selection.
#include "windows/sql_child_frame.h"

#include "app/app_settings.h"
#include "app/main_frame.h"
#include "controls/utility.h"
#include "editor/rce_messages.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "services/script_worker.h"
#include "services/wait_dlg.h"
#include "windows/script_dialogs.h"
#include "windows/script_window_run.h"

#include <memory>

namespace {

// The script window side of a run: its dialogs, its editor and the wait dialog.
class CFrameRunHost : public CScriptWindowHost
{
public:
    CFrameRunHost(CSQLChildFrame& frame, CRDatabase& db)
        : m_frame(frame), m_db(db)
    {}

    int Message(LPCWSTR pszText, UINT nType) override
    {
        // The summary comes after the wait dialog has gone.
        if (!(nType & MB_ICONERROR))
            EndWait();
        return AfxMessageBox(pszText, nType);
    }
    int ShowError(CString& strStatement, LPCWSTR pszError) override
    {
        CSQLError dlg(&m_frame);
        dlg.m_strStatement = strStatement;
        dlg.m_strError = pszError;
        const int nButton = (int)dlg.DoModal();
        if (nButton == CSQLError::resultRetry)
            strStatement = dlg.m_strStatement;
        return nButton;
    }
    bool ReplaceText(int nStart, int nEnd, LPCWSTR pszText) override
    {
        RCEReplaceRange range = {(UINT32)nStart, (UINT32)nEnd, pszText, -1};
        if (m_frame.GetView().SendMessage(RCEM_REPLACERANGE, 0, (LPARAM)&range) == 0)
            return false;
        m_frame.GetView().UpdateWindow();
        return true;
    }
    CString GetText() override { return m_frame.GetView().GetText(); }
    bool Progress(int nCount) override
    {
        if (!m_wait)
            BeginWait();
        // Repainting and the counter twice a second, the wait dialog's messages every few
        // milliseconds: per statement they would cost more than a short statement itself.
        const DWORD now = ::GetTickCount();
        if (nCount == 1 || now - m_nLastInfo >= 500)
        {
            m_nLastInfo = now;
            m_frame.UpdateWindow();
            CString text;
            text.Format(L"%d", nCount);
            m_wait->SetInfoText(text);
        }
        if (nCount == 1 || now - m_nLastPump >= 20)
        {
            m_nLastPump = now;
            return m_wait->PumpMessages();
        }
        return m_wait->IsCancelled();
    }
    bool PumpMessages() override { return m_wait && m_wait->PumpMessages(); }
    int RunStatement(LPCWSTR pszSQL) override
    {
        if (!m_runner)
            // The wait dialog offers Cancel whatever the "CancelExec" option says: statements
            // run on the worker, where Cancel reaches one the server is still running (or
            // waiting on).
            m_runner = std::make_unique<CScriptStatementRunner>(m_db, true, m_wait.get());
        return (int)m_runner->Run(pszSQL);
    }

    void EndWait()
    {
        m_runner.reset();
        m_wait.reset();
    }

private:
    void BeginWait()
    {
        m_wait = std::make_unique<CWaitDlg>(GetMainFrame(), CWaitDlg::flagCancel);
        m_wait->SetProcessText(L"Executing script");
        CString title;
        m_frame.GetWindowText(title);
        m_wait->SetMessageText(title);
    }

    CSQLChildFrame& m_frame;
    CRDatabase& m_db;
    std::unique_ptr<CWaitDlg> m_wait;
    std::unique_ptr<CScriptStatementRunner> m_runner;
    DWORD m_nLastInfo = 0;
    DWORD m_nLastPump = 0;
};

} // namespace

bool CSQLChildFrame::IsConnected() const
{
    return m_pHelper != nullptr && m_pHelper->IsOpen();
}

void CSQLChildFrame::OnExecuteCurrentScript()
{
    if (!IsConnected())
        return;
    CRDatabase& db = m_pHelper->GetDatabase();
    CExecSQLScriptDlg options(&db, false, this);
    if (options.DoModal() != IDOK)
        return;
    UpdateWindow();
    const CString text = m_view.GetText();

    db.SetQueryTimeout(theSettings.m_nQueryTimeout);
    if (m_pHelper->GetDBMSKind() == DBMS_MSSQL)
        m_pHelper->GetCatalogDatabase().SetQueryTimeout(theSettings.m_nQueryTimeout);
    CFrameRunHost host(*this, db);
    RunScriptText(db, text, theSettings.m_strSQLSeparator, options.m_bOpenTransaction != 0, host);
    host.EndWait();
}

void CSQLChildFrame::OnUpdateExecuteCurrentScript(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected());
}

void CSQLChildFrame::OnExecuteSelection()
{
    const CString text = m_view.GetSelText();
    if (!text.IsEmpty() && GetMainFrame() != nullptr)
        GetMainFrame()->ExecuteSQL(text, false);
}

void CSQLChildFrame::OnUpdateExecuteSelection(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(HasSelection() && IsConnected());
}

void CSQLChildFrame::OnExecuteSelectionPlan()
{
    const CString text = m_view.GetSelText();
    if (!text.IsEmpty() && GetMainFrame() != nullptr)
        GetMainFrame()->ShowScriptExecutionPlan(text);
}

void CSQLChildFrame::OnUpdateExecuteSelectionPlan(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(HasSelection() && IsConnected() && m_pHelper->SupportsExecutionPlan());
}
