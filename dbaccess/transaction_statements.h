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

// Whether a statement of the text is BEGIN or START TRANSACTION on PostgreSQL or MySQL ("UPDATE
// ...; BEGIN" included), for what must happen before it runs; any other product gives false.
bool OpensTransactionBlock(UINT nKind, LPCWSTR pszSQL);
