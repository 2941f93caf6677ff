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

} // namespace

CReadAheadBatch::~CReadAheadBatch()
{
    if (pError)
        pError->Delete();
}

CRRecordset::CReadAhead::CReadAhead(CRRecordset& rs, SQLULEN nCapacity)
    : m_rs(rs), m_nCapacity(nCapacity)
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
            batch->data.emplace_back(new BYTE[element * nCapacity]);
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
    std::thread thread;
    CRDatabase* rollBack = nullptr;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_bRunning && std::this_thread::get_id() == m_threadId)
            return;
        (bForGood ? m_bStop : m_bHold) = true;
        m_changed.notify_all();
        // Several threads may wait here (a hold and the reader's stop): each returns once the
        // thread has left the driver, and one of them joins it.
        m_changed.wait(lock, [this] { return !m_bRunning; });
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
    if (!m_bStarted && !m_bHold && !m_bStop)
    {
        m_bStarted = m_bRunning = true;
        m_thread = std::thread(&CReadAhead::Run, this);
        m_threadId = m_thread.get_id();
    }
    // Once held, the thread may still be in its last fetch: the batch it was filling comes
    // next, if it got any rows.
    m_changed.wait(lock, [this] {
        return !m_filled.empty() || m_bDone || ((m_bHold || m_bStop) && !m_bRunning);
    });
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

void CRRecordset::CReadAhead::Run()
{
    // Nothing on this thread holds reads: it would wait for threads that may wait for it.
    CRDatabase::SetReadAheadThread();
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
    m_changed.notify_all();
}

void CRRecordset::CReadAhead::Fill(CReadAheadBatch& batch, SQLULEN nLimit, bool bOnThread)
{
    batch.nRows = 0;
    batch.wholes.clear();
    batch.bEnd = false;
    SQLUSMALLINT* status = m_rs.m_block.status.get();
    try
    {
        for (;;)
        {
            SQLULEN perFetch = bOnThread ? m_nThreadRows : m_rs.m_block.nRows;
            if (batch.nRows + perFetch > nLimit)
                break;
            if (bOnThread)
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_bStop || m_bHold)
                    return;
            }
            // (A driver that refuses the size fetches a row at a time into the arrays' first.)
            perFetch = m_rs.SetRowsetSize(perFetch);
            SQLULEN fetched = 0;
            std::fill_n(status, perFetch, static_cast<SQLUSMALLINT>(SQL_ROW_NOROW));
            SQLRETURN rc;
            const auto start = std::chrono::steady_clock::now();
            do
                rc = SQLExtendedFetch(m_rs.m_hStmt, SQL_FETCH_NEXT, 1, &fetched, status);
            while (rc == SQL_STILL_EXECUTING);
            if (bOnThread)
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

// Copies row nFrom of the bound arrays into row nTo of the batch; values longer than their
// elements are read whole now, while the driver stands on their row.
void CRRecordset::CReadAhead::CopyRow(CReadAheadBatch& batch, SQLULEN nFrom, SQLULEN nTo)
{
    const SQLUSMALLINT status = m_rs.m_block.status[nFrom];
    batch.status[nTo] = status;
    bool positioned = m_rs.m_block.nRows == 1;
    // SQLGetData reads the row the driver stands on: within a block, the one being copied.
    auto position = [&] {
        if (positioned)
            return;
        SQLRETURN rc;
        do
            rc = SQLSetPos(m_rs.m_hStmt, static_cast<SQLSETPOSIROW>(nFrom + 1), SQL_POSITION,
                           SQL_LOCK_NO_CHANGE);
        while (rc == SQL_STILL_EXECUTING);
        m_rs.Check(rc);
        positioned = true;
    };
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

void CRRecordset::StopReadAhead()
{
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
    for (size_t c = 0; c < m_columns.size(); ++c)
    {
        CSQLColumn& rec = *m_columns[c];
        const SQLLEN ind = batch.indicators[c][row];
        BYTE* element = batch.data[c].get() + row * static_cast<size_t>(rec.nElementSize);
        rec.nIndicator = ind;
        rec.bLoaded = true;
        rec.bWhole = false;
        if (!rec.IsLongerThanElement(ind))
        {
            LoadElement(rec, element, ind);
            continue;
        }
        // The values read whole are in row and column order.
        while (m_nWholeAt < batch.wholes.size() &&
               (batch.wholes[m_nWholeAt]->row < row ||
                (batch.wholes[m_nWholeAt]->row == row && batch.wholes[m_nWholeAt]->col < c)))
            ++m_nWholeAt;
        rec.bWhole = true;
        rec.nIndicator = SQL_NULL_DATA;
        if (m_nWholeAt == batch.wholes.size() || batch.wholes[m_nWholeAt]->row != row ||
            batch.wholes[m_nWholeAt]->col != c)
            continue;
        CReadAheadBatch::CWholeValue& whole = *batch.wholes[m_nWholeAt++];
        rec.nIndicator = whole.indicator;
        switch (rec.nCType)
        {
        case SQL_C_BINARY: rec.value.bytes->Copy(whole.bytes); break;
        case SQL_C_CHAR: m_unboundTextA[c] = std::move(whole.textA); break;
        default: m_unboundText[c] = std::move(whole.text); break;
        }
    }
}
