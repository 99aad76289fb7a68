// JPEG through libjpeg(-turbo) into 24-bit pixels. Errors come back by
// longjmp: the setjmp frame holds no objects with destructors.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>
#include <jpeglib.h>
#include <jerror.h>
#include "runtime/pictures/picture_decode_internal.h"

namespace imprinta::picture::detail {
namespace {

// Message code of an exit that is ours, not libjpeg's: too many scans.
constexpr int kTooManyScans = -1;

struct JpegError {
    jpeg_error_mgr pub;
    jmp_buf jump;
    bool exited;   // libjpeg (or the progress check) gave up
    int exitCode;  // its message code (warnings set msg_code too, so it is kept apart)
};

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    err->exited = true;
    if (err->exitCode == 0) err->exitCode = err->pub.msg_code;
    longjmp(err->jump, 1);
}
void OnMessage(j_common_ptr) {}

// Progressive files can hold thousands of tiny scans that each cost a pass
// over the whole picture; real encoders write fewer than a hundred.
void OnProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > 500) {
        reinterpret_cast<JpegError*>(cinfo->err)->exitCode = kTooManyScans;
        OnError(cinfo);
    }
}

struct JpegState {
    DecodeError error = DecodeError::Corrupt;  // why ReadJpeg gave up, when it was not libjpeg
    Budget* budget = nullptr;
    DecodedPicture* out = nullptr;
    std::span<const uint8_t> data;
    jpeg_progress_mgr progress{};
};

bool ReadJpeg(jpeg_decompress_struct* cinfo, JpegState* st) {
    JpegError* err = reinterpret_cast<JpegError*>(cinfo->err);
    if (setjmp(err->jump)) return false;
    jpeg_create_decompress(cinfo);
    st->progress.progress_monitor = OnProgress;
    cinfo->progress = &st->progress;
    // libjpeg's own working memory (coefficient buffers of progressive files).
    cinfo->mem->max_memory_to_use = long(std::min<uint64_t>(st->budget->Limits().maxTotalBytes, 256u << 20));
    jpeg_mem_src(cinfo, st->data.data(), static_cast<unsigned long>(st->data.size()));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) {
        st->error = DecodeError::NoImage;  // tables only
        return false;
    }
    if (!st->budget->SizeAllowed(cinfo->image_width, cinfo->image_height)) {
        st->error = DecodeError::TooLarge;
        return false;
    }
    bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(cinfo);
    const uint32_t w = cinfo->output_width, h = cinfo->output_height;
    if (DecodeError e = AllocatePicture(*st->out, *st->budget, PictureFormat::Jpeg, w, h, PixelFormat::Bgr24);
        e != DecodeError::None) {
        st->error = e;
        return false;
    }
    // CMYK rows are read into the tail of a scratch line and converted in place.
    JSAMPROW line = nullptr;
    if (cmyk) {
        line = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, w * 4, 1)[0];
    }
    while (cinfo->output_scanline < h) {
        uint8_t* row = st->out->pixels.data() + size_t(cinfo->output_scanline) * st->out->stride;
        if (!cmyk) {
            JSAMPROW rows[1] = {row};
            jpeg_read_scanlines(cinfo, rows, 1);
            continue;
        }
        JSAMPROW rows[1] = {line};
        jpeg_read_scanlines(cinfo, rows, 1);
        // Adobe writes CMYK inverted: each stored value is 255 - ink.
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = line + size_t(x) * 4;
            unsigned k = p[3];
            row[x * 3 + 0] = uint8_t(p[2] * k / 255);
            row[x * 3 + 1] = uint8_t(p[1] * k / 255);
            row[x * 3 + 2] = uint8_t(p[0] * k / 255);
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// The reason behind a libjpeg error exit.
DecodeError LibraryError(int code) {
    switch (code) {
    case JERR_INPUT_EMPTY: case JERR_NO_IMAGE: return DecodeError::Truncated;
    case JERR_BAD_PRECISION: case JERR_NOT_COMPILED: case JERR_CONVERSION_NOTIMPL: return DecodeError::Unsupported;
    case JERR_IMAGE_TOO_BIG: case JERR_WIDTH_OVERFLOW: return DecodeError::TooLarge;
    case JERR_OUT_OF_MEMORY: return DecodeError::OutOfMemory;
    default: return DecodeError::Corrupt;
    }
}

}  // namespace

DecodeError DecodeJpegInto(std::span<const uint8_t> data, Budget& budget, DecodedPicture& out) {
    if (data.size() < 2) return DecodeError::Truncated;
    if (data[0] != 0xFF || data[1] != 0xD8) return DecodeError::BadHeader;
    jpeg_decompress_struct cinfo;
    JpegError err;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    err.pub.emit_message = [](j_common_ptr, int) {};
    JpegState st;
    st.budget = &budget;
    st.out = &out;
    st.data = data;
    DecodeError result = DecodeError::None;
    // Errors inside libjpeg leave through OnError, which keeps their message code.
    err.exited = false;
    err.exitCode = 0;
    try {
        if (!ReadJpeg(&cinfo, &st)) result = err.exited ? LibraryError(err.exitCode) : st.error;
    } catch (const std::bad_alloc&) {
        result = DecodeError::OutOfMemory;
    }
    jpeg_destroy_decompress(&cinfo);
    if (result != DecodeError::None) out = DecodedPicture{};
    return result;
}

}  // namespace imprinta::picture::detail
