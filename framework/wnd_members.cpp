// CWnd's wrappers of window functions: text, geometry, relatives, focus, dialog items.
#include "framework/wnd.h"
#include "framework/ddx.h"
#include "framework/win_app.h"
#include "framework/wnd_internal.h"

#include <vector>

// ---------------------------------------------------------------------------------------------
// Text.

void CWnd::SetWindowText(LPCTSTR lpszString)
{
    ::SetWindowTextW(m_hWnd, lpszString);
}

int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const
{
    return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowText(CString& rString) const
{
    int nLen = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> buffer((size_t)nLen + 2);
    int nGot = ::GetWindowTextW(m_hWnd, buffer.data(), nLen + 1);
    rString = CString(buffer.data(), nGot < 0 ? 0 : nGot);
}

int CWnd::GetWindowTextLength() const
{
    return ::GetWindowTextLengthW(m_hWnd);
}

// ---------------------------------------------------------------------------------------------
// Geometry.

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    ::GetWindowRect(m_hWnd, lpRect);
}
void CWnd::GetClientRect(LPRECT lpRect) const
{
    ::GetClientRect(m_hWnd, lpRect);
}
void CWnd::ClientToScreen(LPPOINT lpPoint) const
{
    ::ClientToScreen(m_hWnd, lpPoint);
}
void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::MapWindowPoints(m_hWnd, nullptr, (LPPOINT)lpRect, 2);
}
void CWnd::ScreenToClient(LPPOINT lpPoint) const
{
    ::ScreenToClient(m_hWnd, lpPoint);
}
void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, (LPPOINT)lpRect, 2);
}

void CWnd::MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const
{
    ::MapWindowPoints(m_hWnd, pwndTo->GetSafeHwnd(), (LPPOINT)lpRect, 2);
}

void CWnd::MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const
{
    ::MapWindowPoints(m_hWnd, pwndTo->GetSafeHwnd(), lpPoint, nCount);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                 lpRect->bottom - lpRect->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    // The special insert-after values (&CWnd::wndTop and kin) are passed as handles.
    return ::SetWindowPos(m_hWnd, pWndInsertAfter->GetSafeHwnd(), x, y, cx, cy, nFlags);
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const
{
    lpwndpl->length = sizeof(WINDOWPLACEMENT);
    return ::GetWindowPlacement(m_hWnd, lpwndpl);
}

BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl)
{
    WINDOWPLACEMENT wp = *lpwndpl;
    wp.length = sizeof(WINDOWPLACEMENT);
    return ::SetWindowPlacement(m_hWnd, &wp);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    HWND hWndCenter = pAlternateOwner->GetSafeHwnd();
    DWORD dwStyle = GetStyle();
    if (hWndCenter == nullptr)
        hWndCenter = (dwStyle & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);

    CRect rcDlg;
    GetWindowRect(&rcDlg);
    CRect rcArea, rcCenter;
    if (!(dwStyle & WS_CHILD))
    {
        HMONITOR hMonitor =
            ::MonitorFromWindow(hWndCenter ? hWndCenter : m_hWnd, MONITOR_DEFAULTTONEAREST);
        MONITORINFO mi = {sizeof(mi)};
        ::GetMonitorInfoW(hMonitor, &mi);
        rcArea = mi.rcWork;
        if (hWndCenter != nullptr && ::IsWindowVisible(hWndCenter) && !::IsIconic(hWndCenter))
            ::GetWindowRect(hWndCenter, &rcCenter);
        else
            rcCenter = rcArea;
    }
    else
    {
        HWND hWndParent = ::GetParent(m_hWnd);
        ::GetClientRect(hWndParent, &rcArea);
        ::GetClientRect(hWndCenter, &rcCenter);
        ::MapWindowPoints(hWndCenter, hWndParent, (LPPOINT)&rcCenter, 2);
    }
    int xLeft = (rcCenter.left + rcCenter.right) / 2 - rcDlg.Width() / 2;
    int yTop = (rcCenter.top + rcCenter.bottom) / 2 - rcDlg.Height() / 2;
    if (xLeft + rcDlg.Width() > rcArea.right)
        xLeft = rcArea.right - rcDlg.Width();
    if (xLeft < rcArea.left)
        xLeft = rcArea.left;
    if (yTop + rcDlg.Height() > rcArea.bottom)
        yTop = rcArea.bottom - rcDlg.Height();
    if (yTop < rcArea.top)
        yTop = rcArea.top;
    ::SetWindowPos(m_hWnd, nullptr, xLeft, yTop, -1, -1,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd* CWnd::ChildWindowFromPoint(POINT point) const
{
    return FromHandle(::ChildWindowFromPoint(m_hWnd, point));
}
CWnd* CWnd::WindowFromPoint(POINT point)
{
    return FromHandle(::WindowFromPoint(point));
}
void CWnd::BringWindowToTop()
{
    ::BringWindowToTop(m_hWnd);
}

// ---------------------------------------------------------------------------------------------
// Style.

BOOL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD dwStyle = (DWORD)::GetWindowLongW(hWnd, GWL_STYLE);
    DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongW(hWnd, GWL_STYLE, (LONG)dwNewStyle);
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD dwStyle = (DWORD)::GetWindowLongW(hWnd, GWL_EXSTYLE);
    DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongW(hWnd, GWL_EXSTYLE, (LONG)dwNewStyle);
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyStyle(m_hWnd, dwRemove, dwAdd, nFlags);
}
BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyStyleEx(m_hWnd, dwRemove, dwAdd, nFlags);
}

