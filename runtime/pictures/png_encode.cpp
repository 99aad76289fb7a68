#include "runtime/pictures/png_encode.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <libdeflate.h>
#include <zlib.h>

namespace imprinta::picture {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kColourTypeRgb = 2, kColourTypeRgba = 6;
constexpr size_t kChunkOverhead = 12;  // length, type, CRC
constexpr int kStreamLevel = 1;        // zlib levels of the streamed Fast and Small paths
constexpr int kStreamSmallLevel = 6;

enum Filter : uint8_t { kFilterNone = 0, kFilterSub = 1, kFilterUp = 2, kFilterAverage = 3, kFilterPaeth = 4 };

void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
}

// Appends a chunk whose data is already in place after an 8-byte gap at `start`.
void FinishChunk(std::vector<uint8_t>& png, size_t start, const char* type) {
    const size_t length = png.size() - start - 8;
    PutBe32(&png[start], uint32_t(length));
    std::memcpy(&png[start + 4], type, 4);
    uint8_t crc[4];
    PutBe32(crc, libdeflate_crc32(0, &png[start + 4], length + 4));
    png.insert(png.end(), crc, crc + 4);
}

void BeginChunk(std::vector<uint8_t>& png) { png.resize(png.size() + 8); }

void WriteHeader(std::vector<uint8_t>& png, const Canvas& c, bool alpha) {
    png.assign(kSignature, kSignature + 8);
    const size_t start = png.size();
    BeginChunk(png);
    uint8_t ihdr[13] = {};
    PutBe32(ihdr, c.width);
    PutBe32(ihdr + 4, c.height);
    ihdr[8] = 8;  // bits per channel
    ihdr[9] = alpha ? kColourTypeRgba : kColourTypeRgb;
    png.insert(png.end(), ihdr, ihdr + 13);  // compression, filter method, interlace: 0
    FinishChunk(png, start, "IHDR");
}

void WriteEnd(std::vector<uint8_t>& png) {
    const size_t start = png.size();
    BeginChunk(png);
    FinishChunk(png, start, "IEND");
}

bool Opaque(const Canvas& c) {
    for (size_t i = 3; i < c.bgra.size(); i += 4)
        if (c.bgra[i] != 255) return false;
    return true;
}

// Whole pixels as 32-bit words, so the compiler can work on several at once.
void BgraToRgba(const uint8_t* bgra, size_t pixels, uint8_t* rgba) {
    for (size_t i = 0; i < pixels; ++i) {
        uint32_t v;
        std::memcpy(&v, bgra + i * 4, 4);
        v = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
        std::memcpy(rgba + i * 4, &v, 4);
    }
}

void BgraToRgb(const uint8_t* bgra, size_t pixels, uint8_t* rgb) {
    for (size_t i = 0; i < pixels; ++i) {
        rgb[i * 3] = bgra[i * 4 + 2];
        rgb[i * 3 + 1] = bgra[i * 4 + 1];
        rgb[i * 3 + 2] = bgra[i * 4];
    }
}

// One filter over a row of `bpp`-byte pixels (`above` null on the first row).
// Written without branches in the loops: the predictors depend only on
// unfiltered bytes, so they vectorise.
void ApplyFilter(Filter f, const uint8_t* row, const uint8_t* above, size_t bytes, size_t bpp, uint8_t* out) {
    out[0] = f;
    ++out;
    auto up = [above](size_t i) { return above ? above[i] : 0; };
    switch (f) {
    case kFilterNone: std::memcpy(out, row, bytes); break;
    case kFilterSub:
        for (size_t i = 0; i < bytes; ++i) out[i] = uint8_t(row[i] - (i >= bpp ? row[i - bpp] : 0));
        break;
    case kFilterUp:
        for (size_t i = 0; i < bytes; ++i) out[i] = uint8_t(row[i] - up(i));
        break;
    case kFilterAverage:
        for (size_t i = 0; i < bytes; ++i) out[i] = uint8_t(row[i] - ((i >= bpp ? row[i - bpp] : 0) + up(i)) / 2);
        break;
    case kFilterPaeth:
        for (size_t i = 0; i < bpp && i < bytes; ++i) out[i] = uint8_t(row[i] - up(i));
        for (size_t i = bpp; i < bytes; ++i) {
            const int a = row[i - bpp], b = up(i), c = up(i - bpp);
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            const int predicted = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            out[i] = uint8_t(row[i] - predicted);
        }
        break;
    }
}

// The usual heuristic for choosing a filter: the smallest sum of the
// filtered bytes taken as signed values.
uint64_t SignedSum(const uint8_t* filtered, size_t bytes) {
    uint64_t sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += uint8_t(filtered[i] < 128 ? filtered[i] : 256 - filtered[i]);
    return sum;
}

enum class RowFilters { Paeth, Best };

