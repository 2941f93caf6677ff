// The application object: threads, settings in the registry, the command-UI update pass.
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

// ---------------------------------------------------------------------------------------------
// Threads.

struct ThreadProbe
{
    std::atomic<int> runs{0};
    std::atomic<CWinThread*> seenThread{nullptr};
};

UINT ProbeThread(LPVOID pParam)
{
    auto* probe = static_cast<ThreadProbe*>(pParam);
    probe->seenThread = AfxGetThread();
    probe->runs++;
    return 7;
}

TEST(WindowsThreads, SuspendedThreadRunsOnlyAfterResume)
{
    ThreadProbe probe;
    CWinThread* pThread =
        AfxBeginThread(ProbeThread, &probe, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pThread, nullptr);
    pThread->m_bAutoDelete = FALSE; // keep the object (and its handle) to wait on
    ASSERT_NE(pThread->m_hThread, nullptr);
    EXPECT_NE(pThread->m_nThreadID, 0u);
    // Held by its suspend count (checked by ResumeThread below), it cannot have run yet.
    EXPECT_EQ(probe.runs.load(), 0);

    EXPECT_EQ(pThread->ResumeThread(), 1u);
    ASSERT_EQ(::WaitForSingleObject(pThread->m_hThread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(probe.runs.load(), 1);
    EXPECT_EQ(probe.seenThread.load(), pThread);
    DWORD code = 0;
    ::GetExitCodeThread(pThread->m_hThread, &code);
    EXPECT_EQ(code, 7u);
    delete pThread;
}

TEST(WindowsThreads, AutoDeletingThreadCleansUpItself)
{
    ThreadProbe probe;
    CWinThread* pThread = AfxBeginThread(ProbeThread, &probe);
    ASSERT_NE(pThread, nullptr);
    for (int i = 0; i < 2000 && probe.runs.load() == 0; i++)
        ::Sleep(10);
    EXPECT_EQ(probe.runs.load(), 1);
    EXPECT_EQ(AfxGetThread(), AfxGetApp()); // this thread is still the application's
}

// ---------------------------------------------------------------------------------------------
// Settings.

class WindowsProfile : public testing::Test
{
protected:
    void SetUp() override
    {
        app = AfxGetApp();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuenlarkTestCompany");
        app->SetRegistryKey(L"QuenlarkTestCompany");
    }
    void TearDown() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuenlarkTestCompany");
        app->m_pszRegistryKey = nullptr; // back to the INI file; the profile name stays valid
    }
    CWinApp* app = nullptr;
};

TEST_F(WindowsProfile, ValuesRoundTripThroughTheRegistry)
{
    EXPECT_TRUE(app->WriteProfileInt(L"Settings", L"Count", -42));
    EXPECT_TRUE(app->WriteProfileString(L"Settings", L"Name", L"caf\u00e9 \u65e5\u672c"));
    BYTE bytes[] = {0, 1, 0xFF, 0, 0x7F};
    EXPECT_TRUE(app->WriteProfileBinary(L"Window", L"Placement", bytes, sizeof(bytes)));

    EXPECT_EQ((int)app->GetProfileInt(L"Settings", L"Count", 5), -42);
    EXPECT_EQ(app->GetProfileString(L"Settings", L"Name"), CString(L"caf\u00e9 \u65e5\u672c"));
    LPBYTE pData = nullptr;
    UINT nBytes = 0;
    ASSERT_TRUE(app->GetProfileBinary(L"Window", L"Placement", &pData, &nBytes));
    ASSERT_EQ(nBytes, sizeof(bytes));
    EXPECT_EQ(memcmp(pData, bytes, nBytes), 0);
    delete[] pData;

    // Where they are stored: HKCU\Software\<company>\<application>\<section>.
    DWORD value = 0, size = sizeof(value);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER,
                             L"Software\\QuenlarkTestCompany\\QuenlarkFrameworkTests\\Settings",
                             L"Count", RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ((int)value, -42);

    // A section path names nested keys; the application's own key holds the sections.
    EXPECT_TRUE(app->WriteProfileInt(L"Bars\\Bar0", L"Row", 3));
    size = sizeof(value);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER,
                             L"Software\\QuenlarkTestCompany\\QuenlarkFrameworkTests\\Bars\\Bar0",
                             L"Row", RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 3u);
    HKEY hAppKey = app->GetAppRegistryKey();
    ASSERT_NE(hAppKey, nullptr);
    size = sizeof(value);
    EXPECT_EQ(
        ::RegGetValueW(hAppKey, L"Settings", L"Count", RRF_RT_REG_DWORD, nullptr, &value, &size),
        ERROR_SUCCESS);
    ::RegCloseKey(hAppKey);
}

