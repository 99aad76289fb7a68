// A batch seen whole: its posters made at thumbnail size, laid in a grid in
// their order with the row number under each, rows with problems framed red.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "app/poster/poster.h"
#include "runtime/pictures/picture_canvas.h"

namespace app {

struct SheetLayout {
    static constexpr uint32_t kColumns = 10;
    static constexpr uint32_t kCellWidth = 160;  // a thumbnail's box; its height follows the first template
    static constexpr uint32_t kGap = 16;
    static constexpr uint32_t kLabelHeight = 28;
    static constexpr uint32_t kFrame = 3;        // the red frame of a row with problems, in the gap
    uint32_t cellHeight = 0, columns = 0, rows = 0;
    uint32_t Width() const { return columns * (kCellWidth + kGap) + kGap; }
    uint32_t Height() const { return rows * (cellHeight + kLabelHeight + kGap) + kGap; }
    // The top left corner of thumbnail i's box.
    uint32_t Left(size_t i) const { return kGap + static_cast<uint32_t>(i % columns) * (kCellWidth + kGap); }
    uint32_t Top(size_t i) const { return kGap + static_cast<uint32_t>(i / columns) * (cellHeight + kLabelHeight + kGap); }
};
SheetLayout LayoutSheet(size_t count, uint32_t templateWidth, uint32_t templateHeight);

struct SheetEntry {
    const void* templateBytes;  // a byte set, the caller's
    PosterDescription poster;   // filled by its row
    std::string label;          // "第 N 行" (GBK)
    bool marked = false;        // the check found problems in its row
};

// The sheet; empty when there is nothing to show or memory runs out.
imprinta::picture::Canvas MakeContactSheet(const std::vector<SheetEntry>& entries, uint32_t templateWidth,
                                           uint32_t templateHeight, const std::string& labelFont);

}  // namespace app
