#include "runtime/units/picture_screen.h"
#include <new>

#include <algorithm>
#include <cstring>
#include <new>
#include "runtime/pictures/picture_cache.h"

namespace imprinta::units {

using picture::PixelFormat;

bool RenderForScreen(const picture::DecodedPicture& pic, COLORREF bg, ScreenPicture& out) {
    out.Clear();
    if (pic.width == 0 || pic.height == 0 || pic.width > 0x7FFF'FFFFu / 4 / pic.height) return false;
    std::vector<uint8_t> bgra(size_t(pic.width) * pic.height * 4);
    switch (pic.pixelFormat) {
    case PixelFormat::Rgba32:
        if (pic.pixels.size() < size_t(pic.stride) * pic.height) return false;
        picture::BlendRgbaOverBackground(pic, static_cast<uint32_t>(bg), bgra.data());
        break;
    case PixelFormat::Bgr24:
    case PixelFormat::Indexed8:
    case PixelFormat::Mono1:
        if (pic.pixels.size() < size_t(pic.stride) * pic.height) return false;
        for (uint32_t y = 0; y < pic.height; ++y) {
            const uint8_t* row = pic.pixels.data() + size_t(y) * pic.stride;
            uint8_t* o = bgra.data() + size_t(y) * pic.width * 4;
            for (uint32_t x = 0; x < pic.width; ++x, o += 4) {
                if (pic.pixelFormat == PixelFormat::Bgr24) {
                    o[0] = row[x * 3];
                    o[1] = row[x * 3 + 1];
                    o[2] = row[x * 3 + 2];
                } else {
                    int index = pic.pixelFormat == PixelFormat::Indexed8 ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1;
                    if (index == pic.transparentIndex || size_t(index) >= pic.palette.size()) {
                        o[0] = GetBValue(bg);
                        o[1] = GetGValue(bg);
                        o[2] = GetRValue(bg);
                    } else {
                        o[0] = pic.palette[index].b;
                        o[1] = pic.palette[index].g;
                        o[2] = pic.palette[index].r;
                    }
                }
                o[3] = 255;
            }
        }
        break;
    default:
        return false;
    }
    out.width = static_cast<int>(pic.width);
    out.height = static_cast<int>(pic.height);
    out.bgra = std::move(bgra);
    return true;
}

bool DecodeForScreen(const ByteBuffer& data, COLORREF bg, ScreenPicture& out) {
    out.Clear();
    if (data.empty()) return false;
    // A renderer result or a template decoded moments ago is blended, not
    // decoded again. A picture too large for memory shows like an undecodable one.
    try {
        if (picture::SharedCanvas canvas = picture::SharedPictureCache().Find(picture::KeyOf(data.bytes()))) {
            if (canvas->Empty() || canvas->width > 0x7FFF'FFFFu / 4 / canvas->height) return false;
            out.bgra.resize(canvas->bgra.size());
            picture::BlendCanvasOverBackground(*canvas, static_cast<uint32_t>(bg), out.bgra.data());
            out.width = static_cast<int>(canvas->width);
            out.height = static_cast<int>(canvas->height);
            return true;
        }
        auto pic = picture::DecodePicture(data.bytes());
        return pic && RenderForScreen(*pic, bg, out);
    } catch (const std::bad_alloc&) {
        out.Clear();
        return false;
    }
}

void RgbaToBgra(const uint8_t* rgba, size_t pixels, uint8_t* bgra) {
    for (size_t i = 0; i < pixels; ++i, rgba += 4, bgra += 4) {
        bgra[0] = rgba[2];
        bgra[1] = rgba[1];
        bgra[2] = rgba[0];
        bgra[3] = 255;
    }
}

int ScreenStretchMode() {
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return bits > 16 ? HALFTONE : COLORONCOLOR;
}

void DrawBgra(HDC dc, const uint8_t* bgra, int pw, int ph, int x, int y, int w, int h, DWORD rop) {
    if (!bgra || pw <= 0 || ph <= 0) return;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = pw;
    bi.bmiHeader.biHeight = -ph;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    if (w < 0 || h < 0 || (w == pw && h == ph)) {
        SetDIBitsToDevice(dc, x, y, pw, ph, 0, 0, 0, ph, bgra, &bi, DIB_RGB_COLORS);
        return;
    }
    if (w == 0 || h == 0) return;
    int mode = ScreenStretchMode();
    int old = SetStretchBltMode(dc, mode);
    POINT org;
    if (mode == HALFTONE) SetBrushOrgEx(dc, 0, 0, &org);
    StretchDIBits(dc, x, y, w, h, 0, 0, pw, ph, bgra, &bi, DIB_RGB_COLORS, rop);
    if (mode == HALFTONE) SetBrushOrgEx(dc, org.x, org.y, nullptr);
    SetStretchBltMode(dc, old);
}

RECT FitCentred(int pw, int ph, const RECT& area) {
    int aw = area.right - area.left, ah = area.bottom - area.top;
    int w = pw, h = ph;
    if ((pw > aw || ph > ah) && pw > 0 && ph > 0) {
        double f = std::min(double(aw) / pw, double(ah) / ph);
        if (f < 0) f = 0;
        w = static_cast<int>(pw * f);
        h = static_cast<int>(ph * f);
    }
    RECT r;
    r.left = area.left + (aw - w) / 2;
    r.top = area.top + (ah - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

RECT DrawPictureByMode(HDC dc, const ScreenPicture& pic, const RECT& area, int mode, const RECT& clip) {
    RECT none = {0, 0, 0, 0};
    if (pic.empty()) return none;
    switch (mode) {
    case 1: {
        RECT want;
        if (!IntersectRect(&want, &area, &clip)) return area;
        int firstX = area.left + ((want.left - area.left) / pic.width) * pic.width;
        int firstY = area.top + ((want.top - area.top) / pic.height) * pic.height;
        for (int y = firstY; y < want.bottom; y += pic.height)
            for (int x = firstX; x < want.right; x += pic.width) DrawScreenPicture(dc, pic, x, y);
        return area;
    }
    case 2: {
        RECT r = FitCentred(pic.width, pic.height, area);
        DrawScreenPicture(dc, pic, r.left, r.top, r.right - r.left, r.bottom - r.top);
        return r;
    }
    default: {
        DrawScreenPicture(dc, pic, area.left, area.top);
        RECT r = {area.left, area.top, area.left + pic.width, area.top + pic.height};
        return r;
    }
    }
}

void FillAround(HDC dc, const RECT& rect, const RECT& covered, COLORREF colour) {
    HRGN rgn = CreateRectRgnIndirect(&rect);
    if (!IsRectEmpty(&covered)) {
        HRGN hole = CreateRectRgnIndirect(&covered);
        CombineRgn(rgn, rgn, hole, RGN_DIFF);
        DeleteObject(hole);
    }
    HBRUSH brush = CreateSolidBrush(colour);
    FillRgn(dc, rgn, brush);
    DeleteObject(brush);
    DeleteObject(rgn);
}

}  // namespace imprinta::units
