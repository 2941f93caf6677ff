// The job runner: results and exceptions carried from the worker, the cancel of statements on
// the real drivers, the messages that survive (or not) a job, the connect jobs.
#include "job_test_util.h"

#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "grid/busy_connection.h"
#include "services/service_options.h"
#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

namespace {

using qljobs::CFunctionJob;
using qljobs::CLater;
using Job = CRDatabaseHelper::CAsyncThread;

std::string A(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

TEST(AsyncJobs, ResultAndWorkerExceptionsReachTheCaller)
{
    DWORD workerThread = 0;
    bool busyMeanwhile = false;
    CFunctionJob ok([&] {
        workerThread = ::GetCurrentThreadId();
        busyMeanwhile = IsConnectionBusy();
        return true;
    });
    EXPECT_TRUE(Job::Execute(&ok, nullptr, false));
    EXPECT_NE(workerThread, ::GetCurrentThreadId());
    EXPECT_TRUE(busyMeanwhile);
    EXPECT_FALSE(IsConnectionBusy());

    CFunctionJob refuses([] { return false; });
    EXPECT_FALSE(Job::Execute(&refuses, nullptr, false));

    CFunctionJob dbError([]() -> bool {
        auto* e = new Zelt::CRDBException(SQL_ERROR);
        e->m_strError = L"no such table: t";
        e->m_strSQLState = L"42S02";
        throw e;
    });
    auto e = QlConnTest::Catch([&] { Job::Execute(&dbError, nullptr, false); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_nRetCode, (WORD)SQL_ERROR);
    EXPECT_EQ(A(e->m_strSQLState), "42S02");
    EXPECT_EQ(A(e->m_strError), "no such table: t");

    CFunctionJob frameworkError([]() -> bool { throw new CNotSupportedException; });
    try
    {
        Job::Execute(&frameworkError, nullptr, false);
        ADD_FAILURE() << "no exception";
    }
    catch (Job::CStrException* caught)
    {
        wchar_t text[256] = {};
        CNotSupportedException original;
        original.GetErrorMessage(text, 256);
        EXPECT_EQ(A(caught->m_strMessage), A(text));
        EXPECT_FALSE(caught->m_strMessage.IsEmpty());
        caught->Delete();
    }

    CFunctionJob other([]() -> bool { throw 42; });
    EXPECT_THROW(Job::Execute(&other, nullptr, false), Job::CUnknownException);
}

TEST(AsyncJobs, RealDriverErrorArrivesWithCodeStateAndText)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.Connect(file.Connect(), nullptr, 0, 0, 0));
    CRRecordset rs(&helper.GetDatabase());
    CWaitDlg dlg(nullptr, CWaitDlg::flagCancel);
    bool cancelled = true;
    auto e = QlConnTest::Catch(
        [&] { helper.OpenRecordset(&rs, L"SELECT * FROM no_such_table", 2, 1, &dlg, &cancelled); });
    ASSERT_TRUE(e);
    EXPECT_EQ((SQLSMALLINT)e->m_nRetCode, SQL_ERROR);
    EXPECT_FALSE(e->m_strSQLState.IsEmpty());
    EXPECT_NE(e->m_strError.Find(L"no_such_table"), -1) << A(e->m_strError);
    EXPECT_FALSE(cancelled);
}

// Opens a long statement on a worker and presses Cancel (no question) once it runs, then again
// with Cancel pressed as it starts (before the server has it: PostgreSQL and MariaDB drop a
// cancel that comes before the statement). Each call must come back as cancelled without an
// exception, the statement stopped before its end.
void CancelLongStatement(LPCWSTR connect, LPCWSTR sql, const std::function<bool()>& running)
{
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.Connect(connect, nullptr, 0, 0, 0));
    for (const bool atOnce : {false, true})
    {
        SCOPED_TRACE(atOnce ? "pressed as it starts" : "pressed while it runs");
        CRRecordset rs(&helper.GetDatabase());
        CWaitDlg dlg(nullptr, CWaitDlg::flagCancel | CWaitDlg::flagCancelNoQuestion);
        const HWND hDlg = dlg.GetSafeHwnd();
        bool cancelled = false, opened = true;
        std::atomic<bool> sawItRun{atOnce};
        if (atOnce)
            ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        {
            CLater press([&] {
                if (atOnce)
                    return;
                sawItRun = running();
                ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
            });
            auto e = QlConnTest::Catch(
                [&] { opened = helper.OpenRecordset(&rs, sql, 2, 1, &dlg, &cancelled); });
            EXPECT_FALSE(e) << A(e ? e->m_strError : CString());
        }
        EXPECT_TRUE(sawItRun.load());
        EXPECT_FALSE(opened) << "the statement ran to its end";
        EXPECT_TRUE(cancelled);
        EXPECT_TRUE(dlg.IsCancelled());
        // The connection serves the next statement.
        EXPECT_EQ(QlConnTest::QueryText(helper.GetDatabase(), L"SELECT 7"), CString(L"7"));
    }
}

