// libFuzzer entry: one build per target, named by IMPRINTA_FUZZ_TARGET.
#include <cstdlib>
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const imprinta::fuzz::FuzzTargetInfo* target = imprinta::fuzz::FindFuzzTarget(IMPRINTA_FUZZ_TARGET);
    if (!target) std::abort();
    target->run(data, size);
    return 0;
}
