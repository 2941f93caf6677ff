// CDockContext: dragging bars between dock bars and mini frames, and resizing floating bars.
#include "framework/dock_context.h"

#include "framework/dock_bar.h"
#include "framework/frame_wnd.h"
#include "framework/mini_frame.h"

#include <cstdlib>

namespace {

const UINT kDockIds[4] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT,
                          AFX_IDW_DOCKBAR_RIGHT};
const DWORD kDockAligns[4] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};

// Inverts a frame of the given thickness on the screen.
void InvertFrame(const CRect& rect, int nThick)
{
    HDC hDC = ::GetDCEx(nullptr, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (hDC == nullptr)
        hDC = ::GetDC(nullptr);
    WORD pattern[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    HBITMAP hbm = ::CreateBitmap(8, 8, 1, 1, pattern);
    HBRUSH hbr = ::CreatePatternBrush(hbm);
    HGDIOBJ old = ::SelectObject(hDC, hbr);
    const int w = rect.Width(), h = rect.Height();
    ::PatBlt(hDC, rect.left, rect.top, w, nThick, PATINVERT);
    ::PatBlt(hDC, rect.left, rect.bottom - nThick, w, nThick, PATINVERT);
    ::PatBlt(hDC, rect.left, rect.top + nThick, nThick, h - 2 * nThick, PATINVERT);
    ::PatBlt(hDC, rect.right - nThick, rect.top + nThick, nThick, h - 2 * nThick, PATINVERT);
    ::SelectObject(hDC, old);
    ::DeleteObject(hbr);
    ::DeleteObject(hbm);
    ::ReleaseDC(nullptr, hDC);
}

// The screen position of a mouse message (client coordinates of its window).
CPoint MessagePoint(const MSG& msg)
{
    POINT pt = {(short)LOWORD(msg.lParam), (short)HIWORD(msg.lParam)};
    if (msg.hwnd != nullptr)
        ::ClientToScreen(msg.hwnd, &pt);
    return CPoint(pt.x, pt.y);
}

} // namespace

CDockContext::CDockContext(CControlBar* pBar) : m_pBar(pBar), m_pDockSite(pBar->m_pDockSite) {}

CDockContext::~CDockContext() = default;

void CDockContext::DrawTracker(const CRect& rect, BOOL bFloat, BOOL bErase)
{
    if (bErase)
    {
        if (m_bTrackerShown)
            InvertFrame(m_rectTracker, m_bTrackerFloat ? 3 : 1);
        m_bTrackerShown = FALSE;
        return;
    }
    if (m_bTrackerShown && m_rectTracker == rect && m_bTrackerFloat == bFloat)
        return;
    if (m_bTrackerShown)
        InvertFrame(m_rectTracker, m_bTrackerFloat ? 3 : 1);
    m_rectTracker = rect;
    m_bTrackerFloat = bFloat;
    InvertFrame(m_rectTracker, bFloat ? 3 : 1);
    m_bTrackerShown = TRUE;
}

CDockBar* CDockContext::GetDropTarget(const CRect& rectHorz, const CRect& rectVert,
                                      CRect* pRectUsed) const
{
    if (m_pDockSite == nullptr || m_bForceFrame)
        return nullptr;
    const CPoint pt = m_ptLast;
    CRect rectClient;
    m_pDockSite->GetClientRect(&rectClient);
    m_pDockSite->ClientToScreen(&rectClient);
    const int nZone = 16;
    for (int i = 0; i < 4; ++i)
    {
        if (!(m_dwDockStyle & kDockAligns[i]))
            continue;
        CDockBar* pDockBar = m_pDockSite->GetDockBar(kDockIds[i]);
        if (pDockBar == nullptr)
            continue;
        CRect zone;
        pDockBar->GetWindowRect(&zone);
        switch (kDockIds[i])
        {
        case AFX_IDW_DOCKBAR_TOP:
            zone.left = rectClient.left;
            zone.right = rectClient.right;
            if (zone.Height() < nZone)
                zone.bottom = zone.top + nZone;
            break;
        case AFX_IDW_DOCKBAR_BOTTOM:
            zone.left = rectClient.left;
            zone.right = rectClient.right;
            if (zone.Height() < nZone)
                zone.top = zone.bottom - nZone;
            break;
        case AFX_IDW_DOCKBAR_LEFT:
            if (zone.Width() < nZone)
                zone.right = zone.left + nZone;
            break;
        default:
            if (zone.Width() < nZone)
                zone.left = zone.right - nZone;
            break;
        }
        if (!zone.PtInRect(pt))
            continue;
        if (pRectUsed != nullptr)
        {
            const BOOL bHorz =
                kDockIds[i] == AFX_IDW_DOCKBAR_TOP || kDockIds[i] == AFX_IDW_DOCKBAR_BOTTOM;
            CRect r = bHorz ? rectHorz : rectVert;
            // Keep the rectangle inside the zone across the row.
            if (bHorz)
                r.OffsetRect(0, pt.y - r.CenterPoint().y);
            else
                r.OffsetRect(pt.x - r.CenterPoint().x, 0);
            *pRectUsed = r;
        }
        return pDockBar;
    }
    return nullptr;
}

BOOL CDockContext::Track(BOOL bResize)
{
    HWND hWndCapture = m_pBar->m_hWnd;
    ::SetCapture(hWndCapture);
    if (::GetCapture() != hWndCapture)
        return FALSE;
    const int cxDrag = ::GetSystemMetrics(SM_CXDRAG), cyDrag = ::GetSystemMetrics(SM_CYDRAG);
    BOOL bMoved = FALSE;
    BOOL bResult = FALSE;
    BOOL bDone = FALSE;
    CDockBar* pTarget = nullptr;
    CRect rectTarget;
    CRect rectFloat = m_rectFrameDragHorz;
    m_bDragging = TRUE;

    auto update = [&](CPoint pt) {
        m_ptLast = pt;
        m_bForceFrame = ::GetKeyState(VK_CONTROL) < 0;
        if (bResize)
        {
            CMiniDockFrameWnd* pFrame = dynamic_cast<CMiniDockFrameWnd*>(m_pBar->GetDockingFrame());
            if (pFrame == nullptr)
                return;
            CRect frame, bar;
            pFrame->GetWindowRect(&frame);
            m_pBar->GetWindowRect(&bar);
            m_rectFrameDragHorz = frame;
            const int extraW = frame.Width() - bar.Width(), extraH = frame.Height() - bar.Height();
            CSize size;
            CRect rectNew = frame;
            switch (m_nHitTest)
            {
            case HTLEFT:
                size = m_pBar->CalcDynamicLayout(bar.Width() + frame.left - pt.x, LM_HORZ);
                rectNew.left = frame.right - (size.cx + extraW);
                rectNew.bottom = rectNew.top + size.cy + extraH;
                break;
            case HTRIGHT:
                size = m_pBar->CalcDynamicLayout(bar.Width() + pt.x - frame.right, LM_HORZ);
                rectNew.right = rectNew.left + size.cx + extraW;
                rectNew.bottom = rectNew.top + size.cy + extraH;
                break;
            case HTTOP:
                size = m_pBar->CalcDynamicLayout(bar.Height() + frame.top - pt.y,
                                                 LM_HORZ | LM_LENGTHY);
                rectNew.top = frame.bottom - (size.cy + extraH);
                rectNew.right = rectNew.left + size.cx + extraW;
                break;
            case HTBOTTOM:
                size = m_pBar->CalcDynamicLayout(bar.Height() + pt.y - frame.bottom,
                                                 LM_HORZ | LM_LENGTHY);
                rectNew.bottom = rectNew.top + size.cy + extraH;
                rectNew.right = rectNew.left + size.cx + extraW;
                break;
            default: {
                // Corners: the bar follows the pointer itself (m_ptLast, m_rectFrameDragHorz).
                size = m_pBar->CalcDynamicLayout(0, LM_HORZ);
                const BOOL bLeft = m_nHitTest == HTTOPLEFT || m_nHitTest == HTBOTTOMLEFT;
                const BOOL bTop = m_nHitTest == HTTOPLEFT || m_nHitTest == HTTOPRIGHT;
                rectNew.left = bLeft ? m_rectFrameDragHorz.left : frame.left;
                rectNew.top = bTop ? m_rectFrameDragHorz.top : frame.top;
                rectNew.right = rectNew.left + size.cx + extraW;
                rectNew.bottom = rectNew.top + size.cy + extraH;
                break;
            }
            }
            pFrame->SetWindowPos(nullptr, rectNew.left, rectNew.top, rectNew.Width(),
                                 rectNew.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
            pFrame->RecalcLayout();
            return;
        }
        const CSize offset = pt - m_ptStart;
        CRect rectHorz = m_rectDragHorz, rectVert = m_rectDragVert;
        rectHorz.OffsetRect(offset);
        rectVert.OffsetRect(offset);
        rectFloat = m_rectFrameDragHorz;
        rectFloat.OffsetRect(offset);
        pTarget = GetDropTarget(rectHorz, rectVert, &rectTarget);
        if (pTarget != nullptr)
            DrawTracker(rectTarget, FALSE, FALSE);
        else
            DrawTracker(rectFloat, TRUE, FALSE);
    };

    MSG msg;
    while (!bDone && ::GetCapture() == hWndCapture)
    {
        if (!::GetMessageW(&msg, nullptr, 0, 0))
        {
            ::PostQuitMessage((int)msg.wParam);
            break;
        }
        switch (msg.message)
        {
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            CPoint pt = MessagePoint(msg);
            if (!bMoved && std::abs(pt.x - m_ptStart.x) <= cxDrag &&
                std::abs(pt.y - m_ptStart.y) <= cyDrag)
            {
                if (msg.message == WM_LBUTTONUP)
                    bDone = TRUE;
                break;
            }
            bMoved = TRUE;
            update(pt);
            if (msg.message == WM_LBUTTONUP)
            {
                bResult = TRUE;
                bDone = TRUE;
            }
            break;
        }
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (msg.wParam == VK_ESCAPE)
            {
                bDone = TRUE;
            }
            else if (msg.wParam == VK_CONTROL && bMoved && !bResize)
            {
                update(m_ptLast);
            }
            break;
        case WM_RBUTTONDOWN:
        case WM_CANCELMODE: bDone = TRUE; break;
        default: ::DispatchMessageW(&msg); break;
        }
    }
    DrawTracker(CRect(), FALSE, TRUE);
    if (::GetCapture() == hWndCapture)
        ::ReleaseCapture();
    m_bDragging = FALSE;
    if (!bResult || bResize)
        return bResult;

    // Drop: dock where the tracker said, or float there.
    if (pTarget != nullptr)
    {
        m_pDockSite->DockControlBar(m_pBar, pTarget, &rectTarget);
    }
    else
    {
        DWORD dwStyle = (m_pBar->m_dwStyle & CBRS_ORIENT_VERT) && !m_pBar->IsFloating()
                            ? CBRS_ALIGN_LEFT
                            : CBRS_ALIGN_TOP;
        m_pDockSite->FloatControlBar(m_pBar, rectFloat.TopLeft(), dwStyle);
    }
    m_pDockSite->RecalcLayout();
    return TRUE;
}

void CDockContext::StartDrag(CPoint pt)
{
    m_pDockSite = m_pBar->m_pDockSite;
    if (m_pDockSite == nullptr || m_pBar->m_hWnd == nullptr)
        return;
    m_dwStyle = m_pBar->m_dwStyle;
    m_dwDockStyle = m_pBar->m_dwDockStyle;
    m_ptStart = m_ptLast = pt;

    CRect rect;
    m_pBar->GetWindowRect(&rect);
    CSize sizeHorz = m_pBar->CalcFixedLayout(FALSE, TRUE);
    CSize sizeVert = m_pBar->CalcFixedLayout(FALSE, FALSE);
    CSize sizeFloat = m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH);
    m_rectDragHorz = CRect(rect.TopLeft(), sizeHorz);
    m_rectDragVert = CRect(rect.TopLeft(), sizeVert);
    if (m_pBar->IsFloating())
    {
        CFrameWnd* pFrame = m_pBar->GetDockingFrame();
        pFrame->GetWindowRect(&m_rectFrameDragHorz);
    }
    else
    {
        CRect rectFrame(0, 0, sizeFloat.cx, sizeFloat.cy);
        ::AdjustWindowRectEx(&rectFrame, WS_POPUP | WS_CAPTION | WS_THICKFRAME, FALSE,
                             WS_EX_TOOLWINDOW);
        m_rectFrameDragHorz = CRect(rect.TopLeft(), rectFrame.Size());
    }
    m_rectFrameDragVert = m_rectFrameDragHorz;
    Track(FALSE);
}

