// The memory cursor's own behaviour: reading its source lazily, standing alone once the source is
// drained, and its refusals.
#include "recordset_test_util.h"

#include "dbaccess/mem_cursor.h"

#include <cstring>
#include <vector>

using namespace QlRsTest;

namespace {

struct MemCursor : testing::Test
{
    void SetUp() override
    {
        table = conn.Table(L"mem");
        conn.Exec(L"CREATE TABLE " + table +
                  L" (id INTEGER, d DOUBLE, n NUMERIC(10,2), s VARCHAR(10))");
        for (int i = 1; i <= 4; ++i)
            conn.Exec(L"INSERT INTO " + table + L" VALUES (" + CString(std::to_wstring(i).c_str()) +
                      L", " + CString(std::to_wstring(i * 1000000000.5).c_str()) + L", 1.25, 'v" +
                      CString(std::to_wstring(i).c_str()) + L"')");
    }

    std::unique_ptr<Zelt::CMemCursor> Open(UINT options = RS_READONLY)
    {
        auto rs = std::make_unique<CRRecordset>(conn.database.get());
        rs->Open(L"SELECT id, d, n, s FROM " + table + L" ORDER BY id", RS_FORWARD_ONLY, options);
        return std::make_unique<Zelt::CMemCursor>(std::move(rs));
    }

    static long Id(Zelt::ICursor& c)
    {
        long id = -1;
        c.GetFieldLong(1, id);
        return id;
    }

    static int Row(Zelt::ICursor& c)
    {
        Zelt::ICursor::CStatus status;
        c.GetStatus(status);
        return status.nCurrentRow;
    }

