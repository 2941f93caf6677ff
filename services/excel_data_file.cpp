#include "services/excel_data_file.h"

#include "dbaccess/value_text.h"
#include "resources/resource.h"
#include "services/excel_cells.h"
#include "services/xlsx_standin.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

bool g_bForceStandIn = false;

// Queued blocks of rows before a step waits for the automation thread: enough to keep it busy,
// little enough that memory stays flat on a long save.
const size_t kMaxQueued = 4;
// A block ends after this many rows, or sooner once its texts reach kBlockChars characters
// (long texts would otherwise make a block large).
const int kBlockRows = 1000;
const size_t kBlockChars = 1 << 20;
// The text store's pieces; a longer string has a piece of its own. Written blocks give theirs
// back, up to kSparePieces kept.
const size_t kTextPiece = 256 * 1024;
const size_t kSparePieces = 16;

bool IsTextCType(int nCType)
{
    switch (nCType)
    {
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
    case SQL_C_BINARY:
    case SQL_C_TIMESTAMP:
    case SQL_C_DATE:
    case SQL_C_TIME:
    case SQL_C_TYPE_DATE:
    case SQL_C_TYPE_TIME:
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_GUID: return true;
    }
    return false;
}

CString ExceptionText(CException* e)
{
    wchar_t text[1024] = {};
    if (!e->GetErrorMessage(text, 1024) || !text[0])
        return L"The spreadsheet application reported an error.";
    return text;
}

} // namespace

void CExcelDataFile::ForceStandIn(bool bForce)
{
    g_bForceStandIn = bForce;
}

CExcelDataFile::CExcelDataFile(LPCWSTR pszPath) : m_strPath(pszPath ? pszPath : L"")
{
    if (m_strPath.GetLength() < 5 || m_strPath.Right(5).CompareNoCase(L".xlsx") != 0)
        m_strPath += L".xlsx";
    m_thread = std::thread([this] { ThreadMain(); });
}

BSTR CExcelDataFile::CTextStore::Add(LPCWSTR psz, int nLength)
{
    // The length in bytes just before the characters, which start on an 8-byte boundary as an
    // allocated string's do, and a terminating zero.
    const size_t bytes = static_cast<size_t>(nLength) * sizeof(wchar_t);
    const size_t need = (sizeof(UINT64) + bytes + sizeof(wchar_t) + 7) & ~size_t(7);
    if (pieces.empty() || pieces.back().nSize - nUsed < need)
    {
        if (need <= kTextPiece && !spare.empty())
        {
            pieces.push_back(std::move(spare.back()));
            spare.pop_back();
        }
        else
        {
            const size_t size = std::max(need, kTextPiece);
            pieces.push_back({std::unique_ptr<BYTE[]>(new BYTE[size]), size});
        }
        nUsed = 0;
    }
    BYTE* p = pieces.back().data.get() + nUsed;
    nUsed += need;
    *reinterpret_cast<UINT32*>(p + 4) = static_cast<UINT32>(bytes);
    wchar_t* text = reinterpret_cast<wchar_t*>(p + 8);
    if (bytes)
        std::memcpy(text, psz, bytes);
    text[nLength] = 0;
    return text;
}

void CExcelDataFile::CTextStore::Reuse(std::vector<CPiece>& used)
{
    for (CPiece& piece : used)
        if (piece.nSize == kTextPiece && spare.size() < kSparePieces)
            spare.push_back(std::move(piece));
    used.clear();
}

void CExcelDataFile::CRowBlock::Clear()
{
    // The strings are the text store's: nothing to free per cell.
    cells.clear();
    texts.Reuse(texts.pieces);
    texts.nUsed = 0;
    nChars = 0;
}

