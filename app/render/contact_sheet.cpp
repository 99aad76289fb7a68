#include "app/render/contact_sheet.h"
#include <algorithm>
#include <cstring>
#include <new>
#include "app/render/renderer.h"
#include "app/render/text_render.h"
#include "runtime/pictures/png_bands.h"
#include "runtime/pictures/png_encode.h"

namespace app {

namespace pic = imprinta::picture;

namespace {

constexpr uint32_t kBackground = 0xFFF4F4F4;  // BGRA as a word: light grey
constexpr uint32_t kMarkRed = 0xFFE02020;     // red
constexpr uint32_t kMostCellHeight = 1600;
constexpr int32_t kLabelSize = 16;
constexpr int kSheetLevel = 6;  // a sheet is looked at, not kept by the thousand: packed quickly

void Fill(pic::Canvas& c, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, uint32_t bgra) {
    for (uint32_t y = y0; y < std::min(c.height, y0 + h); ++y)
        for (uint32_t x = x0; x < std::min(c.width, x0 + w); ++x) std::memcpy(&c.bgra[(size_t(y) * c.width + x) * 4], &bgra, 4);
}

// The thumbnail centred in its box (a template of another shape fits inside it).
void Place(pic::Canvas& sheet, const pic::Canvas& thumb, uint32_t left, uint32_t top, uint32_t boxW, uint32_t boxH) {
    const uint32_t w = std::min(thumb.width, boxW), h = std::min(thumb.height, boxH);
    const uint32_t x0 = left + (boxW - w) / 2, y0 = top + (boxH - h) / 2;
    for (uint32_t y = 0; y < h; ++y)
        std::memcpy(&sheet.bgra[(size_t(y0 + y) * sheet.width + x0) * 4], &thumb.bgra[size_t(y) * thumb.Stride()], size_t(w) * 4);
}

}  // namespace

SheetLayout LayoutSheet(size_t count, uint32_t templateWidth, uint32_t templateHeight, uint32_t columns) {
    SheetLayout l;
    if (count == 0 || templateWidth == 0 || templateHeight == 0) return l;
    l.cellHeight = static_cast<uint32_t>(std::min<uint64_t>(
        kMostCellHeight, (uint64_t(SheetLayout::kCellWidth) * templateHeight + templateWidth / 2) / templateWidth));
    l.cellHeight = std::max<uint32_t>(l.cellHeight, 1);
    l.columns = static_cast<uint32_t>(std::min<size_t>(count, std::max<uint32_t>(columns, 1)));
    l.rows = static_cast<uint32_t>((count + l.columns - 1) / l.columns);
    return l;
}

pic::Canvas StartSheet(const std::vector<SheetEntry>& entries, const SheetLayout& l, const std::string& labelFont) {
    pic::Canvas sheet;
    if (l.columns == 0) return sheet;
    try {
        sheet.width = l.Width(), sheet.height = l.Height();
        sheet.bgra.resize(size_t(sheet.width) * sheet.height * 4);
    } catch (const std::bad_alloc&) {
        return {};
    }
    Fill(sheet, 0, 0, sheet.width, sheet.height, kBackground);
    const gdiplus::TextStyle style{labelFont.c_str(), kLabelSize, 0x333333, 0, 255, kTextRenderingHintAntiAlias};
    for (size_t i = 0; i < entries.size(); ++i) {
        const SheetEntry& e = entries[i];
        const uint32_t left = l.Left(i), top = l.Top(i);
        if (e.marked) {
            const uint32_t f = SheetLayout::kFrame;
            Fill(sheet, left - f, top - f, SheetLayout::kCellWidth + 2 * f, l.cellHeight + SheetLayout::kLabelHeight + 2 * f,
                 kMarkRed);
            Fill(sheet, left, top, SheetLayout::kCellWidth, l.cellHeight + SheetLayout::kLabelHeight, kBackground);
        }
        const uint32_t labelTop = top + l.cellHeight + 4;
        DrawTextOnRows(sheet.bgra.data(), sheet.width, sheet.height,
                       {style, TextEffects{}, e.label.c_str(), static_cast<int32_t>(left), static_cast<int32_t>(labelTop)});
    }
    return sheet;
}

void PlaceThumbnail(pic::Canvas& sheet, const SheetLayout& l, size_t i, const pic::Canvas& thumbnail) {
    if (sheet.bgra.empty() || i >= size_t(l.columns) * l.rows) return;
    Place(sheet, thumbnail, l.Left(i), l.Top(i), SheetLayout::kCellWidth, l.cellHeight);
}

ThumbnailRun::ThumbnailRun(const std::vector<SheetEntry>& entries, const SheetLayout& layout, int threads)
    : entries_(entries), ahead_(size_t(std::max(threads, 1)) * 2), pool_(threads > 1 ? threads : 0) {
    if (layout.columns == 0) return;
    // Each template shrunk once; the workers draw on copies of it.
    for (const SheetEntry& e : entries) {
        auto known = [&](const auto& b) { return b.first == e.templateBytes; };
        if (std::none_of(bases_.begin(), bases_.end(), known))
            bases_.push_back({e.templateBytes, ThumbnailTemplate(e.templateBytes, {SheetLayout::kCellWidth, layout.cellHeight})});
    }
    if (!entries.empty()) WarmUpRenderer(entries.front().poster);
    SubmitAhead();
}

ThumbnailRun::~ThumbnailRun() {
    for (auto& task : inFlight_) pool_.Wait(task.get());
}

void ThumbnailRun::SubmitAhead() {
    while (submitted_ < entries_.size() && inFlight_.size() < ahead_) {
        const SheetEntry& e = entries_[submitted_++];
        auto task = std::make_unique<RenderTask>();
        for (const auto& b : bases_)
            if (b.first == e.templateBytes) task->small = b.second;
        task->poster = e.poster;
        task->pictures = e.pictures;
        RenderTask* t = task.get();
        inFlight_.push_back(std::move(task));
        if (t->small.canvas) pool_.Submit(t);  // else nothing to draw on: an empty box
    }
}

bool ThumbnailRun::Next(bool wait, size_t* index, std::shared_ptr<pic::Canvas>* thumbnail) {
    if (inFlight_.empty()) return false;
    RenderTask* t = inFlight_.front().get();
    if (wait) pool_.Wait(t);
    else if (!pool_.Ready(t)) return false;
    *index = taken_++;
    *thumbnail = std::move(t->thumbnail);
    inFlight_.pop_front();
    SubmitAhead();
    return true;
}

std::vector<uint8_t> PackSheet(const pic::Canvas& sheet) {
    std::vector<uint8_t> png = pic::EncodePngInBands(sheet, kSheetLevel, nullptr);
    return png.empty() ? pic::EncodePng(sheet, {pic::PngCompression::Small, kSheetLevel, 0}) : png;
}

pic::Canvas MakeContactSheet(const std::vector<SheetEntry>& entries, uint32_t templateWidth, uint32_t templateHeight,
                             const std::string& labelFont, int threads) {
    const SheetLayout l = LayoutSheet(entries.size(), templateWidth, templateHeight);
    ThumbnailRun run(entries, l, threads);  // the workers start while the labels are drawn
    pic::Canvas sheet = StartSheet(entries, l, labelFont);
    if (sheet.bgra.empty()) return sheet;
    size_t i = 0;
    std::shared_ptr<pic::Canvas> thumbnail;
    while (run.Next(true, &i, &thumbnail))
        if (thumbnail) PlaceThumbnail(sheet, l, i, *thumbnail);
    return sheet;
}

}  // namespace app
