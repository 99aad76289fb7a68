// Host tests: gradient arithmetic of the label and the stored property data of
// the picture box, drawing panel, label and transparent label.
#include <gtest/gtest.h>
#include <cstring>
#include "runtime/units/draw_panel_data.h"
#include "runtime/units/label_data.h"
#include "runtime/units/label_gradient.h"
#include "runtime/units/picture_box_data.h"
#include "runtime/units/trans_label_data.h"
#include "tests/support/text_visits.h"

using namespace imprinta::units;

TEST(LabelGradient, ColoursAlongTheLength) {
    const uint32_t bwb[3] = {0x000000, 0xFFFFFF, 0x000000};
    // 101 pixels, three colours: segment 50; white in the middle, black at both ends.
    EXPECT_EQ(0x000000u, GradientColourAt(bwb, 3, 0, 101));
    EXPECT_EQ(0xFFFFFFu, GradientColourAt(bwb, 3, 50, 101));
    EXPECT_EQ(0x000000u, GradientColourAt(bwb, 3, 100, 101));
    EXPECT_EQ(0x7F7F7Fu, GradientColourAt(bwb, 3, 25, 101));   // 255 * 25 / 50 truncated
    EXPECT_EQ(0x060606u, GradientColourAt(bwb, 3, 99, 101));   // 255 + (-12495 / 50), truncated toward zero
    // Channels interpolate separately (0x00BBGGRR).
    const uint32_t rb[2] = {0x0000FF, 0xFF0000};
    EXPECT_EQ(0x7F0080u, GradientColourAt(rb, 2, 50, 100));
    // A length shorter than the segment count stays defined.
    EXPECT_EQ(0x000000u, GradientColourAt(bwb, 3, 0, 1));
    EXPECT_EQ(0x000000u, GradientColourAt(bwb, 3, 5, 0));
}

TEST(LabelGradient, ModesAndTransparentColours) {
    const uint32_t in[3] = {0x111111, 0xFF000000u, 0x333333};
    uint32_t out[3];
    ASSERT_EQ(2, CollectGradientColours(in, out));
    EXPECT_EQ(0x333333u, out[1]);
    struct Case {
        int mode, x, y, p, length;
    } cases[] = {{1, 3, 7, 7, 20},  {2, 3, 7, 3, 10},  {3, 3, 7, 10, 20}, {4, 3, 7, 13, 20},
                 {5, 3, 7, 12, 20}, {6, 3, 7, 6, 10},  {7, 3, 7, 18, 20}, {8, 3, 7, 15, 20}};
    for (const Case& c : cases) {  // a 10 x 20 rectangle
        int p = -1, length = -1;
        GradientPosition(c.mode, c.x, c.y, 10, 20, p, length);
        EXPECT_EQ(c.p, p) << "mode " << c.mode;
        EXPECT_EQ(c.length, length) << "mode " << c.mode;
    }
    // A tile is the same as the pixels of the whole rectangle at its place.
    const uint32_t three[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    uint8_t tile[7 * 5 * 4];
    RenderGradientTile(3, three, 3, 120, 90, 50, 50, 7, 5, tile);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            int p, length;
            GradientPosition(3, 50 + x, 50 + y, 120, 90, p, length);
            uint32_t c = GradientColourAt(three, 3, p, length);
            const uint8_t* px = tile + (y * 7 + x) * 4;
            EXPECT_EQ(c, uint32_t(px[2]) | uint32_t(px[1]) << 8 | uint32_t(px[0]) << 16);
            EXPECT_EQ(255, px[3]);
        }
    FrameBands b = LimitFrame(80, 100, 30);
    EXPECT_EQ(50, b.side);
    EXPECT_EQ(15, b.topBottom);
    b = LimitFrame(8, 100, 30);
    EXPECT_EQ(8, b.side);
}

namespace {
template <class D>
std::vector<uint8_t> Save(D& d) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(SavePropertyData(d, out));
    return out;
}
}  // namespace

