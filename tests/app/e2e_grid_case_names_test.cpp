// End to end on PostgreSQL: a table whose columns differ only in case ("A" and a) beside names
// with a semicolon, brackets and a backtick, a reserved word and the longest name the server
// keeps. Filters, the header sort and an edit each reach the one column chosen, and the INSERT
// script names every column so that psql recreates the rows.
#include "tests/app/e2e_save.h"

namespace {

using QlConnTest::QueryText;
using QlSave::U8;

const wchar_t kLong[] = L"l23456789_123456789_123456789_123456789_123456789_123456789_123";

class GridCaseNamesE2E : public QlSave::CPostgresSaveTest
{
protected:
    GridCaseNamesE2E() : CPostgresSaveTest(L"case_names") {}
    void SetUp() override
    {
        CPostgresSaveTest::SetUp();
        if (HasFatalFailure())
            return;
        m_schema = CreateSchema(L"qlcase_");
        Exec(L"CREATE TABLE " + m_schema + L".\"Case t\" " + Columns());
        Exec(L"INSERT INTO " + m_schema +
             L".\"Case t\" VALUES (1, 1, 2, 'x1', 'b1', 's1', 'l1'), "
             L"(2, 2, 1, 'x2', 'b2', 's2', 'l2'), (3, 3, 3, 'x3', 'b3', 's3', 'l3')");
    }
    static CString Columns()
    {
        return CString(L"(id int PRIMARY KEY, \"A\" int, a int, \"x;y\" text, \"[b]`c\" text, "
                       L"\"select\" text, ") +
               kLong + L" text)";
    }
    std::vector<std::wstring> Ids() { return program.ListItems(m_grid, 0); }
    void FilterBy(const std::wstring& column, const std::wstring& value)
    {
        program.PostCommand(ID_QUERY_FILTER);
        HWND dlg = program.WaitForDialog(L"Filter");
        ASSERT_NE(dlg, nullptr);
        ql::CProgram::Click(dlg, IDC_RESET);
        ASSERT_TRUE(ql::AddFilterCondition(program, dlg, column, L"=", value));
        ql::CProgram::Click(dlg, IDOK);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    }

    CString m_schema;
    HWND m_grid = nullptr;
};

TEST_F(GridCaseNamesE2E, EachNameReachesItsOwnColumn)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"Case t"));
    m_grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return Ids().size() == 3; }));

    FilterBy(L"A", L"1");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"1"}; }))
        << U8(ql::ShownSQL(program));
    FilterBy(L"a", L"1");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"2"}; }))
        << U8(ql::ShownSQL(program));
    FilterBy(L"x;y", L"x3");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"3"}; }))
        << U8(ql::ShownSQL(program));
    FilterBy(L"[b]`c", L"b1");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"1"}; }))
        << U8(ql::ShownSQL(program));
    FilterBy(kLong, L"l2");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"2"}; }))
        << U8(ql::ShownSQL(program));
    FilterBy(L"select", L"s3");
    EXPECT_TRUE(ql::WaitFor([&] { return Ids() == std::vector<std::wstring>{L"3"}; }))
        << U8(ql::ShownSQL(program));
    EXPECT_EQ(program.FindMessageBox(), nullptr);

    // The header's "Sort descending" on a: its values 2, 1, 3 give the rows 3, 1, 2.
    program.PostCommand(ID_QUERY_FILTER);
    HWND dlg = program.WaitForDialog(L"Filter");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::Click(dlg, IDC_RESET);
    ql::CProgram::Click(dlg, IDOK);
    ASSERT_TRUE(ql::WaitFor([&] { return Ids().size() == 3; }));
    ASSERT_TRUE(program.ClickListHeader(m_grid, 2));
    ASSERT_TRUE(program.ChoosePopupMenuEntry(1));
    EXPECT_TRUE(ql::WaitFor([&] {
        return Ids() == std::vector<std::wstring>{L"3", L"1", L"2"};
    })) << U8(ql::ShownSQL(program));

    // An edit of a in the row of id 1 leaves "A" alone. Save Data is chosen at once after the
    // Enter that stores the row: it comes before the refresh the stored row asks for, and the
    // script must still hold the stored value.
    const auto ids = Ids();
    const int row = static_cast<int>(std::find(ids.begin(), ids.end(), L"1") - ids.begin());
    ASSERT_TRUE(program.ClickListCell(m_grid, row, 2));
    ql::CProgram::PressKey(m_grid, VK_SPACE);
    ASSERT_TRUE(ql::CProgram::SetInPlaceValue(m_grid, L"7", false, VK_RETURN));
    ql::CProgram::PressKey(m_grid, VK_RETURN);
    const std::wstring script = m_folder + L"\\case.sql";
    ASSERT_TRUE(SaveGridAs(script, L"SQL script"));
    const std::string text = QlSave::WritePostgresScript(program, script);
    EXPECT_TRUE(QueryText(m_db, L"SELECT \"A\" || ',' || a FROM " + m_schema +
                                    L".\"Case t\" WHERE id = 1") == L"1,7")
        << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    const CString target = CreateSchema(L"qlcase_t_");
    Exec(L"CREATE TABLE " + target + L".\"Case t\" " + Columns());
    std::string out;
    ASSERT_EQ(0, ql::RunPsqlScript(script, std::wstring(target), &out)) << out << "\n" << text;
    auto rows = [&](const CString& schema) {
        return U8(std::wstring(
            QueryText(m_db, L"SELECT string_agg(row(t.*)::text, ' | ' ORDER BY id) FROM " + schema +
                                L".\"Case t\" t")));
    };
    EXPECT_EQ(rows(m_schema), rows(target)) << text;
    EXPECT_TRUE(program.Close());
}

} // namespace
