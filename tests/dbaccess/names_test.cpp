// Quoting of names and texts, on the products' rules and for real on PostgreSQL and SQLite.
#include "conn_test_util.h"

#include <algorithm>

#include "dbaccess/sql_names.h"

using namespace QlConnTest;
using namespace QlTestDb;

TEST(Names, ReservedWordText)
{
    CString words = GetSQLReservedWords();
    EXPECT_EQ(words.Left(16), L"ABSOLUTE,ACTION,");
    EXPECT_EQ(words.Right(9), L",truncate");
    int commas = 0;
    for (int i = 0; i < words.GetLength(); ++i)
        commas += words[i] == L',';
    EXPECT_EQ(commas, 273) << "274 words";
    EXPECT_EQ(words.Find(L' '), -1);
}

TEST(Names, NeedsQuotesWithoutADatabase)
{
    for (LPCWSTR name : {L"1abc", L"order", L"ORDER", L"Order", L"my-table", L"a b", L"truncate",
                         L"ROWS", L"END-EXEC", L"x.y"})
        EXPECT_TRUE(NeedsSQLQuotes(name, nullptr)) << Narrow(name);
    for (LPCWSTR name : {L"customers", L"Orders", L"_x1", L"", L"Gr\u00FC\u00DFe", L"orders2"})
        EXPECT_FALSE(NeedsSQLQuotes(name, nullptr)) << Narrow(name);
}

TEST(Names, NeedsQuotesByTheProductsCaseAndTypes)
{
    struct Case
    {
        LPCWSTR identCase;
        LPCWSTR name;
        bool quoted;
    } cases[] = {
        {L"1", L"Orders", true},
        {L"1", L"CUSTOMERS", false},
        {L"2", L"Orders", true},
        {L"2", L"orders", false},
        {L"4", L"Orders", false},
        {L"3", L"Orders", false},
        // A type name of the product, not a reserved word.
        {L"3", L"Clob", true},
        {L"3", L"clob2", false},
    };
    for (const Case& c : cases)
    {
        CRDatabase db;
        CString extra;
        extra.Format(L"IdentCase=%s;", c.identCase);
        OpenOrFail(db, FakeConnect(L"Oracle", extra));
        EXPECT_EQ(NeedsSQLQuotes(c.name, &db), c.quoted)
            << Narrow(c.name) << " case " << Narrow(c.identCase);
    }
}

TEST(Names, QuotingByProduct)
{
    CRDatabase mysql, mssql, postgres, access;
    OpenOrFail(mysql, FakeConnect(L"MySQL"));
    OpenOrFail(mssql, FakeConnect(L"Microsoft SQL Server"));
    OpenOrFail(postgres, FakeConnect(L"PostgreSQL"));
    OpenOrFail(access, FakeConnect(L"ACCESS"));

    EXPECT_EQ(QuoteSQLName(L"a b", &mysql), L"`a b`");
    EXPECT_EQ(QuoteSQLName(L"a`b", &mysql), L"`a``b`");
    EXPECT_EQ(QuoteSQLName(L"a b", &mssql), L"\"a b\"");
    EXPECT_EQ(QuoteSQLName(L"a\"b", &mssql), L"[a\"b]");
    EXPECT_EQ(QuoteSQLName(L"a]\"b", &access), L"[a]]\"b]");
    // Products without brackets double the quote character instead.
    EXPECT_EQ(QuoteSQLName(L"a\"b", &postgres), L"\"a\"\"b\"");
    EXPECT_EQ(QuoteSQLName(L"a\"b", nullptr), L"\"a\"\"b\"");

    EXPECT_EQ(QuoteSQLNameIfNeeded(L"plain", &mysql), L"plain");
    EXPECT_EQ(QuoteSQLNameIfNeeded(L"select", &mysql), L"`select`");
}

TEST(Names, ObjectNames)
{
    CRDatabase mssql;
    OpenOrFail(mssql, FakeConnect(L"Microsoft SQL Server"));
    EXPECT_EQ(FormatObjectName(CStringPair(L"dbo", L"dbo.Order Details"), &mssql, true),
              L"dbo.dbo.\"Order Details\"");
    EXPECT_EQ(FormatObjectName(CStringPair(L"dbo", L"dbo.Order Details"), &mssql, false),
              L"dbo.\"Order Details\"");
    EXPECT_EQ(FormatObjectName(CStringPair(L"S", L""), nullptr, true), L"S");
    EXPECT_EQ(FormatObjectName(CStringPair(L"S", L""), nullptr, false), L"");
    EXPECT_EQ(FormatObjectName(CStringPair(L"", L".x"), nullptr, true), L"x");
    EXPECT_EQ(FormatObjectName(CStringPair(L"my schema", L"t"), nullptr, true), L"\"my schema\".t");

    EXPECT_EQ(MakeQuotedTwoPartName(L"s", L"order", nullptr), L"s.\"order\"");
    EXPECT_EQ(MakeQuotedTwoPartName(L"", L"t", nullptr), L"t");
    EXPECT_EQ(MakeObjectName(CStringPair(L"S", L"T"), true), L"S.T");
    EXPECT_EQ(MakeObjectName(CStringPair(L"S", L"T"), false), L"T");
    EXPECT_EQ(MakeObjectName(CStringPair(L"", L"T"), true), L"T");
    EXPECT_EQ(MakeObjectNameLiteral(CStringPair(L"S", L"T"), true), L"'S.T'");
    EXPECT_EQ(ObjectNameToStringLiteral(CStringPair(L"db", L""), L"O'T"), L"'db.O''T'");
    EXPECT_EQ(ObjectNameToStringLiteral(CStringPair(L"a", L"b"), L"c"), L"'a.b.c'");
    EXPECT_EQ(QuoteSQLString(L"O'Neil"), L"'O''Neil'");

    std::vector<CStringPair> pairs = {{L"b", L"x"}, {L"A", L"y"}, {L"a", L"X"}, {L"B", L"a"}};
    std::sort(pairs.begin(), pairs.end(), LessByNamePair);
    EXPECT_EQ(pairs[0].m_strSecond, L"X");
    EXPECT_EQ(pairs[1].m_strSecond, L"y");
    EXPECT_EQ(pairs[2].m_strSecond, L"a");
    EXPECT_EQ(pairs[3].m_strSecond, L"x");
}

