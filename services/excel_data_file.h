// Workbook export: one worksheet per saved table, filled through the spreadsheet application's
// automation objects ("Excel.Application", or the in-process .xlsx writer where it is not
// installed) and saved as an .xlsx workbook.
//
// An automation object answers only in the apartment that made it, while the steps of a save
// come from two threads (the file steps from the user-interface thread, the rows from the
// save job's worker). So the writer runs a thread of its own that makes the objects and makes
// every call; the steps hand it their work without waiting for it. A failed call stops the
// work, and the next step raises the failure.
//
// Rows go over in blocks: a block of rows becomes one array of values that a single
// Range.Value call puts into the sheet, after one NumberFormat call per run of text cells of a
// column. A call per cell (a range object, a format, a value, each across the apartment) would
// cost far more than writing the cell.
#pragma once

#include "services/data_file.h"
#include "services/excel_automation.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
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
    void AbandonRow() override;
    bool Discard() override { return true; }

    // For tests: the next writers use the in-process writer even where the application exists.
    static void ForceStandIn(bool bForce);

private:
    // A value of the row being read. A text's string lies in the block's text store, laid out
    // as a BSTR (length prefix, terminating zero) but never allocated or freed as one.
    struct CCellWrite
    {
        int nRow;
        int nColumn;
        VARIANT value;
        bool bText; // number format "@" first
    };
    // The strings of one block, in large pieces: a string allocated per cell, and freed again,
    // was a third of the time the saving thread spent on a workbook (under Wine every one takes
    // the process heap's lock, which the other threads of the save take too).
    struct CTextStore
    {
        struct CPiece
        {
            std::unique_ptr<BYTE[]> data;
            size_t nSize;
        };
        BSTR Add(LPCWSTR psz, int nLength);
        // Takes back the pieces of a written block, for the next strings.
        void Reuse(std::vector<CPiece>& used);
        std::vector<CPiece> pieces;
        size_t nUsed = 0; // of the last piece
        std::vector<CPiece> spare;
    };
    // Rows collected on the caller's side for one hand-over.
    struct CRowBlock
    {
        CRowBlock() = default;
        CRowBlock(const CRowBlock&) = delete;
        CRowBlock& operator=(const CRowBlock&) = delete;
        ~CRowBlock() { Clear(); }
        void Clear();
        std::vector<CCellWrite> cells;
        CTextStore texts;
        int nFirstRow = 0;
        size_t nChars = 0; // of the texts, to keep a block of long texts small
    };
    // One block as the automation thread puts it into the sheet.
    struct CSheetBlock;

    // Runs on the automation thread, in order. Post waits only while many blocks are queued;
    // Call waits for the work and everything before it.
    void Post(std::function<void()> work);
    void Call(std::function<void()> work);
    void ThreadMain();
    void RaiseFailure();
    void AddCell(int column, VARIANT value, bool bText);
    void AddText(int column, const CString& text, bool bText);
    // Hands the collected rows to the automation thread.
    void FlushBlock();
    void CheckCell(int column) const;

    // Automation thread only.
    void WriteCell(int column, int row, const COleVariant& value, bool bText, bool bHeader);
    void WriteBlock(CSheetBlock& block);
    void CloseUnsaved();

    CString m_strPath;
    bool m_bStandIn = false;

    // The caller's side.
    int m_nRow = 0;
    CRowBlock m_block;
    CString m_strField; // a value's text, kept for its buffer
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
    // Blocks put into the sheet, freed by the caller's thread, which made their strings: the
    // automation thread then spends no time on the heap for them.
    std::vector<std::shared_ptr<CSheetBlock>> m_written;
};
