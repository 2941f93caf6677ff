// CSizingControlBar: row negotiation, edge dragging, floating resize and the non-client frame.
#include "controls/sizing_control_bar.h"

#include <algorithm>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CSizingControlBar, CControlBar)

BEGIN_MESSAGE_MAP(CSizingControlBar, CControlBar)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_NCPAINT()
    ON_WM_NCCALCSIZE()
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_CAPTURECHANGED()
    ON_WM_SETTINGCHANGE()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_NCMOUSEMOVE()
    ON_WM_NCHITTEST()
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_MESSAGE(WM_SETTEXT, &CSizingControlBar::OnSetText)
END_MESSAGE_MAP()

CSizingControlBar::CSizingControlBar() = default;
CSizingControlBar::~CSizingControlBar() = default;

BOOL CSizingControlBar::Create(LPCTSTR lpszWindowName, CWnd* pParentWnd, UINT nID, DWORD dwStyle)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                            ::GetSysColorBrush(COLOR_BTNFACE), nullptr);
    dwStyle &= ~CBRS_ALL;
    dwStyle |= WS_CLIPCHILDREN;
    return CWnd::Create(lpszClass, lpszWindowName, dwStyle, CRect(0, 0, 0, 0), pParentWnd, nID);
}

BOOL CSizingControlBar::CreateWithSize(LPCTSTR lpszWindowName, CWnd* pParentWnd, CSize sizeDefault,
                                       UINT nID, DWORD dwStyle)
{
    m_szHorz = m_szVert = m_szFloat = sizeDefault;
    return Create(lpszWindowName, pParentWnd, nID, dwStyle);
}

BOOL CSizingControlBar::LoadState(LPCTSTR lpszProfileName)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr || m_hWnd == nullptr)
        return FALSE;
    CString section;
    section.Format(L"%s-SCBar-%d", lpszProfileName, GetDlgCtrlID());
    auto read = [&](LPCTSTR entry, int current, int minimum) {
        int value = (int)pApp->GetProfileInt(section, entry, current);
        return std::max(value, minimum);
    };
    m_szHorz.cx = read(L"sizeHorzCX", m_szHorz.cx, m_szMinHorz.cx);
    m_szHorz.cy = read(L"sizeHorzCY", m_szHorz.cy, m_szMinHorz.cy);
    m_szVert.cx = read(L"sizeVertCX", m_szVert.cx, m_szMinVert.cx);
    m_szVert.cy = read(L"sizeVertCY", m_szVert.cy, m_szMinVert.cy);
    m_szFloat.cx = read(L"sizeFloatCX", m_szFloat.cx, m_szMinFloat.cx);
    m_szFloat.cy = read(L"sizeFloatCY", m_szFloat.cy, m_szMinFloat.cy);
    return TRUE;
}

BOOL CSizingControlBar::SaveState(LPCTSTR lpszProfileName)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr || m_hWnd == nullptr)
        return FALSE;
    CString section;
    section.Format(L"%s-SCBar-%d", lpszProfileName, GetDlgCtrlID());
    return pApp->WriteProfileInt(section, L"sizeHorzCX", m_szHorz.cx) &&
           pApp->WriteProfileInt(section, L"sizeHorzCY", m_szHorz.cy) &&
           pApp->WriteProfileInt(section, L"sizeVertCX", m_szVert.cx) &&
           pApp->WriteProfileInt(section, L"sizeVertCY", m_szVert.cy) &&
           pApp->WriteProfileInt(section, L"sizeFloatCX", m_szFloat.cx) &&
           pApp->WriteProfileInt(section, L"sizeFloatCY", m_szFloat.cy);
}

// ---------------------------------------------------------------------------------------------
// Rows.

void CSizingControlBar::GetRowBars(std::vector<RowEntry>& bars, BOOL bVisibleOnly) const
{
    bars.clear();
    if (m_pDockBar == nullptr)
        return;
    const CPtrArray& arr = m_pDockBar->m_arrBars;
    int nThis = m_pDockBar->FindBar(const_cast<CSizingControlBar*>(this));
    if (nThis < 0)
        return;
    int nFirst = nThis, nLast = nThis;
    while (nFirst > 0 && arr[nFirst - 1] != nullptr)
        --nFirst;
    while (nLast + 1 < (int)arr.GetSize() && arr[nLast + 1] != nullptr)
        ++nLast;
    for (int i = nFirst; i <= nLast; ++i)
    {
        CControlBar* pBar = m_pDockBar->GetDockedControlBar(i);
        if (pBar == nullptr || (bVisibleOnly && !pBar->IsVisible()))
            continue;
        bars.push_back(RowEntry{pBar, i});
    }
}

