// Text storage, line walking and positions of the editor.
#include <gtest/gtest.h>

#include "editor/rce_messages.h"
#include "text_state.h"

TEST(TextBuffer, GrowsInWholeHalfPages)
{
    TextState t;
    UINT32 step = RCETextGrowStep();
    EXPECT_EQ(t.st.length, 0u);
    ASSERT_TRUE(RCEGrowText(&t.st, step + 1));
    EXPECT_EQ(t.st.capacity % step, 0u);
    EXPECT_GE(t.st.capacity, step + 1);
    // The grown part is zero-filled.
    EXPECT_EQ(t.st.text[step], 0);
    t.Set(std::wstring(3 * step + 5, L'x'));
    EXPECT_EQ(t.st.capacity, 4 * step);
    EXPECT_EQ(t.Text(), std::wstring(3 * step + 5, L'x'));
}

TEST(TextBuffer, EmptyTextHasOneLine)
{
    TextState t;
    EXPECT_EQ(RCELineCount(&t.st), 1u);
    RCERowPos r;
    ASSERT_TRUE(RCEGetLineRec(&t.st, 0, &r));
    EXPECT_EQ(r.start, 0u);
    EXPECT_EQ(r.end, 0u);
    EXPECT_FALSE(RCEGetLineRec(&t.st, 1, &r));
    UINT32 line, col;
    RCEGetCaretLineCol(&t.st, &line, &col);
    EXPECT_EQ(line, 1u);
    EXPECT_EQ(col, 1u);
}

TEST(TextBuffer, LineWalkersAndVisibleLength)
{
    TextState t(L"ab\r\ncd\n\nlast");
    RCERowPos r{0, 0, 0, 1};
    RCELineEndForward(&t.st, &r);
    EXPECT_EQ(r.end, 3u);
    EXPECT_EQ(RCEVisibleLength(&t.st, &r), 2u); // the CR is not visible
    ASSERT_TRUE(RCENextLine(&t.st, &r));
    EXPECT_EQ(r.number, 1u);
    EXPECT_EQ(r.start, 4u);
    EXPECT_EQ(r.end, 6u);
    ASSERT_TRUE(RCENextLine(&t.st, &r));
    EXPECT_EQ(r.start, 7u);
    EXPECT_EQ(r.end, 7u);
    EXPECT_EQ(RCEVisibleLength(&t.st, &r), 0u);
    ASSERT_TRUE(RCENextLine(&t.st, &r));
    EXPECT_EQ(r.end, 12u);
    EXPECT_FALSE(RCENextLine(&t.st, &r));

    // Back again, one line at a time.
    for (UINT32 n = 3; n > 0; --n)
    {
        ASSERT_TRUE(RCEStepLine(&t.st, &r, false));
        EXPECT_EQ(r.number, n - 1);
    }
    EXPECT_EQ(r.start, 0u);
    EXPECT_EQ(r.end, 3u);
    EXPECT_FALSE(RCEStepLine(&t.st, &r, false));

    EXPECT_TRUE(RCEIsLineEnd(&t.st, 2)); // CR of CR LF
    EXPECT_FALSE(RCEIsLineEnd(&t.st, 1));
    EXPECT_TRUE(RCEIsLineEnd(&t.st, 12));
    EXPECT_TRUE(RCEIsLineStart(&t.st, 4));
    EXPECT_FALSE(RCEIsLineStart(&t.st, 3));
}

TEST(TextBuffer, LineRecordsFromAnyKeptRecord)
{
    std::wstring text;
    for (int i = 0; i < 50; ++i)
        text += L"line " + std::to_wstring(i) + L"\n";
    TextState t(text);
    // Whatever the kept records, line n is the same.
    for (UINT32 caretLine : {0u, 25u, 49u})
    {
        RCERowPos rec;
        ASSERT_TRUE(RCEGetLineRec(&t.st, caretLine, &rec));
        t.Caret(rec.start + 2);
        EXPECT_EQ(t.st.caretRow.number, caretLine);
        for (UINT32 n : {0u, 7u, 30u, 50u})
        {
            RCERowPos r;
            ASSERT_TRUE(RCEGetLineRec(&t.st, n, &r));
            EXPECT_EQ(r.number, n);
            std::wstring expected = n < 50 ? L"line " + std::to_wstring(n) : L"";
            EXPECT_EQ(std::wstring(t.st.text + r.start, r.end - r.start), expected);
        }
    }
    t.Caret((UINT32)text.find(L"line 12") + 6);
    UINT32 line, col;
    RCEGetCaretLineCol(&t.st, &line, &col);
    EXPECT_EQ(line, 13u);
    EXPECT_EQ(col, 7u);
    RCERowPos from = t.st.caretRow, to;
    ASSERT_TRUE(RCEStepToPos(&t.st, 3, &from, &to));
    EXPECT_EQ(to.number, 0u);
}

