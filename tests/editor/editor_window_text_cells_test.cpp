// Text is drawn where the editor measures it: every glyph of a row, painted into a bitmap, sits at
// the caret position of its character, in the fonts the program uses for its editors (the
// editor face, its monospace and proportional stand-ins) and for the output bar.
#include "editor_window_fixture.h"
#include "tests/support/glyph_ink.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using ql::CBitmap32;

struct CFontCase
{
    const wchar_t* face; // null: the stock GUI font of the output bar
    int height;
    BYTE pitchAndFamily;
};

class EditorTextCellsTest : public EditorWindowTest
{
protected:
    void TearDown() override
    {
        if (edit)
            DestroyWindow(edit);
        edit = nullptr;
        if (m_font)
            DeleteObject(m_font);
        EditorWindowTest::TearDown();
    }

    void UseFont(const CFontCase& f)
    {
        if (m_font)
            DeleteObject(m_font);
        m_font = nullptr;
        HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        if (f.face)
            font = m_font = CreateFontW(f.height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                                        0, 0, f.pitchAndFamily, f.face);
        Send(WM_SETFONT, (WPARAM)font, 1);
    }
    HFONT Font() const { return (HFONT)Send(WM_GETFONT); }

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        // Overwrite mode: the caret stands at the character's cell (the insert-mode bar stands
        // one pixel to its left).
        SetFocus(edit);
        Key(VK_INSERT);
    }

    // The caret's pixel position before character index.
    POINT CaretAt(int index)
    {
        Send(EM_SETSEL, index, index);
        POINT pt{};
        GetCaretPos(&pt);
        return pt;
    }

    // The caret's position before each character of the text, and after the last.
    std::vector<POINT> Positions(const std::wstring& text)
    {
        SetFocus(edit);
        std::vector<POINT> positions;
        for (int i = 0; i <= (int)text.size(); ++i)
            positions.push_back(CaretAt(i));
        return positions;
    }

    // Paints the window into a bitmap and compares each row's inked columns with the glyphs of
    // its characters placed at positions (shifted left by shift), and the selection's colour with
    // the cells of the selection (when given). Returns a description of what differs; empty
    // when all agrees. text is the editor's text.
    std::string Mismatches(const std::wstring& text, const std::vector<POINT>& positions,
                           int shift = 0, const std::pair<size_t, size_t>* selection = nullptr)
    {
        RECT client{};
        GetClientRect(edit, &client);
        TEXTMETRICW tm{};
        HDC screen = GetDC(edit);
        HGDIOBJ old = SelectObject(screen, Font());
        GetTextMetricsW(screen, &tm);
        SelectObject(screen, old);
        ReleaseDC(edit, screen);

        std::vector<std::set<int>> predicted;
        std::vector<int> rowTop;
        size_t index = 0;
        while (index <= text.size())
        {
            size_t lineEnd = std::min(text.find(L"\r\n", index), text.size());
            std::set<int> row;
            for (size_t i = index; i < lineEnd; ++i)
            {
                if (text[i] == L' ')
                    continue;
                ql::AddGlyphInk(row, Font(), text[i], positions[i].x - shift, client.right);
            }
            predicted.push_back(row);
            rowTop.push_back(positions[index].y);
            index = lineEnd + 2;
        }

        CBitmap32 bitmap(client.right, client.bottom);
        if (!bitmap.valid())
            return "no bitmap";
        Send(WM_PRINTCLIENT, (WPARAM)bitmap.dc(), PRF_CLIENT);
        if (selection)
        {
            // The selection's colour covers exactly the cells from its start to its end.
            const POINT& a = positions[selection->first];
            const POINT& b = positions[selection->second];
            COLORREF selected = GetSysColor(COLOR_WINDOWTEXT);
            for (int x = 0; x < client.right; ++x)
            {
                bool inside = a.y == b.y && x >= a.x - shift && x < b.x - shift;
                if ((bitmap.At(x, a.y) == selected) != inside)
                    return "selection colour " + std::string(inside ? "missing" : "stray") +
                           " at " + std::to_string(x);
            }
        }
        std::ostringstream out;
        for (size_t r = 0; r < predicted.size(); ++r)
        {
            out << ql::InkMismatch(r, predicted[r],
                                   bitmap.InkColumns(rowTop[r], rowTop[r] + tm.tmHeight));
        }
        return out.str();
    }
    std::string Mismatches(const std::wstring& text) { return Mismatches(text, Positions(text)); }

    HFONT m_font = nullptr;
};

