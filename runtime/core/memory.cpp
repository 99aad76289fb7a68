// The process heap behind every text, byte set, array and object block, and
// the program's operator new: both ask the allocation gate first, and both end
// in the out-of-memory report when memory runs out where the runtime needs it.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include "runtime/base/allocation_failure.h"
#include "runtime/base/allocation_gate.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/blocks.h"

namespace imprinta {

namespace {
size_t g_lastFailedObjectAllocation = 0;
}

bool IsConstantPointer(const void* p) {
    const Runtime& rt = TheRuntime();
    auto b = static_cast<const uint8_t*>(p);
    return rt.constantStart && b >= rt.constantStart && b < rt.constantEnd;
}

static HANDLE Heap() {
    Runtime& rt = TheRuntime();
    if (!rt.heap) rt.heap = GetProcessHeap();
    return rt.heap;
}

void ReportAllocationFailure(size_t size) {
    // Fixed buffers only: the report must not need the memory that ran out.
    char text[64];
    snprintf(text, sizeof text, "分配 %d 字节内存失败!", static_cast<int>(size));
    ReportError(text, kErrorNoCode);
}

size_t LastFailedObjectAllocation() { return g_lastFailedObjectAllocation; }

// Windows and Wine hand a large block back to the system when it is freed,
// and touching fresh pages costs more than filling them: the preview's
// picture, replaced at each keystroke by one of the same size, would pay that
// every time. The last large block freed is kept for the next request of its
// exact size (callers may read a block's size from the heap). One larger
// than a preview is not kept: it would weigh on the program's peak memory.
constexpr size_t kKeptBlockFrom = size_t(1) << 20, kKeptBlockUpTo = size_t(16) << 20;
void* volatile g_keptBlock = nullptr;

void* TakeKeptBlock(uint32_t size) {
    if (size < kKeptBlockFrom || size > kKeptBlockUpTo || !g_keptBlock) return nullptr;
    void* kept = InterlockedExchangePointer(&g_keptBlock, nullptr);
    if (kept && HeapSize(Heap(), 0, kept) == size) return kept;
    if (kept) HeapFree(Heap(), 0, kept);
    return nullptr;
}

void KeepOrFree(void* block) {
    const SIZE_T size = HeapSize(Heap(), 0, block);
    if (size >= kKeptBlockFrom && size <= kKeptBlockUpTo) block = InterlockedExchangePointer(&g_keptBlock, block);
    if (block) HeapFree(Heap(), 0, block);
}

void ReleaseKeptBlock() {
    if (void* kept = InterlockedExchangePointer(&g_keptBlock, nullptr)) HeapFree(Heap(), 0, kept);
}

void* TryAllocMemory(uint32_t size) {
    if (AllocationRefused(AllocationKind::Heap, size)) return nullptr;
    if (void* kept = TakeKeptBlock(size)) return kept;
    return HeapAlloc(Heap(), 0, size ? size : 1);
}

}  // namespace imprinta

using namespace imprinta;

extern "C" void* IMPRINTA_CDECL AllocMemory(uint32_t size) {
    void* p = TryAllocMemory(size);
    if (!p) ReportAllocationFailure(size);
    return p;
}

extern "C" void* IMPRINTA_CDECL ReallocMemory(void* block, uint32_t size) {
    if (!block) return AllocMemory(size);
    if (IsConstantPointer(block)) {
        void* p = AllocMemory(size);
        auto from = static_cast<const uint8_t*>(block);
        size_t available = static_cast<size_t>(TheRuntime().constantEnd - from);
        memcpy(p, from, size < available ? size : available);
        return p;
    }
    void* p = AllocationRefused(AllocationKind::Heap, size) ? nullptr : HeapReAlloc(Heap(), 0, block, size ? size : 1);
    if (!p) ReportAllocationFailure(size);
    return p;
}

extern "C" void IMPRINTA_CDECL FreeMemory(void* block) {
    if (!block || IsConstantPointer(block)) return;
    KeepOrFree(block);
}

// The standard library's own operator new, plus the gate and a record of the
// failed size for the report. Its nothrow and array forms call this one; the
// default operator delete releases with free().
void* operator new(std::size_t size) {
    void* p = AllocationRefused(AllocationKind::Object, size) ? nullptr : std::malloc(size ? size : 1);
    if (!p) {
        g_lastFailedObjectAllocation = size;
        throw std::bad_alloc();
    }
    return p;
}

void* operator new[](std::size_t size) { return ::operator new(size); }
