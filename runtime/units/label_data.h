// Label property data. Plain C++ (no Windows headers).
#pragma once
#include <cstdint>
#include <string>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/property_stream.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8).
enum LabelProperty : int {
    kLabelCaption = 0,
    kLabelEffect,
    kLabelBorder,
    kLabelFrameWidth,
    kLabelFrameColor1,
    kLabelFrameColor2,
    kLabelFrameColor3,
    kLabelFont,
    kLabelTextColor,
    kLabelBackColor,
    kLabelBackPicture,
    kLabelBackPictureMode,
    kLabelGradientMode,
    kLabelGradientColor1,
    kLabelGradientColor2,
    kLabelGradientColor3,
    kLabelAlignment,
    kLabelWordWrap,
    kLabelVerticalAlignment,
    kLabelDataSource,
    kLabelDataColumn,
    kLabelPropertyCount
};

enum LabelEvent : int {
    kLabelFeedback = 0,  // the two words of the feedback message; the result answers it
};

constexpr int32_t kLabelMinFrameWidth = 5;
constexpr int32_t kLabelGradientFrameBorder = 6;

struct LabelData : PropertyData {
    int32_t effect = 0;                 // 0 plain, 1 raised, 2 sunken, 3 shadow
    int32_t frameWidth = 8;
    int32_t border = 0;                 // 0..5 shared choices, 6 gradient frame
    uint32_t frameColour[3] = {0x808080, 0xFFFFFF, 0x808080};     // 0xFF000000 = left out
    uint32_t textColour = 0;
    uint32_t backColour = 0xFF000000u;  // button face
    int32_t pictureMode = 1;            // 0 top-left, 1 tiled, 2 centred and shrunk
    int32_t gradientMode = 0;           // 0 none, 1..8 direction
    uint32_t gradientColour[3] = {0x808080, 0xFFFFFF, 0x808080};  // 0xFF000000 = left out
    int32_t alignment = 0;              // 0 left, 1 centre, 2 right
    int32_t verticalAlignment = 1;      // 0 top, 1 centre, 2 bottom
    bool wordWrap = false;
    ByteBuffer font;
    ByteBuffer backPicture;
    std::string caption = "标签";
    std::string dataSource;
    std::string dataColumn;
    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
    std::vector<ConvertibleText> ConvertibleTexts() override { return {{&caption}, {nullptr, &font}, {&dataSource}, {&dataColumn}}; }
};

}  // namespace imprinta::units
