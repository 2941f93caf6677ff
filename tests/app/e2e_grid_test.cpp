// End to end: query results in grid windows of the real program, on the real databases: row
// counts in the status bar, the columns dialog, result windows that must not run a writing
// statement again, plans of several statements refused, and the script window's Find.
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

namespace {

class GridE2E : public ::testing::Test
{
protected:
    void SetUp() override { ql::CleanSettings(); }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
        if (m_db.IsOpen() && !m_table.IsEmpty())
            m_db.ExecuteSQL(L"DROP TABLE " + m_table);
    }
    // Creates the test table (a name of this run only) on the database and starts the program
    // connected to it.
    void StartOn(const CString& connect, LPCWSTR columns)
    {
        ASSERT_TRUE(m_db.Open(connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        m_table.Format(L"ql_e2e_grid_%ls", QlTestDb::UniqueTag().c_str());
        m_db.ExecuteSQL(L"CREATE TABLE " + m_table + L" (" + columns + L")");
        ql::WriteRegString(L"Grid lines", L"Yes"); // the user's key is read only when it has this
        ql::WriteRegString(L"Connect DB at startup", L"Yes");
        ql::WriteRegString(L"ConnectString0", std::wstring(connect.GetString()), L"ConnectStrings");
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(
            ql::WaitFor([&] { return program.Title().find(L" - ") != std::wstring::npos; }));
    }
    // Runs a query through Query > SQL Query (Ctrl+Q).
    void Query(const std::wstring& sql, bool bPlan = false)
    {
        ASSERT_TRUE(ql::RunQuery(program, sql, bPlan));
    }
    HWND WaitForGrid(const std::wstring& titleStart)
    {
        HWND child = nullptr;
        ql::WaitFor([&] {
            child = program.ActiveChild();
            return child != nullptr && ql::WindowText(child).rfind(titleStart, 0) == 0;
        });
        return child;
    }
    int Count() { return _wtoi(QlConnTest::QueryText(m_db, L"SELECT COUNT(*) FROM " + m_table)); }

    ql::CProgram program;
    CRDatabase m_db;
    CString m_table;
};

TEST_F(GridE2E, RowsPaneCountsAsRowsAreReadAndColumnsDialogMovesAtOnce)
{
    StartOn(QlTestDb::PostgresConnect(), L"id INTEGER, name VARCHAR(20), note VARCHAR(20)");
    m_db.ExecuteSQL(L"INSERT INTO " + m_table +
                    L" SELECT g, 'n' || g, NULL FROM generate_series(1, 1000) g");
    const std::wstring sql = L"SELECT * FROM " + std::wstring(m_table.GetString());
    Query(sql);
    HWND child = WaitForGrid(L"SELECT");
    ASSERT_NE(child, nullptr);
    HWND grid = GetDlgItem(child, 0xE900);
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(ql::WaitFor([&] {
        return ql::Trimmed(program.StatusPaneText(1)).rfind(L"Rows >= ", 0) == 0;
    })) << std::string(CStringA(program.StatusPaneText(1).c_str()));
    EXPECT_NE(program.StatusPaneText(1).find(L"Columns 3"), std::wstring::npos);

    // Ctrl+End reads every row.
    SetForegroundWindow(program.MainWindow());
    SetFocus(grid);
    ASSERT_TRUE(ql::WaitFor([&] { return GetForegroundWindow() == program.MainWindow(); }));
    INPUT keys[4] = {};
    for (INPUT& key : keys)
        key.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_CONTROL;
    keys[1].ki.wVk = VK_END;
    keys[2].ki.wVk = VK_END;
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_CONTROL;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    PostMessageW(program.MainWindow(), WM_NULL, 0, 0);
    SendInput(4, keys, sizeof(INPUT));
    EXPECT_TRUE(ql::WaitFor(
        [&] { return ql::Trimmed(program.StatusPaneText(1)) == L"Rows 1000 Columns 3"; }, 20000))
        << std::string(CStringA(program.StatusPaneText(1).c_str()));

    // Column order: the move shows at once and stays after Cancel.
    program.PostCommand(32785);
    HWND dlg = program.WaitForDialog(L"Column order");
    ASSERT_NE(dlg, nullptr);
    HWND list = ql::CProgram::Item(dlg, 1054);
    program.SelectListItem(list, -1, false);
    program.SelectListItem(list, 2);
    ql::CProgram::Click(dlg, 1135);
    ql::CProgram::Click(dlg, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindDialog(L"Column order") == nullptr; }));
    EXPECT_EQ(program.ListColumnOrder(grid), (std::vector<int>{2, 0, 1}));
    // Clearing every box and OK hides every column; Refresh keeps both.
    program.PostCommand(32785);
    dlg = program.WaitForDialog(L"Column order");
    ASSERT_NE(dlg, nullptr);
    list = ql::CProgram::Item(dlg, 1054);
    for (int i = 0; i < 3; ++i)
        program.SetListCheck(list, i, false);
    ql::CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindDialog(L"Column order") == nullptr; }));
    auto hiddenColumns = [&] {
        int hidden = 0;
        for (int i = 0; i < 3; ++i)
            hidden += SendMessageW(grid, LVM_GETCOLUMNWIDTH, i, 0) == 0 ? 1 : 0;
        return hidden;
    };
    EXPECT_EQ(hiddenColumns(), 3);
    program.PostCommand(32794); // F5: a plain SELECT runs again without a question
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(hiddenColumns(), 3);
    EXPECT_EQ(program.ListColumnOrder(GetDlgItem(program.ActiveChild(), 0xE900)),
              (std::vector<int>{2, 0, 1}));
    EXPECT_TRUE(program.Close());
}

