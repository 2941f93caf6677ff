// CRRecordset: the statement, its options, execution, further results, parameters and closing.
#include "dbaccess/recordset.h"
#include "dbaccess/sql_text.h"
#include "dbaccess/charset_refusal.h"
#include "dbaccess/further_results.h"
#include "dbaccess/statement_text.h"
#include "dbaccess/stepped_query.h"
#include "dbaccess/utf8_text.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/field_text.h"
#include "dbaccess/value_text.h"

#include <cstring>
#include <string>

namespace {

bool IsSuccess(SQLRETURN rc)
{
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NEED_DATA ||
           rc == SQL_NO_DATA;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Parameter records

void* CRRecordset::CParam::ValuePointer()
{
    return HasOwnedBuffer() ? value.p : static_cast<void*>(&value);
}

CRRecordset::CParam::~CParam()
{
    if (HasOwnedBuffer())
        delete[] static_cast<BYTE*>(value.p);
}

// ---------------------------------------------------------------------------------------------
// Construction and closing

CRRecordset::CRRecordset(CRDatabase* pDatabase) : m_pDatabase(pDatabase)
{
    if (pDatabase)
    {
        m_hDbc = pDatabase->GetConnectionHandle();
        m_nQueryTimeout = pDatabase->GetQueryTimeout();
    }
}

CRRecordset::~CRRecordset()
{
    Close();
}

void CRRecordset::Check(SQLRETURN rc)
{
    if (IsSuccess(rc))
        return;
    try
    {
        ThrowRDBException(m_pDatabase, rc, m_hStmt);
    }
    catch (Zelt::CRDBException* e)
    {
        e->m_bStopAsked = m_stop.IsAsked();
        throw;
    }
}

void CRRecordset::Fail(const CString& message)
{
    throw new Zelt::CRDBException(static_cast<LPCWSTR>(message));
}

void CRRecordset::FreeParams()
{
    m_params.clear();
}

void CRRecordset::ClearColumns()
{
    StopReadAhead();
    m_block.nRows = 1;
    m_block.nFetched = 0;
    m_block.nIndex = 0;
    m_block.bArrays = false;
    m_block.status.reset();
    m_columns.clear();
    m_descs.clear();
    m_unboundText.clear();
    m_unboundTextA.clear();
    m_blobFormColumns.clear();
    m_blobColumnForms.clear();
    m_blobForms.clear();
}

void CRRecordset::ResetPosition()
{
    m_bBOF = m_bEOF = m_bCountFinal = false;
    m_nCurrentRow = -1;
    m_nRowsFetched = 0;
}

void CRRecordset::Close()
{
    StopReadAhead(true);
    FreeParams();
    m_strSQL.Empty();
    if (m_hStmt)
    {
        // A statement of a connection closed since went with it: its handle may by now be a
        // statement of the new connection's (see CRDatabase::GetConnectionSerial).
        if (!m_pDatabase || m_pDatabase->GetConnectionSerial() == m_nStmtSerial)
        {
            // Closing a result may end the transaction its driver opened for it.
            if (m_pDatabase)
                m_pDatabase->HoldReadAheads();
            // MySQL hands the statement's further results over only after this one, and the
            // connection takes nothing else until they are read: they are dropped first.
            SQLRETURN rc = SQL_NO_DATA;
            if (m_pDatabase && m_pDatabase->GetDBMSKind() == DBMS_MYSQL &&
                MayAskFurtherResults(m_pDatabase, m_hStmt, m_strSQL))
                do
                    rc = SQLMoreResults(m_hStmt);
                while (SQL_SUCCEEDED(rc));
            // A handle the driver faulted on is left alone: freeing it may fault again.
            if (!IsDriverFault(rc))
                SQLFreeStmt(m_hStmt, SQL_DROP);
            m_hStmt = SQL_NULL_HSTMT;
            // Its further results read or dropped, the connection may answer what it could not.
            if (m_pDatabase)
                m_pDatabase->AskAgainAboutTransaction();
        }
        m_hStmt = SQL_NULL_HSTMT;
    }
    ClearColumns();
    m_bBOF = m_bEOF = m_bCountFinal = true;
    m_nColumnCount = -1;
    m_nCurrentRow = -2;
    m_nRowsFetched = 0;
}

// ---------------------------------------------------------------------------------------------
// Statement

bool CRRecordset::AllocStmt(LPCWSTR pszQuery, bool bBesideReads)
{
    // Close frees the parameters; a prepared statement's records are added after this call.
    Close();
    ResetPosition();
    // What the last statement read as text is not this one's.
    if (!m_serverTexts.empty())
    {
        m_serverTexts.clear();
        m_serverTextDescs.clear();
    }
    const bool bDeclared = (m_nOptions & RS_DECLARED_COLUMNS) != 0;
    bool bStepsAlike = false; // the user's query streams (RS_QUERY_MAY_STREAM)
    if (m_pDatabase && !bBesideReads)
    {
        if (bDeclared || (m_nOptions & RS_WINDOW_READ))
            m_pDatabase->HoldReadAheads();
        else
            m_pDatabase->BeforeStatement();
    }
    NarrowTextIsUtf8();

    // The connection the database has now: one closed since this recordset was made is gone.
    if (m_pDatabase)
        m_hDbc = m_pDatabase->GetConnectionHandle();
    SQLRETURN rc;
    do
        rc = SQLAllocStmt(m_hDbc, &m_hStmt);
    while (rc == SQL_STILL_EXECUTING);
    m_block.nDriverRows = 1;
    if (!IsSuccess(rc))
    {
        m_hStmt = SQL_NULL_HSTMT;
        ThrowRDBException(m_pDatabase, rc, nullptr);
    }
    m_nStmtSerial = m_pDatabase ? m_pDatabase->GetConnectionSerial() : 0;

    // After the results streaming were read to their end (or held): the driver is asked about
    // the text on this connection.
    if (pszQuery != nullptr && (m_nOptions & RS_QUERY_MAY_STREAM) && !bDeclared && m_pDatabase &&
        m_pDatabase->ReadsResultsBeforeStatements() &&
        StepsTypedAsWholeRead(m_pDatabase, m_hDbc, pszQuery))
    {
        m_nCursorType = RS_FORWARD_ONLY;
        bStepsAlike = true;
    }

    static const SQLULEN kCursorTypes[] = {SQL_CURSOR_KEYSET_DRIVEN, SQL_CURSOR_STATIC,
                                           SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_DYNAMIC};
    m_bStaticForForwardOnly = m_nCursorType == RS_FORWARD_ONLY && !bDeclared && !bStepsAlike &&
                              m_pDatabase && m_pDatabase->StreamsDeclaredColumnsOnly();
    const UINT nDriverType = m_bStaticForForwardOnly ? RS_STATIC : m_nCursorType;
    if (nDriverType < 4)
    {
        do
            rc = SQLSetStmtOption(m_hStmt, SQL_CURSOR_TYPE, kCursorTypes[nDriverType]);
        while (rc == SQL_STILL_EXECUTING);
        Check(rc);
    }

    SQLULEN concurrency = 0;
    // Asked for a cursor it can update through, psqlODBC adds the row identity (ctid) to the
    // select list of the user's SELECT: a locking read (FOR UPDATE, FOR SHARE) then shows a column
    // nobody asked for, and the server refuses the text where the relation has no such column
    // (a view) or the list aggregates. So PostgreSQL results are read as written, read-only, and
    // their rows are changed by statements of the program's own keyed by the table's primary key
    // (grid/row_sql.h).
    if ((m_nOptions & RS_READONLY) || m_nCursorType == RS_FORWARD_ONLY ||
        (m_pDatabase && m_pDatabase->GetDBMSKind() == DBMS_POSTGRESQL))
    {
        concurrency = SQL_CONCUR_READ_ONLY;
    }
    else if (m_pDatabase)
    {
        int major = 0, minor = 0, release = 0;
        DWORD supported = 0;
        if (!m_pDatabase->GetInfoVersion(SQL_DRIVER_ODBC_VER, &major, &minor, &release) ||
            major < 3)
        {
            SQLUINTEGER bits = 0;
            if (IsSuccess(SQLGetInfoW(m_hDbc, SQL_SCROLL_CONCURRENCY, &bits, sizeof bits, nullptr)))
                supported = bits;
        }
        else
        {
            supported = m_pDatabase->GetCursorAttributes2(GetStmtCursorType());
        }
        if (supported & SQL_SCCO_OPT_ROWVER)
            concurrency = SQL_CONCUR_ROWVER;
        else if (supported & SQL_SCCO_OPT_VALUES)
            concurrency = SQL_CONCUR_VALUES;
        else if (supported & SQL_SCCO_LOCK)
            concurrency = SQL_CONCUR_LOCK;
    }
    m_nAskedConcurrency = concurrency;
    if (concurrency)
    {
        do
            rc = SQLSetStmtOption(m_hStmt, SQL_CONCURRENCY, concurrency);
        while (rc == SQL_STILL_EXECUTING);
        Check(rc);
    }
    // Option bit 2 has no effect: statement attribute 16 is the bookmark pointer of
    // SQLFetchScroll, and a value of 1 there would be an address for the driver to read.

    SQLSetStmtOption(m_hStmt, SQL_QUERY_TIMEOUT, m_nQueryTimeout);
    return true;
}

bool CRRecordset::BeginBeside(LPCWSTR pszSQL, UINT nCursorType, UINT nOptions)
{
    m_bBOF = m_bEOF = false;
    m_nCursorType = nCursorType;
    m_nOptions = nOptions;
    return BeginDirect(pszSQL, true);
}

SQLHSTMT CRRecordset::ReleaseStmt()
{
    StopReadAhead(true);
    const SQLHSTMT hStmt = m_pDatabase && m_pDatabase->GetConnectionSerial() != m_nStmtSerial
                               ? SQL_NULL_HSTMT
                               : m_hStmt;
    m_hStmt = SQL_NULL_HSTMT;
    Close();
    return hStmt;
}

bool CRRecordset::FinishBeside(SQLRETURN rc, Zelt::CRDBException* pRefused)
{
    if (!EndDirect(rc, pRefused))
        return false;
    CStatementStop::CRunning running(m_stop, CancelHandle());
    return FetchFirst();
}

bool CRRecordset::Open(LPCWSTR pszSQL, UINT nCursorType, UINT nOptions)
{
    m_bBOF = m_bEOF = false;
    m_nCursorType = nCursorType;
    m_nOptions = nOptions;
    if (!pszSQL)
        return true;
    if (!ExecuteDirect(pszSQL))
        return false;
    CStatementStop::CRunning running(m_stop, CancelHandle());
    return FetchFirst();
}

bool CRRecordset::ExecuteDirect(LPCWSTR pszSQL)
{
    if (!BeginDirect(pszSQL))
        return false;
    Zelt::CRDBException* pRefused = nullptr;
    const SQLRETURN rc = RunDirect(pRefused);
    return EndDirect(rc, pRefused);
}

bool CRRecordset::BeginDirect(LPCWSTR pszSQL, bool bBesideReads)
{
    if (m_stop.IsAsked())
    {
        // The caller may have followed the text's start already (autocommit off for a BEGIN):
        // what the server holds now sets that right, as after a statement that failed.
        if (m_pDatabase)
            m_pDatabase->AfterFailedStatement(pszSQL);
        ThrowStoppedBeforeStart();
    }
    if (!AllocStmt(pszSQL, bBesideReads))
        return false;
    m_strSQL = pszSQL;
    if (m_pDatabase)
        m_pDatabase->FollowStatementStart(pszSQL);
    m_nStartTime = m_nEndTime = GetTickMs();
    return true;
}

SQLRETURN CRRecordset::RunDirect(Zelt::CRDBException*& pRefused)
{
    pRefused = nullptr;
    CStatementStop::CRunning running(m_stop, CancelHandle());
    SQLRETURN rc = SQL_ERROR;
    try
    {
        if (ReadsAsServerText())
            rc = RunReadingServerTexts();
        else
            do
                rc = ExecDirectText(m_pDatabase, m_hStmt, m_strSQL);
            while (rc == SQL_STILL_EXECUTING);
    }
    catch (Zelt::CRDBException* e)
    {
        pRefused = e;
    }
    return rc;
}

bool CRRecordset::EndDirect(SQLRETURN rc, Zelt::CRDBException* pRefused)
{
    LPCWSTR pszSQL = m_strSQL;
    if (pRefused)
    {
        // Refused before it was sent.
        if (m_pDatabase)
            m_pDatabase->AfterFailedStatement(pszSQL, pRefused);
        throw pRefused;
    }
    m_nEndTime = GetTickMs();
    if (rc == SQL_ERROR && m_pDatabase &&
        IsRefusedCharacterSetChange(*m_pDatabase, m_hStmt, pszSQL))
    {
        // Not run, and no error: the statement ends as one without a result, with a note.
        SQLFreeStmt(m_hStmt, SQL_CLOSE);
        ClearColumns();
        m_nColumnCount = 0;
        m_pDatabase->AfterStatement(pszSQL);
        m_pDatabase->AddSessionNote(CharacterSetKeptNote(*m_pDatabase, pszSQL));
        return true;
    }
    try
    {
        Check(rc);
    }
    catch (Zelt::CRDBException*)
    {
        // The exception holds the diagnostics before the follow-up runs statements of its own.
        if (m_pDatabase)
            m_pDatabase->AfterFailedStatement(pszSQL);
        throw;
    }
    if (m_pDatabase)
        m_pDatabase->AfterStatement(pszSQL);
    return DescribeColumns();
}

bool CRRecordset::Prepare(LPCWSTR pszSQL, UINT nCursorType, UINT nOptions)
{
    FreeParams();
    if (!pszSQL)
        return false;
    m_bBOF = m_bEOF = false;
    m_nCursorType = nCursorType;
    m_nOptions = nOptions;
    if (!AllocStmt())
        return false;
    m_strSQL = pszSQL;
    SQLRETURN rc;
    do
        rc = PrepareText(m_pDatabase, m_hStmt, pszSQL);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
    return true;
}

bool CRRecordset::BindParameter(SQLUSMALLINT nParam, SQLSMALLINT nInOutType, SQLSMALLINT nCType,
                                SQLSMALLINT nSQLType, SQLULEN nColumnSize,
                                SQLSMALLINT nDecimalDigits, SQLPOINTER pValue, SQLLEN nBufferLength,
                                SQLLEN* pIndicator)
{
    SQLRETURN rc;
    do
        rc = SQLBindParameter(m_hStmt, nParam, nInOutType, nCType, nSQLType, nColumnSize,
                              nDecimalDigits, pValue, nBufferLength, pIndicator);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
    return true;
}

bool CRRecordset::Execute()
{
    if (m_stop.IsAsked())
        ThrowStoppedBeforeStart();
    // A result still open from the last execution is closed first, and its bindings and
    // position go with it.
    StopReadAhead();
    if (m_pDatabase && !(m_nOptions & (RS_DECLARED_COLUMNS | RS_WINDOW_READ)))
        m_pDatabase->BeforeStatement();
    else if (m_pDatabase)
        m_pDatabase->HoldReadAheads();
    if (m_hStmt)
    {
        SQLFreeStmt(m_hStmt, SQL_CLOSE);
        SQLFreeStmt(m_hStmt, SQL_UNBIND);
    }
    ClearColumns();
    ResetPosition();

    for (const auto& param : m_params)
    {
        SQLSMALLINT cType = static_cast<SQLSMALLINT>(param->nCType);
        if (param->nKind == ParamKind::TimestampOffset && m_pDatabase &&
            m_pDatabase->GetDBMSKind() == DBMS_MSSQL)
            cType = SQL_C_BINARY;
        BindParameter(static_cast<SQLUSMALLINT>(param->nParamNumber),
                      static_cast<SQLSMALLINT>(param->nInOutType), cType,
                      static_cast<SQLSMALLINT>(param->nSQLType), param->nColumnSize,
                      static_cast<SQLSMALLINT>(param->nDecimalDigits), param->ValuePointer(),
                      param->nBufferLength, &param->nIndicator);
    }
    m_nStartTime = m_nEndTime = GetTickMs();
    SQLRETURN rc;
    {
        CStatementStop::CRunning running(m_stop, CancelHandle());
        do
            rc = SQLExecute(m_hStmt);
        while (rc == SQL_STILL_EXECUTING);
    }
    m_nEndTime = GetTickMs();
    Check(rc);
    if (!DescribeColumns())
        return false;
    CStatementStop::CRunning running(m_stop, CancelHandle());
    return FetchFirst();
}

bool CRRecordset::MoreResults()
{
    if (!m_hStmt)
        return false;
    StopReadAhead();
    if (m_pDatabase)
        m_pDatabase->HoldReadAheads();
    if (!MayAskFurtherResults(m_pDatabase, m_hStmt, m_strSQL))
        return false;
    const SQLRETURN rc = SQLMoreResults(m_hStmt);
    if (IsDriverFault(rc))
    {
        m_hStmt = SQL_NULL_HSTMT;
        throw new Zelt::CRDBException(DriverFaultText(L"SQLMoreResults", rc));
    }
    // A statement may fail after its first results: MariaDB reports a procedure's SIGNAL after
    // the rows it returned as the next result. That is the statement's error, not the end.
    if (rc == SQL_ERROR)
        Check(rc);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
        return false;
    // The next result starts afresh: the old buffers are unbound before they are freed.
    SQLFreeStmt(m_hStmt, SQL_UNBIND);
    ClearColumns();
    ResetPosition();
    if (!DescribeColumns())
        return false;
    return FetchFirst();
}

bool CRRecordset::FetchFirst()
{
    if (m_nColumnCount > 0)
        MoveNext();
    m_bBOF = m_bEOF;
    return true;
}

bool CRRecordset::SetQueryTimeout(UINT nSeconds)
{
    if (HasResultColumns())
        return false;
    m_nQueryTimeout = nSeconds;
    return true;
}

bool CRRecordset::GetRowCount(SQLLEN* pCount)
{
    if (!pCount)
        return false;
    const SQLRETURN rc = m_hStmt ? SQLRowCount(m_hStmt, pCount) : SQL_INVALID_HANDLE;
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
        return true;
    *pCount = -1;
    return false;
}

UINT CRRecordset::GetStmtCursorType()
{
    SQLULEN type = 0;
    if (!m_hStmt)
        return 0;
    // The statement is busy on the thread that reads ahead, and only forward-only ones do.
    if (m_pReadAhead || m_bStaticForForwardOnly)
        return SQL_CURSOR_FORWARD_ONLY;
    SQLRETURN rc;
    do
        rc = SQLGetStmtOption(m_hStmt, SQL_CURSOR_TYPE, &type);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
    return static_cast<UINT>(type);
}

bool CRRecordset::AreUpdatesRefused()
{
    return m_nAskedConcurrency != 0 && m_nAskedConcurrency != SQL_CONCUR_READ_ONLY && IsReadOnly();
}

bool CRRecordset::IsReadOnly()
{
    if (!m_hStmt)
        return true;
    if (m_pReadAhead || m_bStaticForForwardOnly)
        return true;
    // The driver's own word: psqlODBC, for one, lowers an updatable concurrency it was asked for
    // to read-only when it finds that it cannot update the result (a join, a function's rows).
    SQLULEN concurrency = SQL_CONCUR_READ_ONLY;
    SQLRETURN rc;
    do
        rc = SQLGetStmtOption(m_hStmt, SQL_CONCURRENCY, &concurrency);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
    return concurrency == SQL_CONCUR_READ_ONLY;
}

UINT CRRecordset::GetCursorAttributes1()
{
    return m_pDatabase ? m_pDatabase->GetCursorAttributes1(GetStmtCursorType()) : 0;
}

bool CRRecordset::IsForwardOnly()
{
    return m_hStmt && GetStmtCursorType() == SQL_CURSOR_FORWARD_ONLY;
}

bool CRRecordset::HasResultColumns()
{
    if (!m_hStmt)
        return false;
    SQLSMALLINT count = 0;
    SQLRETURN rc;
    do
        rc = SQLNumResultCols(m_hStmt, &count);
    while (rc == SQL_STILL_EXECUTING);
    return (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) && count > 0;
}

ULONGLONG CRRecordset::GetExecutionTime()
{
    return m_nEndTime < m_nStartTime ? 0 : static_cast<ULONGLONG>(m_nEndTime - m_nStartTime);
}

CString CRRecordset::GetCursorName()
{
    if (!m_hStmt)
        return CString();
    SQLWCHAR name[33] = {};
    SQLSMALLINT length = 0;
    SQLRETURN rc;
    do
        rc = SQLGetCursorNameW(m_hStmt, name, 32, &length);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
    return CString(reinterpret_cast<const wchar_t*>(name));
}

CString CRRecordset::GetErrorText(CString& text)
{
    text = m_pDatabase ? m_pDatabase->GetErrorText(m_hStmt) : CString();
    return text;
}

// ---------------------------------------------------------------------------------------------
// Parameters

namespace {

std::unique_ptr<CRRecordset::CParam> NewParam(CRRecordset::ParamKind kind, UINT num, UINT inOut,
                                              UINT cType, UINT sqlType, UINT size, UINT digits)
{
    auto p = std::make_unique<CRRecordset::CParam>();
    p->nKind = kind;
    p->nParamNumber = num;
    p->nInOutType = inOut;
    p->nCType = cType;
    p->nSQLType = sqlType;
    p->nColumnSize = size;
    p->nDecimalDigits = digits;
    return p;
}

} // namespace

void CRRecordset::AddTextParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                   UINT nDecimalDigits, LPCWSTR pszText, UINT nMaxLength)
{
    auto p = NewParam(ParamKind::Text, nParam, nInOutType, SQL_C_WCHAR, nSQLType, nColumnSize,
                      nDecimalDigits);
    const size_t length = pszText ? wcslen(pszText) : 0;
    const size_t capacity = (length > nMaxLength ? length : nMaxLength) + 1;
    wchar_t* buffer = reinterpret_cast<wchar_t*>(new BYTE[capacity * sizeof(wchar_t)]);
    if (length)
        std::memcpy(buffer, pszText, length * sizeof(wchar_t));
    buffer[length] = 0;
    p->value.p = buffer;
    p->nBufferLength = static_cast<UINT>(capacity * sizeof(wchar_t));
    p->nIndicator = pszText ? static_cast<SQLLEN>(length * sizeof(wchar_t)) : SQL_NULL_DATA;
    m_params.push_back(std::move(p));
}

void CRRecordset::AddUtf8TextParameter(UINT nParam, UINT nInOutType, UINT nSQLType,
                                       UINT nColumnSize, UINT nDecimalDigits, LPCWSTR pszText,
                                       UINT nMaxBytes)
{
    auto p = NewParam(ParamKind::Utf8Text, nParam, nInOutType, SQL_C_CHAR, nSQLType, nColumnSize,
                      nDecimalDigits);
    const int length = pszText ? static_cast<int>(wcslen(pszText)) : 0;
    const int bytes =
        length ? WideCharToMultiByte(CP_UTF8, 0, pszText, length, nullptr, 0, nullptr, nullptr) : 0;
    const size_t capacity =
        static_cast<size_t>(bytes > static_cast<int>(nMaxBytes) ? bytes : nMaxBytes) + 1;
    char* buffer = reinterpret_cast<char*>(new BYTE[capacity]);
    if (bytes)
        WideCharToMultiByte(CP_UTF8, 0, pszText, length, buffer, bytes, nullptr, nullptr);
    buffer[bytes] = 0;
    p->value.p = buffer;
    p->nBufferLength = static_cast<UINT>(capacity);
    p->nIndicator = pszText ? static_cast<SQLLEN>(bytes) : SQL_NULL_DATA;
    m_params.push_back(std::move(p));
}

void CRRecordset::AddBinaryParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                     UINT nDecimalDigits, UINT nBufferSize, UINT nDataLength,
                                     const void* pData)
{
    auto p = NewParam(ParamKind::Binary, nParam, nInOutType, SQL_C_BINARY, nSQLType, nColumnSize,
                      nDecimalDigits);
    // The buffer always holds the data given, whatever buffer size was asked for.
    const UINT size = pData && nDataLength > nBufferSize ? nDataLength : nBufferSize;
    BYTE* buffer = new BYTE[size ? size : 1];
    std::memset(buffer, 0, size ? size : 1);
    if (pData && nDataLength)
        std::memcpy(buffer, pData, nDataLength);
    p->value.p = buffer;
    p->nBufferLength = size;
    p->nIndicator = pData ? static_cast<SQLLEN>(nDataLength) : SQL_NULL_DATA;
    m_params.push_back(std::move(p));
}

