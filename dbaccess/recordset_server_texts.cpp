// CRRecordset: a PostgreSQL query whose dates, timestamps and timestamptz columns are read as
// the server's text (RS_SERVER_TEXTS, see server_texts.h).
#include "dbaccess/recordset.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/server_texts.h"
#include "dbaccess/statement_text.h"

namespace {

// Whether the statement's first diagnostic is an error the server gave the statement: a SQLSTATE
// of the server's, not one of the driver's own (HY..., 08... for the connection, 01... warnings).
bool IsServersStatementError(SQLHSTMT hStmt)
{
    const CString code = FirstSQLState(hStmt);
    return code.GetLength() == 5 && code.Left(2) != L"HY" && code.Left(2) != L"08" &&
           code.Left(2) != L"01" && code.Left(2) != L"IM";
}

} // namespace

bool CRRecordset::ReadsAsServerText() const
{
    return (m_nOptions & (RS_QUERY_MAY_STREAM | RS_SERVER_TEXTS)) && m_pDatabase != nullptr &&
           m_pDatabase->GetDBMSKind() == DBMS_POSTGRESQL && MayReadAsServerText(m_strSQL);
}

SQLRETURN CRRecordset::RunReadingServerTexts()
{
    // Prepared, the statement is parsed and described by the server and nothing of it runs (a
    // sequence it calls is not advanced).
    SQLRETURN rc;
    do
        rc = PrepareText(m_pDatabase, m_hStmt, m_strSQL);
    while (rc == SQL_STILL_EXECUTING);
    SQLSMALLINT count = 0;
    if (SQL_SUCCEEDED(rc))
        do
            rc = SQLNumResultCols(m_hStmt, &count);
        while (rc == SQL_STILL_EXECUTING);
    if (!SQL_SUCCEEDED(rc))
    {
        // A text the server refuses (its error's SQLSTATE is the server's own): outside a
        // transaction it runs as written, and fails in the words of a run. Inside one the refusal
        // has aborted the transaction as the run would have, and its error is the statement's;
        // so is a failure of the session itself (the driver's own state: a run would only add
        // that the connection is lost, without the server's reason).
        if (IsServersStatementError(m_hStmt) && !m_pDatabase->IsInTransaction())
            do
                rc = ExecDirectText(m_pDatabase, m_hStmt, m_strSQL);
            while (rc == SQL_STILL_EXECUTING);
        return rc;
    }
    std::vector<CString> names;
    std::vector<bool> asText;
    std::vector<CColumnDesc> descs;
    bool any = false;
    for (SQLSMALLINT c = 1; SQL_SUCCEEDED(rc) && c <= count; ++c)
    {
        SQLWCHAR name[257] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = SQL_NULLABLE_UNKNOWN;
        SQLULEN size = 0;
        rc = SQLDescribeColW(m_hStmt, static_cast<SQLUSMALLINT>(c), name, 257, &nameLength,
                             &sqlType, &size, &digits, &nullable);
        // A name cut at 256 characters would not be the query's: such a result is read as
        // written.
        if (nameLength > 256)
            rc = SQL_ERROR;
        CString type;
        ReadDriverTypeName(m_hStmt, static_cast<UINT>(c), type);
        const PostgresRead read = HowToReadPostgresColumn(sqlType, type);
        CColumnDesc desc;
        if (read == PostgresRead::AsParsedText)
        {
            // Described as the value its text is of.
            desc.strName = reinterpret_cast<const wchar_t*>(name);
            desc.nSQLType = sqlType;
            desc.nColumnSize = size;
            desc.nDecimalDigits = digits;
            desc.nNullable = nullable;
        }
        names.emplace_back(reinterpret_cast<const wchar_t*>(name));
        asText.push_back(read != PostgresRead::AsTheDriverReads);
        descs.push_back(desc);
        any = any || asText.back();
    }
    if (!SQL_SUCCEEDED(rc) || !any)
    {
        // Described in part, or without such a column: the statement runs as prepared.
        do
            rc = SQLExecute(m_hStmt);
        while (rc == SQL_STILL_EXECUTING);
        return rc;
    }
    m_serverTexts = asText;
    m_serverTextDescs = std::move(descs);
    do
        rc = ExecDirectText(
            m_pDatabase, m_hStmt,
            SelectWithColumnsAsText(m_strSQL, names, asText, ServerTextQueryStart(m_strSQL)));
    while (rc == SQL_STILL_EXECUTING);
    return rc;
}
