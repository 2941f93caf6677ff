// The Window menu's list of child windows, which the MDI client writes from the windows' whole
// titles: a grid window of a query is titled with its full SELECT text, and one such item would
// make the menu as wide as the screen.
#pragma once

#include "framework/core.h"

// Longest title an item of the list shows before it is cut and "..." follows.
constexpr int kWindowMenuTitleLimit = 50;

// The item text ("&1 title") with the title cut to the limit; shorter texts are returned as they
// are.
CString ShortenWindowMenuText(const CString& strItem);

// Shortens, in place, the text items of the child-window list found in the menu (ids from
// AFX_IDM_FIRST_MDICHILD on). Items already owner-drawn are left alone: they were shortened
// before they were converted.
void ShortenWindowMenuItems(HMENU hMenu);
