// End to end on each real database: Go To (F12) on a row with two foreign keys, one of them over
// two columns, lists both keys; choosing the two-column key opens the parent table filtered to
// the one row both values name.
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

namespace {

using ql::CProgram;
using ql::Narrow;

class GridGoToE2E : public ql::CProductScenario
{
protected:
    void SetUp() override
    {
        CProductScenario::SetUp();
        m_parent1 = ql::CScratchDatabase::NewName(L"ql_e2e_gp1_");
        m_parent2 = ql::CScratchDatabase::NewName(L"ql_e2e_gp2_");
        m_child = ql::CScratchDatabase::NewName(L"ql_e2e_gc_");
        const std::wstring p1 = m_db.Quoted(m_parent1), p2 = m_db.Quoted(m_parent2);
        m_db.CreateTable(m_parent1, L"id INTEGER PRIMARY KEY, label VARCHAR(10)");
        m_db.CreateTable(m_parent2,
                         L"a INTEGER NOT NULL, b VARCHAR(10) NOT NULL, label VARCHAR(10), "
                         L"PRIMARY KEY (a, b)");
        m_db.CreateTable(m_child, L"id INTEGER PRIMARY KEY, p1 INTEGER REFERENCES " + p1 +
                                      L" (id), pa INTEGER, pb VARCHAR(10), FOREIGN KEY (pa, pb) "
                                      L"REFERENCES " +
                                      p2 + L" (a, b)");
        m_db.Exec(L"INSERT INTO " + p1 + L" VALUES (1, 'one')");
        m_db.Exec(L"INSERT INTO " + p1 + L" VALUES (2, 'two')");
        m_db.Exec(L"INSERT INTO " + p2 + L" VALUES (1, 'x', '1x')");
        m_db.Exec(L"INSERT INTO " + p2 + L" VALUES (1, 'y', '1y')");
        m_db.Exec(L"INSERT INTO " + p2 + L" VALUES (2, 'y', '2y')");
        m_db.Exec(L"INSERT INTO " + m_db.Quoted(m_child) + L" VALUES (10, 2, 1, 'y')");
    }

    std::wstring m_parent1, m_parent2, m_child;
};

TEST_P(GridGoToE2E, TwoColumnKeyOpensTheParentAtItsOneRow)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), m_child);
    ASSERT_NE(child, nullptr);
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 1; }));
    program.SelectListItem(grid, 0);

    program.PostCommand(ID_QUERY_GOTO);
    HWND dlg = program.WaitForDialog(L"Go To");
    ASSERT_NE(dlg, nullptr);
    HWND list = CProgram::Item(dlg, IDC_ITEM_LIST);
    // Grouped by key where list groups work, else a first column names the key.
    HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
    const int tableColumn = SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) == 4 ? 1 : 0;
    const auto tables = program.ListItems(list, tableColumn);
    const auto values = program.ListItems(list, tableColumn + 2);
    ASSERT_EQ(tables.size(), 3u);
    int chosen = -1, parent1Rows = 0;
    std::vector<std::wstring> parent2Values;
    for (int i = 0; i < 3; ++i)
    {
        if (tables[i].find(m_parent1) != std::wstring::npos)
            ++parent1Rows;
        else if (tables[i].find(m_parent2) != std::wstring::npos)
        {
            parent2Values.push_back(values[i]);
            chosen = i;
        }
    }
    EXPECT_EQ(parent1Rows, 1);
    EXPECT_EQ(ql::Sorted(parent2Values), (std::vector<std::wstring>{L"1", L"y"}));
    ASSERT_GE(chosen, 0);
    program.SelectListItem(list, -1, false);
    program.SelectListItem(list, chosen);
    CProgram::Click(dlg, IDOK);

    HWND parent = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        parent = program.ActiveChild();
        return parent != nullptr && parent != child &&
               ql::WindowText(parent).find(m_parent2) != std::wstring::npos;
    })) << Narrow(program.FindMessageBox() ? CProgram::MessageBoxText(program.FindMessageBox())
                                           : L"no window");
    HWND parentGrid = ql::GridOf(parent);
    EXPECT_TRUE(ql::WaitFor([&] { return program.ListItems(parentGrid).size() == 1; }));
    EXPECT_EQ(program.ListItems(parentGrid, 2), (std::vector<std::wstring>{L"1y"}));
    const std::wstring sql = ql::ShownSQL(program);
    EXPECT_NE(sql.find(L"\nWHERE a=1 AND\nb='y'"), std::wstring::npos) << Narrow(sql);
    EXPECT_EQ(m_db.Count(m_parent2, L" WHERE a=1 AND b='y'"), 1);
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

QL_ON_EVERY_PRODUCT(GridGoToE2E);

} // namespace
