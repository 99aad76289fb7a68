#include "app/poster/poster_check.h"
#include <algorithm>
#include <cmath>
#include "app/poster/text_limits.h"

namespace app {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\x3000'; }

Utf16 MissingGlyphs(const Utf16& text, const FontMetrics& font) {
    Utf16 missing;
    for (char16_t c : text)
        if (!IsBlank(c) && missing.find(c) == Utf16::npos && !font.hasGlyph(c)) missing += c;
    return missing;
}

int32_t Pixels(double d) { return static_cast<int32_t>(std::ceil(d - 0.5)); }

}  // namespace

std::vector<FieldProblem> CheckTextField(const TextField& field, const Utf16& text, uint32_t width, uint32_t height,
                                         const FontMetrics& font, int32_t smallestPercent) {
    std::vector<FieldProblem> problems;
    if (text.find_first_not_of(u" \t\r\n\x3000") == Utf16::npos) return problems;
    if (Utf16 missing = MissingGlyphs(text, font); !missing.empty())
        problems.push_back({TextProblem::MissingGlyphs, 0, 0, missing});
    const TextEffects e = Clamped(field.effects);
    const TextPlacement held = ClampPlacement({field.size, field.x, field.y}, width, height);
    const StyledPlacement at = PlaceText(e, held.x, held.y, held.size, width, height, 1.0);
    if (!(at.size > 0)) return problems;
    double size = at.size;
    std::vector<Utf16> lines = SplitLines(text);
    const double maxWidth = e.maxWidth * at.scale;
    if (maxWidth > 0 && e.fit == TextFit::Shrink) {
        size = ShrunkSize(lines, size, EffectLimits::kShrinkFloor * at.scale, maxWidth, font.width);
        const int32_t percent = static_cast<int32_t>(std::floor(size * 100 / at.size));
        if (percent < smallestPercent) problems.push_back({TextProblem::TooSmall, Pixels(size), percent, {}});
    } else if (maxWidth > 0) {
        std::vector<Utf16> wrapped;
        for (const Utf16& line : lines)
            for (Utf16& piece : WrapLine(line, maxWidth, size, font.width)) wrapped.push_back(std::move(piece));
        lines.swap(wrapped);
    }
    const double step = font.lineHeight(size) * e.lineSpacing / 100.0;
    double widest = 0, left = at.x, right = at.x, top = at.y, bottom = at.y;
    bool any = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find_first_not_of(u" \t\x3000") == Utf16::npos) continue;
        const double w = font.width(lines[i], size);
        widest = std::max(widest, w);
        const double x = e.align == TextAlign::Centre ? at.x - w / 2 : e.align == TextAlign::Right ? at.x - w : at.x;
        const double y = at.y + static_cast<double>(i) * step;
        left = any ? std::min(left, x) : x, right = any ? std::max(right, x + w) : x + w;
        top = any ? std::min(top, y) : y, bottom = any ? std::max(bottom, y + font.lineHeight(size)) : y + font.lineHeight(size);
        any = true;
    }
    if (maxWidth > 0 && widest > maxWidth + 0.5) problems.push_back({TextProblem::TooWide, Pixels(widest - maxWidth), 0, {}});
    const double beyond = std::max({0.0, -left, right - width, -top, bottom - height});
    if (any && beyond >= 1) problems.push_back({TextProblem::BeyondPicture, Pixels(beyond), 0, {}});
    return problems;
}

}  // namespace app
