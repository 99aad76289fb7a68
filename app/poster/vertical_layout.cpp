#include "app/poster/vertical_layout.h"
#include <algorithm>
#include <string>

namespace app {

namespace {

constexpr size_t kPairedDigitsMax = 2;  // longer numbers are turned like words
constexpr double kSpaceShare = 0.5;     // a Latin space takes half a cell
constexpr double kCornerInset = 0.1;    // of the cell's side

bool Contains(const char16_t* set, char16_t c) {
    return c != 0 && std::char_traits<char16_t>::find(set, std::char_traits<char16_t>::length(set), c);
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsSurrogateHead(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Letters, digits and signs set in horizontal runs and turned as a whole.
bool IsLatin(char16_t c) {
    return c > u' ' && c < 0x2E80 && !IsCornerPunctuation(c) && !IsTurnedPunctuation(c);
}

// End of the run of Latin characters from i: inner spaces belong to it,
// spaces at its end do not.
size_t LatinRunEnd(const Utf16& s, size_t i) {
    size_t end = i;
    for (size_t j = i; j < s.size() && (IsLatin(s[j]) || s[j] == u' '); ++j)
        if (IsLatin(s[j])) end = j + 1;
    return end;
}

bool AllDigits(const Utf16& s) {
    for (char16_t c : s)
        if (!IsDigit(c)) return false;
    return !s.empty();
}

}  // namespace

bool IsCornerPunctuation(char16_t c) { return Contains(u"、。，．\xFF61\xFF64", c); }

bool IsTurnedPunctuation(char16_t c) {
    return Contains(u"（）「」『』【】《》〈〉〔〕［］｛｝〖〗“”‘’—–―…‥～：；\xFF5E", c);
}

std::vector<VerticalCell> ColumnCells(const Utf16& column, double size, double spacing, const MeasureText& measure) {
    std::vector<VerticalCell> cells;
    double top = 0;
    auto add = [&](Utf16 text, CellForm form, double length) {
        if (!cells.empty()) top += spacing;
        cells.push_back({std::move(text), form, 0, top, length});
        top += length;
    };
    for (size_t i = 0; i < column.size();) {
        const char16_t c = column[i];
        if (IsLatin(c)) {
            const size_t end = LatinRunEnd(column, i);
            Utf16 run = column.substr(i, end - i);
            i = end;
            if (AllDigits(run) && run.size() <= kPairedDigitsMax) add(std::move(run), CellForm::Paired, size);
            else {
                const double length = measure(run, size);
                add(std::move(run), CellForm::Turned, length);
            }
        } else if (c == u' ' || c == u'\t') {
            add(Utf16(1, c), CellForm::Blank, size * kSpaceShare), ++i;
        } else if (c == u'\x3000') {
            add(Utf16(1, c), CellForm::Blank, size), ++i;
        } else if (IsCornerPunctuation(c)) {
            add(Utf16(1, c), CellForm::Corner, size), ++i;
        } else if (IsTurnedPunctuation(c)) {
            add(Utf16(1, c), CellForm::Turned, size), ++i;
        } else {
            const size_t n = IsSurrogateHead(c) && i + 1 < column.size() ? 2 : 1;
            add(column.substr(i, n), CellForm::Upright, size), i += n;
        }
    }
    return cells;
}

double ColumnLength(const Utf16& column, double size, double spacing, const MeasureText& measure) {
    const std::vector<VerticalCell> cells = ColumnCells(column, size, spacing, measure);
    return cells.empty() ? 0 : cells.back().top + cells.back().length;
}

VerticalLayout LayOutVertical(const Utf16& text, const VerticalSetting& v, const MeasureText& measure) {
    const MeasureText length = [&](const Utf16& t, double s) { return ColumnLength(t, s, v.spacing, measure); };
    VerticalLayout out;
    for (const Utf16& line : SplitLines(text))
        for (const Utf16& column : WrapLine(line, v.maxLength, v.size, length)) {
            const size_t index = out.columnLengths.size();
            std::vector<VerticalCell> cells = ColumnCells(column, v.size, v.spacing, measure);
            const double total = cells.empty() ? 0 : cells.back().top + cells.back().length;
            const double start = v.align == TextAlign::Centre ? -total / 2 : v.align == TextAlign::Right ? -total : 0;
            out.columnLengths.push_back(total);
            for (VerticalCell& cell : cells) {
                cell.column = index;
                cell.right = -v.step * double(index);
                cell.y = start + cell.top;
                out.cells.push_back(std::move(cell));
            }
        }
    return out;
}

InkPlace CornerInk(const VerticalCell& cell, double size, double inkWidth, double inkHeight) {
    // A tenth of the cell's side in from its top right corner, as set type puts them.
    const double inset = size * kCornerInset;
    return {cell.right - inset - inkWidth, cell.y + std::min(inset, std::max(0.0, cell.length - inkHeight))};
}

}  // namespace app
