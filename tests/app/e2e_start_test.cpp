// End to end: the program's first start, its settings at exit, and a saved placement.
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

namespace {

class StartTest : public ::testing::Test
{
protected:
    void SetUp() override { ql::CleanSettings(); }
    void TearDown() override { ql::CleanSettings(); }
    ql::CProgram program;
};

TEST_F(StartTest, FirstStartShowsReadyAndSavesDefaultsAtExit)
{
    ASSERT_TRUE(program.Start()) << "no visible window of class \"Quenlark\"";
    EXPECT_EQ(program.Title(), L"Quenlark");
    EXPECT_TRUE(ql::WaitFor([&] { return program.StatusText() == L"Ready"; }))
        << "status: " << program.StatusText();

    ASSERT_TRUE(program.Close()) << "the program did not end after its main window was closed";
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(ql::RegString(L"Grid lines"), L"Yes");
    std::vector<BYTE> placement;
    ASSERT_TRUE(ql::ReadRegBinary(L"Window placement", placement));
    EXPECT_EQ(placement.size(), 44u);
}

TEST_F(StartTest, MinimisedPlacementComesBackAsNormalWindowAtItsPosition)
{
    // "Grid lines" makes the user key the one that is read.
    ql::WriteRegString(L"Grid lines", L"Yes");
    WINDOWPLACEMENT saved = {sizeof(saved)};
    saved.showCmd = SW_SHOWMINIMIZED;
    saved.rcNormalPosition = {40, 50, 640, 500};
    ql::WriteRegValue(L"Window placement", REG_BINARY, &saved, sizeof(saved));

    ASSERT_TRUE(program.Start());
    EXPECT_FALSE(IsIconic(program.MainWindow()));
    WINDOWPLACEMENT now = {sizeof(now)};
    GetWindowPlacement(program.MainWindow(), &now);
    EXPECT_EQ(now.showCmd, (UINT)SW_SHOWNORMAL);
    EXPECT_EQ(now.rcNormalPosition.left, 40);
    EXPECT_EQ(now.rcNormalPosition.top, 50);
    EXPECT_EQ(now.rcNormalPosition.right, 640);
    ASSERT_TRUE(program.Close());
}

} // namespace
