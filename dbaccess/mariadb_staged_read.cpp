// MariaDB: a window's SELECT read as its first rows, then the rest on a thread of its own.
#include "dbaccess/mariadb_staged_read.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/sql_text.h"
#include "dbaccess/statement_stop.h"

#include <chrono>
#include <condition_variable>
#include <cwctype>
#include <mutex>
#include <thread>

namespace Zelt {

// The rest's statement, run by a thread while the reader's thread answers the user. A hold (any
// other call about to reach the connection) cancels it while it runs: the session is the user's
// again once the server has ended the statement.
class CMariaDBStagedRead::CRestRun : public CRDatabase::IReadAhead
{
public:
    explicit CRestRun(CRRecordset& rs) : m_rs(rs) {}
    ~CRestRun() override
    {
        Hold();
        if (m_thread.joinable())
            m_thread.join();
        if (m_pRefused)
            m_pRefused->Delete();
    }

    // Runs the statement (begun with BeginBeside) on a thread, or here when none can be had.
    void Start()
    {
        m_bRunning = true;
        try
        {
            m_thread = std::thread([this] {
                // Holds made by the driver's calls here are none of this thread's business.
                CRDatabase::SetReadAheadThread();
                Run();
            });
        }
        catch (...)
        {
            Run();
        }
    }
    // Whether the statement has run, waiting for it until the tick count reaches nUntilMs.
    bool WaitUntil(LONGLONG nUntilMs)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const LONGLONG nLeft = nUntilMs - GetTickMs();
        if (nLeft > 0)
            m_changed.wait_for(lock, std::chrono::milliseconds(nLeft),
                               [this] { return !m_bRunning; });
        return !m_bRunning;
    }
    // The statement's outcome once it has run; bCancelled: a hold cancelled it.
    SQLRETURN Wait(CRDBException*& pRefused, bool& bCancelled)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_bRunning; });
        pRefused = m_pRefused;
        m_pRefused = nullptr;
        bCancelled = m_bCancelled;
        return m_rc;
    }
    // Cancels the statement while it runs, again every CStatementStop::kRepeatMs (a cancel that
    // reaches the server before the statement is lost), and waits for its end. (Never called on
    // the thread itself: see SetReadAheadThread.)
    void Hold() override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_bRunning)
            return;
        m_bCancelled = true;
        do
            m_rs.AskToStop();
        while (!m_changed.wait_for(lock, std::chrono::milliseconds(CStatementStop::kRepeatMs),
                                   [this] { return !m_bRunning; }));
    }
    void Detach() override { Hold(); }

private:
    void Run()
    {
        SQLRETURN rc = SQL_ERROR;
        CRDBException* pRefused = nullptr;
        try
        {
            rc = m_rs.RunDirect(pRefused);
        }
        catch (CException* e)
        {
            e->Delete();
        }
        catch (...)
        {}
        std::lock_guard<std::mutex> lock(m_mutex);
        m_rc = rc;
        m_pRefused = pRefused;
        m_bRunning = false;
        m_changed.notify_all();
    }

    CRRecordset& m_rs;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bRunning = false;
    bool m_bCancelled = false;
    SQLRETURN m_rc = SQL_ERROR;
    CRDBException* m_pRefused = nullptr;
    std::thread m_thread;
};

