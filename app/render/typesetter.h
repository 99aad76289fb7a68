// What the styled path sets glyphs with: GDI+ fonts of one family and style
// by size, measuring and drawing texts into coverage masks over a rectangle of
// the full-size picture, and the setting one text is laid out with.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>
#include "app/platform/runtime_calls.h"
#include "app/poster/text_layout.h"
#include "app/poster/text_style.h"
#include "app/render/gdiplus.h"
#include "app/render/text_effects.h"

namespace app::typesetting {

using namespace gdiplus;

// A line's mask beyond this many pixels is not measured for its ink: it is
// placed by its layout box instead, and only the part near the picture is drawn.
constexpr int64_t kInkMeasureLimit = int64_t(16) << 20;

struct RectI {
    int64_t left, top, right, bottom;  // right and bottom exclusive
    bool empty() const { return right <= left || bottom <= top; }
    RectI Intersect(const RectI& o) const {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
};

// First and one-past-last columns holding any coverage; {0, 0} when none does.
inline std::pair<int32_t, int32_t> InkColumns(const CoverageMask& m) {
    int32_t first = m.width, last = -1;
    for (int32_t y = 0; y < m.height; ++y)
        for (int32_t x = 0; x < m.width; ++x)
            if (m.at(x, y)) first = std::min(first, x), last = std::max(last, x);
    return last < 0 ? std::pair<int32_t, int32_t>{0, 0} : std::pair<int32_t, int32_t>{first, last + 1};
}

// Room around a line's layout box for glyphs that overhang it.
inline int64_t Padding(double size) { return static_cast<int64_t>(size / 4) + 2; }
// A line's drawn width beside its layout box: emboldening widens every glyph a little.
inline int64_t BoxWidth(float layoutWidth, double size) {
    return static_cast<int64_t>(std::ceil(layoutWidth * 1.25)) + 2 * Padding(size) + 4;
}

// GDI+ fonts of one family and style by size, and a graphics to measure with.
class Typesetter {
public:
    Typesetter(const TextStyle& style) : style_(style) {
        bitmap_ = NewBitmap(1, 1);
        graphics_ = GraphicsOf(bitmap_);
        if (style.hint != kNoTextRenderingHint)
            Dll(kDllGdipSetTextRenderingHint, {graphics_, static_cast<uint32_t>(style.hint)});
    }
    ~Typesetter() {
        for (auto& f : fonts_) Dll(kDllGdipDeleteFont, {f.second});
        DeleteGraphics(graphics_);
        DisposeImage(bitmap_);
    }
    Typesetter(const Typesetter&) = delete;
    Typesetter& operator=(const Typesetter&) = delete;

    uint32_t Font(double size) {
        auto it = fonts_.find(size);
        if (it != fonts_.end()) return it->second;
        uint32_t font = CreateTextFont(style_.fontName, static_cast<float>(size), style_.style, kUnitPixel);
        fonts_[size] = font;
        return font;
    }
    // Layout box of one line (no wrapping): width and height. Vertical text
    // asks for the same characters again and again: answers are kept.
    void Measure(const Utf16& text, double size, float* width, float* height) {
        auto key = std::make_pair(size, text);
        auto known = measured_.find(key);
        if (known != measured_.end()) {
            *width = known->second.first, *height = known->second.second;
            return;
        }
        MeasureAnew(text, size, width, height);
        measured_.emplace(std::move(key), std::make_pair(*width, *height));
    }
    void MeasureAnew(const Utf16& text, double size, float* width, float* height) {
        float layout[4] = {0, 0, 0, 0}, box[4] = {0, 0, 0, 0};
        int32_t fitted = 0, lines = 0;
        const Utf16 probe = text.empty() ? Utf16(u" ") : text;
        Dll(kDllGdipMeasureString, {graphics_, PtrWord(probe.c_str()), static_cast<uint32_t>(probe.size()),
                                    Font(size), PtrWord(layout), 0, PtrWord(box), PtrWord(&fitted), PtrWord(&lines)});
        *width = text.empty() ? 0.0f : box[2];
        *height = box[3];
    }
    // How far right of its layout origin a line's ink reaches. Measured on the
    // drawn glyphs: GDI+'s layout box leaves out the width an emboldened face gains.
    double Width(const Utf16& text, double size) {
        float w = 0, h = 0;
        Measure(text, size, &w, &h);
        if (text.empty() || w * static_cast<double>(h) > kInkMeasureLimit) return w;
        const int64_t pad = Padding(size);
        CoverageMask m = Render(text, size, pad, pad, {0, 0, BoxWidth(w, size), static_cast<int64_t>(std::ceil(h)) + 2 * pad});
        const auto columns = InkColumns(m);
        return columns.second > 0 ? columns.second - pad : 0.0;
    }
    // Width, or the widest its drawing could reach (the mask Width draws it
    // in) when that is within limit: for callers that only compare with the
    // limit, which then need no drawing for a text well inside it.
    double WidthWithin(const Utf16& text, double size, double limit) {
        float w = 0, h = 0;
        Measure(text, size, &w, &h);
        const double most = static_cast<double>(BoxWidth(w, size) - Padding(size));
        return most <= limit ? most : Width(text, size);
    }

