// The records the editor exchanges by message have a fixed byte layout.
#include <gtest/gtest.h>

#include <cstddef>

#include "editor/rce_messages.h"
#include "editor/rce_state.h"

TEST(EditorRecords, RuleRecordOffsets)
{
    EXPECT_EQ(offsetof(tagRCEWordColor, word), 4u);
    EXPECT_EQ(offsetof(tagRCEWordColor, length), 12u);
    EXPECT_EQ(offsetof(tagRCEWordColor, flags), 16u);
    EXPECT_EQ(offsetof(tagRCERangeColor, beginFlags), 16u);
    EXPECT_EQ(offsetof(tagRCERangeColor, end), 20u);
    EXPECT_EQ(offsetof(tagRCERangeColor, endFlags), 32u);
    EXPECT_EQ(offsetof(tagRCERangeColor, escape), 36u);
    EXPECT_EQ(offsetof(tagRCERegExpColor, flags), 12u);
    EXPECT_EQ(offsetof(tagRCEAutoCompleteWord, length), 8u);
}

TEST(EditorRecords, MessageRecordOffsets)
{
    EXPECT_EQ(offsetof(RCEReplaceRange, text), 8u);
    EXPECT_EQ(offsetof(RCEReplaceRange, length), 16u);
    EXPECT_EQ(offsetof(RCEFindReplace, start), 12u);
    EXPECT_EQ(offsetof(RCEFindReplace, replacement), 20u);
    EXPECT_EQ(offsetof(RCENMCaretMoved, line), 24u);
    EXPECT_EQ(offsetof(RCENMCaretMoved, column), 28u);
    EXPECT_EQ(offsetof(RCENMMenuItem, menu), 24u);
    EXPECT_EQ(offsetof(RCENMMenuItem, id), 32u);
}
