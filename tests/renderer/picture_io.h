// Test pictures made and read with libpng and libjpeg, independently of GDI+.
#pragma once
#include <cstdint>
#include <vector>

struct Rgba {
    uint8_t r, g, b, a;
};

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<Rgba> pixels;  // row-major
    const Rgba& at(uint32_t x, uint32_t y) const { return pixels[y * width + x]; }
    Rgba& at(uint32_t x, uint32_t y) { return pixels[y * width + x]; }
};

Picture SolidPicture(uint32_t width, uint32_t height, Rgba colour);
std::vector<uint8_t> EncodePng(const Picture& picture);
std::vector<uint8_t> EncodeJpeg(const Picture& picture, int quality = 90);
// Decodes PNG bytes; false when libpng refuses them.
bool DecodePng(const uint8_t* data, size_t size, Picture* out);

// A Runtime block released with FreeMemory when the holder goes.
struct Owned {
    void* block;
    explicit Owned(void* b) : block(b) {}
    ~Owned();
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
};

// A Runtime byte set holding the bytes (null for none); released with FreeMemory.
void* ToByteSet(const std::vector<uint8_t>& bytes);
// Decodes a byte-set result; false for an empty or unreadable one.
bool DecodeByteSet(const void* byteSet, Picture* out);
// True when the byte set is a PNG file that ends right after its IEND chunk.
bool EndsWithIend(const void* byteSet);
// Writes a byte set to a file under the build tree's output folder (for a look).
void SaveForInspection(const void* byteSet, const char* name);

// Bounding box of the pixels that satisfy a predicate; empty when none does.
struct Box {
    int32_t left = 0, top = 0, right = -1, bottom = -1;  // inclusive
    bool empty() const { return right < left; }
    int32_t width() const { return right - left + 1; }
    int32_t height() const { return bottom - top + 1; }
};
template <typename Pred>
Box BoundingBox(const Picture& p, Pred pred) {
    Box box;
    bool any = false;
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x)
            if (pred(p.at(x, y))) {
                int32_t ix = static_cast<int32_t>(x), iy = static_cast<int32_t>(y);
                if (!any) box = {ix, iy, ix, iy}, any = true;
                if (ix < box.left) box.left = ix;
                if (ix > box.right) box.right = ix;
                if (iy < box.top) box.top = iy;
                if (iy > box.bottom) box.bottom = iy;
            }
    return box;
}
