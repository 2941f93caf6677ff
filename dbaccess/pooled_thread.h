// A thread for work that starts often and ends soon, taken from threads that ended such work a
// moment ago: where none is idle, a new one. Used as std::thread is (join, joinable), except that
// join waits for the work to return, not for the thread to end: the thread waits a while
// (kIdleEndMs) for other work, then ends. A thread keeps what earlier work set of its own
// (thread-local values): the pool is for one kind of work.
//
// Why: a table window on a server reads each FETCH's rows on a thread of their own (a read ahead
// per result, CRRecordset::ReadAheadFromNextBlock), a hundred such results for a million rows.
// Under Wine a thread takes a millisecond or more to start and end (its stack is cleared, every
// loaded library is told of it, the Wine server is asked several times), and the reader waits
// for that at every result: a tenth of the whole read.
#pragma once

#include <functional>
#include <memory>

class CPooledThread
{
public:
    CPooledThread() = default;
    // Runs work on an idle thread of the pool, or on a new one. Throws std::system_error as
    // std::thread does when no thread can be had (work has then not run).
    explicit CPooledThread(std::function<void()> work);
    // Joins what it still runs.
    ~CPooledThread();
    CPooledThread(CPooledThread&& other) noexcept;
    // Joins what this one still runs first.
    CPooledThread& operator=(CPooledThread&& other) noexcept;
    CPooledThread(const CPooledThread&) = delete;
    CPooledThread& operator=(const CPooledThread&) = delete;

    // Work was given and not joined yet.
    bool joinable() const { return m_pJob != nullptr; }
    // Waits until the work has returned; after this nothing of it runs. Not on the work's own
    // thread.
    void join();

    // Waits until a thread of the pool waits for work (one that has just returned from its work
    // is on its way there), or nTimeoutMs pass: whether one does. For tests.
    static bool WaitForIdleThread(unsigned nTimeoutMs);

    // How long an idle thread waits for work before it ends.
    static constexpr unsigned kIdleEndMs = 2000;

    // One piece of work and its joiner's wait (pooled_thread.cpp).
    struct CJob;

private:
    std::shared_ptr<CJob> m_pJob;
};
