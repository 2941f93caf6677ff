// The workbook application's question before it drops unsaved work, and the writer that never
// lets it come up: after a failed row, a Cancel or a failed save the workbook is closed without
// saving before the application quits.
#include "export_test_util.h"

#include "services/excel_automation.h"
#include "services/excel_data_file.h"
#include "services/save_data_job.h"
#include "services/xlsx_standin.h"
#include "tests/grid/grid_test_cursor.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <functional>

using namespace QlExportTest;
using GridTest::Text;

namespace {

// The description of the failure the call raised, empty when it did not fail.
CString FailureOf(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (Zelt::CRDBException* e)
    {
        CString text = e->m_strError;
        e->Delete();
        return text;
    }
    catch (CException* e)
    {
        wchar_t text[512] = {};
        e->GetErrorMessage(text, 512);
        e->Delete();
        return text[0] ? CString(text) : CString(L"(failed without a text)");
    }
    return CString();
}

std::vector<std::string> Journal()
{
    std::vector<std::string> lines;
    for (const CString& line : XlsxStandInJournal())
        lines.push_back(std::string(CStringA(line).GetString()));
    return lines;
}

// A save job whose Cancel is accepted while the given row is written, as the waiting loop
// would accept it.
struct CCancellingJob : CRDatabaseHelper::CSaveDataAsyncThread
{
    using CSaveDataAsyncThread::CSaveDataAsyncThread;
    void SetCancel() { m_bCancel = true; }
};

// The save job's view of the workbook writer, cancelling at a row when asked.
class CCancelAt : public CExcelDataFile
{
public:
    CCancelAt(LPCWSTR path, int row) : CExcelDataFile(path), m_nCancelRow(row) {}
    std::function<void()> onCancel;
    void EndRow() override
    {
        CExcelDataFile::EndRow();
        if (++m_nRow == m_nCancelRow && onCancel)
            onCancel();
    }

private:
    int m_nCancelRow;
    int m_nRow = 0;
};

class WorkbookClose : public testing::Test
{
protected:
    void SetUp() override
    {
        CExcelDataFile::ForceStandIn(true);
        ClearXlsxStandInJournal();
        m_cursor.AddColumn(L"id", SQL_C_LONG, SQL_INTEGER);
        m_cursor.AddColumn(L"note", SQL_C_WCHAR, SQL_WVARCHAR);
        for (int i = 1; i <= 20; ++i)
            m_cursor.rows.push_back({Text(std::to_wstring(i).c_str()), Text(L"text")});
    }
    void TearDown() override { CExcelDataFile::ForceStandIn(false); }

    GridTest::TestCursor m_cursor;
};

} // namespace

TEST(XlsxStandInQuit, AsksBeforeDroppingAnUnsavedWorkbookAndFailsInsteadOfWaiting)
{
    ClearXlsxStandInJournal();
    {
        XlApplication app;
        app.AttachDispatch(CreateXlsxStandInApplication());
        // A new workbook nobody touched counts as saved; a changed one does not.
        XlWorkbook untouched = app.GetWorkbooks().Add(COleVariant(1L));
        XlWorkbook book = app.GetWorkbooks().Add(COleVariant(1L));
        XlWorksheet sheet = book.GetWorksheets().GetItem(COleVariant(1L));
        COleVariant a1(L"A1");
        sheet.GetRange(a1, a1).SetValue(COleVariant(7L));
        // Releasing the objects does not close the workbook: the application still holds it.
        sheet.ReleaseDispatch();
        EXPECT_NE(-1, FailureOf([&] {
                          app.Quit();
                      }).Find(L"Do you want to save the changes you made to 'Book2'?"));
        // Close without SaveChanges asks as well.
        EXPECT_NE(-1, FailureOf([&] {
                          book.Invoke(book.GetDispID(L"Close"), DISPATCH_METHOD);
                      }).Find(L"'Book2'"));
        // Once saved it goes without a question.
        TempOutput out(L".xlsx");
        book.SaveAs(out.Path(), kXlOpenXMLWorkbook);
        EXPECT_EQ(CString(), FailureOf([&] { app.Quit(); }));
    }
    {
        // With alerts off the application drops the changes without asking.
        XlApplication app;
        app.AttachDispatch(CreateXlsxStandInApplication());
        XlWorkbook book = app.GetWorkbooks().Add(COleVariant(1L));
        book.GetWorksheets().GetItem(COleVariant(1L)).SetName(L"changed");
        app.SetDisplayAlerts(false);
        EXPECT_EQ(CString(), FailureOf([&] { app.Quit(); }));
    }
    const std::string prompt = "Prompt: Do you want to save the changes you made to 'Book2'?";
    std::vector<std::string> expected = {"Add Book1", "Add Book2",         prompt,
                                         prompt,      "SaveAs Book2",      "Quit",
                                         "Add Book1", "DisplayAlerts off", "Quit"};
    EXPECT_EQ(expected, Journal());
}

