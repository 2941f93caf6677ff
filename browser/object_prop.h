// The object property lists: report lists of what the catalog knows about one object, hosted by
// the pages of the information dialog and by the constraints dialog.
//
// CDBObjProp gives every list copying of names, Select All, a context menu and export into a
// CSV, HTML or Excel file; the lists read the catalog through the database helper and drop or
// rename through its statements. Every row's item data is the index of its record, so sorting
// and deleting rows keeps the link. Implemented in object_prop.cpp (base, export, drops) and
// object_prop_lists.cpp (the five lists).
#pragma once

#include "controls/quenlark_list_ctrl.h"
#include "dbaccess/catalog.h"
#include "services/catalog_arrays.h"
#include "services/db_object_array.h"

#include <functional>
#include <vector>

class CRDatabaseHelper;
class CWaitDlg;

class CDBObjProp : public CQuenlarkListCtrl
{
public:
    // Copy flags.
    enum
    {
        copyNames = 1,
        copyTypes = 2
    };

    CDBObjProp(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind);

    virtual void InitColumns() = 0;
    virtual bool Fill(CWaitDlg* pWait) = 0;
    virtual bool CopyNames(UINT nFlags);
    virtual bool Export();
    virtual int GetExportColumnCount();
    virtual int GetExportRowCount();
    virtual CString GetExportColumnName(int nColumn);
    virtual CString GetExportItemText(int nRow, int nColumn);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    const CStringPair& GetObjectName() const { return m_name; }
    // The selected rows in list order.
    std::vector<int> GetSelectedRows() const;
    // The text the copy commands put on the clipboard (empty: nothing selected).
    virtual CString GetCopyText(UINT nFlags);
    // Whether the context menu offers names with types (sub-menu 0) or names only (1); -1: none.
    virtual int GetContextMenuIndex() const { return -1; }

protected:
    CRDatabaseHelper* m_pHelper;
    CStringPair m_name;
    int m_nKind;

    // One row's part of the copied text.
    virtual CString GetCopyPart(int nRow, UINT nFlags);
    void AddStandardStyle();
    int AddColumn(LPCWSTR pszText, int nWidth, int nFormat = LVCFMT_LEFT);
    // The client width less the vertical scroll bar.
    int GetUsableWidth();
    // Asks, then drops the objects of the rows from the last to the first behind a wait dialog;
    // answers the rows dropped (Cancel or an error keeps the rest).
    std::vector<int> RunDrop(const std::vector<int>& rows, const CString& question, UINT nFlags,
                             LPCWSTR pszProcess, const std::function<CString(int)>& name,
                             const std::function<void(int)>& drop);
    void DeleteRows(const std::vector<int>& rows);
    // The record index (item data) of the first selected row when it is below nCount, else -1.
    INT_PTR GetSelectedRecord(INT_PTR nCount) const;
    // Asks for a new name in the rename dialog and runs the statement under a wait cursor; its
    // refusal is reported. True, with the new name, when the statement succeeded.
    bool RunRename(UINT nKind, CStringPair name, LPCWSTR pszSubName,
                   const std::function<bool(const CString&)>& rename, CString& strNewName);
    // The new name in the first column of the row, that column sized to fit.
    void SetRenamedRow(int nRow, int nColumn, const CString& strNewName);
    // Called after each object of a drop run was dropped (before the next is asked for).
    virtual void OnObjectDropped(int) {}

    afx_msg void OnSelectAll();
    afx_msg void OnExport();
    afx_msg void OnCopyNames();
    afx_msg void OnCopyNamesAndTypes();
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    DECLARE_MESSAGE_MAP()
};

