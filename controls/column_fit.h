// Column widths of a report list that fit its content within the list's own width: no column
// wider than its longest text needs, no horizontal scroll bar while everything fits, and no
// header title cut while the list has room for the titles.
#pragma once

#include <windows.h>

#include <vector>

// Shares nAvailable pixels among columns that each want wanted[i] and need at least least[i].
// When every wish fits, each column gets it and the last one also takes what is left over.
// When not, the widest columns are cut to one common width, none below its least width; when
// even the least widths do not fit, the columns get those (the list scrolls then).
std::vector<int> ShareColumnWidths(const std::vector<int>& wanted, const std::vector<int>& least,
                                   int nAvailable);

// Sizes every column of the report list view to its content and header title, shared within
// the list's client width (less a vertical scroll bar the rows will need). Bit i of
// nSortableColumns: column i may show a sort arrow, whose room its title keeps.
void FitColumnsToList(HWND hList, unsigned nSortableColumns = 0);
