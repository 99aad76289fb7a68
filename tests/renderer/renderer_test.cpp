#include <gtest/gtest.h>
#include <windows.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include "app/render/renderer.h"
#include "app/render/gdiplus_path.h"
#include "app/platform/runtime_calls.h"
#include "picture_io.h"
#include "runtime/core/runtime_interface.h"

namespace {

constexpr Rgba kWhite = {255, 255, 255, 255};
constexpr Rgba kClear = {0, 0, 0, 0};
constexpr uint32_t kRed = 0x0000FF;  // 0x00BBGGRR
const char kFont[] = "Tahoma";

void* Draw(const std::vector<uint8_t>& picture, const char* font, int size, uint32_t colour, const char* text,
           int x, int y, int style = app::kFontStyleBold, int alpha = 255) {
    Owned input(ToByteSet(picture));
    return app::DrawTextOnPicture(input.block, font, size, colour, style, alpha,
                                  app::kTextRenderingHintAntiAlias, text, x, y);
}

// Rows holding at least one pixel with visible alpha, grouped into runs.
int InkBands(const Picture& p, bool (*ink)(const Rgba&)) {
    int bands = 0;
    bool inBand = false;
    for (uint32_t y = 0; y < p.height; ++y) {
        bool any = false;
        for (uint32_t x = 0; x < p.width && !any; ++x) any = ink(p.at(x, y));
        if (any && !inBand) ++bands;
        inBand = any;
    }
    return bands;
}

bool Visible(const Rgba& c) { return c.a > 0; }

}  // namespace

TEST(ColorToArgb, SwapsRedAndBlueAndPutsAlphaOnTop) {
    struct Case {
        uint32_t colour;
        int32_t alpha;
        bool given;
        uint32_t argb;
    } cases[] = {
        {0x0000FF, 255, true, 0xFFFF0000},  // red in the Windows colour value
        {0x00FF0000, 255, true, 0xFF0000FF},
        {0x00123456, 0x80, true, 0x80563412},
        {0x00123456, 0, false, 0xFF563412},  // alpha not given: opaque
        {0x7F0000FF, 0x40, true, 0x40FF0000},  // the colour's top byte is discarded
        {0x0000FF, 0x1FF, true, 0xFFFF0000},   // only the low byte of alpha counts
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.argb, app::ColorToArgb(c.colour, c.alpha, c.given)) << std::hex << c.colour;
}

TEST(TextToUtf16, ConvertsAnsiWithTerminatorAndRefusesNothing) {
    ASSERT_EQ(936u, GetACP());
    Owned wide(app::TextToUtf16("A中"));  // GBK bytes in the source's execution charset
    ASSERT_EQ(6u, ByteSetLength(wide.block));
    const uint8_t expected[6] = {'A', 0, 0x2D, 0x4E, 0, 0};
    EXPECT_EQ(0, memcmp(expected, ByteSetData(wide.block), 6));
    EXPECT_EQ(nullptr, app::TextToUtf16(nullptr));
    Owned empty(app::TextToUtf16(""));
    EXPECT_EQ(2u, ByteSetLength(empty.block));
}

TEST(DrawTextOnPicture, RedTextStartsAtItsPointAndIsRed) {
    auto base = EncodePng(SolidPicture(400, 300, kClear));
    Owned out(Draw(base, kFont, 50, kRed, "Hello", 120, 120));
    SaveForInspection(out.block, "text-red-120.png");
    ASSERT_TRUE(EndsWithIend(out.block)) << "PNG data must end with its IEND chunk";
    Picture p;
    ASSERT_TRUE(DecodeByteSet(out.block, &p));
    ASSERT_EQ(400u, p.width);
    ASSERT_EQ(300u, p.height);
    Box ink = BoundingBox(p, Visible);
    ASSERT_FALSE(ink.empty()) << "no text drawn";
    EXPECT_GE(ink.left, 120);
    EXPECT_GE(ink.top, 120);
    EXPECT_LT(ink.left, 140);  // the text begins near its point, not somewhere else
    EXPECT_LT(ink.top, 150);
    EXPECT_GT(ink.width(), 80);  // five bold letters at 50 px
    EXPECT_GT(ink.height(), 25);
    EXPECT_LT(ink.bottom, 120 + 80);
    int solid = 0;
    for (const Rgba& c : p.pixels)
        if (c.a >= 128) {
            ++solid;
            EXPECT_GE(c.r, 250);
            EXPECT_LE(c.g, 5);
            EXPECT_LE(c.b, 5);
        }
    EXPECT_GT(solid, 500);
}

