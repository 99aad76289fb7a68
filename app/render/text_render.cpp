#include "app/render/text_render.h"
#include <algorithm>
#include <cmath>
#include <vector>
#include "app/render/gdiplus.h"
#include "app/platform/runtime_calls.h"
#include "app/render/text_effects.h"
#include "app/render/typesetter.h"
#include "app/render/vertical_text.h"
#include "app/poster/text_layout.h"
#include "app/poster/text_limits.h"
#include "runtime/core/blocks.h"

namespace app {

using namespace gdiplus;
using namespace typesetting;

namespace {

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
    // Widths are only compared with maxWidth (letter spacing added as Spaced adds it).
    MeasureText measure = [&](const Utf16& t, double s) {
        const size_t n = CharacterCount(t);
        const double spacing = n > 1 ? SpacingAt(e.letterSpacing, s) * double(n - 1) : 0.0;
        return typesetter.WidthWithin(t, s, maxWidth - spacing) + spacing;
    };
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
        size = ShrunkColumnsSize(typesetter, text, size, EffectLimits::kShrinkFloor * at.scale, maxLength,
                                 e.letterSpacing);
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
