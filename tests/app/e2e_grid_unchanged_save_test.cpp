// End to end on each real database: a row saved with the values another session already gave it
// is saved without a word (MariaDB's driver counts the rows an UPDATE changed, not those it
// found), while a row another session deleted meanwhile still says that nothing changed; a long
// value pasted into a cell is saved whole, a column with a real limit says so before any text is
// cut, and a value longer than the grid holds is neither opened for editing nor copied, with the
// reason told.
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include "framework/command_ids.h"
#include "resources/resource.h"

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

int TextLength(HWND edit)
{
    return (int)SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
}

TEST_P(GridUnchangedSaveE2E, ALongPasteIsSavedWholeAndARealLimitIsToldBeforeAnyCut)
{
    // Far over what each driver reports for the column: psqlODBC 8190 for text, SQLite's 65536.
    const std::wstring longType = m_db.Product() == ql::kE2EMariaDB ? L"MEDIUMTEXT" : L"TEXT";
    const std::wstring table = ql::CScratchDatabase::NewName(L"ql_e2e_long_");
    // MariaDB's TEXT holds 65,535 bytes: the server, not the editor, says a value is too long.
    const bool mariadb = m_db.Product() == ql::kE2EMariaDB;
    m_db.CreateTable(table, L"id INTEGER PRIMARY KEY, t " + longType + L", v VARCHAR(10)" +
                                (mariadb ? L", s TEXT" : L"") + L", e " + longType);
    m_db.Exec(L"INSERT INTO " + m_db.Quoted(table) + L" VALUES (1, 'short', 'ten'" +
              (mariadb ? L", 'small'" : L"") + L", 'e')");
    std::wstring longValue;
    for (int i = 0; i < 10000; ++i)
        longValue += L"0123456789";
    longValue.back() = L'!';

    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), table);
    ASSERT_NE(child, nullptr);
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 1; }));

    const std::wstring from = L" FROM " + m_db.Quoted(table) + L" WHERE id = 1";
    const UINT kEditValue = 32918;
    const int kValueEditor = 1153;
    HWND editor = nullptr;
    HWND edit = nullptr;
    // Wine's edit control takes about 10 s to take a paste of 100,000 characters on one line on
    // an idle machine, and at times as long again before it handles the next key; on two busy
    // cores each took up to 20 s. The bound is for a hang only.
    const DWORD kLongLineMs = 120000;
    // Pastes the long value whole into the cell of the column and saves the row.
    auto pasteLongValueAndSave = [&](int column) {
        ASSERT_TRUE(program.ClickListCell(grid, 0, column));
        CProgram::PressKey(grid, VK_SPACE);
        editor = CProgram::WaitForInPlaceEditor(grid);
        edit = editor ? GetDlgItem(editor, 2) : nullptr;
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(ql::PutClipboardText(longValue));
        PostMessageW(edit, EM_SETSEL, 0, -1);
        PostMessageW(edit, WM_PASTE, 0, 0);
        EXPECT_TRUE(
            ql::WaitFor([&] { return TextLength(edit) == (int)longValue.size(); }, kLongLineMs))
            << TextLength(edit);
        CProgram::PressKey(edit, VK_RETURN);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(editor); }, kLongLineMs));
        CProgram::PressKey(grid, VK_RETURN);
    };
    ASSERT_NO_FATAL_FAILURE(pasteLongValueAndSave(1));
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Text(L"SELECT length(t)" + from) == L"100000"; }))
        << Narrow(m_db.Text(L"SELECT length(t)" + from)) << Narrow(program.TakeMessageBox(0));
    EXPECT_EQ(m_db.Text(L"SELECT substr(t, 99991)" + from), L"012345678!");
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr) << Narrow(program.TakeMessageBox(0));

    // varchar(10) bounds its values on the servers; SQLite keeps any length in any column.
    const bool bounded = m_db.Product() != ql::kE2ESQLite;
    ASSERT_TRUE(program.ClickListCell(grid, 0, 2));
    CProgram::PressKey(grid, VK_SPACE);
    editor = CProgram::WaitForInPlaceEditor(grid);
    edit = editor ? GetDlgItem(editor, 2) : nullptr;
    ASSERT_NE(edit, nullptr);
    const std::wstring letters = L"abcdefghijklmnopqrstuvwxyz";
    ASSERT_TRUE(ql::PutClipboardText(letters));
    PostMessageW(edit, EM_SETSEL, 0, -1);
    PostMessageW(edit, WM_PASTE, 0, 0);
    if (bounded)
    {
        // Told while the paste has not changed the text; the edit goes on.
        const std::wstring told = program.TakeMessageBox();
        EXPECT_NE(told.find(L"at most 10 characters"), std::wstring::npos) << Narrow(told);
        ASSERT_TRUE(IsWindow(editor));
        EXPECT_EQ(ql::WindowText(edit), L"ten");
        // Typing past the limit is told the same way.
        SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)L"0123456789");
        PostMessageW(edit, EM_SETSEL, 10, 10);
        PostMessageW(edit, WM_CHAR, L'x', 1);
        const std::wstring typed = program.TakeMessageBox();
        EXPECT_NE(typed.find(L"at most 10 characters"), std::wstring::npos) << Narrow(typed);
        ASSERT_TRUE(IsWindow(editor));
        EXPECT_EQ(ql::WindowText(edit), L"0123456789");
    }
    else
    {
        EXPECT_TRUE(ql::WaitFor([&] { return ql::WindowText(edit) == letters; }))
            << Narrow(ql::WindowText(edit));
    }
    CProgram::PressKey(edit, VK_RETURN);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(editor); }));
    CProgram::PressKey(grid, VK_RETURN);
    const std::wstring expected = bounded ? L"0123456789" : letters;
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Text(L"SELECT v" + from) == expected; }))
        << Narrow(m_db.Text(L"SELECT v" + from)) << Narrow(program.TakeMessageBox(0));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr) << Narrow(program.TakeMessageBox(0));

    // The Edit Value dialog tells the same before the value leaves it.
    if (bounded)
    {
        ASSERT_TRUE(program.ClickListCell(grid, 0, 2));
        program.PostCommand(kEditValue);
        HWND dlg = program.WaitForDialog(L"Edit v");
        ASSERT_NE(dlg, nullptr);
        CProgram::SetText(dlg, kValueEditor, letters);
        CProgram::Click(dlg, IDOK);
        const std::wstring told = program.TakeMessageBox();
        EXPECT_NE(told.find(L"at most 10 characters; the value would have 26"), std::wstring::npos)
            << Narrow(told);
        ASSERT_TRUE(IsWindow(dlg));
        CProgram::Click(dlg, IDCANCEL);
        EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.FindMessageBox(), nullptr) << Narrow(program.TakeMessageBox(0));
        EXPECT_EQ(m_db.Text(L"SELECT v" + from), L"0123456789");
    }
    // The Edit Value dialog takes a paste far over the reported size whole (below what the
    // grid holds of a value: a longer one is not opened for editing).
    {
        ASSERT_TRUE(program.ClickListCell(grid, 0, mariadb ? 4 : 3));
        program.PostCommand(kEditValue);
        HWND dlg = program.WaitForDialog(L"Edit e");
        ASSERT_NE(dlg, nullptr) << program.Describe();
        ASSERT_TRUE(ql::PutClipboardText(longValue.substr(0, 30000)));
        HWND value = CProgram::Item(dlg, kValueEditor);
        SendMessageW(value, WM_SETTEXT, 0, (LPARAM)L"");
        PostMessageW(value, WM_PASTE, 0, 0);
        EXPECT_TRUE(ql::WaitFor([&] { return TextLength(value) == 30000; })) << TextLength(value);
        CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); })) << program.Describe();
        CProgram::PressKey(grid, VK_RETURN);
        EXPECT_TRUE(ql::WaitFor([&] { return m_db.Text(L"SELECT length(e)" + from) == L"30000"; }))
            << Narrow(m_db.Text(L"SELECT length(e)" + from)) << Narrow(program.TakeMessageBox(0));
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.FindMessageBox(), nullptr) << Narrow(program.TakeMessageBox(0));

        // The saved row takes the keyboard again: Space opens the cell editor where it stands.
        ASSERT_TRUE(program.PressKeys({VK_SPACE}));
        editor = CProgram::WaitForInPlaceEditor(grid);
        ASSERT_NE(editor, nullptr) << program.Describe();
        CProgram::PressKey(GetDlgItem(editor, 2), VK_ESCAPE);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(editor); }));
        CProgram::PressKey(grid, VK_ESCAPE);
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.FindMessageBox(), nullptr) << Narrow(program.TakeMessageBox(0));
    }

    // The value of t is longer than the grid holds of it: neither Edit Value nor Space opens an
    // editor that would save the part shown in its place, and both say why.
    {
        // The cell's start shows at the left edge, where the click lands.
        SendMessageW(grid, LVM_SCROLL, static_cast<WPARAM>(-1000000), 0);
        ASSERT_TRUE(program.ClickListCell(grid, 0, 1));
        program.PostCommand(kEditValue);
        const std::wstring told = program.TakeMessageBox();
        EXPECT_NE(told.find(L"'t' is longer than the 65536 characters"), std::wstring::npos)
            << Narrow(told);
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.FindDialog(L"Edit t"), nullptr);
        CProgram::PressKey(grid, VK_SPACE);
        EXPECT_EQ(program.TakeMessageBox(), told);
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(CProgram::InPlaceEditor(grid), nullptr);
        EXPECT_EQ(m_db.Text(L"SELECT length(t)" + from), L"100000");

        // Nor is it copied cut, alone or in its row (which would paste without it): both say why
        // and leave the clipboard as it was.
        ASSERT_TRUE(ql::PutClipboardText(L"before"));
        for (UINT command :
             {static_cast<UINT>(ID_EDIT_COPY_VALUE), static_cast<UINT>(ID_EDIT_COPY)})
        {
            program.PostCommand(command);
            const std::wstring refused = program.TakeMessageBox();
            EXPECT_NE(refused.find(L"'t' is longer than the 65536 characters"), std::wstring::npos)
                << Narrow(refused);
            EXPECT_NE(refused.find(L"not copied"), std::wstring::npos) << Narrow(refused);
            ASSERT_TRUE(program.Settle());
            EXPECT_EQ(ql::ClipboardText(), L"before");
        }
    }

    if (mariadb)
    {
        ASSERT_NO_FATAL_FAILURE(pasteLongValueAndSave(3));
        const std::wstring refused = program.TakeMessageBox();
        EXPECT_NE(refused.find(L"Data too long"), std::wstring::npos) << Narrow(refused);
        EXPECT_EQ(m_db.Text(L"SELECT s" + from), L"small");
    }
    program.Kill();
}

QL_ON_EVERY_PRODUCT(GridUnchangedSaveE2E);

} // namespace
