// End to end: closing the program with an open transaction asks first, and Cancel keeps the
// program, its windows and the transaction; dropping several files at once is refused.
#include "tests/dbaccess/test_databases.h"
#include "tests/app/e2e_program_test.h"
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
