// Frames: the layout of bars around the MDI client, command routing, the idle update of
// toolbar buttons and status panes, and status line prompts.
#include "frames_test_frame.h"

#include <gtest/gtest.h>

namespace {

class FrameTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_pFrame = CTestMainFrame::CreateShown();
        ASSERT_NE(m_pFrame, nullptr);
    }
    void TearDown() override { CTestMainFrame::Destroy(m_pFrame); }
    CTestMainFrame* m_pFrame = nullptr;
};

TEST_F(FrameTest, BarsAndClientTileTheClientArea)
{
    CRect client;
    m_pFrame->GetClientRect(&client);
    CRect tool = ClientRectOf(m_pFrame, m_pFrame->m_wndToolBar.m_hWnd);
    CRect status = ClientRectOf(m_pFrame, m_pFrame->m_wndStatusBar.m_hWnd);
    CRect mdi = ClientRectOf(m_pFrame, m_pFrame->m_hWndMDIClient);
    CRect top = ClientRectOf(m_pFrame, m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_TOP)->m_hWnd);

    // The toolbar lies in the top dock bar, the status bar at the bottom, the MDI client between.
    EXPECT_EQ(m_pFrame->m_wndToolBar.GetParent()->m_hWnd,
              m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_TOP)->m_hWnd);
    EXPECT_EQ(top.top, 0);
    EXPECT_EQ(top.Width(), client.Width());
    EXPECT_GT(top.Height(), 15);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(status.Width(), client.Width());
    EXPECT_GT(status.Height(), 15);
    EXPECT_EQ(mdi.top, top.bottom);
    EXPECT_EQ(mdi.bottom, status.top);
    EXPECT_EQ(mdi.left, 0);
    EXPECT_EQ(mdi.right, client.right);
    EXPECT_GE(tool.Height(), 20);
    EXPECT_LE(tool.bottom, top.bottom + 2);

    // The query mode measures the same pane without moving anything.
    CRect rectQuery;
    m_pFrame->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &rectQuery);
    EXPECT_EQ(rectQuery, mdi);

    // A resized frame lays itself out again.
    m_pFrame->SetWindowPos(nullptr, 0, 0, 600, 400, SWP_NOZORDER | SWP_NOMOVE);
    m_pFrame->GetClientRect(&client);
    status = ClientRectOf(m_pFrame, m_pFrame->m_wndStatusBar.m_hWnd);
    mdi = ClientRectOf(m_pFrame, m_pFrame->m_hWndMDIClient);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(mdi.bottom, status.top);
    EXPECT_EQ(mdi.right, client.right);
}

TEST_F(FrameTest, HiddenBarsGiveTheirSpaceBack)
{
    CRect before = ClientRectOf(m_pFrame, m_pFrame->m_hWndMDIClient);
    m_pFrame->ShowControlBar(&m_pFrame->m_wndStatusBar, FALSE, FALSE);
    m_pFrame->ShowControlBar(&m_pFrame->m_wndToolBar, FALSE, TRUE); // delayed: at idle time
    CRect mid = ClientRectOf(m_pFrame, m_pFrame->m_hWndMDIClient);
    EXPECT_GT(mid.bottom, before.bottom);
    EXPECT_EQ(mid.top, before.top);
    EXPECT_FALSE(m_pFrame->m_wndToolBar.IsVisible());
    CTestMainFrame::Idle();
    CRect after = ClientRectOf(m_pFrame, m_pFrame->m_hWndMDIClient);
    EXPECT_EQ(after.top, 0);
    EXPECT_FALSE(m_pFrame->m_wndToolBar.IsWindowVisible());

    // The View menu commands toggle the bars back.
    m_pFrame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    m_pFrame->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    EXPECT_EQ(ClientRectOf(m_pFrame, m_pFrame->m_hWndMDIClient), before);
}

TEST_F(FrameTest, CommandsReachTheActiveChildFirst)
{
    CTestChildFrame* pChild1 = m_pFrame->NewChild(L"One");
    CTestChildFrame* pChild2 = m_pFrame->NewChild(L"Two", TRUE);
    ASSERT_NE(pChild1, nullptr);
    ASSERT_NE(pChild2, nullptr);
    EXPECT_EQ(m_pFrame->MDIGetActive(), pChild2);
    EXPECT_EQ(m_pFrame->GetActiveFrame(), pChild2);

    // The view of the active child, then the child, then the frame.
    m_pFrame->SendMessage(WM_COMMAND, ID_EDIT_COPY);
    EXPECT_EQ(pChild2->m_wndView.m_nCopy, 1);
    EXPECT_EQ(pChild2->m_nCopy, 0);
    EXPECT_EQ(m_pFrame->m_nCopy, 0);
    m_pFrame->SendMessage(WM_COMMAND, ID_EDIT_CUT);
    EXPECT_EQ(pChild2->m_nCut, 1);
    m_pFrame->SendMessage(WM_COMMAND, ID_FILE_NEW);
    EXPECT_EQ(m_pFrame->m_nNew, 1);

    m_pFrame->MDIActivate(pChild1);
    EXPECT_EQ(m_pFrame->MDIGetActive(), pChild1);
    m_pFrame->SendMessage(WM_COMMAND, ID_EDIT_COPY);
    EXPECT_EQ(pChild1->m_nCopy, 1);
    EXPECT_EQ(pChild2->m_wndView.m_nCopy, 1);

    // A toolbar button's command takes the same way.
    m_pFrame->m_wndToolBar.GetParent()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_CUT, BN_CLICKED),
                                                    (LPARAM)m_pFrame->m_wndToolBar.m_hWnd);
    EXPECT_EQ(pChild1->m_nCut, 1);

    // Without children the frame handles what it can.
    pChild1->MDIDestroy();
    pChild2->MDIDestroy();
    PumpPending();
    EXPECT_EQ(m_pFrame->MDIGetActive(), nullptr);
    m_pFrame->SendMessage(WM_COMMAND, ID_EDIT_COPY);
    EXPECT_EQ(m_pFrame->m_nCopy, 1);
}

