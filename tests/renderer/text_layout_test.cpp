// Line breaking, fitting, outline and shadow masks, and the effects' ranges:
// the plain parts of styled text, with widths of a fixed-pitch stand-in font.
#include <gtest/gtest.h>
#include <cmath>
#include "app/render/text_effects.h"
#include "app/poster/text_layout.h"
#include "app/poster/text_style.h"

using namespace app;

namespace {

// CJK characters one em wide, everything else half an em (size = em in pixels).
double FixedWidth(const Utf16& text, double size) {
    double w = 0;
    for (char16_t c : text) w += c >= 0x2E80 ? size : size / 2;
    return w;
}

bool IsSpace(char16_t c) { return c == u' '; }

Utf16 WithoutSpaces(const Utf16& s) {
    Utf16 out;
    for (char16_t c : s)
        if (!IsSpace(c)) out += c;
    return out;
}

}  // namespace

TEST(WrapLine, KeepsWidthAndPunctuationRulesOnSentences) {
    struct Case {
        const char16_t* text;
        double maxWidth;
    } cases[] = {
        {u"春天来了，花都开了。我们一起去公园（散步）吧！", 100},
        {u"他说：「今天很好。」然后走了，没有回头。", 60},
        {u"一二三四五六七八九，。、！？", 90},
        {u"The quick brown fox jumps over the lazy dog", 100},
        {u"混合 Mixed 文本 text，和标点。", 70},
        {u"（开头）和（结尾）（", 30},
    };
    for (const Case& c : cases) {
        const Utf16 text = c.text;
        std::vector<Utf16> lines = WrapLine(text, c.maxWidth, 10, FixedWidth);
        ASSERT_GT(lines.size(), 1u) << "case " << (&c - cases);
        Utf16 joined;
        for (size_t i = 0; i < lines.size(); ++i) {
            const Utf16& l = lines[i];
            ASSERT_FALSE(l.empty());
            joined += l;
            EXPECT_LE(FixedWidth(l, 10), c.maxWidth) << "case " << (&c - cases) << " line " << i;
            if (i > 0) EXPECT_FALSE(IsClosingPunctuation(l.front())) << "case " << (&c - cases) << " line " << i;
            if (i + 1 < lines.size()) EXPECT_FALSE(IsOpeningPunctuation(l.back())) << "case " << (&c - cases);
        }
        EXPECT_EQ(WithoutSpaces(text), WithoutSpaces(joined)) << "nothing lost or repeated";
    }
    // Latin words stay whole when they fit.
    std::vector<Utf16> words = WrapLine(u"aaaa bbbb cccc", 40, 10, FixedWidth);
    EXPECT_EQ((std::vector<Utf16>{u"aaaa", u"bbbb", u"cccc"}), words);
}

TEST(WrapLine, ATextThatFitsNothingEndsBounded) {
    for (const char16_t* text : {u"标题很长很长，真的。", u"averyveryverylongword", u"a b c 中文！"}) {
        const Utf16 t = text;
        std::vector<Utf16> lines = WrapLine(t, 1, 10, FixedWidth);
        EXPECT_LE(lines.size(), t.size());
        Utf16 joined;
        for (const Utf16& l : lines) joined += l;
        EXPECT_EQ(WithoutSpaces(t), WithoutSpaces(joined));
    }
    EXPECT_EQ(1u, WrapLine(u"", 1, 10, FixedWidth).size());
}

TEST(ShrunkSize, FitsTheLongestLineDownToTheFloor) {
    const std::vector<Utf16> lines = {u"短", u"这一行比较长"};  // 6 em
    struct Case {
        double size, floor, maxWidth, expected;
    } cases[] = {
        {40, 8, 300, 40},  // fits already
        {40, 8, 120, 20},  // 6 * 20 = 120
        {40, 8, 119, 19},
        {40, 8, 30, 8},    // nothing fits: the floor
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, ShrunkSize(lines, c.size, c.floor, c.maxWidth, FixedWidth));
}

