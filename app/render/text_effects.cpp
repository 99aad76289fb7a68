#include "app/render/text_effects.h"
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace app {

namespace {

constexpr float kFar = 1e20f;

// Squared distance transform of one row or column (lower envelope of parabolas).
void DistanceTransform1d(const float* f, int n, float* d, std::vector<int>& v, std::vector<float>& z) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    v.resize(n);
    z.resize(n + 1);
    int k = 0;
    v[0] = 0;
    z[0] = -kInf;
    z[1] = kInf;
    auto meet = [&](int q, int p) { return ((f[q] + float(q) * q) - (f[p] + float(p) * p)) / (2.0f * (q - p)); };
    for (int q = 1; q < n; ++q) {
        float s = meet(q, v[k]);
        while (s <= z[k]) s = meet(q, v[--k]);
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = kInf;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q) ++k;
        const float t = float(q - v[k]);
        d[q] = t * t + f[v[k]];
    }
}

// Squared distance of every pixel to the nearest pixel covered at least half.
std::vector<float> SquaredDistances(const CoverageMask& m) {
    const int w = m.width, h = m.height;
    std::vector<float> grid(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < grid.size(); ++i) grid[i] = m.alpha[i] >= 128 ? 0.0f : kFar;
    std::vector<float> in(std::max(w, h)), out(std::max(w, h));
    std::vector<int> v;
    std::vector<float> z;
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) in[y] = grid[static_cast<size_t>(y) * w + x];
        DistanceTransform1d(in.data(), h, out.data(), v, z);
        for (int y = 0; y < h; ++y) grid[static_cast<size_t>(y) * w + x] = out[y];
    }
    for (int y = 0; y < h; ++y) {
        float* row = &grid[static_cast<size_t>(y) * w];
        DistanceTransform1d(row, w, out.data(), v, z);
        std::copy(out.begin(), out.begin() + w, row);
    }
    return grid;
}

// One box blur of the given radius along rows (step 1) or columns (step width).
void BoxPass(std::vector<uint16_t>& data, int w, int h, int radius, bool rows) {
    const int lines = rows ? h : w, length = rows ? w : h;
    const size_t stride = rows ? 1 : static_cast<size_t>(w), lineStep = rows ? static_cast<size_t>(w) : 1;
    std::vector<uint16_t> line(length);
    const uint32_t span = 2 * radius + 1;
    for (int l = 0; l < lines; ++l) {
        uint16_t* p = data.data() + l * lineStep;
        for (int i = 0; i < length; ++i) line[i] = p[i * stride];
        uint32_t sum = 0;
        for (int i = 0; i <= radius && i < length; ++i) sum += line[i];
        for (int i = 0; i < length; ++i) {
            p[i * stride] = static_cast<uint16_t>((sum + span / 2) / span);
            const int add = i + radius + 1, drop = i - radius;
            if (add < length) sum += line[add];
            if (drop >= 0) sum -= line[drop];
        }
    }
}

uint8_t Blend(uint32_t src, uint32_t dst, uint32_t srcA, uint32_t dstA, uint32_t outA) {
    // Straight alpha: (src * srcA + dst * dstA * (1 - srcA)) / outA, all in 0..255.
    const uint32_t num = src * srcA * 255 + dst * dstA * (255 - srcA);
    return static_cast<uint8_t>((num + outA * 255 / 2) / (outA * 255));
}

}  // namespace

CoverageMask CoverageMask::Blank(int32_t left, int32_t top, int32_t width, int32_t height) {
    CoverageMask m;
    m.left = left;
    m.top = top;
    m.width = std::max(width, 0);
    m.height = std::max(height, 0);
    m.alpha.assign(static_cast<size_t>(m.width) * m.height, 0);
    return m;
}

