// CODBCProp: the properties of the connected driver and data source.
#include "browser/odbc_properties_dlg.h"

#include "browser/info_texts.h"
#include "resources/resource.h"

CODBCProp::CODBCProp(CWnd* pParent) : CDialog(IDD_DBO_CONNECTION_PROPERTIES, pParent) {}

void CODBCProp::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_ODBCP_DBMS_NAME, m_strDBMSName);
    DDX_Text(pDX, IDC_ODBCP_DBMS_VERSION, m_strDBMSVersion);
    DDX_Text(pDX, IDC_ODBCP_DRIVER_NAME, m_strDriverName);
    DDX_Text(pDX, IDC_ODBCP_DM_VERSION, m_strDMVersion);
    DDX_Text(pDX, IDC_ODBCP_DRIVER_VERSION, m_strDriverVersion);
    DDX_Text(pDX, IDC_ODBCP_ODBC_VERSION, m_strODBCVersion);
    DDX_Text(pDX, IDC_ODBCP_COLS_SELECT, m_strColumnsInSelect);
    DDX_Text(pDX, IDC_ODBCP_COLS_TABLE, m_strColumnsInTable);
    DDX_Text(pDX, IDC_ODBCP_COMMIT, m_strCommitBehavior);
    DDX_Text(pDX, IDC_ODBCP_ROLLBACK, m_strRollbackBehavior);
    DDX_Text(pDX, IDC_ODBCP_DSN, m_strDSN);
    DDX_Check(pDX, IDC_ODBCP_READ_ONLY, m_bReadOnly);
    DDX_Text(pDX, IDC_ODBCP_IDENT_CASE, m_strIdentifierCase);
    DDX_Text(pDX, IDC_ODBCP_MAX_COL_NAME, m_strMaxColumnNameLen);
    DDX_Text(pDX, IDC_ODBCP_COLS_GROUP_BY, m_strColumnsInGroupBy);
    DDX_Text(pDX, IDC_ODBCP_COLS_ORDER_BY, m_strColumnsInOrderBy);
    DDX_Text(pDX, IDC_ODBCP_MAX_ACTIVITIES, m_strMaxActivities);
    DDX_Text(pDX, IDC_ODBCP_MAX_CONNECTIONS, m_strMaxConnections);
    DDX_Text(pDX, IDC_ODBCP_MAX_TABLES, m_strMaxTablesInSelect);
    DDX_Text(pDX, IDC_ODBCP_MULTI_TXN, m_strMultipleActiveTxn);
    DDX_Text(pDX, IDC_ODBCP_PROCEDURES, m_strProcedures);
    DDX_Check(pDX, IDC_ODBCP_DYNAMIC, m_bDynamic);
    DDX_Check(pDX, IDC_ODBCP_FORWARD_ONLY, m_bForwardOnly);
    DDX_Check(pDX, IDC_ODBCP_KEYSET, m_bKeysetDriven);
    DDX_Check(pDX, IDC_ODBCP_MIXED, m_bMixed);
    DDX_Check(pDX, IDC_ODBCP_STATIC, m_bStatic);
    DDX_Text(pDX, IDC_ODBCP_TXN_SUPPORT, m_strTxnSupport);
    DDX_Text(pDX, IDC_ODBCP_CONN_TIMEOUT, m_strConnectionTimeout);
    DDX_Text(pDX, IDC_ODBCP_LOGIN_TIMEOUT, m_strLoginTimeout);
    DDX_Text(pDX, IDC_ODBCP_ISOLATION, m_strTxnIsolation);
    DDX_Text(pDX, IDC_ODBCP_EXPR_ORDER_BY, m_strExpressionsInOrderBy);
    DDX_Text(pDX, IDC_ODBCP_SERVER_NAME, m_strServerName);
    DDX_Text(pDX, IDC_ODBCP_DATABASE_NAME, m_strDatabaseName);
    DDX_Text(pDX, IDC_ODBCP_CURSOR_LIB, m_strCursorLibrary);
    DDX_Check(pDX, IDC_ODBCP_POS_UPDATES, m_bPositionedUpdates);
    DDX_Check(pDX, IDC_ODBCP_POS_DELETES, m_bPositionedDeletes);
    DDX_Check(pDX, IDC_ODBCP_CONC_READ_ONLY, m_bConcurReadOnly);
    DDX_Check(pDX, IDC_ODBCP_CONC_LOCK, m_bConcurLock);
    DDX_Check(pDX, IDC_ODBCP_CONC_ROWVER, m_bConcurRowVersions);
    DDX_Check(pDX, IDC_ODBCP_CONC_VALUES, m_bConcurValues);
}

