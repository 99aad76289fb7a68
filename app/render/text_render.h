// The one place text is drawn onto a picture's rows: plainly, exactly as it
// always was, when the effects change nothing and the scale is 1; else laid
// out line by line (alignment, spacing, fitting) and painted with its shadow
// and outline from the glyphs' coverage, over the text's own box only. Rows at
// another scale (a preview) get the text set on the full-size picture, its
// coverage shrunk to them: the preview shows the lines of the exported file.
#pragma once
#include <cstdint>
#include "app/render/gdiplus.h"
#include "app/poster/text_style.h"

namespace app {

// Positions and lengths are in the pixels of the picture the rows stand for;
// scale is the rows' against that picture (a preview made at the size it is
// shown), so every scale shows the same poster.
struct TextDrawing {
    gdiplus::TextStyle style;
    TextEffects effects;
    const char* text;
    int32_t x, y;
    gdiplus::TextScale scale = {};
};

// Rows are straight-alpha BGRA (GDI+'s 32bppARGB), stride width * 4.
void DrawTextOnRows(uint8_t* bgra, uint32_t width, uint32_t height, const TextDrawing& drawing);

// How far apart GDI+ lays out the lines of a plain text in this style, in the
// picture's pixels.
double LineAdvance(const gdiplus::TextStyle& style);

// Whether a vertical text's columns are drawn the same on their own, each
// moved left by its number times ColumnStep: nothing but the direction, the
// spacings and the alignment sets it (no wrapping, fitting, anchoring to the
// picture, turning, gradient, outline or shadow ties its columns together).
bool ColumnsDrawnApart(const TextEffects& e);
// How far apart a vertical text's columns are: whole pixels of the picture.
int32_t ColumnStep(const gdiplus::TextStyle& style, const TextEffects& e);

}  // namespace app
