// Format recognition, dispatch to the format decoders, icons and cursors, and
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
    ByteReader icon(data);
    const uint16_t reserved = icon.ReadU16(), type = icon.ReadU16(), count = icon.ReadU16();
    if (reserved == 0 && type == uint16_t(IconKind::Icon) && count != 0) return PictureFormat::Ico;
    if (reserved == 0 && type == uint16_t(IconKind::Cursor) && count != 0) return PictureFormat::Cur;
    if (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0) return PictureFormat::Gif;
    // PCX needs the bits-per-pixel byte at offset 3, present in any 6-byte prefix.
    if (p[0] == 0x0A && p[2] == 1) {
        if (p[1] <= 5 && p[3] == 8) return PictureFormat::Pcx8;
        if (p[1] == 3 && p[3] == 1) return PictureFormat::Pcx1;
    }
    return PictureFormat::Unknown;
}

namespace {

// Runs one decoder, turning allocation failure into its reason.
template <typename Fn>
DecodeResult Run(const DecodeLimits& limits, Fn&& fn) {
    try {
        Budget budget(limits);
        DecodedPicture out;
        const DecodeError error = fn(budget, out);
        if (error != DecodeError::None) return error;
        return DecodeResult(std::move(out));
    } catch (const std::bad_alloc&) {
        return DecodeError::OutOfMemory;
    }
}

}  // namespace

DecodeResult DecodePicture(std::span<const uint8_t> data, const DecodeLimits& limits) {
    if (data.empty()) return DecodeError::Empty;
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
    return DecodeError::UnknownFormat;
}

DecodeResult DecodeBmp(std::span<const uint8_t> data, const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodeBmpInto(data, b, out); });
}
DecodeResult DecodeGif(std::span<const uint8_t> data, const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodeGifFirstImage(data, b, out); });
}
DecodeResult DecodePcx(std::span<const uint8_t> data, PictureFormat format, const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodePcxInto(data, format, b, out); });
}
DecodeResult DecodePng(std::span<const uint8_t> data, const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodePngInto(data, b, out); });
}
DecodeResult DecodeJpeg(std::span<const uint8_t> data, const DecodeLimits& limits) {
    return Run(limits, [&](Budget& b, DecodedPicture& out) { return DecodeJpegInto(data, b, out); });
}

// ---- Icons and cursors ------------------------------------------------------

DecodeResult DecodeIcon(std::span<const uint8_t> data, PictureFormat format, const DecodeLimits& limits) {
    // The directory is read inside the run too: its allocation failing is a reason like any other.
    return Run(limits, [&](Budget& b, DecodedPicture& out) {
        IconDirectory directory;
        if (DecodeError e = ReadIconDirectory(data, directory); e != DecodeError::None) return e;
        const IconKind wanted = format == PictureFormat::Cur ? IconKind::Cursor : IconKind::Icon;
        if (directory.kind != wanted) return DecodeError::BadHeader;
        const IconEntry& e = directory.entries[size_t(ChooseIconEntry(directory.entries))];
        std::span<const uint8_t> image = IconImageBytes(data, e);
        if (image.empty()) return e.size == 0 ? DecodeError::BadHeader : DecodeError::Truncated;
        const bool png = image.size() >= 8 && image[0] == 0x89 && image[1] == 'P' && image[2] == 'N' && image[3] == 'G';
        if (DecodeError err = png ? DecodePngInto(image, b, out) : DecodeIconBitmap(image, b, out); err != DecodeError::None)
            return err;
        out.format = format;
        out.iconEntry = e;
        out.iconImage.assign(image.begin(), image.end());
        return DecodeError::None;
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
