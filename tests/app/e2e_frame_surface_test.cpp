// End to end, what the main window shows around its children: where dialogs open, the program's
// own and the system's file dialogs (centred over the main window unless a stored placement says
// otherwise), the start of a long stored connection string, the "TRANS" status pane while child
// windows are open and its click, the End Transaction question answered by Enter, and the recent
// connections and files menus, which fill their own popups and leave the parent menus alone.
#include "tests/app/e2e_program_test.h"
#include "tests/dbaccess/test_databases.h"

#include "framework/command_ids.h"
#include "resources/resource.h"

namespace {

std::string Utf8(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), out.data(), n, nullptr,
                        nullptr);
    return out;
}

// The centre of a window in screen coordinates.
POINT Centre(HWND wnd)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The window that has the focus in the program's window thread.
HWND FocusOf(HWND wnd)
{
    GUITHREADINFO info = {sizeof(info)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info) ? info.hwndFocus
                                                                           : nullptr;
}

class FrameSurfaceTest : public CProgramTest
{
protected:
    // Starts connected to the fake driver as a PostgreSQL server; true once idle.
    bool StartOnFakeServer()
    {
        ql::WriteRegString(L"Connect DB at startup", L"Yes");
        ql::WriteRegString(L"ConnectString0", m_log.Connect(L"PostgreSQL").GetString(),
                           L"ConnectStrings");
        return program.Start() && ql::WaitFor([&] { return m_log.Read().Find(L"CONNECT") >= 0; }) &&
               program.WaitUntilIdle();
    }
    // How often the driver was asked to commit.
    int Commits() const { return m_log.Count(L"\nCOMMIT"); }
    // Opens a top-level menu by its mnemonic, as Alt and the letter do; the height of its popup,
    // or -1 when none opened. The menu is closed again.
    int MenuHeight(wchar_t mnemonic)
    {
        PostMessageW(program.MainWindow(), WM_SYSCOMMAND, SC_KEYMENU, mnemonic);
        HWND popup = nullptr;
        if (!ql::WaitFor([&] { return (popup = program.FindPopupMenu()) != nullptr; }, 10000))
            return -1;
        RECT r = {};
        GetWindowRect(popup, &r);
        CloseMenus();
        return r.bottom - r.top;
    }
    // The height of the popup that an item of a top-level menu opens, both by their mnemonics.
    int SubmenuHeight(wchar_t mnemonic, UINT itemKey)
    {
        PostMessageW(program.MainWindow(), WM_SYSCOMMAND, SC_KEYMENU, mnemonic);
        HWND popup = nullptr;
        if (!ql::WaitFor([&] { return (popup = program.FindPopupMenu()) != nullptr; }, 10000))
            return -1;
        ql::CProgram::PressKey(popup, itemKey);
        HWND sub = nullptr;
        ql::WaitFor(
            [&] {
                HWND wnd = nullptr;
                while ((wnd = FindWindowExW(nullptr, wnd, L"#32768", nullptr)) != nullptr)
                    if (wnd != popup && program.IsOwn(wnd) && IsWindowVisible(wnd))
                        return (sub = wnd) != nullptr;
                return false;
            },
            10000);
        RECT r = {};
        if (sub != nullptr)
            GetWindowRect(sub, &r);
        CloseMenus();
        return sub != nullptr ? r.bottom - r.top : -1;
    }
    void CloseMenus()
    {
        for (int i = 0; i < 3 && program.FindPopupMenu() != nullptr; ++i)
        {
            ql::CProgram::PressKey(program.FindPopupMenu(), VK_ESCAPE);
            ql::WaitFor([&] { return program.FindPopupMenu() == nullptr; }, 2000);
        }
        // The menu bar keeps its keyboard mode after the last popup; Escape leaves it.
        ql::CProgram::PressKey(program.MainWindow(), VK_ESCAPE);
    }

    QlTestDb::FakeLog m_log;
};

TEST_F(FrameSurfaceTest, DialogsOpenCentredOverTheMainWindow)
{
    ASSERT_TRUE(program.Start());
    const POINT main = Centre(program.MainWindow());
    const struct
    {
        UINT command;
        const wchar_t* caption;
    } dialogs[] = {{ID_APP_ABOUT, L"About Quenlark"},
                   {ID_CONNECT_STRINGS, L"ODBC Connection Strings"},
                   {ID_VIEW_OPTIONS, L"Options"}};
    for (const auto& d : dialogs)
    {
        program.PostCommand(d.command);
        HWND dlg = program.WaitForDialog(d.caption);
        ASSERT_NE(dlg, nullptr) << Utf8(d.caption);
        const POINT centre = Centre(dlg);
        EXPECT_LE(std::abs(centre.x - main.x), 2) << Utf8(d.caption);
        EXPECT_LE(std::abs(centre.y - main.y), 2) << Utf8(d.caption);
        ql::CProgram::Click(dlg, IDCANCEL);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    }
}

