// End to end: the server drops the program's session in the middle of its work (a statement
// running, a grid half shown). The program reports the error, keeps answering, reconnects, and
// exits normally afterwards. A query grid keeps the rows its query read; a read of the database
// bar's trees reports the loss too.
#include "tests/app/e2e_tagged_session.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

const UINT kSQLQuery = 32775;
const UINT kReconnect = 32898;

std::string Narrow(const std::wstring& s)
{
    return std::string(CStringA(s.c_str()));
}

class ServerGoneE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        ql::WriteRegString(L"Grid lines", L"Yes");
        m_tag = L"qlgone_" + QlTestDb::UniqueTag();
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
        if (m_db.IsOpen() && !m_table.IsEmpty())
            QlConnTest::Catch([&] { m_db.ExecuteSQL(L"DROP TABLE " + m_table); });
    }

    // Starts the program connected to the string at start-up; the test's own connection to the
    // same server watches and kills the program's session.
    void StartOn(const CString& watcher, const std::wstring& programConnect)
    {
        if (!m_db.IsOpen())
            QlConnTest::OpenOrFail(m_db, watcher);
        ql::WriteRegString(L"Connect DB at startup", L"Yes");
        ql::WriteRegString(L"ConnectString0", programConnect, L"ConnectStrings");
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(ql::WaitFor([&] { return program.Title().find(L" - ") != std::wstring::npos; }))
            << Narrow(program.Title());
    }

    void Query(const std::wstring& sql)
    {
        program.PostCommand(kSQLQuery);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        ASSERT_NE(dlg, nullptr);
        ql::CProgram::SetText(dlg, 1001, sql);
        ql::CProgram::Click(dlg, IDOK);
    }

    long Number(const CString& sql) { return _wtol(QlConnTest::QueryText(m_db, sql)); }

    void StartOnMariaDB()
    {
        StartOn(QlTestDb::MariaDBConnect(), std::wstring(QlTestDb::MariaDBConnect().GetString()));
    }
    // MariaDB has no application name: the program's session is the one running this tagged
    // statement, which runs until it is killed. Returns its id (0 when it never showed).
    long RunTaggedSleep()
    {
        Query(L"SELECT SLEEP(60) AS " + m_tag);
        long id = 0;
        ql::WaitFor([&] {
            id = Number(CString(L"SELECT id FROM information_schema.processlist WHERE info LIKE "
                                L"'SELECT SLEEP(60) AS ") +
                        m_tag.c_str() + L"'");
            return id > 0;
        });
        return id;
    }

    // Starts the program on PostgreSQL in a session the test tells by its tag.
    void StartOnPostgres() { StartOn(QlTestDb::PostgresConnect(), Session().Connect()); }
    CTaggedPostgresSession Session() const { return CTaggedPostgresSession(m_tag); }
    // Ends the program's session as a server that drops it would; returns once it is gone.
    void TerminateSession()
    {
        Session().Terminate(m_db);
        ASSERT_TRUE(ql::WaitFor([&] { return Session().Count(m_db) == 0; }));
    }
    // A table of the test's own with the numbered rows, dropped at the end.
    void CreateRowsTable(int rows)
    {
        m_table = CString(L"ql_gone_") + QlTestDb::UniqueTag().c_str();
        QlConnTest::ExecOrFail(m_db, L"CREATE TABLE " + m_table +
                                         L" AS SELECT g AS id, 'row ' || g AS name "
                                         L"FROM generate_series(1, " +
                                         CString(std::to_wstring(rows).c_str()) + L") g");
    }

    // The program still answers messages and has its main window.
    bool Answers()
    {
        DWORD_PTR result = 0;
        return program.IsRunning() && SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0,
                                                          SMTO_ABORTIFHUNG, 5000, &result) != 0;
    }

    // After the loss: Reconnect (a new session where the test can count them), a query opens
    // its grid, the program exits.
    void ReconnectQueryAndClose(const std::function<long()>& sessions)
    {
        program.PostCommand(kReconnect);
        if (sessions)
        {
            EXPECT_TRUE(ql::WaitFor([&] { return sessions() == 1; })) << "no new session";
        }
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.TakeMessageBox(0), L"");
        Query(L"SELECT 42 AS answer");
        EXPECT_TRUE(ql::WaitFor([&] {
            HWND child = program.ActiveChild();
            return child != nullptr && ql::WindowText(child).find(L"SELECT 42") == 0;
        })) << Narrow(program.TakeMessageBox(100));
        EXPECT_TRUE(program.Close());
    }

    ql::CProgram program;
    CRDatabase m_db;
    CString m_table;
    std::wstring m_tag;
};