TEST_F(GridE2E, InsertReturningIsNotRunAgainByRefreshOrReconnect)
{
    StartOn(QlTestDb::PostgresConnect(), L"id SERIAL, v INTEGER");
    Query(L"INSERT INTO " + std::wstring(m_table.GetString()) + L" (v) VALUES (1) RETURNING id");
    ASSERT_NE(WaitForGrid(L"INSERT"), nullptr);
    EXPECT_EQ(Count(), 1);
    program.PostCommand(32794); // F5 asks
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(ql::CProgram::MessageBoxText(box).find(L"Run it again?"), std::wstring::npos);
    ql::CProgram::Click(box, IDNO);
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
    // Reconnecting refreshes every grid window by itself: this one is left alone.
    program.PostCommand(32898);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(Count(), 1);
    EXPECT_TRUE(program.Close());
}

TEST_F(GridE2E, ReconnectReadsAQueryWindowAgain)
{
    StartOn(QlTestDb::PostgresConnect(), L"id SERIAL, v INTEGER");
    m_db.ExecuteSQL(L"INSERT INTO " + m_table + L" (v) VALUES (1), (2), (3)");
    Query(L"SELECT * FROM " + std::wstring(m_table.GetString()));
    HWND child = WaitForGrid(L"SELECT");
    ASSERT_NE(child, nullptr);
    m_db.ExecuteSQL(L"INSERT INTO " + m_table + L" (v) VALUES (4)");
    program.PostCommand(32898);
    ASSERT_TRUE(program.Settle());
    EXPECT_TRUE(
        ql::WaitFor([&] { return program.ListItems(GetDlgItem(child, 0xE900)).size() == 4; }));
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

TEST_F(GridE2E, PlanOfTwoStatementsIsRefusedAndOfOneOpensAPlanWindow)
{
    StartOn(QlTestDb::PostgresConnect(), L"a INTEGER");
    m_db.ExecuteSQL(L"INSERT INTO " + m_table + L" VALUES (1)");
    const std::wstring table(m_table.GetString());
    Query(L"SELECT 1; DELETE FROM " + table, true);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(ql::CProgram::MessageBoxText(box).find(L"one statement at a time"),
              std::wstring::npos)
        << std::string(CStringA(ql::CProgram::MessageBoxText(box).c_str()));
    ql::CProgram::Click(box, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
    EXPECT_EQ(Count(), 1);

    Query(L"SELECT * FROM " + table + L" -- all\nWHERE a = 1", true);
    HWND child = WaitForGrid(L"Execution plan for ");
    ASSERT_NE(child, nullptr);
    const auto rows = program.ListItems(GetDlgItem(child, 0xE900));
    std::wstring plan;
    for (const auto& row : rows)
        plan += row;
    EXPECT_NE(plan.find(L"Filter"), std::wstring::npos)
        << std::string(CStringA(plan.c_str())) << " / " << rows.size() << " / "
        << std::string(CStringA(ql::WindowText(child).c_str()));
    EXPECT_TRUE(program.Close());
}

TEST_F(GridE2E, FindOfAMissingTextReportsAndKeepsTheRecentList)
{
    ASSERT_TRUE(program.Start());
    program.PostCommand(0xE100); // a new script window
    ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() != nullptr; }));
    program.PostCommand(0xE124); // Ctrl+F
    HWND dlg = program.WaitForDialog(L"Find");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::SetText(dlg, 1001, L"zz");
    ql::CProgram::Click(dlg, 102);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ql::CProgram::MessageBoxText(box), L"Can not find 'zz'");
    EXPECT_EQ(program.FindDialog(L"Find"), nullptr); // closed before the message
    ql::CProgram::Click(box, IDOK);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::RegString(L"FindStr0", L"Find") == L"zz"; }));
    EXPECT_TRUE(program.Close());
}

} // namespace
