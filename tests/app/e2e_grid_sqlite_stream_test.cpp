// End to end on SQLite with the user's string silent about stepping: a table window shows its
// first screen while most of the table is unread, then reads the rest by itself while the program
// is idle, so another process may write to the file, and shows those rows too; an edit in the
// window reaches the file at once, and every row of the table is there at the window's end. A
// window reading a slow result on closes at once, and its statement ends with it.
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"
#include "services/wait_dlg.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ql::CProgram;
using ql::Narrow;

const int kRows = 60000;

class GridSQLiteStreamE2E : public ql::CProductScenario
{
protected:
    void SetUp() override
    {
        CProductScenario::SetUp();
        m_table = ql::CScratchDatabase::NewName(L"ql_e2e_stream_");
        m_db.CreateTable(m_table, L"id INTEGER PRIMARY KEY, v VARCHAR(20), n INTEGER");
        m_db.Exec(L"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
                  std::to_wstring(kRows) + L") INSERT INTO " + m_db.Quoted(m_table) +
                  L" SELECT x, 'v' || x, x * 7 FROM c");
    }

    // A write from a connection of another process's kind (its own file handle and locks) that
    // gives up after a short busy wait.
    bool WriteElsewhere(const std::wstring& sql)
    {
        CRDatabase other;
        if (!other.Open((m_db.Connect() + L"Timeout=100;").c_str(), CRDatabase::openNoPrompt,
                        nullptr, 0, 0, 0))
            return false;
        return !QlConnTest::Catch([&] { other.ExecuteSQL(sql.c_str()); });
    }

    // Breaks the file's last page (its page type byte), or mends it, keeping what it held.
    // Either way the file's change counter moves on, so that a connection drops the pages it
    // holds in its cache and reads them again.
    bool BreakLastPage(bool bBreak)
    {
        HANDLE h =
            CreateFileW(m_db.FilePath().c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        BYTE header[100] = {};
        DWORD n = 0;
        bool ok = ReadFile(h, header, sizeof header, &n, nullptr) && n == sizeof header;
        const DWORD pageSize = header[16] << 8 | header[17];
        const DWORD fileSize = GetFileSize(h, nullptr);
        if (ok && pageSize >= 512 && fileSize >= 3 * pageSize)
        {
            for (int i = 27; i >= 24 && ++header[i] == 0; --i)
            {}
            if (bBreak)
            {
                SetFilePointer(h, fileSize - pageSize, nullptr, FILE_BEGIN);
                ok = ReadFile(h, &m_pageType, 1, &n, nullptr) && n == 1;
            }
            const BYTE type = bBreak ? 0xFF : m_pageType;
            ok = ok && SetFilePointer(h, 0, nullptr, FILE_BEGIN) == 0 &&
                 WriteFile(h, header, sizeof header, &n, nullptr) &&
                 SetFilePointer(h, fileSize - pageSize, nullptr, FILE_BEGIN) !=
                     INVALID_SET_FILE_POINTER &&
                 WriteFile(h, &type, 1, &n, nullptr);
        }
        CloseHandle(h);
        return ok;
    }

    std::wstring m_table;
    BYTE m_pageType = 0;
};

TEST_P(GridSQLiteStreamE2E, TableWindowReadsOnSoOthersMayWriteAndKeepsEveryRow)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(child, nullptr);
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return ListView_GetItemCount(grid) > 0; }))
        << Narrow(program.TakeMessageBox(1000)) << Narrow(program.StatusPaneText(1));
    EXPECT_TRUE(ql::WaitFor([&] {
        return ql::Trimmed(program.StatusPaneText(1)).rfind(L"Rows >= ", 0) == 0;
    })) << Narrow(program.StatusPaneText(1));

    // While the window's statement is part read it holds the file's shared lock; once the window
    // has read on to the end, another connection's write goes through.
    const std::wstring table = m_db.Quoted(m_table);
    EXPECT_TRUE(ql::WaitFor(
        [&] { return WriteElsewhere(L"UPDATE " + table + L" SET n = -1 WHERE id = 3"); }, 60000));
    EXPECT_EQ(m_db.Text(L"SELECT n FROM " + table + L" WHERE id = 3"), L"-1");

    // An edit is on disk as soon as the window reports it saved.
    ASSERT_TRUE(program.ClickListCell(grid, 0, 1));
    CProgram::PressKey(grid, VK_SPACE);
    ASSERT_NE(CProgram::WaitForInPlaceEditor(grid), nullptr);
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L"edited", false, VK_RETURN));
    CProgram::PressKey(grid, VK_RETURN);
    const std::wstring saved = L"SELECT v FROM " + table + L" WHERE id = 1";
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Text(saved) == L"edited"; }))
        << Narrow(m_db.Text(saved));
    // The save refreshes the window: its new statement holds the shared lock again until the
    // window has read on to the end.
    EXPECT_TRUE(ql::WaitFor(
        [&] { return WriteElsewhere(L"UPDATE " + table + L" SET n = -2 WHERE id = 4"); }, 30000));

    // Every row of the table is there (Ctrl+End reads them all into the grid).
    SetForegroundWindow(program.MainWindow());
    SetFocus(grid);
    ASSERT_TRUE(ql::WaitFor([&] { return GetForegroundWindow() == program.MainWindow(); }));
    ASSERT_TRUE(program.PressKeys({VK_CONTROL, VK_END}));
    const std::wstring all = L"Rows " + std::to_wstring(kRows) + L" Columns 3";
    EXPECT_TRUE(ql::WaitFor([&] { return ql::Trimmed(program.StatusPaneText(1)) == all; }, 60000))
        << Narrow(program.StatusPaneText(1));
    EXPECT_EQ(ListView_GetItemCount(grid), kRows);
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

