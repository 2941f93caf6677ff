// Object operations of the database helper end to end on the fake driver, answering as the
// products that cannot run here (Access, the two SQL Server drivers, Oracle, Firebird) with
// canned result sets: the statements sent, and what the helper makes of the answers.
#include "services/database_helper.h"
#include "services/object_source.h"
#include "services/service_options.h"

#include "tests/dbaccess/conn_test_util.h"
#include "tests/services/object_sql_test_util.h"

#include <gtest/gtest.h>

namespace {

using qlobjsql::A;
using QlTestDb::FakeLog;

class ObjectSqlFake : public ::testing::Test
{
protected:
    void SetUp() override { BindServiceOptions({&m_cancelExec, &m_cursorLib, &m_useCursor}); }
    void TearDown() override
    {
        for (const CString& box : m_boxes.Take())
            ADD_FAILURE() << "unexpected message box: " << A(box);
        m_helper.Close();
        BindServiceOptions({});
    }

    // Connects as the product; the canned answers are saved first.
    void Connect(LPCWSTR product, LPCWSTR extra = L"")
    {
        m_canned.Save();
        ASSERT_TRUE(m_helper.Connect(m_log.Connect(product, m_canned.ConnectKey() + extra), nullptr,
                                     0, 0, 0));
        m_log.Clear();
    }
    // Whether the driver received exactly this statement.
    bool Sent(const CString& sql) const
    {
        return (L"\n" + m_log.Read()).Find(L"\n" + sql + L"\n") >= 0;
    }
    // The statements the driver received, without its catalog calls.
    std::string Log() const
    {
        std::string log = A(m_log.Read()), statements;
        for (size_t at = 0; at < log.size();)
        {
            size_t end = log.find('\n', at);
            end = end == std::string::npos ? log.size() : end + 1;
            const std::string line = log.substr(at, end - at);
            if (!(line.rfind("SQL", 0) == 0 && line.find('(') != std::string::npos))
                statements += line;
            at = end;
        }
        return statements;
    }

    int m_cancelExec = 0;
    int m_cursorLib = 1;
    int m_useCursor = 1;
    FakeLog m_log;
    qlobjsql::CCannedAnswers m_canned;
    qlobjsql::CMessageBoxCatcher m_boxes;
    CRDatabaseHelper m_helper;
};

// A wait dialog stand-in: cancels at a given pump, records the texts.
class CRecordingProgress : public IReadProgress
{
public:
    explicit CRecordingProgress(int nCancelAt = -1) : m_nCancelAt(nCancelAt) {}
    bool PumpMessages() override { return ++m_nPumps == m_nCancelAt; }
    void SetMessageText(LPCWSTR psz) override { m_messages.push_back(A(psz)); }
    void SetInfoText(LPCWSTR psz) override { m_infos.push_back(A(psz)); }

