// Texts made from connection strings: quoting of the values the dialogs put in, item removal,
// recent-connection labels and window titles.
#include "app/connection_dialogs.h"
#include "app/connection_text.h"
#include "app/main_frame.h"
#include "services/database_helper.h"

#include <gtest/gtest.h>

namespace {

std::string Narrow(const CString& s)
{
    std::string out;
    for (int i = 0; i < s.GetLength(); ++i)
        out += s[i] < 128 ? (char)s[i] : '?';
    return out;
}

#define EXPECT_CSTR(actual, expected) EXPECT_EQ(Narrow(actual), Narrow(CString(expected)))

TEST(ConnectValues, QuotedOnlyWhenTheValueCouldBreakTheString)
{
    EXPECT_CSTR(QuoteConnectValue(L"quenlark"), L"quenlark");
    EXPECT_CSTR(QuoteConnectValue(L""), L"");
    EXPECT_CSTR(QuoteConnectValue(L"O'Brien"), L"O'Brien");
    EXPECT_CSTR(QuoteConnectValue(L"a;b}c"), L"{a;b}}c}");
    EXPECT_CSTR(QuoteConnectValue(L"x;Database=y"), L"{x;Database=y}");
    EXPECT_CSTR(QuoteConnectValue(L"{x"), L"{{x}");
    EXPECT_CSTR(QuoteConnectValue(L" padded"), L"{ padded}");
    EXPECT_CSTR(QuoteConnectValue(L"padded "), L"{padded }");
    EXPECT_CSTR(QuoteConnectValue(L"in side"), L"in side");
}

TEST(ConnectValues, AQuotedValueReadsBackUnchanged)
{
    for (LPCWSTR value : {L"a;b}c", L"x;Database=y", L"}}{{", L" both ", L"=", L"plain"})
    {
        CString connect = L"DSN=d;" + MakeConnectItem(L"PWD", value) + L"UID=u;";
        EXPECT_CSTR(CRDatabaseHelper::GetConnectStringValue(connect, L"PWD"), value)
            << Narrow(connect);
        EXPECT_CSTR(CRDatabaseHelper::GetConnectStringUser(connect), L"u") << Narrow(connect);
    }
}

TEST(ConnectValues, RemovingAnItemSkipsBracedValuesWhole)
{
    EXPECT_CSTR(RemoveConnectItem(L"DSN=a;PWD={x;UID=evil};UID=u;", L"pwd"), L"DSN=a;UID=u;");
    EXPECT_CSTR(RemoveConnectItem(L"DSN=a;PWD=secret", L"PWD"), L"DSN=a;");
    EXPECT_CSTR(RemoveConnectItem(L"PWD=1;SPWD=2;PWD=3;", L"PWD"), L"SPWD=2;");
    EXPECT_CSTR(RemoveConnectItem(L"DSN=a;P={b}};c}", L"P"), L"DSN=a;");
    EXPECT_CSTR(RemoveConnectItem(L"", L"PWD"), L"");
}

TEST(DSNDialog, ConnectStringOfEachLogin)
{
    EXPECT_CSTR(CDSNDlg::BuildConnectString(L"Sales", true, L"admin", L""),
                L"DSN=Sales;UID=admin;");
    EXPECT_CSTR(CDSNDlg::BuildConnectString(L"Sales", true, L"", L""), L"DSN=Sales;");
    EXPECT_CSTR(CDSNDlg::BuildConnectString(L"Sales", true, L"admin", L"a;b}c"),
                L"DSN=Sales;UID=admin;PWD={a;b}}c};");
    EXPECT_CSTR(CDSNDlg::BuildConnectString(L"Sales", false, L"ignored", L"ignored"),
                L"DSN=Sales;Trusted_Connection=Yes;");
}

TEST(DSNDialog, SortedByNameWithTheUserSourceFirst)
{
    std::vector<CDSNInfo> sources(4);
    sources[0].m_strName = L"beta";
    sources[0].m_nKind = 1;
    sources[1].m_strName = L"Alpha";
    sources[1].m_nKind = 0;
    sources[2].m_strName = L"BETA";
    sources[2].m_nKind = 0;
    sources[3].m_strName = L"alpha2";
    sources[3].m_nKind = 1;
    CDSNDlg::SortDataSources(sources);
    EXPECT_CSTR(sources[0].m_strName, L"Alpha");
    EXPECT_CSTR(sources[1].m_strName, L"alpha2");
    EXPECT_CSTR(sources[2].m_strName, L"BETA");
    EXPECT_EQ(sources[2].m_nKind, 0u);
    EXPECT_CSTR(sources[3].m_strName, L"beta");
}

TEST(RecentConnections, LabelsByWhatTheStringNames)
{
    EXPECT_CSTR(MakeRecentConnectionLabel(L"DSN=Sales;UID=admin;PWD=x;"), L"Sales@admin");
    EXPECT_CSTR(MakeRecentConnectionLabel(L"DSN=Files;DBQ=C:\\data\\db.mdb;"),
                L"Files (C:\\data\\db.mdb)");
    EXPECT_CSTR(MakeRecentConnectionLabel(
                    L"DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;UID=quenlark;PWD=q;"),
                L"127.0.0.1@quenlark");
    EXPECT_CSTR(MakeRecentConnectionLabel(L"Driver={x};Server=db1;"), L"db1");
    EXPECT_CSTR(MakeRecentConnectionLabel(
                    L"Driver={Microsoft Access Driver (*.mdb)};Dbq=C:\\a\\b\\c\\d\\e\\f.mdb;"),
                L"C:\\...\\c\\d\\e\\f.mdb");
    EXPECT_CSTR(MakeRecentConnectionLabel(L"Driver=SQLite3;Database=/tmp/x.db;"), L"/tmp/x.db");
    EXPECT_CSTR(MakeRecentConnectionLabel(L"DSN=PG;Database=sales;"), L"PG (sales)");
}

TEST(RecentConnections, ALongLabelIsCutAndNeverShowsThePassword)
{
    CString connect = L"Driver=SQLite3;PWD={secret;uid=zq9};Timeout=100000;StepAPI=0;NoTXN=0;"
                      L"ShortNames=0;LongNames=0;";
    CString label = MakeRecentConnectionLabel(connect);
    EXPECT_EQ(label.Find(L"secret"), -1);
    EXPECT_EQ(label.Find(L"zq9"), -1) << "the password is no user";
    EXPECT_EQ(label.GetLength(), 53) << Narrow(label);
    EXPECT_CSTR(label.Right(3), L"...");
    EXPECT_CSTR(label.Left(15), L"Driver=SQLite3;");
}

TEST(ConnectionTitle, FileDataSourceServerDatabase)
{
    EXPECT_CSTR(MakeConnectionTitle(L"Driver={x};Dbq=C:\\d\\demo.mdb;", L"", L"C:\\d\\demo.mdb",
                                    L"ignored"),
                L"demo.mdb");
    EXPECT_CSTR(MakeConnectionTitle(L"DSN=QuenlarkPG;UID=quenlark;PWD=q;", L"DSN=QuenlarkPG;",
                                    nullptr, L"QuenlarkPG"),
                L"QuenlarkPG@quenlark");
    // The user of the completed string when the given one has none.
    EXPECT_CSTR(MakeConnectionTitle(L"DSN=a;", L"DSN=a;UID=u;", nullptr, L"a"), L"a@u");
    // No data source name reported: the server.
    EXPECT_CSTR(MakeConnectionTitle(L"DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;UID=quenlark;",
                                    L"", nullptr, L""),
                L"127.0.0.1@quenlark");
    EXPECT_CSTR(MakeConnectionTitle(L"Driver={x};", L"Driver={x};Server=s2;", nullptr, L""), L"s2");
    // Neither: the database file's name, without a user.
    EXPECT_CSTR(
        MakeConnectionTitle(L"Driver={x};DBName=C:\\db\\emp.fdb;UID=sysdba;", L"", nullptr, L""),
        L"emp.fdb");
    EXPECT_CSTR(MakeConnectionTitle(L"Driver=SQLite3;", L"", nullptr, L""), L"");
}

TEST(RememberedConnections, AStringTheDriverManagerCanPlaceAgain)
{
    // psqlODBC and MariaDB complete with the driver or the data source: that string is kept.
    EXPECT_CSTR(MakeReconnectString(L"DRIVER={PostgreSQL Unicode};SERVER=h;",
                                    L"DRIVER={PostgreSQL Unicode};DATABASE=q;SERVER=h;PORT=5432;"),
                L"DRIVER={PostgreSQL Unicode};DATABASE=q;SERVER=h;PORT=5432;");
    EXPECT_CSTR(MakeReconnectString(L"DSN=a;", L"  DSN=a;UID=u;"), L"DSN=a;UID=u;");
    EXPECT_CSTR(MakeReconnectString(L"FILEDSN=c:\\a.dsn;", L"FILEDSN=c:\\a.dsn;UID=u;"),
                L"FILEDSN=c:\\a.dsn;UID=u;");
    // SQLite names neither (an empty DSN is none); nor does a driver that completes nothing.
    EXPECT_CSTR(MakeReconnectString(L" Driver=SQLite3;Database=/tmp/a.db;",
                                    L"DSN=;Database=/tmp/a.db;StepAPI=;Timeout=;"),
                L"Driver=SQLite3;Database=/tmp/a.db;");
    EXPECT_CSTR(MakeReconnectString(L"Driver=x;Server=s;", L""), L"Driver=x;Server=s;");
}

TEST(RememberedConnections, TheWholeStringTakenForADatabaseName)
{
    EXPECT_TRUE(IsConnectStringTakenAsValue(L"Driver=SQLite3;",
                                            L"DSN=SQLite;Database=Driver=SQLite3;;StepAPI=;PWD="));
    EXPECT_TRUE(IsConnectStringTakenAsValue(L" driver = SQLite3 ;Foo=1",
                                            L"DSN=SQLite;Database=DRIVER = SQLITE3 ;Foo=1;"));
    EXPECT_FALSE(IsConnectStringTakenAsValue(L"Driver=SQLite3;Database=/tmp/a.db;",
                                             L"DSN=;Database=/tmp/a.db;StepAPI=;"));
    EXPECT_FALSE(IsConnectStringTakenAsValue(L"DSN=a;", L"DSN=a;UID=u;"));
    EXPECT_FALSE(IsConnectStringTakenAsValue(L"justaname", L"DSN=justaname;Database=justaname"));
    EXPECT_FALSE(IsConnectStringTakenAsValue(L"", L"DSN=;"));
}

TEST(FileConnections, KindByExtensionAndTheStringOfEachKind)
{
    EXPECT_EQ(CMainFrame::GetFileType(L"C:\\x\\a.MDB"), 1);
    EXPECT_EQ(CMainFrame::GetFileType(L"a.accdb"), 2);
    EXPECT_EQ(CMainFrame::GetFileType(L"a.Fdb"), 3);
    EXPECT_EQ(CMainFrame::GetFileType(L"C:\\scripts.sql\\run.sql"), 4);
    EXPECT_EQ(CMainFrame::GetFileType(L"C:\\x.sql\\noext"), 0);
    EXPECT_EQ(CMainFrame::GetFileType(L"a.gdb"), 0);
    EXPECT_EQ(CMainFrame::GetFileType(L""), 0);

    CString connect = L"left over";
    EXPECT_FALSE(CMainFrame::BuildFileConnectString(0, L"a.txt", connect));
    EXPECT_TRUE(connect.IsEmpty());
    ASSERT_TRUE(CMainFrame::BuildFileConnectString(1, L"C:\\d\\a.mdb", connect));
    EXPECT_EQ(connect.Find(L"Driver={Microsoft Access Driver (*.mdb)};Dbq="), 0);
    ASSERT_TRUE(CMainFrame::BuildFileConnectString(2, L"C:\\d\\a.accdb", connect));
    EXPECT_EQ(connect.Find(L"Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq="), 0);
    ASSERT_TRUE(CMainFrame::BuildFileConnectString(3, L"Z:\\tmp\\a.gdb", connect));
    EXPECT_EQ(connect.Find(L"Driver={Firebird/InterBase(r) driver};DBName="), 0);
    EXPECT_CSTR(CRDatabaseHelper::GetConnectStringDatabase(connect), L"/tmp/a.gdb")
        << "the driver, a Linux library here, gets the file's Linux path";
}

TEST(FileConnections, APathWithSeparatorsStaysOneValue)
{
    CString connect;
    ASSERT_TRUE(CMainFrame::BuildFileConnectString(1, L"C:\\odd;Uid=x;{dir}\\a.mdb", connect));
    EXPECT_TRUE(CRDatabaseHelper::GetConnectStringUser(connect).IsEmpty()) << Narrow(connect);
    EXPECT_GE(CRDatabaseHelper::GetConnectStringDatabase(connect).Find(L"odd;Uid=x;{dir}"), 0)
        << Narrow(connect);
}

} // namespace
