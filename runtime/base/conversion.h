// Value conversion and formatting behind ToInteger and ToText: half-width
// normalisation of ANSI (GBK) text, decimal reading, the general floating
// format as the Windows C runtime writes it, single-float rounding and the
// date-time calendar text. Plain C++: no Windows headers, built natively too.
#pragma once
#include <cstdint>
#include <string>

namespace imprinta::conv {

// One argument value as the conversions see it: the type code, the two value
// words and, for text, byte-set and array types, the block the low word points at
// (resolved by the caller, so the code also runs where pointers are 64-bit).
struct Value {
    uint32_t type;
    uint32_t low;
    uint32_t high;
    const void* block;
};

// Full-width ASCII forms, the ideographic space, the full-width tilde and the
// two stars become single bytes; other double-byte characters stay as they are.
std::string ToHalfWidth(const char* text);

// Optional white space, optional sign, decimal digits computed modulo 2^32.
int32_t ReadDecimal(const char* text);

// Truncation toward zero to a 64-bit integer, low 32 bits. Values outside the
// 64-bit range (and NaN) give the processor's "integer indefinite", whose low
// word is 0.
int32_t TruncateToInt32(double value);

// "%.<precision>g" with at least three exponent digits ("1e+020") and halves
// rounded away from zero, as the Windows C runtime writes it.
std::string FormatGeneral(double value, int precision);

// A single float rounded to 6 significant digits, as a double for "%.6g".
double RoundFloatToSixDigits(float value);

constexpr double kDateTimeMin = -657434.0;  // 1 January 100
constexpr double kDateTimeMax = 2958465.0;  // 31 December 9999
double ClampDateTime(double value);

struct CalendarFields {
    int year, month, day, hour, minute, second;
};
// Calendar fields of a (clamped) date-time value, rounded to the second.
CalendarFields DateTimeFields(double value);
// "%d年%d月%d日" plus the shortest time part that shows the non-zero fields.
std::string DateTimeText(double value);

// ToInteger and ToText by the value's type code.
int32_t ToInteger(const Value& value);
std::string ToText(const Value& value);

// The value's own bytes for ToBytes: element bytes of numeric arrays, a text
// without its terminator, a byte set's data, a basic value's stored bytes.
std::string ValueBytes(const Value& value);

}  // namespace imprinta::conv
