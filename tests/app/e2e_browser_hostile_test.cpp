// End to end on PostgreSQL: a table whose name holds blanks, quotes, an apostrophe, a backslash,
// non-ASCII letters and mixed case goes through the tables tree's Copy Name and Rename; an
// empty new name and a drop the database refuses show the database's error and leave the tree
// and the data as they were. On MariaDB, names holding a backslash find their view text and
// their table's triggers.
#include "tests/app/e2e_browser_fixture.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(CStringA(text.c_str()).GetString());
}

// The name as an SQL identifier and as a string literal.
std::wstring Quoted(const std::wstring& name, wchar_t quote)
{
    std::wstring text(1, quote);
    for (wchar_t c : name)
        text += c == quote ? std::wstring(2, c) : std::wstring(1, c);
    return text + quote;
}

class BrowserHostileE2E : public CBrowserE2ETest
{
protected:
    BrowserHostileE2E() : CBrowserE2ETest(CScratchDatabase::postgres) {}
    bool TableExists(const std::wstring& name)
    {
        return m_db.Query((L"SELECT count(*) FROM pg_tables WHERE schemaname = 'public' AND "
                           L"tablename = " +
                           Quoted(name, L'\''))
                              .c_str()) == L"1";
    }
};

TEST_F(BrowserHostileE2E, CopyRenameAndRefusedChanges)
{
    const std::wstring name = L"Odd \"q\" 'a' \\b \x00C4\x00E9\x20AC";
    const std::wstring renamed = L"Zweite 'x' \"y\" \x00DF";
    m_db.Exec((L"CREATE TABLE " + Quoted(name, L'"') + L" (id int)").c_str());
    ASSERT_TRUE(m_program.StartConnected(std::wstring(m_db.Connect())));
    const HWND tables = m_program.FindChild(IDW_DBO_TABLES_TREE);
    HTREEITEM item = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        return (item = m_program.FindTreeItem(tables, L"public", name));
    })) << "the tree shows the name as the catalog gives it";

    ql::CProgram::TreeCommandNow(tables, item, ID_DBO_COPY_NAME);
    EXPECT_EQ(ql::ClipboardText(), L"\"public\"." + Quoted(name, L'"'))
        << Narrow(ql::ClipboardText());

    // An empty new name: the database's error, nothing changes.
    ql::CProgram::TreeCommand(tables, item, ID_DBO_RENAME);
    HWND dlg = m_program.WaitForDialog(L"Rename");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::SetText(dlg, IDC_DBO_NEW_NAME, L"");
    ql::CProgram::Click(dlg, IDOK);
    const std::wstring error = m_program.AnswerMessageBox(IDOK);
    EXPECT_EQ(error.rfind(L"ODBC error code: ", 0), 0u) << Narrow(error);
    EXPECT_NE(error.find(L"State: 42"), std::wstring::npos) << Narrow(error);
    EXPECT_EQ(m_program.TreeItemText(tables, item), name);
    EXPECT_TRUE(TableExists(name));

    ql::CProgram::TreeCommand(tables, item, ID_DBO_RENAME);
    dlg = m_program.WaitForDialog(L"Rename");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::SetText(dlg, IDC_DBO_NEW_NAME, renamed);
    ql::CProgram::Click(dlg, IDOK);
    EXPECT_TRUE(ql::WaitFor([&] { return m_program.TreeItemText(tables, item) == renamed; }));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    EXPECT_TRUE(TableExists(renamed));
    EXPECT_FALSE(TableExists(name));

    // Dropped behind the program's back: its Drop fails, and the item stays.
    m_db.Exec((L"DROP TABLE " + Quoted(renamed, L'"')).c_str());
    ql::CProgram::TreeCommand(tables, item, ID_DBO_DROP);
    EXPECT_EQ(m_program.AnswerMessageBox(IDYES),
              L"Table '\"public\"." + Quoted(renamed, L'"') + L"' will be dropped.\nContinue?");
    const std::wstring refused = m_program.AnswerMessageBox(IDOK);
    EXPECT_NE(refused.find(L"State: 42P01"), std::wstring::npos) << Narrow(refused);
    EXPECT_EQ(m_program.FindTreeItem(tables, L"public", renamed), item);
    EXPECT_TRUE(m_program.Close());
}

} // namespace

namespace {

class BrowserHostileMariaDBE2E : public CBrowserE2ETest
{
protected:
    BrowserHostileMariaDBE2E() : CBrowserE2ETest(CScratchDatabase::mariadb) {}
};

// MariaDB reads a backslash in a string literal as an escape: names holding one must still
// find their source text and triggers in the catalog.
TEST_F(BrowserHostileMariaDBE2E, BackslashNamesFindTheirTextAndTriggers)
{
    const std::wstring table = L"Tab \\ 'q' \x00C4", view = L"V \\ 'q'", trigger = L"trg \\ x";
    m_db.Exec((L"CREATE TABLE " + Quoted(table, L'`') + L" (id int, qty int)").c_str());
    m_db.Exec((L"CREATE TRIGGER " + Quoted(trigger, L'`') + L" BEFORE INSERT ON " +
               Quoted(table, L'`') + L" FOR EACH ROW SET NEW.qty = 1")
                  .c_str());
    m_db.Exec((L"CREATE VIEW " + Quoted(view, L'`') + L" AS SELECT 1 AS id").c_str());
    const std::wstring definition(
        m_db.Query(L"SELECT VIEW_DEFINITION FROM INFORMATION_SCHEMA.VIEWS WHERE TABLE_SCHEMA = "
                   L"database()")
            .GetString());

    HWND views = nullptr;
    const std::wstring db(m_db.Name().GetString()); // the node of the objects, and their schema
    HTREEITEM item = StartOn(L"Views", IDW_DBO_VIEWS_TREE, db, view, views);
    ASSERT_NE(item, nullptr);
    ql::CProgram::TreeCommand(views, item, ID_DBO_VIEW_TEXT);
    ASSERT_TRUE(m_program.WaitForActiveChild(db + L"." + Quoted(view, L'`') + L" text"))
        << "no script window: " << (m_program.FindMessageBox() ? "a message box" : "nothing");
    EXPECT_EQ(m_program.ActiveEditorText(), definition);

    const HWND tables = m_program.FindChild(IDW_DBO_TABLES_TREE);
    ASSERT_TRUE(m_program.ShowBarTab(L"Tables", tables));
    item = m_program.FindTreeItem(tables, db, table);
    ASSERT_NE(item, nullptr);
    ql::CProgram::TreeCommand(tables, item, ID_DBO_TRIGGERS);
    const HWND dlg = m_program.WaitForDialog(db + L"." + Quoted(table, L'`') + L" information");
    ASSERT_NE(dlg, nullptr);
    const HWND list = ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(m_program.ListItems(list, 0), (std::vector<std::wstring>{trigger}));
    EXPECT_EQ(m_program.ListItems(list, 3), (std::vector<std::wstring>{L"+"})) << "Insert";
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    EXPECT_TRUE(m_program.Close());
}

} // namespace
