// End-to-end driver: starts the real Quenlark.exe built beside the tests, on a clean settings key,
// and works it from outside the way a user would: commands posted to the main window (class
// "Quenlark"), dialogs found by their caption, message boxes by their text static (id 0xFFFF),
// controls set, read and clicked, list-view and tree-view items read through memory allocated in
// the program (VirtualAllocEx), settings read back from the registry and files from the disk.
//
// The tests run on the same (persistent) wineserver as the program, so window messages and the
// registry are shared at once. Header only: every test program can include it.
//
// Include it as "tests/support/program_driver.h".
//
//     ql::CProgram program;
//     ASSERT_TRUE(program.Start());
//     program.PostCommand(32772);
//     HWND dlg = program.WaitForDialog(L"ODBC Connection Strings");
//     program.SetText(dlg, 1000, L"DSN=QuenlarkPG;UID=quenlark;PWD=quenlark;");
//     program.Click(dlg, IDOK);
//     EXPECT_TRUE(program.WaitForTitle(L"QuenlarkPG@quenlark - Quenlark"));
#pragma once

#include "resources/resource.h"
#include "tests/support/test_process.h"
#include "tests/support/wait_for.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace ql {

// The settings key of the program and its company key.
inline const wchar_t* SettingsKey()
{
    return L"Software\\Dravolen\\Quenlark";
}

// A Linux path of the build as the Windows path Wine maps it to (the Linux root is Z:).
inline std::wstring WindowsPath(const std::string& unixPath)
{
    std::wstring wide = L"Z:";
    int n = MultiByteToWideChar(CP_UTF8, 0, unixPath.c_str(), -1, nullptr, 0);
    std::wstring converted(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, unixPath.c_str(), -1, converted.data(), n);
    for (wchar_t c : converted)
        wide += c == L'/' ? L'\\' : c;
    return wide;
}

inline std::string BinaryDir()
{
    const char* binary = std::getenv("QL_BINARY_DIR");
    return binary ? binary : ".";
}

// The Unix path of the source tree (for the tests' helper scripts).
inline std::wstring SourceDirUnix()
{
    const char* source = std::getenv("QL_SOURCE_DIR");
    std::string dir = source ? source : ".";
    return std::wstring(dir.begin(), dir.end());
}

inline std::wstring ProgramPath()
{
    return WindowsPath(BinaryDir() + "/bin/Quenlark.exe");
}

// A folder for the files of one test, emptied on creation (under the build tree, in a folder of
// the test program's own: programs that run side by side never share one).
inline std::wstring ScratchFolder(const std::wstring& name)
{
    std::wstring folder = WindowsPath(BinaryDir() + "/tests/e2e-scratch");
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!qltest::TestProgramName().empty())
    {
        folder += L"\\" + qltest::TestProgramName();
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    folder += L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// ---- Registry ---------------------------------------------------------------------------------

// Removes every setting of the program (user and machine keys): the next start is a first one.
inline void CleanSettings()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Dravolen");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Dravolen");
}

inline std::wstring KeyPath(const std::wstring& subkey)
{
    return subkey.empty() ? SettingsKey() : std::wstring(SettingsKey()) + L"\\" + subkey;
}

inline bool ReadRegString(const std::wstring& name, std::wstring& value,
                          const std::wstring& subkey = L"", HKEY root = HKEY_CURRENT_USER)
{
    DWORD size = 0;
    if (RegGetValueW(root, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    if (RegGetValueW(root, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     buffer.data(), &size) != ERROR_SUCCESS)
        return false;
    value = buffer.data();
    return true;
}

inline std::wstring RegString(const std::wstring& name, const std::wstring& subkey = L"")
{
    std::wstring value;
    return ReadRegString(name, value, subkey) ? value : L"<missing>";
}

inline bool ReadRegBinary(const std::wstring& name, std::vector<BYTE>& value,
                          const std::wstring& subkey = L"")
{
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_REG_BINARY,
                     nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    value.resize(size);
    return RegGetValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_REG_BINARY,
                        nullptr, value.data(), &size) == ERROR_SUCCESS;
}

inline bool ReadRegDword(const std::wstring& name, DWORD& value, const std::wstring& subkey = L"")
{
    DWORD size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_REG_DWORD,
                        nullptr, &value, &size) == ERROR_SUCCESS;
}

inline bool RegValueExists(const std::wstring& name, const std::wstring& subkey = L"")
{
    return RegGetValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_ANY,
                        nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

inline void WriteRegValue(const std::wstring& name, DWORD type, const void* data, DWORD size,
                          const std::wstring& subkey = L"")
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS)
    {
        RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
}

inline void WriteRegString(const std::wstring& name, const std::wstring& value,
                           const std::wstring& subkey = L"")
{
    WriteRegValue(name, REG_SZ, value.c_str(), (DWORD)((value.size() + 1) * sizeof(wchar_t)),
                  subkey);
}

inline void WriteRegDword(const std::wstring& name, DWORD value, const std::wstring& subkey = L"")
{
    WriteRegValue(name, REG_DWORD, &value, sizeof(value), subkey);
}

// ---- Files ------------------------------------------------------------------------------------

