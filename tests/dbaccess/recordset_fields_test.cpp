// Field values of the recordset beyond the shared contract: values longer than the declared
// size, unbound reads, unsigned integers, numbers as text, values of unknown length.
#include "recordset_test_util.h"

using namespace QlRsTest;

namespace {

TEST(RecordsetFields, BlobLongerThanItsDeclaredSizeIsCutAndSaysSo)
{
    // SQLite's driver declares a BLOB as 255 bytes.
    Connection conn(Db::SQLite);
    const CString t = conn.Table(L"blob");
    conn.Exec(L"CREATE TABLE " + t + L" (b BLOB)");
    std::wstring hex;
    for (int i = 0; i < 1000; ++i)
        hex += (i % 2) ? L"A5" : L"5A";
    conn.Exec(L"INSERT INTO " + t + L" VALUES (X'" + CString(hex.c_str()) + L"')");

    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open(L"SELECT b FROM " + t));
    const CSQLColumn* rec = rs.GetColumnBuffer(1);
    ASSERT_NE(rec, nullptr);
    CByteArray bytes;
    ASSERT_TRUE(rs.GetFieldBinary(1, bytes));
    EXPECT_EQ(bytes.GetSize(), rec->nBufferSize);
    EXPECT_LT(bytes.GetSize(), 1000);
    EXPECT_TRUE(rs.IsFieldTruncated(1));
    EXPECT_EQ(Text(rs, 1).size(), static_cast<size_t>(rec->nBufferSize * 2));

    // Unbound, the whole value comes.
    CRRecordset whole(conn.database.get());
    ASSERT_TRUE(whole.Open(L"SELECT b FROM " + t, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND));
    ASSERT_TRUE(whole.GetFieldBinary(1, bytes));
    EXPECT_EQ(bytes.GetSize(), 1000);
    EXPECT_FALSE(whole.IsFieldTruncated(1));
    EXPECT_EQ(Text(whole, 1), hex);
}

TEST(RecordsetFields, UnboundValuesReadAgainGiveTheSameValue)
{
    Connection conn(Db::PostgreSQL);
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open(L"SELECT repeat('ab', 15000) AS t, CAST(NULL AS TEXT) AS n, 7 AS i",
                        RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND));
    CString first, second;
    ASSERT_TRUE(rs.GetFieldText(1, first));
    ASSERT_TRUE(rs.GetFieldText(1, second));
    EXPECT_EQ(first.GetLength(), 30000);
    EXPECT_EQ(W(first), W(second));
    EXPECT_EQ(Text(rs, 2), L"<null>");
    EXPECT_EQ(Text(rs, 2), L"<null>");
    long i = 0;
    ASSERT_TRUE(rs.GetFieldLong(3, i));
    ASSERT_TRUE(rs.GetFieldLong(3, i));
    EXPECT_EQ(i, 7);
    EXPECT_EQ(ThrownMessage([&] { rs.IsFieldNull(1); }), L"Error: check field without bind");
    EXPECT_FALSE(rs.IsFieldTypeUnknown(1));
    EXPECT_FALSE(rs.IsFieldTruncated(1));
}

TEST(RecordsetFields, UnsignedIntegersKeepTheirValue)
{
    Connection conn(Db::MariaDB);
    const CString t = conn.Table(L"unsigned");
    conn.Exec(L"CREATE TABLE " + t + L" (u INT UNSIGNED, ub BIGINT UNSIGNED)");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (4000000000, 18446744073709551615)");
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open(L"SELECT u, ub FROM " + t));
    if (!conn.database->IsFunctionSupported(SQL_API_SQLCOLATTRIBUTES))
        GTEST_SKIP() << "driver does not describe unsigned columns";
    EXPECT_EQ(rs.GetColumnCType(1), SQL_C_ULONG);
    EXPECT_EQ(rs.GetColumnCType(2), SQL_C_UBIGINT);
    EXPECT_EQ(Text(rs, 1), L"4000000000");
    EXPECT_EQ(Text(rs, 2), L"18446744073709551615");
    double d = 0;
    ASSERT_TRUE(rs.GetFieldDouble(1, d));
    EXPECT_EQ(d, 4000000000.0);
    ASSERT_TRUE(rs.GetFieldDouble(2, d));
    EXPECT_EQ(d, 18446744073709551615.0);
    LONGLONG big = 0;
    ASSERT_TRUE(rs.GetFieldBigInt(1, big));
    EXPECT_EQ(big, 4000000000LL);
}

