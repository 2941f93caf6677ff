// The object trees of the database bar: tables, views, procedures (with functions and packages)
// and triggers, grouped by schema. A tree is filled once on demand and then refreshed per schema
// node; its items carry the object kind, and its context menus are trimmed to what the connected
// product can do.
//
// Layout: root items are schema nodes (text: the schema as the catalog gave it, image 3, data 0);
// their children are object items (text: the name). An item is an object exactly when it has a
// parent. The members are implemented in db_tree_ctrl.cpp (base, mouse and keys),
// db_tree_fill.cpp (fill and schema refresh) and db_tree_commands.cpp (menus and commands).
#pragma once

#include "framework/ui.h"

#include "controls/menu_painter.h"
#include "services/catalog_arrays.h"
#include "services/db_object_array.h"

#include <functional>
#include <string>
#include <unordered_map>

class CRDatabaseHelper;
class CWaitHolder;

// Images of the bar's shared image list.
enum DBOImage
{
    DBOIMG_TABLES_TAB = 0,
    DBOIMG_VIEWS_TAB = 1,
    DBOIMG_PROCS_TAB = 2,
    DBOIMG_SCHEMA = 3,
    DBOIMG_TABLE = 4,
    DBOIMG_VIEW = 5,
    DBOIMG_PROCEDURE = 6,
    DBOIMG_FUNCTION = 7,
    DBOIMG_INVALID_PROCEDURE = 8,
    DBOIMG_INVALID_FUNCTION = 9,
    DBOIMG_PACKAGE = 10,
    DBOIMG_INVALID_PACKAGE = 11,
    DBOIMG_SYSTEM_TABLE = 12,
    DBOIMG_TRIGGERS_TAB = 13,
    DBOIMG_TRIGGER = 14,
    DBOIMG_INVALID_TRIGGER = 15,
};

class CDBTreeCtrl : public CTreeCtrl
{
    DECLARE_DYNAMIC(CDBTreeCtrl)

public:
    explicit CDBTreeCtrl(CTreeCtrl* pLoadingTree);
    ~CDBTreeCtrl() override;

    // ---- Filling (db_tree_fill.cpp) --------------------------------------------------------------
    // Reads every object (of the current schema when one is chosen) into the tree.
    virtual bool Fill(CWaitHolder& wait);
    // Re-reads the objects of one schema node and merges them into the tree and the cached list.
    virtual bool RefreshSchema(HTREEITEM hSchema, CWaitHolder& wait);
    // Deletes every item; the tree counts as not filled.
    virtual void Clear();

    // ---- Commands (db_tree_commands.cpp) ---------------------------------------------------------
    virtual void Open(HTREEITEM hItem, int nMode) = 0;
    virtual void Drop(HTREEITEM hItem);
    // Tracks the tree's popup menu for the item (null: the whole tree) and runs the command.
    virtual void ShowContextMenu(HTREEITEM hItem, CPoint point);
    virtual void CopyName(HTREEITEM hItem);
    // Runs one menu command on an item (null or a schema node: the schema menu's commands), as
    // if it had been chosen from the item's context menu.
    virtual void DispatchCommand(HTREEITEM hItem, UINT nCommand) = 0;
    // The menu the item's context menu shows, trimmed for the product; the caller destroys it.
    // nPopup: the index of the popup to track.
    virtual bool BuildContextMenu(HTREEITEM hItem, CMenu& menu, int& nPopup);

    // The object kind (DBObjectKind) of an object item.
    virtual int GetObjectKind(HTREEITEM hItem) const = 0;
    // (schema of the parent node, item text).
    CStringPair GetObjectName(HTREEITEM hItem) const;
    // The schema a root node stands for: its text, or empty for the node of the objects that
    // have no schema (which shows the database's name instead of an empty label).
    CString GetSchemaText(HTREEITEM hNode) const;
    // The name as the catalog connection writes it, quoted.
    CString GetQuotedName(HTREEITEM hItem) const;
    bool IsObjectItem(HTREEITEM hItem) const { return hItem && GetParentItem(hItem) != nullptr; }
    // The root node of exactly this schema, or null.
    HTREEITEM FindSchemaNode(LPCWSTR pszSchema) const;

