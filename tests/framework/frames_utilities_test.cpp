// The recent file list (order, profile, display names, menu) and the static splitter.
#include "frames_test_frame.h"

#include <gtest/gtest.h>

namespace {

TEST(RecentFileListTest, KeepsTheNewestFirstWithoutDuplicates)
{
    CRecentFileList list(ID_FILE_MRU_FILE1, L"Recent file list", L"File%d", 3);
    list.Add(L"C:\\a\\one.sql");
    list.Add(L"C:\\a\\two.sql");
    list.Add(L"C:\\A\\ONE.SQL"); // the same file: moves up
    EXPECT_STREQ(list[0], L"C:\\A\\ONE.SQL");
    EXPECT_STREQ(list[1], L"C:\\a\\two.sql");
    EXPECT_STREQ(list[2], L"");
    list.Add(L"C:\\b\\three.sql");
    list.Add(L"C:\\b\\four.sql"); // the oldest drops out
    EXPECT_STREQ(list[0], L"C:\\b\\four.sql");
    EXPECT_STREQ(list[2], L"C:\\A\\ONE.SQL");
    list.Remove(0);
    EXPECT_STREQ(list[0], L"C:\\b\\three.sql");
    EXPECT_STREQ(list[2], L"");
}

TEST(RecentFileListTest, ProfileRoundTrip)
{
    CWinApp* pApp = AfxGetApp();
    LPCTSTR oldKey = pApp->m_pszRegistryKey, oldProfile = pApp->m_pszProfileName;
    pApp->SetRegistryKey(L"Quenlark Tests");
    {
        CRecentFileList list(ID_FILE_MRU_FILE1, L"Recent file list", L"File%d", 4);
        list.Add(L"C:\\x\\b.sql");
        list.Add(L"C:\\x\\a.sql");
        list.WriteList();
        EXPECT_STREQ(pApp->GetProfileString(L"Recent file list", L"File1"), L"C:\\x\\a.sql");
        EXPECT_STREQ(pApp->GetProfileString(L"Recent file list", L"File2"), L"C:\\x\\b.sql");
        list.Remove(0);
        list.WriteList(); // emptied entries leave the profile
        EXPECT_STREQ(pApp->GetProfileString(L"Recent file list", L"File2", L"gone"), L"gone");
        CRecentFileList other(ID_FILE_MRU_FILE1, L"Recent file list", L"File%d", 4);
        other.ReadList();
        EXPECT_STREQ(other[0], L"C:\\x\\b.sql");
        EXPECT_STREQ(other[1], L"");
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenlark Tests");
    pApp->m_pszRegistryKey = oldKey;
    pApp->m_pszProfileName = oldProfile;
}

TEST(RecentFileListTest, DisplayNamesAndMenuItems)
{
    CRecentFileList list(ID_FILE_MRU_FILE1, L"Recent file list", L"File%d", 4, 30);
    list.Add(L"C:\\projects\\sales\\reports\\monthly\\totals & sums.sql");
    list.Add(L"C:\\work\\short.sql");
    CString name;
    ASSERT_TRUE(list.GetDisplayName(name, 0, L"C:\\work", 7));
    EXPECT_STREQ(name, L"short.sql"); // in the current folder: the name alone
    ASSERT_TRUE(list.GetDisplayName(name, 1, L"C:\\work", 7));
    EXPECT_STREQ(name, L"C:\\...\\totals && sums.sql"); // "monthly" does not fit in 30
    EXPECT_FALSE(list.GetDisplayName(name, 2, nullptr, 0));
    EXPECT_STREQ(AfxAbbreviateName(L"C:\\projects\\sales\\a.sql", 40, TRUE),
                 L"C:\\projects\\sales\\a.sql");
    EXPECT_STREQ(AfxAbbreviateName(L"C:\\projects\\sales\\reports\\a.sql", 22, TRUE),
                 L"C:\\...\\reports\\a.sql");

    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, ID_FILE_OPEN, L"&Open");
    menu.AppendMenu(MF_STRING, ID_FILE_MRU_FILE1, L"Recent File");
    menu.AppendMenu(MF_STRING, ID_APP_EXIT, L"E&xit");
    CCmdUI state;
    state.m_pMenu = &menu;
    state.m_nIndex = 1;
    state.m_nID = ID_FILE_MRU_FILE1;
    state.m_nIndexMax = 3;
    list.UpdateMenu(&state);
    ASSERT_EQ(menu.GetMenuItemCount(), 4);
    EXPECT_EQ(menu.GetMenuItemID(1), (UINT)ID_FILE_MRU_FILE1);
    EXPECT_EQ(menu.GetMenuItemID(2), (UINT)ID_FILE_MRU_FILE2);
    EXPECT_EQ(menu.GetMenuItemID(3), (UINT)ID_APP_EXIT);
    CString text;
    menu.GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_EQ(text.Left(3), CString(L"&1 "));
    EXPECT_EQ(state.m_nIndex, 2u); // the caller's loop goes on after the new items

    // Emptied: the original item, disabled.
    list.Remove(0);
    list.Remove(0);
    state.m_nIndex = 1;
    list.UpdateMenu(&state);
    ASSERT_EQ(menu.GetMenuItemCount(), 3);
    menu.GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Recent File");
    EXPECT_TRUE(menu.GetMenuState(ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED);
}

TEST(RecentFileListTest, OnlyThePopupHoldingTheListGetsTheNames)
{
    // File > Recent Files: the parent's update pass reaches the list through the popup's first
    // item; the names must not land in the parent menu beside the popup.
    CRecentFileList list(ID_FILE_MRU_FILE1, L"Recent file list", L"File%d", 4);
    list.Add(L"C:\\work\\a.sql");
    list.Add(L"C:\\work\\b.sql");
    CMenu parent, popup;
    ASSERT_TRUE(parent.CreatePopupMenu());
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_STRING, ID_FILE_MRU_FILE1, L"Recent File");
    parent.AppendMenu(MF_STRING, ID_FILE_OPEN, L"&Open");
    parent.AppendMenu(MF_POPUP, (UINT_PTR)popup.Detach(), L"Recent &Files");
    parent.AppendMenu(MF_STRING, ID_APP_EXIT, L"E&xit");

    CCmdUI state;
    state.m_pMenu = &parent;
    state.m_nIndexMax = 3;
    state.m_nIndex = 1;
    state.m_nID = ID_FILE_MRU_FILE1;
    state.m_pSubMenu = parent.GetSubMenu(1);
    list.UpdateMenu(&state);
    EXPECT_EQ(parent.GetMenuItemCount(), 3);
    EXPECT_EQ(parent.GetSubMenu(1)->GetMenuItemCount(), 1);

    // Opened, the popup itself gets them.
    CCmdUI inner;
    inner.m_pMenu = parent.GetSubMenu(1);
    inner.m_nIndexMax = 1;
    inner.m_nIndex = 0;
    inner.m_nID = ID_FILE_MRU_FILE1;
    list.UpdateMenu(&inner);
    ASSERT_EQ(parent.GetSubMenu(1)->GetMenuItemCount(), 2);
    EXPECT_EQ(parent.GetMenuItemCount(), 3);
    CString name;
    parent.GetSubMenu(1)->GetMenuString(0, name, MF_BYPOSITION);
    EXPECT_STREQ(name, L"&1 C:\\work\\b.sql");
    parent.GetSubMenu(1)->GetMenuString(1, name, MF_BYPOSITION);
    EXPECT_STREQ(name, L"&2 C:\\work\\a.sql");
}

TEST(SplitterTest, StaticTwoRowsShareTheClientArea)
{
    CTestMainFrame* pFrame = CTestMainFrame::CreateShown(800, 600);
    ASSERT_NE(pFrame, nullptr);
    auto* pChild = new CMDIChildWnd;
    ASSERT_TRUE(pChild->Create(nullptr, L"Error", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                               CRect(0, 0, 500, 450), pFrame));
    CSplitterWnd splitter;
    ASSERT_TRUE(splitter.CreateStatic(pChild, 2, 1, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST));
    ASSERT_TRUE(splitter.CreateView(0, 0, RUNTIME_CLASS(CWnd), CSize(100, 300)));
    ASSERT_TRUE(splitter.CreateView(1, 0, RUNTIME_CLASS(CWnd), CSize(100, 100)));
    EXPECT_FALSE(splitter.CreateView(1, 0, RUNTIME_CLASS(CWnd), CSize(100, 100))); // taken
    pChild->RecalcLayout();
    CRect rcClient, rcSplitter;
    pChild->GetClientRect(&rcClient);
    splitter.GetClientRect(&rcSplitter);
    EXPECT_EQ(rcSplitter.Size(), rcClient.Size()); // the splitter is the child's pane

    CRect rc0, rc1;
    splitter.GetPane(0, 0)->GetWindowRect(&rc0);
    splitter.GetPane(1, 0)->GetWindowRect(&rc1);
    EXPECT_EQ(rc0.Height(), 300);
    EXPECT_EQ(rc1.top, rc0.bottom + splitter.m_cySplitter);
    EXPECT_EQ(rc0.Height() + rc1.Height() + splitter.m_cySplitter, rcSplitter.Height());
    EXPECT_EQ(splitter.IdFromRowCol(1, 0), AFX_IDW_PANE_FIRST + 16);

    // Dragging the bar up by 100.
    const int yBar = 300 + 1;
    splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, yBar));
    splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 200));
    splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 200));
    splitter.GetPane(0, 0)->GetWindowRect(&rc0);
    EXPECT_EQ(rc0.Height(), 200);
    int cyCur = 0, cyMin = 0;
    splitter.GetRowInfo(1, cyCur, cyMin);
    EXPECT_EQ(cyCur, rcSplitter.Height() - 200 - splitter.m_cySplitter);
    splitter.DestroyWindow();
    CTestMainFrame::Destroy(pFrame);
}

} // namespace
