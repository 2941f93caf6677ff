// Sizing docking bars in a real frame: docking on every side, rows that share their length,
// edge dragging with limits, floating and re-docking, resizing by a corner, the caption's close
// box, and sizes and layout kept in the profile.
#include "controls/sizing_vs2015_bar.h"
#include "framework/wnd_internal.h"
#include "screenshot_util.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using qltest::PumpPending;

const UINT kLeftBarId = 0xE820;
const UINT kBottomBarId = 0xE821;
const LPCTSTR kProfile = L"DockTest";

class CTestBar : public CSizingVS2015Bar
{
public:
    CEdit m_wndEdit;

protected:
    int OnCreate(LPCREATESTRUCT lpcs)
    {
        if (CSizingVS2015Bar::OnCreate(lpcs) == -1)
            return -1;
        m_dwSCBStyle |= SCBS_SIZECHILD;
        return m_wndEdit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 10, 10), this,
                                100)
                   ? 0
                   : -1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestBar, CSizingVS2015Bar)
    ON_WM_CREATE()
END_MESSAGE_MAP()

class CDockFrame : public CMDIFrameWnd
{
public:
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
    CTestBar m_barLeft, m_barBottom;
    BOOL m_bLoadState = FALSE;

protected:
    int OnCreate(LPCREATESTRUCT lpcs)
    {
        if (CMDIFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        static const UINT buttons[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR,
                                       ID_EDIT_COPY};
        static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS};
        if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                                   WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER) ||
            !m_wndToolBar.SetButtons(buttons, 5) || !m_wndStatusBar.Create(this) ||
            !m_wndStatusBar.SetIndicators(indicators, 2))
            return -1;
        const DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_SIZE_DYNAMIC;
        if (!m_barLeft.CreateWithSize(L"Databases", this, CSize(250, 250), kLeftBarId, dwStyle) ||
            !m_barBottom.CreateWithSize(L"Output", this, CSize(500, 150), kBottomBarId, dwStyle))
            return -1;
        m_barLeft.SetBarStyle(m_barLeft.GetBarStyle() | CBRS_SIZE_DYNAMIC);
        EnableDocking(CBRS_ALIGN_ANY);
        m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
        m_barLeft.EnableDocking(CBRS_ALIGN_ANY);
        m_barBottom.EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(&m_wndToolBar, AFX_IDW_DOCKBAR_TOP);
        DockControlBar(&m_barLeft, AFX_IDW_DOCKBAR_LEFT);
        DockControlBar(&m_barBottom, AFX_IDW_DOCKBAR_BOTTOM);
        if (m_bLoadState)
        {
            m_barLeft.LoadState(kProfile);
            m_barBottom.LoadState(kProfile);
            LoadBarState(kProfile);
        }
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDockFrame, CMDIFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

