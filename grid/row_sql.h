// Building the INSERT, UPDATE and DELETE statements with which the grid stores a row, and running
// them. Kept apart from the window: everything here works on a cursor, a connection and plain
// values, so it is tested without a grid.
//
// Safety rules every statement keeps:
// - no value may change the shape of a statement: text goes in as a quoted literal, numbers only
//   after they were checked to be numbers, binary values and timestamps as bound parameters;
// - a row identified by its values (no positioned cursor) must be the only row the statement
//   changes: the statement runs in a transaction that is rolled back when it changed more rows;
// - a result without a table name (a memory cursor, a join) is not editable.
#pragma once

#include "framework/core.h"
#include "dbaccess/cursor.h"
#include "dbaccess/database.h"
#include "grid/session_zone.h"

#include <vector>

// One bound parameter of a generated statement, in placeholder order.
struct CRowSqlParam
{
    int nCType = 0;          // SQL_C_BINARY or SQL_C_TIMESTAMP
    int nSQLType = 0;        // SQL_BINARY or SQL_TIMESTAMP
    CString strText;         // the hexadecimal text a binary value came from
    std::vector<BYTE> bytes; // the binary value
    TIMESTAMP_STRUCT ts{};   // the timestamp value
    SQLLEN nIndicator = -5;  // byte count, 16 for a timestamp, SQL_NULL_DATA for NULL

    // What the parameter is bound with: column size and decimal digits. A timestamp carries as
    // many fraction digits as its value needs, so fractions survive saving and key conditions.
    SQLULEN ColumnSize() const;
    SQLSMALLINT DecimalDigits() const;
};
typedef std::vector<CRowSqlParam> CRowSqlParams;

// Error kinds reported to the grid's owner (code 12).
enum RowSqlError : UINT
{
    kRowSqlOk = 0,
    kRowSqlEditError = 1,
    kRowSqlOddHex = 2,
    kRowSqlInvalidData = 3,
    kRowSqlDatabaseError = 4,
    kRowSqlRowCount = 5,
};

// One failure while building or running a statement.
struct CRowSqlFailure
{
    UINT nKind = kRowSqlOk;
    int nColumn = -1; // list column index, -1 none
    CString strText;
};

// True for the C types whose values are written as quoted text literals.
bool IsQuotedCType(int cType);
// True for the C types whose values must be numbers.
bool IsNumberCType(int cType);
// True for a plain number: optional sign, digits with an optional point, optional exponent;
// white space around it is allowed. Nothing else passes, so the text cannot alter a statement.
bool IsNumberText(LPCWSTR text, CString* pTrimmed = nullptr);
// True for timestamps of time-of-day columns, which are written as time literals.
bool IsTimeValue(int cType, int sqlType, UINT dbmsKind);

// One value of an INSERT or UPDATE: the held cell text and its marker kind (non-zero is NULL).
// Empty text of a column that is neither character nor binary means NULL. Failures set the
// failure's kind (2 odd hexadecimal length, 3 invalid data) and return false.
bool MakeSaveValue(const CRDatabase& db, LPCWSTR text, UINT kind, int cType, int sqlType,
                   CString& value, CRowSqlParams& params, CRowSqlFailure& failure);

// One value of a key condition, read from the cursor's current row. False when the value cannot
// identify the row (truncated, or not what its type promises).
bool MakeKeyValue(const CRDatabase& db, Zelt::ICursor* cursor, UINT column, CString& value,
                  CRowSqlParams& params);

// " WHERE a=1 AND b IS NULL" over the key columns (cursor columns from 1) of the cursor's current
// row; "" when any key value cannot be used (the parameters added for it are removed again).
// With pCountCondition, also the condition that counts the rows before the statement runs: the
// same with the same parameters, except that it matches every row whose values the driver reads
// alike (SQLite, which keeps values of any kind in any column).
CString BuildValueCondition(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                            const std::vector<UINT>& keyColumns, CRowSqlParams& params,
                            CString* pCountCondition = nullptr);
