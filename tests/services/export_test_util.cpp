#include "export_test_util.h"

namespace QlExportTest {

int RunNative(const std::wstring& commandLine, std::string* output, const std::string& input)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, inRead = nullptr, inWrite = nullptr;
    CreatePipe(&outRead, &outWrite, &sa, 0);
    CreatePipe(&inRead, &inWrite, &sa, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = outWrite;
    si.hStdError = outWrite;
    si.hStdInput = inRead;
    PROCESS_INFORMATION pi = {};
    std::wstring line = commandLine;
    BOOL ok =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(outWrite);
    CloseHandle(inRead);
    if (!ok)
    {
        CloseHandle(outRead);
        CloseHandle(inWrite);
        return -1;
    }
    DWORD done = 0;
    if (!input.empty())
        WriteFile(inWrite, input.data(), (DWORD)input.size(), &done, nullptr);
    CloseHandle(inWrite);
    std::string text;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(outRead, buf, sizeof buf, &got, nullptr) && got > 0)
        text.append(buf, got);
    CloseHandle(outRead);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    if (output)
        *output = text;
    return (int)code;
}

} // namespace QlExportTest
