// What the job and wait-dialog tests share: a job made of a function, a thread that answers or
// presses buttons of the program's windows while the test thread waits in a job.
#pragma once

#include "services/async_jobs.h"
#include "services/wait_dlg.h"
#include "tests/support/wait_for.h"

#include <atomic>
#include <functional>
#include <thread>

namespace qljobs {

// A job whose work and cancel are functions.
class CFunctionJob : public CRDatabaseHelper::CAsyncThread
{
public:
    explicit CFunctionJob(std::function<bool()> run, std::function<bool()> cancel = nullptr)
        : m_run(std::move(run)), m_cancel(std::move(cancel))
    {}
    bool Run() override { return m_run(); }
    bool Cancel() override { return m_cancel ? m_cancel() : true; }
    bool CancelFlag() const { return IsCancelled(); }

private:
    std::function<bool()> m_run;
    std::function<bool()> m_cancel;
};

// A top-level window of the thread other than the given one with the dialog class (a message
// box), or null.
inline HWND FindMessageBox(DWORD threadId, HWND except)
{
    struct Search
    {
        HWND except;
        HWND found = nullptr;
    } search{except};
    ::EnumThreadWindows(
        threadId,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t cls[32] = {};
            ::GetClassNameW(hWnd, cls, 32);
            if (hWnd != s->except && wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(hWnd))
            {
                s->found = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Presses Cancel in the thread's wait dialog once it shows and answers its question with Yes;
// true when the question was answered. Runs on a helper thread while the test thread waits.
inline bool PressCancelAndAnswerYes(DWORD uiThread)
{
    HWND hDlg = nullptr;
    for (int i = 0; i < 4000 && hDlg == nullptr; ++i, ::Sleep(5))
    {
        hDlg = ::FindWindowW(L"#32770", L"Please wait...");
        if (hDlg != nullptr && ::GetWindowThreadProcessId(hDlg, nullptr) != uiThread)
            hDlg = nullptr;
    }
    if (hDlg == nullptr)
        return false;
    ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 4000; ++i, ::Sleep(5))
        if (HWND hBox = FindMessageBox(uiThread, hDlg))
        {
            ::PostMessageW(hBox, WM_COMMAND, IDYES, 0);
            return true;
        }
    return false;
}

// A session of its own that asks the server, again and again, whether a statement the test
// started elsewhere has begun to run. A Cancel pressed before that would stop nothing: the
// driver's cancel of a statement not yet sent is no error, and the statement runs to its end.
class CServerProbe
{
public:
    explicit CServerProbe(const CString& connect)
    {
        ::SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv);
        ::SQLSetEnvAttr(m_hEnv, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        ::SQLAllocHandle(SQL_HANDLE_DBC, m_hEnv, &m_hDbc);
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        m_bOpen =
            SQL_SUCCEEDED(::SQLDriverConnectW(m_hDbc, nullptr, (SQLWCHAR*)(LPCWSTR)connect, SQL_NTS,
                                              out, 1024, &outLength, SQL_DRIVER_NOPROMPT));
    }
    ~CServerProbe()
    {
        if (m_bOpen)
            ::SQLDisconnect(m_hDbc);
        ::SQLFreeHandle(SQL_HANDLE_DBC, m_hDbc);
        ::SQLFreeHandle(SQL_HANDLE_ENV, m_hEnv);
    }
    CServerProbe(const CServerProbe&) = delete;
    CServerProbe& operator=(const CServerProbe&) = delete;

    // True when the statement succeeds and its first value is a number above zero.
    bool Counts(LPCWSTR sql) const
    {
        SQLHSTMT hStmt = SQL_NULL_HSTMT;
        if (!m_bOpen || !SQL_SUCCEEDED(::SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &hStmt)))
            return false;
        SQLINTEGER value = 0;
        SQLLEN indicator = 0;
        const bool counted =
            SQL_SUCCEEDED(::SQLExecDirectW(hStmt, (SQLWCHAR*)sql, SQL_NTS)) &&
            SQL_SUCCEEDED(::SQLFetch(hStmt)) &&
            SQL_SUCCEEDED(::SQLGetData(hStmt, 1, SQL_C_SLONG, &value, 0, &indicator)) &&
            indicator != SQL_NULL_DATA && value > 0;
        ::SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
        return counted;
    }
    // True when the statement fails (a lock another session holds refuses it).
    bool Refused(LPCWSTR sql) const
    {
        SQLHSTMT hStmt = SQL_NULL_HSTMT;
        if (!m_bOpen || !SQL_SUCCEEDED(::SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &hStmt)))
            return false;
        const bool refused = !SQL_SUCCEEDED(::SQLExecDirectW(hStmt, (SQLWCHAR*)sql, SQL_NTS));
        ::SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
        return refused;
    }
    // Polls until the condition holds; the time-out is there for a hang only.
    bool WaitUntil(const std::function<bool()>& condition) const
    {
        return m_bOpen && ql::WaitFor(condition, 30000);
    }

private:
    SQLHENV m_hEnv = SQL_NULL_HENV;
    SQLHDBC m_hDbc = SQL_NULL_HDBC;
    bool m_bOpen = false;
};

// The statement carrying the tag (a string literal in its text) runs in another session: the
// server's list of sessions, asked until it counts one.
inline bool WaitUntilSessionRuns(const CString& connect, const CString& countSql)
{
    CServerProbe probe(connect);
    return probe.WaitUntil([&] { return probe.Counts(countSql); });
}

inline bool WaitUntilPostgresRuns(const CString& connect, const CString& tag)
{
    return WaitUntilSessionRuns(connect, L"SELECT count(*) FROM pg_stat_activity WHERE state = "
                                         L"'active' AND pid <> pg_backend_pid() AND query LIKE '%" +
                                             tag + L"%'");
}

inline bool WaitUntilMariaDBRuns(const CString& connect, const CString& tag)
{
    return WaitUntilSessionRuns(connect, L"SELECT count(*) FROM information_schema.PROCESSLIST "
                                         L"WHERE ID <> CONNECTION_ID() AND INFO LIKE '%" +
                                             tag + L"%'");
}

// A SQLite statement that reads a table holds the file's shared lock while it runs: until it
// ends, another connection cannot take the file for itself.
inline bool WaitUntilSQLiteReads(const CString& connect)
{
    // A short busy time-out: the probe asks, it does not wait for the lock.
    CServerProbe probe(connect + L"Timeout=1;");
    return probe.WaitUntil([&] {
        if (probe.Refused(L"BEGIN EXCLUSIVE"))
            return true;
        probe.Refused(L"ROLLBACK");
        return false;
    });
}

// Runs an action on another thread; joined by the destructor.
class CLater
{
public:
    explicit CLater(std::function<void()> action) : m_thread(std::move(action)) {}
    ~CLater() { m_thread.join(); }

private:
    std::thread m_thread;
};

} // namespace qljobs
