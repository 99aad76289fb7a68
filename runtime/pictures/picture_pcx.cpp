// PCX: 8-bit pictures with their 256-colour palette and 1-bit monochrome
// pictures, run-length decoded.
#include <algorithm>
#include "runtime/pictures/picture_decode_internal.h"

namespace imprinta::picture::detail {

bool DecodePcxInto(std::span<const uint8_t> data, PictureFormat format, Budget& budget, DecodedPicture& out) {
    if (data.size() < 128 || data[0] != 0x0A || data[2] != 1) return false;
    const uint8_t* h = data.data();
    const uint32_t bits = h[3], planes = h[65];
    if (format == PictureFormat::Pcx8) {
        if (h[1] > 5 || bits != 8) return false;
    } else if (format == PictureFormat::Pcx1) {
        if (h[1] != 3 || bits != 1) return false;
    } else {
        return false;
    }
    // Only single-plane pictures are 8-bit palette or monochrome pictures;
    // 24-bit and 16-colour planar files are not decoded.
    if (planes != 1) return false;
    uint32_t xmin = Le16(h + 4), ymin = Le16(h + 6), xmax = Le16(h + 8), ymax = Le16(h + 10);
    if (xmax < xmin || ymax < ymin) return false;
    uint32_t width = xmax - xmin + 1, height = ymax - ymin + 1;
    uint32_t bytesPerLine = Le16(h + 66);
    // A line must hold the whole row; the header's own value is not trusted beyond that.
    uint64_t rowBytes = format == PictureFormat::Pcx8 ? width : (uint64_t(width) + 7) / 8;
    if (bytesPerLine < rowBytes) return false;
    PixelFormat pf = format == PictureFormat::Pcx8 ? PixelFormat::Indexed8 : PixelFormat::Mono1;
    if (!AllocatePicture(out, budget, format, width, height, pf)) return false;

    std::span<const uint8_t> body = data.subspan(128);
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
    return true;
}

}  // namespace imprinta::picture::detail