TEST(SplitLines, BreaksAtLfAndCrLf) {
    EXPECT_EQ((std::vector<Utf16>{u"a", u"", u"b"}), SplitLines(u"a\r\n\nb"));
    EXPECT_EQ((std::vector<Utf16>{u""}), SplitLines(u""));
}

namespace {

CoverageMask Square(int32_t left, int32_t top, int32_t side) {
    CoverageMask m = CoverageMask::Blank(left, top, side, side);
    std::fill(m.alpha.begin(), m.alpha.end(), 255);
    return m;
}

uint8_t CoverageAt(const CoverageMask& m, int32_t x, int32_t y) {
    if (x < m.left || y < m.top || x >= m.left + m.width || y >= m.top + m.height) return 0;
    return m.at(x - m.left, y - m.top);
}

}  // namespace

TEST(Outlined, FillsARingOfTheWidthWithRoundCorners) {
    for (int radius : {1, 4, 20}) {
        const CoverageMask glyph = Square(100, 100, 30);
        const CoverageMask o = Outlined(glyph, radius);
        for (int32_t y = 60; y < 170; ++y)
            for (int32_t x = 60; x < 170; ++x) {
                const double ddx = std::max({100 - x, 0, x - 129}), ddy = std::max({100 - y, 0, y - 129});
                const double d = std::hypot(ddx, ddy);
                const uint8_t a = CoverageAt(o, x, y);
                if (d <= radius - 0.5) ASSERT_EQ(255, a) << radius << ": " << x << "," << y;
                if (d >= radius + 1) ASSERT_EQ(0, a) << radius << ": " << x << "," << y;
            }
        // The corner is rounded: the diagonal reaches less far than the sides.
        EXPECT_EQ(0, CoverageAt(o, 99 - radius, 99 - radius)) << radius;
    }
}

TEST(Blurred, HardAtZeroSoftWithARadiusAndKeepsItsWeight) {
    const CoverageMask glyph = Square(50, 50, 20);
    const CoverageMask hard = Blurred(glyph, 0);
    EXPECT_EQ(glyph.alpha, hard.alpha);
    const CoverageMask soft = Blurred(glyph, 8);
    long sum = 0, between = 0;
    for (uint8_t a : soft.alpha) sum += a, between += a > 10 && a < 245;
    EXPECT_NEAR(sum, 20 * 20 * 255, 20 * 20 * 255 / 50);
    EXPECT_GT(between, 200) << "a gradient around the edge";
    EXPECT_EQ(255, CoverageAt(soft, 60, 60));
    EXPECT_EQ(0, CoverageAt(soft, 50 - 12, 60));
}

TEST(PaintMask, BlendsShiftedAndClipsAtTheEdges) {
    constexpr int W = 40, H = 30;
    std::vector<uint8_t> rows(W * H * 4, 0);
    for (size_t i = 3; i < rows.size(); i += 4) rows[i] = 255;  // opaque black
    const CoverageMask m = Square(30, 20, 20);                   // reaches past the right and bottom edges
    PaintMask(rows.data(), W, H, m, -5, 3, 0x0000FF, 255);       // red, moved left and down
    auto px = [&](int x, int y) { return &rows[(y * W + x) * 4]; };
    EXPECT_EQ(255, px(25, 23)[2]);  // the shifted square's corner
    EXPECT_EQ(0, px(24, 23)[2]);
    EXPECT_EQ(0, px(25, 22)[2]);
    PaintMask(rows.data(), W, H, Square(-100, -100, 20), 0, 0, 0xFFFFFF, 255);  // wholly outside
    PaintMask(rows.data(), W, H, Square(0, 0, 10), 0, 0, 0xFF0000, 128);       // half blue over black
    EXPECT_NEAR(128, px(5, 5)[0], 1);
    EXPECT_EQ(255, px(5, 5)[3]);
}

