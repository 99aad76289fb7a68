// Shows one template-built window with picture boxes in every display mode, a
// drawing panel with a centred background picture, labels with gradient
// frames, gradients and pictures, and transparent labels over a picture, over
// the window background and over a group box. Moves one transparent label
// after a second. Runs for the given number of milliseconds (default 4000).
//   visual_showcase [ms]
#include <windows.h>
#include <cmath>
#include <cstdlib>
#include "runtime/units/draw_panel_data.h"
#include "runtime/units/group_box_data.h"
#include "runtime/units/label_data.h"
#include "runtime/units/picture_box_data.h"
#include "runtime/units/trans_label_data.h"
#include "visual_test_support.h"

using namespace vistest;

namespace {

// An 80 x 50 picture: a colour ramp with a half-transparent disc in the middle.
std::vector<uint8_t> SamplePng() {
    const int w = 80, h = 50;
    std::vector<uint32_t> px(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t r = x * 255 / (w - 1), g = y * 255 / (h - 1), b = 160;
            double dx = x - 40, dy = y - 25;
            uint32_t a = std::sqrt(dx * dx + dy * dy) < 15 ? 110 : 255;
            px[size_t(y) * w + x] = (a << 24) | (b << 16) | (g << 8) | r;
        }
    return MakePng(w, h, px);
}

std::vector<uint8_t> PhotoPng() {
    const int w = 64, h = 64;
    std::vector<uint32_t> px(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t r = 90 + x * 2, g = 150 + (y * 100 / h), b = 220 - y;
            if (((x / 16) + (y / 16)) % 2) r = 250, g = 200, b = 120;
            px[size_t(y) * w + x] = 0xFF000000u | (b << 16) | (g << 8) | r;
        }
    return MakePng(w, h, px);
}

template <class T>
std::vector<uint8_t> B(T d) {
    return Block(d);
}

}  // namespace

int main(int argc, char** argv) {
    DWORD runFor = argc > 1 ? DWORD(atoi(argv[1])) : 4000;
    auto sample = SamplePng(), photo = PhotoPng();
    std::vector<UnitSpec> units;
    uint32_t id = 0x01000001;
    // Picture boxes in modes 0, 1, 2.
    for (int mode = 0; mode < 3; ++mode) {
        PicBoxData p;
        p.displayMode = mode;
        p.backColour = 0xFFFFFF;
        p.border = 1;
        p.picture.Assign(sample.data(), sample.size());
        units.push_back({id++, kPicBoxType, 10 + mode * 130, 10, 120, 90, B(p)});
    }
    // Animated GIF.
    {
        PicBoxData p;
        p.displayMode = 2;
        p.border = 5;
        auto gif = MakeGif(30, 30, {RGB(230, 40, 40), RGB(40, 200, 40), RGB(40, 40, 230)},
                           {{0, 30}, {1, 30}, {2, 30}});
        p.picture.Assign(gif.data(), gif.size());
        units.push_back({id++, kPicBoxType, 400, 10, 60, 60, B(p)});
    }
    // Drawing panel with a background picture in mode 2.
    {
        DrawPanelData d;
        d.backColour = 0x00D0D0FF;
        d.pictureMode = 2;
        d.border = 3;
        d.backPicture.Assign(sample.data(), sample.size());
        units.push_back({id++, kDrawPanelType, 480, 10, 140, 120, B(d)});
    }
    // Labels: gradient frame over a diagonal gradient; frame over a picture; effects.
    {
        LabelData l;
        l.caption = "渐变边框 gradient frame";
        l.border = 6;
        l.frameWidth = 10;
        l.gradientMode = 3;
        l.gradientColour[0] = 0x00FFE0C0;
        l.gradientColour[1] = 0x00FFFFFF;
        l.gradientColour[2] = 0x00C0E0FF;
        l.alignment = 1;
        units.push_back({id++, kLabelType, 10, 110, 200, 60, B(l)});
        LabelData t;
        t.caption = "tiled picture, raised";
        t.border = 6;
        t.frameWidth = 6;
        t.frameColour[0] = 0x00804000;
        t.frameColour[1] = 0x00FFC080;
        t.frameColour[2] = 0x00804000;
        t.backPicture.Assign(photo.data(), photo.size());
        t.pictureMode = 1;
        t.effect = 1;
        t.alignment = 1;
        units.push_back({id++, kLabelType, 220, 110, 200, 60, B(t)});
        LabelData g;
        g.caption = "mode 1 three colours, sunken";
        g.gradientMode = 1;
        g.gradientColour[0] = 0x000000FF;
        g.gradientColour[1] = 0x0000FFFF;
        g.gradientColour[2] = 0x0000FF00;
        g.effect = 2;
        g.border = 1;
        units.push_back({id++, kLabelType, 10, 180, 200, 40, B(g)});
        LabelData s;
        s.caption = "shadow effect, word wrap on a plain background that wraps";
        s.effect = 3;
        s.textColour = 0x00FFFFFF;
        s.backColour = 0x00806040;
        s.wordWrap = true;
        s.border = 5;
        units.push_back({id++, kLabelType, 220, 180, 200, 40, B(s)});
    }
    // A picture with transparent labels over it.
    uint32_t moving = 0;
    {
        for (int i = 0; i < 4; ++i) {
            TransLabelData t;
            t.caption = i == 0 ? "透明标签 over a picture" : "transparent label " + std::to_string(i);
            t.textColour = i % 2 ? 0x00000000 : 0x00FFFFFF;
            t.effect = i == 0 ? 3 : 0;
            t.alignment = i % 3;
            if (i == 3) moving = id;
            units.push_back({id++, kTransLabelType, 20 + 20 * i, 250 + 30 * i, 200, 24, B(t)});
        }
        // Records later in the template lie below earlier ones.
        PicBoxData p;
        p.displayMode = 1;
        p.picture.Assign(photo.data(), photo.size());
        units.push_back({id++, kPicBoxType, 10, 240, 300, 150, B(p)});
    }
    // A group box with transparent labels over it and over the window background.
    {
        const char* names[] = {"标题字体", "文案颜色", "标题位置x"};
        for (int i = 0; i < 3; ++i) {
            TransLabelData t;
            t.caption = names[i];
            units.push_back({id++, kTransLabelType, 345, 265 + 35 * i, 110, 20, B(t)});
        }
        TransLabelData t;
        t.caption = "on the window background, centred";
        t.alignment = 1;
        units.push_back({id++, kTransLabelType, 330, 400, 290, 20, B(t)});
        GroupBoxData g;
        g.caption = "分组框 settings";
        units.push_back({id++, 0x00010009, 330, 240, 290, 150, B(g)});
    }
    TestWindow w(640, 430, units, 0x00F0E8E0, "可视组件 visual units");
    if (!w.ok()) return 2;
    Pump(1000);
    // Move one transparent label: no trace may stay where it was.
    w.Set(moving, 0, 120);
    w.Set(moving, 1, 350);
    Pump(runFor > 1000 ? runFor - 1000 : 0);
    return 0;
}
