// CStatusBar: panes, their layout and texts, and idle updates.
#include "framework/status_bar.h"

#include "framework/frame_wnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CStatusBarCtrl, CWnd)
IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_NCPAINT()
    ON_MESSAGE(WM_SETTEXT, &CStatusBar::OnSetText)
    ON_MESSAGE(WM_GETTEXT, &CStatusBar::OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, &CStatusBar::OnGetTextLength)
END_MESSAGE_MAP()

namespace {

// Updates one pane for the idle pass.
class CStatusCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        auto* pBar = static_cast<CStatusBar*>(m_pOther);
        UINT nStyle = pBar->GetPaneStyle((int)m_nIndex);
        UINT nNew = bOn ? (nStyle & ~SBPS_DISABLED) : (nStyle | SBPS_DISABLED);
        if (nNew != nStyle)
            pBar->SetPaneStyle((int)m_nIndex, nNew);
    }
    void SetCheck(int nCheck) override
    {
        auto* pBar = static_cast<CStatusBar*>(m_pOther);
        UINT nStyle = pBar->GetPaneStyle((int)m_nIndex);
        UINT nNew = nCheck ? (nStyle | SBPS_POPOUT) : (nStyle & ~SBPS_POPOUT);
        if (nNew != nStyle)
            pBar->SetPaneStyle((int)m_nIndex, nNew);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCTSTR lpszText) override
    {
        static_cast<CStatusBar*>(m_pOther)->SetPaneText((int)m_nIndex, lpszText);
    }
};

} // namespace

CString CStatusBarCtrl::GetText(int nPane, int* pType) const
{
    DWORD dw = (DWORD)SendMessage(SB_GETTEXTLENGTHW, nPane);
    int nLen = LOWORD(dw);
    if (pType != nullptr)
        *pType = HIWORD(dw);
    CString str;
    if (nLen > 0)
    {
        LPWSTR p = str.GetBuffer(nLen + 1);
        SendMessage(SB_GETTEXTW, nPane, (LPARAM)p);
        str.ReleaseBuffer(nLen);
    }
    return str;
}

CStatusBar::CStatusBar()
{
    m_cxLeftBorder = m_cxRightBorder = 0;
    m_cyTopBorder = m_cyBottomBorder = 0;
}

CStatusBar::~CStatusBar() = default;

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, nID);
}

BOOL CStatusBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    DWORD dwWndStyle = (dwStyle & ~CBRS_ALL) | WS_CHILD | dwCtrlStyle | CCS_NOPARENTALIGN |
                       CCS_NOMOVEY | CCS_NORESIZE | CCS_NODIVIDER;
    if (pParentWnd != nullptr && (pParentWnd->GetStyle() & WS_THICKFRAME) &&
        !(dwStyle & CBRS_ALIGN_TOP))
        dwWndStyle |= SBARS_SIZEGRIP;
    return CWnd::Create(STATUSCLASSNAMEW, nullptr, dwWndStyle, CRect(0, 0, 0, 0), pParentWnd, nID);
}

