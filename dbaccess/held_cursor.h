// A PostgreSQL result of the program's own SELECT (a table or view window, a table's export) read
// in steps through a cursor in the user's session, as psql reads a result while it prints it:
// DECLARE ... NO SCROLL CURSOR FOR <select> in a transaction of the program's own
// (CRDatabase::BeginWindowRead), then FETCH n FROM it as the reader goes on, and the transaction's
// end once the rows run out or the reader lets go.
//
// The server computes no more than each FETCH asks for: the first rows come at once however large
// the table or slow the view, and the server's limits (statement_timeout, lock_timeout) apply to
// each statement as to psql's. While the cursor reads, its transaction holds the snapshot and the
// locks of the read; the moment the user acts on the connection, CRDatabase::LetGoOfReads ends it
// (the reader reads on for a moment, then LetGoOfServer): the rows read stay, the read is paused,
// and it is taken up again only when a reader asks for more rows: the SELECT is declared anew,
// the rows already read are passed over (MOVE), and the rows from there on are those of the new
// read (GetRowsReadAnewAfter says where; the table may have changed between the two).
//
// Each FETCH is read whole by the driver (the connection reads results whole): the first is
// small so that a window shows its first screen at once, the later ones larger so that a read to
// the end costs little more than one SELECT, but none longer than a moment of the server's time
// (a slow view's FETCHes stay small). The driver's work is spread over threads of its own, each
// overlapping the reader's: while the reader goes through the rows of one FETCH, another thread
// turns that FETCH's values into their types (CRRecordset::ReadAheadFromNextBlock) and, once the
// reader has gone past the first, a third runs the next FETCH. Anything else that is to reach the
// connection waits for that FETCH to end (CRDatabase::IReadAhead), or, letting the read go,
// cancels it after a moment.
//
// Dates and timestamps are declared as the server's text of them, together as one row value's
// text, and read from that text (see SelectToDeclare); the rows read the same.
//
// Inside a transaction the user opened no FETCH runs (one that failed there would abort it): a
// paused read asked for more says so in words. A failure stops the read for good: the rows read
// stay, the count is not final, and every later step throws the same error again without going to
// the server.
#pragma once

#include "dbaccess/recordset.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace Zelt {

class CHeldCursor : public ICursor
{
public:
    // nOptions: those of each FETCH's recordset (RS_UNBOUND, RS_NUMERIC_AS_TEXT ...).
    CHeldCursor(CRDatabase* pDatabase, LPCWSTR pszSelect, UINT nOptions);
    ~CHeldCursor() override;

    // Whether a read of the program's own SELECT on the connection goes through a cursor:
    // PostgreSQL, outside any transaction of the user's.
    static bool IsUsable(CRDatabase& db);

    // The caller's way of running a statement that the user may cancel: it opens the recordset
    // on the statement text, forward only, with the options given, and answers false when
    // cancelled. Failures throw.
    using CRun = std::function<bool(CRRecordset&, LPCWSTR, UINT)>;
    // Runs the description of the SELECT, the DECLARE and the first FETCH through run. False
    // when the user cancelled one of them; driver failures throw. Either way the read's
    // transaction is over unless the rows are read.
    bool Open(const CRun& run);
    // Rows of the first FETCH, and the most any later one asks for.
    static constexpr int kFirstFetchRows = 500;
    static constexpr int kLargestFetchRows = 10000;
    // A FETCH that took longer than this (a slow view) is followed by a smaller one, and one
    // that took less than a fifth of it by a larger one.
    static constexpr LONGLONG kFetchAimMs = 300;

    // Zelt::ICursor
    void Close() override;
    UINT GetQueryTimeout() override { return m_pRs->GetQueryTimeout(); }
    ULONGLONG GetExecutionTime() override { return m_nExecutionTime; }
    bool IsForwardOnly() override { return true; }
    bool IsNumericAsText() override { return (m_nOptions & RS_NUMERIC_AS_TEXT) != 0; }
    short GetColumnCount() override { return m_pRs->GetColumnCount(); }
    int GetColumnCType(UINT col) override { return m_pRs->GetColumnCType(col); }
    short GetColumnSQLType(UINT col) override { return m_pRs->GetColumnSQLType(col); }
    LONGLONG GetColumnSize(UINT col) override { return m_pRs->GetColumnSize(col); }
    int FindColumn(LPCWSTR name) override { return m_pRs->FindColumn(name); }
    const CColumnDesc* GetColumn(UINT col) override { return m_pRs->GetColumn(col); }
    int GetRecordCount() override { return m_nRows; }
    // The SELECT the cursor was declared for (not the FETCH that read the current rows).
    CString GetSQL() override { return m_strSelect; }
    CString GetTableName() override;
    CString GetCursorName() override { return CString(); }
    CString GetColumnName(UINT col) override { return m_pRs->GetColumnName(col); }
    bool IsDecimalColumn(UINT col) override { return m_pRs->IsDecimalColumn(col); }
    bool IsColumnNullable(UINT col) override { return m_pRs->IsColumnNullable(col); }