TEST_F(WindowsProfile, MissingOrMistypedValuesGiveTheDefaults)
{
    EXPECT_EQ(app->GetProfileInt(L"Nowhere", L"Count", 17), 17u);
    EXPECT_EQ(app->GetProfileString(L"Nowhere", L"Name", L"dflt"), CString(L"dflt"));
    EXPECT_EQ(app->GetProfileString(L"Nowhere", L"Name"), CString());
    LPBYTE pData = reinterpret_cast<LPBYTE>(1);
    UINT nBytes = 9;
    EXPECT_FALSE(app->GetProfileBinary(L"Nowhere", L"Blob", &pData, &nBytes));
    EXPECT_EQ(pData, nullptr);
    EXPECT_EQ(nBytes, 0u);

    // A string where a number is expected is not read as one.
    app->WriteProfileString(L"Settings", L"Count", L"12");
    EXPECT_EQ(app->GetProfileInt(L"Settings", L"Count", 3), 3u);

    // A null value removes the entry; a null entry removes the section.
    app->WriteProfileInt(L"Settings", L"Other", 1);
    EXPECT_TRUE(app->WriteProfileString(L"Settings", L"Count", nullptr));
    EXPECT_EQ(app->GetProfileString(L"Settings", L"Count", L"gone"), CString(L"gone"));
    EXPECT_TRUE(app->WriteProfileString(L"Settings", nullptr, nullptr));
    EXPECT_EQ(app->GetProfileInt(L"Settings", L"Other", 0), 0u);
}

TEST_F(WindowsProfile, StringsWithoutTerminatorAreReadWhole)
{
    HKEY hKey = app->GetSectionKey(L"Raw");
    ASSERT_NE(hKey, nullptr);
    const wchar_t text[] = {L'a', L'b', L'c'};
    ::RegSetValueExW(hKey, L"NoNul", 0, REG_SZ, (const BYTE*)text, sizeof(text));
    ::RegCloseKey(hKey);
    EXPECT_EQ(app->GetProfileString(L"Raw", L"NoNul"), CString(L"abc"));
}

// ---------------------------------------------------------------------------------------------
// Command-UI updates.

enum : UINT
{
    ID_DISABLE_ME = 2001,
    ID_CHECK_ME = 2002,
    ID_HANDLED = 2003,
    ID_UNHANDLED = 2004,
    ID_RADIO_ME = 2005
};

