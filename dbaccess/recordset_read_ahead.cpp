#include "dbaccess/recordset_read_ahead.h"

#include "dbaccess/connect_items.h"
#include "dbaccess/db_exception.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <cstdint>
#include <cstring>

namespace {

// Batches in turn: one being read, one filled and waiting, one being filled.
const int kBatches = 3;

// The thread's rowsets grow while a fetch takes less than the first and shrink while one takes
// more than the second: anything else on the connection waits for the fetch the thread is in.
const auto kQuickFetch = std::chrono::milliseconds(10);
const auto kSlowFetch = std::chrono::milliseconds(50);

// A batch being filled goes to the reader with the rows it has once filling it has taken this
// long (looked at every kRowsBetweenClocks rows): a reader of a slow result, a window that
// repaints while it waits, gets its rows as often as a fetch of its own would give them.
const auto kHandOverAfter = std::chrono::milliseconds(30);
const SQLULEN kRowsBetweenClocks = 64;

} // namespace

CReadAheadBatch::~CReadAheadBatch()
{
    if (pError)
        pError->Delete();
}

CRRecordset::CReadAhead::CReadAhead(CRRecordset& rs, SQLULEN nCapacity)
    : m_rs(rs), m_nCapacity(nCapacity),
      m_bResumes(rs.m_pDatabase != nullptr && rs.m_pDatabase->IsSQLite())
{
    // psqlODBC streaming fetches its fetch size a round trip, or a rowset's worth when that is
    // more: the thread starts with rowsets of no more than that fetch size.
    m_nThreadRows = m_nMinThreadRows = rs.m_block.nRows;
    if (rs.m_pDatabase && rs.m_pDatabase->IsStreamingResults())
        m_nThreadRows = m_nMinThreadRows =
            std::min(rs.m_block.nRows, static_cast<SQLULEN>(kStreamingFetchRows));
    for (int i = 0; i < kBatches; ++i)
    {
        auto batch = std::make_unique<CReadAheadBatch>();
        for (const auto& column : rs.m_columns)
        {
            const size_t element = static_cast<size_t>(column->nElementSize);
            // A bound text or binary column's element is as long as the column may be: its
            // values are packed instead.
            if (!rs.IsUnbound() && column->IsVariable())
            {
                batch->data.emplace_back();
                batch->offsets.emplace_back(new size_t[nCapacity]);
            }
            else
            {
                batch->data.emplace_back(new BYTE[element * nCapacity]);
                batch->offsets.emplace_back();
            }
            batch->indicators.emplace_back(new SQLLEN[nCapacity]);
        }
        batch->status.reset(new SQLUSMALLINT[nCapacity]);
        m_free.push_back(batch.get());
        m_batches.push_back(std::move(batch));
    }
}

CRRecordset::CReadAhead::~CReadAhead()
{
    Stop();
}

void CRRecordset::CReadAhead::Attach(const std::shared_ptr<CReadAhead>& self)
{
    if (!m_rs.m_pDatabase)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pDatabase = m_rs.m_pDatabase;
    }
    m_pDatabase->AddReadAhead(self);
}

void CRRecordset::CReadAhead::Stop()
{
    CRDatabase* db = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        db = m_pDatabase;
    }
    // Out of the list first, so that no hold starts on it meanwhile; one under way keeps the
    // read alive until it returns.
    if (db)
        db->RemoveReadAhead(this);
    WaitStopped(true);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pDatabase = nullptr;
}

void CRRecordset::CReadAhead::Hold()
{
    WaitStopped(false);
}

void CRRecordset::CReadAhead::Detach()
{
    CancelFetch();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bRollBackPending = false; // the transaction goes with the connection
    }
    WaitStopped(true);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bDetached = true;
    m_pDatabase = nullptr;
}

