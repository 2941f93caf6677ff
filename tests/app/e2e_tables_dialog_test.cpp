// End to end on PostgreSQL, in a database of the test's own: the status bar back at "Ready" once
// the Tables dialog has read its list, the dialog's Info...,
// Rename... and Ctrl+Insert, a drop of several tables stopped by Cancel while one of them is
// being dropped (the list loses exactly the rows of what the server dropped), and the columns
// of the Tables, Views and Stored procedures lists fitting the list.
#include "tests/app/e2e_scratch_program.h"

#include "resources/resource.h"
#include "tests/support/glyph_ink.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::Catch;

std::string U8(const std::wstring& s)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

// The window that has the focus in the program's window thread.
HWND FocusOf(HWND wnd)
{
    GUITHREADINFO info = {sizeof(info)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info) ? info.hwndFocus
                                                                           : nullptr;
}

// The column of a list view whose header title is this, or -1.
int HeaderColumn(const ql::CProgram& program, HWND list, const std::wstring& title)
{
    std::wstring text;
    int format = 0;
    for (int i = 0; program.ListHeaderItem(list, i, text, format); ++i)
        if (text == title)
            return i;
    return -1;
}

// The width of a text in the list view's font, as the list measures it.
int StringWidth(const ql::CProgram& program, HWND list, const std::wstring& text)
{
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    void* remote =
        VirtualAllocEx(program.Process(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        return -1;
    WriteProcessMemory(program.Process(), remote, text.c_str(), bytes, nullptr);
    const int width = (int)SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, (LPARAM)remote);
    VirtualFreeEx(program.Process(), remote, 0, MEM_RELEASE);
    return width;
}

// The tables dialog's list made in this process from the program's own template, so with the
// program's font: it finds by drawing the least width at which a header title shows whole.
class CTitleProbe
{
public:
    CTitleProbe()
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        m_module = LoadLibraryExW(ql::ProgramPath().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        HRSRC found =
            m_module ? FindResourceW(m_module, MAKEINTRESOURCEW(IDD_TABLES), RT_DIALOG) : nullptr;
        HGLOBAL loaded = found ? LoadResource(m_module, found) : nullptr;
        auto* tmpl = loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
        if (tmpl)
            m_dialog = CreateDialogIndirectParamW(
                GetModuleHandleW(nullptr), tmpl, nullptr,
                [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
                    return message == WM_INITDIALOG;
                },
                0);
        m_list = m_dialog ? GetDlgItem(m_dialog, IDC_TABLES_LIST) : nullptr;
        m_header = m_list ? (HWND)SendMessageW(m_list, LVM_GETHEADER, 0, 0) : nullptr;
    }
    ~CTitleProbe()
    {
        if (m_dialog)
            DestroyWindow(m_dialog);
        if (m_module)
            FreeLibrary(m_module);
    }
    bool Ready() const { return m_header != nullptr; }

    // The least column width that draws the title as a column of ample width draws it; the
    // title's own pixels (and those of an ellipsis in their place) are compared.
    int WholeWidth(const std::wstring& title, bool arrow)
    {
        while (SendMessageW(m_list, LVM_DELETECOLUMN, 0, 0))
            ;
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<LPWSTR>(title.c_str());
        column.cx = kAmple;
        SendMessageW(m_list, LVM_INSERTCOLUMNW, 0, (LPARAM)&column);
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        SendMessageW(m_header, HDM_GETITEMW, 0, (LPARAM)&item);
        item.fmt |= arrow ? HDF_SORTUP : 0;
        SendMessageW(m_header, HDM_SETITEMW, 0, (LPARAM)&item);
        const int text = (int)SendMessageW(m_list, LVM_GETSTRINGWIDTHW, 0, (LPARAM)title.c_str());
        RECT rc;
        GetClientRect(m_header, &rc);
        ql::CBitmap32 ample(kAmple, rc.bottom), now(kAmple, rc.bottom);
        Draw(ample, kAmple);
        for (int width = text; width < kAmple; ++width)
        {
            Draw(now, width);
            bool same = true;
            for (int x = 0; x < std::min(text + 8, width - 1) && same; ++x)
                for (int y = 0; y < rc.bottom && same; ++y)
                    same = now.At(x, y) == ample.At(x, y);
            if (same)
                return width;
        }
        return kAmple;
    }

private:
    void Draw(ql::CBitmap32& bitmap, int width)
    {
        HDITEMW item = {};
        item.mask = HDI_WIDTH;
        item.cxy = width;
        SendMessageW(m_header, HDM_SETITEMW, 0, (LPARAM)&item);
        RECT all = {0, 0, kAmple, 100};
        FillRect(bitmap.dc(), &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
        SendMessageW(m_header, WM_PRINTCLIENT, (WPARAM)bitmap.dc(), PRF_CLIENT);
    }

    static constexpr int kAmple = 300;
    HMODULE m_module = nullptr;
    HWND m_dialog = nullptr, m_list = nullptr, m_header = nullptr;
};

class TablesDialog : public CScratchProgramTest<>
{
protected:
    TablesDialog() : CScratchProgramTest(CScratchDatabase::postgres) {}
    bool TableExists(const std::wstring& schema, const std::wstring& name)
    {
        return m_db.Query((L"SELECT count(*) FROM pg_tables WHERE schemaname = '" + schema +
                           L"' AND tablename = '" + name + L"'")
                              .c_str()) == L"1";
    }
    void Answer(HWND box, int button)
    {
        ql::CProgram::Click(box, button);
        ql::WaitFor([&] { return !IsWindow(box); });
    }
};

TEST_F(TablesDialog, InfoRenameAndCopyNames)
{
    // A schema named like the database: the names copied are this run's own.
    const std::wstring s(m_db.Name());
    Exec(L"CREATE SCHEMA " + s);
    Exec(L"CREATE TABLE " + s + L".alpha (id int PRIMARY KEY, label text)");
    Exec(L"CREATE TABLE " + s + L".\"Beta Table\" (x int)");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND dlg = program.OpenTablesDialog({{s, L"alpha"}});
    ASSERT_NE(dlg, nullptr) << program.Describe();
    HWND list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);
    // The list has been read: the status bar no longer says it is being read.
    EXPECT_TRUE(ql::WaitFor([&] { return program.StatusText() == L"Ready"; }))
        << U8(program.StatusText());

    // Info...: the information dialog on its Columns page.
    ql::CProgram::Click(dlg, IDC_TABLES_INFO);
    HWND info = program.WaitForDialog(s + L".alpha information");
    ASSERT_NE(info, nullptr) << program.Describe();
    HWND columns = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        columns = ql::CProgram::FindVisibleControl(info, IDC_DBO_LIST);
        return columns && program.ListItems(columns).size() == 2;
    }));
    EXPECT_EQ((std::vector<std::wstring>{L"id", L"label"}), program.ListItems(columns));
    // psqlODBC gives IS_NULLABLE as NULL: the page says it from NULLABLE all the same.
    const int nullable = HeaderColumn(program, columns, L"Nullable");
    ASSERT_GE(nullable, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"NO", L"YES"}), program.ListItems(columns, nullable));
    PostMessageW(info, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(info); }));

    // Rename...: the server renames the table and the row shows the new name; a name the
    // server refuses shows its error and leaves the row as it was. The typing goes to the new
    // name at once, not to the read-only old one.
    const auto renameTo = [&](const std::wstring& from, const std::wstring& to) {
        const int row = program.FindListRow(list, {from, s});
        program.SelectListRows(list, {row});
        ql::CProgram::Click(dlg, IDC_TABLES_RENAME);
        HWND rename = program.WaitForDialog(L"Rename");
        EXPECT_NE(rename, nullptr) << program.Describe();
        HWND newName = ql::CProgram::Item(rename, IDC_DBO_NEW_NAME);
        EXPECT_TRUE(ql::WaitFor([&] { return FocusOf(rename) == newName; }, 5000))
            << "the focus starts on control " << GetDlgCtrlID(FocusOf(rename));
        ql::CProgram::SetText(rename, IDC_DBO_NEW_NAME, to);
        ql::CProgram::Click(rename, IDOK);
        ql::WaitFor([&] { return !IsWindow(rename); });
        return row;
    };
    const int row = renameTo(L"Beta Table", L"Gamma Table");
    ASSERT_GE(row, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return program.ListItemText(list, row) == L"Gamma Table"; }));
    EXPECT_TRUE(TableExists(s, L"Gamma Table"));
    EXPECT_FALSE(TableExists(s, L"Beta Table"));
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    const int refused = renameTo(L"alpha", L"Gamma Table");
    const std::wstring error = program.TakeMessageBox();
    EXPECT_EQ(0u, error.find(L"ODBC error code:")) << U8(error);
    EXPECT_NE(std::wstring::npos, error.find(L"already exists")) << U8(error);
    EXPECT_EQ(L"alpha", program.ListItemText(list, refused));
    EXPECT_TRUE(TableExists(s, L"alpha"));

    // The left Ctrl with Insert in the list copies the selected names as SQL, in list order.
    const int first = program.FindListRow(list, {L"alpha", s});
    const int second = program.FindListRow(list, {L"Gamma Table", s});
    program.SelectListRows(list, {first, second});
    const std::wstring a = s + L".alpha", g = s + L".\"Gamma Table\"";
    const std::wstring expected = first < second ? a + L" \r\n" + g : g + L" \r\n" + a;
    // Real key presses reach the focused window through the system; one that lands before the
    // dialog is in front again is pressed once more (copying twice changes nothing).
    bool copied = false;
    for (int attempt = 0; attempt < 3 && !copied; ++attempt)
    {
        SendMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)list, TRUE);
        ASSERT_TRUE(program.PressKeys({VK_LCONTROL, VK_INSERT}, dlg));
        copied = ql::WaitFor([&] { return ql::ClipboardText() == expected; }, 10000);
    }
    EXPECT_TRUE(copied) << U8(ql::ClipboardText());
    ql::CProgram::Click(dlg, IDCANCEL);
}

