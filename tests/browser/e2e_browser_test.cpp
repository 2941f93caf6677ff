// End to end: the database bar of Quenlark.exe connected to PostgreSQL at start-up: the tables
// tree, Copy Name onto the clipboard, and the Delete key's question with No and Yes.
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

class DatabaseBarE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        QlConnTest::OpenOrFail(m_db, QlTestDb::PostgresConnect());
        m_tag = QlTestDb::UniqueTag().c_str();
        m_child = L"ql_e2e_child_" + m_tag;
        m_items = L"Order Items " + m_tag;
        m_db.ExecuteSQL(L"CREATE TABLE public." + m_child + L" (id int)");
        m_db.ExecuteSQL(L"CREATE TABLE public.\"" + m_items + L"\" (id int)");
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
        m_db.ExecuteSQL(L"DROP TABLE IF EXISTS public." + m_child);
        m_db.ExecuteSQL(L"DROP TABLE IF EXISTS public.\"" + m_items + L"\"");
    }
    // Starts the program connected to PostgreSQL with the database bar shown.
    HWND StartConnected()
    {
        return program.StartConnected(std::wstring(QlTestDb::PostgresConnect()))
                   ? program.FindChild(IDW_DBO_TABLES_TREE)
                   : nullptr;
    }
    bool TableExists(const CString& name)
    {
        return QlConnTest::QueryText(m_db, L"SELECT count(*) FROM pg_tables WHERE schemaname = "
                                           L"'public' AND tablename = '" +
                                               name + L"'") == L"1";
    }

    ql::CProgram program;
    CRDatabase m_db;
    CString m_tag, m_child, m_items;
};

TEST_F(DatabaseBarE2E, CopyNameAndDeleteWithNoThenYes)
{
    HWND tree = StartConnected();
    ASSERT_NE(tree, nullptr);
    HTREEITEM items = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        return (items = program.FindTreeItem(tree, L"public", (LPCWSTR)m_items)) != nullptr;
    })) << "the tables tree lists the new table under public";

    // Copy Name: PUBLIC is a reserved word, the blanks need quotes too.
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)items);
    PostMessageW(tree, WM_COMMAND, ID_DBO_COPY_NAME, 0);
    const std::wstring expected = L"\"public\".\"" + std::wstring(m_items) + L"\"";
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ClipboardText() == expected; }, 5000))
        << "clipboard: " << std::string(CStringA(ql::ClipboardText().c_str()));

    // Delete asks first; No keeps the table, Yes drops it and removes the item.
    HTREEITEM child = program.FindTreeItem(tree, L"public", (LPCWSTR)m_child);
    ASSERT_NE(child, nullptr);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)child);
    ql::CProgram::PressKey(tree, VK_DELETE);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ql::CProgram::MessageBoxText(box),
              L"Table '\"public\"." + std::wstring(m_child) + L"' will be dropped.\nContinue?");
    ql::CProgram::Click(box, IDNO);
    EXPECT_TRUE(ql::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
    EXPECT_TRUE(TableExists(m_child));

    ql::CProgram::PressKey(tree, VK_DELETE);
    box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    ql::CProgram::Click(box, IDYES);
    EXPECT_TRUE(ql::WaitFor([&] { return !TableExists(m_child); }, 10000));
    EXPECT_TRUE(ql::WaitFor(
        [&] { return program.FindTreeItem(tree, L"public", (LPCWSTR)m_child) == nullptr; }));
    EXPECT_TRUE(program.Close());
}

