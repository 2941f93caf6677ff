// End to end on PostgreSQL, each test in a database of its own: the tables tree's Copy Name
// (quotes where PostgreSQL needs them), the Delete key's question answered No and then Yes, a
// table's information dialog with its constraints (one dropped from there), the empty answer of
// a schema without constraints, and Refresh filling a tree whose tab was never shown.
#include "tests/app/e2e_browser_fixture.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class BrowserBarE2E : public CBrowserE2ETest
{
protected:
    BrowserBarE2E() : CBrowserE2ETest(CScratchDatabase::postgres) {}
    bool TableExists(LPCWSTR name)
    {
        return m_db.Query(CString(L"SELECT count(*) FROM pg_tables WHERE tablename = '") + name +
                          L"'") == L"1";
    }
};

TEST_F(BrowserBarE2E, CopyNameAndDeleteWithNoThenYes)
{
    m_db.Exec(L"CREATE TABLE \"Order Items\" (id int)");
    m_db.Exec(L"CREATE TABLE child (id int)");
    HWND tables = nullptr;
    const HTREEITEM items =
        StartOn(L"Tables", IDW_DBO_TABLES_TREE, L"public", L"Order Items", tables);
    ASSERT_NE(items, nullptr);

    // PUBLIC is a reserved word, the blank needs quotes too.
    ql::CProgram::TreeCommandNow(tables, items, ID_DBO_COPY_NAME);
    EXPECT_EQ(ql::ClipboardText(), L"\"public\".\"Order Items\"");

    // Delete asks first; No keeps the table, Yes drops it and removes the item.
    const HTREEITEM child = m_program.FindTreeItem(tables, L"public", L"child");
    ASSERT_NE(child, nullptr);
    ql::CProgram::SelectTreeItem(tables, child);
    ql::CProgram::PressKey(tables, VK_DELETE);
    EXPECT_EQ(m_program.AnswerMessageBox(IDNO),
              L"Table '\"public\".child' will be dropped.\nContinue?");
    EXPECT_TRUE(TableExists(L"child"));

    ql::CProgram::PressKey(tables, VK_DELETE);
    ASSERT_NE(m_program.AnswerMessageBox(IDYES), L"<none>");
    EXPECT_TRUE(ql::WaitFor([&] { return !TableExists(L"child"); }, 10000));
    EXPECT_TRUE(ql::WaitFor(
        [&] { return m_program.FindTreeItem(tables, L"public", L"child") == nullptr; }));
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserBarE2E, InfoConstraintsAndASchemaWithoutAny)
{
    m_db.Exec(L"CREATE TABLE parent (id int, code text CONSTRAINT ck_code CHECK (length(code) < "
              L"10), CONSTRAINT parent_code_key UNIQUE (code))");
    m_db.Exec(L"CREATE SCHEMA plain_s");
    m_db.Exec(L"CREATE TABLE plain_s.plain (id int)");
    HWND tables = nullptr;
    const HTREEITEM parent = StartOn(L"Tables", IDW_DBO_TABLES_TREE, L"public", L"parent", tables);
    ASSERT_NE(parent, nullptr);

    ql::CProgram::TreeCommand(tables, parent, ID_QUERY_TABLE_INFO);
    const HWND dlg = m_program.WaitForDialog(L"\"public\".parent information");
    ASSERT_NE(dlg, nullptr);
    const HWND tabs = ql::CProgram::Item(dlg, IDC_DBO_TABS);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3) << "Columns, Indexes, Constraints";
    const HWND columns = ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_LIST);
    ASSERT_NE(columns, nullptr);
    ASSERT_TRUE(m_program.ClickTab(tabs, 2));
    const HWND list = ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_LIST, columns);
    ASSERT_NE(list, nullptr);
    const std::vector<std::wstring> names = m_program.ListItems(list, 0);
    const std::vector<std::wstring> types = m_program.ListItems(list, 1);
    const std::vector<std::wstring> texts = m_program.ListItems(list, 3);
    const auto check = std::find(names.begin(), names.end(), L"ck_code") - names.begin();
    const auto unique = std::find(names.begin(), names.end(), L"parent_code_key") - names.begin();
    ASSERT_LT(check, (long)names.size());
    ASSERT_LT(unique, (long)names.size());
    EXPECT_EQ(types[check], L"Check");
    EXPECT_EQ(texts[check], L"(length(code) < 10)");
    EXPECT_EQ(types[unique], L"Unique");

    for (int i = 0; i < (int)names.size(); ++i)
        m_program.SelectListItem(list, i, i == unique);
    ql::CProgram::Click(GetParent(list), IDC_DBO_DROP);
    ASSERT_NE(m_program.AnswerMessageBox(IDYES), L"<none>");
    EXPECT_TRUE(
        ql::WaitFor([&] { return m_program.ListItems(list, 0).size() == names.size() - 1; }));
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM pg_constraint WHERE conname = 'parent_code_key'"),
              CString(L"0"));
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));

    ql::CProgram::TreeCommand(tables, m_program.FindTreeItem(tables, L"plain_s"),
                              ID_DBO_SCHEMA_CONSTRAINTS);
    EXPECT_EQ(m_program.AnswerMessageBox(IDOK), L"No constraints for plain_s.");
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserBarE2E, RefreshFillsATreeNotReadYet)
{
    m_db.Exec(L"CREATE TABLE t (id int)");
    m_db.Exec(L"CREATE VIEW v1 AS SELECT 1 AS id");
    ASSERT_TRUE(Start());
    const HWND views = m_program.FindChild(IDW_DBO_VIEWS_TREE);
    ASSERT_FALSE(IsWindowVisible(views));
    ql::CProgram::TreeCommand(views, nullptr, ID_DBO_REFRESH);
    EXPECT_TRUE(ql::WaitFor([&] { return m_program.FindTreeItem(views, L"public", L"v1"); }));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    EXPECT_TRUE(m_program.Close());
}

} // namespace
