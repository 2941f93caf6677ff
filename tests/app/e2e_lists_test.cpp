// End to end on SQLite, what the object lists show before anything is clicked: the database
// bar's tabs with whole titles and its one node named after the database file, the functions
// list in the order its header arrow tells, column titles that fit their columns in the
// information, types, functions and filter lists, and a procedures dialog without procedures
// that offers only Close.
#include "tests/app/e2e_program_test.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(CStringA(text.c_str()).GetString());
}

// Text widths in the fonts the program's dialogs and tab strips use.
class CTextMeasure
{
public:
    explicit CTextMeasure(HFONT font) : m_dc(CreateCompatibleDC(nullptr)), m_font(font)
    {
        m_old = SelectObject(m_dc, m_font);
    }
    ~CTextMeasure()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    // The dialogs' font: "MS Shell Dlg", 8 points.
    static HFONT DialogFont()
    {
        HDC screen = GetDC(nullptr);
        const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        return CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                           L"MS Shell Dlg");
    }
    int Width(const std::wstring& text) const
    {
        SIZE size{};
        GetTextExtentPoint32W(m_dc, text.c_str(), (int)text.size(), &size);
        return size.cx;
    }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

class ListsE2E : public CProgramTest
{
protected:
    ~ListsE2E() override { DeleteObject(m_dialogFont); }
    void SetUp() override
    {
        CProgramTest::SetUp();
        QlConnTest::OpenOrFail(m_db, m_file.Connect());
        m_db.ExecuteSQL(L"CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), n INTEGER)");
        m_db.ExecuteSQL(L"CREATE INDEX t_name ON t (name)");
        m_db.ExecuteSQL(L"INSERT INTO t VALUES (1, 'a', 2)");
        m_db.Close();
    }
    bool Start() { return program.StartConnected(std::wstring(m_file.Connect())); }

    // A visible dialog of the program whose caption begins with the text.
    HWND WaitForDialogStarting(const std::wstring& start)
    {
        HWND found = nullptr;
        ql::WaitFor([&] {
            for (HWND wnd : program.TopWindows())
                if (ql::ClassName(wnd) == L"#32770" && ql::WindowText(wnd).rfind(start, 0) == 0)
                    found = wnd;
            return found != nullptr;
        });
        return found;
    }

    // Every column of the list whose title does not fit: the header draws its title between
    // two margins of three edges, and a sort arrow takes as much again.
    std::string CutTitles(HWND list)
    {
        CTextMeasure measure(m_dialogFont);
        const int margin = 3 * GetSystemMetrics(SM_CXEDGE);
        HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
        const int count = (int)SendMessageW(header, HDM_GETITEMCOUNT, 0, 0);
        std::ostringstream cut;
        for (int i = 0; i < count; ++i)
        {
            std::wstring title;
            int format = 0;
            if (!program.ListHeaderItem(list, i, title, format))
                return "no header";
            int need = measure.Width(title) + 2 * margin;
            if (format & (HDF_SORTUP | HDF_SORTDOWN))
                need += 2 * margin;
            const int width = (int)SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0);
            if (width < need)
                cut << "\"" << Narrow(title) << "\" " << width << " < " << need << "; ";
        }
        return cut.str();
    }

    QlTestDb::TempSQLiteFile m_file;
    CRDatabase m_db;
    HFONT m_dialogFont = CTextMeasure::DialogFont();
};

TEST_F(ListsE2E, DatabaseBarShowsWholeTabTitlesAndTheDatabaseNode)
{
    ASSERT_TRUE(Start());
    // SQLite has no schemas: the one node is named after the database file.
    const HWND tables = program.FindChild(IDW_DBO_TABLES_TREE);
    const std::wstring path(m_file.Path().GetString());
    const std::wstring fileName = path.substr(path.find_last_of(L'/') + 1);
    HTREEITEM node = nullptr;
    EXPECT_TRUE(ql::WaitFor([&] { return (node = program.FindTreeItem(tables, fileName)); }))
        << Narrow(program.TreeItemText(tables, ql::CProgram::TreeRoot(tables)));
    EXPECT_EQ(program.TreeChildren(tables, node), std::vector<std::wstring>{L"t"});

    // At the bar's first width every tab holds its icon and its whole title, with the strip's
    // margins: half an "M" before the icon and after the title, and one between them.
    const HWND strip = program.FindChild(ql::CProgram::kBarSwitchId);
    CTextMeasure measure((HFONT)GetStockObject(DEFAULT_GUI_FONT));
    const int m = measure.Width(L"M");
    for (const wchar_t* title : {L"Tables", L"Views", L"Procedures", L"Triggers"})
    {
        RECT tab{};
        ASSERT_TRUE(ql::WaitFor([&] { return program.StripTabRect(strip, title, tab); }))
            << Narrow(title);
        EXPECT_GE(tab.right - tab.left,
                  m / 2 + GetSystemMetrics(SM_CXSMICON) + m / 2 + measure.Width(title) + m / 2)
            << Narrow(title);
    }
}

