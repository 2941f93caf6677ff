// Opens a table in a grid window as the program does (object SELECT, the cursor type the
// connection supports, rows on demand) and times what the user waits for: the window with its
// first screen, every row read (Ctrl+End), and closing the window; with the peak private memory.
//
//   bench_grid_window.exe "<connection string>" "<table>"   (QL_BENCH_QUERY=1: a query window;
//   QL_BENCH_FIRST_ONLY=1: the first screen only, no Ctrl+End: end and end_cpu are 0, rows the
//   rows the window holds after its first screen)
//
// Output: one line "first_screen=<s> end=<s> close=<s> teardown=<s> rows=<n>
// peak_private_bytes=<b> read_on=<s> end_cpu=<s>"; teardown is what follows the closing (the host
// window, the connection), end_cpu the processor time the window's thread spent on Ctrl+End.
// run.sh samples the resident memory from outside: Wine's counters mean little.
#include "app/app_settings.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "services/database_helper.h"
#include "windows/grid_child_frame.h"

#include "bench/common/window_bench.h"

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

size_t PeakPrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                              sizeof pmc))
        return 0;
    return pmc.PeakPagefileUsage;
}

// The CPU time this thread has used, in seconds: steadier than the clock on a busy machine.
double ThreadSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user))
        return 0;
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

using qlbench::Now;
using qlbench::Pump;

class CHost : public CMDIFrameWnd
{};

CWinApp theBenchApp(L"QuenlarkGridWindowBench");

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3)
    {
        fprintf(stderr, "usage: bench_grid_window <connect> <table>\n");
        return 2;
    }
    AfxWinInit(::GetModuleHandleW(nullptr), nullptr, ::GetCommandLineW(), SW_SHOWNORMAL);
    theSettings.m_bCancelExec = 0;
    theSettings.m_bShowKeysInGrid = 0;
    // QL_BENCH_NO_FIT=1: columns keep their width instead of fitting every row read.
    if (const char* noFit = getenv("QL_BENCH_NO_FIT"); noFit != nullptr && *noFit == '1')
        theSettings.m_bAdjustColumns = 0;
    auto* pHost = new CHost;
    if (!pHost->Create(nullptr, L"Grid window benchmark", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                       CRect(0, 0, 1000, 700)))
        return 1;
    AfxGetApp()->m_pMainWnd = pHost;
    pHost->ShowWindow(SW_SHOW);
    Pump();
    CRDatabaseHelper helper;
    if (!helper.GetDatabase().Open(argv[1], CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
        return 1;
    // QL_BENCH_QUERY=1: a query window on "SELECT * FROM <table>", as the user's own statement
    // opens one, instead of the table's window.
    const char* query = getenv("QL_BENCH_QUERY");
    const bool bQuery = query != nullptr && *query == '1';
    const CStringPair name = bQuery ? CStringPair() : CStringPair(L"", argv[2]);
    CString strSelect;
    if (bQuery)
        strSelect = CString(L"SELECT * FROM ") + argv[2];
    else
        helper.BuildSelectStatement(nullptr, name, strSelect);

    double t0 = Now();
    CGridChildFrame* pFrame = nullptr;
    if (bQuery)
    {
        // As SQL Query runs the text and hands its result to a window of its own.
        auto recordset = std::make_unique<CRRecordset>(&helper.GetDatabase());
        if (!recordset->Open(strSelect, helper.GetCursorType(),
                             RS_NUMERIC_AS_TEXT | RS_QUERY_MAY_STREAM))
            return 1;
        std::unique_ptr<Zelt::ICursor> cursor(recordset.release());
        pFrame = new CGridChildFrame(&helper, cursor, kGridProcedure, name, nullptr);
    }
    else
        pFrame =
            new CGridChildFrame(&helper, strSelect, strSelect, nullptr, kGridTable, name, nullptr);
    if (!pFrame->Create(nullptr, argv[2], WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | WS_MAXIMIZE,
                        CFrameWnd::rectDefault, pHost))
        return 1;
    pFrame->UpdateWindow();
    qlbench::PumpWithoutTimers();
    const double firstScreen = Now() - t0;

    // QL_BENCH_READ_ON=1: the user looks at the first screen until the window has read the rest
    // of a streaming result by itself (a SQLite table window does it in idle time); then Ctrl+End.
    double readOn = 0;
    if (const char* wait = getenv("QL_BENCH_READ_ON"); wait != nullptr && *wait == '1')
    {
        t0 = Now();
        auto* pMem = dynamic_cast<Zelt::CMemCursor*>(pFrame->GetCursor());
        MSG msg;
        while (pMem != nullptr && pMem->IsSourceOpen() && ::GetMessageW(&msg, nullptr, 0, 0) > 0)
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        readOn = Now() - t0;
    }

    double end = 0;
    double endCpu = 0;
    if (const char* firstOnly = getenv("QL_BENCH_FIRST_ONLY");
        firstOnly == nullptr || *firstOnly != '1')
    {
        t0 = Now();
        const double cpu0 = ThreadSeconds();
        pFrame->GetView().ReadAllRows();
        pFrame->GetView().SendMessage(LVM_ENSUREVISIBLE, pFrame->GetView().GetItemCount() - 1,
                                      FALSE);
        pFrame->UpdateWindow();
        qlbench::PumpWithoutTimers();
        end = Now() - t0;
        endCpu = ThreadSeconds() - cpu0;
    }
    const int rows = pFrame->GetView().GetItemCount();

    t0 = Now();
    ::SendMessageW(pHost->m_hWndMDIClient, WM_MDIDESTROY, (WPARAM)pFrame->m_hWnd, 0);
    Pump();
    const double close = Now() - t0;

    const size_t peak = PeakPrivateBytes();
    t0 = Now();
    AfxGetApp()->m_pMainWnd = nullptr;
    pHost->DestroyWindow();
    Pump();
    helper.Close();
    const double teardown = Now() - t0;
    printf("first_screen=%.3f end=%.3f close=%.3f teardown=%.3f rows=%d peak_private_bytes=%zu "
           "read_on=%.3f end_cpu=%.3f\n",
           firstScreen, end, close, teardown, rows, peak, readOn, endCpu);
    fflush(stdout);
    return 0;
}