// The user's query streams as a table window does, and half read it ends its read before the
// user's next statement: an UPDATE of every row changes them all, the window keeps the rows as the
// query gave them (sqlite3 prints a result whole before it runs the next statement), and another
// process may write at once. A query window closed half read frees the file at once too.
TEST_P(GridSQLiteStreamE2E, QueryWindowEndsItsReadBeforeTheNextStatement)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    const std::wstring table = m_db.Quoted(m_table);
    // Each row costs the query a little (a blob made and written out): the window is still
    // reading when the next statement comes.
    const std::wstring query = L"SELECT id, v, n FROM " + table +
                               L" WHERE length(hex(zeroblob(40000 + id % 2))) > 0 ORDER BY id";
    ASSERT_TRUE(ql::RunQuery(program, query));
    ASSERT_TRUE(program.WaitForActiveChild(L"SELECT")) << Narrow(program.TakeMessageBox(1000));
    HWND child = program.ActiveChild();
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return ListView_GetItemCount(grid) > 0; }));
    const bool bHalfRead = !WriteElsewhere(L"UPDATE " + table + L" SET n = 0 WHERE id = 2");

    ASSERT_TRUE(ql::RunQuery(program, L"UPDATE " + table + L" SET v = 'u' || id, n = -n"));
    const std::wstring box = program.TakeMessageBox(60000);
    EXPECT_NE(box.find(std::to_wstring(kRows) + L" row(s) changed"), std::wstring::npos)
        << Narrow(box);
    EXPECT_TRUE(WriteElsewhere(L"UPDATE " + table + L" SET n = 1 WHERE id = 1"))
        << "the query's read ended with the update (half read before it: " << bHalfRead << ")";
    EXPECT_EQ(m_db.Text(L"SELECT count(*) FROM " + table + L" WHERE v = 'u' || id"),
              std::to_wstring(kRows));
    const std::wstring all = L"Rows " + std::to_wstring(kRows) + L" Columns 3";
    EXPECT_TRUE(ql::WaitFor([&] { return ql::Trimmed(program.StatusPaneText(1)) == all; }, 60000))
        << Narrow(program.StatusPaneText(1));
    for (int row : {0, kRows / 2, kRows - 1})
    {
        EXPECT_EQ(program.ListItemText(grid, row, 1), L"v" + std::to_wstring(row + 1));
        EXPECT_EQ(program.ListItemText(grid, row, 2), std::to_wstring((row + 1) * 7));
    }

    // Closed while it reads, a query window lets go of the file.
    ASSERT_TRUE(ql::RunQuery(program, query));
    ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() != child; }));
    HWND second = program.ActiveChild();
    PostMessageW(second, WM_CLOSE, 0, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(second); }));
    EXPECT_TRUE(WriteElsewhere(L"UPDATE " + table + L" SET n = 2 WHERE id = 1"));
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