template <CRRecordset::ParamKind Kind, class T>
void CRRecordset::AddTypedParameter(UINT nCType, UINT nParam, UINT nInOutType, UINT nSQLType,
                                    UINT nColumnSize, UINT nDecimalDigits, const T& value,
                                    bool bIsNull)
{
    constexpr bool bInline = sizeof(T) <= sizeof(CParam::value);
    static_assert(bInline != CParam::OwnsBuffer(Kind), "value type does not fit the kind");
    auto p = NewParam(Kind, nParam, nInOutType, nCType, nSQLType, nColumnSize, nDecimalDigits);
    if constexpr (bInline)
        std::memcpy(&p->value, &value, sizeof(T));
    else
    {
        BYTE* buffer = new BYTE[sizeof(T)];
        std::memcpy(buffer, &value, sizeof(T));
        p->value.p = buffer;
    }
    p->nBufferLength = sizeof(T);
    p->nIndicator = bIsNull ? SQL_NULL_DATA : static_cast<SQLLEN>(sizeof(T));
    m_params.push_back(std::move(p));
}

void CRRecordset::AddTimestampParameter(UINT nParam, UINT nInOutType, UINT nSQLType,
                                        UINT nColumnSize, UINT nDecimalDigits,
                                        const TIMESTAMP_STRUCT* pValue)
{
    AddTypedParameter<ParamKind::Timestamp>(SQL_C_TIMESTAMP, nParam, nInOutType, nSQLType,
                                            nColumnSize, nDecimalDigits,
                                            pValue ? *pValue : TIMESTAMP_STRUCT{}, !pValue);
}