class CUpdateWnd : public CWnd
{
public:
    int idleUpdates = 0;

protected:
    afx_msg void OnHandled() {}
    afx_msg void OnUpdateDisable(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    afx_msg void OnUpdateCheck(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    afx_msg void OnUpdateRadio(CCmdUI* pCmdUI) { pCmdUI->SetRadio(TRUE); }
    afx_msg LRESULT OnIdleUpdate(WPARAM, LPARAM)
    {
        idleUpdates++;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CUpdateWnd, CWnd)
    ON_COMMAND(ID_HANDLED, &CUpdateWnd::OnHandled)
    ON_COMMAND(ID_CHECK_ME, &CUpdateWnd::OnHandled)
    ON_UPDATE_COMMAND_UI(ID_DISABLE_ME, &CUpdateWnd::OnUpdateDisable)
    ON_UPDATE_COMMAND_UI(ID_CHECK_ME, &CUpdateWnd::OnUpdateCheck)
    ON_UPDATE_COMMAND_UI(ID_RADIO_ME, &CUpdateWnd::OnUpdateRadio)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CUpdateWnd::OnIdleUpdate)
END_MESSAGE_MAP()

TEST(WindowsCommandUI, PopupMenuItemsAreUpdatedWhenTheMenuOpens)
{
    CUpdateWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"menus", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_STRING, ID_DISABLE_ME, L"disable");
    popup.AppendMenu(MF_SEPARATOR);
    popup.AppendMenu(MF_STRING, ID_CHECK_ME, L"check");
    popup.AppendMenu(MF_STRING, ID_HANDLED, L"handled");
    popup.AppendMenu(MF_STRING, ID_UNHANDLED, L"unhandled");
    popup.AppendMenu(MF_STRING, ID_RADIO_ME, L"radio");

    wnd.SendMessage(WM_INITMENUPOPUP, (WPARAM)popup.m_hMenu, MAKELPARAM(0, FALSE));
    EXPECT_TRUE(popup.GetMenuState(ID_DISABLE_ME, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(popup.GetMenuState(ID_CHECK_ME, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(popup.GetMenuState(ID_CHECK_ME, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(popup.GetMenuState(ID_HANDLED, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED));
    EXPECT_FALSE(popup.GetMenuState(ID_UNHANDLED, MF_BYCOMMAND) & MF_GRAYED);
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_FTYPE | MIIM_STATE;
    ASSERT_TRUE(popup.GetMenuItemInfo(ID_RADIO_ME, &mii));
    EXPECT_TRUE(mii.fType & MFT_RADIOCHECK);
    EXPECT_TRUE(mii.fState & MFS_CHECKED);

    // The automatic form disables what no handler serves.
    AfxUpdateMenuCommandUI(&wnd, &popup, TRUE);
    EXPECT_TRUE(popup.GetMenuState(ID_UNHANDLED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(popup.GetMenuState(ID_HANDLED, MF_BYCOMMAND) & MF_GRAYED);
    wnd.DestroyWindow();
}

TEST(WindowsCommandUI, DialogControlsFollowTheirUpdateHandlers)
{
    CUpdateWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"controls", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
    CButton disable, check, unhandled, autoCheck;
    ASSERT_TRUE(
        disable.Create(L"d", WS_CHILD | BS_PUSHBUTTON, CRect(0, 0, 40, 20), &wnd, ID_DISABLE_ME));
    ASSERT_TRUE(
        check.Create(L"c", WS_CHILD | BS_CHECKBOX, CRect(40, 0, 80, 20), &wnd, ID_CHECK_ME));
    ASSERT_TRUE(unhandled.Create(L"u", WS_CHILD | BS_PUSHBUTTON, CRect(80, 0, 120, 20), &wnd,
                                 ID_UNHANDLED));
    ASSERT_TRUE(
        autoCheck.Create(L"a", WS_CHILD | BS_AUTOCHECKBOX, CRect(120, 0, 160, 20), &wnd, 2999));

    wnd.UpdateDialogControls(&wnd, TRUE);
    EXPECT_FALSE(disable.IsWindowEnabled());
    EXPECT_TRUE(check.IsWindowEnabled());
    EXPECT_EQ(check.GetCheck(), BST_CHECKED);
    EXPECT_FALSE(unhandled.IsWindowEnabled());
    EXPECT_TRUE(autoCheck.IsWindowEnabled()); // the user's own check box stays usable
    wnd.DestroyWindow();
}

TEST(WindowsCommandUI, IdleTimeUpdateReachesTheMainWindowAndItsDescendants)
{
    CUpdateWnd main, child, grandChild;
    ASSERT_TRUE(main.CreateEx(WS_EX_NOACTIVATE, nullptr, L"main", WS_POPUP, 0, 0, 200, 100, nullptr,
                              nullptr));
    main.ShowWindow(SW_SHOWNA); // only a visible main window is updated
    ASSERT_TRUE(child.Create(nullptr, L"child", WS_CHILD, CRect(0, 0, 50, 50), &main, 1));
    ASSERT_TRUE(grandChild.Create(nullptr, L"grand", WS_CHILD, CRect(0, 0, 20, 20), &child, 2));
    CWinApp* pApp = AfxGetApp();
    pApp->m_pMainWnd = &main;
    pApp->OnIdle(0);
    pApp->m_pMainWnd = nullptr;
    EXPECT_EQ(main.idleUpdates, 1);
    EXPECT_EQ(child.idleUpdates, 1);
    EXPECT_EQ(grandChild.idleUpdates, 1);
    main.DestroyWindow();
}

// Wait cursors from any command target nest in the application object; the last one to end
// brings back the cursor the first one replaced.
TEST(WindowsCommandUI, WaitCursorsNestInTheApplicationObject)
{
    CWinApp* pApp = AfxGetApp();
    HCURSOR hcurCross = ::LoadCursorW(nullptr, IDC_CROSS);
    ::SetCursor(hcurCross);
    {
        CWaitCursor outer;
        EXPECT_EQ(pApp->m_nWaitCursorCount, 1);
        {
            CCmdTarget target;
            target.BeginWaitCursor();
            EXPECT_EQ(pApp->m_nWaitCursorCount, 2);
            ::SetCursor(hcurCross); // something else changed it meanwhile
            target.RestoreWaitCursor();
            EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_WAIT));
            target.EndWaitCursor();
        }
        EXPECT_EQ(pApp->m_nWaitCursorCount, 1);
        EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_WAIT));
    }
    EXPECT_EQ(pApp->m_nWaitCursorCount, 0);
    EXPECT_EQ(::GetCursor(), hcurCross);
}

} // namespace
