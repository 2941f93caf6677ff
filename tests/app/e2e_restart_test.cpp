// End to end: starting again on the remembered connection on a machine that defines no data
// source at all, and the toolbar while the connect at start-up runs.
#include "tests/app/e2e_program_test.h"
#include "tests/app/e2e_tagged_session.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "framework/command_ids.h"

#include <gtest/gtest.h>

namespace {

std::string Narrow(const std::wstring& s)
{
    std::string out;
    for (wchar_t c : s)
        out += c < 128 ? (char)c : '?';
    return out;
}

// The data sources the driver manager lists to this process, and so to the program it starts.
size_t DataSourceCount()
{
    std::vector<CDSNInfo> sources;
    try
    {
        CRDatabase::GetDataSources(2, sources);
    }
    catch (CException* e)
    {
        e->Delete();
    }
    return sources.size();
}

// Runs where no data source is defined (ctest's test_app_no_data_sources): with one, a string
// that names none may still connect through it by chance and hide the fault.
class NoDataSourcesTest : public CProgramTest
{
protected:
    void SetUp() override
    {
        if (DataSourceCount() > 0)
            GTEST_SKIP() << "data sources are defined; test_app_no_data_sources runs this";
        CProgramTest::SetUp();
    }
};

class StartUpConnectTest : public CProgramTest
{};

TEST_F(NoDataSourcesTest, TheRememberedSQLiteConnectionOpensAgain)
{
    const std::wstring database =
        ql::ScratchFolder(L"restart") + L"\\restart_" + ql::UniqueSuffix() + L".db";
    const std::wstring given = L"Driver=SQLite3;Database=" + ql::UnixPath(database) + L";";

    // The first start connects with the string as the user gave it; the title names the file.
    ASSERT_TRUE(program.StartConnected(given));
    const std::wstring fileTitle = database.substr(database.rfind(L'\\') + 1) + L" - Quenlark";
    EXPECT_EQ(program.Title(), fileTitle);
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    ASSERT_TRUE(program.Close());
    const std::wstring remembered = ql::RegString(L"ConnectString0", L"ConnectStrings");

    // Every later start connects with what was remembered.
    for (int start = 2; start <= 3; ++start)
    {
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(ql::WaitFor(
            [&] { return program.Title() == fileTitle || program.FindMessageBox() != nullptr; }));
        EXPECT_EQ(program.Title(), fileTitle) << "start " << start << " with " << Narrow(remembered)
                                              << ": " << Narrow(program.TakeMessageBox(0));
        EXPECT_TRUE(program.WaitUntilIdle());
        EXPECT_EQ(program.FindMessageBox(), nullptr);
        ASSERT_TRUE(program.Close());
        EXPECT_EQ(ql::RegString(L"ConnectString0", L"ConnectStrings"), remembered);
        EXPECT_FALSE(ql::RegValueExists(L"ConnectString1", L"ConnectStrings"));
    }
    DeleteFileW(database.c_str());
}

TEST_F(StartUpConnectTest, ToolbarShowsTheUnconnectedStateWhileTheStartUpConnectRuns)
{
    ql::WriteRegString(L"Connect DB at startup", L"Yes");
    // The connect lasts until the test has looked at the toolbar.
    QlTestDb::ConnectHold hold;
    ql::WriteRegString(L"ConnectString0",
                       L"Driver=QuenlarkFake;DBMS=PostgreSQL;" + std::wstring(hold.Connect()),
                       L"ConnectStrings");
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitForDialog(L"Please wait..."), nullptr);
    const HWND toolbar = program.FindChild(0xE800);
    ASSERT_NE(toolbar, nullptr);
    auto enabled = [&](UINT id) { return SendMessageW(toolbar, TB_ISBUTTONENABLED, id, 0) != 0; };

    // Nothing is connected and no child window is open yet.
    EXPECT_FALSE(enabled(ID_CONNECT_CLOSE));
    EXPECT_FALSE(enabled(ID_QUERY_SQL));
    EXPECT_FALSE(enabled(ID_QUERY_TABLES));
    EXPECT_FALSE(enabled(ID_EDIT_CUT));
    EXPECT_FALSE(enabled(ID_FILE_SAVE));
    EXPECT_TRUE(enabled(ID_CONNECT_STRINGS));

    // Once connected, the connection's buttons come on.
    hold.Release();
    EXPECT_TRUE(ql::WaitFor([&] { return enabled(ID_CONNECT_CLOSE); }));
    EXPECT_TRUE(enabled(ID_QUERY_SQL));
    EXPECT_TRUE(program.Close());
}

// A connection string longer than the usual: the string the driver completes it to is
// remembered whole, and the next start connects with it and its settings.
TEST_F(StartUpConnectTest, ALongPostgresConnectionStringIsRememberedWhole)
{
    const CTaggedPostgresSession session(L"qllong_" + QlTestDb::UniqueTag());
    std::wstring filler;
    while (filler.size() < 900)
        filler += L"filler text that only lengthens the string ";
    // The comment rides along in the session settings after the application name, so a cut
    // string loses the quote that closes them.
    std::wstring given = session.Connect();
    given.insert(given.size() - 2, L"; /* " + filler + L"*/");
    ASSERT_TRUE(program.StartConnected(given));
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    ASSERT_TRUE(program.Close());
    const std::wstring remembered = ql::RegString(L"ConnectString0", L"ConnectStrings");
    EXPECT_GT(remembered.size(), filler.size());
    EXPECT_NE(remembered.find(L"lengthens"), std::wstring::npos) << Narrow(remembered);

    CRDatabase db;
    ASSERT_TRUE(db.Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(
        ql::WaitFor([&] { return program.FindMessageBox() != nullptr || session.Count(db) > 0; }));
    EXPECT_EQ(program.FindMessageBox(), nullptr) << Narrow(program.TakeMessageBox(0));
    EXPECT_TRUE(program.WaitUntilIdle());
    EXPECT_GT(session.Count(db), 0) << Narrow(remembered);
    ASSERT_TRUE(program.Close());
    EXPECT_EQ(ql::RegString(L"ConnectString0", L"ConnectStrings"), remembered);
}

} // namespace
