// Entry points of the fuzz targets, shared by the libFuzzer builds and the
// replay runner so a saved finding replays through exactly the same code.
#pragma once
#include <cstddef>
#include <cstdint>

namespace imprinta::fuzz {

struct FuzzTargetInfo {
    const char* name;
    void (*run)(const uint8_t* data, size_t size);
};

// Every target, terminated by an entry with a null name.
extern const FuzzTargetInfo kFuzzTargets[];
const FuzzTargetInfo* FindFuzzTarget(const char* name);

}  // namespace imprinta::fuzz
