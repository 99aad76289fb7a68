// Shape geometry: built natively and into the Windows window tests.
#include <gtest/gtest.h>
#include "runtime/units/window_shapes.h"

using namespace imprinta::units;

TEST(WindowShapes, RoundedCornerIsTheSmallerFifth) {
    struct Case { int w, h, diameter; } cases[] = {
        {300, 200, 40}, {300, 100, 20}, {100, 300, 20}, {4, 4, 0}, {0, 0, 0},
    };
    for (const Case& c : cases) {
        ShapeGeometry g = ComputeShape(2, c.w, c.h);
        EXPECT_EQ(ShapeKind::RoundRect, g.kind);
        EXPECT_EQ(c.diameter, g.cornerDiameter) << c.w << " x " << c.h;
    }
}

TEST(WindowShapes, RingHoleIsTheQuarterInset) {
    ShapeGeometry g = ComputeShape(3, 301, 203);
    EXPECT_EQ(ShapeKind::Ring, g.kind);
    EXPECT_EQ(75, g.innerLeft);
    EXPECT_EQ(50, g.innerTop);
    EXPECT_EQ(301 - 75, g.innerRight);
    EXPECT_EQ(203 - 50, g.innerBottom);
    EXPECT_EQ(ShapeKind::Ellipse, ComputeShape(1, 10, 10).kind);
    EXPECT_EQ(ShapeKind::Rectangle, ComputeShape(0, 10, 10).kind);
}

TEST(WindowShapes, PolygonsScaleWithRoundingMultiplyDivide) {
    // 16383 * 300 / 32767 = 149.995: rounding gives 150 where truncation gives 149.
    ShapeGeometry g = ComputeShape(5, 300, 200);
    ASSERT_EQ(ShapeKind::Polygon, g.kind);
    ASSERT_EQ(3u, g.points.size());
    EXPECT_EQ(0, g.points[0].x);
    EXPECT_EQ(300, g.points[1].x);
    EXPECT_EQ(150, g.points[2].x);
    EXPECT_EQ(200, g.points[2].y);
    // Star: 12779 * 640 / 32767 = 249.59 -> 250; 20315 * 480 / 32767 = 297.59 -> 298.
    g = ComputeShape(13, 640, 480);
    ASSERT_EQ(10u, g.points.size());
    EXPECT_EQ(250, g.points[1].x);
    EXPECT_EQ(298, g.points[3].y);
}

TEST(WindowShapes, EveryPolygonStaysInsideTheWindow) {
    for (int shape = 4; shape < kShapeCount; ++shape) {
        const auto& table = ShapeTablePoints(shape);
        ASSERT_GE(table.size(), 3u) << shape;
        for (int size : {1, 37, 300, 1280}) {
            ShapeGeometry g = ComputeShape(shape, size, size + 11);
            ASSERT_EQ(table.size(), g.points.size());
            bool touchesRight = false, touchesBottom = false;
            for (const ShapePoint& p : g.points) {
                EXPECT_TRUE(p.x >= 0 && p.x <= size && p.y >= 0 && p.y <= size + 11) << shape;
                touchesRight |= p.x == size;
                touchesBottom |= p.y == size + 11;
            }
            // Every outline spans the whole square in both directions.
            EXPECT_TRUE(touchesRight && touchesBottom) << "shape " << shape;
        }
    }
    EXPECT_TRUE(ShapeTablePoints(3).empty());
    EXPECT_TRUE(ShapeTablePoints(30).empty());
}

TEST(WindowShapes, NumbersAndSizesOutOfRange) {
    EXPECT_EQ(0, ClampShape(-3));
    EXPECT_EQ(29, ClampShape(30));
    EXPECT_EQ(29, ClampShape(1000));
    EXPECT_EQ(ShapeKind::Polygon, ComputeShape(99, 10, 10).kind);
    ShapeGeometry g = ComputeShape(29, -5, -5);
    for (const ShapePoint& p : g.points) EXPECT_TRUE(p.x == 0 && p.y == 0);
    EXPECT_EQ(-1, RoundingMulDiv(5, 5, 0));
    EXPECT_EQ(1, RoundingMulDiv(1, 1, 2));
    EXPECT_EQ(-1, RoundingMulDiv(-1, 1, 2));
    EXPECT_EQ(2, RoundingMulDiv(3, 1, 2));
    EXPECT_EQ(-3, RoundingMulDiv(5, -1, 2));
    EXPECT_EQ(-1, RoundingMulDiv(0x7FFFFFFF, 4, 1));  // overflow
}
