// What a statement's text tells, cheaply, about the session's transaction: only whether it is
// one plain read or write that cannot open or end one. Everything else is a question for the
// server (see CRDatabase::FollowStatementStart).
#pragma once

#include "framework/core.h"

// Whether the text is one SELECT, INSERT, UPDATE, DELETE or WITH statement (or a SHOW, EXPLAIN or
// DESCRIBE) and nothing else:
// such a statement runs inside whatever transaction is open and ends none, so the server is not
// asked after it. Several statements, a comment the server executes (MySQL's /*! ... */), and
// every other statement are not plain. nKind: the DBMSKind of the connection (MySQL's quoting
// and comments differ).
bool IsPlainStatement(UINT nKind, LPCWSTR pszSQL);
// Whether the text is one SELECT and nothing else: a query, which changes nothing (WITH may
// begin a change, so a text beginning with it is not one).
bool IsSingleSelect(UINT nKind, LPCWSTR pszSQL);

// Whether a statement of the text is BEGIN or START TRANSACTION on PostgreSQL or MySQL ("UPDATE
// ...; BEGIN" included), for what must happen before it runs; any other product gives false.
bool OpensTransactionBlock(UINT nKind, LPCWSTR pszSQL);

// What a text that ran whole does to the session's transaction, as far as its words tell.
enum class TxnText
{
    Plain,     // opens and ends nothing (PostgreSQL: every statement but the transaction ones)
    Opens,     // BEGIN, START TRANSACTION: the last transaction statement opens one
    Commits,   // COMMIT, END: the last one commits (or, on an aborted block, rolls back)
    RollsBack, // ROLLBACK, ABORT, PREPARE TRANSACTION (which hands the block over)
    Chains,    // COMMIT or ROLLBACK AND CHAIN: ends one and goes on in the next
    RollsBackToSavepoint, // PostgreSQL: ROLLBACK TO [SAVEPOINT]: the transaction goes on, and
                          // one aborted after the savepoint is usable again
    Other,                // the text cannot tell: a question for the server
};

// PostgreSQL's transaction state changes only with its transaction statements, so every text
// is read there (several statements in order, the last one counting). On MySQL a single BEGIN,
// START TRANSACTION, COMMIT or ROLLBACK is read, a single plain statement or savepoint statement
// is Plain, and the rest (implicit commits, procedures, XA, SET autocommit) is Other; on other
// products anything not plain is Other.
// pbRecovers (PostgreSQL): a ROLLBACK TO comes before the text's last COMMIT with nothing
// ending the transaction between them. Run whole, such a text commits even where it began in an
// aborted transaction (the ROLLBACK TO made it usable again).
TxnText ReadTransactionText(UINT nKind, LPCWSTR pszSQL, bool* pbRecovers = nullptr);

// Whether a statement of the text is SAVEPOINT (PostgreSQL and MySQL).
bool MakesSavepoint(UINT nKind, LPCWSTR pszSQL);

// The number of statements in the text, comments aside.
size_t CountStatements(UINT nKind, LPCWSTR pszSQL);
