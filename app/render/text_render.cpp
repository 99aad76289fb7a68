#include "app/render/text_render.h"
#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <vector>
#include "app/render/gdiplus.h"
#include "app/platform/runtime_calls.h"
#include "app/render/text_effects.h"
#include "app/poster/text_layout.h"
#include "app/poster/vertical_layout.h"
#include "app/poster/text_limits.h"
#include "runtime/core/blocks.h"

namespace app {

using namespace gdiplus;

namespace {

// A line's mask beyond this many pixels is not measured for its ink: it is
// placed by its layout box instead, and only the part near the picture is drawn.
constexpr int64_t kInkMeasureLimit = int64_t(16) << 20;

struct RectI {
    int64_t left, top, right, bottom;  // right and bottom exclusive
    bool empty() const { return right <= left || bottom <= top; }
    RectI Intersect(const RectI& o) const {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
};

Utf16 WideText(const char* text) {
    void* wide = TextToUtf16(text ? text : "");
    Utf16 out;
    if (!wide) return out;
    const auto* units = reinterpret_cast<const char16_t*>(ByteSetData(wide));
    const uint32_t n = ByteSetLength(wide) / 2;
    out.assign(units, units + (n > 0 ? n - 1 : 0));  // without the terminator
    Free(wide);
    return out;
}

// First and one-past-last columns holding any coverage; {0, 0} when none does.
std::pair<int32_t, int32_t> InkColumns(const CoverageMask& m) {
    int32_t first = m.width, last = -1;
    for (int32_t y = 0; y < m.height; ++y)
        for (int32_t x = 0; x < m.width; ++x)
            if (m.at(x, y)) first = std::min(first, x), last = std::max(last, x);
    return last < 0 ? std::pair<int32_t, int32_t>{0, 0} : std::pair<int32_t, int32_t>{first, last + 1};
}

// Room around a line's layout box for glyphs that overhang it.
int64_t Padding(double size) { return static_cast<int64_t>(size / 4) + 2; }
// A line's drawn width beside its layout box: emboldening widens every glyph a little.
int64_t BoxWidth(float layoutWidth, double size) {
    return static_cast<int64_t>(std::ceil(layoutWidth * 1.25)) + 2 * Padding(size) + 4;
}

// GDI+ fonts of one family and style by size, and a graphics to measure with.
class Typesetter {
public:
    Typesetter(const TextStyle& style) : style_(style) {
        bitmap_ = NewBitmap(1, 1);
        graphics_ = GraphicsOf(bitmap_);
        if (style.hint != kNoTextRenderingHint)
            Dll(kDllGdipSetTextRenderingHint, {graphics_, static_cast<uint32_t>(style.hint)});
    }
    ~Typesetter() {
        for (auto& f : fonts_) Dll(kDllGdipDeleteFont, {f.second});
        DeleteGraphics(graphics_);
        DisposeImage(bitmap_);
    }
    Typesetter(const Typesetter&) = delete;
    Typesetter& operator=(const Typesetter&) = delete;

    uint32_t Font(double size) {
        auto it = fonts_.find(size);
        if (it != fonts_.end()) return it->second;
        uint32_t font = CreateTextFont(style_.fontName, static_cast<float>(size), style_.style, kUnitPixel);
        fonts_[size] = font;
        return font;
    }
    // Layout box of one line (no wrapping): width and height. Vertical text
    // asks for the same characters again and again: answers are kept.
    void Measure(const Utf16& text, double size, float* width, float* height) {
        auto key = std::make_pair(size, text);
        auto known = measured_.find(key);
        if (known != measured_.end()) {
            *width = known->second.first, *height = known->second.second;
            return;
        }
        MeasureAnew(text, size, width, height);
        measured_.emplace(std::move(key), std::make_pair(*width, *height));
    }
    void MeasureAnew(const Utf16& text, double size, float* width, float* height) {
        float layout[4] = {0, 0, 0, 0}, box[4] = {0, 0, 0, 0};
        int32_t fitted = 0, lines = 0;
        const Utf16 probe = text.empty() ? Utf16(u" ") : text;
        Dll(kDllGdipMeasureString, {graphics_, PtrWord(probe.c_str()), static_cast<uint32_t>(probe.size()),
                                    Font(size), PtrWord(layout), 0, PtrWord(box), PtrWord(&fitted), PtrWord(&lines)});
        *width = text.empty() ? 0.0f : box[2];
        *height = box[3];
    }
    // How far right of its layout origin a line's ink reaches. Measured on the
    // drawn glyphs: GDI+'s layout box leaves out the width an emboldened face gains.
    double Width(const Utf16& text, double size) {
        float w = 0, h = 0;
        Measure(text, size, &w, &h);
        if (text.empty() || w * static_cast<double>(h) > kInkMeasureLimit) return w;
        const int64_t pad = Padding(size);
        CoverageMask m = Render(text, size, pad, pad, {0, 0, BoxWidth(w, size), static_cast<int64_t>(std::ceil(h)) + 2 * pad});
        const auto columns = InkColumns(m);
        return columns.second > 0 ? columns.second - pad : 0.0;
    }