inline bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string ReadFileBytes(const std::wstring& path)
{
    // Shared for deletion too: the program saves through a temporary file moved over the old
    // one, and a test polling the file would otherwise make that move fail ("Access ... denied").
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

inline LONGLONG FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((LONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
}

// A name part no other run shares: the process id of the script that runs the program side by
// side with others (qltest::TestProcessId), or else the Wine process id and the build tree's part
// (Wine's ids repeat between prefixes), then the clock and a counter.
inline std::wstring UniqueSuffix()
{
    // The build tree's own part: Wine gives out the same process ids in every clone's prefix.
    static const unsigned tree = [] {
        unsigned h = 2166136261u; // FNV-1a
        for (char c : BinaryDir())
            h = (h ^ (unsigned char)c) * 16777619u;
        return h & 0xFFFF;
    }();
    static LONG counter = 0;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    wchar_t text[64];
    if (!qltest::TestProcessId().empty())
        swprintf(text, 64, L"%ls_%llx_%ld", qltest::TestProcessId().c_str(),
                 (unsigned long long)(now.QuadPart & 0xFFFFFFFFFFull),
                 InterlockedIncrement(&counter));
    else
        swprintf(text, 64, L"%lu_%04x_%llx_%ld", (unsigned long)GetCurrentProcessId(), tree,
                 (unsigned long long)(now.QuadPart & 0xFFFFFFFFFFull),
                 InterlockedIncrement(&counter));
    return text;
}

// The Unix path of a path on drive Z: (other paths come back unchanged but for the slashes).
inline std::wstring UnixPath(const std::wstring& windowsPath)
{
    std::wstring path = windowsPath.size() >= 2 &&
                                (windowsPath[0] == L'Z' || windowsPath[0] == L'z') &&
                                windowsPath[1] == L':'
                            ? windowsPath.substr(2)
                            : windowsPath;
    for (wchar_t& c : path)
        if (c == L'\\')
            c = L'/';
    return path;
}

// CreateProcessW, tried again when Wine reports ERROR_INTERNAL_ERROR: the new process's Unix side
// ended before Wine had started it, without a status (a process that fails while starting ends
// with its own status, and that is reported as it is). Seen on a loaded machine. Nothing of the
// program ran, so a second start is the same test; each retry is said on the test's error output.
inline BOOL StartProcess(LPCWSTR path, std::wstring& commandLine, PROCESS_INFORMATION& process)
{
    for (int attempt = 1;; ++attempt)
    {
        STARTUPINFOW startup = {sizeof startup};
        process = {};
        if (CreateProcessW(path, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process))
            return TRUE;
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3)
        {
            SetLastError(error);
            return FALSE;
        }
        fprintf(stderr, "CreateProcess failed with error %lu (attempt %d), starting again: %ls\n",
                error, attempt, commandLine.c_str());
        fflush(stderr);
    }
}

// Runs a native Linux command line through /bin/sh (the line must not hold double quotes); its
// standard output and error go to output. Returns the exit code, -1 when it did not start.
inline int RunNative(const std::wstring& commandLine, std::string* output = nullptr)
{
    // Wine starts a Unix program detached: there is no process handle to wait on and Windows
    // pipes do not reach it. The shell line writes the output and then the exit code to
    // files, and the exit code file tells that the program ended.
    const std::wstring base = L"/tmp/quenlark-native-" + UniqueSuffix();
    const std::wstring captured = base + L".out", exitCode = base + L".rc";
    std::wstring line = L"/bin/sh -c \"" + commandLine + L" >" + captured + L" 2>&1; echo $? >" +
                        exitCode + L".tmp; mv " + exitCode + L".tmp " + exitCode + L"\"";
    PROCESS_INFORMATION pi = {};
    if (!StartProcess(nullptr, line, pi))
        return -1;
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    std::string code;
    WaitFor([&] { return !(code = ReadFileBytes(L"Z:" + exitCode)).empty(); }, 600000);
    if (output)
        *output = ReadFileBytes(L"Z:" + captured);
    DeleteFileW((L"Z:" + captured).c_str());
    DeleteFileW((L"Z:" + exitCode).c_str());
    return code.empty() ? -1 : atoi(code.c_str());
}

// ---- Independent readers of exported files ------------------------------------------------------

inline std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::wstring::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// Runs one of the readers in tests/support on a file: its records (split by U+001E) of cells
// (split by U+001F). False when the reader fails; its output goes to error.
inline bool RunCellReader(const wchar_t* reader, const std::wstring& path,
                          std::vector<std::vector<std::wstring>>& records, std::string* error)
{
    const std::wstring output = path + L".cells";
    if (RunNative(L"/usr/bin/python3 " + SourceDirUnix() + L"/tests/support/" + reader + L" '" +
                      UnixPath(path) + L"' '" + UnixPath(output) + L"'",
                  error) != 0)
        return false;
    const std::string raw = ReadFileBytes(output);
    DeleteFileW(output.c_str());
    for (const std::wstring& record :
         Split(std::wstring((const wchar_t*)raw.data(), raw.size() / 2), L'\x1E'))
        records.push_back(Split(record, L'\x1F'));
    return true;
}

// An HTML file as Python's own parser reads it (tests/support/html_cells.py): the start tags
// met, the H4 heading, then the table's rows with each cell's text (<BR> as LF).
struct CHtmlCells
{
    std::wstring tags;
    std::wstring heading;
    std::vector<std::vector<std::wstring>> rows;
};
inline bool ReadHtmlCells(const std::wstring& htmlPath, CHtmlCells& cells, std::string* error)
{
    std::vector<std::vector<std::wstring>> records;
    if (!RunCellReader(L"html_cells.py", htmlPath, records, error) || records.size() < 2)
        return false;
    cells.tags = records[0][0];
    cells.heading = records[1][0];
    cells.rows.assign(records.begin() + 2, records.end());
    return true;
}

// A workbook as openpyxl reads it (tests/support/xlsx_cells.py): the sheet names, then the
// rows of the first sheet with each cell's value as Python writes it.
struct CWorkbookCells
{
    std::vector<std::wstring> sheets;
    std::vector<std::vector<std::wstring>> rows;
};
inline bool ReadWorkbookCells(const std::wstring& path, CWorkbookCells& cells, std::string* error)
{
    std::vector<std::vector<std::wstring>> records;
    if (!RunCellReader(L"xlsx_cells.py", path, records, error) || records.empty())
        return false;
    cells.sheets = records[0];
    cells.rows.assign(records.begin() + 1, records.end());
    return true;
}

// Runs an SQL script with psql on the test server (UTF-8, stopping at the first error), with
// the schema as the search path; returns psql's exit code, its output in output.
inline int RunPsqlScript(const std::wstring& scriptPath, const std::wstring& schema,
                         std::string* output)
{
    return RunNative(L"env PGPASSWORD=quenlark PGCLIENTENCODING=UTF8 PGOPTIONS=-csearch_path=" +
                         schema +
                         L" psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -U quenlark -d quenlark "
                         L"-f '" +
                         UnixPath(scriptPath) + L"'",
                     output);
}

// ---- Windows of any process -------------------------------------------------------------------

inline std::wstring WindowText(HWND wnd)
{
    // WM_GETTEXT is copied between processes by the system.
    LRESULT length = SendMessageW(wnd, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> buffer((size_t)length + 2);
    SendMessageW(wnd, WM_GETTEXT, (WPARAM)buffer.size(), (LPARAM)buffer.data());
    return buffer.data();
}

inline std::wstring ClassName(HWND wnd)
{
    wchar_t name[128] = {};
    GetClassNameW(wnd, name, 128);
    return name;
}

// ---- Clipboard --------------------------------------------------------------------------------

// The clipboard's text (empty when it holds none). The clipboard keeps the program's data only
// while the program runs: read it before the program ends.
inline std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT))
    {
        if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(h)))
            text = p;
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

// Puts text on the clipboard, for a paste posted to the program: a paste that brings up a
// message box must not be sent, or the test would wait on the box it is to answer.
inline bool PutClipboardText(const std::wstring& text)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool put = false;
    if (memory != nullptr)
    {
        memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!put)
            GlobalFree(memory);
    }
    CloseClipboard();
    return put;
}

// ---- The program ------------------------------------------------------------------------------

class CProgram
{
public:
    // Control ids of the database bar's tab strip and tables tree.
    static constexpr int kBarSwitchId = 110;
    static constexpr int kTablesTreeId = 130;

    CProgram() = default;
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;
    ~CProgram() { Kill(); }

    // Starts the program with the command-line arguments. With waitForWindow, returns once its
    // main window is visible (false when it does not appear within the time).
    // An instance that a test left still ending (its settings not yet saved, its window maybe
    // still there to take a hand-over) is waited for first: the new one starts alone.
    bool Start(const std::wstring& arguments = L"", bool waitForWindow = true,
               DWORD timeoutMs = 30000)
    {
        Kill();
        WaitForEndedInstances();
        UnmanagedWindows();
        m_startFailure.clear();
        std::wstring path = ProgramPath();
        std::wstring commandLine = L"\"" + path + L"\"";
        if (!arguments.empty())
            commandLine += L" " + arguments;
        PROCESS_INFORMATION process = {};
        if (!StartProcess(path.c_str(), commandLine, process))
        {
            m_startFailure = L"CreateProcess failed with error " + std::to_wstring(GetLastError());
            ReportStartFailure();
            return false;
        }
        CloseHandle(process.hThread);
        m_process = process.hProcess;
        m_processId = process.dwProcessId;
        m_main = nullptr;
        if (!waitForWindow)
            return true;
        // A process that ends (handed its script over, or failed) shows no window: no use
        // waiting for one.
        WaitFor([&] { return (m_main = FindMainWindow()) != nullptr || !IsRunning(); }, timeoutMs);
        if (m_main != nullptr)
            return true;
        m_startFailure =
            IsRunning() ? L"no visible main window after " + std::to_wstring(timeoutMs) + L" ms"
                        : L"the program ended with code " + std::to_wstring(ExitCode()) +
                              L" without a window";
        ReportStartFailure();
        return false;
    }

    // A failed start says why in the test's output, whatever the failing check prints.
    void ReportStartFailure() const
    {
        std::string text;
        for (wchar_t c : m_startFailure)
            text += c < 128 ? (char)c : '?';
        std::fprintf(stderr, "Quenlark.exe did not start: %s\n", text.c_str());
        std::fflush(stderr);
    }

    HWND MainWindow() const { return m_main; }
    DWORD ProcessId() const { return m_processId; }
    HANDLE Process() const { return m_process; }
    bool IsRunning() const
    {
        return m_process != nullptr && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
    }

    // The visible main window of this process, or null.
    HWND FindMainWindow() const
    {
        HWND wnd = nullptr;
        while ((wnd = FindWindowExW(nullptr, wnd, L"Quenlark", nullptr)) != nullptr)
            if (IsOwn(wnd) && IsWindowVisible(wnd))
                return wnd;
        return nullptr;
    }

    bool IsOwn(HWND wnd) const
    {
        DWORD owner = 0;
        GetWindowThreadProcessId(wnd, &owner);
        return owner == m_processId;
    }

    // Posts a menu command to the main window (posted: a command that opens a modal dialog
    // does not block the test).
    void PostCommand(UINT id) const { PostMessageW(m_main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    std::wstring Title() const { return WindowText(m_main); }
    bool WaitForTitle(const std::wstring& title, DWORD timeoutMs = 30000) const
    {
        return WaitFor([&] { return Title() == title; }, timeoutMs);
    }
    // The prompt pane of the status bar (the bar answers WM_GETTEXT with it).
    std::wstring StatusText() const
    {
        HWND bar = GetDlgItem(m_main, 0xE801);
        return bar ? WindowText(bar) : L"<no status bar>";
    }

    // The text of a status-bar pane (0 is the prompt pane), read through memory in the program.
    std::wstring StatusPaneText(int index) const
    {
        HWND bar = GetDlgItem(m_main, 0xE801);
        if (bar == nullptr)
            return L"<no status bar>";
        const SIZE_T chars = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, index, 0));
        CRemoteBuffer buffer(m_process, (chars + 1) * sizeof(wchar_t));
        SendMessageW(bar, SB_GETTEXTW, index, (LPARAM)buffer.At(0));
        return buffer.ReadText(0, chars);
    }

