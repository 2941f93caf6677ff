// End to end on SQLite, what the grid and script windows show: no pixels of another window left
// behind after switching windows or resizing the object information dialog, popup menus drawn
// like the main menu (with the toolbar's images), the Window menu's list of long query titles,
// and F1 opening the help.
#include "tests/app/e2e_screen_capture.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/paint_pending.h"
#include "tests/support/program_driver.h"

#include "framework/command_ids.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Captures are written as BMP files into this folder when QL_SAVE_CAPTURES names one.
void SaveCapture(const ql::CScreenCapture& capture, const wchar_t* name)
{
    const char* folder = std::getenv("QL_SAVE_CAPTURES");
    if (folder == nullptr || *folder == 0)
        return;
    capture.Save(ql::WindowsPath(folder) + L"\\" + name + L".bmp");
}

// The window's pixels once its painting has settled: its thread has answered a message, no
// window in it has anything left to paint, and the screen shows what it showed at the last such
// moment (what was drawn reaches the X server a little after the painting).
ql::CScreenCapture SettledCapture(HWND wnd)
{
    ql::CScreenCapture last, now;
    const bool settled = ql::WaitFor(
        [&] {
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result) ||
                ql::PaintPending(wnd))
                return false;
            now = ql::CScreenCapture();
            now.TakeWindow(wnd);
            const bool same = !last.pixels.empty() && now.pixels == last.pixels &&
                              now.width == last.width && now.height == last.height;
            last = now;
            return same;
        },
        10000);
    EXPECT_TRUE(settled) << "the window's painting did not settle";
    return now;
}

// The number of pixels that differ between two captures of the same rectangle, and the
// bounding box of the differences.
int Differences(const ql::CScreenCapture& a, const ql::CScreenCapture& b, RECT* box = nullptr)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    int count = 0;
    RECT bounds = {a.width, a.height, -1, -1};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.pixels[(size_t)y * a.width + x] != b.pixels[(size_t)y * a.width + x])
            {
                ++count;
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x + 1);
                bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
            }
    if (box != nullptr)
        *box = bounds;
    return count;
}

// What the window shows now against what it shows after all of it (children included) was
// painted again: the number of pixels that were stale.
int StalePixels(HWND wnd, const wchar_t* name)
{
    const ql::CScreenCapture shown = SettledCapture(wnd);
    RedrawWindow(wnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const ql::CScreenCapture repainted = SettledCapture(wnd);
    SaveCapture(shown, (std::wstring(name) + L"-shown").c_str());
    SaveCapture(repainted, (std::wstring(name) + L"-repainted").c_str());
    RECT box = {};
    const int stale = Differences(shown, repainted, &box);
    if (stale != 0)
        ADD_FAILURE() << stale << " stale pixels in (" << box.left << ", " << box.top << ") - ("
                      << box.right << ", " << box.bottom << ")";
    return stale;
}

// Pixels of strong colour (toolbar images) outside the selection colour.
int ColouredPixels(const ql::CScreenCapture& capture)
{
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    int count = 0;
    for (int y = capture.rect.top; y < capture.rect.bottom; ++y)
        for (int x = capture.rect.left; x < capture.rect.right; ++x)
        {
            const COLORREF c = capture.At(x, y);
            if (c == highlight)
                continue;
            const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            if (std::max({r, g, b}) - std::min({r, g, b}) > 80)
                ++count;
        }
    return count;
}

// Whether a popup menu shows the painter's image column: down its left edge the face colour,
// on its right the menu colour (a plain menu is the menu colour all across).
bool ShowsImageColumn(const ql::CScreenCapture& capture)
{
    const COLORREF face = GetSysColor(COLOR_3DFACE), menu = GetSysColor(COLOR_MENU);
    if (face == menu)
        return true; // nothing tells them apart under this colour scheme
    int rows = 0, column = 0;
    for (int y = capture.rect.top + 4; y < capture.rect.bottom - 4; y += 3)
    {
        ++rows;
        if (capture.At(capture.rect.left + 5, y) == face &&
            capture.At(capture.rect.right - 6, y) == menu)
            ++column;
    }
    return rows > 0 && column * 2 > rows;
}

class GridSurfaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        ql::WriteRegString(L"Grid lines", L"Yes");
        QlConnTest::OpenOrFail(m_db, m_file.Connect());
        m_db.ExecuteSQL(L"CREATE TABLE first_table (id INTEGER PRIMARY KEY, name VARCHAR(40))");
        m_db.ExecuteSQL(L"CREATE TABLE second_table (code INTEGER PRIMARY KEY, label TEXT)");
        for (int i = 1; i <= 40; ++i)
        {
            m_db.ExecuteSQL(L"INSERT INTO first_table VALUES (" +
                            CString(std::to_wstring(i).c_str()) + L", 'first row')");
            m_db.ExecuteSQL(L"INSERT INTO second_table VALUES (" +
                            CString(std::to_wstring(i).c_str()) + L", 'second')");
        }
        m_db.Close();
        // The pointer off the program's windows: no tool tip of a cell comes up between two
        // captures.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        ASSERT_TRUE(program.StartConnected(std::wstring(m_file.Connect())));
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    HWND OpenGrid(const wchar_t* table)
    {
        HWND child = ql::OpenTable(program, L"", table);
        if (child != nullptr)
            program.WaitForGrid();
        return child;
    }
    // Opens the grid's (or the script's) popup menu at the centre of the window.
    HWND OpenContextMenu(HWND view)
    {
        RECT r = {};
        GetWindowRect(view, &r);
        PostMessageW(view, WM_CONTEXTMENU, (WPARAM)view,
                     MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        HWND menu = nullptr;
        ql::WaitFor([&] { return (menu = program.FindPopupMenu()) != nullptr; }, 10000);
        return menu;
    }

    QlTestDb::TempSQLiteFile m_file;
    CRDatabase m_db;
    ql::CProgram program;
};

TEST_F(GridSurfaceTest, SwitchingWindowsLeavesNoStalePixels)
{
    HWND first = OpenGrid(L"first_table");
    ASSERT_NE(first, nullptr);
    HWND second = OpenGrid(L"second_table");
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(program.PressKeys({VK_CONTROL, VK_F6}));
    ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() == first; }));
    EXPECT_EQ(StalePixels(first, L"next"), 0);
    program.PostCommand(ID_WINDOW_NEXT);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() == second; }));
    EXPECT_EQ(StalePixels(second, L"next-command"), 0);
}

