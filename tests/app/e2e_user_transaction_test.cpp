// End to end on PostgreSQL and MariaDB: a transaction the user opens with a statement of their
// own (BEGIN, START TRANSACTION) is the connection's transaction. The drivers go on reporting
// autocommit on, so without care a row saved afterwards would be rolled back when the program
// disconnects, without a question. Here "TRANS" shows, closing asks, and Commit keeps the row.
#include "tests/app/e2e_scratch_database.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

class UserTransactionE2E : public ::testing::TestWithParam<CScratchDatabase::Server>
{
protected:
    UserTransactionE2E() : m_db(GetParam()) {}
    void SetUp() override
    {
        ql::CleanSettings();
        ASSERT_TRUE(m_db.Create());
        m_db.Exec(GetParam() == CScratchDatabase::mariadb
                      ? L"CREATE TABLE kept (id int PRIMARY KEY) ENGINE=InnoDB"
                      : L"CREATE TABLE kept (id int PRIMARY KEY)");
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    void Run(const std::wstring& sql)
    {
        program.PostCommand(ID_QUERY_SQL);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        ASSERT_NE(dlg, nullptr);
        ql::CProgram::SetText(dlg, 1001, sql);
        ql::CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
        ASSERT_TRUE(program.Settle()) << program.Describe();
        program.TakeMessageBox(200); // "Executed OK." where the program shows it
    }
    bool TransPaneShows() const
    {
        for (int pane = 0; pane < 8; ++pane)
            if (program.StatusPaneText(pane) == L"TRANS")
                return true;
        return false;
    }

    CScratchDatabase m_db;
    ql::CProgram program;
};

TEST_P(UserTransactionE2E, BeginOfTheUsersIsAskedAboutAtClose)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    for (const wchar_t* begin : {L"BEGIN", L"START TRANSACTION"})
    {
        ASSERT_NO_FATAL_FAILURE(Run(begin));
        EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(Run(begin == std::wstring(L"BEGIN")
                                        ? L"INSERT INTO kept VALUES (1)"
                                        : L"INSERT INTO kept VALUES (2)"));
        program.PostCommand(ID_DB_END_TRANS);
        HWND dlg = program.WaitForDialog(L"End Transaction");
        ASSERT_NE(dlg, nullptr) << "no transaction after " << QlConnTest::Narrow(begin);
        ql::CProgram::Click(dlg, begin == std::wstring(L"BEGIN") ? IDC_COMMIT : IDC_ROLLBACK);
        EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    }
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM kept"), L"1");
    EXPECT_EQ(m_db.Query(L"SELECT max(id) FROM kept"), L"1");

    // Left open, the close asks first.
    ASSERT_NO_FATAL_FAILURE(Run(L"BEGIN"));
    ASSERT_NO_FATAL_FAILURE(Run(L"INSERT INTO kept VALUES (3)"));
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    HWND dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr) << program.Describe();
    ql::CProgram::Click(dlg, IDC_COMMIT);
    EXPECT_TRUE(program.WaitForExit(20000)) << program.Describe();
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM kept"), L"2");
}

INSTANTIATE_TEST_SUITE_P(Servers, UserTransactionE2E,
                         ::testing::Values(CScratchDatabase::postgres, CScratchDatabase::mariadb),
                         [](const auto& info) {
                             return std::string(info.param == CScratchDatabase::postgres
                                                    ? "PostgreSQL"
                                                    : "MariaDB");
                         });

} // namespace
