// The picture box in a template-built window: display modes, PNG transparency,
// undecodable data, and the GIF player (fake clock and real clock).
#include <gtest/gtest.h>
#include <cstring>
#include "runtime/core/blocks.h"
#include "runtime/pictures/png_encode.h"
#include "runtime/units/picture_box_unit.h"
#include "visual_test_support.h"

using namespace vistest;

namespace {

constexpr uint32_t kBox = 0x01000011;

struct PlayerLog {
    CRITICAL_SECTION lock;
    volatile LONG fakeNow = 0;
    struct Frame {
        DWORD at;
        uint32_t pass, index, delay;
        COLORREF firstPixel;
    };
    std::vector<Frame> frames;
    std::vector<int> events;  // 0 frame, 1 stopped, 2 loaded
    bool fakeClock = true;
    PlayerLog() { InitializeCriticalSection(&lock); }
    ~PlayerLog() { DeleteCriticalSection(&lock); }
    DWORD Now() const { return fakeClock ? DWORD(fakeNow) : GetTickCount(); }
    size_t FrameCount() {
        EnterCriticalSection(&lock);
        size_t n = frames.size();
        LeaveCriticalSection(&lock);
        return n;
    }
    std::vector<Frame> Frames() {
        EnterCriticalSection(&lock);
        auto copy = frames;
        LeaveCriticalSection(&lock);
        return copy;
    }
};

void Tick(void* ctx) {
    auto* log = static_cast<PlayerLog*>(ctx);
    InterlockedExchangeAdd(&log->fakeNow, 10);
    Sleep(1);
}

void FrameShown(void* ctx, const PicBoxUnit*, uint32_t pass, uint32_t index, uint32_t delay, const uint8_t* bgra,
                int, int) {
    auto* log = static_cast<PlayerLog*>(ctx);
    EnterCriticalSection(&log->lock);
    log->frames.push_back({log->Now(), pass, index, delay, RGB(bgra[2], bgra[1], bgra[0])});
    log->events.push_back(0);
    LeaveCriticalSection(&log->lock);
}

void Event(void* ctx, const PicBoxUnit*, int what) {
    auto* log = static_cast<PlayerLog*>(ctx);
    EnterCriticalSection(&log->lock);
    log->events.push_back(what);
    LeaveCriticalSection(&log->lock);
}

void Install(PlayerLog& log, bool fakeClock) {
    log.fakeClock = fakeClock;
    GifPlayerHooks hooks;
    hooks.context = &log;
    hooks.tick = fakeClock ? &Tick : nullptr;
    hooks.frameShown = &FrameShown;
    hooks.event = &Event;
    SetGifPlayerHooks(&hooks);
}

bool WaitFrames(PlayerLog& log, size_t n, DWORD timeout = 5000) {
    DWORD start = GetTickCount();
    while (log.FrameCount() < n) {
        if (GetTickCount() - start > timeout) return false;
        Pump(10);
    }
    return true;
}

std::vector<uint8_t> BoxBlock(uint32_t back, int mode, std::vector<uint8_t> picture = {}) {
    PicBoxData d;
    d.backColour = back;
    d.displayMode = mode;
    d.picture.Assign(picture.data(), picture.size());
    return Block(d);
}

const std::vector<uint32_t> kRgbPalette = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};

class PictureBoxTest : public testing::Test {
protected:
    void TearDown() override { SetGifPlayerHooks(nullptr); }
};

}  // namespace

