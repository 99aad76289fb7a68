// Small PNG packing in bands of rows. Each band is filtered and deflated on
// its own, several at once on the processor's cores, and the bands' streams
// are joined into one. A band whose rows (and the row above them, which its
// filters read) are those of a band of the picture packed before is taken
// from that packing: posters of one template with other texts pack only the
// rows their texts touch. Band boundaries cost a little size (each band starts
// without the last one's window): a picture that packs very small, where that
// would show, is packed whole. Plain C++.
#pragma once
#include <cstdint>
#include <list>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <vector>
#include "runtime/pictures/picture_canvas.h"

namespace imprinta::picture {

constexpr uint32_t kPngBandRows = 128;

// The bands of pictures packed before, for the next to take from. A packing
// that shares bands with one still under way (posters of one template on a
// batch's threads) waits for it: taking the bands is faster than packing the
// same rows again beside it.
class PngBandCache {
public:
    struct Band;
    struct Packing;
    // The kept packing sharing the most bands with `mine` (whose bands' keys
    // are made), once none under way shares one; then `mine` is under way
    // until Done.
    std::shared_ptr<const Packing> Begin(const Packing& mine);
    // `mine` is done; `keep` (null for none) is the packing to take from next.
    void Done(const Packing& mine, std::shared_ptr<const Packing> keep);
    void Clear();

private:
    // A packing per template (a batch goes round several), within a budget
    // of packed bytes: some photo posters' worth.
    static constexpr uint64_t kKeptBytes = uint64_t(16) << 20;
    std::mutex lock_;
    std::condition_variable done_;
    std::list<std::shared_ptr<const Packing>> kept_;  // most recent first
    std::vector<const Packing*> underWay_;
};

// The one the program's kept files share.
PngBandCache& SharedPngBands();


// The Small PNG (as EncodePng gives it) at a libdeflate level; bands are taken
// from and left in `cache` when one is given. Empty when memory runs out.
// `packed`, when given, receives how many bands were packed anew.
std::vector<uint8_t> EncodePngInBands(const Canvas& canvas, int level, PngBandCache* cache, size_t* packed = nullptr);

}  // namespace imprinta::picture
