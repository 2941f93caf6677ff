// End to end: what the command line opens, a second instance, the connect at start-up, and ODBC
// tracing into a file.
#include "tests/dbaccess/test_databases.h"
#include "tests/app/e2e_program_test.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

const UINT kTraceOn = 32787;
const UINT kTraceOff = 32788;

std::string Narrow(const std::wstring& s)
{
    std::string out;
    for (wchar_t c : s)
        out += c < 128 ? (char)c : '?';
    return out;
}

int CountMainWindows()
{
    int count = 0;
    HWND wnd = nullptr;
    while ((wnd = FindWindowExW(nullptr, wnd, L"Quenlark", nullptr)) != nullptr)
        if (IsWindowVisible(wnd))
            ++count;
    return count;
}

class FilesTest : public CProgramTest
{
protected:
    void ConnectWith(const std::wstring& connect) { ASSERT_TRUE(program.ConnectWith(connect)); }

    // Types a path into the file dialog the program shows (by its caption) and presses OK.
    void ChooseFile(const std::wstring& path, const std::wstring& caption = L"Open")
    {
        HWND dlg = program.WaitForDialog(caption);
        ASSERT_NE(dlg, nullptr);
        HWND name = GetDlgItem(dlg, 0x47C); // the file name box of the explorer-style dialog
        if (name == nullptr)
            name = GetDlgItem(dlg, 0x480);
        ASSERT_NE(name, nullptr);
        SendMessageW(name, WM_SETTEXT, 0, (LPARAM)path.c_str());
        ql::CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    }
};

TEST_F(FilesTest, QuotedDatabaseFileOnTheCommandLineConnectsAndScriptsGoToTheRunningInstance)
{
    const std::wstring folder = ql::ScratchFolder(L"a b");
    const std::wstring database = folder + L"\\demo.mdb";
    ql::WriteFileBytes(database, "");
    ASSERT_TRUE(program.Start(L"\"" + database + L"\" extra"));
    EXPECT_TRUE(program.WaitForTitle(L"demo.mdb - Quenlark")) << Narrow(program.Title());
    ASSERT_EQ(CountMainWindows(), 1);

    // A script is handed to the running instance: the second process ends without a window.
    ql::WriteFileBytes(folder + L"\\query.sql", "SELECT 1;\r\n");
    ql::CProgram second;
    ASSERT_TRUE(second.Start(L"\"" + folder + L"\\query.sql\"", false));
    EXPECT_TRUE(second.WaitForExit(20000));
    EXPECT_EQ(CountMainWindows(), 1);
    HWND client = FindWindowExW(program.MainWindow(), nullptr, L"MDIClient", nullptr);
    EXPECT_TRUE(ql::WaitFor([&] { return GetWindow(client, GW_CHILD) != nullptr; }))
        << "the running instance opened no script window";

    // A database file starts a second instance of its own.
    ql::CProgram third;
    ASSERT_TRUE(third.Start(L"\"" + database + L"\""));
    EXPECT_TRUE(third.WaitForTitle(L"demo.mdb - Quenlark"));
    EXPECT_EQ(CountMainWindows(), 2);
    EXPECT_TRUE(third.Close());
    EXPECT_TRUE(program.Close());
}

TEST_F(FilesTest, TheMostRecentStringConnectsAtStartup)
{
    QlTestDb::TempSQLiteFile database;
    ql::WriteRegString(L"Connect DB at startup", L"Yes");
    ql::WriteRegString(L"ConnectString0", std::wstring((LPCWSTR)database.Connect()),
                       L"ConnectStrings");
    ASSERT_TRUE(program.Start()) << program.Describe();
    const std::wstring path = (LPCWSTR)database.Path();
    EXPECT_TRUE(program.WaitForTitle(path.substr(path.rfind(L'/') + 1) + L" - Quenlark"))
        << Narrow(program.Title());
    // SQLite completes the string to one without its driver ("DSN=;Database=..."), which could
    // not connect again: the seed stays the most recent string.
    EXPECT_EQ(ql::RegString(L"ConnectString0", L"ConnectStrings"), (LPCWSTR)database.Connect());
    EXPECT_FALSE(ql::RegValueExists(L"ConnectString1", L"ConnectStrings"));

    // Another instance started meanwhile does not connect.
    ql::WriteRegString(L"ConnectString0", L"Driver=QuenlarkFake;Server=second;", L"ConnectStrings");
    ql::CProgram second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.Settle());
    EXPECT_EQ(second.Title(), L"Quenlark");
    EXPECT_TRUE(second.Close());
    EXPECT_TRUE(program.Close());
}

TEST_F(FilesTest, TraceFillsTheFileUntilTracingIsTurnedOff)
{
    QlTestDb::TempSQLiteFile database;
    const CString traceUnix = QlTestDb::NewUnixTempPath(L"trace", L".log");
    const std::wstring trace = (LPCWSTR)QlTestDb::WindowsPathOf(traceUnix);
    ASSERT_TRUE(program.Start());
    ConnectWith(L"Driver=SQLite3;Database=" + std::wstring((LPCWSTR)database.Path()) +
                L";Server=trace;");
    ASSERT_TRUE(program.WaitForTitle(L"trace - Quenlark")) << Narrow(program.Title());

    // The trace file is written: it is named through the dialog for saving.
    program.PostCommand(kTraceOn);
    ChooseFile(trace, L"Save As");
    // A statement through Query > Execute SQL calls the driver: the trace grows.
    auto poke = [&] {
        program.PostCommand(ID_QUERY_SQL);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        ASSERT_NE(dlg, nullptr);
        ql::CProgram::SetText(dlg, 1001, L"CREATE TEMP TABLE IF NOT EXISTS poked (x)");
        ql::CProgram::Click(dlg, IDOK);
        EXPECT_EQ(program.TakeMessageBox().rfind(L"Executed OK.", 0), 0u);
    };
    EXPECT_TRUE(ql::WaitFor([&] {
        poke();
        return ql::FileSize(trace) > 0;
    })) << "no trace written";

    program.PostCommand(kTraceOff);
    ASSERT_TRUE(program.Settle());
    const LONGLONG size = ql::FileSize(trace);
    for (int i = 0; i < 3; ++i)
    {
        poke();
        ASSERT_TRUE(program.Settle());
    }
    EXPECT_EQ(ql::FileSize(trace), size) << "the trace grew after Trace Off";
    EXPECT_TRUE(program.Close());
    QlTestDb::RemoveUnixFile(traceUnix);
}

} // namespace
