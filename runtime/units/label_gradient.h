// Gradient arithmetic of the label: colours along a direction, computed tile by
// tile. Plain C++ (no Windows headers) so the host tests check the pixels.
#pragma once
#include <cstdint>

namespace imprinta::units {

// Largest gradient tile side: each tile is one small bitmap copied to the screen.
constexpr int kGradientTile = 50;

// The usable colours of a three-colour list in order, leaving out the
// transparent value 0xFF000000. Returns how many were written to out.
int CollectGradientColours(const uint32_t in[3], uint32_t out[3]);

// The colour (0x00BBGGRR) at position p along length length, for 2 or 3 colours:
// segment = length / (count - 1); positions in or past the last segment's end
// take the last colour, others interpolate linearly and truncate.
uint32_t GradientColourAt(const uint32_t* colours, int count, int p, int length);

// Position and length of pixel (x, y) of a width x height rectangle in
// gradient mode 1..8 (top-down, left-right, the four diagonals, reversed).
void GradientPosition(int mode, int x, int y, int width, int height, int& p, int& length);

// BGRA pixels (alpha 255) of the tile at (tileX, tileY), tileW x tileH, of a
// width x height gradient; rows top first, tileW * 4 bytes apart.
void RenderGradientTile(int mode, const uint32_t* colours, int count, int width, int height, int tileX, int tileY,
                        int tileW, int tileH, uint8_t* bgra);

// The frame band widths actually drawn: the frame width limited to half the
// rectangle's width (horizontal bands' height: half its height).
struct FrameBands {
    int side = 0;   // width of the left and right bands
    int topBottom = 0;  // height of the top and bottom bands
};
FrameBands LimitFrame(int frameWidth, int width, int height);

}  // namespace imprinta::units