    int m_nCancelAt;
    int m_nPumps = 0;
    std::vector<std::string> m_messages, m_infos;
};

TEST_F(ObjectSqlFake, AccessDropsViewsAsTablesAndRenamesNothing)
{
    Connect(L"ACCESS");
    EXPECT_TRUE(m_helper.DropObject(DBOBJ_VIEW, CStringPair(L"", L"Monthly Sums")));
    EXPECT_TRUE(Sent(L"DROP TABLE [Monthly Sums]") || Sent(L"DROP TABLE \"Monthly Sums\""))
        << Log();
    m_log.Clear();
    EXPECT_FALSE(m_helper.RenameObject(DBOBJ_TABLE, CStringPair(L"", L"t"), L"u"));
    EXPECT_FALSE(m_helper.RenameColumn(CStringPair(L"", L"t"), L"a", L"b"));
    EXPECT_TRUE(m_helper.DropIndex(CStringPair(L"", L"t"), L"", L"ix"));
    EXPECT_EQ(Log(), "drop index ix on t\n");
}

TEST_F(ObjectSqlFake, OracleSourceTextPackagesAndViews)
{
    m_canned.Statement(L"SELECT TEXT FROM ALL_SOURCE WHERE TYPE=N'PACKAGE' AND OWNER=N'SCOTT'")
        .Columns(L"TEXT")
        .Row(L"package P is\\n")
        .Row(L"end;\\n")
        .Statement(L"SELECT TEXT FROM ALL_SOURCE WHERE TYPE=N'PACKAGE BODY' AND OWNER=N'SCOTT' "
                   L"AND NAME=N'P'")
        .Columns(L"TEXT")
        .Row(L"package body P is\\n")
        .Statement(L"SELECT TEXT FROM ALL_SOURCE WHERE TYPE=N'PACKAGE BODY' AND OWNER=N'SCOTT' "
                   L"AND NAME=N'NOBODY'")
        .Columns(L"TEXT")
        .Statement(L"SELECT TEXT FROM ALL_SOURCE WHERE TYPE=N'PACKAGE BODY' AND OWNER=N'SCOTT' "
                   L"AND NAME=N'SECRET'")
        .Error(L"42000", L"[Fake] insufficient privileges")
        .Statement(L"SELECT TEXT FROM ALL_VIEWS WHERE OWNER=N'SCOTT' AND VIEW_NAME=N'O''V'")
        .Columns(L"TEXT")
        .Row(L"select 1 from dual")
        .Statement(L"SELECT TEXT FROM ALL_VIEWS WHERE OWNER=N'SCOTT' AND VIEW_NAME=N'GONE'")
        .Columns(L"TEXT");
    Connect(L"Oracle");

    CString text;
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(L"SCOTT", L"P"), DBOBJ_PACKAGE, text));
    EXPECT_EQ(A(text),
              "package P is\nend;\n" + A(GetPackageBodySeparator()) + "package body P is\n");
    EXPECT_TRUE(Sent(L"SELECT TEXT FROM ALL_SOURCE WHERE TYPE=N'PACKAGE' AND OWNER=N'SCOTT' AND "
                     L"NAME=N'P' ORDER BY LINE"))
        << Log();

    // No body, or a body that cannot be read: the package header alone.
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(L"SCOTT", L"NOBODY"), DBOBJ_PACKAGE, text));
    EXPECT_EQ(A(text), "package P is\nend;\n");
    EXPECT_TRUE(m_helper.GetObjectSource(CStringPair(L"SCOTT", L"SECRET"), DBOBJ_PACKAGE, text));
    EXPECT_TRUE(m_boxes.Take().empty());
    EXPECT_EQ(A(text), "package P is\nend;\n");

    // A view: its text; a missing one is no failure, only empty.
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(L"SCOTT", L"O'V"), DBOBJ_VIEW, text));
    EXPECT_EQ(A(text), "select 1 from dual");
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(L"SCOTT", L"GONE"), DBOBJ_VIEW, text));
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(ObjectSqlFake, OracleListsErrorsAndConstraints)
{
    m_canned.Statement(L"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='PACKAGE'")
        .Columns(L"OWNER|OBJECT_NAME")
        .Row(L"A|PKG1")
        .Row(L"B|PKG2")
        .Statement(L"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE STATUS='INVALID'")
        .Columns(L"OWNER|OBJECT_NAME")
        .Row(L"A|PKG1")
        .Statement(L"SELECT LINE, POSITION, TEXT FROM ALL_ERRORS")
        .Columns(L"LINE:int|POSITION:int|TEXT")
        .Row(L"3|7|PLS-00103: Encountered the symbol")
        .Row(L"9|1|PL/SQL: Statement ignored")
        .Statement(L"select OWNER, CONSTRAINT_NAME")
        .Columns(L"A|B|C:int|D|E|F|G|H")
        .Row(L"S|CK_CODE|1|length(code) < 10|S|PARENT|\\N|\\N")
        .Row(L"S|FK_1|3|\\N|S|CHILD|S|PARENT");
    Connect(L"Oracle");

    CDBObjectsArray packages;
    packages.Add(CIndexedDBObject(L"kept", L"row", 5));
    ASSERT_TRUE(m_helper.ReadPackagesNow(packages, L"A"));
    ASSERT_EQ(packages.GetSize(), 3); // appended, nothing emptied
    EXPECT_EQ(packages[0].m_nIndex, 5);
    EXPECT_EQ(A(packages[2].m_strSecond), "PKG2");
    EXPECT_EQ(packages[2].m_nIndex, -1);
    EXPECT_TRUE(Sent(L"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='PACKAGE' AND "
                     L"OWNER=N'A' ORDER BY OWNER, OBJECT_NAME"))
        << Log();

    CDBObjectsArray invalid;
    ASSERT_TRUE(m_helper.GetInvalidObjects(nullptr, nullptr, DBOBJ_PACKAGE, invalid));
    EXPECT_TRUE(invalid.Find(L"A", L"PKG1"));
    EXPECT_TRUE(Sent(L"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE STATUS='INVALID' AND "
                     L"OBJECT_TYPE='PACKAGE'"));

    CDBObjErrorsArray errors;
    ASSERT_TRUE(m_helper.GetCompileErrors(errors, CStringPair(L"A", L"PKG1")));
    ASSERT_EQ(errors.GetSize(), 2);
    EXPECT_EQ(errors[0].m_nLine, 3);
    EXPECT_EQ(errors[0].m_nPosition, 7);
    EXPECT_EQ(A(errors[1].m_strText), "PL/SQL: Statement ignored");

    CDBConstraintInfoArray constraints;
    constraints.Add(CDBConstraintInfo()); // emptied first
    ASSERT_TRUE(m_helper.GetTableConstraints(constraints, CStringPair(L"S", L"PARENT"), nullptr));
    ASSERT_EQ(constraints.GetSize(), 2);
    EXPECT_EQ(constraints[0].m_nType, CDBConstraintInfo::typeCheck);
    EXPECT_EQ(A(constraints[0].m_strText), "length(code) < 10");
    EXPECT_EQ(A(constraints[1].m_strRefTableName), "PARENT");
    EXPECT_TRUE(constraints[0].m_strRefTableSchema.IsEmpty());

    // Oracle has no table triggers here; nothing is sent.
    m_log.Clear();
    CDBTriggerInfoArray triggers;
    EXPECT_FALSE(m_helper.GetTableTriggers(triggers, CStringPair(L"S", L"PARENT")));
    EXPECT_EQ(Log(), "");

    // Statements of the other operations, as the driver got them.
    EXPECT_TRUE(m_helper.DropObject(DBOBJ_FUNCTION, CStringPair(L"S", L"F1")));
    EXPECT_TRUE(m_helper.RenameObject(DBOBJ_TRIGGER, CStringPair(L"S", L"TR1"), L"TR2"));
    EXPECT_TRUE(m_helper.DropIndex(CStringPair(L"S", L"PARENT"), L"S", L"IX1"));
    EXPECT_FALSE(m_helper.RenameConstraint(constraints[0], L"CK2"));
    EXPECT_EQ(Log(), "DROP FUNCTION S.F1\nalter trigger S.TR1 rename to TR2\ndrop index S.IX1\n");
}