// A block of rows as an array of values for Range.Value, rows by columns from the block's top
// left cell, and which of its cells are formatted as text first.
struct CExcelDataFile::CSheetBlock
{
    CSheetBlock(const CSheetBlock&) = delete;
    CSheetBlock& operator=(const CSheetBlock&) = delete;
    ~CSheetBlock()
    {
        // Its strings are the text store's, which goes with the block: the array must not free
        // them.
        VARIANT* data = nullptr;
        if (values.parray &&
            SUCCEEDED(SafeArrayAccessData(values.parray, reinterpret_cast<void**>(&data))))
        {
            for (size_t i = 0, n = static_cast<size_t>(nRows) * nColumns; i < n; ++i)
                if (data[i].vt == VT_BSTR)
                    data[i].vt = VT_EMPTY;
            SafeArrayUnaccessData(values.parray);
        }
    }
    CSheetBlock(int row, int column, int rows, int columns)
        : nRow(row), nColumn(column), nRows(rows), nColumns(columns),
          text(static_cast<size_t>(rows) * columns)
    {
        SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows), 1},
                                    {static_cast<ULONG>(columns), 1}};
        values.vt = VT_ARRAY | VT_VARIANT;
        values.parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
        if (!values.parray)
            AfxThrowMemoryException();
    }
    // Safe arrays keep the first index (the row) running fastest.
    size_t Index(int row, int column) const
    {
        return static_cast<size_t>(row - nRow) + static_cast<size_t>(column - nColumn) * nRows;
    }

    int nRow, nColumn, nRows, nColumns;
    COleVariant values;
    std::vector<bool> text;
    std::vector<CTextStore::CPiece> strings; // the texts of values
};

CExcelDataFile::~CExcelDataFile()
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        // After a failure nothing more is sent, but the workbook must still be closed.
        m_bFailed = false;
        m_queue.push_back([this] { CloseUnsaved(); });
        m_bStop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CExcelDataFile::ThreadMain()
{
    HRESULT hrInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (;;)
    {
        std::function<void()> work;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_queue.empty() || m_bStop; });
            if (m_queue.empty())
                break;
            work = std::move(m_queue.front());
            m_queue.pop_front();
            m_bBusy = true;
        }
        CString failure;
        try
        {
            work();
        }
        catch (CException* e)
        {
            failure = ExceptionText(e);
            e->Delete();
        }
        catch (...)
        {
            failure = L"Unknown exception";
        }
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_bBusy = false;
            if (!failure.IsEmpty() && !m_bFailed)
            {
                m_bFailed = true;
                m_strFailure = failure;
                // What was queued after the failing call would act on a broken state; only the
                // closing work that the destructor queues is kept.
                if (!m_bStop)
                    m_queue.clear();
            }
        }
        m_changed.notify_all();
    }
    m_sheet.ReleaseDispatch();
    m_workbook.ReleaseDispatch();
    m_app.ReleaseDispatch();
    if (SUCCEEDED(hrInit))
        CoUninitialize();
}

void CExcelDataFile::RaiseFailure()
{
    // Called with the failure recorded; the failure stays, so every later step stops too.
    AfxThrowOleDispatchException(0, m_strFailure);
}

void CExcelDataFile::Post(std::function<void()> work)
{
    FlushBlock(); // what came before goes first
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < kMaxQueued || m_bFailed; });
    if (m_bFailed)
        RaiseFailure();
    m_queue.push_back(std::move(work));
    lock.unlock();
    m_changed.notify_all();
}

void CExcelDataFile::Call(std::function<void()> work)
{
    Post(std::move(work));
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return (m_queue.empty() && !m_bBusy) || m_bFailed; });
    if (m_bFailed)
        RaiseFailure();
}

void CExcelDataFile::BeginFile()
{
    Call([this] {
        COleException error;
        if (g_bForceStandIn || !m_app.CreateDispatch(L"Excel.Application", &error))
        {
            IDispatch* pStandIn = CreateXlsxStandInApplication();
            if (!pStandIn)
                AfxThrowOleDispatchException(0, IDS_FAILED_TO_START_EXCEL);
            m_app.AttachDispatch(pStandIn, TRUE);
            m_bStandIn = true;
        }
        m_workbook = m_app.GetWorkbooks().Add(COleVariant(1L));
        m_bWorkbookOpen = true;
    });
}

void CExcelDataFile::BeginTable(const CStringPair& name, LPCWSTR pszDescription)
{
    FlushBlock();
    CString strName = MakeObjectName(name, true);
    // Sheet names longer than 31 characters or holding : \ / ? * [ ] are refused by the
    // application, and so would be a second sheet of the same name.
    CString strSheet = strName.IsEmpty() ? CString() : MakeSheetName(strName, m_sheetNames);
    CString strDescription = pszDescription ? pszDescription : L"";
    m_nRow = strDescription.IsEmpty() ? 1 : 2;
    Post([this, strSheet, strDescription] {
        ++m_nTable;
        XlSheets sheets = m_workbook.GetWorksheets();
        if (m_nTable == 1 || static_cast<long>(m_nTable) <= sheets.GetCount())
            m_sheet = sheets.GetItem(COleVariant(static_cast<long>(m_nTable)));
        else
        {
            COleVariant after(static_cast<IDispatch*>(m_sheet.m_lpDispatch));
            m_sheet = sheets.Add(OmittedArgument(), after, COleVariant(1L), OmittedArgument());
        }
        if (!strSheet.IsEmpty())
            m_sheet.SetName(strSheet);
        if (!strDescription.IsEmpty())
            WriteCell(0, 1, COleVariant(strDescription), true, false);
    });
}