    UINT TrackPopupMenu(CMenu& menu, int nPopup, CPoint point);
    UINT TrackPopupMenuById(UINT nMenuID, CPoint point);
    // "Refresh" of the whole tree (no item) or of one schema node.
    void OnSchemaCommand(HTREEITEM hItem, UINT nCommand);
    void RenameObject(HTREEITEM hItem, int nKind);
    void ViewText(HTREEITEM hItem);
    void OpenSourceInSQLWindow(const CStringPair& name, int nKind);
    void ShowProperties(const CStringPair& name, int nKind, int nPage);

    void SetHelper(CRDatabaseHelper* pHelper) { m_pHelper = pHelper; }
    CRDatabaseHelper* GetHelper() const { return m_pHelper; }
    bool IsFilled() const { return m_bFilled; }
    // Schemas that got a node in the last full fill, in creation order (auto-complete words).
    virtual const CStringArray* GetSchemaList() const { return nullptr; }
    // Names of the cached objects (auto-complete words).
    virtual void GetCachedNames(CStringArray&) const {}

    // True while some tree reads the catalog: its wait dialog may run a message loop, and the
    // main window must not go away beneath it.
    static bool IsAnyFillRunning() { return s_nFilling > 0; }

    // Test hook: a command id returned instead of tracking a popup (0: track).
    static UINT s_nTestMenuCommand;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // A menu command sent to the tree runs on its selected item, as from its context menu.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    static inline int s_nFilling = 0;
    CRDatabaseHelper* m_pHelper = nullptr;
    bool m_bFilled = false;
    CRMenuPainter m_menuPainter;
    CTreeCtrl* m_pLoadingTree = nullptr;
    // While a full fill runs: the schema nodes by their exact text. Wine's tree control checks
    // the item of every message against all its items, so scanning the root items for each
    // record took seconds with a thousand schemas.
    std::unordered_map<std::wstring, HTREEITEM> m_schemaNodes;
    bool m_bSchemaIndex = false;
    // The node of the objects without a schema (SQLite, MariaDB), or null.
    HTREEITEM m_hUnnamedSchema = nullptr;

    // Placing items.
    HTREEITEM FindOrAddSchemaNode(LPCWSTR pszSchema, bool* pbAdded);
    // The label of the node of the objects without a schema.
    CString UnnamedSchemaLabel() const;
    HTREEITEM AddObjectItem(HTREEITEM hSchema, LPCWSTR pszName, int nImage, DWORD_PTR dwData);
    void DeleteChildren(HTREEITEM hItem);
    // Keeps the wait dialog painted while a long list is placed.
    void OnReadProgress(CWaitHolder& wait, INT_PTR nIndex);
    // The steps around a builder or a merge: status text, wait holder, repaint, idle text.
    bool RunFillStep(CWaitHolder& wait, UINT nStatusID, const std::function<bool()>& step);
    virtual UINT GetStatusTextID() const = 0;
    virtual bool BuildTree(CWaitHolder& wait) = 0;
    virtual bool MergeSchema(HTREEITEM hSchema, CWaitHolder& wait) = 0;
    bool CanRead() const;
    // Swaps this tree and the loading tree while a step runs.
    void ShowLoading(bool bLoading);

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    DECLARE_MESSAGE_MAP()
};

// Tables and views share the catalog record list and its fill.
class CDBTableListTreeCtrl : public CDBTreeCtrl
{
public:
    CDBTableListTreeCtrl(CTreeCtrl* pLoadingTree, int nObjectKind)
        : CDBTreeCtrl(pLoadingTree), m_nListKind(nObjectKind)
    {}
    void Clear() override;
    void Open(HTREEITEM hItem, int nMode) override;
    void OpenWithFilter(HTREEITEM hItem, int nMode, bool bFilter);
    void SaveData(HTREEITEM hItem);
    void ReadSchemaTables(LPCWSTR pszSchema, int nKind);
    const CStringArray* GetSchemaList() const override { return &m_schemas; }
    void GetCachedNames(CStringArray& names) const override;
    const CTableInfoArray& GetCachedList() const { return m_objects; }

protected:
    const int m_nListKind; // DBOBJ_TABLE or DBOBJ_VIEW
    CTableInfoArray m_objects;
    CStringArray m_schemas;

