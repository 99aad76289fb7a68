// The preview's texts kept as layers. A keystroke changes one text: the other
// one, however long, is not laid out again but painted from the layer it left
// (its coverage and colours over a transparent picture, cut to where it has
// ink). Layers are for the picture shown only; what is kept (export, batches)
// is drawn straight onto the picture. Plain C++.
#pragma once
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include "runtime/pictures/picture_canvas.h"

namespace app {

class TextLayers {
public:
    // Paints the layer kept under key over the picture; without one, draw
    // makes it first on a transparent picture of the same size.
    void Paint(imprinta::picture::Canvas& picture, const std::string& key,
               const std::function<void(imprinta::picture::Canvas&)>& draw);
    void Clear() {
        layers_.clear();
        bytes_ = 0;
        scratch_ = {};
    }
    void DropScratch() { scratch_ = {}; }

private:
    struct Layer {
        std::string key;
        uint32_t left = 0, top = 0;
        imprinta::picture::Canvas ink;  // the part that holds any
    };
    Layer Made(uint32_t width, uint32_t height, const std::function<void(imprinta::picture::Canvas&)>& draw);
    static void PaintOver(imprinta::picture::Canvas& picture, const Layer& layer);

    // Title and body (or each line of a long one), as they are and as they
    // were a keystroke ago: layers are cut to their ink, so a budget of bytes.
    static constexpr size_t kKeptBytes = size_t(6) << 20;
    std::list<Layer> layers_;
    size_t bytes_ = 0;
    // The transparent picture layers are drawn on, clear again after each:
    // one of the preview's size is not allocated and cleared at each keystroke.
    imprinta::picture::Canvas scratch_;
};

// Straight-alpha "over" of one BGRA pixel onto another, as GDI+ and the text
// effects paint.
void PaintPixelOver(const uint8_t* src, uint8_t* dst);

}  // namespace app