TEST(DrawTextOnPicture, TextBeyondTheEdgeIsClippedAndChineseFontsWork) {
    auto base = EncodePng(SolidPicture(200, 100, kClear));
    // A Chinese family name (mapped to an installed CJK font) and Chinese text.
    Owned out(Draw(base, "宋体", 40, 0x00FF00, "中文标题很长很长很长", 150, 70));
    SaveForInspection(out.block, "text-clipped.png");
    Picture p;
    ASSERT_TRUE(DecodeByteSet(out.block, &p));
    ASSERT_EQ(200u, p.width);
    ASSERT_EQ(100u, p.height);
    Box ink = BoundingBox(p, Visible);
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.left, 150);
    EXPECT_GE(ink.top, 70);
    EXPECT_GT(ink.right, 185);   // the first glyph reaches the right edge...
    EXPECT_EQ(99, ink.bottom);   // ...and is cut by the bottom edge
}

TEST(DrawTextOnPicture, StyleReachesTheFont) {
    auto base = EncodePng(SolidPicture(300, 100, kClear));
    // The CJK family has no bold face: GDI+ emboldens it (Wine's Tahoma ignores the style).
    Owned regular(Draw(base, "宋体", 40, kRed, "Weight", 5, 5, 0));
    Owned bold(Draw(base, "宋体", 40, kRed, "Weight", 5, 5));
    Picture a, b;
    ASSERT_TRUE(DecodeByteSet(regular.block, &a));
    ASSERT_TRUE(DecodeByteSet(bold.block, &b));
    auto ink = [](const Picture& p) {
        long sum = 0;
        for (const Rgba& c : p.pixels) sum += c.a;
        return sum;
    };
    EXPECT_GT(ink(b), ink(a) * 5 / 4) << "bold strokes are heavier";
}

TEST(DrawTextOnPicture, CrLfBreaksLines) {
    auto base = EncodePng(SolidPicture(300, 400, kClear));
    Owned one(Draw(base, kFont, 30, kRed, "Line", 10, 10));
    Owned three(Draw(base, kFont, 30, kRed, "Line\r\nLine\r\nLine", 10, 10));
    SaveForInspection(three.block, "text-three-lines.png");
    Picture a, b;
    ASSERT_TRUE(DecodeByteSet(one.block, &a));
    ASSERT_TRUE(DecodeByteSet(three.block, &b));
    EXPECT_EQ(1, InkBands(a, Visible));
    EXPECT_EQ(3, InkBands(b, Visible));
    Box boxA = BoundingBox(a, Visible), boxB = BoundingBox(b, Visible);
    EXPECT_EQ(boxA.left, boxB.left);  // each line starts at x again
    EXPECT_NEAR(boxA.width(), boxB.width(), 1);  // the line break draws no glyph of its own
    EXPECT_GT(boxB.height(), 2 * boxA.height());

    // An empty line between two lines keeps its height, as the body text's blank lines need.
    Owned two(Draw(base, kFont, 30, kRed, "Line\r\nLine", 10, 10));
    Owned gap(Draw(base, kFont, 30, kRed, "Line\r\n\r\nLine", 10, 10));
    Picture c, d;
    ASSERT_TRUE(DecodeByteSet(two.block, &c));
    ASSERT_TRUE(DecodeByteSet(gap.block, &d));
    EXPECT_EQ(2, InkBands(d, Visible));
    int lineStep = BoundingBox(c, Visible).height() - boxA.height();
    EXPECT_NEAR(BoundingBox(d, Visible).height(), BoundingBox(c, Visible).height() + lineStep, 3);
}

TEST(DrawTextOnPicture, TransparentTemplateStaysTransparentAwayFromText) {
    Picture base = SolidPicture(300, 200, kClear);
    for (uint32_t y = 0; y < 200; ++y)
        for (uint32_t x = 150; x < 300; ++x) base.at(x, y) = {0, 0, 255, 255};
    base.at(20, 150) = {10, 200, 30, 128};  // half-transparent pixel
    Owned out(Draw(EncodePng(base), kFont, 20, kRed, "Hi", 10, 10));
    SaveForInspection(out.block, "text-transparent.png");
    Picture p;
    ASSERT_TRUE(DecodeByteSet(out.block, &p));
    ASSERT_EQ(300u, p.width);
    Box ink = BoundingBox(p, [](const Rgba& c) { return c.a > 0 && c.r > 200 && c.b < 50; });
    ASSERT_FALSE(ink.empty());
    EXPECT_LT(ink.bottom, 60);
    for (uint32_t y = 0; y < 200; ++y)
        for (uint32_t x = 0; x < 300; ++x) {
            if (static_cast<int>(y) <= ink.bottom + 2 && static_cast<int>(x) <= ink.right + 2) continue;
            const Rgba& c = p.at(x, y);
            if (x == 20 && y == 150) {
                EXPECT_NEAR(128, c.a, 1);
                EXPECT_NEAR(200, c.g, 2);
            } else if (x < 150) {
                ASSERT_EQ(0, c.a) << x << "," << y;
            } else {
                ASSERT_TRUE(c.a == 255 && c.b == 255 && c.r == 0) << x << "," << y;
            }
        }
}

