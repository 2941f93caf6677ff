// End to end on PostgreSQL: values its ODBC driver's structures cannot hold (infinite dates and
// timestamps, years BC, a negative zero) beside real values that look like the driver's
// stand-ins for them, opened in a grid window of the real program: shown as the server has
// them, saved as HTML and as an INSERT script that psql runs into a fresh schema, where every
// value reads back as the server's same text, and found by filters on their shown text.
#include "tests/app/e2e_save.h"

#include "framework/command_ids.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

using QlConnTest::QueryText;
using QlSave::U8;

const wchar_t kTable[] = L"beyond";

class SaveServerDatesE2E : public QlSave::CPostgresSaveTest
{
protected:
    SaveServerDatesE2E() : CPostgresSaveTest(L"save_server_dates") {}
    void SetUp() override
    {
        CPostgresSaveTest::SetUp();
        if (HasFatalFailure())
            return;
        m_schema = CreateSchema(L"qldates_");
        Exec(L"CREATE TABLE " + Table(m_schema) + Columns());
        Exec(L"INSERT INTO " + Table(m_schema) +
             L" VALUES (1, 'infinity', 'infinity', 'infinity', '-0'), "
             L"(2, '-infinity', '-infinity', '-infinity', 0), "
             L"(3, current_date, '9999-12-31 23:59:59', NULL, -1.5), "
             L"(4, '2024-03-05', '0044-03-15 12:00:00.25 BC', NULL, 'NaN')");
    }

    static CString Table(const CString& schema) { return schema + L"." + kTable; }
    static CString Columns()
    {
        return L" (id integer, d date, ts timestamp(6), tz timestamptz, f float8)";
    }

    // Replaces the window's filter by one condition "column = value"; OK.
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
};

TEST_F(SaveServerDatesE2E, GridShowsAndScriptRecreatesTheServersValues)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), kTable));
    HWND child = program.ActiveChild();
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 4; }));
    const std::wstring today(QueryText(m_db, L"SELECT to_char(current_date, 'YYYY/MM/DD')"));
    // The grid's own cells (sorted by id as the table was filled).
    EXPECT_EQ(program.ListItems(grid, 1),
              (std::vector<std::wstring>{L"infinity", L"-infinity", today, L"2024/03/05"}));
    EXPECT_EQ(program.ListItems(grid, 2),
              (std::vector<std::wstring>{L"infinity", L"-infinity", L"9999/12/31 23:59:59",
                                         L"0044/03/15 12:00:00.250 BC"}));

    const std::wstring html = m_folder + L"\\beyond.htm";
    ASSERT_TRUE(SaveGridAs(html, L"HTML"));
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(html).empty());
    ql::CHtmlCells cells;
    std::string out;
    ASSERT_TRUE(ql::ReadHtmlCells(html, cells, &out)) << out;
    ASSERT_EQ(5u, cells.rows.size()); // the header and four rows
    const std::vector<std::vector<std::wstring>> shown = {
        {L"1", L"infinity", L"infinity", L"infinity", L"-0"},
        {L"2", L"-infinity", L"-infinity", L"-infinity", L"0"},
        {L"3", today,
         L"9999/12/31\xA0"
         L"23:59:59",
         L"<<NULL>>", L"-1.5"},
        {L"4", L"2024/03/05",
         L"0044/03/15\xA0"
         L"12:00:00.250\xA0"
         L"BC",
         L"<<NULL>>", L"NaN"},
    };
    for (size_t row = 0; row < shown.size(); ++row)
        EXPECT_EQ(shown[row], cells.rows[row + 1]) << "row " << row + 1;

    const std::wstring script = m_folder + L"\\beyond.sql";
    ASSERT_TRUE(SaveGridAs(script, L"SQL script"));
    const std::string text = QlSave::WritePostgresScript(program, script);
    ASSERT_NE(std::string::npos, text.find("INSERT INTO")) << text.substr(0, 200);

    const CString target = CreateSchema(L"qldates_t_");
    Exec(L"CREATE TABLE " + Table(target) + Columns());
    ASSERT_EQ(0, ql::RunPsqlScript(script, std::wstring(target), &out)) << out << "\n" << text;
    EXPECT_EQ(CString(L"4"), QueryText(m_db, L"SELECT count(*) FROM " + Table(target)));
    // Compared as the server's text: -0 equals 0 as a number.
    EXPECT_EQ(CString(L"0"),
              QueryText(m_db, L"SELECT count(*) FROM " + Table(m_schema) + L" a FULL JOIN " +
                                  Table(target) +
                                  L" b ON a.id = b.id WHERE row(a.*)::text IS DISTINCT FROM "
                                  L"row(b.*)::text"))
        << text;
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();

    // Filters on the values as they are shown find their rows.
    FilterBy(L"ts", L"-infinity");
    EXPECT_TRUE(ql::WaitFor([&] {
        return program.ListItems(grid, 0) == std::vector<std::wstring>{L"2"};
    })) << U8(ql::ShownSQL(program));
    FilterBy(L"ts", L"0044/03/15 12:00:00.250 BC");
    EXPECT_TRUE(ql::WaitFor([&] {
        return program.ListItems(grid, 0) == std::vector<std::wstring>{L"4"};
    })) << U8(ql::ShownSQL(program));
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();

    // The same rows as the user's query show alike (the driver alone drops a date's era).
    ASSERT_TRUE(ql::RunQuery(program, L"SELECT *, DATE '0044-03-15 BC' AS bc FROM " +
                                          std::wstring(Table(m_schema)) + L" ORDER BY id"));
    ASSERT_TRUE(program.WaitForActiveChild(L"SELECT"));
    HWND result = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(result, 0).size() == 4; }));
    for (int column = 1; column < 5; ++column)
    {
        std::vector<std::wstring> expected;
        for (const auto& row : shown)
            expected.push_back(row[column]);
        // (The HTML file writes a blank as a non-breaking space.)
        for (std::wstring& text : expected)
            std::replace(text.begin(), text.end(), L'\xA0', L' ');
        EXPECT_EQ(program.ListItems(result, column), expected) << "column " << column;
    }
    EXPECT_EQ(program.ListItems(result, 5), std::vector<std::wstring>(4, L"0044/03/15 BC"));
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    EXPECT_TRUE(program.Close());
}

