// End to end on PostgreSQL and MariaDB: the server drops the program's session in the middle of
// the user's work.
// - A transaction the user began is open: Commit fails with the server's reason and "Failed to
//   end transaction"; a statement or a grid edit that meets the lost session first says the
//   transaction ended with it. Nothing of the transaction is in the table; the transaction is
//   over (the server rolled it back), so neither the "TRANS" pane nor the end-transaction
//   question outlive it and the program closes at the first asking (asking only about a row
//   whose save was lost).
// - Rows are being edited in a table's grid: the row saved before the loss stays saved, the row
//   saved after it is reported and never shown as saved, and a sort's failure says why.
// And a transaction the user opens with a statement of their own (BEGIN, START TRANSACTION) is
// the connection's transaction: the drivers go on reporting autocommit on, so without care a row
// saved afterwards would be rolled back at disconnect without a question. "TRANS" shows, closing
// asks, and Commit keeps the row. The user's own COMMIT or ROLLBACK (in the SQL query dialog or a
// script window) ends it: "TRANS" goes and later grid edits are committed at once, as another
// session sees; savepoints and COMMIT AND CHAIN end nothing.
#include "tests/app/e2e_save.h"
#include "tests/app/e2e_scratch_database.h"
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"
#include "dbaccess/connect_items.h"

#include "framework/command_ids.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The user's steps in the program, for each fixture below.
class CTransactionSteps
{
protected:
    virtual ~CTransactionSteps() = default;
    virtual std::wstring EditedSchema() const = 0;

    // Opens the table "edited" in a grid window; its grid once the three rows are shown.
    void OpenEditedGrid(HWND& grid)
    {
        const HWND child = ql::OpenTable(program, EditedSchema(), L"edited");
        ASSERT_NE(child, nullptr) << program.Describe();
        grid = ql::GridOf(child);
        ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 3; }));
    }

    // Runs one statement through Query > Execute SQL; pBox: the text of the box it brings.
    void RunSQL(const std::wstring& sql, std::wstring* pBox = nullptr)
    {
        program.PostCommand(ID_QUERY_SQL);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        ASSERT_NE(dlg, nullptr);
        ql::CProgram::SetText(dlg, 1001, sql);
        ql::CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
        ASSERT_TRUE(program.Settle()) << program.Describe();
        // "Executed OK." or a row count, where the program shows one
        const std::wstring box = program.TakeMessageBox(500);
        if (pBox)
            *pBox = box;
    }
    // Runs the text in a new script window, without the run's own transaction.
    void RunScript(const std::wstring& text)
    {
        const HWND client = FindWindowExW(program.MainWindow(), nullptr, L"MDIClient", nullptr);
        // The grid window's view has the same pane id: the editor is the new active child's.
        const HWND before = (HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0);
        auto editor = [&] {
            HWND child = (HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0);
            return child && child != before ? GetDlgItem(child, 0xE900) : nullptr;
        };
        program.PostCommand(ID_FILE_NEW);
        ASSERT_TRUE(ql::WaitFor([&] { return editor() != nullptr; }));
        SendMessageW(editor(), WM_SETTEXT, 0, (LPARAM)text.c_str());
        program.PostCommand(ID_SCRIPT_EXECUTE_CURRENT);
        HWND dlg = program.WaitForDialog(L"Execute SQL Script");
        ASSERT_NE(dlg, nullptr);
        SendMessageW(ql::CProgram::Item(dlg, 1020), CB_SETCURSEL, 1, 0); // ";"
        SendMessageW(ql::CProgram::Item(dlg, 1037), BM_SETCHECK, BST_UNCHECKED, 0);
        ql::CProgram::Click(dlg, IDOK);
        EXPECT_EQ(program.TakeMessageBox(), L"Script executed successfully (3 of 3 queries).");
    }
    // Edits the name of the row with the id; the grid may hold the rows in any order.
    void EditName(HWND grid, const std::wstring& id, const std::wstring& text)
    {
        const auto ids = program.ListItems(grid, 0);
        const int row = static_cast<int>(std::find(ids.begin(), ids.end(), id) - ids.begin());
        ASSERT_LT(row, static_cast<int>(ids.size()));
        ASSERT_TRUE(program.ClickListCell(grid, row, 1));
        ql::CProgram::PressKey(grid, VK_SPACE);
        ASSERT_TRUE(ql::CProgram::SetInPlaceValue(grid, text, false, VK_RETURN));
        ql::CProgram::PressKey(grid, VK_RETURN);
    }
    // Whether Database > End Transaction is enabled: a disabled command is dropped; an enabled
    // one brings its question, which is cancelled.
    bool EndTransactionEnabled()
    {
        program.PostCommand(ID_DB_END_TRANS);
        EXPECT_TRUE(program.Settle()) << program.Describe();
        // A modal dialog shows once its loop finds the queue empty: Settle's box, posted behind
        // the command, can come and go before that. That the dialog was made tells the command
        // ran; FindWindow finds it hidden too (the test's Wine server holds this program only).
        HWND dlg = FindWindowW(L"#32770", L"End Transaction");
        if (dlg == nullptr)
            return false;
        EXPECT_TRUE(ql::WaitFor([&] { return IsWindowVisible(dlg) != FALSE; }));
        ql::CProgram::Click(dlg, IDCANCEL);
        EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
        return true;
    }

    // Connect > Reconnect with a grid edit in the user's open transaction (BEGIN, then the row
    // with the id renamed): the question comes first, answered with the button; the grid then
    // shows what the answer left.
    void ReconnectAnswering(HWND grid, const wchar_t* id, const wchar_t* edit, int button)
    {
        std::wstring box;
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN", &box));
        // Its box may come after RunSQL stopped looking for it.
        if (box.empty())
            box = program.TakeMessageBox();
        EXPECT_EQ(box.rfind(L"Executed OK.", 0), 0u) << QlConnTest::Narrow(box.c_str());
        ASSERT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(EditName(grid, id, edit));
        ASSERT_TRUE(program.Settle());
        ASSERT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        program.PostCommand(ID_CONNECT_RECONNECT);
        ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(button));
        ASSERT_TRUE(program.Settle()) << program.Describe();
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        if (button == IDCANCEL)
        {
            // Nothing ended: the transaction, its edit and the grid are as they were.
            EXPECT_TRUE(TransPaneShows()) << program.Describe();
            EXPECT_TRUE(EndTransactionEnabled());
        }
        else
        {
            EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
            EXPECT_FALSE(EndTransactionEnabled());
        }
        const auto ids = program.ListItems(grid, 0);
        const auto names = program.ListItems(grid, 1);
        const size_t row = std::find(ids.begin(), ids.end(), id) - ids.begin();
        ASSERT_LT(row, names.size());
        EXPECT_EQ(names[row] == edit, button != IDC_ROLLBACK) << "the grid after the answer";
    }

    bool TransPaneShows() const
    {
        for (int pane = 0; pane < 8; ++pane)
            if (program.StatusPaneText(pane) == L"TRANS")
                return true;
        return false;
    }
    // Ends the transaction from Database > End Transaction or the question at close.
    void AnswerEndTransaction(int button)
    {
        HWND dlg = program.WaitForDialog(L"End Transaction");
        ASSERT_NE(dlg, nullptr) << program.Describe();
        ql::CProgram::Click(dlg, button);
    }

    ql::CProgram program;
};