TEST_F(GridSurfaceTest, ObjectInformationRepaintsWhenMaximizedAndRestored)
{
    ASSERT_NE(OpenGrid(L"first_table"), nullptr);
    program.PostCommand(ID_QUERY_TABLE_INFO);
    HWND dlg = program.WaitForDialog(L"first_table information");
    ASSERT_NE(dlg, nullptr);
    ASSERT_NE(ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_LIST), nullptr);
    SettledCapture(dlg);
    PostMessageW(dlg, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return IsZoomed(dlg) != FALSE; }));
    EXPECT_EQ(StalePixels(dlg, L"info-maximized"), 0);
    PostMessageW(dlg, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(ql::WaitFor([&] { return IsZoomed(dlg) == FALSE; }));
    EXPECT_EQ(StalePixels(dlg, L"info-restored"), 0);
    ql::CProgram::Click(dlg, IDCANCEL);
}

TEST_F(GridSurfaceTest, PopupMenusShowTheToolbarImages)
{
    HWND child = OpenGrid(L"first_table");
    ASSERT_NE(child, nullptr);
    HWND menu = OpenContextMenu(ql::GridOf(child));
    ASSERT_NE(menu, nullptr);
    ql::CScreenCapture grid = SettledCapture(menu);
    SaveCapture(grid, L"grid-menu");
    EXPECT_TRUE(ShowsImageColumn(grid)) << "the grid's menu is not drawn by the menu painter";
    EXPECT_GT(ColouredPixels(grid), 20) << "no toolbar images in the grid's menu";
    ql::CProgram::PressKey(menu, VK_ESCAPE);
    ASSERT_TRUE(ql::WaitFor([&] { return program.FindPopupMenu() == nullptr; }));

    program.PostCommand(ID_FILE_NEW);
    ASSERT_TRUE(program.WaitForActiveChild(L"SQL"));
    HWND editor = ql::CProgram::FindDescendant(program.ActiveChild(), L"RColorEditorClass");
    ASSERT_NE(editor, nullptr);
    menu = OpenContextMenu(editor);
    ASSERT_NE(menu, nullptr);
    ql::CScreenCapture script = SettledCapture(menu);
    SaveCapture(script, L"script-menu");
    EXPECT_TRUE(ShowsImageColumn(script)) << "the script's menu is not drawn by the menu painter";
    ql::CProgram::PressKey(menu, VK_ESCAPE);
}

TEST_F(GridSurfaceTest, WindowMenuShortensLongQueryTitles)
{
    ASSERT_NE(OpenGrid(L"first_table"), nullptr);
    // The Window menu with one short title, the popup's width as the user sees it.
    auto windowMenuWidth = [&] {
        PostMessageW(program.MainWindow(), WM_SYSCOMMAND, SC_KEYMENU, L'w');
        HWND popup = nullptr;
        if (!ql::WaitFor([&] { return (popup = program.FindPopupMenu()) != nullptr; }, 10000))
            return -1;
        RECT r = {};
        GetWindowRect(popup, &r);
        ql::CProgram::PressKey(popup, VK_ESCAPE);
        ql::WaitFor([&] { return program.FindPopupMenu() == nullptr; }, 2000);
        ql::CProgram::PressKey(program.MainWindow(), VK_ESCAPE);
        return (int)(r.right - r.left);
    };
    const int shortWidth = windowMenuWidth();
    ASSERT_GT(shortWidth, 0);

    std::wstring sql = L"SELECT id";
    for (int i = 0; i < 40; ++i)
        sql += L", name AS column_" + std::to_wstring(i);
    sql += L" FROM first_table";
    ASSERT_TRUE(ql::RunQuery(program, sql));
    ASSERT_TRUE(program.WaitForActiveChild(L"SELECT id, name AS column_0"));
    program.WaitForGrid();
    // The window keeps its whole title; only the menu's item is cut.
    EXPECT_EQ(ql::WindowText(program.ActiveChild()), sql);
    const int longWidth = windowMenuWidth();
    ASSERT_GT(longWidth, 0);
    EXPECT_LT(longWidth, shortWidth + 400) << "short " << shortWidth;
}

TEST_F(GridSurfaceTest, F1InAGridWindowOpensTheHelp)
{
    HWND child = OpenGrid(L"first_table");
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(program.PressKeys({VK_F1}));
    HWND help = nullptr;
    EXPECT_TRUE(ql::WaitFor([&] {
        for (HWND wnd : program.TopWindows())
            if (ql::ClassName(wnd) == L"HH Parent")
                return (help = wnd) != nullptr;
        return false;
    })) << "no help window";
}

} // namespace
