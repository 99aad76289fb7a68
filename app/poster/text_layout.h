// Line breaking and fitting of a text to a width, with the width of a piece of
// text measured by the caller (the renderer asks GDI+; tests use fixed widths).
// Plain C++: texts are UTF-16 code units.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace app {

using Utf16 = std::u16string;
// Width in pixels of a piece of text at the given font size.
using MeasureText = std::function<double(const Utf16& text, double size)>;

// The text's lines: LF and CR LF break them; a lone CR is kept as it is.
std::vector<Utf16> SplitLines(const Utf16& text);

// Characters a line must not begin with ("，。、！？）」" and their kin) or end with ("（「" and kin).
bool IsClosingPunctuation(char16_t c);
bool IsOpeningPunctuation(char16_t c);

// One line broken into lines no wider than maxWidth: at spaces between Latin
// words, between any two CJK characters, never leaving closing punctuation at
// the start of a line or opening punctuation at its end. A piece that fits
// nowhere goes on a line of its own (a word longer than the width is broken
// between characters); every line holds at least one character, so the result
// is bounded by the line's length.
std::vector<Utf16> WrapLine(const Utf16& line, double maxWidth, double size, const MeasureText& measure);

// Letter spacing: thousandths of the size added after every character but a
// line's last (negative draws them closer).
double SpacingAt(int32_t permille, double size);
// Characters of a text: a surrogate pair counts once.
size_t CharacterCount(const Utf16& text);
// The measure with the spacing counted in: what wrapping and fitting go by.
MeasureText Spaced(const MeasureText& measure, int32_t permille);

// The largest size from size down to floor (in steps of one pixel) at which
// every line fits maxWidth; floor when none does.
double ShrunkSize(const std::vector<Utf16>& lines, double size, double floor, double maxWidth,
                  const MeasureText& measure);

}  // namespace app
