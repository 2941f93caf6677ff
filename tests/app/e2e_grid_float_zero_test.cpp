// End to end on each real database: a negative zero typed into a grid's single- and
// double-precision cells is saved. PostgreSQL keeps the zero's sign in such columns; the other
// products store it as they store a -0 written into a statement by hand.
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

namespace {

using ql::CProgram;
using ql::Narrow;

class GridFloatZeroE2E : public ql::CProductScenario
{
protected:
    void SetUp() override
    {
        CProductScenario::SetUp();
        m_table = ql::CScratchDatabase::NewName(L"floatzero");
        const int product = GetParam();
        m_db.CreateTable(m_table, product == ql::kE2EPostgres
                                      ? L"id INTEGER PRIMARY KEY, r REAL, d DOUBLE PRECISION"
                                  : product == ql::kE2EMariaDB
                                      ? L"id INTEGER PRIMARY KEY, r FLOAT, d DOUBLE"
                                      : L"id INTEGER PRIMARY KEY, r REAL, d DOUBLE");
        const std::wstring insert = L"INSERT INTO " + m_db.Quoted(m_table) + L" VALUES ";
        m_db.Exec(insert + L"(1, 7, 7)");
        m_db.Exec(insert + L"(2, -0, -0.0)"); // the product's own reading of the typed texts
    }
    // Both columns of a row as the server writes them.
    std::wstring Stored(int id)
    {
        const int product = GetParam();
        const std::wstring text = product == ql::kE2EPostgres ? L"r::text || '|' || d::text"
                                  : product == ql::kE2EMariaDB
                                      ? L"CONCAT(r, '|', d)"
                                      : L"CAST(r AS TEXT) || '|' || CAST(d AS TEXT)";
        return m_db.Text(L"SELECT " + text + L" FROM " + m_db.Quoted(m_table) + L" WHERE id = " +
                         std::to_wstring(id));
    }

    std::wstring m_table;
};

TEST_P(GridFloatZeroE2E, TypedNegativeZeroIsSaved)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(child, nullptr);
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] {
        return program.ListItems(grid, 0) == std::vector<std::wstring>{L"1", L"2"};
    }));

    ASSERT_TRUE(program.ClickListCell(grid, 0, 1));
    CProgram::PressKey(grid, VK_SPACE);
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L"-0", false, VK_TAB));
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L" -0.0 ", false, VK_RETURN));
    CProgram::PressKey(grid, VK_RETURN);

    const std::wstring expected = GetParam() == ql::kE2EPostgres ? L"-0|-0" : Stored(2);
    EXPECT_TRUE(ql::WaitFor([&] { return Stored(1) == expected; }))
        << Narrow(Stored(1)) << " / "
        << Narrow(program.FindMessageBox() ? CProgram::MessageBoxText(program.FindMessageBox())
                                           : L"no box");
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

QL_ON_EVERY_PRODUCT(GridFloatZeroE2E);

} // namespace
