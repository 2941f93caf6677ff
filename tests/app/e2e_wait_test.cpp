// End to end: a slow connect runs behind the wait dialog, which offers no Cancel here (the
// driver manager cannot cancel a connect) and ignores Esc and Close; the main window is
// disabled meanwhile and works again afterwards.
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

namespace {

class WaitTest : public ::testing::Test
{
protected:
    void SetUp() override { ql::CleanSettings(); }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    ql::CProgram program;
};

TEST_F(WaitTest, SlowConnectShowsTheWaitDialogWithoutCancel)
{
    ql::WriteRegString(L"Grid lines", L"Yes");
    ql::WriteRegString(L"Connect DB at startup", L"Yes");
    ql::WriteRegString(L"CancelExec", L"Yes"); // even so: nothing can cancel a connect here
    // The connect lasts until the test has seen what it shows: no clock decides.
    QlTestDb::ConnectHold hold;
    ql::WriteRegString(L"ConnectString0",
                       L"Driver=QuenlarkFake;DBMS=PostgreSQL;" + std::wstring(hold.Connect()),
                       L"ConnectStrings");
    ASSERT_TRUE(program.Start());
    const HWND dlg = program.WaitForDialog(L"Please wait...");
    ASSERT_NE(dlg, nullptr);
    // The dialog shows before its text is set.
    EXPECT_TRUE(
        ql::WaitFor([&] { return ql::CProgram::Text(dlg, 1088) == L"Connecting to database..."; }));
    EXPECT_FALSE(ql::CProgram::IsVisible(dlg, IDCANCEL));
    EXPECT_FALSE(IsWindowEnabled(program.MainWindow()));

    ql::CProgram::PressKey(dlg, VK_ESCAPE);
    PostMessageW(dlg, WM_CLOSE, 0, 0);
    PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    // The dialog has handled all three, and what they posted in turn, and is still there.
    EXPECT_TRUE(ql::CProgram::WaitUntilPostedHandled(GetDlgItem(dlg, 1088)));
    EXPECT_TRUE(IsWindow(dlg) && IsWindowVisible(dlg));

    // Once the connect ends the dialog goes and the main window is usable again.
    hold.Release();
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }, 20000));
    EXPECT_TRUE(ql::WaitFor([&] { return IsWindowEnabled(program.MainWindow()) != FALSE; }));
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

} // namespace
