// CMainFrame: window class, construction and layout of the bars, the message map, command and
// notification routing, closing and destruction.
#include "app/main_frame.h"

#include "app/app_settings.h"
#include "app/running_instance.h"
#include "app/window_menu_items.h"
#include "app/windows_array.h"
#include "controls/icon_strip.h"
#include "editor/color_edit_ctrl.h"
#include "editor/rce_messages.h"
#include "framework/recent_file_list.h"
#include "resources/resource.h"

IMPLEMENT_DYNAMIC(CMainFrame, CMDIFrameWnd)

// One entry per line, grouped by topic; each topic's handlers live in main_frame_<topic>.cpp.
BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
    // ---- Frame
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_WM_MEASUREITEM()
    ON_WM_DRAWITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_COMMAND(ID_APP_EXIT, &CMainFrame::OnAppExit)
    // ---- Status panes and commands enabled while connected
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_TRANS, &CMainFrame::OnUpdateTransPane)
    ON_UPDATE_COMMAND_UI(ID_CONNECT_CLOSE, &CMainFrame::OnUpdateConnected)
    ON_UPDATE_COMMAND_UI(ID_CONNECT_RECONNECT, &CMainFrame::OnUpdateConnected)
    ON_UPDATE_COMMAND_UI(ID_CONNECT_PROPERTIES, &CMainFrame::OnUpdateConnected)
    ON_UPDATE_COMMAND_UI(ID_CONNECT_TYPES, &CMainFrame::OnUpdateConnected)
    ON_UPDATE_COMMAND_UI(ID_CONNECT_FUNCTIONS, &CMainFrame::OnUpdateConnected)
    ON_UPDATE_COMMAND_UI(ID_QUERY_SQL, &CMainFrame::OnUpdateConnected)
    ON_UPDATE_COMMAND_UI(ID_QUERY_TABLES, &CMainFrame::OnUpdateConnected)
    ON_UPDATE_COMMAND_UI(ID_QUERY_VIEWS, &CMainFrame::OnUpdateConnected)
    ON_UPDATE_COMMAND_UI(ID_QUERY_PROCEDURES, &CMainFrame::OnUpdateConnected)
    ON_UPDATE_COMMAND_UI(ID_SCRIPT_EXECUTE_FILE, &CMainFrame::OnUpdateConnected)
    // ---- Recent lists
    ON_UPDATE_COMMAND_UI(ID_RECENT_FILE_FIRST, &CMainFrame::OnUpdateRecentFiles)
    ON_UPDATE_COMMAND_UI(ID_RECENT_CONNECTION_FIRST, &CMainFrame::OnUpdateRecentConnections)
    // ---- Connecting, files, tracing
    ON_COMMAND(ID_CONNECT_DSN, &CMainFrame::OnConnectDSN)
    ON_COMMAND(ID_CONNECT_DRIVER, &CMainFrame::OnConnectDriver)
    ON_COMMAND(ID_CONNECT_STRINGS, &CMainFrame::OnConnectionStrings)
    ON_COMMAND(ID_CONNECT_FILE, &CMainFrame::OnConnectFile)
    ON_COMMAND(ID_CONNECT_CLOSE, &CMainFrame::OnCloseConnection)
    ON_COMMAND(ID_CONNECT_RECONNECT, &CMainFrame::OnReconnect)
    ON_COMMAND(ID_CONNECT_PROPERTIES, &CMainFrame::OnConnectionProperties)
    ON_COMMAND(ID_CONNECT_TYPES, &CMainFrame::OnConnectionTypes)
    ON_COMMAND(ID_CONNECT_FUNCTIONS, &CMainFrame::OnConnectionFunctions)
    ON_COMMAND(ID_DB_TRACE_ON, &CMainFrame::OnTraceOn)
    ON_COMMAND(ID_DB_TRACE_OFF, &CMainFrame::OnTraceOff)
    ON_UPDATE_COMMAND_UI(ID_DB_TRACE_ON, &CMainFrame::OnUpdateTraceOn)
    ON_UPDATE_COMMAND_UI(ID_DB_TRACE_OFF, &CMainFrame::OnUpdateTraceOff)
    ON_WM_COPYDATA()
    ON_WM_DROPFILES()
    // ---- View, window, help, options
    ON_COMMAND(ID_VIEW_OUTPUT, &CMainFrame::OnViewOutput)
    ON_UPDATE_COMMAND_UI(ID_VIEW_OUTPUT, &CMainFrame::OnUpdateViewOutput)
    ON_COMMAND(ID_VIEW_SWITCH_OUTPUT, &CMainFrame::OnSwitchToOutput)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SWITCH_OUTPUT, &CMainFrame::OnUpdateSwitchToOutput)
    ON_COMMAND(ID_VIEW_SWITCH_WORK, &CMainFrame::OnSwitchToWorkingWindow)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SWITCH_WORK, &CMainFrame::OnUpdateChildActive)
    ON_COMMAND(ID_WINDOW_NEXT, &CMainFrame::OnWindowNext)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_NEXT, &CMainFrame::OnUpdateChildActive)
    ON_COMMAND(ID_WINDOW_PREVIOUS, &CMainFrame::OnWindowPrevious)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_PREVIOUS, &CMainFrame::OnUpdateChildActive)
    ON_COMMAND(ID_WINDOW_CLOSE_ALL, &CMainFrame::OnWindowCloseAll)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_CLOSE_ALL, &CMainFrame::OnUpdateChildActive)
    ON_UPDATE_COMMAND_UI(ID_DB_COMPACT, &CMainFrame::OnUpdateCompactRepair)
    ON_UPDATE_COMMAND_UI(ID_DB_REPAIR, &CMainFrame::OnUpdateCompactRepair)
    ON_COMMAND(ID_HELP_FINDER, &CMainFrame::OnHelpContents)
    ON_COMMAND(ID_HELP_INDEX, &CMainFrame::OnHelpIndex)
    ON_COMMAND(ID_VIEW_OPTIONS, &CMainFrame::OnOptions)
    ON_COMMAND(ID_DB_DSN_ADMINISTRATOR, &CMainFrame::OnDSNAdministrator)
    // ---- SQL query and scripts
    ON_COMMAND(ID_QUERY_SQL, &CMainFrame::OnSQLQuery)
    ON_COMMAND(ID_QUERY_TABLES, &CMainFrame::OnTables)
    ON_COMMAND(ID_QUERY_VIEWS, &CMainFrame::OnViews)
    ON_COMMAND(ID_QUERY_PROCEDURES, &CMainFrame::OnStoredProcedures)
    ON_COMMAND(ID_SCRIPT_EXECUTE_FILE, &CMainFrame::OnExecuteSQLScript)
    ON_COMMAND(ID_FILE_NEW, &CMainFrame::OnNewScript)
    ON_COMMAND(ID_SCRIPT_OPEN, &CMainFrame::OnOpenScript)
    // ---- Objects and transactions
    ON_COMMAND(ID_VIEW_DBBAR, &CMainFrame::OnShowDatabaseBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_DBBAR, &CMainFrame::OnUpdateShowDatabaseBar)
    ON_COMMAND(ID_VIEW_DBBAR_BUTTON, &CMainFrame::OnShowDatabaseBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_DBBAR_BUTTON, &CMainFrame::OnUpdateShowDatabaseBar)
    ON_COMMAND(ID_DB_END_TRANS, &CMainFrame::OnEndTransaction)
    ON_UPDATE_COMMAND_UI(ID_DB_END_TRANS, &CMainFrame::OnUpdateEndTransaction)
    ON_COMMAND(ID_DB_BEGIN_TRANS, &CMainFrame::OnBeginTransaction)
    ON_UPDATE_COMMAND_UI(ID_DB_BEGIN_TRANS, &CMainFrame::OnUpdateBeginTransaction)
    ON_COMMAND(ID_VIEW_SWITCH_DBBAR, &CMainFrame::OnSwitchToDatabaseBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SWITCH_DBBAR, &CMainFrame::OnUpdateSwitchToDatabaseBar)
    ON_COMMAND(ID_QUERY_CONSTRAINTS, &CMainFrame::OnConstraints)
    ON_UPDATE_COMMAND_UI(ID_QUERY_CONSTRAINTS, &CMainFrame::OnUpdateConstraints)
    // ---- Object browser
    ON_COMMAND(ID_VIEW_REFRESH_DBBAR, &CMainFrame::OnRefreshDatabaseBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_REFRESH_DBBAR, &CMainFrame::OnUpdateRefreshDatabaseBar)
