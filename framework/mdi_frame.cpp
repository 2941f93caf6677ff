// CMDIFrameWnd and CMDIChildWnd.
#include "framework/mdi_frame.h"

IMPLEMENT_DYNAMIC(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNAMIC(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
    ON_WM_SIZE()
    ON_COMMAND_EX(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnMDIWindowCmd)
    ON_COMMAND_EX(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnMDIWindowCmd)
    ON_COMMAND_EX(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnMDIWindowCmd)
    ON_COMMAND_EX(ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_MDIACTIVATE()
END_MESSAGE_MAP()

// ---------------------------------------------------------------------------------------------

CMDIFrameWnd::CMDIFrameWnd() = default;
CMDIFrameWnd::~CMDIFrameWnd() = default;

HMENU CMDIFrameWnd::GetWindowMenuPopup(HMENU hMenuBar)
{
    if (hMenuBar == nullptr)
        return nullptr;
    int nCount = ::GetMenuItemCount(hMenuBar);
    for (int i = nCount - 1; i >= 0; --i)
    {
        HMENU hPopup = ::GetSubMenu(hMenuBar, i);
        if (hPopup == nullptr)
            continue;
        int n = ::GetMenuItemCount(hPopup);
        for (int k = 0; k < n; ++k)
        {
            UINT nID = ::GetMenuItemID(hPopup, k);
            if (nID >= ID_WINDOW_NEW && nID <= ID_WINDOW_SPLIT)
                return hPopup;
        }
    }
    // No Window commands: the popup before the last (Help is usually last).
    return nCount >= 2 ? ::GetSubMenu(hMenuBar, nCount - 2) : nullptr;
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCT, CMenu* pWindowMenu)
{
    CLIENTCREATESTRUCT ccs{};
    ccs.hWindowMenu = pWindowMenu != nullptr ? pWindowMenu->GetSafeHmenu() : nullptr;
    ccs.idFirstChild = AFX_IDM_FIRST_MDICHILD;
    m_hWndMDIClient =
        ::CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL |
                              WS_HSCROLL | MDIS_ALLCHILDSTYLES,
                          0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>((UINT_PTR)AFX_IDW_PANE_FIRST),
                          AfxGetInstanceHandle(), &ccs);
    // The scroll-bar styles let the client show bars once a child window lies outside it, but
    // the client hides them only when its posted scroll update arrives: until then every paint
    // of its frame (the first one, each activation change, each bar shown) drew two themed
    // scroll bars that the update then took away again, about 6 ms apiece under Wine.
    if (m_hWndMDIClient != nullptr)
        ::ShowScrollBar(m_hWndMDIClient, SB_BOTH, FALSE);
    return m_hWndMDIClient != nullptr;
}

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCT lpcs, void*)
{
    HMENU hPopup = GetWindowMenuPopup(::GetMenu(m_hWnd));
    return CreateClient(lpcs, hPopup != nullptr ? CMenu::FromHandle(hPopup) : nullptr);
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const
{
    BOOL bMax = FALSE;
    HWND h = m_hWndMDIClient != nullptr ? reinterpret_cast<HWND>(::SendMessageW(
                                              m_hWndMDIClient, WM_MDIGETACTIVE, 0, (LPARAM)&bMax))
                                        : nullptr;
    if (pbMaximized != nullptr)
        *pbMaximized = h != nullptr && bMax;
    return h != nullptr ? dynamic_cast<CMDIChildWnd*>(CWnd::FromHandlePermanent(h)) : nullptr;
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate)
{
    if (pWndActivate != nullptr)
        ::SendMessageW(m_hWndMDIClient, WM_MDIACTIVATE, (WPARAM)pWndActivate->m_hWnd, 0);
}

CMenu* CMDIFrameWnd::MDISetMenu(CMenu* pFrameMenu, CMenu* pWindowMenu)
{
    HMENU hOld = reinterpret_cast<HMENU>(::SendMessageW(
        m_hWndMDIClient, WM_MDISETMENU, (WPARAM)(pFrameMenu ? pFrameMenu->GetSafeHmenu() : nullptr),
        (LPARAM)(pWindowMenu ? pWindowMenu->GetSafeHmenu() : nullptr)));
    ::DrawMenuBar(m_hWnd);
    return CMenu::FromHandle(hOld);
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CMDIChildWnd* pChild = MDIGetActive();
    return pChild != nullptr ? static_cast<CFrameWnd*>(pChild) : this;
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    CMDIChildWnd* pChild = MDIGetActive();
    if (pChild != nullptr && pChild->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMDIFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The Window menu's list of children belongs to the MDI client.
    if (lParam == 0 && LOWORD(wParam) >= AFX_IDM_FIRST_MDICHILD)
    {
        ::DefFrameProcW(m_hWnd, m_hWndMDIClient, WM_COMMAND, wParam, lParam);
        return TRUE;
    }
    return CFrameWnd::OnCommand(wParam, lParam);
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (m_hWndMDIClient != nullptr && ::TranslateMDISysAccel(m_hWndMDIClient, pMsg))
        return TRUE;
    return CFrameWnd::PreTranslateMessage(pMsg);
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefFrameProcW(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

void CMDIFrameWnd::OnSize(UINT nType, int, int)
{
    // Not the default: it would stretch the MDI client over the bars.
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    CFrameWnd::OnUpdateFrameTitle(bAddToTitle);
}

BOOL CMDIFrameWnd::OnMDIWindowCmd(UINT nID)
{
    switch (nID)
    {
    case ID_WINDOW_ARRANGE: MDIIconArrange(); break;
    case ID_WINDOW_CASCADE: MDICascade(); break;
    case ID_WINDOW_TILE_HORZ: MDITile(MDITILE_HORIZONTAL); break;
    case ID_WINDOW_TILE_VERT: MDITile(MDITILE_VERTICAL); break;
    default: return FALSE;
    }
    return TRUE;
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(MDIGetActive() != nullptr);
}

// ---------------------------------------------------------------------------------------------

CMDIChildWnd::CMDIChildWnd()
{
    m_bRouteToApp = FALSE;
}

CMDIChildWnd::~CMDIChildWnd() = default;

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    HWND hClient = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    HWND hFrame = hClient != nullptr ? ::GetParent(hClient) : nullptr;
    return hFrame != nullptr ? dynamic_cast<CMDIFrameWnd*>(CWnd::FromHandlePermanent(hFrame))
                             : nullptr;
}

BOOL CMDIChildWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CMDIFrameWnd* pParentWnd, void* pContext)
{
    if (pParentWnd == nullptr)
        pParentWnd = dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd());
    if (pParentWnd == nullptr || pParentWnd->m_hWndMDIClient == nullptr)
        return FALSE;
    if (lpszClassName == nullptr)
    {
        HICON hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(128));
        if (hIcon == nullptr)
            hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
        lpszClassName = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                            reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), hIcon);
    }
    if (lpszWindowName != nullptr)
        m_strTitle = lpszWindowName;

    CREATESTRUCT cs{};
    cs.style = dwStyle | WS_CHILD;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.hwndParent = pParentWnd->m_hWndMDIClient;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = pContext;
    if (!PreCreateWindow(cs))
        return FALSE;

    // The default rectangle: let the MDI client place and size the child.
    const BOOL bDefault = rect.left == CW_USEDEFAULT;
    MDICREATESTRUCTW mcs{};
    mcs.szClass = cs.lpszClass;
    mcs.szTitle = cs.lpszName;
    mcs.hOwner = cs.hInstance;
    mcs.x = bDefault ? CW_USEDEFAULT : cs.x;
    mcs.y = bDefault ? CW_USEDEFAULT : cs.y;
    mcs.cx = bDefault ? CW_USEDEFAULT : cs.cx;
    mcs.cy = bDefault ? CW_USEDEFAULT : cs.cy;
    mcs.style = cs.style & ~(WS_MAXIMIZE | WS_VISIBLE);
    mcs.lParam = reinterpret_cast<LPARAM>(cs.lpCreateParams);

    AfxHookWindowCreate(this);
    HWND hWnd = reinterpret_cast<HWND>(::SendMessageW(pParentWnd->m_hWndMDIClient, WM_MDICREATE, 0,
                                                      reinterpret_cast<LPARAM>(&mcs)));
    AfxUnhookWindowCreate();
    if (hWnd == nullptr || m_hWnd == nullptr)
        return FALSE;

    if (cs.style & WS_MAXIMIZE)
        ::SendMessageW(pParentWnd->m_hWndMDIClient, WM_MDIMAXIMIZE, (WPARAM)hWnd, 0);
    if (cs.style & WS_VISIBLE)
    {
        ::ShowWindow(hWnd, SW_SHOW);
        ::SendMessageW(pParentWnd->m_hWndMDIClient, WM_MDIACTIVATE, (WPARAM)hWnd, 0);
    }
    return TRUE;
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                             void* pContext)
{
    m_nIDHelp = nIDResource;
    CString strFull;
    const wchar_t* p = nullptr;
    int n = ::LoadStringW(AfxGetResourceHandle(), nIDResource, reinterpret_cast<LPWSTR>(&p), 0);
    if (n > 0 && p != nullptr)
        strFull = CString(p, n);
    int nNewLine = strFull.Find(L'\n');
    m_strTitle = nNewLine >= 0 ? strFull.Left(nNewLine) : strFull;
    LPCTSTR lpszClass = GetIconWndClass(dwDefaultStyle, nIDResource);
    return Create(lpszClass, m_strTitle, dwDefaultStyle, rectDefault,
                  dynamic_cast<CMDIFrameWnd*>(pParentWnd), pContext);
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefMDIChildProcW(m_hWnd, message, wParam, lParam);
}

