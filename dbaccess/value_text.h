// Display text of ODBC date, time, timestamp, offset, GUID and binary values.
#pragma once

#include "dbaccess/database.h"

namespace Zelt {
class ICursor;
}

// PostgreSQL's dates and timestamps 'infinity' and '-infinity', which no real date stands for,
// are held in a TIMESTAMP_STRUCT as month and day 0 with the extreme year of their sign; a year
// before 1 is a year BC (-44 is 44 BC: there is no year 0).
void SetInfiniteTimestamp(TIMESTAMP_STRUCT& value, bool bNegative);
// 1 for infinity, -1 for -infinity, 0 for a finite value.
int TimestampInfinity(const TIMESTAMP_STRUCT& value);
int TimestampInfinity(const SQL_SS_TIMESTAMPOFFSET_STRUCT& value);
// "infinity" or "-infinity" as PostgreSQL writes them; "" for a finite value.
LPCWSTR InfinityText(int nInfinity);

// A PostgreSQL date or timestamp past the year 9999, which its ODBC driver hands over only as a
// stand-in whose month, day and time are not the value's (see recordset_infinity.cpp): held as
// year 10000 with month and day 0 and the year the value is in (0 when unknown) in the fraction.
// Shown as that year with the rest unknown ("12345/??/??"), refused as a literal: it never
// passes for some real date.
void SetFarFutureTimestamp(TIMESTAMP_STRUCT& value, unsigned long nYear);
bool IsFarFutureTimestamp(const TIMESTAMP_STRUCT& value);
bool IsFarFutureTimestamp(const SQL_SS_TIMESTAMPOFFSET_STRUCT& value);
bool IsFarFutureTimestamp(const DATE_STRUCT& value);
// "12345/??/??" for a date type, "12345/??/?? ??:??:??" for the others ("?????" for the year
// when it is unknown).
CString FarFutureText(const TIMESTAMP_STRUCT& value, int nSQLType);

// "2024/03/05 07:08:09[.123456]"; time types give "07:08:09", date types "2024/03/05"; a
// fraction that is not 0 is appended with every digit it has, trailing zeros dropped down to
// three ("07:08:09.123456", "07:08:09.000001", "07:08:09.500"), so that two values that differ
// never read alike; a negative year is written as the year BC in four digits with " BC" at the
// end ("0044/03/15 BC"); the infinities as their words, a value past 9999 as FarFutureText.
// Null gives "". The grid shows it, and it is copied and exported so.
CString FormatTimestamp(const TIMESTAMP_STRUCT* pValue, int nSQLType);
// "2024/03/05 07:08:09[.123456] +05:00", the fraction as FormatTimestamp has it; null gives "".
CString FormatTimestampOffset(const SQL_SS_TIMESTAMPOFFSET_STRUCT* pValue);
// The same texts (the names of callers that want every digit whatever the grid shows).
CString FormatTimestampWhole(const TIMESTAMP_STRUCT* pValue, int nSQLType);
CString FormatTimestampOffsetWhole(const SQL_SS_TIMESTAMPOFFSET_STRUCT* pValue);
// The current value of a column as text, as GetFieldText gives it but for dates, times and
// timestamps, which keep every digit of their fraction; false (and "") for NULL.
bool GetFieldWholeText(Zelt::ICursor* pCursor, UINT nColumn, CString& text);
// "6B29FC40-CA47-1067-B31D-00DD010662DA", upper case, no braces.
CString FormatGuid(const SQLGUID& guid);
// Upper-case hex of the first min(nLength, nMax) bytes; "" for null.
CString MakeStringN(const BYTE* pData, size_t nLength, size_t nMax);
// The 16 bytes of a GUID in the order its text prints them.
void GuidToBytes(const SQLGUID& guid, CByteArray& bytes);
void CopyTimestamp(const TIMESTAMP_STRUCT& source, TIMESTAMP_STRUCT& target);
void CopyTimestamp(const SQL_SS_TIMESTAMPOFFSET_STRUCT& source, TIMESTAMP_STRUCT& target);
void TimestampToTimestampOffset(const TIMESTAMP_STRUCT& source,
                                SQL_SS_TIMESTAMPOFFSET_STRUCT& target);
