// A MariaDB window's SELECT read as its first rows and then the rest, on the real driver and
// server: the rows of one SELECT in order, the rest's statement begun by asking for the next row
// and cancelled when something else wants the session, and a read that stops says why.
#include "conn_test_util.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/mariadb_staged_read.h"
#include "dbaccess/mem_cursor.h"

#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace QlConnTest;
using namespace QlTestDb;
using Zelt::CMariaDBStagedRead;

constexpr int kFirst = CMariaDBStagedRead::kFirstRows;

class MariaDBStagedRead : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_table = (L"ql_staged_" + UniqueTag()).c_str();
        OpenOrFail(m_db, MariaDBConnect());
        OpenOrFail(m_other, MariaDBConnect());
    }
    void TearDown() override
    {
        m_read.reset();
        m_db.Close();
        Catch([&] { m_other.ExecuteSQL(L"DROP TABLE IF EXISTS " + m_table); });
    }
    void MakeTable(int rows)
    {
        ExecOrFail(m_other, L"CREATE TABLE " + m_table +
                                L" (id int PRIMARY KEY, name varchar(20)) ENGINE=InnoDB");
        if (rows > 0)
            ExecOrFail(m_other, L"INSERT INTO " + m_table +
                                    L" SELECT seq, CONCAT('row ', seq) FROM seq_1_to_" +
                                    CString(std::to_wstring(rows).c_str()));
    }
    // Opens the read of select as a window does, in a memory cursor.
    void Open(const CString& select)
    {
        ASSERT_TRUE(CMariaDBStagedRead::IsUsable(m_db, select));
        auto staged = std::make_unique<CMariaDBStagedRead>(&m_db, select, RS_NUMERIC_AS_TEXT);
        m_staged = staged.get();
        ASSERT_TRUE(staged->Open([](CRRecordset& rs, LPCWSTR text) {
            return rs.Open(text, RS_FORWARD_ONLY, RS_NUMERIC_AS_TEXT);
        }));
        m_read = std::make_unique<Zelt::CMemCursor>(std::move(staged));
        m_read->MoveFirst();
    }
    // The first column of every row the memory cursor holds once read to its end.
    std::vector<int> ReadAll()
    {
        m_read->ReadToEnd();
        std::vector<int> ids;
        for (int row = 1; row <= m_read->GetRecordCount(); ++row)
        {
            m_read->SetAbsolutePosition(row);
            CString id;
            m_read->GetFieldText(1, id);
            ids.push_back(_wtoi(id));
        }
        return ids;
    }
    static std::vector<int> Ids(int n)
    {
        std::vector<int> ids;
        for (int id = 1; id <= n; ++id)
            ids.push_back(id);
        return ids;
    }
    // Until the rest's statement runs on the server, as the other session sees it.
    bool WaitForRunning()
    {
        return ql::WaitFor([&] { return Running() == 1; });
    }
    CString StopText() const
    {
        return m_read->IsStopped() ? m_read->GetStopError()->m_strError : CString(L"<no stop>");
    }
    // Statements of m_db's session running, seen from the other session.
    int Running()
    {
        return _wtoi(QueryText(m_other, L"SELECT COUNT(*) FROM information_schema.processlist "
                                        L"WHERE info LIKE '%" +
                                            m_table + L"%' AND id <> CONNECTION_ID()"));
    }

    CRDatabase m_db, m_other;
    CString m_table;
    CMariaDBStagedRead* m_staged = nullptr;
    std::unique_ptr<Zelt::CMemCursor> m_read;
};

TEST_F(MariaDBStagedRead, WhichSelectsAndTheirFirstStatement)
{
    EXPECT_EQ(CMariaDBStagedRead::FirstRowsText(L"SELECT * FROM t # note"),
              CString(L"SELECT * FROM t # note\nLIMIT 200"));
    EXPECT_TRUE(CMariaDBStagedRead::IsUsable(m_db, L"SELECT * FROM limits WHERE limit_x = 1"));
    EXPECT_FALSE(CMariaDBStagedRead::IsUsable(m_db, L"SELECT * FROM t limit 5"));
    EXPECT_FALSE(CMariaDBStagedRead::IsUsable(m_db, L"SELECT * FROM t WHERE a = 'Limit'"));
    ASSERT_TRUE(m_db.BeginTrans());
    EXPECT_FALSE(CMariaDBStagedRead::IsUsable(m_db, L"SELECT * FROM t"));
    m_db.EndTrans(false);
}

