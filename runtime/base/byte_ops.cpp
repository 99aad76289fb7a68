#include "runtime/base/byte_ops.h"
#include <cmath>
#include <cstring>
#include "runtime/base/conversion.h"
#include "runtime/base/value.h"

namespace imprinta::ops {

namespace {
// Result types and widths of the kinds 1..10.
constexpr uint32_t kKindTypes[11] = {0,         kTypeByte,     kTypeShort,     kTypeInt, kTypeLong, kTypeFloat,
                                     kTypeDouble, kTypeBool, kTypeDateTime, kTypeSubroutine, kTypeText};
constexpr uint32_t kKindWidths[10] = {0, 1, 2, 4, 8, 4, 8, 4, 8, 4};
}  // namespace

Extracted ExtractValue(const uint8_t* data, uint32_t length, int kind, bool hasPosition, int32_t position) {
    Extracted r;
    if (!IsValidDataKind(kind)) return r;
    r.type = kKindTypes[kind];
    int64_t start = hasPosition ? static_cast<int64_t>(position) - 1 : 0;
    // A start before the data or past its end has nothing available.
    uint32_t available = 0;
    if (start >= 0 && start < static_cast<int64_t>(length) && data) available = length - static_cast<uint32_t>(start);
    const uint8_t* from = available ? data + start : nullptr;

    uint32_t consumed;
    if (kind == 10) {
        const void* zero = available ? std::memchr(from, 0, available) : nullptr;
        uint32_t n = zero ? static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - from) : available;
        if (n) r.text.assign(reinterpret_cast<const char*>(from), n);
        consumed = n + (zero ? 1 : 0);
    } else {
        uint32_t width = kKindWidths[kind];
        uint8_t buffer[8] = {};
        if (available) std::memcpy(buffer, from, available < width ? available : width);
        std::memcpy(&r.low, buffer, 4);
        std::memcpy(&r.high, buffer + 4, 4);
        if (width < 8) r.high = 0;
        if (kind == 7) {
            r.low = r.low != 0 ? 1 : 0;
        } else if (kind == 8) {
            double d;
            std::memcpy(&d, buffer, 8);
            d = conv::ClampDateTime(d);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            r.low = static_cast<uint32_t>(bits);
            r.high = static_cast<uint32_t>(bits >> 32);
        }
        consumed = width;
    }
    if (start < 0) {
        r.next = -1;
    } else {
        int64_t next = start + consumed;
        r.next = next >= static_cast<int64_t>(length) ? -1 : static_cast<int32_t>(next + 1);
    }
    return r;
}

std::vector<std::string> SplitPieces(const char* text, const char* separator, int64_t maximum) {
    std::vector<std::string> pieces;
    if (!text || !*text || maximum == 0) return pieces;
    if (!separator || !*separator) {
        pieces.emplace_back(text);
        return pieces;
    }
    const size_t sepLength = std::strlen(separator);
    const char* end = text + std::strlen(text);
    const char* pieceStart = text;
    const char* cursor = text;
    bool used = false;
    while (static_cast<size_t>(end - cursor) >= sepLength) {
        if (std::memcmp(cursor, separator, sepLength) == 0) {
            pieces.emplace_back(pieceStart, cursor);
            cursor += sepLength;
            pieceStart = cursor;
            if (maximum > 0 && --maximum == 0) {
                used = true;
                break;
            }
        } else if (static_cast<uint8_t>(*cursor) & 0x80) {
            if (cursor[1] == 0) break;
            cursor += 2;
        } else {
            ++cursor;
        }
    }
    if (pieceStart != end && !used) pieces.emplace_back(pieceStart, end);
    return pieces;
}

std::string UpperAscii(const char* text) {
    std::string s = text ? text : "";
    for (size_t i = 0; i < s.size(); ++i) {
        auto b = static_cast<uint8_t>(s[i]);
        if (b >= 'a' && b <= 'z') {
            s[i] = static_cast<char>(b - 32);
        } else if (b & 0x80) {
            if (i + 1 >= s.size()) break;
            ++i;  // the trail byte stays as it is
        }
    }
    return s;
}

int32_t RoundDownSnapped(double value) {
    double integral;
    double fraction = std::modf(value, &integral);
    double snapped = value;
    if (std::fabs(fraction) > 0.999999999999) snapped = value >= 0.0 ? integral + 1.0 : integral - 1.0;
    return conv::TruncateToInt32(std::floor(snapped));
}

double TruncatedQuotient(double x, double y) { return std::trunc(x / y); }

uint32_t NextRandom(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFF;
}

int32_t RandomInRange(uint32_t& state, bool hasMin, int32_t minimum, bool hasMax, int32_t maximum) {
    int32_t low = hasMin ? (minimum < 0 ? 0 : minimum) : 0;
    int32_t high = hasMax ? (maximum < 0 ? 0 : maximum) : 2147483647;
    if (low > high) {
        int32_t t = low;
        low = high;
        high = t;
    }
    if (low == high) return low;
    uint32_t span = static_cast<uint32_t>(high - low);
    if (span > 2147483646u) span = 2147483646u;
    return low + static_cast<int32_t>(NextRandom(state) % (span + 1));
}

std::vector<std::string> CollapseReversed(const std::vector<std::string>& names) {
    std::vector<std::string> kept;
    std::string previous;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (*it != previous) kept.push_back(*it);
        previous = *it;
    }
    return kept;
}

int RecognisePicture(const uint8_t* d, uint32_t length) {
    if (!d || length < 8) return kPictureUnknown;
    if (d[0] == 0xFF && d[1] == 0xD8) return kPictureJpeg;
    if (d[0] == 'B' && d[1] == 'M') return kPictureBmp;
    if (d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G') return kPicturePng;
    bool count = d[4] != 0 || d[5] != 0;
    if (d[0] == 0 && d[1] == 0 && d[2] == 1 && d[3] == 0 && count) return kPictureIco;
    if (d[0] == 0 && d[1] == 0 && d[2] == 2 && d[3] == 0 && count) return kPictureCur;
    if (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0) return kPictureGif;
    if (d[0] == 10 && d[1] <= 5 && d[2] == 1 && d[3] == 8) return kPicturePcx8;
    if (d[0] == 10 && d[1] == 3 && d[2] == 1 && d[3] == 1) return kPicturePcx1;
    return kPictureUnknown;
}

}  // namespace imprinta::ops
