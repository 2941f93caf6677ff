// CDBTabCtrl: the tab strip of the database bar with its four object trees ("Tables", "Views",
// "Procedures", "Triggers") and a plain loading tree that stands in while a tree is filled.
// A tree is filled only when its tab is shown, the bar is visible and it is not filled yet.
#pragma once

#include "browser/db_tree_ctrl.h"
#include "controls/wnd_switch.h"

class CRDatabaseHelper;
#include "editor/colour_rules.h"

class CDBTabCtrl : public CRWndSwitch
{
    DECLARE_DYNAMIC(CDBTabCtrl)

public:
    enum
    {
        kTables = 0,
        kViews = 1,
        kProcedures = 2,
        kTriggers = 3
    };

    CDBTabCtrl();
    ~CDBTabCtrl() override;

    bool Create(CWnd* pParent);
    // Shows the tree of the tab, filling it first when needed; nothing when it is current.
    bool ActivateTab(int nIndex);
    // Empties and refills the visible tree.
    void RefreshVisible();
    // Empties every tree.
    void ClearAll();
    // The schemas and object names of the tables, views and procedures trees (filled first
    // when they are not).
    bool AddAutoCompleteWords(CRCEAutoCompleteWordArray& words);

    CDBTreeCtrl* GetTree(int nIndex);
    CTreeCtrl& GetLoadingTree() { return m_loadingTree; }
    int GetCurrentTab() const { return m_nCurrentTab; }
    // The helper the trees read through; the main frame's unless one was set before creation.
    void SetHelper(CRDatabaseHelper* pHelper) { m_pHelper = pHelper; }

protected:
    CFont m_font;
    CImageList m_images;
    CDBTablesTreeCtrl m_tablesTree;
    CDBViewsTreeCtrl m_viewsTree;
    CDBProcsTreeCtrl m_procsTree;
    CDBTriggersTreeCtrl m_triggersTree;
    CTreeCtrl m_loadingTree;
    int m_nCurrentTab = -1;
    CRDatabaseHelper* m_pHelper = nullptr;
    // Set once the window or the object goes: the trees may already be half destroyed then, and
    // the strip still activates a neighbour tab when a hosted tree's window is destroyed.
    bool m_bClosing = false;

    void RefreshTree(int nIndex);

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
