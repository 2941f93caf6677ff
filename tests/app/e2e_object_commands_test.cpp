// End to end: Begin Transaction turns autocommit off; End Transaction asks first, and Cancel
// leaves the transaction open while Commit ends it (the fake driver logs the commit). Query >
// Constraints... lists the whole database where the product has constraints, and is off where
// it has none.
#include "tests/dbaccess/test_databases.h"
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class ObjectCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override { ql::CleanSettings(); }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    // How often the driver was asked to commit.
    int Commits() const { return m_log.Count(L"\nCOMMIT"); }
    ql::CProgram program;
    QlTestDb::FakeLog m_log;
};

TEST_F(ObjectCommandsTest, CancelKeepsTheTransactionAndCommitEndsIt)
{
    ql::WriteRegString(L"Grid lines", L"Yes");
    ql::WriteRegString(L"Connect DB at startup", L"Yes");
    ql::WriteRegString(L"ConnectString0", m_log.Connect(L"PostgreSQL").GetString(),
                       L"ConnectStrings");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(ql::WaitFor([&] { return m_log.Read().Find(L"CONNECT") >= 0; }));
    ASSERT_TRUE(ql::WaitFor([&] { return IsWindowEnabled(program.MainWindow()) != FALSE; }));

    program.PostCommand(ID_DB_BEGIN_TRANS);
    program.PostCommand(ID_DB_END_TRANS);
    HWND dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr) << "no question: the transaction did not begin";
    ql::CProgram::Click(dlg, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(Commits(), 0);

    // Still open: End Transaction asks again.
    program.PostCommand(ID_DB_END_TRANS);
    dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::Click(dlg, IDC_COMMIT);
    EXPECT_TRUE(ql::WaitFor([&] { return Commits() == 1; }));
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

TEST_F(ObjectCommandsTest, ConstraintsOfTheWholeDatabase)
{
    // The catalog's own constraints are not listed: the test brings a key of its own, since the
    // shared database may hold no other table.
    ql::CScratchDatabase db;
    db.Open(ql::kE2EPostgres);
    const std::wstring table = ql::CScratchDatabase::NewName(L"ql_e2e_whole_constraints_");
    db.CreateTable(table, L"id INTEGER PRIMARY KEY");
    ql::WriteRegString(L"Grid lines", L"Yes");
    ql::WriteRegString(L"Connect DB at startup", L"Yes");
    ql::WriteRegString(L"ConnectString0", QlTestDb::PostgresConnect().GetString(),
                       L"ConnectStrings");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(ql::WaitFor([&] { return program.Title() != L"Quenlark"; }));
    ASSERT_TRUE(ql::WaitFor([&] { return IsWindowEnabled(program.MainWindow()) != FALSE; }));
    program.PostCommand(ID_QUERY_CONSTRAINTS);
    const HWND dlg = program.WaitForDialog(L"Table Constraints");
    ASSERT_NE(dlg, nullptr);
    const auto items = program.ListItems(GetDlgItem(dlg, 1054));
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [&](const std::wstring& item) {
        return item.find(table) != std::wstring::npos;
    }));
    ql::CProgram::Click(dlg, IDCANCEL);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_TRUE(program.Close());
}

TEST_F(ObjectCommandsTest, NoConstraintsCommandWithoutProductConstraints)
{
    ql::WriteRegString(L"Grid lines", L"Yes");
    ql::WriteRegString(L"Connect DB at startup", L"Yes");
    ql::WriteRegString(L"ConnectString0", m_log.Connect(L"SQL Server").GetString(),
                       L"ConnectStrings");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(ql::WaitFor([&] { return m_log.Read().Find(L"CONNECT") >= 0; }));
    ASSERT_TRUE(ql::WaitFor([&] { return IsWindowEnabled(program.MainWindow()) != FALSE; }));
    program.PostCommand(ID_QUERY_CONSTRAINTS);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindDialog(L"Table Constraints"), nullptr);
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

} // namespace
