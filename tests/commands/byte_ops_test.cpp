// Byte-level command logic: values out of byte sets, text splitting and
// upper-casing, near-integer snapping, the random generator, picture formats.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "runtime/base/byte_ops.h"
#include "runtime/base/value.h"

using namespace imprinta;
using namespace imprinta::ops;

TEST(ExtractValue, KindsPaddingAndPositions) {
    const uint8_t two[] = {0x34, 0x12};
    const uint8_t text[] = {65, 66, 0, 67};
    const uint8_t eight[] = {1, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    double big = 3e6;
    uint8_t date[8];
    std::memcpy(date, &big, 8);
    const uint8_t boolean[] = {0, 0, 2, 0};
    struct Case {
        const char* what;
        const uint8_t* data;
        uint32_t length;
        int kind;
        bool hasPosition;
        int32_t position;
        uint32_t type, low, high;
        int32_t next;
    } cases[] = {
        {"short tail padded with zeros", two, 2, 3, false, 0, kTypeInt, 0x1234, 0, -1},
        {"byte", two, 2, 1, false, 0, kTypeByte, 0x34, 0, 2},
        {"short at 2 padded", two, 2, 2, true, 2, kTypeShort, 0x12, 0, -1},
        {"integer at 1 of 8", eight, 8, 3, true, 1, kTypeInt, 1, 0, 5},
        {"integer at 5 of 8", eight, 8, 3, true, 5, kTypeInt, 0x3FF00000, 0, -1},
        {"long", eight, 8, 4, false, 0, kTypeLong, 1, 0x3FF00000, -1},
        {"float", eight, 8, 5, false, 0, kTypeFloat, 1, 0, 5},
        {"double", eight, 8, 6, false, 0, kTypeDouble, 1, 0x3FF00000, -1},
        {"bool of non-zero bytes", boolean, 4, 7, false, 0, kTypeBool, 1, 0, -1},
        {"bool of zero bytes", boolean, 2, 7, false, 0, kTypeBool, 0, 0, -1},
        {"date-time clamped", date, 8, 8, false, 0, kTypeDateTime, 0x80000000, 0x41469240, -1},
        {"subroutine", eight, 8, 9, true, 1, kTypeSubroutine, 1, 0, 5},
        {"position 0: nothing available", eight, 8, 3, true, 0, kTypeInt, 0, 0, -1},
        {"position -1: nothing available", eight, 8, 1, true, -1, kTypeByte, 0, 0, -1},
        {"position past the end", eight, 8, 3, true, 20, kTypeInt, 0, 0, -1},
        {"empty data", nullptr, 0, 3, false, 0, kTypeInt, 0, 0, -1},
        {"text kind on 2 bytes", text, 2, 10, true, 1, kTypeText, 0, 0, -1},
    };
    for (const auto& c : cases) {
        Extracted r = ExtractValue(c.data, c.length, c.kind, c.hasPosition, c.position);
        EXPECT_EQ(c.type, r.type) << c.what;
        EXPECT_EQ(c.low, r.low) << c.what;
        EXPECT_EQ(c.high, r.high) << c.what;
        EXPECT_EQ(c.next, r.next) << c.what;
    }
}

TEST(ExtractValue, TextsAdvanceThePosition) {
    const uint8_t bytes[] = {65, 66, 0, 67};
    Extracted first = ExtractValue(bytes, 4, 10, true, 1);
    EXPECT_EQ(kTypeText, first.type);
    EXPECT_EQ("AB", first.text);
    EXPECT_EQ(4, first.next);
    Extracted second = ExtractValue(bytes, 4, 10, true, first.next);
    EXPECT_EQ("C", second.text);
    EXPECT_EQ(-1, second.next);
    // Finished: reading at -1 gives nothing and stays finished.
    Extracted third = ExtractValue(bytes, 4, 10, true, second.next);
    EXPECT_EQ("", third.text);
    EXPECT_EQ(-1, third.next);
    // A zero byte right at the position gives the empty text and steps over it.
    const uint8_t zeroFirst[] = {0, 0, 'z'};
    Extracted empty = ExtractValue(zeroFirst, 3, 10, true, 1);
    EXPECT_EQ("", empty.text);
    EXPECT_EQ(2, empty.next);
    EXPECT_EQ("z", ExtractValue(zeroFirst, 3, 10, true, 3).text);
}

TEST(ExtractValue, KindRange) {
    EXPECT_FALSE(IsValidDataKind(0));
    EXPECT_TRUE(IsValidDataKind(1));
    EXPECT_TRUE(IsValidDataKind(10));
    EXPECT_FALSE(IsValidDataKind(11));
    EXPECT_FALSE(IsValidDataKind(-3));
}

TEST(SplitPieces, SeparatorsMaximaAndDoubleByteCharacters) {
    using V = std::vector<std::string>;
    struct Case {
        const char* text;
        const char* separator;
        int64_t maximum;
        V expected;
    } cases[] = {
        {"a,,b,", ",", -1, {"a", "", "b"}},
        {",a", ",", -1, {"", "a"}},
        {"a,b,c", ",", 2, {"a", "b"}},
        {"a,b,c", ",", 1, {"a"}},
        {"a,b,c", ",", 3, {"a", "b", "c"}},
        {"abc", "", -1, {"abc"}},
        {"", ",", -1, {}},
        {"a,b", ",", 0, {}},
        {"x||y||", "||", -1, {"x", "y"}},
        {"x|y", "||", -1, {"x|y"}},
        {",,", ",", -1, {"", ""}},
        // '|' is also a GBK trail byte: it must not match inside the character.
        {"\x81|a|b", "|", -1, {"\x81|a", "b"}},
        {"\xD6\xD0,\xCE\xC4", ",", -1, {"\xD6\xD0", "\xCE\xC4"}},
        {"ab\x81", "|", -1, {"ab\x81"}},  // a lead byte before the terminator ends the walk
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, SplitPieces(c.text, c.separator, c.maximum)) << c.text;
}

TEST(UpperAscii, LettersAndDoubleByteCharacters) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"ab\xB0\x61" "c", "AB\xB0\x61" "C"},  // trail byte 'a' stays small
        {"hello, World z{", "HELLO, WORLD Z{"},
        {"x\xB0", "X\xB0"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.out, UpperAscii(c.in)) << c.in;
}