// The tests run inside an application object with a registry key of its own, created here and
// taken down after the suite (the program's other tests run without one).
class SizingBarTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_pOldThread = AfxGetThreadState().pThread;
        s_pApp = new CWinApp(L"SizingBarTests");
        s_pApp->SetRegistryKey(L"Quenlark Tests");
    }
    static void TearDownTestSuite()
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenlark Tests\\SizingBarTests");
        delete s_pApp;
        s_pApp = nullptr;
        AfxGetThreadState().pThread = s_pOldThread;
    }
    void SetUp() override { m_pFrame = CreateFrame(FALSE); }
    void TearDown() override { DestroyFrame(m_pFrame); }

    static CDockFrame* CreateFrame(BOOL bLoadState, int cx = 900, int cy = 700)
    {
        auto* pFrame = new CDockFrame;
        pFrame->m_bLoadState = bLoadState;
        if (!pFrame->Create(nullptr, L"Docking", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CRect(0, 0, cx, cy)))
            return nullptr;
        s_pApp->m_pMainWnd = pFrame;
        pFrame->ShowWindow(SW_SHOW);
        ::SetForegroundWindow(pFrame->m_hWnd);
        pFrame->RecalcLayout();
        Idle();
        return pFrame;
    }
    static void DestroyFrame(CDockFrame* pFrame)
    {
        if (s_pApp->m_pMainWnd == pFrame)
            s_pApp->m_pMainWnd = nullptr;
        if (pFrame != nullptr && ::IsWindow(pFrame->m_hWnd))
            pFrame->DestroyWindow();
        PumpPending();
    }
    // The application's idle pass, twice: a layout may ask for another one.
    static void Idle()
    {
        for (int i = 0; i < 2; ++i)
        {
            PumpPending();
            s_pApp->OnIdle(0);
        }
        PumpPending();
    }
    CRect FrameRect(HWND hWnd) const
    {
        CRect rect;
        ::GetWindowRect(hWnd, &rect);
        m_pFrame->ScreenToClient(&rect);
        return rect;
    }
    static CPoint ScreenPoint(CWnd* pWnd, int x, int y)
    {
        CRect rect;
        pWnd->GetWindowRect(&rect);
        return CPoint(rect.left + x, rect.top + y);
    }
    // Drags an edge of a docked bar from `from` to `to` (screen points) with mouse messages.
    static void DragEdge(CSizingControlBar* pBar, UINT nHit, CPoint from, CPoint to)
    {
        pBar->SendMessage(WM_NCLBUTTONDOWN, nHit, MAKELPARAM(from.x, from.y));
        CPoint pt = to;
        pBar->ScreenToClient(&pt);
        pBar->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        pBar->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        Idle();
    }
    static int RowLengthSum(CDockBar* pDock, BOOL bHorz)
    {
        int sum = 0;
        for (int i = 0; i < (int)pDock->m_arrBars.GetSize(); ++i)
            if (auto* p = dynamic_cast<CSizingControlBar*>(pDock->GetDockedControlBar(i)))
                if (p->IsVisible())
                    sum += (bHorz ? p->m_szHorz.cx : p->m_szVert.cy) - 2;
        return sum;
    }

    CDockFrame* m_pFrame = nullptr;
    static CWinApp* s_pApp;
    static CWinThread* s_pOldThread;
};

CWinApp* SizingBarTest::s_pApp = nullptr;
CWinThread* SizingBarTest::s_pOldThread = nullptr;

