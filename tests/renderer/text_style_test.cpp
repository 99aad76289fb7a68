// Styled text on real glyphs: alignment, spacing, outline, shadow and fitting
// measured on the drawn pixels, and the defaults giving the plain path's bytes.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "app/render/renderer.h"
#include "picture_io.h"

namespace {

constexpr Rgba kClear = {0, 0, 0, 0};
constexpr uint32_t kRed = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;
const char kFont[] = "宋体";

Picture Styled(uint32_t w, uint32_t h, const char* text, int size, int x, int y, const app::TextEffects& e,
               uint32_t colour = kRed) {
    Owned input(ToByteSet(EncodePng(SolidPicture(w, h, kClear))));
    Owned out(app::DrawTextOnPicture(input.block, kFont, size, colour, app::kFontStyleBold, 255,
                                     app::kTextRenderingHintAntiAlias, text, x, y, app::ResultUse::Kept, e));
    Picture p;
    EXPECT_TRUE(DecodeByteSet(out.block, &p));
    return p;
}

bool Inked(const Rgba& c) { return c.a > 0; }

// Ink boxes of the bands of rows holding ink, top to bottom.
std::vector<Box> LineBoxes(const Picture& p) {
    std::vector<Box> boxes;
    bool inBand = false;
    for (uint32_t y = 0; y < p.height; ++y) {
        int left = -1, right = -1;
        for (uint32_t x = 0; x < p.width; ++x)
            if (Inked(p.at(x, y))) right = static_cast<int>(x), left = left < 0 ? static_cast<int>(x) : left;
        if (left < 0) {
            inBand = false;
            continue;
        }
        const int iy = static_cast<int>(y);
        if (!inBand) boxes.push_back({left, iy, right, iy});
        Box& b = boxes.back();
        b.left = std::min(b.left, left), b.right = std::max(b.right, right), b.bottom = iy;
        inBand = true;
    }
    return boxes;
}

app::TextEffects Aligned(app::TextAlign a) {
    app::TextEffects e;
    e.align = a;
    return e;
}

}  // namespace

TEST(StyledText, CentreAndRightAlignLineByLineOnX) {
    struct Case {
        app::TextAlign align;
        const char* text;
    } cases[] = {
        {app::TextAlign::Centre, "Title"},
        {app::TextAlign::Centre, "AB\r\n标题更长的一行\r\nxyz"},
        {app::TextAlign::Right, "Title"},
        {app::TextAlign::Right, "AB\r\n标题更长的一行\r\nxyz"},
    };
    constexpr int kX = 300;
    for (const Case& c : cases) {
        Picture p = Styled(600, 300, c.text, 36, kX, 20, Aligned(c.align));
        std::vector<Box> lines = LineBoxes(p);
        ASSERT_FALSE(lines.empty());
        for (const Box& b : lines) {
            if (c.align == app::TextAlign::Centre) EXPECT_NEAR(kX, (b.left + b.right + 1) / 2.0, 1.0) << c.text;
            else EXPECT_NEAR(kX, b.right + 1, 1.0) << c.text;
        }
    }
}

// The spacings people pick (fractions of the line too), through each alignment's layout.
TEST(StyledText, LineSpacingScalesTheStepBetweenLineTops) {
    app::TextEffects single;
    single.align = app::TextAlign::Centre;  // through the styled layout
    Picture a = Styled(300, 400, "HH\r\nHH\r\nHH", 30, 150, 10, single);
    Picture plain = Styled(300, 400, "HH\r\nHH\r\nHH", 30, 10, 10, app::TextEffects{});
    std::vector<Box> la = LineBoxes(a), lp = LineBoxes(plain);
    ASSERT_EQ(3u, la.size());
    ASSERT_EQ(3u, lp.size());
    EXPECT_NEAR(lp[1].top - lp[0].top, la[1].top - la[0].top, 1) << "spacing 1.0 is the plain line step";
    const double line = (la[2].top - la[0].top) / 2.0;  // the unspaced step, to half a pixel
    struct Case {
        int spacing;
        app::TextAlign align;
    } cases[] = {{120, app::TextAlign::Centre}, {150, app::TextAlign::Left}, {175, app::TextAlign::Right},
                 {200, app::TextAlign::Centre}};
    for (const Case& c : cases) {
        app::TextEffects e;
        e.lineSpacing = c.spacing;
        e.align = c.align;
        std::vector<Box> lb = LineBoxes(Styled(300, 400, "HH\r\nHH\r\nHH", 30, 150, 10, e));
        ASSERT_EQ(3u, lb.size()) << c.spacing;
        EXPECT_EQ(la[0].top, lb[0].top) << c.spacing << ": y stays the top";
        for (int i : {1, 2})
            EXPECT_NEAR(i * line * c.spacing / 100, lb[i].top - lb[0].top, 3) << c.spacing << " line " << i;
    }
}

