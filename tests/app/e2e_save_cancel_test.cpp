// End to end: Cancel on the wait dialog of a long save from a table grid of the real program
// stops after the current row and leaves a well-formed file: the HTML document is closed and
// Python's parser reads the header and every finished row whole; the workbook is saved with
// the rows so far and openpyxl reads them. A save of several tables cancelled in the first one
// keeps the rows so far the same way. Each time a message says that the file is incomplete and
// how many rows it holds.
#include "tests/app/e2e_save.h"

#include "dbaccess/database.h"

namespace {

using QlSave::RowsSaid;
using QlSave::U8;

const int kRows = 1000000;

// The header, then the rows written, each one whole and in order; fewer than the table when
// the save must have stopped early; blank is how the reader shows a blank.
void ExpectHeaderAndWholeRows(const std::vector<std::vector<std::wstring>>& rows, wchar_t blank,
                              bool bPartial = true)
{
    ASSERT_GE(rows.size(), 2u); // the header and at least one row
    EXPECT_EQ((std::vector<std::wstring>{L"id", L"name", L"amount"}), rows[0]);
    if (bPartial)
    {
        EXPECT_LT(rows.size() - 1, (size_t)kRows);
    }
    for (size_t i = 1; i < rows.size(); ++i)
    {
        ASSERT_EQ(3u, rows[i].size()) << "row " << i;
        ASSERT_EQ(std::to_wstring(i), rows[i][0]);
        ASSERT_EQ(L"row" + std::wstring(1, blank) + std::to_wstring(i) + blank + L"<&>",
                  rows[i][1]);
    }
}

// The workbook of a save cancelled in the first table: that table's sheet alone, with its
// header and the rows written, as many as the message about the file says. The save goes on
// while the question "stop?" waits for its answer (as the wait dialog does), and the workbook
// writer takes a million rows in about a second: on a loaded machine the save can end before
// the answer lands. Then no message comes and every table is there whole; the stop part way is
// also proven where the connection is lost under a save and by the writers' own tests.
void ExpectRowsSoFarInWorkbook(const std::wstring& book, const std::wstring& message,
                               const std::vector<std::wstring>& allSheets)
{
    ql::CWorkbookCells cells;
    std::string out;
    ASSERT_TRUE(ql::ReadWorkbookCells(book, cells, &out)) << out;
    if (message.empty())
    {
        EXPECT_EQ(allSheets, cells.sheets);
        ExpectHeaderAndWholeRows(cells.rows, L' ', false);
        EXPECT_EQ((size_t)kRows + 1, cells.rows.size());
        return;
    }
    EXPECT_EQ(std::vector<std::wstring>{L"big"}, cells.sheets);
    // A stop just after the first table's last row holds it whole.
    ExpectHeaderAndWholeRows(cells.rows, L' ', false);
    EXPECT_EQ((long)cells.rows.size() - 1, RowsSaid(message)) << U8(message);
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
        db.ExecuteSQL(L"CREATE TABLE small (id integer)");
        db.ExecuteSQL(L"INSERT INTO small VALUES (1), (2)");
        db.Close();
        m_folder = ql::ScratchFolder(L"save_cancel_" + ql::UniqueSuffix());
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    // Saves the table's grid under the path as the type and presses Cancel once rows are
    // being written (the wait dialog's message line counts them).
    void SaveAndCancel(const std::wstring& path, const std::wstring& type)
    {
        ASSERT_TRUE(program.StartConnected(std::wstring(m_file.Connect()))) << program.Describe();
        ASSERT_TRUE(program.OpenTableGrid(L"", L"big"));
        ASSERT_TRUE(QlSave::SaveGridAs(program, path, type));
        ASSERT_NE(QlSave::WaitForRowsWritten(program), nullptr) << program.Describe();
        ASSERT_TRUE(program.CancelWaitDialog());
    }

    // The message that follows a save stopped early (answered with OK), or empty when none
    // comes within the time.
    std::wstring TakeIncompleteMessage(DWORD timeoutMs = 20000)
    {
        HWND box = nullptr;
        ql::WaitFor(
            [&] {
                box = program.FindMessageBox();
                return box != nullptr &&
                       ql::CProgram::MessageBoxText(box).find(L"incomplete") != std::wstring::npos;
            },
            timeoutMs);
        if (box == nullptr || !IsWindow(box))
            return std::wstring();
        std::wstring text = ql::CProgram::MessageBoxText(box);
        ql::CProgram::Click(box, IDOK);
        ql::WaitFor([&] { return !IsWindow(box); });
        return text.find(L"incomplete") != std::wstring::npos ? text : std::wstring();
    }

    QlTestDb::TempSQLiteFile m_file;
    std::wstring m_folder;
    ql::CProgram program;
};

TEST_F(SaveCancelE2E, CancelLeavesAWellFormedPartialHtmlFile)
{
    const std::wstring html = m_folder + L"\\big.htm";
    ASSERT_NO_FATAL_FAILURE(SaveAndCancel(html, L"HTML"));
    const std::string bytes = ql::CProgram::WaitForClosedFile(html);

    const std::string ending = "</TBODY>\r\n</TABLE>\r\n<BR>\r\n</BODY></HTML>\r\n";
    ASSERT_GE(bytes.size(), ending.size());
    EXPECT_EQ(ending, bytes.substr(bytes.size() - ending.size()));
    ql::CHtmlCells cells;
    std::string out;
    ASSERT_TRUE(ql::ReadHtmlCells(html, cells, &out)) << out;
    // The HTML writer shows blanks as no-break spaces. It writes a million rows in a few
    // seconds and goes on while the question "stop?" waits for its answer: on a fast machine
    // the file may be whole before the answer lands.
    ExpectHeaderAndWholeRows(cells.rows, L'\xA0', false);
    if (cells.rows.size() - 1 < (size_t)kRows)
    {
        const std::wstring text = TakeIncompleteMessage();
        EXPECT_EQ(html + L"\nThe file is incomplete: it holds only " +
                      std::to_wstring(cells.rows.size() - 1) + L" rows.",
                  text);
    }
    HWND box = program.FindMessageBox();
    EXPECT_EQ(nullptr, box) << std::string(
        CStringA(box ? ql::CProgram::MessageBoxText(box).c_str() : L""));
    EXPECT_TRUE(program.Close());
}

TEST_F(SaveCancelE2E, CancelSavesTheRowsSoFarAsAWorkbook)
{
    const std::wstring book = m_folder + L"\\big.xlsx";
    ASSERT_NO_FATAL_FAILURE(SaveAndCancel(book, L"Excel"));
    // The workbook reaches its name only once complete.
    ASSERT_FALSE(ql::CProgram::WaitForClosedFile(book).empty());
    const std::wstring text = TakeIncompleteMessage();
    EXPECT_FALSE(ql::FileExists(m_folder + L"\\big.saving.xlsx"));

    ExpectRowsSoFarInWorkbook(book, text, {L"big"});
    EXPECT_TRUE(program.Close());
}

TEST_F(SaveCancelE2E, CancelledSaveOfSeveralTablesKeepsTheRowsSoFar)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(m_file.Connect()))) << program.Describe();
    HWND tables = program.OpenTablesDialog({{L"", L"big"}, {L"", L"small"}});
    ASSERT_NE(tables, nullptr);
    const int kTablesSave = 1100;
    ql::CProgram::Click(tables, kTablesSave);
    HWND save = program.WaitForDialog(L"Save As");
    ASSERT_NE(save, nullptr);
    const std::wstring book = m_folder + L"\\tables.xlsx";
    ASSERT_TRUE(ql::CProgram::ChooseSaveFile(save, book, L"Excel"));
    ASSERT_NE(QlSave::WaitForRowsWritten(program), nullptr) << program.Describe();
    ASSERT_TRUE(program.CancelWaitDialog());

    // The save is over once its wait dialog is gone; the Tables dialog stays open. The
    // workbook holds the first table's rows so far, the second table not at all.
    const std::wstring text = TakeIncompleteMessage();
    EXPECT_EQ(nullptr, program.FindDialog(L"Please wait..."));
    EXPECT_FALSE(ql::FileExists(m_folder + L"\\tables.saving.xlsx"));
    ExpectRowsSoFarInWorkbook(book, text, {L"big", L"small"});
    ql::CProgram::Click(tables, IDCANCEL);
    EXPECT_TRUE(program.Close());
}

} // namespace
