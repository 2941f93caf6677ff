// End to end: script windows and script runs in the real program, driven from outside; what
// reached PostgreSQL and MariaDB is read back through ODBC, files byte for byte.
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ql::CProgram;

const int kEditor = 0xE900;   // the script window's editor
const int kOutputEdit = 112;  // the output bar's editor
const UINT kFileNew = 0xE100; // SQL scripts > New
const UINT kFileSave = 0xE103;
const UINT kFileSaveAs = 0xE104;
const UINT kExecuteCurrent = 32897;
const UINT kExecuteFile = 32878;
const UINT kSQLQuery = 32775;
const UINT kOpenScript = 32835;

std::string Narrow(const std::wstring& ascii)
{
    return std::string(ascii.begin(), ascii.end());
}

std::wstring Suffix()
{
    return QlTestDb::UniqueTag();
}

class ScriptsE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        ql::WriteRegString(L"Grid lines", L"Yes");
        m_folder = ql::ScratchFolder(L"scripts_" + std::to_wstring(GetCurrentProcessId()));
    }
    void TearDown() override
    {
        // A test that failed half-way may leave a box open: the program is ended either way.
        program.Kill();
        ql::CleanSettings();
    }

    // Starts connected to the database (the most recent connection string at start-up).
    void StartConnected(const CString& connect, const std::wstring& arguments = L"")
    {
        ql::WriteRegString(L"Connect DB at startup", L"Yes");
        // The database bar would fill its tree behind a wait dialog of its own right after the
        // connect; these tests wait for the dialogs of their scripts only.
        ql::WriteRegString(L"DBBarVisible", L"No");
        ql::WriteRegString(L"ConnectString0", connect.GetString(), L"ConnectStrings");
        ASSERT_TRUE(program.Start(arguments));
        ASSERT_TRUE(ql::WaitFor([&] { return program.Title() != L"Quenlark"; }))
            << "not connected: " << std::string(CStringA(program.Title().c_str()));
    }
    void StartPostgres() { StartConnected(QlTestDb::PostgresConnect()); }

    HWND MdiClient() const
    {
        return FindWindowExW(program.MainWindow(), nullptr, L"MDIClient", nullptr);
    }
    HWND ActiveChild() const { return (HWND)SendMessageW(MdiClient(), WM_MDIGETACTIVE, 0, 0); }
    HWND Editor() const { return GetDlgItem(ActiveChild(), kEditor); }
    // A new script window holding the text.
    void NewScript(const std::wstring& text)
    {
        const HWND before = ActiveChild();
        program.PostCommand(kFileNew);
        ASSERT_TRUE(ql::WaitFor([&] { return ActiveChild() != before && Editor() != nullptr; }));
        SendMessageW(Editor(), WM_SETTEXT, 0, (LPARAM)text.c_str());
    }
    // Answers the script options dialog.
    void ConfirmScriptOptions(bool bTransaction, bool bStopAfterError = false,
                              int separatorIndex = 1)
    {
        HWND dlg = program.WaitForDialog(L"Execute SQL Script");
        ASSERT_NE(dlg, nullptr);
        SendMessageW(CProgram::Item(dlg, 1020), CB_SETCURSEL, separatorIndex, 0);
        SendMessageW(CProgram::Item(dlg, 1037), BM_SETCHECK,
                     bTransaction ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessageW(CProgram::Item(dlg, 1140), BM_SETCHECK,
                     bStopAfterError ? BST_CHECKED : BST_UNCHECKED, 0);
        CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    }
    // The text of the next message box, answered with the button.
    std::wstring AnswerMessage(int button)
    {
        HWND box = program.WaitForMessageBox();
        if (box == nullptr)
            return L"<no message box>";
        const std::wstring text = CProgram::MessageBoxText(box);
        CProgram::Click(box, button);
        ql::WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
        return text;
    }
    // Chooses a file in the system's Open or Save As dialog.
    void ChooseFile(const std::wstring& caption, const std::wstring& path, int encodingIndex = -1)
    {
        HWND dlg = program.WaitForDialog(caption);
        ASSERT_NE(dlg, nullptr) << "no dialog " << std::string(CStringA(caption.c_str()));
        if (encodingIndex >= 0)
        {
            // The encoding row lives in the dialog's child template.
            HWND child = FindWindowExW(dlg, nullptr, L"#32770", nullptr);
            HWND combo = child ? GetDlgItem(child, 1179) : nullptr;
            ASSERT_NE(combo, nullptr);
            SendMessageW(combo, CB_SETCURSEL, encodingIndex, 0);
            SendMessageW(child, WM_COMMAND, MAKEWPARAM(1179, CBN_SELCHANGE), (LPARAM)combo);
        }
        for (int id : {0x47C, 0x480})
            if (HWND edit = GetDlgItem(dlg, id))
                SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)path.c_str());
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }));
    }
    std::wstring Output() const { return ql::WindowText(program.FindChild(kOutputEdit)); }
    // A file that could not be opened brings the Open dialog back for another choice.
    void CancelOpenAgain()
    {
        HWND dlg = program.WaitForDialog(L"Open");
        ASSERT_NE(dlg, nullptr) << "the Open dialog did not come back";
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }));
    }

    CString QueryPG(const CString& sql)
    {
        CRDatabase db;
        QlConnTest::OpenOrFail(db, QlTestDb::PostgresConnect());
        return QlConnTest::QueryText(db, sql);
    }
    void ExecPG(const CString& sql)
    {
        CRDatabase db;
        QlConnTest::OpenOrFail(db, QlTestDb::PostgresConnect());
        db.ExecuteSQL(sql);
    }

    ql::CProgram program;
    std::wstring m_folder;
};

