// Entry points of the object dialogs the trees, the grid windows and the main frame open.
#pragma once

#include "framework/ui.h"

#include "dbaccess/sql_names.h"

class CRDatabaseHelper;

// Start pages of the object information dialog.
enum DBOPropertiesPage
{
    DBOPAGE_COLUMNS = 0,
    DBOPAGE_INDEXES = 1,
    DBOPAGE_CONSTRAINTS = 2,
    DBOPAGE_TRIGGERS = 3,
    DBOPAGE_TEXT = 4,
    DBOPAGE_PARAMETERS = 5,
    DBOPAGE_ERRORS = 6,
};

// The modal information dialog of one object, opened on a start page.
void ShowDBObjectProperties(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind,
                            int nStartPage, CWnd* pParent);
// The modal constraints dialog of a table, a schema (empty name) or the whole database (both
// empty).
void ShowConstraintsDialog(CRDatabaseHelper* pHelper, const CStringPair& name, CWnd* pParent);
