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

// Where a pw x ph picture goes in an aw x ah area when it is shown whole, as
// large as the area allows, keeping its aspect ratio, centred. The same
// placement maps the area's points back to picture pixels (a drag on a
// preview). All zero when a size is not positive.
struct FitPlace {
    int x = 0, y = 0, width = 0, height = 0;
};
FitPlace FitWhole(int pw, int ph, int aw, int ah);

}  // namespace imprinta::picture
