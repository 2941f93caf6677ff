// Whether a connection's 8-bit text is UTF-8 is asked once, of the products whose statement for
// it is known, and never of others (whose drivers might log or refuse a statement of ours).
#include "recordset_test_util.h"

using namespace QlRsTest;

namespace {

TEST(NarrowText, TheThreeDriversHandOverUtf8AndAreAskedOncePerConnection)
{
    for (Db db : {Db::SQLite, Db::PostgreSQL, Db::MariaDB})
    {
        Connection conn(db);
        EXPECT_EQ(conn.database->GetNarrowTextUtf8(), -1) << DbName(db);
        CRRecordset rs(conn.database.get());
        ASSERT_TRUE(rs.Open(L"SELECT 'abc'", RS_FORWARD_ONLY, RS_READONLY));
        EXPECT_EQ(conn.database->GetNarrowTextUtf8(), 1) << DbName(db);
        EXPECT_EQ(Text(rs, 1), L"abc");
        conn.database->Close();
        EXPECT_EQ(conn.database->GetNarrowTextUtf8(), -1) << DbName(db);
    }
}

TEST(NarrowText, OtherProductsAreNotAsked)
{
    QlTestDb::FakeLog log;
    CRDatabase db;
    ASSERT_TRUE(db.Open(log.Connect(L"Oracle"), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    CRRecordset rs(&db);
    rs.Open(L"FAKE NOTOTAL", RS_FORWARD_ONLY, RS_READONLY);
    EXPECT_EQ(db.GetNarrowTextUtf8(), 0);
    const std::wstring statements = static_cast<LPCWSTR>(log.Read());
    EXPECT_NE(statements.find(L"FAKE NOTOTAL"), std::wstring::npos);
    EXPECT_EQ(statements.find(L"SELECT"), std::wstring::npos);
}

} // namespace
