// Drives the program through every window and dialog a user can open, for pictures of them: the
// main window with its database bar, a grid window, a script window with the output of a run
// (the README's three), then each dialog on the demo database and, given a PostgreSQL
// connection and a schema prepared in it, the dialogs of stored procedures and constraints.
// Before each picture it writes "<folder>\<name>.ready" holding the window's screen rectangle
// ("left top right bottom", empty for the whole screen) and waits until the script that takes
// the picture removes it. Windows that did not open are listed in "<folder>\missing.txt", the
// place of each dialog against its owner in "<folder>\positions.txt".
// Usage: screenshot_driver <marker folder> <script file> [<PostgreSQL connection> <schema>]
#include "framework/command_ids.h"
#include "tests/support/program_driver.h"

#include <set>

namespace {

const int kOutputEdit = 112;
const UINT kWizardNext = 0x3024;

class CShots
{
public:
    CShots(ql::CProgram& program, const std::wstring& folder) : m_program(program), m_folder(folder)
    {
        ql::WriteFileBytes(m_folder + L"\\missing.txt", "");
        ql::WriteFileBytes(m_folder + L"\\positions.txt", "");
    }

    // Pictures the window (the whole screen when null) once it has painted.
    bool Picture(const std::wstring& name, HWND wnd = nullptr, bool place = true)
    {
        std::string rect;
        if (wnd != nullptr)
        {
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            RECT r{};
            GetWindowRect(wnd, &r);
            rect = std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                   std::to_string(r.right) + " " + std::to_string(r.bottom);
            if (place)
                Place(name, wnd, r);
        }
        Sleep(wnd ? 400 : 0); // lists fill and editors colour after the window shows
        const std::wstring marker = m_folder + L"\\" + name + L".ready";
        ql::WriteFileBytes(marker, rect);
        return ql::WaitFor([&] { return !ql::FileExists(marker); }, 60000);
    }

    // Runs the action and returns the dialog of the program it opened (a visible top-level
    // dialog that was not there before), or null.
    HWND Open(const std::function<void()>& action, DWORD timeoutMs = 15000)
    {
        const std::set<HWND> before = Dialogs();
        action();
        HWND found = nullptr;
        ql::WaitFor(
            [&] {
                for (HWND wnd : Dialogs())
                    if (!before.count(wnd))
                        found = wnd;
                return found != nullptr;
            },
            timeoutMs);
        return found;
    }

    // Closes the dialog as its Cancel would and waits until it has gone.
    static void Close(HWND dlg, int button = IDCANCEL)
    {
        if (dlg == nullptr)
            return;
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     (LPARAM)GetDlgItem(dlg, button));
        ql::WaitFor([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }, 10000);
    }

    // Opens a dialog with the action, pictures it and closes it; the dialog stays open (and is
    // returned) with keep.
    HWND Dialog(const std::wstring& name, const std::function<void()>& action, bool keep = false)
    {
        HWND dlg = Open(action);
        if (dlg == nullptr)
        {
            Missing(name);
            return nullptr;
        }
        Picture(name, dlg);
        if (!keep)
            Close(dlg);
        return keep ? dlg : nullptr;
    }

