// End to end: closing the program with an open transaction asks first, and Cancel keeps the
// program, its windows and the transaction; a changed script is asked about with its window in
// front, before any window closes; dropping several files at once is refused.
#include "tests/dbaccess/test_databases.h"
#include "tests/app/e2e_program_test.h"
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include "framework/command_ids.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

class CloseTest : public CProgramTest
{
protected:
    QlTestDb::FakeLog log;
};

TEST_F(CloseTest, OpenTransactionIsAskedAboutBeforeAnyWindowCloses)
{
    ql::WriteRegString(L"Connect DB at startup", L"Yes");
    ql::WriteRegString(L"ConnectString0",
                       (LPCWSTR)(log.Connect(L"PostgreSQL") + L"Server=closing;"),
                       L"ConnectStrings");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForTitle(L"closing - Quenlark"));
    program.PostCommand(ID_FILE_NEW);
    ASSERT_TRUE(ql::WaitFor([&] { return ChildWindows(program.MainWindow()) == 1; }));
    program.PostCommand(ID_DB_BEGIN_TRANS);

    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    HWND dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::Click(dlg, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    ASSERT_TRUE(program.Settle());
    EXPECT_TRUE(program.IsRunning());
    EXPECT_EQ(ChildWindows(program.MainWindow()), 1) << "the script window stays";
    EXPECT_EQ(program.Title().rfind(L"closing - Quenlark", 0), 0u) << "still connected";

    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr) << "the transaction is still open";
    ql::CProgram::Click(dlg, IDC_ROLLBACK);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_GE(log.Read().Find(L"ROLLBACK"), 0);
}

// An untitled changed script behind an unchanged one and a grid window: the question at exit
// shows with the script it is about in front, and Cancel keeps every window, the grid too.
TEST_F(CloseTest, AChangedScriptIsAskedAboutInFrontBeforeAnyWindowCloses)
{
    ql::CScratchDatabase db;
    db.Open(ql::kE2ESQLite);
    const std::wstring table = ql::CScratchDatabase::NewName(L"ql_e2e_close_");
    db.CreateTable(table, L"id INTEGER PRIMARY KEY");
    ASSERT_TRUE(program.StartConnected(db.Connect()));
    auto newScript = [&] {
        const HWND before = program.ActiveChild();
        program.PostCommand(ID_FILE_NEW);
        HWND child = nullptr;
        EXPECT_TRUE(ql::WaitFor([&] {
            child = program.ActiveChild();
            return child != nullptr && child != before && GetDlgItem(child, 0xE900) != nullptr;
        }));
        return child;
    };
    const HWND changed = newScript();
    ASSERT_NE(changed, nullptr);
    SendMessageW(GetDlgItem(changed, 0xE900), WM_SETTEXT, 0, (LPARAM)L"select 'unsaved';");
    SendMessageW(GetDlgItem(changed, 0xE900), EM_SETMODIFY, TRUE, 0);
    const HWND unchanged = newScript();
    ASSERT_NE(unchanged, nullptr);
    const HWND grid = ql::OpenTable(program, db.Schema(), table);
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(program.ActiveChild(), grid);

    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ql::CProgram::MessageBoxText(box), L"File has changed.\nSave it?");
    EXPECT_EQ(program.ActiveChild(), changed) << "the question's script is not in front";
    ql::CProgram::Click(box, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(box); }));
    ASSERT_TRUE(program.Settle());
    EXPECT_TRUE(program.IsRunning());
    EXPECT_TRUE(IsWindow(grid)) << "Cancel keeps the grid window";
    EXPECT_TRUE(IsWindow(changed) && IsWindow(unchanged));
    EXPECT_EQ(ChildWindows(program.MainWindow()), 3);

    // Window > Close All asks the same way; No closes everything and the program stays.
    program.PostCommand(ID_WINDOW_CLOSE_ALL);
    box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(program.ActiveChild(), changed);
    ql::CProgram::Click(box, IDNO);
    EXPECT_TRUE(ql::WaitFor([&] { return ChildWindows(program.MainWindow()) == 0; }));
    EXPECT_TRUE(program.Close());
}

TEST_F(CloseTest, TwoDroppedFilesAreRefused)
{
    ASSERT_TRUE(program.Start());
    // A drop record as the shell builds it, in the program's memory.
    const wchar_t files[] = L"Z:\\tmp\\one.sql\0Z:\\tmp\\two.sql\0";
    DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    std::string record((const char*)&header, sizeof(header));
    record.append((const char*)files, sizeof(files));
    void* remote = VirtualAllocEx(program.Process(), nullptr, record.size(),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    WriteProcessMemory(program.Process(), remote, record.data(), record.size(), nullptr);
    PostMessageW(program.MainWindow(), WM_DROPFILES, (WPARAM)remote, 0);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ql::CProgram::MessageBoxText(box), L"Too many files");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ(ChildWindows(program.MainWindow()), 0);
    EXPECT_TRUE(program.Close());
}

} // namespace
