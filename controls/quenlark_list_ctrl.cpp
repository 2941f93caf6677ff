#include "controls/quenlark_list_ctrl.h"

IMPLEMENT_DYNCREATE(CQuenlarkListCtrl, CRListCtrl)

BOOL CQuenlarkListCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'A' && ::GetKeyState(VK_CONTROL) < 0 &&
        (GetStyle() & LVS_SINGLESEL) == 0)
    {
        LVITEMW lvi = {};
        lvi.state = lvi.stateMask = LVIS_SELECTED;
        SendMessage(LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&lvi);
        return TRUE;
    }
    return CRListCtrl::PreTranslateMessage(pMsg);
}
