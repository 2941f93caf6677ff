// Text measuring and word wrap on a memory DC: the incrementally maintained rows must always equal
// a full rewrap.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/rce_messages.h"
#include "editor/text_measure.h"
#include "editor/word_wrap.h"
#include "text_state.h"

namespace {

class WrapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(m_dc, nullptr);
        m_font =
            CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
        m_old = SelectObject(m_dc, m_font);
    }
    void TearDown() override
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_font);
        DeleteDC(m_dc);
    }
    void Prepare(TextState& t, int width)
    {
        t.st.measureDC = m_dc;
        t.st.options = RCEO_WORDWRAP;
        t.st.wrapWidth = width;
        RCEGetMetrics(&t.st);
        ASSERT_TRUE(RCEWrapAll(&t.st));
    }
    int Width(const std::wstring& s)
    {
        SIZE size{};
        GetTextExtentPoint32W(m_dc, s.c_str(), (int)s.size(), &size);
        return size.cx;
    }
    std::vector<std::wstring> Rows(TextState& t)
    {
        std::vector<std::wstring> out;
        for (UINT32 r = 0; r < RCELineCount(&t.st); ++r)
        {
            RCERowPos rec;
            EXPECT_TRUE(RCEGetLineRec(&t.st, r, &rec));
            out.push_back(std::wstring(t.st.text + rec.start, rec.end - rec.start));
        }
        return out;
    }
    // The table must equal a full rewrap of the same text.
    void ExpectSameAsFullWrap(TextState& t, const char* what)
    {
        TextState full(t.Text());
        full.st.measureDC = m_dc;
        full.st.options = RCEO_WORDWRAP;
        full.st.wrapWidth = t.st.wrapWidth;
        ASSERT_TRUE(RCEWrapAll(&full.st));
        auto table = [](const TextState& s) {
            std::vector<std::pair<UINT32, UINT32>> rows;
            for (const RCEWrapRow& r : s.st.wrapRows)
                rows.push_back({r.start, r.line});
            return rows;
        };
        ASSERT_EQ(table(t), table(full)) << what;
    }

    HDC m_dc = nullptr;
    HFONT m_font = nullptr;
    HGDIOBJ m_old = nullptr;
};

} // namespace

TEST_F(WrapTest, TabStopsAndSpaces)
{
    TextState t;
    t.st.tabSize = 4;
    t.st.measureDC = m_dc;
    int space = RCESpaceCharWidth(m_dc);
    ASSERT_GT(space, 0);
    int tab = 4 * space;
    EXPECT_EQ(RCETabWidth(m_dc, &t.st, 3 * tab), tab);
    EXPECT_EQ(RCETabWidth(m_dc, &t.st, 3 * tab + 1), tab - 1);
    int w = 0;
    bool equal = false;
    ASSERT_TRUE(RCESpaceWidth(m_dc, &w, &equal));
    EXPECT_GE(w, space);

    SIZE size{};
    UINT32 fitted = 0;
    ASSERT_TRUE(RCEMeasureText(m_dc, &t.st, 0, L"ab\tc d", 6, &size, 0x7fffffff, &fitted));
    EXPECT_EQ(fitted, 6u);
    EXPECT_EQ(size.cx, tab + Width(L"c") + w + Width(L"d")); // "ab" ends before the first stop
    ASSERT_TRUE(RCEMeasureText(m_dc, &t.st, 0, L"abcdef", 6, &size, Width(L"abc"), &fitted));
    EXPECT_EQ(fitted, 3u);
    // Printable ASCII runs measure as the system measures them.
    const wchar_t* sample = L"SELECT Max(a.b), \"x\" FROM [t];";
    ASSERT_TRUE(
        RCEMeasureText(m_dc, &t.st, 0, sample, (UINT32)wcslen(sample), &size, 0x7fffffff, &fitted));
    int expected = 0;
    for (const std::wstring& piece : {L"SELECT", L"Max(a.b),", L"\"x\"", L"FROM", L"[t];"})
        expected += Width(piece);
    EXPECT_EQ(size.cx, expected + 4 * w);
}

