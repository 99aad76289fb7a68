// ToInteger / ToText conversions, half-width normalisation, the general
// floating format and the date-time calendar text. Built natively and for Windows.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "runtime/base/conversion.h"
#include "runtime/base/value.h"

using namespace imprinta;
using conv::Value;

namespace {

Value Double(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return {kTypeDouble, static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), nullptr};
}
Value DateTime(double d) {
    Value v = Double(d);
    v.type = kTypeDateTime;
    return v;
}
Value Float(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return {kTypeFloat, bits, 0, nullptr};
}
Value Long(int64_t x) {
    return {kTypeLong, static_cast<uint32_t>(x), static_cast<uint32_t>(static_cast<uint64_t>(x) >> 32), nullptr};
}
Value Text(const char* s) { return {kTypeText, 0, 0, s}; }

// Blocks laid out as the value model says.
std::vector<uint32_t> ByteSetBlock(std::initializer_list<uint8_t> bytes) {
    std::vector<uint32_t> block(2 + (bytes.size() + 3) / 4);
    block[0] = 1;
    block[1] = static_cast<uint32_t>(bytes.size());
    std::memcpy(block.data() + 2, bytes.begin(), bytes.size());
    return block;
}

}  // namespace

TEST(HalfWidth, EveryRowOfTheTable) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"\xA1\xA1", " "},        {"\xA1\xAB", "~"},        {"\xA1\xEE", "*"},
        {"\xA1\xEF", "*"},        {"\xA3\xA1", "!"},        {"\xA3\xB1", "1"},
        {"\xA3\xFE", "~"},        {"\xA3\xAD\xA3\xB1\xA3\xB2", "-12"},
        {"\xD6\xD0x", "\xD6\xD0x"},  // other double-byte characters stay
        {"\xA3\xA0", "\xA3\xA0"},    // below the full-width range
        {"ab\xA3", "ab"},            // a lead byte before the terminator is dropped
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.out, conv::ToHalfWidth(c.in)) << c.in;
}

TEST(ToInteger, TextsReadAsDecimal) {
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {
        {" 42abc", 42},
        {"abc", 0},
        {"-0", 0},
        {"4294967297", 1},            // 2^32 + 1 wraps around
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MIN},    // wraps, no clamping
        {"+17", 17},
        {"\t\r\n\v\f 9", 9},
        {"--5", 0},
        {"\xA3\xB1\xA3\xB2\xA3\xB3", 123},  // full-width 123
        {"\xA1\xA1" "7", 7},                // ideographic space, then 7
        {"\xA3\xAD\xA3\xB1\xA3\xB2", -12},  // full-width -12
        {"12 34", 12},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, conv::ToInteger(Text(c.text))) << c.text;
    EXPECT_EQ(0, conv::ToInteger({kTypeText, 0, 0, nullptr}));
}