namespace {

// How one axis of source pixels falls on scaled cells: for source pixel i
// (of count, starting at from), the cells it overlaps and by how much of a cell.
struct AxisShare {
    int64_t first = 0;
    std::vector<std::pair<int64_t, double>> cells;  // cell - first, share; sorted by source pixel
    std::vector<size_t> start;                        // where source pixel i's cells begin; one more at the end
    int64_t count = 0;                                // cells spanned
};

AxisShare ShareAxis(int32_t from, int32_t count, double scale) {
    AxisShare a;
    a.first = static_cast<int64_t>(std::floor(from * scale));
    a.count = static_cast<int64_t>(std::ceil((int64_t(from) + count) * scale)) - a.first;
    for (int32_t i = 0; i < count; ++i) {
        a.start.push_back(a.cells.size());
        const double lo = (int64_t(from) + i) * scale, hi = lo + scale;
        for (int64_t c = static_cast<int64_t>(std::floor(lo)); c < hi; ++c) {
            const double share = std::min(hi, double(c + 1)) - std::max(lo, double(c));
            if (share > 0) a.cells.emplace_back(c - a.first, share);
        }
    }
    a.start.push_back(a.cells.size());
    return a;
}

}  // namespace

CoverageMask Shrunk(const CoverageMask& mask, double sx, double sy) {
    if (mask.empty() || !(sx > 0) || !(sy > 0)) return {};
    const AxisShare xs = ShareAxis(mask.left, mask.width, sx), ys = ShareAxis(mask.top, mask.height, sy);
    const size_t outWidth = static_cast<size_t>(xs.count);
    std::vector<double> sums(outWidth * static_cast<size_t>(ys.count), 0.0), row(outWidth);
    for (int32_t y = 0; y < mask.height; ++y) {
        std::fill(row.begin(), row.end(), 0.0);
        bool any = false;
        for (int32_t x = 0; x < mask.width; ++x) {
            const uint8_t v = mask.at(x, y);
            if (!v) continue;
            any = true;
            for (size_t k = xs.start[x]; k < xs.start[x + 1]; ++k) row[xs.cells[k].first] += v * xs.cells[k].second;
        }
        if (!any) continue;
        for (size_t k = ys.start[y]; k < ys.start[y + 1]; ++k) {
            double* to = &sums[static_cast<size_t>(ys.cells[k].first) * outWidth];
            for (size_t x = 0; x < outWidth; ++x) to[x] += row[x] * ys.cells[k].second;
        }
    }
    CoverageMask out = CoverageMask::Blank(static_cast<int32_t>(xs.first), static_cast<int32_t>(ys.first),
                                           static_cast<int32_t>(xs.count), static_cast<int32_t>(ys.count));
    for (size_t i = 0; i < out.alpha.size(); ++i)
        out.alpha[i] = static_cast<uint8_t>(std::min(255.0, std::floor(sums[i] + 0.5)));
    return out;
}

CoverageMask Outlined(const CoverageMask& glyphs, double radius) {
    if (glyphs.empty() || !(radius > 0)) return glyphs;
    const int grow = static_cast<int>(std::ceil(radius)) + 1;
    CoverageMask out = CoverageMask::Blank(glyphs.left - grow, glyphs.top - grow, glyphs.width + 2 * grow,
                                           glyphs.height + 2 * grow);
    for (int y = 0; y < glyphs.height; ++y)
        std::copy_n(&glyphs.alpha[static_cast<size_t>(y) * glyphs.width], glyphs.width,
                    &out.alpha[static_cast<size_t>(y + grow) * out.width + grow]);
    const std::vector<float> d2 = SquaredDistances(out);
    // Full inside the radius, fading over the last pixel: a smooth, round edge.
    const float r = static_cast<float>(radius);
    for (size_t i = 0; i < out.alpha.size(); ++i) {
        if (d2[i] >= (r + 1) * (r + 1)) continue;
        const float cover = std::clamp(r + 0.5f - std::sqrt(d2[i]), 0.0f, 1.0f);
        out.alpha[i] = std::max<uint8_t>(out.alpha[i], static_cast<uint8_t>(cover * 255.0f + 0.5f));
    }
    return out;
}

