// Keys, mouse and horizontal scrolling of the grid, the selection kept on the edited row, and the
// state predicates behind the owner's menus.
#include "grid/grid.h"
#include "dbaccess/recordset.h"

#include <vector>

bool CRGrid::IsReadyForEdit() const
{
    return HasOption(kGridEditable) && !m_bEditing && !m_bInserting && !m_bModified;
}

bool CRGrid::CanUpdateRow() const
{
    return IsReadyForEdit() && m_hWnd != nullptr &&
           const_cast<CRGrid*>(this)->GetSelectedItem() >= 0;
}

bool CRGrid::CanEditValue() const
{
    return HasOption(kGridEditable) && !m_bEditing && m_hWnd != nullptr &&
           const_cast<CRGrid*>(this)->GetSelectedItem() >= 0 && m_nCurrentColumn >= 0;
}

bool CRGrid::CanCopy() const
{
    return HasOption(kGridEditable) && !m_bEditing && !m_bInserting && m_hWnd != nullptr &&
           const_cast<CRGrid*>(this)->GetSelectedItem() >= 0;
}

bool CRGrid::CanCopyValue() const
{
    return !m_bEditing && m_hWnd != nullptr && const_cast<CRGrid*>(this)->GetSelectedItem() >= 0 &&
           m_nCurrentColumn >= 0;
}

bool CRGrid::CanPaste() const
{
    return ::IsClipboardFormatAvailable(m_nClipFormatUnicode) ||
           ::IsClipboardFormatAvailable(m_nClipFormatAnsi);
}

void CRGrid::EditSelectedRow(int nColumn)
{
    if (CanUpdateRow())
        EditCell(GetSelectedItem(), nColumn < 0 ? 0 : nColumn);
}

bool CRGrid::CanUseCursorForEdit(UINT nMask)
{
    if (!UseCursorForEdit(nMask))
        return false;
    CRRecordset* pRecordset = dynamic_cast<CRRecordset*>(m_pCursor);
    if (pRecordset == nullptr)
        return false;
    try
    {
        CRDatabase* pDatabase = pRecordset->GetDatabase();
        // PostgreSQL results are read read-only (see CRRecordset::AllocStmt): the driver has no
        // server cursor to change a row at, whatever its attributes claim.
        if (pDatabase != nullptr && pDatabase->GetDBMSKind() == DBMS_POSTGRESQL)
            return false;
        if (pDatabase != nullptr && pDatabase->GetDBMSKind() == DBMS_FIREBIRD &&
            pRecordset->GetStmtCursorType() == SQL_CURSOR_STATIC)
            return false;
        return (pRecordset->GetCursorAttributes1() & nMask) == nMask;
    }
    catch (CException* e)
    {
        e->Delete();
        return false;
    }
}

BOOL CRGrid::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN || m_hWnd == nullptr || m_nReadDepth > 0 ||
        (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)))
        return CREditListCtrl::PreTranslateMessage(pMsg);
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool editable = HasOption(kGridEditable);
    const bool busy = m_bEditing || m_bInserting || m_bModified;
    switch (pMsg->wParam)
    {
    case VK_RETURN:
        if (editable && (m_bInserting || m_bModified))
        {
            const int row = m_nEditedRow;
            CommitRow();
            SelectRowClamped(row);
            return TRUE;
        }
        break;
    case VK_ESCAPE:
        if (editable)
        {
            CancelEdit();
            return TRUE;
        }
        break;
    case VK_SPACE:
        if (editable && !m_bEditing && !m_columns.empty())
        {
            const int column = m_nCurrentColumn >= 0 ? m_nCurrentColumn : GetColumnAtPosition(0);
            const int row = GetSelectedItem();
            if (row >= 0 && column >= 0)
                EditCell(row, column);
            else
                ::MessageBeep(MB_ICONHAND);
        }
        break;
    case VK_NEXT: ReadAheadPage(); break;
    case VK_END:
        if (ctrl)
            ReadToLastRow();
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (!m_bEditing && HasOption(kGridColumnScroll) && ScrollByColumn(pMsg->wParam == VK_RIGHT))
            return TRUE;
        break;
    case VK_INSERT:
        if (!shift && !ctrl && editable && IsReadyForEdit())
        {
            InsertRow(true);
            return TRUE;
        }
        if (shift && !ctrl && editable && IsReadyForEdit())
        {
            Paste();
            return TRUE;
        }
        if (ctrl && !shift && editable && CanCopy())
        {
            Copy();
            return TRUE;
        }
        break;
    case VK_DELETE:
        if (editable && !busy)
        {
            DeleteRow();
            return TRUE;
        }
        break;
    case 'C':
        if (ctrl && !shift && CanCopy())
        {
            Copy();
            return TRUE;
        }
        break;
    case 'V':
        if (ctrl && !shift && IsReadyForEdit())
        {
            Paste();
            return TRUE;
        }
        break;
    }
    return CREditListCtrl::PreTranslateMessage(pMsg);
}

void CRGrid::OnLButtonDown(UINT nFlags, CPoint point)
{
    int row = -1, column = -1;
    const int before = m_nCurrentColumn;
    if (CellFromPoint(point, &row, &column) == 1)
        m_nCurrentColumn = column;
    CREditListCtrl::OnLButtonDown(nFlags, point);
    if (row >= 0 && before != m_nCurrentColumn && ::IsWindow(m_hWnd))
        RedrawItems(row, row);
}

void CRGrid::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    OnLButtonDown(nFlags, point);
    if (!::IsWindow(m_hWnd))
        return;
    int row = -1, column = -1;
    if (CellFromPoint(point, &row, &column) != 1)
        return;
    if ((GetItemState(row, LVIS_FOCUSED) & LVIS_FOCUSED) && column >= 0)
    {
        if (HasOption(kGridEditable) && !m_bEditing)
            EditCell(row, column);
    }
    else
    {
        SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
}