BOOL CMDIChildWnd::PreTranslateMessage(MSG* pMsg)
{
    // The MDI frame's accelerators and system keys are applied when the walk reaches it.
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable != nullptr)
    {
        CMDIFrameWnd* pFrame = GetMDIFrame();
        HWND hTarget = pFrame != nullptr ? pFrame->m_hWnd : m_hWnd;
        return ::TranslateAcceleratorW(hTarget, m_hAccelTable, pMsg) != 0;
    }
    return FALSE;
}

BOOL CMDIChildWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    CMDIFrameWnd* pFrame = GetMDIFrame();
    if (pFrame != nullptr && pFrame->m_hWndMDIClient != nullptr)
    {
        ::SendMessageW(pFrame->m_hWndMDIClient, WM_MDIDESTROY, (WPARAM)m_hWnd, 0);
        return TRUE;
    }
    return CFrameWnd::DestroyWindow();
}

void CMDIChildWnd::MDIDestroy()
{
    DestroyWindow();
}

void CMDIChildWnd::MDIActivate()
{
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        ::SendMessageW(pFrame->m_hWndMDIClient, WM_MDIACTIVATE, (WPARAM)m_hWnd, 0);
}

void CMDIChildWnd::MDIMaximize()
{
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        ::SendMessageW(pFrame->m_hWndMDIClient, WM_MDIMAXIMIZE, (WPARAM)m_hWnd, 0);
}

void CMDIChildWnd::MDIRestore()
{
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        ::SendMessageW(pFrame->m_hWndMDIClient, WM_MDIRESTORE, (WPARAM)m_hWnd, 0);
}

void CMDIChildWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1)
        nCmdShow = SW_SHOW;
    ShowWindow(nCmdShow);
    MDIActivate();
}

void CMDIChildWnd::OnMDIActivate(BOOL bActivate, CWnd*, CWnd*)
{
    // Default processing keeps the Window menu and the title bar in step.
    Default();
    // Switching maximised children shows and resizes the one activated. Wine keeps the client
    // pixels it finds at the new place as if they were the window's own, and they belong to the
    // child that was on top: paint all of it again.
    if (bActivate)
        ::RedrawWindow(m_hWnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CMDIChildWnd::OnSize(UINT nType, int cx, int cy)
{
    Default(); // the MDI client tracks its children's state
    (void)cx;
    (void)cy;
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CMDIChildWnd::OnClose()
{
    MDIDestroy();
}
