// Resampling of BGRA rows (alpha averaged like the colours) for the screen: each target pixel averages the
// source area it covers when shrinking (no source pixel is skipped, so thin
// text strokes stay visible) and interpolates linearly when enlarging. Plain C++.
#pragma once
#include <cstdint>
#include <vector>

namespace imprinta::picture {

// Rows of sw x sh pixels scaled to dw x dh; empty when a size is not positive
// or memory runs out.
std::vector<uint8_t> ScaleBgra(const uint8_t* bgra, int sw, int sh, int dw, int dh);

}  // namespace imprinta::picture
