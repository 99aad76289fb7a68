// The picture watermark: where a mark goes on the base, and the GDI+ steps
// that flip, shrink and place it (shared by both paths of the renderer).
#pragma once
#include <cstdint>
#include <optional>

namespace app {

constexpr int32_t kWatermarkMargin = 5;
constexpr int32_t kRandomPosition = 10;

struct Point32 {
    int32_t x;
    int32_t y;
};
Point32 WatermarkPosition(int32_t position, int32_t baseWidth, int32_t baseHeight, int32_t drawnWidth,
                          int32_t drawnHeight, int32_t x, int32_t y);

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

// The all-GDI+ watermark: GDI+ decodes, composes and encodes.
void* ComposeWatermarkGdiplus(const void* base, const void* mark, const WatermarkPlacement& placement);

}  // namespace app
