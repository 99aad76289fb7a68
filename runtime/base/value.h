// Value model: type codes, the 12-byte argument record and the layouts of
// text, byte-set and array blocks. Plain C++: no Windows headers.
#pragma once
#include <cstdint>

namespace imprinta {

enum TypeCode : uint32_t {
    kTypeNone = 0,
    kTypeByte = 0x80000101,
    kTypeShort = 0x80000201,
    kTypeInt = 0x80000301,
    kTypeLong = 0x80000401,
    kTypeFloat = 0x80000501,
    kTypeDouble = 0x80000601,
    kTypeBool = 0x80000002,
    kTypeDateTime = 0x80000003,
    kTypeText = 0x80000004,
    kTypeBytes = 0x80000005,
    kTypeSubroutine = 0x80000006,
};

constexpr uint32_t kArrayFlag = 0x20000000;
constexpr uint32_t kArrayMask = 0xDFFFFFFF;

constexpr uint32_t LibraryTypeCode(uint32_t library, uint32_t type) { return (library << 16) | type; }
constexpr bool IsArrayType(uint32_t t) { return (t & kArrayFlag) != 0; }
constexpr uint32_t ElementType(uint32_t t) { return t & kArrayMask; }
constexpr bool IsBasicType(uint32_t t) { return t >= 0x80000000u && t <= 0xBFFFFFFFu; }
constexpr bool IsApplicationType(uint32_t t) { return t >= 0x40000000u && t <= 0x7FFFFFFFu; }
constexpr bool IsLibraryType(uint32_t t) { return t != 0 && !IsBasicType(t) && !IsApplicationType(t); }

// Width in bytes of one element of an array of the given (array-flag stripped) type.
constexpr uint32_t ElementWidth(uint32_t t) {
    switch (t) {
    case kTypeByte: return 1;
    case kTypeShort: return 2;
    case kTypeLong: case kTypeDouble: case kTypeDateTime: return 8;
    default: return 4;
    }
}

}  // namespace imprinta

// The record every library command argument and result travels in.
struct ArgValue {
    uint32_t low;
    uint32_t high;
    uint32_t type;
};
static_assert(sizeof(ArgValue) == 12, "ArgValue is 12 bytes");

// Byte-set block: {1, length, data...}; the null pointer is the empty byte set.
struct ByteSetHeader {
    uint32_t one;
    uint32_t length;
};
static_assert(sizeof(ByteSetHeader) == 8, "byte-set header is 8 bytes");

inline uint32_t ByteSetLength(const void* block) {
    return block ? static_cast<const ByteSetHeader*>(block)->length : 0;
}
inline const uint8_t* ByteSetData(const void* block) {
    return block ? static_cast<const uint8_t*>(block) + 8 : nullptr;
}
inline uint8_t* ByteSetData(void* block) {
    return block ? static_cast<uint8_t*>(block) + 8 : nullptr;
}

// Array block: {d, size[0..d-1], elements}. Null and d = 0 hold no elements.
inline uint32_t ArrayElementCount(const void* block) {
    if (!block) return 0;
    const uint32_t* w = static_cast<const uint32_t*>(block);
    if (w[0] == 0) return 0;
    uint64_t n = 1;
    for (uint32_t i = 0; i < w[0]; ++i) n *= w[1 + i];
    return n > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(n);
}
inline uint8_t* ArrayElements(void* block) {
    uint32_t* w = static_cast<uint32_t*>(block);
    return reinterpret_cast<uint8_t*>(w + 1 + w[0]);
}
inline const uint8_t* ArrayElements(const void* block) {
    const uint32_t* w = static_cast<const uint32_t*>(block);
    return reinterpret_cast<const uint8_t*>(w + 1 + w[0]);
}
