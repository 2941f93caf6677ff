// CFrameWnd: creation from resources, layout, command routing, status line prompts, idle
// updates and the docking operations.
#include "framework/frame_wnd.h"

#include "framework/dock_bar.h"
#include "framework/dock_context.h"
#include "framework/mini_frame.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ERASEBKGND()
    ON_WM_INITMENUPOPUP()
    ON_WM_MENUSELECT()
    ON_MESSAGE(WM_SETMESSAGESTRING, &CFrameWnd::OnSetMessageString)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CFrameWnd::OnIdleUpdateCmdUI)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, &CFrameWnd::OnBarCheck)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, &CFrameWnd::OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, &CFrameWnd::OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_KANA, &CFrameWnd::OnUpdateKeyIndicator)
END_MESSAGE_MAP()

namespace {

CString LoadResourceString(UINT nID)
{
    const wchar_t* p = nullptr;
    int n = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0 || p == nullptr)
        return CString();
    return CString(p, n);
}

const UINT kDockBarIds[4] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT,
                             AFX_IDW_DOCKBAR_RIGHT};
const DWORD kDockBarAligns[4] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT,
                                 CBRS_ALIGN_RIGHT};

} // namespace

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    if (m_hMenuDefault != nullptr && ::IsMenu(m_hMenuDefault) && m_hWnd == nullptr)
        ::DestroyMenu(m_hMenuDefault);
}

LPCTSTR CFrameWnd::GetIconWndClass(DWORD dwDefaultStyle, UINT nIDResource)
{
    (void)dwDefaultStyle;
    HICON hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
    if (hIcon == nullptr)
        hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    return AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), hIcon);
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, void* pContext)
{
    m_nIDHelp = nIDResource;
    CString strFull = LoadResourceString(nIDResource);
    int nNewLine = strFull.Find(L'\n');
    m_strTitle = nNewLine >= 0 ? strFull.Left(nNewLine) : strFull;
    LPCTSTR lpszClass = GetIconWndClass(dwDefaultStyle, nIDResource);
    if (!Create(lpszClass, m_strTitle, dwDefaultStyle, rectDefault, pParentWnd,
                MAKEINTRESOURCEW(nIDResource), 0, pContext))
        return FALSE;
    m_hAccelTable = ::LoadAcceleratorsW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
    return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(LPCTSTR lpszResourceName)
{
    if (m_hAccelTable != nullptr)
        return FALSE;
    m_hAccelTable = ::LoadAcceleratorsW(AfxGetResourceHandle(), lpszResourceName);
    return m_hAccelTable != nullptr;
}

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                       const RECT& rect, CWnd* pParentWnd, LPCTSTR lpszMenuName, DWORD dwExStyle,
                       void* pContext)
{
    HMENU hMenu = nullptr;
    if (lpszMenuName != nullptr && !(dwStyle & WS_CHILD))
    {
        hMenu = ::LoadMenuW(AfxGetResourceHandle(), lpszMenuName);
        m_hMenuDefault = hMenu;
    }
    if (lpszWindowName != nullptr && m_strTitle.IsEmpty())
        m_strTitle = lpszWindowName;
    dwStyle &= ~(FWS_ADDTOTITLE | FWS_PREFIXTITLE | FWS_SNAPTOBARS);
    if (!CWnd::CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top,
                        pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr, hMenu,
                        pContext))
    {
        if (hMenu != nullptr)
            ::DestroyMenu(hMenu);
        m_hMenuDefault = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (cs.lpszClass == nullptr)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return CWnd::PreCreateWindow(cs);
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, void*)
{
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (!OnCreateClient(lpCreateStruct, lpCreateStruct->lpCreateParams))
        return -1;
    RecalcLayout();
    return 0;
}

