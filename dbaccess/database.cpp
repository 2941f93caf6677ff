// The connection: open, close, product detection, direct statements, information, transactions
// and trace.
#include "dbaccess/database.h"

#include "dbaccess/connect_items.h"
#include "dbaccess/driver_file.h"
#include "dbaccess/error_rollback.h"
#include "dbaccess/statement_text.h"
#include "dbaccess/transaction_statements.h"

#include <cwchar>
#include <exception>
#include <cwctype>
#include <vector>

namespace {

bool GetConnectOptionValue(SQLHDBC hDbc, SQLUSMALLINT nOption, DWORD& nValue);

typedef SQLRETURN(SQL_API* SQLCancelHandleProc)(SQLSMALLINT, SQLHANDLE);

SQLCancelHandleProc LookUpCancelHandle()
{
    static SQLCancelHandleProc s_pProc = nullptr;
    static bool s_bLookedUp = false;
    if (!s_bLookedUp)
    {
        HMODULE hModule = GetModuleHandleW(L"odbc32.dll");
        if (hModule)
            s_pProc = reinterpret_cast<SQLCancelHandleProc>(
                reinterpret_cast<void*>(GetProcAddress(hModule, "SQLCancelHandle")));
        s_bLookedUp = true;
    }
    return s_pProc;
}

// Case-insensitive for A to Z only.
wchar_t FoldAscii(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
}

bool StartsWithNoCase(LPCWSTR pszText, LPCWSTR pszPrefix)
{
    size_t nPrefix = wcslen(pszPrefix);
    if (wcslen(pszText) < nPrefix)
        return false;
    for (size_t i = 0; i < nPrefix; ++i)
        if (FoldAscii(pszText[i]) != FoldAscii(pszPrefix[i]))
            return false;
    return true;
}

// Leading decimal digits of a text; 0 when there are none.
int LeadingNumber(const CString& text)
{
    int nValue = 0;
    for (int i = 0; i < text.GetLength() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        nValue = nValue * 10 + (text[i] - L'0');
    return nValue;
}

// Linear in the text: statements may hold megabytes of literals.
bool ContainsNoCase(LPCWSTR pszText, LPCWSTR pszPart)
{
    for (; *pszText; ++pszText)
    {
        size_t i = 0;
        while (pszPart[i] && FoldAscii(pszText[i]) == FoldAscii(pszPart[i]))
            ++i;
        if (!pszPart[i])
            return true;
    }
    return false;
}

// Whether the statement begins with the keyword (after blanks and opening parentheses).
bool StartsWithKeyword(LPCWSTR pszSQL, LPCWSTR pszKeyword)
{
    if (!pszSQL)
        return false;
    while (iswspace(*pszSQL) || *pszSQL == L'(')
        ++pszSQL;
    const size_t nLength = wcslen(pszKeyword);
    return StartsWithNoCase(pszSQL, pszKeyword) && !iswalnum(pszSQL[nLength]) &&
           pszSQL[nLength] != L'_';
}

bool IsSetStatement(LPCWSTR pszSQL)
{
    return StartsWithKeyword(pszSQL, L"SET");
}

// A statement without a result that may change PostgreSQL's DateStyle: SET, and RESET or
// DISCARD, which go back to the database's or the role's default style.
bool MayChangeDateStyle(LPCWSTR pszSQL)
{
    return IsSetStatement(pszSQL) || StartsWithKeyword(pszSQL, L"RESET") ||
           StartsWithKeyword(pszSQL, L"DISCARD");
}

// A statement that may change the session's sql_mode: a SET, or any text naming the mode.
bool MayChangeSessionMode(LPCWSTR pszSQL)
{
    return IsSetStatement(pszSQL) || (pszSQL && ContainsNoCase(pszSQL, L"sql_mode"));
}

// The first column of the first row of a query as text (at most nMaxChars of it); false on any
// failure, no row or NULL.
bool ReadFirstText(SQLHSTMT hStmt, SQLRETURN nRet, CString& strValue, int nMaxChars = 1023)
{
    if (!SQL_SUCCEEDED(nRet) || !SQL_SUCCEEDED(SQLFetch(hStmt)))
        return false;
    std::vector<SQLWCHAR> buffer(static_cast<size_t>(nMaxChars) + 1, 0);
    SQLLEN nIndicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(hStmt, 1, SQL_C_WCHAR, buffer.data(),
                                  static_cast<SQLLEN>(buffer.size() * sizeof(SQLWCHAR)),
                                  &nIndicator)) ||
        nIndicator == SQL_NULL_DATA)
        return false;
    buffer.back() = 0;
    strValue = reinterpret_cast<LPCWSTR>(buffer.data());
    return true;
}

// MySQL: the session's character sets of the text the driver sends and reads, as
// CRDatabase::m_strCharacterSets keeps them (a NULL set of results as an empty name).
const wchar_t kCharacterSetsQuery[] =
    L"SELECT CONCAT(@@character_set_client, ',', @@character_set_connection, ',', "
    L"IFNULL(@@character_set_results, ''))";

// The first column of the first row of a query of the program's own as text.
bool ReadOneText(CRDatabase& db, LPCWSTR pszSQL, CString& strValue)
{
    bool bRead = false;
    db.RunOwnStatement(pszSQL, [&](SQLHSTMT hStmt, SQLRETURN nRet) {
        bRead = hStmt != SQL_NULL_HSTMT && ReadFirstText(hStmt, nRet, strValue);
    });
    return bRead;
}

// What the user reads when a COMMIT of an aborted transaction rolled it back.
CString RolledBackNote(const CString& strAbortError)
{
    CString strNote = L"The transaction was rolled back, not committed: a statement in it had "
                      L"failed, and the server ends such a transaction only with a rollback.";
    if (!strAbortError.IsEmpty())
        strNote += L"\nThe statement's error: " + strAbortError;
    return strNote;
}

} // namespace

SQLRETURN CRDatabase::RunOwnStatement(LPCWSTR pszSQL,
                                      const std::function<void(SQLHSTMT, SQLRETURN)>& after)
{
    return RunOwnStatementBy(
        [this, pszSQL](SQLHSTMT hStmt) { return ExecDirectOwnText(this, hStmt, pszSQL); }, after);
}

SQLRETURN CRDatabase::RunOwnStatementBy(const std::function<SQLRETURN(SQLHSTMT)>& execute,
                                        const std::function<void(SQLHSTMT, SQLRETURN)>& after)
{
    HoldReadAheads();
    if (m_txn == TxnState::DriversAborted)
        EndDriversAbortedTransaction();
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    SQLRETURN nRet = SQLAllocStmt(m_hDbc, &hStmt);
    if (!SQL_SUCCEEDED(nRet))
    {
        if (after)
            after(SQL_NULL_HSTMT, nRet);
        return nRet;
    }
    nRet = execute(hStmt);
    if (after)
        after(hStmt, nRet);
    SQLFreeStmt(hStmt, SQL_DROP);
    // psqlODBC reading through cursors of its own runs a query of ours in a transaction of its
    // own, which a failure leaves aborted (the driver rolls back nothing itself, see
    // error_rollback.h): it is ended, as after a failed statement of the user's.
    if (nRet == SQL_ERROR && m_bStreamingResults && m_nDBMSKind == DBMS_POSTGRESQL)
        EndDriversAbortedTransaction();
    return nRet;
}

void CRDatabase::EndDriversAbortedTransaction()
{
    if (m_bEndingDriversTransaction || m_hDbc == SQL_NULL_HDBC ||
        (m_txn != TxnState::None && m_txn != TxnState::DriversAborted) ||
        m_nDBMSKind != DBMS_POSTGRESQL)
        return;
    m_bEndingDriversTransaction = true;
    m_txn = TxnState::None;
    // Only where the server holds one: psqlODBC has forgotten it (SQLEndTran sends nothing),
    // and sent a ROLLBACK outside a transaction it goes on to prepare a later statement under
    // the name of one it freed meanwhile ("prepared statement ... already exists").
    if (AskTransactionOpen() != TxnAnswer::Closed)
        ExecQuietly(L"ROLLBACK");
    m_bEndingDriversTransaction = false;
}

