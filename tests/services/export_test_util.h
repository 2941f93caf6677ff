// Helpers of the export tests: temporary output files, their bytes, and a python3 that reads
// them back independently (Debian's, which has openpyxl).
#pragma once

#include "framework/core.h"

#include "tests/dbaccess/test_databases.h"

#include <string>

namespace QlExportTest {

// A temporary output file (Unix path for tools, Windows path for the writers), removed at the
// end of its scope.
class TempOutput
{
public:
    // A file a stopped earlier run (Wine reuses process ids) left under the name goes first.
    explicit TempOutput(LPCWSTR suffix) : m_unix(QlTestDb::NewUnixTempPath(L"export", suffix))
    {
        QlTestDb::RemoveUnixFile(m_unix);
    }
    ~TempOutput() { QlTestDb::RemoveUnixFile(m_unix); }
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    const CString& Unix() const { return m_unix; }
    CString Path() const { return QlTestDb::WindowsPathOf(m_unix); }

private:
    CString m_unix;
};

inline std::string ReadBytes(const CString& path)
{
    std::string bytes;
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

inline void WriteBytes(const CString& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &done, nullptr);
    CloseHandle(h);
}

// UTF-16LE bytes of wide text.
inline std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

inline std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr,
                                nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), s.data(), n, nullptr, nullptr);
    return s;
}

// Runs a native Linux command line through /bin/sh (Wine starts ELF binaries itself; the line
// must not hold double quotes); its standard output and error go to output. Returns the exit
// code, -1 when it could not start.
int RunNative(const std::wstring& commandLine, std::string* output = nullptr);

} // namespace QlExportTest