class TransactionsE2E : public ::testing::TestWithParam<CScratchDatabase::Server>,
                        public CTransactionSteps
{
protected:
    TransactionsE2E() : m_db(GetParam()) {}
    void SetUp() override
    {
        ql::CleanSettings();
        ASSERT_TRUE(m_db.Create());
        m_db.Exec(IsMariaDB() ? L"CREATE TABLE kept (id int PRIMARY KEY) ENGINE=InnoDB"
                              : L"CREATE TABLE kept (id int PRIMARY KEY)");
        m_db.Exec(L"CREATE TABLE edited (id int PRIMARY KEY, name varchar(20))");
        m_db.Exec(L"INSERT INTO edited VALUES (1, 'one'), (2, 'two'), (3, 'three')");
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    bool IsMariaDB() const { return GetParam() == CScratchDatabase::mariadb; }
    // MariaDB's schema is the database, the test's own.
    std::wstring EditedSchema() const override
    {
        return IsMariaDB() ? std::wstring(m_db.Name().GetString()) : L"public";
    }

    // The name another session reads.
    CString StoredName(const wchar_t* id)
    {
        return m_db.Query(CString(L"SELECT name FROM edited WHERE id = ") + id);
    }
    // The program's sessions: every session on the scratch database but the test's own.
    CString OtherSessions(const wchar_t* column) const
    {
        return IsMariaDB()
                   ? CString(L"SELECT ") + column +
                         L" FROM information_schema.processlist WHERE db = '" + m_db.Name() +
                         L"' AND id <> CONNECTION_ID()"
                   // (An autovacuum worker analysing a table just filled counts no client's.)
                   : CString(L"SELECT ") + column + L" FROM pg_stat_activity WHERE datname = '" +
                         m_db.Name() +
                         L"' AND pid <> pg_backend_pid() AND backend_type = 'client backend'";
    }
    // The program's session of the user's statements (its only one).
    CString UsersSession(const wchar_t* column) const
    {
        return OtherSessions(column) +
               (IsMariaDB() ? L" ORDER BY id" : L" ORDER BY backend_start") + L" LIMIT 1";
    }
    // Ctrl+End in the grid window, focused by a click on its first cell: the grid reads every
    // row that is left.
    bool PressCtrlEnd(HWND child)
    {
        SendMessageW(GetParent(child), WM_MDIACTIVATE, (WPARAM)child, 0);
        return program.ClickListCell(ql::GridOf(child), 0, 0) &&
               program.PressKeys({VK_CONTROL, VK_END});
    }
    // True once Ctrl+End has read the window's rows to the end.
    bool ReadToLastRow(HWND child)
    {
        if (!PressCtrlEnd(child))
            return false;
        return ql::WaitFor(
            [&] {
                const std::wstring rows = ql::Trimmed(program.StatusPaneText(1));
                return rows.rfind(L"Rows ", 0) == 0 && rows.rfind(L"Rows >= ", 0) != 0;
            },
            60000);
    }
    // The cursors open in the program's session, as the user's query there counts them.
    std::wstring CursorsOfTheSession()
    {
        RunSQL(L"SELECT count(*) FROM pg_cursors");
        if (!program.WaitForActiveChild(L"SELECT count(*)"))
            return L"<no window>";
        const HWND child = program.ActiveChild();
        std::vector<std::wstring> counts;
        ql::WaitFor([&] { return !(counts = program.ListItems(ql::GridOf(child), 0)).empty(); });
        PostMessageW(child, WM_CLOSE, 0, 0);
        ql::WaitFor([&] { return !IsWindow(child); });
        return counts.empty() ? L"<no rows>" : counts[0];
    }
    void KillProgramSession()
    {
        if (IsMariaDB())
        {
            const CString id = m_db.Query(OtherSessions(L"id"));
            ASSERT_FALSE(id.IsEmpty());
            m_db.Exec(L"KILL CONNECTION " + id);
        }
        else
            m_db.Query(OtherSessions(L"pg_terminate_backend(pid)"));
        ASSERT_TRUE(ql::WaitFor([&] { return m_db.Query(OtherSessions(L"count(*)")) == L"0"; }));
    }

    CScratchDatabase m_db;
};

// Commit after the session was killed fails with the server's reason and "Failed to end
// transaction". An edit of the grid that meets the lost session first says the transaction
// ended with it (psqlODBC then forgets the transaction and would take a commit for done), and
// there is nothing left to commit. Either way nothing of the transaction is in the table.
TEST_P(TransactionsE2E, CommitAfterTheSessionWasKilledTellsAndEndsTheTransaction)
{
    for (const bool editFirst : {false, true})
    {
        SCOPED_TRACE(editFirst ? "an edit met the loss first" : "straight to Commit");
        ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
        HWND grid = nullptr;
        if (editFirst)
        {
            ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
        }
        program.PostCommand(ID_DB_BEGIN_TRANS);
        ASSERT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (1)"));
        if (editFirst)
        {
            ASSERT_NO_FATAL_FAILURE(EditName(grid, L"1", L"uno"));
            ASSERT_TRUE(program.Settle());
            EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        }
        ASSERT_NO_FATAL_FAILURE(KillProgramSession());
        if (editFirst)
        {
            ASSERT_NO_FATAL_FAILURE(EditName(grid, L"2", L"dos"));
            const std::wstring box = program.TakeMessageBox(10000);
            EXPECT_NE(box.find(L"ended with the session"), std::wstring::npos) << ql::Narrow(box);
            EXPECT_EQ(box.find(L"aborted"), std::wstring::npos) << ql::Narrow(box);
            EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
            EXPECT_FALSE(EndTransactionEnabled());
        }
        else
        {
            program.PostCommand(ID_DB_END_TRANS);
            HWND dlg = program.WaitForDialog(L"End Transaction");
            ASSERT_NE(dlg, nullptr);
            ql::CProgram::Click(dlg, IDC_COMMIT);
            // The server's reason, then the program's own word, which ends the report: each wait
            // is for a box still to come (its time-out for a hang only); then none follows.
            std::vector<std::wstring> boxes;
            while (boxes.size() < 3 &&
                   (boxes.empty() || boxes.back() != L"Failed to end transaction"))
            {
                const std::wstring box = program.TakeMessageBox();
                if (box.empty())
                    break;
                boxes.push_back(box);
            }
            ASSERT_FALSE(boxes.empty()) << "the failed commit is reported";
            EXPECT_EQ(boxes.back(), L"Failed to end transaction");
        }
        ASSERT_TRUE(program.Settle()) << program.Describe();
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0");
        EXPECT_EQ(StoredName(L"1"), L"one");

        // The transaction went with the session: nothing is left to end. The row whose save
        // was lost is still the user's edit, and only that is asked about (No drops it).
        EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
        PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
        if (editFirst)
        {
            const std::wstring question = program.AnswerMessageBox(IDNO);
            EXPECT_EQ(question.rfind(L"The current row has changes that are not saved.", 0), 0u)
                << QlConnTest::Narrow(question.c_str());
        }
        EXPECT_TRUE(program.WaitForExit(20000))
            << "a question stops the close: " << program.Describe();
        program.Kill();
    }
}

// The user's own BEGIN and INSERT, then the session is killed: the next statement fails with
// the server's words and says the transaction ended with the session (never that it is aborted
// and waits for a ROLLBACK). "TRANS" goes, End Transaction has nothing to end, and the close
// asks nothing. Neither INSERT is in the table, and none was sent again in another session.
TEST_P(TransactionsE2E, AStatementThatMeetsTheKilledSessionEndsTheTransaction)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    ASSERT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (1)"));
    ASSERT_NO_FATAL_FAILURE(KillProgramSession());

    std::wstring box;
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (2)", &box));
    if (box.empty())
        box = program.TakeMessageBox();
    // PostgreSQL gives its reason; MariaDB's driver only that the connection is lost.
    EXPECT_NE(
        box.find(IsMariaDB() ? L"connection to the server was lost" : L"terminating connection"),
        std::wstring::npos)
        << ql::Narrow(box);
    EXPECT_NE(box.find(L"ended with the session"), std::wstring::npos) << ql::Narrow(box);
    EXPECT_EQ(box.find(L"aborted"), std::wstring::npos) << ql::Narrow(box);
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    EXPECT_FALSE(EndTransactionEnabled());
    EXPECT_EQ(m_db.Query(OtherSessions(L"count(*)")), L"0") << "the program connected again";
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0");

    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(20000)) << "a question stops the close: " << program.Describe();
}

// A query as the first statement of the user's after the session was killed, outside a
// transaction and inside one: the plain words (and inside a transaction the server's reason),
// never the driver's words about the lost connection, and the transaction ended with the session.
TEST_P(TransactionsE2E, AQueryAfterTheSessionWasKilledSaysSo)
{
    for (const bool inTransaction : {false, true})
    {
        SCOPED_TRACE(inTransaction ? "in a transaction" : "outside a transaction");
        ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
        if (inTransaction)
        {
            ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
            ASSERT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        }
        ASSERT_NO_FATAL_FAILURE(KillProgramSession());
        std::wstring box;
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"SELECT * FROM kept", &box));
        if (box.empty())
            box = program.TakeMessageBox();
        // (Outside a transaction the program's own reads meet the lost session first.)
        EXPECT_NE(box.find(IsMariaDB() || !inTransaction ? L"connection to the server was lost"
                                                         : L"terminating connection"),
                  std::wstring::npos)
            << ql::Narrow(box);
        for (const wchar_t* driversOwn : {L"unable due to", L"SQLExec"})
            EXPECT_EQ(box.find(driversOwn), std::wstring::npos) << ql::Narrow(box);
        if (inTransaction)
            EXPECT_NE(box.find(L"ended with the session"), std::wstring::npos) << ql::Narrow(box);
        for (std::wstring more; !(more = program.TakeMessageBox(1500)).empty();)
            ADD_FAILURE() << ql::Narrow(more);
        PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.WaitForExit(20000)) << program.Describe();
    }
}

