// The grid's own drawing of its header items: a flat modern face on newer systems, the theme's
// header background or the classic face, the key image, a bitmap, the sort mark and the text.
#include "grid/grid.h"

#include <algorithm>

#include <vssym32.h>

namespace {

void Line(HDC hDC, COLORREF color, int x1, int y1, int x2, int y2)
{
    HPEN pen = ::CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = ::SelectObject(hDC, pen);
    ::MoveToEx(hDC, x1, y1, nullptr);
    ::LineTo(hDC, x2, y2);
    ::SelectObject(hDC, old);
    ::DeleteObject(pen);
}

void Fill(HDC hDC, const RECT& r, COLORREF color)
{
    HBRUSH brush = ::CreateSolidBrush(color);
    ::FillRect(hDC, &r, brush);
    ::DeleteObject(brush);
}

} // namespace

LRESULT CRGrid::OnDrawItem(WPARAM, LPARAM lParam)
{
    auto* lpDrawItemStruct = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
    if (lpDrawItemStruct != nullptr && lpDrawItemStruct->CtlType == ODT_HEADER && DrawsHeader())
    {
        DrawHeaderItem(lpDrawItemStruct);
        // Wine's header takes an answer of 0 for an item its owner did not draw, and paints the
        // item's face and caption again over the drawing (the sort mark with it).
        return TRUE;
    }
    return Default();
}

LRESULT CRGrid::OnThemeChanged()
{
    if (DrawsHeader())
    {
        HWND hHeader = ::GetDlgItem(m_hWnd, 0);
        if (hHeader != nullptr)
            m_headerTheme.Open(hHeader, L"HEADER");
    }
    return Default();
}

