// One ODBC connection: environment and connection handles, connect and reconnect, product
// detection, direct statements, transactions, trace, driver information, SQL literals for each
// product, and the lists of data sources and drivers.
//
// Conventions of the whole database layer: a call succeeds when it returns SQL_SUCCESS or
// SQL_SUCCESS_WITH_INFO (SQL_SUCCEEDED); handles come from the ODBC 2 allocation functions with no
// ODBC version set; all text goes through the wide entry points; every failure is thrown as a
// Zelt::CRDBException pointer.
#pragma once

#include "framework/core.h"

#include "dbaccess/odbc_defs.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "dbaccess/db_exception.h"
#include "dbaccess/transaction_state.h"

// SQLCancelHandle, looked up in the driver manager at run time (older driver managers lack it).
// A statement handle falls back to SQLCancel; a connection handle without SQLCancelHandle gives
// SQL_ERROR.
SQLRETURN CancelODBCHandle(SQLSMALLINT nHandleType, SQLHANDLE hHandle);
// True when the driver manager exports SQLCancelHandle.
bool HasSQLCancelHandle();

namespace Zelt {
class ICursor;
}

// The database product, recognised from the DBMS name the driver reports.
enum DBMSKind : UINT
{
    DBMS_OTHER = 0,
    DBMS_ACCESS = 1,
    DBMS_SQLSERVER = 2, // "SQL Server" (the old driver's name)
    DBMS_ORACLE = 3,
    DBMS_MSSQL = 4, // "Microsoft SQL Server..."
    DBMS_FIREBIRD = 5,
    DBMS_MYSQL = 6,
    DBMS_POSTGRESQL = 7,
    // Only a target of the literals of INSERT scripts: a SQLite connection is of kind DBMS_OTHER
    // (see HasDynamicTypes).
    DBMS_SQLITE = 8,
};

// The kind for a DBMS name (SQL_DBMS_NAME), or DBMS_OTHER.
DBMSKind DBMSKindFromName(LPCWSTR pszName);

// Milliseconds of the high-resolution performance counter; 0 when it is unavailable.
LONGLONG GetTickMs();

// One data source name of the driver manager.
struct CDSNInfo
{
    CString m_strName;
    UINT m_nKind = 0;         // the filter it was read with: 0 user, 1 system, other all
    CString m_strDescription; // the driver's description
};

class CRDatabase
{
public:
    // Option bits of Open and Reconnect.
    enum
    {
        openReadOnly = 1,     // SQL_ACCESS_MODE read-only
        openUseCursorLib = 2, // SQL_ODBC_CURSORS = SQL_CUR_USE_ODBC
        openNoPrompt = 4,     // SQL_DRIVER_NOPROMPT
        openPrompt = 8,       // SQL_DRIVER_PROMPT (unless openNoPrompt)
    };

    // One installed driver and its attributes in the driver manager's order.
    class CDriverInfo
    {
    public:
        CDriverInfo() {}
        // pszAttributes: "key=value\0key=value\0\0"; nMaxChars bounds the reading when the list
        // was cut by the buffer it came in (-1: read up to the empty entry).
        CDriverInfo(LPCWSTR pszDescription, LPCWSTR pszAttributes, int nMaxChars = -1);

        CString m_strDescription;
        std::vector<std::pair<CString, CString>> m_attributes;
    };

    CRDatabase();
    virtual ~CRDatabase();
    CRDatabase(const CRDatabase&) = delete;
    CRDatabase& operator=(const CRDatabase&) = delete;

    // Connection life. Open returns false when the user cancelled the driver manager's dialog.
    bool Open(LPCWSTR pszConnect, DWORD dwOptions, HWND hWnd, UINT nConnectionTimeout,
              UINT nLoginTimeout, UINT nQueryTimeout);
    bool Reconnect(DWORD dwOptions, HWND hWnd, UINT nConnectionTimeout, UINT nLoginTimeout,
                   UINT nQueryTimeout);
    virtual void Close();
    void DetectDBMSKind();

