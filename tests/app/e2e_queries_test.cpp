// End to end: arbitrary and hostile statements through Query > SQL Query on the real servers.
// Every statement ends in a clear message box or a correct grid window, and the program keeps
// answering.
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "dbaccess/recordset.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const UINT kSQLQuery = 32775;

std::string Narrow(const std::wstring& s)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

// What one statement through the query dialog ended in.
struct Outcome
{
    std::wstring boxes;              // the texts of the message boxes shown, each ended by "|"
    int rows = -1, columns = -1;     // of the new grid window; -1 when none opened
    std::vector<std::wstring> cells; // the first row's cells
    bool answers = false;            // the program still answers afterwards
};

std::string Describe(const Outcome& o)
{
    std::wstring text = L"boxes '" + o.boxes + L"' grid " + std::to_wstring(o.rows) + L"x" +
                        std::to_wstring(o.columns);
    for (const std::wstring& cell : o.cells)
        text += L" [" + cell.substr(0, 40) + L"]";
    return Narrow(text);
}

class QueriesE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        m_tag = QlTestDb::UniqueTag();
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
        for (const std::wstring& drop : m_drops)
            QlConnTest::Catch([&] { m_db.ExecuteSQL(drop.c_str()); });
    }

    void StartOn(const CString& connect)
    {
        QlConnTest::OpenOrFail(m_db, connect);
        ASSERT_TRUE(program.StartConnected(std::wstring(connect.GetString())))
            << program.Describe();
    }
    void Execute(const std::wstring& sql)
    {
        auto e = QlConnTest::Catch([&] { m_db.ExecuteSQL(sql.c_str()); });
        ASSERT_FALSE(e) << Narrow(sql) << ": " << Narrow((LPCWSTR)e->m_strError);
    }

    std::vector<HWND> Children() const
    {
        std::vector<HWND> out;
        HWND client = FindWindowExW(program.MainWindow(), nullptr, L"MDIClient", nullptr);
        for (HWND w = client ? GetWindow(client, GW_CHILD) : nullptr; w;
             w = GetWindow(w, GW_HWNDNEXT))
            out.push_back(w);
        return out;
    }
    bool Answers()
    {
        DWORD_PTR result = 0;
        return program.IsRunning() && SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0,
                                                          SMTO_ABORTIFHUNG, 5000, &result) != 0;
    }

    // Runs one statement through Query > SQL Query (Ctrl+Q), answers the boxes it shows, reads
    // the grid window it opened and closes it again.
    Outcome Run(const std::wstring& sql)
    {
        Outcome out;
        const size_t before = Children().size();
        program.PostCommand(kSQLQuery);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        if (!dlg)
        {
            out.boxes = L"no query dialog";
            return out;
        }
        ql::CProgram::SetText(dlg, 1001, sql);
        ql::CProgram::Click(dlg, IDOK);
        ql::WaitFor(
            [&] { return program.FindMessageBox() != nullptr || Children().size() > before; });
        // Each box is up by the time the program has handled what was posted behind it.
        for (;;)
        {
            program.Settle();
            const std::wstring text = program.TakeMessageBox(0);
            if (text.empty())
                break;
            out.boxes += text + L"|";
        }
        if (Children().size() > before)
        {
            HWND child = program.ActiveChild();
            HWND grid = child ? GetDlgItem(child, 0xE900) : nullptr;
            if (grid)
            {
                program.WaitForGrid();
                HWND header = (HWND)SendMessageW(grid, LVM_GETHEADER, 0, 0);
                out.columns = (int)SendMessageW(header, HDM_GETITEMCOUNT, 0, 0);
                out.rows = (int)SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0);
                for (int c = 0; out.rows > 0 && c < out.columns && c < 8; ++c)
                    out.cells.push_back(program.ListItemText(grid, 0, c));
            }
            for (HWND w : Children())
                PostMessageW(w, WM_CLOSE, 0, 0);
            ql::WaitFor([&] { return Children().size() <= before; });
        }
        out.answers = Answers();
        return out;
    }

    static bool HasExceptionCell(const Outcome& o)
    {
        for (const std::wstring& cell : o.cells)
            if (cell == L"<<EXCEPTION>>")
                return true;
        return false;
    }
    static bool StartsWith(const std::wstring& text, const std::wstring& start)
    {
        return text.rfind(start, 0) == 0;
    }
    // A statement that gave a result set: a grid whose cells all read.
    void ExpectGrid(const std::wstring& sql, int rows, int columns)
    {
        const Outcome o = Run(sql);
        EXPECT_TRUE(o.answers) << Narrow(sql);
        EXPECT_EQ(o.boxes, L"") << Narrow(sql) << ": " << Describe(o);
        if (rows >= 0)
            EXPECT_EQ(o.rows, rows) << Narrow(sql) << ": " << Describe(o);
        else
            EXPECT_GT(o.rows, 0) << Narrow(sql) << ": " << Describe(o);
        EXPECT_EQ(o.columns, columns) << Narrow(sql) << ": " << Describe(o);
        EXPECT_FALSE(HasExceptionCell(o)) << Narrow(sql) << ": " << Describe(o);
    }
    // A statement refused or failed: one error box starting with the text, no grid.
    void ExpectError(const std::wstring& sql, const std::wstring& start)
    {
        const Outcome o = Run(sql);
        EXPECT_TRUE(o.answers) << Narrow(sql);
        EXPECT_TRUE(StartsWith(o.boxes, start)) << Narrow(sql) << ": " << Describe(o);
        EXPECT_EQ(o.rows, -1) << Narrow(sql) << ": " << Describe(o);
    }
    void ExpectExecuted(const std::wstring& sql, const std::wstring& start)
    {
        ExpectError(sql, start);
    }

    // Opens the query's grid, edits a column of the grid's row (both from 0) and closes the
    // window; the texts of the boxes the edit brought.
    std::wstring EditInQuery(const std::wstring& sql, int row, int column, const std::wstring& text)
    {
        std::wstring boxes;
        const size_t before = Children().size();
        program.PostCommand(kSQLQuery);
        HWND dlg = program.WaitForDialog(L"Execute SQL");
        if (!dlg)
            return std::wstring(L"no query dialog");
        ql::CProgram::SetText(dlg, 1001, sql);
        ql::CProgram::Click(dlg, IDOK);
        if (!ql::WaitFor([&] { return Children().size() > before; }) || !program.WaitForGrid())
            return L"no grid: " + program.TakeMessageBox(0);
        HWND grid = GetDlgItem(program.ActiveChild(), 0xE900);
        if (!program.ClickListCell(grid, row, column))
            return std::wstring(L"no cell");
        ql::CProgram::PressKey(grid, VK_SPACE);
        if (ql::CProgram::SetInPlaceValue(grid, text, false, VK_RETURN))
            ql::CProgram::PressKey(grid, VK_RETURN);
        for (;;)
        {
            program.Settle();
            const std::wstring box = program.TakeMessageBox(0);
            if (box.empty())
                break;
            boxes += box + L"|";
        }
        for (HWND w : Children())
            PostMessageW(w, WM_CLOSE, 0, 0);
        ql::WaitFor([&] { return Children().size() <= before; });
        // A row left unsaved is not saved at the close.
        while (!program.TakeMessageBox(500).empty())
            ;
        return boxes;
    }
    // The values of a column of a table in key order, joined by ",", as the test's own
    // connection reads them.
    std::wstring Stored(const std::wstring& column, const std::wstring& table)
    {
        CString text;
        auto e = QlConnTest::Catch([&] {
            CRRecordset rs(&m_db);
            rs.Open((L"SELECT " + column + L" FROM " + table + L" ORDER BY id").c_str(), RS_STATIC,
                    RS_NUMERIC_AS_TEXT);
            for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            {
                CString value;
                rs.GetFieldText(1, value);
                text += (text.IsEmpty() ? L"" : L",") + value;
            }
        });
        return e ? L"error: " + std::wstring((LPCWSTR)e->m_strError)
                 : std::wstring(text.GetString());
    }
    // A keyed table t(id, price, v) of three rows, and query grids over it: the columns the query
    // computes or renames refuse their edit in words and leave the table alone; the table's own
    // columns, however the query names them, are edited in the row shown.
    void ExpectQueryGridsEditOnlyTheTablesColumns(const std::wstring& q)
    {
        const std::wstring t = L"qlqc_" + m_tag;
        m_drops.push_back(L"DROP TABLE IF EXISTS " + t);
        Execute(L"CREATE TABLE " + t + L" (id INTEGER PRIMARY KEY, price INTEGER, v VARCHAR(20))");
        Execute(L"INSERT INTO " + t + L" VALUES (1, 10, 'a'), (2, 20, 'b'), (3, 30, 'c')");
        const std::wstring prices = L"10,20,30", values = L"a,b,c";
        const std::wstring computed[] = {
            L"SELECT id, price * 2 AS price FROM " + t + L" ORDER BY id",
            L"SELECT id, CASE WHEN price > 0 THEN price END AS price FROM " + t + L" ORDER BY id",
            L"SELECT id, 7 AS price FROM " + t + L" ORDER BY id",
            L"SELECT id, (SELECT max(price) FROM " + t + L") AS price FROM " + t + L" ORDER BY id",
            L"SELECT id, v AS price FROM " + t + L" ORDER BY id",
        };
        for (const std::wstring& sql : computed)
        {
            const std::wstring boxes = EditInQuery(sql, 1, 1, L"55");
            EXPECT_TRUE(boxes.find(L"computed") != std::wstring::npos ||
                        boxes.find(L"another name") != std::wstring::npos)
                << Narrow(sql) << ": " << Narrow(boxes);
            EXPECT_EQ(Stored(L"price", t), prices) << Narrow(sql);
            EXPECT_EQ(Stored(L"v", t), values) << Narrow(sql);
        }
        // The table's own columns beside computed ones, and under their own names.
        EXPECT_EQ(
            EditInQuery(L"SELECT id, price * 2 AS p2, v FROM " + t + L" ORDER BY id", 1, 2, L"bb"),
            L"");
        EXPECT_EQ(Stored(L"v", t), L"a,bb,c");
        EXPECT_EQ(EditInQuery(L"SELECT " + t + L".id, " + q + L"price" + q + L" AS price FROM " +
                                  t + L" ORDER BY id DESC",
                              0, 1, L"33"),
                  L"");
        EXPECT_EQ(Stored(L"price", t), L"10,20,33");
        EXPECT_EQ(EditInQuery(L"select * from " + t + L" where id < 3 order by id", 0, 2, L"aa"),
                  L"");
        EXPECT_EQ(Stored(L"v", t), L"aa,bb,c");
        EXPECT_EQ(Stored(L"price", t), L"10,20,33");
    }

    ql::CProgram program;
    CRDatabase m_db;
    std::wstring m_tag;
    std::vector<std::wstring> m_drops;
};

