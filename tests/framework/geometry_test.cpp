#include <gtest/gtest.h>

#include <random>

#include "framework/core.h"

namespace {

::testing::AssertionResult SameRect(const RECT& expected, const RECT& actual)
{
    if (EqualRect(&expected, &actual))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected (" << expected.left << "," << expected.top << "," << expected.right << ","
           << expected.bottom << ") got (" << actual.left << "," << actual.top << ","
           << actual.right << "," << actual.bottom << ")";
}

} // namespace

TEST(GeometryTest, RectangleSetOperationsMatchTheSystem)
{
    // Small coordinates so that touching, nested, empty and inverted rectangles all occur.
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> coord(-4, 4);
    for (int i = 0; i < 20000; ++i)
    {
        RECT a = {coord(rng), coord(rng), coord(rng), coord(rng)};
        RECT b = {coord(rng), coord(rng), coord(rng), coord(rng)};
        RECT expected;
        CRect r(1, 2, 3, 4);

        BOOL sys = ::IntersectRect(&expected, &a, &b);
        ASSERT_EQ(!!sys, !!r.IntersectRect(&a, &b));
        ASSERT_TRUE(SameRect(expected, r)) << "intersect #" << i;

        sys = ::UnionRect(&expected, &a, &b);
        ASSERT_EQ(!!sys, !!r.UnionRect(&a, &b));
        ASSERT_TRUE(SameRect(expected, r)) << "union #" << i;

        sys = ::SubtractRect(&expected, &a, &b);
        ASSERT_EQ(!!sys, !!r.SubtractRect(&a, &b)) << "subtract #" << i;
        if (sys)
        {
            ASSERT_TRUE(SameRect(expected, r)) << "subtract #" << i;
        }

        ASSERT_EQ(!!::IsRectEmpty(&a), !!CRect(a).IsRectEmpty());
        POINT pt = {coord(rng), coord(rng)};
        ASSERT_EQ(!!::PtInRect(&a, pt), !!CRect(a).PtInRect(pt));
    }
}

TEST(GeometryTest, NormalizeAndEmptiness)
{
    CRect r(10, 20, 0, 5);
    EXPECT_TRUE(r.IsRectEmpty());
    EXPECT_EQ(-10, r.Width());
    r.NormalizeRect();
    EXPECT_TRUE(SameRect(CRect(0, 5, 10, 20), r));
    EXPECT_FALSE(r.IsRectEmpty());
    EXPECT_EQ(CSize(10, 15), r.Size());
    EXPECT_EQ(CPoint(5, 12), r.CenterPoint());

    CRect line(0, 0, 10, 0);
    EXPECT_TRUE(line.IsRectEmpty());
    EXPECT_FALSE(line.IsRectNull());
    line.SetRectEmpty();
    EXPECT_TRUE(line.IsRectNull());

    // Edges: left and top inside, right and bottom outside.
    EXPECT_TRUE(r.PtInRect(CPoint(0, 5)));
    EXPECT_FALSE(r.PtInRect(CPoint(10, 5)));
    EXPECT_FALSE(r.PtInRect(CPoint(0, 20)));

    // Disjoint rectangles intersect to an all-zero rectangle.
    CRect i = CRect(0, 0, 5, 5) & CRect(5, 0, 9, 5);
    EXPECT_TRUE(i.IsRectNull());
    CRect u = CRect(0, 0, 5, 5) | CRect(7, -1, 9, 2);
    EXPECT_TRUE(SameRect(CRect(0, -1, 9, 5), u));
}

TEST(GeometryTest, InflateDeflateOffsetAndMove)
{
    CRect r(10, 10, 20, 30);
    r.InflateRect(1, 2);
    EXPECT_TRUE(SameRect(CRect(9, 8, 21, 32), r));
    r.DeflateRect(CSize(1, 2));
    EXPECT_TRUE(SameRect(CRect(10, 10, 20, 30), r));
    r.InflateRect(1, 2, 3, 4);
    EXPECT_TRUE(SameRect(CRect(9, 8, 23, 34), r));
    r.DeflateRect(CRect(1, 2, 3, 4));
    EXPECT_TRUE(SameRect(CRect(10, 10, 20, 30), r));

    EXPECT_TRUE(SameRect(CRect(9, 8, 23, 34), r + CRect(1, 2, 3, 4)));
    EXPECT_TRUE(SameRect(CRect(11, 12, 17, 26), r - CRect(1, 2, 3, 4)));
    EXPECT_TRUE(SameRect(CRect(15, 5, 25, 25), r + CPoint(5, -5)));
    EXPECT_TRUE(SameRect(CRect(5, 15, 15, 35), r - CSize(5, -5)));

    r.OffsetRect(-10, -10);
    r += CSize(1, 1);
    r -= CPoint(2, 2);
    EXPECT_TRUE(SameRect(CRect(-1, -1, 9, 19), r));

    r.MoveToXY(100, 200);
    EXPECT_TRUE(SameRect(CRect(100, 200, 110, 220), r));
    r.MoveToX(0);
    r.MoveToY(-5);
    EXPECT_TRUE(SameRect(CRect(0, -5, 10, 15), r));

    // The corner accessors alias the rectangle's own fields.
    r.TopLeft() = CPoint(1, 1);
    r.BottomRight().Offset(1, 1);
    EXPECT_TRUE(SameRect(CRect(1, 1, 11, 16), r));
    EXPECT_TRUE(SameRect(CRect(CPoint(1, 1), CSize(10, 15)), r));

    // Passing a rectangle where the system expects a pointer.
    RECT copy;
    ::CopyRect(&copy, r);
    EXPECT_TRUE(r == copy);
    EXPECT_FALSE(r != copy);
}

TEST(GeometryTest, PointsAndSizes)
{
    // Packed message coordinates are signed 16-bit values.
    CPoint p(static_cast<LPARAM>(MAKELONG(static_cast<WORD>(-5), 7)));
    EXPECT_EQ(-5, p.x);
    EXPECT_EQ(7, p.y);

    CPoint a(3, 4);
    CPoint b(1, 1);
    CSize d = a - b;
    EXPECT_EQ(CSize(2, 3), d);
    EXPECT_EQ(CPoint(5, 7), a + d);
    EXPECT_EQ(CPoint(-3, -4), -a);
    a += CSize(1, 1);
    a -= CPoint(2, 2);
    EXPECT_EQ(CPoint(2, 3), a);
    EXPECT_NE(a, b);

    CSize s(10, 20);
    s += CSize(1, 2);
    EXPECT_EQ(CSize(11, 22), s);
    EXPECT_EQ(CSize(-11, -22), -s);
    EXPECT_EQ(CPoint(12, 23), s + CPoint(1, 1));
}
