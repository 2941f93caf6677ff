#include "services/script_worker.h"

#include "dbaccess/database.h"
#include "dbaccess/error_report.h"
#include "dbaccess/recordset.h"
#include "grid/busy_connection.h"
#include "services/async_jobs.h"
#include "services/wait_dlg.h"

#include <mutex>

// One thread for the whole run: it waits for a statement, opens it as an unbound forward-only
// recordset, closes it and signals the caller. The caller pumps the wait dialog meanwhile.
class CScriptStatementRunner::CWorker
{
public:
    explicit CWorker(CRDatabase& db) : m_db(db)
    {
        m_hRequest = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_hDone = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_hThread = ::CreateThread(nullptr, 0, &CWorker::ThreadProc, this, 0, nullptr);
    }
    ~CWorker()
    {
        if (m_hThread != nullptr)
        {
            m_bQuit = true;
            ::SetEvent(m_hRequest);
            ::WaitForSingleObject(m_hThread, INFINITE);
            ::CloseHandle(m_hThread);
        }
        ::CloseHandle(m_hRequest);
        ::CloseHandle(m_hDone);
    }
    bool IsRunning() const { return m_hThread != nullptr; }

    Result Run(LPCWSTR pszSQL, CWaitDlg* pWait)
    {
        m_strSQL = pszSQL;
        m_bCancelRequested = false;
        m_nErrorKind = 0;
        m_bDone = false;
        CConnectionBusyScope busy; // paint code must leave the connection to the worker
        ::SetEvent(m_hRequest);

        // Most statements of a script end within microseconds: look at the flag for a moment
        // before waiting in steps of a millisecond with the dialog pumped between them.
        for (int spin = 0; spin < 200 && !m_bDone.load(); ++spin)
            ::SwitchToThread();
        while (!m_bDone.load())
        {
            if (::WaitForSingleObject(m_hDone, 1) == WAIT_OBJECT_0)
                break;
            if (pWait != nullptr && pWait->PumpMessages() && !m_bCancelRequested.load())
            {
                m_bCancelRequested = true;
                CancelRunning();
            }
        }
        ::WaitForSingleObject(m_hDone, 0); // the event may still be set after the flag was seen

        const bool bCancelled = m_bCancelRequested.load();
        switch (m_nErrorKind)
        {
        case 1:
            if (bCancelled)
                return cancelled; // the driver's answer to the cancel
            throw new Zelt::CRDBException(m_exception);
        case 2: throw new CRDatabaseHelper::CAsyncThread::CStrException(m_strError);
        case 3: throw CRDatabaseHelper::CAsyncThread::CUnknownException();
        default: break;
        }
        if (bCancelled)
            return cancelled;
        return m_bResult ? executed : openFailed;
    }

private:
    void CancelRunning()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pRunning != nullptr && m_pRunning->GetStmtHandle() != SQL_NULL_HSTMT)
            SQLCancel(m_pRunning->GetStmtHandle());
    }

    static DWORD WINAPI ThreadProc(LPVOID pParam)
    {
        static_cast<CWorker*>(pParam)->Loop();
        return 0;
    }

    void Loop()
    {
        for (;;)
        {
            ::WaitForSingleObject(m_hRequest, INFINITE);
            if (m_bQuit.load())
                return;
            RunOne();
            m_bDone = true;
            ::SetEvent(m_hDone);
        }
    }

    void RunOne()
    {
        m_bResult = false;
        try
        {
            CRRecordset recordset(&m_db);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_pRunning = &recordset;
            }
            struct CClear
            {
                CWorker* p;
                ~CClear()
                {
                    std::lock_guard<std::mutex> lock(p->m_mutex);
                    p->m_pRunning = nullptr;
                }
            } clear{this};
            // A cancel that came before the statement handle existed takes effect now.
            if (!m_bCancelRequested.load())
                m_bResult = recordset.Open(m_strSQL, RS_FORWARD_ONLY, RS_UNBOUND);
        }
        catch (Zelt::CRDBException* e)
        {
            CExceptionHolder held(e);
            m_exception = *e;
            m_nErrorKind = 1;
        }
        catch (CException* e)
        {
            CExceptionHolder held(e);
            wchar_t text[1025] = {};
            e->GetErrorMessage(text, 1024);
            m_strError = text;
            m_nErrorKind = 2;
        }
        catch (...)
        {
            m_nErrorKind = 3;
        }
    }

    CRDatabase& m_db;
    HANDLE m_hRequest = nullptr;
    HANDLE m_hDone = nullptr;
    HANDLE m_hThread = nullptr;
    std::atomic<bool> m_bQuit{false};
    std::atomic<bool> m_bDone{false};
    std::atomic<bool> m_bCancelRequested{false};
    std::mutex m_mutex;
    CRRecordset* m_pRunning = nullptr; // guarded by m_mutex
    CString m_strSQL;
    bool m_bResult = false;
    int m_nErrorKind = 0; // 1 database error, 2 framework exception, 3 anything else
    Zelt::CRDBException m_exception{0};
    CString m_strError;
};

CScriptStatementRunner::CScriptStatementRunner(CRDatabase& db, bool bCancelable, CWaitDlg* pWait)
    : m_db(db), m_bCancelable(bCancelable), m_pWait(pWait)
{}

CScriptStatementRunner::~CScriptStatementRunner() = default;

CScriptStatementRunner::Result CScriptStatementRunner::Run(LPCWSTR pszSQL)
{
    if (!m_bCancelable)
    {
        m_db.ExecuteSQL(pszSQL);
        return executed;
    }
    if (!m_worker)
        m_worker = std::make_unique<CWorker>(m_db);
    if (!m_worker->IsRunning())
        AfxThrowResourceException();
    return m_worker->Run(pszSQL, m_pWait);
}
