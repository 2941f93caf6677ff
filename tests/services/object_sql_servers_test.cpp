// Object operations of the database helper on the real servers: PostgreSQL, MariaDB (the MySQL
// kind) and SQLite, against scratch objects whose names hold blanks, both quotes, a backslash,
// letters outside ASCII and mixed case, as long as each server allows.
#include "services/database_helper.h"
#include "services/service_options.h"

#include "tests/dbaccess/conn_test_util.h"
#include "tests/services/object_sql_test_util.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::Catch;
using QlConnTest::QueryText;
using qlobjsql::A;

// A name no other process uses: "<base> \"'\\äÖ <unique tag>" cut or padded to nLength characters
// when given (the counter stays at the end).
CString HostileName(LPCWSTR base, int nLength = 0)
{
    const CString suffix = CString(L" ") + QlTestDb::UniqueTag().c_str();
    CString name = CString(base) + L" \"q'\\\u00e4\u00d6";
    if (nLength > 0)
    {
        while (name.GetLength() + suffix.GetLength() < nLength)
            name += L"x";
        name = name.Left(nLength - suffix.GetLength());
    }
    return name + suffix;
}

class ObjectSqlServer : public ::testing::Test
{
protected:
    void SetUp() override { BindServiceOptions({&m_cancelExec, &m_cursorLib, &m_useCursor}); }
    void TearDown() override
    {
        for (const CString& box : m_boxes.Take())
            ADD_FAILURE() << "unexpected message box: " << A(box);
        for (auto it = m_cleanup.rbegin(); it != m_cleanup.rend(); ++it)
            Catch([&] { m_helper.GetDatabase().ExecuteSQL(*it); });
        m_helper.Close();
        BindServiceOptions({});
    }

    void Connect(const CString& connect)
    {
        auto e = Catch([&] { ASSERT_TRUE(m_helper.Connect(connect, nullptr, 0, 0, 0)); });
        ASSERT_FALSE(e) << A(e->m_strError);
    }
    CRDatabase& Db() { return m_helper.GetDatabase(); }
    // Runs a statement the test needs; fails the test when it fails.
    void Exec(const CString& sql)
    {
        auto e = Catch([&] { Db().ExecuteSQL(sql); });
        ASSERT_FALSE(e) << A(sql) << ": " << A(e->m_strError);
    }
    // Quotes every name for the product, quotes doubled.
    CString Q(const CString& name)
    {
        CString s = name;
        if (m_helper.GetDBMSKind() == DBMS_MYSQL)
        {
            s.Replace(L"`", L"``");
            return L"`" + s + L"`";
        }
        s.Replace(L"\"", L"\"\"");
        return L"\"" + s + L"\"";
    }
    CString Count(const CString& sql) { return QueryText(Db(), sql); }
    CString L(const CString& text) { return Db().StringLiteral(text); }

    static const CDBConstraintInfo* FindConstraint(const CDBConstraintInfoArray& list,
                                                   const CString& name)
    {
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            if (list[i].m_strName == name)
                return &list[i];
        return nullptr;
    }

    int m_cancelExec = 0;
    int m_cursorLib = 1;
    int m_useCursor = 1;
    CRDatabaseHelper m_helper;
    qlobjsql::CMessageBoxCatcher m_boxes;
    std::vector<CString> m_cleanup; // run in reverse order at the end, failures ignored
};

