// What a statement's text tells about the session's transaction on PostgreSQL and MySQL
// (MariaDB): whether it opens a transaction block, ends the open one, does neither, or cannot be
// told from the text alone (then the server is asked, see CRDatabase).
#pragma once

#include "framework/core.h"

enum TransactionEffect
{
    // Runs inside whatever transaction is open and ends none: DML, SAVEPOINT, RELEASE
    // SAVEPOINT, ROLLBACK TO SAVEPOINT, COMMIT AND CHAIN (which opens the next one at once),
    // and on PostgreSQL any other single statement (its DDL is transactional).
    txNone = 0,
    // BEGIN, START TRANSACTION (MySQL: BEGIN [WORK] alone; BEGIN NOT ATOMIC is a compound
    // statement).
    txOpens = 1,
    // COMMIT, ROLLBACK (and their WORK, TRANSACTION and AND NO CHAIN forms), on PostgreSQL also
    // END, ABORT and PREPARE TRANSACTION. A COMMIT ends even an aborted transaction: PostgreSQL
    // rolls it back.
    txEnds = 2,
    // Several statements in one text; on MySQL every statement that may commit implicitly (DDL,
    // LOCK TABLES, SET autocommit) or open a transaction out of sight (CALL, a compound
    // statement, EXECUTE).
    txUnknown = 3,
};

// nKind: the DBMSKind of the connection; any product but PostgreSQL and MySQL gives txNone.
TransactionEffect GetTransactionEffect(UINT nKind, LPCWSTR pszSQL);

// Whether any statement of the text opens a transaction block (for a text of several
// statements, "UPDATE ...; BEGIN" included).
bool OpensTransactionBlock(UINT nKind, LPCWSTR pszSQL);