void CRRecordset::CReadAhead::WaitStopped(bool bForGood)
{
    CPooledThread thread;
    CRDatabase* rollBack = nullptr;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_bRunning && std::this_thread::get_id() == m_threadId)
            return;
        (bForGood ? m_bStop : m_bHold) = true;
        m_bLetGo.store(true);
        m_changed.notify_all();
        // Several threads may wait here (a hold and the reader's stop): each returns once the
        // thread has left the driver, and one of them joins it.
        // A cancel that reached the driver just before its fetch began did nothing: asked
        // again until the thread has left the driver.
        while (!m_changed.wait_for(lock, std::chrono::milliseconds(CStatementStop::kRepeatMs),
                                   [this] { return !m_bRunning; }))
        {
            if (m_bCancel)
                m_fetchStop.Ask();
        }
        thread = std::move(m_thread);
        if (m_bRollBackPending && m_pDatabase)
            rollBack = m_pDatabase;
        m_bRollBackPending = false;
    }
    if (thread.joinable())
        thread.join();
    if (rollBack)
        RollBackAbortedRead(rollBack);
}

CReadAheadBatch* CRRecordset::CReadAhead::Next()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_pHeld)
    {
        m_free.push_back(m_pHeld);
        m_pHeld = nullptr;
        m_changed.notify_all();
    }
    StartLocked();
    // Once held, the thread may still be in its last fetch: the batch it was filling comes
    // next, if it got any rows.
    m_changed.wait(lock, [this] { return IsReadyLocked(); });
    if (m_filled.empty() && !m_bDone && m_bDetached)
    {
        // The connection was closed under the read: its statement is gone with it.
        CReadAheadBatch* batch = m_free.front();
        m_free.pop_front();
        batch->nRows = 0;
        batch->wholes.clear();
        batch->bEnd = false;
        batch->pError = new Zelt::CRDBException(L"The connection was closed.");
        m_filled.push_back(batch);
        m_bDone = true;
    }
    else if (m_filled.empty() && !m_bDone)
    {
        // Held: the reader fetches the next batch itself (all batches are free by now).
        CReadAheadBatch* batch = m_free.front();
        m_free.pop_front();
        const SQLULEN limit = m_bStarted ? m_nCapacity : m_rs.m_block.nRows;
        m_bStarted = true;
        lock.unlock();
        // A read-ahead of another result may have started meanwhile.
        if (m_rs.m_pDatabase)
            m_rs.m_pDatabase->HoldReadAheads();
        Fill(*batch, limit, false);
        lock.lock();
        m_filled.push_back(batch);
        m_bDone = batch->bEnd || batch->pError;
    }
    if (m_filled.empty())
        return nullptr; // read to the end already
    m_pHeld = m_filled.front();
    m_filled.pop_front();
    return m_pHeld;
}

void CRRecordset::CReadAhead::StartLocked()
{
    // SQLite's driver steps through the file within this process, and a hold has only to last
    // while the call that asked for it runs: the reader asking for rows again is the one who
    // uses the connection now, so its thread fetches for it again. (A window's own catalog
    // question right after the first screen held the read for good, and every row of a table
    // was then fetched by the reader itself.) A server's driver keeps the hold: its read may
    // have ended in a transaction's end the thread must not race.
    if (m_bHold && m_bResumes && !m_bStop && !m_bRunning && !m_bDone && !m_bDetached &&
        m_filled.empty())
    {
        m_bHold = false;
        m_bLetGo.store(false);
        // (A thread that let go for the hold no longer touches the read.)
        if (m_thread.joinable())
            m_thread.join();
        if (m_bStarted)
        {
            m_bRunning = true;
            m_thread = CPooledThread([this] { Run(); });
            return;
        }
    }
    if (m_bStarted || m_bHold || m_bStop)
        return;
    m_bStarted = m_bRunning = true;
    m_thread = CPooledThread([this] { Run(); });
}

bool CRRecordset::CReadAhead::IsReadyLocked() const
{
    // What Next waits for.
    return !m_filled.empty() || m_bDone || ((m_bHold || m_bStop) && !m_bRunning);
}

