#include "runtime/pictures/picture_cache.h"
#include <algorithm>
#include <new>
#include "runtime/pictures/picture_scale.h"
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace imprinta::picture {
namespace {

uint64_t CanvasBytes(const SharedCanvas& c) { return c ? c->bgra.size() : 0; }

}  // namespace

PictureKey KeyOf(std::span<const uint8_t> bytes) {
    XXH128_hash_t h = XXH3_128bits(bytes.data(), bytes.size());
    return PictureKey{h.low64, h.high64, bytes.size()};
}

uint64_t PictureCache::Bytes() const {
    uint64_t total = 0;
    for (const Entry& e : entries_) total += CanvasBytes(e.canvas);
    return total;
}

SharedCanvas PictureCache::Find(const PictureKey& key) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (!(it->key == key)) continue;
        SharedCanvas found = it->canvas;
        if (it->use == CacheUse::Once) entries_.erase(it);
        else entries_.splice(entries_.begin(), entries_, it);
        return found;
    }
    return nullptr;
}

SharedCanvas PictureCache::Take(const PictureKey& key) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (!(it->key == key)) continue;
        SharedCanvas found = std::move(it->canvas);
        entries_.erase(it);
        return found;
    }
    return nullptr;
}

void PictureCache::Insert(const PictureKey& key, SharedCanvas canvas, CacheUse use) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->key == key) {
            entries_.erase(it);
            break;
        }
    }
    const uint64_t size = CanvasBytes(canvas);
    if (!canvas || size > limits_.maxBytes || limits_.maxEntries == 0) return;
    // A kept picture leaves room for the results of one refresh: a larger one
    // would be pushed out by them anyway, after costing a copy for each pass.
    if (use == CacheUse::Keep && size > limits_.maxBytes / 2) return;
    uint64_t total = Bytes();
    while (!entries_.empty() && (entries_.size() >= limits_.maxEntries || total + size > limits_.maxBytes)) {
        total -= CanvasBytes(entries_.back().canvas);
        entries_.pop_back();
    }
    try {
        entries_.push_front(Entry{key, std::move(canvas), use});
    } catch (const std::bad_alloc&) {
        // Not caching is always correct.
    }
}

PictureCache& SharedPictureCache() {
    static PictureCache cache;
    return cache;
}

SharedCanvas DecodeCanvasCached(std::span<const uint8_t> bytes, CacheUse use, const DecodeLimits& limits) {
    if (bytes.empty()) return nullptr;
    return DecodeCanvasCached(KeyOf(bytes), bytes, use, limits);
}

SharedCanvas DecodeCanvasCached(const PictureKey& key, std::span<const uint8_t> bytes, CacheUse use,
                                const DecodeLimits& limits) {
    if (bytes.empty()) return nullptr;
    if (SharedCanvas found = SharedPictureCache().Find(key)) return found;
    auto decoded = DecodeCanvas(bytes, limits);
    if (!decoded) return nullptr;
    SharedCanvas canvas;
    try {
        canvas = std::make_shared<Canvas>(std::move(*decoded));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    SharedPictureCache().Insert(key, canvas, use);
    return canvas;
}

PictureKey ScaledKeyOf(const PictureKey& key, uint32_t width, uint32_t height) {
    const uint64_t size = uint64_t(width) << 32 | height;
    const uint64_t words[4] = {key.low, key.high, key.size, size};
    XXH128_hash_t h = XXH3_128bits(words, sizeof words);
    return PictureKey{h.low64, h.high64, size};  // never a file's length of the same hash
}

namespace {

bool Opaque(const Canvas& c) {
    for (size_t i = 3; i < c.bgra.size(); i += 4)
        if (c.bgra[i] != 255) return false;
    return true;
}

// Straight alpha to premultiplied and back, for the averaging.
void Premultiply(std::vector<uint8_t>& bgra) {
    for (size_t i = 0; i < bgra.size(); i += 4)
        for (int c = 0; c < 3; ++c) bgra[i + c] = uint8_t((bgra[i + c] * bgra[i + 3] + 127) / 255);
}
void Unpremultiply(std::vector<uint8_t>& bgra) {
    for (size_t i = 0; i < bgra.size(); i += 4) {
        const unsigned a = bgra[i + 3];
        for (int c = 0; c < 3; ++c) bgra[i + c] = a ? uint8_t(std::min(255u, (bgra[i + c] * 255 + a / 2) / a)) : 0;
    }
}

}  // namespace

SharedCanvas ScaleCanvas(const Canvas& full, uint32_t width, uint32_t height) {
    if (full.Empty() || width == 0 || height == 0) return nullptr;
    try {
        auto scaled = std::make_shared<Canvas>();
        if (Opaque(full)) {
            scaled->bgra = ScaleBgra(full.bgra.data(), int(full.width), int(full.height), int(width), int(height));
        } else {
            std::vector<uint8_t> premultiplied = full.bgra;
            Premultiply(premultiplied);
            scaled->bgra = ScaleBgra(premultiplied.data(), int(full.width), int(full.height), int(width), int(height));
            Unpremultiply(scaled->bgra);
        }
        if (scaled->bgra.empty()) return nullptr;
        scaled->width = width;
        scaled->height = height;
        return scaled;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace imprinta::picture
