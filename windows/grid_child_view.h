// CGridChildView: the grid of a grid window. It answers the grid's questions to its owner (may a
// row be found by its values, confirm a delete, make a wait indicator) and carries the columns
// dialog and the long-value editor.
#pragma once

#include "grid/grid.h"

class CRDatabaseHelper;

class CGridChildView : public CRGrid
{
public:
    explicit CGridChildView(UINT nKind = 0) : m_nKind(nKind) {}

    void OrderColumns(LPCWSTR pszTitle) override { ShowOrderDialog(pszTitle); }
    bool CanUseValueKey() override;
    bool UseCursorForEdit(UINT nMask) override;
    bool ConfirmDelete() override;
    void TellCutValue(LPCWSTR pszColumnName, bool bRow) override;
    // Before the first edit of a window whose rows no key identifies, says so and asks; a read-only
    // result it refuses with a word why.
    bool ConfirmRowEdit(int nRow) override;
    // A column of a query's result that is no column of its table is refused with a word why.
    bool ConfirmColumnEdit(int nColumn) override;
    // 0 when a saved row of this window is found by a key (the primary key's columns are all in
    // the result) or by the cursor's position where the driver changes rows there; else the
    // string id of the notice that says how it is found instead, or, for a result saved at the
    // cursor's position that the driver would not open updatable, that it cannot be edited.
    UINT NoKeyNotice();
    bool HasUsableKey() { return NoKeyNotice() == 0; }
    void CreateWait(IWait*& pWait) override;
    virtual void ShowColumnsDialog(LPCWSTR pszTitle);

    // Character columns (and SQL Server's xml) are edited in the long-value dialog.
    static bool CanEditAsText(CRDatabaseHelper* pHelper, Zelt::ICursor* pCursor, UINT nColumn);
    void EditValue(CRDatabaseHelper* pHelper);
    void CopyValue();

    UINT m_nKind;
    bool m_bKeylessEditAccepted = false; // the notice was answered Yes
    // A query's result whose rows the driver does not change at its cursor (PostgreSQL, SQLite): keyed
    // by its table's primary key (in m_primaryKey), or, when it cannot be, why (see
    // FindResultKey), said instead of editing.
    bool m_bResultKeyed = false;
    CString m_strNoEditReason;

protected:
    bool DriverUpdatesAtCursor();
    // The driver reads the window's result read-only although an updatable cursor was asked.
    bool IsReadOnlyResult();
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    DECLARE_MESSAGE_MAP()
};