    bool IsOpen() const { return m_hDbc != SQL_NULL_HDBC; }
    SQLHENV GetEnvHandle() const { return m_hEnv; }
    SQLHDBC GetConnectionHandle() const { return m_hDbc; }
    // Changes each time the connection closes. SQLDisconnect frees the statements still allocated
    // on it, and the driver manager may give their handles to statements allocated afterwards:
    // a handle allocated under another serial must not be used, nor freed.
    UINT GetConnectionSerial() const { return m_nConnectionSerial; }
    const CString& GetConnect() const { return m_strConnect; }
    DBMSKind GetDBMSKind() const { return m_nDBMSKind; }
    // Milliseconds the last ExecuteSQL spent in SQLExecDirectW.
    LONGLONG GetExecutionTime() const { return m_nEndTime - m_nStartTime; }

    // Statements.
    void SetQueryTimeout(UINT nSeconds) { m_nQueryTimeout = nSeconds; }
    bool GetQueryTimeout(UINT* pnSeconds) const;
    UINT GetQueryTimeout() const { return m_nQueryTimeout; }
    // Runs one statement directly; the optional row count is -1 when the driver cannot tell.
    void ExecuteSQL(LPCWSTR pszSQL, LONGLONG* pnRowCount = nullptr);

    // Information; failures give false and leave the output unchanged.
    bool GetInfoWord(SQLUSMALLINT nInfoType, WORD& nValue);
    bool GetInfoDWord(SQLUSMALLINT nInfoType, DWORD& nValue);
    bool GetInfoString(SQLUSMALLINT nInfoType, CString& strValue);
    bool GetDataSourceName(CString& str) { return GetInfoString(SQL_DATA_SOURCE_NAME, str); }
    bool GetDriverName(CString& str) { return GetInfoString(SQL_DRIVER_NAME, str); }
    bool GetDriverVersion(CString& str) { return GetInfoString(SQL_DRIVER_VER, str); }
    bool GetDatabaseName(CString& str) { return GetInfoString(SQL_DATABASE_NAME, str); }
    bool GetDBMSName(CString& str) { return GetInfoString(SQL_DBMS_NAME, str); }
    bool GetDBMSVersion(CString& str) { return GetInfoString(SQL_DBMS_VER, str); }
    bool GetDriverODBCVersion(CString& str) { return GetInfoString(SQL_DRIVER_ODBC_VER, str); }
    bool GetDMVersion(CString& str) { return GetInfoString(SQL_DM_VER, str); }
    // "03.80.0000" gives 3, 80, 0; any output may be null.
    bool GetInfoVersion(SQLUSMALLINT nInfoType, int* pnMajor, int* pnMinor, int* pnRelease);
    bool IsFunctionSupported(SQLUSMALLINT nFunction);
    // Cursor attribute masks for SQL_CURSOR_* types; throw on failure.
    DWORD GetCursorAttributes1(SQLULEN nCursorType);
    DWORD GetCursorAttributes2(SQLULEN nCursorType);
    bool GetODBCCursorsOption(DWORD& nValue);
    bool GetConnectionTimeout(DWORD& nValue);
    bool GetLoginTimeout(DWORD& nValue);

    // Transactions: false at once while closed; driver failures throw. Both read the results
    // registered below to their end first. Ending an aborted transaction (TxnState::Aborted)
    // with a commit rolls it back, as the server does, and the session note says so.
    bool BeginTrans();
    // The same around one change of the program's own, which the caller ends at once
    // (CRTransaction): a failure inside it is not said to leave a transaction open.
    bool BeginGuard();
    bool EndTrans(bool bCommit);
    // The transaction as the connection follows it (see dbaccess/transaction_state.h).
    TxnState GetTransactionState() const { return m_txn; }
    // Whether the driver knows the session with the server is gone (SQL_ATTR_CONNECTION_DEAD).
    bool IsConnectionDead();
    // True while a transaction is open, or while the server has not yet answered whether one is
    // (see AskAgainAboutTransaction): a transaction not known to be closed is shown, asked about
    // and ended as open.
    bool IsInTransaction();
    // PostgreSQL: whether the session's transaction is aborted (the server refuses every
    // statement until it ends). Where the connection takes it for open the server is asked: a
    // failure the program did not follow may have aborted it.
    bool IsTransactionAborted();
    // The question whether a transaction is open waits while a statement of the user's still
    // has further results to hand over (MySQL answers nothing else meanwhile, and a question sent
    // then breaks the driver's reading): it is asked once they are read or dropped. Each
    // statement path of the user's calls this before its statement, and a result calls it when
    // it closes. Nothing when no question waits.
    void AskAgainAboutTransaction();

