// Procedure calls without a connection: parameters as read, the call text per product and the
// conversion of typed values, bad input above all.
#include "services/proc_call.h"

#include "dbaccess/recordset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string A(const CString& s)
{
    std::string out;
    for (int i = 0; i < s.GetLength(); ++i)
        out += static_cast<char>(s[i]);
    return out;
}

CRProcedureColumns::CProcedureColumnInfo Col(LPCWSTR name, int columnType, int dataType,
                                             int size = 10)
{
    CRProcedureColumns::CProcedureColumnInfo c;
    std::memset(&c, 0, sizeof(c));
    wcscpy(c.szColumnName, name);
    c.nColumnType = columnType;
    c.nDataType = dataType;
    c.nColumnSize = size;
    return c;
}

struct Call
{
    CProcParamsArray params;
    bool bReturn = false;
    int nKind;
    explicit Call(int kind) : nKind(kind) {}
    Call& Add(LPCWSTR name, int columnType, int dataType, LPCWSTR value = nullptr, int size = 10)
    {
        AddProcedureParam(params, Col(name, columnType, dataType, size), nKind, bReturn);
        if (value)
            params[params.GetSize() - 1].m_strValue = value;
        else if (columnType == SQL_PARAM_INPUT || columnType == SQL_PARAM_TYPE_UNKNOWN)
            params[params.GetSize() - 1].m_bNull = 1;
        return *this;
    }
    CString Text(bool bProcedure = false)
    {
        return BuildProcedureCallText(nKind, L"P", params, bReturn,
                                      ChooseProcCallForm(nKind, bReturn, bProcedure));
    }
};

TEST(ProcCallText, EveryValueIsAMarkerAndNullStaysNull)
{
    Call c(DBMS_ORACLE);
    c.Add(L"A", SQL_PARAM_INPUT, SQL_INTEGER, L"1, 'x'); drop table victim; --")
        .Add(L"B", SQL_PARAM_INPUT, SQL_VARCHAR, L"O'Brien\\")
        .Add(L"C", SQL_PARAM_INPUT, SQL_VARCHAR)
        .Add(L"D", SQL_PARAM_INPUT_OUTPUT, SQL_INTEGER, L"3")
        .Add(L"E", SQL_PARAM_OUTPUT, SQL_VARCHAR);
    EXPECT_EQ("{ call P(?,?,NULL,?,?) }", A(c.Text()));
    EXPECT_EQ(1u, c.params[0].m_nParamNumber);
    EXPECT_EQ(0, c.params[2].m_bPlaceholder);
    EXPECT_EQ(4u, c.params[4].m_nParamNumber);
}

TEST(ProcCallText, ReturnValuePerProduct)
{
    // SQL Server and Oracle: a marker in front; the return value is read first.
    Call ss(DBMS_MSSQL);
    ss.Add(L"A", SQL_PARAM_INPUT, SQL_INTEGER, L"1").Add(L"@RETURN", SQL_RETURN_VALUE, SQL_INTEGER);
    EXPECT_TRUE(ss.bReturn);
    EXPECT_EQ("@RETURN", A(ss.params[0].m_info.szColumnName));
    EXPECT_EQ("{ ? = call P(?) }", A(ss.Text()));
    EXPECT_EQ(1u, ss.params[0].m_nParamNumber);
    EXPECT_EQ(2u, ss.params[1].m_nParamNumber);
    EXPECT_FALSE(IsReturnValueInResult(DBMS_MSSQL, ss.params, ss.bReturn));

    // MySQL: a function by SELECT, its value from the result; a procedure by the escape.
    Call my(DBMS_MYSQL);
    my.Add(L"", SQL_RETURN_VALUE, SQL_INTEGER).Add(L"a", SQL_PARAM_INPUT, SQL_INTEGER, L"1");
    EXPECT_EQ("SELECT P(?)", A(my.Text()));
    EXPECT_EQ(0, my.params[0].m_bPlaceholder);
    EXPECT_EQ(1u, my.params[1].m_nParamNumber);
    EXPECT_TRUE(IsReturnValueInResult(DBMS_MYSQL, my.params, my.bReturn));
    Call myProc(DBMS_MYSQL);
    myProc.Add(L"a", SQL_PARAM_INPUT, SQL_INTEGER, L"1").Add(L"b", SQL_PARAM_OUTPUT, SQL_INTEGER);
    EXPECT_EQ("{ call P(?,?) }", A(myProc.Text()));

    // PostgreSQL: the value is listed like a parameter but passes no argument and no marker;
    // procedures go by CALL.
    Call pg(DBMS_POSTGRESQL);
    pg.Add(L"returnValue", SQL_RETURN_VALUE, SQL_INTEGER)
        .Add(L"a", SQL_PARAM_INPUT, SQL_INTEGER, L"5");
    EXPECT_FALSE(pg.bReturn);
    EXPECT_EQ("{ call P(?) }", A(pg.Text()));
    EXPECT_EQ(0, pg.params[0].m_bPlaceholder);
    EXPECT_TRUE(IsReturnValueInResult(DBMS_POSTGRESQL, pg.params, pg.bReturn));
    Call pgProc(DBMS_POSTGRESQL);
    pgProc.Add(L"a", SQL_PARAM_INPUT, SQL_INTEGER, L"1")
        .Add(L"b", SQL_PARAM_INPUT_OUTPUT, SQL_INTEGER, L"2");
    EXPECT_EQ("CALL P(?,?)", A(pgProc.Text(true)));
}

