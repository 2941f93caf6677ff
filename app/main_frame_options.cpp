// CMainFrame: running the Options sheet.
#include "app/app_settings.h"
#include "app/main_frame.h"

bool CMainFrame::RunOptionsSheet(BOOL* pbGridChanged)
{
    return theSettings.EditOptions(this, pbGridChanged);
}