TEST_F(TablesDialog, DropStoppedMidwayRemovesOnlyTheDroppedRows)
{
    // Three tables that share a name or a schema with each other.
    const std::wstring s1 = L"public", s2 = L"other";
    Exec(L"CREATE SCHEMA other");
    const std::vector<std::pair<std::wstring, std::wstring>> tables = {
        {s1, L"t"}, {s1, L"T"}, {s2, L"t"}};
    for (const auto& [schema, name] : tables)
        Exec(L"CREATE TABLE " + schema + L".\"" + name + L"\" (x int)");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND dlg = program.OpenTablesDialog(tables);
    ASSERT_NE(dlg, nullptr) << program.Describe();
    HWND list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);

    // A second connection holds the tables, so the first drop waits on the server.
    CRDatabase holder;
    QlConnTest::OpenOrFail(holder, m_db.Connect());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(holder.GetConnectionHandle(), SQL_ATTR_AUTOCOMMIT,
                                                (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0)));
    auto e = Catch([&] {
        holder.ExecuteSQL(
            (L"LOCK TABLE " + s1 + L".t, " + s1 + L".\"T\", " + s2 + L".t IN ACCESS SHARE MODE")
                .c_str());
    });
    ASSERT_FALSE(e) << QlConnTest::Narrow(e->m_strError);

    ql::CProgram::Click(dlg, IDC_TABLES_DROP);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(0u, ql::CProgram::MessageBoxText(box).find(L"Tables '"));
    Answer(box, IDYES);
    // From here the program's window thread may be held inside the drop: nothing is sent to
    // its windows until the lock goes.
    const CString waiting = L"SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = "
                            L"'Lock' AND query ILIKE 'DROP TABLE%' AND datname = '" +
                            m_db.Name() + L"'";
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Query(waiting) == L"1"; }));
    HWND wait = program.FindDialogQuietly(L"Please wait...");
    ASSERT_NE(wait, nullptr);
    PostMessageW(wait, WM_COMMAND, IDCANCEL, 0);
    SQLEndTran(SQL_HANDLE_DBC, holder.GetConnectionHandle(), SQL_ROLLBACK);

    // Cancel asks first; Yes stops the drop before the next table.
    box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << program.Describe();
    EXPECT_EQ(L"Are you really want to stop?", ql::CProgram::MessageBoxText(box));
    Answer(box, IDYES);
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindDialog(L"Please wait...") == nullptr; }));

    int dropped = 0;
    for (const auto& [schema, name] : tables)
    {
        const bool exists = TableExists(schema, name);
        dropped += exists ? 0 : 1;
        EXPECT_EQ(exists, program.FindListRow(list, {name, schema}) >= 0)
            << U8(schema + L"." + name) << (exists ? " kept" : " dropped");
    }
    EXPECT_EQ(1, dropped);
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    ql::CProgram::Click(dlg, IDCANCEL);
}

