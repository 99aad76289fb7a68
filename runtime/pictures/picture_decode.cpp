// Format recognition, dispatch to the format decoders, icon directories and
// the PNG background blend.
#include "runtime/pictures/picture_decode.h"
#include <new>
#include "runtime/pictures/picture_decode_internal.h"

namespace imprinta::picture {
using namespace detail;

PictureFormat SniffPictureFormat(std::span<const uint8_t> data) {
    if (data.size() < 6) return PictureFormat::Unknown;
    const uint8_t* p = data.data();
    if (p[0] == 0xFF && p[1] == 0xD8) return PictureFormat::Jpeg;
    if (p[0] == 'B' && p[1] == 'M') return PictureFormat::Bmp;
    if (p[0] == 0x89 && p[1] == 'P' && p[2] == 'N' && p[3] == 'G') return PictureFormat::Png;
    if (Le16(p) == 0 && Le16(p + 2) == 1 && Le16(p + 4) != 0) return PictureFormat::Ico;
    if (Le16(p) == 0 && Le16(p + 2) == 2 && Le16(p + 4) != 0) return PictureFormat::Cur;
    if (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0) return PictureFormat::Gif;
    // PCX needs the bits-per-pixel byte at offset 3, present in any 6-byte prefix.
    if (p[0] == 0x0A && p[2] == 1) {
        if (p[1] <= 5 && p[3] == 8) return PictureFormat::Pcx8;
        if (p[1] == 3 && p[3] == 1) return PictureFormat::Pcx1;
    }
    return PictureFormat::Unknown;
}

bool IsProgressiveJpeg(std::span<const uint8_t> data) {
    // Markers from SOI up to the first frame header; each segment states its length.
    size_t at = 2;
    while (at + 4 <= data.size() && data[at] == 0xFF) {
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        at += 2 + Be16(&data[at + 2]);
    }
    return false;
}

bool IsSixteenBitPng(std::span<const uint8_t> data) {
    // Signature, IHDR length and type, width, height, then the bit depth.
    return SniffPictureFormat(data) == PictureFormat::Png && data.size() > 24 && data[24] == 16;
}

namespace {

// Runs one decoder, turning allocation failure into "nothing".
template <typename Fn>
std::optional<DecodedPicture> Run(const DecodeLimits& limits, Fn&& fn) {
    try {
        Budget budget(limits);
        DecodedPicture out;
        if (!fn(budget, out)) return std::nullopt;
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<DecodedPicture> DecodePicture(std::span<const uint8_t> data, const DecodeLimits& limits) {
    switch (SniffPictureFormat(data)) {
    case PictureFormat::Jpeg: return DecodeJpeg(data, limits);
    case PictureFormat::Bmp: return DecodeBmp(data, limits);
    case PictureFormat::Png: return DecodePng(data, limits);
    case PictureFormat::Ico: return DecodeIcon(data, PictureFormat::Ico, limits);
    case PictureFormat::Cur: return DecodeIcon(data, PictureFormat::Cur, limits);
    case PictureFormat::Gif: return DecodeGif(data, limits);
    case PictureFormat::Pcx8: return DecodePcx(data, PictureFormat::Pcx8, limits);
    case PictureFormat::Pcx1: return DecodePcx(data, PictureFormat::Pcx1, limits);
    case PictureFormat::Unknown: break;
    }
    return std::nullopt;
}

std::optional<DecodedPicture> DecodeBmp(std::span<const uint8_t> data, const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodeBmpInto(data, b, out); });
}
std::optional<DecodedPicture> DecodeGif(std::span<const uint8_t> data, const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodeGifFirstImage(data, b, out); });
}
std::optional<DecodedPicture> DecodePcx(std::span<const uint8_t> data, PictureFormat format,
                                        const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodePcxInto(data, format, b, out); });
}
std::optional<DecodedPicture> DecodePng(std::span<const uint8_t> data, const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodePngInto(data, b, out); });
}
std::optional<DecodedPicture> DecodeJpeg(std::span<const uint8_t> data, const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodeJpegInto(data, b, out); });
}

// ---- Icons and cursors ------------------------------------------------------

std::vector<IconEntry> ReadIconDirectory(std::span<const uint8_t> data) {
    std::vector<IconEntry> entries;
    if (data.size() < 6) return entries;
    uint32_t count = Le16(data.data() + 4);
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = 6 + size_t(i) * 16;
        if (at + 16 > data.size()) break;  // a directory cut short keeps the entries it has
        const uint8_t* p = data.data() + at;
        IconEntry e;
        e.width = p[0] ? p[0] : 256;
        e.height = p[1] ? p[1] : 256;
        e.colourCount = p[2];
        e.planesOrHotX = Le16(p + 4);
        e.bitCountOrHotY = Le16(p + 6);
        e.size = Le32(p + 8);
        e.offset = Le32(p + 12);
        entries.push_back(e);
    }
    return entries;
}

int ChooseIconEntry(const std::vector<IconEntry>& entries) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].width == 32 && entries[i].colourCount > 15) return int(i);
    return int(entries.size()) - 1;
}

std::optional<DecodedPicture> DecodeIcon(std::span<const uint8_t> data, PictureFormat format,
                                         const DecodeLimits& limits) {
    if (data.size() < 6 || Le16(data.data()) != 0) return std::nullopt;
    uint16_t type = Le16(data.data() + 2);
    if ((format == PictureFormat::Ico && type != 1) || (format == PictureFormat::Cur && type != 2))
        return std::nullopt;
    // The directory is read inside the run too: its allocation failing also gives nothing.
    return Run(limits, [&](Budget& b, DecodedPicture& out) {
        std::vector<IconEntry> entries = ReadIconDirectory(data);
        int chosen = ChooseIconEntry(entries);
        if (chosen < 0) return false;
        const IconEntry& e = entries[size_t(chosen)];
        uint64_t end;
        if (e.size == 0 || !CheckedAdd(e.offset, e.size, &end) || end > data.size()) return false;
        std::span<const uint8_t> image = data.subspan(e.offset, e.size);
        bool ok;
        if (image.size() >= 8 && image[0] == 0x89 && image[1] == 'P' && image[2] == 'N' && image[3] == 'G')
            ok = DecodePngInto(image, b, out);
        else
            ok = DecodeIconBitmap(image, b, out);
        if (!ok) return false;
        out.format = format;
        out.iconEntry = e;
        out.iconImage.assign(image.begin(), image.end());
        return true;
    });
}

// ---- PNG transparency -------------------------------------------------------

void BlendRgbaOverBackground(const DecodedPicture& picture, uint32_t background, uint8_t* bgraOut) {
    const BackgroundMix mix(background);
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* src = picture.pixels.data() + size_t(y) * picture.stride;
        uint8_t* dst = bgraOut + size_t(y) * picture.width * 4;
        for (uint32_t x = 0; x < picture.width; ++x, src += 4, dst += 4) mix.Blend(src[3], src[2], src[1], src[0], dst);
    }
}

}  // namespace imprinta::picture