END_MESSAGE_MAP()

namespace {

CMainFrame* g_pMainFrame = nullptr;

// Retries a close request that came while a database bar tree was being filled.
constexpr UINT_PTR kCloseRetryTimer = 0x5142;

const UINT kIndicators[] = {ID_SEPARATOR,       ID_INDICATOR_ROWS, ID_INDICATOR_PANE2,
                            ID_INDICATOR_TRANS, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                            ID_INDICATOR_SCRL};

const WCHAR kProfileName[] = L"Quenlark";

} // namespace

CWindowsArray<CGridChildFrame> theGridWindows;
CWindowsArray<CSQLChildFrame> theSQLWindows;

CMainFrame* GetMainFrame()
{
    return g_pMainFrame;
}

CMainFrame::CMainFrame()
{
    m_hIconLarge =
        (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                            ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0);
    m_hIconSmall =
        (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
    m_pRecentFiles =
        new CRecentFileList(ID_RECENT_FILE_FIRST, L"Recent file list", L"File%d", 10, 30);
    m_pRecentFiles->ReadList();
    g_pMainFrame = this;
}

CMainFrame::~CMainFrame()
{
    if (g_pMainFrame == this)
        g_pMainFrame = nullptr;
    if (m_hIconLarge != nullptr)
        ::DestroyIcon(m_hIconLarge);
    if (m_hIconSmall != nullptr)
        ::DestroyIcon(m_hIconSmall);
    delete m_pRecentFiles;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CMDIFrameWnd::PreCreateWindow(cs))
        return FALSE;
    // A second instance finds this one by the class name.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(AfxGetInstanceHandle(), L"Quenlark", &wc))
    {
        if (!::GetClassInfoExW(AfxGetInstanceHandle(), cs.lpszClass, &wc))
        {
            wc.cbSize = sizeof(wc);
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = AfxGetInstanceHandle();
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
        }
        wc.cbSize = sizeof(wc);
        wc.hInstance = AfxGetInstanceHandle();
        wc.hIcon = m_hIconLarge;
        wc.hIconSm = m_hIconSmall;
        wc.lpszClassName = L"Quenlark";
        wc.lpszMenuName = nullptr;
        if (!::RegisterClassExW(&wc))
            return FALSE;
    }
    cs.lpszClass = L"Quenlark";
    return TRUE;
}