TEST_F(ObjectSqlServer, PostgreSQLReadsAndChangesObjects)
{
    Connect(QlTestDb::PostgresConnect());
    ASSERT_EQ(m_helper.GetDBMSKind(), DBMS_POSTGRESQL);
    // PostgreSQL keeps 63 bytes of a name: the longest here is 63 bytes in UTF-8.
    const CString schema = HostileName(L"Sch"), parent = HostileName(L"Parent", 61),
                  child = HostileName(L"child"), view = HostileName(L"V"),
                  func = HostileName(L"Fn"), atomic = HostileName(L"Atomic"),
                  proc = HostileName(L"Pr"), check = HostileName(L"Ck"),
                  unique = HostileName(L"Uq"), index = HostileName(L"Ix");
    m_cleanup.push_back(L"DROP SCHEMA " + Q(schema) + L" CASCADE");
    const CString s = Q(schema) + L".";
    Exec(L"CREATE SCHEMA " + Q(schema));
    Exec(L"CREATE TABLE " + s + Q(parent) + L" (id int PRIMARY KEY, code varchar(20) CONSTRAINT " +
         Q(check) + L" CHECK (length(code) < 10), CONSTRAINT " + Q(unique) + L" UNIQUE (code))");
    Exec(L"CREATE TABLE " + s + Q(child) + L" (id int, parent_id int REFERENCES " + s + Q(parent) +
         L", \"Note A\" text)");
    Exec(L"CREATE INDEX " + Q(index) + L" ON " + s + Q(child) + L" (id)");
    Exec(L"CREATE VIEW " + s + Q(view) + L" AS SELECT id FROM " + s + Q(parent));
    Exec(L"CREATE FUNCTION " + s + Q(func) + L"() RETURNS int LANGUAGE sql AS $$ select 1 $$");
    Exec(L"CREATE FUNCTION " + s + Q(func) + L"(a int) RETURNS int LANGUAGE sql AS $$ select a $$");
    Exec(L"CREATE FUNCTION " + s + Q(atomic) + L"() RETURNS int LANGUAGE sql RETURN 42");
    Exec(L"CREATE PROCEDURE " + s + Q(proc) + L"() LANGUAGE sql AS $$ select 1 $$");

    // Constraints of one table: the check text comes from pg_get_expr.
    CDBConstraintInfoArray constraints;
    ASSERT_TRUE(m_helper.GetTableConstraints(constraints, CStringPair(schema, parent), nullptr));
    ASSERT_EQ(constraints.GetSize(), 3);
    const CDBConstraintInfo* pCheck = FindConstraint(constraints, check);
    ASSERT_TRUE(pCheck);
    EXPECT_EQ(pCheck->m_nType, CDBConstraintInfo::typeCheck);
    EXPECT_EQ(A(pCheck->m_strText), "(length((code)::text) < 10)");
    ASSERT_TRUE(FindConstraint(constraints, unique));
    EXPECT_EQ(FindConstraint(constraints, unique)->m_nType, CDBConstraintInfo::typeUnique);
    // The whole schema: the foreign key of the other table as well.
    ASSERT_TRUE(m_helper.GetTableConstraints(constraints, CStringPair(schema, L""), nullptr));
    ASSERT_EQ(constraints.GetSize(), 4);
    const CDBConstraintInfo* pForeign = nullptr;
    for (INT_PTR i = 0; i < constraints.GetSize(); ++i)
        if (constraints[i].m_nType == CDBConstraintInfo::typeForeignKey)
            pForeign = &constraints[i];
    ASSERT_TRUE(pForeign);
    EXPECT_EQ(pForeign->m_strRefTableName, parent);
    EXPECT_EQ(pForeign->m_strTableName, child);

    // Source texts: the view, the oldest overload, a body kept only in parsed form.
    CString text;
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(schema, view), DBOBJ_VIEW, text));
    EXPECT_NE(A(text).find("FROM " + A(Q(schema))), std::string::npos) << A(text);
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(schema, func), DBOBJ_FUNCTION, text));
    EXPECT_EQ(A(text), " select 1 ");
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(schema, atomic), DBOBJ_FUNCTION, text));
    EXPECT_EQ(A(text), "RETURN 42");
    EXPECT_FALSE(m_helper.GetObjectSource(CStringPair(schema, L"missing"), DBOBJ_VIEW, text));

    // The driver lists every routine as a function.
    CDBStoredProcsArray procs;
    ASSERT_TRUE(m_helper.GetProcedures(nullptr, schema, procs));
    int functions = 0, procedures = 0;
    for (INT_PTR i = 0; i < procs.GetSize(); ++i)
    {
        EXPECT_EQ(procs[i].m_strFirst, schema);
        functions += procs[i].m_strSecond == func ? 1 : 0;
        procedures += procs[i].m_strSecond == proc ? 1 : 0;
    }
    EXPECT_EQ(functions, 2);
    EXPECT_EQ(procedures, 1);
    CDBObjectsArray triggers;
    EXPECT_FALSE(m_helper.ReadTriggersNow(triggers, schema)); // no trigger list on PostgreSQL

    // Renames.
    const CString check2 = HostileName(L"Ck2"), view2 = HostileName(L"V2"),
                  index2 = HostileName(L"Ix2"), child2 = HostileName(L"Child2");
    ASSERT_TRUE(FindConstraint(constraints, check));
    ASSERT_TRUE(m_helper.RenameConstraint(*FindConstraint(constraints, check), check2));
    EXPECT_EQ(A(Count(L"select count(*) from pg_constraint where conname=" + L(check2))), "1");
    ASSERT_TRUE(m_helper.RenameColumn(CStringPair(schema, child), L"Note A", L"Note \"B\""));
    CColumnInfoArray columns;
    ASSERT_TRUE(m_helper.GetColumnsNow(CStringPair(schema, child), &columns));
    ASSERT_EQ(columns.GetSize(), 3);
    EXPECT_EQ(A(columns[2].szColumnName), "Note \"B\"");
    ASSERT_TRUE(m_helper.RenameIndex(CStringPair(schema, child), schema, index, index2));
    ASSERT_TRUE(m_helper.RenameObject(DBOBJ_VIEW, CStringPair(schema, view), view2));
    ASSERT_TRUE(m_helper.RenameObject(DBOBJ_TABLE, CStringPair(schema, child), child2));
    EXPECT_EQ(A(Count(L"select count(*) from pg_class where relname in (" + L(index2) + L", " +
                      L(view2) + L", " + L(child2) + L")")),
              "3");
    // An empty new name is the database's error; nothing changes.
    auto e = Catch([&] { m_helper.RenameObject(DBOBJ_TABLE, CStringPair(schema, child2), L""); });
    EXPECT_TRUE(e);
    EXPECT_EQ(A(Count(L"select count(*) from pg_class where relname=" + L(child2))), "1");

    // Drops.
    ASSERT_TRUE(m_helper.DropConstraint(*FindConstraint(constraints, unique)));
    ASSERT_TRUE(m_helper.DropIndex(CStringPair(schema, child2), schema, index2));
    ASSERT_TRUE(m_helper.DropColumn(CStringPair(schema, child2), L"Note \"B\""));
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_FUNCTION, CStringPair(schema, atomic)));
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_PROCEDURE, CStringPair(schema, proc)));
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_VIEW, CStringPair(schema, view2)));
    EXPECT_EQ(A(Count(L"select count(*) from pg_constraint where conname=" + L(unique))), "0");
    EXPECT_EQ(A(Count(L"select count(*) from pg_class where relname in (" + L(index2) + L", " +
                      L(view2) + L")")),
              "0");
    EXPECT_EQ(A(Count(L"select count(*) from pg_proc where proname in (" + L(atomic) + L", " +
                      L(proc) + L")")),
              "0");
    // Two overloads: the database refuses to guess, and says so.
    e = Catch([&] { m_helper.DropObject(DBOBJ_FUNCTION, CStringPair(schema, func)); });
    EXPECT_TRUE(e);
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_TABLE, CStringPair(schema, child2)));
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_TABLE, CStringPair(schema, parent)));
    EXPECT_EQ(A(Count(L"select count(*) from pg_tables where schemaname=" + L(schema))), "0");
}

