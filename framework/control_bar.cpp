// CControlBar: layout protocol, delayed show and hide, forwarding of child notifications to
// the owning frame, and the start of dragging.
#include "framework/control_bar.h"

#include "framework/dock_bar.h"
#include "framework/dock_context.h"
#include "framework/frame_wnd.h"
#include "framework/mini_frame.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_SIZEPARENT, &CControlBar::OnSizeParent)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CControlBar::OnIdleUpdateCmdUI)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CFrameWnd* AfxGetParentFrame(const CWnd* pWnd, BOOL bSkipMiniFrames)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return nullptr;
    for (HWND h = ::GetParent(pWnd->m_hWnd); h != nullptr; h = ::GetParent(h))
    {
        CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(h));
        if (pFrame == nullptr)
            continue;
        if (bSkipMiniFrames && dynamic_cast<CMiniDockFrameWnd*>(pFrame) != nullptr)
        {
            HWND hOwner = ::GetWindow(pFrame->m_hWnd, GW_OWNER);
            CFrameWnd* pOwner = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(hOwner));
            if (pOwner != nullptr)
                return pOwner;
        }
        return pFrame;
    }
    return nullptr;
}

void AfxRepositionWindow(AFX_SIZEPARENTPARAMS* lpLayout, HWND hWnd, LPCRECT lpRect)
{
    if (lpLayout == nullptr || lpLayout->hDWP == nullptr || hWnd == nullptr)
        return;
    CRect rectOld;
    ::GetWindowRect(hWnd, &rectOld);
    ::MapWindowPoints(nullptr, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rectOld), 2);
    if (::EqualRect(&rectOld, lpRect))
        return;
    lpLayout->hDWP = ::DeferWindowPos(lpLayout->hDWP, hWnd, nullptr, lpRect->left, lpRect->top,
                                      lpRect->right - lpRect->left, lpRect->bottom - lpRect->top,
                                      SWP_NOACTIVATE | SWP_NOZORDER);
}

void AfxRepositionBars(CWnd* pWnd, UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlags,
                       LPRECT lpRectParam, LPCRECT lpRectClient, BOOL bStretch)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return;
    const UINT nMode = nFlags & ~reposNoPosLeftOver;
    AFX_SIZEPARENTPARAMS layout{};
    layout.bStretch = bStretch;
    if (lpRectClient != nullptr)
        layout.rect = *lpRectClient;
    else
        ::GetClientRect(pWnd->m_hWnd, &layout.rect);
    layout.hDWP = nMode == reposQuery ? nullptr : ::BeginDeferWindowPos(8);

    HWND hWndLeftOver = nullptr;
    for (HWND h = ::GetTopWindow(pWnd->m_hWnd); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT))
    {
        UINT nID = (UINT)::GetDlgCtrlID(h);
        if (nID == nIDLeftOver)
            hWndLeftOver = h;
        else if (nID >= nIDFirst && nID <= nIDLast && CWnd::FromHandlePermanent(h) != nullptr)
            ::SendMessageW(h, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
    }

    if (nMode == reposQuery)
    {
        if (lpRectParam != nullptr)
        {
            if (bStretch)
            {
                ::CopyRect(lpRectParam, &layout.rect);
            }
            else
            {
                lpRectParam->left = lpRectParam->top = 0;
                lpRectParam->right = layout.sizeTotal.cx;
                lpRectParam->bottom = layout.sizeTotal.cy;
            }
        }
        return;
    }
    if ((nFlags & reposExtra) && lpRectParam != nullptr)
    {
        layout.rect.left += lpRectParam->left;
        layout.rect.top += lpRectParam->top;
        layout.rect.right -= lpRectParam->right;
        layout.rect.bottom -= lpRectParam->bottom;
    }
    if (layout.rect.right < layout.rect.left)
        layout.rect.right = layout.rect.left;
    if (layout.rect.bottom < layout.rect.top)
        layout.rect.bottom = layout.rect.top;
    if (hWndLeftOver != nullptr && !(nFlags & reposNoPosLeftOver))
        AfxRepositionWindow(&layout, hWndLeftOver, &layout.rect);
    if (layout.hDWP != nullptr)
        ::EndDeferWindowPos(layout.hDWP);
}

CControlBar::CControlBar() = default;

