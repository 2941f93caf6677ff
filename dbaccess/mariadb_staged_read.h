// A MariaDB table or view window's own SELECT, read in two statements so that the first screen
// does not wait for the whole result.
//
// The MariaDB driver here (Connector/ODBC 3.1.15) stores every result whole when its statement
// runs: its option not to cache forward-only results (NO_CACHE, OPTION bit 1048576) came with
// 3.1.17, and this driver ignores it (measured: SQLExecDirect of a SELECT of 1,000,000 rows
// returns after the whole read either way). So the first statement is the SELECT with a LIMIT of
// kFirstRows, which the window shows at once. Only when it gave that many does the SELECT itself
// run again for the rest, on a thread of its own, begun once the reader goes past the first rows
// (the window reads on in idle time), so that the program answers while the server and the
// driver work; its first rows are compared with those of the first statement, and the reader
// goes on with the rows after them. Where they differ (another session changed the rows between
// the two, or rows that sort alike came in another order), the read stops there and says so:
// what the window shows is always the rows of one SELECT.
//
// While the second statement runs it holds the session; anything else that is to reach the
// connection (a statement of the user's, a transaction's start or end, an edit, a save, closing
// the window) first holds the read (CRDatabase::IReadAhead), which cancels it: the driver sends
// KILL QUERY over a connection of its own, and the statement ends within a few tenths of a
// second. The rows read stay, the read stops ("reading stopped") and Refresh reads them again.
// A role limited to one connection (@@max_user_connections = 1) cannot open the driver's second
// connection and its cancel fails: there the rest is not read by itself, only when the reader
// goes on (Ctrl+End, scrolling), and such a read runs to its end. Once the statement has run,
// its rows sit in the driver's memory and nothing is held on the server: reading them on leaves
// the session free.
//
// Each statement runs in autocommit mode, outside any transaction: it holds what a SELECT of the
// user's holds while it runs, nothing after. The rest is not read inside a transaction begun
// after the first rows (the read stops there, in words).
#pragma once

#include "dbaccess/forwarding_cursor.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"

#include <functional>
#include <memory>

namespace Zelt {

class CMariaDBStagedRead : public CForwardRowsCursor
{
public:
    // nOptions: those of both statements' recordsets.
    CMariaDBStagedRead(CRDatabase* pDatabase, LPCWSTR pszSelect, UINT nOptions);
    ~CMariaDBStagedRead() override;

    // Whether the program's own SELECT on the connection is read so: MariaDB or MySQL, outside
    // any transaction, and a SELECT without the word LIMIT (one with a LIMIT is read whole).
    static bool IsUsable(CRDatabase& db, LPCWSTR pszSelect);
    // The first statement: the SELECT with its LIMIT on a line of its own (the SELECT may end in
    // a comment to the end of its line).
    static CString FirstRowsText(LPCWSTR pszSelect);
    static constexpr int kFirstRows = 200;

    // Runs the first statement through run (the caller's way of running a statement the user may
    // cancel; false when cancelled or refused) and takes its rows. Driver failures throw.
    bool Open(const std::function<bool(CRRecordset&, LPCWSTR)>& run);
    // Whether the window may read the rest on by itself: there is a rest, and its statement can
    // be cancelled when the user acts (the role may open the driver's second connection).
    bool ReadsOnByItself() const
    {
        return m_rest == Rest::ReadOnByItself && m_state == State::First;
    }

    // Zelt::ICursor
    void Close() override;
    ULONGLONG GetExecutionTime() override { return m_nExecutionTime; }
    CString GetSQL() override { return m_strSelect; }
    CString GetTableName() override;
    // Forward only: MoveFirst succeeds only on the first row, the others but MoveNext fail.
    bool MoveFirst() override;
    bool MoveNext() override;
    bool IsEOF() override { return m_state == State::Ended || m_state == State::Closed; }
    // At the last of the first rows the next row is the rest's first: not ready until its
    // statement has run (asking begins it).
    bool IsNextRowReady() override;
    bool WaitNextRowReady(LONGLONG nUntilMs) override;

    // The rest's statement runs on its thread.
    bool IsReadingRest() const { return m_state == State::RunningRest; }

private:
    bool IsCountFinal() const override { return m_state == State::Ended; }
    // First: the first statement's rows are read (m_pFirst). RunningRest: the rest's statement
    // runs on the thread. Rest: its rows are read (m_pRest). Ended, Stopped, Closed: the last row
    // passed, a failure ended the read (m_pStopped), the reader let go before the end.
    enum class State
    {
        Unopened,
        First,
        RunningRest,
        Rest,
        Ended,
        Stopped,
        Closed,
    };
    // The statement of the rest on its thread (mariadb_staged_read.cpp).
    class CRestRun;
    bool AtEndOfFirst() const { return m_state == State::First && m_nRows >= m_nFirst; }
    bool HasRest() const { return m_nFirst >= kFirstRows; }
    // Begins the rest's statement; a refusal (no connection, a transaction open) stops the read.
    void StartRest();
    // Waits for the rest's statement, checks its first rows against the first statement's and
    // makes the row after them the current one.
    void TakeRest();
    // Whether the rest's first rows are the first statement's, field by field.
    bool RestBeginsWithFirstRows();
    void DropRest();
    void End();
    bool IsOnItsConnection() const;
    [[noreturn]] void Stop(CRDBException* pError);
    [[noreturn]] void ThrowStopped() const;

    CRDatabase* m_pDatabase;
    CString m_strSelect;
    UINT m_nOptions;
    std::unique_ptr<CMemCursor> m_pFirst;
    std::unique_ptr<CRRecordset> m_pRest;
    std::shared_ptr<CRestRun> m_pRun;
    UINT m_nConnectionSerial = 0;
    State m_state = State::Unopened;
    int m_nFirst = 0; // rows the first statement gave
    // How the rest is read, chosen once the first statement has run: None (it gave all the
    // rows), ReadOnByItself (its statement can be cancelled when the user acts: the role may
    // open the driver's second connection), WhenAsked (only when the reader goes on).
    enum class Rest
    {
        None,
        ReadOnByItself,
        WhenAsked,
    };
    Rest m_rest = Rest::None;
    ULONGLONG m_nExecutionTime = 0;
    std::unique_ptr<CRDBException> m_pStopped;
};

} // namespace Zelt