TEST_F(PictureBoxTest, DisplayModesPlaceThePicture) {
    const COLORREF back = RGB(255, 255, 0), blue = RGB(0, 0, 255);
    auto small = SolidPng(40, 20, 0xFFFF0000);   // opaque blue
    auto large = SolidPng(200, 100, 0xFFFF0000);
    TestWindow w(140, 120, {{kBox, kPicBoxType, 10, 10, 100, 100, BoxBlock(back, 0, small)}});
    ASSERT_TRUE(w.ok());
    struct Probe {
        int mode;
        const std::vector<uint8_t>* picture;
        int x, y;
        COLORREF want;
    } probes[] = {
        {0, &small, 0, 0, blue},    {0, &small, 39, 19, blue},  {0, &small, 41, 5, back},  {0, &small, 5, 21, back},
        {1, &small, 99, 99, blue},  {1, &small, 0, 0, blue},    {2, &small, 50, 50, blue}, {2, &small, 25, 50, back},
        {2, &small, 31, 41, blue},  {2, &small, 50, 35, back},
        // Larger than the box: shrunk by 0.5 to 100 x 50 and centred (rows 25..74).
        {2, &large, 50, 20, back},  {2, &large, 50, 30, blue},  {2, &large, 0, 50, blue},  {2, &large, 50, 80, back},
        // Fitted: smaller or larger, scaled to 100 x 50 and centred.
        {3, &small, 50, 20, back},  {3, &small, 50, 30, blue},  {3, &small, 0, 50, blue},  {3, &small, 50, 80, back},
        {3, &large, 50, 20, back},  {3, &large, 99, 70, blue},
    };
    for (const Probe& p : probes) {
        w.Set(kBox, 11, p.mode);
        w.SetBytes(kBox, 10, *p.picture);
        Pump(40);
        EXPECT_TRUE(Near(p.want, w.UnitPixel(kBox, p.x, p.y)))
            << "mode " << p.mode << " at " << p.x << "," << p.y << " got " << std::hex << w.UnitPixel(kBox, p.x, p.y);
    }
    // The choice is clamped and reads back.
    w.Set(kBox, 11, 7);
    EXPECT_EQ(3u, uint32_t(w.Get(kBox, 11)));
    w.Set(kBox, 11, uint32_t(-3));
    EXPECT_EQ(0u, uint32_t(w.Get(kBox, 11)));
}

TEST_F(PictureBoxTest, PngAlphaBlendsWithTheBackgroundColour) {
    // Pure red with alpha 128 over white.
    TestWindow w(80, 80, {{kBox, kPicBoxType, 0, 0, 40, 40, BoxBlock(0xFFFFFF, 0, SolidPng(8, 8, 0x800000FF))}});
    ASSERT_TRUE(w.ok());
    COLORREF c = w.UnitPixel(kBox, 3, 3);
    EXPECT_EQ(255, GetRValue(c));
    EXPECT_TRUE(GetGValue(c) == 127 || GetGValue(c) == 126) << int(GetGValue(c));
    EXPECT_TRUE(GetBValue(c) == 127 || GetBValue(c) == 126) << int(GetBValue(c));
    // A new background colour blends anew: over black the same pixel is half red.
    w.Set(kBox, 9, 0x000000);
    Pump(40);
    c = w.UnitPixel(kBox, 3, 3);
    EXPECT_TRUE(GetRValue(c) == 128 || GetRValue(c) == 127) << int(GetRValue(c));
    EXPECT_EQ(0, GetGValue(c));
}

// Blue with a red square, as a PNG.
std::vector<uint8_t> SquarePng(uint32_t width, uint32_t height, RECT square) {
    imprinta::picture::Canvas c{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const bool in = LONG(x) >= square.left && LONG(x) < square.right && LONG(y) >= square.top && LONG(y) < square.bottom;
            const uint8_t px[4] = {uint8_t(in ? 0 : 255), 0, uint8_t(in ? 255 : 0), 255};
            std::memcpy(&c.bgra[(size_t(y) * width + x) * 4], px, 4);
        }
    return imprinta::picture::EncodePng(c);
}

// A picture of the size shown (a preview at each keystroke) is painted again
// only where it differs from the one before; any other is painted whole.
TEST_F(PictureBoxTest, ASameSizedPictureIsPaintedAgainOnlyWhereItChanged) {
    TestWindow w(140, 120, {{kBox, kPicBoxType, 10, 10, 100, 100, BoxBlock(RGB(255, 255, 0), 0, SquarePng(60, 40, {}))}});
    ASSERT_TRUE(w.ok());
    HWND box = w.control(kBox);
    RECT client;
    GetClientRect(box, &client);
    struct Step {
        const char* name;
        uint32_t width;
        RECT square, invalid;
    } steps[] = {
        {"a square drawn", 60, {10, 5, 14, 9}, {10, 5, 14, 9}},
        {"the same again", 60, {10, 5, 14, 9}, {}},
        {"the square moved", 60, {30, 20, 32, 21}, {10, 5, 32, 21}},
        {"another size", 50, {30, 20, 32, 21}, client},
    };
    for (const Step& k : steps) {
        Pump(40);
        w.SetBytes(kBox, 10, SquarePng(k.width, 40, k.square));
        RECT invalid = {};
        GetUpdateRect(box, &invalid, FALSE);
        EXPECT_TRUE(EqualRect(&invalid, &k.invalid)) << k.name << ": " << invalid.left << "," << invalid.top << " "
                                                     << invalid.right << "," << invalid.bottom;
        Pump(40);
        EXPECT_TRUE(Near(RGB(255, 0, 0), w.UnitPixel(kBox, k.square.left, k.square.top))) << k.name;
        EXPECT_TRUE(Near(RGB(0, 0, 255), w.UnitPixel(kBox, 12, 30))) << k.name;
        EXPECT_TRUE(Near(RGB(255, 255, 0), w.UnitPixel(kBox, k.width + 2, 30))) << k.name;
    }
}