// A drop the server refuses half way (a view depends on one table) shows the server's error;
// the list keeps the rows of what is still there and loses those of what went.
TEST_F(TablesDialog, DropRefusedHalfWayKeepsWhatIsLeft)
{
    Exec(L"CREATE TABLE kept (x int)");
    Exec(L"CREATE TABLE loose (x int)");
    Exec(L"CREATE VIEW holds AS SELECT x FROM kept");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND dlg = program.OpenTablesDialog({{L"public", L"kept"}, {L"public", L"loose"}});
    ASSERT_NE(dlg, nullptr) << program.Describe();
    HWND list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);
    ql::CProgram::Click(dlg, IDC_TABLES_DROP);
    EXPECT_EQ(0u, program.TakeMessageBox(20000, IDYES).find(L"Tables '"));
    const std::wstring error = program.TakeMessageBox();
    EXPECT_EQ(0u, error.find(L"ODBC error code:")) << U8(error);
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindDialog(L"Please wait...") == nullptr; }));
    for (const wchar_t* name : {L"kept", L"loose"})
        EXPECT_EQ(TableExists(L"public", name), program.FindListText(list, name, L"public") >= 0)
            << U8(name);
    // The rows go from the last to the first: "loose" went before "kept" was refused.
    EXPECT_TRUE(TableExists(L"public", L"kept"));
    EXPECT_FALSE(TableExists(L"public", L"loose"));
    ql::CProgram::Click(dlg, IDCANCEL);
}

