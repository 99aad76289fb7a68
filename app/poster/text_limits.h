// The ranges every size and position is held to before anything is drawn or
// stored. GDI+ lays text out in 32-bit floats: a position near INT_MAX, a size
// of millions of pixels or a negative size crashes it or keeps it busy for
// seconds, and values like that only ever come from a slip of the keyboard or a
// damaged settings file. Plain C++, shared by the renderer and the settings.
#pragma once
#include <algorithm>
#include <cstdint>

namespace app {

constexpr int32_t kMaxTextSize = 2000;           // pixels; larger than any poster needs
constexpr int32_t kSizeReach = 2;                // on a picture: at most this many picture sides...
constexpr int32_t kSmallPictureSize = 200;       // ...or this, on a tiny one
constexpr int32_t kMaxStoredPosition = 100000;   // pixels, either side of the picture's corner
constexpr int32_t kPositionReach = 4;            // a text may start this many picture sides away

constexpr int32_t ClampNumber(int64_t value, int32_t low, int32_t high) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, low, high));
}
constexpr int32_t ClampTextSize(int64_t size) { return ClampNumber(size, 0, kMaxTextSize); }
constexpr int32_t ClampStoredPosition(int64_t p) { return ClampNumber(p, -kMaxStoredPosition, kMaxStoredPosition); }

struct TextPlacement {
    int32_t size, x, y;
};

// Where a text is drawn on a picture of the given size: the size no larger
// than a glyph that could still show on it (GDI+ lays out and rasterises whole
// glyphs, seconds each at thousands of pixels), the position no further out
// than a few picture sides (nothing beyond that can reach the picture, and
// GDI+ keeps its arithmetic exact there).
constexpr TextPlacement ClampPlacement(TextPlacement p, int64_t width, int64_t height) {
    const int64_t side = std::max<int64_t>(1, std::max(width, height));
    const int32_t reach = ClampNumber(side * kPositionReach, 1, kMaxStoredPosition);
    const int32_t largest = ClampNumber(std::max<int64_t>(side * kSizeReach, kSmallPictureSize), 0, kMaxTextSize);
    return {ClampNumber(p.size, 0, largest), ClampNumber(p.x, -reach, reach), ClampNumber(p.y, -reach, reach)};
}

}  // namespace app