void CRGrid::DrawHeaderItem(LPDRAWITEMSTRUCT lpDis)
{
    HDC hDC = lpDis->hDC;
    HWND hHeader = lpDis->hwndItem;
    if (!m_headerTheme.IsOpen() && hHeader != nullptr)
        m_headerTheme.Open(hHeader, L"HEADER");
    const bool pressed = (lpDis->itemState & ODS_SELECTED) != 0;
    RECT r = lpDis->rcItem;
    const int height = r.bottom - r.top;
    OSVERSIONINFOW info = {sizeof(info)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const bool modern =
        ::GetVersionExW(&info) &&
        (info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion >= 2));
#pragma GCC diagnostic pop
    const bool themed = m_headerTheme.IsOpen() && ::IsAppThemed();

    // Background.
    if (modern)
    {
        Line(hDC, RGB(222, 223, 225), r.left, r.bottom - 1, r.right, r.bottom - 1);
        Line(hDC, RGB(222, 223, 225), r.right - 1, r.top, r.right - 1, r.bottom);
        r.right -= 1;
        r.bottom -= 1;
        const int split = r.top + (2 * height) / 5;
        RECT upper = {r.left, r.top, r.right, split};
        RECT lower = {r.left, split, r.right, r.bottom};
        Fill(hDC, upper, pressed ? RGB(188, 228, 249) : RGB(255, 255, 255));
        Fill(hDC, lower, pressed ? RGB(140, 212, 246) : RGB(245, 246, 248));
        const COLORREF edge = pressed ? RGB(162, 203, 224) : RGB(252, 253, 253);
        const int from = pressed ? r.top : split;
        Line(hDC, edge, r.left, from, r.left, r.bottom);
        Line(hDC, edge, r.right - 1, from, r.right - 1, r.bottom);
        if (pressed)
        {
            Line(hDC, edge, r.left, r.top, r.right, r.top);
            r.top += 1;
        }
    }
    else if (!themed)
    {
        const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
        Line(hDC, shadow, r.left, r.bottom - 1, r.right, r.bottom - 1);
        Line(hDC, shadow, r.right - 1, r.bottom - 1, r.right - 1, pressed ? r.top : r.top - 1);
        if (pressed)
        {
            Line(hDC, shadow, r.left, r.top, r.right, r.top);
            Line(hDC, shadow, r.left, r.top, r.left, r.bottom);
            r.left += 1;
            r.top += 1;
        }
        r.right -= 1;
        r.bottom -= 1;
        Fill(hDC, r, ::GetSysColor(COLOR_BTNFACE));
    }
    else
    {
        m_headerTheme.DrawThemeBackground(hDC, HP_HEADERITEM, pressed ? HIS_PRESSED : HIS_NORMAL,
                                          &r, nullptr);
        if (pressed)
        {
            r.left += 1;
            r.top += 1;
        }
    }

    const int cxEdge = ::GetSystemMetrics(SM_CXEDGE);
    const int cyEdge = ::GetSystemMetrics(SM_CYEDGE);
    if (cxEdge > 0)
    {
        r.left += cxEdge;
        r.right += 1 - cxEdge;
    }
    if (cyEdge > 0)
    {
        r.top += cyEdge;
        r.bottom += 1 - cyEdge;
    }
    if (pressed)
    {
        r.left += 1;
        r.top += 1;
    }

    wchar_t text[262] = {};
    HDITEMW hd = {};
    hd.mask = HDI_TEXT | HDI_FORMAT | HDI_BITMAP | HDI_IMAGE;
    hd.pszText = text;
    hd.cchTextMax = 261;
    if (hHeader == nullptr || !::SendMessageW(hHeader, HDM_GETITEMW, lpDis->itemID, (LPARAM)&hd))
        return;

    HIMAGELIST hImages = (HIMAGELIST)::SendMessageW(hHeader, HDM_GETIMAGELIST, 0, 0);
    if ((hd.fmt & HDF_IMAGE) && hd.iImage >= 0 && hImages != nullptr)
    {
        r.left += 1;
        HICON hIcon = ImageList_GetIcon(hImages, hd.iImage, ILD_NORMAL);
        if (hIcon != nullptr)
        {
            int cx = 0, cy = 0;
            ImageList_GetIconSize(hImages, &cx, &cy);
            ::DrawStateW(hDC, nullptr, nullptr, (LPARAM)hIcon, 0, r.left,
                         r.top + (r.bottom - r.top - cy) / 2, cx, cy, DST_ICON);
            ::DestroyIcon(hIcon);
            r.left += cx;
        }
    }

    if ((hd.fmt & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT)) && hd.hbm != nullptr)
    {
        BITMAP bm = {};
        if (::GetObjectW(hd.hbm, sizeof(bm), &bm))
        {
            const int y = std::max((long)r.top, r.top + (r.bottom - r.top - bm.bmHeight) / 2);
            if (hd.fmt & HDF_BITMAP_ON_RIGHT)
            {
                const int x = r.right - 1 - bm.bmWidth;
                ::DrawStateW(hDC, nullptr, nullptr, (LPARAM)hd.hbm, 0, x, y, bm.bmWidth,
                             bm.bmHeight, DST_BITMAP);
                r.right = x;
            }
            else
            {
                const int x = r.left + 1;
                ::DrawStateW(hDC, nullptr, nullptr, (LPARAM)hd.hbm, 0, x, y, bm.bmWidth,
                             bm.bmHeight, DST_BITMAP);
                r.left = x + bm.bmWidth;
            }
        }
    }

    CGridColumn* pColumn = GetColumnObject((int)lpDis->itemID);
    if (HasOption(kGridDrawHeader) && pColumn != nullptr && pColumn->m_nSortMark != 0)
    {
        const int h = 3 * ::GetSystemMetrics(SM_CYSMICON) / 4;
        const int w = ((::GetSystemMetrics(SM_CXSMICON) / 2) + 1) & ~1;
        r.left += 1;
        int top = r.top, bottom = r.bottom;
        if (r.bottom - r.top > h)
        {
            top = r.top + (r.bottom - r.top - h) / 2;
            bottom = top + h;
        }
        const int x = r.left;
        const int head = w / 2;
        POINT pts[7];
        if (pColumn->m_nSortMark == 1)
        { // ascending: pointing down
            pts[0] = {x + 3 * w / 8, top};
            pts[1] = {x + 5 * w / 8, top};
            pts[2] = {x + 5 * w / 8, bottom - head};
            pts[3] = {x + w, bottom - head};
            pts[4] = {x + w / 2, bottom};
            pts[5] = {x, bottom - head};
            pts[6] = {x + 3 * w / 8, bottom - head};
        }
        else
        {
            pts[0] = {x + 3 * w / 8, bottom};
            pts[1] = {x + 5 * w / 8, bottom};
            pts[2] = {x + 5 * w / 8, top + head};
            pts[3] = {x + w, top + head};
            pts[4] = {x + w / 2, top};
            pts[5] = {x, top + head};
            pts[6] = {x + 3 * w / 8, top + head};
        }
        HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_GRAYTEXT));
        HBRUSH brush = ::CreateSolidBrush(::GetSysColor(COLOR_WINDOWTEXT));
        HGDIOBJ oldPen = ::SelectObject(hDC, pen);
        HGDIOBJ oldBrush = ::SelectObject(hDC, brush);
        ::Polygon(hDC, pts, 7);
        ::SelectObject(hDC, oldPen);
        ::SelectObject(hDC, oldBrush);
        ::DeleteObject(pen);
        ::DeleteObject(brush);
        r.left += w;
    }

    if (hd.fmt & HDF_STRING)
    {
        SIZE space = {};
        ::GetTextExtentPoint32W(hDC, L" ", 1, &space);
        r.left += space.cx;
        r.right -= space.cx;
        UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
        if (hd.fmt & HDF_CENTER)
            format |= DT_CENTER;
        else if (hd.fmt & HDF_RIGHT)
            format |= DT_RIGHT;
        if (themed &&
            m_headerTheme.DrawThemeText(hDC, HP_HEADERITEM, pressed ? HIS_PRESSED : HIS_NORMAL,
                                        text, -1, format, 0, &r))
            return;
        const COLORREF oldColor = ::SetTextColor(hDC, ::GetSysColor(COLOR_BTNTEXT));
        const int oldMode = ::SetBkMode(hDC, TRANSPARENT);
        ::DrawTextW(hDC, text, -1, &r, format);
        ::SetBkMode(hDC, oldMode);
        ::SetTextColor(hDC, oldColor);
    }
}
