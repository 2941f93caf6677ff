// End to end: Cancel on the wait dialog of a long save of the real program stops after the
// current row and leaves a well-formed file. The rows come from a PostgreSQL view read FETCH by
// FETCH, and the server's answer to one of them waits part way while the test holds it, so
// Cancel is pressed while the save is held and the file is partial every time, on a fast machine
// too. The HTML document is closed and
// Python's parser reads the header and every finished row whole; the workbook is saved with
// the rows so far and openpyxl reads them; a save of several views cancelled in the first one
// keeps that view's rows so far and not the next. Each time a message says that the file is
// incomplete and how many rows it holds.
#include "tests/app/e2e_held_fetch.h"
#include "tests/app/e2e_save.h"

#include "dbaccess/database.h"

#include <functional>
#include <memory>

namespace {

using QlSave::RowsSaid;
using QlSave::U8;

const int kRows = 250000;

// The header, then the rows written, each one whole and in order, fewer than the view holds;
// blank is how the reader shows a blank.
void ExpectHeaderAndWholeRows(const std::vector<std::vector<std::wstring>>& rows, wchar_t blank)
{
    ASSERT_GE(rows.size(), 2u); // the header and at least one row
    EXPECT_EQ((std::vector<std::wstring>{L"id", L"name", L"amount"}), rows[0]);
    EXPECT_LT(rows.size() - 1, (size_t)kRows);
    for (size_t i = 1; i < rows.size(); ++i)
    {
        ASSERT_EQ(3u, rows[i].size()) << "row " << i;
        ASSERT_EQ(std::to_wstring(i), rows[i][0]);
        ASSERT_EQ(L"row" + std::wstring(1, blank) + std::to_wstring(i) + blank + L"<&>",
                  rows[i][1]);
    }
}

class SaveCancelE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        QlConnTest::OpenOrFail(m_db, QlTestDb::PostgresConnect());
        m_schemas = std::make_unique<QlConnTest::CScratchSchemas>(m_db);
        m_schema = m_schemas->Create(L"qlcancel_" + CString(ql::UniqueSuffix().c_str()));
        CreateBigView(m_db, m_schema, kRows);
        QlConnTest::ExecOrFail(m_db, L"CREATE VIEW " + m_schema +
                                         L".small AS SELECT 1 AS id UNION ALL SELECT 2");
        m_folder = ql::ScratchFolder(L"save_cancel_" + ql::UniqueSuffix());
        ASSERT_TRUE(program.StartConnected(m_fetch.Connect(m_session))) << program.Describe();
    }
    void TearDown() override
    {
        program.Kill();
        m_fetch.Release();
        m_schemas.reset();
        ql::CleanSettings();
    }

    // Holds the server's answer to the nth FETCH from now on, lets the save that startSave
    // begins run into the hold, presses Cancel and answers the question, and lets go once the
    // save has taken the answer: the question is gone and the wait dialog's loop, which hands
    // the answer to the save, has run on past it. Let go earlier, the rest of the rows could be
    // written before the answer arrives.
    // bWhileSaving: the hold is armed once the save has written rows (a grid window's save goes
    // on with the window's own read, whose FETCHes run from the time it opened).
    void CancelHeldSave(int nthFetch, const std::function<bool()>& startSave,
                        bool bWhileSaving = false)
    {
        if (!bWhileSaving)
            m_fetch.HoldAtFetch(nthFetch);
        ASSERT_TRUE(startSave());
        const HWND wait = QlSave::WaitForRowsWritten(program);
        ASSERT_NE(wait, nullptr) << program.Describe();
        if (bWhileSaving)
            m_fetch.HoldAtFetch(nthFetch);
        EXPECT_TRUE(m_fetch.WaitUntilReached()) << "the save's read never came to the held FETCH";
        ASSERT_TRUE(program.CancelWaitDialog());
        ASSERT_TRUE(ql::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
        EXPECT_TRUE(ql::CProgram::WaitUntilPostedHandled(GetDlgItem(wait, 1003)));
        m_fetch.Release();
    }

    // Opens the view, its rows paced, in a grid window and saves it as the type under the path,
    // cancelled part way: the save goes on with the window's read, and a FETCH of it after the
    // save has begun is held.
    void SaveGridAndCancel(const std::wstring& path, const std::wstring& type)
    {
        PaceBigView(m_db, m_schema);
        ASSERT_TRUE(program.OpenViewGrid(std::wstring(m_schema), L"big")) << program.Describe();
        ASSERT_NO_FATAL_FAILURE(CancelHeldSave(
            1, [&] { return QlSave::SaveGridAs(program, path, type); }, true));
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

    // The workbook holds the held view's sheet alone, with its header and the rows so far, as
    // many as the message says.
    void ExpectRowsSoFarInWorkbook(const std::wstring& book)
    {
        // The workbook reaches its name only once complete.
        ASSERT_FALSE(ql::CProgram::WaitForClosedFile(book).empty());
        const std::wstring text = TakeIncompleteMessage();
        ql::CWorkbookCells cells;
        std::string out;
        ASSERT_TRUE(ql::ReadWorkbookCells(book, cells, &out)) << out;
        // The sheet is named for the view, cut to a sheet name's 31 characters.
        EXPECT_EQ(std::vector<std::wstring>{std::wstring((m_schema + L".big").Left(31))},
                  cells.sheets);
        ExpectHeaderAndWholeRows(cells.rows, L' ');
        EXPECT_EQ((long)cells.rows.size() - 1, RowsSaid(text)) << U8(text);
        const std::wstring name = book.substr(0, book.rfind(L'.'));
        EXPECT_FALSE(ql::FileExists(name + L".saving.xlsx"));
    }

    CRDatabase m_db;
    std::unique_ptr<QlConnTest::CScratchSchemas> m_schemas;
    CString m_schema;
    CHeldFetch m_fetch;
    const CTaggedPostgresSession m_session{L"qlcancel_" + QlTestDb::UniqueTag()};
    std::wstring m_folder;
    ql::CProgram program;
};

TEST_F(SaveCancelE2E, CancelLeavesAWellFormedPartialHtmlFile)
{
    const std::wstring html = m_folder + L"\\big.htm";
    ASSERT_NO_FATAL_FAILURE(SaveGridAndCancel(html, L"HTML"));
    const std::string bytes = ql::CProgram::WaitForClosedFile(html);

    const std::string ending = "</TBODY>\r\n</TABLE>\r\n<BR>\r\n</BODY></HTML>\r\n";
    ASSERT_GE(bytes.size(), ending.size());
    EXPECT_EQ(ending, bytes.substr(bytes.size() - ending.size()));
    ql::CHtmlCells cells;
    std::string out;
    ASSERT_TRUE(ql::ReadHtmlCells(html, cells, &out)) << out;
    // The HTML writer shows blanks as no-break spaces.
    ExpectHeaderAndWholeRows(cells.rows, L'\xA0');
    const std::wstring text = TakeIncompleteMessage();
    EXPECT_EQ(html + L"\nThe file is incomplete: it holds only " +
                  std::to_wstring(cells.rows.size() - 1) + L" rows.",
              text);
    HWND box = program.FindMessageBox();
    EXPECT_EQ(nullptr, box) << std::string(
        CStringA(box ? ql::CProgram::MessageBoxText(box).c_str() : L""));
    EXPECT_TRUE(program.Close());
}

TEST_F(SaveCancelE2E, CancelSavesTheRowsSoFarAsAWorkbook)
{
    const std::wstring book = m_folder + L"\\big.xlsx";
    ASSERT_NO_FATAL_FAILURE(SaveGridAndCancel(book, L"Excel"));
    ExpectRowsSoFarInWorkbook(book);
    EXPECT_TRUE(program.Close());
}

TEST_F(SaveCancelE2E, CancelledSaveOfSeveralViewsKeepsTheRowsSoFar)
{
    HWND views = program.OpenViewsDialog(
        {{std::wstring(m_schema), L"big"}, {std::wstring(m_schema), L"small"}});
    ASSERT_NE(views, nullptr);
    const std::wstring book = m_folder + L"\\views.xlsx";
    // The save's DECLARE and first FETCH go through; the second FETCH is held.
    ASSERT_NO_FATAL_FAILURE(CancelHeldSave(2, [&] {
        ql::CProgram::Click(views, IDC_TABLES_SAVE);
        HWND save = program.WaitForDialog(L"Save As");
        return save != nullptr && ql::CProgram::ChooseSaveFile(save, book, L"Excel");
    }));

    // The save is over once its wait dialog is gone; the Views dialog stays open. The workbook
    // holds the first view's rows so far, the second view not at all.
    ExpectRowsSoFarInWorkbook(book);
    EXPECT_EQ(nullptr, program.FindDialog(L"Please wait..."));
    EXPECT_TRUE(IsWindow(views));
    ql::CProgram::Click(views, IDCANCEL);
    EXPECT_TRUE(program.Close());
}

} // namespace
