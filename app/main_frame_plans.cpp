// CMainFrame: the plan table on closing a connection.
#include "app/main_frame.h"

void CMainFrame::DropPlanTableIfCreated()
{
    if (IsConnected())
        m_dbHelper.DropPlanTable();
}