TEST(AsyncJobs, CancelStopsPostgresSleep)
{
    const CString tag = L"qlcancel_" + CString(QlTestDb::UniqueTag().c_str());
    CancelLongStatement(QlTestDb::PostgresConnect(), L"SELECT pg_sleep(30), '" + tag + L"'", [&] {
        return qljobs::WaitUntilPostgresRuns(QlTestDb::PostgresConnect(), tag);
    });
}

TEST(AsyncJobs, CancelStopsMariaDBSleep)
{
    const CString tag = L"qlcancel_" + CString(QlTestDb::UniqueTag().c_str());
    CancelLongStatement(QlTestDb::MariaDBConnect(), L"SELECT sleep(30), '" + tag + L"'", [&] {
        return qljobs::WaitUntilMariaDBRuns(QlTestDb::MariaDBConnect(), tag);
    });
}

TEST(AsyncJobs, CancelStopsALongSQLiteQuery)
{
    QlTestDb::TempSQLiteFile file;
    {
        CRDatabase db;
        QlConnTest::OpenOrFail(db, file.Connect());
        db.ExecuteSQL(L"CREATE TABLE t (x INTEGER)");
        db.ExecuteSQL(L"INSERT INTO t VALUES (1)");
    }
    CancelLongStatement(file.Connect(),
                        L"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                        L"WHERE x < 2000000000) SELECT count(*) FROM c, t",
                        [&] { return qljobs::WaitUntilSQLiteReads(file.Connect()); });
}

// Records what reaches a window.
struct Received
{
    int timers = 0;
    int commands = 0;
    int keys = 0;
    int clicks = 0;
};
Received g_received;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_TIMER: ++g_received.timers; return 0;
    case WM_APP + 1: ++g_received.commands; return 0;
    case WM_KEYDOWN: ++g_received.keys; return 0;
    case WM_LBUTTONDOWN: ++g_received.clicks; return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

HWND CreateRecordingWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QlJobRecorder";
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, L"QlJobRecorder", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr, wc.hInstance, nullptr);
}

