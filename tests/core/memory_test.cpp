// Blocks, the constant area and the memory entry points.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include "core_test_header.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"

using namespace imprinta;

namespace {
void* Const(int offset) { return const_cast<uint8_t*>(kTestConstants + offset); }
}

TEST(Memory, FreeIgnoresNullAndConstants) {
    FreeMemory(nullptr);
    FreeMemory(Const(kConstTextAbc));
    EXPECT_STREQ("abc", static_cast<const char*>(Const(kConstTextAbc)));
    void* block = AllocMemory(16);
    ASSERT_NE(nullptr, block);
    FreeMemory(block);
}

TEST(Memory, ReallocOfConstantCopiesAndLeavesIt) {
    char* copy = static_cast<char*>(ReallocMemory(Const(kConstTextAbc), 8));
    ASSERT_NE(Const(kConstTextAbc), copy);
    EXPECT_STREQ("abc", copy);
    copy[0] = 'X';
    EXPECT_STREQ("abc", static_cast<const char*>(Const(kConstTextAbc)));
    FreeMemory(copy);
    // Near the end of the area only the bytes inside it are copied.
    char* tail = static_cast<char*>(ReallocMemory(Const(62), 100));
    EXPECT_EQ(0, tail[0]);
    FreeMemory(tail);
    // Null behaves as a fresh allocation; a heap block grows keeping its bytes.
    char* grown = static_cast<char*>(ReallocMemory(nullptr, 4));
    memcpy(grown, "xyz", 4);
    grown = static_cast<char*>(ReallocMemory(grown, 4096));
    EXPECT_STREQ("xyz", grown);
    FreeMemory(grown);
}

TEST(Blocks, EmptyCopiesGiveNull) {
    EXPECT_EQ(nullptr, CopyText(static_cast<const char*>(nullptr)));
    EXPECT_EQ(nullptr, CopyText(""));
    EXPECT_EQ(nullptr, CopyTextN("abc", 0));
    EXPECT_EQ(nullptr, CopyTextN("abc", -1));
    EXPECT_EQ(nullptr, MakeByteSet("x", 0));
    char* t = CopyTextN("abcdef", 3);
    EXPECT_STREQ("abc", t);
    EXPECT_EQ(4u, HeapSize(GetProcessHeap(), 0, t));  // exactly length + 1
    FreeMemory(t);
    const uint8_t five[5] = {9, 8, 7, 6, 5};
    auto* bytes = static_cast<uint32_t*>(MakeByteSet(five, 5));
    EXPECT_EQ(1u, bytes[0]);
    EXPECT_EQ(5u, bytes[1]);
    EXPECT_EQ(0, memcmp(bytes + 2, five, 5));
    EXPECT_EQ(13u, HeapSize(GetProcessHeap(), 0, bytes));
    // A byte set is a one-dimensional byte array.
    EXPECT_EQ(5u, ArrayElementCount(bytes));
    FreeMemory(bytes);
}

TEST(Blocks, ArrayLayoutAndCounts) {
    EXPECT_EQ(0u, ArrayElementCount(nullptr));
    const uint32_t noDims[] = {0};
    EXPECT_EQ(0u, ArrayElementCount(noDims));
    const uint32_t twoByThree[] = {2, 2, 3, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(6u, ArrayElementCount(twoByThree));
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(twoByThree) + 12, ArrayElements(twoByThree));
    EXPECT_EQ(1u, ElementWidth(kTypeByte));
    EXPECT_EQ(2u, ElementWidth(kTypeShort));
    EXPECT_EQ(8u, ElementWidth(kTypeDateTime));
    EXPECT_EQ(4u, ElementWidth(kTypeText));
}

TEST(Blocks, MakeArrayWritableCopiesOnlyConstants) {
    void* variable = Const(kConstArrayLiteral);
    CallRuntimeService(kServiceMakeArrayWritable, 4u, &variable);
    ASSERT_NE(Const(kConstArrayLiteral), variable);
    auto* w = static_cast<uint32_t*>(variable);
    EXPECT_EQ(1u, w[0]);
    EXPECT_EQ(3u, w[1]);
    EXPECT_EQ(30u, w[4]);
    EXPECT_EQ(20u, HeapSize(GetProcessHeap(), 0, w));  // 4 + 4d + width x count
    w[2] = 99;
    EXPECT_EQ(10u, reinterpret_cast<const uint32_t*>(kTestConstants + kConstArrayLiteral)[2]);
    void* before = variable;
    CallRuntimeService(kServiceMakeArrayWritable, 4u, &variable);
    EXPECT_EQ(before, variable);  // a heap array stays where it is
    FreeMemory(variable);
}

TEST(Blocks, FreeArrayValueReleasesTextElements) {
    void* array = MakeArray(4, 3);
    auto** items = reinterpret_cast<char**>(ArrayElements(array));
    items[0] = CopyText("one");
    items[1] = nullptr;
    items[2] = static_cast<char*>(Const(kConstTextAbc));  // constants are left alone
    RuntimeNotify(kNotifyFreeValue, kTypeText | kArrayFlag, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(array)), 0);
    EXPECT_STREQ("abc", static_cast<const char*>(Const(kConstTextAbc)));
}

#include "runtime/base/byte_buffer.h"

TEST(Memory, ByteBufferBlocksComeFromTheProcessHeap) {
    using imprinta::units::ByteBuffer;
    ByteBuffer big;
    big.Resize(5000);
    ASSERT_TRUE(HeapValidate(GetProcessHeap(), 0, big.data()));
    EXPECT_EQ(5000 + ByteBuffer::kHeapSlack, HeapSize(GetProcessHeap(), 0, big.data()));
    ByteBuffer moved = std::move(big);
    moved.Resize(9000);  // a block goes back to the heap it came from
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, moved.data()));
}
