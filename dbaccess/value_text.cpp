// Display text of date, time, timestamp, offset, GUID and binary values.
#include "dbaccess/value_text.h"

#include "dbaccess/cursor.h"

#include <climits>

namespace {

// Every digit of a fraction that is not 0, trailing zeros dropped down to milliseconds
// (".123", ".123456", ".000001").
void AppendFraction(CString& s, SQLUINTEGER nFraction)
{
    if (nFraction == 0)
        return;
    wchar_t digits[10];
    SQLUINTEGER n = nFraction % 1000000000u;
    for (int i = 8; i >= 0; --i, n /= 10)
        digits[i] = static_cast<wchar_t>(L'0' + n % 10);
    int count = 9;
    while (count > 3 && digits[count - 1] == L'0')
        --count;
    digits[count] = 0;
    s += L'.';
    s += digits;
}

// A negative year is the year BC, written as the positive year with " BC" after the value. (A
// year 0 is MySQL's zero date, shown as it is.)
void AppendEra(CString& s, int nYear)
{
    if (nYear < 0)
        s += L" BC";
}

// Four digits BC, as PostgreSQL writes them: "0044/03/15 BC" reads back as that date where
// "44/03/15" would not.
CString YearText(int nYear)
{
    CString s;
    s.Format(nYear < 0 ? L"%04d" : L"%d", nYear < 0 ? -nYear : nYear);
    return s;
}

template <class T>
int InfinityOf(const T& value)
{
    if (value.month != 0 || value.day != 0)
        return 0;
    return value.year == SHRT_MAX ? 1 : value.year == SHRT_MIN ? -1 : 0;
}

} // namespace

void SetInfiniteTimestamp(TIMESTAMP_STRUCT& value, bool bNegative)
{
    value = TIMESTAMP_STRUCT{};
    value.year = bNegative ? SHRT_MIN : SHRT_MAX;
}

int TimestampInfinity(const TIMESTAMP_STRUCT& value)
{
    return InfinityOf(value);
}

int TimestampInfinity(const SQL_SS_TIMESTAMPOFFSET_STRUCT& value)
{
    return InfinityOf(value);
}

LPCWSTR InfinityText(int nInfinity)
{
    return nInfinity > 0 ? L"infinity" : nInfinity < 0 ? L"-infinity" : L"";
}

namespace {

const SQLSMALLINT kFarFutureYear = 10000;

template <class T>
bool IsFarFuture(const T& value)
{
    return value.year == kFarFutureYear && value.month == 0 && value.day == 0;
}

} // namespace

void SetFarFutureTimestamp(TIMESTAMP_STRUCT& value, unsigned long nYear)
{
    value = TIMESTAMP_STRUCT{};
    value.year = kFarFutureYear;
    value.fraction = nYear;
}

bool IsFarFutureTimestamp(const TIMESTAMP_STRUCT& value)
{
    return IsFarFuture(value);
}

bool IsFarFutureTimestamp(const SQL_SS_TIMESTAMPOFFSET_STRUCT& value)
{
    return IsFarFuture(value);
}

bool IsFarFutureTimestamp(const DATE_STRUCT& value)
{
    return IsFarFuture(value);
}

CString FarFutureText(const TIMESTAMP_STRUCT& value, int nSQLType)
{
    CString s;
    if (value.fraction >= static_cast<SQLUINTEGER>(kFarFutureYear))
        s.Format(L"%lu/?\?/?\?", static_cast<unsigned long>(value.fraction)); // ("\?": no trigraph)
    else
        s = L"????\?/?\?/?\?";
    const SQLSMALLINT nType = static_cast<SQLSMALLINT>(nSQLType);
    if (nType != SQL_DATE && nType != SQL_TYPE_DATE)
        s += L" ??:??:??";
    return s;
}

