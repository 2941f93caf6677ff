// The job runner and the jobs of CRDatabaseHelper.
#include "services/async_jobs.h"

#include "controls/utility.h"
#include "dbaccess/catalog.h"
#include "dbaccess/error_report.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "grid/busy_connection.h"
#include "services/wait_dlg.h"

// ---- CAsyncThread ------------------------------------------------------------------------------

BOOL CRDatabaseHelper::CAsyncThread::CStrException::GetErrorMessage(LPWSTR pszError, UINT nMaxError,
                                                                    PUINT pnHelpContext) const
{
    CopyErrorMessage(m_strMessage, pszError, nMaxError, pnHelpContext);
    return TRUE;
}

BOOL CRDatabaseHelper::CAsyncThread::CStrException::GetErrorMessage(LPWSTR pszError, UINT nMaxError,
                                                                    PUINT pnHelpContext)
{
    CopyErrorMessage(m_strMessage, pszError, nMaxError, pnHelpContext);
    return TRUE;
}

int CRDatabaseHelper::CAsyncThread::CStrException::ReportError(UINT nType, UINT nMessageID)
{
    (void)nMessageID;
    CWnd* pMain = AfxGetMainWnd();
    return ::MessageBoxW(pMain != nullptr ? pMain->GetSafeHwnd() : nullptr, m_strMessage,
                         AfxGetAppName(), nType);
}

CRDatabaseHelper::CAsyncThread::CAsyncThread() = default;

CRDatabaseHelper::CAsyncThread::~CAsyncThread() = default;

void CRDatabaseHelper::CAsyncThread::SetError(DWORD nCode, LPCWSTR pszText)
{
    m_nErrorCode = nCode;
    m_strErrorText = pszText;
}

void CRDatabaseHelper::CAsyncThread::SetLastErrorText()
{
    const DWORD nCode = ::GetLastError();
    SetError(nCode, ::GetErrorText(nCode));
}

UINT CRDatabaseHelper::CAsyncThread::ThreadProc(LPVOID pParam)
{
    CAsyncThread* pJob = static_cast<CAsyncThread*>(pParam);
    if (pJob == nullptr)
        return 0;
    try
    {
        pJob->m_bResult = pJob->Run();
    }
    catch (Zelt::CRDBException* e)
    {
        CExceptionHolder held(e);
        pJob->m_dbException = *e;
        pJob->m_nErrorKind = 1;
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        wchar_t text[1025] = {};
        e->GetErrorMessage(text, 1024);
        pJob->m_strException.m_strMessage = text;
        pJob->m_nErrorKind = 2;
    }
    catch (...)
    {
        pJob->m_nErrorKind = 3;
    }
    return 0;
}

bool CRDatabaseHelper::CAsyncThread::Execute(CAsyncThread* pJob, CWaitDlg* pWait, bool bShowElapsed)
{
    pJob->m_bCancel = false;
    CWinThread* pThread = AfxBeginThread(&CAsyncThread::ThreadProc, pJob, THREAD_PRIORITY_NORMAL, 0,
                                         CREATE_SUSPENDED);
    if (pThread == nullptr)
    {
        pJob->SetLastErrorText();
        return false;
    }
    pThread->m_bAutoDelete = FALSE;
    {
        // Paint code on this thread must leave the connection to the worker.
        CConnectionBusyScope busy;
        pThread->ResumeThread();
        DWORD nAsked = 0;
        while (::WaitForSingleObject(pThread->m_hThread, 1) == WAIT_TIMEOUT)
        {
            if (pWait == nullptr)
                continue;
            if (pWait->PumpMessages())
            {
                // An accepted request is made again while the job runs (see CStatementStop).
                const DWORD now = ::GetTickCount();
                if (!pJob->m_bCancel.load())
                {
                    if (pJob->Cancel())
                    {
                        pJob->m_bCancel = true;
                        nAsked = now;
                    }
                }
                else if (now - nAsked >= CStatementStop::kRepeatMs)
                {
                    pJob->Cancel();
                    nAsked = now;
                }
            }
            if (bShowElapsed)
                pWait->UpdateElapsed();
        }
    }
    delete pThread;

    switch (pJob->m_nErrorKind)
    {
    case 1: throw new Zelt::CRDBException(pJob->m_dbException);
    case 2: throw new CStrException(pJob->m_strException.m_strMessage);
    case 3: throw CUnknownException();
    default: return pJob->m_bResult;
    }
}

