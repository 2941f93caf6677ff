// CRRecordset: reading ahead. An unbound forward-only result whose columns are bound to arrays,
// or a bound streaming one a memory cursor reads (ReadAheadFromNextBlock), is fetched on a
// thread of its own, a batch of rows ahead of the reader: the driver's work on the next rows
// then overlaps what the reader does with the current ones (an export turns each value into
// text and writes it, a memory cursor keeps it). What a bound read asks the driver on a row
// (a value of a text in another form, the rest of a long value, an infinite timestamp) the
// thread asks while it stands on the row. Once anything else is to reach the server through the
// connection, the connection holds the read (CRDatabase::IReadAhead): the thread stops after the
// fetch it is in, and from then on the reader fetches each batch itself; on SQLite only until
// the reader asks for rows again, when the thread takes over once more. Used only within the
// recordset.
#pragma once

#include "dbaccess/pooled_thread.h"
#include "dbaccess/recordset.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// One batch of rows: per column the elements and indicators as the bound arrays hold them, each
// row's status, the values longer than their elements (read whole while the driver stood on
// their row), and how the result went on after the last row.
struct CReadAheadBatch
{
    struct CWholeValue
    {
        SQLULEN row = 0;
        size_t col = 0; // 0-based
        SQLLEN indicator = SQL_NULL_DATA;
        // A value of another kind than its column's, held as its text (in held).
        bool bHeldAsText = false;
        std::string held;
        CString text;
        CStringA textA;
        CByteArray bytes;
    };

    SQLULEN nRows = 0;
    std::vector<std::unique_ptr<BYTE[]>> data;
    std::vector<std::unique_ptr<SQLLEN[]>> indicators;
    std::unique_ptr<SQLUSMALLINT[]> status;
    std::vector<std::unique_ptr<CWholeValue>> wholes; // in row order
    // A bound result's text and binary values, one after another (their elements are as long
    // as the column may be, mostly unused): per such column each row's offset here, else null.
    std::vector<BYTE> packed;
    std::vector<std::unique_ptr<size_t[]>> offsets;
    bool bEnd = false;            // no rows after these
    CException* pError = nullptr; // the failure that follows these rows

    ~CReadAheadBatch();
    // The value kept of a column (0-based) of a row, if any; at: where the search starts, and
    // past the value found.
    CWholeValue* Kept(SQLULEN row, size_t col, size_t& at);
};

class CRRecordset::CReadAhead : public CRDatabase::IReadAhead
{
public:
    // nCapacity: rows per batch (a multiple of the driver's rows per fetch).
    CReadAhead(CRRecordset& rs, SQLULEN nCapacity);
    ~CReadAhead() override;

    // Puts the read in its connection's list (holds reach it from then on).
    void Attach(const std::shared_ptr<CReadAhead>& self);
    // The reader lets the read go: out of the list, and the thread stopped. After this nothing
    // of the read touches the recordset: a hold on another thread may still keep it alive.
    void Stop();
    // The next batch, waited for (the thread starts with the first call, unless the read is
    // held by then); the one handed out before goes back to be filled again.
    CReadAheadBatch* Next();
    // Whether Next would return without waiting; starts the thread if it has not started.
    bool IsReady();
    // The same, waiting until the tick count (GetTickMs) reaches nUntilMs.
    bool WaitReady(LONGLONG nUntilMs);
    // The reader closes the statement: a fetch the thread is in is cancelled, so that the
    // thread stops at once rather than after a fetch that may take long over a slow result.
    void CancelFetch();
    void Hold() override;
    void Detach() override;

private:
    // Starts the thread (under m_mutex), unless the read is held or stopped; where holds end
    // with the reader's next call (m_bResumes), starts it again after one.
    void StartLocked();
    // Whether Next would return without waiting (under m_mutex).
    bool IsReadyLocked() const;
    void Run();
    // bOnThread: stops early, after a whole fetch, once the read is held or stopped.
    void Fill(CReadAheadBatch& batch, SQLULEN nLimit, bool bOnThread);
    // Asks the thread to stop (for good or to hand over) and returns once it no longer calls
    // the driver; nothing when called on the thread itself.
    void WaitStopped(bool bForGood);
    void CopyRow(CReadAheadBatch& batch, SQLULEN nFrom, SQLULEN nTo);
    void CopyBoundRow(CReadAheadBatch& batch, SQLULEN nFrom, SQLULEN nTo);
    void PositionOn(SQLULEN nFrom, bool& positioned);
    bool ValueFromText(size_t c, const char* text, SQLLEN length, BYTE* element, SQLLEN& indicator);
    bool HoldIfOfAnotherKind(CReadAheadBatch& batch, SQLULEN nTo, size_t c, const char* text,
                             SQLLEN length, SQLLEN driverIndicator);

    CRRecordset& m_rs;
    const SQLULEN m_nCapacity;
    // The reader's next call for rows ends a hold (see StartLocked).
    const bool m_bResumes;
    std::vector<std::unique_ptr<CReadAheadBatch>> m_batches;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<CReadAheadBatch*> m_free;
    std::deque<CReadAheadBatch*> m_filled;
    CReadAheadBatch* m_pHeld = nullptr; // the reader's
    // The connection the read is listed with; none once the read is stopped or the connection
    // closed (then the reader calls the driver no more).
    CRDatabase* m_pDatabase = nullptr;
    bool m_bStop = false;
    bool m_bDetached = false; // the connection was closed
    bool m_bHold = false;     // the reader fetches the batches itself from now on
    bool m_bStarted = false;  // the first batch (a single fetch) has been asked for
    bool m_bRunning = false;  // the thread may be calling the driver
    bool m_bDone = false;     // the read has reached its end or a failure
    bool m_bCancel = false;   // the reader closes the statement (CancelFetch)
    // m_bStop or m_bHold, read without the lock before each of the thread's fetches (set with
    // them under it).
    std::atomic<bool> m_bLetGo{false};
    // The thread's fetch failed in a way that leaves psqlODBC's transaction aborted: rolled back
    // by the first hold or stop after the thread has ended (see RollBackAbortedRead).
    bool m_bRollBackPending = false;
    // The rows of each of the thread's fetches (the thread's own), and the fewest it takes.
    SQLULEN m_nThreadRows = 1;
    SQLULEN m_nMinThreadRows = 1;
    CPooledThread m_thread;
    // The thread's while it runs Run (set there: a pooled thread is not known before).
    std::thread::id m_threadId;
    // The thread's fetches run within its scope: CancelFetch reaches the driver only then.
    CStatementStop m_fetchStop;
};
