// Seeded random sequences of what a user does on one connection (BEGIN in its forms, writes,
// reads, failing statements, savepoints, commits and rollbacks, table windows and query grids
// opened, read and closed, End Transaction), run through the calls the program's windows make, on
// the three servers. After every step another session checks that the rows it sees, the
// program's TRANS state and the server's own view of the session agree with what the product's
// native client does with the same statements (session_model.h); a window read to its end holds
// its result's rows or says where they stop. A disagreement ends the run with the seed, the steps
// so far and what disagreed, so that the run can be replayed (bench/session_sequence).
//
// Built into the test program, and into the benchmark program with QL_SEQUENCE_NO_TESTS (no
// GoogleTest there).
#include "session_model.h"
#include "test_databases.h"

#include "dbaccess/database.h"
#include "dbaccess/db_exception.h"
#include "dbaccess/held_cursor.h"
#include "dbaccess/mariadb_staged_read.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "dbaccess/transaction_statements.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifndef QL_SEQUENCE_NO_TESTS
#include <gtest/gtest.h>
#endif

namespace QlSequence {

inline const char* ProductName(Product product)
{
    return product == Product::PostgreSQL ? "PostgreSQL"
           : product == Product::MariaDB  ? "MariaDB"
                                          : "SQLite";
}

inline std::string Narrow(const CString& text)
{
    return std::string(CStringA(text).GetString());
}

// Rows of the big table: more than a window's first FETCH (or psqlODBC's fetch) reads, so its
// windows stay part read.
constexpr int kBigRows = 2500;
// The words a window's reader uses to say that its rows stop short.
constexpr const wchar_t* kRowsStopWords = L"rows stop";

// ---- The other session: plain ODBC, none of the program's follow-up ---------------------------

class CObserver
{
public:
    ~CObserver()
    {
        if (m_hDbc != SQL_NULL_HDBC)
        {
            SQLDisconnect(m_hDbc);
            SQLFreeHandle(SQL_HANDLE_DBC, m_hDbc);
        }
        if (m_hEnv != SQL_NULL_HENV)
            SQLFreeHandle(SQL_HANDLE_ENV, m_hEnv);
    }
    bool Connect(const CString& connect, std::string& error)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv);
        SQLSetEnvAttr(m_hEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_hEnv, &m_hDbc);
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        const SQLRETURN ret = SQLDriverConnectW(
            m_hDbc, nullptr,
            const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(connect.GetString())), SQL_NTS,
            out, 1024, &outLength, SQL_DRIVER_NOPROMPT);
        if (SQL_SUCCEEDED(ret))
            return true;
        error = Narrow(Diagnostics(SQL_HANDLE_DBC, m_hDbc));
        SQLFreeHandle(SQL_HANDLE_DBC, m_hDbc);
        m_hDbc = SQL_NULL_HDBC;
        return false;
    }
    // Runs a statement: true when it succeeded; the first column of the first row, or the
    // server's message.
    bool Run(const CString& sql, CString* pFirst = nullptr, CString* pError = nullptr)
    {
        SQLHSTMT hStmt = SQL_NULL_HSTMT;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &hStmt)))
        {
            if (pError)
                *pError = L"no statement handle";
            return false;
        }
        SQLRETURN ret = SQLExecDirectW(
            hStmt, const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(sql.GetString())),
            SQL_NTS);
        const bool bOk = SQL_SUCCEEDED(ret) || ret == SQL_NO_DATA;
        if (!bOk && pError)
            *pError = Diagnostics(SQL_HANDLE_STMT, hStmt);
        if (bOk && pFirst)
        {
            pFirst->Empty();
            SQLSMALLINT columns = 0;
            SQLNumResultCols(hStmt, &columns);
            if (columns > 0 && SQL_SUCCEEDED(SQLFetch(hStmt)))
            {
                wchar_t text[256] = {};
                SQLLEN indicator = 0;
                if (SQL_SUCCEEDED(SQLGetData(hStmt, 1, SQL_C_WCHAR, text, sizeof text, &indicator)))
                    *pFirst = indicator == SQL_NULL_DATA ? L"<NULL>" : text;
            }
            else
                *pFirst = L"<NO ROW>";
        }
        SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
        return bOk;
    }

private:
    static CString Diagnostics(SQLSMALLINT type, SQLHANDLE handle)
    {
        SQLWCHAR state[6] = {}, text[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, 1, state, &native, text, 1024, &length)))
            return L"(no diagnostics)";
        return CString(reinterpret_cast<wchar_t*>(state)) + L" " + reinterpret_cast<wchar_t*>(text);
    }

    SQLHENV m_hEnv = SQL_NULL_HENV;
    SQLHDBC m_hDbc = SQL_NULL_HDBC;
};

// ---- A step that does not return ---------------------------------------------------------------

// The steps so far, printed by the watchdog when a step has not returned after kStepLimitMs (a
// call that waits inside the driver for ever): the run cannot report it any other way.
class CWatchdog
{
public:
    static constexpr ULONGLONG kStepLimitMs = 60000;
    static CWatchdog& Get()
    {
        static CWatchdog* watchdog = new CWatchdog; // lives as long as its thread
        return *watchdog;
    }
    void StepStarts(const std::string& log)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log = log;
        m_nStart = GetTickCount64();
    }
    void StepEnded() { m_nStart = 0; }

private:
    CWatchdog()
    {
        std::thread([this] {
            for (;;)
            {
                Sleep(500); // a poll, not a wait for the run
                const ULONGLONG start = m_nStart.load();
                if (start == 0 || GetTickCount64() - start < kStepLimitMs)
                    continue;
                std::lock_guard<std::mutex> lock(m_mutex);
                fprintf(stderr,
                        "%s\nDISAGREEMENT: the step has not returned after %llu s (the "
                        "native client returns at once). The run is stopped.\n",
                        m_log.c_str(), kStepLimitMs / 1000);
                fflush(stderr);
                fflush(stdout);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }).detach();
    }
    std::mutex m_mutex;
    std::string m_log;
    std::atomic<ULONGLONG> m_nStart{0};
};

