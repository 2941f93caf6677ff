// End to end: the program itself starts, shows its main window of class "Quenlark", and ends
// cleanly when that window is closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

// The program built beside this test, as a Windows path (Wine maps the Linux root to Z:).
std::wstring ProgramPath()
{
    const char* binary = std::getenv("QL_BINARY_DIR");
    std::string path = std::string(binary ? binary : ".") + "/bin/Quenlark.exe";
    std::wstring wide = L"Z:";
    for (char c : path)
        wide += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50)
    {
        HWND wnd = nullptr;
        while ((wnd = FindWindowExW(nullptr, wnd, L"Quenlark", nullptr)) != nullptr)
        {
            DWORD owner = 0;
            GetWindowThreadProcessId(wnd, &owner);
            if (owner == processId && IsWindowVisible(wnd))
                return wnd;
        }
        Sleep(50);
    }
    return nullptr;
}

} // namespace

TEST(ProgramStart, OpensItsMainWindowAndExitsWhenItIsClosed)
{
    std::wstring path = ProgramPath();
    ASSERT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "program not built";

    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &process));

    HWND main = WaitForMainWindow(process.dwProcessId, 30000);
    EXPECT_NE(main, nullptr) << "no visible window of class \"Quenlark\"";
    if (main)
    {
        wchar_t title[256] = {};
        GetWindowTextW(main, title, 256);
        EXPECT_NE(std::wstring(title).find(L"Quenlark"), std::wstring::npos);
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    DWORD waited = WaitForSingleObject(process.hProcess, 30000);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the program did not end after its main window was closed";
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
