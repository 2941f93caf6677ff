// The job that copies a cursor into an export writer record by record on a worker thread.
#pragma once

#include "services/async_jobs.h"
#include "services/data_file.h"

#include <vector>

class CWaitDlg;

class CRDatabaseHelper::CSaveDataAsyncThread : public CRDatabaseHelper::CAsyncThread
{
public:
    // pRepaint: a window invalidated every thousand rows and at the end (may be null);
    // pColumnMap: the 0-based cursor columns in the order to save, or null for all.
    CSaveDataAsyncThread(CDataFile* pFile, Zelt::ICursor* pCursor, CWnd* pRepaint,
                         const CStringPair& table, const std::vector<int>* pColumnMap,
                         LPCWSTR pszDescription, CWaitDlg* pWait);
    bool Run() override;
    // Only the cancel flag stops the copy, after the row being written.
    bool Cancel() override { return true; }

    // The writer refused to go on (the user declined a lossy conversion): no error to show.
    bool WasRefused() const { return m_bRefused; }
    // The file itself failed (a write error): nothing more can go into it.
    bool FileFailed() const { return m_bFileFailed; }
    // Every row of the cursor went into the file.
    bool WroteAllRows() const { return m_bAllRows; }
    // The message line text for a row: shown for rows 1-9, every tenth below 100, every
    // hundredth after; empty when this row shows nothing.
    static CString ProgressText(int nRow, const Zelt::ICursor::CStatus& status, int nCount);

protected:
    void Copy();
    // The closing steps of the table after the rows stopped on an error, the row being written
    // dropped first with bAbandonRow; a second failure there is dropped, the first one is the
    // one to report.
    void CloseTableAfterError(bool bAbandonRow);
    void ThrowIfRowsStopped();
    int Column(int i) const { return m_pColumnMap ? (*m_pColumnMap)[i] : i; }

    CDataFile* m_pFile;
    Zelt::ICursor* m_pCursor;
    CWnd* m_pRepaint;
    CStringPair m_table;
    const std::vector<int>* m_pColumnMap;
    CString m_strDescription;
    CWaitDlg* m_pWait;
    bool m_bRefused = false;
    bool m_bFileFailed = false;
    bool m_bAllRows = false;
    bool m_bInRows = false; // between the header and the closing steps
    bool m_bInRow = false;  // between BeginRow and EndRow
};