TEST_F(SizingBarTest, DockedBarsFrameTheClientArea)
{
    ASSERT_NE(m_pFrame, nullptr);
    CTestBar& left = m_pFrame->m_barLeft;
    CTestBar& bottom = m_pFrame->m_barBottom;
    EXPECT_TRUE(left.IsVertDocked());
    EXPECT_TRUE(bottom.IsHorzDocked());
    CRect client;
    m_pFrame->GetClientRect(&client);
    CRect rcLeft = FrameRect(left.m_hWnd), rcBottom = FrameRect(bottom.m_hWnd);
    CRect rcMdi = FrameRect(m_pFrame->m_hWndMDIClient);
    CRect rcStatus = FrameRect(m_pFrame->m_wndStatusBar.m_hWnd);
    CRect rcTop = FrameRect(m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_TOP)->m_hWnd);

    // Left bar: its width as docked, from the toolbar row down to the bottom dock bar.
    EXPECT_EQ(rcLeft.Width(), 250);
    EXPECT_LE(rcLeft.top, rcTop.bottom);
    EXPECT_GE(rcLeft.bottom, rcBottom.top - 2);
    // Bottom bar: its height, the full width, above the status bar.
    EXPECT_EQ(rcBottom.Height(), 150);
    EXPECT_LE(rcBottom.bottom, rcStatus.top + 2);
    EXPECT_GE(rcBottom.Width(), client.Width());
    // The MDI client in between, touching both.
    EXPECT_EQ(rcMdi.left, FrameRect(m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_LEFT)->m_hWnd).right);
    EXPECT_EQ(rcMdi.bottom, FrameRect(m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_BOTTOM)->m_hWnd).top);
    EXPECT_EQ(rcMdi.top, rcTop.bottom);
    // A single bar fills its row: the row's length is taken up exactly.
    CDockBar* pLeftDock = m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(RowLengthSum(pLeftDock, FALSE), pLeftDock->m_rectLayout.Height() - 2);
    CDockBar* pBottomDock = m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_BOTTOM);
    EXPECT_EQ(RowLengthSum(pBottomDock, TRUE), pBottomDock->m_rectLayout.Width() + 2);

    // Captions take room at the top (vertical dock) or on the left (horizontal dock); a bar
    // alone in its row can be dragged only at the edge towards the frame's centre.
    CRect rcLeftClient, rcBottomClient;
    left.GetClientRect(&rcLeftClient);
    left.ClientToScreen(&rcLeftClient);
    bottom.GetClientRect(&rcBottomClient);
    bottom.ClientToScreen(&rcBottomClient);
    CRect rcLeftWnd, rcBottomWnd;
    left.GetWindowRect(&rcLeftWnd);
    bottom.GetWindowRect(&rcBottomWnd);
    EXPECT_GE(rcLeftClient.top - rcLeftWnd.top, CSizingVS2015Bar::GetCaptionHeight());
    EXPECT_GE(rcBottomClient.left - rcBottomWnd.left, CSizingVS2015Bar::GetCaptionHeight());
    EXPECT_EQ(left.m_dwSCBStyle & SCBS_EDGEALL, (DWORD)SCBS_EDGERIGHT);
    EXPECT_EQ(bottom.m_dwSCBStyle & SCBS_EDGEALL, (DWORD)SCBS_EDGETOP);
    // The hosted window fills the client area.
    CRect rcEdit;
    left.m_wndEdit.GetWindowRect(&rcEdit);
    EXPECT_EQ(rcEdit, rcLeftClient);
}

TEST_F(SizingBarTest, BarsDockOnEverySide)
{
    CTestBar& bar = m_pFrame->m_barLeft;
    const UINT ids[4] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_RIGHT, AFX_IDW_DOCKBAR_BOTTOM,
                         AFX_IDW_DOCKBAR_LEFT};
    for (UINT id : ids)
    {
        m_pFrame->DockControlBar(&bar, id);
        Idle();
        EXPECT_EQ(bar.m_nDockBarID, id);
        EXPECT_EQ((UINT)bar.GetParent()->GetDlgCtrlID(), id);
        const BOOL bHorz = id == AFX_IDW_DOCKBAR_TOP || id == AFX_IDW_DOCKBAR_BOTTOM;
        EXPECT_EQ(bar.IsHorzDocked(), bHorz);
        CRect rc = FrameRect(bar.m_hWnd);
        CRect rcMdi = FrameRect(m_pFrame->m_hWndMDIClient);
        CRect inter;
        EXPECT_FALSE(inter.IntersectRect(&rc, &rcMdi)) << "dock bar " << id;
        if (bHorz)
            EXPECT_EQ(rc.Height(), bar.m_szHorz.cy);
        else
            EXPECT_EQ(rc.Width(), bar.m_szVert.cx);
    }
}

