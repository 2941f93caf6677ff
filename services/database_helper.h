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
#include "services/db_object_array.h"
#include "services/read_progress.h"

#include <sql.h>

#include <functional>
#include <vector>

class CRRecordset;
class CWnd;
class CWaitDlg;
class CWaitHolder;
class CDataFile;
struct CSaveStop;
class CJoinTableEntry;
namespace Zelt {
class ICursor;
class CMemCursor;
} // namespace Zelt

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

    // SQLCancelHandle of the driver manager, or null when it does not export it.
    typedef SQLRETURN(SQL_API* CancelHandleProc)(SQLSMALLINT, SQLHANDLE);

    // Opens the main connection (and, for Microsoft SQL Server, the catalog connection) and
    // chooses the cursor type of editable result sets. Runs on the connect job's worker only.
    // False when the user cancelled the driver's prompt or a step failed without an exception;
    // both connections are closed then. ODBC failures throw Zelt::CRDBException.
    bool Connect(LPCWSTR pszConnect, HWND hWnd, UINT nConnectionTimeout, UINT nLoginTimeout,
                 UINT nQueryTimeout);
    // Reopens the main connection with its completed string and the last open mode, then the
    // catalog connection for Microsoft SQL Server. Runs on the reconnect job's worker only.
    bool DoReconnect(HWND hWnd, UINT nConnectionTimeout, UINT nLoginTimeout, UINT nQueryTimeout);
    // Closes the catalog connection, then the main one.
    void Close();
    bool IsOpen() const { return m_db.IsOpen(); }
    // The cursor type (CRRecordset codes) the driver supports best for editing.
    UINT ChooseCursorType();
    // The setting "CancelExec".
    static bool IsCancelExecEnabled();

    UINT GetCursorType() const { return m_nCursorType; }
    UINT GetOpenMode() const { return m_nOpenMode; }
    int GetServerMajorVersion() const { return m_nServerMajor; }
    int GetServerMinorVersion() const { return m_nServerMinor; }
    CancelHandleProc GetCancelHandleProc() const { return m_pfnCancelHandle; }

    // What this product can do with a kind of object (DBObjectKind); no side effects.
    bool CanGetObjectSource(int nObjectKind) const;
    bool CanShowObjectErrors(int nObjectKind) const;
    bool IsOracle() const { return GetDBMSKind() == DBMS_ORACLE; }
    bool CanListTriggers() const;
    bool CanShowTableTriggers(int nObjectKind) const;
    bool CanShowTableConstraints(int nObjectKind) const;
    bool CanRenameObject(int nObjectKind) const;
    bool CanRenameColumn() const;
    bool CanRenameIndex() const;
    bool CanDropIndex() const;
    bool SupportsExecutionPlan() const;
    bool CanExplainObject(int nObjectKind) const;
    bool CanReadKeyInfo() const;

    // ---- Background jobs (async_jobs.h) ------------------------------------------------------
    // Every entry point blocks until its job has ended; a database error raised in the job is
    // thrown again here as a new Zelt::CRDBException*. A statement the user cancelled is not an
    // error: the entry point returns false with *pbCancelled set.
    class CAsyncThread;
    class CStatementAsyncThread;
    class CRecordsetAsyncThread;
    class CProcAsyncThread;
    class CReadCursorAsyncThread;
    class CConnectAsyncThread;
    class CReconnectAsyncThread;
    class CCatalogAsyncThread;

    // Opens the recordset on a worker. pWait: the caller's dialog (kept), or null for an own one
    // ("Executing...", Cancel allowed, elapsed time shown).
    bool OpenRecordset(CRRecordset* pRecordset, LPCWSTR pszSQL, UINT nCursorType, UINT nOptions,
                       CWaitDlg* pWait, bool* pbCancelled);
    // Executes a prepared recordset (a procedure call) on a worker behind an own dialog.
    bool ExecuteProcedure(CRRecordset* pRecordset, CWnd* pParent, bool* pbCancelled);
    // Wraps pSource (taken over) in a memory cursor. With progress every row is read on a worker
    // behind an own dialog; cancelled or failed reads give null. Without progress only the first
    // row is read, here. No columns: null.
    Zelt::CMemCursor* ReadToMemCursor(CWnd* pParent, Zelt::ICursor* pSource, bool bProgress);
    // Connect on a worker behind "Connecting to database..." (Cancel only when "CancelExec" is
    // on and the driver manager can cancel a connection).
    bool ConnectAsync(LPCWSTR pszConnect, CWnd* pParent, UINT nConnectionTimeout,
                      UINT nLoginTimeout, UINT nQueryTimeout, bool* pbCancelled);
    // DoReconnect on a worker behind "Connecting to database..." without Cancel.
    bool Reconnect(CWnd* pParent, UINT nConnectionTimeout, UINT nLoginTimeout, UINT nQueryTimeout,
                   bool* pbCancelled);
    // Runs one catalog read (a "...Now" function of the catalog topics): on a worker behind the
    // holder's dialog when "CancelExec" is on, else directly. Catalog reads cannot be
    // cancelled. Returns the read's result.
    bool RunCatalogRead(CWaitHolder* pWait, const std::function<bool()>& read);

    // ---- Catalog reads (catalog_reads.cpp) ---------------------------------------------------
    // SQLGetFunctions on the catalog connection.
    bool SupportsPrimaryKeys();
    bool SupportsForeignKeys();
    // Appends the tables (object kind 1, with system tables when asked) or views (kind 2).
    static void ReadTablesNow(CRDatabase* pDatabase, LPCWSTR pszSchema, int nObjectKind,
                              bool bSystemTables, CTableInfoArray& tables);
    // The columns of a table in catalog order; false only without an array.
    bool GetColumnsNow(const CStringPair& table, CColumnInfoArray* pColumns);
    // RS_DECLARED_COLUMNS for a read of the table where the connection reads streaming results
    // to their end before other statements (SQLite stepping) and every column of the table has
    // a declared type in the catalog, which SQLite describes alike whether its driver steps
    // through results or reads them whole; else 0 (also when the catalog cannot tell). The
    // catalog is read only on such a connection.
    UINT DeclaredColumnsOption(const CStringPair& table);
    // False without an array or when the driver cannot read the keys.
    bool GetPrimaryKeys(const CStringPair& table, CPrimaryKeyArray* pKeys);
    // The foreign keys in which the table is the referencing one.
    bool GetForeignKeysNow(const CStringPair& table, CForeignKeyArray* pKeys);
    bool GetOracleViewText(LPCWSTR pszSchema, LPCWSTR pszView, CString& strText);
    // The same reads behind a wait holder, as jobs when "CancelExec" is on (RunCatalogRead).
    bool GetTables(CWaitHolder* pWait, LPCWSTR pszSchema, int nObjectKind, bool bSystemTables,
                   CTableInfoArray& tables);
    bool GetColumns(CWaitHolder* pWait, const CStringPair& table, CColumnInfoArray* pColumns);
    bool GetForeignKeys(CWaitHolder* pWait, const CStringPair& table, CForeignKeyArray* pKeys);
    // The SELECT a table or view is opened with in a grid window. pWait may be null.
    bool BuildSelectStatement(CWaitHolder* pWait, const CStringPair& name, CString& strSQL);

    // ---- Drop and rename (object_ddl.cpp) ----------------------------------------------------
    // Each builds one statement in the product's dialect (object_ddl.h, names and literals for
    // the catalog connection) and runs it on the main connection in its current transaction
    // mode. False, with nothing run, when the product has no statement for the case. The
    // database's refusal throws Zelt::CRDBException.
    bool DropObject(int nObjectKind, const CStringPair& name);
    bool DropConstraint(const CDBConstraintInfo& constraint);
    bool DropColumn(const CStringPair& table, LPCWSTR pszColumn);
    // pszIndexSchema: the index's TABLE_SCHEM as the statistics catalog gives it.
    bool DropIndex(const CStringPair& table, LPCWSTR pszIndexSchema, LPCWSTR pszIndex);
    bool RenameObject(int nObjectKind, const CStringPair& name, LPCWSTR pszNewName);
    bool RenameConstraint(const CDBConstraintInfo& constraint, LPCWSTR pszNewName);
    bool RenameColumn(const CStringPair& table, LPCWSTR pszColumn, LPCWSTR pszNewName);
    bool RenameIndex(const CStringPair& table, LPCWSTR pszIndexSchema, LPCWSTR pszIndex,
                     LPCWSTR pszNewName);

    // ---- Object source (object_source.cpp) ---------------------------------------------------
    // The stored source text of a view, procedure, function, package or trigger from the
    // product's catalog (only for what CanGetObjectSource accepts). The text is emptied first.
    // False when the statement cannot be opened, the object is missing where that counts, the
    // server keeps the text from the user (MySQL: the user is told so in words), or a database
    // error occurred (shown in the standard error box first). pbTold: whether the user has been
    // told why the text did not come.
    bool GetObjectSource(const CStringPair& name, int nObjectKind, CString& strSource,
                         bool* pbTold = nullptr);
    // MySQL and MariaDB keep objects by database, not schema: an empty schema means the
    // connection's current database (SQL_DATABASE_NAME of the catalog connection).
    CString GetCurrentDatabaseName();

    // ---- Object lists (object_lists.cpp) -----------------------------------------------------
    // The readers append to the caller's array (nothing is emptied) and leave rows read before a
    // failure or a cancel there. pszSchema null or empty: every schema (on MySQL: the current
    // database). False when the product has no such list or the statement cannot be opened.
    // The four list readers let database errors pass; GetCompileErrors reports them in the
    // standard error box and returns false.
    // Procedures and functions. pWait: pumped after each record (Cancel stops the read with
    // false) and shown the record's name.
    bool ReadProceduresNow(CDBStoredProcsArray& procs, LPCWSTR pszSchema, CWaitDlg* pWait);
    // The same with any progress (null: none).
    bool ReadProcedureList(CDBStoredProcsArray& procs, LPCWSTR pszSchema, IReadProgress* pProgress);
    bool ReadPackagesNow(CDBObjectsArray& packages, LPCWSTR pszSchema); // Oracle
    bool ReadTriggersNow(CDBObjectsArray& triggers, LPCWSTR pszSchema);
    // Oracle objects marked invalid, of the type of the object kind (any type for other kinds).
    bool ReadInvalidObjectsNow(CDBObjectsArray& objects, int nObjectKind, LPCWSTR pszSchema);
    bool GetCompileErrors(CDBObjErrorsArray& errors, const CStringPair& name); // Oracle
    // The same lists behind a wait holder, as jobs when "CancelExec" is on (RunCatalogRead).
    // A job's worker never touches the dialog: procedures read as a job are not cancelled.
    bool GetProcedures(CWaitHolder* pWait, LPCWSTR pszSchema, CDBStoredProcsArray& procs);
    bool GetInvalidObjects(CWaitHolder* pWait, LPCWSTR pszSchema, int nObjectKind,
                           CDBObjectsArray& objects);
    bool GetPackages(CWaitHolder* pWait, LPCWSTR pszSchema, CDBObjectsArray& packages);
    bool GetTriggers(CWaitHolder* pWait, LPCWSTR pszSchema, CDBObjectsArray& triggers);

    // ---- Table constraints and triggers (table_constraints.cpp) ------------------------------
    // Both report database errors in the standard error box and return false; rows read before
    // stay. An empty table name (or schema) drops that filter; on MySQL and MariaDB an empty
    // schema is the current database.
    // Empties the array first. pWait: pumped after each row (Cancel: false), its message text
    // the table's name and its info text the constraint's.
    bool GetTableConstraints(CDBConstraintInfoArray& constraints, const CStringPair& table,
                             CWaitDlg* pWait);
    // The same with any progress (null: none).
    bool ReadTableConstraints(CDBConstraintInfoArray& constraints, const CStringPair& table,
                              IReadProgress* pProgress);
    // Appends after the rows already there.
    bool GetTableTriggers(CDBTriggerInfoArray& triggers, const CStringPair& table);

    // ---- Plans -------------------------------------------------------------------------------
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
    // Copies a cursor into a writer record by record on a worker (save_data_job.h).
    class CSaveDataAsyncThread;
    // Asks for a file and a format (the SQL script only for tables, DBOBJ_TABLE), makes the
    // writer and saves the cursor's rows into it behind a wait dialog. pColumnMap: the columns
    // in the order to save (0-based cursor columns), or null for all in cursor order; the SQL
    // script always takes all. False when cancelled or failed (after a message).
    bool SaveDataToFile(Zelt::ICursor* pCursor, const CStringPair& table, int nObjectKind,
                        const std::vector<int>* pColumnMap, CWnd* pParent, LPCWSTR pszDescription);
    // Writes one table (header, rows, closing steps) through the writer on a worker behind the
    // holder's dialog. Reports every failure itself, or, with pStop, leaves the error there for
    // the caller to tell with the state of the file; false when failed or cancelled.
    bool SaveData(CWaitHolder& wait, CDataFile* pFile, Zelt::ICursor* pCursor,
                  const CStringPair& table, LPCWSTR pszDescription,
                  const std::vector<int>* pColumnMap, CSaveStop* pStop = nullptr);

    // ---- Table order and relations -----------------------------------------------------------
    // The tables in an order where a referenced table comes before those referring to it
    // (table_order.cpp). The output is expected empty. False when cancelled or failed.
    bool SortTablesByForeignKeys(const CDBObjectsArray& input, CDBObjectsArray& output,
                                 CWnd* pParent);
    // Saves several tables (DBOBJ_TABLE) or views (DBOBJ_VIEW) into one file; the SQL script
    // lists them in foreign-key order.
    bool SaveTablesData(const CDBObjectsArray& objects, int nObjectKind, CWnd* pParent);
    bool SaveTableData(const CStringPair& name, int nObjectKind, CWnd* pParent);
    // Relations and join SQL (join_sql.cpp, table_relations.h). One entry per table with the
    // foreign keys it holds; false (after a message) when the driver has no foreign keys, a read
    // failed or the user cancelled.
    bool CollectTableRelations(const CDBObjectsArray& tables, CWnd* pParent,
                               std::vector<CJoinTableEntry>& entries);
    // "SELECT *\nFROM " and the LEFT JOINs of the entries in join order (their counts change).
    // False when nothing could be written, cancelled or failed.
    bool BuildJoinSQL(std::vector<CJoinTableEntry>& entries, CWnd* pParent, CString& strSQL);

    // ---- Connection-string values (connect_string_values.cpp) --------------------------------
    // The value of one item of a connection string: the first item whose name equals the key
    // (case ignored), its value trimmed and, when braced, without the braces ("}}" is one "}").
    // Empty when there is no such item.
    static CString GetConnectStringValue(LPCWSTR pszConnect, LPCWSTR pszKey);
    // "DBQ", or "DBName" when that is empty, or else "Database".
    static CString GetConnectStringDatabase(LPCWSTR pszConnect);
    static CString GetConnectStringUser(LPCWSTR pszConnect);   // "UID"
    static CString GetConnectStringDSN(LPCWSTR pszConnect);    // "DSN"
    static CString GetConnectStringServer(LPCWSTR pszConnect); // "Server"

private:
    // Table order: puts table and what it needs into output at nPosition (-1 appends).
    bool PlaceTableByForeignKeys(const CDBObjectsArray& all, CDBObjectsArray& output,
                                 const CStringPair& table, int nPosition, CWaitDlg* pWait,
                                 bool& bCancelled);

    bool IsCatalogSeparate() const { return m_db.GetDBMSKind() == DBMS_MSSQL; }

    CRDatabase m_db;           // every statement of the user runs here
    CRDatabase m_dbCatalog;    // open only for Microsoft SQL Server
    bool m_bPlanTable = false; // the plan table was created by us
    int m_nServerMajor = 0;    // first two numbers of SQL_DBMS_VER; 0 until connected
    int m_nServerMinor = 0;
    UINT m_nOpenMode = 0; // option bits of the last open of the main connection
    // The string Connect was given: a reconnect opens it again where the driver's completed
    // string names neither a data source nor a driver (SQLite's says "DSN=;").
    CString m_strGivenConnect;
    UINT m_nCursorType = 1; // cursor type of editable result sets (CRRecordset codes)
    CancelHandleProc m_pfnCancelHandle = nullptr; // SQLCancelHandle, when odbc32 exports it
};
