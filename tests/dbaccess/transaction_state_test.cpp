// The transaction's state and what statement texts tell of it, without a server. A text read as
// plain when it ends the transaction leaves a finished transaction shown and later edits
// uncommitted; a question asked where the text tells is a query of the program's own inside the
// user's transaction.
#include "dbaccess/database.h"
#include "dbaccess/transaction_state.h"

#include <gtest/gtest.h>

namespace {

const UINT PG = DBMS_POSTGRESQL;
const UINT MY = DBMS_MYSQL;

TEST(TransactionText, TheTextTellsWhatItDoesToTheTransaction)
{
    struct Case
    {
        UINT kind;
        const wchar_t* sql;
        TxnText text;
    } cases[] = {
        {PG, L"BEGIN ISOLATION LEVEL REPEATABLE READ", TxnText::Opens},
        {PG, L"/* why */ START TRANSACTION READ ONLY", TxnText::Opens},
        {PG, L"commit", TxnText::Commits},
        {PG, L"END TRANSACTION", TxnText::Commits},
        {PG, L"ABORT", TxnText::RollsBack},
        {PG, L"ROLLBACK TO SAVEPOINT s", TxnText::RollsBackToSavepoint},
        {PG, L"ROLLBACK WORK TO s", TxnText::RollsBackToSavepoint},
        {PG, L"BEGIN; SAVEPOINT a; ROLLBACK TO a", TxnText::RollsBackToSavepoint},
        {PG, L"ROLLBACK TO a; COMMIT", TxnText::Commits},
        {PG, L"COMMIT AND CHAIN", TxnText::Chains},
        {PG, L"COMMIT AND NO CHAIN", TxnText::Commits},
        {PG, L"PREPARE TRANSACTION 'x'", TxnText::RollsBack},
        {PG, L"COMMIT PREPARED 'x'", TxnText::Plain},
        {PG, L"CREATE TABLE t (id int)", TxnText::Plain},
        {PG, L"SAVEPOINT s", TxnText::Plain},
        {PG, L"INSERT INTO t VALUES (1); COMMIT; INSERT INTO t VALUES (2)", TxnText::Commits},
        {PG, L"BEGIN; INSERT INTO t VALUES ('COMMIT')", TxnText::Opens},
        {PG, L"DO $$BEGIN PERFORM 1; END$$", TxnText::Plain},
        {MY, L"BEGIN", TxnText::Opens},
        {MY, L"BEGIN WORK", TxnText::Opens},
        {MY, L"BEGIN NOT ATOMIC START TRANSACTION; END", TxnText::Other},
        {MY, L"COMMIT WORK", TxnText::Commits},
        {MY, L"ROLLBACK AND CHAIN", TxnText::Chains},
        {MY, L"COMMIT RELEASE", TxnText::Other},
        {MY, L"ROLLBACK TO SAVEPOINT s", TxnText::Plain},
        {MY, L"CREATE TABLE t (id int)", TxnText::Other}, // an implicit commit
        {MY, L"CALL p()", TxnText::Other},
        {MY, L"SET autocommit = 0", TxnText::Other},
        {MY, L"/*!40101 START TRANSACTION */", TxnText::Other},
        {MY, L"UPDATE t SET v = 'COMMIT'", TxnText::Plain},
        {DBMS_OTHER, L"BEGIN", TxnText::Other},
        {DBMS_OTHER, L"SELECT 1", TxnText::Plain},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadTransactionText(c.kind, c.sql), c.text) << CStringA(c.sql).GetString();
    // Whether the text's COMMIT follows a ROLLBACK TO with nothing ending the transaction
    // between them: such a COMMIT commits.
    const struct
    {
        const wchar_t* sql;
        bool recovers;
    } recovering[] = {
        {L"ROLLBACK TO a; COMMIT", true},
        {L"ROLLBACK TO SAVEPOINT a; UPDATE t SET v = 1; END", true},
        {L"COMMIT", false},
        {L"ROLLBACK TO a; COMMIT; BEGIN; COMMIT", false},
        {L"ROLLBACK TO a; ROLLBACK", false},
    };
    for (const auto& r : recovering)
    {
        bool recovers = !r.recovers;
        ReadTransactionText(PG, r.sql, &recovers);
        EXPECT_EQ(recovers, r.recovers) << CStringA(r.sql).GetString();
    }
}

// A PostgreSQL session through BEGIN, a failure and the typed COMMIT, as psql runs it: no
// question on the way, the failure aborts, the COMMIT rolls back and says so.
TEST(TransactionState, PostgreSQLFollowsTheServerWithoutAsking)
{
    const auto pg = TxnProduct::PostgreSQL;
    TxnStep step = TxnAfterSuccess(TxnState::Beginning, TxnText::Opens, pg);
    EXPECT_FALSE(step.bAsk);
    EXPECT_EQ(step.next, TxnState::User);
    step = TxnAfterFailure(TxnState::User, TxnText::Plain, pg, L"22012", true);
    EXPECT_FALSE(step.bAsk);
    EXPECT_EQ(step.next, TxnState::Aborted);
    EXPECT_EQ(step.note, TxnStep::noteAborted);
    EXPECT_EQ(TxnAfterFailure(TxnState::Aborted, TxnText::Plain, pg, L"25P02", true).next,
              TxnState::Aborted);
    step = TxnAfterSuccess(TxnState::Aborted, TxnText::Commits, pg);
    EXPECT_FALSE(step.bAsk);
    EXPECT_EQ(step.next, TxnState::None);
    EXPECT_EQ(step.note, TxnStep::noteRolledBack);
    // Outside a transaction a failure changes nothing; the driver's own complaints never do.
    EXPECT_EQ(TxnAfterFailure(TxnState::None, TxnText::Plain, pg, L"42P01", true).next,
              TxnState::None);
    EXPECT_EQ(TxnAfterFailure(TxnState::User, TxnText::Plain, pg, L"HY008", true).next,
              TxnState::User);
    // A failed BEGIN gives back the block the driver opened ahead of it.
    step = TxnAfterFailure(TxnState::Beginning, TxnText::Opens, pg, L"42601", true);
    EXPECT_TRUE(step.bRollBackBegin);
    EXPECT_EQ(step.next, TxnState::None);
    // A failed COMMIT was the end: the server rolled back.
    step = TxnAfterFailure(TxnState::User, TxnText::Commits, pg, L"40001", true);
    EXPECT_EQ(step.next, TxnState::None);
    EXPECT_EQ(step.note, TxnStep::noteEndedByFailure);
    // Several statements that failed somewhere: the server says where that left it.
    EXPECT_TRUE(TxnAfterFailure(TxnState::None, TxnText::Opens, pg, L"22012", false).bAsk);
    EXPECT_EQ(TxnFollowAnswer(TxnState::Beginning, TxnAnswer::Aborted, pg), TxnState::Aborted);
}

// A refused change (a privilege, a constraint, a trigger's error) aborts the transaction it ran
// in. One the user began, or Begin Transaction, stays aborted until the user ends it, and the
// failure says so; the guard the program puts around one change of its own is rolled back by it
// before the failure is read: nothing is said of a transaction the user does not have.
TEST(TransactionState, ARefusedChangeSaysAbortedOnlyOfTheUsersTransaction)
{
    const auto pg = TxnProduct::PostgreSQL;
    for (const wchar_t* state : {L"42501", L"23514", L"23505", L"P0001"})
    {
        for (const TxnState users : {TxnState::User, TxnState::Program})
        {
            const TxnStep step = TxnAfterFailure(users, TxnText::Plain, pg, state, true);
            EXPECT_EQ(step.next, TxnState::Aborted);
            EXPECT_EQ(step.note, TxnStep::noteAborted);
        }
        const TxnStep guarded = TxnAfterFailure(TxnState::Guard, TxnText::Plain, pg, state, true);
        EXPECT_EQ(guarded.next, TxnState::Aborted) << "the server holds it aborted until then";
        EXPECT_EQ(guarded.note, TxnStep::noNote) << CStringA(state).GetString();
        EXPECT_FALSE(guarded.bAsk);
    }
    EXPECT_EQ(
        TxnAfterFailure(TxnState::Guard, TxnText::Plain, TxnProduct::MySQL, L"23000", true).note,
        TxnStep::noNote);
    EXPECT_TRUE(TxnAutocommitOff(TxnState::Guard));
    EXPECT_TRUE(TxnIsOpen(TxnState::Guard));
}

// psql's savepoints: a ROLLBACK TO that succeeds makes an aborted transaction usable again, so
// the COMMIT after it commits; one naming no savepoint fails and leaves it aborted.
TEST(TransactionState, RollbackToSavepointEndsTheAbortedState)
{
    const auto pg = TxnProduct::PostgreSQL;
    const TxnText to = TxnText::RollsBackToSavepoint;
    TxnStep step = TxnAfterFailure(TxnState::User, TxnText::Plain, pg, L"23505", true);
    ASSERT_EQ(step.next, TxnState::Aborted);
    step = TxnAfterFailure(TxnState::Aborted, to, pg, L"3B001", true);
    EXPECT_FALSE(step.bAsk);
    EXPECT_EQ(step.next, TxnState::Aborted);
    step = TxnAfterSuccess(TxnState::Aborted, to, pg);
    EXPECT_FALSE(step.bAsk);
    EXPECT_EQ(step.next, TxnState::User);
    step = TxnAfterSuccess(step.next, TxnText::Commits, pg);
    EXPECT_EQ(step.next, TxnState::None);
    EXPECT_EQ(step.note, TxnStep::noNote);
    // In the program's own transaction it goes on as the program's; a failed one in a usable
    // transaction aborts it, as any failure does.
    EXPECT_EQ(TxnAfterSuccess(TxnState::Program, to, pg).next, TxnState::Program);
    step = TxnAfterFailure(TxnState::User, to, pg, L"3B001", true);
    EXPECT_EQ(step.next, TxnState::Aborted);
    EXPECT_EQ(step.note, TxnStep::noteAborted);
    // Outside a transaction it fails and changes nothing.
    EXPECT_EQ(TxnAfterFailure(TxnState::None, to, pg, L"25P01", true).next, TxnState::None);
    // The server's answer before a COMMIT wins over what the statements seen so far told.
    EXPECT_EQ(TxnFollowAnswer(TxnState::Aborted, TxnAnswer::Open, pg), TxnState::User);
    EXPECT_EQ(TxnFollowAnswer(TxnState::User, TxnAnswer::Aborted, pg), TxnState::Aborted);
}

// A failure that met the session gone (terminated, timed out, the connection broken): whatever
// transaction was open went with the session. It is no longer shown or asked about, nor taken
// for aborted, and the failure says it ended; autocommit stays as the driver has it.
TEST(TransactionState, ALostSessionTakesItsTransactionAlong)
{
    const struct
    {
        TxnState before;
        TxnState after;
        bool said;
    } cases[] = {
        {TxnState::User, TxnState::Lost, true},
        {TxnState::Program, TxnState::Lost, true},
        {TxnState::Guard, TxnState::Lost, false},
        {TxnState::Aborted, TxnState::Lost, true},
        {TxnState::UserUnknown, TxnState::Lost, true},
        {TxnState::Server, TxnState::None, true},
        {TxnState::Beginning, TxnState::Lost, false},
        {TxnState::Unknown, TxnState::None, false},
        {TxnState::None, TxnState::None, false},
        {TxnState::Lost, TxnState::Lost, false},
        {TxnState::DriversAborted, TxnState::None, false},
    };
    for (const auto& c : cases)
    {
        const TxnStep step = TxnAfterSessionLost(c.before);
        EXPECT_EQ(step.next, c.after) << static_cast<int>(c.before);
        EXPECT_FALSE(TxnIsOpen(step.next)) << static_cast<int>(c.before);
        EXPECT_EQ(TxnAutocommitOff(step.next), TxnAutocommitOff(c.before))
            << static_cast<int>(c.before);
        EXPECT_FALSE(step.bAsk);
        EXPECT_EQ(step.note == TxnStep::noteEndedWithSession, c.said) << static_cast<int>(c.before);
    }
}

TEST(TransactionState, AutocommitFollowsTheState)
{
    // The user's COMMIT ends the program's transaction too: the server holds none after it.
    for (const TxnProduct product : {TxnProduct::PostgreSQL, TxnProduct::MySQL})
        EXPECT_EQ(TxnAfterSuccess(TxnState::Program, TxnText::Commits, product).next,
                  TxnState::None);
    EXPECT_EQ(TxnAfterSuccess(TxnState::Program, TxnText::Chains, TxnProduct::PostgreSQL).next,
              TxnState::Program);
    EXPECT_EQ(TxnFollowAnswer(TxnState::None, TxnAnswer::Open, TxnProduct::SQLite),
              TxnState::Server);
    // MySQL: a question that could not be asked yet (further results wait) leaves the state
    // taken for open, to be asked again.
    EXPECT_EQ(TxnFollowAnswer(TxnState::None, TxnAnswer::None, TxnProduct::MySQL),
              TxnState::Unknown);
    EXPECT_EQ(TxnFollowAnswer(TxnState::User, TxnAnswer::None, TxnProduct::MySQL),
              TxnState::UserUnknown);
    EXPECT_TRUE(TxnIsOpen(TxnState::Unknown));
    EXPECT_FALSE(TxnIsOpen(TxnState::Unknown, true));
    EXPECT_FALSE(TxnAutocommitOff(TxnState::Unknown));
    EXPECT_TRUE(TxnAutocommitOff(TxnState::UserUnknown));
    EXPECT_TRUE(TxnAutocommitOff(TxnState::Aborted));
    EXPECT_FALSE(TxnAutocommitOff(TxnState::Server));
    // MySQL keeps the transaction after a failed statement, but for a deadlock.
    EXPECT_EQ(
        TxnAfterFailure(TxnState::User, TxnText::Plain, TxnProduct::MySQL, L"HY000", true).next,
        TxnState::User);
    EXPECT_TRUE(
        TxnAfterFailure(TxnState::User, TxnText::Plain, TxnProduct::MySQL, L"40001", true).bAsk);
}

} // namespace