TEST_F(ScriptsE2E, Utf8FileWithMarkOnTheCommandLine)
{
    const std::wstring path = m_folder + L"\\utf8 script.sql";
    ql::WriteFileBytes(path, "\xEF\xBB\xBFselect '\xD0\x96';\r\n");
    ASSERT_TRUE(program.Start(L"\"" + path + L"\""));
    ASSERT_TRUE(ql::WaitFor([&] { return Editor() != nullptr; }));
    EXPECT_EQ(ql::WindowText(Editor()), L"select '\x0416';\r\n");
    EXPECT_NE(ql::WindowText(ActiveChild()).find(L"utf8 script.sql"), std::wstring::npos);
    EXPECT_TRUE(ql::WaitFor([&] { return program.StatusPaneText(2) == L" UTF-8 "; }))
        << std::string(CStringA(program.StatusPaneText(2).c_str()));
}

TEST_F(ScriptsE2E, ErrorDialogNextRetryWithEditAndCommitQuestion)
{
    const std::wstring t = L"qs_e2e_" + Suffix();
    auto count = [&](const std::wstring& where) {
        return std::wstring(QueryPG((L"select count(*) from " + t + where).c_str()).GetString());
    };
    ExecPG((L"create table " + t + L" (id int)").c_str());
    StartPostgres();

    // Next skips the failing statement; the summary counts it.
    // The dialog shows the statement from its first word, not the line break before it.
    NewScript(L"insert into " + t +
              L" values(1);\r\n  insert into nowhere values(2); insert into " + t + L" values(3);");
    program.PostCommand(kExecuteCurrent);
    ConfirmScriptOptions(false);
    HWND error = program.WaitForDialog(L"SQL Error");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(CProgram::Text(error, 1001), L"insert into nowhere values(2)");
    EXPECT_EQ(CProgram::Text(error, 1058).find(L"ODBC error code: "), 0u);
    CProgram::Click(error, IDOK);
    EXPECT_EQ(AnswerMessage(IDOK), L"Script executed successfully (2 of 3 queries).");
    EXPECT_EQ(count(L""), L"2");

    // Retry with the statement edited: the editor keeps the edit and the run goes on.
    NewScript(L"insert into " + t + L" values(5);\r\n\r\ninsert into " + t + L" valuez(4);");
    program.PostCommand(kExecuteCurrent);
    ConfirmScriptOptions(false);
    error = program.WaitForDialog(L"SQL Error");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(CProgram::Text(error, 1001), L"insert into " + t + L" valuez(4)");
    CProgram::SetText(error, 1001, L"insert into " + t + L" values(4)");
    CProgram::Click(error, 1060);
    EXPECT_EQ(AnswerMessage(IDOK), L"Script executed successfully (2 of 2 queries).");
    EXPECT_EQ(ql::WindowText(Editor()),
              L"insert into " + t + L" values(5);\r\n\r\ninsert into " + t + L" values(4);");
    EXPECT_EQ(count(L""), L"4");

    // In a transaction, No to "Commit?" leaves the table unchanged.
    NewScript(L"insert into " + t + L" values(6);delete from " + t + L" where id < 3;update " + t +
              L" set id = 0;");
    program.PostCommand(kExecuteCurrent);
    ConfirmScriptOptions(true);
    EXPECT_EQ(AnswerMessage(IDNO), L"Script executed successfully (3 of 3 queries).\nCommit?");
    EXPECT_EQ(count(L" where id > 0"), L"4");
    ExecPG((L"drop table " + t).c_str());
}

TEST_F(ScriptsE2E, FunctionBodyAndDumpRunWhole)
{
    const std::wstring f = L"qs_e2e_f_" + Suffix();
    StartPostgres();
    NewScript(L"create function " + f +
              L"() returns int as $$\r\nbegin\r\n  perform 1;\r\n  return 42;\r\nend;\r\n$$ "
              L"language plpgsql;\r\n");
    program.PostCommand(kExecuteCurrent);
    ConfirmScriptOptions(false);
    EXPECT_EQ(AnswerMessage(IDOK), L"Script executed successfully (1 of 1 queries).");
    EXPECT_STREQ(QueryPG((L"select " + f + L"()").c_str()), L"42");
    ExecPG((L"drop function " + f + L"()").c_str());
    program.Kill();

    const std::wstring t = L"qs_t_" + Suffix();
    StartConnected(QlTestDb::MariaDBConnect());
    NewScript(L"/*!40101 SET @OLD_SQL_MODE=@@SQL_MODE */;\r\nCREATE TABLE `" + t +
              L"` (`id` int, `name` varchar(80));\r\nINSERT INTO `" + t +
              L"` VALUES (2,'O\\'Brien; drop table " + t + L"; --');\r\n");
    program.PostCommand(kExecuteCurrent);
    ConfirmScriptOptions(false);
    EXPECT_EQ(AnswerMessage(IDOK), L"Script executed successfully (3 of 3 queries).");
    CRDatabase db;
    QlConnTest::OpenOrFail(db, QlTestDb::MariaDBConnect());
    EXPECT_STREQ(QlConnTest::QueryText(db, (L"select name from " + t).c_str()),
                 (L"O'Brien; drop table " + t + L"; --").c_str());
    db.ExecuteSQL((L"drop table " + t).c_str());
}