// The columns of a table or view.
class CTableProp : public CDBObjProp
{
public:
    CTableProp(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind, UINT bPrimaryKeys,
               UINT bForeignKeys);
    void InitColumns() override;
    bool Fill(CWaitDlg* pWait) override;
    int GetContextMenuIndex() const override { return 0; }
    bool RenameColumn();
    bool DropColumns();
    const CColumnInfoArray& GetColumnRecords() const { return m_columns; }

protected:
    CString GetCopyPart(int nRow, UINT nFlags) override;

    UINT m_bPrimaryKeys, m_bForeignKeys;
    CImageList m_images;
    CColumnInfoArray m_columns;
    int m_nName = -1, m_nType = -1, m_nSize = -1, m_nDigits = -1, m_nBufferLength = -1,
        m_nNullable = -1, m_nPrimaryKey = -1, m_nForeignKey = -1, m_nForeignKeyField = -1,
        m_nDefault = -1, m_nRemarks = -1;
};

// The parameters of a procedure or function.
class CProcedureProp : public CDBObjProp
{
public:
    CProcedureProp(CRDatabaseHelper* pHelper, const CStringPair& name);
    void InitColumns() override;
    bool Fill(CWaitDlg* pWait) override;
    int GetContextMenuIndex() const override { return 0; }

protected:
    CString GetCopyPart(int nRow, UINT nFlags) override;
    int m_nName = -1, m_nSQLType = -1, m_nIOType = -1, m_nSize = -1, m_nDigits = -1,
        m_nNullable = -1, m_nBufferLength = -1, m_nRemarks = -1;
};

// The constraints of a table, a schema or the whole database.
class CConstraintProp : public CDBObjProp
{
public:
    CConstraintProp(CRDatabaseHelper* pHelper, const CStringPair& name);
    void InitColumns() override;
    bool Fill(CWaitDlg* pWait) override;
    int GetContextMenuIndex() const override { return 1; }
    CString GetExportItemText(int nRow, int nColumn) override;
    bool RenameConstraint();
    bool DropConstraints();
    void ShowText();
    void OnColumnClick(int nColumn);
    const CDBConstraintInfoArray& GetConstraints() const { return m_constraints; }
    // The comparison of two records by a column (<0, 0, >0; descending negates).
    static int CompareRecords(const CDBConstraintInfo& a, const CDBConstraintInfo& b, int nColumn);

protected:
    CDBConstraintInfoArray m_constraints;
    CImageList m_images;
    int m_nName = 0, m_nType = 1, m_nTable = 2, m_nText = 3;
    int m_nSortColumn = 0;
    int m_bAscending = 1;

    void Sort();
};

// The triggers of a table or view.
class CTriggerProp : public CDBObjProp
{
public:
    CTriggerProp(CRDatabaseHelper* pHelper, const CStringPair& name);
    void InitColumns() override;
    bool Fill(CWaitDlg* pWait) override;
    int GetContextMenuIndex() const override { return 1; }
    bool RenameTrigger();
    bool DropTriggers();
    void ShowText();

protected:
    CString GetCopyPart(int nRow, UINT nFlags) override;
    CDBTriggerInfoArray m_triggers;
};

// The indexes of a table: grouped by index where the list view has groups, else with a Name
// column.
class CIndexProp : public CDBObjProp
{
public:
    CIndexProp(CRDatabaseHelper* pHelper, const CStringPair& name);
    void InitColumns() override;
    bool Fill(CWaitDlg* pWait) override;
    int GetExportColumnCount() override { return 5; }
    int GetExportRowCount() override { return (int)m_indexes.size(); }
    CString GetExportColumnName(int nColumn) override;
    CString GetExportItemText(int nRow, int nColumn) override;
    bool RenameIndex();
    bool DropIndexes();
    bool IsGroupView() const { return m_bGroupView; }

protected:
    bool m_bGroupView = false;
    bool m_bCenteredGroups = false;
    int m_nName = -1, m_nColumn = -1, m_nUnique = -1, m_nAscDesc = -1, m_nFilter = -1;
    std::vector<CRStatistics::CStatisticInfo> m_indexes;
};
