// End to end on PostgreSQL: Stored Procedures (Ctrl+P) runs a function with typed inputs and
// shows its value; Tables (Ctrl+T) sorts, refuses an empty choice, drops a child table before
// its parent and joins three tables along their keys.
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::Catch;
using QlConnTest::QueryText;

std::string U8(const std::wstring& s)
{
    return std::string(CStringA(s.c_str()));
}

class ProcsEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        ql::WriteRegString(L"Grid lines", L"Yes");
        QlConnTest::OpenOrFail(m_db, QlTestDb::PostgresConnect());
        m_suffix = QlTestDb::UniqueTag().c_str();
    }
    void TearDown() override
    {
        program.Kill();
        for (auto it = m_cleanup.rbegin(); it != m_cleanup.rend(); ++it)
            Catch([&] { m_db.ExecuteSQL(*it); });
        ql::CleanSettings();
    }
    void Exec(const CString& sql)
    {
        auto e = Catch([&] { m_db.ExecuteSQL(sql); });
        ASSERT_FALSE(e) << U8(sql.GetString()) << ": " << QlConnTest::Narrow(e->m_strError);
    }
    void StartConnected()
    {
        ASSERT_TRUE(program.StartConnected(QlTestDb::PostgresConnect().GetString()));
    }
    int FindRow(HWND list, const std::wstring& name, const std::wstring& schema)
    {
        return program.FindListText(list, name, schema.c_str());
    }
    HWND OpenTables(UINT command, const std::wstring& caption)
    {
        program.PostCommand(command);
        return program.WaitForDialog(caption);
    }
    static HWND FindDescendant(HWND parent, int id, const wchar_t* cls)
    {
        struct Search
        {
            int id;
            const wchar_t* cls;
            HWND found;
        } s{id, cls, nullptr};
        EnumChildWindows(
            parent,
            [](HWND w, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                wchar_t name[64] = {};
                GetClassNameW(w, name, 64);
                if (GetDlgCtrlID(w) == s->id && (!s->cls || wcscmp(name, s->cls) == 0))
                {
                    s->found = w;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&s));
        return s.found;
    }

    ql::CProgram program;
    CRDatabase m_db;
    CString m_suffix;
    std::vector<CString> m_cleanup;
};

TEST_F(ProcsEndToEnd, FunctionRunsWithTypedInputsAndShowsItsValue)
{
    const CString f = L"qlf_" + m_suffix;
    Exec(L"CREATE FUNCTION public." + f +
         L"(a int, b text) RETURNS int LANGUAGE sql AS "
         L"$$ SELECT a + length(b) $$");
    m_cleanup.push_back(L"DROP FUNCTION public." + f);
    StartConnected();

    HWND dlg = OpenTables(ID_QUERY_PROCEDURES, L"Stored procedures");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(L"Execute", ql::CProgram::Text(dlg, IDOK));
    EXPECT_FALSE(ql::CProgram::IsVisible(dlg, IDC_TABLES_JOIN));
    EXPECT_FALSE(ql::CProgram::IsVisible(dlg, IDC_TABLES_SAVE));
    HWND list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);
    const int row = FindRow(list, f.GetString(), L"public");
    ASSERT_GE(row, 0);
    program.SelectListItem(list, -1, false);
    program.SelectListItem(list, row);
    ql::CProgram::Click(dlg, IDOK);

    HWND params = program.WaitForDialog(L"Parameters");
    ASSERT_NE(params, nullptr);
    HWND plist = ql::CProgram::Item(params, IDC_PROC_PARAMS_LIST);
    ASSERT_TRUE(program.EditParamValue(plist, 0, L"5"));
    ASSERT_TRUE(program.EditParamValue(plist, 1, L"O'Brien\\x"));
    EXPECT_EQ(L"O'Brien\\x", program.ListItems(plist, 3)[1]);
    ql::CProgram::Click(params, IDOK);

    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(0u, ql::CProgram::MessageBoxText(box).find(L"Executed OK."));
    ql::CProgram::Click(box, IDOK);
    HWND results = program.WaitForDialog(L"Results");
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(L"14", program.ListItems(ql::CProgram::Item(results, IDC_PROC_PARAMS_LIST), 3)[0]);
    ql::CProgram::Click(results, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(results); }));

    // The next call of the same function starts with the values given last, and the dialog
    // selects the function chosen last.
    dlg = OpenTables(ID_QUERY_PROCEDURES, L"Stored procedures");
    ASSERT_NE(dlg, nullptr);
    list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);
    const int selected = ql::CProgram::ListSelection(list);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(std::wstring(f.GetString()), program.ListItems(list, 0)[selected]);
    ql::CProgram::Click(dlg, IDOK);
    params = program.WaitForDialog(L"Parameters");
    ASSERT_NE(params, nullptr);
    const auto again = program.ListItems(ql::CProgram::Item(params, IDC_PROC_PARAMS_LIST), 3);
    ASSERT_EQ(2u, again.size());
    EXPECT_EQ(L"5", again[0]);
    EXPECT_EQ(L"O'Brien\\x", again[1]);
    ql::CProgram::Click(params, IDCANCEL);
}

