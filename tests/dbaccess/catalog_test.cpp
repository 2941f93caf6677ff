// Catalog readers: canned rows of the fake driver (every field, NULL handling, the arguments
// the driver receives) and the real catalogs of SQLite, PostgreSQL and MariaDB.
#include "conn_test_util.h"

#include <algorithm>
#include <vector>

#include "dbaccess/catalog.h"

using namespace QlConnTest;
using namespace QlTestDb;

namespace {

// The catalog calls the fake driver logged, one per line, connect excluded.
CString CatalogCalls(const FakeLog& log)
{
    CString text = log.Read();
    text.Replace(L"CONNECT\n", L"");
    return text;
}

} // namespace

TEST(CatalogFake, TablesByTypeBits)
{
    FakeLog log;
    CRDatabase db;
    OpenOrFail(db, log.Connect(L"Oracle"));
    {
        CRTables tables(&db, CRTables::typeTable | CRTables::typeSystemTable, nullptr);
        CRTables::CTableInfo info;
        ASSERT_TRUE(tables.Fetch(&info));
        EXPECT_STREQ(info.szTableName, L"ORDERS");
        EXPECT_STREQ(info.szRemarks, L"All orders");
        EXPECT_EQ(info.nTableType, 1);
        ASSERT_TRUE(tables.Fetch(&info));
        EXPECT_STREQ(info.szTableName, L"DUAL");
        EXPECT_EQ(info.nTableType, 4);
        EXPECT_STREQ(info.szRemarks, L"") << "NULL remarks do not keep the previous row's";
        EXPECT_FALSE(tables.Fetch(&info));
        EXPECT_FALSE(tables.Fetch(&info)) << "after the end, again false";
    }
    EXPECT_EQ(CatalogCalls(log), L"SQLTables(<null>|<null>|<null>|TABLE,SYSTEM TABLE)\n");

    log.Clear();
    CRTables all(&db, 0, L"SALES_1%");
    CArray<CRTables::CTableInfo, const CRTables::CTableInfo&> list;
    EXPECT_FALSE(all.ReadAll(list));
    ASSERT_EQ(list.GetSize(), 5);
    int codes[5];
    for (int i = 0; i < 5; ++i)
        codes[i] = list[i].nTableType;
    EXPECT_EQ(std::vector<int>(codes, codes + 5), (std::vector<int>{1, 2, 4, -1, -1}));
    EXPECT_STREQ(list[4].szTableType, L"table");
    // The schema is a name, not a pattern: its "_" and "%" reach the driver escaped.
    EXPECT_EQ(CatalogCalls(log), L"SQLTables(<null>|SALES\\_1\\%|<null>|<null>)\n");
}

TEST(CatalogFake, ColumnsOfAnODBC3AndAnODBC2Driver)
{
    for (LPCWSTR version : {L"03.80", L"02.50"})
    {
        SCOPED_TRACE(Narrow(version));
        FakeLog log;
        CRDatabase db;
        CString extra = CString(L"ODBCVer=") + version + L";";
        OpenOrFail(db, log.Connect(L"Oracle", extra));
        bool odbc3 = version[1] == L'3';
        CRColumns columns(&db, L"SALES", L"ORDER_LINES");
        EXPECT_EQ(columns.HasODBC3Columns(), odbc3);
        CRColumns::CColumnInfo info;
        ASSERT_TRUE(columns.Fetch(&info));
        EXPECT_STREQ(info.szColumnName, L"ID");
        EXPECT_EQ(info.nDataType, 4);
        EXPECT_EQ(info.nColumnSize, 10);
        EXPECT_EQ(info.nNullable, 0);
        EXPECT_STREQ(info.szRemarks, L"key");
        EXPECT_EQ(info.nOrdinalPosition, odbc3 ? 1 : 0);
        EXPECT_STREQ(info.szIsNullable, odbc3 ? L"NO" : L"");
        ASSERT_TRUE(columns.Fetch(&info));
        EXPECT_STREQ(info.szColumnName, L"NAME");
        EXPECT_STREQ(info.szTypeName, L"VARCHAR2");
        EXPECT_EQ(info.nDecimalDigits, 0);
        EXPECT_STREQ(info.szRemarks, L"");
        EXPECT_STREQ(info.szColumnDef, odbc3 ? L"'none'" : L"");
        EXPECT_EQ(info.nCharOctetLength, odbc3 ? 40 : 0);
        EXPECT_FALSE(columns.Fetch(&info));
        EXPECT_EQ(CatalogCalls(log), L"SQLColumns(<null>|SALES|ORDER\\_LINES|<null>)\n");
    }
}

