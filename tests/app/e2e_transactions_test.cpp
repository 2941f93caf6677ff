// End to end on PostgreSQL and MariaDB: the server drops the program's session in the middle of
// the user's work.
// - A transaction the user began is open: Commit fails with the server's reason and "Failed to
//   end transaction"; nothing of the transaction is in the table; the transaction is over (the
//   server rolled it back), so neither the "TRANS" pane nor the end-transaction question outlive
//   it and the program closes at the first asking.
// - Rows are being edited in a table's grid: the row saved before the loss stays saved, the row
//   saved after it is reported and never shown as saved, and the program reconnects.
// And a transaction the user opens with a statement of their own (BEGIN, START TRANSACTION) is
// the connection's transaction: the drivers go on reporting autocommit on, so without care a row
// saved afterwards would be rolled back at disconnect without a question. "TRANS" shows, closing
// asks, and Commit keeps the row.
#include "tests/app/e2e_scratch_database.h"
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class TransactionsE2E : public ::testing::TestWithParam<CScratchDatabase::Server>
{
protected:
    TransactionsE2E() : m_db(GetParam()) {}
    void SetUp() override
    {
        ql::CleanSettings();
        ASSERT_TRUE(m_db.Create());
        m_db.Exec(IsMariaDB() ? L"CREATE TABLE kept (id int PRIMARY KEY) ENGINE=InnoDB"
                              : L"CREATE TABLE kept (id int PRIMARY KEY)");
        m_db.Exec(L"CREATE TABLE edited (id int PRIMARY KEY, name varchar(20))");
        m_db.Exec(L"INSERT INTO edited VALUES (1, 'one'), (2, 'two'), (3, 'three')");
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    bool IsMariaDB() const { return GetParam() == CScratchDatabase::mariadb; }

    // Runs one statement through Query > Execute SQL.
    void Run(const std::wstring& sql)
    {
        program.PostCommand(ID_QUERY_SQL);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        ASSERT_NE(dlg, nullptr);
        ql::CProgram::SetText(dlg, 1001, sql);
        ql::CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
        ASSERT_TRUE(program.Settle()) << program.Describe();
        program.TakeMessageBox(500); // "Executed OK." or a row count, where the program shows one
    }

    // The program's sessions: every session on the scratch database but the test's own.
    CString OtherSessions(const wchar_t* column) const
    {
        return IsMariaDB()
                   ? CString(L"SELECT ") + column +
                         L" FROM information_schema.processlist WHERE db = '" + m_db.Name() +
                         L"' AND id <> CONNECTION_ID()"
                   : CString(L"SELECT ") + column + L" FROM pg_stat_activity WHERE datname = '" +
                         m_db.Name() + L"' AND pid <> pg_backend_pid()";
    }
    void KillProgramSession()
    {
        if (IsMariaDB())
        {
            const CString id = m_db.Query(OtherSessions(L"id"));
            ASSERT_FALSE(id.IsEmpty());
            m_db.Exec(L"KILL CONNECTION " + id);
        }
        else
            m_db.Query(OtherSessions(L"pg_terminate_backend(pid)"));
        ASSERT_TRUE(ql::WaitFor([&] { return m_db.Query(OtherSessions(L"count(*)")) == L"0"; }));
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

TEST_P(TransactionsE2E, CommitAfterTheSessionWasKilledTellsAndEndsTheTransaction)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    program.PostCommand(ID_DB_BEGIN_TRANS);
    ASSERT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
    ASSERT_NO_FATAL_FAILURE(Run(L"INSERT INTO kept VALUES (1)"));
    ASSERT_NO_FATAL_FAILURE(KillProgramSession());

    program.PostCommand(ID_DB_END_TRANS);
    HWND dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::Click(dlg, IDC_COMMIT);
    // The server's reason, then the program's own word.
    std::vector<std::wstring> boxes;
    for (std::wstring box; boxes.size() < 3 && !(box = program.TakeMessageBox(10000)).empty();)
    {
        boxes.push_back(box);
        if (box == L"Failed to end transaction")
            break;
    }
    ASSERT_FALSE(boxes.empty()) << "the failed commit is reported";
    EXPECT_EQ(boxes.back(), L"Failed to end transaction");
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0");

    // The transaction went with the session: nothing is left to end.
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(20000)) << "a question stops the close: " << program.Describe();
}

TEST_P(TransactionsE2E, GridEditsBeforeAndAfterTheLoss)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND child = ql::OpenTable(program, IsMariaDB() ? L"" : L"public", L"edited");
    ASSERT_NE(child, nullptr) << program.Describe();
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 3; }));
    // Edits the name of the row with the id; the grid may hold the rows in any order.
    auto edit = [&](const std::wstring& id, const std::wstring& text) {
        const auto ids = program.ListItems(grid, 0);
        const int row = static_cast<int>(std::find(ids.begin(), ids.end(), id) - ids.begin());
        ASSERT_LT(row, static_cast<int>(ids.size()));
        ASSERT_TRUE(program.ClickListCell(grid, row, 1));
        ql::CProgram::PressKey(grid, VK_SPACE);
        ASSERT_TRUE(ql::CProgram::SetInPlaceValue(grid, text, false, VK_RETURN));
        ql::CProgram::PressKey(grid, VK_RETURN);
    };
    auto stored = [&](const wchar_t* id) {
        return m_db.Query(CString(L"SELECT name FROM edited WHERE id = ") + id);
    };
    ASSERT_NO_FATAL_FAILURE(edit(L"1", L"uno"));
    ASSERT_TRUE(ql::WaitFor([&] { return stored(L"1") == L"uno"; })) << program.Describe();
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    ASSERT_NO_FATAL_FAILURE(KillProgramSession());

    ASSERT_NO_FATAL_FAILURE(edit(L"2", L"dos"));
    EXPECT_NE(program.TakeMessageBox(10000), L"") << "the lost save is reported";
    EXPECT_EQ(stored(L"2"), L"two");
    EXPECT_EQ(stored(L"1"), L"uno");
    // The failed row stays an edit of the user's, not a saved row: Escape takes it back.
    ql::CProgram::PressKey(grid, VK_ESCAPE);
    EXPECT_TRUE(ql::WaitFor([&] {
        return ql::Sorted(program.ListItems(grid, 1)) ==
               std::vector<std::wstring>{L"three", L"two", L"uno"};
    }));
    EXPECT_TRUE(program.Close()) << program.Describe();
}

TEST_P(TransactionsE2E, BeginOfTheUsersIsAskedAboutAtClose)
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

INSTANTIATE_TEST_SUITE_P(Servers, TransactionsE2E,
                         ::testing::Values(CScratchDatabase::postgres, CScratchDatabase::mariadb),
                         [](const auto& info) {
                             return std::string(info.param == CScratchDatabase::postgres
                                                    ? "PostgreSQL"
                                                    : "MariaDB");
                         });

} // namespace