TEST_F(SizingBarTest, RowSharesItsLengthAndBreaksWhenTooShort)
{
    CTestBar& left = m_pFrame->m_barLeft;
    CTestBar& bottom = m_pFrame->m_barBottom;
    CDockBar* pDock = m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_BOTTOM);
    // Drop the left bar onto the right half of the bottom bar's row.
    CRect rcBottom;
    bottom.GetWindowRect(&rcBottom);
    CRect rcDrop(rcBottom.CenterPoint().x + 50, rcBottom.top + 10, rcBottom.CenterPoint().x + 250,
                 rcBottom.top + 60);
    m_pFrame->DockControlBar(&left, pDock, &rcDrop);
    Idle();
    int nRow1 = -1, nRow2 = -2, nIndex1 = -1, nIndex2 = -1;
    ASSERT_TRUE(pDock->GetBarPosition(&bottom, &nRow1, &nIndex1));
    ASSERT_TRUE(pDock->GetBarPosition(&left, &nRow2, &nIndex2));
    EXPECT_EQ(nRow1, nRow2);
    EXPECT_EQ(nIndex1, 0);
    EXPECT_EQ(nIndex2, 1);
    EXPECT_EQ(RowLengthSum(pDock, TRUE), pDock->m_rectLayout.Width() + 2);
    EXPECT_EQ(left.m_szHorz.cy, bottom.m_szHorz.cy); // one thickness for the row
    EXPECT_EQ(bottom.m_dwSCBStyle & SCBS_EDGEALL, (DWORD)(SCBS_EDGERIGHT | SCBS_EDGETOP));
    EXPECT_EQ(left.m_dwSCBStyle & SCBS_EDGEALL, (DWORD)(SCBS_EDGELEFT | SCBS_EDGETOP));
    CRect a = FrameRect(bottom.m_hWnd), b = FrameRect(left.m_hWnd);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.right - 2, b.left);

    // Narrower and wider frames: the lengths always add up to the row.
    for (int cx : {700, 1100, 640})
    {
        m_pFrame->SetWindowPos(nullptr, 0, 0, cx, 700, SWP_NOMOVE | SWP_NOZORDER);
        Idle();
        EXPECT_EQ(RowLengthSum(pDock, TRUE), pDock->m_rectLayout.Width() + 2) << cx;
        EXPECT_GE(left.m_szHorz.cx, left.m_szMinHorz.cx);
        EXPECT_GE(bottom.m_szHorz.cx, bottom.m_szMinHorz.cx);
    }

    // A row too short for the minimums breaks in two.
    left.m_szMinHorz.cx = bottom.m_szMinHorz.cx = 400;
    m_pFrame->SetWindowPos(nullptr, 0, 0, 700, 700, SWP_NOMOVE | SWP_NOZORDER);
    Idle();
    ASSERT_TRUE(pDock->GetBarPosition(&bottom, &nRow1, nullptr));
    ASSERT_TRUE(pDock->GetBarPosition(&left, &nRow2, nullptr));
    EXPECT_NE(nRow1, nRow2);
    EXPECT_EQ(bottom.m_szHorz.cx - 2, pDock->m_rectLayout.Width() + 2);
    EXPECT_EQ(left.m_szHorz.cx - 2, pDock->m_rectLayout.Width() + 2);
    EXPECT_NE(FrameRect(bottom.m_hWnd).top, FrameRect(left.m_hWnd).top);
}

TEST_F(SizingBarTest, ABarShownAgainKeepsItsLengthInTheRow)
{
    CTestBar& left = m_pFrame->m_barLeft;
    CTestBar& bottom = m_pFrame->m_barBottom;
    CDockBar* pDock = m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_BOTTOM);
    CRect rcBottom;
    bottom.GetWindowRect(&rcBottom);
    CRect rcDrop(rcBottom.right - 300, rcBottom.top + 10, rcBottom.right - 100, rcBottom.top + 60);
    m_pFrame->DockControlBar(&left, pDock, &rcDrop);
    Idle();
    m_pFrame->ShowControlBar(&left, FALSE, FALSE);
    Idle();
    // Alone, the remaining bar takes the whole row.
    EXPECT_EQ(bottom.m_szHorz.cx - 2, pDock->m_rectLayout.Width() + 2);
    const int nLeftLength = left.m_szHorz.cx;
    m_pFrame->ShowControlBar(&left, TRUE, FALSE);
    Idle();
    // Shown again, it comes back at its old length; the other bar gives the room.
    EXPECT_EQ(left.m_szHorz.cx, nLeftLength);
    EXPECT_EQ(RowLengthSum(pDock, TRUE), pDock->m_rectLayout.Width() + 2);
}

