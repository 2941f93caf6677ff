// Saving data to a file: the file and format question, the writers' factory, the save job and
// the entry points that run it.
#include "services/save_data_job.h"

#include "dbaccess/error_report.h"
#include "dbaccess/mem_cursor.h"
#include "resources/resource.h"
#include "services/csv_data_file.h"
#include "services/excel_data_file.h"
#include "services/export_dialogs.h"
#include "services/export_settings.h"
#include "services/html_data_file.h"
#include "services/sql_data_file.h"
#include "services/wait_dlg.h"

namespace {

// The format chosen last in this run.
int g_nLastFormat = 0;

CString LoadText(UINT nID, LPCWSTR pszFallback)
{
    CString s;
    if (!s.LoadString(nID))
        s = pszFallback;
    return s;
}

struct CFormatFilter
{
    int nFormat;
    UINT nString;
    LPCWSTR pszFallback;
    LPCWSTR pszExtension;
};

// The fixed order of the filters.
const CFormatFilter kFilters[] = {
    {SAVEAS_HTML, IDS_FILTER_HTML, L"HTML (*.htm)|*.htm|", L".htm"},
    {SAVEAS_CSV, IDS_FILTER_CSV, L"Comma separated (*.csv)|*.csv|", L".csv"},
    {SAVEAS_SQL, IDS_FILTER_SQL, L"SQL script (*.sql)|*.sql|", L".sql"},
    {SAVEAS_EXCEL, IDS_FILTER_EXCEL, L"Excel workbook (*.xlsx)|*.xlsx|", L".xlsx"},
};

HWND MainWindowHandle()
{
    CWnd* pMain = AfxGetMainWnd();
    return pMain ? pMain->GetSafeHwnd() : nullptr;
}

// Asked from the save's worker when a value cannot be written as it is.
void AskBeforeLosingText(CBufferedDataFile& file)
{
    HWND hOwner = MainWindowHandle();
    file.SetLossyConversionQuestion([hOwner] {
        CString text =
            LoadText(165, L"Text was changed during conversion.\nDo you want to save it?");
        return ::MessageBoxW(hOwner, text, AfxGetAppName(), MB_OKCANCEL | MB_ICONEXCLAMATION) ==
               IDOK;
    });
}

} // namespace

int AllowedSaveFormats(int nObjectKind, INT_PTR nObjects)
{
    int nAllowed = SAVEAS_HTML | SAVEAS_EXCEL;
    if (nObjectKind == DBOBJ_TABLE)
        nAllowed |= SAVEAS_SQL;
    if (nObjects == 1)
        nAllowed |= SAVEAS_CSV;
    return nAllowed;
}

CString DataFileFilter(int nAllowed, std::vector<int>* pFormats)
{
    CString filter;
    for (const CFormatFilter& f : kFilters)
        if (nAllowed & f.nFormat)
        {
            filter += LoadText(f.nString, f.pszFallback);
            if (pFormats)
                pFormats->push_back(f.nFormat);
        }
    return filter + L"|";
}

int AskDataFileName(int nAllowed, CString& strPath, LPCWSTR pszDefaultName, CWnd* pParent)
{
    std::vector<int> formats;
    CString filter = DataFileFilter(nAllowed, &formats);
    if (formats.empty())
        return 0;
    CFileDialog dlg(FALSE, nullptr, pszDefaultName,
                    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ENABLESIZING, filter, pParent);
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i] == g_nLastFormat)
            dlg.m_ofn.nFilterIndex = static_cast<DWORD>(i + 1);
    if (dlg.DoModal() != IDOK)
        return 0;
    DWORD index = dlg.m_ofn.nFilterIndex;
    int nFormat = formats[index >= 1 && index <= formats.size() ? index - 1 : 0];
    g_nLastFormat = nFormat;
    strPath = dlg.GetPathName();
    // A name typed without an extension gets the format's.
    if (dlg.GetFileExt().IsEmpty())
        for (const CFormatFilter& f : kFilters)
            if (f.nFormat == nFormat)
                strPath += f.pszExtension;
    ExportSettings().saveCurrentDirectory();
    return nFormat;
}