// A date before the common era keeps its era in every read: a table window outside a
// transaction (a held cursor) and inside one, and a query inside one, with a CSV save of the
// window read inside the transaction. (The driver alone drops a date's era.)
TEST_F(SaveServerDatesE2E, DatesBeforeTheCommonEraKeepTheirEraInEveryRead)
{
    const CString table = m_schema + L".eras";
    Exec(L"CREATE TABLE " + table + L" (id integer, d date)");
    Exec(L"INSERT INTO " + table + L" VALUES (1, '0044-03-15 BC'), (2, '2024-03-05')");
    const std::vector<std::wstring> shown = {L"0044/03/15 BC", L"2024/03/05"};

    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"eras"));
    HWND grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 2; }));
    EXPECT_EQ(program.ListItems(grid, 1), shown);
    PostMessageW(program.ActiveChild(), WM_CLOSE, 0, 0);

    ASSERT_TRUE(ql::RunQuery(program, L"BEGIN"));
    program.TakeMessageBox();
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"eras"));
    grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 2; }));
    EXPECT_EQ(program.ListItems(grid, 1), shown);
    const std::wstring csv = m_folder + L"\\eras.csv";
    ASSERT_TRUE(SaveGridAs(csv, L"Comma separated"));
    const std::wstring text = QlSave::WriteCommaSeparated(program, csv);
    EXPECT_NE(text.find(L"\n1," + shown[0] + L"\n"), std::wstring::npos) << U8(text);

    ASSERT_TRUE(ql::RunQuery(program, L"SELECT * FROM " + std::wstring(table) + L" ORDER BY id"));
    ASSERT_TRUE(program.WaitForActiveChild(L"SELECT"));
    HWND result = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(result, 0).size() == 2; }));
    EXPECT_EQ(program.ListItems(result, 1), shown);
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    ASSERT_TRUE(ql::RunQuery(program, L"ROLLBACK"));
    program.TakeMessageBox();
    EXPECT_TRUE(program.Close());
}