CControlBar::~CControlBar()
{
    delete m_pDockContext;
    m_pDockContext = nullptr;
}

int CControlBar::GetCount() const
{
    return 0;
}

void CControlBar::SetBarStyle(DWORD dwStyle)
{
    if (m_dwStyle != dwStyle)
    {
        m_dwStyle = dwStyle;
        if (m_hWnd != nullptr)
            ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void CControlBar::SetBorders(int cxLeft, int cyTop, int cxRight, int cyBottom)
{
    m_cxLeftBorder = cxLeft;
    m_cyTopBorder = cyTop;
    m_cxRightBorder = cxRight;
    m_cyBottomBorder = cyBottom;
}

void CControlBar::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle = dwDockStyle;
    if (dwDockStyle == 0)
    {
        delete m_pDockContext;
        m_pDockContext = nullptr;
        return;
    }
    if (m_pDockContext == nullptr)
        m_pDockContext = new CDockContext(this);
    m_pDockContext->m_dwDockStyle = dwDockStyle;
    if (m_pDockSite == nullptr)
        m_pDockSite = AfxGetParentFrame(this, TRUE);
    m_pDockContext->m_pDockSite = m_pDockSite;
}

CFrameWnd* CControlBar::GetDockingFrame() const
{
    if (m_pDockBar != nullptr && m_pDockBar->m_bFloating)
        return AfxGetParentFrame(m_pDockBar);
    return m_pDockSite != nullptr ? m_pDockSite : AfxGetParentFrame(this);
}

BOOL CControlBar::IsFloating() const
{
    return m_pDockBar != nullptr && m_pDockBar->m_bFloating;
}

BOOL CControlBar::IsVisible() const
{
    if (m_hWnd == nullptr)
        return FALSE;
    if (m_nStateFlags & delayHide)
        return FALSE;
    return (GetStyle() & WS_VISIBLE) != 0 || (m_nStateFlags & delayShow) != 0;
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    CSize size;
    size.cx = (bStretch && bHorz) ? 32767 : 0;
    size.cy = (bStretch && !bHorz) ? 32767 : 0;
    CRect rect(0, 0, 0, 0);
    CalcInsideRect(rect, bHorz);
    if (!(bStretch && bHorz))
        size.cx += rect.left - rect.right;
    if (!(bStretch && !bHorz))
        size.cy += rect.top - rect.bottom;
    return size;
}

CSize CControlBar::CalcDynamicLayout(int nLength, DWORD nMode)
{
    (void)nLength;
    BOOL bHorz = (nMode & LM_HORZDOCK)   ? TRUE
                 : (nMode & LM_VERTDOCK) ? FALSE
                                         : (nMode & LM_HORZ) != 0;
    return CalcFixedLayout((nMode & LM_STRETCH) != 0, bHorz);
}

void CControlBar::CalcInsideRect(CRect& rect, BOOL bHorz) const
{
    (void)bHorz;
    if (m_dwStyle & CBRS_BORDER_LEFT)
        rect.left += 1;
    if (m_dwStyle & CBRS_BORDER_TOP)
        rect.top += 1;
    if (m_dwStyle & CBRS_BORDER_RIGHT)
        rect.right -= 1;
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
        rect.bottom -= 1;
}

void CControlBar::DoPaint(CDC* pDC)
{
    CRect rect;
    GetClientRect(&rect);
    DrawBorders(pDC, rect);
    DrawGripper(pDC, rect);
}

void CControlBar::DrawBorders(CDC* pDC, CRect& rect)
{
    if (pDC == nullptr)
        return;
    HDC hDC = pDC->m_hDC;
    COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    COLORREF clrHilite = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    auto fill = [hDC](int x, int y, int cx, int cy, COLORREF clr) {
        RECT r = {x, y, x + cx, y + cy};
        ::SetBkColor(hDC, clr);
        ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    };
    if (m_dwStyle & CBRS_BORDER_LEFT)
    {
        fill(rect.left, rect.top, 1, rect.Height(), clrShadow);
        rect.left += 1;
    }
    if (m_dwStyle & CBRS_BORDER_TOP)
    {
        fill(rect.left, rect.top, rect.Width(), 1, clrShadow);
        rect.top += 1;
    }
    if (m_dwStyle & CBRS_BORDER_RIGHT)
    {
        fill(rect.right - 1, rect.top, 1, rect.Height(), clrHilite);
        rect.right -= 1;
    }
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
    {
        fill(rect.left, rect.bottom - 1, rect.Width(), 1, clrHilite);
        rect.bottom -= 1;
    }
}

void CControlBar::DrawGripper(CDC* pDC, const CRect& rect)
{
    if (pDC == nullptr || !(m_dwStyle & CBRS_GRIPPER) || IsFloating())
        return;
    RECT r = rect;
    if (m_dwStyle & CBRS_ORIENT_HORZ)
    {
        r.left += 2;
        r.right = r.left + 3;
        r.top += 2;
        r.bottom -= 2;
    }
    else
    {
        r.top += 2;
        r.bottom = r.top + 3;
        r.left += 2;
        r.right -= 2;
    }
    ::DrawEdge(pDC->m_hDC, &r, BDR_RAISEDINNER, BF_RECT);
}

void CControlBar::DelayShow(BOOL bShow)
{
    m_nStateFlags &= ~(delayHide | delayShow);
    BOOL bVisible = m_hWnd != nullptr && (GetStyle() & WS_VISIBLE) != 0;
    if (bShow && !bVisible)
        m_nStateFlags |= delayShow;
    else if (!bShow && bVisible)
        m_nStateFlags |= delayHide;
}

DWORD CControlBar::RecalcDelayShow(AFX_SIZEPARENTPARAMS* lpLayout)
{
    DWORD dwStyle = GetStyle();
    if (!(m_nStateFlags & (delayHide | delayShow)))
        return dwStyle;
    UINT swp = (m_nStateFlags & delayHide) ? SWP_HIDEWINDOW : SWP_SHOWWINDOW;
    m_nStateFlags &= ~(delayHide | delayShow);
    const UINT flags = swp | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    if (lpLayout != nullptr && lpLayout->hDWP != nullptr)
        lpLayout->hDWP = ::DeferWindowPos(lpLayout->hDWP, m_hWnd, nullptr, 0, 0, 0, 0, flags);
    else
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, flags);
    return swp == SWP_SHOWWINDOW ? (dwStyle | WS_VISIBLE) : (dwStyle & ~WS_VISIBLE);
}

