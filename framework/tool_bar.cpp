// CToolBar: buttons from resources, layout, idle updates and dragging from the gaps.
#include "framework/tool_bar.h"

#include "framework/frame_wnd.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CToolBarCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
    ON_WM_NCCALCSIZE()
    ON_WM_NCPAINT()
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

namespace {

const int kGripper = 7; // extra room on the leading side for the grip

// Updates one toolbar button for the idle pass.
class CToolCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        auto* pBar = static_cast<CToolBar*>(m_pOther);
        UINT nState = (UINT)pBar->SendMessage(TB_GETSTATE, m_nID);
        UINT nNew =
            bOn ? (nState | TBSTATE_ENABLED) : (nState & ~(TBSTATE_ENABLED | TBSTATE_PRESSED));
        if (nNew != nState)
            pBar->SendMessage(TB_SETSTATE, m_nID, MAKELPARAM(nNew, 0));
    }
    void SetCheck(int nCheck) override
    {
        auto* pBar = static_cast<CToolBar*>(m_pOther);
        UINT nState = (UINT)pBar->SendMessage(TB_GETSTATE, m_nID);
        UINT nNew = nState & ~(TBSTATE_CHECKED | TBSTATE_INDETERMINATE);
        if (nCheck == 1)
            nNew |= TBSTATE_CHECKED;
        else if (nCheck == 2)
            nNew |= TBSTATE_INDETERMINATE;
        if (nNew != nState)
            pBar->SendMessage(TB_SETSTATE, m_nID, MAKELPARAM(nNew, 0));
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCTSTR) override {}
};

} // namespace

CToolBar::CToolBar()
{
    m_cxLeftBorder = m_cxRightBorder = 1;
    m_cyTopBorder = m_cyBottomBorder = 1;
}

CToolBar::~CToolBar()
{
    if (m_hImageList != nullptr)
        ImageList_Destroy(m_hImageList);
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, CRect(1, 1, 1, 1), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders,
                        UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    SetBorders(rcBorders);
    DWORD dwWndStyle = (dwStyle & ~CBRS_ALL) | WS_CHILD | dwCtrlStyle | CCS_NODIVIDER |
                       CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY;
    if (m_dwStyle & CBRS_TOOLTIPS)
        dwWndStyle |= TBSTYLE_TOOLTIPS;
    if (!CWnd::Create(TOOLBARCLASSNAMEW, nullptr, dwWndStyle, CRect(0, 0, 0, 0), pParentWnd, nID))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(m_sizeImage.cx, m_sizeImage.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(m_sizeButton.cx, m_sizeButton.cy));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(LPCTSTR lpszResourceName)
{
    HINSTANCE hInst = AfxFindResourceHandle(lpszResourceName, MAKEINTRESOURCEW(241));
    HRSRC hRsrc = ::FindResourceW(hInst, lpszResourceName, MAKEINTRESOURCEW(241));
    if (hRsrc == nullptr)
        return FALSE;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const WORD* pData =
        hGlobal != nullptr ? static_cast<const WORD*>(::LockResource(hGlobal)) : nullptr;
    const DWORD cbData = ::SizeofResource(hInst, hRsrc);
    if (pData == nullptr || cbData < 8)
        return FALSE;
    // Two layouts exist: WORD version 1, width, height, count and WORD ids (the usual one), or
    // DWORD width, height, count and DWORD ids (as GNU windres writes it).
    int nWidth = 0, nHeight = 0, nCount = 0;
    std::vector<UINT> ids;
    const DWORD* pDwords = reinterpret_cast<const DWORD*>(pData);
    if (pData[0] == 1 && cbData >= 8u + 2u * pData[3])
    {
        nWidth = pData[1];
        nHeight = pData[2];
        nCount = pData[3];
        ids.assign(pData + 4, pData + 4 + nCount);
    }
    else if (cbData >= 12 && pDwords[2] < 0x10000 && cbData >= 12u + 4u * pDwords[2])
    {
        nWidth = (int)pDwords[0];
        nHeight = (int)pDwords[1];
        nCount = (int)pDwords[2];
        ids.assign(pDwords + 3, pDwords + 3 + nCount);
    }
    else
    {
        return FALSE;
    }
    if (nWidth <= 0 || nHeight <= 0 || nWidth > 256 || nHeight > 256)
        return FALSE;
    SetSizes(CSize(nWidth + 7, nHeight + 7), CSize(nWidth, nHeight));
    if (!SetButtons(ids.data(), nCount))
        return FALSE;
    return LoadBitmap(lpszResourceName);
}

BOOL CToolBar::LoadBitmap(LPCTSTR lpszResourceName)
{
    HINSTANCE hInst = AfxFindResourceHandle(lpszResourceName, RT_BITMAP);
    HIMAGELIST hList = ImageList_LoadImageW(hInst, lpszResourceName, m_sizeImage.cx, 0,
                                            RGB(192, 192, 192), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (hList == nullptr)
        return FALSE;
    SendMessage(TB_SETIMAGELIST, 0, (LPARAM)hList);
    if (m_hImageList != nullptr)
        ImageList_Destroy(m_hImageList);
    m_hImageList = hList;
    Invalidate();
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount)
{
    while (SendMessage(TB_BUTTONCOUNT) > 0)
        SendMessage(TB_DELETEBUTTON, 0);
    if (lpIDArray == nullptr || nIDCount <= 0)
        return TRUE;
    std::vector<TBBUTTON> buttons(nIDCount);
    int iImage = 0;
    for (int i = 0; i < nIDCount; ++i)
    {
        TBBUTTON& b = buttons[i];
        b = TBBUTTON{};
        b.idCommand = (int)lpIDArray[i];
        if (lpIDArray[i] == ID_SEPARATOR)
        {
            b.fsStyle = TBSTYLE_SEP;
            b.iBitmap = 6;
        }
        else
        {
            b.fsStyle = TBSTYLE_BUTTON;
            b.fsState = TBSTATE_ENABLED;
            b.iBitmap = iImage++;
        }
    }
    BOOL bOK = (BOOL)SendMessage(TB_ADDBUTTONSW, nIDCount, (LPARAM)buttons.data());
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(m_sizeButton.cx, m_sizeButton.cy));
    return bOK;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage)
{
    m_sizeButton = sizeButton;
    m_sizeImage = sizeImage;
    if (m_hWnd != nullptr)
    {
        SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(sizeImage.cx, sizeImage.cy));
        SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(sizeButton.cx, sizeButton.cy));
    }
}

