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
};

// A CFile that collects what is written in memory and hands it to the system in large pieces:
// the writers produce many small texts per row.
class CBufferedDataFile : public CFile
{
public:
    CBufferedDataFile(LPCWSTR pszPath, UINT nOpenFlags)
        : CFile(pszPath, nOpenFlags), m_buffer(new char[kBufferBytes])
    {}
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
    // Writes what is collected; the system writes it to the disk in its own time (forcing it
    // there after every thousand rows would make a long save several times slower).
    void FlushData() { WriteBuffer(); }

private:
    void PutLarge(const void* pData, size_t nBytes);

    static const size_t kBufferBytes = 256 * 1024;
    std::unique_ptr<char[]> m_buffer;
    size_t m_nUsed = 0;
};

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
