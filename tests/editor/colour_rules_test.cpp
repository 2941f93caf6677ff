// Colour-rule lists, the matchers and the SQL tokenizer's line states.
#include <gtest/gtest.h>

#include <vector>

#include "editor/colour_rules.h"
#include "editor/rce_messages.h"
#include "editor/regexp.h"
#include "editor/sql_tokenizer.h"
#include "text_state.h"

namespace {

const COLORREF kKeyword = RGB(0, 0, 255);
const COLORREF kComment = RGB(0, 128, 0);
const COLORREF kString = RGB(128, 0, 0);
const COLORREF kNumber = RGB(255, 0, 0);

struct Token
{
    std::wstring text;
    COLORREF colour; // 0xFFFFFFFF uncoloured
    bool operator==(const Token& o) const { return text == o.text && colour == o.colour; }
};

void PrintTo(const Token& t, std::ostream* os)
{
    *os << "{" << std::string(t.text.begin(), t.text.end()) << ", " << std::hex << t.colour << "}";
}

const COLORREF kPlain = 0xFFFFFFFF;

// The scheme the program builds: keywords, comments, strings with a backslash escape, numbers.
struct Scheme
{
    CRCEWordColorArray words;
    CRCERangeColorArray ranges;
    CRCERegExpColorArray regexps;
    CRegExp* hex = CRegExp::Compile(L"0x[0-9a-fA-F]{1,}");
    CRegExp* number = CRegExp::Compile(L"[0-9]{0,}(\\.[0-9]{1,}){0,1}");

    Scheme()
    {
        RCEAddWordColorList(words, kKeyword, L"select, from ,where,by", 0);
        RCEAddRangeColor(ranges, kComment, L"--", 0, L"\n", 0, 0);
        RCEAddRangeColor(ranges, kComment, L"/*", 0, L"*/", 0, 0);
        RCEAddRangeColor(ranges, kString, L"'", 0, L"'", 0, L'\\');
        RCEAddRegExpColor(regexps, kNumber, hex, RCEXF_AFTERNONIDENT | RCEXF_ENDNONIDENT);
        RCEAddRegExpColor(regexps, kNumber, number, RCEXF_AFTERNONIDENT | RCEXF_ENDNONIDENT);
    }
    ~Scheme()
    {
        RCEFreeWordColors(words);
        RCEFreeRangeColors(ranges);
        RCEFreeRegExpColors(regexps);
        CRegExp::Delete(hex);
        CRegExp::Delete(number);
    }
    void Apply(RCE_STATE& st)
    {
        st.wordRules = RCEGetData(words);
        st.wordCount = RCEGetCount(words);
        st.rangeRules = RCEGetData(ranges);
        st.rangeCount = RCEGetCount(ranges);
        st.regexpRules = RCEGetData(regexps);
        st.regexpCount = RCEGetCount(regexps);
        st.tokenizer = RColorEditorTokenizeSQL;
        RCEHasColoring(&st);
        RCEResetLineStates(&st);
    }
};

// Splits line n into tokens as the painter does, starting from the stored line state.
std::vector<Token> Tokens(TextState& t, UINT32 n)
{
    RCEEnsureLineStates(&t.st, n);
    RCELineState ls;
    RCEGetLineState(&t.st, n, &ls);
    RCERowPos rec;
    EXPECT_TRUE(RCEGetLineRec(&t.st, n, &rec));
    RCETokenSpan span = RCEGetTokenSpan(&t.st, &rec);
    std::vector<Token> out;
    BYTE s = RCEStateByte(ls);
    for (int pos = 0; pos < span.visible;)
    {
        COLORREF c;
        int coloured, len;
        BYTE next;
        RCETokenize(&t.st, s, span, pos, &c, &coloured, &len, &next);
        std::wstring text(span.text + pos, std::min(len, span.visible - pos));
        // Merge neighbouring plain characters so expectations stay readable.
        if (!coloured && !out.empty() && out.back().colour == kPlain && text.size() == 1 &&
            !iswalnum(text[0]) && !iswalnum(out.back().text.back()))
            out.back().text += text;
        else
            out.push_back({text, coloured ? c : kPlain});
        s = next;
        pos += len;
    }
    return out;
}

BYTE StateOf(TextState& t, UINT32 n)
{
    RCEEnsureLineStates(&t.st, n);
    RCELineState ls;
    RCEGetLineState(&t.st, n, &ls);
    return RCEStateByte(ls);
}

} // namespace

