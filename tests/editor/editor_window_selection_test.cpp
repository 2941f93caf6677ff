// Caret movement, selection by message, keys and mouse, and the caret notifications of a real
// editor window.
#include "editor_window_fixture.h"

TEST_F(EditorWindowTest, SetSelOrdersEndsAndSelectsAll)
{
    SetText(L"hello world");
    Send(EM_SETSEL, 0, -1);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(0), DWORD(11)));
    EXPECT_EQ(Send(RCEM_GETSELLENGTH), 11);
    // The caret stays at the start of the selection: Shift+Right shrinks it from there.
    Key(VK_RIGHT, false, true);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(1), DWORD(11)));
    Send(EM_SETSEL, 8, 3);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(3), DWORD(8)));
    EXPECT_EQ(SelText(), L"lo wo");
    // Start -1 removes the selection without moving the caret.
    Send(EM_SETSEL, -1, 0);
    EXPECT_EQ(Send(RCEM_GETSELLENGTH), 0);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(8), DWORD(8)));
    Send(EM_SETSEL, 5, 500);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(5), DWORD(11)));
}

TEST_F(EditorWindowTest, GetSelReportsLargeIndexesOnlyThroughItsPointers)
{
    std::wstring text(70010, L'x');
    SetText(text);
    Send(EM_SETSEL, 70000, 70000);
    DWORD a = 0, b = 0;
    EXPECT_EQ(Send(EM_GETSEL, (WPARAM)&a, (LPARAM)&b), -1);
    EXPECT_EQ(a, 70000u);
    EXPECT_EQ(b, 70000u);
}

TEST_F(EditorWindowTest, ArrowKeysMoveByCharactersWordsAndRows)
{
    SetText(L"abc  def\r\nx\r\nlonger line");
    Key(VK_RIGHT, true);
    EXPECT_EQ(Sel().first, 5u);
    Key(VK_RIGHT, true);
    EXPECT_EQ(Sel().first, 8u);
    Key(VK_LEFT, true);
    EXPECT_EQ(Sel().first, 5u);
    Key(VK_END);
    EXPECT_EQ(Sel().first, 8u);
    Key(VK_RIGHT); // over the CR LF pair at once
    EXPECT_EQ(Sel().first, 10u);
    Key(VK_LEFT);
    EXPECT_EQ(Sel().first, 8u);
    // Down through a short line returns to the column where the vertical moves started.
    Send(EM_SETSEL, 6, 6);
    Key(VK_DOWN);
    EXPECT_EQ(Sel().first, 11u);
    Key(VK_DOWN);
    EXPECT_EQ(Sel().first, 19u);
    Key(VK_DOWN); // last row: stays
    EXPECT_EQ(Sel().first, 19u);
    Key(VK_HOME, true);
    Key(VK_UP);
    EXPECT_EQ(Sel().first, 0u);
    Key(VK_END, true);
    EXPECT_EQ(Sel().first, 24u);
}

TEST_F(EditorWindowTest, HomeTogglesBetweenFirstNonBlankAndLineStart)
{
    SetText(L"    indented");
    Send(EM_SETSEL, 8, 8);
    Key(VK_HOME);
    EXPECT_EQ(Sel().first, 4u);
    Key(VK_HOME);
    EXPECT_EQ(Sel().first, 0u);
    Key(VK_HOME);
    EXPECT_EQ(Sel().first, 4u);
    Key(VK_END, false, true);
    EXPECT_EQ(SelText(), L"indented");
    // A collapsed move puts the caret at the selection's end in its direction.
    Key(VK_LEFT);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(4), DWORD(4)));
}

TEST_F(EditorWindowTest, ShiftMovesExtendAndEscapeDropsTheSelection)
{
    SetText(L"one\r\ntwo\r\nthree");
    Key(VK_DOWN, false, true);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(0), DWORD(5)));
    Key(VK_END, false, true);
    EXPECT_EQ(SelText(), L"one\r\ntwo");
    Key(VK_ESCAPE);
    EXPECT_EQ(Send(RCEM_GETSELLENGTH), 0);
    Key('A', true);
    EXPECT_EQ(Send(RCEM_GETSELLENGTH), 15);
}

TEST_F(EditorWindowTest, CaretNotificationsCarryLineAndColumn)
{
    SetText(L"first\r\nsecond line");
    EXPECT_EQ(Send(RCEM_SETNOTIFY, 1), 1);
    notices.clear();
    Send(EM_SETSEL, 10, 10);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back().code, (UINT)RCEN_CARETMOVED);
    EXPECT_EQ(notices.back().line, 2u);
    EXPECT_EQ(notices.back().column, 4u);
    RCECaretInfo info{};
    info.size = 16;
    EXPECT_EQ(Send(RCEM_GETCARETINFO, 0, (LPARAM)&info), 0);
    EXPECT_EQ(info.line, 0u);
    info.size = sizeof(info);
    Send(EM_SETSEL, 2, 9);
    EXPECT_EQ(Send(RCEM_GETCARETINFO, 0, (LPARAM)&info), 1);
    EXPECT_EQ(info.line, 1u);
    EXPECT_EQ(info.column, 3u);
    EXPECT_EQ(info.selStart, 2u);
    EXPECT_EQ(info.selEnd, 9u);
    // Without the notify bit nothing is sent.
    Send(RCEM_SETNOTIFY, 0);
    notices.clear();
    Key(VK_RIGHT);
    EXPECT_TRUE(notices.empty());
}