// A stored connection string longer than its box reads from its start ("Driver=..."), both when
// the dialog opens and after an entry is deleted; entry 0 stays the selected one.
TEST_F(FrameSurfaceTest, ConnectionStringsShowTheStartOfTheString)
{
    const std::wstring first = L"Driver=SQLite3;Database=C:\\users\\someone\\documents\\databases\\"
                               L"quenlark\\first_of_the_demo_databases.sqlite;";
    const std::wstring second =
        L"Driver=SQLite3;Database=C:\\users\\someone\\documents\\databases\\"
        L"quenlark\\second_of_the_demo_databases.sqlite;";
    ql::WriteRegString(L"Connect DB at startup", L"No");
    ql::WriteRegString(L"ConnectString0", first, L"ConnectStrings");
    ql::WriteRegString(L"ConnectString1", second, L"ConnectStrings");
    ASSERT_TRUE(program.Start());
    program.PostCommand(ID_CONNECT_STRINGS);
    HWND dlg = program.WaitForDialog(L"ODBC Connection Strings");
    ASSERT_NE(dlg, nullptr);
    HWND combo = GetDlgItem(dlg, IDC_CONNECT_STRING);
    HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    // The index of the character shown at the given edge of the edit field.
    const auto charAt = [&](bool right) {
        RECT r = {};
        GetClientRect(edit, &r);
        const int x = right ? r.right - 3 : r.left + 1;
        return (int)LOWORD(SendMessageW(edit, EM_CHARFROMPOS, 0, MAKELPARAM(x, r.bottom / 2)));
    };
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(ql::WindowText(edit), first);
    EXPECT_EQ(charAt(false), 0);
    EXPECT_LT(charAt(true), (int)first.size() - 5); // the string is wider than the box
    // The field has the focus and its whole text is selected, so typing replaces it.
    EXPECT_EQ(FocusOf(dlg), edit);
    const DWORD selection = (DWORD)SendMessageW(edit, EM_GETSEL, 0, 0);
    EXPECT_EQ(LOWORD(selection), 0);
    EXPECT_EQ(HIWORD(selection), first.size());

    ql::CProgram::Click(dlg, IDC_DELETE_STRING);
    ASSERT_TRUE(ql::WaitFor([&] { return ql::WindowText(edit) == second; }));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(charAt(false), 0);
    ql::CProgram::Click(dlg, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_TRUE(program.Close());
}

TEST_F(FrameSurfaceTest, FileDialogsOpenCentredOverTheMainWindow)
{
    // The system's Open and Save As dialogs, owned by the main window (Connect to file, Trace On)
    // and by a script window (Save As), whose hook would leave them at the owner's corner. Each
    // is made larger before it closes: the system gives the next one that size after it is
    // initialised, and the last Trace On is centred with it.
    ASSERT_TRUE(StartOnFakeServer());
    program.PostCommand(ID_FILE_NEW);
    ASSERT_TRUE(program.WaitForActiveChild(L"SQL"));
    const POINT main = Centre(program.MainWindow());
    const struct
    {
        UINT command;
        const wchar_t* caption;
    } dialogs[] = {{ID_CONNECT_FILE, L"Open"},
                   {ID_DB_TRACE_ON, L"Save As"},
                   {ID_FILE_SAVE_AS, L"Save As"},
                   {ID_DB_TRACE_ON, L"Save As"}};
    for (const auto& d : dialogs)
    {
        program.PostCommand(d.command);
        HWND dlg = program.WaitForDialog(d.caption);
        ASSERT_NE(dlg, nullptr) << d.command;
        const POINT centre = Centre(dlg);
        EXPECT_LE(std::abs(centre.x - main.x), 2) << d.command;
        EXPECT_LE(std::abs(centre.y - main.y), 2) << d.command;
        RECT r = {};
        GetWindowRect(dlg, &r);
        SetWindowPos(dlg, nullptr, 0, 0, r.right - r.left + 120, r.bottom - r.top + 80,
                     SWP_NOMOVE | SWP_NOZORDER);
        ql::CProgram::Click(dlg, IDCANCEL);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    }
}

TEST_F(FrameSurfaceTest, AStoredDialogPlacementStillWins)
{
    // The SQL query dialog's record: normal, at (60, 50) - (760, 560) in the main window's client
    // coordinates.
    const int32_t record[5] = {1, 60, 50, 760, 560};
    ql::WriteRegValue(L"DlgPosExecSQL", REG_BINARY, record, sizeof(record));
    ASSERT_TRUE(StartOnFakeServer());
    program.PostCommand(ID_QUERY_SQL);
    HWND dlg = program.WaitForDialog(L"Execute SQL");
    ASSERT_NE(dlg, nullptr);
    POINT origin = {0, 0};
    ClientToScreen(program.MainWindow(), &origin);
    RECT r = {};
    GetWindowRect(dlg, &r);
    EXPECT_EQ(r.left - origin.x, 60);
    EXPECT_EQ(r.top - origin.y, 50);
    EXPECT_EQ(r.right - r.left, 700);
    EXPECT_EQ(r.bottom - r.top, 510);
    ql::CProgram::Click(dlg, IDCANCEL);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
}

TEST_F(FrameSurfaceTest, TransPaneShowsBesideChildWindowsAndEndsTheTransaction)
{
    ASSERT_TRUE(StartOnFakeServer());
    program.PostCommand(ID_FILE_NEW);
    ASSERT_TRUE(program.WaitForActiveChild(L"SQL"));
    ASSERT_TRUE(ql::WaitFor([&] { return ql::Trimmed(program.StatusPaneText(3)).empty(); }))
        << "no transaction yet";

    program.PostCommand(ID_DB_BEGIN_TRANS);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::Trimmed(program.StatusPaneText(3)) == L"TRANS"; }))
        << "pane 3: \"" << Utf8(program.StatusPaneText(3)) << "\"";

    // End Transaction: Cancel is the default button and has the focus, so a real Enter (which
    // presses the focused button) cancels and the transaction stays open.
    program.PostCommand(ID_DB_END_TRANS);
    HWND dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return FocusOf(dlg) != nullptr; }));
    EXPECT_EQ(GetDlgCtrlID(FocusOf(dlg)), IDCANCEL);
    EXPECT_EQ(LOWORD(SendMessageW(dlg, DM_GETDEFID, 0, 0)), IDCANCEL);
    ASSERT_TRUE(program.PressKeys({VK_RETURN}, dlg));
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    ASSERT_TRUE(program.Settle()); // a commit would be logged by now
    EXPECT_EQ(Commits(), 0);
    EXPECT_EQ(ql::Trimmed(program.StatusPaneText(3)), L"TRANS");

    // A click on the pane asks the same question; Commit ends the transaction.
    ASSERT_TRUE(program.ClickStatusPane(3));
    dlg = program.WaitForDialog(L"End Transaction");
    ASSERT_NE(dlg, nullptr) << "the pane's click asked nothing";
    ql::CProgram::Click(dlg, IDC_COMMIT);
    EXPECT_TRUE(ql::WaitFor([&] { return Commits() == 1; }));
    EXPECT_TRUE(ql::WaitFor([&] { return ql::Trimmed(program.StatusPaneText(3)).empty(); }));
}

