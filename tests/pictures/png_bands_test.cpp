// Deflate streams packed apart and joined, and PNGs packed in bands: what is
// joined inflates to what was packed, and bands taken from an earlier packing
// give the bytes a fresh packing gives.
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <algorithm>
#include <string>
#include <thread>
#include "runtime/pictures/deflate_join.h"
#include "runtime/pictures/png_bands.h"
#include "runtime/pictures/png_encode.h"

using namespace imprinta::picture;

namespace {

std::vector<uint8_t> Deflated(const std::vector<uint8_t>& data, int level) {
    libdeflate_compressor* c = libdeflate_alloc_compressor(level);
    std::vector<uint8_t> out(libdeflate_deflate_compress_bound(c, data.size()));
    out.resize(libdeflate_deflate_compress(c, data.data(), data.size(), out.data(), out.size()));
    libdeflate_free_compressor(c);
    return out;
}

std::vector<uint8_t> Noise(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v) b = uint8_t((seed = seed * 1103515245u + 12345u) >> 23);
    return v;
}

std::vector<uint8_t> Prose(size_t n) {
    const std::string words = "the quick brown fox jumps over the lazy dog, 0123456789 times; ";
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(words[(i * 7 + i / 97) % words.size()]);
    return v;
}

std::vector<uint8_t> Twice(std::vector<uint8_t> v) {
    v.insert(v.end(), v.begin(), v.end());
    return v;
}

// A photo-like picture: gradients with grain (packs to about a third).
Canvas Photo(uint32_t w, uint32_t h, bool alpha) {
    Canvas c{w, h, Noise(size_t(w) * h * 4, w + h)};
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &c.bgra[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(x + (p[0] & 15)), p[1] = uint8_t(y + (p[1] & 15)), p[2] = uint8_t(x + y);
            if (!alpha) p[3] = 255;
        }
    return c;
}

}  // namespace

TEST(DeflateJoin, JoinedStreamsInflateToTheirInputsInOrder) {
    struct Case {
        const char* name;
        std::vector<std::vector<uint8_t>> parts;
        int level;
    } cases[] = {
        {"stored blocks", {Noise(70000, 1), Noise(3, 2), Noise(65535, 3)}, 0},
        {"fixed codes", {{'a', 'b'}, {'a'}, {'z', 'z', 'z'}}, 6},
        {"dynamic codes", {Prose(300000), Prose(5000), Prose(1)}, 10},
        {"mixed", {Noise(20000, 4), Prose(100000), {}, Noise(1, 5)}, 1},
        {"far matches", {Twice(Noise(30000, 6)), Twice(Noise(20000, 7))}, 10},
    };
    for (const Case& k : cases) {
        std::vector<uint8_t> joined, whole;
        for (size_t i = 0; i < k.parts.size(); ++i) {
            DeflateSegment s{Deflated(k.parts[i], k.level)};
            ASSERT_TRUE(FindFinalBlock(s)) << k.name << " part " << i;
            AppendSegment(joined, s, i + 1 == k.parts.size());
            whole.insert(whole.end(), k.parts[i].begin(), k.parts[i].end());
        }
        std::vector<uint8_t> back(whole.size() + 1);
        size_t got = 0;
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        const auto result = libdeflate_deflate_decompress(d, joined.data(), joined.size(), back.data(), back.size(), &got);
        libdeflate_free_decompressor(d);
        EXPECT_EQ(LIBDEFLATE_SUCCESS, result) << k.name;
        back.resize(got);
        EXPECT_TRUE(back == whole) << k.name;
    }
    // What is no whole stream is refused.
    DeflateSegment cut{Deflated(Prose(50000), 10)};
    cut.bytes.resize(cut.bytes.size() / 2);
    EXPECT_FALSE(FindFinalBlock(cut));
    DeflateSegment reserved{{0x07}};  // a final block of the reserved type
    EXPECT_FALSE(FindFinalBlock(reserved));
}

