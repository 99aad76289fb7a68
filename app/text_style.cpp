#include "app/text_style.h"
#include <algorithm>

namespace app {

namespace {

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return std::min(std::max(v, lo), hi); }

template <typename E>
E EnumIn(E v, E last) {
    const int32_t i = static_cast<int32_t>(v);
    return i < 0 || i > static_cast<int32_t>(last) ? E{} : v;
}

}  // namespace

TextEffects Clamped(const TextEffects& in) {
    using L = EffectLimits;
    TextEffects e = in;
    e.align = EnumIn(e.align, TextAlign::Right);
    e.fit = EnumIn(e.fit, TextFit::Shrink);
    e.anchor = EnumIn(e.anchor, TextAnchor::Proportional);
    e.lineSpacing = Clamp(e.lineSpacing, L::kSpacingMin, L::kSpacingMax);
    e.outlineWidth = Clamp(e.outlineWidth, 0, L::kOutlineMax);
    e.shadowDx = Clamp(e.shadowDx, -L::kShadowOffsetMax, L::kShadowOffsetMax);
    e.shadowDy = Clamp(e.shadowDy, -L::kShadowOffsetMax, L::kShadowOffsetMax);
    e.shadowOpacity = Clamp(e.shadowOpacity, 0, 100);
    e.shadowBlur = Clamp(e.shadowBlur, 0, L::kBlurMax);
    e.maxWidth = Clamp(e.maxWidth, 0, L::kMaxWidthMax);
    e.referenceWidth = Clamp(e.referenceWidth, 0, L::kReferenceMax);
    e.referenceHeight = Clamp(e.referenceHeight, 0, L::kReferenceMax);
    e.outlineColour &= 0xFFFFFF;
    e.shadowColour &= 0xFFFFFF;
    return e;
}

bool HasOutline(const TextEffects& e) { return e.outlineWidth > 0; }
bool HasShadow(const TextEffects& e) { return e.shadowOpacity > 0; }

static bool Proportional(const TextEffects& e) {
    return e.anchor == TextAnchor::Proportional && e.referenceWidth > 0 && e.referenceHeight > 0;
}

bool IsPlain(const TextEffects& e) {
    return e.align == TextAlign::Left && e.lineSpacing == 100 && !HasOutline(e) && !HasShadow(e) &&
           e.maxWidth == 0 && !Proportional(e);
}

TextPlacement PlaceText(const TextEffects& e, int32_t x, int32_t y, int32_t size, uint32_t width, uint32_t height,
                        double displayScale) {
    double fx = 1, fy = 1;
    if (Proportional(e) && width > 0 && height > 0) {
        fx = static_cast<double>(width) / e.referenceWidth;
        fy = static_cast<double>(height) / e.referenceHeight;
    }
    // Lengths follow the width, so a title keeps its share of a line across sizes.
    const double scale = fx * displayScale;
    return {x * fx * displayScale, y * fy * displayScale, size * scale, scale};
}

}  // namespace app
