#include "controls/header_fit.h"

#include <algorithm>
#include <commctrl.h>

int HeaderTitleWidth(HWND hList, int nColumn, bool bArrowRoom)
{
    HWND hHeader = (HWND)::SendMessageW(hList, LVM_GETHEADER, 0, 0);
    if (hHeader == nullptr)
        return 0;
    wchar_t text[256] = {};
    HDITEMW hdi = {};
    hdi.mask = HDI_TEXT | HDI_FORMAT;
    hdi.pszText = text;
    hdi.cchTextMax = 255;
    if (!::SendMessageW(hHeader, HDM_GETITEMW, nColumn, (LPARAM)&hdi))
        return 0;
    HFONT hFont = (HFONT)::SendMessageW(hHeader, WM_GETFONT, 0, 0);
    if (hFont == nullptr)
        hFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
    HDC hdc = ::GetDC(hHeader);
    HGDIOBJ hOld = ::SelectObject(hdc, hFont);
    RECT rc = {0, 0, 0, 0};
    ::DrawTextW(hdc, text, -1, &rc, DT_CALCRECT | DT_SINGLELINE);
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(hHeader, hdc);
    int margin = (int)::SendMessageW(hHeader, HDM_GETBITMAPMARGIN, 0, 0);
    if (margin <= 0)
        margin = 3 * ::GetSystemMetrics(SM_CXEDGE);
    int width = (rc.right - rc.left) + 2 * margin;
    // The header shortens the title, not the arrow. Under Wine the arrow takes two margins and
    // about half the header's height (7 pixels at 17, 17 at 33); two thirds of it leave room.
    if (bArrowRoom || (hdi.fmt & (HDF_SORTUP | HDF_SORTDOWN)))
    {
        RECT header = {};
        ::GetClientRect(hHeader, &header);
        const int height = std::max<int>(header.bottom - header.top, rc.bottom - rc.top);
        width += 2 * margin + 2 * height / 3;
    }
    return width;
}

void FitColumnToHeader(HWND hList, int nColumn)
{
    const int needed = HeaderTitleWidth(hList, nColumn);
    const int width = (int)::SendMessageW(hList, LVM_GETCOLUMNWIDTH, nColumn, 0);
    if (needed > width)
        ::SendMessageW(hList, LVM_SETCOLUMNWIDTH, nColumn, MAKELPARAM(needed, 0));
}

void FitColumnsToHeaders(HWND hList)
{
    HWND hHeader = (HWND)::SendMessageW(hList, LVM_GETHEADER, 0, 0);
    const int count = hHeader ? (int)::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0) : 0;
    for (int i = 0; i < count; ++i)
        FitColumnToHeader(hList, i);
}
