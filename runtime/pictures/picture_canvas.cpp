#include "runtime/pictures/picture_canvas.h"
#include <new>
#include "runtime/pictures/picture_decode_internal.h"

namespace imprinta::picture {
namespace {

void ClearInvisible(uint8_t* px) {
    if (px[3] == 0) px[0] = px[1] = px[2] = 0;
}

// RGBA rows (stride width * 4) become BGRA by swapping red and blue.
bool FromRgba(DecodedPicture& p, Canvas& out) {
    if (p.stride != p.width * 4u) return false;
    uint8_t* px = p.pixels.data();
    const size_t count = size_t(p.width) * p.height;
    for (size_t i = 0; i < count; ++i, px += 4) {
        uint8_t red = px[0];
        px[0] = px[2];
        px[2] = red;
        ClearInvisible(px);
    }
    out.bgra = std::move(p.pixels);
    return true;
}

// BGR rows grow to BGRA inside the same vector, walking backwards so that no
// pixel is overwritten before it has been moved (the stride is at most 4 * width).
bool FromBgr(DecodedPicture& p, Canvas& out) {
    const size_t w = p.width, h = p.height, stride = p.stride;
    if (stride < w * 3 || stride > w * 4) return false;
    std::vector<uint8_t>& px = p.pixels;
    px.resize(w * h * 4);
    for (size_t y = h; y-- > 0;) {
        const uint8_t* src = px.data() + y * stride;
        uint8_t* dst = px.data() + y * w * 4;
        for (size_t x = w; x-- > 0;) {
            uint8_t b = src[x * 3], g = src[x * 3 + 1], r = src[x * 3 + 2];
            dst[x * 4] = b;
            dst[x * 4 + 1] = g;
            dst[x * 4 + 2] = r;
            dst[x * 4 + 3] = 255;
        }
    }
    out.bgra = std::move(px);
    return true;
}

bool FromIndexed(const DecodedPicture& p, Canvas& out) {
    out.bgra.assign(size_t(p.width) * p.height * 4, 0);
    const bool mono = p.pixelFormat == PixelFormat::Mono1;
    for (uint32_t y = 0; y < p.height; ++y) {
        const uint8_t* row = p.pixels.data() + size_t(y) * p.stride;
        uint8_t* o = out.bgra.data() + size_t(y) * p.width * 4;
        for (uint32_t x = 0; x < p.width; ++x, o += 4) {
            int index = mono ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x];
            if (index == p.transparentIndex || size_t(index) >= p.palette.size()) continue;
            o[0] = p.palette[index].b;
            o[1] = p.palette[index].g;
            o[2] = p.palette[index].r;
            o[3] = 255;
        }
    }
    return true;
}

}  // namespace

std::optional<Canvas> ToCanvas(DecodedPicture&& picture) {
    if (picture.width == 0 || picture.height == 0) return std::nullopt;
    if (picture.pixels.size() < size_t(picture.stride) * picture.height) return std::nullopt;
    Canvas out;
    out.width = picture.width;
    out.height = picture.height;
    try {
        bool ok = false;
        switch (picture.pixelFormat) {
        case PixelFormat::Rgba32: ok = FromRgba(picture, out); break;
        case PixelFormat::Bgr24: ok = FromBgr(picture, out); break;
        case PixelFormat::Indexed8:
        case PixelFormat::Mono1: ok = FromIndexed(picture, out); break;
        case PixelFormat::None: break;
        }
        if (!ok) return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return out;
}

std::optional<Canvas> DecodeCanvas(std::span<const uint8_t> data, const DecodeLimits& limits) {
    auto decoded = DecodePicture(data, limits);
    if (!decoded) return std::nullopt;
    return ToCanvas(std::move(*decoded));
}

void BlendCanvasOverBackground(const Canvas& canvas, uint32_t background, uint8_t* bgraOut) {
    const detail::BackgroundMix mix(background);
    const uint8_t* src = canvas.bgra.data();
    const size_t count = size_t(canvas.width) * canvas.height;
    for (size_t i = 0; i < count; ++i, src += 4, bgraOut += 4) mix.Blend(src[3], src[0], src[1], src[2], bgraOut);
}

}  // namespace imprinta::picture
