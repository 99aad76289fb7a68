#include <gtest/gtest.h>
#include <cmath>
#include "app/render/renderer.h"
#include "picture_io.h"
#include "runtime/core/runtime_interface.h"

namespace {

constexpr Rgba kWhite = {255, 255, 255, 255};
constexpr Rgba kRedMark = {255, 0, 0, 255};

struct Composed {
    void* block = nullptr;
    Picture picture;
    ~Composed() { FreeMemory(block); }
};

bool Compose(const std::vector<uint8_t>& base, const std::vector<uint8_t>& mark, int position, int x, int y,
             std::optional<int32_t> shrink, int count, int flip, Composed* out) {
    void* b = ToByteSet(base);
    void* m = ToByteSet(mark);
    out->block = app::ComposeWatermark(b, m, position, x, y, shrink, count, flip);
    FreeMemory(b);
    FreeMemory(m);
    return DecodeByteSet(out->block, &out->picture);
}

// Mark pixels: more red than half-covered on a white base.
bool Marked(const Rgba& c) { return c.r > 200 && c.g < 128 && c.b < 128; }

}  // namespace

TEST(WatermarkPosition, PlacesEachCodeAtItsCorner) {
    // Base 401 x 300, mark 40 x 20: the half widths give fractions to truncate.
    struct Case {
        int code;
        int x, y;
    } cases[] = {
        {0, 33, 44},    {1, 5, 5},     {2, 180, 5},    {3, 356, 5},   {4, 356, 135}, {5, 356, 275},
        {6, 180, 275},  {7, 5, 275},   {8, 5, 140},    {9, 180, 140}, {11, 10, 10},  {-1, 10, 10},
        {1000, 10, 10},
    };
    for (const Case& c : cases) {
        app::Point32 at = app::WatermarkPosition(c.code, 401, 300, 40, 20, 33, 44);
        EXPECT_EQ(c.x, at.x) << "code " << c.code;
        EXPECT_EQ(c.y, at.y) << "code " << c.code;
    }
    // Truncation goes toward zero: a mark wider than the base gives -5.5 -> -5.
    EXPECT_EQ(-5, app::WatermarkPosition(2, 10, 10, 21, 4, 0, 0).x);
    EXPECT_EQ(-16, app::WatermarkPosition(3, 10, 10, 21, 4, 0, 0).x);
    for (int i = 0; i < 50; ++i) {  // random placement lands on one of the nine corners
        app::Point32 at = app::WatermarkPosition(10, 401, 300, 40, 20, 33, 44);
        bool known = false;
        for (const Case& c : cases)
            if (c.code >= 1 && c.code <= 9 && c.x == at.x && c.y == at.y) known = true;
        EXPECT_TRUE(known) << at.x << "," << at.y;
    }
}

TEST(ComposeWatermark, ShrinkAndFlipGiveTheDrawnSize) {
    auto base = EncodePng(SolidPicture(400, 300, kWhite));
    auto mark = EncodePng(SolidPicture(200, 100, kRedMark));
    struct Case {
        std::optional<int32_t> shrink;
        int flip;
        int width, height;
    } cases[] = {
        {50, -1, 100, 50}, {150, -1, 200, 100}, {100, -1, 200, 100}, {std::nullopt, -1, 200, 100},
        {-5, -1, 0, 0},    {0, -1, 0, 0},       {100, 1, 100, 200},  {50, 3, 50, 100},
        {100, 4, 200, 100}, {100, 99, 200, 100},  // an unknown flip code leaves the mark as it is
    };
    for (const Case& c : cases) {
        Composed out;
        ASSERT_TRUE(Compose(base, mark, 1, 0, 0, c.shrink, 1, c.flip, &out));
        if (c.flip == 1) SaveForInspection(out.block, "watermark-flip1.png");
        ASSERT_EQ(400u, out.picture.width);
        ASSERT_EQ(300u, out.picture.height);
        Box box = BoundingBox(out.picture, Marked);
        const char* label = c.shrink ? "" : "(omitted)";
        if (c.width == 0) {
            EXPECT_TRUE(box.empty()) << "shrink " << c.shrink.value_or(-999);
            continue;
        }
        ASSERT_FALSE(box.empty()) << label;
        EXPECT_EQ(5, box.left) << label << c.shrink.value_or(0);
        EXPECT_EQ(5, box.top);
        EXPECT_NEAR(c.width, box.width(), 1) << "shrink " << c.shrink.value_or(0) << " flip " << c.flip;
        EXPECT_NEAR(c.height, box.height(), 1) << "shrink " << c.shrink.value_or(0) << " flip " << c.flip;
        // Everything outside the mark is the base, untouched.
        EXPECT_EQ(255, out.picture.at(399, 299).g);
    }
}

