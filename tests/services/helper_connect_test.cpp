// Connecting the database helper on the fake driver: reopening with the cursor library, the
// cursor type chosen for editing, the catalog connection of Microsoft SQL Server, failures that
// must leave nothing open; and the capability answers that depend on the connection.
//
// The driver manager's cursor library is broken here (its connections answer no information):
// the helper then opens once more without it. So a reopen shows as two connects or more.
#include "services/database_helper.h"
#include "services/service_options.h"

#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::Catch;
using QlTestDb::FakeLog;

// The three options the helper reads, bound for one test and restored afterwards.
class HelperConnect : public ::testing::Test
{
protected:
    void SetUp() override { BindServiceOptions({&m_cancelExec, &m_cursorLib, &m_useCursor}); }
    void TearDown() override { BindServiceOptions({}); }

    bool Connect(LPCWSTR connect) { return m_helper.Connect(connect, nullptr, 0, 0, 0); }
    int Connects() const
    {
        const CString log = m_log.Read();
        int n = 0;
        for (int at = log.Find(L"CONNECT"); at >= 0; at = log.Find(L"CONNECT", at + 1))
            ++n;
        return n;
    }

    int m_cancelExec = 0;
    int m_cursorLib = 1;
    int m_useCursor = 1;
    FakeLog m_log;
    CRDatabaseHelper m_helper;
};

TEST_F(HelperConnect, OracleDriversBefore12_2ReopenWithTheCursorLibrary)
{
    struct Case
    {
        LPCWSTR version;
        bool reopens;
    };
    for (const Case& c : {Case{L"11.02.0000", true}, Case{L"12.01.0000", true},
                          Case{L"12.02.0001", false}, Case{L"19.03", false}})
    {
        m_log.Clear();
        ASSERT_TRUE(Connect(m_log.Connect(L"Oracle", CString(L"DriverVer=") + c.version)))
            << CStringA(c.version).GetString();
        EXPECT_EQ(m_helper.GetDBMSKind(), DBMS_ORACLE);
        if (c.reopens)
            EXPECT_GE(Connects(), 2) << CStringA(c.version).GetString();
        else
        {
            EXPECT_EQ(Connects(), 1) << CStringA(c.version).GetString();
            EXPECT_EQ(m_helper.GetOpenMode(), 0u);
        }
        EXPECT_EQ(m_helper.GetCursorType(), 1u);
    }
}

TEST_F(HelperConnect, DriverSectionOfOdbcinstStandsForTheProduct)
{
    // An Oracle 11.2 client registered as its own driver entry.
    ASSERT_TRUE(Connect(L"Driver={Oracle in OraClient11g};Log=" + m_log.Path() + L";"));
    EXPECT_EQ(m_helper.GetDBMSKind(), DBMS_ORACLE);
    EXPECT_GE(Connects(), 2);
    m_log.Clear();
    ASSERT_TRUE(Connect(L"Driver={Firebird/InterBase(r) driver};DBName=/tmp/x.fdb;Log=" +
                        m_log.Path() + L";"));
    EXPECT_EQ(m_helper.GetDBMSKind(), DBMS_FIREBIRD);
    EXPECT_EQ(Connects(), 1);
}

