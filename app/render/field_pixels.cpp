#include "app/render/field_pixels.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include "runtime/pictures/picture_scale.h"

namespace app {

namespace pic = imprinta::picture;

namespace {

int32_t Edge(double v, float scale) { return int32_t(std::lround(v * scale)); }

uint8_t* PixelAt(pic::Canvas& c, int32_t x, int32_t y) { return c.bgra.data() + (size_t(y) * c.width + x) * 4; }

// Straight-alpha "over": the source at alpha a (0..255*255 fixed point) onto the destination.
void Blend(uint8_t* d, const uint8_t* s, uint32_t a /* 0..65025 */) {
    if (a == 0) return;
    if (a >= 65025) {
        std::memcpy(d, s, 3);
        d[3] = 255;
        return;
    }
    const double sa = a / 65025.0, da = d[3] / 255.0;
    const double oa = sa + da * (1 - sa);
    for (int k = 0; k < 3; ++k) d[k] = uint8_t(std::lround((s[k] * sa + d[k] * da * (1 - sa)) / oa));
    d[3] = uint8_t(std::lround(oa * 255));
}

// How much of the pixel centred at (px, py) lies inside the rounded box or the
// ellipse, 0..1, antialiased over one pixel.
struct Shape {
    double x0, y0, x1, y1;
    double radius;  // corner radius, canvas pixels
    bool ellipse;

    double Cover(double px, double py) const {
        if (ellipse) {
            const double rx = (x1 - x0) / 2, ry = (y1 - y0) / 2;
            if (rx <= 0 || ry <= 0) return 0;
            const double nx = (px - (x0 + rx)) / rx, ny = (py - (y0 + ry)) / ry;
            const double d = (std::sqrt(nx * nx + ny * ny) - 1) * std::min(rx, ry);
            return std::clamp(0.5 - d, 0.0, 1.0);
        }
        const double r = std::min({radius, (x1 - x0) / 2, (y1 - y0) / 2});
        if (r <= 0) return 1;
        const double cx = std::clamp(px, x0 + r, x1 - r), cy = std::clamp(py, y0 + r, y1 - r);
        const double dx = px - cx, dy = py - cy;
        if (dx == 0 || dy == 0) return 1;  // not in a corner
        return std::clamp(r - std::sqrt(dx * dx + dy * dy) + 0.5, 0.0, 1.0);
    }
};

void FillRect(pic::Canvas& on, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min<int64_t>(x1, on.width), y1 = std::min<int64_t>(y1, on.height);
    const uint8_t bgra[4] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour), 255};
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) std::memcpy(PixelAt(on, x, y), bgra, 4);
}

}  // namespace

PictureSpan FitPicture(uint32_t sw, uint32_t sh, const FieldBox& box, PictureFit fit) {
    PictureSpan s{0, 0, double(sw), double(sh), double(box.x), double(box.y), double(box.width), double(box.height)};
    if (sw == 0 || sh == 0 || box.width <= 0 || box.height <= 0 || fit == PictureFit::Stretch) return s;
    const double boxRatio = double(box.width) / box.height, picRatio = double(sw) / sh;
    if (fit == PictureFit::Inside) {
        if (picRatio > boxRatio)
            s.dh = box.width / picRatio, s.dy += (box.height - s.dh) / 2;
        else
            s.dw = box.height * picRatio, s.dx += (box.width - s.dw) / 2;
    } else {
        if (picRatio > boxRatio)
            s.sw = sh * boxRatio, s.sx = (sw - s.sw) / 2;
        else
            s.sh = sw / boxRatio, s.sy = (sh - s.sh) / 2;
    }
    return s;
}

PlacedPicture PlacePicture(const pic::Canvas& picture, const PictureSpan& span, FieldScale scale) {
    PlacedPicture placed;
    const int32_t x0 = Edge(span.dx, scale.x), y0 = Edge(span.dy, scale.y);
    const int32_t x1 = Edge(span.dx + span.dw, scale.x), y1 = Edge(span.dy + span.dh, scale.y);
    if (x1 <= x0 || y1 <= y0 || picture.Empty()) return placed;
    // Only the part the span shows is resampled; a picture larger than the box
    // is first cut to it (rounded out to whole pixels).
    const int32_t cx = std::clamp<int32_t>(int32_t(std::floor(span.sx)), 0, picture.width - 1);
    const int32_t cy = std::clamp<int32_t>(int32_t(std::floor(span.sy)), 0, picture.height - 1);
    const int32_t cw = std::clamp<int32_t>(int32_t(std::ceil(span.sx + span.sw)) - cx, 1, picture.width - cx);
    const int32_t ch = std::clamp<int32_t>(int32_t(std::ceil(span.sy + span.sh)) - cy, 1, picture.height - cy);
    try {
        std::vector<uint8_t> cut;
        const uint8_t* rows = picture.bgra.data();
        if (cw != int32_t(picture.width) || ch != int32_t(picture.height)) {
            cut.resize(size_t(cw) * ch * 4);
            for (int32_t y = 0; y < ch; ++y)
                std::memcpy(cut.data() + size_t(y) * cw * 4, picture.bgra.data() + ((size_t(cy) + y) * picture.width + cx) * 4,
                            size_t(cw) * 4);
            rows = cut.data();
        }
        placed.pixels.bgra = pic::ScaleBgra(rows, cw, ch, x1 - x0, y1 - y0);
    } catch (const std::bad_alloc&) {
        placed.pixels.bgra.clear();
    }
    if (placed.pixels.bgra.empty()) return placed;
    placed.pixels.width = uint32_t(x1 - x0);
    placed.pixels.height = uint32_t(y1 - y0);
    placed.x = x0, placed.y = y0;
    return placed;
}

