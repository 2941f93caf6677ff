// The cell cache: a window of whole rows (at most m_nCacheSize) that grows in place and otherwise
// recentres on the requested row, moving the rows it keeps instead of reading them again.
#include "grid/grid.h"

#include "grid/busy_connection.h"
#include "dbaccess/db_exception.h"

#include <algorithm>

void CRGrid::ClearCache()
{
    m_cache.clear();
    m_nCacheFirstRow = -1;
    m_nCacheRows = 0;
    m_nCacheColumns = 0;
}

bool CRGrid::IsInCache(int nRow, int nColumn) const
{
    return m_bUseCache && !m_cache.empty() && m_nCacheFirstRow >= 0 && nColumn >= 0 &&
           nColumn < m_nCacheColumns && nRow >= m_nCacheFirstRow &&
           nRow <= m_nCacheFirstRow + m_nCacheRows - 1;
}

bool CRGrid::CopyFromCache(int nRow, int nColumn, CGridItem& item) const
{
    if (!IsInCache(nRow, nColumn))
        return false;
    size_t index = (size_t)(nRow - m_nCacheFirstRow) * m_nCacheColumns + nColumn;
    if (index >= m_cache.size())
        return false;
    item = m_cache[index];
    return true;
}

int CRGrid::CacheWindowStart(int nRow, int nCacheRows, int nItems)
{
    int start = nRow - nCacheRows / 2;
    // The window must not run past the last item (start + rows - 1 is its last row).
    if (start >= 0 && start + nCacheRows > nItems)
        start = nItems - nCacheRows;
    if (start < 0)
        start = 0;
    return start;
}

bool CRGrid::ReadCellDirect(int nRow, int nColumn, CGridItem& item)
{
    item.Clear();
    if (m_pCursor == nullptr)
        return false;
    try
    {
        Zelt::ICursor::CStatus status;
        m_pCursor->GetStatus(status);
        if (status.nCurrentRow != nRow)
        {
            if (!m_pCursor->SetAbsolutePosition(nRow + 1) || m_pCursor->IsBOF() ||
                m_pCursor->IsEOF())
                return false;
        }
        FormatCellValue(nColumn, item);
    }
    catch (CException* e)
    {
        item.Clear();
        if (m_bShowMarkers)
        {
            item.m_strText = GetSpecialValueText(kGridException);
            item.m_nKind = kGridException;
        }
        e->Delete();
    }
    return true;
}

bool CRGrid::FillCache(int nFirstRow, bool bForce)
{
    if (m_nCacheRows <= 0 || m_nCacheColumns <= 0)
        return false;
    const int rows = m_nCacheRows;
    const int cols = m_nCacheColumns;
    const int first = m_nCacheFirstRow;
    int readFrom = 0, readTo = rows; // cache rows (relative to nFirstRow) still to read
    if (first >= 0 && !bForce)
    {
        if (nFirstRow == first)
            return true;
        if (nFirstRow < first && nFirstRow + rows > first)
        {
            const int shift = first - nFirstRow;
            for (int r = rows - 1; r >= shift; --r)
                for (int c = 0; c < cols; ++c)
                    m_cache[(size_t)r * cols + c] =
                        std::move(m_cache[(size_t)(r - shift) * cols + c]);
            readTo = shift;
        }
        else if (nFirstRow > first && nFirstRow < first + rows)
        {
            const int shift = nFirstRow - first;
            for (int r = 0; r + shift < rows; ++r)
                for (int c = 0; c < cols; ++c)
                    m_cache[(size_t)r * cols + c] =
                        std::move(m_cache[(size_t)(r + shift) * cols + c]);
            readFrom = rows - shift;
        }
    }
    m_nCacheFirstRow = nFirstRow;
    for (int r = readFrom; r < readTo; ++r)
    {
        for (int c = 0; c < cols; ++c)
        {
            CGridItem& cell = m_cache[(size_t)r * cols + c];
            if (!ReadCellDirect(nFirstRow + r, c, cell))
            {
                // Rows past the end stay empty; the whole fill stops here.
                for (int rr = r; rr < readTo; ++rr)
                    for (int cc = (rr == r ? c : 0); cc < cols; ++cc)
                        m_cache[(size_t)rr * cols + cc].Clear();
                return true;
            }
        }
    }
    return true;
}

bool CRGrid::GetCellText(int nRow, int nColumn, CGridItem& item)
{
    item.Clear();
    if (m_hWnd == nullptr || nRow < 0 || nRow >= GetItemCount())
        return false;
    // While a read dispatches messages the cursor belongs to that read, and while a background
    // job holds the connection a cursor read would wait for it: answer from the cache.
    if (m_nReadDepth > 0 || IsConnectionBusy())
        return CopyFromCache(nRow, nColumn, item);
    if (!m_bUseCache)
        return ReadCellDirect(nRow, nColumn, item);

    if (m_cache.empty())
    {
        const int items = GetItemCount();
        if (m_pCursor == nullptr || items <= 0 || m_columns.empty())
            return false;
        m_nCacheRows = std::min(items, m_nCacheSize);
        m_nCacheColumns = (int)m_columns.size();
        m_cache.reserve((size_t)std::min(m_nCacheSize, 1000) * m_nCacheColumns);
        m_cache.assign((size_t)m_nCacheRows * m_nCacheColumns, CGridItem());
        m_nCacheFirstRow = -1;
    }
    if (m_nCacheFirstRow < 0)
    {
        if (!FillCache(m_bForwardOnly ? 0 : nRow, true))
            return false;
        return CopyFromCache(nRow, nColumn, item);
    }
    if (IsInCache(nRow, nColumn))
        return CopyFromCache(nRow, nColumn, item);
    if (nColumn < 0 || nColumn >= m_nCacheColumns)
        return false;

    const int first = m_nCacheFirstRow;
    if (m_nCacheRows < m_nCacheSize && nRow >= first + m_nCacheRows && nRow - first < m_nCacheSize)
    {
        const int oldRows = m_nCacheRows;
        const int added = nRow - first - oldRows + 1;
        m_nCacheRows += added;
        m_cache.resize((size_t)m_nCacheRows * m_nCacheColumns);
        for (int r = oldRows; r < m_nCacheRows; ++r)
        {
            for (int c = 0; c < m_nCacheColumns; ++c)
            {
                if (!ReadCellDirect(first + r, c, m_cache[(size_t)r * m_nCacheColumns + c]))
                    break;
            }
        }
        if (IsInCache(nRow, nColumn))
            return CopyFromCache(nRow, nColumn, item);
    }

    const int start = CacheWindowStart(nRow, m_nCacheRows, GetItemCount());
    {
        CWait wait;
        FillCache(start, false);
    }
    return CopyFromCache(nRow, nColumn, item);
}