TEST_F(ObjectSqlFake, CompileErrorsReportDatabaseErrors)
{
    m_canned.Statement(L"SELECT LINE, POSITION, TEXT FROM ALL_ERRORS")
        .Error(L"42S02", L"[Fake] table or view does not exist");
    Connect(L"Oracle");
    CDBObjErrorsArray errors;
    EXPECT_FALSE(m_helper.GetCompileErrors(errors, CStringPair(L"A", L"B")));
    const std::vector<CString> boxes = m_boxes.Take();
    ASSERT_EQ(boxes.size(), 1u);
    // The driver manager gives the state in its ODBC 2 form.
    EXPECT_EQ(A(boxes[0]).rfind("ODBC error code: -1\nState: ", 0), 0u) << A(boxes[0]);
    EXPECT_TRUE(A(boxes[0]).ends_with("\ntable or view does not exist")) << A(boxes[0]);
}

TEST_F(ObjectSqlFake, MicrosoftSQLServerSourceProceduresAndTriggers)
{
    m_canned.Statement(L"sp_helptext N'dbo.p1'")
        .Columns(L"Text")
        .Row(L"create procedure p1 as\\r\\n")
        .Row(L"select 1\\r\\n")
        .Statement(L"SELECT sch.name, obj.name, obj.type FROM sys.objects")
        .Columns(L"S|N|T")
        .Row(L"dbo|p1;1|P ")
        .Row(L"dbo|f1|FN")
        .Row(L"sys|sp_x|PC")
        .Statement(L"exec sp_helptrigger N'dbo.t1'")
        .Columns(L"trigger_name|trigger_owner|isupdate:int|isdelete:int|isinsert:int|isafter:int|"
                 L"isinsteadof:int|trigger_schema")
        .Row(L"tr1|old owner|1|0|1|1|0|dbo")
        .Statement(L"exec sp_helptrigger N'dbo.t2'")
        .Columns(L"trigger_name|isupdate:int")
        .Row(L"tr2|1");
    Connect(L"Microsoft SQL Server", L"DBMSVer=15.00.2000;");

    CString text;
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(L"dbo", L"p1"), DBOBJ_PROCEDURE, text));
    EXPECT_EQ(A(text), "create procedure p1 as\r\nselect 1\r\n");

    CDBStoredProcsArray procs;
    ASSERT_TRUE(m_helper.ReadProceduresNow(procs, L"", nullptr));
    ASSERT_EQ(procs.GetSize(), 3);
    EXPECT_EQ(A(procs[0].m_strSecond), "p1");
    EXPECT_EQ(procs[0].m_nType, CDBStoredProcInfo::typeProcedure); // "P " trimmed
    EXPECT_EQ(procs[1].m_nType, CDBStoredProcInfo::typeFunction);
    EXPECT_EQ(procs[2].m_nType, CDBStoredProcInfo::typeProcedure);

    // From version 9 the schema comes from trigger_schema.
    CDBTriggerInfoArray triggers;
    ASSERT_TRUE(m_helper.GetTableTriggers(triggers, CStringPair(L"dbo", L"t1")));
    ASSERT_TRUE(m_helper.GetTableTriggers(triggers, CStringPair(L"dbo", L"t1")));
    ASSERT_EQ(triggers.GetSize(), 2); // appended
    EXPECT_EQ(A(triggers[0].m_strSchema), "dbo");
    EXPECT_EQ(triggers[0].m_nUpdate + triggers[0].m_nInsert + triggers[0].m_nAfter, 3);
    EXPECT_EQ(triggers[0].m_nDelete + triggers[0].m_nInsteadOf, 0);

    // A missing column is a database error, reported; the rows so far stay.
    EXPECT_FALSE(m_helper.GetTableTriggers(triggers, CStringPair(L"dbo", L"t2")));
    const std::vector<CString> boxes = m_boxes.Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(A(boxes[0]).find("Failed retrieving data from field"), std::string::npos);
    EXPECT_EQ(triggers.GetSize(), 2);

    m_log.Clear();
    CDBConstraintInfo unique;
    unique.m_strSchema = unique.m_strTableSchema = L"dbo";
    unique.m_strName = L"uq 1";
    unique.m_strTableName = L"t1";
    unique.m_nType = CDBConstraintInfo::typeUnique;
    EXPECT_TRUE(m_helper.RenameConstraint(unique, L"uq2"));
    EXPECT_TRUE(m_helper.RenameColumn(CStringPair(L"dbo", L"t1"), L"a b", L"c"));
    EXPECT_EQ(Log(), "{call sp_rename(N'dbo.t1.uq 1', N'uq2', N'index')}\n"
                     "{call sp_rename(N'dbo.t1.a b', N'c')}\n");
}

