// The column order dialog: the grid's column captions in display order and two arrow buttons
// that move the selected column up or down. Every move is applied to the grid at once.
#pragma once

#include "framework/ui.h"

class CRGrid;

class COrderDlg : public CDialog
{
public:
    enum : UINT
    {
        idUp = 100,
        idDown = 101,
        idList = 102
    };

    COrderDlg();
    ~COrderDlg() override;

    // Prepares the modal dialog from an in-memory template over the grid.
    BOOL Init(LPCDLGTEMPLATE pTemplate, CRGrid* pGrid);

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // Moves the selected entry one place up (-1) or down (+1) in the grid and the list.
    bool MoveSelected(int nDirection);

    // An arrow button face: id 100 points up, 101 down; state bit 0 = pressed.
    static void DrawArrowButton(HDC hDC, const RECT& rect, UINT nState, UINT nID);

    CString m_strTitle;
    CButton m_up;
    CButton m_down;
    CListBox m_list;
    CRGrid* m_pGrid = nullptr;

protected:
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    DECLARE_MESSAGE_MAP()
};

// The dialog template the grid runs the dialog on: no controls, 200 x 150 dialog units.
// The buffer must stay alive while the dialog runs.
void BuildOrderDialogTemplate(WORD (&buffer)[12]);
