// Numbers as people type them. A Chinese input method in full-width mode types
// "４０" and "－５"; wherever the program reads a number (the window's boxes,
// pz.ini, style files, the command line) they count as "40" and "-5". Every
// reader goes through here, so what a box draws is what is saved and read
// back. Plain C++, header-only: texts are GBK (code page 936) bytes.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace app {

// The full-width forms a number can be typed in, as ASCII: in GBK the
// full-width ASCII row is A3A1..A3FE (０ A3B0, － A3AD, ＋ A3AB, ． A3AE) and the
// ideographic space A1A1. Any other character is kept whole, two bytes.
inline std::string HalfWidthNumberText(const std::string& gbk) {
    std::string out;
    out.reserve(gbk.size());
    for (size_t i = 0; i < gbk.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x81 || c == 0xFF || i + 1 >= gbk.size()) {
            out += gbk[i];
            continue;
        }
        const unsigned char t = static_cast<unsigned char>(gbk[i + 1]);
        if (c == 0xA3 && t >= 0xA1 && t <= 0xFE) out += static_cast<char>(t - 0x80);
        else if (c == 0xA1 && t == 0xA1) out += ' ';
        else out += gbk.substr(i, 2);
        ++i;
    }
    return out;
}

// The same for UTF-16 (the command line): U+FF01..U+FF5E and U+3000. Other
// characters outside ASCII become '?', which no number holds.
inline std::string HalfWidthNumberText(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c < 0x80) out += static_cast<char>(c);
        else if (c >= 0xFF01 && c <= 0xFF5E) out += static_cast<char>(c - 0xFEE0);
        else if (c == 0x3000) out += ' ';
        else out += '?';
    }
    return out;
}

// A number at the start of a text, as the boxes read them: blanks, then a
// decimal with sign, fraction or exponent ("30abc" is 30, "12.7" is 12);
// anything beyond int64 is held near its end. False when there is no number.
inline bool ReadLeadingNumber(const std::string& gbk, int64_t* value) {
    const std::string half = HalfWidthNumberText(gbk);
    size_t b = half.find_first_not_of(" \t");
    if (b == std::string::npos) return false;
    const char* t = half.c_str() + b;
    const size_t first = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    // Words, "nan" and "inf" are no numbers.
    if (!t[first] || !std::strchr(".0123456789", t[first])) return false;
    char* end = nullptr;
    const double d = std::strtod(t, &end);
    if (end == t || std::isnan(d)) return false;
    constexpr double kLimit = 9.0e18;  // inside int64 either way
    *value = static_cast<int64_t>(d > kLimit ? kLimit : d < -kLimit ? -kLimit : d);
    return true;
}

// A text that is a whole number and nothing else: blanks, an optional sign,
// decimal digits, blanks. False beyond ±2^32 (nothing stored is larger).
inline bool ReadWholeNumber(const std::string& gbk, int64_t* value) {
    const std::string half = HalfWidthNumberText(gbk);
    const char* p = half.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > int64_t(1) << 32) return false;
    }
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    // An embedded NUL is no end of the text.
    if (p != half.c_str() + half.size()) return false;
    *value = negative ? -v : v;
    return true;
}

}  // namespace app
