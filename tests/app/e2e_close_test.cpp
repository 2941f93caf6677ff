// End to end: closing the program with an open transaction asks first, and Cancel keeps the
// program, its windows and the transaction; a changed script is asked about with its window in
// front, before any window closes; dropping several files at once is refused. A row being edited
// in a grid window is asked about on every way that closes the window or its cursor (Exit, the
// close button, Close All, a recent connection, Reconnect, Close, a dropped database file):
// Cancel keeps the window and the edit, Yes saves the row (a failed save closes nothing), No
// drops the edit, as another session reads the table.
#include "tests/dbaccess/test_databases.h"
#include "tests/app/e2e_program_test.h"
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include "framework/command_ids.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

// Drops the files on the main window: a drop record as the shell builds it, in the program's
// memory.
bool DropFiles(const ql::CProgram& program, const std::vector<std::wstring>& paths)
{
    DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    std::string record((const char*)&header, sizeof(header));
    for (const std::wstring& path : paths)
        record.append((const char*)path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    record.append(sizeof(wchar_t), '\0');
    void* remote = VirtualAllocEx(program.Process(), nullptr, record.size(),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    return remote != nullptr &&
           WriteProcessMemory(program.Process(), remote, record.data(), record.size(), nullptr) &&
           PostMessageW(program.MainWindow(), WM_DROPFILES, (WPARAM)remote, 0);
}

class CloseTest : public CProgramTest
{
protected:
    QlTestDb::FakeLog log;
};

TEST_F(CloseTest, OpenTransactionIsAskedAboutBeforeAnyWindowCloses)
{
    ql::WriteRegString(L"Connect DB at startup", L"Yes");
    ql::WriteRegString(L"ConnectString0",
                       (LPCWSTR)(log.Connect(L"PostgreSQL") + L"Server=closing;"),
                       L"ConnectStrings");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForTitle(L"closing - Quenlark"));
    program.PostCommand(ID_FILE_NEW);
    ASSERT_TRUE(ql::WaitFor([&] { return ChildWindows(program.MainWindow()) == 1; }));
    program.PostCommand(ID_DB_BEGIN_TRANS);

    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    HWND dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::Click(dlg, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    ASSERT_TRUE(program.Settle());
    EXPECT_TRUE(program.IsRunning());
    EXPECT_EQ(ChildWindows(program.MainWindow()), 1) << "the script window stays";
    EXPECT_EQ(program.Title().rfind(L"closing - Quenlark", 0), 0u) << "still connected";

    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr) << "the transaction is still open";
    ql::CProgram::Click(dlg, IDC_ROLLBACK);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_GE(log.Read().Find(L"ROLLBACK"), 0);
}

// An untitled changed script behind an unchanged one and a grid window: the question at exit
// shows with the script it is about in front, and Cancel keeps every window, the grid too.
TEST_F(CloseTest, AChangedScriptIsAskedAboutInFrontBeforeAnyWindowCloses)
{
    ql::CScratchDatabase db;
    db.Open(ql::kE2ESQLite);
    const std::wstring table = ql::CScratchDatabase::NewName(L"ql_e2e_close_");
    db.CreateTable(table, L"id INTEGER PRIMARY KEY");
    ASSERT_TRUE(program.StartConnected(db.Connect()));
    auto newScript = [&] {
        const HWND before = program.ActiveChild();
        program.PostCommand(ID_FILE_NEW);
        HWND child = nullptr;
        EXPECT_TRUE(ql::WaitFor([&] {
            child = program.ActiveChild();
            return child != nullptr && child != before && GetDlgItem(child, 0xE900) != nullptr;
        }));
        return child;
    };
    const HWND changed = newScript();
    ASSERT_NE(changed, nullptr);
    SendMessageW(GetDlgItem(changed, 0xE900), WM_SETTEXT, 0, (LPARAM)L"select 'unsaved';");
    SendMessageW(GetDlgItem(changed, 0xE900), EM_SETMODIFY, TRUE, 0);
    const HWND unchanged = newScript();
    ASSERT_NE(unchanged, nullptr);
    const HWND grid = ql::OpenTable(program, db.Schema(), table);
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(program.ActiveChild(), grid);

    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ql::CProgram::MessageBoxText(box), L"File has changed.\nSave it?");
    EXPECT_EQ(program.ActiveChild(), changed) << "the question's script is not in front";
    ql::CProgram::Click(box, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(box); }));
    ASSERT_TRUE(program.Settle());
    EXPECT_TRUE(program.IsRunning());
    EXPECT_TRUE(IsWindow(grid)) << "Cancel keeps the grid window";
    EXPECT_TRUE(IsWindow(changed) && IsWindow(unchanged));
    EXPECT_EQ(ChildWindows(program.MainWindow()), 3);

    // Window > Close All asks the same way; No closes everything and the program stays.
    program.PostCommand(ID_WINDOW_CLOSE_ALL);
    box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(program.ActiveChild(), changed);
    ql::CProgram::Click(box, IDNO);
    EXPECT_TRUE(ql::WaitFor([&] { return ChildWindows(program.MainWindow()) == 0; }));
    EXPECT_TRUE(program.Close());
}

