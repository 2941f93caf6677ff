// Running the statements of a script one at a time, directly on the calling thread or, when the
// user may cancel statements ("CancelExec"), on one worker thread kept for the whole run.
//
// Starting a thread per statement costs about a millisecond under Wine, more than a simple
// INSERT takes: the worker waits for the next statement instead of ending.
#pragma once

#include "framework/core.h"

#include <atomic>
#include <memory>

class CRDatabase;
class CWaitDlg;

class CScriptStatementRunner
{
public:
    enum Result
    {
        executed = 0,
        openFailed = 1, // the driver refused the statement without an error record
        cancelled = 2,  // the user cancelled it in the wait dialog
    };

    // bCancelable: statements run on the worker while pWait (kept, may be null) is pumped;
    // Cancel in it cancels the running statement.
    CScriptStatementRunner(CRDatabase& db, bool bCancelable, CWaitDlg* pWait);
    ~CScriptStatementRunner();
    CScriptStatementRunner(const CScriptStatementRunner&) = delete;
    CScriptStatementRunner& operator=(const CScriptStatementRunner&) = delete;

    // Runs one statement; rows it returns are discarded. A database error is thrown as a
    // Zelt::CRDBException* (on the worker's path a new copy raised here); an error caused by a
    // cancel is reported as cancelled instead.
    Result Run(LPCWSTR pszSQL);

    bool IsCancelable() const { return m_bCancelable; }

private:
    class CWorker;
    CRDatabase& m_db;
    bool m_bCancelable;
    CWaitDlg* m_pWait;
    std::unique_ptr<CWorker> m_worker;
};
