// Procedure and function calls: reading parameters, the call text and binding every value.
#include "services/proc_call.h"

#include "dbaccess/recordset.h"
#include "dbaccess/size_bound.h"
#include "dbaccess/sql_text.h"
#include "services/database_helper.h"
#include "util/utility.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

CProcParamsData::CProcParamsData()
{
    std::memset(&m_info, 0, sizeof(m_info));
}

bool CProcParamsData::IsInput() const
{
    const int t = GetColumnType();
    return t == SQL_PARAM_TYPE_UNKNOWN || t == SQL_PARAM_INPUT || t == SQL_PARAM_INPUT_OUTPUT;
}

bool CProcParamsData::IsOutput() const
{
    const int t = GetColumnType();
    return t == SQL_PARAM_INPUT_OUTPUT || t == SQL_PARAM_OUTPUT || t == SQL_RETURN_VALUE;
}

bool IsCharSQLType(int n)
{
    return n == 1 || n == 12 || n == -1 || n == -8 || n == -9 || n == -10;
}

bool IsDateTimeSQLType(int n)
{
    return n == 9 || n == 10 || n == 11 || n == 91 || n == 92 || n == 93;
}

bool IsBinarySQLType(int n)
{
    return n == -2 || n == -3 || n == -4;
}

bool IsParamSizeABound(const CRProcedureColumns::CProcedureColumnInfo& info, int nDBMSKind)
{
    if (nDBMSKind == DBMS_POSTGRESQL || info.nColumnSize <= 0)
        return false;
    if (!IsCharSQLType(info.nDataType) && !IsBinarySQLType(info.nDataType))
        return false;
    return IsDeclaredSizeABound(static_cast<SQLSMALLINT>(info.nDataType),
                                static_cast<SQLULEN>(info.nColumnSize), false);
}

void AddProcedureParam(CProcParamsArray& params,
                       const CRProcedureColumns::CProcedureColumnInfo& info, int nDBMSKind,
                       bool& bHasReturnValue)
{
    if (IsHiddenParamType(info.nDataType))
        return;
    CProcParamsData param;
    param.m_info = info;
    param.m_bSizeIsLimit = IsParamSizeABound(info, nDBMSKind) ? 1 : 0;
    if (info.nColumnType == SQL_PARAM_TYPE_UNKNOWN)
        param.m_bUnknownDirection = 1;
    if (info.nColumnType == SQL_RETURN_VALUE &&
        (nDBMSKind == DBMS_ORACLE || nDBMSKind == DBMS_MSSQL || nDBMSKind == DBMS_MYSQL))
    {
        param.m_bPlaceholder = 1;
        params.InsertAt(0, param);
        bHasReturnValue = true;
        return;
    }
    params.Add(param);
}

bool HasInputParams(const CProcParamsArray& params)
{
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
        if (params[i].IsInput())
            return true;
    return false;
}

ProcCallForm ChooseProcCallForm(int nDBMSKind, bool bHasReturnValue, bool bPostgreSQLProcedure)
{
    if (nDBMSKind == DBMS_MYSQL && bHasReturnValue)
        return PROC_CALL_SELECT;
    if (nDBMSKind == DBMS_POSTGRESQL && bPostgreSQLProcedure)
        return PROC_CALL_STATEMENT;
    return PROC_CALL_ESCAPE;
}

bool IsReturnValueInResult(int nDBMSKind, const CProcParamsArray& params, bool bHasReturnValue)
{
    if (nDBMSKind == DBMS_MYSQL)
        return bHasReturnValue;
    if (nDBMSKind != DBMS_POSTGRESQL)
        return false;
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
        if (params[i].GetColumnType() == SQL_RETURN_VALUE)
            return true;
    return false;
}