void CSizingControlBar::GetRowSizingBars(std::vector<CSizingControlBar*>& bars, int& nThis) const
{
    bars.clear();
    nThis = -1;
    std::vector<RowEntry> row;
    GetRowBars(row);
    for (const RowEntry& e : row)
    {
        auto* pBar = dynamic_cast<CSizingControlBar*>(e.pBar);
        if (pBar == nullptr)
            continue;
        if (pBar == this)
            nThis = (int)bars.size();
        bars.push_back(pBar);
    }
}

BOOL CSizingControlBar::NegotiateSpace(int nLengthTotal, BOOL bHorz)
{
    if (m_pDockBar == nullptr)
        return FALSE;
    std::vector<RowEntry> row;
    GetRowBars(row);

    // 1-2. Walk the row: what it needs at least, what the sizing bars have, the thickness.
    int nNeeded = 2;
    int nLengthAvail = nLengthTotal;
    int nLengthActual = 0;
    int nThickness = 0;
    std::vector<CSizingControlBar*> sizing;
    for (size_t i = 0; i < row.size(); ++i)
    {
        CControlBar* pBar = row[i].pBar;
        auto* pSizing = dynamic_cast<CSizingControlBar*>(pBar);
        CRect rcBar;
        pBar->GetWindowRect(&rcBar);
        const int nWndLength = bHorz ? rcBar.Width() : rcBar.Height();
        if (pSizing != nullptr)
            nNeeded += Length(bHorz ? pSizing->m_szMinHorz : pSizing->m_szMinVert, bHorz) - 2;
        else
            nNeeded += nWndLength - 2;
        if (nNeeded > nLengthTotal)
        {
            const int nThisPos = m_pDockBar->FindBar(this);
            if (row[i].nPos < nThisPos)
            {
                m_pDockBar->m_arrBars.InsertAt(row[i].nPos + 1, (void*)nullptr);
                return FALSE;
            }
            if (row[i].nPos > nThisPos)
            {
                m_pDockBar->m_arrBars.InsertAt(row[i].nPos, (void*)nullptr);
                break;
            }
            Length(bHorz ? m_szHorz : m_szVert, bHorz) =
                Length(bHorz ? m_szMinHorz : m_szMinVert, bHorz);
            return TRUE;
        }
        if (pSizing != nullptr)
        {
            CSize& size = bHorz ? pSizing->m_szHorz : pSizing->m_szVert;
            nLengthActual += Length(size, bHorz) - 2;
            nThickness = std::max(nThickness, (int)Thickness(size, bHorz));
            sizing.push_back(pSizing);
        }
        else
        {
            nLengthAvail -= nWndLength - 2;
        }
    }
    if (sizing.empty())
        return FALSE;

    // 3-4. The surplus (negative: a shortfall), all of it to a single bar.
    int nDelta = nLengthAvail - nLengthActual;
    if (sizing.size() == 1)
    {
        sizing[0]->m_bKeepSize = FALSE;
        Length(bHorz ? sizing[0]->m_szHorz : sizing[0]->m_szVert, bHorz) += nDelta;
        return TRUE;
    }

    // 5. Several: a common thickness, and the surplus a pixel at a time, round after round.
    for (CSizingControlBar* pBar : sizing)
        Thickness(bHorz ? pBar->m_szHorz : pBar->m_szVert, bHorz) = nThickness;
    BOOL bClearedKeep = FALSE;
    while (nDelta != 0)
    {
        const int nDeltaOld = nDelta;
        for (CSizingControlBar* pBar : sizing)
        {
            if (nDelta == 0)
                break;
            CSize& size = bHorz ? pBar->m_szHorz : pBar->m_szVert;
            const int nMin = Length(bHorz ? pBar->m_szMinHorz : pBar->m_szMinVert, bHorz);
            if (nDelta < 0 && Length(size, bHorz) <= nMin)
                continue;
            if (pBar->m_bKeepSize)
                continue;
            const int nStep = nDelta > 0 ? 1 : -1;
            Length(size, bHorz) += nStep;
            nDelta -= nStep;
        }
        if (nDelta == nDeltaOld)
        {
            // Nobody could take a share: the just-shown bars give up their claim; when even
            // that changes nothing the row cannot be shared out (it never loops).
            if (bClearedKeep)
                break;
            for (CSizingControlBar* pBar : sizing)
                pBar->m_bKeepSize = FALSE;
            bClearedKeep = TRUE;
        }
        else
        {
            bClearedKeep = FALSE;
        }
    }
    return nDelta == 0;
}