    // The room GDI+ leaves before and after a text inside its layout box.
    double Lead(double size) {
        auto it = leads_.find(size);
        if (it != leads_.end()) return it->second;
        float one = 0, two = 0, h = 0;
        Measure(u"\x4E00", size, &one, &h);
        Measure(u"\x4E00\x4E00", size, &two, &h);
        return leads_[size] = std::max(0.0, (2.0 * one - two) / 2);
    }
    // How far a text moves the next one along, without the layout box's room.
    double Advance(const Utf16& text, double size) {
        float w = 0, h = 0;
        Measure(text, size, &w, &h);
        return text.empty() ? 0.0 : std::max(0.0, w - 2 * Lead(size));
    }

    // A text drawn alone with its layout box at (pad, pad) of a mask of its
    // own, and that box's size; kept for the characters a text repeats.
    struct Alone {
        CoverageMask mask;
        float width = 0, height = 0;
    };
    const Alone& DrawnAlone(const Utf16& text, double size, int64_t pad) {
        auto key = std::make_pair(size, text);
        auto known = alone_.find(key);
        if (known != alone_.end()) return known->second;
        Alone a;
        Measure(text, size, &a.width, &a.height);
        a.mask = Render(text, size, pad, pad, {0, 0, BoxWidth(a.width, size), static_cast<int64_t>(std::ceil(a.height)) + 2 * pad});
        return alone_.emplace(std::move(key), std::move(a)).first->second;
    }