TEST_F(ProcsEndToEnd, TablesDialogSortsDropsChildFirstAndJoins)
{
    const CString s = L"qlj_" + m_suffix, my = L"My Schema " + m_suffix;
    Exec(L"CREATE SCHEMA " + s);
    m_cleanup.push_back(L"DROP SCHEMA " + s + L" CASCADE");
    Exec(L"CREATE SCHEMA \"" + my + L"\"");
    m_cleanup.push_back(L"DROP SCHEMA \"" + my + L"\" CASCADE");
    Exec(L"CREATE TABLE \"" + my + L"\".\"Orders\" (\"Id\" int PRIMARY KEY)");
    Exec(L"CREATE TABLE " + s +
         L".\"Order Items\" (\"Item Id\" int PRIMARY KEY, \"OrderId\" int "
         L"REFERENCES \"" +
         my + L"\".\"Orders\")");
    Exec(L"CREATE TABLE " + s + L".line (item_id int REFERENCES " + s + L".\"Order Items\")");
    Exec(L"CREATE TABLE " + s + L".parent (id int PRIMARY KEY)");
    Exec(L"CREATE TABLE " + s + L".child (p int REFERENCES " + s + L".parent)");
    StartConnected();

    HWND dlg = OpenTables(ID_QUERY_TABLES, L"Tables");
    ASSERT_NE(dlg, nullptr);
    HWND list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);
    // Open with nothing chosen.
    program.SelectListItem(list, -1, false);
    ql::CProgram::Click(dlg, IDOK);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(L"No items selected", ql::CProgram::MessageBoxText(box));
    ql::CProgram::Click(box, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindMessageBox() == nullptr; }));

    // The first click on Name sorts it descending.
    const auto before = program.ListItems(list, 0);
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = IDC_TABLES_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 0;
    // The notification record must live in the program: post a header click instead.
    HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, 0, (LPARAM)&r);
    (void)click;
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 5, r.top + 3));
    PostMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 5, r.top + 3));
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(list, 0) != before; }));
    const auto after = program.ListItems(list, 0);
    for (size_t i = 1; i < after.size(); ++i)
        EXPECT_GE(_wcsicmp(after[i - 1].c_str(), after[i].c_str()), 0);

    // Drop the parent and its child: the child goes first, or the server refuses.
    program.SelectListItem(list, -1, false);
    program.SelectListItem(list, FindRow(list, L"parent", s.GetString()));
    program.SelectListItem(list, FindRow(list, L"child", s.GetString()));
    ql::CProgram::Click(dlg, IDC_TABLES_DROP);
    box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    const std::wstring question = ql::CProgram::MessageBoxText(box);
    EXPECT_EQ(0u, question.find(L"Tables '")) << U8(question);
    EXPECT_NE(std::wstring::npos, question.find(L"' will be dropped.\nContinue?"));
    ql::CProgram::Click(box, IDYES);
    EXPECT_TRUE(ql::WaitFor([&] {
        return QueryText(m_db, L"SELECT count(*) FROM pg_tables WHERE schemaname = '" + s +
                                   L"' AND tablename IN ('parent', 'child')") == L"0";
    }));
    EXPECT_EQ(nullptr, program.FindMessageBox());
    EXPECT_EQ(-1, FindRow(list, L"parent", s.GetString()));

    // Join one table: refused; three: the statement on the Join SQL page.
    program.SelectListItem(list, -1, false);
    program.SelectListItem(list, FindRow(list, L"line", s.GetString()));
    ql::CProgram::Click(dlg, IDC_TABLES_JOIN);
    box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(L"Please select at least 2 items", ql::CProgram::MessageBoxText(box));
    ql::CProgram::Click(box, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
    program.SelectListItem(list, FindRow(list, L"Order Items", s.GetString()));
    program.SelectListItem(list, FindRow(list, L"Orders", my.GetString()));
    ql::CProgram::Click(dlg, IDC_TABLES_JOIN);
    HWND sheet = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        for (HWND w : program.TopWindows())
            if (w != dlg && FindDescendant(w, IDC_JOIN_LIST, nullptr))
                sheet = w;
        return sheet != nullptr;
    }));
    PostMessageW(sheet, WM_COMMAND, 0x3024 /* Next */, 0);
    HWND editor = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        editor = FindDescendant(sheet, IDC_JOIN_SQL, L"RColorEditorClass");
        return editor != nullptr && IsWindowVisible(editor) && !ql::WindowText(editor).empty();
    }));
    const std::wstring expected =
        L"SELECT *\nFROM " + std::wstring(s) + L".line\nLEFT JOIN " + std::wstring(s) +
        L".\"Order Items\" \"Order Items\" ON\n" + std::wstring(s) +
        L".line.item_id=\"Order Items\".\"Item Id\"\nLEFT JOIN \"" + std::wstring(my) +
        L"\".\"Orders\" \"Orders\" ON\n\"Order Items\".\"OrderId\"=\"Orders\".\"Id\"";
    std::wstring shown = ql::WindowText(editor);
    for (size_t at; (at = shown.find(L"\r\n")) != std::wstring::npos;)
        shown.replace(at, 2, L"\n");
    EXPECT_EQ(U8(expected), U8(shown));
    PostMessageW(sheet, WM_COMMAND, 0x3025 /* Finish */, 0);
    // The statement runs in a grid window.
    HWND mdi = FindWindowExW(program.MainWindow(), nullptr, L"MDIClient", nullptr);
    EXPECT_TRUE(ql::WaitFor([&] { return SendMessageW(mdi, WM_MDIGETACTIVE, 0, 0) != 0; }));
    EXPECT_EQ(nullptr, program.FindMessageBox());
}

} // namespace