// ---- The jobs ----------------------------------------------------------------------------------

CRDatabaseHelper::CStatementAsyncThread::CStatementAsyncThread(CRRecordset* pRecordset)
    : m_pRecordset(pRecordset)
{
    m_pRecordset->ClearStopRequest();
}

// After the worker ended: a request made as the statement finished must not stop a later one.
CRDatabaseHelper::CStatementAsyncThread::~CStatementAsyncThread()
{
    m_pRecordset->ClearStopRequest();
}

bool CRDatabaseHelper::CStatementAsyncThread::Cancel()
{
    m_pRecordset->AskToStop();
    return true;
}

CRDatabaseHelper::CRecordsetAsyncThread::CRecordsetAsyncThread(CRRecordset* pRecordset,
                                                               LPCWSTR pszSQL, UINT nCursorType,
                                                               UINT nOptions)
    : CStatementAsyncThread(pRecordset), m_strSQL(pszSQL), m_nCursorType(nCursorType),
      m_nOptions(nOptions)
{}

bool CRDatabaseHelper::CRecordsetAsyncThread::Run()
{
    return m_pRecordset->Open(m_strSQL, m_nCursorType, m_nOptions);
}

bool CRDatabaseHelper::CProcAsyncThread::Run()
{
    return m_pRecordset->Execute();
}

bool CRDatabaseHelper::CReadCursorAsyncThread::Run()
{
    if (!m_pCursor->MoveFirst() || m_pCursor->IsEOF())
        return true;
    while (!m_bCancel.load())
    {
        if (!m_pCursor->MoveNext() || m_pCursor->IsEOF())
            break;
    }
    return true;
}

CRDatabaseHelper::CConnectAsyncThread::CConnectAsyncThread(CRDatabaseHelper* pHelper,
                                                           LPCWSTR pszConnect, HWND hWnd,
                                                           UINT nConnectionTimeout,
                                                           UINT nLoginTimeout, UINT nQueryTimeout)
    : m_pHelper(pHelper), m_strConnect(pszConnect), m_hWnd(hWnd),
      m_nConnectionTimeout(nConnectionTimeout), m_nLoginTimeout(nLoginTimeout),
      m_nQueryTimeout(nQueryTimeout)
{}

bool CRDatabaseHelper::CConnectAsyncThread::Run()
{
    return m_pHelper->Connect(m_strConnect, m_hWnd, m_nConnectionTimeout, m_nLoginTimeout,
                              m_nQueryTimeout);
}

bool CRDatabaseHelper::CConnectAsyncThread::Cancel()
{
    const CancelHandleProc pfnCancel = m_pHelper->GetCancelHandleProc();
    if (pfnCancel == nullptr)
        return true;
    SQLHDBC hDbc = m_pHelper->m_dbCatalog.GetConnectionHandle();
    if (hDbc == SQL_NULL_HDBC)
        hDbc = m_pHelper->m_db.GetConnectionHandle();
    return SQL_SUCCEEDED(pfnCancel(SQL_HANDLE_DBC, hDbc));
}

bool CRDatabaseHelper::CReconnectAsyncThread::Run()
{
    return m_pHelper->DoReconnect(m_hWnd, m_nConnectionTimeout, m_nLoginTimeout, m_nQueryTimeout);
}

// ---- Blocking entry points ---------------------------------------------------------------------

namespace {

// Runs a job whose cancel makes the driver fail the running call. A database error after an
// accepted cancel is that failure (57014, HY008, HY018, S1000 ... by driver), not something to
// show: the call reports false with *pbCancelled set instead.
bool ExecuteCancellable(CRDatabaseHelper::CAsyncThread& job, CWaitDlg* pWait, bool bShowElapsed,
                        bool* pbCancelled)
{
    bool bResult = false;
    try
    {
        bResult = CRDatabaseHelper::CAsyncThread::Execute(&job, pWait, bShowElapsed);
    }
    catch (Zelt::CRDBException* e)
    {
        if (!job.IsCancelled())
            throw;
        CExceptionHolder held(e);
        bResult = false;
    }
    if (pbCancelled != nullptr)
        *pbCancelled = job.IsCancelled();
    return bResult;
}

} // namespace