bool CMainFrame::CreateToolBar()
{
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS |
                                   CBRS_FLYBY | CBRS_SIZE_DYNAMIC,
                               CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return false;

    // True-colour images where the screen shows them; else the resource's own bitmap stays.
    HDC hdc = ::GetDC(nullptr);
    int nBits = ::GetDeviceCaps(hdc, BITSPIXEL) * ::GetDeviceCaps(hdc, PLANES);
    ::ReleaseDC(nullptr, hdc);
    if (nBits >= 24)
    {
        auto load = [](CImageList& list, UINT nBitmap, COLORREF crMask) {
            HBITMAP hBitmap =
                (HBITMAP)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nBitmap),
                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
            if (hBitmap == nullptr)
                return false;
            bool bOk = list.Create(18, 18, ILC_COLOR24 | ILC_MASK, 20, 1) &&
                       ImageList_AddMasked(list.m_hImageList, hBitmap, crMask) >= 0;
            ::DeleteObject(hBitmap);
            return bOk;
        };
        if (load(m_imlToolBar, IDB_TOOLBAR_NORMAL, RGB(0xC0, 0xC0, 0xC0)) &&
            load(m_imlToolBarDisabled, IDB_TOOLBAR_DISABLED, 0x00FFFF))
        {
            m_wndToolBar.GetToolBarCtrl().SetImageList(m_imlToolBar.m_hImageList);
            m_wndToolBar.GetToolBarCtrl().SetDisabledImageList(m_imlToolBarDisabled.m_hImageList);
        }
    }

    m_wndToolBar.GetToolBarCtrl().SetExtendedStyle(
        m_wndToolBar.GetToolBarCtrl().GetExtendedStyle() | TBSTYLE_EX_DRAWDDARROWS);
    for (UINT nID : {ID_CONNECT_STRINGS, ID_SCRIPT_OPEN})
    {
        int nIndex = m_wndToolBar.CommandToIndex(nID);
        if (nIndex >= 0)
            m_wndToolBar.SetButtonStyle(nIndex,
                                        m_wndToolBar.GetButtonStyle(nIndex) | TBSTYLE_DROPDOWN);
    }
    m_wndToolBar.SetWindowText(L"Standard");
    return true;
}

