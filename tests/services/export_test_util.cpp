#include "export_test_util.h"

namespace QlExportTest {

int RunNative(const std::wstring& commandLine, std::string* output)
{
    // Wine starts a Unix program detached: there is no process handle to wait on and Windows
    // pipes do not reach it. The shell line writes the output and then the exit code to
    // files, and the exit code file tells that the program ended.
    TempOutput captured(L".out");
    TempOutput exitCode(L".rc");
    std::wstring line = L"/bin/sh -c \"" + commandLine + L" >" + std::wstring(captured.Unix()) +
                        L" 2>&1; echo $? >" + std::wstring(exitCode.Unix()) + L".tmp; mv " +
                        std::wstring(exitCode.Unix()) + L".tmp " + std::wstring(exitCode.Unix()) +
                        L"\"";
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    std::string code;
    for (int waited = 0; waited < 600000; waited += 20)
    {
        code = ReadBytes(exitCode.Path());
        if (!code.empty())
            break;
        Sleep(20);
    }
    if (output)
        *output = ReadBytes(captured.Path());
    return code.empty() ? -1 : atoi(code.c_str());
}

} // namespace QlExportTest
