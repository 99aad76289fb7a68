// Vertical text, letter spacing, rotation, gradient fill and placement on the
// picture, measured on the drawn pixels of real glyphs.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>
#include "app/render/renderer.h"
#include "picture_io.h"

namespace {

constexpr Rgba kClear = {0, 0, 0, 0};
constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000;
const char kFont[] = "宋体";
constexpr int kSize = 40;

Picture Drawn(uint32_t w, uint32_t h, const char* text, int x, int y, const app::TextEffects& e) {
    Owned input(ToByteSet(EncodePng(SolidPicture(w, h, kClear))));
    Owned out(app::DrawTextOnPicture(input.block, kFont, kSize, kRed, app::kFontStyleBold, 255,
                                     app::kTextRenderingHintAntiAlias, text, x, y, app::ResultUse::Kept, e));
    Picture p;
    EXPECT_TRUE(DecodeByteSet(out.block, &p));
    return p;
}

bool Inked(const Rgba& c) { return c.a > 0; }
Box Ink(const Picture& p) { return BoundingBox(p, Inked); }

app::TextEffects Vertical(app::TextAlign align = app::TextAlign::Left) {
    app::TextEffects e;
    e.direction = app::TextDirection::Vertical;
    e.align = align;
    return e;
}

// Ink boxes of the bands of columns holding ink, right to left.
std::vector<Box> ColumnBands(const Picture& p) {
    std::vector<Box> bands;
    bool inBand = false;
    for (int x = static_cast<int>(p.width) - 1; x >= 0; --x) {
        int top = -1, bottom = -1;
        for (uint32_t y = 0; y < p.height; ++y)
            if (Inked(p.at(x, y))) bottom = static_cast<int>(y), top = top < 0 ? static_cast<int>(y) : top;
        if (top < 0) {
            inBand = false;
            continue;
        }
        if (!inBand) bands.push_back({x, top, x, bottom});
        Box& b = bands.back();
        b.left = x, b.top = std::min(b.top, top), b.bottom = std::max(b.bottom, bottom);
        inBand = true;
    }
    return bands;
}

}  // namespace

TEST(VerticalText, ColumnsRunRightToLeftFromTheAnchor) {
    constexpr int kX = 300, kY = 20;
    struct Case {
        app::TextAlign align;
        int firstTop;  // where the first column's first cell starts
    } cases[] = {{app::TextAlign::Left, kY}, {app::TextAlign::Centre, 200 - 2 * kSize}, {app::TextAlign::Right, 380 - 4 * kSize}};
    const Picture alone = Drawn(400, 400, "春", kX, kY, Vertical());
    for (const Case& c : cases) {
        const int y = c.align == app::TextAlign::Left ? kY : c.align == app::TextAlign::Centre ? 200 : 380;
        const Picture p = Drawn(400, 400, "春夏秋冬\r\n花月", kX, y, Vertical(c.align));
        const std::vector<Box> columns = ColumnBands(p);
        ASSERT_EQ(2u, columns.size()) << int(c.align);
        EXPECT_LE(columns[0].right, kX + 1) << "x is the first column's right edge (a bold glyph may reach a pixel past)";
        EXPECT_GT(columns[0].height(), 3 * kSize) << "four characters down";
        EXPECT_LT(columns[1].height(), 2 * kSize + 4);
        // The first character's ink: right-most and top-most, where it stands alone.
        const Box first = Ink(alone);
        EXPECT_NEAR(first.right, columns[0].right, 1) << int(c.align);
        EXPECT_NEAR(first.top - kY + c.firstTop, columns[0].top, 2) << int(c.align);
    }
}

