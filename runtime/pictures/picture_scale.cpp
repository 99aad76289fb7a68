#include "runtime/pictures/picture_scale.h"
#include <algorithm>
#include <cmath>
#include <new>

namespace imprinta::picture {
namespace {

constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;

// Source taps of one target pixel along one axis, weights summing to kWeightOne.
struct Taps {
    int first = 0;
    std::vector<int> weights;
};

std::vector<Taps> AxisTaps(int source, int target) {
    std::vector<Taps> taps(target);
    const double scale = double(source) / target;
    for (int t = 0; t < target; ++t) {
        Taps& tap = taps[t];
        if (scale >= 1.0) {  // area average over [t * scale, (t + 1) * scale)
            double begin = t * scale, end = std::min<double>(source, (t + 1) * scale);
            tap.first = int(begin);
            for (int s = tap.first; s < end; ++s)
                tap.weights.push_back(int(std::lround((std::min<double>(s + 1, end) - std::max<double>(s, begin)) / scale * kWeightOne)));
        } else {  // linear between the two nearest source centres
            double centre = (t + 0.5) * scale - 0.5;
            int left = int(std::floor(centre));
            double f = centre - left;
            left = std::clamp(left, 0, source - 1);
            int right = std::min(left + 1, source - 1);
            tap.first = left;
            int wr = int(std::lround(f * kWeightOne));
            if (centre < 0) wr = 0;
            tap.weights = {kWeightOne - wr};
            if (right != left) tap.weights.push_back(wr);
        }
        // Rounding may leave the sum a little off: the largest tap takes the rest.
        int sum = 0;
        for (int w : tap.weights) sum += w;
        *std::max_element(tap.weights.begin(), tap.weights.end()) += kWeightOne - sum;
    }
    return taps;
}

uint8_t Round(int32_t v) {
    v = (v + kWeightOne / 2) >> kWeightBits;
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

std::vector<uint8_t> Resample(const uint8_t* bgra, int sw, int sh, int dw, int dh) {
    const std::vector<Taps> columns = AxisTaps(sw, dw), rows = AxisTaps(sh, dh);
    // Rows first (whole rows at a time, which vectorises) into sw x dh, then
    // columns into dw x dh. Weights sum to kWeightOne: int32 cannot overflow.
    const size_t rowBytes = size_t(sw) * 4;
    std::vector<uint8_t> tall(rowBytes * dh);
    std::vector<int32_t> acc(rowBytes);
    for (int y = 0; y < dh; ++y) {
        const Taps& tap = rows[y];
        std::fill(acc.begin(), acc.end(), 0);
        for (size_t i = 0; i < tap.weights.size(); ++i) {
            const uint8_t* src = bgra + size_t(tap.first + int(i)) * rowBytes;
            // 16-bit factors (weights stay below 2^15): SSE2 multiplies eight at once.
            const int16_t w = int16_t(tap.weights[i]);
            int32_t* a = acc.data();
            for (size_t x = 0; x < rowBytes; ++x) a[x] += int32_t(int16_t(src[x])) * w;
        }
        uint8_t* dst = tall.data() + size_t(y) * rowBytes;
        for (size_t x = 0; x < rowBytes; ++x) dst[x] = Round(acc[x]);
    }
    std::vector<uint8_t> out(size_t(dw) * dh * 4);
    for (int y = 0; y < dh; ++y) {
        const uint8_t* src = tall.data() + size_t(y) * rowBytes;
        uint8_t* dst = out.data() + size_t(y) * dw * 4;
        for (int x = 0; x < dw; ++x, dst += 4) {
            const Taps& tap = columns[x];
            int32_t sum[4] = {};
            for (size_t i = 0; i < tap.weights.size(); ++i) {
                const uint8_t* p = src + size_t(tap.first + int(i)) * 4;
                for (int c = 0; c < 4; ++c) sum[c] += p[c] * tap.weights[i];
            }
            for (int c = 0; c < 4; ++c) dst[c] = Round(sum[c]);
        }
    }
    return out;
}

}  // namespace

std::vector<uint8_t> ScaleBgra(const uint8_t* bgra, int sw, int sh, int dw, int dh) {
    if (!bgra || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return {};
    try {
        return Resample(bgra, sw, sh, dw, dh);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

FitPlace FitWhole(int pw, int ph, int aw, int ah) {
    FitPlace f;
    if (pw <= 0 || ph <= 0 || aw <= 0 || ah <= 0) return f;
    // Limited by the height when pw / ph <= aw / ah; rounded to the nearest pixel.
    const int64_t w = pw, h = ph;
    if (w * ah <= h * aw) {
        f.height = ah;
        f.width = static_cast<int>((w * ah * 2 + h) / (h * 2));
    } else {
        f.width = aw;
        f.height = static_cast<int>((h * aw * 2 + w) / (w * 2));
    }
    if (f.width < 1) f.width = 1;
    if (f.height < 1) f.height = 1;
    f.x = (aw - f.width) / 2;
    f.y = (ah - f.height) / 2;
    return f;
}

}  // namespace imprinta::picture