TEST(TextBuffer, SmallHelpers)
{
    TextState t(L"  \tselect x");
    EXPECT_EQ(RCEFirstNonBlank(t.st.text, 0, t.st.length, t.st.length), 3u);
    EXPECT_EQ(RCEFirstNonBlank(t.st.text, 0, 2, 10), 0u); // none: from
    EXPECT_EQ(RCETabFill(L"ab", 2, 4), 2u);
    EXPECT_EQ(RCETabFill(L"", 0, 4), 4u); // a full tab at column 0
    EXPECT_EQ(RCETabFill(L"a\tb", 3, 4), 3u);

    UINT32 a, b;
    t.Caret(5);
    EXPECT_TRUE(RCEWordAt(&t.st, &a, &b));
    EXPECT_EQ(a, 3u);
    EXPECT_EQ(b, 8u);
    t.Caret(10); // the one-character word "x"
    EXPECT_FALSE(RCEWordAt(&t.st, &a, &b));
    t.Caret(1);
    EXPECT_FALSE(RCEWordAt(&t.st, &a, &b));
}

TEST(TextBuffer, SelectionRangeAndVirtualSpace)
{
    TextState t(L"abc\ndef");
    t.Caret(1);
    RCEAnchorSelection(&t.st, true);
    t.st.caretIndex = 6;
    UINT32 s, sc, e, ec;
    RCEGetSelRange(&t.st, &s, &sc, &e, &ec);
    EXPECT_EQ(s, 1u);
    EXPECT_EQ(e, 6u);
    EXPECT_TRUE(RCESelHasLineBreak(&t.st));
    t.st.caretIndex = 0; // caret before the anchor: still smaller end first
    RCEGetSelRange(&t.st, &s, &sc, &e, &ec);
    EXPECT_EQ(s, 0u);
    EXPECT_EQ(e, 1u);
    EXPECT_FALSE(RCESelHasLineBreak(&t.st));
    RCEAnchorSelection(&t.st, false);
    RCEGetSelRange(&t.st, &s, &sc, &e, &ec);
    EXPECT_EQ(s, e);

    // Virtual columns count only at a line end in virtual space without wrap.
    EXPECT_TRUE(RCEPosEQ(&t.st, 3, 2, 3, 0));
    t.st.options = RCEO_VIRTUALSPACE;
    EXPECT_FALSE(RCEPosEQ(&t.st, 3, 2, 3, 0));
    EXPECT_TRUE(RCEPosLE(&t.st, 3, 0, 3, 2));
    EXPECT_TRUE(RCEPosEQ(&t.st, 1, 2, 1, 0)); // not a line end
    t.st.options |= RCEO_WORDWRAP;
    EXPECT_TRUE(RCEPosEQ(&t.st, 3, 2, 3, 0));
}

TEST(TextBuffer, LineStatesGrowAndInvalidate)
{
    TextState t(L"a\nb\nc");
    RCELineState ls;
    RCEGetLineState(&t.st, 2, &ls);
    EXPECT_EQ(ls.state, 0u);
    EXPECT_GE(t.st.lineStates.size(), 3u);
    RCESetLineState(&t.st, 2, RCELineState{7, 0, 0});
    EXPECT_TRUE(RCELineStateValid(&t.st, 2));
    EXPECT_TRUE(RCEIsStateFrontier(&t.st, 2));
    RCEInvalidateLineStates(&t.st, 1);
    EXPECT_FALSE(RCELineStateValid(&t.st, 2));
    RCEGetLineState(&t.st, 2, &ls);
    EXPECT_EQ(ls.state, 7u); // kept, just no longer trusted
}
