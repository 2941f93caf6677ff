// CDockBar: rows of docked bars and their layout.
#include "framework/dock_bar.h"

#include "framework/frame_wnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDockBar, CControlBar)

BEGIN_MESSAGE_MAP(CDockBar, CControlBar)
    ON_MESSAGE(WM_SIZEPARENT, &CDockBar::OnSizeParent)
END_MESSAGE_MAP()

namespace {

bool IsPlaceHolder(void* p)
{
    return p != nullptr && reinterpret_cast<UINT_PTR>(p) <= 0xFFFF;
}

} // namespace

CDockBar::CDockBar(BOOL bFloating) : m_bFloating(bFloating)
{
    m_arrBars.Add(nullptr);
    m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
}

CDockBar::~CDockBar() = default;

BOOL CDockBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    DWORD dwWndStyle =
        (dwStyle & ~CBRS_ALL) | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return CWnd::Create(lpszClass, nullptr, dwWndStyle, CRect(0, 0, 0, 0), pParentWnd, nID);
}

CControlBar* CDockBar::GetDockedControlBar(int nPos) const
{
    if (nPos < 0 || nPos >= (int)m_arrBars.GetSize())
        return nullptr;
    void* p = m_arrBars[nPos];
    if (p == nullptr || IsPlaceHolder(p))
        return nullptr;
    return static_cast<CControlBar*>(p);
}

int CDockBar::FindBar(CControlBar* pBar, int nPosExclude) const
{
    for (int i = 0; i < (int)m_arrBars.GetSize(); ++i)
        if (i != nPosExclude && m_arrBars[i] == pBar)
            return i;
    return -1;
}

int CDockBar::GetDockedCount() const
{
    int n = 0;
    for (int i = 0; i < (int)m_arrBars.GetSize(); ++i)
        if (GetDockedControlBar(i) != nullptr)
            ++n;
    return n;
}

int CDockBar::GetDockedVisibleCount() const
{
    int n = 0;
    for (int i = 0; i < (int)m_arrBars.GetSize(); ++i)
    {
        CControlBar* pBar = GetDockedControlBar(i);
        if (pBar != nullptr && pBar->IsVisible())
            ++n;
    }
    return n;
}

void CDockBar::NormalizeRows()
{
    if (m_arrBars.GetSize() == 0 || m_arrBars[0] != nullptr)
        m_arrBars.InsertAt(0, (void*)nullptr);
    for (int i = 1; i < (int)m_arrBars.GetSize();)
    {
        if (m_arrBars[i] == nullptr && m_arrBars[i - 1] == nullptr)
            m_arrBars.RemoveAt(i);
        else
            ++i;
    }
    if (m_arrBars.GetSize() > 1 && m_arrBars[m_arrBars.GetSize() - 1] != nullptr)
        m_arrBars.Add(nullptr);
}

BOOL CDockBar::GetBarPosition(CControlBar* pBar, int* pnRow, int* pnIndex) const
{
    int nRow = 0, nIndex = 0;
    for (int i = 1; i < (int)m_arrBars.GetSize(); ++i)
    {
        void* p = m_arrBars[i];
        if (p == nullptr)
        {
            ++nRow;
            nIndex = 0;
            continue;
        }
        if (p == pBar)
        {
            if (pnRow != nullptr)
                *pnRow = nRow;
            if (pnIndex != nullptr)
                *pnIndex = nIndex;
            return TRUE;
        }
        ++nIndex;
    }
    return FALSE;
}

void CDockBar::InsertBar(CControlBar* pBar, int nRow, int nIndex)
{
    NormalizeRows();
    int row = 0;
    int rowStart = 1;
    const int n = (int)m_arrBars.GetSize();
    if (nRow >= 0)
    {
        for (int i = 1; i < n && row < nRow; ++i)
        {
            if (m_arrBars[i] == nullptr)
            {
                ++row;
                rowStart = i + 1;
            }
        }
    }
    if (nRow < 0 || row < nRow || rowStart >= n)
    {
        m_arrBars.Add(pBar);
        m_arrBars.Add(nullptr);
        return;
    }
    int pos = rowStart;
    for (int k = 0; k < nIndex && pos < n && m_arrBars[pos] != nullptr; ++k)
        ++pos;
    m_arrBars.InsertAt(pos, pBar);
}

BOOL CDockBar::RemoveControlBar(CControlBar* pBar, int nPosExclude)
{
    int nPos = FindBar(pBar, nPosExclude);
    if (nPos < 0)
        return FALSE;
    m_arrBars.RemoveAt(nPos);
    NormalizeRows();
    if (pBar->m_pDockBar == this)
        pBar->m_pDockBar = nullptr;
    return TRUE;
}

