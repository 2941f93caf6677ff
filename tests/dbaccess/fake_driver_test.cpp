// The fake driver's special answers as a program sees them through the driver manager, and the
// run-time lookup of SQLCancelHandle.
#include "conn_test_util.h"

using namespace QlConnTest;
using namespace QlTestDb;

namespace {

struct Statement
{
    explicit Statement(CRDatabase& db)
    {
        EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocStmt(db.GetConnectionHandle(), &h)));
    }
    ~Statement() { SQLFreeStmt(h, SQL_DROP); }
    SQLRETURN Exec(LPCWSTR sql) { return SQLExecDirectW(h, const_cast<SQLWCHAR*>(sql), SQL_NTS); }
    CString State()
    {
        SQLWCHAR state[6] = {0}, message[256];
        SQLINTEGER native;
        SQLSMALLINT length;
        SQLGetDiagRecW(SQL_HANDLE_STMT, h, 1, state, &native, message, 256, &length);
        return CString(reinterpret_cast<LPCWSTR>(state));
    }
    SQLHSTMT h = SQL_NULL_HSTMT;
};

} // namespace

TEST(FakeDriver, LongValueWithoutTotal)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    Statement st(db);
    ASSERT_TRUE(SQL_SUCCEEDED(st.Exec(L"FAKE NOTOTAL")));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(st.h)));
    wchar_t chunk[5];
    SQLLEN indicator = 0;
    EXPECT_EQ(SQLGetData(st.h, 3, SQL_C_WCHAR, chunk, sizeof chunk, &indicator),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(indicator, SQL_NO_TOTAL);
    EXPECT_EQ(st.State(), L"01004");
    EXPECT_STREQ(chunk, L"a lo");
    EXPECT_EQ(SQLGetData(st.h, 3, SQL_C_WCHAR, chunk, sizeof chunk, &indicator),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ(chunk, L"nger");
}

TEST(FakeDriver, RowErrorOnTheSecondRow)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    Statement st(db);
    ASSERT_TRUE(SQL_SUCCEEDED(st.Exec(L"FAKE ROWERROR")));
    SQLULEN fetched = 0;
    SQLUSMALLINT status[1] = {99};
    EXPECT_EQ(SQLExtendedFetch(st.h, SQL_FETCH_NEXT, 0, &fetched, status), SQL_SUCCESS);
    EXPECT_EQ(status[0], SQL_ROW_SUCCESS);
    EXPECT_EQ(SQLExtendedFetch(st.h, SQL_FETCH_NEXT, 0, &fetched, status), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(status[0], SQL_ROW_ERROR);
    EXPECT_EQ(st.State(), L"01S01");
    EXPECT_EQ(SQLExtendedFetch(st.h, SQL_FETCH_NEXT, 0, &fetched, status), SQL_NO_DATA);
}

TEST(FakeDriver, GeneratedRowsWithNulls)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    Statement st(db);
    ASSERT_TRUE(SQL_SUCCEEDED(st.Exec(L"FAKE ROWS 3")));
    SQLSMALLINT columns = 0;
    SQLNumResultCols(st.h, &columns);
    EXPECT_EQ(columns, 5);
    SQLINTEGER id = 0;
    SQLLEN idIndicator = 0, noteIndicator = 0;
    wchar_t note[64];
    SQLBindCol(st.h, 1, SQL_C_SLONG, &id, 4, &idIndicator);
    SQLBindCol(st.h, 3, SQL_C_WCHAR, note, sizeof note, &noteIndicator);
    int rows = 0;
    while (SQL_SUCCEEDED(SQLFetch(st.h)))
    {
        ++rows;
        EXPECT_EQ(id, rows);
        EXPECT_EQ(noteIndicator == SQL_NULL_DATA, rows == 3);
    }
    EXPECT_EQ(rows, 3);
}

TEST(CancelHandle, LookedUpAtRunTime)
{
    CRDatabase db;
    OpenOrFail(db, FakeConnect(L"Oracle"));
    Statement st(db);
    // Wine's driver manager has no SQLCancelHandle: statements fall back to SQLCancel.
    if (!HasSQLCancelHandle())
    {
        EXPECT_EQ(CancelODBCHandle(SQL_HANDLE_STMT, st.h), SQL_SUCCESS);
        EXPECT_EQ(CancelODBCHandle(SQL_HANDLE_DBC, db.GetConnectionHandle()), SQL_ERROR);
    }
    else
        EXPECT_TRUE(SQL_SUCCEEDED(CancelODBCHandle(SQL_HANDLE_STMT, st.h)));
}
