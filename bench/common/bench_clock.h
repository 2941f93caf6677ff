// The benchmarks' clock: seconds of the high-resolution performance counter.
#pragma once

#include <windows.h>

namespace qlbench {

inline double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

} // namespace qlbench