TEST_F(WrapTest, CombiningMarksStayInOneCell)
{
    TextState t;
    int alone = Width(L"e"), joined = Width(L"e\u0301\u0301");
    if (alone != joined)
        GTEST_SKIP() << "the font draws combining marks with their own width";
    int w = 0;
    UINT32 chars = 0;
    ASSERT_TRUE(RCEMeasureCell(m_dc, &t.st, 0, L"e\u0301\u0301x", 4, &w, &chars));
    EXPECT_EQ(chars, 3u);
    EXPECT_EQ(w, alone);
}

TEST_F(WrapTest, WordsMoveWholeExceptAtRowStart)
{
    int width = Width(L"abcdefghij");
    TextState t(L"abcdefghijabcdefghijabcd\nab cdefghij\nab cd");
    Prepare(t, width);
    std::vector<std::wstring> rows = Rows(t);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], L"abcdefghij"); // a long identifier breaks inside
    EXPECT_EQ(rows[1], L"abcdefghij");
    EXPECT_EQ(rows[2], L"abcd");
    EXPECT_EQ(rows[3], L"ab "); // the long word moves to the next row whole
    EXPECT_EQ(rows[4], L"cdefghij");
    EXPECT_EQ(rows[5], L"ab cd");
    EXPECT_EQ(t.st.wrapRows[4].line, 1u);
    EXPECT_EQ(t.st.wrapRows[5].line, 2u);

    // The caret on the second row of a logical line reports the logical line and column.
    t.Caret(13);
    UINT32 line, col;
    RCEGetCaretLineCol(&t.st, &line, &col);
    EXPECT_EQ(line, 1u);
    EXPECT_EQ(col, 14u);
    EXPECT_EQ(t.st.caretRow.number, 1u);
    // At a wrap point the caret belongs to the later row.
    t.Caret(10);
    EXPECT_EQ(t.st.caretRow.number, 1u);
    EXPECT_TRUE(RCEIsRowEnd(&t.st, 10));
    EXPECT_TRUE(RCEIsRowStart(&t.st, 10));
}

TEST_F(WrapTest, ZeroWidthNeverBreaks)
{
    TextState t(L"one two three\nfour");
    Prepare(t, 0);
    EXPECT_EQ(RCELineCount(&t.st), 2u);
}

TEST_F(WrapTest, IncrementalEditsEqualFullRewrap)
{
    std::wstring base;
    for (int i = 0; i < 30; ++i)
        base += L"select col" + std::to_wstring(i) + L", x\tfrom tbl where a = 'text with words' " +
                (i % 3 ? L"and b = 1" : L"") + L"\n";
    TextState t(base);
    Prepare(t, Width(L"select col1, x from tbl w"));
    ExpectSameAsFullWrap(t, "initial");

    const wchar_t* pieces[] = {L"x",     L" ",  L"\n",   L"longidentifier_without_breaks_here",
                               L"a b c", L"\t", L"\r\n", L"zz\nyy"};
    unsigned seed = 12345;
    auto next = [&]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int step = 0; step < 600; ++step)
    {
        if (step == 300)
            t.st.wrapWidth = Width(L"select col1"); // narrower: more rows start inside words
        std::string what = "step " + std::to_string(step);
        if (next() % 3 != 0 || t.st.length < 10)
        {
            UINT32 at = next() % (t.st.length + 1);
            std::wstring piece = pieces[next() % 8];
            t.Insert(at, piece);
            ASSERT_TRUE(RCEWrapInsert(&t.st, at, (UINT32)piece.size()));
        }
        else
        {
            UINT32 at = next() % t.st.length;
            UINT32 n = 1 + next() % std::min<UINT32>(40, t.st.length - at);
            t.Erase(at, n);
            ASSERT_TRUE(RCEWrapDelete(&t.st, at, n));
        }
        if (step == 300)
            ASSERT_TRUE(RCEWrapAll(&t.st));
        ExpectSameAsFullWrap(t, what.c_str());
        if (HasFatalFailure())
            return;
    }
    // Everything deleted: one empty row.
    UINT32 n = t.st.length;
    t.Erase(0, n);
    ASSERT_TRUE(RCEWrapDelete(&t.st, 0, n));
    ExpectSameAsFullWrap(t, "emptied");
    EXPECT_EQ(t.st.wrapRows.size(), 1u);
}