    // True when the driver hands over forward-only results as they are fetched: SQLite with
    // StepAPI=1 (Open adds it to the string it connects with where the user's string does not
    // choose). psqlODBC reads each result whole when its statement runs, as psql does (Open
    // turns its own cursors off, see driver_file.h).
    bool IsStreamingResults() const { return m_bStreamingResults; }

    // SQLite stepping through results because this program asked for it: a forward-only
    // statement streams only when it says its columns all have a declared type
    // (RS_DECLARED_COLUMNS); the others ask the driver for a static cursor, read whole and typed
    // as without stepping.
    bool StreamsDeclaredColumnsOnly() const { return m_bDeclaredColumnsOnly; }
    // A statement of our own whose rows nobody reads (ExecuteSQL, a script's) asks SQLite's
    // stepping driver for a static cursor, whoever asked for stepping: stepping, the driver takes
    // a statement that begins like a query ("WITH ... INSERT ...") for one and does not run it at
    // all until it is fetched.
    void AskWholeRead(SQLHSTMT hStmt) const;
    // SQLite stepping through results (whoever asked): a result part read holds the database
    // file's shared lock, and a change made on the connection meanwhile shows in the rows still
    // to come (or moves a row the read has passed to where it will meet it again). So every
    // statement other than such a read first reads the registered results to their end.
    bool ReadsResultsBeforeStatements() const { return m_bReadResultsFirst; }
    // Reads the registered results to their end where the connection asks for it (above); each
    // statement path calls it before its statement runs, on the thread that owns the results.
    void BeforeStatement()
    {
        if (m_txn == TxnState::Read)
            LetGoOfReads();
        HoldReadAheads();
        if (m_txn == TxnState::DriversAborted)
            EndDriversAbortedTransaction();
        if (m_bReadResultsFirst && !m_streamingResults.empty())
            ReadStreamingResultsToEnd();
    }

    // PostgreSQL: windows read their own SELECTs through cursors without HOLD in a transaction
    // of the program's (TxnState::Read, see held_cursor.h), which holds a snapshot and the
    // tables' share locks only while a window reads on by itself, as psql holds them while it
    // prints. It is never the user's: BeforeStatement, a transaction's start or end and closing
    // the connection roll it back first (LetGoOfReads), and every read in it stops where it is.
    // BeginWindowRead opens it (autocommit off) or joins the one open, and gives the read's
    // number; false inside any other transaction.
    bool BeginWindowRead(UINT& nRead);
    // Whether the read of that number still runs: its transaction was not let go meanwhile.
    bool IsWindowReadOn(UINT nRead) const
    {
        return m_txn == TxnState::Read && nRead == m_nReadTransaction;
    }
    // A read that ended (its rows read, its window closed): its cursor is closed, and with the
    // last read the transaction is rolled back.
    void EndWindowRead(UINT nRead, LPCWSTR pszCursor);
    // Cancels whatever the reads have under way (IReadAhead::LetGo) and rolls their transaction
    // back; nothing outside TxnState::Read.
    void LetGoOfReads();

