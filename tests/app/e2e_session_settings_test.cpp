// End to end on PostgreSQL: the user switches the session's output and literal settings with SET
// statements of their own (DateStyle, IntervalStyle, standard_conforming_strings, bytea_output)
// and then opens a table. The grid shows the values the table holds, an edit is saved as typed,
// and the INSERT script, run by psql under the server's defaults, recreates the same rows.
#include "tests/app/e2e_save.h"


namespace {

using QlConnTest::QueryText;
using QlSave::U8;

class SessionSettingsE2E : public QlSave::CPostgresSaveTest
{
protected:
    SessionSettingsE2E() : CPostgresSaveTest(L"session_settings") {}
    void SetUp() override
    {
        CPostgresSaveTest::SetUp();
        if (HasFatalFailure())
            return;
        m_schema = CreateSchema(L"qlsess_");
        Exec(L"CREATE TABLE " + m_schema + L".t " + Columns());
        Exec(L"INSERT INTO " + m_schema +
             L".t VALUES (1, '2024-03-05', '2024-03-05 10:11:12.5', '-1 day +02:03:04', "
             L"'\\x00ff27', 'plain'), "
             L"(2, '1999-12-31', '0044-03-15 12:00:00 BC', '1 year 2 mons', NULL, "
             L"E'a\\\\b''c')");
    }
    static CString Columns()
    {
        return L"(id int PRIMARY KEY, d date, ts timestamp, iv interval, b bytea, s text)";
    }

    // Runs one statement through Query > Execute SQL; any message box it brings is returned.
    std::wstring Run(const std::wstring& sql)
    {
        program.PostCommand(ID_QUERY_SQL);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        if (dlg == nullptr)
            return L"no dialog";
        ql::CProgram::SetText(dlg, 1001, sql);
        ql::CProgram::Click(dlg, IDOK);
        ql::WaitFor([&] { return !IsWindow(dlg); });
        program.Settle();
        return program.TakeMessageBox(200);
    }
    CString Rows(const CString& schema)
    {
        return QueryText(m_db, L"SELECT string_agg(row(t.*)::text, ' | ' ORDER BY id) FROM " +
                                   schema + L".t");
    }

    CString m_schema;
};

TEST_F(SessionSettingsE2E, ValuesSurviveTheUsersSessionSettings)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    // The driver reads dates only in DateStyle ISO: the program sets it back and says so.
    EXPECT_NE(Run(L"SET DateStyle TO 'German'").find(L"DateStyle was set back to ISO"),
              std::wstring::npos);
    for (const wchar_t* set : {L"SET IntervalStyle TO 'sql_standard'",
                               L"SET standard_conforming_strings TO off",
                               L"SET bytea_output TO 'escape'", L"SET DateStyle TO 'ISO, DMY'"})
        EXPECT_EQ(Run(set).find(L"set back"), std::wstring::npos) << U8(set);

    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"t"));
    HWND grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 2; }));
    EXPECT_EQ(program.ListItems(grid, 1),
              (std::vector<std::wstring>{L"2024/03/05", L"1999/12/31"}));
    EXPECT_EQ(program.ListItems(grid, 2),
              (std::vector<std::wstring>{L"2024/03/05 10:11:12.500",
                                         L"0044/03/15 12:00:00 BC"}));
    EXPECT_EQ(program.ListItems(grid, 4), (std::vector<std::wstring>{L"00FF27", L"<<NULL>>"}));
    EXPECT_EQ(program.ListItems(grid, 5), (std::vector<std::wstring>{L"plain", L"a\\b'c"}));

    // Edits under the day-first order and without standard strings are saved as typed.
    auto edit = [&](int row, int column, const std::wstring& text) {
        ASSERT_TRUE(program.ClickListCell(grid, row, column));
        ql::CProgram::PressKey(grid, VK_SPACE);
        ASSERT_TRUE(ql::CProgram::SetInPlaceValue(grid, text, false, VK_RETURN));
    };
    ASSERT_NO_FATAL_FAILURE(edit(0, 1, L"2024/12/01"));
    ASSERT_NO_FATAL_FAILURE(edit(0, 5, L"C:\\new\\O'Brien \x00FC"));
    ql::CProgram::PressKey(grid, VK_RETURN);
    EXPECT_TRUE(ql::WaitFor([&] {
        return QueryText(m_db, L"SELECT d || ' ' || s FROM " + m_schema + L".t WHERE id = 1") ==
               L"2024-12-01 C:\\new\\O'Brien \x00FC";
    })) << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr);

    const CString before = Rows(m_schema);
    const std::wstring script = m_folder + L"\\t.sql";
    ASSERT_TRUE(SaveGridAs(script, L"SQL script"));
    const std::string text = QlSave::WritePostgresScript(program, script);
    const CString target = CreateSchema(L"qlsess_t_");
    Exec(L"CREATE TABLE " + target + L".t " + Columns());
    std::string out;
    ASSERT_EQ(0, ql::RunPsqlScript(script, std::wstring(target), &out)) << out << "\n" << text;
    EXPECT_EQ(U8(std::wstring(before)), U8(std::wstring(Rows(target))));
    EXPECT_TRUE(program.Close());
}

} // namespace