const wchar_t kScript[] = L"SELECT c.city, count(*) AS orders\r\n"
                          L"  FROM customers c JOIN orders o ON o.customer_id = c.customer_id\r\n"
                          L"UPDATE city_orders SET orders = orders + 0 WHERE city IS NOT NULL;";
const wchar_t kOutput[] = L"Executing Z:\\work\\build\\screenshots\\city orders.sql ...\r\n"
                          L"Executed successfully (4 queries)!";

TEST_F(EditorTextCellsTest, GlyphsSitAtTheirCaretPositions)
{
    // The editor face (missing under Wine) asked for as the settings ask for it, its
    // proportional stand-in, and the stock GUI font of the output bar; at the small sizes where
    // Wine's drawn advances differ from the measured ones, and a larger one.
    const CFontCase fonts[] = {
        {L"Courier New", -13, FIXED_PITCH | FF_MODERN},
        {L"Courier New", -12, FIXED_PITCH | FF_MODERN},
        {L"Courier New", -13, 0},
        {L"Courier New", -15, 0},
        {L"Tahoma", -11, 0},
        {L"Liberation Sans", -20, 0},
        {nullptr, 0, 0},
    };
    MoveWindow(edit, 0, 0, 1000, 200, TRUE); // wide enough for every row unscrolled
    for (const CFontCase& font : fonts)
    {
        UseFont(font);
        SCOPED_TRACE(testing::Message() << (font.face ? font.face : L"GUI font") << " "
                                        << font.height << " pitch " << (int)font.pitchAndFamily);
        SetText(kScript);
        EXPECT_EQ(Mismatches(kScript), "");
        SetText(kOutput);
        EXPECT_EQ(Mismatches(kOutput), "");
        // A selection from the middle of one token to the middle of another.
        const std::wstring script = kScript;
        const std::pair<size_t, size_t> selection{script.find(L"tomers"),
                                                  script.find(L"_id = ") + 2};
        SetText(script);
        const std::vector<POINT> positions = Positions(script);
        Send(EM_SETSEL, selection.first, selection.second);
        EXPECT_EQ(Mismatches(script, positions, 0, &selection), "");
    }
}

// Scrolled horizontally, the runs cut by the left edge are drawn from their first visible
// character on, each glyph where the caret would stand.
TEST_F(EditorTextCellsTest, GlyphsOfRunsCutByTheLeftEdge)
{
    Recreate(WS_HSCROLL);
    SetFocus(edit);
    Key(VK_INSERT);
    UseFont({L"Courier New", -13, 0});
    std::wstring line = L"SELECT ";
    for (int i = 0; i < 5; ++i)
        line += L"o.customer_id_" + std::to_wstring(i) + L", ";
    SetText(line);
    // Positions are taken unscrolled in a window wide enough for the whole line.
    MoveWindow(edit, 0, 0, 2000, 200, TRUE);
    const std::vector<POINT> positions = Positions(line);
    ASSERT_LT(positions.back().x, 2000);
    Send(EM_SETSEL, 0, 0);
    MoveWindow(edit, 0, 0, 300, 200, TRUE);
    // A character near the right edge stays in view while the view scrolls: its caret tells how
    // far the text moved.
    size_t probe = 0;
    while (probe < line.size() && positions[probe].x < 250)
        ++probe;
    for (int i = 0; i < 7; ++i)
    {
        Send(WM_HSCROLL, SB_LINERIGHT);
        int shift = positions[probe].x - CaretAt((int)probe).x;
        ASSERT_GT(shift, 0);
        EXPECT_EQ(Mismatches(line, positions, shift), "") << "scrolled by " << shift;
    }
}

} // namespace
