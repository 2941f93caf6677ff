// The catalog readers.
#include "dbaccess/catalog.h"

#include <cwchar>

namespace {

SQLWCHAR* Arg(const wchar_t* psz)
{
    return reinterpret_cast<SQLWCHAR*>(const_cast<wchar_t*>(psz));
}

SQLSMALLINT ArgLength(const wchar_t* psz)
{
    return psz ? static_cast<SQLSMALLINT>(wcslen(psz)) : 0;
}

// Compares at most nMax characters, folding only A to Z.
int CompareAsciiNoCase(const wchar_t* a, const wchar_t* b, size_t nMax)
{
    for (size_t i = 0; i < nMax; ++i)
    {
        wchar_t ca = a[i], cb = b[i];
        if (ca >= L'a' && ca <= L'z')
            ca = static_cast<wchar_t>(ca - 32);
        if (cb >= L'a' && cb <= L'z')
            cb = static_cast<wchar_t>(cb - 32);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (!ca)
            return 0;
    }
    return 0;
}

} // namespace

// ---- common part ----------------------------------------------------------------------------

const wchar_t* const kAbortedCatalogRead =
    L"The current transaction is aborted: the server refuses every statement in it, reads of the "
    L"catalog included, until the transaction is ended. End it first (ROLLBACK, or End "
    L"Transaction), then read again.";

CRCatalogStmt::CRCatalogStmt(CRDatabase* pDatabase) : m_pDatabase(pDatabase)
{
    if (pDatabase)
        pDatabase->HoldReadAheads();
    SQLRETURN nRet;
    do
        nRet = SQLAllocStmt(pDatabase ? pDatabase->GetConnectionHandle() : SQL_NULL_HDBC, &m_hStmt);
    while (nRet == SQL_STILL_EXECUTING);
    if (!SQL_SUCCEEDED(nRet))
    {
        m_hStmt = SQL_NULL_HSTMT;
        ThrowRDBException(pDatabase, nRet, SQL_NULL_HSTMT);
    }
}

CRCatalogStmt::~CRCatalogStmt()
{
    Close();
}

void CRCatalogStmt::Close()
{
    if (m_hStmt != SQL_NULL_HSTMT)
    {
        if (m_pDatabase)
            m_pDatabase->HoldReadAheads();
        SQLFreeStmt(m_hStmt, SQL_DROP);
        m_hStmt = SQL_NULL_HSTMT;
    }
}

const wchar_t* CRCatalogStmt::PatternArgument(const wchar_t* pszName, CString& strStorage)
{
    if (!pszName)
        return nullptr;
    if (!m_bEscapeRead)
    {
        m_strEscape = m_pDatabase->GetSearchPatternEscape();
        m_bEscapeRead = true;
    }
    if (m_strEscape.IsEmpty())
        return pszName;
    wchar_t chEscape = m_strEscape[0];
    strStorage.Empty();
    for (const wchar_t* p = pszName; *p; ++p)
    {
        if (*p == L'_' || *p == L'%' || *p == chEscape)
            strStorage += chEscape;
        strStorage += *p;
    }
    return strStorage.GetString();
}

const wchar_t* CRCatalogStmt::CatalogArgument(const wchar_t*& pszSchema) const
{
    if (m_pDatabase == nullptr || m_pDatabase->GetDBMSKind() != DBMS_MYSQL ||
        pszSchema == nullptr || *pszSchema == 0)
        return nullptr;
    const wchar_t* pszCatalog = pszSchema;
    pszSchema = nullptr;
    return pszCatalog;
}

void CRCatalogStmt::NameSchemaByCatalog(wchar_t* pszSchema, const wchar_t* pszCatalog) const
{
    if (m_pDatabase == nullptr || m_pDatabase->GetDBMSKind() != DBMS_MYSQL || pszSchema[0] != 0)
        return;
    wcsncpy_s(pszSchema, QL_CATALOG_TEXT, pszCatalog, _TRUNCATE);
}