const std::wstring kSyntax = L"Quenlark: Incorrect syntax|";
const std::wstring kODBCError = L"ODBC error code: ";
const std::wstring kNoRows = L"Executed OK.\nNo rows changed.";

TEST_F(QueriesE2E, PostgreSQLStatementsOfEveryKind)
{
    StartOn(QlTestDb::PostgresConnect());
    const std::wstring t = L"qlqf_" + m_tag;
    m_drops.push_back(L"DROP TABLE IF EXISTS " + t);

    // Comments alone run nothing.
    ExpectError(L"-- only a comment", kSyntax);
    ExpectError(L"/* block */ -- and a line", kSyntax);
    ExpectExecuted(L"SET search_path TO public", kNoRows);
    ExpectExecuted(L"CREATE TABLE " + t + L" (id INTEGER, v TEXT)", kNoRows);
    ExpectExecuted(L"UPDATE " + t + L" SET v = 'x' WHERE id = -1", kNoRows);
    ExpectExecuted(L"INSERT INTO " + t + L" VALUES (1, 'a'), (2, '\u65e5\u672c')",
                   L"Executed OK.\n2 row(s) changed.");
    ExpectGrid(L"SELECT * FROM " + t + L" WHERE 1 = 0", 0, 2);
    // Results of statements that are no SELECT are read as they come.
    ExpectGrid(L"VALUES (1, 'a'), (2, 'b')", 2, 2);
    ExpectGrid(L"EXPLAIN SELECT * FROM " + t, -1, 1);
    ExpectGrid(L"SHOW search_path", 1, 1);
    ExpectGrid(L"WITH w AS (SELECT 1 AS x) SELECT * FROM w", 1, 1);
    ExpectError(L"SELEC 1", kODBCError);
    // An error met while the rows are read.
    ExpectError(L"SELECT 1/(5-g) FROM generate_series(1,10) g", kODBCError);
    const Outcome wide = Run(L"SELECT v AS \"\u00e9t\u00e9\", repeat('x', 5000000) AS big FROM " +
                             t + L" WHERE id = 2");
    ASSERT_EQ(wide.cells.size(), 2u) << Describe(wide);
    EXPECT_EQ(wide.cells[0], L"\u65e5\u672c");
    EXPECT_EQ(wide.cells[1].substr(0, 100), std::wstring(100, L'x'));
    ExpectExecuted(L"DROP TABLE " + t, kNoRows);
    EXPECT_TRUE(program.Close());
}