namespace {

CString RowsText(int nRows)
{
    CString text;
    text.Format(L"%d", nRows);
    return text;
}

// The word LIMIT anywhere in the text, quoted or not.
bool MentionsLimit(LPCWSTR pszSelect)
{
    CString upper(pszSelect);
    upper.MakeUpper();
    auto isWord = [&](int at) {
        return at >= 0 && at < upper.GetLength() && (std::iswalnum(upper[at]) || upper[at] == L'_');
    };
    for (int at = upper.Find(L"LIMIT"); at >= 0; at = upper.Find(L"LIMIT", at + 1))
    {
        if (!isWord(at - 1) && !isWord(at + 5))
            return true;
    }
    return false;
}

// The driver cancels a statement by KILL QUERY over a connection of its own: a role limited to
// one connection (the session value of max_user_connections is the role's own limit) cannot have
// it. Not known counts as not.
bool MayOpenSecondConnection(CRDatabase* pDatabase)
{
    try
    {
        CRRecordset rs(pDatabase);
        if (!rs.Open(L"SELECT @@max_user_connections", RS_FORWARD_ONLY, RS_READONLY) || rs.IsEOF())
            return false;
        LONGLONG nLimit = 0;
        rs.GetFieldBigInt(1, nLimit);
        return nLimit != 1;
    }
    catch (CException* e)
    {
        e->Delete();
        return false;
    }
}

// The first nRows rows of a result, read where it stands (on its first row) without moving it
// past them; closing it leaves the result open.
class CFirstRowsOf : public CForwardingCursor
{
public:
    CFirstRowsOf(ICursor& target, int nRows) : m_nRows(nRows) { m_pTarget = &target; }
    bool MoveFirst() override { return m_nPassed == 0 && !IsEOF(); }
    bool MoveNext() override
    {
        if (IsEOF())
            return false;
        if (++m_nPassed >= m_nRows)
            m_bEnd = true;
        else
            m_pTarget->MoveNext();
        return true;
    }
    bool MoveLast() override { return false; }
    bool Move(int rows, USHORT fetchType) override
    {
        return fetchType == SQL_FETCH_NEXT || (fetchType == SQL_FETCH_RELATIVE && rows == 1)
                   ? MoveNext()
                   : false;
    }
    bool IsBOF() override { return m_nPassed == 0 && IsEOF(); }
    bool IsEOF() override { return m_bEnd || m_nRows <= 0 || m_pTarget->IsEOF(); }
    int GetRecordCount() override { return m_nPassed + 1; }

private:
    int m_nRows;
    int m_nPassed = 0;
    bool m_bEnd = false;
};

// Both cursors' current rows hold the same values: NULL alike, the same bytes or text.
bool SameRow(ICursor& a, ICursor& b)
{
    const short nColumns = a.GetColumnCount();
    if (nColumns != b.GetColumnCount())
        return false;
    CString textA, textB;
    CByteArray bytesA, bytesB;
    for (UINT col = 1; col <= static_cast<UINT>(nColumns); ++col)
    {
        const bool bNull = a.IsFieldNull(col);
        if (bNull != b.IsFieldNull(col))
            return false;
        if (bNull)
            continue;
        if (a.GetColumnCType(col) == SQL_C_BINARY)
        {
            a.GetFieldBinary(col, bytesA);
            b.GetFieldBinary(col, bytesB);
            if (bytesA.GetSize() != bytesB.GetSize() ||
                (bytesA.GetSize() > 0 &&
                 memcmp(bytesA.GetData(), bytesB.GetData(), bytesA.GetSize()) != 0))
                return false;
            continue;
        }
        a.GetFieldText(col, textA);
        b.GetFieldText(col, textB);
        if (textA != textB)
            return false;
    }
    return true;
}

} // namespace

CMariaDBStagedRead::CMariaDBStagedRead(CRDatabase* pDatabase, LPCWSTR pszSelect, UINT nOptions)
    : m_pDatabase(pDatabase), m_strSelect(pszSelect), m_nOptions(nOptions)
{}

CMariaDBStagedRead::~CMariaDBStagedRead()
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

bool CMariaDBStagedRead::IsUsable(CRDatabase& db, LPCWSTR pszSelect)
{
    return db.GetDBMSKind() == DBMS_MYSQL && !db.IsInTransaction() && !MentionsLimit(pszSelect);
}

CString CMariaDBStagedRead::FirstRowsText(LPCWSTR pszSelect)
{
    return CString(pszSelect) + L"\nLIMIT " + RowsText(kFirstRows);
}

