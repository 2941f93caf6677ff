// CMainFrame: the SQL query dialog, direct execution of one SQL text, and Execute SQL Script
// (a script file run into the output bar).
#include "app/main_frame.h"

#include "app/app_helpers.h"
#include "app/app_settings.h"
#include "app/exec_sql_dlg.h"
#include "app/script_file_run.h"
#include "controls/utility.h"
#include "dbaccess/error_report.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "dbaccess/server_texts.h"
#include "dbaccess/transaction_statements.h"
#include "resources/resource.h"
#include "services/script_reader.h"
#include "services/script_worker.h"
#include "services/sql_file_dialog.h"
#include "services/wait_dlg.h"
#include "windows/grid_window_text.h"
#include "windows/script_dialogs.h"

#include <memory>

// ---- SQL query ----------------------------------------------------------------------------------

void CMainFrame::OnSQLQuery()
{
    if (IsConnected())
        RunSQLQueryDialog(L"");
}

void CMainFrame::RunSQLQueryDialog(LPCWSTR pszText)
{
    CExecSQLDlg dlg(m_dbHelper.SupportsExecutionPlan(), pszText, this);
    if (dlg.DoModal() != IDOK)
        return;
    theSettings.AddSQLQuery(dlg.m_strQuery);
    ShowMessage(IDS_EXECUTING);
    ExecuteSQL(dlg.m_strQuery, dlg.m_bShowPlan != 0);
    ShowMessage(AFX_IDS_IDLEMESSAGE);
}

bool CMainFrame::ExecuteSQL(LPCWSTR pszText, bool bShowPlan)
{
    CRDatabase& db = m_dbHelper.GetDatabase();
    CString text;
    // An unclosed quote or comment goes to the server as written: it reports it.
    if (!CSQLScript::StripComments(pszText, text, GetScriptDialect(db)))
        text = pszText;
    text.Trim();
    if (text.IsEmpty())
    {
        AfxMessageBox(L"Quenlark: Incorrect syntax", MB_ICONERROR);
        return false;
    }
    if (bShowPlan)
    {
        ShowScriptExecutionPlan(text);
        return true;
    }

    bool bResult = false;
    RunReportingErrors(
        [&] {
            RefuseClientCommand(db, text);
            db.SetQueryTimeout(theSettings.m_nQueryTimeout);
            auto recordset = std::make_unique<CRRecordset>(&db);
            const UINT nCursorType = text.Left(6).CompareNoCase(L"SELECT") == 0
                                         ? m_dbHelper.GetCursorType()
                                         : RS_FORWARD_ONLY;
            // Its rows go to a window: a query may stream (see RS_QUERY_MAY_STREAM).
            const UINT nOptions = RS_NUMERIC_AS_TEXT | RS_QUERY_MAY_STREAM;
            bool bOpened = false;
            // On this thread: a transaction the statement opens first reads the results part
            // read, which belong to this thread's windows.
            db.FollowStatementStart(text);
            if (!CRDatabaseHelper::IsCancelExecEnabled())
            {
                CWaitCursor wait;
                bOpened = recordset->Open(text, nCursorType, nOptions);
            }
            else
            {
                bool bCancelled = false;
                bOpened = m_dbHelper.OpenRecordset(recordset.get(), text, nCursorType, nOptions,
                                                   nullptr, &bCancelled);
                if (bCancelled)
                    return;
            }
            if (!bOpened)
            {
                AfxMessageBox(L"Can't open recordset", MB_ICONERROR);
                return;
            }
            SQLLEN nCount = -1;
            recordset->GetRowCount(&nCount);
            CString strTime = FormatElapsedTime(recordset->GetExecutionTime());
            if (!strTime.IsEmpty())
                strTime = L"\nElapsed time: " + strTime + L".";
            theSettings.Save();
            // What the program set right in the session after the statement succeeded.
            CString strNote = db.TakeSessionNote();
            if (!strNote.IsEmpty())
                strNote = L"\n\n" + strNote;
            if (recordset->GetColumnCount() <= 0)
            {
                CString message;
                if (nCount < 1)
                    message = L"Executed OK.\nNo rows changed." + strTime;
                else
                    message.Format(L"Executed OK.\n%d row(s) changed.%s", (int)nCount,
                                   strTime.GetString());
                AfxMessageBox(message + strNote, MB_ICONINFORMATION);
                strNote.Empty();
                bResult = true;
                if (!recordset->MoreResults() || recordset->GetColumnCount() <= 0)
                    return;
            }
            // Columns the driver hands over without part of their values say why once.
            const CString strDrops = DriverDropsNote(*recordset);
            if (!strDrops.IsEmpty())
                strNote += L"\n\n" + strDrops;
            if (!strNote.IsEmpty())
                AfxMessageBox(strNote.Mid(2), MB_ICONINFORMATION);
            CString title = text;
            FlattenSQL(title);
            Zelt::ICursor* pShown = recordset.release();
            // MySQL hands a procedure's (or a text's) further results over only after this one,
            // and takes no other statement meanwhile: the result is read whole here, as the
            // mysql client reads it, and closing it drops the rest. The window keeps the rows.
            if (db.GetDBMSKind() == DBMS_MYSQL && !IsPlainStatement(DBMS_MYSQL, text))
            {
                Zelt::CMemCursor* pMem = m_dbHelper.ReadToMemCursor(this, pShown, true);
                if (pMem == nullptr)
                    return;
                pShown = pMem;
            }
            OpenRecordsetWindow(pShown, title, 3, CStringPair(), true);
            bResult = true;
        },
        m_hWnd);
    return bResult;
}