// With statements run as cancellable jobs: wide and odd results, several statements in one
// text, a statement stopped by the user, and a table dropped under its open window.
TEST_F(QueriesE2E, PostgreSQLCancelledWideAndDroppedUnderAWindow)
{
    const std::wstring t = L"qlqf_" + m_tag;
    m_drops.push_back(L"DROP TABLE IF EXISTS " + t);
    ql::WriteRegString(L"CancelExec", L"Yes");
    QlConnTest::OpenOrFail(m_db, QlTestDb::PostgresConnect());
    Execute(L"CREATE TABLE " + t + L" (id INTEGER PRIMARY KEY, v TEXT)");
    Execute(L"INSERT INTO " + t + L" VALUES (1, 'a'), (2, 'b'), (3, 'c')");
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect().GetString())))
        << program.Describe();

    // Columns of one name each keep their own values.
    Outcome o = Run(L"SELECT 1 AS a, 2 AS a, 3 AS \"A\", NULL AS a");
    EXPECT_EQ(o.cells, (std::vector<std::wstring>{L"1", L"2", L"3", L"<<NULL>>"})) << Describe(o);
    std::wstring many = L"SELECT 1 AS c1";
    for (int i = 2; i <= 1000; ++i)
        many += L", " + std::to_wstring(i) + L" AS c" + std::to_wstring(i);
    ExpectGrid(many, 1, 1000);
    // A statement without a result, then one with: the count, then the rows.
    o = Run(L"UPDATE " + t + L" SET v = v; SELECT id, v FROM " + t + L" ORDER BY id");
    EXPECT_TRUE(StartsWith(o.boxes, L"Executed OK.\n3 row(s) changed.")) << Describe(o);
    EXPECT_EQ(o.rows, 3) << Describe(o);
    EXPECT_EQ(o.cells, (std::vector<std::wstring>{L"1", L"a"})) << Describe(o);
    ExpectError(L"SELECT 1/(2-g) FROM generate_series(1,3) g", kODBCError);

    // Cancel while the server sleeps: no error box, and the connection goes on.
    program.PostCommand(kSQLQuery);
    HWND dlg = program.WaitForDialog(L"Execute SQL");
    ASSERT_NE(dlg, nullptr);
    ql::CProgram::SetText(dlg, 1001, L"SELECT pg_sleep(60)");
    ql::CProgram::Click(dlg, IDOK);
    EXPECT_TRUE(program.CancelWaitDialog());
    // The question closes and the statement ends in the program's time; then no box is left.
    EXPECT_TRUE(program.WaitUntilIdle());
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.TakeMessageBox(0), L"");
    ExpectGrid(L"SELECT 7", 1, 1);

    // The table of an open window is dropped: Refresh reports the server's error, the window
    // keeps what it showed and closes normally.
    ASSERT_TRUE(program.OpenTableGrid(L"public", t));
    ASSERT_TRUE(program.WaitForGrid());
    HWND child = program.ActiveChild();
    ASSERT_NE(child, nullptr);
    Execute(L"DROP TABLE " + t);
    program.PostCommand(32794);
    EXPECT_TRUE(StartsWith(program.TakeMessageBox(), kODBCError));
    EXPECT_TRUE(Answers());
    PostMessageW(child, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return Children().empty(); }));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.TakeMessageBox(0), L"");
    EXPECT_TRUE(program.Close());
}