bool CRRecordset::CReadAhead::IsReady()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    StartLocked();
    return IsReadyLocked();
}

bool CRRecordset::CReadAhead::WaitReady(LONGLONG nUntilMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    StartLocked();
    const LONGLONG nLeft = nUntilMs - GetTickMs();
    return m_changed.wait_for(lock, std::chrono::milliseconds(nLeft > 0 ? nLeft : 0),
                              [this] { return IsReadyLocked(); });
}

// Only SQLite's driver: it steps the statement within the fetch, in this process, and its cancel
// interrupts the step at once. A server's cancel travels on a connection of its own and may
// arrive once the fetch has ended, to end whatever the session runs next.
void CRRecordset::CReadAhead::CancelFetch()
{
    if (m_rs.m_pDatabase == nullptr || !m_rs.m_pDatabase->IsSQLite())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_bRunning)
            return;
        // No fetch starts after this (Fill looks at it before each one).
        m_bStop = true;
        m_bLetGo.store(true);
        m_bCancel = true;
        m_changed.notify_all();
    }
    m_fetchStop.Ask();
}

void CRRecordset::CReadAhead::Run()
{
    // Nothing on this thread holds reads: it would wait for threads that may wait for it.
    CRDatabase::SetReadAheadThread();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_threadId = std::this_thread::get_id();
    }
    // The first batch is one fetch, so that the first row is there at once.
    SQLULEN limit = m_nThreadRows;
    for (;;)
    {
        CReadAheadBatch* batch = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_bStop || m_bHold || !m_free.empty(); });
            if (m_bStop || m_bHold)
                break;
            batch = m_free.front();
            m_free.pop_front();
        }
        Fill(*batch, limit, true);
        const bool last = batch->bEnd || batch->pError;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            // A batch cut short by a hold goes to the reader with what it has.
            if (batch->nRows || last)
                m_filled.push_back(batch);
            else
                m_free.push_back(batch);
            m_bDone = last;
        }
        m_changed.notify_all();
        if (last)
            break;
        limit = m_nCapacity;
    }
    // Notified under the lock: once a waiter sees the thread stopped, the read may be destroyed,
    // and the thread touches nothing of it after releasing the lock.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bRunning = false;
    m_threadId = std::thread::id();
    m_changed.notify_all();
}