TEST(RoundDownSnapped, SnappingAndFloor) {
    struct Case {
        double value;
        int32_t expected;
    } cases[] = {
        {2.9999999999999, 3},
        {-1.5, -2},
        {-0.9999999999999, -1},
        {2.5, 2},
        {-2.0, -2},
        {0.0, 0},
        {0.9999999999, 0},       // not near enough to snap
        {-3.0000000000001, -4},  // snapping only moves away from zero
        {2147483648.0, INT32_MIN},
        {4294967296.5, 0},       // low 32 bits of 2^32
        {1e20, 0},               // outside 64 bits
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, RoundDownSnapped(c.value)) << c.value;
}

TEST(RandomGenerator, SequenceRangesAndEqualBounds) {
    uint32_t state = 1;
    const uint32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (uint32_t e : expected) EXPECT_EQ(e, NextRandom(state));

    state = 12345;
    EXPECT_EQ(5, RandomInRange(state, true, 5, true, 5));
    EXPECT_EQ(12345u, state) << "equal bounds must not advance the generator";
    EXPECT_EQ(0, RandomInRange(state, true, -3, true, 0));
    EXPECT_EQ(12345u, state);

    struct Range {
        bool hasMin;
        int32_t min;
        bool hasMax;
        int32_t max;
        int32_t low, high;
    } ranges[] = {
        {true, 9, true, 3, 3, 9},
        {true, -4, true, 2, 0, 2},
        {false, 0, false, 0, 0, 32767},
        {true, 100, false, 0, 100, 100 + 32767},
        {true, 0, true, 1, 0, 1},
    };
    for (const auto& r : ranges) {
        bool seenLow = false, seenHigh = false;
        for (int i = 0; i < 2000; ++i) {
            int32_t v = RandomInRange(state, r.hasMin, r.min, r.hasMax, r.max);
            ASSERT_GE(v, r.low);
            ASSERT_LE(v, r.high);
            seenLow |= v == r.low;
            seenHigh |= v == r.high;
        }
        if (r.high - r.low < 10) {
            EXPECT_TRUE(seenLow && seenHigh) << r.low << ".." << r.high;
        }
    }
}

TEST(CollapseReversed, AdjacentRunsCollapseInReverseOrder) {
    using V = std::vector<std::string>;
    EXPECT_EQ((V{"C", "A", "B", "A"}), CollapseReversed({"A", "A", "B", "A", "C"}));
    EXPECT_EQ((V{"B", "A"}), CollapseReversed({"A", "A", "A", "B", "B"}));
    EXPECT_EQ((V{"x", ""}), CollapseReversed({"", "x", ""}));  // only a leading empty name matches ""
    EXPECT_EQ(V{}, CollapseReversed({}));
}

TEST(RecognisePicture, FirstEightBytes) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int expected;
    } cases[] = {
        {"7-byte BMP", {'B', 'M', 0, 0, 0, 0, 0}, kPictureUnknown},
        {"BMP", {'B', 'M', 0, 0, 0, 0, 0, 0}, kPictureBmp},
        {"JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0}, kPictureJpeg},
        {"PNG", {0x89, 'P', 'N', 'G', 13, 10, 26, 10}, kPicturePng},
        {"ICO", {0, 0, 1, 0, 1, 0, 0, 0}, kPictureIco},
        {"ICO of 0 images", {0, 0, 1, 0, 0, 0, 0, 0}, kPictureUnknown},
        {"CUR", {0, 0, 2, 0, 0, 1, 0, 0}, kPictureCur},
        {"GIF87a", {'G', 'I', 'F', '8', '7', 'a', 0, 0}, kPictureGif},
        {"GIF89a", {'G', 'I', 'F', '8', '9', 'a', 0, 0}, kPictureGif},
        {"GIF88a", {'G', 'I', 'F', '8', '8', 'a', 0, 0}, kPictureUnknown},
        {"PCX 8 bit", {10, 5, 1, 8, 0, 0, 0, 0}, kPicturePcx8},
        {"PCX 8 bit version 6", {10, 6, 1, 8, 0, 0, 0, 0}, kPictureUnknown},
        {"PCX 1 bit", {10, 3, 1, 1, 0, 0, 0, 0}, kPicturePcx1},
        {"PCX 1 bit version 5", {10, 5, 1, 1, 0, 0, 0, 0}, kPictureUnknown},
        {"PCX not run-length", {10, 5, 0, 8, 0, 0, 0, 0}, kPictureUnknown},
        {"text", {'h', 'e', 'l', 'l', 'o', '!', '!', '!'}, kPictureUnknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, RecognisePicture(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()))) << c.what;
}