void CRRecordset::AddTimestampOffsetParameter(UINT nParam, UINT nInOutType, UINT nSQLType,
                                              UINT nColumnSize, UINT nDecimalDigits,
                                              const SQL_SS_TIMESTAMPOFFSET_STRUCT* pValue)
{
    AddTypedParameter<ParamKind::TimestampOffset>(
        SQL_C_SS_TIMESTAMPOFFSET, nParam, nInOutType, nSQLType, nColumnSize, nDecimalDigits,
        pValue ? *pValue : SQL_SS_TIMESTAMPOFFSET_STRUCT{}, !pValue);
}

void CRRecordset::AddGuidParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                   UINT nDecimalDigits, const GUID* pValue)
{
    AddTypedParameter<ParamKind::Guid>(SQL_C_GUID, nParam, nInOutType, nSQLType, nColumnSize,
                                       nDecimalDigits, pValue ? *pValue : GUID{}, !pValue);
}

void CRRecordset::AddLongParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                   UINT nDecimalDigits, long nValue, bool bIsNull)
{
    AddTypedParameter<ParamKind::Long>(SQL_C_LONG, nParam, nInOutType, nSQLType, nColumnSize,
                                       nDecimalDigits, static_cast<INT32>(nValue), bIsNull);
}

void CRRecordset::AddShortParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                    UINT nDecimalDigits, short nValue, bool bIsNull)
{
    AddTypedParameter<ParamKind::Short>(SQL_C_SHORT, nParam, nInOutType, nSQLType, nColumnSize,
                                        nDecimalDigits, static_cast<SHORT>(nValue), bIsNull);
}

