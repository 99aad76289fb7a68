// PCX: 8-bit pictures with their 256-colour palette and 1-bit monochrome
// pictures, run-length decoded.
#include <algorithm>
#include "runtime/pictures/picture_decode_internal.h"

namespace imprinta::picture::detail {
namespace {
constexpr size_t kHeaderSize = 128;
constexpr size_t kPlanesAt = 65;  // plane count, then the 16-bit bytes per line
}  // namespace

namespace {

constexpr uint8_t kPcxMagic = 0x0A;
constexpr uint8_t kRunLengthEncoding = 1;
constexpr uint8_t kPaletteMarker = 0x0C;
constexpr size_t kPaletteBytes = 768;

// The palette: an 8-bit picture's last 768 bytes after a 0x0C marker (grey
// levels without one; the body then loses them), black and white for 1 bit.
std::vector<Rgb> ReadPcxPalette(std::span<const uint8_t> data, PictureFormat format, std::span<const uint8_t>& body) {
    std::vector<Rgb> palette(256);
    if (format != PictureFormat::Pcx8) {
        palette.resize(2);
        palette[1] = Rgb{255, 255, 255};
        return palette;
    }
    if (body.size() >= kPaletteBytes + 1 && data[data.size() - kPaletteBytes - 1] == kPaletteMarker) {
        const uint8_t* p = data.data() + data.size() - kPaletteBytes;
        for (int i = 0; i < 256; ++i) palette[i] = Rgb{p[i * 3], p[i * 3 + 1], p[i * 3 + 2]};
        body = body.first(body.size() - kPaletteBytes - 1);
    } else {
        for (int i = 0; i < 256; ++i) palette[i] = Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
    }
    return palette;
}

// Runs may cross line ends; the stream is decoded as one sequence of
// bytesPerLine-sized lines, and bytes beyond each row's width are padding.
// Data running out leaves the remaining pixels 0.
void DecodeRuns(std::span<const uint8_t> body, uint32_t bytesPerLine, uint64_t rowBytes, DecodedPicture& out) {
    size_t in = 0;
    uint32_t x = 0, y = 0;
    const uint32_t height = out.height;
    auto put = [&](uint8_t v) {
        if (x < rowBytes) out.pixels[size_t(y) * out.stride + x] = v;
        if (++x == bytesPerLine) {
            x = 0;
            ++y;
        }
    };
    while (y < height && in < body.size()) {
        uint8_t c = body[in++];
        if ((c & 0xC0) == 0xC0) {
            uint32_t n = c & 0x3F;
            if (in >= body.size()) break;
            uint8_t v = body[in++];
            while (n-- && y < height) put(v);
        } else {
            put(c);
        }
    }
}

DecodeError CheckPcxVersion(PictureFormat format, uint8_t version, uint8_t bits) {
    if (format == PictureFormat::Pcx8) return version > 5 || bits != 8 ? DecodeError::BadHeader : DecodeError::None;
    if (format == PictureFormat::Pcx1) return version != 3 || bits != 1 ? DecodeError::BadHeader : DecodeError::None;
    return DecodeError::UnknownFormat;
}

}  // namespace

DecodeError DecodePcxInto(std::span<const uint8_t> data, PictureFormat format, Budget& budget, DecodedPicture& out) {
    if (data.size() < kHeaderSize) return DecodeError::Truncated;
    ByteReader h(data);
    const uint8_t magic = h.ReadU8(), version = h.ReadU8(), encoding = h.ReadU8(), bits = h.ReadU8();
    const uint32_t xmin = h.ReadU16(), ymin = h.ReadU16(), xmax = h.ReadU16(), ymax = h.ReadU16();
    h.Seek(kPlanesAt);
    const uint32_t planes = h.ReadU8(), bytesPerLine = h.ReadU16();
    if (magic != kPcxMagic || encoding != kRunLengthEncoding) return DecodeError::BadHeader;
    if (DecodeError e = CheckPcxVersion(format, version, bits); e != DecodeError::None) return e;
    // Only single-plane pictures are 8-bit palette or monochrome pictures;
    // 24-bit and 16-colour planar files are not decoded.
    if (planes != 1) return DecodeError::Unsupported;
    if (xmax < xmin || ymax < ymin) return DecodeError::BadHeader;
    uint32_t width = xmax - xmin + 1, height = ymax - ymin + 1;
    // A line must hold the whole row; the header's own value is not trusted beyond that.
    uint64_t rowBytes = format == PictureFormat::Pcx8 ? width : (uint64_t(width) + 7) / 8;
    if (bytesPerLine < rowBytes) return DecodeError::BadHeader;
    PixelFormat pf = format == PictureFormat::Pcx8 ? PixelFormat::Indexed8 : PixelFormat::Mono1;
    if (DecodeError e = AllocatePicture(out, budget, format, width, height, pf); e != DecodeError::None) return e;

    std::span<const uint8_t> body = data.subspan(kHeaderSize);
    out.palette = ReadPcxPalette(data, format, body);
    DecodeRuns(body, bytesPerLine, rowBytes, out);
    if (format == PictureFormat::Pcx1 && (width & 7)) {
        // Clear the bits past the width in each row's last byte.
        uint8_t keep = uint8_t(0xFF << (8 - (width & 7)));
        for (uint32_t r = 0; r < height; ++r) out.pixels[size_t(r) * out.stride + out.stride - 1] &= keep;
    }
    return DecodeError::None;
}

}  // namespace imprinta::picture::detail
