#include "controls/in_place_wnd.h"

IMPLEMENT_DYNAMIC(CInPlaceWnd, CWnd)

BOOL CInPlaceWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN &&
        (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN || pMsg->wParam == VK_TAB))
    {
        if (pMsg->wParam == VK_ESCAPE)
            m_nEndReason = kInPlaceEscape;
        else if (pMsg->wParam == VK_TAB)
            m_nEndReason = ::GetKeyState(VK_SHIFT) < 0 ? kInPlaceShiftTab : kInPlaceTab;
        // Handing the focus back ends the edit, and the editor may destroy (and delete) itself
        // before SetFocus returns: nothing of the object is touched after it.
        HWND hParent = ::GetParent(m_hWnd);
        ::SetFocus(hParent);
        return TRUE;
    }
    return CWnd::PreTranslateMessage(pMsg);
}

void CInPlaceWnd::PostNcDestroy()
{
    delete this;
}

// The wrapped controls of the composite editors.
template class CFocusWnd<CEdit>;
template class CFocusWnd<CButton>;
template class CFocusWnd<CListBox>;
