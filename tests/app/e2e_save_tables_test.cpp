// End to end on PostgreSQL: three related tables chosen in the Tables dialog of the real
// program and saved with its Save... button as one INSERT script: referenced tables come first,
// so psql runs the script into a fresh schema with the same foreign keys, and every row reads
// back identical.
#include "tests/app/e2e_save.h"

namespace {

using QlConnTest::QueryText;
using QlSave::U8;

const int kTablesSave = 1100; // the Tables dialog's Save... button

// The tables, each referencing the one before it; the list shows them in another order.
const wchar_t* const kTables[] = {L"m_grand", L"Z Parent", L"a_child"};

class SaveTablesE2E : public QlSave::CPostgresSaveTest
{
protected:
    SaveTablesE2E() : CPostgresSaveTest(L"save_tables") {}
    void SetUp() override
    {
        CPostgresSaveTest::SetUp();
        if (HasFatalFailure())
            return;
        m_schema = CreateTables(L"qlsavet_");
        Exec(L"INSERT INTO " + m_schema + L".m_grand VALUES (1, 'g1'), (2, 'g''2')");
        Exec(L"INSERT INTO " + m_schema +
             L".\"Z Parent\" VALUES (10, 1, 'p;10'), (20, 2, NULL), (30, 2, 'p\n30')");
        Exec(L"INSERT INTO " + m_schema +
             L".a_child VALUES (100, 10, 'c'), (200, 30, '--c'), (300, 30, ''), (400, 20, 'Ж')");
    }

    // A new schema (the prefix and a unique token) with the three tables and their keys.
    CString CreateTables(const CString& prefix)
    {
        const CString schema = CreateSchema(prefix);
        Exec(L"CREATE TABLE " + schema + L".m_grand (id int PRIMARY KEY, note text)");
        Exec(L"CREATE TABLE " + schema +
             L".\"Z Parent\" (id int PRIMARY KEY, grand int REFERENCES " + schema +
             L".m_grand, note text)");
        Exec(L"CREATE TABLE " + schema + L".a_child (id int PRIMARY KEY, parent int REFERENCES " +
             schema + L".\"Z Parent\", note text)");
        return schema;
    }
    static CString Quoted(const CString& schema, const wchar_t* table)
    {
        return schema + L".\"" + table + L"\"";
    }

    CString m_schema;
};

TEST_F(SaveTablesE2E, ChosenTablesGoToOneScriptInForeignKeyOrder)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect())));
    const std::wstring schema(m_schema);
    HWND dlg = program.OpenTablesDialog(
        {{schema, L"a_child"}, {schema, L"Z Parent"}, {schema, L"m_grand"}});
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::Click(dlg, kTablesSave);
    HWND save = program.WaitForDialog(L"Save As");
    ASSERT_NE(save, nullptr);
    // Several tables: HTML, SQL and Excel, no CSV.
    const auto types = program.ComboItems(ql::CProgram::Item(save, 0x470));
    ASSERT_EQ(3u, types.size());
    EXPECT_EQ(0u, types[1].find(L"SQL script"));
    const std::wstring script = m_folder + L"\\tables.sql";
    ASSERT_TRUE(ql::CProgram::ChooseSaveFile(save, script, L"SQL script"));
    const std::string text = QlSave::WritePostgresScript(program, script);
    // The Tables dialog stays open: the save is over once its wait dialog is gone.
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindDialog(L"Please wait...") == nullptr; }));
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();

    const size_t grand = text.find("INSERT INTO m_grand ");
    const size_t parent = text.find("INSERT INTO \"Z Parent\" ");
    const size_t child = text.find("INSERT INTO a_child ");
    ASSERT_NE(std::string::npos, grand) << text;
    ASSERT_NE(std::string::npos, parent) << text;
    ASSERT_NE(std::string::npos, child) << text;
    EXPECT_LT(grand, parent);
    EXPECT_LT(parent, child);

    // The foreign keys hold in the target, so the script runs only in this order.
    const CString target = CreateTables(L"qlsavet_t_");
    std::string out;
    ASSERT_EQ(0, ql::RunPsqlScript(script, std::wstring(target), &out)) << out;
    for (const wchar_t* table : kTables)
    {
        const CString a = Quoted(m_schema, table), b = Quoted(target, table);
        EXPECT_EQ(QueryText(m_db, L"SELECT count(*) FROM " + a),
                  QueryText(m_db, L"SELECT count(*) FROM " + b));
        EXPECT_EQ(CString(L"0"), QlConnTest::CountDifferingRows(m_db, a, b)) << U8(table);
    }
    ql::CProgram::Click(dlg, IDCANCEL);
    EXPECT_TRUE(program.Close());
}

} // namespace