    // Clicks a status-bar pane (at its centre) as the left mouse button would; false when the
    // bar has no such pane.
    bool ClickStatusPane(int index) const
    {
        HWND bar = GetDlgItem(m_main, 0xE801);
        if (bar == nullptr)
            return false;
        CRemoteBuffer buffer(m_process, sizeof(RECT));
        RECT r{};
        if (!SendMessageW(bar, SB_GETRECT, index, (LPARAM)buffer.At(0)) ||
            !ReadProcessMemory(m_process, buffer.At(0), &r, sizeof(r), nullptr))
            return false;
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(bar, WM_LBUTTONUP, 0, at);
        return true;
    }

    // A child window of the main window (any depth) with this control id, or null.
    HWND FindChild(int id) const
    {
        struct Search
        {
            int id;
            HWND found = nullptr;
        } search{id};
        EnumChildWindows(
            m_main,
            [](HWND wnd, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                if (GetDlgCtrlID(wnd) == s->id)
                {
                    s->found = wnd;
                    return FALSE;
                }
                return TRUE;
            },
            (LPARAM)&search);
        return search.found;
    }

    // The top-level windows of this process, visible ones only.
    std::vector<HWND> TopWindows() const
    {
        struct Search
        {
            const CProgram* self;
            std::vector<HWND> found;
        } search{this, {}};
        EnumWindows(
            [](HWND wnd, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                if (s->self->IsOwn(wnd) && IsWindowVisible(wnd))
                    s->found.push_back(wnd);
                return TRUE;
            },
            (LPARAM)&search);
        return search.found;
    }

