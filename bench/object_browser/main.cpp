// Drives the database bar's trees and the constraints dialog in process, as the program shows
// them, and times what the user waits for, with the memory the step took.
//
//   bench_object_browser.exe tree <connection string> <tab> [cancelexec]
//       tab 0 tables, 2 procedures: the tab activated on a shown bar until its tree is filled.
//   bench_object_browser.exe constraints <connection string> [cancelexec]
//       the constraints dialog of the whole database until it is shown with its rows.
//
// Output: one line "seconds=<s> items=<n> ws_growth_mb=<m> private_growth_mb=<m>
// peak_ws_mb=<m> record_bytes=<b> wait_ticks=<n> longest_unpumped=<s>": the last two for the
// wait dialog, when one was shown (its marquee's ticks taken, and the longest stretch of the
// step without one: the dialog does not repaint then). The tree mode then refreshes its biggest
// schema node: "refresh_seconds=<s> refresh_items=<n> peak_ws_mb=<m>".
#include "app/app_settings.h"
#include "bench/common/bench_host.h"
#include "bench/common/window_bench.h"
#include "browser/db_tab_ctrl.h"
#include "browser/object_pages.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"

#include <shellapi.h>

#include <cstdio>

using namespace qlbench;

namespace {

CWinApp theBenchApp(L"QuenlarkObjectBrowserBench");

int CountTreeObjects(CTreeCtrl& tree)
{
    int n = 0;
    for (HTREEITEM h = tree.GetRootItem(); h; h = tree.GetNextSiblingItem(h))
        for (HTREEITEM c = tree.GetChildItem(h); c; c = tree.GetNextSiblingItem(c))
            ++n;
    return n;
}

void Report(double seconds, int items, const CMemory& before, size_t recordBytes,
            CWaitPaintWatch& paints)
{
    paints.Finish();
    const CMemory after = ReadMemory();
    printf("seconds=%.3f items=%d ws_growth_mb=%.1f private_growth_mb=%.1f peak_ws_mb=%.1f "
           "record_bytes=%zu wait_ticks=%d longest_unpumped=%.3f\n",
           seconds, items, GrowthMB(before.workingSet, after.peakWorkingSet),
           GrowthMB(before.privateBytes, after.peakPrivateBytes), MB(after.peakWorkingSet),
           recordBytes, paints.m_nTicks, paints.m_longestGap);
    fflush(stdout);
}

// The constraints dialog, timed from its creation until it is shown with its rows.
class CTimedConstraintsDlg : public CConstraintsDlg
{
public:
    using CConstraintsDlg::CConstraintsDlg;
    double m_start = 0, m_shown = 0;
    int m_nRows = 0;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL bResult = CConstraintsDlg::OnInitDialog();
        ShowWindow(SW_SHOW);
        UpdateWindow();
        m_shown = Now();
        m_nRows = GetList().GetItemCount();
        EndDialog(IDOK);
        return bResult;
    }
};

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3)
    {
        fprintf(stderr,
                "usage: bench_object_browser tree|constraints <connect> [tab] [cancelexec]\n");
        return 2;
    }
    const CString mode = argv[1];
    theSettings.m_bCancelExec = CString(argv[argc - 1]) == L"cancelexec" ? 1 : 0;
    theSettings.m_bCurSchema = 0;
    CBenchHost* pHost = CreateBenchHost(L"Object browser benchmark");
    if (pHost == nullptr)
        return 1;
    CRDatabaseHelper helper;
    if (!helper.GetDatabase().Open(argv[2], CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
        return 1;

    if (mode == L"tree" && argc >= 4)
    {
        const int nTab = _wtoi(argv[3]);
        // Created on a hidden bar: nothing is read until a tab is activated on the shown one.
        CDBTabCtrl tabs;
        tabs.SetHelper(&helper);
        if (!tabs.Create(pHost))
            return 1;
        tabs.MoveWindow(0, 0, 300, 650);
        pHost->ShowWindow(SW_SHOW);
        pHost->UpdateWindow();
        Pump();
        const CMemory before = ReadMemory();
        CWaitPaintWatch paints;
        const double t0 = Now();
        tabs.ActivateTab(nTab);
        Pump();
        const double seconds = Now() - t0;
        CDBTreeCtrl* pTree = tabs.GetTree(nTab);
        Report(seconds, CountTreeObjects(*pTree), before,
               nTab == CDBTabCtrl::kProcedures ? sizeof(CDBStoredProcInfo)
                                               : sizeof(CRTables::CTableInfo),
               paints);
        // "Refresh" on the biggest schema node: its objects read again and merged.
        HTREEITEM hBiggest = nullptr;
        int nBiggest = -1;
        for (HTREEITEM h = pTree->GetRootItem(); h; h = pTree->GetNextSiblingItem(h))
        {
            int n = 0;
            for (HTREEITEM c = pTree->GetChildItem(h); c; c = pTree->GetNextSiblingItem(c))
                ++n;
            if (n > nBiggest)
                nBiggest = n, hBiggest = h;
        }
        if (hBiggest != nullptr)
        {
            const double r0 = Now();
            {
                CWaitHolder wait;
                pTree->RefreshSchema(hBiggest, wait);
            }
            Pump();
            const double refresh = Now() - r0;
            const CMemory after = ReadMemory();
            printf("refresh_seconds=%.3f refresh_items=%d peak_ws_mb=%.1f\n", refresh, nBiggest,
                   MB(after.peakWorkingSet));
            fflush(stdout);
        }
        tabs.DestroyWindow();
    }
    else if (mode == L"constraints")
    {
        pHost->ShowWindow(SW_SHOW);
        pHost->UpdateWindow();
        Pump();
        const CMemory before = ReadMemory();
        CWaitPaintWatch paints;
        CTimedConstraintsDlg dlg(&helper, CStringPair(), pHost);
        dlg.m_start = Now();
        dlg.DoModal();
        Report(dlg.m_shown - dlg.m_start, dlg.m_nRows, before, sizeof(CDBConstraintInfo), paints);
    }
    helper.Close();
    DestroyBenchHost(pHost);
    return 0;
}