void CRRecordset::CReadAhead::Fill(CReadAheadBatch& batch, SQLULEN nLimit, bool bOnThread)
{
    batch.nRows = 0;
    batch.wholes.clear();
    batch.packed.clear();
    batch.bEnd = false;
    SQLUSMALLINT* status = m_rs.m_block.status.get();
    const auto began = std::chrono::steady_clock::now();
    SQLULEN clockedAt = 0;
    try
    {
        for (;;)
        {
            SQLULEN perFetch = bOnThread ? m_nThreadRows : m_rs.m_block.nRows;
            if (batch.nRows + perFetch > nLimit)
                break;
            if (bOnThread && batch.nRows >= clockedAt + kRowsBetweenClocks)
            {
                clockedAt = batch.nRows;
                if (std::chrono::steady_clock::now() - began > kHandOverAfter)
                    break;
            }
            if (bOnThread && m_bLetGo.load())
                return;
            // (A driver that refuses the size fetches a row at a time into the arrays' first.)
            perFetch = m_rs.SetRowsetSize(perFetch);
            SQLULEN fetched = 0;
            std::fill_n(status, perFetch, static_cast<SQLUSMALLINT>(SQL_ROW_NOROW));
            SQLRETURN rc;
            // (Rowsets of one row have no size to change: their fetches are not timed.)
            const bool timed = bOnThread && m_nMinThreadRows < m_rs.m_block.nRows;
            const auto start =
                timed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
            {
                CStatementStop::CRunning running(m_fetchStop,
                                                 bOnThread ? m_rs.CancelHandle() : SQL_NULL_HSTMT);
                // A cancel asked before the scope began finds no fetch to cancel.
                if (bOnThread && m_fetchStop.IsAsked())
                    return;
                do
                    rc = SQLExtendedFetch(m_rs.m_hStmt, SQL_FETCH_NEXT, 1, &fetched, status);
                while (rc == SQL_STILL_EXECUTING);
            }
            if (timed)
            {
                const auto took = std::chrono::steady_clock::now() - start;
                if (took < kQuickFetch)
                    m_nThreadRows = std::min(m_nThreadRows * 2, m_rs.m_block.nRows);
                else if (took > kSlowFetch)
                    m_nThreadRows = std::max(m_nThreadRows / 2, m_nMinThreadRows);
            }
            if (rc == SQL_NO_DATA)
            {
                batch.bEnd = true;
                return;
            }
            if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
                ThrowRDBException(m_rs.m_pDatabase, rc, m_rs.m_hStmt);
            fetched = std::min(fetched, perFetch);
            if (fetched == 0)
            {
                batch.bEnd = true;
                return;
            }
            m_rs.SplitTextRows(fetched);
            for (SQLULEN r = 0; r < fetched; ++r)
            {
                CopyRow(batch, r, batch.nRows);
                ++batch.nRows;
            }
        }
    }
    // Handed to the reader when it reaches the row after the last one copied. Nothing may
    // leave this thread: an exception escaping it would end the program.
    catch (CException* e)
    {
        batch.pError = e;
        auto* pDBError = dynamic_cast<Zelt::CRDBException*>(e);
        if (bOnThread && pDBError && LeavesReadAborted(m_rs.m_pDatabase, *pDBError))
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bRollBackPending = true;
        }
    }
    catch (const std::bad_alloc&)
    {
        batch.pError = new CMemoryException;
    }
}

// SQLGetData reads the row the driver stands on: within a block, the one being copied (once).
void CRRecordset::CReadAhead::PositionOn(SQLULEN nFrom, bool& positioned)
{
    if (positioned)
        return;
    SQLRETURN rc;
    do
        rc = SQLSetPos(m_rs.m_hStmt, static_cast<SQLSETPOSIROW>(nFrom + 1), SQL_POSITION,
                       SQL_LOCK_NO_CHANGE);
    while (rc == SQL_STILL_EXECUTING);
    m_rs.Check(rc);
    positioned = true;
}

