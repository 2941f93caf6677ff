// End to end: logins and strings that could break a connection string, odd registry values and a
// malformed hand-over message.
#include "tests/app/e2e_program_test.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const UINT kSelectDSN = 32773;
const UINT kNewScript = 0xE100;
const int kViewId = 0xE900; // the grid or editor inside a child window

std::string Narrow(const std::wstring& s)
{
    std::string out;
    for (wchar_t c : s)
        out += c < 128 ? (char)c : '?';
    return out;
}

class HostileTest : public CProgramTest
{
protected:
    void ConnectWith(const std::wstring& connect) { ASSERT_TRUE(program.ConnectWith(connect)); }

    void LoginThroughDSNDialog(const std::wstring& user, const std::wstring& password)
    {
        program.PostCommand(kSelectDSN);
        HWND dlg = program.WaitForDialog(L"ODBC DSN");
        ASSERT_NE(dlg, nullptr);
        HWND list = ql::CProgram::Item(dlg, 1169);
        std::vector<std::wstring> names = program.ListItems(list);
        auto it = std::find(names.begin(), names.end(), L"QuenlarkPG");
        ASSERT_NE(it, names.end());
        program.SelectListItem(list, (int)(it - names.begin()));
        ql::CProgram::SetText(dlg, 1172, user);
        ql::CProgram::SetText(dlg, 1173, password);
        ql::CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    }

    // The program answers and shows no message box, or shows one that is closed here.
    std::wstring TakeMessageBoxIfAny(DWORD waitMs) { return program.TakeMessageBox(waitMs); }

    static void Send(HWND wnd, COPYDATASTRUCT* data)
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(wnd, WM_COPYDATA, 0, (LPARAM)data, SMTO_NORMAL, 5000, &result);
    }

    bool Responds() const
    {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                   &result) != 0;
    }
};

// The login roles scripts/databases.sh creates for this (the test role may not create roles).
TEST_F(HostileTest, PasswordsAndUserNamesWithConnectionStringCharacters)
{
    const std::wstring separators = L"ql_sep";
    const std::wstring quoted = L"ql_O'Brien";

    ASSERT_TRUE(program.Start());
    LoginThroughDSNDialog(separators, L"a;b}c");
    EXPECT_TRUE(program.WaitForTitle(L"QuenlarkPG@" + separators + L" - Quenlark"))
        << Narrow(program.Title()) << Narrow(TakeMessageBoxIfAny(100));
    LoginThroughDSNDialog(quoted, L"p=w {x}");
    EXPECT_TRUE(program.WaitForTitle(L"QuenlarkPG@" + quoted + L" - Quenlark"))
        << Narrow(program.Title()) << Narrow(TakeMessageBoxIfAny(100));
    EXPECT_TRUE(program.Close());
}

TEST_F(HostileTest, LongAndNonAsciiStringsConnectOrFailWithoutHarm)
{
    ASSERT_TRUE(program.Start());
    const std::wstring server = L"S\u00e9rveur_\u65e5\u672c";
    ConnectWith(L"Driver=QuenlarkFake;Server=" + server + L";");
    EXPECT_TRUE(program.WaitForTitle(server + L" - Quenlark")) << Narrow(program.Title());

    ConnectWith(L"Driver=QuenlarkFake;Server=long;Note=" + std::wstring(10000, L'x') + L";");
    // Either it connects or the driver's error is shown; the program goes on either way.
    ql::WaitFor([&] { return program.Title() == L"long - Quenlark" || program.FindMessageBox(); });
    TakeMessageBoxIfAny(200);
    EXPECT_TRUE(Responds());
    EXPECT_EQ(ql::RegString(L"Grid lines"), L"Yes");
    EXPECT_TRUE(program.Close());
    EXPECT_EQ(ql::RegString(L"Grid lines"), L"Yes");
}

TEST_F(HostileTest, ANumberWhereAConnectionStringBelongsIsSkipped)
{
    ql::WriteRegString(L"Connect DB at startup", L"Yes");
    ql::WriteRegDword(L"ConnectString0", 12345, L"ConnectStrings");
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(TakeMessageBoxIfAny(500), L"");
    EXPECT_EQ(program.Title(), L"Quenlark");
    EXPECT_TRUE(Responds());
    EXPECT_TRUE(program.Close());
}

TEST_F(HostileTest, MalformedHandOverMessagesAreIgnored)
{
    ASSERT_TRUE(program.Start());
    // A path without its terminating zero: only cbData bytes reach the program.
    const wchar_t unterminated[] = {L'a', L'.', L't', L'x', L't'};
    // (A file the program would open could show a box and keep a plain send waiting: the sends
    // below time out instead.)
    COPYDATASTRUCT data{1, sizeof(unterminated), (void*)unterminated};
    Send(program.MainWindow(), &data);
    COPYDATASTRUCT empty{1, 0, nullptr};
    Send(program.MainWindow(), &empty);
    const char narrow[] = "C:\\nowhere\\x.txt";
    COPYDATASTRUCT other{7, sizeof(narrow), (void*)narrow};
    Send(program.MainWindow(), &other);
    COPYDATASTRUCT ansi{0, 3, (void*)narrow};
    Send(program.MainWindow(), &ansi);
    EXPECT_TRUE(Responds());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(program.Title(), L"Quenlark");
    EXPECT_TRUE(program.Close());
}

// Numbers no Options sheet would store, written into the settings by hand.
TEST_F(HostileTest, OutOfRangeNumbersInTheSettingsLeaveGridAndEditorWorking)
{
    QlTestDb::TempSQLiteFile file;
    {
        CRDatabase db;
        QlConnTest::OpenOrFail(db, file.Connect());
        db.ExecuteSQL(L"CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)");
        db.ExecuteSQL(L"INSERT INTO t VALUES (1, 'one'), (2, 'two'), (3, 'three')");
    }
    for (DWORD cacheSize : {0xFFFFFFFFu, 0u})
    {
        ql::WriteRegDword(L"Cache size", cacheSize);
        ql::WriteRegDword(L"Tab size", 0x7FFFFFFF);
        ql::WriteRegString(L"Tab use spaces", L"Yes");
        ASSERT_TRUE(program.StartConnected(std::wstring(file.Connect())));
        HWND child = ql::OpenTable(program, L"", L"t");
        ASSERT_NE(child, nullptr);
        program.WaitForGrid();
        HWND grid = ql::GridOf(child);
        EXPECT_TRUE(ql::WaitFor([&] {
            return program.ListItems(grid, 1) ==
                   std::vector<std::wstring>{L"one", L"two", L"three"};
        })) << cacheSize;
        EXPECT_TRUE(Responds());

        program.PostCommand(kNewScript);
        ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() != child; }));
        HWND editor = GetDlgItem(program.ActiveChild(), kViewId);
        ASSERT_NE(editor, nullptr);
        ql::CProgram::PressKey(editor, VK_TAB);
        ASSERT_TRUE(Responds());
        EXPECT_TRUE(ql::WaitFor([&] { return ql::WindowText(editor) == std::wstring(8, L' '); }));
        program.Kill();
    }
}

} // namespace