CString BuildProcedureCallText(int nDBMSKind, LPCWSTR pszFormattedName, CProcParamsArray& params,
                               bool bHasReturnValue, ProcCallForm form)
{
    (void)nDBMSKind;
    CString sql;
    // Only the escape form takes the return value in a marker.
    const bool bReturnMarker = bHasReturnValue && form == PROC_CALL_ESCAPE;
    switch (form)
    {
    case PROC_CALL_SELECT: sql = L"SELECT "; break;
    case PROC_CALL_STATEMENT: sql = L"CALL "; break;
    default: sql = bReturnMarker ? L"{ ? = call " : L"{ call "; break;
    }
    sql += pszFormattedName;
    sql += L"(";
    UINT nMarker = 0;
    bool bFirstArg = true;
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
    {
        CProcParamsData& p = params[i];
        p.m_nParamNumber = 0;
        const int t = p.GetColumnType();
        if (bHasReturnValue && i == 0 && t == SQL_RETURN_VALUE)
        {
            p.m_bPlaceholder = bReturnMarker ? 1 : 0;
            if (bReturnMarker)
                p.m_nParamNumber = ++nMarker;
            continue;
        }
        p.m_bPlaceholder = 0;
        // A return value elsewhere and result columns are no arguments.
        if (t == SQL_RETURN_VALUE || t == SQL_RESULT_COL)
            continue;
        if (!bFirstArg)
            sql += L",";
        bFirstArg = false;
        if (t == SQL_PARAM_INPUT_OUTPUT || t == SQL_PARAM_OUTPUT || !p.m_bNull)
        {
            sql += L"?";
            p.m_bPlaceholder = 1;
            p.m_nParamNumber = ++nMarker;
        }
        else
            sql += L"NULL";
    }
    sql += L")";
    if (form == PROC_CALL_ESCAPE)
        sql += L" }";
    return sql;
}

// ---------------------------------------------------------------------------------------------
// Binding

