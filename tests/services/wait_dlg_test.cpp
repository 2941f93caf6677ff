// The wait dialog: what cancels it and what does not, its owner, its progress and elapsed time,
// and the holder that creates it on first need.
#include "job_test_util.h"

#include "services/service_options.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

using qljobs::CLater;

std::string A(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

// Every way a user can ask a dialog to go away.
void AskToCancelEveryWay(CWaitDlg& dlg)
{
    const HWND hDlg = dlg.GetSafeHwnd();
    ::PostMessageW(hDlg, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    ::PostMessageW(hDlg, WM_CLOSE, 0, 0);
    ::SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
}

TEST(WaitDlg, WithoutCancelFlagNothingCancels)
{
    CWaitDlg dlg(nullptr, 0);
    ASSERT_NE(dlg.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dlg.GetSafeHwnd(), IDCANCEL)));
    const HMENU hMenu = ::GetSystemMenu(dlg.GetSafeHwnd(), FALSE);
    EXPECT_TRUE(::GetMenuState(hMenu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
    AskToCancelEveryWay(dlg);
    EXPECT_FALSE(dlg.PumpMessages());
    EXPECT_TRUE(::IsWindow(dlg.GetSafeHwnd())); // it never closes itself

    CWaitDlg quick(nullptr, CWaitDlg::flagCancel | CWaitDlg::flagCancelNoQuestion);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(quick.GetSafeHwnd(), IDCANCEL)));
    ::PostMessageW(quick.GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(quick.PumpMessages());
    EXPECT_TRUE(::IsWindow(quick.GetSafeHwnd()));
}

TEST(WaitDlg, CancelAsksOnceAndOnlyYesCancels)
{
    CWaitDlg dlg(nullptr, CWaitDlg::flagCancel);
    const DWORD uiThread = ::GetCurrentThreadId();
    const HWND hDlg = dlg.GetSafeHwnd();
    // Answers the question box with the given button and tells whether a box came. The box is
    // modal inside PumpMessages: once that returns, a box that was to come has come, and the
    // helper stops looking.
    std::atomic<bool> asked{false}, pumped{false};
    auto answer = [&](int button) {
        asked = pumped = false;
        return CLater([&, button] {
            while (!pumped.load())
            {
                if (HWND hBox = qljobs::FindMessageBox(uiThread, hDlg))
                {
                    asked = true;
                    ::PostMessageW(hBox, WM_COMMAND, button, 0);
                    return;
                }
                ::Sleep(5);
            }
        });
    };
    {
        auto no = answer(IDNO);
        ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(dlg.PumpMessages());
        pumped = true;
    }
    EXPECT_TRUE(asked.load());
    {
        auto yes = answer(IDYES);
        ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(dlg.PumpMessages());
        pumped = true;
    }
    EXPECT_TRUE(asked.load());
    // Once cancelled, pressing again asks nothing.
    {
        auto none = answer(IDNO);
        ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(dlg.PumpMessages());
        pumped = true;
    }
    EXPECT_FALSE(asked.load());
}

TEST(WaitDlg, DisablesItsOwnerForItsLifetime)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200),
                               nullptr, 0));
    {
        CWaitDlg dlg(&owner, 0);
        EXPECT_FALSE(owner.IsWindowEnabled());
    }
    EXPECT_TRUE(owner.IsWindowEnabled());

    // An owner that was disabled already stays so.
    owner.EnableWindow(FALSE);
    {
        CWaitDlg dlg(&owner, 0);
    }
    EXPECT_FALSE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

// A command or close posted just before an operation starts runs after it, never inside the
// wait dialog's creation while the operation's caller is still setting up.
TEST(WaitDlg, MessagesPostedBeforeItIsCreatedRunAfterItIsGone)
{
    static int s_nSeen = 0;
    static WNDPROC s_pOld = nullptr;
    s_nSeen = 0;
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200),
                               nullptr, 0));
    s_pOld = (WNDPROC)::SetWindowLongPtrW(
        owner.GetSafeHwnd(), GWLP_WNDPROC,
        (LONG_PTR) + [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_APP + 7)
                ++s_nSeen;
            return ::CallWindowProcW(s_pOld, h, m, w, l);
        });
    ::PostMessageW(owner.GetSafeHwnd(), WM_APP + 7, 0, 0);
    {
        CWaitDlg dlg(&owner, 0);
        EXPECT_EQ(s_nSeen, 0);
        dlg.PumpMessages();
        EXPECT_EQ(s_nSeen, 0);
    }
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
    EXPECT_EQ(s_nSeen, 1);
    ::SetWindowLongPtrW(owner.GetSafeHwnd(), GWLP_WNDPROC, (LONG_PTR)s_pOld);
    owner.DestroyWindow();
}