LRESULT CControlBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Commands and notifications of the bar's controls belong to the frame: the bar sees
    // them first, then passes what it did not handle to its owner.
    switch (message)
    {
    case WM_COMMAND:
        if (lParam != 0 || HIWORD(wParam) == 0 || HIWORD(wParam) == 1)
        {
            if (OnCommand(wParam, lParam))
                return 0;
        }
        break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(wParam, lParam, &result))
            return result;
        break;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        // A bar built on this one may draw its own controls.
        if (HandlesOwnMessage(message))
            return CWnd::WindowProc(message, wParam, lParam);
        break;
    default: return CWnd::WindowProc(message, wParam, lParam);
    }
    CWnd* pOwner = m_pDockSite != nullptr ? static_cast<CWnd*>(m_pDockSite) : GetOwner();
    if (pOwner == nullptr || pOwner->m_hWnd == m_hWnd)
        pOwner = GetParent();
    if (pOwner != nullptr && pOwner->m_hWnd != nullptr && pOwner->m_hWnd != m_hWnd)
        return pOwner->SendMessage(message, wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CControlBar::HandlesOwnMessage(UINT message) const
{
    // The maps of the classes derived from CControlBar (not CWnd's default handlers).
    const AFX_MSGMAP* pStop = CControlBar::GetThisMessageMap();
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != nullptr && pMap != pStop;
         pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->pfn != nullptr; ++e)
            if (e->nMessage == message)
                return TRUE;
    }
    return FALSE;
}

void CControlBar::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

void CControlBar::AttachToFrame(CWnd* pParentWnd)
{
    (void)pParentWnd;
    if (IsDockBar())
    {
        if (m_pDockSite == nullptr)
            m_pDockSite = AfxGetParentFrame(this);
        return;
    }
    CFrameWnd* pFrame = AfxGetParentFrame(this, TRUE);
    if (pFrame == nullptr)
        return;
    m_pDockSite = pFrame;
    pFrame->AddControlBar(this);
    if (GetOwner() == nullptr || GetOwner()->m_hWnd != pFrame->m_hWnd)
        SetOwner(pFrame);
    CDockBar* pDockBar = dynamic_cast<CDockBar*>(GetParent());
    if (pDockBar != nullptr)
        m_pDockBar = pDockBar;
}

