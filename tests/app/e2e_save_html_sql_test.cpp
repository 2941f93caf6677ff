// End to end on PostgreSQL: a table with hostile names and values opened in a grid window of
// the real program and saved with Query > Save Data... as HTML, read back by Python's own
// HTML parser, and as an INSERT script for PostgreSQL, run by psql into a fresh schema where
// every row reads back identical.
#include "tests/support/program_driver.h"

#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::QueryText;

const UINT kSaveData = 32828; // Query > Save Data...
const wchar_t kTable[] = L"Order Items";

std::string U8(const std::wstring& s)
{
    return std::string(CStringA(s.c_str()));
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::wstring::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

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

class SaveHtmlSqlE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        QlConnTest::OpenOrFail(m_db, QlTestDb::PostgresConnect());
        m_schema = L"qlsave_" + CString(ql::UniqueSuffix().c_str());
        Exec(L"CREATE SCHEMA " + m_schema);
        m_schemas.push_back(m_schema);
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
        m_folder = ql::ScratchFolder(L"save_html_sql_" + ql::UniqueSuffix());
    }
    void TearDown() override
    {
        program.Kill();
        for (const CString& schema : m_schemas)
            QlConnTest::Catch([&] { m_db.ExecuteSQL(L"DROP SCHEMA " + schema + L" CASCADE"); });
        ql::CleanSettings();
    }

    void Exec(const CString& sql)
    {
        auto e = QlConnTest::Catch([&] { m_db.ExecuteSQL(sql); });
        ASSERT_FALSE(e) << U8(sql.GetString()) << ": " << QlConnTest::Narrow(e->m_strError);
    }
    static CString Table(const CString& schema) { return schema + L".\"" + kTable + L"\""; }
    static CString Columns()
    {
        return L" (\"Id\" integer, \"Note\" text, \"<img src=x onerror=alert(1)>\" text, "
               L"payload bytea, \"At\" timestamp(6), amount numeric(38,10), \"BIG\" bigint)";
    }

    // Query > Save Data... on the grid: the file dialog with this file and type.
    bool SaveGridAs(const std::wstring& path, const std::wstring& type)
    {
        program.PostCommand(kSaveData);
        HWND save = program.WaitForDialog(L"Save As");
        return save != nullptr && ql::CProgram::ChooseSaveFile(save, path, type);
    }

    CRDatabase m_db;
    CString m_schema;
    std::vector<CString> m_schemas;
    std::wstring m_folder;
    ql::CProgram program;
};