TEST(WaitDlg, TextsProgressAndElapsedTime)
{
    EXPECT_EQ(A(CWaitDlg::FormatElapsed(3725)), "1:02:05");
    EXPECT_EQ(A(CWaitDlg::FormatElapsed(0)), "0:00:00");
    EXPECT_EQ(A(CWaitDlg::FormatElapsed(36000 + 59)), "10:00:59");

    CWaitDlg dlg(nullptr, CWaitDlg::flagNoMarquee, 3);
    const HWND hDlg = dlg.GetSafeHwnd();
    auto text = [&](int id) {
        wchar_t buffer[128] = {};
        ::GetWindowTextW(::GetDlgItem(hDlg, id), buffer, 128);
        return A(buffer);
    };
    EXPECT_EQ(text(IDC_WAIT_PROCESS), "");
    EXPECT_EQ(text(IDC_WAIT_INFO), "");
    dlg.SetSavingText(L"C:\\data\\out.csv");
    EXPECT_EQ(text(IDC_WAIT_PROCESS), "Saving out.csv...");
    dlg.SetMessageText(L"Rows 10");
    EXPECT_EQ(text(IDC_WAIT_MESSAGE), "Rows 10");
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(hDlg, IDC_WAIT_MARQUEE)));
    const HWND hBar = ::GetDlgItem(hDlg, IDC_WAIT_PROGRESS);
    EXPECT_TRUE(::IsWindowVisible(hBar));
    for (int i = 0; i < 5; ++i)
        dlg.Step();
    EXPECT_EQ(dlg.GetProgressPos(), 3);
    EXPECT_EQ(::SendMessageW(hBar, PBM_GETPOS, 0, 0), 3);

    // Without a range there is no bar; the marquee runs.
    CWaitDlg plain(nullptr, 0);
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(plain.GetSafeHwnd(), IDC_WAIT_PROGRESS)));
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(plain.GetSafeHwnd(), IDC_WAIT_MARQUEE)));
    plain.Step();
    EXPECT_EQ(plain.GetProgressPos(), 0);
}

TEST(WaitDlg, MessagesForOtherWindowsAreSortedByKind)
{
    MSG msg = {};
    msg.message = WM_PAINT;
    EXPECT_EQ(CWaitDlg::ClassifyMessage(msg), CWaitDlg::pumpDispatch);
    for (UINT input : {(UINT)WM_KEYDOWN, (UINT)WM_CHAR, (UINT)WM_SYSKEYDOWN, (UINT)WM_LBUTTONDOWN,
                       (UINT)WM_MOUSEWHEEL, (UINT)WM_NCLBUTTONDOWN, (UINT)WM_MOUSEMOVE})
    {
        msg.message = input;
        EXPECT_EQ(CWaitDlg::ClassifyMessage(msg), CWaitDlg::pumpDiscard) << input;
    }
    for (UINT kept :
         {(UINT)WM_TIMER, (UINT)WM_COMMAND, (UINT)WM_APP, (UINT)WM_USER + 5, (UINT)WM_NULL})
    {
        msg.message = kept;
        EXPECT_EQ(CWaitDlg::ClassifyMessage(msg), CWaitDlg::pumpDefer) << kept;
    }
}

TEST(WaitHolder, CreatesWhatTheSettingAsksForOnFirstNeed)
{
    int cancelExec = 0;
    BindServiceOptions({&cancelExec, nullptr, nullptr});
    {
        CWaitHolder holder;
        EXPECT_EQ(holder.GetWaitCursor(), nullptr);
        holder.SetProcessText(L"nothing to show it");
        holder.Begin(L"Reading...");
        EXPECT_NE(holder.GetWaitCursor(), nullptr);
        EXPECT_EQ(holder.GetWaitDlg(), nullptr);
        holder.Begin(L"again"); // keeps what it has
        EXPECT_EQ(holder.GetWaitDlg(), nullptr);
        holder.SetWaitCursor(new CWaitCursor);
        EXPECT_FALSE(holder.IsCancelled());
    }
    cancelExec = 1;
    {
        CWaitHolder holder;
        holder.Begin(L"Reading tables...");
        ASSERT_NE(holder.GetWaitDlg(), nullptr);
        wchar_t text[64] = {};
        ::GetWindowTextW(::GetDlgItem(holder.GetWaitDlg()->GetSafeHwnd(), IDC_WAIT_PROCESS), text,
                         64);
        EXPECT_EQ(A(text), "Reading tables...");
    }
    {
        CWaitHolder holder(nullptr, CWaitDlg::flagCancel, 10);
        ASSERT_NE(holder.GetWaitDlg(), nullptr);
        holder.Step();
        EXPECT_EQ(holder.GetWaitDlg()->GetProgressPos(), 1);
    }
    BindServiceOptions({});
}

} // namespace
