// The program is 32-bit: pointers and handles travel in 32-bit words through
// notification arguments, event records and property values. These are the
// conversions between the two, in one place.
#pragma once
#include <cstdint>

namespace imprinta {

inline uint32_t Word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

template <class T = void>
inline T* Ptr(uint32_t word) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(word));
}

}  // namespace imprinta