void CRRecordset::AddTinyIntParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                      UINT nDecimalDigits, signed char nValue, bool bIsNull)
{
    AddTypedParameter<ParamKind::TinyInt>(SQL_C_TINYINT, nParam, nInOutType, nSQLType, nColumnSize,
                                          nDecimalDigits, static_cast<SCHAR>(nValue), bIsNull);
}

void CRRecordset::AddFloatParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                    UINT nDecimalDigits, float fValue, bool bIsNull)
{
    AddTypedParameter<ParamKind::Float>(SQL_C_FLOAT, nParam, nInOutType, nSQLType, nColumnSize,
                                        nDecimalDigits, fValue, bIsNull);
}

void CRRecordset::AddDoubleParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                     UINT nDecimalDigits, double fValue, bool bIsNull)
{
    AddTypedParameter<ParamKind::Double>(SQL_C_DOUBLE, nParam, nInOutType, nSQLType, nColumnSize,
                                         nDecimalDigits, fValue, bIsNull);
}

void CRRecordset::AddBitParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                  UINT nDecimalDigits, bool bValue, bool bIsNull)
{
    AddTypedParameter<ParamKind::Bit>(SQL_C_BIT, nParam, nInOutType, nSQLType, nColumnSize,
                                      nDecimalDigits, static_cast<BYTE>(bValue ? 1 : 0), bIsNull);
}