// The server fails part-way through the rows of a result: PostgreSQL results are read whole when
// their statement runs, as psql reads them, so the server's error is shown at once, no window
// opens, and the session still runs statements.
TEST_F(QueriesE2E, PostgreSQLErrorPartWayThroughTheRowsLeavesTheSessionUsable)
{
    ASSERT_TRUE(program.StartConnected(std::wstring(QlTestDb::PostgresConnect().GetString())))
        << program.Describe();
    const Outcome o = Run(L"SELECT g, 1/(4500-g) FROM generate_series(1, 6000) g");
    EXPECT_NE(o.boxes.find(L"division by zero"), std::wstring::npos) << Describe(o);
    EXPECT_EQ(o.rows, -1) << Describe(o);
    EXPECT_TRUE(Answers());
    ExpectGrid(L"SELECT 3", 1, 1);
    ExpectExecuted(L"SET search_path TO public", kNoRows);
    EXPECT_TRUE(program.Close());
}

// Reads psqlODBC cannot make updatable (aggregates, a view, several statements) are read-only
// from the start rather than retried after the server refused the driver's row identity: each
// shows its rows, and a text whose last statement fails with an error that names that column
// (whatever the server's wording) ran once, as another session reads.
TEST_F(QueriesE2E, PostgreSQLReadsTheDriverCannotUpdateRunOnce)
{
    StartOn(QlTestDb::PostgresConnect());
    const std::wstring t = L"qlqa_" + m_tag, v = L"qlqv_" + m_tag, log = L"qlql_" + m_tag,
                       f = L"qlqf_" + m_tag;
    m_drops.push_back(L"DROP VIEW IF EXISTS " + v);
    m_drops.push_back(L"DROP TABLE IF EXISTS " + t);
    m_drops.push_back(L"DROP TABLE IF EXISTS " + log);
    m_drops.push_back(L"DROP FUNCTION IF EXISTS " + f + L"()");
    Execute(L"CREATE TABLE " + t + L" (id INTEGER PRIMARY KEY, v TEXT)");
    Execute(L"INSERT INTO " + t + L" VALUES (1, 'a'), (2, 'b')");
    Execute(L"CREATE VIEW " + v + L" AS SELECT * FROM " + t);
    Execute(L"CREATE TABLE " + log + L" (n INTEGER)");
    Execute(L"CREATE FUNCTION " + f +
            L"() RETURNS int LANGUAGE plpgsql AS $$ BEGIN RAISE "
            L"EXCEPTION 'column \"ctid\" does not exist' USING ERRCODE = '42703'; END $$");

    Outcome o = Run(L"select string_agg(v, ',' ORDER BY v) from " + t);
    EXPECT_EQ(o.boxes, L"") << Describe(o);
    EXPECT_EQ(o.cells, (std::vector<std::wstring>{L"a,b"})) << Describe(o);
    ExpectGrid(L"select array_agg(id) from " + t, 1, 1);
    ExpectGrid(L"SELECT count(*), max(v) FROM " + t, 1, 2);
    ExpectGrid(L"SELECT * FROM " + v, 2, 2);
    ExpectGrid(L"SELECT DISTINCT v FROM " + t, 2, 1);
    ExpectGrid(L"SELECT * FROM " + t + L" ORDER BY id", 2, 2);

    o = Run(L"SELECT 1; INSERT INTO " + log + L" VALUES (7); COMMIT; SELECT " + f + L"()");
    EXPECT_NE(o.boxes.find(L"ctid"), std::wstring::npos) << Describe(o);
    EXPECT_STREQ(QlConnTest::QueryText(m_db, (L"SELECT count(*) FROM " + log).c_str()), L"1")
        << "the text ran twice";
    EXPECT_TRUE(program.Close());
}

