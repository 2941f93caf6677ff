// Column widths that leave room for the header's own title. A list view sizing a column "to its
// header" measures the title with less margin than the header draws it with (Wine's adds 11
// pixels where the header keeps two bitmap margins of 6), and leaves out the sort arrow: the
// header then shortens the title ("Nullab...") in a column that was meant to fit it.
#pragma once

#include <windows.h>

// The width column nColumn of the list view needs to show its header title whole: the title in
// the header's font, the header's margins on both sides and, when set or bArrowRoom, the sort
// arrow (a column that may be sorted later keeps its title whole then too).
int HeaderTitleWidth(HWND hList, int nColumn, bool bArrowRoom = false);

// Widens the column to HeaderTitleWidth when it is narrower; never narrows it.
void FitColumnToHeader(HWND hList, int nColumn);

// FitColumnToHeader for every column of the list view.
void FitColumnsToHeaders(HWND hList);
