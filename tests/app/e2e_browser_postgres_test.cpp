// End to end on PostgreSQL, each test in a database of its own: the database bar after
// connecting (one schema shown expanded, names in case-insensitive order, an empty triggers
// tab, Ctrl+F5 re-reading only the tab shown), the source text of a view and of a function
// whose body is BEGIN ATOMIC or that is overloaded, dropping a function, and the driver's
// properties, types and functions from the Connect menu; the information dialog's Text page
// wrapping as last chosen; the server's catalog schemas kept out of the procedure and constraint
// lists unless system tables are shown.
#include "tests/app/e2e_browser_fixture.h"

#include "editor/rce_messages.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(CStringA(text.c_str()).GetString());
}

// Line ends as the database writes them.
std::wstring Lf(std::wstring text)
{
    for (size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;)
        text.erase(at, 1);
    return text;
}

class BrowserPostgresE2E : public CBrowserE2ETest
{
protected:
    BrowserPostgresE2E() : CBrowserE2ETest(CScratchDatabase::postgres) {}
};

TEST_F(BrowserPostgresE2E, OneSchemaShowsExpandedAndCtrlF5RereadsOnlyTheShownTab)
{
    m_db.Exec(L"CREATE TABLE \"Beta\" (id int)");
    m_db.Exec(L"CREATE TABLE alpha (id int)");
    m_db.Exec(L"CREATE TABLE \"Gamma\" (id int)");
    m_db.Exec(L"CREATE VIEW v1 AS SELECT 1 AS id");
    ASSERT_TRUE(Start());
    const HWND tables = m_program.FindChild(IDW_DBO_TABLES_TREE);
    const HWND views = m_program.FindChild(IDW_DBO_VIEWS_TREE);
    const HWND triggers = m_program.FindChild(IDW_DBO_TRIGGERS_TREE);
    ASSERT_TRUE(tables && views && triggers);

    HTREEITEM schema = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        return (schema = m_program.FindTreeItem(tables, L"public")) != nullptr;
    })) << "the tables tree filled when the connection opened";
    EXPECT_EQ(ql::CProgram::TreeNext(tables, schema), nullptr) << "one schema node";
    EXPECT_TRUE(ql::CProgram::IsTreeItemExpanded(tables, schema));
    EXPECT_EQ(m_program.TreeChildren(tables, schema),
              (std::vector<std::wstring>{L"alpha", L"Beta", L"Gamma"}));

    // PostgreSQL lists no triggers: the tab shows an empty tree.
    ASSERT_TRUE(m_program.ShowBarTab(L"Triggers", triggers));
    SendMessageW(m_program.MainWindow(), WM_NULL, 0, 0);
    EXPECT_EQ(ql::CProgram::TreeRoot(triggers), nullptr);
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);

    ASSERT_TRUE(m_program.ShowBarTab(L"Views", views));
    ASSERT_TRUE(ql::WaitFor([&] { return m_program.FindTreeItem(views, L"public", L"v1"); }));

    // Made behind the program's back: a tab shown again keeps what it read before ...
    m_db.Exec(L"CREATE TABLE delta (id int)");
    m_db.Exec(L"CREATE VIEW v2 AS SELECT 2 AS id");
    ASSERT_TRUE(m_program.ShowBarTab(L"Tables", tables));
    SendMessageW(m_program.MainWindow(), WM_NULL, 0, 0);
    EXPECT_EQ(m_program.FindTreeItem(tables, L"public", L"delta"), nullptr);

    // ... and Ctrl+F5 reads the shown tab again, only that one.
    ASSERT_TRUE(m_program.PressKeys({VK_CONTROL, VK_F5}));
    EXPECT_TRUE(ql::WaitFor([&] { return m_program.FindTreeItem(tables, L"public", L"delta"); }));
    schema = m_program.FindTreeItem(tables, L"public");
    EXPECT_EQ(m_program.TreeChildren(tables, schema),
              (std::vector<std::wstring>{L"alpha", L"Beta", L"delta", L"Gamma"}));
    ASSERT_TRUE(m_program.ShowBarTab(L"Views", views));
    SendMessageW(m_program.MainWindow(), WM_NULL, 0, 0);
    EXPECT_NE(m_program.FindTreeItem(views, L"public", L"v1"), nullptr);
    EXPECT_EQ(m_program.FindTreeItem(views, L"public", L"v2"), nullptr);
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserPostgresE2E, ViewTextShowsTheCatalogText)
{
    m_db.Exec(L"CREATE TABLE items (id int, name text)");
    m_db.Exec(L"CREATE VIEW v1 AS SELECT id, upper(name) AS name FROM items WHERE id > 2");
    const std::wstring definition(
        m_db.Query(L"SELECT definition FROM pg_views WHERE viewname = 'v1'").GetString());
    ASSERT_FALSE(definition.empty());
    HWND views = nullptr;
    const HTREEITEM item = StartOn(L"Views", IDW_DBO_VIEWS_TREE, L"public", L"v1", views);
    ASSERT_NE(item, nullptr);

    ql::CProgram::TreeCommand(views, item, ID_DBO_VIEW_TEXT);
    ASSERT_TRUE(m_program.WaitForActiveChild(L"\"public\".v1 text"))
        << "a script window titled with the view's name";
    EXPECT_EQ(Lf(m_program.ActiveEditorText()), definition) << Narrow(m_program.ActiveEditorText());
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserPostgresE2E, InfoTextPageWrapsAsLastChosen)
{
    m_db.Exec(L"CREATE TABLE items (id int)");
    m_db.Exec(L"CREATE VIEW v1 AS SELECT id FROM items");
    ql::WriteRegString(L"DBOTextWordWrap", L"Yes");
    HWND views = nullptr;
    const HTREEITEM item = StartOn(L"Views", IDW_DBO_VIEWS_TREE, L"public", L"v1", views);
    ASSERT_NE(item, nullptr);
    ql::CProgram::TreeCommand(views, item, ID_QUERY_TABLE_INFO);
    const HWND dlg = m_program.WaitForDialog(L"\"public\".v1 information");
    ASSERT_NE(dlg, nullptr);
    const HWND tabs = ql::CProgram::Item(dlg, IDC_DBO_TABS);
    ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2) << "Columns and Text";
    ASSERT_TRUE(m_program.ClickTab(tabs, 1));
    const HWND editor = ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_TEXT);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(ql::ClassName(editor), L"RColorEditorClass");
    EXPECT_TRUE(ql::WaitFor([&] { return !ql::WindowText(editor).empty(); }));
    // The editor wraps, and offers the choice in its menu.
    const LRESULT options = SendMessageW(editor, RCEM_GETOPTIONS, 0, 0);
    EXPECT_EQ(options & (RCEO_WORDWRAP | RCEO_WORDWRAPMENU), RCEO_WORDWRAP | RCEO_WORDWRAPMENU);
    // Switched off as the editor's menu does it: the next dialog starts unwrapped.
    SendMessageW(editor, RCEM_SETOPTIONS, TRUE, options & ~RCEO_WORDWRAP);
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(ql::RegString(L"DBOTextWordWrap"), L"No");
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserPostgresE2E, FunctionTextAndDrop)
{
    // A BEGIN ATOMIC body is kept parsed: the catalog's source column stays empty for it.
    m_db.Exec(L"CREATE FUNCTION f_atomic(a int) RETURNS int LANGUAGE sql "
              L"BEGIN ATOMIC SELECT a + 1; END");
    m_db.Exec(L"CREATE FUNCTION f_drop() RETURNS int LANGUAGE sql AS 'SELECT 1'");
    // Overloads: both listed, and the text is the one made first.
    m_db.Exec(L"CREATE FUNCTION f_over(a int) RETURNS int LANGUAGE sql AS 'SELECT 1'");
    m_db.Exec(L"CREATE FUNCTION f_over(a text) RETURNS int LANGUAGE sql AS 'SELECT 2'");
    m_db.Exec(L"CREATE TABLE t (id int)");
    const std::wstring body(
        m_db.Query(L"SELECT pg_get_function_sqlbody('f_atomic'::regproc)").GetString());
    ASSERT_NE(body.find(L"BEGIN ATOMIC"), std::wstring::npos);
    HWND procs = nullptr;
    HTREEITEM item = StartOn(L"Procedures", IDW_DBO_PROCS_TREE, L"public", L"f_atomic", procs);
    ASSERT_NE(item, nullptr);

    ql::CProgram::TreeCommand(procs, item, ID_DBO_VIEW_TEXT);
    ASSERT_TRUE(m_program.WaitForActiveChild(L"\"public\".f_atomic text"))
        << "no script window: " << (m_program.FindMessageBox() ? "a message box" : "nothing");
    EXPECT_EQ(Lf(m_program.ActiveEditorText()), body) << Narrow(m_program.ActiveEditorText());

    const std::vector<std::wstring> names =
        m_program.TreeChildren(procs, m_program.FindTreeItem(procs, L"public"));
    EXPECT_EQ(std::count(names.begin(), names.end(), L"f_over"), 2);
    ql::CProgram::TreeCommand(procs, m_program.FindTreeItem(procs, L"public", L"f_over"),
                              ID_DBO_VIEW_TEXT);
    ASSERT_TRUE(m_program.WaitForActiveChild(L"\"public\".f_over text"));
    EXPECT_EQ(m_program.ActiveEditorText(), L"SELECT 1");

    item = m_program.FindTreeItem(procs, L"public", L"f_drop");
    ASSERT_NE(item, nullptr);
    ql::CProgram::TreeCommand(procs, item, ID_DBO_DROP);
    EXPECT_EQ(m_program.AnswerMessageBox(IDYES),
              L"Procedure '\"public\".f_drop' will be dropped.\nContinue?");
    EXPECT_TRUE(ql::WaitFor(
        [&] { return m_program.FindTreeItem(procs, L"public", L"f_drop") == nullptr; }));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    // Seen from a second connection.
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM pg_proc WHERE proname = 'f_drop'"), CString(L"0"));
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserPostgresE2E, ConnectMenuPropertiesTypesAndFunctions)
{
    CString version;
    ASSERT_TRUE(m_db.Db().GetDriverODBCVersion(version));
    m_db.Exec(L"CREATE TABLE t (id int)");
    ASSERT_TRUE(Start());

    m_program.PostCommand(ID_CONNECT_PROPERTIES);
    HWND dlg = m_program.WaitForDialog(L"ODBC Driver Properties");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(ql::CProgram::Text(dlg, IDC_ODBCP_DBMS_NAME), L"PostgreSQL");
    EXPECT_EQ(ql::CProgram::Text(dlg, IDC_ODBCP_IDENT_CASE),
              L"Not case-sensitive, stored in lowercase");
    EXPECT_EQ(ql::CProgram::Text(dlg, IDC_ODBCP_DATABASE_NAME), std::wstring(m_db.Name()));
    ql::CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));

    m_program.PostCommand(ID_CONNECT_TYPES);
    dlg = m_program.WaitForDialog(L"Types");
    ASSERT_NE(dlg, nullptr);
    const HWND types = ql::CProgram::Item(dlg, 1054);
    const std::vector<std::wstring> names = m_program.ListItems(types, 0);
    const std::vector<std::wstring> sqlTypes = m_program.ListItems(types, 2);
    const auto int4 = std::find(names.begin(), names.end(), L"int4");
    ASSERT_NE(int4, names.end());
    EXPECT_EQ(sqlTypes[int4 - names.begin()], L"SQL_INTEGER");
    ql::CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));

    m_program.PostCommand(ID_CONNECT_FUNCTIONS);
    const std::wstring caption = L"Functions (PostgreSQL ODBC ver " + std::wstring(version) + L")";
    dlg = m_program.WaitForDialog(caption);
    ASSERT_NE(dlg, nullptr) << Narrow(caption);
    const std::vector<std::wstring> functions = m_program.ListItems(ql::CProgram::Item(dlg, 1054));
    ASSERT_FALSE(functions.empty());
    EXPECT_EQ(functions.front(), L"Abs") << "sorted by name";
    ql::CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    EXPECT_TRUE(m_program.Close());
}