// Copies row nFrom of the bound arrays into row nTo of the batch; values longer than their
// elements are read whole now, while the driver stands on their row.
void CRRecordset::CReadAhead::CopyRow(CReadAheadBatch& batch, SQLULEN nFrom, SQLULEN nTo)
{
    if (!m_rs.IsUnbound())
    {
        CopyBoundRow(batch, nFrom, nTo);
        return;
    }
    const SQLUSMALLINT status = m_rs.m_block.status[nFrom];
    batch.status[nTo] = status;
    bool positioned = m_rs.m_block.nRows == 1;
    auto position = [&] { PositionOn(nFrom, positioned); };
    for (size_t c = 0; c < m_rs.m_columns.size(); ++c)
    {
        CSQLColumn& rec = *m_rs.m_columns[c];
        const size_t element = static_cast<size_t>(rec.nElementSize);
        const SQLLEN ind = rec.blockIndicators[nFrom];
        const BYTE* from = rec.block.get() + nFrom * element;
        BYTE* to = batch.data[c].get() + nTo * element;
        batch.indicators[c][nTo] = ind;
        if (rec.bFromText)
        {
            // The reader fails on a row in error.
            if (ind == SQL_NULL_DATA || status == SQL_ROW_ERROR)
                continue;
            if (ValueFromText(c, reinterpret_cast<const char*>(from), ind, to,
                              batch.indicators[c][nTo]))
                continue;
            position();
            SQLRETURN rc;
            do
                rc = SQLGetData(m_rs.m_hStmt, static_cast<SQLUSMALLINT>(c + 1),
                                static_cast<SQLSMALLINT>(rec.nCType), to, rec.nElementSize,
                                &batch.indicators[c][nTo]);
            while (rc == SQL_STILL_EXECUTING);
            m_rs.Check(rc);
            // (The reader looks for such a value where the driver gave NULL.)
            if (HoldIfOfAnotherKind(batch, nTo, c, reinterpret_cast<const char*>(from), ind,
                                    batch.indicators[c][nTo]))
                batch.indicators[c][nTo] = SQL_NULL_DATA;
            continue;
        }
        if (!rec.IsVariable())
        {
            std::memcpy(to, from, element);
            if (ind == sizeof(TIMESTAMP_STRUCT) && status != SQL_ROW_ERROR &&
                m_rs.ReadsInfinityStandIns(static_cast<UINT>(c + 1)))
            {
                TIMESTAMP_STRUCT ts;
                std::memcpy(&ts, to, sizeof ts);
                m_rs.CorrectInfinity(static_cast<UINT>(c + 1), ts, position);
                std::memcpy(to, &ts, sizeof ts);
            }
            continue;
        }
        if (!rec.IsLongerThanElement(ind))
        {
            if (ind > 0)
                std::memcpy(to, from, static_cast<size_t>(ind));
            continue;
        }
        if (status == SQL_ROW_ERROR)
            continue; // the reader fails on this row
        position();
        auto whole = std::make_unique<CReadAheadBatch::CWholeValue>();
        whole->row = nTo;
        whole->col = c;
        whole->indicator = m_rs.ReadWhole(static_cast<UINT>(c + 1), rec.nCType, &whole->bytes,
                                          whole->textA, whole->text);
        batch.wholes.push_back(std::move(whole));
    }
}

