// CMainFrame: what the frame does with its grid and script windows. The windows themselves are
// not built yet: until they are, there is never a child to close, refresh or save, and a script
// file cannot be opened. The bodies below are replaced when the child windows arrive.
#include "app/main_frame.h"

bool CMainFrame::CloseAllChildren(bool)
{
    return true;
}

void CMainFrame::OpenSQLWindow(LPCWSTR, int, LPCWSTR, LPCWSTR) {}

void CMainFrame::CloseGridCursors() {}

void CMainFrame::RefreshGridWindows() {}

void CMainFrame::ApplyOptionsToChildren(bool) {}

void CMainFrame::AutoSaveScripts() {}