    // A visible dialog (class #32770) of this process with this caption.
    HWND FindDialog(const std::wstring& caption) const
    {
        for (HWND wnd : TopWindows())
            if (ClassName(wnd) == L"#32770" && WindowText(wnd) == caption)
                return wnd;
        return nullptr;
    }
    HWND WaitForDialog(const std::wstring& caption, DWORD timeoutMs = 20000) const
    {
        HWND found = nullptr;
        WaitFor([&] { return (found = FindDialog(caption)) != nullptr; }, timeoutMs);
        return found;
    }
    // Every visible dialog of this process with this caption.
    std::vector<HWND> FindDialogs(const std::wstring& caption) const
    {
        std::vector<HWND> found;
        for (HWND wnd : TopWindows())
            if (ClassName(wnd) == L"#32770" && WindowText(wnd) == caption)
                found.push_back(wnd);
        return found;
    }
    // Posts a menu command and waits for the dialog with this caption it opens. A dialog of
    // that caption already up is not it: one an earlier step pressed OK in stays up until the
    // program gets to that click, and text set in it or a click on it would be lost.
    HWND PostCommandForDialog(UINT id, const std::wstring& caption, DWORD timeoutMs = 20000) const
    {
        const std::vector<HWND> before = FindDialogs(caption);
        PostCommand(id);
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (HWND wnd : FindDialogs(caption))
                    if (std::find(before.begin(), before.end(), wnd) == before.end())
                        found = wnd;
                return found != nullptr;
            },
            timeoutMs);
        return found;
    }

    // A visible message box of this process: a dialog with the text static 0xFFFF.
    HWND FindMessageBox() const
    {
        for (HWND wnd : TopWindows())
            if (ClassName(wnd) == L"#32770" && GetDlgItem(wnd, 0xFFFF) != nullptr)
                return wnd;
        return nullptr;
    }
    HWND WaitForMessageBox(DWORD timeoutMs = 20000) const
    {
        HWND found = nullptr;
        WaitFor([&] { return (found = FindMessageBox()) != nullptr; }, timeoutMs);
        return found;
    }
    static std::wstring MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }
    // Waits for a message box, answers it with the button and waits until it has gone; its
    // text, or "<none>" when no box came.
    std::wstring AnswerMessageBox(int button, DWORD timeoutMs = 20000) const
    {
        const HWND box = WaitForMessageBox(timeoutMs);
        if (box == nullptr)
            return L"<none>";
        const std::wstring text = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     (LPARAM)GetDlgItem(box, button));
        WaitFor([&] { return !IsWindow(box); }, timeoutMs);
        return text;
    }
    // Types a connection string into "Connect > Connection Strings..." and presses OK; true
    // once the dialog has closed.
    bool ConnectWith(const std::wstring& connect) const
    {
        HWND dlg = PostCommandForDialog(32772, L"ODBC Connection Strings");
        if (dlg == nullptr)
            return false;
        SetText(dlg, 1000, connect);
        Click(dlg, IDOK);
        return WaitFor([&] { return !IsWindow(dlg); });
    }

    // Waits up to waitMs for a message box, gives its text and answers it with the button
    // (IDOK when not told); empty text when no box appeared.
    std::wstring TakeMessageBox(DWORD waitMs = 20000, int button = IDOK) const
    {
        HWND box = WaitForMessageBox(waitMs);
        if (box == nullptr)
            return std::wstring();
        std::wstring text = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, button, 0);
        WaitFor([&] { return !IsWindow(box); });
        return text;
    }

    // Controls of a dialog.
    static HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
    static std::wstring Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
    static void SetText(HWND dialog, int id, const std::wstring& text)
    {
        SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text.c_str());
    }
    // Posted, so a click that runs a modal loop or closes the dialog does not block the test.
    static void Click(HWND dialog, int id)
    {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, id));
    }
    static bool IsChecked(HWND dialog, int id)
    {
        return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)); }
    static bool IsVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)); }
    // Sends a key press to a window (posted key down and up).
    static void PressKey(HWND wnd, UINT key)
    {
        PostMessageW(wnd, WM_KEYDOWN, key, 1);
        PostMessageW(wnd, WM_KEYUP, key, 0xC0000001);
    }

    // Real key presses (SendInput) to the main window, brought to the foreground first: the
    // keys are pressed in order and released in reverse, so {VK_CONTROL, VK_F5} is Ctrl+F5 and
    // reaches the accelerators with the keyboard state the program sees.
    // With a target, that window (a dialog of the program) is brought forward instead.
    bool PressKeys(const std::vector<WORD>& keys, HWND target = nullptr) const
    {
        if (target == nullptr)
            target = m_main;
        SetForegroundWindow(target);
        if (!WaitFor([&] { return GetForegroundWindow() == target; }))
            return false;
        std::vector<INPUT> input(keys.size() * 2);
        for (size_t i = 0; i < keys.size(); ++i)
        {
            input[i].type = input[input.size() - 1 - i].type = INPUT_KEYBOARD;
            input[i].ki.wVk = input[input.size() - 1 - i].ki.wVk = keys[i];
            input[input.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
        }
        return SendInput((UINT)input.size(), input.data(), sizeof(INPUT)) == input.size();
    }

    // The texts of a list view's items in one column.
    std::vector<std::wstring> ListItems(HWND list, int column = 0) const
    {
        std::vector<std::wstring> items;
        const int count = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
        CRemoteBuffer remote(m_process, sizeof(LVITEMW) + 1024 * sizeof(wchar_t));
        if (!remote.address)
            return items;
        for (int i = 0; i < count; ++i)
        {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iSubItem = column;
            item.cchTextMax = 1024;
            item.pszText = reinterpret_cast<LPWSTR>(remote.At(sizeof(LVITEMW)));
            remote.Write(0, &item, sizeof(item));
            SendMessageW(list, LVM_GETITEMTEXTW, i, (LPARAM)remote.address);
            items.push_back(remote.ReadText(sizeof(LVITEMW), 1024));
        }
        return items;
    }
    // The index of the first selected item of a list view, or -1.
    static int ListSelection(HWND list)
    {
        return (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    }
    // Selects and focuses one list-view item (the notification reaches the dialog).
    // Index -1 with select false clears the selection of every item.
    void SelectListItem(HWND list, int index, bool select = true) const
    {
        CRemoteBuffer remote(m_process, sizeof(LVITEMW));
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = select ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        remote.Write(0, &item, sizeof(item));
        SendMessageW(list, LVM_SETITEMSTATE, index, (LPARAM)remote.address);
    }

    // Sets or clears the check box of a list-view item (LVS_EX_CHECKBOXES).
    void SetListCheck(HWND list, int index, bool checked) const
    {
        CRemoteBuffer remote(m_process, sizeof(LVITEMW));
        LVITEMW item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        remote.Write(0, &item, sizeof(item));
        SendMessageW(list, LVM_SETITEMSTATE, index, (LPARAM)remote.address);
    }
    // A list view's column order (list column at each display position).
    std::vector<int> ListColumnOrder(HWND list) const
    {
        HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
        const int count = (int)SendMessageW(header, HDM_GETITEMCOUNT, 0, 0);
        std::vector<int> order(count > 0 ? count : 0);
        CRemoteBuffer remote(m_process, sizeof(int) * (order.size() + 1));
        if (count > 0 && SendMessageW(list, LVM_GETCOLUMNORDERARRAY, count, (LPARAM)remote.address))
            ReadProcessMemory(m_process, remote.address, order.data(), sizeof(int) * count,
                              nullptr);
        return order;
    }
    // The active MDI child window, or null.
    HWND ActiveChild() const
    {
        HWND client = FindWindowExW(m_main, nullptr, L"MDIClient", nullptr);
        return client ? (HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0) : nullptr;
    }

    // The MDI child windows (grid and script windows), in z order.
    std::vector<HWND> Children() const
    {
        std::vector<HWND> children;
        HWND client = FindWindowExW(m_main, nullptr, L"MDIClient", nullptr);
        for (HWND wnd = client ? GetWindow(client, GW_CHILD) : nullptr; wnd;
             wnd = GetWindow(wnd, GW_HWNDNEXT))
            children.push_back(wnd);
        return children;
    }

    // Waits for the grid window an action opened, given the children there were before it:
    // a child not among them, active, with its grid, and the rows pane filled. A grid window
    // reads its rows before it becomes active, while the window before it is still the active
    // one and its pane still counts that window's rows; the pane is emptied as that window
    // gives up being active, before the new one is, and set by the new one as it becomes
    // active. The new window, or null when none comes.
    HWND WaitForNewGrid(const std::vector<HWND>& before, DWORD timeoutMs = 20000) const
    {
        HWND found = nullptr;
        WaitFor(
            [&] {
                HWND child = ActiveChild();
                if (child == nullptr ||
                    std::find(before.begin(), before.end(), child) != before.end() ||
                    GetDlgItem(child, 0xE900) == nullptr ||
                    StatusPaneText(1).find(L"Rows") == std::wstring::npos || ActiveChild() != child)
                    return false;
                found = child;
                return true;
            },
            timeoutMs);
        return found;
    }

    // Waits until the active MDI child's title begins with the text.
    bool WaitForActiveChild(const std::wstring& titleStart, DWORD timeoutMs = 20000) const
    {
        return WaitFor(
            [&] {
                HWND child = ActiveChild();
                return child && WindowText(child).rfind(titleStart, 0) == 0;
            },
            timeoutMs);
    }

    // ---- Lists with cells edited in place (the grid, the filter and sort dialogs) ------------

    // A list-view cell's rectangle in the list's client coordinates (column 0: the whole row's
    // first cell); false when the list cannot tell.
    bool ListCellRect(HWND list, int row, int column, RECT& rect) const
    {
        CRemoteBuffer remote(m_process, sizeof(RECT));
        RECT ask{};
        ask.top = column;
        ask.left = LVIR_LABEL;
        remote.Write(0, &ask, sizeof(ask));
        if (!SendMessageW(list, LVM_GETSUBITEMRECT, row, (LPARAM)remote.address))
            return false;
        return ReadProcessMemory(m_process, remote.address, &rect, sizeof(rect), nullptr) != 0;
    }
    // Clicks (or double-clicks) a list-view cell with the left button.
    bool ClickListCell(HWND list, int row, int column, bool doubleClick = false) const
    {
        RECT r{};
        if (!ListCellRect(list, row, column, r))
            return false;
        const LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        if (doubleClick)
        {
            PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            PostMessageW(list, WM_LBUTTONUP, 0, at);
        }
        return true;
    }
    // Clicks a list view's column header.
    bool ClickListHeader(HWND list, int column) const
    {
        HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
        CRemoteBuffer remote(m_process, sizeof(RECT));
        RECT r{};
        if (header == nullptr ||
            !SendMessageW(header, HDM_GETITEMRECT, column, (LPARAM)remote.address) ||
            !ReadProcessMemory(m_process, remote.address, &r, sizeof(r), nullptr))
            return false;
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(header, WM_LBUTTONUP, 0, at);
        return true;
    }
    // The screen rectangle of a list view's column header item.
    bool ListHeaderItemRect(HWND list, int column, RECT& screen) const
    {
        HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
        CRemoteBuffer remote(m_process, sizeof(RECT));
        if (header == nullptr ||
            !SendMessageW(header, HDM_GETITEMRECT, column, (LPARAM)remote.address) ||
            !ReadProcessMemory(m_process, remote.address, &screen, sizeof(screen), nullptr))
            return false;
        MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&screen), 2);
        return true;
    }
    // A list view's column header: its title and format bits (HDF_SORTUP, HDF_SORTDOWN...).
    bool ListHeaderItem(HWND list, int column, std::wstring& title, int& format) const
    {
        HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
        CRemoteBuffer remote(m_process, sizeof(HDITEMW) + 256 * sizeof(wchar_t));
        if (header == nullptr || !remote.address)
            return false;
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_FORMAT;
        item.cchTextMax = 256;
        item.pszText = reinterpret_cast<LPWSTR>(remote.At(sizeof(HDITEMW)));
        remote.Write(0, &item, sizeof(item));
        if (!SendMessageW(header, HDM_GETITEMW, column, (LPARAM)remote.address) ||
            !ReadProcessMemory(m_process, remote.address, &item, sizeof(item), nullptr))
            return false;
        title = remote.ReadText(sizeof(HDITEMW), 256);
        format = item.fmt;
        return true;
    }
    // The visible popup menu of this process (class #32768), or null.
    HWND FindPopupMenu() const
    {
        HWND wnd = nullptr;
        while ((wnd = FindWindowExW(nullptr, wnd, L"#32768", nullptr)) != nullptr)
            if (IsOwn(wnd) && IsWindowVisible(wnd))
                return wnd;
        return nullptr;
    }
    // Chooses the entry at this position (from 0) of the popup menu that is open, by keys.
    bool ChoosePopupMenuEntry(int position, DWORD timeoutMs = 10000) const
    {
        HWND menu = nullptr;
        if (!WaitFor([&] { return (menu = FindPopupMenu()) != nullptr; }, timeoutMs))
            return false;
        for (int i = 0; i <= position; ++i)
            PressKey(menu, VK_DOWN);
        PressKey(menu, VK_RETURN);
        return WaitFor([&] { return FindPopupMenu() == nullptr; }, timeoutMs);
    }

    // The editor open in a list's cell (any visible child but the header), or null.
    static HWND InPlaceEditor(HWND list)
    {
        for (HWND child = GetWindow(list, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (IsWindowVisible(child) && ClassName(child) != L"SysHeader32")
                return child;
        return nullptr;
    }
    static HWND WaitForInPlaceEditor(HWND list, DWORD timeoutMs = 10000)
    {
        HWND editor = nullptr;
        WaitFor([&] { return (editor = InPlaceEditor(list)) != nullptr; }, timeoutMs);
        return editor;
    }
    // Picks the entry with this text in the drop-down list open in a cell and ends the edit with
    // the key (VK_TAB goes on to the next cell, VK_RETURN stops).
    bool ChooseInPlaceEntry(HWND list, const std::wstring& text, UINT endKey = VK_TAB) const
    {
        HWND combo = WaitForInPlaceEditor(list);
        if (combo == nullptr || ClassName(combo) != L"ComboBox")
            return false;
        const std::vector<std::wstring> entries = ComboItems(combo);
        size_t index = 0;
        while (index < entries.size() && entries[index] != text)
            ++index;
        if (index == entries.size())
            return false;
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        PressKey(combo, endKey);
        return WaitFor([&] { return !IsWindow(combo); }, 10000);
    }
    // Types a value into the grid's cell editor open in a cell, or ticks it NULL, and ends the
    // edit with the key.
    static bool SetInPlaceValue(HWND list, const std::wstring& text, bool null = false,
                                UINT endKey = VK_TAB)
    {
        HWND editor = WaitForInPlaceEditor(list);
        HWND edit = editor ? GetDlgItem(editor, 2) : nullptr;
        if (edit == nullptr)
            return false;
        HWND target = edit;
        if (null)
        {
            // A click as the mouse gives it: the box takes the focus first, so the edit box it
            // disables does not end the edit by losing the focus.
            target = GetDlgItem(editor, 1);
            if (target == nullptr)
                return false;
            if (SendMessageW(target, BM_GETCHECK, 0, 0) == BST_CHECKED)
                SendMessageW(target, BM_CLICK, 0, 0);
        }
        else
            SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)text.c_str());
        PressKey(target, endKey);
        return WaitFor([&] { return !IsWindow(editor); }, 10000);
    }

    // The texts of a tree view's items, depth first, each indented by two blanks per level.
    std::vector<std::wstring> TreeItems(HWND tree) const
    {
        std::vector<std::wstring> items;
        std::function<void(HTREEITEM, int)> walk = [&](HTREEITEM first, int level) {
            for (HTREEITEM node = first; node != nullptr; node = TreeNext(tree, node))
            {
                items.push_back(std::wstring(level * 2, L' ') + TreeItemText(tree, node));
                walk(TreeChild(tree, node), level + 1);
            }
        };
        walk(TreeRoot(tree), 0);
        return items;
    }

    // ---- Tree views (the database bar's trees) --------------------------------------------------

    // The text of one tree-view item.
    std::wstring TreeItemText(HWND tree, HTREEITEM node) const
    {
        CRemoteBuffer remote(m_process, sizeof(TVITEMW) + 1024 * sizeof(wchar_t));
        if (!remote.address || node == nullptr)
            return std::wstring();
        TVITEMW item{};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = node;
        item.cchTextMax = 1024;
        item.pszText = reinterpret_cast<LPWSTR>(remote.At(sizeof(TVITEMW)));
        remote.Write(0, &item, sizeof(item));
        SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)remote.address);
        return remote.ReadText(sizeof(TVITEMW), 1024);
    }
    // The image index of one tree-view item, or -1.
    int TreeItemImage(HWND tree, HTREEITEM node) const
    {
        CRemoteBuffer remote(m_process, sizeof(TVITEMW));
        if (!remote.address || node == nullptr)
            return -1;
        TVITEMW item{};
        item.mask = TVIF_IMAGE | TVIF_HANDLE;
        item.hItem = node;
        item.iImage = -1;
        remote.Write(0, &item, sizeof(item));
        SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)remote.address);
        ReadProcessMemory(m_process, remote.address, &item, sizeof(item), nullptr);
        return item.iImage;
    }
    static bool IsTreeItemExpanded(HWND tree, HTREEITEM node)
    {
        return (SendMessageW(tree, TVM_GETITEMSTATE, (WPARAM)node, TVIS_EXPANDED) &
                TVIS_EXPANDED) != 0;
    }
    static HTREEITEM TreeRoot(HWND tree)
    {
        return (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    }
    static HTREEITEM TreeChild(HWND tree, HTREEITEM node)
    {
        return (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)node);
    }
    static HTREEITEM TreeNext(HWND tree, HTREEITEM node)
    {
        return (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)node);
    }
    // The first root item with the text; with a child text, that root item's child of that
    // text instead. Null when there is none.
    HTREEITEM FindTreeItem(HWND tree, const std::wstring& parent,
                           const std::wstring& child = std::wstring()) const
    {
        for (HTREEITEM node = TreeRoot(tree); node; node = TreeNext(tree, node))
        {
            if (TreeItemText(tree, node) != parent)
                continue;
            if (child.empty())
                return node;
            for (HTREEITEM item = TreeChild(tree, node); item; item = TreeNext(tree, item))
                if (TreeItemText(tree, item) == child)
                    return item;
        }
        return nullptr;
    }
    // The texts of a tree item's children, in order.
    std::vector<std::wstring> TreeChildren(HWND tree, HTREEITEM node) const
    {
        std::vector<std::wstring> names;
        for (HTREEITEM item = TreeChild(tree, node); item; item = TreeNext(tree, item))
            names.push_back(TreeItemText(tree, item));
        return names;
    }
    // Makes the item the tree's selected item, as a click on it would: the tree's commands
    // then act on it.
    static void SelectTreeItem(HWND tree, HTREEITEM node)
    {
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)node);
    }
    // Selects the item and posts a context-menu command to the tree, as if chosen from the
    // item's menu.
    static void TreeCommand(HWND tree, HTREEITEM node, UINT id)
    {
        SelectTreeItem(tree, node);
        PostMessageW(tree, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }

    // The same, sent: returns once the command has run. Only for commands that open no window
    // of their own (Copy Name): the clipboard is then written and may be read, with no reader
    // holding it open while the program writes.
    static void TreeCommandNow(HWND tree, HTREEITEM node, UINT id)
    {
        SelectTreeItem(tree, node);
        SendMessageW(tree, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }

    // The rectangle of a tab of a tab strip that shows a tooltip per tab (the database bar's
    // strip): the tab's tooltip tool's rectangle, the part of the tab that shows. False while
    // there is no such tab or the strip has not placed it yet.
    bool StripTabRect(HWND strip, const std::wstring& title, RECT& rect) const
    {
        // A tooltip is a pop-up: its owner is the strip's top-level window, so its tools
        // tell which window they belong to.
        CRemoteBuffer remote(m_process, sizeof(TTTOOLINFOW) + 256 * sizeof(wchar_t));
        for (HWND tips = nullptr;
             (tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
        {
            if (!IsOwn(tips))
                continue;
            const int count = (int)SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0);
            for (int i = 0; i < count; ++i)
            {
                TTTOOLINFOW info{};
                info.cbSize = sizeof(info);
                info.lpszText = reinterpret_cast<LPWSTR>(remote.At(sizeof(TTTOOLINFOW)));
                remote.Write(0, &info, sizeof(info));
                if (!SendMessageW(tips, TTM_ENUMTOOLSW, i, (LPARAM)remote.address))
                    continue;
                ReadProcessMemory(m_process, remote.address, &info, sizeof(info), nullptr);
                if (info.hwnd != strip || remote.ReadText(sizeof(TTTOOLINFOW), 255) != title)
                    continue;
                // The strip places its tools when it paints: none yet, no tab.
                rect = info.rect;
                return !IsRectEmpty(&info.rect);
            }
        }
        return false;
    }

    // Clicks the tab of a tab strip that shows a tooltip per tab (StripTabRect). False while
    // there is no such tab to click.
    bool ClickStripTab(HWND strip, const std::wstring& title) const
    {
        RECT rect{};
        if (!StripTabRect(strip, title, rect))
            return false;
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(strip, WM_LBUTTONUP, 0, at);
        return true;
    }

    // Shows a tab of the database bar by a click on it; true once its tree is shown.
    bool ShowBarTab(const std::wstring& title, HWND tree) const
    {
        return WaitFor([&] { return ClickStripTab(FindChild(kBarSwitchId), title); }) &&
               WaitFor([&] { return IsWindowVisible(tree) != FALSE; });
    }

    // Clicks a tab of a tab control (SysTabControl32), so that it tells its parent as a user's
    // click would.
    bool ClickTab(HWND tabs, int index) const
    {
        CRemoteBuffer remote(m_process, sizeof(RECT));
        if (!SendMessageW(tabs, TCM_GETITEMRECT, index, (LPARAM)remote.address))
            return false;
        RECT rect{};
        ReadProcessMemory(m_process, remote.address, &rect, sizeof(rect), nullptr);
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(tabs, WM_LBUTTONUP, 0, at);
        return true;
    }

    // Starts the program so that it connects at once with the connection string, the database
    // bar shown; returns once the connection has given the window its title (or, for a file
    // database whose connection string names no server, filled the bar's tables tree) and no
    // job runs any more.
    bool StartConnected(const std::wstring& connect, DWORD timeoutMs = 30000)
    {
        WriteRegString(L"Grid lines", L"Yes");
        WriteRegString(L"Connect DB at startup", L"Yes");
        WriteRegString(L"DBBarVisible", L"Yes");
        WriteRegString(L"ConnectString0", connect, L"ConnectStrings");
        if (!Start())
            return false;
        return WaitFor(
                   [&] {
                       HWND tree = FindChild(kTablesTreeId);
                       return Title() != L"Quenlark" ||
                              (tree && SendMessageW(tree, TVM_GETCOUNT, 0, 0) > 0);
                   },
                   timeoutMs) &&
               WaitUntilIdle(timeoutMs);
    }

    // The text of the editor window of the active MDI child (a script window), or "<none>".
    std::wstring ActiveEditorText() const
    {
        HWND child = ActiveChild();
        HWND editor = child ? FindDescendant(child, L"RColorEditorClass") : nullptr;
        return editor ? WindowText(editor) : L"<none>";
    }

    // The first window below the parent (any depth) of the class, or null.
    static HWND FindDescendant(HWND parent, const std::wstring& className)
    {
        struct Search
        {
            const std::wstring* name;
            HWND found = nullptr;
        } search{&className};
        EnumChildWindows(
            parent,
            [](HWND wnd, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                if (ClassName(wnd) == *s->name)
                {
                    s->found = wnd;
                    return FALSE;
                }
                return TRUE;
            },
            (LPARAM)&search);
        return search.found;
    }

    // Waits for a visible control of a dialog (its pages included) with the id, other than
    // the one given (the list of the page shown before); null when none comes.
    static HWND WaitForVisibleControl(HWND dialog, int id, HWND other = nullptr,
                                      DWORD timeoutMs = 20000)
    {
        HWND found = nullptr;
        WaitFor(
            [&] {
                found = FindVisibleControl(dialog, id);
                return found != nullptr && found != other;
            },
            timeoutMs);
        return found != other ? found : nullptr;
    }

    // The visible control of a dialog (its pages included) with the id, or null.
    static HWND FindVisibleControl(HWND dialog, int id)
    {
        struct Search
        {
            int id;
            HWND found = nullptr;
        } search{id};
        EnumChildWindows(
            dialog,
            [](HWND wnd, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                if (GetDlgCtrlID(wnd) == s->id && IsWindowVisible(wnd))
                {
                    s->found = wnd;
                    return FALSE;
                }
                return TRUE;
            },
            (LPARAM)&search);
        return search.found;
    }

    // The strings of a combo box's list.
    std::vector<std::wstring> ComboItems(HWND combo) const
    {
        std::vector<std::wstring> items;
        const int count = (int)SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i)
        {
            // CB_GETLBTEXT is copied between processes like WM_GETTEXT.
            std::vector<wchar_t> buffer((size_t)SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) + 2);
            SendMessageW(combo, CB_GETLBTEXT, i, (LPARAM)buffer.data());
            items.push_back(buffer.data());
        }
        return items;
    }

    // The row of a list view whose columns hold these texts (first column first, at most two
    // columns), or -1.
    int FindListRow(HWND list, const std::vector<std::wstring>& texts) const
    {
        if (texts.empty())
            return -1;
        return FindListText(list, texts[0], texts.size() > 1 ? texts[1].c_str() : nullptr);
    }

    // What the program shows, for failure messages: the title and the captions of its other
    // windows, with a message box's text.
    std::string Describe() const
    {
        std::wstring text = L"title '" + Title() + L"'";
        if (!m_startFailure.empty())
            text += L" (" + m_startFailure + L")";
        for (HWND wnd : TopWindows())
            if (wnd != m_main)
            {
                text += L"; window '" + WindowText(wnd) + L"'";
                if (HWND label = GetDlgItem(wnd, 0xFFFF))
                    text += L": " + WindowText(label);
            }
        // Where keys go: a key press that did nothing is explained by the window that had them.
        GUITHREADINFO gui{sizeof(GUITHREADINFO)};
        if (m_main != nullptr && GetGUIThreadInfo(GetWindowThreadProcessId(m_main, nullptr), &gui))
        {
            text += L"; active '" + (gui.hwndActive ? WindowText(gui.hwndActive) : L"") + L"'";
            text +=
                L"; focus " + (gui.hwndFocus ? ClassName(gui.hwndFocus) + L" '" +
                                                   WindowText(gui.hwndFocus).substr(0, 40) + L"'"
                                             : std::wstring(L"none"));
        }
        int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string narrow(n > 0 ? n - 1 : 0, '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), n, nullptr, nullptr);
        return narrow;
    }

    // Opens the Tables dialog (Query > Tables...) with the tables of this schema and name
    // selected, and nothing else. Null when the dialog or a table is missing.
    HWND OpenTablesDialog(const std::vector<std::pair<std::wstring, std::wstring>>& tables,
                          DWORD timeoutMs = 20000) const
    {
        return OpenObjectsDialog(ID_QUERY_TABLES, L"Tables", tables, timeoutMs);
    }
    // The same with the Views dialog.
    HWND OpenViewsDialog(const std::vector<std::pair<std::wstring, std::wstring>>& views,
                         DWORD timeoutMs = 20000) const
    {
        return OpenObjectsDialog(ID_QUERY_VIEWS, L"Views", views, timeoutMs);
    }
    HWND OpenObjectsDialog(UINT command, const wchar_t* caption,
                           const std::vector<std::pair<std::wstring, std::wstring>>& tables,
                           DWORD timeoutMs) const
    {
        // Posted once: a job's wait dialog drops the input queued meanwhile, so wait for the
        // program to be idle first; a second post could open a second dialog inside the first.
        WaitUntilIdle(timeoutMs);
        HWND dlg = PostCommandForDialog(command, caption, timeoutMs);
        if (!dlg)
            return nullptr;
        HWND list = GetDlgItem(dlg, 1055);
        SelectListItem(list, -1, false);
        for (const auto& [schema, name] : tables)
        {
            int row = -1;
            WaitFor([&] { return (row = FindListRow(list, {name, schema})) >= 0; }, 5000);
            if (row < 0)
                return nullptr;
            SelectListItem(list, row);
        }
        return dlg;
    }

    // Opens one table in a grid window through the Tables dialog; the new window once it is
    // the active one and shows its rows (WaitForNewGrid), or null.
    HWND OpenTableWindow(const std::wstring& schema, const std::wstring& name,
                         DWORD timeoutMs = 20000) const
    {
        return OpenObjectWindow(ID_QUERY_TABLES, L"Tables", schema, name, timeoutMs);
    }
    bool OpenTableGrid(const std::wstring& schema, const std::wstring& name,
                       DWORD timeoutMs = 20000) const
    {
        return OpenTableWindow(schema, name, timeoutMs) != nullptr;
    }

    // The same for a view through the Views dialog.
    bool OpenViewGrid(const std::wstring& schema, const std::wstring& name,
                      DWORD timeoutMs = 20000) const
    {
        return OpenObjectWindow(ID_QUERY_VIEWS, L"Views", schema, name, timeoutMs) != nullptr;
    }
    HWND OpenObjectWindow(UINT command, const wchar_t* caption, const std::wstring& schema,
                          const std::wstring& name, DWORD timeoutMs) const
    {
        HWND dlg = OpenObjectsDialog(command, caption, {{schema, name}}, timeoutMs);
        if (!dlg)
            return nullptr;
        // Taken while the dialog is up: a window an earlier step opened is there by now.
        const std::vector<HWND> before = Children();
        Click(dlg, IDOK);
        return WaitForNewGrid(before, timeoutMs);
    }

    // True once no wait dialog is up and the main window takes input again (a job ended).
    bool WaitUntilIdle(DWORD timeoutMs = 30000) const
    {
        return WaitFor(
            [&] { return FindDialog(L"Please wait...") == nullptr && IsWindowEnabled(m_main); },
            timeoutMs);
    }

    // Waits until the program has handled the messages posted to it so far (commands, keys,
    // timers), also those a job's wait dialog holds back until the job ends: Help > About,
    // posted behind them, opens its box only then, and the box is closed again. For the
    // checks that nothing happened; not while a modal window is up, whose loop would run the
    // About command at once.
    bool Settle(DWORD timeoutMs = 30000) const
    {
        const UINT kAppAbout = 0xE140;
        const HWND about = PostCommandForDialog(kAppAbout, L"About Quenlark", timeoutMs);
        if (!about)
            return false;
        Click(about, IDOK);
        return WaitFor([&] { return !IsWindow(about); }, timeoutMs);
    }

    // Waits until the thread of a window that runs a loop of its own (a modal dialog, the wait
    // dialog of a job, where Settle cannot reach) has handled what was posted to it so far, and
    // what that handling posted in turn. A marker goes behind them: WM_SETREDRAW on a visible
    // child clears its visible style and sets it again, with nothing repainted, so the test
    // sees when the marker's turn came. For the checks that nothing happened.
    static bool WaitUntilPostedHandled(HWND visibleChild, DWORD timeoutMs = 20000)
    {
        auto visible = [&] { return (GetWindowLongW(visibleChild, GWL_STYLE) & WS_VISIBLE) != 0; };
        if (!IsWindow(visibleChild) || !visible())
            return false;
        for (int round = 0; round < 2; ++round)
        {
            if (!PostMessageW(visibleChild, WM_SETREDRAW, FALSE, 0) ||
                !WaitFor([&] { return !IsWindow(visibleChild) || !visible(); }, timeoutMs))
                return false;
            if (!PostMessageW(visibleChild, WM_SETREDRAW, TRUE, 0) ||
                !WaitFor([&] { return !IsWindow(visibleChild) || visible(); }, timeoutMs))
                return false;
        }
        return IsWindow(visibleChild) != FALSE;
    }

    // Waits for the rows pane to count rows: the active grid window has read its first rows.
    // Any grid window already open satisfies it; a window still to come is waited for with
    // WaitForNewGrid.
    bool WaitForGrid(DWORD timeoutMs = 20000) const
    {
        return WaitFor([&] { return StatusPaneText(1).find(L"Rows") != std::wstring::npos; },
                       timeoutMs);
    }

    // Fills in the system's save dialog and presses Save: the file type (0-based index in the
    // filter) first, since choosing a type may rewrite the name's extension, then the name.
    static void ChooseSaveFile(HWND save, const std::wstring& path, int type)
    {
        const int kFileName = 0x47C, kFileType = 0x470;
        // The dialog fills its controls after it shows.
        WaitFor([&] { return SendMessageW(GetDlgItem(save, kFileType), CB_GETCOUNT, 0, 0) > 0; },
                5000);
        HWND types = GetDlgItem(save, kFileType);
        SendMessageW(types, CB_SETCURSEL, type, 0);
        // The dialog takes the type on CBN_SELENDOK (Wine) or CBN_SELCHANGE (Windows).
        SendMessageW(save, WM_COMMAND, MAKEWPARAM(kFileType, CBN_SELENDOK), (LPARAM)types);
        SendMessageW(save, WM_COMMAND, MAKEWPARAM(kFileType, CBN_SELCHANGE), (LPARAM)types);
        SetText(save, kFileName, path);
        Click(save, IDOK);
    }

    // The same with the file type named by the start of its filter text ("SQL script").
    static bool ChooseSaveFile(HWND save, const std::wstring& path, const std::wstring& type)
    {
        const int kFileType = 0x470;
        HWND types = GetDlgItem(save, kFileType);
        int index = -1;
        WaitFor(
            [&] {
                const int count = (int)SendMessageW(types, CB_GETCOUNT, 0, 0);
                for (int i = 0; i < count && index < 0; ++i)
                {
                    // CB_GETLBTEXT is copied between processes like WM_GETTEXT.
                    std::vector<wchar_t> text((size_t)SendMessageW(types, CB_GETLBTEXTLEN, i, 0) +
                                              2);
                    SendMessageW(types, CB_GETLBTEXT, i, (LPARAM)text.data());
                    if (std::wstring(text.data()).rfind(type, 0) == 0)
                        index = i;
                }
                return index >= 0;
            },
            5000);
        if (index < 0)
            return false;
        ChooseSaveFile(save, path, index);
        return true;
    }

    // The bytes of a file the program has finished writing: its writers hold their files
    // open without sharing, so the file reads as empty until it is closed. Empty when it is
    // not readable within the time.
    static std::string WaitForClosedFile(const std::wstring& path, DWORD timeoutMs = 30000)
    {
        std::string bytes;
        WaitFor([&] { return !(bytes = ReadFileBytes(path)).empty(); }, timeoutMs);
        return bytes;
    }

    // Sets the INSERT script options dialog ("Save As SQL Script"): separator ";", the target
    // (0 Oracle ... 4 PostgreSQL), the encoding (0 ANSI, 1 Unicode, 2 UTF-8) and whether names
    // carry their schema; then presses OK.
    static void ChooseInsertScriptOptions(HWND options, int target, int encoding, bool schema)
    {
        SendMessageW(GetDlgItem(options, 1020), CB_SETCURSEL, 1, 0);
        SendMessageW(GetDlgItem(options, 1094), CB_SETCURSEL, target, 0);
        SendMessageW(GetDlgItem(options, 1179), CB_SETCURSEL, encoding, 0);
        SendMessageW(GetDlgItem(options, 1101), BM_SETCHECK, schema ? BST_CHECKED : BST_UNCHECKED,
                     0);
        Click(options, IDOK);
    }

    // Presses Cancel on the wait dialog and answers Yes to its question. False when there was
    // no wait dialog or no question.
    bool CancelWaitDialog(DWORD timeoutMs = 20000) const
    {
        HWND wait = WaitForDialog(L"Please wait...", timeoutMs);
        if (!wait || !IsVisible(wait, IDCANCEL))
            return false;
        Click(wait, IDCANCEL);
        HWND question = nullptr;
        WaitFor(
            [&] {
                question = FindMessageBox();
                return question != nullptr &&
                       MessageBoxText(question).find(L"stop") != std::wstring::npos;
            },
            timeoutMs);
        if (!question)
            return false;
        Click(question, IDYES);
        return true;
    }

    // The text of one list-view cell.
    std::wstring ListItemText(HWND list, int row, int column = 0) const
    {
        CRemoteBuffer remote(m_process, sizeof(LVITEMW) + 1024 * sizeof(wchar_t));
        if (!remote.address)
            return std::wstring();
        LVITEMW item{};
        item.iSubItem = column;
        item.cchTextMax = 1024;
        item.pszText = reinterpret_cast<LPWSTR>(remote.At(sizeof(LVITEMW)));
        remote.Write(0, &item, sizeof(item));
        SendMessageW(list, LVM_GETITEMTEXTW, row, (LPARAM)remote.address);
        return remote.ReadText(sizeof(LVITEMW), 1024);
    }
    // The first row whose column 0 holds exactly the text (and column 1 the second text, when
    // given), or -1. The list searches itself (LVM_FINDITEM, which ignores case), so this stays
    // quick on lists of thousands of rows, such as every function of a server.
    int FindListText(HWND list, const std::wstring& text, const wchar_t* second = nullptr) const
    {
        const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
        CRemoteBuffer remote(m_process, sizeof(LVFINDINFOW) + bytes);
        if (!remote.address)
            return -1;
        remote.Write(sizeof(LVFINDINFOW), text.c_str(), bytes);
        LVFINDINFOW find{};
        find.flags = LVFI_STRING;
        find.psz = reinterpret_cast<LPCWSTR>(remote.At(sizeof(LVFINDINFOW)));
        remote.Write(0, &find, sizeof(find));
        for (int from = -1;;)
        {
            const int row = (int)SendMessageW(list, LVM_FINDITEMW, from, (LPARAM)remote.address);
            if (row < 0 || row <= from)
                return -1;
            if (ListItemText(list, row) == text &&
                (!second || ListItemText(list, row, 1) == second))
                return row;
            from = row;
        }
    }

    // Makes these rows the only selected ones (the first is focused last, so it leads).
    void SelectListRows(HWND list, const std::vector<int>& rows) const
    {
        SelectListItem(list, -1, false);
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            SelectListItem(list, *it);
    }

    // Gives a parameter of the procedure parameters list its value the way a user does: Space
    // opens the in-place editor (control 1000 with its edit 2) on the selected row, the text
    // replaces the editor's text as typing or pasting would (within the editor's length limit)
    // and Enter ends the edit.
    // The edit is made again when the row does not show the value afterwards: an edit that
    // ended on its old text (seen on a loaded machine after its Enter keys went unanswered)
    // would call the procedure silently with the previous call's value.
    bool EditParamValue(HWND list, int row, const std::wstring& value) const
    {
        const int kValueColumn = 3;
        for (int round = 0; round < 3; ++round)
        {
            if (!EditParamValueOnce(list, row, value))
                return false;
            // The list gives at most 1023 characters of a longer value.
            const std::wstring shown = ListItemText(list, row, kValueColumn);
            if (shown == value || (shown.size() >= 1023 && value.rfind(shown, 0) == 0))
                return true;
        }
        return false;
    }
    bool EditParamValueOnce(HWND list, int row, const std::wstring& value) const
    {
        HWND editor = OpenParamValueEditor(list, row);
        if (!editor)
            return false;
        HWND edit = GetDlgItem(editor, 2);
        // EM_REPLACESEL obeys the limit, WM_SETTEXT would not; both are copied between
        // processes by the system.
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, EM_REPLACESEL, TRUE, (LPARAM)value.c_str());
        return EndParamValueEdit(list, edit);
    }
    // Opens the value editor of a row of the Parameters dialog's list (Space); the editor, or
    // null when it did not open.
    HWND OpenParamValueEditor(HWND list, int row) const
    {
        SelectListRows(list, {row});
        // A key posted while the dialog still settles can be lost: press again (a second press
        // is ignored once an editor is open).
        HWND editor = nullptr;
        // The editor counts once its edit is there too: text given to it earlier goes nowhere.
        for (int attempt = 0; attempt < 3 && !editor; ++attempt)
        {
            PressKey(list, VK_SPACE);
            WaitFor(
                [&] {
                    editor = GetDlgItem(list, 1000);
                    return editor != nullptr && GetDlgItem(editor, 2) != nullptr;
                },
                5000);
            if (editor && !GetDlgItem(editor, 2))
                editor = nullptr;
        }
        return editor;
    }
    // Ends the edit of a value in the Parameters dialog's list, keeping the text.
    bool EndParamValueEdit(HWND list, HWND edit) const
    {
        // Enter ends the edit; pressed again should the first press be lost as well. Posted
        // keys are now and then lost after earlier scenarios on a loaded machine; moving the
        // focus to the dialog's OK button ends the edit the same way (focus loss keeps the
        // text, as Enter does).
        for (int attempt = 0; attempt < 2; ++attempt)
        {
            PressKey(edit, VK_RETURN);
            if (WaitFor([&] { return GetDlgItem(list, 1000) == nullptr; }, 3000))
                return true;
        }
        HWND dialog = GetParent(list);
        SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDOK), TRUE);
        return WaitFor([&] { return GetDlgItem(list, 1000) == nullptr; }, 5000);
    }

    // Picks the procedure by name in the Stored procedures dialog (Query > Stored Procedures...)
    // and presses OK; false when the dialog or the row is not there.
    bool PickProcedure(const std::wstring& name) const
    {
        const UINT kQueryProcedures = 32829;
        HWND dlg = PostCommandForDialog(kQueryProcedures, L"Stored procedures");
        if (!dlg)
            return false;
        HWND list = Item(dlg, 1055);
        const int row = FindListText(list, name);
        if (row < 0)
            return false;
        SelectListRows(list, {row});
        Click(dlg, IDOK);
        return true;
    }

    // The Parameters dialog of the procedure picked by name, or null.
    HWND OpenProcedureParameters(const std::wstring& name) const
    {
        return PickProcedure(name) ? WaitForDialog(L"Parameters") : nullptr;
    }

    // Runs a procedure from the Stored procedures dialog (Query > Stored Procedures...): picks
    // the row by name, gives the inputs in list order (when it has any), OK. Returns the message box that follows
    // ("Executed OK." or the reason of a refusal), or null.
    HWND CallProcedure(const std::wstring& name, const std::vector<std::wstring>& inputs) const
    {
        // Without inputs the call runs at once, without the Parameters dialog.
        if (inputs.empty())
            return PickProcedure(name) ? WaitForMessageBox() : nullptr;
        HWND params = OpenProcedureParameters(name);
        if (!params)
            return nullptr;
        HWND plist = Item(params, 1054);
        for (size_t i = 0; i < inputs.size(); ++i)
            if (!EditParamValue(plist, static_cast<int>(i), inputs[i]))
                return nullptr;
        Click(params, IDOK);
        return WaitForMessageBox();
    }

    // A visible dialog of this process with this caption, found without sending it a message:
    // for a program whose window thread is busy (a statement waiting for a lock) and would
    // not answer.
    HWND FindDialogQuietly(const std::wstring& caption) const
    {
        struct Search
        {
            const CProgram* self;
            const std::wstring* caption;
            HWND found = nullptr;
        } search{this, &caption};
        EnumWindows(
            [](HWND wnd, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                wchar_t text[256] = {};
                // For another process's window the text comes from the system, not a message.
                GetWindowTextW(wnd, text, 256);
                if (s->self->IsOwn(wnd) && IsWindowVisible(wnd) && ClassName(wnd) == L"#32770" &&
                    *s->caption == text)
                {
                    s->found = wnd;
                    return FALSE;
                }
                return TRUE;
            },
            (LPARAM)&search);
        return search.found;
    }

    // Asks the main window to close and waits for the process to end.
    bool Close(DWORD timeoutMs = 30000)
    {
        if (m_main)
            PostMessageW(m_main, WM_CLOSE, 0, 0);
        return WaitForExit(timeoutMs);
    }
    bool WaitForExit(DWORD timeoutMs = 30000)
    {
        if (!m_process)
            return true;
        return WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
    }
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        if (m_process)
            GetExitCodeProcess(m_process, &code);
        return code;
    }
    void Kill()
    {
        if (!m_process)
            return;
        if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT)
        {
            TerminateProcess(m_process, 1);
            // On a loaded machine the end can take longer: the next start waits for the rest.
            if (WaitForSingleObject(m_process, 5000) == WAIT_TIMEOUT)
            {
                EndingInstances().push_back(m_process);
                m_process = nullptr;
            }
        }
        if (m_process)
            CloseHandle(m_process);
        m_process = nullptr;
        m_main = nullptr;
    }