TEST(VisualUnitData, DefaultsRoundTripAndVersions) {
    LabelData label;
    EXPECT_EQ("标签", label.caption);
    EXPECT_EQ(8, label.frameWidth);
    EXPECT_EQ(1, label.pictureMode);
    EXPECT_EQ(1, label.verticalAlignment);
    label.caption = "说明";
    label.dataColumn = "col";
    label.gradientColour[2] = 0xFF000000u;
    auto bytes = Save(label);
    // version, 16 words, then font, picture, caption, source, column counts.
    EXPECT_EQ(4u * 17 + 4 + 4 + 4 + 4 + 4 + 4 + 3, bytes.size());
    LabelData back;
    ASSERT_TRUE(LoadPropertyData(back, bytes.data(), bytes.size()));
    EXPECT_EQ("说明", back.caption);
    EXPECT_EQ("col", back.dataColumn);
    EXPECT_EQ(0xFF000000u, back.gradientColour[2]);
    // Version 1 data has no binding names; version 3 is refused.
    bytes[0] = 1;
    LabelData v1;
    ASSERT_TRUE(LoadPropertyData(v1, bytes.data(), bytes.size() - 4 - 4 - 3));
    EXPECT_EQ("", v1.dataColumn);
    bytes[0] = 3;
    EXPECT_FALSE(LoadPropertyData(v1, bytes.data(), bytes.size()));

    TransLabelData trans;
    EXPECT_EQ("透明标签", trans.caption);
    auto t = Save(trans);
    EXPECT_EQ(4u * 6 + 4 + 4 + trans.caption.size(), t.size());
    t[0] = 2;
    EXPECT_FALSE(LoadPropertyData(trans, t.data(), t.size()));

    PicBoxData pic;
    EXPECT_TRUE(pic.animate);
    const uint8_t junk[] = {1, 2, 3, 4, 5};
    pic.picture.Assign(junk, sizeof junk);
    auto p = Save(pic);
    PicBoxData picBack;
    ASSERT_TRUE(LoadPropertyData(picBack, p.data(), p.size()));
    EXPECT_EQ(5u, picBack.picture.size());
    p[0] = 3;
    EXPECT_FALSE(LoadPropertyData(picBack, p.data(), p.size()));

    DrawPanelData panel;
    EXPECT_EQ(12, panel.drawMode);
    EXPECT_EQ(0xFF000000u, panel.textBackColour);
    auto d = Save(panel);
    EXPECT_EQ(4u * 14 + 4 + 4, d.size());
    d[0] = 2;
    EXPECT_FALSE(LoadPropertyData(panel, d.data(), d.size()));
    // Truncated data fails rather than reading past the end.
    for (size_t n = 1; n < p.size(); ++n) {
        std::vector<uint8_t> cut(p.begin(), p.begin() + n);
        cut[0] = 2;
        PicBoxData x;
        EXPECT_FALSE(LoadPropertyData(x, cut.data(), cut.size())) << n;
    }
}

TEST(VisualUnitData, TextConversionOrderEmptyTextsIncluded) {
    using testsupport::ConvertedTexts;
    using testsupport::FontNamed;
    using Texts = std::vector<std::string>;
    LabelData label;
    label.caption = "caption";
    label.font = FontNamed("face");
    label.dataColumn = "column";
    EXPECT_EQ((Texts{"caption", "face:face", "", "column"}), ConvertedTexts(label));
    TransLabelData trans;
    trans.caption = "";
    trans.font = FontNamed("face");
    EXPECT_EQ((Texts{"", "face:face"}), ConvertedTexts(trans));
    DrawPanelData panel;
    panel.font = FontNamed("face");
    EXPECT_EQ((Texts{"face:face"}), ConvertedTexts(panel));
    PicBoxData picture;
    picture.dataSource = "source";
    EXPECT_EQ((Texts{"source", ""}), ConvertedTexts(picture));
}
