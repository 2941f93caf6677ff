// Drives the program for the README's pictures: the main window connected to the demo database
// with its database bar, a grid window of a query, a script window with the output of a run.
// Before each picture it writes "<folder>\<name>.ready" and waits until the script that takes
// the picture removes it.
// Usage: screenshot_driver <marker folder> <script file>
#include "tests/support/program_driver.h"

namespace {

const UINT kSQLQuery = 32775;
const UINT kOpenScript = 32835;
const UINT kExecuteFile = 32878;
const int kOutputEdit = 112;

bool Picture(const std::wstring& folder, const std::wstring& name)
{
    const std::wstring marker = folder + L"\\" + name + L".ready";
    ql::WriteFileBytes(marker, "");
    return ql::WaitFor([&] { return !ql::FileExists(marker); }, 60000);
}

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

int Fail(const char* what)
{
    fprintf(stderr, "screenshot driver: %s\n", what);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return Fail("usage: screenshot_driver <marker folder> <script file>");
    const std::wstring folder = argv[1];
    const std::wstring script = argv[2];
    ql::CProgram program;
    if (!program.Start())
        return Fail("the program did not start");
    ShowWindow(program.MainWindow(), SW_MAXIMIZE);
    Sleep(4000); // connecting at start and the database bar's fill run in the background
    if (!Picture(folder, L"main"))
        return Fail("no main window picture");

    program.PostCommand(kSQLQuery);
    HWND dlg = program.WaitForDialog(L"Execute SQL");
    if (dlg == nullptr)
        return Fail("no SQL query dialog");
    ql::CProgram::SetText(dlg, 1001,
                          L"SELECT o.order_id, c.name, c.city, o.ordered\r\nFROM orders o JOIN "
                          L"customers c ON c.customer_id = o.customer_id\r\nORDER BY o.order_id");
    ql::CProgram::Click(dlg, IDOK);
    if (!ql::WaitFor([&] { return program.ActiveChild() != nullptr; }))
        return Fail("no grid window");
    Sleep(1500);
    if (!Picture(folder, L"grid"))
        return Fail("no grid picture");

    program.PostCommand(kOpenScript);
    if (!ChooseFile(program, script))
        return Fail("no script open dialog");
    Sleep(500);
    program.PostCommand(kExecuteFile);
    if (!ChooseFile(program, script))
        return Fail("no script run dialog");
    HWND options = program.WaitForDialog(L"Execute SQL Script");
    if (options == nullptr)
        return Fail("no script options");
    // Without a transaction of its own the run asks nothing at its end.
    SendMessageW(ql::CProgram::Item(options, 1037), BM_SETCHECK, BST_UNCHECKED, 0);
    ql::CProgram::Click(options, IDOK);
    if (!ql::WaitFor([&] {
            return ql::WindowText(program.FindChild(kOutputEdit)).find(L"Executed") !=
                   std::wstring::npos;
        }))
        return Fail("no script output");
    Sleep(1000);
    if (!Picture(folder, L"script"))
        return Fail("no script picture");
    program.Kill();
    return 0;
}