// Half alpha: each pixel's coverage, taken from the same text drawn opaque on a
// transparent template, is halved on a transparent template and blends the text
// half-way into an opaque one.
TEST(DrawTextOnPicture, HalfAlphaTextBlendsWithTheTemplate) {
    constexpr int kHalf = 128, kTolerance = 3;
    auto clear = EncodePng(SolidPicture(240, 80, kClear));
    auto white = EncodePng(SolidPicture(240, 80, kWhite));
    Owned opaque(Draw(clear, kFont, 40, kRed, "Alpha", 10, 10));
    Owned onClear(Draw(clear, kFont, 40, kRed, "Alpha", 10, 10, app::kFontStyleBold, kHalf));
    Owned onWhite(Draw(white, kFont, 40, kRed, "Alpha", 10, 10, app::kFontStyleBold, kHalf));
    Picture coverage, a, b;
    ASSERT_TRUE(DecodeByteSet(opaque.block, &coverage));
    ASSERT_TRUE(DecodeByteSet(onClear.block, &a));
    ASSERT_TRUE(DecodeByteSet(onWhite.block, &b));
    int solid = 0, wrongClear = 0, wrongWhite = 0;
    for (size_t i = 0; i < coverage.pixels.size(); ++i) {
        int share = coverage.pixels[i].a * kHalf / 255;  // the text's alpha in this pixel
        solid += coverage.pixels[i].a == 255;
        const Rgba& c = a.pixels[i];
        wrongClear += std::abs(c.a - share) > kTolerance || (share >= 32 && (c.r < 250 || c.g > 5 || c.b > 5));
        const Rgba& d = b.pixels[i];
        wrongWhite += d.a != 255 || d.r < 250 || std::abs(d.g - (255 - share)) > kTolerance ||
                      std::abs(d.b - (255 - share)) > kTolerance;
    }
    EXPECT_GT(solid, 300) << "too little ink to tell";
    EXPECT_EQ(0, wrongClear) << "pixels on the transparent template";
    EXPECT_EQ(0, wrongWhite) << "pixels on the white template";
}

TEST(DrawTextOnPicture, JpegTemplateGivesOpaquePngOfSameSize) {
    Picture base = SolidPicture(321, 123, kWhite);
    for (uint32_t y = 0; y < base.height; ++y)
        for (uint32_t x = 0; x < base.width; ++x) base.at(x, y) = {static_cast<uint8_t>(x), 128, static_cast<uint8_t>(y), 255};
    auto jpeg = EncodeJpeg(base);
    ASSERT_FALSE(jpeg.empty());
    Owned out(Draw(jpeg, kFont, 24, 0xFFFFFF, "JPEG", 5, 5));
    ASSERT_TRUE(EndsWithIend(out.block));
    Picture p;
    ASSERT_TRUE(DecodeByteSet(out.block, &p));
    EXPECT_EQ(321u, p.width);
    EXPECT_EQ(123u, p.height);
    for (const Rgba& c : p.pixels) ASSERT_EQ(255, c.a);
    const Rgba& corner = p.at(300, 100);
    EXPECT_NEAR(128, corner.g, 6);  // the picture itself is copied unscaled
    EXPECT_NEAR(100, corner.b, 8);
}

TEST(DrawTextOnPicture, MissingFontOrSizeGivesThePictureWithoutText) {
    Picture white = SolidPicture(120, 80, kWhite);
    auto base = EncodePng(white);
    struct Case {
        const char* font;
        int size;
        const char* text;
    } cases[] = {
        {"No Such Font Family", 30, "Text"}, {"", 30, "Text"},   {nullptr, 30, "Text"},
        {kFont, 0, "Text"},                  {kFont, -12, "Text"}, {kFont, 30, ""}, {kFont, 30, nullptr},
    };
    for (const Case& c : cases) {
        Owned out(Draw(base, c.font, c.size, 0x000000, c.text, 10, 10));
        Picture p;
        ASSERT_TRUE(DecodeByteSet(out.block, &p)) << (c.font ? c.font : "(null)") << " " << c.size;
        ASSERT_EQ(120u, p.width);
        ASSERT_EQ(80u, p.height);
        int changed = 0;
        for (const Rgba& px : p.pixels) changed += !(px.r == 255 && px.g == 255 && px.b == 255 && px.a == 255);
        EXPECT_EQ(0, changed) << (c.font ? c.font : "(null)") << " size " << c.size;
    }
}

