// CDBOPropertiesDlg "<name> information": the tabbed, resizable information dialog of one
// object, and its pages (columns, indexes, constraints, triggers, source text, parameters,
// compile errors). A page reads the catalog when it is first shown and again after another
// page changed the object.
#pragma once

#include "browser/object_dialogs.h"
#include "browser/object_prop.h"
#include "controls/dialog_tab_ctrl.h"
#include "controls/sizable_dlg.h"
#include "controls/tab_dialog.h"

class CRDatabaseHelper;

// A page hosting one property list with its buttons (Export, Rename, Drop, View text).
class CDBOListPage : public CRTabDialog
{
public:
    CDBOListPage(UINT nIDTemplate, CRDialogTabCtrl* pOwner, CDBObjProp* pList);
    ~CDBOListPage() override;

    bool LoadPage() override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    CDBObjProp& GetList() { return *m_pList; }

protected:
    CDBObjProp* m_pList; // owned
    POINT m_offsets[5] = {};

    // Button states after the list's columns are made.
    virtual void UpdateButtons() {}
    virtual bool Rename() { return false; }
    virtual bool Drop() { return false; }
    virtual void ViewText() {}
    void AfterChange(bool bChanged);

    afx_msg void OnExport();
    afx_msg void OnRename();
    afx_msg void OnDrop();
    afx_msg void OnViewText();
    afx_msg void OnDblClkList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnColumnClickList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};

class CTableInfoDlg : public CDBOListPage
{
public:
    CTableInfoDlg(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind, UINT bPrimaryKeys,
                  UINT bForeignKeys, CRDialogTabCtrl* pOwner);
    CTableProp& GetProp() { return static_cast<CTableProp&>(*m_pList); }

protected:
    CRDatabaseHelper* m_pHelper;
    int m_nKind;
    void UpdateButtons() override;
    bool Rename() override { return GetProp().RenameColumn(); }
    bool Drop() override { return GetProp().DropColumns(); }
};

class CTableIndexesDlg : public CDBOListPage
{
public:
    CTableIndexesDlg(CRDatabaseHelper* pHelper, const CStringPair& name, CRDialogTabCtrl* pOwner);
    CIndexProp& GetProp() { return static_cast<CIndexProp&>(*m_pList); }

protected:
    CRDatabaseHelper* m_pHelper;
    void UpdateButtons() override;
    bool Rename() override { return GetProp().RenameIndex(); }
    bool Drop() override { return GetProp().DropIndexes(); }
};

class CTableConstraintsDlg : public CDBOListPage
{
public:
    CTableConstraintsDlg(CRDatabaseHelper* pHelper, const CStringPair& name,
                         CRDialogTabCtrl* pOwner);
    CConstraintProp& GetProp() { return static_cast<CConstraintProp&>(*m_pList); }

protected:
    CRDatabaseHelper* m_pHelper;
    void UpdateButtons() override;
    bool Rename() override { return GetProp().RenameConstraint(); }
    bool Drop() override { return GetProp().DropConstraints(); }
    void ViewText() override { GetProp().ShowText(); }
};

class CTableTriggersDlg : public CDBOListPage
{
public:
    CTableTriggersDlg(CRDatabaseHelper* pHelper, const CStringPair& name, CRDialogTabCtrl* pOwner);
    CTriggerProp& GetProp() { return static_cast<CTriggerProp&>(*m_pList); }

protected:
    CRDatabaseHelper* m_pHelper;
    void UpdateButtons() override;
    bool Rename() override { return GetProp().RenameTrigger(); }
    bool Drop() override { return GetProp().DropTriggers(); }
    void ViewText() override { GetProp().ShowText(); }
};

class CProcInfoDlg : public CDBOListPage
{
public:
    CProcInfoDlg(CRDatabaseHelper* pHelper, const CStringPair& name, CRDialogTabCtrl* pOwner);
};

// A read-only text page in a colour editor: the source text of the object, coloured as SQL,
// with the editor's word-wrap menu (its choice is kept in "DBOTextWordWrap"), or its compile
// errors in plain text.
class CDBOTextDlg : public CRTabDialog
{
public:
    CDBOTextDlg(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind,
                CRDialogTabCtrl* pOwner, bool bErrors = false);
    bool LoadPage() override;
    BOOL OnInitDialog() override;
    CString GetText();
    // The page's editor window.
    CWnd* GetEditor();
    // "Line %d, position %d\n%s\n" and a blank line for each error.
    static CString FormatErrors(const CDBObjErrorsArray& errors);

protected:
    CRDatabaseHelper* m_pHelper;
    CStringPair m_name;
    int m_nKind;
    bool m_bErrors;
    POINT m_offset = {};
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};

class CDBOPropertiesDlg : public CRSizableDlg
{
public:
    CDBOPropertiesDlg(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind, int nStartPage,
                      CWnd* pParent);
    ~CDBOPropertiesDlg() override;

    BOOL OnInitDialog() override;
    CRDialogTabCtrl& GetTabCtrl() { return m_tabs; }
    // The tab index of a page (DBOPropertiesPage), -1 when it has no tab.
    int GetPageTab(int nPage) const { return m_nTabs[nPage]; }
    CRTabDialog* GetPage(int nPage);

protected:
    POINT m_offsets[2] = {};
    CRDatabaseHelper* m_pHelper;
    CStringPair m_name;
    int m_nKind;
    int m_nStartPage;
    CRDialogTabCtrl m_tabs;
    CTableInfoDlg m_columnsPage;
    CTableIndexesDlg m_indexesPage;
    CTableConstraintsDlg m_constraintsPage;
    CTableTriggersDlg m_triggersPage;
    CDBOTextDlg m_textPage;
    CProcInfoDlg m_paramsPage;
    CDBOTextDlg m_errorsPage;
    int m_nTabs[7] = {-1, -1, -1, -1, -1, -1, -1};
    HICON m_hIcon = nullptr;

    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};

// CConstraintsDlg "Table Constraints": the constraints of a table, a schema or the database.
class CConstraintsDlg : public CRSizableDlg
{
public:
    CConstraintsDlg(CRDatabaseHelper* pHelper, const CStringPair& name, CWnd* pParent);
    ~CConstraintsDlg() override;
    BOOL OnInitDialog() override;
    CConstraintProp& GetList() { return m_list; }

protected:
    CRDatabaseHelper* m_pHelper;
    CStringPair m_name;
    CConstraintProp m_list;
    POINT m_offsets[6] = {};
    HICON m_hIcon = nullptr;

    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnViewText();
    afx_msg void OnDrop();
    afx_msg void OnRename();
    afx_msg void OnExport();
    afx_msg void OnDblClkList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnColumnClickList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