bool CRDatabase::ExecQuietly(LPCWSTR pszSQL)
{
    return SQL_SUCCEEDED(RunOwnStatement(pszSQL));
}

SQLRETURN CancelODBCHandle(SQLSMALLINT nHandleType, SQLHANDLE hHandle)
{
    if (SQLCancelHandleProc pProc = LookUpCancelHandle())
        return pProc(nHandleType, hHandle);
    if (nHandleType == SQL_HANDLE_STMT)
        return SQLCancel(hHandle);
    return SQL_ERROR;
}

bool HasSQLCancelHandle()
{
    return LookUpCancelHandle() != nullptr;
}

DBMSKind DBMSKindFromName(LPCWSTR pszName)
{
    if (!pszName)
        return DBMS_OTHER;
    if (wcscmp(pszName, L"ACCESS") == 0)
        return DBMS_ACCESS;
    if (wcscmp(pszName, L"SQL Server") == 0)
        return DBMS_SQLSERVER;
    if (StartsWithNoCase(pszName, L"ORACLE"))
        return DBMS_ORACLE;
    if (StartsWithNoCase(pszName, L"Microsoft SQL Server"))
        return DBMS_MSSQL;
    if (wcscmp(pszName, L"Firebird") == 0)
        return DBMS_FIREBIRD;
    // MariaDB's own driver reports "MariaDB"; the server speaks MySQL's dialect (backquoted
    // names, backslash escapes), and through a MySQL driver it reports "MySQL".
    if (wcscmp(pszName, L"MySQL") == 0 || wcscmp(pszName, L"MariaDB") == 0)
        return DBMS_MYSQL;
    if (wcscmp(pszName, L"PostgreSQL") == 0)
        return DBMS_POSTGRESQL;
    return DBMS_OTHER;
}

LONGLONG GetTickMs()
{
    LARGE_INTEGER frequency, counter;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&counter))
        return 0;
    if (frequency.QuadPart < 1 || counter.QuadPart < 0)
        return 0;
    return counter.QuadPart * 1000 / frequency.QuadPart;
}

CRDatabase::CRDatabase() {}

CRDatabase::~CRDatabase()
{
    // Close is virtual; from the destructor this class's own version runs, as intended.
    CRDatabase::Close();
}

bool CRDatabase::SetConnectOption(SQLUSMALLINT nOption, SQLULEN nValue, SQLRETURN* pnRet)
{
    HoldReadAheads(); // autocommit, for one, may end a transaction
    SQLRETURN nRet = SQLSetConnectOptionW(m_hDbc, nOption, nValue);
    // Some drivers lack the wide ODBC 2 entry point and the driver manager does not map it
    // (SQLite answers IM001): integer options then go through the attribute call.
    if (!SQL_SUCCEEDED(nRet) && nRet != SQL_INVALID_HANDLE && nOption != SQL_OPT_TRACEFILE &&
        nOption != SQL_TRANSLATE_DLL && nOption != SQL_CURRENT_QUALIFIER)
    {
        SQLRETURN nAttrRet = SQLSetConnectAttrW(
            m_hDbc, nOption, reinterpret_cast<SQLPOINTER>(nValue), SQL_IS_UINTEGER);
        if (SQL_SUCCEEDED(nAttrRet))
            nRet = nAttrRet;
    }
    if (pnRet)
        *pnRet = nRet;
    return SQL_SUCCEEDED(nRet);
}

// Sets the connection options on m_hDbc (allocated) and connects it; the completed string goes
// to pstrCompleted. nRet holds the failing call's code; SQL_NO_DATA is a cancelled dialog.
bool CRDatabase::ConnectHandle(LPCWSTR pszConnect, DWORD dwOptions, HWND hWnd,
                               UINT nConnectionTimeout, UINT nLoginTimeout,
                               SQLUSMALLINT nCompletion, CString* pstrCompleted, SQLRETURN& nRet)
{
    nRet = SQL_SUCCESS;
    if (dwOptions & openReadOnly)
        SetConnectOption(SQL_ACCESS_MODE, SQL_MODE_READ_ONLY, &nRet);
    if ((dwOptions & openUseCursorLib) && SQL_SUCCEEDED(nRet))
        SetConnectOption(SQL_ODBC_CURSORS, SQL_CUR_USE_ODBC, &nRet);
    if (SQL_SUCCEEDED(nRet))
        SetConnectOption(SQL_LOGIN_TIMEOUT, nLoginTimeout, &nRet);
    if (SQL_SUCCEEDED(nRet))
        SetConnectOption(SQL_ATTR_CONNECTION_TIMEOUT, nConnectionTimeout, &nRet);
    if (!SQL_SUCCEEDED(nRet))
        return false;
    // The completed string comes from this one call only (the driver is not asked again once
    // connected), so the buffer is made large: a long password or long settings would otherwise
    // leave a cut string to remember and to reconnect with (psqlODBC, given too little room,
    // shortens its keywords and still cuts its settings). Not the 32,767 characters the length
    // could tell: with a buffer that large the connect fails here ("Could not allocate memory
    // for output buffer").
    const SQLSMALLINT nOutChars = 8191;
    std::vector<SQLWCHAR> out(static_cast<size_t>(nOutChars) + 1, 0);
    SQLSMALLINT nOutLength = 0;
    nRet = SQLDriverConnectW(m_hDbc, hWnd, const_cast<SQLWCHAR*>(pszConnect ? pszConnect : L""),
                             SQL_NTS, out.data(), nOutChars, &nOutLength, nCompletion);
    if (!SQL_SUCCEEDED(nRet))
        return false;
    if (pstrCompleted != nullptr)
    {
        // A completed string longer still is not kept cut: the string given connects as well.
        if (nOutLength >= nOutChars && pszConnect != nullptr && *pszConnect != 0)
            *pstrCompleted = pszConnect;
        else
            *pstrCompleted = reinterpret_cast<LPCWSTR>(out.data());
    }
    return true;
}

bool CRDatabase::Open(LPCWSTR pszConnect, DWORD dwOptions, HWND hWnd, UINT nConnectionTimeout,
                      UINT nLoginTimeout, UINT nQueryTimeout)
{
    Close();
    m_strConnect.Empty();
    m_nQueryTimeout = nQueryTimeout;

    SQLUSMALLINT nCompletion = SQL_DRIVER_COMPLETE;
    if (dwOptions & openNoPrompt)
        nCompletion = SQL_DRIVER_NOPROMPT;
    else if (dwOptions & openPrompt)
        nCompletion = SQL_DRIVER_PROMPT;

    // The one session of the connection opens with every option it needs: the driver is looked
    // up before the string goes to it.
    const CString strOpen = ConnectStringWithOptions(pszConnect, FindDriverFile(pszConnect),
                                                     (dwOptions & openUseCursorLib) == 0);
    SQLRETURN nRet = SQLAllocEnv(&m_hEnv);
    if (SQL_SUCCEEDED(nRet))
        nRet = SQLAllocConnect(m_hEnv, &m_hDbc);
    else
        m_hEnv = SQL_NULL_HENV;
    if (SQL_SUCCEEDED(nRet))
    {
        if (!ConnectHandle(strOpen, dwOptions, hWnd, nConnectionTimeout, nLoginTimeout, nCompletion,
                           &m_strConnect, nRet) &&
            nRet == SQL_NO_DATA)
        {
            Close();
            return false;
        }
    }
    else
        m_hDbc = SQL_NULL_HDBC;

    if (!SQL_SUCCEEDED(nRet))
    {
        // Read the diagnostics while the handles still exist.
        auto* pException = new Zelt::CRDBException(nRet);
        pException->BuildErrorString(this, SQL_NULL_HSTMT);
        Close();
        throw pException;
    }
    FollowDriverOptions(pszConnect, strOpen, dwOptions);
    m_strConnect = UsersCompletedString(m_strConnect, pszConnect, strOpen);
    DetectDBMSKind();
    return true;
}