TEST(DrawTextOnPicture, EmptyOrUndecodableBytesGiveEmptyResult) {
    auto png = EncodePng(SolidPicture(50, 50, kWhite));
    std::vector<std::vector<uint8_t>> inputs = {
        {},
        {'n', 'o', 't', ' ', 'p', 'i', 'c'},
        std::vector<uint8_t>(png.begin(), png.begin() + 30),  // cut inside the header chunk
        std::vector<uint8_t>(4096, 0xFF),
    };
    for (size_t i = 0; i < inputs.size(); ++i) {
        void* out = Draw(inputs[i], kFont, 20, kRed, "x", 1, 1);
        EXPECT_EQ(nullptr, out) << "input " << i;
        FreeMemory(out);
    }
    EXPECT_EQ(0u, app::PictureFromBytes(nullptr));
    EXPECT_EQ(nullptr, app::PictureToPng(0));
}

TEST(DrawTextOnPicture, ChainedPassesKeepBothTexts) {
    // The preview draws the title, then the body text onto the first result.
    auto base = EncodePng(SolidPicture(400, 300, kWhite));
    Owned first(Draw(base, kFont, 40, 0x0000FF, "Title", 10, 10));
    Owned second(app::DrawTextOnPicture(first.block, kFont, 30, 0xFF0000, app::kFontStyleBold, 255, 4,
                                        "Body\r\ntext", 10, 150));
    SaveForInspection(second.block, "text-two-passes.png");
    Picture p;
    ASSERT_TRUE(DecodeByteSet(second.block, &p));
    Box red = BoundingBox(p, [](const Rgba& c) { return c.r > 200 && c.g < 80 && c.b < 80; });
    Box blue = BoundingBox(p, [](const Rgba& c) { return c.b > 200 && c.g < 80 && c.r < 80; });
    ASSERT_FALSE(red.empty());
    ASSERT_FALSE(blue.empty());
    EXPECT_LT(red.bottom, 150);
    EXPECT_GE(blue.top, 150);
}

// Sizes and positions no one means (a slip of the keyboard, a damaged settings
// file) draw quickly and give the picture: one pass, two passes composed, and
// the all-GDI+ path.
TEST(DrawTextOnPicture, ExtremeSizesAndPositionsNeitherCrashNorHang) {
    const std::vector<uint8_t> fast = EncodePng(SolidPicture(300, 200, kWhite));
    const std::string body = "第一行\r\n第二行很长很长很长很长很长很长很长很长很长很长很长很长很长很长";
    struct Case {
        int size, x, y;
    } cases[] = {
        {INT_MAX, 0, 0},        {INT_MIN, 10, 10},      {50, INT_MAX, INT_MAX},  {50, INT_MIN, INT_MIN},
        {-50, 10, 10},          {2147483647, -2147483647, 2147483647},           {1000000, -500, -500},
        {50, 16777217, -16777217},  {30000, 0, 0},          {200000, -100, -100},    {5000000, 10, 10},
    };
    for (const Case& c : cases) {
        DWORD start = GetTickCount();
        Owned out(Draw(fast, "文泉驿等宽正黑", c.size, kRed, body.c_str(), c.x, c.y));
        Picture p;
        EXPECT_TRUE(DecodeByteSet(out.block, &p)) << c.size << " " << c.x << " " << c.y;
        EXPECT_EQ(300u, p.width);
        Owned input(ToByteSet(fast));
        app::Composition both(input.block);
        both.Stamp(kFont, c.size, kRed, app::kFontStyleBold, 255, app::kTextRenderingHintAntiAlias, body.c_str(), c.x,
                   c.y);
        both.Stamp(kFont, c.size, kRed, app::kFontStyleBold, 255, app::kTextRenderingHintAntiAlias, "x", c.y, c.x);
        Owned composed(both.Finish(app::ResultUse::Kept));
        EXPECT_TRUE(DecodeByteSet(composed.block, &p));
        Owned slow(app::DrawTextOnPictureGdiplus(input.block, kFont, c.size, kRed, app::kFontStyleBold, 255,
                                                 app::kTextRenderingHintAntiAlias, body.c_str(), c.x, c.y));
        EXPECT_TRUE(DecodeByteSet(slow.block, &p));
        EXPECT_LT(GetTickCount() - start, 5000u) << c.size << " " << c.x << " " << c.y;
    }
}
