#include "controls/sizable_dlg.h"

IMPLEMENT_DYNAMIC(CRSizableDlg, CDialog)

BEGIN_MESSAGE_MAP(CRSizableDlg, CDialog)
    ON_WM_GETMINMAXINFO()
    ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CRSizableDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    m_nMinTrackWidth = rect.right - rect.left;
    m_nMinTrackHeight = rect.bottom - rect.top;
    return TRUE;
}

void CRSizableDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    // Moving the controls invalidates only what each control covers at its new place, and Wine
    // keeps the pixels that a moved control finds there (a maximised or restored dialog moves
    // all of them at once): what they left behind, or what a sibling painted over them, would
    // stay on screen. The dialog and every child are painted again after the relayout.
    if (nType != SIZE_MINIMIZED && m_hWnd != nullptr)
        ::RedrawWindow(m_hWnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CRSizableDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    if (m_nMinTrackWidth >= 1 && m_nMinTrackHeight >= 1)
    {
        lpMMI->ptMinTrackSize.x = m_nMinTrackWidth;
        lpMMI->ptMinTrackSize.y = m_nMinTrackHeight;
    }
    CDialog::OnGetMinMaxInfo(lpMMI);
}

int CRSizableDlg::AnchorX(const RECT& rect, int anchor)
{
    switch (anchor)
    {
    case kAnchorNear: return rect.left;
    case kAnchorCenter: return (rect.left + rect.right) / 2;
    case kAnchorFar: return rect.right;
    default: return 0;
    }
}

int CRSizableDlg::AnchorY(const RECT& rect, int anchor)
{
    switch (anchor)
    {
    case kAnchorNear: return rect.top;
    case kAnchorCenter: return (rect.top + rect.bottom) / 2;
    case kAnchorFar: return rect.bottom;
    default: return 0;
    }
}

void CRSizableDlg::SaveControlPos(CWnd* pControl, const RECT& reference, int controlX,
                                  int referenceX, int controlY, int referenceY, POINT& offset)
{
    HWND hControl = AfxGetSafeHwnd(pControl);
    RECT control;
    if (hControl == nullptr || !::GetWindowRect(hControl, &control))
        return;
    offset.x = AnchorX(reference, referenceX) - AnchorX(control, controlX);
    offset.y = AnchorY(reference, referenceY) - AnchorY(control, controlY);
}

RECT CRSizableDlg::ComputeControlRect(const RECT& control, const RECT& reference, int controlX,
                                      int referenceX, int controlY, int referenceY,
                                      const POINT& offset)
{
    RECT r = control;
    const int width = control.right - control.left;
    const int height = control.bottom - control.top;
    const int x = AnchorX(reference, referenceX) - offset.x;
    const int y = AnchorY(reference, referenceY) - offset.y;
    switch (controlX)
    {
    case kAnchorNear:
        r.left = x;
        r.right = x + width;
        break;
    case kAnchorCenter:
        r.left = x - width / 2;
        r.right = r.left + width;
        break;
    case kAnchorFar: r.right = x; break;
    }
    switch (controlY)
    {
    case kAnchorNear:
        r.top = y;
        r.bottom = y + height;
        break;
    case kAnchorCenter:
        r.top = y - height / 2;
        r.bottom = r.top + height;
        break;
    case kAnchorFar: r.bottom = y; break;
    }
    return r;
}

void CRSizableDlg::MoveControl(CWnd* pControl, const RECT& reference, int controlX, int referenceX,
                               int controlY, int referenceY, const POINT& offset)
{
    HWND hControl = AfxGetSafeHwnd(pControl);
    RECT control;
    if (hControl == nullptr || !::GetWindowRect(hControl, &control))
        return;
    RECT r =
        ComputeControlRect(control, reference, controlX, referenceX, controlY, referenceY, offset);
    ::MapWindowPoints(nullptr, m_hWnd, (LPPOINT)&r, 2);
    ::MoveWindow(hControl, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

HWND CRSizableDlg::GetPlacementOrigin() const
{
    if (CWnd* pMain = AfxGetMainWnd())
    {
        if (pMain->GetSafeHwnd() != nullptr && pMain->GetSafeHwnd() != m_hWnd)
            return pMain->GetSafeHwnd();
    }
    if (HWND hParent = ::GetParent(m_hWnd))
        return hParent;
    return AfxGetSafeHwnd(m_pParentWnd);
}

RECT KeepRectOnMonitor(const RECT& rect)
{
    if (::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr)
        return rect;
    MONITORINFO mi = {sizeof(mi)};
    HMONITOR hMonitor = ::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
    if (hMonitor == nullptr || !::GetMonitorInfoW(hMonitor, &mi))
        return rect;
    const RECT& work = mi.rcWork;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    RECT r;
    r.left = rect.left;
    r.top = rect.top;
    if (r.left + width > work.right)
        r.left = work.right - width;
    if (r.left < work.left)
        r.left = work.left;
    if (r.top + height > work.bottom)
        r.top = work.bottom - height;
    if (r.top < work.top)
        r.top = work.top;
    r.right = r.left + width;
    r.bottom = r.top + height;
    return r;
}

void CRSizableDlg::RestorePlacement(const CPlacement& placement)
{
    RECT rect = {placement.left, placement.top, placement.right, placement.bottom};
    if (!::IsRectEmpty(&rect) && rect.right - rect.left <= ::GetSystemMetrics(SM_CXFULLSCREEN) &&
        rect.bottom - rect.top <= ::GetSystemMetrics(SM_CYFULLSCREEN))
    {
        if (HWND hOrigin = GetPlacementOrigin())
            ::MapWindowPoints(hOrigin, nullptr, (LPPOINT)&rect, 2);
        // A record saved on a monitor that is gone must not open the dialog out of sight.
        rect = KeepRectOnMonitor(rect);
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof(wp);
        wp.showCmd = placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
        wp.rcNormalPosition = rect;
        ::SetWindowPlacement(m_hWnd, &wp);
    }
    m_bPlacementEnabled = true;
}

bool CRSizableDlg::SavePlacement(CPlacement& placement)
{
    if (!m_bPlacementEnabled)
        return false;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof(wp);
    if (!::GetWindowPlacement(m_hWnd, &wp))
        return false;
    RECT rect = wp.rcNormalPosition;
    if (HWND hOrigin = GetPlacementOrigin())
        ::MapWindowPoints(nullptr, hOrigin, (LPPOINT)&rect, 2);
    placement.showCmd = (int32_t)wp.showCmd;
    placement.left = rect.left;
    placement.top = rect.top;
    placement.right = rect.right;
    placement.bottom = rect.bottom;
    return true;
}

void CRSizableDlg::SaveControlPositions(const CAnchoredControl* pControls, int nCount,
                                        POINT* pOffsets)
{
    CRect window;
    GetWindowRect(&window);
    for (int i = 0; i < nCount; ++i)
    {
        const int* a = pControls[i].anchors;
        SaveControlPos(GetDlgItem(pControls[i].nID), window, a[0], a[1], a[2], a[3], pOffsets[i]);
    }
}

void CRSizableDlg::MoveControls(const CAnchoredControl* pControls, int nCount,
                                const POINT* pOffsets)
{
    CRect window;
    GetWindowRect(&window);
    for (int i = 0; i < nCount; ++i)
    {
        const int* a = pControls[i].anchors;
        MoveControl(GetDlgItem(pControls[i].nID), window, a[0], a[1], a[2], a[3], pOffsets[i]);
    }
}
