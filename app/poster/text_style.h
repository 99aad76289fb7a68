// How a text is set beyond its font, size, colour and point: alignment, line
// spacing, outline, shadow, fitting to a width and anchoring to the picture.
// Plain C++ (no Windows header): the settings file, the dialog and the
// renderer share it, and it builds natively with its tests.
#pragma once
#include <cstdint>

namespace app {

enum class TextAlign : int32_t { Left, Centre, Right };
enum class TextFit : int32_t { Wrap, Shrink };
// Pixels: x, y and every length as typed. Proportional: as typed for a picture
// of the reference size, scaled to the picture drawn on.
enum class TextAnchor : int32_t { Pixels, Proportional };
// Vertical: columns top to bottom, right to left; x is the first column's right
// edge and the alignment's left, centre and right are a column's top, middle and foot.
enum class TextDirection : int32_t { Horizontal, Vertical };
// Where the text's ink box goes on the picture, each way: at the typed x (or y),
// or against an edge (less the margin) or the middle of the picture.
enum class PicturePlace : int32_t { AtPoint, Start, Middle, End };

struct TextEffects {
    TextAlign align = TextAlign::Left;
    int32_t lineSpacing = 100;  // percent of the font's own line height
    int32_t outlineWidth = 0;   // pixels; 0 draws none
    uint32_t outlineColour = 0;  // 0x00BBGGRR
    int32_t shadowDx = 0, shadowDy = 0;
    uint32_t shadowColour = 0;
    int32_t shadowOpacity = 0;  // percent; 0 draws none
    int32_t shadowBlur = 0;     // radius in pixels; 0 is a hard shadow
    int32_t maxWidth = 0;       // pixels; 0 leaves lines as long as they are
    TextFit fit = TextFit::Wrap;
    TextAnchor anchor = TextAnchor::Pixels;
    int32_t referenceWidth = 0, referenceHeight = 0;  // the picture a proportional layout was made on
    TextDirection direction = TextDirection::Horizontal;
    int32_t letterSpacing = 0;  // thousandths of the size between characters
    int32_t rotation = 0;       // degrees clockwise about the anchor
    int32_t gradient = 0;       // 1: filled from gradientFrom to gradientTo instead of the colour
    uint32_t gradientFrom = 0, gradientTo = 0;  // 0x00BBGGRR
    int32_t gradientAngle = 0;  // degrees clockwise from left-to-right
    PicturePlace placeX = PicturePlace::AtPoint, placeY = PicturePlace::AtPoint;
    int32_t marginX = 0, marginY = 0;  // pixels from the edge placed against
    bool operator==(const TextEffects&) const = default;
};

// Ranges every reader clamps to (the settings file, a style file, the dialog).
struct EffectLimits {
    static constexpr int32_t kSpacingMin = 50, kSpacingMax = 300;
    static constexpr int32_t kOutlineMax = 40;
    static constexpr int32_t kShadowOffsetMax = 200;
    static constexpr int32_t kBlurMax = 40;
    static constexpr int32_t kMaxWidthMax = 20000;
    static constexpr int32_t kReferenceMax = 65535;
    static constexpr int32_t kShrinkFloor = 8;  // pixels: the smallest size shrinking goes to
    static constexpr int32_t kLetterSpacingMin = -500, kLetterSpacingMax = 2000;
    static constexpr int32_t kRotationMax = 180;
    static constexpr int32_t kMarginMax = 20000;
};

TextEffects Clamped(const TextEffects& e);
// True when the effects change nothing: the text is drawn as it always was.
bool IsPlain(const TextEffects& e);
bool HasOutline(const TextEffects& e);
bool HasShadow(const TextEffects& e);
bool HasGradient(const TextEffects& e);
bool IsPlaced(const TextEffects& e);  // against the picture either way

// Where and how large a text is drawn on a picture of width x height, after the
// anchor and the display scale (one factor for every length).
struct StyledPlacement {
    double x, y, size, scale;  // scale multiplies every other length of the effects
};
StyledPlacement PlaceText(const TextEffects& e, int32_t x, int32_t y, int32_t size, uint32_t width, uint32_t height,
                        double displayScale);

// The stored form of the effects: one row per setting, its name after the
// text's own prefix ("标题" or "文案") and how it reads and writes as an integer.
struct StyleField {
    const char* name;
    int32_t (*get)(const TextEffects&);
    void (*set)(TextEffects&, int32_t);
};
extern const StyleField kStyleFields[];
extern const int kStyleFieldCount;
// Rows from this one on (direction, spacing, rotation, gradient, placement)
// came later: files keep them after every text's earlier rows.
constexpr int kLaterStyleFieldsFrom = 14;

// A stored integer: optional blanks and sign, decimal digits (full-width too), within int32.
// False for anything else (empty, text, out of range): the setting keeps its default.
bool ParseStoredInteger(const char* text, int32_t* value);

}  // namespace app
