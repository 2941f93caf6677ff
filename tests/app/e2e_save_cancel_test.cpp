// End to end: Cancel on the wait dialog of a long save from a table grid of the real program
// stops after the current row and leaves a well-formed file: the HTML document is closed, and
// Python's parser reads the header and every finished row whole.
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "tests/dbaccess/test_databases.h"

#include <gtest/gtest.h>

namespace {

const UINT kSaveData = 32828; // Query > Save Data...
const int kRows = 1000000;
const int kMessageLine = 1003; // the wait dialog's row counter

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::wstring::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

class SaveCancelE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        CRDatabase db;
        ASSERT_TRUE(db.Open(m_file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        db.ExecuteSQL(L"CREATE TABLE big (id integer PRIMARY KEY, name text, amount real)");
        // Made by the database in one statement.
        db.ExecuteSQL(L"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      CString(std::to_wstring(kRows).c_str()) +
                      L") INSERT INTO big SELECT i, 'row ' || i || ' <&>', i * 0.5 FROM n");
        db.Close();
        m_folder = ql::ScratchFolder(L"save_cancel_" + ql::UniqueSuffix());
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    QlTestDb::TempSQLiteFile m_file;
    std::wstring m_folder;
    ql::CProgram program;
};

TEST_F(SaveCancelE2E, CancelLeavesAWellFormedPartialHtmlFile)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_file.Connect()))) << program.Describe();
    ASSERT_TRUE(program.OpenTableGrid(L"", L"big"));
    const std::wstring html = m_folder + L"\\big.htm";
    program.PostCommand(kSaveData);
    HWND save = program.WaitForDialog(L"Save As");
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(ql::CProgram::ChooseSaveFile(save, html, L"HTML"));

    // Cancel once rows are being written (the message line counts them).
    HWND wait = program.WaitForDialog(L"Please wait...");
    ASSERT_NE(wait, nullptr);
    ASSERT_TRUE(
        ql::WaitFor([&] { return _wtoi(ql::CProgram::Text(wait, kMessageLine).c_str()) > 0; }));
    ASSERT_TRUE(program.CancelWaitDialog());
    const std::string bytes = ql::CProgram::WaitForClosedFile(html);
    ASSERT_TRUE(program.WaitUntilIdle());
    EXPECT_EQ(nullptr, program.FindMessageBox());

    const std::string ending = "</TBODY>\r\n</TABLE>\r\n<BR>\r\n</BODY></HTML>\r\n";
    ASSERT_GE(bytes.size(), ending.size());
    EXPECT_EQ(ending, bytes.substr(bytes.size() - ending.size()));
    const std::wstring cellsFile = m_folder + L"\\cells.txt";
    std::string out;
    ASSERT_EQ(0, ql::RunNative(L"/usr/bin/python3 " + ql::SourceDirUnix() +
                                   L"/tests/support/html_cells.py '" + ql::UnixPath(html) + L"' '" +
                                   ql::UnixPath(cellsFile) + L"'",
                               &out))
        << out;
    const std::string raw = ql::ReadFileBytes(cellsFile);
    const auto records = Split(std::wstring((const wchar_t*)raw.data(), raw.size() / 2), L'\x1E');
    ASSERT_GE(records.size(), 4u); // tags, heading, header row, at least one row
    EXPECT_EQ(L"id\x1Fname\x1F"
              L"amount",
              records[2]);
    // Stopped early: fewer rows than the table, each one whole and in order.
    const size_t rows = records.size() - 3;
    EXPECT_LT(rows, (size_t)kRows);
    for (size_t i = 0; i < rows; ++i)
    {
        const auto cells = Split(records[3 + i], L'\x1F');
        ASSERT_EQ(3u, cells.size()) << "row " << i + 1;
        ASSERT_EQ(std::to_wstring(i + 1), cells[0]);
        ASSERT_EQ(L"row\xA0" + std::to_wstring(i + 1) + L"\xA0<&>", cells[1]);
    }
    EXPECT_TRUE(program.Close());
}

} // namespace