void CSizingControlBar::AlignBars()
{
    if (m_pDockBar == nullptr)
        return;
    const BOOL bHorz = IsHorzDocked();
    std::vector<RowEntry> row;
    GetRowBars(row);
    BOOL bNeedRecalc = FALSE;
    int nAlign = bHorz ? -2 : 0;
    for (const RowEntry& e : row)
    {
        CControlBar* pBar = e.pBar;
        CRect rc;
        pBar->GetWindowRect(&rc);
        m_pDockBar->ScreenToClient(&rc);
        if (auto* pSizing = dynamic_cast<CSizingControlBar*>(pBar))
        {
            CSize size = bHorz ? pSizing->m_szHorz : pSizing->m_szVert;
            rc.right = rc.left + size.cx;
            rc.bottom = rc.top + size.cy;
        }
        if (bHorz)
        {
            if (rc.left != nAlign)
            {
                rc.OffsetRect(nAlign - rc.left, m_nDockBarID == AFX_IDW_DOCKBAR_TOP ? -2 : 0);
                pBar->MoveWindow(rc);
                bNeedRecalc = TRUE;
            }
            nAlign += rc.Width() - 2;
        }
        else
        {
            // Compared with where it goes (the top is placed 2 above the running position):
            // comparing with the running position itself would move every bar on every layout.
            if (rc.top != nAlign - 2)
            {
                rc.OffsetRect(0, nAlign - 2 - rc.top);
                pBar->MoveWindow(rc);
                bNeedRecalc = TRUE;
            }
            nAlign += rc.Height() - 2;
        }
    }
    if (bNeedRecalc && m_pDockSite != nullptr)
        m_pDockSite->DelayRecalcLayout();
}

CSize CSizingControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    // 1. Stretched over the whole side.
    if (bStretch)
        return bHorz ? CSize(32767, m_szHorz.cy) : CSize(m_szVert.cx, 32767);

    const BOOL bDocked = m_pDockBar != nullptr && !m_pDockBar->m_bFloating && !IsFloating();
    if (bDocked)
    {
        // 2. Pending delayed shows and hides of the row, in one batch.
        if (!m_pDockBar->m_bLayoutQuery)
        {
            std::vector<RowEntry> all;
            GetRowBars(all, FALSE);
            AFX_SIZEPARENTPARAMS layout{};
            layout.hDWP = ::BeginDeferWindowPos((int)all.size());
            for (const RowEntry& e : all)
                e.pBar->RecalcDelayShow(&layout);
            if (layout.hDWP != nullptr)
                ::EndDeferWindowPos(layout.hDWP);
        }

        // 3. The length available to the row.
        CRect rc = m_pDockBar->m_rectLayout;
        if (rc.IsRectEmpty() && m_pDockSite != nullptr)
            m_pDockSite->GetClientRect(&rc);
        const int nLengthTotal = bHorz ? rc.Width() + 2 : rc.Height() - 2;

        // 4. The first sizing bar of the row shares it out when the frame is laid out.
        if (IsVisible() && m_bParentSizing)
        {
            std::vector<CSizingControlBar*> sizing;
            int nThis = -1;
            GetRowSizingBars(sizing, nThis);
            if (nThis == 0 && NegotiateSpace(nLengthTotal, bHorz))
                AlignBars();
        }
    }

    // 5.
    m_bParentSizing = FALSE;
    CSize result = bHorz ? m_szHorz : m_szVert;
    const CSize& sizeMin = bHorz ? m_szMinHorz : m_szMinVert;
    result.cx = std::max(result.cx, sizeMin.cx);
    result.cy = std::max(result.cy, sizeMin.cy);
    return result;
}

