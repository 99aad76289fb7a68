// PCX: 8-bit pictures with their 256-colour palette and 1-bit monochrome
// pictures, run-length decoded.
#include <algorithm>
#include "runtime/pictures/picture_decode_internal.h"

namespace imprinta::picture::detail {
namespace {
constexpr size_t kHeaderSize = 128;
constexpr size_t kPlanesAt = 65;  // plane count, then the 16-bit bytes per line
}  // namespace

DecodeError DecodePcxInto(std::span<const uint8_t> data, PictureFormat format, Budget& budget, DecodedPicture& out) {
    if (data.size() < kHeaderSize) return DecodeError::Truncated;
    ByteReader h(data);
    const uint8_t magic = h.ReadU8(), version = h.ReadU8(), encoding = h.ReadU8(), bits = h.ReadU8();
    const uint32_t xmin = h.ReadU16(), ymin = h.ReadU16(), xmax = h.ReadU16(), ymax = h.ReadU16();
    h.Seek(kPlanesAt);
    const uint32_t planes = h.ReadU8(), bytesPerLine = h.ReadU16();
    if (magic != 0x0A || encoding != 1) return DecodeError::BadHeader;
    if (format == PictureFormat::Pcx8) {
        if (version > 5 || bits != 8) return DecodeError::BadHeader;
    } else if (format == PictureFormat::Pcx1) {
        if (version != 3 || bits != 1) return DecodeError::BadHeader;
    } else {
        return DecodeError::UnknownFormat;
    }
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
    std::vector<Rgb> palette(256);
    if (format == PictureFormat::Pcx8) {
        // The palette is the last 768 bytes, after a 0x0C marker; without one the
        // picture is shown in grey levels.
        if (body.size() >= 769 && data[data.size() - 769] == 0x0C) {
            const uint8_t* p = data.data() + data.size() - 768;
            for (int i = 0; i < 256; ++i) palette[i] = Rgb{p[i * 3], p[i * 3 + 1], p[i * 3 + 2]};
            body = body.first(body.size() - 769);
        } else {
            for (int i = 0; i < 256; ++i) palette[i] = Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
        }
    } else {
        palette.resize(2);
        palette[1] = Rgb{255, 255, 255};
    }
    out.palette = palette;

    // Runs may cross line ends; the stream is decoded as one sequence of
    // bytesPerLine-sized lines, and bytes beyond each row's width are padding.
    // Data running out leaves the remaining pixels 0.
    size_t in = 0;
    uint32_t x = 0, y = 0;
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
    if (format == PictureFormat::Pcx1 && (width & 7)) {
        // Clear the bits past the width in each row's last byte.
        uint8_t keep = uint8_t(0xFF << (8 - (width & 7)));
        for (uint32_t r = 0; r < height; ++r) out.pixels[size_t(r) * out.stride + out.stride - 1] &= keep;
    }
    return DecodeError::None;
}

}  // namespace imprinta::picture::detail
