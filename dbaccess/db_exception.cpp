// The database exception, the reading of diagnostic records and the throw helper.
#include "dbaccess/db_exception.h"

#include "dbaccess/database.h"
#include "dbaccess/lost_connection.h"

namespace {

const wchar_t kOdbcError[] = L"ODBC error";

} // namespace

namespace Zelt {

CRDBException::CRDBException(int nRetCode) : m_nRetCode(static_cast<WORD>(nRetCode)) {}

CRDBException::CRDBException(LPCWSTR pszMessage) : m_nRetCode(0), m_strError(pszMessage) {}

CRDBException::CRDBException(SQLHENV hEnv, SQLHDBC hDbc, SQLHSTMT hStmt, int nRetCode)
    : m_nRetCode(static_cast<WORD>(nRetCode))
{
    SQLSMALLINT nType = SQL_HANDLE_ENV;
    SQLHANDLE hHandle = hEnv;
    if (hStmt)
    {
        nType = SQL_HANDLE_STMT;
        hHandle = hStmt;
    }
    else if (hDbc)
    {
        nType = SQL_HANDLE_DBC;
        hHandle = hDbc;
    }

    SQLWCHAR szState[6];
    SQLWCHAR szMessage[514];
    SQLINTEGER nNative = 0;
    SQLSMALLINT nLength = 0;
    SQLINTEGER nCount = 0;
    SQLRETURN nRet = SQLGetDiagFieldW(nType, hHandle, 0, SQL_DIAG_NUMBER, &nCount, 0, nullptr);
    if (SQL_SUCCEEDED(nRet) && nCount >= 1)
    {
        for (SQLINTEGER i = 1; i <= nCount; ++i)
        {
            ZeroMemory(szState, sizeof szState);
            ZeroMemory(szMessage, sizeof szMessage);
            nRet = SQLGetDiagRecW(nType, hHandle, static_cast<SQLSMALLINT>(i), szState, &nNative,
                                  szMessage, 513, &nLength);
            if (!SQL_SUCCEEDED(nRet))
            {
                if (m_strError.IsEmpty())
                    m_strError = kOdbcError;
                return;
            }
            m_strError += L"\n";
            if (nCount > 1)
            {
                m_strError += L"'";
                m_strError += reinterpret_cast<LPCWSTR>(szState);
                m_strError += L"' ";
            }
            m_strError += reinterpret_cast<LPCWSTR>(szMessage);
            if (m_strSQLState.IsEmpty() && nCount <= 1)
                m_strSQLState = reinterpret_cast<LPCWSTR>(szState);
        }
        return;
    }

    ZeroMemory(szState, sizeof szState);
    ZeroMemory(szMessage, sizeof szMessage);
    nRet = SQLErrorW(hEnv, hDbc, hStmt, szState, &nNative, szMessage, 513, &nLength);
    if (nRet != SQL_SUCCESS)
    {
        m_strError = kOdbcError;
        return;
    }
    m_strError = reinterpret_cast<LPCWSTR>(szMessage);
    m_strSQLState = reinterpret_cast<LPCWSTR>(szState);
}

CRDBException::CRDBException(const CRDBException& other)
    : CException(), m_nRetCode(other.m_nRetCode), m_strError(other.m_strError),
      m_strSQLState(other.m_strSQLState), m_bStopAsked(other.m_bStopAsked)
{}

CRDBException& CRDBException::operator=(const CRDBException& other)
{
    if (this != &other)
    {
        m_nRetCode = other.m_nRetCode;
        m_strError = other.m_strError;
        m_strSQLState = other.m_strSQLState;
        m_bStopAsked = other.m_bStopAsked;
    }
    return *this;
}

CRDBException::~CRDBException() = default;

BOOL CRDBException::GetErrorMessage(LPWSTR pszError, UINT nMaxError, PUINT pnHelpContext)
{
    return static_cast<const CRDBException*>(this)->GetErrorMessage(pszError, nMaxError,
                                                                    pnHelpContext);
}

BOOL CRDBException::GetErrorMessage(LPWSTR pszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!pszError || nMaxError == 0)
        return FALSE;
    // Room for the text and two terminators; a buffer of one character gets only the last.
    UINT nCopy = nMaxError >= 2 ? nMaxError - 2 : 0;
    UINT nLength = static_cast<UINT>(m_strError.GetLength());
    if (nCopy > nLength)
        nCopy = nLength;
    if (nCopy)
        memcpy(pszError, m_strError.GetString(), nCopy * sizeof(wchar_t));
    pszError[nCopy] = L'\0';
    pszError[nMaxError - 1] = L'\0';
    return TRUE;
}

void CRDBException::BuildErrorString(CRDatabase* pDatabase, SQLHSTMT hStmt)
{
    if (pDatabase)
        m_strError = pDatabase->GetErrorText(hStmt, &m_strSQLState);
    else
        m_strError.Empty();
}

} // namespace Zelt

