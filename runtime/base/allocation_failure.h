// Allocation failure inside the runtime. Heap blocks report it directly; inside
// standard containers it arrives as std::bad_alloc, which never crosses a
// boundary of the runtime (a command, a unit entry point, a window procedure,
// an interface slot, an event handler call): it becomes the out-of-memory report
// there. Places that hold user data too large for memory (a whole file, a
// decoded picture) catch it themselves first and give an empty result.
#pragma once
#include <cstddef>
#include <new>

namespace imprinta {

// "分配 %d 字节内存失败!", then the end with exit code -1.
[[noreturn]] void ReportAllocationFailure(size_t size);
// The size of the last operator new request that failed.
size_t LastFailedObjectAllocation();

template <typename Fn>
auto FatalOnBadAlloc(Fn&& fn) -> decltype(fn()) {
    try {
        return fn();
    } catch (const std::bad_alloc&) {
        ReportAllocationFailure(LastFailedObjectAllocation());
    }
}

}  // namespace imprinta
