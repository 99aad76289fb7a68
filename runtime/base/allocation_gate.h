// Fault injection: every allocation the runtime makes asks this gate first —
// process heap blocks, byte buffers and operator new (the standard containers).
// Test builds install a gate that refuses chosen allocations, which then fail
// exactly as when memory runs out; the program itself installs none.
// Plain C++: byte-level code includes it.
#pragma once
#include <cstddef>

namespace imprinta {

enum class AllocationKind : int { Heap = 0, Buffer = 1, Object = 2 };

// Answers false to refuse the allocation.
typedef bool (*AllocationGate)(AllocationKind kind, size_t size);

inline AllocationGate g_allocationGate = nullptr;

inline void SetAllocationGate(AllocationGate gate) { g_allocationGate = gate; }
inline bool AllocationRefused(AllocationKind kind, size_t size) {
    return g_allocationGate != nullptr && !g_allocationGate(kind, size);
}

}  // namespace imprinta
