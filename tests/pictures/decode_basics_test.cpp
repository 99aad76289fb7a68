// Hand-made pictures: format recognition, the PNG blend, and the input
// classes that decoders commonly get wrong (sizes that overflow, indices past
// tables, runs past rows, codes past the LZW table, frames off the screen).
#include <gtest/gtest.h>
#include <set>
#include "pictures/corpus_support.h"

using namespace imprinta::picture;
using namespace pictest;

namespace {

// A bottom-up BMP with a 40-byte info header.
Bytes Bmp(int32_t w, int32_t h, uint16_t bpp, uint32_t compression, const std::vector<uint8_t>& palette,
          const std::vector<uint8_t>& pixels, uint32_t coloursUsed = 0) {
    Bytes b;
    uint32_t off = 14 + 40 + uint32_t(palette.size());
    b.str("BM").u32(off + uint32_t(pixels.size())).u32(0).u32(off);
    b.u32(40).u32(uint32_t(w)).u32(uint32_t(h)).u16(1).u16(bpp).u32(compression).u32(uint32_t(pixels.size()))
        .u32(2835).u32(2835).u32(coloursUsed).u32(0);
    b.raw(palette).raw(pixels);
    return b;
}

// GIF with a global table of `colours` (power of two) entries, one GCE and one
// image whose LZW data is given raw (already split into sub-blocks by us).
struct GifBuilder {
    Bytes b;
    GifBuilder(uint16_t w, uint16_t h, int colourBits) {
        b.str("GIF89a").u16(w).u16(h).u8(0x80 | (colourBits - 1)).u8(0).u8(0);
        for (int i = 0; i < (1 << colourBits); ++i) b.u8(i * 40).u8(255 - i * 40).u8(i * 20);
    }
    GifBuilder& Gce(int disposal, bool transparent, uint16_t delay, uint8_t index) {
        b.u8('!').u8(0xF9).u8(4).u8((disposal << 2) | (transparent ? 1 : 0)).u16(delay).u8(index).u8(0);
        return *this;
    }
    GifBuilder& Image(uint16_t x, uint16_t y, uint16_t w, uint16_t h, int minCode, const std::vector<uint8_t>& lzw) {
        b.u8(',').u16(x).u16(y).u16(w).u16(h).u8(0).u8(minCode);
        for (size_t i = 0; i < lzw.size(); i += 255) {
            size_t n = std::min<size_t>(255, lzw.size() - i);
            b.u8(uint8_t(n));
            b.v.insert(b.v.end(), lzw.begin() + i, lzw.begin() + i + n);
        }
        b.u8(0);
        return *this;
    }
    std::vector<uint8_t> Done() { b.u8(';'); return b.v; }
};

// Packs codes LSB-first with the GIF code-size growth rule, for tests that
// need exact control over the code stream.
std::vector<uint8_t> PackCodes(const std::vector<int>& codes, int minCode, bool growTable = true) {
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int bits = 0, size = minCode + 1, next = (1 << minCode) + 2;
    bool first = true;
    for (int c : codes) {
        acc |= uint32_t(c) << bits;
        bits += size;
        while (bits >= 8) { out.push_back(uint8_t(acc)); acc >>= 8; bits -= 8; }
        if (c == (1 << minCode)) { size = minCode + 1; next = (1 << minCode) + 2; first = true; continue; }
        if (c == (1 << minCode) + 1) continue;
        if (!first && growTable && next < 4096) ++next;
        first = false;
        if (next == (1 << size) && size < 12) ++size;
    }
    if (bits) out.push_back(uint8_t(acc));
    return out;
}

}  // namespace

