// A stored procedure or function call: its parameters as the catalog lists them with the values
// the user typed, the call statement per product and the binding of every value as a marker.
#pragma once

#include "framework/core.h"
#include "dbaccess/catalog.h"
#include "dbaccess/sql_names.h"

class CRRecordset;

// One parameter with its value.
class CProcParamsData
{
public:
    CProcParamsData();

    CRProcedureColumns::CProcedureColumnInfo m_info; // nColumnType: SQL_PARAM_* (0 to 5)
    BYTE m_bNull = 0;
    CString m_strValue;           // typed in, or read back after the call
    BYTE m_bPlaceholder = 0;      // passed as a "?" marker and bound
    UINT m_nParamNumber = 0;      // 1-based marker number
    BYTE m_bUnknownDirection = 0; // the catalog gave no direction; offered for input anyway
    // A text or binary parameter whose declared size is the most its values may hold, not a
    // figure the driver gives for a type without a bound (see IsDeclaredSizeABound).
    BYTE m_bSizeIsLimit = 0;
    // After the call: how a value that came back longer than its room was cut ("cut at 65,536
    // of 70,000 characters"); empty when it came back whole.
    CString m_strCut;

    int GetColumnType() const { return m_info.nColumnType; }
    int GetDataType() const { return m_info.nDataType; }
    // Column types 0, 1 and 2: the user gives its value.
    bool IsInput() const;
    // Column types 2, 4 and 5: a value comes back.
    bool IsOutput() const;
};

typedef CArray<CProcParamsData, const CProcParamsData&> CProcParamsArray;

// SQL types 1, 12, -1, -8, -9, -10.
bool IsCharSQLType(int nSQLType);
// SQL types 9, 10, 11, 91, 92, 93.
bool IsDateTimeSQLType(int nSQLType);
// SQL types -2, -3, -4.
bool IsBinarySQLType(int nSQLType);
// Types the catalog reports for driver-specific parameters that are never listed or passed.
inline bool IsHiddenParamType(int nSQLType)
{
    return nSQLType == -403 || nSQLType == -404;
}

// Whether a parameter's declared size bounds its values. PostgreSQL keeps no length of a
// function's parameters (a varchar(10) parameter takes any text): psqlODBC's sizes there are its
// own figures, 8190 for text and 255 for the rest.
bool IsParamSizeABound(const CRProcedureColumns::CProcedureColumnInfo& info, int nDBMSKind);
// Appends one catalog record. A return value on Oracle, Microsoft SQL Server and MySQL goes
// first and sets bHasReturnValue; elsewhere it is appended like the others.
void AddProcedureParam(CProcParamsArray& params,
                       const CRProcedureColumns::CProcedureColumnInfo& info, int nDBMSKind,
                       bool& bHasReturnValue);
// Any parameter for the user to fill in.
bool HasInputParams(const CProcParamsArray& params);

// How a call is written.
enum ProcCallForm
{
    PROC_CALL_ESCAPE = 0,    // "{ call name(...) }", "{ ? = call name(...) }"
    PROC_CALL_SELECT = 1,    // "SELECT name(...)": a MySQL function
    PROC_CALL_STATEMENT = 2, // "CALL name(...)": a PostgreSQL procedure
};

// The call statement for the product; sets the placeholder flags and marker numbers. Every
// value that is not NULL is a marker (the binder converts it), so no typed text ever becomes
// SQL. A return value is a marker only in the escape form with bHasReturnValue; MySQL and
// PostgreSQL hand a function's value back as column 1 of the call's result instead.
CString BuildProcedureCallText(int nDBMSKind, LPCWSTR pszFormattedName, CProcParamsArray& params,
                               bool bHasReturnValue, ProcCallForm form);
ProcCallForm ChooseProcCallForm(int nDBMSKind, bool bHasReturnValue, bool bPostgreSQLProcedure);
// Whether a function's value comes back as column 1 of the result rather than in a marker.
bool IsReturnValueInResult(int nDBMSKind, const CProcParamsArray& params, bool bHasReturnValue);

// Adds every placeholder parameter to the recordset (after Prepare), converted by its SQL type.
// False with the message ("Invalid data", "Not even length of data") when a value does not
// convert. bUtf8Output: output text bound as UTF-8 (MariaDB).
bool BindProcedureParams(CRRecordset& rs, const CProcParamsArray& params, bool bHasReturnValue,
                         bool bUtf8Output, CString& strError);
// After the execution: values of bound output parameters, and a function's value from column
// 1 of the result when it comes back there.
void ReadProcedureOutputs(CRRecordset& rs, CProcParamsArray& params, bool bReturnInResult);
// One line "name: cut at ..." for each value ReadProcedureOutputs found cut; "" when none was.
CString DescribeCutOutputs(const CProcParamsArray& params);

// Reads and drops whatever results of the call are left (MariaDB hands OUT values back as a
// result of their own). Until then MariaDB's connection refuses every other statement with
// "Commands out of sync", even one made only to quote a name. Call it once the outputs are read.
void FinishProcedureCall(CRRecordset& rs);

// PostgreSQL: whether the routine is a procedure (pg_proc.prokind 'p'), which takes CALL; an
// empty schema is the search path's. Database errors pass.
bool IsPostgreSQLProcedure(CRDatabase* pDatabase, const CStringPair& name);

class CRDatabaseHelper;
// The parameters of the procedure from the catalog connection, in catalog order (a return value
// first where AddProcedureParam puts it). Database errors pass.
void ReadProcedureParams(CRDatabaseHelper& helper, const CStringPair& name,
                         CProcParamsArray& params, bool& bHasReturnValue);
// The call statement for the connection: the form by product (for PostgreSQL by what the
// routine is), the name quoted for the catalog connection.
CString BuildProcedureCall(CRDatabaseHelper& helper, const CStringPair& name,
                           CProcParamsArray& params, bool bHasReturnValue);
