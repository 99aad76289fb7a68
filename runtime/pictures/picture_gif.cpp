// GIF: block reader, LZW decoding, the first image as an 8-bit picture, and
// frame compositing with disposal for the animation player.
#include <algorithm>
#include <cstring>
#include <new>
#include "runtime/pictures/picture_decode_internal.h"

namespace imprinta::picture {
using namespace detail;

namespace {

constexpr int kMaxCodes = 4096;

// LZW-decodes `codes` into `out` (count pixels). Stops at the end code, at a
// code beyond the table, or when the data runs out; pixels not reached stay
// as they are. A full table without a clear code keeps decoding with the
// table frozen, as the format allows.
//
// Every table entry is an earlier string plus one pixel, and that string was
// written whole just before the pixel, so an entry is kept as the place in
// `out` where it last appeared: emitting it is one copy of earlier output.
void LzwDecode(std::span<const uint8_t> codes, int minCodeSize, uint8_t* out, size_t count) {
    size_t start[kMaxCodes];  // where the entry's string sits in `out`
    uint16_t length[kMaxCodes];
    uint8_t first[kMaxCodes];
    uint8_t last[kMaxCodes];
    const int clear = 1 << minCodeSize, endCode = clear + 1;
    for (int i = 0; i < clear; ++i) {
        first[i] = uint8_t(i);
        length[i] = 1;
    }
    int next = clear + 2, size = minCodeSize + 1, prev = -1;
    size_t prevPos = 0;
    uint32_t bitBuffer = 0;
    int bitCount = 0;
    size_t in = 0, pos = 0;
    while (pos < count) {
        while (bitCount < size && in < codes.size()) {
            bitBuffer |= uint32_t(codes[in++]) << bitCount;
            bitCount += 8;
        }
        if (bitCount < size) return;
        int code = int(bitBuffer & ((1u << size) - 1));
        bitBuffer >>= size;
        bitCount -= size;
        if (code == clear) {
            next = clear + 2;
            size = minCodeSize + 1;
            prev = -1;
            continue;
        }
        if (code == endCode) return;
        if (prev < 0) {
            if (code >= clear) return;  // first code after a clear must be a colour
        } else if (code <= next && next < kMaxCodes) {
            // New entry: the previous string plus the first pixel of this one
            // (of the previous one when the code is the entry being made).
            start[next] = uint32_t(prevPos);
            length[next] = uint16_t(length[prev] + 1);
            first[next] = first[prev];
            last[next] = code == next ? first[prev] : first[code];
            ++next;
        } else if (code >= next) {
            return;  // code beyond the table
        }
        if (next == (1 << size) && size < 12) ++size;
        prev = code;
        prevPos = pos;
        // The part past the last pixel is dropped.
        const size_t len = std::min<size_t>(length[code], count - pos);
        if (code < clear) {
            out[pos] = uint8_t(code);
        } else {
            // All but the last pixel repeat earlier output (ending right
            // before this string, for the entry just made).
            std::memcpy(out + pos, out + start[code], std::min<size_t>(len, length[code] - 1u));
            if (len == length[code]) out[pos + len - 1] = last[code];
        }
        pos += len;
    }
}

// Undoes interlacing: rows were stored in the order 0,8,16.. 4,12.. 2,6.. 1,3..
void Deinterlace(std::vector<uint8_t>& pixels, uint32_t width, uint32_t height) {
    std::vector<uint8_t> out(pixels.size());
    static const uint32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    uint32_t src = 0;
    for (int pass = 0; pass < 4; ++pass)
        for (uint32_t y = start[pass]; y < height; y += step[pass], ++src)
            std::copy_n(pixels.begin() + size_t(src) * width, width, out.begin() + size_t(y) * width);
    pixels.swap(out);
}

std::vector<Rgb> ReadColourTable(const uint8_t* p, uint32_t entries) {
    std::vector<Rgb> table(256);
    for (uint32_t i = 0; i < entries; ++i) table[i] = Rgb{p[i * 3], p[i * 3 + 1], p[i * 3 + 2]};
    return table;
}

}  // namespace

bool GifReader::Open(std::span<const uint8_t> data, const DecodeLimits& limits) {
    data_ = {};
    passes_ = 0;
    error_ = DecodeError::Truncated;
    if (data.size() < 14) return false;
    error_ = DecodeError::BadHeader;
    if (std::memcmp(data.data(), "GIF87a", 6) != 0 && std::memcmp(data.data(), "GIF89a", 6) != 0)
        return false;
    ByteReader screen(data.subspan(6));
    screenWidth_ = screen.ReadU16();
    screenHeight_ = screen.ReadU16();
    const uint8_t packed = screen.ReadU8();
    backgroundIndex_ = screen.ReadU8();
    size_t pos = 13;
    hasGlobalPalette_ = (packed & 0x80) != 0;
    error_ = DecodeError::Truncated;
    if (hasGlobalPalette_) {
        uint32_t entries = 2u << (packed & 7);
        if (data.size() <= pos + entries * 3) return false;  // the table must fit, with data after it
        globalPalette_ = ReadColourTable(data.data() + pos, entries);
        pos += entries * 3;
    } else {
        globalPalette_.assign(256, Rgb{});
    }
    data_ = data;
    limits_ = limits;
    blocksStart_ = position_ = pos;
    error_ = DecodeError::None;
    return true;
}

namespace {
// Skips data sub-blocks from `pos`; false when they run past the end.
bool SkipSubBlocks(std::span<const uint8_t> d, size_t& pos) {
    while (true) {
        if (pos >= d.size()) return false;
        uint8_t n = d[pos++];
        if (n == 0) return true;
        if (d.size() - pos < n) return false;
        pos += n;
    }
}
}  // namespace

bool GifReader::MoreFramesFollow() const {
    size_t pos = position_;
    while (pos < data_.size()) {
        uint8_t b = data_[pos];
        if (b == ',') return true;
        if (b != '!' || pos + 1 >= data_.size()) return false;
        pos += 2;
        if (!SkipSubBlocks(data_, pos)) return false;
    }
    return false;
}

namespace {
constexpr uint8_t kExtensionIntroducer = '!';
constexpr uint8_t kImageSeparator = ',';
constexpr uint8_t kTrailer = ';';
constexpr uint8_t kGraphicControlLabel = 0xF9;
}  // namespace

// A failed read starts the next one from the first block again.
std::optional<GifFrame> GifReader::Fail(DecodeError why) {
    position_ = blocksStart_;
    ++passes_;
    error_ = why;
    return std::nullopt;
}

// An extension; a graphic control's fields go into the frame it precedes.
DecodeError GifReader::ReadExtension(GifFrame& frame) {
    if (position_ + 1 >= data_.size()) return DecodeError::Truncated;
    uint8_t label = data_[position_ + 1];
    size_t pos = position_ + 2;
    if (label == kGraphicControlLabel && pos + 5 <= data_.size() && data_[pos] >= 4) {
        ByteReader control(data_.subspan(pos + 1, 4));
        const uint8_t packed = control.ReadU8();
        frame.disposal = (packed & 0x1C) >> 2;
        frame.transparent = (packed & 1) != 0;
        frame.delayCentiseconds = control.ReadU16();
        frame.transparentIndex = control.ReadU8();
    }
    if (!SkipSubBlocks(data_, pos)) return DecodeError::Truncated;
    position_ = pos;
    return DecodeError::None;
}

// An image descriptor, its palette and its LZW codes, decoded into frame.
DecodeError GifReader::ReadImage(GifFrame& frame) {
    ByteReader descriptor(data_.subspan(position_ + 1));
    frame.left = descriptor.ReadU16();
    frame.top = descriptor.ReadU16();
    frame.width = descriptor.ReadU16();
    frame.height = descriptor.ReadU16();
    const uint8_t packed = descriptor.ReadU8();
    if (!descriptor.ok()) return DecodeError::Truncated;
    size_t pos = position_ + 1 + descriptor.Position();
    if (packed & 0x80) {
        uint32_t entries = 2u << (packed & 7);
        if (data_.size() - pos < entries * 3) return DecodeError::Truncated;
        frame.palette = ReadColourTable(data_.data() + pos, entries);
        pos += entries * 3;
    } else {
        frame.palette = globalPalette_;
    }
    if (pos >= data_.size()) return DecodeError::Truncated;
    int minCodeSize = data_[pos++];
    size_t codesStart = pos;
    if (!SkipSubBlocks(data_, pos)) return DecodeError::Truncated;
    size_t codesEnd = pos;
    position_ = pos;
    if (minCodeSize < 1 || minCodeSize > 11) return DecodeError::Corrupt;
    uint64_t pixels = uint64_t(frame.width) * frame.height;
    if (pixels > limits_.maxPixels || pixels > limits_.maxTotalBytes) return DecodeError::TooLarge;
    // Gather the sub-block payloads into one code stream.
    std::vector<uint8_t> codes;
    codes.reserve(codesEnd - codesStart);
    for (size_t p = codesStart; p < codesEnd;) {
        uint8_t n = data_[p++];
        if (!n) break;
        codes.insert(codes.end(), data_.begin() + p, data_.begin() + p + n);
        p += n;
    }
    frame.indices.assign(size_t(pixels), 0);
    LzwDecode(codes, minCodeSize, frame.indices.data(), frame.indices.size());
    if ((packed & 0x40) && pixels) Deinterlace(frame.indices, frame.width, frame.height);
    return DecodeError::None;
}

std::optional<GifFrame> GifReader::NextFrame() {
    if (data_.empty()) return std::nullopt;
    GifFrame frame;
    bool rewound = false;
    error_ = DecodeError::None;
    while (true) {
        if (position_ >= data_.size()) return Fail(DecodeError::Truncated);
        const uint8_t b = data_[position_];
        if (b == kTrailer || b == 0) {
            if (rewound) return Fail(DecodeError::NoImage);  // a pass without any image
            position_ = blocksStart_;
            ++passes_;
            rewound = true;
        } else if (b == kExtensionIntroducer) {
            if (DecodeError why = ReadExtension(frame); why != DecodeError::None) return Fail(why);
        } else if (b != kImageSeparator) {
            return Fail(DecodeError::Corrupt);
        } else if (DecodeError why = ReadImage(frame); why != DecodeError::None) {
            return Fail(why);
        } else {
            return frame;
        }
    }
}

// ---- Compositing -----------------------------------------------------------

bool GifCompositor::Reset(uint32_t width, uint32_t height, Rgb fill, uint8_t fillAlpha,
                          const DecodeLimits& limits) {
    Budget budget(limits);
    canvas_.clear();
    saved_.clear();
    width_ = height_ = 0;
    prevDisposal_ = 0;
    if (!budget.SizeAllowed(width, height) || !budget.Allocate(canvas_, height, uint64_t(width) * 4))
        return false;
    width_ = width;
    height_ = height;
    fill_[0] = fill.r; fill_[1] = fill.g; fill_[2] = fill.b; fill_[3] = fillAlpha;
    for (size_t i = 0; i < canvas_.size(); i += 4) std::memcpy(&canvas_[i], fill_, 4);
    return true;
}

void GifCompositor::Clip(const GifFrame& f, uint32_t* x0, uint32_t* y0, uint32_t* x1, uint32_t* y1) const {
    *x0 = std::min(f.left, width_);
    *y0 = std::min(f.top, height_);
    *x1 = std::min(f.left + f.width, width_);
    *y1 = std::min(f.top + f.height, height_);
}

void GifCompositor::Draw(const GifFrame& frame) {
    if (canvas_.empty()) return;
    const size_t rowBytes = size_t(width_) * 4;
    // Undo the previous frame as its disposal asks.
    if (prevDisposal_ == 2) {
        for (uint32_t y = prevY0_; y < prevY1_; ++y)
            for (uint32_t x = prevX0_; x < prevX1_; ++x)
                std::memcpy(&canvas_[y * rowBytes + size_t(x) * 4], fill_, 4);
    } else if (prevDisposal_ == 3 && !saved_.empty()) {
        size_t w = size_t(prevX1_ - prevX0_) * 4;
        for (uint32_t y = prevY0_; y < prevY1_; ++y)
            std::memcpy(&canvas_[y * rowBytes + size_t(prevX0_) * 4], &saved_[(y - prevY0_) * w], w);
    }
    uint32_t x0, y0, x1, y1;
    Clip(frame, &x0, &y0, &x1, &y1);
    saved_.clear();
    if (frame.disposal == 3 && x1 > x0 && y1 > y0) {
        size_t w = size_t(x1 - x0) * 4;
        saved_.resize(w * (y1 - y0));
        for (uint32_t y = y0; y < y1; ++y)
            std::memcpy(&saved_[(y - y0) * w], &canvas_[y * rowBytes + size_t(x0) * 4], w);
    }
    if (frame.indices.size() >= size_t(frame.width) * frame.height) {
        for (uint32_t y = y0; y < y1; ++y) {
            const uint8_t* src = frame.indices.data() + size_t(y - frame.top) * frame.width;
            uint8_t* dst = &canvas_[y * rowBytes];
            for (uint32_t x = x0; x < x1; ++x) {
                uint8_t index = src[x - frame.left];
                if (frame.transparent && index == frame.transparentIndex) continue;
                const Rgb& c = frame.palette[index];
                uint8_t* p = dst + size_t(x) * 4;
                p[0] = c.r; p[1] = c.g; p[2] = c.b; p[3] = 255;
            }
        }
    }
    prevDisposal_ = frame.disposal;
    prevX0_ = x0; prevY0_ = y0; prevX1_ = x1; prevY1_ = y1;
}

std::optional<GifAnimation> DecodeGifAnimation(std::span<const uint8_t> data, const DecodeLimits& limits) {
    try {
        GifReader reader;
        if (!reader.Open(data, limits)) return std::nullopt;
        Budget budget(limits);
        GifAnimation anim;
        GifCompositor canvas;
        std::optional<GifFrame> frame = reader.NextFrame();
        if (!frame) return std::nullopt;
        uint32_t w = reader.ScreenWidth(), h = reader.ScreenHeight();
        if (w == 0 || h == 0) {
            w = std::max<uint32_t>(w, frame->left + frame->width);
            h = std::max<uint32_t>(h, frame->top + frame->height);
        }
        const uint64_t canvasBytes = uint64_t(w) * h * 4;
        // The working canvas counts against the budget like every kept frame.
        if (!budget.SizeAllowed(w, h) || !budget.Take(canvasBytes) || !canvas.Reset(w, h, Rgb{}, 0, limits))
            return std::nullopt;
        anim.width = w;
        anim.height = h;
        uint32_t passes = reader.Passes();
        while (frame) {
            // Each kept canvas and each frame's own pixels count against the budget.
            if (!budget.Take(canvasBytes) || !budget.Take(frame->indices.size())) break;
            canvas.Draw(*frame);
            anim.frames.push_back({canvas.Canvas(), frame->DelayMilliseconds(), frame->disposal});
            if (!reader.MoreFramesFollow()) break;
            frame = reader.NextFrame();
            if (reader.Passes() != passes) break;
        }
        if (anim.frames.empty()) return std::nullopt;
        return anim;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

namespace detail {

DecodeError DecodeGifFirstImage(std::span<const uint8_t> data, Budget& budget, DecodedPicture& out) {
    GifReader reader;
    if (!reader.Open(data, budget.Limits())) return reader.LastError();
    std::optional<GifFrame> frame = reader.NextFrame();
    if (!frame) return reader.LastError();
    // An image found only after starting over follows a trailer: the file itself shows none.
    if (reader.Passes() != 0) return DecodeError::NoImage;
    if (!budget.Take(frame->indices.size())) return DecodeError::TooLarge;
    // GDI+'s size (the renderer's pictures are GDI+'s): the logical screen,
    // grown to hold the image. Animations keep to the screen.
    const uint32_t w = std::max<uint32_t>(reader.ScreenWidth(), frame->left + frame->width);
    const uint32_t h = std::max<uint32_t>(reader.ScreenHeight(), frame->top + frame->height);
    if (DecodeError e = AllocatePicture(out, budget, PictureFormat::Gif, w, h, PixelFormat::Indexed8); e != DecodeError::None)
        return e;
    // Outside the image: the transparent index when the image has one, else the background.
    uint8_t fill = frame->transparent ? frame->transparentIndex : reader.BackgroundIndex();
    std::fill(out.pixels.begin(), out.pixels.end(), fill);
    uint32_t x1 = std::min(frame->left + frame->width, w), y1 = std::min(frame->top + frame->height, h);
    for (uint32_t y = frame->top; y < y1; ++y)
        for (uint32_t x = frame->left; x < x1; ++x)
            out.pixels[size_t(y) * w + x] =
                frame->indices[size_t(y - frame->top) * frame->width + (x - frame->left)];
    out.palette = frame->palette;
    out.transparentIndex = frame->transparent ? frame->transparentIndex : -1;
    return DecodeError::None;
}

}  // namespace detail
}  // namespace imprinta::picture
