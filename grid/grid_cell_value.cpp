// CRGrid: the text of one cell of the cursor's current row.
#include "grid/grid.h"
#include "grid/cell_text.h"

bool CRGrid::FormatCellValue(int nColumn, CGridItem& item)
{
    CGridColumn* pColumn = GetColumnObject(nColumn);
    if (pColumn == nullptr || m_pCursor == nullptr)
        return true;
    FormatCursorValue(m_pCursor, pColumn->m_nCursorColumn, pColumn->m_nDisplayKind,
                      pColumn->m_strFormat, pColumn->m_strFormat2, m_bShowMarkers != 0, item);
    return true;
}