    // A result fetched ahead of its reader on a thread of its own (CRRecordset). The driver
    // must not be called for anything else on the connection meanwhile: SQLite's driver steps
    // through one database connection; psqlODBC with its own cursors (where the string or the
    // data source asked for them), reading a result in autocommit mode, ends the transaction it
    // opened for it when the rows run out, and a statement starting on another thread at that
    // moment is sent with a savepoint of a transaction that is gone ("SAVEPOINT can only be used
    // in transaction blocks"). So every
    // other call that reaches the server (a statement, a fetch, a row change, a transaction's
    // start or end, closing a result) first holds each such read: it stops after the fetch it
    // is in (one round trip of the driver's fetch size at most), and its reader reads the rest
    // itself, on its own thread (on SQLite the read's thread fetches again once its reader asks
    // for rows after the call: see CRRecordset::CReadAhead::StartLocked).
    class IReadAhead
    {
    public:
        virtual ~IReadAhead() {}
        // Returns once the thread no longer calls the driver; nothing when called on it.
        virtual void Hold() = 0;
        // The same before the reads' transaction is rolled back (LetGoOfReads): a fetch under
        // way may be cancelled, since the read stops there.
        virtual void LetGo() { Hold(); }
        // The connection is closing: the thread is stopped for good, and nothing of the read
        // calls the connection again.
        virtual void Detach() = 0;
    };
    // The list keeps no read alive: a read leaves it (RemoveReadAhead) before its reader lets
    // it go, and one being held meanwhile stays alive until its hold returns.
    void AddReadAhead(const std::shared_ptr<IReadAhead>& pReadAhead);
    void RemoveReadAhead(IReadAhead* pReadAhead);
    void HoldReadAheads()
    {
        if (m_nReadAheads.load(std::memory_order_acquire) != 0)
            HoldEachReadAhead();
    }
    // Marks the calling thread as one that reads ahead: holds made on it do nothing (it never
    // waits for another read's thread, which may be waiting for it).
    static void SetReadAheadThread();
    static bool IsReadAheadThread();

    // A result still being read from the driver on this connection (SQLite stepping). Such a
    // statement does not survive the end of a transaction (the driver reports a silent end of
    // data), so before a transaction begins or ends every registered result is read whole.
    class IStreamingResult
    {
    public:
        virtual ~IStreamingResult() {}
        // Reads the rest; a failure of the read stops the result's rows and is kept there, not
        // thrown into the statement that asked.
        virtual void ReadToEnd() = 0;
    };
    void AddStreamingResult(IStreamingResult* pResult);
    void RemoveStreamingResult(IStreamingResult* pResult);
    void ReadStreamingResultsToEnd();

    // Driver manager trace.
    bool StartTrace(LPCWSTR pszTraceFile);
    bool StopTrace();
    bool IsTraceOn();
    bool GetTraceFile(CString& strFile);

    // The diagnostics of the statement (or, failing that, the connection) as one message; one
    // record gives its text without the "[vendor]" tags and its SQLSTATE, several give one line
    // each: "* 'STATE' text". Once the session is gone, the text says so in plain words
    // (LostConnectionText); the SQLSTATE stays the driver's.
    CString GetErrorText(SQLHSTMT hStmt, CString* pstrSQLState = nullptr);

    // SQL literals for a product kind.
    // Dates and timestamps: a year before 1 is written as PostgreSQL's "... BC" or Oracle's signed
    // SYYYY year and refused (thrown) by the other products; year 0 only where it exists.
    static CString FormatDateLiteral(UINT nKind, const DATE_STRUCT& value);
    static CString FormatTimeLiteral(UINT nKind, const TIMESTAMP_STRUCT& value);
    static CString FormatTimestampLiteral(UINT nKind, const TIMESTAMP_STRUCT& value);
    static CString FormatTimestampOffsetLiteral(UINT nKind,
                                                const SQL_SS_TIMESTAMPOFFSET_STRUCT& value);
    // Text: quotes doubled; MySQL backslashes escaped (the server's default mode); on PostgreSQL a
    // text holding a backslash is written E'...' with the backslash doubled, which reads the same
    // whatever standard_conforming_strings says. A text holding U+0000 is refused (thrown) where
    // the product cannot take it in a literal; MySQL writes it \0. The CString form keeps
    // characters after an embedded U+0000.
    static CString FormatStringLiteral(UINT nKind, LPCWSTR pszText);
    static CString FormatStringLiteral(UINT nKind, const CString& text);
    // Hexadecimal text (pairs of digits) as a binary literal; other text is refused (thrown).
    static CString FormatBinaryLiteral(UINT nKind, LPCWSTR pszHex);
    // The current value of a cursor column (from 1) as a literal for the target kind; this
    // connection is the one the cursor reads from. "NULL" for NULL, "" for a target kind
    // outside 1..7. Not-a-number and the infinities are written as PostgreSQL ('NaN',
    // 'Infinity') and Oracle (BINARY_DOUBLE_NAN, ...) read them, refused (thrown) elsewhere.
    CString FormatFieldLiteral(UINT nTargetKind, Zelt::ICursor* pCursor, UINT nColumn);

