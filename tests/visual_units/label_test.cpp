// Labels and transparent labels in template-built windows: frame, gradients,
// background pictures, the feedback message and the refresh under a moved
// transparent label.
#include <gtest/gtest.h>
#include "runtime/units/label_unit.h"
#include "runtime/units/picture_box_data.h"
#include "runtime/units/trans_label_unit.h"
#include "visual_test_support.h"

using namespace vistest;

namespace {

constexpr uint32_t kLabel = 0x01000021, kOther = 0x01000022, kPicture = 0x01000023, kTrans = 0x01000024;
constexpr COLORREF kGrey = RGB(128, 128, 128), kWhite = RGB(255, 255, 255);

LabelData Plain(uint32_t back = 0x00FFFF) {
    LabelData d;
    d.caption.clear();
    d.backColour = back;
    return d;
}

}  // namespace

TEST(LabelTest, FrameWidthAndFrameColours) {
    LabelData framed = Plain();
    framed.border = 6;
    framed.frameWidth = 80;
    LabelData noFrame = Plain(0x00FFFF);
    noFrame.border = 6;
    noFrame.frameColour[0] = noFrame.frameColour[1] = 0xFF000000u;
    TestWindow w(260, 140, {{kLabel, kLabelType, 10, 10, 100, 100, Block(framed)},
                            {kOther, kLabelType, 130, 10, 100, 100, Block(noFrame)}});
    ASSERT_TRUE(w.ok());
    // Widths below 5 are stored as 5.
    w.Set(kLabel, 11, 3);
    EXPECT_EQ(5u, uint32_t(w.Get(kLabel, 11)));
    w.Set(kLabel, 11, 80);
    Pump(40);
    // Frame width 80 on 100 pixels: bands of 50, each a grey-white-grey gradient
    // over its own width (white at 25 from its outer edge).
    EXPECT_TRUE(Near(kWhite, w.UnitPixel(kLabel, 25, 50)));
    EXPECT_TRUE(Near(kWhite, w.UnitPixel(kLabel, 75, 50)));
    EXPECT_TRUE(Near(RGB(153, 153, 153), w.UnitPixel(kLabel, 5, 50)));  // 128 + 127 * 5 / 25
    EXPECT_TRUE(Near(kWhite, w.UnitPixel(kLabel, 50, 25)));               // top band, by height
    EXPECT_TRUE(Near(kGrey, w.UnitPixel(kLabel, 50, 0)));
    RECT inner = w.as<LabelUnit>(kLabel)->InnerRect();
    EXPECT_TRUE(IsRectEmpty(&inner));
    // Only one usable frame colour: no frame and the whole area for background and text.
    inner = w.as<LabelUnit>(kOther)->InnerRect();
    EXPECT_EQ(RECT({0, 0, 100, 100}).right, inner.right);
    EXPECT_EQ(0, inner.left);
    EXPECT_EQ(0, inner.top);
    for (POINT p : {POINT{0, 0}, POINT{3, 50}, POINT{50, 3}, POINT{99, 99}})
        EXPECT_TRUE(Near(RGB(255, 255, 0), w.UnitPixel(kOther, p.x, p.y))) << p.x << "," << p.y;
}

TEST(LabelTest, GradientBackgroundsInEveryMode) {
    LabelData d = Plain();
    d.gradientMode = 2;
    d.gradientColour[0] = 0x000000;
    d.gradientColour[1] = 0xFFFFFF;
    d.gradientColour[2] = 0x000000;
    TestWindow w(140, 140, {{kLabel, kLabelType, 10, 10, 101, 101, Block(d)}});
    ASSERT_TRUE(w.ok());
    EXPECT_TRUE(Near(kWhite, w.UnitPixel(kLabel, 50, 30), 0));
    EXPECT_TRUE(Near(RGB(0, 0, 0), w.UnitPixel(kLabel, 0, 30), 0));
    EXPECT_TRUE(Near(RGB(0, 0, 0), w.UnitPixel(kLabel, 100, 30), 0));
    // Where each mode puts the white middle (p = L / 2) of a 101 x 101 square.
    struct Probe {
        int mode, x, y;
    } probes[] = {{1, 10, 50}, {2, 50, 90}, {3, 60, 40}, {4, 50, 50}, {5, 70, 50},
                  {6, 50, 5},  {7, 50, 50}, {8, 40, 40}};
    for (const Probe& p : probes) {
        w.Set(kLabel, 20, p.mode);
        Pump(30);
        EXPECT_TRUE(Near(kWhite, w.UnitPixel(kLabel, p.x, p.y), 6)) << "mode " << p.mode;
        EXPECT_TRUE(Near(RGB(0, 0, 0), w.UnitPixel(kLabel, 0, 0), 6) || Near(RGB(0, 0, 0), w.UnitPixel(kLabel, 100, 0), 6))
            << "mode " << p.mode;
    }
    // One usable colour: the plain background colour instead.
    w.Set(kLabel, 21, 0xFF000000u);
    w.Set(kLabel, 22, 0xFF000000u);
    Pump(30);
    EXPECT_TRUE(Near(RGB(255, 255, 0), w.UnitPixel(kLabel, 50, 50)));
}

