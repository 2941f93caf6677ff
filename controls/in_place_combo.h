// The drop-down list that edits one cell of a list in place. It takes the focus when created
// and ends the edit when it loses the focus: it destroys itself and sends the list's parent a
// WM_NOTIFY with LVN_ENDLABELEDITW (an NMLVDISPINFOW) that reaches the list as a reflected
// notification:
//   hdr.hwndFrom  the list; wParam the list's control id; hdr.idFrom the combo box's id
//   item.iItem / item.iSubItem  the cell
//   item.lParam   bits 0-15 the end reason (InPlaceEndReason), bits 16-31 the low 16 bits of
//                 the chosen entry's item data (0xFFFF when nothing is chosen), bits 32-63 the
//                 whole 32-bit item data (0 when nothing is chosen)
//   item.iImage   the index of the chosen entry, -1 when nothing is chosen
// Read it with GetInPlaceComboResult rather than by hand.
#pragma once

#include "controls/in_place_wnd.h"

class CInPlaceComboBox : public CInPlaceWnd
{
    DECLARE_DYNAMIC(CInPlaceComboBox)

public:
    CInPlaceComboBox(int nRow, int nColumn) : CInPlaceWnd(nRow, nColumn) {}

    // Adds an entry with its item data; the index, negative on failure.
    int AddString(LPCWSTR text, DWORD itemData);
    int SetCurSel(int nIndex);

    // Fills the end-of-edit record from the combo box's current state.
    void BuildEndRecord(NMLVDISPINFOW& info) const;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    DECLARE_MESSAGE_MAP()
};

// Reads an end-of-edit record of CInPlaceComboBox: the end reason, and whether an entry was
// chosen with its item data.
struct InPlaceComboResult
{
    int nEndReason = 0;
    bool bSelected = false;
    DWORD itemData = 0;
    int nIndex = -1;
};
InPlaceComboResult GetInPlaceComboResult(const NMLVDISPINFOW& info);
