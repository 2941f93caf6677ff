// The error text window.
#include "windows/sql_err_child_frame.h"

#include "resources/resource.h"

IMPLEMENT_DYNCREATE(CSQLErrChildFrame, CMDIChildWnd)

CSQLErrChildFrame::~CSQLErrChildFrame()
{
    if (m_splitter.m_hWnd != nullptr)
        m_splitter.DestroyWindow();
}

BOOL CSQLErrChildFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CMDIChildWnd::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    cs.lpszClass = AfxRegisterWndClass(
        CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1),
        ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SQL_SCRIPT)));
    return TRUE;
}

BOOL CSQLErrChildFrame::OnCreateClient(LPCREATESTRUCT, void* pContext)
{
    if (!m_splitter.CreateStatic(this, 2, 1, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
        return FALSE;
    // The upper pane is the text itself, a read-only edit the splitter sizes like any pane.
    m_hText = ::CreateWindowExW(0, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                    ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                0, 0, 100, 300, m_splitter.m_hWnd,
                                (HMENU)(UINT_PTR)m_splitter.IdFromRowCol(0, 0),
                                AfxGetInstanceHandle(), nullptr);
    if (m_hText == nullptr || !m_splitter.CreateView(1, 0, nullptr, CSize(0, 0), pContext))
        return FALSE;
    ::SendMessageW(m_hText, WM_SETFONT, (WPARAM)::GetStockObject(DEFAULT_GUI_FONT), FALSE);
    m_splitter.SetRowInfo(0, 300, 0);
    m_splitter.RecalcLayout();
    return TRUE;
}

void CSQLErrChildFrame::SetText(LPCWSTR pszText)
{
    if (m_hText != nullptr)
        ::SetWindowTextW(m_hText, pszText);
}
