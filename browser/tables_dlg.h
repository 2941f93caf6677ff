// The tables dialog: the tables, views or stored procedures of the connection, to open (or
// execute), inspect, rename, drop, save or join.
#pragma once

#include "browser/tables_list.h"
#include "controls/list_ctrl.h"
#include "framework/ui.h"
#include "services/db_object_array.h"

#include <vector>

class CRDatabaseHelper;

class CTablesDlg : public CDialog
{
public:
    // Reads the catalog at once; a database failure propagates as the database exception.
    CTablesDlg(CRDatabaseHelper* pHelper, int nObjectKind, CWnd* pParent);
    ~CTablesDlg() override;

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    const CDBObjectsArray& GetResult() const { return m_result; }
    const CString& GetJoinSQL() const { return m_strJoinSQL; }
    bool GetJoinShowPlan() const { return m_bJoinShowPlan; }
    // The selected rows in list order; the index of the last one, -1 when none.
    int GetSelectedObjects(CDBObjectsArray& objects);
    // The first selected row's schema and name; its index, -1 when none.
    int GetFocusedObject(CStringPair& name);
    CRListCtrl& GetList() { return m_list; }
    const std::vector<CTablesRow>& GetRows() const { return m_rows; }
    int GetSortColumn() const { return m_nSortColumn; }
    bool IsSortAscending(int nColumn) const { return m_bAscending[nColumn ? 1 : 0]; }

    // Row order for LVM_SORTITEMS: lParamSort is the dialog.
    static int CALLBACK CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
    void Join();

    // The last object chosen per kind in this run (tables, views, procedures).
    static CStringPair& LastChosen(int nObjectKind);

protected:
    void OnOK() override;
    afx_msg void OnColumnClickList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDblClkList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnInfo();
    afx_msg void OnViewText();
    afx_msg void OnViewErrors();
    afx_msg void OnRename();
    afx_msg void OnDrop();
    afx_msg void OnSave();
    afx_msg void OnJoin();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    void SortRows();
    // Columns as wide as their names and titles need, within the list.
    void FitColumns();
    // Enables the buttons that act on rows only while the list has some.
    void EnableRowButtons();
    void ShowObject(int nPage, int nKind);
    bool CopySelectedNames();
    int ProcType(int nRow) const;

    CRDatabaseHelper* m_pHelper;
    int m_nObjectKind;
    CDBObjectsArray m_result;
    CString m_strJoinSQL;
    bool m_bJoinShowPlan = false;
    CRListCtrl m_list;
    CImageList m_images;
    HICON m_hIcon = nullptr;
    int m_nSortColumn = 0;
    bool m_bAscending[2] = {true, true};
    int m_nSortDirection = 0;
    int m_nSortValue = 0;
    std::vector<CTablesRow> m_rows;
    CDBObjectsArray m_invalid;
};