CSize CSizingControlBar::CalcDynamicLayout(int nLength, DWORD nMode)
{
    // 1. Docking requests.
    if (nMode & (LM_HORZDOCK | LM_VERTDOCK))
    {
        if (nLength == -1)
            m_bParentSizing = TRUE;
        return CControlBar::CalcDynamicLayout(nLength, nMode);
    }
    if (nMode & (LM_MRUWIDTH | LM_COMMIT))
        return m_szFloat;

    // 2. Floating: resizing by a corner follows the pointer; otherwise the length given.
    const int nHit = m_pDockContext != nullptr ? m_pDockContext->m_nHitTest : HTNOWHERE;
    const BOOL bCorner =
        nHit == HTTOPLEFT || nHit == HTTOPRIGHT || nHit == HTBOTTOMLEFT || nHit == HTBOTTOMRIGHT;
    CFrameWnd* pFrame = GetDockingFrame();
    if (IsFloating() && bCorner && pFrame != nullptr)
    {
        const CPoint pt = m_pDockContext->m_ptLast;
        CRect rcFrame, rcWnd;
        pFrame->GetWindowRect(&rcFrame);
        GetWindowRect(&rcWnd);
        if (nHit == HTTOPLEFT || nHit == HTBOTTOMLEFT)
        {
            m_szFloat.cx = rcWnd.Width() - pt.x + rcFrame.left;
            m_pDockContext->m_rectFrameDragHorz.left =
                std::min((int)pt.x, (int)(rcFrame.left + rcWnd.Width() - m_szMinFloat.cx));
        }
        if (nHit == HTTOPLEFT || nHit == HTTOPRIGHT)
        {
            m_szFloat.cy = rcWnd.Height() - pt.y + rcFrame.top;
            m_pDockContext->m_rectFrameDragHorz.top =
                std::min((int)pt.y, (int)(rcFrame.top + rcWnd.Height() - m_szMinFloat.cy));
        }
        if (nHit == HTTOPRIGHT || nHit == HTBOTTOMRIGHT)
            m_szFloat.cx = rcWnd.Width() - rcFrame.right + pt.x;
        if (nHit == HTBOTTOMLEFT || nHit == HTBOTTOMRIGHT)
            m_szFloat.cy = rcWnd.Height() - rcFrame.bottom + pt.y;
    }
    else if (nMode & LM_LENGTHY)
    {
        m_szFloat.cy = nLength;
    }
    else
    {
        m_szFloat.cx = nLength;
    }

    // 3.
    m_szFloat.cx = std::max(m_szFloat.cx, m_szMinFloat.cx);
    m_szFloat.cy = std::max(m_szFloat.cy, m_szMinFloat.cy);
    return m_szFloat;
}

void CSizingControlBar::OnUpdateCmdUI(CFrameWnd*, BOOL) {}

// ---------------------------------------------------------------------------------------------
// Edges and their dragging.

BOOL CSizingControlBar::GetEdgeRect(CRect rcWnd, UINT nHitTest, CRect& rcEdge) const
{
    rcEdge = rcWnd;
    if (m_dwSCBStyle & SCBS_SHOWEDGES)
        rcEdge.DeflateRect(1, 1);
    const BOOL bHorz = IsHorzDocked();
    switch (nHitTest)
    {
    case HTLEFT:
        if (!(m_dwSCBStyle & SCBS_EDGELEFT))
            return FALSE;
        rcEdge.right = rcEdge.left + m_cxEdge;
        if (bHorz)
            rcEdge.DeflateRect(0, m_cxEdge);
        break;
    case HTRIGHT:
        if (!(m_dwSCBStyle & SCBS_EDGERIGHT))
            return FALSE;
        rcEdge.left = rcEdge.right - m_cxEdge;
        if (bHorz)
            rcEdge.DeflateRect(0, m_cxEdge);
        break;
    case HTTOP:
        if (!(m_dwSCBStyle & SCBS_EDGETOP))
            return FALSE;
        rcEdge.bottom = rcEdge.top + m_cxEdge;
        if (!bHorz)
            rcEdge.DeflateRect(m_cxEdge, 0);
        break;
    case HTBOTTOM:
        if (!(m_dwSCBStyle & SCBS_EDGEBOTTOM))
            return FALSE;
        rcEdge.top = rcEdge.bottom - m_cxEdge;
        if (!bHorz)
            rcEdge.DeflateRect(m_cxEdge, 0);
        break;
    default: return FALSE;
    }
    return TRUE;
}

