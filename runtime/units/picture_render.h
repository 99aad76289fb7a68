// The Windows side of decoded pictures: the GDI bitmap (or icon) a unit
// blits, made the way each format asks for, and drawing it in its own size or
// stretched. The decoding itself is plain C++ in picture_decode.h.
#pragma once
#include <windows.h>
#include "runtime/pictures/picture_decode.h"

namespace imprinta::picture {

struct RenderedPicture {
    HBITMAP bitmap = nullptr;  // JPEG, BMP, GIF, PCX, PNG
    HICON icon = nullptr;      // ICO and CUR
    int width = 0;
    int height = 0;
    bool Empty() const { return !bitmap && !icon; }
    void Release();
};

// An icon or cursor handle from the directory entry the decoder chose
// (cursors get their hot spot from the entry). Null when Windows refuses it.
HICON CreatePictureIcon(const DecodedPicture& picture);

// 24-bit pixels become a bottom-up 24-bit DIB; GIF and 8-bit PCX an 8-bit DIB
// with their colour table (the GIF one copied into a bitmap compatible with
// `dc`); 1-bit PCX a monochrome bitmap; PNG a 32-bit top-down DIB with every
// pixel below full alpha blended with `background` (a COLORREF). ICO and CUR
// become an icon handle. False (and `out` empty) when GDI refuses.
bool RenderPicture(HDC dc, const DecodedPicture& picture, COLORREF background, RenderedPicture& out);

// Draws at (x, y). Width and height of -1 mean the picture's own size;
// anything else stretches (HALFTONE on screens above 16 bits per pixel,
// COLORONCOLOR otherwise).
void DrawRenderedPicture(HDC dc, const RenderedPicture& picture, int x, int y, int width = -1,
                         int height = -1, DWORD rop = SRCCOPY);

}  // namespace imprinta::picture