void CRCatalogStmt::CheckConstruction(SQLRETURN nRet)
{
    if (SQL_SUCCEEDED(nRet))
        return;
    auto* pException = new Zelt::CRDBException(nRet);
    pException->BuildErrorString(m_pDatabase, m_hStmt);
    Close();
    SayAbortedCatalogRead(m_pDatabase, *pException);
    throw pException;
}

void SayAbortedCatalogRead(CRDatabase* pDatabase, Zelt::CRDBException& e)
{
    // psqlODBC's catalog functions run queries of their own, which an aborted transaction
    // refuses; the driver then reports only its own function's name ("PGAPI_Procedures query
    // error"). The server's state says what happened.
    if (pDatabase == nullptr || pDatabase->GetDBMSKind() != DBMS_POSTGRESQL)
        return;
    try
    {
        if (!pDatabase->IsTransactionAborted())
            return;
    }
    catch (CException* pAsk)
    {
        pAsk->Delete();
        return;
    }
    e.m_strSQLState = L"25P02";
    e.m_strError = kAbortedCatalogRead;
}

SQLRETURN CRCatalogStmt::BindText(SQLUSMALLINT nColumn, wchar_t* pBuffer, SQLLEN nBytes)
{
    SQLRETURN nRet;
    SQLLEN* pIndicator = &m_indicators[m_nBound++];
    do
        nRet = SQLBindCol(m_hStmt, nColumn, SQL_C_WCHAR, pBuffer, nBytes, pIndicator);
    while (nRet == SQL_STILL_EXECUTING);
    return nRet;
}

SQLRETURN CRCatalogStmt::BindLong(SQLUSMALLINT nColumn, SQLINTEGER* pValue)
{
    SQLRETURN nRet;
    SQLLEN* pIndicator = &m_indicators[m_nBound++];
    do
        nRet = SQLBindCol(m_hStmt, nColumn, SQL_C_SLONG, pValue, 4, pIndicator);
    while (nRet == SQL_STILL_EXECUTING);
    return nRet;
}

SQLRETURN CRCatalogStmt::BindShort(SQLUSMALLINT nColumn, SQLSMALLINT* pValue)
{
    SQLRETURN nRet;
    SQLLEN* pIndicator = &m_indicators[m_nBound++];
    do
        nRet = SQLBindCol(m_hStmt, nColumn, SQL_C_SSHORT, pValue, 2, pIndicator);
    while (nRet == SQL_STILL_EXECUTING);
    return nRet;
}

bool CRCatalogStmt::FetchRow()
{
    if (m_pDatabase)
        m_pDatabase->HoldReadAheads();
    SQLRETURN nRet;
    do
        nRet = SQLFetch(m_hStmt);
    while (nRet == SQL_STILL_EXECUTING);
    if (SQL_SUCCEEDED(nRet))
        return true;
    if (nRet == SQL_NO_DATA)
        return false;
    auto* pException = new Zelt::CRDBException(nRet);
    pException->BuildErrorString(m_pDatabase, m_hStmt);
    SayAbortedCatalogRead(m_pDatabase, *pException);
    throw pException;
}

// ---- tables ---------------------------------------------------------------------------------

CRTables::CRTables(CRDatabase* pDatabase, UINT nTypeBits, LPCWSTR pszSchema)
    : CRCatalogStmt(pDatabase)
{
    ZeroMemory(&m_info, sizeof m_info);
    CString strTypes;
    if (nTypeBits & typeTable)
        strTypes = L"TABLE";
    if (nTypeBits & typeView)
        strTypes += strTypes.IsEmpty() ? L"VIEW" : L",VIEW";
    if (nTypeBits & typeSystemTable)
        strTypes += strTypes.IsEmpty() ? L"SYSTEM TABLE" : L",SYSTEM TABLE";
    const wchar_t* pszTypes = strTypes.IsEmpty() ? nullptr : strTypes.GetString();
    CString strSchema;
    const wchar_t* pszSchemaArg = PatternArgument(pszSchema, strSchema);
    // The database of MariaDB and MySQL is a search pattern here, as the schema is.
    const wchar_t* pszCatalogArg = CatalogArgument(pszSchemaArg);

    CheckConstruction(SQLTablesW(m_hStmt, Arg(pszCatalogArg), ArgLength(pszCatalogArg),
                                 Arg(pszSchemaArg), ArgLength(pszSchemaArg), nullptr, 0,
                                 Arg(pszTypes), ArgLength(pszTypes)));
    CheckConstruction(BindText(1, m_info.szTableCat));
    CheckConstruction(BindText(2, m_info.szTableSchem));
    CheckConstruction(BindText(3, m_info.szTableName));
    CheckConstruction(BindText(4, m_info.szTableType));
    CheckConstruction(BindText(5, m_info.szRemarks));
}

