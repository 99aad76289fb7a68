#include "picture_io.h"
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <png.h>
#include <jpeglib.h>
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"

Picture SolidPicture(uint32_t width, uint32_t height, Rgba colour) {
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<size_t>(width) * height, colour);
    return p;
}

std::vector<uint8_t> EncodePng(const Picture& picture) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(image, size, 0, picture.pixels.data(), 0, nullptr)) return {};
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, picture.pixels.data(), 0, nullptr)) return {};
    out.resize(size);
    return out;
}

std::vector<uint8_t> EncodeJpeg(const Picture& picture, int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = picture.width;
    cinfo.image_height = picture.height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(picture.width * 3);
    for (uint32_t y = 0; y < picture.height; ++y) {
        for (uint32_t x = 0; x < picture.width; ++x) {
            const Rgba& c = picture.at(x, y);
            row[x * 3] = c.r, row[x * 3 + 1] = c.g, row[x * 3 + 2] = c.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

bool DecodePng(const uint8_t* data, size_t size, Picture* out) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return false;
    image.format = PNG_FORMAT_RGBA;
    out->width = image.width;
    out->height = image.height;
    out->pixels.assign(static_cast<size_t>(image.width) * image.height, Rgba{});
    if (!png_image_finish_read(&image, nullptr, out->pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

Owned::~Owned() { FreeMemory(block); }

void* ToByteSet(const std::vector<uint8_t>& bytes) {
    return imprinta::MakeByteSet(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

bool DecodeByteSet(const void* byteSet, Picture* out) {
    if (!byteSet) return false;
    return DecodePng(ByteSetData(byteSet), ByteSetLength(byteSet), out);
}

bool EndsWithIend(const void* byteSet) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    static const uint8_t kEnd[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    uint32_t n = ByteSetLength(byteSet);
    const uint8_t* d = ByteSetData(byteSet);
    return n >= 20 && memcmp(d, kSignature, 8) == 0 && memcmp(d + n - 12, kEnd, 12) == 0;
}

void SaveForInspection(const void* byteSet, const char* name) {
    char dir[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("IMPRINTA_BUILD", dir, sizeof dir)) return;
    std::string path = std::string(dir) + "/renderer-output";
    CreateDirectoryA(path.c_str(), nullptr);
    path += std::string("/") + name;
    if (FILE* f = fopen(path.c_str(), "wb")) {
        fwrite(ByteSetData(byteSet), 1, ByteSetLength(byteSet), f);
        fclose(f);
    }
}
