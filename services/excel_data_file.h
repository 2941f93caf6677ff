// Workbook export: one worksheet per saved table, filled through the spreadsheet application's
// automation objects ("Excel.Application", or the in-process .xlsx writer where it is not
// installed) and saved as an .xlsx workbook.
//
// An automation object answers only in the apartment that made it, while the steps of a save
// come from two threads (the file steps from the user-interface thread, the rows from the
// save job's worker). So the writer runs a thread of its own that makes the objects and makes
// every call; the steps hand it their work, a row at a time, without waiting for it. A failed
// call stops the work, and the next step raises the failure.
#pragma once

#include "services/data_file.h"
#include "services/excel_automation.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

class CExcelDataFile : public CDataFile
{
public:
    // The path gets ".xlsx" when it lacks it.
    explicit CExcelDataFile(LPCWSTR pszPath);
    // Closes an unsaved workbook without saving, then ends the application.
    ~CExcelDataFile() override;

    // The path the workbook is saved under.
    const CString& GetPath() const { return m_strPath; }
    // Whether the in-process writer took the place of the spreadsheet application.
    bool IsStandIn() const { return m_bStandIn; }

    void BeginFile() override;
    void BeginTable(const CStringPair& name, LPCWSTR pszDescription) override;
    void AddColumnHeader(const CString& text, int column) override;
    using CDataFile::AddColumnHeader;
    void BeginRow() override;
    void AddValue(const CString& text, int column) override;
    void AddValue(Zelt::ICursor* pCursor, int column) override;
    void EndRow() override;
    void EndFile() override;
    // The row's cells go to the workbook at EndRow; the workbook reaches its file at EndFile.
    void AbandonRow() override { m_row.clear(); }
    bool Discard() override { return true; }

    // For tests: the next writers use the in-process writer even where the application exists.
    static void ForceStandIn(bool bForce);

private:
    struct CCellWrite
    {
        int nColumn;
        COleVariant value;
        bool bText; // number format "@" first
    };

    // Runs on the automation thread, in order. Post waits only while many rows are queued;
    // Call waits for the work and everything before it.
    void Post(std::function<void()> work);
    void Call(std::function<void()> work);
    void ThreadMain();
    void RaiseFailure();
    void FlushRow();
    // Hands the collected rows to the automation thread.
    void FlushBatch();
    void CheckCell(int column) const;

    // Automation thread only.
    void WriteCell(int column, int row, const COleVariant& value, bool bText, bool bHeader);
    void CloseUnsaved();

    CString m_strPath;
    bool m_bStandIn = false;

    // The caller's side.
    int m_nRow = 0;
    std::vector<CCellWrite> m_row;
    // Finished rows not yet handed over: one hand-over per hundred rows costs far less than one
    // per row.
    std::vector<std::pair<int, std::vector<CCellWrite>>> m_batch;
    std::set<CString> m_sheetNames;

    // The automation thread's side.
    UINT m_nTable = 0;
    XlApplication m_app;
    XlWorkbook m_workbook;
    XlWorksheet m_sheet;
    bool m_bWorkbookOpen = false;

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_queue;
    bool m_bBusy = false;
    bool m_bStop = false;
    bool m_bFailed = false;
    CString m_strFailure;
};