TEST_F(SizingBarTest, DraggingAnEdgeStopsAtTheNeighboursMinimum)
{
    CTestBar& left = m_pFrame->m_barLeft;
    CTestBar& bottom = m_pFrame->m_barBottom;
    CDockBar* pDock = m_pFrame->GetDockBar(AFX_IDW_DOCKBAR_BOTTOM);
    CRect rcBottom;
    bottom.GetWindowRect(&rcBottom);
    CRect rcDrop(rcBottom.right - 300, rcBottom.top + 10, rcBottom.right - 100, rcBottom.top + 60);
    m_pFrame->DockControlBar(&left, pDock, &rcDrop);
    Idle();
    const int nTotal = RowLengthSum(pDock, TRUE);

    // The right edge of the first bar, dragged far to the right: the second bar ends at its
    // minimum, and the row keeps its length.
    CRect rcWnd, rcEdge;
    bottom.GetWindowRect(&rcWnd);
    ASSERT_TRUE(bottom.GetEdgeRect(rcWnd, HTRIGHT, rcEdge));
    EXPECT_EQ(bottom.SendMessage(WM_NCHITTEST, 0,
                                 MAKELPARAM(rcEdge.CenterPoint().x, rcEdge.CenterPoint().y)),
              HTRIGHT);
    DragEdge(&bottom, HTRIGHT, rcEdge.CenterPoint(), rcEdge.CenterPoint() + CSize(2000, 0));
    EXPECT_FALSE(bottom.m_bTracking);
    EXPECT_EQ(left.m_szHorz.cx, left.m_szMinHorz.cx);
    EXPECT_EQ(RowLengthSum(pDock, TRUE), nTotal);
    EXPECT_EQ(FrameRect(left.m_hWnd).Width(), left.m_szMinHorz.cx);

    // Back to the left by 100 pixels: the neighbour grows by as much.
    bottom.GetWindowRect(&rcWnd);
    ASSERT_TRUE(bottom.GetEdgeRect(rcWnd, HTRIGHT, rcEdge));
    DragEdge(&bottom, HTRIGHT, rcEdge.CenterPoint(), rcEdge.CenterPoint() - CSize(100, 0));
    EXPECT_EQ(left.m_szHorz.cx, left.m_szMinHorz.cx + 100);
    EXPECT_EQ(RowLengthSum(pDock, TRUE), nTotal);

    // Across the row: the top edge, 40 pixels up, thickens the whole row.
    const int nThick = bottom.m_szHorz.cy;
    bottom.GetWindowRect(&rcWnd);
    ASSERT_TRUE(bottom.GetEdgeRect(rcWnd, HTTOP, rcEdge));
    DragEdge(&bottom, HTTOP, rcEdge.CenterPoint(), rcEdge.CenterPoint() - CSize(0, 40));
    EXPECT_EQ(bottom.m_szHorz.cy, nThick + 40);
    EXPECT_EQ(left.m_szHorz.cy, nThick + 40);
    EXPECT_EQ(FrameRect(left.m_hWnd).Height(), nThick + 40);
    // ... and far down only to the minimum thickness.
    bottom.GetWindowRect(&rcWnd);
    ASSERT_TRUE(bottom.GetEdgeRect(rcWnd, HTTOP, rcEdge));
    DragEdge(&bottom, HTTOP, rcEdge.CenterPoint(), rcEdge.CenterPoint() + CSize(0, 1000));
    EXPECT_EQ(bottom.m_szHorz.cy, bottom.m_szMinHorz.cy);
}

