// A test fixture that drives the program on a database of the test's own: clean settings before
// and after, the database created before the test body and the program ended before the
// database is dropped. TBase is ::testing::Test or a ::testing::TestWithParam.
#pragma once

#include "tests/app/e2e_scratch_database.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <string>

template <class TBase = ::testing::Test>
class CScratchProgramTest : public TBase
{
protected:
    explicit CScratchProgramTest(CScratchDatabase::Server server) : m_db(server) {}
    void SetUp() override
    {
        ql::CleanSettings();
        ASSERT_TRUE(m_db.Create());
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    // Runs a statement on the test's own connection; a refusal fails the test with the reason.
    void Exec(const std::wstring& sql)
    {
        auto e = QlConnTest::Catch([&] { m_db.Exec(sql.c_str()); });
        ASSERT_FALSE(e) << QlConnTest::Narrow(sql.c_str()) << ": "
                        << QlConnTest::Narrow(e->m_strError);
    }

    CScratchDatabase m_db;
    ql::CProgram program;
};
