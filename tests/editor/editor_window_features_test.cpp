// Find and replace, auto-indent, auto-complete, paste, indentation of lines, word wrap and the
// context menu of a real editor window.
#include "editor_window_fixture.h"

#include <string>

namespace {

// The position found, or -1.
int Find(HWND edit, const WCHAR* what, int start, UINT flags)
{
    RCEFindReplace fr{what, -1, start, flags, nullptr, -1};
    return SendMessageW(edit, RCEM_FINDREPLACE, 0, (LPARAM)&fr) ? fr.start : -1;
}

// The table of words the application sends for auto-indent.
const RCEIndentWord kIndentWords[] = {
    {L"(", 1, 0x4},    {L"select", 6, 0x7}, {L"update", 6, 0x7}, {L"delete", 6, 0x7},
    {L"from", 4, 0x7}, {L"where", 5, 0x7},  {L"by", 2, 0x5},     {L"exists", 6, 0x5},
    {L"drop", 4, 0x7}, {L"having", 6, 0x7}, {L"set", 3, 0x7},
};

bool PutClipboard(HWND owner, UINT format, const void* data, size_t bytes)
{
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(mem), data, bytes);
    GlobalUnlock(mem);
    SetClipboardData(format, mem);
    CloseClipboard();
    return true;
}

std::wstring ClipboardText(HWND owner)
{
    std::wstring out;
    if (!OpenClipboard(owner))
        return out;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT))
    {
        out = (const WCHAR*)GlobalLock(h);
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

} // namespace

TEST_F(EditorWindowTest, FindSearchesDownUpWholeWordAndWraps)
{
    SetText(L"id, idx, id_2, ID");
    EXPECT_EQ(Find(edit, L"id", 1, RCEFR_DOWN), 4);
    EXPECT_EQ(Find(edit, L"id", 1, RCEFR_DOWN | RCEFR_WHOLEWORD), 15);
    EXPECT_EQ(Find(edit, L"id", 1, RCEFR_DOWN | RCEFR_WHOLEWORD | RCEFR_MATCHCASE), 0);
    // Upwards from the end the last occurrence comes first.
    EXPECT_EQ(Find(edit, L"id", 17, 0), 15);
    EXPECT_EQ(Find(edit, L"id", 17, RCEFR_MATCHCASE), 9);
    // Wrapping: down from past the last match starts again at the top.
    EXPECT_EQ(Find(edit, L"idx", 10, RCEFR_DOWN), 4);
    EXPECT_EQ(Find(edit, L"idx", 2, 0), 4);
    EXPECT_EQ(Find(edit, L"nothing", 0, RCEFR_DOWN), -1);
    EXPECT_EQ(Find(edit, L"", 0, RCEFR_DOWN), -1);
}

TEST_F(EditorWindowTest, ReplaceAllIsOneUndoStepAndOneChange)
{
    SetText(L"a.b.c.d");
    changes = 0;
    RCEFindReplace fr{L".", -1, 0, RCEFR_REPLACEALL, L"..", -1};
    EXPECT_EQ(Send(RCEM_FINDREPLACE, 0, (LPARAM)&fr), 3);
    EXPECT_EQ(Text(), L"a..b..c..d");
    EXPECT_EQ(changes, 1);
    EXPECT_NE(Send(EM_UNDO), 0);
    EXPECT_EQ(Text(), L"a.b.c.d");
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_NE(Send(RCEM_REDO), 0);
    EXPECT_EQ(Text(), L"a..b..c..d");
    // Whole words only, and nothing to replace leaves the history alone.
    SetText(L"col, col1, col");
    fr = {L"col", -1, 0, RCEFR_REPLACEALL | RCEFR_WHOLEWORD, L"c", -1};
    EXPECT_EQ(Send(RCEM_FINDREPLACE, 0, (LPARAM)&fr), 2);
    EXPECT_EQ(Text(), L"c, col1, c");
    fr = {L"zzz", -1, 0, RCEFR_REPLACEALL, L"y", -1};
    EXPECT_EQ(Send(RCEM_FINDREPLACE, 0, (LPARAM)&fr), 0);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), L"col, col1, col");
}

