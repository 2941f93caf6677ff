// CDBBar: the docking database bar on the left of the main window (bar id 109). For now a plain
// sizing bar with an empty client area: the object trees and their tabs are built into it here,
// and Refresh and RefreshCurrent then fill and clear them.
#pragma once

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
};