TEST_F(CloseTest, TwoDroppedFilesAreRefused)
{
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(DropFiles(program, {L"Z:\\tmp\\one.sql", L"Z:\\tmp\\two.sql"}));
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ql::CProgram::MessageBoxText(box), L"Too many files");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ(ChildWindows(program.MainWindow()), 0);
    EXPECT_TRUE(program.Close());
}

// ---- A row being edited ------------------------------------------------------------------------

enum class RowClosePath
{
    Exit,
    CloseButton,
    CloseAll,
    RecentConnection,
    Reconnect,
    Disconnect,
    DroppedFile,
};

struct RowCloseCase
{
    int product;
    RowClosePath path;
    int answer; // IDYES or IDNO, after a first IDCANCEL
    // A transaction begun before the edit: the row is asked about first, so that the
    // end-transaction question after it (answered Commit) covers the row saved.
    bool transaction = false;
};

std::string RowClosePathName(RowClosePath path)
{
    switch (path)
    {
    case RowClosePath::Exit: return "Exit";
    case RowClosePath::CloseButton: return "CloseButton";
    case RowClosePath::CloseAll: return "CloseAll";
    case RowClosePath::RecentConnection: return "RecentConnection";
    case RowClosePath::Reconnect: return "Reconnect";
    case RowClosePath::Disconnect: return "Disconnect";
    case RowClosePath::DroppedFile: return "DroppedFile";
    }
    return "?";
}

const wchar_t kRowQuestion[] =
    L"The current row has changes that are not saved.\nSave them before the window closes?";

class RowBeingEditedE2E : public ::testing::TestWithParam<RowCloseCase>
{
protected:
    void SetUp() override { ql::CleanSettings(); }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    // The program connected to a new table holding the row (1, 'old'), shown in a grid window
    // whose name cell has been changed to the text and ended with one Enter: the row is framed
    // and waits for a second Enter to be updated.
    void StartWithRowEdited(int product, const std::wstring& columns, const std::wstring& text,
                            bool transaction = false)
    {
        db.Open(product);
        ASSERT_NO_FATAL_FAILURE(NewTable(table, columns));
        ASSERT_TRUE(program.StartConnected(db.Connect())) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(OpenTable(table, child));
        grid = ql::GridOf(child);
        title = program.Title();
        if (transaction)
            program.PostCommand(ID_DB_BEGIN_TRANS);
        ASSERT_NO_FATAL_FAILURE(EditName(grid, text));
        ASSERT_EQ(StoredName(), L"old");
    }
    void NewTable(std::wstring& name, const std::wstring& columns)
    {
        name = ql::CScratchDatabase::NewName(L"ql_e2e_row_close_");
        db.CreateTable(name, columns);
        db.Exec(L"INSERT INTO " + db.Quoted(name) + L" VALUES (1, 'old')");
    }
    void OpenTable(const std::wstring& name, HWND& opened)
    {
        opened = ql::OpenTable(program, db.Schema(), name);
        ASSERT_NE(opened, nullptr) << program.Describe();
        ASSERT_TRUE(ql::WaitFor([&] { return ShownName(ql::GridOf(opened)) == L"old"; }))
            << program.Describe();
    }
    // Double-clicks the name cell, types the text and presses Enter once.
    void EditName(HWND list, const std::wstring& text)
    {
        ASSERT_TRUE(program.ClickListCell(list, 0, 1, true));
        ASSERT_TRUE(ql::CProgram::SetInPlaceValue(list, text, false, VK_RETURN));
        ASSERT_TRUE(program.Settle()) << program.Describe();
        ASSERT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        ASSERT_EQ(ShownName(list), text);
        ASSERT_EQ(program.StatusText(), L"Press ESC to cancel, ENTER to update");
    }

