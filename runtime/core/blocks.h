// Copy helpers for text, byte-set and array blocks (owned by the caller).
#pragma once
#include <cstdint>
#include <span>
#include <string_view>
#include "runtime/base/value.h"

namespace imprinta {

void* TryAllocMemory(uint32_t size);
// Frees the large block the heap keeps for a request of its size, before
// work that needs the memory more.
void ReleaseKeptBlock();

// New text from a 0-terminated source; 0 for a null or empty source.
char* CopyText(const char* source);
// New text of n bytes plus terminator; 0 for n < 1.
char* CopyTextN(const char* source, int n);
inline char* CopyText(std::string_view s) { return CopyTextN(s.data(), static_cast<int>(s.size())); }
// New byte set {1, n, data}; 0 for n = 0.
void* MakeByteSet(const void* data, uint32_t n);
inline void* MakeByteSet(std::span<const uint8_t> bytes) {
    return MakeByteSet(bytes.data(), static_cast<uint32_t>(bytes.size()));
}
// New byte set of n bytes left for the caller to fill; 0 for n = 0 or when
// memory runs out (no report: the caller decides what that means).
void* TryNewByteSet(uint32_t n);
// New one-dimensional array of n elements of the given width, zero-filled.
void* MakeArray(uint32_t elementWidth, uint32_t n);
// Releases an array value: text and byte-set elements first, then the block.
void FreeArrayValue(uint32_t type, void* block);
// Copies an array literal out of the constant area before it is written.
void MakeArrayWritableImpl(uint32_t elementWidth, void** variable);

}  // namespace imprinta