TEST_F(ScriptsE2E, ExecuteSQLScriptWritesTheOutput)
{
    const std::wstring t = L"qs_e2e_" + Suffix();
    ExecPG((L"create table " + t + L" (id int)").c_str());
    const std::wstring path = m_folder + L"\\two errors.sql";
    ql::WriteFileBytes(path, "insert into " + std::string(CStringA(t.c_str())) +
                                 " values(1);\r\nbad one;\r\nselect nothing_here;\r\n");
    StartPostgres();
    program.PostCommand(kExecuteFile);
    ChooseFile(L"Open", path);
    ConfirmScriptOptions(false);
    ASSERT_TRUE(ql::WaitFor([&] { return Output().find(L"errors!") != std::wstring::npos; }));
    const std::wstring output = Output();
    EXPECT_EQ(output.find(L"Executing " + path + L"..."), 0u);
    const std::wstring dashes = L"-------------------------------------------";
    EXPECT_NE(output.find(dashes + L"\nbad one\n" + dashes), std::wstring::npos)
        << std::string(CStringA(output.c_str()));
    EXPECT_NE(output.find(dashes + L"\nselect nothing_here\n" + dashes), std::wstring::npos);
    EXPECT_EQ(output.substr(output.size() - 24), L"\nExecuted with 2 errors!");

    // The wrong separator finds nothing.
    program.PostCommand(kExecuteFile);
    ChooseFile(L"Open", path);
    ConfirmScriptOptions(true, false, 3);
    EXPECT_EQ(AnswerMessage(IDOK), L"No queries found.\nMay be incorrect separator was selected.");
    EXPECT_STREQ(QueryPG((L"select count(*) from " + t).c_str()), L"1");
    ExecPG((L"drop table " + t).c_str());
}

// A file's own BEGIN ... COMMIT ends where the file ends it: no transaction is left open for
// the edits that follow to sit in unseen.
TEST_F(ScriptsE2E, AFilesOwnCommitLeavesNoTransactionOpen)
{
    const std::wstring t = L"qs_e2e_" + Suffix();
    ExecPG((L"create table " + t + L" (id int)").c_str());
    const std::wstring path = m_folder + L"\\own.sql";
    ql::WriteFileBytes(path, "begin;\ninsert into " + std::string(CStringA(t.c_str())) +
                                 " values(1);\ncommit;\n");
    StartPostgres();
    program.PostCommand(kExecuteFile);
    ChooseFile(L"Open", path);
    ConfirmScriptOptions(false);
    ASSERT_TRUE(ql::WaitFor([&] { return Output().find(L"Executed") != std::wstring::npos; }));
    EXPECT_NE(Output().find(L"Executed successfully (3 queries)!"), std::wstring::npos)
        << Narrow(Output());
    ASSERT_TRUE(program.Settle());
    for (int pane = 0; pane < 8; ++pane)
        EXPECT_NE(program.StatusPaneText(pane), L"TRANS") << pane;
    EXPECT_STREQ(QueryPG((L"select count(*) from " + t).c_str()), L"1");

    // psql's savepoint after a failure: ROLLBACK TO SAVEPOINT makes the transaction usable, the
    // COMMIT commits both updates, and the output says nothing of a rollback.
    const std::wstring path2 = m_folder + L"\\savepoint.sql";
    const std::string table(CStringA(t.c_str()));
    ExecPG((L"alter table " + t + L" add primary key (id)").c_str());
    ExecPG((L"insert into " + t + L" values (2), (3)").c_str());
    ql::WriteFileBytes(path2, "BEGIN;\nUPDATE " + table +
                                  " SET id = 10 WHERE id = 1;\n"
                                  "SAVEPOINT s2;\nINSERT INTO " +
                                  table +
                                  " VALUES (2);\n"
                                  "ROLLBACK TO SAVEPOINT s2;\nUPDATE " +
                                  table + " SET id = 30 WHERE id = 3;\nCOMMIT;\n");
    program.PostCommand(kExecuteFile);
    ChooseFile(L"Open", path2);
    ConfirmScriptOptions(false);
    ASSERT_TRUE(ql::WaitFor([&] { return Output().find(L"Executed with") != std::wstring::npos; }))
        << Narrow(Output());
    EXPECT_NE(Output().find(L"Executed with 1 errors!"), std::wstring::npos) << Narrow(Output());
    EXPECT_NE(Output().find(L"ROLLBACK TO SAVEPOINT"), std::wstring::npos) << Narrow(Output());
    EXPECT_EQ(Output().find(L"rolled back, not committed"), std::wstring::npos) << Narrow(Output());
    ASSERT_TRUE(program.Settle());
    EXPECT_STREQ(QueryPG((L"select string_agg(id::text, ',' order by id) from " + t).c_str()),
                 L"2,10,30");
    ExecPG((L"drop table " + t).c_str());
}