void CExcelDataFile::CheckCell(int column) const
{
    if (column >= kExcelMaxColumns)
    {
        CString text;
        text.Format(L"A worksheet holds at most %d columns; the data has more.", kExcelMaxColumns);
        AfxThrowOleDispatchException(0, text);
    }
}

void CExcelDataFile::AddColumnHeader(const CString& text, int column)
{
    CheckCell(column);
    int row = m_nRow;
    Post([this, text, column, row] { WriteCell(column, row, COleVariant(text), true, true); });
}

void CExcelDataFile::BeginRow()
{
    if (m_nRow >= kExcelMaxRows)
    {
        CString text;
        text.Format(L"A worksheet holds at most %d rows; the export stopped there.", kExcelMaxRows);
        AfxThrowOleDispatchException(0, text);
    }
    ++m_nRow;
}

void CExcelDataFile::AddCell(int column, VARIANT value, bool bText)
{
    if (m_block.cells.empty())
        m_block.nFirstRow = m_nRow;
    if (value.vt == VT_BSTR)
        m_block.nChars += SysStringLen(value.bstrVal);
    m_block.cells.push_back({m_nRow, column, value, bText});
}

void CExcelDataFile::AddText(int column, const CString& text, bool bText)
{
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = m_block.texts.Add(text.GetString(), text.GetLength());
    AddCell(column, v, bText);
}

void CExcelDataFile::AddValue(const CString& text, int column)
{
    CheckCell(column);
    AddText(column, text, false);
}

void CExcelDataFile::AddValue(Zelt::ICursor* pCursor, int column)
{
    CheckCell(column);
    UINT col = column + 1;
    int nCType = pCursor->GetColumnCType(col);
    if ((nCType == SQL_C_LONG || nCType == SQL_C_SLONG || nCType == SQL_C_SHORT ||
         nCType == SQL_C_SSHORT || nCType == SQL_C_TINYINT || nCType == SQL_C_STINYINT) &&
        !pCursor->IsFieldHeldAsText(col))
    {
        long value = 0;
        if (pCursor->GetFieldLong(col, value))
        {
            VARIANT v;
            v.vt = VT_I4;
            v.lVal = value;
            AddCell(column, v, false);
        }
        return;
    }
    if (!GetFieldWholeText(pCursor, col, m_strField))
        return;
    // A number a double cannot hold (a 19-digit key, numeric(38,10)) would be rounded in a
    // General cell: it goes in as text. A value held as its text is a number where its text is
    // one (SQLite's 1.5 in an INTEGER column; a text there never reads as a number).
    bool bText = IsTextCType(nCType) || !NumberTextFitsDouble(m_strField);
    AddText(column, m_strField, bText);
}

void CExcelDataFile::AbandonRow()
{
    // The row's cells are the last of the block: a block is handed over only after EndRow.
    // Their strings stay in the text store until the block goes.
    while (!m_block.cells.empty() && m_block.cells.back().nRow == m_nRow)
        m_block.cells.pop_back();
}

void CExcelDataFile::EndRow()
{
    if (m_nRow - m_block.nFirstRow + 1 >= kBlockRows || m_block.nChars >= kBlockChars)
        FlushBlock();
}