// The Stored procedures dialog drops a function and a procedure together, each with the
// statement its kind needs (the server refuses DROP PROCEDURE for a function).
TEST_F(TablesDialog, DropFunctionAndProcedure)
{
    Exec(L"CREATE FUNCTION twice(a int) RETURNS int LANGUAGE sql AS $$ SELECT 2 * a $$");
    Exec(L"CREATE PROCEDURE nothing(a int) LANGUAGE sql AS $$ SELECT a $$");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    program.PostCommand(ID_QUERY_PROCEDURES);
    HWND dlg = program.WaitForDialog(L"Stored procedures");
    ASSERT_NE(dlg, nullptr) << program.Describe();
    HWND list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);
    const int f = program.FindListText(list, L"twice", L"public");
    const int p = program.FindListText(list, L"nothing", L"public");
    ASSERT_GE(f, 0);
    ASSERT_GE(p, 0);
    program.SelectListRows(list, {f, p});
    ql::CProgram::Click(dlg, IDC_TABLES_DROP);
    const std::wstring question = program.TakeMessageBox(20000, IDYES);
    EXPECT_EQ(0u, question.find(L"Procedures '")) << U8(question);
    EXPECT_TRUE(ql::WaitFor([&] {
        return m_db.Query(L"SELECT count(*) FROM pg_proc WHERE proname IN ('twice', 'nothing')") ==
               L"0";
    })) << program.Describe();
    EXPECT_TRUE(ql::WaitFor([&] { return program.FindListText(list, L"twice") < 0; }));
    EXPECT_EQ(-1, program.FindListText(list, L"nothing"));
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    ql::CProgram::Click(dlg, IDCANCEL);
}

