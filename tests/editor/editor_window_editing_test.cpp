// Typing, line breaks, deletion, undo and redo, the modified flag and the replace messages of a
// real editor window.
#include "editor_window_fixture.h"

TEST_F(EditorWindowTest, NewWindowIsEmptyAndAnswersItsDefaults)
{
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), 0);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(0), DWORD(0)));
    EXPECT_EQ(Send(WM_USER + 20), 0);
    EXPECT_EQ(Send(WM_USER + 17), 0);
    EXPECT_EQ(Send(RCEM_SETTABSIZE, 0, 0), 8);
    EXPECT_EQ(Send(RCEM_SETTABSIZE, 0, 4), 8);
    EXPECT_EQ(Send(RCEM_GETTABSIZE), 4);
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_EQ(Send(EM_GETMODIFY), 0);
    EXPECT_EQ(Send(WM_GETFONT), (LRESULT)GetStockObject(ANSI_FIXED_FONT));
}

TEST_F(EditorWindowTest, TypingStoresCharactersAndEnterAsCrLf)
{
    Type(L"ab\nc");
    EXPECT_EQ(Text(), L"ab\r\nc");
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(5), DWORD(5)));

    SetText(L"");
    Send(EM_REPLACESEL, 0, (LPARAM)L"a\rb");
    EXPECT_EQ(Text(), L"a\nb");
    SetText(L"");
    Send(EM_REPLACESEL, 0, (LPARAM)L"a\r\nb");
    EXPECT_EQ(Text(), L"a\r\nb");
}

TEST_F(EditorWindowTest, BackspaceAndDeleteRemoveACrLfPairTogether)
{
    SetText(L"ab\r\ncd");
    Send(EM_SETSEL, 4, 4);
    Char(L'\b');
    EXPECT_EQ(Text(), L"abcd");
    SetText(L"ab\r\ncd");
    Send(EM_SETSEL, 2, 2);
    Key(VK_DELETE);
    EXPECT_EQ(Text(), L"abcd");
    // A selection is deleted as a whole.
    Send(EM_SETSEL, 1, 3);
    Char(L'\b');
    EXPECT_EQ(Text(), L"ad");
}

TEST_F(EditorWindowTest, ReadOnlyWindowRefusesTypingButTakesSetText)
{
    Send(EM_SETREADONLY, 1);
    Type(L"x");
    EXPECT_EQ(Text(), L"");
    SetText(L"abc");
    Send(EM_SETSEL, 0, 1);
    Send(WM_CLEAR);
    Send(WM_PASTE);
    EXPECT_EQ(Text(), L"abc");
    RCEReplaceRange rr{0, 1, L"z", -1};
    EXPECT_EQ(Send(RCEM_REPLACERANGE, 0, (LPARAM)&rr), 0);
    EXPECT_EQ(Send(EM_UNDO), 0);
}

TEST_F(EditorWindowTest, UndoAndRedoStepThroughTypedCharacters)
{
    Type(L"abc");
    EXPECT_NE(Send(EM_CANUNDO), 0);
    EXPECT_NE(Send(EM_UNDO), 0);
    EXPECT_EQ(Text(), L"ab");
    EXPECT_NE(Send(RCEM_CANREDO), 0);
    EXPECT_NE(Send(EM_UNDO), 0);
    EXPECT_EQ(Text(), L"a");
    EXPECT_NE(Send(RCEM_REDO), 0);
    EXPECT_EQ(Text(), L"ab");
    EXPECT_EQ(Sel(), std::make_pair(DWORD(2), DWORD(2)));
    // A new edit discards the redo steps.
    Type(L"x");
    EXPECT_EQ(Send(RCEM_CANREDO), 0);
    EXPECT_EQ(Send(RCEM_REDO), 0);
    // Ctrl+Z and Ctrl+Y, Alt+Backspace and Alt+Shift+Backspace.
    Key('Z', true);
    EXPECT_EQ(Text(), L"ab");
    Key('Y', true);
    EXPECT_EQ(Text(), L"abx");
    SetModifiers(false, false, true);
    Send(WM_SYSKEYDOWN, VK_BACK, 1);
    EXPECT_EQ(Text(), L"ab");
    SetModifiers(false, true, true);
    Send(WM_SYSKEYDOWN, VK_BACK, 1);
    EXPECT_EQ(Text(), L"abx");
}

TEST_F(EditorWindowTest, HistoryKeepsTheLastThousandSteps)
{
    for (int i = 0; i < 1001; ++i)
        Send(WM_CHAR, L'a' + i % 26, 1);
    int undone = 0;
    while (Send(EM_UNDO))
        ++undone;
    EXPECT_EQ(undone, 1000);
    EXPECT_EQ(Text(), L"a");
}

