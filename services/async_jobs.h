// The background jobs of CRDatabaseHelper: long database work runs on a worker thread while the
// user-interface thread waits in CAsyncThread::Execute, keeping the wait dialog alive and turning
// its Cancel button into a driver-level cancel.
//
// A job is built on the stack of a blocking entry point, run once and destroyed when the entry
// point returns. The only member both threads touch while it runs is the cancel flag (atomic).
// Exceptions raised by Run are caught on the worker, stored in the job and raised again on the
// waiting thread: a database error as a new Zelt::CRDBException*, another framework exception as
// a new CStrException*, anything else as a CUnknownException by value.
#pragma once

#include "services/database_helper.h"

#include "dbaccess/db_exception.h"

#include <atomic>
#include <functional>

class CRDatabaseHelper::CAsyncThread
{
public:
    // A framework exception of the worker, carried over as its message.
    class CStrException : public CException
    {
    public:
        CStrException() : CException(TRUE) {}
        explicit CStrException(LPCWSTR pszMessage) : CException(TRUE), m_strMessage(pszMessage) {}
        BOOL GetErrorMessage(LPWSTR pszError, UINT nMaxError,
                             PUINT pnHelpContext = nullptr) const override;
        BOOL GetErrorMessage(LPWSTR pszError, UINT nMaxError,
                             PUINT pnHelpContext = nullptr) override;
        int ReportError(UINT nType = MB_OK, UINT nMessageID = 0) override;

        CString m_strMessage;
    };
    // Anything else the worker threw.
    class CUnknownException
    {};

    CAsyncThread();
    virtual ~CAsyncThread();
    CAsyncThread(const CAsyncThread&) = delete;
    CAsyncThread& operator=(const CAsyncThread&) = delete;

    // The work; runs on the worker thread.
    virtual bool Run() = 0;
    // Asks the driver to stop; runs on the user-interface thread while Run is inside the driver.
    // True when the request was accepted (the cancel flag is then set); an accepted request is
    // made again every CStatementStop::kRepeatMs while the job runs.
    virtual bool Cancel() = 0;

    // Runs the job on a worker and waits for it, pumping pWait (may be null: then nothing is
    // dispatched until the job ends). Returns the job's result or throws as described above;
    // false with the system error stored when no thread could be started.
    static bool Execute(CAsyncThread* pJob, CWaitDlg* pWait, bool bShowElapsed);
    // The worker thread's procedure; pParam is the job.
    static UINT ThreadProc(LPVOID pParam);

    bool IsCancelled() const { return m_bCancel.load(); }
    bool GetResult() const { return m_bResult; }
    // Kind of what Run threw: 0 nothing, 1 database error, 2 framework exception, 3 other.
    UINT GetErrorKind() const { return m_nErrorKind; }
    DWORD GetErrorCode() const { return m_nErrorCode; }
    const CString& GetErrorText() const { return m_strErrorText; }
    // Stores the calling thread's last system error and its text.
    void SetLastErrorText();
    void SetError(DWORD nCode, LPCWSTR pszText);

protected:
    bool m_bResult = false;
    DWORD m_nErrorCode = 0;
    CString m_strErrorText;
    std::atomic<bool> m_bCancel{false};
    UINT m_nErrorKind = 0;
    Zelt::CRDBException m_dbException{0};
    CStrException m_strException;
};

// A job that runs one statement of a recordset; Cancel is the recordset's AskToStop, accepted
// at once: a statement not yet sent then does not run.
class CRDatabaseHelper::CStatementAsyncThread : public CRDatabaseHelper::CAsyncThread
{
public:
    explicit CStatementAsyncThread(CRRecordset* pRecordset);
    ~CStatementAsyncThread() override;
    bool Cancel() override;

protected:
    CRRecordset* m_pRecordset;
};

// CRRecordset::Open of a SQL text.
class CRDatabaseHelper::CRecordsetAsyncThread : public CRDatabaseHelper::CStatementAsyncThread
{
public:
    CRecordsetAsyncThread(CRRecordset* pRecordset, LPCWSTR pszSQL, UINT nCursorType, UINT nOptions);
    bool Run() override;

protected:
    CString m_strSQL;
    UINT m_nCursorType;
    UINT m_nOptions;
};

// CRRecordset::Execute of a prepared statement.
class CRDatabaseHelper::CProcAsyncThread : public CRDatabaseHelper::CStatementAsyncThread
{
public:
    explicit CProcAsyncThread(CRRecordset* pRecordset) : CStatementAsyncThread(pRecordset) {}
    bool Run() override;
};

// Reads every row of a memory cursor's source; the cancel flag alone stops it.
class CRDatabaseHelper::CReadCursorAsyncThread : public CRDatabaseHelper::CAsyncThread
{
public:
    explicit CReadCursorAsyncThread(Zelt::CMemCursor* pCursor) : m_pCursor(pCursor) {}
    bool Run() override;
    bool Cancel() override { return true; }

protected:
    Zelt::CMemCursor* m_pCursor;
};

// CRDatabaseHelper::Connect; Cancel is SQLCancelHandle on the connection being opened.
class CRDatabaseHelper::CConnectAsyncThread : public CRDatabaseHelper::CAsyncThread
{
public:
    CConnectAsyncThread(CRDatabaseHelper* pHelper, LPCWSTR pszConnect, HWND hWnd,
                        UINT nConnectionTimeout, UINT nLoginTimeout, UINT nQueryTimeout);
    bool Run() override;
    bool Cancel() override;

protected:
    CRDatabaseHelper* m_pHelper;
    CString m_strConnect;
    HWND m_hWnd;
    UINT m_nConnectionTimeout;
    UINT m_nLoginTimeout;
    UINT m_nQueryTimeout;
};

// CRDatabaseHelper::DoReconnect; Cancel as the connect job.
class CRDatabaseHelper::CReconnectAsyncThread : public CRDatabaseHelper::CConnectAsyncThread
{
public:
    CReconnectAsyncThread(CRDatabaseHelper* pHelper, HWND hWnd, UINT nConnectionTimeout,
                          UINT nLoginTimeout, UINT nQueryTimeout)
        : CConnectAsyncThread(pHelper, L"", hWnd, nConnectionTimeout, nLoginTimeout, nQueryTimeout)
    {}
    bool Run() override;
};

// One catalog read; catalog reads cannot be cancelled.
class CRDatabaseHelper::CCatalogAsyncThread : public CRDatabaseHelper::CAsyncThread
{
public:
    explicit CCatalogAsyncThread(std::function<bool()> read) : m_read(std::move(read)) {}
    bool Run() override { return m_read(); }
    bool Cancel() override { return false; }

protected:
    std::function<bool()> m_read;
};