void CFrameWnd::OnDestroy()
{
    // Floating bars live in popups the frame owns: take them down while the frame still exists.
    for (INT_PTR i = m_listControlBars.GetSize() - 1; i >= 0; --i)
    {
        if (i >= m_listControlBars.GetSize())
            continue;
        auto* pBar = static_cast<CControlBar*>(m_listControlBars[i]);
        if (pBar != nullptr && pBar->IsFloating())
        {
            CFrameWnd* pMini = pBar->GetDockingFrame();
            if (pMini != nullptr && pMini != this && pMini->m_hWnd != nullptr)
                pMini->DestroyWindow();
        }
    }
    CWnd::OnDestroy();
}

void CFrameWnd::OnClose()
{
    DestroyWindow();
}

void CFrameWnd::PostNcDestroy()
{
    delete this;
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1)
        nCmdShow = IsIconic() ? SW_RESTORE : SW_SHOW;
    ShowWindow(nCmdShow);
    BringWindowToTop();
    UpdateWindow();
}

void CFrameWnd::RecalcLayout(BOOL bNotify)
{
    (void)bNotify;
    if (m_bInRecalcLayout || m_hWnd == nullptr)
        return;
    m_bInRecalcLayout = TRUE;
    m_nIdleFlags &= ~(idleLayout | idleNotify);
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposExtra, &m_rectBorder);
    m_bInRecalcLayout = FALSE;
}

void CFrameWnd::DelayRecalcLayout(BOOL bNotify)
{
    m_nIdleFlags |= idleLayout | (bNotify ? idleNotify : 0);
}

void CFrameWnd::SetActiveView(CWnd* pViewNew, BOOL)
{
    m_pViewActive = pViewNew;
}

void CFrameWnd::UpdateFrameTitleText(LPCTSTR lpszText)
{
    CString strOld;
    GetWindowText(strOld);
    if (strOld != lpszText)
        SetWindowText(lpszText);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL)
{
    UpdateFrameTitleText(m_strTitle);
}

CWnd* CFrameWnd::GetMessageBar()
{
    HWND hBar = ::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR);
    if (hBar != nullptr)
        return CWnd::FromHandle(hBar);
    if (GetStyle() & WS_CHILD)
    {
        CFrameWnd* pParent = AfxGetParentFrame(this);
        if (pParent != nullptr)
            return pParent->GetMessageBar();
    }
    return nullptr;
}

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const
{
    CString str = LoadResourceString(nID);
    if (str.IsEmpty() && nID == AFX_IDS_IDLEMESSAGE)
        str = L"Ready";
    int nNewLine = str.Find(L'\n');
    rMessage = nNewLine >= 0 ? str.Left(nNewLine) : str;
}

void CFrameWnd::SetMessageText(LPCTSTR lpszText)
{
    SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(lpszText));
}

