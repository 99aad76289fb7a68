#include "runtime/pictures/icon_directory.h"
#include "runtime/base/byte_reader.h"

namespace imprinta::picture {

DecodeError ReadIconDirectory(std::span<const uint8_t> data, IconDirectory& out) {
    out = IconDirectory{};
    ByteReader r(data);
    const uint16_t reserved = r.ReadU16(), type = r.ReadU16(), count = r.ReadU16();
    if (!r.ok()) return DecodeError::Truncated;
    if (reserved != 0 || (type != uint16_t(IconKind::Icon) && type != uint16_t(IconKind::Cursor)) || count == 0)
        return DecodeError::BadHeader;
    out.kind = IconKind(type);
    out.declaredCount = count;
    const size_t whole = r.Remaining() / kIconEntrySize;
    out.entries.reserve(count < whole ? count : whole);
    for (uint32_t i = 0; i < count && r.Has(kIconEntrySize); ++i) {
        IconEntry e;
        const uint8_t w = r.ReadU8(), h = r.ReadU8();
        e.width = w ? w : 256;
        e.height = h ? h : 256;
        e.colourCount = r.ReadU8();
        r.Skip(1);  // reserved
        e.planesOrHotX = r.ReadU16();
        e.bitCountOrHotY = r.ReadU16();
        e.size = r.ReadU32();
        e.offset = r.ReadU32();
        out.entries.push_back(e);
    }
    return out.entries.empty() ? DecodeError::Truncated : DecodeError::None;
}

std::span<const uint8_t> IconImageBytes(std::span<const uint8_t> data, const IconEntry& e) {
    if (e.size == 0 || e.offset > data.size() || e.size > data.size() - e.offset) return {};
    return data.subspan(e.offset, e.size);
}

int ChooseIconEntry(const std::vector<IconEntry>& entries) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].width == 32 && entries[i].colourCount > 15) return int(i);
    return int(entries.size()) - 1;
}

std::vector<uint8_t> IconResourceBytes(IconKind kind, const IconEntry& e, std::span<const uint8_t> image) {
    std::vector<uint8_t> resource;
    if (kind == IconKind::Cursor) {
        resource.reserve(4 + image.size());
        resource.push_back(uint8_t(e.planesOrHotX));
        resource.push_back(uint8_t(e.planesOrHotX >> 8));
        resource.push_back(uint8_t(e.bitCountOrHotY));
        resource.push_back(uint8_t(e.bitCountOrHotY >> 8));
    }
    resource.insert(resource.end(), image.begin(), image.end());
    return resource;
}

}  // namespace imprinta::picture