TEST_F(EditorWindowTest, GoToSelectsWithinAValidLine)
{
    SetText(L"alpha\r\nbeta\r\ngamma");
    RCEGoToLine g{2, 1, 3};
    EXPECT_EQ(Send(RCEM_GOTO, 0, (LPARAM)&g), 1);
    EXPECT_EQ(SelText(), L"eta");
    g = {0, 0, 0};
    EXPECT_EQ(Send(RCEM_GOTO, 0, (LPARAM)&g), 0);
    g = {4, 0, 0};
    EXPECT_EQ(Send(RCEM_GOTO, 0, (LPARAM)&g), 0);
    g = {2, 5, 0};
    EXPECT_EQ(Send(RCEM_GOTO, 0, (LPARAM)&g), 0);
}

TEST_F(EditorWindowTest, SelectionRectangleCoversTheSelectedRows)
{
    SetText(L"alpha\r\nbeta\r\ngamma");
    RECT rc{1, 1, 1, 1};
    EXPECT_EQ(Send(RCEM_GETSELRECT, 0, (LPARAM)&rc), 0);
    EXPECT_TRUE(IsRectEmpty(&rc));
    Send(EM_SETSEL, 2, 9);
    EXPECT_EQ(Send(RCEM_GETSELRECT, 0, (LPARAM)&rc), 1);
    TEXTMETRICW tm{};
    HDC dc = GetDC(edit);
    SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    GetTextMetricsW(dc, &tm);
    ReleaseDC(edit, dc);
    EXPECT_EQ(rc.bottom - rc.top, 2 * tm.tmHeight);
}

TEST_F(EditorWindowTest, MouseClickPlacesCaretAndDoubleClickSelectsAWord)
{
    SetText(L"select name from people");
    TEXTMETRICW tm{};
    HDC dc = GetDC(edit);
    SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    GetTextMetricsW(dc, &tm);
    ReleaseDC(edit, dc);
    int w = tm.tmAveCharWidth;
    Click(w * 8 + 1, 2);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(8), DWORD(8)));
    Click(w * 9, 2, true);
    EXPECT_EQ(SelText(), L"name");
    // Below the text the caret goes to the end.
    Click(5, 300);
    EXPECT_EQ(Sel().first, 23u);
    // A drag extends the selection.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 2));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(w * 6 + 1, 2));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(w * 6 + 1, 2));
    EXPECT_EQ(SelText(), L"select");
    // A right click keeps an existing selection.
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(w * 15, 2));
    EXPECT_EQ(SelText(), L"select");
}

TEST_F(EditorWindowTest, WheelScrollsByWholeNotchesOnly)
{
    std::wstring text;
    for (int i = 0; i < 200; ++i)
        text += L"line\r\n";
    SetText(text);
    SCROLLINFO si{sizeof(si), SIF_POS};
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-60), 0);
    GetScrollInfo(edit, SB_VERT, &si);
    EXPECT_EQ(si.nPos, 0);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-60), 0);
    GetScrollInfo(edit, SB_VERT, &si);
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    EXPECT_EQ(si.nPos, (int)lines);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-60), 0);
    GetScrollInfo(edit, SB_VERT, &si);
    EXPECT_EQ(si.nPos, (int)lines);
    Send(WM_VSCROLL, SB_PAGEDOWN, 0);
    GetScrollInfo(edit, SB_VERT, &si);
    EXPECT_GT(si.nPos, (int)lines);
    // Ctrl+End shows the last row at the bottom.
    Key(VK_END, true);
    SCROLLINFO all{sizeof(all), SIF_ALL};
    GetScrollInfo(edit, SB_VERT, &all);
    EXPECT_EQ(all.nPos + (int)all.nPage, all.nMax + 1);
    Key(VK_HOME, true);
    GetScrollInfo(edit, SB_VERT, &si);
    EXPECT_EQ(si.nPos, 0);
}

TEST_F(EditorWindowTest, DialogCodesLeaveEscapeAndTabToTheDialog)
{
    MSG m{edit, WM_KEYDOWN, VK_ESCAPE, 0};
    EXPECT_EQ(Send(WM_GETDLGCODE, 0, (LPARAM)&m), 0x89);
    m.wParam = VK_TAB;
    EXPECT_EQ(Send(WM_GETDLGCODE, 0, (LPARAM)&m), 0x89);
    SetOptions(RCEO_WANTTAB);
    EXPECT_EQ(Send(WM_GETDLGCODE, 0, (LPARAM)&m), 0x8D);
    m.wParam = VK_RETURN;
    EXPECT_EQ(Send(WM_GETDLGCODE, 0, (LPARAM)&m), 0x89);
    m.message = WM_CHAR;
    EXPECT_EQ(Send(WM_GETDLGCODE, 0, (LPARAM)&m), 0x8D);
    EXPECT_EQ(Send(WM_GETDLGCODE, 0, 0), 0);
}

