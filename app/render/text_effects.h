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

// Paints colour (0x00BBGGRR) with the mask's coverage times opacity (0..255)
// onto straight-alpha BGRA rows, the mask moved by (dx, dy); what falls outside
// the picture is left out.
void PaintMask(uint8_t* bgra, int32_t width, int32_t height, const CoverageMask& mask, int32_t dx, int32_t dy,
               uint32_t colour, int32_t opacity);

}  // namespace app
