// CHeldCursor: a result of the program's own read in steps through a cursor held in the user's
// PostgreSQL session (see held_cursor.h).
#include "dbaccess/held_cursor.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/server_texts.h"
#include "dbaccess/sql_names.h"
#include "dbaccess/sql_text.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace Zelt {

// The next FETCH, run by the driver on a thread of the cursor's own while the reader goes
// through the rows of the one before. One thread does it for the whole read: the rows it
// receives are then stored where the driver stored the last (its memory stays with the thread
// that took it). Listed with the connection for as long as the cursor reads: a call about to
// reach the connection waits until a FETCH under way has ended (Hold), or cancels it where the
// reads' transaction is let go (LetGo), and only the reader begins another.
class CHeldCursor::CFetchAhead : public CRDatabase::IReadAhead
{
public:
    CFetchAhead() = default;
    ~CFetchAhead() override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_step = Step::Ending;
            m_changed.notify_all();
        }
        if (m_thread.joinable())
            m_thread.join();
        if (m_pRefused)
            m_pRefused->Delete();
    }

    // Runs rs's FETCH (begun with BeginBeside), freeing hDrop first, a statement of the FETCH
    // before (null for none). False when no thread could be had: nothing was run.
    bool Start(CRRecordset& rs, SQLHSTMT hDrop)
    {
        Step before;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_pRs = &rs;
            m_hDrop = hDrop;
            before = m_step;
            m_step = Step::Asked;
            m_changed.notify_all();
        }
        if (before == Step::Waiting)
            return true;
        // A thread that ended after its idle time is gone, or going.
        if (m_thread.joinable())
            m_thread.join();
        try
        {
            m_thread = std::thread([this] { Run(); });
        }
        catch (...)
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_step = Step::NoThread;
            m_hDrop = SQL_NULL_HSTMT;
            return false;
        }
        return true;
    }
    // Whether no FETCH is under way (none asked, or the last has run).
    bool IsDone()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_step != Step::Asked;
    }
    // The same, waiting for the FETCH under way until the tick count reaches nUntilMs.
    bool WaitDoneUntil(LONGLONG nUntilMs)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const LONGLONG nLeft = nUntilMs - GetTickMs();
        if (nLeft > 0)
            m_changed.wait_for(lock, std::chrono::milliseconds(nLeft),
                               [this] { return m_step != Step::Asked; });
        return m_step != Step::Asked;
    }
    // The outcome of the FETCH asked last, once it has run; pRefused: the refusal of its text
    // before it was sent (the caller's, for FinishBeside).
    SQLRETURN Wait(CRDBException*& pRefused, LONGLONG* pnRunMs = nullptr)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        WaitDone(lock);
        pRefused = m_pRefused;
        m_pRefused = nullptr;
        if (pnRunMs)
            *pnRunMs = m_nRunMs;
        return m_rc;
    }
    // Waits for the FETCH to end; once it has run for longer than a FETCH takes (a server that
    // does not answer), it is cancelled, again and again as CStatementStop asks. For a reader
    // that lets the cursor go, whose position no longer matters.
    void WaitCancelling()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        auto done = [this] { return m_step != Step::Asked; };
        if (!m_changed.wait_for(lock, std::chrono::milliseconds(kPatienceMs), done))
        {
            while (!m_changed.wait_for(lock, std::chrono::milliseconds(CStatementStop::kRepeatMs),
                                       done))
                m_pRs->AskToStop();
            m_pRs->ClearStopRequest();
        }
    }
    // A hold waits for the FETCH to end; it is not cancelled (cut short, the cursor's position
    // would not be known). (Never called on the thread itself: it holds nothing, see
    // SetReadAheadThread.)
    void Hold() override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        WaitDone(lock);
    }
    void Detach() override { Hold(); }
    // The reads' transaction is about to be rolled back: a FETCH under way is cancelled (again
    // and again, as CStatementStop asks), so that the session is the user's at once.
    void LetGo() override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_step != Step::Asked)
            return;
        auto done = [this] { return m_step != Step::Asked; };
        do
            m_pRs->AskToStop();
        while (
            !m_changed.wait_for(lock, std::chrono::milliseconds(CStatementStop::kRepeatMs), done));
        m_pRs->ClearStopRequest();
    }