TEST_F(TablesDialog, RowsStartInTheOrderOfTheNameArrow)
{
    // The catalog lists its tables by schema; the dialog opens sorted by name, as its header
    // arrow says.
    Exec(L"CREATE SCHEMA aa");
    Exec(L"CREATE SCHEMA bb");
    for (const wchar_t* table : {L"aa.zeta", L"aa.mid", L"bb.alpha"})
        Exec(std::wstring(L"CREATE TABLE ") + table + L" (x int)");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND dlg = program.OpenTablesDialog({});
    ASSERT_NE(dlg, nullptr) << program.Describe();
    HWND list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);
    EXPECT_EQ((std::vector<std::wstring>{L"alpha", L"mid", L"zeta"}), program.ListItems(list));
    EXPECT_EQ((std::vector<std::wstring>{L"bb", L"aa", L"aa"}), program.ListItems(list, 1));
    std::wstring title;
    int format = 0;
    ASSERT_TRUE(program.ListHeaderItem(list, 0, title, format));
    EXPECT_EQ(HDF_SORTUP, format & (HDF_SORTUP | HDF_SORTDOWN));
    ql::CProgram::Click(dlg, IDCANCEL);
}

// Each list's columns are as wide as their texts and titles need, within the list: no
// horizontal scroll bar, not even on an empty list, and no title or long schema name cut.
TEST_F(TablesDialog, ColumnsFitTheList)
{
    CTitleProbe probe;
    ASSERT_TRUE(probe.Ready());
    const auto checkFits = [&](HWND dlg) {
        HWND list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);
        RECT client{};
        GetClientRect(list, &client);
        int total = 0;
        std::wstring title;
        int format = 0;
        for (int i = 0; program.ListHeaderItem(list, i, title, format); ++i)
        {
            const int width = (int)SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0);
            EXPECT_GE(width, probe.WholeWidth(title, format & (HDF_SORTUP | HDF_SORTDOWN)))
                << U8(title) << " is cut";
            // What the list sizes a column to for its texts: their width and label padding.
            for (const std::wstring& text : program.ListItems(list, i))
                EXPECT_GE(width, StringWidth(program, list, text) + 12)
                    << U8(text) << " is cut in " << U8(title);
            total += width;
        }
        EXPECT_LE(total, client.right) << "columns wider than the list";
        EXPECT_EQ(0, GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) << "a horizontal scroll bar";
    };
    const auto close = [&](HWND dlg) {
        ql::CProgram::Click(dlg, IDCANCEL);
        EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    };

    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    for (const auto& [command, caption] :
         std::vector<std::pair<UINT, std::wstring>>{{ID_QUERY_TABLES, L"Tables"},
                                                    {ID_QUERY_VIEWS, L"Views"},
                                                    {ID_QUERY_PROCEDURES, L"Stored procedures"}})
    {
        program.WaitUntilIdle();
        program.PostCommand(command);
        HWND dlg = program.WaitForDialog(caption);
        ASSERT_NE(dlg, nullptr) << program.Describe();
        EXPECT_EQ(0, SendMessageW(ql::CProgram::Item(dlg, IDC_TABLES_LIST), LVM_GETITEMCOUNT, 0, 0))
            << U8(caption);
        checkFits(dlg);
        close(dlg);
    }

    // A schema named like the database is long; the table names are short and long.
    const std::wstring s(m_db.Name());
    Exec(L"CREATE SCHEMA " + s);
    Exec(L"CREATE TABLE " + s + L".t (x int)");
    Exec(L"CREATE TABLE " + s + L".shipments_by_carrier_and_week (x int)");
    HWND dlg = program.OpenTablesDialog({{s, L"t"}});
    ASSERT_NE(dlg, nullptr) << program.Describe();
    checkFits(dlg);
    // Sorted by schema, the arrow moves to a title that keeps its room.
    HWND list = ql::CProgram::Item(dlg, IDC_TABLES_LIST);
    ASSERT_TRUE(program.ClickListHeader(list, 1));
    std::wstring title;
    int format = 0;
    ASSERT_TRUE(ql::WaitFor([&] {
        return program.ListHeaderItem(list, 1, title, format) &&
               (format & (HDF_SORTUP | HDF_SORTDOWN));
    }));
    checkFits(dlg);
    close(dlg);
}

} // namespace