    std::wstring ShownName(HWND list = nullptr) const
    {
        const std::vector<std::wstring> names = program.ListItems(list ? list : grid, 1);
        return names.size() == 1 ? names[0] : L"<" + std::to_wstring(names.size()) + L" rows>";
    }
    // The name another session reads.
    std::wstring StoredName(const std::wstring& name = L"")
    {
        return db.Text(L"SELECT name FROM " + db.Quoted(name.empty() ? table : name) +
                       L" WHERE id = 1");
    }

    // Takes the way out; a dropped database file first asks to close the connection (Yes).
    void Leave(RowClosePath path)
    {
        switch (path)
        {
        case RowClosePath::Exit: program.PostCommand(ID_APP_EXIT); break;
        case RowClosePath::CloseButton:
            PostMessageW(program.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case RowClosePath::CloseAll: program.PostCommand(ID_WINDOW_CLOSE_ALL); break;
        case RowClosePath::RecentConnection: program.PostCommand(ID_RECENT_CONNECTION_FIRST); break;
        case RowClosePath::Reconnect: program.PostCommand(ID_CONNECT_RECONNECT); break;
        case RowClosePath::Disconnect: program.PostCommand(ID_CONNECT_CLOSE); break;
        case RowClosePath::DroppedFile: {
            const std::wstring folder = ql::ScratchFolder(L"row-close-drop");
            const std::wstring database = folder + L"\\dropped.mdb";
            ql::WriteFileBytes(database, "");
            ASSERT_TRUE(DropFiles(program, {database}));
            EXPECT_EQ(program.AnswerMessageBox(IDYES), L"Close current connection?");
            break;
        }
        }
    }

    // Answers the question about the row, which must come before anything else.
    void AnswerRowQuestion(int button)
    {
        const HWND box = program.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << program.Describe();
        EXPECT_EQ(ql::CProgram::MessageBoxText(box), kRowQuestion);
        EXPECT_TRUE(IsWindow(child)) << "a window closed before the question";
        inFrontAtQuestion = program.ActiveChild();
        ql::CProgram::Click(box, button);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(box); }));
    }

    ql::CProgram program;
    ql::CScratchDatabase db;
    std::wstring table;
    std::wstring title;
    HWND child = nullptr;
    HWND grid = nullptr;
    HWND inFrontAtQuestion = nullptr; // the active window when the last question came
};

TEST_P(RowBeingEditedE2E, IsAskedAboutBeforeAnyWindowCloses)
{
    const RowCloseCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartWithRowEdited(
        c.product, L"id INTEGER PRIMARY KEY, name VARCHAR(20)", L"new", c.transaction));

    // Cancel keeps the program, its connection, the window and the edit.
    ASSERT_NO_FATAL_FAILURE(Leave(c.path));
    ASSERT_NO_FATAL_FAILURE(AnswerRowQuestion(IDCANCEL));
    ASSERT_TRUE(program.Settle()) << program.Describe();
    EXPECT_TRUE(program.IsRunning());
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    EXPECT_EQ(program.Title(), title);
    EXPECT_TRUE(IsWindow(child));
    EXPECT_EQ(ShownName(), L"new") << "the edit is kept";
    EXPECT_EQ(StoredName(), L"old");

    ASSERT_NO_FATAL_FAILURE(Leave(c.path));
    ASSERT_NO_FATAL_FAILURE(AnswerRowQuestion(c.answer));
    if (c.transaction)
    {
        const HWND dlg = program.WaitForDialog(L"End Transaction");
        ASSERT_NE(dlg, nullptr) << program.Describe();
        ql::CProgram::Click(dlg, IDC_COMMIT);
    }
    const std::wstring expected = c.answer == IDYES ? L"new" : L"old";
    switch (c.path)
    {
    case RowClosePath::Exit:
    case RowClosePath::CloseButton: ASSERT_TRUE(program.WaitForExit()); break;
    case RowClosePath::Reconnect:
        // The window stays and reads the table again on the new session.
        ASSERT_TRUE(program.Settle()) << program.Describe();
        EXPECT_TRUE(IsWindow(child));
        EXPECT_TRUE(ql::WaitFor([&] { return ShownName() == expected; }))
            << QlConnTest::Narrow(ShownName().c_str());
        break;
    default:
        ASSERT_TRUE(program.Settle()) << program.Describe();
        EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(child); }));
        break;
    }
    EXPECT_EQ(StoredName(), expected);
    if (program.IsRunning())
    {
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
        if (c.path == RowClosePath::Disconnect)
            EXPECT_EQ(program.Title(), L"Quenlark");
        EXPECT_TRUE(program.Close());
    }
}

