// A report list whose cells are edited in place: a point-to-cell hit test, the rectangle of a
// cell for an editor, and an editing flag that scrolling and the mouse wheel respect.
#pragma once

#include "controls/list_ctrl.h"

#include <vector>

class CREditListCtrl : public CRListCtrl
{
    DECLARE_DYNCREATE(CREditListCtrl)

public:
    CREditListCtrl() = default;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

    // 1 with the cell under a client point stored, 0 when the point is on no cell, -1 when the
    // column order cannot be read. A border pixel belongs to the column on its left.
    int CellFromPoint(POINT pt, int* pRow, int* pColumn);
    // Brings the cell into view, selects and focuses its row and gives the rectangle for an
    // editor (client coordinates); false when the row cannot be shown or the column is too narrow.
    bool GetCellRect(int nRow, int nColumn, RECT* pRect);
    void AutoSizeColumns();

    // Set by derived lists while an in-place editor is open.
    bool m_bEditing = false;

protected:
    bool ReadColumnOrder(std::vector<int>& order);
    bool EditorHasFocus() const;

    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg void OnMouseHWheel(UINT nFlags, short zDelta, CPoint pt);
    DECLARE_MESSAGE_MAP()
};
