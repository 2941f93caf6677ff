// The main frame's answers to the object dialogs: the current schema and driver limit texts.
#include "app/app_settings.h"
#include "app/main_frame.h"

#include "tests/dbaccess/test_databases.h"

#include <gtest/gtest.h>

namespace {

TEST(MainFrameObjects, CurrentSchemaOnlyWithTheOption)
{
    CMainFrame frame;
    const int saved = theSettings.m_bCurSchema;
    ASSERT_TRUE(
        frame.GetDatabaseHelper().Connect(QlTestDb::FakeConnect(L"Oracle"), nullptr, 0, 0, 0));
    frame.SetCurrentSchema(L"DSN=x;UID=scott;PWD=tiger;");
    theSettings.m_bCurSchema = 0;
    EXPECT_TRUE(frame.GetCurrentSchema().IsEmpty());
    theSettings.m_bCurSchema = 1;
    EXPECT_EQ(frame.GetCurrentSchema(), CString(L"SCOTT"));
    theSettings.m_bCurSchema = saved;
    frame.GetDatabaseHelper().Close();
}

TEST(MainFrameObjects, DriverLimitTexts)
{
    CMainFrame frame;
    EXPECT_EQ(frame.GetInfoLimitText(SQL_MAX_COLUMNS_IN_TABLE), CString(L"?")); // not connected
    ASSERT_TRUE(frame.GetDatabaseHelper().Connect(
        QlTestDb::FakeConnect(L"PostgreSQL", L"IdentCase=4;"), nullptr, 0, 0, 0));
    EXPECT_EQ(frame.GetInfoLimitText(SQL_IDENTIFIER_CASE), CString(L"4"));
    // The fake driver knows no column limit: 0.
    EXPECT_EQ(frame.GetInfoLimitText(SQL_MAX_COLUMNS_IN_TABLE), CString(L"no limit"));
    frame.GetDatabaseHelper().Close();
}

} // namespace
