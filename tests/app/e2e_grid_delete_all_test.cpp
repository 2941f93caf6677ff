// End to end on each real database: a table opened a second time asks first (No shows the window
// already open and opens none), and Delete All Records (F8) asks, keeps every row on No and
// empties the table on Yes.
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

namespace {

using ql::CProgram;
using ql::Narrow;

int ChildCount(const CProgram& program)
{
    HWND client = FindWindowExW(program.MainWindow(), nullptr, L"MDIClient", nullptr);
    int n = 0;
    for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        n += IsWindowVisible(w) ? 1 : 0;
    return n;
}

class GridDeleteAllE2E : public ql::CProductScenario
{
protected:
    void SetUp() override
    {
        CProductScenario::SetUp();
        m_table = ql::CScratchDatabase::NewName(L"ql_e2e_del_");
        m_db.CreateTable(m_table, L"id INTEGER PRIMARY KEY, name VARCHAR(20), note VARCHAR(20)");
        for (int i = 1; i <= 5; ++i)
            m_db.Exec(L"INSERT INTO " + m_db.Quoted(m_table) + L" VALUES (" + std::to_wstring(i) +
                      L", 'n', NULL)");
    }

    std::wstring m_table;
};

TEST_P(GridDeleteAllE2E, OpenAgainAsksAndDeleteAllAsksFirst)
{
    ql::WriteRegDword(L"NewWindowAction", 2);
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND first = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(first, nullptr);
    const std::wstring title = ql::WindowText(first);

    // Open again: No activates the first window and opens none.
    program.PostCommand(0xE100); // a new script window becomes the active one
    ASSERT_TRUE(ql::WaitFor(
        [&] { return program.ActiveChild() != nullptr && program.ActiveChild() != first; }));
    HWND dlg = program.OpenTablesDialog({{m_db.Schema(), m_table}});
    ASSERT_NE(dlg, nullptr);
    CProgram::Click(dlg, IDOK);
    const std::wstring question = program.TakeMessageBox(20000, IDNO);
    EXPECT_EQ(question, title + L" is already opened. Open again?");
    EXPECT_TRUE(ql::WaitFor([&] { return program.ActiveChild() == first; }));
    EXPECT_EQ(ChildCount(program), 2);

    // Delete All Records: No keeps the rows.
    program.PostCommand(ID_QUERY_DELETE_ALL);
    const std::wstring ask = program.TakeMessageBox(20000, IDNO);
    EXPECT_EQ(ask, L"Data from '" + title + L"' will be deleted.\nContinue?") << Narrow(ask);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(m_db.Count(m_table), 5);
    EXPECT_EQ(program.ListItems(ql::GridOf(first)).size(), 5u);

    // Yes: the table is empty and the window says so.
    program.PostCommand(ID_QUERY_DELETE_ALL);
    EXPECT_EQ(program.TakeMessageBox(20000, IDYES), ask);
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Count(m_table) == 0; }));
    EXPECT_TRUE(ql::WaitFor([&] {
        return ql::Trimmed(program.StatusPaneText(1)) == L"Rows 0 Columns 3";
    })) << Narrow(program.StatusPaneText(1));
    EXPECT_EQ(program.ListItems(ql::GridOf(first)).size(), 0u);
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

QL_ON_EVERY_PRODUCT(GridDeleteAllE2E);

} // namespace