TEST_F(WorkbookClose, AFailedRowClosesTheWorkbookUnsavedBeforeQuit)
{
    TempOutput out(L".xlsx");
    m_cursor.rows[5][1] = GridTest::Truncated(L"text");
    {
        CExcelDataFile file(out.Path());
        file.BeginFile();
        CRDatabaseHelper::CSaveDataAsyncThread job(&file, &m_cursor, nullptr,
                                                   CStringPair(L"", L"t"), nullptr, L"", nullptr);
        const CString failure =
            FailureOf([&] { CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false); });
        EXPECT_NE(-1, failure.Find(L"Record 6 Column 2: data truncated"))
            << CStringA(failure).GetString();
        // The save stops here without EndFile; the writer goes.
    }
    std::vector<std::string> expected = {"Add Book1", "DisplayAlerts off",
                                         "Close Book1 without saving", "Quit"};
    EXPECT_EQ(expected, Journal());
    EXPECT_FALSE(ql::FileExists(out.Path().GetString()));
}

TEST_F(WorkbookClose, ACancelledTableOfSeveralClosesTheWorkbookUnsavedBeforeQuit)
{
    TempOutput out(L".xlsx");
    {
        CCancelAt file(out.Path(), 3);
        file.BeginFile();
        CCancellingJob job(&file, &m_cursor, nullptr, CStringPair(L"", L"t"), nullptr, L"",
                           nullptr);
        file.onCancel = [&] { job.SetCancel(); };
        EXPECT_TRUE(CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false));
        EXPECT_TRUE(job.IsCancelled());
        // A cancelled save of several tables ends without EndFile.
    }
    std::vector<std::string> expected = {"Add Book1", "DisplayAlerts off",
                                         "Close Book1 without saving", "Quit"};
    EXPECT_EQ(expected, Journal());
    EXPECT_FALSE(ql::FileExists(out.Path().GetString()));
}

TEST_F(WorkbookClose, AFailedSaveClosesTheWorkbookUnsavedAndASuccessfulOneQuitsAtOnce)
{
    TempOutput out(L".xlsx");
    // A folder holds the temporary name the workbook is saved under first.
    const CString blocker = out.Path().Left(out.Path().GetLength() - 5) + L".saving.xlsx";
    ASSERT_TRUE(CreateDirectoryW(blocker, nullptr));
    {
        CExcelDataFile file(out.Path());
        file.BeginFile();
        CRDatabaseHelper::CSaveDataAsyncThread job(&file, &m_cursor, nullptr,
                                                   CStringPair(L"", L"t"), nullptr, L"", nullptr);
        EXPECT_TRUE(CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false));
        EXPECT_NE(CString(), FailureOf([&] { file.EndFile(); }));
    }
    RemoveDirectoryW(blocker);
    std::vector<std::string> expected = {"Add Book1", "DisplayAlerts off",
                                         "Close Book1 without saving", "Quit"};
    EXPECT_EQ(expected, Journal());
    EXPECT_FALSE(ql::FileExists(out.Path().GetString()));

    ClearXlsxStandInJournal();
    {
        CExcelDataFile file(out.Path());
        file.BeginFile();
        CRDatabaseHelper::CSaveDataAsyncThread job(&file, &m_cursor, nullptr,
                                                   CStringPair(L"", L"t"), nullptr, L"", nullptr);
        m_cursor.current = -1;
        EXPECT_TRUE(CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false));
        file.EndFile();
    }
    // Saved, then closed: SaveChanges false drops nothing.
    expected = {"Add Book1", "SaveAs Book1", "Close Book1 without saving", "Quit"};
    EXPECT_EQ(expected, Journal());
    EXPECT_TRUE(ql::FileExists(out.Path().GetString()));
}
