// The test application frame (see frames_test_frame.h).
#include "frames_test_frame.h"

BEGIN_MESSAGE_MAP(CTestChildView, CWnd)
    ON_COMMAND(ID_EDIT_COPY, &CTestChildView::OnCopy)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CTestChildFrame, CMDIChildWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_EDIT_COPY, &CTestChildFrame::OnCopy)
    ON_COMMAND(ID_EDIT_CUT, &CTestChildFrame::OnCut)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CTestMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_FILE_NEW, &CTestMainFrame::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, &CTestMainFrame::OnFileOpen)
    ON_COMMAND(ID_FILE_SAVE, &CTestMainFrame::OnFileNew)
    ON_COMMAND(ID_EDIT_COPY, &CTestMainFrame::OnCopy)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, &CTestMainFrame::OnUpdateSave)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_REC, &CTestMainFrame::OnUpdateRec)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_OVR, &CTestMainFrame::OnUpdateOvr)
    ON_NOTIFY(TBN_DROPDOWN, AFX_IDW_TOOLBAR, &CTestMainFrame::OnDropDown)
    ON_NOTIFY(NM_CLICK, AFX_IDW_STATUS_BAR, &CTestMainFrame::OnPaneClick)
END_MESSAGE_MAP()

int CTestMainFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CMDIFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    int n = 0;
    const UINT* buttons = Buttons(&n);
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS) ||
        !m_wndToolBar.SetButtons(buttons, n))
        return -1;
    const UINT* indicators = Indicators(&n);
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, n))
        return -1;
    m_wndStatusBar.SetPaneInfo(1, ID_INDICATOR_REC, 0, 40);
    m_wndStatusBar.SetPaneInfo(2, ID_INDICATOR_OVR, 0, 40);
    m_wndStatusBar.SetPaneText(2, L"OVR");
    EnableDocking(CBRS_ALIGN_ANY);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    return 0;
}

CTestMainFrame* CTestMainFrame::CreateShown(int cx, int cy)
{
    auto* pFrame = new CTestMainFrame;
    if (!pFrame->Create(nullptr, L"Test frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CRect(0, 0, cx, cy)))
    {
        return nullptr;
    }
    HMENU hMenu = ::CreateMenu();
    HMENU hFile = ::CreatePopupMenu();
    ::AppendMenuW(hFile, MF_STRING, ID_FILE_NEW, L"&New");
    ::AppendMenuW(hFile, MF_STRING, ID_FILE_SAVE, L"&Save");
    ::AppendMenuW(hFile, MF_STRING, ID_EDIT_PASTE, L"&Paste");
    ::AppendMenuW(hMenu, MF_POPUP, (UINT_PTR)hFile, L"&File");
    ::SetMenu(pFrame->m_hWnd, hMenu);
    AfxGetApp()->m_pMainWnd = pFrame;
    pFrame->ShowWindow(SW_SHOW);
    pFrame->UpdateWindow();
    pFrame->RecalcLayout();
    PumpPending();
    return pFrame;
}

void CTestMainFrame::Destroy(CTestMainFrame* pFrame)
{
    if (AfxGetApp()->m_pMainWnd == pFrame)
        AfxGetApp()->m_pMainWnd = nullptr;
    if (pFrame != nullptr && pFrame->m_hWnd != nullptr)
        pFrame->DestroyWindow();
    PumpPending();
}

CTestChildFrame* CTestMainFrame::NewChild(LPCTSTR lpszTitle, BOOL bWithView)
{
    auto* pChild = new CTestChildFrame;
    pChild->m_bWithView = bWithView;
    if (!pChild->Create(nullptr, lpszTitle, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                        CFrameWnd::rectDefault, this))
    {
        delete pChild;
        return nullptr;
    }
    return pChild;
}

void CTestMainFrame::Idle()
{
    PumpPending();
    AfxGetApp()->OnIdle(0);
}

CRect ClientRectOf(CWnd* pFrame, HWND hWnd)
{
    CRect rect;
    ::GetWindowRect(hWnd, &rect);
    pFrame->ScreenToClient(&rect);
    return rect;
}
