// The workbook export: cell names and value rules, the in-process workbook's thread rule, and
// whole workbooks read back by openpyxl (cells, number formats, bold, fill, sheet names).
#include "export_test_util.h"

#include "services/excel_cells.h"
#include "services/excel_data_file.h"
#include "services/xlsx_standin.h"
#include "tests/grid/grid_test_cursor.h"

#include <gtest/gtest.h>

#include <thread>

using namespace QlExportTest;
using GridTest::Null;
using GridTest::Text;

namespace {

// Runs a python3 script (Debian's, with openpyxl) on a workbook; its output lines.
std::string ReadWithPython(const CString& workbookUnix, const char* script)
{
    TempOutput py(L".py");
    WriteBytes(py.Path(), script);
    std::string out;
    int rc = RunNative(
        L"/usr/bin/python3 " + std::wstring(py.Unix()) + L" " + std::wstring(workbookUnix), &out);
    EXPECT_EQ(0, rc) << out;
    return out;
}

const char kDumpCells[] = R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb.worksheets:
    print('SHEET', repr(ws.title))
    for row in ws.iter_rows():
        for c in row:
            if c.value is None and not c.font.b:
                continue
            fill = c.fill.fgColor.rgb if c.fill.fill_type == 'solid' else '-'
            print(c.coordinate, type(c.value).__name__, repr(c.value), c.number_format,
                  'B' if c.font.b else '-', fill)
)";

void WriteTable(CDataFile& file, Zelt::ICursor& cursor, const CStringPair& name,
                LPCWSTR description = L"")
{
    int n = cursor.GetColumnCount();
    file.BeginTable(name, description);
    for (int i = 0; i < n; ++i)
        file.AddColumnHeader(&cursor, i);
    file.EndHeader(name);
    if (cursor.MoveFirst())
        do
        {
            file.BeginRow();
            for (int i = 0; i < n; ++i)
                file.AddValue(&cursor, i);
            file.EndRow();
        } while (cursor.MoveNext());
    file.EndRows(name);
    file.EndTable(name);
}

} // namespace

TEST(ExcelCells, ColumnLettersAreBijectiveBase26)
{
    EXPECT_EQ(CString(L"A"), ExcelColumnLetters(0));
    EXPECT_EQ(CString(L"Z"), ExcelColumnLetters(25));
    EXPECT_EQ(CString(L"AA"), ExcelColumnLetters(26));
    EXPECT_EQ(CString(L"AB"), ExcelColumnLetters(27));
    EXPECT_EQ(CString(L"AZ"), ExcelColumnLetters(51));
    EXPECT_EQ(CString(L"BA"), ExcelColumnLetters(52));
    EXPECT_EQ(CString(L"YZ"), ExcelColumnLetters(675));
    EXPECT_EQ(CString(L"ZA"), ExcelColumnLetters(676));
    EXPECT_EQ(CString(L"ZZ"), ExcelColumnLetters(701));
    EXPECT_EQ(CString(L"AAA"), ExcelColumnLetters(702));
    EXPECT_EQ(CString(L"XFD"), ExcelColumnLetters(16383));
    for (int c : {0, 25, 26, 675, 676, 702, 16383})
    {
        int column = -1, row = -1;
        ASSERT_TRUE(ParseExcelCellName(ExcelCellName(c, 7), column, row));
        EXPECT_EQ(c, column);
        EXPECT_EQ(7, row);
    }
}

TEST(ExcelCells, NumbersThatADoubleCannotHoldStayText)
{
    double d = 0;
    EXPECT_TRUE(NumberTextFitsDouble(L"1.50", d));
    EXPECT_EQ(1.5, d);
    // The quick answer without the value agrees with the full one, on both sides of 15 digits,
    // of the exponent limits and of what counts as a number.
    const std::pair<LPCWSTR, bool> cases[] = {{L"1.50", true},
                                              {L"-42", true},
                                              {L"0.1", true},
                                              {L"+7", true},
                                              {L"0", true},
                                              {L"-0.000", true},
                                              {L".5", true},
                                              {L"5.", true},
                                              {L"9007199254740992", true},
                                              {L"1e10", true},
                                              {L"0.000123456789012345", true},
                                              {L"123456789012345000000", true},
                                              {L"1.5E-299", true},
                                              {L"0.30000000000000004", true},
                                              {L"-0.30000000000000004", true},
                                              {L"0.10000000000000001", false},
                                              {L"2.2250738585072014e-308", true},
                                              {L"1234567890123456789", false},
                                              {L"9007199254740993", false},
                                              {L"12345678901234567890.1234567890", false},
                                              {L"0.1234567890123456789", false},
                                              {L"", false},
                                              {L"12a", false},
                                              {L".", false},
                                              {L"-", false},
                                              {L"1e", false},
                                              {L"1.2.3", false},
                                              {L"2024-01-02", false},
                                              {L" 1", false},
                                              {L"1e999", false},
                                              {L"1e-999", false}};
    for (const auto& [text, fits] : cases)
    {
        EXPECT_EQ(fits, NumberTextFitsDouble(text, d)) << CStringA(text).GetString();
        EXPECT_EQ(fits, NumberTextFitsDouble(CString(text))) << CStringA(text).GetString();
    }
}

