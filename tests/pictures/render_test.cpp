// Decoded pictures through GDI: each format's bitmap drawn into a 32-bit
// canvas and read back, the PNG blend, stretching, and icon/cursor handles.
#include <windows.h>
#include <gtest/gtest.h>
#include "pictures/corpus_support.h"
#include "runtime/units/picture_render.h"

using namespace imprinta::picture;
using namespace imprinta::units;
using namespace pictest;

namespace {

// A 32-bit top-down canvas filled with one colour.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    int w, h;
    Canvas(int width, int height, COLORREF fill) : w(width), h(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bmp = CreateDIBSection(screen, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bmp);
        RECT r{0, 0, w, h};
        HBRUSH b = CreateSolidBrush(fill);
        FillRect(dc, &r, b);
        DeleteObject(b);
        GdiFlush();
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) {
        GdiFlush();
        uint32_t v = bits[y * w + x];
        return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
    }
};

DecodedPicture Make(PictureFormat f, PixelFormat pf, uint32_t w, uint32_t h, uint32_t stride,
                    std::vector<uint8_t> pixels) {
    DecodedPicture p;
    p.format = f;
    p.pixelFormat = pf;
    p.width = w;
    p.height = h;
    p.stride = stride;
    p.pixels = std::move(pixels);
    return p;
}

}  // namespace

TEST(Render, EachPixelLayoutDrawsItsColoursInPlace) {
    Canvas c(8, 2, RGB(1, 2, 3));
    RenderedPicture r;
    // 24-bit, 2x2, BGR top row first.
    DecodedPicture bgr = Make(PictureFormat::Bmp, PixelFormat::Bgr24, 2, 2, 6,
                              {0, 0, 255, 0, 255, 0, /**/ 255, 0, 0, 10, 20, 30});
    ASSERT_TRUE(RenderPicture(bgr, RGB(255, 255, 255), r));
    DrawRenderedPicture(c.dc, r, 0, 0);
    EXPECT_EQ(c.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(c.At(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(c.At(0, 1), RGB(0, 0, 255));
    EXPECT_EQ(c.At(1, 1), RGB(30, 20, 10));
    r.Release();
    // 8-bit GIF through a screen-compatible bitmap.
    DecodedPicture gif = Make(PictureFormat::Gif, PixelFormat::Indexed8, 2, 2, 2, {0, 1, 1, 0});
    gif.palette.assign(256, Rgb{});
    gif.palette[1] = Rgb{200, 100, 50};
    ASSERT_TRUE(RenderPicture(gif, 0, r));
    DrawRenderedPicture(c.dc, r, 2, 0);
    EXPECT_EQ(c.At(3, 0), RGB(200, 100, 50));
    EXPECT_EQ(c.At(2, 0), RGB(0, 0, 0));
    r.Release();
    // 1-bit PCX: a monochrome bitmap, 1 white, 0 black.
    DecodedPicture mono = Make(PictureFormat::Pcx1, PixelFormat::Mono1, 2, 2, 1, {0x80, 0x40});
    mono.palette = {Rgb{0, 0, 0}, Rgb{255, 255, 255}};
    ASSERT_TRUE(RenderPicture(mono, 0, r));
    DrawRenderedPicture(c.dc, r, 4, 0);
    EXPECT_EQ(c.At(4, 0), RGB(255, 255, 255));
    EXPECT_EQ(c.At(5, 0), RGB(0, 0, 0));
    EXPECT_EQ(c.At(5, 1), RGB(255, 255, 255));
    r.Release();
    // PNG: pure red at alpha 128 over white gives red 255, green and blue 127 (or 126).
    DecodedPicture png = Make(PictureFormat::Png, PixelFormat::Rgba32, 2, 1, 8, {255, 0, 0, 128, 0, 0, 255, 255});
    ASSERT_TRUE(RenderPicture(png, RGB(255, 255, 255), r));
    DrawRenderedPicture(c.dc, r, 6, 0);
    COLORREF blended = c.At(6, 0);
    EXPECT_EQ(GetRValue(blended), 255);
    EXPECT_GE(GetGValue(blended), 126);
    EXPECT_LE(GetGValue(blended), 127);
    EXPECT_EQ(GetGValue(blended), GetBValue(blended));
    EXPECT_EQ(c.At(7, 0), RGB(0, 0, 255));
    r.Release();
}

TEST(Render, StretchingAndIconHandles) {
    Canvas c(6, 6, RGB(0, 0, 0));
    RenderedPicture r;
    DecodedPicture one = Make(PictureFormat::Jpeg, PixelFormat::Bgr24, 1, 1, 3, {0, 0, 255});
    ASSERT_TRUE(RenderPicture(one, 0, r));
    DrawRenderedPicture(c.dc, r, 1, 1, 4, 3);
    EXPECT_EQ(c.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(c.At(4, 3), RGB(255, 0, 0));
    EXPECT_EQ(c.At(5, 4), RGB(0, 0, 0));  // outside the stretched area
    r.Release();

    // Icons and cursors from the corpora: a handle the size of the chosen entry,
    // cursors with the hot spot of their directory entry.
    for (const char* name : {"generated/single32.ico", "generated/arrow.cur", "sdl/sample.cur"}) {
        std::string path = CorporaDir() + "/" + name;
        SCOPED_TRACE(path);
        auto p = DecodePicture(ReadAll(path));
        ASSERT_TRUE(p.has_value());
        ASSERT_TRUE(RenderPicture(*p, 0, r));
        ASSERT_NE(r.icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(r.icon, &info));
        EXPECT_EQ(bool(info.fIcon), p->format == PictureFormat::Ico);
        if (p->format == PictureFormat::Cur) {
            EXPECT_EQ(info.xHotspot, p->iconEntry.planesOrHotX);
            EXPECT_EQ(info.yHotspot, p->iconEntry.bitCountOrHotY);
        }
        BITMAP bm{};
        GetObject(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(uint32_t(bm.bmWidth), p->width);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        r.Release();
    }
}
