#include "dbaccess/transaction_state.h"

bool TxnAutocommitOff(TxnState state)
{
    switch (state)
    {
    case TxnState::Beginning:
    case TxnState::User:
    case TxnState::Program:
    case TxnState::Guard:
    case TxnState::Aborted:
    case TxnState::UserUnknown:
    case TxnState::Lost:
    case TxnState::Read: return true;
    default: return false;
    }
}

bool TxnIsOpen(TxnState state, bool bSessionGone)
{
    switch (state)
    {
    case TxnState::None:
    case TxnState::Lost:
    case TxnState::DriversAborted:
    case TxnState::Read: return false;
    // A question left unanswered because the session is gone: its transaction went with it.
    case TxnState::Unknown:
    case TxnState::UserUnknown: return !bSessionGone;
    default: return true;
    }
}

namespace {

TxnStep Stay(TxnState state)
{
    return TxnStep{state};
}

TxnStep Ask(TxnState state)
{
    TxnStep step{state};
    step.bAsk = true;
    return step;
}

// The end of the transaction by a statement of the user's that succeeded. One the program began
// ends too: the server holds none now, and autocommit comes back as after End Transaction (with
// autocommit left off the drivers would open the next one unseen with the next statement).
TxnStep Ended(TxnState state, TxnText text)
{
    TxnStep step{TxnState::None};
    if (state == TxnState::Aborted && text == TxnText::Commits)
        step.note = TxnStep::noteRolledBack;
    return step;
}

} // namespace

TxnStep TxnAfterSuccess(TxnState state, TxnText text, TxnProduct product)
{
    if (text == TxnText::Plain)
        return Stay(state == TxnState::Beginning ? TxnState::User : state);
    // SQLite's statements are not read: its savepoints open transactions, and its driver keeps
    // its own view of them.
    if (product == TxnProduct::SQLite || text == TxnText::Other)
        return Ask(state);
    if (state == TxnState::Unknown || state == TxnState::UserUnknown)
        return Ask(state);
    switch (text)
    {
    case TxnText::Opens:
        // Inside a transaction the server goes on in it (PostgreSQL warns) or commits it and
        // opens the next (MySQL): open either way.
        return Stay(state == TxnState::None || state == TxnState::Beginning ? TxnState::User
                                                                            : state);
    case TxnText::Commits:
    case TxnText::RollsBack: return Ended(state, text);
    case TxnText::Chains:
        return Stay(state == TxnState::None || state == TxnState::Program ||
                            state == TxnState::Guard
                        ? state
                        : TxnState::User);
    case TxnText::RollsBackToSavepoint:
        // It succeeds only inside a transaction, which it leaves usable: an aborted one is no
        // longer aborted (what ran before the savepoint stays and is committed with it).
        return Stay(state == TxnState::None || state == TxnState::Beginning ||
                            state == TxnState::Aborted
                        ? TxnState::User
                        : state);
    default: return Ask(state);
    }
}

TxnStep TxnAfterFailure(TxnState state, TxnText text, TxnProduct product, const CString& sqlState,
                        bool bSingle)
{
    if (state == TxnState::Unknown || state == TxnState::UserUnknown)
        return Ask(state);
    // A failed read of the program's own: the reads end with their transaction, whatever it is.
    if (state == TxnState::Read)
        return Stay(state);
    // A BEGIN of the user's that failed: autocommit went off for it, and the driver may have
    // sent a BEGIN of its own ahead of it, which the failure left open (aborted on PostgreSQL).
    if (state == TxnState::Beginning && bSingle && text == TxnText::Opens)
    {
        TxnStep step{TxnState::None};
        step.bRollBackBegin = true;
        return step;
    }
    if (product == TxnProduct::SQLite)
        return Ask(state); // SQLite rolls back on some errors (a full disk, a busy lock)
    const CString strClass = sqlState.Left(2);
    if (product == TxnProduct::MySQL)
    {
        // MySQL keeps the transaction after a failed statement, but for a deadlock (rolled
        // back whole); anything else may have ended or opened one before it failed.
        if (text == TxnText::Plain && sqlState != L"40001")
            return Stay(state);
        return Ask(state);
    }
    // PostgreSQL: any error inside a transaction block aborts it; the driver leaves it so
    // (rollback level 0). Its own complaints (the statement never reached the server) abort
    // nothing.
    const bool bDriverOnly =
        strClass == L"HY" || strClass == L"IM" || strClass == L"01" || strClass == L"07";
    const bool bOpen = state == TxnState::User || state == TxnState::Program ||
                       state == TxnState::Guard || state == TxnState::Beginning ||
                       state == TxnState::Server;
    // A ROLLBACK TO that failed (no such savepoint) is a failure like any other: an open
    // transaction is aborted by it, an aborted one stays so.
    if (text == TxnText::Plain || (bSingle && text == TxnText::RollsBackToSavepoint))
    {
        if (bDriverOnly || state == TxnState::None || state == TxnState::Aborted ||
            state == TxnState::Lost)
            return Stay(state);
        TxnStep step{TxnState::Aborted};
        // The guard's owner rolls it back before the user reads the failure: the session is
        // then in no transaction, and nothing waits for a ROLLBACK of the user's.
        if (state != TxnState::Guard)
            step.note = TxnStep::noteAborted;
        return step;
    }
    // A COMMIT that failed (a deferred constraint, a serialization failure) ended the
    // transaction: the server rolled it back.
    if (bSingle && text == TxnText::Commits && bOpen && !bDriverOnly)
    {
        TxnStep step{TxnState::None};
        step.note = TxnStep::noteEndedByFailure;
        return step;
    }
    return Ask(state);
}

TxnStep TxnAfterSessionLost(TxnState state)
{
    // Autocommit stays as the driver has it: switching it on a dead connection would only fail.
    TxnStep step{TxnAutocommitOff(state) ? TxnState::Lost : TxnState::None};
    switch (state)
    {
    case TxnState::User:
    case TxnState::Program:
    case TxnState::Server:
    case TxnState::Aborted:
    case TxnState::UserUnknown: step.note = TxnStep::noteEndedWithSession; break;
    // (A guard's: the user had no transaction; the change it held is the failure's own to tell.)
    default: break;
    }
    return step;
}

TxnState TxnFollowAnswer(TxnState state, TxnAnswer answer, TxnProduct product)
{
    switch (answer)
    {
    case TxnAnswer::None:
        if (state == TxnState::None)
            return TxnState::Unknown;
        if (state == TxnState::User || state == TxnState::Beginning)
            return TxnState::UserUnknown;
        return state;
    case TxnAnswer::Closed: return TxnState::None;
    case TxnAnswer::Open:
        switch (state)
        {
        case TxnState::None:
        case TxnState::Unknown:
            // The driver does not know of it: a procedure's START TRANSACTION, a SAVEPOINT
            // outside a transaction (SQLite), XA START. SQLite's driver, once autocommit is off,
            // would send a BEGIN of its own that fails inside the open transaction: its
            // transaction is ended with a statement.
            return product == TxnProduct::SQLite ? TxnState::Server : TxnState::User;
        case TxnState::Beginning:
        case TxnState::UserUnknown:
        case TxnState::Aborted: return TxnState::User;
        default: return state;
        }
    case TxnAnswer::Aborted: return state == TxnState::Read ? state : TxnState::Aborted;
    }
    return state;
}
