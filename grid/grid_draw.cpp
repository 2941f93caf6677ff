// Row colours and frames through the list's custom drawing: shaded odd rows, a frame round the
// edited row and one round the current cell; and the same for owner-drawn rows.
#include "grid/grid.h"
#include "util/utility.h"

#include <algorithm>
#include <vector>

LRESULT CRGrid::CustomDraw(NMLVCUSTOMDRAW* pDraw)
{
    const DWORD stage = pDraw->nmcd.dwDrawStage;
    const int item = (int)pDraw->nmcd.dwItemSpec;
    const bool busy = m_bEditing || m_bInserting || m_bModified;
    switch (stage)
    {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if (HasOption(kGridMarkEditedRow) && (pDraw->nmcd.uItemState & CDIS_SELECTED) && busy &&
            m_nEditedRow >= 0 && m_nEditedRow == item)
            return CDRF_NOTIFYPOSTPAINT;
        if (HasOption(kGridShadeOddRows) && (item & 1))
        {
            pDraw->clrTextBk = ShiftColor(::GetSysColor(COLOR_WINDOW));
            pDraw->clrText = ::GetSysColor(COLOR_WINDOWTEXT);
        }
        return m_nCurrentColumn >= 0 ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPOSTPAINT: {
        RECT r = {LVIR_BOUNDS};
        if (SendMessage(LVM_GETITEMRECT, item, (LPARAM)&r))
        {
            CDC* pDC = CDC::FromHandle(pDraw->nmcd.hdc);
            DrawDoubleFrame(pDC, r, m_crEditFrame);
        }
        return CDRF_DODEFAULT;
    }
    case CDDS_SUBITEM | CDDS_ITEMPREPAINT:
        if (pDraw->iSubItem == m_nCurrentColumn && (pDraw->nmcd.uItemState & CDIS_FOCUS))
            return CDRF_NOTIFYPOSTPAINT | 0x00020000; // 0x00020010
        return CDRF_DODEFAULT;
    case CDDS_SUBITEM | CDDS_ITEMPOSTPAINT: {
        RECT r = pDraw->nmcd.rc;
        if (m_nCurrentColumn == 0 && r.left >= 1)
        {
            RECT bounds = {LVIR_BOUNDS};
            if (SendMessage(LVM_GETITEMRECT, item, (LPARAM)&bounds))
                r.left = std::min(r.left, bounds.left);
        }
        CDC* pDC = CDC::FromHandle(pDraw->nmcd.hdc);
        DrawDoubleFrame(
            pDC, r, BlendColors(::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_WINDOW), 96));
        return CDRF_DODEFAULT;
    }
    default: return CDRF_DODEFAULT;
    }
}

void CRGrid::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = CustomDraw((NMLVCUSTOMDRAW*)pNMHDR);
}

void CRGrid::DrawItem(LPDRAWITEMSTRUCT lpDis)
{
    HDC hDC = lpDis->hDC;
    const int item = (int)lpDis->itemID;
    const bool selected = (lpDis->itemState & ODS_SELECTED) != 0;
    COLORREF back, fore;
    if (selected)
    {
        const bool focused = ::GetFocus() == m_hWnd;
        back = ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
        fore = ::GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    }
    else
    {
        back = ::GetSysColor(COLOR_WINDOW);
        fore = ::GetSysColor(COLOR_WINDOWTEXT);
    }
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.hdc = hDC;
    draw.nmcd.dwItemSpec = (DWORD_PTR)item;
    draw.nmcd.rc = lpDis->rcItem;
    draw.nmcd.uItemState =
        (selected ? CDIS_SELECTED : 0) | ((lpDis->itemState & ODS_FOCUS) ? CDIS_FOCUS : 0);
    draw.clrText = fore;
    draw.clrTextBk = back;
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    if (CustomDraw(&draw) & CDRF_NOTIFYITEMDRAW)
    {
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        CustomDraw(&draw);
    }
    back = draw.clrTextBk;
    fore = draw.clrText;

    TEXTMETRICW tm = {};
    const int margin = ::GetTextMetricsW(hDC, &tm) ? tm.tmAveCharWidth + 1 : 5;
    HBRUSH brush = ::CreateSolidBrush(back);
    ::FillRect(hDC, &lpDis->rcItem, brush);
    ::DeleteObject(brush);
    const int oldMode = ::SetBkMode(hDC, OPAQUE);
    const COLORREF oldBack = ::SetBkColor(hDC, back);
    const COLORREF oldFore = ::SetTextColor(hDC, fore);

    const int count = (int)m_columns.size();
    std::vector<int> order(count);
    if (count > 0 && SendMessage(LVM_GETCOLUMNORDERARRAY, count, (LPARAM)order.data()))
    {
        int x = lpDis->rcItem.left;
        for (int column : order)
        {
            LVCOLUMNW lvc = {};
            lvc.mask = LVCF_WIDTH;
            if (!GetColumn(column, &lvc))
                continue;
            const int end = x + lvc.cx;
            RECT box = {x, lpDis->rcItem.top, end, lpDis->rcItem.bottom};
            if (x + margin < end)
                box.left = x + margin;
            if (end > box.left + margin)
                box.right = end - margin;
            CGridColumn* pColumn = GetColumnObject(column);
            UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
            const UINT align = pColumn ? (pColumn->m_nListFormat & LVCFMT_JUSTIFYMASK) : 0;
            if (align == LVCFMT_RIGHT)
                format |= DT_RIGHT;
            else if (align == LVCFMT_CENTER)
                format |= DT_CENTER;
            CGridItem value;
            ReadCellText(item, column, value);
            // Only the start of a long value can show in the cell: DrawText measures all it is
            // given for the ellipsis, and a cell holds up to 65,536 characters, which took
            // seconds a paint under Wine. No glyph is narrower than a pixel but marks that
            // combine with the one before; twice the box's width in characters covers those.
            const int shown = std::min(value.m_strText.GetLength(),
                                       2 * std::max(0, static_cast<int>(box.right - box.left)) + 8);
            ::DrawTextW(hDC, value.m_strText, shown, &box, format);
            x = end;
        }
    }
    if (lpDis->itemState & ODS_FOCUS)
    {
        RECT focus = lpDis->rcItem;
        focus.bottom -= 1;
        ::DrawFocusRect(hDC, &focus);
    }
    ::SetBkMode(hDC, oldMode);
    ::SetBkColor(hDC, oldBack);
    ::SetTextColor(hDC, oldFore);
}