// Once the session is gone, every path that reaches it (opening a table window, SQL Query, a
// grid edit, Refresh, the procedures dialog, the database bar's refresh) says in plain words
// that the connection to the server was lost and how to get a new one, never the driver's own
// words about its handle; a box keeps the SQLSTATE.
TEST_P(TransactionsE2E, EveryPathToTheLostSessionSaysSoInPlainWords)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    const HWND gridWindow = program.ActiveChild();
    // The Tables dialog read its list while the session was there.
    HWND tables = program.OpenTablesDialog({{EditedSchema(), L"kept"}});
    ASSERT_NE(tables, nullptr) << program.Describe();
    ASSERT_NO_FATAL_FAILURE(KillProgramSession());

    // Every box a step brings, until none follows.
    auto boxes = [&] {
        std::wstring all = program.TakeMessageBox(15000);
        for (std::wstring next; !(next = program.TakeMessageBox(1500)).empty();)
            all += L"\n--\n" + next;
        return all;
    };
    auto check = [&](const char* step, const std::wstring& said) {
        SCOPED_TRACE(step);
        EXPECT_NE(said.find(L"Connect > Reconnect opens a new session."), std::wstring::npos)
            << ql::Narrow(said);
        for (const wchar_t* driversOwn : {L"unable due to", L"Connection not open", L"SQLExec"})
            EXPECT_EQ(said.find(driversOwn), std::wstring::npos) << ql::Narrow(said);
    };

    ql::CProgram::Click(tables, IDOK);
    check("table window", boxes());
    std::wstring box;
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SELECT 1", &box));
    check("SQL Query", box.empty() ? boxes() : box + boxes());
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SELECT 2", &box));
    box = box.empty() ? boxes() : box + boxes();
    check("SQL Query again", box);
    EXPECT_NE(box.find(L"State: 08"), std::wstring::npos) << ql::Narrow(box);
    ASSERT_NO_FATAL_FAILURE(EditName(grid, L"2", L"dos"));
    check("grid edit", boxes());
    ql::CProgram::PressKey(grid, VK_ESCAPE);
    SendMessageW(GetParent(gridWindow), WM_MDIACTIVATE, (WPARAM)gridWindow, 0);
    const std::wstring csv = ql::ScratchFolder(L"lost_" + ql::UniqueSuffix()) + L"\\kept.csv";
    ASSERT_TRUE(QlSave::SaveGridAs(program, csv, L"Comma separated"));
    if (HWND options = program.WaitForDialog(L"Save As CSV File"))
        ql::CProgram::Click(options, IDOK);
    check("Save Data", boxes());
    SendMessageW(GetParent(gridWindow), WM_MDIACTIVATE, (WPARAM)gridWindow, 0);
    program.PostCommand(ID_QUERY_REFRESH);
    check("Refresh", boxes());
    program.PostCommand(ID_QUERY_PROCEDURES);
    check("procedures", boxes());
    if (HWND procs = program.FindDialog(L"Stored procedures"))
        ql::CProgram::Click(procs, IDCANCEL);
    program.PostCommand(ID_VIEW_REFRESH_DBBAR);
    check("database bar", boxes());
    EXPECT_EQ(StoredName(L"2"), L"two");
}

TEST_P(TransactionsE2E, GridEditsBeforeAndAfterTheLoss)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    ASSERT_NO_FATAL_FAILURE(EditName(grid, L"1", L"uno"));
    ASSERT_TRUE(ql::WaitFor([&] { return StoredName(L"1") == L"uno"; })) << program.Describe();
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    ASSERT_NO_FATAL_FAILURE(KillProgramSession());

    ASSERT_NO_FATAL_FAILURE(EditName(grid, L"2", L"dos"));
    EXPECT_NE(program.TakeMessageBox(10000), L"") << "the lost save is reported";
    EXPECT_EQ(StoredName(L"2"), L"two");
    EXPECT_EQ(StoredName(L"1"), L"uno");
    // The failed row stays an edit of the user's, not a saved row: Escape takes it back.
    ql::CProgram::PressKey(grid, VK_ESCAPE);
    EXPECT_TRUE(ql::WaitFor([&] {
        return ql::Sorted(program.ListItems(grid, 1)) ==
               std::vector<std::wstring>{L"three", L"two", L"uno"};
    }));
    // A sort from the column header needs the server as well: its failure says why.
    ASSERT_TRUE(program.ClickListHeader(grid, 1));
    ASSERT_TRUE(program.ChoosePopupMenuEntry(0));
    const std::wstring sortBox = program.TakeMessageBox(10000);
    EXPECT_NE(sortBox, L"") << "the failed sort is reported";
    EXPECT_NE(sortBox, L"No error message is available.");
    EXPECT_EQ(program.ListItems(grid, 0).size(), 3u);
    EXPECT_TRUE(program.Close()) << program.Describe();
}

TEST_P(TransactionsE2E, BeginOfTheUsersIsAskedAboutAtClose)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    for (const wchar_t* begin : {L"BEGIN", L"START TRANSACTION"})
    {
        ASSERT_NO_FATAL_FAILURE(RunSQL(begin));
        EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(RunSQL(begin == std::wstring(L"BEGIN")
                                           ? L"INSERT INTO kept VALUES (1)"
                                           : L"INSERT INTO kept VALUES (2)"));
        program.PostCommand(ID_DB_END_TRANS);
        HWND dlg = program.WaitForDialog(L"End Transaction");
        ASSERT_NE(dlg, nullptr) << "no transaction after " << QlConnTest::Narrow(begin);
        ql::CProgram::Click(dlg, begin == std::wstring(L"BEGIN") ? IDC_COMMIT : IDC_ROLLBACK);
        EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    }
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM kept"), L"1");
    EXPECT_EQ(m_db.Query(L"SELECT max(id) FROM kept"), L"1");

    // Left open, the close asks first.
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (3)"));
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    HWND dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr) << program.Describe();
    ql::CProgram::Click(dlg, IDC_COMMIT);
    EXPECT_TRUE(program.WaitForExit(20000)) << program.Describe();
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM kept"), L"2");
}

// Reconnect opens a new session, which ends the user's transaction: it asks first, as a close
// does. Cancel keeps the session (the same one on the server) and the uncommitted edit; Rollback
// and Commit end the transaction as answered before the new session starts.
TEST_P(TransactionsE2E, ReconnectAsksAboutTheOpenTransactionFirst)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    const CString session = m_db.Query(OtherSessions(IsMariaDB() ? L"id" : L"pid"));
    ASSERT_FALSE(session.IsEmpty());

    ASSERT_NO_FATAL_FAILURE(ReconnectAnswering(grid, L"1", L"uno", IDCANCEL));
    EXPECT_EQ(StoredName(L"1"), L"one") << "committed by a cancelled reconnect";
    EXPECT_TRUE(m_db.Query(OtherSessions(IsMariaDB() ? L"id" : L"pid")) == session)
        << "Cancel kept the session";
    // Answered this time: Rollback leaves the row as it was, in a new session.
    program.PostCommand(ID_CONNECT_RECONNECT);
    ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_ROLLBACK));
    ASSERT_TRUE(ql::WaitFor([&] {
        const CString now = m_db.Query(OtherSessions(IsMariaDB() ? L"id" : L"pid"));
        return !now.IsEmpty() && now != session;
    })) << "no new session";
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    EXPECT_EQ(StoredName(L"1"), L"one");
    EXPECT_TRUE(ql::WaitFor([&] {
        const auto names = program.ListItems(grid, 1);
        return std::find(names.begin(), names.end(), L"uno") == names.end() && names.size() == 3;
    })) << "the grid shows the rolled back edit";

    ASSERT_NO_FATAL_FAILURE(ReconnectAnswering(grid, L"2", L"dos", IDC_COMMIT));
    EXPECT_EQ(StoredName(L"2"), L"dos");
    // Without a transaction Reconnect asks nothing.
    program.PostCommand(ID_CONNECT_RECONNECT);
    ASSERT_TRUE(program.Settle()) << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    EXPECT_TRUE(program.Close()) << program.Describe();
}

