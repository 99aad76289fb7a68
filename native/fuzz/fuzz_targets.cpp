// Fuzz target bodies. Besides running a decoder they check the invariants the
// renderers rely on (buffer sizes, palette sizes), aborting when one breaks so
// the fuzzer reports it like a crash.
#include "fuzz_targets.h"
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <span>
#include <vector>
#include "app/poster/table_reader.h"
#include "runtime/pictures/picture_decode.h"

namespace imprinta::fuzz {
namespace {
using namespace imprinta::picture;

// The decoders' own limits, set lower than the defaults: a header may declare
// up to 64 M pixels, and decoding that much padding costs a second, so the
// default cap would hold the fuzzer to a few runs a second without reaching
// any new code. The refusal paths are the same at either cap.
constexpr DecodeLimits kLimits{65535, uint64_t(1) << 16, uint64_t(8) << 20};

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void Check(const DecodedPicture& p) {
    if (p.width == 0 || p.height == 0) Broken("empty picture reported as decoded");
    uint64_t pixels = uint64_t(p.width) * p.height;
    if (pixels > kLimits.maxPixels) Broken("pixel cap exceeded");
    if (p.pixels.size() != size_t(p.stride) * p.height) Broken("pixel buffer size");
    switch (p.pixelFormat) {
    case PixelFormat::Bgr24: if (p.stride < p.width * 3) Broken("stride"); break;
    case PixelFormat::Rgba32: if (p.stride < p.width * 4) Broken("stride"); break;
    case PixelFormat::Indexed8:
        if (p.stride < p.width || p.palette.size() != 256) Broken("indexed layout");
        break;
    case PixelFormat::Mono1:
        if (p.stride < (p.width + 7) / 8 || p.palette.size() != 2) Broken("mono layout");
        break;
    default: Broken("pixel format");
    }
    // Touch every byte so uninitialised or freed memory shows up under the sanitizers.
    unsigned sum = 0;
    for (uint8_t b : p.pixels) sum += b;
    if (sum == 0xFFFFFFFFu) std::puts("");
    if (p.pixelFormat == PixelFormat::Rgba32) {
        std::vector<uint8_t> bgra(size_t(p.width) * p.height * 4);
        BlendRgbaOverBackground(p, 0x00FFFFFF, bgra.data());
    }
}

void CheckOptional(const DecodeResult& p, PictureFormat expected) {
    if ((p.error() == DecodeError::None) != p.has_value()) Broken("decode result and its reason disagree");
    if (!p) return;
    Check(*p);
    if (expected != PictureFormat::Unknown && p->format != expected) Broken("format code");
}

void RunSniff(const uint8_t* d, size_t n) {
    std::span<const uint8_t> s(d, n);
    PictureFormat f = SniffPictureFormat(s);
    auto p = DecodePicture(s, kLimits);
    if (p && f == PictureFormat::Unknown) Broken("unknown data decoded");
    CheckOptional(p, f);
}

void RunBmp(const uint8_t* d, size_t n) { CheckOptional(DecodeBmp({d, n}, kLimits), PictureFormat::Bmp); }
void RunPng(const uint8_t* d, size_t n) { CheckOptional(DecodePng({d, n}, kLimits), PictureFormat::Png); }
void RunJpeg(const uint8_t* d, size_t n) { CheckOptional(DecodeJpeg({d, n}, kLimits), PictureFormat::Jpeg); }

// The directory reader alone: entries only from whole 16-byte records, and
// every image span it hands out inside the data.
void CheckIconDirectory(std::span<const uint8_t> s) {
    IconDirectory dir;
    const DecodeError e = ReadIconDirectory(s, dir);
    if (e == DecodeError::None) {
        if (dir.entries.empty() || dir.entries.size() > dir.declaredCount) Broken("icon entry count");
        if (dir.entries.size() > (s.size() - kIconHeaderSize) / kIconEntrySize) Broken("icon entry past the data");
    } else if (!dir.entries.empty()) {
        Broken("entries kept from a refused directory");
    }
    for (const IconEntry& entry : dir.entries) {
        std::span<const uint8_t> image = IconImageBytes(s, entry);
        if (!image.empty() && (image.data() < s.data() || image.data() + image.size() > s.data() + s.size()))
            Broken("icon image outside the data");
        (void)IconResourceBytes(dir.kind, entry, image);
    }
}

void RunIcon(const uint8_t* d, size_t n) {
    std::span<const uint8_t> s(d, n);
    CheckIconDirectory(s);
    CheckOptional(DecodeIcon(s, PictureFormat::Ico, kLimits), PictureFormat::Ico);
    CheckOptional(DecodeIcon(s, PictureFormat::Cur, kLimits), PictureFormat::Cur);
}

void RunPcx(const uint8_t* d, size_t n) {
    std::span<const uint8_t> s(d, n);
    CheckOptional(DecodePcx(s, PictureFormat::Pcx8, kLimits), PictureFormat::Pcx8);
    CheckOptional(DecodePcx(s, PictureFormat::Pcx1, kLimits), PictureFormat::Pcx1);
}

void RunGif(const uint8_t* d, size_t n) {
    std::span<const uint8_t> s(d, n);
    auto p = DecodeGif(s, kLimits);
    CheckOptional(p, PictureFormat::Gif);
    // The player's path: the reader over two passes (the compositor runs in
    // DecodeGifAnimation below).
    GifReader reader;
    if (!reader.Open(s, kLimits)) {
        if (p) Broken("still decode accepted a header the reader refuses");
        return;
    }
    for (int i = 0; i < 6 && reader.Passes() < 2; ++i) {
        auto frame = reader.NextFrame();
        if (!frame) continue;
        if (frame->indices.size() != size_t(frame->width) * frame->height) Broken("frame size");
        if (frame->palette.size() != 256) Broken("frame palette");
        (void)reader.MoreFramesFollow();
    }
    auto anim = DecodeGifAnimation(s, kLimits);
    if (anim)
        for (const auto& f : anim->frames)
            if (f.rgba.size() != size_t(anim->width) * anim->height * 4) Broken("animation canvas size");
}

// The poster-table reader, fed in small uneven pieces with small limits: no
// field beyond its limit, rows in line order, and an accepted output name that
// could still leave the output folder is a finding.
void RunTable(const uint8_t* d, size_t n) {
    for (app::TableSeparator sep : {app::TableSeparator::Comma, app::TableSeparator::Tab}) {
        size_t at = 0;
        app::ByteSource source = [&](uint8_t* buffer, size_t capacity) {
            size_t k = std::min({capacity, n - at, size_t(1) + at % 7});
            if (k > 0) std::memcpy(buffer, d + at, k);
            at += k;
            return k;
        };
        app::TableReader reader(source, sep, {.fieldBytes = 256, .chunkBytes = 5});
        app::TableRow row;
        int lastLine = 0;
        while (reader.Next(&row)) {
            if (row.title.size() > 256 || row.body.size() > 256 || row.name.size() > 256) Broken("field limit");
            if (row.line <= lastLine) Broken("row lines out of order");
            lastLine = row.line;
            if (row.error == app::RowError::None && !row.name.empty()) {
                const std::string stem = app::OutputStem(row.name);
                if (stem.find_first_of(":/") != std::string::npos || stem == "." || stem == "..")
                    Broken("accepted a name leaving the folder");
            }
        }
        if (at != n && reader.error() == app::TableError::None) Broken("stopped before the end without a reason");
    }
}

}  // namespace

// fuzz_forms_targets.cpp
void RunTemplate(const uint8_t* data, size_t size);
void RunProperty(const uint8_t* data, size_t size);

const FuzzTargetInfo kFuzzTargets[] = {
    {"sniff", RunSniff}, {"bmp", RunBmp},   {"gif", RunGif},           {"icon", RunIcon},
    {"pcx", RunPcx},     {"png", RunPng},   {"jpeg", RunJpeg},         {"template", RunTemplate},
    {"property", RunProperty}, {"table", RunTable}, {nullptr, nullptr},
};

const FuzzTargetInfo* FindFuzzTarget(const char* name) {
    for (const FuzzTargetInfo* t = kFuzzTargets; t->name; ++t)
        if (std::strcmp(t->name, name) == 0) return t;
    return nullptr;
}

}  // namespace imprinta::fuzz
