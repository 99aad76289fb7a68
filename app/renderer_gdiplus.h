// GDI+ steps shared by the renderer's two paths: the fast path, which decodes
// with the program's own decoders and draws on that memory, and the all-GDI+
// path, which decodes and encodes through GDI+ as well.
#pragma once
#include <cstdint>
#include <optional>

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
// Picture pixels to drawn pixels: a preview made at the size it is shown draws
// every length of the text (position, size, and whatever styling adds) scaled.
struct TextScale {
    float x = 1, y = 1;
    bool operator==(const TextScale&) const = default;
};
// Draws text (ANSI, CR LF breaks lines) with its layout box starting at (x, y)
// on a picture of the given size, both in picture pixels (before the scale);
// size and position are held to the ranges of text_limits.h here, the one
// place every plain text passes before it is drawn.
void DrawStyledText(uint32_t graphics, const TextStyle& style, const char* text, int32_t x, int32_t y,
                    uint32_t pictureWidth, uint32_t pictureHeight, TextScale scale = {});

}  // namespace app::gdiplus

namespace app {

struct WatermarkPlacement {
    int32_t position;
    int32_t x, y;
    std::optional<int32_t> shrink;
    int32_t count;
    int32_t flipCode;
};

namespace gdiplus {
// RotateFlipType 0 to 7; other codes (-1: no choice made) leave the mark as it is.
void FlipMark(uint32_t mark, int32_t flipCode);
// Draws the base unscaled and the mark (its size taken as it is now, shrunk,
// placed by position code, repeated for code 10) onto graphics.
void DrawBaseAndMarks(uint32_t graphics, uint32_t base, uint32_t bw, uint32_t bh, uint32_t mark,
                      const WatermarkPlacement& placement);
}  // namespace gdiplus

// The all-GDI+ path: GDI+ decodes, draws and encodes. The renderer takes it for
// pictures its own decoders leave to GDI+, and tests compare the fast path with it.
struct TextEffects;
void* DrawTextOnPictureGdiplus(const void* picture, const char* fontName, int32_t size, uint32_t colour,
                               int32_t style, int32_t alpha, int32_t hint, const char* text, int32_t x, int32_t y,
                               const TextEffects* effects = nullptr);
void* ComposeWatermarkGdiplus(const void* base, const void* mark, const WatermarkPlacement& placement);

}  // namespace app
