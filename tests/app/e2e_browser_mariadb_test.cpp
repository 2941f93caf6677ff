// End to end on MariaDB, each test in a database of its own: the tables tree holds only the
// current database's tables, a table renamed to a name with a blank, a trigger marked under
// Insert on the table's Triggers page, the triggers tab's text and drop, a view's source text,
// and dropping a function; a table opened from the tree after a USE of another database, edited
// and refreshed there, is the tree's database's table, and so are a table of the Tables dialog
// and a procedure of the tree, called or read; a view's or routine's text the server keeps from
// the user is said so; a large table's and a slow view's window show their first rows at once
// and give the session back.
#include "tests/app/e2e_browser_fixture.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(CStringA(text.c_str()).GetString());
}

class BrowserMariaDBE2E : public CBrowserE2ETest
{
protected:
    BrowserMariaDBE2E() : CBrowserE2ETest(CScratchDatabase::mariadb) {}

    // A table t in the test database (its row 'mine') and one of the same name in another
    // (its row 'other').
    void SameTableInBoth(CScratchDatabase& other)
    {
        ASSERT_TRUE(other.Create());
        for (CScratchDatabase* db : {&other, &m_db})
        {
            db->Exec(L"CREATE TABLE t (id int PRIMARY KEY, name varchar(20))");
            db->Exec(db == &m_db ? L"INSERT INTO t VALUES (1, 'mine')"
                                 : L"INSERT INTO t VALUES (1, 'other')");
        }
    }
    // The user makes another database the session's current one.
    void Use(const CScratchDatabase& other)
    {
        ASSERT_TRUE(ql::RunQuery(m_program, L"USE " + std::wstring(other.Name().GetString())));
        EXPECT_NE(m_program.TakeMessageBox().find(L"Executed OK"), std::wstring::npos);
    }
};