TEST_F(ObjectSqlFake, OldSQLServerDriverGivesTheTextAsSecondResult)
{
    m_canned.Statement(L"sp_helptext N'dbo.v1'")
        .Columns(L"status")
        .Row(L"ignored")
        .NextResult()
        .Columns(L"Text")
        .Row(L"create view v1\\r\\n")
        .Row(L"as select 1\\r\\n")
        .Statement(L"sp_helptext N'dbo.single'")
        .Columns(L"Text")
        .Row(L"no second result");
    Connect(L"SQL Server");
    CString text;
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(L"dbo", L"v1"), DBOBJ_VIEW, text));
    EXPECT_EQ(A(text), "create view v1\r\nas select 1\r\n");
    EXPECT_FALSE(m_helper.GetObjectSource(CStringPair(L"dbo", L"single"), DBOBJ_VIEW, text));
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(ObjectSqlFake, FirebirdTrimsNamesAndListsACheckOnce)
{
    m_canned.Statement(L"select NULL, rdb$trigger_name from rdb$triggers")
        .Columns(L"A|B")
        .Row(L"\\N|TR_ORDERS   ")
        .Statement(L"select NULL, r.rdb$constraint_name, 1")
        .Columns(L"A|B|C:int|D|E|F|G|H")
        .Row(L"\\N|CK_A   |1|check (a > 0)|\\N|ORDERS   |\\N|\\N")
        .Row(L"\\N|CK_A   |1|check (a > 0)|\\N|ORDERS   |\\N|\\N")
        .Row(L"\\N|FK_B   |3|\\N|\\N|ORDERS   |\\N|CUSTOMERS   ")
        .Statement(L"select rdb$trigger_name, rdb$trigger_type from rdb$triggers")
        .Columns(L"N|T:int")
        .Row(L"  TR_I |2")
        .Row(L"TR_D|5")
        .Statement(L"select rdb$view_source from rdb$relations where rdb$relation_name='V1'")
        .Columns(L"S")
        .Row(L"select 1 from rdb$database")
        .Statement(L"select rdb$view_source from rdb$relations where rdb$relation_name='NONE'")
        .Columns(L"S");
    Connect(L"Firebird");

    CDBObjectsArray triggers;
    ASSERT_TRUE(m_helper.ReadTriggersNow(triggers, L"ignored"));
    ASSERT_EQ(triggers.GetSize(), 1);
    EXPECT_TRUE(triggers.Find(L"", L"TR_ORDERS"));

    CRecordingProgress progress;
    CDBConstraintInfoArray constraints;
    ASSERT_TRUE(m_helper.ReadTableConstraints(constraints, CStringPair(L"", L"ORDERS"), &progress));
    ASSERT_EQ(constraints.GetSize(), 2);
    EXPECT_EQ(A(constraints[0].m_strName), "CK_A");
    EXPECT_EQ(A(constraints[1].m_strRefTableName), "CUSTOMERS");
    EXPECT_EQ(progress.m_nPumps, 2);
    EXPECT_EQ(progress.m_messages, (std::vector<std::string>{"ORDERS", "ORDERS"}));
    EXPECT_EQ(progress.m_infos, (std::vector<std::string>{"CK_A", "FK_B"}));

    CDBTriggerInfoArray tableTriggers;
    ASSERT_TRUE(m_helper.GetTableTriggers(tableTriggers, CStringPair(L"", L"ORDERS")));
    ASSERT_EQ(tableTriggers.GetSize(), 2);
    EXPECT_EQ(A(tableTriggers[0].m_strName), "TR_I");
    EXPECT_EQ(tableTriggers[0].m_nInsert + tableTriggers[0].m_nAfter, 2);
    EXPECT_EQ(tableTriggers[1].m_nDelete, 1);
    EXPECT_EQ(tableTriggers[1].m_nAfter, 0);

    CString text;
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(L"", L"V1"), DBOBJ_VIEW, text));
    EXPECT_EQ(A(text), "select 1 from rdb$database");
    // A missing object is a failure, without a message.
    EXPECT_FALSE(m_helper.GetObjectSource(CStringPair(L"", L"NONE"), DBOBJ_VIEW, text));

    m_log.Clear();
    EXPECT_TRUE(m_helper.DropColumn(CStringPair(L"", L"ORDERS"), L"NOTE"));
    EXPECT_FALSE(m_helper.RenameObject(DBOBJ_TABLE, CStringPair(L"", L"ORDERS"), L"X"));
    EXPECT_FALSE(m_helper.CanRenameObject(DBOBJ_TABLE));
    EXPECT_EQ(Log(), "alter table ORDERS drop NOTE\n");
}

