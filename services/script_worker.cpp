#include "services/script_worker.h"

#include "dbaccess/charset_refusal.h"
#include "dbaccess/database.h"
#include "dbaccess/error_report.h"
#include "dbaccess/further_results.h"
#include "dbaccess/sql_lexer.h"
#include "dbaccess/statement_text.h"
#include "grid/busy_connection.h"
#include "services/async_jobs.h"
#include "services/wait_dlg.h"

namespace {

// How long one side looks for the other before it blocks: most statements of a script end
// within a millisecond, and waking a blocked thread costs tens of microseconds under Wine.
const LONGLONG kSpinMicroseconds = 1000;

template <class Condition>
bool SpinFor(Condition condition)
{
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    const LONGLONG limit = frequency.QuadPart * kSpinMicroseconds / 1000000;
    for (unsigned k = 1;; ++k)
    {
        if (condition())
            return true;
        if ((k & 63) == 0)
        {
            ::QueryPerformanceCounter(&now);
            if (now.QuadPart - start.QuadPart > limit)
                return false;
            ::SwitchToThread(); // leave the processor to the other side if it needs it
        }
        else
            YieldProcessor();
    }
}

// The server's ER_UNSUPPORTED_PS: the statement cannot run as a prepared statement, the only
// way the MariaDB ODBC driver sends one (EXECUTE after PREPARE ... FROM, among others).
bool IsRefusedByStatementProtocol(SQLHSTMT hStmt)
{
    const SQLINTEGER kUnsupportedInPreparedProtocol = 1295;
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[2] = {};
    SQLSMALLINT length = 0;
    for (SQLSMALLINT record = 1;; ++record)
    {
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(SQL_HANDLE_STMT, hStmt, record, state, &native, message,
                                          2, &length)))
            return false;
        if (native == kUnsupportedInPreparedProtocol)
            return true;
    }
}

} // namespace

// One thread for the whole run. It waits for a statement, runs it on the runner's statement
// handle and marks it done; the caller pumps the wait dialog meanwhile and cancels the handle
// when the user asks.
class CScriptStatementRunner::CWorker
{
public:
    explicit CWorker(CScriptStatementRunner& runner) : m_runner(runner)
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
            ++m_nRequest;
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
        m_pszSQL = pszSQL;
        m_runner.m_stop.Clear();
        m_nErrorKind = 0;
        m_bDone = false;
        CConnectionBusyScope busy; // paint code must leave the connection to the worker
        ++m_nRequest;
        if (m_bWorkerSleeping.load())
            ::SetEvent(m_hRequest);

        SpinFor([this] { return m_bDone.load(); });
        DWORD nAsked = 0;
        // The event only wakes this thread (it may be left set from an earlier statement): the
        // flag alone says the statement has ended.
        while (!m_bDone.load())
        {
            m_bCallerSleeping = true;
            if (!m_bDone.load())
                ::WaitForSingleObject(m_hDone, 1);
            m_bCallerSleeping = false;
            if (m_bDone.load())
                break;
            // The request is made again while the statement runs (see CStatementStop).
            const DWORD now = ::GetTickCount();
            if (pWait != nullptr && pWait->PumpMessages() &&
                (!m_runner.m_stop.IsAsked() || now - nAsked >= CStatementStop::kRepeatMs))
            {
                nAsked = now;
                m_runner.m_stop.Ask();
            }
        }
        const bool bCancelled = m_runner.m_stop.IsAsked();
        m_runner.m_stop.Clear();