bool CRRecordset::IsParamNull(UINT nParam)
{
    for (const auto& p : m_params)
        if (p->nParamNumber == nParam)
            return p->nIndicator == SQL_NULL_DATA;
    return false;
}

bool CRRecordset::IsValueCut(UINT nParam, SQLLEN& nKept, SQLLEN& nFull, bool& bBytes)
{
    nKept = nFull = 0;
    bBytes = true;
    for (const auto& p : m_params)
    {
        if (p->nParamNumber != nParam)
            continue;
        const SQLLEN ind = p->nIndicator;
        SQLLEN room = 0, unit = 1;
        switch (static_cast<int>(p->nCType))
        {
        case SQL_C_WCHAR:
            unit = sizeof(wchar_t);
            bBytes = false;
            room = static_cast<SQLLEN>(p->nBufferLength / sizeof(wchar_t)) - 1;
            break;
        case SQL_C_CHAR: room = static_cast<SQLLEN>(p->nBufferLength) - 1; break;
        case SQL_C_BINARY: room = static_cast<SQLLEN>(p->nBufferLength); break;
        default: return false;
        }
        if (ind == SQL_NO_TOTAL)
        {
            nKept = room;
            nFull = -1;
            return true;
        }
        if (ind < 0)
            return false;
        nFull = ind / unit;
        nKept = nFull < room ? nFull : room;
        return nFull > room;
    }
    return false;
}