void CFrameWnd::SetMessageText(UINT nID)
{
    SendMessage(WM_SETMESSAGESTRING, nID, 0);
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam)
{
    UINT nIDLast = m_nIDLastMessage;
    CWnd* pBar = GetMessageBar();
    if (pBar != nullptr)
    {
        CString strMessage;
        if (lParam != 0)
        {
            strMessage = reinterpret_cast<LPCTSTR>(lParam);
        }
        else if (wParam != 0)
        {
            GetMessageString((UINT)wParam, strMessage);
        }
        pBar->SetWindowText(strMessage);
    }
    m_nIDLastMessage = (UINT)wParam;
    m_nIDTracking = (UINT)wParam;
    return nIDLast;
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu)
{
    if (nFlags == 0xFFFF && hSysMenu == nullptr)
    {
        m_nIDTracking = AFX_IDS_IDLEMESSAGE; // the menu closed
    }
    else if (nItemID == 0 || (nFlags & (MF_SEPARATOR | MF_POPUP)))
    {
        m_nIDTracking = 0;
    }
    else if (nItemID >= 0xF000 && nItemID < 0xF1F0)
    {
        m_nIDTracking = AFX_IDS_IDLEMESSAGE;
    }
    else
    {
        m_nIDTracking = nItemID;
    }
    if (m_nIDTracking != m_nIDLastMessage)
        SendMessage(WM_SETMESSAGESTRING, m_nIDTracking, 0);
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu)
{
    Default();
    if (bSysMenu || pPopupMenu == nullptr)
        return;
    AfxUpdateMenuCommandUI(this, pPopupMenu, m_bAutoMenuEnable);
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd)
{
    if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr)
        m_pViewActive->SetFocus();
    else
        CWnd::OnSetFocus(pOldWnd);
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* pDC)
{
    if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr)
        return TRUE; // the view covers the pane
    return CWnd::OnEraseBkgnd(pDC);
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    if (m_nIdleFlags & idleLayout)
        RecalcLayout((m_nIdleFlags & idleNotify) != 0);
    if (!m_bPromptShown && !(GetStyle() & WS_CHILD))
    {
        // The first idle time: the status line starts with the idle prompt.
        m_bPromptShown = TRUE;
        CWnd* pBar = GetMessageBar();
        if (pBar != nullptr && pBar->GetWindowTextLength() == 0)
            SetMessageText(AFX_IDS_IDLEMESSAGE);
    }
    if (m_nIdleFlags & idleTitle)
    {
        m_nIdleFlags &= ~idleTitle;
        OnUpdateFrameTitle(TRUE);
    }
    // Floating bars sit in popups outside this window: update them from here.
    for (INT_PTR i = 0; i < m_listControlBars.GetSize(); ++i)
    {
        auto* pBar = static_cast<CControlBar*>(m_listControlBars[i]);
        if (pBar == nullptr || !pBar->IsFloating() || pBar->m_hWnd == nullptr)
            continue;
        CFrameWnd* pMini = pBar->GetDockingFrame();
        if (pMini != nullptr && pMini != this && (pMini->m_nIdleFlags & idleLayout))
            pMini->RecalcLayout();
        pBar->SendMessage(WM_IDLEUPDATECMDUI, wParam, 0);
        CWnd::SendMessageToDescendants(pBar->m_hWnd, WM_IDLEUPDATECMDUI, wParam, 0, TRUE, TRUE);
    }
    return 0;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr &&
        m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (m_bRouteToApp)
    {
        CWinApp* pApp = AfxGetApp();
        if (pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    }
    return FALSE;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable != nullptr)
        return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg) != 0;
    return FALSE;
}

BOOL CFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (CWnd::OnNotify(wParam, lParam, pResult))
        return TRUE;
    auto* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    if (pNMHDR != nullptr && (pNMHDR->code == TTN_GETDISPINFOW))
    {
        // Tool tips of toolbar buttons: the text after the '\n' of the command's string.
        auto* pTTT = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        UINT_PTR nID = pNMHDR->idFrom;
        if (pTTT->uFlags & TTF_IDISHWND)
            nID = (UINT_PTR)::GetDlgCtrlID(reinterpret_cast<HWND>(nID));
        if (nID == 0)
            return FALSE;
        CString str = LoadResourceString((UINT)nID);
        int nNewLine = str.Find(L'\n');
        CString tip = nNewLine >= 0 ? str.Mid(nNewLine + 1) : str;
        lstrcpynW(pTTT->szText, tip, (int)(sizeof(pTTT->szText) / sizeof(WCHAR)));
        pTTT->lpszText = pTTT->szText;
        pTTT->hinst = nullptr;
        *pResult = 0;
        return TRUE;
    }
    return FALSE;
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* pBar = GetControlBar(nID);
    if (pBar == nullptr)
        return FALSE;
    ShowControlBar(pBar, !(pBar->GetStyle() & WS_VISIBLE), FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    if (pBar == nullptr)
    {
        pCmdUI->ContinueRouting();
        return;
    }
    pCmdUI->SetCheck((pBar->GetStyle() & WS_VISIBLE) != 0);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    int nVK = 0;
    switch (pCmdUI->m_nID)
    {
    case ID_INDICATOR_CAPS: nVK = VK_CAPITAL; break;
    case ID_INDICATOR_NUM: nVK = VK_NUMLOCK; break;
    case ID_INDICATOR_SCRL: nVK = VK_SCROLL; break;
    case ID_INDICATOR_KANA: nVK = VK_KANA; break;
    default: pCmdUI->ContinueRouting(); return;
    }
    pCmdUI->Enable((::GetKeyState(nVK) & 1) != 0);
}