std::vector<RowCloseCase> RowCloseCases()
{
    std::vector<RowCloseCase> cases;
    for (RowClosePath path : {RowClosePath::Exit, RowClosePath::CloseButton, RowClosePath::CloseAll,
                              RowClosePath::RecentConnection, RowClosePath::Reconnect,
                              RowClosePath::Disconnect, RowClosePath::DroppedFile})
        for (int answer : {IDYES, IDNO})
            cases.push_back({ql::kE2ESQLite, path, answer});
    for (int answer : {IDYES, IDNO})
        cases.push_back({ql::kE2EPostgres, RowClosePath::Exit, answer});
    for (int answer : {IDYES, IDNO})
        cases.push_back({ql::kE2EPostgres, RowClosePath::Exit, answer, true});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Paths, RowBeingEditedE2E, ::testing::ValuesIn(RowCloseCases()),
                         [](const ::testing::TestParamInfo<RowCloseCase>& info) {
                             return ql::ProductName(info.param.product) +
                                    RowClosePathName(info.param.path) +
                                    (info.param.transaction ? "InTransaction" : "") +
                                    (info.param.answer == IDYES ? "Yes" : "No");
                         });

// The same questions outside the table of paths.
class RowQuestionE2E : public RowBeingEditedE2E
{};

// A row the database refuses: Yes at exit shows why and closes nothing; No then drops the edit.
TEST_F(RowQuestionE2E, ARowThatCannotBeSavedKeepsEveryWindow)
{
    ASSERT_NO_FATAL_FAILURE(StartWithRowEdited(
        ql::kE2ESQLite, L"id INTEGER PRIMARY KEY, name VARCHAR(20) CHECK (length(name) <= 5)",
        L"too long"));
    ASSERT_NO_FATAL_FAILURE(Leave(RowClosePath::Exit));
    ASSERT_NO_FATAL_FAILURE(AnswerRowQuestion(IDYES));
    // The database's reason, then nothing else.
    const std::wstring error = program.TakeMessageBox();
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error, kRowQuestion);
    ASSERT_TRUE(program.Settle()) << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    EXPECT_TRUE(program.IsRunning());
    EXPECT_TRUE(IsWindow(child));
    EXPECT_EQ(program.Title(), title);
    EXPECT_EQ(ShownName(), L"too long");
    EXPECT_EQ(StoredName(), L"old");

    ASSERT_NO_FATAL_FAILURE(Leave(RowClosePath::Exit));
    ASSERT_NO_FATAL_FAILURE(AnswerRowQuestion(IDNO));
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(StoredName(), L"old");
}

// Two windows with rows being edited: each is asked about in front, the last opened first. A
// Cancel at the second question keeps the edit the first was told to drop; Yes twice saves both.
TEST_F(RowQuestionE2E, EveryWindowIsAskedAboutInFrontAndCancelDropsNothing)
{
    const std::wstring columns = L"id INTEGER PRIMARY KEY, name VARCHAR(20)";
    ASSERT_NO_FATAL_FAILURE(StartWithRowEdited(ql::kE2ESQLite, columns, L"first"));
    std::wstring secondTable;
    ASSERT_NO_FATAL_FAILURE(NewTable(secondTable, columns));
    HWND second = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenTable(secondTable, second));
    ASSERT_NO_FATAL_FAILURE(EditName(ql::GridOf(second), L"second"));

    ASSERT_NO_FATAL_FAILURE(Leave(RowClosePath::Exit));
    ASSERT_NO_FATAL_FAILURE(AnswerRowQuestion(IDNO));
    EXPECT_EQ(inFrontAtQuestion, second);
    ASSERT_NO_FATAL_FAILURE(AnswerRowQuestion(IDCANCEL));
    EXPECT_EQ(inFrontAtQuestion, child);
    ASSERT_TRUE(program.Settle()) << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    EXPECT_TRUE(IsWindow(child) && IsWindow(second));
    EXPECT_EQ(ShownName(), L"first");
    EXPECT_EQ(ShownName(ql::GridOf(second)), L"second") << "the edit answered No was dropped";
    EXPECT_EQ(StoredName(), L"old");
    EXPECT_EQ(StoredName(secondTable), L"old");

    ASSERT_NO_FATAL_FAILURE(Leave(RowClosePath::Exit));
    ASSERT_NO_FATAL_FAILURE(AnswerRowQuestion(IDYES));
    ASSERT_NO_FATAL_FAILURE(AnswerRowQuestion(IDYES));
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(StoredName(), L"first");
    EXPECT_EQ(StoredName(secondTable), L"second");
}

} // namespace