// Statements fail while a table window still reads its rows (PostgreSQL): each box shows the
// server's own error (not the driver's "Function sequence error"); the window's read let the
// session go to them, keeps its rows without a box and says so, and Refresh reads them all.
TEST_F(QueriesE2E, PostgreSQLAFailedStatementBesideAReadingWindow)
{
    const std::wstring t = L"qlqr_" + m_tag;
    m_drops.push_back(L"DROP TABLE IF EXISTS " + t);
    StartOn(QlTestDb::PostgresConnect());
    Execute(L"CREATE TABLE " + t + L" AS SELECT g AS id FROM generate_series(1, 50000) g");
    ASSERT_TRUE(program.OpenTableGrid(L"public", t));
    ASSERT_TRUE(program.WaitForGrid());
    HWND child = program.ActiveChild();
    HWND grid = child ? GetDlgItem(child, 0xE900) : nullptr;
    ASSERT_NE(grid, nullptr);
    const Outcome missing = Run(L"select * from nosuch_" + m_tag);
    EXPECT_NE(missing.boxes.find(L"does not exist"), std::wstring::npos) << Describe(missing);
    const Outcome zero = Run(L"select 1/0");
    EXPECT_NE(zero.boxes.find(L"division by zero"), std::wstring::npos) << Describe(zero);
    EXPECT_EQ((missing.boxes + zero.boxes).find(L"sequence"), std::wstring::npos);
    ASSERT_EQ(program.ActiveChild(), child);
    std::wstring pane;
    EXPECT_TRUE(ql::WaitFor([&] {
        pane = ql::Trimmed(program.StatusPaneText(1));
        return pane == L"Rows 50000 Columns 1" || pane.find(L", reading stopped") != pane.npos;
    })) << Narrow(pane);
    if (pane != L"Rows 50000 Columns 1")
        program.PostCommand(ID_QUERY_REFRESH);

    auto rows = [&] { return (int)SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0); };
    SetForegroundWindow(program.MainWindow());
    SetFocus(grid);
    ASSERT_TRUE(ql::WaitFor([&] { return GetForegroundWindow() == program.MainWindow(); }));
    ASSERT_TRUE(program.PressKeys({VK_CONTROL, VK_END}));
    EXPECT_TRUE(ql::WaitFor([&] { return rows() == 50000; }, 60000)) << rows();
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.TakeMessageBox(0), L"");
    EXPECT_TRUE(program.Close());
}

