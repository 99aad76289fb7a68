// The all-GDI+ path: GDI+ decodes, draws and encodes. The renderer takes it for
// pictures its own decoders leave to GDI+, and tests compare the fast path with it.
#pragma once
#include <cstdint>
#include "app/poster/text_style.h"

namespace app {

void* DrawTextOnPictureGdiplus(const void* picture, const char* fontName, int32_t size, uint32_t colour,
                               int32_t style, int32_t alpha, int32_t hint, const char* text, int32_t x, int32_t y,
                               const TextEffects* effects = nullptr);

}  // namespace app
