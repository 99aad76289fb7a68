// Button and group box property data. Plain C++ (no Windows headers).
#pragma once
#include <cstdint>
#include <string>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/property_stream.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8).
enum ButtonProperty : int {
    kButtonPicture = 0,
    kButtonType,
    kButtonCaption,
    kButtonAlignment,
    kButtonVerticalAlignment,
    kButtonFont,
    kButtonPropertyCount
};

enum ButtonEvent : int {
    kButtonClicked = 0,
};

struct ButtonData : PropertyData {
    int32_t buttonType = 0;   // 1 = default button
    int32_t alignment = 1;    // 0 left, 1 centre, 2 right
    int32_t verticalAlignment = 1;
    ByteBuffer picture;
    ByteBuffer font;
    std::string caption = "按钮";
    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
    std::vector<ConvertibleText> ConvertibleTexts() override { return {{&caption}, {nullptr, &font}}; }
};

}  // namespace imprinta::units