bool CRDatabaseHelper::OpenRecordset(CRRecordset* pRecordset, LPCWSTR pszSQL, UINT nCursorType,
                                     UINT nOptions, CWaitDlg* pWait, bool* pbCancelled)
{
    if (pbCancelled != nullptr)
        *pbCancelled = false;
    // Results part read belong to this thread's windows: they are read here, not on the worker.
    if (!(nOptions & (RS_DECLARED_COLUMNS | RS_WINDOW_READ)) && pRecordset != nullptr &&
        pRecordset->GetDatabase())
        pRecordset->GetDatabase()->BeforeStatement();
    CRecordsetAsyncThread job(pRecordset, pszSQL, nCursorType, nOptions);
    if (pWait != nullptr)
        return ExecuteCancellable(job, pWait, false, pbCancelled);
    CWaitDlg dlg(nullptr, CWaitDlg::flagCancel);
    dlg.SetProcessText(L"Executing...");
    return ExecuteCancellable(job, &dlg, true, pbCancelled);
}

bool CRDatabaseHelper::ExecuteProcedure(CRRecordset* pRecordset, CWnd* pParent, bool* pbCancelled)
{
    if (pbCancelled != nullptr)
        *pbCancelled = false;
    if (pRecordset != nullptr && pRecordset->GetDatabase())
        pRecordset->GetDatabase()->BeforeStatement();
    CProcAsyncThread job(pRecordset);
    CWaitDlg dlg(pParent, CWaitDlg::flagCancel);
    dlg.SetProcessText(L"Executing...");
    return ExecuteCancellable(job, &dlg, true, pbCancelled);
}

Zelt::CMemCursor* CRDatabaseHelper::ReadToMemCursor(CWnd* pParent, Zelt::ICursor* pSource,
                                                    bool bProgress)
{
    auto* pMem = new Zelt::CMemCursor(std::unique_ptr<Zelt::ICursor>(pSource));
    std::unique_ptr<Zelt::CMemCursor> mem(pMem);
    if (mem->GetColumnCount() <= 0)
        return nullptr;
    if (!bProgress)
    {
        mem->MoveFirst();
        return mem.release();
    }
    CReadCursorAsyncThread job(pMem);
    CWaitDlg dlg(pParent, CWaitDlg::flagCancel);
    dlg.SetProcessText(L"Reading data...");
    const bool bResult = CAsyncThread::Execute(&job, &dlg, true);
    if (!bResult || job.IsCancelled())
        return nullptr;
    return mem.release();
}

bool CRDatabaseHelper::ConnectAsync(LPCWSTR pszConnect, CWnd* pParent, UINT nConnectionTimeout,
                                    UINT nLoginTimeout, UINT nQueryTimeout, bool* pbCancelled)
{
    if (pbCancelled != nullptr)
        *pbCancelled = false;
    // Without SQLCancelHandle (Wine's driver manager has none) a connect cannot be stopped, so
    // the dialog offers no Cancel.
    const UINT nFlags =
        IsCancelExecEnabled() && m_pfnCancelHandle != nullptr ? CWaitDlg::flagCancel : 0;
    CWaitDlg dlg(pParent, nFlags);
    dlg.SetProcessText(L"Connecting to database...");
    CConnectAsyncThread job(this, pszConnect, dlg.GetSafeHwnd(), nConnectionTimeout, nLoginTimeout,
                            nQueryTimeout);
    return ExecuteCancellable(job, &dlg, true, pbCancelled);
}

bool CRDatabaseHelper::Reconnect(CWnd* pParent, UINT nConnectionTimeout, UINT nLoginTimeout,
                                 UINT nQueryTimeout, bool* pbCancelled)
{
    if (pbCancelled != nullptr)
        *pbCancelled = false;
    CWaitDlg dlg(pParent, 0);
    dlg.SetProcessText(L"Connecting to database...");
    CReconnectAsyncThread job(this, dlg.GetSafeHwnd(), nConnectionTimeout, nLoginTimeout,
                              nQueryTimeout);
    return ExecuteCancellable(job, &dlg, true, pbCancelled);
}

bool CRDatabaseHelper::RunCatalogRead(CWaitHolder* pWait, const std::function<bool()>& read)
{
    try
    {
        if (!IsCancelExecEnabled())
            return read();
        CCatalogAsyncThread job(read);
        return CAsyncThread::Execute(&job, pWait != nullptr ? pWait->GetWaitDlg() : nullptr, false);
    }
    catch (Zelt::CRDBException* e)
    {
        // The program's own catalog queries fail there too, with the server's 25P02.
        SayAbortedCatalogRead(&GetCatalogDatabase(), *e);
        throw;
    }
}
