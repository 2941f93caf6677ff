// CCmdUI: one user-interface item (menu item, dialog control, later toolbar button or status
// pane) whose state is brought up to date by an ON_UPDATE_COMMAND_UI handler.
#pragma once

#include "framework/cmd_target.h"

class CMenu;
class CWnd;

class CCmdUI
{
public:
    CCmdUI();
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;           // menu item index or control index
    CMenu* m_pMenu = nullptr;    // the popup when the item is a menu item
    CMenu* m_pSubMenu = nullptr; // the item's own popup, when it opens one
    CWnd* m_pOther = nullptr;    // the control (dialog control, control bar) otherwise
    UINT m_nIndexMax = 0;        // number of items being updated
    CMenu* m_pParentMenu = nullptr;
    BOOL m_bEnableChanged = FALSE; // a handler called Enable
    BOOL m_bContinueRouting = FALSE;

    // Control bars derive their own item kinds and override these.
    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1); // 0 clear, 1 checked, 2 indeterminate
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCTSTR lpszText);

    // Lets the handler pass the update on to the next target in the route.
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks pTarget's handlers to update this item; with bDisableIfNoHndler an item for which no
    // command handler exists is disabled. Answers whether some handler dealt with it.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
};

// Updates the items of a popup menu through pTarget's handlers (on WM_INITMENUPOPUP).
void AfxUpdateMenuCommandUI(CCmdTarget* pTarget, CMenu* pPopup, BOOL bDisableIfNoHndler);