    // The same for this connection's own kind.
    CString TimeLiteral(const TIMESTAMP_STRUCT& value) const
    {
        return FormatTimeLiteral(m_nDBMSKind, value);
    }
    CString TimestampLiteral(const TIMESTAMP_STRUCT& value) const
    {
        return FormatTimestampLiteral(m_nDBMSKind, value);
    }
    CString TimestampOffsetLiteral(const SQL_SS_TIMESTAMPOFFSET_STRUCT& value) const
    {
        return FormatTimestampOffsetLiteral(m_nDBMSKind, value);
    }
    // Text for this connection's session: MySQL's backslashes are escaped only while the
    // session's sql_mode lacks NO_BACKSLASH_ESCAPES (PostgreSQL's always are, see QuoteText) (as last read, see RefreshLiteralRules);
    // without them a text holding U+0000 is written as _utf8mb4 X'...'. On SQLite characters
    // above U+FFFF are written as char() calls joined to the quoted runs.
    CString StringLiteral(LPCWSTR pszText) const
    {
        return QuoteText(m_nDBMSKind, pszText, pszText ? static_cast<int>(wcslen(pszText)) : 0,
                         m_nLiteralRules);
    }
    CString StringLiteral(const CString& text) const
    {
        return QuoteText(m_nDBMSKind, text.GetString(), text.GetLength(), m_nLiteralRules);
    }
    // Backslashes in '...' are escapes on this session: MySQL without NO_BACKSLASH_ESCAPES,
    // PostgreSQL with standard_conforming_strings off.
    bool UsesBackslashEscapes() const { return (m_nLiteralRules & literalBackslashEscapes) != 0; }
    // Reads the session settings that decide how text literals are written: MySQL's sql_mode.
    // Open reads them and ExecuteSQL again after a SET; code that builds literals after other
    // statements may have run calls it first. One small query on MySQL, nothing elsewhere. When
    // the mode cannot be read, backslashes are escaped (the server's default).
    void RefreshLiteralRules();
    // PostgreSQL: reads standard_conforming_strings (off: backslashes in '...' are escapes, which
    // UsesBackslashEscapes tells) at connect and after a statement that may change it; kept as it
    // was when it cannot be read.
    void RefreshConformingStrings();
    // Whether a statement may have changed standard_conforming_strings: it names it, resets the
    // session, or ends a transaction that may have set it; while it is off, any statement but a
    // plain one.
    bool MayChangeConformingStrings(LPCWSTR pszSQL) const;
    // The follow-up of a statement that may change the session: every path that runs SQL text
    // of the user's calls FollowStatementStart before it and AfterStatement (or, when it failed,
    // AfterFailedStatement) after it. None of them throws.
    //
    // Transactions (PostgreSQL, MySQL): the drivers go on reporting autocommit on after a BEGIN
    // or START TRANSACTION of the user's while the server keeps every later change until a
    // COMMIT, so saved edits would be rolled back at disconnect without a question. Autocommit
    // goes off before such a statement runs: the block becomes the connection's transaction,
    // shown, ended and asked about as one. A COMMIT, ROLLBACK, END (...) that ends it gives the
    // connection autocommit back. The server is asked only where the text and the outcome
    // cannot tell (MySQL's implicit commits and procedures, several statements that failed, any
    // statement on SQLite but a plain one); the question takes no snapshot and counts as no
    // query. On PostgreSQL a failure inside the transaction leaves it aborted, as psql does: the
    // server refuses every statement until the user ends it, and the statement's error says so.
    // A transaction the program began itself (BeginTrans) is left to its owner.
    void FollowStatementStart(LPCWSTR pszSQL);
    // Runs a statement of the program's own on a statement handle of its own, without session
    // follow-up: the reads ahead are held first, after (when given) sees the statement and the
    // driver's answer once it ran (a null handle when none could be allocated), and the handle is
    // freed. The connection's own one-step statements (settings, questions about the session,
    // the end of a transaction the driver does not know of) all go through here.
    SQLRETURN RunOwnStatement(LPCWSTR pszSQL,
                              const std::function<void(SQLHSTMT, SQLRETURN)>& after = {});
    // The same with the statement sent by execute (which gets the handle), for a probe of how
    // the driver takes text sent through another entry point.
    SQLRETURN RunOwnStatementBy(const std::function<SQLRETURN(SQLHSTMT)>& execute,
                                const std::function<void(SQLHSTMT, SQLRETURN)>& after = {});
    // The same for a caller to whom a failure only tells something; true when it succeeded.
    bool ExecQuietly(LPCWSTR pszSQL);
    // PostgreSQL outside a transaction of the user's: a transaction psqlODBC opened for a cursor
    // of its own (UseDeclareFetch), which a failure left aborted, is rolled back.
    void EndDriversAbortedTransaction();
    // The same where no statement may be sent yet: it is rolled back before the next one.
    void MarkDriversTransactionAborted()
    {
        if (m_txn == TxnState::None && m_hDbc != SQL_NULL_HDBC)
            m_txn = TxnState::DriversAborted;
    }
    // Asks the server a question of one value of the program's own, without follow-up: 0 when
    // the answer begins with "0", 1 for any other, -1 when it cannot be answered (an aborted
    // PostgreSQL transaction, a MySQL result still being read).
    int AskOneValue(LPCWSTR pszQuestion);
    // The same for a text answer (at most 1023 characters); false when there is none.
    bool AskOneText(LPCWSTR pszQuestion, CString& strAnswer);
    // After a statement that ran: the transaction as above, MySQL's literal rules after a SET
    // (which returns no result, so the connection is free for the query), PostgreSQL's date
    // style. bResultClosed: the statement left no result open, so one that only names a setting
    // is followed too.
    void AfterStatement(LPCWSTR pszSQL, bool bResultClosed = false);
    // pError: the statement's failure; when null and called from a handler of one, the failure
    // being handled. What the server did to the transaction is added to its message.
    void AfterFailedStatement(LPCWSTR pszSQL, Zelt::CRDBException* pError = nullptr);
    // After a failed call on the connection, a statement's or a row change's: when the session
    // is gone (the server ended it, the connection broke), whatever transaction was open went
    // with it, and is no longer shown, asked about or ended; a note for the user says so where one
    // was open, in strNote (else empty). True when the session is gone.
    bool FollowLostSession(CString& strNote);
    // What the follow-up of the last statement repaired in the session, for the user to read
    // with the statement's success ("" when nothing); taking it empties it.
    CString TakeSessionNote();
    // Adds a line to the session note, after the follow-up of a statement.
    void AddSessionNote(const CString& strNote)
    {
        m_strSessionNote += (m_strSessionNote.IsEmpty() ? L"" : L"\n") + strNote;
    }
    // PostgreSQL: the settings the driver reads values by, read after a
    // statement that may have changed them (SET, RESET, DISCARD, set_config, or one naming
    // them), each set back where it no longer holds, and the session note says so:
    // - the ISO output DateStyle, which the driver sets when it connects and reads dates and
    //   timestamps by (any other style gives wrong dates without an error);
    // - the client encoding the session connected with (in another, text shows as other
    //   characters);
    // - extra_float_digits no lower than at connect: the driver reads float4 and float8 values
    //   from the server's text of them, which is rounded below 1 (1234.5 written "1e+03").
    void KeepDriverSettings();
    // MySQL: the driver sends and reads text in the character set it connected with; a
    // character_set_client, _connection or _results of the user's own (SET character_set_results
    // = latin1; the driver refuses only SET NAMES) would show text as other characters, store
    // other text than typed, or compare literals in a narrower set. Each is set back to its value
    // at connect, and the session note says so.
    void KeepCharacterSets();
    CString BinaryLiteral(LPCWSTR pszHex) const { return FormatBinaryLiteral(m_nDBMSKind, pszHex); }

