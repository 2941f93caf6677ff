// HTML export: one UTF-8 document with one table per saved table. Every text that comes from
// the database (table and column names included) is escaped, so no name or value can add markup.
#pragma once

#include "services/data_file.h"

#include <cstring>

class CHTMLDataFile : public CDataFile, public CBufferedDataFile
{
public:
    // bMarkEvenLines: every second row gets a grey background; bShowNull: NULL values read
    // "<<NULL>>" as in the grids.
    CHTMLDataFile(LPCWSTR pszPath, bool bMarkEvenLines, bool bShowNull);

    // '&' '"' ' ' '<' '>' as entities, CR LF and then LF as "<BR>"; "" becomes "&nbsp;".
    static CString Escape(const CString& text);

    void BeginFile() override;
    void BeginTable(const CStringPair& name, LPCWSTR pszDescription) override;
    void AddColumnHeader(const CString& text, int column) override;
    using CDataFile::AddColumnHeader;
    void EndHeader(const CStringPair& name) override;
    void BeginRow() override;
    void AddValue(const CString& text, int column) override;
    void AddValue(Zelt::ICursor* pCursor, int column) override;
    void EndRow() override;
    void EndRows(const CStringPair& name) override;
    void AbandonRow() override { DropToRowMark(); }
    bool CutAfterFailedWrite() override;
    bool Discard() override { return DiscardFile(); }
    bool RemoveUnclosed() override { return RemoveFile(); }
    void EndTable(const CStringPair& name) override;
    void Flush() override;
    void EndFile() override;

    void WriteText(const CString& text) { PutUtf8(text); }

private:
    void PutAscii(const char* pszText) { Put(pszText, std::strlen(pszText)); }
    // A value escaped as Escape does, straight into the file as UTF-8.
    void PutEscaped(const wchar_t* pszText, int nLength);

    CString m_strValue; // reused for every value read from a cursor
    UINT m_nRow = 0;    // runs on across the tables of one file
    bool m_bMarkEvenLines;
    bool m_bShowNull;
};