// The driver that answered tells what its results do: the options were chosen before the
// connect where the driver was known then (see driver_file.h); a driver found only now keeps
// what its string and data source gave.
void CRDatabase::FollowDriverOptions(LPCWSTR pszConnect, LPCWSTR pszOpened, DWORD dwOptions)
{
    CString strDriver;
    if (!GetDriverName(strDriver))
        return;
    // psqlODBC with its own cursors, which the string or data source asked for and the program
    // could not turn off before connecting.
    if (!WholeReadConnectString(pszOpened, m_strConnect, strDriver).IsEmpty())
    {
        m_bStreamingResults = true;
        return;
    }
    // The driver manager's cursor library reads every result whole anyway.
    if (!IsSQLiteDriverName(strDriver) || (dwOptions & openUseCursorLib))
        return;
    if (UserStringStreams(pszConnect, strDriver))
    {
        m_bStreamingResults = true;
        m_bReadResultsFirst = true;
    }
    else if (UserStringStreams(pszOpened, strDriver))
    {
        m_bStreamingResults = true;
        m_bDeclaredColumnsOnly = true;
        m_bReadResultsFirst = true;
    }
}

void CRDatabase::AskWholeRead(SQLHSTMT hStmt) const
{
    if (m_bReadResultsFirst && hStmt != SQL_NULL_HSTMT)
        SQLSetStmtOption(hStmt, SQL_CURSOR_TYPE, SQL_CURSOR_STATIC);
}

void CRDatabase::AddStreamingResult(IStreamingResult* pResult)
{
    if (pResult != nullptr)
        m_streamingResults.push_back(pResult);
}

void CRDatabase::RemoveStreamingResult(IStreamingResult* pResult)
{
    for (size_t i = m_streamingResults.size(); i-- > 0;)
        if (m_streamingResults[i] == pResult)
            m_streamingResults.erase(m_streamingResults.begin() + static_cast<ptrdiff_t>(i));
}

namespace {
thread_local bool t_bReadAheadThread = false;
} // namespace

void CRDatabase::SetReadAheadThread()
{
    t_bReadAheadThread = true;
}

bool CRDatabase::IsReadAheadThread()
{
    return t_bReadAheadThread;
}

void CRDatabase::AddReadAhead(const std::shared_ptr<IReadAhead>& pReadAhead)
{
    std::lock_guard<std::mutex> lock(m_readAheadMutex);
    m_readAheads.push_back(pReadAhead);
    m_nReadAheads.store(static_cast<int>(m_readAheads.size()), std::memory_order_release);
}

void CRDatabase::RemoveReadAhead(IReadAhead* pReadAhead)
{
    std::lock_guard<std::mutex> lock(m_readAheadMutex);
    for (size_t i = m_readAheads.size(); i-- > 0;)
    {
        // An entry whose read is gone goes too (it left the list before it went, unless the
        // connection was closed meanwhile).
        std::shared_ptr<IReadAhead> p = m_readAheads[i].lock();
        if (!p || p.get() == pReadAhead)
            m_readAheads.erase(m_readAheads.begin() + static_cast<ptrdiff_t>(i));
    }
    m_nReadAheads.store(static_cast<int>(m_readAheads.size()), std::memory_order_release);
}

void CRDatabase::HoldEachReadAhead()
{
    // A read's thread never holds others: two reads failing at once would wait for each other.
    if (t_bReadAheadThread)
        return;
    // Each is held with the list's lock released: a hold waits for the fetch the thread is in,
    // and reads may come and go on other threads meanwhile. The references taken keep each alive
    // until its hold returns.
    std::vector<std::shared_ptr<IReadAhead>> reads;
    {
        std::lock_guard<std::mutex> lock(m_readAheadMutex);
        reads.reserve(m_readAheads.size());
        for (const std::weak_ptr<IReadAhead>& weak : m_readAheads)
            if (std::shared_ptr<IReadAhead> p = weak.lock())
                reads.push_back(std::move(p));
    }
    for (const std::shared_ptr<IReadAhead>& p : reads)
        p->Hold();
}

void CRDatabase::DetachReadAheads()
{
    std::vector<std::weak_ptr<IReadAhead>> list;
    {
        std::lock_guard<std::mutex> lock(m_readAheadMutex);
        list.swap(m_readAheads);
        m_nReadAheads.store(0, std::memory_order_release);
    }
    for (const std::weak_ptr<IReadAhead>& weak : list)
        if (std::shared_ptr<IReadAhead> p = weak.lock())
            p->Detach();
}

bool CRDatabase::BeginWindowRead(UINT& nRead)
{
    if (m_hDbc == SQL_NULL_HDBC)
        return false;
    if (m_txn == TxnState::None)
    {
        SQLRETURN nRet;
        if (!SetConnectOption(SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF, &nRet))
            ThrowRDBException(this, nRet, SQL_NULL_HSTMT);
        m_txn = TxnState::Read;
        ++m_nReadTransaction;
        m_nWindowReads = 0;
    }
    if (m_txn != TxnState::Read)
        return false;
    ++m_nWindowReads;
    nRead = m_nReadTransaction;
    return true;
}

void CRDatabase::EndWindowRead(UINT nRead, LPCWSTR pszCursor)
{
    if (!IsWindowReadOn(nRead))
        return;
    if (--m_nWindowReads > 0)
        ExecQuietly(CString(L"CLOSE ") + pszCursor);
    else
        LetGoOfReads();
}

void CRDatabase::LetGoOfReads()
{
    if (m_txn != TxnState::Read)
        return;
    if (!t_bReadAheadThread)
    {
        std::vector<std::shared_ptr<IReadAhead>> reads;
        {
            std::lock_guard<std::mutex> lock(m_readAheadMutex);
            for (const std::weak_ptr<IReadAhead>& weak : m_readAheads)
                if (std::shared_ptr<IReadAhead> p = weak.lock())
                    reads.push_back(std::move(p));
        }
        for (const std::shared_ptr<IReadAhead>& p : reads)
            p->LetGo();
    }
    // From here no read goes on in it (IsWindowReadOn).
    ++m_nReadTransaction;
    m_nWindowReads = 0;
    // Nothing of it is kept: its rollback ends the cursors too. Autocommit comes back whatever
    // the rollback answered (a session gone took the transaction with it).
    SQLTransact(m_hEnv, m_hDbc, SQL_ROLLBACK);
    SQLRETURN nRet;
    m_txn = SetConnectOption(SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_ON, &nRet) ? TxnState::None
                                                                       : TxnState::Lost;
}

void CRDatabase::ReadStreamingResultsToEnd()
{
    // Each result removes itself once read; a copy keeps the walk safe.
    const std::vector<IStreamingResult*> results = m_streamingResults;
    // (A read that fails here stops that result's rows, which its window tells: the statement
    // this comes before is the user's, and runs all the same.)
    for (IStreamingResult* pResult : results)
        pResult->ReadToEnd();
}

bool CRDatabase::Reconnect(DWORD dwOptions, HWND hWnd, UINT nConnectionTimeout, UINT nLoginTimeout,
                           UINT nQueryTimeout)
{
    if (m_hDbc == SQL_NULL_HDBC || m_strConnect.IsEmpty())
        return false;
    CString strConnect = m_strConnect;
    return Open(strConnect, dwOptions, hWnd, nConnectionTimeout, nLoginTimeout, nQueryTimeout);
}

void CRDatabase::Close()
{
    // Reads ahead stop for good before the connection goes: none may call its driver, or this
    // object, afterwards.
    DetachReadAheads();
    // (A driver refuses to disconnect inside a transaction.)
    LetGoOfReads();
    if (m_hSpareCancel != SQL_NULL_HSTMT)
    {
        SQLFreeHandle(SQL_HANDLE_STMT, m_hSpareCancel);
        m_hSpareCancel = SQL_NULL_HSTMT;
    }
    if (m_hDbc != SQL_NULL_HDBC)
    {
        ++m_nConnectionSerial;
        SQLDisconnect(m_hDbc);
        SQLFreeConnect(m_hDbc);
        m_hDbc = SQL_NULL_HDBC;
    }
    if (m_hEnv != SQL_NULL_HENV)
    {
        SQLFreeEnv(m_hEnv);
        m_hEnv = SQL_NULL_HENV;
    }
    m_nDBMSKind = DBMS_OTHER;
    m_nLiteralRules = 0;
    m_bDynamicTypes = false;
    m_nNarrowTextUtf8 = -1;
    m_txn = TxnState::None;
    m_strAbortError.Empty();
    m_bSavepointMade = false;
    m_bSQLite = false;
    m_strSessionNote.Empty();
    m_strClientEncoding.Empty();
    m_strFloatDigits.Empty();
    m_strCharacterSets.Empty();
    m_bStreamingResults = false;
    m_bDeclaredColumnsOnly = false;
    m_bReadResultsFirst = false;
    // Results of the closed connection cannot be read any more.
    m_streamingResults.clear();
}