    Connection conn{Db::SQLite};
    CString table;
};

TEST_F(MemCursor, FirstMoveForwardReadsTheSourcesFirstRow)
{
    for (UINT options :
         {static_cast<UINT>(RS_READONLY), static_cast<UINT>(RS_READONLY | RS_UNBOUND)})
    {
        auto c = Open(options);
        EXPECT_TRUE(c->IsBOF());
        EXPECT_FALSE(c->IsEOF());
        ASSERT_TRUE(c->MoveNext());
        EXPECT_EQ(Id(*c), 1) << options;
        EXPECT_EQ(c->GetRecordCount(), 1);
    }
}

TEST_F(MemCursor, DrainedCursorStandsAloneWithAFinalCount)
{
    auto c = Open();
    std::vector<long> ids;
    while (c->MoveNext() && !c->IsEOF())
        ids.push_back(Id(*c));
    EXPECT_EQ(ids, (std::vector<long>{1, 2, 3, 4}));
    EXPECT_TRUE(c->IsEOF());
    EXPECT_EQ(Row(*c), 4);
    Zelt::ICursor::CStatus status;
    c->GetStatus(status);
    EXPECT_TRUE(status.bCountFinal);
    EXPECT_FALSE(c->MoveNext());

    ASSERT_TRUE(c->MovePrev());
    EXPECT_EQ(Id(*c), 4);
    EXPECT_TRUE(c->SetAbsolutePosition(5)); // one past the last: the end position
    EXPECT_TRUE(c->IsEOF());
    EXPECT_FALSE(c->SetAbsolutePosition(6));
    EXPECT_EQ(Row(*c), 4);
    ASSERT_TRUE(c->SetAbsolutePosition(1));
    EXPECT_FALSE(c->MovePrev());
    EXPECT_EQ(Id(*c), 1);
    EXPECT_FALSE(c->SetAbsolutePosition(0));
}

TEST_F(MemCursor, AbsoluteAndLastMovesReadAhead)
{
    auto c = Open();
    ASSERT_TRUE(c->SetAbsolutePosition(3));
    EXPECT_EQ(Id(*c), 3);
    EXPECT_EQ(c->GetRecordCount(), 3);
    EXPECT_FALSE(c->IsEOF());
    ASSERT_TRUE(c->MoveLast());
    EXPECT_EQ(Id(*c), 4);
    EXPECT_EQ(c->GetRecordCount(), 4);
    EXPECT_FALSE(c->SetAbsolutePosition(9));
    EXPECT_EQ(Id(*c), 4);
    ASSERT_TRUE(c->Move(-2, SQL_FETCH_RELATIVE));
    EXPECT_EQ(Id(*c), 2);
}

TEST_F(MemCursor, BadColumnsAndTypesAreRefusedWithTheirMessages)
{
    auto c = Open(RS_READONLY | RS_NUMERIC_AS_TEXT);
    ASSERT_TRUE(c->MoveFirst());
    EXPECT_EQ(ThrownMessage([&] { c->GetColumnCType(0); }), L"No column #0");
    EXPECT_EQ(ThrownMessage([&] { c->GetColumnSize(5); }), L"No column #5");
    CString s;
    EXPECT_EQ(ThrownMessage([&] { c->GetFieldText(5, s); }), L"No column #5");
    // Numbers held as text are read as text only.
    EXPECT_EQ(c->GetColumnCType(3), SQL_C_DOUBLE);
    double d = 0;
    EXPECT_EQ(ThrownMessage([&] { c->GetFieldDouble(3, d); }), L"Unknown data type -8");
    EXPECT_EQ(Text(*c, 3), L"1.25");
    // SQLite integers, read for showing, are 64 bits wide.
    bool b = false;
    EXPECT_EQ(ThrownMessage([&] { c->GetFieldBool(1, b); }), L"Unknown data type -25");
    EXPECT_EQ(c->GetColumnCType(1), SQL_C_SBIGINT);
}

TEST_F(MemCursor, DoublesOutsideTheLongRangeAreRefused)
{
    auto c = Open();
    ASSERT_TRUE(c->SetAbsolutePosition(3));
    long l = 0;
    EXPECT_EQ(ThrownMessage([&] { c->GetFieldLong(2, l); }), L"Value out of range for field #2");
    ASSERT_TRUE(c->SetAbsolutePosition(2));
    ASSERT_TRUE(c->GetFieldLong(2, l));
    EXPECT_EQ(l, 2000000001L);
}

TEST_F(MemCursor, TextKeepsEveryCharacterAndEmptiness)
{
    // Kept one byte per character up to U+00FF, two from U+0100 on.
    conn.Exec(L"UPDATE " + table + L" SET s = CAST(X'C3BF41' AS TEXT) WHERE id = 1");
    conn.Exec(L"UPDATE " + table + L" SET s = CAST(X'C480C3BF' AS TEXT) WHERE id = 2");
    conn.Exec(L"UPDATE " + table + L" SET s = '' WHERE id = 3");
    auto c = Open();
    ASSERT_TRUE(c->SetAbsolutePosition(1));
    EXPECT_EQ(Text(*c, 4), L"\u00ffA");
    EXPECT_FALSE(c->IsFieldEmpty(4));
    ASSERT_TRUE(c->MoveNext());
    EXPECT_EQ(Text(*c, 4), L"\u0100\u00ff");
    ASSERT_TRUE(c->MoveNext());
    EXPECT_EQ(Text(*c, 4), L"");
    EXPECT_TRUE(c->IsFieldEmpty(4));
    EXPECT_FALSE(c->IsFieldNull(4));
}

TEST_F(MemCursor, TextIsKeptAsTheSourceShowsIt)
{
    // ASCII text is kept from the driver's bytes as they are: what is shown, cut or NULL must be
    // what the recordset itself shows, beside non-ASCII text and values longer than the room.
    const CString longAscii(std::wstring(5000, L'x').c_str());
    conn.Exec(L"UPDATE " + table + L" SET s = '" + longAscii + L"' WHERE id = 1");
    conn.Exec(L"UPDATE " + table + L" SET s = CAST(X'61C3A962' AS TEXT) WHERE id = 2");
    conn.Exec(L"UPDATE " + table + L" SET s = NULL WHERE id = 3");
    conn.Exec(L"INSERT INTO " + table + L" VALUES (5, 0, 0, '')");
    std::vector<std::wstring> texts;
    std::vector<bool> cut, null;
    {
        CRRecordset rs(conn.database.get());
        rs.Open(L"SELECT id, d, n, s FROM " + table + L" ORDER BY id", RS_FORWARD_ONLY,
                RS_READONLY);
        for (; !rs.IsEOF(); rs.MoveNext())
        {
            texts.push_back(Text(rs, 4));
            cut.push_back(rs.IsFieldTruncated(4));
            null.push_back(rs.IsFieldNull(4));
        }
    }
    ASSERT_EQ(texts.size(), 5u);
    auto c = Open();
    size_t row = 0;
    for (bool ok = c->MoveFirst(); ok && !c->IsEOF(); ok = c->MoveNext(), ++row)
    {
        ASSERT_LT(row, texts.size());
        EXPECT_EQ(Text(*c, 4), texts[row]) << row;
        EXPECT_EQ(c->IsFieldTruncated(4), cut[row]) << row;
        EXPECT_EQ(c->IsFieldNull(4), null[row]) << row;
    }
    EXPECT_EQ(row, texts.size());
    EXPECT_EQ(texts[1], L"a\u00e9b");
    EXPECT_EQ(texts[4], L"");
}

TEST_F(MemCursor, EveryValueReadsBackAsTheRecordsetGaveIt)
{
    // Timestamps are kept in a field's slot when their parts fit and stored otherwise, numbers
    // read as text are kept as their bytes when no zeros pad them: however a value is kept, it
    // reads back as the recordset itself read it, as a window opens a table and as exports do.
    const CString t = conn.Table(L"kept");
    conn.Exec(L"CREATE TABLE " + t + L" (id INTEGER, ts TIMESTAMP, n NUMERIC(10,2), d DOUBLE)");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (1, '2024-02-29 23:59:59.999999', 1.25, 0.5)");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (2, '1999-01-01 12:00:00.123456789', 1.5, -2)");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (3, '9999-12-31 23:59:59', 7, 1e300)");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (4, '0001-01-01 00:00:00', -0.01, 3.25)");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (5, NULL, NULL, NULL)");
    const CString select = L"SELECT id, ts, n, d FROM " + t + L" ORDER BY id";
    for (UINT options : {static_cast<UINT>(RS_READONLY),
                         static_cast<UINT>(RS_NUMERIC_AS_TEXT | RS_DECLARED_COLUMNS)})
    {
        SCOPED_TRACE(options);
        std::vector<std::vector<std::wstring>> expected;
        std::vector<TIMESTAMP_STRUCT> stamps;
        {
            CRRecordset rs(conn.database.get());
            rs.Open(select, RS_FORWARD_ONLY, options);
            for (; !rs.IsEOF(); rs.MoveNext())
            {
                std::vector<std::wstring> row;
                for (UINT col = 1; col <= 4; ++col)
                    row.push_back(rs.IsFieldNull(col) ? L"<null>" : std::wstring(Text(rs, col)));
                expected.push_back(row);
                TIMESTAMP_STRUCT ts{};
                rs.GetFieldTimestamp(2, ts);
                stamps.push_back(ts);
            }
        }
        ASSERT_EQ(expected.size(), 5u);
        // Both ways of keeping a timestamp: whole microseconds, and a fraction finer than that.
        EXPECT_EQ(stamps[0].fraction, 999999000u);
        EXPECT_NE(stamps[1].fraction % 1000, 0u) << stamps[1].fraction;
        auto rs = std::make_unique<CRRecordset>(conn.database.get());
        rs->Open(select, RS_FORWARD_ONLY, options);
        Zelt::CMemCursor c(std::move(rs));
        size_t row = 0;
        for (bool ok = c.MoveFirst(); ok && !c.IsEOF(); ok = c.MoveNext(), ++row)
        {
            ASSERT_LT(row, expected.size());
            for (UINT col = 1; col <= 4; ++col)
                EXPECT_EQ(c.IsFieldNull(col) ? L"<null>" : std::wstring(Text(c, col)),
                          expected[row][col - 1])
                    << "row " << row + 1 << ", column " << col;
            TIMESTAMP_STRUCT ts{};
            c.GetFieldTimestamp(2, ts);
            EXPECT_EQ(std::memcmp(&ts, &stamps[row], sizeof ts), 0) << "row " << row + 1;
        }
        EXPECT_EQ(row, expected.size());
    }
}

