// The connection follows the transaction the server holds after statements of the user's, on the
// real drivers and servers, checked from another session: what the user left open is shown as
// open (and only ends with them), what they ended is committed for others to see, the next write
// is committed at once, and the questions asked on the way leave nothing open and no lock held.
#include "conn_test_util.h"

#include "dbaccess/catalog.h"
#include "dbaccess/recordset.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace QlConnTest;
using namespace QlTestDb;

enum Product
{
    postgres,
    mariadb,
    sqlite
};

class SessionTransaction : public ::testing::TestWithParam<Product>
{
protected:
    void SetUp() override
    {
        m_table = (L"ql_txn_" + UniqueTag()).c_str();
        const CString connect = GetParam() == postgres  ? PostgresConnect()
                                : GetParam() == mariadb ? MariaDBConnect()
                                                        : m_file.Connect();
        OpenOrFail(m_db, connect);
        OpenOrFail(m_other, connect);
        ExecOrFail(m_other, L"CREATE TABLE " + m_table + L" (id int PRIMARY KEY)");
        if (GetParam() == postgres)
            m_id = QueryText(m_db, L"SELECT pg_backend_pid()");
    }
    void TearDown() override
    {
        m_db.Close();
        Catch([&] { m_other.ExecuteSQL(L"DROP TABLE " + m_table); });
    }

    // A statement of the user's, as the program's paths run it.
    void Run(const CString& sql)
    {
        auto failure = Catch([&] { m_db.ExecuteSQL(sql); });
        ASSERT_FALSE(failure) << Narrow(sql) << ": " << Narrow(failure->m_strError);
    }
    void Insert(int id)
    {
        ASSERT_NO_FATAL_FAILURE(
            Run(L"INSERT INTO " + m_table + L" VALUES (" + std::to_wstring(id).c_str() + L")"));
    }
    // The rows another session sees.
    CString Seen() { return QueryText(m_other, L"SELECT count(*) FROM " + m_table); }
    // Whether the server holds a transaction of the program's session, as another session sees
    // (on MariaDB, one that touched the table).
    bool OpenOnServer()
    {
        if (GetParam() == postgres)
            return QueryText(m_other, L"SELECT state FROM pg_stat_activity WHERE pid = " + m_id) !=
                   L"idle";
        if (GetParam() == mariadb)
        {
            // A transaction that touched the table holds its metadata lock until it ends.
            m_other.ExecuteSQL(L"SET SESSION lock_wait_timeout = 1");
            const bool bLocked =
                !!Catch([&] { m_other.ExecuteSQL(L"LOCK TABLES " + m_table + L" WRITE"); });
            m_other.ExecuteSQL(L"UNLOCK TABLES");
            return bLocked;
        }
        // SQLite: a write of another connection goes through only when no lock is held; it is
        // taken back at once.
        CRDatabase writer;
        OpenOrFail(writer, m_file.Connect() + L"Timeout=100;");
        return !!Catch([&] {
            writer.ExecuteSQL(L"BEGIN IMMEDIATE");
            writer.ExecuteSQL(L"ROLLBACK");
        });
    }

    TempSQLiteFile m_file;
    CRDatabase m_db;
    CRDatabase m_other;
    CString m_table;
    CString m_id; // PostgreSQL: the program's backend
};

