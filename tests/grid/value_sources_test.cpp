// Proposed values of the cell editor: times with zone offsets, GUIDs, foreign-key queries.
#include <gtest/gtest.h>

#include "grid/grid_edit.h"
#include "../dbaccess/conn_test_util.h"

namespace {

std::string N(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

} // namespace

TEST(ValueSources, TimeProposalsByTypeAndZoneOffsets)
{
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = 3;
    t.wDay = 5;
    t.wHour = 7;
    t.wMinute = 8;
    t.wSecond = 9;
    EXPECT_EQ("2024/03/05 07:08:09", N(FormatTimeProposal(t, SQL_TYPE_TIMESTAMP, 0)));
    EXPECT_EQ("2024/03/05 07:08:09 +05:30", N(FormatTimeProposal(t, SQL_SS_TIMESTAMPOFFSET, -330)));
    EXPECT_EQ("07:08:09", N(FormatTimeProposal(t, SQL_SS_TIME2, 0)));
    EXPECT_EQ("2024/03/05", N(FormatTimeProposal(t, SQL_TYPE_DATE, 0)));
    EXPECT_EQ("", N(FormatTimeProposal(t, SQL_INTEGER, 0)));

    // Offsets between -1 h and 0 keep their sign.
    EXPECT_EQ(" -00:30", N(FormatZoneOffset(30)));
    EXPECT_EQ(" +00:00", N(FormatZoneOffset(0)));
    EXPECT_EQ(" -10:00", N(FormatZoneOffset(600)));
    EXPECT_EQ(" +12:45", N(FormatZoneOffset(-765)));

    CRGridTimeDataInterface source(SQL_TYPE_TIME);
    CString value;
    ASSERT_TRUE(source.Open());
    ASSERT_TRUE(source.GetNext(value));
    EXPECT_EQ(8, value.GetLength());
    EXPECT_FALSE(source.GetNext(value));
    ASSERT_TRUE(source.Open());
    EXPECT_TRUE(source.GetNext(value));
}

TEST(ValueSources, GuidProposal)
{
    GUID g = {0x6B29FC40, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA}};
    EXPECT_EQ("6B29FC40-CA47-1067-B31D-00DD010662DA", N(FormatGuidProposal(g)));
    CRGridGuidDataInterface source;
    CString a, b;
    ASSERT_TRUE(source.Open());
    ASSERT_TRUE(source.GetNext(a));
    EXPECT_FALSE(source.GetNext(b));
    ASSERT_TRUE(source.Open());
    ASSERT_TRUE(source.GetNext(b));
    EXPECT_EQ(36, a.GetLength());
    EXPECT_FALSE(a == b);
}

TEST(ValueSources, ForeignKeyValuesFromARealTable)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    QlConnTest::OpenOrFail(db, file.Connect());
    db.ExecuteSQL(L"CREATE TABLE dept (code VARCHAR(10) PRIMARY KEY)");
    db.ExecuteSQL(L"INSERT INTO dept VALUES ('b')");
    db.ExecuteSQL(L"INSERT INTO dept VALUES ('a')");

    CArray<CRForeignKey::CForeignKeyInfo, const CRForeignKey::CForeignKeyInfo&> keys;
    CRForeignKey::CForeignKeyInfo info{};
    wcscpy(info.szPkTableName, L"dept");
    wcscpy(info.szPkColumnName, L"code");
    wcscpy(info.szFkColumnName, L"Dept");
    keys.Add(info);

    CGridEdit::CDataInterface* source = nullptr;
    // Names are compared exactly.
    EXPECT_FALSE(MakeFKValuesQuery(L"dept", keys, &db, &db, 0, source));
    EXPECT_EQ(nullptr, source);
    ASSERT_TRUE(MakeFKValuesQuery(L"Dept", keys, &db, &db, 0, source));
    EXPECT_EQ("SELECT DISTINCT code FROM dept ORDER BY code",
              N(static_cast<CRGridFKDataInterface*>(source)->m_strSQL));
    CString value;
    ASSERT_TRUE(source->Open());
    ASSERT_TRUE(source->GetNext(value));
    EXPECT_EQ("a", N(value));
    ASSERT_TRUE(source->GetNext(value));
    EXPECT_EQ("b", N(value));
    EXPECT_FALSE(source->GetNext(value));
    delete source;

    // A failing query leaves the source empty instead of throwing.
    CRGridFKDataInterface broken(&db, L"SELECT nothing FROM nowhere", 0);
    EXPECT_FALSE(broken.Open());
    EXPECT_FALSE(broken.GetNext(value));
}
