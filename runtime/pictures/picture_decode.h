// Picture decoder: recognises a picture file from its first bytes and decodes
// it into plain pixel memory. Plain C++ (no Windows headers): it is also built
// natively for the sanitizer runs and the fuzz targets. Turning the pixels into
// GDI objects is picture_render's job.
//
// Every decoder checks its sizes with overflow-checked arithmetic and charges
// each large allocation to one budget per call, so a tiny file cannot make the
// process ask for gigabytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>
#include "runtime/pictures/decode_error.h"
#include "runtime/pictures/icon_directory.h"

namespace imprinta::picture {

enum class PictureFormat : int {
    Unknown = 0,
    Jpeg = 1,
    Bmp = 2,
    Ico = 3,
    Cur = 4,
    Gif = 5,
    Pcx8 = 6,
    Pcx1 = 7,
    Png = 8,
};

// Pixel layouts. Rows are always stored top row first, `stride` bytes apart.
enum class PixelFormat : int {
    None = 0,
    Bgr24 = 1,     // 3 bytes per pixel: blue, green, red (JPEG, BMP)
    Indexed8 = 2,  // 1 byte per pixel indexing `palette` (GIF, 8-bit PCX)
    Mono1 = 3,     // 1 bit per pixel, most significant bit first, indexing `palette` (1-bit PCX)
    Rgba32 = 4,    // 4 bytes per pixel: red, green, blue, alpha (PNG, icon images)
};

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Upper bounds every decode respects. The defaults admit any picture a
// 32-bit process can reasonably show (64 M pixels) and nothing larger.
struct DecodeLimits {
    uint32_t maxDimension = 65535;                // width or height
    uint64_t maxPixels = uint64_t(1) << 26;       // width * height of one image or canvas
    uint64_t maxTotalBytes = uint64_t(384) << 20; // all pixel memory of one decode call
};

struct DecodedPicture {
    PictureFormat format = PictureFormat::Unknown;
    uint32_t width = 0;
    uint32_t height = 0;
    PixelFormat pixelFormat = PixelFormat::None;
    uint32_t stride = 0;          // bytes per row in `pixels`
    std::vector<uint8_t> pixels;  // height * stride bytes
    std::vector<Rgb> palette;     // 256 entries for Indexed8, 2 for Mono1, empty otherwise
    int transparentIndex = -1;    // GIF: colour index drawn transparent, -1 for none
    // ICO and CUR: the chosen directory entry and its image bytes (a PNG or a
    // headerless bitmap as the resource loader expects it); `pixels` then holds
    // that image decoded to Rgba32. The cursor hot spot is in the entry.
    IconEntry iconEntry;
    std::vector<uint8_t> iconImage;
};

// A decode's outcome: the picture, or nothing and the reason. It reads like
// std::optional<DecodedPicture> (if (result), result->width, *result);
// error() is DecodeError::None exactly when a picture is there.
class DecodeResult : public std::optional<DecodedPicture> {
public:
    DecodeResult(DecodedPicture picture) : std::optional<DecodedPicture>(std::move(picture)) {}
    // A failure always names its reason: None here would claim a picture that is not there.
    DecodeResult(DecodeError error) : error_(error == DecodeError::None ? DecodeError::Corrupt : error) {}
    DecodeError error() const { return error_; }
    const char* ErrorText() const { return DecodeErrorText(error_); }

private:
    DecodeError error_ = DecodeError::None;
};

// The format from the first 8 bytes; data shorter than 6 bytes is Unknown.
// The checks run in the order JPEG, BMP, PNG, ICO, CUR, GIF, PCX.
PictureFormat SniffPictureFormat(std::span<const uint8_t> data);

// Decodes any recognised format (for GIF: the first image). Nothing, with the
// reason, for empty or unrecognised data or a failed decode. Never throws.
DecodeResult DecodePicture(std::span<const uint8_t> data, const DecodeLimits& limits = {});

// Single-format entry points (the sniffer is not consulted; used by the fuzz targets).
DecodeResult DecodeBmp(std::span<const uint8_t> data, const DecodeLimits& limits = {});
DecodeResult DecodeGif(std::span<const uint8_t> data, const DecodeLimits& limits = {});
DecodeResult DecodeIcon(std::span<const uint8_t> data, PictureFormat format, const DecodeLimits& limits = {});
DecodeResult DecodePcx(std::span<const uint8_t> data, PictureFormat format, const DecodeLimits& limits = {});
DecodeResult DecodePng(std::span<const uint8_t> data, const DecodeLimits& limits = {});
DecodeResult DecodeJpeg(std::span<const uint8_t> data, const DecodeLimits& limits = {});

// PNG transparency against a background colour (0x00BBGGRR): pixels with
// alpha 255 are kept, others get trunc(A/255 * pixel + bg * (1 - A/255)) per
// channel. Writes width*height BGRA pixels (alpha 255), top row first.
void BlendRgbaOverBackground(const DecodedPicture& picture, uint32_t background,
                             uint8_t* bgraOut);

// ---- Animated GIF ----------------------------------------------------------

// One image of a GIF as the animation reader hands it out: its rectangle on
// the logical screen, its colour indices and the colours they name.
struct GifFrame {
    uint32_t left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> indices;  // width * height, top row first (interlacing undone)
    std::vector<Rgb> palette;      // 256 entries (local table, else global, else black)
    int disposal = 0;              // 0 none, 1 keep, 2 restore to background, 3 restore previous
    bool transparent = false;
    uint8_t transparentIndex = 0;
    uint32_t delayCentiseconds = 0;
    // How long the player shows the frame: delay * 10 ms, or 50 ms for a delay of 0.
    uint32_t DelayMilliseconds() const { return delayCentiseconds == 0 ? 50 : delayCentiseconds * 10; }
};

// Reads a GIF frame by frame, the way the picture box's player walks it: a
// trailer or a zero byte rewinds to the first block, so frames repeat for ever.
class GifReader {
public:
    // False when the header is invalid or the global colour table does not fit.
    bool Open(std::span<const uint8_t> data, const DecodeLimits& limits = {});
    // Why the last Open or NextFrame gave nothing (None after a success).
    DecodeError LastError() const { return error_; }
    uint32_t ScreenWidth() const { return screenWidth_; }
    uint32_t ScreenHeight() const { return screenHeight_; }
    uint8_t BackgroundIndex() const { return backgroundIndex_; }
    const std::vector<Rgb>& GlobalPalette() const { return globalPalette_; }
    bool HasGlobalPalette() const { return hasGlobalPalette_; }
    // The next frame, or nothing when a block is bad or runs past the end (the
    // next call then starts over from the first block).
    std::optional<GifFrame> NextFrame();
    // Whether another image follows the read position before the trailer or
    // the end of the data (after the first frame: false means a still picture).
    bool MoreFramesFollow() const;
    // How many times reading has started over from the first block.
    uint32_t Passes() const { return passes_; }
    void Rewind() { position_ = blocksStart_; }

private:
    // The block at position_, read into frame; position_ moves past it.
    DecodeError ReadExtension(GifFrame& frame);
    DecodeError ReadImage(GifFrame& frame);
    std::optional<GifFrame> Fail(DecodeError why);