// Texts that open a transaction the driver does not report, each ended by a text of the user's;
// the rows inserted meanwhile are what the ending leaves.
TEST_P(SessionTransaction, TheUsersTransactionIsFollowedWhateverTheText)
{
    struct Round
    {
        const wchar_t* begin;
        const wchar_t* end;
        bool committed;
        const wchar_t* endsIt = nullptr; // a second statement, when the first ends nothing yet
    };
    std::vector<Round> rounds;
    // An XA transaction's name belongs to the whole server ("XAER_DUPID" for a run beside this).
    const std::wstring xid = L"'qlx_" + QlTestDb::UniqueTag() + L"'";
    const std::wstring xaStart = L"XA START " + xid, xaEnd = L"XA END " + xid,
                       xaCommit = L"XA COMMIT " + xid + L" ONE PHASE";
    if (GetParam() == sqlite)
        rounds = {{L"BEGIN", L"COMMIT", true},
                  {L"BEGIN IMMEDIATE", L"ROLLBACK", false},
                  {L"SAVEPOINT x", L"RELEASE x", true}};
    else if (GetParam() == mariadb)
        rounds = {{L"/*!40101 START TRANSACTION */", L"COMMIT", true},
                  {L"BEGIN NOT ATOMIC START TRANSACTION; END", L"ROLLBACK", false},
                  {xaStart.c_str(), xaEnd.c_str(), true, xaCommit.c_str()}};
    else
        rounds = {{L"BEGIN ISOLATION LEVEL SERIALIZABLE", L"COMMIT", true},
                  {L"/* why */ START TRANSACTION", L"ABORT", false}};
    int id = 0;
    for (const Round& round : rounds)
    {
        SCOPED_TRACE(Narrow(round.begin));
        const CString before = Seen();
        ASSERT_NO_FATAL_FAILURE(Run(round.begin));
        EXPECT_TRUE(m_db.IsInTransaction());
        if (GetParam() == postgres && id == 0)
        {
            EXPECT_EQ(QueryText(m_db, L"SHOW transaction_isolation"), L"serializable");
        }
        ASSERT_NO_FATAL_FAILURE(Insert(++id));
        EXPECT_EQ(Seen(), before) << "the insert is seen before the transaction ended";
        EXPECT_TRUE(m_db.IsInTransaction());
        ASSERT_NO_FATAL_FAILURE(Run(round.end));
        if (round.endsIt)
        {
            EXPECT_TRUE(m_db.IsInTransaction());
            ASSERT_NO_FATAL_FAILURE(Run(round.endsIt));
        }
        EXPECT_FALSE(m_db.IsInTransaction());
        EXPECT_FALSE(OpenOnServer());
        EXPECT_EQ(_wtoi(Seen()), _wtoi(before) + (round.committed ? 1 : 0));
        // The next write is committed at once.
        ASSERT_NO_FATAL_FAILURE(Insert(100 + id));
        EXPECT_EQ(_wtoi(Seen()), _wtoi(before) + (round.committed ? 2 : 1));
        EXPECT_FALSE(OpenOnServer());
    }

    // The user stopped the first text's run before it was sent: the program had followed its
    // start, and what the server holds takes that back. The next write is committed at once.
    const CString before = Seen();
    m_db.FollowStatementStart(rounds[0].begin);
    CRRecordset rs(&m_db);
    rs.AskToStop();
    auto stopped = Catch([&] { rs.Open(rounds[0].begin, RS_FORWARD_ONLY); });
    ASSERT_TRUE(stopped);
    EXPECT_EQ(Narrow(stopped->m_strSQLState), "HY008");
    EXPECT_FALSE(m_db.IsInTransaction());
    ASSERT_NO_FATAL_FAILURE(Insert(200));
    EXPECT_EQ(_wtoi(Seen()), _wtoi(before) + 1);
    EXPECT_FALSE(OpenOnServer());
}

