#pragma once

#include "tests/app/e2e_tagged_session.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/support/program_driver.h"

#include <string>

// A view schema.big (id, name 'row <id> <&>', amount id * 0.5) of the rows given, which the
// server reads one by one: at the row given, the read waits while the test holds a lock. A save
// of it is stopped (Cancel, a lost session) while it is held part way, so the file is partial
// every time, on a fast machine too.
class CHeldView
{
public:
    CHeldView(CRDatabase& db, const CString& schema, int rowCount, int holdAtRow)
        : m_db(db), m_schema(schema)
    {
        const CString rows = CString(std::to_wstring(rowCount).c_str());
        const CString at = CString(std::to_wstring(holdAtRow).c_str());
        QlConnTest::ExecOrFail(db, L"CREATE TABLE " + schema +
                                       L".big_rows AS SELECT g AS id, 'row ' || g || ' <&>' AS "
                                       L"name, g * 0.5 AS amount FROM generate_series(1, " +
                                       rows + L") g");
        QlConnTest::ExecOrFail(db, L"CREATE FUNCTION " + schema +
                                       L".held(i integer) RETURNS boolean LANGUAGE plpgsql "
                                       L"VOLATILE AS $$ BEGIN IF i = " +
                                       at + L" THEN PERFORM pg_advisory_lock_shared(" + Key() +
                                       L"); PERFORM pg_advisory_unlock_shared(" + Key() +
                                       L"); END IF; RETURN true; END $$");
        QlConnTest::ExecOrFail(db, L"CREATE VIEW " + schema +
                                       L".big AS SELECT id, name, amount FROM " + schema +
                                       L".big_rows WHERE " + schema + L".held(id)");
    }
    // Let go at the latest here: a read left waiting would hold the schema against its drop.
    ~CHeldView() { Release(); }
    CHeldView(const CHeldView&) = delete;
    CHeldView& operator=(const CHeldView&) = delete;

    void Hold()
    {
        QlConnTest::ExecOrFail(m_db, L"SELECT pg_advisory_lock(" + Key() + L")");
        m_bHeld = true;
    }
    void Release()
    {
        if (m_bHeld)
            QlConnTest::ExecOrFail(m_db, L"SELECT pg_advisory_unlock(" + Key() + L")");
        m_bHeld = false;
    }

    // True once a session of the program waits at the held row.
    bool WaitUntilReached(const CTaggedPostgresSession& session, DWORD timeoutMs = 30000) const
    {
        return ql::WaitFor(
            [&] {
                return _wtol(QlConnTest::QueryText(m_db, session.CountSql() +
                                                             L" AND wait_event = 'advisory'")) > 0;
            },
            timeoutMs);
    }

private:
    CString Key() const { return L"20812, hashtext('" + m_schema + L"')"; }

    CRDatabase& m_db;
    CString m_schema;
    bool m_bHeld = false;
};