    // Forward only: MoveFirst succeeds only on the first row, the others but MoveNext fail.
    bool MoveFirst() override;
    bool MoveLast() override;
    bool MoveNext() override;
    bool MovePrev() override { return false; }
    bool SetAbsolutePosition(int) override { return false; }
    bool Refresh() override { return true; }
    bool Move(int rows, USHORT fetchType) override;
    bool IsBOF() override { return m_nRows == 0 && IsEOF(); }
    bool IsEOF() override
    {
        return !IsReading() && m_state != State::Stopped && m_state != State::Paused;
    }
    bool HasResultColumns() override { return m_pRs->GetColumnCount() > 0; }
    void GetStatus(CStatus& status) override;
    void SetPos(ULONGLONG, USHORT) override {}

    bool IsNextRowReady() override;
    bool IsReadPaused() override { return m_state == State::Paused; }
    void LetGoOfServer() override;
    int GetRowsReadAnewAfter() override { return m_nReadAnewAfter; }

    bool IsFieldValid(UINT col) override { return m_pRs->IsFieldValid(col); }
    bool IsFieldNull(UINT col) override { return m_pRs->IsFieldNull(col); }
    bool IsFieldNoTotal(UINT col) override { return m_pRs->IsFieldNoTotal(col); }
    bool IsFieldEmpty(UINT col) override { return m_pRs->IsFieldEmpty(col); }
    bool IsFieldTypeUnknown(UINT col) override { return m_pRs->IsFieldTypeUnknown(col); }
    bool IsFieldTruncated(UINT col) override { return m_pRs->IsFieldTruncated(col); }
    bool IsFieldHeldAsText(UINT col) override { return m_pRs->IsFieldHeldAsText(col); }

    bool GetFieldGuid(UINT col, GUID& v) override { return m_pRs->GetFieldGuid(col, v); }
    bool GetFieldByte(UINT col, BYTE& v) override { return m_pRs->GetFieldByte(col, v); }
    bool GetFieldBinary(UINT col, CByteArray& v) override { return m_pRs->GetFieldBinary(col, v); }
    bool GetFieldOleDateTime(UINT col, COleDateTime& v) override
    {
        return m_pRs->GetFieldOleDateTime(col, v);
    }
    bool GetFieldTimestampOffset(UINT col, SQL_SS_TIMESTAMPOFFSET_STRUCT& v) override
    {
        return m_pRs->GetFieldTimestampOffset(col, v);
    }
    bool GetFieldTimestamp(UINT col, TIMESTAMP_STRUCT& v) override
    {
        return m_pRs->GetFieldTimestamp(col, v);
    }
    bool GetFieldTime(UINT col, CTime& v) override { return m_pRs->GetFieldTime(col, v); }
    bool GetFieldDouble(UINT col, double& v) override { return m_pRs->GetFieldDouble(col, v); }
    bool GetFieldFloat(UINT col, float& v) override { return m_pRs->GetFieldFloat(col, v); }
    bool GetFieldBigInt(UINT col, LONGLONG& v) override { return m_pRs->GetFieldBigInt(col, v); }
    bool GetFieldShort(UINT col, short& v) override { return m_pRs->GetFieldShort(col, v); }
    bool GetFieldLong(UINT col, long& v) override { return m_pRs->GetFieldLong(col, v); }
    bool GetFieldInt(UINT col, int& v) override { return m_pRs->GetFieldInt(col, v); }
    bool GetFieldBool(UINT col, bool& v) override { return m_pRs->GetFieldBool(col, v); }
    bool GetFieldText(UINT col, CString& v) override { return m_pRs->GetFieldText(col, v); }
    bool GetFieldTextA(UINT col, CStringA& v) override { return m_pRs->GetFieldTextA(col, v); }
    bool GetFieldAsciiText(UINT col, const char*& text, size_t& length) override
    {
        return m_pRs->GetFieldAsciiText(col, text, length);
    }