void BlendPicture(pic::Canvas& on, const PlacedPicture& placed, const PictureField& f, FieldScale scale) {
    if (placed.pixels.Empty() || f.opacity <= 0) return;
    const Shape shape{double(placed.x), double(placed.y), double(placed.x + int32_t(placed.pixels.width)),
                      double(placed.y + int32_t(placed.pixels.height)), f.cornerRadius * double(std::min(scale.x, scale.y)),
                      f.circle};
    const uint32_t opacity = uint32_t(std::clamp(f.opacity, 0, 100)) * 255 / 100;
    const int32_t yBegin = std::max(placed.y, 0), yEnd = std::min<int64_t>(shape.y1, on.height);
    const int32_t xBegin = std::max(placed.x, 0), xEnd = std::min<int64_t>(shape.x1, on.width);
    for (int32_t y = yBegin; y < yEnd; ++y) {
        const uint8_t* src = placed.pixels.bgra.data() + (size_t(y - placed.y) * placed.pixels.width) * 4;
        for (int32_t x = xBegin; x < xEnd; ++x) {
            const uint8_t* s = src + size_t(x - placed.x) * 4;
            const double cover = shape.Cover(x + 0.5, y + 0.5);
            Blend(PixelAt(on, x, y), s, uint32_t(std::lround(s[3] * opacity * cover)));
        }
    }
}

QrPlace PlaceQr(int32_t modules, int32_t quietModules, int32_t size) {
    QrPlace p;
    const int32_t total = modules + 2 * std::max(quietModules, 0);
    if (modules <= 0 || size <= 0) return p;
    const int32_t m = size / total;
    if (m < kMinModulePixels) return p;
    p.modulePixels = m;
    p.side = m * total;
    p.offset = (size - p.side) / 2;
    return p;
}

int32_t CentreModules(int32_t width) {
    int32_t k = int32_t(width * 0.22);
    if (k % 2 == 0) --k;
    return std::max(k, 0);
}

void DrawQr(pic::Canvas& on, const QrModules& modules, const QrField& f, const pic::Canvas* centre, FieldScale scale) {
    const int32_t quiet = std::max(f.quietModules, 0);
    const QrPlace place = PlaceQr(modules.width, quiet, f.size);
    if (!place.modulePixels || on.Empty()) return;
    const int32_t left = f.x + place.offset, top = f.y + place.offset, m = place.modulePixels;
    // Module k's edges on the canvas: the same rounding for every module, so
    // neighbours meet without gaps and a full-size canvas gets whole modules.
    auto X = [&](int32_t k) { return Edge(double(left) + double(k) * m, scale.x); };
    auto Y = [&](int32_t k) { return Edge(double(top) + double(k) * m, scale.y); };
    const int32_t total = modules.width + 2 * quiet;
    if (!f.lightTransparent) FillRect(on, X(0), Y(0), X(total), Y(total), f.light);
    for (int32_t r = 0; r < modules.width; ++r)
        for (int32_t c = 0; c < modules.width; ++c)
            if (modules.dark[size_t(r) * modules.width + c])
                FillRect(on, X(quiet + c), Y(quiet + r), X(quiet + c + 1), Y(quiet + r + 1), f.dark);
    if (!centre || centre->Empty() || f.level != QrLevel::H) return;
    const int32_t k = CentreModules(modules.width);
    if (k < 3) return;
    const int32_t first = quiet + (modules.width - k) / 2;
    // A light square behind the picture keeps the modules around it clear.
    FillRect(on, X(first), Y(first), X(first + k), Y(first + k), f.lightTransparent ? 0xFFFFFF : f.light);
    const FieldBox inner{left + (first + 1) * m, top + (first + 1) * m, (k - 2) * m, (k - 2) * m};
    PictureField logo;
    logo.box = inner;
    const PlacedPicture placed =
        PlacePicture(*centre, FitPicture(centre->width, centre->height, inner, PictureFit::Inside), scale);
    BlendPicture(on, placed, logo, scale);
}

}  // namespace app
