// A batch seen whole: its posters made at thumbnail size, laid in a grid in
// their order with the row number under each, rows with problems framed red.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>
#include "app/poster/poster.h"
#include "app/render/render_pool.h"
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
SheetLayout LayoutSheet(size_t count, uint32_t templateWidth, uint32_t templateHeight,
                        uint32_t columns = SheetLayout::kColumns);

struct SheetEntry {
    const void* templateBytes;  // a byte set, the caller's
    PosterDescription poster;   // filled by its row
    std::string label;          // "第 N 行" (GBK)
    bool marked = false;        // the check found problems in its row
    std::shared_ptr<RowPictures> pictures;  // the row's files, decoded by the worker drawing it; null: none
};

// The sheet with every cell's frame and label and no thumbnail yet; empty when
// there is nothing to show or memory runs out. Main thread (GDI+ labels).
imprinta::picture::Canvas StartSheet(const std::vector<SheetEntry>& entries, const SheetLayout& layout,
                                     const std::string& labelFont);
// Thumbnail i centred in its box (a template of another shape fits inside it).
void PlaceThumbnail(imprinta::picture::Canvas& sheet, const SheetLayout& layout, size_t i,
                    const imprinta::picture::Canvas& thumbnail);

// Makes the entries' thumbnails on worker threads, a few ahead of the one
// taken, and hands them over in order. Built and used on the main thread
// (it decodes the templates once each and shrinks them to the box there).
class ThumbnailRun {
public:
    ThumbnailRun(const std::vector<SheetEntry>& entries, const SheetLayout& layout, int threads);
    ~ThumbnailRun();
    ThumbnailRun(const ThumbnailRun&) = delete;
    ThumbnailRun& operator=(const ThumbnailRun&) = delete;
    // The next thumbnail in order, with its index (null picture: it could not
    // be drawn). False when all were taken, or, not waiting, the next is not
    // ready yet.
    bool Next(bool wait, size_t* index, std::shared_ptr<imprinta::picture::Canvas>* thumbnail);
    size_t taken() const { return taken_; }

private:
    void SubmitAhead();
    const std::vector<SheetEntry>& entries_;
    std::vector<std::pair<const void*, ThumbnailBase>> bases_;  // by template bytes
    std::deque<std::unique_ptr<RenderTask>> inFlight_;
    size_t submitted_ = 0, taken_ = 0, ahead_;
    RenderPool pool_;
};

// The sheet as a PNG file's bytes, packed on every core; empty when memory runs out.
std::vector<uint8_t> PackSheet(const imprinta::picture::Canvas& sheet);

// The whole sheet at once; empty when there is nothing to show or memory runs out.
imprinta::picture::Canvas MakeContactSheet(const std::vector<SheetEntry>& entries, uint32_t templateWidth,
                                           uint32_t templateHeight, const std::string& labelFont, int threads);

}  // namespace app