bool CMariaDBStagedRead::Open(const std::function<bool(CRRecordset&, LPCWSTR)>& run)
{
    m_nConnectionSerial = m_pDatabase->GetConnectionSerial();
    auto rs = std::make_unique<CRRecordset>(m_pDatabase);
    if (!run(*rs, FirstRowsText(m_strSelect)))
        return false;
    m_nExecutionTime = rs->GetExecutionTime();
    // Its rows are in the driver's memory already: they are taken whole, and the statement ends.
    m_pFirst = std::make_unique<CMemCursor>(std::move(rs));
    m_pFirst->ReadToEnd();
    if (m_pFirst->IsStopped())
        m_pFirst->ThrowStopError();
    m_pTarget = m_pFirst.get();
    m_nFirst = m_pFirst->GetRecordCount();
    if (m_nFirst == 0)
    {
        m_state = State::Ended;
        return true;
    }
    m_pFirst->MoveFirst();
    m_state = State::First;
    m_nRows = 1;
    m_rest = !HasRest()                             ? Rest::None
             : MayOpenSecondConnection(m_pDatabase) ? Rest::ReadOnByItself
                                                    : Rest::WhenAsked;
    return true;
}

bool CMariaDBStagedRead::IsOnItsConnection() const
{
    return m_pDatabase->GetConnectionSerial() == m_nConnectionSerial &&
           m_pDatabase->GetConnectionHandle() != SQL_NULL_HDBC;
}

void CMariaDBStagedRead::StartRest()
{
    if (!IsOnItsConnection())
        Stop(new CRDBException(L"The connection was closed."));
    if (m_pDatabase->IsInTransaction())
    {
        // Not inside the user's transaction: the rest would be read in its snapshot, and a
        // failure there could end it.
        Stop(new CRDBException(L"A transaction was begun in the session; the rows after row " +
                               RowsText(m_nRows) +
                               L" were not read. Refresh the window to read them all."));
    }
    m_pRest = std::make_unique<CRRecordset>(m_pDatabase);
    try
    {
        m_pRest->BeginBeside(m_strSelect, RS_FORWARD_ONLY, m_nOptions);
    }
    catch (CRDBException* e)
    {
        Stop(e);
    }
    m_pRun = std::make_shared<CRestRun>(*m_pRest);
    m_pDatabase->AddReadAhead(m_pRun);
    m_state = State::RunningRest;
    m_pRun->Start();
}

void CMariaDBStagedRead::TakeRest()
{
    if (m_state == State::First)
        StartRest();
    CRDBException* pRefused = nullptr;
    bool bCancelled = false;
    const SQLRETURN rc = m_pRun->Wait(pRefused, bCancelled);
    m_pDatabase->RemoveReadAhead(m_pRun.get());
    m_pRun.reset();
    m_state = State::Rest;
    if (!IsOnItsConnection())
    {
        if (pRefused)
            pRefused->Delete();
        Stop(new CRDBException(L"The connection was closed."));
    }
    try
    {
        m_pRest->FinishBeside(rc, pRefused);
        m_pRest->ClearStopRequest();
    }
    catch (CRDBException* e)
    {
        m_pRest->ClearStopRequest();
        if (!bCancelled)
            Stop(e);
        e->Delete();
        // The session was wanted while the rest was read: the rows read stay, quietly (the rows
        // pane says the reading stopped).
        auto* pStop = new CRDBException(L"Reading the rows stopped after row " + RowsText(m_nRows) +
                                        L": the session was wanted for something else. Refresh "
                                        L"reads them again.");
        pStop->m_bStopAsked = true;
        Stop(pStop);
    }
    if (!RestBeginsWithFirstRows())
    {
        Stop(new CRDBException(
            L"The rows after row " + RowsText(m_nRows) +
            L" were not read: the table's first rows read again for the rest were not the ones "
            L"shown (another session changed them, or rows that sort alike came in another "
            L"order). Refresh reads them all again."));
    }
    m_pTarget = m_pRest.get();
    // The driver turns the values into their types on a thread of its own: that overlaps what
    // the reader does with the rows before.
    m_pRest->ReadAheadFromNextBlock(true);
}

