// The Columns dialog: the grid's columns in display order, checked while shown. Moving a row
// moves the grid column at once; visibility changes on OK.
#pragma once

#include "controls/list_ctrl.h"
#include "windows/move_buttons.h"

class CGridChildView;

class CColumnsDlg : public CDialog
{
public:
    class CColumnsListCtrl : public CRListCtrl
    {
    public:
        CGridChildView* m_pView = nullptr;
        bool CanMoveItem(int from, int to) override;
    };

    explicit CColumnsDlg(CGridChildView* pView);

    BOOL OnInitDialog() override;
    CColumnsListCtrl& GetList() { return m_list; }

    CString m_strTitle;

protected:
    void OnOK() override;
    afx_msg void OnMoveFirst() { m_list.MoveSelectedItems(true, true); }
    afx_msg void OnMoveUp() { m_list.MoveSelectedItems(true, false); }
    afx_msg void OnMoveDown() { m_list.MoveSelectedItems(false, false); }
    afx_msg void OnMoveLast() { m_list.MoveSelectedItems(false, true); }
    DECLARE_MESSAGE_MAP()

    CGridChildView* m_pView;
    CColumnsListCtrl m_list;
    CMoveButtons m_buttons;
};
