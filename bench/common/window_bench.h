// Shared by the benchmark programs that drive the program's own windows in process: a clock, the
// process's memory figures and a message pump.
#pragma once

#include <windows.h>
#include <psapi.h>

namespace qlbench {

inline double Now()
{
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Working set and private bytes, current and peak.
struct CMemory
{
    size_t workingSet = 0;
    size_t peakWorkingSet = 0;
    size_t privateBytes = 0;
    size_t peakPrivateBytes = 0;
};

inline CMemory ReadMemory()
{
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    CMemory m;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(),
                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc))
    {
        m.workingSet = pmc.WorkingSetSize;
        m.peakWorkingSet = pmc.PeakWorkingSetSize;
        m.privateBytes = pmc.PagefileUsage;
        m.peakPrivateBytes = pmc.PeakPagefileUsage;
    }
    return m;
}

inline double MB(size_t bytes)
{
    return static_cast<double>(bytes) / 1048576.0;
}

// The growth of a step: its peak over what the process held before it.
inline double GrowthMB(size_t before, size_t peakAfter)
{
    return peakAfter > before ? MB(peakAfter - before) : 0.0;
}

inline void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace qlbench
