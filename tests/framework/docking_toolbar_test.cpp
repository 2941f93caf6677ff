// Docking a toolbar: the four sides, dragging it by the mouse to another side or into the open,
// double-clicks that float and dock it again, and the layout kept in the profile.
#include "frames_test_frame.h"

#include <gtest/gtest.h>

namespace {

class DockingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_pFrame = CTestMainFrame::CreateShown(800, 600);
        ASSERT_NE(m_pFrame, nullptr);
    }
    void TearDown() override { CTestMainFrame::Destroy(m_pFrame); }
    CToolBar& Bar() { return m_pFrame->m_wndToolBar; }
    UINT DockId() { return (UINT)::GetDlgCtrlID(::GetParent(Bar().m_hWnd)); }
    // Drags the toolbar from a gap between its buttons to a screen point, with posted mouse
    // messages that the drag loop reads.
    void DragBarTo(CPoint ptTo)
    {
        CRect rcSep;
        Bar().GetItemRect(3, &rcSep); // the separator: no button there
        CPoint ptFrom = rcSep.CenterPoint();
        CPoint ptClient = ptTo;
        Bar().ScreenToClient(&ptClient);
        Bar().PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptClient.x, ptClient.y));
        Bar().PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptClient.x, ptClient.y));
        Bar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ptFrom.x, ptFrom.y));
        CTestMainFrame::Idle();
    }
    CTestMainFrame* m_pFrame = nullptr;
};

TEST_F(DockingTest, ToolbarDocksOnEverySide)
{
    const UINT ids[4] = {AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_RIGHT,
                         AFX_IDW_DOCKBAR_TOP};
    for (UINT id : ids)
    {
        m_pFrame->DockControlBar(&Bar(), id);
        CTestMainFrame::Idle();
        EXPECT_EQ(DockId(), id);
        CRect rcBar = ClientRectOf(m_pFrame, Bar().m_hWnd);
        CRect rcMdi = ClientRectOf(m_pFrame, m_pFrame->m_hWndMDIClient);
        CRect inter;
        EXPECT_FALSE(inter.IntersectRect(&rcBar, &rcMdi)) << id;
        const BOOL bVert = id == AFX_IDW_DOCKBAR_LEFT || id == AFX_IDW_DOCKBAR_RIGHT;
        // Docked vertically the buttons stand in a column.
        if (bVert)
            EXPECT_GT(rcBar.Height(), rcBar.Width()) << id;
        else
            EXPECT_GT(rcBar.Width(), rcBar.Height()) << id;
        EXPECT_EQ(Bar().GetBarStyle() & CBRS_ALIGN_ANY,
                  id == AFX_IDW_DOCKBAR_LEFT    ? (DWORD)CBRS_ALIGN_LEFT
                  : id == AFX_IDW_DOCKBAR_RIGHT ? (DWORD)CBRS_ALIGN_RIGHT
                  : id == AFX_IDW_DOCKBAR_TOP   ? (DWORD)CBRS_ALIGN_TOP
                                                : (DWORD)CBRS_ALIGN_BOTTOM);
    }
    // Only one dock bar holds it at any time.
    int nHolders = 0;
    for (UINT id : ids)
        nHolders += m_pFrame->GetDockBar(id)->FindBar(&Bar()) >= 0 ? 1 : 0;
    EXPECT_EQ(nHolders, 1);
}

