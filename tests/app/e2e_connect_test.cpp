// End to end: connecting through the connection dialogs, the recent strings, failures,
// reconnecting, the help and the About box (a slow connect: e2e_wait_test.cpp).
#include "tests/dbaccess/test_databases.h"
#include "tests/app/e2e_program_test.h"
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "dbaccess/error_report.h"
#include "dbaccess/recordset.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Command and control ids of the program (resources/resource.h).
const UINT kConnectionStrings = 32772;
const UINT kSelectDSN = 32773;
const UINT kSelectDriver = 32920;
const UINT kReconnect = 32898;
const UINT kAbout = 0xE140;
const int kStringCombo = 1000;
const int kDeleteString = 1183;
const int kDSNList = 1169;
const int kServerLogin = 1170;
const int kUser = 1172;
const int kPassword = 1173;
const int kDriverList = 1177;

const wchar_t kPostgresTyped[] = L"DRIVER={PostgreSQL Unicode};DATABASE=quenlark;"
                                 L"SERVER=127.0.0.1;PORT=5432;UID=quenlark;PWD=quenlark;";

std::string Narrow(const std::wstring& s)
{
    std::string out;
    for (wchar_t c : s)
        out += c < 128 ? (char)c : '?';
    return out;
}

// Runs a database action of the test itself; a failure is a test failure, never a message box.
template <class Action>
bool Quietly(Action&& action)
{
    try
    {
        action();
        return true;
    }
    catch (CException* e)
    {
        CString text = FormatErrorText(e);
        CExceptionHolder held(e);
        ADD_FAILURE() << Narrow(std::wstring((LPCWSTR)text));
    }
    return false;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

class ConnectTest : public CProgramTest
{
protected:
    void ConnectWith(const std::wstring& connect) { ASSERT_TRUE(program.ConnectWith(connect)); }

    // Waits for a message box, gives its text and closes it.
    std::wstring TakeMessageBox()
    {
        std::wstring text = program.TakeMessageBox();
        return text.empty() ? L"<no message box>" : text;
    }

    void ConnectThroughDSNDialog(const std::wstring& dsn, const std::wstring& user,
                                 const std::wstring* password, std::wstring* shownUser = nullptr)
    {
        program.PostCommand(kSelectDSN);
        HWND dlg = program.WaitForDialog(L"ODBC DSN");
        ASSERT_NE(dlg, nullptr);
        HWND list = ql::CProgram::Item(dlg, kDSNList);
        std::vector<std::wstring> names = program.ListItems(list);
        auto it = std::find(names.begin(), names.end(), dsn);
        ASSERT_NE(it, names.end()) << Narrow(dsn) << " is not listed";
        program.SelectListItem(list, (int)(it - names.begin()));
        EXPECT_TRUE(ql::CProgram::IsChecked(dlg, kServerLogin));
        if (shownUser != nullptr)
            *shownUser = ql::CProgram::Text(dlg, kUser);
        ql::CProgram::SetText(dlg, kUser, user);
        if (password != nullptr)
            ql::CProgram::SetText(dlg, kPassword, *password);
        ql::CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    }
};

TEST_F(ConnectTest, TypedStringConnectsAndTheCompletedStringIsRemembered)
{
    ASSERT_TRUE(program.Start());
    ConnectWith(kPostgresTyped);
    EXPECT_TRUE(program.WaitForTitle(L"127.0.0.1@quenlark - Quenlark")) << Narrow(program.Title());
    const std::wstring remembered = ql::RegString(L"ConnectString0", L"ConnectStrings");
    EXPECT_TRUE(
        StartsWith(remembered, L"DRIVER={PostgreSQL Unicode};DATABASE=quenlark;SERVER=127.0.0.1;"))
        << Narrow(remembered);
    EXPECT_TRUE(program.Close());
}

TEST_F(ConnectTest, DeletedStringsStayUntilOK)
{
    const wchar_t* strings[] = {
        L"Driver=QuenlarkFake;Server=one;", L"Driver=QuenlarkFake;Server=two;",
        L"Driver=QuenlarkFake;Server=three;", L"Driver=QuenlarkFake;Server=four;"};
    for (int i = 0; i < 4; ++i)
        ql::WriteRegString(L"ConnectString" + std::to_wstring(i), strings[i], L"ConnectStrings");
    ASSERT_TRUE(program.Start());

    program.PostCommand(kConnectionStrings);
    HWND dlg = program.WaitForDialog(L"ODBC Connection Strings");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(program.ComboItems(ql::CProgram::Item(dlg, kStringCombo)).size(), 4u);
    SendMessageW(ql::CProgram::Item(dlg, kDeleteString), BM_CLICK, 0, 0);
    SendMessageW(ql::CProgram::Item(dlg, kDeleteString), BM_CLICK, 0, 0);
    EXPECT_EQ(program.ComboItems(ql::CProgram::Item(dlg, kStringCombo)).size(), 2u);
    ql::CProgram::Click(dlg, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ql::RegString(L"ConnectString" + std::to_wstring(i), L"ConnectStrings"),
                  strings[i]);

    program.PostCommand(kConnectionStrings);
    dlg = program.WaitForDialog(L"ODBC Connection Strings");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(program.ComboItems(ql::CProgram::Item(dlg, kStringCombo)).size(), 4u)
        << "Cancel kept the deleted strings";
    SendMessageW(ql::CProgram::Item(dlg, kDeleteString), BM_CLICK, 0, 0);
    SendMessageW(ql::CProgram::Item(dlg, kDeleteString), BM_CLICK, 0, 0);
    ql::CProgram::Click(dlg, IDOK);
    // OK connects with the string left at the top.
    EXPECT_TRUE(program.WaitForTitle(L"three - Quenlark")) << Narrow(program.Title());
    EXPECT_EQ(ql::RegString(L"ConnectString0", L"ConnectStrings"), strings[2]);
    EXPECT_EQ(ql::RegString(L"ConnectString1", L"ConnectStrings"), strings[3]);
    EXPECT_FALSE(ql::RegValueExists(L"ConnectString2", L"ConnectStrings"));
    EXPECT_FALSE(ql::RegValueExists(L"ConnectString3", L"ConnectStrings"));
    EXPECT_TRUE(program.Close());
}

TEST_F(ConnectTest, DataSourceLoginIsRememberedAndAWrongPasswordReportsTheDriversError)
{
    ASSERT_TRUE(program.Start());
    const std::wstring password = L"quenlark";
    ConnectThroughDSNDialog(L"QuenlarkPG", L"quenlark", &password);
    EXPECT_TRUE(program.WaitForTitle(L"QuenlarkPG@quenlark - Quenlark")) << Narrow(program.Title());

    std::wstring shownUser;
    const std::wstring wrong = L"not the password";
    ConnectThroughDSNDialog(L"QuenlarkPG", L"quenlark", &wrong, &shownUser);
    EXPECT_EQ(shownUser, L"quenlark") << "the login of this run is filled in";
    const std::wstring error = TakeMessageBox();
    EXPECT_TRUE(StartsWith(error, L"ODBC error code: -1\nState: 08001\n")) << Narrow(error);
    EXPECT_TRUE(program.WaitForTitle(L"Quenlark"));

    program.PostCommand(kSelectDriver);
    HWND dlg = program.WaitForDialog(L"ODBC Drivers");
    ASSERT_NE(dlg, nullptr);
    std::vector<std::wstring> drivers = program.ListItems(ql::CProgram::Item(dlg, kDriverList));
    for (const wchar_t* expected : {L"SQLite3", L"PostgreSQL Unicode", L"MariaDB Unicode",
                                    L"QuenlarkFake", L"Microsoft Access Driver (*.mdb)"})
        EXPECT_NE(std::find(drivers.begin(), drivers.end(), expected), drivers.end())
            << Narrow(expected);
    EXPECT_TRUE(std::is_sorted(drivers.begin(), drivers.end(),
                               [](const std::wstring& a, const std::wstring& b) {
                                   return _wcsicmp(a.c_str(), b.c_str()) < 0;
                               }));
    ql::CProgram::Click(dlg, IDCANCEL);
    EXPECT_TRUE(program.Close());
}

TEST_F(ConnectTest, ADriverThatCannotAskForTheRestMakesNoFileOfTheString)
{
    // SQLite's driver has no dialog here: given a string without a database it opens a database
    // file named after the whole string (with whatever options were added to it), in the folder
    // the program started in or in its current one; given a Database value it does not trim or
    // unbrace, a file of that name. Neither folder may gain any file.
    wchar_t startFolder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, startFolder);
    const std::wstring currentFolder = ql::ScratchFolder(L"select-driver-current");
    ql::WriteRegString(L"Current directory", currentFolder);
    auto filesIn = [](const std::wstring& folder) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data = {};
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do
            names.push_back(data.cFileName);
        while (FindNextFileW(find, &data));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::wstring> startBefore = filesIn(startFolder);
    const std::vector<std::wstring> currentBefore = filesIn(currentFolder);
    const std::wstring database =
        ql::ScratchFolder(L"select-driver") + L"\\current_" + ql::UniqueSuffix() + L".db";
    ASSERT_TRUE(
        program.StartConnected(L"Driver=SQLite3;Database=" + ql::UnixPath(database) + L";"));
    const std::wstring remembered = ql::RegString(L"ConnectString0", L"ConnectStrings");

    program.PostCommand(kSelectDriver);
    HWND dlg = program.WaitForDialog(L"ODBC Drivers");
    ASSERT_NE(dlg, nullptr);
    HWND list = ql::CProgram::Item(dlg, kDriverList);
    std::vector<std::wstring> drivers = program.ListItems(list);
    auto it = std::find(drivers.begin(), drivers.end(), L"SQLite3");
    ASSERT_NE(it, drivers.end());
    program.SelectListItem(list, (int)(it - drivers.begin()));
    ql::CProgram::Click(dlg, IDOK);

    std::wstring message = TakeMessageBox();
    EXPECT_NE(message.find(L"could not complete the connection \"Driver=SQLite3;\""),
              std::wstring::npos)
        << Narrow(message);
    // The connect command closed the connection first; nothing new is open or remembered.
    EXPECT_TRUE(program.WaitForTitle(L"Quenlark")) << Narrow(program.Title());
    EXPECT_TRUE(program.WaitUntilIdle());

    // Typed strings are read as the driver reads them: its Database item is matched with the
    // blanks around the name, its value taken as it stands, braces and blanks included. None of
    // these is handed over; each is refused with a box saying why.
    const wchar_t kIncomplete[] = L"could not complete the connection";
    const wchar_t kUnusable[] = L"would take the Database value";
    const struct
    {
        const wchar_t* connect;
        const wchar_t* said;
    } typed[] = {
        {L"Driver=SQLite3;Database = a.db;", kIncomplete},
        {L"Driver=SQLite3; Database=a.db;", kIncomplete},
        {L"Driver=SQLite3;Database=;Database=a.db;", kIncomplete},
        {L"Driver=libsqlite3odbc.so;", kIncomplete},
        {L"Driver={SQLite3};Database={ };", kUnusable},
        {L"Driver={SQLite3};Database={a.db};", kUnusable},
        {L"Driver=SQLite3;Database= a.db;", kUnusable},
        {L"Driver={SQLite3};Database= ;Timeout=100;", kUnusable},
    };
    for (const auto& t : typed)
    {
        SCOPED_TRACE(Narrow(t.connect));
        ConnectWith(t.connect);
        message = TakeMessageBox();
        EXPECT_NE(message.find(t.said), std::wstring::npos) << Narrow(message);
        EXPECT_TRUE(program.WaitUntilIdle());
        EXPECT_EQ(program.Title(), L"Quenlark");
    }

    EXPECT_EQ(filesIn(startFolder), startBefore);
    EXPECT_EQ(filesIn(currentFolder), currentBefore);
    EXPECT_EQ(ql::RegString(L"ConnectString0", L"ConnectStrings"), remembered);
    EXPECT_FALSE(ql::RegValueExists(L"ConnectString1", L"ConnectStrings"));

    // A complete string still connects.
    ConnectWith(L"Driver=SQLite3;Database=" + ql::UnixPath(database) + L";");
    EXPECT_TRUE(ql::WaitFor([&] {
        return program.Title().find(L"current_") != std::wstring::npos;
    })) << Narrow(program.Title());
    EXPECT_TRUE(program.Close());
    DeleteFileW(database.c_str());
}

