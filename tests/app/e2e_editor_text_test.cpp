// End to end: the text of a script window as the user sees it. SQL stands in columns whatever
// faces the system has (the default face is missing under Wine), and the horizontal scroll bar
// is there only while a row is wider than the window.
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int kEditor = 0xE900;   // the script window's editor
const UINT kFileNew = 0xE100; // SQL scripts > New

class EditorTextE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        ASSERT_TRUE(program.Start());
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    HWND MdiClient() const
    {
        return FindWindowExW(program.MainWindow(), nullptr, L"MDIClient", nullptr);
    }
    HWND Editor() const
    {
        HWND child = (HWND)SendMessageW(MdiClient(), WM_MDIGETACTIVE, 0, 0);
        return child ? GetDlgItem(child, kEditor) : nullptr;
    }
    // A new script window holding the text; returns its editor.
    HWND NewScript(const std::wstring& text)
    {
        program.PostCommand(kFileNew);
        if (!ql::WaitFor([&] { return Editor() != nullptr; }))
            return nullptr;
        HWND editor = Editor();
        SendMessageW(editor, WM_SETTEXT, 0, (LPARAM)text.c_str());
        return editor;
    }
    // The caret's x in the editor after moving it before character index (the caret belongs to
    // the program's thread: read through its GUI thread information).
    static bool CaretX(HWND editor, int index, LONG* x)
    {
        SendMessageW(editor, EM_SETSEL, index, index);
        GUITHREADINFO info{sizeof(info)};
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(editor, nullptr), &info) ||
            info.hwndCaret != editor)
            return false;
        *x = info.rcCaret.left;
        return true;
    }
    static bool HorizontalBar(HWND editor)
    {
        return (GetWindowLongW(editor, GWL_STYLE) & WS_HSCROLL) != 0;
    }

    ql::CProgram program;
};

TEST_F(EditorTextE2E, ScriptTextStandsInColumns)
{
    const std::wstring line = L"FROM customers c JOIN orders o ON o.customer_id = c.customer_id";
    HWND editor = NewScript(line);
    ASSERT_NE(editor, nullptr);
    std::vector<LONG> x;
    for (int i = 1; i <= (int)line.size(); ++i)
    {
        LONG at = 0;
        ASSERT_TRUE(CaretX(editor, i, &at)) << "no caret in the editor";
        x.push_back(at);
    }
    const LONG cell = x[1] - x[0];
    ASSERT_GT(cell, 0);
    for (size_t i = 1; i < x.size(); ++i)
        EXPECT_EQ(x[i] - x[i - 1], cell)
            << "the cell of '" << (char)line[i] << "' at " << i << " is not as wide as the others";
}

TEST_F(EditorTextE2E, HorizontalBarGoesWithTheLongRows)
{
    const std::wstring longRow(400, L'x');
    HWND editor = NewScript(L"select 1;\r\n" + longRow + L"\r\nselect 2;");
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return HorizontalBar(editor); }));
    // The user selects the long row with its line break and presses Delete.
    SendMessageW(editor, EM_SETSEL, 11, 11 + 402);
    PostMessageW(editor, WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_TRUE(ql::WaitFor([&] { return !HorizontalBar(editor); }))
        << "the bar stays after the long row is gone";
    wchar_t text[64] = {};
    SendMessageW(editor, WM_GETTEXT, 64, (LPARAM)text);
    EXPECT_EQ(std::wstring(text), L"select 1;\r\nselect 2;");
}

} // namespace