TEST_F(PictureBoxTest, UndecodableDataStaysStoredAndShowsTheBackground) {
    const COLORREF back = RGB(10, 200, 30);
    TestWindow w(80, 80, {{kBox, kPicBoxType, 0, 0, 50, 50, BoxBlock(back, 1, SolidPng(4, 4, 0xFF0000FF))}});
    ASSERT_TRUE(w.ok());
    auto* box = w.as<PicBoxUnit>(kBox);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(box->showsPicture());
    std::vector<std::vector<uint8_t>> bad = {
        {'h', 'e', 'l', 'l', 'o'},                                  // shorter than any signature
        {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8},                         // a truncated bitmap
        {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x80, 0, 0, 0},  // colour table past the end
    };
    for (const auto& bytes : bad) {
        w.SetBytes(kBox, 10, bytes);
        Pump(30);
        EXPECT_FALSE(box->showsPicture());
        EXPECT_FALSE(box->animating());
        EXPECT_TRUE(Near(back, w.UnitPixel(kBox, 25, 25)));
        const uint8_t* set = reinterpret_cast<const uint8_t*>(uintptr_t(uint32_t(w.Get(kBox, 10))));
        ASSERT_NE(nullptr, set);
        EXPECT_EQ(bytes, std::vector<uint8_t>(ByteSetData(set), ByteSetData(set) + ByteSetLength(set)));
        FreeMemory(const_cast<uint8_t*>(set));
    }
}

TEST_F(PictureBoxTest, GifFramesFollowTheirDelaysAndStartOver) {
    struct Case {
        uint16_t delay;
        DWORD step;
    } cases[] = {{0, 50}, {10, 100}};
    for (const Case& c : cases) {
        PlayerLog log;
        Install(log, true);
        auto gif = MakeGif(6, 6, kRgbPalette, {{0, c.delay}, {1, c.delay}, {2, c.delay}});
        TestWindow w(60, 60, {{kBox, kPicBoxType, 0, 0, 30, 30, BoxBlock(0xFFFFFF, 1, gif)}});
        ASSERT_TRUE(w.ok());
        auto* box = w.as<PicBoxUnit>(kBox);
        ASSERT_TRUE(box && box->animating());
        ASSERT_TRUE(WaitFrames(log, 8));
        w.Set(kBox, 12, 0);  // animation off: the player stops, the first image stands still
        EXPECT_FALSE(box->animating());
        Pump(40);
        auto frames = log.Frames();
        ASSERT_GE(frames.size(), 8u);
        for (size_t i = 0; i < 8; ++i) {
            SCOPED_TRACE(testing::Message() << "delay " << c.delay << " frame " << i);
            EXPECT_EQ(i % 3, frames[i].index);
            EXPECT_EQ(c.step, frames[i].delay);
            EXPECT_EQ(kRgbPalette[i % 3], frames[i].firstPixel);
            if (i > 0) {
                EXPECT_EQ(c.step, frames[i].at - frames[i - 1].at);
                EXPECT_EQ(frames[i - 1].pass + (i % 3 == 0 ? 1u : 0u), frames[i].pass);
            }
        }
        EXPECT_TRUE(Near(RGB(255, 0, 0), w.UnitPixel(kBox, 15, 15)));
    }
}

TEST_F(PictureBoxTest, GifPlaysInRealTimeWithinTolerance) {
    PlayerLog log;
    Install(log, false);
    auto gif = MakeGif(6, 6, kRgbPalette, {{0, 0}, {1, 0}, {2, 0}});
    TestWindow w(60, 60, {{kBox, kPicBoxType, 0, 0, 30, 30, BoxBlock(0xFFFFFF, 1, gif)}});
    ASSERT_TRUE(w.ok());
    ASSERT_TRUE(WaitFrames(log, 11));
    auto frames = log.Frames();
    DWORD span = frames[10].at - frames[0].at;  // ten steps of 50 ms
    EXPECT_GE(span, 450u);
    EXPECT_LE(span, 1500u);
    // The screen shows the canvas the player drew last (or the one after it).
    COLORREF shown = w.UnitPixel(kBox, 15, 15);
    EXPECT_TRUE(Near(shown, RGB(255, 0, 0)) || Near(shown, RGB(0, 255, 0)) || Near(shown, RGB(0, 0, 255)));
}