TEST_F(WrapTest, LineFeedInWrappedLineRenumbersLaterRows)
{
    TextState t(L"aaa bbb ccc ddd eee\nfff ggg\nhhh");
    Prepare(t, Width(L"aaa bbb "));
    UINT32 lastLine = t.st.wrapRows.back().line;
    t.Insert(5, L"\n");
    ASSERT_TRUE(RCEWrapInsert(&t.st, 5, 1));
    EXPECT_EQ(t.st.wrapRows.back().line, lastLine + 1);
    ExpectSameAsFullWrap(t, "line feed");
}

TEST_F(WrapTest, ClicksBeyondTheLineEndInVirtualSpace)
{
    TextState t(L"abc\nx");
    t.st.measureDC = m_dc;
    t.st.options = RCEO_VIRTUALSPACE;
    RCEGetMetrics(&t.st);
    t.st.widestRow = 10000; // room for virtual columns
    RCERowPos rec;
    ASSERT_TRUE(RCEGetLineRec(&t.st, 0, &rec));
    int end = Width(L"abc");
    int w = RCESpaceCharWidth(m_dc);
    EXPECT_EQ(RCEPixelToColumn(&t.st, &rec, end + w + w / 2), 4u);
    EXPECT_EQ(RCEPixelToColumn(&t.st, &rec, end + (w * 3) / 4), 3u);
    // Inside the text the nearer cell edge wins.
    int a = Width(L"a");
    EXPECT_EQ(RCEPixelToColumn(&t.st, &rec, a / 2 - 1 < 0 ? 0 : a / 2 - 1), 0u);
    EXPECT_EQ(RCEPixelToColumn(&t.st, &rec, a + 1), 1u);
    UINT32 index, vcol;
    RCEColumnToPos(&t.st, 5, &rec, &index, &vcol);
    EXPECT_EQ(index, 3u);
    EXPECT_EQ(vcol, 2u);
    t.st.options = 0;
    RCEColumnToPos(&t.st, 5, &rec, &index, &vcol);
    EXPECT_EQ(vcol, 0u);
}

TEST_F(WrapTest, CellStepsAndWidestLine)
{
    TextState t(L"ab\r\ncd");
    t.st.measureDC = m_dc;
    UINT32 index = 2, vcol = 0;
    int moved = 0;
    ASSERT_TRUE(RCECellStep(&t.st, &index, &vcol, 1, &moved));
    EXPECT_EQ(index, 4u); // CR LF is one step
    ASSERT_TRUE(RCECellStep(&t.st, &index, &vcol, -1, &moved));
    EXPECT_EQ(index, 2u);
    t.st.options = RCEO_VIRTUALSPACE;
    ASSERT_TRUE(RCECellStep(&t.st, &index, &vcol, 2, &moved));
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(vcol, 2u);
    ASSERT_TRUE(RCECellStep(&t.st, &index, &vcol, -3, &moved));
    EXPECT_EQ(vcol, 0u);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(moved, 3);

    EXPECT_TRUE(RCEUpdateWidestLine(&t.st, 0, true));
    EXPECT_EQ(t.st.widestRow, (UINT32)Width(L"ab"));
    t.Set(L"");
    RCEUpdateWidestLine(&t.st, 0, true);
    EXPECT_EQ(t.st.widestRow, 0u);
}
