// The list control of the program's property and object lists: Ctrl+A selects every item.
#pragma once

#include "controls/list_ctrl.h"

class CQuenlarkListCtrl : public CRListCtrl
{
    DECLARE_DYNCREATE(CQuenlarkListCtrl)

public:
    CQuenlarkListCtrl() = default;

    BOOL PreTranslateMessage(MSG* pMsg) override;
};