// Dates and timestamps past the year 9999: the driver hands over only their year, so they show
// and save as that year with the rest unknown, never as the driver's stand-in (today's date);
// real values that look like the stand-ins stay as they are. An INSERT script, which would have
// to write them as some date, is refused. (A table's timestamptz comes as the server's text,
// whole.)
TEST_F(SaveServerDatesE2E, DatesPastTheYear9999NeverPassForOtherDates)
{
    const CString table = m_schema + L".far";
    Exec(L"CREATE TABLE " + table + Columns());
    Exec(L"INSERT INTO " + table +
         L" VALUES (1, '12345-06-07', '12345-06-07 01:02:03', '12345-06-07 01:02:03+00', 0), "
         L"(2, make_date(2000, extract(month FROM current_date)::int, "
         L"extract(day FROM current_date)::int), current_date, NULL, 0), "
         L"(3, current_date, '2024-03-05 00:00:00', NULL, 0)");
    const std::wstring today(QueryText(m_db, L"SELECT to_char(current_date, 'YYYY/MM/DD')"));
    const std::wstring todayIn2000 = L"2000" + today.substr(4);
    const std::wstring farDate = L"12345/?\?/?\?"; // ("\?": no trigraph)
    const std::wstring farTimestamp = farDate + L" ??:??:??";

    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"far"));
    HWND grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 3; }));
    EXPECT_EQ(program.ListItems(grid, 1), (std::vector<std::wstring>{farDate, todayIn2000, today}));
    EXPECT_EQ(
        program.ListItems(grid, 2),
        (std::vector<std::wstring>{farTimestamp, today + L" 00:00:00", L"2024/03/05 00:00:00"}));
    // A timestamptz is read as the server's text, which has the whole date.
    EXPECT_EQ(program.ListItems(grid, 3)[0].rfind(L"12345-06-07 ", 0), 0u)
        << U8(program.ListItems(grid, 3)[0]);

    const std::wstring html = m_folder + L"\\far.htm";
    ASSERT_TRUE(SaveGridAs(html, L"HTML"));
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(html).empty());
    ql::CHtmlCells cells;
    std::string out;
    ASSERT_TRUE(ql::ReadHtmlCells(html, cells, &out)) << out;
    ASSERT_EQ(4u, cells.rows.size());
    const std::wstring farCell = farDate + L"\xA0??:??:??";
    ASSERT_EQ(cells.rows[1].size(), 5u);
    EXPECT_EQ(cells.rows[1][0] + cells.rows[1][1] + cells.rows[1][2] + cells.rows[1][4],
              L"1" + farDate + farCell + L"0");
    EXPECT_EQ(cells.rows[1][3].rfind(L"12345-06-07\xA0", 0), 0u) << U8(cells.rows[1][3]);
    EXPECT_EQ(cells.rows[2][1], todayIn2000);
    EXPECT_EQ(cells.rows[3][1], today);

    const std::wstring script = m_folder + L"\\far.sql";
    ASSERT_TRUE(SaveGridAs(script, L"SQL script"));
    HWND options = program.WaitForDialog(L"Save As SQL Script");
    ASSERT_NE(options, nullptr);
    ql::CProgram::ChooseInsertScriptOptions(options, 4, 2, false);
    const std::wstring refusal = program.TakeMessageBox();
    EXPECT_NE(refusal.find(L"after the year 9999"), std::wstring::npos) << U8(refusal);
    EXPECT_NE(refusal.find(L"Nothing was saved."), std::wstring::npos) << U8(refusal);
    EXPECT_TRUE(program.Close());
}

