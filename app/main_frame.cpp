// CMainFrame: window class, bars and the commands of the frame itself.
#include "app/main_frame.h"

#include "resources/resource.h"

IMPLEMENT_DYNAMIC(CMainFrame, CMDIFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_APP_EXIT, &CMainFrame::OnAppExit)
END_MESSAGE_MAP()

namespace {

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

} // namespace

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    // Other programs and the tests find the main window by its class name.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(AfxGetInstanceHandle(), L"Quenlark", &wc))
    {
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
        wc.hIconSm = reinterpret_cast<HICON>(::LoadImageW(
            AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
        wc.lpszClassName = L"Quenlark";
        if (!::RegisterClassExW(&wc))
            return FALSE;
    }
    cs.lpszClass = L"Quenlark";
    return CMDIFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CMDIFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS |
                                   CBRS_FLYBY) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!m_wndStatusBar.Create(this) ||
        !m_wndStatusBar.SetIndicators(kIndicators,
                                      (int)(sizeof(kIndicators) / sizeof(kIndicators[0]))))
        return -1;
    m_wndToolBar.SetWindowText(L"Standard");
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    return 0;
}

void CMainFrame::OnAppExit()
{
    PostMessage(WM_CLOSE);
}
