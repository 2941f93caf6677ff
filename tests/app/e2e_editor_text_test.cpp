// End to end: editor text as the user sees it. SQL in a script window stands in columns whatever
// faces the system has (the default face is missing under Wine); the output bar draws each glyph
// where its caret position says; the horizontal scroll bar is there only while a row is wider
// than the window.
#include "tests/support/glyph_ink.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"

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
    static bool CaretX(HWND editor, int index, LONG* x, LONG* y = nullptr)
    {
        SendMessageW(editor, EM_SETSEL, index, index);
        GUITHREADINFO info{sizeof(info)};
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(editor, nullptr), &info) ||
            info.hwndCaret != editor)
            return false;
        *x = info.rcCaret.left;
        if (y)
            *y = info.rcCaret.top;
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

// The output bar's editor (the stock GUI font, no colouring): every row's inked columns on the
// screen are those of its glyphs placed at their caret positions.
TEST_F(EditorTextE2E, OutputBarGlyphsSitAtTheirCaretPositions)
{
    program.PostCommand(ID_VIEW_OUTPUT);
    HWND output = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        output = program.FindChild(IDC_OUTPUT_EDIT);
        return output && IsWindowVisible(output);
    }));
    const std::vector<std::wstring> rows = {
        L"Executing Z:\\work\\build\\screenshots\\city orders.sql ...",
        L"Executed successfully (4 queries)!"};
    // The caret rests on an empty last row, clear of the glyphs.
    const std::wstring text = rows[0] + L"\r\n" + rows[1] + L"\r\n";
    SendMessageW(output, WM_SETTEXT, 0, (LPARAM)text.c_str());
    // A click gives the editor the focus (and so the caret); Insert switches to overwrite, where
    // the caret stands exactly at a character's cell.
    PostMessageW(output, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(output, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    PostMessageW(output, WM_KEYDOWN, VK_INSERT, 1);
    // The posted keys run after the checks' sent messages: the positions are read only once the
    // caret is overwrite mode's cell-wide block, not insert mode's line a pixel to its left.
    ASSERT_TRUE(ql::WaitFor([&] {
        LONG x = 0;
        GUITHREADINFO info{sizeof(info)};
        return CaretX(output, 0, &x) &&
               GetGUIThreadInfo(GetWindowThreadProcessId(output, nullptr), &info) &&
               info.rcCaret.right - info.rcCaret.left > 2;
    }));

    const HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    RECT client{};
    GetClientRect(output, &client);
    std::vector<std::set<int>> predicted;
    std::vector<LONG> tops;
    size_t start = 0;
    for (const std::wstring& row : rows)
    {
        std::set<int> ink;
        LONG x = 0, top = 0;
        ASSERT_TRUE(CaretX(output, (int)start, &x, &top));
        tops.push_back(top);
        for (size_t i = 0; i < row.size(); ++i)
        {
            if (row[i] == L' ')
                continue;
            ASSERT_TRUE(CaretX(output, (int)(start + i), &x));
            ql::AddGlyphInk(ink, font, row[i], x, client.right);
        }
        predicted.push_back(ink);
        start += row.size() + 2;
    }
    SendMessageW(output, EM_SETSEL, text.size(), text.size());
    TEXTMETRICW tm{};
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    GetTextMetricsW(screen, &tm);
    SelectObject(screen, old);
    POINT origin{0, 0};
    ClientToScreen(output, &origin);
    // The program draws into its own window surface: the pixels are read from the screen.
    ql::CBitmap32 copy(client.right, client.bottom);
    if (!copy.valid())
    {
        ReleaseDC(nullptr, screen);
        FAIL() << "no bitmap";
    }

    // The window's pixels once it has painted what it holds.
    std::string mismatches;
    ql::WaitFor(
        [&] {
            RedrawWindow(output, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            BitBlt(copy.dc(), 0, 0, client.right, client.bottom, screen, origin.x, origin.y,
                   SRCCOPY);
            mismatches.clear();
            for (size_t r = 0; r < rows.size(); ++r)
            {
                COLORREF background = copy.At(client.right - 2, tops[r] + 1);
                mismatches += ql::InkMismatch(
                    r, predicted[r], copy.InkColumns(tops[r], tops[r] + tm.tmHeight, background));
            }
            return mismatches.empty();
        },
        3000);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(mismatches, "");
}

} // namespace
