// The Columns dialog: the grid's columns in display order, checked while shown. Moving a row
// moves the grid column at once; visibility changes on OK.
#pragma once

#include "controls/list_ctrl.h"
#include "windows/move_buttons.h"

class CGridChildView;

class CColumnsDlg : public CDialog
{
public:
    // The list of columns. Its header carries one check box that tells whether every column is
    // checked and checks or clears them all; header check boxes are not drawn by every list view
    // (Wine's has none), so the box is a header image toggled on a click, handled here since the
    // header's notifications reach only the list.
    class CColumnsListCtrl : public CRListCtrl
    {
    public:
        CGridChildView* m_pView = nullptr;
        bool CanMoveItem(int from, int to) override;
        void SetupHeaderCheck();
        bool AreAllChecked();
        void UpdateHeaderCheck();
        // The header's box was clicked: every item takes the opposite of its state.
        void OnHeaderCheck();
        bool IsHeaderChecked() const { return m_bHeaderChecked; }

    protected:
        BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
        void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
        DECLARE_MESSAGE_MAP()

        CImageList m_checkImages;
        bool m_bHeaderChecked = false;
        bool m_bSetting = false;
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
