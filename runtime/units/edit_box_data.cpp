#include "runtime/units/edit_box_data.h"
#include <cmath>
#include <cstdlib>
#include <limits>
#include "runtime/base/conversion.h"

namespace imprinta::units {

void EditBoxData::Reset() { *this = EditBoxData(); }

bool EditBoxData::Serialize(PropertyArchive& ar) {
    if (!ar.Version(2)) return false;
    ar.Int(border);
    ar.Colour(textColour);
    ar.Colour(backColour);
    ar.Bool(hideSelection);
    ar.Int(maxLength);
    ar.Bool(multiline);
    ar.Int(scrollBars);
    ar.Int(alignment);
    ar.Int(inputMode);
    ar.Flags16(passwordChar);
    ar.Int(caseConversion);
    ar.Int(spinType);
    ar.Int(spinMin);
    ar.Int(spinMax);
    ar.Int(selStart);
    ar.Int(selLength);
    ar.Font(font);
    ar.Text(content);
    if (ar.version() >= 2) {
        ar.Text(dataSource);
        ar.Text(dataColumn);
    }
    return ar.ok();
}

namespace {

bool IsDigit(uint32_t c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Optional white space and sign, then decimal digits; saturates at the 64-bit
// limits instead of overflowing.
int64_t ReadInt64(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint64_t value = 0;
    const uint64_t limit = negative ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
    for (; i < text.size() && IsDigit(static_cast<unsigned char>(text[i])); ++i) {
        unsigned d = static_cast<unsigned>(text[i] - '0');
        value = value > (limit - d) / 10 ? limit : value * 10 + d;
    }
    if (!negative) return static_cast<int64_t>(value);
    return value == (uint64_t(1) << 63) ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(value);
}

int64_t Clamp64(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The leading number of a text (strtod on its half-width form), 0 when none.
double ReadNumber(const std::string& text) {
    std::string half = conv::ToHalfWidth(text.c_str());
    const char* s = half.c_str();
    char* end = nullptr;
    double v = std::strtod(s, &end);
    if (end == s || std::isnan(v)) return 0.0;
    return v == 0.0 ? 0.0 : v;  // "-0" is zero too
}

// Days from 30 December 1899 to a Gregorian date (valid fields assumed).
int64_t DayNumber(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569;  // 1970-01-01 is day 25569
}

int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

class Scanner {
public:
    explicit Scanner(const std::string& t) : text_(t) {}
    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    }
    bool Number(int& out) {
        size_t start = pos_;
        long v = 0;
        while (pos_ < text_.size() && IsDigit(static_cast<unsigned char>(text_[pos_])) && pos_ - start < 6)
            v = v * 10 + (text_[pos_++] - '0');
        if (pos_ == start) return false;
        out = static_cast<int>(v);
        return true;
    }
    // One of the single-byte separators, or the given (GBK) word.
    bool Separator(const char* singles, const char* word) {
        if (pos_ < text_.size() && std::string(singles).find(text_[pos_]) != std::string::npos) {
            ++pos_;
            return true;
        }
        return Word(word);
    }
    bool Word(const char* word) {
        std::string w(word);
        if (!w.empty() && text_.compare(pos_, w.size(), w) == 0) {
            pos_ += w.size();
            return true;
        }
        return false;
    }
    bool AtEnd() const { return pos_ >= text_.size(); }

private:
    const std::string& text_;
    size_t pos_ = 0;
};

}  // namespace

namespace {

bool ParseDateTimeFields(const std::string& text, double& value) {
    Scanner s(text);
    s.SkipSpace();
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    if (!s.Number(y) || !s.Separator("-/.", "年") || !s.Number(mo) || !s.Separator("-/.", "月") || !s.Number(d))
        return false;
    s.Word("日");
    s.SkipSpace();
    if (!s.AtEnd()) {
        if (!s.Number(h)) return false;
        bool chinese = s.Word("时");
        if (!chinese && !s.Separator(":", "")) return false;
        if (!s.AtEnd() && s.Number(mi)) {
            if (chinese ? s.Word("分") : s.Separator(":", "")) {
                if (!s.AtEnd() && s.Number(se) && chinese) s.Word("秒");
            } else if (chinese) {
                return false;
            }
        }
        s.SkipSpace();
        if (!s.AtEnd()) return false;
    }
    if (y < 100 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo)) return false;
    if (h > 23 || mi > 59 || se > 59) return false;
    double day = static_cast<double>(DayNumber(y, mo, d));
    double fraction = (h * 3600.0 + mi * 60.0 + se) / 86400.0;
    // The fraction counts by absolute value before 30 December 1899.
    value = day < 0 ? day - fraction : day + fraction;
    return true;
}

}  // namespace

bool ParseDateTimeText(const std::string& text, double& value) {
    // Full-width digits and signs read like their ASCII forms.
    return ParseDateTimeFields(text, value) || ParseDateTimeFields(conv::ToHalfWidth(text.c_str()), value);
}

bool EditModeAccepts(int32_t mode, uint32_t ch) {
    if (ch < 32) return true;
    switch (mode) {
    case kEditIntegerText:
    case kEditShort:
    case kEditInteger:
    case kEditLong: return ch == '-' || IsDigit(ch);
    case kEditDecimalText:
    case kEditSingle:
    case kEditDouble: return ch == '-' || ch == '.' || IsDigit(ch);
    case kEditByte: return IsDigit(ch);
    default: return true;
    }
}

std::string NormaliseEditText(int32_t mode, const std::string& text) {
    std::string out;
    switch (mode) {
    case kEditByte: out = std::to_string(Clamp64(ReadInt64(text), 0, 255)); break;
    case kEditShort: out = std::to_string(Clamp64(ReadInt64(text), -32768, 32767)); break;
    case kEditInteger:
        out = std::to_string(Clamp64(ReadInt64(text), std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max()));
        break;
    case kEditLong: out = std::to_string(ReadInt64(text)); break;
    case kEditSingle: {
        double v = ReadNumber(text);
        float f = std::fabs(v) > std::numeric_limits<float>::max() ? (v < 0 ? -std::numeric_limits<float>::max()
                                                                             : std::numeric_limits<float>::max())
                                                                   : static_cast<float>(v);
        out = conv::FormatGeneral(conv::RoundFloatToSixDigits(f), 6);
        break;
    }
    case kEditDouble: out = conv::FormatGeneral(ReadNumber(text), 13); break;
    case kEditDateTime: {
        double v = 0;
        if (!ParseDateTimeText(text, v) || v == 0.0) return std::string();
        return conv::DateTimeText(v);
    }
    default: return text;
    }
    return out == "0" ? std::string() : out;
}

int32_t SpinStep(const std::string& text, bool up, int32_t lower, int32_t upper) {
    int64_t v = Clamp64(ReadInt64(text), std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    int64_t next = up ? v + 1 : v - 1;
    if (next < lower || next > upper) next = up ? lower : upper;
    return static_cast<int32_t>(next);
}

}  // namespace imprinta::units
