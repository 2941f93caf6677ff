// A PostgreSQL result of the program's own SELECT (a table or view window, a table's export) read
// in steps through a cursor in the user's session: DECLARE ... NO SCROLL CURSOR FOR <select>,
// then FETCH n FROM it as the reader goes on, and CLOSE once the rows run out or the reader lets
// go.
//
// The cursor lives in the reads' transaction (CRDatabase::BeginWindowRead, TxnState::Read), as
// psql's reads with FETCH_COUNT do: the server computes the rows as each FETCH asks for them, so
// the first screen comes at once whatever the size of the table or the pace of a view, and a
// role's statement_timeout and lock_timeout apply to each step as to a SELECT of the user's.
// That transaction holds a snapshot and the tables' share locks while the window reads on by
// itself (its frame reads in idle time), and nothing once its rows are read: the last read to
// end rolls it back. Anything of the user's (a statement, a transaction's start or end, an
// edit, a save) lets it go first (CRDatabase::LetGoOfReads): a FETCH under way is cancelled, the
// transaction is rolled back, and the read stops where it is, its rows kept and the rows pane
// saying so ("reading stopped"); Refresh reads them again.
//
// Each FETCH is read whole by the driver (the connection reads results whole): the first is
// small so that a window shows its first screen at once, the later ones larger so that a read
// to the end costs little more than one SELECT. The driver's work is spread over threads of its
// own, each overlapping the reader's: while the reader goes through the rows of one FETCH,
// another thread turns that FETCH's values into their types (CRRecordset::ReadAheadFromNextBlock)
// and, once the reader has gone past the first, a third runs the next FETCH. Anything else that
// is to reach the connection waits for that FETCH to end (CRDatabase::IReadAhead), or cancels it
// where it lets the read go.
//
// Dates and timestamps are declared as the server's text of them, together as one row value's
// text, and read from that text (see SelectToDeclare); the rows read the same.
//
// A failure stops the read for good: the rows read stay, the count is not final, and every
// later step throws the same error again without going to the server.
#pragma once

#include "dbaccess/forwarding_cursor.h"
#include "dbaccess/recordset.h"

#include <functional>
#include <memory>

namespace Zelt {

class CHeldCursor : public CForwardRowsCursor
{
public:
    // nOptions: those of each FETCH's recordset (RS_UNBOUND, RS_NUMERIC_AS_TEXT ...).
    CHeldCursor(CRDatabase* pDatabase, LPCWSTR pszSelect, UINT nOptions);
    ~CHeldCursor() override;

    // Whether a read of the program's own SELECT on the connection goes through such a cursor:
    // PostgreSQL, outside any transaction of the user's or the program's.
    static bool IsUsable(CRDatabase& db);

    // The caller's way of running a statement that the user may cancel: it opens the recordset
    // forward-only on the text with the options given and answers false when cancelled or
    // refused.
    using RunStatement = std::function<bool(CRRecordset&, LPCWSTR, UINT)>;
    // Runs the describing statement, the DECLARE and the first FETCH through run. Driver
    // failures throw.
    bool Open(const RunStatement& run);
    // Rows of the first FETCH, and the most any later one asks for.
    static constexpr int kFirstFetchRows = 500;
    static constexpr int kLargestFetchRows = 10000;
    // The longest a FETCH after the first should run (see NextFetchRows).
    static constexpr LONGLONG kFetchAimMs = 300;

    // Zelt::ICursor: the current FETCH's recordset answers the rest (CForwardingCursor).
    void Close() override;
    ULONGLONG GetExecutionTime() override { return m_nExecutionTime; }
    bool IsNumericAsText() override { return (m_nOptions & RS_NUMERIC_AS_TEXT) != 0; }
    // The SELECT the cursor was declared for (not the FETCH that read the current rows).
    CString GetSQL() override { return m_strSelect; }
    CString GetTableName() override;