private:
    static constexpr DWORD kPatienceMs = 300;
    static constexpr DWORD kIdleEndMs = 2000;

    // The thread's protocol. NoThread: none (yet, or it ended idle). Waiting: the thread waits
    // for a FETCH. Asked: a FETCH is asked for or under way. Ending: the owner goes.
    enum class Step
    {
        NoThread,
        Waiting,
        Asked,
        Ending,
    };

    void WaitDone(std::unique_lock<std::mutex>& lock)
    {
        m_changed.wait(lock, [this] { return m_step != Step::Asked; });
    }
    void Run()
    {
        // Holds made by the driver's calls here are none of this thread's business.
        CRDatabase::SetReadAheadThread();
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;)
        {
            // A window left part read keeps no thread: it ends after a while without a FETCH,
            // and the next FETCH starts another.
            if (!m_changed.wait_for(lock, std::chrono::milliseconds(kIdleEndMs),
                                    [this] { return m_step != Step::Waiting; }))
                m_step = Step::NoThread;
            if (m_step != Step::Asked)
                return;
            CRRecordset* pRs = m_pRs;
            const SQLHSTMT hDrop = m_hDrop;
            lock.unlock();
            if (hDrop != SQL_NULL_HSTMT)
                SQLFreeStmt(hDrop, SQL_DROP);
            SQLRETURN rc = SQL_ERROR;
            CRDBException* pRefused = nullptr;
            const LONGLONG nStart = GetTickMs();
            try
            {
                rc = pRs->RunDirect(pRefused);
            }
            catch (CException* e)
            {
                e->Delete();
            }
            catch (...)
            {}
            const LONGLONG nRunMs = GetTickMs() - nStart;
            lock.lock();
            m_nRunMs = nRunMs;
            m_rc = rc;
            m_pRefused = pRefused;
            m_step = Step::Waiting;
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Step m_step = Step::NoThread;
    CRRecordset* m_pRs = nullptr;
    SQLHSTMT m_hDrop = SQL_NULL_HSTMT;
    SQLRETURN m_rc = SQL_ERROR;
    LONGLONG m_nRunMs = 0; // how long the last FETCH ran
    CRDBException* m_pRefused = nullptr;
    std::thread m_thread;
};

namespace {

// Cursor names are the session's: one a read, never met again in the program's life, and
// unlike any a user would choose.
CString NextCursorName()
{
    static std::atomic<unsigned> s_nNext{0};
    CString name;
    name.Format(L"ql_held_read_%u", s_nNext.fetch_add(1) + 1);
    return name;
}

CString RowsText(int nRows)
{
    CString text;
    text.Format(L"%d", nRows);
    return text;
}

} // namespace

CHeldCursor::CHeldCursor(CRDatabase* pDatabase, LPCWSTR pszSelect, UINT nOptions)
    : m_pDatabase(pDatabase), m_strSelect(pszSelect), m_strName(NextCursorName()),
      m_nOptions(nOptions | RS_WINDOW_READ), m_pRs(std::make_unique<CRRecordset>(pDatabase)),
      m_pNext(std::make_unique<CRRecordset>(pDatabase))
{
    m_pTarget = m_pRs.get();
}