// Feeds filtered rows (RGBA, or RGB without alpha) one at a time to `sink`:
// rows first to end, filtered against the picture's row above the first.
template <typename Sink>
bool ForEachRow(const Canvas& c, bool alpha, RowFilters filters, Sink&& sink, uint32_t first = 0,
                uint32_t end = UINT32_MAX) {
    end = std::min(end, c.height);
    const size_t bpp = alpha ? 4 : 3, bytes = size_t(c.width) * bpp;
    std::vector<uint8_t> rows[2] = {std::vector<uint8_t>(bytes), std::vector<uint8_t>(bytes)};
    std::vector<uint8_t> out(bytes + 1), trial(filters == RowFilters::Best ? bytes + 1 : 0);
    for (uint32_t y = first ? first - 1 : 0; y < end; ++y) {
        std::vector<uint8_t>& row = rows[y & 1];
        const uint8_t* above = y ? rows[(y + 1) & 1].data() : nullptr;
        if (alpha)
            BgraToRgba(c.bgra.data() + y * c.Stride(), c.width, row.data());
        else
            BgraToRgb(c.bgra.data() + y * c.Stride(), c.width, row.data());
        if (y < first) continue;  // only the row above
        switch (filters) {
        case RowFilters::Paeth:
            ApplyFilter(above ? kFilterPaeth : kFilterSub, row.data(), above, bytes, bpp, out.data());
            break;
        case RowFilters::Best: {
            uint64_t best = UINT64_MAX;
            for (Filter f : {kFilterNone, kFilterSub, kFilterUp, kFilterAverage, kFilterPaeth}) {
                ApplyFilter(f, row.data(), above, bytes, bpp, trial.data());
                const uint64_t sum = SignedSum(trial.data() + 1, bytes);
                if (sum < best) best = sum, out.swap(trial);
            }
            break;
        }
        }
        if (!sink(out.data(), out.size(), y + 1 == end)) return false;
    }
    return true;
}

// zlib, row by row, straight into the IDAT chunk.
bool DeflateStreamed(const Canvas& c, int level, bool alpha, RowFilters filters, std::vector<uint8_t>& png) {
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK) return false;
    std::unique_ptr<z_stream, int (*)(z_streamp)> guard(&z, deflateEnd);
    png.reserve(png.size() + size_t(uint64_t(c.Stride() + 1) * c.height / 2) + 65536);
    return ForEachRow(c, alpha, filters, [&](const uint8_t* data, size_t size, bool last) {
        z.next_in = const_cast<uint8_t*>(data);
        z.avail_in = uInt(size);
        for (;;) {
            const size_t used = png.size();
            const uInt room = uInt(size + 1024);  // a row's worth: the vector is not filled ahead
            png.resize(used + room);
            z.next_out = png.data() + used;
            z.avail_out = room;
            int status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            png.resize(used + (room - z.avail_out));
            if (status == Z_STREAM_END) return true;
            if (status != Z_OK && status != Z_BUF_ERROR) return false;
            if (z.avail_in == 0 && !last) return true;
        }
    });
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// libdeflate over the whole filtered picture at once.
bool DeflateOneShot(const Canvas& c, int level, bool alpha, RowFilters filters, std::vector<uint8_t>& png) {
    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(libdeflate_alloc_compressor(level));
    if (!compressor) return false;
    const size_t rowBytes = size_t(c.width) * (alpha ? 4 : 3) + 1;
    std::vector<uint8_t> filtered(rowBytes * c.height);
    uint8_t* next = filtered.data();
    ForEachRow(c, alpha, filters, [&](const uint8_t* data, size_t size, bool) {
        std::memcpy(next, data, size);
        next += size;
        return true;
    });
    const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filtered.size());
    const size_t start = png.size();
    png.resize(start + bound);
    const size_t written = libdeflate_zlib_compress(compressor.get(), filtered.data(), filtered.size(), &png[start], bound);
    png.resize(start + written);
    return written != 0;
}

// Stored deflate blocks hold at most this many bytes each.
constexpr uint64_t kStoredBlockMax = 65535;
constexpr uint64_t kChunkLengthMax = 0x7FFF'FFFF;
constexpr size_t kIhdrLength = 13;

uint64_t StoredRawBytes(const Canvas& c) { return (uint64_t(c.Stride()) + 1) * c.height; }

// zlib header, blocks of 5-byte headers and data, Adler-32.
uint64_t StoredIdatLength(const Canvas& c) {
    const uint64_t raw = StoredRawBytes(c);
    const uint64_t blocks = raw == 0 ? 1 : (raw + kStoredBlockMax - 1) / kStoredBlockMax;
    return 2 + blocks * 5 + raw + 4;
}

uint8_t* PutChunkEnd(uint8_t* chunk, uint8_t* end) {
    PutBe32(end, libdeflate_crc32(0, chunk + 4, size_t(end - chunk - 4)));
    return end + 4;
}

