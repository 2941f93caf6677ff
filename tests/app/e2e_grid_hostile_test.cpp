// End to end on each real database: a table whose names need quoting ("my table ...", "Order
// Date", "naïve") and whose values are hostile to SQL text (a quote, a backslash, 10,000
// characters) opens, sorts, filters and saves an edit with the right rows; a number condition
// that carries a second statement is refused and the table stays whole.
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

namespace {

using ql::CProgram;
using ql::Narrow;

class GridHostileE2E : public ql::CProductScenario
{
protected:
    void SetUp() override
    {
        CProductScenario::SetUp();
        m_table = ql::CScratchDatabase::NewName(L"my table ");
        m_long.assign(10000, L'x');
        const bool maria = GetParam() == ql::kE2EMariaDB;
        m_db.CreateTable(m_table, L"id INTEGER PRIMARY KEY, " + m_db.Quoted(L"Order Date") +
                                      (maria ? L" DATETIME, " : L" TIMESTAMP, ") +
                                      m_db.Quoted(L"na\x00EFve") + L" VARCHAR(10000)");
        const std::wstring insert = L"INSERT INTO " + m_db.Quoted(m_table) + L" VALUES ";
        m_db.Exec(insert + L"(1, '2024-01-03 10:00:00', 'O''Brien')");
        m_db.Exec(insert + L"(2, '2024-01-01 09:30:00', " +
                  (maria ? L"'C:\\\\new'" : L"'C:\\new'") + L")");
        m_db.Exec(insert + L"(3, '2024-01-02 08:00:00', '" + m_long + L"')");
        m_db.Exec(insert + L"(4, '2023-12-31 23:59:59', 'na\x00EFve plain')");
    }
    std::vector<std::wstring> Ids() { return program.ListItems(m_grid, 0); }
    // Replaces the window's filter by one condition on a column; OK.
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

    std::wstring m_table, m_long;
    HWND m_grid = nullptr;
};

TEST_P(GridHostileE2E, QuotedNamesAndHostileValuesGiveTheRightRows)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(child, nullptr);
    m_grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return Ids().size() == 4; }));
    const auto texts = program.ListItems(m_grid, 2);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"O'Brien"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"C:\\new"), texts.end());

    // The header's "Sort descending" on "Order Date".
    ASSERT_TRUE(program.ClickListHeader(m_grid, 1));
    ASSERT_TRUE(program.ChoosePopupMenuEntry(1));
    const auto byDate = m_db.Column(L"SELECT id FROM " + m_db.Quoted(m_table) + L" ORDER BY " +
                                    m_db.Quoted(L"Order Date") + L" DESC");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == byDate; })) << Narrow(ql::ShownSQL(program));

    // Filters on a quote, on 10,000 characters, on a time and on a backslash find their one row
    // each.
    FilterBy(L"na\x00EFve", L"O'Brien");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"1"}; }))
        << Narrow(ql::ShownSQL(program));
    FilterBy(L"na\x00EFve", m_long);
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"3"}; }));
    FilterBy(L"Order Date", L"2024-01-02 08:00:00");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"3"}; }))
        << Narrow(ql::ShownSQL(program));
    FilterBy(L"na\x00EFve", L"C:\\new");
    ASSERT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"2"}; }))
        << Narrow(ql::ShownSQL(program));

    // An edit with a quote, a backslash and a letter beyond ASCII is saved as typed.
    const std::wstring edited = L"C:\\new\\O'Brien \x00FC";
    ASSERT_TRUE(program.ClickListCell(m_grid, 0, 2));
    CProgram::PressKey(m_grid, VK_SPACE);
    ASSERT_TRUE(CProgram::SetInPlaceValue(m_grid, edited, false, VK_RETURN));
    CProgram::PressKey(m_grid, VK_RETURN);
    const std::wstring saved = L"SELECT " + m_db.Quoted(L"na\x00EFve") + L" FROM " +
                               m_db.Quoted(m_table) + L" WHERE id = 2";
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Text(saved) == edited; }))
        << Narrow(m_db.Text(saved)) << " / "
        << Narrow(program.FindMessageBox() ? CProgram::MessageBoxText(program.FindMessageBox())
                                           : L"no box");
    EXPECT_EQ(program.FindMessageBox(), nullptr);

    // A number condition that carries another statement is refused; nothing is run.
    program.PostCommand(ID_QUERY_FILTER);
    HWND dlg = program.WaitForDialog(L"Filter");
    ASSERT_NE(dlg, nullptr);
    CProgram::Click(dlg, IDC_RESET);
    ASSERT_TRUE(ql::AddFilterCondition(program, dlg, L"id", L"=",
                                       L"1; DELETE FROM " + m_db.Quoted(m_table)));
    CProgram::Click(dlg, IDOK);
    EXPECT_EQ(program.TakeMessageBox(20000, IDOK), L"Invalid value.");
    EXPECT_TRUE(IsWindow(dlg));
    CProgram::Click(dlg, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(m_db.Count(m_table), 4);
    EXPECT_TRUE(program.Close());
}

