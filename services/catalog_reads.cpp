// Catalog reads of the database helper.
#include "services/catalog_reads.h"

#include "dbaccess/recordset.h"
#include "services/block_append.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"

namespace {

LPCWSTR SchemaArgument(const CString& strSchema)
{
    return strSchema.IsEmpty() ? nullptr : strSchema.GetString();
}

} // namespace

void ReadTables(CRDatabase* pDatabase, LPCWSTR pszSchema, int nObjectKind, bool bSystemTables,
                CTableInfoArray& tables)
{
    UINT nTypes = CRTables::typeTable;
    if (nObjectKind == DBOBJ_VIEW)
        nTypes = CRTables::typeView;
    else if (bSystemTables)
        nTypes = CRTables::typeTable | CRTables::typeSystemTable;
    CRTables reader(pDatabase, nTypes, pszSchema && *pszSchema ? pszSchema : nullptr);
    AppendInBlocks(tables, [&](CRTables::CTableInfo& info) { return reader.Fetch(&info); });
}

void ReadColumns(CRDatabase* pDatabase, const CStringPair& table, CColumnInfoArray& columns)
{
    columns.RemoveAll();
    CRColumns reader(pDatabase, SchemaArgument(table.m_strFirst), table.m_strSecond);
    CRColumns::CColumnInfo info;
    while (reader.Fetch(&info))
    {
        if (reader.IsNullableMissing())
            wcscpy_s(info.szIsNullable, info.nNullable == SQL_NULLABLE ? L"YES" : L"NO");
        columns.Add(info);
    }
}

void ReadPrimaryKeys(CRDatabase* pDatabase, const CStringPair& table, CPrimaryKeyArray& keys)
{
    keys.RemoveAll();
    CRPrimaryKey reader(pDatabase, SchemaArgument(table.m_strFirst), table.m_strSecond);
    CRPrimaryKey::CPrimaryKeyInfo info;
    while (reader.Fetch(&info))
        keys.Add(info);
}

void ReadForeignKeys(CRDatabase* pDatabase, const CStringPair& table, CForeignKeyArray& keys)
{
    keys.RemoveAll();
    CRForeignKey reader(pDatabase, nullptr, nullptr, SchemaArgument(table.m_strFirst),
                        table.m_strSecond);
    CRForeignKey::CForeignKeyInfo info;
    while (reader.Fetch(&info))
        keys.Add(info);
}

// The expression a column is selected as where its value does not come whole as the driver reads
// it: an Oracle XMLType as its text; a PostgreSQL timestamptz as the server's text, which keeps
// the offset (psqlODBC hands the value over as the session's local time alone, in every form: in
// the hour a clock turns back two instants read alike, and written back the time names the
// later one). Empty for a column read as it is.
static CString ColumnReadAs(UINT nDBMS, const CRColumns::CColumnInfo& column,
                            const CString& strName)
{
    if (nDBMS == DBMS_ORACLE && _wcsicmp(column.szTypeName, L"XMLType") == 0)
        // The name inside the call is quoted as well: a mixed-case column is not found under
        // its folded name.
        return L"sys.xmltype.getstringval(" + strName + L") AS " + strName;
    if (nDBMS == DBMS_POSTGRESQL && (_wcsicmp(column.szTypeName, L"timestamptz") == 0 ||
                                     _wcsicmp(column.szTypeName, L"timestamp with time zone") == 0))
        return strName + L"::text AS " + strName;
    return CString();
}

CString BuildObjectSelect(CRDatabase* pDatabase, const CStringPair& name,
                          const CColumnInfoArray* pColumns)
{
    CString strList;
    if (pDatabase && pColumns)
    {
        const UINT nDBMS = pDatabase->GetDBMSKind();
        bool bReadAs = false;
        CString strColumns;
        for (INT_PTR i = 0; i < pColumns->GetSize(); ++i)
        {
            const CRColumns::CColumnInfo& column = pColumns->GetAt(i);
            const CString strName = QuoteSQLNameIfNeeded(column.szColumnName, pDatabase);
            if (!strColumns.IsEmpty())
                strColumns += L", ";
            const CString strReadAs = ColumnReadAs(nDBMS, column, strName);
            bReadAs = bReadAs || !strReadAs.IsEmpty();
            strColumns += strReadAs.IsEmpty() ? strName : strReadAs;
        }
        if (bReadAs)
            strList = strColumns;
    }
    return L"SELECT " + (strList.IsEmpty() ? CString(L"*") : strList) + L" FROM " +
           FormatObjectName(name, pDatabase, true);
}