void CRDatabase::DetectDBMSKind()
{
    CString strName;
    if (!GetDBMSName(strName))
        return;
    DBMSKind nKind = DBMSKindFromName(strName);
    if (nKind != DBMS_OTHER)
        m_nDBMSKind = nKind;
    m_nLiteralRules = strName == L"SQLite" ? literalSupplementaryAsChar : 0;
    m_bDynamicTypes = strName == L"SQLite";
    m_bSQLite = strName == L"SQLite";
    // (Without it a cancel goes to the statement itself, as on every other driver.)
    if ((m_bSQLite || m_nDBMSKind == DBMS_MYSQL) && m_hSpareCancel == SQL_NULL_HSTMT &&
        !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &m_hSpareCancel)))
        m_hSpareCancel = SQL_NULL_HSTMT;
    m_nSupplementaryTextRoute = -1;
    RefreshLiteralRules();
    RefreshConformingStrings();
    m_strClientEncoding.Empty();
    m_strFloatDigits.Empty();
    m_strCharacterSets.Empty();
    if (m_hDbc == SQL_NULL_HDBC)
        return;
    if (m_nDBMSKind == DBMS_POSTGRESQL)
    {
        if (ReadOneText(*this, L"SHOW client_encoding", m_strClientEncoding))
            m_strClientEncoding.Trim();
        if (ReadOneText(*this, L"SHOW extra_float_digits", m_strFloatDigits))
            m_strFloatDigits.Trim();
    }
    else if (m_nDBMSKind == DBMS_MYSQL &&
             ReadOneText(*this, kCharacterSetsQuery, m_strCharacterSets))
        m_strCharacterSets.Trim();
}

void CRDatabase::RefreshLiteralRules()
{
    // PostgreSQL's literals read the same under either standard_conforming_strings setting;
    // the setting is followed apart (RefreshConformingStrings).
    if (m_nDBMSKind == DBMS_POSTGRESQL)
        return;
    m_nLiteralRules &= ~literalBackslashEscapes;
    if (m_nDBMSKind != DBMS_MYSQL)
        return;
    CString strMode;
    // sql_mode is a comma-separated list; the whole name cannot occur inside another mode name.
    if (m_hDbc == SQL_NULL_HDBC || !ReadOneText(*this, L"SELECT @@SESSION.sql_mode", strMode) ||
        !ContainsNoCase(strMode, L"NO_BACKSLASH_ESCAPES"))
        m_nLiteralRules |= literalBackslashEscapes;
}

void CRDatabase::RefreshConformingStrings()
{
    CString strValue;
    if (m_nDBMSKind != DBMS_POSTGRESQL || m_hDbc == SQL_NULL_HDBC ||
        !ReadOneText(*this, L"SHOW standard_conforming_strings", strValue))
        return;
    if (strValue.Trim().CompareNoCase(L"off") == 0)
        m_nLiteralRules |= literalBackslashEscapes;
    else
        m_nLiteralRules &= ~literalBackslashEscapes;
}

bool CRDatabase::MayChangeConformingStrings(LPCWSTR pszSQL) const
{
    if (pszSQL == nullptr)
        return false;
    // SET LOCAL lasts to the end of the transaction, and a rollback takes back a SET.
    for (LPCWSTR pszWord :
         {L"standard_conforming_strings", L"RESET", L"DISCARD", L"COMMIT", L"ROLLBACK", L"ABORT"})
        if (ContainsNoCase(pszSQL, pszWord))
            return true;
    // Off is rare and may end by any statement that ends a transaction (END, a procedure's
    // COMMIT).
    return UsesBackslashEscapes() && !IsPlainStatement(m_nDBMSKind, pszSQL);
}

void CRDatabase::AfterStatement(LPCWSTR pszSQL, bool bResultClosed)
{
    FollowSessionChanges(pszSQL, bResultClosed, !bResultClosed);
}

void CRDatabase::AfterFailedStatement(LPCWSTR pszSQL, Zelt::CRDBException* pError)
{
    // Called from a handler of the failure: that one is the statement's.
    std::exception_ptr pCurrent = pError == nullptr ? std::current_exception() : nullptr;
    if (pCurrent)
    {
        try
        {
            std::rethrow_exception(pCurrent);
        }
        catch (Zelt::CRDBException* e)
        {
            pError = e;
        }
        catch (...)
        {}
    }
    m_strSessionNote.Empty();
    FollowTransaction(pszSQL, false, pError ? pError->m_strSQLState : CString(),
                      pError ? pError->m_strError : CString(), false);
    // A statement psqlODBC ran in a cursor transaction of its own (a cancelled query, one that
    // failed on another path than ThrowRDBException's) left it aborted.
    if (m_bStreamingResults)
        EndDriversAbortedTransaction();
    // What the failure did to the transaction goes with its message.
    if (pError != nullptr && !m_strSessionNote.IsEmpty())
    {
        pError->m_strError += L"\n\n" + m_strSessionNote;
        m_strSessionNote.Empty();
    }
}

CString CRDatabase::TakeSessionNote()
{
    CString strNote = m_strSessionNote;
    m_strSessionNote.Empty();
    return strNote;
}

void CRDatabase::FollowSessionChanges(LPCWSTR pszSQL, bool bAnyStatement, bool bResultOpen)
{
    m_strSessionNote.Empty();
    FollowTransaction(pszSQL, true, CString(), CString(), bResultOpen);
    // Only a statement without a result leaves the connection free to ask the server; a query
    // naming the setting (SELECT set_config('DateStyle', ...)) counts where no result stays open.
    if (m_nDBMSKind == DBMS_MYSQL &&
        (bAnyStatement ? MayChangeSessionMode(pszSQL) : IsSetStatement(pszSQL)))
        RefreshLiteralRules();
    if (m_nDBMSKind == DBMS_MYSQL &&
        (IsSetStatement(pszSQL) || (bAnyStatement && pszSQL &&
                                    (ContainsNoCase(pszSQL, L"character_set") ||
                                     ContainsNoCase(pszSQL, L"collation_connection")))))
        KeepCharacterSets();
    if (m_nDBMSKind == DBMS_POSTGRESQL &&
        (MayChangeDateStyle(pszSQL) ||
         (bAnyStatement && pszSQL &&
          (ContainsNoCase(pszSQL, L"DateStyle") || ContainsNoCase(pszSQL, L"client_encoding") ||
           ContainsNoCase(pszSQL, L"extra_float_digits")))))
        KeepDriverSettings();
    if (m_nDBMSKind == DBMS_POSTGRESQL && bAnyStatement && MayChangeConformingStrings(pszSQL))
        RefreshConformingStrings();
}

bool CRDatabase::FollowsTransactionBlocks() const
{
    return m_hDbc != SQL_NULL_HDBC &&
           (m_nDBMSKind == DBMS_POSTGRESQL || m_nDBMSKind == DBMS_MYSQL || m_bSQLite);
}

TxnProduct CRDatabase::GetTxnProduct() const
{
    return m_bSQLite                        ? TxnProduct::SQLite
           : m_nDBMSKind == DBMS_POSTGRESQL ? TxnProduct::PostgreSQL
                                            : TxnProduct::MySQL;
}

