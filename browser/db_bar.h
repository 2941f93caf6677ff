// CDBBar: the docking "Database" bar on the left of the main window (bar id 109). Its only child
// is the tab control with the object trees, which fills the whole client area.
#pragma once

#include "browser/db_tab_ctrl.h"
#include "controls/sizing_vs2015_bar.h"

class CDBBar : public CSizingVS2015Bar
{
    DECLARE_DYNAMIC(CDBBar)

public:
    CDBBar();
    ~CDBBar() override;

    // bShow: re-activate the current tab (filling its tree when empty); false: clear every tree.
    void Refresh(bool bShow);
    // Empties and refills the tree of the visible tab.
    void RefreshCurrent();

    CDBTabCtrl& GetTabCtrl() { return m_tabCtrl; }

protected:
    CDBTabCtrl m_tabCtrl;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    // Widens the default size so that the tabs need not shorten their titles.
    void FitTabTitles();
    DECLARE_MESSAGE_MAP()
};
