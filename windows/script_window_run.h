// Running the whole text of a script window statement by statement: each failing statement
// goes to the SQL error dialog (retry, possibly edited; next; ignore errors; stop), an edited
// statement that then ran or was passed over is written back into the editor, and an optional
// transaction is committed at the end only when the user says so.
//
// The run talks to its window through CScriptWindowHost, so that the same steps run in the
// script window and, with scripted answers, in tests.
#pragma once

#include "framework/core.h"

class CRDatabase;

class CScriptWindowHost
{
public:
    virtual ~CScriptWindowHost() = default;
    // A message box (MB_* flags); the button chosen.
    virtual int Message(LPCWSTR pszText, UINT nType) = 0;
    // The SQL error dialog for a statement as read; the button chosen (CSQLError results).
    // On Retry the statement holds the text as the user left it.
    virtual int ShowError(CString& strStatement, LPCWSTR pszError) = 0;
    // Replaces [nStart, nEnd) of the editor text; false when the editor refused.
    virtual bool ReplaceText(int nStart, int nEnd, LPCWSTR pszText) = 0;
    virtual CString GetText() = 0;
    // Before each statement: the number read so far. True when the user cancelled.
    virtual bool Progress(int nCount) = 0;
    // Lets the window repaint and the wait dialog answer; true when the user cancelled.
    virtual bool PumpMessages() = 0;
    // Runs a statement without its comments: 0 ran, 1 the driver refused it without an error
    // record, 2 cancelled. Database errors are thrown as Zelt::CRDBException*.
    virtual int RunStatement(LPCWSTR pszSQL) = 0;
};

struct CScriptWindowRunResult
{
    int nStatements = 0; // statements read, empty ones included
    int nSucceeded = 0;
    bool bStopped = false;    // Cancel, Stop, a refused statement or a failed write-back
    bool bAborted = false;    // a database error ended the run (no summary)
    bool bCommitted = false;  // the transaction was committed
    bool bRolledBack = false; // the transaction was rolled back
};

// Runs the text with the separator on db (the dialect follows the connection). bTransaction
// opens a transaction first.
CScriptWindowRunResult RunScriptText(CRDatabase& db, LPCWSTR pszText, LPCWSTR pszSeparator,
                                     bool bTransaction, CScriptWindowHost& host);
