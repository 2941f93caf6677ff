// The value sources of the cell editor: foreign-key values, a new GUID, the current time.
#include "grid/grid_edit.h"

#include "dbaccess/recordset.h"
#include "dbaccess/sql_names.h"

#include <objbase.h>

CString FormatGuidProposal(const GUID& guid)
{
    CString text;
    text.Format(L"%08lX-%04hX-%04hX-%02X%02X-%02X%02X%02X%02X%02X%02X",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
    return text;
}

CString FormatZoneOffset(LONG nBias)
{
    // The bias counts minutes west of UTC: the offset is its negation. The sign is written on
    // its own so that offsets between -1 h and 0 keep it.
    LONG offset = -nBias;
    LONG magnitude = offset < 0 ? -offset : offset;
    CString text;
    text.Format(L" %c%02ld:%02ld", offset < 0 ? L'-' : L'+', magnitude / 60, magnitude % 60);
    return text;
}

CString FormatTimeProposal(const SYSTEMTIME& t, int nSQLType, LONG nBias)
{
    CString text;
    switch (nSQLType)
    {
    case SQL_SS_TIMESTAMPOFFSET:
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
        text.Format(L"%d/%02d/%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                    t.wSecond);
        if (nSQLType == SQL_SS_TIMESTAMPOFFSET)
            text += FormatZoneOffset(nBias);
        break;
    case SQL_SS_TIME2:
    case SQL_TIME:
    case SQL_TYPE_TIME: text.Format(L"%02d:%02d:%02d", t.wHour, t.wMinute, t.wSecond); break;
    case SQL_DATE:
    case SQL_TYPE_DATE: text.Format(L"%d/%02d/%02d", t.wYear, t.wMonth, t.wDay); break;
    default: break;
    }
    return text;
}

bool CRGridGuidDataInterface::GetNext(CString& strValue)
{
    if (m_bDone)
        return false;
    GUID guid;
    if (FAILED(::CoCreateGuid(&guid)))
        return false;
    strValue = FormatGuidProposal(guid);
    m_bDone = true;
    return true;
}

bool CRGridTimeDataInterface::GetNext(CString& strValue)
{
    if (m_bDone)
        return false;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    TIME_ZONE_INFORMATION zone{};
    LONG bias = 0;
    switch (::GetTimeZoneInformation(&zone))
    {
    case TIME_ZONE_ID_STANDARD: bias = zone.Bias + zone.StandardBias; break;
    case TIME_ZONE_ID_DAYLIGHT: bias = zone.Bias + zone.DaylightBias; break;
    case TIME_ZONE_ID_INVALID: bias = 0; break;
    default: bias = zone.Bias; break;
    }
    strValue = FormatTimeProposal(now, m_nSQLType, bias);
    m_bDone = true;
    return true;
}

CRGridFKDataInterface::CRGridFKDataInterface(CRDatabase* pDatabase, LPCWSTR pszSQL, UINT nTimeout)
    : m_pDatabase(pDatabase), m_strSQL(pszSQL), m_nTimeout(nTimeout)
{}

CRGridFKDataInterface::~CRGridFKDataInterface()
{
    delete m_pRecordset;
}

bool CRGridFKDataInterface::Open()
{
    delete m_pRecordset;
    m_pRecordset = nullptr;
    if (m_pDatabase == nullptr)
        return false;
    try
    {
        m_pRecordset = new CRRecordset(m_pDatabase);
        m_pRecordset->SetQueryTimeout(m_nTimeout);
        if (m_pRecordset->Open(m_strSQL, RS_FORWARD_ONLY, RS_READONLY | RS_NUMERIC_AS_TEXT))
            return true;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    delete m_pRecordset;
    m_pRecordset = nullptr;
    return false;
}

bool CRGridFKDataInterface::GetNext(CString& strValue)
{
    if (m_pRecordset == nullptr)
        return false;
    try
    {
        if (m_pRecordset->IsEOF())
            return false;
        if (!m_pRecordset->GetFieldText(1, strValue))
            strValue.Empty();
        m_pRecordset->MoveNext();
        return true;
    }
    catch (CException* e)
    {
        e->Delete();
        return false;
    }
}

CString BuildFKValuesSQL(
    LPCWSTR pszColumn,
    const CArray<CRForeignKey::CForeignKeyInfo, const CRForeignKey::CForeignKeyInfo&>& keys,
    CRDatabase* pQuoteDatabase)
{
    if (pszColumn == nullptr)
        return CString();
    for (INT_PTR i = 0; i < keys.GetSize(); ++i)
    {
        const CRForeignKey::CForeignKeyInfo& key = keys[i];
        if (wcscmp(key.szFkColumnName, pszColumn) != 0)
            continue;
        CString column = QuoteSQLNameIfNeeded(key.szPkColumnName, pQuoteDatabase);
        CString table = FormatObjectName(CStringPair(key.szPkTableSchem, key.szPkTableName),
                                         pQuoteDatabase, true);
        CString sql;
        sql.Format(L"SELECT DISTINCT %s FROM %s", static_cast<LPCWSTR>(column),
                   static_cast<LPCWSTR>(table));
        sql += L" ORDER BY ";
        sql += column;
        return sql;
    }
    return CString();
}

bool MakeFKValuesQuery(
    LPCWSTR pszColumn,
    const CArray<CRForeignKey::CForeignKeyInfo, const CRForeignKey::CForeignKeyInfo&>& keys,
    CRDatabase* pDatabase, CRDatabase* pQuoteDatabase, UINT nTimeout,
    CGridEdit::CDataInterface*& pSource)
{
    try
    {
        CString sql = BuildFKValuesSQL(pszColumn, keys, pQuoteDatabase);
        if (!sql.IsEmpty())
        {
            CGridEdit::CDataInterface* pNew = new CRGridFKDataInterface(pDatabase, sql, nTimeout);
            if (pSource != pNew)
                delete pSource;
            pSource = pNew;
        }
    }
    catch (CException* e)
    {
        e->Delete();
    }
    return pSource != nullptr;
}