    // Whether the cursor still exists on the server (declared, and neither read to its end,
    // paused nor closed).
    bool IsHeldOnServer() const { return IsReading(); }

private:
    // Runs the next FETCH, or takes the one run ahead; its first row becomes the current one
    // (or the end). bReadingOn: the reader has passed the rows before, and goes on: the FETCH
    // after this one is run ahead.
    void FetchNext(bool bReadingOn);
    // Where the read stands. Reading: declared on the server, rows to come. FetchingAhead: the
    // same, the next FETCH run ahead (in m_pNext) by the fetch thread. Paused: rows to come, the
    // cursor gone from the server (the user acted, or the read transaction ended under it).
    // Ended: the last row passed. Stopped: a failure ended it (m_pStopped). Closed: the reader
    // let go before the end.
    // Reading -> FetchingAhead (StartFetchAhead) -> Reading (FetchNext takes its rows, or
    // DropFetchAhead drops them); Reading -> Paused, Ended, Stopped or Closed (LeaveServer);
    // Paused -> Reading (Resume), Stopped or Closed.
    enum class State
    {
        Unopened,
        Reading,
        FetchingAhead,
        Paused,
        Ended,
        Stopped,
        Closed,
    };
    bool IsReading() const { return m_state == State::Reading || m_state == State::FetchingAhead; }
    // Leaves Reading for next: the cursor is closed and the read's part in the read transaction
    // ends (the last read ends the transaction; a Stopped read rolls it back). Failures are
    // dropped: the cursor goes with the transaction at the latest. From Paused, only the state
    // changes; from any other state, nothing.
    void LeaveServer(State next);
    // Whether the cursor declared last still exists: the read transaction it was declared in
    // goes on, on the connection it was declared on.
    bool IsOnItsServerCursor() const;
    // Paused -> Reading: declares the SELECT again in a read transaction and passes over the rows
    // read. Failures stop the read.
    void Resume();
    CString DeclareText() const;
    // The read's part in the read transaction: joined (a failure stops the read), and left
    // where it still is the transaction it joined.
    void JoinRead();
    void LeaveRead(bool bFailed);
    // Takes the rows of the FETCH that ran: its first row becomes the current one (or the end).
    void TakeFetchedRows(bool bReadingOn);
    [[noreturn]] void Stop(CRDBException* pError);
    [[noreturn]] void ThrowStopped() const;

    // The next FETCH, run on a thread of its own (held_cursor.cpp).
    class CFetchAhead;
    // Begins the next FETCH on its thread where that may be: rows to come, outside a transaction.
    void StartFetchAhead();
    // Waits for a FETCH run ahead and drops its rows (FetchingAhead -> Reading); then lets the
    // thread go.
    void DropFetchAhead();
    // Frees the statement of the last FETCH where no FETCH run ahead does.
    void DropReleasedStatement();
    // The next FETCH's size after one of n rows that took nMs (the first: n = 0).
    static int NextFetchRows(int n, LONGLONG nMs);
    // The connection the cursor was declared on is still open.
    bool IsOnItsConnection() const;
    CString FetchText(int nRows) const;
    // The SELECT to declare: m_strSelect, or where it has dates or timestamps, that SELECT
    // wrapped so that each comes as the server's text of it; descs: what the FETCHes' recordsets
    // read as the values (CRRecordset::ReadColumnsAsServerText; empty for the SELECT as it is);
    // rowFields: the columns whose texts come together as one row value's, in the first's place
    // (CRRecordset::ReadServerTextsFromRow; empty where each comes as its own text).
    // The driver's typing of a timestamp is most of its work on a FETCH, and it holds the
    // connection while it does it. Asked of the server with a LIMIT 0 of the SELECT; where that
    // fails, the SELECT as it is.
    // The description runs through run; bCancelled: the user cancelled it.
    CString SelectToDeclare(const CRun& run, std::vector<CColumnDesc>& descs,
                            std::vector<UINT>& rowFields, bool& bCancelled);

    CRDatabase* m_pDatabase;
    CString m_strSelect;
    CString m_strDeclared; // the SELECT declared (SelectToDeclare)
    CString m_strName;
    UINT m_nOptions;
    // The current FETCH's rows, and the next FETCH's while it runs ahead (m_pAhead).
    std::unique_ptr<CRRecordset> m_pRs;
    std::unique_ptr<CRRecordset> m_pNext;
    std::shared_ptr<CFetchAhead> m_pAhead; // made at the first FETCH run ahead
    int m_nNextAsked = 0;                  // rows the FETCH run ahead asked for
    // The statement of the FETCH before the current one, released to be freed (ReleaseStmt).
    SQLHSTMT m_hDrop = SQL_NULL_HSTMT;
    UINT m_nConnectionSerial = 0;
    UINT m_nReadSerial = 0;     // the read transaction the cursor was declared in
    bool m_bInReadTxn = false;  // the read counts in that transaction (JoinRead)
    // The columns (name, SQL type) of the first FETCH, and whether the next FETCH, the first of a
    // read taken up again, is to be checked against them.
    std::vector<std::pair<CString, SQLSMALLINT>> m_columnsRead;
    bool m_bCheckColumns = false;
    int m_nReadAnewAfter = -1;  // rows read before the read was first taken up again
    LONGLONG m_nFetchMs = 0;    // how long the current FETCH took
    LONGLONG m_nNextFetchMs = 0; // the same for the one run ahead
    State m_state = State::Unopened;
    int m_nRows = 0;     // rows read so far, the current one included
    int m_nAsked = 0;    // rows the current FETCH asked for
    int m_nInFetch = 0;  // rows of the current FETCH passed so far, the current one included
    int m_nFetched = -1; // rows the current FETCH gave, where the driver says (-1: not known)
    ULONGLONG m_nExecutionTime = 0;
    // The failure that stopped the read (State::Stopped), thrown again by every later step.
    std::unique_ptr<CRDBException> m_pStopped;
};

} // namespace Zelt