CoverageMask Blurred(const CoverageMask& mask, int32_t radius) {
    if (mask.empty() || radius <= 0) return mask;
    const int box = std::max(1, (radius + 1) / 3), grow = 3 * box;
    CoverageMask out = CoverageMask::Blank(mask.left - grow, mask.top - grow, mask.width + 2 * grow,
                                           mask.height + 2 * grow);
    std::vector<uint16_t> data(out.alpha.size(), 0);
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            data[static_cast<size_t>(y + grow) * out.width + x + grow] = mask.at(x, y);
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(data, out.width, out.height, box, true);
        BoxPass(data, out.width, out.height, box, false);
    }
    for (size_t i = 0; i < data.size(); ++i) out.alpha[i] = static_cast<uint8_t>(std::min<uint16_t>(data[i], 255));
    return out;
}

namespace {

template <typename ColourAt>
void PaintWith(uint8_t* bgra, int32_t width, int32_t height, const CoverageMask& mask, int32_t dx, int32_t dy,
               int32_t opacity, ColourAt colourAt) {
    if (mask.empty() || opacity <= 0) return;
    opacity = std::min(opacity, 255);
    const int64_t x0 = std::max<int64_t>(0, int64_t(mask.left) + dx);
    const int64_t y0 = std::max<int64_t>(0, int64_t(mask.top) + dy);
    const int64_t x1 = std::min<int64_t>(width, int64_t(mask.left) + dx + mask.width);
    const int64_t y1 = std::min<int64_t>(height, int64_t(mask.top) + dy + mask.height);
    for (int64_t y = y0; y < y1; ++y) {
        const uint8_t* src = &mask.alpha[static_cast<size_t>(y - mask.top - dy) * mask.width];
        uint8_t* row = bgra + static_cast<size_t>(y) * width * 4;
        for (int64_t x = x0; x < x1; ++x) {
            const uint32_t a = (src[x - mask.left - dx] * static_cast<uint32_t>(opacity) + 127) / 255;
            if (a == 0) continue;
            uint8_t* p = row + x * 4;
            const uint32_t da = p[3];
            const uint32_t outA = a + (da * (255 - a) + 127) / 255;
            if (outA == 0) continue;
            const uint32_t colour = colourAt(x, y);
            p[0] = Blend((colour >> 16) & 0xFF, p[0], a, da, outA);
            p[1] = Blend((colour >> 8) & 0xFF, p[1], a, da, outA);
            p[2] = Blend(colour & 0xFF, p[2], a, da, outA);
            p[3] = static_cast<uint8_t>(outA);
        }
    }
}

constexpr double kPi = 3.14159265358979323846;

}  // namespace

void PaintMask(uint8_t* bgra, int32_t width, int32_t height, const CoverageMask& mask, int32_t dx, int32_t dy,
               uint32_t colour, int32_t opacity) {
    PaintWith(bgra, width, height, mask, dx, dy, opacity, [colour](int64_t, int64_t) { return colour; });
}

void PaintMask(uint8_t* bgra, int32_t width, int32_t height, const CoverageMask& mask, int32_t dx, int32_t dy,
               const LinearGradient& gradient, int32_t opacity) {
    PaintWith(bgra, width, height, mask, dx, dy, opacity,
              [&gradient](int64_t x, int64_t y) { return gradient.At(double(x) + 0.5, double(y) + 0.5); });
}

uint32_t LinearGradient::At(double rowsX, double rowsY) const {
    const double px = rowsX / scaleX - originX, py = rowsY / scaleY - originY;
    const double span2 = spanX * spanX + spanY * spanY;
    const double t = span2 > 0 ? std::clamp((px * spanX + py * spanY) / span2, 0.0, 1.0) : 0.0;
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const double a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        out |= static_cast<uint32_t>(std::lround(a + (b - a) * t)) << shift;
    }
    return out;
}