    std::span<const uint8_t> data_;
    DecodeLimits limits_;
    size_t blocksStart_ = 0;
    size_t position_ = 0;
    uint32_t screenWidth_ = 0, screenHeight_ = 0;
    uint8_t backgroundIndex_ = 0;
    bool hasGlobalPalette_ = false;
    std::vector<Rgb> globalPalette_;
    uint32_t passes_ = 0;
    DecodeError error_ = DecodeError::None;
};

// Composites frames onto an RGBA canvas of the logical screen size, honouring
// each frame's disposal before the next frame is drawn.
class GifCompositor {
public:
    // fill: the canvas colour (RGBA) where no frame has drawn.
    bool Reset(uint32_t width, uint32_t height, Rgb fill, uint8_t fillAlpha = 255,
               const DecodeLimits& limits = {});
    void Draw(const GifFrame& frame);
    const std::vector<uint8_t>& Canvas() const { return canvas_; }  // RGBA, top row first
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }

private:
    void Clip(const GifFrame& f, uint32_t* x0, uint32_t* y0, uint32_t* x1, uint32_t* y1) const;
    uint32_t width_ = 0, height_ = 0;
    uint8_t fill_[4] = {0, 0, 0, 255};
    std::vector<uint8_t> canvas_;
    std::vector<uint8_t> saved_;  // canvas area under the previous frame (restore previous)
    uint32_t prevX0_ = 0, prevY0_ = 0, prevX1_ = 0, prevY1_ = 0;
    int prevDisposal_ = 0;
};

// Every frame of one pass through the animation, composited. For tests and
// the fuzz targets; the whole pass is charged to one allocation budget.
struct GifAnimationFrame {
    std::vector<uint8_t> rgba;  // canvas after the frame, width*height*4
    uint32_t delayMilliseconds = 0;
    int disposal = 0;
};
struct GifAnimation {
    uint32_t width = 0, height = 0;
    std::vector<GifAnimationFrame> frames;
};
std::optional<GifAnimation> DecodeGifAnimation(std::span<const uint8_t> data,
                                               const DecodeLimits& limits = {});

}  // namespace imprinta::picture