void CRDatabase::FollowStatementStart(LPCWSTR pszSQL)
{
    if (!FollowsTransactionBlocks())
        return;
    if (m_txn == TxnState::DriversAborted)
        EndDriversAbortedTransaction();
    AskAgainAboutTransaction();
    if (OpensTransactionBlock(m_nDBMSKind, pszSQL))
    {
        // The windows' reads let go first: the BEGIN would otherwise be taken into their
        // transaction, the user's transaction working on their snapshot (and a BEGIN that sets
        // an isolation level failing, queries having run in it). The statement's own start lets
        // them go too, but only after this.
        LetGoOfReads();
        // Inside a transaction already (the program's or the user's), the server takes the BEGIN
        // in as it does (a warning on PostgreSQL, the next transaction on MySQL).
        if (IsInTransaction())
            return;
        // Before the statement, not after: psqlODBC commits an open block when autocommit is
        // switched, which would drop the BEGIN's own options (ISOLATION LEVEL, READ ONLY) and
        // commit what ran before it in the same text. With autocommit off it sends a BEGIN of
        // its own in the same message, ahead of the user's: that one then only warns, and its
        // options still apply, since no query has run in the transaction yet (hence the text
        // encoding is learnt first, see TakeUsersTransaction). Should the statement fail, the
        // driver's BEGIN is rolled back (TxnAfterFailure).
        ReadStreamingResultsToEnd();
        TakeUsersTransaction();
    }
    else if ((m_txn == TxnState::User || m_txn == TxnState::Server || m_txn == TxnState::Aborted) &&
             !IsPlainStatement(m_nDBMSKind, pszSQL))
        ReadStreamingResultsToEnd(); // results read in the transaction do not outlive its end
    // One COMMIT alone: the server's state just before it is the state it ends. (A text of
    // several statements may change it before its COMMIT.)
    if (m_nDBMSKind == DBMS_POSTGRESQL &&
        (m_txn == TxnState::User || m_txn == TxnState::Program || m_txn == TxnState::Guard ||
         m_txn == TxnState::Aborted) &&
        pszSQL != nullptr &&
        (ContainsNoCase(pszSQL, L"COMMIT") || ContainsNoCase(pszSQL, L"END")) &&
        ReadTransactionText(m_nDBMSKind, pszSQL) == TxnText::Commits &&
        CountStatements(m_nDBMSKind, pszSQL) == 1)
        AskAbortedBeforeCommit();
}

bool CRDatabase::IsTransactionAborted()
{
    if (m_nDBMSKind != DBMS_POSTGRESQL || m_bSQLite || m_hDbc == SQL_NULL_HDBC)
        return false;
    if ((m_txn == TxnState::User || m_txn == TxnState::Program || m_txn == TxnState::Guard ||
         m_txn == TxnState::UserUnknown) &&
        AskTransactionOpen() == TxnAnswer::Aborted)
        EnterTxnState(TxnState::Aborted);
    return m_txn == TxnState::Aborted;
}

void CRDatabase::AskAbortedBeforeCommit()
{
    if (m_nDBMSKind != DBMS_POSTGRESQL || m_bSQLite ||
        (m_txn != TxnState::User && m_txn != TxnState::Program && m_txn != TxnState::Guard &&
         m_txn != TxnState::Aborted))
        return;
    const TxnAnswer answer = AskTransactionOpen();
    if (answer == TxnAnswer::Aborted)
        EnterTxnState(TxnState::Aborted);
    else if (answer == TxnAnswer::Open && m_txn == TxnState::Aborted)
        EnterTxnState(TxnState::User);
}

void CRDatabase::FollowTransaction(LPCWSTR pszSQL, bool bSucceeded, const CString& strSQLState,
                                   const CString& strError, bool bResultOpen)
{
    if (!FollowsTransactionBlocks())
        return;
    // Nothing is left to end, nor aborted, nor to ask the server about.
    CString strLost;
    if (!bSucceeded && FollowLostSession(strLost))
    {
        if (!strLost.IsEmpty())
            AddSessionNote(strLost);
        return;
    }
    if (m_txn == TxnState::DriversAborted)
        EndDriversAbortedTransaction();
    const TxnProduct product = GetTxnProduct();
    bool bRecovers = false;
    const TxnText text = ReadTransactionText(m_nDBMSKind, pszSQL, &bRecovers);
    // A text that ran whole past its ROLLBACK TO committed a usable transaction.
    if (bSucceeded && bRecovers && m_txn == TxnState::Aborted)
        EnterTxnState(TxnState::User);
    const TxnStep step = bSucceeded ? TxnAfterSuccess(m_txn, text, product)
                                    : TxnAfterFailure(m_txn, text, product, strSQLState,
                                                      CountStatements(m_nDBMSKind, pszSQL) == 1);
    if (step.bRollBackBegin)
    {
        // Quietly: the statement's own failure is the one to show.
        HoldReadAheads();
        SQLTransact(m_hEnv, m_hDbc, SQL_ROLLBACK);
    }
    CString strNote;
    switch (step.note)
    {
    case TxnStep::noteAborted:
        if (m_bSavepointMade)
            strNote = L"The transaction is aborted: the server refuses every further statement "
                      L"in it until it is ended (ROLLBACK, or End Transaction), or rolled back to "
                      L"a savepoint made before the failure (ROLLBACK TO SAVEPOINT name), which "
                      L"keeps what was done before that savepoint and goes on in the transaction. "
                      L"Ended with COMMIT, it is rolled back.";
        else
            strNote = L"The transaction is aborted: the server refuses every further statement "
                      L"in it until it is ended (ROLLBACK, or End Transaction), and nothing done "
                      L"in it will be committed.";
        break;
    case TxnStep::noteRolledBack: strNote = RolledBackNote(m_strAbortError); break;
    case TxnStep::noteEndedByFailure:
        strNote = L"The transaction is over: the server rolled it back when the COMMIT failed, "
                  L"and nothing done in it was committed.";
        break;
    default: break;
    }
    if (step.bAsk)
    {
        // A MySQL statement whose result is still open may have further results waiting: the
        // question waits until the result closes (AskAgainAboutTransaction).
        const TxnAnswer answer =
            product == TxnProduct::MySQL && bResultOpen ? TxnAnswer::None : AskTransactionOpen();
        FollowServerTransaction(answer);
    }
    else
        EnterTxnState(step.next);
    if (m_txn == TxnState::Aborted && step.note == TxnStep::noteAborted)
        m_strAbortError = strError;
    if (bSucceeded && product == TxnProduct::PostgreSQL && TxnIsOpen(m_txn) && pszSQL != nullptr &&
        ContainsNoCase(pszSQL, L"SAVEPOINT") && MakesSavepoint(m_nDBMSKind, pszSQL))
        m_bSavepointMade = true;
    if (!strNote.IsEmpty())
        m_strSessionNote += (m_strSessionNote.IsEmpty() ? L"" : L"\n") + strNote;
}

bool CRDatabase::FollowLostSession(CString& strNote)
{
    strNote.Empty();
    if (!FollowsTransactionBlocks() || !IsConnectionDead())
        return false;
    const TxnStep step = TxnAfterSessionLost(m_txn);
    EnterTxnState(step.next);
    if (step.note == TxnStep::noteEndedWithSession)
        strNote = L"The transaction is over: it ended with the session, the server rolled it "
                  L"back, and nothing done in it was committed.";
    return true;
}

void CRDatabase::AskAgainAboutTransaction()
{
    if ((m_txn != TxnState::Unknown && m_txn != TxnState::UserUnknown) ||
        !FollowsTransactionBlocks())
        return;
    FollowServerTransaction(AskTransactionOpen());
}

void CRDatabase::FollowServerTransaction(TxnAnswer answer)
{
    const TxnState next = TxnFollowAnswer(m_txn, answer, GetTxnProduct());
    if (next == TxnState::None && m_bSQLite && TxnAutocommitOff(m_txn) &&
        !SetConnectOption(SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_ON))
    {
        // The question's own empty transaction, which the switch would have committed.
        ExecQuietly(L"COMMIT");
        return;
    }
    if (next == TxnState::User && !TxnAutocommitOff(m_txn))
    {
        // The statement opened a transaction the driver does not know of: a procedure's START
        // TRANSACTION, XA START. MySQL's driver goes on in it as autocommit goes off.
        ReadStreamingResultsToEnd();
        LearnNarrowText();
    }
    EnterTxnState(next);
}

