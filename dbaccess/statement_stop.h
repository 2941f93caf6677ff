// Stopping a statement that another thread runs (the worker of a wait dialog's job).
//
// The thread that waits calls Ask when the user cancels, and again every kRepeatMs while the
// worker still runs: PostgreSQL and MariaDB take a cancel on a connection of their own and drop
// one that reaches the server before the statement does, and SQLCancel on a statement the driver
// is not yet running does nothing at all. So a single request made just as the statement starts
// would let it run to its end.
//
// The worker checks IsAsked before it sends the statement (a request made before then keeps the
// statement from running) and holds a CRunning scope around the driver call that runs it; only
// within that scope does Ask reach the driver (SQLCancel). The scope's end waits for an SQLCancel
// in progress, so the handle is never cancelled after the worker has moved on to free it.
#pragma once

#include "framework/core.h"

#include <sql.h>

#include <atomic>
#include <mutex>

class CStatementStop
{
public:
    static constexpr DWORD kRepeatMs = 200;

    // Records the request, and cancels the statement when the driver is running it.
    void Ask();
    // Before the statement's job starts, and after it ended: no request stands.
    void Clear() { m_bAsked = false; }
    bool IsAsked() const { return m_bAsked.load(); }

    class CRunning
    {
    public:
        // hCancel: the handle SQLCancel takes for the running statement
        // (CRDatabase::CancelHandleFor).
        CRunning(CStatementStop& stop, SQLHSTMT hCancel);
        ~CRunning();
        CRunning(const CRunning&) = delete;
        CRunning& operator=(const CRunning&) = delete;

    private:
        CStatementStop& m_stop;
    };

private:
    std::atomic<bool> m_bAsked{false};
    std::mutex m_lock;                    // guards m_hRunning and each SQLCancel on it
    SQLHSTMT m_hRunning = SQL_NULL_HSTMT; // set within a CRunning scope
};

// What a statement that was stopped before it was sent throws: the SQLSTATE of a cancelled call
// (HY008), as the driver's own answer to SQLCancel would be.
[[noreturn]] void ThrowStoppedBeforeStart();
