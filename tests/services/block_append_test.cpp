// Appending catalog records through blocks: the array ends as if every record had been added in
// reading order, also when the reader fails midway.
#include "services/block_append.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct CRecord
{
    int n;
    wchar_t text[256];
};

// Yields records 1..count, failing instead of record failAt (0: never).
struct CCountingFetch
{
    int count;
    int failAt = 0;
    int next = 1;
    bool operator()(CRecord& r)
    {
        if (next == failAt)
            throw std::runtime_error("reader failed");
        if (next > count)
            return false;
        r.n = next;
        swprintf(r.text, 256, L"t%d", next);
        ++next;
        return true;
    }
};

std::vector<int> Numbers(const CArray<CRecord, const CRecord&>& list)
{
    std::vector<int> numbers;
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        numbers.push_back(list[i].n);
    return numbers;
}

TEST(BlockAppend, RecordsFollowWhatTheArrayHeldInReadingOrderOverManyBlocks)
{
    CArray<CRecord, const CRecord&> list;
    list.Add(CRecord{-2, L"old"});
    list.Add(CRecord{-1, L"older"});
    AppendInBlocks(list, CCountingFetch{10}, 3);
    EXPECT_EQ(Numbers(list), (std::vector<int>{-2, -1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_STREQ(list[1].text, L"older");
    EXPECT_STREQ(list[11].text, L"t10");

    // The array grows as usual afterwards.
    list.Add(CRecord{99, L"later"});
    ASSERT_EQ(list.GetSize(), 13);
    EXPECT_EQ(list[12].n, 99);

    // Nothing read: nothing changes; an exact multiple of the block fills the last block.
    AppendInBlocks(list, CCountingFetch{0}, 3);
    EXPECT_EQ(list.GetSize(), 13);
    CArray<CRecord, const CRecord&> exact;
    AppendInBlocks(exact, CCountingFetch{6}, 3);
    EXPECT_EQ(Numbers(exact), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(BlockAppend, RecordsReadBeforeAFailureStayAndTheFailureGoesOn)
{
    CArray<CRecord, const CRecord&> list;
    list.Add(CRecord{-1, L"old"});
    EXPECT_THROW(AppendInBlocks(list, CCountingFetch{10, 6}, 4), std::runtime_error);
    EXPECT_EQ(Numbers(list), (std::vector<int>{-1, 1, 2, 3, 4, 5}));

    // With the default block size (2 MB of records) too.
    CArray<CRecord, const CRecord&> big;
    AppendInBlocks(big, CCountingFetch{9000});
    ASSERT_EQ(big.GetSize(), 9000);
    EXPECT_EQ(big[0].n, 1);
    EXPECT_EQ(big[8999].n, 9000);
    EXPECT_STREQ(big[4242].text, L"t4243");
}

} // namespace
