// A PostgreSQL or MariaDB database of one test's own, created on the shared server and dropped
// at the end: the program's trees then show exactly the objects the test made, whatever other
// tests do on the same server meanwhile, and objects may carry plain names ("v1", "New Name").
//
//     CScratchDatabase db(CScratchDatabase::postgres);
//     ASSERT_TRUE(db.Create());
//     db.Exec(L"CREATE TABLE t (id int)");
//     program.StartConnected(std::wstring(db.Connect()));
#pragma once

#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"

#include "dbaccess/database.h"

#include <windows.h>

class CScratchDatabase
{
public:
    enum Server
    {
        postgres,
        mariadb
    };

    explicit CScratchDatabase(Server server)
        : m_server(server), m_name((L"ql_e2e_" + QlTestDb::UniqueTag()).c_str())
    {}
    ~CScratchDatabase() { Drop(); }
    CScratchDatabase(const CScratchDatabase&) = delete;
    CScratchDatabase& operator=(const CScratchDatabase&) = delete;

    // Creates the database and opens Db() on it; false (with the reason in the test's log)
    // when the server refuses.
    bool Create()
    {
        auto failure = QlConnTest::Catch([&] {
            m_admin.Open(ServerConnect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0);
            m_admin.ExecuteSQL(L"CREATE DATABASE " + m_name);
            m_bCreated = true;
            m_db.Open(Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0);
        });
        if (failure)
            ADD_FAILURE() << QlConnTest::Narrow(failure->m_strError);
        return !failure && m_db.IsOpen();
    }

    // Drops the database (the program must have ended, or at least closed its connection).
    void Drop()
    {
        m_db.Close();
        if (!m_bCreated)
            return;
        m_bCreated = false;
        QlConnTest::Catch([&] {
            m_admin.ExecuteSQL(m_server == postgres
                                   ? L"DROP DATABASE IF EXISTS " + m_name + L" WITH (FORCE)"
                                   : L"DROP DATABASE IF EXISTS " + m_name);
        });
        m_admin.Close();
    }

    // The connection string of the database, for the program and for Db().
    CString Connect() const
    {
        CString connect = ServerConnect();
        connect.Replace(L"Database=quenlark;", L"Database=" + m_name + L";");
        return connect;
    }
    const CString& Name() const { return m_name; }
    CRDatabase& Db() { return m_db; }
    void Exec(const CString& sql) { m_db.ExecuteSQL(sql); }
    CString Query(const CString& sql) { return QlConnTest::QueryText(m_db, sql); }

private:
    CString ServerConnect() const
    {
        return m_server == postgres ? QlTestDb::PostgresConnect() : QlTestDb::MariaDBConnect();
    }

    Server m_server;
    CString m_name;
    bool m_bCreated = false;
    CRDatabase m_admin;
    CRDatabase m_db;
};
