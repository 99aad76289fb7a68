// The fast render path's byte-level parts: decoded pictures as canvases, the
// picture cache, the PNG writer (read back by libpng) and the screen resampler.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include "runtime/pictures/jpeg_encode.h"
#include "runtime/pictures/picture_cache.h"
#include "runtime/pictures/picture_scale.h"
#include "runtime/pictures/png_encode.h"

using namespace imprinta::picture;

namespace {

Canvas MakeCanvas(uint32_t w, uint32_t h, uint32_t seed, bool alpha) {
    Canvas c{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
    for (size_t i = 0; i < c.bgra.size(); i += 4) {
        seed = seed * 1103515245u + 12345u;
        const size_t x = (i / 4) % w, y = (i / 4) / w;
        c.bgra[i] = uint8_t(x * 3 + (seed >> 28));
        c.bgra[i + 1] = uint8_t(y * 5);
        c.bgra[i + 2] = uint8_t(seed >> 16);
        c.bgra[i + 3] = alpha ? uint8_t(seed >> 24) : 255;
        if (c.bgra[i + 3] == 0) c.bgra[i] = c.bgra[i + 1] = c.bgra[i + 2] = 0;
    }
    return c;
}

// RGBA <-> BGRA.
std::vector<uint8_t> SwapRedBlue(std::vector<uint8_t> px) {
    for (size_t i = 0; i + 3 < px.size(); i += 4) std::swap(px[i], px[i + 2]);
    return px;
}

}  // namespace

TEST(PngEncode, EveryWayReadsBackToTheSamePixels) {
    struct Way {
        const char* name;
        PngEncodeOptions options;
    } ways[] = {
        {"stored", {PngCompression::Stored}},
        {"stored, streamed", {PngCompression::Stored, 2, 0}},
        {"one shot", {PngCompression::Fast, 2}},
        {"one shot, level 1", {PngCompression::Fast, 1}},
        {"streamed", {PngCompression::Fast, 2, 0}},
        {"small", {PngCompression::Small, kSmallLevel}},
        {"small, streamed", {PngCompression::Small, kSmallLevel, 0}},
    };
    struct Shape {
        uint32_t w, h;
        bool alpha;
    } shapes[] = {{1, 1, false}, {1, 37, true}, {53, 1, true}, {97, 61, false}, {300, 200, true}};
    for (const Way& way : ways)
        for (const Shape& s : shapes) {
            Canvas c = MakeCanvas(s.w, s.h, s.w * 31 + s.h, s.alpha);
            std::vector<uint8_t> png = EncodePng(c, way.options);
            auto back = DecodePng(png);
            ASSERT_TRUE(back) << way.name << " " << s.w << "x" << s.h;
            ASSERT_EQ(s.w, back->width);
            ASSERT_EQ(s.h, back->height);
            EXPECT_TRUE(SwapRedBlue(back->pixels) == c.bgra) << way.name << " " << s.w << "x" << s.h;
            // Small drops the alpha channel of an opaque picture (colour type 2, else 6).
            const bool rgb = way.options.compression == PngCompression::Small && !s.alpha;
            EXPECT_EQ(rgb ? 2 : 6, png[25]) << way.name << " " << s.w << "x" << s.h;
        }
    EXPECT_TRUE(EncodePng(Canvas{}).empty());
}

TEST(PngEncode, FastPacksAPhotoLikePictureWellBelowStored) {
    Canvas c = MakeCanvas(400, 300, 7, false);
    for (size_t i = 0; i < c.bgra.size(); i += 4) c.bgra[i + 2] = uint8_t((i / 4) % 400);  // smooth red ramp
    const size_t stored = EncodePng(c, {PngCompression::Stored}).size();
    const size_t fast = EncodePng(c).size();
    const size_t small = EncodePng(c, {PngCompression::Small, kSmallLevel}).size();
    EXPECT_GT(stored, c.bgra.size());
    EXPECT_LT(fast * 2, stored);
    EXPECT_LT(small * 10, fast * 9);  // files people keep: at least a tenth smaller
}

// Decoded back: the size, colours near the flattened source (transparent
// pixels white), baseline 4:2:0 in the frame header, and quality that counts.
TEST(JpegEncode, BaselineFourTwoZeroFlattenedOnWhite) {
    Canvas c{64, 32, std::vector<uint8_t>(64 * 32 * 4)};
    for (size_t i = 0; i < c.bgra.size(); i += 4) {
        const size_t x = (i / 4) % 64;
        const uint8_t shade = uint8_t(40 + x * 2);
        c.bgra[i] = c.bgra[i + 1] = c.bgra[i + 2] = shade;
        c.bgra[i + 3] = x < 16 ? 0 : x < 32 ? 128 : 255;  // transparent, half, opaque bands
    }
    std::vector<uint8_t> jpeg = EncodeJpeg(c, 95);
    auto back = DecodePicture(jpeg);
    ASSERT_TRUE(back);
    ASSERT_EQ(PixelFormat::Bgr24, back->pixelFormat);
    EXPECT_EQ(64u, back->width);
    EXPECT_EQ(32u, back->height);
    auto expected = [](size_t x) {
        const unsigned shade = 40 + unsigned(x) * 2, a = x < 16 ? 0 : x < 32 ? 128 : 255;
        return int((shade * a + 255 * (255 - a) + 127) / 255);
    };
    for (size_t y = 2; y < 30; y += 9)
        for (size_t x : {2, 8, 20, 28, 40, 60}) {
            const uint8_t* p = back->pixels.data() + y * back->stride + x * 3;
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(expected(x), p[k], 6) << x << "," << y;
        }
    // SOF0 (baseline), three components, the first sampled 2 x 2 and the others 1 x 1.
    const uint8_t sof0[] = {0xFF, 0xC0};
    auto sof = std::search(jpeg.begin(), jpeg.end(), std::begin(sof0), std::end(sof0));
    ASSERT_NE(jpeg.end(), sof);
    EXPECT_EQ(3, sof[9]);
    EXPECT_EQ(0x22, sof[11]);
    EXPECT_EQ(0x11, sof[14]);
    EXPECT_EQ(0x11, sof[17]);
    Canvas photo = MakeCanvas(200, 120, 5, false);
    EXPECT_LT(EncodeJpeg(photo, 50).size() * 3 / 2, EncodeJpeg(photo, 95).size());
    EXPECT_TRUE(EncodeJpeg(Canvas{}).empty());
}

TEST(Canvas, EachPixelLayoutBecomesStraightBgra) {
    // Two pixels per layout: the expected BGRA of each.
    struct Case {
        const char* name;
        PixelFormat format;
        std::vector<uint8_t> pixels;
        uint32_t stride;
        int transparentIndex;
        std::vector<uint8_t> want;
    } cases[] = {
        {"rgba", PixelFormat::Rgba32, {10, 20, 30, 255, 40, 50, 60, 0}, 8, -1, {30, 20, 10, 255, 0, 0, 0, 0}},
        {"bgr", PixelFormat::Bgr24, {1, 2, 3, 4, 5, 6}, 6, -1, {1, 2, 3, 255, 4, 5, 6, 255}},
        {"indexed", PixelFormat::Indexed8, {1, 0}, 2, 0, {60, 50, 40, 255, 0, 0, 0, 0}},
        {"index past table", PixelFormat::Indexed8, {2, 1}, 2, -1, {0, 0, 0, 0, 60, 50, 40, 255}},
        {"mono", PixelFormat::Mono1, {0x80}, 1, -1, {60, 50, 40, 255, 30, 20, 10, 255}},
    };
    for (const Case& c : cases) {
        DecodedPicture p;
        p.width = 2, p.height = 1, p.pixelFormat = c.format, p.stride = c.stride, p.pixels = c.pixels;
        p.palette = {Rgb{10, 20, 30}, Rgb{40, 50, 60}};
        p.transparentIndex = c.transparentIndex;
        auto canvas = ToCanvas(std::move(p));
        ASSERT_TRUE(canvas) << c.name;
        EXPECT_EQ(c.want, canvas->bgra) << c.name;
    }
    DecodedPicture empty;
    EXPECT_FALSE(ToCanvas(std::move(empty)));
}

TEST(Canvas, BlendMatchesThePictureBoxBlend) {
    // Translucent pixels alone, opaque runs broken by one translucent pixel
    // (the blend copies whole runs of four), and a width that leaves a tail.
    struct Case {
        uint32_t width;
        bool alpha;
        size_t translucentEvery;
    } cases[] = {{64, true, 0}, {61, false, 7}, {61, false, 0}};
    for (const Case& k : cases) {
        Canvas c = MakeCanvas(k.width, 8, 3, k.alpha);
        for (size_t i = 0; k.translucentEvery && i < c.bgra.size() / 4; i += k.translucentEvery) c.bgra[i * 4 + 3] = 100;
        DecodedPicture rgba;
        rgba.width = k.width, rgba.height = 8, rgba.pixelFormat = PixelFormat::Rgba32, rgba.stride = k.width * 4;
        rgba.pixels = SwapRedBlue(c.bgra);
        std::vector<uint8_t> a(c.bgra.size()), b(c.bgra.size());
        BlendCanvasOverBackground(c, 0x00336699, a.data());
        BlendRgbaOverBackground(rgba, 0x00336699, b.data());
        EXPECT_EQ(a, b) << k.width << " " << k.translucentEvery;
    }
}

TEST(Canvas, ChangedBoundsHoldEveryDifferingPixel) {
    const Canvas a = MakeCanvas(40, 30, 5, true);
    struct Case {
        const char* name;
        std::vector<std::pair<uint32_t, uint32_t>> changed;  // x, y
        PixelBounds want;
    } cases[] = {
        {"equal", {}, {}},
        {"one pixel", {{7, 4}}, {7, 4, 8, 5}},
        {"corners", {{39, 0}, {0, 29}}, {0, 0, 40, 30}},
        // Later rows widen the columns found on earlier ones.
        {"wider below", {{20, 3}, {2, 10}, {25, 12}}, {2, 3, 26, 13}},
    };
    for (const Case& k : cases) {
        Canvas b = a;
        for (auto [x, y] : k.changed) b.bgra[(size_t(y) * 40 + x) * 4 + 3] ^= 1;
        const PixelBounds got = ChangedBounds(a.bgra.data(), b.bgra.data(), 40, 30);
        EXPECT_EQ(k.want.Empty(), got.Empty()) << k.name;
        if (k.want.Empty()) continue;
        EXPECT_TRUE(got.left == k.want.left && got.top == k.want.top && got.right == k.want.right &&
                    got.bottom == k.want.bottom)
            << k.name << ": " << got.left << "," << got.top << " " << got.right << "," << got.bottom;
    }
}

TEST(PictureCache, KeysTellBytesApartAndEntriesFollowTheirUse) {
    std::vector<uint8_t> one(4096, 7), two = one;
    two[2000] = 8;
    EXPECT_FALSE(KeyOf(one) == KeyOf(two));  // same size, other bytes
    EXPECT_TRUE(KeyOf(one) == KeyOf(std::vector<uint8_t>(one)));

    auto canvas = [](uint32_t w) { return std::make_shared<Canvas>(MakeCanvas(w, 1, w, false)); };
    PictureCache cache({3, 4 * 100});
    cache.Insert(KeyOf(one), canvas(10), CacheUse::Keep);
    cache.Insert(KeyOf(two), canvas(11), CacheUse::Once);
    EXPECT_FALSE(cache.Find(KeyOf(std::vector<uint8_t>(4096, 9))));
    ASSERT_TRUE(cache.Find(KeyOf(two)));
    EXPECT_FALSE(cache.Find(KeyOf(two))) << "a once entry leaves when found";
    ASSERT_TRUE(cache.Find(KeyOf(one)));
    EXPECT_TRUE(cache.Find(KeyOf(one))) << "a kept entry stays";

    // Room is made from the least recently used end, by count and by bytes.
    std::vector<uint8_t> k[4] = {{1}, {2}, {3}, {4}};
    cache.Clear();
    for (auto& key : k) cache.Insert(KeyOf(key), canvas(20), CacheUse::Keep);
    EXPECT_EQ(3u, cache.Entries());
    EXPECT_FALSE(cache.Find(KeyOf(k[0])));
    cache.Find(KeyOf(k[1]));
    cache.Insert(KeyOf(one), canvas(60), CacheUse::Once);  // 240 bytes: only k[1] (80) still fits
    EXPECT_TRUE(cache.Find(KeyOf(k[1])));
    EXPECT_FALSE(cache.Find(KeyOf(k[2])));
    EXPECT_LE(cache.Bytes(), 400u);
    cache.Insert(KeyOf(two), canvas(101), CacheUse::Once);  // larger than the whole budget
    EXPECT_FALSE(cache.Find(KeyOf(two)));
    cache.Insert(KeyOf(two), canvas(51), CacheUse::Keep);  // a kept one over half of it
    EXPECT_FALSE(cache.Find(KeyOf(two)));
    cache.Insert(KeyOf(two), canvas(51), CacheUse::Once);
    EXPECT_TRUE(cache.Find(KeyOf(two)));

    // Bytes alone make room as well, the newcomer's own counted: the budget holds.
    PictureCache roomy({10, 4 * 100});
    for (auto& key : k) roomy.Insert(KeyOf(key), canvas(20), CacheUse::Keep);  // 320 bytes
    roomy.Insert(KeyOf(one), canvas(60), CacheUse::Once);                       // 240 more
    EXPECT_LE(roomy.Bytes(), 400u);
    EXPECT_TRUE(roomy.Find(KeyOf(one)));
    EXPECT_TRUE(roomy.Find(KeyOf(k[3]))) << "only as much is pushed out as needed";
}

TEST(ScaleBgra, ShrinksByAreaAndKeepsThinLines) {
    // A one-pixel white column in black survives a shrink by 1.8 as a grey column.
    const int sw = 180, sh = 40, dw = 100, dh = 22;
    std::vector<uint8_t> src(size_t(sw) * sh * 4, 0);
    for (int y = 0; y < sh; ++y)
        for (int c = 0; c < 4; ++c) src[(size_t(y) * sw + 91) * 4 + c] = 255;
    auto out = ScaleBgra(src.data(), sw, sh, dw, dh);
    ASSERT_EQ(size_t(dw) * dh * 4, out.size());
    int brightest = 0, sum = 0;
    for (int x = 0; x < dw; ++x) {
        brightest = std::max<int>(brightest, out[(size_t(10) * dw + x) * 4]);
        sum += out[(size_t(10) * dw + x) * 4];
    }
    EXPECT_GE(brightest, 255 * 10 / 36);  // at worst split evenly over two target pixels
    EXPECT_NEAR(255 * 10 / 18, sum, 2);   // its light is kept, not dropped or doubled

    // Two pixels, black and white, average to mid grey; a solid colour stays solid both ways.
    const uint8_t pair[8] = {0, 0, 0, 255, 255, 255, 255, 255};
    EXPECT_EQ(128, ScaleBgra(pair, 2, 1, 1, 1)[0]);
    const uint8_t solid[4] = {10, 200, 30, 255};
    for (auto size : {std::pair{1, 1}, std::pair{7, 3}}) {
        auto up = ScaleBgra(solid, 1, 1, size.first, size.second);
        for (size_t i = 0; i < up.size(); i += 4) ASSERT_EQ(0, std::memcmp(&up[i], solid, 4));
    }
    EXPECT_TRUE(ScaleBgra(solid, 1, 1, 0, 5).empty());
}