TEST_F(ConnectTest, ReconnectAfterTheSessionWasKilledAndWhenTheServerIsGone)
{
    const std::wstring application = L"qle2e_" + QlTestDb::UniqueTag();
    ASSERT_TRUE(program.Start());
    ConnectWith(std::wstring(kPostgresTyped) + L"ConnSettings={SET application_name TO '" +
                application + L"'};");
    ASSERT_TRUE(program.WaitForTitle(L"127.0.0.1@quenlark - Quenlark")) << Narrow(program.Title());

    CRDatabase db;
    ASSERT_TRUE(Quietly([&] {
        db.Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt, nullptr, 20, 20, 0);
    }));
    auto sessions = [&] {
        long count = -1;
        Quietly([&] {
            CRRecordset rs(&db);
            rs.Open(CString(L"SELECT count(*) FROM pg_stat_activity WHERE application_name = '") +
                        application.c_str() + L"'",
                    RS_FORWARD_ONLY, 1);
            CString text;
            if (rs.GetFieldText(1, text))
                count = _wtol(text);
        });
        return count;
    };
    ASSERT_EQ(sessions(), 1);
    ASSERT_TRUE(Quietly([&] {
        db.ExecuteSQL(CString(L"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                              L"application_name = '") +
                      application.c_str() + L"'");
    }));
    ASSERT_TRUE(ql::WaitFor([&] { return sessions() == 0; }));

    program.PostCommand(kReconnect);
    EXPECT_TRUE(ql::WaitFor([&] { return sessions() == 1; })) << "a new session after reconnect";
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(program.Title(), L"127.0.0.1@quenlark - Quenlark");

    // A server that is gone: the error, then no connection.
    ConnectWith(L"Driver=QuenlarkFake;Server=gone;ConnectLimit=1;");
    ASSERT_TRUE(program.WaitForTitle(L"gone - Quenlark")) << Narrow(program.Title());
    program.PostCommand(kReconnect);
    const std::wstring error = TakeMessageBox();
    EXPECT_NE(error.find(L"State: 08001"), std::wstring::npos) << Narrow(error);
    EXPECT_TRUE(program.WaitForTitle(L"Quenlark"));
    EXPECT_TRUE(program.Close());
}

TEST_F(ConnectTest, AboutShowsTheProductVersion)
{
    ASSERT_TRUE(program.Start());
    program.PostCommand(kAbout);
    HWND dlg = program.WaitForDialog(L"About Quenlark");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(ql::CProgram::Text(dlg, 1191), L"Version 1.0.0.1 (64 bit)");
    ql::CProgram::Click(dlg, IDOK);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_TRUE(program.Close());
}

TEST_F(ConnectTest, HelpOpensTheHelpFileBesideTheProgram)
{
    ASSERT_TRUE(program.Start());
    program.PostCommand(kConnectionStrings);
    HWND dlg = program.WaitForDialog(L"ODBC Connection Strings");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::Click(dlg, 1131);
    HWND help = nullptr;
    EXPECT_TRUE(ql::WaitFor([&] {
        for (HWND wnd : program.TopWindows())
            if (ql::ClassName(wnd) == L"HH Parent")
                help = wnd;
        return help != nullptr;
    })) << "no help window";
    if (help != nullptr)
    {
        EXPECT_EQ(ql::WindowText(help), L"Quenlark Help");
    }
    ql::CProgram::Click(dlg, IDCANCEL);
    program.Kill();
}

} // namespace
