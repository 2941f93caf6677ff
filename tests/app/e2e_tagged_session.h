// The program's own session on the shared PostgreSQL server, told from every other session by
// an application name unique to the test: the test's own connection counts it and ends it, as
// a server that drops the session would.
#pragma once

#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"

#include <string>

class CTaggedPostgresSession
{
public:
    explicit CTaggedPostgresSession(const std::wstring& tag) : m_tag(tag) {}

    // The connection string the program connects with.
    std::wstring Connect() const
    {
        return std::wstring(QlTestDb::PostgresConnect().GetString()) +
               L"ConnSettings={SET application_name TO '" + m_tag + L"'};";
    }
    // A query of the number of the program's sessions; more conditions may follow ("AND ...").
    CString CountSql() const
    {
        return CString(L"SELECT count(*) FROM pg_stat_activity WHERE application_name = '") +
               m_tag.c_str() + L"'";
    }
    long Count(CRDatabase& db) const { return _wtol(QlConnTest::QueryText(db, CountSql())); }
    // Ends the program's sessions from the test's connection.
    void Terminate(CRDatabase& db) const
    {
        QlConnTest::ExecOrFail(db, CString(L"SELECT pg_terminate_backend(pid) FROM "
                                           L"pg_stat_activity WHERE application_name = '") +
                                       m_tag.c_str() + L"'");
    }

private:
    std::wstring m_tag;
};