// A number of hundreds of digits and times with microseconds: the grid shows them whole (two
// values a microsecond apart never read alike); a copy of the row carries every digit into
// another table's grid, whose new row stores the same values, and CSV, HTML and a workbook hold
// them whole.
TEST_F(SaveServerDatesE2E, LongNumbersAndMicrosecondsAreCopiedAndSavedWhole)
{
    const std::wstring number = std::wstring(300, L'9') + L".123456789123456789123456789";
    const CString columns = L" (id integer, n numeric, t time(6), ts timestamp(6))";
    Exec(L"CREATE TABLE " + m_schema + L".frac" + columns);
    Exec(L"CREATE TABLE " + m_schema + L".frac_copy" + columns);
    Exec(L"INSERT INTO " + m_schema + L".frac VALUES (1, " + number.c_str() +
         L", '07:08:09.123456', '2024-03-05 07:08:09.000001')");
    const std::vector<std::wstring> whole = {L"1", number, L"07:08:09.123456",
                                             L"2024/03/05 07:08:09.000001"};

    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"frac"));
    HWND grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 1; }));
    EXPECT_EQ(program.ListItems(grid, 1)[0], number);
    EXPECT_EQ(program.ListItems(grid, 2)[0], whole[2]);
    EXPECT_EQ(program.ListItems(grid, 3)[0], whole[3]);

    const std::wstring csv = m_folder + L"\\frac.csv";
    ASSERT_TRUE(SaveGridAs(csv, L"Comma separated"));
    const std::wstring text = QlSave::WriteCommaSeparated(program, csv);
    EXPECT_NE(
        text.find(L"\n" + whole[0] + L"," + whole[1] + L"," + whole[2] + L"," + whole[3] + L"\n"),
        std::wstring::npos)
        << U8(text);

    const std::wstring html = m_folder + L"\\frac.htm";
    ASSERT_TRUE(SaveGridAs(html, L"HTML"));
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(html).empty());
    ql::CHtmlCells cells;
    std::string out;
    ASSERT_TRUE(ql::ReadHtmlCells(html, cells, &out)) << out;
    ASSERT_EQ(2u, cells.rows.size());
    EXPECT_EQ(cells.rows[1], (std::vector<std::wstring>{whole[0], whole[1], whole[2],
                                                        L"2024/03/05\xA0"
                                                        L"07:08:09.000001"}));

    const std::wstring book = m_folder + L"\\frac";
    ASSERT_TRUE(SaveGridAs(book, L"Excel"));
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(book + L".xlsx").empty());
    ql::CWorkbookCells sheet;
    ASSERT_TRUE(ql::ReadWorkbookCells(book + L".xlsx", sheet, &out)) << out;
    ASSERT_FALSE(sheet.rows.empty());
    EXPECT_EQ(sheet.rows.back(), whole);

    const std::wstring script = m_folder + L"\\frac.sql";
    ASSERT_TRUE(SaveGridAs(script, L"SQL script"));
    const std::string inserts = QlSave::WritePostgresScript(program, script);
    const CString replayed = CreateSchema(L"qlfrac_t_");
    Exec(L"CREATE TABLE " + replayed + L".frac" + columns);
    ASSERT_EQ(0, ql::RunPsqlScript(script, std::wstring(replayed), &out)) << out << "\n" << inserts;
    EXPECT_EQ(CString(L"0"),
              QlConnTest::CountDifferingRows(m_db, m_schema + L".frac", replayed + L".frac"));

    // The row copied and pasted into the other table's window, and stored there.
    ASSERT_TRUE(program.ClickListCell(grid, 0, 0));
    program.PostCommand(ID_EDIT_COPY);
    const std::wstring copied =
        whole[0] + L"\t" + whole[1] + L"\t" + whole[2] + L"\t" + whole[3] + L"\t";
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ClipboardText() == copied; }))
        << U8(ql::ClipboardText());
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"frac_copy"));
    HWND target = ql::GridOf(program.ActiveChild());
    ASSERT_NE(target, grid);
    program.PostCommand(ID_EDIT_PASTE);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(target, 0).size() == 1; }));
    ql::CProgram::PressKey(target, VK_RETURN);
    EXPECT_TRUE(ql::WaitFor([&] {
        return QueryText(m_db, L"SELECT count(*) FROM " + m_schema + L".frac_copy") == L"1";
    }));
    EXPECT_EQ(CString(L"0"),
              QlConnTest::CountDifferingRows(m_db, m_schema + L".frac", m_schema + L".frac_copy"));

    // The number's cell opens in its editor whole, never as a value too long to edit.
    ASSERT_TRUE(program.ClickListCell(target, 0, 1));
    ql::CProgram::PressKey(target, VK_SPACE);
    const std::wstring notice = program.TakeMessageBox(20000, IDYES);
    EXPECT_EQ(notice.rfind(L"No key identifies", 0), 0u) << U8(notice);
    HWND editor = ql::CProgram::WaitForInPlaceEditor(target);
    HWND edit = editor ? GetDlgItem(editor, 2) : nullptr;
    ASSERT_NE(edit, nullptr) << U8(program.TakeMessageBox(0));
    EXPECT_EQ(ql::WindowText(edit), number);
    ql::CProgram::PressKey(edit, VK_ESCAPE);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(editor); }));
    ql::CProgram::PressKey(target, VK_ESCAPE);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    EXPECT_TRUE(program.Close());
}

