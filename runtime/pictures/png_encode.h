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

// The levels Small files are packed at. Measured on exported 1080 x 1920
// posters: levels up to 9 left photo-like ones 1 to 3 % above the size a
// zlib level-6 saver gives the same pixels; 10 (libdeflate's first
// near-optimal level) packs them 4 % below it, flat ones 17 % below. Camera
// photos, whose grain packs poorly either way, already come out 4 % below at
// 8, which takes a good part less time on their many pixels.
constexpr int kSmallLevel = 10;
constexpr int kSmallLevelLarge = 8;
constexpr uint64_t kSmallLevelLargeFrom = uint64_t(4) << 20;  // pixels

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

// The parts of Small packing for those who deflate its rows themselves: whether
// the picture is written without alpha (all opaque), rows first to end filtered
// as Small filters them ((end - first) * (width * 3 or 4 + 1) bytes to out), and
// the PNG's chunks around the zlib stream of all the filtered rows, which the
// caller appends to png between the two (Begin gives the place End needs).
bool PngDropsAlpha(const Canvas& canvas);
void FilterRowsForSmall(const Canvas& canvas, bool alpha, uint32_t first, uint32_t end, uint8_t* out);
size_t BeginPngData(std::vector<uint8_t>& png, const Canvas& canvas, bool alpha);
void EndPngData(std::vector<uint8_t>& png, size_t idat);

// The Stored encoding written in one pass into memory the caller provides, so
// a picture shown at every keystroke is neither buffered nor copied on the way.
// StoredPngSize is the exact number of bytes WriteStoredPng writes; 0 for an
// empty canvas or one too large for a PNG chunk.
size_t StoredPngSize(const Canvas& canvas);
void WriteStoredPng(const Canvas& canvas, uint8_t* out);

}  // namespace imprinta::picture
