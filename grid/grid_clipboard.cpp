// CRGrid: copying the selected row to the clipboard in the grid's private format (with plain
// text beside it), copying one cell's text, and pasting a copied row as a new row.
#include "grid/grid.h"
#include "grid/clipboard_block.h"

#include "dbaccess/value_text.h"
#include "grid/busy_connection.h"
#include "util/utility.h"

#include <cwchar>

namespace {

// A movable global block holding the bytes; null on failure.
HGLOBAL MakeGlobal(const void* data, SIZE_T size, UINT flags)
{
    HGLOBAL h = ::GlobalAlloc(flags, size);
    if (h == nullptr)
        return nullptr;
    void* p = ::GlobalLock(h);
    if (p == nullptr)
    {
        ::GlobalFree(h);
        return nullptr;
    }
    if (size > 0)
        memcpy(p, data, size);
    ::GlobalUnlock(h);
    return h;
}

bool SetGlobal(UINT format, const void* data, SIZE_T size, UINT flags)
{
    HGLOBAL h = MakeGlobal(data, size, flags);
    if (h == nullptr)
        return false;
    if (::SetClipboardData(format, h) == nullptr)
    {
        ::GlobalFree(h);
        return false;
    }
    return true;
}

const UINT kClipFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;

} // namespace

bool CRGrid::Copy()
{
    if (!CanCopy())
        return false;
    const CString strCut = CutColumnName(GetSelectedItem());
    if (!strCut.IsEmpty())
    {
        TellCutValue(strCut, true);
        return false;
    }
    if (!OpenClipboardPatiently(m_hWnd))
        return false;
    if (::EmptyClipboard())
        CopyRowToClipboard();
    ::CloseClipboard();
    return true;
}