CHeldCursor::~CHeldCursor()
{
    try
    {
        Close();
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {}
}

bool CHeldCursor::IsUsable(CRDatabase& db)
{
    return db.GetDBMSKind() == DBMS_POSTGRESQL && !db.IsSQLite() &&
           db.GetConnectionHandle() != SQL_NULL_HDBC && !db.IsInTransaction();
}

bool CHeldCursor::Open(const RunStatement& run)
{
    m_nConnectionSerial = m_pDatabase->GetConnectionSerial();
    std::vector<CColumnDesc> textColumns;
    std::vector<UINT> rowFields;
    bool bCancelled = false;
    const CString strSelect = SelectToDeclare(run, textColumns, rowFields, bCancelled);
    if (bCancelled)
        return false;
    for (CRRecordset* pRs : {m_pRs.get(), m_pNext.get()})
    {
        pRs->ReadColumnsAsServerText(textColumns);
        pRs->ReadServerTextsFromRow(rowFields.empty() ? 0 : rowFields.front(), rowFields);
    }
    if (!m_pDatabase->BeginWindowRead(m_nRead))
        throw new CRDBException(L"The rows cannot be read: the session is not in a state to read "
                                L"them (the connection was lost). Connect > Reconnect opens a "
                                L"new session.");
    m_state = State::Reading;
    try
    {
        // The DECLARE and the first FETCH are the user's waits: each may be cancelled.
        if (!run(*m_pRs, L"DECLARE " + m_strName + L" NO SCROLL CURSOR FOR " + strSelect,
                 RS_READONLY | RS_WINDOW_READ))
        {
            LeaveServer(State::Closed);
            return false;
        }
        m_nExecutionTime = m_pRs->GetExecutionTime();
        m_pRs->Close();
        m_nAsked = kFirstFetchRows;
        const LONGLONG nStart = GetTickMs();
        if (!run(*m_pRs, FetchText(m_nAsked), m_nOptions))
        {
            LeaveServer(State::Closed);
            return false;
        }
        m_nFetchMs = GetTickMs() - nStart;
    }
    catch (CException*)
    {
        LeaveServer(State::Closed);
        throw;
    }
    m_nExecutionTime += m_pRs->GetExecutionTime();
    TakeFetchedRows(false);
    return true;
}

CString CHeldCursor::SelectToDeclare(const RunStatement& run, std::vector<CColumnDesc>& descs,
                                     std::vector<UINT>& rowFields, bool& bCancelled)
{
    descs.clear();
    rowFields.clear();
    // The SELECT's own columns as the driver describes them; nothing of it is run, but its
    // tables' locks are waited for. (A line comment at the SELECT's end ends before the
    // parenthesis.)
    std::vector<CString> names;
    bool bAnyText = false;
    try
    {
        CRRecordset rs(m_pDatabase);
        if (!run(rs, L"SELECT * FROM (" + m_strSelect + L"\n) ql_described LIMIT 0",
                 RS_READONLY | RS_WINDOW_READ))
        {
            bCancelled = true;
            return m_strSelect;
        }
        for (UINT c = 1; c <= static_cast<UINT>(rs.GetColumnCount()); ++c)
        {
            const CColumnDesc* pDesc = rs.GetColumn(c);
            if (!pDesc)
                return m_strSelect;
            CString strType;
            CRRecordset::ReadDriverTypeName(rs.GetStmtHandle(), c, strType);
            // (timestamptz keeps its offset only in text that is shown as it is: the window's
            // SELECT reads it so.)
            const bool bText =
                HowToReadPostgresColumn(pDesc->nSQLType, strType) == PostgresRead::AsParsedText;
            descs.push_back(bText ? *pDesc : CColumnDesc{});
            names.push_back(pDesc->strName);
            bAnyText = bAnyText || bText;
        }
    }
    catch (CRDBException* e)
    {
        // A wait the server ended (a timeout, a lock not had, a cancel) or a session gone is the
        // SELECT's own failure, said at once; anything else, the SELECT is declared as it is.
        const CString strClass = e->m_strSQLState.Left(2);
        if (strClass == L"57" || strClass == L"08" || e->m_strSQLState == L"55P03")
            throw;
        e->Delete();
        descs.clear();
        return m_strSelect;
    }
    catch (CException* e)
    {
        e->Delete();
        descs.clear();
        return m_strSelect;
    }
    // Each column by its name: a name twice would be ambiguous.
    if (!bAnyText || std::set<CString>(names.begin(), names.end()).size() != names.size())
    {
        descs.clear();
        return m_strSelect;
    }
    // In a bound read the texts come as one row value of them, in the first one's place, the
    // others' places NULL: the server keeps the row value for less than the texts, and writes
    // its text only as each FETCH reads it.
    const bool bRow = (m_nOptions & RS_UNBOUND) == 0;
    CString strRow;
    for (size_t i = 0; i < names.size(); ++i)
        if (bRow && descs[i].nSQLType)
        {
            strRow += (rowFields.empty() ? L"" : L", ") + QuoteSQLName(names[i], m_pDatabase);
            rowFields.push_back(static_cast<UINT>(i + 1));
        }
    CString strList;
    for (size_t i = 0; i < names.size(); ++i)
    {
        const CString strName = QuoteSQLName(names[i], m_pDatabase);
        CString strColumn = strName;
        if (descs[i].nSQLType && !bRow)
            strColumn = strName + L"::text AS " + strName;
        else if (descs[i].nSQLType)
            strColumn =
                (rowFields.front() == i + 1 ? L"ROW(" + strRow + L")" : CString(L"NULL::text")) +
                L" AS " + strName;
        strList += (i ? L", " : L"") + strColumn;
    }
    // The rows keep the order the SELECT gives them: a subquery with an ORDER BY is scanned
    // as sorted.
    return L"SELECT " + strList + L" FROM (" + m_strSelect + L"\n) ql_read";
}

int CHeldCursor::NextFetchRows() const
{
    // Each FETCH doubles the last, up to the largest: few round trips on a long read, little
    // held by the driver at a time. One that took longer than kFetchAimMs (a view that computes
    // its rows slowly) is followed by a smaller one: anything else that is to reach the
    // connection waits for the FETCH under way (CRDatabase::HoldReadAheads).
    if (m_nFetchMs > kFetchAimMs)
        return static_cast<int>(std::max<LONGLONG>(1, m_nAsked * kFetchAimMs / m_nFetchMs));
    return std::min(m_nAsked * 2, kLargestFetchRows);
}

bool CHeldCursor::IsOnItsConnection() const
{
    return m_pDatabase->GetConnectionSerial() == m_nConnectionSerial &&
           m_pDatabase->GetConnectionHandle() != SQL_NULL_HDBC;
}

CString CHeldCursor::FetchText(int nRows) const
{
    return L"FETCH " + RowsText(nRows) + L" FROM " + m_strName;
}

void CHeldCursor::FetchNext(bool bReadingOn)
{
    if (m_state == State::Stopped)
        ThrowStopped();
    m_nInFetch = 0;
    m_nFetched = -1;
    if (m_state == State::FetchingAhead)
    {
        // The FETCH run ahead: its rows were read outside a transaction, whatever began since.
        CRDBException* pRefused = nullptr;
        const SQLRETURN rc = m_pAhead->Wait(pRefused, &m_nFetchMs);
        m_state = State::Reading;
        // Its statement is freed by the FETCH run next, or at the latest when the read ends.
        m_hDrop = m_pRs->ReleaseStmt();
        std::swap(m_pRs, m_pNext);
        m_pTarget = m_pRs.get();
        m_nAsked = m_nNextAsked;
        if (!IsOnItsConnection())
        {
            if (pRefused)
                pRefused->Delete();
            Stop(new CRDBException(L"The connection was closed."));
        }
        try
        {
            m_pRs->FinishBeside(rc, pRefused);
        }
        catch (CRDBException* e)
        {
            // A FETCH cancelled because the session was wanted: the read stops, in words.
            if (!m_pDatabase->IsWindowReadOn(m_nRead))
            {
                e->Delete();
                StopLetGo();
            }
            Stop(e);
        }
    }
    else
    {
        m_nAsked = NextFetchRows();
        if (!IsOnItsConnection())
            Stop(new CRDBException(L"The connection was closed."));
        if (!m_pDatabase->IsWindowReadOn(m_nRead))
            StopLetGo();
        const LONGLONG nStart = GetTickMs();
        try
        {
            m_pRs->Open(FetchText(m_nAsked), RS_FORWARD_ONLY, m_nOptions);
        }
        catch (CRDBException* e)
        {
            Stop(e);
        }
        m_nFetchMs = GetTickMs() - nStart;
    }
    TakeFetchedRows(bReadingOn);
}

void CHeldCursor::TakeFetchedRows(bool bReadingOn)
{
    if (m_pRs->IsEOF())
    {
        LeaveServer(State::Ended);
        return;
    }
    ++m_nRows;
    ++m_nInFetch;
    // The driver turns the values into their types on a thread of its own: that overlaps what
    // the reader does with the rows before.
    m_pRs->ReadAheadFromNextBlock(true);
    // The rows the FETCH gave, where the driver says: its count of the result's rows (SQLRowCount
    // of a FETCH was seen to say 1 for 500 rows holding numbers of thousands of digits).
    SQLLEN nFetched = -1;
    if (!SQL_SUCCEEDED(SQLGetDiagFieldW(SQL_HANDLE_STMT, m_pRs->GetStmtHandle(), 0,
                                        SQL_DIAG_CURSOR_ROW_COUNT, &nFetched, 0, nullptr)) ||
        nFetched < 0)
        m_pRs->GetRowCount(&nFetched);
    if (nFetched >= 0)
        m_nFetched = static_cast<int>(std::min<SQLLEN>(nFetched, m_nAsked));
    if (m_nFetched >= 0 && m_nFetched < m_nAsked)
    {
        // The last FETCH: its rows are the driver's, and the server's part of the read ends now,
        // not when the reader comes to its last row.
        DropReleasedStatement();
        if (IsOnItsConnection())
            m_pDatabase->EndWindowRead(m_nRead, m_strName);
        m_state = State::LastRows;
        return;
    }
    if (bReadingOn)
        StartFetchAhead();
}

void CHeldCursor::StartFetchAhead()
{
    // Not after a FETCH that gave fewer rows than it asked for (the last), and only where the
    // reader could run it itself.
    if (m_state != State::Reading || (m_nFetched >= 0 && m_nFetched < m_nAsked) ||
        !IsOnItsConnection() || !m_pDatabase->IsWindowReadOn(m_nRead))
    {
        DropReleasedStatement();
        return;
    }
    m_nNextAsked = NextFetchRows();
    try
    {
        if (!m_pNext->BeginBeside(FetchText(m_nNextAsked), RS_FORWARD_ONLY, m_nOptions))
        {
            DropReleasedStatement();
            return;
        }
    }
    catch (CRDBException* e)
    {
        // The reader runs the FETCH itself when it comes to it, and meets the failure then.
        e->Delete();
        m_pNext->Close();
        DropReleasedStatement();
        return;
    }
    if (!m_pAhead)
    {
        m_pAhead = std::make_shared<CFetchAhead>();
        m_pDatabase->AddReadAhead(m_pAhead);
    }
    if (!m_pAhead->Start(*m_pNext, m_hDrop))
    {
        // No thread to be had: the reader runs the FETCH itself when it comes to it.
        m_pNext->Close();
        DropReleasedStatement();
        return;
    }
    m_hDrop = SQL_NULL_HSTMT;
    m_state = State::FetchingAhead;
}

void CHeldCursor::DropReleasedStatement()
{
    if (m_hDrop != SQL_NULL_HSTMT && IsOnItsConnection())
        SQLFreeStmt(m_hDrop, SQL_DROP);
    m_hDrop = SQL_NULL_HSTMT;
}

void CHeldCursor::DropFetchAhead()
{
    if (m_state == State::FetchingAhead)
    {
        m_state = State::Reading;
        // The window closes at once, whatever the server is doing.
        m_pAhead->WaitCancelling();
        CRDBException* pRefused = nullptr;
        const SQLRETURN rc = m_pAhead->Wait(pRefused);
        // Its rows are not wanted; what it did to the session is followed as ever.
        try
        {
            if (IsOnItsConnection())
                m_pNext->EndDirect(rc, pRefused);
            else if (pRefused)
                pRefused->Delete();
        }
        catch (CRDBException* e)
        {
            e->Delete();
        }
        m_pNext->Close();
    }
    if (m_pAhead)
    {
        // The read is over: the thread goes, and holds reach it no more.
        m_pDatabase->RemoveReadAhead(m_pAhead.get());
        m_pAhead.reset();
    }
}

void CHeldCursor::Stop(CRDBException* pError)
{
    // The copy is thrown again; the original goes to the caller.
    m_pStopped = std::make_unique<CRDBException>(*pError);
    LeaveServer(State::Stopped);
    m_state = State::Stopped;
    throw pError;
}

void CHeldCursor::ThrowStopped() const
{
    throw new CRDBException(*m_pStopped);
}

void CHeldCursor::StopLetGo()
{
    // Quietly: the rows read stay, and the rows pane says the reading stopped.
    auto* pStop = new CRDBException(L"Reading the rows stopped after row " + RowsText(m_nRows) +
                                    L": the session was wanted for something else. Refresh "
                                    L"reads them again.");
    pStop->m_bStopAsked = true;
    Stop(pStop);
}

void CHeldCursor::LeaveServer(State next)
{
    DropFetchAhead();
    DropReleasedStatement();
    if (m_state == State::LastRows)
        m_state = next;
    if (!IsReading())
        return;
    m_state = next;
    // The cursor goes with its transaction where that was let go, or with the session.
    if (IsOnItsConnection())
        m_pDatabase->EndWindowRead(m_nRead, m_strName);
}

void CHeldCursor::Close()
{
    // The statement first: the driver's last rows go before the server's.
    m_pRs->Close();
    LeaveServer(State::Closed);
    if (m_state == State::Unopened)
        m_state = State::Closed;
}

CString CHeldCursor::GetTableName()
{
    return ParseSelectTableName(m_strSelect);
}

bool CHeldCursor::IsNextRowReady()
{
    if (!IsReading())
        return true;
    // (As WaitNextRowReady, without waiting.)
    if (m_nFetched >= 0 && m_nInFetch >= m_nFetched)
    {
        StartFetchAhead();
        return m_state != State::FetchingAhead || m_pAhead->IsDone();
    }
    return m_pRs->IsNextRowReady();
}

bool CHeldCursor::WaitNextRowReady(LONGLONG nUntilMs)
{
    if (!IsReading())
        return true;
    // At the last row of a FETCH the next row is the first of the one run ahead; a reader that
    // asks (one that reads on in idle time) has it run ahead now rather than wait for it on its
    // own thread.
    if (m_nFetched >= 0 && m_nInFetch >= m_nFetched)
    {
        StartFetchAhead();
        return m_state != State::FetchingAhead || m_pAhead->WaitDoneUntil(nUntilMs);
    }
    return m_pRs->WaitNextRowReady(nUntilMs);
}

bool CHeldCursor::MoveFirst()
{
    if (m_state == State::Stopped)
        ThrowStopped();
    return m_nRows <= 1;
}

bool CHeldCursor::MoveNext()
{
    if (m_state == State::Stopped)
        ThrowStopped();
    if (IsEOF())
        return false;
    m_pRs->MoveNext();
    if (!m_pRs->IsEOF())
    {
        ++m_nRows;
        ++m_nInFetch;
        return true;
    }
    // A FETCH that gave fewer rows than it asked for was the last.
    if (m_nInFetch < m_nAsked)
    {
        LeaveServer(State::Ended);
        return true;
    }
    FetchNext(true);
    return true;
}

} // namespace Zelt
