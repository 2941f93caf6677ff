// The Sort dialog: every column of a grid window with its order (None, Ascending, Descending);
// rows move with the four buttons, the order is chosen in a drop-down over its cell.
#pragma once

#include "controls/edit_list_ctrl.h"
#include "windows/move_buttons.h"
#include "windows/sort_filter_info.h"

class CRSortInfoListCtrl : public CREditListCtrl
{
public:
    explicit CRSortInfoListCtrl(CSortArray& sort) : m_sort(sort) {}

    // Opens the order drop-down over a row's Order cell (nothing while an editor is open).
    void EditOrder(int nRow);
    void SetRowOrder(int nRow, int nOrder);

protected:
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

    CSortArray& m_sort;
};

class CSortDlg : public CDialog
{
public:
    CSortDlg(CSortArray& input, CSortArray& output, CWnd* pParent);

    static CString GetOrderText(int nOrder);

    BOOL OnInitDialog() override;
    CRSortInfoListCtrl& GetList() { return m_list; }

protected:
    void OnOK() override;
    afx_msg void OnReset();
    afx_msg void OnMoveFirst() { m_list.MoveSelectedItems(true, true); }
    afx_msg void OnMoveUp() { m_list.MoveSelectedItems(true, false); }
    afx_msg void OnMoveDown() { m_list.MoveSelectedItems(false, false); }
    afx_msg void OnMoveLast() { m_list.MoveSelectedItems(false, true); }
    DECLARE_MESSAGE_MAP()

    CSortArray& m_input;
    CSortArray& m_output;
    CRSortInfoListCtrl m_list;
    CMoveButtons m_buttons;
};
