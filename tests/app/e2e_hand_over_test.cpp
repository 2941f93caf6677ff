// End to end: a program started while the running instance is closing. The closing instance
// would open a handed-over script only to close it with the rest of its windows, so the new
// start opens the script in a window of its own; it also connects at start-up as if no other
// instance ran. A close the user cancels takes hand-overs again.
#include "tests/app/e2e_program_test.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "framework/command_ids.h"

#include <gtest/gtest.h>

namespace {

const int kEditor = 0xE900;

std::string Narrow(const std::wstring& s)
{
    std::string out;
    for (wchar_t c : s)
        out += c < 128 ? (char)c : '?';
    return out;
}

class HandOverTest : public CProgramTest
{
protected:
    // Opens a new script window with changed text in the program: a close asks about it.
    static void AddUnsavedScript(ql::CProgram& running)
    {
        const int before = ChildWindows(running.MainWindow());
        running.PostCommand(ID_FILE_NEW);
        ASSERT_TRUE(ql::WaitFor([&] {
            return ChildWindows(running.MainWindow()) == before + 1 &&
                   GetDlgItem(running.ActiveChild(), kEditor) != nullptr;
        }));
        HWND editor = GetDlgItem(running.ActiveChild(), kEditor);
        SendMessageW(editor, WM_SETTEXT, 0, (LPARAM)L"select 'unsaved';");
        SendMessageW(editor, EM_SETMODIFY, TRUE, 0);
    }
    // Asks the program to close: it stays in its close, asking whether to save the changed
    // script, until the question is answered.
    void BeginClosing(ql::CProgram& running)
    {
        PostMessageW(running.MainWindow(), WM_CLOSE, 0, 0);
        m_question = running.WaitForMessageBox();
        ASSERT_NE(m_question, nullptr);
        ASSERT_EQ(ql::CProgram::MessageBoxText(m_question), L"File has changed.\nSave it?");
    }
    void Answer(int button)
    {
        ql::CProgram::Click(m_question, button);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(m_question); }));
    }

    HWND m_question = nullptr;
};

TEST_F(HandOverTest, AScriptStartedWhileTheInstanceClosesOpensInAWindowOfItsOwn)
{
    const std::wstring folder = ql::ScratchFolder(L"hand_over");
    const std::wstring first = folder + L"\\first.sql", second = folder + L"\\second.sql";
    ql::WriteFileBytes(first, "select 'first';");
    ql::WriteFileBytes(second, "select 'second';");

    ASSERT_TRUE(program.Start());
    AddUnsavedScript(program);
    BeginClosing(program);

    // The new start does not hand the script to the closing instance: it shows it itself.
    ql::CProgram late;
    ASSERT_TRUE(late.Start(L"\"" + first + L"\"")) << late.Describe();
    EXPECT_TRUE(ql::WaitFor([&] { return late.ActiveEditorText() == L"select 'first';"; }))
        << Narrow(late.ActiveEditorText());
    EXPECT_EQ(ChildWindows(program.MainWindow()), 1) << "the closing instance opened it too";

    // Cancel keeps the instance and it takes hand-overs again; the window of the late start
    // ends, so the instance is the only one to take it.
    Answer(IDCANCEL);
    ASSERT_TRUE(late.Close());
    ql::CProgram handing;
    ASSERT_TRUE(handing.Start(L"\"" + second + L"\"", false));
    EXPECT_TRUE(handing.WaitForExit());
    EXPECT_TRUE(ql::WaitFor([&] { return ChildWindows(program.MainWindow()) == 2; }));
    EXPECT_EQ(program.ActiveEditorText(), L"select 'second';");

    // The close goes through this time, and the started script survives it.
    BeginClosing(program);
    ql::CProgram last;
    ASSERT_TRUE(last.Start(L"\"" + second + L"\"")) << last.Describe();
    Answer(IDNO);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_TRUE(last.IsRunning());
    EXPECT_EQ(last.ActiveEditorText(), L"select 'second';");
    EXPECT_TRUE(last.Close());
}

TEST_F(HandOverTest, AStartWhileTheInstanceClosesConnectsToTheMostRecentDatabase)
{
    QlTestDb::TempSQLiteFile database;
    {
        // A table for the database bar to show: the sign that a file database is connected.
        CRDatabase db;
        QlConnTest::OpenOrFail(db, database.Connect());
        db.ExecuteSQL(L"CREATE TABLE t (id INTEGER)");
    }
    ASSERT_TRUE(program.StartConnected(std::wstring(database.Connect()))) << program.Describe();
    AddUnsavedScript(program);
    BeginClosing(program);

    ql::CProgram late;
    EXPECT_TRUE(late.StartConnected(std::wstring(database.Connect()))) << late.Describe();
    Answer(IDNO);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_TRUE(late.Close());
}

} // namespace
