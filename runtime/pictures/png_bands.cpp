#include "runtime/pictures/png_bands.h"
#include <algorithm>
#include <atomic>
#include <functional>
#include <new>
#include <thread>
#include <libdeflate.h>
#include <zlib.h>
#include "runtime/pictures/deflate_join.h"
#include "runtime/pictures/picture_cache.h"
#include "runtime/pictures/png_encode.h"

namespace imprinta::picture {

struct PngBandCache::Band {
    PictureKey rows;  // of the band's pixels and the row above them
    std::shared_ptr<const DeflateSegment> stream;
    uint32_t adler = 1;  // of the band's filtered bytes
    uint64_t filteredBytes = 0;
};

struct PngBandCache::Packing {
    uint32_t width = 0, height = 0;
    bool alpha = false;
    int level = 0;
    bool whole = false;  // packed very small, so packed whole: its bands hold keys only
    std::vector<Band> bands;

    size_t SharedBands(const Packing& other) const {
        if (width != other.width || height != other.height || alpha != other.alpha || level != other.level ||
            bands.size() != other.bands.size())
            return 0;
        size_t shared = 0;
        for (size_t i = 0; i < bands.size(); ++i) shared += bands[i].rows == other.bands[i].rows;
        return shared;
    }
    uint64_t Bytes() const {
        uint64_t bytes = 0;
        for (const Band& b : bands) bytes += b.stream ? b.stream->bytes.size() : 0;
        return bytes;
    }
};

std::shared_ptr<const PngBandCache::Packing> PngBandCache::Begin(const Packing& mine) {
    std::unique_lock<std::mutex> hold(lock_);
    done_.wait(hold, [&] {
        return std::none_of(underWay_.begin(), underWay_.end(), [&](const Packing* p) { return p->SharedBands(mine); });
    });
    underWay_.push_back(&mine);
    std::shared_ptr<const Packing> best;
    size_t most = 0;
    for (const auto& kept : kept_)
        if (const size_t shared = kept->SharedBands(mine); shared > most) most = shared, best = kept;
    return best;
}

void PngBandCache::Done(const Packing& mine, std::shared_ptr<const Packing> keep) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        underWay_.erase(std::remove(underWay_.begin(), underWay_.end(), &mine), underWay_.end());
        // One packing kept per picture family (a template and its posters).
        kept_.remove_if([&](const std::shared_ptr<const Packing>& p) { return p->SharedBands(mine) != 0; });
        if (keep) kept_.push_front(std::move(keep));
        uint64_t bytes = 0;
        for (auto it = kept_.begin(); it != kept_.end();)
            it = (bytes += (*it)->Bytes()) > kKeptBytes && it != kept_.begin() ? kept_.erase(it) : std::next(it);
    }
    done_.notify_all();
}

void PngBandCache::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    kept_.clear();
}

PngBandCache& SharedPngBands() {
    static PngBandCache cache;
    return cache;
}

