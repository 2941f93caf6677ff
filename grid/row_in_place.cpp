#include "grid/row_in_place.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/recordset.h"
#include "dbaccess/sql_names.h"

#include <algorithm>

namespace {

const CRowSqlColumn* WrittenColumn(const CSavedRow& row, UINT nCursorColumn)
{
    for (const CRowSqlColumn& column : row.written)
        if (column.nCursorColumn == nCursorColumn)
            return &column;
    return nullptr;
}

// The texts the statement wrote, as the cursor's fields: NULL where MakeSaveValue wrote NULL.
std::vector<Zelt::CMemCursor::CFieldText> WrittenFields(Zelt::CMemCursor& cursor,
                                                        const CSavedRow& row)
{
    std::vector<Zelt::CMemCursor::CFieldText> fields(
        static_cast<size_t>(std::max<short>(cursor.GetColumnCount(), 0)));
    for (const CRowSqlColumn& column : row.written)
    {
        if (column.nCursorColumn < 1 || column.nCursorColumn > fields.size())
            continue;
        if (row.bInserted && IsLeftToServer(&cursor, column))
            continue;
        const int cType = cursor.GetColumnCType(column.nCursorColumn);
        Zelt::CMemCursor::CFieldText& field = fields[column.nCursorColumn - 1];
        field.bGiven = true;
        field.bNull = column.nKind != 0 || (column.strText.IsEmpty() && cType != SQL_C_CHAR &&
                                            cType != SQL_C_WCHAR && cType != SQL_C_BINARY);
        field.strText = column.strText;
    }
    return fields;
}

RowPlacing PlaceTyped(Zelt::CMemCursor& cursor, const CSavedRow& row)
{
    const std::vector<Zelt::CMemCursor::CFieldText> fields = WrittenFields(cursor, row);
    const bool placed = row.bInserted ? cursor.InsertRowFields(row.nRow, fields)
                                      : cursor.ReplaceRowFields(row.nRow, fields);
    return placed ? RowPlacing::Typed : RowPlacing::Failed;
}

} // namespace

bool IsLeftToServer(Zelt::ICursor* cursor, const CRowSqlColumn& column)
{
    const int cType = cursor->GetColumnCType(column.nCursorColumn);
    return column.nKind == 0 && column.strText.IsEmpty() && cType != SQL_C_CHAR &&
           cType != SQL_C_WCHAR && cType != SQL_C_BINARY;
}

CString SavedRowCondition(CRDatabase& db, CRDatabase* quoting, Zelt::CMemCursor& cursor,
                          const CSavedRow& row)
{
    if (row.key.bPositioned || (row.bInserted && row.key.keyNames.empty()))
        return CString();
    std::vector<UINT> columns;
    if (!FindKeyColumns(&cursor, row.key.keyNames, columns))
        return CString();
    if (!row.bInserted && !cursor.SetAbsolutePosition(row.nRow + 1))
        return CString();
    CString condition;
    CRowSqlParams params;
    CRowSqlFailure failure;
    for (size_t i = 0; i < columns.size(); ++i)
    {
        const UINT column = columns[i];
        const CRowSqlColumn* pWritten = WrittenColumn(row, column);
        if (pWritten != nullptr && row.bInserted && IsLeftToServer(&cursor, *pWritten))
            pWritten = nullptr;
        CString value;
        if (pWritten != nullptr)
        {
            if (!MakeSaveValue(db, pWritten->strText, pWritten->nKind,
                               cursor.GetColumnCType(column), cursor.GetColumnSQLType(column),
                               value, params, failure))
                return CString();
        }
        else if (!row.bInserted)
        {
            if (!MakeKeyValue(db, &cursor, column, value, params))
                return CString();
        }
        else if (i < row.serverKeys.size() && !row.serverKeys[i].IsEmpty())
            value = row.serverKeys[i];
        else
            return CString();
        // A value bound as a parameter (bytes, a timestamp) is left to the typed values: the
        // read that finds the row is one statement of plain text.
        if (!params.empty())
            return CString();
        const CString name =
            QuoteSQLNameIfNeeded(cursor.GetColumnName(column), quoting ? quoting : &db);
        condition += condition.IsEmpty() ? L" WHERE " : L" AND ";
        condition += name + (value == L"NULL" ? L" IS NULL" : L"=" + value);
    }
    return condition;
}

CString RereadSelect(const CString& select, const CString& condition)
{
    CString inner = select;
    inner.TrimRight();
    while (!inner.IsEmpty() && inner[inner.GetLength() - 1] == L';')
    {
        inner.Delete(inner.GetLength() - 1);
        inner.TrimRight();
    }
    // On its own line: a comment at the statement's end would take the rest of the line.
    return L"SELECT * FROM (" + inner + L"\n) ql_row" + condition;
}

