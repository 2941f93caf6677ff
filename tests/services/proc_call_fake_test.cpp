// Procedure calls on products that cannot run here, through the fake driver: the call text,
// the parameters as bound (direction, types, values) and the outputs read back.
#include "services/database_helper.h"
#include "services/proc_call.h"
#include "services/service_options.h"

#include "dbaccess/recordset.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::Catch;
using QlConnTest::Narrow;

class ProcCallFake : public ::testing::TestWithParam<const wchar_t*>
{
protected:
    void SetUp() override { BindServiceOptions({&m_cancelExec, &m_cursorLib, &m_useCursor}); }
    void TearDown() override
    {
        m_helper.Close();
        BindServiceOptions({});
    }
    int m_cancelExec = 0;
    int m_cursorLib = 1;
    int m_useCursor = 1;
    CRDatabaseHelper m_helper;
    QlTestDb::FakeLog m_log;
};

std::string Value(const CProcParamsArray& params, LPCWSTR name)
{
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
        if (CString(params[i].m_info.szColumnName) == name)
            return params[i].m_bNull ? "<NULL>" : Narrow(params[i].m_strValue);
    return "<missing>";
}

TEST_P(ProcCallFake, ReturnValueMarkerFirstAndEveryValueBound)
{
    auto e = Catch([&] {
        ASSERT_TRUE(m_helper.Connect(m_log.Connect(GetParam(), L"LogParams=1;"), nullptr, 0, 0, 0));
    });
    ASSERT_FALSE(e) << Narrow(e->m_strError);
    CProcParamsArray params;
    bool bReturn = false;
    CString sql, error;
    e = Catch([&] {
        ReadProcedureParams(m_helper, CStringPair(L"SALES", L"GET_TOTAL"), params, bReturn);
        ASSERT_EQ(5, params.GetSize());
        params[1].m_strValue = L"7";
        params[2].m_strValue = L"it's'); --";
        params[4].m_strValue = L"3";
        sql = BuildProcedureCall(m_helper, CStringPair(L"SALES", L"GET_TOTAL"), params, bReturn);
        CRRecordset rs(&m_helper.GetDatabase());
        rs.Prepare(sql, RS_FORWARD_ONLY, RS_READONLY);
        ASSERT_TRUE(BindProcedureParams(rs, params, bReturn, false, error)) << Narrow(error);
        rs.Execute();
        ReadProcedureOutputs(rs, params,
                             IsReturnValueInResult(m_helper.GetDBMSKind(), params, bReturn));
    });
    ASSERT_FALSE(e) << Narrow(e->m_strError);
    EXPECT_TRUE(bReturn);
    EXPECT_EQ("{ ? = call SALES.GET_TOTAL(?,?,?,?) }", Narrow(sql));
    const CString log = m_log.Read();
    const int at = log.Find(sql);
    ASSERT_GE(at, 0) << Narrow(log);
    EXPECT_EQ("\nPARAM 1 OUT c=4 sql=4 NULL\nPARAM 2 IN c=4 sql=4 7\n"
              "PARAM 3 IN c=-8 sql=12 'it's'); --'\nPARAM 4 OUT c=-8 sql=12 NULL\n"
              "PARAM 5 INOUT c=4 sql=4 3\n",
              Narrow(log.Mid(at + sql.GetLength())));
    EXPECT_EQ("101", Value(params, L"RETURN_VALUE"));
    EXPECT_EQ("out4", Value(params, L"P_OUT"));
    EXPECT_EQ("105", Value(params, L"P_IO"));
}

INSTANTIATE_TEST_SUITE_P(Products, ProcCallFake,
                         ::testing::Values(L"Oracle", L"Microsoft SQL Server"));

} // namespace