    // Forward only: MoveFirst succeeds only on the first row, the others but MoveNext fail.
    bool MoveFirst() override;
    bool MoveNext() override;
    bool IsEOF() override
    {
        return !IsReading() && m_state != State::LastRows && m_state != State::Stopped;
    }
    bool HasResultColumns() override { return m_pRs->GetColumnCount() > 0; }

    bool IsNextRowReady() override;
    bool WaitNextRowReady(LONGLONG nUntilMs) override;

    // Whether the cursor still exists on the server (declared, and neither read to its end nor
    // closed).
    bool IsHeldOnServer() const { return IsReading(); }

private:
    bool IsCountFinal() const override { return m_state == State::Ended; }
    // Runs the next FETCH, or takes the one run ahead; its first row becomes the current one
    // (or the end). bReadingOn: the reader has passed the rows before, and goes on: the FETCH
    // after this one is run ahead.
    void FetchNext(bool bReadingOn);
    // The current FETCH has run: its first row becomes the current one (or the end).
    void TakeFetchedRows(bool bReadingOn);
    // Where the read stands. Reading: declared on the server, rows to come. FetchingAhead: the
    // same, the next FETCH run ahead (in m_pNext) by the fetch thread. LastRows: the last FETCH
    // (fewer rows than it asked for) is being read, nothing left on the server. Ended: the last
    // row passed. Stopped: a failure ended it (m_pStopped). Closed: the reader let go before the
    // end.
    // Reading -> FetchingAhead (StartFetchAhead) -> Reading (FetchNext takes its rows, or
    // DropFetchAhead drops them); Reading -> LastRows (TakeFetchedRows); Reading or LastRows ->
    // Ended, Stopped or Closed (LeaveServer).
    enum class State
    {
        Unopened,
        Reading,
        FetchingAhead,
        LastRows,
        Ended,
        Stopped,
        Closed,
    };
    bool IsReading() const { return m_state == State::Reading || m_state == State::FetchingAhead; }
    // Leaves Reading or LastRows for next; the cursor's read ends on the server where it has not
    // (CRDatabase::EndWindowRead), on the connection it was declared on. From any other state,
    // nothing.
    void LeaveServer(State next);
    [[noreturn]] void Stop(CRDBException* pError);
    // Stops the read where its transaction was let go (CRDatabase::LetGoOfReads).
    [[noreturn]] void StopLetGo();
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
    // The next FETCH's size after the current one (m_nAsked rows in m_nFetchMs).
    int NextFetchRows() const;
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
    // The describing statement runs through run; bCancelled: it was cancelled or refused.
    CString SelectToDeclare(const RunStatement& run, std::vector<CColumnDesc>& descs,
                            std::vector<UINT>& rowFields, bool& bCancelled);

    CRDatabase* m_pDatabase;
    CString m_strSelect;
    CString m_strName;
    UINT m_nOptions;
    // The current FETCH's rows (m_pTarget too), and the next FETCH's while it runs ahead
    // (m_pAhead).
    std::unique_ptr<CRRecordset> m_pRs;
    std::unique_ptr<CRRecordset> m_pNext;
    std::shared_ptr<CFetchAhead> m_pAhead; // made at the first FETCH run ahead
    int m_nNextAsked = 0;                  // rows the FETCH run ahead asked for
    // The statement of the FETCH before the current one, released to be freed (ReleaseStmt).
    SQLHSTMT m_hDrop = SQL_NULL_HSTMT;
    UINT m_nConnectionSerial = 0;
    UINT m_nRead = 0; // the read's number in the reads' transaction (CRDatabase::BeginWindowRead)
    State m_state = State::Unopened;
    int m_nAsked = 0;        // rows the current FETCH asked for
    LONGLONG m_nFetchMs = 0; // how long it ran
    int m_nInFetch = 0;      // rows of the current FETCH passed so far, the current one included
    int m_nFetched = -1;     // rows the current FETCH gave, where the driver says (-1: not known)
    ULONGLONG m_nExecutionTime = 0;
    // The failure that stopped the read (State::Stopped), thrown again by every later step.
    std::unique_ptr<CRDBException> m_pStopped;
};

} // namespace Zelt
