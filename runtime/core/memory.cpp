// The process heap behind every text, byte set, array and object block.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "runtime_state.h"
#include "blocks.h"

namespace imprinta {

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

[[noreturn]] static void AllocationFailed(uint32_t size) {
    char text[64];
    snprintf(text, sizeof text, "分配 %d 字节内存失败!", static_cast<int>(size));
    ReportError(text, 0);
}

void* TryAllocMemory(uint32_t size) {
    return HeapAlloc(Heap(), 0, size ? size : 1);
}

}  // namespace imprinta

using namespace imprinta;

extern "C" void* IMPRINTA_CDECL AllocMemory(uint32_t size) {
    void* p = TryAllocMemory(size);
    if (!p) AllocationFailed(size);
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
    void* p = HeapReAlloc(Heap(), 0, block, size ? size : 1);
    if (!p) AllocationFailed(size);
    return p;
}

extern "C" void IMPRINTA_CDECL FreeMemory(void* block) {
    if (!block || IsConstantPointer(block)) return;
    HeapFree(Heap(), 0, block);
}
