// Byte-level parts of the core commands that need no Windows API: reading one
// value out of a byte set, splitting and upper-casing ANSI texts, near-integer
// snapping, the random generator and picture format recognition. Plain C++,
// built natively too.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace imprinta::ops {

// BytesGetData: one value of kind 1..10 read from data[start...].
struct Extracted {
    uint32_t type = 0;   // result type code
    uint32_t low = 0;
    uint32_t high = 0;
    std::string text;    // kind 10
    int32_t next = -1;   // next 1-based position, or -1 when nothing is left
};
constexpr bool IsValidDataKind(int kind) { return kind >= 1 && kind <= 10; }
// position < 1 with hasPosition means nothing is available (and nothing left).
Extracted ExtractValue(const uint8_t* data, uint32_t length, int kind, bool hasPosition, int32_t position);

// SplitText: maximum < 0 means unlimited. Separators never match inside a
// double-byte character.
std::vector<std::string> SplitPieces(const char* text, const char* separator, int64_t maximum);

// ToUpper: a..z made capital; trail bytes of double-byte characters untouched.
std::string UpperAscii(const char* text);

// Near-integer snapping, floor, truncation to 64 bits, low 32 bits.
int32_t RoundDownSnapped(double value);

// One quotient step of IntegerDivide: x / y truncated toward zero.
double TruncatedQuotient(double x, double y);

// The C runtime's linear congruential generator: 15-bit results.
uint32_t NextRandom(uint32_t& state);
// RandomNumber: omitted bounds are 0 and 2147483647, negative ones become 0.
// Equal bounds give that bound without advancing the generator.
int32_t RandomInRange(uint32_t& state, bool hasMin, int32_t minimum, bool hasMax, int32_t maximum);

// FontNameList's result order: the enumerated names walked from the last to
// the first, each kept when it differs from the one visited before it (the
// first is compared with the empty name).
std::vector<std::string> CollapseReversed(const std::vector<std::string>& names);

// Picture format codes from the first 8 bytes (fewer bytes: not a picture).
enum PictureFormat : int {
    kPictureUnknown = 0,
    kPictureJpeg = 1,
    kPictureBmp = 2,
    kPictureIco = 3,
    kPictureCur = 4,
    kPictureGif = 5,
    kPicturePcx8 = 6,
    kPicturePcx1 = 7,
    kPicturePng = 8,
};
int RecognisePicture(const uint8_t* data, uint32_t length);

}  // namespace imprinta::ops
