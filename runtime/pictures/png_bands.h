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
#include <memory>
#include <condition_variable>
#include <mutex>
#include <vector>
#include "runtime/pictures/picture_canvas.h"

namespace imprinta::picture {

constexpr uint32_t kPngBandRows = 128;

// The bands of the last picture packed, for the next one to take from. A
// packing that would take from one still under way (they share bands: the
// template packed ahead, the first poster of a batch) waits for it: taking is
// faster than packing the same rows again beside it.
class PngBandCache {
public:
    struct Band;
    struct Packing;
    // The last packing, once none under way shares a band with `mine` (whose
    // bands' keys are made); then `mine` is under way until Done.
    std::shared_ptr<const Packing> Begin(const Packing& mine);
    // `mine` is done; `keep` (null for none) is the packing to take from next.
    void Done(const Packing& mine, std::shared_ptr<const Packing> keep);
    void Clear();

private:
    bool SharesWithOneUnderWay(const Packing& mine) const;
    std::mutex lock_;
    std::condition_variable done_;
    std::shared_ptr<const Packing> last_;
    std::vector<const Packing*> underWay_;
};

// The one the program's kept files share.
PngBandCache& SharedPngBands();


// The Small PNG (as EncodePng gives it) at a libdeflate level; bands are taken
// from and left in `cache` when one is given. Empty when memory runs out.
std::vector<uint8_t> EncodePngInBands(const Canvas& canvas, int level, PngBandCache* cache);

}  // namespace imprinta::picture