TEST_P(TransactionsE2E, CommitOrRollbackOfTheUsersEndsTheTransaction)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));

    // Each ending statement leaves the connection as before the BEGIN: the change is what
    // another session reads, and a grid edit made next is committed at once.
    struct Ending
    {
        const wchar_t* begin;
        const wchar_t* end;
        const wchar_t* stored; // the name of row 3 afterwards
        const wchar_t* editedId;
        const wchar_t* edit;
    };
    const Ending endings[] = {
        {L"BEGIN", L"COMMIT", L"upd1", L"1", L"uno"},
        {L"START TRANSACTION", L"ROLLBACK WORK", L"upd1", L"2", L"dos"},
        {L"BEGIN WORK", IsMariaDB() ? L"COMMIT AND NO CHAIN" : L"END", L"upd3", L"1", L"eins"},
    };
    int round = 0;
    for (const Ending& ending : endings)
    {
        SCOPED_TRACE(QlConnTest::Narrow(ending.end));
        ASSERT_NO_FATAL_FAILURE(RunSQL(ending.begin));
        EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"UPDATE edited SET name = 'upd" + std::to_wstring(++round) +
                                       L"' WHERE id = 3"));
        ASSERT_NO_FATAL_FAILURE(RunSQL(ending.end));
        EXPECT_FALSE(EndTransactionEnabled());
        EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
        EXPECT_EQ(StoredName(L"3"), ending.stored);
        ASSERT_NO_FATAL_FAILURE(EditName(grid, ending.editedId, ending.edit));
        EXPECT_TRUE(ql::WaitFor([&] { return StoredName(ending.editedId) == ending.edit; }))
            << "the edit after " << QlConnTest::Narrow(ending.end) << " is not committed";
    }

    // Savepoints and a chained commit end nothing: the transaction stays the user's to end.
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    for (const wchar_t* keeps :
         {L"SAVEPOINT s", L"UPDATE edited SET name = 'kept' WHERE id = 3",
          L"ROLLBACK TO SAVEPOINT s", L"RELEASE SAVEPOINT s", L"COMMIT AND CHAIN"})
    {
        std::wstring box;
        ASSERT_NO_FATAL_FAILURE(RunSQL(keeps, &box));
        EXPECT_EQ(box.rfind(L"Executed OK.", 0), 0u) << QlConnTest::Narrow(box.c_str());
        EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); }))
            << "no transaction after " << QlConnTest::Narrow(keeps);
    }
    if (!IsMariaDB())
    {
        // A statement whose session the program set right again succeeded, and says so.
        std::wstring box;
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"SET DateStyle TO 'German'", &box));
        EXPECT_EQ(box.rfind(L"Executed OK.", 0), 0u) << QlConnTest::Narrow(box.c_str());
        EXPECT_NE(box.find(L"DateStyle was set back to ISO"), std::wstring::npos);
    }
    EXPECT_TRUE(EndTransactionEnabled());
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"ROLLBACK"));
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    EXPECT_EQ(StoredName(L"3"), L"upd3");

    if (IsMariaDB())
    {
        // A compound statement is no transaction.
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN NOT ATOMIC DECLARE x INT; SET x = 1; END"));
        EXPECT_FALSE(EndTransactionEnabled());
        EXPECT_FALSE(TransPaneShows());
    }

    // A script window's BEGIN ... COMMIT.
    ASSERT_NO_FATAL_FAILURE(
        RunScript(L"BEGIN;\r\nUPDATE edited SET name = 'script' WHERE id = 3;\r\nCOMMIT;\r\n"));
    EXPECT_FALSE(EndTransactionEnabled());
    EXPECT_EQ(StoredName(L"3"), L"script");
    // Nothing left to ask about at close.
    EXPECT_TRUE(program.Close()) << program.Describe();
}

// PostgreSQL: what psqlODBC and the program send beside the user's queries. A query dialog's set
// operation, and a table window open while a script runs, open no transaction of the user's:
// nothing shows, and the next write is committed. Queries of several statements inside the user's transaction: the
// program asks the driver for no cursor it cannot make for them and sends nothing of its own
// around them, so the row inserted before stays the transaction's until the user ends it, and the
// user's own ROLLBACK at the end of such a text rolls back.
TEST_P(TransactionsE2E, TheDriversAndProgramsStatementsLeaveTheUsersTransactionAlone)
{
    if (IsMariaDB())
        GTEST_SKIP() << "psqlODBC's cursors";
    m_db.Exec(L"CREATE TABLE many AS SELECT g AS id FROM generate_series(1, 20000) g");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"(select 1 as n) union all (select 2)"));
    ASSERT_TRUE(program.Settle());
    EXPECT_FALSE(TransPaneShows());
    EXPECT_FALSE(EndTransactionEnabled());
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (9)"));
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"1") << "the write is not committed";

    const HWND many = ql::OpenTable(program, L"public", L"many");
    ASSERT_NE(many, nullptr) << program.Describe();
    ASSERT_TRUE(ql::WaitFor([&] { return !program.ListItems(ql::GridOf(many), 0).empty(); }));
    ASSERT_NO_FATAL_FAILURE(RunScript(L"SET search_path TO public;\r\nselect 1;\r\nselect 2;\r\n"));
    ASSERT_TRUE(program.Settle());
    EXPECT_FALSE(TransPaneShows());
    EXPECT_FALSE(EndTransactionEnabled());
    // A write beside the window still reading is committed at once.
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (8)"));
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"2") << "the write is not committed";
    EXPECT_FALSE(TransPaneShows());
    PostMessageW(many, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(many); }));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"DELETE FROM kept"));
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0") << "the write is not committed";

    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (1)"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"select 1 as a; select 2 as b"));
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0") << "committed by the query";
    EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
    program.PostCommand(ID_DB_END_TRANS);
    ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_ROLLBACK));
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0") << "the rollback kept the row";

    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (2)"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SELECT 1 AS a; ROLLBACK"));
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0") << "the ROLLBACK committed";
    EXPECT_TRUE(program.Close()) << program.Describe();
}

// PostgreSQL: psqlODBC's cursors and their transactions no longer run on the user's connection,
// as another session sees. A query grid over many rows left open, then a write and a failing
// query: no transaction shows, each write is committed at once, the program's sessions are never
// left in a transaction. Statements failing beside a table window say what the server said, and
// the window keeps all its rows. A query calling a function that writes commits
// the writes while its grid is open. In the user's transaction, a failed statement beside a
// table window does not keep the user's ROLLBACK from ending it, and the next edit is committed.
TEST_P(TransactionsE2E, NothingOfTheDriversRunsBesideTheUsersStatements)
{
    if (IsMariaDB())
        GTEST_SKIP() << "psqlODBC's cursors";
    m_db.Exec(L"CREATE TABLE many AS SELECT g AS id FROM generate_series(1, 20000) g");
    m_db.Exec(L"CREATE TABLE calls (n int)");
    m_db.Exec(L"CREATE FUNCTION logf(i int) RETURNS int LANGUAGE plpgsql AS "
              L"$$ BEGIN INSERT INTO calls VALUES (i); RETURN i; END $$");
    const CString inTransaction = OtherSessions(L"count(*)") + L" AND state LIKE 'idle in%'";
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));

    ASSERT_NO_FATAL_FAILURE(RunSQL(L"select * from many"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (9)"));
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"1") << "the write is not committed";
    std::wstring box;
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"select idd from many", &box));
    EXPECT_NE(box.find(L"\"idd\" does not exist"), std::wstring::npos)
        << QlConnTest::Narrow(box.c_str());
    EXPECT_FALSE(TransPaneShows());
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (8)"));
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"2") << "the write is not committed";
    EXPECT_FALSE(TransPaneShows());
    EXPECT_FALSE(EndTransactionEnabled());
    EXPECT_STREQ(m_db.Query(inTransaction), L"0");

    const HWND table = ql::OpenTable(program, L"public", L"many");
    ASSERT_NE(table, nullptr) << program.Describe();
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"select * from nosuch", &box));
    EXPECT_NE(box.find(L"\"nosuch\" does not exist"), std::wstring::npos)
        << QlConnTest::Narrow(box.c_str());
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"select 1/0", &box));
    EXPECT_NE(box.find(L"division by zero"), std::wstring::npos) << QlConnTest::Narrow(box.c_str());
    // The window's read let the session go to the statements: it keeps the rows it had, unless
    // it had read them all, and says so; Ctrl+End reads them again and takes them all into the
    // grid.
    ASSERT_EQ(program.ActiveChild(), table);
    std::wstring rows;
    EXPECT_TRUE(ql::WaitFor([&] {
        rows = ql::Trimmed(program.StatusPaneText(1));
        return rows == L"Rows 20000 Columns 1" || rows.find(L", reading stopped") != rows.npos;
    })) << ql::Narrow(rows);
    const HWND tableGrid = ql::GridOf(table);
    ASSERT_TRUE(program.ClickListCell(tableGrid, 0, 0));
    ASSERT_TRUE(program.PressKeys({VK_CONTROL, VK_END}));
    EXPECT_TRUE(ql::WaitFor(
        [&] { return ql::Trimmed(program.StatusPaneText(1)) == L"Rows 20000 Columns 1"; }, 60000))
        << ql::Narrow(program.StatusPaneText(1));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.TakeMessageBox(0), L"");
    EXPECT_FALSE(TransPaneShows());
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Query(inTransaction) == L"0"; }));
    PostMessageW(table, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(table); }));

    ASSERT_NO_FATAL_FAILURE(RunSQL(L"select id, logf(id) from kept"));
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM calls"), L"2") << "held in a transaction";
    EXPECT_FALSE(TransPaneShows());
    EXPECT_FALSE(EndTransactionEnabled());

    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    ASSERT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
    const HWND again = ql::OpenTable(program, L"public", L"many");
    ASSERT_NE(again, nullptr) << program.Describe();
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    ASSERT_NO_FATAL_FAILURE(EditName(grid, L"1", L"uno"));
    ASSERT_TRUE(program.Settle());
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"select 1/0", &box));
    EXPECT_NE(box.find(L"division by zero"), std::wstring::npos) << QlConnTest::Narrow(box.c_str());
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"ROLLBACK", &box));
    EXPECT_EQ(box.rfind(L"Executed OK.", 0), 0u) << QlConnTest::Narrow(box.c_str());
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Query(inTransaction) == L"0"; }));
    EXPECT_EQ(StoredName(L"1"), L"one");
    ASSERT_NO_FATAL_FAILURE(EditName(grid, L"2", L"dos"));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    EXPECT_EQ(StoredName(L"2"), L"dos") << "the edit is not committed";
    EXPECT_TRUE(program.Close()) << program.Describe();
}

