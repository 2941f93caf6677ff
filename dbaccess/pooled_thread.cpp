#include "dbaccess/pooled_thread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

struct CPooledThread::CJob
{
    std::function<void()> work;
    std::mutex mutex;
    std::condition_variable returned;
    bool bReturned = false;

    // Runs the work on the calling thread, lets go of what it holds, and tells the joiner.
    static void Serve(std::shared_ptr<CJob> job);
};

namespace {

struct CPool
{
    std::mutex mutex;
    std::condition_variable wake;
    // A thread began to wait for work (WaitForIdleThread).
    std::condition_variable idled;
    // Work given to idle threads and not taken yet: never more than there are idle threads.
    std::deque<std::shared_ptr<CPooledThread::CJob>> waiting;
    int nIdle = 0;
};

// Never destroyed: a thread still waiting for work when the process exits must not meet a
// destroyed mutex.
CPool& Pool()
{
    static CPool* s_pPool = new CPool;
    return *s_pPool;
}

} // namespace

void CPooledThread::CJob::Serve(std::shared_ptr<CJob> job)
{
    CPool& pool = Pool();
    for (;;)
    {
        job->work();
        // What the work holds goes before the joiner hears of it.
        job->work = nullptr;
        {
            std::lock_guard<std::mutex> lock(job->mutex);
            job->bReturned = true;
        }
        // (The job is this thread's as well: the joiner may have gone by now.)
        job->returned.notify_all();
        job.reset();

        std::unique_lock<std::mutex> lock(pool.mutex);
        ++pool.nIdle;
        pool.idled.notify_all();
        const bool bGiven = pool.wake.wait_for(lock, std::chrono::milliseconds(kIdleEndMs),
                                               [&pool] { return !pool.waiting.empty(); });
        --pool.nIdle;
        if (!bGiven)
            return;
        job = std::move(pool.waiting.front());
        pool.waiting.pop_front();
    }
}

CPooledThread::CPooledThread(std::function<void()> work) : m_pJob(std::make_shared<CJob>())
{
    m_pJob->work = std::move(work);
    CPool& pool = Pool();
    {
        std::lock_guard<std::mutex> lock(pool.mutex);
        if (pool.nIdle > static_cast<int>(pool.waiting.size()))
        {
            pool.waiting.push_back(m_pJob);
            pool.wake.notify_one();
            return;
        }
    }
    try
    {
        std::thread(&CJob::Serve, m_pJob).detach();
    }
    catch (...)
    {
        m_pJob.reset();
        throw;
    }
}

CPooledThread::~CPooledThread()
{
    if (joinable())
        join();
}

CPooledThread::CPooledThread(CPooledThread&& other) noexcept : m_pJob(std::move(other.m_pJob)) {}

CPooledThread& CPooledThread::operator=(CPooledThread&& other) noexcept
{
    if (this != &other)
    {
        if (joinable())
            join();
        m_pJob = std::move(other.m_pJob);
    }
    return *this;
}

void CPooledThread::join()
{
    if (!m_pJob)
        return;
    {
        std::unique_lock<std::mutex> lock(m_pJob->mutex);
        m_pJob->returned.wait(lock, [this] { return m_pJob->bReturned; });
    }
    m_pJob.reset();
}

bool CPooledThread::WaitForIdleThread(unsigned nTimeoutMs)
{
    CPool& pool = Pool();
    std::unique_lock<std::mutex> lock(pool.mutex);
    return pool.idled.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), [&pool] {
        return pool.nIdle > static_cast<int>(pool.waiting.size());
    });
}
