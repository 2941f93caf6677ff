// Statement text and parameters of the grid's row saving, over a hand-made cursor.
#include <gtest/gtest.h>

#include "grid/row_sql.h"
#include "grid_test_cursor.h"
#include "../dbaccess/test_databases.h"

using namespace GridTest;

namespace {

std::string Narrow(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

// Names are quoted as an SQLite connection needs; the values come from the hand-made cursor.
struct Fixture : public ::testing::Test
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    TestCursor cursor;

    void SetUp() override
    {
        ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        cursor.AddColumn(L"id", SQL_C_LONG, SQL_INTEGER);
        cursor.AddColumn(L"name", SQL_C_WCHAR, SQL_WVARCHAR);
        cursor.AddColumn(L"amount", SQL_C_DOUBLE, SQL_NUMERIC);
        cursor.AddColumn(L"stamp", SQL_C_TIMESTAMP, SQL_TYPE_TIMESTAMP);
        cursor.AddColumn(L"data", SQL_C_BINARY, SQL_VARBINARY);
        cursor.rows.push_back({Text(L"5"), Text(L"it's"), Text(L"1.5"),
                               Stamp(2024, 3, 5, 7, 8, 9, 123456000), Bytes({0xAB, 0x01})});
        cursor.rows.push_back({Text(L"6"), Null(), Null(), Null(), Null()});
        cursor.current = 0;
    }

    CRowSqlColumn Col(int list, UINT cursorColumn, LPCWSTR text, UINT kind = 0)
    {
        CRowSqlColumn c;
        c.nListColumn = list;
        c.nCursorColumn = cursorColumn;
        c.strText = text;
        c.nKind = kind;
        return c;
    }
};

} // namespace

TEST_F(Fixture, UpdateByPrimaryKeyQuotesTextAndBindsTimestampWithItsFraction)
{
    CRowKeyRequest key;
    key.keyNames = {L"ID"};
    CRowStatement st;
    CRowSqlFailure f;
    ASSERT_TRUE(BuildUpdateStatement(
        db, nullptr, &cursor, {Col(1, 2, L"O'Brien \\ x"), Col(3, 4, L"2020-01-02 03:04:05.5")},
        key, st, f));
    EXPECT_EQ("UPDATE t SET name='O''Brien \\ x',stamp=? WHERE id IN (5,'5')", Narrow(st.strSQL));
    ASSERT_EQ(1u, st.params.size());
    EXPECT_EQ(SQL_C_TIMESTAMP, st.params[0].nCType);
    EXPECT_EQ(500000000u, st.params[0].ts.fraction);
    EXPECT_EQ(1, st.params[0].DecimalDigits());
    EXPECT_EQ(21u, st.params[0].ColumnSize());
    EXPECT_TRUE(st.bValueKey);
    // SQLite keeps a 5.5 or a '5' in an integer key beside a 5 (a key is unique as stored):
    // before the statement runs, the rows are counted as the integer 5 they were read as, which
    // a column without a type may hold as its text as well.
    EXPECT_TRUE(st.bKeyed);
    EXPECT_EQ("SELECT COUNT(*) FROM t WHERE (id IN (5,'5') AND typeof(id) IN ('integer','text') "
              "AND CAST(id AS TEXT)='5')",
              Narrow(st.strCountSQL));
}

TEST_F(Fixture, ConditionOverAllColumnsWithoutKeyUsesIsNullAndParameters)
{
    cursor.current = 1;
    CRowStatement st;
    CRowSqlFailure f;
    ASSERT_TRUE(BuildDeleteStatement(db, nullptr, &cursor, CRowKeyRequest(), st, f));
    // A NULL is a NULL on SQLite too (a text that is no date reads as that text).
    EXPECT_EQ("DELETE FROM t WHERE id IN (6,'6') AND name IS NULL AND amount IS NULL AND stamp IS "
              "NULL AND "
              "data IS NULL",
              Narrow(st.strSQL));
    EXPECT_TRUE(st.params.empty());

    cursor.current = 0;
    ASSERT_TRUE(BuildDeleteStatement(db, nullptr, &cursor, CRowKeyRequest(), st, f));
    EXPECT_EQ("DELETE FROM t WHERE id IN (5,'5') AND name='it''s' AND amount=1.5 AND "
              "julianday(stamp)=julianday(?) AND data=?",
              Narrow(st.strSQL));
    ASSERT_EQ(2u, st.params.size());
    EXPECT_EQ(123456000u, st.params[0].ts.fraction);
    EXPECT_EQ(6, st.params[0].DecimalDigits());
    EXPECT_EQ((std::vector<BYTE>{0xAB, 0x01}), st.params[1].bytes);
    EXPECT_EQ(2, st.params[1].nIndicator);
}