LinearGradient GradientAcross(uint32_t from, uint32_t to, double degrees, double left, double top, double right,
                              double bottom) {
    const double ux = std::cos(degrees * kPi / 180), uy = std::sin(degrees * kPi / 180);
    // The box's reach along the direction, from its centre: half its extent.
    const double half = (std::abs(ux) * (right - left) + std::abs(uy) * (bottom - top)) / 2;
    LinearGradient g;
    g.from = from, g.to = to;
    g.originX = (left + right) / 2 - ux * half, g.originY = (top + bottom) / 2 - uy * half;
    g.spanX = ux * 2 * half, g.spanY = uy * 2 * half;
    return g;
}

LinearGradient Turned(const LinearGradient& g, double degrees, double cx, double cy) {
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    LinearGradient out = g;
    const double ox = g.originX - cx, oy = g.originY - cy;
    out.originX = cx + ox * c - oy * s, out.originY = cy + ox * s + oy * c;
    out.spanX = g.spanX * c - g.spanY * s, out.spanY = g.spanX * s + g.spanY * c;
    return out;
}

InkBounds InkOf(const CoverageMask& m) {
    InkBounds b{m.width, m.height, -1, -1};
    for (int32_t y = 0; y < m.height; ++y)
        for (int32_t x = 0; x < m.width; ++x)
            if (m.at(x, y)) b.left = std::min(b.left, x), b.top = std::min(b.top, y), b.right = std::max(b.right, x), b.bottom = std::max(b.bottom, y);
    if (b.right < 0) return {};
    return {m.left + b.left, m.top + b.top, m.left + b.right + 1, m.top + b.bottom + 1};
}

CoverageMask TurnedClockwise(const CoverageMask& m) {
    CoverageMask out = CoverageMask::Blank(m.left, m.top, m.height, m.width);
    for (int32_t y = 0; y < m.height; ++y)
        for (int32_t x = 0; x < m.width; ++x) out.alpha[static_cast<size_t>(x) * out.width + (m.height - 1 - y)] = m.at(x, y);
    return out;
}

CoverageMask Rotated(const CoverageMask& m, double degrees, double cx, double cy) {
    if (m.empty() || degrees == 0) return m;
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    // The turned corners' box holds the result.
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (double x : {double(m.left), double(m.left) + m.width})
        for (double y : {double(m.top), double(m.top) + m.height}) {
            const double tx = cx + (x - cx) * c - (y - cy) * s, ty = cy + (x - cx) * s + (y - cy) * c;
            lo[0] = std::min(lo[0], tx), hi[0] = std::max(hi[0], tx), lo[1] = std::min(lo[1], ty), hi[1] = std::max(hi[1], ty);
        }
    const int32_t left = static_cast<int32_t>(std::floor(lo[0])) - 1, top = static_cast<int32_t>(std::floor(lo[1])) - 1;
    CoverageMask out = CoverageMask::Blank(left, top, static_cast<int32_t>(std::ceil(hi[0])) + 1 - left,
                                           static_cast<int32_t>(std::ceil(hi[1])) + 1 - top);
    auto sample = [&](int64_t x, int64_t y) -> double {
        return x < 0 || y < 0 || x >= m.width || y >= m.height ? 0.0 : m.at(int32_t(x), int32_t(y));
    };
    for (int32_t oy = 0; oy < out.height; ++oy)
        for (int32_t ox = 0; ox < out.width; ++ox) {
            // This pixel's centre turned back onto the source, in its pixel grid.
            const double px = out.left + ox + 0.5 - cx, py = out.top + oy + 0.5 - cy;
            const double sx = cx + px * c + py * s - m.left - 0.5, sy = cy - px * s + py * c - m.top - 0.5;
            const double fx = std::floor(sx), fy = std::floor(sy), ax = sx - fx, ay = sy - fy;
            const int64_t ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy);
            const double v = (sample(ix, iy) * (1 - ax) + sample(ix + 1, iy) * ax) * (1 - ay) +
                             (sample(ix, iy + 1) * (1 - ax) + sample(ix + 1, iy + 1) * ax) * ay;
            out.alpha[static_cast<size_t>(oy) * out.width + ox] = static_cast<uint8_t>(std::lround(std::min(255.0, v)));
        }
    return out;
}

}  // namespace app