TEST_F(HelperConnect, CursorTypeFollowsScrollOptionsAndPositionedUpdates)
{
    const UINT kAnyType = 99;
    struct Case
    {
        int useCursor;
        LPCWSTR extra;
        UINT cursorType;
        int connects;
    };
    const Case cases[] = {
        // Static without positioned updates still comes first when nothing offers them.
        {1, L"", 1, 1},
        // Only the dynamic cursor updates in place: it wins while "Use cursor for edit" is on.
        {1, L"ScrollOptions=0x17;StaticAttr1=7;KeysetAttr1=0;DynamicAttr1=0x2000;", 3, 1},
        {0, L"ScrollOptions=0x17;StaticAttr1=7;KeysetAttr1=0;DynamicAttr1=0x2000;", 1, 1},
        // Keyset and dynamic without the option: the first of them in order.
        {0, L"ScrollOptions=0x07;", 0, 1},
        // A failed attribute read passes the candidate over.
        {1, L"ScrollOptions=0x17;StaticAttr1=fail;KeysetAttr1=0x4000;", 0, 1},
        // No scrollable cursor at all: reopened with the cursor library (whose answer depends
        // on whether it works).
        {1, L"ScrollOptions=0x01;", kAnyType, 2},
    };
    for (const Case& c : cases)
    {
        m_useCursor = c.useCursor;
        m_log.Clear();
        ASSERT_TRUE(Connect(m_log.Connect(L"PostgreSQL", c.extra)))
            << CStringA(c.extra).GetString();
        if (c.cursorType != kAnyType)
            EXPECT_EQ(m_helper.GetCursorType(), c.cursorType) << CStringA(c.extra).GetString();
        if (c.connects == 1)
            EXPECT_EQ(Connects(), 1) << CStringA(c.extra).GetString();
        else
            EXPECT_GE(Connects(), c.connects) << CStringA(c.extra).GetString();
    }
}

TEST_F(HelperConnect, CursorLibrarySettingOpensWithItAndStillWorksWhereItIsBroken)
{
    m_cursorLib = 0;
    ASSERT_TRUE(Connect(m_log.Connect(L"Oracle", L"DriverVer=11.02.0000;ScrollOptions=1;")));
    EXPECT_EQ(m_helper.GetDBMSKind(), DBMS_ORACLE);
    EXPECT_LE(Connects(), 2); // no Oracle or scrolling reopen on top
    EXPECT_EQ(m_helper.GetCursorType(), 1u);

    // Drivers whose connections lose their information under the cursor library keep working
    // without it.
    for (const CString& connect : {QlTestDb::PostgresConnect(), QlTestDb::MariaDBConnect()})
    {
        auto e = Catch([&] { ASSERT_TRUE(Connect(connect)); });
        ASSERT_FALSE(e) << QlConnTest::Narrow(e->m_strError);
        EXPECT_EQ(QlConnTest::Narrow(QlConnTest::QueryText(m_helper.GetDatabase(), L"SELECT 40+2")),
                  "42")
            << QlConnTest::Narrow(connect);
        if (connect == QlTestDb::PostgresConnect())
            EXPECT_EQ(m_helper.GetDBMSKind(), DBMS_POSTGRESQL);
    }
    m_helper.Close();
    ASSERT_TRUE(Connect(QlTestDb::PostgresConnect()));
    EXPECT_EQ(m_helper.GetDBMSKind(), DBMS_POSTGRESQL);
    EXPECT_GE(m_helper.GetServerMajorVersion(), 9);
}

TEST_F(HelperConnect, MicrosoftSQLServerOpensACatalogConnectionAndReconnectsBoth)
{
    ASSERT_TRUE(Connect(m_log.Connect(L"Microsoft SQL Server", L"DBMSVer=09.00.1399;")));
    EXPECT_EQ(Connects(), 2);
    EXPECT_NE(&m_helper.GetCatalogDatabase(), &m_helper.GetDatabase());
    EXPECT_TRUE(m_helper.GetCatalogDatabase().IsOpen());
    EXPECT_EQ(m_helper.GetServerMajorVersion(), 9);
    EXPECT_TRUE(m_helper.CanShowTableConstraints(DBOBJ_TABLE));

    ASSERT_TRUE(m_helper.DoReconnect(nullptr, 0, 0, 0));
    EXPECT_EQ(Connects(), 4);
    EXPECT_TRUE(m_helper.GetCatalogDatabase().IsOpen());

    m_helper.Close();
    EXPECT_FALSE(m_helper.IsOpen());
    EXPECT_EQ(&m_helper.GetCatalogDatabase(), &m_helper.GetDatabase());

    // SQL Server 2000 has no constraint views.
    ASSERT_TRUE(Connect(m_log.Connect(L"Microsoft SQL Server", L"DBMSVer=08.00.2039;")));
    EXPECT_EQ(m_helper.GetServerMajorVersion(), 8);
    EXPECT_FALSE(m_helper.CanShowTableConstraints(DBOBJ_TABLE));
}

