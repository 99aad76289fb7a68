#include "app/render/vertical_text.h"
#include <iterator>
#include "app/poster/vertical_layout.h"

namespace app::typesetting {

namespace {

// Share of a cell two upright digits may fill across the column.
constexpr double kPairedWidth = 0.9;

}  // namespace

std::vector<CoverageMask> VerticalColumns(const Setting& s, const Utf16& text, double maxLength) {
    Typesetter& t = s.typesetter;
    const MeasureText advance = [&](const Utf16& piece, double size) { return t.Advance(piece, size); };
    VerticalSetting v{s.size, s.spacing, maxLength, s.step, s.e.align};
    const VerticalLayout layout = LayOutVertical(text, v, advance);
    float unused = 0, lineHeight = 0;
    t.Measure(u"\x4E00", s.size, &unused, &lineHeight);
    const double lead = t.Lead(s.size);
    const int64_t pad = s.pad, across = static_cast<int64_t>(std::ceil(lineHeight)) + 2 * pad;
    // Upright cells are drawn in one pass over the columns' box; the others
    // apart (once per character) and moved into place.
    struct Column {
        RectI rect;
        std::vector<Typesetter::Piece> upright;
    };
    std::vector<Column> columns;
    std::vector<CoverageMask> apart;
    RectI box{0, 0, 0, 0};
    for (size_t first = 0; first < layout.cells.size();) {
        size_t end = first;
        while (end < layout.cells.size() && layout.cells[end].column == layout.cells[first].column) ++end;
        const VerticalCell& head = layout.cells[first];
        const double centre = s.x + head.right - s.size / 2;
        const double top = s.y + head.y, foot = top + layout.columnLengths[head.column];
        const int64_t left = static_cast<int64_t>(std::floor(centre)) - across / 2 - pad;
        const RectI rect = RectI{left, static_cast<int64_t>(std::floor(std::min(top, foot))) - 2 * pad,
                                 left + across + 2 * pad, static_cast<int64_t>(std::ceil(std::max(top, foot))) + 2 * pad}
                               .Intersect(s.reach);
        const size_t from = first;
        first = end;
        if (rect.empty()) continue;
        box = box.empty() ? rect : RectI{std::min(box.left, rect.left), std::min(box.top, rect.top),
                                         std::max(box.right, rect.right), std::max(box.bottom, rect.bottom)};
        columns.push_back({rect, {}});
        std::vector<Typesetter::Piece>& upright = columns.back().upright;
        for (size_t i = from; i < end; ++i) {
            const VerticalCell& cell = layout.cells[i];
            const double cellTop = s.y + cell.y, middle = cellTop + cell.length / 2;
            switch (cell.form) {
            case CellForm::Blank: break;
            case CellForm::Upright:
            case CellForm::Paired: {
                double size = s.size;
                if (cell.form == CellForm::Paired) {
                    const double a = t.Advance(cell.text, size);
                    if (a > kPairedWidth * s.size) size = std::max(1.0, std::floor(size * kPairedWidth * s.size / a));
                }
                float w = 0, h = 0;
                t.Measure(cell.text, size, &w, &h);
                upright.push_back({cell.text, centre - w / 2.0, middle - h / 2.0, size});
                break;
            }
            case CellForm::Corner:
            case CellForm::Turned: {
                const Typesetter::Alone& a = t.DrawnAlone(cell.text, s.size, pad);
                CoverageMask m;
                if (cell.form == CellForm::Corner) {
                    const InkBounds ink = InkOf(a.mask);
                    if (ink.empty()) break;
                    m = a.mask;
                    const InkPlace at = CornerInk(cell, s.size, ink.right - ink.left, ink.bottom - ink.top);
                    m.left = static_cast<int32_t>(std::llround(s.x + at.left)) - ink.left;
                    m.top = static_cast<int32_t>(std::llround(s.y + at.top)) - ink.top;
                } else {
                    // Turned, the layout box's top edge becomes its right one and the
                    // text's start its top: the box is centred on the column.
                    m = TurnedClockwise(a.mask);
                    m.left = static_cast<int32_t>(std::llround(centre - (m.width - pad - a.height / 2.0)));
                    m.top = static_cast<int32_t>(std::llround(cellTop - pad - lead));
                }
                apart.push_back(std::move(m));
                break;
            }
            }
        }
    }
    auto area = [](const RectI& r) { return (r.right - r.left) * (r.bottom - r.top); };
    std::vector<CoverageMask> placed;
    if (columns.empty()) return placed;
    if (area(box) <= kInkMeasureLimit) {
        std::vector<Typesetter::Piece> all;
        for (Column& c : columns) std::move(c.upright.begin(), c.upright.end(), std::back_inserter(all));
        placed.push_back(t.RenderPieces(all, box));
    } else {  // a picture's worth of columns: one at a time
        for (const Column& c : columns)
            if (area(c.rect) <= kInkMeasureLimit) placed.push_back(t.RenderPieces(c.upright, c.rect));
    }
    for (CoverageMask& m : apart) placed.push_back(std::move(m));
    return placed;
}

double ShrunkColumnsSize(Typesetter& t, const Utf16& text, double size, double floor, double maxLength,
                         int32_t letterSpacing) {
    const MeasureText advance = [&](const Utf16& piece, double at) { return t.Advance(piece, at); };
    const MeasureText column = [&](const Utf16& c, double at) {
        return ColumnLength(c, at, SpacingAt(letterSpacing, at), advance);
    };
    return ShrunkSize(SplitLines(text), size, floor, maxLength, column);
}

}  // namespace app::typesetting
