// The words the SQL editor offers for completion: the SQL-92 reserved words, then, while a
// database is connected, the names of its tables, views and procedures and its data types.
#pragma once

#include "editor/colour_rules.h"

#include <functional>

class CRDatabase;

// Empties the list and fills it, under the wait cursor. pDatabase: the open connection, or null
// when none is open (then only the reserved words). addObjectNames adds the object names (the
// database bar does, filling its trees first); it may be empty. A failure is shown in the
// standard error box; the words added before it stay. True in every case.
bool FillAutoCompleteWordList(
    CRCEAutoCompleteWordArray& words, CRDatabase* pDatabase,
    const std::function<bool(CRCEAutoCompleteWordArray&)>& addObjectNames);
