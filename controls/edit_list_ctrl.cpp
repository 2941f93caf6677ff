#include "controls/edit_list_ctrl.h"

#include "controls/header_fit.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CREditListCtrl, CRListCtrl)

BEGIN_MESSAGE_MAP(CREditListCtrl, CRListCtrl)
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_MOUSEHWHEEL()
END_MESSAGE_MAP()

BOOL CREditListCtrl::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= LVS_REPORT;
    return CRListCtrl::PreCreateWindow(cs);
}

bool CREditListCtrl::ReadColumnOrder(std::vector<int>& order)
{
    HWND hHeader = ::GetDlgItem(m_hWnd, 0);
    if (hHeader == nullptr)
        return false;
    const int count = (int)::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0);
    if (count < 0)
        return false;
    order.assign(count, 0);
    if (count == 0)
        return true;
    return SendMessage(LVM_GETCOLUMNORDERARRAY, count, (LPARAM)order.data()) != 0;
}

int CREditListCtrl::CellFromPoint(POINT pt, int* pRow, int* pColumn)
{
    const int first = (int)SendMessage(LVM_GETTOPINDEX);
    const int last =
        std::min(first + (int)SendMessage(LVM_GETCOUNTPERPAGE), (int)SendMessage(LVM_GETITEMCOUNT));
    std::vector<int> order;
    if (!ReadColumnOrder(order))
        return -1;
    if (order.empty())
        return 0;
    // The last row may be partly visible: it is included.
    for (int row = first; row <= last; ++row)
    {
        RECT bounds = {LVIR_BOUNDS};
        if (!SendMessage(LVM_GETITEMRECT, row, (LPARAM)&bounds) || !::PtInRect(&bounds, pt))
            continue;
        int x = bounds.left;
        for (int column : order)
        {
            const int w = (int)SendMessage(LVM_GETCOLUMNWIDTH, column);
            if (pt.x >= x && pt.x <= x + w)
            {
                if (pRow != nullptr)
                    *pRow = row;
                if (pColumn != nullptr)
                    *pColumn = column;
                return 1;
            }
            x += w;
        }
    }
    return 0;
}

bool CREditListCtrl::GetCellRect(int nRow, int nColumn, RECT* pRect)
{
    if (!SendMessage(LVM_ENSUREVISIBLE, nRow, FALSE))
        return false;
    LVITEMW select = {};
    select.state = select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(LVM_SETITEMSTATE, nRow, (LPARAM)&select);

    std::vector<int> order;
    if (!ReadColumnOrder(order) || nColumn < 0 || nColumn >= (int)order.size())
        return false;
    const int w = (int)SendMessage(LVM_GETCOLUMNWIDTH, nColumn);
    if (w < 5)
        return false; // too narrow to edit in
    int offset = 0;
    for (int column : order)
    {
        if (column == nColumn)
            break;
        offset += (int)SendMessage(LVM_GETCOLUMNWIDTH, column);
    }

    RECT r = {LVIR_BOUNDS};
    if (!SendMessage(LVM_GETITEMRECT, nRow, (LPARAM)&r))
        return false;
    RECT c;
    ::GetClientRect(m_hWnd, &c);
    const int left = r.left + offset;
    const int right = left + w;
    if (left < c.left || left > c.right || right < c.left || right > c.right)
    {
        SendMessage(LVM_SCROLL, left, 0);
        r.left = LVIR_BOUNDS;
        SendMessage(LVM_GETITEMRECT, nRow, (LPARAM)&r);
    }
    RECT out;
    out.left = std::max(r.left + offset + 4, c.left);
    out.right = std::min(r.left + offset + w + 1, c.right);
    out.top = r.top;
    out.bottom = r.bottom;
    if (pRect != nullptr)
        *pRect = out;
    return true;
}

void CREditListCtrl::AutoSizeColumns()
{
    HWND hHeader = (HWND)SendMessage(LVM_GETHEADER);
    if (hHeader == nullptr)
        return;
    const int count = (int)::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
    {
        SendMessage(LVM_SETCOLUMNWIDTH, i, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
        FitColumnToHeader(m_hWnd, i);
    }
}

bool CREditListCtrl::EditorHasFocus() const
{
    return m_bEditing && ::GetFocus() != m_hWnd;
}

void CREditListCtrl::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (EditorHasFocus())
        ::SetFocus(m_hWnd); // ends the edit
    CRListCtrl::OnVScroll(nSBCode, nPos, pScrollBar);
}

void CREditListCtrl::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (EditorHasFocus())
        ::SetFocus(m_hWnd);
    CRListCtrl::OnHScroll(nSBCode, nPos, pScrollBar);
}

BOOL CREditListCtrl::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    if (EditorHasFocus())
        return TRUE;
    return CRListCtrl::OnMouseWheel(nFlags, zDelta, pt);
}

void CREditListCtrl::OnMouseHWheel(UINT nFlags, short zDelta, CPoint pt)
{
    if (EditorHasFocus())
        return;
    CRListCtrl::OnMouseHWheel(nFlags, zDelta, pt);
}
