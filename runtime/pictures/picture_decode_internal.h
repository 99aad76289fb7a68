// Helpers shared by the picture decoders: bounded reads, checked sizes and the
// per-call allocation budget.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>
#include "runtime/base/byte_reader.h"
#include "runtime/pictures/picture_decode.h"

namespace imprinta::picture::detail {

// a * b without wrapping; false on overflow.
inline bool CheckedMul(uint64_t a, uint64_t b, uint64_t* out) {
    return !__builtin_mul_overflow(a, b, out);
}
inline bool CheckedAdd(uint64_t a, uint64_t b, uint64_t* out) {
    return !__builtin_add_overflow(a, b, out);
}

// Straight alpha over an opaque background colour (0x00BBGGRR): alpha 255 keeps
// the pixel, others get trunc(A/255 * pixel + bg * (1 - A/255)) per channel.
class BackgroundMix {
public:
    explicit BackgroundMix(uint32_t background)
        : r_(background & 0xFF), g_((background >> 8) & 0xFF), b_((background >> 16) & 0xFF) {}
    // Writes blue, green, red, 255 to out.
    void Blend(uint8_t a, uint8_t b, uint8_t g, uint8_t r, uint8_t* out) const {
        if (a == 255) {
            out[0] = b, out[1] = g, out[2] = r;
        } else {
            out[0] = Mix(a, b, b_), out[1] = Mix(a, g, g_), out[2] = Mix(a, r, r_);
        }
        out[3] = 255;
    }

private:
    static uint8_t Mix(double a, double pixel, double bg) {
        double v = a * 0.003921569 * pixel + bg * (1.0 - a * 0.003921569);
        if (v < 0) v = 0;
        if (v > 255) v = 255;
        return uint8_t(v);  // truncation, as the formula says
    }
    double r_, g_, b_;
};

// Pixel memory of one decode call. Every large buffer is charged here first.
class Budget {
public:
    explicit Budget(const DecodeLimits& limits) : limits_(limits), left_(limits.maxTotalBytes) {}
    const DecodeLimits& Limits() const { return limits_; }
    bool Take(uint64_t bytes) {
        if (bytes > left_) return false;
        left_ -= bytes;
        return true;
    }
    // Width and height within the dimension and pixel caps.
    bool SizeAllowed(uint64_t width, uint64_t height) const {
        if (width == 0 || height == 0) return false;
        if (width > limits_.maxDimension || height > limits_.maxDimension) return false;
        uint64_t pixels;
        return CheckedMul(width, height, &pixels) && pixels <= limits_.maxPixels;
    }
    // Charges and sizes `buffer` to rows * rowBytes bytes (zero-filled).
    bool Allocate(std::vector<uint8_t>& buffer, uint64_t rows, uint64_t rowBytes) {
        uint64_t total;
        if (!CheckedMul(rows, rowBytes, &total) || !Take(total)) return false;
        if (total > SIZE_MAX) return false;
        buffer.assign(size_t(total), 0);
        return true;
    }

private:
    DecodeLimits limits_;
    uint64_t left_;
};

// Sets up `out` for width x height pixels of the given layout, charging the
// budget; TooLarge when the size or the memory is beyond the limits.
inline DecodeError AllocatePicture(DecodedPicture& out, Budget& budget, PictureFormat format,
                                   uint32_t width, uint32_t height, PixelFormat pixelFormat) {
    if (!budget.SizeAllowed(width, height)) return DecodeError::TooLarge;
    uint64_t stride = 0;
    switch (pixelFormat) {
    case PixelFormat::Bgr24: stride = uint64_t(width) * 3; break;
    case PixelFormat::Indexed8: stride = width; break;
    case PixelFormat::Mono1: stride = (uint64_t(width) + 7) / 8; break;
    case PixelFormat::Rgba32: stride = uint64_t(width) * 4; break;
    case PixelFormat::None: return DecodeError::Unsupported;
    }
    if (!budget.Allocate(out.pixels, height, stride)) return DecodeError::TooLarge;
    out.format = format;
    out.width = width;
    out.height = height;
    out.pixelFormat = pixelFormat;
    out.stride = uint32_t(stride);
    return DecodeError::None;
}

// The format decoders: DecodeError::None with `out` filled, or the reason.
// Decodes a bitmap resource image (the part of an ICO/CUR entry that is not
// PNG): info header, colour table, XOR bits, AND mask. Output Rgba32.
DecodeError DecodeIconBitmap(std::span<const uint8_t> image, Budget& budget, DecodedPicture& out);
// PNG decode sharing the caller's budget (icons hold PNG images).
DecodeError DecodePngInto(std::span<const uint8_t> data, Budget& budget, DecodedPicture& out);
DecodeError DecodeGifFirstImage(std::span<const uint8_t> data, Budget& budget, DecodedPicture& out);
DecodeError DecodeBmpInto(std::span<const uint8_t> data, Budget& budget, DecodedPicture& out);
DecodeError DecodePcxInto(std::span<const uint8_t> data, PictureFormat format, Budget& budget, DecodedPicture& out);
DecodeError DecodeJpegInto(std::span<const uint8_t> data, Budget& budget, DecodedPicture& out);

}  // namespace imprinta::picture::detail
