#include "runtime/base/conversion.h"
#include <charconv>
#include <cmath>
#include <cstring>
#include "runtime/base/value.h"

namespace imprinta::conv {

std::string ToHalfWidth(const char* text) {
    std::string out;
    if (!text) return out;
    const auto* s = reinterpret_cast<const uint8_t*>(text);
    for (size_t i = 0; s[i] != 0;) {
        uint8_t lead = s[i];
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        uint8_t trail = s[i + 1];
        if (trail == 0) break;  // a lead byte without its trail ends the text
        i += 2;
        if (lead == 0xA1 && trail == 0xA1) out += ' ';
        else if (lead == 0xA1 && trail == 0xAB) out += '~';
        else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) out += '*';
        else if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) out += static_cast<char>(trail - 0x80);
        else {
            out += static_cast<char>(lead);
            out += static_cast<char>(trail);
        }
    }
    return out;
}

int32_t ReadDecimal(const char* text) {
    if (!text) return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

int32_t TruncateToInt32(double value) {
    // Outside the 64-bit range the conversion yields 0x8000000000000000.
    if (!(std::fabs(value) < 9223372036854775808.0)) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value))));
}

namespace {

// The significant digits of |value| rounded to precision digits (a true half
// rounds up), and the decimal exponent of the first one.
struct RoundedDigits {
    std::string digits;
    int exponent;
};

RoundedDigits RoundToDigits(double value, int precision) {
    // Forty digits show the exact binary value far enough to tell a true half
    // (which rounds up here, not to even) from values just below or above it.
    char buf[80];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 40);
    *res.ptr = 0;
    std::string digits;
    digits += buf[0];
    digits.append(buf + 2, 40);
    int exponent = std::atoi(std::strchr(buf, 'e') + 1);

    std::string kept = digits.substr(0, static_cast<size_t>(precision));
    if (digits[static_cast<size_t>(precision)] >= '5') {
        int i = precision - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
        if (i >= 0) {
            ++kept[static_cast<size_t>(i)];
        } else {
            kept.insert(kept.begin(), '1');
            kept.pop_back();
            ++exponent;
        }
    }
    if (value == 0.0) exponent = 0;
    return {kept, exponent};
}

// Drops trailing zeros of a fraction, and the point when nothing follows it.
void TrimFraction(std::string& s) {
    if (s.find('.') == std::string::npos) return;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
}

// d.ddde+NNN, at least three exponent digits.
std::string ScientificForm(const std::string& kept, int exponent) {
    std::string mantissa(1, kept[0]);
    mantissa += '.';
    mantissa += kept.substr(1);
    TrimFraction(mantissa);
    std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
    while (e.size() < 3) e.insert(e.begin(), '0');
    return mantissa + 'e' + (exponent < 0 ? '-' : '+') + e;
}

std::string FixedForm(const std::string& kept, int exponent) {
    std::string fixed;
    if (exponent >= 0) {
        fixed = kept.substr(0, static_cast<size_t>(exponent) + 1);
        fixed += '.';
        fixed += kept.substr(static_cast<size_t>(exponent) + 1);
    } else {
        fixed = "0.";
        fixed.append(static_cast<size_t>(-exponent - 1), '0');
        fixed += kept;
    }
    TrimFraction(fixed);
    return fixed;
}

}  // namespace

std::string FormatGeneral(double value, int precision) {
    if (precision < 1) precision = 1;
    if (precision > 17) precision = 17;
    bool negative = std::signbit(value);
    if (std::isnan(value)) return negative ? "-1.#IND" : "1.#QNAN";
    if (std::isinf(value)) return negative ? "-1.#INF" : "1.#INF";
    RoundedDigits r = RoundToDigits(value, precision);
    std::string out = negative ? "-" : "";
    if (r.exponent < -4 || r.exponent >= precision) return out + ScientificForm(r.digits, r.exponent);
    return out + FixedForm(r.digits, r.exponent);
}

double RoundFloatToSixDigits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    int e2 = static_cast<int>((bits >> 23) & 0xFF) - 127;
    int e10 = static_cast<int>(e2 * 0.30102999566398120);  // truncated toward zero
    double scale = std::pow(10.0, e10 < 0 ? -e10 : e10);
    double x = value;
    double m = e10 > 0 ? std::fabs(x) / scale : std::fabs(x) * scale;
    if (m >= 10.0) {
        scale *= 10.0;
        ++e10;
        m *= 10000.0;
    } else if (m < 1.0) {
        scale *= 10.0;
        --e10;
        m *= 1000000.0;
    } else {
        m *= 100000.0;
    }
    // Kept as a double: infinities and NaN pass through without an integer overflow.
    double n = std::floor(m);
    if (m - n >= 0.5) n += 1.0;
    if (x < 0.0 || std::signbit(x)) scale = -scale;
    return e10 > 0 ? n * (scale * 0.00001) : n / (scale * 100000.0);
}

double ClampDateTime(double value) {
    if (value > kDateTimeMax) return kDateTimeMax;
    if (value < kDateTimeMin) return kDateTimeMin;
    return value;  // NaN compares false both ways and is caught by DateTimeFields
}

