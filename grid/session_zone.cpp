// Which values are read in the session's time zone, and which zone that is (see
// session_zone.h).
#include "grid/session_zone.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/recordset.h"

// The type name the driver gives a result column ("timestamptz", "timestamp", "datetime");
// empty when the result is not the driver's own any more.
static CString DriverTypeName(Zelt::ICursor* cursor, UINT column)
{
    auto* recordset = dynamic_cast<CRRecordset*>(cursor);
    CString name;
    if (recordset != nullptr)
        CRRecordset::ReadDriverTypeName(recordset->GetStmtHandle(), column, name);
    return name;
}

bool IsReadInSessionZone(const CRDatabase& db, Zelt::ICursor* cursor, UINT column)
{
    const UINT dbms = db.GetDBMSKind();
    if ((dbms != DBMS_POSTGRESQL && dbms != DBMS_MYSQL) ||
        cursor->GetColumnCType(column) != SQL_C_TIMESTAMP)
        return false;
    const short sqlType = cursor->GetColumnSQLType(column);
    const bool timeOfDay = sqlType == SQL_TIME || sqlType == SQL_TYPE_TIME;
    // A MariaDB TIME has no zone; a date neither.
    if (sqlType == SQL_DATE || sqlType == SQL_TYPE_DATE || (timeOfDay && dbms == DBMS_MYSQL))
        return false;
    CString type = DriverTypeName(cursor, column);
    if (type.IsEmpty())
        return true;
    type.MakeLower();
    // (psqlODBC hands a timetz over as text with its offset.)
    if (dbms == DBMS_POSTGRESQL)
        return type == L"timestamptz" || type == L"timestamp with time zone";
    return type == L"timestamp";
}

bool ReadSessionZone(CRDatabase& db, CString& zone)
{
    LPCWSTR sql = nullptr;
    switch (db.GetDBMSKind())
    {
    case DBMS_POSTGRESQL: sql = L"SHOW TimeZone"; break;
    // SYSTEM stands for the server's own zone, which does not change while it runs.
    case DBMS_MYSQL: sql = L"SELECT @@SESSION.time_zone"; break;
    default: return false;
    }
    // A question of the program's own: not followed as the user's statements are.
    return db.AskOneText(sql, zone);
}

CReadZone NoteReadZone(CRDatabase* db, Zelt::ICursor* cursor)
{
    CReadZone noted;
    if (db == nullptr || cursor == nullptr || !db->IsOpen())
        return noted;
    const UINT dbms = db->GetDBMSKind();
    if (dbms != DBMS_POSTGRESQL && dbms != DBMS_MYSQL)
        return noted;
    bool any = false;
    for (int c = 1; c <= cursor->GetColumnCount() && !any; ++c)
        any = IsReadInSessionZone(*db, cursor, static_cast<UINT>(c));
    if (any)
        noted.bKnown = ReadSessionZone(*db, noted.strZone);
    return noted;
}
