// The session time zone that timestamps of some types are read in. PostgreSQL writes a
// timestamptz in the session's zone, MariaDB and MySQL a TIMESTAMP; the driver
// hands the value over without its offset. Written back into a row condition the same text is
// read in the zone of that moment: once the session's zone has changed, it names another instant
// and finds another row. A grid notes the zone its rows were read in, and a row is identified by
// such a value only while the zone is still that one.
#pragma once

#include "framework/core.h"
#include "dbaccess/cursor.h"
#include "dbaccess/database.h"

// The zone a result's rows were read in; not known for products without such types, for results
// without such columns, or when the server did not say.
struct CReadZone
{
    bool bKnown = false;
    CString strZone;
};

// True for a column whose values are written in the session's zone. Where the driver cannot
// name the column's type (a result read into memory), every timestamp column of those products
// counts: the check it leads to only ever refuses an edit.
bool IsReadInSessionZone(const CRDatabase& db, Zelt::ICursor* cursor, UINT column);

// The session's zone as the server names it now; false for other products or on any failure.
bool ReadSessionZone(CRDatabase& db, CString& zone);

// The zone to note for a result just read: known only when it has a column read in the zone.
CReadZone NoteReadZone(CRDatabase* db, Zelt::ICursor* cursor);