bool CMainFrame::CreateStatusBar()
{
    return m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) &&
           m_wndStatusBar.SetIndicators(kIndicators, (int)(sizeof(kIndicators) / sizeof(UINT)));
}

bool CMainFrame::CreateDockingBars()
{
    const DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP;
    const DWORD dwBarStyle = CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
    if (!m_wndDBBar.Create(L"Database", this, CSize(250, 250), TRUE, IDW_DATABASE_BAR, dwStyle))
        return false;
    m_wndDBBar.SetBarStyle(m_wndDBBar.GetBarStyle() | dwBarStyle);
    if (!m_wndOutputBar.Create(L"Output", this, CSize(500, 150), TRUE, IDW_OUTPUT_BAR, dwStyle))
        return false;
    m_wndOutputBar.SetBarStyle(m_wndOutputBar.GetBarStyle() | dwBarStyle);

    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndDBBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndOutputBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    DockControlBar(&m_wndDBBar, AFX_IDW_DOCKBAR_LEFT);
    DockControlBar(&m_wndOutputBar, AFX_IDW_DOCKBAR_BOTTOM);
    return true;
}

void CMainFrame::CreateSmallIcons()
{
    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    if (!m_imlSmallIcons.Create(cx, cy, ILC_COLOR32 | ILC_MASK, 3, 1))
        return;
    AddIconResources(m_imlSmallIcons.m_hImageList, AfxGetResourceHandle(),
                     {IDI_PRIMARY_KEY, IDI_FOREIGN_KEY, IDI_PRIMARY_FOREIGN_KEY});
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CMDIFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    {
        // One layout once the bars are in place and restored, not one for each bar docked,
        // restored and hidden: each would size the database bar's trees again (about 10 ms in
        // all under Wine).
        struct CLayoutOnce
        {
            CMainFrame& frame;
            explicit CLayoutOnce(CMainFrame& f) : frame(f) { frame.m_bBuildingBars = true; }
            ~CLayoutOnce()
            {
                frame.m_bBuildingBars = false;
                if (frame.m_bLayoutPending)
                    frame.RecalcLayout();
            }
        } layout(*this);
        if (!CreateToolBar() || !CreateStatusBar() || !CreateDockingBars())
            return -1;

        SetIcon(m_hIconLarge, TRUE);
        SetIcon(m_hIconSmall, FALSE);
        DragAcceptFiles(TRUE);

        if (theSettings.m_bAutosave && theSettings.m_nAutosaveTime > 0)
            StartAutoSaveTimer();

        m_wndDBBar.LoadState(kProfileName);
        LoadBarState(kProfileName);
        ShowDatabaseBar(false, false);
        ShowControlBar(&m_wndOutputBar, FALSE, FALSE);
    }

    m_menuPainter.LoadToolBarImages(GetMenu(), &m_wndToolBar, true);
    m_popupPainter.LoadToolBarImages(nullptr, &m_wndToolBar, true);
    CreateSmallIcons();
    CColorEditCtrl::SetAutoCompleteFiller(&CMainFrame::FillAutoCompleteWords);
    // The first paint comes before any idle time: without this the toolbar would show every
    // button enabled for a moment, then paint itself again (a few milliseconds under Wine) once
    // the first idle update or the start-up connect disables what needs a connection.
    UpdateBarsNow();
    return 0;
}

