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

// Waits (up to 10 s) until a thread of the pool is idle: one that has just returned from its
// work is on its way there.
bool WaitForIdleThread()
{
    for (int i = 0; i < 1000 && CPooledThread::IdleThreads() < 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return CPooledThread::IdleThreads() >= 1;
}

TEST(PooledThread, JoinWaitsForTheWorkAndWhatItHolds)
{
    std::atomic<bool> bDone{false};
    auto held = std::make_shared<int>(7);
    std::weak_ptr<int> watch = held;
    {
        CPooledThread thread([&bDone, held] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            bDone = true;
        });
        held.reset();
        EXPECT_TRUE(thread.joinable());
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
        CPooledThread thread([&bDone] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            bDone = true;
        });
    }
    EXPECT_TRUE(bDone.load());
    bDone = false;
    CPooledThread thread([&bDone] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        bDone = true;
    });
    CPooledThread other;
    other = std::move(thread);
    EXPECT_FALSE(thread.joinable());
    other = CPooledThread([] {});
    EXPECT_TRUE(bDone.load());
    other.join();
}

TEST(PooledThread, AnIdleThreadTakesTheNextWork)
{
    std::thread::id first;
    CPooledThread([&first] { first = std::this_thread::get_id(); }).join();
    ASSERT_TRUE(WaitForIdleThread());
    // Every idle thread is taken in turn (the pool may hold others from earlier tests): the one
    // that ran the first work is among them.
    bool bSame = false;
    for (int i = 0; i < 64 && !bSame && CPooledThread::IdleThreads() > 0; ++i)
    {
        std::thread::id next;
        CPooledThread([&next] { next = std::this_thread::get_id(); }).join();
        bSame = next == first;
        if (!bSame)
            WaitForIdleThread();
    }
    EXPECT_TRUE(bSame);
}

TEST(PooledThread, WorksGivenTogetherRunTogether)
{
    // Each work waits for all the others to have started: they can only end if each has a
    // thread of its own, idle ones taken or new ones made.
    const int kWorks = 6;
    std::mutex mutex;
    std::condition_variable changed;
    int nStarted = 0;
    auto work = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        ++nStarted;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(20), [&] { return nStarted == kWorks; });
    };
    // One idle thread first, so that both ways of getting a thread are taken.
    CPooledThread([] {}).join();
    ASSERT_TRUE(WaitForIdleThread());
    const auto start = std::chrono::steady_clock::now();
    {
        CPooledThread threads[kWorks];
        for (auto& thread : threads)
            thread = CPooledThread(work);
    }
    EXPECT_EQ(nStarted, kWorks);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

} // namespace
