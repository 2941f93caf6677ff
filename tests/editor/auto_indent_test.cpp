// Automatic indentation driven by the SQL keyword table.
#include <gtest/gtest.h>

#include "editor/auto_indent.h"
#include "editor/colour_rules.h"
#include "editor/rce_messages.h"
#include "text_state.h"

namespace {

const RCEIndentWord kWords[] = {
    {L"(", 1, 0x4},    {L"select", 6, 0x7}, {L"update", 6, 0x7}, {L"delete", 6, 0x7},
    {L"from", 4, 0x7}, {L"where", 5, 0x7},  {L"by", 2, 0x5},     {L"exists", 6, 0x5},
    {L"drop", 4, 0x7}, {L"having", 6, 0x7}, {L"set", 3, 0x7},
};

// The indent Enter gives with the caret at the end of the text (or at caret), or -1 for none.
int IndentAfter(const std::wstring& text, UINT32 tab = 4, INT64 caret = -1)
{
    TextState t(text);
    t.st.options = RCEO_AUTOINDENT;
    t.st.tabSize = tab;
    t.st.indentWords = kWords;
    t.st.indentCount = 11;
    t.Caret(caret < 0 ? t.st.length : (UINT32)caret);
    int indent = -1;
    return RCEAutoIndent(nullptr, &t.st, L'\n', &indent) ? indent : -1;
}

} // namespace

TEST(AutoIndent, KeywordsDeepenTheNextLine)
{
    EXPECT_EQ(IndentAfter(L"select"), 4);
    EXPECT_EQ(IndentAfter(L"  SELECT"), 6);
    EXPECT_EQ(IndentAfter(L"\tSelect", 8), 16); // a tab counts to the next tab stop
    EXPECT_EQ(IndentAfter(L"select a"), 0);     // not the only word
    EXPECT_EQ(IndentAfter(L"selected"), 0);
    EXPECT_EQ(IndentAfter(L"  order by"), 6);
    EXPECT_EQ(IndentAfter(L"  order by x"), 2); // another word follows "by"
    EXPECT_EQ(IndentAfter(L"  count(  "), 6);
    EXPECT_EQ(IndentAfter(L"where exists"), 4);
}

TEST(AutoIndent, ReferenceLineAndNoIndentCases)
{
    EXPECT_EQ(IndentAfter(L""), -1);                 // nothing to indent on an empty text
    EXPECT_EQ(IndentAfter(L"  abc\n", 4), -1);       // caret at the start of its line
    EXPECT_EQ(IndentAfter(L"  abc", 4, 0), -1);      // caret at column 0 of a non-empty line
    EXPECT_EQ(IndentAfter(L"   x\n\n  \n  ", 4), 3); // blank lines are passed over
    TextState t(L"select");
    t.Caret(6);
    int indent = -1;
    EXPECT_FALSE(RCEAutoIndent(nullptr, &t.st, L'\n', &indent)); // option off
}

TEST(AutoIndent, LineStartingInsideAComment)
{
    CRCERangeColorArray ranges;
    RCEAddRangeColor(ranges, 0, L"/*", 0, L"*/", 0, 0);
    TextState t(L"/* a\nb */  select");
    t.st.options = RCEO_AUTOINDENT;
    t.st.tabSize = 4;
    t.st.indentWords = kWords;
    t.st.indentCount = 11;
    t.st.rangeRules = ranges.GetData();
    t.st.rangeCount = 1;
    t.st.colouringActive = 1;
    t.Caret(t.st.length);
    int indent = -1;
    ASSERT_TRUE(RCEAutoIndent(nullptr, &t.st, L'\n', &indent));
    EXPECT_EQ(indent, 6 + 4); // the comment's tail counts as indentation, then "select"
    RCEFreeRangeColors(ranges);
}

TEST(AutoIndent, MatcherWithoutTable)
{
    int change = 7;
    EXPECT_FALSE(RCEMatchIndentWord(L"select", 0, 6, 6, nullptr, 0, 4, &change));
    EXPECT_EQ(change, 0);
    const RCEIndentWord cased[] = {{L"GO", 2, 0x1 | 0x2 | 0x8}};
    EXPECT_TRUE(RCEMatchIndentWord(L"go", 0, 2, 2, cased, 1, 4, &change));
    EXPECT_EQ(change, 0);
    EXPECT_TRUE(RCEMatchIndentWord(L"GO", 0, 2, 2, cased, 1, 4, &change));
    EXPECT_EQ(change, 4);
}
