// CRDatabaseHelper: the two connections, connecting, the cursor type of editable result sets and
// the capability tests by product.
#include "services/database_helper.h"

#include "controls/utility.h"
#include "services/service_options.h"

CRDatabaseHelper::CRDatabaseHelper()
{
    // Only a driver manager that is already loaded is asked; loading it here would pull it in
    // for a program that never connects.
    HMODULE hOdbc = ::GetModuleHandleW(L"odbc32.dll");
    if (hOdbc != nullptr)
        m_pfnCancelHandle = (CancelHandleProc)(void*)::GetProcAddress(hOdbc, "SQLCancelHandle");
}

CRDatabaseHelper::~CRDatabaseHelper()
{
    m_dbCatalog.Close();
    m_db.Close();
}

void CRDatabaseHelper::Close()
{
    m_dbCatalog.Close();
    m_db.Close();
}

bool CRDatabaseHelper::IsCancelExecEnabled()
{
    return GetCancelExecOption();
}

namespace {

// Oracle drivers before 12.2 cannot update through their own cursors.
bool IsOracleDriverBefore12_2(const CString& version)
{
    const VersionNumber v = ParseVersion(version);
    return v.nMajor < 12 || (v.nMajor == 12 && v.nMinor < 2);
}

// Opens db with the open mode. A driver manager whose cursor library answers no DBMS name has
// broken every information call of the connection (unixODBC's does under Wine); the connection
// is then opened again without it, and the open mode says so.
bool OpenConnection(CRDatabase& db, UINT& nOpenMode, LPCWSTR pszConnect, HWND hWnd,
                    UINT nConnectionTimeout, UINT nLoginTimeout, UINT nQueryTimeout)
{
    if (!db.Open(pszConnect, nOpenMode, hWnd, nConnectionTimeout, nLoginTimeout, nQueryTimeout))
        return false;
    if (!(nOpenMode & CRDatabase::openUseCursorLib))
        return true;
    CString name;
    if (db.GetDBMSName(name) && !name.IsEmpty())
        return true;
    nOpenMode &= ~(UINT)CRDatabase::openUseCursorLib;
    return db.Open(pszConnect, nOpenMode, hWnd, nConnectionTimeout, nLoginTimeout, nQueryTimeout);
}

} // namespace

bool CRDatabaseHelper::Connect(LPCWSTR pszConnect, HWND hWnd, UINT nConnectionTimeout,
                               UINT nLoginTimeout, UINT nQueryTimeout)
{
    Close();
    m_strGivenConnect = pszConnect != nullptr ? pszConnect : L"";
    m_nCursorType = 1;
    const bool bDriverCursors = GetCursorLibOption() == 1;
    m_nOpenMode = bDriverCursors ? 0 : CRDatabase::openUseCursorLib;
    // Whatever fails from here on leaves both connections closed: a half-open helper would
    // look connected to everything that asks IsOpen.
    try
    {
        if (!OpenConnection(m_db, m_nOpenMode, pszConnect, hWnd, nConnectionTimeout, nLoginTimeout,
                            nQueryTimeout))
        {
            Close();
            return false;
        }
        if (bDriverCursors)
        {
            m_nCursorType = 1;
            CString driverVersion;
            m_db.GetDriverVersion(driverVersion);
            bool bReopen =
                m_db.GetDBMSKind() == DBMS_ORACLE && IsOracleDriverBefore12_2(driverVersion);
            if (!bReopen)
            {
                m_nCursorType = ChooseCursorType();
                bReopen = m_nCursorType == 2;
            }
            if (bReopen)
            {
                m_nOpenMode = CRDatabase::openUseCursorLib;
                if (!OpenConnection(m_db, m_nOpenMode, pszConnect, hWnd, nConnectionTimeout,
                                    nLoginTimeout, nQueryTimeout))
                {
                    Close();
                    return false;
                }
                m_nCursorType = ChooseCursorType();
                // The cursor library scrolls whatever the driver offers.
                if (m_nCursorType == 2 && (m_nOpenMode & CRDatabase::openUseCursorLib))
                    m_nCursorType = 1;
            }
        }
        if (!m_db.GetInfoVersion(SQL_DBMS_VER, &m_nServerMajor, &m_nServerMinor, nullptr))
        {
            Close();
            return false;
        }
        if (m_db.GetDBMSKind() == DBMS_MSSQL)
        {
            const CString completed = m_db.GetConnect();
            if (!m_dbCatalog.Open(completed, 0, hWnd, nConnectionTimeout, nLoginTimeout,
                                  nQueryTimeout))
            {
                Close();
                return false;
            }
        }
        return true;
    }
    catch (...)
    {
        Close();
        throw;
    }
}