std::unique_ptr<CDataFile> CreateDataFile(int nFormat, LPCWSTR pszPath, CRDatabase* pDatabase,
                                          CWnd* pParent)
{
    const CExportSettings& settings = ExportSettings();
    switch (nFormat)
    {
    case SAVEAS_SQL: {
        CSaveAsSQLDlg& dlg = GetSaveAsSQLDlg();
        dlg.m_pParentWnd = pParent;
        if (dlg.DoModal() != IDOK)
            return nullptr;
        auto file = std::make_unique<CSQLDataFile>(pszPath, dlg.GetOptions(), pDatabase);
        AskBeforeLosingText(*file);
        return file;
    }
    case SAVEAS_CSV: {
        CSaveAsCSVDlg& dlg = GetSaveAsCSVDlg();
        dlg.m_pParentWnd = pParent;
        if (dlg.DoModal() != IDOK)
            return nullptr;
        return std::make_unique<CCSVDataFile>(pszPath, dlg.m_strSeparator);
    }
    case SAVEAS_HTML: {
        auto file = std::make_unique<CHTMLDataFile>(pszPath, *settings.pMarkEvenLines != 0,
                                                    *settings.pShowNull != 0);
        AskBeforeLosingText(*file);
        return file;
    }
    case SAVEAS_EXCEL: return std::make_unique<CExcelDataFile>(pszPath);
    }
    return nullptr;
}

// ---- The job ---------------------------------------------------------------------------------

CRDatabaseHelper::CSaveDataAsyncThread::CSaveDataAsyncThread(
    CDataFile* pFile, Zelt::ICursor* pCursor, CWnd* pRepaint, const CStringPair& table,
    const std::vector<int>* pColumnMap, LPCWSTR pszDescription, CWaitDlg* pWait)
    : m_pFile(pFile), m_pCursor(pCursor), m_pRepaint(pRepaint), m_table(table),
      m_pColumnMap(pColumnMap), m_strDescription(pszDescription ? pszDescription : L""),
      m_pWait(pWait)
{}

CString CRDatabaseHelper::CSaveDataAsyncThread::ProgressText(int nRow,
                                                             const Zelt::ICursor::CStatus& status,
                                                             int nCount)
{
    CString text;
    if (!(nRow < 10 || (nRow < 100 && nRow % 10 == 0) || nRow % 100 == 0))
        return text;
    if (status.bCountFinal)
        text.Format(L"%d/%d", status.nCurrentRow + 1, nCount);
    else
        text.Format(L"%d", status.nCurrentRow + 1);
    return text;
}

bool CRDatabaseHelper::CSaveDataAsyncThread::Run()
{
    try
    {
        try
        {
            Copy();
        }
        catch (CFileException*)
        {
            // A failed write (a full disk) may have put part of a row in the file: the file is
            // cut back to whole rows, where the writer can, and then closed as below.
            bool bCut = false;
            try
            {
                bCut = m_pFile->CutAfterFailedWrite();
            }
            catch (CException* e)
            {
                e->Delete();
            }
            if (bCut)
                CloseTableAfterError(false);
            else
                m_bFileFailed = true;
            throw;
        }
        catch (...)
        {
            // A lost connection, a truncated value, a declined conversion: the rows so far stay
            // whole and the table is closed, so the file can be ended well formed.
            if (m_bInRows)
                CloseTableAfterError(m_bInRow);
            throw;
        }
    }
    catch (CUserException* e)
    {
        e->Delete();
        m_bRefused = true;
        return false;
    }
    return true;
}

void CRDatabaseHelper::CSaveDataAsyncThread::Copy()
{
    // The worker touches no window directly: a message to a window of the user-interface
    // thread would wait for that thread's next pump. Texts are published for the pump to show,
    // windows only invalidated.
    auto repaint = [this] {
        if (m_pRepaint && m_pRepaint->GetSafeHwnd())
            ::InvalidateRect(m_pRepaint->GetSafeHwnd(), nullptr, FALSE);
    };
    bool bScrollable = !m_pCursor->IsForwardOnly();
    int nCount =
        m_pColumnMap ? static_cast<int>(m_pColumnMap->size()) : m_pCursor->GetColumnCount();
    if (m_pWait)
        m_pWait->PublishMessageText(L"");
    m_pFile->BeginTable(m_table, m_strDescription);
    for (int i = 0; i < nCount; ++i)
        m_pFile->AddColumnHeader(m_pCursor, Column(i));
    m_pFile->EndHeader(m_table);

    bool bRows = m_pCursor->GetRecordCount() >= 1;
    if (bRows && bScrollable)
        bRows = m_pCursor->MoveFirst();
    if (bRows && m_pCursor->IsEOF())
        bRows = false;
    int nRow = 1, nFlush = 0;
    m_bInRows = true;
    while (bRows && !IsCancelled())
    {
        m_pFile->BeginRow();
        m_bInRow = true;
        for (int i = 0; i < nCount; ++i)
        {
            int column = Column(i);
            if (m_pCursor->IsFieldTruncated(column + 1))
            {
                CString text;
                text.Format(L"Record %d Column %d: data truncated", nRow, column + 1);
                throw new Zelt::CRDBException(text);
            }
            m_pFile->AddValue(m_pCursor, column);
        }
        m_pFile->EndRow();
        m_bInRow = false;
        m_pFile->CountRow();
        if (++nFlush == 1000)
        {
            m_pFile->Flush();
            repaint();
            nFlush = 0;
        }
        if (m_pWait)
        {
            Zelt::ICursor::CStatus status;
            CString text;
            if (nRow < 10 || (nRow < 100 && nRow % 10 == 0) || nRow % 100 == 0)
            {
                m_pCursor->GetStatus(status);
                text = ProgressText(nRow, status, m_pCursor->GetRecordCount());
                m_pWait->PublishMessageText(text);
            }
        }
        ++nRow;
        bool bMoved = bScrollable ? m_pCursor->SetAbsolutePosition(nRow) : m_pCursor->MoveNext();
        if (!bMoved || m_pCursor->IsEOF())
        {
            ThrowIfRowsStopped();
            m_bAllRows = true;
            break;
        }
    }
    if (!bRows)
    {
        ThrowIfRowsStopped();
        m_bAllRows = true;
    }
    m_bInRows = false;
    repaint();
    m_pFile->EndRows(m_table);
    for (int i = 0; i < nCount; ++i)
        m_pFile->AddFooter(m_pCursor, Column(i));
    m_pFile->EndTable(m_table);
    m_pFile->Flush();
}