void CRRecordset::GetValueText(UINT nParam, CString& text)
{
    CParam* param = nullptr;
    for (const auto& p : m_params)
        if (p->nParamNumber == nParam)
        {
            param = p.get();
            break;
        }
    if (!param)
        return;
    const SQLLEN ind = param->nIndicator;
    const int cType = static_cast<int>(param->nCType);
    bool valid = false;
    switch (cType)
    {
    case SQL_C_DOUBLE:
    case SQL_C_SBIGINT: valid = ind == 8; break;
    case SQL_C_GUID:
    case SQL_C_TIMESTAMP: valid = param->value.p && ind == 16; break;
    case SQL_C_SS_TIMESTAMPOFFSET: valid = param->value.p && ind == 20; break;
    case SQL_C_BIT:
    case SQL_C_TINYINT: valid = ind == 1; break;
    case SQL_C_BINARY: valid = ind >= 0; break;
    case SQL_C_WCHAR:
    case SQL_C_CHAR: valid = ind >= 1; break;
    case SQL_C_LONG:
    case SQL_C_FLOAT: valid = ind == 4; break;
    case SQL_C_SHORT: valid = ind == 2; break;
    default: Fail((L"Unknown data type " + std::to_wstring(cType)).c_str());
    }
    if (!valid)
    {
        text.Empty();
        return;
    }
    switch (cType)
    {
    case SQL_C_WCHAR: {
        // The driver's length, bounded by the buffer (less its terminator).
        const size_t maxChars = param->nBufferLength / sizeof(wchar_t) - 1;
        size_t chars = static_cast<size_t>(ind) / sizeof(wchar_t);
        if (chars > maxChars)
            chars = maxChars;
        text.SetString(static_cast<const wchar_t*>(param->value.p), static_cast<int>(chars));
        break;
    }
    case SQL_C_CHAR:
        if (param->nKind == ParamKind::Utf8Text)
        {
            // The driver's length, bounded by the buffer (less its terminator).
            size_t bytes = static_cast<size_t>(ind);
            if (bytes > param->nBufferLength - 1)
                bytes = param->nBufferLength - 1;
            const char* p = static_cast<const char*>(param->value.p);
            std::wstring wide(Utf16LengthOfUtf8(p, bytes), L'\0');
            Utf8ToUtf16(p, bytes, wide.data(), wide.size());
            text.SetString(wide.c_str(), static_cast<int>(wide.size()));
        }
        else
            text = CString(static_cast<const char*>(param->value.p));
        break;
    case SQL_C_LONG: text = SignedText(param->value.l); break;
    case SQL_C_SHORT: text = SignedText(param->value.s); break;
    case SQL_C_BIT: text = SignedText(param->value.bit); break;
    case SQL_C_TINYINT: text = SignedText(param->value.t); break;
    case SQL_C_SBIGINT: text = SignedText(param->value.i64); break;
    case SQL_C_FLOAT: text.Format(L"%lg", static_cast<double>(param->value.f)); break;
    case SQL_C_DOUBLE: text.Format(L"%lg", param->value.d); break;
    case SQL_C_GUID: text = FormatGuid(*static_cast<const SQLGUID*>(param->value.p)); break;
    case SQL_C_TIMESTAMP:
        // As the parameter's type has it (a date without a time of day), every digit.
        text = FormatTimestampWhole(static_cast<const TIMESTAMP_STRUCT*>(param->value.p),
                                    static_cast<int>(param->nSQLType));
        break;
    case SQL_C_SS_TIMESTAMPOFFSET:
        text = FormatTimestampOffset(
            static_cast<const SQL_SS_TIMESTAMPOFFSET_STRUCT*>(param->value.p));
        break;
    case SQL_C_BINARY: {
        const size_t n = static_cast<size_t>(ind) < param->nBufferLength ? static_cast<size_t>(ind)
                                                                         : param->nBufferLength;
        text = MakeStringN(static_cast<const BYTE*>(param->value.p), n, n);
        break;
    }
    }
}
