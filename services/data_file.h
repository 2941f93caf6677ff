// The export writers: one interface, CDataFile, with one implementation per file format, and the
// helpers that ask for a file and make the writer for it.
//
// The steps are called in this order for one file:
//   BeginFile, then per table: BeginTable, AddColumnHeader per column, EndHeader,
//   (BeginRow, AddValue per column, EndRow) per row with Flush every 1000 rows, EndRows,
//   AddFooter per column, EndTable, Flush; and EndFile after the last table.
// Columns are 0-based here; the cursor forms read column + 1 of the cursor.
#pragma once

#include "framework/core.h"

#include "dbaccess/cursor.h"
#include "dbaccess/sql_names.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CRDatabase;
class CWnd;

// Format codes; a set of allowed formats is their sum.
enum CSaveAsDataFile
{
    SAVEAS_SQL = 1,
    SAVEAS_CSV = 2,
    SAVEAS_HTML = 4,
    SAVEAS_EXCEL = 8,
};

class CDataFile
{
public:
    CDataFile() {}
    virtual ~CDataFile() {}
    CDataFile(const CDataFile&) = delete;
    CDataFile& operator=(const CDataFile&) = delete;

    virtual void BeginFile() {}
    virtual void BeginTable(const CStringPair& name, LPCWSTR pszDescription) {}
    virtual void AddColumnHeader(const CString& text, int column) {}
    // The cursor's name of the column, handed to the text form.
    virtual void AddColumnHeader(Zelt::ICursor* pCursor, int column)
    {
        AddColumnHeader(pCursor->GetColumnName(column + 1), column);
    }
    virtual void EndHeader(const CStringPair& name) {}
    virtual void BeginRow() {}
    virtual void AddValue(const CString& text, int column) {}
    virtual void AddValue(Zelt::ICursor* pCursor, int column) {}
    virtual void EndRow() {}
    virtual void EndRows(const CStringPair& name) {}
    // No format writes footers.
    virtual void AddFooter(const CString& text, int column) {}
    virtual void AddFooter(Zelt::ICursor* pCursor, int column) {}
    virtual void EndTable(const CStringPair& name) {}
    virtual void Flush() {}
    virtual void EndFile() {}

    // A save that stops early: forgets the row begun by BeginRow, so the file ends with whole
    // rows.
    virtual void AbandonRow() {}
    // After a failed write (a full disk): cuts the file back to whole rows with room left for
    // the closing steps, which may then follow, and counts only the rows left. False when the
    // writer cannot: the file stays as the failure left it.
    virtual bool CutAfterFailedWrite() { return false; }
    // A save that stops before anything reached the disk: leaves the file as it was before the
    // save (an existing file untouched, a new one not made). False when that is too late.
    virtual bool Discard() { return false; }
    // A file that could not be closed and holds no row: removed, so that no file its reader
    // refuses stays. False when the writer cannot.
    virtual bool RemoveUnclosed() { return false; }

    // The rows the save job finished in this file, over all its tables.
    void CountRow() { ++m_nRowsWritten; }
    INT64 GetRowsWritten() const { return m_nRowsWritten; }

protected:
    // The rows a cut after a failed write left (-1: no cut); false when there was no cut.
    bool KeepRowsAfterCut(INT64 nRows)
    {
        if (nRows < 0)
            return false;
        m_nRowsWritten = nRows;
        return true;
    }

private:
    INT64 m_nRowsWritten = 0;
};

// A CFile that collects what is written in memory and hands it to the system in large pieces:
// the writers produce many small texts per row.
//
// A file opened with modeCreate keeps its old content until the first bytes reach it: a save that
// stops before that (the user declined a question about the first rows, the server went away
// while the query ran) can leave an existing file as it was.
class CBufferedDataFile : public CFile
{
public:
    CBufferedDataFile(LPCWSTR pszPath, UINT nOpenFlags);
    ~CBufferedDataFile() override;

