// Helpers of the cursor and recordset tests: connections to the three test databases, running
// statements, catching the database exception and naming scratch tables.
#pragma once

#include "dbaccess/database.h"
#include "dbaccess/db_exception.h"
#include "dbaccess/recordset.h"
#include "test_databases.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace QlRsTest {

enum class Db
{
    SQLite,
    PostgreSQL,
    MariaDB
};

inline const char* DbName(Db db)
{
    switch (db)
    {
    case Db::SQLite: return "SQLite";
    case Db::PostgreSQL: return "PostgreSQL";
    default: return "MariaDB";
    }
}

// An open connection; the SQLite file lives as long as the object.
struct Connection
{
    explicit Connection(Db kind) : db(kind)
    {
        switch (kind)
        {
        case Db::SQLite:
            file = std::make_unique<QlTestDb::TempSQLiteFile>();
            connect = file->Connect();
            break;
        case Db::PostgreSQL: connect = QlTestDb::PostgresConnect(); break;
        case Db::MariaDB: connect = QlTestDb::MariaDBConnect(); break;
        }
        database = std::make_unique<CRDatabase>();
        database->Open(connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0);
    }

    // Runs a statement that returns no rows; a failure is reported with its message.
    void Exec(const CString& sql)
    {
        CRRecordset rs(database.get());
        try
        {
            rs.Open(sql, RS_FORWARD_ONLY, RS_READONLY);
        }
        catch (Zelt::CRDBException* e)
        {
            ADD_FAILURE() << "statement failed: " << CStringA(e->m_strError).GetString() << "\n  "
                          << CStringA(sql.Left(200)).GetString();
            e->Delete();
        }
    }

    // A table name of our own, unique to this process, dropped at the end of the test.
    CString Table(LPCWSTR stem)
    {
        CString name = L"ql_rs_";
        name += stem;
        name += L"_";
        name += QlTestDb::UniqueTag().c_str();
        tables.push_back(name);
        DropQuietly(name);
        return name;
    }

    void DropQuietly(const CString& name)
    {
        try
        {
            CRRecordset rs(database.get());
            rs.Open(L"DROP TABLE " + name, RS_FORWARD_ONLY, RS_READONLY);
        }
        catch (CException* e)
        {
            e->Delete();
        }
    }

    ~Connection()
    {
        for (const CString& t : tables)
            DropQuietly(t);
        database.reset();
    }

    Db db;
    CString connect; // as given to Open
    std::unique_ptr<QlTestDb::TempSQLiteFile> file;
    std::unique_ptr<CRDatabase> database;
    std::vector<CString> tables;
};

// The message of the database exception the call throws; "" when it throws none. The exception
// object is deleted.
inline std::wstring ThrownMessage(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (Zelt::CRDBException* e)
    {
        std::wstring text = static_cast<LPCWSTR>(e->m_strError);
        e->Delete();
        return text.empty() ? L"(empty message)" : text;
    }
    return std::wstring();
}

// Runs a call that must not throw; a database exception becomes a test failure with its message.
#define QL_EXPECT_NO_DB_THROW(statement)                                                           \
    try                                                                                            \
    {                                                                                              \
        statement;                                                                                 \
    }                                                                                              \
    catch (Zelt::CRDBException * e_)                                                               \
    {                                                                                              \
        ADD_FAILURE() << #statement << " threw: " << CStringA(e_->m_strError).GetString();         \
        e_->Delete();                                                                              \
    }

inline std::wstring W(const CString& s)
{
    return std::wstring(static_cast<LPCWSTR>(s));
}

inline std::wstring Text(Zelt::ICursor& c, UINT col)
{
    CString s = L"<untouched>";
    if (!c.GetFieldText(col, s))
        return L"<null>";
    return W(s);
}

} // namespace QlRsTest