TEST_F(DatabaseBarE2E, ConstraintsPageOfATableAndTheEmptyAnswerOfASchema)
{
    const CString parent = L"ql_e2e_parent_" + m_tag;
    const CString schema = L"ql_e2e_s_" + m_tag;
    m_db.ExecuteSQL(L"CREATE TABLE public." + parent + L" (id int, code text CONSTRAINT ck_code_" +
                    m_tag + L" CHECK (length(code) < 10), CONSTRAINT " + parent +
                    L"_key UNIQUE (code))");
    m_db.ExecuteSQL(L"CREATE SCHEMA " + schema);
    m_db.ExecuteSQL(L"CREATE TABLE " + schema + L".plain (id int)");
    HWND tree = StartConnected();
    ASSERT_NE(tree, nullptr);
    HTREEITEM item = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        return (item = program.FindTreeItem(tree, L"public", (LPCWSTR)parent)) != nullptr;
    }));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    PostMessageW(tree, WM_COMMAND, ID_DBO_CONSTRAINTS, 0);
    HWND dlg = program.WaitForDialog(L"\"public\"." + std::wstring(parent) + L" information");
    ASSERT_NE(dlg, nullptr);
    HWND tabs = GetDlgItem(dlg, IDC_DBO_TABS);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2) << "opened on the Constraints tab";
    HWND list = nullptr;
    ASSERT_TRUE(ql::WaitFor(
        [&] { return (list = ql::CProgram::FindVisibleControl(dlg, IDC_DBO_LIST)) != nullptr; }));
    std::vector<std::wstring> names = program.ListItems(list, 0);
    std::vector<std::wstring> types = program.ListItems(list, 1);
    std::vector<std::wstring> texts = program.ListItems(list, 3);
    int check = -1, unique = -1;
    for (size_t i = 0; i < names.size(); ++i)
    {
        if (names[i] == L"ck_code_" + std::wstring(m_tag))
            check = (int)i;
        if (names[i] == std::wstring(parent) + L"_key")
            unique = (int)i;
    }
    ASSERT_GE(check, 0);
    ASSERT_GE(unique, 0);
    EXPECT_EQ(types[check], L"Check");
    EXPECT_EQ(texts[check], L"(length(code) < 10)");
    EXPECT_EQ(types[unique], L"Unique");

    for (int i = 0; i < (int)names.size(); ++i)
        program.SelectListItem(list, i, i == unique);
    PostMessageW(GetParent(list), WM_COMMAND, IDC_DBO_DROP, 0);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    ql::CProgram::Click(box, IDYES);
    EXPECT_TRUE(ql::WaitFor([&] { return program.ListItems(list, 0).size() == names.size() - 1; }));
    EXPECT_EQ(QlConnTest::QueryText(m_db, L"SELECT count(*) FROM pg_constraint WHERE conname = '" +
                                              parent + L"_key'"),
              CString(L"0"));
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));

    // A schema whose tables have no constraints.
    const HTREEITEM node = program.FindTreeItem(tree, (LPCWSTR)schema);
    ASSERT_NE(node, nullptr);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)node);
    PostMessageW(tree, WM_COMMAND, ID_DBO_SCHEMA_CONSTRAINTS, 0);
    box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ql::CProgram::MessageBoxText(box),
              L"No constraints for " + std::wstring(schema) + L".");
    ql::CProgram::Click(box, IDOK);
    EXPECT_TRUE(program.Close());
    m_db.ExecuteSQL(L"DROP TABLE public." + parent);
    m_db.ExecuteSQL(L"DROP SCHEMA " + schema + L" CASCADE");
}

TEST_F(DatabaseBarE2E, ViewTextOpensTheViewsSourceInAScriptWindow)
{
    const CString view = L"ql_e2e_v_" + m_tag;
    m_db.ExecuteSQL(L"CREATE VIEW public." + view + L" AS SELECT 1 AS id");
    HWND tables = StartConnected();
    ASSERT_NE(tables, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] {
        return program.FindTreeItem(tables, L"public", (LPCWSTR)m_child) != nullptr;
    })) << "not connected";
    // Refresh on the whole views tree fills it even while its tab is not shown.
    HWND views = program.FindChild(IDW_DBO_VIEWS_TREE);
    ASSERT_NE(views, nullptr);
    PostMessageW(views, WM_COMMAND, ID_DBO_REFRESH, 0);
    HTREEITEM item = nullptr;
    ASSERT_TRUE(ql::WaitFor(
        [&] { return (item = program.FindTreeItem(views, L"public", (LPCWSTR)view)) != nullptr; }));
    SendMessageW(views, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    PostMessageW(views, WM_COMMAND, ID_DBO_VIEW_TEXT, 0);
    EXPECT_TRUE(program.WaitForActiveChild(L"\"public\"." + std::wstring(view) + L" text"))
        << "no script window titled with the view's name";
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    program.Kill();
    m_db.ExecuteSQL(L"DROP VIEW public." + view);
}

} // namespace