        switch (m_nErrorKind)
        {
        case 1:
            if (bCancelled)
                return cancelled; // the driver's answer to the cancel
            throw new Zelt::CRDBException(m_exception);
        case 2: throw new CRDatabaseHelper::CAsyncThread::CStrException(m_strError);
        case 3: throw CRDatabaseHelper::CAsyncThread::CUnknownException();
        default: return bCancelled ? cancelled : executed;
        }
    }

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam)
    {
        static_cast<CWorker*>(pParam)->Loop();
        return 0;
    }

    void Loop()
    {
        int nSeen = 0;
        for (;;)
        {
            SpinFor([this, nSeen] { return m_nRequest.load() != nSeen; });
            while (m_nRequest.load() == nSeen)
            {
                m_bWorkerSleeping = true;
                if (m_nRequest.load() == nSeen)
                    ::WaitForSingleObject(m_hRequest, INFINITE);
                m_bWorkerSleeping = false;
            }
            nSeen = m_nRequest.load();
            if (m_bQuit.load())
                return;
            RunOne();
            m_bDone = true;
            if (m_bCallerSleeping.load())
                ::SetEvent(m_hDone);
        }
    }

    void RunOne()
    {
        try
        {
            // A cancel that came before the statement started takes effect now.
            if (!m_runner.m_stop.IsAsked())
                m_runner.ExecuteDirect(m_pszSQL);
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

    CScriptStatementRunner& m_runner;
    HANDLE m_hRequest = nullptr;
    HANDLE m_hDone = nullptr;
    HANDLE m_hThread = nullptr;
    std::atomic<int> m_nRequest{0};
    std::atomic<bool> m_bQuit{false};
    std::atomic<bool> m_bDone{false};
    std::atomic<bool> m_bWorkerSleeping{false};
    std::atomic<bool> m_bCallerSleeping{false};
    LPCWSTR m_pszSQL = nullptr;
    int m_nErrorKind = 0; // 1 database error, 2 framework exception, 3 anything else
    Zelt::CRDBException m_exception{0};
    CString m_strError;
};

void RefuseClientCommand(const CRDatabase& db, LPCWSTR pszSQL)
{
    const DBMSKind kind = db.GetDBMSKind();
    if ((kind != DBMS_POSTGRESQL && kind != DBMS_MYSQL) || pszSQL == nullptr)
        return;
    CString strFirstLine = pszSQL;
    strFirstLine.Trim();
    const int nBreak = strFirstLine.FindOneOf(L"\r\n");
    if (nBreak >= 0)
        strFirstLine = strFirstLine.Left(nBreak) + L" ...";
    // No statement of either product starts with a backslash: the script reader returns the
    // client's commands it does not follow as items of their own.
    if (CSQLLexer::IsPsqlCommandLine(pszSQL, nullptr))
    {
        const LPCWSTR pszClient = kind == DBMS_POSTGRESQL ? L"psql" : L"the mysql client";
        // mysql's \q, or its quit and exit by name (the reader puts a backslash before those).
        const bool bQuit = CSQLLexer::IsPsqlCommandLine(
            pszSQL, kind == DBMS_POSTGRESQL ? L"q\0quit\0" : L"q\0quit\0exit\0");
        if (bQuit)
            throw new Zelt::CRDBException(L"\"" + strFirstLine + L"\" ends the script: " +
                                          pszClient +
                                          L" runs nothing after it, and nothing after it was "
                                          L"run.");
        throw new Zelt::CRDBException(L"\"" + strFirstLine +
                                      L"\" was not run: it is a command of " + pszClient +
                                      L", not SQL.");
    }
    if (CSQLLexer::IsCopyFromClient(pszSQL, kind == DBMS_POSTGRESQL ? SQL_LEX_POSTGRESQL : 0))
        throw new Zelt::CRDBException(
            L"The statement \"" + strFirstLine +
            L"\" was not run: COPY ... FROM STDIN reads its rows from the client program, and "
            L"an ODBC connection cannot send them. Load such rows with psql, or write them as "
            L"INSERT statements (pg_dump --inserts).");
}

CScriptStatementRunner::CScriptStatementRunner(CRDatabase& db, bool bCancelable, CWaitDlg* pWait)
    : m_db(db), m_bCancelable(bCancelable), m_pWait(pWait)
{}

CScriptStatementRunner::~CScriptStatementRunner()
{
    m_worker.reset();
    if (m_hStmt != SQL_NULL_HSTMT)
    {
        // Freeing a statement reaches the server (psqlODBC closes its cursor).
        m_db.HoldReadAheads();
        SQLFreeStmt(m_hStmt, SQL_DROP);
    }
}

void CScriptStatementRunner::AllocStatement()
{
    if (m_hStmt != SQL_NULL_HSTMT)
        return;
    SQLRETURN nRet;
    do
        nRet = SQLAllocStmt(m_db.GetConnectionHandle(), &m_hStmt);
    while (nRet == SQL_STILL_EXECUTING);
    if (!SQL_SUCCEEDED(nRet))
    {
        m_hStmt = SQL_NULL_HSTMT;
        auto* pException = new Zelt::CRDBException(nRet);
        pException->BuildErrorString(&m_db, SQL_NULL_HSTMT);
        throw pException;
    }
    SQLSetStmtOption(m_hStmt, SQL_QUERY_TIMEOUT, m_db.GetQueryTimeout());
    m_db.AskWholeRead(m_hStmt);
}

void CScriptStatementRunner::ExecuteDirect(LPCWSTR pszSQL)
{
    // Run has held the reads ahead already, but on the caller's thread: one may have started
    // since.
    m_db.HoldReadAheads();
    SQLRETURN nRet;
    {
        CStatementStop::CRunning running(m_stop, m_db.CancelHandleFor(m_hStmt));
        do
            nRet = ExecDirectText(&m_db, m_hStmt, pszSQL);
        while (nRet == SQL_STILL_EXECUTING);
    }
    // SQL_NO_DATA: an UPDATE or DELETE that found no row.
    if ((SQL_SUCCEEDED(nRet) || nRet == SQL_NO_DATA) &&
        MayAskFurtherResults(&m_db, m_hStmt, pszSQL))
    {
        // The statement's later results are read to their end: a procedure that returns rows
        // and then fails (MariaDB's SIGNAL after a SELECT in a CALL) reports its error only
        // there, and closing the statement would drop it. Their rows are discarded.
        CStatementStop::CRunning running(m_stop, m_db.CancelHandleFor(m_hStmt));
        do
            nRet = SQLMoreResults(m_hStmt);
        while (SQL_SUCCEEDED(nRet) || nRet == SQL_STILL_EXECUTING);
        if (IsDriverFault(nRet))
        {
            // The handle is left as the driver left it: touching it again may fault again.
            m_hStmt = SQL_NULL_HSTMT;
            m_strDriverNote = DriverFaultText(L"SQLMoreResults", nRet);
            return;
        }
    }
    if (nRet == SQL_ERROR && IsRefusedCharacterSetChange(m_db, m_hStmt, pszSQL))
    {
        m_bCharacterSetKept = true;
        m_db.HoldReadAheads();
        SQLFreeStmt(m_hStmt, SQL_CLOSE);
        return;
    }
    if (!SQL_SUCCEEDED(nRet) && nRet != SQL_NO_DATA)
    {
        auto* pException = new Zelt::CRDBException(nRet);
        pException->BuildErrorString(&m_db, m_hStmt);
        if (m_db.GetDBMSKind() == DBMS_MYSQL && IsRefusedByStatementProtocol(m_hStmt))
            pException->m_strError += L"\r\nMariaDB's ODBC driver sends every statement as a "
                                      L"prepared statement, and the server runs no EXECUTE (nor "
                                      L"another statement it cannot prepare) sent so. Run such "
                                      L"statements with the mysql client.";
        m_db.HoldReadAheads();
        SQLFreeStmt(m_hStmt, SQL_CLOSE);
        throw pException;
    }
    // A result read ahead may have started on another thread while the statement ran.
    m_db.HoldReadAheads();
    SQLFreeStmt(m_hStmt, SQL_CLOSE);
}

CScriptStatementRunner::Result CScriptStatementRunner::Run(LPCWSTR pszSQL)
{
    RefuseClientCommand(m_db, pszSQL);
    // Before the worker may take the connection: results part read are read on this thread.
    m_db.BeforeStatement();
    m_db.FollowStatementStart(pszSQL);
    Result result = executed;
    m_bCharacterSetKept = false;
    m_strDriverNote.Empty();
    try
    {
        // One statement handle for the whole run: allocating one per statement costs more ODBC
        // calls than a short INSERT itself.
        AllocStatement();
        if (!m_bCancelable)
            ExecuteDirect(pszSQL);
        else
        {
            if (!m_worker)
                m_worker = std::make_unique<CWorker>(*this);
            if (!m_worker->IsRunning())
                AfxThrowResourceException();
            result = m_worker->Run(pszSQL, m_pWait);
        }
    }
    catch (...)
    {
        m_db.AfterFailedStatement(pszSQL);
        throw;
    }
    // A cancelled statement may have run in part: the server knows.
    if (result == executed)
        m_db.AfterStatement(pszSQL, true);
    else
        m_db.AfterFailedStatement(pszSQL);
    if (m_bCharacterSetKept)
        m_db.AddSessionNote(CharacterSetKeptNote(m_db, pszSQL));
    if (!m_strDriverNote.IsEmpty())
        m_db.AddSessionNote(m_strDriverNote);
    return result;
}
