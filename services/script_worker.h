// Running the statements of a script one at a time, directly on the calling thread or, when the
// user may cancel statements ("CancelExec"), on one worker thread kept for the whole run.
//
// Starting a thread per statement costs about a millisecond under Wine, more than a simple
// INSERT takes: the worker waits for the next statement instead of ending.
#pragma once

#include "framework/core.h"

#include "dbaccess/odbc_defs.h"
#include "dbaccess/statement_stop.h"

#include <atomic>
#include <memory>

class CRDatabase;
class CWaitDlg;

// Statements of a PostgreSQL script that only psql can run are refused before they reach the
// server, as a Zelt::CRDBException* that names them: COPY ... FROM STDIN waits for rows that psql
// sends after it, which no ODBC driver can send (the server would hold the connection waiting
// for ever), and a meta-command line (\connect, \set, ...) is no SQL.
void RefuseClientCommand(const CRDatabase& db, LPCWSTR pszSQL);

class CScriptStatementRunner
{
public:
    enum Result
    {
        executed = 0,
        openFailed = 1, // kept for the callers' codes; direct execution reports errors
        cancelled = 2,  // the user cancelled it in the wait dialog
    };

    // bCancelable: statements run on the worker while pWait (kept, may be null) is pumped;
    // Cancel in it cancels the running statement.
    CScriptStatementRunner(CRDatabase& db, bool bCancelable, CWaitDlg* pWait);
    ~CScriptStatementRunner();
    CScriptStatementRunner(const CScriptStatementRunner&) = delete;
    CScriptStatementRunner& operator=(const CScriptStatementRunner&) = delete;

    // Runs one statement directly (SQLExecDirectW); rows it returns are discarded. A database
    // error is thrown as a Zelt::CRDBException* (on the worker's path a new copy raised here);
    // an error caused by a cancel is reported as cancelled instead. On MariaDB a SET NAMES (or
    // SET CHARACTER SET) that the driver refuses is no error: the session note tells the
    // character set the connection keeps. A fault of the driver after the statement ran is
    // told the same way, not as the statement's error.
    Result Run(LPCWSTR pszSQL);

    bool IsCancelable() const { return m_bCancelable; }

private:
    class CWorker;
    void AllocStatement();
    void ExecuteDirect(LPCWSTR pszSQL);

    CRDatabase& m_db;
    bool m_bCancelable;
    CWaitDlg* m_pWait;
    SQLHSTMT m_hStmt = SQL_NULL_HSTMT; // kept for the whole run
    CStatementStop m_stop;             // the user's cancel of the statement on the worker
    std::unique_ptr<CWorker> m_worker;
    // Set by ExecuteDirect, told by Run through the session note: the driver refused a character
    // set change (the run goes on), or it failed after a statement that had run.
    bool m_bCharacterSetKept = false;
    CString m_strDriverNote;
};