int CControlBar::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    AttachToFrame(GetParent());
    return 0;
}

void CControlBar::OnDestroy()
{
    if (m_pDockBar != nullptr && !m_pDockBar->IsDockBar())
        m_pDockBar = nullptr;
    if (m_pDockBar != nullptr)
    {
        m_pDockBar->RemoveControlBar(this);
        m_pDockBar = nullptr;
    }
    if (m_pDockSite != nullptr && !IsDockBar())
        m_pDockSite->RemoveControlBar(this);
    CWnd::OnDestroy();
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    auto* lpLayout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    DWORD dwStyle;
    if (lpLayout->hDWP == nullptr)
        dwStyle = IsVisible() ? (GetStyle() | WS_VISIBLE) : (GetStyle() & ~WS_VISIBLE);
    else
        dwStyle = RecalcDelayShow(nullptr);
    if (!(dwStyle & WS_VISIBLE) || !(m_dwStyle & CBRS_ALIGN_ANY))
        return 0;

    CRect rect(lpLayout->rect);
    CSize sizeAvail = rect.Size();
    DWORD dwMode = lpLayout->bStretch ? LM_STRETCH : 0;
    if (m_dwStyle & CBRS_ORIENT_HORZ)
        dwMode |= LM_HORZ | LM_HORZDOCK;
    else
        dwMode |= LM_VERTDOCK;
    CSize size = CalcDynamicLayout(-1, dwMode);
    size.cx = std::max(0, std::min((int)size.cx, (int)sizeAvail.cx));
    size.cy = std::max(0, std::min((int)size.cy, (int)sizeAvail.cy));

    if (m_dwStyle & CBRS_ORIENT_HORZ)
    {
        lpLayout->sizeTotal.cy += size.cy;
        lpLayout->sizeTotal.cx = std::max(lpLayout->sizeTotal.cx, size.cx);
        if (m_dwStyle & CBRS_ALIGN_TOP)
        {
            lpLayout->rect.top += size.cy;
        }
        else
        {
            rect.top = rect.bottom - size.cy;
            lpLayout->rect.bottom -= size.cy;
        }
    }
    else
    {
        lpLayout->sizeTotal.cx += size.cx;
        lpLayout->sizeTotal.cy = std::max(lpLayout->sizeTotal.cy, size.cy);
        if (m_dwStyle & CBRS_ALIGN_LEFT)
        {
            lpLayout->rect.left += size.cx;
        }
        else
        {
            rect.left = rect.right - size.cx;
            lpLayout->rect.right -= size.cx;
        }
    }
    rect.right = rect.left + size.cx;
    rect.bottom = rect.top + size.cy;
    AfxRepositionWindow(lpLayout, m_hWnd, &rect);
    return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    if (m_hWnd == nullptr || !(GetStyle() & WS_VISIBLE))
        return 0;
    CFrameWnd* pTarget = m_pDockSite != nullptr ? m_pDockSite : AfxGetParentFrame(this, TRUE);
    if (pTarget != nullptr)
        OnUpdateCmdUI(pTarget, (BOOL)wParam);
    return 0;
}

void CControlBar::OnWindowPosChanging(WINDOWPOS* lpWndPos)
{
    CWnd::OnWindowPosChanging(lpWndPos);
}

void CControlBar::OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp)
{
    CWnd::OnNcCalcSize(bCalcValidRects, lpncsp);
}

void CControlBar::OnClose() {}

void CControlBar::OnNcPaint()
{
    Default();
}

void CControlBar::OnPaint()
{
    Default();
}

void CControlBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (m_pDockBar != nullptr && m_pDockContext != nullptr)
    {
        ClientToScreen(&point);
        m_pDockContext->StartDrag(point);
        return;
    }
    CWnd::OnLButtonDown(nFlags, point);
}

void CControlBar::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (m_pDockBar != nullptr && m_pDockContext != nullptr)
    {
        m_pDockContext->ToggleDocking();
        return;
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

int CControlBar::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message)
{
    return CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
}
