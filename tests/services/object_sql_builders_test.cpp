// The product statements of object operations, built without a server: drop and rename, source
// text, stored-code lists, constraints and triggers, for every product kind.
#include "services/object_ddl.h"
#include "services/object_lists.h"
#include "services/object_source.h"
#include "services/table_constraints.h"

#include "services/database_helper.h"
#include "tests/services/object_sql_test_util.h"

#include <gtest/gtest.h>

namespace {

using qlobjsql::A;
using qlobjsql::CTestDialect;

const DBMSKind kAllKinds[] = {DBMS_OTHER, DBMS_ACCESS,   DBMS_SQLSERVER, DBMS_ORACLE,
                              DBMS_MSSQL, DBMS_FIREBIRD, DBMS_MYSQL,     DBMS_POSTGRESQL};

CDBConstraintInfo Constraint(int nType, LPCWSTR pszName = L"ck_a")
{
    CDBConstraintInfo c;
    c.m_strSchema = L"s";
    c.m_strName = pszName;
    c.m_nType = nType;
    c.m_strTableSchema = L"s";
    c.m_strTableName = L"Order Items";
    return c;
}

const CStringPair kTable(L"s", L"Order Items");

TEST(DropStatements, ObjectWordsByProductAndKind)
{
    struct Case
    {
        DBMSKind product;
        int kind;
        const char* sql;
    };
    const Case cases[] = {
        {DBMS_OTHER, DBOBJ_TABLE, "DROP TABLE s.\"Order Items\""},
        {DBMS_ACCESS, DBOBJ_VIEW, "DROP TABLE s.\"Order Items\""}, // queries are tables there
        {DBMS_ORACLE, DBOBJ_VIEW, "DROP VIEW s.\"Order Items\""},
        {DBMS_ORACLE, DBOBJ_PROCEDURE, "DROP PROCEDURE s.\"Order Items\""},
        {DBMS_ORACLE, DBOBJ_FUNCTION, "DROP FUNCTION s.\"Order Items\""},
        {DBMS_ORACLE, DBOBJ_PACKAGE, "DROP PACKAGE s.\"Order Items\""},
        {DBMS_ORACLE, DBOBJ_TRIGGER, "DROP TRIGGER s.\"Order Items\""},
        {DBMS_MSSQL, DBOBJ_FUNCTION, "DROP FUNCTION s.\"Order Items\""},
        // Functions are functions on every product, not procedures.
        {DBMS_MYSQL, DBOBJ_FUNCTION, "DROP FUNCTION s.`Order Items`"},
        {DBMS_FIREBIRD, DBOBJ_FUNCTION, "DROP FUNCTION s.\"Order Items\""},
        {DBMS_MYSQL, DBOBJ_PROCEDURE, "DROP PROCEDURE s.`Order Items`"},
        // The PostgreSQL driver lists every routine as a function: ROUTINE drops either.
        {DBMS_POSTGRESQL, DBOBJ_FUNCTION, "DROP ROUTINE s.\"Order Items\""},
        {DBMS_POSTGRESQL, DBOBJ_PROCEDURE, "DROP ROUTINE s.\"Order Items\""},
        {DBMS_POSTGRESQL, DBOBJ_CONSTRAINT, ""},
        {DBMS_POSTGRESQL, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(A(BuildDropObjectSQL(CTestDialect(c.product), c.kind, kTable)), c.sql)
            << c.product << "/" << c.kind;
}

TEST(DropStatements, ConstraintsColumnsAndIndexes)
{
    const CTestDialect mysql(DBMS_MYSQL), pg(DBMS_POSTGRESQL), mssql(DBMS_MSSQL),
        firebird(DBMS_FIREBIRD), oracle(DBMS_ORACLE);
    EXPECT_EQ(A(BuildDropConstraintSQL(mysql, Constraint(3, L"fk 1"))),
              "alter table s.`Order Items` drop foreign key `fk 1`");
    EXPECT_EQ(A(BuildDropConstraintSQL(mysql, Constraint(2))),
              "alter table s.`Order Items` drop primary key");
    EXPECT_EQ(A(BuildDropConstraintSQL(mysql, Constraint(4))),
              "drop index ck_a on s.`Order Items`");
    EXPECT_EQ(A(BuildDropConstraintSQL(mysql, Constraint(1))),
              "alter table s.`Order Items` drop constraint ck_a");
    EXPECT_EQ(A(BuildDropConstraintSQL(pg, Constraint(2))),
              "alter table s.\"Order Items\" drop constraint ck_a");
    // "drop index C on T" is no statement of PostgreSQL, Oracle or Firebird.
    for (const CTestDialect* d : {&pg, &oracle, &firebird})
        EXPECT_EQ(A(BuildDropConstraintSQL(*d, Constraint(4))),
                  "alter table s.\"Order Items\" drop constraint ck_a");
    EXPECT_EQ(A(BuildDropConstraintSQL(mssql, Constraint(4))),
              "drop index ck_a on s.\"Order Items\"");
    EXPECT_EQ(A(BuildDropConstraintSQL(pg, Constraint(5))), "");
    EXPECT_EQ(A(BuildDropConstraintSQL(pg, Constraint(0))), "");

    EXPECT_EQ(A(BuildDropColumnSQL(firebird, kTable, L"A B")),
              "alter table s.\"Order Items\" drop \"A B\"");
    EXPECT_EQ(A(BuildDropColumnSQL(CTestDialect(DBMS_OTHER), kTable, L"c")),
              "alter table s.\"Order Items\" drop column c");

    struct Case
    {
        DBMSKind product;
        const char* sql;
    };
    for (const Case& c :
         {Case{DBMS_OTHER, ""}, Case{DBMS_ACCESS, "drop index ix on s.\"Order Items\""},
          Case{DBMS_SQLSERVER, ""}, Case{DBMS_ORACLE, "drop index ixs.ix"},
          Case{DBMS_MSSQL, "drop index ix on s.\"Order Items\""},
          Case{DBMS_FIREBIRD, "drop index ixs.ix"},
          Case{DBMS_MYSQL, "drop index ix on s.`Order Items`"},
          Case{DBMS_POSTGRESQL, "drop index ixs.ix"}})
        EXPECT_EQ(A(BuildDropIndexSQL(CTestDialect(c.product), kTable, L"ixs", L"ix")), c.sql)
            << c.product;
    EXPECT_EQ(A(BuildDropIndexSQL(pg, kTable, L"", L"Ix")), "drop index Ix");
}

TEST(RenameStatements, ObjectsByProductAndKind)
{
    struct Case
    {
        DBMSKind product;
        int kind;
        const char* sql;
    };
    const Case cases[] = {
        {DBMS_OTHER, DBOBJ_TABLE, "alter table s.\"Order Items\" rename to \"New Name\""},
        {DBMS_OTHER, DBOBJ_VIEW, ""},
        {DBMS_ACCESS, DBOBJ_TABLE, ""},
        {DBMS_SQLSERVER, DBOBJ_TABLE, "alter table s.\"Order Items\" rename to \"New Name\""},
        {DBMS_ORACLE, DBOBJ_TABLE, "alter table s.\"Order Items\" rename to \"New Name\""},
        {DBMS_ORACLE, DBOBJ_TRIGGER, "alter trigger s.\"Order Items\" rename to \"New Name\""},
        {DBMS_ORACLE, DBOBJ_VIEW, ""},
        // The blank needs quotes in names, but not inside the literals of sp_rename.
        {DBMS_MSSQL, DBOBJ_VIEW, "{call sp_rename(N's.Order Items', N'New Name')}"},
        {DBMS_MSSQL, DBOBJ_CONSTRAINT, "{call sp_rename(N's.Order Items', N'New Name')}"},
        // Firebird has no statement that renames a table.
        {DBMS_FIREBIRD, DBOBJ_TABLE, ""},
        // The new name keeps the table in its database, whichever one is the session's.
        {DBMS_MYSQL, DBOBJ_TABLE, "alter table s.`Order Items` rename to s.`New Name`"},
        {DBMS_MYSQL, DBOBJ_VIEW, ""},
        {DBMS_POSTGRESQL, DBOBJ_TABLE, "alter table s.\"Order Items\" rename to \"New Name\""},
        {DBMS_POSTGRESQL, DBOBJ_VIEW, "alter view s.\"Order Items\" rename to \"New Name\""},
        {DBMS_POSTGRESQL, DBOBJ_FUNCTION, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(A(BuildRenameObjectSQL(CTestDialect(c.product), c.kind, kTable, L"New Name")),
                  c.sql)
            << c.product << "/" << c.kind;
}

TEST(RenameStatements, ConstraintsColumnsAndIndexes)
{
    const CTestDialect mssql(DBMS_MSSQL), pg(DBMS_POSTGRESQL), mysql(DBMS_MYSQL),
        oracle(DBMS_ORACLE), firebird(DBMS_FIREBIRD);
    // A unique constraint is an index there: sp_rename must be told so.
    EXPECT_EQ(A(BuildRenameConstraintSQL(mssql, Constraint(4, L"uq"), L"uq2")),
              "{call sp_rename(N's.Order Items.uq', N'uq2', N'index')}");
    EXPECT_EQ(A(BuildRenameConstraintSQL(mssql, Constraint(1, L"ck"), L"ck2")),
              "{call sp_rename(N's.ck', N'ck2')}");
    EXPECT_EQ(A(BuildRenameConstraintSQL(pg, Constraint(1, L"Ck"), L"ck 2")),
              "alter table s.\"Order Items\" rename constraint Ck to \"ck 2\"");
    for (const CTestDialect* d : {&oracle, &mysql, &firebird})
        EXPECT_EQ(A(BuildRenameConstraintSQL(*d, Constraint(1), L"x")), "");

    EXPECT_EQ(A(BuildRenameColumnSQL(mssql, kTable, L"a b", L"c")),
              "{call sp_rename(N's.Order Items.a b', N'c')}");
    EXPECT_EQ(A(BuildRenameColumnSQL(firebird, kTable, L"a", L"b")),
              "alter table s.\"Order Items\" alter column a to b");
    for (DBMSKind k : {DBMS_ACCESS, DBMS_MYSQL})
        EXPECT_EQ(A(BuildRenameColumnSQL(CTestDialect(k), kTable, L"a", L"b")), "") << k;
    for (DBMSKind k : {DBMS_OTHER, DBMS_SQLSERVER, DBMS_ORACLE, DBMS_POSTGRESQL})
        EXPECT_EQ(A(BuildRenameColumnSQL(CTestDialect(k), kTable, L"a", L"b")),
                  "alter table s.\"Order Items\" rename column a to b")
            << k;

    EXPECT_EQ(A(BuildRenameIndexSQL(mssql, kTable, L"s", L"ix", L"ix2")),
              "{call sp_rename(N's.Order Items.ix', N'ix2', N'index')}");
    EXPECT_EQ(A(BuildRenameIndexSQL(pg, kTable, L"s", L"ix", L"ix2")),
              "alter index s.ix rename to ix2");
    EXPECT_EQ(A(BuildRenameIndexSQL(oracle, kTable, L"", L"ix", L"ix2")),
              "alter index ix rename to ix2");
    // MySQL names an index within its table: a qualified index name is refused.
    EXPECT_EQ(A(BuildRenameIndexSQL(mysql, kTable, L"s", L"ix", L"ix 2")),
              "alter table s.`Order Items` rename index ix to `ix 2`");
    for (DBMSKind k : {DBMS_OTHER, DBMS_ACCESS, DBMS_SQLSERVER, DBMS_FIREBIRD})
        EXPECT_EQ(A(BuildRenameIndexSQL(CTestDialect(k), kTable, L"s", L"ix", L"b")), "") << k;
}

TEST(SourceStatements, ByProductAndKind)
{
    const CStringPair name(L"o'w", L"v\\1");
    struct Case
    {
        DBMSKind product;
        int kind;
        const char* sql;
    };
    const Case cases[] = {
        {DBMS_OTHER, DBOBJ_VIEW, ""},
        {DBMS_SQLSERVER, DBOBJ_VIEW, "sp_helptext N'o''w.v\\1'"},
        {DBMS_MSSQL, DBOBJ_PROCEDURE, "sp_helptext N'o''w.v\\1'"},
        {DBMS_ORACLE, DBOBJ_VIEW,
         "SELECT TEXT FROM ALL_VIEWS WHERE OWNER=N'o''w' AND VIEW_NAME=N'v\\1'"},
        {DBMS_ORACLE, DBOBJ_PACKAGE,
         "SELECT TEXT FROM ALL_SOURCE WHERE TYPE=N'PACKAGE' AND OWNER=N'o''w' AND NAME=N'v\\1' "
         "ORDER BY LINE"},
        {DBMS_ORACLE, DBOBJ_TRIGGER,
         "SELECT TEXT FROM ALL_SOURCE WHERE TYPE=N'TRIGGER' AND OWNER=N'o''w' AND NAME=N'v\\1' "
         "ORDER BY LINE"},
        {DBMS_FIREBIRD, DBOBJ_VIEW,
         "select rdb$view_source from rdb$relations where rdb$relation_name='o''w.v\\1'"},
        {DBMS_FIREBIRD, DBOBJ_PROCEDURE,
         "select rdb$procedure_source from rdb$procedures where rdb$procedure_name='o''w.v\\1'"},
        {DBMS_FIREBIRD, DBOBJ_TRIGGER,
         "select rdb$trigger_source from rdb$triggers where rdb$trigger_name='o''w.v\\1'"},
        {DBMS_FIREBIRD, DBOBJ_FUNCTION, ""},
        // MySQL reads backslashes in literals as escapes.
        {DBMS_MYSQL, DBOBJ_VIEW,
         "SELECT VIEW_DEFINITION FROM INFORMATION_SCHEMA.VIEWS WHERE TABLE_SCHEMA='o''w' AND "
         "TABLE_NAME='v\\\\1'"},
        {DBMS_MYSQL, DBOBJ_FUNCTION,
         "SELECT ROUTINE_DEFINITION FROM INFORMATION_SCHEMA.ROUTINES WHERE ROUTINE_SCHEMA='o''w' "
         "AND ROUTINE_NAME='v\\\\1'"},
        {DBMS_MYSQL, DBOBJ_TRIGGER,
         "SELECT ACTION_STATEMENT FROM INFORMATION_SCHEMA.TRIGGERS WHERE TRIGGER_SCHEMA='o''w' AND "
         "TRIGGER_NAME='v\\\\1'"},
        {DBMS_MYSQL, DBOBJ_PACKAGE, ""},
        {DBMS_POSTGRESQL, DBOBJ_TRIGGER, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(A(BuildObjectSourceSQL(CTestDialect(c.product), name, c.kind)), c.sql)
            << c.product << "/" << c.kind;

    const CTestDialect pg(DBMS_POSTGRESQL);
    const CStringPair pgName(L"o'w", L"V1");
    EXPECT_EQ(A(BuildObjectSourceSQL(pg, pgName, DBOBJ_VIEW)),
              "select definition from pg_catalog.pg_views where schemaname='o''w' and "
              "viewname='V1'");
    // Overloads share the name: the oldest one, every time.
    EXPECT_EQ(A(BuildObjectSourceSQL(pg, pgName, DBOBJ_FUNCTION)),
              "select proc.prosrc, proc.oid from pg_catalog.pg_proc proc, pg_catalog.pg_namespace "
              "ns where proc.pronamespace=ns.oid and ns.nspname='o''w' and proc.proname='V1' "
              "order by proc.oid");
    EXPECT_EQ(BuildObjectSourceSQL(pg, pgName, DBOBJ_PROCEDURE),
              BuildObjectSourceSQL(pg, pgName, DBOBJ_FUNCTION));
    EXPECT_EQ(A(BuildPostgresSQLBodySQL(L"16384")),
              "select pg_catalog.pg_get_function_sqlbody(16384)");
    EXPECT_EQ(CString(GetPackageBodySeparator()).GetLength(), 67);
}

TEST(StoredCodeLists, ProceduresPackagesTriggersInvalidObjectsErrors)
{
    const CTestDialect mssql(DBMS_MSSQL), oracle(DBMS_ORACLE), mysql(DBMS_MYSQL),
        firebird(DBMS_FIREBIRD), pg(DBMS_POSTGRESQL);
    const CString all = BuildProceduresSQL(mssql, L"");
    EXPECT_EQ(all.Find(L"sch.name="), -1);
    EXPECT_EQ(BuildProceduresSQL(mssql, nullptr), all);
    const CString one = BuildProceduresSQL(mssql, L"dbo");
    EXPECT_EQ(A(one),
              "SELECT sch.name, obj.name, obj.type FROM sys.objects obj, sys.schemas sch WHERE "
              "obj.schema_id = sch.schema_id and obj.type IN ('P','IF','TF','FN', 'PC') and "
              "sch.name=N'dbo' UNION ALL SELECT sch.name, obj.name, obj.type FROM "
              "sys.system_objects obj, sys.schemas sch WHERE obj.schema_id = sch.schema_id and "
              "obj.type IN ('P','IF','TF','FN', 'PC') and sch.name=N'dbo'");
    EXPECT_EQ(A(BuildProceduresSQL(pg, L"x")), ""); // the driver's catalog serves the others

    EXPECT_EQ(A(BuildPackagesSQL(oracle, nullptr)),
              "SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='PACKAGE' ORDER BY "
              "OWNER, OBJECT_NAME");
    EXPECT_EQ(A(BuildPackagesSQL(oracle, L"SCOTT")),
              "SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='PACKAGE' AND "
              "OWNER=N'SCOTT' ORDER BY OWNER, OBJECT_NAME");
    EXPECT_EQ(A(BuildPackagesSQL(mssql, nullptr)), "");
    // No schema is named by an empty text: every schema, as the trees' empty filter means.
    EXPECT_EQ(BuildPackagesSQL(oracle, L""), BuildPackagesSQL(oracle, nullptr));
    EXPECT_EQ(BuildInvalidObjectsSQL(oracle, DBOBJ_VIEW, L""),
              BuildInvalidObjectsSQL(oracle, DBOBJ_VIEW, nullptr));

    EXPECT_EQ(A(BuildTriggersSQL(oracle, L"S", 0)),
              "SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='TRIGGER' AND "
              "OWNER=N'S' ORDER BY OWNER, OBJECT_NAME");
    EXPECT_EQ(A(BuildTriggersSQL(mssql, L"dbo", 8)),
              "select 'dbo', sysobjects.name from sysobjects where sysobjects.xtype = 'TR' and "
              "'dbo'=N'dbo' order by sysobjects.name");
    EXPECT_EQ(A(BuildTriggersSQL(mssql, nullptr, 9)),
              "select sch.name, tr.name from sys.triggers tr, sys.objects obj, sys.schemas sch "
              "where tr.object_id = obj.object_id and obj.schema_id = sch.schema_id order by "
              "sch.name, tr.name");
    EXPECT_EQ(BuildTriggersSQL(firebird, L"ignored", 0), BuildTriggersSQL(firebird, nullptr, 0));
    EXPECT_EQ(A(BuildTriggersSQL(mysql, L"db1", 0)),
              "select TRIGGER_SCHEMA, TRIGGER_NAME from INFORMATION_SCHEMA.TRIGGERS where "
              "TRIGGER_SCHEMA='db1' order by TRIGGER_SCHEMA, TRIGGER_NAME");
    for (DBMSKind k : {DBMS_OTHER, DBMS_ACCESS, DBMS_SQLSERVER, DBMS_POSTGRESQL})
        EXPECT_EQ(A(BuildTriggersSQL(CTestDialect(k), L"s", 9)), "") << k;

    EXPECT_EQ(
        A(BuildInvalidObjectsSQL(oracle, DBOBJ_PACKAGE, L"S")),
        "SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE STATUS='INVALID' AND OWNER=N'S' AND "
        "OBJECT_TYPE='PACKAGE'");
    // A table asks for every invalid object of the schema.
    EXPECT_EQ(A(BuildInvalidObjectsSQL(oracle, DBOBJ_TABLE, nullptr)),
              "SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE STATUS='INVALID'");
    EXPECT_EQ(A(BuildInvalidObjectsSQL(mssql, DBOBJ_VIEW, nullptr)), "");

    EXPECT_EQ(A(BuildCompileErrorsSQL(oracle, CStringPair(L"S", L"P'1"))),
              "SELECT LINE, POSITION, TEXT FROM ALL_ERRORS WHERE OWNER=N'S' AND NAME=N'P''1' "
              "ORDER BY LINE, POSITION");
    EXPECT_EQ(A(BuildCompileErrorsSQL(pg, CStringPair(L"S", L"P"))), "");

    EXPECT_EQ(A(StripProcedureGroup(L"ADD_ORDER;1")), "ADD_ORDER");
    EXPECT_EQ(A(StripProcedureGroup(L"a;b;c")), "a");
    EXPECT_EQ(A(StripProcedureGroup(L"plain")), "plain");
}

TEST(ConstraintStatements, FiltersAndProducts)
{
    const CTestDialect pg(DBMS_POSTGRESQL), mysql(DBMS_MYSQL), oracle(DBMS_ORACLE),
        firebird(DBMS_FIREBIRD), mssql(DBMS_MSSQL);
    const CStringPair table(L"public", L"parent");

    const CString pgSQL = BuildTableConstraintsSQL(pg, table, -1, -1);
    // The consrc column is gone since PostgreSQL 12.
    EXPECT_EQ(pgSQL.Find(L"consrc"), -1);
    EXPECT_NE(pgSQL.Find(L"end, pg_catalog.pg_get_expr(c.conbin, c.conrelid), tns.nspname"), -1);
    EXPECT_NE(pgSQL.Find(L"AND t.relnamespace = tns.oid AND ns.nspname='public' AND "
                         L"t.relname='parent'union all SELECT"),
              -1);
    EXPECT_TRUE(A(pgSQL).ends_with("AND ns.nspname='public' AND t.relname='parent'"));
    // No filter at all without a name and a schema.
    const CString pgAll = BuildTableConstraintsSQL(pg, CStringPair(), -1, -1);
    EXPECT_EQ(pgAll.Find(L"nspname='"), -1);
    EXPECT_EQ(pgAll.Find(L"relname='"), -1);

    const CString old = BuildTableConstraintsSQL(mysql, table, 5, 0);
    EXPECT_EQ(old.Find(L"union"), -1);
    EXPECT_NE(old.Find(L"when 'FOREIGN KEY' then 3"), -1);
    EXPECT_TRUE(A(old).ends_with("('PRIMARY KEY', 'FOREIGN KEY', 'UNIQUE') and "
                                 "tc.TABLE_NAME='parent' and tc.TABLE_SCHEMA='public'"));
    const CString now = BuildTableConstraintsSQL(mysql, table, 10, 11);
    EXPECT_NE(now.Find(L"rc.REFERENCED_TABLE_NAME"), -1);
    EXPECT_EQ(BuildTableConstraintsSQL(mysql, table, -1, -1), old); // unknown version

    const CString ora = BuildTableConstraintsSQL(oracle, CStringPair(L"", L"T"), -1, -1);
    EXPECT_NE(ora.Find(L"('C','P','U') and TABLE_NAME=N'T' union all"), -1);
    EXPECT_TRUE(A(ora).ends_with("C.CONSTRAINT_TYPE in ('R') and C.TABLE_NAME=N'T' "));

    // Firebird has no schemas: only the table filter.
    const CString fb = BuildTableConstraintsSQL(firebird, CStringPair(L"X", L"T"), -1, -1);
    EXPECT_EQ(fb.Find(L"'X'"), -1);
    EXPECT_TRUE(A(fb).ends_with("i.rdb$unique_flag = 1 and i.rdb$relation_name='T'"));

    const CString ms = BuildTableConstraintsSQL(mssql, table, -1, -1);
    int parts = 0;
    for (int at = ms.Find(L"and tbl.name=N'parent' and tsch.name=N'public' "); at >= 0;
         at = ms.Find(L"and tbl.name=N'parent' and tsch.name=N'public' ", at + 1))
        ++parts;
    EXPECT_EQ(parts, 4);
    for (DBMSKind k : {DBMS_OTHER, DBMS_ACCESS, DBMS_SQLSERVER})
        EXPECT_EQ(A(BuildTableConstraintsSQL(CTestDialect(k), table, -1, -1)), "") << k;
}

TEST(TableTriggerStatements, ByProduct)
{
    const CStringPair table(L"db", L"t'1");
    EXPECT_EQ(A(BuildTableTriggersSQL(CTestDialect(DBMS_MSSQL), table)),
              "exec sp_helptrigger N'db.t''1'");
    EXPECT_EQ(A(BuildTableTriggersSQL(CTestDialect(DBMS_MYSQL), table)),
              "SELECT TRIGGER_SCHEMA, TRIGGER_NAME, EVENT_MANIPULATION, ACTION_TIMING FROM "
              "INFORMATION_SCHEMA.TRIGGERS WHERE EVENT_OBJECT_SCHEMA='db' AND "
              "EVENT_OBJECT_TABLE='t''1' ORDER BY TRIGGER_SCHEMA, TRIGGER_NAME");
    EXPECT_NE(BuildTableTriggersSQL(CTestDialect(DBMS_FIREBIRD), CStringPair(L"", L"T"))
                  .Find(L"rdb$relation_name='T' order by rdb$trigger_name"),
              -1);
    for (DBMSKind k : {DBMS_OTHER, DBMS_ORACLE, DBMS_POSTGRESQL})
        EXPECT_EQ(A(BuildTableTriggersSQL(CTestDialect(k), table)), "") << k;

    struct Case
    {
        int type, insert, update, del, after;
    };
    for (const Case& c :
         {Case{1, 1, 0, 0, 0}, Case{2, 1, 0, 0, 1}, Case{3, 0, 1, 0, 0}, Case{4, 0, 1, 0, 1},
          Case{5, 0, 0, 1, 0}, Case{6, 0, 0, 1, 1}, Case{17, 0, 0, 0, 0}})
    {
        int i = -1, u = -1, d = -1, a = -1;
        DecodeFirebirdTriggerType(c.type, i, u, d, a);
        EXPECT_EQ(i, c.insert) << c.type;
        EXPECT_EQ(u, c.update) << c.type;
        EXPECT_EQ(d, c.del) << c.type;
        EXPECT_EQ(a, c.after) << c.type;
    }
}

TEST(ObjectLists, ExactNamesFindAndCompare)
{
    CDBObjectsArray list;
    list.Add(CIndexedDBObject(L"S", L"Pkg", -1));
    list.Add(CIndexedDBObject(L"", L"lonely", 3));
    EXPECT_TRUE(list.Find(L"S", L"Pkg"));
    EXPECT_FALSE(list.Find(L"s", L"Pkg"));
    EXPECT_FALSE(list.Find(L"S", L"Pkg "));
    EXPECT_TRUE(list.Find(L"", L"lonely"));
    EXPECT_TRUE(list.Find(nullptr, L"lonely"));
    EXPECT_FALSE(list.Find(L"S", L"lonely"));
    EXPECT_FALSE(CDBObjectsArray().Find(L"", L""));

    EXPECT_TRUE(IsSameDBObjectName(CStringPair(L"a", L"b"), CStringPair(L"a", L"b")));
    EXPECT_FALSE(IsSameDBObjectName(CStringPair(L"", L"b"), CStringPair(L" ", L"b")));
    EXPECT_FALSE(IsSameDBObjectName(CStringPair(L"a", L"B"), CStringPair(L"a", L"b")));
}

} // namespace
