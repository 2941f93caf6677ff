// CSQLChildView: the editor of a script window, an editor window of class "RColorEditorClass"
// under CColorEditCtrl. Its context menu is the script window's.
#pragma once

#include "editor/color_edit_ctrl.h"

class CSQLChildView : public CColorEditCtrl
{
    DECLARE_DYNAMIC(CSQLChildView)

public:
    CSQLChildView() = default;

protected:
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    DECLARE_MESSAGE_MAP()
};