// A bound result's row as the reader would load it from the block: elements as the driver wrote
// them (a value's text too, made into the value as the reader loads it), and kept aside what
// the reader would ask the driver for on the row: the value of a text in another form, the
// rest of a value longer than a short element, an infinite date or timestamp corrected.
void CRRecordset::CReadAhead::CopyBoundRow(CReadAheadBatch& batch, SQLULEN nFrom, SQLULEN nTo)
{
    const SQLUSMALLINT status = m_rs.m_block.status[nFrom];
    batch.status[nTo] = status;
    bool positioned = m_rs.m_block.nRows == 1;
    auto position = [&] { PositionOn(nFrom, positioned); };
    // A value the driver gives on the row (in the form its record takes), in row and column
    // order with the values read whole.
    auto keep = [&](size_t c, const void* value, size_t size, SQLLEN indicator) {
        auto whole = std::make_unique<CReadAheadBatch::CWholeValue>();
        whole->row = nTo;
        whole->col = c;
        whole->indicator = indicator;
        whole->bytes.SetSize(static_cast<INT_PTR>(size));
        if (size)
            std::memcpy(whole->bytes.GetData(), value, size);
        batch.wholes.push_back(std::move(whole));
    };
    for (size_t c = 0; c < m_rs.m_columns.size(); ++c)
    {
        CSQLColumn& rec = *m_rs.m_columns[c];
        const UINT col = static_cast<UINT>(c + 1);
        const size_t element = static_cast<size_t>(rec.nElementSize);
        const SQLLEN ind = rec.blockIndicators[nFrom];
        const BYTE* from = rec.block.get() + nFrom * element;
        BYTE* to = batch.data[c] ? batch.data[c].get() + nTo * element : nullptr;
        // The reader fails on a row in error, and reads nothing of it.
        if (status == SQL_ROW_ERROR || ind == SQL_NULL_DATA)
        {
            batch.indicators[c][nTo] = ind;
            if (batch.offsets[c])
                batch.offsets[c][nTo] = 0;
            continue;
        }
        if (rec.bFromText)
        {
            // The text as the driver wrote it; where the reader could not make the value from
            // it, the driver's value of it.
            batch.indicators[c][nTo] = ind;
            if (ind >= 0 && ind < rec.nElementSize)
            {
                std::memcpy(to, from, static_cast<size_t>(ind) + 1);
                if (m_rs.MakesValueFromText(col, reinterpret_cast<const char*>(from), ind))
                    continue;
            }
            position();
            const SQLLEN size = TextValueSize(rec);
            BYTE value[sizeof(TIMESTAMP_STRUCT)] = {};
            SQLLEN valueInd = 0;
            SQLRETURN rc;
            do
                rc = SQLGetData(m_rs.m_hStmt, static_cast<SQLUSMALLINT>(col),
                                static_cast<SQLSMALLINT>(rec.nCType), value, size, &valueInd);
            while (rc == SQL_STILL_EXECUTING);
            m_rs.Check(rc);
            if (!HoldIfOfAnotherKind(batch, nTo, c, reinterpret_cast<const char*>(from), ind,
                                     valueInd))
                keep(c, value, static_cast<size_t>(size), valueInd);
            continue;
        }
        if (!rec.IsVariable())
        {
            batch.indicators[c][nTo] = ind;
            std::memcpy(to, from, element);
            if (ind == sizeof(TIMESTAMP_STRUCT) && m_rs.ReadsInfinityStandIns(col))
            {
                TIMESTAMP_STRUCT ts;
                std::memcpy(&ts, to, sizeof ts);
                m_rs.CorrectInfinity(col, ts, position);
                std::memcpy(to, &ts, sizeof ts);
            }
            continue;
        }
        const SQLLEN term = CSQLColumn::TerminatorBytes(rec.nBindType);
        // Packed on a boundary of 8, as an element would start.
        auto pack = [&](size_t bytes) {
            const size_t at = (batch.packed.size() + 7) & ~size_t(7);
            batch.packed.resize(at + bytes);
            std::memcpy(batch.packed.data() + at, from, bytes);
            batch.offsets[c][nTo] = at;
        };
        if (!rec.IsLongerThanElement(ind))
        {
            batch.indicators[c][nTo] = ind;
            pack(static_cast<size_t>(ind + term));
            continue;
        }
        if (rec.nElementSize < rec.nFullLength)
        {
            // A short element: the value up to the column's full length, as the reader reads it.
            position();
            std::unique_ptr<BYTE[]> full(new BYTE[static_cast<size_t>(rec.nFullLength)]);
            SQLLEN fullInd = 0;
            SQLRETURN rc;
            do
                rc = SQLGetData(m_rs.m_hStmt, static_cast<SQLUSMALLINT>(col), rec.nBindType,
                                full.get(), rec.nFullLength, &fullInd);
            while (rc == SQL_STILL_EXECUTING);
            m_rs.Check(rc);
            batch.indicators[c][nTo] = ind;
            batch.offsets[c][nTo] = 0;
            keep(c, full.get(), static_cast<size_t>(rec.nFullLength), fullInd);
            continue;
        }
        // Cut at the column's full length. A length the driver could not tell would have the
        // reader read the value on its row, which it no longer stands on: the value is kept
        // cut, as one a byte longer than its buffer (it shows as cut, and is never edited).
        pack(element);
        batch.indicators[c][nTo] = ind == SQL_NO_TOTAL ? rec.nBufferSize + 1 : ind;
    }
}

// A value of a column bound as text that the driver's conversion shows to be of another kind
// than the column's (see IsOfAnotherKind) is kept as its whole text, read while the driver
// stands on the row; false for any other. The reader holds it as that text.
bool CRRecordset::CReadAhead::HoldIfOfAnotherKind(CReadAheadBatch& batch, SQLULEN nTo, size_t c,
                                                  const char* text, SQLLEN length,
                                                  SQLLEN driverIndicator)
{
    const UINT col = static_cast<UINT>(c + 1);
    const SQLLEN element = m_rs.m_columns[c]->nElementSize;
    if (!m_rs.IsOfAnotherKind(col, text, length, element, driverIndicator))
        return false;
    auto whole = std::make_unique<CReadAheadBatch::CWholeValue>();
    whole->row = nTo;
    whole->col = c;
    whole->bHeldAsText = true;
    whole->held = m_rs.WholeTextOf(col, text, length, element);
    whole->indicator = static_cast<SQLLEN>(whole->held.size());
    batch.wholes.push_back(std::move(whole));
    return true;
}