TEST_F(Fixture, PositionedFormAndItsFallbacks)
{
    CRowKeyRequest positioned;
    positioned.bPositioned = true;
    CRowStatement st;
    CRowSqlFailure f;
    ASSERT_TRUE(BuildDeleteStatement(db, nullptr, &cursor, positioned, st, f));
    EXPECT_EQ("DELETE FROM t WHERE CURRENT OF SQL_CUR1", Narrow(st.strSQL));
    EXPECT_FALSE(st.bValueKey);

    // A truncated value cannot identify the row, and no positioned form is guessed instead:
    // the save is refused with a clear text.
    cursor.rows[0][4].truncated = true;
    EXPECT_FALSE(BuildUpdateStatement(db, nullptr, &cursor, {Col(0, 4, L"2021-01-01")},
                                      CRowKeyRequest(), st, f));
    EXPECT_EQ((UINT)kRowSqlRowCount, f.nKind);
    EXPECT_NE(-1, f.strText.Find(L"cannot be identified"));

    // A key column missing from the result is refused the same way.
    CRowKeyRequest key;
    key.keyNames = {L"nope"};
    EXPECT_FALSE(BuildDeleteStatement(db, nullptr, &cursor, key, st, f));
    EXPECT_EQ((UINT)kRowSqlRowCount, f.nKind);

    // Without a cursor name there is no way to name the row.
    cursor.cursorName.Empty();
    EXPECT_FALSE(BuildDeleteStatement(db, nullptr, &cursor, positioned, st, f));
    EXPECT_EQ((UINT)kRowSqlDatabaseError, f.nKind);
}

TEST_F(Fixture, ResultWithoutTableIsNotEditable)
{
    cursor.table.Empty();
    CRowStatement st;
    CRowSqlFailure f;
    EXPECT_FALSE(BuildInsertStatement(db, nullptr, &cursor, {Col(0, 1, L"1")}, st, f));
    EXPECT_EQ((UINT)kRowSqlDatabaseError, f.nKind);
    EXPECT_TRUE(st.strSQL.IsEmpty());
    EXPECT_FALSE(BuildDeleteStatement(db, nullptr, &cursor, CRowKeyRequest(), st, f));
}

TEST_F(Fixture, NumbersMustBeNumbers)
{
    CRowStatement st;
    CRowSqlFailure f;
    for (LPCWSTR bad : {L"0 --", L"1; DROP TABLE t", L"1)", L"abc", L"1e", L"--1", L"0x10", L"1 2"})
    {
        f = CRowSqlFailure();
        EXPECT_FALSE(
            BuildUpdateStatement(db, nullptr, &cursor, {Col(2, 3, bad)}, CRowKeyRequest(), st, f))
            << Narrow(bad);
        EXPECT_EQ((UINT)kRowSqlInvalidData, f.nKind);
        EXPECT_EQ(2, f.nColumn);
    }
    ASSERT_TRUE(BuildUpdateStatement(db, nullptr, &cursor,
                                     {Col(0, 1, L" -12 "), Col(2, 3, L"+1.5e-3")},
                                     CRowKeyRequest{false, {L"id"}}, st, f));
    EXPECT_EQ("UPDATE t SET id=-12,amount=+1.5e-3 WHERE id IN (5,'5')", Narrow(st.strSQL));
}

