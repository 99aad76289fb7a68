#include "runtime/units/combo_box_data.h"
#include <cstring>

namespace imprinta::units {

void ComboBoxData::Reset() { *this = ComboBoxData(); }

bool ComboBoxData::Serialize(PropertyArchive& ar) {
    if (!ar.Version(3)) return false;
    ar.Int(style);
    ar.Int(maxLength);
    ar.Int(selStart);
    ar.Int(selLength);
    ar.Bool(sorted);
    ar.Int(extraItemHeight);
    ar.Colour(textColour);
    ar.Colour(backColour);
    ar.Int(listIndex);
    ar.Font(font);
    ar.Data(itemData);
    ar.Text(content);
    if (!SerializeItems(ar, items)) return false;
    if (ar.version() >= 2) {
        ar.Text(dataSource);
        ar.Text(dataColumn);
    }
    if (ar.version() >= 3) ar.Bool(dataFlag);
    return ar.ok();
}

bool ComboBoxData::ItemDataAt(size_t i, int32_t& value) const {
    if (i >= itemData.size() / 4) return false;
    std::memcpy(&value, itemData.data() + 4 * i, 4);  // little-endian host and target
    return true;
}

void ComboBoxData::SetItemData(const std::vector<int32_t>& values) {
    if (values.empty()) itemData.Clear();
    else itemData.Assign(values.data(), values.size() * 4);
}

std::vector<ConvertibleText> ComboBoxData::ConvertibleTexts() {
    std::vector<ConvertibleText> texts = {{&content}, {nullptr, &font}};
    for (auto& item : items) texts.push_back({&item});
    texts.push_back({&dataSource});
    texts.push_back({&dataColumn});
    return texts;
}

bool SerializeItems(PropertyArchive& ar, std::vector<std::string>& items) {
    uint16_t shortCount = items.size() >= 0xFFFF ? 0xFFFF : static_cast<uint16_t>(items.size());
    if (!ar.Flags16(shortCount)) return false;
    uint32_t count = shortCount;
    if (shortCount == 0xFFFF) {
        count = static_cast<uint32_t>(items.size());
        if (!ar.UInt(count)) return false;
    }
    if (ar.loading()) {
        // Each item takes at least its 4-byte count.
        if (count > ar.remaining() / 4) return false;
        items.assign(count, std::string());
    }
    for (auto& s : items)
        if (!ar.Text(s)) return false;
    return true;
}

std::vector<uint8_t> EncodeItems(const std::vector<std::string>& items) {
    PropertyArchive ar = PropertyArchive::ForSave();
    std::vector<std::string> copy = items;
    SerializeItems(ar, copy);
    return ar.TakeBytes();
}

bool DecodeItems(const uint8_t* bytes, size_t size, std::vector<std::string>& items) {
    items.clear();
    if (!bytes || size == 0) return true;
    PropertyArchive ar = PropertyArchive::ForLoad(bytes, size);
    std::vector<std::string> out;
    if (!SerializeItems(ar, out) || !ar.ok()) return false;
    items = std::move(out);
    return true;
}

}  // namespace imprinta::units