    // Reads the tables or views of a schema (null: the full-fill filter) sorted by schema and name.
    bool ReadList(LPCWSTR pszSchema, CWaitHolder& wait, CTableInfoArray& list);
    void AddListItem(HTREEITEM hSchema, const CRTables::CTableInfo& info);
    bool BuildTree(CWaitHolder& wait) override;
    bool MergeSchema(HTREEITEM hSchema, CWaitHolder& wait) override;
};

class CDBTablesTreeCtrl : public CDBTableListTreeCtrl
{
    DECLARE_DYNAMIC(CDBTablesTreeCtrl)

public:
    explicit CDBTablesTreeCtrl(CTreeCtrl* pLoadingTree);
    int GetObjectKind(HTREEITEM) const override;
    void DispatchCommand(HTREEITEM hItem, UINT nCommand) override;
    bool BuildContextMenu(HTREEITEM hItem, CMenu& menu, int& nPopup) override;

protected:
    UINT GetStatusTextID() const override;
};

class CDBViewsTreeCtrl : public CDBTableListTreeCtrl
{
    DECLARE_DYNAMIC(CDBViewsTreeCtrl)

public:
    explicit CDBViewsTreeCtrl(CTreeCtrl* pLoadingTree);
    int GetObjectKind(HTREEITEM) const override;
    void DispatchCommand(HTREEITEM hItem, UINT nCommand) override;
    bool BuildContextMenu(HTREEITEM hItem, CMenu& menu, int& nPopup) override;
    void OpenExecutionPlan(HTREEITEM hItem);

protected:
    UINT GetStatusTextID() const override;
};

class CDBProcsTreeCtrl : public CDBTreeCtrl
{
    DECLARE_DYNAMIC(CDBProcsTreeCtrl)

public:
    explicit CDBProcsTreeCtrl(CTreeCtrl* pLoadingTree);
    void Clear() override;
    void Open(HTREEITEM hItem, int nMode) override;
    int GetObjectKind(HTREEITEM hItem) const override;
    void DispatchCommand(HTREEITEM hItem, UINT nCommand) override;
    bool BuildContextMenu(HTREEITEM hItem, CMenu& menu, int& nPopup) override;
    const CStringArray* GetSchemaList() const override { return &m_schemas; }
    void GetCachedNames(CStringArray& names) const override;
    const CDBStoredProcsArray& GetCachedList() const { return m_procs; }

protected:
    CDBStoredProcsArray m_procs;
    CStringArray m_schemas;

    UINT GetStatusTextID() const override;
    bool BuildTree(CWaitHolder& wait) override;
    bool MergeSchema(HTREEITEM hSchema, CWaitHolder& wait) override;
    // The invalid objects of the kinds (Oracle, when marked); empty when a read fails.
    void ReadInvalid(CWaitHolder& wait, LPCWSTR pszSchema, std::initializer_list<int> kinds,
                     CDBObjectsArray& invalid);
    void AddProcItem(HTREEITEM hSchema, const CDBStoredProcInfo& proc, bool bInvalid);
    // Packages under their schema nodes (hInto: all under that node); answers the nodes created.
    int AddPackages(CWaitHolder& wait, LPCWSTR pszSchema, HTREEITEM hInto, HTREEITEM* phLast);
};

class CDBTriggersTreeCtrl : public CDBTreeCtrl
{
    DECLARE_DYNAMIC(CDBTriggersTreeCtrl)

public:
    explicit CDBTriggersTreeCtrl(CTreeCtrl* pLoadingTree);
    void Open(HTREEITEM hItem, int nMode) override;
    int GetObjectKind(HTREEITEM) const override;
    void DispatchCommand(HTREEITEM hItem, UINT nCommand) override;
    bool BuildContextMenu(HTREEITEM hItem, CMenu& menu, int& nPopup) override;

protected:
    UINT GetStatusTextID() const override;
    bool BuildTree(CWaitHolder& wait) override;
    bool MergeSchema(HTREEITEM hSchema, CWaitHolder& wait) override;
    // Reads the triggers (of a schema) and places them; hInto: all under that node.
    int AddTriggers(CWaitHolder& wait, LPCWSTR pszSchema, HTREEITEM hInto, HTREEITEM* phLast);
};