TEST_F(ObjectSqlFake, ProcedureListStopsWhenCancelled)
{
    Connect(L"Oracle");
    // The fake catalog lists two procedures.
    CDBStoredProcsArray procs;
    CRecordingProgress cancelAtFirst(1);
    EXPECT_FALSE(m_helper.ReadProcedureList(procs, nullptr, &cancelAtFirst));
    ASSERT_EQ(procs.GetSize(), 1); // the rows so far stay
    EXPECT_TRUE(cancelAtFirst.m_infos.empty());

    CRecordingProgress progress;
    ASSERT_TRUE(m_helper.ReadProcedureList(procs, L"", &progress));
    ASSERT_EQ(procs.GetSize(), 3);
    EXPECT_EQ(progress.m_infos, (std::vector<std::string>{"SALES.ADD_ORDER", "SALES.GET_TOTAL"}));
    EXPECT_EQ(A(procs[1].m_strRemarks), "adds an order");
    EXPECT_EQ(procs[2].m_nType, CDBStoredProcInfo::typeFunction);
    EXPECT_NE(A(m_log.Read()).find("SQLProcedures(<null>|<null>|<null>)"), std::string::npos);

    // As a job the worker reads without the dialog.
    m_cancelExec = 1;
    CDBStoredProcsArray viaJob;
    ASSERT_TRUE(m_helper.GetProcedures(nullptr, L"SALES", viaJob));
    EXPECT_EQ(viaJob.GetSize(), 2);
}

} // namespace
