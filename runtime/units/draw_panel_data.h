// Drawing panel property data. Plain C++ (no Windows headers).
#pragma once
#include <cstdint>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/property_stream.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8).
enum DrawPanelProperty : int {
    kDrawPanelBorder = 0,
    kDrawPanelBackColor,
    kDrawPanelBackPicture,
    kDrawPanelBackPictureMode,
    kDrawPanelAutoRedraw,
    kDrawPanelDrawingUnit,
    kDrawPanelPenStyle,
    kDrawPanelDrawMode,
    kDrawPanelPenWidth,
    kDrawPanelPenColor,
    kDrawPanelBrushStyle,
    kDrawPanelBrushColor,
    kDrawPanelTextColor,
    kDrawPanelTextBackColor,
    kDrawPanelFont,
    kDrawPanelDrawWidth,   // read only
    kDrawPanelDrawHeight,  // read only
    kDrawPanelPropertyCount
};

enum DrawPanelEvent : int {
    kDrawPanelPaint = 0,  // left, top, right, bottom in drawing units
};

struct DrawPanelData : PropertyData {
    int32_t border = 0;
    uint32_t backColour = 0xFF000000u;      // button face
    int32_t pictureMode = 1;                // 0 top-left, 1 tiled, 2 centred and shrunk
    bool autoRedraw = false;
    int32_t drawingUnit = 0;                // 0 pixel .. 5 twip
    int32_t penStyle = 1;                   // 0..6
    int32_t drawMode = 12;                  // R2_ code - 1
    int32_t penWidth = 0;                   // 0..32767
    uint32_t penColour = 0;
    int32_t brushStyle = 1;                 // 0..55
    uint32_t brushColour = 0xFFFFFF;
    uint32_t textColour = 0;
    uint32_t textBackColour = 0xFF000000u;  // transparent
    ByteBuffer font;
    ByteBuffer backPicture;
    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
    std::vector<ConvertibleText> ConvertibleTexts() override { return {{nullptr, &font}}; }
};

}  // namespace imprinta::units