TEST(ColourRules, ListOperations)
{
    CString item = L"keep";
    EXPECT_EQ(RCENextListItem(L" a , b", 0, item), 4);
    EXPECT_EQ(item, CString(L"a"));
    EXPECT_EQ(RCENextListItem(L" a , b", 4, item), 7);
    EXPECT_EQ(item, CString(L"b"));
    EXPECT_EQ(RCENextListItem(L" a , b", 7, item), -1);
    EXPECT_EQ(RCENextListItem(L" a , b", -1, item), -1);
    item = L"keep";
    EXPECT_EQ(RCENextListItem(L"a,,b", 2, item), 3);
    EXPECT_EQ(item, CString(L"keep")); // an empty item leaves it unchanged

    CRCEWordColorArray words;
    EXPECT_EQ(RCEAddWordColorList(words, 1, L"select,, from ,", 0), 1);
    ASSERT_EQ(RCEGetCount(words), 2u);
    EXPECT_EQ(std::wstring(words[1].word), L"from");
    EXPECT_EQ(words[1].length, 4u);
    EXPECT_EQ(RCESetWordColorAt(words, 2, 5), 0);
    EXPECT_EQ(RCESetAllWordColors(words, 5), 1);
    EXPECT_EQ(words[0].color, 5u);
    RCEFreeWordColors(words);
    EXPECT_EQ(RCEGetCount(words), 0u);
    EXPECT_EQ(RCEGetData(words), nullptr);

    CRCEAutoCompleteWordArray ac;
    RCEAddAutoCompleteWordList(ac, L"ALTER, TABLE");
    ASSERT_EQ(RCEGetCount(ac), 2u);
    EXPECT_EQ(ac[1].length, 5u);
    RCEClearAutoCompleteWords(ac);
    EXPECT_EQ(RCEGetCount(ac), 0u);
}

TEST(ColourRules, WordRulesMatchWholeIdentifiersIgnoringCase)
{
    Scheme scheme;
    TextState t(L"SELECT Select selected sel_ect");
    scheme.Apply(t.st);
    std::vector<Token> expected = {
        {L"SELECT", kKeyword}, {L" ", kPlain}, {L"Select", kKeyword}, {L" ", kPlain},
        {L"selected", kPlain}, {L" ", kPlain}, {L"sel_ect", kPlain}};
    EXPECT_EQ(Tokens(t, 0), expected);

    CRCEWordColorArray cased;
    RCEAddWordColor(cased, 9, L"Go", RCEWF_MATCHCASE);
    COLORREF c = 0;
    EXPECT_TRUE(RCEFindWordColor(cased.GetData(), 1, L"Go", 2, &c));
    EXPECT_FALSE(RCEFindWordColor(cased.GetData(), 1, L"GO", 2, &c));
    RCEFreeWordColors(cased);
}

TEST(ColourRules, NumbersOnlyOutsideIdentifiers)
{
    Scheme scheme;
    TextState t(L"x 0x1F a0x1F 12.5 v2");
    scheme.Apply(t.st);
    std::vector<Token> expected = {{L"x", kPlain},     {L" ", kPlain},     {L"0x1F", kNumber},
                                   {L" ", kPlain},     {L"a0x1F", kPlain}, {L" ", kPlain},
                                   {L"12.5", kNumber}, {L" ", kPlain},     {L"v2", kPlain}};
    EXPECT_EQ(Tokens(t, 0), expected);

    // No empty match: a rule that can match nothing never colours.
    int coloured = 0, token = 0;
    COLORREF c = 0;
    EXPECT_FALSE(RCEMatchRegExpColor(scheme.regexps.GetData(), 2, L"abc", 3, true, true, &c,
                                     &coloured, &token));
    EXPECT_FALSE(RCEMatchRegExpColor(scheme.regexps.GetData(), 2, L"", 0, true, true, &c, &coloured,
                                     &token));
}

