// Drives the tables dialog (Ctrl+T) in process and times what the user waits for: the dialog
// shown with every table (the catalog read included), a click on the Schema header, and copying
// the names of every row (Ctrl+A, then left Ctrl+Insert).
//
//   bench_tables_dialog.exe <connection string>
//
// Output: one line "show=<s> sort=<s> select_all=<s> copy=<s> rows=<n> copied_chars=<n>
// ws_growth_mb=<m>".
#include "app/app_settings.h"
#include "bench/common/bench_host.h"
#include "bench/common/window_bench.h"
#include "browser/tables_dlg.h"
#include "resources/resource.h"
#include "services/database_helper.h"

#include <shellapi.h>

#include <cstdio>

using namespace qlbench;

namespace {

CWinApp theBenchApp(L"QuenlarkTablesDialogBench");

size_t ClipboardChars()
{
    size_t n = 0;
    if (!::OpenClipboard(nullptr))
        return 0;
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT))
    {
        n = wcslen(static_cast<LPCWSTR>(::GlobalLock(h)));
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    return n;
}

// A key as the dialog's message loop hands it over, with the keyboard state it reads.
void PressWithLeftControl(CTablesDlg& dlg, HWND hList, UINT vk)
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    ::SetKeyboardState(keys);
    MSG msg = {hList, WM_KEYDOWN, vk, 0};
    if (!dlg.PreTranslateMessage(&msg))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    ::SetKeyboardState(keys);
}

class CTimedTablesDlg : public CTablesDlg
{
public:
    using CTablesDlg::CTablesDlg;
    double m_shown = 0, m_sort = 0, m_selectAll = 0, m_copy = 0;
    int m_nRows = 0;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL bResult = CTablesDlg::OnInitDialog();
        ShowWindow(SW_SHOW);
        UpdateWindow();
        m_shown = Now();
        m_nRows = GetList().GetItemCount();

        // A click on the Schema header.
        double t0 = Now();
        NMLISTVIEW click{};
        click.hdr.hwndFrom = GetList().m_hWnd;
        click.hdr.idFrom = IDC_TABLES_LIST;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = 1;
        SendMessage(WM_NOTIFY, IDC_TABLES_LIST, reinterpret_cast<LPARAM>(&click));
        UpdateWindow();
        m_sort = Now() - t0;

        // Ctrl+A, then left Ctrl+Insert.
        t0 = Now();
        GetList().SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        UpdateWindow();
        m_selectAll = Now() - t0;
        t0 = Now();
        PressWithLeftControl(*this, GetList().m_hWnd, VK_INSERT);
        m_copy = Now() - t0;
        EndDialog(IDCANCEL);
        return bResult;
    }
};

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2)
    {
        fprintf(stderr, "usage: bench_tables_dialog <connect>\n");
        return 2;
    }
    theSettings.m_bCancelExec = 0;
    theSettings.m_bCurSchema = 0;
    theSettings.m_nCurTableSortDirection = 0;
    theSettings.m_nCurTableSortValue = 0;
    CBenchHost* pHost = CreateBenchHost(L"Tables dialog benchmark");
    if (pHost == nullptr)
        return 1;
    pHost->ShowWindow(SW_SHOW);
    pHost->UpdateWindow();
    Pump();
    CRDatabaseHelper helper;
    if (!helper.GetDatabase().Open(argv[1], CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
        return 1;
    const CMemory before = ReadMemory();
    const double t0 = Now();
    {
        CTimedTablesDlg dlg(&helper, DBOBJ_TABLE, pHost);
        dlg.DoModal();
        const size_t copied = ClipboardChars();
        const CMemory after = ReadMemory();
        printf("show=%.3f sort=%.3f select_all=%.3f copy=%.3f rows=%d copied_chars=%zu "
               "ws_growth_mb=%.1f\n",
               dlg.m_shown - t0, dlg.m_sort, dlg.m_selectAll, dlg.m_copy, dlg.m_nRows, copied,
               GrowthMB(before.workingSet, after.peakWorkingSet));
        fflush(stdout);
    }
    helper.Close();
    DestroyBenchHost(pHost);
    return 0;
}
