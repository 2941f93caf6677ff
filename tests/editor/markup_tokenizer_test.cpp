// The markup tokenizer: tags, attributes, quoted values and comments, across lines.
#include <gtest/gtest.h>

#include <vector>

#include "editor/colour_rules.h"
#include "editor/markup_tokenizer.h"
#include "editor/regexp.h"

namespace {

const COLORREF kTag = RGB(0, 0, 200);
const COLORREF kComment = RGB(0, 120, 0);
const COLORREF kAttr = RGB(200, 0, 0);
const COLORREF kValue = RGB(120, 0, 120);

struct Lexed
{
    std::wstring text;
    COLORREF colour;
    int coloured;
};

class MarkupTokenizer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_attr = CRegExp::Compile(L"[\\w-_:]{1,}\\z[\\s]{0,}=");
        RCEAddRegExpColor(m_exprs, kAttr, m_attr, 0);
        RCEAddRangeColor(m_ranges, kValue, L"\"", 0, L"\"", 0, 0);
        SetMarkupSyntaxStyle(kTag, kComment, nullptr, 0, m_exprs.GetData(), 1, m_ranges.GetData(),
                             1, nullptr, 0);
    }
    void TearDown() override
    {
        SetMarkupSyntaxStyle(0, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
        RCEFreeRegExpColors(m_exprs);
        RCEFreeRangeColors(m_ranges);
        CRegExp::Delete(m_attr);
    }

    // Tokens of one line starting in state s; s receives the state carried on.
    std::vector<Lexed> Line(const std::wstring& line, BYTE& s)
    {
        std::vector<Lexed> out;
        int fnb = 0;
        while (fnb < (int)line.size() && line[fnb] == L' ')
            ++fnb;
        for (int pos = 0; pos < (int)line.size();)
        {
            COLORREF c = 0;
            int coloured = 0, len = 0;
            BYTE next = s;
            MarkupSyntaxCallback(nullptr, s, line.c_str(), (int)line.size(), pos, fnb, &c,
                                 &coloured, &len, &next);
            if (len < 1)
                len = 1;
            out.push_back({line.substr(pos, len), c, coloured});
            s = next;
            pos += len;
        }
        return out;
    }

    CRegExp* m_attr = nullptr;
    CRCERegExpColorArray m_exprs;
    CRCERangeColorArray m_ranges;
};

} // namespace

TEST_F(MarkupTokenizer, ElementWithAttributeAndText)
{
    const COLORREF plain = GetSysColor(COLOR_WINDOWTEXT);
    BYTE s = 0;
    std::vector<Lexed> t = Line(L"<a href=\"x.html\">link</a>", s);
    ASSERT_EQ(t.size(), 11u);
    const wchar_t* texts[] = {L"<",    L"a", L" ", L"href=", L"\"x.html\"", L">",
                              L"link", L"<", L"/", L"a",     L">"};
    COLORREF colours[] = {kTag, kTag, plain, kAttr, kValue, kTag, plain, kTag, plain, kTag, kTag};
    for (size_t i = 0; i < t.size(); ++i)
    {
        EXPECT_EQ(t[i].text, texts[i]) << i;
        EXPECT_EQ(t[i].colour, colours[i]) << i;
    }
    EXPECT_EQ(t[3].coloured, 4); // the name only; "=" is consumed with it
    EXPECT_EQ(s, RCE_MARKUP_CONTENT);
}

TEST_F(MarkupTokenizer, CommentsAcrossLines)
{
    BYTE s = 0;
    Line(L"text <!-- start", s);
    EXPECT_EQ(s, RCE_MARKUP_COMMENT);
    std::vector<Lexed> middle = Line(L"a > b", s); // ">" without "--" does not end it
    EXPECT_EQ(s, RCE_MARKUP_COMMENT);
    for (const Lexed& l : middle)
        EXPECT_EQ(l.colour, kComment);
    std::vector<Lexed> last = Line(L"end --> after", s);
    EXPECT_EQ(last[0].text, L"end -->");
    EXPECT_EQ(last[0].colour, kComment);
    EXPECT_EQ(last.back().text, L" after");
    EXPECT_EQ(s, RCE_MARKUP_CONTENT);
    Line(L"x", s = RCE_MARKUP_COMMENT); // fewer than 3 characters: comment, one at a time
    EXPECT_EQ(s, RCE_MARKUP_COMMENT);
}

TEST_F(MarkupTokenizer, StatesCarriedToTheNextLine)
{
    BYTE s = 0;
    Line(L"<input value=\"open", s);
    EXPECT_EQ(s, RCE_MARKUP_ATTRIBUTES | 1);
    std::vector<Lexed> next = Line(L"still\" >", s);
    EXPECT_EQ(next[0].text, L"still\"");
    EXPECT_EQ(next[0].colour, kValue);
    EXPECT_EQ(s, RCE_MARKUP_CONTENT);

    s = 0;
    Line(L"text <", s);
    EXPECT_EQ(s, RCE_MARKUP_TAG);
    Line(L"name", s);
    EXPECT_EQ(s, RCE_MARKUP_ATTRIBUTES);
}