TEST_F(ServerGoneE2E, PostgreSQLSessionTerminatedDuringAStatementAndDuringAGridRead)
{
    // The table the grid reads below is there from the start: the tables tree then has a
    // schema node of its own, whatever else the database holds.
    QlConnTest::OpenOrFail(m_db, QlTestDb::PostgresConnect());
    ASSERT_NO_FATAL_FAILURE(CreateRowsTable(20000));
    StartOnPostgres();
    auto sessions = [&] { return Session().Count(m_db); };
    ASSERT_EQ(sessions(), 1);

    // The database bar reads its tables tree once the connection is open; it is looked at after
    // the loss.
    const HWND tables = program.FindChild(IDW_DBO_TABLES_TREE);
    ASSERT_NE(tables, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return ql::CProgram::TreeRoot(tables) != nullptr; }))
        << "the tables tree filled when the connection opened";

    // A statement running when the session goes.
    Query(L"SELECT pg_sleep(60)");
    ASSERT_TRUE(ql::WaitFor([&] {
        return Number(Session().CountSql() +
                      L" AND state = 'active' AND query LIKE '%pg_sleep%'") == 1;
    }));
    ASSERT_NO_FATAL_FAILURE(TerminateSession());
    std::wstring error = program.TakeMessageBox(30000);
    EXPECT_NE(error, L"") << "the lost statement is reported";
    EXPECT_TRUE(Answers());

    // The database bar: a schema node of the tables read at connecting closes and opens again on
    // what was read, with nothing to ask the server; a tab read now says why it stays empty.
    const HTREEITEM schema = ql::CProgram::TreeRoot(tables);
    ASSERT_NE(schema, nullptr) << "the tables tree filled when the connection opened";
    const std::vector<std::wstring> read = program.TreeChildren(tables, schema);
    const bool expanded = ql::CProgram::IsTreeItemExpanded(tables, schema);
    ql::CProgram::SelectTreeItem(tables, schema);
    ql::CProgram::PressKey(tables, VK_RETURN);
    ASSERT_TRUE(
        ql::WaitFor([&] { return ql::CProgram::IsTreeItemExpanded(tables, schema) != expanded; }));
    ql::CProgram::PressKey(tables, VK_RETURN);
    ASSERT_TRUE(
        ql::WaitFor([&] { return ql::CProgram::IsTreeItemExpanded(tables, schema) == expanded; }));
    EXPECT_EQ(program.TreeChildren(tables, schema), read);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.TakeMessageBox(0), L"");
    ASSERT_TRUE(program.ClickStripTab(program.FindChild(ql::CProgram::kBarSwitchId), L"Views"));
    const std::wstring views = program.TakeMessageBox();
    EXPECT_NE(views.find(L"08S01"), std::wstring::npos) << Narrow(views);
    EXPECT_EQ(ql::CProgram::TreeRoot(program.FindChild(IDW_DBO_VIEWS_TREE)), nullptr);

    // A grid with rows still to read when the session goes: reading on fails with a message,
    // the window closes, the program goes on.
    program.PostCommand(kReconnect);
    ASSERT_TRUE(ql::WaitFor([&] { return sessions() == 1; }));
    // A box the reconnect shows is up once the program has handled what was posted.
    ASSERT_TRUE(program.Settle());
    program.TakeMessageBox(0);
    Query(L"SELECT * FROM " + std::wstring(m_table.GetString()));
    HWND child = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        child = program.ActiveChild();
        return child != nullptr && ql::WindowText(child).find(L"SELECT") == 0;
    })) << Narrow(program.TakeMessageBox(100));
    ASSERT_NO_FATAL_FAILURE(TerminateSession());
    HWND grid = GetDlgItem(child, 0xE900);
    ASSERT_NE(grid, nullptr);
    // Move to the last row as the keyboard does: the grid reads every row that is left.
    PostMessageW(grid, WM_KEYDOWN, VK_END, 0);
    SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
    // The lost rows may or may not be reported: never a crash.
    ASSERT_TRUE(program.Settle());
    program.TakeMessageBox(0);
    EXPECT_TRUE(Answers());
    PostMessageW(child, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.Settle());
    program.TakeMessageBox(0);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(child); }));
    EXPECT_TRUE(Answers());

    ReconnectQueryAndClose(sessions);
}

