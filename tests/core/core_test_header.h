#pragma once
#include <cstdint>

extern const uint8_t kTestConstants[64];
constexpr int kConstEmptyText = 0;     // offset of the empty text constant
constexpr int kConstTextAbc = 9;       // offset of "abc"
constexpr int kConstArrayLiteral = 16; // {1, 3, 10, 20, 30}

enum TestDllCommand : uint32_t {
    kDllMultiByteToWideChar,
    kDllGdiplusStartupLower,
    kDllGdipCreateSolidFillMixed,
    kDllVariant,
    kDllOrdinalFive,
    kDllAddThree,
    kDllVariantCached,
    kTestDllCount,
};
