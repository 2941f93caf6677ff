// Pooled threads: join waits for the work and what it holds, an idle thread takes the next work,
// and works given at once run at once (none waits for another's thread).
#include "dbaccess/pooled_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// A work that cannot end before the test lets it: a join that did not wait for it returns while
// the work still waits here.
class CGate
{
public:
    void Open()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bOpen = true;
        }
        m_changed.notify_all();
    }
    void Pass()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_bOpen; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bOpen = false;
};

// Bounds a wait that only a fault makes long (a thread that never comes).
const unsigned kFaultMs = 60000;

TEST(PooledThread, JoinWaitsForTheWorkAndWhatItHolds)
{
    std::atomic<bool> bDone{false};
    auto held = std::make_shared<int>(7);
    std::weak_ptr<int> watch = held;
    {
        CGate gate;
        CPooledThread thread([&gate, &bDone, held] {
            gate.Pass();
            bDone = true;
        });
        held.reset();
        EXPECT_TRUE(thread.joinable());
        gate.Open();
        thread.join();
        EXPECT_FALSE(thread.joinable());
        EXPECT_TRUE(bDone.load());
        // The work's captures are gone by the time join returns.
        EXPECT_TRUE(watch.expired());
        thread.join(); // nothing to join: returns
    }
    // Destroying or assigning over a thread joins it first.
    bDone = false;
    {
        CGate gate;
        CPooledThread thread([&gate, &bDone] {
            gate.Pass();
            bDone = true;
        });
        gate.Open();
    }
    EXPECT_TRUE(bDone.load());
    bDone = false;
    CGate gate;
    CPooledThread thread([&gate, &bDone] {
        gate.Pass();
        bDone = true;
    });
    CPooledThread other;
    other = std::move(thread);
    EXPECT_FALSE(thread.joinable());
    gate.Open();
    other = CPooledThread([] {});
    EXPECT_TRUE(bDone.load());
    other.join();
}

TEST(PooledThread, AnIdleThreadTakesTheNextWork)
{
    std::thread::id first;
    CPooledThread([&first] { first = std::this_thread::get_id(); }).join();
    ASSERT_TRUE(CPooledThread::WaitForIdleThread(kFaultMs));
    // Every idle thread is taken in turn (the pool may hold others from earlier tests): the one
    // that ran the first work is among them.
    bool bSame = false;
    for (int i = 0; i < 64 && !bSame; ++i)
    {
        std::thread::id next;
        CPooledThread([&next] { next = std::this_thread::get_id(); }).join();
        bSame = next == first;
        if (!bSame)
        {
            ASSERT_TRUE(CPooledThread::WaitForIdleThread(kFaultMs));
        }
    }
    EXPECT_TRUE(bSame);
}

TEST(PooledThread, WorksGivenTogetherRunTogether)
{
    // Each work waits for all the others to have started: it sees them all only if each has a
    // thread of its own, idle ones taken or new ones made.
    const int kWorks = 6;
    std::mutex mutex;
    std::condition_variable changed;
    int nStarted = 0;
    int nSawAll = 0;
    auto work = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        ++nStarted;
        changed.notify_all();
        if (changed.wait_for(lock, std::chrono::milliseconds(kFaultMs),
                             [&] { return nStarted == kWorks; }))
            ++nSawAll;
    };
    // One idle thread first, so that both ways of getting a thread are taken.
    CPooledThread([] {}).join();
    ASSERT_TRUE(CPooledThread::WaitForIdleThread(kFaultMs));
    {
        CPooledThread threads[kWorks];
        for (auto& thread : threads)
            thread = CPooledThread(work);
    }
    EXPECT_EQ(nSawAll, kWorks);
}

} // namespace