bool CRTables::Fetch(CTableInfo* pInfo)
{
    if (!IsOpen() || !pInfo)
        return false;
    m_info.szTableCat[0] = m_info.szTableSchem[0] = m_info.szTableName[0] = 0;
    m_info.szTableType[0] = m_info.szRemarks[0] = 0;
    m_info.nTableType = -1;
    if (!FetchRow())
        return false;
    if (wcscmp(m_info.szTableType, L"TABLE") == 0)
        m_info.nTableType = typeTable;
    else if (wcscmp(m_info.szTableType, L"VIEW") == 0)
        m_info.nTableType = typeView;
    else if (wcscmp(m_info.szTableType, L"SYSTEM TABLE") == 0)
        m_info.nTableType = typeSystemTable;
    NameSchemaByCatalog(m_info.szTableSchem, m_info.szTableCat);
    *pInfo = m_info;
    return true;
}

bool CRTables::ReadAll(CArray<CTableInfo, const CTableInfo&>& list)
{
    CTableInfo info;
    ZeroMemory(&info, sizeof info);
    bool bFetched;
    while ((bFetched = Fetch(&info)))
        list.Add(info);
    return bFetched;
}

bool CRTables::LessBySchemaAndName(const CTableInfo& a, const CTableInfo& b)
{
    int n = CompareAsciiNoCase(a.szTableSchem, b.szTableSchem, QL_CATALOG_TEXT);
    if (n != 0)
        return n < 0;
    return CompareAsciiNoCase(a.szTableName, b.szTableName, QL_CATALOG_TEXT) < 0;
}

// ---- types ----------------------------------------------------------------------------------

CRTypes::CRTypes(CRDatabase* pDatabase) : CRCatalogStmt(pDatabase)
{
    ZeroMemory(&m_info, sizeof m_info);
    CheckConstruction(SQLGetTypeInfoW(m_hStmt, SQL_ALL_TYPES));
    CheckConstruction(BindText(1, m_info.szTypeName));
    CheckConstruction(BindLong(2, &m_info.nDataType));
    CheckConstruction(BindLong(3, &m_info.nColumnSize));
    CheckConstruction(BindText(4, m_info.szLiteralPrefix));
    CheckConstruction(BindText(5, m_info.szLiteralSuffix));
    CheckConstruction(BindText(6, m_info.szCreateParams));
    CheckConstruction(BindLong(7, &m_info.nNullable));
    CheckConstruction(BindLong(8, &m_info.nCaseSensitive));
    CheckConstruction(BindLong(9, &m_info.nSearchable));
    CheckConstruction(BindLong(10, &m_info.nUnsignedAttribute));
    CheckConstruction(BindLong(11, &m_info.nFixedPrecScale));
    CheckConstruction(BindLong(12, &m_info.nAutoUniqueValue));
    CheckConstruction(BindText(13, m_info.szLocalTypeName));
    CheckConstruction(BindLong(14, &m_info.nMinimumScale));
    CheckConstruction(BindLong(15, &m_info.nMaximumScale));
}

bool CRTypes::Fetch(CTypeInfo* pInfo)
{
    return FetchCleared(m_info, pInfo);
}

// ---- columns --------------------------------------------------------------------------------

