#include "app/poster/text_layout.h"
#include <algorithm>
#include <cmath>

namespace app {

namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\x3000'; }

// Scripts set without spaces between words: a line may break between any two of them.
bool IsCjk(char16_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF);
}

bool IsSurrogateTail(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Whether a line may end before position i (0 < i < n).
bool BreakBefore(const Utf16& s, size_t i) {
    const char16_t a = s[i - 1], b = s[i];
    if (IsSurrogateTail(b)) return false;
    if (IsClosingPunctuation(b) || IsOpeningPunctuation(a)) return false;
    if (IsSpace(b)) return false;  // spaces stay at the end of the line they follow
    if (IsSpace(a)) return true;
    return IsCjk(a) || IsCjk(b);
}

Utf16 Trimmed(const Utf16& s, size_t from, size_t to) {
    while (to > from && IsSpace(s[to - 1])) --to;
    return s.substr(from, to - from);
}

size_t SkipSpaces(const Utf16& s, size_t i) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    return i;
}

// The longest run of characters from start that fits (at least one character).
size_t FittingCharacters(const Utf16& s, size_t start, double maxWidth, double size, const MeasureText& measure) {
    size_t lo = start + 1, hi = s.size();  // lo always taken
    if (lo < s.size() && IsSurrogateTail(s[lo])) ++lo;
    while (lo < hi) {
        size_t mid = lo + (hi - lo + 1) / 2;
        if (measure(s.substr(start, mid - start), size) <= maxWidth) lo = mid;
        else hi = mid - 1;
    }
    if (lo < s.size() && IsSurrogateTail(s[lo])) --lo;  // never split a pair
    return lo > start ? lo : start + 1;
}

}  // namespace

bool IsClosingPunctuation(char16_t c) {
    static const char16_t kClosing[] = u"，。、！？）」』】》〉；：”’…—·．,.!?)]};:%\x3015\x3009\xFF09\xFF3D\xFF5D";
    return c != 0 && std::char_traits<char16_t>::find(kClosing, std::char_traits<char16_t>::length(kClosing), c);
}

bool IsOpeningPunctuation(char16_t c) {
    static const char16_t kOpening[] = u"（「『【《〈“‘([{\x3014\xFF08\xFF3B\xFF5B";
    return c != 0 && std::char_traits<char16_t>::find(kOpening, std::char_traits<char16_t>::length(kOpening), c);
}

std::vector<Utf16> SplitLines(const Utf16& text) {
    std::vector<Utf16> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        if (text[i] == u'\n') lines.emplace_back();
        else lines.back() += text[i];
    }
    return lines;
}

std::vector<Utf16> WrapLine(const Utf16& line, double maxWidth, double size, const MeasureText& measure) {
    if (!(maxWidth > 0) || measure(line, size) <= maxWidth) return {line};
    std::vector<Utf16> out;
    size_t start = SkipSpaces(line, 0);
    while (start < line.size()) {
        // Candidate ends after start, in order; the text's end is the last.
        std::vector<size_t> ends;
        for (size_t i = start + 1; i < line.size(); ++i)
            if (BreakBefore(line, i)) ends.push_back(i);
        ends.push_back(line.size());
        // Widths grow with the end: find the farthest end that fits.
        size_t lo = 0, hi = ends.size();  // answer in [0, hi): ends[lo - 1] fits
        while (lo < hi) {
            size_t mid = lo + (hi - lo) / 2;
            if (measure(Trimmed(line, start, ends[mid]), size) <= maxWidth) lo = mid + 1;
            else hi = mid;
        }
        size_t end = lo > 0 ? ends[lo - 1] : 0;
        if (lo == 0) {
            // Not even the first piece fits: a Latin word is broken where it must,
            // a piece that holds a break rule's characters keeps them together.
            const bool word = !IsCjk(line[start]);
            end = word ? std::min(ends[0], FittingCharacters(line, start, maxWidth, size, measure)) : ends[0];
        }
        out.push_back(Trimmed(line, start, end));
        start = SkipSpaces(line, end);
    }
    if (out.empty()) out.emplace_back();
    return out;
}

double SpacingAt(int32_t permille, double size) { return size * permille / 1000.0; }

size_t CharacterCount(const Utf16& text) {
    size_t n = 0;
    for (char16_t c : text) n += !IsSurrogateTail(c);
    return n;
}

MeasureText Spaced(const MeasureText& measure, int32_t permille) {
    if (permille == 0) return measure;
    return [measure, permille](const Utf16& text, double size) {
        const size_t n = CharacterCount(text);
        return measure(text, size) + (n > 1 ? SpacingAt(permille, size) * double(n - 1) : 0.0);
    };
}

double ShrunkSize(const std::vector<Utf16>& lines, double size, double floor, double maxWidth,
                  const MeasureText& measure) {
    auto fits = [&](double s) {
        for (const Utf16& l : lines)
            if (measure(l, s) > maxWidth) return false;
        return true;
    };
    if (!(maxWidth > 0) || size <= floor || fits(size)) return size;
    // Whole pixels between floor and size; the answer is the largest that fits.
    int lo = static_cast<int>(std::ceil(floor)), hi = static_cast<int>(std::floor(size)) - 1;
    if (hi < lo || !fits(lo)) return floor;
    while (lo < hi) {
        int mid = lo + (hi - lo + 1) / 2;
        if (fits(mid)) lo = mid;
        else hi = mid - 1;
    }
    return lo;
}

}  // namespace app
