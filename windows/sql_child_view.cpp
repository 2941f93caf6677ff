#include "windows/sql_child_view.h"

#include "windows/sql_child_frame.h"

IMPLEMENT_DYNAMIC(CSQLChildView, CColorEditCtrl)

BEGIN_MESSAGE_MAP(CSQLChildView, CColorEditCtrl)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

void CSQLChildView::OnContextMenu(CWnd* pWnd, CPoint point)
{
    (void)pWnd;
    if (CSQLChildFrame* pFrame = dynamic_cast<CSQLChildFrame*>(GetParent()))
        pFrame->ShowContextMenu(point);
}