uint8_t* PutChunkStart(uint8_t* p, uint32_t length, const char* type) {
    PutBe32(p, length);
    std::memcpy(p + 4, type, 4);
    return p + 8;
}

}  // namespace

bool PngDropsAlpha(const Canvas& canvas) { return Opaque(canvas); }

void FilterRowsForSmall(const Canvas& canvas, bool alpha, uint32_t first, uint32_t end, uint8_t* out) {
    ForEachRow(canvas, alpha, RowFilters::Best, [&](const uint8_t* data, size_t size, bool) {
        std::memcpy(out, data, size);
        out += size;
        return true;
    }, first, end);
}

size_t BeginPngData(std::vector<uint8_t>& png, const Canvas& canvas, bool alpha) {
    WriteHeader(png, canvas, alpha);
    const size_t idat = png.size();
    BeginChunk(png);
    return idat;
}

void EndPngData(std::vector<uint8_t>& png, size_t idat) {
    FinishChunk(png, idat, "IDAT");
    WriteEnd(png);
}

size_t StoredPngSize(const Canvas& canvas) {
    if (canvas.Empty()) return 0;
    const uint64_t idat = StoredIdatLength(canvas);
    const uint64_t total = sizeof kSignature + (kChunkOverhead + kIhdrLength) + (kChunkOverhead + idat) + kChunkOverhead;
    return idat > kChunkLengthMax || total > SIZE_MAX ? 0 : size_t(total);
}

void WriteStoredPng(const Canvas& c, uint8_t* out) {
    std::memcpy(out, kSignature, sizeof kSignature);
    uint8_t* chunk = out + sizeof kSignature;
    uint8_t* p = PutChunkStart(chunk, kIhdrLength, "IHDR");
    PutBe32(p, c.width);
    PutBe32(p + 4, c.height);
    const uint8_t rest[5] = {8, kColourTypeRgba, 0, 0, 0};  // depth, colour, compression, filter, interlace
    std::memcpy(p + 8, rest, sizeof rest);
    p = PutChunkEnd(chunk, p + kIhdrLength);

    chunk = p;
    p = PutChunkStart(chunk, uint32_t(StoredIdatLength(c)), "IDAT");
    *p++ = 0x78, *p++ = 0x01;  // deflate, 32K window, no dictionary
    // Each row (filter byte 0, then RGBA) is made in a small buffer and poured
    // into the blocks, which split rows wherever 65535 bytes end.
    std::vector<uint8_t> row(c.Stride() + 1, kFilterNone);
    uint64_t left = StoredRawBytes(c), blockLeft = 0;
    uint32_t adler = 1;
    for (uint32_t y = 0; y < c.height; ++y) {
        BgraToRgba(c.bgra.data() + y * c.Stride(), c.width, row.data() + 1);
        for (size_t from = 0; from < row.size();) {
            if (blockLeft == 0) {
                blockLeft = std::min(left, kStoredBlockMax);
                left -= blockLeft;
                const uint16_t n = uint16_t(blockLeft);
                const uint8_t header[5] = {uint8_t(left == 0), uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)};
                std::memcpy(p, header, sizeof header);
                p += sizeof header;
            }
            const size_t n = size_t(std::min<uint64_t>(blockLeft, row.size() - from));
            std::memcpy(p, row.data() + from, n);
            adler = libdeflate_adler32(adler, p, n);
            p += n, from += n, blockLeft -= n;
        }
    }
    PutBe32(p, adler);
    p = PutChunkEnd(chunk, p + 4);
    PutChunkEnd(p, PutChunkStart(p, 0, "IEND"));
}

std::vector<uint8_t> EncodePng(const Canvas& canvas, const PngEncodeOptions& options) {
    if (canvas.Empty()) return {};
    try {
        if (options.compression == PngCompression::Stored) {
            std::vector<uint8_t> png(StoredPngSize(canvas));
            if (!png.empty()) WriteStoredPng(canvas, png.data());
            return png;
        }
        const bool small = options.compression == PngCompression::Small;
        const bool alpha = !small || !Opaque(canvas);
        const RowFilters filters = small ? RowFilters::Best : RowFilters::Paeth;
        std::vector<uint8_t> png;
        WriteHeader(png, canvas, alpha);
        const size_t idat = png.size();
        BeginChunk(png);
        const uint64_t raw = uint64_t(canvas.Stride()) * canvas.height;
        bool ok = false;
        if (raw <= options.oneShotLimit) {
            try {
                ok = DeflateOneShot(canvas, options.level, alpha, filters, png);
            } catch (const std::bad_alloc&) {
                png.resize(idat + 8);  // streaming needs far less memory
            }
        }
        if (!ok) ok = DeflateStreamed(canvas, small ? kStreamSmallLevel : kStreamLevel, alpha, filters, png);
        if (!ok) return {};
        FinishChunk(png, idat, "IDAT");
        WriteEnd(png);
        return png;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace imprinta::picture