TEST(RecordsetFields, DoublesOutsideTheLongRangeAreRefused)
{
    Connection conn(Db::SQLite);
    CRRecordset rs(conn.database.get());
    const CString t = conn.Table(L"range");
    conn.Exec(L"CREATE TABLE " + t + L" (d DOUBLE)");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (3000000000.5)");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (-2147483648.9)");
    ASSERT_TRUE(rs.Open(L"SELECT d FROM " + t + L" ORDER BY d DESC"));
    long l = 0;
    EXPECT_EQ(ThrownMessage([&] { rs.GetFieldLong(1, l); }), L"Value out of range for field #1");
    rs.MoveNext();
    ASSERT_TRUE(rs.GetFieldLong(1, l));
    EXPECT_EQ(l, -2147483647L - 1);
}

TEST(RecordsetFields, NumbersAsTextKeepEveryDigit)
{
    Connection conn(Db::PostgreSQL);
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(
        rs.Open(L"SELECT CAST('12345678901234567890.123456789' AS DECIMAL(38,10)) AS n, "
                L"CAST(1.5e-3 AS DOUBLE PRECISION) AS f, CAST(0.1 AS DOUBLE PRECISION) AS g",
                RS_STATIC, RS_READONLY | RS_NUMERIC_AS_TEXT));
    EXPECT_EQ(rs.GetColumnCType(1), SQL_C_DOUBLE);
    EXPECT_EQ(Text(rs, 1), L"12345678901234567890.1234567890");
    EXPECT_EQ(Text(rs, 2), L"0.0015");

    // Held as a double, a value prints as the digits it was written with.
    CRRecordset bound(conn.database.get());
    ASSERT_TRUE(bound.Open(
        L"SELECT CAST(0.1 AS DOUBLE PRECISION) AS g, CAST(-2.7 AS DOUBLE PRECISION) AS h"));
    EXPECT_EQ(Text(bound, 1), L"0.1");
    EXPECT_EQ(Text(bound, 2), L"-2.7");
}

TEST(RecordsetFields, LongColumnNamesComeWholeUpTo256Characters)
{
    Connection conn(Db::SQLite);
    const std::wstring name256(256, L'n');
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open((L"SELECT 1 AS " + name256 + L", 2 AS " + name256 + L"x").c_str()));
    EXPECT_EQ(W(rs.GetColumnName(1)), name256);
    EXPECT_EQ(W(rs.GetColumnName(2)), name256);
}

TEST(RecordsetFields, ValueOfUnknownLengthIsReadInPieces)
{
    CRDatabase db;
    db.Open(QlTestDb::FakeConnect(L"QuenlarkFake"), CRDatabase::openNoPrompt, nullptr, 0, 0, 0);
    CRRecordset rs(&db);
    ASSERT_TRUE(rs.Open(L"FAKE NOTOTAL", RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND));
    EXPECT_EQ(Text(rs, 2), L"name 1");
    EXPECT_EQ(Text(rs, 3), L"a longer note for row 1");
}

} // namespace

namespace {

TEST(RecordsetFields, HugeDeclaredSizesGetBoundedBuffers)
{
    // MariaDB declares LONGTEXT and LONGBLOB with 4 GB; a bound buffer that size would fail.
    Connection conn(Db::MariaDB);
    const CString t = conn.Table(L"huge");
    conn.Exec(L"CREATE TABLE " + t + L" (lt LONGTEXT, lb LONGBLOB)");
    conn.Exec(L"INSERT INTO " + t + L" VALUES (REPEAT('x', 70000), REPEAT('y', 70000))");
    CRRecordset rs(conn.database.get());
    ASSERT_TRUE(rs.Open(L"SELECT lt, lb FROM " + t));
    ASSERT_GT(rs.GetColumnSize(1), 65536);
    const CSQLColumn* text = rs.GetColumnBuffer(1);
    const CSQLColumn* blob = rs.GetColumnBuffer(2);
    ASSERT_TRUE(text && blob);
    // 65,536 UTF-16 units, held as such or as UTF-8 with room for them.
    EXPECT_EQ(text->bUtf8 ? text->nCharCapacity : text->nBufferSize / 2, 65536);
    EXPECT_EQ(blob->nBufferSize, 65536);
    EXPECT_TRUE(text->bCapped);
    EXPECT_EQ(Text(rs, 1).size(), 65536u);
    EXPECT_TRUE(rs.IsFieldTruncated(1));
    CByteArray bytes;
    ASSERT_TRUE(rs.GetFieldBinary(2, bytes));
    EXPECT_EQ(bytes.GetSize(), 65536);
    EXPECT_TRUE(rs.IsFieldTruncated(2));
}

} // namespace