TEST_F(SizingBarTest, DoubleClickFloatsAndDocksAgain)
{
    CTestBar& left = m_pFrame->m_barLeft;
    left.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 20));
    Idle();
    ASSERT_TRUE(left.IsFloating());
    EXPECT_EQ(left.m_nDockBarID, (UINT)AFX_IDW_DOCKBAR_FLOAT);
    auto* pMini = dynamic_cast<CMiniDockFrameWnd*>(AfxGetParentFrame(&left));
    ASSERT_NE(pMini, nullptr);
    EXPECT_TRUE(pMini->IsWindowVisible());
    CString title;
    pMini->GetWindowText(title);
    EXPECT_STREQ(title, L"Databases");
    // Floating: the mini frame's caption instead of our own, no sizing edges of the bar.
    EXPECT_FALSE(left.HasCaption());
    CRect rcWnd;
    left.GetWindowRect(&rcWnd);
    EXPECT_EQ(left.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(rcWnd.left + 1, rcWnd.top + 1)),
              HTCLIENT);
    EXPECT_EQ(rcWnd.Size(), left.m_szFloat);
    // The left dock bar is empty now and the MDI client takes its place.
    EXPECT_EQ(FrameRect(m_pFrame->m_hWndMDIClient).left, 0);

    // The mini frame's caption, double-clicked: back where it was.
    pMini->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    Idle();
    EXPECT_TRUE(left.IsVertDocked());
    EXPECT_EQ(left.m_nDockBarID, (UINT)AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(FrameRect(left.m_hWnd).Width(), 250);
    EXPECT_FALSE(::IsWindow(pMini->GetSafeHwnd()));
}

TEST_F(SizingBarTest, FloatingBarResizesByItsCorners)
{
    CTestBar& bar = m_pFrame->m_barBottom;
    m_pFrame->FloatControlBar(&bar, CPoint(200, 200));
    Idle();
    ASSERT_TRUE(bar.IsFloating());
    CFrameWnd* pMini = AfxGetParentFrame(&bar);
    ASSERT_NE(pMini, nullptr);
    // A dynamic bar's mini frame resizes from its corners, not only from its sides.
    EXPECT_FALSE(pMini->GetStyle() & MFS_4THICKFRAME);

    CRect rcFrame;
    pMini->GetWindowRect(&rcFrame);
    const CSize sizeOld = bar.m_szFloat;
    // Bottom right corner, 60 right and 40 down (the loop reads the posted mouse message; its
    // client coordinates are taken at the time it is read, as the system does).
    CPoint to(rcFrame.right + 60, rcFrame.bottom + 40);
    CPoint ptClient = to;
    bar.ScreenToClient(&ptClient);
    bar.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptClient.x, ptClient.y));
    pMini->SendMessage(WM_NCLBUTTONDOWN, HTBOTTOMRIGHT,
                       MAKELPARAM(rcFrame.right - 1, rcFrame.bottom - 1));
    Idle();
    EXPECT_EQ(bar.m_szFloat, sizeOld + CSize(60, 40));
    CRect rcNew;
    pMini->GetWindowRect(&rcNew);
    EXPECT_EQ(rcNew.TopLeft(), rcFrame.TopLeft());
    EXPECT_EQ(rcNew.Size(), rcFrame.Size() + CSize(60, 40));

    // Top left corner, 30 left and 20 up: the frame's corner follows the pointer.
    rcFrame = rcNew;
    to = CPoint(rcFrame.left - 30, rcFrame.top - 20);
    ptClient = to;
    bar.ScreenToClient(&ptClient);
    bar.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptClient.x, ptClient.y));
    pMini->SendMessage(WM_NCLBUTTONDOWN, HTTOPLEFT, MAKELPARAM(rcFrame.left, rcFrame.top));
    Idle();
    pMini->GetWindowRect(&rcNew);
    EXPECT_EQ(rcNew.TopLeft(), to);
    EXPECT_EQ(rcNew.BottomRight(), rcFrame.BottomRight());
    EXPECT_EQ(bar.m_szFloat, sizeOld + CSize(90, 60));

    // Never below the minimum floating size.
    rcFrame = rcNew;
    to = CPoint(rcFrame.right + 1000, rcFrame.bottom + 1000);
    ptClient = CPoint(rcFrame.left - 2000, rcFrame.top - 2000);
    bar.ScreenToClient(&ptClient);
    bar.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptClient.x, ptClient.y));
    pMini->SendMessage(WM_NCLBUTTONDOWN, HTBOTTOMRIGHT,
                       MAKELPARAM(rcFrame.right - 1, rcFrame.bottom - 1));
    Idle();
    EXPECT_EQ(bar.m_szFloat, bar.m_szMinFloat);
}

