#include "services/sql_data_file.h"

#include "dbaccess/database.h"
#include "dbaccess/recordset.h"

#include <cwctype>

UINT SQLTargetKind(int nTarget)
{
    static const UINT kinds[] = {DBMS_ORACLE, DBMS_SQLSERVER,  DBMS_MSSQL,
                                 DBMS_ACCESS, DBMS_POSTGRESQL, DBMS_SQLITE};
    if (nTarget < 0 || nTarget >= static_cast<int>(sizeof kinds / sizeof kinds[0]))
        return DBMS_ORACLE;
    return kinds[nTarget];
}

CString QuoteNameForTarget(const CString& name, int nTarget)
{
    bool bQuote = NeedsSQLQuotes(name, nullptr);
    if (!bQuote && nTarget == SQLTARGET_POSTGRESQL)
    {
        for (int i = 0; i < name.GetLength() && !bQuote; ++i)
            bQuote = iswupper(name[i]) != 0;
        bQuote = bQuote || IsPostgreSQLReservedWord(name);
    }
    return bQuote ? QuoteSQLName(name, nullptr) : name;
}

CSQLDataFile::CSQLDataFile(LPCWSTR pszPath, const CSQLScriptOptions& options, CRDatabase* pDatabase)
    : CBufferedDataFile(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive),
      m_options(options), m_pDatabase(pDatabase)
{
    if (m_options.strSeparator.IsEmpty())
        m_options.strSeparator = L"\n";
    // EndTable's line end and EndFile's COMMIT line; a UTF-8 character takes at most three
    // bytes per UTF-16 unit.
    size_t nUnits = 1;
    if (m_options.bCommit)
        nUnits += 7 + static_cast<size_t>(m_options.strSeparator.GetLength()) + 1;
    SetClosingRoom(nUnits * (m_options.nEncoding == SQLENC_UTF16 ? 2 : 3));
}

void CSQLDataFile::WriteText(const CString& text)
{
    switch (m_options.nEncoding)
    {
    case SQLENC_UTF16: PutUtf16(text.GetString(), text.GetLength()); return;
    case SQLENC_UTF8: PutUtf8(text); return;
    default: break;
    }
    if (text.IsEmpty())
        return;
    // Without WC_NO_BEST_FIT_CHARS the system quietly writes a look-alike for a character the
    // code page lacks ("Gdańsk" becomes "Gdansk") and reports nothing: every such character
    // must become the default character, which is reported.
    const DWORD nFlags = WC_NO_BEST_FIT_CHARS;
    BOOL bUsedDefault = FALSE;
    int n =
        WideCharToMultiByte(CP_ACP, nFlags, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_ACP, nFlags, text, text.GetLength(), bytes.data(), n, nullptr,
                        IsLossAccepted() ? nullptr : &bUsedDefault);
    if (bUsedDefault)
    {
        // Characters outside the code page come out as '?': the script would insert other
        // values than the table holds.
        AcceptLoss();
    }
    Put(bytes.data(), bytes.size());
}

void CSQLDataFile::WriteCommitLine()
{
    if (m_options.bCommit)
        WriteText(L"COMMIT " + m_options.strSeparator + L"\n");
}