TEST_F(DockingTest, DraggingMovesTheToolbarToAnotherSideOrIntoTheOpen)
{
    CRect rcClient;
    m_pFrame->GetClientRect(&rcClient);
    m_pFrame->ClientToScreen(&rcClient);
    // Onto the left edge of the frame.
    DragBarTo(CPoint(rcClient.left + 4, rcClient.CenterPoint().y));
    EXPECT_EQ(DockId(), (UINT)AFX_IDW_DOCKBAR_LEFT);
    EXPECT_FALSE(Bar().IsFloating());
    // Into the middle: a mini frame.
    DragBarTo(rcClient.CenterPoint());
    ASSERT_TRUE(Bar().IsFloating());
    auto* pMini = dynamic_cast<CMiniDockFrameWnd*>(AfxGetParentFrame(&Bar()));
    ASSERT_NE(pMini, nullptr);
    EXPECT_TRUE(pMini->IsWindowVisible());
    EXPECT_EQ(ClientRectOf(m_pFrame, m_pFrame->m_hWndMDIClient).left, 0);
    // Commands of the floating bar still reach the frame.
    const int nNew = m_pFrame->m_nNew;
    pMini->m_wndDockBar.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_NEW, BN_CLICKED),
                                    (LPARAM)Bar().m_hWnd);
    EXPECT_EQ(m_pFrame->m_nNew, nNew + 1);
    // A double click on a gap docks it where it was before.
    CRect rcSep;
    Bar().GetItemRect(3, &rcSep);
    Bar().SendMessage(WM_LBUTTONDBLCLK, 0,
                      MAKELPARAM(rcSep.CenterPoint().x, rcSep.CenterPoint().y));
    CTestMainFrame::Idle();
    EXPECT_EQ(DockId(), (UINT)AFX_IDW_DOCKBAR_LEFT);
    EXPECT_FALSE(::IsWindow(pMini->GetSafeHwnd()));
    // ... and floats it again.
    Bar().GetItemRect(3, &rcSep);
    Bar().SendMessage(WM_LBUTTONDBLCLK, 0,
                      MAKELPARAM(rcSep.CenterPoint().x, rcSep.CenterPoint().y));
    CTestMainFrame::Idle();
    EXPECT_TRUE(Bar().IsFloating());
    // Closing the mini frame hides the bar and keeps it.
    AfxGetParentFrame(&Bar())->SendMessage(WM_CLOSE);
    CTestMainFrame::Idle();
    EXPECT_TRUE(::IsWindow(Bar().m_hWnd));
    EXPECT_FALSE(Bar().IsWindowVisible());
    m_pFrame->ShowControlBar(&Bar(), TRUE, FALSE);
    EXPECT_TRUE(Bar().IsWindowVisible());
    EXPECT_TRUE(AfxGetParentFrame(&Bar())->IsWindowVisible());
}

TEST_F(DockingTest, EscapeOrAClickWithoutMovingChangesNothing)
{
    const CRect before = ClientRectOf(m_pFrame, Bar().m_hWnd);
    CRect rcSep;
    Bar().GetItemRect(3, &rcSep);
    Bar().PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(rcSep.CenterPoint().x, rcSep.CenterPoint().y));
    Bar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON,
                      MAKELPARAM(rcSep.CenterPoint().x, rcSep.CenterPoint().y));
    CTestMainFrame::Idle();
    EXPECT_EQ(ClientRectOf(m_pFrame, Bar().m_hWnd), before);
    Bar().PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 300));
    Bar().PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    Bar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON,
                      MAKELPARAM(rcSep.CenterPoint().x, rcSep.CenterPoint().y));
    CTestMainFrame::Idle();
    EXPECT_EQ(DockId(), (UINT)AFX_IDW_DOCKBAR_TOP);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST_F(DockingTest, BarLayoutSurvivesARestart)
{
    CWinApp* pApp = AfxGetApp();
    LPCTSTR oldKey = pApp->m_pszRegistryKey, oldProfile = pApp->m_pszProfileName;
    pApp->SetRegistryKey(L"Quenlark Tests");
    m_pFrame->DockControlBar(&Bar(), AFX_IDW_DOCKBAR_RIGHT);
    m_pFrame->ShowControlBar(&m_pFrame->m_wndStatusBar, FALSE, FALSE);
    m_pFrame->SaveBarState(L"Layout");
    CTestMainFrame::Destroy(m_pFrame);

    m_pFrame = CTestMainFrame::CreateShown(800, 600);
    ASSERT_NE(m_pFrame, nullptr);
    EXPECT_EQ(DockId(), (UINT)AFX_IDW_DOCKBAR_TOP);
    m_pFrame->LoadBarState(L"Layout");
    CTestMainFrame::Idle();
    EXPECT_EQ(DockId(), (UINT)AFX_IDW_DOCKBAR_RIGHT);
    EXPECT_FALSE(m_pFrame->m_wndStatusBar.IsWindowVisible());
    EXPECT_TRUE(Bar().IsWindowVisible());

    // Floating is remembered with its place.
    m_pFrame->FloatControlBar(&Bar(), CPoint(333, 222));
    m_pFrame->SaveBarState(L"Layout");
    CTestMainFrame::Destroy(m_pFrame);
    m_pFrame = CTestMainFrame::CreateShown(800, 600);
    ASSERT_NE(m_pFrame, nullptr);
    m_pFrame->LoadBarState(L"Layout");
    CTestMainFrame::Idle();
    ASSERT_TRUE(Bar().IsFloating());
    CRect rcMini;
    AfxGetParentFrame(&Bar())->GetWindowRect(&rcMini);
    EXPECT_EQ(rcMini.TopLeft(), CPoint(333, 222));

    // A profile without a summary changes nothing.
    m_pFrame->LoadBarState(L"NoSuchLayout");
    EXPECT_TRUE(Bar().IsFloating());

    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenlark Tests");
    pApp->m_pszRegistryKey = oldKey;
    pApp->m_pszProfileName = oldProfile;
}

} // namespace