TEST(Sniffing, RecognisesEachFormatInOrderAndRefusesShortData) {
    struct Case { std::vector<uint8_t> bytes; PictureFormat format; } cases[] = {
        {{0xFF, 0xD8, 0xFF, 0xE0, 0, 0}, PictureFormat::Jpeg},
        {{'B', 'M', 0, 0, 0, 0}, PictureFormat::Bmp},
        {{0x89, 'P', 'N', 'G', 13, 10, 26, 10}, PictureFormat::Png},
        {{0, 0, 1, 0, 1, 0}, PictureFormat::Ico},
        {{0, 0, 2, 0, 3, 0}, PictureFormat::Cur},
        {{0, 0, 1, 0, 0, 0}, PictureFormat::Unknown},  // icon with no images
        {{'G', 'I', 'F', '8', '7', 'a'}, PictureFormat::Gif},
        {{'G', 'I', 'F', '8', '9', 'a'}, PictureFormat::Gif},
        {{'G', 'I', 'F', '8', '8', 'a'}, PictureFormat::Unknown},
        {{0x0A, 5, 1, 8, 0, 0}, PictureFormat::Pcx8},
        {{0x0A, 0, 1, 8, 0, 0}, PictureFormat::Pcx8},
        {{0x0A, 6, 1, 8, 0, 0}, PictureFormat::Unknown},
        {{0x0A, 3, 1, 1, 0, 0}, PictureFormat::Pcx1},
        {{0x0A, 5, 1, 1, 0, 0}, PictureFormat::Unknown},  // 1-bit needs version 3
        {{0x0A, 3, 0, 1, 0, 0}, PictureFormat::Unknown},  // not run-length encoded
        {{'B', 'M', 0, 0, 0}, PictureFormat::Unknown},    // five bytes are never a picture
        {{}, PictureFormat::Unknown},
    };
    for (const Case& c : cases) EXPECT_EQ(SniffPictureFormat(c.bytes), c.format) << testing::PrintToString(c.bytes);
    // JPEG wins over everything after it: a file starting FF D8 is JPEG even if garbage follows.
    EXPECT_FALSE(DecodePicture(std::vector<uint8_t>{0xFF, 0xD8, 'B', 'M', 0, 0, 0, 0}).has_value());
    for (size_t n = 0; n <= 5; ++n) EXPECT_FALSE(DecodePicture(std::vector<uint8_t>(n, 'B')).has_value());
}

TEST(PngBlend, PartialAlphaMixesWithBackgroundOpaqueKept) {
    DecodedPicture p;
    p.format = PictureFormat::Png;
    p.width = 3;
    p.height = 1;
    p.pixelFormat = PixelFormat::Rgba32;
    p.stride = 12;
    p.pixels = {255, 0, 0, 128, /**/ 10, 20, 30, 255, /**/ 200, 100, 50, 0};
    uint8_t out[12];
    BlendRgbaOverBackground(p, 0x00FFFFFF, out);  // white
    EXPECT_EQ(out[2], 255);                       // red channel (BGRA order)
    EXPECT_GE(out[1], 126);
    EXPECT_LE(out[1], 127);
    EXPECT_EQ(out[1], out[0]);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ((std::vector<uint8_t>{out[4], out[5], out[6]}), (std::vector<uint8_t>{30, 20, 10}));
    BlendRgbaOverBackground(p, 0x00336699, out);  // fully transparent pixel shows the background
    EXPECT_EQ((std::vector<uint8_t>{out[8], out[9], out[10]}), (std::vector<uint8_t>{0x33, 0x66, 0x99}));
}

