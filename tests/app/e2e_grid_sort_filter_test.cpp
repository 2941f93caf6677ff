// End to end on each real database: a table opened through Query > Tables is sorted from its
// column header, filtered through the Filter dialog (three conditions, then a refused NULL with
// LIKE and a reset) and sorted through the Sort dialog; the SELECT the window shows and the rows
// it holds are checked against the database's own answer. The sorted columns' headers show the
// sort mark ("Mark sorted columns", on by default), as the user sees them on the screen.
#include "tests/app/e2e_screen_capture.h"
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

namespace {

using ql::CProgram;
using ql::Narrow;

bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsAscending(const std::vector<std::wstring>& values)
{
    for (size_t i = 1; i < values.size(); ++i)
        if (values[i - 1] > values[i])
            return false;
    return true;
}

enum SortMark
{
    markNone,
    markDown, // ascending
    markUp,   // descending
    markUnknown,
};

// The sort mark a header item shows left of its caption, read from the screen. The mark stands
// at the item's left edge, before the caption: an arrow whose head's base is a row of ink as wide
// as the mark (no stroke of a caption's first letter is that wide), nearer the arrow's bottom
// when it points down, nearer its top when it points up.
SortMark ShownSortMark(const ql::CProgram& program, HWND list, int column)
{
    RECT item{};
    if (!program.ListHeaderItemRect(list, column, item))
        return markUnknown;
    const int width = ((GetSystemMetrics(SM_CXSMICON) / 2) + 1) & ~1;
    const int strip = GetSystemMetrics(SM_CXEDGE) + width + 3;
    ql::CScreenCapture capture;
    if (!capture.Take(
            {item.left, item.top, std::min<LONG>(item.right, item.left + strip), item.bottom}))
        return markUnknown;
    // Ink: the arrow's grey outline and black fill, the caption's letters; not the face.
    auto dark = [&](int x, int y) {
        const COLORREF c = capture.At(x, y);
        return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 225;
    };
    int first = -1, last = -1, widest = -1, widestRun = 0;
    for (int y = capture.rect.top + 1; y < capture.rect.bottom - 1; ++y)
    {
        int run = 0, longest = 0;
        for (int x = capture.rect.left + 1; x < capture.rect.right; ++x)
        {
            run = dark(x, y) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        if (longest > 0 && first < 0)
            first = y;
        if (longest > 0)
            last = y;
        if (longest > widestRun)
        {
            widestRun = longest;
            widest = y;
        }
    }
    if (widestRun < width)
        return markNone;
    return widest - first > last - widest ? markDown : markUp;
}

class GridSortFilterE2E : public ql::CProductScenario
{
protected:
    void SetUp() override
    {
        CProductScenario::SetUp();
        m_table = ql::CScratchDatabase::NewName(L"ql_e2e_sf_");
        m_db.CreateTable(m_table, L"id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(20), "
                                  L"note VARCHAR(20)");
        for (int i = 1; i <= 12; ++i)
        {
            wchar_t row[160];
            swprintf(row, 160, L" VALUES (%d, 'n%02d', '%ls', %ls)", i, 13 - i, i % 2 ? L"x" : L"y",
                     i % 3 ? L"NULL" : L"'memo'");
            m_db.Exec(L"INSERT INTO " + m_db.Quoted(m_table) + row);
        }
    }
    std::vector<std::wstring> GridColumn(int column) { return program.ListItems(m_grid, column); }
    // A column as the window's ORDER BY names it: on PostgreSQL as the table's column, named
    // after the table as the SELECT names it.
    std::wstring OrderedBy(const std::wstring& column)
    {
        const std::wstring select = L"SELECT * FROM ";
        const std::wstring shown = ql::ShownSQL(program);
        if (GetParam() != ql::kE2EPostgres || shown.rfind(select, 0) != 0)
            return column;
        return shown.substr(select.size(), shown.find(L'\n') - select.size()) + L"." + column;
    }

    std::wstring m_table;
    HWND m_grid = nullptr;
};

TEST_P(GridSortFilterE2E, HeaderSortFilterDialogAndSortDialog)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()))
        << Narrow(program.Title()) << " / "
        << Narrow(program.FindMessageBox() ? CProgram::MessageBoxText(program.FindMessageBox())
                                           : L"no box");
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(child, nullptr);
    m_grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return GridColumn(0).size() == 12; }));
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(ShownSortMark(program, m_grid, column), markNone) << column;

    // The header's "Sort ascending" on city.
    ASSERT_TRUE(program.ClickListHeader(m_grid, 2));
    ASSERT_TRUE(program.ChoosePopupMenuEntry(0));
    EXPECT_TRUE(ql::WaitFor([&] { return IsAscending(GridColumn(2)); }));
    EXPECT_TRUE(EndsWith(ql::ShownSQL(program), L"\nORDER BY  " + OrderedBy(L"city") + L" ASC"));
    EXPECT_TRUE(ql::WaitFor([&] { return ShownSortMark(program, m_grid, 2) == markDown; }));
    EXPECT_EQ(ShownSortMark(program, m_grid, 1), markNone);

    // Filter: city = x AND, id > 5 OR, note NULL with "=".
    program.PostCommand(ID_QUERY_FILTER);
    HWND dlg = program.WaitForDialog(L"Filter");
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(ql::AddFilterCondition(program, dlg, L"city", L"=", L"x", L"AND"));
    ASSERT_TRUE(ql::AddFilterCondition(program, dlg, L"id", L">", L"5", L"OR"));
    ASSERT_TRUE(ql::AddFilterCondition(program, dlg, L"note", L"=", L"", L"AND", true));
    CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    const std::wstring filtered = ql::ShownSQL(program);
    EXPECT_TRUE(EndsWith(filtered, L"\nWHERE city='x' AND\nid>5 OR\nnote IS NULL\nORDER BY  " +
                                       OrderedBy(L"city") + L" ASC"))
        << Narrow(filtered);
    const auto expected = m_db.Column(L"SELECT id FROM " + m_db.Quoted(m_table) +
                                      L" WHERE city='x' AND id>5 OR note IS NULL");
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(
        ql::WaitFor([&] { return ql::Sorted(GridColumn(0), true) == ql::Sorted(expected, true); }));
    EXPECT_TRUE(IsAscending(GridColumn(2)));

    // NULL with LIKE is refused and the dialog stays; Reset and OK drop the WHERE clause.
    program.PostCommand(ID_QUERY_FILTER);
    dlg = program.WaitForDialog(L"Filter");
    ASSERT_NE(dlg, nullptr);
    HWND conditions = CProgram::Item(dlg, IDC_ITEM_LIST);
    EXPECT_EQ(program.ListItems(conditions).size(), 3u);
    CProgram::Click(dlg, IDC_RESET);
    ASSERT_TRUE(ql::AddFilterCondition(program, dlg, L"note", L"=", L"", L"AND", true));
    CProgram::Click(dlg, IDC_FILTER_EDIT);
    ASSERT_TRUE(program.ChooseInPlaceEntry(conditions, L"note"));
    ASSERT_TRUE(program.ChooseInPlaceEntry(conditions, L"LIKE", VK_RETURN));
    CProgram::Click(dlg, IDOK);
    EXPECT_EQ(program.TakeMessageBox(20000, IDOK), L"Invalid value.");
    EXPECT_TRUE(IsWindow(dlg) && IsWindowVisible(dlg));
    EXPECT_EQ(program.ListItems(conditions, 1), (std::vector<std::wstring>{L"LIKE"}));
    CProgram::Click(dlg, IDC_RESET);
    CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    const std::wstring unfiltered = ql::ShownSQL(program);
    EXPECT_EQ(unfiltered.find(L"WHERE"), std::wstring::npos) << Narrow(unfiltered);
    EXPECT_TRUE(EndsWith(unfiltered, L"\nORDER BY  " + OrderedBy(L"city") + L" ASC"));
    EXPECT_TRUE(ql::WaitFor([&] { return GridColumn(0).size() == 12; }));

    // Sort dialog: name made Descending and moved to the top leads the ORDER BY.
    program.PostCommand(ID_QUERY_SORT);
    dlg = program.WaitForDialog(L"Sort");
    ASSERT_NE(dlg, nullptr);
    HWND columns = CProgram::Item(dlg, IDC_ITEM_LIST);
    const auto names = program.ListItems(columns);
    const int nameRow = (int)(std::find(names.begin(), names.end(), L"name") - names.begin());
    ASSERT_LT(nameRow, (int)names.size());
    program.SelectListItem(columns, -1, false);
    program.SelectListItem(columns, nameRow);
    CProgram::PressKey(columns, VK_SPACE);
    ASSERT_TRUE(program.ChooseInPlaceEntry(columns, L"Descending", VK_RETURN));
    program.SelectListItem(columns, -1, false);
    program.SelectListItem(columns, nameRow);
    CProgram::Click(dlg, IDC_MOVE_TOP);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(columns)[0] == L"name"; }));
    CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    const std::wstring sorted = ql::ShownSQL(program);
    EXPECT_TRUE(EndsWith(sorted, L"\nORDER BY  " + OrderedBy(L"name") + L" DESC, " +
                                     OrderedBy(L"city") + L" ASC"))
        << Narrow(sorted);
    const auto byName =
        m_db.Column(L"SELECT name FROM " + m_db.Quoted(m_table) + L" ORDER BY name DESC, city ASC");
    EXPECT_TRUE(ql::WaitFor([&] { return GridColumn(1) == byName; }));
    EXPECT_TRUE(ql::WaitFor([&] { return ShownSortMark(program, m_grid, 1) == markUp; }));
    EXPECT_EQ(ShownSortMark(program, m_grid, 2), markDown);
    EXPECT_EQ(ShownSortMark(program, m_grid, 0), markNone);

    // Reset and OK: no ORDER BY any more.
    program.PostCommand(ID_QUERY_SORT);
    dlg = program.WaitForDialog(L"Sort");
    ASSERT_NE(dlg, nullptr);
    CProgram::Click(dlg, IDC_RESET);
    CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    const std::wstring plain = ql::ShownSQL(program);
    EXPECT_EQ(plain.find(L"ORDER BY"), std::wstring::npos) << Narrow(plain);
    EXPECT_EQ(plain.find(L"WHERE"), std::wstring::npos) << Narrow(plain);
    EXPECT_TRUE(ql::WaitFor([&] {
        return ShownSortMark(program, m_grid, 1) == markNone &&
               ShownSortMark(program, m_grid, 2) == markNone;
    }));
    EXPECT_EQ(GridColumn(0).size(), 12u);
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(m_db.Count(m_table), 12);
    EXPECT_TRUE(program.Close());
}

QL_ON_EVERY_PRODUCT(GridSortFilterE2E);

} // namespace