TEST_F(ListsE2E, FunctionsInTheOrderOfTheirArrowAndWholeColumnTitles)
{
    ASSERT_TRUE(Start());
    program.PostCommand(ID_CONNECT_FUNCTIONS);
    HWND dlg = WaitForDialogStarting(L"Functions (");
    ASSERT_NE(dlg, nullptr);
    HWND list = ql::CProgram::Item(dlg, IDC_DBO_LIST);
    std::wstring title;
    int format = 0;
    ASSERT_TRUE(program.ListHeaderItem(list, 0, title, format));
    EXPECT_EQ(title, L"Name");
    EXPECT_EQ(format & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTUP);
    const std::vector<std::wstring> names = program.ListItems(list);
    ASSERT_GT(names.size(), 20u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(),
                               [](const std::wstring& a, const std::wstring& b) {
                                   return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1,
                                                               FALSE) == CSTR_LESS_THAN;
                               }))
        << Narrow(names[0]) << ", " << Narrow(names[1]) << ", " << Narrow(names[2]);
    EXPECT_EQ(CutTitles(list), "");
    ql::CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));

    program.PostCommand(ID_CONNECT_TYPES);
    dlg = program.WaitForDialog(L"Types");
    ASSERT_NE(dlg, nullptr);
    list = ql::CProgram::Item(dlg, IDC_DBO_LIST);
    ASSERT_TRUE(ql::WaitFor([&] { return !program.ListItems(list).empty(); }));
    EXPECT_EQ(CutTitles(list), "");
    ql::CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
}

TEST_F(ListsE2E, InformationAndFilterListsShowWholeColumnTitles)
{
    ASSERT_TRUE(Start());
    const HWND tables = program.FindChild(IDW_DBO_TABLES_TREE);
    HTREEITEM item = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        const HTREEITEM root = ql::CProgram::TreeRoot(tables);
        return root && (item = ql::CProgram::TreeChild(tables, root)) != nullptr;
    }));
    ql::CProgram::TreeCommand(tables, item, ID_QUERY_TABLE_INFO);
    const HWND info = program.WaitForDialog(L"t information");
    ASSERT_NE(info, nullptr);
    const HWND columns = ql::CProgram::WaitForVisibleControl(info, IDC_DBO_LIST);
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(CutTitles(columns), "") << "Columns";
    ASSERT_TRUE(program.ClickTab(ql::CProgram::Item(info, IDC_DBO_TABS), 1));
    const HWND indexes = ql::CProgram::WaitForVisibleControl(info, IDC_DBO_LIST, columns);
    ASSERT_NE(indexes, nullptr);
    EXPECT_EQ(CutTitles(indexes), "") << "Indexes";
    PostMessageW(info, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(info); }));

    ASSERT_TRUE(program.OpenTableGrid(L"", L"t"));
    program.PostCommand(ID_QUERY_FILTER);
    const HWND filter = program.WaitForDialog(L"Filter");
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(CutTitles(ql::CProgram::Item(filter, IDC_ITEM_LIST)), "") << "Filter";
    ql::CProgram::Click(filter, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(filter); }));
}

TEST_F(ListsE2E, ProceduresDialogWithoutProceduresOffersOnlyClose)
{
    ASSERT_TRUE(Start());
    program.PostCommand(ID_QUERY_PROCEDURES);
    const HWND dlg = program.WaitForDialog(L"Stored procedures");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(SendMessageW(ql::CProgram::Item(dlg, IDC_TABLES_LIST), LVM_GETITEMCOUNT, 0, 0), 0);
    for (int id : {IDOK, IDC_TABLES_INFO, IDC_TABLES_DROP})
        EXPECT_FALSE(ql::CProgram::IsEnabled(dlg, id)) << ql::CProgram::Text(dlg, id).size();
    EXPECT_TRUE(ql::CProgram::IsEnabled(dlg, IDCANCEL));
    ql::CProgram::Click(dlg, IDCANCEL);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));

    // With rows the buttons act on them.
    program.PostCommand(ID_QUERY_TABLES);
    const HWND tablesDlg = program.WaitForDialog(L"Tables");
    ASSERT_NE(tablesDlg, nullptr);
    for (int id : {IDOK, IDC_TABLES_INFO, IDC_TABLES_DROP})
        EXPECT_TRUE(ql::CProgram::IsEnabled(tablesDlg, id));
    ql::CProgram::Click(tablesDlg, IDCANCEL);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(tablesDlg); }));
}

} // namespace