TEST(StyledText, OutlineRingsTheGlyphsUnderAnUnchangedFill) {
    Picture plain = Styled(400, 140, "中A国", 60, 30, 30, app::TextEffects{});
    const int W = static_cast<int>(plain.width), H = static_cast<int>(plain.height);
    // Whether a solid glyph pixel lies within r of (x, y).
    auto nearGlyph = [&](int x, int y, int r) {
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const int u = x + dx, v = y + dy;
                if (u < 0 || v < 0 || u >= W || v >= H || dx * dx + dy * dy > r * r) continue;
                if (plain.at(u, v).a >= 128) return true;
            }
        return false;
    };
    struct Case {
        int width, ring;  // the ring's least pixel count
    } cases[] = {{2, 250}, {4, 500}, {8, 1000}};
    for (const Case& c : cases) {
        app::TextEffects e;
        e.outlineWidth = c.width;
        e.outlineColour = kWhite;
        Picture outlined = Styled(400, 140, "中A国", 60, 30, 30, e);
        int ring = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const Rgba &p = plain.at(x, y), &o = outlined.at(x, y);
                if (p.a == 255) {
                    ASSERT_TRUE(o.r == 255 && o.g == 0 && o.b == 0 && o.a == 255)
                        << c.width << ": " << x << "," << y << " fill changed";
                } else if (p.a == 0 && nearGlyph(x, y, c.width - 1)) {
                    ASSERT_TRUE(o.a == 255 && o.g == 255 && o.b == 255)
                        << c.width << ": " << x << "," << y << " no outline in the ring";
                    ++ring;
                } else if (!nearGlyph(x, y, c.width + 2)) {
                    ASSERT_EQ(0, o.a) << c.width << ": " << x << "," << y << " outline beyond its width";
                }
            }
        EXPECT_GT(ring, c.ring) << c.width;
    }
}

TEST(StyledText, ShadowMovesByItsOffsetAndSoftensWithBlur) {
    auto centroid = [](const Picture& p, bool (*pick)(const Rgba&)) {
        double sx = 0, sy = 0, sw = 0;
        for (uint32_t y = 0; y < p.height; ++y)
            for (uint32_t x = 0; x < p.width; ++x)
                if (pick(p.at(x, y))) sx += x * p.at(x, y).a, sy += y * p.at(x, y).a, sw += p.at(x, y).a;
        return std::pair<double, double>{sx / sw, sy / sw};
    };
    auto red = [](const Rgba& c) { return c.a > 0 && c.r > 128; };
    auto dark = [](const Rgba& c) { return c.a > 0 && c.r < 128; };
    auto partial = [](const Picture& p) {
        int n = 0;
        for (const Rgba& c : p.pixels) n += c.a > 20 && c.a < 235 && c.r < 128;
        return n;
    };
    app::TextEffects e;
    e.shadowDx = 90;
    e.shadowDy = 50;  // apart from the text, so neither hides the other
    e.shadowColour = kBlack;
    Picture hard;
    for (int opacity : {25, 60, 100}) {  // the last one's picture is kept
        e.shadowOpacity = opacity;
        hard = Styled(300, 200, "AB", 40, 10, 10, e);
        const auto text = centroid(hard, red), shadow = centroid(hard, dark);
        EXPECT_NEAR(text.first + 90, shadow.first, 1.0) << opacity;
        EXPECT_NEAR(text.second + 50, shadow.second, 1.0) << opacity;
        int strongest = 0;
        for (const Rgba& c : hard.pixels) strongest = dark(c) ? std::max<int>(strongest, c.a) : strongest;
        EXPECT_NEAR(opacity * 255 / 100, strongest, 2) << opacity;
    }
    const auto shadow = centroid(hard, dark);
    e.shadowBlur = 8;
    Picture soft = Styled(300, 200, "AB", 40, 10, 10, e);
    EXPECT_GT(partial(soft), 4 * partial(hard)) << "blur 8 gives a gradient, blur 0 hard edges";
    const auto softShadow = centroid(soft, dark);
    EXPECT_NEAR(shadow.first, softShadow.first, 1.5);
}

TEST(StyledText, WrapAndShrinkKeepLinesWithinTheWidth) {
    const char* title = "春天来了，花都开了。我们一起去公园散步吧！";
    app::TextEffects wrap;
    wrap.maxWidth = 200;
    Picture w = Styled(600, 400, title, 30, 20, 10, wrap);
    std::vector<Box> lines = LineBoxes(w);
    EXPECT_GE(lines.size(), 3u);
    for (const Box& b : lines) EXPECT_LE(b.right + 1 - 20, 200);
    app::TextEffects shrink = wrap;
    shrink.fit = app::TextFit::Shrink;
    shrink.maxWidth = 400;  // about two thirds of the line at 30 px
    Picture s = Styled(700, 400, title, 30, 20, 10, shrink);
    lines = LineBoxes(s);
    ASSERT_EQ(1u, lines.size());
    EXPECT_LE(lines[0].right + 1 - 20, 400);
    EXPECT_GT(lines[0].right + 1 - 20, 360) << "shrunk no further than needed";
    shrink.maxWidth = 1;  // fits nothing: the floor, not an endless loop
    lines = LineBoxes(Styled(600, 400, title, 30, 20, 10, shrink));
    ASSERT_EQ(1u, lines.size());
    EXPECT_GE(lines[0].height(), 5);
    wrap.maxWidth = 1;
    EXPECT_GE(LineBoxes(Styled(600, 2000, title, 30, 20, 10, wrap)).size(), 10u);
}

TEST(StyledText, ProportionalAnchorScalesWithThePicture) {
    app::TextEffects e;
    e.anchor = app::TextAnchor::Proportional;
    e.referenceWidth = 300;
    e.referenceHeight = 200;
    Box small = BoundingBox(Styled(300, 200, "AB", 30, 50, 40, e), Inked);
    Box large = BoundingBox(Styled(600, 400, "AB", 30, 50, 40, e), Inked);
    EXPECT_NEAR(2 * small.left, large.left, 3);
    EXPECT_NEAR(2 * small.top, large.top, 3);
    // Glyphs are hinted and emboldened by whole pixels: the size follows within a tenth.
    EXPECT_NEAR(2.0, double(large.width()) / small.width(), 0.2);
}