TEST(CatalogFake, TypesStartEachRowEmpty)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    CRTypes types(&db);
    CRTypes::CTypeInfo info;
    ASSERT_TRUE(types.Fetch(&info));
    EXPECT_STREQ(info.szTypeName, L"VARCHAR2");
    EXPECT_EQ(info.nDataType, 12);
    EXPECT_STREQ(info.szLiteralPrefix, L"'");
    EXPECT_STREQ(info.szCreateParams, L"max length");
    EXPECT_STREQ(info.szLocalTypeName, L"VARCHAR2");
    ASSERT_TRUE(types.Fetch(&info));
    EXPECT_STREQ(info.szTypeName, L"NUMBER");
    EXPECT_STREQ(info.szLiteralPrefix, L"") << "NULL in this row";
    EXPECT_STREQ(info.szCreateParams, L"");
    EXPECT_STREQ(info.szLocalTypeName, L"");
    EXPECT_EQ(info.nMaximumScale, 38);
    ASSERT_TRUE(types.Fetch(&info));
    EXPECT_STREQ(info.szTypeName, L"clob");
    EXPECT_EQ(info.nUnsignedAttribute, 0);
    EXPECT_EQ(info.nMaximumScale, 0) << "NULL in this row";
    EXPECT_FALSE(types.Fetch(&info));
}

TEST(CatalogFake, KeysProceduresAndStatistics)
{
    FakeLog log;
    CRDatabase db;
    OpenOrFail(db, log.Connect(L"Oracle"));

    CRPrimaryKey pk(&db, L"SA_LES", L"ORDERS");
    CRPrimaryKey::CPrimaryKeyInfo pkInfo;
    ASSERT_TRUE(pk.Fetch(&pkInfo));
    EXPECT_STREQ(pkInfo.szColumnName, L"ID");
    EXPECT_EQ(pkInfo.nKeySeq, 1);
    EXPECT_STREQ(pkInfo.szPkName, L"PK_ORDERS");
    EXPECT_FALSE(pk.Fetch(&pkInfo));

    CRForeignKey fk(&db, nullptr, nullptr, L"SALES", L"ORDERS");
    CRForeignKey::CForeignKeyInfo fkInfo;
    ASSERT_TRUE(fk.Fetch(&fkInfo));
    EXPECT_STREQ(fkInfo.szPkTableName, L"CUSTOMERS");
    EXPECT_STREQ(fkInfo.szFkColumnName, L"CUSTOMER_ID");
    EXPECT_EQ(fkInfo.nUpdateRule, 1);
    EXPECT_EQ(fkInfo.nDeleteRule, 0);
    EXPECT_STREQ(fkInfo.szPkName, L"PK_CUSTOMERS");
    EXPECT_STREQ(fkInfo.szFkName, L"FK_ORDERS_CUSTOMERS");

    CRProcedures procedures(&db, L"SALES", nullptr);
    CRProcedures::CProcedureInfo procInfo;
    ASSERT_TRUE(procedures.Fetch(&procInfo));
    EXPECT_STREQ(procInfo.szRemarks, L"adds an order");
    EXPECT_EQ(procInfo.nProcedureType, 1);
    ASSERT_TRUE(procedures.Fetch(&procInfo));
    EXPECT_STREQ(procInfo.szProcedureName, L"GET_TOTAL");
    EXPECT_STREQ(procInfo.szRemarks, L"");
    EXPECT_EQ(procInfo.nProcedureType, 2);

    CRProcedureColumns params(&db, L"SALES", L"ADD_ORDER", nullptr);
    CRProcedureColumns::CProcedureColumnInfo paramInfo;
    ASSERT_TRUE(params.Fetch(&paramInfo));
    EXPECT_STREQ(paramInfo.szColumnName, L"P_ID");
    EXPECT_EQ(paramInfo.nColumnSize, 10);
    EXPECT_EQ(paramInfo.nNullable, 0);
    ASSERT_TRUE(params.Fetch(&paramInfo));
    EXPECT_STREQ(paramInfo.szColumnName, L"P_NOTE");
    EXPECT_EQ(paramInfo.nColumnSize, 0);
    EXPECT_EQ(paramInfo.nDecimalDigits, 0);
    EXPECT_EQ(paramInfo.nNullable, SQL_NULLABLE_UNKNOWN);
    EXPECT_STREQ(paramInfo.szRemarks, L"");

    CRStatistics stats(&db, L"SALES", L"ORDERS");
    CRStatistics::CStatisticInfo statInfo;
    ASSERT_TRUE(stats.Fetch(&statInfo));
    EXPECT_EQ(statInfo.nNonUnique, 1) << "NULL for the table's own statistics row";
    EXPECT_EQ(statInfo.nType, SQL_TABLE_STAT);
    EXPECT_STREQ(statInfo.szIndexName, L"");
    EXPECT_EQ(statInfo.nCardinality, 42);
    ASSERT_TRUE(stats.Fetch(&statInfo));
    EXPECT_EQ(statInfo.nNonUnique, 0);
    EXPECT_STREQ(statInfo.szIndexName, L"PK_ORDERS");
    EXPECT_STREQ(statInfo.szAscOrDesc, L"A");

    // Key and index arguments are ordinary arguments, passed as given; procedure names are
    // patterns and arrive escaped.
    EXPECT_EQ(CatalogCalls(log), L"SQLPrimaryKeys(<null>|SA_LES|ORDERS)\n"
                                 L"SQLForeignKeys(<null>|<null>|<null>|<null>|SALES|ORDERS)\n"
                                 L"SQLProcedures(<null>|SALES|<null>)\n"
                                 L"SQLProcedureColumns(<null>|SALES|ADD\\_ORDER|<null>)\n"
                                 L"SQLStatistics(<null>|SALES|ORDERS)\n");
}