// The shapes of a read the instants test runs: a table window, and the user's statements.
enum class Shape
{
    TableWindow,
    Select,
    Values,
    Table,
    ParenthesizedUnion,
    WithInsert,
    Execute,
};

// The two instants of the hour the clock turns back in the session's zone (Europe/Berlin), a
// date BC, timestamps a fraction of a millisecond apart and numerics of their own scales: shown,
// copied and saved (CSV, HTML, a workbook, an INSERT script psql replays in another zone) each as
// psql shows them in the same session, and an edit of another column of the later instant's row
// changes that row alone. Run in a table window of a table without a key, and in the results of
// the user's statements of every shape over a keyed table (which the driver alone would hand over
// as local time without the offset): those read another way than the driver's (VALUES, TABLE, a
// set operation in parentheses, a WITH that inserts rows, which runs once) like the one SELECT;
// EXECUTE, which cannot be read another way without running it twice, marks the columns the
// driver hands over without their offset or era and says so once.
class InstantsE2E : public SaveServerDatesE2E, public ::testing::WithParamInterface<Shape>
{
protected:
    // The rows psql prints for the statements in the session's zone, "|" between the values.
    std::vector<std::wstring> PsqlRows(const std::wstring& statements)
    {
        const std::wstring script = m_folder + L"\\psql.sql";
        const std::string text = U8(L"SET TimeZone TO 'Europe/Berlin';\n" + statements + L";\n");
        FILE* f = _wfopen(script.c_str(), L"wb");
        if (f == nullptr)
            return {L"cannot write the script"};
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        std::string out;
        ql::RunNative(L"env PGPASSWORD=quenlark PGCLIENTENCODING=UTF8 PGOPTIONS=-csearch_path=" +
                          std::wstring(m_schema) +
                          L" psql -X -q -A -t -v ON_ERROR_STOP=1 -h 127.0.0.1 -U quenlark -d "
                          L"quenlark -f '" +
                          ql::UnixPath(script) + L"' 2>&1",
                      &out);
        std::vector<std::wstring> rows;
        std::wstring all(MultiByteToWideChar(CP_UTF8, 0, out.data(), (int)out.size(), nullptr, 0),
                         L'\0');
        MultiByteToWideChar(CP_UTF8, 0, out.data(), (int)out.size(), all.data(), (int)all.size());
        std::wstring line;
        for (wchar_t ch : all)
        {
            if (ch != L'\n')
                line += ch;
            else if (!line.empty())
                rows.push_back(std::exchange(line, std::wstring()));
        }
        return rows;
    }
};

// psql's date and timestamp as the grid writes them: "2024-02-29" as "2024/02/29".
std::wstring Slashed(std::wstring text)
{
    if (text.size() >= 10 && text[4] == L'-' && text[7] == L'-')
        text[4] = text[7] = L'/';
    return text;
}

