#include "app/poster/text_style.h"
#include <algorithm>
#include <climits>
#include <cstdint>
#include "app/poster/typed_number.h"

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
    e.direction = EnumIn(e.direction, TextDirection::Vertical);
    e.letterSpacing = Clamp(e.letterSpacing, L::kLetterSpacingMin, L::kLetterSpacingMax);
    e.rotation = Clamp(e.rotation, -L::kRotationMax, L::kRotationMax);
    e.gradient = Clamp(e.gradient, 0, 1);
    e.gradientAngle = Clamp(e.gradientAngle, -L::kRotationMax, L::kRotationMax);
    e.placeX = EnumIn(e.placeX, PicturePlace::End);
    e.placeY = EnumIn(e.placeY, PicturePlace::End);
    e.marginX = Clamp(e.marginX, -L::kMarginMax, L::kMarginMax);
    e.marginY = Clamp(e.marginY, -L::kMarginMax, L::kMarginMax);
    e.gradientFrom &= 0xFFFFFF;
    e.gradientTo &= 0xFFFFFF;
    e.outlineColour &= 0xFFFFFF;
    e.shadowColour &= 0xFFFFFF;
    return e;
}

bool HasOutline(const TextEffects& e) { return e.outlineWidth > 0; }
bool HasShadow(const TextEffects& e) { return e.shadowOpacity > 0; }
bool HasGradient(const TextEffects& e) { return e.gradient != 0; }
bool IsPlaced(const TextEffects& e) { return e.placeX != PicturePlace::AtPoint || e.placeY != PicturePlace::AtPoint; }

static bool Proportional(const TextEffects& e) {
    return e.anchor == TextAnchor::Proportional && e.referenceWidth > 0 && e.referenceHeight > 0;
}

bool IsPlain(const TextEffects& e) {
    return e.align == TextAlign::Left && e.lineSpacing == 100 && !HasOutline(e) && !HasShadow(e) &&
           e.maxWidth == 0 && !Proportional(e) && e.direction == TextDirection::Horizontal && e.letterSpacing == 0 &&
           e.rotation == 0 && !HasGradient(e) && !IsPlaced(e);
}

StyledPlacement PlaceText(const TextEffects& e, int32_t x, int32_t y, int32_t size, uint32_t width, uint32_t height,
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

#define IMPRINTA_STYLE_INT(member)                                                   \
    [](const TextEffects& e) { return static_cast<int32_t>(e.member); },             \
        [](TextEffects& e, int32_t v) { e.member = static_cast<decltype(e.member)>(v); }

const StyleField kStyleFields[] = {
    {"对齐", IMPRINTA_STYLE_INT(align)},
    {"行距", IMPRINTA_STYLE_INT(lineSpacing)},
    {"描边宽度", IMPRINTA_STYLE_INT(outlineWidth)},
    {"描边颜色", IMPRINTA_STYLE_INT(outlineColour)},
    {"阴影x", IMPRINTA_STYLE_INT(shadowDx)},
    {"阴影y", IMPRINTA_STYLE_INT(shadowDy)},
    {"阴影颜色", IMPRINTA_STYLE_INT(shadowColour)},
    {"阴影不透明度", IMPRINTA_STYLE_INT(shadowOpacity)},
    {"阴影模糊", IMPRINTA_STYLE_INT(shadowBlur)},
    {"最大宽度", IMPRINTA_STYLE_INT(maxWidth)},
    {"超宽处理", IMPRINTA_STYLE_INT(fit)},
    {"定位", IMPRINTA_STYLE_INT(anchor)},
    {"参考宽", IMPRINTA_STYLE_INT(referenceWidth)},
    {"参考高", IMPRINTA_STYLE_INT(referenceHeight)},
    {"方向", IMPRINTA_STYLE_INT(direction)},
    {"字距", IMPRINTA_STYLE_INT(letterSpacing)},
    {"旋转", IMPRINTA_STYLE_INT(rotation)},
    {"渐变", IMPRINTA_STYLE_INT(gradient)},
    {"渐变起色", IMPRINTA_STYLE_INT(gradientFrom)},
    {"渐变终色", IMPRINTA_STYLE_INT(gradientTo)},
    {"渐变角度", IMPRINTA_STYLE_INT(gradientAngle)},
    {"水平位置", IMPRINTA_STYLE_INT(placeX)},
    {"水平边距", IMPRINTA_STYLE_INT(marginX)},
    {"垂直位置", IMPRINTA_STYLE_INT(placeY)},
    {"垂直边距", IMPRINTA_STYLE_INT(marginY)},
};
const int kStyleFieldCount = sizeof kStyleFields / sizeof kStyleFields[0];
#undef IMPRINTA_STYLE_INT

bool ParseStoredInteger(const char* text, int32_t* value) {
    int64_t v = 0;
    if (!text || !ReadWholeNumber(text, &v)) return false;
    // Colours are stored as signed values of 0x00BBGGRR words; anything in 32 bits reads.
    if (v < INT32_MIN || v > int64_t(UINT32_MAX)) return false;
    *value = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
}

}  // namespace app