int CStatusBar::TextWidth(const CString& str) const
{
    HDC hDC = ::GetDC(m_hWnd);
    HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
    HGDIOBJ hOld = hFont != nullptr ? ::SelectObject(hDC, hFont) : nullptr;
    SIZE size{};
    ::GetTextExtentPoint32W(hDC, str, str.GetLength(), &size);
    if (hOld != nullptr)
        ::SelectObject(hDC, hOld);
    ::ReleaseDC(m_hWnd, hDC);
    return size.cx;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    m_panes.clear();
    for (int i = 0; i < nIDCount; ++i)
    {
        Pane pane;
        pane.nID = lpIDArray != nullptr ? lpIDArray[i] : 0;
        if (pane.nID != ID_SEPARATOR)
        {
            const wchar_t* p = nullptr;
            int n =
                ::LoadStringW(AfxGetResourceHandle(), pane.nID, reinterpret_cast<LPWSTR>(&p), 0);
            if (n > 0 && p != nullptr)
                pane.strText = CString(p, n);
            pane.cxText = TextWidth(pane.strText);
        }
        else
        {
            pane.nStyle = (i == 0) ? (SBPS_NOBORDERS | SBPS_STRETCH) : 0;
        }
        m_panes.push_back(pane);
    }
    UpdateAllPanes(TRUE, TRUE);
    return TRUE;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].nID == nIDFind)
            return (int)i;
    return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < (int)m_panes.size() ? m_panes[nIndex].nID : 0;
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!SendMessage(SB_GETRECT, nIndex, (LPARAM)lpRect))
        ::SetRectEmpty(lpRect);
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    return nIndex >= 0 && nIndex < (int)m_panes.size() ? m_panes[nIndex].strText : CString();
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate)
{
    if (nIndex < 0 || nIndex >= (int)m_panes.size())
        return FALSE;
    CString strNew = lpszNewText != nullptr ? lpszNewText : L"";
    if (m_panes[nIndex].strText == strNew)
        return TRUE;
    m_panes[nIndex].strText = strNew;
    if (bUpdate)
        UpdateAllPanes(FALSE, TRUE);
    return TRUE;
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const
{
    if (nIndex < 0 || nIndex >= (int)m_panes.size())
    {
        nID = nStyle = 0;
        cxWidth = 0;
        return;
    }
    nID = m_panes[nIndex].nID;
    nStyle = m_panes[nIndex].nStyle;
    cxWidth = m_panes[nIndex].cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth)
{
    if (nIndex < 0 || nIndex >= (int)m_panes.size())
        return;
    m_panes[nIndex].nID = nID;
    m_panes[nIndex].nStyle = nStyle;
    m_panes[nIndex].cxText = cxWidth;
    UpdateAllPanes(TRUE, TRUE);
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    return nIndex >= 0 && nIndex < (int)m_panes.size() ? m_panes[nIndex].nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (nIndex < 0 || nIndex >= (int)m_panes.size() || m_panes[nIndex].nStyle == nStyle)
        return;
    const BOOL bStretchChanged = ((m_panes[nIndex].nStyle ^ nStyle) & SBPS_STRETCH) != 0;
    m_panes[nIndex].nStyle = nStyle;
    UpdateAllPanes(bStretchChanged, TRUE);
}

int CStatusBar::HitTestPane(CPoint point) const
{
    for (int i = 0; i < (int)m_panes.size(); ++i)
    {
        CRect rect;
        GetItemRect(i, &rect);
        if (rect.PtInRect(point))
            return i;
    }
    return -1;
}

void CStatusBar::UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText)
{
    if (m_hWnd == nullptr || m_panes.empty())
        return;
    if (bUpdateRects)
    {
        int borders[3] = {0, 0, 0};
        SendMessage(SB_GETBORDERS, 0, (LPARAM)borders);
        CRect rect;
        GetClientRect(&rect);
        int cxGrip = (GetStyle() & SBARS_SIZEGRIP) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
        const int cxPadding = 2 * 3 + borders[2];
        int nFixed = 0, nStretch = 0;
        for (auto& pane : m_panes)
        {
            if (pane.nStyle & SBPS_STRETCH)
                ++nStretch;
            else
                nFixed += pane.cxText + cxPadding;
        }
        int cxStretch = std::max(0, (int)rect.Width() - cxGrip - nFixed - borders[0]);
        if (nStretch > 0)
            cxStretch /= nStretch;
        std::vector<int> rights(m_panes.size());
        int x = borders[0];
        for (size_t i = 0; i < m_panes.size(); ++i)
        {
            x += (m_panes[i].nStyle & SBPS_STRETCH) ? cxStretch : m_panes[i].cxText + cxPadding;
            rights[i] = x;
        }
        if (!rights.empty() && nStretch == 0)
            rights.back() = -1;
        SendMessage(SB_SETPARTS, (WPARAM)rights.size(), (LPARAM)rights.data());
    }
    if (bUpdateText)
    {
        for (size_t i = 0; i < m_panes.size(); ++i)
        {
            const Pane& pane = m_panes[i];
            UINT nType = pane.nStyle & (SBT_NOBORDERS | SBT_POPOUT | SBT_OWNERDRAW);
            LPCWSTR text = (pane.nStyle & SBPS_DISABLED) ? L"" : (LPCWSTR)pane.strText;
            SendMessage(SB_SETTEXTW, (WPARAM)(i | nType), (LPARAM)text);
        }
    }
}

CSize CStatusBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    (void)bHorz;
    HDC hDC = ::GetDC(m_hWnd);
    HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
    HGDIOBJ hOld = hFont != nullptr ? ::SelectObject(hDC, hFont) : nullptr;
    TEXTMETRICW tm{};
    ::GetTextMetricsW(hDC, &tm);
    if (hOld != nullptr)
        ::SelectObject(hDC, hOld);
    ::ReleaseDC(m_hWnd, hDC);
    int borders[3] = {0, 2, 2};
    SendMessage(SB_GETBORDERS, 0, (LPARAM)borders);
    int cy = std::max(20, (int)tm.tmHeight + 2 * borders[1] + 6);
    return CSize(bStretch ? 32767 : 200, cy);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL)
{
    CStatusCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = (UINT)m_panes.size();
    for (size_t i = 0; i < m_panes.size(); ++i)
    {
        if (m_panes[i].nID == ID_SEPARATOR)
            continue;
        state.m_nIndex = (UINT)i;
        state.m_nID = m_panes[i].nID;
        // Panes are never disabled for want of a handler: most only show state.
        state.DoUpdate(pTarget, FALSE);
    }
}

void CStatusBar::OnSize(UINT nType, int cx, int cy)
{
    Default();
    (void)nType;
    (void)cx;
    (void)cy;
    UpdateAllPanes(TRUE, FALSE);
}

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    if (m_panes.empty())
        return Default();
    SetPaneText(0, reinterpret_cast<LPCTSTR>(lParam));
    return TRUE;
}

LRESULT CStatusBar::OnGetText(WPARAM wParam, LPARAM lParam)
{
    if (m_panes.empty())
        return Default();
    const CString& str = m_panes[0].strText;
    if (wParam == 0 || lParam == 0)
        return 0;
    int n = std::min((int)wParam - 1, str.GetLength());
    wmemcpy(reinterpret_cast<LPWSTR>(lParam), (LPCWSTR)str, n);
    reinterpret_cast<LPWSTR>(lParam)[n] = 0;
    return n;
}

LRESULT CStatusBar::OnGetTextLength(WPARAM, LPARAM)
{
    if (m_panes.empty())
        return Default();
    return m_panes[0].strText.GetLength();
}

void CStatusBar::OnPaint()
{
    Default();
}

void CStatusBar::OnNcPaint()
{
    Default();
}
