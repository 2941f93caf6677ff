// CSplitterWnd: pane layout and bar dragging.
#include "framework/splitter_wnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
    ON_WM_CAPTURECHANGED()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CSplitterWnd::CSplitterWnd() = default;

CSplitterWnd::~CSplitterWnd()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
    for (CWnd* p : m_ownedPanes)
        delete p;
}

void CSplitterWnd::PostNcDestroy() {}

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID)
{
    if (nRows < 1 || nCols < 1 || nRows > 16 || nCols > 16 || pParentWnd == nullptr)
        return FALSE;
    m_nRows = nRows;
    m_nCols = nCols;
    m_rowInfo.assign((size_t)nRows, Info{});
    m_colInfo.assign((size_t)nCols, Info{});
    LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return CWnd::Create(lpszClass, nullptr, dwStyle | WS_CHILD | WS_CLIPCHILDREN, CRect(0, 0, 0, 0),
                        pParentWnd, nID);
}

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, void*)
{
    if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols || GetPane(row, col) != nullptr)
        return FALSE;
    CWnd* pWnd = nullptr;
    if (pViewClass != nullptr && pViewClass->m_pfnCreateObject != nullptr)
        pWnd = dynamic_cast<CWnd*>(pViewClass->CreateObject());
    if (pWnd == nullptr)
        pWnd = new CWnd;
    m_ownedPanes.push_back(pWnd);
    LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                            reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    if (!pWnd->Create(lpszClass, nullptr, WS_CHILD | WS_VISIBLE,
                      CRect(0, 0, sizeInit.cx, sizeInit.cy), this, (UINT)IdFromRowCol(row, col)))
        return FALSE;
    if (sizeInit.cy > 0)
        m_rowInfo[row].nIdealSize = sizeInit.cy;
    if (sizeInit.cx > 0)
        m_colInfo[col].nIdealSize = sizeInit.cx;
    return TRUE;
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const
{
    cyCur = m_rowInfo[row].nCurSize;
    cyMin = m_rowInfo[row].nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin)
{
    m_rowInfo[row].nIdealSize = cyIdeal;
    m_rowInfo[row].nMinSize = cyMin;
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const
{
    cxCur = m_colInfo[col].nCurSize;
    cxMin = m_colInfo[col].nMinSize;
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin)
{
    m_colInfo[col].nIdealSize = cxIdeal;
    m_colInfo[col].nMinSize = cxMin;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    HWND h = m_hWnd != nullptr ? ::GetDlgItem(m_hWnd, IdFromRowCol(row, col)) : nullptr;
    return h != nullptr ? CWnd::FromHandle(h) : nullptr;
}

BOOL CSplitterWnd::IsChildPane(CWnd* pWnd, int* pRow, int* pCol)
{
    if (pWnd == nullptr || ::GetParent(pWnd->m_hWnd) != m_hWnd)
        return FALSE;
    int nID = pWnd->GetDlgCtrlID() - AFX_IDW_PANE_FIRST;
    if (nID < 0 || nID / 16 >= m_nRows || nID % 16 >= m_nCols)
        return FALSE;
    if (pRow != nullptr)
        *pRow = nID / 16;
    if (pCol != nullptr)
        *pCol = nID % 16;
    return TRUE;
}

// Every pane but the last gets its ideal size (within what is left); the last takes the rest.
void CSplitterWnd::LayoutInfo(std::vector<Info>& info, int nTotal, int nSplitter)
{
    int nLeft = nTotal - nSplitter * ((int)info.size() - 1);
    for (size_t i = 0; i < info.size(); ++i)
    {
        if (i + 1 == info.size())
        {
            info[i].nCurSize = std::max(0, nLeft);
        }
        else
        {
            int n = std::min(info[i].nIdealSize, std::max(0, nLeft));
            info[i].nCurSize = n;
            nLeft -= n;
        }
    }
}

void CSplitterWnd::RecalcLayout()
{
    if (m_hWnd == nullptr || m_nRows == 0)
        return;
    CRect rect;
    GetClientRect(&rect);
    LayoutInfo(m_rowInfo, rect.Height(), m_cySplitter);
    LayoutInfo(m_colInfo, rect.Width(), m_cxSplitter);
    HDWP hdwp = ::BeginDeferWindowPos(m_nRows * m_nCols);
    int y = 0;
    for (int row = 0; row < m_nRows; ++row)
    {
        int x = 0;
        for (int col = 0; col < m_nCols; ++col)
        {
            CWnd* pPane = GetPane(row, col);
            if (pPane != nullptr && hdwp != nullptr)
                hdwp = ::DeferWindowPos(hdwp, pPane->m_hWnd, nullptr, x, y, m_colInfo[col].nCurSize,
                                        m_rowInfo[row].nCurSize, SWP_NOZORDER | SWP_NOACTIVATE);
            x += m_colInfo[col].nCurSize + m_cxSplitter;
        }
        y += m_rowInfo[row].nCurSize + m_cySplitter;
    }
    if (hdwp != nullptr)
        ::EndDeferWindowPos(hdwp);
    Invalidate();
}

void CSplitterWnd::HitTestBar(CPoint pt, int& nRowBar, int& nColBar) const
{
    nRowBar = nColBar = -1;
    int y = 0;
    for (int row = 0; row + 1 < m_nRows; ++row)
    {
        y += m_rowInfo[row].nCurSize;
        if (pt.y >= y && pt.y < y + m_cySplitter)
            nRowBar = row;
        y += m_cySplitter;
    }
    int x = 0;
    for (int col = 0; col + 1 < m_nCols; ++col)
    {
        x += m_colInfo[col].nCurSize;
        if (pt.x >= x && pt.x < x + m_cxSplitter)
            nColBar = col;
        x += m_cxSplitter;
    }
}

void CSplitterWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    RecalcLayout();
}