TEST_F(ObjectSqlServer, MariaDBReadsAndChangesObjectsOfTheCurrentDatabase)
{
    Connect(QlTestDb::MariaDBConnect());
    ASSERT_EQ(m_helper.GetDBMSKind(), DBMS_MYSQL);
    // MariaDB allows 64 characters.
    const CString parent = HostileName(L"Parent", 64), child = HostileName(L"child"),
                  view = HostileName(L"V"), func = HostileName(L"Fn"), proc = HostileName(L"Pr"),
                  trigger = HostileName(L"Tr"), unique = HostileName(L"Uq"),
                  foreign = HostileName(L"Fk"), index = HostileName(L"Ix");
    for (const CString& t : {parent, child, view})
        m_cleanup.push_back(L"DROP TABLE IF EXISTS " + Q(t));
    m_cleanup.push_back(L"DROP VIEW IF EXISTS " + Q(view));
    m_cleanup.push_back(L"DROP FUNCTION IF EXISTS " + Q(func));
    m_cleanup.push_back(L"DROP PROCEDURE IF EXISTS " + Q(proc));
    Exec(L"CREATE TABLE " + Q(parent) + L" (id int PRIMARY KEY, code varchar(20), CONSTRAINT " +
         Q(unique) + L" UNIQUE (code)) ENGINE=InnoDB");
    Exec(L"CREATE TABLE " + Q(child) + L" (id int, parent_id int, note text, CONSTRAINT " +
         Q(foreign) + L" FOREIGN KEY (parent_id) REFERENCES " + Q(parent) + L" (id), INDEX " +
         Q(index) + L" (id)) ENGINE=InnoDB");
    Exec(L"CREATE VIEW " + Q(view) + L" AS SELECT id FROM " + Q(parent));
    Exec(L"CREATE FUNCTION " + Q(func) + L"() RETURNS int RETURN 7");
    Exec(L"CREATE PROCEDURE " + Q(proc) + L"() SELECT 1");
    Exec(L"CREATE TRIGGER " + Q(trigger) + L" BEFORE INSERT ON " + Q(parent) +
         L" FOR EACH ROW SET NEW.code = upper(NEW.code)");

    // An empty schema is the current database: the servers' own tables' keys stay out.
    const CString database = m_helper.GetCurrentDatabaseName();
    ASSERT_FALSE(database.IsEmpty());
    CDBConstraintInfoArray constraints;
    ASSERT_TRUE(m_helper.GetTableConstraints(constraints, CStringPair(), nullptr));
    ASSERT_GE(constraints.GetSize(), 3);
    for (INT_PTR i = 0; i < constraints.GetSize(); ++i)
        EXPECT_EQ(constraints[i].m_strTableSchema, database) << A(constraints[i].m_strTableName);
    ASSERT_TRUE(m_helper.GetTableConstraints(constraints, CStringPair(L"", child), nullptr));
    ASSERT_EQ(constraints.GetSize(), 1);
    EXPECT_EQ(constraints[0].m_nType, CDBConstraintInfo::typeForeignKey);
    EXPECT_EQ(constraints[0].m_strName, foreign);
    EXPECT_EQ(constraints[0].m_strRefTableName, parent);
    const CDBConstraintInfo foreignKey = constraints[0];
    ASSERT_TRUE(m_helper.GetTableConstraints(constraints, CStringPair(L"", parent), nullptr));
    ASSERT_EQ(constraints.GetSize(), 2);
    const CDBConstraintInfo* pUnique = FindConstraint(constraints, unique);
    ASSERT_TRUE(pUnique);
    EXPECT_EQ(pUnique->m_nType, CDBConstraintInfo::typeUnique);
    const CDBConstraintInfo uniqueKey = *pUnique,
                            primaryKey = *FindConstraint(constraints, L"PRIMARY");

    // Triggers: of the table, and of the current database.
    CDBTriggerInfoArray tableTriggers;
    ASSERT_TRUE(m_helper.GetTableTriggers(tableTriggers, CStringPair(L"", parent)));
    ASSERT_EQ(tableTriggers.GetSize(), 1);
    EXPECT_EQ(tableTriggers[0].m_strName, trigger);
    EXPECT_EQ(tableTriggers[0].m_nInsert, 1);
    EXPECT_EQ(tableTriggers[0].m_nAfter + tableTriggers[0].m_nUpdate, 0);
    CDBObjectsArray triggers;
    ASSERT_TRUE(m_helper.GetTriggers(nullptr, nullptr, triggers));
    EXPECT_TRUE(triggers.Find(database, trigger));

    // Sources of names holding a backslash and quotes.
    CString text;
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(L"", view), DBOBJ_VIEW, text));
    EXPECT_NE(A(text).find("select"), std::string::npos) << A(text);
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(database, func), DBOBJ_FUNCTION, text));
    EXPECT_EQ(A(text), "RETURN 7");
    ASSERT_TRUE(m_helper.GetObjectSource(CStringPair(L"", trigger), DBOBJ_TRIGGER, text));
    EXPECT_EQ(A(text), "SET NEW.code = upper(NEW.code)");

    // Changes.
    const CString index2 = HostileName(L"Ix2"), child2 = HostileName(L"New Name");
    m_cleanup.push_back(L"DROP TABLE IF EXISTS " + Q(child2));
    ASSERT_TRUE(m_helper.RenameIndex(CStringPair(L"", child), database, index, index2));
    ASSERT_TRUE(m_helper.DropConstraint(foreignKey));
    ASSERT_TRUE(m_helper.DropConstraint(uniqueKey));
    ASSERT_TRUE(m_helper.DropIndex(CStringPair(L"", child), database, index2));
    ASSERT_TRUE(m_helper.DropColumn(CStringPair(L"", child), L"note"));
    ASSERT_TRUE(m_helper.RenameObject(DBOBJ_TABLE, CStringPair(L"", child), child2));
    ASSERT_TRUE(m_helper.GetTableConstraints(constraints, CStringPair(L"", parent), nullptr));
    EXPECT_EQ(constraints.GetSize(), 1);
    ASSERT_TRUE(m_helper.DropConstraint(primaryKey));
    ASSERT_TRUE(m_helper.GetTableConstraints(constraints, CStringPair(L"", parent), nullptr));
    EXPECT_EQ(constraints.GetSize(), 0);
    EXPECT_EQ(A(Count(L"select count(*) from information_schema.statistics where "
                      L"table_schema=database() and index_name in (" +
                      L(index) + L", " + L(index2) + L")")),
              "0");
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_TRIGGER, CStringPair(L"", trigger)));
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_FUNCTION, CStringPair(L"", func)));
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_PROCEDURE, CStringPair(L"", proc)));
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_VIEW, CStringPair(L"", view)));
    EXPECT_EQ(A(Count(L"select count(*) from information_schema.routines where "
                      L"routine_schema=database() and routine_name in (" +
                      L(func) + L", " + L(proc) + L")")),
              "0");
    // A drop that fails is the database's error; the table stays.
    auto e = Catch([&] { m_helper.DropObject(DBOBJ_VIEW, CStringPair(L"", parent)); });
    EXPECT_TRUE(e);
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_TABLE, CStringPair(L"", child2)));
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_TABLE, CStringPair(L"", parent)));
    EXPECT_EQ(A(Count(L"select count(*) from information_schema.tables where "
                      L"table_schema=database() and table_name in (" +
                      L(parent) + L", " + L(child2) + L")")),
              "0");
}