    // The room GDI+ leaves before and after a text inside its layout box.
    double Lead(double size) {
        auto it = leads_.find(size);
        if (it != leads_.end()) return it->second;
        float one = 0, two = 0, h = 0;
        Measure(u"\x4E00", size, &one, &h);
        Measure(u"\x4E00\x4E00", size, &two, &h);
        return leads_[size] = std::max(0.0, (2.0 * one - two) / 2);
    }
    // How far a text moves the next one along, without the layout box's room.
    double Advance(const Utf16& text, double size) {
        float w = 0, h = 0;
        Measure(text, size, &w, &h);
        return text.empty() ? 0.0 : std::max(0.0, w - 2 * Lead(size));
    }

    // A text drawn alone with its layout box at (pad, pad) of a mask of its
    // own, and that box's size; kept for the characters a text repeats.
    struct Alone {
        CoverageMask mask;
        float width = 0, height = 0;
    };
    const Alone& DrawnAlone(const Utf16& text, double size, int64_t pad) {
        auto key = std::make_pair(size, text);
        auto known = alone_.find(key);
        if (known != alone_.end()) return known->second;
        Alone a;
        Measure(text, size, &a.width, &a.height);
        a.mask = Render(text, size, pad, pad, {0, 0, BoxWidth(a.width, size), static_cast<int64_t>(std::ceil(a.height)) + 2 * pad});
        return alone_.emplace(std::move(key), std::move(a)).first->second;
    }

    // Texts drawn with their layout boxes starting at given places.
    struct Piece {
        Utf16 text;
        double ox, oy, size;
    };
    // The line's coverage in rect (picture coordinates), its layout box starting at (ox, oy).
    CoverageMask Render(const Utf16& line, double size, double ox, double oy, const RectI& rect) {
        return RenderPieces({{line, ox, oy, size}}, rect);
    }
    CoverageMask RenderPieces(const std::vector<Piece>& pieces, const RectI& rect) {
        CoverageMask mask = CoverageMask::Blank(static_cast<int32_t>(rect.left), static_cast<int32_t>(rect.top),
                                                static_cast<int32_t>(rect.right - rect.left),
                                                static_cast<int32_t>(rect.bottom - rect.top));
        if (mask.empty()) return mask;
        std::vector<uint8_t> rows(static_cast<size_t>(mask.width) * mask.height * 4, 0);
        uint32_t bitmap = BitmapOver(rows.data(), mask.width, mask.height);
        uint32_t graphics = GraphicsOf(bitmap);
        if (style_.hint != kNoTextRenderingHint)
            Dll(kDllGdipSetTextRenderingHint, {graphics, static_cast<uint32_t>(style_.hint)});
        uint32_t brush = CreateTextBrush(0xFFFFFF, 255);
        for (const Piece& p : pieces) {
            float at[4] = {static_cast<float>(p.ox - rect.left), static_cast<float>(p.oy - rect.top), 0, 0};
            Dll(kDllGdipDrawString, {graphics, PtrWord(p.text.c_str()), static_cast<uint32_t>(p.text.size()),
                                     Font(p.size), PtrWord(at), 0, brush});
        }
        Dll(kDllGdipDeleteBrush, {brush});
        DeleteGraphics(graphics);
        DisposeImage(bitmap);
        for (size_t i = 0; i < mask.alpha.size(); ++i) mask.alpha[i] = rows[i * 4 + 3];
        return mask;
    }

private:
    TextStyle style_;
    uint32_t bitmap_ = 0, graphics_ = 0;
    std::map<double, uint32_t> fonts_;
    std::map<double, double> leads_;
    std::map<std::pair<double, Utf16>, std::pair<float, float>> measured_;
    std::map<std::pair<double, Utf16>, Alone> alone_;
};

// What the glyph masks of one text are set with, on the full-size picture.
struct Setting {
    Typesetter& typesetter;
    TextEffects e;
    double x, y, size, step, spacing;
    int64_t pad;
    RectI reach;  // nothing wholly outside it is drawn
};

}  // namespace app::typesetting
