// Pictures on the screen: a decoded picture turned into 32-bit rows for GDI,
// and the ways units draw them (own size, stretched, tiled, centred and shrunk).
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include "runtime/base/byte_buffer.h"
#include "runtime/pictures/picture_decode.h"

namespace imprinta::units {

// A picture ready for the screen: BGRA rows (alpha 255), top row first.
struct ScreenPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> bgra;
    bool empty() const { return width <= 0 || height <= 0 || bgra.empty(); }
    void Clear() {
        width = height = 0;
        bgra.clear();
        bgra.shrink_to_fit();
    }
};

// PNG and icon pixels with alpha below 255 are blended with the background
// colour (a resolved COLORREF); GIF transparency shows the background too.
bool RenderForScreen(const picture::DecodedPicture& pic, COLORREF background, ScreenPicture& out);
// Decode and render; false (out empty) for no data, unknown or undecodable data.
bool DecodeForScreen(const ByteBuffer& data, COLORREF background, ScreenPicture& out);
// BGRA from RGBA rows (the animation canvas).
void RgbaToBgra(const uint8_t* rgba, size_t pixels, uint8_t* bgra);

// HALFTONE when the screen has more than 16 bits per pixel, COLORONCOLOR otherwise.
int ScreenStretchMode();

// Draws BGRA rows at (x, y); width and height of -1 mean the picture's own
// size, anything else stretches with the screen's stretch mode.
void DrawBgra(HDC dc, const uint8_t* bgra, int pw, int ph, int x, int y, int w = -1, int h = -1,
              DWORD rop = SRCCOPY);
inline void DrawScreenPicture(HDC dc, const ScreenPicture& p, int x, int y, int w = -1, int h = -1,
                              DWORD rop = SRCCOPY) {
    if (!p.empty()) DrawBgra(dc, p.bgra.data(), p.width, p.height, x, y, w, h, rop);
}

// Where a pw x ph picture goes centred in area: shrunk keeping the aspect
// ratio (factor = the smaller of width and height ratio) when it is larger.
RECT FitCentred(int pw, int ph, const RECT& area);

// Background picture modes of the label and the drawing panel: 0 own size at
// the area's top-left corner, 1 tiled from there, 2 centred and shrunk to fit.
// Only tiles meeting clip are drawn. Returns the part of area the picture
// covers (all of it for mode 1).
RECT DrawPictureByMode(HDC dc, const ScreenPicture& pic, const RECT& area, int mode, const RECT& clip);

// Fills rect except the covered rectangle (may be empty) with a brush of colour.
void FillAround(HDC dc, const RECT& rect, const RECT& covered, COLORREF colour);

}  // namespace imprinta::units
