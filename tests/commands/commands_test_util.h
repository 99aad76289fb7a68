// Calling library commands from tests: argument records, result blocks.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "runtime/commands/commands.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"

namespace cmdtest {

inline uint32_t W(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
template <typename T = char>
inline T* P(uint32_t w) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(w));
}

inline ArgValue Int(int32_t v) { return {static_cast<uint32_t>(v), 0, 0x80000301u}; }
inline ArgValue Dbl(double d) {
    uint64_t bits;
    memcpy(&bits, &d, 8);
    return {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), 0x80000601u};
}
inline ArgValue Txt(const char* s) { return {W(s), 0, 0x80000004u}; }
inline ArgValue Bool(bool b) { return {b ? 1u : 0u, 0, 0x80000002u}; }
inline ArgValue Omitted() { return {0, 0, 0}; }

// A byte set block owned by the test.
struct ByteSet {
    explicit ByteSet(const std::string& bytes)
        : block(imprinta::MakeByteSet(bytes.data(), static_cast<uint32_t>(bytes.size()))) {}
    ~ByteSet() { FreeMemory(block); }
    ByteSet(const ByteSet&) = delete;
    ByteSet& operator=(const ByteSet&) = delete;
    ArgValue Arg() const { return {W(block), 0, 0x80000005u}; }
    void* block;
};

inline ArgValue Call(const CommandEntry* table, int command, std::vector<ArgValue> args = {}) {
    return CallLibraryCommand(table[command], static_cast<int>(args.size()), args.data());
}
inline ArgValue Core(int command, std::vector<ArgValue> args = {}) {
    return Call(CoreCommands, command, std::move(args));
}

// Result blocks, released after reading. nullText tells whether the text was null.
inline std::string TakeText(const ArgValue& r, bool* wasNull = nullptr) {
    if (wasNull) *wasNull = r.low == 0;
    std::string s = r.low ? P(r.low) : "";
    FreeMemory(P<void>(r.low));
    return s;
}
inline std::string TakeBytes(const ArgValue& r, bool* wasNull = nullptr) {
    if (wasNull) *wasNull = r.low == 0;
    std::string s;
    if (r.low) {
        EXPECT_EQ(1u, P<uint32_t>(r.low)[0]) << "byte-set header";
        s.assign(P(r.low) + 8, P<uint32_t>(r.low)[1]);
    }
    FreeMemory(P<void>(r.low));
    return s;
}
// One-dimensional text array: checks the layout, releases every block.
inline std::vector<std::string> TakeTextArray(const ArgValue& r, std::vector<bool>* nullElements = nullptr) {
    std::vector<std::string> out;
    auto* w = P<uint32_t>(r.low);
    EXPECT_NE(nullptr, w);
    if (!w) return out;
    EXPECT_EQ(1u, w[0]) << "one dimension";
    for (uint32_t i = 0; i < w[1]; ++i) {
        out.emplace_back(w[2 + i] ? P(w[2 + i]) : "");
        if (nullElements) nullElements->push_back(w[2 + i] == 0);
    }
    imprinta::FreeArrayValue(0xA0000004u, w);
    return out;
}

inline double AsDouble(const ArgValue& r) {
    uint64_t bits = (uint64_t{r.high} << 32) | r.low;
    double d;
    memcpy(&d, &bits, 8);
    return d;
}

// GBK bytes as UTF-16, for comparing Chinese text independently of the source charset.
inline std::wstring Wide(const std::string& gbk) {
    std::wstring w(gbk.size() + 1, L'\0');
    int n = MultiByteToWideChar(936, 0, gbk.c_str(), -1, w.data(), static_cast<int>(w.size()));
    w.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return w;
}

}  // namespace cmdtest