// A column bound as text: its value made from the text in the usual form at the start of the
// element, with the indicator the driver would give it; false for any other form (the driver
// converts those).
bool CRRecordset::CReadAhead::ValueFromText(size_t c, const char* text, SQLLEN length,
                                            BYTE* element, SQLLEN& indicator)
{
    const CSQLColumn& rec = *m_rs.m_columns[c];
    if (length < 0 || length >= rec.nElementSize)
        return false;
    return m_rs.ValueFromText(static_cast<UINT>(c + 1), text, length, element, indicator);
}

// ---------------------------------------------------------------------------------------------
// The reader's side

bool CRRecordset::IsNextRowReady()
{
    if (!m_pReadAhead || m_bEOF)
        return true;
    // The rest of the block the bound result stood in, or of the batch the reader is in (or
    // its end, or the failure that follows it), as Move takes them.
    const CReadAheadBatch* batch = m_pBatch;
    if (batch == nullptr && !IsUnbound() && m_block.nIndex + 1 < m_block.nFetched)
        return true;
    if (batch != nullptr && (m_block.nIndex + 1 < batch->nRows || batch->pError || batch->bEnd))
        return true;
    return m_pReadAhead->IsReady();
}

bool CRRecordset::WaitNextRowReady(LONGLONG nUntilMs)
{
    return IsNextRowReady() || (m_pReadAhead && !m_bEOF && m_pReadAhead->WaitReady(nUntilMs));
}

void CRRecordset::StopReadAhead(bool bClosing)
{
    if (m_pReadAhead && bClosing)
        m_pReadAhead->CancelFetch();
    if (m_pReadAhead)
        m_pReadAhead->Stop();
    // The thread has ended: what it read of the recordset is settled.
    m_bReadsAhead = false;
    m_pReadAhead.reset();
    m_pBatch = nullptr;
}

SQLRETURN CRRecordset::NextReadAheadRow()
{
    CReadAheadBatch* batch = m_pBatch;
    if (batch && m_block.nIndex + 1 < batch->nRows)
    {
        ++m_block.nIndex;
    }
    else
    {
        if (batch && batch->pError)
        {
            CException* e = batch->pError;
            batch->pError = nullptr;
            // A failure that aborted the driver's transaction is rolled back before it is
            // reported (the thread has ended).
            m_pReadAhead->Hold();
            // Thrown as what it is: callers catch the database failure by its own type.
            if (auto* pDBError = dynamic_cast<Zelt::CRDBException*>(e))
                throw pDBError;
            throw e;
        }
        if (batch && batch->bEnd)
            return SQL_NO_DATA;
        m_pBatch = batch = m_pReadAhead->Next();
        m_nWholeAt = 0;
        m_block.nIndex = 0;
        m_block.nFetched = batch ? batch->nRows : 0;
        if (!batch)
            return SQL_NO_DATA;
        if (batch->nRows == 0)
            return NextReadAheadRow(); // its end or its failure
    }
    if (batch->status[m_block.nIndex] == SQL_ROW_ERROR)
        Fail(L"Fetch error");
    LoadBatchRow(*batch, m_block.nIndex);
    return SQL_SUCCESS;
}

