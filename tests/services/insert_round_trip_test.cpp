// INSERT scripts recreate rows exactly: hostile values and names are read from PostgreSQL,
// MariaDB and SQLite (forward-only, unbound, numbers as text, as a multi-table save opens
// them; and through a memory cursor), written for the PostgreSQL target in UTF-8, run by psql
// into a fresh schema and compared with the reference rows inside PostgreSQL.
#include "export_test_util.h"

#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "services/sql_data_file.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <memory>

using namespace QlExportTest;

namespace {

CString Unique(LPCWSTR base)
{
    return CString(base) + L"_" + QlTestDb::UniqueTag().c_str();
}

// The table of hostile values, named with a blank, mixed case, a double quote and a
// non-ASCII letter; its columns likewise.
const wchar_t kTable[] = L"Ord\"er Items Ж";

// The rows as each product's own SQL (id, text, bytes, timestamp, numeric(38,10), bigint).
struct CProductSQL
{
    LPCWSTR create; // %s: the quoted table name
    std::vector<CString> inserts;
};

CString QuotePg(const CString& name)
{
    CString s = name;
    s.Replace(L"\"", L"\"\"");
    return L"\"" + s + L"\"";
}

CString QuoteMy(const CString& name)
{
    CString s = name;
    s.Replace(L"`", L"``");
    return L"`" + s + L"`";
}

std::vector<CString> RowsSQL(bool mariadb, bool sqlite, const CString& table)
{
    // Text with every hostile piece: quotes, backslash, comment starts, separators, line breaks.
    CString hostile = L"it''s \\ \"q\"; -- x /* y */ GO\r\n/\rz\n";
    if (mariadb)
        hostile.Replace(L"\\", L"\\\\");
    CString bytes = sqlite || mariadb ? L"X'00ff27'" : L"'\\x00ff27'::bytea";
    CString empty = sqlite || mariadb ? L"X''" : L"''::bytea";
    CString head = L"INSERT INTO " + table + L" VALUES ";
    std::vector<CString> rows;
    rows.push_back(head + L"(1, '" + hostile + L"', " + bytes +
                   L", '2024-02-29 23:59:59.123456', '12345678901234567890.1234567890', "
                   L"1234567890123456789)");
    // The SQLite driver garbles a character beyond U+FFFF in statement text; its char() makes it.
    CString emoji = sqlite ? L"'Ж€' || char(128512)" : L"'Ж€😀'";
    rows.push_back(head + L"(2, " + emoji + L", " + empty +
                   L", '1999-12-31 00:00:00', '-0.0000000001', -9223372036854775807)");
    rows.push_back(head + L"(3, '', NULL, NULL, '0', 0)");
    rows.push_back(head + L"(4, NULL, NULL, NULL, NULL, NULL)");
    CString big;
    // About 1 MB of text with line breaks and quotes inside.
    for (int i = 0; i < 20000; ++i)
        big += L"line ''quoted'' Ж and more text to fill a long value\n";
    rows.push_back(head + L"(5, '" + big +
                   L"', NULL, '2000-01-01 12:00:00.000001', "
                   L"'99999999999999999999999999.9999999999', 9223372036854775807)");
    return rows;
}

void Exec(CRDatabase& db, const CString& sql)
{
    db.ExecuteSQL(sql);
}

// Writes every row of the cursor as one table of a script for PostgreSQL in UTF-8.
void WriteScript(const CString& path, Zelt::ICursor& cursor, CRDatabase* pDatabase)
{
    CSQLScriptOptions options;
    options.strSeparator = L";";
    options.nTarget = SQLTARGET_POSTGRESQL;
    options.nEncoding = SQLENC_UTF8;
    CSQLDataFile file(path, options, pDatabase);
    CStringPair name(L"", kTable);
    int n = cursor.GetColumnCount();
    file.BeginFile();
    file.BeginTable(name, L"");
    for (int i = 0; i < n; ++i)
        file.AddColumnHeader(&cursor, i);
    file.EndHeader(name);
    if (cursor.GetRecordCount() >= 1 && !cursor.IsEOF())
        do
        {
            file.BeginRow();
            for (int i = 0; i < n; ++i)
                file.AddValue(&cursor, i);
            file.EndRow();
        } while (cursor.MoveNext() && !cursor.IsEOF());
    file.EndTable(name);
    file.EndFile();
}

class InsertRoundTrip : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            m_pg.Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        m_strReference = Unique(L"ql_ref");
        Exec(m_pg, L"CREATE SCHEMA " + m_strReference);
        Exec(m_pg, L"CREATE TABLE " + m_strReference + L"." + QuotePg(kTable) + PgColumns());
        for (const CString& row : RowsSQL(false, false, m_strReference + L"." + QuotePg(kTable)))
            Exec(m_pg, row);
    }
    void TearDown() override
    {
        for (const CString& schema : m_schemas)
            Exec(m_pg, L"DROP SCHEMA " + schema + L" CASCADE");
        Exec(m_pg, L"DROP SCHEMA " + m_strReference + L" CASCADE");
    }

    static CString PgColumns()
    {
        return L" (\"Id\" integer, \"Unit \"\"Text\"\" naïve\" text, payload bytea, "
               L"\"At\" timestamp(6), amount numeric(38,10), \"BIG\" bigint)";
    }

    // Runs the script into a fresh schema and counts the rows that differ from the reference.
    CString RunAndCompare(const CString& scriptUnix)
    {
        CString schema = Unique(L"ql_tgt");
        m_schemas.push_back(schema);
        Exec(m_pg, L"CREATE SCHEMA " + schema);
        Exec(m_pg, L"CREATE TABLE " + schema + L"." + QuotePg(kTable) + PgColumns());
        std::string out;
        int rc = ql::RunPsqlScript(std::wstring(QlTestDb::WindowsPathOf(scriptUnix)),
                                   std::wstring(schema), &out);
        EXPECT_EQ(0, rc) << out;
        CString ref = m_strReference + L"." + QuotePg(kTable);
        CString tgt = schema + L"." + QuotePg(kTable);
        EXPECT_EQ(CString(L"5"), QlConnTest::QueryText(m_pg, L"SELECT count(*) FROM " + tgt));
        return QlConnTest::CountDifferingRows(m_pg, ref, tgt);
    }

    void FromSQLiteBody();
    void FromMariaDBBody();

    CRDatabase m_pg;
    CString m_strReference;
    std::vector<CString> m_schemas;
};

} // namespace