TEST_F(Fixture, EmptyNonTextCellsAreNullOnUpdateAndLeftOutOnInsert)
{
    CRowStatement st;
    CRowSqlFailure f;
    ASSERT_TRUE(BuildUpdateStatement(db, nullptr, &cursor,
                                     {Col(0, 1, L""), Col(3, 4, L""), Col(1, 2, L"")},
                                     CRowKeyRequest{true, {}}, st, f));
    EXPECT_EQ("UPDATE t SET id=NULL,stamp=?,name='' WHERE CURRENT OF SQL_CUR1", Narrow(st.strSQL));
    ASSERT_EQ(1u, st.params.size());
    EXPECT_EQ(SQL_NULL_DATA, st.params[0].nIndicator);

    ASSERT_TRUE(BuildInsertStatement(
        db, nullptr, &cursor,
        {Col(0, 1, L""), Col(1, 2, L""), Col(2, 3, L""), Col(3, 4, L""), Col(4, 5, L"")}, st, f));
    EXPECT_EQ("INSERT INTO t (name,data) VALUES ('',?)", Narrow(st.strSQL));
    ASSERT_EQ(1u, st.params.size());
    EXPECT_EQ(0, st.params[0].nIndicator);

    ASSERT_TRUE(
        BuildInsertStatement(db, nullptr, &cursor, {Col(0, 1, L""), Col(3, 4, L"")}, st, f));
    EXPECT_EQ("INSERT INTO t (id) VALUES (NULL)", Narrow(st.strSQL));

    ASSERT_TRUE(BuildUpdateStatement(db, nullptr, &cursor, {}, CRowKeyRequest(), st, f));
    EXPECT_TRUE(st.bNothing);
    EXPECT_TRUE(st.strSQL.IsEmpty());
}

TEST_F(Fixture, BinaryValues)
{
    CRowSqlParams params;
    CString value;
    CRowSqlFailure f;
    EXPECT_FALSE(MakeSaveValue(db, L"ABC", 0, SQL_C_BINARY, SQL_VARBINARY, value, params, f));
    EXPECT_EQ((UINT)kRowSqlOddHex, f.nKind);
    EXPECT_FALSE(MakeSaveValue(db, L"ABCG", 0, SQL_C_BINARY, SQL_VARBINARY, value, params, f));
    EXPECT_EQ((UINT)kRowSqlInvalidData, f.nKind);
    EXPECT_TRUE(params.empty());

    // A NULL whose held text is the marker is still NULL.
    ASSERT_TRUE(MakeSaveValue(db, L"<<NULL>>", 1, SQL_C_BINARY, SQL_VARBINARY, value, params, f));
    EXPECT_EQ("?", Narrow(value));
    EXPECT_EQ(SQL_NULL_DATA, params.back().nIndicator);

    ASSERT_TRUE(MakeSaveValue(db, L"  00ff10 ", 0, SQL_C_BINARY, SQL_VARBINARY, value, params, f));
    EXPECT_EQ((std::vector<BYTE>{0x00, 0xFF, 0x10}), params.back().bytes);
    EXPECT_EQ(3, params.back().nIndicator);
    EXPECT_EQ(3u, params.back().ColumnSize());
}

TEST_F(Fixture, OtherValueKinds)
{
    CRowSqlParams params;
    CString value;
    CRowSqlFailure f;
    EXPECT_FALSE(
        MakeSaveValue(db, L"not a date", 0, SQL_C_TIMESTAMP, SQL_TYPE_TIMESTAMP, value, params, f));
    EXPECT_EQ((UINT)kRowSqlInvalidData, f.nKind);
    ASSERT_TRUE(
        MakeSaveValue(db, L"10:30:00", 0, SQL_C_TIMESTAMP, SQL_TYPE_TIME, value, params, f));
    EXPECT_TRUE(params.empty());
    EXPECT_NE(-1, value.Find(L"10:30:00"));
    ASSERT_TRUE(MakeSaveValue(db, L"x", 1, SQL_C_WCHAR, SQL_WVARCHAR, value, params, f));
    EXPECT_EQ("NULL", Narrow(value));
    ASSERT_TRUE(MakeSaveValue(db, L"1'; --", 0, SQL_C_DEFAULT, 0, value, params, f));
    EXPECT_EQ("'1''; --'", Narrow(value));

    EXPECT_TRUE(IsNumberText(L"1."));
    EXPECT_TRUE(IsNumberText(L".5"));
    EXPECT_FALSE(IsNumberText(L"."));
    EXPECT_FALSE(IsNumberText(L""));
}