// MariaDB: a procedure called from the SQL query dialog starts a transaction and returns rows.
// While its results are read the server answers no question about the session; the program asks
// again once they are, and until then takes the transaction for open. The row the procedure
// inserted and a grid edit made afterwards stay the transaction's until the close commits them.
TEST_P(TransactionsE2E, AProcedureThatOpensATransactionAndReturnsRows)
{
    if (!IsMariaDB())
        GTEST_SKIP() << "a MariaDB procedure";
    m_db.Exec(L"CREATE PROCEDURE opens_rows() BEGIN START TRANSACTION; "
              L"INSERT INTO kept VALUES (5); SELECT id FROM kept; END");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"CALL opens_rows()"));
    EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0");
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    ASSERT_NO_FATAL_FAILURE(EditName(grid, L"1", L"called"));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    EXPECT_EQ(StoredName(L"1"), L"one") << "the edit committed the procedure's transaction";
    EXPECT_TRUE(TransPaneShows());
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_COMMIT));
    EXPECT_TRUE(program.WaitForExit(20000)) << program.Describe();
    EXPECT_STREQ(m_db.Query(L"SELECT count(*) FROM kept"), L"1");
    EXPECT_EQ(StoredName(L"1"), L"called");
}

// A statement of the user's fails inside their transaction (no window reading). The transaction
// stays, aborted, as in psql, whatever level of rollback on errors the user's string gives
// psqlODBC: the failure's box says so, "TRANS" stays, a grid edit is refused and stored nowhere,
// and the user's COMMIT rolls back and says so. "TRANS" then goes, and the next grid edit is
// committed at once. Nothing of the transaction is in the table for another session.
TEST_P(TransactionsE2E, AFailedStatementLeavesTheUsersTransactionAborted)
{
    if (IsMariaDB())
        GTEST_SKIP() << "PostgreSQL's aborted transaction";
    // A role that may hold one session only (scripts/databases.sh) gets the same: every option
    // goes in the one connect.
    m_db.Exec(L"GRANT SELECT, UPDATE ON edited TO ql_one");
    const wchar_t* const oneSession = L"one session";
    for (const wchar_t* protocol : {L"", L"7.4-2", L"7.4-1", oneSession})
    {
        SCOPED_TRACE(QlConnTest::Narrow(protocol));
        m_db.Exec(L"UPDATE edited SET name = 'three' WHERE id = 3");
        m_db.Exec(L"UPDATE edited SET name = 'one' WHERE id = 1");
        std::wstring connect(m_db.Connect());
        if (protocol == oneSession)
            connect = std::wstring(SetConnectItem(
                SetConnectItem(connect.c_str(), L"UID", L"ql_one"), L"PWD", L"ql_one"));
        else if (*protocol)
            connect += std::wstring(L"Protocol=") + protocol + L";";
        ASSERT_TRUE(program.StartConnected(connect));
        HWND grid = nullptr;
        ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
        ASSERT_NO_FATAL_FAILURE(EditName(grid, L"1", L"111"));
        ASSERT_TRUE(program.Settle());
        ASSERT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        std::wstring box;
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"SELECT 1/0", &box));
        if (box.empty())
            box = program.TakeMessageBox();
        EXPECT_NE(box.find(L"division by zero"), std::wstring::npos) << ql::Narrow(box);
        EXPECT_NE(box.find(L"The transaction is aborted"), std::wstring::npos) << ql::Narrow(box);
        EXPECT_TRUE(EndTransactionEnabled());
        EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        // (Another role's session state is shown to its own role only.)
        if (protocol != oneSession)
            EXPECT_EQ(m_db.Query(UsersSession(L"state")), L"idle in transaction (aborted)");
        // The server refuses the next edit: it is reported, and stored nowhere.
        ASSERT_NO_FATAL_FAILURE(EditName(grid, L"2", L"222"));
        EXPECT_NE(program.TakeMessageBox(10000), L"") << "the refused edit is reported";
        ql::CProgram::PressKey(grid, VK_ESCAPE);
        ASSERT_TRUE(program.Settle());
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"COMMIT", &box));
        if (box.empty())
            box = program.TakeMessageBox();
        EXPECT_NE(box.find(L"rolled back, not committed"), std::wstring::npos) << ql::Narrow(box);
        EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
        EXPECT_FALSE(EndTransactionEnabled());
        EXPECT_EQ(StoredName(L"1"), L"one");
        EXPECT_EQ(StoredName(L"2"), L"two");
        ASSERT_NO_FATAL_FAILURE(EditName(grid, L"3", L"333"));
        EXPECT_TRUE(ql::WaitFor([&] { return StoredName(L"3") == L"333"; }))
            << "the edit after the ended transaction is not committed";
        EXPECT_TRUE(program.Close()) << program.Describe();
    }
}

// psql's savepoints, typed in Execute SQL with grid edits between: the failure's note names
// ROLLBACK TO SAVEPOINT; after it the transaction is usable again (the next grid edit is taken),
// and the COMMIT commits what the savepoint kept, with no word of a rollback: another session
// reads id 1 and id 3 changed and id 2 as it was, as psql leaves the same statements.
TEST_P(TransactionsE2E, RollbackToSavepointMakesTheAbortedTransactionUsable)
{
    if (IsMariaDB())
        GTEST_SKIP() << "PostgreSQL's aborted transaction";
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    std::wstring box;
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"UPDATE edited SET name = 'uno' WHERE id = 1"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SAVEPOINT sp"));
    ASSERT_NO_FATAL_FAILURE(EditName(grid, L"2", L"dos"));
    ASSERT_TRUE(program.Settle());
    ASSERT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"UPDATE edited SET name = name || (1 / 0)", &box));
    if (box.empty())
        box = program.TakeMessageBox();
    EXPECT_NE(box.find(L"division by zero"), std::wstring::npos) << ql::Narrow(box);
    EXPECT_NE(box.find(L"ROLLBACK TO SAVEPOINT"), std::wstring::npos) << ql::Narrow(box);
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"ROLLBACK TO SAVEPOINT sp", &box));
    EXPECT_EQ(box.find(L"rror"), std::wstring::npos) << ql::Narrow(box);
    EXPECT_EQ(m_db.Query(UsersSession(L"state")), L"idle in transaction");
    ASSERT_NO_FATAL_FAILURE(EditName(grid, L"3", L"tres"));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    EXPECT_EQ(StoredName(L"3"), L"three") << "the edit waits for the COMMIT";
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"COMMIT", &box));
    if (box.empty())
        box = program.TakeMessageBox(2000);
    EXPECT_EQ(box.find(L"rolled back"), std::wstring::npos) << ql::Narrow(box);
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    EXPECT_EQ(StoredName(L"1"), L"uno");
    EXPECT_EQ(StoredName(L"2"), L"two");
    EXPECT_EQ(StoredName(L"3"), L"tres");
    EXPECT_TRUE(program.Close()) << program.Describe();
}

