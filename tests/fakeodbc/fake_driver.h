/* Shared declarations of the fake ODBC driver.
 *
 * The driver answers as the product named in the connection string and keeps everything in
 * memory. Connection string keys (all optional except Driver):
 *   DBMS=<SQL_DBMS_NAME>         default "QuenlarkFake"
 *   DBMSVer=<SQL_DBMS_VER>       default "01.02.0003"
 *   ODBCVer=<SQL_DRIVER_ODBC_VER> default "03.80"; below 03 the column catalog has 12 columns
 *   IdentCase=<1..4>             SQL_IDENTIFIER_CASE, default 3 (sensitive)
 *   Log=<file>                   every statement and catalog call is appended, one per line
 *   Prompt=Cancel                a connect that may prompt answers SQL_NO_DATA (user cancelled)
 *   FailConnect=<n>              the connect fails with n diagnostic records
 *   NoRowCount=1                 SQLRowCount fails
 *   NoTransact=1                 SQLEndTran fails
 *   NoTrace=1                    setting SQL_ATTR_TRACE fails
 *   Canned=<file>                canned result sets per statement prefix (fake_canned.c)
 *   MissingTable=<name>          a table that does not exist yet: statements naming it fail with
 *                                42S02 until "CREATE TABLE <name>" runs; "DROP TABLE <name>"
 *                                removes it again
 *   DriverVer=<SQL_DRIVER_VER>   default "01.00.0000"
 *   ScrollOptions=<n>            SQL_SCROLL_OPTIONS mask, default forward-only | static (0x11)
 *   StaticAttr1=<n>, KeysetAttr1=<n>, DynamicAttr1=<n>
 *                                SQL_*_CURSOR_ATTRIBUTES1 (defaults: static next|absolute|
 *                                relative, keyset and dynamic 0); "fail" makes the read fail
 *   NoDBMSVer=1                  reading SQL_DBMS_VER fails
 *   ConnectHold=<file>           the connect waits while the file exists (at most a minute)
 *   ConnectLimit=<n>             connects of this process after the nth fail with 08001 (a
 *                                server that went away: a reconnect fails)
 * A connection by "Driver=<name>" also takes DBMS= and DriverVer= from the driver's own section
 * of odbcinst.ini (the connection string still wins), so a driver entry can stand for a product.
 *
 * Statements: every text is logged. These produce results or failures:
 *   FAKE ERROR <n>        fails with n diagnostic records ("FK00<i>", "[Quenlark][Fake] error <i>")
 *   FAKE INFO             succeeds with a warning (01000)
 *   FAKE ROWS <n>         a result of n rows: ID integer, NAME varchar(20), NOTE longvarchar
 *                         (NULL on every third row), BIN varbinary, TS timestamp
 *   FAKE NOTOTAL          one row whose NOTE is read through SQLGetData with SQL_NO_TOTAL
 *   FAKE ROWERROR         two rows; the second fetch reports SQL_ROW_ERROR with 01S01
 *   FAKE STATEMENTS       one row, one integer column STATEMENTS: the statement handles of this
 *                         connection allocated and not yet freed, the asking one included
 *   anything else         no result, row count 1
 */
#pragma once

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#define FAKE_MAX_COLS 20
#define FAKE_MAX_ROWS 64
#define FAKE_MAX_DIAG 8

typedef struct FakeDiag
{
    char state[6];
    char message[256];
} FakeDiag;

typedef struct FakeDiagList
{
    int count;
    FakeDiag records[FAKE_MAX_DIAG];
} FakeDiagList;

typedef struct FakeColumn
{
    const char* name;
    SQLSMALLINT sqlType;
    SQLULEN size;
} FakeColumn;

typedef struct FakeBinding
{
    SQLSMALLINT cType;
    SQLPOINTER target;
    SQLLEN bufferLength;
    SQLLEN* indicator;
} FakeBinding;

typedef struct FakeEnv
{
    int magic;
    FakeDiagList diag;
} FakeEnv;

typedef struct FakeConn
{
    int magic;
    FakeDiagList diag;
    FakeEnv* env;
    int connected;
    char dbms[128];
    char dbmsVer[64];
    char odbcVer[32];
    char dsn[128];
    char log[512];
    int identCase;
    int noRowCount;
    int noTransact;
    int noTrace;
    char missingTable[128]; /* "" when not used */
    int tableExists;
    SQLULEN autocommit;
    SQLULEN trace;
    char traceFile[512];
    int liveStatements; /* allocated and not yet freed (FAKE STATEMENTS) */
    char canned[512];   /* file of canned answers, "" when not used */
    char driverVer[64];
    SQLUINTEGER scrollOptions;
    SQLUINTEGER cursorAttr1[3]; /* static, keyset, dynamic */
    int cursorAttr1Fails[3];
    int noDBMSVer;
    int logParams; /* LogParams=1: bound parameters logged, outputs written at SQLExecute */
} FakeConn;

/* One bound statement parameter. */
typedef struct FakeParam
{
    SQLSMALLINT ioType;
    SQLSMALLINT cType;
    SQLSMALLINT sqlType;
    SQLPOINTER value;
    SQLLEN bufferLength;
    SQLLEN* indicator;
} FakeParam;
#define FAKE_MAX_PARAMS 16

typedef struct FakeStmt
{
    int magic;
    FakeDiagList diag;
    FakeConn* conn;
    int numCols;
    FakeColumn cols[FAKE_MAX_COLS];
    int numRows;
    const char* rows[FAKE_MAX_ROWS][FAKE_MAX_COLS]; /* NULL is SQL NULL */
    char* owned[FAKE_MAX_ROWS * FAKE_MAX_COLS];     /* strings to free */
    int numOwned;
    int current;                         /* fetched row, -1 before the first */
    int noTotal;                         /* column 3 reported with SQL_NO_TOTAL */
    int rowErrorAt;                      /* row that fetches as SQL_ROW_ERROR, -1 none */
    SQLLEN getDataOffset[FAKE_MAX_COLS]; /* bytes already given by SQLGetData */
    FakeBinding bind[FAKE_MAX_COLS + 1];
    SQLLEN rowCount;
    SQLUSMALLINT* rowStatus;
    SQLULEN* rowsFetched;
    char prepared[4096];
    char cannedPrefix[2048]; /* the canned answer of the last statement */
    int cannedNext;          /* its next result set for SQLMoreResults; 0 none */
    int faultOnMore;         /* SQLMoreResults faults, as a native driver that crashes there */
    FakeParam params[FAKE_MAX_PARAMS + 1]; /* by marker number */
} FakeStmt;

/* fake_results.c */
void fake_reset_result(FakeStmt* stmt);
void fake_set_columns(FakeStmt* stmt, const FakeColumn* cols, int count);
void fake_add_row(FakeStmt* stmt, const char* const* values);
void fake_run_statement_result(FakeStmt* stmt, const char* sql, SQLRETURN* ret);
void fake_catalog_result(FakeStmt* stmt, const char* function, const char* const* args,
                         int argCount);

/* fake_canned.c: 1 when the statement has a canned answer (then loaded, *ret set). */
int fake_canned_result(FakeStmt* stmt, const char* sql, SQLRETURN* ret);
/* Loads the next canned result set of the last statement; 0 when there is none. */
int fake_canned_more(FakeStmt* stmt);

/* fake_driver.c */
void fake_add_diag(FakeDiagList* list, const char* state, const char* message);
void fake_log(FakeConn* conn, const char* text);
