// The popup menus of the child windows (grid and script) look like the main menu: the child
// frame hands their owner-draw messages to the main window's menu painter.
#pragma once

#include "framework/ui.h"

// A child frame whose popup menus the main window's menu painter draws; without a main
// window (or for items that are no menu items) the messages go on to the ordinary child frame.
class CMenuPaintingChildWnd : public CMDIChildWnd
{
    DECLARE_DYNAMIC(CMenuPaintingChildWnd)

protected:
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    // Converts a popup about to open to owner-drawn items (after the frame's command updates).
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);

    DECLARE_MESSAGE_MAP()
};