// A query grid over one keyed table (PostgreSQL, read read-only as written): a locking read shows
// only its own columns, and an edit of a row is stored by the program's own statement keyed by the
// table's primary key, on that row alone, as another session reads; ordered, limited, a
// partition and a quoted schema alike. A result whose rows no key finds says why on the first
// edit and changes nothing.
TEST_F(QueriesE2E, PostgreSQLQueryGridsOverOneKeyedTable)
{
    const std::wstring t = L"qlqk_" + m_tag, p = L"qlqp_" + m_tag, s = L"QlSch_" + m_tag;
    m_drops.push_back(L"DROP TABLE IF EXISTS " + t);
    m_drops.push_back(L"DROP TABLE IF EXISTS " + p);
    m_drops.push_back(L"DROP SCHEMA IF EXISTS \"" + s + L"\" CASCADE");
    StartOn(QlTestDb::PostgresConnect());
    Execute(L"CREATE TABLE " + t + L" (id INTEGER PRIMARY KEY, v TEXT)");
    Execute(L"INSERT INTO " + t + L" SELECT g, 'v' || g FROM generate_series(1, 5) g");
    Execute(L"CREATE TABLE " + p +
            L" (id INTEGER, v TEXT, PRIMARY KEY (id)) PARTITION BY RANGE (id)");
    Execute(L"CREATE TABLE " + p + L"_1 PARTITION OF " + p + L" FOR VALUES FROM (0) TO (100)");
    Execute(L"INSERT INTO " + p + L" SELECT g, 'v' || g FROM generate_series(1, 5) g");
    Execute(L"CREATE SCHEMA \"" + s + L"\"");
    Execute(L"CREATE TABLE \"" + s + L"\".\"Mixed\" (\"Id\" INTEGER PRIMARY KEY, v TEXT)");
    Execute(L"INSERT INTO \"" + s +
            L"\".\"Mixed\" SELECT g, 'v' || g FROM generate_series(1, 5) g");

    // FOR UPDATE and FOR SHARE: the table's two columns, no row identity added.
    ExpectGrid(L"SELECT * FROM " + t + L" ORDER BY id FOR UPDATE", 5, 2);
    ExpectGrid(L"SELECT * FROM " + t + L" FOR SHARE", 5, 2);

    auto editInQuery = [&](const std::wstring& sql, int row, const std::wstring& text) {
        return EditInQuery(sql, row, 1, text);
    };
    auto stored = [&](const std::wstring& table, const std::wstring& key) {
        return std::wstring(
            QlConnTest::QueryText(
                m_db, (L"SELECT string_agg(v, ',' ORDER BY " + key + L") FROM " + table).c_str())
                .GetString());
    };
    EXPECT_EQ(editInQuery(L"select * from " + t + L" order by id desc", 1, L"four"), L"");
    EXPECT_EQ(stored(t, L"id"), L"v1,v2,v3,four,v5");
    EXPECT_EQ(editInQuery(L"SELECT id, v FROM " + t + L" ORDER BY id LIMIT 2 OFFSET 1", 0, L"two"),
              L"");
    EXPECT_EQ(stored(t, L"id"), L"v1,two,v3,four,v5");
    EXPECT_EQ(editInQuery(L"select * from " + p + L" where id > 2 order by id", 0, L"three"), L"");
    EXPECT_EQ(stored(p, L"id"), L"v1,v2,three,v4,v5");
    EXPECT_EQ(editInQuery(L"select * from " + p + L"_1 order by id", 4, L"five"), L"");
    EXPECT_EQ(stored(p, L"id"), L"v1,v2,three,v4,five");
    EXPECT_EQ(editInQuery(L"SELECT * FROM \"" + s + L"\".\"Mixed\" ORDER BY \"Id\"", 0, L"one"),
              L"");
    EXPECT_EQ(stored(L"\"" + s + L"\".\"Mixed\"", L"\"Id\""), L"one,v2,v3,v4,v5");

    // No key in the result: refused with the reason, nothing stored.
    const std::wstring refused = editInQuery(L"select v, id * 1 AS n from " + t, 0, L"x");
    EXPECT_NE(refused.find(L"primary key"), std::wstring::npos) << Narrow(refused);
    EXPECT_EQ(stored(t, L"id"), L"v1,two,v3,four,v5");
    EXPECT_TRUE(program.Close());
}