TEST_F(PictureBoxTest, NewPictureStopsTheAnimationFirst) {
    PlayerLog log;
    Install(log, true);
    auto gif = MakeGif(6, 6, kRgbPalette, {{0, 0}, {1, 0}, {2, 0}});
    TestWindow w(60, 60, {{kBox, kPicBoxType, 0, 0, 30, 30, BoxBlock(0xFFFFFF, 1, gif)}});
    ASSERT_TRUE(w.ok());
    auto* box = w.as<PicBoxUnit>(kBox);
    ASSERT_TRUE(WaitFrames(log, 3));
    w.SetBytes(kBox, 10, SolidPng(4, 4, 0xFF00FF00));
    EXPECT_FALSE(box->animating());
    Pump(100);
    EnterCriticalSection(&log.lock);
    auto events = log.events;
    LeaveCriticalSection(&log.lock);
    // ... frames ..., stopped, loaded: nothing of the GIF after the stop.
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(2, events.back());
    EXPECT_EQ(1, events[events.size() - 2]);
    EXPECT_EQ(0, events[events.size() - 3]);
    EXPECT_TRUE(Near(RGB(0, 255, 0), w.UnitPixel(kBox, 15, 15)));
    // A still GIF (one image) starts no player; destroying an animating box stops it.
    w.SetBytes(kBox, 10, MakeGif(6, 6, kRgbPalette, {{2, 0}}));
    EXPECT_FALSE(box->animating());
    EXPECT_TRUE(box->showsPicture());
    w.SetBytes(kBox, 10, gif);
    EXPECT_TRUE(box->animating());
    DestroyWindow(w.hwnd);
    EnterCriticalSection(&log.lock);
    EXPECT_EQ(1, log.events.back());
    LeaveCriticalSection(&log.lock);
}

TEST_F(PictureBoxTest, IconMaskLetsTheBackgroundThrough) {
    // An 8 x 8 icon, 24-bit colour bits and an AND mask: the left half masked
    // out (black colour bits), the right half opaque red.
    constexpr int kSide = 8;
    std::vector<uint8_t> image;
    auto u16 = [&](uint16_t v) { image.push_back(uint8_t(v)); image.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(uint16_t(v)); u16(uint16_t(v >> 16)); };
    u32(40), u32(kSide), u32(kSide * 2), u16(1), u16(24), u32(0), u32(0), u32(0), u32(0), u32(0), u32(0);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const bool opaque = x >= kSide / 2;
            image.insert(image.end(), {0, 0, uint8_t(opaque ? 255 : 0)});
        }
    for (int y = 0; y < kSide; ++y) image.insert(image.end(), {0xF0, 0, 0, 0});
    std::vector<uint8_t> ico;
    auto put16 = [&](uint16_t v) { ico.push_back(uint8_t(v)); ico.push_back(uint8_t(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(uint16_t(v)); put16(uint16_t(v >> 16)); };
    put16(0), put16(1), put16(1);
    ico.insert(ico.end(), {kSide, kSide, 0, 0});
    put16(1), put16(24), put32(uint32_t(image.size())), put32(6 + 16);
    ico.insert(ico.end(), image.begin(), image.end());

    const COLORREF back = RGB(255, 255, 0);
    for (int mode : {0, 1}) {
        TestWindow w(60, 60, {{kBox, kPicBoxType, 0, 0, 32, 32, BoxBlock(back, mode, ico)}});
        ASSERT_TRUE(w.ok());
        ASSERT_TRUE(w.as<PicBoxUnit>(kBox)->showsPicture());
        const int scale = mode == 0 ? 1 : 4;  // mode 1 stretches the icon over the box
        EXPECT_TRUE(Near(back, w.UnitPixel(kBox, 1 * scale, 2 * scale))) << "mode " << mode;
        EXPECT_TRUE(Near(RGB(255, 0, 0), w.UnitPixel(kBox, 6 * scale, 2 * scale))) << "mode " << mode;
    }
}
