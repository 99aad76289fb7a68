// Decoded pictures in one pixel layout: 32-bit rows of blue, green, red and
// straight (not premultiplied) alpha, top row first, no padding. GDI+ calls
// this layout 32bppARGB, so the renderer draws on a canvas in place, and the
// picture box blends it with its background for the screen. Plain C++.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>
#include "runtime/pictures/picture_decode.h"

namespace imprinta::picture {

struct Canvas {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bgra;  // width * height * 4 bytes

    size_t Stride() const { return size_t(width) * 4; }
    bool Empty() const { return width == 0 || height == 0 || bgra.size() < Stride() * height; }
};

// Moves a decoded picture into a canvas, converting in place where the layout
// allows, so a large picture is never held twice. Pixels with alpha 0 become
// 0, 0, 0, 0 (what drawing them onto a transparent bitmap leaves); GIF and PCX
// transparency and palette indices beyond the table become such pixels too.
// Nothing for an empty picture or when memory runs out.
std::optional<Canvas> ToCanvas(DecodedPicture&& picture);

// Decode and convert; nothing for unrecognised or undecodable data.
std::optional<Canvas> DecodeCanvas(std::span<const uint8_t> data, const DecodeLimits& limits = {});

// The picture box's blend with its background colour (0x00BBGGRR): alpha 255
// is kept, other pixels get trunc(A/255 * pixel + bg * (1 - A/255)). Writes
// opaque BGRA rows; the same arithmetic as BlendRgbaOverBackground.
void BlendCanvasOverBackground(const Canvas& canvas, uint32_t background, uint8_t* bgraOut);

// The smallest rectangle (right and bottom exclusive) holding every pixel in
// which two pictures of the same size differ; empty when they are equal. A
// screen showing one then needs only that much drawn again to show the other.
struct PixelBounds {
    uint32_t left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
};
PixelBounds ChangedBounds(const uint8_t* before, const uint8_t* after, uint32_t width, uint32_t height);

}  // namespace imprinta::picture