private:
    // Processes of the program that were told to end and had not ended yet.
    static std::vector<HANDLE>& EndingInstances()
    {
        static std::vector<HANDLE> handles;
        return handles;
    }
    static void WaitForEndedInstances()
    {
        for (HANDLE process : EndingInstances())
        {
            if (WaitForSingleObject(process, 60000) == WAIT_TIMEOUT)
            {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 60000);
            }
            CloseHandle(process);
        }
        EndingInstances().clear();
    }

    // Without a window manager (bare Xvfb) Wine waits two seconds for one to withdraw every
    // managed top-level window that is hidden or destroyed: each dialog the tests close would
    // cost that. The program's windows need no management here; Wine reads the setting when
    // the process starts.
    static void UnmanagedWindows()
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER,
                            L"Software\\Wine\\AppDefaults\\Quenlark.exe\\X11 Driver", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS)
        {
            RegSetValueExW(key, L"Managed", 0, REG_SZ, (const BYTE*)L"N", 2 * sizeof(wchar_t));
            RegCloseKey(key);
        }
    }

    // Memory in the program for the messages whose records hold pointers.
    struct CRemoteBuffer
    {
        HANDLE process;
        BYTE* address = nullptr;
        CRemoteBuffer(HANDLE p, SIZE_T size) : process(p)
        {
            address = static_cast<BYTE*>(
                VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        }
        ~CRemoteBuffer()
        {
            if (address)
                VirtualFreeEx(process, address, 0, MEM_RELEASE);
        }
        BYTE* At(SIZE_T offset) const { return address + offset; }
        void Write(SIZE_T offset, const void* data, SIZE_T size) const
        {
            WriteProcessMemory(process, address + offset, data, size, nullptr);
        }
        std::wstring ReadText(SIZE_T offset, SIZE_T maxChars) const
        {
            std::vector<wchar_t> text(maxChars + 1);
            ReadProcessMemory(process, address + offset, text.data(), maxChars * sizeof(wchar_t),
                              nullptr);
            text[maxChars] = 0;
            return text.data();
        }
    };

    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
    HWND m_main = nullptr;
    std::wstring m_startFailure; // why the last Start returned false
};

