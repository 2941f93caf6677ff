// CMainFrame: running the Options sheet. The sheet is not built yet, so nothing is confirmed;
// the body becomes a call of CAppSettings::EditOptions when the sheet arrives.
#include "app/main_frame.h"

bool CMainFrame::RunOptionsSheet(BOOL* pbGridChanged)
{
    if (pbGridChanged != nullptr)
        *pbGridChanged = FALSE;
    return false;
}