void CSizingControlBar::BeginSizing(UINT nHitTest, CPoint point)
{
    SetCapture();
    if (!m_bDragShowContent)
        RedrawWindow(nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    m_htEdge = nHitTest;
    m_bTracking = TRUE;

    const BOOL bHorzTracking = m_htEdge == HTLEFT || m_htEdge == HTRIGHT;
    CRect rcWnd, rcEdge;
    GetWindowRect(&rcWnd);
    GetEdgeRect(rcWnd, m_htEdge, rcEdge);
    m_nTrackPosOld = bHorzTracking ? point.x : point.y;
    m_nTrackEdgeOfs =
        m_nTrackPosOld - (bHorzTracking ? rcEdge.CenterPoint().x : rcEdge.CenterPoint().y);
    m_nTrackPosMin = m_nTrackPosMax = m_nTrackPosOld;

    const BOOL bHorz = IsHorzDocked();
    std::vector<CSizingControlBar*> sizing;
    int nThis = -1;
    GetRowSizingBars(sizing, nThis);
    if (nThis < 0)
    {
        sizing.assign(1, this);
        nThis = 0;
    }

    if (bHorz == bHorzTracking)
    {
        // Along the row: the bars before the edge can shrink, as can those after it.
        const int nSplit = nThis + ((m_htEdge == HTRIGHT || m_htEdge == HTBOTTOM) ? 1 : 0);
        for (int i = 0; i < (int)sizing.size(); ++i)
        {
            CSizingControlBar* pBar = sizing[i];
            CSize size = bHorz ? pBar->m_szHorz : pBar->m_szVert;
            CSize sizeMin = bHorz ? pBar->m_szMinHorz : pBar->m_szMinVert;
            const int nExcess = Length(size, bHorz) - Length(sizeMin, bHorz);
            if (i < nSplit)
                m_nTrackPosMin -= nExcess;
            else
                m_nTrackPosMax += nExcess;
        }
    }
    else
    {
        // Across the row: down to the thickest minimum, up to what the views leave.
        CSize sizeThis = bHorz ? m_szHorz : m_szVert;
        int nNeeded = Thickness(bHorz ? m_szMinHorz : m_szMinVert, bHorz);
        for (CSizingControlBar* pBar : sizing)
            nNeeded = std::max(
                nNeeded, (int)Thickness(bHorz ? pBar->m_szMinHorz : pBar->m_szMinVert, bHorz));
        const int nSpare = Thickness(sizeThis, bHorz) - nNeeded;
        CRect rcFree(0, 0, 0, 0);
        if (m_pDockSite != nullptr)
            m_pDockSite->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &rcFree);
        const int nFree = (bHorz ? rcFree.Height() : rcFree.Width()) - 2;
        if (m_htEdge == HTTOP || m_htEdge == HTLEFT)
        {
            m_nTrackPosMin -= nFree;
            m_nTrackPosMax += nSpare;
        }
        else
        {
            m_nTrackPosMin -= nSpare;
            m_nTrackPosMax += nFree;
        }
    }
    InvertTracker();
}

void CSizingControlBar::EndSizing()
{
    InvertTracker();
    m_bTracking = FALSE;
    if (CWnd::GetCapture() != nullptr && CWnd::GetCapture()->m_hWnd == m_hWnd)
        ::ReleaseCapture();
    if (m_pDockSite != nullptr)
        m_pDockSite->DelayRecalcLayout();
}

void CSizingControlBar::UpdateSizing(CPoint point)
{
    const BOOL bHorzTracking = m_htEdge == HTLEFT || m_htEdge == HTRIGHT;
    int nTrackPos = bHorzTracking ? point.x : point.y;
    nTrackPos = std::max(m_nTrackPosMin, std::min(m_nTrackPosMax, nTrackPos));
    const int nDelta = nTrackPos - m_nTrackPosOld;
    if (nDelta == 0)
        return;
    InvertTracker(); // erase
    m_nTrackPosOld = nTrackPos;

    const BOOL bHorz = IsHorzDocked();
    CSize sizeNew = bHorz ? m_szHorz : m_szVert;
    switch (m_htEdge)
    {
    case HTLEFT: sizeNew.cx -= nDelta; break;
    case HTTOP: sizeNew.cy -= nDelta; break;
    case HTRIGHT: sizeNew.cx += nDelta; break;
    case HTBOTTOM: sizeNew.cy += nDelta; break;
    default: break;
    }

    std::vector<CSizingControlBar*> sizing;
    int nThis = -1;
    GetRowSizingBars(sizing, nThis);
    if (nThis < 0)
    {
        sizing.assign(1, this);
        nThis = 0;
    }
    if (bHorz != bHorzTracking)
    {
        // Across: the whole row takes the new thickness.
        for (CSizingControlBar* pBar : sizing)
            Thickness(bHorz ? pBar->m_szHorz : pBar->m_szVert, bHorz) = Thickness(sizeNew, bHorz);
    }
    else
    {
        // Along: one bar grows, the bars the edge moves towards give the room, nearest first.
        const BOOL bLeading = m_htEdge == HTLEFT || m_htEdge == HTTOP;
        int nGrowing = nThis;
        if (bLeading && nDelta > 0)
            nGrowing = nThis - 1;
        else if (!bLeading && nDelta < 0)
            nGrowing = nThis + 1;
        if (nGrowing >= 0 && nGrowing < (int)sizing.size())
        {
            int nAmount = std::abs(nDelta);
            CSizingControlBar* pGrow = sizing[nGrowing];
            Length(bHorz ? pGrow->m_szHorz : pGrow->m_szVert, bHorz) += nAmount;
            const int nDir = nDelta < 0 ? -1 : 1;
            for (int i = nGrowing + nDir; i >= 0 && i < (int)sizing.size() && nAmount > 0;
                 i += nDir)
            {
                CSizingControlBar* pBar = sizing[i];
                LONG& nLen = Length(bHorz ? pBar->m_szHorz : pBar->m_szVert, bHorz);
                const int nMin = Length(bHorz ? pBar->m_szMinHorz : pBar->m_szMinVert, bHorz);
                const int nTake = std::min(nAmount, std::max(0, (int)(nLen - nMin)));
                nLen -= nTake;
                nAmount -= nTake;
            }
            // What nobody could give is not grown either: the row keeps its length.
            Length(bHorz ? pGrow->m_szHorz : pGrow->m_szVert, bHorz) -= nAmount;
        }
    }

    InvertTracker();
    if (m_bDragShowContent && m_pDockSite != nullptr)
        m_pDockSite->DelayRecalcLayout();
}