TEST(VerticalText, CellsTakeTheirFormsInTheColumn) {
    constexpr int kX = 200, kY = 10;
    struct Case {
        const char* text;     // a marker character, then the cell under test
        bool tallerThanWide;  // the second cell's ink
    } cases[] = {
        {"一ABCDEFG", true},  // a Latin run turned
        {"一2024", true},     // a long number turned
        {"一12", false},      // two digits upright in one cell
        {"一（", false},      // an opening bracket turned: wide and flat
        {"一……", true},      // the ellipsis turned: dots down the column
    };
    for (const Case& c : cases) {
        const Picture p = Drawn(300, 600, c.text, kX, kY, Vertical());
        // Everything below the marker's cell is the cell under test.
        Picture rest = p;
        for (uint32_t y = 0; y < static_cast<uint32_t>(kY + kSize) && y < rest.height; ++y)
            for (uint32_t x = 0; x < rest.width; ++x) rest.at(x, y) = kClear;
        const Box b = Ink(rest);
        ASSERT_FALSE(b.empty()) << c.text;
        EXPECT_EQ(c.tallerThanWide, b.height() > b.width()) << c.text << ": " << b.width() << " x " << b.height();
        EXPECT_LE(b.right, kX) << c.text;
        EXPECT_GE(b.left, kX - kSize - 4) << c.text << ": within the column";
        if (std::string(c.text) == "一12") EXPECT_LT(b.bottom, kY + 2 * kSize) << "one cell";
    }
    // 、。，stand in the top right of their cell.
    for (const char* text : {"一，", "一。", "一、"}) {
        Picture rest = Drawn(300, 300, text, kX, kY, Vertical());
        for (uint32_t y = 0; y < static_cast<uint32_t>(kY + kSize); ++y)
            for (uint32_t x = 0; x < rest.width; ++x) rest.at(x, y) = kClear;
        const Box b = Ink(rest);
        ASSERT_FALSE(b.empty()) << text;
        EXPECT_GT(b.left, kX - kSize / 2) << text << ": right half";
        EXPECT_LT(b.bottom, kY + kSize + kSize / 2) << text << ": top half";
    }
}

TEST(VerticalText, WrapsAtTheColumnHeightKeepingMarksOffTheTop) {
    app::TextEffects e = Vertical();
    e.maxWidth = 3 * kSize;  // three cells
    const std::vector<Box> columns = ColumnBands(Drawn(400, 400, "一二三，四五", 350, 10, e));
    ASSERT_EQ(3u, columns.size()) << "一二 | 三，四 | 五: the comma does not start a column";
    EXPECT_LT(columns[0].height(), 2 * kSize);
    for (const Box& b : columns) EXPECT_LE(b.bottom, 10 + 3 * kSize);
    e.fit = app::TextFit::Shrink;
    const std::vector<Box> shrunk = ColumnBands(Drawn(400, 400, "一二三，四五", 350, 10, e));
    ASSERT_EQ(1u, shrunk.size());
    EXPECT_LE(shrunk[0].bottom, 10 + 3 * kSize);
}

TEST(LetterSpacing, WidensALineOrAColumnByTheSpacingBetweenCharacters) {
    struct Case {
        app::TextDirection direction;
        int permille;
    } cases[] = {{app::TextDirection::Horizontal, 250},
                 {app::TextDirection::Horizontal, -100},
                 {app::TextDirection::Vertical, 500},
                 {app::TextDirection::Vertical, -150}};
    for (const Case& c : cases) {
        app::TextEffects plain;
        plain.direction = c.direction;
        plain.align = app::TextAlign::Centre;  // through the styled path for both
        app::TextEffects spaced = plain;
        spaced.letterSpacing = c.permille;
        const Box a = Ink(Drawn(600, 600, "一二三四五", 300, 300, plain));
        const Box b = Ink(Drawn(600, 600, "一二三四五", 300, 300, spaced));
        const bool across = c.direction == app::TextDirection::Horizontal;
        const int grown = (across ? b.width() : b.height()) - (across ? a.width() : a.height());
        EXPECT_NEAR(4 * kSize * c.permille / 1000, grown, 2) << c.permille;
    }
}

