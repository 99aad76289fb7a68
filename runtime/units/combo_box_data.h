// Combo box property data and the items format. Plain C++ (no Windows headers).
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/property_stream.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8).
enum ComboBoxProperty : int {
    kComboBoxStyle = 0,
    kComboBoxContent,
    kComboBoxMaxLength,
    kComboBoxSelStart,
    kComboBoxSelLength,
    kComboBoxSelText,
    kComboBoxSorted,
    kComboBoxExtraItemHeight,
    kComboBoxTextColor,
    kComboBoxBackColor,
    kComboBoxFont,
    kComboBoxListIndex,
    kComboBoxItems,
    kComboBoxItemData,
    kComboBoxDataSource,
    kComboBoxDataColumn,
    kComboBoxDataFlag,
    kComboBoxPropertyCount
};

enum ComboBoxEvent : int {
    kComboBoxSelected = 0,
    kComboBoxEditChanged = 1,
    kComboBoxDroppedDown = 2,
    kComboBoxClosedUp = 3,
    kComboBoxDoubleClicked = 4,
};

struct ComboBoxData : PropertyData {
    int32_t style = 1;        // 0 simple, 1 drop-down, 2 drop-down list
    int32_t maxLength = 0;
    int32_t selStart = 0;
    int32_t selLength = 0;
    bool sorted = false;
    int32_t extraItemHeight = 1;
    uint32_t textColour = 0;
    uint32_t backColour = 0xFFFFFF;
    int32_t listIndex = -1;
    ByteBuffer font;
    ByteBuffer itemData;      // one 32-bit integer per item
    std::string content;
    std::vector<std::string> items;
    std::string dataSource;
    std::string dataColumn;
    bool dataFlag = false;

    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
    // Content, face name, every item, data source, data column.
    std::vector<ConvertibleText> ConvertibleTexts() override;
    // Item data of item i, when the item data holds an entry for it.
    bool ItemDataAt(size_t i, int32_t& value) const;
    void SetItemData(const std::vector<int32_t>& values);
};

// The items format: a 16-bit count (or 0xFFFF then a 32-bit count), then each
// item as a counted text.
bool SerializeItems(PropertyArchive& ar, std::vector<std::string>& items);
std::vector<uint8_t> EncodeItems(const std::vector<std::string>& items);
// False when the bytes are not a complete item list.
bool DecodeItems(const uint8_t* bytes, size_t size, std::vector<std::string>& items);

}  // namespace imprinta::units
