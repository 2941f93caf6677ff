// The editing state machine: a row enters edit mode when a cell editor opens on it (or when a
// new row is appended), collects the values the editors return, and leaves it by commit, cancel
// or a new load. Deleting works on an idle grid only.
#include "grid/grid.h"
#include "grid/grid_edit.h"

#include "dbaccess/mem_cursor.h"

#include <algorithm>
#include <climits>
#include <memory>

bool CRGrid::PrepareEditCell(int nRow, int nColumn, RECT* pRect, CGridItem* pValue)
{
    if (!ConfirmColumnEdit(nColumn))
        return false;
    CGridItem shown;
    ReadCellText(nRow, nColumn, shown);
    RECT rect = {};
    if (!GetCellRect(nRow, nColumn, &rect))
        return false;
    if (pRect != nullptr)
        *pRect = rect;
    if (!m_bInserting && !m_bModified)
    {
        for (int c = 0; c < (int)m_columns.size(); ++c)
        {
            CGridItem cell;
            if (!GetCellText(nRow, c, cell))
                return false;
            CGridColumn* pColumn = m_columns[c];
            if (pColumn == nullptr)
                continue;
            pColumn->m_bChanged = 0;
            pColumn->m_value = cell;
            pColumn->m_strSavedText = cell.m_strText;
        }
    }
    CGridColumn* pColumn = GetColumnObject(nColumn);
    if (pColumn == nullptr || pValue == nullptr)
        return true;
    *pValue = pColumn->m_value;
    if (!pValue->m_bTruncated)
        return true;
    // The grid holds only the start of this value: an editor would save that start in its place.
    NotifyEditError(nColumn, kGridErrorTooLong);
    return false;
}