// A transaction left open is ended by the program (End Transaction, the question at close).
TEST_P(SessionTransaction, TheProgramEndsATransactionTheUserOpened)
{
    const CString begin = GetParam() == sqlite ? L"SAVEPOINT x" : L"CALL no_such_thing()";
    if (GetParam() == mariadb)
    {
        ExecOrFail(m_other, L"CREATE PROCEDURE " + m_table +
                                L"_p() BEGIN START TRANSACTION; INSERT INTO " + m_table +
                                L" VALUES (7); END");
        ASSERT_NO_FATAL_FAILURE(Run(L"CALL " + m_table + L"_p()"));
    }
    else
        ASSERT_NO_FATAL_FAILURE(Run(GetParam() == sqlite ? L"SAVEPOINT x" : L"BEGIN"));
    EXPECT_TRUE(m_db.IsInTransaction());
    ASSERT_NO_FATAL_FAILURE(Insert(8));
    EXPECT_TRUE(OpenOnServer());
    EXPECT_FALSE(Catch([&] { m_db.EndTrans(true); }));
    EXPECT_FALSE(m_db.IsInTransaction());
    EXPECT_FALSE(OpenOnServer());
    EXPECT_EQ(Seen(), GetParam() == mariadb ? L"2" : L"1");
    if (GetParam() == mariadb)
        m_other.ExecuteSQL(L"DROP PROCEDURE " + m_table + L"_p");
}

// A transaction the program began (Database > Begin Transaction) that a COMMIT of the user's
// ended: what ran is committed, the server holds no transaction and the program shows none, and
// the next write is committed at once, as after End Transaction.
TEST_P(SessionTransaction, TheUsersCommitEndsTheProgramsTransaction)
{
    ASSERT_TRUE(m_db.BeginTrans());
    ASSERT_NO_FATAL_FAILURE(Insert(1));
    EXPECT_EQ(Seen(), L"0");
    ASSERT_NO_FATAL_FAILURE(Run(L"COMMIT"));
    EXPECT_EQ(Seen(), L"1");
    EXPECT_FALSE(m_db.IsInTransaction());
    EXPECT_FALSE(OpenOnServer());
    ASSERT_NO_FATAL_FAILURE(Insert(2));
    EXPECT_FALSE(m_db.IsInTransaction());
    EXPECT_EQ(Seen(), L"2");
    EXPECT_FALSE(Catch([&] { m_db.EndTrans(false); }));
    EXPECT_FALSE(OpenOnServer());
}

// PostgreSQL: a chained commit commits and goes on in a new transaction; psqlODBC's own
// bookkeeping of the statements in the old one must not fail the next statement.
TEST_P(SessionTransaction, ACommitAndChainGoesOnInTheNextTransaction)
{
    if (GetParam() == sqlite)
        GTEST_SKIP() << "SQLite has no chained commit";
    ASSERT_NO_FATAL_FAILURE(Insert(1000));
    ASSERT_NO_FATAL_FAILURE(Run(L"BEGIN"));
    ASSERT_NO_FATAL_FAILURE(Insert(1));
    // A table window's result is open meanwhile, read in part.
    CRRecordset grid(&m_db);
    ASSERT_FALSE(Catch([&] { grid.Open(L"SELECT * FROM " + m_table, RS_FORWARD_ONLY, 0); }));
    {
        // As the SQL query dialog runs it: its statement stays open while the follow-up asks.
        CRRecordset rs(&m_db);
        auto failure = Catch([&] { rs.Open(L"COMMIT AND CHAIN", RS_FORWARD_ONLY, 0); });
        ASSERT_FALSE(failure) << Narrow(failure->m_strError);
    }
    EXPECT_EQ(Seen(), L"2");
    EXPECT_TRUE(m_db.IsInTransaction());
    ASSERT_NO_FATAL_FAILURE(Insert(2));
    ASSERT_NO_FATAL_FAILURE(Run(L"SAVEPOINT s"));
    ASSERT_NO_FATAL_FAILURE(Insert(3));
    EXPECT_EQ(Seen(), L"2");
    EXPECT_TRUE(m_db.IsInTransaction());
    EXPECT_FALSE(Catch([&] { m_db.EndTrans(true); }));
    EXPECT_EQ(Seen(), L"4");
    EXPECT_FALSE(OpenOnServer());
}

