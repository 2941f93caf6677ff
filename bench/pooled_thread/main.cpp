// What a reader waits for each time it has a short work run on a thread of its own and joins it
// (a read ahead per FETCH of a table window): a new std::thread each time, against a thread of
// the pool (CPooledThread), the work itself empty.
//
//   bench_pooled_thread.exe [works]   (default 200)
//
// Output: one line "works=<n> new_thread_us=<median> pooled_us=<median>", each the median of
// the works' start-to-joined times in microseconds, the two kinds taking turns.
#include "dbaccess/pooled_thread.h"

#include "bench/common/bench_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int works = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    std::vector<double> fresh, pooled;
    // The pool's first thread is made before the measuring: a reader's later works find it.
    CPooledThread([] {}).join();
    for (int i = 0; i < works; ++i)
    {
        double t0 = qlbench::Now();
        std::thread([] {}).join();
        fresh.push_back((qlbench::Now() - t0) * 1e6);
        // As a reader does between two works (the thread may still be on its way back).
        CPooledThread::WaitForIdleThread(CPooledThread::kIdleEndMs);
        t0 = qlbench::Now();
        CPooledThread([] {}).join();
        pooled.push_back((qlbench::Now() - t0) * 1e6);
    }
    printf("works=%d new_thread_us=%.1f pooled_us=%.1f\n", works, Median(fresh), Median(pooled));
    return 0;
}
