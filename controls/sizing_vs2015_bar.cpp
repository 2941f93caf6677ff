// CSizingVS2015Bar: the flat caption of a docked sizing bar.
#include "controls/sizing_vs2015_bar.h"

#include "util/utility.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSizingVS2015Bar, CSizingControlBar)

BEGIN_MESSAGE_MAP(CSizingVS2015Bar, CSizingControlBar)
    ON_WM_NCHITTEST()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONUP()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_MESSAGE(WM_SETTEXT, &CSizingVS2015Bar::OnSetText)
END_MESSAGE_MAP()

CSizingVS2015Bar::CSizingVS2015Bar() = default;
CSizingVS2015Bar::~CSizingVS2015Bar() = default;

int CSizingVS2015Bar::GetCaptionHeight()
{
    LOGFONTW lf{};
    HGDIOBJ hFont = ::GetStockObject(DEFAULT_GUI_FONT);
    if (hFont != nullptr && ::GetObjectW(hFont, sizeof(lf), &lf) != 0 && lf.lfHeight != 0)
        return std::abs(lf.lfHeight) + 3 * ::GetSystemMetrics(SM_CYEDGE);
    return ::GetSystemMetrics(SM_CYMENU);
}

CRect CSizingVS2015Bar::GetCloseButtonRect() const
{
    const int nSize = GetCloseButtonSize();
    return CRect(m_ptClose.x, m_ptClose.y, m_ptClose.x + nSize, m_ptClose.y + nSize);
}

void CSizingVS2015Bar::CalcClientRect(CRect& rc, UINT nDockBarID)
{
    CSizingControlBar::CalcClientRect(rc, nDockBarID);
    if (!HasCaption())
        return;
    const int cyCaption = GetCaptionHeight();
    const int nButton = cyCaption * 3 / 5;
    const int nMargin = (cyCaption - nButton) / 2;
    const int cyEdge = ::GetSystemMetrics(SM_CYEDGE);
    if (nDockBarID == AFX_IDW_DOCKBAR_LEFT || nDockBarID == AFX_IDW_DOCKBAR_RIGHT)
    {
        rc.top += cyCaption;
        m_ptClose = CPoint(rc.right - cyCaption + nMargin, rc.top - cyCaption + nMargin);
    }
    else if (nDockBarID == AFX_IDW_DOCKBAR_TOP || nDockBarID == AFX_IDW_DOCKBAR_BOTTOM)
    {
        rc.left += cyCaption;
        m_ptClose = CPoint(rc.left - cyCaption + nMargin, rc.top + nMargin + cyEdge);
    }
}

void CSizingVS2015Bar::DrawX(CDC* pDC, const CRect& rc, COLORREF clr, int nThickness)
{
    if (pDC == nullptr)
        return;
    HDC hDC = pDC->m_hDC;
    HPEN hPen = ::CreatePen(PS_SOLID, 1, clr);
    HGDIOBJ hOld = ::SelectObject(hDC, hPen);
    auto line = [hDC](int x1, int y1, int x2, int y2) {
        ::MoveToEx(hDC, x1, y1, nullptr);
        ::LineTo(hDC, x2, y2);
    };
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    line(l, t, r, b);
    for (int i = 1; i < nThickness; ++i)
    {
        line(l + i, t, r, b - i);
        line(l, t + i, r - i, b);
    }
    line(l, b - 1, r, t - 1);
    for (int i = 1; i < nThickness; ++i)
    {
        line(l + i, b - 1, r, t + i - 1);
        line(l, b - i - 1, r - i, t - 1);
    }
    ::SelectObject(hDC, hOld);
    ::DeleteObject(hPen);
}