// The program's question after a BEGIN takes no snapshot and counts as no query: the first
// query sees what another session committed after the BEGIN, as in the product's own client, and
// PostgreSQL still takes SET TRANSACTION after it.
TEST_P(SessionTransaction, TheQuestionAfterABeginTakesNoSnapshot)
{
    ASSERT_NO_FATAL_FAILURE(Run(GetParam() == postgres  ? L"BEGIN ISOLATION LEVEL REPEATABLE READ"
                                : GetParam() == mariadb ? L"START TRANSACTION"
                                                        : L"BEGIN"));
    EXPECT_TRUE(m_db.IsInTransaction());
    ExecOrFail(m_other, L"INSERT INTO " + m_table + L" VALUES (1)");
    {
        // As the SQL query dialog runs it.
        CRRecordset rs(&m_db);
        auto failure =
            Catch([&] { rs.Open(L"SELECT count(*) FROM " + m_table, RS_FORWARD_ONLY, 0); });
        ASSERT_FALSE(failure) << Narrow(failure->m_strError);
        CString count;
        ASSERT_TRUE(rs.GetFieldText(1, count));
        EXPECT_EQ(count, L"1") << "the transaction's snapshot was taken before the other commit";
    }
    ASSERT_NO_FATAL_FAILURE(Run(L"ROLLBACK"));
    EXPECT_FALSE(m_db.IsInTransaction());
    if (GetParam() != postgres)
        return;
    ASSERT_NO_FATAL_FAILURE(Run(L"BEGIN"));
    ASSERT_NO_FATAL_FAILURE(Run(L"SET TRANSACTION ISOLATION LEVEL SERIALIZABLE"));
    EXPECT_EQ(QueryText(m_db, L"SHOW transaction_isolation"), L"serializable");
    ASSERT_NO_FATAL_FAILURE(Run(L"COMMIT"));
    EXPECT_FALSE(OpenOnServer());
}

// A statement that fails inside the user's transaction: PostgreSQL leaves the transaction
// aborted (psql's behaviour), refusing statements until the user ends it, and a COMMIT then
// rolls back; the user is told both. MySQL and SQLite keep the transaction and its work. The
// same on the direct path and on the SQL query dialog's.
TEST_P(SessionTransaction, AFailedStatementInsideTheTransactionIsThePostgreSQLClientsOne)
{
    for (const bool bDirect : {true, false})
    {
        SCOPED_TRACE(bDirect ? "direct" : "recordset");
        const int base = bDirect ? 0 : 10;
        const CString before = Seen();
        ASSERT_NO_FATAL_FAILURE(Run(L"BEGIN"));
        ASSERT_NO_FATAL_FAILURE(Insert(base + 1));
        const CString failing = L"SELECT * FROM " + m_table + L"_nosuch";
        auto failure = Catch([&] {
            if (bDirect)
                m_db.ExecuteSQL(failing);
            else
            {
                CRRecordset rs(&m_db);
                rs.Open(failing, RS_FORWARD_ONLY, 0);
            }
        });
        ASSERT_TRUE(failure);
        EXPECT_TRUE(m_db.IsInTransaction());
        EXPECT_TRUE(OpenOnServer());
        if (GetParam() == postgres)
        {
            EXPECT_EQ(Narrow(failure->m_strSQLState), "42P01");
            EXPECT_NE(failure->m_strError.Find(L"The transaction is aborted"), -1)
                << Narrow(failure->m_strError);
            EXPECT_EQ(m_db.GetTransactionState(), TxnState::Aborted);
            auto refused =
                Catch([&] { m_db.ExecuteSQL(L"INSERT INTO " + m_table + L" VALUES (99)"); });
            ASSERT_TRUE(refused);
            EXPECT_EQ(Narrow(refused->m_strSQLState), "25P02");
            EXPECT_TRUE(m_db.IsInTransaction());
            // The typed COMMIT succeeds and rolls back; the user reads which.
            if (bDirect)
                ASSERT_NO_FATAL_FAILURE(Run(L"COMMIT"));
            else
                EXPECT_FALSE(Catch([&] { m_db.EndTrans(true); }));
            EXPECT_NE(m_db.TakeSessionNote().Find(L"rolled back"), -1);
            EXPECT_EQ(Seen(), before);
        }
        else
        {
            ASSERT_NO_FATAL_FAILURE(Insert(base + 2));
            ASSERT_NO_FATAL_FAILURE(Run(L"COMMIT"));
            EXPECT_EQ(_wtoi(Seen()), _wtoi(before) + 2);
        }
        EXPECT_FALSE(m_db.IsInTransaction());
        EXPECT_FALSE(OpenOnServer());
        // The next write is committed at once.
        ASSERT_NO_FATAL_FAILURE(Insert(base + 5));
        EXPECT_EQ(_wtoi(Seen()), _wtoi(before) + (GetParam() == postgres ? 1 : 3));
    }
}

