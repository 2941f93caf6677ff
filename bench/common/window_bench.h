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

// The same without timer ticks: idle work a window does on its timer (a SQLite table window
// reading on) would otherwise run inside the step measured, though the user sees the window
// before it.
inline void PumpWithoutTimers()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           ::PeekMessageW(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace qlbench

namespace qlbench {

// Watches the wait dialog (the dialog holding the control 1088, its process text) on this
// thread: the timer ticks of its marquee and its paints that come through the message queue.
// Each tick taken moves the marquee, which repaints it; the longest stretch without one, from
// the start of the watch to Finish, shows a step that keeps the dialog from painting. (A hook on
// sent messages would slow every message of the step down: only retrieval is watched.)
class CWaitPaintWatch
{
public:
    CWaitPaintWatch() : m_last(Now())
    {
        Self() = this;
        m_hGet = ::SetWindowsHookExW(WH_GETMESSAGE, OnGet, nullptr, ::GetCurrentThreadId());
    }
    ~CWaitPaintWatch()
    {
        if (m_hGet)
            ::UnhookWindowsHookEx(m_hGet);
        Self() = nullptr;
    }
    void Finish()
    {
        Gap(Now());
        if (m_hGet)
            ::UnhookWindowsHookEx(m_hGet);
        m_hGet = nullptr;
    }
    int m_nTicks = 0;
    double m_longestGap = 0;

private:
    HHOOK m_hGet = nullptr;
    double m_last;

    static CWaitPaintWatch*& Self()
    {
        static CWaitPaintWatch* p = nullptr;
        return p;
    }
    void Gap(double now)
    {
        if (now - m_last > m_longestGap)
            m_longestGap = now - m_last;
        m_last = now;
    }
    static LRESULT CALLBACK OnGet(int nCode, WPARAM wParam, LPARAM lParam)
    {
        const MSG* pMsg = reinterpret_cast<const MSG*>(lParam);
        if (nCode == HC_ACTION && wParam == PM_REMOVE && Self() && pMsg->hwnd != nullptr &&
            (pMsg->message == WM_TIMER || pMsg->message == WM_PAINT))
        {
            const HWND hTop = ::GetAncestor(pMsg->hwnd, GA_ROOT);
            if (hTop != nullptr && ::GetDlgItem(hTop, 1088) != nullptr)
            {
                ++Self()->m_nTicks;
                Self()->Gap(Now());
            }
        }
        return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
    }
};

} // namespace qlbench