TEST(BmpDecode, LayoutsPalettesAndBadHeaders) {
    // 2x2, 24-bit, bottom-up, rows padded to 8 bytes.
    Bytes rgb = Bmp(2, 2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0, /**/ 7, 8, 9, 10, 11, 12, 0, 0});
    auto p = DecodePicture(rgb.v);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->format, PictureFormat::Bmp);
    EXPECT_EQ(p->pixelFormat, PixelFormat::Bgr24);
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));  // top row first

    // Top-down: negative height keeps file order.
    Bytes td = Bmp(1, -2, 24, 0, {}, {1, 2, 3, 0, 4, 5, 6, 0});
    p = DecodePicture(td.v);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));

    // 8-bit with a 2-colour table: index 1 is white, index 200 lies past the table and is black.
    std::vector<uint8_t> pal = {0, 0, 0, 0, 255, 255, 255, 0};
    Bytes p8 = Bmp(2, 1, 8, 0, pal, {1, 200, 0, 0}, 2);
    p = DecodePicture(p8.v);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{255, 255, 255, 0, 0, 0}));

    // A colour count far above the bit depth is clamped, not trusted.
    Bytes big = Bmp(2, 1, 1, 0, pal, {0x40, 0, 0, 0}, 0x7FFFFFFF);
    p = DecodePicture(big.v);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{0, 0, 0, 255, 255, 255}));

    // 60 bytes declaring 60000 x 60000 x 32 bits: refused without allocating.
    Bytes huge = Bmp(60000, 60000, 32, 0, {}, {1, 2, 3, 4, 5, 6});
    EXPECT_FALSE(DecodePicture(huge.v).has_value());
    // Width * bits overflowing 32 bits.
    Bytes wrap = Bmp(0x7FFFFFFF, 1, 32, 0, {}, {1, 2, 3, 4});
    EXPECT_FALSE(DecodePicture(wrap.v).has_value());
    // Pixel rows cut short.
    Bytes cut = Bmp(4, 4, 24, 0, {}, std::vector<uint8_t>(40, 7));
    EXPECT_FALSE(DecodePicture(cut.v).has_value());
    // Bad depth, embedded JPEG, zero width.
    EXPECT_FALSE(DecodePicture(Bmp(1, 1, 7, 0, {}, {0, 0, 0, 0}).v).has_value());
    EXPECT_FALSE(DecodePicture(Bmp(1, 1, 24, 4, {}, {0, 0, 0, 0}).v).has_value());
    EXPECT_FALSE(DecodePicture(Bmp(0, 1, 24, 0, {}, {0, 0, 0, 0}).v).has_value());

    // 16-bit bit fields 5-6-5: pure green.
    Bytes bf;
    bf.str("BM").u32(0).u32(0).u32(14 + 40 + 12);
    bf.u32(40).u32(1).u32(1).u16(1).u16(16).u32(3).u32(4).u32(0).u32(0).u32(0).u32(0);
    bf.u32(0xF800).u32(0x07E0).u32(0x001F).u16(0x07E0).u16(0);
    p = DecodePicture(bf.v);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{0, 255, 0}));
}

TEST(BmpDecode, RunLengthRunsAndDeltasStayInsideThePicture) {
    std::vector<uint8_t> pal(256 * 4, 0);
    for (int i = 0; i < 256; ++i) pal[i * 4 + 2] = uint8_t(i);  // red = index
    // 3x2 RLE8: bottom row: a run of 10 (clipped to 3) of index 9, end of line;
    // top row: delta far right and down (leaves the picture) then a run.
    std::vector<uint8_t> rle = {10, 9, 0, 0, 0, 2, 200, 200, 3, 5, 0, 1};
    auto p = DecodePicture(Bmp(3, 2, 8, 1, pal, rle).v);
    ASSERT_TRUE(p.has_value());
    std::vector<uint8_t> expect = {0, 0, 0, 0, 0, 0, 0, 0, 0, /**/ 0, 0, 9, 0, 0, 9, 0, 0, 9};
    EXPECT_EQ(p->pixels, expect);
    // Absolute run longer than the data: decoding stops, no read past the end.
    p = DecodePicture(Bmp(3, 1, 8, 1, pal, {0, 200, 1, 2}).v);
    ASSERT_TRUE(p.has_value());
    // RLE4 absolute run: nibbles 1,2,3 then end of bitmap.
    p = DecodePicture(Bmp(3, 1, 4, 2, std::vector<uint8_t>(pal.begin(), pal.begin() + 64), {0, 3, 0x12, 0x30, 0, 1}).v);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{0, 0, 1, 0, 0, 2, 0, 0, 3}));
}