bool CRDatabaseHelper::DoReconnect(HWND hWnd, UINT nConnectionTimeout, UINT nLoginTimeout,
                                   UINT nQueryTimeout)
{
    // As with Connect, a reconnect that fails part way leaves nothing open.
    try
    {
        // The driver manager finds the driver again only through a data source or a driver
        // named in the string: a completed string naming neither (SQLite's "DSN=;Database=...")
        // would open the default data source, another database.
        const CString completed = m_db.GetConnect();
        const bool bFindsDriver = !GetConnectStringDSN(completed).IsEmpty() ||
                                  !GetConnectStringValue(completed, L"Driver").IsEmpty() ||
                                  !GetConnectStringValue(completed, L"FileDSN").IsEmpty();
        bool bOpen = bFindsDriver || m_strGivenConnect.IsEmpty()
                         ? m_db.Reconnect(m_nOpenMode, hWnd, nConnectionTimeout, nLoginTimeout,
                                          nQueryTimeout)
                         : m_db.Open(m_strGivenConnect, m_nOpenMode, hWnd, nConnectionTimeout,
                                     nLoginTimeout, nQueryTimeout);
        if (bOpen && m_db.GetDBMSKind() == DBMS_MSSQL)
        {
            const CString completed = m_db.GetConnect();
            bOpen = m_dbCatalog.Open(completed, 0, hWnd, nConnectionTimeout, nLoginTimeout,
                                     nQueryTimeout);
        }
        if (!bOpen)
            Close();
        return bOpen;
    }
    catch (...)
    {
        Close();
        throw;
    }
}

UINT CRDatabaseHelper::ChooseCursorType()
{
    DWORD nScroll = 0;
    if (!m_db.GetInfoDWord(SQL_SCROLL_OPTIONS, nScroll))
        return 2;
    struct Candidate
    {
        DWORD nScrollBit;
        SQLUSMALLINT nAttributesInfo;
        UINT nCursorType;
    };
    static const Candidate kCandidates[] = {
        {SQL_SO_STATIC, SQL_STATIC_CURSOR_ATTRIBUTES1, 1},
        {SQL_SO_KEYSET_DRIVEN, SQL_KEYSET_CURSOR_ATTRIBUTES1, 0},
        {SQL_SO_DYNAMIC, SQL_DYNAMIC_CURSOR_ATTRIBUTES1, 3},
    };
    if (GetUseCursorForEditOption())
    {
        for (const Candidate& c : kCandidates)
        {
            DWORD nAttributes = 0;
            if ((nScroll & c.nScrollBit) && m_db.GetInfoDWord(c.nAttributesInfo, nAttributes) &&
                (nAttributes & (SQL_CA1_POSITIONED_UPDATE | SQL_CA1_POSITIONED_DELETE)))
                return c.nCursorType;
        }
    }
    for (const Candidate& c : kCandidates)
        if (nScroll & c.nScrollBit)
            return c.nCursorType;
    return 2;
}

// ---- Capabilities ------------------------------------------------------------------------------