namespace {

// Room for a character value that comes back: the declared size where it bounds the value,
// within reason; otherwise as much as a grid cell holds, since a size the driver gives for a
// type without a bound (psqlODBC's 8190 for text) would cut a longer value short.
UINT TextRoom(const CProcParamsData& p)
{
    const int nSize = p.m_info.nColumnSize;
    return p.m_bSizeIsLimit && nSize > 0 && nSize <= 65535 ? static_cast<UINT>(nSize) : 65536;
}

CString Trimmed(const CString& s)
{
    CString t = s;
    t.Trim();
    return t;
}

// The whole text as one integer within [lo, hi].
bool ParseInteger(const CString& text, long long lo, long long hi, long long& value)
{
    const CString t = Trimmed(text);
    if (t.IsEmpty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    value = wcstoll(t, &end, 10);
    return errno == 0 && end && *end == 0 && value >= lo && value <= hi;
}

// The whole text as one number.
bool ParseNumber(const CString& text, double& value)
{
    const CString t = Trimmed(text);
    if (t.IsEmpty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    value = wcstod(t, &end);
    return errno != ERANGE && end && *end == 0;
}

UINT Direction(const CProcParamsData& p, bool bReturnMarker)
{
    if (bReturnMarker)
        return SQL_PARAM_OUTPUT;
    switch (p.GetColumnType())
    {
    case SQL_PARAM_INPUT_OUTPUT: return SQL_PARAM_INPUT_OUTPUT;
    case SQL_PARAM_OUTPUT: return SQL_PARAM_OUTPUT;
    default: return SQL_PARAM_INPUT;
    }
}

bool BindOne(CRRecordset& rs, const CProcParamsData& p, UINT nIO, bool bUtf8Output,
             CString& strError)
{
    const UINT n = p.m_nParamNumber;
    const int type = p.GetDataType();
    const UINT size = p.m_info.nColumnSize > 0 ? static_cast<UINT>(p.m_info.nColumnSize) : 0;
    const UINT digits =
        p.m_info.nDecimalDigits > 0 ? static_cast<UINT>(p.m_info.nDecimalDigits) : 0;
    // Output-only values start as NULL of their type.
    const bool bNull = p.m_bNull || nIO == SQL_PARAM_OUTPUT;
    const bool bOut = nIO != SQL_PARAM_INPUT;
    const CString& v = p.m_strValue;
    auto addText = [&](UINT nRoom) {
        if (bOut && bUtf8Output)
            rs.AddUtf8TextParameter(n, nIO, type, size, digits, bNull ? nullptr : (LPCWSTR)v,
                                    nRoom * 4);
        else
            rs.AddTextParameter(n, nIO, type, size, digits, bNull ? nullptr : (LPCWSTR)v,
                                bOut ? nRoom : 0);
    };

    if (IsCharSQLType(type))
    {
        addText(TextRoom(p));
        return true;
    }
    if (IsBinarySQLType(type))
    {
        const UINT room = bOut ? TextRoom(p) : 0;
        if (bNull)
        {
            rs.AddBinaryParameter(n, nIO, type, size, digits, room, 0, nullptr);
            return true;
        }
        const int len = v.GetLength();
        if (len % 2)
        {
            strError = L"Not even length of data";
            return false;
        }
        std::vector<BYTE> bytes(static_cast<size_t>(len / 2) + 1);
        if (!HexToBytes(v, bytes.data(), len / 2))
        {
            strError = L"Invalid data";
            return false;
        }
        bytes.resize(static_cast<size_t>(len / 2));
        rs.AddBinaryParameter(n, nIO, type, size, digits, room, static_cast<UINT>(bytes.size()),
                              bytes.empty() ? static_cast<const void*>("") : bytes.data());
        return true;
    }
    if (IsDateTimeSQLType(type) || type == -155)
    {
        if (bNull)
        {
            if (type == -155)
                rs.AddTimestampOffsetParameter(n, nIO, type, size, digits, nullptr);
            else
                rs.AddTimestampParameter(n, nIO, type, size, digits, nullptr);
            return true;
        }
        if (type == -155)
        {
            SQL_SS_TIMESTAMPOFFSET_STRUCT ts;
            if (!ParseTimestampText(Trimmed(v), ts))
            {
                strError = L"Invalid data";
                return false;
            }
            rs.AddTimestampOffsetParameter(n, nIO, type, size, digits, &ts);
            return true;
        }
        TIMESTAMP_STRUCT ts;
        if (!ParseDateText(Trimmed(v), ts))
        {
            strError = L"Invalid data";
            return false;
        }
        rs.AddTimestampParameter(n, nIO, type, size, digits, &ts);
        return true;
    }

    long long i64 = 0;
    double d = 0;
    switch (type)
    {
    case SQL_INTEGER:
        if (!bNull && !ParseInteger(v, INT_MIN, INT_MAX, i64))
            break;
        rs.AddLongParameter(n, nIO, type, size, digits, static_cast<long>(i64), bNull);
        return true;
    case SQL_SMALLINT:
        if (!bNull && !ParseInteger(v, SHRT_MIN, SHRT_MAX, i64))
            break;
        rs.AddShortParameter(n, nIO, type, size, digits, static_cast<short>(i64), bNull);
        return true;
    case SQL_TINYINT:
        // Signed on some products, unsigned on others: the database judges the range.
        if (!bNull && !ParseInteger(v, -128, 255, i64))
            break;
        rs.AddShortParameter(n, nIO, type, size, digits, static_cast<short>(i64), bNull);
        return true;
    case SQL_BIGINT:
        if (!bNull && !ParseInteger(v, LLONG_MIN, LLONG_MAX, i64))
            break;
        addText(32);
        return true;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        if (!bNull && !ParseNumber(v, d))
            break;
        // A value that comes back is the server's text of it, not a double printed again.
        if (bOut)
            addText(64);
        else if (type == SQL_REAL)
            rs.AddFloatParameter(n, nIO, type, size, digits, static_cast<float>(d), bNull);
        else
            rs.AddDoubleParameter(n, nIO, type, size, digits, d, bNull);
        return true;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        // Checked as a number but passed as its text: a double would lose digits.
        if (!bNull && !ParseNumber(v, d))
            break;
        addText(size + 3 > 64 ? size + 3 : 64);
        return true;
    case SQL_BIT:
        if (!bNull && !ParseNumber(v, d))
            break;
        rs.AddBitParameter(n, nIO, type, size, digits, d != 0, bNull);
        return true;
    default:
        // Types without a conversion of their own (GUIDs, intervals, driver types) go as text
        // for the driver to convert.
        addText(TextRoom(p));
        return true;
    }
    strError = L"Invalid data";
    return false;
}

} // namespace

bool BindProcedureParams(CRRecordset& rs, const CProcParamsArray& params, bool bHasReturnValue,
                         bool bUtf8Output, CString& strError)
{
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
    {
        const CProcParamsData& p = params[i];
        if (!p.m_bPlaceholder || !p.m_nParamNumber)
            continue;
        const bool bReturnMarker =
            bHasReturnValue && i == 0 && p.GetColumnType() == SQL_RETURN_VALUE;
        const int t = p.GetColumnType();
        if (!bReturnMarker && t != SQL_PARAM_INPUT_OUTPUT && t != SQL_PARAM_OUTPUT &&
            t != SQL_PARAM_INPUT && t != SQL_PARAM_TYPE_UNKNOWN)
            continue;
        if (!BindOne(rs, p, Direction(p, bReturnMarker), bUtf8Output, strError))
            return false;
    }
    return true;
}

namespace {

// 70000 as "70,000".
CString GroupedNumber(SQLLEN n)
{
    std::wstring digits = std::to_wstring(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<size_t>(i), 1, L',');
    return CString(digits.c_str());
}

bool IsOutputMarker(const CProcParamsData& p)
{
    return p.m_bPlaceholder && p.m_nParamNumber && p.IsOutput() &&
           p.GetColumnType() != SQL_RETURN_VALUE;
}

// MariaDB's driver hands the OUT and INOUT values of a procedure back as a result of their own,
// after the procedure's own results: one row, a column per value named as its parameter. (Into
// the buffers bound for them it writes each value's text whatever their type, with the first
// value's length for all.) Whether the current result is that one.
bool IsOutputResult(CRRecordset& rs, const CProcParamsArray& params)
{
    int nColumn = 0;
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
    {
        if (!IsOutputMarker(params[i]))
            continue;
        if (++nColumn > rs.GetColumnCount() ||
            rs.GetColumnName(static_cast<UINT>(nColumn))
                    .CompareNoCase(params[i].m_info.szColumnName) != 0)
            return false;
    }
    return nColumn > 0 && nColumn == rs.GetColumnCount();
}

// The values of that result, read on (NULL when the call gave none).
void ReadOutputResult(CRRecordset& rs, CProcParamsArray& params)
{
    bool bFound = true;
    while (bFound && !IsOutputResult(rs, params))
        bFound = rs.MoreResults();
    UINT nColumn = 0;
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
    {
        CProcParamsData& p = params[i];
        if (!IsOutputMarker(p))
            continue;
        ++nColumn;
        p.m_strCut.Empty();
        p.m_bNull = !bFound || rs.IsEOF() || !rs.GetFieldText(nColumn, p.m_strValue) ? 1 : 0;
        if (p.m_bNull)
            p.m_strValue.Empty();
        else if (rs.IsFieldTruncated(nColumn))
            p.m_strCut =
                L"cut at " + GroupedNumber(p.m_strValue.GetLength()) + L" of more characters";
    }
}

} // namespace

void ReadProcedureOutputs(CRRecordset& rs, CProcParamsArray& params, bool bReturnInResult)
{
    bool bOutputResult = false;
    if (rs.GetDatabase() && rs.GetDatabase()->GetDBMSKind() == DBMS_MYSQL)
        for (INT_PTR i = 0; i < params.GetSize(); ++i)
            bOutputResult = bOutputResult || IsOutputMarker(params[i]);
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
    {
        CProcParamsData& p = params[i];
        if (p.GetColumnType() == SQL_RETURN_VALUE && bReturnInResult)
        {
            CString value;
            const bool bValue = rs.GetColumnCount() > 0 && !rs.IsEOF() && rs.GetFieldText(1, value);
            p.m_bNull = bValue ? 0 : 1;
            p.m_strValue = value;
            continue;
        }
        if (!p.m_bPlaceholder || !p.m_nParamNumber || !p.IsOutput())
            continue;
        if (bOutputResult && IsOutputMarker(p))
            continue;
        p.m_bNull = rs.IsParamNull(p.m_nParamNumber) ? 1 : 0;
        p.m_strValue.Empty();
        p.m_strCut.Empty();
        if (p.m_bNull)
            continue;
        rs.GetValueText(p.m_nParamNumber, p.m_strValue);
        // The driver gives the whole value's length even where the buffer held less of it.
        SQLLEN nKept = 0, nFull = 0;
        bool bBytes = true;
        if (rs.IsValueCut(p.m_nParamNumber, nKept, nFull, bBytes))
            p.m_strCut = L"cut at " + GroupedNumber(nKept) + L" of " +
                         (nFull < 0 ? CString(L"more") : GroupedNumber(nFull)) +
                         (bBytes ? L" bytes" : L" characters");
    }
    if (bOutputResult)
        ReadOutputResult(rs, params);
}

CString DescribeCutOutputs(const CProcParamsArray& params)
{
    CString text;
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
    {
        const CProcParamsData& p = params[i];
        if (p.m_strCut.IsEmpty())
            continue;
        if (!text.IsEmpty())
            text += L"\n";
        text += CString(p.m_info.szColumnName) + L": " + p.m_strCut;
    }
    return text;
}

void FinishProcedureCall(CRRecordset& rs)
{
    while (rs.MoreResults())
    {}
}

bool IsPostgreSQLProcedure(CRDatabase* pDatabase, const CStringPair& name)
{
    CRRecordset rs(pDatabase);
    const bool bSchema = !name.m_strFirst.IsEmpty();
    CString sql = L"SELECT p.prokind FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n "
                  L"ON n.oid = p.pronamespace WHERE p.proname = ? AND ";
    sql += bSchema ? L"n.nspname = ?" : L"pg_catalog.pg_function_is_visible(p.oid)";
    if (!rs.Prepare(sql, RS_FORWARD_ONLY, RS_READONLY))
        return false;
    rs.AddTextParameter(1, SQL_PARAM_INPUT, SQL_WVARCHAR, 256, 0, name.m_strSecond, 0);
    if (bSchema)
        rs.AddTextParameter(2, SQL_PARAM_INPUT, SQL_WVARCHAR, 256, 0, name.m_strFirst, 0);
    if (!rs.Execute())
        return false;
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        CString kind;
        if (rs.GetFieldText(1, kind) && kind == L"p")
            return true;
    }
    return false;
}

void ReadProcedureParams(CRDatabaseHelper& helper, const CStringPair& name,
                         CProcParamsArray& params, bool& bHasReturnValue)
{
    params.RemoveAll();
    bHasReturnValue = false;
    CRProcedureColumns columns(&helper.GetCatalogDatabase(),
                               name.m_strFirst.IsEmpty() ? nullptr : (LPCWSTR)name.m_strFirst,
                               name.m_strSecond, nullptr);
    CRProcedureColumns::CProcedureColumnInfo info;
    while (columns.Fetch(&info))
        AddProcedureParam(params, info, helper.GetDBMSKind(), bHasReturnValue);
}

CString BuildProcedureCall(CRDatabaseHelper& helper, const CStringPair& name,
                           CProcParamsArray& params, bool bHasReturnValue)
{
    const int nKind = helper.GetDBMSKind();
    const bool bProcedure =
        nKind == DBMS_POSTGRESQL && IsPostgreSQLProcedure(&helper.GetDatabase(), name);
    return BuildProcedureCallText(nKind, FormatObjectName(name, &helper.GetCatalogDatabase(), true),
                                  params, bHasReturnValue,
                                  ChooseProcCallForm(nKind, bHasReturnValue, bProcedure));
}