    void Put(const void* pData, size_t nBytes)
    {
        if (nBytes > kBufferBytes - m_nUsed)
        {
            PutLarge(pData, nBytes);
            return;
        }
        std::memcpy(m_buffer.get() + m_nUsed, pData, nBytes);
        m_nUsed += nBytes;
    }
    void PutUtf16(const wchar_t* pszText, size_t nChars) { Put(pszText, nChars * sizeof(wchar_t)); }
    // Room for nBytes at the end of the buffer, written there and then committed with
    // CommitBytes; null when the buffer cannot hold that many.
    char* ReserveBytes(size_t nBytes)
    {
        if (nBytes > kBufferBytes - m_nUsed)
        {
            if (nBytes > kBufferBytes)
                return nullptr;
            WriteBuffer();
        }
        return m_buffer.get() + m_nUsed;
    }
    void CommitBytes(size_t nBytes) { m_nUsed += nBytes; }
    // The same in UTF-16 units, for files of UTF-16 alone (whose writes keep the buffer at even
    // offsets).
    wchar_t* ReserveUtf16(size_t nChars)
    {
        return reinterpret_cast<wchar_t*>(ReserveBytes(nChars * sizeof(wchar_t)));
    }
    void CommitUtf16(size_t nChars) { CommitBytes(nChars * sizeof(wchar_t)); }
    // UTF-8 without a byte-order mark.
    void PutUtf8(const wchar_t* pszText, size_t nChars);
    void PutUtf8(const CString& text) { PutUtf8(text.GetString(), text.GetLength()); }
    // Hands the collected bytes to the system.
    void WriteBuffer();
    // Marks the start of a row (one per row, over every table of the file). DropToRowMark takes
    // the row begun last out again, also the part of it that already went to the file: a row
    // crosses the flush of a full buffer as often as not.
    void MarkRow()
    {
        m_rowStarts.push_back(m_nFileBytes + m_nUsed);
        ++m_nRowsMarked;
    }
    void DropToRowMark();
    // After a failed write (a full disk): cuts the file back to the start of the last row that
    // reached it whole with the closing room (SetClosingRoom) of the written file after it (the
    // closing text goes there), and forgets the rest; back to the first row known when none
    // leaves that room. Returns the rows left in the file, -1 (and nothing done) when no row
    // start is known.
    INT64 CutToWrittenRows();
    // Nothing written yet: closes the file, deletes it when the save made it, and forgets the
    // buffer. False (and nothing done) once bytes have gone to the file.
    bool DiscardFile();
    // Closes the file and deletes it, whatever it held; the buffer is forgotten.
    bool RemoveFile();
    // Asked once when a text holds what the file's encoding cannot carry (a character outside
    // the ANSI code page, a lone surrogate in UTF-8); false stops the save.
    void SetLossyConversionQuestion(std::function<bool()> ask) { m_askLossy = std::move(ask); }

protected:
    // The most bytes the writer's closing text (after the last row) takes. Row starts are kept
    // back to one with that much of the written file after it, so that a cut after a failed
    // write can still make room for the closing when the rows written last are short.
    void SetClosingRoom(size_t nBytes) { m_nClosingRoom = nBytes; }
    // The question above, once per file; throws CUserException when it is declined.
    void AcceptLoss();
    bool IsLossAccepted() const { return m_bLossAccepted; }
    // Writes what is collected; the system writes it to the disk in its own time (forcing it
    // there after every thousand rows would make a long save several times slower).
    void FlushData() { WriteBuffer(); }

private:
    void PutLarge(const void* pData, size_t nBytes);

    void TruncateOnce();

    // Hands bytes to the system, after the buffer's.
    void WriteOut(const void* pData, size_t nBytes);
    void CutFile(ULONGLONG nLength);

    static const size_t kBufferBytes = 256 * 1024;
    std::unique_ptr<char[]> m_buffer;
    size_t m_nUsed = 0;
    ULONGLONG m_nFileBytes = 0; // written to the file: the offset of the buffer's first byte
    // Row starts as file offsets: those of the rows in the buffer and those before them back to
    // the last one with the closing room written after it (or all, when none has).
    std::vector<ULONGLONG> m_rowStarts;
    size_t m_nClosingRoom = 0;
    INT64 m_nRowsMarked = 0;
    bool m_bExisted = false; // the file was there before the save
    bool m_bTruncatePending = false;
    bool m_bDiscarded = false;
    bool m_bLossAccepted = false;
    std::function<bool()> m_askLossy;
};

// True when the text holds a surrogate without its partner, which UTF-8 cannot carry (the
// conversion writes U+FFFD in its place).
bool HasLoneSurrogate(const wchar_t* pszText, size_t nChars);

// Converts wide text to UTF-8.
std::string ToUtf8(const wchar_t* pszText, size_t nChars);

// The formats a save offers: HTML and Excel always, the INSERT script only for tables
// (object kind 1), CSV only for a single object.
int AllowedSaveFormats(int nObjectKind, INT_PTR nObjects);
// The save dialog's filter for a set of formats, in the fixed order HTML, CSV, SQL, Excel;
// pFormats receives the format of each entry.
CString DataFileFilter(int nAllowed, std::vector<int>* pFormats);
// Asks for the file to save to; the format chosen last in this run is preselected when allowed.
// Returns the chosen format (a name without extension gets the format's), 0 when cancelled.
int AskDataFileName(int nAllowed, CString& strPath, LPCWSTR pszDefaultName, CWnd* pParent);
// The writer for a format, after its options dialog (SQL, CSV); null when that was cancelled.
// pDatabase formats the INSERT literals of cursors that are not recordsets. Creating the file
// may throw CFileException.
std::unique_ptr<CDataFile> CreateDataFile(int nFormat, LPCWSTR pszPath, CRDatabase* pDatabase,
                                          CWnd* pParent);

// Why a save stopped before its end.
struct CSaveStop
{
    CString strError;         // the error as the standard box words it; empty for a Cancel
    bool bFileFailed = false; // the file itself failed (disk full...): nothing more goes in
    bool bEndFailed = false;  // every row went in, the write of EndFile failed (disk full...)
};
// Ends the file of a save that stopped early and tells the user what is on disk, in one box
// with the error when there is one: a file that holds rows is closed well formed where it can
// be ("incomplete: it holds N rows"); one that holds none is left as it was before the save.
// A Cancel before the first row needs no message. The writer is released.
void FinishStoppedSave(std::unique_ptr<CDataFile>& file, const CString& strPath,
                       const CSaveStop& stop);
// Ends the file of a save that wrote every row (EndFile). When that write fails on the file
// (a full disk), the file is cut back to whole rows and closed after them where it can be, and
// one box tells the error and what the file holds (FinishStoppedSave). True when the file was
// ended whole; other errors go to the caller.
bool EndSavedFile(std::unique_ptr<CDataFile>& file, const CString& strPath);
