// Display text of ODBC date, time, timestamp, offset, GUID and binary values.
#pragma once

#include "dbaccess/database.h"

// "2024/03/05 07:08:09[.123]"; time types give "07:08:09", date types "2024/03/05"; the
// milliseconds are appended whenever they are at least 1. Null gives "".
CString FormatTimestamp(const TIMESTAMP_STRUCT* pValue, int nSQLType);
// "2024/03/05 07:08:09[.123] +05:00"; null gives "".
CString FormatTimestampOffset(const SQL_SS_TIMESTAMPOFFSET_STRUCT* pValue);
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