TEST_F(ScriptsE2E, StopAfterErrorRollsBack)
{
    const std::wstring t = L"qs_e2e_" + Suffix();
    ExecPG((L"create table " + t + L" (id int)").c_str());
    const std::wstring path = m_folder + L"\\stop.sql";
    const std::string table(CStringA(t.c_str()));
    ql::WriteFileBytes(path, "insert into " + table +
                                 " values(1);\ninsert into nowhere values(2);\n"
                                 "insert into " +
                                 table + " values(3);\n");
    StartPostgres();
    program.PostCommand(kExecuteFile);
    ChooseFile(L"Open", path);
    ConfirmScriptOptions(true, true);
    EXPECT_EQ(AnswerMessage(IDOK).find(L"ODBC error code: "), 0u);
    EXPECT_EQ(AnswerMessage(IDOK), L"Transaction was rollbacked");
    EXPECT_STREQ(QueryPG((L"select count(*) from " + t).c_str()), L"0");
    ExecPG((L"drop table " + t).c_str());
}

TEST_F(ScriptsE2E, CancelStopsARunningStatementAndRollsBack)
{
    const std::wstring t = L"qs_e2e_" + Suffix();
    ExecPG((L"create table " + t + L" (id int)").c_str());
    const std::wstring path = m_folder + L"\\sleep.sql";
    // The sleeps name the table: the test sees its own statement running on the shared server.
    const std::string sleep = "select pg_sleep(30) from " + std::string(CStringA(t.c_str()));
    ql::WriteFileBytes(path, "insert into " + std::string(CStringA(t.c_str())) + " values(1);\n" +
                                 sleep + ";\n" + sleep + ";\n");
    // The wait dialog's Cancel stops a running statement whatever "CancelExec" says.
    ql::WriteRegString(L"CancelExec", L"No");
    StartPostgres();
    program.PostCommand(kExecuteFile);
    ChooseFile(L"Open", path);
    ConfirmScriptOptions(true);
    HWND wait = program.WaitForDialog(L"Please wait...");
    ASSERT_NE(wait, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] {
        // The driver wraps the statement in a cursor declaration.
        return QueryPG((L"select count(*) from pg_stat_activity where state = 'active' and "
                        L"pid <> pg_backend_pid() and query like '%select pg_sleep(30) from " +
                        t + L"%'")
                           .c_str()) == L"1";
    }));
    CProgram::Click(wait, IDCANCEL);
    EXPECT_EQ(AnswerMessage(IDYES), L"Are you really want to stop?");
    EXPECT_EQ(AnswerMessage(IDOK), L"Transaction was rollbacked");
    const std::wstring output = Output();
    EXPECT_EQ(output.substr(output.size() - 12), L"Cancelled.\r\n");
    EXPECT_STREQ(QueryPG((L"select count(*) from " + t).c_str()), L"0");
    ExecPG((L"drop table " + t).c_str());
}

// A plain pg_dump's rows come after COPY ... FROM STDIN, which no ODBC driver can feed: the run
// refuses that statement at once, with its words in the output, and goes on after the rows
// instead of leaving the server waiting for them.
TEST_F(ScriptsE2E, PlainDumpRowsAreRefusedAndTheRestRuns)
{
    const std::wstring t = L"qs_e2e_" + Suffix();
    const std::string name = std::string(CStringA(t.c_str()));
    const std::wstring path = m_folder + L"\\dump.sql";
    ql::WriteFileBytes(
        path, "\\restrict k1\nCREATE TABLE " + name + " (id int, v text);\nCOPY " + name +
                  " (id, v) FROM stdin;\n1\tit's; here\n2\t\\N\n\\.\n"
                  "ALTER TABLE ONLY " +
                  name + " ADD CONSTRAINT " + name + "_pkey PRIMARY KEY (id);\n\\unrestrict k1\n");
    StartPostgres();
    program.PostCommand(kExecuteFile);
    ChooseFile(L"Open", path);
    ConfirmScriptOptions(false);
    ASSERT_TRUE(ql::WaitFor([&] { return Output().find(L"errors!") != std::wstring::npos; }));
    const std::wstring output = Output();
    EXPECT_NE(output.find(L"COPY " + t + L" (id, v) FROM stdin\" was not run"), std::wstring::npos)
        << Narrow(output);
    EXPECT_EQ(output.substr(output.size() - 24), L"\nExecuted with 1 errors!");
    EXPECT_STREQ(
        QueryPG((L"select count(*) from pg_constraint where conname = '" + t + L"_pkey'").c_str()),
        L"1");
    EXPECT_STREQ(QueryPG((L"select count(*) from " + t).c_str()), L"0");
    ExecPG((L"drop table " + t).c_str());
}