TEST(GifDecode, LzwEdgeCases) {
    // 4x1 with 2-bit codes: clear, 1, 2, 3, 0, end.
    auto ok = GifBuilder(4, 1, 2).Image(0, 0, 4, 1, 2, PackCodes({4, 1, 2, 3, 0, 5}, 2)).Done();
    auto p = DecodePicture(ok);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{1, 2, 3, 0}));
    EXPECT_EQ(p->palette.size(), 256u);

    // Minimum code size 12 is beyond the format: the image is refused.
    auto big = GifBuilder(4, 1, 2).Image(0, 0, 4, 1, 12, {0, 0, 0}).Done();
    EXPECT_FALSE(DecodePicture(big).has_value());

    // A code beyond the table ends the image; the pixels before it stay.
    auto beyond = GifBuilder(4, 1, 2).Image(0, 0, 4, 1, 2, PackCodes({4, 1, 7, 2}, 2)).Done();
    p = DecodePicture(beyond);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixels[0], 1);
    EXPECT_EQ(p->pixels[1], 0);

    // No clear code at all, and strings longer than the pixels left: clipped.
    auto noclear = GifBuilder(3, 1, 2).Image(0, 0, 3, 1, 2, PackCodes({1, 1, 6, 6, 5}, 2)).Done();
    p = DecodePicture(noclear);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{1, 1, 1}));

    // Codes for the entry being made (2 then "22"; 1 then "11"), whole and
    // clipped by the picture's end.
    for (uint32_t width : {6u, 5u}) {
        auto self = GifBuilder(width, 1, 2).Image(0, 0, width, 1, 2, PackCodes({4, 2, 6, 1, 8, 5}, 2)).Done();
        p = DecodePicture(self);
        ASSERT_TRUE(p.has_value());
        std::vector<uint8_t> want = {2, 2, 2, 1, 1, 1};
        want.resize(width);
        EXPECT_EQ(p->pixels, want) << width;
    }

    // A table filled to 4096 entries without a clear keeps decoding, frozen.
    std::vector<int> codes = {256};
    for (int i = 0; i < 5000; ++i) codes.push_back(i % 7);
    codes.push_back(257);
    auto full = GifBuilder(5000, 1, 8).Image(0, 0, 5000, 1, 8, PackCodes(codes, 8)).Done();
    p = DecodePicture(full);
    ASSERT_TRUE(p.has_value());
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(p->pixels[i], i % 7) << i;
}

TEST(GifDecode, HugeScreensFramesOffScreenAndBudgets) {
    // 65535 x 65535 logical screen in a few dozen bytes: refused, no giant allocation.
    auto huge = GifBuilder(65535, 65535, 1).Image(0, 0, 1, 1, 2, PackCodes({4, 1, 5}, 2)).Done();
    EXPECT_LT(huge.size(), 60u);
    EXPECT_FALSE(DecodePicture(huge).has_value());
    EXPECT_FALSE(DecodeGifAnimation(huge).has_value());

    // An image reaching past the screen grows the picture (as GDI+ sizes it);
    // an animation keeps to the screen and clips the frame.
    auto off = GifBuilder(2, 2, 2).Image(1, 1, 2, 2, 2, PackCodes({4, 1, 1, 1, 1, 5}, 2)).Done();
    auto p = DecodePicture(off);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{0, 0, 0, 0, 1, 1, 0, 1, 1}));
    auto clipped = DecodeGifAnimation(off);
    ASSERT_TRUE(clipped.has_value());
    EXPECT_EQ(clipped->width, 2u);

    // Many frames of a large canvas: the whole pass is held to the budget.
    GifBuilder many(4000, 4000, 1);
    for (int i = 0; i < 40; ++i) many.Gce(1, false, 1, 0).Image(0, 0, 1, 1, 2, PackCodes({4, 1, 5}, 2));
    DecodeLimits small;
    small.maxTotalBytes = 200u << 20;  // 64 MB a canvas: three fit
    auto anim = DecodeGifAnimation(many.Done(), small);
    ASSERT_TRUE(anim.has_value());
    EXPECT_LE(anim->frames.size(), 3u);
    EXPECT_GE(anim->frames.size(), 2u);
}