TEST_F(FrameTest, IdleUpdatesToolbarButtonsAndStatusPanes)
{
    CToolBarCtrl& bar = m_pFrame->m_wndToolBar.GetToolBarCtrl();
    CTestMainFrame::Idle();
    EXPECT_TRUE(bar.IsButtonEnabled(ID_FILE_NEW));
    EXPECT_TRUE(bar.IsButtonEnabled(ID_FILE_SAVE));
    EXPECT_FALSE(bar.IsButtonEnabled(ID_EDIT_PASTE)); // nobody handles it
    EXPECT_FALSE(bar.IsButtonEnabled(ID_EDIT_CUT));   // only children do, and none is open
    EXPECT_STREQ(m_pFrame->m_wndStatusBar.GetPaneText(1), L"REC");
    EXPECT_TRUE(m_pFrame->m_wndStatusBar.GetPaneStyle(2) & SBPS_DISABLED);
    EXPECT_STREQ(m_pFrame->m_wndStatusBar.GetStatusBarCtrl().GetText(2), L"");
    m_pFrame->m_bOverwrite = TRUE;
    CTestMainFrame::Idle();
    EXPECT_STREQ(m_pFrame->m_wndStatusBar.GetStatusBarCtrl().GetText(2), L"OVR");

    m_pFrame->m_bCanSave = FALSE;
    m_pFrame->m_strRecText = L"ON";
    m_pFrame->NewChild(L"Child");
    CTestMainFrame::Idle();
    EXPECT_FALSE(bar.IsButtonEnabled(ID_FILE_SAVE));
    EXPECT_TRUE(bar.IsButtonEnabled(ID_EDIT_CUT));
    EXPECT_STREQ(m_pFrame->m_wndStatusBar.GetStatusBarCtrl().GetText(1), L"ON");

    // A floating toolbar is still updated.
    m_pFrame->FloatControlBar(&m_pFrame->m_wndToolBar, CPoint(300, 300));
    ASSERT_TRUE(m_pFrame->m_wndToolBar.IsFloating());
    m_pFrame->m_bCanSave = TRUE;
    CTestMainFrame::Idle();
    EXPECT_TRUE(bar.IsButtonEnabled(ID_FILE_SAVE));
}

TEST_F(FrameTest, DropDownButtonsAndPaneClicksReachTheFrame)
{
    CToolBar& bar = m_pFrame->m_wndToolBar;
    const int nOpen = bar.CommandToIndex(ID_FILE_OPEN);
    bar.SetButtonStyle(nOpen, bar.GetButtonStyle(nOpen) | TBBS_DROPDOWN);
    EXPECT_TRUE(bar.GetButtonStyle(nOpen) & TBBS_DROPDOWN);
    EXPECT_TRUE(bar.GetToolBarCtrl().GetExtendedStyle() & TBSTYLE_EX_DRAWDDARROWS);
    // The arrow of the button, clicked: the toolbar tells its dock bar, which passes it on.
    CRect rcButton;
    bar.GetItemRect(nOpen, &rcButton);
    const CPoint pt(rcButton.right - 3, rcButton.CenterPoint().y);
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    PumpPending();
    EXPECT_EQ(m_pFrame->m_dropDowns, (std::vector<int>{ID_FILE_OPEN}));

    // A click on the second pane of the status bar.
    CRect rcPane;
    m_pFrame->m_wndStatusBar.GetItemRect(1, &rcPane);
    EXPECT_EQ(m_pFrame->m_wndStatusBar.HitTestPane(rcPane.CenterPoint()), 1);
    m_pFrame->m_wndStatusBar.SendMessage(
        WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rcPane.CenterPoint().x, rcPane.CenterPoint().y));
    m_pFrame->m_wndStatusBar.SendMessage(
        WM_LBUTTONUP, 0, MAKELPARAM(rcPane.CenterPoint().x, rcPane.CenterPoint().y));
    EXPECT_EQ(m_pFrame->m_paneClicks, (std::vector<int>{1}));
}

TEST_F(FrameTest, MessageTextGoesToTheFirstPane)
{
    m_pFrame->SetMessageText(L"Working");
    EXPECT_STREQ(m_pFrame->m_wndStatusBar.GetPaneText(0), L"Working");
    m_pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
    EXPECT_STREQ(m_pFrame->m_wndStatusBar.GetStatusBarCtrl().GetText(0), L"Ready");
    CString text;
    m_pFrame->m_wndStatusBar.GetWindowText(text);
    EXPECT_STREQ(text, L"Ready");
}

} // namespace
