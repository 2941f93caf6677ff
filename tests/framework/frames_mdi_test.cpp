// MDI frames: accelerators through the pre-translate walk, the Window menu, activation of
// children, and menu items updated when their popup opens.
#include "frames_test_frame.h"

#include <gtest/gtest.h>

namespace {

class CActivationChild : public CMDIChildWnd
{
public:
    std::vector<int> m_activations; // 1 activated, 0 deactivated
    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd) override
    {
        m_activations.push_back(bActivate ? 1 : 0);
        CMDIChildWnd::OnMDIActivate(bActivate, pActivateWnd, pDeactivateWnd);
    }
};

class MdiTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_pFrame = CTestMainFrame::CreateShown(800, 600);
        ASSERT_NE(m_pFrame, nullptr);
    }
    void TearDown() override { CTestMainFrame::Destroy(m_pFrame); }
    CTestMainFrame* m_pFrame = nullptr;
};

TEST_F(MdiTest, AcceleratorsTranslateKeysOfAnyChild)
{
    ACCEL accel[] = {{FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
                     {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY}};
    m_pFrame->m_hAccelTable = ::CreateAcceleratorTableW(accel, 2);
    CTestChildFrame* pChild = m_pFrame->NewChild(L"Keys", TRUE);
    ASSERT_NE(pChild, nullptr);
    pChild->m_wndView.SetFocus();
    SetHeldKeys({VK_CONTROL});
    ::PostMessageW(pChild->m_wndView.m_hWnd, WM_KEYDOWN, 'N', 1);
    ::PostMessageW(pChild->m_wndView.m_hWnd, WM_KEYDOWN, 'C', 1);
    PumpPending();
    SetHeldKeys({});
    EXPECT_EQ(m_pFrame->m_nNew, 1);
    EXPECT_EQ(pChild->m_wndView.m_nCopy, 1); // the command went the usual way
    ::DestroyAcceleratorTable(m_pFrame->m_hAccelTable);
    m_pFrame->m_hAccelTable = nullptr;
}

TEST_F(MdiTest, ChildrenAreActivatedAndToldSo)
{
    auto* pOne = new CActivationChild;
    auto* pTwo = new CActivationChild;
    ASSERT_TRUE(pOne->Create(nullptr, L"One", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                             CFrameWnd::rectDefault, m_pFrame));
    ASSERT_TRUE(pTwo->Create(nullptr, L"Two", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                             CFrameWnd::rectDefault, m_pFrame));
    EXPECT_EQ(m_pFrame->MDIGetActive(), pTwo);
    EXPECT_EQ(pOne->m_activations, (std::vector<int>{1, 0}));
    m_pFrame->MDINext();
    EXPECT_EQ(m_pFrame->MDIGetActive(), pOne);
    EXPECT_EQ(pOne->m_activations.back(), 1);
    EXPECT_EQ(pTwo->m_activations.back(), 0);

    BOOL bMax = TRUE;
    m_pFrame->MDIGetActive(&bMax);
    EXPECT_FALSE(bMax);
    pOne->MDIMaximize();
    m_pFrame->MDIGetActive(&bMax);
    EXPECT_TRUE(bMax);
    pOne->MDIRestore();

    // The Window commands work only with a child to arrange.
    m_pFrame->SendMessage(WM_COMMAND, ID_WINDOW_TILE_VERT);
    CRect r1, r2;
    pOne->GetWindowRect(&r1);
    pTwo->GetWindowRect(&r2);
    CRect inter;
    EXPECT_FALSE(inter.IntersectRect(&r1, &r2));
    pOne->MDIDestroy();
    EXPECT_EQ(m_pFrame->MDIGetActive(), pTwo);
    pTwo->SendMessage(WM_CLOSE); // closing a child destroys it through the MDI client
    PumpPending();
    EXPECT_EQ(m_pFrame->MDIGetActive(), nullptr);
}

TEST_F(MdiTest, MenuItemsAreUpdatedWhenTheirPopupOpens)
{
    HMENU hBar = ::GetMenu(m_pFrame->m_hWnd);
    HMENU hFile = ::GetSubMenu(hBar, 0);
    ASSERT_NE(hFile, nullptr);
    m_pFrame->m_bCanSave = FALSE;
    m_pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)hFile, MAKELPARAM(0, FALSE));
    EXPECT_FALSE(::GetMenuState(hFile, ID_FILE_NEW, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(::GetMenuState(hFile, ID_FILE_SAVE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(::GetMenuState(hFile, ID_EDIT_PASTE, MF_BYCOMMAND) & MF_GRAYED); // no handler
    // Without automatic disabling an item without a handler stays as it is.
    m_pFrame->m_bAutoMenuEnable = FALSE;
    ::EnableMenuItem(hFile, ID_EDIT_PASTE, MF_BYCOMMAND | MF_ENABLED);
    m_pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)hFile, MAKELPARAM(0, FALSE));
    EXPECT_FALSE(::GetMenuState(hFile, ID_EDIT_PASTE, MF_BYCOMMAND) & MF_GRAYED);
    // A disabled item's command does not run.
    const int nSaves = m_pFrame->m_nNew;
    m_pFrame->SendMessage(WM_COMMAND, ID_FILE_SAVE);
    EXPECT_EQ(m_pFrame->m_nNew, nSaves);
}

TEST_F(MdiTest, TheWindowMenuIsFoundByItsCommands)
{
    HMENU hBar = ::CreateMenu();
    HMENU hFile = ::CreatePopupMenu(), hWindow = ::CreatePopupMenu(), hHelp = ::CreatePopupMenu();
    ::AppendMenuW(hFile, MF_STRING, ID_FILE_NEW, L"New");
    ::AppendMenuW(hWindow, MF_STRING, ID_WINDOW_CASCADE, L"Cascade");
    ::AppendMenuW(hHelp, MF_STRING, ID_APP_ABOUT, L"About");
    ::AppendMenuW(hBar, MF_POPUP, (UINT_PTR)hFile, L"File");
    ::AppendMenuW(hBar, MF_POPUP, (UINT_PTR)hWindow, L"Window");
    ::AppendMenuW(hBar, MF_POPUP, (UINT_PTR)hHelp, L"Help");
    EXPECT_EQ(m_pFrame->GetWindowMenuPopup(hBar), hWindow);
    ::RemoveMenu(hWindow, 0, MF_BYPOSITION);
    EXPECT_EQ(m_pFrame->GetWindowMenuPopup(hBar), hWindow); // the popup before the last
    ::DestroyMenu(hBar);
}

} // namespace
