#include "app/render/text_layers.h"
#include <algorithm>
#include <cstring>

namespace app {

namespace pic = imprinta::picture;

void PaintPixelOver(const uint8_t* src, uint8_t* dst) {
    const uint32_t a = src[3];
    if (a == 0) return;
    const uint32_t da = dst[3];
    const uint32_t outA = a + (da * (255 - a) + 127) / 255;
    for (int c = 0; c < 3; ++c) {
        const uint32_t num = src[c] * a * 255 + dst[c] * da * (255 - a);
        dst[c] = static_cast<uint8_t>((num + outA * 255 / 2) / (outA * 255));
    }
    dst[3] = static_cast<uint8_t>(outA);
}

namespace {

// Over an opaque pixel PaintPixelOver's result is opaque and its divisor
// 255 * 255: the same numbers without a division by a variable.
void PaintPixelOverOpaque(const uint8_t* src, uint8_t* dst) {
    const uint32_t a = src[3];
    for (int c = 0; c < 3; ++c) dst[c] = uint8_t(((src[c] * a + dst[c] * (255 - a)) * 255 + 255 * 255 / 2) / (255 * 255));
}

uint32_t PixelAt(const uint8_t* row, uint32_t x) {
    uint32_t v;
    std::memcpy(&v, row + size_t(x) * 4, 4);
    return v;
}

bool RowClear(const uint8_t* row, size_t bytes) {
    uint32_t any = 0;
    for (size_t i = 0; i + 4 <= bytes; i += 4) any |= PixelAt(row, uint32_t(i / 4));
    return any == 0;
}

}  // namespace

TextLayers::Layer TextLayers::Made(uint32_t width, uint32_t height,
                                   const std::function<void(pic::Canvas&)>& draw) {
    if (scratch_.width != width || scratch_.height != height)
        scratch_ = {width, height, std::vector<uint8_t>(size_t(width) * height * 4, 0)};
    struct Dirty {  // a draw that throws leaves ink behind: the scratch goes
        pic::Canvas& scratch;
        bool clean = false;
        ~Dirty() {
            if (!clean) scratch = {};
        }
    } dirty{scratch_};
    draw(scratch_);
    // Cut to the rows and columns that hold anything.
    uint32_t left = width, top = height, right = 0, bottom = 0;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = scratch_.bgra.data() + y * scratch_.Stride();
        if (RowClear(row, scratch_.Stride())) continue;
        top = std::min(top, y), bottom = y + 1;
        uint32_t x = 0;
        while (PixelAt(row, x) == 0) ++x;
        left = std::min(left, x);
        uint32_t end = width;
        while (PixelAt(row, end - 1) == 0) --end;
        right = std::max(right, end);
    }
    Layer layer;
    if (right > left && bottom > top) {
        layer.left = left, layer.top = top;
        layer.ink = {right - left, bottom - top, std::vector<uint8_t>(size_t(right - left) * (bottom - top) * 4)};
    }
    for (uint32_t y = top; y < bottom; ++y) {
        uint8_t* from = scratch_.bgra.data() + y * scratch_.Stride() + left * 4;
        std::memcpy(layer.ink.bgra.data() + (y - top) * layer.ink.Stride(), from, layer.ink.Stride());
        std::memset(from, 0, layer.ink.Stride());
    }
    dirty.clean = true;
    return layer;
}

void TextLayers::PaintOver(pic::Canvas& picture, const Layer& layer) {
    const uint32_t width = std::min(layer.ink.width, picture.width > layer.left ? picture.width - layer.left : 0);
    const uint32_t height = std::min(layer.ink.height, picture.height > layer.top ? picture.height - layer.top : 0);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = layer.ink.bgra.data() + y * layer.ink.Stride();
        uint8_t* dst = picture.bgra.data() + (layer.top + y) * picture.Stride() + layer.left * 4;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t *s = src + x * 4;
            uint8_t* d = dst + x * 4;
            if (s[3] == 0) continue;
            if (s[3] == 255)
                std::memcpy(d, s, 4);
            else if (d[3] == 255)
                PaintPixelOverOpaque(s, d);
            else
                PaintPixelOver(s, d);
        }
    }
}

void TextLayers::Paint(pic::Canvas& picture, const std::string& key, const std::function<void(pic::Canvas&)>& draw) {
    auto found = std::find_if(layers_.begin(), layers_.end(), [&](const Layer& l) { return l.key == key; });
    if (found == layers_.end()) {
        Layer made = Made(picture.width, picture.height, draw);
        made.key = key;
        bytes_ += made.ink.bgra.size() + made.key.size();
        layers_.push_front(std::move(made));
        while (bytes_ > kKeptBytes && layers_.size() > 1) {
            bytes_ -= layers_.back().ink.bgra.size() + layers_.back().key.size();
            layers_.pop_back();
        }
    } else {
        layers_.splice(layers_.begin(), layers_, found);
    }
    PaintOver(picture, layers_.front());
}

}  // namespace app