// A window's edits change its rows in place while the source may still be giving rows: the rows
// around keep their indexes, and the rows read afterwards come after the last, as before.
TEST_F(MemCursor, RowsChangeInPlaceWhileTheSourceReadsOn)
{
    auto c = Open();
    ASSERT_TRUE(c->SetAbsolutePosition(2));
    ASSERT_TRUE(c->IsSourceOpen());
    // The row as the server holds it now, from a SELECT of it alone.
    conn.Exec(L"UPDATE " + table + L" SET s = 'new' WHERE id = 1");
    {
        CRRecordset one(conn.database.get());
        one.Open(L"SELECT id, d, n, s FROM " + table + L" WHERE id = 1", RS_FORWARD_ONLY,
                 RS_READONLY);
        ASSERT_TRUE(c->HasColumnsOf(one));
        ASSERT_TRUE(c->ReplaceRow(0, one));
        ASSERT_TRUE(c->InsertRow(1, one)); // a new row between the first two
        EXPECT_FALSE(c->InsertRow(9, one));
        CRRecordset other(conn.database.get());
        other.Open(L"SELECT id, s FROM " + table, RS_FORWARD_ONLY, RS_READONLY);
        EXPECT_FALSE(c->HasColumnsOf(other));
        EXPECT_FALSE(c->ReplaceRow(0, other));
    }
    EXPECT_EQ(Row(*c), 2); // still on the row it stood on (id 2), one place down
    EXPECT_EQ(Id(*c), 2);
    // Typed values: each in its column's kind where the text reads as one, else as the text.
    std::vector<Zelt::CMemCursor::CFieldText> fields(4);
    fields[0] = {true, false, L"7"};
    fields[1] = {true, false, L"x1"};
    fields[3] = {true, true, L""};
    ASSERT_TRUE(c->ReplaceRowFields(1, fields));
    ASSERT_TRUE(c->RemoveRow(2)); // id 2 goes; the cursor stands on what follows
    EXPECT_FALSE(c->RemoveRow(7));
    std::vector<std::wstring> rows;
    for (bool ok = c->MoveFirst(); ok && !c->IsEOF(); ok = c->MoveNext())
        rows.push_back(std::wstring(Text(*c, 1)) + L"|" + std::wstring(Text(*c, 4)));
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"1|new", L"7|<null>", L"3|v3", L"4|v4"}));
    EXPECT_FALSE(c->IsSourceOpen());
    ASSERT_TRUE(c->SetAbsolutePosition(2));
    long id = 0;
    ASSERT_TRUE(c->GetFieldLong(1, id));
    EXPECT_EQ(id, 7);
    EXPECT_TRUE(c->IsFieldHeldAsText(2));
    EXPECT_EQ(Text(*c, 2), L"x1");
    EXPECT_EQ(Text(*c, 3), L"1.25"); // not given: kept
    // A new row from texts alone: NULL where nothing was given.
    ASSERT_TRUE(c->InsertRowFields(4, fields));
    EXPECT_EQ(c->GetRecordCount(), 5);
    ASSERT_TRUE(c->SetAbsolutePosition(5));
    EXPECT_TRUE(c->IsFieldNull(3));
}

} // namespace

