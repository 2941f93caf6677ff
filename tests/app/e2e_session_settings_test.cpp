// End to end on PostgreSQL: the user switches the session's output and literal settings with SET
// statements of their own (DateStyle, IntervalStyle, standard_conforming_strings, bytea_output,
// client_encoding) and then opens a table. The grid shows the values the table holds, an edit is
// saved as typed, and the INSERT script, run by psql under the server's defaults, recreates the
// same rows.
#include "tests/app/e2e_save.h"
#include "tests/app/e2e_scratch_database.h"

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
             L"(2, '1999-12-31', '0044-03-15 12:00:00 BC', '-1 day -02:03:04.5', NULL, "
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
    for (const wchar_t* set :
         {L"SET IntervalStyle TO 'sql_standard'", L"SET standard_conforming_strings TO off",
          L"SET bytea_output TO 'escape'", L"SET DateStyle TO 'ISO, DMY'"})
        EXPECT_EQ(Run(set).find(L"set back"), std::wstring::npos) << U8(set);

    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"t"));
    HWND grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 2; }));
    EXPECT_EQ(program.ListItems(grid, 1),
              (std::vector<std::wstring>{L"2024/03/05", L"1999/12/31"}));
    EXPECT_EQ(program.ListItems(grid, 2),
              (std::vector<std::wstring>{L"2024/03/05 10:11:12.500", L"0044/03/15 12:00:00 BC"}));
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
    EXPECT_EQ(U8(std::wstring(before)), U8(std::wstring(Rows(target)))) << text;
    EXPECT_TRUE(program.Close());
}

// Row-level security that reads a setting of the user's own (a name with a dot, which no list of
// the server's settings holds): the table window, a view window over the table and Save Data
// read in the user's session, so they show the rows the setting lets through, after SET and
// after set_config, as psql does.
TEST_F(SessionSettingsE2E, RowLevelSecurityByTheUsersOwnSetting)
{
    const CString t = m_schema + L".rls";
    Exec(L"CREATE TABLE " + t + L" (id int PRIMARY KEY, tenant int)");
    Exec(L"INSERT INTO " + t + L" VALUES (1, 1), (2, 1), (3, 2)");
    Exec(L"ALTER TABLE " + t + L" ENABLE ROW LEVEL SECURITY");
    Exec(L"ALTER TABLE " + t + L" FORCE ROW LEVEL SECURITY");
    Exec(L"CREATE POLICY tenant ON " + t +
         L" USING (tenant = current_setting('app.tenant', true)::int)");
    Exec(L"CREATE VIEW " + m_schema + L".rls_v AS SELECT * FROM " + t);
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    EXPECT_EQ(Run(L"SET app.tenant = '1'").rfind(L"Executed OK.", 0), 0u);

    const std::vector<std::wstring> first = {L"1", L"2"};
    HWND table = program.OpenTableWindow(std::wstring(m_schema), L"rls");
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(ql::WaitFor([&] { return program.ListItems(ql::GridOf(table), 0) == first; }))
        << program.Describe();
    ASSERT_TRUE(program.OpenViewGrid(std::wstring(m_schema), L"rls_v"));
    HWND view = program.ActiveChild();
    EXPECT_TRUE(ql::WaitFor([&] { return program.ListItems(ql::GridOf(view), 0) == first; }))
        << program.Describe();

    // A query: its grid window shows the value and becomes the active one.
    EXPECT_EQ(Run(L"SELECT set_config('app.tenant', '2', false)"), L"");
    for (HWND window : {table, view})
    {
        SendMessageW(GetParent(window), WM_MDIACTIVATE, (WPARAM)window, 0);
        ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() == window; }));
        program.PostCommand(ID_QUERY_REFRESH);
        EXPECT_TRUE(ql::WaitFor([&] {
            return program.ListItems(ql::GridOf(window), 0) == std::vector<std::wstring>{L"3"};
        })) << program.Describe();
    }
    SendMessageW(GetParent(table), WM_MDIACTIVATE, (WPARAM)table, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() == table; }));
    const std::wstring csv = m_folder + L"\\rls.csv";
    ASSERT_TRUE(SaveGridAs(csv, L"Comma separated"));
    const std::wstring text = QlSave::WriteCommaSeparated(program, csv);
    EXPECT_NE(text.find(L"\n3,2\n"), std::wstring::npos) << U8(text);
    EXPECT_EQ(text.find(L"\n1,1\n"), std::wstring::npos) << U8(text);
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