TEST_F(ObjectSqlServer, SQLiteRenamesAndDrops)
{
    QlTestDb::TempSQLiteFile file;
    Connect(file.Connect());
    ASSERT_EQ(m_helper.GetDBMSKind(), DBMS_OTHER);
    const CString table = HostileName(L"Table", 128), view = HostileName(L"V", 128),
                  table2 = HostileName(L"Renamed", 128);
    Exec(L"CREATE TABLE " + Q(table) + L" (id integer, \"Old Col\" text, gone text)");
    Exec(L"CREATE VIEW " + Q(view) + L" AS SELECT id FROM " + Q(table));

    ASSERT_TRUE(m_helper.RenameColumn(CStringPair(L"", table), L"Old Col", L"New 'Col'"));
    ASSERT_TRUE(m_helper.RenameObject(DBOBJ_TABLE, CStringPair(L"", table), table2));
    CColumnInfoArray columns;
    ASSERT_TRUE(m_helper.GetColumnsNow(CStringPair(L"", table2), &columns));
    ASSERT_EQ(columns.GetSize(), 3);
    EXPECT_EQ(A(columns[1].szColumnName), "New 'Col'");
    EXPECT_FALSE(m_helper.DropIndex(CStringPair(L"", table2), L"", L"ix"));
    EXPECT_FALSE(m_helper.RenameObject(DBOBJ_VIEW, CStringPair(L"", view), L"x"));
    if (Count(L"select sqlite_version() >= '3.35'") == L"1")
    {
        ASSERT_TRUE(m_helper.DropColumn(CStringPair(L"", table2), L"gone"));
        ASSERT_TRUE(m_helper.GetColumnsNow(CStringPair(L"", table2), &columns));
        EXPECT_EQ(columns.GetSize(), 2);
    }
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_VIEW, CStringPair(L"", view)));
    ASSERT_TRUE(m_helper.DropObject(DBOBJ_TABLE, CStringPair(L"", table2)));
    EXPECT_EQ(A(Count(L"select group_concat(type || ' ' || name) from sqlite_master")), "<NULL>");
    // Nothing of the products' catalogs exists here.
    CString text;
    EXPECT_FALSE(m_helper.GetObjectSource(CStringPair(L"", view), DBOBJ_VIEW, text));
    CDBConstraintInfoArray constraints;
    EXPECT_FALSE(m_helper.GetTableConstraints(constraints, CStringPair(L"", table2), nullptr));
}

} // namespace