TEST_F(ScriptsE2E, SQLQueryDialogRunsOneStatement)
{
    const std::wstring t = L"qs_e2e_" + Suffix();
    ExecPG(
        (L"create table " + t + L" (id int); insert into " + t + L" values (1),(2),(3)").c_str());
    StartPostgres();
    program.PostCommand(kSQLQuery);
    HWND dlg = program.WaitForDialog(L"Execute SQL");
    ASSERT_NE(dlg, nullptr);
    const std::wstring update = L"update " + t + L" set id = id + 10";
    CProgram::SetText(dlg, 1001, update);
    CProgram::Click(dlg, IDOK);
    const std::wstring message = AnswerMessage(IDOK);
    EXPECT_EQ(message.find(L"Executed OK.\n3 row(s) changed.\nElapsed time: "), 0u)
        << std::string(CStringA(message.c_str()));
    EXPECT_EQ(ql::RegString(L"SQLQuery0", L"SQL queries"), update);

    program.PostCommand(kSQLQuery);
    dlg = program.WaitForDialog(L"Execute SQL");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(CProgram::Text(dlg, 1001), update) << "the most recent query comes first";
    CProgram::SetText(dlg, 1001, L"-- only a comment\r\n/* and another */");
    CProgram::Click(dlg, IDOK);
    EXPECT_EQ(AnswerMessage(IDOK), L"Quenlark: Incorrect syntax");
    EXPECT_STREQ(QueryPG((L"select sum(id) from " + t).c_str()), L"36");

    // A SELECT opens a grid window titled by its flattened text.
    program.PostCommand(kSQLQuery);
    dlg = program.WaitForDialog(L"Execute SQL");
    ASSERT_NE(dlg, nullptr);
    CProgram::SetText(dlg, 1001, L"select id\r\n  from " + t + L"  -- all rows\r\n");
    CProgram::Click(dlg, IDOK);
    const std::wstring title = L"select id from " + t;
    EXPECT_TRUE(ql::WaitFor([&] { return ql::WindowText(ActiveChild()) == title; }))
        << std::string(CStringA(ql::WindowText(ActiveChild()).c_str()));

    // Execute Selection runs the selected text of a script window as one statement.
    NewScript(L"select 1;\r\ndelete from " + t + L" where id = 11;\r\nselect 2;");
    const std::wstring text = ql::WindowText(Editor());
    const size_t from = text.find(L"delete");
    const size_t to = text.find(L";", from);
    SendMessageW(Editor(), EM_SETSEL, from, to);
    program.PostCommand(32844);
    const std::wstring deleted = AnswerMessage(IDOK);
    EXPECT_EQ(deleted.find(L"Executed OK.\n1 row(s) changed."), 0u)
        << std::string(CStringA(deleted.c_str()));
    EXPECT_STREQ(QueryPG((L"select sum(id) from " + t).c_str()), L"25");
    ExecPG((L"drop table " + t).c_str());
}

TEST_F(ScriptsE2E, SavingKeepsEncodingsAndRefusesWhatWouldBeLost)
{
    ASSERT_TRUE(program.Start());
    // Save As Unicode starts with FF FE.
    NewScript(L"select '\x0416';");
    const std::wstring unicode = m_folder + L"\\unicode.sql";
    DeleteFileW(unicode.c_str());
    program.PostCommand(kFileSaveAs);
    ChooseFile(L"Save As", unicode, 1);
    ASSERT_TRUE(ql::WaitFor([&] { return ql::FileExists(unicode); }));
    EXPECT_EQ(ql::ReadFileBytes(unicode),
              std::string("\xFF\xFEs\0e\0l\0e\0c\0t\0 \0'\0\x16\x04'\0;\0", 24));

    // A UTF-8 file read with its mark keeps it.
    const std::wstring utf8 = m_folder + L"\\marked.sql";
    ql::WriteFileBytes(utf8, "\xEF\xBB\xBFselect 1;");
    program.Kill();
    ASSERT_TRUE(program.Start(L"\"" + utf8 + L"\""));
    ASSERT_TRUE(ql::WaitFor([&] { return Editor() != nullptr; }));
    SendMessageW(Editor(), WM_SETTEXT, 0, (LPARAM)L"select 2;");
    SendMessageW(Editor(), EM_SETMODIFY, TRUE, 0);
    program.PostCommand(kFileSave);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ReadFileBytes(utf8) == "\xEF\xBB\xBFselect 2;"; }));

    // "Ж" in an ANSI window: the question, and Cancel leaves the file as it was.
    const std::wstring ansi = m_folder + L"\\ansi.sql";
    ql::WriteFileBytes(ansi, "select 1;");
    program.Kill();
    ASSERT_TRUE(program.Start(L"\"" + ansi + L"\""));
    ASSERT_TRUE(ql::WaitFor([&] { return Editor() != nullptr; }));
    SendMessageW(Editor(), WM_SETTEXT, 0, (LPARAM)L"select '\x0416';");
    SendMessageW(Editor(), EM_SETMODIFY, TRUE, 0);
    program.PostCommand(kFileSave);
    EXPECT_EQ(AnswerMessage(IDCANCEL),
              L"Text was changed during conversion.\nDo you want to save it?");
    EXPECT_EQ(ql::ReadFileBytes(ansi), "select 1;");

    // A read-only file: its own message, and the file stays.
    SetFileAttributesW(ansi.c_str(), FILE_ATTRIBUTE_READONLY);
    SendMessageW(Editor(), WM_SETTEXT, 0, (LPARAM)L"select 3;");
    SendMessageW(Editor(), EM_SETMODIFY, TRUE, 0);
    program.PostCommand(kFileSave);
    EXPECT_EQ(AnswerMessage(IDOK), ansi + L"\nFile is read-only.");
    EXPECT_EQ(ql::ReadFileBytes(ansi), "select 1;");
    SetFileAttributesW(ansi.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ScriptsE2E, ClosingAndAutoSave)
{
    const std::wstring path = m_folder + L"\\auto.sql";
    ql::WriteFileBytes(path, "select 1;");
    ql::WriteRegString(L"Autosave", L"Yes");
    ql::WriteRegDword(L"Autosave time", 1);
    ASSERT_TRUE(program.Start(L"\"" + path + L"\""));
    ASSERT_TRUE(ql::WaitFor([&] { return Editor() != nullptr; }));
    const HWND withPath = ActiveChild();
    SendMessageW(Editor(), WM_SETTEXT, 0, (LPARAM)L"select 42;");
    SendMessageW(Editor(), EM_SETMODIFY, TRUE, 0);
    NewScript(L"select 'unsaved';");
    SendMessageW(Editor(), EM_SETMODIFY, TRUE, 0);
    // The main window's auto-save timer (timer 1) fires: the window with a path writes itself,
    // the new one does not, and nothing is shown.
    PostMessageW(program.MainWindow(), WM_TIMER, 1, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ReadFileBytes(path) == "select 42;"; }));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(SendMessageW(GetDlgItem(withPath, kEditor), EM_GETMODIFY, 0, 0), 0);

    // Text the file's code page cannot hold: auto-save asks nothing and writes nothing; the
    // window stays modified for an explicit save.
    SendMessageW(GetDlgItem(withPath, kEditor), WM_SETTEXT, 0, (LPARAM)L"select '\x0416';");
    SendMessageW(GetDlgItem(withPath, kEditor), EM_SETMODIFY, TRUE, 0);
    PostMessageW(program.MainWindow(), WM_TIMER, 1, 0);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(ql::ReadFileBytes(path), "select 42;");
    EXPECT_NE(SendMessageW(GetDlgItem(withPath, kEditor), EM_GETMODIFY, 0, 0), 0);

    // Closing the modified new window asks; Cancel keeps it open.
    const HWND unsaved = ActiveChild();
    PostMessageW(unsaved, WM_CLOSE, 0, 0);
    EXPECT_EQ(AnswerMessage(IDCANCEL), L"File has changed.\nSave it?");
    EXPECT_TRUE(IsWindow(unsaved));
}

