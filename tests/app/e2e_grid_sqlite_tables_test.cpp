// End to end on SQLite tables of its own kinds: a table with generated columns (stored and
// virtual) takes a new row and an edit of its other columns, and refuses a value typed in a
// generated one with a word why, in a table window and in a query result alike; a view whose
// INSTEAD OF triggers change its table saves an edit and a new row through them as saved.
// Each step is checked in the file.
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include "framework/command_ids.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

using ql::CProgram;
using ql::Narrow;

class GridSQLiteTablesE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        m_db.Open(ql::kE2ESQLite);
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    // Types the text in a cell of a grid row and saves the row; the messages the save brings.
    std::wstring SaveCell(HWND grid, int row, int column, const std::wstring& text)
    {
        if (!program.ClickListCell(grid, row, column))
            return L"<no cell>";
        CProgram::PressKey(grid, VK_SPACE);
        ql::WaitFor([&] {
            return CProgram::InPlaceEditor(grid) != nullptr || program.FindMessageBox() != nullptr;
        });
        if (program.FindMessageBox() != nullptr)
            return program.TakeMessageBox(0, IDYES); // refused, or the question of a keyless table
        if (!CProgram::SetInPlaceValue(grid, text, false, VK_RETURN))
            return L"<no editor>";
        CProgram::PressKey(grid, VK_RETURN);
        return Said();
    }
    // A new row with the texts typed in the first columns, saved; the messages the save brings.
    std::wstring SaveNewRow(HWND grid, const std::vector<std::wstring>& texts)
    {
        program.PostCommand(ID_EDIT_INSERT);
        for (size_t i = 0; i < texts.size(); ++i)
            if (!CProgram::SetInPlaceValue(grid, texts[i], false,
                                           i + 1 < texts.size() ? VK_TAB : VK_RETURN))
                return L"<no editor>";
        CProgram::PressKey(grid, VK_RETURN);
        return Said();
    }
    std::wstring Said()
    {
        if (!program.Settle())
            return L"<busy>";
        std::wstring said;
        while (program.FindMessageBox() != nullptr)
            said += program.TakeMessageBox(0, IDOK);
        return said;
    }

    ql::CScratchDatabase m_db;
    CProgram program;
};

TEST_F(GridSQLiteTablesE2E, GeneratedColumnsAreLeftToTheDatabase)
{
    const std::wstring name = ql::CScratchDatabase::NewName(L"ql_e2e_generated_");
    const std::wstring table = m_db.Quoted(name);
    m_db.CreateTable(name, L"id INTEGER PRIMARY KEY, b TEXT, s TEXT GENERATED ALWAYS AS "
                           L"(b || '!') STORED, v INT GENERATED ALWAYS AS (id * 2) VIRTUAL");
    m_db.Exec(L"INSERT INTO " + table + L" (id, b) VALUES (1, 'p')");
    const std::wstring stored = L"SELECT group_concat(id || ':' || b || ':' || s || ':' || v, "
                                L"',') FROM (SELECT * FROM " +
                                table + L" ORDER BY id)";
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));

    HWND grid = ql::GridOf(ql::OpenTable(program, L"", name));
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return ListView_GetItemCount(grid) == 1; }));
    EXPECT_EQ(SaveNewRow(grid, {L"2", L"q"}), L"");
    EXPECT_EQ(m_db.Text(stored), L"1:p:p!:2,2:q:q!:4");
    ASSERT_TRUE(ql::WaitFor([&] { return ListView_GetItemCount(grid) == 2; }));
    EXPECT_EQ(SaveCell(grid, 0, 1, L"edited"), L"");
    EXPECT_EQ(m_db.Text(stored), L"1:edited:edited!:2,2:q:q!:4");
    for (int column : {2, 3})
    {
        const std::wstring refusal = SaveCell(grid, 0, column, L"x");
        EXPECT_NE(refusal.find(L"is generated from other columns"), std::wstring::npos)
            << Narrow(refusal);
        EXPECT_EQ(CProgram::InPlaceEditor(grid), nullptr);
    }

    // A query result of the table's rows is keyed by its primary key and leaves them alike.
    ASSERT_TRUE(ql::RunQuery(program, L"SELECT * FROM " + table + L" ORDER BY id"));
    ASSERT_TRUE(program.WaitForActiveChild(L"SELECT"));
    HWND result = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return ListView_GetItemCount(result) == 2; }));
    EXPECT_EQ(SaveNewRow(result, {L"3", L"r"}), L"");
    EXPECT_EQ(m_db.Text(stored), L"1:edited:edited!:2,2:q:q!:4,3:r:r!:6");
    const std::wstring refusal = SaveCell(result, 1, 2, L"x");
    EXPECT_NE(refusal.find(L"is generated from other columns"), std::wstring::npos)
        << Narrow(refusal);
    EXPECT_TRUE(program.Close());
}

// SQLite counts no row an INSTEAD OF trigger changes: the window said that no row changed, and
// the row stayed to be saved again, though the trigger had saved it.
TEST_F(GridSQLiteTablesE2E, AViewsTriggersSaveItsRows)
{
    const std::wstring name = ql::CScratchDatabase::NewName(L"ql_e2e_viewed_");
    const std::wstring table = m_db.Quoted(name), view = m_db.Quoted(name + L"_v");
    m_db.CreateTable(name, L"id INTEGER PRIMARY KEY, v TEXT");
    m_db.Exec(L"INSERT INTO " + table + L" VALUES (1, 'one'), (2, 'two')");
    m_db.Exec(L"CREATE VIEW " + view + L" AS SELECT id, v FROM " + table);
    m_db.Exec(L"CREATE TRIGGER " + m_db.Quoted(name + L"_u") + L" INSTEAD OF UPDATE ON " + view +
              L" BEGIN UPDATE " + table + L" SET v = NEW.v WHERE id = OLD.id; END");
    m_db.Exec(L"CREATE TRIGGER " + m_db.Quoted(name + L"_i") + L" INSTEAD OF INSERT ON " + view +
              L" BEGIN INSERT INTO " + table + L" VALUES (NEW.id, NEW.v); END");
    const std::wstring stored =
        L"SELECT group_concat(id || v, ',') FROM (SELECT * FROM " + table + L" ORDER BY id)";
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    ASSERT_TRUE(program.OpenViewGrid(L"", name + L"_v"));
    HWND grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return ListView_GetItemCount(grid) == 2; }));
    const int row = program.ListItemText(grid, 0) == L"2" ? 0 : 1;
    const std::wstring question = SaveCell(grid, row, 1, L"");
    EXPECT_EQ(question.rfind(L"No key identifies the rows of this window", 0), 0u)
        << Narrow(question);
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L"deux", false, VK_RETURN));
    CProgram::PressKey(grid, VK_RETURN);
    EXPECT_EQ(Said(), L"");
    EXPECT_EQ(m_db.Text(stored), L"1one,2deux");
    EXPECT_EQ(SaveNewRow(grid, {L"3", L"trois"}), L"");
    EXPECT_EQ(m_db.Text(stored), L"1one,2deux,3trois");
    // Nothing is left to save: the window closes without a question.
    EXPECT_TRUE(program.Close());
    EXPECT_EQ(m_db.Text(stored), L"1one,2deux,3trois");
}

} // namespace
