#include "runtime/core/blocks.h"
#include <cstring>
#include "runtime/core/runtime_interface.h"
#include "runtime/core/runtime_state.h"

namespace imprinta {

char* CopyText(const char* source) {
    if (!source || !*source) return nullptr;
    return CopyTextN(source, static_cast<int>(strlen(source)));
}

char* CopyTextN(const char* source, int n) {
    if (n < 1) return nullptr;
    char* p = static_cast<char*>(AllocMemory(static_cast<uint32_t>(n) + 1));
    memcpy(p, source, static_cast<size_t>(n));
    p[n] = 0;
    return p;
}

void* MakeByteSet(const void* data, uint32_t n) {
    if (n == 0) return nullptr;
    auto* p = static_cast<uint32_t*>(AllocMemory(n + 8));
    p[0] = 1;
    p[1] = n;
    if (data) memcpy(p + 2, data, n);
    else memset(p + 2, 0, n);
    return p;
}

void* TryNewByteSet(uint32_t n) {
    if (n == 0 || n > UINT32_MAX - 8) return nullptr;
    auto* p = static_cast<uint32_t*>(TryAllocMemory(n + 8));
    if (!p) return nullptr;
    p[0] = 1;
    p[1] = n;
    return p;
}

void* MakeArray(uint32_t elementWidth, uint32_t n) {
    uint32_t bytes = 8 + elementWidth * n;
    auto* p = static_cast<uint32_t*>(AllocMemory(bytes));
    memset(p, 0, bytes);
    p[0] = 1;
    p[1] = n;
    return p;
}

void FreeArrayValue(uint32_t type, void* block) {
    if (!block) return;
    // Array codes are written both with and without the basic-type bit.
    uint32_t element = ElementType(type) | 0x80000000u;
    if (element == kTypeText || element == kTypeBytes) {
        uint32_t n = ArrayElementCount(block);
        auto** items = reinterpret_cast<void**>(ArrayElements(block));
        for (uint32_t i = 0; i < n; ++i) FreeMemory(items[i]);
    }
    FreeMemory(block);
}

void MakeArrayWritableImpl(uint32_t elementWidth, void** variable) {
    void* block = *variable;
    if (!block || !IsConstantPointer(block)) return;
    const uint32_t* w = static_cast<const uint32_t*>(block);
    uint32_t bytes = 4 + 4 * w[0] + elementWidth * ArrayElementCount(block);
    void* copy = AllocMemory(bytes);
    memcpy(copy, block, bytes);
    *variable = copy;
}

}  // namespace imprinta
