// The Go To dialog: the foreign keys of the current grid row with their referenced tables,
// columns and values; the user picks one key and the grid window opens the referenced rows.
#pragma once

#include "controls/list_ctrl.h"
#include "controls/sizable_dlg.h"
#include "dbaccess/cursor.h"

#include <vector>

class CRGrid;

// One foreign-key reference of the current row.
struct CGoToItem
{
    CString m_strKeyName;   // the foreign key's name (empty: the key shows under its table)
    CString m_strTable;     // the referencing table
    CString m_strColumn;    // the referencing column
    CString m_strValue;     // the value as shown
    CString m_strSchema;    // the referencing table's schema
    CString m_strRefSchema; // the referenced table
    CString m_strRefTable;
    CString m_strRefColumn;   // the referenced column
    CString m_strFilterValue; // the value as the filter writes it (from the cursor)
    bool m_bNull = false;
};

// The references of a grid row, one per foreign-key column whose value is not NULL. Values are
// read from the cursor, not from the display text, so dates and numbers filter exactly.
std::vector<CGoToItem> CollectGoToItems(CRGrid& grid, int nRow);
// The value of a cursor column as the filter's condition builder reads it back.
CString CursorValueText(Zelt::ICursor* pCursor, UINT nColumn, bool& bNull);

class CGoToDlg : public CRSizableDlg
{
public:
    CGoToDlg(const std::vector<CGoToItem>& items, CWnd* pParent);
    ~CGoToDlg() override;

    const std::vector<CGoToItem>& GetItems() const { return m_items; }
    bool UsesGroups() const { return m_bGroups; }
    CRListCtrl& GetList() { return m_list; }

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;
    void OnDblClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    std::vector<CGoToItem> m_items;
    CRListCtrl m_list;
    HICON m_hIcon = nullptr;
    bool m_bGroups = false;
    POINT m_offsets[3] = {};
};
