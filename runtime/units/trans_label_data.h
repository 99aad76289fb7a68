// Transparent label property data. Plain C++ (no Windows headers).
#pragma once
#include <cstdint>
#include <string>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/property_stream.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8). The
// transparent label has no events of its own.
enum TransLabelProperty : int {
    kTransLabelCaption = 0,
    kTransLabelEffect,
    kTransLabelFont,
    kTransLabelTextColor,
    kTransLabelAlignment,
    kTransLabelWordWrap,
    kTransLabelVerticalAlignment,
    kTransLabelPropertyCount
};

struct TransLabelData : PropertyData {
    int32_t effect = 0;             // 0 plain, 1 raised, 2 sunken, 3 shadow
    uint32_t textColour = 0;
    int32_t alignment = 0;          // 0 left, 1 centre, 2 right
    int32_t verticalAlignment = 1;  // 0 top, 1 centre, 2 bottom
    bool wordWrap = false;
    ByteBuffer font;
    std::string caption = "透明标签";
    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
    std::vector<ConvertibleText> ConvertibleTexts() override { return {{&caption}, {nullptr, &font}}; }
};

}  // namespace imprinta::units