// A database of the user's with settings of its own for every session: an empty search path,
// verbose intervals, escaped byte strings, backslash escapes in plain literals, fewer float
// digits, every debug notice, day-first SQL dates. Its values, long ones of types without a
// length of their own among them (json, arrays, varchar, text, intervals), show whole in the
// grid and come back whole from the INSERT script, money too.
TEST_F(SessionSettingsE2E, DatabaseDefaultsAndLongValuesOfTypesWithoutALength)
{
    CScratchDatabase db(CScratchDatabase::postgres);
    ASSERT_TRUE(db.Create());
    const CString columns = L"(id int PRIMARY KEY, iv interval, j jsonb, a int[], v varchar, "
                            L"t text, b bytea, s text, f float8, m money)";
    db.Exec(L"CREATE TABLE public.t " + columns);
    db.Exec(L"INSERT INTO public.t VALUES (1, '-1 day +02:03:04', '{\"k\": \"v\"}', '{1,2}', "
            L"'short', 'short', '\\x00ff27', E'a\\\\b''c', 0.1, 1234.5), "
            L"(2, '-100 years -11 mons -30 days -23:59:59.999999', "
            L"('{\"k\": \"' || repeat('j', 300) || '\"}')::jsonb, "
            L"array_fill(12345, ARRAY[100]), repeat('v', 300), repeat('t', 9000), NULL, 'plain', "
            L"-2.5e-300, -0.01)");
    for (const wchar_t* set :
         {L"search_path = ''", L"IntervalStyle = 'postgres_verbose'", L"bytea_output = 'escape'",
          L"standard_conforming_strings = off", L"extra_float_digits = -15",
          L"client_min_messages = 'debug5'", L"DateStyle = 'SQL, DMY'"})
        db.Exec(L"ALTER DATABASE " + db.Name() + L" SET " + set);
    auto cell = [&](const wchar_t* sql) { return std::wstring(db.Query(sql).GetString()); };

    ASSERT_TRUE(program.StartConnected(std::wstring(db.Connect())));
    ASSERT_TRUE(program.OpenTableGrid(L"public", L"t"));
    HWND grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 2; }));
    EXPECT_EQ(program.ListItems(grid, 1),
              (std::vector<std::wstring>{
                  L"@ 1 day -2 hours -3 mins -4 secs ago",
                  L"@ 100 years 11 mons 30 days 23 hours 59 mins 59.999999 secs ago"}));
    // (The 9,000 characters of t are longer than a list item's text: the script checks them.)
    for (int column = 2; column <= 4; ++column)
    {
        const std::wstring name = std::wstring(1, L"jav"[column - 2]);
        EXPECT_EQ(program.ListItems(grid, column)[1],
                  cell((L"SELECT " + name + L"::text FROM public.t WHERE id = 2").c_str()))
            << "column " << U8(name);
    }
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();

    const std::wstring script = m_folder + L"\\t.sql";
    ASSERT_TRUE(SaveGridAs(script, L"SQL script"));
    const std::string text = QlSave::WritePostgresScript(program, script);
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    const CString target = CreateSchema(L"qlsess_db_");
    Exec(L"CREATE TABLE " + target + L".t " + columns);
    std::string out;
    ASSERT_EQ(0, ql::RunPsqlScript(script, std::wstring(target), &out)) << out << "\n" << text;
    const wchar_t* kRows = L"SELECT string_agg(row(t.*)::text, ' | ' ORDER BY id) FROM ";
    EXPECT_EQ(U8(cell((CString(kRows) + L"public.t t").GetString())),
              U8(std::wstring(QueryText(m_db, CString(kRows) + target + L".t t").GetString())));
    EXPECT_TRUE(program.Close()) << program.Describe();
}

// The driver reads and sends text in the session's client encoding of the connection: another
// one the user sets is set back, and text the table holds shows and saves as it is.
TEST_F(SessionSettingsE2E, ClientEncodingOfTheUsersIsSetBack)
{
    Exec(L"UPDATE " + m_schema + L".t SET s = 'Gr\x00FC\x00DF' WHERE id = 1");
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    EXPECT_NE(Run(L"SET client_encoding TO 'LATIN1'").find(L"client_encoding was set back"),
              std::wstring::npos);
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"t"));
    HWND grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 2; }));
    const int row = program.ListItems(grid, 0)[0] == L"1" ? 0 : 1;
    EXPECT_EQ(program.ListItems(grid, 5)[row], L"Gr\x00FC\x00DF");
    ASSERT_TRUE(program.ClickListCell(grid, row, 5));
    ql::CProgram::PressKey(grid, VK_SPACE);
    ASSERT_TRUE(ql::CProgram::SetInPlaceValue(grid, L"caf\x00E9 \x65E5", false, VK_RETURN));
    ql::CProgram::PressKey(grid, VK_RETURN);
    EXPECT_TRUE(ql::WaitFor([&] {
        return QueryText(m_db, L"SELECT s FROM " + m_schema + L".t WHERE id = 1") ==
               L"caf\x00E9 \x65E5";
    })) << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

} // namespace