TEST(ProcCallText, HiddenTypesAndInputs)
{
    Call c(DBMS_OTHER);
    c.Add(L"cursor", SQL_PARAM_OUTPUT, -404).Add(L"x", SQL_PARAM_OUTPUT, SQL_INTEGER);
    EXPECT_EQ(1, c.params.GetSize());
    EXPECT_FALSE(HasInputParams(c.params));
    c.Add(L"u", SQL_PARAM_TYPE_UNKNOWN, SQL_INTEGER, L"4");
    EXPECT_TRUE(HasInputParams(c.params));
    EXPECT_EQ(1, c.params[1].m_bUnknownDirection);
    EXPECT_TRUE(IsCharSQLType(-10) && IsCharSQLType(1) && !IsCharSQLType(4));
    EXPECT_TRUE(IsDateTimeSQLType(93) && IsDateTimeSQLType(9) && !IsDateTimeSQLType(-155));
}

// Only a size that bounds the value limits its editor: PostgreSQL keeps no length of a
// parameter, and long types and absent sizes are the driver's own figures.
TEST(ProcCallText, DeclaredSizeBoundsTheValueOnlyWhereTheDatabaseKeepsIt)
{
    Call my(DBMS_MYSQL);
    my.Add(L"v", SQL_PARAM_INPUT, SQL_WVARCHAR, nullptr, 10)
        .Add(L"b", SQL_PARAM_INPUT, SQL_VARBINARY, nullptr, 4)
        .Add(L"t", SQL_PARAM_INPUT, SQL_WLONGVARCHAR, nullptr, 65535)
        .Add(L"n", SQL_PARAM_INPUT, SQL_INTEGER, nullptr, 10)
        .Add(L"z", SQL_PARAM_INPUT, SQL_VARCHAR, nullptr, 0)
        .Add(L"h", SQL_PARAM_INPUT, SQL_VARCHAR, nullptr, 0x7FFFFFFF);
    std::string bounds;
    for (INT_PTR i = 0; i < my.params.GetSize(); ++i)
        bounds += my.params[i].m_bSizeIsLimit ? '1' : '0';
    EXPECT_EQ("110000", bounds);

    Call pg(DBMS_POSTGRESQL);
    pg.Add(L"v", SQL_PARAM_INPUT, SQL_VARCHAR, nullptr, 255)
        .Add(L"c", SQL_PARAM_INPUT, SQL_CHAR, nullptr, 5)
        .Add(L"t", SQL_PARAM_INPUT, SQL_LONGVARCHAR, nullptr, 8190);
    for (INT_PTR i = 0; i < pg.params.GetSize(); ++i)
        EXPECT_EQ(0, pg.params[i].m_bSizeIsLimit) << i;
}

// The message a value gives when bound, or "" when it converts.
std::string BindError(int dataType, LPCWSTR value, int columnType = SQL_PARAM_INPUT)
{
    Call c(DBMS_OTHER);
    c.Add(L"p", columnType, dataType, value, 4);
    c.Text();
    CRRecordset rs(nullptr);
    CString error;
    const bool ok = BindProcedureParams(rs, c.params, false, false, error);
    EXPECT_EQ(ok, error.IsEmpty());
    return A(error);
}

TEST(ProcCallBinding, ConversionTableRefusesBadInput)
{
    EXPECT_EQ("", BindError(SQL_INTEGER, L" 42 "));
    EXPECT_EQ("Invalid data", BindError(SQL_INTEGER, L"1, 'x'); drop table victim; --"));
    EXPECT_EQ("Invalid data", BindError(SQL_INTEGER, L"12abc"));
    EXPECT_EQ("Invalid data", BindError(SQL_INTEGER, L""));
    EXPECT_EQ("Invalid data", BindError(SQL_INTEGER, L"4294967296"));
    EXPECT_EQ("Invalid data", BindError(SQL_SMALLINT, L"40000"));
    EXPECT_EQ("", BindError(SQL_TINYINT, L"200"));
    EXPECT_EQ("", BindError(SQL_TINYINT, L"-128"));
    EXPECT_EQ("Invalid data", BindError(SQL_TINYINT, L"256"));
    EXPECT_EQ("", BindError(SQL_DOUBLE, L"-1.5e3"));
    EXPECT_EQ("Invalid data", BindError(SQL_DOUBLE, L"1.5.2"));
    EXPECT_EQ("Invalid data", BindError(SQL_NUMERIC, L"1;"));
    EXPECT_EQ("", BindError(SQL_NUMERIC, L"123456789012345678901234567890.5"));
    EXPECT_EQ("Invalid data", BindError(SQL_BIT, L"yes"));
    EXPECT_EQ("", BindError(SQL_BIGINT, L"-9223372036854775808"));
    EXPECT_EQ("Invalid data", BindError(SQL_BIGINT, L"9223372036854775808"));
    EXPECT_EQ("Not even length of data", BindError(SQL_VARBINARY, L"ABC"));
    EXPECT_EQ("Invalid data", BindError(SQL_VARBINARY, L"0G"));
    EXPECT_EQ("", BindError(SQL_VARBINARY, L"00fF"));
    EXPECT_EQ("", BindError(SQL_TYPE_DATE, L"2020-12-31"));
    EXPECT_EQ("Invalid data", BindError(SQL_TYPE_TIMESTAMP, L"yesterday"));
    EXPECT_EQ("", BindError(SQL_VARCHAR, L"'); --"));
    // Output-only values start as NULL, whatever the field held.
    EXPECT_EQ("", BindError(SQL_INTEGER, L"junk", SQL_PARAM_OUTPUT));
}

} // namespace