namespace {

// A text read, "?" when it fails.
template <class TRead>
CString TextOrUnknown(TRead read)
{
    CString text;
    return read(text) ? text : CString(L"?");
}

CString InfoStringOrUnknown(CRDatabase& db, SQLUSMALLINT nInfoType)
{
    return TextOrUnknown([&](CString& s) { return db.GetInfoString(nInfoType, s); });
}

CString WordTextOrUnknown(CRDatabase& db, SQLUSMALLINT nInfoType, CString (*pfnText)(int))
{
    WORD nValue = 0;
    return db.GetInfoWord(nInfoType, nValue) ? pfnText(nValue) : CString(L"?");
}

CString TimeoutText(bool bRead, DWORD nValue)
{
    if (!bRead)
        return L"?";
    CString text;
    text.Format(L"%lu", (unsigned long)nValue);
    return text;
}

} // namespace

CString GetInfoLimitText(CRDatabase& db, SQLUSMALLINT nInfoType)
{
    WORD nValue = 0;
    return db.GetInfoWord(nInfoType, nValue) ? InfoLimitText(nValue) : CString(L"?");
}

void FillConnectionProperties(CODBCProp& dlg, CRDatabase& db, UINT nCursorType)
{
    dlg.m_strDSN = TextOrUnknown([&](CString& s) { return db.GetDataSourceName(s); });
    CString readOnly;
    dlg.m_bReadOnly = db.GetInfoString(SQL_DATA_SOURCE_READ_ONLY, readOnly) && readOnly == L"Y";
    dlg.m_strDBMSName = TextOrUnknown([&](CString& s) { return db.GetDBMSName(s); });
    dlg.m_strDBMSVersion = TextOrUnknown([&](CString& s) { return db.GetDBMSVersion(s); });
    dlg.m_strDriverName = TextOrUnknown([&](CString& s) { return db.GetDriverName(s); });
    dlg.m_strDMVersion = TextOrUnknown([&](CString& s) { return db.GetDMVersion(s); });
    dlg.m_strDriverVersion = TextOrUnknown([&](CString& s) { return db.GetDriverVersion(s); });
    dlg.m_strODBCVersion = TextOrUnknown([&](CString& s) { return db.GetDriverODBCVersion(s); });
    dlg.m_strDatabaseName = TextOrUnknown([&](CString& s) { return db.GetDatabaseName(s); });
    dlg.m_strCommitBehavior = WordTextOrUnknown(db, SQL_CURSOR_COMMIT_BEHAVIOR, CursorBehaviorText);
    dlg.m_strRollbackBehavior =
        WordTextOrUnknown(db, SQL_CURSOR_ROLLBACK_BEHAVIOR, CursorBehaviorText);
    dlg.m_strIdentifierCase = WordTextOrUnknown(db, SQL_IDENTIFIER_CASE, IdentifierCaseText);

    dlg.m_strMaxColumnNameLen = GetInfoLimitText(db, SQL_MAX_COLUMN_NAME_LEN);
    dlg.m_strColumnsInTable = GetInfoLimitText(db, SQL_MAX_COLUMNS_IN_TABLE);
    dlg.m_strColumnsInSelect = GetInfoLimitText(db, SQL_MAX_COLUMNS_IN_SELECT);
    dlg.m_strColumnsInGroupBy = GetInfoLimitText(db, SQL_MAX_COLUMNS_IN_GROUP_BY);
    dlg.m_strColumnsInOrderBy = GetInfoLimitText(db, SQL_MAX_COLUMNS_IN_ORDER_BY);
    dlg.m_strMaxActivities = GetInfoLimitText(db, SQL_MAX_CONCURRENT_ACTIVITIES);
    dlg.m_strMaxConnections = GetInfoLimitText(db, SQL_MAX_DRIVER_CONNECTIONS);
    dlg.m_strMaxTablesInSelect = GetInfoLimitText(db, SQL_MAX_TABLES_IN_SELECT);
    dlg.m_strMultipleActiveTxn = InfoStringOrUnknown(db, SQL_MULTIPLE_ACTIVE_TXN);
    dlg.m_strProcedures = InfoStringOrUnknown(db, SQL_PROCEDURES);

    DWORD nScroll = 0;
    if (db.GetInfoDWord(SQL_SCROLL_OPTIONS, nScroll))
    {
        dlg.m_bForwardOnly = (nScroll & SQL_SO_FORWARD_ONLY) != 0;
        dlg.m_bKeysetDriven = (nScroll & SQL_SO_KEYSET_DRIVEN) != 0;
        dlg.m_bDynamic = (nScroll & SQL_SO_DYNAMIC) != 0;
        dlg.m_bMixed = (nScroll & SQL_SO_MIXED) != 0;
        dlg.m_bStatic = (nScroll & SQL_SO_STATIC) != 0;
    }
    else
        nScroll = 0;

    DWORD nCursors = 0;
    if (db.GetODBCCursorsOption(nCursors))
        dlg.m_strCursorLibrary = nCursors == 1 ? L"ODBC" : nCursors == 2 ? L"Driver" : L"";
    const CCursorAttributeInfo cursor = ChooseCursorAttributes(nCursorType, nScroll);
    DWORD nAttributes = 0;
    if (db.GetInfoDWord(cursor.nInfoType1, nAttributes))
    {
        dlg.m_bPositionedUpdates = (nAttributes & SQL_CA1_POSITIONED_UPDATE) != 0;
        dlg.m_bPositionedDeletes = (nAttributes & SQL_CA1_POSITIONED_DELETE) != 0;
        dlg.m_strCursorLibrary += cursor.pszSuffix;
    }
    if (db.GetInfoDWord(cursor.nInfoType2, nAttributes))
    {
        dlg.m_bConcurReadOnly = (nAttributes & SQL_CA2_READ_ONLY_CONCURRENCY) != 0;
        dlg.m_bConcurLock = (nAttributes & SQL_CA2_LOCK_CONCURRENCY) != 0;
        dlg.m_bConcurRowVersions = (nAttributes & SQL_CA2_OPT_ROWVER_CONCURRENCY) != 0;
        dlg.m_bConcurValues = (nAttributes & SQL_CA2_OPT_VALUES_CONCURRENCY) != 0;
    }

    dlg.m_strTxnSupport = WordTextOrUnknown(db, SQL_TXN_CAPABLE, TxnCapableText);
    DWORD nTimeout = 0;
    const bool bConnection = db.GetConnectionTimeout(nTimeout);
    dlg.m_strConnectionTimeout = TimeoutText(bConnection, nTimeout);
    const bool bLogin = db.GetLoginTimeout(nTimeout);
    dlg.m_strLoginTimeout = TimeoutText(bLogin, nTimeout);
    DWORD nIsolation = 0;
    dlg.m_strTxnIsolation = db.GetInfoDWord(SQL_DEFAULT_TXN_ISOLATION, nIsolation)
                                ? TxnIsolationText(nIsolation)
                                : CString(L"?");
    dlg.m_strExpressionsInOrderBy = InfoStringOrUnknown(db, SQL_EXPRESSIONS_IN_ORDERBY);
    dlg.m_strServerName = InfoStringOrUnknown(db, SQL_SERVER_NAME);
}