namespace {

using Band = PngBandCache::Band;
using Packing = PngBandCache::Packing;

// Packed to less than this part of its filtered bytes, a picture would show
// the bands' cost in its size (a flat poster grows by about 1 %), and it
// packs fast anyway: it is packed whole.
constexpr uint64_t kWholeBelowPart = 32;
// Level-10 packing holds some megabytes per thread; beyond this many threads
// memory grows faster than the time shrinks.
constexpr unsigned kMostThreads = 4;

uint32_t BandCount(const Canvas& c) { return (c.height + kPngBandRows - 1) / kPngBandRows; }

PictureKey BandKey(const Canvas& c, uint32_t band) {
    const uint32_t first = band * kPngBandRows, from = first ? first - 1 : 0;
    const uint32_t end = std::min(c.height, first + kPngBandRows);
    return KeyOf({c.bgra.data() + size_t(from) * c.Stride(), size_t(end - from) * c.Stride()});
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// A filtered row: its filter byte, then RGBA or RGB.
uint64_t FilteredRowBytes(const Canvas& c, bool alpha) { return uint64_t(c.width) * (alpha ? 4 : 3) + 1; }
uint64_t FilteredBytes(const Canvas& c, bool alpha) { return FilteredRowBytes(c, alpha) * c.height; }

bool PackBand(const Canvas& c, bool alpha, uint32_t index, libdeflate_compressor* compressor,
              std::vector<uint8_t>& filtered, Band& band) {
    const uint32_t first = index * kPngBandRows, end = std::min(c.height, first + kPngBandRows);
    filtered.resize(size_t(FilteredRowBytes(c, alpha) * (end - first)));
    FilterRowsForSmall(c, alpha, first, end, filtered.data());
    auto stream = std::make_shared<DeflateSegment>();
    const size_t bound = libdeflate_deflate_compress_bound(compressor, filtered.size());
    stream->bytes.resize(bound);
    const size_t packed =
        libdeflate_deflate_compress(compressor, filtered.data(), filtered.size(), stream->bytes.data(), bound);
    if (packed == 0) return false;
    stream->bytes.resize(packed);
    stream->bytes.shrink_to_fit();
    if (!FindFinalBlock(*stream)) return false;
    band.stream = std::move(stream);
    band.adler = libdeflate_adler32(1, filtered.data(), filtered.size());
    band.filteredBytes = filtered.size();
    return true;
}

enum class Outcome { Packed, Stopped, Failed };

// The listed bands, in order, on as many threads as there are cores (up to a
// few). `goOn`, when given, is asked after the first band: false stops the rest.
Outcome PackBands(const Canvas& c, bool alpha, int level, const std::vector<uint32_t>& todo, std::vector<Band>& bands,
                  const std::function<bool(const Band&)>& goOn = nullptr) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false}, stopped{false};
    auto work = [&] {
        try {
            std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(libdeflate_alloc_compressor(level));
            std::vector<uint8_t> filtered;
            for (size_t i = 0; compressor && !failed && !stopped && (i = next++) < todo.size();) {
                if (!PackBand(c, alpha, todo[i], compressor.get(), filtered, bands[todo[i]])) failed = true;
                else if (i == 0 && goOn && !goOn(bands[todo[i]])) stopped = true;
            }
            if (!compressor) failed = true;
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    };
    const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
    std::vector<std::thread> helpers;
    try {
        while (helpers.size() + 1 < std::min<size_t>(cores, todo.size())) helpers.emplace_back(work);
    } catch (const std::exception&) {  // fewer threads then: the work is shared out all the same
    }
    work();
    for (std::thread& t : helpers) t.join();
    return failed ? Outcome::Failed : stopped ? Outcome::Stopped : Outcome::Packed;
}

std::vector<uint8_t> Joined(const Canvas& c, const Packing& packing) {
    uint64_t packed = 0;
    for (const Band& b : packing.bands) packed += b.stream->bytes.size() + 5;
    std::vector<uint8_t> png;
    png.reserve(size_t(packed) + 1024);
    const size_t idat = BeginPngData(png, c, packing.alpha);
    const uint8_t zlibHeader[2] = {0x78, 0xDA};  // deflate, 32K window, packed hard
    png.insert(png.end(), zlibHeader, zlibHeader + 2);
    uint32_t adler = 1;
    for (size_t i = 0; i < packing.bands.size(); ++i) {
        const Band& b = packing.bands[i];
        AppendSegment(png, *b.stream, i + 1 == packing.bands.size());
        adler = uint32_t(adler32_combine(adler, b.adler, z_off_t(b.filteredBytes)));
    }
    const uint8_t trailer[4] = {uint8_t(adler >> 24), uint8_t(adler >> 16), uint8_t(adler >> 8), uint8_t(adler)};
    png.insert(png.end(), trailer, trailer + 4);
    EndPngData(png, idat);
    return png;
}

// `keep`, when given, receives the packing for the cache to keep.
using Kept = std::shared_ptr<const Packing>;

std::vector<uint8_t> PackedWhole(const Canvas& c, const Packing& shape, Kept* keep) {
    std::vector<uint8_t> png = EncodePng(c, {PngCompression::Small, shape.level});
    if (keep && !png.empty() && png.size() * kWholeBelowPart < FilteredBytes(c, shape.alpha)) {
        // The sign to pack the next one whole too, while it is as small.
        auto sign = std::make_shared<Packing>(shape);
        sign->whole = true;
        for (Band& b : sign->bands) b.stream.reset();
        *keep = std::move(sign);
    }
    return png;
}

std::vector<uint8_t> Packed(const Canvas& c, std::shared_ptr<Packing> packing, Kept last, Kept* keep, size_t* count) {
    if (last && last->whole) return PackedWhole(c, *packing, keep);
    std::vector<uint32_t> todo;
    for (uint32_t i = 0; i < packing->bands.size(); ++i) {
        Band& band = packing->bands[i];
        if (last && last->bands[i].rows == band.rows)
            band = last->bands[i];
        else
            todo.push_back(i);
    }
    last.reset();
    if (count) *count = todo.size();
    // With nothing known of the picture, its middle band, packed first, tells
    // whether it packs so small that it goes whole.
    std::function<bool(const Band&)> packsLarge;
    if (todo.size() == packing->bands.size() && todo.size() > 1) {
        std::rotate(todo.begin(), todo.begin() + todo.size() / 2, todo.end());
        packsLarge = [](const Band& b) { return b.stream->bytes.size() * kWholeBelowPart >= b.filteredBytes; };
    }
    switch (PackBands(c, packing->alpha, packing->level, todo, packing->bands, packsLarge)) {
    case Outcome::Failed: return {};
    case Outcome::Stopped: return PackedWhole(c, *packing, keep);
    case Outcome::Packed: break;
    }
    uint64_t packed = 0;
    for (const Band& b : packing->bands) packed += b.stream->bytes.size();
    if (packed * kWholeBelowPart < FilteredBytes(c, packing->alpha)) return PackedWhole(c, *packing, keep);
    std::vector<uint8_t> png = Joined(c, *packing);
    if (keep) *keep = std::move(packing);
    return png;
}

}  // namespace

std::vector<uint8_t> EncodePngInBands(const Canvas& c, int level, PngBandCache* cache, size_t* count) {
    if (c.Empty()) return {};
    try {
        auto packing = std::make_shared<Packing>();
        packing->width = c.width, packing->height = c.height, packing->alpha = !PngDropsAlpha(c), packing->level = level;
        packing->bands.resize(BandCount(c));
        for (uint32_t i = 0; i < packing->bands.size(); ++i) packing->bands[i].rows = BandKey(c, i);
        if (!cache) return Packed(c, std::move(packing), nullptr, nullptr, count);
        struct UnderWay {
            PngBandCache& cache;
            const Packing& mine;
            Kept keep;
            ~UnderWay() { cache.Done(mine, std::move(keep)); }
        } underWay{*cache, *packing, nullptr};
        Kept last = cache->Begin(*packing);
        return Packed(c, packing, std::move(last), &underWay.keep, count);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace imprinta::picture
