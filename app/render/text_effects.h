// Outline and shadow of a text, worked out from its coverage mask (the alpha
// GDI+ gives the glyphs) over the text's own box only, and painted onto a
// picture's rows. Plain C++: the renderer hands in rows, tests hand in masks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace app {

// Coverage (0..255) of a rectangle placed at (left, top) in picture coordinates.
struct CoverageMask {
    int32_t left = 0, top = 0;
    int32_t width = 0, height = 0;
    std::vector<uint8_t> alpha;  // row-major, width * height

    bool empty() const { return width <= 0 || height <= 0; }
    uint8_t at(int32_t x, int32_t y) const { return alpha[static_cast<size_t>(y) * width + x]; }
    static CoverageMask Blank(int32_t left, int32_t top, int32_t width, int32_t height);
};

// The mask grown by radius pixels all round with round corners and smooth
// edges (from each pixel's distance to the nearest glyph pixel), the glyphs included.
CoverageMask Outlined(const CoverageMask& glyphs, double radius);

// The mask as it covers rows scaled by (sx, sy) against its own pixels: each
// row pixel takes the mean coverage of the area it stands for.
CoverageMask Shrunk(const CoverageMask& mask, double sx, double sy);

// The mask softened: three box blurs whose reach together is about radius pixels each side.
CoverageMask Blurred(const CoverageMask& mask, int32_t radius);

// The smallest rectangle holding every pixel with any coverage, in picture
// coordinates (right and bottom exclusive); all zero for a mask without ink.
struct InkBounds {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
};
InkBounds InkOf(const CoverageMask& mask);

// The mask turned a quarter clockwise, pixel for pixel: its first row becomes
// its last column. Placed at (left, top) again; the caller moves it.
CoverageMask TurnedClockwise(const CoverageMask& mask);
// The mask turned by degrees clockwise about (cx, cy) (picture coordinates,
// pixel corners), each pixel sampled between its four nearest.
CoverageMask Rotated(const CoverageMask& mask, double degrees, double cx, double cy);

// A fill running from one colour to another along a direction: colour `from`
// where t <= 0, `to` where t >= 1, with t = ((p - origin) . span) / |span|^2
// for a pixel's centre p in picture pixels, which lie scale rows pixels apart.
struct LinearGradient {
    uint32_t from = 0, to = 0;  // 0x00BBGGRR
    double originX = 0, originY = 0, spanX = 1, spanY = 0;
    double scaleX = 1, scaleY = 1;
    uint32_t At(double rowsX, double rowsY) const;
};
// The gradient at angle degrees (clockwise from left to right) across a box:
// `from` at its first corner along that direction, `to` at the last.
LinearGradient GradientAcross(uint32_t from, uint32_t to, double degrees, double left, double top, double right,
                              double bottom);
// The same gradient after its text was turned by degrees clockwise about (cx, cy).
LinearGradient Turned(const LinearGradient& g, double degrees, double cx, double cy);

// Paints colour (0x00BBGGRR) with the mask's coverage times opacity (0..255)
// onto straight-alpha BGRA rows, the mask moved by (dx, dy); what falls outside
// the picture is left out.
void PaintMask(uint8_t* bgra, int32_t width, int32_t height, const CoverageMask& mask, int32_t dx, int32_t dy,
               uint32_t colour, int32_t opacity);
// The same with each pixel's colour taken from the gradient.
void PaintMask(uint8_t* bgra, int32_t width, int32_t height, const CoverageMask& mask, int32_t dx, int32_t dy,
               const LinearGradient& gradient, int32_t opacity);

}  // namespace app
