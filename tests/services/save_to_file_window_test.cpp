// Saving a result to a file the way the grid window's Save Data does: the system's save dialog
// (file name, format), the format's options dialog, the wait dialog while the job copies the
// rows, and the file on disk.
#include "export_test_util.h"

#include "dbaccess/recordset.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "services/excel_data_file.h"
#include "tests/support/wait_for.h"
#include "tests/grid/grid_test_cursor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace QlExportTest;

namespace {

// Steps run from a thread timer while the operation under test runs its modal loops; each
// step waits (returns false) until its window is there.
class CTimerScript
{
public:
    typedef std::function<bool()> Step;
    explicit CTimerScript(std::vector<Step> steps) : m_steps(std::move(steps))
    {
        s_pCurrent = this;
        m_timer = ::SetTimer(nullptr, 0, 50, &CTimerScript::Tick);
    }
    ~CTimerScript()
    {
        ::KillTimer(nullptr, m_timer);
        s_pCurrent = nullptr;
    }
    bool Done() const { return m_next == m_steps.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        CTimerScript* self = s_pCurrent;
        if (!self || self->m_bBusy || self->Done())
            return;
        self->m_bBusy = true;
        if (self->m_steps[self->m_next]())
            ++self->m_next;
        self->m_bBusy = false;
    }
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_bBusy = false;
    UINT_PTR m_timer = 0;
    static inline CTimerScript* s_pCurrent = nullptr;
};

HWND FindVisibleDialog(LPCWSTR caption)
{
    struct CFind
    {
        LPCWSTR caption;
        HWND found = nullptr;
    } find{caption};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND h, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<CFind*>(p);
            wchar_t text[128] = {};
            ::GetWindowTextW(h, text, 128);
            if (::IsWindowVisible(h) && wcscmp(text, f->caption) == 0)
            {
                f->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// Fills the system's save dialog: the file name and the filter entry, then OK.
CTimerScript::Step SaveAs(const CString& path, int filterIndex)
{
    return [path, filterIndex] {
        HWND h = FindVisibleDialog(L"Save As");
        if (!h)
            return false;
        HWND name = ::GetDlgItem(h, 0x47C); // the file name combo's edit, or the plain edit
        if (!name)
            name = ::GetDlgItem(h, 0x480);
        ::SetWindowTextW(name, path);
        HWND types = ::GetDlgItem(h, 0x470);
        ::SendMessageW(types, CB_SETCURSEL, filterIndex, 0);
        // The dialog takes the type on CBN_SELENDOK (Wine) or CBN_SELCHANGE (Windows).
        ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), (LPARAM)types);
        ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), (LPARAM)types);
        ::PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(h, IDOK));
        return true;
    };
}

class SaveToFile : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_helper.Connect(m_file.Connect(), nullptr, 0, 0, 0));
        // A file left by an earlier run of the same (Wine) process id may hold the table.
        m_helper.GetDatabase().ExecuteSQL(L"DROP TABLE IF EXISTS t");
        m_helper.GetDatabase().ExecuteSQL(L"CREATE TABLE t (id integer, name text)");
        m_helper.GetDatabase().ExecuteSQL(
            L"INSERT INTO t VALUES (1, 'one'), (2, 'two; \"2\"'), (3, NULL)");
    }

    QlTestDb::TempSQLiteFile m_file;
    CRDatabaseHelper m_helper;
};

} // namespace