void CSplitterWnd::OnLButtonDown(UINT nFlags, CPoint point)
{
    HitTestBar(point, m_nTrackRow, m_nTrackCol);
    if (m_nTrackRow < 0 && m_nTrackCol < 0)
    {
        CWnd::OnLButtonDown(nFlags, point);
        return;
    }
    m_bTracking = TRUE;
    SetCapture();
}

void CSplitterWnd::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_bTracking)
    {
        CWnd::OnMouseMove(nFlags, point);
        return;
    }
    // The pane before the bar takes the size up to the pointer, within both panes' minimums.
    if (m_nTrackRow >= 0)
    {
        int top = 0;
        for (int row = 0; row < m_nTrackRow; ++row)
            top += m_rowInfo[row].nCurSize + m_cySplitter;
        const int nBoth = m_rowInfo[m_nTrackRow].nCurSize + m_rowInfo[m_nTrackRow + 1].nCurSize;
        int n = std::max(m_rowInfo[m_nTrackRow].nMinSize, (int)point.y - top);
        n = std::min(n, nBoth - m_rowInfo[m_nTrackRow + 1].nMinSize);
        m_rowInfo[m_nTrackRow].nIdealSize = std::max(0, n);
        if (m_nTrackRow + 2 < m_nRows)
            m_rowInfo[m_nTrackRow + 1].nIdealSize = std::max(0, nBoth - n);
    }
    if (m_nTrackCol >= 0)
    {
        int left = 0;
        for (int col = 0; col < m_nTrackCol; ++col)
            left += m_colInfo[col].nCurSize + m_cxSplitter;
        const int nBoth = m_colInfo[m_nTrackCol].nCurSize + m_colInfo[m_nTrackCol + 1].nCurSize;
        int n = std::max(m_colInfo[m_nTrackCol].nMinSize, (int)point.x - left);
        n = std::min(n, nBoth - m_colInfo[m_nTrackCol + 1].nMinSize);
        m_colInfo[m_nTrackCol].nIdealSize = std::max(0, n);
        if (m_nTrackCol + 2 < m_nCols)
            m_colInfo[m_nTrackCol + 1].nIdealSize = std::max(0, nBoth - n);
    }
    RecalcLayout();
}

void CSplitterWnd::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_bTracking)
    {
        m_bTracking = FALSE;
        ::ReleaseCapture();
        return;
    }
    CWnd::OnLButtonUp(nFlags, point);
}

void CSplitterWnd::OnCaptureChanged(CWnd* pWnd)
{
    m_bTracking = FALSE;
    CWnd::OnCaptureChanged(pWnd);
}

BOOL CSplitterWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (nHitTest == HTCLIENT && pWnd != nullptr && pWnd->m_hWnd == m_hWnd)
    {
        POINT pt;
        ::GetCursorPos(&pt);
        ScreenToClient(&pt);
        int nRowBar, nColBar;
        HitTestBar(CPoint(pt.x, pt.y), nRowBar, nColBar);
        if (nRowBar >= 0 || nColBar >= 0)
        {
            ::SetCursor(::LoadCursorW(nullptr, nRowBar >= 0 && nColBar >= 0 ? IDC_SIZEALL
                                               : nRowBar >= 0               ? IDC_SIZENS
                                                                            : IDC_SIZEWE));
            return TRUE;
        }
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

void CSplitterWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    CRect rect;
    GetClientRect(&rect);
    int y = 0;
    for (int row = 0; row + 1 < m_nRows; ++row)
    {
        y += m_rowInfo[row].nCurSize;
        RECT r = {0, y, rect.right, y + m_cySplitter};
        ::DrawEdge(hDC, &r, EDGE_RAISED, BF_TOP | BF_BOTTOM);
        y += m_cySplitter;
    }
    int x = 0;
    for (int col = 0; col + 1 < m_nCols; ++col)
    {
        x += m_colInfo[col].nCurSize;
        RECT r = {x, 0, x + m_cxSplitter, rect.bottom};
        ::DrawEdge(hDC, &r, EDGE_RAISED, BF_LEFT | BF_RIGHT);
        x += m_cxSplitter;
    }
    ::EndPaint(m_hWnd, &ps);
}