void CRRecordset::LoadBatchRow(CReadAheadBatch& batch, SQLULEN row)
{
    if (!IsUnbound())
    {
        LoadBoundBatchRow(batch, row);
        return;
    }
    for (size_t c = 0; c < m_columns.size(); ++c)
    {
        CSQLColumn& rec = *m_columns[c];
        const SQLLEN ind = batch.indicators[c][row];
        BYTE* element = batch.data[c].get() + row * static_cast<size_t>(rec.nElementSize);
        rec.nIndicator = ind;
        rec.bLoaded = true;
        rec.bWhole = false;
        rec.bHeldAsText = false;
        if (rec.bFromText && ind == SQL_NULL_DATA)
        {
            // (The thread keeps the text of a value of another kind in its row's place.)
            CReadAheadBatch::CWholeValue* kept = batch.Kept(row, c, m_nWholeAt);
            if (kept && kept->bHeldAsText)
            {
                HoldAsText(rec, std::move(kept->held));
                continue;
            }
        }
        if (!rec.IsLongerThanElement(ind))
        {
            LoadElement(rec, element, ind);
            continue;
        }
        rec.bWhole = true;
        rec.nIndicator = SQL_NULL_DATA;
        CReadAheadBatch::CWholeValue* kept = batch.Kept(row, c, m_nWholeAt);
        if (!kept)
            continue;
        CReadAheadBatch::CWholeValue& whole = *kept;
        rec.nIndicator = whole.indicator;
        switch (rec.nCType)
        {
        case SQL_C_BINARY: rec.value.bytes->Copy(whole.bytes); break;
        case SQL_C_CHAR: m_unboundTextA[c] = std::move(whole.textA); break;
        default: m_unboundText[c] = std::move(whole.text); break;
        }
    }
}

// A bound result's row of a batch, loaded as LoadBlockRow loads one of the block, with what the
// thread asked the driver for on the row in place of asking it again.
void CRRecordset::LoadBoundBatchRow(CReadAheadBatch& batch, SQLULEN row)
{
    for (size_t c = 0; c < m_columns.size(); ++c)
    {
        CSQLColumn& rec = *m_columns[c];
        const SQLLEN ind = batch.indicators[c][row];
        BYTE* element = batch.offsets[c]
                            ? batch.packed.data() + batch.offsets[c][row]
                            : batch.data[c].get() + row * static_cast<size_t>(rec.nElementSize);
        rec.bLoaded = true;
        rec.bWhole = false;
        CReadAheadBatch::CWholeValue* given = batch.Kept(row, c, m_nWholeAt);
        const size_t size = given ? static_cast<size_t>(given->bytes.GetSize()) : 0;
        if (rec.bFromText)
        {
            if (!given)
            {
                // The thread made the value from this text: nothing is asked of the driver.
                LoadTextElement(static_cast<UINT>(c + 1), rec, element, ind,
                                [this] { Fail(L"Fetch error"); });
                continue;
            }
            const bool timestamp = rec.nCType == SQL_C_TIMESTAMP;
            void* target = timestamp ? static_cast<void*>(&rec.textTimestamp) : &rec.value;
            if (timestamp)
                rec.value.p = &rec.textTimestamp;
            rec.pValueText = nullptr;
            rec.bHeldAsText = false;
            if (given->bHeldAsText)
            {
                HoldAsText(rec, std::move(given->held));
                continue;
            }
            std::memcpy(target, given->bytes.GetData(), size);
            rec.nIndicator = given->indicator;
            continue;
        }
        rec.nIndicator = ind;
        if (given)
        {
            // The value up to the column's full length, as ReadWholeValue reads it.
            std::memcpy(WholeBuffer(rec), given->bytes.GetData(), size);
            TakeWholeValue(rec, given->indicator);
            continue;
        }
        LoadElement(rec, element, ind);
    }
}

// The values are in row and column order: the search goes on from where the last one ended.
CReadAheadBatch::CWholeValue* CReadAheadBatch::Kept(SQLULEN row, size_t col, size_t& at)
{
    while (at < wholes.size() &&
           (wholes[at]->row < row || (wholes[at]->row == row && wholes[at]->col < col)))
        ++at;
    if (at == wholes.size() || wholes[at]->row != row || wholes[at]->col != col)
        return nullptr;
    return wholes[at++].get();
}
