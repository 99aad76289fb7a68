// The calling sequence application code uses for a DLL command: save the stack
// position, push the words last to first, call CallDllCommand by number, remove
// the arguments for caller-cleans functions, compare the stack position
// (a difference is run-time error 6). Returns EDX:EAX.
#pragma once
#include <cstdint>
#include <initializer_list>
#include "runtime/core/library.h"

enum DllConvention : uint32_t { kCalleeCleans = 0, kCallerCleans = 1 };

extern "C" uint64_t IMPRINTA_CDECL CallDllWords(uint32_t number, uint32_t callerCleans, const uint32_t* words,
                                                uint32_t count);

inline uint64_t CallDll(uint32_t number, std::initializer_list<uint32_t> words,
                        DllConvention convention = kCalleeCleans) {
    return CallDllWords(number, convention, words.begin(), static_cast<uint32_t>(words.size()));
}

// A float argument travels as its own 32 bits, never widened to double.
inline uint32_t FloatWord(float f) {
    uint32_t w;
    __builtin_memcpy(&w, &f, 4);
    return w;
}
template <typename T>
inline uint32_t PtrWord(T* p) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}
