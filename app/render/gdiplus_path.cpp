#include "app/render/gdiplus_path.h"
#include <new>
#include <vector>
#include "app/render/gdiplus.h"
#include "app/render/text_render.h"

namespace app {

using namespace gdiplus;

void* DrawTextOnPictureGdiplus(const void* picture, const char* fontName, int32_t size, uint32_t colour,
                               int32_t style, int32_t alpha, int32_t hint, const char* text, int32_t x, int32_t y,
                               const TextEffects* effects) {
    uint32_t source = PictureFromBytes(picture);
    uint32_t width = ImageWidth(source);
    uint32_t height = ImageHeight(source);
    // Styled text is painted on rows of our own, which the bitmap then wraps.
    const bool styled = effects && !IsPlain(*effects);
    std::vector<uint8_t> rows;
    if (styled) {
        try {
            rows.assign(static_cast<size_t>(width) * height * 4, 0);
        } catch (const std::bad_alloc&) {
            DisposeImage(source);
            return nullptr;
        }
    }
    uint32_t bitmap = styled ? BitmapOver(rows.data(), width, height) : NewBitmap(width, height);  // fully transparent
    uint32_t graphics = GraphicsOf(bitmap);
    DrawImage(graphics, source, 0, 0, static_cast<float>(width), static_cast<float>(height),
              static_cast<float>(width), static_cast<float>(height));
    DisposeImage(source);
    const TextStyle textStyle{fontName, size, colour, style, alpha, hint};
    if (styled) DrawTextOnRows(rows.data(), width, height, {textStyle, *effects, text, x, y});
    else DrawStyledText(graphics, textStyle, text, x, y, width, height);
    void* result = PictureToPng(bitmap);
    DeleteGraphics(graphics);
    DisposeImage(bitmap);
    return result;
}

}  // namespace app
