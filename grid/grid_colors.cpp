// Colour helpers of the grid's rows: the shade of odd rows and the two-pixel frames drawn round
// the edited row and the current cell.
#include "grid/grid.h"

COLORREF ShiftColor(COLORREF color)
{
    auto shift = [](int c) { return c < 128 ? c + 32 : c - 20; };
    return RGB(shift(GetRValue(color)), shift(GetGValue(color)), shift(GetBValue(color)));
}

void DrawDoubleFrame(CDC* pDC, const RECT& rect, COLORREF color)
{
    if (pDC == nullptr || pDC->m_hDC == nullptr)
        return;
    RECT r = rect;
    r.left += 2;
    r.bottom -= 2;
    r.right -= ::GetSystemMetrics(SM_CXBORDER) + 1;
    HPEN pen = ::CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = ::SelectObject(pDC->m_hDC, pen);
    for (int pass = 0; pass < 2; ++pass)
    {
        POINT pts[5] = {{r.left, r.top},
                        {r.right, r.top},
                        {r.right, r.bottom},
                        {r.left, r.bottom},
                        {r.left, r.top}};
        ::Polyline(pDC->m_hDC, pts, 5);
        ::InflateRect(&r, -1, -1);
    }
    ::SelectObject(pDC->m_hDC, old);
    ::DeleteObject(pen);
}
