// The grid's test program: windows need COM, the common controls in their version 6
// (activated from a manifest written next to the temporary files, as the program's own manifest
// does it) and the framework's start-up.
#include "framework/ui.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "  <dependency><dependentAssembly>\n"
    "    <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"\n"
    "      processorArchitecture=\"amd64\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>\n"
    "  </dependentAssembly></dependency>\n"
    "</assembly>\n";

void ActivateCommonControls6()
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    wchar_t path[MAX_PATH] = {};
    _snwprintf(path, MAX_PATH, L"%lsql_grid_test_%lu.manifest", folder, ::GetCurrentProcessId());
    HANDLE hFile = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
        ::ActivateActCtx(hCtx, &cookie);  // stays active for the whole run
    ::DeleteFileW(path);
}

// Without a window manager (bare Xvfb) Wine waits two seconds for one to withdraw every managed
// top-level window that is hidden or destroyed. This program's windows need no management: say
// so for this executable alone. Wine reads the setting when the process starts, so it holds from
// the second run in a prefix on (the first one is only slower).
void UnmanagedWindowsUnderWine()
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
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) == ERROR_SUCCESS) {
        ::RegSetValueExW(hKey, L"Managed", 0, REG_SZ, (const BYTE*)L"N", 2 * sizeof(wchar_t));
        ::RegCloseKey(hKey);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    UnmanagedWindowsUnderWine();
    testing::InitGoogleTest(&argc, argv);
    ActivateCommonControls6();
    AfxWinInit(::GetModuleHandleW(nullptr), nullptr, ::GetCommandLineW(), SW_SHOWNORMAL);
    int result = RUN_ALL_TESTS();
    AfxWinTerm();
    return result;
}