// The text without the blanks at its ends (status panes pad theirs).
inline std::wstring Trimmed(std::wstring text)
{
    while (!text.empty() && text.back() == L' ')
        text.pop_back();
    while (!text.empty() && text.front() == L' ')
        text.erase(text.begin());
    return text;
}

// ---- Grid windows -----------------------------------------------------------------------------

// The grid of a grid window.
inline HWND GridOf(HWND child)
{
    return child ? GetDlgItem(child, 0xE900) : nullptr;
}

// Opens a table through Query > Tables (Ctrl+T) and returns its grid window once it is the
// active one, or null.
inline HWND OpenTable(CProgram& program, const std::wstring& schema, const std::wstring& name)
{
    return program.OpenTableWindow(schema, name);
}

// Runs a statement through Query > SQL Query (Ctrl+Q), or with plan set shows its plan; false
// when the dialog did not come.
inline bool RunQuery(CProgram& program, const std::wstring& sql, bool plan = false)
{
    HWND dlg = program.PostCommandForDialog(ID_QUERY_SQL, L"Execute SQL");
    if (dlg == nullptr)
        return false;
    CProgram::SetText(dlg, IDC_SQL_EDITOR, sql);
    if (plan)
    {
        const int kPlanBox = 1141;
        if (!WaitFor([&] { return CProgram::IsEnabled(dlg, kPlanBox); }, 5000))
            return false;
        SendMessageW(CProgram::Item(dlg, kPlanBox), BM_SETCHECK, BST_CHECKED, 0);
    }
    CProgram::Click(dlg, IDOK);
    return true;
}

