// CRDatabaseHelper: the services of the one open connection. The main frame embeds exactly one;
// the grid and script windows and the object browser reach it through the main frame.
//
// The class is large and its members are implemented in several files of services/, one per
// topic; each topic keeps its declarations in its own section below. Nested classes (the jobs)
// are declared here and defined in the header of their topic.
#pragma once

#include "framework/core.h"
#include "dbaccess/database.h"
#include "dbaccess/sql_names.h"
#include "services/catalog_arrays.h"

#include <sql.h>

// The kinds of database objects the capability tests and object operations take.
enum DBObjectKind
{
    DBOBJ_TABLE = 1,
    DBOBJ_VIEW = 2,
    DBOBJ_PROCEDURE = 3,
    DBOBJ_FUNCTION = 4,
    DBOBJ_PACKAGE = 5,
    DBOBJ_TRIGGER = 6,
    DBOBJ_CONSTRAINT = 7, // only for renaming
};

class CRDatabaseHelper
{
public:
    CRDatabaseHelper();
    virtual ~CRDatabaseHelper();
    CRDatabaseHelper(const CRDatabaseHelper&) = delete;
    CRDatabaseHelper& operator=(const CRDatabaseHelper&) = delete;

    // ---- Connections, product and capabilities (database_helper.cpp) -------------------------
    CRDatabase& GetDatabase() { return m_db; }
    const CRDatabase& GetDatabase() const { return m_db; }
    // The connection for catalog work: the second one for Microsoft SQL Server, else the main.
    CRDatabase& GetCatalogDatabase() { return IsCatalogSeparate() ? m_dbCatalog : m_db; }
    DBMSKind GetDBMSKind() const { return m_db.GetDBMSKind(); }

    // ---- Background jobs (async_jobs.h) ------------------------------------------------------

    // ---- Catalog reads (catalog_reads.cpp) ---------------------------------------------------
    // SQLGetFunctions on the catalog connection.
    bool SupportsPrimaryKeys();
    bool SupportsForeignKeys();
    // Appends the tables (object kind 1, with system tables when asked) or views (kind 2).
    static void ReadTablesNow(CRDatabase* pDatabase, LPCWSTR pszSchema, int nObjectKind,
                              bool bSystemTables, CTableInfoArray& tables);
    // The columns of a table in catalog order; false only without an array.
    bool GetColumnsNow(const CStringPair& table, CColumnInfoArray* pColumns);
    // False without an array or when the driver cannot read the keys.
    bool GetPrimaryKeys(const CStringPair& table, CPrimaryKeyArray* pKeys);
    // The foreign keys in which the table is the referencing one.
    bool GetForeignKeysNow(const CStringPair& table, CForeignKeyArray* pKeys);
    bool GetOracleViewText(LPCWSTR pszSchema, LPCWSTR pszView, CString& strText);
    // The SELECT a table or view is opened with in a grid window. pWait may be null.
    bool BuildSelectStatement(class CWaitHolder* pWait, const CStringPair& name, CString& strSQL);

    // ---- Drop and rename (object_ddl.cpp) ----------------------------------------------------

    // ---- Object source, plans, object lists, constraints and triggers -----------------------
    // Plans (plans.cpp). ExplainPlan: the statement whose rows are the plan of one statement of
    // the text; false (after a message) when there is nothing or more than one statement to
    // explain, the product has no plans, or a database error.
    bool ExplainPlan(LPCWSTR pszSQL, CString& strPlanSQL, UINT32& nStatementId);
    bool EndExplainPlan();
    bool ClearExplainPlan(UINT32 nStatementId);
    // Drops the plan table when this program created it; the flag is cleared either way, since
    // the next connection may reach another database.
    bool DropPlanTable();
    bool HasCreatedPlanTable() const { return m_bPlanTable; }

    // ---- Data saving (save_data.cpp) ---------------------------------------------------------

    // ---- Table order and relations -----------------------------------------------------------

    // ---- Connection-string values (connect_string_values.cpp) --------------------------------

private:
    bool IsCatalogSeparate() const { return m_db.GetDBMSKind() == DBMS_MSSQL; }

    typedef SQLRETURN(SQL_API* CancelHandleProc)(SQLSMALLINT, SQLHANDLE);

    CRDatabase m_db;           // every statement of the user runs here
    CRDatabase m_dbCatalog;    // open only for Microsoft SQL Server
    bool m_bPlanTable = false; // the plan table was created by us
    int m_nServerMajor = 0;    // first two numbers of SQL_DBMS_VER; 0 until connected
    int m_nServerMinor = 0;
    UINT m_nOpenMode = 0;   // option bits of the last open of the main connection
    UINT m_nCursorType = 1; // cursor type of editable result sets (CRRecordset codes)
    CancelHandleProc m_pfnCancelHandle = nullptr; // SQLCancelHandle, when odbc32 exports it
};
