#include "app/render/font_metrics.h"
#include <windows.h>
#include <algorithm>
#include <unordered_map>
#include <vector>
#include "app/platform/runtime_calls.h"
#include "app/render/gdiplus.h"

namespace app {

using namespace gdiplus;

namespace {

// Advances are measured at this size and scaled: glyph outlines scale with
// the size, and the check needs no finer widths than a pixel or two.
constexpr float kReferenceSize = 100.0f;

std::wstring WideOf(const std::string& gbk) {
    const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
    return out;
}

}  // namespace

struct FontMetricsCache::Face {
    uint32_t graphics = 0, font = 0;
    HDC dc = nullptr;
    HFONT gdiFont = nullptr;
    HGDIOBJ oldFont = nullptr;
    float lineHeight = 0;  // at the reference size
    std::unordered_map<char16_t, float> advances;
    std::vector<std::pair<char16_t, char16_t>> ranges;  // first and last character of each run
    bool rangesRead = false;
    FontMetrics metrics;

    Face(const std::string& family, uint32_t g) : graphics(g) {
        font = CreateTextFont(family.c_str(), kReferenceSize, kFontStyleBold, kUnitPixel);
        dc = CreateCompatibleDC(nullptr);
        gdiFont = CreateFontW(-static_cast<int>(kReferenceSize), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                              WideOf(family).c_str());
        if (dc && gdiFont) oldFont = SelectObject(dc, gdiFont);
        float unused = 0;
        Box(u"A", &unused, &lineHeight);
        metrics.width = [this](const Utf16& line, double size) {
            double sum = 0;
            for (char16_t c : line) sum += Advance(c);
            return sum * size / kReferenceSize;
        };
        metrics.lineHeight = [this](double size) { return lineHeight * size / kReferenceSize; };
        metrics.hasGlyph = [this](char16_t c) { return HasGlyph(c); };
    }
    ~Face() {
        if (font) Dll(kDllGdipDeleteFont, {font});
        if (oldFont) SelectObject(dc, oldFont);
        if (gdiFont) DeleteObject(gdiFont);
        if (dc) DeleteDC(dc);
    }
    void Box(const Utf16& text, float* width, float* height) {
        float layout[4] = {0, 0, 0, 0}, box[4] = {0, 0, 0, 0};
        int32_t fitted = 0, lines = 0;
        Dll(kDllGdipMeasureString, {graphics, PtrWord(text.c_str()), static_cast<uint32_t>(text.size()), font,
                                    PtrWord(layout), 0, PtrWord(box), PtrWord(&fitted), PtrWord(&lines)});
        *width = box[2], *height = box[3];
    }
    // Two of the character less one: the layout box's padding cancels out.
    float Advance(char16_t c) {
        auto it = advances.find(c);
        if (it != advances.end()) return it->second;
        float one = 0, two = 0, unused = 0;
        Box(Utf16(1, c), &one, &unused);
        Box(Utf16(2, c), &two, &unused);
        return advances[c] = two > one ? two - one : 0.0f;
    }
    // The face's own characters: glyph lookups would answer for the fonts
    // linked behind it too, which draw what it lacks in another face.
    bool HasGlyph(char16_t c) {
        if (!rangesRead) ReadRanges();
        auto after = std::upper_bound(ranges.begin(), ranges.end(), std::make_pair(c, char16_t(0xFFFF)));
        return after != ranges.begin() && c <= std::prev(after)->second;
    }
    void ReadRanges() {
        rangesRead = true;
        const DWORD bytes = dc && gdiFont ? GetFontUnicodeRanges(dc, nullptr) : 0;
        if (bytes < sizeof(GLYPHSET)) return;
        std::vector<uint8_t> block(bytes);
        auto* set = reinterpret_cast<GLYPHSET*>(block.data());
        set->cbThis = bytes;
        if (!GetFontUnicodeRanges(dc, set)) return;
        for (DWORD i = 0; i < set->cRanges; ++i) {
            const uint32_t last = uint32_t(set->ranges[i].wcLow) + set->ranges[i].cGlyphs - 1;
            ranges.emplace_back(char16_t(set->ranges[i].wcLow), char16_t(std::min<uint32_t>(last, 0xFFFF)));
        }
        std::sort(ranges.begin(), ranges.end());
    }
};

FontMetricsCache::FontMetricsCache() {
    bitmap_ = NewBitmap(1, 1);
    graphics_ = GraphicsOf(bitmap_);
}

FontMetricsCache::~FontMetricsCache() {
    faces_.clear();
    DeleteGraphics(graphics_);
    DisposeImage(bitmap_);
}

const FontMetrics& FontMetricsCache::For(const std::string& family) {
    std::unique_ptr<Face>& face = faces_[family];
    if (!face) face = std::make_unique<Face>(family, graphics_);
    return face->metrics;
}

}  // namespace app
