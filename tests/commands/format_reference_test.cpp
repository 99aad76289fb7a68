// The general floating format against the Windows C runtime's own sprintf
// (msvcrt.dll), which writes three exponent digits.
#include <gtest/gtest.h>
#include <windows.h>
#include <cmath>
#include <cstring>
#include <string>
#include "runtime/base/conversion.h"

namespace {

typedef int(__cdecl* SprintfFn)(char*, const char*, ...);

std::string Msvcrt(const char* format, double value) {
    static auto fn = reinterpret_cast<SprintfFn>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("msvcrt.dll"), "sprintf")));
    char buf[128] = {};
    fn(buf, format, value);
    return buf;
}

// Fixed-seed generator for the value sweep.
struct Lcg {
    uint64_t state = 0x1234567887654321ull;
    uint64_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return state >> 11;
    }
};

}  // namespace

TEST(FormatReference, ListedValuesMatchMsvcrt) {
    const double values[] = {0.1,     1e20,    1.234567890123456e15, -0.00001, 100.0,  0.0001, 1e-5,
                             1e13,    1e12,    9999999999999.0,      123.456,  -7.5,   2.0 / 3.0, 1e-300,
                             1.5e300, 0.5,     1234567.0,            0.0,      -1.0,   3.14159265358979};
    for (double v : values) {
        EXPECT_EQ(Msvcrt("%.13g", v), imprinta::conv::FormatGeneral(v, 13)) << v;
        EXPECT_EQ(Msvcrt("%.6g", v), imprinta::conv::FormatGeneral(v, 6)) << v;
    }
}

TEST(FormatReference, SweepOfDoublesAndFloats) {
    Lcg rng;
    int mismatches = 0;
    for (int i = 0; i < 20000 && mismatches < 10; ++i) {
        uint64_t r = rng.Next();
        double v;
        switch (i % 4) {
        case 0: {  // any finite bit pattern
            uint64_t bits = r | (uint64_t{rng.Next() & 1} << 63);
            memcpy(&v, &bits, 8);
            if (!std::isfinite(v)) continue;
            break;
        }
        case 1:  // short decimals as settings hold them
            v = static_cast<double>(static_cast<int64_t>(r % 2000001) - 1000000) / 1000.0;
            break;
        case 2:  // around the fixed/scientific boundaries
            v = std::ldexp(static_cast<double>(r % 1000000007), static_cast<int>(r % 120) - 70);
            break;
        default:  // integers up to 2^53
            v = static_cast<double>(r & ((uint64_t{1} << 53) - 1));
        }
        std::string mine = imprinta::conv::FormatGeneral(v, 13), ref = Msvcrt("%.13g", v);
        if (mine != ref) ++mismatches;
        EXPECT_EQ(ref, mine) << std::hexfloat << v;
        float f = static_cast<float>(v);
        if (std::isfinite(f)) {
            double rounded = imprinta::conv::RoundFloatToSixDigits(f);
            mine = imprinta::conv::FormatGeneral(rounded, 6);
            ref = Msvcrt("%.6g", rounded);
            if (mine != ref) ++mismatches;
            EXPECT_EQ(ref, mine) << std::hexfloat << rounded;
        }
    }
}
