// JPEG writer for canvases: baseline, 4:2:0, through libjpeg-turbo. JPEG has no
// transparency, so pixels are flattened onto white first. Plain C++.
#pragma once
#include <cstdint>
#include <vector>
#include "runtime/pictures/picture_canvas.h"

namespace imprinta::picture {

constexpr int kDefaultJpegQuality = 90;

// The JPEG file bytes at quality 1 to 100 (clamped); empty for an empty canvas
// or when memory runs out.
std::vector<uint8_t> EncodeJpeg(const Canvas& canvas, int quality = kDefaultJpegQuality);

}  // namespace imprinta::picture