CRColumns::CRColumns(CRDatabase* pDatabase, LPCWSTR pszSchema, LPCWSTR pszTable)
    : CRCatalogStmt(pDatabase)
{
    ZeroMemory(&m_info, sizeof m_info);
    int nMajor = 0;
    m_bODBC3 =
        pDatabase->GetInfoVersion(SQL_DRIVER_ODBC_VER, &nMajor, nullptr, nullptr) && nMajor > 2;
    CString strSchema, strTable;
    const wchar_t* pszCatalog = CatalogArgument(pszSchema);
    const wchar_t* pszSchemaArg = PatternArgument(pszSchema, strSchema);
    const wchar_t* pszTableArg = PatternArgument(pszTable, strTable);

    CheckConstruction(SQLColumnsW(m_hStmt, Arg(pszCatalog), ArgLength(pszCatalog),
                                  Arg(pszSchemaArg), ArgLength(pszSchemaArg), Arg(pszTableArg),
                                  ArgLength(pszTableArg), nullptr, 0));
    CheckConstruction(BindText(1, m_info.szTableCat));
    CheckConstruction(BindText(2, m_info.szTableSchem));
    CheckConstruction(BindText(3, m_info.szTableName));
    CheckConstruction(BindText(4, m_info.szColumnName));
    CheckConstruction(BindLong(5, &m_info.nDataType));
    CheckConstruction(BindText(6, m_info.szTypeName));
    CheckConstruction(BindLong(7, &m_info.nColumnSize));
    CheckConstruction(BindLong(8, &m_info.nBufferLength));
    CheckConstruction(BindLong(9, &m_info.nDecimalDigits));
    CheckConstruction(BindLong(10, &m_info.nNumPrecRadix));
    CheckConstruction(BindLong(11, &m_info.nNullable));
    CheckConstruction(BindText(12, m_info.szRemarks));
    if (m_bODBC3)
    {
        CheckConstruction(BindText(13, m_info.szColumnDef));
        CheckConstruction(BindLong(14, &m_info.nSQLDataType));
        CheckConstruction(BindLong(15, &m_info.nSQLDatetimeSub));
        CheckConstruction(BindLong(16, &m_info.nCharOctetLength));
        CheckConstruction(BindLong(17, &m_info.nOrdinalPosition));
        CheckConstruction(BindText(18, m_info.szIsNullable));
    }
}

bool CRColumns::Fetch(CColumnInfo* pInfo)
{
    return FetchCleared(m_info, pInfo);
}

// ---- primary and foreign keys -----------------------------------------------------------------

CRPrimaryKey::CRPrimaryKey(CRDatabase* pDatabase, LPCWSTR pszSchema, LPCWSTR pszTable)
    : CRCatalogStmt(pDatabase)
{
    ZeroMemory(&m_info, sizeof m_info);
    const wchar_t* pszCatalog = CatalogArgument(pszSchema);
    CheckConstruction(SQLPrimaryKeysW(m_hStmt, Arg(pszCatalog), ArgLength(pszCatalog),
                                      Arg(pszSchema), ArgLength(pszSchema), Arg(pszTable),
                                      ArgLength(pszTable)));
    CheckConstruction(BindText(1, m_info.szTableCat));
    CheckConstruction(BindText(2, m_info.szTableSchem));
    CheckConstruction(BindText(3, m_info.szTableName));
    CheckConstruction(BindText(4, m_info.szColumnName));
    CheckConstruction(BindLong(5, &m_info.nKeySeq));
    CheckConstruction(BindText(6, m_info.szPkName));
}

bool CRPrimaryKey::Fetch(CPrimaryKeyInfo* pInfo)
{
    return FetchCleared(m_info, pInfo);
}