namespace {

CString TimestampText(const TIMESTAMP_STRUCT* pValue, int nSQLType)
{
    CString s;
    if (!pValue)
        return s;
    SQLSMALLINT nType = static_cast<SQLSMALLINT>(nSQLType);
    const bool bTime = nType == SQL_SS_TIME2 || nType == SQL_TIME || nType == SQL_TYPE_TIME;
    if (!bTime && TimestampInfinity(*pValue))
        return InfinityText(TimestampInfinity(*pValue));
    if (!bTime && IsFarFuture(*pValue))
        return FarFutureText(*pValue, nSQLType);
    const CString strYear = YearText(pValue->year);
    if (bTime)
        s.Format(L"%02d:%02d:%02d", (int)pValue->hour, (int)pValue->minute, (int)pValue->second);
    else if (nType == SQL_DATE || nType == SQL_TYPE_DATE)
        s.Format(L"%s/%02d/%02d", strYear.GetString(), (int)pValue->month, (int)pValue->day);
    else
        s.Format(L"%s/%02d/%02d %02d:%02d:%02d", strYear.GetString(), (int)pValue->month,
                 (int)pValue->day, (int)pValue->hour, (int)pValue->minute, (int)pValue->second);
    AppendFraction(s, pValue->fraction);
    if (!bTime)
        AppendEra(s, pValue->year);
    return s;
}

CString TimestampOffsetText(const SQL_SS_TIMESTAMPOFFSET_STRUCT* pValue)
{
    CString s;
    if (!pValue)
        return s;
    if (TimestampInfinity(*pValue))
        return InfinityText(TimestampInfinity(*pValue));
    s.Format(L"%s/%02d/%02d %02d:%02d:%02d", YearText(pValue->year).GetString(), (int)pValue->month,
             (int)pValue->day, (int)pValue->hour, (int)pValue->minute, (int)pValue->second);
    AppendFraction(s, pValue->fraction);
    AppendEra(s, pValue->year);
    bool bNegative = pValue->timezone_hour < 0 || pValue->timezone_minute < 0;
    s.AppendFormat(L" %c%02d:%02d", bNegative ? L'-' : L'+', abs((int)pValue->timezone_hour),
                   abs((int)pValue->timezone_minute));
    return s;
}

} // namespace

CString FormatTimestamp(const TIMESTAMP_STRUCT* pValue, int nSQLType)
{
    return TimestampText(pValue, nSQLType);
}

CString FormatTimestampWhole(const TIMESTAMP_STRUCT* pValue, int nSQLType)
{
    return TimestampText(pValue, nSQLType);
}

CString FormatTimestampOffset(const SQL_SS_TIMESTAMPOFFSET_STRUCT* pValue)
{
    return TimestampOffsetText(pValue);
}

CString FormatTimestampOffsetWhole(const SQL_SS_TIMESTAMPOFFSET_STRUCT* pValue)
{
    return TimestampOffsetText(pValue);
}

bool GetFieldWholeText(Zelt::ICursor* pCursor, UINT nColumn, CString& text)
{
    const int nCType = pCursor->GetColumnCType(nColumn);
    if ((nCType == SQL_C_TIMESTAMP || nCType == SQL_C_SS_TIMESTAMPOFFSET) &&
        pCursor->IsFieldHeldAsText(nColumn))
        return pCursor->GetFieldText(nColumn, text);
    if (nCType == SQL_C_TIMESTAMP)
    {
        TIMESTAMP_STRUCT ts{};
        if (!pCursor->GetFieldTimestamp(nColumn, ts))
        {
            text.Empty();
            return false;
        }
        text = FormatTimestampWhole(&ts, pCursor->GetColumnSQLType(nColumn));
        return true;
    }
    if (nCType == SQL_C_SS_TIMESTAMPOFFSET)
    {
        SQL_SS_TIMESTAMPOFFSET_STRUCT ts{};
        if (!pCursor->GetFieldTimestampOffset(nColumn, ts))
        {
            text.Empty();
            return false;
        }
        text = FormatTimestampOffsetWhole(&ts);
        return true;
    }
    return pCursor->GetFieldText(nColumn, text);
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