// ---------------------------------------------------------------------------------------------
// Control bars and docking.

void CFrameWnd::AddControlBar(CControlBar* pBar)
{
    for (INT_PTR i = 0; i < m_listControlBars.GetSize(); ++i)
        if (m_listControlBars[i] == pBar)
            return;
    m_listControlBars.Add(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    for (INT_PTR i = 0; i < m_listControlBars.GetSize(); ++i)
        if (m_listControlBars[i] == pBar)
        {
            m_listControlBars.RemoveAt(i);
            return;
        }
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const
{
    if (nID == 0)
        return nullptr;
    for (INT_PTR i = 0; i < m_listControlBars.GetSize(); ++i)
    {
        auto* pBar = static_cast<CControlBar*>(m_listControlBars[i]);
        if (pBar != nullptr && pBar->m_hWnd != nullptr && (UINT)pBar->GetDlgCtrlID() == nID)
            return pBar;
    }
    return nullptr;
}

CDockBar* CFrameWnd::GetDockBar(UINT nDockBarID) const
{
    HWND h = ::GetDlgItem(m_hWnd, (int)nDockBarID);
    return h != nullptr ? dynamic_cast<CDockBar*>(CWnd::FromHandlePermanent(h)) : nullptr;
}

void CFrameWnd::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle |= dwDockStyle & CBRS_ALIGN_ANY;
    for (int i = 0; i < 4; ++i)
    {
        if (!(dwDockStyle & kDockBarAligns[i]) || GetDockBar(kDockBarIds[i]) != nullptr)
            continue;
        auto* pDock = new CDockBar;
        pDock->m_bAutoDelete = TRUE;
        DWORD dwStyle = WS_CHILD | WS_VISIBLE | kDockBarAligns[i];
        if (!pDock->Create(this, dwStyle, kDockBarIds[i]))
        {
            delete pDock;
            continue;
        }
        // Bars created earlier (the status bar) keep the outer places in the layout; the dock
        // bars follow in the order top, bottom, left, right.
        ::SetWindowPos(pDock->m_hWnd, HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

CDockBar* CFrameWnd::CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar)
{
    for (int i = 0; i < 4; ++i)
    {
        if (!(dwDockStyle & kDockBarAligns[i]))
            continue;
        CDockBar* pDock = GetDockBar(kDockBarIds[i]);
        if (pDock == nullptr)
            continue;
        CRect rectBar, rectInter;
        pDock->GetWindowRect(&rectBar);
        if (rectBar.Width() == 0)
            rectBar.right++;
        if (rectBar.Height() == 0)
            rectBar.bottom++;
        if (rectInter.IntersectRect(&rectBar, &rect))
        {
            if (ppDockBar != nullptr)
                *ppDockBar = pDock;
            return pDock;
        }
    }
    if (ppDockBar != nullptr)
        *ppDockBar = nullptr;
    return nullptr;
}

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, LPCRECT lpRect)
{
    CDockBar* pDock = nullptr;
    if (nDockBarID != 0)
    {
        pDock = GetDockBar(nDockBarID);
    }
    else
    {
        for (int i = 0; i < 4 && pDock == nullptr; ++i)
            if ((pBar->m_dwDockStyle & kDockBarAligns[i]) && (m_dwDockStyle & kDockBarAligns[i]))
                pDock = GetDockBar(kDockBarIds[i]);
    }
    if (pDock != nullptr)
        DockControlBar(pBar, pDock, lpRect);
}

void CFrameWnd::DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect)
{
    if (pBar == nullptr || pDockBar == nullptr)
        return;
    CDockBar* pOld = pBar->m_pDockBar;
    CFrameWnd* pOldMini =
        (pOld != nullptr && pOld->m_bFloating) ? AfxGetParentFrame(pOld) : nullptr;
    if (pOldMini != nullptr && pBar->m_pDockContext != nullptr)
    {
        CRect rect;
        pOldMini->GetWindowRect(&rect);
        pBar->m_pDockContext->m_ptMRUFloatPos = rect.TopLeft();
    }
    pBar->m_pDockSite = this;
    pDockBar->DockControlBar(pBar, lpRect);
    if (pBar->m_pDockContext != nullptr && !pDockBar->m_bFloating)
        pBar->m_pDockContext->m_uMRUDockID = pDockBar->GetDlgCtrlID();
    if (pOldMini != nullptr && pOld != pDockBar && pOld->GetDockedCount() == 0)
        pOldMini->DestroyWindow();
    RecalcLayout();
}

CMiniDockFrameWnd* CFrameWnd::CreateFloatingFrame(DWORD dwStyle)
{
    auto* pFrame = new CMiniDockFrameWnd;
    if (!pFrame->Create(this, dwStyle))
    {
        delete pFrame;
        return nullptr;
    }
    return pFrame;
}

void CFrameWnd::FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle)
{
    if (pBar == nullptr)
        return;
    if (pBar->IsFloating())
    {
        CFrameWnd* pMini = pBar->GetDockingFrame();
        pMini->SetWindowPos(nullptr, point.x, point.y, 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (pBar->m_pDockContext != nullptr)
            pBar->m_pDockContext->m_ptMRUFloatPos = point;
        return;
    }
    if (pBar->m_pDockBar != nullptr && pBar->m_pDockContext != nullptr)
    {
        pBar->m_pDockContext->m_uMRUDockID = pBar->m_pDockBar->GetDlgCtrlID();
        pBar->GetWindowRect(&pBar->m_pDockContext->m_rectMRUDockPos);
    }
    CMiniDockFrameWnd* pMini = CreateFloatingFrame(pBar->m_dwStyle);
    if (pMini == nullptr)
        return;
    pBar->m_pDockSite = this;
    pMini->m_wndDockBar.m_dwStyle =
        (pMini->m_wndDockBar.m_dwStyle & ~CBRS_ALIGN_ANY) |
        ((dwStyle & CBRS_ALIGN_ANY) ? (dwStyle & CBRS_ALIGN_ANY) : CBRS_ALIGN_TOP);
    pMini->SetWindowPos(nullptr, point.x, point.y, 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pMini->m_wndDockBar.DockControlBar(pBar);
    pMini->RecalcLayout();
    if (pBar->GetStyle() & WS_VISIBLE)
        pMini->ShowWindow(SW_SHOWNA);
    if (pBar->m_pDockContext != nullptr)
        pBar->m_pDockContext->m_ptMRUFloatPos = point;
    RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay)
{
    if (pBar == nullptr || pBar->m_hWnd == nullptr)
        return;
    if (pBar->IsFloating())
    {
        CFrameWnd* pMini = pBar->GetDockingFrame();
        pBar->m_nStateFlags &= ~(CControlBar::delayShow | CControlBar::delayHide);
        pBar->ShowWindow(bShow ? SW_SHOWNA : SW_HIDE);
        if (pMini != nullptr && pMini != this)
        {
            if (bShow)
            {
                pMini->RecalcLayout();
                pMini->ShowWindow(SW_SHOWNA);
            }
            else
            {
                auto* pDock = dynamic_cast<CMiniDockFrameWnd*>(pMini);
                if (pDock == nullptr || pDock->m_wndDockBar.GetDockedVisibleCount() == 0)
                    pMini->ShowWindow(SW_HIDE);
            }
        }
        return;
    }
    pBar->DelayShow(bShow);
    if (bDelay)
        DelayRecalcLayout();
    else
        RecalcLayout();
}
