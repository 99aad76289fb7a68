#include "runtime/units/picture_render.h"

#include <algorithm>
#include <new>
#include "runtime/pictures/picture_cache.h"

namespace imprinta::units {

using picture::DecodedPicture;
using picture::PictureFormat;
using picture::PixelFormat;

namespace {

bool IsIconFormat(PictureFormat f) { return f == PictureFormat::Ico || f == PictureFormat::Cur; }

// Rows of every non-icon layout as BGRA; palette indices past the table and a
// GIF's transparent colour show the background.
bool ToBgra(const DecodedPicture& pic, COLORREF bg, std::vector<uint8_t>& bgra) {
    if (pic.pixels.size() < size_t(pic.stride) * pic.height) return false;
    bgra.assign(size_t(pic.width) * pic.height * 4, 0);
    if (pic.pixelFormat == PixelFormat::Rgba32) {
        picture::BlendRgbaOverBackground(pic, static_cast<uint32_t>(bg), bgra.data());
        return true;
    }
    if (pic.pixelFormat != PixelFormat::Bgr24 && pic.pixelFormat != PixelFormat::Indexed8 &&
        pic.pixelFormat != PixelFormat::Mono1)
        return false;
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
    return true;
}

BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

// An icon leaves its transparent parts undrawn: what lies below them is the background.
void DrawOverBackground(HDC dc, const RenderedPicture& pic, int x, int y, int w, int h, COLORREF background) {
    if (pic.icon) {
        RECT under = {x, y, x + (w < 0 ? pic.width : w), y + (h < 0 ? pic.height : h)};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc, &under, brush);
        DeleteObject(brush);
    }
    DrawRenderedPicture(dc, pic, x, y, w, h);
}

}  // namespace

void RenderedPicture::Reset() {
    if (icon) DestroyIcon(icon);
    icon = nullptr;
    width = height = 0;  // empty whatever the rows hold: a same-sized picture overwrites them
}

void RenderedPicture::Release() {
    Reset();
    bgra.clear();
    bgra.shrink_to_fit();
}

HICON CreatePictureIcon(const DecodedPicture& p) {
    if (p.iconImage.empty()) return nullptr;
    const picture::IconKind kind = p.format == PictureFormat::Cur ? picture::IconKind::Cursor : picture::IconKind::Icon;
    std::vector<uint8_t> resource = picture::IconResourceBytes(kind, p.iconEntry, p.iconImage);
    return CreateIconFromResourceEx(resource.data(), DWORD(resource.size()), kind == picture::IconKind::Icon,
                                    0x00030000, int(p.width), int(p.height), LR_DEFAULTCOLOR);
}

bool RenderPicture(const DecodedPicture& pic, COLORREF background, RenderedPicture& out) {
    out.Release();
    if (pic.width == 0 || pic.height == 0 || pic.width > 0x7FFF'FFFFu / 4 / pic.height) return false;
    if (IsIconFormat(pic.format)) {
        out.icon = CreatePictureIcon(pic);
    } else if (!ToBgra(pic, background, out.bgra)) {
        out.bgra.clear();
        return false;
    }
    if (!out.icon && out.bgra.empty()) return false;
    out.width = static_cast<int>(pic.width);
    out.height = static_cast<int>(pic.height);
    return true;
}

bool DecodeAndRender(const ByteBuffer& data, COLORREF bg, RenderedPicture& out) {
    out.Reset();  // a picture of the same size reuses the memory
    if (data.empty()) return false;
    // A picture too large for memory shows like an undecodable one.
    try {
        if (!IsIconFormat(picture::SniffPictureFormat(data.bytes())))
            if (picture::SharedCanvas canvas = picture::SharedPictureCache().Find(picture::KeyOf(data.bytes()))) {
                if (!canvas->Empty() && canvas->width <= 0x7FFF'FFFFu / 4 / canvas->height) {
                    out.bgra.resize(canvas->bgra.size());
                    picture::BlendCanvasOverBackground(*canvas, static_cast<uint32_t>(bg), out.bgra.data());
                    out.width = static_cast<int>(canvas->width);
                    out.height = static_cast<int>(canvas->height);
                    return true;
                }
                out.Release();
                return false;
            }
        picture::DecodeResult pic = picture::DecodePicture(data.bytes());
        if (pic && RenderPicture(*pic, bg, out)) return true;
    } catch (const std::bad_alloc&) {
    }
    out.Release();
    return false;
}

HBITMAP MakeBitmap(const RenderedPicture& pic) {
    if (pic.icon || pic.empty()) return nullptr;
    BITMAPINFO bi = TopDownInfo(pic.width, pic.height);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp && bits) std::copy(pic.bgra.begin(), pic.bgra.end(), static_cast<uint8_t*>(bits));
    return bmp;
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
    BITMAPINFO bi = TopDownInfo(pw, ph);
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

void DrawRenderedPicture(HDC dc, const RenderedPicture& p, int x, int y, int width, int height, DWORD rop) {
    if (p.empty()) return;
    if (p.icon) {
        const bool own = width < 0 || height < 0;
        DrawIconEx(dc, x, y, p.icon, own ? p.width : width, own ? p.height : height, 0, nullptr, DI_NORMAL);
        return;
    }
    DrawBgra(dc, p.bgra.data(), p.width, p.height, x, y, width, height, rop);
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

RECT DrawPictureByMode(HDC dc, const RenderedPicture& pic, const RECT& area, int mode, const RECT& clip,
                       COLORREF background) {
    RECT none = {0, 0, 0, 0};
    if (pic.empty()) return none;
    switch (mode) {
    case kBackgroundTiled: {
        RECT want;
        if (!IntersectRect(&want, &area, &clip)) return area;
        int firstX = area.left + ((want.left - area.left) / pic.width) * pic.width;
        int firstY = area.top + ((want.top - area.top) / pic.height) * pic.height;
        for (int y = firstY; y < want.bottom; y += pic.height)
            for (int x = firstX; x < want.right; x += pic.width) DrawOverBackground(dc, pic, x, y, -1, -1, background);
        return area;
    }
    case kBackgroundCentred: {
        RECT r = FitCentred(pic.width, pic.height, area);
        DrawOverBackground(dc, pic, r.left, r.top, r.right - r.left, r.bottom - r.top, background);
        return r;
    }
    case kBackgroundStretched:
        DrawOverBackground(dc, pic, area.left, area.top, area.right - area.left, area.bottom - area.top, background);
        return area;
    default: {
        DrawOverBackground(dc, pic, area.left, area.top, -1, -1, background);
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
