// Moves of the recordset: the position and row count bookkeeping, refusals and fetch errors.
#include "recordset_test_util.h"

using namespace QlRsTest;

namespace {

struct ThreeRows : testing::Test
{
    void SetUp() override
    {
        table = conn.Table(L"pos");
        conn.Exec(L"CREATE TABLE " + table + L" (id INTEGER)");
        conn.Exec(L"INSERT INTO " + table + L" VALUES (1)");
        conn.Exec(L"INSERT INTO " + table + L" VALUES (2)");
        conn.Exec(L"INSERT INTO " + table + L" VALUES (3)");
    }
    CString Select() const { return L"SELECT id FROM " + table + L" ORDER BY id"; }
    static int Row(CRRecordset& rs)
    {
        Zelt::ICursor::CStatus status;
        rs.GetStatus(status);
        return status.nCurrentRow;
    }
    static long Id(CRRecordset& rs)
    {
        long id = -1;
        rs.GetFieldLong(1, id);
        return id;
    }
    Connection conn{Db::SQLite};
    CString table;
};

TEST_F(ThreeRows, ForwardCountsRowsUntilTheEndIsFinal)
{
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open(Select()));
    EXPECT_EQ(Row(rs), 0);
    EXPECT_EQ(rs.GetRecordCount(), 1);
    rs.MoveNext();
    rs.MoveNext();
    EXPECT_EQ(Row(rs), 2);
    EXPECT_EQ(rs.GetRecordCount(), 3);
    Zelt::ICursor::CStatus status;
    rs.GetStatus(status);
    EXPECT_FALSE(status.bCountFinal);
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_FALSE(rs.IsBOF());
    rs.GetStatus(status);
    EXPECT_TRUE(status.bCountFinal);
    EXPECT_EQ(status.nCurrentRow, -2);
    EXPECT_EQ(rs.GetRecordCount(), 3);
    EXPECT_EQ(ThrownMessage([&] { rs.MoveNext(); }), L"Error: attempted to move past EOF");
    // After the end was met, the last row has a known number.
    rs.MoveLast();
    EXPECT_EQ(Row(rs), 2);
    EXPECT_EQ(Id(rs), 3);
}

TEST_F(ThreeRows, LastRowBeforeTheEndIsUnknownAndAbsoluteMovesFetch)
{
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open(Select()));
    rs.MoveLast();
    EXPECT_EQ(Row(rs), -2);
    EXPECT_EQ(Id(rs), 3);
    // With the position unknown, moving to the last row counted from the end must really
    // fetch it, not assume the cursor is there.
    rs.MovePrev();
    EXPECT_EQ(Id(rs), 2);
    ASSERT_TRUE(rs.SetAbsolutePosition(-1));
    EXPECT_EQ(Id(rs), 3);
    ASSERT_TRUE(rs.SetAbsolutePosition(2));
    EXPECT_EQ(Row(rs), 1);
    EXPECT_EQ(Id(rs), 2);
    ASSERT_TRUE(rs.SetAbsolutePosition(2)); // the current row: no fetch, same place
    EXPECT_EQ(Id(rs), 2);
    // The row after the current one, and the one after the last, fetched as the next rows.
    ASSERT_TRUE(rs.SetAbsolutePosition(3));
    EXPECT_EQ(Row(rs), 2);
    EXPECT_EQ(Id(rs), 3);
    rs.SetAbsolutePosition(4);
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetRecordCount(), 3);
    rs.SetAbsolutePosition(5);
    EXPECT_TRUE(rs.IsEOF());
    rs.MoveFirst();
    EXPECT_EQ(Id(rs), 1);
    rs.MovePrev();
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_EQ(ThrownMessage([&] { rs.MovePrev(); }), L"Error: attempted to move before BOF");
}

TEST_F(ThreeRows, EmptyResultRefusesEveryMove)
{
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open(L"SELECT id FROM " + table + L" WHERE id > 9"));
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(ThrownMessage([&] { rs.MoveFirst(); }),
              L"Error: attempted to position cursor on empty recordset");
}

TEST_F(ThreeRows, UnboundModeStepsWithoutFetchingBackwards)
{
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open(Select(), RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND));
    rs.MoveNext();
    EXPECT_EQ(Row(rs), 1);
    rs.MovePrev();
    EXPECT_EQ(Row(rs), 0);
    // The row itself stays the one fetched, and its value can be read again.
    EXPECT_EQ(Id(rs), 2);
    EXPECT_EQ(Id(rs), 2);
}

TEST(RecordsetFetchErrors, RowErrorOfTheRowsetThrows)
{
    CRDatabase db;
    db.Open(QlTestDb::FakeConnect(L"QuenlarkFake"), CRDatabase::openNoPrompt, nullptr, 0, 0, 0);
    CRRecordset rs(&db);
    // The warning of the second row is a row error (01S01), not a mere warning.
    ASSERT_TRUE(rs.Open(L"FAKE ROWERROR", RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND));
    EXPECT_EQ(Text(rs, 2), L"name 1");
    EXPECT_EQ(ThrownMessage([&] { rs.MoveNext(); }), L"Fetch error");
    // Other warnings pass.
    CRRecordset info(&db);
    EXPECT_EQ(ThrownMessage([&] { info.Open(L"FAKE INFO"); }), L"");
}

} // namespace