TEST(GifAnimation, ReaderLoopsDisposalAndDelays) {
    // Frame 1 (delay 0) covers the screen with colour 1; frame 2 (delay 10,
    // restore previous) paints one pixel 2; frame 3 draws nothing new over pixel 3.
    GifBuilder g(2, 2, 2);
    g.Gce(1, false, 0, 0).Image(0, 0, 2, 2, 2, PackCodes({4, 1, 1, 1, 1, 5}, 2));
    g.Gce(3, false, 10, 0).Image(0, 0, 1, 1, 2, PackCodes({4, 2, 5}, 2));
    g.Gce(2, true, 3, 3).Image(1, 1, 1, 1, 2, PackCodes({4, 3, 5}, 2));
    std::vector<uint8_t> data = g.Done();
    GifReader r;
    ASSERT_TRUE(r.Open(data));
    auto f1 = r.NextFrame();
    ASSERT_TRUE(f1.has_value());
    EXPECT_EQ(f1->DelayMilliseconds(), 50u);
    EXPECT_TRUE(r.MoreFramesFollow());
    auto f2 = r.NextFrame();
    ASSERT_TRUE(f2.has_value());
    EXPECT_EQ(f2->DelayMilliseconds(), 100u);
    EXPECT_EQ(f2->disposal, 3);
    auto f3 = r.NextFrame();
    ASSERT_TRUE(f3.has_value());
    EXPECT_FALSE(r.MoreFramesFollow());
    // After the trailer the reader starts over with the first frame.
    auto again = r.NextFrame();
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->indices, f1->indices);
    EXPECT_EQ(r.Passes(), 1u);

    GifCompositor c;
    ASSERT_TRUE(c.Reset(2, 2, Rgb{9, 9, 9}));
    auto px = [&](int i) { return std::vector<uint8_t>(c.Canvas().begin() + i * 4, c.Canvas().begin() + i * 4 + 4); };
    c.Draw(*f1);
    EXPECT_EQ(px(0), (std::vector<uint8_t>{40, 215, 20, 255}));
    c.Draw(*f2);
    EXPECT_EQ(px(0), (std::vector<uint8_t>{80, 175, 40, 255}));
    c.Draw(*f3);  // undoes frame 2 (restore previous); frame 3 is transparent
    EXPECT_EQ(px(0), (std::vector<uint8_t>{40, 215, 20, 255}));
    EXPECT_EQ(px(3), (std::vector<uint8_t>{40, 215, 20, 255}));
    c.Draw(*again);  // frame 3 restored its area to the canvas fill first

    // A block running past the end yields no frame; the next call starts over.
    std::vector<uint8_t> cut(data.begin(), data.end() - 12);
    GifReader rc;
    ASSERT_TRUE(rc.Open(cut));
    EXPECT_TRUE(rc.NextFrame().has_value());
    EXPECT_TRUE(rc.NextFrame().has_value());
    EXPECT_FALSE(rc.NextFrame().has_value());
    EXPECT_TRUE(rc.NextFrame().has_value());
    // A GIF without any image: one rewind, then nothing (the player must not spin).
    std::vector<uint8_t> empty = GifBuilder(1, 1, 1).Done();
    GifReader re;
    ASSERT_TRUE(re.Open(empty));
    EXPECT_FALSE(re.NextFrame().has_value());
    EXPECT_FALSE(re.MoreFramesFollow());
    EXPECT_FALSE(DecodePicture(empty).has_value());
    // An unknown block byte ends reading too.
    std::vector<uint8_t> junk = GifBuilder(1, 1, 1).Done();
    junk.back() = 'x';
    GifReader rj;
    ASSERT_TRUE(rj.Open(junk));
    EXPECT_FALSE(rj.NextFrame().has_value());
    // A colour table that does not fit in the data: the header is refused.
    std::vector<uint8_t> table = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x87, 0, 0, 1, 2, 3};
    EXPECT_FALSE(rj.Open(table));
}

