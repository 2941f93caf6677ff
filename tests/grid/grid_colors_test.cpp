#include "grid/grid.h"

#include <gtest/gtest.h>

TEST(GridColors, ShiftColorLightensDarkChannelsAndDarkensLightOnes)
{
    EXPECT_EQ(RGB(235, 235, 235), ShiftColor(RGB(255, 255, 255)));
    EXPECT_EQ(RGB(32, 32, 32), ShiftColor(RGB(0, 0, 0)));
    EXPECT_EQ(RGB(108, 159, 140), ShiftColor(RGB(128, 127, 160)));
}
