#include "controls/window_helpers.h"

bool CreateWindowOfClass(CWnd* window, LPCTSTR className, DWORD style, const RECT& rect,
                         CWnd* parent, UINT id)
{
    if (window == nullptr)
        return false;
    if (className == nullptr)
        className = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, nullptr,
                                        (HBRUSH)(COLOR_WINDOW + 1), nullptr);
    return window->Create(className, nullptr, style, rect, parent, id) != FALSE;
}

bool CreateInPlaceComboBox(CWnd* combo, DWORD style, const RECT& cellRect, CWnd* parent, UINT id)
{
    if (combo == nullptr || parent == nullptr || parent->GetSafeHwnd() == nullptr)
        return false;
    CRect rect(cellRect);
    const int cellHeight = rect.Height();
    if (rect.top > 0)
        rect.top -= 1;
    rect.bottom += 4 * cellHeight;
    if (!combo->Create(L"COMBOBOX", nullptr, style, rect, parent, id))
        return false; // the object may have deleted itself with its window
    HFONT font = (HFONT)parent->SendMessage(WM_GETFONT);
    combo->SendMessage(WM_SETFONT, (WPARAM)font, TRUE);
    return true;
}

void GetContextMenuPoint(CWnd* window, int& x, int& y)
{
    HWND hWnd = window != nullptr ? window->GetSafeHwnd() : nullptr;
    if (hWnd == nullptr)
        return;
    CRect client;
    ::GetClientRect(hWnd, &client);
    ::MapWindowPoints(hWnd, nullptr, (LPPOINT)&client, 2);
    if (client.PtInRect(CPoint(x, y)))
        return;
    CPoint centre = client.CenterPoint();
    x = centre.x;
    y = centre.y;
}

void GetContextMenuPoint(CWnd* window, CPoint& point)
{
    int x = point.x, y = point.y;
    GetContextMenuPoint(window, x, y);
    point.x = x;
    point.y = y;
}