// Inside an aborted PostgreSQL transaction the catalog dialogs and the database bar's trees say
// that the transaction must be ended first, never the driver's own text ("PGAPI_Procedures query error"); after the ROLLBACK
// they list again.
TEST_P(TransactionsE2E, CatalogReadsInAnAbortedTransactionSayItMustBeEnded)
{
    if (IsMariaDB())
        GTEST_SKIP() << "PostgreSQL's aborted transaction";
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    std::wstring box;
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SELECT 1/0", &box));
    if (box.empty())
        box = program.TakeMessageBox();
    ASSERT_NE(box.find(L"The transaction is aborted"), std::wstring::npos) << ql::Narrow(box);
    const struct
    {
        UINT command;
        const wchar_t* caption;
    } dialogs[] = {{ID_QUERY_PROCEDURES, L"Stored procedures"},
                   {ID_QUERY_TABLES, L"Tables"},
                   {ID_QUERY_VIEWS, L"Views"}};
    for (const auto& d : dialogs)
    {
        SCOPED_TRACE(ql::Narrow(d.caption));
        program.PostCommand(d.command);
        box = program.TakeMessageBox();
        EXPECT_NE(box.find(L"transaction is aborted"), std::wstring::npos) << ql::Narrow(box);
        EXPECT_NE(box.find(L"End it first"), std::wstring::npos) << ql::Narrow(box);
        EXPECT_EQ(box.find(L"PGAPI"), std::wstring::npos) << ql::Narrow(box);
        ASSERT_TRUE(program.Settle()) << program.Describe();
        if (HWND dlg = FindWindowW(L"#32770", d.caption))
        {
            ql::CProgram::Click(dlg, IDCANCEL);
            EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
        }
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    }
    // The database bar's Refresh of each tree.
    for (const int tree : {IDW_DBO_TABLES_TREE, IDW_DBO_VIEWS_TREE, IDW_DBO_PROCS_TREE})
    {
        SCOPED_TRACE(tree);
        ql::CProgram::TreeCommand(program.FindChild(tree), nullptr, ID_DBO_REFRESH);
        box = program.TakeMessageBox();
        EXPECT_NE(box.find(L"transaction is aborted"), std::wstring::npos) << ql::Narrow(box);
        EXPECT_NE(box.find(L"End it first"), std::wstring::npos) << ql::Narrow(box);
        ASSERT_TRUE(program.Settle()) << program.Describe();
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    }
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"ROLLBACK"));
    HWND dlg = nullptr;
    program.PostCommand(ID_QUERY_TABLES);
    dlg = program.WaitForDialog(L"Tables");
    ASSERT_NE(dlg, nullptr) << program.Describe();
    EXPECT_GE(program.FindListText(ql::CProgram::Item(dlg, IDC_TABLES_LIST), L"edited", L"public"),
              0);
    ql::CProgram::Click(dlg, IDCANCEL);
    EXPECT_TRUE(program.Close()) << program.Describe();
}

// A statement the server cancels is not the user's Cancel: an administrator's pg_cancel_backend,
// statement_timeout (PostgreSQL) and max_statement_time (MariaDB), set in the session as a user
// types it, end an UPDATE and a SELECT with the server's error in the box, and the row stays as
// it was. Inside a PostgreSQL
// transaction the cancel aborts it, as the box then says.
TEST_P(TransactionsE2E, AStatementTheServerCancelsShowsTheServersError)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    const std::wstring update = IsMariaDB()
                                    ? L"UPDATE edited SET name = 'x' WHERE id = 1 AND SLEEP(3) = 0"
                                    : L"UPDATE edited SET name = 'x' FROM pg_sleep(3) WHERE id = 1";
    const std::wstring select = IsMariaDB() ? L"SELECT SLEEP(3)" : L"SELECT pg_sleep(3)";
    const std::wstring said = IsMariaDB() ? L"max_statement_time" : L"statement timeout";
    std::wstring box;
    if (!IsMariaDB())
    {
        // An administrator's pg_cancel_backend, from another session.
        program.PostCommand(ID_QUERY_SQL);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        ASSERT_NE(dlg, nullptr);
        ql::CProgram::SetText(dlg, 1001, L"SELECT pg_sleep(60)");
        ql::CProgram::Click(dlg, IDOK);
        const CString running =
            OtherSessions(L"count(*)") + L" AND state = 'active' AND query LIKE '%pg_sleep(60)%'";
        ASSERT_TRUE(ql::WaitFor([&] { return m_db.Query(running) == L"1"; }));
        m_db.Query(OtherSessions(L"pg_cancel_backend(pid)") + L" AND state = 'active'");
        box = program.TakeMessageBox();
        EXPECT_NE(box.find(L"canceling statement due to user request"), std::wstring::npos)
            << ql::Narrow(box);
        ASSERT_TRUE(program.Settle()) << program.Describe();
    }
    ASSERT_NO_FATAL_FAILURE(
        RunSQL(IsMariaDB() ? L"SET max_statement_time = 1" : L"SET statement_timeout = '1s'"));
    for (const bool inTransaction : {false, true})
    {
        SCOPED_TRACE(inTransaction ? "in a transaction" : "autocommit");
        if (inTransaction)
            ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
        // PostgreSQL refuses every statement after the first in the aborted transaction.
        std::vector<std::wstring> statements{update};
        if (!inTransaction || IsMariaDB())
            statements.push_back(select);
        for (const std::wstring& sql : statements)
        {
            ASSERT_NO_FATAL_FAILURE(RunSQL(sql, &box));
            if (box.empty())
                box = program.TakeMessageBox();
            EXPECT_NE(box.find(said), std::wstring::npos) << ql::Narrow(box);
            if (inTransaction && !IsMariaDB())
                EXPECT_NE(box.find(L"The transaction is aborted"), std::wstring::npos)
                    << ql::Narrow(box);
        }
        if (inTransaction)
        {
            EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
            if (!IsMariaDB())
                EXPECT_EQ(m_db.Query(UsersSession(L"state")), L"idle in transaction (aborted)");
            ASSERT_NO_FATAL_FAILURE(RunSQL(L"ROLLBACK"));
            EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
        }
        EXPECT_EQ(StoredName(L"1"), L"one");
    }
    EXPECT_TRUE(program.Close()) << program.Describe();
}