void CSizingVS2015Bar::PaintCaption(CDC* pDC, const CRect& rcClient)
{
    if (!HasCaption() || pDC == nullptr)
        return;
    HDC hDC = pDC->m_hDC;
    const int cyCaption = GetCaptionHeight();
    const int cyEdge = ::GetSystemMetrics(SM_CYEDGE);
    const BOOL bStrip = IsHorzDocked(); // docked top or bottom: a vertical strip on the left

    // 1-2. The caption area and its background.
    CRect rcCaption;
    if (bStrip)
    {
        rcCaption.right = rcClient.left - cyEdge;
        rcCaption.left = rcCaption.right - cyCaption;
        rcCaption.top = rcClient.top;
        rcCaption.bottom = rcClient.bottom;
    }
    else
    {
        rcCaption.bottom = rcClient.top - cyEdge;
        rcCaption.top = rcCaption.bottom - cyCaption;
        rcCaption.left = rcClient.left;
        rcCaption.right = rcClient.right;
    }
    const COLORREF clrBack = ::GetSysColor(m_bActive ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    const COLORREF clrText = ::GetSysColor(m_bActive ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    const COLORREF clrMark = ::GetSysColor(m_bActive ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT);
    HBRUSH hbrBack = ::CreateSolidBrush(clrBack);
    ::FillRect(hDC, &rcCaption, hbrBack);
    ::DeleteObject(hbrBack);

    // 3. The title area: the caption without the close button, shortened at both ends.
    const CRect rcButton = GetCloseButtonRect();
    CRect rcTitle = rcCaption;
    if (bStrip)
        rcTitle.top = rcButton.bottom + cyEdge;
    else
        rcTitle.right = rcButton.left - cyEdge;
    const CRect rcGripBase = rcTitle;
    if (bStrip)
        rcTitle.DeflateRect(0, cyEdge);
    else
        rcTitle.DeflateRect(cyEdge, 0);

    // 4. The title.
    CString strTitle;
    GetWindowText(strTitle);
    HFONT hFontStock = reinterpret_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    HFONT hFontVert = nullptr;
    if (bStrip)
    {
        LOGFONTW lf{};
        ::GetObjectW(hFontStock, sizeof(lf), &lf);
        lf.lfEscapement = lf.lfOrientation = 900;
        hFontVert = ::CreateFontIndirectW(&lf);
    }
    HGDIOBJ hFontOld = ::SelectObject(hDC, bStrip && hFontVert != nullptr ? hFontVert : hFontStock);
    const int nBkModeOld = ::SetBkMode(hDC, TRANSPARENT);
    const COLORREF clrTextOld = ::SetTextColor(hDC, clrText);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(hDC, &tm);
    SIZE ext{};
    ::GetTextExtentPoint32W(hDC, strTitle, strTitle.GetLength(), &ext);
    const int nTitleLength = ext.cx;
    int x, y;
    if (bStrip)
    {
        x = rcTitle.left + (rcTitle.Width() - tm.tmHeight) / 2;
        y = rcTitle.bottom;
    }
    else
    {
        x = rcTitle.left;
        y = rcTitle.top + (rcTitle.Height() - tm.tmHeight) / 2;
    }
    ::ExtTextOutW(hDC, x, y, ETO_CLIPPED, &rcTitle, strTitle, strTitle.GetLength(), nullptr);
    ::SetTextColor(hDC, clrTextOld);
    ::SetBkMode(hDC, nBkModeOld);
    ::SelectObject(hDC, hFontOld);
    if (hFontVert != nullptr)
        ::DeleteObject(hFontVert);

    // 5. The grip, where the title leaves room for it.
    const int nAreaLength = bStrip ? rcTitle.Height() : rcTitle.Width();
    if (nTitleLength + cyEdge < nAreaLength)
    {
        CRect rcGrip = rcGripBase;
        if (bStrip)
        {
            rcGrip.DeflateRect(cyCaption / 4, cyEdge);
            rcGrip.bottom -= nTitleLength + cyEdge;
            rcGrip.left += cyEdge;
        }
        else
        {
            rcGrip.DeflateRect(cyEdge, cyCaption / 4);
            rcGrip.left += nTitleLength + cyEdge;
            rcGrip.top += cyEdge;
        }
        static const WORD bits[4] = {0x0088, 0x0000, 0x0022, 0x0000};
        HBITMAP hbm = ::CreateBitmap(4, 4, 1, 1, bits);
        HBRUSH hbrGrip = ::CreatePatternBrush(hbm);
        const COLORREF clrTextOld2 = ::SetTextColor(hDC, clrBack);
        const COLORREF clrBkOld = ::SetBkColor(hDC, ::GetSysColor(COLOR_BTNSHADOW));
        if (rcGrip.right > rcGrip.left && rcGrip.bottom > rcGrip.top)
            ::FillRect(hDC, &rcGrip, hbrGrip);
        ::SetTextColor(hDC, clrTextOld2);
        ::SetBkColor(hDC, clrBkOld);
        ::DeleteObject(hbrGrip);
        ::DeleteObject(hbm);
    }

    // 6. The close button.
    if (m_nCloseState == 1 || m_nCloseState == 2)
    {
        CRect rcHot = rcButton;
        rcHot.InflateRect(1, 1);
        HBRUSH hbrHot = ::CreateSolidBrush(BlendColors(clrBack, clrMark, 160));
        ::FillRect(hDC, &rcHot, hbrHot);
        ::DeleteObject(hbrHot);
    }
    DrawX(pDC, rcButton, m_nCloseState == 0 ? clrMark : RGB(255, 0, 0), 2);
}

LRESULT CSizingVS2015Bar::OnNcHitTest(CPoint point)
{
    LRESULT nHit = CSizingControlBar::OnNcHitTest(point);
    if (nHit != HTCLIENT || !HasCaption())
        return nHit;
    CRect rcWnd;
    GetWindowRect(&rcWnd);
    CRect rcButton = GetCloseButtonRect();
    rcButton.OffsetRect(rcWnd.left, rcWnd.top);
    return rcButton.PtInRect(point) ? HTCLOSE : HTCLIENT;
}

void CSizingVS2015Bar::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    // The default processing of HTCLOSE runs a tracking loop of its own that swallows the
    // button-up; the close button is ours, so the press goes no further.
    if (nHitTest == HTCLOSE)
        return;
    CSizingControlBar::OnNcLButtonDown(nHitTest, point);
}

void CSizingVS2015Bar::OnNcLButtonUp(UINT nHitTest, CPoint point)
{
    if (nHitTest == HTCLOSE && m_pDockSite != nullptr)
        m_pDockSite->ShowControlBar(this, FALSE, FALSE);
    CSizingControlBar::OnNcLButtonUp(nHitTest, point);
}

void CSizingVS2015Bar::OnLButtonDown(UINT nFlags, CPoint point)
{
    SetFocus();
    CSizingControlBar::OnLButtonDown(nFlags, point);
}

void CSizingVS2015Bar::OnRButtonDown(UINT nFlags, CPoint point)
{
    SetFocus();
    CSizingControlBar::OnRButtonDown(nFlags, point);
}

LRESULT CSizingVS2015Bar::OnSetText(WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = CSizingControlBar::OnSetText(wParam, lParam);
    SendMessage(WM_NCPAINT);
    return lResult;
}

void CSizingVS2015Bar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CSizingControlBar::OnUpdateCmdUI(pTarget, bDisableIfNoHndler);
    if (!HasCaption())
        return;
    HWND hFocus = ::GetFocus();
    const BOOL bActive = hFocus != nullptr && ::IsChild(m_hWnd, hFocus);
    POINT pt;
    ::GetCursorPos(&pt);
    int nState = 0;
    if (SendMessage(WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)) == HTCLOSE)
        nState = ::GetKeyState(VK_LBUTTON) < 0 ? 1 : 2;
    if (bActive != m_bActive || nState != m_nCloseState)
    {
        m_bActive = bActive;
        m_nCloseState = nState;
        SendMessage(WM_NCPAINT);
    }
}