TEST(IconDecode, DirectoryRuleAndUntrustedEntries) {
    // Entries: 16 wide 256 colours, 32 wide 16 colours (chosen), 48 wide.
    auto dibEntry = [](uint32_t w) {
        Bytes d;
        d.u32(40).u32(w).u32(w * 2).u16(1).u16(32).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
        for (uint32_t i = 0; i < w * w; ++i) d.u8(w).u8(0).u8(0).u8(255);
        d.fill(size_t(((w + 31) / 32) * 4 * w), 0);
        return d.v;
    };
    std::vector<std::vector<uint8_t>> images = {dibEntry(16), dibEntry(32), dibEntry(48)};
    uint8_t colours[] = {0, 16, 0};
    auto build = [&](uint16_t type) {
        Bytes f;
        f.u16(0).u16(type).u16(3);
        uint32_t off = 6 + 16 * 3;
        for (int i = 0; i < 3; ++i) {
            uint32_t w = i == 0 ? 16 : i == 1 ? 32 : 48;
            f.u8(w).u8(w).u8(colours[i]).u8(0).u16(type == 2 ? 5 : 1).u16(type == 2 ? 7 : 32)
                .u32(uint32_t(images[i].size())).u32(off);
            off += uint32_t(images[i].size());
        }
        for (auto& im : images) f.raw(im);
        return f.v;
    };
    auto ico = DecodePicture(build(1));
    ASSERT_TRUE(ico.has_value());
    EXPECT_EQ(ico->format, PictureFormat::Ico);
    EXPECT_EQ(ico->width, 32u);
    EXPECT_EQ(ico->pixels[2], 32);  // blue byte of the chosen image (RGBA)
    EXPECT_EQ(ico->iconImage, images[1]);
    auto cur = DecodePicture(build(2));
    ASSERT_TRUE(cur.has_value());
    EXPECT_EQ(cur->format, PictureFormat::Cur);
    EXPECT_EQ(cur->iconEntry.planesOrHotX, 5);
    EXPECT_EQ(cur->iconEntry.bitCountOrHotY, 7);
    // Without a 32-wide entry of more than 15 colours the last entry is used.
    colours[1] = 15;
    ico = DecodePicture(build(1));
    ASSERT_TRUE(ico.has_value());
    EXPECT_EQ(ico->width, 48u);
    // An entry past the end of the file, or one whose size wraps, is refused.
    std::vector<uint8_t> f = build(1);
    std::vector<uint8_t> bad = f;
    bad[6 + 32 + 12] = 0xFF;  // offset of the last entry far past the end
    EXPECT_FALSE(DecodePicture(bad).has_value());
    bad = f;
    bad[6 + 32 + 8 + 3] = 0xFF;  // size near 4 GB
    bad[6 + 32 + 12 + 3] = 0xFF;
    EXPECT_FALSE(DecodePicture(bad).has_value());
    // An embedded header that lies about its depth or height is checked against the data.
    bad = f;
    size_t lastImage = f.size() - images[2].size();
    bad[lastImage + 8] = 0xFF;  // height 0xFF*... far beyond the bytes
    bad[lastImage + 9] = 0x7F;
    EXPECT_FALSE(DecodePicture(bad).has_value());
}