// A table a little longer than the first screen: once the program is idle the window holds every
// row and says so, without a key or a scroll of the user's.
TEST_P(GridSQLiteStreamE2E, TheRestOfATableComesWhileIdle)
{
    const std::wstring small = ql::CScratchDatabase::NewName(L"ql_e2e_idle_");
    m_db.CreateTable(small, L"id INTEGER PRIMARY KEY, v VARCHAR(20)");
    m_db.Exec(L"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 200) "
              L"INSERT INTO " +
              m_db.Quoted(small) + L" SELECT x, 'v' || x FROM c");
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), small);
    ASSERT_NE(child, nullptr);
    HWND grid = ql::GridOf(child);
    EXPECT_TRUE(ql::WaitFor([&] {
        return ql::Trimmed(program.StatusPaneText(1)) == L"Rows 200 Columns 2";
    })) << Narrow(program.StatusPaneText(1));
    EXPECT_EQ(ListView_GetItemCount(grid), 200);
    const auto ids = program.ListItems(grid, 0);
    ASSERT_EQ(ids.size(), 200u);
    EXPECT_EQ(ids.back(), L"200");
    // The statement has ended with its last row: another process may write.
    EXPECT_TRUE(WriteElsewhere(L"UPDATE " + m_db.Quoted(small) + L" SET v = 'w' WHERE id = 1"));
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

// A read that fails part way (the file's last page broken, met only by the read on in idle time)
// stops the window's rows: the status keeps "Rows >= " and says the reading stopped, the window
// says why once, in the database's words, and Refresh reads again (the page mended: every row).
TEST_P(GridSQLiteStreamE2E, RowsThatStopSaySoAndRefreshReadsAgain)
{
    ASSERT_TRUE(BreakLastPage(true));
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(child, nullptr);
    HWND grid = ql::GridOf(child);
    const std::wstring box = program.TakeMessageBox(60000);
    EXPECT_NE(box.find(L"Reading the rows stopped after"), std::wstring::npos) << Narrow(box);
    EXPECT_NE(box.find(L"malformed"), std::wstring::npos) << Narrow(box);
    const size_t at = box.find(L"after ");
    const int shown = at == std::wstring::npos ? 0 : _wtoi(box.c_str() + at + 6);
    EXPECT_GT(shown, 1000);
    EXPECT_LT(shown, kRows);
    // The rows read before the failure are all in the window by the time it is said.
    const std::wstring stopped =
        L"Rows >= " + std::to_wstring(shown) + L" Columns 3, reading stopped";
    EXPECT_EQ(ListView_GetItemCount(grid), shown);
    EXPECT_EQ(ql::Trimmed(program.StatusPaneText(1)), stopped);
    // Said once: moving to the end meets no new failure and asks nothing.
    SetForegroundWindow(program.MainWindow());
    SetFocus(grid);
    ASSERT_TRUE(program.PressKeys({VK_CONTROL, VK_END}));
    ASSERT_TRUE(program.Settle()) << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(ListView_GetItemCount(grid), shown);
    // The statement has ended with the failure: another process writes at once.
    EXPECT_TRUE(WriteElsewhere(L"UPDATE " + m_db.Quoted(m_table) + L" SET n = -1 WHERE id = 3"));

    ASSERT_TRUE(BreakLastPage(false));
    program.PostCommand(ID_QUERY_REFRESH);
    const std::wstring all = L"Rows " + std::to_wstring(kRows) + L" Columns 3";
    EXPECT_TRUE(ql::WaitFor([&] { return ql::Trimmed(program.StatusPaneText(1)) == all; }, 60000))
        << Narrow(program.StatusPaneText(1)) << Narrow(program.TakeMessageBox(100));
    EXPECT_EQ(ListView_GetItemCount(grid), kRows);
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
}

