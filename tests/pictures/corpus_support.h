// Helpers for the picture tests: corpus files, ImageMagick references and
// pixel comparison. Shared by the native and the Windows test builds.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "runtime/pictures/picture_decode.h"

namespace pictest {

std::vector<uint8_t> ReadAll(const std::string& path);
bool Exists(const std::string& path);
// $IMPRINTA_CORPORA, else $IMPRINTA_BUILD/corpora.
std::string CorporaDir();
// Regular files in `dir` (not recursive) whose names end with `suffix`, sorted.
std::vector<std::string> ListFiles(const std::string& dir, const std::string& suffix);

// Any decoded picture as 8-bit RGBA rows; for indexed pictures the
// transparent index gives alpha 0.
std::vector<uint8_t> ToRgba(const imprinta::picture::DecodedPicture& p);

// "width height frames" from a .size file written by fetch-corpora.sh.
struct SizeInfo {
    uint32_t width = 0, height = 0, frames = 0;
};
std::optional<SizeInfo> ReadSize(const std::string& path);

struct PixelDiff {
    size_t mismatches = 0;  // pixels with a channel further apart than the tolerance
    int maxDelta = 0;
    size_t first = SIZE_MAX;
};
// Compares RGBA buffers. Fully transparent pixels compare by alpha only.
PixelDiff CompareRgba(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance);

// Little builders for hand-made files.
struct Bytes {
    std::vector<uint8_t> v;
    Bytes& u8(uint32_t x) { v.push_back(uint8_t(x)); return *this; }
    Bytes& u16(uint32_t x) { u8(x); return u8(x >> 8); }
    Bytes& u32(uint32_t x) { u16(x); return u16(x >> 16); }
    Bytes& str(const char* s) { while (*s) u8(uint8_t(*s++)); return *this; }
    Bytes& fill(size_t n, uint8_t x) { v.insert(v.end(), n, x); return *this; }
    Bytes& raw(const std::vector<uint8_t>& b) { v.insert(v.end(), b.begin(), b.end()); return *this; }
    size_t size() const { return v.size(); }
};

}  // namespace pictest
