// The result-cursor interface: what the grid, the export writers and the windows read a result
// through. Two implementations: CRRecordset (a live ODBC statement) and Zelt::CMemCursor (rows kept
// in memory). Columns are numbered from 1 everywhere.
#pragma once

#include "framework/core.h"

#include "dbaccess/odbc_defs.h"

namespace Zelt {

// The most characters of a text, or bytes of a binary value, that a cursor holds of one field; a
// longer value reads cut to this length (IsFieldTruncated).
constexpr SQLULEN kMaxFieldLength = 65536;

class ICursor
{
public:
    // One result column as the driver described it.
    struct CColumnDesc
    {
        CString strName;
        SQLSMALLINT nSQLType = 0;
        SQLULEN nColumnSize = 0;
        SQLSMALLINT nDecimalDigits = 0;
        SQLSMALLINT nNullable = SQL_NULLABLE_UNKNOWN;
        bool bUnsigned = false;
        // A text or binary column whose size is the most its values may hold, not a figure the
        // driver gives for a type without a bound (long types, PostgreSQL's text and varchar
        // without a length, every column of a database that keeps any value in any column).
        bool bSizeIsLimit = false;
        // The driver's name of the column's type, where it was read (PostgreSQL's text columns:
        // "interval", "varchar" ...); empty elsewhere.
        CString strTypeName;
        // The column was selected as the server's text of a value the driver reads without part
        // of it: a PostgreSQL date, timestamp or timestamptz (server_texts.h). It is still the
        // query's column of its name.
        bool bServerText = false;
        // What the driver's value of a column of the user's PostgreSQL statement lacks, where the
        // statement could not be read as the server's text without running it again (EXECUTE,
        // CALL, INSERT ... RETURNING; see server_texts.h): a timestamptz's offset, a date's era.
        // The grid marks such a column and says why once.
        enum : BYTE
        {
            kDropsNothing,
            kDropsOffset,
            kDropsEra,
        };
        BYTE nDriverDrops = kDropsNothing;
    };

    // Where the cursor stands: the zero-based current row (-1 before the first row, -2 when a
    // recordset cannot tell) and whether GetRecordCount is the size of the whole result.
    struct CStatus
    {
        int nCurrentRow = -1;
        bool bCountFinal = false;
    };

    ICursor() {}
    virtual ~ICursor() {}

    ICursor(const ICursor&) = delete;
    ICursor& operator=(const ICursor&) = delete;

    virtual void Close() = 0;
    virtual UINT GetQueryTimeout() = 0;
    virtual ULONGLONG GetExecutionTime() = 0;
    virtual bool IsForwardOnly() = 0;
    virtual bool IsNumericAsText() = 0;
    virtual short GetColumnCount() = 0;
    virtual int GetColumnCType(UINT col) = 0;
    virtual short GetColumnSQLType(UINT col) = 0;
    virtual LONGLONG GetColumnSize(UINT col) = 0;
    virtual int FindColumn(LPCWSTR name) = 0;
    virtual const CColumnDesc* GetColumn(UINT col) = 0;
    virtual int GetRecordCount() = 0;
    virtual CString GetSQL() = 0;
    virtual CString GetTableName() = 0;
    virtual CString GetCursorName() = 0;
    virtual CString GetColumnName(UINT col) = 0;
    virtual bool IsDecimalColumn(UINT col) = 0;
    virtual bool IsColumnNullable(UINT col) = 0;

    virtual bool MoveFirst() = 0;
    virtual bool MoveLast() = 0;
    virtual bool MoveNext() = 0;
    // Whether MoveNext would answer at once: a cursor whose rows a thread reads ahead says
    // false while the next row is still being fetched (and starts that fetch if it has not).
    // A reader in the window's own time reads only rows that are ready by the end of its slice,
    // so that a slow result never keeps the window from its messages.
    virtual bool IsNextRowReady() { return true; }
    // The same, waiting for the row until the tick count (GetTickMs) reaches nUntilMs: a reader
    // with a slice of time to spend takes every row the thread fetches within it, not only those
    // fetched before it looked.
    virtual bool WaitNextRowReady(LONGLONG /*nUntilMs*/) { return IsNextRowReady(); }
    virtual bool MovePrev() = 0;
    virtual bool SetAbsolutePosition(int row) = 0; // 1-based; negative counts from the end
    virtual bool Refresh() = 0;
    virtual bool Move(int rows, USHORT fetchType) = 0; // SQL_FETCH_NEXT .. SQL_FETCH_RELATIVE
    virtual bool IsBOF() = 0;
    virtual bool IsEOF() = 0;
    virtual bool HasResultColumns() = 0;
    virtual void GetStatus(CStatus& status) = 0;
    virtual void SetPos(ULONGLONG row, USHORT operation) = 0;