bool LeavesReadAborted(CRDatabase* pDatabase, const Zelt::CRDBException& e)
{
    // The driver's own complaints and warnings abort nothing; a statement it cancelled did reach
    // the server, whose cancel aborts the transaction.
    const CString strClass = e.m_strSQLState.Left(2);
    return pDatabase != nullptr && e.m_nRetCode != 0 &&
           ((strClass != L"HY" && strClass != L"01") || e.m_strSQLState == L"HY008") &&
           pDatabase->IsStreamingResults() && pDatabase->GetDBMSKind() == DBMS_POSTGRESQL;
}

void RollBackAbortedRead(CRDatabase* pDatabase)
{
    if (pDatabase->GetConnectionHandle() == SQL_NULL_HDBC || pDatabase->IsInTransaction())
        return;
    // The driver's own transaction: a ROLLBACK statement ends it and tells the driver so.
    // This runs where a read ahead is held, and a statement of ours there would wait on it: the
    // driver's transaction is rolled back before the next statement.
    pDatabase->MarkDriversTransactionAborted();
}

void ThrowRDBException(CRDatabase* pDatabase, int nRetCode, SQLHSTMT hStmt)
{
    auto* pException = new Zelt::CRDBException(nRetCode);
    if (nRetCode != 0)
        pException->BuildErrorString(pDatabase, hStmt);
    // (The diagnostics were read above.)
    if (!CRDatabase::IsReadAheadThread() && LeavesReadAborted(pDatabase, *pException))
        RollBackAbortedRead(pDatabase);
    throw pException;
}

CString StripDriverPrefixes(const CString& text)
{
    CString result = text;
    while (!result.IsEmpty() && result[0] == L'[')
    {
        int nClose = result.Find(L']');
        if (nClose < 0)
            break;
        int nCut = nClose + 1;
        if (nCut < result.GetLength() && result[nCut] == L' ')
            ++nCut;
        result = result.Mid(nCut);
    }
    return result;
}

CString CRDatabase::GetErrorText(SQLHSTMT hStmt, CString* pstrSQLState)
{
    CString result;
    if (pstrSQLState)
        pstrSQLState->Empty();
    std::vector<CString> states;
    const CString strText = ReadErrorText(hStmt, pstrSQLState, states);
    // Asked once the records are read: the question replaces the connection's own. A thread
    // reading ahead calls the connection for its fetches only.
    if (!IsReadAheadThread() && IsConnectionDead())
        return LostConnectionText(strText, states);
    return strText;
}

CString CRDatabase::ReadErrorText(SQLHSTMT hStmt, CString* pstrSQLState,
                                  std::vector<CString>& states)
{
    CString result;

    SQLWCHAR szState[6];
    SQLWCHAR szMessage[514];
    SQLINTEGER nNative = 0;
    SQLSMALLINT nLength = 0;
    SQLINTEGER nCount = 0;
    SQLRETURN nRet =
        SQLGetDiagFieldW(SQL_HANDLE_STMT, hStmt, 0, SQL_DIAG_NUMBER, &nCount, 0, nullptr);
    if (!SQL_SUCCEEDED(nRet) || nCount < 1)
    {
        ZeroMemory(szState, sizeof szState);
        ZeroMemory(szMessage, sizeof szMessage);
        nRet = SQLErrorW(m_hEnv, m_hDbc, hStmt, szState, &nNative, szMessage, 512, &nLength);
        if (nRet != SQL_SUCCESS)
            return kOdbcError;
        if (pstrSQLState)
            *pstrSQLState = reinterpret_cast<LPCWSTR>(szState);
        states.push_back(reinterpret_cast<LPCWSTR>(szState));
        return StripDriverPrefixes(CString(reinterpret_cast<LPCWSTR>(szMessage)));
    }

    for (SQLINTEGER i = 1; i <= nCount; ++i)
    {
        ZeroMemory(szState, sizeof szState);
        ZeroMemory(szMessage, sizeof szMessage);
        nRet = SQLGetDiagRecW(SQL_HANDLE_STMT, hStmt, static_cast<SQLSMALLINT>(i), szState,
                              &nNative, szMessage, 513, &nLength);
        if (!SQL_SUCCEEDED(nRet))
            return result.IsEmpty() ? CString(kOdbcError) : result;
        CString text = StripDriverPrefixes(CString(reinterpret_cast<LPCWSTR>(szMessage)));
        if (!result.IsEmpty())
            result += L"\n";
        if (nCount > 1)
        {
            result += L"* '";
            result += reinterpret_cast<LPCWSTR>(szState);
            result += L"' ";
        }
        result += text;
        states.push_back(reinterpret_cast<LPCWSTR>(szState));
        if (pstrSQLState && pstrSQLState->IsEmpty() && nCount <= 1)
            *pstrSQLState = reinterpret_cast<LPCWSTR>(szState);
    }
    return result;
}

CString FirstSQLState(SQLHSTMT hStmt)
{
    SQLWCHAR szState[6] = {};
    SQLINTEGER nNative = 0;
    SQLWCHAR szMessage[2] = {};
    SQLSMALLINT nLength = 0;
    const SQLRETURN nRet =
        SQLGetDiagRecW(SQL_HANDLE_STMT, hStmt, 1, szState, &nNative, szMessage, 1, &nLength);
    if (nRet != SQL_SUCCESS && nRet != SQL_SUCCESS_WITH_INFO)
        return CString();
    return CString(reinterpret_cast<LPCWSTR>(szState));
}