    // How the driver hands over 8-bit text (SQL_C_CHAR): -1 not known yet, 1 as UTF-8, 0 in some
    // other encoding. The recordset finds out with its first text column; every connection starts
    // unknown.
    int GetNarrowTextUtf8() const { return m_nNarrowTextUtf8; }
    // Asks the driver once how it hands over 8-bit text (see GetNarrowTextUtf8), on products
    // where a question is known; defined with the recordset's text reading.
    void LearnNarrowText();
    // Whether a column's declared type does not bound its values (SQLite: any integer column
    // holds 64 bits, whatever its declaration says).
    bool HasDynamicTypes() const { return m_bDynamicTypes; }
    bool IsSQLite() const { return m_bSQLite; }
    // The handle a cancel of hStmt goes to (CStatementStop): on SQLite and MariaDB a spare
    // statement of the connection, else hStmt itself. Both drivers answer SQLCancel by closing
    // the statement it was called on, on the cancelling thread, while the call it cancels may
    // still use that statement's result on its own: SQLite's always (after interrupting the
    // connection), MariaDB's whenever the call is in a part that does not hold the connection
    // (a fetch, a description). The result was freed under a fetch (glibc's heap checks ended
    // the process; a fetch never returned). The spare has no result to close, and the cancel
    // reaches the running call all the same: SQLite's interrupt is the connection's, and
    // MariaDB's KILL QUERY names the connection's session (a cancel that meets a part not
    // holding the connection only closes the spare, and CStatementStop asks again).
    // psqlODBC sends a cancel only for the statement it is called on, and otherwise waits for
    // that statement's call to end.
    SQLHSTMT CancelHandleFor(SQLHSTMT hStmt) const
    {
        return m_hSpareCancel != SQL_NULL_HSTMT ? m_hSpareCancel : hStmt;
    }
    // How statement text holding characters beyond U+FFFF goes to the driver (see
    // dbaccess/statement_text.h): -1 not yet known on this connection.
    int GetSupplementaryTextRoute() const { return m_nSupplementaryTextRoute; }
    void SetSupplementaryTextRoute(int nRoute) { m_nSupplementaryTextRoute = nRoute; }
    void SetNarrowTextUtf8(int nState) { m_nNarrowTextUtf8 = nState; }