TEST_F(InsertRoundTrip, FromPostgreSQLRecordsetAndMemoryCursor)
{
    for (bool memory : {false, true})
    {
        TempOutput script(L".sql");
        auto rs = std::make_unique<CRRecordset>(&m_pg);
        ASSERT_TRUE(
            rs->Open(L"SELECT * FROM " + m_strReference + L"." + QuotePg(kTable) + L" ORDER BY 1",
                     RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT));
        if (memory)
        {
            // A grid's forward-only result kept in memory: the literals come from the main
            // connection, not from a recordset.
            Zelt::CMemCursor mem(std::move(rs));
            mem.MoveFirst();
            WriteScript(script.Path(), mem, &m_pg);
        }
        else
            WriteScript(script.Path(), *rs, &m_pg);
        std::string text = ReadBytes(script.Path());
        EXPECT_EQ(std::string::npos, text.find("VALUES()"));
        EXPECT_EQ(CString(L"0"), RunAndCompare(script.Unix())) << (memory ? "memory" : "recordset");
    }
}

TEST_F(InsertRoundTrip, FromMariaDB)
{
    try
    {
        FromMariaDBBody();
    }
    catch (Zelt::CRDBException* e)
    {
        ADD_FAILURE() << CStringA(e->m_strError).GetString();
        e->Delete();
    }
}

