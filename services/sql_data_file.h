// SQL INSERT script export: one INSERT statement per row with literals for the chosen target
// product, optional COMMIT lines, in ANSI, UTF-16LE or UTF-8.
#pragma once

#include "services/data_file.h"

#include <functional>

class CRDatabase;

// The targets of the options dialog, in its order.
enum SQLScriptTarget
{
    SQLTARGET_ORACLE = 0,
    SQLTARGET_SYBASE = 1,
    SQLTARGET_MSSQL = 2,
    SQLTARGET_ACCESS = 3,
    SQLTARGET_POSTGRESQL = 4,
    SQLTARGET_SQLITE = 5,
};

// The text encodings of a script file.
enum SQLScriptEncoding
{
    SQLENC_ANSI = 1,
    SQLENC_UTF16 = 2,
    SQLENC_UTF8 = 3,
};

// The product kind whose literals a target takes.
UINT SQLTargetKind(int nTarget);
// A table or column name as the target reads it: quoted when it is not a plain identifier or
// is a reserved word, and for PostgreSQL also when it is not all lower case (PostgreSQL folds
// unquoted names to lower case, so "Orders" would name the table orders) or is one of its own
// reserved words ("limit", "offset", "window").
CString QuoteNameForTarget(const CString& name, int nTarget);

struct CSQLScriptOptions
{
    CString strSeparator = L";"; // empty: every statement ends with an empty line
    int nTarget = SQLTARGET_ORACLE;
    bool bCommit = false;
    int nCommitCount = 1000;
    bool bSaveSchema = false;
    int nGuidForm = 0; // Oracle: 0 text strings, 1 binary data
    int nEncoding = SQLENC_ANSI;
};

class CSQLDataFile : public CDataFile, public CBufferedDataFile
{
public:
    // pDatabase: the connection the saved cursors read from; it formats the literals of cursors
    // that are not recordsets (a grid's rows kept in memory). May be null.
    CSQLDataFile(LPCWSTR pszPath, const CSQLScriptOptions& options, CRDatabase* pDatabase);

    // The literal of the cursor's current value in column + 1 for the target.
    CString FormatLiteral(Zelt::ICursor* pCursor, int column);

    void BeginFile() override;
    void BeginTable(const CStringPair& name, LPCWSTR pszDescription) override;
    void AddColumnHeader(const CString& text, int column) override;
    void AddColumnHeader(Zelt::ICursor* pCursor, int column) override;
    void EndHeader(const CStringPair& name) override;
    void BeginRow() override;
    void AddValue(const CString& text, int column) override;
    void AddValue(Zelt::ICursor* pCursor, int column) override;
    void EndRow() override;
    void EndTable(const CStringPair& name) override;
    void Flush() override;
    void EndFile() override;
    void AbandonRow() override { DropToRowMark(); }
    bool CutAfterFailedWrite() override;
    bool Discard() override { return DiscardFile(); }
    bool RemoveUnclosed() override { return RemoveFile(); }

private:
    void WriteText(const CString& text);
    void WriteCommitLine();

    CSQLScriptOptions m_options;
    CRDatabase* m_pDatabase;
    CString m_strHead;   // "INSERT INTO name (columns) "
    CString m_strValues; // "VALUES(...)"
    UINT m_nRow = 0;     // runs on across the tables of one file
    bool m_bFirstColumn = true;
    bool m_bFirstValue = true;
};
