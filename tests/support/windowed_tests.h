// What the windowed test programs share: start-up (COM, the common controls in their version 6,
// the framework), a message pump that runs the program's pre-translate walk, and modifier keys
// as GetKeyState reports them.
#pragma once

#include "framework/ui.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace qltest {

inline const char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "  <dependency><dependentAssembly>\n"
    "    <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
    "version=\"6.0.0.0\"\n"
    "      processorArchitecture=\"amd64\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>\n"
    "  </dependentAssembly></dependency>\n"
    "</assembly>\n";

inline void ActivateCommonControls6()
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    wchar_t path[MAX_PATH] = {};
    _snwprintf(path, MAX_PATH, L"%lsql_test_%lu.manifest", folder, ::GetCurrentProcessId());
    HANDLE hFile = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(hFile, kManifest, sizeof(kManifest) - 1, &written, nullptr);
    ::CloseHandle(hFile);
    ACTCTXW ctx = {sizeof(ctx)};
    ctx.lpSource = path;
    HANDLE hCtx = ::CreateActCtxW(&ctx);
    ULONG_PTR cookie = 0;
    if (hCtx != INVALID_HANDLE_VALUE)
        ::ActivateActCtx(hCtx, &cookie); // stays active for the whole run
    ::DeleteFileW(path);
}

// Without a window manager (bare Xvfb) Wine waits two seconds for one to withdraw every managed
// top-level window that is hidden or destroyed. This program's windows need no management: say
// so for this executable alone. Wine reads the setting when the process starts, so it holds from
// the second run in a prefix on (the first one is only slower).
inline void UnmanagedWindowsUnderWine()
{
    if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr)
        return;
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const wchar_t* name = wcsrchr(exe, L'\\');
    name = name != nullptr ? name + 1 : exe;
    wchar_t key[MAX_PATH + 64] = {};
    _snwprintf(key, MAX_PATH + 63, L"Software\\Wine\\AppDefaults\\%ls\\X11 Driver", name);
    HKEY hKey = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey,
                          nullptr) == ERROR_SUCCESS)
    {
        ::RegSetValueExW(hKey, L"Managed", 0, REG_SZ, (const BYTE*)L"N", 2 * sizeof(wchar_t));
        ::RegCloseKey(hKey);
    }
}

// Runs every pending message the way the program's loops do.
inline void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (!AfxPreTranslateMessage(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// Pumps for a while (timers, repaints).
inline void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do
    {
        PumpPending();
        ::Sleep(5);
    } while (::GetTickCount() - start < milliseconds);
    PumpPending();
}

// Pumps until the condition holds (a timer fired, a window went); false only when it still
// does not after the time-out, which is there for a real hang, not to decide the result.
template <typename Condition>
bool PumpUntil(Condition condition, DWORD timeoutMs = 20000)
{
    const ULONGLONG start = ::GetTickCount64();
    for (;;)
    {
        PumpPending();
        if (condition())
            return true;
        if (::GetTickCount64() - start >= timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Sets or clears the pressed bit of the modifier keys as GetKeyState will report them.
inline void SetModifiers(bool shift, bool control)
{
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = state[VK_LCONTROL] = control ? 0x80 : 0;
    ::SetKeyboardState(state);
}

// The main of a windowed test program.
inline int RunWindowedTests(int argc, char** argv)
{
    UnmanagedWindowsUnderWine();
    testing::InitGoogleTest(&argc, argv);
    ActivateCommonControls6();
    AfxWinInit(::GetModuleHandleW(nullptr), nullptr, ::GetCommandLineW(), SW_SHOWNORMAL);
    int result = RUN_ALL_TESTS();
    AfxWinTerm();
    return result;
}

} // namespace qltest
