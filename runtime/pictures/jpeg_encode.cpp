// Errors come back by longjmp: the setjmp frame holds no objects with
// destructors (the row and the output live in the caller's frame).
#include "runtime/pictures/jpeg_encode.h"
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <jpeglib.h>

namespace imprinta::picture {
namespace {

struct EncodeError {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void OnError(j_common_ptr cinfo) { longjmp(reinterpret_cast<EncodeError*>(cinfo->err)->jump, 1); }
void OnMessage(j_common_ptr) {}

// Straight-alpha BGRA over white, c * a + 255 * (255 - a), rounded; false
// (and nothing written) when the row is opaque, which is encoded as it stands.
bool FlattenRow(const uint8_t* bgra, uint32_t width, uint8_t* out) {
    uint32_t x = 0;
    while (x < width && bgra[x * 4 + 3] == 255) ++x;
    if (x == width) return false;
    for (x = 0; x < width; ++x, bgra += 4, out += 4) {
        const unsigned a = bgra[3], white = 255u * (255u - a);
        for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((bgra[c] * a + white + 127) / 255);
    }
    return true;
}

struct Output {
    unsigned char* bytes = nullptr;  // libjpeg's own buffer (malloc)
    unsigned long size = 0;
};

bool Compress(jpeg_compress_struct* cinfo, const Canvas& canvas, int quality, uint8_t* row, Output* out) {
    if (setjmp(reinterpret_cast<EncodeError*>(cinfo->err)->jump)) return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &out->bytes, &out->size);
    cinfo->image_width = canvas.width;
    cinfo->image_height = canvas.height;
    cinfo->input_components = 4;
    cinfo->in_color_space = JCS_EXT_BGRX;  // the canvas's own order: opaque rows need no copy
    jpeg_set_defaults(cinfo);  // YCbCr, luma sampled 2 x 2: 4:2:0, sequential (baseline)
    jpeg_set_quality(cinfo, std::clamp(quality, 1, 100), TRUE);
    cinfo->optimize_coding = TRUE;
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        const uint8_t* pixels = canvas.bgra.data() + canvas.Stride() * cinfo->next_scanline;
        JSAMPROW rows[1] = {FlattenRow(pixels, canvas.width, row) ? row : const_cast<uint8_t*>(pixels)};
        jpeg_write_scanlines(cinfo, rows, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const Canvas& canvas, int quality) {
    if (canvas.Empty() || canvas.width > JPEG_MAX_DIMENSION || canvas.height > JPEG_MAX_DIMENSION) return {};
    std::vector<uint8_t> row, result;
    jpeg_compress_struct cinfo{};
    EncodeError err{};
    Output out;
    try {
        row.resize(size_t(canvas.width) * 4);
    } catch (const std::bad_alloc&) {
        return {};
    }
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    bool ok = Compress(&cinfo, canvas, quality, row.data(), &out);
    jpeg_destroy_compress(&cinfo);
    try {
        if (ok && out.bytes) result.assign(out.bytes, out.bytes + out.size);
    } catch (const std::bad_alloc&) {
        result.clear();
    }
    free(out.bytes);
    return result;
}

}  // namespace imprinta::picture