// The schemas of the server's own catalog, as the lists show them.
bool IsCatalogSchema(const std::wstring& schema)
{
    return schema == L"pg_catalog" || schema == L"information_schema";
}

TEST_F(BrowserPostgresE2E, CatalogSchemasShowOnlyWithSystemTables)
{
    m_db.Exec(L"CREATE TABLE t (id int PRIMARY KEY, n int CHECK (n > 0))");
    m_db.Exec(L"CREATE FUNCTION f_own() RETURNS int LANGUAGE sql AS 'SELECT 1'");
    // The procedures, in the Stored procedures dialog: their schemas.
    auto procedureSchemas = [&] {
        m_program.PostCommand(ID_QUERY_PROCEDURES);
        HWND dlg = m_program.WaitForDialog(L"Stored procedures");
        if (dlg == nullptr)
            return std::vector<std::wstring>{L"<no dialog>"};
        const std::vector<std::wstring> schemas =
            m_program.ListItems(ql::CProgram::Item(dlg, IDC_TABLES_LIST), 1);
        ql::CProgram::Click(dlg, IDCANCEL);
        ql::WaitFor([&] { return !IsWindow(dlg); });
        return schemas;
    };
    auto countCatalog = [](const std::vector<std::wstring>& schemas) {
        return std::count_if(schemas.begin(), schemas.end(), IsCatalogSchema);
    };

    ASSERT_TRUE(Start());
    std::vector<std::wstring> schemas = procedureSchemas();
    EXPECT_EQ(countCatalog(schemas), 0);
    EXPECT_EQ(schemas, std::vector<std::wstring>{L"public"});

    // Query > Constraints: the whole database's, the table's own two only.
    m_program.PostCommand(ID_QUERY_CONSTRAINTS);
    HWND dlg = m_program.WaitForDialog(L"Table Constraints");
    ASSERT_NE(dlg, nullptr) << m_program.Describe();
    HWND list = ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(m_program.ListItems(list, 2), (std::vector<std::wstring>{L"public.t", L"public.t"}));
    ql::CProgram::Click(dlg, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));

    // The procedures tree: one schema node.
    HWND procs = m_program.FindChild(IDW_DBO_PROCS_TREE);
    ASSERT_TRUE(m_program.ShowBarTab(L"Procedures", procs));
    ASSERT_TRUE(ql::WaitFor([&] { return m_program.FindTreeItem(procs, L"public") != nullptr; }));
    EXPECT_EQ(ql::CProgram::TreeNext(procs, ql::CProgram::TreeRoot(procs)), nullptr);
    EXPECT_TRUE(m_program.Close());

    // With system tables shown, the catalog's functions come back.
    ql::WriteRegString(L"Table dialog systables", L"Yes");
    ASSERT_TRUE(Start());
    EXPECT_GT(countCatalog(procedureSchemas()), 100);
    EXPECT_TRUE(m_program.Close());
}

} // namespace