    // Data sources (filter 0 user, 1 system, other all) and drivers; false when no environment
    // could be allocated; driver manager failures throw after the entries read so far.
    static bool GetDataSources(UINT nFilter, std::vector<CDSNInfo>& list);
    static bool GetDrivers(std::vector<CDriverInfo>& list);

    // The escape character of catalog search patterns (SQL_SEARCH_PATTERN_ESCAPE), "" when the
    // driver has none.
    CString GetSearchPatternEscape();

private:
    void FollowSessionChanges(LPCWSTR pszSQL, bool bAnyStatement, bool bResultOpen);
    bool FollowsTransactionBlocks() const;
    TxnProduct GetTxnProduct() const;
    // bResultOpen: the statement's result is still open (further results may wait on MySQL).
    void FollowTransaction(LPCWSTR pszSQL, bool bSucceeded, const CString& strSQLState,
                           const CString& strError, bool bResultOpen);
    // Whether the server has a transaction open. Asked on a statement of the program's own that
    // takes no snapshot and counts as no query: a transaction's first query still sees what
    // others committed before it, and SET TRANSACTION still works after the question.
    TxnAnswer AskTransactionOpen();
    TxnAnswer AskSQLiteTransactionOpen();
    // Sets autocommit and the program's view of the transaction from the server's answer.
    void FollowServerTransaction(TxnAnswer answer);
    // PostgreSQL, before a COMMIT of an open transaction: whether the server holds it aborted
    // (the COMMIT then rolls it back) is asked, not taken from the statements seen so far (a
    // ROLLBACK TO SAVEPOINT inside a text, an error the program did not see).
    void AskAbortedBeforeCommit();
    // Commits or rolls back the transaction the driver does not know of (TxnState::Server).
    bool EndServerTransaction(bool bCommit);
    // The one way the state changes: autocommit is set to what the next state needs. A switch
    // the driver refuses keeps the autocommit the connection has (an open transaction the driver
    // does not know of, TxnState::Server, when autocommit could not go off).
    void EnterTxnState(TxnState next);
    // GetErrorText's reading of the records, with the SQLSTATE of each.
    CString ReadErrorText(SQLHSTMT hStmt, CString* pstrSQLState, std::vector<CString>& states);
    // BeginTrans and BeginGuard: autocommit off, in the state given.
    bool BeginProgramTransaction(TxnState state);
    // Autocommit off, for the transaction a statement of the user's is about to open: it stays
    // open until a statement of theirs ends it (FollowTransaction) or they end it.
    void TakeUsersTransaction();
    // How this connection's text literals are written.
    enum
    {
        // Backslashes in '...' are escapes (MySQL's default mode, PostgreSQL's
        // standard_conforming_strings off)
        literalBackslashEscapes = 1,
        // Characters above U+FFFF go in as char(code point): the SQLite driver garbles them in
        // statement text (the statement is cut after the first one), though it reads them fine.
        literalSupplementaryAsChar = 2,
    };
    static CString QuoteText(UINT nKind, const wchar_t* pText, int nLength, UINT nRules);
    bool SetConnectOption(SQLUSMALLINT nOption, SQLULEN nValue, SQLRETURN* pnRet = nullptr);
    bool ConnectHandle(LPCWSTR pszConnect, DWORD dwOptions, HWND hWnd, UINT nConnectionTimeout,
                       UINT nLoginTimeout, SQLUSMALLINT nCompletion, CString* pstrCompleted,
                       SQLRETURN& nRet);
    // What the results of the driver that answered do, from the strings given and opened with.
    void FollowDriverOptions(LPCWSTR pszConnect, LPCWSTR pszOpened, DWORD dwOptions);

