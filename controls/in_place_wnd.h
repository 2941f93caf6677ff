// Editors that edit one cell of a list in place. CInPlaceWnd knows the cell and how the edit
// ended, turns Esc, Enter, Tab and Shift+Tab into an end of editing (by handing the focus back
// to the list), and deletes itself when its window goes: create editors with new and never
// delete them. CFocusWnd wraps a control inside a composite editor so that its focus loss and
// editing keys reach the editor window.
#pragma once

#include "framework/ui.h"

// How an edit ended.
enum InPlaceEndReason : int
{
    kInPlaceEnter = 0,    // Enter, or the editor lost the focus
    kInPlaceEscape = 1,   // cancelled
    kInPlaceTab = 2,      // go to the next cell
    kInPlaceShiftTab = 3, // go to the previous cell
};

class CInPlaceWnd : public CWnd
{
    DECLARE_DYNAMIC(CInPlaceWnd)

public:
    CInPlaceWnd(int nRow, int nColumn) : m_nRow(nRow), m_nColumn(nColumn) {}

    BOOL PreTranslateMessage(MSG* pMsg) override;

    int m_nRow;
    int m_nColumn;
    int m_nEndReason = kInPlaceEnter;

protected:
    void PostNcDestroy() override; // deletes the object
};

// Focus loss and the keys Esc, Enter, Tab and Ctrl+N of a control inside a composite editor are
// passed on to the editor (the control's parent).
template <class TBase>
class CFocusWnd : public TBase
{
public:
    CFocusWnd() = default;

protected:
    afx_msg void OnKillFocus(CWnd* pNewWnd)
    {
        TBase::OnKillFocus(pNewWnd);
        HWND hParent = ::GetParent(this->m_hWnd);
        if (hParent != nullptr)
            ::SendMessageW(hParent, WM_KILLFOCUS, (WPARAM)AfxGetSafeHwnd(pNewWnd), 0);
    }
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
    {
        if (nChar == VK_ESCAPE || nChar == VK_RETURN || nChar == VK_TAB)
            return;
        TBase::OnChar(nChar, nRepCnt, nFlags);
    }
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
    {
        if (nChar == VK_ESCAPE || nChar == VK_RETURN || nChar == VK_TAB ||
            (nChar == 'N' && ::GetKeyState(VK_CONTROL) < 0))
        {
            HWND hParent = ::GetParent(this->m_hWnd);
            if (hParent != nullptr)
                ::SendMessageW(hParent, WM_KEYDOWN, nChar, MAKELPARAM(nRepCnt, nFlags));
            return;
        }
        TBase::OnKeyDown(nChar, nRepCnt, nFlags);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_TEMPLATE_MESSAGE_MAP(CFocusWnd, TBase, TBase)
    ON_WM_KILLFOCUS()
    ON_WM_CHAR()
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()