void CToolBar::SetHeight(int cyHeight)
{
    m_sizeButton.cy = cyHeight - m_cyTopBorder - m_cyBottomBorder;
    SetSizes(m_sizeButton, m_sizeImage);
}

int CToolBar::GetCount() const
{
    return (int)SendMessage(TB_BUTTONCOUNT);
}

int CToolBar::CommandToIndex(UINT nIDFind) const
{
    return (int)SendMessage(TB_COMMANDTOINDEX, nIDFind);
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON b{};
    if (!SendMessage(TB_GETBUTTON, nIndex, (LPARAM)&b))
        return 0;
    return (b.fsStyle & TBSTYLE_SEP) ? ID_SEPARATOR : (UINT)b.idCommand;
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!SendMessage(TB_GETITEMRECT, nIndex, (LPARAM)lpRect))
        ::SetRectEmpty(lpRect);
}

UINT CToolBar::GetButtonStyle(int nIndex) const
{
    TBBUTTON b{};
    if (!SendMessage(TB_GETBUTTON, nIndex, (LPARAM)&b))
        return 0;
    return MAKELONG(b.fsStyle, b.fsState) ^ TBBS_DISABLED;
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle)
{
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_BYINDEX | TBIF_STYLE | TBIF_STATE;
    nStyle ^= TBBS_DISABLED;
    info.fsStyle = (BYTE)LOWORD(nStyle);
    info.fsState = (BYTE)HIWORD(nStyle);
    SendMessage(TB_SETBUTTONINFOW, nIndex, (LPARAM)&info);
    if (info.fsStyle & BTNS_DROPDOWN)
    {
        DWORD dwEx = (DWORD)SendMessage(TB_GETEXTENDEDSTYLE);
        if (!(dwEx & TBSTYLE_EX_DRAWDDARROWS))
            SendMessage(TB_SETEXTENDEDSTYLE, 0, dwEx | TBSTYLE_EX_DRAWDDARROWS);
    }
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const
{
    TBBUTTON b{};
    SendMessage(TB_GETBUTTON, nIndex, (LPARAM)&b);
    nID = (UINT)b.idCommand;
    nStyle = MAKELONG(b.fsStyle, b.fsState) ^ TBBS_DISABLED;
    iImage = b.iBitmap;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage)
{
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_IMAGE;
    info.idCommand = (int)nID;
    info.iImage = iImage;
    SendMessage(TB_SETBUTTONINFOW, nIndex, (LPARAM)&info);
    SetButtonStyle(nIndex, nStyle);
}

CString CToolBar::GetButtonText(int nIndex) const
{
    WCHAR buf[256] = {};
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
    info.pszText = buf;
    info.cchText = 255;
    SendMessage(TB_GETBUTTONINFOW, nIndex, (LPARAM)&info);
    return CString(buf);
}

BOOL CToolBar::SetButtonText(int nIndex, LPCTSTR lpszText)
{
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
    info.pszText = const_cast<LPWSTR>(lpszText);
    return (BOOL)SendMessage(TB_SETBUTTONINFOW, nIndex, (LPARAM)&info);
}

void CToolBar::SetVertical(BOOL bVertical)
{
    if (m_bVertical == bVertical)
        return;
    m_bVertical = bVertical;
    const int n = (int)SendMessage(TB_BUTTONCOUNT);
    for (int i = 0; i < n; ++i)
    {
        TBBUTTON b{};
        SendMessage(TB_GETBUTTON, i, (LPARAM)&b);
        UINT nState = bVertical ? (b.fsState | TBSTATE_WRAP) : (b.fsState & ~TBSTATE_WRAP);
        TBBUTTONINFOW info{};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_BYINDEX | TBIF_STATE;
        info.fsState = (BYTE)nState;
        SendMessage(TB_SETBUTTONINFOW, i, (LPARAM)&info);
    }
}

CSize CToolBar::CalcContentSize() const
{
    const int n = (int)SendMessage(TB_BUTTONCOUNT);
    CSize size(0, 0);
    for (int i = 0; i < n; ++i)
    {
        TBBUTTON b{};
        SendMessage(TB_GETBUTTON, i, (LPARAM)&b);
        if (b.fsState & TBSTATE_HIDDEN)
            continue;
        RECT r;
        if (SendMessage(TB_GETITEMRECT, i, (LPARAM)&r))
        {
            size.cx = std::max(size.cx, r.right);
            size.cy = std::max(size.cy, r.bottom);
        }
    }
    if (size.cy == 0)
        size.cy = m_sizeButton.cy;
    if (size.cx == 0)
        size.cx = m_sizeButton.cx;
    return size;
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    SetVertical(!bHorz);
    CSize size = CalcContentSize();
    const BOOL bGrip = (m_dwStyle & CBRS_GRIPPER) && !IsFloating();
    size.cx += m_cxLeftBorder + m_cxRightBorder + ((bGrip && bHorz) ? kGripper : 0);
    size.cy += m_cyTopBorder + m_cyBottomBorder + ((bGrip && !bHorz) ? kGripper : 0);
    if (bStretch)
    {
        if (bHorz)
            size.cx = 32767;
        else
            size.cy = 32767;
    }
    return size;
}

CSize CToolBar::CalcDynamicLayout(int nLength, DWORD nMode)
{
    (void)nLength;
    if (nMode & LM_VERTDOCK)
        return CalcFixedLayout((nMode & LM_STRETCH) != 0, FALSE);
    return CalcFixedLayout((nMode & LM_STRETCH) != 0, TRUE);
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CToolCmdUI state;
    state.m_pOther = this;
    const int n = (int)SendMessage(TB_BUTTONCOUNT);
    state.m_nIndexMax = (UINT)n;
    for (int i = 0; i < n; ++i)
    {
        TBBUTTON b{};
        SendMessage(TB_GETBUTTON, i, (LPARAM)&b);
        if (b.fsStyle & TBSTYLE_SEP)
            continue;
        state.m_nIndex = (UINT)i;
        state.m_nID = (UINT)b.idCommand;
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

void CToolBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp)
{
    RECT& r = lpncsp->rgrc[0];
    const BOOL bGrip = (m_dwStyle & CBRS_GRIPPER) && !IsFloating();
    r.left += m_cxLeftBorder + ((bGrip && !m_bVertical) ? kGripper : 0);
    r.top += m_cyTopBorder + ((bGrip && m_bVertical) ? kGripper : 0);
    r.right -= m_cxRightBorder;
    r.bottom -= m_cyBottomBorder;
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
}

void CToolBar::OnNcPaint()
{
    HDC hDC = ::GetWindowDC(m_hWnd);
    CRect rectWindow, rectClient;
    GetWindowRect(&rectWindow);
    GetClientRect(&rectClient);
    ClientToScreen(&rectClient);
    rectClient.OffsetRect(-rectWindow.left, -rectWindow.top);
    rectWindow.OffsetRect(-rectWindow.left, -rectWindow.top);
    ::ExcludeClipRect(hDC, rectClient.left, rectClient.top, rectClient.right, rectClient.bottom);
    ::FillRect(hDC, &rectWindow, ::GetSysColorBrush(COLOR_BTNFACE));
    if ((m_dwStyle & CBRS_GRIPPER) && !IsFloating())
    {
        RECT r = rectWindow;
        if (!m_bVertical)
        {
            r.left += m_cxLeftBorder + 1;
            r.right = r.left + 3;
            r.top += 3;
            r.bottom -= 3;
        }
        else
        {
            r.top += m_cyTopBorder + 1;
            r.bottom = r.top + 3;
            r.left += 3;
            r.right -= 3;
        }
        ::DrawEdge(hDC, &r, BDR_RAISEDINNER, BF_RECT);
    }
    ::ReleaseDC(m_hWnd, hDC);
}

void CToolBar::OnPaint()
{
    Default();
}

void CToolBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    POINT pt = point;
    int nHit = (int)SendMessage(TB_HITTEST, 0, (LPARAM)&pt);
    if (nHit >= 0 || m_pDockContext == nullptr)
    {
        Default();
        return;
    }
    CControlBar::OnLButtonDown(nFlags, point);
}

void CToolBar::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    POINT pt = point;
    int nHit = (int)SendMessage(TB_HITTEST, 0, (LPARAM)&pt);
    if (nHit >= 0 || m_pDockContext == nullptr)
    {
        Default();
        return;
    }
    CControlBar::OnLButtonDblClk(nFlags, point);
}