TEST_F(HelperConnect, FailuresLeaveBothConnectionsClosed)
{
    // Connected first, so that a failure has something to close.
    ASSERT_TRUE(Connect(m_log.Connect(L"Microsoft SQL Server")));
    ASSERT_TRUE(m_helper.GetCatalogDatabase().IsOpen());

    // The server version cannot be read: false, and nothing stays open.
    EXPECT_FALSE(Connect(m_log.Connect(L"Microsoft SQL Server", L"NoDBMSVer=1;")));
    EXPECT_FALSE(m_helper.GetDatabase().IsOpen());
    EXPECT_EQ(m_helper.GetDBMSKind(), DBMS_OTHER);

    ASSERT_TRUE(Connect(m_log.Connect(L"Microsoft SQL Server")));
    auto e = Catch([&] { Connect(m_log.Connect(L"Oracle", L"FailConnect=1;")); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_strSQLState, CString(L"28001"));
    EXPECT_FALSE(m_helper.IsOpen());

    // A cancelled driver prompt is no error.
    EXPECT_FALSE(Connect(m_log.Connect(L"Oracle", L"Prompt=Cancel;")));
    EXPECT_FALSE(m_helper.IsOpen());

    // A reconnect with nothing to reconnect.
    EXPECT_FALSE(m_helper.DoReconnect(nullptr, 0, 0, 0));
}

TEST_F(HelperConnect, CapabilitiesFollowTheConnectedProduct)
{
    // Nothing connected: the unknown product.
    EXPECT_TRUE(m_helper.CanRenameObject(DBOBJ_TABLE));
    EXPECT_FALSE(m_helper.CanRenameObject(DBOBJ_VIEW));
    EXPECT_TRUE(m_helper.CanReadKeyInfo());
    EXPECT_FALSE(m_helper.CanListTriggers());

    ASSERT_TRUE(Connect(m_log.Connect(L"ACCESS")));
    EXPECT_FALSE(m_helper.CanRenameObject(DBOBJ_TABLE));
    EXPECT_FALSE(m_helper.CanReadKeyInfo());
    EXPECT_TRUE(m_helper.CanDropIndex());
    EXPECT_FALSE(m_helper.CanGetObjectSource(DBOBJ_VIEW));

    ASSERT_TRUE(Connect(m_log.Connect(L"Oracle", L"DriverVer=12.02.0001;")));
    EXPECT_TRUE(m_helper.IsOracle());
    EXPECT_TRUE(m_helper.CanShowObjectErrors(DBOBJ_PACKAGE));
    EXPECT_FALSE(m_helper.CanShowObjectErrors(DBOBJ_TABLE));
    EXPECT_TRUE(m_helper.CanGetObjectSource(DBOBJ_TRIGGER));
    EXPECT_TRUE(m_helper.CanRenameObject(DBOBJ_TRIGGER));
    EXPECT_TRUE(m_helper.CanExplainObject(DBOBJ_VIEW));
    EXPECT_FALSE(m_helper.CanExplainObject(DBOBJ_PROCEDURE));

    ASSERT_TRUE(Connect(m_log.Connect(L"PostgreSQL")));
    EXPECT_FALSE(m_helper.IsOracle());
    EXPECT_TRUE(m_helper.CanRenameObject(DBOBJ_CONSTRAINT));
    EXPECT_FALSE(m_helper.CanListTriggers());
    EXPECT_FALSE(m_helper.CanShowTableTriggers(DBOBJ_TABLE));
    EXPECT_TRUE(m_helper.SupportsExecutionPlan());

    ASSERT_TRUE(Connect(m_log.Connect(L"MySQL")));
    EXPECT_FALSE(m_helper.CanRenameColumn());
    EXPECT_TRUE(m_helper.CanShowTableTriggers(DBOBJ_TABLE));
    EXPECT_FALSE(m_helper.CanShowTableTriggers(DBOBJ_VIEW));

    // Object kinds outside 1..7 are never supported.
    for (int kind : {-1, 0, 8, 31, 40})
    {
        EXPECT_FALSE(m_helper.CanRenameObject(kind)) << kind;
        EXPECT_FALSE(m_helper.CanGetObjectSource(kind)) << kind;
    }
}

} // namespace