// ---- One run -----------------------------------------------------------------------------------

class CSequenceRun
{
public:
    // skip: names of step kinds left out (kKindNames), separated by commas; QL_SEQUENCE_SKIP
    // adds more.
    CSequenceRun(Product product, unsigned seed, int nSteps, const std::string& skip)
        : m_product(product), m_model(product), m_seed(seed), m_nSteps(nSteps), m_random(seed)
    {
        char more[256] = {};
        m_skip = "," + skip + ",";
        if (GetEnvironmentVariableA("QL_SEQUENCE_SKIP", more, sizeof more) > 0)
            m_skip += std::string(more) + ",";
    }
    ~CSequenceRun() { TearDown(); }

    // Runs the steps; "" when the program agreed with the model throughout, otherwise the report.
    std::string Run()
    {
        m_report = "Session sequence on " + std::string(ProductName(m_product)) + ", seed " +
                   std::to_string(m_seed) + ", " + std::to_string(m_nSteps) +
                   " steps (replay: bash bench/session_sequence/run.sh " + ProductName(m_product) +
                   " " + std::to_string(m_seed) + " " + std::to_string(m_nSteps) +
                   (m_skip.find_first_not_of(',') == std::string::npos
                        ? ""
                        : " with QL_SEQUENCE_SKIP=" + m_skip) +
                   ")\n";
        std::string error;
        if (!SetUp(error))
            return m_report + "SET-UP FAILED: " + error;
        if (!Check("the connection opened"))
            return m_report;
        for (int step = 1; step <= m_nSteps; ++step)
        {
            m_nStep = step;
            if (!RunStep())
                return m_report;
        }
        TearDown();
        // QL_SEQUENCE_VERBOSE=1 lists the steps of a run that agreed as well.
        if (GetEnvironmentVariableA("QL_SEQUENCE_VERBOSE", nullptr, 0) > 0)
            printf("%ssteps:\n%sagreed throughout\n", m_report.c_str(), m_steps.c_str());
        return "";
    }

private:
    enum Kind
    {
        kBegin,
        kSetSerializable,
        kInsert,
        kSelectCount,
        kFail,
        kSavepoint,
        kRollbackTo,
        kCommit,
        kRollback,
        kCall,
        kOpenTable,
        kOpenQuery,
        kReadToEnd,
        kCloseWindow,
        kEndTransaction,
        kOtherInsert,
        kKinds
    };
    static constexpr const char* kKindNames[kKinds] = {
        "begin",    "settxn", "insert", "count", "fail", "savepoint", "rollbackto", "commit",
        "rollback", "call",   "table",  "query", "read", "close",     "endtrans",   "other"};
    bool Skipped(Kind kind) const
    {
        return m_skip.find("," + std::string(kKindNames[kind]) + ",") != std::string::npos;
    }

    // A window: the cursor the grid holds, and the rows the model says its result has.
    struct CWindow
    {
        std::string title;
        std::unique_ptr<Zelt::ICursor> cursor;
        std::vector<int> expected;
        std::string readError; // an error met while reading on when idle
        // Still read on by the program while it is idle, in a transaction of its own that
        // anything of the user's lets go (PostgreSQL, see held_cursor.h).
        bool readingOn = false;
    };

    unsigned Pick(unsigned n) { return static_cast<unsigned>(m_random() % n); }