RowPlacing PlaceSavedRow(CRDatabase& db, CRDatabase* quoting, Zelt::CMemCursor& cursor,
                         const CSavedRow& row)
{
    CString condition;
    try
    {
        condition = SavedRowCondition(db, quoting, cursor, row);
    }
    catch (CException* e)
    {
        e->Delete();
    }
    if (!condition.IsEmpty() && !cursor.GetSQL().IsEmpty())
    {
        try
        {
            CRRecordset rs(&db);
            UINT options = RS_READONLY | RS_SERVER_TEXTS;
            if (cursor.IsNumericAsText())
                options |= RS_NUMERIC_AS_TEXT;
            // The row found is that of the statement: a table without a key may hold twins of
            // it, each alike in every value, and the first is as good as any.
            if (rs.Open(RereadSelect(cursor.GetSQL(), condition), RS_FORWARD_ONLY, options) &&
                rs.MoveFirst() && !rs.IsEOF())
            {
                const bool placed = row.bInserted ? cursor.InsertRow(row.nRow, rs)
                                                  : cursor.ReplaceRow(row.nRow, rs);
                rs.Close();
                if (placed)
                    return RowPlacing::Reread;
            }
        }
        catch (CException* e)
        {
            // The row was saved; a read that fails leaves the window the values written.
            e->Delete();
        }
    }
    return PlaceTyped(cursor, row);
}

std::vector<CString> ReadSQLiteInsertedKeys(CRDatabase& db, CRDatabase* quoting, LPCWSTR pszTable,
                                            const std::vector<CString>& keyNames)
{
    std::vector<CString> keys(keyNames.size());
    if (!db.IsSQLite() || pszTable == nullptr || *pszTable == 0)
        return keys;
    // SQLite gives every row of a table with rowid its number, last_insert_rowid() the one the
    // connection inserted last: the INSERT just run (the grid's own statement, one row).
    for (size_t i = 0; i < keyNames.size(); ++i)
    {
        CString literal;
        if (db.AskOneText(L"SELECT quote(" +
                              QuoteSQLNameIfNeeded(keyNames[i], quoting ? quoting : &db) +
                              L") FROM " + pszTable + L" WHERE rowid = last_insert_rowid()",
                          literal))
            keys[i] = literal;
    }
    return keys;
}

std::vector<CString> ReadMariaDBInsertedKeys(CRDatabase& db, Zelt::ICursor* cursor,
                                             const std::vector<CRowSqlColumn>& written,
                                             const std::vector<CString>& keyNames)
{
    std::vector<CString> keys(keyNames.size());
    std::vector<UINT> columns;
    if (db.GetDBMSKind() != DBMS_MYSQL || !FindKeyColumns(cursor, keyNames, columns))
        return keys;
    // A table has one AUTO_INCREMENT column at most, and LAST_INSERT_ID() is the value the
    // connection's last INSERT gave it (0 where it gave none): it is the key column the INSERT
    // left to the server, when there is exactly one.
    size_t nLeft = keyNames.size();
    for (size_t i = 0; i < columns.size(); ++i)
    {
        bool given = false;
        for (const CRowSqlColumn& w : written)
            given = given || (w.nCursorColumn == columns[i] && !IsLeftToServer(cursor, w));
        if (!given)
            nLeft = nLeft == keyNames.size() ? i : keyNames.size() + 1;
    }
    CString id;
    if (nLeft < keyNames.size() && db.AskOneText(L"SELECT LAST_INSERT_ID()", id) && !id.IsEmpty() &&
        id != L"0")
        keys[nLeft] = id;
    return keys;
}

CString ReturningKeysClause(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                            const std::vector<CRowSqlColumn>& written,
                            const std::vector<CString>& keyNames)
{
    if (db.GetDBMSKind() != DBMS_POSTGRESQL || keyNames.empty())
        return CString();
    std::vector<UINT> columns;
    if (!FindKeyColumns(cursor, keyNames, columns))
        return CString();
    bool leftToServer = false;
    for (UINT column : columns)
    {
        bool given = false;
        for (const CRowSqlColumn& w : written)
            given = given || (w.nCursorColumn == column && !IsLeftToServer(cursor, w));
        leftToServer = leftToServer || !given;
    }
    if (!leftToServer)
        return CString();
    CString clause = L" RETURNING ";
    for (size_t i = 0; i < keyNames.size(); ++i)
        clause += (i ? L", quote_nullable(" : L"quote_nullable(") +
                  QuoteSQLNameIfNeeded(keyNames[i], quoting ? quoting : &db) + L")";
    return clause;
}
