// The skin resource format read by SkinH_QX.dll and written by the program.
// Little-endian, no Windows headers (both sides and native tools share it).
//
//   offset size  field
//        0    4  magic ".SHE"
//        4    2  format version (1); readers accept versions up to their own
//        6    2  header size in bytes (at least 32; newer versions may grow it)
//        8    4  total size in bytes (header, name and padding)
//       12    4  CRC-32 (IEEE) of the bytes from offset 16 to the total size
//       16    4  window background colour, 0x00BBGGRR
//       20    4  control face colour (edit fields, lists)
//       24    4  text colour
//       28    4  accent colour (group box captions)
//   header    n  skin name, 0-terminated ASCII, padded with 0 to a multiple of 4
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace skin {

constexpr uint16_t kFormatVersion = 1;
constexpr uint16_t kHeaderSize = 32;

struct Colours {
    uint32_t window;
    uint32_t face;
    uint32_t text;
    uint32_t accent;
};

enum class ParseResult { kOk, kTooShort, kBadMagic, kBadVersion, kBadSize, kBadChecksum };

constexpr uint32_t Crc32(const uint8_t* data, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

constexpr uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
constexpr uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

constexpr ParseResult Parse(const uint8_t* data, uint32_t length, Colours* out) {
    if (!data || length < kHeaderSize) return ParseResult::kTooShort;
    if (data[0] != '.' || data[1] != 'S' || data[2] != 'H' || data[3] != 'E') return ParseResult::kBadMagic;
    uint16_t version = ReadU16(data + 4);
    if (version < 1 || version > kFormatVersion) return ParseResult::kBadVersion;
    uint16_t header = ReadU16(data + 6);
    uint32_t total = ReadU32(data + 8);
    if (header < kHeaderSize || total < header || total > length) return ParseResult::kBadSize;
    if (Crc32(data + 16, total - 16) != ReadU32(data + 12)) return ParseResult::kBadChecksum;
    *out = {ReadU32(data + 16), ReadU32(data + 20), ReadU32(data + 24), ReadU32(data + 28)};
    return ParseResult::kOk;
}

constexpr size_t ResourceSize(size_t nameLength) { return kHeaderSize + ((nameLength + 1 + 3) & ~size_t{3}); }

// Builds a resource at compile time; N is ResourceSize(name length).
template <size_t N, size_t L>
constexpr std::array<uint8_t, N> Build(const Colours& c, const char (&name)[L]) {
    static_assert(N == ResourceSize(L - 1), "N must be ResourceSize(name length)");
    std::array<uint8_t, N> r{};
    auto put32 = [&r](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) r[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    r[0] = '.', r[1] = 'S', r[2] = 'H', r[3] = 'E';
    r[4] = kFormatVersion & 0xFF, r[5] = kFormatVersion >> 8;
    r[6] = kHeaderSize & 0xFF, r[7] = kHeaderSize >> 8;
    put32(8, static_cast<uint32_t>(N));
    put32(16, c.window);
    put32(20, c.face);
    put32(24, c.text);
    put32(28, c.accent);
    for (size_t i = 0; i + 1 < L; ++i) r[kHeaderSize + i] = static_cast<uint8_t>(name[i]);
    put32(12, Crc32(r.data() + 16, N - 16));
    return r;
}

}  // namespace skin
