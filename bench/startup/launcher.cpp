// Times one start of a program: from CreateProcess to the moment its main window (found by class)
// carries the expected title and answers a sent message; then, after a second of idling, reads
// its working set, and closes it.
// Usage: bench_startup <window class> <expected title> <command line>
// Prints: ms=<start-up milliseconds> ws=<working set bytes> private=<private bytes>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

HWND FindOwnWindow(const wchar_t* windowClass, DWORD processId)
{
    HWND wnd = nullptr;
    while ((wnd = FindWindowExW(nullptr, wnd, windowClass, nullptr)) != nullptr)
    {
        DWORD owner = 0;
        GetWindowThreadProcessId(wnd, &owner);
        if (owner == processId && IsWindowVisible(wnd))
            return wnd;
    }
    return nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4)
    {
        fwprintf(stderr, L"usage: bench_startup <class> <title> <command line>\n");
        return 2;
    }
    const wchar_t* windowClass = argv[1];
    const std::wstring title = argv[2];
    std::wstring commandLine = argv[3];

    LARGE_INTEGER frequency, start, ready;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    {
        fwprintf(stderr, L"cannot start %ls\n", commandLine.c_str());
        return 1;
    }
    HWND wnd = nullptr;
    bool bReady = false;
    for (int i = 0; i < 60000 && !bReady; ++i)
    {
        if (wnd == nullptr)
            wnd = FindOwnWindow(windowClass, process.dwProcessId);
        if (wnd != nullptr)
        {
            wchar_t text[512] = {};
            DWORD_PTR result = 0;
            if (SendMessageTimeoutW(wnd, WM_GETTEXT, 512, (LPARAM)text, SMTO_NORMAL, 10000,
                                    &result) &&
                title == text)
                bReady = true;
        }
        if (!bReady)
            Sleep(1);
    }
    QueryPerformanceCounter(&ready);
    if (!bReady)
    {
        fwprintf(stderr, L"the window never showed \"%ls\"\n", title.c_str());
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    Sleep(1000);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(process.hProcess, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof(memory));
    PostMessageW(wnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const double ms = (double)(ready.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    wprintf(L"ms=%.1f ws=%llu private=%llu\n", ms, (unsigned long long)memory.WorkingSetSize,
            (unsigned long long)memory.PrivateUsage);
    return 0;
}
