// End to end: the Options sheet of the running program (every control changed and read back by
// a new process, Cancel, spin limits, the positive-number check, the last page), the ".sql"
// association from its "Editor" page and the help window of each page.
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const UINT kOptionsCommand = ID_VIEW_OPTIONS;

// The flags of each page with the registry name each is stored under.
const std::pair<int, const wchar_t*> kMainFlags[] = {
    {IDC_OPT_GRID_LINES, L"Grid lines"},
    {IDC_OPT_SELECT_FULL_LINE, L"Select full line"},
    {IDC_OPT_USE_CACHE, L"Use cache"},
    {IDC_OPT_SHOW_NULL, L"Debug"},
    {IDC_OPT_EDITABLE, L"Editable"},
    {IDC_OPT_ADJUST_COLUMNS, L"Adjust columns"},
    {IDC_OPT_FETCH_ALL, L"FetchAllRecs"},
    {IDC_OPT_COLUMN_SCROLL, L"Column scroll"},
    {IDC_OPT_MARK_EVEN_LINES, L"Mark even lines"},
    {IDC_OPT_MARK_EDIT_LINES, L"Mark edit lines"},
    {IDC_OPT_SHOW_KEYS, L"Show keys in grid"},
    {IDC_OPT_MARK_SORTED, L"Mark sorted columns"},
    {IDC_OPT_CONFIRM_DELETE, L"Confirm row deletion"},
    {IDC_OPT_USE_CURSOR, L"Use cursor for edit"},
    {IDC_OPT_CONNECT_AT_STARTUP, L"Connect DB at startup"},
    {IDC_OPT_CANCEL_EXEC, L"CancelExec"},
};
const std::pair<int, const wchar_t*> kDBObjectFlags[] = {
    {IDC_OPT_SHOW_PKEYS, L"Table dialog pkey"},
    {IDC_OPT_SHOW_FKEYS, L"Table dialog fkey"},
    {IDC_OPT_FKEY_IN_FILTER, L"FKeyInFilter"},
    {IDC_OPT_MARK_INVALID, L"Mark invalid objects"},
    {IDC_OPT_CUR_SCHEMA, L"CurSchema"},
    {IDC_OPT_SHOW_PACKAGES, L"Table dialog package"},
    {IDC_OPT_SHOW_SYSTABLES, L"Table dialog systables"},
};
const std::pair<int, const wchar_t*> kEditorFlags[] = {
    {IDC_OPT_TAB_SPACES, L"Tab use spaces"},  {IDC_OPT_INDENT, L"Indent"},
    {IDC_OPT_WANT_TAB, L"Want tab"},          {IDC_OPT_VIRTUAL_SPACE, L"Virtual space"},
    {IDC_OPT_AUTO_COMPLETE, L"AutoComplete"}, {IDC_OPT_AUTOSAVE, L"Autosave"},
};
// Number fields of the pages, the value typed and the registry name.
struct CNumberField
{
    int page;
    int id;
    const wchar_t* text;
    const wchar_t* name;
    const wchar_t* subkey;
};
const CNumberField kNumbers[] = {
    {0, IDC_OPT_CACHE_SIZE, L"300", L"Cache size", L""},
    {0, IDC_OPT_CONNECT_STRINGS, L"7", L"ConnectStringNumber", L"ConnectStrings"},
    {0, IDC_OPT_SQL_QUERIES, L"9", L"SQLQueriesNumber", L"SQL queries"},
    {0, IDC_OPT_CONNECTION_TIMEOUT, L"11", L"Connection timeout", L""},
    {0, IDC_OPT_LOGIN_TIMEOUT, L"12", L"Login timeout", L""},
    {0, IDC_OPT_QUERY_TIMEOUT, L"13", L"Query timeout", L""},
    {2, IDC_OPT_TAB_SIZE, L"4", L"Tab size", L""},
    {2, IDC_OPT_AUTOSAVE_TIME, L"15", L"Autosave time", L""},
    {2, IDC_OPT_FONT_SIZE, L"14", L"Font size", L""},
};

