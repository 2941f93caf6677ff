// End to end on SQLite: a table's information dialog renames a column on its Columns page, and
// its Indexes page, read again after the rename, lists each index by name (no list-view groups
// here).
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(BrowserSQLiteE2E, RenameAColumnAndIndexesByName)
{
    ql::CleanSettings();
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    QlConnTest::OpenOrFail(db, file.Connect());
    db.ExecuteSQL(L"CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), age INTEGER)");
    db.ExecuteSQL(L"CREATE INDEX t_name ON t (name, age)");

    ql::CProgram program;
    ASSERT_TRUE(program.StartConnected(std::wstring(file.Connect())));
    const HWND tables = program.FindChild(IDW_DBO_TABLES_TREE);
    // SQLite has no schemas: the one node shows the database file's name.
    const std::wstring path(file.Path().GetString());
    const std::wstring fileName = path.substr(path.find_last_of(L'/') + 1);
    HTREEITEM item = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] { return (item = program.FindTreeItem(tables, fileName, L"t")); }))
        << CStringA(program.TreeItemText(tables, ql::CProgram::TreeRoot(tables)).c_str())
               .GetString();
    ql::CProgram::TreeCommand(tables, item, ID_QUERY_TABLE_INFO);
    const HWND dlg = program.WaitForDialog(L"t information");
    ASSERT_NE(dlg, nullptr);
    const HWND tabs = ql::CProgram::Item(dlg, IDC_DBO_TABS);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2) << "Columns and Indexes only";

    // Columns: rename "name".
    const HWND list = ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_LIST);
    ASSERT_NE(list, nullptr);
    const std::vector<std::wstring> columns = program.ListItems(list);
    const auto name = std::find(columns.begin(), columns.end(), L"name");
    ASSERT_NE(name, columns.end());
    for (int i = 0; i < (int)columns.size(); ++i)
        program.SelectListItem(list, i, columns.begin() + i == name);
    ql::CProgram::Click(GetParent(list), IDC_DBO_RENAME);
    const HWND rename = program.WaitForDialog(L"Rename");
    ASSERT_NE(rename, nullptr);
    ql::CProgram::SetText(rename, IDC_DBO_NEW_NAME, L"full name");
    ql::CProgram::Click(rename, IDOK);
    EXPECT_TRUE(ql::WaitFor([&] {
        return program.ListItems(list)[name - columns.begin()] == L"full name";
    })) << (program.FindMessageBox() ? "a message box" : "no change");
    EXPECT_EQ(QlConnTest::QueryText(
                  db, L"SELECT count(*) FROM pragma_table_info('t') WHERE name = 'full name'"),
              CString(L"1"));

    // Indexes: the index's own name in the first column, its first column renamed.
    ASSERT_TRUE(program.ClickTab(tabs, 1));
    const HWND indexes = ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_LIST, list);
    ASSERT_NE(indexes, nullptr);
    const std::vector<std::wstring> names = program.ListItems(indexes, 0);
    const auto index = std::find(names.begin(), names.end(), L"t_name");
    ASSERT_NE(index, names.end());
    EXPECT_EQ(program.ListItems(indexes, 1)[index - names.begin()], L"full name");
    EXPECT_EQ(program.ListItems(indexes, 2)[index - names.begin()], L"No") << "not unique";

    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_TRUE(program.Close());
    db.Close();
    ql::CleanSettings();
}

} // namespace