TEST_F(EditorWindowTest, ModifiedFlagFollowsTheSavedPoint)
{
    Send(EM_SETMODIFY, 1);
    EXPECT_NE(Send(EM_GETMODIFY), 0);
    Send(EM_SETMODIFY, 0);
    EXPECT_EQ(Send(EM_GETMODIFY), 0);
    Type(L"a");
    EXPECT_NE(Send(EM_GETMODIFY), 0);
    Send(EM_UNDO);
    EXPECT_EQ(Send(EM_GETMODIFY), 0);
    Send(RCEM_REDO);
    EXPECT_NE(Send(EM_GETMODIFY), 0);
}

TEST_F(EditorWindowTest, SetTextClearsHistoryWithoutNotifying)
{
    Type(L"abc");
    changes = 0;
    SetText(L"line one\r\nline two");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_EQ(Send(EM_GETMODIFY), 0);
    EXPECT_EQ(Text(), L"line one\r\nline two");
    EXPECT_EQ(Sel(), std::make_pair(DWORD(0), DWORD(0)));
    Send(WM_SETTEXT, 0, 0); // a null text is ignored
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), 18);
}

TEST_F(EditorWindowTest, ReplaceRangeAcceptsTheTextEndAndIsOneUndoStep)
{
    // An empty text takes appended text.
    RCEReplaceRange rr{0, 0, L"select 1", -1};
    EXPECT_NE(Send(RCEM_REPLACERANGE, 0, (LPARAM)&rr), 0);
    EXPECT_EQ(Text(), L"select 1");
    rr = {8, 8, L" from t", -1};
    EXPECT_NE(Send(RCEM_REPLACERANGE, 0, (LPARAM)&rr), 0);
    EXPECT_EQ(Text(), L"select 1 from t");
    rr = {7, 8, L"*", 1};
    EXPECT_NE(Send(RCEM_REPLACERANGE, 0, (LPARAM)&rr), 0);
    EXPECT_EQ(Text(), L"select * from t");
    EXPECT_EQ(changes, 3);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), L"select 1 from t");

    rr = {5, 4, L"x", 1};
    EXPECT_EQ(Send(RCEM_REPLACERANGE, 0, (LPARAM)&rr), 0);
    rr = {0, 16, L"x", 1};
    EXPECT_EQ(Send(RCEM_REPLACERANGE, 0, (LPARAM)&rr), 0);
    rr = {0, 1, nullptr, 1};
    EXPECT_EQ(Send(RCEM_REPLACERANGE, 0, (LPARAM)&rr), 0);
    EXPECT_EQ(Send(RCEM_REPLACERANGE, 0, 0), 0);
    EXPECT_EQ(Text(), L"select 1 from t");
}

TEST_F(EditorWindowTest, OverwriteModeStaysWithinTheLine)
{
    SetText(L"ab\r\ncd");
    Key(VK_INSERT);
    Send(EM_SETSEL, 1, 1);
    Type(L"xyz");
    EXPECT_EQ(Text(), L"axyz\r\ncd");
    // Enter moves to the next line without inserting.
    Send(EM_SETSEL, 0, 0);
    Type(L"\n");
    EXPECT_EQ(Text(), L"axyz\r\ncd");
    EXPECT_EQ(Sel(), std::make_pair(DWORD(6), DWORD(6)));
    // At the text end characters are appended.
    Key(VK_END, true);
    Type(L"!");
    EXPECT_EQ(Text(), L"axyz\r\ncd!");
    Key(VK_INSERT);
    Send(EM_SETSEL, 0, 0);
    Type(L"_");
    EXPECT_EQ(Text(), L"_axyz\r\ncd!");
}

TEST_F(EditorWindowTest, CaseChangeOfTheSelectionIsUndoable)
{
    SetText(L"select x");
    Send(EM_SETSEL, 0, 6);
    Key('U', true);
    EXPECT_EQ(Text(), L"SELECT x");
    EXPECT_EQ(SelText(), L"SELECT");
    Key('U', true, true);
    EXPECT_EQ(Text(), L"select x");
    Send(EM_UNDO);
    EXPECT_EQ(Text(), L"SELECT x");
}

