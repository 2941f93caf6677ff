// End to end on MariaDB: the user switches the session's sql_mode (ANSI_QUOTES,
// NO_BACKSLASH_ESCAPES, PAD_CHAR_TO_FULL_LENGTH, no strict mode) and time zone with SET
// statements of their own, then opens, filters and edits a table: filters find their rows and
// edits are saved as typed, backslashes and quotes included, times in the session's zone.
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

using ql::CProgram;
using ql::Narrow;

class SessionSettingsMariaDBE2E : public ql::CProductScenario
{
protected:
    void SetUp() override
    {
        CProductScenario::SetUp();
        m_table = ql::CScratchDatabase::NewName(L"modes ");
        m_db.CreateTable(m_table, L"id INTEGER PRIMARY KEY, c CHAR(6), ts TIMESTAMP NULL, "
                                  L"dt DATETIME, s VARCHAR(40)");
        const std::wstring insert = L"INSERT INTO " + m_db.Quoted(m_table) + L" VALUES ";
        m_db.Exec(insert + L"(1, 'ab', '2024-01-02 03:04:05', '2024-01-02 03:04:05', 'C:\\\\new')");
        m_db.Exec(insert + L"(2, 'b', '2024-06-01 12:00:00', '2024-06-01 12:00:00', 'O''Brien')");
    }
    std::wstring Run(const std::wstring& sql)
    {
        program.PostCommand(ID_QUERY_SQL);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        if (dlg == nullptr)
            return L"no dialog";
        CProgram::SetText(dlg, 1001, sql);
        CProgram::Click(dlg, IDOK);
        ql::WaitFor([&] { return !IsWindow(dlg); });
        program.Settle();
        return program.TakeMessageBox(200);
    }
    void FilterBy(const std::wstring& column, const std::wstring& value)
    {
        program.PostCommand(ID_QUERY_FILTER);
        HWND dlg = program.WaitForDialog(L"Filter");
        ASSERT_NE(dlg, nullptr);
        CProgram::Click(dlg, IDC_RESET);
        ASSERT_TRUE(ql::AddFilterCondition(program, dlg, column, L"=", value));
        CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    }
    std::wstring m_table;
};

TEST_P(SessionSettingsMariaDBE2E, ModesAndTimeZoneOfTheSession)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    EXPECT_EQ(Run(L"SET SESSION sql_mode = 'ANSI_QUOTES,NO_BACKSLASH_ESCAPES,"
                  L"PAD_CHAR_TO_FULL_LENGTH'")
                  .find(L"Executed OK."),
              0u);
    EXPECT_EQ(Run(L"SET time_zone = '+05:00'").find(L"Executed OK."), 0u);
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(child, nullptr) << program.Describe();
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 2; }));
    EXPECT_EQ(program.ListItems(grid, 4), (std::vector<std::wstring>{L"C:\\new", L"O'Brien"}));
    FilterBy(L"s", L"C:\\new");
    EXPECT_TRUE(ql::WaitFor([&] {
        return program.ListItems(grid, 0) == std::vector<std::wstring>{L"1"};
    })) << Narrow(ql::ShownSQL(program));
    FilterBy(L"c", L"ab");
    EXPECT_TRUE(ql::WaitFor([&] {
        return program.ListItems(grid, 0) == std::vector<std::wstring>{L"1"};
    })) << Narrow(ql::ShownSQL(program));
    FilterBy(L"ts", L"2024/01/02 08:04:05"); // as shown in the session's zone
    EXPECT_TRUE(ql::WaitFor([&] {
        return program.ListItems(grid, 0) == std::vector<std::wstring>{L"1"};
    })) << Narrow(ql::ShownSQL(program));
    EXPECT_EQ(program.FindMessageBox(), nullptr);

    // Edits: a backslash and a quote, a padded CHAR, a timestamp.
    ASSERT_TRUE(program.ClickListCell(grid, 0, 4));
    CProgram::PressKey(grid, VK_SPACE);
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L"D:\\x\\O'B \x00FC", false, VK_RETURN));
    ASSERT_TRUE(program.ClickListCell(grid, 0, 2));
    CProgram::PressKey(grid, VK_SPACE);
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L"2025-02-03 04:05:06", false, VK_RETURN));
    CProgram::PressKey(grid, VK_RETURN);
    // The time was typed in the session's zone.
    m_db.Exec(L"SET time_zone = '+05:00'");
    const std::wstring saved =
        L"SELECT CONCAT(s, '|', c, '|', ts) FROM " + m_db.Quoted(m_table) + L" WHERE id = 1";
    EXPECT_TRUE(ql::WaitFor([&] {
        return m_db.Text(saved) == L"D:\\x\\O'B \x00FC|ab|2025-02-03 04:05:06";
    })) << Narrow(m_db.Text(saved))
        << " / " << Narrow(program.TakeMessageBox(100));
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

INSTANTIATE_TEST_SUITE_P(Products, SessionSettingsMariaDBE2E, testing::Values(ql::kE2EMariaDB),
                         ql::ProductParamName());

} // namespace