namespace {

// Creates a table under an awkward name through the quoting functions and reads it back.
void AwkwardNames(CRDatabase& db)
{
    CString suffix;
    suffix = QlTestDb::UniqueTag().c_str();
    for (CString name : {L"ql_conn_Mixed Case " + suffix, L"ql_conn_quote\"d " + suffix,
                         L"ql_conn_" + suffix + L"_order", L"ql_conn_b`q'a\\s " + suffix})
    {
        SCOPED_TRACE(Narrow(name));
        CString table = FormatObjectName(CStringPair(L"", name), &db, false);
        CString column = QuoteSQLNameIfNeeded(L"Select", &db);
        db.ExecuteSQL(L"DROP TABLE IF EXISTS " + table);
        db.ExecuteSQL(L"CREATE TABLE " + table + L" (" + column + L" int)");
        db.ExecuteSQL(L"INSERT INTO " + table + L" VALUES (7)");
        EXPECT_EQ(QueryText(db, L"SELECT " + column + L" FROM " + table), L"7");
        // A quoted name read as a string would compare unequal and count nothing.
        EXPECT_EQ(QueryText(db, L"SELECT COUNT(*) FROM " + table + L" WHERE " + column + L" = 7"),
                  L"1");
        db.ExecuteSQL(L"DROP TABLE " + table);
    }
}

} // namespace

TEST(NamesOnServers, PostgreSQLFoldsToLowerCase)
{
    CRDatabase db;
    OpenOrFail(db, PostgresConnect());
    EXPECT_TRUE(NeedsSQLQuotes(L"Orders", &db));
    EXPECT_FALSE(NeedsSQLQuotes(L"orders", &db));
    EXPECT_TRUE(NeedsSQLQuotes(L"int4", &db)) << "a type name the driver lists";
    AwkwardNames(db);
}

TEST(NamesOnServers, SQLiteIsCaseSensitive)
{
    TempSQLiteFile file;
    CRDatabase db;
    OpenOrFail(db, file.Connect());
    EXPECT_FALSE(NeedsSQLQuotes(L"Orders", &db));
    AwkwardNames(db);
}

TEST(NamesOnServers, MariaDBQuotesWithBackquotes)
{
    CRDatabase db;
    OpenOrFail(db, MariaDBConnect());
    EXPECT_EQ(QuoteSQLName(L"order", &db), L"`order`");
    AwkwardNames(db);
}

TEST(NamesOnServers, OneQuoterForManyNamesAnswersAsTheSingleCalls)
{
    // The quoter reads the connection's rules once; every answer stays that of the functions
    // asking the driver per name.
    CRDatabase pg;
    OpenOrFail(pg, PostgresConnect());
    CRDatabase oracle;
    OpenOrFail(oracle, FakeConnect(L"Oracle", L"IdentCase=1;"));
    const CStringPair names[] = {
        {L"public", L"Orders"}, {L"Sales", L"orders"}, {L"", L"int4"},   {L"x", L"Clob"},
        {L"S", L"CUSTOMERS"},   {L"", L"1abc"},        {L"a b", L"c.d"}, {L"", L""},
    };
    for (CRDatabase* pDatabase : {&pg, &oracle})
    {
        CSQLNameQuoter quoter(pDatabase);
        for (const CStringPair& name : names)
        {
            EXPECT_EQ(quoter.NeedsQuotes(name.m_strSecond),
                      NeedsSQLQuotes(name.m_strSecond, pDatabase))
                << Narrow(name.m_strSecond);
            EXPECT_EQ(quoter.FormatObjectName(name, true), FormatObjectName(name, pDatabase, true))
                << Narrow(name.m_strFirst) << "." << Narrow(name.m_strSecond);
            EXPECT_EQ(quoter.FormatObjectName(name, false),
                      FormatObjectName(name, pDatabase, false));
        }
    }
    CSQLNameQuoter pgQuoter(&pg);
    EXPECT_EQ(pgQuoter.FormatObjectName(CStringPair(L"Sales", L"int4"), true),
              CString(L"\"Sales\".\"int4\""));
    CSQLNameQuoter oracleQuoter(&oracle);
    EXPECT_EQ(oracleQuoter.FormatObjectName(CStringPair(L"S", L"CUSTOMERS"), true),
              CString(L"S.CUSTOMERS"));
    EXPECT_TRUE(oracleQuoter.NeedsQuotes(L"Clob")) << "a type name of the product";
}