TEST_F(EditorWindowTest, VirtualSpaceLetsTheCaretStandBeyondTheLineEnd)
{
    SetOptions(RCEO_VIRTUALSPACE);
    Send(RCEM_SETNOTIFY, 1);
    SetText(L"ab\r\ncd");
    TEXTMETRICW tm{};
    HDC dc = GetDC(edit);
    SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    GetTextMetricsW(dc, &tm);
    ReleaseDC(edit, dc);
    // A click three and a half character widths right of the end gives three virtual columns.
    Click(tm.tmAveCharWidth * 5 + tm.tmAveCharWidth / 2 + 1, 2);
    EXPECT_EQ(Sel().first, 2u);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back().column, 3u + 3u);
    // Typing there fills the gap with blanks.
    Type(L"x");
    EXPECT_EQ(Text(), L"ab   x\r\ncd");
    // Right at a line end adds virtual columns; Backspace in virtual space only moves back.
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Char(L'\b');
    EXPECT_EQ(Text(), L"ab   x\r\ncd");
    Type(L"y");
    EXPECT_EQ(Text(), L"ab   x y\r\ncd");
    // Word wrap turns virtual space off.
    SetOptions(RCEO_VIRTUALSPACE | RCEO_WORDWRAP);
    Key(VK_END);
    Key(VK_RIGHT);
    EXPECT_EQ(Sel().first, 10u);
}

TEST_F(EditorWindowTest, CtrlUpAndDownScrollTheViewAndKeepTheCaretInside)
{
    std::wstring text;
    for (int i = 0; i < 100; ++i)
        text += L"row " + std::to_wstring(i) + L"\r\n";
    SetText(text);
    Key(VK_DOWN, true);
    SCROLLINFO si{sizeof(si), SIF_POS};
    GetScrollInfo(edit, SB_VERT, &si);
    EXPECT_EQ(si.nPos, 1);
    // The caret left the view at the top and moved down with it.
    RCECaretInfo info{sizeof(info)};
    Send(RCEM_GETCARETINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.line, 2u);
    Key(VK_UP, true);
    GetScrollInfo(edit, SB_VERT, &si);
    EXPECT_EQ(si.nPos, 0);
    Key(VK_UP, true); // nothing above the first row
    GetScrollInfo(edit, SB_VERT, &si);
    EXPECT_EQ(si.nPos, 0);
}

TEST_F(EditorWindowTest, SelectionIsScrolledClearOfAnAvoidRectangle)
{
    std::wstring text;
    for (int i = 0; i < 300; ++i)
        text += L"line " + std::to_wstring(i) + L"\r\n";
    SetText(text);
    RECT client{};
    GetClientRect(edit, &client);
    POINT origin{0, 0};
    ClientToScreen(edit, &origin);
    // A dialog over the upper half of the window.
    RCESelRange range{};
    size_t at = text.find(L"line 150\r");
    range.start = (int)at;
    range.end = (int)at + 8;
    range.avoid = RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom / 2};
    Send(RCEM_SETSELEX, 0, (LPARAM)&range);
    EXPECT_EQ(SelText(), L"line 150");
    RECT sel{};
    ASSERT_EQ(Send(RCEM_GETSELRECT, 0, (LPARAM)&sel), 1);
    RECT overlap{};
    EXPECT_FALSE(IntersectRect(&overlap, &sel, &range.avoid));
    EXPECT_GE(sel.top, range.avoid.bottom);
}

TEST_F(EditorWindowTest, DragBelowTheWindowScrollsOnTheTimerUntilReleased)
{
    std::wstring text;
    for (int i = 0; i < 200; ++i)
        text += L"row " + std::to_wstring(i) + L"\r\n";
    SetText(text);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(GetCapture(), edit);
    SetCursorPos(20, 450); // below the editor, inside the parent
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 450));
    for (int i = 0; i < 30; ++i)
        Send(WM_TIMER, 1, 0);
    SCROLLINFO si{sizeof(si), SIF_POS};
    GetScrollInfo(edit, SB_VERT, &si);
    EXPECT_GT(si.nPos, 0);
    // Two rows per tick, the selection extended from the click.
    RCECaretInfo info{sizeof(info)};
    Send(RCEM_GETCARETINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.line, 61u);
    EXPECT_EQ(info.selStart, 0u);
    EXPECT_GT(info.selEnd, 0u);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(20, 450));
    EXPECT_NE(GetCapture(), edit);
    // Without the capture the timer changes nothing.
    Send(WM_TIMER, 1, 0);
    Send(RCEM_GETCARETINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.line, 61u);
}