    // Texts drawn with their layout boxes starting at given places.
    struct Piece {
        Utf16 text;
        double ox, oy, size;
    };
    // The line's coverage in rect (picture coordinates), its layout box starting at (ox, oy).
    CoverageMask Render(const Utf16& line, double size, double ox, double oy, const RectI& rect) {
        return RenderPieces({{line, ox, oy, size}}, rect);
    }
    CoverageMask RenderPieces(const std::vector<Piece>& pieces, const RectI& rect) {
        CoverageMask mask = CoverageMask::Blank(static_cast<int32_t>(rect.left), static_cast<int32_t>(rect.top),
                                                static_cast<int32_t>(rect.right - rect.left),
                                                static_cast<int32_t>(rect.bottom - rect.top));
        if (mask.empty()) return mask;
        std::vector<uint8_t> rows(static_cast<size_t>(mask.width) * mask.height * 4, 0);
        uint32_t bitmap = BitmapOver(rows.data(), mask.width, mask.height);
        uint32_t graphics = GraphicsOf(bitmap);
        if (style_.hint != kNoTextRenderingHint)
            Dll(kDllGdipSetTextRenderingHint, {graphics, static_cast<uint32_t>(style_.hint)});
        uint32_t brush = CreateTextBrush(0xFFFFFF, 255);
        for (const Piece& p : pieces) {
            float at[4] = {static_cast<float>(p.ox - rect.left), static_cast<float>(p.oy - rect.top), 0, 0};
            Dll(kDllGdipDrawString, {graphics, PtrWord(p.text.c_str()), static_cast<uint32_t>(p.text.size()),
                                     Font(p.size), PtrWord(at), 0, brush});
        }
        Dll(kDllGdipDeleteBrush, {brush});
        DeleteGraphics(graphics);
        DisposeImage(bitmap);
        for (size_t i = 0; i < mask.alpha.size(); ++i) mask.alpha[i] = rows[i * 4 + 3];
        return mask;
    }

private:
    TextStyle style_;
    uint32_t bitmap_ = 0, graphics_ = 0;
    std::map<double, uint32_t> fonts_;
    std::map<double, double> leads_;
    std::map<std::pair<double, Utf16>, std::pair<float, float>> measured_;
    std::map<std::pair<double, Utf16>, Alone> alone_;
};

// Copies the part of src inside dst's rectangle into dst, keeping the larger coverage.
void Merge(CoverageMask& dst, const CoverageMask& src) {
    const RectI d{dst.left, dst.top, int64_t(dst.left) + dst.width, int64_t(dst.top) + dst.height};
    const RectI s{src.left, src.top, int64_t(src.left) + src.width, int64_t(src.top) + src.height};
    const RectI r = d.Intersect(s);
    for (int64_t y = r.top; y < r.bottom; ++y)
        for (int64_t x = r.left; x < r.right; ++x) {
            uint8_t& to = dst.alpha[static_cast<size_t>(y - dst.top) * dst.width + (x - dst.left)];
            to = std::max(to, src.at(static_cast<int32_t>(x - src.left), static_cast<int32_t>(y - src.top)));
        }
}

// Lines after breaking at line ends and fitting to the width; may lower size.
std::vector<Utf16> FittedLines(const Utf16& text, const TextEffects& e, double scale, double* size,
                               Typesetter& typesetter) {
    std::vector<Utf16> lines = SplitLines(text);
    const double maxWidth = e.maxWidth * scale;
    if (!(maxWidth > 0)) return lines;
    MeasureText measure = Spaced([&](const Utf16& t, double s) { return typesetter.Width(t, s); }, e.letterSpacing);
    if (e.fit == TextFit::Shrink) {
        *size = ShrunkSize(lines, *size, EffectLimits::kShrinkFloor * scale, maxWidth, measure);
        return lines;
    }
    std::vector<Utf16> wrapped;
    for (const Utf16& line : lines)
        for (Utf16& piece : WrapLine(line, maxWidth, *size, measure)) wrapped.push_back(std::move(piece));
    return wrapped;
}

size_t CharacterLength(const Utf16& s, size_t i) {
    return i + 1 < s.size() && s[i] >= 0xD800 && s[i] <= 0xDBFF ? 2 : 1;
}

// What the glyph masks of one text are set with, on the full-size picture.
struct Setting {
    Typesetter& typesetter;
    TextEffects e;
    double x, y, size, step, spacing;
    int64_t pad;
    RectI reach;  // nothing wholly outside it is drawn
};

// A line with its layout box starting at (ox, oy): one call to GDI+, or with
// letter spacing each character after the last one's advance and the spacing.
CoverageMask RenderLine(const Setting& s, const Utf16& line, double ox, double oy, const RectI& rect) {
    if (s.spacing == 0) return s.typesetter.Render(line, s.size, ox, oy, rect);
    std::vector<Typesetter::Piece> pieces;
    for (size_t i = 0; i < line.size();) {
        const size_t n = CharacterLength(line, i);
        Utf16 c = line.substr(i, n);
        const double advance = s.typesetter.Advance(c, s.size);
        pieces.push_back({std::move(c), ox, oy, s.size});
        ox += advance + s.spacing;
        i += n;
    }
    return s.typesetter.RenderPieces(pieces, rect);
}

std::vector<CoverageMask> HorizontalLines(const Setting& s, const std::vector<Utf16>& lines) {
    const TextEffects& e = s.e;
    const int64_t pad = s.pad;
    const RectI& reach = s.reach;
    std::vector<CoverageMask> placed;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Utf16& line = lines[i];
        if (line.find_first_not_of(u" \t\x3000") == Utf16::npos) continue;
        float w = 0, h = 0;
        s.typesetter.Measure(line, s.size, &w, &h);
        const size_t n = CharacterCount(line);
        if (n > 1) w = std::max(0.0f, w + static_cast<float>(s.spacing * double(n - 1)));
        const double oy = s.y + i * s.step;
        if (oy - pad > reach.bottom) break;  // the lines below start lower still
        const int64_t boxW = BoxWidth(w, s.size), boxH = static_cast<int64_t>(std::ceil(h)) + 2 * pad;
        double ox = s.x;
        CoverageMask mask;
        if (e.align != TextAlign::Left && boxW * boxH <= kInkMeasureLimit) {
            // Drawn once away from the picture; aligned by its ink, then moved into place.
            const double fx = s.x - std::floor(s.x), fy = oy - std::floor(oy);
            mask = RenderLine(s, line, pad + fx, pad + fy, {0, 0, boxW, boxH});
            const auto [first, last] = InkColumns(mask);
            const double target = e.align == TextAlign::Centre ? s.x - (last - first) / 2.0 : s.x - (last - first);
            mask.left = static_cast<int32_t>(std::llround(target)) - first;
            mask.top = static_cast<int32_t>(std::floor(oy) - pad);
            const RectI r = RectI{mask.left, mask.top, mask.left + boxW, mask.top + boxH}.Intersect(reach);
            if (r.empty()) continue;
        } else {
            if (e.align == TextAlign::Centre) ox -= w / 2.0;
            if (e.align == TextAlign::Right) ox -= w;
            const int64_t left = static_cast<int64_t>(std::floor(ox)) - pad, top = static_cast<int64_t>(std::floor(oy)) - pad;
            const RectI r = RectI{left, top, left + boxW, top + boxH}.Intersect(reach);
            if (r.empty()) continue;
            mask = RenderLine(s, line, ox, oy, r);
        }
        placed.push_back(std::move(mask));
    }
    return placed;
}

// Share of a cell two upright digits may fill across the column.
constexpr double kPairedWidth = 0.9;

// The columns of a vertical text, one mask each: upright cells drawn in one
// pass, corner marks and turned cells drawn apart and moved into place.
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

RectI BoundsOf(const CoverageMask& m) {
    return {m.left, m.top, int64_t(m.left) + m.width, int64_t(m.top) + m.height};
}

// How far the ink box moves to stand against the picture (or stays at its point).
int64_t PlacedShift(PicturePlace place, int64_t inkStart, int64_t inkEnd, double side, double margin) {
    switch (place) {
    case PicturePlace::Start: return std::llround(margin) - inkStart;
    case PicturePlace::Middle: return std::llround((side - double(inkEnd - inkStart)) / 2) - inkStart;
    case PicturePlace::End: return std::llround(side - margin) - inkEnd;
    case PicturePlace::AtPoint: break;
    }
    return 0;
}

void DrawWithEffects(uint8_t* bgra, uint32_t width, uint32_t height, uint32_t ownWidth, uint32_t ownHeight,
                     const TextDrawing& d) {
    const TextEffects e = Clamped(d.effects);
    // The text is set on the picture the rows stand for, whatever their scale:
    // line breaks, the shrunk size, alignment and line places are the
    // full-size picture's, and so are the glyphs' places within a line. Set at
    // a preview's scale, glyphs come out relatively wider (an emboldened one
    // most), and lines would break and shrink otherwise than in the file.
    const StyledPlacement at = PlaceText(e, d.x, d.y, d.style.size, ownWidth, ownHeight, 1.0);
    if (!(at.size > 0) || !d.text) return;
    Typesetter typesetter(d.style);
    double size = at.size;
    const Utf16 text = WideText(d.text);
    const bool vertical = e.direction == TextDirection::Vertical;
    double maxLength = e.maxWidth * at.scale;
    std::vector<Utf16> lines;
    if (!vertical) {
        lines = FittedLines(text, e, at.scale, &size, typesetter);
    } else if (maxLength > 0 && e.fit == TextFit::Shrink) {
        const MeasureText column = [&](const Utf16& t, double s) {
            return ColumnLength(t, s, SpacingAt(e.letterSpacing, s), [&](const Utf16& p, double ps) {
                return typesetter.Advance(p, ps);
            });
        };
        size = ShrunkSize(SplitLines(text), size, EffectLimits::kShrinkFloor * at.scale, maxLength, column);
        maxLength = 0;
    }
    float unused = 0, lineHeight = 0;
    typesetter.Measure(u"A", size, &unused, &lineHeight);
    // Columns lie whole pixels apart: each may be drawn on its own (ColumnsDrawnApart).
    const double step = vertical ? std::round(lineHeight * e.lineSpacing / 100.0) : lineHeight * e.lineSpacing / 100.0;

    // Outline and shadow are worked out on the rows, at their scale.
    const bool scaled = !(d.scale == TextScale{});
    const double sx = d.scale.x, sy = d.scale.y, lengths = at.scale * (sx + sy) / 2.0;
    const double outline = HasOutline(e) ? e.outlineWidth * lengths : 0;
    const int64_t blur = HasShadow(e) ? static_cast<int64_t>(std::ceil(e.shadowBlur * lengths)) : 0;
    int64_t dx = HasShadow(e) ? std::llround(e.shadowDx * lengths) : 0;
    int64_t dy = HasShadow(e) ? std::llround(e.shadowDy * lengths) : 0;
    if (e.rotation != 0) {  // the shadow turns with the text
        const double a = e.rotation * 3.14159265358979323846 / 180, c = std::cos(a), s = std::sin(a);
        const double tx = dx * c - dy * s, ty = dx * s + dy * c;
        dx = std::llround(tx), dy = std::llround(ty);
    }
    // What may reach the rows: the rows grown by how far effects spread, and
    // the same place on the full-size picture, where the glyphs are set.
    const int64_t spread = static_cast<int64_t>(std::ceil(outline)) + 2 + blur + 2 + std::max(std::abs(dx), std::abs(dy));
    const RectI rowsReach{-spread, -spread, int64_t(width) + spread, int64_t(height) + spread};
    RectI reach = !scaled ? rowsReach
                          : RectI{static_cast<int64_t>(std::floor(rowsReach.left / sx)) - 1,
                                  static_cast<int64_t>(std::floor(rowsReach.top / sy)) - 1,
                                  static_cast<int64_t>(std::ceil(rowsReach.right / sx)) + 1,
                                  static_cast<int64_t>(std::ceil(rowsReach.bottom / sy)) + 1};
    if (e.rotation != 0 || IsPlaced(e)) {
        // Turned or moved afterwards, any part may end on the picture: as far
        // as a text may start from it.
        const int64_t far = int64_t(kPositionReach) * std::max<int64_t>(1, std::max(ownWidth, ownHeight)) + spread;
        reach = {-far, -far, int64_t(ownWidth) + far, int64_t(ownHeight) + far};
    }
    const Setting setting{typesetter, e, at.x, at.y, size, step, SpacingAt(e.letterSpacing, size), Padding(size), reach};
    std::vector<CoverageMask> placed = vertical ? VerticalColumns(setting, text, maxLength) : HorizontalLines(setting, lines);

    RectI bounds{0, 0, 0, 0};
    for (size_t i = 0; i < placed.size(); ++i) {
        const RectI m = BoundsOf(placed[i]);
        bounds = i == 0 ? m : RectI{std::min(bounds.left, m.left), std::min(bounds.top, m.top),
                                    std::max(bounds.right, m.right), std::max(bounds.bottom, m.bottom)};
    }
    bounds = bounds.Intersect(reach);
    if (placed.empty() || bounds.empty()) return;
    CoverageMask fill = CoverageMask::Blank(static_cast<int32_t>(bounds.left), static_cast<int32_t>(bounds.top),
                                            static_cast<int32_t>(bounds.right - bounds.left),
                                            static_cast<int32_t>(bounds.bottom - bounds.top));
    for (const CoverageMask& m : placed) Merge(fill, m);
    placed.clear();

    // The gradient runs across the text's own ink box, and turns with it.
    const InkBounds own = HasGradient(e) ? InkOf(fill) : InkBounds{};
    LinearGradient gradient = GradientAcross(e.gradientFrom, e.gradientTo, e.gradientAngle, own.left, own.top,
                                             own.right, own.bottom);
    if (e.rotation != 0) {
        fill = Rotated(fill, e.rotation, at.x, at.y);
        gradient = Turned(gradient, e.rotation, at.x, at.y);
    }
    if (IsPlaced(e)) {
        const InkBounds ink = InkOf(fill);
        if (ink.empty()) return;
        const int64_t mx = PlacedShift(e.placeX, ink.left, ink.right, ownWidth, e.marginX * at.scale);
        const int64_t my = PlacedShift(e.placeY, ink.top, ink.bottom, ownHeight, e.marginY * at.scale);
        fill.left = static_cast<int32_t>(fill.left + mx), fill.top = static_cast<int32_t>(fill.top + my);
        gradient.originX += mx, gradient.originY += my;
    }
    if (scaled) {
        fill = Shrunk(fill, sx, sy);
        gradient.scaleX = sx, gradient.scaleY = sy;
        const RectI f{fill.left, fill.top, int64_t(fill.left) + fill.width, int64_t(fill.top) + fill.height};
        if (f.Intersect(rowsReach).empty()) return;
    }

    const int32_t w32 = static_cast<int32_t>(width), h32 = static_cast<int32_t>(height);
    const CoverageMask outlined = outline > 0 ? Outlined(fill, outline) : CoverageMask{};
    if (HasShadow(e)) {
        const CoverageMask shadow = Blurred(outline > 0 ? outlined : fill, static_cast<int32_t>(blur));
        PaintMask(bgra, w32, h32, shadow, static_cast<int32_t>(dx), static_cast<int32_t>(dy), e.shadowColour,
                  e.shadowOpacity * 255 / 100 * d.style.alpha / 255);
    }
    if (outline > 0) PaintMask(bgra, w32, h32, outlined, 0, 0, e.outlineColour, d.style.alpha);
    if (HasGradient(e)) PaintMask(bgra, w32, h32, fill, 0, 0, gradient, d.style.alpha);
    else PaintMask(bgra, w32, h32, fill, 0, 0, d.style.colour, d.style.alpha);
}

}  // namespace

double LineAdvance(const TextStyle& style) {
    Typesetter typesetter(style);
    float width = 0, one = 0, two = 0;
    typesetter.Measure(u"A", style.size, &width, &one);
    typesetter.Measure(u"A\nA", style.size, &width, &two);
    return two > one ? two - one : one;
}

bool ColumnsDrawnApart(const TextEffects& e) {
    TextEffects rest = Clamped(e);
    rest.direction = TextDirection::Horizontal;
    rest.lineSpacing = 100;
    rest.align = TextAlign::Left;
    rest.letterSpacing = 0;
    return Clamped(e).direction == TextDirection::Vertical && IsPlain(rest);
}

int32_t ColumnStep(const TextStyle& style, const TextEffects& e) {
    Typesetter typesetter(style);
    float width = 0, height = 0;
    typesetter.Measure(u"A", style.size, &width, &height);
    return static_cast<int32_t>(std::round(height * Clamped(e).lineSpacing / 100.0));
}

void DrawTextOnRows(uint8_t* bgra, uint32_t width, uint32_t height, const TextDrawing& drawing) {
    // The picture the rows stand for, and the size and place held to what it can show.
    const uint32_t ownWidth = static_cast<uint32_t>(std::lround(width / drawing.scale.x));
    const uint32_t ownHeight = static_cast<uint32_t>(std::lround(height / drawing.scale.y));
    TextDrawing d = drawing;
    const TextPlacement held = ClampPlacement({d.style.size, d.x, d.y}, ownWidth, ownHeight);
    d.style.size = held.size;
    d.x = held.x;
    d.y = held.y;
    // A plain text at full size is drawn by GDI+ in one call, exactly as it
    // always was; at a preview's scale it is set full size like styled text.
    if (IsPlain(d.effects) && d.scale == TextScale{}) {
        uint32_t bitmap = BitmapOver(bgra, width, height);
        uint32_t graphics = GraphicsOf(bitmap);
        DrawStyledText(graphics, d.style, d.text, d.x, d.y, ownWidth, ownHeight);
        DeleteGraphics(graphics);
        DisposeImage(bitmap);
        return;
    }
    DrawWithEffects(bgra, width, height, ownWidth, ownHeight, d);
}

}  // namespace app
