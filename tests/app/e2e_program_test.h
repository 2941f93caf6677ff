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

    ql::CProgram program;
};
