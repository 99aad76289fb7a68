// Background picture of the window unit.
#include "runtime/units/window_background.h"

#include <cstring>
#include <vector>
#include "runtime/pictures/picture_decode.h"
#include "runtime/units/unit_framework.h"
#include "runtime/units/window_numbers.h"

namespace imprinta::units {

namespace {

// 32-bit top-down bitmap of a decoded picture; transparent parts take the
// background colour, as they would show through.
HBITMAP MakeBitmap(const picture::DecodedPicture& pic, uint32_t colour) {
    using picture::PixelFormat;
    if (pic.width == 0 || pic.height == 0) return nullptr;
    std::vector<uint8_t> bgra(size_t(pic.width) * pic.height * 4);
    COLORREF bg = ResolveColour(colour);
    switch (pic.pixelFormat) {
    case PixelFormat::Rgba32:
        picture::BlendRgbaOverBackground(pic, bg, bgra.data());
        break;
    case PixelFormat::Bgr24:
    case PixelFormat::Indexed8:
    case PixelFormat::Mono1:
        for (uint32_t y = 0; y < pic.height; ++y) {
            const uint8_t* row = pic.pixels.data() + size_t(y) * pic.stride;
            uint8_t* out = bgra.data() + size_t(y) * pic.width * 4;
            for (uint32_t x = 0; x < pic.width; ++x, out += 4) {
                uint8_t b, g, r;
                if (pic.pixelFormat == PixelFormat::Bgr24) {
                    b = row[x * 3];
                    g = row[x * 3 + 1];
                    r = row[x * 3 + 2];
                } else {
                    int index = pic.pixelFormat == PixelFormat::Indexed8 ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1;
                    if (index == pic.transparentIndex || size_t(index) >= pic.palette.size()) {
                        r = GetRValue(bg);
                        g = GetGValue(bg);
                        b = GetBValue(bg);
                    } else {
                        r = pic.palette[index].r;
                        g = pic.palette[index].g;
                        b = pic.palette[index].b;
                    }
                }
                out[0] = b;
                out[1] = g;
                out[2] = r;
                out[3] = 255;
            }
        }
        break;
    default:
        return nullptr;
    }
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = static_cast<LONG>(pic.width);
    bi.bmiHeader.biHeight = -static_cast<LONG>(pic.height);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp && bits) std::memcpy(bits, bgra.data(), bgra.size());
    return bmp;
}

void FillExcept(HDC dc, const RECT& clip, const RECT* picture, uint32_t colour) {
    int saved = SaveDC(dc);
    if (picture) ExcludeClipRect(dc, picture->left, picture->top, picture->right, picture->bottom);
    HBRUSH brush = CreateSolidBrush(ResolveColour(colour));
    FillRect(dc, &clip, brush);
    DeleteObject(brush);
    RestoreDC(dc, saved);
}

}  // namespace

void WindowBackground::Drop() {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    width_ = height_ = 0;
    tried_ = false;
}

bool WindowBackground::Decode(const ByteBuffer& data, uint32_t colour) {
    if (tried_) return bitmap_ != nullptr;
    tried_ = true;
    if (data.empty()) return false;
    auto pic = picture::DecodePicture(data.bytes());
    if (!pic) return false;
    bitmap_ = MakeBitmap(*pic, colour);
    if (bitmap_) {
        width_ = static_cast<int>(pic->width);
        height_ = static_cast<int>(pic->height);
    }
    return bitmap_ != nullptr;
}

RECT WindowBackground::CentredRect(int pw, int ph, int cw, int ch) {
    int w = pw, h = ph;
    if ((pw > cw || ph > ch) && pw > 0 && ph > 0) {
        double f = double(cw) / pw;
        if (double(ch) / ph < f) f = double(ch) / ph;
        w = static_cast<int>(pw * f);
        h = static_cast<int>(ph * f);
    }
    RECT r;
    r.left = (cw - w) / 2;
    r.top = (ch - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

void WindowBackground::Paint(HDC dc, const RECT& clip, int cw, int ch, const ByteBuffer& data, int mode,
                             uint32_t colour) {
    if (!Decode(data, colour)) {
        FillExcept(dc, clip, nullptr, colour);
        return;
    }
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bitmap_);
    switch (mode) {
    case kWindowPictureTiled:  // from the top-left corner
        for (int y = (clip.top / height_) * height_; y < clip.bottom && y < ch; y += height_)
            for (int x = (clip.left / width_) * width_; x < clip.right && x < cw; x += width_)
                BitBlt(dc, x, y, width_, height_, mem, 0, 0, SRCCOPY);
        break;
    case kWindowPictureCentred: {
        RECT r = CentredRect(width_, height_, cw, ch);
        int saved = SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, 0, 0, width_, height_, SRCCOPY);
        SetStretchBltMode(dc, saved);
        FillExcept(dc, clip, &r, colour);
        break;
    }
    case kWindowPictureStretched: {
        int saved = SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, cw, ch, mem, 0, 0, width_, height_, SRCCOPY);
        SetStretchBltMode(dc, saved);
        break;
    }
    default: {  // kWindowPictureTopLeft: at its own size
        BitBlt(dc, 0, 0, width_, height_, mem, 0, 0, SRCCOPY);
        RECT r = {0, 0, width_, height_};
        FillExcept(dc, clip, &r, colour);
        break;
    }
    }
    SelectObject(mem, old);
    DeleteDC(mem);
}

}  // namespace imprinta::units
