// Values read back from connection strings for window titles and recent-connection labels.
#include "services/database_helper.h"

#include <gtest/gtest.h>

namespace {

CString Value(LPCWSTR connect, LPCWSTR key)
{
    return CRDatabaseHelper::GetConnectStringValue(connect, key);
}

TEST(ConnectStringValues, KeysMatchWholeItemNamesIgnoringCase)
{
    EXPECT_EQ(CString(L"admin"), Value(L"DSN=Sales;UID = admin ;PWD=x;", L"uid"));
    EXPECT_EQ(CString(L"Sales"), Value(L"DSN=Sales;UID = admin ;PWD=x;", L"DSN"));
    // A key inside a longer name or inside a value is no match.
    EXPECT_EQ(CString(L"2"), Value(L"XUID=1;UID=2;", L"UID"));
    EXPECT_EQ(CString(L""), Value(L"FILEDSN=c:\\a.dsn;", L"DSN"));
    EXPECT_EQ(CString(L"bob"), Value(L"PWD=uid=eve;UID=bob;", L"UID"));
    EXPECT_EQ(CString(L""), Value(L"PWD=uid=eve;", L"UID"));
    EXPECT_EQ(CString(L""), Value(L"DSN=Sales;", L"Server"));
}

TEST(ConnectStringValues, LastItemAndEmptyValues)
{
    EXPECT_EQ(CString(L"db1"), Value(L"Driver=x;Database=db1", L"Database"));
    EXPECT_EQ(CString(L""), Value(L"DBQ=;DBName=/data/a.fdb;", L"DBQ"));
    EXPECT_EQ(CString(L"/data/a.fdb"),
              CRDatabaseHelper::GetConnectStringDatabase(L"DBQ=;DBName=/data/a.fdb;"));
    EXPECT_EQ(CString(L"C:\\a.mdb"),
              CRDatabaseHelper::GetConnectStringDatabase(L"DBQ=C:\\a.mdb;DBName=x;"));
    EXPECT_EQ(CString(L"/tmp/a.db"),
              CRDatabaseHelper::GetConnectStringDatabase(L"DSN=;Database=/tmp/a.db;StepAPI=;"));
    EXPECT_EQ(CString(L"x"), CRDatabaseHelper::GetConnectStringDatabase(L"Database=d;DBName=x;"));
    // Items without '=' and stray separators are passed over.
    EXPECT_EQ(CString(L"v"), Value(L";;junk; K = v ;", L"k"));
    EXPECT_EQ(CString(L""), Value(L"", L"k"));
    EXPECT_EQ(CString(L""), Value(L"k=v", L""));
}

TEST(ConnectStringValues, BracedValuesKeepSeparatorsAndDoubledBraces)
{
    EXPECT_EQ(CString(L"a;b}c"), Value(L"UID=u;PWD={a;b}}c};Server=s;", L"PWD"));
    EXPECT_EQ(CString(L"s"), Value(L"UID=u;PWD={a;b}}c};Server=s;", L"Server"));
    EXPECT_EQ(CString(L"PostgreSQL Unicode"),
              Value(L"DRIVER={PostgreSQL Unicode};DATABASE=q;", L"Driver"));
    // Blanks inside braces are part of the value; a key inside braces is not an item.
    EXPECT_EQ(CString(L" x "), Value(L"Dbq={ x };", L"DBQ"));
    EXPECT_EQ(CString(L""), Value(L"PWD={;UID=eve};", L"UID"));
    // An unclosed brace runs to the end.
    EXPECT_EQ(CString(L"abc;UID=x"), Value(L"PWD={abc;UID=x", L"PWD"));
}

TEST(ConnectStringValues, NamedReaders)
{
    const LPCWSTR connect = L"DSN=QuenlarkPG;UID=quenlark;PWD=p;Server=127.0.0.1;";
    EXPECT_EQ(CString(L"QuenlarkPG"), CRDatabaseHelper::GetConnectStringDSN(connect));
    EXPECT_EQ(CString(L"quenlark"), CRDatabaseHelper::GetConnectStringUser(connect));
    EXPECT_EQ(CString(L"127.0.0.1"), CRDatabaseHelper::GetConnectStringServer(connect));
}

} // namespace
