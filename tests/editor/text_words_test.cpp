// Word gathering for auto-complete and plain-text search.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "editor/auto_complete_words.h"
#include "editor/colour_rules.h"
#include "editor/text_search.h"
#include "text_state.h"

TEST(TextWords, GathersPrefixedWordsOutsideRanges)
{
    CRCERangeColorArray ranges;
    RCEAddRangeColor(ranges, 0, L"'", 0, L"'", 0, 0);
    RCEAddRangeColor(ranges, 0, L"--", 0, L"\n", 0, 0);
    TextState t(L"SELECT Customer, cust_id, 'custard', 1cust, Cu -- customs\n"
                L"FROM customer c2 WHERE cUSTOMER.x = 'a\ncustody' OR custom");
    t.st.rangeRules = ranges.GetData();
    t.st.rangeCount = 2;
    RCEWordSet words;
    RCECollectTextWords(&t.st, L"cu", 2, &words);
    std::vector<std::wstring> got(words.begin(), words.end());
    // Ordered as the user sees words, case variants kept apart only when they differ.
    std::vector<std::wstring> expected = {L"cust_id", L"custom", L"Customer", L"customer",
                                          L"cUSTOMER"};
    std::sort(expected.begin(), expected.end(), RCEWordLess());
    expected.erase(std::unique(expected.begin(), expected.end(),
                               [](const std::wstring& a, const std::wstring& b) {
                                   return !RCEWordLess()(a, b) && !RCEWordLess()(b, a);
                               }),
                   expected.end());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(words.count(L"Cu"), 0u);      // equal to the prefix
    EXPECT_EQ(words.count(L"custard"), 0u); // inside a string
    EXPECT_EQ(words.count(L"customs"), 0u); // inside a comment
    EXPECT_EQ(words.count(L"custody"), 0u); // inside a string spanning lines

    RCEWordSet all;
    RCECollectTextWords(&t.st, L"", 0, &all);
    EXPECT_EQ(all.count(L"1cust"), 0u); // words starting with a digit never count
    EXPECT_EQ(all.count(L"c2"), 1u);
    RCEFreeRangeColors(ranges);

    EXPECT_TRUE(RCEWordHasPrefix(L"", 0, L"a", 1));
    EXPECT_FALSE(RCEWordHasPrefix(L"ab", 2, L"AB", 2));
    EXPECT_TRUE(RCEWordHasPrefix(L"ab", 2, L"ABc", 3));
}

TEST(TextSearch, DirectionCaseAndWholeWord)
{
    TextState t(L"id, uid, ID, id_x, Id");
    UINT32 len = t.st.length, pos = 99;
    ASSERT_TRUE(RCEFindText(&t.st, L"id", 2, RCEFT_DOWN, 0, len - 2, &pos));
    EXPECT_EQ(pos, 0u);
    ASSERT_TRUE(RCEFindText(&t.st, L"id", 2, RCEFT_DOWN, 1, len - 2, &pos));
    EXPECT_EQ(pos, 5u); // inside "uid"
    ASSERT_TRUE(RCEFindText(&t.st, L"id", 2, RCEFT_DOWN | RCEFT_WHOLEWORD, 1, len - 2, &pos));
    EXPECT_EQ(pos, 9u);
    EXPECT_FALSE(RCEFindText(&t.st, L"id", 2, RCEFT_DOWN | RCEFT_WHOLEWORD | RCEFT_MATCHCASE, 1,
                             len - 2, &pos));
    // Upwards from the end the last occurrence comes first.
    ASSERT_TRUE(RCEFindText(&t.st, L"id", 2, 0, len - 2, 0, &pos));
    EXPECT_EQ(pos, 19u);
    ASSERT_TRUE(RCEFindText(&t.st, L"id", 2, RCEFT_WHOLEWORD | RCEFT_MATCHCASE, len - 2, 0, &pos));
    EXPECT_EQ(pos, 0u);
    EXPECT_FALSE(RCEFindText(&t.st, L"id", 2, 0, 3, 5, &pos));          // start below the limit
    EXPECT_FALSE(RCEFindText(&t.st, L"id", 2, RCEFT_DOWN, 6, 5, &pos)); // start beyond the limit
    // A limit past the text end never reads beyond it.
    EXPECT_FALSE(RCEFindText(&t.st, L"Idx", 3, RCEFT_DOWN, 15, 1000, &pos));
}