TEST(CatalogFake, FetchWithoutARecordAndAfterClose)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    CRPrimaryKey pk(&db, nullptr, L"ORDERS");
    EXPECT_FALSE(pk.Fetch(nullptr));
    CRPrimaryKey::CPrimaryKeyInfo info;
    ASSERT_TRUE(pk.Fetch(&info)) << "the null fetch did not use up the row";
    pk.Close();
    EXPECT_FALSE(pk.IsOpen());
    EXPECT_FALSE(pk.Fetch(&info));
}

TEST(CatalogFake, ConstructionOnAClosedConnectionThrows)
{
    CRDatabase db;
    auto e = Catch([&] { CRTypes types(&db); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_nRetCode, 65534);
}

TEST(Catalog, LessBySchemaAndName)
{
    CRTables::CTableInfo a = {}, b = {};
    wcscpy(a.szTableSchem, L"sales");
    wcscpy(a.szTableName, L"b");
    wcscpy(b.szTableSchem, L"SALES");
    wcscpy(b.szTableName, L"A");
    EXPECT_TRUE(CRTables::LessBySchemaAndName(b, a));
    EXPECT_FALSE(CRTables::LessBySchemaAndName(a, b));
    wcscpy(b.szTableSchem, L"Z");
    EXPECT_TRUE(CRTables::LessBySchemaAndName(a, b));
    EXPECT_FALSE(CRTables::LessBySchemaAndName(a, a));
}

// ---- the real catalogs ----------------------------------------------------------------------------

namespace {

struct RealCatalog
{
    CString connect;
    LPCWSTR schema; // where the test tables live (null: the driver's default)
};

void ReadRealCatalog(const RealCatalog& server)
{
    CRDatabase db;
    OpenOrFail(db, server.connect);
    CString dbms;
    db.GetDBMSName(dbms);
    CString suffix;
    suffix = QlTestDb::UniqueTag().c_str();
    CString parent = L"ql_conn_a_b_" + suffix; // "_" would match any character as a pattern
    CString lookalike = L"ql_conn_axb_" + suffix;
    CString child = L"ql_conn_child_" + suffix;
    for (const CString& t : {child, parent, lookalike})
        db.ExecuteSQL(L"DROP TABLE IF EXISTS " + t);
    CString engine = dbms == L"MariaDB" ? L" ENGINE=InnoDB" : L"";
    db.ExecuteSQL(L"CREATE TABLE " + parent +
                  L" (id int NOT NULL PRIMARY KEY, name varchar(20) DEFAULT 'x')" + engine);
    db.ExecuteSQL(L"CREATE TABLE " + lookalike + L" (other int)" + engine);
    db.ExecuteSQL(L"CREATE TABLE " + child + L" (pid int REFERENCES " + parent + L"(id))" + engine);
    db.ExecuteSQL(L"CREATE INDEX ql_conn_ix_" + suffix + L" ON " + parent + L" (name)");

    {
        CRColumns columns(&db, server.schema, parent);
        std::vector<CString> names;
        CRColumns::CColumnInfo info;
        while (columns.Fetch(&info))
        {
            names.push_back(info.szColumnName);
            EXPECT_EQ(CString(info.szTableName), parent);
        }
        EXPECT_EQ(names, (std::vector<CString>{L"id", L"name"}))
            << "the lookalike table's columns stay out";
    }
    {
        CRTables tables(&db, CRTables::typeTable, server.schema);
        CRTables::CTableInfo info;
        int found = 0;
        while (tables.Fetch(&info))
            if (parent == info.szTableName || lookalike == info.szTableName)
            {
                ++found;
                EXPECT_EQ(info.nTableType, 1);
            }
        EXPECT_EQ(found, 2);
    }
    {
        CRPrimaryKey pk(&db, server.schema, parent);
        CRPrimaryKey::CPrimaryKeyInfo info;
        ASSERT_TRUE(pk.Fetch(&info));
        EXPECT_STREQ(info.szColumnName, L"id");
        EXPECT_EQ(info.nKeySeq, 1);
        EXPECT_FALSE(pk.Fetch(&info));
    }
    if (dbms != L"SQLite")
    {
        CRForeignKey fk(&db, nullptr, nullptr, server.schema, child);
        CRForeignKey::CForeignKeyInfo info;
        ASSERT_TRUE(fk.Fetch(&info));
        EXPECT_EQ(CString(info.szPkTableName), parent);
        EXPECT_STREQ(info.szPkColumnName, L"id");
        EXPECT_STREQ(info.szFkColumnName, L"pid");
    }
    {
        CRStatistics stats(&db, server.schema, parent);
        CRStatistics::CStatisticInfo info;
        bool sawIndex = false;
        while (stats.Fetch(&info))
            if (CString(L"ql_conn_ix_" + suffix) == info.szIndexName)
            {
                sawIndex = true;
                EXPECT_STREQ(info.szColumnName, L"name");
                EXPECT_EQ(info.nNonUnique, 1);
            }
        EXPECT_TRUE(sawIndex);
    }
    {
        CRTypes types(&db);
        CRTypes::CTypeInfo info;
        int count = 0;
        while (types.Fetch(&info))
            ++count;
        EXPECT_GT(count, 3);
    }
    for (const CString& t : {child, parent, lookalike})
        db.ExecuteSQL(L"DROP TABLE " + t);
}

} // namespace

TEST(CatalogReal, SQLite)
{
    TempSQLiteFile file;
    auto e = Catch([&] { ReadRealCatalog({file.Connect(), nullptr}); });
    EXPECT_FALSE(e) << Narrow(e->m_strError);
}

TEST(CatalogReal, PostgreSQL)
{
    auto e = Catch([&] { ReadRealCatalog({PostgresConnect(), L"public"}); });
    EXPECT_FALSE(e) << Narrow(e->m_strError);
}

TEST(CatalogReal, MariaDB)
{
    auto e = Catch([&] { ReadRealCatalog({MariaDBConnect(), nullptr}); });
    EXPECT_FALSE(e) << Narrow(e->m_strError);
}

TEST(CatalogReal, MariaDBRowsNameTheirDatabaseAsSchema)
{
    // Named so, a table, a key's tables and a procedure are the same objects after a USE.
    CRDatabase db;
    OpenOrFail(db, MariaDBConnect());
    const CString suffix = QlTestDb::UniqueTag().c_str();
    const CString parent = L"ql_cat_parent_" + suffix, child = L"ql_cat_child_" + suffix;
    const CString proc = L"ql_cat_proc_" + suffix;
    auto e = Catch([&] {
        db.ExecuteSQL(L"CREATE TABLE " + parent + L" (id int PRIMARY KEY) ENGINE=InnoDB");
        db.ExecuteSQL(L"CREATE TABLE " + child + L" (pid int REFERENCES " + parent +
                      L"(id)) ENGINE=InnoDB");
        db.ExecuteSQL(L"CREATE PROCEDURE " + proc + L"() SELECT 1");
        {
            CRTables tables(&db, CRTables::typeTable, nullptr);
            CRTables::CTableInfo info;
            int found = 0;
            while (tables.Fetch(&info))
                if (parent == info.szTableName)
                {
                    ++found;
                    EXPECT_STREQ(info.szTableCat, L"quenlark");
                    EXPECT_STREQ(info.szTableSchem, L"quenlark");
                }
            EXPECT_EQ(found, 1);
        }
        {
            CRForeignKey fk(&db, nullptr, nullptr, L"quenlark", child);
            CRForeignKey::CForeignKeyInfo info;
            ASSERT_TRUE(fk.Fetch(&info));
            EXPECT_STREQ(info.szPkTableSchem, L"quenlark");
            EXPECT_STREQ(info.szFkTableSchem, L"quenlark");
        }
        {
            CRProcedures procs(&db, L"quenlark", proc);
            CRProcedures::CProcedureInfo info;
            ASSERT_TRUE(procs.Fetch(&info));
            EXPECT_STREQ(info.szProcedureSchem, L"quenlark");
        }
    });
    EXPECT_FALSE(e) << Narrow(e->m_strError);
    Catch([&] { db.ExecuteSQL(L"DROP PROCEDURE IF EXISTS " + proc); });
    Catch([&] { db.ExecuteSQL(L"DROP TABLE IF EXISTS " + child + L", " + parent); });
}
