// The popup menus of the child windows (grid and script) look like the main menu: the child
// frame hands their owner-draw messages to the main window's menu painter.
#pragma once

#include "framework/ui.h"

// False when the item is not a menu item or there is no main window: the caller's base
// handles it then.
bool MeasureChildMenuItem(CWnd* pWnd, LPMEASUREITEMSTRUCT lpMIS);
bool DrawChildMenuItem(LPDRAWITEMSTRUCT lpDIS);
bool ChildMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu, LRESULT& result);
// Converts a popup about to open to owner-drawn items (after the frame's command updates).
void InitChildMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
