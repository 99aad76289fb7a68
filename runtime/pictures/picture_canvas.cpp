#include "runtime/pictures/picture_canvas.h"
#include <cstring>
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
    // Most pixels are opaque: runs of four are copied whole.
    constexpr uint32_t kAlphas = 0xFF000000u;
    size_t i = 0;
    for (; i + 4 <= count; i += 4, src += 16, bgraOut += 16) {
        uint32_t p[4];
        std::memcpy(p, src, sizeof p);
        if ((p[0] & p[1] & p[2] & p[3] & kAlphas) == kAlphas) {
            std::memcpy(bgraOut, p, sizeof p);
            continue;
        }
        for (int k = 0; k < 4; ++k) mix.Blend(src[k * 4 + 3], src[k * 4], src[k * 4 + 1], src[k * 4 + 2], bgraOut + k * 4);
    }
    for (; i < count; ++i, src += 4, bgraOut += 4) mix.Blend(src[3], src[0], src[1], src[2], bgraOut);
}

PixelBounds ChangedBounds(const uint8_t* before, const uint8_t* after, uint32_t width, uint32_t height) {
    const size_t stride = size_t(width) * 4;
    auto pixel = [](const uint8_t* row, uint32_t x) {
        uint32_t v;
        std::memcpy(&v, row + size_t(x) * 4, 4);
        return v;
    };
    PixelBounds b{width, height, 0, 0};
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t *a = before + y * stride, *n = after + y * stride;
        if (std::memcmp(a, n, stride) == 0) continue;
        if (b.top == height) b.top = y;
        b.bottom = y + 1;
        // Only the pixels outside the columns already known are looked at.
        uint32_t x = 0;
        while (x < b.left && pixel(a, x) == pixel(n, x)) ++x;
        if (x < b.left) b.left = x;
        uint32_t end = width;
        while (end > b.right && pixel(a, end - 1) == pixel(n, end - 1)) --end;
        if (end > b.right) b.right = end;
    }
    return b.bottom == 0 ? PixelBounds{} : b;
}

}  // namespace imprinta::picture
