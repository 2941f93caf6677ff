// CSV export: UTF-16LE text with a byte-order mark before each table's header line, names always
// quoted, values quoted when they hold the separator, a double quote or a line break.
#pragma once

#include "services/data_file.h"

#include <vector>

class CCSVFile : public CBufferedDataFile
{
public:
    // The separator is trimmed of white space; an empty one becomes ",".
    CCSVFile(LPCWSTR pszPath, UINT nOpenFlags, LPCWSTR pszSeparator);

    const CString& GetSeparator() const { return m_strSeparator; }
    // The header line: byte-order mark, every name quoted, LF.
    void WriteHeaderLine(const std::vector<CString>& names);
    // One data line ended by LF.
    void WriteDataLine(const std::vector<CString>& values);
    // One field of a data line as it goes (the separator before it when not the first).
    void WriteField(LPCWSTR pszValue, int nLength, bool bFirst);
    // The field as it goes into a data line: quoted (inner quotes doubled) when it holds the
    // separator, a double quote, CR or LF; otherwise unchanged. Line breaks are kept inside the
    // quotes, so a reader gets the value back as it was.
    CString FormatField(const CString& value) const;

protected:
    void WriteLongField(LPCWSTR pszValue, int nLength, bool bSeparator, bool bQuoted);

    CString m_strSeparator;
};

class CCSVDataFile : public CDataFile, public CCSVFile
{
public:
    CCSVDataFile(LPCWSTR pszPath, LPCWSTR pszSeparator);

    void BeginTable(const CStringPair& name, LPCWSTR pszDescription) override;
    void AddColumnHeader(const CString& text, int column) override;
    using CDataFile::AddColumnHeader;
    void EndHeader(const CStringPair& name) override;
    void BeginRow() override;
    void AddValue(const CString& text, int column) override;
    void AddValue(Zelt::ICursor* pCursor, int column) override;
    void EndRow() override;
    void Flush() override;
    void AbandonRow() override { DropToRowMark(); }
    // Whole rows need nothing after them.
    bool CutAfterFailedWrite() override { return KeepRowsAfterCut(CutToWrittenRows()); }
    bool Discard() override { return DiscardFile(); }
    bool RemoveUnclosed() override { return RemoveFile(); }

private:
    std::vector<CString> m_texts; // the header's names
    bool m_bFirstValue = true;
    CString m_strValue; // reused for every value read from a cursor
};