TEST_F(SaveToFile, CsvThroughTheDialogsInTheGridsColumnOrder)
{
    TempOutput out(L".csv");
    CRRecordset rs(&m_helper.GetDatabase());
    ASSERT_TRUE(rs.Open(L"SELECT id, name FROM t ORDER BY id", RS_STATIC, RS_READONLY));
    std::vector<int> columns = {1, 0};
    bool bSaved = false;
    {
        // A view offers HTML, CSV, Excel: CSV is the second entry.
        CTimerScript script({SaveAs(out.Path(), 1), [] {
                                 HWND h = FindVisibleDialog(L"Save As CSV File");
                                 if (!h)
                                     return false;
                                 ::SetDlgItemTextW(h, IDC_EXPORT_SEPARATOR, L";");
                                 ::PostMessageW(h, WM_COMMAND, IDOK, 0);
                                 return true;
                             }});
        bSaved = m_helper.SaveDataToFile(&rs, CStringPair(L"", L"t"), DBOBJ_VIEW, &columns, nullptr,
                                         nullptr);
        EXPECT_TRUE(script.Done());
    }
    EXPECT_TRUE(bSaved);
    EXPECT_EQ(Utf16Bytes(L"\xFEFF\"name\";\"id\"\none;1\n\"two; \"\"2\"\"\";2\n;3\n"),
              ReadBytes(out.Path()));
}

TEST_F(SaveToFile, WorkbookGetsItsExtensionAndTheStatementAsDescription)
{
    CExcelDataFile::ForceStandIn(true);
    TempOutput out(L".xlsx");
    CString withoutExtension = out.Path().Left(out.Path().GetLength() - 5);
    CRRecordset rs(&m_helper.GetDatabase());
    ASSERT_TRUE(rs.Open(L"SELECT id, name FROM t ORDER BY id", RS_STATIC, RS_READONLY));
    bool bSaved = false;
    {
        // A table offers all four: Excel is the last entry.
        CTimerScript script({SaveAs(withoutExtension, 3)});
        bSaved = m_helper.SaveDataToFile(&rs, CStringPair(L"", L"t"), DBOBJ_TABLE, nullptr, nullptr,
                                         L"SELECT id, name FROM t ORDER BY id");
        EXPECT_TRUE(script.Done());
    }
    CExcelDataFile::ForceStandIn(false);
    EXPECT_TRUE(bSaved);
    std::string bytes = ReadBytes(out.Path());
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ("PK", bytes.substr(0, 2));
    TempOutput py(L".py");
    WriteBytes(py.Path(), "import sys, openpyxl\n"
                          "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
                          "print(ws.title, [[c.value for c in r] for r in ws.iter_rows()])\n");
    std::string got;
    RunNative(L"/usr/bin/python3 " + std::wstring(py.Unix()) + L" " + std::wstring(out.Unix()),
              &got);
    EXPECT_EQ("t [['SELECT id, name FROM t ORDER BY id', None], ['id', 'name'], [1, 'one'], [2, "
              "'two; \"2\"'], [3, None]]\n",
              got);
}