void CSizingControlBar::InvertTracker()
{
    if (m_bDragShowContent || m_pDockSite == nullptr || m_pDockBar == nullptr)
        return;
    const BOOL bHorz = IsHorzDocked();
    const BOOL bHorzTracking = m_htEdge == HTLEFT || m_htEdge == HTRIGHT;
    CRect rcWnd, rc;
    GetWindowRect(&rcWnd);
    if (!GetEdgeRect(rcWnd, m_htEdge, rc))
        return;
    if (bHorz != bHorzTracking)
    {
        CRect rcDock;
        m_pDockBar->GetWindowRect(&rcDock);
        rcDock.DeflateRect(1, 1);
        if (bHorz)
        {
            rc.left = rcDock.left;
            rc.right = rcDock.right;
        }
        else
        {
            rc.top = rcDock.top;
            rc.bottom = rcDock.bottom;
        }
    }
    const int nOfs = m_nTrackPosOld - m_nTrackEdgeOfs -
                     (bHorzTracking ? rc.CenterPoint().x : rc.CenterPoint().y);
    rc.OffsetRect(bHorzTracking ? nOfs : 0, bHorzTracking ? 0 : nOfs);
    CRect rcFrame;
    m_pDockSite->GetWindowRect(&rcFrame);
    rc.OffsetRect(-rcFrame.left, -rcFrame.top);

    HDC hDC =
        ::GetDCEx(m_pDockSite->m_hWnd, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (hDC == nullptr)
        return;
    WORD pattern[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    HBITMAP hbm = ::CreateBitmap(8, 8, 1, 1, pattern);
    HBRUSH hbr = ::CreatePatternBrush(hbm);
    HGDIOBJ hOld = ::SelectObject(hDC, hbr);
    ::PatBlt(hDC, rc.left, rc.top, rc.Width(), rc.Height(), PATINVERT);
    ::SelectObject(hDC, hOld);
    ::DeleteObject(hbr);
    ::DeleteObject(hbm);
    ::ReleaseDC(m_pDockSite->m_hWnd, hDC);
}

// ---------------------------------------------------------------------------------------------
// Non-client area.

void CSizingControlBar::CalcClientRect(CRect& rc, UINT nDockBarID)
{
    rc.DeflateRect(3, 5, 3, 3);
    if (nDockBarID != AFX_IDW_DOCKBAR_FLOAT)
        rc.DeflateRect(2, 0, 2, 2);
    switch (nDockBarID)
    {
    case AFX_IDW_DOCKBAR_TOP: m_dwSCBStyle |= SCBS_EDGEBOTTOM; break;
    case AFX_IDW_DOCKBAR_LEFT: m_dwSCBStyle |= SCBS_EDGERIGHT; break;
    case AFX_IDW_DOCKBAR_RIGHT: m_dwSCBStyle |= SCBS_EDGELEFT; break;
    case AFX_IDW_DOCKBAR_BOTTOM: m_dwSCBStyle |= SCBS_EDGETOP; break;
    default: break;
    }
    if (m_dwSCBStyle & SCBS_SHOWEDGES)
    {
        if (m_dwSCBStyle & SCBS_EDGELEFT)
            rc.left += m_cxEdge;
        if (m_dwSCBStyle & SCBS_EDGETOP)
            rc.top += m_cxEdge;
        if (m_dwSCBStyle & SCBS_EDGERIGHT)
            rc.right -= m_cxEdge;
        if (m_dwSCBStyle & SCBS_EDGEBOTTOM)
            rc.bottom -= m_cxEdge;
    }
}

void CSizingControlBar::PaintCaption(CDC*, const CRect&) {}

void CSizingControlBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp)
{
    // 1. A floating bar resizes from the corners of its mini frame too.
    if (IsFloating())
    {
        CFrameWnd* pFrame = AfxGetParentFrame(this);
        if (dynamic_cast<CMiniFrameWnd*>(pFrame) != nullptr &&
            (pFrame->GetStyle() & MFS_4THICKFRAME))
        {
            pFrame->ModifyStyle(MFS_4THICKFRAME, 0);
            if (CWnd* pParent = GetParent())
                pParent->ModifyStyle(0, WS_CLIPCHILDREN);
        }
    }

    // 2. The edges that may be dragged.
    m_dwSCBStyle &= ~SCBS_EDGEALL;
    if (!IsFloating() && m_pDockBar != nullptr)
    {
        std::vector<CSizingControlBar*> sizing;
        int nThis = -1;
        GetRowSizingBars(sizing, nThis);
        const BOOL bHorz = IsHorzDocked();
        if (nThis > 0)
            m_dwSCBStyle |= bHorz ? SCBS_EDGELEFT : SCBS_EDGETOP;
        if (nThis >= 0 && nThis < (int)sizing.size() - 1)
            m_dwSCBStyle |= bHorz ? SCBS_EDGERIGHT : SCBS_EDGEBOTTOM;
    }

    // 3. The client area, computed in window coordinates (the close button of a captioned
    // bar is stored in them).
    CRect rcWindow(lpncsp->rgrc[0]);
    CRect rc(0, 0, rcWindow.Width(), rcWindow.Height());
    CalcClientRect(rc, m_nDockBarID);
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    rc.OffsetRect(rcWindow.left, rcWindow.top);
    lpncsp->rgrc[0] = rc;
}

void CSizingControlBar::OnNcPaint()
{
    HDC hdcWindow = ::GetWindowDC(m_hWnd);
    if (hdcWindow == nullptr)
        return;
    CRect rcBar, rcClient;
    GetWindowRect(&rcBar);
    GetClientRect(&rcClient);
    ClientToScreen(&rcClient);
    rcClient.OffsetRect(-rcBar.left, -rcBar.top);
    rcBar.OffsetRect(-rcBar.left, -rcBar.top);

    HDC hdcMem = ::CreateCompatibleDC(hdcWindow);
    HBITMAP hbm = ::CreateCompatibleBitmap(hdcWindow, std::max(1, rcBar.Width()),
                                           std::max(1, rcBar.Height()));
    HGDIOBJ hbmOld = ::SelectObject(hdcMem, hbm);
    {
        CDC dc;
        dc.Attach(hdcMem);
        CRect rcDraw = rcBar;
        DrawBorders(&dc, rcDraw);
        HBRUSH hbrBack = reinterpret_cast<HBRUSH>(::GetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND));
        if (hbrBack == nullptr)
            hbrBack = ::GetSysColorBrush(COLOR_BTNFACE);
        ::FillRect(hdcMem, &rcDraw, hbrBack);
        if (m_dwSCBStyle & SCBS_SHOWEDGES)
        {
            CRect rcWnd;
            GetWindowRect(&rcWnd);
            const POINT origin = {rcWnd.left, rcWnd.top};
            const UINT hits[4] = {HTLEFT, HTTOP, HTRIGHT, HTBOTTOM};
            for (UINT hit : hits)
            {
                CRect rcEdge;
                if (!GetEdgeRect(rcWnd, hit, rcEdge))
                    continue;
                rcEdge.OffsetRect(-origin.x, -origin.y);
                HPEN hpenHi = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT));
                HPEN hpenLo = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
                HGDIOBJ hpOld = ::SelectObject(hdcMem, hpenHi);
                ::MoveToEx(hdcMem, rcEdge.left, rcEdge.bottom - 1, nullptr);
                ::LineTo(hdcMem, rcEdge.left, rcEdge.top);
                ::LineTo(hdcMem, rcEdge.right - 1, rcEdge.top);
                ::SelectObject(hdcMem, hpenLo);
                ::LineTo(hdcMem, rcEdge.right - 1, rcEdge.bottom - 1);
                ::LineTo(hdcMem, rcEdge.left - 1, rcEdge.bottom - 1);
                ::SelectObject(hdcMem, hpOld);
                ::DeleteObject(hpenHi);
                ::DeleteObject(hpenLo);
            }
        }
        PaintCaption(&dc, rcClient);
        dc.Detach();
    }
    ::ExcludeClipRect(hdcWindow, rcClient.left, rcClient.top, rcClient.right, rcClient.bottom);
    ::BitBlt(hdcWindow, 0, 0, rcBar.Width(), rcBar.Height(), hdcMem, 0, 0, SRCCOPY);
    ::SelectObject(hdcMem, hbmOld);
    ::DeleteObject(hbm);
    ::DeleteDC(hdcMem);
    ::ReleaseDC(m_hWnd, hdcWindow);
}