// Windows over a view whose every row is a long computation (it counts a product of the table
// for each), read on while the program is idle with the user's string asking for stepping: the
// whole read would take many minutes. Closed with Ctrl+F4, or gone with the connection, or with
// the program, a window goes at once and its statement with it: another process writes to the
// file at once, and a table window beside it keeps its rows. Ctrl+End on such a window waits
// with a dialog that Cancel ends.
TEST_P(GridSQLiteStreamE2E, AWindowReadingASlowViewClosesAtOnce)
{
    const std::wstring table = m_db.Quoted(m_table);
    const std::wstring view = ql::CScratchDatabase::NewName(L"ql_e2e_slow_");
    m_db.Exec(L"CREATE VIEW " + m_db.Quoted(view) + L" AS SELECT a.id, (SELECT count(*) FROM " +
              table + L" b, " + table + L" c WHERE c.id <= 40 AND b.n > a.id) AS c FROM " + table +
              L" a");
    const std::wstring write = L"UPDATE " + table + L" SET n = -1 WHERE id = 3";
    ASSERT_TRUE(program.StartConnected(m_db.Connect() + L"StepAPI=1;"));
    HWND tableWindow = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(tableWindow, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return ListView_GetItemCount(ql::GridOf(tableWindow)) == kRows; },
                            60000));

    // A window over the view, once it reads on by itself.
    auto openReading = [&] {
        if (!program.OpenViewGrid(m_db.Schema(), view, 60000))
            return HWND();
        HWND child = program.ActiveChild();
        HWND grid = ql::GridOf(child);
        int first = 0;
        if (!ql::WaitFor([&] { return (first = ListView_GetItemCount(grid)) > 0; }, 60000) ||
            !ql::WaitFor([&] { return ListView_GetItemCount(grid) > first; }, 60000))
            return HWND();
        return child;
    };
    // Well under the whole read, and under what one step of the read on used to take.
    const DWORD kPrompt = 10000;

    HWND reading = openReading();
    ASSERT_NE(reading, nullptr) << Narrow(program.StatusPaneText(1));
    EXPECT_FALSE(WriteElsewhere(write)) << "the statement reads on";
    // Ctrl+End there waits with a dialog whose Cancel ends the wait: the rows read stay, and
    // the window still reads on.
    {
        HWND grid = ql::GridOf(reading);
        SetForegroundWindow(program.MainWindow());
        SetFocus(grid);
        ASSERT_TRUE(program.PressKeys({VK_CONTROL, VK_END}));
        HWND wait = program.WaitForDialog(L"Please wait...", kPrompt);
        ASSERT_NE(wait, nullptr) << program.Describe();
        ASSERT_TRUE(CProgram::IsVisible(wait, IDCANCEL));
        // It tells the rows read so far.
        std::wstring told;
        EXPECT_TRUE(ql::WaitFor(
            [&] {
                wchar_t text[64] = {};
                GetDlgItemTextW(wait, IDC_WAIT_MESSAGE, text, 64);
                told = text;
                return told.size() > 10 && told.compare(told.size() - 10, 10, L" rows read") == 0;
            },
            kPrompt))
            << Narrow(told);
        CProgram::Click(wait, IDCANCEL);
        EXPECT_TRUE(
            ql::WaitFor([&] { return !IsWindow(wait) || !IsWindowVisible(wait); }, kPrompt));
        EXPECT_GT(ListView_GetItemCount(grid), 0);
        EXPECT_NE(ql::Trimmed(program.StatusPaneText(1)).rfind(L"Rows >= ", 0), std::wstring::npos)
            << Narrow(program.StatusPaneText(1));
        EXPECT_EQ(program.FindMessageBox(), nullptr);
        EXPECT_FALSE(WriteElsewhere(write)) << "the statement reads on";
    }
    ASSERT_TRUE(program.PressKeys({VK_CONTROL, VK_F4}));
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(reading); }, kPrompt));
    EXPECT_TRUE(WriteElsewhere(write));
    EXPECT_EQ(ListView_GetItemCount(ql::GridOf(tableWindow)), kRows);
    EXPECT_EQ(program.FindMessageBox(), nullptr);

    reading = openReading();
    ASSERT_NE(reading, nullptr);
    program.PostCommand(ID_CONNECT_CLOSE);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(reading); }, kPrompt));
    EXPECT_TRUE(WriteElsewhere(write));
    EXPECT_EQ(program.FindMessageBox(), nullptr);

    ASSERT_TRUE(program.ConnectWith(m_db.Connect() + L"StepAPI=1;"));
    reading = openReading();
    ASSERT_NE(reading, nullptr);
    EXPECT_TRUE(program.Close(kPrompt));
    EXPECT_TRUE(WriteElsewhere(write));
}

INSTANTIATE_TEST_SUITE_P(Products, GridSQLiteStreamE2E, testing::Values(ql::kE2ESQLite),
                         ql::ProductParamName());

} // namespace
