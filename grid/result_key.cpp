// The key of a query's result (see result_key.h).
#include "grid/result_key.h"

#include "dbaccess/recordset.h"
#include "dbaccess/sql_text.h"
#include "grid/row_sql.h"

bool ReadPostgreSQLPrimaryKey(CRDatabase& db, LPCWSTR pszName, std::vector<CString>& keyNames)
{
    keyNames.clear();
    // One row, the names joined by a character no name holds; to_regclass answers NULL for a
    // name that is not there instead of failing (a failure would abort the user's transaction).
    const CString question =
        L"SELECT pg_catalog.string_agg(a.attname::text, chr(1) ORDER BY k.ord) FROM "
        L"pg_catalog.pg_index i CROSS JOIN LATERAL pg_catalog.unnest(i.indkey::int2[]) WITH "
        L"ORDINALITY AS k(attnum, ord) JOIN pg_catalog.pg_attribute a ON a.attrelid = i.indrelid "
        L"AND a.attnum = k.attnum WHERE i.indisprimary AND i.indrelid = "
        L"pg_catalog.to_regclass(" +
        db.StringLiteral(pszName) + L")";
    bool bAnswered = false;
    CString strNames;
    db.RunOwnStatement(question, [&](SQLHSTMT hStmt, SQLRETURN nRet) {
        if (hStmt == SQL_NULL_HSTMT || !SQL_SUCCEEDED(nRet) || !SQL_SUCCEEDED(SQLFetch(hStmt)))
            return;
        std::vector<SQLWCHAR> buffer(4096, 0);
        SQLLEN nIndicator = 0;
        const SQLRETURN nGet =
            SQLGetData(hStmt, 1, SQL_C_WCHAR, buffer.data(),
                       static_cast<SQLLEN>(buffer.size() * sizeof(SQLWCHAR)), &nIndicator);
        if (nGet != SQL_SUCCESS)
            return; // cut short (SQL_SUCCESS_WITH_INFO) counts as no answer
        bAnswered = true;
        if (nIndicator != SQL_NULL_DATA)
            strNames = reinterpret_cast<LPCWSTR>(buffer.data());
    });
    if (!bAnswered)
        return false;
    int nStart = 0;
    while (!strNames.IsEmpty() && nStart <= strNames.GetLength())
    {
        int nEnd = strNames.Find(L'\x01', nStart);
        if (nEnd < 0)
            nEnd = strNames.GetLength();
        keyNames.push_back(strNames.Mid(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }
    return true;
}

// SQLite (PRAGMA table_info) and MariaDB (SHOW KEYS, which resolves the name as the server does
// for the session's statements, temporary tables included): the key's column names from the
// given column of the question's rows, in their order.
static bool ReadKeyRows(CRDatabase& db, const CString& question, SQLUSMALLINT nColumn,
                        std::vector<CString>& keyNames)
{
    keyNames.clear();
    bool bAnswered = false;
    db.RunOwnStatement(question, [&](SQLHSTMT hStmt, SQLRETURN nRet) {
        if (hStmt == SQL_NULL_HSTMT || !SQL_SUCCEEDED(nRet))
            return;
        for (;;)
        {
            const SQLRETURN nFetch = SQLFetch(hStmt);
            if (nFetch == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(nFetch))
                return;
            std::vector<SQLWCHAR> buffer(4096, 0);
            SQLLEN nIndicator = 0;
            if (SQLGetData(hStmt, nColumn, SQL_C_WCHAR, buffer.data(),
                           static_cast<SQLLEN>(buffer.size() * sizeof(SQLWCHAR)),
                           &nIndicator) != SQL_SUCCESS ||
                nIndicator == SQL_NULL_DATA)
                return;
            keyNames.push_back(CString(reinterpret_cast<LPCWSTR>(buffer.data())));
        }
        bAnswered = true;
    });
    if (!bAnswered)
        keyNames.clear();
    return bAnswered;
}

// SQLite: the primary key's columns in key order, from the table a name as written resolves to
// (a temporary table first, as for the session's statements). Same answers as above.
static bool ReadSQLitePrimaryKey(CRDatabase& db, LPCWSTR pszName, std::vector<CString>& keyNames)
{
    keyNames.clear();
    std::vector<CString> parts;
    if (!SplitSQLName(pszName, parts) || parts.size() > 2)
        return false;
    CString question = L"SELECT name FROM pragma_table_info(" + db.StringLiteral(parts.back());
    if (parts.size() == 2)
        question += L", " + db.StringLiteral(parts[0]);
    question += L") WHERE pk > 0 ORDER BY pk";
    return ReadKeyRows(db, question, 1, keyNames);
}

void NoteSQLiteGeneratedColumns(CRDatabase& db, Zelt::ICursor* cursor, LPCWSTR pszTable,
                                std::vector<CString>& reasons)
{
    std::vector<CString> parts, generated;
    const int count = cursor != nullptr ? cursor->GetColumnCount() : 0;
    if (count <= 0 || pszTable == nullptr || !SplitSQLName(pszTable, parts) || parts.empty() ||
        parts.size() > 2)
        return;
    // table_xinfo lists the generated columns table_info (and with it the driver's column list)
    // leaves out: hidden 2 for a virtual one, 3 for a stored one.
    CString question = L"SELECT name FROM pragma_table_xinfo(" + db.StringLiteral(parts.back());
    if (parts.size() == 2)
        question += L", " + db.StringLiteral(parts[0]);
    question += L") WHERE hidden IN (2, 3)";
    if (!ReadKeyRows(db, question, 1, generated) || generated.empty())
        return;
    if (reasons.empty())
        reasons.resize(count);
    for (int col = 1; col <= count && col <= (int)reasons.size(); ++col)
    {
        const CString name = cursor->GetColumnName(col);
        for (const CString& column : generated)
        {
            if (reasons[col - 1].IsEmpty() && column.CompareNoCase(name) == 0)
                reasons[col - 1] = L"The column " + name + L" is generated from other columns of " +
                                   pszTable + L" by the database: it takes no value of its own.";
        }
    }
}

static bool ReadPrimaryKey(CRDatabase& db, LPCWSTR pszName, std::vector<CString>& keyNames)
{
    if (db.IsSQLite())
        return ReadSQLitePrimaryKey(db, pszName, keyNames);
    if (db.GetDBMSKind() == DBMS_MYSQL)
    {
        // The name as the query wrote it (a name, not a value: it cannot be a literal).
        std::vector<CString> parts;
        if (!SplitSQLName(pszName, parts) || parts.size() > 2)
            return false;
        return ReadKeyRows(db,
                           CString(L"SHOW KEYS FROM ") + pszName + L" WHERE Key_name = 'PRIMARY'",
                           5, keyNames);
    }
    return ReadPostgreSQLPrimaryKey(db, pszName, keyNames);
}

CString FindResultKey(CRDatabase& db, Zelt::ICursor* cursor, std::vector<CString>& keyNames,
                      const std::vector<CString>* pColumnReasons)
{
    keyNames.clear();
    if (cursor == nullptr)
        return L"The result has no rows to change.";
    const CString table = cursor->GetTableName();
    if (table.IsEmpty())
        return L"The result does not read the rows of one table (a join, a grouping, a set "
               L"operation, a subquery in FROM or more than one statement): no row of it is a "
               L"row of a table that a statement could change.";
    std::vector<CString> calls;
    if (!ReadSelectListCalls(cursor->GetSQL(), calls))
        return L"The result reads its rows with DISTINCT: a row of it may stand for several "
               L"rows of " +
               table + L".";
    if (!calls.empty())
        return L"The result's columns are computed (the select list calls " + calls[0] +
               L"): a value changed here is no value of " + table + L" to store.";
    std::vector<CString> names;
    if (!ReadPrimaryKey(db, table, names))
        return L"The primary key of " + table +
               L" could not be read, and without it no row of "
               L"the result can be told apart.";
    if (names.empty())
        return table + L" has no primary key: a row of the result could not be told apart from "
                       L"another with the same values.";
    std::vector<UINT> columns;
    if (!FindKeyColumns(cursor, names, columns))
    {
        CString strList;
        for (const CString& name : names)
            strList += (strList.IsEmpty() ? L"" : L", ") + name;
        return L"The result does not show every column of the primary key of " + table + L" (" +
               strList + L"), by which a changed row is found. Select them too to edit its rows.";
    }
    // A key column computed or renamed by the query would find the row by values of another.
    for (UINT column : columns)
    {
        if (pColumnReasons != nullptr && column >= 1 && column <= pColumnReasons->size() &&
            !(*pColumnReasons)[column - 1].IsEmpty())
            return (*pColumnReasons)[column - 1] +
                   L" It is a column of the primary key, by which a changed row is found.";
    }
    keyNames = names;
    return CString();
}

namespace {

// What the driver says of a result column's source: its base table and column names. Empty
// when the driver does not answer.
CString ColumnAttribute(SQLHSTMT hStmt, UINT column, SQLUSMALLINT field, bool& answered)
{
    SQLWCHAR text[512] = {};
    SQLSMALLINT length = 0;
    answered = SQL_SUCCEEDED(
        SQLColAttributeW(hStmt, (SQLUSMALLINT)column, field, text, sizeof text, &length, nullptr));
    return answered ? CString(reinterpret_cast<LPCWSTR>(text)) : CString();
}

} // namespace

std::vector<CString> ReadResultColumnSources(Zelt::ICursor* cursor, bool bAskDriver)
{
    std::vector<CString> reasons;
    if (cursor == nullptr)
        return reasons;
    const CString table = cursor->GetTableName();
    const int count = cursor->GetColumnCount();
    if (table.IsEmpty() || count <= 0)
        return reasons;
    reasons.resize(count);

    // The select list's items to the result's columns: each "*" stands for as many columns as
    // the others leave, the same number for every "*".
    std::vector<CSelectListItem> items;
    std::vector<const CSelectListItem*> byColumn;
    if (ReadSelectList(cursor->GetSQL(), items))
    {
        int stars = 0;
        for (const CSelectListItem& item : items)
            stars += item.bStar ? 1 : 0;
        const int others = (int)items.size() - stars;
        const int perStar = stars > 0 ? (count - others) / stars : 0;
        if (stars > 0 ? count >= others && perStar * stars == count - others : others == count)
        {
            for (const CSelectListItem& item : items)
                for (int i = 0; i < (item.bStar ? perStar : 1); ++i)
                    byColumn.push_back(&item);
        }
    }

    auto* recordset = dynamic_cast<CRRecordset*>(cursor);
    const SQLHSTMT hStmt = recordset != nullptr ? recordset->GetStmtHandle() : SQL_NULL_HSTMT;
    for (int col = 1; col <= count; ++col)
    {
        const CString label = cursor->GetColumnName(col);
        CString& reason = reasons[col - 1];
        if (byColumn.size() != (size_t)count)
        {
            reason = L"The query's select list could not be matched to its columns, so it is not "
                     L"known which column of " +
                     table + L" the column " + label + L" shows, or whether it computes it.";
            continue;
        }
        const CSelectListItem& item = *byColumn[col - 1];
        if (!item.bStar && !item.bColumn)
        {
            reason = L"The column " + label + L" is computed by the query (" + item.strComputed +
                     L"), not read from a column of " + table +
                     L": a value typed here has no column to be stored in.";
            continue;
        }
        if (item.bColumn && !item.strAlias.IsEmpty() &&
            item.strAlias.CompareNoCase(item.strColumn) != 0)
        {
            reason = L"The column " + label + L" shows the column " + item.strColumn + L" of " +
                     table + L" under another name. Select it as " + item.strColumn +
                     L" to edit it.";
            continue;
        }
        // A column read as the server's text of its value is the query's column all the same
        // (see server_texts.h); the driver knows only the text.
        const Zelt::ICursor::CColumnDesc* desc = cursor->GetColumn(col);
        if (!bAskDriver || hStmt == SQL_NULL_HSTMT || (desc != nullptr && desc->bServerText))
            continue;
        // PostgreSQL and MariaDB name the base table of every column read from one and none of
        // a computed one (SQLite's driver does so for expressions too, though not for a
        // subquery); PostgreSQL and MariaDB also name the column a renamed one reads, where
        // SQLite's driver repeats the label.
        bool answered = false;
        const CString baseTable = ColumnAttribute(hStmt, col, SQL_DESC_BASE_TABLE_NAME, answered);
        if (answered && baseTable.IsEmpty())
        {
            reason = L"The column " + label +
                     L" is computed by the query, not read from a column "
                     L"of " +
                     table + L": a value typed here has no column to be stored in.";
            continue;
        }
        const CString baseColumn = ColumnAttribute(hStmt, col, SQL_DESC_BASE_COLUMN_NAME, answered);
        if (answered && !baseColumn.IsEmpty() && baseColumn.CompareNoCase(label) != 0)
            reason = L"The column " + label + L" shows the column " + baseColumn + L" of " + table +
                     L" under another name. Select it as " + baseColumn + L" to edit it.";
    }
    return reasons;
}