void CMainFrame::RecalcLayout(BOOL bNotify)
{
    if (m_bBuildingBars)
    {
        m_bLayoutPending = true;
        return;
    }
    m_bLayoutPending = false;
    CMDIFrameWnd::RecalcLayout(bNotify);
}

void CMainFrame::UpdateBarsNow()
{
    SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
}

void CMainFrame::OnClose()
{
    // From here until the close is cancelled the frame takes no script from a new start: the
    // questions below run message loops that would open it, and the close would then take the
    // new window down with the rest.
    SetClosing(true);
    // A tree of the database bar is being filled: the wait dialog it opens runs the messages
    // already queued, this one too. Close once the fill is over (a timer, not a new WM_CLOSE,
    // which that dialog would run again at once).
    if (CDBTreeCtrl::IsAnyFillRunning())
    {
        SetTimer(kCloseRetryTimer, 100, nullptr);
        return;
    }
    theSettings.SaveWindowPlacement(this);
    // The rows being edited, then an open transaction are asked about before any window closes:
    // Cancel keeps them all.
    const bool bClose = SettleEditedRows() && (!HasOpenTransaction() || EndTransaction()) &&
                        CloseAllChildren(true) && (!IsConnected() || CloseConnection());
    if (!bClose)
    {
        SetClosing(false);
        return;
    }
    CMDIFrameWnd::OnClose();
}

void CMainFrame::SetClosing(bool bClosing)
{
    m_bClosing = bClosing;
    RunningInstance::MarkClosing(m_hWnd, bClosing);
}

void CMainFrame::OnDestroy()
{
    // Also when the frame goes without a close request (the session ends).
    SetClosing(true);
    StopAutoSaveTimer();
    DragAcceptFiles(FALSE);
    m_wndDBBar.SaveState(kProfileName);
    SaveBarState(kProfileName);
    theSettings.SaveDBBarVisible();
    CMDIFrameWnd::OnDestroy();
}

void CMainFrame::OnAppExit()
{
    PostMessage(WM_CLOSE);
}

// ---- Owner-drawn menus ---------------------------------------------------------------------------

void CMainFrame::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (lpMeasureItemStruct->CtlType == ODT_MENU)
        m_menuPainter.MeasureItem(this, lpMeasureItemStruct);
    else
        CMDIFrameWnd::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

void CMainFrame::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct->CtlType == ODT_MENU)
        m_menuPainter.DrawItem(lpDrawItemStruct);
    else
        CMDIFrameWnd::OnDrawItem(nIDCtl, lpDrawItemStruct);
}

LRESULT CMainFrame::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    return m_menuPainter.MenuChar(nChar, nFlags, pMenu);
}

void CMainFrame::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CMDIFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    // Before the painter takes the texts over: it measures and draws the ones it finds.
    if (!bSysMenu && pPopupMenu != nullptr)
        ShortenWindowMenuItems(pPopupMenu->GetSafeHmenu());
    m_menuPainter.InitMenuPopup(pPopupMenu, nIndex, bSysMenu);
}

// ---- Routing -------------------------------------------------------------------------------------

BOOL CMainFrame::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    if (lParam == 0 && nID >= ID_RECENT_FILE_FIRST &&
        nID < ID_RECENT_FILE_FIRST + (UINT)m_pRecentFiles->GetSize())
    {
        CString strPath = (*m_pRecentFiles)[(int)(nID - ID_RECENT_FILE_FIRST)];
        if (!strPath.IsEmpty())
            OpenSQLWindow(strPath);
        return TRUE;
    }
    if (lParam == 0 && nID >= ID_RECENT_CONNECTION_FIRST &&
        nID < ID_RECENT_CONNECTION_FIRST + (UINT)theSettings.m_connectStrings.GetSize())
    {
        CString strConnect = theSettings.m_connectStrings[(int)(nID - ID_RECENT_CONNECTION_FIRST)];
        UpdateWindow();
        ConnectString(strConnect);
        return TRUE;
    }
    return CMDIFrameWnd::OnCommand(wParam, lParam);
}