// PostgreSQL: the program holds one session. A window over a million rows reads on by itself to
// its last row, and then holds nothing there: no transaction, lock or snapshot, so another
// client's ALTER TABLE gets its lock at once, and the user's own statement that alters the
// window's table is answered at once. A window still reading (a slow view) holds its read's
// transaction until the user acts: a statement, the user's CLOSE ALL or BEGIN lets it go at once,
// and the window keeps its rows and says that its reading stopped. The user's role ends sessions
// left idle in a transaction for a second (scripts/databases.sh): that never happens to the
// program's, beside a window reading or a long statement, and the user's own transaction left
// idle is ended by the server and said, as psql says it.
TEST_P(TransactionsE2E, NothingIsHeldBesideAnOpenWindow)
{
    if (IsMariaDB())
        GTEST_SKIP() << "PostgreSQL's locks and snapshots";
    m_db.Exec(
        L"CREATE TABLE big AS SELECT g AS id, 'v' || g AS v FROM generate_series(1, 1000000) g");
    m_db.Exec(L"GRANT SELECT ON big TO ql_idle");
    // (Run as the table's owner: the user's role has no rights of its own.)
    m_db.Exec(L"CREATE FUNCTION alter_big() RETURNS int LANGUAGE plpgsql SECURITY DEFINER AS "
              L"$$ BEGIN ALTER TABLE big ADD COLUMN by_user int; RETURN 1; END $$");
    m_db.Exec(L"GRANT EXECUTE ON FUNCTION alter_big() TO ql_idle");
    // A view that gives a row a millisecond: its window reads on for minutes.
    m_db.Exec(L"CREATE TABLE slow_rows AS SELECT g FROM generate_series(1, 100000) g");
    m_db.Exec(L"CREATE FUNCTION slow_id(i int) RETURNS int LANGUAGE plpgsql AS "
              L"$$ BEGIN PERFORM pg_sleep(0.001); RETURN i; END $$");
    m_db.Exec(L"CREATE VIEW slow AS SELECT slow_id(g) AS id FROM slow_rows");
    m_db.Exec(L"GRANT SELECT ON slow TO ql_idle");
    // A view whose first row takes five seconds.
    m_db.Exec(L"CREATE FUNCTION late_id(i int) RETURNS int LANGUAGE plpgsql AS "
              L"$$ BEGIN PERFORM pg_sleep(5); RETURN i; END $$");
    m_db.Exec(L"CREATE VIEW late AS SELECT late_id(1) AS id");
    m_db.Exec(L"GRANT SELECT ON late TO ql_idle");
    ASSERT_TRUE(program.StartConnected(std::wstring(
        SetConnectItem(SetConnectItem(m_db.Connect(), L"UID", L"ql_idle"), L"PWD", L"ql_idle"))));
    const HWND window = ql::OpenTable(program, L"public", L"big");
    ASSERT_NE(window, nullptr) << program.Describe();
    // The window reads on by itself; once it has its rows nothing of its read stays.
    EXPECT_TRUE(ql::WaitFor(
        [&] {
            return m_db.Query(OtherSessions(
                       L"state || ' ' || coalesce(backend_xmin::text, '-')")) == L"idle -";
        },
        60000))
        << QlConnTest::Narrow(
               m_db.Query(OtherSessions(L"state || ' ' || coalesce(backend_xmin::text, '-')")));
    EXPECT_TRUE(ReadToLastRow(window));
    EXPECT_EQ(ql::Trimmed(program.StatusPaneText(1)), L"Rows 1000000 Columns 2");
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();

    EXPECT_EQ(m_db.Query(OtherSessions(L"count(*)")), L"1") << "one session of the program's";
    const CString pid = m_db.Query(OtherSessions(L"pid"));
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM pg_locks WHERE pid = " + pid), L"0");
    m_db.Exec(L"SET lock_timeout = '5s'");
    m_db.Exec(L"ALTER TABLE big ADD COLUMN by_other int");
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM information_schema.columns WHERE table_name = "
                         L"'big' AND column_name = 'by_other'"),
              L"1");

    // A long statement of the user's beside the window: the session stays.
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SELECT pg_sleep(2)"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SELECT alter_big()"));
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM information_schema.columns WHERE table_name = "
                         L"'big' AND column_name = 'by_user'"),
              L"1");
    EXPECT_EQ(m_db.Query(OtherSessions(L"count(*)")), L"1");
    EXPECT_EQ(m_db.Query(OtherSessions(L"state")), L"idle");
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    // The window read in the same session, the role's setting in force there.
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SHOW idle_in_transaction_session_timeout"));
    ASSERT_TRUE(program.WaitForActiveChild(L"SHOW")) << program.Describe();
    const HWND shown = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return !program.ListItems(shown, 0).empty(); }));
    EXPECT_EQ(program.ListItems(shown, 0)[0], L"1s");
    EXPECT_EQ(m_db.Query(OtherSessions(L"pid")), pid) << "the same session";
    EXPECT_EQ(CursorsOfTheSession(), L"0");
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(window); }));

    // The user's statement_timeout and lock_timeout apply to a window's read as to a SELECT:
    // the server's own words, and the session is the user's as before.
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SET statement_timeout = '1s'"));
    EXPECT_EQ(program.OpenObjectWindow(ID_QUERY_VIEWS, L"Views", L"public", L"late", 5000),
              nullptr);
    std::wstring said = program.TakeMessageBox(20000);
    EXPECT_NE(said.find(L"statement timeout"), std::wstring::npos) << ql::Narrow(said);
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SET statement_timeout = 0"));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SET lock_timeout = '1s'"));
    m_db.Exec(L"BEGIN");
    m_db.Exec(L"LOCK TABLE slow_rows IN ACCESS EXCLUSIVE MODE");
    EXPECT_EQ(program.OpenObjectWindow(ID_QUERY_VIEWS, L"Views", L"public", L"slow", 5000),
              nullptr);
    said = program.TakeMessageBox(20000);
    EXPECT_NE(said.find(L"lock timeout"), std::wstring::npos) << ql::Narrow(said);
    m_db.Exec(L"ROLLBACK");
    EXPECT_EQ(m_db.Query(OtherSessions(L"state || ' ' || coalesce(backend_xmin::text, '-')")),
              L"idle -");

    // The slow view's window reads on, holding its read's transaction and the view's table;
    // the user's statement, CLOSE ALL or BEGIN has the session at once.
    const CString slowLocks = L"SELECT count(*) FROM pg_locks WHERE pid = " + pid +
                              L" AND relation = 'slow_rows'::regclass";
    for (const wchar_t* statement : {L"SELECT 41 + 1", L"CLOSE ALL", L"BEGIN"})
    {
        SCOPED_TRACE(ql::Narrow(statement));
        const HWND slow =
            program.OpenObjectWindow(ID_QUERY_VIEWS, L"Views", L"public", L"slow", 20000);
        ASSERT_NE(slow, nullptr) << program.Describe();
        ASSERT_TRUE(ql::WaitFor([&] { return !program.ListItems(ql::GridOf(slow), 0).empty(); }));
        EXPECT_EQ(ql::Trimmed(program.StatusPaneText(1)).rfind(L"Rows >= ", 0), 0u)
            << ql::Narrow(program.StatusPaneText(1));
        EXPECT_TRUE(ql::WaitFor([&] { return m_db.Query(slowLocks) == L"1"; }))
            << "the window's read holds the view's table";
        ASSERT_NO_FATAL_FAILURE(RunSQL(statement));
        if (CString(statement) == L"BEGIN")
            break;
        EXPECT_EQ(m_db.Query(OtherSessions(L"state || ' ' || coalesce(backend_xmin::text, '-')")),
                  L"idle -");
        EXPECT_EQ(m_db.Query(slowLocks), L"0");
        m_db.Exec(L"ALTER TABLE slow_rows ADD COLUMN x int");
        m_db.Exec(L"ALTER TABLE slow_rows DROP COLUMN x");
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        // (A statement with a result opened its own window.)
        if (program.ActiveChild() != slow)
        {
            PostMessageW(program.ActiveChild(), WM_CLOSE, 0, 0);
            ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() == slow; }));
        }
        EXPECT_TRUE(ql::WaitFor([&] {
            return ql::Trimmed(program.StatusPaneText(1)).find(L", reading stopped") !=
                   std::wstring::npos;
        })) << ql::Narrow(program.StatusPaneText(1));
        PostMessageW(slow, WM_CLOSE, 0, 0);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(slow); }));
    }
    // Left idle, the user's transaction ends the session (the role's timeout): the window keeps
    // its rows, and the next statement says why the session is gone (psql: "terminating
    // connection due to idle-in-transaction timeout").
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Query(OtherSessions(L"count(*)")) == L"0"; }, 20000))
        << "the server ends the idle transaction's session";
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    std::wstring box;
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SELECT 1", &box));
    if (box.empty())
        box = program.TakeMessageBox();
    EXPECT_NE(box.find(L"idle-in-transaction timeout"), std::wstring::npos) << ql::Narrow(box);
    program.Kill();
}

// PostgreSQL: the program's question after the user's BEGIN takes no snapshot and counts as no
// query. A repeatable-read transaction's first query sees a row another session committed after
// the BEGIN, as psql's does, and SET TRANSACTION after a BEGIN is taken.
TEST_P(TransactionsE2E, TheBeginLeavesTheSnapshotToTheFirstQuery)
{
    if (IsMariaDB())
        GTEST_SKIP() << "PostgreSQL's snapshots";
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN ISOLATION LEVEL REPEATABLE READ"));
    ASSERT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
    m_db.Exec(L"INSERT INTO kept VALUES (1)");
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"select count(*) from kept"));
    ASSERT_TRUE(program.WaitForActiveChild(L"select count(*)")) << program.Describe();
    const HWND counted = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return !program.ListItems(counted, 0).empty(); }));
    EXPECT_EQ(program.ListItems(counted, 0)[0], L"1") << "the snapshot was taken before the query";
    program.PostCommand(ID_DB_END_TRANS);
    ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_ROLLBACK));
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();

    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    std::wstring box;
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"SET TRANSACTION ISOLATION LEVEL SERIALIZABLE", &box));
    if (box.empty())
        box = program.TakeMessageBox();
    EXPECT_EQ(box.rfind(L"Executed OK.", 0), 0u) << ql::Narrow(box);
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"COMMIT"));
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    EXPECT_EQ(m_db.Query(UsersSession(L"state")), L"idle");
    EXPECT_TRUE(program.Close()) << program.Describe();
}

// MariaDB: a procedure returns two results, the first of 20,000 rows, inside the user's
// transaction. Its window shows the first; a write of the user's runs while the window is open,
// and after it closes End Transaction rolls back at once (nothing waits in the driver), as
// another session sees.
TEST_P(TransactionsE2E, AProceduresFurtherResultsBlockNothing)
{
    if (!IsMariaDB())
        GTEST_SKIP() << "MariaDB's further results";
    m_db.Exec(L"CREATE PROCEDURE two_results() BEGIN SELECT seq FROM seq_1_to_20000; "
              L"SELECT 2; END");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    ASSERT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"CALL two_results()"));
    ASSERT_TRUE(program.WaitForActiveChild(L"CALL two_results")) << program.Describe();
    const HWND called = program.ActiveChild();
    ASSERT_TRUE(ql::WaitFor([&] { return !program.ListItems(ql::GridOf(called), 0).empty(); }));
    std::wstring box;
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"INSERT INTO kept VALUES (1)", &box));
    if (box.empty())
        box = program.TakeMessageBox();
    EXPECT_EQ(box.rfind(L"Executed OK.", 0), 0u) << ql::Narrow(box);
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0") << "committed before the end";
    PostMessageW(called, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(called); }));
    EXPECT_TRUE(TransPaneShows());
    program.PostCommand(ID_DB_END_TRANS);
    ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_ROLLBACK));
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    ASSERT_TRUE(program.Settle()) << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    EXPECT_EQ(m_db.Query(L"SELECT count(*) FROM kept"), L"0");
    EXPECT_TRUE(program.Close()) << program.Describe();
}

