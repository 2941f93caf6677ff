// The dock bar's list of bars: rows ended by null entries, insertion by row and index, removal
// that leaves no empty rows, and placeholders that are no bars.
#include "framework/frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Bars never created: the list only keeps their addresses.
class CListBar : public CControlBar
{
public:
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
};

std::vector<void*> Entries(const CDockBar& dock)
{
    std::vector<void*> v;
    for (INT_PTR i = 0; i < dock.m_arrBars.GetSize(); ++i)
        v.push_back(dock.m_arrBars[i]);
    return v;
}

TEST(DockRowsTest, RowsAreEndedByNullEntries)
{
    CDockBar dock;
    CListBar a, b, c, d;
    EXPECT_EQ(Entries(dock), (std::vector<void*>{nullptr}));
    dock.InsertBar(&a, -1, 0); // a new row
    dock.InsertBar(&b, 0, 1);  // after a in the first row
    dock.InsertBar(&c, 1, 0);  // a second row (there is none yet: appended)
    dock.InsertBar(&d, 0, 0);  // first in the first row
    EXPECT_EQ(Entries(dock), (std::vector<void*>{nullptr, &d, &a, &b, nullptr, &c, nullptr}));
    int row = -1, index = -1;
    ASSERT_TRUE(dock.GetBarPosition(&b, &row, &index));
    EXPECT_EQ(row, 0);
    EXPECT_EQ(index, 2);
    ASSERT_TRUE(dock.GetBarPosition(&c, &row, &index));
    EXPECT_EQ(row, 1);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(dock.GetDockedCount(), 4);

    // Taking out the only bar of a row takes the row with it.
    EXPECT_TRUE(dock.RemoveControlBar(&c));
    EXPECT_EQ(Entries(dock), (std::vector<void*>{nullptr, &d, &a, &b, nullptr}));
    EXPECT_FALSE(dock.RemoveControlBar(&c));
    EXPECT_FALSE(dock.GetBarPosition(&c, &row, &index));
    dock.RemoveControlBar(&d);
    dock.RemoveControlBar(&a);
    dock.RemoveControlBar(&b);
    EXPECT_EQ(Entries(dock), (std::vector<void*>{nullptr}));
}

TEST(DockRowsTest, PlaceholdersAndBrokenRowsAreKeptInShape)
{
    CDockBar dock;
    CListBar a, b;
    // A list as others may leave it: no leading break, doubled breaks, a placeholder id.
    dock.m_arrBars.RemoveAll();
    dock.m_arrBars.Add(&a);
    dock.m_arrBars.Add(nullptr);
    dock.m_arrBars.Add(nullptr);
    dock.m_arrBars.Add(reinterpret_cast<void*>((UINT_PTR)0xE820));
    dock.m_arrBars.Add(&b);
    dock.NormalizeRows();
    EXPECT_EQ(Entries(dock),
              (std::vector<void*>{nullptr, &a, nullptr, reinterpret_cast<void*>((UINT_PTR)0xE820),
                                  &b, nullptr}));
    EXPECT_EQ(dock.GetDockedControlBar(3), nullptr); // a placeholder is no bar
    EXPECT_EQ(dock.GetDockedControlBar(4), &b);
    EXPECT_EQ(dock.GetDockedControlBar(99), nullptr);
    EXPECT_EQ(dock.GetDockedCount(), 2);
    int row = -1, index = -1;
    ASSERT_TRUE(dock.GetBarPosition(&b, &row, &index));
    EXPECT_EQ(row, 1);
    EXPECT_EQ(index, 1); // the placeholder keeps its place in the row
}

} // namespace
