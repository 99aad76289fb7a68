// Decoding with a failing allocator: for a sample of each format, each of the
// decoder's allocations in turn is refused (the runtime's allocation gate, which
// operator new and the byte buffers ask). The decode then gives nothing, or the
// whole picture; no exception leaves it, and the failed size is on record for
// the out-of-memory report.
#include <gtest/gtest.h>
#include "pictures/corpus_support.h"
#include "runtime/base/allocation_failure.h"
#include "runtime/base/allocation_gate.h"

using namespace imprinta;
using namespace imprinta::picture;
using namespace pictest;

namespace {

long g_count = 0;
long g_refuse = 0;  // 0: refuse none
size_t g_refusedSize = 0;

bool OneRefusal(AllocationKind, size_t size) {
    if (++g_count != g_refuse) return true;
    g_refusedSize = size;
    return false;
}

// Decodes with allocation `refuse` refused; the allocations the decode asked for.
long DecodeRefusing(const std::vector<uint8_t>& file, long refuse, std::optional<DecodedPicture>* out,
                    DecodeError* why = nullptr) {
    g_count = 0;
    g_refuse = refuse;
    SetAllocationGate(OneRefusal);
    try {
        DecodeResult result = DecodePicture(file);
        if (why) *why = result.error();
        *out = std::move(result);
    } catch (...) {
        SetAllocationGate(nullptr);
        ADD_FAILURE() << "an exception left the decoder with allocation " << refuse << " refused";
    }
    SetAllocationGate(nullptr);
    return g_count;
}

}  // namespace

TEST(AllocationFailure, EachDecoderAllocationRefusedInTurn) {
    const char* samples[] = {"pngsuite/basn2c08.png", "pngsuite/ibasn3p08.png", "jpeg/testorig.jpg",
                             "generated/rgb24.bmp",  "generated/pal8rle.bmp",  "generated/anim-previous.gif",
                             "generated/multi.ico",  "generated/arrow.cur",    "generated/pal8.pcx",
                             "generated/mono1.pcx"};
    long points = 0;
    for (const char* s : samples) {
        std::string path = CorporaDir() + "/" + s;
        SCOPED_TRACE(path);
        std::vector<uint8_t> file = ReadAll(path);
        ASSERT_FALSE(file.empty()) << "missing: run scripts/fetch-corpora.sh";
        std::optional<DecodedPicture> whole;
        long total = DecodeRefusing(file, 0, &whole);
        ASSERT_TRUE(whole.has_value());
        ASSERT_GT(total, 0) << "the decoder's allocations do not reach the gate";
        for (long n = 1; n <= total; ++n) {
            std::optional<DecodedPicture> result;
            DecodeError why = DecodeError::None;
            DecodeRefusing(file, n, &result, &why);
            if (result) {
                EXPECT_EQ(ToRgba(*whole), ToRgba(*result)) << "allocation " << n << " refused: a different picture";
            } else {
                EXPECT_EQ(why, DecodeError::OutOfMemory) << "allocation " << n << ": " << DecodeErrorText(why);
            }
            ++points;
        }
    }
    // operator new keeps the size of the refused request for the report.
    std::optional<DecodedPicture> none;
    DecodeRefusing(ReadAll(CorporaDir() + "/generated/rgb24.bmp"), 1, &none);
    EXPECT_EQ(g_refusedSize, LastFailedObjectAllocation());
    printf("%ld decoder allocations refused one at a time\n", points);
}
