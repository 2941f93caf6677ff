// The text filter in front of the server's answer about the session's transaction. Taking a
// statement for plain when it is not leaves a transaction it opened or ended unseen (later edits
// never committed, or committed unasked); the other way round costs one question.
#include "dbaccess/database.h"
#include "dbaccess/server_texts.h"
#include "dbaccess/transaction_statements.h"

#include <gtest/gtest.h>

namespace {

const UINT PG = DBMS_POSTGRESQL;
const UINT MY = DBMS_MYSQL;
const UINT OTHER = DBMS_OTHER; // SQLite among them

struct Case
{
    UINT kind;
    const wchar_t* sql;
    bool plain;
};

TEST(TransactionStatements, OnlyOnePlainStatementPassesWithoutAQuestion)
{
    const Case cases[] = {
        {PG, L"SELECT 1", true},
        {MY, L"  update t set v = 'COMMIT' ;  ", true},
        {OTHER, L"/* x */ -- y\nDELETE FROM t", true},
        {PG, L"INSERT INTO t VALUES ('a;b') /* ; */ -- ;\n", true},
        {PG, L"UPDATE t SET v = E'\\';' WHERE \"x;\" = 1", true},
        {MY, L"UPDATE t SET v = 'a\\';b' # ;\n", true},
        {PG, L"WITH x AS (SELECT 1) SELECT * FROM x", true},
        // Statements that may touch the transaction, on any product.
        {PG, L"COMMIT AND CHAIN", false},
        {PG, L"BEGIN ISOLATION LEVEL SERIALIZABLE", false},
        {OTHER, L"BEGIN IMMEDIATE", false},
        {OTHER, L"SAVEPOINT x", false},
        {OTHER, L"RELEASE x", false},
        {MY, L"XA START 'x'", false},
        {MY, L"CALL p()", false},
        {PG, L"DO $$ BEGIN COMMIT; END $$", false},
        {MY, L"SET autocommit = 0", false},
        {MY, L"LOCK TABLES t WRITE", false},
        {PG, L"CREATE TABLE t (id int)", false},
        {PG, L"{call p(?)}", false},
        {PG, L"", false},
        // Comments the server executes, and texts of several statements.
        {MY, L"/*!40101 START TRANSACTION */", false},
        {MY, L"/*M!100100 START TRANSACTION */ SELECT 1", false},
        {MY, L"SELECT 1 /*! ; COMMIT */", false},
        {PG, L"UPDATE t SET v = 1; COMMIT", false},
        {PG, L"SELECT $$;$$; COMMIT", false},
        {PG, L"SELECT '/* x'; COMMIT", false},
        {MY, L"SELECT 1 --;\nCOMMIT", false}, // no blank after "--": not a comment
        {MY, L"SELECT 1--1;\nCOMMIT", false},
        {MY, L"SELECT 1 -- ;\n", true},
        // Read as the server reads the text, which is not as a script is read: "//" is no
        // comment; brackets quote names where the product has them.
        {PG, L"SELECT 1 // 2; COMMIT", false},
        {OTHER, L"SELECT [a;b] FROM t", true},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(IsPlainStatement(c.kind, c.sql), c.plain) << CStringA(c.sql).GetString();
        // One SELECT is one plain statement, never several.
        if (IsSingleSelect(c.kind, c.sql))
            EXPECT_TRUE(c.plain) << CStringA(c.sql).GetString();
    }
    EXPECT_TRUE(IsSingleSelect(OTHER, L"/* x */ select v FROM t;"));
    EXPECT_FALSE(IsSingleSelect(OTHER, L"WITH x AS (SELECT 1) SELECT * FROM x"));
    EXPECT_FALSE(IsSingleSelect(OTHER, L"INSERT INTO t VALUES (1) RETURNING id"));
}

// Which PostgreSQL texts are read through a SELECT of their values' text, and from where: a
// text taken for a query when it changes rows would run its change inside that SELECT, or fail.
TEST(TransactionStatements, PostgreSQLQueriesAreReadThroughASubqueryFromTheirQuery)
{
    const size_t none = static_cast<size_t>(-1);
    const std::wstring changing = L"WITH x AS (INSERT INTO t VALUES (1) RETURNING *) ";
    const std::wstring list =
        L"WITH RECURSIVE \"a(\" (i) AS NOT MATERIALIZED (UPDATE t SET v = ')' "
        L"RETURNING id), b AS MATERIALIZED (DELETE FROM u RETURNING $$)$$ "
        L"AS d) -- (\n";
    const struct
    {
        std::wstring sql;
        size_t start;
    } cases[] = {
        {L"SELECT 1", 0},
        {L"  values (1, now()), (2, NULL);  -- two", 0},
        {L"TABLE t", 0},
        {L"/* (x */ ((SELECT 1) UNION ALL (SELECT 2)) ORDER BY 1", 0},
        {L"WITH w AS (SELECT 'delete') SELECT * FROM w", 0},
        {changing + L"SELECT * FROM x", changing.size()},
        {changing + L"TABLE x", changing.size()},
        {list + L"(SELECT * FROM b)", list.size()},
        // Changes, and what cannot be read otherwise than as written.
        {changing + L"INSERT INTO u SELECT * FROM x RETURNING *", none},
        {L"WITH update AS (SELECT 1) UPDATE t SET v = 2", none},
        {L"WITH r AS (SELECT 1 UNION ALL SELECT 2) SEARCH DEPTH FIRST BY a SET o DELETE FROM t",
         none},
        {L"(WITH x AS (DELETE FROM t RETURNING *) SELECT * FROM x)", none},
        {L"INSERT INTO t VALUES (1) RETURNING id", none},
        {L"EXECUTE p(3)", none},
        {L"SELECT 1; SELECT 2", none},
        {L"SELECT '", none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ServerTextQueryStart(c.sql.c_str()), c.start)
            << CStringA(c.sql.c_str()).GetString();

    // The main SELECT of a WITH that changes rows is read inside the same WITH.
    const std::wstring with = changing + L"SELECT id, at FROM x -- last\n;";
    EXPECT_EQ(std::wstring(SelectWithColumnsAsText(with.c_str(), {L"id", L"a\"t"}, {false, true},
                                                   changing.size())),
              changing + L"SELECT q.\"1\" AS \"id\", q.\"2\"::text AS \"a\"\"t\" FROM (\n"
                         L"SELECT id, at FROM x -- last\n) AS q(\"1\", \"2\")");
}

// Switching autocommit off after a BEGIN would have psqlODBC commit the block (and drop its
// options), so a BEGIN anywhere in the text is seen before it runs.
TEST(TransactionStatements, ABeginIsSeenBeforeItRuns)
{
    EXPECT_TRUE(OpensTransactionBlock(PG, L"begin isolation level serializable"));
    EXPECT_TRUE(OpensTransactionBlock(PG, L"UPDATE t SET v = 1; BEGIN"));
    EXPECT_TRUE(OpensTransactionBlock(MY, L"START TRANSACTION WITH CONSISTENT SNAPSHOT"));
    EXPECT_TRUE(OpensTransactionBlock(MY, L"BEGIN WORK"));
    EXPECT_FALSE(OpensTransactionBlock(MY, L"BEGIN NOT ATOMIC SELECT 1; END"));
    EXPECT_FALSE(OpensTransactionBlock(PG, L"SELECT 'BEGIN'; COMMIT"));
    EXPECT_FALSE(OpensTransactionBlock(OTHER, L"BEGIN"));
}

} // namespace