TEST_F(EditorWindowTest, EnterIndentsAfterKeywordLines)
{
    Send(RCEM_SETINDENTWORDS, 11, (LPARAM)kIndentWords);
    SetOptions(RCEO_AUTOINDENT | RCEO_TABSPACES);
    Send(RCEM_SETTABSIZE, 0, 4);
    Type(L"  select\n");
    EXPECT_EQ(Text(), L"  select\r\n      ");
    Type(L"a,\nb\n");
    EXPECT_EQ(Text(), L"  select\r\n      a,\r\n      b\r\n      ");
    SetText(L"");
    Type(L"\n");
    EXPECT_EQ(Text(), L"\r\n");
    // At column 0 of a non-empty line no indent is inserted.
    SetText(L"  x");
    Send(EM_SETSEL, 0, 0);
    Type(L"\n");
    EXPECT_EQ(Text(), L"\r\n  x");
    // With tabs allowed, whole tab stops become tabs.
    SetOptions(RCEO_AUTOINDENT);
    SetText(L"order by");
    Key(VK_END, true);
    Type(L"\n");
    EXPECT_EQ(Text(), L"order by\r\n\t");
}

TEST_F(EditorWindowTest, AutoCompleteOffersNothingOneOrAList)
{
    tagRCEAutoCompleteWord words[] = {{(WCHAR*)L"select", 6}, {(WCHAR*)L"set", 3}};
    RCEAutoCompleteTable table{words, 2, 0};
    onNotify = [&](UINT code, const NMHDR*) {
        if (code == RCEN_AUTOCOMPLETE)
            Send(RCEM_SETAUTOCOMPLETE, 0, (LPARAM)&table);
    };
    SetOptions(RCEO_AUTOCOMPLETE);
    // One candidate is inserted at once.
    Type(L"sel");
    Char(L' ', true);
    EXPECT_EQ(Text(), L"select");
    // A candidate must be longer than the prefix.
    SetText(L"select");
    Key(VK_END, true);
    EXPECT_EQ(Send(RCEM_SHOWAUTOCOMPLETE), 0);
    // Two candidates open a list; Enter picks the first.
    SetText(L"se");
    Key(VK_END, true);
    EXPECT_EQ(Send(RCEM_SHOWAUTOCOMPLETE), 1);
    HWND list = GetFocus();
    ASSERT_NE(list, edit);
    EXPECT_EQ(GetParent(list), edit);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    SendMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
    Pump();
    EXPECT_EQ(Text(), L"select");
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_FALSE(IsWindow(list));
    // Words of the text count too, but not those inside ranges or starting with a digit.
    table.count = 0;
    table.flags = 1;
    SetText(L"customer cust 1cx\r\ncu");
    Key(VK_END, true);
    EXPECT_EQ(Send(RCEM_SHOWAUTOCOMPLETE), 1);
    list = GetFocus();
    ASSERT_NE(list, edit);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    SendMessageW(list, WM_KEYDOWN, VK_ESCAPE, 1);
    Pump();
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(Text(), L"customer cust 1cx\r\ncu");
    // Nothing at all: no change.
    SetText(L"zz");
    Key(VK_END, true);
    EXPECT_EQ(Send(RCEM_SHOWAUTOCOMPLETE), 0);
}