// An IN list is written as typed, so only a list of literals may stand there: a text that
// closes the list, adds a statement or starts a comment is refused, and no row is lost.
TEST_P(GridHostileE2E, InListsOnlyTakeLiterals)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(child, nullptr);
    m_grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return Ids().size() == 4; }));
    auto filterIn = [&](const std::wstring& column, const std::wstring& list) {
        program.PostCommand(ID_QUERY_FILTER);
        HWND dlg = program.WaitForDialog(L"Filter");
        if (dlg == nullptr)
            return std::wstring(L"no dialog");
        CProgram::Click(dlg, IDC_RESET);
        if (!ql::AddFilterCondition(program, dlg, column, L"IN", list))
            return std::wstring(L"not typed");
        CProgram::Click(dlg, IDOK);
        ql::WaitFor([&] { return !IsWindow(dlg) || program.FindMessageBox() != nullptr; });
        if (!IsWindow(dlg))
            return std::wstring(L"accepted");
        const std::wstring box = program.TakeMessageBox(20000, IDOK);
        CProgram::Click(dlg, IDCANCEL);
        ql::WaitFor([&] { return !IsWindow(dlg); });
        return box;
    };
    const std::wstring table = m_db.Quoted(m_table);
    for (const std::wstring& hostile : std::vector<std::wstring>{
             L"1) OR (1=1", L"1); DELETE FROM " + table + L"; --", L"1) --", L"1 /* x */",
             L"(SELECT 1)", L"'O''Brien'); DELETE FROM " + table + L"; --"})
    {
        EXPECT_EQ(filterIn(L"id", hostile), L"Invalid value.") << Narrow(hostile);
        EXPECT_EQ(m_db.Count(m_table), 4);
    }
    // Where a backslash escapes a quote, a list read otherwise would end somewhere else.
    if (GetParam() != ql::kE2ESQLite)
    {
        EXPECT_EQ(filterIn(L"id", L"'a\\', ') OR 1=1 OR id IN ('"), L"Invalid value.");
    }
    EXPECT_EQ(filterIn(L"id", L" 2, 4 "), L"accepted");
    EXPECT_TRUE(ql::WaitFor([&] {
        return Ids() == std::vector<std::wstring>{L"2", L"4"};
    })) << Narrow(ql::ShownSQL(program));
    EXPECT_EQ(filterIn(L"na\x00EFve", L"'O''Brien', 'x;--'"), L"accepted");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"1"}; }))
        << Narrow(ql::ShownSQL(program));
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

// A dot inside a table's name belongs to the name: "main.x" on SQLite, "<database>.x" on
// MariaDB and "public.x" on PostgreSQL show their own row, never the rows of the table x.
TEST_P(GridHostileE2E, ADotInATableNameIsPartOfTheName)
{
    const std::wstring plain = ql::CScratchDatabase::NewName(L"dot");
    const std::wstring qualifier = GetParam() == ql::kE2ESQLite ? std::wstring(L"main")
                                   : GetParam() == ql::kE2EPostgres
                                       ? std::wstring(L"public")
                                       : m_db.Text(L"SELECT DATABASE()");
    const std::wstring dotted = qualifier + L"." + plain;
    m_db.CreateTable(plain, L"id INTEGER PRIMARY KEY, v VARCHAR(10)");
    m_db.CreateTable(dotted, L"id INTEGER PRIMARY KEY, v VARCHAR(10)");
    for (const wchar_t* id : {L"1", L"2", L"3"})
        m_db.Exec(L"INSERT INTO " + m_db.Quoted(plain) + L" VALUES (" + id + L", 'a')");
    m_db.Exec(L"INSERT INTO " + m_db.Quoted(dotted) + L" VALUES (9, 'a')");

    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), dotted);
    ASSERT_NE(child, nullptr) << Narrow(program.TakeMessageBox(100));
    m_grid = ql::GridOf(child);
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"9"}; }))
        << Narrow(ql::ShownSQL(program)) << " / " << Narrow(program.TakeMessageBox(100));
    // An edit goes to the same table.
    ASSERT_TRUE(program.ClickListCell(m_grid, 0, 1));
    CProgram::PressKey(m_grid, VK_SPACE);
    ASSERT_TRUE(CProgram::SetInPlaceValue(m_grid, L"b", false, VK_RETURN));
    CProgram::PressKey(m_grid, VK_RETURN);
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Count(dotted, L" WHERE v = 'b'") == 1; }))
        << Narrow(program.TakeMessageBox(100));
    EXPECT_EQ(m_db.Count(plain, L" WHERE v = 'a'"), 3);
    EXPECT_TRUE(program.Close());
}

QL_ON_EVERY_PRODUCT(GridHostileE2E);

} // namespace