TEST(ToInteger, EveryOtherType) {
    auto bytes = ByteSetBlock({1, 2, 3, 4});
    uint32_t intArray[] = {1, 1, 7};
    struct Case {
        const char* what;
        Value value;
        int32_t expected;
    } cases[] = {
        {"double 3.99", Double(3.99), 3},
        {"double -3.99", Double(-3.99), -3},
        {"double 2^32 + 7.5", Double(4294967303.5), 7},
        {"double 1e30 (outside 64 bits)", Double(1e30), 0},
        {"float 2.75", Float(2.75f), 2},
        {"float -2.75", Float(-2.75f), -2},
        {"byte 200 with garbage above", {kTypeByte, 0xFFFFFFC8u, 0, nullptr}, 200},
        {"short -2", {kTypeShort, 0xFFFEu, 0, nullptr}, -2},
        {"integer", {kTypeInt, 0x80000001u, 0, nullptr}, INT32_MIN + 1},
        {"long 2^32 + 5", Long((int64_t{1} << 32) + 5), 5},
        {"bool word", {kTypeBool, 5, 0, nullptr}, 5},
        {"subroutine", {kTypeSubroutine, 0x401000, 0, nullptr}, 0x401000},
        {"date-time", DateTime(45292.5), 0},
        {"byte set", {kTypeBytes, 0, 0, bytes.data()}, 0},
        {"integer array", {kTypeInt | kArrayFlag, 0, 0, intArray}, 0},
        {"library type", {0x00020001, 1234, 0, nullptr}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, conv::ToInteger(c.value)) << c.what;
}

TEST(FormatGeneral, WindowsStyleGeneralFormat) {
    struct Case {
        double value;
        int precision;
        const char* expected;
    } cases[] = {
        {0.1, 13, "0.1"},
        {1e20, 13, "1e+020"},
        {1.234567890123456e15, 13, "1.234567890123e+015"},
        {-0.00001, 13, "-1e-005"},
        {100.0, 13, "100"},
        {0.0001, 13, "0.0001"},
        {0.00012345, 13, "0.00012345"},
        {1234567890123.0, 13, "1234567890123"},
        {9999999999999.0, 13, "9999999999999"},
        {1e13, 13, "1e+013"},
        {99999999999999.0, 13, "1e+014"},  // rounding carries into a new digit
        {2.0 / 3.0, 13, "0.6666666666667"},
        {-123.456, 13, "-123.456"},
        {0.0, 13, "0"},
        {1e-300, 13, "1e-300"},
        {1.5e-5, 6, "1.5e-005"},
        {1234565.0, 6, "1.23457e+006"},  // an exact half rounds up, not to even
        {0.125, 2, "0.13"},
        {999999.5, 6, "1e+006"},
        {123456.0, 6, "123456"},
        {1.7976931348623157e308, 13, "1.797693134862e+308"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, conv::FormatGeneral(c.value, c.precision)) << c.value;
}

TEST(ToText, Numbers) {
    struct Case {
        const char* what;
        Value value;
        const char* expected;
    } cases[] = {
        {"double 0.1", Double(0.1), "0.1"},
        {"double 1e20", Double(1e20), "1e+020"},
        {"double 1.234567890123456e15", Double(1.234567890123456e15), "1.234567890123e+015"},
        {"double -0.00001", Double(-0.00001), "-1e-005"},
        {"double 100", Double(100.0), "100"},
        {"double 12345.678", Double(12345.678), "12345.678"},
        {"float 0.1", Float(0.1f), "0.1"},
        {"float 1.234567e6", Float(1.234567e6f), "1.23457e+006"},
        {"float 123456.7", Float(123456.7f), "123457"},
        {"float -2.5", Float(-2.5f), "-2.5"},
        {"float 1e-5", Float(1e-5f), "1e-005"},
        {"float 3.14159274", Float(3.14159274f), "3.14159"},
        {"float 0", Float(0.0f), "0"},
        {"float 16777216", Float(16777216.0f), "1.67772e+007"},
        {"byte 255 with garbage above", {kTypeByte, 0xABCDEFFFu, 0, nullptr}, "255"},
        {"short -2", {kTypeShort, 0xFFFEu, 0, nullptr}, "-2"},
        {"integer min", {kTypeInt, 0x80000000u, 0, nullptr}, "-2147483648"},
        {"integer 0", {kTypeInt, 0, 0, nullptr}, "0"},
        {"long -1", Long(-1), "-1"},
        {"long 2^40", Long(int64_t{1} << 40), "1099511627776"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, conv::ToText(c.value)) << c.what;
}

TEST(ToText, BoolsTextsBlocksAndUnsupported) {
    auto bytes = ByteSetBlock({65, 66, 0, 67});
    auto bytesNoZero = ByteSetBlock({72, 73});
    uint32_t intArray[] = {1, 2, 65, 66};
    uint32_t shortArray[] = {1, 3, 0x00420041u, 0x00000043u};  // {0x41, 0x42, 0x43}: 'A', 0 ends it
    alignas(4) uint8_t byteArray[] = {1, 0, 0, 0, 3, 0, 0, 0, 'x', 'y', 'z'};
    uint32_t textArray[] = {1, 0};
    uint32_t emptyDims[] = {0};
    struct Case {
        const char* what;
        Value value;
        const char* expected;
    } cases[] = {
        {"true", {kTypeBool, 1, 0, nullptr}, "\xD5\xE6"},   // 真 in GBK
        {"true 7", {kTypeBool, 7, 0, nullptr}, "真"},
        {"false", {kTypeBool, 0, 0, nullptr}, "\xBC\xD9"},  // 假 in GBK
        {"text", Text("abc"), "abc"},
        {"null text", {kTypeText, 0, 0, nullptr}, ""},
        {"byte set", {kTypeBytes, 0, 0, bytes.data()}, "AB"},
        {"byte set without 0", {kTypeBytes, 0, 0, bytesNoZero.data()}, "HI"},
        {"null byte set", {kTypeBytes, 0, 0, nullptr}, ""},
        {"integer array", {kTypeInt | kArrayFlag, 0, 0, intArray}, "A"},
        {"short array", {kTypeShort | kArrayFlag, 0, 0, shortArray}, "A"},
        {"byte array", {kTypeByte | kArrayFlag, 0, 0, byteArray}, "xyz"},
        {"text array", {kTypeText | kArrayFlag, 0, 0, textArray}, ""},
        {"array of no dimensions", {kTypeInt | kArrayFlag, 0, 0, emptyDims}, ""},
        {"null array", {kTypeInt | kArrayFlag, 0, 0, nullptr}, ""},
        {"subroutine", {kTypeSubroutine, 0x401000, 0, nullptr}, ""},
        {"library type", {0x00020001, 5, 0, nullptr}, ""},
        {"application type", {0x52010001, 5, 0, nullptr}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, conv::ToText(c.value)) << c.what;
}

TEST(ToText, DateTimes) {
    struct Case {
        double value;
        const char* expected;
    } cases[] = {
        {0.0, "1899年12月30日"},
        {2.5, "1900年1月1日12时"},
        {2.75, "1900年1月1日18时"},
        {2.7500001, "1900年1月1日18时"},  // rounded to the second
        {3e6, "9999年12月31日"},          // clamped
        {-1e7, "100年1月1日"},
        {-1.25, "1899年12月29日6时"},     // fraction taken by absolute value
        {60.0, "1900年2月28日"},
        {61.0, "1900年3月1日"},
        {36585.0, "2000年2月29日"},
        {45292.0, "2024年1月1日"},
        {45292.0 + (13 * 3600 + 5 * 60 + 7) / 86400.0, "2024年1月1日13时5分7秒"},
        {45292.0 + (12 * 3600 + 60) / 86400.0, "2024年1月1日12时1分"},
        {45292.0 + 86399.7 / 86400.0, "2024年1月2日"},  // 23:59:59.7 rounds to the next day
        {2958465.999, "9999年12月31日"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, conv::ToText(DateTime(c.value))) << c.value;
    // The date characters are GBK bytes.
    EXPECT_EQ("1900\xC4\xEA" "1\xD4\xC2" "1\xC8\xD5" "12\xCA\xB1", conv::DateTimeText(2.5));
}

TEST(ValueBytes, OwnBytesOfEachKind) {
    auto bytes = ByteSetBlock({9, 0, 8});
    uint32_t intArray[] = {1, 2, 0x04030201u, 0x08070605u};
    uint32_t doubleArray[] = {1, 1, 0, 0x3FF00000u};
    uint32_t textArray[] = {1, 1, 0};
    struct Case {
        const char* what;
        Value value;
        std::string expected;
    } cases[] = {
        {"integer 258", {kTypeInt, 258, 0, nullptr}, std::string("\x02\x01\x00\x00", 4)},
        {"text ab", Text("ab"), "ab"},
        {"empty text", Text(""), ""},
        {"byte set", {kTypeBytes, 0, 0, bytes.data()}, std::string("\x09\x00\x08", 3)},
        {"byte", {kTypeByte, 0x1FF, 0, nullptr}, std::string("\xFF", 1)},
        {"short", {kTypeShort, 0x1234, 0, nullptr}, std::string("\x34\x12", 2)},
        {"bool", {kTypeBool, 1, 0, nullptr}, std::string("\x01\x00\x00\x00", 4)},
        {"long", Long(0x0102030405060708), std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8)},
        {"double 1", Double(1.0), std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8)},
        {"date-time", DateTime(1.0), std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8)},
        {"integer array", {kTypeInt | kArrayFlag, 0, 0, intArray}, "\x01\x02\x03\x04\x05\x06\x07\x08"},
        {"double array", {kTypeDouble | kArrayFlag, 0, 0, doubleArray}, std::string("\0\0\0\0\0\0\xF0\x3F", 8)},
        {"array flag on the bare code", {0x20000601u, 0, 0, doubleArray}, std::string("\0\0\0\0\0\0\xF0\x3F", 8)},
        {"library type array", {0x20020001u, 0, 0, doubleArray}, ""},
        {"text array", {kTypeText | kArrayFlag, 0, 0, textArray}, ""},
        {"library type", {0x00020001, 1, 0, nullptr}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, conv::ValueBytes(c.value)) << c.what;
}