TEST_F(ScriptsE2E, OddFilesOpenOrSaySo)
{
    ASSERT_TRUE(program.Start());
    const std::wstring blanks = m_folder + L"\\a b \x0416.sql";
    ql::WriteFileBytes(blanks, "select 1;");
    const std::wstring empty = m_folder + L"\\empty.sql";
    ql::WriteFileBytes(empty, "");
    const std::wstring noise = m_folder + L"\\noise.sql";
    std::string bytes(4096, '\0');
    unsigned seed = 7;
    for (char& c : bytes)
        c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
    bytes[0] = 'x';
    ql::WriteFileBytes(noise, bytes);
    const std::wstring big = m_folder + L"\\big.sql";
    std::string line = "insert into t values (1, 'some text to fill the line');\r\n";
    std::string many;
    while (many.size() < 20 * 1024 * 1024)
        many += line;
    ql::WriteFileBytes(big, many);

    // Noise holds NUL bytes: the file is refused with the reason rather than shown cut.
    program.PostCommand(32835);
    ChooseFile(L"Open", noise);
    EXPECT_EQ(AnswerMessage(IDOK).find(noise + L"\nThe file holds "), 0u);
    CancelOpenAgain();
    EXPECT_EQ(ActiveChild(), nullptr);

    for (const std::wstring& path : {blanks, empty, big})
    {
        const HWND before = ActiveChild();
        program.PostCommand(32835); // SQL scripts > Open SQL Script...
        ChooseFile(L"Open", path);
        ASSERT_TRUE(
            ql::WaitFor([&] { return ActiveChild() != before || program.FindMessageBox(); }, 60000))
            << std::string(CStringA(path.c_str()));
        EXPECT_EQ(program.FindMessageBox(), nullptr) << std::string(CStringA(path.c_str()));
    }
    EXPECT_EQ(ql::WindowText(Editor()).size(), many.size());
}

