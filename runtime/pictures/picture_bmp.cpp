// Windows bitmap files (BMP) and the bitmap images inside icons and cursors:
// 1/4/8 bits with a colour table, 16/24/32 bits (with bit fields), RLE4/RLE8,
// top-down rows and OS/2 core headers.
#include <algorithm>
#include "runtime/pictures/picture_decode_internal.h"

namespace imprinta::picture::detail {
namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

struct DibInfo {
    uint32_t headerSize = 0;
    uint32_t width = 0;
    uint32_t height = 0;  // absolute
    bool topDown = false;
    uint32_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t coloursUsed = 0;
    uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    bool hasAlphaMask = false;
    uint32_t paletteEntrySize = 4;
    size_t paletteStart = 0;  // offset from the start of the header
};

// Reads the info header at the start of `dib`; the caller deals with the
// doubled height of icon images.
DecodeError ParseDibHeader(std::span<const uint8_t> dib, DibInfo& info) {
    if (dib.size() < 12) return DecodeError::Truncated;
    ByteReader r(dib);
    info.headerSize = r.ReadU32();
    if (info.headerSize == 12) {  // OS/2 core header
        info.width = r.ReadU16();
        info.height = r.ReadU16();
        r.Skip(2);  // planes
        info.bitCount = r.ReadU16();
        info.paletteEntrySize = 3;
        info.paletteStart = 12;
    } else {
        if (info.headerSize < 16 || info.headerSize > 1024) return DecodeError::BadHeader;
        if (info.headerSize > dib.size()) return DecodeError::Truncated;
        const int32_t w = r.ReadI32(), h = r.ReadI32();
        if (w <= 0 || h == 0 || h == INT32_MIN) return DecodeError::BadHeader;
        info.width = uint32_t(w);
        info.topDown = h < 0;
        info.height = uint32_t(h < 0 ? -h : h);
        r.Skip(2);  // planes
        info.bitCount = r.ReadU16();
        if (info.headerSize >= 20) info.compression = r.ReadU32();
        if (info.headerSize >= 36) {
            r.Seek(32);
            info.coloursUsed = r.ReadU32();
        }
        bool os2v2 = info.headerSize != 40 && info.headerSize != 52 && info.headerSize != 56 &&
                     info.headerSize != 108 && info.headerSize != 124;
        // OS/2 2.x reuses compression 3 and 4 for Huffman and RLE24; neither is supported.
        if (os2v2 && info.compression != kBiRgb && info.compression != kBiRle8 && info.compression != kBiRle4)
            return DecodeError::Unsupported;
        size_t maskEnd = info.headerSize;
        if (info.compression == kBiBitfields || info.compression == kBiAlphaBitfields) {
            // The masks sit in a header of 52 bytes or more, else they follow a 40-byte one.
            const bool inHeader = info.headerSize >= 52;
            const size_t n = inHeader ? (info.headerSize >= 56 ? 4 : 3) : (info.compression == kBiAlphaBitfields ? 4 : 3);
            r.Seek(inHeader ? 40 : info.headerSize);
            for (size_t i = 0; i < n; ++i) info.masks[i] = r.ReadU32();
            if (!r.ok()) return DecodeError::Truncated;
            info.hasAlphaMask = n == 4;
            if (!inHeader) maskEnd = info.headerSize + 4 * n;
        }
        info.paletteStart = maskEnd;
    }
    if (info.width == 0 || info.height == 0) return DecodeError::BadHeader;
    switch (info.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return DecodeError::BadHeader;
    }
    switch (info.compression) {
    case kBiRgb: break;
    case kBiRle8: if (info.bitCount != 8 || info.topDown) return DecodeError::BadHeader; break;
    case kBiRle4: if (info.bitCount != 4 || info.topDown) return DecodeError::BadHeader; break;
    case kBiBitfields: case kBiAlphaBitfields:
        if (info.bitCount != 16 && info.bitCount != 32) return DecodeError::BadHeader;
        break;
    default: return DecodeError::Unsupported;  // embedded JPEG/PNG and anything unknown
    }
    if (info.compression == kBiRgb && info.bitCount == 16) {
        info.masks[0] = 0x7C00; info.masks[1] = 0x03E0; info.masks[2] = 0x001F;
    } else if (info.compression == kBiRgb && info.bitCount == 32) {
        info.masks[0] = 0xFF0000; info.masks[1] = 0xFF00; info.masks[2] = 0xFF;
    }
    return DecodeError::None;
}

uint32_t PaletteSize(const DibInfo& info) {
    if (info.bitCount > 8) return 0;
    uint32_t full = 1u << info.bitCount;
    // A colour count beyond what the bit depth can index is clamped to it.
    return (info.coloursUsed == 0 || info.coloursUsed > full) ? full : info.coloursUsed;
}

// The colour table: entries the data does not hold stay black; indices past
// the table read black too (the table is always padded to 256).
std::vector<Rgb> ReadPalette(std::span<const uint8_t> dib, const DibInfo& info, size_t limit) {
    std::vector<Rgb> palette(256);
    uint32_t n = PaletteSize(info);
    limit = std::min(limit, dib.size());
    for (uint32_t i = 0; i < n; ++i) {
        size_t at = info.paletteStart + size_t(i) * info.paletteEntrySize;
        if (at + 3 > limit) break;
        palette[i] = Rgb{dib[at + 2], dib[at + 1], dib[at]};
    }
    return palette;
}

// One colour field of a bit-field pixel. Fields narrower than 8 bits are
// widened by repeating their bits (5 bits c: c << 3 | c >> 2), as GDI+ does.
struct Channel {
    uint32_t mask = 0, shift = 0, bits = 0;
    explicit Channel(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
    }
    uint8_t Get(uint32_t v) const {
        if (!bits) return 0;
        uint32_t c = (v & mask) >> shift;
        if (bits >= 8) return uint8_t(c >> (bits - 8));
        c &= (1u << bits) - 1;  // masks with holes
        uint32_t wide = 0;
        for (int at = 8 - int(bits);; at -= int(bits)) {
            wide |= at >= 0 ? c << at : c >> -at;
            if (at <= 0) break;
        }
        return uint8_t(wide);
    }
};

// 5-5-5 rows: GDI+ fills the green's low three bits from bits 3 to 1 of the
// field rather than its top ones (c << 3 | (c >> 1) & 7), up to 4 above the
// plain widening; the program's pictures follow GDI+'s.
constexpr uint32_t kMask555[3] = {0x7C00, 0x03E0, 0x001F};
uint8_t Green555(uint32_t v) {
    const uint32_t c = (v >> 5) & 0x1F;
    return uint8_t(c << 3 | ((c >> 1) & 7));
}

// Writes one decoded pixel into the caller's picture.
struct PixelSink {
    DecodedPicture& out;
    void Put(uint32_t x, uint32_t row, Rgb c, uint8_t a) {
        uint8_t* d = out.pixels.data() + size_t(row) * out.stride;
        if (out.pixelFormat == PixelFormat::Bgr24) {
            d += size_t(x) * 3;
            d[0] = c.b; d[1] = c.g; d[2] = c.r;
        } else {
            d += size_t(x) * 4;
            d[0] = c.r; d[1] = c.g; d[2] = c.b; d[3] = a;
        }
    }
};

// Uncompressed rows (and bit fields). `pixels` holds the rows as stored.
// Alpha (when `alphaOut`) is the bit-field or 32-bit top byte, else 255.
DecodeError DecodeRows(std::span<const uint8_t> pixels, const DibInfo& info, const std::vector<Rgb>& palette,
                       PixelSink& sink, std::vector<uint8_t>* alphaOut) {
    uint64_t rowBits;
    if (!CheckedMul(info.width, info.bitCount, &rowBits)) return DecodeError::TooLarge;
    uint64_t stride = ((rowBits + 31) / 32) * 4;
    uint64_t needed;
    if (!CheckedMul(stride, info.height, &needed)) return DecodeError::TooLarge;
    if (needed > pixels.size()) return DecodeError::Truncated;
    Channel r(info.masks[0]), g(info.masks[1]), b(info.masks[2]), a(info.masks[3]);
    const bool rgb555 = info.bitCount == 16 && std::equal(kMask555, kMask555 + 3, info.masks);
    for (uint32_t y = 0; y < info.height; ++y) {
        const std::span<const uint8_t> stored = pixels.subspan(size_t(y) * size_t(stride), size_t(stride));
        const uint8_t* s = stored.data();
        uint32_t row = info.topDown ? y : info.height - 1 - y;
        for (uint32_t x = 0; x < info.width; ++x) {
            Rgb c;
            uint8_t alpha = 255;
            switch (info.bitCount) {
            case 1: c = palette[(s[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: c = palette[(s[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
            case 8: c = palette[s[x]]; break;
            case 16: {
                uint32_t v = LoadU16(stored, size_t(x) * 2);
                c = Rgb{r.Get(v), rgb555 ? Green555(v) : g.Get(v), b.Get(v)};
                if (info.hasAlphaMask && info.masks[3]) alpha = a.Get(v);
                break;
            }
            case 24: c = Rgb{s[x * 3 + 2], s[x * 3 + 1], s[x * 3]}; break;
            case 32: {
                uint32_t v = LoadU32(stored, size_t(x) * 4);
                c = Rgb{r.Get(v), g.Get(v), b.Get(v)};
                alpha = info.hasAlphaMask ? (info.masks[3] ? a.Get(v) : 255) : uint8_t(v >> 24);
                break;
            }
            }
            sink.Put(x, row, c, alpha);
            if (alphaOut) (*alphaOut)[size_t(row) * info.width + x] = alpha;
        }
    }
    return DecodeError::None;
}

// RLE8 / RLE4. Runs past the row end are clipped; a delta or line end that
// leaves the picture ends decoding; so does data running out (the rows done
// so far are kept, the rest stay black).
void DecodeRle(std::span<const uint8_t> data, const DibInfo& info, const std::vector<Rgb>& palette,
               PixelSink& sink) {
    const bool four = info.compression == kBiRle4;
    uint32_t x = 0, y = 0;  // y counts from the bottom row
    size_t i = 0;
    auto put = [&](uint8_t index) {
        if (x < info.width && y < info.height) sink.Put(x, info.height - 1 - y, palette[index], 255);
        ++x;
    };
    while (i + 1 < data.size() && y < info.height) {
        uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count) {
            for (uint32_t k = 0; k < count && x < info.width; ++k)
                put(four ? ((k & 1) ? (value & 15) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return;
        } else if (value == 2) {  // delta
            if (i + 1 >= data.size()) return;
            x += data[i];
            y += data[i + 1];
            i += 2;
        } else {  // absolute run of `value` pixels, padded to 16 bits
            uint32_t n = value;
            size_t bytes = four ? (n + 1) / 2 : n;
            if (i + bytes > data.size()) return;
            for (uint32_t k = 0; k < n; ++k) {
                uint8_t b = four ? data[i + k / 2] : data[i + k];
                if (four) b = (k & 1) ? (b & 15) : (b >> 4);
                if (x >= info.width) break;
                put(b);
            }
            i += (bytes + 1) & ~size_t(1);
        }
    }
}

}  // namespace

DecodeError DecodeBmpInto(std::span<const uint8_t> data, Budget& budget, DecodedPicture& out) {
    if (data.size() < 14 + 12) return DecodeError::Truncated;
    if (data[0] != 'B' || data[1] != 'M') return DecodeError::BadHeader;
    std::span<const uint8_t> dib = data.subspan(14);
    DibInfo info;
    if (DecodeError e = ParseDibHeader(dib, info); e != DecodeError::None) return e;
    // The pixel offset is trusted when it points past the headers and into the
    // file; otherwise the pixels follow the colour table.
    const uint32_t offBits = LoadU32(data, 10);
    size_t paletteEnd = info.paletteStart + size_t(PaletteSize(info)) * info.paletteEntrySize;
    size_t pixelStart;  // relative to dib
    bool offsetValid = offBits >= 14 + info.paletteStart && offBits < data.size();
    if (offsetValid)
        pixelStart = offBits - 14;
    else if (paletteEnd < dib.size())
        pixelStart = paletteEnd;
    else
        return DecodeError::Truncated;
    std::vector<Rgb> palette = ReadPalette(dib, info, offsetValid ? pixelStart : dib.size());
    if (DecodeError e = AllocatePicture(out, budget, PictureFormat::Bmp, info.width, info.height, PixelFormat::Bgr24);
        e != DecodeError::None)
        return e;
    PixelSink sink{out};
    std::span<const uint8_t> pixels = dib.subspan(pixelStart);
    if (info.compression == kBiRle8 || info.compression == kBiRle4) {
        DecodeRle(pixels, info, palette, sink);
        return DecodeError::None;
    }
    return DecodeRows(pixels, info, palette, sink, nullptr);
}

DecodeError DecodeIconBitmap(std::span<const uint8_t> image, Budget& budget, DecodedPicture& out) {
    DibInfo info;
    if (DecodeError e = ParseDibHeader(image, info); e != DecodeError::None) return e;
    // Icon images have a full info header, bottom-up uncompressed rows, and a
    // stored height covering the colour bits and the AND mask.
    if (info.headerSize == 12 || info.topDown || info.compression == kBiRle4 || info.compression == kBiRle8)
        return DecodeError::Unsupported;
    info.height /= 2;
    if (info.height == 0) return DecodeError::BadHeader;
    size_t paletteEnd = info.paletteStart + size_t(PaletteSize(info)) * info.paletteEntrySize;
    if (paletteEnd > image.size()) return DecodeError::Truncated;
    std::vector<Rgb> palette = ReadPalette(image, info, paletteEnd);
    if (DecodeError e = AllocatePicture(out, budget, PictureFormat::Ico, info.width, info.height, PixelFormat::Rgba32);
        e != DecodeError::None)
        return e;
    std::vector<uint8_t> alpha;
    if (!budget.Allocate(alpha, info.height, info.width)) return DecodeError::TooLarge;
    PixelSink sink{out};
    std::span<const uint8_t> bits = image.subspan(paletteEnd);
    if (DecodeError e = DecodeRows(bits, info, palette, sink, &alpha); e != DecodeError::None) return e;
    uint64_t xorStride = ((uint64_t(info.width) * info.bitCount + 31) / 32) * 4;
    uint64_t andStride = ((uint64_t(info.width) + 31) / 32) * 4;
    size_t maskStart = size_t(xorStride * info.height);
    bool alphaUsed = false;
    if (info.bitCount == 32)
        alphaUsed = std::any_of(alpha.begin(), alpha.end(), [](uint8_t v) { return v != 0; });
    // Without alpha in the colour bits the AND mask decides: set bit = transparent.
    // A missing mask leaves the image opaque.
    bool haveMask = maskStart + andStride * info.height <= bits.size();
    for (uint32_t y = 0; y < info.height; ++y) {
        uint32_t row = info.height - 1 - y;
        const uint8_t* m = haveMask ? bits.data() + maskStart + size_t(andStride) * y : nullptr;
        for (uint32_t x = 0; x < info.width; ++x) {
            uint8_t* px = out.pixels.data() + size_t(row) * out.stride + size_t(x) * 4;
            if (alphaUsed) continue;
            bool clear = m && ((m[x >> 3] >> (7 - (x & 7))) & 1);
            px[3] = clear ? 0 : 255;
        }
    }
    return DecodeError::None;
}

}  // namespace imprinta::picture::detail