// The session ended by another (an administrator, a server that restarts): the first statement
// meets the end and says the server's reason, then that the connection is lost and how to get
// another; every later call (a statement, a query, a catalog read, a commit) says the same in
// plain words, never the driver's own text about its handle. The SQLSTATE stays the driver's.
TEST_P(SessionTransaction, EveryCallOnTheLostSessionSaysSoInPlainWords)
{
    if (GetParam() == sqlite)
        GTEST_SKIP() << "a file has no session to lose";
    if (GetParam() == postgres)
        ExecOrFail(m_other, L"SELECT pg_terminate_backend(" + m_id + L")");
    else
        ExecOrFail(m_other, L"KILL CONNECTION " + QueryText(m_db, L"SELECT CONNECTION_ID()"));
    const CString kWords = L"Connect > Reconnect opens a new session.";
    auto first = Catch([&] { m_db.ExecuteSQL(L"SELECT 1"); });
    ASSERT_TRUE(first);
    EXPECT_NE(first->m_strError.Find(kWords), -1) << Narrow(first->m_strError);
    if (GetParam() == postgres)
        EXPECT_NE(first->m_strError.Find(L"terminating connection"), -1)
            << Narrow(first->m_strError);
    const struct
    {
        const char* what;
        std::function<void()> call;
    } calls[] = {
        {"statement", [&] { m_db.ExecuteSQL(L"SELECT 2"); }},
        {"query", [&] { CRRecordset(&m_db).Open(L"SELECT 3", RS_FORWARD_ONLY, 0); }},
        {"catalog", [&] { CRTables tables(&m_db, CRTables::typeTable, nullptr); }},
        {"transaction",
         [&] {
             m_db.BeginTrans();
             m_db.EndTrans(true);
         }},
    };
    for (const auto& c : calls)
    {
        auto failure = Catch(c.call);
        ASSERT_TRUE(failure) << c.what;
        EXPECT_NE(failure->m_strError.Find(kWords), -1)
            << c.what << ": " << Narrow(failure->m_strError);
        for (LPCWSTR driversOwn : {L"unable due to", L"Connection not open", L"SQLExec"})
            EXPECT_EQ(failure->m_strError.Find(driversOwn), -1)
                << c.what << ": " << Narrow(failure->m_strError);
        EXPECT_FALSE(failure->m_strSQLState.IsEmpty()) << c.what;
    }
}

