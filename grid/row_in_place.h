// A row the grid has just saved (row_sql.h) put in place in the window's memory cursor, so that
// the window shows it without reading its rows again: every other row keeps its place (a server
// that writes an updated row elsewhere, as PostgreSQL does, would otherwise move it to the end on
// the next read) and a million rows cost no more than a thousand.
//
// The row is read again from the server where the values that find it are known: its key (or,
// in a table without one, all its values) as the statement left them. So the window shows what
// the server holds: a default, a serial number, a trigger's change, a value the server wrote in
// its own form. Where the row cannot be found so (a new row of a table without a key, a key the
// server gave and did not say, a value compared only as a bound parameter), it shows the values
// the statement wrote, as typed.
#pragma once

#include "dbaccess/mem_cursor.h"
#include "grid/row_sql.h"

#include <vector>

struct CSavedRow
{
    // The row's index in the cursor (0-based); for a new row, the index it takes.
    int nRow = -1;
    bool bInserted = false;
    // The columns the statement wrote, with the texts it wrote (an INSERT leaves out the columns
    // whose empty text let the server give the value).
    std::vector<CRowSqlColumn> written;
    // How the row is found: its key's column names, or every column when there are none.
    CRowKeyRequest key;
    // A new row's key values the server gave (a serial, a default), as literals, one per name of
    // key.keyNames; empty ones were not given by the server.
    std::vector<CString> serverKeys;
};

enum class RowPlacing
{
    Reread, // read again from the server
    Typed,  // the values the statement wrote
    Failed, // the cursor took neither (the caller reads the window again)
};

// Whether the column's text is one an INSERT leaves out for the server to fill (see CollectValues
// in row_sql.cpp).
bool IsLeftToServer(Zelt::ICursor* cursor, const CRowSqlColumn& column);

// The condition that finds the saved row as the statement left it, over the names of the
// cursor's result (" WHERE ..."): the key's values, changed ones as written. Empty when a value
// is not known or needs a bound parameter.
CString SavedRowCondition(CRDatabase& db, CRDatabase* quoting, Zelt::CMemCursor& cursor,
                          const CSavedRow& row);

// The SELECT of the cursor's own statement that reads only the rows of the condition.
CString RereadSelect(const CString& select, const CString& condition);

// Puts the saved row in place (ReplaceRow or InsertRow at row.nRow).
RowPlacing PlaceSavedRow(CRDatabase& db, CRDatabase* quoting, Zelt::CMemCursor& cursor,
                         const CSavedRow& row);

// PostgreSQL: for an INSERT that leaves a key column to the server (a serial, a default), the
// RETURNING clause that gives every key value as a literal (quote_nullable), in the order of
// keyNames: the values that find the new row. Empty elsewhere, and when every key value was
// written.
CString ReturningKeysClause(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                            const std::vector<CRowSqlColumn>& written,
                            const std::vector<CString>& keyNames);

// MariaDB: the key value of the row the connection inserted last, where the INSERT left exactly
// one key column to the server (its AUTO_INCREMENT column, LAST_INSERT_ID()), one per name of
// keyNames; the others empty.
std::vector<CString> ReadMariaDBInsertedKeys(CRDatabase& db, Zelt::ICursor* cursor,
                                             const std::vector<CRowSqlColumn>& written,
                                             const std::vector<CString>& keyNames);

// SQLite: the key values of the row the connection inserted last, as literals (quote()), for the
// key names given; empty where the file cannot tell (a table without rowid, a view).
std::vector<CString> ReadSQLiteInsertedKeys(CRDatabase& db, CRDatabase* quoting, LPCWSTR pszTable,
                                            const std::vector<CString>& keyNames);