TEST(ColourRules, LineStatesAcrossLines)
{
    Scheme scheme;
    TextState t(L"select 1 -- note 'x\n"
                L"from t /* open\n"
                L"still comment 'a\n"
                L"end */ where a = 'it\\'s' -- c\n"
                L"x = 'multi\n"
                L"line' by");
    scheme.Apply(t.st);
    EXPECT_EQ(StateOf(t, 1), 0); // a line comment ends with its line
    EXPECT_EQ(StateOf(t, 2), 2); // the block comment carries over
    EXPECT_EQ(StateOf(t, 3), 2); // a quote inside it opens nothing
    EXPECT_EQ(StateOf(t, 4), 0); // "*/" closed it; the escaped quote did not end the string
    EXPECT_EQ(StateOf(t, 5), 3); // an open string carries over

    std::vector<Token> line3 = {{L"end */", kComment},  {L" ", kPlain}, {L"where", kKeyword},
                                {L" ", kPlain},         {L"a", kPlain}, {L" = ", kPlain},
                                {L"'it\\'s'", kString}, {L" ", kPlain}, {L"-- c", kComment}};
    EXPECT_EQ(Tokens(t, 3), line3);
    std::vector<Token> line5 = {{L"line'", kString}, {L" ", kPlain}, {L"by", kKeyword}};
    EXPECT_EQ(Tokens(t, 5), line5);

    // Closing the comment on line 2 by an edit: states from there on are recomputed.
    t.Insert(20 + 15 + 16, L"*/"); // "still comment 'a*/"
    RCEInvalidateLineStates(&t.st, 2);
    EXPECT_EQ(StateOf(t, 3), 0);
}

TEST(ColourRules, LineEndRangeWithEscapeContinues)
{
    CRCERangeColorArray ranges;
    RCEAddRangeColor(ranges, kComment, L"#", 0, L"\n", 0, L'\\');
    TextState t(L"# a \\\ncontinued\nplain");
    t.st.rangeRules = ranges.GetData();
    t.st.rangeCount = 1;
    RCEHasColoring(&t.st);
    EXPECT_EQ(StateOf(t, 1), 1);
    EXPECT_EQ(StateOf(t, 2), 0);
    // A range that opens at the very end of its line also ends there.
    t.Set(L"x #\ny");
    RCEResetLineStates(&t.st);
    EXPECT_EQ(StateOf(t, 1), 0);
    RCEFreeRangeColors(ranges);
}

TEST(ColourRules, RangeBeginAtFirstNonBlankOnly)
{
    CRCERangeColorArray ranges;
    RCEAddRangeColor(ranges, kComment, L"REM", RCERF_FIRSTNONBLANK, L"\n", 0, 0);
    const tagRCERangeColor& r = ranges[0];
    EXPECT_TRUE(RCEMatchRangeBegin(r, L"  rem x", 7, 2, 2));
    EXPECT_FALSE(RCEMatchRangeBegin(r, L"a rem x", 7, 2, 0));
    EXPECT_FALSE(RCEMatchRangeBegin(r, L"  re", 4, 2, 2)); // does not fit
    RCEFreeRangeColors(ranges);
}

TEST(ColourRules, AtMost255RangeRules)
{
    CRCERangeColorArray ranges;
    for (int i = 0; i < 256; ++i)
    {
        wchar_t begin[8];
        wsprintfW(begin, L"<%d>", i);
        RCEAddRangeColor(ranges, (COLORREF)i, begin, 0, L"</>", 0, 0);
    }
    EXPECT_EQ(RCEFindRangeBegin(ranges.GetData(), 256, L"<254>", 5, 0, 0), 255);
    EXPECT_EQ(RCEFindRangeBegin(ranges.GetData(), 256, L"<255>", 5, 0, 0), 0);

    TextState t(L"<254> open\nstill\n<255> x\n");
    t.st.rangeRules = ranges.GetData();
    t.st.rangeCount = 256;
    RCEHasColoring(&t.st);
    EXPECT_EQ(StateOf(t, 1), 255);
    EXPECT_EQ(StateOf(t, 2), 255);
    // A stored state beyond the rules in force counts as no open range.
    t.st.rangeCount = 3;
    COLORREF c;
    int coloured, len;
    BYTE out = 200;
    RColorEditorTokenizeSQL(&t.st, 200, L"abc", 3, 0, 0, &c, &coloured, &len, &out);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(len, 3);
    RCEFreeRangeColors(ranges);
}
