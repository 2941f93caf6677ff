// The key by which the rows of a query's result are changed where the driver does not change
// them at its cursor: PostgreSQL results are read read-only (see CRRecordset::AllocStmt), and
// neither SQLite's driver nor MariaDB's changes a row of a static result at its cursor, so a query grid over one table is edited through
// the program's own row statements (row_sql.h), keyed by that table's primary key.
#pragma once

#include "framework/core.h"
#include "dbaccess/cursor.h"
#include "dbaccess/database.h"

#include <vector>

// Empty, with the primary key's column names in keyNames, when every row of the result is one
// row of one table that its key finds: a single-table SELECT (its WHERE, ORDER BY, LIMIT ...
// choose rows, not change them), neither DISTINCT nor calling a function in its select list,
// whose table has a primary key whose columns the result shows. Otherwise why its rows cannot
// be changed, in words for the user. pColumnReasons (see ReadResultColumnSources): a key column
// that is no table column read as stored leaves the result without a key.
CString FindResultKey(CRDatabase& db, Zelt::ICursor* cursor, std::vector<CString>& keyNames,
                      const std::vector<CString>* pColumnReasons = nullptr);

// One entry per result column (index 0 is column 1): empty where the column is a column of the
// result's table read as it is stored, so that a value typed in it belongs in that column of
// that name; otherwise why not, in words for the user. Read from the select list and from what
// the driver says of the column's base table and column where it says it reliably. No entries
// for a result that reads no single table (FindResultKey refuses such a result whole).
// bAskDriver: the driver is one of those whose answers were checked (PostgreSQL, MariaDB,
// SQLite); others are judged by the select list alone.
std::vector<CString> ReadResultColumnSources(Zelt::ICursor* cursor, bool bAskDriver);

// SQLite: sets, for each column of the result that its table (a name as a statement writes it)
// generates from its other columns (GENERATED ALWAYS AS), why no value can be typed in it, so
// that a new row leaves it out. reasons has one entry per result column, as above (it is sized
// so when empty); entries already set are kept. Nothing when the file cannot say.
void NoteSQLiteGeneratedColumns(CRDatabase& db, Zelt::ICursor* cursor, LPCWSTR pszTable,
                                std::vector<CString>& reasons);

// PostgreSQL: the primary key's column names (in key order) of the relation a name resolves to
// in the session, as the server reads the name (quoted parts kept, search_path and temporary
// tables as for the session's own statements). False when the question failed; no names when
// the relation has no primary key or there is none of that name.
bool ReadPostgreSQLPrimaryKey(CRDatabase& db, LPCWSTR pszName, std::vector<CString>& keyNames);
