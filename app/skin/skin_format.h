// The skin resource format read by SkinH_QX.dll and written by the program.
// Little-endian, no Windows headers (both sides and native tools share it).
//
//   offset size  field
//        0    4  magic ".SHE"
//        4    2  format version (2); readers accept versions up to their own
//        6    2  header size in bytes (at least 32, from version 2 at least 64;
//                newer versions may grow it)
//        8    4  total size in bytes (header, name and padding)
//       12    4  CRC-32 (IEEE) of the bytes from offset 16 to the total size
//       16    4  window background colour, 0x00BBGGRR
//       20    4  control face colour (edit fields, lists)
//       24    4  text colour
//       28    4  accent colour (group box captions, focus)
//   from version 2 (version 1 derives them from the four above):
//       32    4  button face colour
//       36    4  button face under the mouse (hot)
//       40    4  button face pressed
//       44    4  border colour (buttons, edit fields, group box frame)
//       48    4  disabled text colour
//       52    2  corner radius of buttons and the group box frame, pixels
//       54    2  border width, pixels (1 to 4)
//       56    8  reserved, 0
//   header    n  skin name, 0-terminated ASCII, padded with 0 to a multiple of 4
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include "runtime/base/byte_reader.h"

namespace skin {

constexpr uint16_t kFormatVersion = 2;
constexpr uint16_t kHeaderSizeV1 = 32;
constexpr uint16_t kHeaderSize = 64;
constexpr uint16_t kMaxBorderWidth = 4;

struct Colours {
    uint32_t window;
    uint32_t face;
    uint32_t text;
    uint32_t accent;
    uint32_t button = 0;
    uint32_t buttonHot = 0;
    uint32_t buttonPressed = 0;
    uint32_t border = 0;
    uint32_t disabledText = 0;
    uint16_t cornerRadius = 0;
    uint16_t borderWidth = 1;
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

constexpr ParseResult Parse(const uint8_t* data, uint32_t length, Colours* out) {
    if (!data || length < kHeaderSizeV1) return ParseResult::kTooShort;
    if (data[0] != '.' || data[1] != 'S' || data[2] != 'H' || data[3] != 'E') return ParseResult::kBadMagic;
    imprinta::ByteReader r(data, length);
    r.Skip(4);
    uint16_t version = r.ReadU16();
    if (version < 1 || version > kFormatVersion) return ParseResult::kBadVersion;
    uint16_t header = r.ReadU16();
    uint32_t total = r.ReadU32();
    uint16_t least = version >= 2 ? kHeaderSize : kHeaderSizeV1;
    if (header < least || total < header || total > length) return ParseResult::kBadSize;
    if (Crc32(data + 16, total - 16) != r.ReadU32()) return ParseResult::kBadChecksum;
    Colours c = {r.ReadU32(), r.ReadU32(), r.ReadU32(), r.ReadU32()};
    if (version >= 2) {
        // The header is at least 64 bytes here: every field below lies inside it.
        c.button = r.ReadU32();
        c.buttonHot = r.ReadU32();
        c.buttonPressed = r.ReadU32();
        c.border = r.ReadU32();
        c.disabledText = r.ReadU32();
        c.cornerRadius = r.ReadU16();
        c.borderWidth = r.ReadU16();
        if (c.borderWidth < 1 || c.borderWidth > kMaxBorderWidth) return ParseResult::kBadSize;
    } else {
        c.button = c.buttonHot = c.face;
        c.buttonPressed = c.window;
        c.border = c.disabledText = c.accent;
    }
    *out = c;
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
    put32(32, c.button);
    put32(36, c.buttonHot);
    put32(40, c.buttonPressed);
    put32(44, c.border);
    put32(48, c.disabledText);
    put32(52, static_cast<uint32_t>(c.cornerRadius) | static_cast<uint32_t>(c.borderWidth) << 16);
    for (size_t i = 0; i + 1 < L; ++i) r[kHeaderSize + i] = static_cast<uint8_t>(name[i]);
    put32(12, Crc32(r.data() + 16, N - 16));
    return r;
}

}  // namespace skin
