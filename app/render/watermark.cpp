#include "app/render/watermark.h"
#include "app/platform/runtime_calls.h"
#include "app/poster/text_limits.h"
#include "app/render/gdiplus.h"

namespace app {

Point32 WatermarkPosition(int32_t position, int32_t baseWidth, int32_t baseHeight, int32_t drawnWidth,
                          int32_t drawnHeight, int32_t x, int32_t y) {
    const double bw = baseWidth, bh = baseHeight, dw = drawnWidth, dh = drawnHeight, m = kWatermarkMargin;
    double px, py;
    switch (position) {
    case 0: px = x, py = y; break;
    case 1: px = m, py = m; break;
    case 2: px = bw / 2 - dw / 2, py = m; break;
    case 3: px = bw - dw - m, py = m; break;
    case 4: px = bw - dw - m, py = bh / 2 - dh / 2 - m; break;
    case 5: px = bw - dw - m, py = bh - dh - m; break;
    case 6: px = bw / 2 - dw / 2, py = bh - dh - m; break;
    case 7: px = m, py = bh - dh - m; break;
    case 8: px = m, py = bh / 2 - dh / 2; break;
    case 9: px = bw / 2 - dw / 2, py = bh / 2 - dh / 2; break;
    case kRandomPosition:
        SeedRandom();
        return WatermarkPosition(RandomNumber(1, 9), baseWidth, baseHeight, drawnWidth, drawnHeight, x, y);
    default: px = 10, py = 10; break;
    }
    return {static_cast<int32_t>(px), static_cast<int32_t>(py)};
}

namespace gdiplus {

void FlipMark(uint32_t mark, int32_t flipCode) {
    // RotateFlipType runs 0 to 7; -1 (no choice made) leaves the mark as it is.
    if (flipCode >= 0 && flipCode <= 7) Dll(kDllGdipImageRotateFlip, {mark, static_cast<uint32_t>(flipCode)});
}

void DrawBaseAndMarks(uint32_t graphics, uint32_t base, uint32_t bw, uint32_t bh, uint32_t mark,
                      const WatermarkPlacement& p) {
    const uint32_t mw = ImageWidth(mark), mh = ImageHeight(mark);  // after the flip
    int32_t percent = p.shrink.value_or(100);
    if (percent < 0) percent = 0;
    int32_t dw = static_cast<int32_t>(mw), dh = static_cast<int32_t>(mh);
    if (percent <= 100) {  // never enlarged
        dw = RoundDown(mw / 100.0 * percent);
        dh = RoundDown(mh / 100.0 * percent);
    }
    auto drawMark = [&](Point32 at) {
        // Typed positions are held to the same reach as a text's.
        const TextPlacement held = ClampPlacement({0, at.x, at.y}, bw, bh);
        at = {held.x, held.y};
        if (dw > 0 && dh > 0)
            DrawImage(graphics, mark, static_cast<float>(at.x), static_cast<float>(at.y), static_cast<float>(dw),
                      static_cast<float>(dh), static_cast<float>(mw), static_cast<float>(mh));
    };
    const int32_t ibw = static_cast<int32_t>(bw), ibh = static_cast<int32_t>(bh);
    Point32 at = WatermarkPosition(p.position, ibw, ibh, dw, dh, p.x, p.y);
    DrawImage(graphics, base, 0, 0, static_cast<float>(bw), static_cast<float>(bh), static_cast<float>(bw),
              static_cast<float>(bh));
    drawMark(at);
    if (p.position == kRandomPosition) {
        int64_t repeats = static_cast<int64_t>(p.count) - 1;
        if (repeats < 0) repeats = 0;
        if (repeats > 8) repeats = 8;
        for (int64_t i = 0; i < repeats; ++i) drawMark(WatermarkPosition(kRandomPosition, ibw, ibh, dw, dh, p.x, p.y));
    }
}

}  // namespace gdiplus

using namespace gdiplus;

void* ComposeWatermarkGdiplus(const void* base, const void* mark, const WatermarkPlacement& placement) {
    uint32_t baseImage = PictureFromBytes(base);
    uint32_t markImage = PictureFromBytes(mark);
    FlipMark(markImage, placement.flipCode);
    const uint32_t bw = ImageWidth(baseImage), bh = ImageHeight(baseImage);
    uint32_t bitmap = NewBitmap(bw, bh);
    uint32_t graphics = GraphicsOf(bitmap);
    DrawBaseAndMarks(graphics, baseImage, bw, bh, markImage, placement);
    DisposeImage(baseImage);
    DisposeImage(markImage);
    void* result = PictureToPng(bitmap);
    DeleteGraphics(graphics);
    DisposeImage(bitmap);
    return result;
}

}  // namespace app
