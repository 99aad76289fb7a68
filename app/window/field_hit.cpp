#include "app/window/field_hit.h"
#include <algorithm>
#include <cstdlib>
#include "app/poster/text_limits.h"

namespace app {

namespace {

FieldBox TextBounds(const TextField& t) {
    int64_t widest = 0, line = 0, lines = 1;
    for (size_t i = 0; i < t.text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(t.text[i]);
        if (c == '\n') {
            ++lines, line = 0;
        } else if (c >= 0x81 && i + 1 < t.text.size()) {
            line += 2, ++i;  // a GBK double-byte character: as wide as it is high
        } else if (c != '\r') {
            line += 1;
        }
        widest = std::max(widest, line);
    }
    const int64_t size = std::max(t.size, 0);
    const int64_t spacing = std::max(t.effects.lineSpacing, 0);
    const int64_t height = size + (lines - 1) * size * spacing / 100;
    return {t.x, t.y, int32_t(std::min<int64_t>(widest * size / 2, INT32_MAX)), int32_t(std::min<int64_t>(height, INT32_MAX))};
}

bool Inside(const FieldBox& b, int32_t x, int32_t y) {
    return int64_t(x) >= b.x && int64_t(y) >= b.y && int64_t(x) < int64_t(b.x) + b.width &&
           int64_t(y) < int64_t(b.y) + b.height;
}

bool NearCorner(const FieldBox& b, int32_t x, int32_t y, int32_t reach) {
    return std::llabs(int64_t(b.x) + b.width - x) <= reach && std::llabs(int64_t(b.y) + b.height - y) <= reach;
}

int32_t Side(int64_t v) { return int32_t(std::clamp<int64_t>(v, kMinFieldSide, kMaxFieldSide)); }
int32_t Place(int64_t v) { return ClampStoredPosition(v); }

}  // namespace

FieldBox FieldBounds(const PosterField& f) {
    switch (f.kind) {
    case FieldKind::Picture: return f.picture.box;
    case FieldKind::Qr: return {f.qr.x, f.qr.y, f.qr.size, f.qr.size};
    case FieldKind::Text: break;
    }
    return TextBounds(f.text);
}

FieldHit FieldAt(const PosterDescription& poster, int32_t x, int32_t y, int32_t handle) {
    // Corners first: a handle just outside its box still takes the press.
    for (size_t i = poster.fields.size(); i-- > kStandardFieldCount;) {
        const PosterField& f = poster.fields[i];
        if (f.kind != FieldKind::Text && NearCorner(FieldBounds(f), x, y, handle)) return {int(i), true};
    }
    for (size_t i = poster.fields.size(); i-- > kStandardFieldCount;)
        if (Inside(FieldBounds(poster.fields[i]), x, y)) return {int(i), false};
    return {};
}

PosterField Resized(const PosterField& start, int32_t dx, int32_t dy) {
    PosterField f = start;
    if (f.kind == FieldKind::Picture) {
        f.picture.box.width = Side(int64_t(start.picture.box.width) + dx);
        f.picture.box.height = Side(int64_t(start.picture.box.height) + dy);
    } else if (f.kind == FieldKind::Qr) {
        f.qr.size = Side(int64_t(start.qr.size) + std::max(dx, dy));  // stays square: the larger pull wins
    }
    return f;
}

PosterField Moved(const PosterField& start, int32_t dx, int32_t dy) {
    PosterField f = start;
    switch (f.kind) {
    case FieldKind::Picture:
        f.picture.box.x = Place(int64_t(start.picture.box.x) + dx);
        f.picture.box.y = Place(int64_t(start.picture.box.y) + dy);
        break;
    case FieldKind::Qr:
        f.qr.x = Place(int64_t(start.qr.x) + dx);
        f.qr.y = Place(int64_t(start.qr.y) + dy);
        break;
    case FieldKind::Text:
        f.text.x = Place(int64_t(start.text.x) + dx);
        f.text.y = Place(int64_t(start.text.y) + dy);
        break;
    }
    return f;
}

}  // namespace app
