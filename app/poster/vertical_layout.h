// Vertical setting (竖排): characters top to bottom in columns that follow one
// another right to left. Each character or run takes a cell along its column;
// what a cell draws and how is decided here, its glyphs by the renderer.
// Plain C++: texts are UTF-16 code units, widths measured by the caller.
#pragma once
#include <cstdint>
#include <vector>
#include "app/poster/text_layout.h"
#include "app/poster/text_style.h"

namespace app {

enum class CellForm : int32_t {
    Upright,  // drawn as it is, centred across the column
    Corner,   // 、。，and kin: the horizontal glyph moved to the cell's top right
    Turned,   // brackets, dashes, the ellipsis, quotes and Latin runs: turned 90° clockwise
    Paired,   // one or two digits upright side by side in one cell (纵中横)
    Blank,    // spaces: room along the column, nothing drawn
};

struct VerticalCell {
    Utf16 text;
    CellForm form = CellForm::Upright;
    size_t column = 0;  // 0 is the first (right-most) column
    double top = 0;     // from the column's start, before alignment
    double length = 0;  // along the column
    // Placed by LayOutVertical, from the text's anchor: the column's right edge
    // (columns step leftwards) and the cell's top after the alignment.
    double right = 0, y = 0;
};

struct VerticalLayout {
    std::vector<VerticalCell> cells;
    std::vector<double> columnLengths;  // from the first cell's top to the last cell's foot
};

// How a character is set in a column.
bool IsCornerPunctuation(char16_t c);
bool IsTurnedPunctuation(char16_t c);

// The cells of one column, tops from 0. A cell is size long, but a turned run
// is as long as it is wide (measure) and a space half that; spacing (pixels,
// may be negative) lies between neighbouring cells.
std::vector<VerticalCell> ColumnCells(const Utf16& column, double size, double spacing, const MeasureText& measure);
// The column's length: its cells and the spacing between them.
double ColumnLength(const Utf16& column, double size, double spacing, const MeasureText& measure);

// The text's columns: a line break starts a new column, and with maxLength > 0
// a column longer than that wraps by the same rules as a line (WrapLine), its
// length taking the place of a line's width. Spacing is in pixels at size;
// columns are step apart; align puts the anchor at each column's top (Left),
// middle (Centre) or foot (Right).
struct VerticalSetting {
    double size = 0, spacing = 0, maxLength = 0, step = 0;
    TextAlign align = TextAlign::Left;
};
VerticalLayout LayOutVertical(const Utf16& text, const VerticalSetting& setting, const MeasureText& measure);

// Where a corner cell's ink (inkWidth x inkHeight) goes: its top left corner,
// from the anchor, in the top right of a cell of the given size.
struct InkPlace {
    double left, top;
};
InkPlace CornerInk(const VerticalCell& cell, double size, double inkWidth, double inkHeight);

}  // namespace app