    // Pictures each tab of a tab control in the dialog as "<name>-<n>-<label>".
    void Tabs(const std::wstring& name, HWND dlg, HWND tabs)
    {
        const int count = (int)SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0);
        for (int i = 0; i < count; ++i)
        {
            m_program.ClickTab(tabs, i);
            ql::WaitFor([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == i; }, 5000);
            // The pages read the catalog in the background: wait for their rows.
            ql::WaitFor(
                [&] {
                    HWND list = ql::CProgram::FindVisibleControl(dlg, IDC_DBO_LIST);
                    return list == nullptr || SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0;
                },
                3000);
            Picture(name + L"-" + std::to_wstring(i + 1), dlg);
        }
    }

    // Pictures the popup menu the action opens and closes it again.
    void Menu(const std::wstring& name, const std::function<void()>& action)
    {
        action();
        HWND menu = nullptr;
        if (!ql::WaitFor([&] { return (menu = m_program.FindPopupMenu()) != nullptr; }, 5000))
        {
            Missing(name);
            return;
        }
        Sleep(200); // the menu paints its items after it shows
        Picture(name, menu, false);
        for (int i = 0; i < 3 && m_program.FindPopupMenu() != nullptr; ++i)
        {
            ql::CProgram::PressKey(m_program.FindPopupMenu(), VK_ESCAPE);
            ql::WaitFor([&] { return m_program.FindPopupMenu() == nullptr; }, 1000);
        }
        // The menu bar keeps its selection after the popup closed.
        PostMessageW(m_program.MainWindow(), WM_CANCELMODE, 0, 0);
    }

    // Closes whatever dialog is left open (a message box the run did not expect) but the one
    // to keep.
    void CloseAll(HWND keep = nullptr)
    {
        for (int round = 0; round < 5; ++round)
        {
            std::set<HWND> open = Dialogs();
            open.erase(keep);
            if (open.empty())
                return;
            for (HWND dlg : open)
                Close(dlg);
        }
    }

    void Missing(const std::wstring& name)
    {
        Append(L"missing.txt", name);
        fwprintf(stderr, L"screenshot driver: no %ls\n", name.c_str());
    }

private:
    std::set<HWND> Dialogs() const
    {
        std::set<HWND> found;
        // A job's wait dialog comes and goes on its own: it is not the dialog asked for.
        for (HWND wnd : m_program.TopWindows())
            if (ql::ClassName(wnd) == L"#32770" && ql::WindowText(wnd) != L"Please wait...")
                found.insert(wnd);
        return found;
    }

    // Where the dialog is against its owner: centred dialogs have their centre on the owner's.
    void Place(const std::wstring& name, HWND wnd, const RECT& r)
    {
        HWND owner = GetWindow(wnd, GW_OWNER);
        RECT o{};
        if (owner == nullptr || !GetWindowRect(owner, &o))
            return;
        wchar_t line[256];
        swprintf(line, 256, L"%ls: %ldx%ld at %ld,%ld; centre off the owner's by %ld,%ld",
                 name.c_str(), r.right - r.left, r.bottom - r.top, r.left, r.top,
                 (r.left + r.right) / 2 - (o.left + o.right) / 2,
                 (r.top + r.bottom) / 2 - (o.top + o.bottom) / 2);
        Append(L"positions.txt", line);
    }

    void Append(const std::wstring& file, const std::wstring& line)
    {
        const std::wstring path = m_folder + L"\\" + file;
        std::string text = ql::ReadFileBytes(path);
        for (wchar_t c : line)
            text += c < 0x80 ? (char)c : '?';
        ql::WriteFileBytes(path, text + "\n");
    }

    ql::CProgram& m_program;
    std::wstring m_folder;
};

bool ChooseFile(const ql::CProgram& program, const std::wstring& path)
{
    HWND dlg = program.WaitForDialog(L"Open");
    if (dlg == nullptr)
        return false;
    for (int id : {0x47C, 0x480})
        if (HWND edit = GetDlgItem(dlg, id))
            SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)path.c_str());
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    return ql::WaitFor([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); });
}

// Selects the rows of these names (first column) in a list of the program.
bool SelectRows(const ql::CProgram& program, HWND list, const std::vector<std::wstring>& names)
{
    program.SelectListItem(list, -1, false);
    for (const std::wstring& name : names)
    {
        int row = -1;
        if (!ql::WaitFor([&] { return (row = program.FindListText(list, name)) >= 0; }, 5000))
            return false;
        program.SelectListItem(list, row);
    }
    return true;
}

int Fail(const char* what)
{
    fprintf(stderr, "screenshot driver: %s\n", what);
    return 1;
}