// MariaDB hands a procedure's further results over only after the first, and takes nothing
// else meanwhile: nothing of the program's is sent while they wait, closing the result drops
// them, and the transaction then ends as asked.
// A setting the driver depends on, changed by the user inside their own transaction, is set
// back by statements of the program's in that transaction: the user's rows stay uncommitted for
// others, the transaction stays open and usable, and it ends only as the user ends it (the
// setting set back with it).
TEST_P(SessionTransaction, ASettingSetBackInsideTheTransactionLeavesItTheUsers)
{
    if (GetParam() == sqlite)
        GTEST_SKIP() << "no setting of the driver's is set back on SQLite";
    const bool bPostgres = GetParam() == postgres;
    const std::vector<CString> sets =
        bPostgres ? std::vector<CString>{L"SET extra_float_digits = 0", L"SET DateStyle = German"}
                  : std::vector<CString>{L"SET character_set_results = latin1",
                                         L"SET character_set_client = latin1"};
    const CString show = bPostgres ? L"SHOW extra_float_digits" : L"SELECT @@character_set_results";
    const CString kept = QueryText(m_db, show);
    int id = 0;
    for (const bool bCommit : {false, true})
    {
        for (const CString& set : sets)
        {
            SCOPED_TRACE(Narrow(set) + (bCommit ? " then COMMIT" : " then ROLLBACK"));
            const CString before = Seen();
            ASSERT_NO_FATAL_FAILURE(Run(L"BEGIN"));
            ASSERT_NO_FATAL_FAILURE(Insert(++id));
            ASSERT_NO_FATAL_FAILURE(Run(set));
            EXPECT_NE(m_db.TakeSessionNote().Find(L"set back"), -1);
            EXPECT_EQ(Seen(), before) << "nothing of the user's is committed";
            EXPECT_TRUE(m_db.IsInTransaction());
            EXPECT_TRUE(OpenOnServer());
            // Not aborted: the next statement of the user's goes on in it.
            ASSERT_NO_FATAL_FAILURE(Insert(++id));
            ASSERT_NO_FATAL_FAILURE(Run(bCommit ? L"COMMIT" : L"ROLLBACK"));
            EXPECT_FALSE(m_db.IsInTransaction());
            EXPECT_FALSE(OpenOnServer());
            EXPECT_EQ(_wtoi(Seen()), _wtoi(before) + (bCommit ? 2 : 0));
            EXPECT_EQ(QueryText(m_db, show), kept);
        }
    }
}

TEST_P(SessionTransaction, FurtherResultsWaitingBlockNothing)
{
    if (GetParam() != mariadb)
        GTEST_SKIP() << "only MySQL holds further results on the connection";
    const CString proc = m_table + L"_two";
    ExecOrFail(m_other, L"CREATE PROCEDURE " + proc +
                            L"() BEGIN SELECT seq FROM seq_1_to_20000; SELECT 2; END");
    ASSERT_NO_FATAL_FAILURE(Run(L"BEGIN"));
    ASSERT_NO_FATAL_FAILURE(Insert(1));
    {
        CRRecordset rs(&m_db);
        auto failure = Catch([&] { rs.Open(L"CALL " + proc + L"()", RS_FORWARD_ONLY, 0); });
        ASSERT_FALSE(failure) << Narrow(failure->m_strError);
        EXPECT_TRUE(m_db.IsInTransaction());
        for (int i = 0; i < 10 && !rs.IsEOF(); ++i)
            rs.MoveNext();
    }
    EXPECT_TRUE(m_db.IsInTransaction());
    EXPECT_EQ(m_db.GetTransactionState(), TxnState::User);
    ASSERT_NO_FATAL_FAILURE(Insert(2));
    EXPECT_FALSE(Catch([&] { m_db.EndTrans(false); }));
    EXPECT_FALSE(m_db.IsInTransaction());
    EXPECT_FALSE(OpenOnServer());
    EXPECT_EQ(Seen(), L"0");
    m_other.ExecuteSQL(L"DROP PROCEDURE " + proc);
}

void AbortedTransactionOfOneSession(LPCWSTR connect);

// A role that may hold one session only: the connection opens with every option it needs in that
// one session, so a failure inside a typed transaction leaves it aborted as in psql (the driver
// rolls back nothing of its own), and the COMMIT stores no row and says it rolled back.
// The driver is found before connecting by the string's Driver item or through its data source.
TEST(OneSession, RoleLimitedToOneConnectionKeepsTheServersRuleOnErrors)
{
    for (LPCWSTR connect :
         {L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;"
          L"UID=ql_one;PWD=ql_one;",
          L"DSN=QuenlarkPG;UID=ql_one;PWD=ql_one;"})
    {
        SCOPED_TRACE(Narrow(connect));
        ASSERT_NO_FATAL_FAILURE(AbortedTransactionOfOneSession(connect));
    }
}