CRForeignKey::CRForeignKey(CRDatabase* pDatabase, LPCWSTR pszPkSchema, LPCWSTR pszPkTable,
                           LPCWSTR pszFkSchema, LPCWSTR pszFkTable)
    : CRCatalogStmt(pDatabase)
{
    ZeroMemory(&m_info, sizeof m_info);
    const wchar_t* pszPkCatalog = CatalogArgument(pszPkSchema);
    const wchar_t* pszFkCatalog = CatalogArgument(pszFkSchema);
    CheckConstruction(
        SQLForeignKeysW(m_hStmt, Arg(pszPkCatalog), ArgLength(pszPkCatalog), Arg(pszPkSchema),
                        ArgLength(pszPkSchema), Arg(pszPkTable), ArgLength(pszPkTable),
                        Arg(pszFkCatalog), ArgLength(pszFkCatalog), Arg(pszFkSchema),
                        ArgLength(pszFkSchema), Arg(pszFkTable), ArgLength(pszFkTable)));
    CheckConstruction(BindText(1, m_info.szPkTableCat));
    CheckConstruction(BindText(2, m_info.szPkTableSchem));
    CheckConstruction(BindText(3, m_info.szPkTableName));
    CheckConstruction(BindText(4, m_info.szPkColumnName));
    CheckConstruction(BindText(5, m_info.szFkTableCat));
    CheckConstruction(BindText(6, m_info.szFkTableSchem));
    CheckConstruction(BindText(7, m_info.szFkTableName));
    CheckConstruction(BindText(8, m_info.szFkColumnName));
    CheckConstruction(BindLong(9, &m_info.nKeySeq));
    CheckConstruction(BindLong(10, &m_info.nUpdateRule));
    CheckConstruction(BindLong(11, &m_info.nDeleteRule));
    CheckConstruction(BindText(12, m_info.szFkName));
    CheckConstruction(BindText(13, m_info.szPkName));
}

bool CRForeignKey::Fetch(CForeignKeyInfo* pInfo)
{
    if (!FetchCleared(m_info, pInfo))
        return false;
    NameSchemaByCatalog(pInfo->szPkTableSchem, pInfo->szPkTableCat);
    NameSchemaByCatalog(pInfo->szFkTableSchem, pInfo->szFkTableCat);
    return true;
}

// ---- procedures -----------------------------------------------------------------------------

CRProcedures::CRProcedures(CRDatabase* pDatabase, LPCWSTR pszSchema, LPCWSTR pszProcedure)
    : CRCatalogStmt(pDatabase)
{
    ZeroMemory(&m_info, sizeof m_info);
    CString strSchema, strProcedure;
    const wchar_t* pszCatalog = CatalogArgument(pszSchema);
    const wchar_t* pszSchemaArg = PatternArgument(pszSchema, strSchema);
    const wchar_t* pszProcedureArg = PatternArgument(pszProcedure, strProcedure);
    CheckConstruction(SQLProceduresW(m_hStmt, Arg(pszCatalog), ArgLength(pszCatalog),
                                     Arg(pszSchemaArg), ArgLength(pszSchemaArg),
                                     Arg(pszProcedureArg), ArgLength(pszProcedureArg)));
    CheckConstruction(BindText(1, m_info.szProcedureCat));
    CheckConstruction(BindText(2, m_info.szProcedureSchem));
    CheckConstruction(BindText(3, m_info.szProcedureName));
    CheckConstruction(BindText(7, m_info.szRemarks));
    CheckConstruction(BindShort(8, &m_info.nProcedureType));
}

bool CRProcedures::Fetch(CProcedureInfo* pInfo)
{
    if (!IsOpen() || !pInfo)
        return false;
    ZeroMemory(&m_info, sizeof m_info);
    if (!FetchRow())
        return false;
    if (WasNull(3))
        m_info.szRemarks[0] = 0;
    NameSchemaByCatalog(m_info.szProcedureSchem, m_info.szProcedureCat);
    *pInfo = m_info;
    return true;
}