// The connection dialogs, the properties of the connection and the help.
void ConnectionDialogs(ql::CProgram& program, CShots& shots)
{
    shots.Dialog(L"connection-strings", [&] { program.PostCommand(ID_CONNECT_STRINGS); });
    shots.Dialog(L"connect-dsn", [&] { program.PostCommand(ID_CONNECT_DSN); });
    shots.Dialog(L"connect-driver", [&] { program.PostCommand(ID_CONNECT_DRIVER); });
    shots.Dialog(L"connect-file", [&] { program.PostCommand(ID_CONNECT_FILE); });
    if (HWND props = shots.Dialog(
            L"driver-properties", [&] { program.PostCommand(ID_CONNECT_PROPERTIES); }, true))
    {
        if (HWND tabs = ql::CProgram::FindDescendant(props, L"SysTabControl32"))
            shots.Tabs(L"driver-properties", props, tabs);
        CShots::Close(props);
    }
    shots.Dialog(L"types", [&] { program.PostCommand(ID_CONNECT_TYPES); });
    shots.Dialog(L"functions", [&] { program.PostCommand(ID_CONNECT_FUNCTIONS); });
    shots.Dialog(L"about", [&] { program.PostCommand(ID_APP_ABOUT); });
    if (HWND options = shots.Dialog(
            L"options", [&] { program.PostCommand(ID_VIEW_OPTIONS); }, true))
    {
        for (int page = 0; page < 3; ++page)
        {
            SendMessageW(options, PSM_SETCURSEL, page, 0);
            shots.Picture(L"options-" + std::to_wstring(page + 1), options);
        }
        CShots::Close(options);
    }
    program.PostCommand(ID_DB_BEGIN_TRANS);
    if (HWND end = shots.Dialog(
            L"end-transaction", [&] { program.PostCommand(ID_DB_END_TRANS); }, true))
        CShots::Close(end, IDC_ROLLBACK);
    shots.Dialog(L"trace-on", [&] { program.PostCommand(ID_DB_TRACE_ON); });
}

// The Tables and Views dialogs and what opens from them: information pages, rename,
// constraints, the join wizard, the save dialogs.
void TablesDialogs(ql::CProgram& program, CShots& shots, const std::wstring& folder)
{
    shots.Dialog(L"views", [&] { program.PostCommand(ID_QUERY_VIEWS); });
    shots.Dialog(L"procedures-sqlite", [&] { program.PostCommand(ID_QUERY_PROCEDURES); });
    HWND tables = shots.Dialog(
        L"tables", [&] { program.PostCommand(ID_QUERY_TABLES); }, true);
    if (tables == nullptr)
        return;
    HWND list = ql::CProgram::Item(tables, IDC_TABLES_LIST);
    if (SelectRows(program, list, {L"orders"}))
    {
        if (HWND info = shots.Dialog(
                L"info-orders", [&] { ql::CProgram::Click(tables, IDC_TABLES_INFO); }, true))
        {
            if (HWND tabs = ql::CProgram::Item(info, IDC_DBO_TABS))
                shots.Tabs(L"info-orders", info, tabs);
            ShowWindow(info, SW_MAXIMIZE);
            shots.Picture(L"info-orders-maximized");
            ShowWindow(info, SW_RESTORE);
            shots.Picture(L"info-orders-restored", info);
            CShots::Close(info);
        }
        shots.Dialog(L"rename", [&] { ql::CProgram::Click(tables, IDC_TABLES_RENAME); });
        if (HWND save = shots.Dialog(
                L"save-data", [&] { ql::CProgram::Click(tables, IDC_TABLES_SAVE); }, true))
        {
            const std::wstring file = folder + L"\\orders.sql";
            DeleteFileW(file.c_str());
            shots.Dialog(L"save-sql-options",
                         [&] { ql::CProgram::ChooseSaveFile(save, file, L"SQL"); });
            shots.CloseAll(tables);
        }
        if (HWND save = shots.Open([&] { ql::CProgram::Click(tables, IDC_TABLES_SAVE); }))
        {
            const std::wstring file = folder + L"\\orders.csv";
            DeleteFileW(file.c_str());
            shots.Dialog(L"save-csv-options",
                         [&] { ql::CProgram::ChooseSaveFile(save, file, L"Comma"); });
            shots.CloseAll(tables);
        }
    }
    if (SelectRows(program, list, {L"orders", L"customers", L"items"}))
    {
        if (HWND wizard = shots.Dialog(
                L"join-1-order", [&] { ql::CProgram::Click(tables, IDC_TABLES_JOIN); }, true))
        {
            PostMessageW(wizard, WM_COMMAND, kWizardNext, 0);
            HWND editor = nullptr;
            ql::WaitFor([&] {
                editor = ql::CProgram::FindDescendant(wizard, L"RColorEditorClass");
                return editor != nullptr && IsWindowVisible(editor);
            });
            shots.Picture(L"join-2-sql", wizard);
            CShots::Close(wizard);
        }
    }
    shots.CloseAll();
}