TEST_F(BrowserMariaDBE2E, CurrentDatabaseTablesRenameAndTriggersPage)
{
    // A table of the same name in another database must not show.
    CScratchDatabase other(CScratchDatabase::mariadb);
    ASSERT_TRUE(other.Create());
    other.Exec(L"CREATE TABLE orders (id int)");
    other.Exec(L"CREATE TABLE stranger (id int)");
    m_db.Exec(L"CREATE TABLE orders (id int, qty int)");
    m_db.Exec(L"CREATE TABLE old_name (id int)");
    m_db.Exec(L"CREATE TRIGGER orders_ins BEFORE INSERT ON orders FOR EACH ROW SET NEW.qty = 1");
    ASSERT_TRUE(Start());
    const HWND tables = m_program.FindChild(IDW_DBO_TABLES_TREE);
    ASSERT_NE(tables, nullptr);
    // MariaDB gives no schema: one node, named after the current database.
    const std::wstring db(m_db.Name().GetString());
    HTREEITEM node = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] { return (node = m_program.FindTreeItem(tables, db)); }))
        << Narrow(m_program.TreeItemText(tables, ql::CProgram::TreeRoot(tables)));
    EXPECT_EQ(ql::CProgram::TreeNext(tables, node), nullptr);
    EXPECT_EQ(m_program.TreeChildren(tables, node),
              (std::vector<std::wstring>{L"old_name", L"orders"}));

    // Rename to a name that needs quotes.
    ql::CProgram::TreeCommand(tables, m_program.FindTreeItem(tables, db, L"old_name"),
                              ID_DBO_RENAME);
    HWND dlg = m_program.WaitForDialog(L"Rename");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::SetText(dlg, IDC_DBO_NEW_NAME, L"New Name");
    ql::CProgram::Click(dlg, IDOK);
    EXPECT_TRUE(ql::WaitFor([&] { return m_program.FindTreeItem(tables, db, L"New Name"); }));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM information_schema.tables WHERE table_schema = "
                         L"database() AND table_name = 'New Name'"),
              CString(L"1"));

    // The table's triggers: the insert trigger is marked under Insert only.
    ql::CProgram::TreeCommand(tables, m_program.FindTreeItem(tables, db, L"orders"),
                              ID_DBO_TRIGGERS);
    dlg = m_program.WaitForDialog(db + L".orders information");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(SendMessageW(ql::CProgram::Item(dlg, IDC_DBO_TABS), TCM_GETCURSEL, 0, 0), 3)
        << "opened on the Triggers tab, after Columns, Indexes and Constraints";
    const HWND list = ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(m_program.ListItems(list, 0), (std::vector<std::wstring>{L"orders_ins"}));
    EXPECT_EQ(m_program.ListItems(list, 2), (std::vector<std::wstring>{L""})) << "Update";
    EXPECT_EQ(m_program.ListItems(list, 3), (std::vector<std::wstring>{L"+"})) << "Insert";
    EXPECT_EQ(m_program.ListItems(list, 4), (std::vector<std::wstring>{L""})) << "Delete";
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserMariaDBE2E, TriggersTabTextAndDrop)
{
    m_db.Exec(L"CREATE TABLE orders (id int, qty int)");
    m_db.Exec(L"CREATE TRIGGER orders_ins BEFORE INSERT ON orders FOR EACH ROW SET NEW.qty = 1");
    const std::wstring statement(m_db.Query(L"SELECT ACTION_STATEMENT FROM "
                                            L"INFORMATION_SCHEMA.TRIGGERS WHERE TRIGGER_NAME = "
                                            L"'orders_ins' AND TRIGGER_SCHEMA = database()")
                                     .GetString());
    // Triggers come with their database as schema.
    const std::wstring schema(m_db.Name().GetString());
    HWND triggers = nullptr;
    const HTREEITEM item =
        StartOn(L"Triggers", IDW_DBO_TRIGGERS_TREE, schema, L"orders_ins", triggers);
    ASSERT_NE(item, nullptr) << "triggers tree: " << m_program.TreeItems(triggers).size()
                             << " items";

    ql::CProgram::TreeCommand(triggers, item, ID_DBO_VIEW_TEXT);
    ASSERT_TRUE(m_program.WaitForActiveChild(schema + L".orders_ins text"))
        << "no script window: " << (m_program.FindMessageBox() ? "a message box" : "nothing");
    EXPECT_EQ(m_program.ActiveEditorText(), statement);

    ql::CProgram::TreeCommand(triggers, item, ID_DBO_DROP);
    EXPECT_EQ(m_program.AnswerMessageBox(IDYES),
              L"Trigger '" + schema + L".orders_ins' will be dropped.\nContinue?");
    EXPECT_TRUE(ql::WaitFor(
        [&] { return m_program.FindTreeItem(triggers, schema, L"orders_ins") == nullptr; }));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM information_schema.triggers WHERE "
                         L"trigger_schema = database()"),
              CString(L"0"));
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserMariaDBE2E, ViewTextAndFunctionDrop)
{
    m_db.Exec(L"CREATE TABLE items (id int, name varchar(20))");
    m_db.Exec(L"CREATE VIEW v1 AS SELECT id, upper(name) AS name FROM items WHERE id > 2");
    m_db.Exec(L"CREATE FUNCTION f_drop() RETURNS int RETURN 1");
    const std::wstring definition(m_db.Query(L"SELECT VIEW_DEFINITION FROM "
                                             L"INFORMATION_SCHEMA.VIEWS WHERE TABLE_SCHEMA = "
                                             L"database() AND TABLE_NAME = 'v1'")
                                      .GetString());
    HWND views = nullptr;
    const std::wstring db(m_db.Name().GetString());
    HTREEITEM item = StartOn(L"Views", IDW_DBO_VIEWS_TREE, db, L"v1", views);
    ASSERT_NE(item, nullptr);
    ql::CProgram::TreeCommand(views, item, ID_DBO_VIEW_TEXT);
    ASSERT_TRUE(m_program.WaitForActiveChild(db + L".v1 text"))
        << "no script window: " << (m_program.FindMessageBox() ? "a message box" : "nothing");
    EXPECT_EQ(m_program.ActiveEditorText(), definition) << Narrow(m_program.ActiveEditorText());

    const HWND procs = m_program.FindChild(IDW_DBO_PROCS_TREE);
    ASSERT_TRUE(m_program.ShowBarTab(L"Procedures", procs));
    ASSERT_TRUE(ql::WaitFor([&] { return (item = m_program.FindTreeItem(procs, db, L"f_drop")); }))
        << "procedures tree: " << m_program.TreeItems(procs).size() << " items";
    ql::CProgram::TreeCommand(procs, item, ID_DBO_DROP);
    EXPECT_EQ(m_program.AnswerMessageBox(IDYES),
              L"Procedure '" + db + L".f_drop' will be dropped.\nContinue?");
    EXPECT_TRUE(
        ql::WaitFor([&] { return m_program.FindTreeItem(procs, db, L"f_drop") == nullptr; }));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM information_schema.routines WHERE "
                         L"routine_schema = database() AND routine_name = 'f_drop'"),
              CString(L"0"));
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserMariaDBE2E, TableOpenedFromTheTreeAfterUseIsTheTreesDatabases)
{
    // The same table in another database, which the session then makes its current one.
    CScratchDatabase other(CScratchDatabase::mariadb);
    ASSERT_NO_FATAL_FAILURE(SameTableInBoth(other));
    const std::wstring db(m_db.Name().GetString());
    HWND tables = nullptr;
    const HTREEITEM item = StartOn(L"Tables", IDW_DBO_TABLES_TREE, db, L"t", tables);
    ASSERT_NE(item, nullptr);
    ASSERT_NO_FATAL_FAILURE(Use(other));

    const std::vector<HWND> before = m_program.Children();
    ql::CProgram::TreeCommand(tables, item, ID_DBO_OPEN);
    const HWND child = m_program.WaitForNewGrid(before);
    ASSERT_NE(child, nullptr);
    const HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] {
        return m_program.ListItems(grid, 1) == std::vector<std::wstring>{L"mine"};
    })) << Narrow(m_program.ListItemText(grid, 0, 1));

    // An edit changes that table's row, not the current database's.
    ASSERT_TRUE(m_program.ClickListCell(grid, 0, 1));
    ql::CProgram::PressKey(grid, VK_SPACE);
    ASSERT_TRUE(ql::CProgram::SetInPlaceValue(grid, L"edited", false, VK_RETURN));
    ql::CProgram::PressKey(grid, VK_RETURN);
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Query(L"SELECT name FROM t") == L"edited"; }));
    EXPECT_EQ(other.Query(L"SELECT name FROM t"), CString(L"other"));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);

    // Refreshed, it reads the same table again.
    m_db.Exec(L"UPDATE t SET name = 'again'");
    m_program.PostCommand(ID_QUERY_REFRESH);
    EXPECT_TRUE(ql::WaitFor([&] {
        return m_program.ListItems(grid, 1) == std::vector<std::wstring>{L"again"};
    })) << Narrow(m_program.ListItemText(grid, 0, 1));
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserMariaDBE2E, TablesDialogTableAfterUseIsTheDatabaseItIsListedFor)
{
    CScratchDatabase other(CScratchDatabase::mariadb);
    ASSERT_NO_FATAL_FAILURE(SameTableInBoth(other));
    const std::wstring db(m_db.Name().GetString()), otherDb(other.Name().GetString());
    ASSERT_TRUE(Start());
    ASSERT_NO_FATAL_FAILURE(Use(other));

    // Each database's t is listed with its database and opens as that database's table.
    const HWND child = m_program.OpenTableWindow(db, L"t");
    ASSERT_NE(child, nullptr) << m_program.Describe();
    const HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] {
        return m_program.ListItems(grid, 1) == std::vector<std::wstring>{L"mine"};
    })) << Narrow(m_program.ListItemText(grid, 0, 1));
    ASSERT_TRUE(m_program.ClickListCell(grid, 0, 1));
    ql::CProgram::PressKey(grid, VK_SPACE);
    ASSERT_TRUE(ql::CProgram::SetInPlaceValue(grid, L"edited", false, VK_RETURN));
    ql::CProgram::PressKey(grid, VK_RETURN);
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Query(L"SELECT name FROM t") == L"edited"; }));
    EXPECT_EQ(other.Query(L"SELECT name FROM t"), CString(L"other"));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);

    const HWND second = m_program.OpenTableWindow(otherDb, L"t");
    ASSERT_NE(second, nullptr) << m_program.Describe();
    EXPECT_TRUE(ql::WaitFor([&] {
        return m_program.ListItems(ql::GridOf(second), 1) == std::vector<std::wstring>{L"other"};
    })) << Narrow(m_program.ListItemText(ql::GridOf(second), 0, 1));
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserMariaDBE2E, ProcedureFromTheTreeAfterUseIsTheTreesDatabases)
{
    // The same procedure name in another database, with other parameters and another table.
    CScratchDatabase other(CScratchDatabase::mariadb);
    ASSERT_TRUE(other.Create());
    other.Exec(L"CREATE TABLE log (v int)");
    other.Exec(L"CREATE PROCEDURE p(IN a int, IN b int) INSERT INTO log VALUES (a + b)");
    m_db.Exec(L"CREATE TABLE log (v int)");
    m_db.Exec(L"CREATE PROCEDURE p(IN x int) INSERT INTO log VALUES (x)");
    const std::wstring db(m_db.Name().GetString());
    HWND procs = nullptr;
    const HTREEITEM item = StartOn(L"Procedures", IDW_DBO_PROCS_TREE, db, L"p", procs);
    ASSERT_NE(item, nullptr);
    ASSERT_NO_FATAL_FAILURE(Use(other));

    ql::CProgram::TreeCommand(procs, item, ID_DBO_VIEW_TEXT);
    ASSERT_TRUE(m_program.WaitForActiveChild(db + L".p text")) << m_program.Describe();
    EXPECT_EQ(m_program.ActiveEditorText(), L"INSERT INTO log VALUES (x)")
        << Narrow(m_program.ActiveEditorText());

    // Called, it asks for its own parameter and runs in its own database.
    ql::CProgram::TreeCommand(procs, item, ID_DBO_EXECUTE);
    const HWND params = m_program.WaitForDialog(L"Parameters");
    ASSERT_NE(params, nullptr) << m_program.Describe();
    const HWND list = ql::CProgram::Item(params, IDC_PROC_PARAMS_LIST);
    EXPECT_EQ(m_program.ListItems(list, 0), std::vector<std::wstring>{L"x"});
    ASSERT_TRUE(m_program.EditParamValue(list, 0, L"5"));
    ql::CProgram::Click(params, IDOK);
    EXPECT_EQ(m_program.TakeMessageBox().find(L"Executed OK"), 0u);
    EXPECT_EQ(m_db.Query(L"SELECT group_concat(v) FROM log"), CString(L"5"));
    EXPECT_EQ(other.Query(L"SELECT count(*) FROM log"), CString(L"0"));
    EXPECT_TRUE(m_program.Close());
}