void InsertRoundTrip::FromMariaDBBody()
{
    CRDatabase my;
    ASSERT_TRUE(my.Open(QlTestDb::MariaDBConnect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    CString table = QuoteMy(Unique(L"Ord\"er Items Ж"));
    Exec(my, L"CREATE TABLE " + table +
                 L" (`Id` int, `Unit \"Text\" naïve` longtext, payload longblob, `At` "
                 L"datetime(6), amount decimal(38,10), `BIG` bigint) CHARACTER SET utf8mb4");
    for (const CString& row : RowsSQL(true, false, table))
        Exec(my, row);
    TempOutput script(L".sql");
    {
        CRRecordset rs(&my);
        ASSERT_TRUE(rs.Open(L"SELECT * FROM " + table + L" ORDER BY 1", RS_FORWARD_ONLY,
                            RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT));
        WriteScript(script.Path(), rs, &my);
    }
    Exec(my, L"DROP TABLE " + table);
    EXPECT_EQ(CString(L"0"), RunAndCompare(script.Unix()));
}

TEST_F(InsertRoundTrip, FromSQLite)
{
    try
    {
        FromSQLiteBody();
    }
    catch (Zelt::CRDBException* e)
    {
        ADD_FAILURE() << CStringA(e->m_strError).GetString();
        e->Delete();
    }
}

void InsertRoundTrip::FromSQLiteBody()
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase lite;
    ASSERT_TRUE(lite.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    // SQLite keeps exact decimals only as text.
    CString table = QuotePg(kTable);
    Exec(lite, L"CREATE TABLE " + table +
                   L" (\"Id\" integer, \"Unit \"\"Text\"\" naïve\" text, payload blob, \"At\" "
                   L"timestamp, amount text, \"BIG\" bigint)");
    for (const CString& row : RowsSQL(false, true, table))
        Exec(lite, row);
    TempOutput script(L".sql");
    {
        CRRecordset rs(&lite);
        ASSERT_TRUE(rs.Open(L"SELECT * FROM " + table + L" ORDER BY 1", RS_FORWARD_ONLY,
                            RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT));
        WriteScript(script.Path(), rs, &lite);
    }
    EXPECT_EQ(CString(L"0"), RunAndCompare(script.Unix()));
}

// Names that are PostgreSQL's own reserved words but no general SQL ones: unquoted, the script
// would stop at its first statement with a syntax error.
TEST_F(InsertRoundTrip, NamesReservedByPostgreSQLAreQuoted)
{
    const CString schema = Unique(L"ql_kw");
    m_schemas.push_back(schema);
    Exec(m_pg, L"CREATE SCHEMA " + schema);
    const CString columns = L" (\"limit\" int, \"offset\" int, \"do\" int, \"window\" text, "
                            L"\"array\" text, \"returning\" int, \"verbose\" int)";
    Exec(m_pg, L"CREATE TABLE " + schema + L".\"lateral\"" + columns);
    Exec(m_pg, L"INSERT INTO " + schema + L".\"lateral\" VALUES (1, 2, 3, 'w', 'a', 4, 5)");
    TempOutput script(L".sql");
    {
        CRRecordset rs(&m_pg);
        ASSERT_TRUE(rs.Open(L"SELECT * FROM " + schema + L".\"lateral\"", RS_FORWARD_ONLY,
                            RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT));
        CSQLScriptOptions options;
        options.nTarget = SQLTARGET_POSTGRESQL;
        options.nEncoding = SQLENC_UTF8;
        CSQLDataFile file(script.Path(), options, &m_pg);
        CStringPair name(L"", L"lateral");
        file.BeginFile();
        file.BeginTable(name, L"");
        for (int i = 0; i < rs.GetColumnCount(); ++i)
            file.AddColumnHeader(&rs, i);
        file.EndHeader(name);
        file.BeginRow();
        for (int i = 0; i < rs.GetColumnCount(); ++i)
            file.AddValue(&rs, i);
        file.EndRow();
        file.EndTable(name);
        file.EndFile();
    }
    const CString target = Unique(L"ql_kw_t");
    m_schemas.push_back(target);
    Exec(m_pg, L"CREATE SCHEMA " + target);
    Exec(m_pg, L"CREATE TABLE " + target + L".\"lateral\"" + columns);
    std::string out;
    EXPECT_EQ(0, ql::RunPsqlScript(std::wstring(QlTestDb::WindowsPathOf(script.Unix())),
                                   std::wstring(target), &out))
        << out;
    EXPECT_EQ(CString(L"0"), QlConnTest::CountDifferingRows(m_pg, schema + L".\"lateral\"",
                                                            target + L".\"lateral\""));
}