TEST(TextEffects, ClampedAndPlain) {
    TextEffects e;
    EXPECT_TRUE(IsPlain(e));
    e.lineSpacing = 5;
    e.outlineWidth = -3;
    e.shadowBlur = 1000;
    e.shadowOpacity = 400;
    e.align = static_cast<TextAlign>(9);
    e.maxWidth = -1;
    const TextEffects c = Clamped(e);
    EXPECT_EQ(EffectLimits::kSpacingMin, c.lineSpacing);
    EXPECT_EQ(0, c.outlineWidth);
    EXPECT_EQ(EffectLimits::kBlurMax, c.shadowBlur);
    EXPECT_EQ(100, c.shadowOpacity);
    EXPECT_EQ(TextAlign::Left, c.align);
    EXPECT_EQ(0, c.maxWidth);
    // A proportional anchor without a reference size changes nothing.
    TextEffects anchored;
    anchored.anchor = TextAnchor::Proportional;
    EXPECT_TRUE(IsPlain(anchored));
    anchored.referenceWidth = 1080;
    anchored.referenceHeight = 1920;
    EXPECT_FALSE(IsPlain(anchored));
    // Each finer setting away from its default takes the styled path, and is held to its range.
    void (*const finer[])(TextEffects&) = {
        [](TextEffects& f) { f.direction = TextDirection::Vertical; }, [](TextEffects& f) { f.letterSpacing = 9999; },
        [](TextEffects& f) { f.rotation = -400; },  [](TextEffects& f) { f.gradient = 7; },
        [](TextEffects& f) { f.placeX = PicturePlace::End; }, [](TextEffects& f) { f.placeY = PicturePlace::Middle; },
    };
    for (auto set : finer) {
        TextEffects f;
        set(f);
        EXPECT_FALSE(IsPlain(f));
        EXPECT_FALSE(IsPlain(Clamped(f)));
    }
    TextEffects wild;
    wild.letterSpacing = 9999, wild.rotation = -400, wild.gradient = 7, wild.placeX = static_cast<PicturePlace>(9);
    wild.direction = static_cast<TextDirection>(-1), wild.gradientTo = 0xFF123456;
    const TextEffects held = Clamped(wild);
    EXPECT_EQ(EffectLimits::kLetterSpacingMax, held.letterSpacing);
    EXPECT_EQ(-180, held.rotation);
    EXPECT_EQ(1, held.gradient);
    EXPECT_EQ(PicturePlace::AtPoint, held.placeX);
    EXPECT_EQ(TextDirection::Horizontal, held.direction);
    EXPECT_EQ(0x123456u, held.gradientTo);
    const StyledPlacement p = PlaceText(anchored, 540, 960, 60, 2160, 1920, 1.0);
    EXPECT_EQ(1080, p.x);
    EXPECT_EQ(960, p.y);
    EXPECT_EQ(120, p.size);
    EXPECT_EQ(2, p.scale);
}

TEST(StyleFields, StoredIntegersReadOrKeepTheDefault) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {"12", true, 12},   {" -7 ", true, -7},  {"+3", true, 3},          {"", false, 0},
        {"abc", false, 0},  {"1x", false, 0},    {"99999999999", false, 0}, {"-16777216", true, -16777216},
        {"4294967295", true, -1}, {"４０", true, 40}, {"－１６", true, -16},  {"４x", false, 0},
    };
    for (const Case& c : cases) {
        int32_t v = 0;
        EXPECT_EQ(c.ok, ParseStoredInteger(c.text, &v)) << c.text;
        if (c.ok) EXPECT_EQ(c.value, v) << c.text;
    }
    // Every field writes and reads back through its own row.
    TextEffects e;
    for (int i = 0; i < kStyleFieldCount; ++i) kStyleFields[i].set(e, i + 1);
    for (int i = 0; i < kStyleFieldCount; ++i) EXPECT_EQ(i + 1, kStyleFields[i].get(e)) << kStyleFields[i].name;
}