TEST_P(InstantsE2E, InstantsOfTheHourTheClockTurnsBackStayApart)
{
    const Shape shape = GetParam();
    const bool window = shape == Shape::TableWindow;
    const bool edits = window || shape == Shape::Select;
    const CString table = m_schema + L".instants";
    const CString columns =
        !window ? L" (id integer PRIMARY KEY, at timestamptz, n numeric, note text, d date, ts "
                  L"timestamp(6))"
                : L" (id integer, at timestamptz, n numeric, note text, d date, ts timestamp(6))";
    Exec(L"CREATE TABLE " + table + columns);
    Exec(L"CREATE TABLE " + table + L"_log" + columns);
    const std::wstring rows =
        L"(1, '2024-10-27 00:30:00+00', 12.50, 'a', '0044-03-15 BC', '2024-10-27 02:30:00.123'), "
        L"(2, '2024-10-27 01:30:00+00', 12.5, 'b', '2024-02-29', '2024-10-27 02:30:00.123456'), "
        L"(3, NULL, 7, 'c', NULL, NULL)";
    const std::wstring t(table);
    std::wstring query;
    switch (shape)
    {
    case Shape::TableWindow: break;
    case Shape::Select: query = L"SELECT * FROM " + t + L" ORDER BY id -- the rows in order"; break;
    case Shape::Values:
        query = L"VALUES (1, timestamptz '2024-10-27 00:30:00+00', 12.50, 'a', date "
                L"'0044-03-15 BC', timestamp '2024-10-27 02:30:00.123'), (2, timestamptz "
                L"'2024-10-27 01:30:00+00', 12.5, 'b', date '2024-02-29', timestamp '2024-10-27 "
                L"02:30:00.123456'), (3, NULL, 7, 'c', NULL, NULL)";
        break;
    case Shape::Table: query = L"TABLE " + t; break;
    case Shape::ParenthesizedUnion:
        query = L"(SELECT * FROM " + t + L" WHERE id < 2) UNION ALL (SELECT * FROM " + t +
                L" WHERE id >= 2 ORDER BY id)";
        break;
    case Shape::WithInsert:
        query = L"WITH ins AS (INSERT INTO " + t + L"_log SELECT * FROM " + t +
                L" RETURNING *) SELECT * FROM ins ORDER BY id";
        break;
    case Shape::Execute: query = L"EXECUTE instants_p(0)"; break;
    }
    Exec(L"INSERT INTO " + table + L" VALUES " + rows.c_str());
    const std::vector<std::wstring> instants = {L"2024-10-27 02:30:00+02",
                                                L"2024-10-27 02:30:00+01", L"<<NULL>>"};
    const std::vector<std::wstring> dates = {L"0044/03/15 BC", L"2024/02/29", L"<<NULL>>"};
    const std::vector<std::wstring> stamps = {L"2024/10/27 02:30:00.123",
                                              L"2024/10/27 02:30:00.123456", L"<<NULL>>"};
    const std::wstring prepare =
        L"PREPARE instants_p(int) AS SELECT * FROM " + t + L" WHERE id > $1 ORDER BY id";

    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    ASSERT_TRUE(ql::RunQuery(program, L"SET TIME ZONE 'Europe/Berlin'"));
    program.TakeMessageBox();
    std::wstring note;
    if (window)
        ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), L"instants"));
    else
    {
        if (shape == Shape::Execute)
        {
            ASSERT_TRUE(ql::RunQuery(program, prepare));
            program.TakeMessageBox();
        }
        ASSERT_TRUE(ql::RunQuery(program, query));
        if (shape == Shape::Execute)
            note = program.TakeMessageBox();
        ASSERT_TRUE(program.WaitForActiveChild(query.substr(0, 6)));
    }
    HWND grid = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid, 0).size() == 3; }));
    EXPECT_EQ(program.ListItems(grid, 2), (std::vector<std::wstring>{L"12.50", L"12.5", L"7"}));
    EXPECT_EQ(program.ListItems(grid, 5), stamps);
    if (shape == Shape::Execute)
    {
        // The driver's local time and AD date, marked, and why said once.
        std::wstring title;
        int format = 0;
        ASSERT_TRUE(program.ListHeaderItem(grid, 1, title, format));
        EXPECT_EQ(title, L"at [no offset]");
        ASSERT_TRUE(program.ListHeaderItem(grid, 4, title, format));
        EXPECT_EQ(title, L"d [no era]");
        EXPECT_NE(note.find(L"without their offset"), std::wstring::npos) << U8(note);
        EXPECT_NE(note.find(L"'d' over without their era"), std::wstring::npos) << U8(note);
        EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
        EXPECT_TRUE(program.Close());
        return;
    }
    EXPECT_EQ(program.ListItems(grid, 1), instants);
    EXPECT_EQ(program.ListItems(grid, 4), dates);
    // What psql prints for the same statement in the same session (a WITH that inserts, from
    // the rows it inserted: run again there, it inserts them once more).
    const std::vector<std::wstring> psql = PsqlRows(
        shape == Shape::WithInsert ? L"SELECT * FROM " + t + L"_log ORDER BY id"
                                   : (window ? L"SELECT * FROM " + t + L" ORDER BY id" : query));
    ASSERT_EQ(psql.size(), 3u) << U8(psql.empty() ? L"" : psql[0]);
    const std::vector<std::wstring> numbers = {L"12.50", L"12.5"}, notes = {L"a", L"b"};
    for (size_t row = 0; row < 2; ++row)
    {
        std::vector<std::wstring> fields(1);
        for (wchar_t ch : psql[row])
            if (ch == L'|')
                fields.emplace_back();
            else
                fields.back().push_back(ch);
        ASSERT_EQ(fields.size(), 6u) << U8(psql[row]);
        EXPECT_EQ(fields[1], instants[row]);
        EXPECT_EQ(fields[2] + fields[3], numbers[row] + notes[row]);
        EXPECT_EQ(Slashed(fields[4]), dates[row]);
        EXPECT_EQ(Slashed(fields[5]), stamps[row]);
    }
    if (shape == Shape::WithInsert)
        EXPECT_EQ(CString(L"3"), QueryText(m_db, L"SELECT count(*) FROM " + table + L"_log"));

    ASSERT_TRUE(program.ClickListCell(grid, 1, 1));
    program.PostCommand(ID_EDIT_COPY_VALUE);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ClipboardText() == instants[1]; }))
        << U8(ql::ClipboardText());
    const std::wstring second =
        L"2\t" + instants[1] + L"\t12.5\tb\t" + dates[1] + L"\t" + stamps[1] + L"\t";
    program.PostCommand(ID_EDIT_COPY);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ClipboardText() == second; }))
        << U8(ql::ClipboardText());

    const std::wstring csv = m_folder + L"\\instants.csv";
    ASSERT_TRUE(SaveGridAs(csv, L"Comma separated"));
    const std::wstring text = QlSave::WriteCommaSeparated(program, csv);
    EXPECT_NE(text.find(L"\n1," + instants[0] + L",12.50,a," + dates[0] + L"," + stamps[0] + L"\n"),
              std::wstring::npos)
        << U8(text);
    EXPECT_NE(text.find(L"\n2," + instants[1] + L",12.5,b," + dates[1] + L"," + stamps[1] + L"\n"),
              std::wstring::npos)
        << U8(text);

    const std::wstring html = m_folder + L"\\instants.htm";
    ASSERT_TRUE(SaveGridAs(html, L"HTML"));
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(html).empty());
    ql::CHtmlCells cells;
    std::string out;
    ASSERT_TRUE(ql::ReadHtmlCells(html, cells, &out)) << out;
    ASSERT_EQ(4u, cells.rows.size());
    for (size_t row = 0; row < 2; ++row)
    {
        ASSERT_EQ(cells.rows[row + 1].size(), 6u);
        std::wstring at = cells.rows[row + 1][1], stamp = cells.rows[row + 1][5];
        std::replace(at.begin(), at.end(), L'\xA0', L' ');
        std::replace(stamp.begin(), stamp.end(), L'\xA0', L' ');
        EXPECT_EQ(at, instants[row]);
        EXPECT_EQ(stamp, stamps[row]);
    }

    const std::wstring book = m_folder + L"\\instants";
    ASSERT_TRUE(SaveGridAs(book, L"Excel"));
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(book + L".xlsx").empty());
    ql::CWorkbookCells sheet;
    ASSERT_TRUE(ql::ReadWorkbookCells(book + L".xlsx", sheet, &out)) << out;
    ASSERT_GE(sheet.rows.size(), 3u);
    const size_t first = sheet.rows.size() - 3;
    // (A workbook holds a numeric as a number cell: 12.5 is its value.)
    for (size_t row = 0; row < 2; ++row)
    {
        ASSERT_GE(sheet.rows[first + row].size(), 6u);
        EXPECT_EQ(sheet.rows[first + row][1], instants[row]);
        EXPECT_EQ(sheet.rows[first + row][5], stamps[row]);
    }

    // Replayed by psql in another zone, the same instants and numerics (a query's result is
    // no table to write INSERT statements for).
    if (window)
    {
        const std::wstring script = m_folder + L"\\instants.sql";
        ASSERT_TRUE(SaveGridAs(script, L"SQL script"));
        const std::string inserts = QlSave::WritePostgresScript(program, script);
        const CString replayed = CreateSchema(L"qlinst_t_");
        Exec(L"CREATE TABLE " + replayed + L".instants" + columns);
        ASSERT_EQ(0, ql::RunPsqlScript(script, std::wstring(replayed), &out)) << out << "\n"
                                                                              << inserts;
        EXPECT_EQ(CString(L"0"),
                  QlConnTest::CountDifferingRows(m_db, table, replayed + L".instants"))
            << inserts;
        EXPECT_EQ(CString(L"12.50"),
                  QueryText(m_db, L"SELECT n::text FROM " + replayed + L".instants WHERE id = 1"));
    }
    if (!edits)
    {
        EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
        EXPECT_TRUE(program.Close());
        return;
    }

    // The note of the later instant's row.
    ASSERT_TRUE(program.ClickListCell(grid, 1, 3));
    ql::CProgram::PressKey(grid, VK_SPACE);
    ql::WaitFor([&] {
        return ql::CProgram::InPlaceEditor(grid) != nullptr || program.FindMessageBox() != nullptr;
    });
    if (program.FindMessageBox() != nullptr)
        program.TakeMessageBox(0, IDYES);
    ASSERT_TRUE(ql::CProgram::SetInPlaceValue(grid, L"changed", false, VK_RETURN));
    ql::CProgram::PressKey(grid, VK_RETURN);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(nullptr, program.FindMessageBox()) << U8(program.TakeMessageBox(0));
    EXPECT_TRUE(ql::WaitFor([&] {
        return QueryText(m_db, L"SELECT string_agg(note || ' ' || (at AT TIME ZONE 'UTC'), ', ' "
                               L"ORDER BY id) FROM " +
                                   table + L" WHERE at IS NOT NULL") ==
               L"a 2024-10-27 00:30:00, changed 2024-10-27 01:30:00";
    })) << U8(std::wstring(QueryText(m_db,
                                     L"SELECT string_agg(note, ',' ORDER BY id) FROM " + table)));
    if (!window)
    {
        // The instant itself, typed with its offset, is stored as typed.
        ASSERT_TRUE(program.ClickListCell(grid, 0, 1));
        ql::CProgram::PressKey(grid, VK_SPACE);
        ASSERT_TRUE(
            ql::CProgram::SetInPlaceValue(grid, L"2024-10-27 02:45:00+01", false, VK_RETURN));
        ql::CProgram::PressKey(grid, VK_RETURN);
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(nullptr, program.FindMessageBox()) << U8(program.TakeMessageBox(0));
        EXPECT_TRUE(ql::WaitFor([&] {
            return QueryText(m_db, L"SELECT (at AT TIME ZONE 'UTC')::text FROM " + table +
                                       L" WHERE id = 1") == L"2024-10-27 01:45:00";
        }));
    }
    EXPECT_TRUE(program.Close());
}

std::string ShapeName(const ::testing::TestParamInfo<Shape>& info)
{
    static const char* const names[] = {"TableWindow",        "Select",     "Values", "Table",
                                        "ParenthesizedUnion", "WithInsert", "Execute"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryShape, InstantsE2E,
                         ::testing::Values(Shape::TableWindow, Shape::Select, Shape::Values,
                                           Shape::Table, Shape::ParenthesizedUnion,
                                           Shape::WithInsert, Shape::Execute),
                         ShapeName);

} // namespace