bool CMariaDBStagedRead::RestBeginsWithFirstRows()
{
    // The rest's first rows, taken as the first statement's were, so that both give their
    // values alike.
    CMemCursor again(std::make_unique<CFirstRowsOf>(*m_pRest, m_nFirst));
    again.ReadToEnd();
    if (again.IsStopped())
        again.ThrowStopError();
    if (again.GetRecordCount() != m_nFirst)
        return false;
    for (int row = 1; row <= m_nFirst; ++row)
    {
        if (!m_pFirst->SetAbsolutePosition(row) || !again.SetAbsolutePosition(row) ||
            !SameRow(*m_pFirst, again))
            return false;
    }
    return true;
}

void CMariaDBStagedRead::DropRest()
{
    if (!m_pRun)
        return;
    // The reader lets go, whatever the server is doing: the statement is cancelled.
    m_pRun->Hold();
    CRDBException* pRefused = nullptr;
    bool bCancelled = false;
    const SQLRETURN rc = m_pRun->Wait(pRefused, bCancelled);
    m_pDatabase->RemoveReadAhead(m_pRun.get());
    m_pRun.reset();
    try
    {
        if (IsOnItsConnection())
            m_pRest->FinishBeside(rc, pRefused);
        else if (pRefused)
            pRefused->Delete();
    }
    catch (CRDBException* e)
    {
        e->Delete();
    }
    m_pRest->ClearStopRequest();
}

void CMariaDBStagedRead::End()
{
    // The rest's rows leave the driver's memory with its statement.
    if (m_pRest)
        m_pRest->Close();
    m_pTarget = m_pFirst.get();
    m_state = State::Ended;
}

void CMariaDBStagedRead::Stop(CRDBException* pError)
{
    m_pStopped = std::make_unique<CRDBException>(*pError);
    DropRest();
    if (m_pRest)
        m_pRest->Close();
    m_pTarget = m_pFirst.get();
    m_state = State::Stopped;
    throw pError;
}

void CMariaDBStagedRead::ThrowStopped() const
{
    throw new CRDBException(*m_pStopped);
}

void CMariaDBStagedRead::Close()
{
    DropRest();
    if (m_pRest)
        m_pRest->Close();
    if (m_pFirst)
        m_pTarget = m_pFirst.get();
    if (m_state != State::Stopped && m_state != State::Ended)
        m_state = State::Closed;
}

CString CMariaDBStagedRead::GetTableName()
{
    return ParseSelectTableName(m_strSelect);
}

bool CMariaDBStagedRead::IsNextRowReady()
{
    if (m_state == State::First)
    {
        // Asking begins the rest where it may be cancelled when the user acts; elsewhere the
        // reader's next step runs it.
        if (!AtEndOfFirst() || m_rest != Rest::ReadOnByItself)
            return true;
        try
        {
            StartRest();
        }
        catch (CRDBException* e)
        {
            // The next step meets the stop.
            e->Delete();
            return true;
        }
    }
    if (m_state == State::RunningRest)
        return m_pRun->WaitUntil(0);
    if (m_state == State::Rest)
        return m_pRest->IsNextRowReady();
    return true;
}

bool CMariaDBStagedRead::WaitNextRowReady(LONGLONG nUntilMs)
{
    if (IsNextRowReady())
        return true;
    return m_state != State::RunningRest || m_pRun->WaitUntil(nUntilMs);
}

bool CMariaDBStagedRead::MoveFirst()
{
    if (m_state == State::Stopped)
        ThrowStopped();
    return m_nRows <= 1;
}

bool CMariaDBStagedRead::MoveNext()
{
    if (m_state == State::Stopped)
        ThrowStopped();
    if (IsEOF())
        return false;
    if (m_state == State::First && m_nRows < m_nFirst)
    {
        m_pFirst->MoveNext();
        ++m_nRows;
        return true;
    }
    if (m_state == State::First && !HasRest())
    {
        // A first statement that gave fewer rows than it asked for was the whole result.
        End();
        return true;
    }
    if (m_state == State::First || m_state == State::RunningRest)
        TakeRest();
    m_pRest->MoveNext();
    if (m_pRest->IsEOF())
    {
        End();
        return true;
    }
    ++m_nRows;
    return true;
}

} // namespace Zelt
