// CMainFrame: the plan table on closing a connection. The plan commands that create the table are
// not built yet, so there is nothing to drop; the body is replaced when they arrive.
#include "app/main_frame.h"

void CMainFrame::DropPlanTableIfCreated() {}
