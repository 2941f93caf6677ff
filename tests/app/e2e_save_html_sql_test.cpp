// End to end on PostgreSQL: a table with hostile names and values opened in a grid window of
// the real program and saved with Query > Save Data... as HTML, read back by Python's own
// HTML parser, and as an INSERT script for PostgreSQL, run by psql into a fresh schema where
// every row reads back identical.
#include "tests/app/e2e_save.h"

namespace {

using QlConnTest::QueryText;
using QlSave::U8;

const wchar_t kTable[] = L"Order Items";

// What a browser shows of a text the HTML writer escaped: blanks are no-break spaces, line
// breaks (CR LF or LF) are <BR>, an empty text is one no-break space.
std::wstring Shown(const std::wstring& text)
{
    if (text.empty())
        return L"\xA0";
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
            continue;
        shown += text[i] == L' ' ? L'\xA0' : text[i];
    }
    return shown;
}

// Table and column names a careless writer would break: a blank, mixed case, markup.
const wchar_t kMarkupColumn[] = L"<img src=x onerror=alert(1)>";
const wchar_t kHostileNote[] = L"it's \\ \"q\"; -- x /* y */\r\ntwo\nthree\rfour";
const wchar_t kMarkupValue[] = L"<script>alert(2)</script> & \"amp\"";

class SaveHtmlSqlE2E : public QlSave::CPostgresSaveTest
{
protected:
    SaveHtmlSqlE2E() : CPostgresSaveTest(L"save_html_sql") {}
    void SetUp() override
    {
        CPostgresSaveTest::SetUp();
        if (HasFatalFailure())
            return;
        m_schema = CreateSchema(L"qlsave_");
        Exec(L"CREATE TABLE " + Table(m_schema) + Columns());
        Exec(L"INSERT INTO " + Table(m_schema) +
             L" VALUES (1, 'it''s \\ \"q\"; -- x /* y */' || E'\\r\\ntwo\\nthree\\rfour', "
             L"'<script>alert(2)</script> & \"amp\"', '\\x00ff27'::bytea, "
             L"'2024-02-29 23:59:59.123456', 12345678901234567890.1234567890, "
             L"1234567890123456789)");
        Exec(L"INSERT INTO " + Table(m_schema) +
             L" VALUES (2, 'Ж€😀', '', ''::bytea, '1999-12-31 00:00:00', -0.0000000001, "
             L"-9223372036854775807)");
        Exec(L"INSERT INTO " + Table(m_schema) + L" (\"Id\") VALUES (3)");
    }

    static CString Table(const CString& schema) { return schema + L".\"" + kTable + L"\""; }
    static CString Columns()
    {
        return L" (\"Id\" integer, \"Note\" text, \"<img src=x onerror=alert(1)>\" text, "
               L"payload bytea, \"At\" timestamp(6), amount numeric(38,10), \"BIG\" bigint)";
    }

    CString m_schema;
};

TEST_F(SaveHtmlSqlE2E, TableGridToHtmlAndToAnInsertScriptThatRecreatesTheRows)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), kTable));

    // HTML: Python's parser sees the names and values as text, never as markup.
    const std::wstring html = m_folder + L"\\items.htm";
    ASSERT_TRUE(SaveGridAs(html, L"HTML"));
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(html).empty());
    ql::CHtmlCells cells;
    std::string out;
    ASSERT_TRUE(ql::ReadHtmlCells(html, cells, &out)) << out;
    EXPECT_EQ(std::wstring::npos, cells.tags.find(L"img")) << U8(cells.tags);
    EXPECT_EQ(std::wstring::npos, cells.tags.find(L"script")) << U8(cells.tags);
    EXPECT_EQ(Shown(std::wstring(m_schema) + L"." + kTable), cells.heading);
    ASSERT_EQ(4u, cells.rows.size()); // the header and three rows
    const std::vector<std::wstring> header = {
        L"Id", L"Note", Shown(kMarkupColumn), L"payload", L"At", L"amount", L"BIG"};
    EXPECT_EQ(header, cells.rows[0]);
    const auto& first = cells.rows[1];
    ASSERT_EQ(first.size(), 7u);
    EXPECT_EQ(L"1", first[0]);
    EXPECT_EQ(Shown(kHostileNote), first[1]);
    EXPECT_EQ(Shown(kMarkupValue), first[2]);
    // A timestamp with every digit of its fraction (the grid shows milliseconds).
    EXPECT_EQ(Shown(L"2024/02/29 23:59:59.123456"), first[4]);
    EXPECT_EQ(L"12345678901234567890.1234567890", first[5]);
    EXPECT_EQ(L"1234567890123456789", first[6]);
    const auto& second = cells.rows[2];
    ASSERT_EQ(second.size(), 7u);
    EXPECT_EQ(L"Ж€😀", second[1]);
    EXPECT_EQ(L"\xA0", second[2]); // an empty text
    EXPECT_EQ(L"-9223372036854775807", second[6]);
    // NULL as the grids show it ("Show <<NULL>>" is on by default).
    const std::vector<std::wstring> nulls = {L"3",        L"<<NULL>>", L"<<NULL>>", L"<<NULL>>",
                                             L"<<NULL>>", L"<<NULL>>", L"<<NULL>>"};
    EXPECT_EQ(nulls, cells.rows[3]);

    // The INSERT script for PostgreSQL in UTF-8, without the schema: psql runs it into a fresh
    // schema.
    const std::wstring script = m_folder + L"\\items.sql";
    ASSERT_TRUE(SaveGridAs(script, L"SQL script"));
    const std::string text = QlSave::WritePostgresScript(program, script);
    ASSERT_NE(std::string::npos, text.find("INSERT INTO \"Order Items\" (")) << text.substr(0, 200);

    const CString target = CreateSchema(L"qlsave_t_");
    Exec(L"CREATE TABLE " + Table(target) + Columns());
    ASSERT_EQ(0, ql::RunPsqlScript(script, std::wstring(target), &out)) << out;
    EXPECT_EQ(CString(L"3"), QueryText(m_db, L"SELECT count(*) FROM " + Table(target)));
    EXPECT_EQ(CString(L"0"), QlConnTest::CountDifferingRows(m_db, Table(m_schema), Table(target)));
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    EXPECT_TRUE(program.Close());
}

} // namespace