void CExcelDataFile::FlushBlock()
{
    if (m_block.cells.empty())
        return;
    int firstColumn = m_block.cells.front().nColumn, lastColumn = firstColumn;
    int lastRow = m_block.nFirstRow;
    for (const CCellWrite& cell : m_block.cells)
    {
        firstColumn = std::min(firstColumn, cell.nColumn);
        lastColumn = std::max(lastColumn, cell.nColumn);
        lastRow = std::max(lastRow, cell.nRow);
    }
    auto block = std::make_shared<CSheetBlock>(m_block.nFirstRow, firstColumn,
                                               lastRow - m_block.nFirstRow + 1,
                                               lastColumn - firstColumn + 1);
    VARIANT* data = nullptr;
    SafeArrayAccessData(block->values.parray, reinterpret_cast<void**>(&data));
    for (CCellWrite& cell : m_block.cells)
    {
        size_t i = block->Index(cell.nRow, cell.nColumn);
        // The value moves into the array; a second value for the same cell replaces the first
        // (whose string is the text store's).
        data[i] = cell.value;
        cell.value.vt = VT_EMPTY;
        block->text[i] = cell.bText;
    }
    SafeArrayUnaccessData(block->values.parray);
    block->strings = std::move(m_block.texts.pieces);
    m_block.Clear();
    std::vector<std::shared_ptr<CSheetBlock>> written;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        written.swap(m_written);
    }
    for (auto& done : written)
        if (done.use_count() == 1)
            m_block.texts.Reuse(done->strings);
    written.clear();
    Post([this, block] {
        WriteBlock(*block);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_written.push_back(block);
    });
}

void CExcelDataFile::WriteCell(int column, int row, const COleVariant& value, bool bText,
                               bool bHeader)
{
    COleVariant name(ExcelCellName(column, row));
    XlRange range = m_sheet.GetRange(name, name);
    if (bText)
        range.SetNumberFormat(COleVariant(L"@"));
    range.SetValue(value);
    if (bHeader)
    {
        range.GetFont().SetBold(true);
        range.GetInterior().SetColorIndex(15);
    }
}

void CExcelDataFile::WriteBlock(CSheetBlock& block)
{
    // Text cells are formatted before the values go in: the application would take a text
    // that looks like a number for the number. One call per run of text cells down a column.
    COleVariant textFormat(L"@");
    for (int c = 0; c < block.nColumns; ++c)
    {
        int column = block.nColumn + c;
        for (int r = 0; r < block.nRows;)
        {
            if (!block.text[block.Index(block.nRow + r, column)])
            {
                ++r;
                continue;
            }
            int first = r;
            while (r < block.nRows && block.text[block.Index(block.nRow + r, column)])
                ++r;
            m_sheet
                .GetRange(COleVariant(ExcelCellName(column, block.nRow + first)),
                          COleVariant(ExcelCellName(column, block.nRow + r - 1)))
                .SetNumberFormat(textFormat);
        }
    }
    m_sheet
        .GetRange(COleVariant(ExcelCellName(block.nColumn, block.nRow)),
                  COleVariant(ExcelCellName(block.nColumn + block.nColumns - 1,
                                            block.nRow + block.nRows - 1)))
        .SetValues(block.values);
}

void CExcelDataFile::EndFile()
{
    FlushBlock();
    CString strPath = m_strPath;
    Call([this, strPath] {
        // Saved beside the target first and moved over it only when complete: a failed save
        // leaves the old file as it was.
        CString strTemp = strPath.Left(strPath.GetLength() - 5) + L".saving.xlsx";
        DeleteFileW(strTemp);
        try
        {
            m_workbook.SaveAs(strTemp, kXlOpenXMLWorkbook);
            // The application keeps a saved workbook's file open.
            m_workbook.Close(false);
            m_bWorkbookOpen = false;
        }
        catch (CException* e)
        {
            DeleteFileW(strTemp);
            // The user chose the target, not the temporary name: the message names the target.
            CString text = ExceptionText(e);
            e->Delete();
            text.Replace(strTemp, strPath);
            AfxThrowOleDispatchException(0, text);
        }
        if (!MoveFileExW(strTemp, strPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        {
            DWORD error = GetLastError();
            DeleteFileW(strTemp);
            CFileException::ThrowOsError(static_cast<LONG>(error), strPath);
        }
    });
}

void CExcelDataFile::CloseUnsaved()
{
    if (!m_app.m_lpDispatch)
        return;
    // An unsaved workbook would make Quit wait on a prompt nobody can see.
    try
    {
        if (m_bWorkbookOpen && m_workbook.m_lpDispatch)
        {
            m_app.SetDisplayAlerts(false);
            m_workbook.Close(false);
        }
    }
    catch (CException* e)
    {
        e->Delete();
    }
    m_bWorkbookOpen = false;
    m_sheet.ReleaseDispatch();
    m_workbook.ReleaseDispatch();
    try
    {
        m_app.Quit();
    }
    catch (CException* e)
    {
        e->Delete();
    }
    m_app.ReleaseDispatch();
}