TEST_F(QueriesE2E, MariaDBStatementsOfEveryKind)
{
    StartOn(QlTestDb::MariaDBConnect());
    const std::wstring t = L"qlqf_" + m_tag;
    const std::wstring p = L"qlqfp_" + m_tag;
    m_drops.push_back(L"DROP TABLE IF EXISTS " + t);
    m_drops.push_back(L"DROP PROCEDURE IF EXISTS " + p);
    Execute(L"CREATE TABLE " + t + L" (id INTEGER, v TEXT)");
    Execute(L"INSERT INTO " + t + L" VALUES (1, 'a'), (2, 'b')");
    Execute(L"CREATE PROCEDURE " + p + L"() BEGIN SELECT 1 AS a; SELECT 2 AS b, 3 AS c; END");

    ExpectError(L"-- only a comment", kSyntax);
    ExpectExecuted(L"SET @x = 1", kNoRows);
    ExpectGrid(L"CALL " + p + L"()", 1, 1);
    ExpectGrid(L"SHOW TABLES", -1, 1);
    ExpectGrid(L"EXPLAIN SELECT * FROM " + t, -1, 10);
    ExpectGrid(L"SELECT * FROM " + t + L" WHERE 1 = 0", 0, 2);
    ExpectError(L"SELEC 1", kODBCError);
    ExpectExecuted(L"DELETE FROM " + t + L" WHERE id = 1", L"Executed OK.\n1 row(s) changed.");
    // A change that returns its rows shows them, as mysql prints them, and runs once.
    ExpectGrid(L"DELETE FROM " + t + L" WHERE id = 2 RETURNING id, v", 1, 2);
    EXPECT_EQ(QlConnTest::QueryText(m_db, L"SELECT count(*) FROM " + CString(t.c_str())), L"0");
    EXPECT_TRUE(program.Close());
}