TEST(ComposeWatermark, PositionCodesPlaceTheMark) {
    auto base = EncodePng(SolidPicture(401, 300, kWhite));
    auto mark = EncodePng(SolidPicture(40, 20, kRedMark));
    const int codes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, -1};
    for (int code : codes) {
        app::Point32 at = app::WatermarkPosition(code, 401, 300, 40, 20, 33, 44);
        Composed out;
        ASSERT_TRUE(Compose(base, mark, code, 33, 44, 100, 1, -1, &out));
        Box box = BoundingBox(out.picture, Marked);
        ASSERT_FALSE(box.empty()) << "code " << code;
        EXPECT_EQ(at.x, box.left) << "code " << code;
        EXPECT_EQ(at.y, box.top) << "code " << code;
        EXPECT_EQ(40, box.width()) << "code " << code;
        EXPECT_EQ(20, box.height()) << "code " << code;
    }
}

// Counts how many times a faint mark was drawn at each of the nine random
// places: each draw over white darkens the place by the mark's alpha again.
int CountRandomDraws(int count) {
    const uint32_t size = 300;
    auto base = EncodePng(SolidPicture(size, size, kWhite));
    const uint8_t alpha = 40;
    auto mark = EncodePng(SolidPicture(10, 10, {0, 0, 0, alpha}));
    Composed out;
    if (!Compose(base, mark, 10, 0, 0, 100, count, -1, &out)) return -1;
    if (count == 20) SaveForInspection(out.block, "watermark-random-20.png");
    int total = 0;
    for (int code = 1; code <= 9; ++code) {
        app::Point32 at = app::WatermarkPosition(code, size, size, 10, 10, 0, 0);
        int value = out.picture.at(static_cast<uint32_t>(at.x + 5), static_cast<uint32_t>(at.y + 5)).g;
        int best = 0;
        double bestDistance = 1e9;
        for (int k = 0; k <= 9; ++k) {
            double expected = 255.0 * std::pow(1.0 - alpha / 255.0, k);
            if (std::fabs(expected - value) < bestDistance) bestDistance = std::fabs(expected - value), best = k;
        }
        total += best;
    }
    return total;
}

TEST(ComposeWatermark, RandomPlacementDrawsBetweenOneAndNineMarks) {
    EXPECT_EQ(1, CountRandomDraws(1));
    EXPECT_EQ(1, CountRandomDraws(0));
    EXPECT_EQ(1, CountRandomDraws(-7));
    EXPECT_EQ(4, CountRandomDraws(4));
    EXPECT_EQ(9, CountRandomDraws(9));
    EXPECT_EQ(9, CountRandomDraws(20));
    EXPECT_EQ(9, CountRandomDraws(0x7FFFFFFF));
}

TEST(ComposeWatermark, UnreadablePicturesGiveBaseAloneOrNothing) {
    auto base = EncodePng(SolidPicture(64, 48, kWhite));
    auto mark = EncodePng(SolidPicture(10, 10, kRedMark));
    const std::vector<uint8_t> junk = {'j', 'u', 'n', 'k', 0, 1, 2, 3, 4};
    for (const auto& badMark : {std::vector<uint8_t>{}, junk}) {
        Composed out;
        ASSERT_TRUE(Compose(base, badMark, 10, 0, 0, 100, 5, 1, &out));
        ASSERT_EQ(64u, out.picture.width);
        ASSERT_EQ(48u, out.picture.height);
        for (const Rgba& c : out.picture.pixels) ASSERT_TRUE(c.r == 255 && c.g == 255 && c.b == 255 && c.a == 255);
    }
    for (const auto& badBase : {std::vector<uint8_t>{}, junk}) {
        Composed out;
        EXPECT_FALSE(Compose(badBase, mark, 1, 0, 0, 100, 1, -1, &out));
        EXPECT_EQ(nullptr, out.block);
    }
}

TEST(ComposeWatermark, TransparentBaseAndMarkStayTransparent) {
    auto base = EncodePng(SolidPicture(100, 100, {0, 0, 0, 0}));
    auto mark = EncodePng(SolidPicture(20, 20, kRedMark));
    Composed out;
    ASSERT_TRUE(Compose(base, mark, 9, 0, 0, 100, 1, -1, &out));
    SaveForInspection(out.block, "watermark-transparent.png");
    EXPECT_EQ(0, out.picture.at(5, 5).a);
    EXPECT_EQ(255, out.picture.at(50, 50).a);
    EXPECT_TRUE(Marked(out.picture.at(50, 50)));
}