TEST_F(FrameSurfaceTest, RecentListsFillTheirPopupsOnly)
{
    ql::WriteRegString(L"Connect DB at startup", L"No");
    ASSERT_TRUE(program.Start());
    // Connect and SQL scripts, and their Recent Connections / Recent Files popups, empty.
    const int connect = MenuHeight(L'c');
    const int scripts = MenuHeight(L's');
    const int noConnections = SubmenuHeight(L'c', 'N');
    const int noFiles = SubmenuHeight(L's', 'F');
    ASSERT_GT(connect, 0);
    ASSERT_GT(scripts, 0);
    ASSERT_GT(noConnections, 0);
    ASSERT_GT(noFiles, 0);
    program.Kill();

    ql::WriteRegString(L"ConnectString0", L"DSN=first;UID=a;", L"ConnectStrings");
    ql::WriteRegString(L"ConnectString1", L"DSN=second;UID=b;", L"ConnectStrings");
    const std::wstring files = L"Software\\Dravolen\\Quenlark\\Recent file list";
    RegSetKeyValueW(HKEY_CURRENT_USER, files.c_str(), L"File1", REG_SZ, L"C:\\a.sql",
                    sizeof(L"C:\\a.sql"));
    RegSetKeyValueW(HKEY_CURRENT_USER, files.c_str(), L"File2", REG_SZ, L"C:\\b.sql",
                    sizeof(L"C:\\b.sql"));
    ASSERT_TRUE(program.Start());
    // Twice: a second opening must not add the entries again either.
    for (int pass = 0; pass < 2; ++pass)
    {
        EXPECT_EQ(MenuHeight(L'c'), connect) << "pass " << pass;
        EXPECT_EQ(MenuHeight(L's'), scripts) << "pass " << pass;
    }
    EXPECT_GT(SubmenuHeight(L'c', 'N'), noConnections);
    EXPECT_GT(SubmenuHeight(L's', 'F'), noFiles);
}

} // namespace