    bool SetUp(std::string& error)
    {
        const std::wstring tag = QlTestDb::UniqueTag();
        m_table = (L"ql_seq_" + tag).c_str();
        m_big = (L"ql_seqbig_" + tag).c_str();
        m_probe = (L"ql_seqprobe_" + tag).c_str();
        m_proc = m_table + L"_p";
        m_nosuch = (L"ql_seqnosuch_" + tag).c_str();
        CString connect, observe;
        if (m_product == Product::PostgreSQL)
        {
            connect = QlTestDb::PostgresConnect();
            observe = connect + L"UseDeclareFetch=0;";
        }
        else if (m_product == Product::MariaDB)
            connect = observe = QlTestDb::MariaDBConnect();
        else
        {
            m_file = std::make_unique<QlTestDb::TempSQLiteFile>();
            connect = m_file->Connect();
            observe = connect + L"Timeout=30;";
        }
        // Options of the user's own for the program's connection ("UseDeclareFetch=0;"), to
        // tell a fault of one way of reading from the others.
        wchar_t extra[512] = {};
        if (GetEnvironmentVariableW(L"QL_SEQUENCE_CONNECT_EXTRA", extra, 512) > 0)
            connect += extra;
        // Every session the program opens carries this name, so another session counts them.
        m_app = (L"ql_seqapp_" + tag).c_str();
        if (m_product == Product::PostgreSQL)
            connect += L"pqopt={application_name=" + m_app + L"};";
        if (!m_observer.Connect(observe, error))
            return false;
        CString fill;
        if (m_product == Product::PostgreSQL)
            fill = L"INSERT INTO " + m_big + L" SELECT g, 'v' || g FROM generate_series(1, 2500) g";
        else
            fill = L"INSERT INTO " + m_big +
                   L" WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < "
                   L"2500) SELECT x, 'v' FROM c";
        std::vector<CString> setup = {
            L"CREATE TABLE " + m_table + L" (id INTEGER PRIMARY KEY, v VARCHAR(20))",
            L"INSERT INTO " + m_table + L" VALUES (0, 'kept')",
            L"CREATE TABLE " + m_big + L" (id INTEGER PRIMARY KEY, v VARCHAR(20))", fill};
        if (m_product == Product::SQLite)
            setup.push_back(L"CREATE TABLE " + m_probe + L" (n INTEGER)");
        if (m_product == Product::SQLite)
            setup.push_back(L"INSERT INTO " + m_probe + L" VALUES (0)");
        if (m_product == Product::MariaDB)
        {
            setup.push_back(L"CREATE PROCEDURE " + m_proc + L"() BEGIN SELECT id FROM " + m_table +
                            L" ORDER BY id; SELECT 1 AS one; END");
            // A probe must not wait: the program's session never waits on the observer's locks.
            setup.push_back(L"SET SESSION innodb_lock_wait_timeout = 2");
        }
        if (m_product == Product::MariaDB)
            setup.insert(setup.begin(), L"SET SESSION max_recursive_iterations = 10000");
        m_bCreated = true;
        for (const CString& sql : setup)
        {
            CString text;
            if (!m_observer.Run(sql, nullptr, &text))
            {
                error = Narrow(sql + L": " + text);
                return false;
            }
        }
        m_model.Insert(0);
        try
        {
            if (!m_db.Open(connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
            {
                error = "the program's connection did not open";
                return false;
            }
        }
        catch (Zelt::CRDBException* e)
        {
            error = Narrow(e->m_strError);
            e->Delete();
            return false;
        }
        if (m_product == Product::PostgreSQL)
        {
            // Asked once on the program's connection, before any step.
            SQLHSTMT hStmt = SQL_NULL_HSTMT;
            SQLAllocStmt(m_db.GetConnectionHandle(), &hStmt);
            if (SQL_SUCCEEDED(
                    SQLExecDirectW(hStmt,
                                   const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(
                                       L"SELECT pg_backend_pid()")),
                                   SQL_NTS)) &&
                SQL_SUCCEEDED(SQLFetch(hStmt)))
            {
                SQLINTEGER pid = 0;
                SQLLEN indicator = 0;
                SQLGetData(hStmt, 1, SQL_C_SLONG, &pid, 0, &indicator);
                m_pid.Format(L"%d", static_cast<int>(pid));
            }
            SQLFreeStmt(hStmt, SQL_DROP);
            if (m_pid.IsEmpty())
            {
                error = "the program's backend pid could not be read";
                return false;
            }
        }
        return true;
    }

    void TearDown()
    {
        for (auto& window : m_windows)
        {
            try
            {
                window->cursor.reset();
            }
            catch (Zelt::CRDBException* e)
            {
                e->Delete();
            }
        }
        m_windows.clear();
        m_db.Close();
        if (!m_bCreated)
            return;
        m_bCreated = false;
        for (const CString& name : {m_table, m_big, m_probe})
            m_observer.Run(L"DROP TABLE " + name);
        if (m_product == Product::MariaDB)
            m_observer.Run(L"DROP PROCEDURE " + m_proc);
    }

    // ---- Choosing a step from the model alone, so that a seed replays the same steps.

    Kind ChooseKind()
    {
        static const int weights[kKinds] = {
            /*kBegin*/ 9,          /*kSetSerializable*/ 2,
            /*kInsert*/ 14,        /*kSelectCount*/ 8,
            /*kFail*/ 6,           /*kSavepoint*/ 4,
            /*kRollbackTo*/ 4,     /*kCommit*/ 6,
            /*kRollback*/ 5,       /*kCall*/ 4,
            /*kOpenTable*/ 6,      /*kOpenQuery*/ 5,
            /*kReadToEnd*/ 5,      /*kCloseWindow*/ 5,
            /*kEndTransaction*/ 5,
            /*kOtherInsert*/ 3};
        for (;;)
        {
            int total = 0;
            for (int w : weights)
                total += w;
            int at = static_cast<int>(Pick(static_cast<unsigned>(total)));
            int kind = 0;
            while (at >= weights[kind])
                at -= weights[kind++];
            const Kind k = static_cast<Kind>(kind);
            if (Skipped(k))
                continue;
            if (k == kSetSerializable && m_product != Product::PostgreSQL)
                continue;
            if (k == kCall && m_product != Product::MariaDB)
                continue;
            if ((k == kReadToEnd || k == kCloseWindow) && m_windows.empty())
                continue;
            // A savepoint that is not there now and then; mostly one that is.
            if (k == kRollbackTo && m_model.SavepointNames().empty() && Pick(4) != 0)
                continue;
            if ((k == kOpenTable || k == kOpenQuery || k == kCall) && m_windows.size() >= 5)
                return kCloseWindow;
            if (k == kEndTransaction && m_model.State() == SessionState::None)
                continue; // the menu item is greyed
            // Right after a BEGIN, PostgreSQL users set its isolation level.
            if (m_lastKind == kBegin && m_product == Product::PostgreSQL && Pick(4) == 0 &&
                !Skipped(kSetSerializable))
                return kSetSerializable;
            return k;
        }
    }

    bool RunStep()
    {
        const Kind kind = ChooseKind();
        m_lastKind = kind;
        std::string line;
        bool bAgree = true;
        // Statements other than windows go through the SQL query dialog's path or ExecuteSQL.
        const bool bDialog = Pick(2) == 0;
        CString note;
        auto statement = [&](const CString& sql, bool bExpected) {
            line = Narrow(sql) + (bDialog ? "  [query dialog]" : "  [ExecuteSQL]");
            StartStep(line);
            CString error;
            const bool bOk = RunStatement(sql, bDialog, error);
            note = m_db.TakeSessionNote(); // what the query dialog shows with the outcome
            Outcome(line, bOk, error, bExpected, bAgree);
        };
        // Anything of the user's on the session but opening, reading or closing a table window
        // lets the windows' reads go (CRDatabase::LetGoOfReads): they stop where they are.
        if (kind != kOpenTable && kind != kReadToEnd && kind != kCloseWindow &&
            kind != kOtherInsert)
            for (auto& window : m_windows)
                window->readingOn = false;
        switch (kind)
        {
        case kBegin: {
            struct Form
            {
                const wchar_t* text;
                int isolation;
                bool immediate;
            };
            static const Form pg[] = {{L"BEGIN", 0, false},
                                      {L"START TRANSACTION", 0, false},
                                      {L"BEGIN ISOLATION LEVEL REPEATABLE READ", 1, false},
                                      {L"START TRANSACTION ISOLATION LEVEL SERIALIZABLE", 2, false},
                                      {L"BEGIN TRANSACTION READ WRITE", 0, false},
                                      {L"begin work", 0, false}};
            static const Form my[] = {{L"BEGIN", 0, false},
                                      {L"BEGIN WORK", 0, false},
                                      {L"START TRANSACTION", 0, false},
                                      {L"START TRANSACTION READ WRITE", 0, false}};
            static const Form lite[] = {{L"BEGIN", 0, false},
                                        {L"BEGIN TRANSACTION", 0, false},
                                        {L"BEGIN DEFERRED TRANSACTION", 0, false},
                                        {L"BEGIN IMMEDIATE", 0, true}};
            const Form& form = m_product == Product::PostgreSQL ? pg[Pick(6)]
                               : m_product == Product::MariaDB  ? my[Pick(4)]
                                                                : lite[Pick(4)];
            statement(form.text, m_model.Begin(form.isolation, form.immediate));
            break;
        }
        case kSetSerializable:
            statement(L"SET TRANSACTION ISOLATION LEVEL SERIALIZABLE", m_model.SetSerializable());
            break;
        case kInsert: {
            const int id = ++m_nLastId;
            CString sql;
            sql.Format(L"INSERT INTO %s VALUES (%d, 'mine')", m_table.GetString(), id);
            statement(sql, m_model.Insert(id));
            break;
        }
        case kFail: {
            const unsigned form = Pick(m_product == Product::PostgreSQL ? 3 : 2);
            if (form == 0)
                statement(L"INSERT INTO " + m_table + L" VALUES (0, 'again')",
                          m_model.InsertDuplicate());
            else if (form == 1)
                statement(L"SELECT * FROM " + m_nosuch,
                          m_model.FailingStatement(m_product == Product::PostgreSQL));
            else
                statement(L"SELECT 1/0", m_model.FailingStatement(true));
            break;
        }
        case kSavepoint: {
            const std::string name = "sp" + std::to_string(++m_nSavepoints);
            statement(CString(L"SAVEPOINT ") + CString(name.c_str()), m_model.Savepoint(name));
            break;
        }
        case kRollbackTo: {
            const std::vector<std::string> names = m_model.SavepointNames();
            // Mostly one that is there; now and then one that is not.
            const std::string name =
                names.empty() || Pick(8) == 0 ? "sp_none" : names[Pick((unsigned)names.size())];
            const bool bWasAborted = m_model.State() == SessionState::Aborted;
            statement(CString(L"ROLLBACK TO SAVEPOINT ") + CString(name.c_str()),
                      m_model.RollbackTo(name));
            if (bWasAborted && m_model.State() == SessionState::Open)
                m_bRecovered = true;
            break;
        }
        case kCommit: {
            const bool bRollsBack = m_model.State() == SessionState::Aborted;
            CountRecoveredCommit();
            statement(L"COMMIT", m_model.Commit());
            if (bAgree)
                bAgree = bRollsBack ? ToldRolledBack(note) : ToldNoRollback(note);
            break;
        }
        case kRollback: statement(L"ROLLBACK", m_model.Rollback()); break;
        case kSelectCount: {
            line = "SELECT count(*) FROM t  [query grid, read and closed]";
            StartStep(line);
            const bool bExpected = m_model.Read();
            const size_t nExpected = m_model.Visible().size();
            CWindow window;
            CString error;
            const bool bOk = OpenQueryWindow(L"SELECT count(*) FROM " + m_table, window, error);
            Outcome(line, bOk, error, bExpected, bAgree);
            if (bAgree && bOk)
            {
                CString value;
                try
                {
                    window.cursor->GetFieldText(1, value);
                }
                catch (Zelt::CRDBException* e)
                {
                    value = L"(error) " + e->m_strError;
                    e->Delete();
                }
                if (_wtoi(value) != static_cast<int>(nExpected))
                    bAgree = Disagree("the count reads " + Narrow(value) +
                                      ", the native client's " + std::to_string(nExpected));
            }
            break;
        }
        case kCall:
        case kOpenTable:
        case kOpenQuery: {
            if (kind == kCall && Pick(3) == 0)
            {
                // As a script runs it: no window, every result left unread.
                line = "CALL " + Narrow(m_proc) + "()  [ExecuteSQL]";
                StartStep(line);
                const bool bExpected = m_model.Read();
                CString error;
                const bool bOk = RunStatement(L"CALL " + m_proc + L"()", false, error);
                Outcome(line, bOk, error, bExpected, bAgree);
                break;
            }
            const bool bBig = kind != kCall && Pick(2) == 0;
            const CString table = bBig ? m_big : m_table;
            CString sql;
            if (kind == kCall)
                sql = L"CALL " + m_proc + L"()";
            else if (kind == kOpenTable)
                sql = L"SELECT * FROM " + table;
            else
                sql = L"SELECT id, v FROM " + table + L" ORDER BY id";
            line = Narrow(sql) + (kind == kOpenTable ? "  [table window " : "  [query grid ") +
                   std::to_string(m_nWindows + 1) + "]";
            StartStep(line);
            const bool bExpected = m_model.Read();
            auto window = std::make_unique<CWindow>();
            window->title = "window " + std::to_string(++m_nWindows) + " (" + Narrow(sql) + ")";
            if (bBig)
                for (int id = 1; id <= kBigRows; ++id)
                    window->expected.push_back(id);
            else
                window->expected = m_model.Visible();
            CString error;
            const bool bOk = kind == kOpenTable ? OpenTableWindow(table, *window, error)
                                                : OpenQueryWindow(sql, *window, error);
            Outcome(line, bOk, error, bExpected, bAgree);
            if (bOk && bExpected)
                m_windows.push_back(std::move(window));
            break;
        }
        case kReadToEnd: {
            CWindow& window = *m_windows[Pick((unsigned)m_windows.size())];
            line = "read " + window.title + " to its end";
            StartStep(line);
            bAgree = ReadToEnd(window);
            window.readingOn = false;
            break;
        }
        case kCloseWindow: {
            const unsigned at = Pick((unsigned)m_windows.size());
            line = "close " + m_windows[at]->title;
            StartStep(line);
            try
            {
                m_windows[at]->cursor.reset();
            }
            catch (Zelt::CRDBException* e)
            {
                bAgree = Disagree("closing the window failed: " + Narrow(e->m_strError));
                e->Delete();
            }
            m_windows.erase(m_windows.begin() + at);
            break;
        }
        case kEndTransaction: {
            const bool bCommit = Pick(2) == 0;
            line = bCommit ? "End Transaction > Commit" : "End Transaction > Rollback";
            StartStep(line);
            const bool bRollsBack = bCommit && m_model.State() == SessionState::Aborted;
            if (bCommit)
                CountRecoveredCommit();
            bCommit ? m_model.Commit() : m_model.Rollback();
            CString error;
            bool bOk = false;
            try
            {
                // As the main window does: only while TRANS shows.
                bOk = !m_db.IsInTransaction() || m_db.EndTrans(bCommit);
                note = m_db.TakeSessionNote(); // shown after End Transaction
            }
            catch (Zelt::CRDBException* e)
            {
                error = e->m_strError;
                e->Delete();
            }
            Outcome(line, bOk, error, true, bAgree);
            if (bAgree && bCommit)
                bAgree = bRollsBack ? ToldRolledBack(note) : ToldNoRollback(note);
            break;
        }
        case kOtherInsert: {
            const int id = 100000 + ++m_nOtherId;
            CString sql;
            sql.Format(L"INSERT INTO %s VALUES (%d, 'other')", m_table.GetString(), id);
            line = "another session: " + Narrow(sql);
            StartStep(line);
            const bool bExpected = m_model.OtherInsert(id);
            CString error;
            const bool bOk = m_observer.Run(sql, nullptr, &error);
            if (bOk != bExpected)
                bAgree = Disagree(bOk ? "another session's write went through; the native client "
                                        "would hold a lock that stops it"
                                      : "another session could not write (" + Narrow(error) +
                                            "); the native client would hold no lock");
            break;
        }
        default: break;
        }
        CWatchdog::Get().StepEnded();
        if (!bAgree)
            return false;
        ReadOnWhenIdle();
        return Check(line);
    }

    void StartStep(const std::string& line)
    {
        m_steps += "  " + std::to_string(m_nStep) + ". " + line + "\n";
        CWatchdog::Get().StepStarts(m_report + "steps:\n" + m_steps);
    }

    // Compares a statement's outcome with the model's.
    void Outcome(const std::string& line, bool bOk, const CString& error, bool bExpected,
                 bool& bAgree)
    {
        if (!bOk && !error.IsEmpty())
            m_steps += "       (" + Narrow(error.Left(300)) + ")\n";
        if (bOk == bExpected)
            return;
        bAgree = Disagree(bOk ? "it succeeded; the native client refuses it"
                              : "it failed; the native client runs it: " + Narrow(error));
        (void)line;
    }

    // A commit of an aborted transaction rolls it back: psql answers ROLLBACK, and the program
    // says so with the commit's success.
    bool ToldRolledBack(const CString& note)
    {
        if (!note.IsEmpty())
        {
            m_steps += "       (told: " + Narrow(note.Left(200)) + ")\n";
            return true;
        }
        return Disagree("the commit rolled the aborted transaction back without a word (psql "
                        "answers ROLLBACK)");
    }

    // A COMMIT of a transaction that a ROLLBACK TO SAVEPOINT made usable after a failure.
    void CountRecoveredCommit()
    {
        if (m_bRecovered && m_model.State() == SessionState::Open)
            ++m_nRecoveredCommits;
        m_bRecovered = false;
    }

    // A commit of a transaction that is not aborted (a ROLLBACK TO SAVEPOINT after the failure
    // made it usable again) commits: psql answers COMMIT.
    bool ToldNoRollback(const CString& note)
    {
        if (note.Find(L"rolled back") < 0)
            return true;
        return Disagree("the commit committed, but the program said: " + Narrow(note.Left(200)));
    }

    bool Disagree(const std::string& what)
    {
        m_report += "steps:\n" + m_steps + "DISAGREEMENT after step " + std::to_string(m_nStep) +
                    ": " + what + "\n  the native client: " + m_model.Describe() + "\n";
        return false;
    }

    // ---- The program's paths.

    bool RunStatement(const CString& sql, bool bDialog, CString& error)
    {
        try
        {
            if (!bDialog)
            {
                m_db.ExecuteSQL(sql);
                return true;
            }
            // CMainFrame::ExecuteSQL: the start followed, a recordset (scrollable for a SELECT);
            // a statement without columns is told and its recordset closed.
            m_db.FollowStatementStart(sql);
            CRRecordset rs(&m_db);
            const bool bSelect = sql.Left(6).CompareNoCase(L"SELECT") == 0;
            if (!rs.Open(sql, bSelect ? RS_STATIC : RS_FORWARD_ONLY, RS_NUMERIC_AS_TEXT))
            {
                error = L"Can't open recordset";
                return false;
            }
            if (rs.GetColumnCount() <= 0)
                rs.MoreResults();
            return true;
        }
        catch (Zelt::CRDBException* e)
        {
            error = e->m_strError;
            e->Delete();
            return false;
        }
    }

    // The SQL query dialog's window over a result: a SELECT scrollable, anything else forward
    // only and taken into a memory cursor (CGridChildFrame::OnCreate).
    bool OpenQueryWindow(const CString& sql, CWindow& window, CString& error)
    {
        try
        {
            m_db.FollowStatementStart(sql);
            const bool bSelect = sql.Left(6).CompareNoCase(L"SELECT") == 0;
            auto rs = std::make_unique<CRRecordset>(&m_db);
            if (!rs->Open(sql, bSelect ? RS_STATIC : RS_FORWARD_ONLY, RS_NUMERIC_AS_TEXT))
            {
                error = L"Can't open recordset";
                return false;
            }
            if (rs->GetColumnCount() <= 0)
            {
                error = L"no result columns";
                return false;
            }
            // MySQL: a procedure's result is read whole, as the mysql client reads it, and
            // closing it drops the further results (CMainFrame::ExecuteSQL).
            if (m_db.GetDBMSKind() == DBMS_MYSQL && !IsPlainStatement(DBMS_MYSQL, sql))
            {
                auto mem = std::make_unique<Zelt::CMemCursor>(std::move(rs));
                for (bool bRow = mem->MoveFirst() && !mem->IsEOF(); bRow;
                     bRow = mem->MoveNext() && !mem->IsEOF())
                {}
                window.cursor = std::move(mem);
                return true;
            }
            if (!rs->IsForwardOnly())
            {
                window.cursor = std::move(rs);
                return true;
            }
            auto mem = std::make_unique<Zelt::CMemCursor>(std::move(rs));
            mem->MoveFirst();
            window.cursor = std::move(mem);
            return true;
        }
        catch (Zelt::CRDBException* e)
        {
            error = e->m_strError;
            e->Delete();
            return false;
        }
    }

    // A table window (CGridChildFrame::OpenRecordset and Requery).
    bool OpenTableWindow(const CString& table, CWindow& window, CString& error)
    {
        try
        {
            if (Zelt::CHeldCursor::IsUsable(m_db))
            {
                // PostgreSQL outside a transaction: FETCHes from a cursor held in the session.
                auto held = std::make_unique<Zelt::CHeldCursor>(&m_db, L"SELECT * FROM " + table,
                                                                RS_NUMERIC_AS_TEXT);
                if (!held->Open([](CRRecordset& rs, LPCWSTR pszText, UINT nOptions) {
                        return rs.Open(pszText, RS_FORWARD_ONLY, nOptions);
                    }))
                {
                    error = L"Can't open recordset";
                    return false;
                }
                auto mem = std::make_unique<Zelt::CMemCursor>(std::move(held));
                mem->MoveFirst();
                // (A result that the first FETCH gave whole holds nothing after it.)
                window.readingOn = mem->IsSourceOpen() &&
                                   window.expected.size() >=
                                       static_cast<size_t>(Zelt::CHeldCursor::kFirstFetchRows);
                window.cursor = std::move(mem);
                return true;
            }
            if (Zelt::CMariaDBStagedRead::IsUsable(m_db, L"SELECT * FROM " + table))
            {
                // MariaDB outside a transaction: the first rows, then the rest by a statement of
                // its own as the reader goes on (the window's reading on in idle time is not
                // modelled: the rest is read at the step that reads the window).
                auto staged = std::make_unique<Zelt::CMariaDBStagedRead>(
                    &m_db, L"SELECT * FROM " + table, RS_NUMERIC_AS_TEXT);
                if (!staged->Open([](CRRecordset& rs, LPCWSTR pszText) {
                        return rs.Open(pszText, RS_FORWARD_ONLY, RS_NUMERIC_AS_TEXT);
                    }))
                {
                    error = L"Can't open recordset";
                    return false;
                }
                auto mem = std::make_unique<Zelt::CMemCursor>(std::move(staged));
                mem->MoveFirst();
                window.cursor = std::move(mem);
                return true;
            }
            CRDatabase& read = m_db;
            const UINT nDeclared = m_product == Product::SQLite ? RS_DECLARED_COLUMNS : 0;
            const bool bStreamed =
                read.IsStreamingResults() && (!read.StreamsDeclaredColumnsOnly() || nDeclared != 0);
            auto rs = std::make_unique<CRRecordset>(&read);
            if (!rs->Open(L"SELECT * FROM " + table, bStreamed ? RS_FORWARD_ONLY : RS_STATIC,
                          RS_NUMERIC_AS_TEXT | nDeclared))
            {
                error = L"Can't open recordset";
                return false;
            }
            if (bStreamed)
                rs->ReadAheadFromNextBlock();
            if (!rs->IsForwardOnly())
            {
                window.cursor = std::move(rs);
                return true;
            }
            auto mem = std::make_unique<Zelt::CMemCursor>(std::move(rs));
            mem->MoveFirst();
            if (bStreamed)
                mem->ReadToEndBeforeTransactions(&m_db);
            window.cursor = std::move(mem);
            return true;
        }
        catch (Zelt::CRDBException* e)
        {
            error = e->m_strError;
            e->Delete();
            return false;
        }
    }

    // A window streaming on SQLite reads on while the program is idle
    // (CGridChildFrame::OnTimer); it is read to its end before another session looks (its
    // statement holds the file's lock meanwhile, as designed).
    // A PostgreSQL window reads on so too, unless the user acts first (one step in three here):
    // its read then stops at the user's next step.
    void ReadOnWhenIdle()
    {
        for (auto& window : m_windows)
        {
            auto* pMem = dynamic_cast<Zelt::CMemCursor*>(window->cursor.get());
            if (pMem == nullptr || !window->readError.empty() ||
                !(m_db.ReadsResultsBeforeStatements() || window->readingOn) ||
                (window->readingOn && Pick(3) == 0))
                continue;
            window->readingOn = false;
            try
            {
                while (pMem->ReadOn(256))
                {}
            }
            catch (Zelt::CRDBException* e)
            {
                window->readError = Narrow(e->m_strError);
                e->Delete();
            }
        }
    }

    bool ReadToEnd(CWindow& window)
    {
        std::vector<int> rows;
        CString error(window.readError.c_str());
        if (error.IsEmpty())
        {
            try
            {
                Zelt::ICursor& cursor = *window.cursor;
                for (bool bRow = cursor.MoveFirst(); bRow && !cursor.IsEOF();
                     bRow = cursor.MoveNext())
                {
                    CString id;
                    cursor.GetFieldText(1, id);
                    rows.push_back(_wtoi(id));
                }
            }
            catch (Zelt::CRDBException* e)
            {
                error = e->m_strError;
                e->Delete();
            }
        }
        // A memory cursor whose source failed keeps why; its rows end there.
        auto* pMem = dynamic_cast<Zelt::CMemCursor*>(window.cursor.get());
        if (error.IsEmpty() && pMem != nullptr && pMem->IsStopped())
            error = L"The window's rows stop: " + pMem->GetStopError()->m_strError;
        std::sort(rows.begin(), rows.end());
        const auto& expected = window.expected;
        auto held = [&](int id) {
            return std::binary_search(expected.begin(), expected.end(), id);
        };
        const bool bSubset = std::all_of(rows.begin(), rows.end(), held);
        std::string what =
            std::to_string(rows.size()) + " rows of " + std::to_string(expected.size());
        if (error.IsEmpty())
        {
            if (rows == expected)
                return true;
            return Disagree("the window ends after " + what + " without a word" +
                            (bSubset ? "" : ", and holds rows its result does not have"));
        }
        m_steps += "       (" + Narrow(error.Left(300)) + ")\n";
        CString lower = error;
        lower.MakeLower();
        if (lower.Find(kRowsStopWords) >= 0 && bSubset && rows.size() <= expected.size())
            return true;
        return Disagree("reading the window failed after " + what + ": " + Narrow(error));
    }

    // ---- After every step.

    // The rows every open window holds so far, as the grid shows them (read from memory only:
    // looking reads nothing further), are rows the native client's SELECT in the same session
    // gave when the window opened; a window whose count is final holds all of them.
    bool CheckWindows()
    {
        for (const auto& window : m_windows)
        {
            auto* pMem = dynamic_cast<Zelt::CMemCursor*>(window->cursor.get());
            if (pMem == nullptr)
                continue;
            Zelt::ICursor::CStatus status;
            pMem->GetStatus(status);
            std::vector<int> rows;
            for (int row = 1; row <= pMem->GetRecordCount(); ++row)
            {
                CString id;
                if (pMem->SetAbsolutePosition(row))
                    pMem->GetFieldText(1, id);
                rows.push_back(_wtoi(id));
            }
            // (Back where it stood, without a read: past the held rows only once they are all.)
            if (status.nCurrentRow >= 0 &&
                (status.nCurrentRow < pMem->GetRecordCount() || !pMem->IsSourceOpen()))
                pMem->SetAbsolutePosition(status.nCurrentRow + 1);
            std::sort(rows.begin(), rows.end());
            const auto& expected = window->expected;
            const bool bUnique = std::adjacent_find(rows.begin(), rows.end()) == rows.end();
            const bool bSubset = bUnique && std::includes(expected.begin(), expected.end(),
                                                          rows.begin(), rows.end());
            const std::string what =
                std::to_string(rows.size()) + " rows of " + std::to_string(expected.size());
            if (!bSubset)
                return Disagree(window->title +
                                " holds rows the native client's read did not "
                                "give (" +
                                what + ")");
            if (status.bCountFinal && rows != expected)
                return Disagree(window->title + " calls its count final after " + what);
        }
        return true;
    }

    bool Check(const std::string& line)
    {
        (void)line;
        if (!CheckWindows())
            return false;
        CString seen, error;
        if (!m_observer.Run(L"SELECT count(*) FROM " + m_table, &seen, &error))
            return Disagree("another session cannot count the rows: " + Narrow(error));
        if (_wtoi(seen) != static_cast<int>(m_model.CommittedCount()))
            return Disagree("another session sees " + Narrow(seen) + " rows, the native client's " +
                            std::to_string(m_model.CommittedCount()));
        const bool bOpen = m_model.State() != SessionState::None;
        bool bTrans = false;
        try
        {
            bTrans = m_db.IsInTransaction();
        }
        catch (Zelt::CRDBException* e)
        {
            const std::string text = Narrow(e->m_strError);
            e->Delete();
            return Disagree("asking for TRANS failed: " + text);
        }
        if (bTrans != bOpen)
            return Disagree(bTrans ? "TRANS shows a transaction; the native client has none"
                                   : "TRANS shows no transaction; the native client has one");
        if (m_product == Product::PostgreSQL)
        {
            CString view;
            if (!m_observer.Run(L"SELECT state || '|' || (backend_xid IS NOT NULL)::text FROM "
                                L"pg_stat_activity WHERE pid = " +
                                    m_pid,
                                &view, &error))
                return Disagree("pg_stat_activity cannot be read: " + Narrow(error));
            const CString state = view.SpanExcluding(L"|");
            const bool bXid = view.Right(4) == L"true";
            // A window still reading on holds the reads' transaction, as psql holds one while
            // it prints with FETCH_COUNT.
            const bool bWindowReads = std::any_of(
                m_windows.begin(), m_windows.end(),
                [](const std::unique_ptr<CWindow>& window) { return window->readingOn; });
            const wchar_t* expected = m_model.State() == SessionState::None
                                          ? (bWindowReads ? L"idle in transaction" : L"idle")
                                      : m_model.State() == SessionState::Open
                                          ? L"idle in transaction"
                                          : L"idle in transaction (aborted)";
            // (A window's FETCH may be under way at the moment.)
            const bool bReading =
                bWindowReads && m_model.State() == SessionState::None && state == L"active";
            if (state != expected && !bReading)
                return Disagree("the server's session is \"" + Narrow(state) + "\", psql's \"" +
                                Narrow(expected) + "\"");
            if (m_model.State() != SessionState::Aborted && bXid != m_model.HasWritten())
                return Disagree(bXid ? "the server's session holds a transaction id; psql's "
                                       "wrote nothing"
                                     : "the server's session holds no transaction id; psql's "
                                       "wrote");
            // Outside the user's transaction the server holds nothing of the program's: one
            // session, no lock, no snapshot.
            CString sessions;
            if (!m_observer.Run(
                    L"SELECT count(*) FROM pg_stat_activity WHERE application_name = '" + m_app +
                        L"'",
                    &sessions, &error))
                return Disagree("pg_stat_activity cannot be read: " + Narrow(error));
            if (sessions != L"1")
                return Disagree("the program holds " + Narrow(sessions) +
                                " server sessions; psql holds one");
            if (m_model.State() == SessionState::None && !bWindowReads)
            {
                // (A SERIALIZABLE transaction's predicate locks outlive its COMMIT while other
                // sessions' serializable transactions that overlapped it run: the server's, as
                // psql's would be; other test programs run such transactions beside this one.)
                CString held;
                if (!m_observer.Run(L"SELECT (SELECT count(*) FROM pg_locks WHERE pid = " + m_pid +
                                        L" AND mode <> 'SIReadLock') || '|' || coalesce((SELECT "
                                        L"backend_xmin::text FROM "
                                        L"pg_stat_activity WHERE pid = " +
                                        m_pid + L"), '-')",
                                    &held, &error))
                    return Disagree("pg_locks cannot be read: " + Narrow(error));
                if (held != L"0|-")
                {
                    // What they are, and what the session runs at this moment.
                    CString what;
                    m_observer.Run(L"SELECT coalesce((SELECT string_agg(locktype || ' ' || mode, "
                                   L"', ') FROM pg_locks WHERE pid = " +
                                       m_pid +
                                       L"), '-') || '; ' || coalesce((SELECT state || ': ' || "
                                       L"query FROM pg_stat_activity WHERE pid = " +
                                       m_pid + L"), '-')",
                                   &what, &error);
                    return Disagree("outside a transaction the program's session holds locks and "
                                    "snapshot \"" +
                                    Narrow(held) + "\" (" + Narrow(what) + "); psql's holds none");
                }
            }
        }
        else if (m_product == Product::MariaDB)
        {
            // A transaction that read or wrote a table holds its metadata lock until it ends
            // (information_schema.innodb_trx would need the PROCESS right, which the test role
            // lacks).
            const int nLocks = m_model.HoldsTableLocks();
            if (nLocks >= 0)
            {
                const bool bFree = m_observer.Run(L"LOCK TABLES " + m_table + L" WRITE, " + m_big +
                                                  L" WRITE NOWAIT");
                m_observer.Run(L"UNLOCK TABLES");
                if (bFree == (nLocks == 1))
                    return Disagree(bFree ? "the server's session holds no table lock; mysql's "
                                            "transaction would"
                                          : "the server's session holds a table lock; mysql's "
                                            "would not");
            }
        }
        else
        {
            const bool bWrites = m_observer.Run(L"UPDATE " + m_probe + L" SET n = n + 1");
            if (bWrites != (m_model.SQLiteLock() == 0))
                return Disagree(bWrites ? "another connection can write; sqlite3's session would "
                                          "hold a lock"
                                        : "another connection cannot write; sqlite3's session "
                                          "would hold no lock");
        }
        return true;
    }

    Product m_product;
    CSessionModel m_model;
    unsigned m_seed;
    int m_nSteps;
    std::mt19937 m_random;
    std::unique_ptr<QlTestDb::TempSQLiteFile> m_file;
    CObserver m_observer;
    CRDatabase m_db;
    std::vector<std::unique_ptr<CWindow>> m_windows;
    CString m_table, m_big, m_probe, m_proc, m_nosuch, m_pid, m_app;
    bool m_bCreated = false;
    std::string m_report, m_steps;
    int m_nStep = 0;
    int m_nLastId = 0;
    int m_nOtherId = 0;
    int m_nSavepoints = 0;
    int m_nWindows = 0;
    Kind m_lastKind = kKinds;
    std::string m_skip;
    bool m_bRecovered = false; // a ROLLBACK TO SAVEPOINT ended the aborted state since the BEGIN

public:
    int m_nRecoveredCommits = 0;
};

// Runs one sequence; "" when it agreed throughout.
// pnRecoveredCommits: adds the COMMITs of transactions a ROLLBACK TO SAVEPOINT recovered.
inline std::string RunSequence(Product product, unsigned seed, int nSteps,
                               const std::string& skip = "", int* pnRecoveredCommits = nullptr)
{
    CSequenceRun run(product, seed, nSteps, skip);
    std::string report = run.Run();
    if (pnRecoveredCommits != nullptr)
        *pnRecoveredCommits += run.m_nRecoveredCommits;
    return report;
}

} // namespace QlSequence