void CSizingControlBar::OnPaint()
{
    // The hosted window covers the client area.
    PAINTSTRUCT ps;
    ::BeginPaint(m_hWnd, &ps);
    ::EndPaint(m_hWnd, &ps);
}

// ---------------------------------------------------------------------------------------------
// Messages.

int CSizingControlBar::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CControlBar::OnCreate(lpCreateStruct) == -1)
        return -1;
    BOOL bFull = FALSE;
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &bFull, 0);
    m_bDragShowContent = bFull;
    return 0;
}

void CSizingControlBar::OnSettingChange(UINT uFlags, LPCTSTR lpszSection)
{
    CControlBar::OnSettingChange(uFlags, lpszSection);
    BOOL bFull = FALSE;
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &bFull, 0);
    m_bDragShowContent = bFull;
}

void CSizingControlBar::OnWindowPosChanging(WINDOWPOS* lpwndpos)
{
    lpwndpos->flags |= SWP_FRAMECHANGED;
    CControlBar::OnWindowPosChanging(lpwndpos);
    HWND hParent = ::GetParent(m_hWnd);
    m_nDockBarID = hParent != nullptr ? (UINT)::GetDlgCtrlID(hParent) : 0;
    if (!IsFloating() && (lpwndpos->flags & SWP_SHOWWINDOW))
        m_bKeepSize = TRUE;
}

