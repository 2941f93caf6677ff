#include "controls/progress_ctrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CRProgressCtrl, CStatic)

BEGIN_MESSAGE_MAP(CRProgressCtrl, CStatic)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {
const UINT_PTR kAnimationTimer = 1;
}

bool CRProgressCtrl::Start(UINT period)
{
    m_nCounter = 0;
    return SetTimer(kAnimationTimer, period) != 0;
}

void CRProgressCtrl::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kAnimationTimer)
    {
        CStatic::OnTimer(nIDEvent);
        return;
    }
    if (++m_nCounter > 100)
        m_nCounter = 0;
    // No erase: the paint covers every pixel, and erasing first (the dialog's background, asked
    // of the parent) doubled the cost of each frame while a long read pumps its messages.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CRProgressCtrl::OnDestroy()
{
    KillTimer(kAnimationTimer);
    CStatic::OnDestroy();
}

void CRProgressCtrl::GetSegment(int width, int counter, int* pGapEnd, int* pSegmentEnd)
{
    const int s = width / 5;
    const int p = (width + s) * counter / 100;
    const int gapEnd = p > s ? std::min(p - s, width) : 0;
    *pGapEnd = gapEnd;
    *pSegmentEnd = std::max(gapEnd, std::min(p, width));
}

static void Outlines(HDC hDC, CRect& rect, int count, COLORREF color)
{
    HPEN hPen = ::CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = ::SelectObject(hDC, hPen);
    for (int i = 0; i < count && rect.Width() > 0 && rect.Height() > 0; ++i)
    {
        ::MoveToEx(hDC, rect.left, rect.top, nullptr);
        ::LineTo(hDC, rect.right - 1, rect.top);
        ::LineTo(hDC, rect.right - 1, rect.bottom - 1);
        ::LineTo(hDC, rect.left, rect.bottom - 1);
        ::LineTo(hDC, rect.left, rect.top);
        rect.DeflateRect(1, 1);
    }
    ::SelectObject(hDC, old);
    ::DeleteObject(hPen);
}

void CRProgressCtrl::PaintBar(HDC hDC, CRect rect, int counter)
{
    const int b = std::max(0, ::GetSystemMetrics(SM_CXBORDER));
    Outlines(hDC, rect, b, ::GetSysColor(COLOR_HIGHLIGHT));
    Outlines(hDC, rect, b, ::GetSysColor(COLOR_WINDOW));
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    int gapEnd, segmentEnd;
    GetSegment(rect.Width(), counter, &gapEnd, &segmentEnd);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    auto fill = [&](int from, int to, COLORREF color) {
        if (to <= from)
            return;
        RECT r = {rect.left + from, rect.top, rect.left + to, rect.bottom};
        ::SetBkColor(hDC, color);
        ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    };
    fill(0, gapEnd, window);
    fill(gapEnd, segmentEnd, highlight);
    fill(segmentEnd, rect.Width(), window);
}

void CRProgressCtrl::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    CRect client;
    GetClientRect(&client);
    PaintBar(hDC, client, m_nCounter);
    ::EndPaint(m_hWnd, &ps);
}

// ---------------------------------------------------------------------------------------------

bool CTaskbarProgress::Create()
{
    Release();
    void* p = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskbarList3, &p)))
        return false;
    m_pTaskbar = static_cast<ITaskbarList3*>(p);
    return true;
}

bool CTaskbarProgress::SetProgressValue(HWND hWnd, ULONGLONG completed, ULONGLONG total)
{
    return m_pTaskbar != nullptr && SUCCEEDED(m_pTaskbar->SetProgressValue(hWnd, completed, total));
}

bool CTaskbarProgress::SetProgressState(HWND hWnd, TBPFLAG flags)
{
    return m_pTaskbar != nullptr && SUCCEEDED(m_pTaskbar->SetProgressState(hWnd, flags));
}

void CTaskbarProgress::Release()
{
    if (m_pTaskbar != nullptr)
    {
        m_pTaskbar->Release();
        m_pTaskbar = nullptr;
    }
}