TEST_F(SaveToFile, CancelLeavesAWellFormedPartialFile)
{
    // A result that takes its time: past its first rows it waits until the user's Cancel has
    // been answered, then every row costs a few milliseconds.
    // Set once the user's Cancel has been answered.
    const HANDLE released = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct CSlowCursor : GridTest::TestCursor
    {
        HANDLE released = nullptr;
        int moves = 0;
        void Slow()
        {
            // The time-out is there for a hang only.
            if (++moves > 50)
                ::WaitForSingleObject(released, 30000);
            // Time is the only signal here: the job learns of the Cancel from a flag of its own,
            // which the user-interface thread's wait loop sets once the question's box has gone,
            // and nothing outside the job can see that flag. The rows after the answer take
            // about nine seconds, far more than that step.
            ::Sleep(3);
        }
        bool MoveNext() override
        {
            Slow();
            return GridTest::TestCursor::MoveNext();
        }
        bool SetAbsolutePosition(int row) override
        {
            Slow();
            return GridTest::TestCursor::SetAbsolutePosition(row);
        }
    } c;
    c.released = released;
    c.AddColumn(L"v", SQL_C_WCHAR, SQL_WVARCHAR);
    for (int i = 0; i < 3000; ++i)
        c.rows.push_back({GridTest::Text(L"row")});
    TempOutput out(L".htm");
    bool bSaved = true;
    CString question, incomplete;
    // While the job runs, the wait dialog's pump dispatches no timer of this thread: a second
    // thread plays the user there, through posted messages.
    const DWORD uiThread = ::GetCurrentThreadId();
    std::atomic<bool> stop{false};
    std::thread user([&] {
        auto find = [&](auto test) {
            HWND found = nullptr;
            auto data = std::make_pair(&test, &found);
            ::EnumThreadWindows(
                uiThread,
                [](HWND h, LPARAM p) -> BOOL {
                    auto* d = reinterpret_cast<decltype(data)*>(p);
                    if (::IsWindowVisible(h) && (*d->first)(h))
                    {
                        *d->second = h;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&data));
            return found;
        };
        // Each step waits for its window until the save has ended (the time-out is there for a
        // hang only).
        auto waitFor = [&](HWND& found, auto&& isIt) {
            ql::WaitFor([&] { return stop || (found = find(isIt)) != nullptr; }, 60000);
        };
        HWND wait = nullptr;
        // Cancel once the message line counts rows.
        waitFor(wait, [](HWND h) {
            wchar_t text[64] = {}, count[32] = {};
            ::GetWindowTextW(h, text, 64);
            return wcscmp(text, L"Please wait...") == 0 &&
                   ::GetDlgItemTextW(h, 1003, count, 32) > 0;
        });
        if (wait)
            ::PostMessageW(wait, WM_COMMAND, IDCANCEL, 0);
        HWND box = nullptr;
        waitFor(box, [](HWND h) {
            wchar_t cls[32] = {};
            ::GetClassNameW(h, cls, 32);
            return wcscmp(cls, L"#32770") == 0 && ::GetDlgItem(h, 0xFFFF) != nullptr;
        });
        if (box)
        {
            wchar_t text[256] = {};
            ::GetDlgItemTextW(box, 0xFFFF, text, 256);
            question = text;
            ::PostMessageW(box, WM_COMMAND, IDYES, 0);
            ql::WaitFor([&] { return stop || !::IsWindow(box); }, 60000);
        }
        ::SetEvent(released);
        // Then the word on the file the save leaves.
        HWND said = nullptr;
        waitFor(said, [](HWND h) {
            wchar_t text[512] = {};
            return ::GetDlgItemTextW(h, 0xFFFF, text, 512) > 0 &&
                   wcsstr(text, L"incomplete") != nullptr;
        });
        if (said)
        {
            wchar_t text[512] = {};
            ::GetDlgItemTextW(said, 0xFFFF, text, 512);
            incomplete = text;
            ::PostMessageW(said, WM_COMMAND, IDOK, 0);
        }
    });
    {
        CTimerScript script({SaveAs(out.Path(), 0)});
        bSaved = m_helper.SaveDataToFile(&c, CStringPair(L"", L"t"), DBOBJ_VIEW, nullptr, nullptr,
                                         nullptr);
        EXPECT_TRUE(script.Done());
    }
    stop = true;
    user.join();
    ::CloseHandle(released);
    EXPECT_FALSE(bSaved);
    EXPECT_EQ(CString(L"Are you really want to stop?"), question);
    std::string bytes = ReadBytes(out.Path());
    size_t rows = 0;
    for (size_t at = bytes.find("<TD>row"); at != std::string::npos;
         at = bytes.find("<TD>row", at + 1))
        ++rows;
    EXPECT_GT(rows, 0u);
    EXPECT_LT(rows, 3000u);
    // Said once the file is closed, with the rows it holds.
    CString said;
    said.Format(L"\nThe file is incomplete: it holds only %d rows.", (int)rows);
    EXPECT_EQ(CString(out.Path()) + said, incomplete);
    // The table and the document are closed after the last finished row.
    EXPECT_NE(std::string::npos,
              bytes.find("<TD>row\r\n</TBODY>\r\n</TABLE>\r\n<BR>\r\n</BODY></HTML>\r\n"));
    EXPECT_EQ(bytes.size() - strlen("</BODY></HTML>\r\n"), bytes.find("</BODY></HTML>"));
}