TEST(ExcelCells, SheetNamesAreCutCleanedAndUnique)
{
    std::set<CString> used;
    EXPECT_EQ(CString(L"dbo.Orders"), MakeSheetName(L"dbo.Orders", used));
    EXPECT_EQ(CString(L"DBO.orders (2)"), MakeSheetName(L"DBO.orders", used));
    EXPECT_EQ(CString(L"a_b_c_d_e_f_g_h_"), MakeSheetName(L"a:b\\c/d?e*f[g]h'", used));
    CString longName = MakeSheetName(L"a_very_long_schema_name.a_very_long_table_name", used);
    EXPECT_EQ(31, longName.GetLength());
    CString second = MakeSheetName(L"a_very_long_schema_name.a_very_long_table_name", used);
    EXPECT_EQ(31, second.GetLength());
    EXPECT_NE(longName, second);
}

TEST(XlsxStandIn, AnswersOnlyOnTheThreadThatMadeIt)
{
    IDispatch* app = CreateXlsxStandInApplication();
    COleDispatchDriver driver(app);
    // The same call from another thread is refused as an out-of-process server would.
    HRESULT hrOther = S_OK;
    std::thread other([&] {
        DISPPARAMS none = {};
        VARIANT result;
        VariantInit(&result);
        hrOther = app->Invoke(XLDISP_WORKBOOKS, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result,
                              nullptr, nullptr);
    });
    other.join();
    EXPECT_EQ(RPC_E_WRONG_THREAD, hrOther);
    COleVariant books = driver.GetProperty(XLDISP_WORKBOOKS);
    EXPECT_EQ(VT_DISPATCH, books.vt);
    EXPECT_EQ(XLDISP_DISPLAYALERTS, driver.GetDispID(L"DisplayAlerts"));
    bool threw = false;
    try
    {
        driver.GetDispID(L"NoSuchMember");
    }
    catch (COleException* e)
    {
        threw = e->m_sc == DISP_E_UNKNOWNNAME;
        e->Delete();
    }
    EXPECT_TRUE(threw);
}

// A block of cells as the writer sends it: text formats on runs of a column first, then one
// array of values, rows by columns, for the whole block.
TEST(XlsxStandIn, RangeTakesAnArrayOfRowsAfterTheFormatsOfItsTextCells)
{
    TempOutput out(L".xlsx");
    {
        XlApplication app;
        app.AttachDispatch(CreateXlsxStandInApplication());
        XlWorkbook book = app.GetWorkbooks().Add(COleVariant(1L));
        XlWorksheet sheet = book.GetWorksheets().GetItem(COleVariant(1L));
        // Rows 2..3, columns B..D: row 2 = 5, "0042", empty; row 3 = 2.5, "x", true.
        SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 1}};
        COleVariant values;
        values.vt = VT_ARRAY | VT_VARIANT;
        values.parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
        auto put = [&](LONG row, LONG column, const COleVariant& v) {
            LONG index[2] = {row, column};
            ASSERT_EQ(S_OK,
                      SafeArrayPutElement(values.parray, index, const_cast<COleVariant*>(&v)));
        };
        put(1, 1, COleVariant(5L));
        put(1, 2, COleVariant(L"0042"));
        put(2, 1, COleVariant(2.5));
        put(2, 2, COleVariant(L"x"));
        put(2, 3, COleVariant(true));
        // The format of the lower cell comes first and must not close the row above it.
        sheet.GetRange(COleVariant(L"C3"), COleVariant(L"C3")).SetNumberFormat(COleVariant(L"@"));
        sheet.GetRange(COleVariant(L"C2"), COleVariant(L"C2")).SetNumberFormat(COleVariant(L"@"));
        sheet.GetRange(COleVariant(L"B2"), COleVariant(L"D3")).SetValues(values);
        // Whole ranges take one value, a font and a fill.
        XlRange head = sheet.GetRange(COleVariant(L"B4"), COleVariant(L"C4"));
        head.SetValue(COleVariant(L"007"));
        head.GetFont().SetBold(true);
        // Rows above the last value are finished: a change there is refused.
        bool refused = false;
        try
        {
            sheet.GetRange(COleVariant(L"A3"), COleVariant(L"A3")).SetValue(COleVariant(1L));
        }
        catch (COleDispatchException* e)
        {
            refused = true;
            e->Delete();
        }
        EXPECT_TRUE(refused);
        book.SaveAs(out.Path(), kXlOpenXMLWorkbook);
        book.Close(false);
        app.Quit();
    }
    std::string got = ReadWithPython(out.Unix(), kDumpCells);
    EXPECT_EQ("SHEET 'Sheet1'\n"
              "B2 int 5 General - -\n"
              "C2 str '0042' @ - -\n"
              "B3 float 2.5 General - -\n"
              "C3 str 'x' @ - -\n"
              "D3 bool True General - -\n"
              "B4 int 7 General B -\n"
              "C4 int 7 General B -\n",
              got);
}