TEST_F(EditorWindowTest, PasteTakesUnicodeOrAnsiText)
{
    SetText(L"<>");
    Send(EM_SETSEL, 1, 1);
    const WCHAR wide[] = L"\x00e9t\x00e9\r\nx";
    ASSERT_TRUE(PutClipboard(parent, CF_UNICODETEXT, wide, sizeof(wide)));
    Send(WM_PASTE);
    EXPECT_EQ(Text(), std::wstring(L"<\x00e9t\x00e9\r\nx>"));
    SetText(L"<>");
    Send(EM_SETSEL, 1, 1);
    const char ansi[] = "plain";
    ASSERT_TRUE(PutClipboard(parent, CF_TEXT, ansi, sizeof(ansi)));
    Key('V', true);
    EXPECT_EQ(Text(), L"<plain>");
    // Copy and cut put the selection on the clipboard.
    Send(EM_SETSEL, 1, 6);
    Send(WM_COPY);
    EXPECT_EQ(ClipboardText(parent), L"plain");
    Send(EM_SETSEL, 0, 2);
    Key('X', true);
    EXPECT_EQ(Text(), L"lain>");
    EXPECT_EQ(ClipboardText(parent), L"<p");
}

TEST_F(EditorWindowTest, TabIndentsAndShiftTabOutdentsSelectedLines)
{
    Send(RCEM_SETTABSIZE, 0, 4);
    SetText(L"  \tone\r\n      two\r\n\r\nthree");
    Send(EM_SETSEL, 1, 20);
    Char(L'\t', false, true);
    EXPECT_EQ(Text(), L"one\r\n  two\r\n\r\nthree");
    // The whole lines stay selected, up to the start of the line after them.
    EXPECT_EQ(Sel(), std::make_pair(DWORD(0), DWORD(14)));
    Char(L'\t');
    EXPECT_EQ(Text(), L"\tone\r\n\t  two\r\n\r\nthree");
    Send(EM_UNDO);
    EXPECT_EQ(Text(), L"one\r\n  two\r\n\r\nthree");
    Send(EM_UNDO);
    EXPECT_EQ(Text(), L"  \tone\r\n      two\r\n\r\nthree");
    Send(RCEM_REDO);
    EXPECT_EQ(Text(), L"one\r\n  two\r\n\r\nthree");
    Send(RCEM_REDO);
    EXPECT_EQ(Text(), L"\tone\r\n\t  two\r\n\r\nthree");
    // A selection inside one line is replaced by the tab.
    SetText(L"abcd");
    Send(EM_SETSEL, 1, 3);
    Char(L'\t');
    EXPECT_EQ(Text(), L"a\td");
    // With spaces for tabs, Tab fills to the next stop.
    SetOptions(RCEO_TABSPACES);
    SetText(L"ab");
    Key(VK_END);
    Char(L'\t');
    EXPECT_EQ(Text(), L"ab  ");
}

TEST_F(EditorWindowTest, WordWrapSplitsRowsAndTogglesBack)
{
    std::wstring longLine;
    for (int i = 0; i < 40; ++i)
        longLine += L"word" + std::to_wstring(i) + L" ";
    SetText(longLine + L"\r\nnext");
    SetOptions(RCEO_WORDWRAP);
    EXPECT_EQ(Options() & RCEO_WORDWRAP, (UINT32)RCEO_WORDWRAP);
    // Down stays in the same logical line while it continues on the next row.
    RCECaretInfo info{sizeof(info)};
    Key(VK_DOWN);
    Send(RCEM_GETCARETINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.line, 1u);
    EXPECT_GT(info.column, 1u);
    SCROLLINFO si{sizeof(si), SIF_ALL};
    GetScrollInfo(edit, SB_HORZ, &si);
    EXPECT_EQ(si.nMax, 0);
    // Typing in a wrapped line keeps the text whole.
    Key(VK_HOME, true);
    Type(L"xy ");
    EXPECT_EQ(Text(), L"xy " + longLine + L"\r\nnext");
    Send(EM_UNDO);
    Send(EM_UNDO);
    Send(EM_UNDO);
    SetOptions(0);
    EXPECT_EQ(Text(), longLine + L"\r\nnext");
    Send(EM_SETSEL, 0, 0);
    Key(VK_DOWN);
    Send(RCEM_GETCARETINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.line, 2u);
}