class OptionsTest : public ::testing::Test
{
protected:
    void SetUp() override { ql::CleanSettings(); }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    HWND OpenSheet()
    {
        program.PostCommand(kOptionsCommand);
        return program.WaitForDialog(L"Options");
    }
    static HWND Page(HWND sheet, int index)
    {
        SendMessageW(sheet, PSM_SETCURSEL, index, 0);
        return (HWND)SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    }
    static int CurrentPage(HWND sheet)
    {
        return (int)SendMessageW(sheet, PSM_HWNDTOINDEX,
                                 SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0), 0);
    }
    bool WaitClosed(HWND sheet)
    {
        return ql::WaitFor([&] { return !IsWindow(sheet); });
    }
    // The settings are saved after the sheet's window is gone, "Editor encoding" after every
    // number the pages hold (the settings key starts empty in each test).
    static bool WaitSaved()
    {
        return ql::WaitFor([] { return ql::RegValueExists(L"Editor encoding"); });
    }
    // OK on the sheet is stopped by the message for a number that is not above 0; the sheet
    // stays once the message is answered.
    void ExpectOkRefusedAsNotPositive(HWND sheet)
    {
        program.Click(sheet, IDOK);
        HWND box = program.WaitForMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(program.MessageBoxText(box), L"This field must be greater than 0");
        program.Click(box, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(box); }));
        ASSERT_TRUE(IsWindow(sheet));
    }
    static void SetCheck(HWND page, int id, bool on)
    {
        SendMessageW(GetDlgItem(page, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // Clicks one arrow of a spin control (a real mouse press on its upper or lower half).
    static void ClickSpin(HWND page, int id, bool up)
    {
        HWND spin = GetDlgItem(page, id);
        RECT rect;
        GetClientRect(spin, &rect);
        const LPARAM point = MAKELPARAM(rect.right / 2, up ? rect.bottom / 4 : rect.bottom * 3 / 4);
        SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(spin, WM_LBUTTONUP, 0, point);
    }
    static std::wstring Flag(const wchar_t* name)
    {
        std::wstring value;
        return ql::ReadRegString(name, value) ? value : L"<not REG_SZ>";
    }
    static DWORD Number(const wchar_t* name, const wchar_t* subkey = L"")
    {
        DWORD value = 0xDEADBEEF;
        ql::ReadRegDword(name, value, subkey);
        return value;
    }
    // Every value of the settings key (names and raw data), to tell that nothing was written.
    static std::map<std::wstring, std::vector<BYTE>> Values()
    {
        std::map<std::wstring, std::vector<BYTE>> values;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, ql::SettingsKey(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return values;
        for (DWORD i = 0;; ++i)
        {
            wchar_t name[256];
            DWORD length = 256;
            BYTE data[2048];
            DWORD size = sizeof(data);
            if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, data, &size) !=
                ERROR_SUCCESS)
                break;
            values[name] = std::vector<BYTE>(data, data + size);
        }
        RegCloseKey(key);
        return values;
    }

    ql::CProgram program;
};

TEST_F(OptionsTest, EveryControlReachesTheRegistryAndANewProcess)
{
    ASSERT_TRUE(program.Start());
    // OK without a change: a face this system lacks stays as stored.
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(CurrentPage(sheet), 0);
    program.Click(sheet, IDOK);
    ASSERT_TRUE(WaitClosed(sheet));
    ASSERT_TRUE(WaitSaved());
    EXPECT_EQ(Flag(L"Font name"), L"Courier New");
    EXPECT_EQ(Number(L"Charset"), 204u);

    sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    std::map<std::wstring, bool> flags;
    HWND main = Page(sheet, 0);
    for (const auto& flag : kMainFlags)
    {
        flags[flag.second] = !program.IsChecked(main, flag.first);
        SetCheck(main, flag.first, flags[flag.second]);
    }
    SendMessageW(GetDlgItem(main, IDC_OPT_SQL_SEPARATOR), CB_SETCURSEL, 2, 0); // "GO"
    SetCheck(main, IDC_OPT_ASK_WINDOW, false);
    SetCheck(main, IDC_OPT_NEW_WINDOW, true);
    for (const CNumberField& field : kNumbers)
        if (field.page == 0)
            program.SetText(main, field.id, field.text);

    HWND dbObjects = Page(sheet, 1);
    for (const auto& flag : kDBObjectFlags)
    {
        flags[flag.second] = !program.IsChecked(dbObjects, flag.first);
        SetCheck(dbObjects, flag.first, flags[flag.second]);
    }
    SetCheck(dbObjects, IDC_OPT_SORT_ASCENDING, false);
    SetCheck(dbObjects, IDC_OPT_SORT_DESCENDING, true);
    SetCheck(dbObjects, IDC_OPT_SORT_BY_NAME, false);
    SetCheck(dbObjects, IDC_OPT_SORT_BY_SCHEMA, true);
    EXPECT_EQ(program.ComboItems(GetDlgItem(dbObjects, IDC_OPT_CURSOR_LIB)),
              (std::vector<std::wstring>{L"ODBC", L"Driver"}));
    SendMessageW(GetDlgItem(dbObjects, IDC_OPT_CURSOR_LIB), CB_SETCURSEL, 0, 0);

    HWND editor = Page(sheet, 2);
    for (const auto& flag : kEditorFlags)
    {
        flags[flag.second] = !program.IsChecked(editor, flag.first);
        SetCheck(editor, flag.first, flags[flag.second]);
    }
    for (const CNumberField& field : kNumbers)
        if (field.page == 2)
            program.SetText(editor, field.id, field.text);
    HWND fonts = GetDlgItem(editor, IDC_OPT_FONT_NAME);
    const std::vector<std::wstring> faces = program.ComboItems(fonts);
    ASSERT_GE(faces.size(), 2u);
    // The stored face shows even where it is not installed; vertical "@" faces are not offered.
    const int shown = (int)SendMessageW(fonts, CB_GETCURSEL, 0, 0);
    ASSERT_GE(shown, 0);
    EXPECT_EQ(faces[(size_t)shown], L"Courier New");
    for (const std::wstring& name : faces)
        EXPECT_NE(name[0], L'@') << name;
    const int face = shown == 1 ? 0 : 1;
    SendMessageW(fonts, CB_SETCURSEL, face, 0);
    SendMessageW(GetDlgItem(editor, IDC_OPT_EDITOR_ENCODING), CB_SETCURSEL, 2, 0); // UTF-8
    program.Click(sheet, IDOK);
    ASSERT_TRUE(WaitClosed(sheet));
    ASSERT_TRUE(ql::WaitFor([] { return Number(L"Editor encoding") == 3; }));

    for (const auto& flag : flags)
        EXPECT_EQ(Flag(flag.first.c_str()), flag.second ? L"Yes" : L"No") << flag.first;
    for (const CNumberField& field : kNumbers)
        EXPECT_EQ(Number(field.name, field.subkey), (DWORD)_wtoi(field.text)) << field.name;
    EXPECT_EQ(Flag(L"SQL separator"), L"GO");
    EXPECT_EQ(Number(L"NewWindowAction"), 0u);
    EXPECT_EQ(Number(L"Table dialog sort direction"), 1u);
    EXPECT_EQ(Number(L"Table dialog sort value"), 1u);
    EXPECT_EQ(Number(L"CursorLib"), 0u);
    EXPECT_EQ(Number(L"Editor encoding"), 3u);
    EXPECT_NE(Flag(L"Font name"), L"Courier New");

    // The sheet opens again on the page it was closed on; Cancel writes nothing.
    const auto before = Values();
    sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(CurrentPage(sheet), 2);
    editor = (HWND)SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    program.SetText(editor, IDC_OPT_TAB_SIZE, L"2");
    SetCheck(editor, IDC_OPT_INDENT, !flags[L"Indent"]);
    program.Click(sheet, IDCANCEL);
    ASSERT_TRUE(WaitClosed(sheet));
    EXPECT_EQ(Values(), before);
    ASSERT_TRUE(program.Close());

    // A new process shows every value.
    ASSERT_TRUE(program.Start());
    sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(CurrentPage(sheet), 0);
    main = Page(sheet, 0);
    for (const auto& flag : kMainFlags)
        EXPECT_EQ(program.IsChecked(main, flag.first), flags[flag.second]) << flag.second;
    EXPECT_EQ(SendMessageW(GetDlgItem(main, IDC_OPT_SQL_SEPARATOR), CB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(program.IsChecked(main, IDC_OPT_NEW_WINDOW));
    for (const CNumberField& field : kNumbers)
    {
        if (field.page == 0)
        {
            EXPECT_EQ(program.Text(main, field.id), field.text) << field.name;
        }
    }
    dbObjects = Page(sheet, 1);
    for (const auto& flag : kDBObjectFlags)
        EXPECT_EQ(program.IsChecked(dbObjects, flag.first), flags[flag.second]) << flag.second;
    EXPECT_TRUE(program.IsChecked(dbObjects, IDC_OPT_SORT_DESCENDING));
    EXPECT_TRUE(program.IsChecked(dbObjects, IDC_OPT_SORT_BY_SCHEMA));
    EXPECT_EQ(SendMessageW(GetDlgItem(dbObjects, IDC_OPT_CURSOR_LIB), CB_GETCURSEL, 0, 0), 0);
    editor = Page(sheet, 2);
    for (const auto& flag : kEditorFlags)
        EXPECT_EQ(program.IsChecked(editor, flag.first), flags[flag.second]) << flag.second;
    for (const CNumberField& field : kNumbers)
    {
        if (field.page == 2)
        {
            EXPECT_EQ(program.Text(editor, field.id), field.text) << field.name;
        }
    }
    EXPECT_EQ(program.Text(editor, IDC_OPT_FONT_NAME), faces[face]);
    EXPECT_EQ(program.Text(editor, IDC_OPT_EDITOR_ENCODING), L"UTF-8");
    program.Click(sheet, IDCANCEL);
    ASSERT_TRUE(WaitClosed(sheet));
}

TEST_F(OptionsTest, SpinLimitsAndEmptyFields)
{
    ASSERT_TRUE(program.Start());
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    HWND main = Page(sheet, 0);
    SetCheck(main, IDC_OPT_USE_CACHE, true);
    EnableWindow(GetDlgItem(main, IDC_OPT_CACHE_SIZE_SPIN), TRUE);
    program.SetText(main, IDC_OPT_CACHE_SIZE, L"100");
    ClickSpin(main, IDC_OPT_CACHE_SIZE_SPIN, false);
    EXPECT_EQ(program.Text(main, IDC_OPT_CACHE_SIZE), L"100");
    ClickSpin(main, IDC_OPT_CACHE_SIZE_SPIN, true);
    EXPECT_EQ(program.Text(main, IDC_OPT_CACHE_SIZE), L"200");
    program.SetText(main, IDC_OPT_QUERY_TIMEOUT, L"0");
    ClickSpin(main, IDC_OPT_QUERY_TIMEOUT_SPIN, false);
    EXPECT_EQ(program.Text(main, IDC_OPT_QUERY_TIMEOUT), L"0");

    HWND editor = Page(sheet, 2);
    program.SetText(editor, IDC_OPT_TAB_SIZE, L"8");
    ClickSpin(editor, IDC_OPT_TAB_SIZE_SPIN, true);
    EXPECT_EQ(program.Text(editor, IDC_OPT_TAB_SIZE), L"8");
    SetCheck(editor, IDC_OPT_AUTOSAVE, true);
    EnableWindow(GetDlgItem(editor, IDC_OPT_AUTOSAVE_TIME_SPIN), TRUE);
    program.SetText(editor, IDC_OPT_AUTOSAVE_TIME, L"120");
    ClickSpin(editor, IDC_OPT_AUTOSAVE_TIME_SPIN, true);
    EXPECT_EQ(program.Text(editor, IDC_OPT_AUTOSAVE_TIME), L"120");

    // An empty history length stops OK with the message; the page stays.
    main = Page(sheet, 0);
    program.SetText(main, IDC_OPT_SQL_QUERIES, L"");
    ASSERT_NO_FATAL_FAILURE(ExpectOkRefusedAsNotPositive(sheet));
    EXPECT_EQ(CurrentPage(sheet), 0);
    program.Click(sheet, IDCANCEL);
    ASSERT_TRUE(WaitClosed(sheet));
    EXPECT_FALSE(ql::RegValueExists(L"SQLQueriesNumber", L"SQL queries"));
}

// Pasted text gets past the digits-only edits and their lengths: a negative number is refused
// like 0, numbers above a spin's limit are held to it.
TEST_F(OptionsTest, PastedNegativeAndOversizedNumbers)
{
    ASSERT_TRUE(program.Start());
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    HWND editor = Page(sheet, 2);
    program.SetText(editor, IDC_OPT_TAB_SIZE, L"2147483647");
    SetCheck(editor, IDC_OPT_AUTOSAVE, true);
    program.SetText(editor, IDC_OPT_AUTOSAVE_TIME, L"100000");
    // (Set last: leaving the page with it would bring the message inside the page switch.)
    HWND main = Page(sheet, 0);
    SetCheck(main, IDC_OPT_USE_CACHE, true);
    program.SetText(main, IDC_OPT_CACHE_SIZE, L"-5");
    ASSERT_NO_FATAL_FAILURE(ExpectOkRefusedAsNotPositive(sheet));
    program.SetText(main, IDC_OPT_CACHE_SIZE, L"300");
    program.Click(sheet, IDOK);
    ASSERT_TRUE(WaitClosed(sheet));
    ASSERT_TRUE(WaitSaved());
    EXPECT_EQ(Number(L"Cache size"), 300u);
    EXPECT_EQ(Number(L"Tab size"), 8u);
    EXPECT_EQ(Number(L"Autosave time"), 120u);
}

TEST_F(OptionsTest, AssociationKeepsOtherVerbs)
{
    // HKEY_CLASSES_ROOT is the machine's classes key here: put the other program's verb there.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"SQLFile\\shell\\edit\\command", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t edit[] = L"notepad.exe \"%1\"";
    RegSetValueExW(key, nullptr, 0, REG_SZ, (const BYTE*)edit, sizeof(edit));
    RegCloseKey(key);

    ASSERT_TRUE(program.Start());
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    HWND editor = Page(sheet, 2);
    program.Click(editor, IDC_OPT_ASSOCIATE);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(program.MessageBoxText(box), L"Association was successfully created");
    program.Click(box, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(box); }));
    program.Click(sheet, IDCANCEL);
    ASSERT_TRUE(WaitClosed(sheet));

    auto read = [](LPCWSTR path) {
        wchar_t buffer[1024] = {};
        DWORD size = sizeof(buffer) - sizeof(wchar_t);
        if (RegGetValueW(HKEY_CLASSES_ROOT, path, nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
            ERROR_SUCCESS)
            return std::wstring(L"<missing>");
        return std::wstring(buffer);
    };
    const std::wstring exe = ql::ProgramPath();
    EXPECT_EQ(read(L"SQLFile\\shell\\edit\\command"), edit);
    EXPECT_EQ(read(L".sql"), L"SQLFile");
    // Wine reports the module by its long path; compare case-insensitively.
    EXPECT_EQ(_wcsicmp(read(L"SQLFile\\DefaultIcon").c_str(), (exe + L",9").c_str()), 0)
        << read(L"SQLFile\\DefaultIcon");
    EXPECT_EQ(_wcsicmp(read(L"SQLFile\\Shell\\Open\\Command").c_str(),
                       (L"\"" + exe + L"\" \"%1\"").c_str()),
              0)
        << read(L"SQLFile\\Shell\\Open\\Command");
    for (LPCWSTR path : {L".sql", L"SQLFile", L"Applications\\Quenlark.exe"})
        RegDeleteTreeW(HKEY_CLASSES_ROOT, path);
}

TEST_F(OptionsTest, F1OnEachPageOpensTheHelpWindow)
{
    ASSERT_TRUE(program.Start());
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    for (int index = 0; index < 3; ++index)
    {
        HWND page = Page(sheet, index);
        // A real F1 key press: the system turns it into WM_HELP for the focused control, which
        // passes it up to the page. Posted key messages do not go through that path.
        (void)page;
        SetForegroundWindow(sheet);
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        HWND help = nullptr;
        ASSERT_TRUE(ql::WaitFor([&] {
            for (HWND wnd : program.TopWindows())
                if (ql::ClassName(wnd) == L"HH Parent")
                    return (help = wnd) != nullptr;
            return false;
        })) << "page "
            << index;
        PostMessageW(help, WM_CLOSE, 0, 0);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(help); }));
    }
    program.Click(sheet, IDCANCEL);
    ASSERT_TRUE(WaitClosed(sheet));
}

} // namespace
