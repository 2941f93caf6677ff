// A test fixture that drives the program from clean settings ("Grid lines" set, so the program
// reads the user's key) and ends it and cleans the settings afterwards.
#pragma once

#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

class CProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        ql::WriteRegString(L"Grid lines", L"Yes");
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    // The MDI child windows of the program's main window.
    static int ChildWindows(HWND mainWindow)
    {
        HWND client = FindWindowExW(mainWindow, nullptr, L"MDIClient", nullptr);
        int count = 0;
        for (HWND child = GetWindow(client, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    }

    ql::CProgram program;
};
