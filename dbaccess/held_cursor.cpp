// CHeldCursor: a result of the program's own read in steps through a cursor held in the user's
// PostgreSQL session (see held_cursor.h).
#include "dbaccess/held_cursor.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/sql_text.h"

#include <algorithm>
#include <atomic>

namespace Zelt {

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
      m_nOptions(nOptions), m_rs(pDatabase)
{}

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

bool CHeldCursor::Open(const std::function<bool(CRRecordset&, LPCWSTR)>& run)
{
    m_nConnectionSerial = m_pDatabase->GetConnectionSerial();
    const CString strDeclare =
        L"DECLARE " + m_strName + L" NO SCROLL CURSOR WITH HOLD FOR " + m_strSelect;
    if (!run(m_rs, strDeclare))
        return false;
    m_nExecutionTime = m_rs.GetExecutionTime();
    m_state = State::Reading;
    m_rs.Close();
    FetchNext();
    m_nExecutionTime += m_rs.GetExecutionTime();
    return true;
}

void CHeldCursor::FetchNext()
{
    if (m_state == State::Stopped)
        ThrowStopped();
    // Each FETCH doubles the last, up to the largest: few round trips on a long read, little
    // held by the driver at a time.
    m_nAsked = m_nAsked == 0 ? kFirstFetchRows : std::min(m_nAsked * 2, kLargestFetchRows);
    m_nInFetch = 0;
    if (m_pDatabase->GetConnectionSerial() != m_nConnectionSerial ||
        m_pDatabase->GetConnectionHandle() == SQL_NULL_HDBC)
        Stop(new CRDBException(L"The connection was closed."));
    if (m_pDatabase->IsInTransaction())
    {
        // Not inside the user's transaction: a FETCH that failed there would abort it.
        Stop(new CRDBException(L"A transaction was begun in the session; the rows after row " +
                               RowsText(m_nRows) +
                               L" were not read. Refresh the window to read them all."));
    }
    try
    {
        m_rs.Open(L"FETCH " + RowsText(m_nAsked) + L" FROM " + m_strName, RS_FORWARD_ONLY,
                  m_nOptions);
    }
    catch (CRDBException* e)
    {
        Stop(e);
    }
    if (m_rs.IsEOF())
        LeaveServer(State::Ended);
    else
    {
        ++m_nRows;
        ++m_nInFetch;
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

void CHeldCursor::LeaveServer(State next)
{
    if (m_state != State::Reading)
        return;
    m_state = next;
    if (m_pDatabase->GetConnectionSerial() != m_nConnectionSerial ||
        m_pDatabase->GetConnectionHandle() == SQL_NULL_HDBC || m_pDatabase->IsInTransaction())
        return;
    m_pDatabase->ExecQuietly(L"CLOSE " + m_strName);
}

void CHeldCursor::Close()
{
    // The statement first: the driver's last rows go before the server's.
    m_rs.Close();
    LeaveServer(State::Closed);
    if (m_state == State::Unopened)
        m_state = State::Closed;
}

CString CHeldCursor::GetTableName()
{
    return ParseSelectTableName(m_strSelect);
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
    m_rs.MoveNext();
    if (!m_rs.IsEOF())
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
    FetchNext();
    return true;
}

bool CHeldCursor::MoveLast()
{
    while (!IsEOF())
        MoveNext();
    return false;
}

bool CHeldCursor::Move(int rows, USHORT fetchType)
{
    if (fetchType == SQL_FETCH_NEXT || (fetchType == SQL_FETCH_RELATIVE && rows == 1))
        return MoveNext();
    if (fetchType == SQL_FETCH_FIRST)
        return MoveFirst();
    return false;
}

void CHeldCursor::GetStatus(CStatus& status)
{
    status.nCurrentRow = IsEOF() ? m_nRows : m_nRows - 1;
    status.bCountFinal = m_state == State::Ended;
}

} // namespace Zelt