void CRDatabase::EnterTxnState(TxnState next)
{
    const bool bWasOff = TxnAutocommitOff(m_txn);
    const bool bOff = TxnAutocommitOff(next);
    if (bOff != bWasOff && m_hDbc != SQL_NULL_HDBC)
    {
        if (!SetConnectOption(SQL_AUTOCOMMIT, bOff ? SQL_AUTOCOMMIT_OFF : SQL_AUTOCOMMIT_ON))
        {
            // MariaDB refuses to switch inside an XA transaction: the driver keeps autocommit
            // on there, and the program ends the transaction with statements of its own. A
            // switch back on that fails leaves autocommit off, shown as open.
            if (bOff)
                next = next == TxnState::User ? TxnState::Server : TxnState::None;
            else
                return;
        }
    }
    if (next != TxnState::Aborted)
        m_strAbortError.Empty();
    if (!TxnIsOpen(next))
        m_bSavepointMade = false;
    m_txn = next;
}

void CRDatabase::TakeUsersTransaction()
{
    // The driver's text encoding is learnt before autocommit goes off: asked afterwards, the
    // question would open psqlODBC's transaction ahead of the user's BEGIN, which then fails
    // when it sets an isolation level.
    LearnNarrowText();
    EnterTxnState(TxnState::Beginning);
}

int CRDatabase::AskOneValue(LPCWSTR pszQuestion)
{
    int nValue = -1;
    RunOwnStatement(pszQuestion, [&](SQLHSTMT hStmt, SQLRETURN nRet) {
        CString strAnswer;
        if (hStmt != SQL_NULL_HSTMT && ReadFirstText(hStmt, nRet, strAnswer, 15))
            nValue = strAnswer.Left(1) == L"0" ? 0 : 1;
    });
    return nValue;
}

bool CRDatabase::AskOneText(LPCWSTR pszQuestion, CString& strAnswer)
{
    return ReadOneText(*this, pszQuestion, strAnswer);
}

TxnAnswer CRDatabase::AskTransactionOpen()
{
    if (m_bSQLite)
        return AskSQLiteTransactionOpen();
    if (m_nDBMSKind != DBMS_POSTGRESQL)
    {
        // With autocommit on, a SET autocommit = 0 of the user's leaves the next statement's
        // changes uncommitted: that session is in the user's transaction from here on.
        const int nOpen =
            AskOneValue(TxnAutocommitOff(m_txn) ? L"SELECT @@in_transaction"
                                                : L"SELECT @@in_transaction OR @@autocommit = 0");
        return nOpen < 0 ? TxnAnswer::None : nOpen == 1 ? TxnAnswer::Open : TxnAnswer::Closed;
    }
    // SET LOCAL needs no snapshot and is no query: the transaction's first query still takes
    // its snapshot, and SET TRANSACTION still works after it. Outside a block the server warns
    // (25P01) and changes nothing; inside one it sets a name of the program's own back to its
    // default until the block ends; in an aborted block it fails (25P02). With autocommit off
    // psqlODBC opens a block ahead of any statement, so there the answer tells aborted from
    // open only.
    TxnAnswer answer = TxnAnswer::None;
    RunOwnStatement(L"SET LOCAL quenlark.transaction_question TO DEFAULT",
                    [&](SQLHSTMT hStmt, SQLRETURN nRet) {
                        if (hStmt == SQL_NULL_HSTMT)
                            return;
                        const CString strState = FirstSQLState(hStmt);
                        if (nRet == SQL_SUCCESS)
                            answer = TxnAnswer::Open;
                        else if (nRet == SQL_SUCCESS_WITH_INFO)
                            answer = strState == L"25P01" ? TxnAnswer::Closed : TxnAnswer::Open;
                        else if (strState == L"25P02")
                            answer = TxnAnswer::Aborted;
                    });
    return answer;
}

TxnAnswer CRDatabase::AskSQLiteTransactionOpen()
{
    // SQLite has no statement that tells; a BEGIN does: it fails inside a transaction and
    // otherwise opens an empty one that takes no lock (a deferred transaction locks with its
    // first read) and is committed here at once, which reads still in progress outlive. With
    // autocommit off it is left to the switch of autocommit back on, which the driver answers
    // with a COMMIT of its own (see FollowServerTransaction).
    TxnAnswer answer = TxnAnswer::Closed;
    RunOwnStatement(L"BEGIN", [&](SQLHSTMT hStmt, SQLRETURN nRet) {
        if (hStmt == SQL_NULL_HSTMT)
            answer = TxnAnswer::None;
        else if (!SQL_SUCCEEDED(nRet))
            answer = ContainsNoCase(GetErrorText(hStmt), L"within a transaction") ? TxnAnswer::Open
                                                                                  : TxnAnswer::None;
    });
    // Should the COMMIT fail, the question's transaction is open, and shown as such.
    if (answer == TxnAnswer::Closed && !TxnAutocommitOff(m_txn) && !ExecQuietly(L"COMMIT"))
        answer = TxnAnswer::Open;
    return answer;
}

bool CRDatabase::ReadDriverSettings(CString& strDateStyle, CString& strEncoding, CString& strDigits)
{
    // SHOW, not a SELECT of current_setting(): a SELECT would take the snapshot of a transaction
    // the user has begun and not yet read in (SET TRANSACTION ISOLATION LEVEL comes first).
    if (m_hDbc == SQL_NULL_HDBC || !ReadOneText(*this, L"SHOW DateStyle", strDateStyle) ||
        !ReadOneText(*this, L"SHOW client_encoding", strEncoding) ||
        !ReadOneText(*this, L"SHOW extra_float_digits", strDigits))
        return false;
    strDateStyle.Trim();
    strEncoding.Trim();
    strDigits.Trim();
    return true;
}

void CRDatabase::KeepDriverSettings()
{
    CString strDateStyle, strEncoding, strDigits;
    if (!ReadDriverSettings(strDateStyle, strEncoding, strDigits))
        return;
    KeepIsoDateStyle(strDateStyle);
    KeepClientEncoding(strEncoding);
    KeepFloatDigits(strDigits);
}

void CRDatabase::KeepIsoDateStyle(const CString& strStyle)
{
    if (StartsWithNoCase(strStyle, L"ISO"))
        return;
    // The output style alone: the field order (DMY, MDY) stays as the statement left it, and
    // the program's own date literals are year-first, which every order reads alike.
    ExecQuietly(L"SET DateStyle TO ISO");
    m_strSessionNote = L"DateStyle was set back to ISO: the ODBC driver reads dates and times "
                       L"correctly only in that style (it would read \"" +
                       strStyle + L"\" dates as other dates).";
}

void CRDatabase::KeepClientEncoding(const CString& strEncoding)
{
    if (m_strClientEncoding.IsEmpty() || strEncoding.CompareNoCase(m_strClientEncoding) == 0)
        return;
    CString strQuoted = m_strClientEncoding;
    strQuoted.Replace(L"'", L"''");
    ExecQuietly(L"SET client_encoding TO '" + strQuoted + L"'");
    if (!m_strSessionNote.IsEmpty())
        m_strSessionNote += L"\n";
    m_strSessionNote += L"client_encoding was set back to " + m_strClientEncoding +
                        L": the ODBC driver reads and sends text correctly only in that encoding "
                        L"(it would show \"" +
                        strEncoding + L"\" text as other characters).";
}

void CRDatabase::KeepFloatDigits(const CString& strDigits)
{
    if (m_strFloatDigits.IsEmpty())
        return;
    // From 1 up the server writes every float as the shortest text that reads back as it (and
    // as many digits as the driver asked for before version 12, which is kept below).
    const int nDigits = _wtoi(strDigits), nAtConnect = _wtoi(m_strFloatDigits);
    CString strVersion;
    const bool bShortest = GetDBMSVersion(strVersion) && _wtoi(strVersion) >= 12;
    if (nDigits >= nAtConnect || (bShortest && nDigits >= 1))
        return;
    ExecQuietly(L"SET extra_float_digits TO " + m_strFloatDigits);
    AddSessionNote(L"extra_float_digits was set back to " + m_strFloatDigits +
                   L": the ODBC driver reads floating-point values from the server's text of "
                   L"them, which is rounded at " +
                   strDigits + L" (they would show, copy and save as other values).");
}