// The cursor columns of the primary-key column names, in their order; false when one of them is
// not in the result. No names gives every column of the cursor.
bool FindKeyColumns(Zelt::ICursor* cursor, const std::vector<CString>& keyNames,
                    std::vector<UINT>& columns);

// One column taking part in an INSERT or UPDATE.
struct CRowSqlColumn
{
    int nListColumn = -1;   // for error reports
    UINT nCursorColumn = 0; // from 1
    CString strText;
    UINT nKind = 0;
};

// The statement texts.
CString BuildInsertSQL(LPCWSTR table, const std::vector<CString>& quotedNames,
                       const std::vector<CString>& values);
CString BuildUpdateSQL(LPCWSTR table, const std::vector<CString>& quotedNames,
                       const std::vector<CString>& values, LPCWSTR condition);
CString BuildDeleteSQL(LPCWSTR table, LPCWSTR condition);

// How a row is identified.
struct CRowKeyRequest
{
    bool bPositioned = false;      // use " WHERE CURRENT OF " and the cursor name
    std::vector<CString> keyNames; // primary-key column names; empty: every column
    // The session zone the cursor's rows were read in: a value read in it identifies a row only
    // while the session is still in that zone.
    CReadZone readZone;
};

// The statement under construction.
struct CRowStatement
{
    CString strSQL;
    CRowSqlParams params;
    bool bValueKey = false; // the row is identified by its values: must change one row only
    bool bNothing = false;  // an update without changed columns: nothing to run
    bool bUpdate = false;   // an UPDATE (some drivers count the rows it changed, not found)
    bool bKeyed = false;    // the row is identified by its primary key, not by all its values
    CString strTable;       // the table or view the statement names, as it names it
    // For a row identified by its values: "SELECT COUNT(*) FROM t WHERE ..." over the same
    // condition, and the index of the first parameter of that condition.
    CString strCountSQL;
    size_t nConditionParamFirst = 0;
};

// The WHERE part for the cursor's current row: the positioned form when it is asked for, else the
// value condition. False when the values cannot identify the row (a value cut short or of a
// type that cannot be compared: kind 5, nothing is guessed) or, positioned, without a cursor
// name (kind 4).
bool BuildRowCondition(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                       const CRowKeyRequest& key, CString& condition, CRowSqlParams& params,
                       bool& valueKey, CRowSqlFailure& failure, CString* pCountCondition = nullptr);

// INSERT of the given columns (an empty list inserts NULL into cursor column 1).
bool BuildInsertStatement(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                          const std::vector<CRowSqlColumn>& columns, CRowStatement& statement,
                          CRowSqlFailure& failure);
// UPDATE of the given columns of the cursor's current row (the cursor must stand on it).
bool BuildUpdateStatement(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                          const std::vector<CRowSqlColumn>& columns, const CRowKeyRequest& key,
                          CRowStatement& statement, CRowSqlFailure& failure);
// DELETE of the cursor's current row.
bool BuildDeleteStatement(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                          const CRowKeyRequest& key, CRowStatement& statement,
                          CRowSqlFailure& failure);

// Runs a statement: directly without parameters, prepared with them. A statement that changed no
// row fails with kind 5 (except on a SQLite view, whose INSTEAD OF trigger changes rows SQLite
// does not count for the statement); one identified by values that changed more than one row is
// rolled back and fails with kind 5. Preparation and execution failures that are not thrown give kind 4;
// driver errors thrown as Zelt::CRDBException pass on to the caller. pReturned: the statement
// returns a row (PostgreSQL's INSERT ... RETURNING), whose values' texts it gets.
bool ExecuteRowStatement(CRDatabase& db, const CRowStatement& statement, CRowSqlFailure& failure,
                         LONGLONG* pRowCount = nullptr, std::vector<CString>* pReturned = nullptr);
