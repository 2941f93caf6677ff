// The peer of the start-up benchmark: a plain Win32 program that shows a window, connects to a
// data source through ODBC and puts the data source's name into its title, the least a database
// tool's start-up can do.
// Usage: bench_startup_peer <connection string>
#include <windows.h>

#include <sql.h>
#include <sqlext.h>

namespace {

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = L"QuenlarkBenchPeer";
    RegisterClassW(&wc);
    HWND hWnd = CreateWindowExW(0, wc.lpszClassName, L"Peer", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
    ShowWindow(hWnd, show);
    UpdateWindow(hWnd);

    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLWCHAR completed[1024];
    SQLSMALLINT length = 0;
    SQLRETURN ret = SQLDriverConnectW(dbc, hWnd, (SQLWCHAR*)commandLine, SQL_NTS, completed, 1024,
                                      &length, SQL_DRIVER_NOPROMPT);
    if (SQL_SUCCEEDED(ret))
    {
        wchar_t name[256] = {};
        SQLSMALLINT nameLength = 0;
        SQLGetInfoW(dbc, SQL_DATA_SOURCE_NAME, name, sizeof(name), &nameLength);
        wchar_t title[400];
        wsprintfW(title, L"%s - Peer", name);
        SetWindowTextW(hWnd, title);
    }
    else
        SetWindowTextW(hWnd, L"Peer (not connected)");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (SQL_SUCCEEDED(ret))
        SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return 0;
}
