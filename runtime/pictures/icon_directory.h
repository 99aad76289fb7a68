// The directory of an icon (ICO) or cursor (CUR) file: a 6-byte header
// (reserved 0, type 1 icon or 2 cursor, image count) and a 16-byte entry per
// image. Every size read from it is checked against the data here, so the
// picture decoder, the window icon and the unit cursors share one reading.
// Plain C++.
#pragma once
#include <cstdint>
#include <span>
#include <vector>
#include "runtime/pictures/decode_error.h"

namespace imprinta::picture {

enum class IconKind : uint16_t { Icon = 1, Cursor = 2 };

// One directory entry (16 bytes in the file).
struct IconEntry {
    uint32_t width = 0;       // 0 in the file means 256
    uint32_t height = 0;
    uint8_t colourCount = 0;  // as stored: 0 for 256 colours or more
    uint16_t planesOrHotX = 0;
    uint16_t bitCountOrHotY = 0;
    uint32_t size = 0;
    uint32_t offset = 0;
};

struct IconDirectory {
    IconKind kind = IconKind::Icon;
    uint16_t declaredCount = 0;
    // The entries the data holds: a directory cut short keeps the whole ones.
    std::vector<IconEntry> entries;
};

constexpr size_t kIconHeaderSize = 6;
constexpr size_t kIconEntrySize = 16;

// Reads the header and the entries. Truncated: shorter than the header, or
// not one whole entry; BadHeader: reserved word not 0, an unknown type or a
// count of 0.
DecodeError ReadIconDirectory(std::span<const uint8_t> data, IconDirectory& out);

// The image bytes of an entry; empty when its size is 0 or any of them lies
// outside the data (offset + size checked without wrapping).
std::span<const uint8_t> IconImageBytes(std::span<const uint8_t> data, const IconEntry& entry);

// The entry the picture decoder shows: the first one 32 pixels wide whose
// stored colour count is above 15, else the last; -1 when there is none.
int ChooseIconEntry(const std::vector<IconEntry>& entries);

// What the system's icon-from-resource call takes for an entry: the image
// bytes, for a cursor after its hot spot (two 16-bit words).
std::vector<uint8_t> IconResourceBytes(IconKind kind, const IconEntry& entry, std::span<const uint8_t> image);

}  // namespace imprinta::picture
