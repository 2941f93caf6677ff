// End to end: logins and strings that could break a connection string, odd registry values and a
// malformed hand-over message.
#include "tests/dbaccess/test_databases.h"
#include "tests/app/e2e_program_test.h"
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "dbaccess/error_report.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const UINT kSelectDSN = 32773;

std::string Narrow(const std::wstring& s)
{
    std::string out;
    for (wchar_t c : s)
        out += c < 128 ? (char)c : '?';
    return out;
}

bool Execute(CRDatabase& db, const std::wstring& sql)
{
    try
    {
        db.ExecuteSQL(sql.c_str());
        return true;
    }
    catch (CException* e)
    {
        CString text = FormatErrorText(e);
        CExceptionHolder held(e);
        ADD_FAILURE() << Narrow((LPCWSTR)text);
    }
    return false;
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

TEST_F(HostileTest, PasswordsAndUserNamesWithConnectionStringCharacters)
{
    const std::wstring suffix = QlTestDb::UniqueTag();
    const std::wstring separators = L"ql_sep_" + suffix;
    const std::wstring quoted = L"O'Brien_" + suffix;
    CRDatabase admin;
    try
    {
        admin.Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt, nullptr, 20, 20, 0);
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        FAIL() << "PostgreSQL is not reachable";
    }
    ASSERT_TRUE(Execute(admin, L"CREATE ROLE \"" + separators + L"\" LOGIN PASSWORD 'a;b}c'"));
    ASSERT_TRUE(Execute(admin, L"CREATE ROLE \"" + quoted + L"\" LOGIN PASSWORD 'p=w {x}'"));

    ASSERT_TRUE(program.Start());
    LoginThroughDSNDialog(separators, L"a;b}c");
    EXPECT_TRUE(program.WaitForTitle(L"QuenlarkPG@" + separators + L" - Quenlark"))
        << Narrow(program.Title()) << Narrow(TakeMessageBoxIfAny(100));
    LoginThroughDSNDialog(quoted, L"p=w {x}");
    EXPECT_TRUE(program.WaitForTitle(L"QuenlarkPG@" + quoted + L" - Quenlark"))
        << Narrow(program.Title()) << Narrow(TakeMessageBoxIfAny(100));
    EXPECT_TRUE(program.Close());

    Execute(admin, L"DROP ROLE \"" + separators + L"\"");
    Execute(admin, L"DROP ROLE \"" + quoted + L"\"");
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

} // namespace