bool CRGrid::GetCellCopyText(int nRow, int nColumn, CGridItem& item)
{
    if (!GetCellText(nRow, nColumn, item))
        return false;
    CGridColumn* pColumn = GetColumnObject(nColumn);
    if (item.m_nKind != kGridValue || item.m_bTruncated || pColumn == nullptr ||
        pColumn->m_nDisplayKind != kGridShowText || m_pCursor == nullptr)
        return true;
    const UINT n = pColumn->m_nCursorColumn;
    const int cType = m_pCursor->GetColumnCType(n);
    // The row being edited holds its values itself; a cursor busy elsewhere keeps the shown
    // text.
    if ((cType != SQL_C_TIMESTAMP && cType != SQL_C_SS_TIMESTAMPOFFSET) || nRow == m_nEditedRow ||
        m_nReadDepth > 0 || IsConnectionBusy())
        return true;
    try
    {
        Zelt::ICursor::CStatus status;
        m_pCursor->GetStatus(status);
        if (status.nCurrentRow != nRow &&
            (!m_pCursor->SetAbsolutePosition(nRow + 1) || m_pCursor->IsBOF() || m_pCursor->IsEOF()))
            return true;
        CString whole;
        if (GetFieldWholeText(m_pCursor, n, whole))
            item.m_strText = whole;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    return true;
}

bool CRGrid::CopyRowToClipboard()
{
    int row = GetSelectedItem();
    if (row < 0 || m_pCursor == nullptr)
        return false;
    std::vector<CClipEntry> entries;
    for (int c = 0; c < GetColumnCount(); ++c)
    {
        CGridItem item;
        if (!GetCellCopyText(row, c, item))
            return false;
        if (item.m_bTruncated)
            return false; // a cut value would paste as a different value
        CGridColumn* pColumn = m_columns[c];
        UINT n = pColumn ? pColumn->m_nCursorColumn : static_cast<UINT>(c + 1);
        CClipEntry e;
        e.nCType = m_pCursor->GetColumnCType(n);
        e.nKind = item.m_nKind;
        e.strName = m_pCursor->GetColumnName(n);
        e.strValue = item.m_strText;
        entries.push_back(e);
    }
    std::vector<BYTE> block = WriteClipBlock(entries);
    if (!SetGlobal(m_nClipFormatUnicode, block.data(), block.size(), kClipFlags))
        return false;
    CString text = MakeClipText(entries);
    if (SetGlobal(CF_UNICODETEXT, static_cast<LPCWSTR>(text),
                  (static_cast<SIZE_T>(text.GetLength()) + 1) * sizeof(wchar_t), kClipFlags))
    {
        LCID lcid = ::GetUserDefaultLCID();
        SetGlobal(CF_LOCALE, &lcid, sizeof(lcid), GMEM_MOVEABLE | GMEM_DDESHARE);
    }
    return true;
}

CString CRGrid::CutColumnName(int nRow, int nColumn)
{
    if (nRow < 0 || m_pCursor == nullptr)
        return CString();
    for (int c = nColumn < 0 ? 0 : nColumn; c < GetColumnCount(); ++c)
    {
        CGridItem item;
        if (GetCellText(nRow, c, item) && item.m_bTruncated)
        {
            CGridColumn* pColumn = m_columns[c];
            return m_pCursor->GetColumnName(pColumn ? pColumn->m_nCursorColumn
                                                    : static_cast<UINT>(c + 1));
        }
        if (nColumn >= 0)
            break;
    }
    return CString();
}

bool CRGrid::CopyCellValue(int nRow, int nColumn)
{
    CGridItem item;
    if (!GetCellCopyText(nRow, nColumn, item))
        return false;
    if (item.m_bTruncated)
    {
        TellCutValue(CutColumnName(nRow, nColumn), false);
        return false;
    }
    return CopyTextToClipboard(m_hWnd, item.m_strText);
}

bool CRGrid::Paste()
{
    if (!HasOption(kGridEditable))
        return false;
    // A new row while another one is being edited would mix the two rows' values.
    if (m_bEditing || m_bInserting || m_bModified)
        return false;
    if (!OpenClipboardPatiently(m_hWnd))
        return false;
    bool unicode = true;
    HANDLE h = ::GetClipboardData(m_nClipFormatUnicode);
    if (h == nullptr)
    {
        unicode = false;
        h = ::GetClipboardData(m_nClipFormatAnsi);
    }
    if (h == nullptr)
    {
        ::CloseClipboard();
        return false;
    }
    // The block is copied so that the clipboard is closed before the grid changes.
    std::vector<BYTE> block;
    if (const void* p = ::GlobalLock(h))
    {
        SIZE_T size = ::GlobalSize(h);
        block.assign(static_cast<const BYTE*>(p), static_cast<const BYTE*>(p) + size);
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    if (block.empty())
        return false;
    return unicode ? PasteUnicodeRow(block.data(), block.size())
                   : PasteAnsiRow(block.data(), block.size());
}

static bool PasteEntries(CRGrid& grid, const std::vector<CClipEntry>& entries)
{
    Zelt::ICursor* cursor = grid.GetCursor();
    if (cursor == nullptr || !grid.InsertRow(false))
        return false;
    int row = grid.GetItemCount() - 1;
    if (row < 0)
        return false;
    for (const CClipEntry& e : entries)
    {
        for (int c = 0; c < grid.GetColumnCount(); ++c)
        {
            CGridColumn* pColumn = grid.m_columns[c];
            if (pColumn == nullptr)
                continue;
            UINT n = pColumn->m_nCursorColumn;
            if (_wcsicmp(cursor->GetColumnName(n), e.strName) != 0 ||
                !IsClipTypeCompatible(cursor->GetColumnCType(n), e.nCType))
                continue;
            grid.SetCellEditValue(row, c, CGridItem(e.strValue, e.nKind, 0));
            break;
        }
    }
    return true;
}

bool CRGrid::PasteUnicodeRow(const void* pBlock, SIZE_T nSize)
{
    std::vector<CClipEntry> entries;
    if (!ReadClipBlock(pBlock, nSize, true, entries))
        return false;
    return PasteEntries(*this, entries);
}

bool CRGrid::PasteAnsiRow(const void* pBlock, SIZE_T nSize)
{
    std::vector<CClipEntry> entries;
    if (!ReadClipBlock(pBlock, nSize, false, entries))
        return false;
    return PasteEntries(*this, entries);
}
