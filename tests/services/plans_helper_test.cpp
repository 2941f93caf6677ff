// The helper's plan operations against the fake Oracle, SQL Server and MySQL: the statements in
// their order, the plan table made and dropped only by us, and consecutive statement ids.
#include "services/database_helper.h"
#include "services/plans.h"

#include "tests/dbaccess/test_databases.h"

#include <gtest/gtest.h>

namespace {

std::string A(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

class PlanHelper : public testing::Test
{
protected:
    void Open(LPCWSTR product, LPCWSTR extra = L"")
    {
        ASSERT_TRUE(m_helper.GetDatabase().Open(m_log.Connect(product, extra),
                                                CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    }
    std::string Log() { return A(m_log.Read()); }

    QlTestDb::FakeLog m_log;
    CRDatabaseHelper m_helper;
};

TEST_F(PlanHelper, OracleCreatesThePlanTableOnceAndDropsOnlyItsOwn)
{
    Open(L"Oracle", L"MissingTable=QUENLARK_PLAN_TABLE;");
    CString plan;
    UINT32 id = 0, second = 0;
    ASSERT_TRUE(m_helper.ExplainPlan(L"SELECT 1 FROM DUAL -- note\n;", plan, id));
    EXPECT_EQ(A(plan), A(BuildOraclePlanSelect(id)));
    ASSERT_TRUE(m_helper.ExplainPlan(L"SELECT 2 FROM DUAL", plan, second));
    EXPECT_EQ(second, id + 1);
    EXPECT_TRUE(m_helper.HasCreatedPlanTable());
    const std::string log = Log();
    EXPECT_EQ(log.find("CREATE TABLE QUENLARK_PLAN_TABLE"),
              log.rfind("CREATE TABLE QUENLARK_PLAN_TABLE"));
    EXPECT_NE(log.find(A(BuildOracleExplainSQL(id, L"SELECT 1 FROM DUAL"))), std::string::npos);
    EXPECT_TRUE(m_helper.ClearExplainPlan(id));
    EXPECT_NE(Log().find(A(BuildOraclePlanDelete(id))), std::string::npos);
    EXPECT_TRUE(m_helper.DropPlanTable());
    EXPECT_NE(Log().find("DROP TABLE QUENLARK_PLAN_TABLE"), std::string::npos);
    // The flag went with the table: a later close drops nothing, whatever database it is.
    EXPECT_FALSE(m_helper.HasCreatedPlanTable());
    EXPECT_FALSE(m_helper.DropPlanTable());
    EXPECT_EQ(Log().find("DROP TABLE"), Log().rfind("DROP TABLE"));
}

TEST_F(PlanHelper, OraclePlanTableThatExistedStays)
{
    Open(L"Oracle");
    CString plan;
    UINT32 id = 0;
    ASSERT_TRUE(m_helper.ExplainPlan(L"SELECT 1 FROM DUAL", plan, id));
    EXPECT_FALSE(m_helper.HasCreatedPlanTable());
    EXPECT_FALSE(m_helper.DropPlanTable());
    EXPECT_EQ(Log().find("CREATE TABLE"), std::string::npos);
    EXPECT_EQ(Log().find("DROP TABLE"), std::string::npos);
}

TEST_F(PlanHelper, SqlServerSwitchesShowplanAndMySqlExplains)
{
    Open(L"Microsoft SQL Server");
    CString plan;
    UINT32 id = 77;
    ASSERT_TRUE(m_helper.ExplainPlan(L"/* x */ SELECT a FROM t", plan, id));
    EXPECT_EQ(A(plan), "SELECT a FROM t");
    EXPECT_EQ(id, 77u);
    EXPECT_TRUE(m_helper.EndExplainPlan());
    const std::string log = Log();
    EXPECT_LT(log.find("SET SHOWPLAN_ALL ON"), log.find("SET SHOWPLAN_ALL OFF"));

    CRDatabaseHelper mysql;
    QlTestDb::FakeLog mysqlLog;
    ASSERT_TRUE(mysql.GetDatabase().Open(mysqlLog.Connect(L"MySQL"), CRDatabase::openNoPrompt,
                                         nullptr, 0, 0, 0));
    ASSERT_TRUE(mysql.ExplainPlan(L"SELECT a FROM t -- all\nWHERE a = 1", plan, id));
    EXPECT_EQ(A(plan), "EXPLAIN SELECT a FROM t \nWHERE a = 1");
    EXPECT_FALSE(mysql.ExplainPlan(L"-- only a comment", plan, id));
    EXPECT_FALSE(mysql.ClearExplainPlan(1));
    // MySQL plans run nothing until the window opens the EXPLAIN.
    EXPECT_EQ(A(mysqlLog.Read()).find("EXPLAIN"), std::string::npos);
}

TEST_F(PlanHelper, OtherProductsHaveNoPlans)
{
    Open(L"QuenlarkFake");
    CString plan;
    UINT32 id = 0;
    EXPECT_FALSE(m_helper.ExplainPlan(L"SELECT 1", plan, id));
    EXPECT_TRUE(m_helper.EndExplainPlan());
}

} // namespace
