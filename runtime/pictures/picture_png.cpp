// PNG through libpng into 32-bit RGBA rows. libpng reports errors by
// longjmp, so the function that calls setjmp keeps no objects with
// destructors of its own: everything lives in the caller's frame.
#include <csetjmp>
#include <cstdlib>
#include <new>
#include <png.h>
#include "runtime/pictures/picture_decode_internal.h"

namespace imprinta::picture::detail {
namespace {

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
    bool ranOut;  // a read went past the end: the file is cut short
};

struct PngState {
    PngSource source{};
    Budget* budget = nullptr;
    DecodedPicture* out = nullptr;
    std::vector<png_bytep> rows;
    DecodeError error = DecodeError::Corrupt;  // why ReadPng gave up
};

void ReadFromMemory(png_structp png, png_bytep dest, png_size_t length) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > src->size - src->pos) {
        src->ranOut = true;
        png_error(png, "read past end of data");
    }
    std::memcpy(dest, src->data + src->pos, length);
    src->pos += length;
}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// libpng's own working memory: rows and chunk buffers. No legitimate request
// comes near 16 MB (the widest 16-bit RGBA row is 512 KB, chunk data is capped
// at 8 MB), while a chunk length field claiming a gigabyte would otherwise be
// allocated before the data is found missing.
constexpr png_alloc_size_t kMaxLibpngAllocation = 16u << 20;
png_voidp Allocate(png_structp, png_alloc_size_t size) {
    return size > kMaxLibpngAllocation ? nullptr : std::malloc(size);
}
void Release(png_structp, png_voidp p) { std::free(p); }
void OnWarning(png_structp, png_const_charp) {}

// Returns false on any libpng error; no C++ object is created in this frame.
bool ReadPng(png_structp png, png_infop info, PngState* st) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &st->source, ReadFromMemory);
    png_set_user_limits(png, st->budget->Limits().maxDimension, st->budget->Limits().maxDimension);
    png_set_chunk_cache_max(png, 256);
    png_set_chunk_malloc_max(png, 8u << 20);
    png_read_info(png, info);

    png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (height != st->rows.size()) png_error(png, "header changed");
    int depth = png_get_bit_depth(png, info), colour = png_get_color_type(png, info);
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);  // the high byte, as GDI+ keeps it
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    int passes = png_set_interlace_handling(png);
    (void)passes;
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != png_size_t(width) * 4) png_error(png, "unexpected row layout");

    if (DecodeError e = AllocatePicture(*st->out, *st->budget, PictureFormat::Png, width, height, PixelFormat::Rgba32);
        e != DecodeError::None) {
        st->error = e;
        return false;
    }
    for (png_uint_32 y = 0; y < height; ++y) st->rows[y] = st->out->pixels.data() + size_t(y) * width * 4;
    png_read_image(png, st->rows.data());
    png_read_end(png, nullptr);
    return true;
}

// Reads just the header to size the row table before the setjmp frame.
DecodeError PeekSize(std::span<const uint8_t> data, uint32_t* width, uint32_t* height) {
    // Signature (8), IHDR length and type (8), then width and height.
    if (data.size() < 24) return DecodeError::Truncated;
    if (std::memcmp(data.data() + 12, "IHDR", 4) != 0) return DecodeError::BadHeader;
    ByteReader size(data.subspan(16));
    *width = size.ReadU32Be();
    *height = size.ReadU32Be();
    return DecodeError::None;
}

}  // namespace

DecodeError DecodePngInto(std::span<const uint8_t> data, Budget& budget, DecodedPicture& out) {
    if (data.size() < 8) return DecodeError::Truncated;
    if (png_sig_cmp(data.data(), 0, 8) != 0) return DecodeError::BadHeader;
    uint32_t width, height;
    if (DecodeError e = PeekSize(data, &width, &height); e != DecodeError::None) return e;
    if (!budget.SizeAllowed(width, height)) return DecodeError::TooLarge;
    // Deflate packs at most about 1032 bytes into one: a file too small to hold
    // even the filter bytes of every row cannot be complete, so it is refused
    // before the picture memory is claimed.
    if (uint64_t(data.size()) * 1032 < uint64_t(height) * (1 + (uint64_t(width) + 7) / 8))
        return DecodeError::Truncated;
    PngState st;
    st.source = PngSource{data.data(), data.size(), 0, false};
    st.budget = &budget;
    st.out = &out;
    if (!budget.Take(uint64_t(height) * sizeof(png_bytep))) return DecodeError::TooLarge;
    st.rows.resize(height);
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning, nullptr,
                                               Allocate, Release);
    if (!png) return DecodeError::OutOfMemory;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return DecodeError::OutOfMemory;
    }
    DecodeError result = DecodeError::None;
    try {
        if (!ReadPng(png, info, &st)) result = st.source.ranOut ? DecodeError::Truncated : st.error;
    } catch (const std::bad_alloc&) {
        result = DecodeError::OutOfMemory;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    // The header libpng accepted must be the one the row table was sized for.
    if (result == DecodeError::None && (out.width != width || out.height != height)) result = DecodeError::Corrupt;
    if (result != DecodeError::None) out = DecodedPicture{};
    return result;
}

}  // namespace imprinta::picture::detail
