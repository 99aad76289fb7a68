// A small cache of decoded pictures keyed by a hash of their file bytes, so a
// picture that comes round again (the template read at every refresh, a
// renderer result handed on to the next pass or to the picture box) is decoded
// at most once. The bytes are always read and hashed anew: a changed file gives
// a new key. Plain C++; used from the user-interface thread only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <span>
#include "runtime/pictures/picture_canvas.h"

namespace imprinta::picture {

// 128-bit XXH3 hash and the length of the bytes.
struct PictureKey {
    uint64_t low = 0;
    uint64_t high = 0;
    uint64_t size = 0;
    bool operator==(const PictureKey&) const = default;
};
PictureKey KeyOf(std::span<const uint8_t> bytes);

using SharedCanvas = std::shared_ptr<Canvas>;

// Keep: stays until pushed out (templates). Once: leaves the cache when it is
// found (a result that exactly one reader will ask for).
enum class CacheUse { Keep, Once };

// The program's memory is meant to stay within 100 MB beyond twice the
// template's pixels: the template decoded and one full-size working copy. The
// cache's own share stays within the 100 MB: templates up to 12 M pixels are
// kept (half the budget); larger ones are kept only at the size the preview
// shows them, and decoded again for a full-size composition.
struct PictureCacheLimits {
    size_t maxEntries = 6;
    uint64_t maxBytes = uint64_t(96) << 20;  // pixel bytes of all entries
};

class PictureCache {
public:
    explicit PictureCache(const PictureCacheLimits& limits = {}) : limits_(limits) {}
    // The canvas for key, or null. Callers that draw must copy a canvas they do
    // not hold alone (use_count above 1).
    SharedCanvas Find(const PictureKey& key);
    // The canvas for key, leaving the cache whatever its use; or null.
    SharedCanvas Take(const PictureKey& key);
    // Adds or replaces; the least recently used entries make room. A canvas
    // larger than the whole budget, or a Keep canvas larger than half of it,
    // is not kept.
    void Insert(const PictureKey& key, SharedCanvas canvas, CacheUse use);
    void Clear() { entries_.clear(); }
    size_t Entries() const { return entries_.size(); }
    uint64_t Bytes() const;

private:
    struct Entry {
        PictureKey key;
        SharedCanvas canvas;
        CacheUse use;
    };
    PictureCacheLimits limits_;
    std::list<Entry> entries_;  // most recently used first
};

// The process's cache, shared by the renderer and the picture box.
PictureCache& SharedPictureCache();

// Looks the bytes up, else decodes them and keeps the result as `use` says.
// Null for undecodable data. The canvas may be shared with the cache.
SharedCanvas DecodeCanvasCached(std::span<const uint8_t> bytes, CacheUse use, const DecodeLimits& limits = {});
// The same with the bytes' key already made.
SharedCanvas DecodeCanvasCached(const PictureKey& key, std::span<const uint8_t> bytes, CacheUse use,
                                const DecodeLimits& limits = {});

// The key of a picture's copy at width x height, made from the picture's own.
PictureKey ScaledKeyOf(const PictureKey& key, uint32_t width, uint32_t height);
// The picture at width x height, resampled as the picture box resamples;
// colours are averaged weighted by their alpha, so transparent pixels lend a
// shrunk edge no colour. Null when a size is 0 or memory runs out.
SharedCanvas ScaleCanvas(const Canvas& full, uint32_t width, uint32_t height);

}  // namespace imprinta::picture
