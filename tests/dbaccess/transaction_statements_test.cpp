// What a statement's text tells about the session's transaction. A wrong answer either leaves
// the user's transaction open out of sight (later edits never committed) or gives back
// autocommit while it is still open (the driver then commits it unasked).
#include "dbaccess/database.h"
#include "dbaccess/transaction_statements.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    UINT kind;
    const wchar_t* sql;
    TransactionEffect effect;
};

const UINT PG = DBMS_POSTGRESQL;
const UINT MY = DBMS_MYSQL;

TEST(TransactionStatements, EffectOfTheText)
{
    const Case cases[] = {
        // The ways to end one, and those that end nothing.
        {PG, L"commit", txEnds},
        {PG, L"  COMMIT WORK ;  ", txEnds},
        {PG, L"END TRANSACTION", txEnds},
        {PG, L"abort", txEnds},
        {PG, L"ROLLBACK AND NO CHAIN", txEnds},
        {PG, L"PREPARE TRANSACTION 'x'", txEnds},
        {PG, L"/* done */ -- now\nCOMMIT", txEnds},
        {MY, L"ROLLBACK WORK", txEnds},
        {MY, L"COMMIT RELEASE", txEnds},
        {PG, L"ROLLBACK TO SAVEPOINT s", txNone},
        {PG, L"ROLLBACK TRANSACTION TO s", txNone},
        {MY, L"ROLLBACK WORK TO SAVEPOINT s", txNone},
        {PG, L"RELEASE SAVEPOINT s", txNone},
        {MY, L"RELEASE SAVEPOINT s", txNone},
        {PG, L"COMMIT AND CHAIN", txNone},
        {MY, L"commit work and chain", txNone},
        {PG, L"COMMIT PREPARED 'x'", txNone},
        {PG, L"ENDING", txNone},
        // The ways to open one.
        {PG, L"BEGIN", txOpens},
        {PG, L"begin isolation level serializable", txOpens},
        {PG, L"START TRANSACTION READ ONLY", txOpens},
        {MY, L"BEGIN WORK", txOpens},
        {MY, L"START TRANSACTION WITH CONSISTENT SNAPSHOT", txOpens},
        // MariaDB's compound statement and statements that may commit or open out of sight.
        {MY, L"BEGIN NOT ATOMIC SELECT 1; END", txUnknown},
        {MY, L"CALL p()", txUnknown},
        {MY, L"CREATE TABLE t (id int)", txUnknown},
        {MY, L"SET autocommit = 1", txUnknown},
        {MY, L"END", txUnknown},
        {MY, L"(SELECT 1)", txNone},
        {MY, L"UPDATE t SET v = 'COMMIT'", txNone},
        {PG, L"CREATE TABLE t (id int)", txNone},
        {PG, L"", txNone},
        {PG, L" ; ; ", txNone},
        // Several statements; semicolons in quotes and comments separate nothing.
        {PG, L"UPDATE t SET v = 1; COMMIT", txUnknown},
        {PG, L"UPDATE t SET v = 'a;b' /* ; */ -- ;\n", txNone},
        {PG, L"UPDATE t SET v = E'\\';' WHERE \"x;\" = 1", txNone},
        {PG, L"DO $f$ BEGIN PERFORM 1; COMMIT; END $f$", txNone},
        {PG, L"SELECT $$;$$; COMMIT", txUnknown},
        {PG, L"SELECT '/* x'; COMMIT", txUnknown},
        {PG, L"/* a /* nested ; */ still */ COMMIT", txEnds},
        {MY, L"UPDATE t SET v = 'a\\';b' # ;\n", txNone},
        {MY, L"SELECT `a;b` FROM t", txNone},
        {MY, L"SELECT 1 --;\nCOMMIT", txUnknown}, // no blank after "--": not a comment
        // Other products are not followed.
        {DBMS_OTHER, L"COMMIT", txNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetTransactionEffect(c.kind, c.sql), c.effect)
            << (c.kind == PG ? "PostgreSQL: " : "MySQL: ") << CStringA(c.sql).GetString();
}

TEST(TransactionStatements, AnyStatementOfTheTextMayOpenOne)
{
    EXPECT_TRUE(OpensTransactionBlock(PG, L"UPDATE t SET v = 1; BEGIN"));
    EXPECT_TRUE(OpensTransactionBlock(PG, L"BEGIN; UPDATE t SET v = 1; COMMIT"));
    EXPECT_FALSE(OpensTransactionBlock(MY, L"BEGIN NOT ATOMIC SELECT 1; END"));
    EXPECT_FALSE(OpensTransactionBlock(PG, L"SELECT 'BEGIN'; COMMIT"));
    EXPECT_FALSE(OpensTransactionBlock(DBMS_OTHER, L"BEGIN"));
}

} // namespace