void CSizingControlBar::OnCaptureChanged(CWnd* pWnd)
{
    if (m_bTracking && (pWnd == nullptr || pWnd->m_hWnd != m_hWnd))
        EndSizing();
    CControlBar::OnCaptureChanged(pWnd);
}

void CSizingControlBar::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_bTracking)
        EndSizing();
    else
        CControlBar::OnLButtonUp(nFlags, point);
}

void CSizingControlBar::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_bTracking)
        EndSizing();
    else
        CControlBar::OnRButtonDown(nFlags, point);
}

void CSizingControlBar::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_bTracking)
    {
        ClientToScreen(&point);
        UpdateSizing(point);
        return;
    }
    CControlBar::OnMouseMove(nFlags, point);
}

void CSizingControlBar::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    if (!m_bTracking && !IsFloating() && nHitTest >= HTLEFT && nHitTest <= HTBOTTOMRIGHT)
    {
        BeginSizing(nHitTest, point);
        return;
    }
    CControlBar::OnNcLButtonDown(nHitTest, point);
}

void CSizingControlBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (m_pDockBar != nullptr && m_pDockContext != nullptr)
    {
        ClientToScreen(&point);
        m_pDockContext->StartDrag(point);
        return;
    }
    CWnd::OnLButtonDown(nFlags, point);
}

void CSizingControlBar::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (m_pDockBar != nullptr && m_pDockContext != nullptr)
    {
        m_pDockContext->ToggleDocking();
        return;
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

void CSizingControlBar::OnNcMouseMove(UINT nHitTest, CPoint point)
{
    CControlBar::OnNcMouseMove(nHitTest, point);
}

LRESULT CSizingControlBar::OnNcHitTest(CPoint point)
{
    if (IsFloating())
        return HTCLIENT;
    CRect rcWnd;
    GetWindowRect(&rcWnd);
    const UINT hits[4] = {HTLEFT, HTTOP, HTRIGHT, HTBOTTOM};
    for (UINT hit : hits)
    {
        CRect rcEdge;
        if (GetEdgeRect(rcWnd, hit, rcEdge) && rcEdge.PtInRect(point))
            return hit;
    }
    return HTCLIENT;
}

void CSizingControlBar::OnClose()
{
    // Not destroyed by WM_CLOSE: the frame hides and shows it.
}

void CSizingControlBar::OnSize(UINT nType, int cx, int cy)
{
    CControlBar::OnSize(nType, cx, cy);
    if (m_dwSCBStyle & SCBS_SIZECHILD)
    {
        HWND hChild = ::GetWindow(m_hWnd, GW_CHILD);
        if (hChild != nullptr)
            ::MoveWindow(hChild, 0, 0, cx, cy, TRUE);
    }
}

LRESULT CSizingControlBar::OnSetText(WPARAM, LPARAM lParam)
{
    LRESULT lResult = Default();
    if (IsFloating() && m_pDockBar != nullptr)
    {
        auto* pMini = dynamic_cast<CMiniDockFrameWnd*>(AfxGetParentFrame(this));
        if (pMini != nullptr)
        {
            m_pDockBar->SetWindowText(reinterpret_cast<LPCTSTR>(lParam));
            pMini->DelayRecalcLayout();
        }
    }
    return lResult;
}