TEST_F(BrowserMariaDBE2E, TextTheServerKeepsFromTheUserIsSaidSo)
{
    // ql_reader may read the view and run the routine, but has no SHOW VIEW and defined neither.
    m_db.Exec(L"CREATE TABLE items (id int)");
    m_db.Exec(L"CREATE VIEW v1 AS SELECT id FROM items");
    m_db.Exec(L"CREATE FUNCTION f1() RETURNS int RETURN 1");
    CString connect = m_db.Connect();
    connect.Replace(L"UID=quenlark;PWD=quenlark;", L"UID=ql_reader;PWD=ql_reader;");
    ASSERT_TRUE(m_program.StartConnected(std::wstring(connect.GetString())));
    const std::wstring db(m_db.Name().GetString());

    const HWND views = m_program.FindChild(IDW_DBO_VIEWS_TREE);
    ASSERT_TRUE(m_program.ShowBarTab(L"Views", views));
    HTREEITEM item = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] { return (item = m_program.FindTreeItem(views, db, L"v1")); }));
    const std::vector<HWND> before = m_program.Children();
    ql::CProgram::TreeCommand(views, item, ID_DBO_VIEW_TEXT);
    std::wstring box = m_program.TakeMessageBox();
    EXPECT_NE(box.find(L"no text of view " + db + L".v1"), std::wstring::npos) << Narrow(box);
    EXPECT_NE(box.find(L"SHOW VIEW"), std::wstring::npos) << Narrow(box);
    EXPECT_EQ(m_program.TakeMessageBox(1000), L"") << "one box";

    const HWND procs = m_program.FindChild(IDW_DBO_PROCS_TREE);
    ASSERT_TRUE(m_program.ShowBarTab(L"Procedures", procs));
    ASSERT_TRUE(ql::WaitFor([&] { return (item = m_program.FindTreeItem(procs, db, L"f1")); }));
    ql::CProgram::TreeCommand(procs, item, ID_DBO_VIEW_TEXT);
    box = m_program.TakeMessageBox();
    EXPECT_NE(box.find(L"no text of function " + db + L".f1"), std::wstring::npos) << Narrow(box);
    EXPECT_NE(box.find(L"definer"), std::wstring::npos) << Narrow(box);
    EXPECT_EQ(m_program.Children(), before) << "no text window opened";
    EXPECT_TRUE(m_program.Close());
}

} // namespace

