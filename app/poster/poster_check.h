// A poster's texts checked before a batch draws them: laid out at full size
// on the picture as the renderer sets them, with the widths and glyphs of the
// fonts measured by the caller. Plain C++: texts are UTF-16 code units here.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "app/poster/poster.h"
#include "app/poster/text_layout.h"

namespace app {

// A shrunk text below this share of its size is a problem: names in the
// back rows of a hall read no better than a box with nothing in it.
constexpr int32_t kDefaultSmallestPercent = 60;

// What the check asks of a font.
struct FontMetrics {
    MeasureText width;                           // a line's width at a size
    std::function<double(double size)> lineHeight;
    std::function<bool(char16_t c)> hasGlyph;
};

enum class TextProblem { BeyondPicture, TooWide, TooSmall, MissingGlyphs };

struct FieldProblem {
    TextProblem kind;
    int32_t pixels = 0;    // BeyondPicture, TooWide: how far; TooSmall: the size it came to
    int32_t percent = 0;   // TooSmall: of its size
    Utf16 characters;      // MissingGlyphs: each once, in the order they come
};

// One text field with its (filled) text on a picture of width x height.
std::vector<FieldProblem> CheckTextField(const TextField& field, const Utf16& text, uint32_t width, uint32_t height,
                                         const FontMetrics& font, int32_t smallestPercent = kDefaultSmallestPercent);

}  // namespace app
