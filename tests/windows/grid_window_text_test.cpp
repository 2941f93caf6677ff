// Window-free pieces of the grid and script windows: status and error texts, layout restore,
// flattening, statements that may be run again, XML layout, text search and replace-all.
#include "windows/grid_window_text.h"
#include "windows/sql_child_view.h"

#include <gtest/gtest.h>

namespace {

std::string A(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

TEST(GridWindowText, RowsAndSaveErrorTexts)
{
    EXPECT_EQ(A(FormatRowsText(1000, 3, true)), "Rows 1000 Columns 3");
    EXPECT_EQ(A(FormatRowsText(42, 3, false)), "Rows >= 42 Columns 3");
    EXPECT_EQ(A(FormatSaveErrorText(L"name", true, 1, L"")), "Error editing 'name'");
    EXPECT_EQ(A(FormatSaveErrorText(L"", false, 2, L"")), "Not even length of data");
    EXPECT_EQ(A(FormatSaveErrorText(L"bin", true, 2, L"")), "Not even length of data in 'bin'");
    EXPECT_EQ(A(FormatSaveErrorText(L"id", true, 3, L"")), "Invalid data in 'id'");
    EXPECT_EQ(A(FormatSaveErrorText(L"id", true, 4, L"duplicate key")),
              "Database error in 'id':\nduplicate key");
    EXPECT_EQ(A(FormatSaveErrorText(L"", false, 4, L"gone")), "Database error:\ngone");
    EXPECT_EQ(A(FormatSaveErrorText(L"x", true, 5, L"")), "No rows changed");
    // A row the grid refused to change: the reason follows.
    EXPECT_EQ(A(FormatSaveErrorText(L"", false, 5, L"The row is not unique.")),
              "No rows changed:\nThe row is not unique.");
}

TEST(GridWindowText, LayoutRestoreMovesByNameAndAppliesVisibility)
{
    const std::vector<CString> names = {L"a", L"b", L"c", L"d"};
    std::vector<CColumnRefreshInfo> saved = {
        {L"d", true}, {L"a", false}, {L"b", true}, {L"c", true}};
    std::vector<int> order = {0, 1, 2, 3};
    std::vector<int> visible;
    EXPECT_TRUE(RestoreColumnLayout(saved, names, order, visible));
    EXPECT_EQ(order, (std::vector<int>{3, 0, 1, 2}));
    EXPECT_EQ(visible, (std::vector<int>{0, 1, 1, 1}));
    // Another column count: nothing is restored.
    order = {0, 1, 2};
    EXPECT_FALSE(RestoreColumnLayout(saved, {L"a", L"b", L"c"}, order, visible));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(visible, (std::vector<int>{-1, -1, -1}));
    // A renamed column keeps its place and its visibility is not guessed.
    order = {0, 1, 2, 3};
    EXPECT_FALSE(RestoreColumnLayout({{L"a", true}, {L"x", false}, {L"c", true}, {L"d", true}},
                                     names, order, visible));
    EXPECT_EQ(visible, (std::vector<int>{1, -1, 1, 1}));
}

TEST(GridWindowText, FlattenKeepsLiteralsAndRereadableStatementsOnlyRead)
{
    CString text = L"SELECT  a,\r\n\tb\n FROM t WHERE c = 'x  \ty'";
    FlattenSQL(text);
    EXPECT_EQ(A(text), "SELECT a, b FROM t WHERE c = 'x   y'");
    EXPECT_TRUE(IsRereadableSelect(L"SELECT * FROM t WHERE a = 'INTO'"));
    EXPECT_TRUE(IsRereadableSelect(L" select 1;"));
    EXPECT_FALSE(IsRereadableSelect(L"INSERT INTO t (v) VALUES (1) RETURNING id"));
    EXPECT_FALSE(IsRereadableSelect(L"SELECT 1; DELETE FROM t"));
    EXPECT_FALSE(IsRereadableSelect(L"SELECT * INTO copy FROM t"));
    EXPECT_FALSE(IsRereadableSelect(L"WITH x AS (DELETE FROM t RETURNING *) SELECT * FROM x"));
}

TEST(GridWindowText, XmlIndentedAndCompact)
{
    CString xml;
    ASSERT_TRUE(FormatXmlIndented(L"<a><b>1</b></a>", L"\t", xml));
    EXPECT_EQ(A(xml), "<a>\r\n\t<b>1</b>\r\n</a>");
    CString compact;
    ASSERT_TRUE(FormatXmlCompact(xml, compact));
    EXPECT_EQ(A(compact), "<a><b>1</b></a>");
    EXPECT_FALSE(FormatXmlIndented(L"<a><b>1</a>", L"\t", xml));
    EXPECT_FALSE(FormatXmlIndented(L"plain text", L"\t", xml));
}

TEST(GridWindowText, FindTextWrapsAndRespectsWholeWords)
{
    const wchar_t* text = L"user_id, id, IDX, Id";
    EXPECT_EQ(FindTextIn(text, L"id", true, false, true, 0, false), 9);
    EXPECT_EQ(FindTextIn(text, L"id", true, false, true, 10, false), 18);
    EXPECT_EQ(FindTextIn(text, L"id", true, true, true, 10, false), 9); // wraps to the start
    EXPECT_EQ(FindTextIn(text, L"id", true, true, true, 10, true), -1);
    EXPECT_EQ(FindTextIn(text, L"ID", false, true, false, 14, false), 13);
    // Up from the start wraps to a match that ends the text.
    EXPECT_EQ(FindTextIn(text, L"Id", false, true, false, 0, false), 18);
    EXPECT_EQ(FindTextIn(L"ab", L"abc", true, false, false, 0, false), -1);
    EXPECT_EQ(FindTextIn(L"abc", L"", true, false, false, 0, false), -1);
}

TEST(GridWindowText, ReplaceAllKeepsTheCaretOnItsCharacter)
{
    CString text = L"a x a x a";
    int caret = 4; // on the second "a"
    EXPECT_EQ(ReplaceAllIn(text, L"x", L"long", false, false, caret), 2);
    EXPECT_EQ(A(text), "a long a long a");
    EXPECT_EQ(A(text.Mid(caret, 1)), "a");
    // A replacement that holds the find text does not loop.
    text = L"aa";
    caret = 0;
    EXPECT_EQ(ReplaceAllIn(text, L"a", L"aa", false, false, caret), 2);
    EXPECT_EQ(A(text), "aaaa");
    // A whole word right after an inserted text is bounded by that text, not by what it replaced.
    text = L"..";
    EXPECT_EQ(ReplaceAllIn(text, L".", L"x", false, true, caret), 1);
    EXPECT_EQ(A(text), "x.");
}

TEST(GridWindowText, DialogMovesOffTheSelection)
{
    const RECT dialog = {100, 100, 300, 200};
    const RECT below = {0, 150, 50, 170};
    RECT moved = PlaceDialogOffSelection(dialog, {120, 150, 140, 170}, 1000);
    EXPECT_EQ(moved.top, 170);
    EXPECT_EQ(moved.bottom, 270);
    moved = PlaceDialogOffSelection(dialog, {120, 150, 140, 170}, 240);
    EXPECT_EQ(moved.bottom, 150);
    moved = PlaceDialogOffSelection(dialog, below, 1000);
    EXPECT_EQ(moved.top, 100); // no overlap: stays
}

} // namespace