void CRDatabase::KeepCharacterSets()
{
    CString strSets;
    if (m_hDbc == SQL_NULL_HDBC || m_strCharacterSets.IsEmpty() ||
        !ReadOneText(*this, kCharacterSetsQuery, strSets))
        return;
    strSets.Trim();
    if (strSets.CompareNoCase(m_strCharacterSets) == 0)
        return;
    // The names are the server's own (letters, digits, underscores); each goes back in one
    // statement.
    static const wchar_t* const kNames[] = {L"character_set_client", L"character_set_connection",
                                            L"character_set_results"};
    CString strSet, strChanged;
    int nAt = 0, nNowAt = 0;
    for (const wchar_t* pszName : kNames)
    {
        const CString strWas = m_strCharacterSets.Tokenize(L",", nAt);
        const CString strNow = nNowAt < 0 ? CString() : strSets.Tokenize(L",", nNowAt);
        if (strWas.IsEmpty())
            return;
        if (strWas.CompareNoCase(strNow) == 0)
            continue;
        strSet += (strSet.IsEmpty() ? L"SET " : L", ") + CString(pszName) + L" = " + strWas;
        strChanged += (strChanged.IsEmpty() ? L"" : L", ") + CString(pszName) + L" (" +
                      (strNow.IsEmpty() ? CString(L"NULL") : strNow) + L")";
    }
    if (strSet.IsEmpty() || !ExecQuietly(strSet))
        return;
    int nFirst = 0;
    AddSessionNote(strChanged + (strChanged.Find(L',') < 0 ? L" was" : L" were") +
                   L" set back to the connection's character set, " +
                   m_strCharacterSets.Tokenize(L",", nFirst) +
                   L": the ODBC driver sends and reads text correctly only in it (text would "
                   L"show, or be stored, as other characters).");
}

bool CRDatabase::GetQueryTimeout(UINT* pnSeconds) const
{
    if (pnSeconds)
        *pnSeconds = m_nQueryTimeout;
    return true;
}

void CRDatabase::ExecuteSQL(LPCWSTR pszSQL, LONGLONG* pnRowCount)
{
    BeforeStatement();
    FollowStatementStart(pszSQL);
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    SQLRETURN nRet;
    do
        nRet = SQLAllocStmt(m_hDbc, &hStmt);
    while (nRet == SQL_STILL_EXECUTING);
    if (!SQL_SUCCEEDED(nRet))
        ThrowRDBException(this, nRet, SQL_NULL_HSTMT);

    SQLSetStmtOption(hStmt, SQL_QUERY_TIMEOUT, m_nQueryTimeout);
    AskWholeRead(hStmt);
    m_nStartTime = m_nEndTime = GetTickMs();
    try
    {
        do
            nRet = ExecDirectText(this, hStmt, pszSQL);
        while (nRet == SQL_STILL_EXECUTING);
    }
    catch (Zelt::CRDBException* pRefused)
    {
        // Refused before it was sent.
        SQLFreeStmt(hStmt, SQL_DROP);
        AfterFailedStatement(pszSQL, pRefused);
        throw;
    }
    m_nEndTime = GetTickMs();
    if (!SQL_SUCCEEDED(nRet))
    {
        auto* pException = new Zelt::CRDBException(nRet);
        pException->BuildErrorString(this, hStmt);
        SQLFreeStmt(hStmt, SQL_DROP);
        AfterFailedStatement(pszSQL, pException);
        throw pException;
    }
    if (pnRowCount)
    {
        SQLLEN nCount = 0;
        do
            nRet = SQLRowCount(hStmt, &nCount);
        while (nRet == SQL_STILL_EXECUTING);
        *pnRowCount = SQL_SUCCEEDED(nRet) ? static_cast<LONGLONG>(nCount) : -1;
    }
    nRet = SQLFreeStmt(hStmt, SQL_DROP);
    if (!SQL_SUCCEEDED(nRet))
        ThrowRDBException(this, nRet, SQL_NULL_HSTMT);
    FollowSessionChanges(pszSQL, true, false);
}

bool CRDatabase::GetInfoWord(SQLUSMALLINT nInfoType, WORD& nValue)
{
    SQLUSMALLINT nRead = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(m_hDbc, nInfoType, &nRead, 2, nullptr)))
        return false;
    nValue = nRead;
    return true;
}

bool CRDatabase::GetInfoDWord(SQLUSMALLINT nInfoType, DWORD& nValue)
{
    SQLUINTEGER nRead = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(m_hDbc, nInfoType, &nRead, 4, nullptr)))
        return false;
    nValue = nRead;
    return true;
}

bool CRDatabase::GetInfoString(SQLUSMALLINT nInfoType, CString& strValue)
{
    SQLWCHAR szBuffer[513];
    ZeroMemory(szBuffer, sizeof szBuffer);
    SQLSMALLINT nLength = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(m_hDbc, nInfoType, szBuffer, 1024, &nLength)))
        return false;
    strValue = reinterpret_cast<LPCWSTR>(szBuffer);
    return true;
}

bool CRDatabase::GetInfoVersion(SQLUSMALLINT nInfoType, int* pnMajor, int* pnMinor, int* pnRelease)
{
    CString strText;
    if (!GetInfoString(nInfoType, strText))
        return false;
    CString strParts[3];
    int nStart = 0;
    for (int i = 0; i < 3 && nStart <= strText.GetLength(); ++i)
    {
        int nDot = strText.Find(L'.', nStart);
        if (nDot < 0)
        {
            strParts[i] = strText.Mid(nStart);
            break;
        }
        strParts[i] = strText.Mid(nStart, nDot - nStart);
        nStart = nDot + 1;
    }
    if (pnMajor)
        *pnMajor = LeadingNumber(strParts[0]);
    if (pnMinor)
        *pnMinor = LeadingNumber(strParts[1]);
    if (pnRelease)
        *pnRelease = LeadingNumber(strParts[2]);
    return true;
}

bool CRDatabase::IsFunctionSupported(SQLUSMALLINT nFunction)
{
    SQLUSMALLINT nSupported = 0;
    return SQL_SUCCEEDED(SQLGetFunctions(m_hDbc, nFunction, &nSupported)) && nSupported == SQL_TRUE;
}

namespace {

SQLUSMALLINT CursorAttributesInfo(SQLULEN nCursorType, bool bSecond)
{
    switch (nCursorType)
    {
    case SQL_CURSOR_DYNAMIC:
        return bSecond ? SQL_DYNAMIC_CURSOR_ATTRIBUTES2 : SQL_DYNAMIC_CURSOR_ATTRIBUTES1;
    case SQL_CURSOR_KEYSET_DRIVEN:
        return bSecond ? SQL_KEYSET_CURSOR_ATTRIBUTES2 : SQL_KEYSET_CURSOR_ATTRIBUTES1;
    case SQL_CURSOR_STATIC:
        return bSecond ? SQL_STATIC_CURSOR_ATTRIBUTES2 : SQL_STATIC_CURSOR_ATTRIBUTES1;
    default:
        return bSecond ? SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2 : SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1;
    }
}

} // namespace

DWORD CRDatabase::GetCursorAttributes1(SQLULEN nCursorType)
{
    SQLUINTEGER nValue = 0;
    SQLRETURN nRet =
        SQLGetInfoW(m_hDbc, CursorAttributesInfo(nCursorType, false), &nValue, 4, nullptr);
    if (!SQL_SUCCEEDED(nRet))
        ThrowRDBException(this, nRet, SQL_NULL_HSTMT);
    return nValue;
}

DWORD CRDatabase::GetCursorAttributes2(SQLULEN nCursorType)
{
    SQLUINTEGER nValue = 0;
    SQLRETURN nRet =
        SQLGetInfoW(m_hDbc, CursorAttributesInfo(nCursorType, true), &nValue, 4, nullptr);
    if (!SQL_SUCCEEDED(nRet))
        ThrowRDBException(this, nRet, SQL_NULL_HSTMT);
    return nValue;
}

namespace {

// Integer connect options; the value buffer is zeroed and wide enough for either width a driver
// manager may write.
bool GetConnectOptionValue(SQLHDBC hDbc, SQLUSMALLINT nOption, DWORD& nValue)
{
    SQLULEN nRead = 0;
    if (!SQL_SUCCEEDED(SQLGetConnectOptionW(hDbc, nOption, &nRead)))
    {
        // The wide ODBC 2 entry point fails on some drivers (MariaDB answers invalid handle);
        // the attribute call reads the same option.
        nRead = 0;
        if (hDbc == SQL_NULL_HDBC ||
            !SQL_SUCCEEDED(SQLGetConnectAttrW(hDbc, nOption, &nRead, sizeof nRead, nullptr)))
            return false;
    }
    nValue = static_cast<DWORD>(nRead);
    return true;
}

} // namespace

