// Window outlines: the 30 shapes a window can take and their geometry for a
// given outer size. Plain arithmetic only; the window unit turns the result
// into a region.
#pragma once
#include <cstdint>
#include <vector>

namespace imprinta::units {

constexpr int kShapeCount = 30;     // shapes 0..29
constexpr int kShapeUnit = 32767;   // polygon points live in a 0..32767 square

enum class ShapeKind { Rectangle, Ellipse, RoundRect, Ring, Polygon };

struct ShapePoint {
    int x;
    int y;
};

struct ShapeGeometry {
    ShapeKind kind = ShapeKind::Rectangle;
    int width = 0;   // outer width and height the geometry was made for
    int height = 0;
    int cornerDiameter = 0;          // RoundRect
    int innerLeft = 0, innerTop = 0; // Ring: the hole's ellipse
    int innerRight = 0, innerBottom = 0;
    std::vector<ShapePoint> points;  // Polygon, already scaled
};

// The windows' multiply-divide: a * b / c rounded half away from zero, -1 when c is 0.
int RoundingMulDiv(int a, int b, int c);

// Clamps a stored or assigned shape number to 0..29.
int ClampShape(int shape);

// Geometry of shape (clamped) for a window of width x height outer pixels.
// Negative sizes count as 0.
ShapeGeometry ComputeShape(int shape, int width, int height);

// The unscaled table entry of a polygon shape (4..29); empty for the others.
const std::vector<ShapePoint>& ShapeTablePoints(int shape);

}  // namespace imprinta::units
