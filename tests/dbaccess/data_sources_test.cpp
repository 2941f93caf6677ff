// Data sources and drivers from the test ini files, and the parsing of driver attributes.
#include "conn_test_util.h"
#include "dbaccess/list_environment.h"

#include <algorithm>

using namespace QlConnTest;

namespace {

std::vector<CString> Names(const std::vector<CDSNInfo>& list)
{
    std::vector<CString> names;
    for (const CDSNInfo& info : list)
        names.push_back(info.m_strName);
    std::sort(names.begin(), names.end(),
              [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    return names;
}

} // namespace

TEST(DataSources, UserSystemAndAll)
{
    std::vector<CDSNInfo> user, system, all;
    ASSERT_TRUE(CRDatabase::GetDataSources(0, user));
    ASSERT_TRUE(CRDatabase::GetDataSources(1, system));
    ASSERT_TRUE(CRDatabase::GetDataSources(2, all));
    EXPECT_EQ(Names(user), (std::vector<CString>{L"QuenlarkUserFake"}));
    EXPECT_EQ(Names(system),
              (std::vector<CString>{L"QuenlarkMariaDB", L"QuenlarkPG", L"QuenlarkSystemFake",
                                    L"QuenlarkSystemSQLite"}));
    EXPECT_EQ(Names(all),
              (std::vector<CString>{L"QuenlarkMariaDB", L"QuenlarkPG", L"QuenlarkSystemFake",
                                    L"QuenlarkSystemSQLite", L"QuenlarkUserFake"}));
    for (const CDSNInfo& info : user)
        EXPECT_EQ(info.m_nKind, 0u);
    for (const CDSNInfo& info : system)
        EXPECT_EQ(info.m_nKind, 1u);
    for (const CDSNInfo& info : all)
        EXPECT_EQ(info.m_nKind, 2u);
    EXPECT_EQ(user[0].m_strDescription, L"QuenlarkFake");

    // The list is appended to, never cleared.
    ASSERT_TRUE(CRDatabase::GetDataSources(0, user));
    EXPECT_EQ(user.size(), 2u);
}

TEST(DataSources, AUserDataSourceConnects)
{
    CRDatabase db;
    OpenOrFail(db, L"DSN=QuenlarkUserFake;");
    EXPECT_EQ(db.GetDBMSKind(), DBMS_ORACLE);
    CString name;
    ASSERT_TRUE(db.GetDataSourceName(name));
    EXPECT_EQ(name, L"QuenlarkUserFake");
}

TEST(Drivers, TheTestDriversWithTheirAttributes)
{
    std::vector<CRDatabase::CDriverInfo> drivers;
    ASSERT_TRUE(CRDatabase::GetDrivers(drivers));
    std::vector<CString> names;
    for (const auto& d : drivers)
        names.push_back(d.m_strDescription);
    for (LPCWSTR expected :
         {L"SQLite3", L"PostgreSQL Unicode", L"MariaDB Unicode", L"QuenlarkFake"})
        EXPECT_NE(std::find(names.begin(), names.end(), CString(expected)), names.end())
            << Narrow(expected);

    auto fake = std::find_if(drivers.begin(), drivers.end(), [](const CRDatabase::CDriverInfo& d) {
        return d.m_strDescription == L"QuenlarkFake";
    });
    ASSERT_NE(fake, drivers.end());
    std::vector<CString> keys;
    for (const auto& attribute : fake->m_attributes)
        keys.push_back(attribute.first);
    EXPECT_NE(std::find(keys.begin(), keys.end(), CString(L"FileUsage")), keys.end());
    EXPECT_NE(std::find(keys.begin(), keys.end(), CString(L"UsageCount")), keys.end());
}

TEST(Drivers, AttributeListParsing)
{
    CRDatabase::CDriverInfo plain(L"d", L"UsageCount=1\0SQLLevel=1\0FileUsage=0\0\0");
    ASSERT_EQ(plain.m_attributes.size(), 3u);
    EXPECT_EQ(plain.m_attributes[0].first, L"UsageCount");
    EXPECT_EQ(plain.m_attributes[0].second, L"1");
    EXPECT_EQ(plain.m_attributes[2].first, L"FileUsage");
    EXPECT_EQ(plain.m_strDescription, L"d");

    CRDatabase::CDriverInfo odd(L"d", L"NoEquals\0Setup=a=b\0=empty key\0\0Ignored=1\0\0");
    ASSERT_EQ(odd.m_attributes.size(), 2u);
    EXPECT_EQ(odd.m_attributes[0].first, L"Setup");
    EXPECT_EQ(odd.m_attributes[0].second, L"a=b");
    EXPECT_EQ(odd.m_attributes[1].first, L"");

    CRDatabase::CDriverInfo none(L"d", nullptr);
    EXPECT_TRUE(none.m_attributes.empty());

    // A list cut by its buffer: read up to the buffer's end and no further.
    const wchar_t cut[] = {L'A', L'=', L'1', 0, L'B', L'=', L'2', L'X', L'Y', L'=', L'Z', 0, 0};
    CRDatabase::CDriverInfo bounded(L"d", cut, 7);
    ASSERT_EQ(bounded.m_attributes.size(), 2u);
    EXPECT_EQ(bounded.m_attributes[1].second, L"2");
}

// A failed list call is reported with the environment's own diagnostics, and the environment
// is gone once the exception has left.
TEST(Drivers, AFailedListCallThrowsItsDiagnosticsAndFreesTheEnvironment)
{
    SQLHENV hEnv = SQL_NULL_HENV;
    auto e = Catch([&] {
        CRListEnvironment env;
        ASSERT_TRUE(env.IsValid());
        hEnv = env.Get();
        SQLWCHAR description[64];
        SQLSMALLINT length = 0, attributeLength = 0;
        const SQLUSMALLINT kNoSuchDirection = 99;
        SQLRETURN nRet = SQLDriversW(hEnv, kNoSuchDirection, description, 64, &length, nullptr, 0,
                                     &attributeLength);
        ASSERT_EQ(nRet, SQL_ERROR);
        env.ThrowFailure(nRet);
    });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_nRetCode, (WORD)SQL_ERROR);
    // The environment is an ODBC 2 one, so the state has the old name of HY103.
    EXPECT_EQ(e->m_strSQLState, L"S1103") << Narrow(e->m_strSQLState);
    EXPECT_NE(e->m_strError.Find(L"Invalid retrieval code"), -1) << Narrow(e->m_strError);
    EXPECT_EQ(SQLFreeEnv(hEnv), SQL_INVALID_HANDLE) << "already freed";
}
