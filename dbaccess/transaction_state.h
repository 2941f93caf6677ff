// The session's transaction as the connection follows it: one state, and the transitions that
// statements, the server's answers and the program's own Begin and End make. Pure: CRDatabase
// applies each step (autocommit follows the state, see TxnAutocommitOff) and asks the server
// where a step says so.
#pragma once

#include "dbaccess/transaction_statements.h"

enum class TxnState
{
    None,           // autocommit on, no transaction
    Beginning,      // a BEGIN of the user's is on its way: autocommit went off before it ran
    User,           // a statement of the user's opened one; autocommit off until it ends
    Program,        // the program began it (BeginTrans); a COMMIT or ROLLBACK of the user's ends it
    Guard,          // the program began it around one change of its own (BeginGuard), which its
                    // owner ends at once, committed or rolled back: the user never meets it open,
                    // so nothing is said of it
    Server,         // open while the driver keeps autocommit on (SQLite, MariaDB's XA): ended by a
                    // statement of the program's
    Aborted,        // PostgreSQL: a statement failed inside it; the server refuses every statement
                    // until it is ended, and a COMMIT then rolls back; autocommit off
    Unknown,        // the server has not yet said whether a statement opened one (its further
                    // results wait); taken for open; autocommit on
    UserUnknown,    // the same inside the user's transaction (it may have ended); autocommit off
    Lost,           // the session went with its transaction; the driver still has autocommit off
    DriversAborted, // PostgreSQL: a read through psqlODBC's own cursor failed on a thread reading
                    // ahead, leaving the driver's transaction aborted; autocommit on; rolled back
                    // before the next statement (the driver has forgotten it)
    Read,           // PostgreSQL: the program's own reads of windows (cursors without HOLD, see
                    // held_cursor.h) run in it; autocommit off. Never the user's: not shown, never
                    // asked about, and rolled back (CRDatabase::LetGoOfReads) before anything of
                    // the user's or a change of the program's reaches the session
};

enum class TxnProduct
{
    PostgreSQL,
    MySQL,
    SQLite,
};

// Whether autocommit is off on the connection in the state.
bool TxnAutocommitOff(TxnState state);
// Whether the state is shown, asked about and ended as an open transaction (Unknown ones are
// unless the session is gone, which the caller tells).
bool TxnIsOpen(TxnState state, bool bSessionGone = false);

// The server's answer to the transaction question.
enum class TxnAnswer
{
    None = -1, // no answer (a result's further rows wait, the session is gone)
    Closed = 0,
    Open = 1,
    Aborted = 2, // PostgreSQL: open and aborted
};

// What follows a statement of the user's.
struct TxnStep
{
    TxnState next;
    bool bAsk = false;           // ask the server, then FollowAnswer
    bool bRollBackBegin = false; // the driver's own BEGIN ahead of a failed one is rolled back
    // What the user is told with the statement's outcome.
    enum Note
    {
        noNote,
        noteAborted,          // the failure left the transaction aborted
        noteRolledBack,       // the COMMIT rolled back an aborted transaction
        noteEndedByFailure,   // the failed COMMIT ended it: the server rolled it back
        noteEndedWithSession, // the session the failure met is gone, and its transaction with it
    } note = noNote;
};

// The statement that ran to its end (as far as the connection can tell).
TxnStep TxnAfterSuccess(TxnState state, TxnText text, TxnProduct product);
// The statement failed with the SQLSTATE (empty when not known); bSingle: the text held one
// statement.
TxnStep TxnAfterFailure(TxnState state, TxnText text, TxnProduct product, const CString& sqlState,
                        bool bSingle);
// A statement failed and the session is gone (the server ended it, the connection broke): the
// server holds no transaction any more, whatever the statement was.
TxnStep TxnAfterSessionLost(TxnState state);
// The state after the server's answer.
TxnState TxnFollowAnswer(TxnState state, TxnAnswer answer, TxnProduct product);
