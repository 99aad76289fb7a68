#include "runtime/units/label_gradient.h"

#include <algorithm>

namespace imprinta::units {

int CollectGradientColours(const uint32_t in[3], uint32_t out[3]) {
    int n = 0;
    for (int i = 0; i < 3; ++i)
        if (in[i] != 0xFF000000u) out[n++] = in[i];
    return n;
}

uint32_t GradientColourAt(const uint32_t* colours, int count, int p, int length) {
    if (count <= 0) return 0;
    if (count == 1) return colours[0];
    // A length shorter than the number of segments would make the segment 0;
    // one pixel per segment keeps the division defined.
    int segment = std::max(1, length / (count - 1));
    if (p < 0) p = 0;
    int index = p / segment;
    if (index >= count - 1) return colours[count - 1];
    int part = p % segment;
    uint32_t a = colours[index], b = colours[index + 1], out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int ca = int((a >> shift) & 0xFF), cb = int((b >> shift) & 0xFF);
        int c = ca + (cb - ca) * part / segment;  // truncates toward zero
        out |= uint32_t(c & 0xFF) << shift;
    }
    return out;
}

void GradientPosition(int mode, int x, int y, int w, int h, int& p, int& length) {
    int diagonal = 2 * std::min(w, h);
    switch (mode) {
    case 1: p = y; length = h; break;
    case 2: p = x; length = w; break;
    case 3: p = x + y; length = diagonal; break;
    case 4: p = (w - 1 - x) + y; length = diagonal; break;
    case 5: p = h - 1 - y; length = h; break;
    case 6: p = w - 1 - x; length = w; break;
    case 7: p = (w - 1 - x) + (h - 1 - y); length = diagonal; break;
    case 8: p = x + (h - 1 - y); length = diagonal; break;
    default: p = 0; length = 1; break;
    }
}

void RenderGradientTile(int mode, const uint32_t* colours, int count, int w, int h, int tileX, int tileY, int tileW,
                        int tileH, uint8_t* bgra) {
    for (int ty = 0; ty < tileH; ++ty) {
        uint8_t* out = bgra + size_t(ty) * size_t(tileW) * 4;
        for (int tx = 0; tx < tileW; ++tx, out += 4) {
            int p = 0, length = 1;
            GradientPosition(mode, tileX + tx, tileY + ty, w, h, p, length);
            uint32_t c = GradientColourAt(colours, count, p, length);
            out[0] = uint8_t(c >> 16);
            out[1] = uint8_t(c >> 8);
            out[2] = uint8_t(c);
            out[3] = 255;
        }
    }
}

FrameBands LimitFrame(int frameWidth, int width, int height) {
    FrameBands b;
    b.side = std::max(0, std::min(frameWidth, width / 2));
    b.topBottom = std::max(0, std::min(frameWidth, height / 2));
    return b;
}

}  // namespace imprinta::units