// Rows that stopped before their end (a memory cursor whose source failed, here or in the
// window's own reading) are not the whole result: the save fails with the failure.
void CRDatabaseHelper::CSaveDataAsyncThread::ThrowIfRowsStopped()
{
    if (auto* pMem = dynamic_cast<Zelt::CMemCursor*>(m_pCursor))
        if (pMem->IsStopped())
            pMem->ThrowStopError();
}

void CRDatabaseHelper::CSaveDataAsyncThread::CloseTableAfterError(bool bAbandonRow)
{
    try
    {
        if (bAbandonRow)
            m_pFile->AbandonRow();
        // Not flushed: a file that holds no row yet may still be left as it was.
        m_pFile->EndRows(m_table);
        m_pFile->EndTable(m_table);
    }
    catch (CFileException* e)
    {
        e->Delete();
        m_bFileFailed = true;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {}
}

// ---- Entry points ----------------------------------------------------------------------------

bool CRDatabaseHelper::SaveData(CWaitHolder& wait, CDataFile* pFile, Zelt::ICursor* pCursor,
                                const CStringPair& table, LPCWSTR pszDescription,
                                const std::vector<int>* pColumnMap, CSaveStop* pStop)
{
    CWnd* pMain = AfxGetMainWnd();
    if (pMain && pMain->GetSafeHwnd())
        pMain->UpdateWindow();
    bool bResult = false;
    bool bFileFailed = false;
    auto save = [&] {
        wait.SetProcessText(FormatObjectName(table, &GetCatalogDatabase(), true));
        if (wait.IsCancelled())
            return;
        CSaveDataAsyncThread job(pFile, pCursor, pMain, table, pColumnMap, pszDescription,
                                 wait.GetWaitDlg());
        struct CFileState
        {
            CSaveDataAsyncThread& job;
            bool& bFailed;
            ~CFileState() { bFailed = job.FileFailed(); }
        } state{job, bFileFailed};
        bool bDone = CAsyncThread::Execute(&job, wait.GetWaitDlg(), true);
        if (!bDone && !job.WasRefused() && !job.GetErrorText().IsEmpty())
        {
            if (pStop)
                pStop->strError = job.GetErrorText();
            else
                AfxMessageBox(job.GetErrorText(), MB_ICONERROR);
        }
        // A Cancel that came after the last row stopped nothing.
        bResult = bDone && (!job.IsCancelled() || job.WroteAllRows());
    };
    if (pStop == nullptr)
    {
        RunReportingErrors(
            [&] {
                try
                {
                    save();
                }
                catch (CAsyncThread::CUnknownException&)
                {
                    ReportUnknownException();
                }
            },
            nullptr, false);
        return bResult;
    }
    // The caller tells the error together with what became of the file.
    try
    {
        save();
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        pStop->strError = FormatErrorText(e);
    }
    catch (...)
    {
        pStop->strError = FormatErrorText(nullptr);
    }
    pStop->bFileFailed = bFileFailed;
    return bResult;
}

namespace {

// Ends a file whose EndFile failed on a full disk: cut back to whole rows with room for the
// closing, which is then written again. False when the file could not be closed.
bool CloseAfterFailedEnd(CDataFile& file)
{
    try
    {
        if (!file.CutAfterFailedWrite())
            return false;
        file.EndRows(CStringPair());
        file.EndTable(CStringPair());
        file.EndFile();
        return true;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {}
    return false;
}

} // namespace

void FinishStoppedSave(std::unique_ptr<CDataFile>& file, const CString& strPath,
                       const CSaveStop& stop)
{
    if (!file)
        return;
    INT64 nRows = file->GetRowsWritten();
    // The workbook writer adds its extension to a name that lacks it.
    CString strFile = strPath;
    const bool bWorkbook = dynamic_cast<const CExcelDataFile*>(file.get()) != nullptr;
    if (const CExcelDataFile* pBook = dynamic_cast<const CExcelDataFile*>(file.get()))
        strFile = pBook->GetPath();
    CString strState; // what became of the file
    if (nRows == 0 && !stop.bEndFailed && file->Discard())
    {
        file.reset();
        if (!stop.strError.IsEmpty())
            strState = strFile + L"\nNothing was saved.";
    }
    else
    {
        bool bClosed = false;
        if (stop.bEndFailed)
            bClosed = CloseAfterFailedEnd(*file);
        else if (!stop.bFileFailed)
        {
            // Ended as a whole save would be (closing tags, the last COMMIT, the workbook
            // saved), so the rows in it can be read.
            try
            {
                file->EndFile();
                bClosed = true;
            }
            catch (CFileException* e)
            {
                // The closing did not fit after all: the rows stay whole, and the file is
                // closed after the last of them that leaves room for it.
                e->Delete();
                bClosed = CloseAfterFailedEnd(*file);
            }
            catch (CException* e)
            {
                e->Delete();
            }
            catch (...)
            {}
        }
        // A cut leaves fewer rows than the save wrote.
        nRows = file->GetRowsWritten();
        // A file ended before its first row (the disk filled in the header) has nothing to keep.
        const bool bRemoved = !bClosed && nRows == 0 && file->RemoveUnclosed();
        file.reset();
        if (bRemoved)
            strState = strFile + L"\nNothing was saved: the file could not be closed and was "
                                 L"removed.";
        else if (::GetFileAttributesW(strFile) == INVALID_FILE_ATTRIBUTES)
            strState = strFile + L"\nNothing was saved.";
        else if (bClosed)
        {
            strState = strFile + L"\nThe file is incomplete: it holds only " +
                       CString(std::to_wstring(nRows).c_str()) +
                       (nRows == 1 ? L" row." : L" rows.");
        }
        else if (bWorkbook && stop.bEndFailed)
        {
            // A workbook replaces the file only once it is saved whole.
            strState = strFile + L"\nThe file was left as it was.";
        }
        else
            strState = strFile + L"\nThe file is incomplete.";
    }
    if (stop.strError.IsEmpty())
    {
        if (!strState.IsEmpty())
            AfxMessageBox(strState, MB_ICONEXCLAMATION);
        return;
    }
    AfxMessageBox(strState.IsEmpty() ? stop.strError : stop.strError + L"\n\n" + strState,
                  MB_ICONERROR);
}

bool EndSavedFile(std::unique_ptr<CDataFile>& file, const CString& strPath)
{
    try
    {
        file->EndFile();
        return true;
    }
    catch (CFileException* e)
    {
        CSaveStop stop;
        {
            CExceptionHolder held(e);
            stop.strError = FormatErrorText(e);
        }
        stop.bEndFailed = true;
        FinishStoppedSave(file, strPath, stop);
    }
    return false;
}

bool CRDatabaseHelper::SaveDataToFile(Zelt::ICursor* pCursor, const CStringPair& table,
                                      int nObjectKind, const std::vector<int>* pColumnMap,
                                      CWnd* pParent, LPCWSTR pszDescription)
{
    int nAllowed = AllowedSaveFormats(nObjectKind, 1);
    CString strPath;
    int nFormat = AskDataFileName(nAllowed, strPath, table.m_strSecond, pParent);
    if (nFormat == 0)
        return false;
    bool bResult = false;
    RunReportingErrors([&] {
        std::unique_ptr<CDataFile> file = CreateDataFile(nFormat, strPath, &GetDatabase(), pParent);
        if (!file)
            return;
        CSaveStop stop;
        bool bSaved = false;
        {
            CWaitHolder wait(pParent, CWaitDlg::flagCancel);
            wait.SetSavingText(strPath);
            file->BeginFile();
            // The INSERT script holds every column in cursor order.
            bSaved = SaveData(wait, file.get(), pCursor, table, pszDescription,
                              nFormat == SAVEAS_SQL ? nullptr : pColumnMap, &stop);
        }
        if (!bSaved)
        {
            // The wait dialog is gone before the message comes.
            FinishStoppedSave(file, strPath, stop);
            return;
        }
        bResult = EndSavedFile(file, strPath);
    });
    return bResult;
}