// Texts whose effect on the transaction the program cannot read, each followed by what the server
// says: PostgreSQL's BEGIN with an isolation level as the session's first query and a chained
// commit; MariaDB's executed comment as dumps write it, XA, and a procedure that starts a
// transaction. Every grid edit made meanwhile stays in the user's transaction, which "TRANS"
// shows and the close asks about, and no statement fails for the program's own bookkeeping.
TEST_P(TransactionsE2E, TheServerTellsWhatTheTextCannot)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    std::wstring box;
    HWND grid = nullptr;
    if (!IsMariaDB())
    {
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN ISOLATION LEVEL SERIALIZABLE", &box));
        EXPECT_EQ(box.rfind(L"Executed OK.", 0), 0u) << QlConnTest::Narrow(box.c_str());
        EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
        ASSERT_NO_FATAL_FAILURE(EditName(grid, L"1", L"uno"));
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        EXPECT_EQ(StoredName(L"1"), L"one");
        ASSERT_NO_FATAL_FAILURE(RunSQL(L"COMMIT AND CHAIN", &box));
        EXPECT_EQ(box.rfind(L"Executed OK.", 0), 0u) << QlConnTest::Narrow(box.c_str());
        EXPECT_EQ(StoredName(L"1"), L"uno");
        EXPECT_TRUE(TransPaneShows());
        ASSERT_NO_FATAL_FAILURE(EditName(grid, L"2", L"dos"));
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        EXPECT_EQ(StoredName(L"2"), L"two") << "the edit after the chained commit is committed";
        PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
        ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_COMMIT));
        EXPECT_TRUE(program.WaitForExit(20000)) << program.Describe();
        EXPECT_EQ(StoredName(L"2"), L"dos");
        return;
    }
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    struct Round
    {
        std::wstring begin;
        std::vector<std::wstring> end;
        const wchar_t* edit;
    };
    // An XA transaction's name belongs to the whole server: a test run beside this one must not
    // meet it ("XAER_DUPID").
    const std::wstring xid = L"'qlx_" + QlTestDb::UniqueTag() + L"'";
    const Round rounds[] = {
        {L"/*!40101 START TRANSACTION */", {L"COMMIT"}, L"uno"},
        {L"XA START " + xid, {L"XA END " + xid, L"XA COMMIT " + xid + L" ONE PHASE"}, L"eins"},
    };
    for (const Round& round : rounds)
    {
        SCOPED_TRACE(QlConnTest::Narrow(round.begin.c_str()));
        std::wstring box;
        ASSERT_NO_FATAL_FAILURE(RunSQL(round.begin, &box));
        EXPECT_EQ(box.rfind(L"Executed OK.", 0), 0u) << QlConnTest::Narrow(box.c_str());
        EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(EditName(grid, L"1", round.edit));
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        EXPECT_NE(StoredName(L"1"), round.edit) << "committed before the user's end";
        for (const std::wstring& end : round.end)
            ASSERT_NO_FATAL_FAILURE(RunSQL(end));
        EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
        EXPECT_EQ(StoredName(L"1"), round.edit);
    }

    // Call Procedure of a procedure that starts a transaction and leaves it open.
    m_db.Exec(L"CREATE PROCEDURE opens() BEGIN START TRANSACTION; "
              L"UPDATE edited SET name = 'proc' WHERE id = 3; END");
    HWND executed = program.CallProcedure(L"opens", {});
    ASSERT_NE(executed, nullptr) << program.Describe();
    ql::CProgram::Click(executed, IDOK);
    EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
    ASSERT_NO_FATAL_FAILURE(EditName(grid, L"2", L"zwei"));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(StoredName(L"2"), L"two") << "the edit committed the procedure's transaction";
    EXPECT_EQ(StoredName(L"3"), L"three");
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_COMMIT));
    EXPECT_TRUE(program.WaitForExit(20000)) << program.Describe();
    EXPECT_EQ(StoredName(L"2"), L"zwei");
    EXPECT_EQ(StoredName(L"3"), L"proc");
}

INSTANTIATE_TEST_SUITE_P(Servers, TransactionsE2E,
                         ::testing::Values(CScratchDatabase::postgres, CScratchDatabase::mariadb),
                         [](const auto& info) {
                             return std::string(info.param == CScratchDatabase::postgres
                                                    ? "PostgreSQL"
                                                    : "MariaDB");
                         });

// SQLite: the driver goes on reporting autocommit on whatever the user's statements open, and
// takes a transaction the program began for open after the user's COMMIT ended it.
class SQLiteTransactionsE2E : public ::testing::Test, public CTransactionSteps
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        m_db.Open(ql::kE2ESQLite);
        m_db.Exec(L"CREATE TABLE edited (id int PRIMARY KEY, name varchar(20))");
        m_db.Exec(L"INSERT INTO edited VALUES (1, 'one'), (2, 'two'), (3, 'three')");
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    std::wstring EditedSchema() const override { return L""; }
    // The name another connection reads.
    std::wstring StoredName(const wchar_t* id)
    {
        return m_db.Text(std::wstring(L"SELECT name FROM edited WHERE id = ") + id);
    }
    void EditAndWait(HWND grid, const wchar_t* id, const wchar_t* name)
    {
        ASSERT_NO_FATAL_FAILURE(EditName(grid, id, name));
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    }

    ql::CScratchDatabase m_db;
};

TEST_F(SQLiteTransactionsE2E, TheUsersTransactionHoldsGridEditsUntilItEnds)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    struct Round
    {
        const wchar_t* begin;
        const wchar_t* end; // nullptr: End Transaction > Rollback
        const wchar_t* edit;
        const wchar_t* stored;
    };
    const Round rounds[] = {
        {L"BEGIN", L"COMMIT", L"uno", L"uno"},
        {L"BEGIN IMMEDIATE", nullptr, L"eins", L"uno"},
        {L"SAVEPOINT x", L"RELEASE x", L"un", L"un"},
    };
    for (const Round& round : rounds)
    {
        SCOPED_TRACE(QlConnTest::Narrow(round.begin));
        ASSERT_NO_FATAL_FAILURE(RunSQL(round.begin));
        EXPECT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(EditAndWait(grid, L"1", round.edit));
        EXPECT_NE(StoredName(L"1"), round.edit) << "committed before the user's end";
        if (round.end)
            ASSERT_NO_FATAL_FAILURE(RunSQL(round.end));
        else
        {
            program.PostCommand(ID_DB_END_TRANS);
            ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_ROLLBACK));
        }
        EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
        EXPECT_FALSE(EndTransactionEnabled());
        EXPECT_EQ(StoredName(L"1"), round.stored);
    }
    // Left open, the close asks, and the answer is what the file keeps.
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"BEGIN"));
    ASSERT_NO_FATAL_FAILURE(EditAndWait(grid, L"2", L"dos"));
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_COMMIT));
    EXPECT_TRUE(program.WaitForExit(20000)) << program.Describe();
    EXPECT_EQ(StoredName(L"2"), L"dos");
}

TEST_F(SQLiteTransactionsE2E, ReconnectAsksAboutTheOpenTransactionFirst)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    // Without a transaction nothing is asked, and the new connection is to the same file: the
    // grid reads its rows again from it.
    program.PostCommand(ID_CONNECT_RECONNECT);
    ASSERT_TRUE(program.Settle()) << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    EXPECT_EQ(program.ListItems(grid, 0).size(), 3u);
    ASSERT_NO_FATAL_FAILURE(ReconnectAnswering(grid, L"1", L"uno", IDCANCEL));
    EXPECT_EQ(StoredName(L"1"), L"one") << "committed by a cancelled reconnect";
    // Still the same connection's transaction: End Transaction commits it.
    program.PostCommand(ID_DB_END_TRANS);
    ASSERT_NO_FATAL_FAILURE(AnswerEndTransaction(IDC_COMMIT));
    EXPECT_TRUE(ql::WaitFor([&] { return StoredName(L"1") == L"uno"; }));

    ASSERT_NO_FATAL_FAILURE(ReconnectAnswering(grid, L"2", L"dos", IDC_ROLLBACK));
    EXPECT_EQ(StoredName(L"2"), L"two");
    ASSERT_NO_FATAL_FAILURE(ReconnectAnswering(grid, L"3", L"tres", IDC_COMMIT));
    EXPECT_EQ(StoredName(L"3"), L"tres");
    EXPECT_TRUE(program.Close()) << program.Describe();
}

TEST_F(SQLiteTransactionsE2E, TheUsersCommitEndsTheProgramsTransaction)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND grid = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenEditedGrid(grid));
    program.PostCommand(ID_DB_BEGIN_TRANS);
    ASSERT_TRUE(ql::WaitFor([&] { return TransPaneShows(); })) << program.Describe();
    ASSERT_NO_FATAL_FAILURE(EditAndWait(grid, L"1", L"uno"));
    EXPECT_EQ(StoredName(L"1"), L"one");
    ASSERT_NO_FATAL_FAILURE(RunSQL(L"COMMIT"));
    EXPECT_EQ(StoredName(L"1"), L"uno");
    EXPECT_TRUE(ql::WaitFor([&] { return !TransPaneShows(); })) << program.Describe();
    EXPECT_FALSE(EndTransactionEnabled());
    // The next edit is committed at once, in a transaction of its own.
    ASSERT_NO_FATAL_FAILURE(EditAndWait(grid, L"2", L"dos"));
    EXPECT_EQ(StoredName(L"2"), L"dos");
    EXPECT_TRUE(program.Close()) << program.Describe();
}

} // namespace