TEST_F(EditorWindowTest, ContextMenuKeepsOwnerSubmenusAndSendsNothingWhenDismissed)
{
    HMENU extra = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, 901, L"Inner");
    AppendMenuW(extra, MF_STRING, 900, L"Run");
    AppendMenuW(extra, MF_POPUP, (UINT_PTR)sub, L"More");
    Send(RCEM_SETCONTEXTMENU, (WPARAM)extra, -1);
    SetText(L"abc");
    notices.clear();
    commands.clear();
    EndModalSoon();
    Send(WM_CONTEXTMENU, (WPARAM)edit, MAKELPARAM(-1, -1));
    Pump();
    EXPECT_TRUE(commands.empty());
    int menuItems = 0;
    for (const Notice& n : notices)
        menuItems += n.code == RCEN_MENUITEM;
    EXPECT_EQ(menuItems, 2);
    // The owner's menus survive the popup.
    EXPECT_TRUE(IsMenu(extra));
    EXPECT_TRUE(IsMenu(sub));
    EXPECT_EQ(GetMenuItemCount(sub), 1);
    DestroyMenu(extra);
    Send(RCEM_SETCONTEXTMENU, 0, -1);
}

TEST_F(EditorWindowTest, TextTypedIntoAnEmptyWrappedEditorWraps)
{
    SetOptions(RCEO_WORDWRAP);
    std::wstring typed;
    for (int i = 0; i < 30; ++i)
        typed += L"word ";
    Type(typed);
    EXPECT_EQ(Text(), typed);
    Key(VK_HOME, true);
    Key(VK_DOWN);
    RCECaretInfo info{sizeof(info)};
    Send(RCEM_GETCARETINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.line, 1u);
    EXPECT_GT(info.column, 1u);
    // Deleting it all leaves one empty row.
    Key('A', true);
    Send(WM_CLEAR);
    EXPECT_EQ(Text(), L"");
    Type(L"x");
    EXPECT_EQ(Text(), L"x");
}

namespace {

void CALLBACK PickLastMenuItem(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    // The menu's loop reads the keyboard messages of the thread.
    HWND target = GetFocus();
    PostMessageW(target, WM_KEYDOWN, VK_UP, 1);
    PostMessageW(target, WM_KEYDOWN, VK_RETURN, 1);
}

} // namespace

TEST_F(EditorWindowTest, ContextMenuSendsTheOwnersCommandsToTheParent)
{
    HMENU extra = CreatePopupMenu();
    AppendMenuW(extra, MF_STRING, 900, L"Run statement");
    Send(RCEM_SETCONTEXTMENU, (WPARAM)extra, -1);
    commands.clear();
    SetTimer(nullptr, 0, 150, PickLastMenuItem);
    UINT_PTR guard = SetTimer(nullptr, 0, 30000, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        EndMenu();
    });
    Send(WM_CONTEXTMENU, (WPARAM)edit, MAKELPARAM(-1, -1));
    KillTimer(nullptr, guard);
    Pump();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], 900u);
    Send(RCEM_SETCONTEXTMENU, 0, -1);
    DestroyMenu(extra);
}

// Its speed is a figure of the editor benchmark.
TEST_F(EditorWindowTest, ReplaceAllOfManyMatchesIsOneEdit)
{
    std::wstring text;
    for (int i = 0; i < 20000; ++i)
        text += L"value_" + std::to_wstring(i % 7) + L" = :p\r\n";
    SetText(text);
    changes = 0;
    RCEFindReplace fr{L":p", -1, 0, RCEFR_REPLACEALL, L"?\r", -1};
    EXPECT_EQ(Send(RCEM_FINDREPLACE, 0, (LPARAM)&fr), 20000);
    EXPECT_EQ(changes, 1);
    std::wstring replaced = Text();
    // A CR of the replacement that no LF follows becomes a LF, as in typed text.
    EXPECT_EQ(replaced.substr(0, 14), L"value_0 = ?\n\r\n");
    Send(EM_UNDO);
    EXPECT_EQ(Text(), text);
}