TEST(LabelTest, FeedbackMessageReturnsTheHandlersResult) {
    LabelData d = Plain();
    TestWindow w(200, 60, {{kLabel, kLabelType, 0, 0, 80, 20, Block(d), {{0, kHandler_Return7}}},
                           {kOther, kLabelType, 90, 0, 80, 20, Block(d)}});
    ASSERT_TRUE(w.ok());
    Calls().clear();
    EXPECT_EQ(7, SendMessageA(w.control(kLabel), kLabelFeedbackMessage, 3, 4));
    ASSERT_EQ(1u, Calls().size());
    EXPECT_EQ((std::vector<uint32_t>{3, 4}), Calls()[0].args);
    EXPECT_EQ(0, SendMessageA(w.control(kOther), kLabelFeedbackMessage, 3, 4));  // no handler
}

TEST(LabelTest, BackgroundPictureModesAndUndecodableData) {
    LabelData d = Plain(0x00FFFF);
    auto png = SolidPng(20, 10, 0xFFFF0000);  // blue
    d.backPicture.Assign(png.data(), png.size());
    d.pictureMode = 0;
    TestWindow w(140, 100, {{kLabel, kLabelType, 0, 0, 100, 60, Block(d)}});
    ASSERT_TRUE(w.ok());
    const COLORREF blue = RGB(0, 0, 255), yellow = RGB(255, 255, 0);
    EXPECT_TRUE(Near(blue, w.UnitPixel(kLabel, 5, 5)));
    EXPECT_TRUE(Near(yellow, w.UnitPixel(kLabel, 30, 30)));
    w.Set(kLabel, 19, 1);  // tiled: no background left
    Pump(30);
    EXPECT_TRUE(Near(blue, w.UnitPixel(kLabel, 95, 55)));
    w.Set(kLabel, 19, 2);  // centred at its own size
    Pump(30);
    EXPECT_TRUE(Near(blue, w.UnitPixel(kLabel, 50, 30)));
    EXPECT_TRUE(Near(yellow, w.UnitPixel(kLabel, 5, 5)));
    // Bytes that are no picture are dropped at the next paint.
    w.SetBytes(kLabel, 18, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
    Pump(40);
    EXPECT_TRUE(Near(yellow, w.UnitPixel(kLabel, 50, 30)));
    EXPECT_EQ(0u, uint32_t(w.Get(kLabel, 18)));
}

TEST(LabelTest, CaptionEffectsDrawTheirPasses) {
    LabelData d = Plain(0x808080);
    d.caption = "WWWWWWWWWW";
    TestWindow w(200, 60, {{kLabel, kLabelType, 0, 0, 150, 30, Block(d)}});
    ASSERT_TRUE(w.ok());
    // Count white and black pixels of the caption for each effect.
    auto count = [&](COLORREF want) {
        int n = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 150; ++x) n += Near(want, w.UnitPixel(kLabel, x, y), 10) ? 1 : 0;
        return n;
    };
    int plainBlack = count(RGB(0, 0, 0));
    EXPECT_GT(plainBlack, 20);
    EXPECT_EQ(0, count(kWhite));
    for (int effect : {1, 2}) {
        w.Set(kLabel, 9, effect);
        Pump(30);
        EXPECT_GT(count(kWhite), 0) << "effect " << effect;
    }
    w.Set(kLabel, 9, 3);  // shadow: black shifted by two, text colour black too: more black
    w.Set(kLabel, 16, 0x0000FF);
    Pump(30);
    EXPECT_GT(count(RGB(255, 0, 0)), 20);
    EXPECT_GT(count(RGB(0, 0, 0)), 0);
    EXPECT_EQ(0, count(kWhite));
}

TEST(TransLabelTest, MovingOverAPictureLeavesNoTrace) {
    PicBoxData pic;
    pic.displayMode = 1;
    auto green = SolidPng(4, 4, 0xFF00C000);
    pic.picture.Assign(green.data(), green.size());
    TransLabelData t;
    t.caption = "WWWWWWWW";
    t.textColour = 0x000000;
    std::vector<uint8_t> picBlock = Block(pic);
    // Records earlier in the template lie above later ones.
    TestWindow w(300, 120, {{kTrans, kTransLabelType, 20, 20, 100, 24, Block(t)},
                            {kPicture, kPicBoxType, 0, 0, 300, 120, picBlock}});
    ASSERT_TRUE(w.ok());
    auto blackIn = [&](int x0, int y0, int wdt, int hgt) {
        int n = 0;
        for (int y = y0; y < y0 + hgt; ++y)
            for (int x = x0; x < x0 + wdt; ++x) n += Near(RGB(0, 0, 0), w.Pixel(x, y), 60) ? 1 : 0;
        return n;
    };
    auto greenIn = [&](int x0, int y0, int wdt, int hgt) {
        int n = 0;
        for (int y = y0; y < y0 + hgt; ++y)
            for (int x = x0; x < x0 + wdt; ++x) n += Near(RGB(0, 0xC0, 0), w.Pixel(x, y), 4) ? 1 : 0;
        return n;
    };
    // The first paint shows the caption although the picture below painted after it.
    EXPECT_GT(blackIn(20, 20, 100, 24), 10);
    EXPECT_GT(greenIn(20, 20, 100, 24), 1000);  // the picture shows around the letters
    w.Set(kTrans, 0, 160);
    w.Set(kTrans, 1, 70);
    Pump(60);
    EXPECT_EQ(0, blackIn(20, 20, 100, 24));
    EXPECT_EQ(100 * 24, greenIn(20, 20, 100, 24));
    EXPECT_GT(blackIn(160, 70, 100, 24), 10);
    // A caption change repaints what is behind the old letters.
    w.Set(kTrans, 11, 0x0000FF);
    Pump(60);
    EXPECT_EQ(0, blackIn(160, 70, 100, 24));
    EXPECT_GT(greenIn(160, 70, 100, 24), 1000);
}