CRProcedureColumns::CRProcedureColumns(CRDatabase* pDatabase, LPCWSTR pszSchema,
                                       LPCWSTR pszProcedure, LPCWSTR pszColumn)
    : CRCatalogStmt(pDatabase)
{
    ZeroMemory(&m_info, sizeof m_info);
    CString strSchema, strProcedure, strColumn;
    const wchar_t* pszCatalog = CatalogArgument(pszSchema);
    const wchar_t* pszSchemaArg = PatternArgument(pszSchema, strSchema);
    const wchar_t* pszProcedureArg = PatternArgument(pszProcedure, strProcedure);
    const wchar_t* pszColumnArg = PatternArgument(pszColumn, strColumn);
    CheckConstruction(SQLProcedureColumnsW(m_hStmt, Arg(pszCatalog), ArgLength(pszCatalog),
                                           Arg(pszSchemaArg), ArgLength(pszSchemaArg),
                                           Arg(pszProcedureArg), ArgLength(pszProcedureArg),
                                           Arg(pszColumnArg), ArgLength(pszColumnArg)));
    CheckConstruction(BindText(1, m_info.szProcedureCat));
    CheckConstruction(BindText(2, m_info.szProcedureSchem));
    CheckConstruction(BindText(3, m_info.szProcedureName));
    CheckConstruction(BindText(4, m_info.szColumnName));
    CheckConstruction(BindLong(5, &m_info.nColumnType));
    CheckConstruction(BindLong(6, &m_info.nDataType));
    CheckConstruction(BindText(7, m_info.szTypeName));
    CheckConstruction(BindLong(8, &m_info.nColumnSize));
    CheckConstruction(BindLong(9, &m_info.nBufferLength));
    CheckConstruction(BindLong(10, &m_info.nDecimalDigits));
    CheckConstruction(BindLong(11, &m_info.nNumPrecRadix));
    CheckConstruction(BindLong(12, &m_info.nNullable));
    CheckConstruction(BindText(13, m_info.szRemarks));
}

bool CRProcedureColumns::Fetch(CProcedureColumnInfo* pInfo)
{
    if (!IsOpen() || !pInfo)
        return false;
    ZeroMemory(&m_info, sizeof m_info);
    m_info.nNullable = SQL_NULLABLE_UNKNOWN;
    if (!FetchRow())
        return false;
    if (WasNull(12))
        m_info.szRemarks[0] = 0;
    if (WasNull(7))
        m_info.nColumnSize = 0;
    if (WasNull(9))
        m_info.nDecimalDigits = 0;
    *pInfo = m_info;
    return true;
}

// ---- statistics -----------------------------------------------------------------------------

CRStatistics::CRStatistics(CRDatabase* pDatabase, LPCWSTR pszSchema, LPCWSTR pszTable)
    : CRCatalogStmt(pDatabase)
{
    ZeroMemory(&m_info, sizeof m_info);
    const wchar_t* pszCatalog = CatalogArgument(pszSchema);
    CheckConstruction(SQLStatisticsW(m_hStmt, Arg(pszCatalog), ArgLength(pszCatalog),
                                     Arg(pszSchema), ArgLength(pszSchema), Arg(pszTable),
                                     ArgLength(pszTable), SQL_INDEX_ALL, SQL_QUICK));
    CheckConstruction(BindText(1, m_info.szTableCat));
    CheckConstruction(BindText(2, m_info.szTableSchem));
    CheckConstruction(BindText(3, m_info.szTableName));
    CheckConstruction(BindLong(4, &m_info.nNonUnique));
    CheckConstruction(BindText(5, m_info.szIndexQualifier));
    CheckConstruction(BindText(6, m_info.szIndexName));
    CheckConstruction(BindLong(7, &m_info.nType));
    CheckConstruction(BindLong(8, &m_info.nOrdinalPosition));
    CheckConstruction(BindText(9, m_info.szColumnName));
    CheckConstruction(BindText(10, m_info.szAscOrDesc, 4));
    CheckConstruction(BindLong(11, &m_info.nCardinality));
    CheckConstruction(BindLong(12, &m_info.nPages));
    CheckConstruction(BindText(13, m_info.szFilterCondition));
}

bool CRStatistics::Fetch(CStatisticInfo* pInfo)
{
    if (!IsOpen() || !pInfo)
        return false;
    ZeroMemory(&m_info, sizeof m_info);
    m_info.nNonUnique = 1;
    m_info.nType = SQL_INDEX_OTHER;
    if (!FetchRow())
        return false;
    *pInfo = m_info;
    return true;
}
