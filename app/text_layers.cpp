#include "app/text_layers.h"
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

TextLayers::Layer TextLayers::Made(uint32_t width, uint32_t height,
                                   const std::function<void(pic::Canvas&)>& draw) {
    pic::Canvas blank{width, height, std::vector<uint8_t>(size_t(width) * height * 4, 0)};
    draw(blank);
    // Cut to the rows and columns that hold ink.
    uint32_t left = width, top = height, right = 0, bottom = 0;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = blank.bgra.data() + y * blank.Stride();
        for (uint32_t x = 0; x < width; ++x)
            if (row[x * 4 + 3]) {
                left = std::min(left, x), right = std::max(right, x + 1);
                top = std::min(top, y), bottom = std::max(bottom, y + 1);
            }
    }
    Layer layer;
    if (right <= left || bottom <= top) return layer;
    layer.left = left, layer.top = top;
    layer.ink = {right - left, bottom - top, std::vector<uint8_t>(size_t(right - left) * (bottom - top) * 4)};
    for (uint32_t y = top; y < bottom; ++y)
        std::memcpy(layer.ink.bgra.data() + (y - top) * layer.ink.Stride(), blank.bgra.data() + y * blank.Stride() + left * 4,
                    layer.ink.Stride());
    return layer;
}

void TextLayers::PaintOver(pic::Canvas& picture, const Layer& layer) {
    const uint32_t width = std::min(layer.ink.width, picture.width > layer.left ? picture.width - layer.left : 0);
    const uint32_t height = std::min(layer.ink.height, picture.height > layer.top ? picture.height - layer.top : 0);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = layer.ink.bgra.data() + y * layer.ink.Stride();
        uint8_t* dst = picture.bgra.data() + (layer.top + y) * picture.Stride() + layer.left * 4;
        for (uint32_t x = 0; x < width; ++x) PaintPixelOver(src + x * 4, dst + x * 4);
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