// More rows than one hand-over takes, with NULLs, texts long enough to end a block early, and
// numbers a double cannot hold in a number column: every cell lands where it belongs, text
// formats go only to the cells that hold text, NULL cells stay unset, and an abandoned last
// row leaves nothing.
TEST(ExcelWriter, RowsAcrossManyBlocksKeepTheirCellsAndFormats)
{
    TempOutput out(L".xlsx");
    GridTest::TestCursor c;
    c.AddColumn(L"id", SQL_C_LONG, SQL_INTEGER);
    c.AddColumn(L"amount", SQL_C_DOUBLE, SQL_NUMERIC);
    c.AddColumn(L"note", SQL_C_WCHAR, SQL_WVARCHAR);
    const int nRows = 2600;
    for (int i = 1; i <= nRows; ++i)
    {
        CString id, amount, note;
        id.Format(L"%d", i);
        amount.Format(L"%d.25", i);
        if (i % 997 == 0)
            amount.Format(L"1234567890123456789%d", i);
        note.Format(L"n%d", i);
        if (i % 500 == 0)
            note = CString(L'L', 300000) + note; // a block ends after a few of these
        c.rows.push_back(
            {i % 13 == 0 ? Null() : Text(id), Text(amount), i % 7 == 0 ? Null() : Text(note)});
    }
    {
        CExcelDataFile file(out.Path());
        file.BeginFile();
        std::thread worker([&] {
            WriteTable(file, c, CStringPair(L"", L"t"));
            // A save stopped inside a row leaves the rows before it whole and nothing of it.
            file.BeginRow();
            file.AddValue(L"half a row", 0);
            file.AbandonRow();
        });
        worker.join();
        file.EndFile();
    }
    const char kCheck[] = R"(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
bad = []
for r in range(2, 2602):
    i = r - 1
    a, b, n = ws.cell(r, 1), ws.cell(r, 2), ws.cell(r, 3)
    want_a = None if i % 13 == 0 else i
    want_b = '1234567890123456789%d' % i if i % 997 == 0 else i + 0.25
    want_n = None if i % 7 == 0 else ('L' * 300000 if i % 500 == 0 else '') + 'n%d' % i
    fmt_b = '@' if i % 997 == 0 else 'General'
    fmt_n = 'General' if i % 7 == 0 else '@'
    if (a.value, b.value, n.value) != (want_a, want_b, want_n) or \
       (a.number_format, b.number_format, n.number_format) != ('General', fmt_b, fmt_n):
        bad.append(r)
print('rows', ws.max_row, 'bad', bad[:5])
)";
    EXPECT_EQ("rows 2601 bad []\n", ReadWithPython(out.Unix(), kCheck));
}

