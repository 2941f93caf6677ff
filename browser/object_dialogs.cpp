// The object dialogs' entry points.
#include "browser/object_dialogs.h"

void ShowDBObjectProperties(CRDatabaseHelper*, const CStringPair&, int, int, CWnd*) {}

void ShowConstraintsDialog(CRDatabaseHelper*, const CStringPair&, CWnd*) {}
