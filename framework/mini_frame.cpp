// Mini frames and the floating frame of control bars.
#include "framework/mini_frame.h"

#include "framework/dock_context.h"

IMPLEMENT_DYNAMIC(CMiniFrameWnd, CFrameWnd)
IMPLEMENT_DYNAMIC(CMiniDockFrameWnd, CMiniFrameWnd)

BEGIN_MESSAGE_MAP(CMiniFrameWnd, CFrameWnd)
    ON_WM_NCHITTEST()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CMiniDockFrameWnd, CMiniFrameWnd)
    ON_WM_CLOSE()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONDBLCLK()
    ON_WM_NCHITTEST()
    ON_WM_GETMINMAXINFO()
END_MESSAGE_MAP()

CMiniFrameWnd::CMiniFrameWnd() = default;
CMiniFrameWnd::~CMiniFrameWnd() = default;

BOOL CMiniFrameWnd::Create(LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle,
                           const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, lpClassName, lpWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL CMiniFrameWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpClassName, LPCTSTR lpWindowName,
                             DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (lpClassName == nullptr)
        lpClassName = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                          reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    m_strTitle = lpWindowName != nullptr ? lpWindowName : L"";
    if (!(dwStyle & WS_CHILD))
        dwExStyle |= WS_EX_TOOLWINDOW;
    HMENU hMenu = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>((UINT_PTR)nID) : nullptr;
    return CWnd::CreateEx(dwExStyle, lpClassName, lpWindowName, dwStyle, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top,
                          pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, hMenu);
}

LRESULT CMiniFrameWnd::OnNcHitTest(CPoint point)
{
    LRESULT nHit = CWnd::OnNcHitTest(point);
    if (GetStyle() & MFS_4THICKFRAME)
    {
        switch (nHit)
        {
        case HTTOPLEFT:
        case HTTOPRIGHT: return HTTOP;
        case HTBOTTOMLEFT:
        case HTBOTTOMRIGHT: return HTBOTTOM;
        default: break;
        }
    }
    return nHit;
}

CMiniDockFrameWnd::CMiniDockFrameWnd() = default;
CMiniDockFrameWnd::~CMiniDockFrameWnd() = default;

BOOL CMiniDockFrameWnd::Create(CWnd* pParent, DWORD dwBarStyle)
{
    DWORD dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | MFS_4THICKFRAME | MFS_SYNCACTIVE |
                    MFS_BLOCKSYSMENU | FWS_SNAPTOBARS;
    if (dwBarStyle & CBRS_SIZE_DYNAMIC)
        dwStyle |= WS_THICKFRAME;
    else
        dwStyle |= MFS_MOVEFRAME;
    if (!CMiniFrameWnd::CreateEx(0, nullptr, L"", dwStyle, CRect(0, 0, 80, 40), pParent, 0))
        return FALSE;
    m_wndDockBar.m_pDockSite = dynamic_cast<CFrameWnd*>(pParent);
    if (!m_wndDockBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, AFX_IDW_DOCKBAR_FLOAT))
        return FALSE;
    m_wndDockBar.m_pDockSite = dynamic_cast<CFrameWnd*>(pParent);
    return TRUE;
}

CControlBar* CMiniDockFrameWnd::GetFloatingBar() const
{
    for (int i = 0; i < (int)m_wndDockBar.m_arrBars.GetSize(); ++i)
        if (CControlBar* pBar = m_wndDockBar.GetDockedControlBar(i))
            return pBar;
    return nullptr;
}

void CMiniDockFrameWnd::RecalcLayout(BOOL)
{
    if (m_bInRecalcLayout || m_hWnd == nullptr || m_wndDockBar.m_hWnd == nullptr)
        return;
    m_bInRecalcLayout = TRUE;
    m_nIdleFlags &= ~idleLayout;
    m_wndDockBar.m_bLayoutQuery = FALSE;
    CSize size = m_wndDockBar.CalcFixedLayout(FALSE, TRUE);
    if (size.cx > 0 && size.cy > 0)
    {
        CRect rect(0, 0, size.cx, size.cy);
        ::AdjustWindowRectEx(&rect, GetStyle() & 0xFFFF0000, FALSE, GetExStyle());
        SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_wndDockBar.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (CControlBar* pBar = GetFloatingBar())
    {
        CString strTitle;
        pBar->GetWindowText(strTitle);
        CString strOld;
        GetWindowText(strOld);
        if (strOld != strTitle)
            SetWindowText(strTitle);
    }
    m_bInRecalcLayout = FALSE;
}

void CMiniDockFrameWnd::OnClose()
{
    // Closing a floating bar hides it; the frame keeps it for showing again.
    CFrameWnd* pSite = m_wndDockBar.m_pDockSite;
    for (int i = 0; i < (int)m_wndDockBar.m_arrBars.GetSize(); ++i)
    {
        CControlBar* pBar = m_wndDockBar.GetDockedControlBar(i);
        if (pBar != nullptr && pSite != nullptr)
            pSite->ShowControlBar(pBar, FALSE, FALSE);
    }
}

void CMiniDockFrameWnd::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    CControlBar* pBar = GetFloatingBar();
    if (pBar != nullptr && pBar->m_pDockContext != nullptr)
    {
        if (nHitTest == HTCAPTION)
        {
            ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            pBar->m_pDockContext->StartDrag(point);
            return;
        }
        if (nHitTest >= HTLEFT && nHitTest <= HTBOTTOMRIGHT &&
            (pBar->m_dwStyle & CBRS_SIZE_DYNAMIC))
        {
            pBar->m_pDockContext->StartResize((int)nHitTest, point);
            return;
        }
    }
    CMiniFrameWnd::OnNcLButtonDown(nHitTest, point);
}

void CMiniDockFrameWnd::OnNcLButtonDblClk(UINT nHitTest, CPoint point)
{
    CControlBar* pBar = GetFloatingBar();
    if (nHitTest == HTCAPTION && pBar != nullptr && pBar->m_pDockContext != nullptr)
    {
        pBar->m_pDockContext->ToggleDocking();
        return;
    }
    CMiniFrameWnd::OnNcLButtonDblClk(nHitTest, point);
}

LRESULT CMiniDockFrameWnd::OnNcHitTest(CPoint point)
{
    return CMiniFrameWnd::OnNcHitTest(point);
}

void CMiniDockFrameWnd::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    CMiniFrameWnd::OnGetMinMaxInfo(lpMMI);
    lpMMI->ptMinTrackSize.x = 16;
    lpMMI->ptMinTrackSize.y = 16;
}