// A window of the class whose state is missing (its creation failed half way, or it is being
// torn down) answers the interface messages with 0 and EM_GETSEL with -1, and touches nothing.
TEST_F(EditorWindowTest, MessagesGivenNoStateAnswerZero)
{
    SetText(L"select 1");
    SetOptions(RCEO_AUTOCOMPLETE);
    Send(EM_SETSEL, 2, 4);
    changes = 0;
    LONG_PTR state = SetWindowLongPtrW(edit, 0, 0);
    ASSERT_NE(state, 0);
    EXPECT_EQ(Send(RCEM_GETOPTIONS), 0);
    EXPECT_EQ(Send(RCEM_SETOPTIONS, 1, RCEO_WORDWRAP), 0);
    EXPECT_EQ(Send(RCEM_GETTABSIZE), 0);
    EXPECT_EQ(Send(RCEM_GETSELLENGTH), 0);
    EXPECT_EQ(Send(EM_GETSEL), -1);
    RCEReplaceRange range{0, 6, L"update", -1};
    EXPECT_EQ(Send(RCEM_REPLACERANGE, 0, (LPARAM)&range), 0);
    Send(WM_CHAR, L'x', 1);
    Send(WM_PAINT);
    SetWindowLongPtrW(edit, 0, state);
    EXPECT_EQ(Options(), (UINT32)RCEO_AUTOCOMPLETE);
    EXPECT_EQ(Text(), L"select 1");
    EXPECT_EQ(Sel(), std::make_pair(DWORD(2), DWORD(4)));
    EXPECT_EQ(changes, 0);
}

// A replacement whose text cannot be given room (here: more than the block may ever hold, so no
// allocation is tried) changes nothing: the deleted part stays, no undo step, no notification.
TEST_F(EditorWindowTest, ReplacementThatCannotGrowTheTextChangesNothing)
{
    SetText(L"select 1\r\nfrom t");
    Send(EM_SETSEL, 7, 8);
    Type(L"2");
    Send(EM_SETSEL, 0, 6);
    changes = 0;
    static const WCHAR kOne[] = L"x";
    RCEReplaceRange huge{0, 6, kOne, 0x40000000}; // the text itself is never read
    EXPECT_EQ(Send(RCEM_REPLACERANGE, 0, (LPARAM)&huge), 0);
    EXPECT_EQ(Text(), L"select 2\r\nfrom t");
    EXPECT_EQ(Sel(), std::make_pair(DWORD(0), DWORD(6)));
    EXPECT_EQ(changes, 0);
    // The last undo step is still the typed character.
    EXPECT_TRUE(Send(EM_UNDO));
    EXPECT_EQ(Text(), L"select 1\r\nfrom t");
}

TEST_F(EditorWindowTest, GetTextCutsAndTerminates)
{
    SetText(L"abcdef");
    WCHAR buf[8];
    wmemset(buf, L'#', 8);
    EXPECT_EQ(Send(WM_GETTEXT, 7, (LPARAM)buf), 6);
    EXPECT_STREQ(buf, L"abcdef");
    wmemset(buf, L'#', 8);
    EXPECT_EQ(Send(WM_GETTEXT, 4, (LPARAM)buf), 4);
    EXPECT_STREQ(buf, L"abc");
    EXPECT_EQ(Send(WM_GETTEXT, 0, (LPARAM)buf), 0);
    Send(EM_SETSEL, 1, 3);
    wmemset(buf, L'#', 8);
    EXPECT_EQ(Send(RCEM_GETSELTEXT, 1, (LPARAM)buf), 1);
    EXPECT_EQ(buf[0], L'\0');
}

// The parent may send messages back while it is being told of a change or a caret move, as a
// script window does to update its status bar; the editor goes on with its own work after.
TEST_F(EditorWindowTest, ParentMaySendMessagesBackFromItsNotifications)
{
    Send(RCEM_SETNOTIFY, 1);
    std::wstring seenText;
    DWORD seenCaret = 0;
    onNotify = [&](UINT code, const NMHDR*) {
        if (code == RCEN_CARETMOVED)
        {
            Send(EM_GETSEL, (WPARAM)&seenCaret, 0);
            seenText = Text();
        }
    };
    Type(L"select 1");
    EXPECT_EQ(Text(), L"select 1");
    EXPECT_EQ(seenCaret, 8u);
    EXPECT_EQ(seenText, L"select 1");
    // An EN_CHANGE handler that edits again: a semicolon typed at the end gets a line break.
    onNotify = nullptr;
    SetText(L"");
    onChange = [&]() {
        std::wstring t = Text();
        if (!t.empty() && t.back() == L';')
        {
            RCEReplaceRange rr{(UINT32)t.size(), (UINT32)t.size(), L"\r\n", -1};
            Send(RCEM_REPLACERANGE, 0, (LPARAM)&rr);
            Send(EM_SETSEL, t.size() + 2, t.size() + 2);
        }
    };
    Type(L"go;x");
    EXPECT_EQ(Text(), L"go;\r\nx");
    onChange = nullptr;
    Send(EM_UNDO);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), L"go;");
}