    SQLHENV m_hEnv = SQL_NULL_HENV;
    SQLHDBC m_hDbc = SQL_NULL_HDBC; // the connection is open exactly while this is set
    UINT m_nConnectionSerial = 0;
    CString m_strConnect;     // completed connection string of the last Open
    UINT m_nQueryTimeout = 0; // seconds, set on every statement; 0 none
    DBMSKind m_nDBMSKind = DBMS_OTHER;
    UINT m_nLiteralRules = 0;        // literal* bits
    LONGLONG m_nStartTime = 0;       // GetTickMs when the last ExecuteSQL began
    LONGLONG m_nEndTime = 0;         // and when its SQLExecDirectW returned
    int m_nNarrowTextUtf8 = -1;      // see GetNarrowTextUtf8
    bool m_bDynamicTypes = false;    // see HasDynamicTypes
    TxnState m_txn = TxnState::None; // the transaction, see transaction_state.h
    // The error of the statement that aborted the transaction (TxnState::Aborted), for the note
    // when a COMMIT rolls it back.
    CString m_strAbortError;
    // PostgreSQL: a SAVEPOINT of the user's ran in the open transaction, so the note after a
    // failure in it names ROLLBACK TO SAVEPOINT.
    bool m_bSavepointMade = false;
    bool m_bEndingDriversTransaction = false; // EndDriversAbortedTransaction is running
    bool m_bSQLite = false;
    SQLHSTMT m_hSpareCancel = SQL_NULL_HSTMT; // see CancelHandleFor
    int m_nSupplementaryTextRoute = -1;
    // PostgreSQL: DateStyle, client_encoding and extra_float_digits as the session has them.
    bool ReadDriverSettings(CString& strDateStyle, CString& strEncoding, CString& strDigits);
    void KeepIsoDateStyle(const CString& strStyle);
    void KeepClientEncoding(const CString& strEncoding);
    void KeepFloatDigits(const CString& strDigits);
    CString m_strSessionNote;    // see TakeSessionNote
    CString m_strClientEncoding; // PostgreSQL: client_encoding at connect ("" when not known)
    CString m_strFloatDigits;    // PostgreSQL: extra_float_digits at connect ("" when not known)
    // MySQL: character_set_client, character_set_connection and character_set_results at
    // connect, in that order and joined by commas ("" when not known)
    CString m_strCharacterSets;
    bool m_bStreamingResults = false;
    bool m_bDeclaredColumnsOnly = false; // see StreamsDeclaredColumnsOnly
    bool m_bReadResultsFirst = false;    // see ReadsResultsBeforeStatements
    std::vector<IStreamingResult*> m_streamingResults;
    void HoldEachReadAhead();
    void DetachReadAheads();
    std::mutex m_readAheadMutex; // guards m_readAheads (never held while a read is held)
    std::vector<std::weak_ptr<IReadAhead>> m_readAheads;
    std::atomic<int> m_nReadAheads{0}; // their number, read without the lock
    UINT m_nReadTransaction = 0;       // the number of the reads' transaction, see IsWindowReadOn
    int m_nWindowReads = 0;            // reads in it not yet ended
};