TEST(PngBands, BandsReadBackAndThoseTakenFromBeforeGiveTheFreshBytes) {
    struct Shape {
        uint32_t w, h;
        bool alpha;
    } shapes[] = {{50, 300, false}, {37, 100, true}, {64, kPngBandRows * 3, false}};
    for (const Shape& s : shapes) {
        Canvas before = Photo(s.w, s.h, s.alpha);
        // The second band's first row repeats the row above, so it is filtered against it.
        if (s.h > kPngBandRows)
            std::copy_n(before.bgra.begin() + size_t(kPngBandRows - 1) * before.Stride(), before.Stride(),
                        before.bgra.begin() + size_t(kPngBandRows) * before.Stride());
        PngBandCache cache;
        const std::vector<uint8_t> first = EncodePngInBands(before, kSmallLevel, &cache);
        auto back = DecodePng(first);
        ASSERT_TRUE(back) << s.w << "x" << s.h;
        std::vector<uint8_t> rgba = before.bgra;
        for (size_t i = 0; i < rgba.size(); i += 4) std::swap(rgba[i], rgba[i + 2]);
        EXPECT_TRUE(back->pixels == rgba) << s.w << "x" << s.h;
        EXPECT_EQ(s.alpha ? 6 : 2, first[25]) << "colour type";
        // The last row of a band changed: that band and the next (whose first
        // row is filtered against it) are packed again, the others taken.
        Canvas after = before;
        const uint32_t row = std::min(s.h, kPngBandRows) - 1;
        for (uint32_t x = 0; x < s.w / 2; ++x) std::fill_n(&after.bgra[(size_t(row) * s.w + x) * 4], 3, 200);
        EXPECT_EQ(EncodePngInBands(after, kSmallLevel, nullptr), EncodePngInBands(after, kSmallLevel, &cache))
            << s.w << "x" << s.h;
    }
}

TEST(PngBands, APictureThatPacksVerySmallIsPackedWhole) {
    Canvas flat{300, 400, std::vector<uint8_t>(300 * 400 * 4, 255)};
    PngBandCache cache;
    EXPECT_EQ(EncodePng(flat, {PngCompression::Small, kSmallLevel}), EncodePngInBands(flat, kSmallLevel, &cache));
    EXPECT_EQ(EncodePng(flat, {PngCompression::Small, kSmallLevel}), EncodePngInBands(flat, kSmallLevel, &cache));
}

// Posters of one template packed at once (a batch's threads): each waits for
// the one under way that shares its bands, and each gets the fresh bytes.
TEST(PngBands, PackingsAtOnceEachGiveTheFreshBytes) {
    const Canvas base = Photo(64, kPngBandRows * 4, false);
    std::vector<Canvas> posters(4, base);
    for (size_t k = 0; k < posters.size(); ++k)
        for (uint32_t x = 0; x < 20; ++x) std::fill_n(&posters[k].bgra[(size_t(10 + 90 * k) * 64 + x) * 4], 3, uint8_t(k * 50));
    PngBandCache cache;
    std::vector<std::vector<uint8_t>> got(posters.size());
    std::vector<std::thread> threads;
    for (size_t k = 0; k < posters.size(); ++k)
        threads.emplace_back([&, k] { got[k] = EncodePngInBands(posters[k], kSmallLevel, &cache); });
    for (std::thread& t : threads) t.join();
    for (size_t k = 0; k < posters.size(); ++k)
        EXPECT_EQ(EncodePngInBands(posters[k], kSmallLevel, nullptr), got[k]) << "poster " << k;
}

// A batch goes round its templates: each template's bands are still there
// when its next poster comes.
TEST(PngBands, EachTemplateKeepsItsBandsWhileOthersArePacked) {
    PngBandCache cache;
    std::vector<Canvas> templates;
    for (uint32_t t = 0; t < 3; ++t) templates.push_back(Photo(64 + t, kPngBandRows * 4, false));
    for (int row = 0; row < 2; ++row)
        for (const Canvas& t : templates) {
            Canvas poster = t;
            for (uint32_t x = 0; x < 20; ++x) std::fill_n(&poster.bgra[(size_t(300) * t.width + x) * 4], 3, uint8_t(row * 99));
            size_t packed = 0;
            EXPECT_EQ(EncodePngInBands(poster, kSmallLevel, nullptr), EncodePngInBands(poster, kSmallLevel, &cache, &packed));
            // Row 300 lies inside the third band: only that one is packed again.
            EXPECT_EQ(row == 0 ? 4u : 1u, packed) << "row " << row << ", template " << t.width;
        }
}
