// Which of the poster's added fields lies under a point of the picture, and
// whether the point is on the corner handle that resizes a picture or a QR
// code. Plain C++: checked natively.
#pragma once
#include <cstdint>
#include "app/poster/poster.h"

namespace app {

// Where a field lies on the picture, in picture pixels. A text's box is
// estimated from its size and characters (a double-byte character a square,
// any other half of one), which is enough to pick it.
FieldBox FieldBounds(const PosterField& f);

struct FieldHit {
    int index = -1;       // into poster.fields; -1: none of the added fields
    bool corner = false;  // on the bottom right corner of a picture or QR code
};
// The topmost added field (the last drawn) under (x, y); the title and the
// body are left to the caller. `handle` is the corner handle's reach in
// picture pixels.
FieldHit FieldAt(const PosterDescription& poster, int32_t x, int32_t y, int32_t handle);

// A picture's box or a QR code's size after its corner was dragged by (dx, dy)
// from `start` (the field as the drag found it), within [kMinFieldSide, kMaxFieldSide].
constexpr int32_t kMinFieldSide = 8;
constexpr int32_t kMaxFieldSide = 20000;  // pixels: larger than any poster
PosterField Resized(const PosterField& start, int32_t dx, int32_t dy);
// The field moved by (dx, dy) from `start`, held to the stored positions' range.
PosterField Moved(const PosterField& start, int32_t dx, int32_t dy);

}  // namespace app
