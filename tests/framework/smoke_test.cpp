#include <gtest/gtest.h>
#include <windows.h>

TEST(Harness, RunsUnderWindows)
{
    OSVERSIONINFOW vi = {sizeof(vi)};
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
}