// ---------------------------------------------------------------------------------------------
// Focus, capture, activation.

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}
CWnd* CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}
CWnd* CWnd::SetCapture()
{
    return FromHandle(::SetCapture(m_hWnd));
}
CWnd* CWnd::GetCapture()
{
    return FromHandle(::GetCapture());
}
CWnd* CWnd::SetActiveWindow()
{
    return FromHandle(::SetActiveWindow(m_hWnd));
}
CWnd* CWnd::GetActiveWindow()
{
    return FromHandle(::GetActiveWindow());
}
CWnd* CWnd::GetForegroundWindow()
{
    return FromHandle(::GetForegroundWindow());
}
CWnd* CWnd::GetDesktopWindow()
{
    return FromHandle(::GetDesktopWindow());
}

// ---------------------------------------------------------------------------------------------
// Fonts, menus, painting.

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    ::SendMessageW(m_hWnd, WM_SETFONT, (WPARAM)(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle((HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
}

CMenu* CWnd::GetMenu() const
{
    return CMenu::FromHandle(::GetMenu(m_hWnd));
}
BOOL CWnd::SetMenu(CMenu* pMenu)
{
    return ::SetMenu(m_hWnd, pMenu ? pMenu->m_hMenu : nullptr);
}
CMenu* CWnd::GetSystemMenu(BOOL bRevert) const
{
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

void CWnd::InvalidateRgn(CRgn* pRgn, BOOL bErase)
{
    ::InvalidateRgn(m_hWnd, pRgn ? (HRGN)pRgn->m_hObject : nullptr, bErase);
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, CRgn* prgnUpdate, UINT flags)
{
    return ::RedrawWindow(m_hWnd, lpRectUpdate, prgnUpdate ? (HRGN)prgnUpdate->m_hObject : nullptr,
                          flags);
}

CDC* CWnd::GetDC()
{
    return CDC::FromHandle(::GetDC(m_hWnd));
}
CDC* CWnd::GetWindowDC()
{
    return CDC::FromHandle(::GetWindowDC(m_hWnd));
}
int CWnd::ReleaseDC(CDC* pDC)
{
    return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0;
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) const
{
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    lpScrollInfo->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw)
{
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    ::SetScrollInfo(m_hWnd, nBar, lpScrollInfo, bRedraw);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Dialog items.

CWnd* CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const
{
    return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}

void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned)
{
    ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned);
}

int CWnd::GetDlgItemText(int nID, LPTSTR lpStr, int nMaxCount) const
{
    return ::GetDlgItemTextW(m_hWnd, nID, lpStr, nMaxCount);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    HWND hWnd = ::GetDlgItem(m_hWnd, nID);
    rString.Empty();
    if (hWnd == nullptr)
        return 0;
    CWnd wnd(hWnd);
    wnd.GetWindowText(rString);
    wnd.m_hWnd = nullptr;
    return rString.GetLength();
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString)
{
    ::SetDlgItemTextW(m_hWnd, nID, lpszString);
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck)
{
    ::CheckDlgButton(m_hWnd, nIDButton, nCheck);
}

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const
{
    return ::IsDlgButtonChecked(m_hWnd, nIDButton);
}

int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const
{
    for (int nID = nIDFirstButton; nID <= nIDLastButton; nID++)
    {
        if (::IsDlgButtonChecked(m_hWnd, nID))
            return nID;
    }
    return 0;
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const
{
    return FromHandle(::GetNextDlgTabItem(m_hWnd, pWndCtl->GetSafeHwnd(), bPrevious));
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious) const
{
    return FromHandle(::GetNextDlgGroupItem(m_hWnd, pWndCtl->GetSafeHwnd(), bPrevious));
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try
    {
        DoDataExchange(&dx);
        return TRUE;
    }
    catch (CUserException* e)
    {
        // The user has been told already (DDX/DDV failure).
        e->Delete();
    }
    catch (CException* e)
    {
        e->ReportError();
        e->Delete();
    }
    return FALSE;
}

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    CCmdUI state;
    CWnd wndTemp; // stands for each control in turn
    for (HWND hWndChild = ::GetTopWindow(m_hWnd); hWndChild != nullptr;
         hWndChild = ::GetWindow(hWndChild, GW_HWNDNEXT))
    {
        state.m_nID = (UINT)::GetDlgCtrlID(hWndChild);
        wndTemp.m_hWnd = hWndChild;
        state.m_pOther = &wndTemp;

        // Check boxes and radio buttons the user clicks keep working without a handler.
        BOOL bDisableTemp = bDisableIfNoHndler;
        if (wndTemp.SendMessage(WM_GETDLGCODE) & DLGC_BUTTON)
        {
            UINT nStyle = (UINT)(wndTemp.GetStyle() & 0x0F);
            if (nStyle == (UINT)BS_AUTOCHECKBOX || nStyle == (UINT)BS_AUTO3STATE ||
                nStyle == (UINT)BS_GROUPBOX || nStyle == (UINT)BS_AUTORADIOBUTTON)
                bDisableTemp = FALSE;
        }
        state.DoUpdate(pTarget, bDisableTemp);
    }
    wndTemp.m_hWnd = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Relatives.

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}
CWnd* CWnd::SetParent(CWnd* pWndNewParent)
{
    return FromHandle(::SetParent(m_hWnd, pWndNewParent->GetSafeHwnd()));
}
CWnd* CWnd::GetOwner() const
{
    return FromHandle(::GetWindow(m_hWnd, GW_OWNER));
}
void CWnd::SetOwner(CWnd* pOwnerWnd)
{
    ::SetWindowLongPtrW(m_hWnd, GWLP_HWNDPARENT, (LONG_PTR)pOwnerWnd->GetSafeHwnd());
}

CWnd* CWnd::GetTopLevelParent() const
{
    if (m_hWnd == nullptr)
        return nullptr;
    HWND hWnd = m_hWnd;
    while (::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD)
    {
        HWND hParent = ::GetParent(hWnd);
        if (hParent == nullptr)
            break;
        hWnd = hParent;
    }
    return FromHandle(hWnd);
}

CWnd* CWnd::GetTopLevelOwner() const
{
    if (m_hWnd == nullptr)
        return nullptr;
    HWND hWnd = m_hWnd;
    for (HWND hOwner; (hOwner = ::GetWindow(hWnd, GW_OWNER)) != nullptr;)
        hWnd = hOwner;
    return FromHandle(hWnd);
}

CWnd* CWnd::GetParentOwner() const
{
    if (m_hWnd == nullptr)
        return nullptr;
    HWND hWnd = m_hWnd;
    while (::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD)
    {
        HWND hParent = ::GetParent(hWnd);
        if (hParent == nullptr)
            break;
        hWnd = hParent;
    }
    return FromHandle(hWnd);
}

CWnd* CWnd::GetWindow(UINT nCmd) const
{
    return FromHandle(::GetWindow(m_hWnd, nCmd));
}
CWnd* CWnd::GetTopWindow() const
{
    return FromHandle(::GetTopWindow(m_hWnd));
}
CWnd* CWnd::GetNextWindow(UINT nFlag) const
{
    return FromHandle(::GetWindow(m_hWnd, nFlag));
}
CWnd* CWnd::GetLastActivePopup() const
{
    return FromHandle(::GetLastActivePopup(m_hWnd));
}

static HWND FindDescendant(HWND hWnd, int nID, BOOL bOnlyPerm)
{
    for (HWND hChild = ::GetTopWindow(hWnd); hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if (::GetDlgCtrlID(hChild) == nID &&
            (!bOnlyPerm || CWnd::FromHandlePermanent(hChild) != nullptr))
            return hChild;
        if (HWND hFound = FindDescendant(hChild, nID, bOnlyPerm))
            return hFound;
    }
    return nullptr;
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const
{
    return FromHandle(FindDescendant(m_hWnd, nID, bOnlyPerm));
}

CWnd* CWnd::FindWindow(LPCTSTR lpszClassName, LPCTSTR lpszWindowName)
{
    return FromHandle(::FindWindowW(lpszClassName, lpszWindowName));
}

void CWnd::SendMessageToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    BOOL bDeep, BOOL bOnlyPerm)
{
    // The list is taken first: handlers may create or destroy children.
    std::vector<HWND> children;
    for (HWND hChild = ::GetTopWindow(hWnd); hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        children.push_back(hChild);
    for (HWND hChild : children)
    {
        if (!::IsWindow(hChild))
            continue;
        if (bOnlyPerm)
        {
            if (CWnd* pWnd = FromHandlePermanent(hChild))
            {
                // Straight to the object, as its window procedure would.
                AfxThreadState& state = AfxGetThreadState();
                MSG oldMsg = state.lastSentMsg;
                state.lastSentMsg = MSG{hChild, message, wParam, lParam, 0, {0, 0}};
                pWnd->WindowProc(message, wParam, lParam);
                state.lastSentMsg = oldMsg;
            }
        }
        else
        {
            ::SendMessageW(hChild, message, wParam, lParam);
        }
        if (bDeep && ::IsWindow(hChild) && ::GetTopWindow(hChild) != nullptr)
            SendMessageToDescendants(hChild, message, wParam, lParam, bDeep, bOnlyPerm);
    }
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                    BOOL bOnlyPerm)
{
    SendMessageToDescendants(m_hWnd, message, wParam, lParam, bDeep, bOnlyPerm);
}

// ---------------------------------------------------------------------------------------------
// Miscellany.

CWnd* CWnd::GetSafeOwner(CWnd* pParent, HWND* pWndTop)
{
    HWND hWnd = pParent->GetSafeHwnd();
    if (hWnd == nullptr)
    {
        CWnd* pMain = AfxGetMainWnd();
        hWnd = pMain->GetSafeHwnd();
    }
    while (hWnd != nullptr && (::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    if (pWndTop != nullptr)
        *pWndTop = hWnd;
    if (hWnd != nullptr)
        hWnd = ::GetLastActivePopup(hWnd);
    return FromHandle(hWnd);
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    if (lpszCaption == nullptr)
        lpszCaption = AfxGetAppName();
    return ::MessageBoxW(m_hWnd, lpszText, lpszCaption, nType);
}

BOOL CWnd::EnableToolTips(BOOL)
{
    return TRUE;
}

void CWnd::DragAcceptFiles(BOOL bAccept)
{
    // All the shell's DragAcceptFiles does is this style bit; setting it here keeps the shell's
    // library, which is loaded only when first needed, out of every start-up.
    if (m_hWnd != nullptr)
        ModifyStyleEx(bAccept ? 0 : WS_EX_ACCEPTFILES, bAccept ? WS_EX_ACCEPTFILES : 0);
}

void CWnd::CalcWindowRect(LPRECT lpClientRect, UINT)
{
    ::AdjustWindowRectEx(lpClientRect, GetStyle(), FALSE, GetExStyle());
}

int CWnd::OnToolHitTest(CPoint, TOOLINFO*) const
{
    return -1;
}
