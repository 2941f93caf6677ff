#include <gtest/gtest.h>

#include "dbaccess/database.h"
#include "test_databases.h"

TEST(Connect, SQLiteOpens)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    EXPECT_TRUE(db.IsOpen());
}