void AbortedTransactionOfOneSession(LPCWSTR connect)
{
    CRDatabase db;
    OpenOrFail(db, connect);
    ASSERT_TRUE(db.IsOpen());
    ExecOrFail(db, L"CREATE TEMPORARY TABLE ql_one_rows (id int)");
    ExecOrFail(db, L"BEGIN");
    ExecOrFail(db, L"INSERT INTO ql_one_rows VALUES (1)");
    auto failure = Catch([&] { db.ExecuteSQL(L"SELECT 1/0"); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(Narrow(failure->m_strSQLState), "22012");
    EXPECT_EQ(db.GetTransactionState(), TxnState::Aborted);
    auto refused = Catch([&] { db.ExecuteSQL(L"INSERT INTO ql_one_rows VALUES (2)"); });
    ASSERT_TRUE(refused);
    EXPECT_EQ(Narrow(refused->m_strSQLState), "25P02");
    ExecOrFail(db, L"COMMIT");
    EXPECT_NE(db.TakeSessionNote().Find(L"rolled back"), -1);
    EXPECT_FALSE(db.IsInTransaction());
    EXPECT_EQ(QueryText(db, L"SELECT count(*) FROM ql_one_rows"), L"0");
}

// A large result read part way on the user's connection holds nothing on the server, whatever
// the string says of the driver's cursors: no transaction, no lock, no snapshot, no cursor, and
// another session's ALTER TABLE gets its lock at once.
TEST(OneSession, PostgreSQLReadPartWayHoldsNothing)
{
    CRDatabase other;
    OpenOrFail(other, PostgresConnect());
    const CString table = (L"ql_hold_" + UniqueTag()).c_str();
    ExecOrFail(other, L"CREATE TABLE " + table +
                          L" AS SELECT g AS id, 'v' || g AS v FROM generate_series(1, 20000) g");
    for (LPCWSTR option : {L"", L"UseDeclareFetch=1;Fetch=50;"})
    {
        SCOPED_TRACE(Narrow(option));
        CRDatabase db;
        OpenOrFail(db, PostgresConnect() + option);
        EXPECT_FALSE(db.IsStreamingResults());
        const CString pid = QueryText(db, L"SELECT pg_backend_pid()");
        CRRecordset rs(&db);
        ASSERT_TRUE(rs.Open(L"SELECT id, v FROM " + table, RS_FORWARD_ONLY, 0));
        for (int i = 0; i < 10 && !rs.IsEOF(); ++i)
            rs.MoveNext();
        EXPECT_EQ(QueryText(other, L"SELECT state || ' ' || coalesce(backend_xmin::text, '-') "
                                   L"FROM pg_stat_activity WHERE pid = " +
                                       pid),
                  L"idle -");
        EXPECT_EQ(QueryText(other, L"SELECT count(*) FROM pg_locks WHERE pid = " + pid), L"0");
        EXPECT_EQ(QueryText(db, L"SELECT count(*) FROM pg_cursors"), L"0");
        ExecOrFail(other, L"SET lock_timeout = '2s'");
        ExecOrFail(other, L"ALTER TABLE " + table + L" ADD COLUMN x_" +
                              CString(std::to_wstring(option[0] != 0).c_str()) + L" int");
        ExecOrFail(other, L"RESET lock_timeout");
    }
    ExecOrFail(other, L"DROP TABLE " + table);
}

INSTANTIATE_TEST_SUITE_P(Products, SessionTransaction, ::testing::Values(postgres, mariadb, sqlite),
                         [](const auto& info) {
                             return std::string(info.param == postgres  ? "PostgreSQL"
                                                : info.param == mariadb ? "MariaDB"
                                                                        : "SQLite");
                         });

} // namespace
