// The main frame as its first paint shows it: built, not yet shown, before the message loop has
// had any idle time.
#include "app/main_frame.h"
#include "editor/editor_class.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<HWND> Descendants(HWND hParent, LPCWSTR pszClass)
{
    struct CFind
    {
        LPCWSTR pszClass;
        std::vector<HWND> found;
    } find{pszClass, {}};
    ::EnumChildWindows(
        hParent,
        [](HWND hWnd, LPARAM lParam) {
            auto* pFind = reinterpret_cast<CFind*>(lParam);
            wchar_t name[64] = {};
            ::GetClassNameW(hWnd, name, 64);
            if (_wcsicmp(name, pFind->pszClass) == 0)
                pFind->found.push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

bool IsWithin(HWND hWnd, HWND hAncestor)
{
    for (; hWnd != nullptr; hWnd = ::GetParent(hWnd))
        if (hWnd == hAncestor)
            return true;
    return false;
}

TEST(MainFrameStart, BuiltFrameIsInItsUnconnectedStateBeforeTheFirstPaint)
{
    // The output bar's editor, as start-up registers it before the frame is made; registered
    // here only for this test, as the other tests of this program expect to register it.
    const HINSTANCE hInstance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW editorClass = {sizeof(editorClass)};
    const bool bRegistered =
        ::GetClassInfoExW(hInstance, L"RColorEditorClass", &editorClass) == FALSE;
    if (bRegistered)
        ASSERT_TRUE(RegisterRColorEditorClass(hInstance));
    auto* pFrame = new CMainFrame;
    ASSERT_TRUE(pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr));
    const HWND hFrame = pFrame->GetSafeHwnd();
    ASSERT_FALSE(::IsWindowVisible(hFrame));

    // The toolbar already shows what needs a connection greyed, not every button enabled.
    HWND hToolBar = nullptr;
    for (HWND hWnd : Descendants(hFrame, L"ToolbarWindow32"))
        if (::GetDlgCtrlID(hWnd) == AFX_IDW_TOOLBAR)
            hToolBar = hWnd;
    ASSERT_NE(hToolBar, nullptr);
    ASSERT_GE(::SendMessageW(hToolBar, TB_COMMANDTOINDEX, ID_QUERY_SQL, 0), 0);
    EXPECT_FALSE(::SendMessageW(hToolBar, TB_ISBUTTONENABLED, ID_QUERY_SQL, 0));
    EXPECT_TRUE(::SendMessageW(hToolBar, TB_ISBUTTONENABLED, ID_CONNECT_STRINGS, 0));

    // The empty window area has no scroll bars to draw, and lies between the toolbar and the
    // status bar: the bars were laid out once they were all in place.
    const std::vector<HWND> clients = Descendants(hFrame, L"MDICLIENT");
    ASSERT_EQ(clients.size(), 1u);
    EXPECT_EQ(::GetWindowLongW(clients[0], GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
    const std::vector<HWND> statusBars = Descendants(hFrame, L"msctls_statusbar32");
    ASSERT_EQ(statusBars.size(), 1u);
    RECT client = {}, toolBar = {}, status = {};
    ::GetWindowRect(clients[0], &client);
    ::GetWindowRect(hToolBar, &toolBar);
    ::GetWindowRect(statusBars[0], &status);
    EXPECT_GT(toolBar.bottom, toolBar.top);
    EXPECT_GE(client.top, toolBar.bottom);
    EXPECT_LE(client.bottom, status.top);
    EXPECT_GT(client.bottom, client.top);

    // Files dropped on the window are taken (the shell reads them only when they come).
    EXPECT_NE(::GetWindowLongW(hFrame, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);

    // Building the hidden database bar neither activated the hidden frame nor put the keyboard
    // into one of its hidden trees.
    EXPECT_NE(::GetActiveWindow(), hFrame);
    EXPECT_FALSE(IsWithin(::GetFocus(), hFrame));

    pFrame->DestroyWindow();
    if (bRegistered)
        ::UnregisterClassW(L"RColorEditorClass", hInstance);
}

} // namespace
