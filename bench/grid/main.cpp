// Shows a table in a grid and times what the user waits for: the first screen, selecting a row
// far down (every row up to it is read) and selecting past the end (all rows are read), with the
// process's peak private memory.
//
//   bench_grid.exe "<connection string>" "<SELECT ...>" [row to page to] [cursor]
// ("cursor" walks the recordset alone, without a grid, for comparison; "open" only executes it;
// "items" inserts that many callback items into an empty grid and reports their cost.)
//
// Output: one line "first_screen=<s> items=<n> page=<s> end=<s> rows=<n> peak_private_bytes=<b>".
#include "dbaccess/database.h"
#include "dbaccess/db_exception.h"
#include "dbaccess/recordset.h"
#include "grid/grid.h"

#include "bench/common/window_bench.h"

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>

namespace {

size_t PrivateBytes(bool peak)
{
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                              sizeof pmc))
        return 0;
    return peak ? pmc.PeakPagefileUsage : pmc.PagefileUsage;
}

using qlbench::Now;
using qlbench::Pump;

class Frame : public CWnd
{
public:
    bool Create()
    {
        LPCTSTR cls =
            AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
        return CreateEx(0, cls, L"Grid benchmark",
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 1000, 700,
                        nullptr, nullptr) != FALSE;
    }
};

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3)
    {
        fprintf(stderr, "usage: bench_grid <connect> <select> [row]\n");
        return 2;
    }
    const int pageRow = argc > 3 ? _wtoi(argv[3]) : 499999;
    AfxWinInit(::GetModuleHandleW(nullptr), nullptr, ::GetCommandLineW(), SW_SHOWNORMAL);
    try
    {
        CRDatabase db;
        if (!db.Open(argv[1], CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
        {
            fprintf(stderr, "connect cancelled\n");
            return 1;
        }
        if (argc > 4 && wcscmp(argv[4], L"open") == 0)
        {
            // Executing the statement alone: what the driver does before the grid reads a row.
            const double t0 = Now();
            CRRecordset rs(&db);
            rs.Open(argv[2], RS_STATIC, RS_READONLY);
            printf("open_only=%.3f\n", Now() - t0);
            return 0;
        }
        if (argc > 4 && wcscmp(argv[4], L"cursor") == 0)
        {
            // The cursor alone, walked to its end: what the driver and the recordset keep.
            const double t0 = Now();
            CRRecordset rs(&db);
            rs.Open(argv[2], RS_STATIC, RS_READONLY);
            int rows = 0;
            for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
                ++rows;
            printf("cursor_only=%.3f rows=%d peak_private_bytes=%zu\n", Now() - t0, rows,
                   PrivateBytes(true));
            return 0;
        }
        Frame frame;
        if (!frame.Create())
            return 1;
        CRGrid grid;
        RECT client;
        frame.GetClientRect(&client);
        grid.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_SHOWSELALWAYS,
                    kGridLines | kGridFullRowSelect, client, &frame, AFX_IDW_PANE_FIRST);
        Pump();

        if (argc > 4 && wcscmp(argv[4], L"items") == 0)
        {
            // The list view alone with as many callback items and columns: its own cost.
            for (int c = 0; c < 10; ++c)
                grid.CListCtrl::InsertColumn(c, L"c", LVCFMT_LEFT, 100);
            const size_t before = PrivateBytes(false);
            grid.ShowWindow(SW_HIDE);
            for (int i = 0; i < pageRow; ++i)
            {
                LVITEMW item = {};
                item.mask = LVIF_TEXT | LVIF_IMAGE;
                item.iItem = i;
                item.pszText = LPSTR_TEXTCALLBACKW;
                item.iImage = I_IMAGECALLBACK;
                grid.InsertItem(&item);
            }
            printf("items=%d bytes_per_item=%.0f\n", grid.GetItemCount(),
                   (double)(PrivateBytes(false) - before) / (pageRow > 0 ? pageRow : 1));
            return 0;
        }
        const double start = Now();
        auto rs = std::make_unique<CRRecordset>(&db);
        rs->Open(argv[2], RS_STATIC, RS_READONLY);
        grid.SetCursor(rs.get());
        for (int c = 1; c <= rs->GetColumnCount(); ++c)
            grid.InsertColumn(rs->GetColumnName(c), c, 100, LVCFMT_LEFT, -1, 0, false, 0);
        grid.LoadRows(-1);
        grid.UpdateWindow();
        const double firstScreen = Now() - start;
        const int items = grid.GetItemCount();

        double t = Now();
        grid.SelectRow(pageRow);
        grid.UpdateWindow();
        const double page = Now() - t;

        t = Now();
        grid.SelectRow(0x7FFFFFFF);
        grid.UpdateWindow();
        const double end = Now() - t;

        printf("first_screen=%.3f items=%d page=%.3f end=%.3f rows=%d peak_private_bytes=%zu\n",
               firstScreen, items, page, end, grid.GetItemCount(), PrivateBytes(true));
        grid.SetCursor(nullptr);
        rs.reset();
        frame.DestroyWindow();
    }
    catch (Zelt::CRDBException* e)
    {
        fprintf(stderr, "database error: %ls\n", static_cast<LPCWSTR>(e->m_strError));
        e->Delete();
        return 1;
    }
    return 0;
}