BOOL CMainFrame::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* pHeader = reinterpret_cast<NMHDR*>(lParam);
    if (pHeader != nullptr && pHeader->code == TBN_DROPDOWN &&
        pHeader->hwndFrom == m_wndToolBar.GetSafeHwnd())
    {
        auto* pToolBar = reinterpret_cast<NMTOOLBARW*>(lParam);
        if (pToolBar->iItem == ID_CONNECT_STRINGS)
        {
            if (theSettings.m_connectStrings.GetSize() > 0)
                ShowRecentDropDown(ID_RECENT_CONNECTION_FIRST, ID_CONNECT_STRINGS);
            else
                PostMessage(WM_COMMAND, ID_CONNECT_STRINGS);
            *pResult = TBDDRET_DEFAULT;
            return TRUE;
        }
        if (pToolBar->iItem == ID_SCRIPT_OPEN)
        {
            if (m_pRecentFiles->GetSize() > 0 && !(*m_pRecentFiles)[0].IsEmpty())
                ShowRecentDropDown(ID_RECENT_FILE_FIRST, ID_SCRIPT_OPEN);
            else
                PostMessage(WM_COMMAND, ID_SCRIPT_OPEN);
            *pResult = TBDDRET_DEFAULT;
            return TRUE;
        }
    }
    if (pHeader != nullptr && pHeader->code == NM_CLICK &&
        pHeader->hwndFrom == m_wndStatusBar.GetSafeHwnd())
    {
        // A click on the "TRANS" pane ends the transaction as Database > End Transaction does;
        // posted, so that its question is not asked inside the bar's notification.
        auto* pMouse = reinterpret_cast<NMMOUSE*>(lParam);
        if ((int)pMouse->dwItemSpec == m_wndStatusBar.CommandToIndex(ID_INDICATOR_TRANS) &&
            HasOpenTransaction())
        {
            PostMessage(WM_COMMAND, ID_DB_END_TRANS);
            *pResult = TRUE;
            return TRUE;
        }
    }
    return CMDIFrameWnd::OnNotify(wParam, lParam, pResult);
}

bool CMainFrame::IsEditorFocused() const
{
    HWND hFocus = ::GetFocus();
    if (hFocus == nullptr)
        return false;
    WCHAR szClass[64] = {};
    ::GetClassNameW(hFocus, szClass, 64);
    return lstrcmpiW(szClass, L"Edit") == 0 || lstrcmpiW(szClass, L"RColorEditorClass") == 0;
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg)
{
    // The editing keys stay with an edit control or an editor window that has the focus (a cell
    // being edited, the output bar, a dialog's editor), instead of becoming the frame's Edit
    // commands for the active grid.
    if ((pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN) && IsEditorFocused())
    {
        const bool bCtrl = ::GetKeyState(VK_CONTROL) < 0;
        const bool bShift = ::GetKeyState(VK_SHIFT) < 0;
        const bool bAlt = ::GetKeyState(VK_MENU) < 0;
        bool bEditorKey = false;
        switch (pMsg->wParam)
        {
        case VK_DELETE:
        case VK_INSERT: bEditorKey = !bAlt && !(bCtrl && bShift); break;
        case 'Z':
        case 'Y':
        case 'A': bEditorKey = bCtrl && !bShift && !bAlt; break;
        }
        if (bEditorKey)
            return FALSE;
    }
    return CMDIFrameWnd::PreTranslateMessage(pMsg);
}

void CMainFrame::GetMessageString(UINT nID, CString& rMessage) const
{
    if (nID == AFX_IDS_IDLEMESSAGE && !m_strIdleMessage.IsEmpty())
    {
        rMessage = m_strIdleMessage;
        return;
    }
    CMDIFrameWnd::GetMessageString(nID, rMessage);
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == 1)
        AutoSaveScripts();
    if (nIDEvent == kCloseRetryTimer)
    {
        KillTimer(kCloseRetryTimer);
        PostMessage(WM_CLOSE);
    }
    CMDIFrameWnd::OnTimer(nIDEvent);
}