TEST(PcxDecode, PaletteRunsAndUntrustedHeader) {
    auto header = [](uint8_t version, uint8_t bits, uint16_t w, uint16_t h, uint16_t bpl) {
        Bytes b;
        b.u8(0x0A).u8(version).u8(1).u8(bits).u16(0).u16(0).u16(w - 1).u16(h - 1).u16(72).u16(72);
        b.fill(48, 0).u8(0).u8(1).u16(bpl).u16(1).fill(58, 0);
        return b;
    };
    // 3x2 8-bit, bytes per line 4 (one pad byte), a run crossing the line end.
    Bytes p8 = header(5, 8, 3, 2, 4);
    p8.u8(0xC5).u8(7).u8(1).u8(2).u8(3);
    p8.u8(0x0C);
    for (int i = 0; i < 256; ++i) p8.u8(i).u8(0).u8(255 - i);
    auto p = DecodePicture(p8.v);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->format, PictureFormat::Pcx8);
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{7, 7, 7, 7, 1, 2}));
    EXPECT_EQ(p->palette[7], (Rgb{7, 0, 248}));
    // Bytes per line smaller than the width: refused.
    Bytes narrow = header(5, 8, 10, 1, 4);
    narrow.fill(20, 1);
    EXPECT_FALSE(DecodePicture(narrow.v).has_value());
    // Huge declared size with almost no data: refused by the pixel cap.
    Bytes huge = header(5, 8, 65535, 65535, 65535);
    EXPECT_FALSE(DecodePicture(huge.v).has_value());
    // 1-bit 10x1: bits past the width are cleared.
    Bytes p1 = header(3, 1, 10, 1, 2);
    p1.u8(0xC2).u8(0xFF);
    p = DecodePicture(p1.v);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->pixelFormat, PixelFormat::Mono1);
    EXPECT_EQ(p->pixels, (std::vector<uint8_t>{0xFF, 0xC0}));
}

TEST(PngDecode, HugeHeaderAndBadChunksRefused) {
    // A valid-looking IHDR claiming 100000 x 100000.
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 6, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(DecodePicture(png).has_value());
    png.resize(12);
    EXPECT_FALSE(DecodePicture(png).has_value());
}

TEST(DecodeErrors, EachReasonFromACraftedInput) {
    const std::vector<uint8_t> gifHeader = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
    auto gifThen = [&](uint8_t block) {
        std::vector<uint8_t> g = gifHeader;
        g.push_back(block);
        return g;
    };
    const std::string text = "not a picture";
    struct Case { const char* what; std::vector<uint8_t> bytes; DecodeError error; } cases[] = {
        {"valid", Bmp(1, 1, 24, 0, {}, {1, 2, 3, 0}).v, DecodeError::None},
        {"no bytes", {}, DecodeError::Empty},
        {"text", std::vector<uint8_t>(text.begin(), text.end()), DecodeError::UnknownFormat},
        {"rows missing", Bmp(2, 2, 24, 0, {}, {0, 0, 0, 0}).v, DecodeError::Truncated},
        {"zero width", Bmp(0, 1, 24, 0, {}, {0, 0, 0, 0}).v, DecodeError::BadHeader},
        {"huge", Bmp(100000, 100000, 24, 0, {}, {0, 0, 0, 0}).v, DecodeError::TooLarge},
        {"embedded JPEG", Bmp(1, 1, 24, 4, {}, {0, 0, 0, 0}).v, DecodeError::Unsupported},
        {"unknown GIF block", gifThen('X'), DecodeError::Corrupt},
        {"GIF trailer only", gifThen(';'), DecodeError::NoImage},
    };
    for (const Case& c : cases) {
        DecodeResult r = DecodePicture(c.bytes);
        EXPECT_EQ(r.error(), c.error) << c.what << ": " << r.ErrorText();
        EXPECT_EQ(r.has_value(), c.error == DecodeError::None) << c.what;
    }
    // Allocation failure (OutOfMemory) is driven through the allocation gate in allocation_failure_test.
    std::set<std::string> texts;
    for (int e = int(DecodeError::None); e <= int(DecodeError::OutOfMemory); ++e)
        EXPECT_TRUE(texts.insert(DecodeErrorText(DecodeError(e))).second) << "reason " << e << " shares its text";
}