// A NUL would cut the text in the editor and in the driver: the window and a run of the file
// both refuse it before anything runs. UTF-16 without its mark, the usual cause, opens whole
// with "Unicode" chosen, runs whole and saves back without a mark.
TEST_F(ScriptsE2E, NulCharactersRefuseTheFileInTheWindowAndInARun)
{
    const std::wstring t = L"qs_nul_" + Suffix();
    ExecPG((L"create table " + t + L" (id int)").c_str());
    const std::string table = Narrow(t);
    const std::wstring path = m_folder + L"\\zero byte.sql";
    std::string withNul = "insert into " + table + " values(1);\r\ninsert into " + table +
                          " values(2);" + std::string(1, '\0') + "\r\ninsert into " + table +
                          " values(3);\r\n";
    if (withNul.size() % 2 != 0)
        withNul += ' '; // could be UTF-16: the message says how to read it so
    ql::WriteFileBytes(path, withNul);
    StartPostgres();
    const std::wstring reason = L"\nThe file holds 1 NUL character (line 2). A script cannot hold "
                                L"them: its text would end at the first. The file is not ";
    const std::wstring hint = L"\nA Unicode (UTF-16) file without a byte-order mark is read "
                              L"when the encoding \"Unicode\" is chosen in the file dialog.";
    program.PostCommand(kOpenScript);
    ChooseFile(L"Open", path);
    EXPECT_EQ(AnswerMessage(IDOK), path + reason + L"opened." + hint);
    CancelOpenAgain();
    EXPECT_EQ(ActiveChild(), nullptr);

    program.PostCommand(kExecuteFile);
    ChooseFile(L"Open", path);
    ConfirmScriptOptions(true);
    EXPECT_EQ(AnswerMessage(IDOK), path + reason + L"run." + hint);
    EXPECT_STREQ(QueryPG((L"select count(*) from " + t).c_str()), L"0");

    const std::wstring text = L"insert into " + t + L" values(1);\r\ninsert into " + t +
                              L" values(2);\r\ninsert into " + t + L" values(3);\r\n";
    auto utf16 = [](const std::wstring& w) {
        return std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2);
    };
    const std::wstring wide = m_folder + L"\\utf16 without mark.sql";
    ql::WriteFileBytes(wide, utf16(text));
    program.PostCommand(kOpenScript);
    ChooseFile(L"Open", wide);
    EXPECT_EQ(AnswerMessage(IDOK).find(wide + L"\nThe file holds " + std::to_wstring(text.size()) +
                                       L" NUL characters (the first on line 1)."),
              0u);
    ChooseFile(L"Open", wide, 2); // the Open dialog comes back
    ASSERT_TRUE(ql::WaitFor([&] { return Editor() != nullptr; }));
    EXPECT_EQ(ql::WindowText(Editor()), text);
    EXPECT_TRUE(ql::WaitFor([&] { return program.StatusPaneText(2) == L" Unicode "; }));
    program.PostCommand(kExecuteCurrent);
    ConfirmScriptOptions(false);
    EXPECT_EQ(AnswerMessage(IDOK), L"Script executed successfully (3 of 3 queries).");
    EXPECT_STREQ(QueryPG((L"select count(*) from " + t).c_str()), L"3");

    SendMessageW(Editor(), WM_SETTEXT, 0, (LPARAM)(text + L"-- end").c_str());
    SendMessageW(Editor(), EM_SETMODIFY, TRUE, 0);
    program.PostCommand(kFileSave);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ReadFileBytes(wide) == utf16(text + L"-- end"); }));
    ExecPG((L"drop table " + t).c_str());
}

// One stray byte no longer makes a UTF-8 script ANSI: the script is read as UTF-8 with the byte
// marked, the user is told, its text reaches the server whole, and neither Save nor auto-save
// writes the mark over the byte unasked. A true ANSI script stays ANSI.
TEST_F(ScriptsE2E, AStrayByteInAUtf8ScriptIsMarkedAndTheRestReachesTheServer)
{
    const std::wstring t = L"qs_u8_" + Suffix();
    ExecPG((L"create table " + t + L" (v varchar(40))").c_str());
    const std::string table = Narrow(t);
    const std::wstring path = m_folder + L"\\stray byte.sql";
    const std::string original =
        "-- caf\xE9\r\ninsert into " + table + " values('Z\xC3\xBCrich Gda\xC5\x84sk');\r\n";
    ql::WriteFileBytes(path, original);
    const std::wstring city = L"Z\x00FCrich Gda\x0144sk";
    ql::WriteRegString(L"Autosave", L"Yes");
    ql::WriteRegDword(L"Autosave time", 1);
    StartPostgres();

    program.PostCommand(kOpenScript);
    ChooseFile(L"Open", path);
    EXPECT_EQ(AnswerMessage(IDOK),
              path + L"\nThe file is read as UTF-8, but 1 byte (line 1) is not valid UTF-8: it "
                     L"is shown as \xFFFD.\nTo read the whole file as ANSI, open it with the "
                     L"encoding \"ANSI\" chosen in the file dialog.");
    ASSERT_TRUE(ql::WaitFor([&] { return Editor() != nullptr; }));
    EXPECT_EQ(ql::WindowText(Editor()),
              L"-- caf\xFFFD\r\ninsert into " + t + L" values('" + city + L"');\r\n");
    EXPECT_TRUE(ql::WaitFor([&] { return program.StatusPaneText(2) == L" UTF-8 "; }))
        << Narrow(program.StatusPaneText(2));
    program.PostCommand(kExecuteCurrent);
    ConfirmScriptOptions(false);
    EXPECT_EQ(AnswerMessage(IDOK), L"Script executed successfully (1 of 1 queries).");
    EXPECT_STREQ(QueryPG((L"select v from " + t).c_str()), city.c_str());

    // Execute SQL Script reads the file the same way and asks before the marked byte runs.
    program.PostCommand(kExecuteFile);
    ChooseFile(L"Open", path);
    ConfirmScriptOptions(false);
    EXPECT_EQ(AnswerMessage(IDOK),
              path + L"\nThe file is read as UTF-8, but 1 byte (line 1) is not valid UTF-8: it "
                     L"reaches the server as the character \xFFFD.\nRun the script?");
    ASSERT_TRUE(ql::WaitFor([&] { return Output().find(L"successfully") != std::wstring::npos; }));
    EXPECT_STREQ(QueryPG((L"select string_agg(v, '|') from " + t).c_str()),
                 (city + L"|" + city).c_str());

    // Auto-save (timer 1) writes nothing; Save asks, Cancel keeps the file, OK writes the mark
    // in place of the one byte and nothing else changes.
    SendMessageW(Editor(), EM_SETMODIFY, TRUE, 0);
    PostMessageW(program.MainWindow(), WM_TIMER, 1, 0);
    program.PostCommand(kFileSave);
    const std::wstring question =
        L"The script still holds 1 character \xFFFD in place of bytes of the file that were not "
        L"valid UTF-8.\nSaving writes the character \xFFFD there instead of the bytes.\nDo you "
        L"want to save it?";
    EXPECT_EQ(AnswerMessage(IDCANCEL), question);
    EXPECT_EQ(ql::ReadFileBytes(path), original);
    program.PostCommand(kFileSave);
    EXPECT_EQ(AnswerMessage(IDOK), question);
    std::string marked = original;
    marked.replace(6, 1, "\xEF\xBF\xBD");
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ReadFileBytes(path) == marked; }));

    // ANSI text stays ANSI, opens without a word and runs in the code page.
    const std::string ansi = "insert into " + table +
                             " values('Gr\xFC\xDF"
                             "e aus Z\xFCrich');\r\n";
    const std::wstring ansiPath = m_folder + L"\\ansi.sql";
    ql::WriteFileBytes(ansiPath, ansi);
    wchar_t decoded[200] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), (int)ansi.size(), decoded, 200);
    const HWND before = ActiveChild();
    program.PostCommand(kOpenScript);
    ChooseFile(L"Open", ansiPath);
    ASSERT_TRUE(ql::WaitFor([&] { return ActiveChild() != before && Editor() != nullptr; }));
    EXPECT_EQ(ql::WindowText(Editor()), decoded);
    EXPECT_TRUE(ql::WaitFor([&] { return program.StatusPaneText(2) == L" ANSI "; }));
    program.PostCommand(kExecuteCurrent);
    ConfirmScriptOptions(false); // a note about the file would have come first
    EXPECT_EQ(AnswerMessage(IDOK), L"Script executed successfully (1 of 1 queries).");
    const std::wstring value(decoded);
    EXPECT_STREQ(QueryPG((L"select v from " + t + L" where v like 'Gr%'").c_str()),
                 value.substr(value.find(L"Gr"), 16).c_str());
    ExecPG((L"drop table " + t).c_str());
}