// The dialogs of a table's grid window: filter, sort, columns, go to (orders refer to
// customers), edit value, show SQL, table information, save data.
void GridDialogs(ql::CProgram& program, CShots& shots)
{
    HWND child = ql::OpenTable(program, L"", L"orders");
    if (child == nullptr)
    {
        shots.Missing(L"orders grid");
        return;
    }
    // Go To and Edit Value work on the current cell.
    HWND grid = ql::GridOf(child);
    program.ClickListCell(grid, 2, 3); // "Order Note": text, edited in the dialog
    Sleep(500);
    // A click on an editable cell may start its in-place editor: leave it.
    if (HWND editor = ql::CProgram::InPlaceEditor(grid))
        ql::CProgram::PressKey(editor, VK_ESCAPE);
    ql::WaitFor([&] { return ql::CProgram::InPlaceEditor(grid) == nullptr; }, 3000);
    shots.Picture(L"grid-table");
    const std::vector<std::pair<const wchar_t*, UINT>> dialogs = {
        {L"grid-filter", ID_QUERY_FILTER},       {L"grid-sort", ID_QUERY_SORT},
        {L"grid-columns", ID_QUERY_COLUMNS},     {L"grid-goto", ID_QUERY_GOTO},
        {L"grid-edit-value", ID_EDIT_VALUE},     {L"grid-show-sql", ID_QUERY_SHOW_SQL},
        {L"grid-save-data", ID_QUERY_SAVE_DATA},
    };
    for (const auto& [name, command] : dialogs)
    {
        shots.Dialog(name, [&] { program.PostCommand(command); });
        shots.CloseAll();
    }
    shots.Menu(L"menu-grid", [&] {
        RECT r{};
        GetWindowRect(grid, &r);
        PostMessageW(grid, WM_CONTEXTMENU, (WPARAM)grid,
                     MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    });
    // The main menus as they stand for a table's grid window.
    for (const auto& [menu, key] :
         std::vector<std::pair<std::wstring, wchar_t>>{{L"connect", L'c'},
                                                       {L"scripts", L's'},
                                                       {L"edit", L'e'},
                                                       {L"query", L'q'},
                                                       {L"database", L'd'},
                                                       {L"view", L'v'},
                                                       {L"window", L'w'},
                                                       {L"help", L'h'}})
        shots.Menu(L"menu-" + menu, [&, key = key] {
            PostMessageW(program.MainWindow(), WM_SYSCOMMAND, SC_KEYMENU, key);
        });
    if (HWND info = shots.Dialog(
            L"grid-info", [&] { program.PostCommand(ID_QUERY_TABLE_INFO); }, true))
    {
        if (HWND tabs = ql::CProgram::Item(info, IDC_DBO_TABS))
            shots.Tabs(L"grid-info", info, tabs);
        CShots::Close(info);
    }
    if (HWND filter = shots.Open([&] { program.PostCommand(ID_QUERY_FILTER); }))
    {
        ql::AddFilterCondition(program, filter, L"customer_id", L"=", L"7");
        shots.Picture(L"grid-filter-condition", filter);
        shots.CloseAll();
    }
    // Sorted from a column's header, the column shows its sort mark.
    if (program.ClickListHeader(grid, 1) && program.ChoosePopupMenuEntry(0) &&
        program.WaitForGrid() && program.Settle())
    {
        shots.Picture(L"grid-sorted");
    }
    else
        shots.Missing(L"grid-sorted");
}

// A query grid's answers: the first edit of a column the query computed says why it is not
// edited, and Copy refuses a row holding a value longer than the grid keeps.
void QueryGridRefusals(ql::CProgram& program, CShots& shots)
{
    auto query = [&](const std::wstring& sql) {
        const std::vector<HWND> before = program.Children();
        HWND grid =
            ql::RunQuery(program, sql) ? ql::GridOf(program.WaitForNewGrid(before)) : nullptr;
        if (grid != nullptr)
            ql::WaitFor([&] { return ListView_GetItemCount(grid) > 0; }, 10000);
        return grid;
    };
    if (HWND grid = query(L"SELECT product_id, name, price * 2 AS double_price FROM products"))
    {
        shots.Dialog(L"grid-computed-edit", [&] { program.ClickListCell(grid, 0, 2, true); });
        shots.CloseAll();
    }
    else
        shots.Missing(L"grid-computed-edit");
    if (HWND grid = query(L"SELECT 1 AS id, hex(zeroblob(40000)) AS long_text"))
    {
        program.ClickListCell(grid, 0, 0);
        shots.Dialog(L"grid-copy-cut", [&] { program.PostCommand(ID_EDIT_COPY); });
        shots.CloseAll();
    }
    else
        shots.Missing(L"grid-copy-cut");
}

// A table window whose reading on meets a broken page of its database file: the message, then
// the window that keeps the rows read and says that the reading stopped.
void StoppedRows(ql::CProgram& program, CShots& shots)
{
    // The SQLite driver is the system's own: it takes the file's path as the script gave it.
    const wchar_t* work = _wgetenv(L"QL_WORK");
    if (work == nullptr)
    {
        shots.Missing(L"grid-rows-stopped (no QL_WORK)");
        return;
    }
    program.PostCommand(ID_WINDOW_CLOSE_ALL);
    for (int i = 0; i < 5 && program.WaitForMessageBox(2000); ++i)
        program.AnswerMessageBox(IDNO);
    if (!program.ConnectWith(L"Driver=SQLite3;Database=" + std::wstring(work) +
                             L"/broken-rows.db;") ||
        !ql::WaitFor([&] { return program.Title().find(L"broken-rows") != std::wstring::npos; }))
    {
        shots.Missing(L"grid-rows-stopped");
        return;
    }
    program.WaitUntilIdle();
    HWND box = shots.Open([&] { ql::OpenTable(program, L"", L"readings"); }, 60000);
    if (box == nullptr)
    {
        shots.Missing(L"grid-rows-stopped");
        return;
    }
    shots.Picture(L"grid-rows-stopped-box", box);
    CShots::Close(box, IDOK);
    ql::WaitFor(
        [&] { return program.StatusPaneText(1).find(L"reading stopped") != std::wstring::npos; });
    shots.Picture(L"grid-rows-stopped");
}

// The dialogs of a PostgreSQL schema prepared for the pictures (a function with inputs and
// outputs, tables with constraints): stored procedures, their information pages, parameters
// and results of a call, the constraints of a schema.
void ServerDialogs(ql::CProgram& program, CShots& shots, const std::wstring& connect,
                   const std::wstring& schema)
{
    // Leave the demo database without a question: the script windows hold unsaved text.
    program.PostCommand(ID_WINDOW_CLOSE_ALL);
    for (int i = 0; i < 5 && program.WaitForMessageBox(2000); ++i)
        program.AnswerMessageBox(IDNO);
    if (!program.ConnectWith(connect) ||
        !ql::WaitFor([&] { return program.Title().find(L"quenlark") != std::wstring::npos; }) ||
        !program.WaitUntilIdle())
    {
        shots.Missing(L"postgres connection");
        shots.Picture(L"postgres-connection");
        shots.CloseAll();
        return;
    }
    const std::wstring name = L"order_total";
    HWND procs = shots.Dialog(
        L"procedures", [&] { program.PostCommand(ID_QUERY_PROCEDURES); }, true);
    if (procs != nullptr)
    {
        HWND list = ql::CProgram::Item(procs, IDC_TABLES_LIST);
        int row = -1;
        ql::WaitFor([&] { return (row = program.FindListText(list, name, schema.c_str())) >= 0; },
                    10000);
        if (row >= 0)
        {
            program.SelectListItem(list, -1, false);
            program.SelectListItem(list, row);
            if (HWND info = shots.Dialog(
                    L"info-procedure", [&] { ql::CProgram::Click(procs, IDC_TABLES_INFO); }, true))
            {
                if (HWND tabs = ql::CProgram::Item(info, IDC_DBO_TABS))
                    shots.Tabs(L"info-procedure", info, tabs);
                CShots::Close(info);
            }
            if (HWND params = shots.Dialog(
                    L"procedure-parameters", [&] { ql::CProgram::Click(procs, IDOK); }, true))
            {
                HWND plist = ql::CProgram::Item(params, IDC_PROC_PARAMS_LIST);
                program.EditParamValue(plist, 0, L"7");
                program.EditParamValue(plist, 1, L"2026-01-01");
                shots.Picture(L"procedure-parameters-filled", params);
                shots.Dialog(L"procedure-executed", [&] { ql::CProgram::Click(params, IDOK); });
                // The output values follow the message.
                if (HWND results = program.WaitForDialog(L"Results", 10000))
                {
                    shots.Picture(L"procedure-results", results);
                    CShots::Close(results, IDOK);
                }
                else
                    shots.Missing(L"procedure-results");
            }
        }
        else
            shots.Missing(L"procedure " + name);
    }
    shots.CloseAll();
    if (HWND tables = shots.Open([&] { program.PostCommand(ID_QUERY_TABLES); }))
    {
        HWND list = ql::CProgram::Item(tables, IDC_TABLES_LIST);
        int row = -1;
        ql::WaitFor(
            [&] { return (row = program.FindListText(list, L"shipments", schema.c_str())) >= 0; },
            10000);
        if (row >= 0)
        {
            program.SelectListItem(list, -1, false);
            program.SelectListItem(list, row);
            if (HWND info = shots.Dialog(
                    L"info-table", [&] { ql::CProgram::Click(tables, IDC_TABLES_INFO); }, true))
            {
                if (HWND tabs = ql::CProgram::Item(info, IDC_DBO_TABS))
                    shots.Tabs(L"info-table", info, tabs);
                CShots::Close(info);
            }
            // The table's window: its dates read from the server's text of them.
            ql::CProgram::Click(tables, IDOK);
            if (program.WaitForGrid() && program.Settle())
                shots.Picture(L"grid-postgres");
            else
                shots.Missing(L"grid-postgres");
        }
        shots.CloseAll();
    }
    // A query's result: its dates and its timestamptz read from the server's text of them.
    {
        const std::vector<HWND> before = program.Children();
        HWND grid = ql::RunQuery(program, L"SELECT shipment_id, sent, sent + time '10:30' AT "
                                          L"TIME ZONE 'Europe/Berlin' AS sent_at FROM " +
                                              schema + L".shipments ORDER BY 1")
                        ? ql::GridOf(program.WaitForNewGrid(before))
                        : nullptr;
        if (grid != nullptr &&
            ql::WaitFor([&] { return ListView_GetItemCount(grid) > 0; }, 10000) && program.Settle())
            shots.Picture(L"grid-postgres-query");
        else
            shots.Missing(L"grid-postgres-query");
        shots.CloseAll();
    }
    shots.Dialog(L"constraints", [&] { program.PostCommand(ID_QUERY_CONSTRAINTS); });
    shots.CloseAll();
    // A script that takes its time runs behind the wait dialog when it may be cancelled.
    if (HWND options = shots.Open([&] { program.PostCommand(ID_VIEW_OPTIONS); }))
    {
        SendMessageW(options, PSM_SETCURSEL, 0, 0);
        HWND page = (HWND)SendMessageW(options, PSM_GETCURRENTPAGEHWND, 0, 0);
        SendMessageW(ql::CProgram::Item(page, IDC_OPT_CANCEL_EXEC), BM_SETCHECK, BST_CHECKED, 0);
        CShots::Close(options, IDOK);
    }
    program.PostCommand(ID_FILE_NEW);
    HWND editor = nullptr;
    ql::WaitFor([&] {
        editor = ql::CProgram::FindDescendant(program.ActiveChild(), L"RColorEditorClass");
        return editor != nullptr;
    });
    if (editor != nullptr)
    {
        SendMessageW(editor, WM_SETTEXT, 0, (LPARAM)L"SELECT pg_sleep(5);\r\n");
        if (HWND run = shots.Open([&] { program.PostCommand(ID_SCRIPT_EXECUTE_CURRENT); }))
        {
            SendMessageW(ql::CProgram::Item(run, 1037), BM_SETCHECK, BST_UNCHECKED, 0);
            ql::CProgram::Click(run, IDOK);
            if (HWND wait = program.WaitForDialog(L"Please wait...", 5000))
                shots.Picture(L"wait", wait);
            else
                shots.Missing(L"wait");
        }
    }
    program.WaitUntilIdle();
    shots.CloseAll();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return Fail(
            "usage: screenshot_driver <marker folder> <script file> [<connection> <schema>]");
    const std::wstring folder = argv[1];
    const std::wstring script = argv[2];
    const std::wstring postgres = argc > 4 ? argv[3] : L"";
    const std::wstring schema = argc > 4 ? argv[4] : L"";
    ql::CProgram program;
    if (!program.Start())
        return Fail("the program did not start");
    CShots shots(program, folder);
    ShowWindow(program.MainWindow(), SW_MAXIMIZE);
    // Connecting at start and the database bar's fill run in the background.
    HWND tree = nullptr;
    ql::WaitFor([&] {
        tree = program.FindChild(ql::CProgram::kTablesTreeId);
        return tree && SendMessageW(tree, TVM_GETCOUNT, 0, 0) > 1;
    });
    program.WaitUntilIdle();
    Sleep(1000);
    if (!shots.Picture(L"main"))
        return Fail("no main window picture");
    // The other tabs of the database bar.
    if (HWND strip = program.FindChild(ql::CProgram::kBarSwitchId))
    {
        for (const wchar_t* tab : {L"Views", L"Procedures", L"Triggers", L"Tables"})
        {
            if (!ql::WaitFor([&] { return program.ClickStripTab(strip, tab); }, 5000))
            {
                shots.Missing(std::wstring(L"database bar tab ") + tab);
                continue;
            }
            program.WaitUntilIdle();
            if (std::wstring(tab) != L"Tables")
                shots.Picture(std::wstring(L"dbbar-") + tab, GetParent(strip));
        }
    }

    ConnectionDialogs(program, shots);
    TablesDialogs(program, shots, folder);

    const std::vector<HWND> before = program.Children();
    HWND query = shots.Dialog(
        L"sql-query", [&] { program.PostCommand(ID_QUERY_SQL); }, true);
    if (query == nullptr)
        return Fail("no SQL query dialog");
    ql::CProgram::SetText(query, IDC_SQL_EDITOR,
                          L"SELECT o.order_id, c.name, c.city, o.ordered\r\nFROM orders o JOIN "
                          L"customers c ON c.customer_id = o.customer_id\r\nORDER BY o.order_id");
    shots.Picture(L"sql-query-filled", query);
    ql::CProgram::Click(query, IDOK);
    if (program.WaitForNewGrid(before) == nullptr)
        return Fail("no grid window");
    Sleep(1000);
    if (!shots.Picture(L"grid"))
        return Fail("no grid picture");
    GridDialogs(program, shots);

    program.PostCommand(ID_SCRIPT_OPEN);
    if (!ChooseFile(program, script))
        return Fail("no script open dialog");
    Sleep(500);
    program.PostCommand(ID_SCRIPT_EXECUTE_FILE);
    if (!ChooseFile(program, script))
        return Fail("no script run dialog");
    HWND options = program.WaitForDialog(L"Execute SQL Script");
    if (options == nullptr)
        return Fail("no script options");
    shots.Picture(L"execute-script", options);
    // Without a transaction of its own the run asks nothing at its end.
    SendMessageW(ql::CProgram::Item(options, 1037), BM_SETCHECK, BST_UNCHECKED, 0);
    ql::CProgram::Click(options, IDOK);
    if (!ql::WaitFor([&] {
            return ql::WindowText(program.FindChild(kOutputEdit)).find(L"Executed") !=
                   std::wstring::npos;
        }))
        return Fail("no script output");
    Sleep(1000);
    if (!shots.Picture(L"script"))
        return Fail("no script picture");
    if (HWND editor = ql::CProgram::FindDescendant(program.ActiveChild(), L"RColorEditorClass"))
        shots.Menu(L"menu-script", [&] {
            RECT r{};
            GetWindowRect(editor, &r);
            PostMessageW(editor, WM_CONTEXTMENU, (WPARAM)editor,
                         MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        });
    shots.Dialog(L"script-find", [&] { program.PostCommand(ID_EDIT_FIND); });
    shots.Dialog(L"script-replace", [&] { program.PostCommand(ID_EDIT_REPLACE); });
    shots.Dialog(L"script-save-as", [&] { program.PostCommand(ID_FILE_SAVE_AS); });
    shots.CloseAll();

    // A statement the database refuses after one it ran, from a new script window.
    program.PostCommand(ID_FILE_NEW);
    ql::WaitFor([&] { return program.ActiveEditorText().empty(); }, 5000);
    Sleep(300);
    if (HWND editor = ql::CProgram::FindDescendant(program.ActiveChild(), L"RColorEditorClass"))
        SendMessageW(editor, WM_SETTEXT, 0,
                     (LPARAM)L"SELECT 1;\r\nSELECT * FROM no_such_table;\r\n");
    if (HWND run = shots.Open([&] { program.PostCommand(ID_SCRIPT_EXECUTE_CURRENT); }))
    {
        SendMessageW(ql::CProgram::Item(run, 1037), BM_SETCHECK, BST_UNCHECKED, 0);
        if (HWND error = shots.Open([&] { ql::CProgram::Click(run, IDOK); }))
        {
            shots.Picture(L"sql-error", error);
            shots.Picture(L"script-error");
            CShots::Close(error, IDCANCEL);
        }
        else
            shots.Missing(L"sql-error");
    }
    shots.CloseAll();

    QueryGridRefusals(program, shots);
    StoppedRows(program, shots);
    if (!postgres.empty())
        ServerDialogs(program, shots, postgres, schema);
    program.Kill();
    return 0;
}
