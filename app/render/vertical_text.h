// A vertical text's glyphs: its columns' cells (app/poster/vertical_layout.h)
// drawn into coverage masks at their places on the full-size picture.
#pragma once
#include <vector>
#include "app/render/typesetter.h"

namespace app::typesetting {

// The masks of the text's columns: upright cells drawn in one pass, corner
// marks and turned cells drawn apart and moved into place. maxLength wraps
// the columns (0: only line breaks start new ones).
std::vector<CoverageMask> VerticalColumns(const Setting& s, const Utf16& text, double maxLength);

// The largest size from size down to floor at which every column (line) of
// the text fits maxLength, letter spacing (thousandths of the size) included.
double ShrunkColumnsSize(Typesetter& t, const Utf16& text, double size, double floor, double maxLength,
                         int32_t letterSpacing);

}  // namespace app::typesetting
