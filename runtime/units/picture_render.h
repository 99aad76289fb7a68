// Decoded pictures on the screen: the one way units turn a picture into
// something GDI draws, and draw it (own size, stretched, tiled, centred and
// shrunk). The decoding itself is plain C++ in runtime/pictures.
//
// ICO and CUR pictures become an icon handle and are drawn with DrawIconEx,
// so their mask and alpha let whatever lies below show through. Every other
// picture becomes BGRA rows (alpha 255, top row first) with its transparent
// parts (PNG alpha, a GIF's transparent colour) blended over the background
// colour it was rendered for.
#pragma once
#include <windows.h>
#include "runtime/units/picture_modes.h"
#include <cstdint>
#include <vector>
#include "runtime/base/byte_buffer.h"
#include "runtime/pictures/picture_decode.h"

namespace imprinta::units {

class RenderedPicture {
public:
    RenderedPicture() = default;
    ~RenderedPicture() { Release(); }
    RenderedPicture(const RenderedPicture&) = delete;
    RenderedPicture& operator=(const RenderedPicture&) = delete;

    int width = 0, height = 0;
    std::vector<uint8_t> bgra;  // width * height * 4 bytes, unless the picture is an icon
    HICON icon = nullptr;       // ICO and CUR, owned

    bool empty() const { return width <= 0 || height <= 0 || (bgra.empty() && !icon); }
    void Release();
    // Empty, the rows' memory kept for a picture of the same size to come.
    void Reset();
};

// An icon or cursor handle from the directory entry the decoder chose
// (cursors get their hot spot from the entry). Null when Windows refuses it.
HICON CreatePictureIcon(const picture::DecodedPicture& picture);

// The picture for the screen, transparent parts against `background` (a
// resolved COLORREF). False (and `out` empty) for a picture GDI cannot take.
bool RenderPicture(const picture::DecodedPicture& picture, COLORREF background, RenderedPicture& out);
// Decode and render; false (out empty) for no data, unknown or undecodable
// data. A picture the shared cache holds (a renderer result, a template just
// read) is blended from there instead of being decoded again.
bool DecodeAndRender(const ByteBuffer& data, COLORREF background, RenderedPicture& out);

// A 32-bit DIB section of the rows, for controls that take a bitmap handle
// (owned by the caller); null for an icon or an empty picture.
HBITMAP MakeBitmap(const RenderedPicture& picture);

// BGRA from RGBA rows (the animation canvas).
void RgbaToBgra(const uint8_t* rgba, size_t pixels, uint8_t* bgra);

// HALFTONE when the screen has more than 16 bits per pixel, COLORONCOLOR otherwise.
int ScreenStretchMode();

// Draws BGRA rows at (x, y); width and height of -1 mean the picture's own
// size, anything else stretches with the screen's stretch mode.
void DrawBgra(HDC dc, const uint8_t* bgra, int pw, int ph, int x, int y, int w = -1, int h = -1,
              DWORD rop = SRCCOPY);
// Draws a rendered picture the same way; icons through DrawIconEx (the raster
// operation applies to rows only).
void DrawRenderedPicture(HDC dc, const RenderedPicture& picture, int x, int y, int width = -1, int height = -1,
                         DWORD rop = SRCCOPY);

// Where a pw x ph picture goes centred in area: shrunk keeping the aspect
// ratio (factor = the smaller of width and height ratio) when it is larger.
RECT FitCentred(int pw, int ph, const RECT& area);

// Only tiles meeting clip are drawn. An icon's transparent parts show `background`.
// Returns the part of area the picture covers (all of it for modes 1 and 3).
RECT DrawPictureByMode(HDC dc, const RenderedPicture& pic, const RECT& area, int mode, const RECT& clip,
                       COLORREF background);

// Fills rect except the covered rectangle (may be empty) with a brush of colour.
void FillAround(HDC dc, const RECT& rect, const RECT& covered, COLORREF colour);

}  // namespace imprinta::units
