// The base of the program's report-style lists: selection helpers, column sizing, the header
// sort arrow and moving rows (texts of every column, item data and check state travel along).
#pragma once

#include "framework/ui.h"

class CRListCtrl : public CListCtrl
{
    DECLARE_DYNCREATE(CRListCtrl)

public:
    CRListCtrl() = default;

    // The lowest selected index, or -1.
    int GetSelectedItem() const;
    // Selects, focuses and scrolls to the item; a negative index does nothing.
    void SelectItem(int nItem);
    BOOL AutoSizeColumn(int nColumn);
    void AutoSizeColumns();
    // Sets HDF_SORTUP, HDF_SORTDOWN or neither (0) on one header item, other format bits kept.
    bool SetSortArrow(int nColumn, UINT format);
    // Moves one row; `to` is the index in the list after the row was taken out.
    void MoveItem(int from, int to);
    // Moves the selected rows one place (or to the top / bottom), keeping their order.
    void MoveSelectedItems(bool bUp, bool bToEnd);

    // Asked before each move; an override may refuse it or move its own data along.
    virtual bool CanMoveItem(int from, int to);
    // Called after a row was moved.
    virtual void OnItemMoved(int from, int to);
};