TEST_F(SaveHtmlSqlE2E, TableGridToHtmlAndToAnInsertScriptThatRecreatesTheRows)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(m_schema), kTable));

    // HTML: Python's parser sees the names and values as text, never as markup.
    const std::wstring html = m_folder + L"\\items.htm";
    ASSERT_TRUE(SaveGridAs(html, L"HTML"));
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(html).empty());
    const std::wstring cellsFile = m_folder + L"\\cells.txt";
    std::string out;
    ASSERT_EQ(0, ql::RunNative(L"/usr/bin/python3 " + ql::SourceDirUnix() +
                                   L"/tests/support/html_cells.py '" + ql::UnixPath(html) + L"' '" +
                                   ql::UnixPath(cellsFile) + L"'",
                               &out))
        << out;
    const std::string raw = ql::ReadFileBytes(cellsFile);
    const auto records = Split(std::wstring((const wchar_t*)raw.data(), raw.size() / 2), L'\x1E');
    ASSERT_EQ(records.size(), 6u); // tags, heading, header row, three rows
    EXPECT_EQ(std::wstring::npos, records[0].find(L"img")) << U8(records[0]);
    EXPECT_EQ(std::wstring::npos, records[0].find(L"script")) << U8(records[0]);
    EXPECT_EQ(Shown(std::wstring(m_schema) + L"." + kTable), records[1]);
    const std::vector<std::wstring> header = {
        L"Id", L"Note", Shown(kMarkupColumn), L"payload", L"At", L"amount", L"BIG"};
    EXPECT_EQ(header, Split(records[2], L'\x1F'));
    const auto first = Split(records[3], L'\x1F');
    ASSERT_EQ(first.size(), 7u);
    EXPECT_EQ(L"1", first[0]);
    EXPECT_EQ(Shown(kHostileNote), first[1]);
    EXPECT_EQ(Shown(kMarkupValue), first[2]);
    EXPECT_EQ(Shown(L"2024/02/29 23:59:59.123"), first[4]); // the grid's text of a timestamp
    EXPECT_EQ(L"12345678901234567890.1234567890", first[5]);
    EXPECT_EQ(L"1234567890123456789", first[6]);
    const auto second = Split(records[4], L'\x1F');
    ASSERT_EQ(second.size(), 7u);
    EXPECT_EQ(L"Ж€😀", second[1]);
    EXPECT_EQ(L"\xA0", second[2]); // an empty text
    EXPECT_EQ(L"-9223372036854775807", second[6]);
    // NULL as the grids show it ("Show <<NULL>>" is on by default).
    const std::vector<std::wstring> nulls = {L"3",        L"<<NULL>>", L"<<NULL>>", L"<<NULL>>",
                                             L"<<NULL>>", L"<<NULL>>", L"<<NULL>>"};
    EXPECT_EQ(nulls, Split(records[5], L'\x1F'));

    // The INSERT script for PostgreSQL in UTF-8, without the schema: psql runs it into a fresh
    // schema.
    const std::wstring script = m_folder + L"\\items.sql";
    ASSERT_TRUE(SaveGridAs(script, L"SQL script"));
    HWND options = program.WaitForDialog(L"Save As SQL Script");
    ASSERT_NE(options, nullptr);
    SendMessageW(ql::CProgram::Item(options, 1020), CB_SETCURSEL, 1, 0); // ";"
    SendMessageW(ql::CProgram::Item(options, 1094), CB_SETCURSEL, 4, 0); // PostgreSQL
    SendMessageW(ql::CProgram::Item(options, 1179), CB_SETCURSEL, 2, 0); // UTF-8
    SendMessageW(ql::CProgram::Item(options, 1101), BM_SETCHECK, BST_UNCHECKED, 0);
    ql::CProgram::Click(options, IDOK);
    const std::string text = ql::CProgram::WaitForClosedFile(script);
    ASSERT_NE(std::string::npos, text.find("INSERT INTO \"Order Items\" (")) << text.substr(0, 200);

    const CString target = L"qlsave_t_" + CString(ql::UniqueSuffix().c_str());
    Exec(L"CREATE SCHEMA " + target);
    m_schemas.push_back(target);
    Exec(L"CREATE TABLE " + Table(target) + Columns());
    ASSERT_EQ(0, ql::RunNative(L"env PGPASSWORD=quenlark PGCLIENTENCODING=UTF8 "
                               L"PGOPTIONS=-csearch_path=" +
                                   std::wstring(target) +
                                   L" psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -U quenlark "
                                   L"-d quenlark -f '" +
                                   ql::UnixPath(script) + L"'",
                               &out))
        << out;
    EXPECT_EQ(CString(L"3"), QueryText(m_db, L"SELECT count(*) FROM " + Table(target)));
    EXPECT_EQ(CString(L"0"),
              QueryText(m_db, L"SELECT count(*) FROM ((SELECT * FROM " + Table(m_schema) +
                                  L" EXCEPT ALL SELECT * FROM " + Table(target) +
                                  L") UNION ALL (SELECT * FROM " + Table(target) +
                                  L" EXCEPT ALL SELECT * FROM " + Table(m_schema) + L")) d"));
    EXPECT_EQ(nullptr, program.FindMessageBox());
    EXPECT_TRUE(program.Close());
}

} // namespace