void CRGrid::OnContextMenu(CWnd*, CPoint point)
{
    CPoint client = point;
    if (point.x != -1 || point.y != -1)
    {
        ScreenToClient(&client);
        int row = -1, column = -1;
        if (CellFromPoint(client, &row, &column) == 1 && column != m_nCurrentColumn)
        {
            m_nCurrentColumn = column;
            RedrawItems(row, row);
        }
    }
    // The owner may show its own menu.
    Default();
}

void CRGrid::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (HasOption(kGridColumnScroll))
    {
        if (::GetFocus() != m_hWnd)
            SetFocus();
        if (nSBCode == SB_LINELEFT || nSBCode == SB_LINERIGHT)
        {
            ScrollByColumn(nSBCode == SB_LINERIGHT);
            return;
        }
    }
    CREditListCtrl::OnHScroll(nSBCode, nPos, pScrollBar);
}

bool CRGrid::GetScrollOrigin(CPoint& origin)
{
    origin = CPoint(0, 0);
    if (m_hWnd == nullptr)
        return false;
    HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
    if (hFont == nullptr)
        return false;
    bool any = false;
    SCROLLINFO si = {sizeof(si), SIF_ALL};
    if (::GetScrollInfo(m_hWnd, SB_HORZ, &si))
    {
        any = true;
        int total = 0;
        const int count = (int)m_columns.size();
        for (int c = 0; c < count; ++c)
            total += GetColumnWidth(c);
        const int range = si.nMax - si.nMin + 1;
        origin.x = range > 0 ? (total / range) * si.nPos : 0;
    }
    si = {sizeof(si), SIF_ALL};
    if (::GetScrollInfo(m_hWnd, SB_VERT, &si))
    {
        any = true;
        LOGFONTW lf = {};
        int height = 0;
        if (::GetObjectW(hFont, sizeof(lf), &lf))
            height = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
        origin.y = si.nPos * (height + 1);
    }
    return any;
}

bool CRGrid::ScrollByColumn(bool bRight)
{
    CPoint origin;
    if (!GetScrollOrigin(origin))
        return false;
    const int count = (int)m_columns.size();
    std::vector<int> order(count);
    if (count == 0 || !SendMessage(LVM_GETCOLUMNORDERARRAY, count, (LPARAM)order.data()))
        return false;
    const int x = origin.x;
    int start = 0;
    for (int p = 0; p < count; ++p)
    {
        const int width = GetColumnWidth(order[p]);
        const int end = start + width;
        if (x >= start && x < end)
        {
            int target;
            if (!bRight)
            {
                if (x == start)
                    target = p > 0 ? start - GetColumnWidth(order[p - 1]) : start;
                else
                    target = start;
                if (target > 0)
                    target -= 1;
            }
            else
            {
                target = end;
                if (x == end - 1 && p + 1 < count)
                    target += GetColumnWidth(order[p + 1]);
            }
            if (target == x || !Scroll(CSize(target - x, 0)))
                return false;
            // At the far right the list cannot move any further although it accepts the request.
            CPoint after;
            return GetScrollOrigin(after) && after.x != x;
        }
        start = end;
    }
    return false;
}

void CRGrid::OnItemChanging(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    NMLISTVIEW* pInfo = (NMLISTVIEW*)pNMHDR;
    const UINT gained = pInfo->uNewState & ~pInfo->uOldState;
    if (m_bEditing && m_nEditedRow >= 0 && pInfo->iItem >= 0 && pInfo->iItem != m_nEditedRow &&
        pInfo->iSubItem == 0 && (pInfo->uChanged & LVIF_STATE) &&
        (gained & (LVIS_SELECTED | LVIS_FOCUSED)))
    {
        if (!(GetItemState(m_nEditedRow, LVIS_SELECTED) & LVIS_SELECTED))
            SelectRow(m_nEditedRow);
        *pResult = 1;
    }
}

void CRGrid::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    NMLISTVIEW* pInfo = (NMLISTVIEW*)pNMHDR;
    // An owner-data list asks nothing before a change (no LVN_ITEMCHANGING): while a cell editor
    // is open the selection goes back to the edited row afterwards instead.
    if (m_bEditing && m_nEditedRow >= 0 && pInfo->iItem >= 0 && pInfo->iItem != m_nEditedRow &&
        pInfo->iSubItem == 0 && (pInfo->uChanged & LVIF_STATE) &&
        (pInfo->uNewState & LVIS_SELECTED) && !(pInfo->uOldState & LVIS_SELECTED))
    {
        SelectRow(m_nEditedRow);
        return;
    }
    if (m_nEditedRow >= 0 && pInfo->iItem >= 0 && pInfo->iItem != m_nEditedRow &&
        pInfo->iSubItem == 0 && (pInfo->uChanged & LVIF_STATE) &&
        (pInfo->uNewState & LVIS_SELECTED) && !m_bCommitPosted)
    {
        // Committing may make the owner read everything again, which deletes every item: never
        // inside the list's own notification. The commit runs once the notification is over.
        m_bCommitPosted = PostMessage(WM_GRID_DEFERRED_COMMIT) != FALSE;
    }
}

LRESULT CRGrid::OnDeferredCommit(WPARAM, LPARAM)
{
    m_bCommitPosted = false;
    if (m_nReadDepth > 0 || m_bEditing || m_nEditedRow < 0 || !(m_bInserting || m_bModified))
        return 0;
    const int selected = GetSelectedItem();
    if (selected == m_nEditedRow)
        return 0; // the user came back to the edited row
    CommitRow();
    return 0;
}
