#include "runtime/units/picture_render.h"
#include <cstring>
#include <vector>

namespace imprinta::picture {
namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

HBITMAP MakeDib(HDC dc, const BITMAPINFO* info, void** bits) {
    return CreateDIBSection(dc, info, DIB_RGB_COLORS, bits, nullptr, 0);
}

HBITMAP Render24(HDC dc, const DecodedPicture& p) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = LONG(p.width);
    info.bmiHeader.biHeight = LONG(p.height);  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = MakeDib(dc, &info, &bits);
    if (!bmp) return nullptr;
    const size_t stride = (size_t(p.width) * 3 + 3) & ~size_t(3);
    for (uint32_t y = 0; y < p.height; ++y)
        std::memcpy(static_cast<uint8_t*>(bits) + (p.height - 1 - y) * stride, p.pixels.data() + size_t(y) * p.stride,
                    size_t(p.width) * 3);
    return bmp;
}

HBITMAP Render8(HDC dc, const DecodedPicture& p) {
    BitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = LONG(p.width);
    info.header.biHeight = -LONG(p.height);  // top-down, like the decoded rows
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biClrUsed = 256;
    for (size_t i = 0; i < 256 && i < p.palette.size(); ++i)
        info.colours[i] = RGBQUAD{p.palette[i].b, p.palette[i].g, p.palette[i].r, 0};
    void* bits = nullptr;
    HBITMAP dib = MakeDib(dc, reinterpret_cast<BITMAPINFO*>(&info), &bits);
    if (!dib) return nullptr;
    const size_t stride = (size_t(p.width) + 3) & ~size_t(3);
    for (uint32_t y = 0; y < p.height; ++y)
        std::memcpy(static_cast<uint8_t*>(bits) + y * stride, p.pixels.data() + size_t(y) * p.stride, p.width);
    if (p.format != PictureFormat::Gif) return dib;
    // GIF pictures are kept as a bitmap in the screen's own format.
    HBITMAP screen = CreateCompatibleBitmap(dc, int(p.width), int(p.height));
    HDC src = CreateCompatibleDC(dc), dst = CreateCompatibleDC(dc);
    if (!screen || !src || !dst) {
        if (screen) DeleteObject(screen);
        if (src) DeleteDC(src);
        if (dst) DeleteDC(dst);
        return dib;
    }
    HGDIOBJ oldSrc = SelectObject(src, dib), oldDst = SelectObject(dst, screen);
    BitBlt(dst, 0, 0, int(p.width), int(p.height), src, 0, 0, SRCCOPY);
    SelectObject(src, oldSrc);
    SelectObject(dst, oldDst);
    DeleteDC(src);
    DeleteDC(dst);
    DeleteObject(dib);
    return screen;
}

HBITMAP Render1(const DecodedPicture& p) {
    // Monochrome bitmaps take rows padded to 16 bits.
    const size_t stride = ((size_t(p.width) + 15) / 16) * 2;
    std::vector<uint8_t> rows(stride * p.height, 0);
    for (uint32_t y = 0; y < p.height; ++y)
        std::memcpy(&rows[y * stride], p.pixels.data() + size_t(y) * p.stride, p.stride);
    return CreateBitmap(int(p.width), int(p.height), 1, 1, rows.data());
}

HBITMAP Render32(HDC dc, const DecodedPicture& p, COLORREF background) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = LONG(p.width);
    info.bmiHeader.biHeight = -LONG(p.height);  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = MakeDib(dc, &info, &bits);
    if (!bmp) return nullptr;
    BlendRgbaOverBackground(p, uint32_t(background), static_cast<uint8_t*>(bits));
    return bmp;
}

}  // namespace

void RenderedPicture::Release() {
    if (bitmap) DeleteObject(bitmap);
    if (icon) DestroyIcon(icon);
    bitmap = nullptr;
    icon = nullptr;
    width = height = 0;
}

HICON CreatePictureIcon(const DecodedPicture& p) {
    if (p.iconImage.empty()) return nullptr;
    std::vector<uint8_t> resource;
    BOOL isIcon = p.format != PictureFormat::Cur;
    if (!isIcon) {
        // A cursor resource starts with its hot spot.
        resource.resize(4);
        resource[0] = uint8_t(p.iconEntry.planesOrHotX);
        resource[1] = uint8_t(p.iconEntry.planesOrHotX >> 8);
        resource[2] = uint8_t(p.iconEntry.bitCountOrHotY);
        resource[3] = uint8_t(p.iconEntry.bitCountOrHotY >> 8);
    }
    resource.insert(resource.end(), p.iconImage.begin(), p.iconImage.end());
    return CreateIconFromResourceEx(resource.data(), DWORD(resource.size()), isIcon, 0x00030000, int(p.width),
                                    int(p.height), LR_DEFAULTCOLOR);
}

bool RenderPicture(HDC dc, const DecodedPicture& p, COLORREF background, RenderedPicture& out) {
    out.Release();
    if (p.width == 0 || p.height == 0) return false;
    if (p.format == PictureFormat::Ico || p.format == PictureFormat::Cur) {
        out.icon = CreatePictureIcon(p);
    } else {
        switch (p.pixelFormat) {
        case PixelFormat::Bgr24: out.bitmap = Render24(dc, p); break;
        case PixelFormat::Indexed8: out.bitmap = Render8(dc, p); break;
        case PixelFormat::Mono1: out.bitmap = Render1(p); break;
        case PixelFormat::Rgba32: out.bitmap = Render32(dc, p, background); break;
        case PixelFormat::None: break;
        }
    }
    if (out.Empty()) return false;
    out.width = int(p.width);
    out.height = int(p.height);
    return true;
}

void DrawRenderedPicture(HDC dc, const RenderedPicture& p, int x, int y, int width, int height, DWORD rop) {
    if (p.Empty()) return;
    const bool own = width == -1 && height == -1;
    if (own) {
        width = p.width;
        height = p.height;
    }
    if (p.icon) {
        DrawIconEx(dc, x, y, p.icon, width, height, 0, nullptr, DI_NORMAL);
        return;
    }
    HDC mem = CreateCompatibleDC(dc);
    if (!mem) return;
    HGDIOBJ old = SelectObject(mem, p.bitmap);
    if (own) {
        BitBlt(dc, x, y, width, height, mem, 0, 0, rop);
    } else {
        int mode = GetDeviceCaps(dc, BITSPIXEL) > 16 ? HALFTONE : COLORONCOLOR;
        int oldMode = SetStretchBltMode(dc, mode);
        POINT oldOrg;
        SetBrushOrgEx(dc, 0, 0, &oldOrg);
        StretchBlt(dc, x, y, width, height, mem, 0, 0, p.width, p.height, rop);
        SetStretchBltMode(dc, oldMode);
        SetBrushOrgEx(dc, oldOrg.x, oldOrg.y, nullptr);
    }
    SelectObject(mem, old);
    DeleteDC(mem);
}

}  // namespace imprinta::picture
