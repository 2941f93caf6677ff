// The key of a query's result (see result_key.h).
#include "grid/result_key.h"

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

CString FindResultKey(CRDatabase& db, Zelt::ICursor* cursor, std::vector<CString>& keyNames)
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
    if (!ReadPostgreSQLPrimaryKey(db, table, names))
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
    keyNames = names;
    return CString();
}