TEST(AsyncJobs, QuitTimersAndPostedMessagesSurviveAJobButInputDoesNot)
{
    const HWND hWnd = CreateRecordingWindow();
    ASSERT_NE(hWnd, nullptr);
    g_received = Received();
    const DWORD uiThread = ::GetCurrentThreadId();
    ::SetTimer(hWnd, 5, 20, nullptr);
    // The timer is due before the job starts: the queue holds its WM_TIMER (left there). A timer
    // that never came due would leave the test to the test run's own time limit.
    MSG due = {};
    while (!::PeekMessageW(&due, hWnd, WM_TIMER, WM_TIMER, PM_NOREMOVE | PM_NOYIELD))
        ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_TIMER, MWMO_INPUTAVAILABLE);
    CFunctionJob job([&] {
        ::PostMessageW(hWnd, WM_KEYDOWN, 'A', 0);
        ::PostMessageW(hWnd, WM_LBUTTONDOWN, 0, 0);
        ::PostMessageW(hWnd, WM_APP + 1, 0, 0);
        ::PostThreadMessageW(uiThread, WM_QUIT, 7, 0);
        // A message sent to the window is handled by the dialog's pump, which takes the due
        // timer in the same pass over the queue.
        ::SendMessageW(hWnd, WM_NULL, 0, 0);
        return true;
    });
    {
        CWaitDlg dlg(nullptr, 0);
        EXPECT_TRUE(Job::Execute(&job, &dlg, true));
        // Nothing but the dialog's own messages and paint ran during the job.
        EXPECT_EQ(g_received.timers + g_received.commands + g_received.keys + g_received.clicks, 0);
    }
    ::KillTimer(hWnd, 5);
    MSG msg;
    int quitCode = -1;
    const ULONGLONG start = ::GetTickCount64();
    while (::GetTickCount64() - start < 30000) // for a hang only: the quit is posted at once
    {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_QUIT)
        {
            quitCode = (int)msg.wParam;
            break;
        }
        ::DispatchMessageW(&msg);
    }
    EXPECT_EQ(quitCode, 7);
    EXPECT_EQ(g_received.commands, 1);
    EXPECT_GE(g_received.timers, 1);
    EXPECT_EQ(g_received.keys, 0);
    EXPECT_EQ(g_received.clicks, 0);
    ::DestroyWindow(hWnd);
}

TEST(AsyncJobs, CancelIsAskedUntilAcceptedAndSelfStoppingJobsSeeTheFlag)
{
    // A cancel the driver refuses leaves the flag clear and is asked again on the next pump
    // (an accepted one is repeated while the job runs, and not counted here).
    std::atomic<int> asked{0};
    std::atomic<bool> stop{false};
    CFunctionJob job(
        [&] {
            while (!stop.load())
                ::Sleep(2);
            return true;
        },
        [&] {
            if (stop.load())
                return true;
            if (++asked < 3)
                return false;
            stop = true;
            return true;
        });
    CWaitDlg dlg(nullptr, CWaitDlg::flagCancel | CWaitDlg::flagCancelNoQuestion);
    ::PostMessageW(dlg.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Job::Execute(&job, &dlg, false));
    EXPECT_EQ(asked.load(), 3);
    EXPECT_TRUE(job.CancelFlag());

    // The flag alone stops a job that watches it.
    CFunctionJob watcher([&] {
        while (!watcher.CancelFlag())
            ::Sleep(2);
        return true;
    });
    CWaitDlg dlg2(nullptr, CWaitDlg::flagCancel | CWaitDlg::flagCancelNoQuestion);
    ::PostMessageW(dlg2.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Job::Execute(&watcher, &dlg2, false));
    EXPECT_TRUE(watcher.CancelFlag());
}

TEST(AsyncJobs, ReadToMemCursorReadsEverythingOrGivesNothing)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.Connect(file.Connect(), nullptr, 0, 0, 0));
    helper.GetDatabase().ExecuteSQL(
        L"CREATE TABLE t AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
        L"WHERE x < 500) SELECT x FROM c");

    auto* rs = new CRRecordset(&helper.GetDatabase());
    ASSERT_TRUE(rs->Open(L"SELECT x FROM t ORDER BY x", 2, 1));
    std::unique_ptr<Zelt::CMemCursor> mem(helper.ReadToMemCursor(nullptr, rs, true));
    ASSERT_TRUE(mem);
    Zelt::ICursor::CStatus status;
    mem->GetStatus(status);
    EXPECT_TRUE(status.bCountFinal);
    EXPECT_EQ(mem->GetRecordCount(), 500);

    // Without progress only the first row is there yet.
    rs = new CRRecordset(&helper.GetDatabase());
    ASSERT_TRUE(rs->Open(L"SELECT x FROM t ORDER BY x", 2, 1));
    mem.reset(helper.ReadToMemCursor(nullptr, rs, false));
    ASSERT_TRUE(mem);
    long value = 0;
    EXPECT_TRUE(mem->GetFieldLong(1, value));
    EXPECT_EQ(value, 1);

    // A statement without a result gives no cursor.
    rs = new CRRecordset(&helper.GetDatabase());
    rs->Open(L"UPDATE t SET x = x WHERE x = 0", 2, 1);
    EXPECT_EQ(helper.ReadToMemCursor(nullptr, rs, true), nullptr);
}

