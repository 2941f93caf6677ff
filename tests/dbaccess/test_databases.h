// Connection strings of the test databases.
//
// SQLite: a fresh temporary file per TempSQLiteFile, removed when it goes out of scope.
// PostgreSQL and MariaDB: the servers scripts/databases.sh starts (role, password and database
// "quenlark" on 127.0.0.1); they are always there when the tests run.
// The fake driver "QuenlarkFake" (tests/fakeodbc) answers as the product named by DBMS=...
// and appends every statement it receives to the file named by Log=....
//
// The drivers and the test data sources come from the ini files in <build>/tests/odbc, which
// CTest points unixODBC at (ODBCSYSINI, ODBCINI). To run the program by hand, export them:
//   ODBCSYSINI=<build>/tests/odbc ODBCINI=<build>/tests/odbc/user.ini wine ./test_dbaccess.exe
// Drivers run natively, so file names handed to them are Unix paths; the Windows side reaches
// the same files through drive Z:.
#pragma once

#include "framework/core.h"
#include "tests/support/test_process.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace QlTestDb {

inline CString PostgresConnect()
{
    return L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;"
           L"UID=quenlark;PWD=quenlark;";
}

inline CString MariaDBConnect()
{
    return L"Driver={MariaDB Unicode};Server=127.0.0.1;Port=3306;Database=quenlark;"
           L"UID=quenlark;PWD=quenlark;";
}

// A number for this build tree: every clone of the project runs its tests in a Wine prefix of
// its own, and Wine gives out the same process ids in every prefix, so two clones testing on the
// same database servers at the same time would otherwise meet on the process id.
inline unsigned TreeHash()
{
    static const unsigned hash = [] {
        wchar_t dir[1024] = {};
        GetEnvironmentVariableW(L"QL_BINARY_DIR", dir, 1024);
        unsigned h = 2166136261u; // FNV-1a
        for (const wchar_t* p = dir; *p; ++p)
            h = (h ^ *p) * 16777619u;
        return h & 0xFFFF;
    }();
    return hash;
}

// A token no other test process on this machine uses, digits, lower-case hex and underscores
// only, so it fits into any identifier and file name: "<script>_<clock>_<counter>" in a program
// scripts/wine-test.sh runs (qltest::TestProcessId: the programs run side by side, each in a
// Wine prefix of its own), "<process>_<tree><clock>_<counter>" in one started otherwise, where
// the tree part tells clones apart. The clock part (read once per process) tells runs apart.
// No longer than it was with the Wine process id: the tests show these names in lists.
inline std::wstring UniqueTag()
{
    static const unsigned long long clock = [] {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        return (static_cast<unsigned long long>(now.QuadPart) ^ GetTickCount64()) & 0xFFFFFF;
    }();
    static LONG counter = 0;
    wchar_t text[64];
    if (!qltest::TestProcessId().empty())
        _snwprintf(text, 64, L"%ls_%06llx_%ld", qltest::TestProcessId().c_str(), clock,
                   InterlockedIncrement(&counter));
    else
        _snwprintf(text, 64, L"%lu_%04x%06llx_%ld", GetCurrentProcessId(), TreeHash(), clock,
                   InterlockedIncrement(&counter));
    return text;
}

// A Unix path for a new temporary file: /tmp/quenlark-<tag>-<unique tag><suffix>.
inline CString NewUnixTempPath(LPCWSTR tag, LPCWSTR suffix)
{
    std::wstring path = L"/tmp/quenlark-";
    path += tag;
    path += L"-" + UniqueTag();
    path += suffix;
    return CString(path.c_str());
}

// The Windows path of a Unix path (drive Z: is the root of the Unix file system).
inline CString WindowsPathOf(const CString& unixPath)
{
    std::wstring path = L"Z:";
    for (const wchar_t* p = unixPath; *p; ++p)
        path += (*p == L'/') ? L'\\' : *p;
    return CString(path.c_str());
}

// Deletes a file given by its Unix path; no error when it is not there.
inline void RemoveUnixFile(const CString& unixPath)
{
    DeleteFileW(WindowsPathOf(unixPath));
}

// A temporary SQLite database file, removed at the end of its scope.
class TempSQLiteFile
{
public:
    TempSQLiteFile() : m_path(NewUnixTempPath(L"sqlite", L".db")) {}
    ~TempSQLiteFile()
    {
        RemoveUnixFile(m_path);
        RemoveUnixFile(m_path + L"-journal");
    }
    TempSQLiteFile(const TempSQLiteFile&) = delete;
    TempSQLiteFile& operator=(const TempSQLiteFile&) = delete;

    const CString& Path() const { return m_path; }
    CString Connect() const { return L"Driver=SQLite3;Database=" + m_path + L";"; }

private:
    CString m_path;
};

// The fake driver answering as the product whose DBMS name is given ("Oracle", "ACCESS",
// "Microsoft SQL Server", ...). extra is appended as it stands ("Key=Value;...").
inline CString FakeConnect(LPCWSTR dbmsName, LPCWSTR extra = L"")
{
    CString s = L"Driver=QuenlarkFake;DBMS=";
    s += dbmsName;
    s += L";";
    s += extra;
    return s;
}

// A statement log for the fake driver: Connect(...) adds Log=<file>; Read() gives what the
// driver received, one statement per line.
class FakeLog
{
public:
    FakeLog() : m_path(NewUnixTempPath(L"fakelog", L".txt")) {}
    ~FakeLog() { RemoveUnixFile(m_path); }
    FakeLog(const FakeLog&) = delete;
    FakeLog& operator=(const FakeLog&) = delete;

    const CString& Path() const { return m_path; }
    CString Connect(LPCWSTR dbmsName, LPCWSTR extra = L"") const
    {
        CString more = L"Log=" + m_path + L";";
        more += extra;
        return FakeConnect(dbmsName, more);
    }
    // The log as text (the driver writes UTF-8); "" when nothing was logged.
    CString Read() const
    {
        HANDLE h = CreateFileW(WindowsPathOf(m_path), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return CString();
        std::string bytes;
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
            bytes.append(buf, got);
        CloseHandle(h);
        if (bytes.empty())
            return CString();
        int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
        std::wstring text(n, L'\0');
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), text.data(), n);
        return CString(text.c_str());
    }
    // How often the text stands in the log ("\nCOMMIT": the commits the driver was asked for).
    int Count(LPCWSTR what) const
    {
        const CString log = Read();
        int n = 0;
        for (int at = log.Find(what); at >= 0; at = log.Find(what, at + 1))
            ++n;
        return n;
    }
    void Clear() const { RemoveUnixFile(m_path); }

private:
    CString m_path;
};

// Holds a fake driver's connect until the test lets it go: Connect() adds ConnectHold=<file>,
// and the connect waits while that file exists. Released at the latest when it goes.
class ConnectHold
{
public:
    ConnectHold() : m_path(NewUnixTempPath(L"hold", L".flag"))
    {
        HANDLE h = CreateFileW(WindowsPathOf(m_path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    ~ConnectHold() { Release(); }
    ConnectHold(const ConnectHold&) = delete;
    ConnectHold& operator=(const ConnectHold&) = delete;

    CString Connect() const { return L"ConnectHold=" + m_path + L";"; }
    void Release() const { RemoveUnixFile(m_path); }

private:
    CString m_path;
};

} // namespace QlTestDb
