// ODBC headers, with the SQL Server definitions the MinGW headers lack.
#pragma once

#include <windows.h>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

// SQL Server types.
#ifndef SQL_SS_VARIANT
#define SQL_SS_VARIANT (-150)
#endif
#ifndef SQL_SS_UDT
#define SQL_SS_UDT (-151)
#endif
#ifndef SQL_SS_XML
#define SQL_SS_XML (-152)
#endif
#ifndef SQL_SS_TABLE
#define SQL_SS_TABLE (-153)
#endif
#ifndef SQL_SS_TIME2
#define SQL_SS_TIME2 (-154)
#endif
#ifndef SQL_SS_TIMESTAMPOFFSET
#define SQL_SS_TIMESTAMPOFFSET (-155)
#endif
#ifndef SQL_C_SS_TIME2
#define SQL_C_SS_TIME2 16384
#endif
#ifndef SQL_C_SS_TIMESTAMPOFFSET
#define SQL_C_SS_TIMESTAMPOFFSET 16385
#endif

// A timestamp with its time-zone offset, 20 bytes as SQL Server's driver exchanges it.
typedef struct tagSS_TIMESTAMPOFFSET_STRUCT
{
    SQLSMALLINT year;
    SQLUSMALLINT month;
    SQLUSMALLINT day;
    SQLUSMALLINT hour;
    SQLUSMALLINT minute;
    SQLUSMALLINT second;
    SQLUINTEGER fraction; // nanoseconds
    SQLSMALLINT timezone_hour;
    SQLSMALLINT timezone_minute;
} SQL_SS_TIMESTAMPOFFSET_STRUCT;
static_assert(sizeof(SQL_SS_TIMESTAMPOFFSET_STRUCT) == 20, "20-byte timestamp-with-offset");