CalendarFields DateTimeFields(double value) {
    value = ClampDateTime(value);
    if (std::isnan(value)) value = 0.0;
    const double halfSecond = 1.0 / 172800.0;
    value += value > 0.0 ? halfSecond : -halfSecond;
    double dayPart = std::trunc(value);
    double fraction = std::fabs(value - dayPart);
    int seconds = static_cast<int>(std::floor(fraction * 86400.0));
    if (seconds > 86399) seconds = 86399;

    // Day 0 is 30 December 1899, which is 25569 days before 1 January 1970.
    int64_t z = static_cast<int64_t>(dayPart) - 25569 + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    CalendarFields f;
    f.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    f.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    f.year = static_cast<int>(yoe + era * 400 + (f.month <= 2 ? 1 : 0));
    f.hour = seconds / 3600;
    f.minute = seconds / 60 % 60;
    f.second = seconds % 60;
    return f;
}

std::string DateTimeText(double value) {
    CalendarFields f = DateTimeFields(value);
    std::string out = std::to_string(f.year) + "年" + std::to_string(f.month) + "月" + std::to_string(f.day) + "日";
    if (f.second != 0)
        out += std::to_string(f.hour) + "时" + std::to_string(f.minute) + "分" + std::to_string(f.second) + "秒";
    else if (f.minute != 0)
        out += std::to_string(f.hour) + "时" + std::to_string(f.minute) + "分";
    else if (f.hour != 0)
        out += std::to_string(f.hour) + "时";
    return out;
}

namespace {

double AsDouble(uint32_t low, uint32_t high) {
    uint64_t bits = (static_cast<uint64_t>(high) << 32) | low;
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

float AsFloat(uint32_t low) {
    float f;
    std::memcpy(&f, &low, 4);
    return f;
}

bool IsNumericType(uint32_t t) {
    return t == kTypeByte || t == kTypeShort || t == kTypeInt || t == kTypeLong || t == kTypeFloat ||
           t == kTypeDouble;
}

// Element type of an array type code. Basic element types may come with or
// without their top bit (0xA0000301 and 0x20000301 both name an integer
// array); library types always carry a library number in the high half.
uint32_t ArrayElementType(uint32_t t) {
    uint32_t element = ElementType(t);
    if ((element & 0xFFFF0000u) == 0) element |= 0x80000000u;
    return element;
}

// Element bytes of a numeric array: the first dimension's size times the width.
std::string NumericArrayBytes(const Value& v) {
    uint32_t element = ArrayElementType(v.type);
    if (!IsNumericType(element) || !v.block) return {};
    const auto* w = static_cast<const uint32_t*>(v.block);
    if (w[0] == 0) return {};
    uint64_t n = static_cast<uint64_t>(w[1]) * ElementWidth(element);
    return std::string(reinterpret_cast<const char*>(ArrayElements(v.block)), static_cast<size_t>(n));
}

std::string UpToZero(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace

int32_t ToInteger(const Value& v) {
    if (IsArrayType(v.type)) return 0;
    switch (v.type) {
    case kTypeByte: return static_cast<int32_t>(v.low & 0xFF);
    case kTypeShort: return static_cast<int16_t>(v.low & 0xFFFF);
    case kTypeInt:
    case kTypeLong:
    case kTypeBool:
    case kTypeSubroutine: return static_cast<int32_t>(v.low);
    case kTypeFloat: return TruncateToInt32(AsFloat(v.low));
    case kTypeDouble: return TruncateToInt32(AsDouble(v.low, v.high));
    case kTypeText: return ReadDecimal(ToHalfWidth(static_cast<const char*>(v.block)).c_str());
    default: return 0;
    }
}

std::string ToText(const Value& v) {
    if (IsArrayType(v.type)) return UpToZero(NumericArrayBytes(v));
    switch (v.type) {
    case kTypeByte: return std::to_string(v.low & 0xFF);
    case kTypeShort: return std::to_string(static_cast<int16_t>(v.low & 0xFFFF));
    case kTypeInt: return std::to_string(static_cast<int32_t>(v.low));
    case kTypeLong: return std::to_string(static_cast<int64_t>((static_cast<uint64_t>(v.high) << 32) | v.low));
    case kTypeFloat: return FormatGeneral(RoundFloatToSixDigits(AsFloat(v.low)), 6);
    case kTypeDouble: return FormatGeneral(AsDouble(v.low, v.high), 13);
    case kTypeBool: return v.low != 0 ? "真" : "假";
    case kTypeDateTime: return DateTimeText(AsDouble(v.low, v.high));
    case kTypeText: return v.block ? std::string(static_cast<const char*>(v.block)) : std::string();
    case kTypeBytes: return UpToZero(ValueBytes(v));
    default: return {};
    }
}

std::string ValueBytes(const Value& v) {
    if (IsArrayType(v.type)) return NumericArrayBytes(v);
    if (!IsBasicType(v.type)) return {};
    const char stored[8] = {
        static_cast<char>(v.low),       static_cast<char>(v.low >> 8),  static_cast<char>(v.low >> 16),
        static_cast<char>(v.low >> 24), static_cast<char>(v.high),      static_cast<char>(v.high >> 8),
        static_cast<char>(v.high >> 16), static_cast<char>(v.high >> 24),
    };
    switch (v.type) {
    case kTypeText: return v.block ? std::string(static_cast<const char*>(v.block)) : std::string();
    case kTypeBytes:
        return v.block ? std::string(reinterpret_cast<const char*>(ByteSetData(v.block)), ByteSetLength(v.block))
                       : std::string();
    case kTypeByte: return std::string(stored, 1);
    case kTypeShort: return std::string(stored, 2);
    case kTypeInt:
    case kTypeFloat:
    case kTypeBool:
    case kTypeSubroutine: return std::string(stored, 4);
    case kTypeLong:
    case kTypeDouble:
    case kTypeDateTime: return std::string(stored, 8);
    default: return {};
    }
}

}  // namespace imprinta::conv
