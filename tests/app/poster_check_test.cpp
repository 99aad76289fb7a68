// A text field laid out on a picture with fixed-width characters (10 px at
// size 10, line height 1.2 x size): each kind of problem and its figures.
#include <gtest/gtest.h>
#include "app/poster/poster_check.h"

using namespace app;

namespace {

FontMetrics FixedFont() {
    FontMetrics f;
    f.width = [](const Utf16& line, double size) { return static_cast<double>(line.size()) * size; };
    f.lineHeight = [](double size) { return size * 1.2; };
    f.hasGlyph = [](char16_t c) { return c != u'龘' && c != u'\xE000'; };
    return f;
}

TextField Field(int32_t x, int32_t y, int32_t size, int32_t maxWidth = 0, TextFit fit = TextFit::Wrap,
                TextAlign align = TextAlign::Left) {
    TextField t;
    t.font = "f", t.size = size, t.x = x, t.y = y;
    t.effects.maxWidth = maxWidth, t.effects.fit = fit, t.effects.align = align;
    return t;
}

}  // namespace

TEST(PosterCheck, EachKindOfProblemWithItsFigures) {
    struct Case {
        const char* what;
        TextField field;
        Utf16 text;
        std::vector<TextProblem> kinds;
        int32_t pixels;  // of the first problem with a figure
    } cases[] = {
        {"fits", Field(10, 10, 20), u"一二三四", {}, 0},
        {"blank text", Field(500, 500, 20), u"  \r\n", {}, 0},
        {"beyond the right", Field(100, 10, 20), u"一二三四五六七八九十", {TextProblem::BeyondPicture}, 100},
        {"beyond the bottom", Field(10, 190, 20), u"一\r\n二", {TextProblem::BeyondPicture}, 38},
        {"centred beyond the left", Field(30, 10, 20, 0, TextFit::Wrap, TextAlign::Centre), u"一二三四",
         {TextProblem::BeyondPicture}, 10},
        {"shrunk within the floor", Field(10, 10, 20, 120, TextFit::Shrink), u"一二三四五六七八", {}, 0},
        {"shrunk below 60 %", Field(10, 10, 20, 100, TextFit::Shrink), u"一二三四五六七八九十", {TextProblem::TooSmall}, 10},
        {"too wide at the floor", Field(10, 10, 20, 40, TextFit::Shrink), u"一二三四五六七八九十",
         {TextProblem::TooSmall, TextProblem::TooWide}, 8},
        {"one glyph wider than the width", Field(10, 10, 100, 60), u"一", {TextProblem::TooWide}, 40},
        {"wrapped into lines", Field(10, 10, 10, 60), u"一二三四五六七八九十", {}, 0},
        {"missing glyphs, each once", Field(10, 10, 10), u"龘一\xE000龘", {TextProblem::MissingGlyphs}, 0},
    };
    for (const Case& c : cases) {
        const std::vector<FieldProblem> got = CheckTextField(c.field, c.text, 200, 200, FixedFont());
        std::vector<TextProblem> kinds;
        for (const FieldProblem& p : got) kinds.push_back(p.kind);
        EXPECT_EQ(c.kinds, kinds) << c.what;
        if (!got.empty() && c.pixels) EXPECT_EQ(c.pixels, got[0].pixels) << c.what;
    }
    const auto glyphs = CheckTextField(Field(10, 10, 10), u"龘一\xE000龘", 200, 200, FixedFont());
    ASSERT_EQ(1u, glyphs.size());
    EXPECT_EQ(Utf16(u"龘\xE000"), glyphs[0].characters);
    // The smallest share is a setting: 50 % lets the 10-character line at 10 px through.
    EXPECT_TRUE(CheckTextField(Field(10, 10, 20, 100, TextFit::Shrink), u"一二三四五六七八九十", 200, 200, FixedFont(), 50)
                    .empty());
}
