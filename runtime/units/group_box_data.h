// Group box property data. Plain C++ (no Windows headers).
#pragma once
#include <cstdint>
#include <string>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/property_stream.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8). The group
// box has no events of its own.
enum GroupBoxProperty : int {
    kGroupBoxCaption = 0,
    kGroupBoxAlignment,
    kGroupBoxTextColor,
    kGroupBoxBackColor,
    kGroupBoxFont,
    kGroupBoxPropertyCount
};

struct GroupBoxData : PropertyData {
    int32_t alignment = 0;
    uint32_t textColour = 0;
    uint32_t backColour = 0xFF000000u;  // button face
    ByteBuffer font;
    std::string caption;
    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
    std::vector<ConvertibleText> ConvertibleTexts() override { return {{&caption}, {nullptr, &font}}; }
};

}  // namespace imprinta::units