TEST(AsyncJobs, CancelWhileReadingIntoMemoryDiscardsTheCursor)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabaseHelper helper;
    // StepAPI: the driver hands rows over as SQLite makes them instead of all at once.
    ASSERT_TRUE(helper.Connect(file.Connect() + L"StepAPI=1;", nullptr, 0, 0, 0));
    auto* rs = new CRRecordset(&helper.GetDatabase());
    ASSERT_TRUE(rs->Open(L"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                         L"WHERE x < 50000000) SELECT x, 'some text' FROM c",
                         2, 1));
    const DWORD uiThread = ::GetCurrentThreadId();
    std::atomic<bool> answered{false};
    std::unique_ptr<Zelt::CMemCursor> mem;
    {
        // Press Cancel in the reading dialog, then Yes in its question.
        // The read goes on far longer than the press takes; the press waits for the dialog.
        CLater press([&] { answered = qljobs::PressCancelAndAnswerYes(uiThread); });
        mem.reset(helper.ReadToMemCursor(nullptr, rs, true));
    }
    EXPECT_TRUE(answered.load());
    EXPECT_EQ(mem, nullptr);
}

TEST(AsyncJobs, CancelledProcedureCallIsNoError)
{
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.Connect(QlTestDb::PostgresConnect(), nullptr, 0, 0, 0));
    CRRecordset rs(&helper.GetDatabase());
    const CString tag = L"qlcancel_" + CString(QlTestDb::UniqueTag().c_str());
    ASSERT_TRUE(rs.Prepare(L"SELECT pg_sleep(30), '" + tag + L"'", 2, 1));
    const DWORD uiThread = ::GetCurrentThreadId();
    std::atomic<bool> answered{false};
    bool cancelled = false;
    bool result = true;
    {
        CLater press([&] {
            if (qljobs::WaitUntilPostgresRuns(QlTestDb::PostgresConnect(), tag))
                answered = qljobs::PressCancelAndAnswerYes(uiThread);
        });
        auto e =
            QlConnTest::Catch([&] { result = helper.ExecuteProcedure(&rs, nullptr, &cancelled); });
        EXPECT_FALSE(e) << A(e ? e->m_strError : CString());
    }
    EXPECT_TRUE(answered.load());
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(result);
}

TEST(AsyncJobs, ConnectAndReconnectRunBehindADialogWithoutCancelHere)
{
    int cancelExec = 1;
    BindServiceOptions({&cancelExec, nullptr, nullptr});
    CRDatabaseHelper helper;
    QlTestDb::FakeLog log;
    const DWORD uiThread = ::GetCurrentThreadId();
    std::atomic<bool> sawDialog{false}, cancelShown{true};
    CString processText;
    {
        // Look at the dialog while the connect is held, then let the connect go on.
        QlTestDb::ConnectHold hold;
        CLater look([&] {
            wchar_t text[64] = {};
            ql::WaitFor([&] {
                const HWND hDlg = ::FindWindowW(L"#32770", L"Please wait...");
                if (hDlg == nullptr || ::GetWindowThreadProcessId(hDlg, nullptr) != uiThread)
                    return false;
                sawDialog = true;
                cancelShown = ::IsWindowVisible(::GetDlgItem(hDlg, IDCANCEL)) != FALSE;
                ::GetWindowTextW(::GetDlgItem(hDlg, IDC_WAIT_PROCESS), text, 64);
                return text[0] != 0;
            });
            processText = text;
            hold.Release();
        });
        bool cancelled = true;
        EXPECT_TRUE(helper.ConnectAsync(log.Connect(L"PostgreSQL", hold.Connect()), nullptr, 0, 0,
                                        0, &cancelled));
        EXPECT_FALSE(cancelled);
    }
    EXPECT_TRUE(sawDialog.load());
    // Wine's driver manager cannot cancel a connect: no Cancel even with "CancelExec" on.
    EXPECT_EQ(helper.GetCancelHandleProc() != nullptr, cancelShown.load());
    EXPECT_EQ(A(processText), "Connecting to database...");
    EXPECT_EQ(helper.GetDBMSKind(), DBMS_POSTGRESQL);

    bool cancelled = true;
    EXPECT_TRUE(helper.Reconnect(nullptr, 0, 0, 0, &cancelled));
    EXPECT_FALSE(cancelled);
    EXPECT_TRUE(helper.IsOpen());

    auto e = QlConnTest::Catch([&] {
        helper.ConnectAsync(log.Connect(L"Oracle", L"FailConnect=1;"), nullptr, 0, 0, 0, nullptr);
    });
    ASSERT_TRUE(e);
    EXPECT_EQ(A(e->m_strSQLState), "28001");
    EXPECT_FALSE(helper.IsOpen());
    BindServiceOptions({});
}

