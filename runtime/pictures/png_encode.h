// PNG writer for canvases: 8-bit RGBA (colour type 6), or RGB (type 2) for an
// opaque picture packed Small; every pixel kept, rows filtered and deflated by
// libdeflate in one shot, or by zlib row by row where one-shot buffers would be
// too large. Plain C++.
#pragma once
#include <cstdint>
#include <vector>
#include "runtime/pictures/picture_canvas.h"

namespace imprinta::picture {

enum class PngCompression {
    Stored,  // no filtering, uncompressed deflate blocks: for a picture read back at once
    Fast,    // Paeth-filtered, deflated at `level`: for previews too large to store
    Small,   // each row's best filter, no alpha channel when all is opaque: for files people keep
};

// The level Small files are packed at: measured on photo-like 1080 x 1920
// posters, it packs them below the common zlib level-6 savers' size.
constexpr int kSmallLevel = 8;

struct PngEncodeOptions {
    PngCompression compression = PngCompression::Fast;
    int level = 2;  // libdeflate level for Fast
    // Above this many pixel bytes Fast streams through zlib, which needs no
    // buffer of the whole filtered picture (it also does when those buffers
    // cannot be had). zlib is several times slower than libdeflate.
    uint64_t oneShotLimit = UINT64_MAX;
};

// The PNG file bytes; empty for an empty canvas or when memory runs out.
std::vector<uint8_t> EncodePng(const Canvas& canvas, const PngEncodeOptions& options = {});

}  // namespace imprinta::picture