// Save writes back the bytes it read when the text was not changed: every byte of an ANSI
// file, and UTF-8 and UTF-16 with mixed line ends and no line end at the end. (Not NUL, which
// refuses the file, nor a CR without its LF, which the editor keeps as a line feed: the user
// is told.)
TEST_F(ScriptsE2E, SavingAnUnchangedScriptWritesTheBytesItRead)
{
    std::string ansi = "select 1;\n-- ";
    for (int b = 1; b < 256; ++b)
        ansi += b == '\r' ? std::string("\r\n") : std::string(1, static_cast<char>(b));
    std::string utf8 = "select '\xD0\x96';\r\nselect 2;\nselect 3;\r\n\r\n-- \xF0\x9F\x98\x80";
    const std::wstring wide = L"select '\x0416';\nselect 2;\r\n-- \xD83D\xDE00 end";
    std::string utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    ASSERT_TRUE(program.Start());
    int n = 0;
    for (const std::string& bytes : {ansi, utf8, utf16})
    {
        const std::wstring path = m_folder + L"\\as read " + std::to_wstring(++n) + L".sql";
        ql::WriteFileBytes(path, bytes);
        const HWND before = ActiveChild();
        program.PostCommand(kOpenScript);
        ChooseFile(L"Open", path);
        ASSERT_TRUE(ql::WaitFor([&] { return ActiveChild() != before && Editor() != nullptr; }));
        ql::WriteFileBytes(path, "changed on disk");
        SendMessageW(Editor(), EM_SETMODIFY, TRUE, 0);
        program.PostCommand(kFileSave);
        EXPECT_TRUE(ql::WaitFor([&] { return ql::ReadFileBytes(path) == bytes; })) << n;
    }

    // Old Mac line ends: the editor keeps a CR without its LF as a line feed, and says so.
    const std::wstring mac = m_folder + L"\\mac line ends.sql";
    ql::WriteFileBytes(mac, "select 1;\r\nselect 2;\rselect 3;\r");
    program.PostCommand(kOpenScript);
    ChooseFile(L"Open", mac);
    EXPECT_EQ(AnswerMessage(IDOK),
              mac + L"\nThe file holds 2 carriage returns without a line feed (the first on line "
                    L"2). The editor shows each as a line break, and saving writes a line feed "
                    L"there.");
    SendMessageW(Editor(), EM_SETMODIFY, TRUE, 0);
    program.PostCommand(kFileSave);
    EXPECT_TRUE(ql::WaitFor(
        [&] { return ql::ReadFileBytes(mac) == "select 1;\r\nselect 2;\nselect 3;\n"; }));
}

} // namespace
