// End to end on each real database: a row saved with the values another session already gave it
// is saved without a word (MariaDB's driver counts the rows an UPDATE changed, not those it
// found), while a row another session deleted meanwhile still says that nothing changed.
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ql::CProgram;
using ql::Narrow;

class GridUnchangedSaveE2E : public ql::CProductScenario
{
protected:
    void SetUp() override
    {
        CProductScenario::SetUp();
        m_table = ql::CScratchDatabase::NewName(L"ql_e2e_same_");
        m_db.CreateTable(m_table, L"id INTEGER PRIMARY KEY, v VARCHAR(20)");
        m_db.Exec(L"INSERT INTO " + m_db.Quoted(m_table) + L" VALUES (1, 'one')");
        m_db.Exec(L"INSERT INTO " + m_db.Quoted(m_table) + L" VALUES (2, 'two')");
    }

    // Types the text into the row's second cell and saves the row.
    void SaveCell(HWND grid, int row, const std::wstring& text)
    {
        ASSERT_TRUE(program.ClickListCell(grid, row, 1));
        CProgram::PressKey(grid, VK_SPACE);
        ASSERT_TRUE(CProgram::SetInPlaceValue(grid, text, false, VK_RETURN));
        CProgram::PressKey(grid, VK_RETURN);
    }

    std::wstring m_table;
};

TEST_P(GridUnchangedSaveE2E, SameValuesSaveQuietlyAndAMissingRowIsReported)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(child, nullptr);
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 2; }));
    const auto rowOf = [&](const std::wstring& id) {
        const auto ids = program.ListItems(grid);
        return static_cast<int>(std::find(ids.begin(), ids.end(), id) - ids.begin());
    };
    const std::wstring valueOfOne = L"SELECT v FROM " + m_db.Quoted(m_table) + L" WHERE id = 1";

    // Another session made the same change first: the UPDATE finds the row but changes nothing.
    m_db.Exec(L"UPDATE " + m_db.Quoted(m_table) + L" SET v = 'uno' WHERE id = 1");
    SaveCell(grid, rowOf(L"1"), L"uno");
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr) << Narrow(program.TakeMessageBox(0));
    EXPECT_EQ(m_db.Text(valueOfOne), L"uno");

    // A real change after it still goes through.
    SaveCell(grid, rowOf(L"1"), L"eins");
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Text(valueOfOne) == L"eins"; }));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr) << Narrow(program.TakeMessageBox(0));

    // Row 2 deleted behind the program's back: its change finds nothing to change.
    m_db.Exec(L"DELETE FROM " + m_db.Quoted(m_table) + L" WHERE id = 2");
    SaveCell(grid, rowOf(L"2"), L"deux");
    const std::wstring missing = program.TakeMessageBox();
    EXPECT_EQ(missing, L"No rows changed");
    EXPECT_EQ(m_db.Count(m_table), 1);
    program.Kill();
}

QL_ON_EVERY_PRODUCT(GridUnchangedSaveE2E);

} // namespace