void CDockContext::StartResize(int nHitTest, CPoint pt)
{
    m_pDockSite = m_pBar->m_pDockSite;
    if (m_pDockSite == nullptr || !m_pBar->IsFloating())
        return;
    m_nHitTest = nHitTest;
    m_ptStart = m_ptLast = pt;
    m_pBar->GetDockingFrame()->GetWindowRect(&m_rectFrameDragHorz);
    m_rectStartFrame = m_rectFrameDragHorz;
    // Resizing needs no threshold: the first move counts.
    m_ptStart = CPoint(-100000, -100000);
    Track(TRUE);
    m_nHitTest = HTNOWHERE;
}

void CDockContext::ToggleDocking()
{
    m_pDockSite = m_pBar->m_pDockSite;
    if (m_pDockSite == nullptr)
        return;
    if (m_pBar->IsFloating())
    {
        UINT nID = m_uMRUDockID;
        if (nID == 0)
        {
            for (int i = 0; i < 4; ++i)
                if (m_pBar->m_dwDockStyle & kDockAligns[i])
                {
                    nID = kDockIds[i];
                    break;
                }
        }
        CDockBar* pDockBar = m_pDockSite->GetDockBar(nID);
        if (pDockBar == nullptr)
            return;
        m_pDockSite->DockControlBar(m_pBar, pDockBar,
                                    m_rectMRUDockPos.IsRectEmpty() ? nullptr : &m_rectMRUDockPos);
    }
    else if (m_pBar->m_pDockBar != nullptr)
    {
        CRect rect;
        m_pBar->GetWindowRect(&rect);
        CPoint pt = m_ptMRUFloatPos;
        if (pt.x == -1 && pt.y == -1)
            pt = rect.TopLeft() + CSize(24, 24);
        DWORD dwStyle = (m_pBar->m_dwStyle & CBRS_ORIENT_VERT) ? CBRS_ALIGN_LEFT : CBRS_ALIGN_TOP;
        m_pDockSite->FloatControlBar(m_pBar, pt, dwStyle);
    }
    m_pDockSite->RecalcLayout();
}