namespace {

// Milliseconds since start.
ULONGLONG Since(ULONGLONG start)
{
    return GetTickCount64() - start;
}

} // namespace

// A table window shows its first rows, reads the rest on by itself, and then leaves nothing
// running or open on the server; a slow view's first rows come at once, a statement of the
// user's has the session at once (the view's read stops), and a window closed mid-read leaves
// nothing running. Watched from the test's own session.
TEST_F(BrowserMariaDBE2E, WindowShowsFirstRowsAtOnceAndGivesTheSessionBack)
{
    m_db.Exec(L"CREATE TABLE big ENGINE=InnoDB AS SELECT seq AS id, CONCAT('row ', seq) AS name "
              L"FROM seq_1_to_100000");
    m_db.Exec(L"CREATE VIEW slow AS SELECT seq AS id, SLEEP(0.001) AS s FROM seq_1_to_100000");
    ASSERT_TRUE(Start());
    const std::wstring db(m_db.Name().GetString());
    const CString others = L" FROM information_schema.processlist WHERE db = '" + m_db.Name() +
                           L"' AND id <> CONNECTION_ID()";
    // Statements of the program's running, and transactions it holds open.
    auto running = [&] {
        return _wtoi(m_db.Query(L"SELECT COUNT(*)" + others + L" AND info IS NOT NULL"));
    };
    // Nothing of the program's holds the table: another session's ALTER TABLE gets its lock at
    // once (a transaction that read it would keep its metadata lock until it ends).
    auto altered = [&](const wchar_t* column) {
        m_db.Exec(L"SET SESSION lock_wait_timeout = 3");
        return QlConnTest::Catch([&] {
                   m_db.Exec(CString(L"ALTER TABLE big ADD COLUMN ") + column +
                             L" int, ALGORITHM=INSTANT");
               }) == nullptr;
    };

    const HWND table = m_program.OpenTableWindow(db, L"big");
    ASSERT_NE(table, nullptr) << m_program.Describe();
    EXPECT_TRUE(ql::WaitFor(
        [&] { return m_program.StatusPaneText(1).find(L"Rows 100000 ") != std::wstring::npos; },
        60000))
        << Narrow(m_program.StatusPaneText(1));
    EXPECT_EQ(running(), 0);
    EXPECT_TRUE(altered(L"extra1"));

    ULONGLONG start = GetTickCount64();
    const HWND view = m_program.OpenObjectWindow(ID_QUERY_VIEWS, L"Views", db, L"slow", 20000);
    ASSERT_NE(view, nullptr) << m_program.Describe();
    // Within a second on a quiet machine; the bound leaves room for a loaded one.
    EXPECT_LT(Since(start), 5000u);
    // It reads on by itself: the rest's statement runs.
    ASSERT_TRUE(ql::WaitFor([&] { return running() == 1; }, 10000))
        << Narrow(m_program.StatusPaneText(1)) << " "
        << Narrow(std::wstring(m_db.Query(L"SELECT GROUP_CONCAT(info)" + others).GetString()));
    start = GetTickCount64();
    const std::vector<HWND> before = m_program.Children();
    ASSERT_TRUE(ql::RunQuery(m_program, L"SELECT 41 + 1 AS answer"));
    const HWND answer = m_program.WaitForNewGrid(before, 20000);
    ASSERT_NE(answer, nullptr);
    EXPECT_TRUE(ql::WaitFor([&] {
        return m_program.StatusPaneText(1).find(L"Rows 1 Columns 1") != std::wstring::npos;
    })) << Narrow(m_program.StatusPaneText(1));
    EXPECT_LT(Since(start), 5000u);
    EXPECT_TRUE(ql::WaitFor([&] { return running() == 0; }, 3000));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);
    // The view's window keeps its rows and says that its reading stopped.
    PostMessageW(answer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ql::WaitFor([&] {
        return m_program.ActiveChild() == view &&
               m_program.StatusPaneText(1).find(L", reading stopped") != std::wstring::npos;
    })) << Narrow(m_program.StatusPaneText(1));
    EXPECT_EQ(m_program.FindMessageBox(), nullptr);

    // Refresh reads on; closed while it does, nothing stays running.
    m_program.PostCommand(ID_QUERY_REFRESH);
    ASSERT_TRUE(ql::WaitFor([&] { return running() == 1; }, 10000));
    PostMessageW(view, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return running() == 0; }, 3000));
    EXPECT_TRUE(altered(L"extra2"));
    EXPECT_TRUE(m_program.Close());
}