bool CRDatabase::GetODBCCursorsOption(DWORD& nValue)
{
    return GetConnectOptionValue(m_hDbc, SQL_ODBC_CURSORS, nValue);
}

bool CRDatabase::GetConnectionTimeout(DWORD& nValue)
{
    return GetConnectOptionValue(m_hDbc, SQL_ATTR_CONNECTION_TIMEOUT, nValue);
}

bool CRDatabase::GetLoginTimeout(DWORD& nValue)
{
    return GetConnectOptionValue(m_hDbc, SQL_LOGIN_TIMEOUT, nValue);
}

bool CRDatabase::BeginTrans()
{
    return BeginProgramTransaction(TxnState::Program);
}

bool CRDatabase::BeginGuard()
{
    return BeginProgramTransaction(TxnState::Guard);
}

bool CRDatabase::BeginProgramTransaction(TxnState state)
{
    if (m_hDbc == SQL_NULL_HDBC)
        return false;
    LetGoOfReads();
    ReadStreamingResultsToEnd();
    LearnNarrowText(); // see TakeUsersTransaction
    SQLRETURN nRet;
    if (!SetConnectOption(SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF, &nRet))
        ThrowRDBException(this, nRet, SQL_NULL_HSTMT);
    m_txn = state;
    m_strAbortError.Empty();
    return true;
}

bool CRDatabase::EndTrans(bool bCommit)
{
    if (m_hDbc == SQL_NULL_HDBC)
        return false;
    LetGoOfReads();
    HoldReadAheads();
    ReadStreamingResultsToEnd();
    AskAgainAboutTransaction();
    // Still unanswered: a statement ends whatever the server holds (or fails, and says why).
    if (m_txn == TxnState::Server || m_txn == TxnState::Unknown)
        return EndServerTransaction(bCommit);
    if (bCommit)
        AskAbortedBeforeCommit();
    const bool bAborted = m_txn == TxnState::Aborted;
    Zelt::CRDBException* pException = nullptr;
    // Once a statement has met the lost session, psqlODBC forgets the transaction and answers a
    // commit with success without asking the server: what the transaction held went with the
    // session, and must not be reported as committed.
    SQLRETURN nTransact = SQL_ERROR;
    if (bCommit && IsConnectionDead())
    {
        pException = new Zelt::CRDBException(
            L"The connection to the server was lost: the transaction was not committed. "
            L"Connect > Reconnect opens a new session.");
        pException->m_nRetCode = static_cast<WORD>(SQL_ERROR);
        pException->m_strSQLState = L"08S01";
    }
    else
        nTransact = SQLTransact(m_hEnv, m_hDbc, bCommit ? SQL_COMMIT : SQL_ROLLBACK);
    // The failure's diagnostics are read before the next call on the connection replaces them.
    if (!pException && !SQL_SUCCEEDED(nTransact))
    {
        pException = new Zelt::CRDBException(nTransact);
        pException->BuildErrorString(this, SQL_NULL_HSTMT);
    }
    // Autocommit goes back on whatever the commit or rollback answered.
    SQLRETURN nOption;
    SetConnectOption(SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_ON, &nOption);
    // The MariaDB driver refuses both once the server has dropped the session ("Server has
    // gone away") and goes on reporting autocommit off. The server ended the transaction with
    // the session: it must not stay open here, or every later close would ask to end it again
    // and fail again.
    if (SQL_SUCCEEDED(nOption))
        m_txn = TxnState::None;
    else if (pException)
        m_txn = TxnState::Lost;
    m_bSavepointMade = false;
    const CString strAbortError = m_strAbortError;
    m_strAbortError.Empty();
    if (pException)
        throw pException;
    if (!SQL_SUCCEEDED(nOption))
        ThrowRDBException(this, nOption, SQL_NULL_HSTMT);
    m_strSessionNote = bAborted && bCommit ? RolledBackNote(strAbortError) : CString();
    return true;
}

bool CRDatabase::EndServerTransaction(bool bCommit)
{
    // The driver knows nothing of this transaction: only a statement ends it.
    Zelt::CRDBException* pException = nullptr;
    RunOwnStatement(bCommit ? L"COMMIT" : L"ROLLBACK", [&](SQLHSTMT hStmt, SQLRETURN nRet) {
        if (SQL_SUCCEEDED(nRet))
            return;
        pException = new Zelt::CRDBException(nRet);
        pException->BuildErrorString(this, hStmt);
    });
    // A failed COMMIT may have ended it all the same (SQLite rolls back on some errors, a lost
    // session takes it along); one the server still holds (MariaDB's XA, which only its own XA
    // statements end) stays open.
    const TxnAnswer answer = pException ? AskTransactionOpen() : TxnAnswer::Closed;
    if (answer == TxnAnswer::Closed)
        m_txn = TxnState::None;
    else if (answer != TxnAnswer::None)
        m_txn = TxnState::Server;
    if (pException)
        throw pException;
    return true;
}

bool CRDatabase::IsConnectionDead()
{
    // Drivers without the attribute are taken as alive: the statement itself tells.
    SQLUINTEGER nDead = SQL_CD_FALSE;
    return m_hDbc != SQL_NULL_HDBC &&
           SQL_SUCCEEDED(SQLGetConnectAttrW(m_hDbc, SQL_ATTR_CONNECTION_DEAD, &nDead, sizeof nDead,
                                            nullptr)) &&
           nDead == SQL_CD_TRUE;
}

bool CRDatabase::IsInTransaction()
{
    if (m_hDbc == SQL_NULL_HDBC)
        return false;
    const bool bUnknown = m_txn == TxnState::Unknown || m_txn == TxnState::UserUnknown;
    return TxnIsOpen(m_txn, bUnknown && IsConnectionDead());
}

bool CRDatabase::StartTrace(LPCWSTR pszTraceFile)
{
    SQLRETURN nRet;
    if (!SetConnectOption(SQL_OPT_TRACEFILE, reinterpret_cast<SQLULEN>(pszTraceFile), &nRet))
        ThrowRDBException(this, nRet, SQL_NULL_HSTMT);
    if (!SetConnectOption(SQL_OPT_TRACE, SQL_OPT_TRACE_ON, &nRet))
    {
        auto* pException = new Zelt::CRDBException(nRet);
        pException->BuildErrorString(this, SQL_NULL_HSTMT);
        SetConnectOption(SQL_OPT_TRACE, SQL_OPT_TRACE_OFF);
        throw pException;
    }
    return true;
}

bool CRDatabase::StopTrace()
{
    SQLRETURN nRet;
    if (!SetConnectOption(SQL_OPT_TRACE, SQL_OPT_TRACE_OFF, &nRet))
        ThrowRDBException(this, nRet, SQL_NULL_HSTMT);
    return true;
}

bool CRDatabase::IsTraceOn()
{
    DWORD nValue = 0;
    if (!GetConnectOptionValue(m_hDbc, SQL_OPT_TRACE, nValue))
        return false;
    return nValue == SQL_OPT_TRACE_ON;
}

bool CRDatabase::GetTraceFile(CString& strFile)
{
    // Room for a path of MAX_PATH characters and some slack for drivers that write more.
    SQLWCHAR szBuffer[1024];
    ZeroMemory(szBuffer, sizeof szBuffer);
    SQLRETURN nRet = SQLGetConnectOptionW(m_hDbc, SQL_OPT_TRACEFILE, szBuffer);
    if (!SQL_SUCCEEDED(nRet))
        ThrowRDBException(this, nRet, SQL_NULL_HSTMT);
    szBuffer[260] = 0;
    strFile = reinterpret_cast<LPCWSTR>(szBuffer);
    return true;
}

CString CRDatabase::GetSearchPatternEscape()
{
    CString strEscape;
    if (!GetInfoString(SQL_SEARCH_PATTERN_ESCAPE, strEscape))
        strEscape.Empty();
    return strEscape;
}
