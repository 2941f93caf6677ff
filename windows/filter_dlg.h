// The Filter dialog: the conditions of a grid window's filter as a list of column, operation,
// value and logic, each cell edited in place, turned into the WHERE condition on OK.
#pragma once

#include "controls/edit_list_ctrl.h"
#include "controls/sizable_dlg.h"
#include "dbaccess/sql_names.h"
#include "services/catalog_arrays.h"
#include "windows/sort_filter_info.h"

class CRDatabaseHelper;

class CFilterInfoListCtrl : public CREditListCtrl
{
public:
    CFilterInfoListCtrl(CFilterArray& filter, CColumnInfoArray& columns, CForeignKeyArray& keys,
                        CRDatabaseHelper* pHelper)
        : m_filter(filter), m_columns(columns), m_keys(keys), m_pHelper(pHelper)
    {}

    // One row's four texts and its item data (the index into the array) at a list position.
    void SetRow(int nPosition, size_t nIndex);
    void FillRows();
    // Appends a new condition to the array and the list; its list position.
    int AddRow();
    // Opens the editor of a cell: 0 column, 1 operation, 2 value, 3 logic.
    void EditCell(int nRow, int nColumn);
    void DeleteSelected();

    static CString GetValueText(const CGridItem& value);

protected:
    CFilterInfo* RowInfo(int nRow);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

    CFilterArray& m_filter;
    CColumnInfoArray& m_columns;
    CForeignKeyArray& m_keys;
    CRDatabaseHelper* m_pHelper;
};

class CFilterDlg : public CRSizableDlg
{
public:
    // Reads the object's columns at once (a database error propagates) and, for a table with
    // "FKeyInFilter" on, its foreign keys (errors ignored).
    CFilterDlg(CRDatabaseHelper* pHelper, const CStringPair& name, int nObjectKind,
               const CFilterArray& filter, CWnd* pParent);
    ~CFilterDlg() override;

    static CString GetOperationText(int nOperation);
    static CString GetLogicText(int nLogic);
    // Builds the condition text of the filter from its rows; false leaves the filter unchanged.
    static bool BuildCondition(CFilterArray& filter, CRDatabaseHelper* pHelper,
                               const CColumnInfoArray& columns);

    const CFilterArray& GetFilter() const { return m_filter; }
    CFilterInfoListCtrl& GetList() { return m_list; }
    const CColumnInfoArray& GetColumns() const { return m_columns; }

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;
    afx_msg void OnAdd();
    afx_msg void OnEdit();
    afx_msg void OnDelete();
    afx_msg void OnReset();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CRDatabaseHelper* m_pHelper;
    CColumnInfoArray m_columns;
    CForeignKeyArray m_keys;
    CFilterArray m_filter;
    CFilterInfoListCtrl m_list;
    HICON m_hIcon = nullptr;
    POINT m_offsets[7] = {};
};