// The text "Query > Show SQL Query..." shows for the active grid window (line ends as "\n").
inline std::wstring ShownSQL(CProgram& program)
{
    HWND dlg = program.PostCommandForDialog(ID_QUERY_SHOW_SQL, L"SQL Query");
    if (dlg == nullptr)
        return L"<no SQL Query dialog>";
    std::wstring text = CProgram::Text(dlg, IDC_SQL_EDITOR);
    for (size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;)
        text.replace(at, 2, L"\n");
    CProgram::Click(dlg, IDOK);
    WaitFor([&] { return !IsWindow(dlg); });
    return text;
}

// Adds one condition in the Filter dialog: Add, then column, operation, value (or NULL) and
// logic chosen in the row's cells.
inline bool AddFilterCondition(CProgram& program, HWND dlg, const std::wstring& column,
                               const std::wstring& operation, const std::wstring& value,
                               const std::wstring& logic = L"AND", bool null = false)
{
    HWND list = CProgram::Item(dlg, IDC_ITEM_LIST);
    CProgram::Click(dlg, IDC_FILTER_ADD);
    return program.ChooseInPlaceEntry(list, column) &&
           program.ChooseInPlaceEntry(list, operation) &&
           CProgram::SetInPlaceValue(list, value, null) &&
           program.ChooseInPlaceEntry(list, logic, VK_RETURN);
}

} // namespace ql
