// Blocks made ahead: each block given is of the size asked for, whether the one made ahead
// fitted or not, and whole to its last byte.
#include "dbaccess/touched_blocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

void FillAndCheck(unsigned char* p, size_t n, unsigned char v)
{
    std::memset(p, v, n);
    ASSERT_EQ(p[0], v);
    ASSERT_EQ(p[n - 1], v);
}

TEST(TouchedBlocks, EachBlockHasTheSizeAskedForWhateverWasMadeAhead)
{
    Zelt::CTouchedBlocks blocks;
    const size_t mb = 1u << 20;
    // Small: nothing made ahead. Then the one made ahead fits, then it does not (a value larger
    // than the block foreseen), then it fits again.
    const struct
    {
        size_t size, next;
    } steps[] = {{64u << 10, 128u << 10}, {512u << 10, mb},  {mb, 2 * mb},
                 {2 * mb, 4 * mb},        {5 * mb, 4 * mb},  {4 * mb, 4 * mb},
                 {4 * mb, 16 * mb},       {3 * mb, 16 * mb}, {16 * mb, 16 * mb}};
    std::vector<std::unique_ptr<unsigned char[]>> kept;
    unsigned char v = 1;
    for (const auto& step : steps)
    {
        kept.push_back(blocks.Take(step.size, step.next));
        ASSERT_NE(kept.back(), nullptr);
        FillAndCheck(kept.back().get(), step.size, v++);
    }
    // Every block still holds what was written in it: none was given twice.
    for (size_t i = 0; i < kept.size(); ++i)
        EXPECT_EQ(kept[i][steps[i].size - 1], static_cast<unsigned char>(i + 1));
    // Emptied with a block under way, and used again.
    blocks.Clear();
    auto again = blocks.Take(2 * mb, 2 * mb);
    FillAndCheck(again.get(), 2 * mb, 0x55);
}

} // namespace