// The server ends the session; Reconnect opens it again with the completed string.
void ReconnectAfterTheServerEndedTheSession(const CString& connect, LPCWSTR sessionIdSQL,
                                            LPCWSTR killFormat)
{
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.Connect(connect, nullptr, 0, 0, 0));
    const CString session = QlConnTest::QueryText(helper.GetDatabase(), sessionIdSQL);
    {
        CRDatabase killer;
        QlConnTest::OpenOrFail(killer, connect);
        CString kill;
        kill.Format(killFormat, (LPCWSTR)session);
        killer.ExecuteSQL(kill);
    }
    bool cancelled = true;
    auto e =
        QlConnTest::Catch([&] { EXPECT_TRUE(helper.Reconnect(nullptr, 0, 0, 0, &cancelled)); });
    ASSERT_FALSE(e) << A(e->m_strError);
    EXPECT_FALSE(cancelled);
    EXPECT_NE(QlConnTest::QueryText(helper.GetDatabase(), sessionIdSQL), session);
    EXPECT_EQ(QlConnTest::QueryText(helper.GetDatabase(), L"SELECT 5"), CString(L"5"));
}

TEST(AsyncJobs, ReconnectAfterPostgresTerminatedTheBackend)
{
    ReconnectAfterTheServerEndedTheSession(QlTestDb::PostgresConnect(),
                                           L"SELECT pg_backend_pid()::text",
                                           L"SELECT pg_terminate_backend(%s)");
}

TEST(AsyncJobs, ReconnectAfterMariaDBKilledTheConnection)
{
    ReconnectAfterTheServerEndedTheSession(QlTestDb::MariaDBConnect(),
                                           L"SELECT CAST(CONNECTION_ID() AS CHAR)", L"KILL %s");
}

TEST(AsyncJobs, CatalogReadsRunOnAWorkerOnlyWithCancelExec)
{
    int cancelExec = 0;
    BindServiceOptions({&cancelExec, nullptr, nullptr});
    CRDatabaseHelper helper;
    DWORD thread = 0;
    auto read = [&] {
        thread = ::GetCurrentThreadId();
        return true;
    };
    CWaitHolder holder;
    holder.Begin(L"Reading...");
    EXPECT_EQ(holder.GetWaitDlg(), nullptr); // a wait cursor only
    EXPECT_FALSE(holder.IsCancelled());
    EXPECT_TRUE(helper.RunCatalogRead(&holder, read));
    EXPECT_EQ(thread, ::GetCurrentThreadId());

    cancelExec = 1;
    CWaitHolder dialogHolder;
    dialogHolder.Begin(L"Reading...");
    ASSERT_NE(dialogHolder.GetWaitDlg(), nullptr);
    EXPECT_EQ(dialogHolder.GetWaitDlg()->GetFlags(), 0u); // catalog reads offer no Cancel
    EXPECT_TRUE(helper.RunCatalogRead(&dialogHolder, read));
    EXPECT_NE(thread, ::GetCurrentThreadId());
    BindServiceOptions({});
}

} // namespace