TEST_F(SizingBarTest, CloseBoxHidesTheBarAndShowControlBarBringsItBack)
{
    CTestBar& bar = m_pFrame->m_barBottom;
    CRect rcWnd;
    bar.GetWindowRect(&rcWnd);
    CRect rcClose = bar.GetCloseButtonRect();
    rcClose.OffsetRect(rcWnd.left, rcWnd.top);
    const CPoint pt = rcClose.CenterPoint();
    EXPECT_EQ(bar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), HTCLOSE);
    EXPECT_EQ(bar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(pt.x, rcWnd.bottom - 20)), HTCLIENT);

    // WM_CLOSE leaves the bar alone.
    bar.SendMessage(WM_CLOSE);
    PumpPending();
    ASSERT_TRUE(::IsWindow(bar.m_hWnd));
    EXPECT_TRUE(bar.IsVisible());

    // Pressed on the box and released elsewhere: nothing.
    bar.SendMessage(WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(pt.x, pt.y));
    bar.SendMessage(WM_NCLBUTTONUP, HTCLIENT, MAKELPARAM(pt.x, rcWnd.bottom - 20));
    Idle();
    EXPECT_TRUE(bar.IsVisible());

    // A real click on the box, through the system's input: the bar goes, its space with it.
    const CRect rcMdiBefore = FrameRect(m_pFrame->m_hWndMDIClient);
    ::SetForegroundWindow(m_pFrame->m_hWnd);
    ::SetCursorPos(pt.x, pt.y);
    PumpPending();
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    // The system delivers the input in its own time: the key state moves once this thread has
    // taken the button's message from its queue.
    ::SendInput(1, &input[0], sizeof(INPUT));
    ASSERT_TRUE(qltest::PumpUntil([] { return ::GetKeyState(VK_LBUTTON) < 0; }));
    ::SendInput(1, &input[1], sizeof(INPUT));
    ASSERT_TRUE(qltest::PumpUntil([] { return ::GetKeyState(VK_LBUTTON) >= 0; }));
    Idle();
    EXPECT_FALSE(bar.IsVisible());
    EXPECT_FALSE(bar.IsWindowVisible());
    EXPECT_GT(FrameRect(m_pFrame->m_hWndMDIClient).bottom, rcMdiBefore.bottom);

    m_pFrame->ShowControlBar(&bar, TRUE, FALSE);
    Idle();
    EXPECT_TRUE(bar.IsWindowVisible());
    EXPECT_EQ(FrameRect(m_pFrame->m_hWndMDIClient), rcMdiBefore);
    EXPECT_EQ(FrameRect(bar.m_hWnd).Height(), bar.m_szHorz.cy);
}

TEST_F(SizingBarTest, HoverAndFocusChangeTheCaption)
{
    CTestBar& bar = m_pFrame->m_barLeft;
    Idle();
    EXPECT_FALSE(bar.m_bActive);
    bar.m_wndEdit.SetFocus();
    Idle();
    EXPECT_TRUE(bar.m_bActive);
    CRect rcWnd;
    bar.GetWindowRect(&rcWnd);
    CRect rcClose = bar.GetCloseButtonRect();
    rcClose.OffsetRect(rcWnd.left, rcWnd.top);
    ::SetCursorPos(rcClose.CenterPoint().x, rcClose.CenterPoint().y);
    Idle();
    EXPECT_EQ(bar.m_nCloseState, 2);
    ::SetCursorPos(rcWnd.CenterPoint().x, rcWnd.CenterPoint().y);
    Idle();
    EXPECT_EQ(bar.m_nCloseState, 0);
}