TEST_F(ServerGoneE2E, MariaDBConnectionKilledDuringAStatement)
{
    StartOnMariaDB();
    const long id = RunTaggedSleep();
    ASSERT_GT(id, 0);
    CString kill;
    kill.Format(L"KILL CONNECTION %ld", id);
    m_db.ExecuteSQL(kill);
    std::wstring error = program.TakeMessageBox(30000);
    EXPECT_NE(error, L"") << "the lost statement is reported";
    EXPECT_TRUE(Answers());

    ReconnectQueryAndClose(nullptr);
}

TEST_F(ServerGoneE2E, SessionLostUnderAQueryGridKeepsTheRowsItRead)
{
    // A PostgreSQL query's rows are read whole when it runs, as psql reads them (and the MariaDB
    // driver holds the whole result on the client too): a session lost while the grid shows its
    // first screen takes none of them, Ctrl+End shows them all without a word, and Reconnect
    // opens a new session.
    StartOnPostgres();
    ASSERT_NO_FATAL_FAILURE(CreateRowsTable(300000));
    Query(L"SELECT * FROM " + std::wstring(m_table.GetString()));
    ASSERT_TRUE(program.WaitForActiveChild(L"SELECT * FROM")) << program.Describe();
    ASSERT_TRUE(program.WaitForGrid());
    ASSERT_NO_FATAL_FAILURE(TerminateSession());

    HWND grid = GetDlgItem(program.ActiveChild(), 0xE900);
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(program.PressKeys({VK_CONTROL, VK_END}));
    EXPECT_TRUE(
        ql::WaitFor([&] { return SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0) == 300000; }, 60000))
        << SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return program.FindDialog(L"Please wait...") == nullptr; }));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.TakeMessageBox(0), L"");
    EXPECT_TRUE(Answers());

    ReconnectQueryAndClose([&] { return Session().Count(m_db); });
}

TEST_F(ServerGoneE2E, InformationAfterTheConnectionIsKilledOpensWithItsPagesAndSaysWhy)
{
    // MariaDB's driver asks the server for the type names the quoting rules need (psqlODBC
    // answers them itself), so the lost connection shows from the dialog's first step.
    StartOnMariaDB();
    m_table = CString(L"ql_gone_") + QlTestDb::UniqueTag().c_str();
    QlConnTest::ExecOrFail(m_db, L"CREATE TABLE " + m_table + L" (id int)");
    const long id = RunTaggedSleep();
    ASSERT_GT(id, 0);
    CString stop;
    stop.Format(L"KILL QUERY %ld", id);
    m_db.ExecuteSQL(stop);
    ASSERT_TRUE(program.Settle());
    program.TakeMessageBox(0);
    const std::wstring table(m_table.GetString());
    HWND dlg = program.OpenTablesDialog({{L"quenlark", table}});
    ASSERT_NE(dlg, nullptr) << program.Describe();
    stop.Format(L"KILL CONNECTION %ld", id);
    m_db.ExecuteSQL(stop);

    // The pages that cannot read say so; the dialog opens all the same, named and with its tabs.
    ql::CProgram::Click(dlg, IDC_TABLES_INFO);
    HWND info = nullptr;
    std::wstring errors;
    ASSERT_TRUE(ql::WaitFor([&] {
        errors += program.TakeMessageBox(0);
        info = program.FindDialog(L"quenlark." + table + L" information");
        return info != nullptr && program.FindDialog(L"Please wait...") == nullptr &&
               program.WaitForMessageBox(300) == nullptr;
    })) << program.Describe();
    EXPECT_NE(errors, L"");
    EXPECT_GE(SendMessageW(ql::CProgram::Item(info, IDC_DBO_TABS), TCM_GETITEMCOUNT, 0, 0), 2);
    PostMessageW(info, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(info); }));
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_TRUE(Answers());
    ReconnectQueryAndClose(nullptr);
}

} // namespace
