// Display text of date, time, timestamp, offset, GUID and binary values.
#include "dbaccess/value_text.h"

namespace {

void AppendMilliseconds(CString& s, SQLUINTEGER nFraction)
{
    unsigned long nMilliseconds = nFraction / 1000000;
    if (nMilliseconds >= 1)
        s.AppendFormat(L".%03lu", nMilliseconds);
}

} // namespace

CString FormatTimestamp(const TIMESTAMP_STRUCT* pValue, int nSQLType)
{
    CString s;
    if (!pValue)
        return s;
    SQLSMALLINT nType = static_cast<SQLSMALLINT>(nSQLType);
    if (nType == SQL_SS_TIME2 || nType == SQL_TIME || nType == SQL_TYPE_TIME)
        s.Format(L"%02d:%02d:%02d", (int)pValue->hour, (int)pValue->minute, (int)pValue->second);
    else if (nType == SQL_DATE || nType == SQL_TYPE_DATE)
        s.Format(L"%d/%02d/%02d", (int)pValue->year, (int)pValue->month, (int)pValue->day);
    else
        s.Format(L"%d/%02d/%02d %02d:%02d:%02d", (int)pValue->year, (int)pValue->month,
                 (int)pValue->day, (int)pValue->hour, (int)pValue->minute, (int)pValue->second);
    AppendMilliseconds(s, pValue->fraction);
    return s;
}

CString FormatTimestampOffset(const SQL_SS_TIMESTAMPOFFSET_STRUCT* pValue)
{
    CString s;
    if (!pValue)
        return s;
    s.Format(L"%d/%02d/%02d %02d:%02d:%02d", (int)pValue->year, (int)pValue->month,
             (int)pValue->day, (int)pValue->hour, (int)pValue->minute, (int)pValue->second);
    AppendMilliseconds(s, pValue->fraction);
    bool bNegative = pValue->timezone_hour < 0 || pValue->timezone_minute < 0;
    s.AppendFormat(L" %c%02d:%02d", bNegative ? L'-' : L'+', abs((int)pValue->timezone_hour),
                   abs((int)pValue->timezone_minute));
    return s;
}

CString FormatGuid(const SQLGUID& guid)
{
    CString s;
    s.Format(L"%08lX-%04hX-%04hX-%02X%02X-%02X%02X%02X%02X%02X%02X", (unsigned long)guid.Data1,
             (unsigned short)guid.Data2, (unsigned short)guid.Data3, guid.Data4[0], guid.Data4[1],
             guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
             guid.Data4[7]);
    return s;
}

CString MakeStringN(const BYTE* pData, size_t nLength, size_t nMax)
{
    CString s;
    if (!pData)
        return s;
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    size_t nCount = nLength < nMax ? nLength : nMax;
    LPWSTR p = s.GetBufferSetLength(static_cast<int>(nCount * 2));
    for (size_t i = 0; i < nCount; ++i)
    {
        p[2 * i] = kDigits[pData[i] >> 4];
        p[2 * i + 1] = kDigits[pData[i] & 15];
    }
    s.ReleaseBuffer(static_cast<int>(nCount * 2));
    return s;
}

void GuidToBytes(const SQLGUID& guid, CByteArray& bytes)
{
    bytes.SetSize(16);
    BYTE* p = bytes.GetData();
    p[0] = static_cast<BYTE>(guid.Data1 >> 24);
    p[1] = static_cast<BYTE>(guid.Data1 >> 16);
    p[2] = static_cast<BYTE>(guid.Data1 >> 8);
    p[3] = static_cast<BYTE>(guid.Data1);
    p[4] = static_cast<BYTE>(guid.Data2 >> 8);
    p[5] = static_cast<BYTE>(guid.Data2);
    p[6] = static_cast<BYTE>(guid.Data3 >> 8);
    p[7] = static_cast<BYTE>(guid.Data3);
    for (int i = 0; i < 8; ++i)
        p[8 + i] = guid.Data4[i];
}

void CopyTimestamp(const TIMESTAMP_STRUCT& source, TIMESTAMP_STRUCT& target)
{
    target = source;
}

void CopyTimestamp(const SQL_SS_TIMESTAMPOFFSET_STRUCT& source, TIMESTAMP_STRUCT& target)
{
    target.year = source.year;
    target.month = source.month;
    target.day = source.day;
    target.hour = source.hour;
    target.minute = source.minute;
    target.second = source.second;
    target.fraction = source.fraction;
}

void TimestampToTimestampOffset(const TIMESTAMP_STRUCT& source,
                                SQL_SS_TIMESTAMPOFFSET_STRUCT& target)
{
    target.year = source.year;
    target.month = source.month;
    target.day = source.day;
    target.hour = source.hour;
    target.minute = source.minute;
    target.second = source.second;
    target.fraction = source.fraction;
    target.timezone_hour = 0;
    target.timezone_minute = 0;
}
