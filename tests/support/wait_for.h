// Waiting on a condition in tests: polled until it holds, with a time-out for a hang only.
// Header only, without the rest of the end-to-end driver.
#pragma once

#include <windows.h>

#include <functional>

namespace ql {

// Polls the condition every 20 ms until it holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 20000)
{
    const ULONGLONG start = GetTickCount64();
    for (;;)
    {
        if (condition())
            return true;
        if (GetTickCount64() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

} // namespace ql