#ifndef QL_SEQUENCE_NO_TESTS
namespace {

using QlSequence::Product;

class SessionSequence : public ::testing::TestWithParam<Product>
{
protected:
    // QL_SEQUENCE_SEEDS=first-last and QL_SEQUENCE_STEPS=n run other seeds instead.
    void RunSeeds(std::vector<unsigned> seeds, int nSteps)
    {
        char text[64] = {};
        bool bFixed = true;
        if (GetEnvironmentVariableA("QL_SEQUENCE_SEEDS", text, sizeof text) > 0)
        {
            bFixed = false;
            unsigned first = 0, last = 0;
            const int n = sscanf(text, "%u-%u", &first, &last);
            seeds.clear();
            for (unsigned seed = first; seed <= (n == 2 ? last : first); ++seed)
                seeds.push_back(seed);
        }
        if (GetEnvironmentVariableA("QL_SEQUENCE_STEPS", text, sizeof text) > 0)
            nSteps = atoi(text);
        int nRecoveredCommits = 0;
        for (unsigned seed : seeds)
        {
            const std::string report =
                QlSequence::RunSequence(GetParam(), seed, nSteps, "", &nRecoveredCommits);
            if (!report.empty())
                ADD_FAILURE() << report;
        }
        // The fixed seeds reach a COMMIT after a savepoint recovered an aborted transaction.
        if (bFixed && GetParam() == Product::PostgreSQL)
        {
            EXPECT_GT(nRecoveredCommits, 0);
        }
    }
};

// The fixed seeds of every run: 200 steps each, 5 seeds on the servers (8 on PostgreSQL), 2 on
// SQLite (whose steps take longer: every commit reaches the disk).
TEST_P(SessionSequence, FollowsTheNativeClient)
{
    if (GetParam() == Product::SQLite)
        RunSeeds({1, 2}, 200);
    else if (GetParam() == Product::PostgreSQL)
        // 20 and 30 commit after a recovering ROLLBACK TO; 38 begins with an isolation level while
        // a table window reads on.
        RunSeeds({1, 2, 3, 4, 5, 20, 30, 38}, 200);
    else
        RunSeeds({1, 2, 3, 4, 5}, 200);
}

INSTANTIATE_TEST_SUITE_P(Products, SessionSequence,
                         ::testing::Values(Product::PostgreSQL, Product::MariaDB, Product::SQLite),
                         [](const auto& info) {
                             return std::string(QlSequence::ProductName(info.param));
                         });

} // namespace
#endif