void CMainFrame::ShowExecuted(LPCWSTR pszElapsed)
{
    CString message = L"Executed OK.";
    if (pszElapsed != nullptr && *pszElapsed != 0)
        message += CString(L"\nElapsed time: ") + pszElapsed + L".";
    AfxMessageBox(message, MB_ICONINFORMATION);
}

// ---- Script windows ---------------------------------------------------------------------------

void CMainFrame::OnNewScript()
{
    OpenSQLWindow();
}

void CMainFrame::OnOpenScript()
{
    ShowMessage(IDS_OPEN_SCRIPT_PROMPT);
    CSQLFileDialog dlg(TRUE, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING,
                       SCRIPT_ENCODING_DETECT, this);
    if (dlg.DoModal() == IDOK)
    {
        theSettings.SaveCurrentDirectory();
        OpenSQLWindow(dlg.GetPathName(), (int)dlg.GetEncoding());
    }
    ShowMessage(AFX_IDS_IDLEMESSAGE);
}

// ---- Execute SQL Script ------------------------------------------------------------------------

namespace {

// The main window's side of a script file run: message boxes, the output bar and the wait
// dialog.
class CMainFrameScriptHost : public CScriptFileHost
{
public:
    CMainFrameScriptHost(CMainFrame& frame, CRDatabase& db, LPCWSTR pszPath)
        : m_frame(frame), m_db(db), m_strPath(pszPath)
    {}
    ~CMainFrameScriptHost() override { EndProgress(); }

    int Message(LPCWSTR pszText, UINT nType) override { return AfxMessageBox(pszText, nType); }
    void ClearOutput() override
    {
        m_frame.GetOutputBar().Clear();
        m_frame.ShowControlBar(&m_frame.GetOutputBar(), TRUE, FALSE);
    }
    void AppendOutput(LPCWSTR pszText) override { m_frame.GetOutputBar().AddText(pszText); }
    bool Progress(int nCount) override
    {
        if (!m_wait)
        {
            m_wait = std::make_unique<CWaitDlg>(&m_frame, CWaitDlg::flagCancel);
            m_wait->SetProcessText(L"Executing script");
            m_wait->SetMessageText(CMainFrame::CompactPath(m_strPath));
        }
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
    void EndProgress() override
    {
        m_runner.reset();
        m_wait.reset();
    }
    int RunStatement(LPCWSTR pszSQL) override
    {
        if (!m_runner)
            // The wait dialog offers Cancel whatever the "CancelExec" option says: statements
            // run on the worker, where Cancel reaches one the server is still running (or
            // waiting on).
            m_runner = std::make_unique<CScriptStatementRunner>(m_db, true, m_wait.get());
        return (int)m_runner->Run(pszSQL);
    }
    void Beep(UINT nType) override { ::MessageBeep(nType); }

private:
    CMainFrame& m_frame;
    CRDatabase& m_db;
    CString m_strPath;
    std::unique_ptr<CWaitDlg> m_wait;
    std::unique_ptr<CScriptStatementRunner> m_runner;
    DWORD m_nLastInfo = 0;
    DWORD m_nLastPump = 0;
};

} // namespace

void CMainFrame::OnExecuteSQLScript()
{
    if (!IsConnected())
        return;
    CSQLFileDialog fileDlg(TRUE, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING,
                           SCRIPT_ENCODING_DETECT, this);
    if (fileDlg.DoModal() != IDOK)
        return;
    UpdateWindow();
    theSettings.SaveCurrentDirectory();

    CRDatabase& db = m_dbHelper.GetDatabase();
    CExecSQLScriptDlg options(&db, true, this);
    if (options.DoModal() != IDOK)
        return;

    CScriptFileRunOptions run;
    run.strPath = fileDlg.GetPathName();
    run.strSeparator = options.m_strSeparator;
    run.nEncoding = fileDlg.GetEncoding();
    run.bTransaction = options.m_bOpenTransaction != 0;
    run.bStopAfterError = options.m_bStopAfterError != 0;

    db.SetQueryTimeout(theSettings.m_nQueryTimeout);
    if (m_dbHelper.GetDBMSKind() == DBMS_MSSQL)
        m_dbHelper.GetCatalogDatabase().SetQueryTimeout(theSettings.m_nQueryTimeout);
    CMainFrameScriptHost host(*this, db, run.strPath);
    RunScriptFile(db, run, host);
}