TEST_F(SizingBarTest, SizesAndLayoutSurviveARestart)
{
    CTestBar& left = m_pFrame->m_barLeft;
    CTestBar& bottom = m_pFrame->m_barBottom;
    // Left bar wider, moved to the right side; bottom bar hidden.
    CRect rcWnd, rcEdge;
    left.GetWindowRect(&rcWnd);
    ASSERT_TRUE(left.GetEdgeRect(rcWnd, HTRIGHT, rcEdge));
    DragEdge(&left, HTRIGHT, rcEdge.CenterPoint(), rcEdge.CenterPoint() + CSize(70, 0));
    EXPECT_EQ(left.m_szVert.cx, 320);
    m_pFrame->DockControlBar(&left, AFX_IDW_DOCKBAR_RIGHT);
    m_pFrame->ShowControlBar(&bottom, FALSE, FALSE);
    left.m_szFloat = CSize(310, 210);
    Idle();
    left.SaveState(kProfile);
    bottom.SaveState(kProfile);
    m_pFrame->SaveBarState(kProfile);
    EXPECT_EQ(s_pApp->GetProfileInt(L"DockTest-SCBar-59424", L"sizeVertCX", 0), 320u);
    EXPECT_EQ(s_pApp->GetProfileInt(L"DockTest-SCBar-59424", L"sizeFloatCY", 0), 210u);
    DestroyFrame(m_pFrame);

    m_pFrame = CreateFrame(TRUE);
    ASSERT_NE(m_pFrame, nullptr);
    Idle();
    EXPECT_EQ(m_pFrame->m_barLeft.m_szVert.cx, 320);
    EXPECT_EQ(m_pFrame->m_barLeft.m_szFloat, CSize(310, 210));
    EXPECT_EQ(m_pFrame->m_barLeft.m_nDockBarID, (UINT)AFX_IDW_DOCKBAR_RIGHT);
    EXPECT_EQ(FrameRect(m_pFrame->m_barLeft.m_hWnd).Width(), 320);
    EXPECT_FALSE(m_pFrame->m_barBottom.IsWindowVisible());
    EXPECT_TRUE(m_pFrame->m_wndToolBar.IsWindowVisible());

    // A stored size below the minimum loads as the minimum.
    s_pApp->WriteProfileInt(L"DockTest-SCBar-59424", L"sizeHorzCY", 3);
    m_pFrame->m_barLeft.LoadState(kProfile);
    EXPECT_EQ(m_pFrame->m_barLeft.m_szHorz.cy, m_pFrame->m_barLeft.m_szMinHorz.cy);
}

TEST_F(SizingBarTest, Screenshot)
{
    // A picture of the docked frame to look at (only with QL_SHOT_DIR).
    auto* pChild = new CMDIChildWnd;
    ASSERT_TRUE(pChild->Create(nullptr, L"Script 1", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                               CFrameWnd::rectDefault, m_pFrame));
    m_pFrame->m_barLeft.m_wndEdit.SetWindowText(L"Tables\r\nViews\r\nProcedures");
    m_pFrame->m_barBottom.m_wndEdit.SetWindowText(L"Connected.");
    m_pFrame->SetMessageText(L"Ready");
    Idle();
    m_pFrame->RedrawWindow(nullptr, nullptr,
                           RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    qltest::PumpFor(200);
    qltest::SaveWindowShot(m_pFrame->m_hWnd, "docking_frame.bmp");
    if (const char* wait = std::getenv("QL_SHOT_WAIT"))
        qltest::PumpFor((DWORD)std::atoi(wait));
}

} // namespace