TEST(ExcelWriter, WorkbookReadsBackWithTypesFormatsAndSheets)
{
    TempOutput out(L".xlsx");
    GridTest::TestCursor c;
    c.AddColumn(L"id", SQL_C_LONG, SQL_INTEGER);
    c.AddColumn(L"big", SQL_C_CHAR, SQL_BIGINT); // numbers as text, as recordsets deliver them
    c.AddColumn(L"amount", SQL_C_DOUBLE, SQL_NUMERIC);
    c.AddColumn(L"note", SQL_C_WCHAR, SQL_WVARCHAR);
    c.rows.push_back({Text(L"1"), Text(L"1234567890123456789"), Text(L"2.50"), Text(L"0123")});
    c.rows.push_back({Null(), Null(), Text(L"12345678901234567890.1234567890"),
                      Text(L"a&b<c>\r\n\"q\" \x01 Ж€😀")});
    c.AddColumn(L"n", SQL_C_SBIGINT, SQL_BIGINT);
    c.rows[0].push_back(Text(L"9007199254740993"));
    c.rows[1].push_back(Text(L"-5"));
    GridTest::TestCursor d;
    d.AddColumn(L"x", SQL_C_LONG, SQL_INTEGER);
    d.rows.push_back({Text(L"7")});

    {
        CExcelDataFile file(out.Path());
        EXPECT_EQ(out.Path(), file.GetPath());
        file.BeginFile();
        // The rows come from another thread than the file steps, as in a save job.
        std::thread worker([&] {
            WriteTable(file, c, CStringPair(L"sales", L"Orders"), L"Saved orders");
            WriteTable(file, d, CStringPair(L"a_schema_name_that_is_long", L"t:[1]/2?"));
        });
        worker.join();
        file.EndFile();
        EXPECT_TRUE(file.IsStandIn());
    }
    std::string got = ReadWithPython(out.Unix(), kDumpCells);
    std::string expected =
        "SHEET 'sales.Orders'\n"
        "A1 str 'Saved orders' @ - -\n"
        "A2 str 'id' @ B FFC0C0C0\n"
        "B2 str 'big' @ B FFC0C0C0\n"
        "C2 str 'amount' @ B FFC0C0C0\n"
        "D2 str 'note' @ B FFC0C0C0\n"
        "E2 str 'n' @ B FFC0C0C0\n"
        "A3 int 1 General - -\n"
        "B3 str '1234567890123456789' @ - -\n"
        "C3 float 2.5 General - -\n"
        "D3 str '0123' @ - -\n"
        "E3 str '9007199254740993' @ - -\n"
        "C4 str '12345678901234567890.1234567890' @ - -\n"
        // A control character travels in the workbook's _xHHHH_ form, which the spreadsheet
        // application decodes and openpyxl shows as it stands.
        "D4 str 'a&b<c>\\r\\n\"q\" _x0001_ Ж€😀' @ - -\n"
        "E4 int -5 General - -\n"
        "SHEET 'a_schema_name_that_is_long.t__1'\n"
        "A1 str 'x' @ B FFC0C0C0\n"
        "A2 int 7 General - -\n";
    EXPECT_EQ(expected, got);
}

TEST(ExcelWriter, PathGetsXlsxAndAFailedSaveKeepsTheOldFile)
{
    TempOutput out(L".xlsx");
    CString withoutExtension = out.Path().Left(out.Path().GetLength() - 5);
    CExcelDataFile named(withoutExtension);
    EXPECT_EQ(out.Path(), named.GetPath());

    WriteBytes(out.Path(), "old");
    GridTest::TestCursor c;
    c.AddColumn(L"x", SQL_C_LONG, SQL_INTEGER);
    c.rows.push_back({Text(L"1")});
    // The workbook cannot be saved beside the target (a folder holds the name): the save fails,
    // a later step raises the same failure, and the old file stays.
    CString blocker = out.Path().Left(out.Path().GetLength() - 5) + L".saving.xlsx";
    ASSERT_TRUE(CreateDirectoryW(blocker, nullptr));
    CExcelDataFile file(out.Path());
    file.BeginFile();
    WriteTable(file, c, CStringPair(L"", L"t"));
    bool failed = false, failedAgain = false;
    try
    {
        file.EndFile();
    }
    catch (CException* e)
    {
        failed = true;
        e->Delete();
    }
    try
    {
        file.BeginRow();
        file.AddValue(L"x", 0);
        file.EndRow();
        file.EndFile();
    }
    catch (COleDispatchException* e)
    {
        failedAgain = true;
        e->Delete();
    }
    RemoveDirectoryW(blocker);
    EXPECT_TRUE(failedAgain);
    EXPECT_TRUE(failed);
    EXPECT_EQ("old", ReadBytes(out.Path()));
}

TEST(ExcelWriter, MoreColumnsOrRowsThanASheetHoldsStopWithAMessage)
{
    TempOutput out(L".xlsx");
    CExcelDataFile file(out.Path());
    file.BeginFile();
    file.BeginTable(CStringPair(L"", L"t"), L"");
    CString message;
    try
    {
        file.AddColumnHeader(L"one too many", kExcelMaxColumns);
    }
    catch (COleDispatchException* e)
    {
        message = e->m_strDescription;
        e->Delete();
    }
    EXPECT_NE(-1, message.Find(L"16384 columns")) << CStringA(message).GetString();
    file.AddColumnHeader(L"last", kExcelMaxColumns - 1); // XFD is still there

    // The header is row 1: the rows after it end at the sheet's last row.
    message.Empty();
    int rows = 0;
    try
    {
        for (;;)
        {
            file.BeginRow();
            ++rows;
        }
    }
    catch (COleDispatchException* e)
    {
        message = e->m_strDescription;
        e->Delete();
    }
    EXPECT_EQ(kExcelMaxRows - 1, rows);
    EXPECT_NE(-1, message.Find(L"1048576 rows")) << CStringA(message).GetString();
}