CString BuildOracleViewTextSQL(LPCWSTR pszSchema, LPCWSTR pszView)
{
    return CString(L"SELECT TEXT FROM ALL_VIEWS WHERE OWNER=") + QuoteSQLString(pszSchema) +
           L" AND VIEW_NAME=" + QuoteSQLString(pszView);
}

// ---- CRDatabaseHelper ----------------------------------------------------------------------

bool CRDatabaseHelper::SupportsPrimaryKeys()
{
    return GetCatalogDatabase().IsFunctionSupported(SQL_API_SQLPRIMARYKEYS);
}

bool CRDatabaseHelper::SupportsForeignKeys()
{
    return GetCatalogDatabase().IsFunctionSupported(SQL_API_SQLFOREIGNKEYS);
}

void CRDatabaseHelper::ReadTablesNow(CRDatabase* pDatabase, LPCWSTR pszSchema, int nObjectKind,
                                     bool bSystemTables, CTableInfoArray& tables)
{
    ReadTables(pDatabase, pszSchema, nObjectKind, bSystemTables, tables);
}

bool CRDatabaseHelper::GetColumnsNow(const CStringPair& table, CColumnInfoArray* pColumns)
{
    if (!pColumns)
        return false;
    ReadColumns(&GetCatalogDatabase(), table, *pColumns);
    return true;
}

UINT CRDatabaseHelper::DeclaredColumnsOption(const CStringPair& table)
{
    if (!GetDatabase().ReadsResultsBeforeStatements())
        return 0;
    CColumnInfoArray columns;
    try
    {
        GetColumnsNow(table, &columns);
    }
    catch (Zelt::CRDBException* e)
    {
        e->Delete();
        return 0;
    }
    if (columns.GetSize() == 0)
        return 0;
    for (INT_PTR i = 0; i < columns.GetSize(); ++i)
        if (columns[i].szTypeName[0] == 0)
            return 0;
    return RS_DECLARED_COLUMNS;
}

bool CRDatabaseHelper::GetPrimaryKeys(const CStringPair& table, CPrimaryKeyArray* pKeys)
{
    if (!pKeys || !SupportsPrimaryKeys())
        return false;
    ReadPrimaryKeys(&GetCatalogDatabase(), table, *pKeys);
    return true;
}

bool CRDatabaseHelper::GetForeignKeysNow(const CStringPair& table, CForeignKeyArray* pKeys)
{
    if (!pKeys || !SupportsForeignKeys())
        return false;
    ReadForeignKeys(&GetCatalogDatabase(), table, *pKeys);
    return true;
}

bool CRDatabaseHelper::GetOracleViewText(LPCWSTR pszSchema, LPCWSTR pszView, CString& strText)
{
    CRRecordset rs(&GetCatalogDatabase());
    if (!rs.Open(BuildOracleViewTextSQL(pszSchema, pszView), RS_FORWARD_ONLY,
                 RS_READONLY | RS_UNBOUND))
        return false;
    if (rs.MoveFirst() && !rs.IsEOF())
        rs.GetFieldText(1, strText);
    return true;
}

bool CRDatabaseHelper::GetTables(CWaitHolder* pWait, LPCWSTR pszSchema, int nObjectKind,
                                 bool bSystemTables, CTableInfoArray& tables)
{
    CRDatabase* pDatabase = &GetCatalogDatabase();
    return RunCatalogRead(pWait, [&] {
        ReadTablesNow(pDatabase, pszSchema, nObjectKind, bSystemTables, tables);
        return true;
    });
}

bool CRDatabaseHelper::GetColumns(CWaitHolder* pWait, const CStringPair& table,
                                  CColumnInfoArray* pColumns)
{
    return RunCatalogRead(pWait, [&] { return GetColumnsNow(table, pColumns); });
}

bool CRDatabaseHelper::GetForeignKeys(CWaitHolder* pWait, const CStringPair& table,
                                      CForeignKeyArray* pKeys)
{
    return RunCatalogRead(pWait, [&] { return GetForeignKeysNow(table, pKeys); });
}

bool CRDatabaseHelper::BuildSelectStatement(CWaitHolder* pWait, const CStringPair& name,
                                            CString& strSQL)
{
    CColumnInfoArray columns;
    bool bColumns = false;
    if (GetDBMSKind() == DBMS_ORACLE || GetDBMSKind() == DBMS_POSTGRESQL)
    {
        if (pWait)
            pWait->Begin(FormatObjectName(name, &m_db, true));
        bColumns = GetColumns(pWait, name, &columns);
    }
    strSQL = BuildObjectSelect(&GetCatalogDatabase(), name, bColumns ? &columns : nullptr);
    return true;
}