namespace {

// Object kinds as a bit set: bit n for kind n.
constexpr UINT K(int n)
{
    return 1u << n;
}

bool HasKind(UINT nKinds, int nObjectKind)
{
    return nObjectKind > 0 && nObjectKind < 32 && (nKinds & K(nObjectKind)) != 0;
}

// One row of a table indexed by product kind 0..7.
bool ByKind(const UINT (&row)[8], DBMSKind kind, int nObjectKind)
{
    return (UINT)kind < 8 && HasKind(row[kind], nObjectKind);
}

bool YesNo(const bool (&row)[8], DBMSKind kind)
{
    return (UINT)kind < 8 && row[kind];
}

} // namespace

bool CRDatabaseHelper::CanGetObjectSource(int nObjectKind) const
{
    static const UINT kRow[8] = {0,
                                 0,
                                 K(2) | K(3) | K(4),
                                 K(2) | K(3) | K(4) | K(5) | K(6),
                                 K(2) | K(3) | K(4) | K(6),
                                 K(2) | K(3) | K(6),
                                 K(2) | K(3) | K(4) | K(6),
                                 K(2) | K(3) | K(4)};
    return ByKind(kRow, GetDBMSKind(), nObjectKind);
}

bool CRDatabaseHelper::CanShowObjectErrors(int nObjectKind) const
{
    static const UINT kRow[8] = {0, 0, 0, K(3) | K(4) | K(5) | K(6), 0, 0, 0, 0};
    return ByKind(kRow, GetDBMSKind(), nObjectKind);
}

bool CRDatabaseHelper::CanListTriggers() const
{
    static const bool kRow[8] = {false, false, false, true, true, true, true, false};
    return YesNo(kRow, GetDBMSKind());
}

bool CRDatabaseHelper::CanShowTableTriggers(int nObjectKind) const
{
    static const UINT kRow[8] = {0, 0, 0, 0, K(1) | K(2), K(1), K(1), 0};
    return ByKind(kRow, GetDBMSKind(), nObjectKind);
}

bool CRDatabaseHelper::CanShowTableConstraints(int nObjectKind) const
{
    // Microsoft SQL Server 2000 (version 8) has no catalog views for constraints.
    if (GetDBMSKind() == DBMS_MSSQL && m_nServerMajor < 9)
        return false;
    static const UINT kRow[8] = {0, 0, 0, K(1), K(1), K(1), K(1), K(1)};
    return ByKind(kRow, GetDBMSKind(), nObjectKind);
}

bool CRDatabaseHelper::CanRenameObject(int nObjectKind) const
{
    static const UINT kRow[8] = {K(1),
                                 0,
                                 K(1),
                                 K(1) | K(6),
                                 K(1) | K(2) | K(3) | K(4) | K(6) | K(7),
                                 0, // Firebird has no statement that renames a table
                                 K(1),
                                 K(1) | K(2) | K(7)};
    return ByKind(kRow, GetDBMSKind(), nObjectKind);
}

bool CRDatabaseHelper::CanRenameColumn() const
{
    static const bool kRow[8] = {true, false, true, true, true, true, false, true};
    return YesNo(kRow, GetDBMSKind());
}

bool CRDatabaseHelper::CanRenameIndex() const
{
    static const bool kRow[8] = {false, false, false, true, true, false, true, true};
    return YesNo(kRow, GetDBMSKind());
}

bool CRDatabaseHelper::CanDropIndex() const
{
    static const bool kRow[8] = {false, true, false, true, true, true, true, true};
    return YesNo(kRow, GetDBMSKind());
}

bool CRDatabaseHelper::SupportsExecutionPlan() const
{
    static const bool kRow[8] = {false, false, false, true, true, false, true, true};
    return YesNo(kRow, GetDBMSKind());
}

bool CRDatabaseHelper::CanExplainObject(int nObjectKind) const
{
    static const UINT kRow[8] = {
        0, 0, 0, K(2), K(2) | K(3) | K(4), 0, K(2) | K(3) | K(4), K(2) | K(3) | K(4)};
    return ByKind(kRow, GetDBMSKind(), nObjectKind);
}

bool CRDatabaseHelper::CanReadKeyInfo() const
{
    static const bool kRow[8] = {true, false, true, true, true, true, true, true};
    return YesNo(kRow, GetDBMSKind());
}