CGridEdit* CRGrid::EditCell(int nRow, int nColumn)
{
    if (nColumn < 0 || nColumn >= (int)m_columns.size() || m_hWnd == nullptr || m_nReadDepth > 0 ||
        m_bEditing)
        return nullptr;
    // Another row still in edit mode is stored first; its values must not mix with this row's.
    if ((m_bInserting || m_bModified) && m_nEditedRow >= 0 && nRow != m_nEditedRow)
    {
        if (!CommitRow())
            return nullptr;
    }
    if (nRow < 0 || nRow >= GetItemCount())
        return nullptr;
    if (!m_bInserting && !m_bModified && !ConfirmRowEdit(nRow))
        return nullptr;
    RECT rect = {};
    CGridItem value;
    if (!PrepareEditCell(nRow, nColumn, &rect, &value))
        return nullptr;

    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_FMT;
    if (GetColumn(nColumn, &lvc))
    {
        if ((lvc.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
            style |= ES_RIGHT;
        else if ((lvc.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
            style |= ES_CENTER;
    }

    CGridColumn* pColumn = m_columns[nColumn];
    const UINT cursorColumn = pColumn ? pColumn->m_nCursorColumn : (UINT)nColumn + 1;
    UINT flags = 0;
    CGridEdit::CDataInterface* pSource = nullptr;
    LONGLONG limit = -1;
    try
    {
        bool nullable;
        if (pColumn != nullptr && pColumn->m_nNullable == 1)
            nullable = true;
        else if (pColumn != nullptr && pColumn->m_nNullable == 2)
            nullable = false;
        else
            nullable = m_pCursor != nullptr && m_pCursor->IsColumnNullable(cursorColumn);
        if (nullable)
            flags |= CGridEdit::flagNullBox;

        const int sqlType = m_pCursor ? m_pCursor->GetColumnSQLType(cursorColumn) : 0;
        const int cType = m_pCursor ? m_pCursor->GetColumnCType(cursorColumn) : 0;
        if (pColumn != nullptr && pColumn->m_bForeignKey && m_foreignKeys.GetSize() > 0)
        {
            flags |= CGridEdit::flagList;
            MakeFKValuesQuery(pColumn->m_strName, m_foreignKeys, m_pDatabase,
                              m_pQuoteDatabase ? m_pQuoteDatabase : m_pDatabase,
                              m_pCursor ? m_pCursor->GetQueryTimeout() : 0, pSource);
        }
        else
        {
            switch (sqlType)
            {
            case SQL_SS_TIMESTAMPOFFSET:
            case SQL_SS_TIME2:
            case SQL_DATE:
            case SQL_TIME:
            case SQL_TIMESTAMP:
            case SQL_TYPE_DATE:
            case SQL_TYPE_TIME:
            case SQL_TYPE_TIMESTAMP:
                pSource = new CRGridTimeDataInterface(sqlType);
                flags |= CGridEdit::flagList;
                break;
            case SQL_GUID:
                pSource = new CRGridGuidDataInterface;
                flags |= CGridEdit::flagList;
                break;
            }
        }
        limit = ColumnEditLimit(m_pCursor, cursorColumn);
        // A column sized beyond what an edit box holds (LONGTEXT, a gigabyte of binary) is
        // edited in the Edit Value dialog, not in place, bound or not.
        const LONGLONG size = m_pCursor ? m_pCursor->GetColumnSize(cursorColumn) : 0;
        if (cType == SQL_C_CHAR || cType == SQL_C_WCHAR)
            limit = std::max(limit, size > INT_MAX ? size : -1);
        else if (cType == SQL_C_BINARY)
        {
            limit = std::max(limit, 2 * size > INT_MAX ? 2 * size : -1);
            style |= ES_UPPERCASE;
        }
    }
    catch (CException* e)
    {
        e->Delete();
        delete pSource;
        return nullptr;
    }
    if (limit > INT_MAX)
    {
        delete pSource;
        return nullptr;
    }

    m_nCurrentColumn = nColumn;
    CGridEdit* pEdit = nullptr;
    try
    {
        pEdit = new CGridEdit(nRow, nColumn, flags, value, pSource);
    }
    catch (...)
    {
        delete pSource;
        return nullptr;
    }
    // The editor is a child of the grid; the edit mode must be in place before it opens, since
    // its end may be reported as soon as it has lost the focus.
    const int previousRow = m_nEditedRow;
    const UINT wasModified = m_bModified;
    OnBeginEdit(nRow);
    pEdit->SetToldLimit((int)limit);
    if (!pEdit->Create(style, rect, this, 1000, -1))
    {
        // No editor: leave edit mode as it was, so the grid is not left waiting for an end of
        // edit that never comes. (A window that came into being and went again deleted the
        // object itself; one that never came leaves it to us, but we cannot tell which.)
        m_bEditing = false;
        if (!m_bInserting && !wasModified)
        {
            m_bModified = 0;
            m_nEditedRow = previousRow;
            if (HasOption(kGridMarkEditedRow))
                RedrawItems(nRow, nRow);
            NotifyOwner(kGridEditCancelled);
        }
        else
        {
            NotifyOwner(kGridCellStored);
        }
        return nullptr;
    }
    return pEdit;
}

bool CRGrid::SetCellValue(int nRow, int nColumn, LPCWSTR pszText, UINT nKind)
{
    NotifyOwner(kGridCellStored);
    m_bEditing = false;
    if (pszText == nullptr)
        return false;
    return SetCellEditValue(nRow, nColumn, CGridItem(pszText, nKind, 0));
}

void CRGrid::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMLVDISPINFOW* pInfo = (NMLVDISPINFOW*)pNMHDR;
    const int row = pInfo->item.iItem;
    const int column = pInfo->item.iSubItem;
    const int reason = LOWORD(pInfo->item.lParam);
    const UINT kind = HIWORD(pInfo->item.lParam);
    const bool stored = SetCellValue(row, column, pInfo->item.pszText, kind);
    *pResult = stored ? 1 : 0;
    if (!stored)
        return;
    if (reason != kInPlaceTab && reason != kInPlaceShiftTab)
    {
        if (HasOption(kGridMarkEditedRow) && ::GetFocus() != m_hWnd && m_nEditedRow >= 0)
            RedrawItems(m_nEditedRow, m_nEditedRow);
        return;
    }

    const int count = (int)m_columns.size();
    int position = GetPositionOfColumn(column);
    if (count == 0 || position < 0)
        return;
    int targetRow = row;
    int targetPosition = -1;
    const int step = reason == kInPlaceTab ? 1 : -1;
    // Within `count` steps every position is seen once, crossing into the next (or previous)
    // row at most once.
    for (int p = position, tries = 0; tries < count; ++tries)
    {
        p += step;
        if (p >= count)
        {
            p = 0;
            ++targetRow;
        }
        else if (p < 0)
        {
            p = count - 1;
            if (--targetRow < 0)
                return; // nothing before the first row
        }
        // Tab passes over the columns a query computed: they say why only when edited.
        if (IsColumnVisible(GetColumnAtPosition(p)) &&
            ColumnNoEditReason(GetColumnAtPosition(p)).IsEmpty())
        {
            targetPosition = p;
            break;
        }
    }
    if (targetPosition < 0)
        return;
    if ((m_bInserting || m_bModified) && targetRow != m_nEditedRow)
    {
        if (!CommitRow())
            return;
    }
    if (!::IsWindow(m_hWnd))
        return;
    const int items = GetItemCount();
    if (targetRow < items)
        EditCell(targetRow, GetColumnAtPosition(targetPosition));
    else if (targetRow == items)
        InsertRow(true);
}

bool CRGrid::InsertRow(bool bOpenEditor)
{
    if (!HasOption(kGridEditable) || m_hWnd == nullptr || m_nReadDepth > 0 || m_bEditing ||
        m_bInserting || m_bModified)
        return false;
    for (CGridColumn* pColumn : m_columns)
    {
        if (pColumn != nullptr)
        {
            pColumn->m_bChanged = 0;
            pColumn->m_value.Clear();
        }
    }
    AppendItems(1);
    const int row = GetItemCount() - 1;
    if (row < 0)
        return false;
    SelectRow(row);
    m_nEditedRow = row;
    m_bModified = 0;
    m_bInserting = 1;
    NotifyOwner(kGridInsertMode);
    if (!bOpenEditor)
        return true;
    int column = GetColumnAtPosition(0);
    while (column >= 0 && column < (int)m_columns.size() && !IsColumnVisible(column))
        ++column;
    if (column < 0 || column >= (int)m_columns.size())
        return false;
    EditCell(row, column);
    return true;
}

bool CRGrid::CommitRow()
{
    if (!m_bInserting && !m_bModified)
        return false;
    CWaitCursor hourglass;
    SavedRow saved = SavedRow::Unchanged;
    const bool inserting = m_bInserting != 0;
    if (SaveRow(saved))
    {
        const int former = m_nEditedRow;
        // A row in place in the cursor (as the server holds it) is shown from there, where it
        // was: the window need not read its rows again.
        const bool statementRun = saved != SavedRow::Unchanged;
        const bool placed = saved == SavedRow::RunAndPlaced;
        ResetEditState();
        if (statementRun)
            ClearCache();
        if ((placed || HasOption(kGridMarkEditedRow)) && former >= 0 && ::IsWindow(m_hWnd))
            RedrawItems(former, former);
        NotifyRowDone(statementRun && !placed);
        if (placed && inserting && ::IsWindow(m_hWnd))
            NotifyCountChanged();
        return true;
    }
    NotifyOwner(kGridInsertMode);
    if (::IsWindow(m_hWnd))
        SelectRow(m_nEditedRow);
    return false;
}

bool CRGrid::CancelEdit()
{
    if (!HasOption(kGridEditable) || m_nEditedRow < 0 || !(m_bInserting || m_bModified) ||
        m_hWnd == nullptr)
        return false;
    const int row = m_nEditedRow;
    const bool modified = m_bModified != 0;
    const bool inserting = m_bInserting != 0;
    m_nEditedRow = -1;
    if (inserting)
    {
        if (!RemoveItem(row))
        {
            m_nEditedRow = row;
            return false;
        }
        if (row > 0)
            SelectRow(row - 1);
    }
    ResetEditState();
    // The row shows its saved values again.
    if (!inserting)
        ShowCellText(row);
    if (modified && HasOption(kGridMarkEditedRow))
        RedrawItems(row, row);
    NotifyOwner(kGridEditCancelled);
    return true;
}

bool CRGrid::DeleteRow()
{
    if (!HasOption(kGridEditable) || m_bEditing || m_bInserting || m_bModified ||
        m_hWnd == nullptr || m_nReadDepth > 0)
        return false;
    const int row = GetSelectedItem();
    if (row < 0 || !ConfirmRowEdit(row) || !ConfirmDelete())
        return false;
    CWaitCursor hourglass;
    if (!DeleteRowFromDB(row))
        return true; // reported by the save code
    // A memory cursor lets the row go, and the rows after it move up as the list's items do;
    // any other cursor still holds it, and the window reads its rows again.
    auto* pMem = dynamic_cast<Zelt::CMemCursor*>(m_pCursor);
    const bool removed = pMem != nullptr && pMem->RemoveRow(row);
    ClearCache();
    RemoveItem(row);
    NotifyRowDone(!removed);
    if (removed && ::IsWindow(m_hWnd))
        NotifyCountChanged();
    if (::IsWindow(m_hWnd))
        SelectRowClamped(row);
    return true;
}