TEST(Rotation, TurnsTheInkBoxAboutTheAnchor) {
    app::TextEffects e;
    e.outlineWidth = 3;
    e.outlineColour = 0xFFFFFF;
    const Box flat = Ink(Drawn(600, 600, "标题文字", 300, 300, e));
    struct Case {
        int degrees;
        bool swapped;
    } cases[] = {{90, true}, {-90, true}, {180, false}};
    for (const Case& c : cases) {
        e.rotation = c.degrees;
        const Box b = Ink(Drawn(600, 600, "标题文字", 300, 300, e));
        EXPECT_NEAR(c.swapped ? flat.height() : flat.width(), b.width(), 3) << c.degrees;
        EXPECT_NEAR(c.swapped ? flat.width() : flat.height(), b.height(), 3) << c.degrees;
        // Clockwise about (300, 300): what began right of it begins below, above or left of it.
        const int lead = flat.left - 300;
        if (c.degrees == 90) EXPECT_NEAR(300 + lead, b.top, 2);
        if (c.degrees == -90) EXPECT_NEAR(300 - lead, b.bottom + 1, 2);
        if (c.degrees == 180) EXPECT_NEAR(300 - lead, b.right + 1, 2);
    }
}

TEST(Gradient, EndsTakeTheirColoursAcrossTheTextsBox) {
    struct Case {
        int angle;
        bool fromLeft;  // where the first colour is
        const char* text;
    } cases[] = {{0, true, "■■■■"}, {180, false, "■■■■"}, {90, true, "■\r\n■\r\n■"}};
    for (const Case& c : cases) {
        app::TextEffects e;
        e.gradient = 1;
        e.gradientFrom = kRed;
        e.gradientTo = kBlue;
        e.gradientAngle = c.angle;
        const Picture p = Drawn(500, 300, c.text, 20, 40, e);
        const Box b = BoundingBox(p, [](const Rgba& px) { return px.a == 255; });
        ASSERT_FALSE(b.empty());
        // The solid pixels at the box's two ends along the gradient.
        const bool across = c.angle != 90;
        const int y0 = across ? (b.top + b.bottom) / 2 : b.top, y1 = across ? y0 : b.bottom;
        const int x0 = across ? b.left : b.left + 4, x1 = across ? b.right : x0;
        const Rgba start = p.at(c.fromLeft ? x0 : x1, y0), end = p.at(c.fromLeft ? x1 : x0, y1);
        EXPECT_GE(start.r, 250) << c.angle;
        EXPECT_LE(start.b, 5) << c.angle;
        EXPECT_GE(end.b, 250) << c.angle;
        EXPECT_LE(end.r, 5) << c.angle;
    }
}

TEST(Placement, InkStandsAgainstThePictureOrInItsMiddle) {
    constexpr int kW = 500, kH = 300;
    using P = app::PicturePlace;
    struct Case {
        P x, y;
        int marginX, marginY;
        int left, right, top, bottom;  // expected edges; -1: not checked
    } cases[] = {
        {P::Middle, P::AtPoint, 0, 0, -1, -1, -1, -1},
        {P::Start, P::Start, 30, 20, 30, -1, 20, -1},
        {P::End, P::End, 25, 40, -1, kW - 25, -1, kH - 40},
    };
    for (const Case& c : cases) {
        app::TextEffects e;
        e.align = app::TextAlign::Centre;  // x = 120 would centre it off the left edge
        e.placeX = c.x, e.placeY = c.y, e.marginX = c.marginX, e.marginY = c.marginY;
        const Box b = Ink(Drawn(kW, kH, "居中的标题", 120, 100, e));
        ASSERT_FALSE(b.empty());
        if (c.x == P::Middle) EXPECT_NEAR(kW / 2.0, (b.left + b.right + 1) / 2.0, 1);
        if (c.left >= 0) EXPECT_EQ(c.left, b.left);
        if (c.right >= 0) EXPECT_EQ(c.right, b.right + 1);
        if (c.top >= 0) EXPECT_EQ(c.top, b.top);
        if (c.bottom >= 0) EXPECT_EQ(c.bottom, b.bottom + 1);
        if (c.y == P::AtPoint) EXPECT_NEAR(100, b.top, 12) << "y kept";
    }
}
