// The drawing panel in a template-built window: background picture modes,
// back buffer and paint event, drawing units, clamps and focus on click.
#include <gtest/gtest.h>
#include "runtime/units/draw_panel_unit.h"
#include "visual_test_support.h"

using namespace vistest;

namespace {

constexpr uint32_t kPanel = 0x01000031;
constexpr COLORREF kBack = RGB(255, 255, 0), kBlue = RGB(0, 0, 255);

std::vector<HandlerCall> PaintCalls() {
    std::vector<HandlerCall> out;
    for (const auto& c : Calls())
        if (c.handler == kHandler_OnPanelPaint) out.push_back(c);
    return out;
}

}  // namespace

TEST(DrawPanelTest, BackgroundPictureCentredAndUndecodableData) {
    DrawPanelData d;
    d.backColour = kBack;
    d.pictureMode = 2;
    auto png = SolidPng(200, 100, 0xFFFF0000);
    d.backPicture.Assign(png.data(), png.size());
    TestWindow w(140, 120, {{kPanel, kDrawPanelType, 0, 0, 100, 100, Block(d)}});
    ASSERT_TRUE(w.ok());
    // Shrunk to 100 x 50, centred: rows 25..74, background colour above and below.
    EXPECT_TRUE(Near(kBack, w.UnitPixel(kPanel, 50, 10)));
    EXPECT_TRUE(Near(kBlue, w.UnitPixel(kPanel, 50, 30)));
    EXPECT_TRUE(Near(kBlue, w.UnitPixel(kPanel, 1, 50)));
    EXPECT_TRUE(Near(kBack, w.UnitPixel(kPanel, 50, 90)));
    w.SetBytes(kPanel, 10, {1, 2, 3, 4, 5, 6, 7, 8});
    Pump(40);
    EXPECT_TRUE(Near(kBack, w.UnitPixel(kPanel, 50, 50)));
    EXPECT_EQ(0u, uint32_t(w.Get(kPanel, 10)));  // dropped once the panel has painted
}

TEST(DrawPanelTest, PaintEventOrBackBuffer) {
    DrawPanelData d;
    d.backColour = kBack;
    TestWindow w(160, 120, {{kPanel, kDrawPanelType, 10, 10, 100, 80, Block(d), {{0, kHandler_OnPanelPaint}}}});
    ASSERT_TRUE(w.ok());
    auto* panel = w.as<DrawPanelUnit>(kPanel);
    ASSERT_NE(nullptr, panel);
    EXPECT_FALSE(panel->hasBackBuffer());
    // Without automatic redraw an uncovered part fires event 0 with its rectangle.
    Calls().clear();
    RECT part = {10, 20, 40, 50};
    InvalidateRect(panel->hwnd, &part, FALSE);
    UpdateWindow(panel->hwnd);
    auto calls = PaintCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ((std::vector<uint32_t>{10, 20, 40, 50}), calls[0].args);
    // With it: no event, the buffer is copied, and what was drawn into it survives.
    w.Set(kPanel, 12, 1);
    ASSERT_TRUE(panel->hasBackBuffer());
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT spot = {0, 0, 10, 10};
    FillRect(panel->DrawingTarget(), &spot, red);
    DeleteObject(red);
    Calls().clear();
    InvalidateRect(panel->hwnd, nullptr, FALSE);
    Pump(40);
    EXPECT_TRUE(PaintCalls().empty());
    EXPECT_TRUE(Near(RGB(255, 0, 0), w.UnitPixel(kPanel, 5, 5)));
    EXPECT_TRUE(Near(kBack, w.UnitPixel(kPanel, 50, 50)));
    // A size change keeps the drawing; a new background colour starts clean.
    SetWindowPos(panel->hwnd, nullptr, 0, 0, 140, 100, SWP_NOMOVE | SWP_NOZORDER);
    Pump(40);
    EXPECT_EQ(140, panel->BackBufferSize().cx);
    EXPECT_TRUE(Near(RGB(255, 0, 0), w.UnitPixel(kPanel, 5, 5)));
    EXPECT_TRUE(Near(kBack, w.UnitPixel(kPanel, 130, 90)));
    w.Set(kPanel, 9, 0x00FF00);
    Pump(40);
    EXPECT_TRUE(Near(RGB(0, 255, 0), w.UnitPixel(kPanel, 5, 5)));
    w.Set(kPanel, 12, 0);
    EXPECT_FALSE(panel->hasBackBuffer());
    EXPECT_EQ(nullptr, panel->DrawingTarget());
}

TEST(DrawPanelTest, DrawingUnitsSizesAndClamps) {
    DrawPanelData d;
    TestWindow w(200, 160, {{kPanel, kDrawPanelType, 0, 0, 144, 96, Block(d)}});
    ASSERT_TRUE(w.ok());
    EXPECT_EQ(144u, uint32_t(w.Get(kPanel, 23)));
    EXPECT_EQ(96u, uint32_t(w.Get(kPanel, 24)));
    HDC screen = GetDC(nullptr);
    int ppiX = GetDeviceCaps(screen, LOGPIXELSX), ppiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    w.Set(kPanel, 13, 5);  // twips
    EXPECT_NEAR(144.0 * 1440 / ppiX, double(int32_t(w.Get(kPanel, 23))), 1440.0 / ppiX);
    EXPECT_NEAR(96.0 * 1440 / ppiY, double(int32_t(w.Get(kPanel, 24))), 1440.0 / ppiY);
    EXPECT_EQ(-int(12.0 / 96 * 1440), FontHeightInUnit(12, 5, 96));
    EXPECT_EQ(-int(-12.0 / 96 * 253.8071065989848), -FontHeightInUnit(-12, 1, 96));
    // Pen width above 32767 is stored as 32767; choices are clamped.
    w.Set(kPanel, 16, 40000);
    EXPECT_EQ(32767u, uint32_t(w.Get(kPanel, 16)));
    w.Set(kPanel, 18, 99);
    EXPECT_EQ(55u, uint32_t(w.Get(kPanel, 18)));
    w.Set(kPanel, 15, uint32_t(-1));
    EXPECT_EQ(0u, uint32_t(w.Get(kPanel, 15)));
    auto* panel = w.as<DrawPanelUnit>(kPanel);
    EXPECT_NE(nullptr, panel->pen());
    EXPECT_NE(nullptr, panel->brush());
    for (int style = 0; style <= 6; ++style) {
        w.Set(kPanel, 14, style);
        EXPECT_NE(nullptr, panel->pen()) << style;
    }
}

TEST(DrawPanelTest, ClickGivesTheFocusToATabStopPanel) {
    DrawPanelData d;
    const uint32_t tabStop = imprinta::forms::kUnitVisible | imprinta::forms::kUnitTabStop;
    TestWindow w(200, 100, {{kPanel, kDrawPanelType, 10, 10, 80, 60, Block(d), {}, tabStop},
                            {kPanel + 1, kDrawPanelType, 100, 10, 80, 60, Block(d), {}, imprinta::forms::kUnitVisible}});
    ASSERT_TRUE(w.ok());
    SetForegroundWindow(w.hwnd);
    SetFocus(w.hwnd);
    Pump(30);
    auto click = [&](uint32_t id) {
        RECT r;
        GetWindowRect(w.control(id), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, in, sizeof(INPUT));
        Pump(80);
    };
    click(kPanel + 1);  // no tab stop: the focus stays where it was
    EXPECT_NE(w.control(kPanel + 1), GetFocus());
    click(kPanel);
    EXPECT_EQ(w.control(kPanel), GetFocus());
}