TEST_F(QueriesE2E, SQLiteStatementsOfEveryKind)
{
    QlTestDb::TempSQLiteFile file;
    QlConnTest::OpenOrFail(m_db, file.Connect());
    Execute(L"CREATE TABLE t (id INTEGER, v TEXT)"); // the tables tree shows the connection
    ASSERT_TRUE(program.StartConnected(std::wstring(file.Connect().GetString())));
    ExpectError(L"-- only a comment", kSyntax);
    ExpectExecuted(L"CREATE TABLE u (id INTEGER)", kNoRows);
    ExpectExecuted(L"INSERT INTO t VALUES (1, 'a'), (2, 'b')", L"Executed OK.\n2 row(s) changed.");
    ExpectGrid(L"PRAGMA table_info(t)", 2, 6);
    ExpectGrid(L"EXPLAIN QUERY PLAN SELECT * FROM t", -1, 4);
    ExpectGrid(L"SELECT 1, 1, '' AS \"\", NULL", 1, 4);
    ExpectError(L"SELECT 1; SELECT 2", kODBCError);
    // A change that hands rows back shows them, as sqlite3 prints them, and runs once (the
    // driver alone reads rows only of a statement beginning with SELECT or WITH); so do VALUES;
    // a query of declared columns (which streams) shows every row.
    ExpectGrid(L"WITH n(x) AS (SELECT 3) INSERT INTO t SELECT x, 'c' FROM n RETURNING id", 1, 1);
    EXPECT_EQ(QlConnTest::QueryText(m_db, L"SELECT count(*) FROM t WHERE id = 3"), L"1");
    const Outcome inserted = Run(L"/* new */ INSERT INTO t VALUES (4, 'd') RETURNING id, v || '!'");
    EXPECT_EQ(inserted.cells, (std::vector<std::wstring>{L"4", L"d!"})) << Describe(inserted);
    EXPECT_EQ(inserted.boxes, L"") << Describe(inserted);
    EXPECT_EQ(QlConnTest::QueryText(m_db, L"SELECT count(*) FROM t WHERE id = 4"), L"1");
    ExpectGrid(L"UPDATE t SET v = v WHERE id > 2 RETURNING *", 2, 2);
    ExpectGrid(L"VALUES (1, 'a'), (2, 'b')", 2, 2);
    ExpectExecuted(L"DELETE FROM t WHERE id = 4", L"Executed OK.\n1 row(s) changed.");
    ExpectGrid(L"SELECT * FROM t ORDER BY id", 3, 2);
    EXPECT_TRUE(program.Close());
}

TEST_F(QueriesE2E, PostgreSQLQueryGridsEditOnlyTheTablesColumns)
{
    StartOn(QlTestDb::PostgresConnect());
    ExpectQueryGridsEditOnlyTheTablesColumns(L"\"");
    EXPECT_TRUE(program.Close());
}

TEST_F(QueriesE2E, MariaDBQueryGridsEditOnlyTheTablesColumns)
{
    StartOn(QlTestDb::MariaDBConnect());
    ExpectQueryGridsEditOnlyTheTablesColumns(L"`");
    EXPECT_TRUE(program.Close());
}

TEST_F(QueriesE2E, SQLiteQueryGridsEditOnlyTheTablesColumns)
{
    QlTestDb::TempSQLiteFile file;
    QlConnTest::OpenOrFail(m_db, file.Connect());
    Execute(L"CREATE TABLE shown (id INTEGER)"); // the tables tree shows the connection
    ASSERT_TRUE(program.StartConnected(std::wstring(file.Connect().GetString())));
    ExpectQueryGridsEditOnlyTheTablesColumns(L"\"");
    EXPECT_TRUE(program.Close());
}

} // namespace