    virtual bool IsFieldValid(UINT col) = 0;
    virtual bool IsFieldNull(UINT col) = 0;
    virtual bool IsFieldNoTotal(UINT col) = 0;
    virtual bool IsFieldEmpty(UINT col) = 0;
    virtual bool IsFieldTypeUnknown(UINT col) = 0;
    virtual bool IsFieldTruncated(UINT col) = 0;
    // The current value is of another kind than its column's type and is held as the text it is
    // stored as (SQLite keeps any value in any column: 'abc' in an INTEGER column, '2024-02-30'
    // in a DATE one): GetFieldText gives that text, the typed getters refuse it.
    virtual bool IsFieldHeldAsText(UINT) { return false; }
    // SQLite's driver reads a blob held in a column of another type as the text SQLite writes of
    // it (X'00FF'), which a text of that form reads as too. For a current value read so, what the
    // file holds: kBlobFormBlob, kBlobFormText, or kBlobFormEither when the program could not
    // tell (the table holds both, or the column is none of its table's); kBlobFormNone for every
    // other value.
    enum : int
    {
        kBlobFormNone = 0,
        kBlobFormBlob = 1,
        kBlobFormText = 2,
        kBlobFormEither = 3,
    };
    virtual int GetFieldBlobForm(UINT) { return kBlobFormNone; }

    // Typed getters: true when a value was stored, false for NULL; a C type the getter cannot
    // convert throws a Zelt::CRDBException pointer.
    virtual bool GetFieldGuid(UINT col, GUID& value) = 0;
    virtual bool GetFieldByte(UINT col, BYTE& value) = 0;
    virtual bool GetFieldBinary(UINT col, CByteArray& value) = 0;
    virtual bool GetFieldOleDateTime(UINT col, COleDateTime& value) = 0;
    virtual bool GetFieldTimestampOffset(UINT col, SQL_SS_TIMESTAMPOFFSET_STRUCT& value) = 0;
    virtual bool GetFieldTimestamp(UINT col, TIMESTAMP_STRUCT& value) = 0;
    virtual bool GetFieldTime(UINT col, CTime& value) = 0;
    virtual bool GetFieldDouble(UINT col, double& value) = 0;
    virtual bool GetFieldFloat(UINT col, float& value) = 0;
    virtual bool GetFieldBigInt(UINT col, LONGLONG& value) = 0;
    virtual bool GetFieldShort(UINT col, short& value) = 0;
    virtual bool GetFieldLong(UINT col, long& value) = 0;
    virtual bool GetFieldInt(UINT col, int& value) = 0;
    virtual bool GetFieldBool(UINT col, bool& value) = 0;
    virtual bool GetFieldText(UINT col, CString& value) = 0;
    virtual bool GetFieldTextA(UINT col, CStringA& value) = 0;
    // The current value's text when the cursor already holds it as 8-bit text of ASCII
    // characters alone, each byte one character of what GetFieldText gives: a copier then takes
    // the bytes as they are instead of widening them. False (nothing set) when it does not hold
    // it so, and for NULL: GetFieldText answers then.
    virtual bool GetFieldAsciiText(UINT, const char*&, size_t&) { return false; }

    // Lookups by column name (case-insensitive); an unknown name throws
    // "Failed retrieving data from field '%s'".
    bool GetFieldTextByName(LPCWSTR name, CString& value);
    bool GetFieldIntByName(LPCWSTR name, int& value);
};

// True for NUMERIC, DECIMAL, FLOAT, REAL and DOUBLE.
inline bool IsDecimalSQLType(int sqlType)
{
    return sqlType == SQL_NUMERIC || sqlType == SQL_DECIMAL || sqlType == SQL_FLOAT ||
           sqlType == SQL_REAL || sqlType == SQL_DOUBLE;
}

} // namespace Zelt
