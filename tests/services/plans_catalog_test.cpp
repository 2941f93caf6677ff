// Plan statements and the text that is explained; catalog reads and the SELECT an object is
// opened with, on the real databases and the fake Oracle.
#include "services/catalog_reads.h"
#include "services/plans.h"
#include "services/sql_outline.h"

#include "dbaccess/database.h"
#include "dbaccess/recordset.h"
#include "tests/dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

namespace {

std::string A(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

TEST(SqlOutline, CountsStatementsAndStripsComments)
{
    EXPECT_EQ(CSQLOutline(L"").CountStatements(), 0);
    EXPECT_EQ(CSQLOutline(L" -- only a comment\n/* and another */ ;").CountStatements(), 0);
    EXPECT_EQ(CSQLOutline(L"SELECT 1;").CountStatements(), 1);
    EXPECT_EQ(CSQLOutline(L"SELECT 1; DELETE FROM log").CountStatements(), 2);
    EXPECT_EQ(CSQLOutline(L"SELECT ';' AS a, \"b;\" FROM t -- ;\n").CountStatements(), 1);
    EXPECT_EQ(CSQLOutline(L"SELECT 'a\\';' x", true).CountStatements(), 1);
    EXPECT_FALSE(CSQLOutline(L"SELECT (1").IsComplete());
    EXPECT_FALSE(CSQLOutline(L"SELECT 1 /* open").IsComplete());
    EXPECT_EQ(A(StripSQLComments(L"SELECT a -- all\nFROM t /* x */WHERE b = '--'")),
              "SELECT a \nFROM t  WHERE b = '--'");
}

TEST(Plans, ExplainsOneStatementWithoutComments)
{
    CString text;
    EXPECT_EQ(PrepareExplainText(L"-- nothing here\n", false, text), 0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(PrepareExplainText(L"SELECT * FROM t -- all\nWHERE a = 1;\n", false, text), 1);
    EXPECT_EQ(A(text), "SELECT * FROM t \nWHERE a = 1");
    EXPECT_EQ(PrepareExplainText(L"SELECT 1; DELETE FROM log", false, text), 2);
}

TEST(Plans, OracleStatementsAndIds)
{
    const CString ddl = BuildPlanTableDDL();
    EXPECT_EQ(A(ddl.Left(50)), "CREATE TABLE QUENLARK_PLAN_TABLE (\n  STATEMENT_ID ");
    EXPECT_NE(A(ddl).find("\n  OTHER            LONG,\n  DISTRIBUTION     VARCHAR2(30)\n)"),
              std::string::npos);
    EXPECT_EQ(A(BuildOracleExplainSQL(65537, L"SELECT 1 FROM DUAL")),
              "explain plan set STATEMENT_ID='65537' into QUENLARK_PLAN_TABLE for SELECT 1 FROM "
              "DUAL");
    EXPECT_EQ(A(BuildOraclePlanDelete(7)),
              "DELETE FROM QUENLARK_PLAN_TABLE WHERE STATEMENT_ID='7'");
    const std::string select = A(BuildOraclePlanSelect(42));
    EXPECT_NE(select.find("from\n  QUENLARK_PLAN_TABLE\nstart with id=0 AND statement_id='42'\n"),
              std::string::npos);
    const UINT32 first = TakePlanStatementId();
    EXPECT_EQ(TakePlanStatementId(), first + 1);
}

TEST(Plans, PostgresExplainOfOneStatementLeavesTheTable)
{
    CRDatabase db;
    ASSERT_TRUE(db.Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    CString table;
    table.Format(L"ql_plan_log_%ls", QlTestDb::UniqueTag().c_str());
    db.ExecuteSQL(L"CREATE TABLE " + table + L" (a INTEGER)");
    db.ExecuteSQL(L"INSERT INTO " + table + L" VALUES (1)");
    CString text;
    ASSERT_EQ(PrepareExplainText(L"SELECT * FROM " + table + L" -- all\nWHERE a = 1", false, text),
              1);
    // The plan keeps the condition that followed the comment.
    CString plan;
    SQLHSTMT h = SQL_NULL_HSTMT;
    SQLAllocStmt(db.GetConnectionHandle(), &h);
    CString sql = L"EXPLAIN " + text;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirectW(h, (SQLWCHAR*)sql.GetString(), SQL_NTS)));
    wchar_t line[1024];
    SQLLEN ind = 0;
    while (SQL_SUCCEEDED(SQLFetch(h)))
    {
        if (SQL_SUCCEEDED(SQLGetData(h, 1, SQL_C_WCHAR, line, sizeof line, &ind)))
            plan += line;
    }
    SQLFreeStmt(h, SQL_DROP);
    EXPECT_NE(A(plan).find("Filter"), std::string::npos) << A(plan);
    EXPECT_EQ(PrepareExplainText(L"SELECT 1; DELETE FROM " + table, false, text), 2);
    EXPECT_EQ(A(QlConnTest::QueryText(db, L"SELECT COUNT(*) FROM " + table)), "1");
    db.ExecuteSQL(L"DROP TABLE " + table);
}

TEST(CatalogReads, ObjectSelectOnEachProduct)
{
    EXPECT_EQ(A(BuildObjectSelect(nullptr, CStringPair(L"", L"my table"), nullptr)),
              "SELECT * FROM \"my table\"");
    EXPECT_EQ(A(BuildObjectSelect(nullptr, CStringPair(L"s", L"t"), nullptr)), "SELECT * FROM s.t");
    EXPECT_EQ(A(BuildOracleViewTextSQL(L"SALES", L"O'VIEW")),
              "SELECT TEXT FROM ALL_VIEWS WHERE OWNER='SALES' AND VIEW_NAME='O''VIEW'");

    // MariaDB quotes with backticks even where its product is not recognised.
    CRDatabase maria;
    ASSERT_TRUE(maria.Open(QlTestDb::MariaDBConnect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    CString table;
    table.Format(L"ql my table %ls", QlTestDb::UniqueTag().c_str());
    const CString select = BuildObjectSelect(&maria, CStringPair(L"", table), nullptr);
    EXPECT_EQ(A(select), "SELECT * FROM `" + A(table) + "`");
    maria.ExecuteSQL(L"CREATE TABLE `" + table + L"` (id INTEGER)");
    maria.ExecuteSQL(L"INSERT INTO `" + table + L"` VALUES (5)");
    EXPECT_EQ(A(QlConnTest::QueryText(maria, select)), "5");
    maria.ExecuteSQL(L"DROP TABLE `" + table + L"`");
}

// psqlODBC hands a timestamptz over as the session's local time alone: a table is read with such
// columns as the server's text, so that the two instants of the hour a clock turns back read
// apart, and each one's literal names it again.
TEST(CatalogReads, PostgresInstantsAreReadWithTheirOffsets)
{
    CRDatabase pg;
    ASSERT_TRUE(pg.Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    const CString table = L"ql_instants_" + CString(QlTestDb::UniqueTag().c_str());
    pg.ExecuteSQL(L"SET TimeZone = 'Europe/Berlin'");
    pg.ExecuteSQL(L"CREATE TABLE " + table + L" (id INTEGER, \"At\" TIMESTAMPTZ, n NUMERIC)");
    pg.ExecuteSQL(L"INSERT INTO " + table + L" VALUES (1, '2024-10-27 02:30:00+02', 12.50), " +
                  L"(2, '2024-10-27 02:30:00+01', NULL), (3, NULL, 1)");
    CColumnInfoArray columns;
    ReadColumns(&pg, CStringPair(L"", table), columns);
    const CString select = BuildObjectSelect(&pg, CStringPair(L"", table), &columns);
    EXPECT_EQ(A(select), "SELECT id, \"At\"::text AS \"At\", n FROM " + A(table));
    std::vector<std::string> texts, literals;
    {
        CRRecordset rs(&pg);
        rs.Open(select + L" ORDER BY id", RS_FORWARD_ONLY, RS_READONLY | RS_NUMERIC_AS_TEXT);
        EXPECT_EQ(A(rs.GetColumnName(2)), "At");
        for (; !rs.IsEOF(); rs.MoveNext())
        {
            CString text;
            texts.push_back(rs.GetFieldText(2, text) ? A(text) : "<null>");
            literals.push_back(A(pg.FormatFieldLiteral(DBMS_POSTGRESQL, &rs, 2)));
        }
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"2024-10-27 02:30:00+02", "2024-10-27 02:30:00+01",
                                               "<null>"}));
    // Each literal finds its own row, in another zone too.
    pg.ExecuteSQL(L"SET TimeZone = 'UTC'");
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(A(QlConnTest::QueryText(pg, L"SELECT id FROM " + table + L" WHERE \"At\" = " +
                                                  CString(literals[i].c_str()))),
                  std::to_string(i + 1));
    pg.ExecuteSQL(L"DROP TABLE " + table);
}

TEST(CatalogReads, ColumnsAndKeysOfSQLite)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    db.ExecuteSQL(L"CREATE TABLE parent (a INTEGER, b INTEGER, PRIMARY KEY (a, b))");
    db.ExecuteSQL(L"CREATE TABLE child (id INTEGER PRIMARY KEY, pa INTEGER, pb INTEGER NOT NULL, "
                  L"FOREIGN KEY (pa, pb) REFERENCES parent (a, b))");
    CColumnInfoArray columns;
    ReadColumns(&db, CStringPair(L"", L"child"), columns);
    ASSERT_EQ(columns.GetSize(), 3);
    EXPECT_EQ(A(columns[1].szColumnName), "pa");
    EXPECT_EQ(A(columns[2].szIsNullable), "NO");
    CPrimaryKeyArray keys;
    ReadPrimaryKeys(&db, CStringPair(L"", L"parent"), keys);
    EXPECT_EQ(keys.GetSize(), 2);
    CForeignKeyArray fks;
    ReadForeignKeys(&db, CStringPair(L"", L"child"), fks);
    ASSERT_EQ(fks.GetSize(), 2);
    EXPECT_EQ(A(fks[0].szPkTableName), "parent");
    CTableInfoArray tables;
    ReadTables(&db, nullptr, 1, false, tables);
    EXPECT_EQ(tables.GetSize(), 2);
}

TEST(CatalogReads, OracleXmlColumnsAreReadAsText)
{
    QlTestDb::FakeLog log;
    CRDatabase db;
    ASSERT_TRUE(db.Open(log.Connect(L"Oracle", L"IdentCase=1;"), CRDatabase::openNoPrompt, nullptr,
                        0, 0, 0));
    CColumnInfoArray columns;
    CRColumns::CColumnInfo id = {}, doc = {};
    wcscpy_s(id.szColumnName, L"ID");
    wcscpy_s(id.szTypeName, L"NUMBER");
    wcscpy_s(doc.szColumnName, L"Doc");
    wcscpy_s(doc.szTypeName, L"xmltype");
    columns.Add(id);
    columns.Add(doc);
    EXPECT_EQ(A(BuildObjectSelect(&db, CStringPair(L"SALES", L"DOCS"), &columns)),
              "SELECT ID, sys.xmltype.getstringval(\"Doc\") AS \"Doc\" FROM SALES.DOCS");
    columns.RemoveAt(1);
    EXPECT_EQ(A(BuildObjectSelect(&db, CStringPair(L"SALES", L"DOCS"), &columns)),
              "SELECT * FROM SALES.DOCS");
}

} // namespace
