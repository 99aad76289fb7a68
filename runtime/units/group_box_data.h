// Group box property data. Plain C++ (no Windows headers).
#pragma once
#include <cstdint>
#include <string>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/property_stream.h"

namespace imprinta::units {

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