void CDockBar::RemovePlaceHolder(CControlBar* pBar)
{
    if (pBar == nullptr || pBar->m_hWnd == nullptr)
        return;
    void* id = reinterpret_cast<void*>((UINT_PTR)(pBar->GetDlgCtrlID() & 0xFFFF));
    for (int i = 0; i < (int)m_arrBars.GetSize();)
    {
        if (id != nullptr && m_arrBars[i] == id)
            m_arrBars.RemoveAt(i);
        else
            ++i;
    }
    NormalizeRows();
}

void CDockBar::DockControlBar(CControlBar* pBar, LPCRECT lpRect)
{
    if (pBar == nullptr)
        return;
    if (pBar->m_pDockBar != nullptr)
        pBar->m_pDockBar->RemoveControlBar(pBar);
    RemoveControlBar(pBar);
    RemovePlaceHolder(pBar);
    NormalizeRows();

    const BOOL bHorz = m_bFloating || (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    BOOL bInserted = FALSE;
    if (lpRect != nullptr && !m_bFloating)
    {
        CRect rect(*lpRect);
        const int across = bHorz ? rect.CenterPoint().y : rect.CenterPoint().x;
        const int along = bHorz ? rect.left : rect.top;
        // Walk the rows and find the one the rectangle's centre line falls into.
        int rowStart = 1;
        int nRow = 0;
        for (int i = 1; i < (int)m_arrBars.GetSize(); ++i)
        {
            if (m_arrBars[i] != nullptr)
                continue;
            int lo = INT_MAX, hi = INT_MIN;
            for (int k = rowStart; k < i; ++k)
            {
                CControlBar* p = GetDockedControlBar(k);
                if (p == nullptr || !p->IsVisible())
                    continue;
                CRect r;
                p->GetWindowRect(&r);
                lo = std::min(lo, (int)(bHorz ? r.top : r.left));
                hi = std::max(hi, (int)(bHorz ? r.bottom : r.right));
            }
            if (lo <= hi && across < lo)
            {
                // Before this row: a row of its own.
                m_arrBars.InsertAt(rowStart, (void*)nullptr);
                m_arrBars.InsertAt(rowStart, pBar);
                bInserted = TRUE;
                break;
            }
            if (lo <= hi && across >= lo && across < hi)
            {
                int pos = rowStart;
                for (; pos < i; ++pos)
                {
                    CControlBar* p = GetDockedControlBar(pos);
                    if (p == nullptr || !p->IsVisible())
                        continue;
                    CRect r;
                    p->GetWindowRect(&r);
                    if (along < (bHorz ? r.CenterPoint().x : r.CenterPoint().y))
                        break;
                }
                m_arrBars.InsertAt(pos, pBar);
                bInserted = TRUE;
                break;
            }
            rowStart = i + 1;
            ++nRow;
        }
    }
    if (!bInserted)
    {
        m_arrBars.Add(pBar);
        m_arrBars.Add(nullptr);
    }
    NormalizeRows();

    DWORD dwStyle = pBar->m_dwStyle & ~(CBRS_ALIGN_ANY | CBRS_FLOATING);
    dwStyle |= m_dwStyle & CBRS_ALIGN_ANY;
    if (m_bFloating)
        dwStyle |= CBRS_FLOATING;
    pBar->m_dwStyle = dwStyle;
    pBar->m_pDockBar = this;
    if (::GetParent(pBar->m_hWnd) != m_hWnd)
        pBar->SetParent(this);
    // Let the bar see its new parent (its non-client area may depend on the side).
    ::SetWindowPos(pBar->m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

CSize CDockBar::CalcFixedLayout(BOOL bStretch, BOOL bHorzParam)
{
    (void)bHorzParam;
    const BOOL bHorz = m_bFloating || (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    // Bars overlap their neighbours by 2 pixels; the outer row of the top and left dock bars
    // starts 2 pixels outside, so that the bars' outer borders meet the frame's.
    const int start = m_bFloating ? 0 : -2;
    const int overlap = m_bFloating ? 0 : 2;
    const int startAcross =
        (m_bFloating || (m_dwStyle & (CBRS_ALIGN_BOTTOM | CBRS_ALIGN_RIGHT))) ? 0 : -2;

    int nAvail = bHorz ? m_rectLayout.Width() : m_rectLayout.Height();
    if (nAvail <= 0)
    {
        CFrameWnd* pFrame = AfxGetParentFrame(this);
        if (pFrame != nullptr)
        {
            CRect rc;
            pFrame->GetClientRect(&rc);
            nAvail = bHorz ? rc.Width() : rc.Height();
        }
    }

    // Pending delayed shows and hides first, so the rows see the final visibility.
    if (!m_bLayoutQuery)
    {
        for (int i = 0; i < (int)m_arrBars.GetSize(); ++i)
            if (CControlBar* pBar = GetDockedControlBar(i))
                pBar->RecalcDelayShow(nullptr);
    }

    // Bars may rearrange the list while they are measured (a sizing bar breaks a row that is
    // too short for it); the layout then starts over, a bounded number of times.
    int nRestarts = 0;
    const int nMaxRestarts = 2 * (int)m_arrBars.GetSize() + 8;
    int along = 0, across = 0, rowThick = 0, maxAlong = 0;
    BOOL rowHasBar = FALSE;
    AFX_SIZEPARENTPARAMS layout{};
    for (;;)
    {
        layout.hDWP =
            m_bLayoutQuery ? nullptr : ::BeginDeferWindowPos((int)m_arrBars.GetSize() + 1);
        along = start;
        across = startAcross;
        rowThick = 0;
        maxAlong = 0;
        rowHasBar = FALSE;
        BOOL bRestart = FALSE;
        for (int i = 0; i < (int)m_arrBars.GetSize(); ++i)
        {
            if (m_arrBars[i] == nullptr)
            {
                if (rowHasBar)
                    across += rowThick - overlap;
                along = start;
                rowThick = 0;
                rowHasBar = FALSE;
                continue;
            }
            CControlBar* pBar = GetDockedControlBar(i);
            if (pBar == nullptr || !pBar->IsVisible())
                continue;
            DWORD dwMode = m_bFloating ? (LM_HORZ | LM_MRUWIDTH)
                           : bHorz     ? (LM_HORZ | LM_HORZDOCK)
                                       : LM_VERTDOCK;
            CSize size = pBar->CalcDynamicLayout(-1, dwMode);
            if (i >= (int)m_arrBars.GetSize() || m_arrBars[i] != pBar)
            {
                if (nRestarts++ < nMaxRestarts)
                {
                    bRestart = TRUE;
                    break;
                }
                // Out of restarts: carry on from where the bar now is.
                i = FindBar(pBar);
                if (i < 0)
                    break;
            }
            const int len = bHorz ? size.cx : size.cy;
            const int thick = bHorz ? size.cy : size.cx;
            // A bar that would start beyond the end wraps to a row of its own.
            if (rowHasBar && !m_bFloating && along + overlap >= nAvail && nAvail > 0)
            {
                m_arrBars.InsertAt(i, (void*)nullptr);
                --i;
                continue;
            }
            CRect rect = bHorz ? CRect(along, across, along + size.cx, across + size.cy)
                               : CRect(across, along, across + size.cx, along + size.cy);
            if (!m_bLayoutQuery)
                AfxRepositionWindow(&layout, pBar->m_hWnd, &rect);
            along += len - overlap;
            rowThick = std::max(rowThick, thick);
            rowHasBar = TRUE;
            maxAlong = std::max(maxAlong, along + overlap);
        }
        if (layout.hDWP != nullptr)
            ::EndDeferWindowPos(layout.hDWP);
        layout.hDWP = nullptr;
        if (!bRestart)
            break;
    }
    if (rowHasBar)
        across += rowThick - overlap;
    const int thickness = std::max(0, across - startAcross);
    CSize size;
    if (bHorz)
    {
        size.cx = bStretch ? 32767 : maxAlong;
        size.cy = thickness;
    }
    else
    {
        size.cx = thickness;
        size.cy = bStretch ? 32767 : maxAlong;
    }
    if (thickness == 0)
        size = CSize(bStretch && bHorz ? 32767 : 0, bStretch && !bHorz ? 32767 : 0);
    return size;
}

void CDockBar::OnUpdateCmdUI(CFrameWnd*, BOOL) {}

LRESULT CDockBar::OnSizeParent(WPARAM wParam, LPARAM lParam)
{
    auto* lpLayout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    m_rectLayout = lpLayout->rect;
    m_bLayoutQuery = lpLayout->hDWP == nullptr;
    LRESULT result = CControlBar::OnSizeParent(wParam, lParam);
    m_bLayoutQuery = FALSE;
    return result;
}