// Fewer rows than the first statement asks for, exactly as many, and more: every row once, in
// order, the count final at the end; a table of at most kFirst rows takes one statement.
TEST_F(MariaDBStagedRead, ReadsEveryRowOnceInOrder)
{
    for (int rows : {0, 7, kFirst, kFirst + 1, 2500})
    {
        SCOPED_TRACE(rows);
        Catch([&] { m_other.ExecuteSQL(L"DROP TABLE IF EXISTS " + m_table); });
        MakeTable(rows);
        ASSERT_NO_FATAL_FAILURE(Open(L"SELECT * FROM " + m_table));
        EXPECT_EQ(m_staged->ReadsOnByItself(), rows >= kFirst);
        EXPECT_EQ(ReadAll(), Ids(rows));
        EXPECT_FALSE(m_read->IsStopped()) << Narrow(StopText());
        Zelt::ICursor::CStatus status;
        m_read->GetStatus(status);
        EXPECT_TRUE(status.bCountFinal);
        EXPECT_EQ(Running(), 0);
    }
}

// A row of the first ones changed by another session before the rest is read: the window's rows
// would not be one SELECT's, so the read stops after the first rows and says why.
TEST_F(MariaDBStagedRead, FirstRowsChangedMeanwhileStopTheRead)
{
    MakeTable(1000);
    ASSERT_NO_FATAL_FAILURE(Open(L"SELECT * FROM " + m_table));
    ExecOrFail(m_other, L"UPDATE " + m_table + L" SET name = 'changed' WHERE id = 5");
    EXPECT_EQ(ReadAll(), Ids(kFirst));
    EXPECT_NE(StopText().Find(L"were not the ones shown"), -1) << Narrow(StopText());
    // A change past the first rows is the rest's: it reads as the server has it then.
    m_read.reset();
    ASSERT_NO_FATAL_FAILURE(Open(L"SELECT * FROM " + m_table));
    ExecOrFail(m_other, L"DELETE FROM " + m_table + L" WHERE id = 900");
    std::vector<int> expected = Ids(1000);
    expected.erase(expected.begin() + 899);
    EXPECT_EQ(ReadAll(), expected);
}

// A transaction begun after the first rows: the rest is not read in it, and the stop says so.
TEST_F(MariaDBStagedRead, TransactionBegunAfterTheFirstRowsStopsTheRead)
{
    MakeTable(500);
    ASSERT_NO_FATAL_FAILURE(Open(L"SELECT * FROM " + m_table));
    ASSERT_TRUE(m_db.BeginTrans());
    EXPECT_EQ(ReadAll(), Ids(kFirst));
    EXPECT_NE(StopText().Find(L"A transaction was begun"), -1) << Narrow(StopText());
    EXPECT_TRUE(m_db.EndTrans(false));
}

// The rest's statement runs once asked for the next row; a statement of the user's cancels it
// at once (not after the seconds the rest would take), the read stops quietly with its rows, and
// nothing stays running.
TEST_F(MariaDBStagedRead, StatementOfTheUsersCancelsTheRest)
{
    MakeTable(3000);
    ASSERT_NO_FATAL_FAILURE(
        Open(L"SELECT t.*, SLEEP(0.005) AS s FROM " + m_table + L" t ORDER BY t.id"));
    ASSERT_TRUE(m_staged->ReadsOnByItself());
    // Reading on takes the first rows, asks for the next and does not wait for it.
    EXPECT_TRUE(m_read->ReadOnUntil(GetTickMs() + 50));
    EXPECT_EQ(m_read->GetRecordCount(), kFirst);
    EXPECT_TRUE(m_staged->IsReadingRest());
    ASSERT_TRUE(WaitForRunning());
    {
        // As the program's statements run (QueryText goes to the driver directly).
        CRRecordset rs(&m_db);
        ASSERT_TRUE(rs.Open(L"SELECT 6 * 7", RS_FORWARD_ONLY, RS_READONLY));
        CString answer;
        rs.GetFieldText(1, answer);
        EXPECT_EQ(answer, CString(L"42"));
    }
    // The rest's statement was cancelled for it: nothing of it runs on.
    EXPECT_EQ(Running(), 0);
    EXPECT_FALSE(m_read->ReadOnUntil(GetTickMs() + 1000));
    EXPECT_EQ(m_read->GetRecordCount(), kFirst);
    ASSERT_TRUE(m_read->IsStopped());
    EXPECT_TRUE(m_read->GetStopError()->m_bStopAsked);
    EXPECT_NE(StopText().Find(L"stopped after row 200"), -1) << Narrow(StopText());
}

} // namespace
