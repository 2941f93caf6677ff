// The tables dialog's way into the object information and rename dialogs.
#include "browser/tables_dlg.h"

// Until the object dialogs are built these offer nothing: Info, View text, View errors and
// Rename end quietly.
void ShowTablesDlgObjectInfo(CRDatabaseHelper*, const CStringPair&, int, int, CWnd*) {}

bool AskTablesDlgNewName(int, CStringPair&, CString&, CWnd*)
{
    return false;
}
