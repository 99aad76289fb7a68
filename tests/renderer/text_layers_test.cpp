// Text layers: painting a kept layer gives the pixels of painting its ink
// pixel by pixel, and each layer holds only its own ink.
#include <gtest/gtest.h>
#include <new>
#include "app/render/text_layers.h"

using namespace app;
using imprinta::picture::Canvas;

namespace {

constexpr uint32_t kSide = 64;

Canvas Filled(uint32_t seed, int alpha) {  // alpha < 0: any
    Canvas c{kSide, kSide, std::vector<uint8_t>(kSide * kSide * 4)};
    for (uint8_t& b : c.bgra) b = uint8_t((seed = seed * 1103515245u + 12345u) >> 20);
    for (size_t i = 3; alpha >= 0 && i < c.bgra.size(); i += 4) c.bgra[i] = uint8_t(alpha);
    return c;
}

// Ink of every kind of alpha (none, full, partial) in a square of side 8 at x, y.
void DrawInk(Canvas& c, uint32_t x, uint32_t y) {
    const Canvas noise = Filled(x * 131 + y, -1);
    for (uint32_t j = y; j < y + 8; ++j)
        for (uint32_t i = x; i < x + 8; ++i) {
            uint8_t* px = &c.bgra[(size_t(j) * kSide + i) * 4];
            std::copy_n(&noise.bgra[(size_t(j) * kSide + i) * 4], 4, px);
            if ((i + j) % 5 == 0) px[3] = 255;
            if ((i + j) % 5 == 1) px[3] = 0;
        }
}

// The picture with the ink painted pixel by pixel.
Canvas Want(Canvas picture, uint32_t x, uint32_t y) {
    Canvas ink{kSide, kSide, std::vector<uint8_t>(kSide * kSide * 4)};
    DrawInk(ink, x, y);
    for (size_t i = 0; i < ink.bgra.size(); i += 4) PaintPixelOver(&ink.bgra[i], &picture.bgra[i]);
    return picture;
}

}  // namespace

TEST(TextLayers, PaintingALayerEqualsPaintingItsInkPixelByPixel) {
    for (int under : {255, 90, -1}) {
        TextLayers layers;
        Canvas got = Filled(7, under);
        const Canvas want = Want(got, 3, 5);
        layers.Paint(got, "a", [](Canvas& c) { DrawInk(c, 3, 5); });
        EXPECT_EQ(want.bgra, got.bgra) << "under alpha " << under;
    }
}

TEST(TextLayers, EachLayerHoldsOnlyItsOwnInk) {
    TextLayers layers;
    struct Step {
        const char* key;
        uint32_t x, y;
        bool fails;  // the draw runs out of memory half way
    } steps[] = {{"first", 1, 1, false}, {"second", 30, 20, false}, {"failing", 2, 50, true}, {"third", 50, 40, false}};
    for (const Step& s : steps) {
        Canvas got = Filled(9, 255);
        const Canvas want = Want(got, s.x, s.y);
        auto draw = [&](Canvas& c) {
            DrawInk(c, s.x, s.y);
            if (s.fails) throw std::bad_alloc();
        };
        if (s.fails) {
            EXPECT_THROW(layers.Paint(got, s.key, draw), std::bad_alloc);
            continue;
        }
        layers.Paint(got, s.key, draw);
        EXPECT_EQ(want.bgra, got.bgra) << s.key;
    }
}