CString CSQLDataFile::FormatLiteral(Zelt::ICursor* pCursor, int column)
{
    UINT col = column + 1;
    CString literal;
    if (m_options.nTarget == SQLTARGET_ORACLE && pCursor->GetColumnCType(col) == SQL_C_GUID)
    {
        if (m_options.nGuidForm == 1)
        {
            GUID guid = {};
            if (!pCursor->GetFieldGuid(col, guid))
                return L"NULL";
            const BYTE* p = reinterpret_cast<const BYTE*>(&guid);
            literal = L"'";
            for (int i = 0; i < 16; ++i)
                literal.AppendFormat(L"%02X", p[i]);
            literal += L"'";
        }
        else
        {
            CString text;
            if (!pCursor->GetFieldText(col, text))
                return L"NULL";
            literal = L"'" + text + L"'";
        }
        return literal;
    }
    // The connection a recordset reads from formats its literals; rows kept in memory are
    // formatted by the connection they were read from.
    CRDatabase* pDatabase = m_pDatabase;
    if (CRRecordset* pRecordset = dynamic_cast<CRRecordset*>(pCursor))
        pDatabase = pRecordset->GetDatabase();
    if (pDatabase)
        literal = pDatabase->FormatFieldLiteral(SQLTargetKind(m_options.nTarget), pCursor, col);
    else
    {
        CRDatabase closed;
        literal = closed.FormatFieldLiteral(SQLTargetKind(m_options.nTarget), pCursor, col);
    }
    if (literal.IsEmpty())
    {
        if (!pCursor->GetFieldText(col, literal))
            literal = L"NULL";
    }
    return literal;
}

void CSQLDataFile::BeginFile()
{
    if (m_options.nEncoding == SQLENC_UTF16)
        PutUtf16(L"\xFEFF", 1);
}

void CSQLDataFile::BeginTable(const CStringPair& name, LPCWSTR)
{
    CString strName = QuoteNameForTarget(name.m_strSecond, m_options.nTarget);
    if (m_options.bSaveSchema && !name.m_strFirst.IsEmpty())
        strName = QuoteNameForTarget(name.m_strFirst, m_options.nTarget) + L"." + strName;
    m_strHead = L"INSERT INTO " + strName + L" (";
    m_bFirstColumn = true;
}

void CSQLDataFile::AddColumnHeader(const CString& text, int)
{
    if (!m_bFirstColumn)
        m_strHead += L",";
    m_bFirstColumn = false;
    m_strHead += text;
}

void CSQLDataFile::AddColumnHeader(Zelt::ICursor* pCursor, int column)
{
    AddColumnHeader(QuoteNameForTarget(pCursor->GetColumnName(column + 1), m_options.nTarget),
                    column);
}

void CSQLDataFile::EndHeader(const CStringPair&)
{
    m_strHead += L") ";
}

// The statement goes to the file at EndRow. In UTF-8 its head is put before its values are
// converted: a loss declined there leaves the head for AbandonRow to take out.
void CSQLDataFile::BeginRow()
{
    MarkRow();
    ++m_nRow;
    m_strValues = L"VALUES(";
    m_bFirstValue = true;
}

void CSQLDataFile::AddValue(const CString& text, int)
{
    if (!m_bFirstValue)
        m_strValues += L",";
    m_bFirstValue = false;
    m_strValues += text;
}

void CSQLDataFile::AddValue(Zelt::ICursor* pCursor, int column)
{
    AddValue(FormatLiteral(pCursor, column), column);
}

void CSQLDataFile::EndRow()
{
    // The row's pieces are appended to its one string (no new string per row). A statement in
    // the ANSI code page goes in one piece: a refused lossy conversion leaves no part of it.
    m_strValues += L')';
    m_strValues += m_options.strSeparator;
    m_strValues += L'\n';
    if (m_options.nEncoding == SQLENC_UTF16 || m_options.nEncoding == SQLENC_UTF8)
    {
        WriteText(m_strHead);
        WriteText(m_strValues);
    }
    else
    {
        WriteText(m_strHead + m_strValues);
    }
    if (m_options.nCommitCount > 0 && (m_nRow % m_options.nCommitCount) == 0)
        WriteCommitLine();
}

void CSQLDataFile::EndTable(const CStringPair&)
{
    WriteText(L"\n");
}

bool CSQLDataFile::CutAfterFailedWrite()
{
    return KeepRowsAfterCut(CutToWrittenRows());
}

void CSQLDataFile::Flush()
{
    FlushData();
}

void CSQLDataFile::EndFile()
{
    WriteCommitLine();
    FlushData();
}