TEST_F(MemCursor, RowsOfManyBlocksReadBack)
{
    // Thousands of long rows fill the first blocks and then blocks made ahead of the reader.
    const CString big = conn.Table(L"memblocks");
    conn.Exec(L"CREATE TABLE " + big + L" (id INTEGER, s TEXT)");
    conn.Exec(L"INSERT INTO " + big +
              L" WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 6000) "
              L"SELECT i, i || ':' || replace(hex(zeroblob(1500)), '00', 'x') FROM c");
    auto rs = std::make_unique<CRRecordset>(conn.database.get());
    rs->Open(L"SELECT id, s FROM " + big + L" ORDER BY id", RS_FORWARD_ONLY, RS_READONLY);
    Zelt::CMemCursor c(std::move(rs));
    c.ReadToEnd();
    ASSERT_EQ(c.GetRecordCount(), 6000);
    EXPECT_GT(c.GetMemoryUsed(), size_t(6000 * 1500));
    for (int i = 1; i <= 6000; ++i)
    {
        ASSERT_TRUE(c.SetAbsolutePosition(i));
        ASSERT_EQ(Id(c), i);
        const std::wstring s = Text(c, 2);
        const std::wstring head = std::to_wstring(i) + L":";
        ASSERT_EQ(s.size(), head.size() + 1500) << i;
        ASSERT_EQ(s.substr(0, head.size()), head) << i;
        ASSERT_EQ(s.find_first_not_of(L'x', head.size()), std::wstring::npos) << i;
    }
}
