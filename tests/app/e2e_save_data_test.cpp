// End to end: a query result in a grid window of the real program saved with Query > Save
// Data...: the system's save dialog (file name and type), the CSV options, the wait dialog, and
// the file on disk; and a workbook saved the same way.
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "resources/resource.h"
#include "tests/dbaccess/test_databases.h"

#include <gtest/gtest.h>

namespace {

const int kSQLEditor = 1001; // the SQL text of the query dialog

class SaveDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        CRDatabase db;
        ASSERT_TRUE(db.Open(m_file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        db.ExecuteSQL(L"DROP TABLE IF EXISTS t");
        db.ExecuteSQL(L"CREATE TABLE t (id integer, name text)");
        db.ExecuteSQL(L"INSERT INTO t VALUES (1, 'a;b'), (2, 'line\nbreak'), (3, NULL)");
        db.Close();
        ql::WriteRegString(L"Grid lines", L"Yes"); // the user's key is read only with this value
        ql::WriteRegString(L"Connect DB at startup", L"Yes");
        ql::WriteRegString(L"ConnectString0", std::wstring(m_file.Connect()), L"ConnectStrings");
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    // Runs the query in a grid window, then opens Save Data's file dialog on it.
    HWND OpenSaveDialog()
    {
        // Posted once, after the start-up connect (StartConnected): a command posted again
        // after a slow first one would open a second dialog once the first closes.
        program.PostCommand(ID_QUERY_SQL);
        HWND query = program.WaitForDialog(L"Execute SQL");
        if (!query)
            return nullptr;
        ql::CProgram::SetText(query, kSQLEditor, L"SELECT id, name FROM t ORDER BY id");
        ql::CProgram::Click(query, IDOK);
        return PostSaveData();
    }

    // Query > Save Data... once the grid window has its rows: a second one posted meanwhile
    // would run inside the first one's dialog and open another.
    HWND PostSaveData()
    {
        program.WaitForGrid();
        program.PostCommand(ID_QUERY_SAVE_DATA);
        return program.WaitForDialog(L"Save As", 20000);
    }

    QlTestDb::TempSQLiteFile m_file;
    ql::CProgram program;
};

TEST_F(SaveDataTest, QueryResultToCsvAndToAWorkbook)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_file.Connect()))) << program.Describe();
    const std::wstring folder = ql::ScratchFolder(L"save_data");
    const std::wstring csv = folder + L"\\result.csv";
    const std::wstring book = folder + L"\\result";
    // Files of an earlier run would bring up the overwrite question.
    DeleteFileW(csv.c_str());
    DeleteFileW((book + L".xlsx").c_str());

    HWND save = OpenSaveDialog();
    ASSERT_NE(save, nullptr);
    // A refresh that arrives while the file dialog is up (posted by a row just saved, say) runs
    // the query again: the save still gets rows whole, and the program lives on.
    program.PostCommand(ID_QUERY_REFRESH);
    ASSERT_TRUE(ql::CProgram::WaitUntilPostedHandled(GetDlgItem(save, IDCANCEL)));
    ql::CProgram::ChooseSaveFile(save, csv, 1); // a result offers HTML, CSV, Excel
    HWND options = program.WaitForDialog(L"Save As CSV File");
    ASSERT_NE(options, nullptr);
    ql::CProgram::SetText(options, 1020, L";");
    ql::CProgram::Click(options, IDOK);
    const std::wstring expected = L"\xFEFF\"id\";\"name\"\n1;\"a;b\"\n2;\"line\nbreak\"\n3;\n";
    const std::string bytes((const char*)expected.data(), expected.size() * 2);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ReadFileBytes(csv) == bytes; }, 20000))
        << ql::ReadFileBytes(csv).size() << " bytes";
    EXPECT_EQ(ql::RegString(L"CSV separator"), L";");

    // The workbook: the name gets its extension.
    save = PostSaveData();
    ASSERT_NE(save, nullptr);
    ql::CProgram::ChooseSaveFile(save, book, 2);
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(book + L".xlsx").empty());
    ql::CWorkbookCells cells;
    std::string out;
    ASSERT_TRUE(ql::ReadWorkbookCells(book + L".xlsx", cells, &out)) << out;
    // The statement of the query window describes the data in A1; a NULL cell stays empty.
    const std::vector<std::vector<std::wstring>> rows = {{L"SELECT id, name FROM t ORDER BY id"},
                                                         {L"id", L"name"},
                                                         {L"1", L"a;b"},
                                                         {L"2", L"line\nbreak"},
                                                         {L"3"}};
    EXPECT_EQ(rows, cells.rows);
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

} // namespace
