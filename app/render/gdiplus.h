// GDI+ steps shared by the renderer's two paths: the fast path, which decodes
// with the program's own decoders and draws on that memory, and the all-GDI+
// path, which decodes and encodes through GDI+ as well. GDI+ flat functions
// are called as DLL commands; every object lives only inside the call that
// makes it.
#pragma once
#include <cstdint>
#include <optional>

namespace app {

constexpr uint32_t kPixelFormat32bppArgb = 0x26200A;
constexpr int32_t kUnitPixel = 2;
constexpr int32_t kFontStyleBold = 1;
constexpr int32_t kTextRenderingHintAntiAlias = 4;
constexpr int32_t kNoTextRenderingHint = -1;

// GDI+ bitmap decoded from image file bytes, or 0.
uint32_t PictureFromBytes(const void* bytes);
// PNG file bytes of a GDI+ image, exactly the encoded data; empty on failure.
void* PictureToPng(uint32_t image);
// GDI+ font of one of the program's own families or of an installed one, or 0
// (also for a size of 0 or less).
uint32_t CreateTextFont(const char* familyName, float size, int32_t style, int32_t unit);
// GDI+ solid brush of a 0x00BBGGRR colour, or 0.
uint32_t CreateTextBrush(uint32_t colour, int32_t alpha);
// 0x00BBGGRR colour to GDI+ ARGB; alpha 255 when not given.
uint32_t ColorToArgb(uint32_t colour, int32_t alpha, bool alphaGiven);
// UTF-16LE copy of an ANSI text with its NUL, as a byte set; empty when unconvertible.
void* TextToUtf16(const char* text);

// Owns one GDI+ font family handle (0 when it owns none).
class FontFamily {
public:
    FontFamily() = default;
    FontFamily(const FontFamily&) = delete;
    FontFamily& operator=(const FontFamily&) = delete;
    virtual ~FontFamily();                        // Destroy: releases the family
    virtual FontFamily* Copy() const;             // same handle, which stays owned by this object
    virtual void Release();                       // deletes the family if owned; handle becomes 0
    virtual int32_t CreateFromName(const char* name);  // GDI+ status
    virtual uint32_t Handle() const;
    virtual void SetHandle(uint32_t handle);      // releases, then owns the new handle

private:
    uint32_t handle_ = 0;
    bool owned_ = true;
};

}  // namespace app

namespace app::gdiplus {

uint32_t ImageWidth(uint32_t image);
uint32_t ImageHeight(uint32_t image);
// A new, fully transparent 32bppARGB bitmap of GDI+'s own memory, or 0.
uint32_t NewBitmap(uint32_t width, uint32_t height);
// A 32bppARGB bitmap over the caller's rows (stride width * 4), or 0. The rows
// must outlive the bitmap.
uint32_t BitmapOver(uint8_t* bgra, uint32_t width, uint32_t height);
uint32_t GraphicsOf(uint32_t bitmap);
// Draws the whole source image (sw x sh pixels) into the destination rectangle.
void DrawImage(uint32_t graphics, uint32_t image, float dx, float dy, float dw, float dh, float sw, float sh);
void DeleteGraphics(uint32_t graphics);
void DisposeImage(uint32_t image);

struct TextStyle {
    const char* fontName;
    int32_t size;
    uint32_t colour;  // 0x00BBGGRR
    int32_t style;
    int32_t alpha;
    int32_t hint;  // kNoTextRenderingHint leaves it unset
};
// Picture pixels to drawn pixels: a preview made at the size it is shown
// draws the text set on the full-size picture, scaled.
struct TextScale {
    float x = 1, y = 1;
    bool operator==(const TextScale&) const = default;
};
// Draws text (ANSI, CR LF breaks lines) with its layout box starting at (x, y)
// on a picture of the given size, both in picture pixels (before the scale);
// size and position are held to the ranges of text_limits.h here, the one
// place every plain text passes before it is drawn.
void DrawStyledText(uint32_t graphics, const TextStyle& style, const char* text, int32_t x, int32_t y,
                    uint32_t pictureWidth, uint32_t pictureHeight);

}  // namespace app::gdiplus

namespace app {



}  // namespace app
