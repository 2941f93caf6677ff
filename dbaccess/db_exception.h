// The one exception of the database layer: created on the heap, thrown by pointer, deleted by the
// handler (Delete()). Caught as Zelt::CRDBException* or as CException*.
#pragma once

#include "framework/core.h"

#include <sql.h>
#include <sqlext.h>

class CRDatabase;

namespace Zelt {

class CRDBException : public CException
{
public:
    // From a return code: message and SQLSTATE empty (BuildErrorString fills them).
    explicit CRDBException(int nRetCode);
    // A failure the program detected itself: return code 0.
    explicit CRDBException(LPCWSTR pszMessage);
    // Reads the diagnostic records of the most specific handle given (statement, connection,
    // environment); for callers that have no CRDatabase.
    CRDBException(SQLHENV hEnv, SQLHDBC hDbc, SQLHSTMT hStmt, int nRetCode);
    CRDBException(const CRDBException& other);
    CRDBException& operator=(const CRDBException& other);
    ~CRDBException() override;

    // Copies at most nMaxError - 2 characters of the message and terminates the buffer. Both
    // overrides: an exception no handler of the program caught is reported by the framework
    // through the const one.
    BOOL GetErrorMessage(LPWSTR pszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;
    BOOL GetErrorMessage(LPWSTR pszError, UINT nMaxError, PUINT pnHelpContext = nullptr) override;

    // Message and SQLSTATE from the diagnostics of the database and statement (statement may be
    // null); without a database the message is emptied.
    void BuildErrorString(CRDatabase* pDatabase, SQLHSTMT hStmt);

    WORD m_nRetCode = 0;   // SQL_ERROR is 65535, SQL_INVALID_HANDLE 65534
    CString m_strError;    // the message text
    CString m_strSQLState; // set only when exactly one diagnostic record was read
    // The program had asked the driver to stop the statement (the user's Cancel): the failure
    // is the driver's answer to that. A statement the server ended on its own (a timeout, an
    // administrator's cancel) fails with the same SQLSTATEs, but without this.
    bool m_bStopAsked = false;
};

} // namespace Zelt

// Creates the exception for nRetCode, fills it from the diagnostics when the code is not 0 and
// throws the pointer.
[[noreturn]] void ThrowRDBException(CRDatabase* pDatabase, int nRetCode, SQLHSTMT hStmt = nullptr);

// psqlODBC with its own cursors (a connection whose driver was known only once connected, with a
// data source that asks for them) reads results through a cursor in a transaction of its own,
// even with autocommit on, and leaves that transaction aborted when the server fails part-way
// through the rows: every later read there would fail ("current transaction is aborted").
// LeavesReadAborted: the failure may have done that (the server's failure, on a streaming
// PostgreSQL connection). RollBackAbortedRead: outside a transaction, rolls the aborted one back.
// ThrowRDBException does both, except on a thread reading ahead, which must not call the
// connection for anything but its fetches: its reader rolls back once the thread has stopped.
bool LeavesReadAborted(CRDatabase* pDatabase, const Zelt::CRDBException& e);
void RollBackAbortedRead(CRDatabase* pDatabase);

// Removes the leading "[vendor][driver]" tags of a driver message.
CString StripDriverPrefixes(const CString& text);

// The SQLSTATE of the statement's first diagnostic record; "" when it has none.
CString FirstSQLState(SQLHSTMT hStmt);
